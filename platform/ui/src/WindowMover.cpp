#include "platform/ui/WindowMover.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace vimbrel {

namespace {

class BackgroundDrag final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress) return false;
    auto* press = static_cast<QMouseEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (press->button() != Qt::LeftButton || widget == nullptr) return false;
    // Only the background itself: a press on a child control is the control's.
    if (widget->childAt(press->position().toPoint()) != nullptr) return false;
    return startWindowMove(widget);
  }
};

}  // namespace

bool startWindowMove(QWidget* widget) {
  QWindow* window = widget->window()->windowHandle();
  return window != nullptr && window->startSystemMove();
}

void enableBackgroundDrag(QWidget* background) {
  background->installEventFilter(new BackgroundDrag(background));
}

}  // namespace vimbrel

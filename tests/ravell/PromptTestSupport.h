#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

namespace vimbrel::testing {

// Acts on the modal windows of the prompts as they appear: each new modal
// window gets the next step, which clicks its way out of it. Records the
// object names of the windows it saw, in order.
class ModalDriver {
 public:
  using Step = std::function<void(QWidget*)>;

  explicit ModalDriver(std::deque<Step> steps) : steps_(std::move(steps)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start();
  }

  const QStringList& seen() const { return seen_; }
  bool finished() const { return steps_.empty(); }

 private:
  void tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == last_.data() || !modal->isVisible() || steps_.empty()) return;
    last_ = modal;
    seen_ << modal->objectName();
    Step step = std::move(steps_.front());
    steps_.pop_front();
    // Outside this timer's slot: a step may open the next modal window, and
    // a timer does not fire again while its own slot is running.
    QTimer::singleShot(0, modal, [step = std::move(step), modal] { step(modal); });
  }

  std::deque<Step> steps_;
  QPointer<QWidget> last_;
  QStringList seen_;
  QTimer timer_;
};

inline void click(QWidget* window, const char* objectName) {
  auto* button = window->findChild<QAbstractButton*>(QLatin1String(objectName));
  ASSERT_NE(button, nullptr) << objectName;
  button->click();
}

// A step that clicks one button.
inline ModalDriver::Step clicking(const char* objectName) {
  return [objectName](QWidget* window) { click(window, objectName); };
}

}  // namespace vimbrel::testing

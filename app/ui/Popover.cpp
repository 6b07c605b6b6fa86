#include "app/ui/Popover.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace vimbrel {

Popover::Popover(QWidget* content, QWidget* anchor)
    : QFrame(anchor, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      content_(content),
      anchor_(anchor) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 14, 14, 14);
  content->setParent(this);
  layout->addWidget(content);
}

void Popover::showRelativeTo(const QRect& rect) {
  adjustSize();
  const QPoint top = anchor_->mapToGlobal(QPoint(rect.center().x(), rect.top()));
  QPoint at(top.x() - width() / 2, top.y() - height());
  if (QScreen* screen = anchor_->screen()) {
    const QRect available = screen->availableGeometry();
    at.setX(std::clamp(at.x(), available.left(),
                       std::max(available.left(), available.right() - width())));
    at.setY(std::clamp(at.y(), available.top(),
                       std::max(available.top(), available.bottom() - height())));
  }
  move(at);
  show();
}

void Popover::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(rect()).adjusted(4, 4, -4, -4);
  for (int i = 4; i > 0; --i) {
    QPainterPath shadow;
    shadow.addRoundedRect(box.adjusted(-i, -i + 2, i, i + 2), 12 + i, 12 + i);
    painter.fillPath(shadow, QColor(0, 0, 0, 9));
  }
  QPainterPath path;
  path.addRoundedRect(box, 12, 12);
  painter.fillPath(path, Qt::white);
  painter.setPen(QPen(QColor(0, 0, 0, 30), 1));
  painter.drawPath(path);
}

}  // namespace vimbrel

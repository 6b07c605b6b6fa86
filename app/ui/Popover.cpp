#include "app/ui/Popover.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/Style.h"

namespace vimbrel {

namespace {

constexpr int kArrow = 10;   // the arrow's height
constexpr int kShadow = 4;   // room for the shadow around the box
constexpr int kRadius = 12;  // the box's corners

}  // namespace

Popover::Popover(QWidget* content, QWidget* anchor)
    : QFrame(anchor, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      content_(content),
      anchor_(anchor) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout_ = layout;
  content->setParent(this);
  layout->addWidget(content);
  setArrowEdge(Qt::BottomEdge);
}

void Popover::setArrowEdge(Qt::Edge edge) {
  arrowEdge_ = edge;
  const int top = 10 + kShadow + (edge == Qt::TopEdge ? kArrow : 0);
  const int bottom = 10 + kShadow + (edge == Qt::BottomEdge ? kArrow : 0);
  layout_->setContentsMargins(10 + kShadow, top, 10 + kShadow, bottom);
}

void Popover::showRelativeTo(const QRect& rect) {
  // Above the rectangle, arrow down; below it, arrow up, when the window has
  // no room above. Always inside the anchor's window.
  setArrowEdge(Qt::BottomEdge);
  adjustSize();
  QWidget* window = anchor_->window();
  const QRect bounds(window->mapToGlobal(QPoint(0, 0)), window->size());
  const QPoint top = anchor_->mapToGlobal(QPoint(rect.center().x(), rect.top()));
  const QPoint bottom = anchor_->mapToGlobal(QPoint(rect.center().x(), rect.bottom()));
  QPoint at(top.x() - width() / 2, top.y() - height() + kShadow);
  if (at.y() < bounds.top()) {
    setArrowEdge(Qt::TopEdge);
    adjustSize();
    at = QPoint(bottom.x() - width() / 2, bottom.y() - kShadow);
  }
  at.setX(std::clamp(at.x(), bounds.left(), std::max(bounds.left(), bounds.right() - width())));
  at.setY(std::clamp(at.y(), bounds.top(), std::max(bounds.top(), bounds.bottom() - height())));
  // The arrow points at the rectangle's middle, wherever the box had to go.
  arrowX_ = std::clamp(top.x() - at.x(), kShadow + kRadius + kArrow,
                       width() - kShadow - kRadius - kArrow);
  move(at);
  show();
}

QPainterPath Popover::outline() const {
  const QRectF box =
      QRectF(rect()).adjusted(kShadow, kShadow + (arrowEdge_ == Qt::TopEdge ? kArrow : 0), -kShadow,
                              -kShadow - (arrowEdge_ == Qt::BottomEdge ? kArrow : 0));
  QPainterPath path;
  path.addRoundedRect(box, kRadius, kRadius);
  QPainterPath arrow;
  if (arrowEdge_ == Qt::BottomEdge) {
    arrow.moveTo(arrowX_ - kArrow, box.bottom() - 1);
    arrow.lineTo(arrowX_, box.bottom() + kArrow);
    arrow.lineTo(arrowX_ + kArrow, box.bottom() - 1);
  } else {
    arrow.moveTo(arrowX_ - kArrow, box.top() + 1);
    arrow.lineTo(arrowX_, box.top() - kArrow);
    arrow.lineTo(arrowX_ + kArrow, box.top() + 1);
  }
  arrow.closeSubpath();
  return path.united(arrow);
}

void Popover::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPainterPath path = outline();
  for (int i = kShadow; i > 0; --i) {
    QPainterPathStroker stroker;
    stroker.setWidth(2 * i);
    painter.fillPath(stroker.createStroke(path).translated(0, 1), QColor(0, 0, 0, 8));
  }
  painter.fillPath(path, ui::colors::kWindow);
  painter.setPen(QPen(ui::colors::kSeparator, 1));
  painter.drawPath(path);
}

}  // namespace vimbrel

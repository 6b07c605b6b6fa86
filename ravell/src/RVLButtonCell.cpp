#include "RVLButtonCell.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

namespace vimbrel {
namespace {

const QColor kCell(248, 248, 248);
const QColor kTitle(0x6e, 0x6e, 0x6e);

}  // namespace

RVLButtonCell::RVLButtonCell(const QString& title, QWidget* parent) : QPushButton(title, parent) {
  QFont bold = font();
  bold.setBold(true);
  bold.setPointSizeF(14);
  setFont(bold);
  setCursor(Qt::PointingHandCursor);
  setMinimumHeight(34);
}

qreal RVLButtonCell::fittingPointSize(const QFont& font, const QString& title, int width) {
  QFont probe = font;
  qreal size = font.pointSizeF();
  if (QFontMetricsF(probe).horizontalAdvance(title) <= width) return size;
  while (size > 1 && QFontMetricsF(probe).horizontalAdvance(title) > width - 10) {
    size -= 0.5;
    probe.setPointSizeF(size);
  }
  return size;
}

QSize RVLButtonCell::sizeHint() const {
  const QFontMetrics metrics(font());
  return {metrics.horizontalAdvance(text()) + 36, std::max(34, metrics.height() + 14)};
}

void RVLButtonCell::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF cell = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QColor fill = kCell;
  if (isDown())
    fill = fill.darker(108);
  else if (underMouse())
    fill = fill.darker(103);
  painter.setPen(
      QPen(hasFocus() ? palette().color(QPalette::Highlight) : QColor(0xd4, 0xd4, 0xd4), 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(cell, 6, 6);

  QFont titleFont = font();
  titleFont.setPointSizeF(fittingPointSize(font(), text(), width()));
  painter.setFont(titleFont);
  const QRectF area = rect();
  // The white shadow half a point below, softened, then the title.
  painter.setPen(QColor(255, 255, 255, 200));
  painter.drawText(area.translated(0, 0.5), Qt::AlignCenter, text());
  painter.setPen(isEnabled() ? kTitle : kTitle.lighter(150));
  painter.drawText(area, Qt::AlignCenter, text());
}

}  // namespace vimbrel

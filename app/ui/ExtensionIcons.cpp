#include "app/ui/ExtensionIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace vimbrel::ui {

namespace {

using Drawing = std::function<void(QPainter&)>;

// Draws on a 64 × 64 canvas scaled to `size` pixels.
QPixmap drawn(int size, const Drawing& draw) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);
  draw(painter);
  return pixmap;
}

QIcon iconOf(const std::function<QPixmap(int)>& pixmap) {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(pixmap(size));
  return icon;
}

void tile(QPainter& painter, const QColor& top, const QColor& bottom) {
  QLinearGradient fill(0, 4, 0, 60);
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  QPainterPath path;
  path.addRoundedRect(QRectF(4, 4, 56, 56), 13, 13);
  painter.fillPath(path.translated(0, 1.2), QColor(0, 0, 0, 40));
  painter.fillPath(path, fill);
  painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
  painter.drawPath(path);
}

// A puzzle piece in a box of `size` with its corner at `at`: knobs on the
// top and the right.
QPainterPath puzzlePiece(QPointF at, double size) {
  const double s = size / 24.0;
  QPainterPath piece;
  piece.addRoundedRect(QRectF(at.x(), at.y() + 5 * s, 19 * s, 19 * s), 2.5 * s, 2.5 * s);
  QPainterPath top;
  top.addEllipse(QPointF(at.x() + 9.5 * s, at.y() + 4.2 * s), 4.2 * s, 4.2 * s);
  QPainterPath right;
  right.addEllipse(QPointF(at.x() + 19.8 * s, at.y() + 14.5 * s), 4.2 * s, 4.2 * s);
  return piece.united(top).united(right);
}

}  // namespace

QPixmap pluginPixmap(int size) {
  return drawn(size, [](QPainter& painter) {
    tile(painter, QColor(140, 110, 250), QColor(88, 56, 214));
    const QPainterPath piece = puzzlePiece(QPointF(18, 15), 30);
    painter.fillPath(piece.translated(0, 1), QColor(40, 20, 120, 70));
    painter.fillPath(piece, Qt::white);
  });
}

QPixmap prefPanePixmap(int size) {
  return drawn(size, [](QPainter& painter) {
    tile(painter, QColor(168, 172, 182), QColor(108, 112, 124));
    const double knobs[] = {38, 24, 44};
    for (int line = 0; line < 3; ++line) {
      const double y = 20 + line * 12;
      painter.setPen(QPen(QColor(255, 255, 255, 200), 3, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(QPointF(16, y), QPointF(48, y));
      painter.setPen(QPen(QColor(60, 62, 70, 90), 1));
      painter.setBrush(Qt::white);
      painter.drawEllipse(QPointF(knobs[line], y), 5, 5);
    }
  });
}

QPixmap compassPixmap(int size) {
  return drawn(size, [](QPainter& painter) {
    QRadialGradient face(QPointF(32, 24), 36);
    face.setColorAt(0, QColor(120, 205, 255));
    face.setColorAt(1, QColor(0, 110, 230));
    painter.setPen(QPen(QColor(226, 230, 236), 3));
    painter.setBrush(face);
    painter.drawEllipse(QPointF(32, 32), 27, 27);
    painter.setPen(QPen(QColor(255, 255, 255, 170), 1));
    for (int tick = 0; tick < 24; ++tick) {
      painter.save();
      painter.translate(32, 32);
      painter.rotate(tick * 15.0);
      painter.drawLine(QPointF(0, -24), QPointF(0, tick % 6 == 0 ? -19 : -22));
      painter.restore();
    }
    painter.translate(32, 32);
    painter.rotate(45);
    painter.setPen(Qt::NoPen);
    QPainterPath needle;
    needle.moveTo(0, -20);
    needle.lineTo(4.5, 0);
    needle.lineTo(-4.5, 0);
    needle.closeSubpath();
    painter.setBrush(QColor(255, 59, 48));
    painter.drawPath(needle);
    painter.rotate(180);
    painter.setBrush(Qt::white);
    painter.drawPath(needle);
  });
}

QPixmap safariExtensionPixmap(int size) {
  return drawn(size, [](QPainter& painter) {
    painter.drawPixmap(QRectF(2, 2, 52, 52), compassPixmap(208), QRectF(0, 0, 208, 208));
    QPainterPath badge;
    badge.addEllipse(QPointF(47, 47), 14, 14);
    painter.fillPath(badge, Qt::white);
    QLinearGradient fill(0, 35, 0, 60);
    fill.setColorAt(0, QColor(140, 110, 250));
    fill.setColorAt(1, QColor(88, 56, 214));
    QPainterPath inner;
    inner.addEllipse(QPointF(47, 47), 12, 12);
    painter.fillPath(inner, fill);
    painter.fillPath(puzzlePiece(QPointF(40.5, 38.5), 13), Qt::white);
  });
}

QIcon pluginIcon() { return iconOf(pluginPixmap); }
QIcon prefPaneIcon() { return iconOf(prefPanePixmap); }
QIcon safariExtensionIcon() { return iconOf(safariExtensionPixmap); }

}  // namespace vimbrel::ui

#include "app/ui/Style.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "platform/ByteCount.h"

namespace vimbrel::ui {

void makeRoundButton(QPushButton* button) {
  // Bezel: white 0.1 at 0.7 alpha; pressed white 0.5 at 0.4; disabled white 0.2 at 0.45.
  button->setStyleSheet(
      "QPushButton { background: rgba(26,26,26,179); color: white; border: none;"
      " border-radius: 4px; padding: 6px 18px; font-weight: 600; }"
      "QPushButton:pressed { background: rgba(128,128,128,102); }"
      "QPushButton:disabled { background: rgba(51,51,51,115); color: rgba(255,255,255,170); }"
      "QPushButton:focus { outline: none; border: 2px solid rgb(0,148,239); }");
  button->setCursor(Qt::PointingHandCursor);
  button->setMinimumHeight(30);
}

void makeAccentButton(QPushButton* button) {
  button->setStyleSheet(
      "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
      " stop:0 rgb(0,148,239), stop:1 rgb(0,89,228)); color: white; border: none;"
      " border-radius: 6px; padding: 7px 22px; font-weight: 600; }"
      "QPushButton:pressed { background: rgb(0,89,228); }"
      "QPushButton:disabled { background: rgb(200,208,220); color: rgba(255,255,255,220); }"
      "QPushButton:focus { border: 2px solid rgb(8,121,253); }");
  button->setCursor(Qt::PointingHandCursor);
  button->setMinimumHeight(32);
}

void makeIconButton(QPushButton* button, const QIcon& icon, const QString& accessibleName) {
  button->setIcon(icon);
  button->setIconSize(QSize(16, 16));
  button->setFlat(true);
  button->setToolTip(accessibleName);
  button->setAccessibleName(accessibleName);
  button->setCursor(Qt::PointingHandCursor);
  button->setStyleSheet(
      "QPushButton { border: none; border-radius: 4px; padding: 4px; background: transparent; }"
      "QPushButton:hover { background: rgba(0,0,0,18); }"
      "QPushButton:pressed { background: rgba(0,0,0,36); }"
      "QPushButton:focus { border: 1px solid rgb(0,148,239); }");
}

QLabel* titleLabel(const QString& text, QWidget* parent, int pointSizeDelta) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() + pointSizeDelta);
  font.setWeight(QFont::DemiBold);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(29, 29, 31));
  label->setPalette(palette);
  return label;
}

QLabel* secondaryLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colors::kSecondaryText);
  label->setPalette(palette);
  return label;
}

QString sizeText(std::uint64_t bytes) {
  return QString::fromStdString(formatByteCount(static_cast<std::int64_t>(bytes)));
}

QPixmap applicationPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  // A rounded square in the accent gradient ...
  QLinearGradient background(0, 0, 0, s);
  background.setColorAt(0, QColor(0, 148, 239));
  background.setColorAt(1, QColor(0, 89, 228));
  QPainterPath tile;
  tile.addRoundedRect(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88), s * 0.2, s * 0.2);
  painter.fillPath(tile, background);
  // ... holding a white bin with a sweep line: an uninstaller.
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(s * 0.27, s * 0.27, s * 0.46, s * 0.07), s * 0.03, s * 0.03);
  painter.drawRect(QRectF(s * 0.42, s * 0.22, s * 0.16, s * 0.06));
  QPainterPath bin;
  bin.moveTo(s * 0.31, s * 0.38);
  bin.lineTo(s * 0.69, s * 0.38);
  bin.lineTo(s * 0.65, s * 0.78);
  bin.lineTo(s * 0.35, s * 0.78);
  bin.closeSubpath();
  painter.drawPath(bin);
  painter.setPen(QPen(QColor(0, 118, 233), s * 0.035, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 3; ++i) {
    const qreal x = s * (0.41 + 0.09 * i);
    painter.drawLine(QPointF(x, s * 0.45), QPointF(x, s * 0.71));
  }
  return pixmap;
}

QIcon menuIcon() {
  QIcon icon;
  for (int size : {18, 36}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 18.0;
    painter.setPen(QPen(QColor(60, 60, 67), 1.8 * unit, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
      const qreal y = (4.5 + 4.5 * i) * unit;
      painter.drawLine(QPointF(3 * unit, y), QPointF(15 * unit, y));
    }
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon applicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(applicationPixmap(size));
  return icon;
}

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

QSize ToggleSwitch::sizeHint() const { return {38, 22}; }

void ToggleSwitch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF track = QRectF(rect()).adjusted(2, 3, -2, -3);
  QColor on = colors::kRowTextSelected;
  QColor off(200, 200, 204);
  if (!isEnabled()) {
    on.setAlpha(110);
    off.setAlpha(110);
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(isChecked() ? on : off);
  painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
  const qreal knob = track.height() - 4;
  const qreal x = isChecked() ? track.right() - knob - 2 : track.left() + 2;
  painter.setBrush(Qt::white);
  painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
  if (hasFocus()) {
    painter.setPen(QPen(colors::kSelectionEnd, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), height() / 2.0,
                            height() / 2.0);
  }
}

}  // namespace vimbrel::ui

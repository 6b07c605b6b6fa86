#include "app/ui/Style.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleHints>

#include "platform/ByteCount.h"
#include "platform/ui/SymbolicIcon.h"

#ifndef VIMBREL_SOURCE_RESOURCES
#define VIMBREL_SOURCE_RESOURCES ""
#endif

namespace vimbrel::ui {

namespace {

// `a` moved towards `b` by `amount` (0 keeps `a`, 1 gives `b`).
QColor mix(const QColor& a, const QColor& b, double amount) {
  const auto channel = [amount](int from, int to) {
    return static_cast<int>(from + (to - from) * amount + 0.5);
  };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                channel(a.blue(), b.blue()));
}

QColor withAlpha(QColor colour, int alpha) {
  colour.setAlpha(alpha);
  return colour;
}

// The accent: the pages' blue, lighter on a dark window so that it reads there.
QColor accent(const QPalette& palette) {
  return isDark(palette) ? QColor(77, 163, 255) : QColor(8, 110, 235);
}

}  // namespace

bool isDark(const QPalette& palette) { return palette.color(QPalette::Base).lightnessF() < 0.5; }

namespace colors {

QColor color(Role role, const QPalette& palette) {
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  const bool dark = isDark(palette);
  switch (role) {
    case Role::Window:
      return base;
    case Role::Panel:
      return mix(base, text, dark ? 0.07 : 0.035);
    case Role::PrimaryText:
      return mix(base, text, 0.92);
    case Role::RowText:
      return mix(base, text, 0.75);
    case Role::RowTextSelected:
      return accent(palette);
    case Role::SecondaryText:
      return mix(base, text, dark ? 0.62 : 0.6);
    case Role::Separator:
      return mix(base, text, dark ? 0.2 : 0.17);
    case Role::SelectionStart:
      return QColor(0, 89, 228);
    case Role::SelectionEnd:
      return QColor(0, 148, 239);
    case Role::Hover:
      return withAlpha(text, dark ? 20 : 10);
    case Role::AccentWash:
      return withAlpha(accent(palette), dark ? 46 : 24);
  }
  return text;
}

QColor color(Role role) { return color(role, QGuiApplication::palette()); }

QString css(const QColor& colour) {
  return QString("rgba(%1,%2,%3,%4)")
      .arg(colour.red())
      .arg(colour.green())
      .arg(colour.blue())
      .arg(colour.alpha());
}

QString css(Role role) { return css(color(role)); }

void refreshColors(const QPalette& palette) {
  kRowText = color(Role::RowText, palette);
  kRowTextSelected = color(Role::RowTextSelected, palette);
  kSelectionStart = color(Role::SelectionStart, palette);
  kSelectionEnd = color(Role::SelectionEnd, palette);
  kSeparator = color(Role::Separator, palette);
  kSecondaryText = color(Role::SecondaryText, palette);
  kWindow = color(Role::Window, palette);
  kPanel = color(Role::Panel, palette);
  kPrimaryText = color(Role::PrimaryText, palette);
  kHover = color(Role::Hover, palette);
  kAccentWash = color(Role::AccentWash, palette);
}

}  // namespace colors

namespace {

// Keeps the colours in step with the application's palette when the desktop
// changes it while the program runs.
class PaletteWatcher final : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ApplicationPaletteChange && watched == qApp) {
      colors::refreshColors(QGuiApplication::palette());
    }
    return QObject::eventFilter(watched, event);
  }
};

void watchPalette() {
  static PaletteWatcher* watcher = nullptr;
  if (watcher != nullptr || qApp == nullptr) return;
  watcher = new PaletteWatcher(qApp);
  qApp->installEventFilter(watcher);
}

}  // namespace

void useColorScheme(ColorScheme scheme) {
  watchPalette();
  if (scheme == ColorScheme::Desktop) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // The platform's colour scheme hint, where it gives one, wins over a
    // palette that does not follow it.
    const Qt::ColorScheme hint = QGuiApplication::styleHints()->colorScheme();
    if (hint == Qt::ColorScheme::Dark && !isDark(QGuiApplication::palette())) {
      return useColorScheme(ColorScheme::Dark);
    }
#endif
    colors::refreshColors(QGuiApplication::palette());
    return;
  }
  if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);
  QPalette palette;
  if (scheme == ColorScheme::Light) {
    palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Base, Qt::white);
  } else {
    const QColor window(40, 40, 43), base(30, 30, 32), text(236, 236, 240);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, QColor(52, 52, 56));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(150, 150, 156));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(56, 56, 60));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, QColor(72, 72, 76));
    palette.setColor(QPalette::Midlight, QColor(62, 62, 66));
    palette.setColor(QPalette::Mid, QColor(48, 48, 52));
    palette.setColor(QPalette::Dark, QColor(22, 22, 24));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0, 100, 210));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(77, 163, 255));
    palette.setColor(QPalette::LinkVisited, QColor(160, 130, 255));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
      palette.setColor(QPalette::Disabled, role, QColor(130, 130, 136));
    }
  }
  QApplication::setPalette(palette);
  colors::refreshColors(palette);
}

void makeRoundButton(QPushButton* button) {
  // A neutral bezel: the text colour, faint, under the text colour itself.
  const QPalette palette = QGuiApplication::palette();
  const QColor text = colors::color(colors::Role::PrimaryText, palette);
  const bool dark = isDark(palette);
  button->setStyleSheet(
      QString("QPushButton { background: %1; color: %2; border: 2px solid transparent;"
              " border-radius: 6px; padding: 4px 16px; font-weight: 600; }"
              "QPushButton:hover { background: %3; }"
              "QPushButton:pressed { background: %4; }"
              "QPushButton:disabled { color: %5; }"
              "QPushButton:focus { border: 2px solid %6; }")
          .arg(colors::css(withAlpha(text, dark ? 38 : 22)), colors::css(text),
               colors::css(withAlpha(text, dark ? 56 : 36)),
               colors::css(withAlpha(text, dark ? 76 : 52)),
               colors::css(colors::color(colors::Role::SecondaryText, palette)),
               colors::css(accent(palette))));
  button->setCursor(Qt::PointingHandCursor);
  button->setMinimumHeight(30);
}

void makeAccentButton(QPushButton* button) {
  // White on a blue dark enough for it (at least 4.5:1). Focus: a ring in the
  // window's text colour around the blue, which shows on either scheme.
  const QPalette palette = QGuiApplication::palette();
  const QColor ring = colors::color(colors::Role::PrimaryText, palette);
  button->setStyleSheet(
      QString("QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
              " stop:0 rgb(0,110,224), stop:1 rgb(0,86,204)); color: white;"
              " border: 2px solid transparent; border-radius: 6px; padding: 5px 20px;"
              " font-weight: 600; }"
              "QPushButton:hover { background: rgb(0,98,214); }"
              "QPushButton:pressed { background: rgb(0,76,180); }"
              "QPushButton:disabled { background: %1; color: %2; }"
              "QPushButton:focus { border: 2px solid %3; }")
          .arg(colors::css(colors::color(colors::Role::Panel, palette)),
               colors::css(colors::color(colors::Role::SecondaryText, palette)),
               colors::css(ring)));
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
      QString("QPushButton { border: 2px solid transparent; border-radius: 6px; padding: 4px;"
              " background: transparent; color: %1; }"
              "QPushButton:hover { background: %2; }"
              "QPushButton:pressed { background: %3; }"
              "QPushButton:focus { border: 2px solid %4; }")
          .arg(colors::css(colors::Role::PrimaryText), colors::css(colors::Role::Hover),
               colors::css(withAlpha(colors::color(colors::Role::PrimaryText), 40)),
               colors::css(colors::Role::RowTextSelected)));
}

void makeSearchField(QWidget* field) {
  field->setStyleSheet(
      QString("QLineEdit { border: 1px solid %1; border-radius: 7px;"
              " padding: 5px 9px; background: %2; color: %3; }"
              "QLineEdit:focus { border: 2px solid %4; background: %5; }")
          .arg(colors::css(colors::Role::Separator), colors::css(colors::Role::Panel),
               colors::css(colors::Role::PrimaryText), colors::css(colors::Role::RowTextSelected),
               colors::css(colors::Role::Window)));
}

QLabel* titleLabel(const QString& text, QWidget* parent, int pointSizeDelta) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() + pointSizeDelta);
  font.setWeight(QFont::DemiBold);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colors::kPrimaryText);
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

void addCloseShortcuts(QWidget* window) {
  for (const QKeySequence& keys :
       {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
  }
}

QString sizeText(std::uint64_t bytes) {
  return QString::fromStdString(formatByteCount(static_cast<std::int64_t>(bytes)));
}

QString elidedPath(const QString& path, const QFontMetrics& metrics, int width) {
  return metrics.elidedText(path, Qt::ElideMiddle, std::max(0, width));
}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(parent) {
  setFullText(text);
}

void ElidedLabel::setFullText(const QString& text) {
  full_ = text;
  elide();
}

QSize ElidedLabel::minimumSizeHint() const {
  // Any width will do: the text shortens to fit.
  return {fontMetrics().horizontalAdvance(QStringLiteral("……")),
          QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const {
  return {fontMetrics().horizontalAdvance(full_) + 2, QLabel::sizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  elide();
}

void ElidedLabel::elide() {
  const QString shown = elidedPath(full_, fontMetrics(), contentsRect().width());
  QLabel::setText(shown);
  setToolTip(shown == full_ ? QString() : full_);
  // A screen reader reads the whole text, unless the caller named the label.
  if (accessibleName().isEmpty() || accessibleName() == spokenName_) {
    spokenName_ = full_;
    setAccessibleName(full_);
  }
}

namespace {
QIcon shippedApplicationIcon();
}  // namespace

QPixmap applicationPixmap(int size) {
  const QIcon shipped = shippedApplicationIcon();
  if (!shipped.isNull()) return shipped.pixmap(size, size);
  // Drawn, when the icon files are not installed.
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
  QIcon themed = symbolicIcon({"open-menu", "application-menu"});
  if (!themed.isNull()) return themed;
  // Three bars, when the theme has no menu icon.
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    painter.setPen(
        QPen(colors::color(colors::Role::PrimaryText), 1.6 * unit, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
      const qreal y = (4 + 4 * i) * unit;
      painter.drawLine(QPointF(2.5 * unit, y), QPointF(13.5 * unit, y));
    }
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon symbolicIcon(const QStringList& names) { return symbolicThemeIcon(names); }

namespace {

// The application's icon from the theme or the shipped files; null without both.
QIcon shippedApplicationIcon() {
  static const char* const kName = "com.Orvik.Seltan.Vimbrel";
  QIcon themed = QIcon::fromTheme(kName);
  if (!themed.isNull()) return themed;
  QIcon shipped;
  const QString exeDir = QCoreApplication::applicationDirPath();
  for (const QString& root :
       {exeDir + "/../share/icons/hicolor", QString(VIMBREL_SOURCE_RESOURCES) + "/icons/hicolor"}) {
    const QString svg = root + "/scalable/apps/" + kName + ".svg";
    if (QFileInfo(svg).isFile()) shipped.addFile(svg);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
      const QString png = QString("%1/%2x%2/apps/%3.png").arg(root).arg(size).arg(kName);
      if (QFileInfo(png).isFile()) shipped.addFile(png, QSize(size, size));
    }
    if (!shipped.isNull()) return shipped;
  }
  return {};
}

}  // namespace

QIcon applicationIcon() {
  QIcon shipped = shippedApplicationIcon();
  if (!shipped.isNull()) return shipped;
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
  QColor on = colors::color(colors::Role::SelectionEnd);
  QColor off = colors::color(colors::Role::Separator);
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
    painter.setPen(QPen(colors::color(colors::Role::PrimaryText), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), height() / 2.0,
                            height() / 2.0);
  }
}

}  // namespace vimbrel::ui

#include "platform/ui/SymbolicIcon.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>

namespace vimbrel {

namespace {

// Paints a themed symbolic icon recoloured in the palette's text colour.
class TintedIconEngine final : public QIconEngine {
 public:
  explicit TintedIconEngine(QIcon base) : base_(std::move(base)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap picture = pixmap(rect.size() * ratio, mode, state);
    picture.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, picture);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap picture = base_.pixmap(size, QIcon::Normal, state);
    if (picture.isNull()) return picture;
    const QPalette palette = QGuiApplication::palette();
    QColor colour = palette.color(QPalette::Text);
    if (mode == QIcon::Disabled) colour.setAlpha(102);
    if (mode == QIcon::Selected) colour = palette.color(QPalette::HighlightedText);
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(picture.rect(), colour);
    painter.end();
    return picture;
  }

  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return base_.actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return base_.availableSizes(mode, state);
  }
  QString iconName() override { return base_.name(); }
  QIconEngine* clone() const override { return new TintedIconEngine(base_); }

 private:
  QIcon base_;
};

}  // namespace

QIcon symbolicThemeIcon(const QStringList& names) {
  for (const QString& name : names) {
    const QString symbolic = name.endsWith("-symbolic") ? name : name + "-symbolic";
    if (QIcon::hasThemeIcon(symbolic)) {
      return QIcon(new TintedIconEngine(QIcon::fromTheme(symbolic)));
    }
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  }
  return {};
}

}  // namespace vimbrel

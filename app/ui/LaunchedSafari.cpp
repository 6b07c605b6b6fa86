#include "app/ui/LaunchedSafari.h"

#include <QPainter>
#include <QPainterPath>

#include "app/ui/AppDelegate.h"
#include "platform/Bundle.h"

namespace vimbrel {

namespace {

constexpr const char* kSafariBundle = "/Applications/Safari.app";

QPixmap drawnCompass(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);
  QRadialGradient face(QPointF(32, 26), 34);
  face.setColorAt(0, QColor(120, 205, 255));
  face.setColorAt(1, QColor(0, 110, 230));
  painter.setPen(QPen(QColor(220, 224, 230), 3));
  painter.setBrush(face);
  painter.drawEllipse(QPointF(32, 32), 28, 28);
  painter.setPen(QPen(QColor(255, 255, 255, 170), 1));
  for (int tick = 0; tick < 24; ++tick) {
    painter.save();
    painter.translate(32, 32);
    painter.rotate(tick * 15.0);
    painter.drawLine(QPointF(0, -25), QPointF(0, tick % 6 == 0 ? -20 : -23));
    painter.restore();
  }
  painter.translate(32, 32);
  painter.rotate(45);
  painter.setPen(Qt::NoPen);
  QPainterPath north;
  north.moveTo(0, -21);
  north.lineTo(4.5, 0);
  north.lineTo(-4.5, 0);
  north.closeSubpath();
  painter.setBrush(QColor(255, 59, 48));
  painter.drawPath(north);
  painter.rotate(180);
  painter.setBrush(Qt::white);
  painter.drawPath(north);
  return pixmap;
}

}  // namespace

QIcon LaunchedSafari::compass(AppDelegate& delegate) {
  if (auto safari = Bundle::open(kSafariBundle)) {
    if (auto image = safari->imageResource("compass")) {
      QIcon icon = delegate.services().icons->imageFromFile(*image);
      if (!icon.isNull()) return icon;
    }
  }
  return QIcon(drawnCompass(128));
}

LaunchedSafari::LaunchedSafari(AppDelegate& delegate, QWidget* parent)
    : ExtensionSheet("LaunchedSafariExtensions", compass(delegate), "Safari is open",
                     "Quit Safari before you remove one of its extensions: Safari keeps its own "
                     "list of them while it runs.",
                     parent) {
  if (auto* image = findChild<QWidget*>("image")) image->setObjectName("safari_image");
}

}  // namespace vimbrel

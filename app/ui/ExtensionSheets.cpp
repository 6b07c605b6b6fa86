#include "app/ui/ExtensionSheets.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "app/ui/AppDelegate.h"
#include "app/ui/Style.h"
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

QPixmap LaunchedSafari::compass(AppDelegate& delegate) {
  if (auto safari = Bundle::open(kSafariBundle)) {
    if (auto image = safari->imageResource("compass")) {
      QIcon icon = delegate.services().icons->imageFromFile(*image);
      if (!icon.isNull()) return icon.pixmap(144, 144);
    }
  }
  return drawnCompass(144);
}

LaunchedSafari::LaunchedSafari(AppDelegate& delegate, QWidget* parent)
    : SheetDialog("LaunchedSafariExtensions", compass(delegate), "Safari is open",
                  "Quit Safari first, then remove the extension: Safari rewrites its list of "
                  "extensions while it runs. Nothing was removed.",
                  parent) {
  imageLabel()->setObjectName("safari_image");
  QPushButton* ok = addButton("OK", "ok", true);
  QObject::connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

SheetDialog* makeEmptyListSheet(AppDelegate& delegate, const QString& identifier, QWidget* parent) {
  QString title;
  QString text;
  QPixmap picture;
  IconProvider& icons = *delegate.services().icons;
  if (identifier == "InstalledBundles") {
    title = "No plug-ins found";
    text =
        "Vimbrel found no plug-ins in the folders you allowed. Allow the whole disk to look "
        "in the system's folders too.";
    picture = icons.iconForFileType("bundle").pixmap(144, 144);
  } else if (identifier == "InstalledPrefpanes") {
    title = "No preference panes found";
    text =
        "Vimbrel found no preference panes in the folders you allowed. Allow the whole disk "
        "to look in the system's folders too.";
    picture = icons.iconForFileType("prefPane").pixmap(144, 144);
  } else if (identifier == "InstalledSafariExtensions") {
    title = "No Safari extensions found";
    text = "Safari lists no extensions in your Library.";
    picture = LaunchedSafari::compass(delegate);
  } else {
    return nullptr;
  }
  if (picture.isNull()) picture = ui::applicationPixmap(144);
  auto* sheet = new SheetDialog(identifier, picture, title, text, parent);
  QPushButton* ok = sheet->addButton("OK", "ok", true);
  QObject::connect(ok, &QPushButton::clicked, sheet, &QDialog::accept);
  return sheet;
}

}  // namespace vimbrel

#include "app/ui/ExtensionSheets.h"

#include <QLabel>
#include <QPushButton>

#include "app/ui/AppDelegate.h"
#include "app/ui/ExtensionIcons.h"
#include "app/ui/Style.h"
#include "platform/Bundle.h"

namespace vimbrel {

namespace {

constexpr const char* kSafariBundle = "/Applications/Safari.app";

}  // namespace

QPixmap LaunchedSafari::compass(AppDelegate& delegate) {
  if (auto safari = Bundle::open(kSafariBundle)) {
    if (auto image = safari->imageResource("compass")) {
      QIcon icon = delegate.services().icons->imageFromFile(*image);
      if (!icon.isNull()) return icon.pixmap(144, 144);
    }
  }
  return ui::compassPixmap(144);
}

LaunchedSafari::LaunchedSafari(AppDelegate& delegate, QWidget* parent)
    : SheetDialog("LaunchedSafariExtensions", compass(delegate), tr("Safari is open"),
                  tr("Quit Safari first, then remove the extension: Safari rewrites its list of "
                     "extensions while it runs. Nothing was removed."),
                  parent) {
  imageLabel()->setObjectName("safari_image");
  QPushButton* ok = addButton(tr("OK"), "ok", true);
  QObject::connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

SheetDialog* makeEmptyListSheet(AppDelegate&, const QString& identifier, QWidget* parent) {
  QString title;
  QString text;
  QPixmap picture;
  if (identifier == "InstalledBundles") {
    title = SheetDialog::tr("No plug-ins found");
    text = SheetDialog::tr(
        "Vimbrel found no plug-ins in the folders you allowed. Allow the whole disk to look "
        "in the system's folders too.");
    picture = ui::pluginPixmap(144);
  } else if (identifier == "InstalledPrefpanes") {
    title = SheetDialog::tr("No preference panes found");
    text = SheetDialog::tr(
        "Vimbrel found no preference panes in the folders you allowed. Allow the whole disk "
        "to look in the system's folders too.");
    picture = ui::prefPanePixmap(144);
  } else if (identifier == "InstalledSafariExtensions") {
    title = SheetDialog::tr("No Safari extensions found");
    text = SheetDialog::tr("Safari lists no extensions in your Library.");
    picture = ui::safariExtensionPixmap(144);
  } else {
    return nullptr;
  }
  auto* sheet = new SheetDialog(identifier, picture, title, text, parent);
  QPushButton* ok = sheet->addButton(SheetDialog::tr("OK"), "ok", true);
  QObject::connect(ok, &QPushButton::clicked, sheet, &QDialog::accept);
  return sheet;
}

}  // namespace vimbrel

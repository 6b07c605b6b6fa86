#pragma once

#include <QCoreApplication>
#include <QIcon>
#include <QString>

#include "app/ui/Sheets.h"

namespace vimbrel {

class AppDelegate;

// The empty-list sheet of an extension list ("InstalledBundles",
// "InstalledPrefpanes", "InstalledSafariExtensions"); nothing for another
// identifier.
SheetDialog* makeEmptyListSheet(AppDelegate& delegate, const QString& identifier, QWidget* parent);

// The sheet "LaunchedSafariExtensions": Safari runs, so no extension is
// removed until it quits.
class LaunchedSafari : public SheetDialog {
 public:
  Q_DECLARE_TR_FUNCTIONS(LaunchedSafari)

 public:
  explicit LaunchedSafari(AppDelegate& delegate, QWidget* parent = nullptr);

  // Safari's compass image, or a drawn compass where Safari is not installed.
  static QPixmap compass(AppDelegate& delegate);
};

}  // namespace vimbrel

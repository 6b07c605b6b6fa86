#pragma once

#include "app/ui/ExtensionSheet.h"

class QLabel;

namespace vimbrel {

class AppDelegate;

// The sheet "LaunchedSafariExtensions": Safari runs, so no extension is
// removed until it quits.
class LaunchedSafari : public ExtensionSheet {
 public:
  explicit LaunchedSafari(AppDelegate& delegate, QWidget* parent = nullptr);

  // Safari's compass image, or a drawn compass where Safari is not installed.
  static QIcon compass(AppDelegate& delegate);
};

}  // namespace vimbrel

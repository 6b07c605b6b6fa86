#pragma once

#include <QCoreApplication>
#include "app/ui/ExtensionListViewController.h"
#include "extensions/SafariExtensionsPage.h"

namespace vimbrel {

// The Safari-extension list ("SafariExtensions"): removal in place, refused
// with the sheet "LaunchedSafariExtensions" while Safari runs.
class SafariExtensionsViewController : public ExtensionListViewController {
 public:
  Q_DECLARE_TR_FUNCTIONS(SafariExtensionsViewController)

 public:
  explicit SafariExtensionsViewController(AppDelegate& delegate, QWidget* parent = nullptr);

  void removeExtension();

 protected:
  void remove() override { removeExtension(); }

 private:
  extensions::SafariExtensionsPage& page() {
    return static_cast<extensions::SafariExtensionsPage&>(logic());
  }
};

}  // namespace vimbrel

#pragma once

#include <QCoreApplication>
#include "app/ui/ExtensionListViewController.h"
#include "extensions/PrefpanesPage.h"

namespace vimbrel {

// The preference-pane list ("PrefPanes"): the chosen pane is reviewed and
// removed on the review page.
class PrefpanesViewController : public ExtensionListViewController {
 public:
  Q_DECLARE_TR_FUNCTIONS(PrefpanesViewController)

 public:
  explicit PrefpanesViewController(AppDelegate& delegate, QWidget* parent = nullptr);

  void removePrefPane();

 protected:
  void remove() override { removePrefPane(); }

 private:
  extensions::PrefpanesPage& page() { return static_cast<extensions::PrefpanesPage&>(logic()); }
};

}  // namespace vimbrel

#pragma once

#include <QCoreApplication>
#include "app/ui/ExtensionListViewController.h"
#include "extensions/PluginsPage.h"

namespace vimbrel {

// The plug-in list ("Plugins"): filter by label, removal in place.
class PluginsViewController : public ExtensionListViewController {
 public:
  Q_DECLARE_TR_FUNCTIONS(PluginsViewController)

 public:
  explicit PluginsViewController(AppDelegate& delegate, QWidget* parent = nullptr);

  void controlTextDidChange();
  void remove_plugin();

 protected:
  void remove() override { remove_plugin(); }

 private:
  extensions::PluginsPage& page() { return static_cast<extensions::PluginsPage&>(logic()); }
};

}  // namespace vimbrel

// The three extension lists: each is the shared list page with its own logic.
#include <QLineEdit>

#include "app/ui/AppDelegate.h"
#include "app/ui/PluginsViewController.h"
#include "app/ui/PrefpanesViewController.h"
#include "app/ui/SafariExtensionsViewController.h"

namespace vimbrel {

PluginsViewController::PluginsViewController(AppDelegate& delegate, QWidget* parent)
    : ExtensionListViewController(
          delegate, std::make_unique<extensions::PluginsPage>(pageServices(delegate)),
          {"Plugins", "Plug-ins", "Importers, Quick Look generators and Internet plug-ins",
           "tableviewB", "Installed plug-ins", "remove_plugin", "Remove", true},
          parent) {
  connect(searchField(), &QLineEdit::textChanged, this, [this] { controlTextDidChange(); });
}

void PluginsViewController::controlTextDidChange() {
  page().controlTextDidChange(searchField()->text().toStdString());
  reloadRows();
}

void PluginsViewController::remove_plugin() {
  if (page().remove_plugin() == extensions::RemoveStart::Started) removalStarted();
}

PrefpanesViewController::PrefpanesViewController(AppDelegate& delegate, QWidget* parent)
    : ExtensionListViewController(
          delegate, std::make_unique<extensions::PrefpanesPage>(pageServices(delegate)),
          {"PrefPanes", "Preference Panes",
           "Review a pane and what it leaves behind before it goes", "tableviewP",
           "Installed preference panes", "removePrefPane", "Review…", false},
          parent) {}

void PrefpanesViewController::removePrefPane() { page().removePrefPane(); }

SafariExtensionsViewController::SafariExtensionsViewController(AppDelegate& delegate,
                                                               QWidget* parent)
    : ExtensionListViewController(
          delegate,
          std::make_unique<extensions::SafariExtensionsPage>(
              pageServices(delegate),
              [&delegate] { return delegate.services().isRunning("com.apple.Safari"); }),
          {"SafariExtensions", "Safari Extensions", "The extensions installed in your Safari",
           "tableviewS", "Installed Safari extensions", "removeExtension", "Remove", false},
          parent) {}

void SafariExtensionsViewController::removeExtension() {
  switch (page().removeExtension()) {
    case extensions::RemoveStart::Started:
      removalStarted();
      break;
    case extensions::RemoveStart::SafariRunning:
      presentSheet("LaunchedSafariExtensions");
      break;
    case extensions::RemoveStart::NothingSelected:
    case extensions::RemoveStart::Busy:
      break;
  }
}

}  // namespace vimbrel

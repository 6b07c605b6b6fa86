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
          {"Plugins", tr("Plug-ins"), tr("Importers, Quick Look generators and Internet plug-ins"),
           "tableviewB", tr("Installed plug-ins"), "remove_plugin", tr("Remove"), true,
           tr("No plug-ins are installed."), tr("No plug-in matches “%1”")},
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
          {"PrefPanes", tr("Preference Panes"),
           tr("Review a pane and what it leaves behind before it goes"), "tableviewP",
           tr("Installed preference panes"), "removePrefPane", tr("Review…"), false,
           tr("No preference panes are installed."), tr("No preference pane matches “%1”")},
          parent) {}

void PrefpanesViewController::removePrefPane() { page().removePrefPane(); }

SafariExtensionsViewController::SafariExtensionsViewController(AppDelegate& delegate,
                                                               QWidget* parent)
    : ExtensionListViewController(
          delegate,
          std::make_unique<extensions::SafariExtensionsPage>(
              pageServices(delegate),
              [&delegate] { return delegate.services().isRunning("com.apple.Safari"); }),
          {"SafariExtensions", tr("Safari Extensions"),
           tr("The extensions installed in your Safari"), "tableviewS",
           tr("Installed Safari extensions"), "removeExtension", tr("Remove"), false,
           tr("No Safari extensions are installed."), tr("No extension matches “%1”")},
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

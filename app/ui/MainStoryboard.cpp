#include "app/ui/MainStoryboard.h"

#include "app/ui/AppDelegate.h"
#include "app/ui/ApplicationsViewController.h"
#include "app/ui/BundleCantRemove.h"
#include "app/ui/ExtensionSheets.h"
#include "app/ui/ExtensionsViewController.h"
#include "app/ui/FoldersViewController.h"
#include "app/ui/HomeViewController.h"
#include "app/ui/InfoPluginsViewController.h"
#include "app/ui/InfoPrefPanesViewController.h"
#include "app/ui/PluginsViewController.h"
#include "app/ui/PreferencesViewController.h"
#include "app/ui/PrefpanesViewController.h"
#include "app/ui/PrefrencesSpider.h"
#include "app/ui/Prompts.h"
#include "app/ui/RemainderViewController.h"
#include "app/ui/RemoveViewController.h"
#include "app/ui/SafariExtensionsViewController.h"
#include "app/ui/Sheets.h"
#include "app/ui/Style.h"

namespace vimbrel {

QStringList MainStoryboard::identifiers() {
  return {"Home",
          "Applications",
          "Remainder",
          "Remove",
          "Sandbox",
          "OptionalPreferences",
          "Installedapps",
          "Launched",
          "CantRemove",
          "RateApp",
          "RateAppCount",
          "About",
          "PreferencesMain",
          "PreferencesSpider",
          "PreferencesFolders",
          "Extensions",
          "Plugins",
          "PrefPanes",
          "SafariExtensions",
          "InstalledBundles",
          "InstalledPrefpanes",
          "InstalledSafariExtensions",
          "MorePlugins",
          "MorePrefpanes",
          "LaunchedSafariExtensions",
          "BundleCantRemove"};
}

QWidget* MainStoryboard::instantiateControllerWithIdentifier(const QString& identifier,
                                                             QWidget* parent) const {
  AppDelegate& d = delegate_;
  if (identifier == "Home") return new HomeViewController(d, parent);
  if (identifier == "Applications") return new ApplicationsViewController(d, parent);
  if (identifier == "Remainder") return new RemainderViewController(d, parent);
  if (identifier == "Remove") return new RemoveViewController(d, parent);
  if (identifier == "Sandbox") return new SandboxViewController(d, parent);
  if (identifier == "OptionalPreferences") return new OptionalPurpose(d, parent);
  if (identifier == "Installedapps") return makeInstalledAppsSheet(d, parent);
  if (identifier == "Launched") return makeLaunchedSheet(d, parent);
  if (identifier == "RateAppCount") return makeRateAppCountSheet(d, parent);
  if (identifier == "CantRemove") return new CantRemoveViewController(d, parent);
  if (identifier == "RateApp") return new RateAppViewController(d, parent);
  if (identifier == "About") {
    auto* about = new AboutViewController(d, parent);
    about->setWindowFlag(Qt::Window);
    return about;
  }
  if (identifier == "PreferencesMain") return new PreferencesViewController(d, parent);
  if (identifier == "PreferencesSpider") return new PrefrencesSpider(d, parent);
  if (identifier == "PreferencesFolders") return new FoldersViewController(d, parent);
  if (identifier == "Extensions") return new ExtensionsViewController(d, parent);
  if (identifier == "Plugins") return new PluginsViewController(d, parent);
  if (identifier == "PrefPanes") return new PrefpanesViewController(d, parent);
  if (identifier == "SafariExtensions") return new SafariExtensionsViewController(d, parent);
  if (identifier == "MorePlugins") return new InfoPluginsViewController(d, parent);
  if (identifier == "MorePrefpanes") return new InfoPrefPanesViewController(d, parent);
  if (identifier == "LaunchedSafariExtensions") return new LaunchedSafari(d, parent);
  if (identifier == "BundleCantRemove") return new BundleCantRemove(d, parent);
  if (SheetDialog* empty = makeEmptyListSheet(d, identifier, parent)) return empty;
  return nullptr;
}

}  // namespace vimbrel

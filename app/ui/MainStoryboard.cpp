#include "app/ui/MainStoryboard.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/ApplicationsViewController.h"
#include "app/ui/HomeViewController.h"
#include "app/ui/Prompts.h"
#include "app/ui/RemainderViewController.h"
#include "app/ui/RemoveViewController.h"
#include "app/ui/Sheets.h"
#include "app/ui/Style.h"

namespace vimbrel {

namespace {

// A page of the preferences window; its settings arrive with the preferences.
QWidget* preferencesPage(const QString& identifier, const QString& title, const QString& text,
                         QWidget* parent) {
  auto* page = new QWidget(parent);
  page->setObjectName(identifier);
  page->setWindowTitle(title);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(ui::titleLabel(title, page, 3));
  auto* label = ui::secondaryLabel(text, page);
  label->setWordWrap(true);
  layout->addWidget(label);
  layout->addStretch();
  return page;
}

}  // namespace

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
          "PreferencesSpider"};
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
  if (identifier == "PreferencesMain") {
    return preferencesPage(identifier, "General", "Which applications the list shows.", parent);
  }
  if (identifier == "PreferencesSpider") {
    return preferencesPage(identifier, "Spider",
                           "Vimbrel Spider cleans up after applications you move to the Trash.",
                           parent);
  }
  return nullptr;
}

}  // namespace vimbrel

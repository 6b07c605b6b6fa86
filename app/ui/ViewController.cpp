#include "app/ui/ViewController.h"

#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "app/GrantChecks.h"
#include "app/ui/AppDelegate.h"
#include "app/ui/Page.h"
#include "app/ui/Style.h"
#include "engine/SettingsKeys.h"
#include "platform/ui/WindowMover.h"

namespace vimbrel {

namespace n = notifications;

ViewController::ViewController(AppDelegate& delegate, QWidget* parent)
    : QWidget(parent),
      delegate_(delegate),
      containerView_(new QWidget(this)),
      menuButton_(new QPushButton(this)) {
  setObjectName("view_controller");
  containerView_->setObjectName("containerView");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(containerView_);
  auto* containerLayout = new QVBoxLayout(containerView_);
  containerLayout->setContentsMargins(0, 0, 0, 0);

  // The application menu: preferences, About and quit.
  menuButton_->setObjectName("main_menu");
  ui::makeIconButton(menuButton_,
                     QIcon::fromTheme("open-menu-symbolic", QIcon::fromTheme("application-menu")),
                     "Main menu");
  if (menuButton_->icon().isNull()) menuButton_->setText("☰");
  auto* menu = new QMenu(menuButton_);
  QAction* preferences = menu->addAction("Preferences…", [this] { delegate_.showPreferences(); });
  preferences->setObjectName("showPreferences");
  preferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
  addAction(preferences);
  menu->addAction("About Vimbrel", [this] { delegate_.showAbout(); })->setObjectName("about");
  menu->addSeparator();
  QAction* quit = menu->addAction("Quit Vimbrel", [this] { delegate_.terminateApp(); });
  quit->setObjectName("terminateApp");
  quit->setShortcut(QKeySequence::Quit);
  addAction(quit);
  // The menu pops up without a nested event loop, so that a screen reader's
  // press action returns at once and finds the menu in the tree.
  connect(menuButton_, &QPushButton::clicked, menu, [this, menu] {
    menu->popup(menuButton_->mapToGlobal(
        QPoint(menuButton_->width() - menu->sizeHint().width(), menuButton_->height())));
  });

  // viewDidLoad: the first page, the page notifications, the shortcut.
  home_view_controller();
  using Method = void (ViewController::*)();
  const std::array<Method, 8> methods = {&ViewController::home_view_controller,
                                         &ViewController::applications_view_controller,
                                         &ViewController::remainder_view_controller,
                                         &ViewController::remove_view_controller,
                                         &ViewController::extensions_view_controller,
                                         &ViewController::plugins_view_controller,
                                         &ViewController::prefpanes_view_controller,
                                         &ViewController::safari_extensions_view_controller};
  for (std::size_t i = 0; i < methods.size(); ++i) {
    const Method method = methods[i];
    delegate_.center().addObserver(this, n::kPageNotifications[i],
                                   [this, method] { (this->*method)(); });
  }
  shortcut_ = createGlobalShortcut(parent != nullptr ? parent : this,
                                   QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U),
                                   [this] { presentSheet("OptionalPreferences"); });
}

ViewController::~ViewController() { delegate_.center().removeObserver(this); }

void ViewController::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  menuButton_->adjustSize();
  menuButton_->move(width() - menuButton_->width() - 12, 12);
  menuButton_->raise();
}

Page* ViewController::currentPage() const { return viewcontrollerC_.data(); }

void ViewController::swapPage(const char* identifier) {
  QWidget* created = delegate_.storyboard().instantiateControllerWithIdentifier(identifier);
  auto* page = dynamic_cast<Page*>(created);
  if (page == nullptr) {
    delete created;
    return;
  }
  if (viewcontrollerC_) {
    // The old page may be the sender of this swap: it goes once its call returns.
    // It stays in the window until then, so that closing the window takes it too.
    viewcontrollerC_->hide();
    containerView_->layout()->removeWidget(viewcontrollerC_);
    viewcontrollerC_->deleteLater();
  }
  page->setParent(containerView_);
  containerView_->layout()->addWidget(page);
  enableBackgroundDrag(page);
  viewcontrollerC_ = page;
  page->show();
  page->setFocus();
  menuButton_->raise();
  page->viewDidAppear();
}

void ViewController::home_view_controller() {
  swapPage("Home");
  delegate_.app_settings().setInteger(keys::kSheet, 0);
  delegate_.app_settings().synchronize();
}

void ViewController::applications_view_controller() {
  swapPage("Applications");
  delegate_.app_settings().setInteger(keys::kSheet, 1);
  delegate_.app_settings().synchronize();
}

void ViewController::remainder_view_controller() { swapPage("Remainder"); }
void ViewController::remove_view_controller() { swapPage("Remove"); }
void ViewController::extensions_view_controller() { swapPage("Extensions"); }
void ViewController::plugins_view_controller() { swapPage("Plugins"); }
void ViewController::prefpanes_view_controller() { swapPage("PrefPanes"); }
void ViewController::safari_extensions_view_controller() { swapPage("SafariExtensions"); }

void ViewController::viewWillAppear() {
  SettingsStore& settings = delegate_.app_settings();
  settings.setInteger(keys::kPresentAsSheet, 0);
  settings.synchronize();
  const GrantChecks checks(settings, delegate_.services().loginName);
  if (checks.homeValid() && checks.applicationsValid()) {
    settings.setInteger(keys::kSandbox, 1);
    settings.synchronize();
    delegate_.requestEmailPrompt();
    return;
  }
  settings.setInteger(keys::kSandbox, 0);
  settings.setInteger(keys::kPresentAsSheet, 1);
  settings.synchronize();
  viewcontrollerS_ = presentSheet("Sandbox");
}

QDialog* ViewController::presentSheet(const QString& identifier) {
  QWidget* created = delegate_.storyboard().instantiateControllerWithIdentifier(identifier, this);
  auto* sheet = qobject_cast<QDialog*>(created);
  if (sheet == nullptr) {
    delete created;
    return nullptr;
  }
  return presentSheet(sheet);
}

QDialog* ViewController::presentSheet(QDialog* sheet) {
  sheet->setParent(window(), sheet->windowFlags() | Qt::Sheet | Qt::Dialog);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->setWindowModality(Qt::WindowModal);
  sheet->open();
  return sheet;
}

}  // namespace vimbrel

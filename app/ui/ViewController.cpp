#include "app/ui/ViewController.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
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
      menuButton_(new QPushButton(this)),
      topBar_(new QWidget(this)) {
  setObjectName("view_controller");
  containerView_->setObjectName("containerView");
  topBar_->setObjectName("top_bar");
  auto* topRow = new QHBoxLayout(topBar_);
  topRow->setContentsMargins(24, 12, 24, 0);
  topRow->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(topBar_);
  layout->addWidget(containerView_);
  auto* containerLayout = new QVBoxLayout(containerView_);
  containerLayout->setContentsMargins(0, 0, 0, 0);

  // The application menu: preferences, About and quit.
  menuButton_->setObjectName("main_menu");
  ui::makeIconButton(menuButton_, ui::menuIcon(), tr("Main menu"));
  menuButton_->setIconSize(QSize(20, 20));
  menuButton_->setFixedSize(36, 36);
  auto* menu = new QMenu(menuButton_);
  QAction* preferences =
      menu->addAction(tr("Preferences…"), [this] { delegate_.showPreferences(); });
  preferences->setObjectName("showPreferences");
  preferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
  addAction(preferences);
  QAction* help = menu->addAction(tr("Help"), [this] { delegate_.showHelp(); });
  help->setObjectName("showHelp");
  help->setShortcut(QKeySequence::HelpContents);
  help->setShortcutContext(Qt::ApplicationShortcut);
  addAction(help);
  menu->addAction(tr("About Vimbrel"), [this] { delegate_.showAbout(); })->setObjectName("about");
  menu->addSeparator();
  QAction* quit = menu->addAction(tr("Quit Vimbrel"), [this] { delegate_.terminateApp(); });
  quit->setObjectName("terminateApp");
  quit->setShortcut(QKeySequence::Quit);
  // Ctrl+Q quits from every window of the program, sheets and Preferences too.
  quit->setShortcutContext(Qt::ApplicationShortcut);
  addAction(quit);
  // The menu pops up without a nested event loop, so that a screen reader's
  // press action returns at once and finds the menu in the tree.
  connect(menuButton_, &QPushButton::clicked, menu, [this, menu] {
    menu->popup(menuButton_->mapToGlobal(
        QPoint(menuButton_->width() - menu->sizeHint().width(), menuButton_->height())));
  });
  topRow->addWidget(menuButton_);

  // Esc and Alt+Left: back a page, where the page has a way back.
  for (const QKeySequence& keys :
       {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Back)}) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] { goBack(); });
  }

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

void ViewController::resizeEvent(QResizeEvent* event) { QWidget::resizeEvent(event); }

void ViewController::placeMenuButton(Page* page) {
  if (page != nullptr && page->headerRow() != nullptr) {
    page->headerRow()->addWidget(menuButton_, 0, Qt::AlignTop);
    topBar_->hide();
  } else {
    topBar_->layout()->addWidget(menuButton_);
    topBar_->show();
  }
  menuButton_->show();
}

void ViewController::goBack() {
  Page* page = currentPage();
  if (page == nullptr || page->backButton() == nullptr) return;
  QAbstractButton* back = page->backButton();
  if (back->isVisible() && back->isEnabled()) back->click();
}

Page* ViewController::currentPage() const { return viewcontrollerC_.data(); }

void ViewController::swapPage(const char* identifier) {
  QWidget* created = delegate_.storyboard().instantiateControllerWithIdentifier(identifier);
  auto* page = dynamic_cast<Page*>(created);
  if (page == nullptr) {
    delete created;
    return;
  }
  // The menu button stays with the window while the old page goes.
  topBar_->layout()->addWidget(menuButton_);
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
  placeMenuButton(page);
  page->show();
  page->setFocus();
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

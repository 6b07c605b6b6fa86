#include "app/ui/Sheets.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/OptionalPurposeSheet.h"
#include "app/SandboxSheet.h"
#include "app/ui/AppDelegate.h"
#include "app/ui/Icons.h"
#include "app/ui/Prompts.h"
#include "app/ui/Style.h"
#include "engine/SettingsKeys.h"

namespace vimbrel {

SheetDialog::SheetDialog(const QString& identifier, const QPixmap& picture, const QString& title,
                         const QString& text, QWidget* parent)
    : QDialog(parent), image_(new QLabel(this)), text_(ui::secondaryLabel(text, this)) {
  setObjectName(identifier);
  setWindowTitle(title);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, ui::colors::kWindow);
  setPalette(palette);
  setAutoFillBackground(true);
  image_->setObjectName("image");
  image_->setPixmap(picture);
  image_->setFixedSize(72, 72);
  image_->setScaledContents(true);
  image_->setAlignment(Qt::AlignTop);
  auto* titleLabel = ui::titleLabel(title, this, 4);
  titleLabel->setWordWrap(true);
  text_->setObjectName("text");
  text_->setWordWrap(true);
  text_->setMinimumWidth(300);
  body_ = new QVBoxLayout;
  body_->setSpacing(8);
  body_->addWidget(titleLabel);
  body_->addWidget(text_);
  buttons_ = new QHBoxLayout;
  buttons_->addStretch();
  auto* right = new QVBoxLayout;
  right->addLayout(body_);
  right->addSpacing(12);
  right->addStretch();
  right->addLayout(buttons_);
  auto* top = new QHBoxLayout(this);
  top->setContentsMargins(24, 22, 24, 20);
  top->setSpacing(18);
  auto* left = new QVBoxLayout;
  left->addWidget(image_);
  left->addStretch();
  top->addLayout(left);
  top->addLayout(right, 1);
  setMinimumWidth(460);
  // At most the window's smallest width, so that a sheet always fits.
  setMaximumWidth(620);
}

QPushButton* SheetDialog::addButton(const QString& text, const QString& objectName, bool accent) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(objectName);
  if (accent) {
    ui::makeAccentButton(button);
  } else {
    ui::makeRoundButton(button);
  }
  if (buttons_->count() == 1) button->setDefault(true);
  buttons_->addWidget(button);
  return button;
}

namespace {

QPixmap themePicture(const char* name, const char* fallback) {
  QIcon icon = ui::symbolicIcon({name, fallback});
  return icon.isNull() ? ui::applicationPixmap(144) : icon.pixmap(144, 144);
}

}  // namespace

SandboxViewController::SandboxViewController(AppDelegate& delegate, QWidget* parent)
    : SheetDialog("Sandbox", ui::applicationPixmap(144), tr("Vimbrel needs access to your folders"),
                  tr("Vimbrel only looks where you allow it. Choose your home folder and "
                     "the Applications folder once; Vimbrel remembers them."),
                  parent),
      delegate_(delegate),
      logic_(std::make_unique<SandboxSheet>(delegate.app_settings(), delegate.services().loginName,
                                            delegate.services().homeFolder)),
      switchAllowHome_(new QPushButton(this)),
      switchAllowApplications_(new QPushButton(this)),
      homeProblem_(ui::secondaryLabel({}, this)),
      applicationsProblem_(ui::secondaryLabel({}, this)) {
  switchAllowHome_->setObjectName("allowHome");
  switchAllowApplications_->setObjectName("allowApplication");
  homeProblem_->setObjectName("homeProblem");
  applicationsProblem_->setObjectName("applicationsProblem");
  for (QLabel* problem : {homeProblem_, applicationsProblem_}) {
    problem->setWordWrap(true);
    problem->hide();
  }
  ui::makeAccentButton(switchAllowHome_);
  ui::makeAccentButton(switchAllowApplications_);
  body()->addWidget(switchAllowHome_);
  body()->addWidget(homeProblem_);
  body()->addWidget(switchAllowApplications_);
  body()->addWidget(applicationsProblem_);
  body()->insertSpacing(2, 6);
  quit_ = addButton(SandboxViewController::tr("Quit"), "exit", false);
  quit_->setAccessibleDescription(SandboxViewController::tr("Quit Vimbrel"));
  // Return must never end the program: Quit is neither the default nor
  // made default by focus.
  quit_->setDefault(false);
  quit_->setAutoDefault(false);
  connect(switchAllowHome_, &QPushButton::clicked, this, [this] { allowHome(); });
  connect(switchAllowApplications_, &QPushButton::clicked, this, [this] { allowApplication(); });
  connect(quit_, &QPushButton::clicked, this, [this] { exit(); });
  logic_->onLoad();
  refresh();
}

SandboxViewController::~SandboxViewController() = default;

void SandboxViewController::refresh() {
  const bool homeNeeded = logic_->homeSwitchEnabled();
  const bool applicationsNeeded = logic_->applicationsSwitchEnabled();
  switchAllowHome_->setEnabled(homeNeeded);
  switchAllowApplications_->setEnabled(applicationsNeeded);
  switchAllowHome_->setText(homeNeeded ? tr("Allow Home Folder…") : tr("Home folder allowed ✓"));
  switchAllowApplications_->setText(applicationsNeeded ? tr("Allow Applications Folder…")
                                                       : tr("Applications folder allowed ✓"));
  const auto showProblem = [](QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
    label->setAccessibleName(label->text());
    label->setVisible(!text.empty());
  };
  showProblem(homeProblem_, logic_->homeProblem());
  showProblem(applicationsProblem_, logic_->applicationsProblem());
  // Return grants the first folder still needed.
  QPushButton* next =
      homeNeeded ? switchAllowHome_ : (applicationsNeeded ? switchAllowApplications_ : nullptr);
  for (QPushButton* button : {switchAllowHome_, switchAllowApplications_}) {
    button->setAutoDefault(false);
    button->setDefault(button == next);
  }
  if (next != nullptr) next->setFocus(Qt::OtherFocusReason);
  if (logic_->dismissRequested()) accept();
}

void SandboxViewController::allowHome() {
  logic_->allowHome(*delegate_.services().folderChooser);
  refresh();
}

void SandboxViewController::allowApplication() {
  logic_->allowApplication(*delegate_.services().folderChooser);
  refresh();
}

void SandboxViewController::exit() { delegate_.terminateApp(); }

void SandboxViewController::reject() {}

void SandboxViewController::closeEvent(QCloseEvent* event) {
  if (logic_->dismissRequested()) {
    QDialog::closeEvent(event);
    return;
  }
  // Without both grants the window has nothing to show: closing quits.
  event->ignore();
  exit();
}

OptionalPurpose::OptionalPurpose(AppDelegate& delegate, QWidget* parent)
    : SheetDialog("OptionalPreferences", themePicture("drive-harddisk", "drive-harddisk-symbolic"),
                  tr("Search the whole disk"),
                  tr("Some applications also leave files in the system's folders (/Library, "
                     "/Users/Shared, /var). Allow the whole disk (choose “/”) to find and remove "
                     "those too."),
                  parent),
      delegate_(delegate),
      logic_(std::make_unique<OptionalPurposeSheet>(delegate.app_settings())),
      macOSButton_(new QPushButton(tr("Allow Whole Disk…"), this)) {
  macOSButton_->setObjectName("AllowmacOS");
  ui::makeAccentButton(macOSButton_);
  body()->addWidget(macOSButton_);
  QPushButton* close = addButton(tr("Close"), "close", false);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(macOSButton_, &QPushButton::clicked, this, [this] { AllowmacOS(); });
  logic_->onLoad();
  macOSButton_->setEnabled(logic_->macOSButtonEnabled());
  if (!logic_->macOSButtonEnabled()) macOSButton_->setText(tr("Whole disk allowed ✓"));
}

OptionalPurpose::~OptionalPurpose() = default;

void OptionalPurpose::AllowmacOS() {
  logic_->AllowmacOS(*delegate_.services().folderChooser);
  macOSButton_->setEnabled(logic_->macOSButtonEnabled());
  if (!logic_->macOSButtonEnabled()) macOSButton_->setText(tr("Whole disk allowed ✓"));
}

SheetDialog* makeLaunchedSheet(AppDelegate& delegate, QWidget* parent) {
  auto item = delegate.state().item();
  const QString label =
      item ? QString::fromStdString(item->label) : SheetDialog::tr("The application");
  QPixmap picture = ui::applicationPixmap(144);
  if (item) {
    QIcon icon = ui::iconFor(*delegate.services().icons, item->icon);
    if (!icon.isNull()) picture = icon.pixmap(144, 144);
  }
  auto* sheet = new SheetDialog(
      "Launched", picture, SheetDialog::tr("%1 is running").arg(label),
      SheetDialog::tr("Quit %1 first, then remove it. Nothing was removed.").arg(label), parent);
  sheet->textLabel()->setObjectName("label");
  QPushButton* ok = sheet->addButton(SheetDialog::tr("OK"), "ok", true);
  QObject::connect(ok, &QPushButton::clicked, sheet, &QDialog::accept);
  return sheet;
}

SheetDialog* makeInstalledAppsSheet(AppDelegate&, QWidget* parent) {
  auto* sheet = new SheetDialog(
      "Installedapps", themePicture("system-software-install", "folder"),
      SheetDialog::tr("No applications found"),
      SheetDialog::tr("Vimbrel found no application in the folder you allowed. Drop an "
                      "application on the window, or allow another Applications folder."),
      parent);
  QPushButton* ok = sheet->addButton(SheetDialog::tr("OK"), "ok", true);
  QObject::connect(ok, &QPushButton::clicked, sheet, &QDialog::accept);
  return sheet;
}

SheetDialog* makeRateAppCountSheet(AppDelegate& delegate, QWidget* parent) {
  auto* sheet = new SheetDialog(
      "RateAppCount", ui::applicationPixmap(144), SheetDialog::tr("Enjoying Vimbrel?"),
      launchCountRateMessage(delegate.app_settings().integer(keys::kAppLaunchCount)), parent);
  QPushButton* yes = sheet->addButton(SheetDialog::tr("Rate Vimbrel"), "yesApp", true);
  QPushButton* later = sheet->addButton(SheetDialog::tr("Not Now"), "close", false);
  QObject::connect(yes, &QPushButton::clicked, sheet, [&delegate, sheet] {
    rateApp(delegate);
    sheet->accept();
  });
  QObject::connect(later, &QPushButton::clicked, sheet, &QDialog::reject);
  return sheet;
}

}  // namespace vimbrel

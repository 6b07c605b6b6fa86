#include "app/ui/RemoveViewController.h"

#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/Icons.h"
#include "app/ui/MainWindow.h"
#include "app/ui/Popover.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"
#include "engine/SettingsKeys.h"

namespace vimbrel {

RemoveViewController::RemoveViewController(AppDelegate& delegate, QWidget* parent)
    : Page(parent), appDelegate_(delegate) {
  setObjectName("Remove");
  auto item = delegate.state().item();
  const QString label = item ? QString::fromStdString(item->label) : QString();

  auto* image = new QLabel(this);
  image->setObjectName("image");
  QPixmap picture = delegate.itemPicture();
  if (picture.isNull() && item) {
    QIcon icon = ui::iconFor(*delegate.services().icons, item->app_icon);
    if (icon.isNull()) icon = ui::iconFor(*delegate.services().icons, item->icon);
    picture = icon.pixmap(192, 192);
  }
  image->setPixmap(picture.isNull() ? ui::applicationPixmap(192) : picture);
  image->setFixedSize(96, 96);
  image->setScaledContents(true);
  auto* done = new QLabel("✓", this);
  done->setAlignment(Qt::AlignCenter);
  done->setFixedSize(30, 30);
  done->setStyleSheet(
      "background: rgb(52,199,89); color: white; border-radius: 15px; font-weight: bold;");
  auto* name = ui::titleLabel(label, this, 9);
  name->setObjectName("name");
  name->setAlignment(Qt::AlignCenter);
  auto* removed = ui::secondaryLabel(tr("was removed"), this);
  removed->setAlignment(Qt::AlignCenter);
  auto* size = ui::titleLabel(ui::sizeText(delegate.state().common_remove_size()), this, 14);
  size->setObjectName("size");
  size->setAlignment(Qt::AlignCenter);
  size->setStyleSheet("color: " + ui::colors::css(ui::colors::kRowTextSelected) + ";");
  size->setAccessibleName(tr("Removed %1").arg(size->text()));
  auto* freed = ui::secondaryLabel(tr("freed on disk"), this);
  freed->setAlignment(Qt::AlignCenter);

  auto* applications = new QPushButton(tr("Remove Another Application"), this);
  applications->setObjectName("back_applications");
  ui::makeAccentButton(applications);
  auto* home = new QPushButton(tr("Home"), this);
  home->setObjectName("back_home");
  home->setAccessibleName(tr("Back to Home"));
  ui::makeRoundButton(home);
  anchorButton_ = applications;
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(home);
  buttons->addSpacing(8);
  buttons->addWidget(applications);
  buttons->addStretch();

  auto* imageRow = new QHBoxLayout;
  imageRow->addStretch();
  imageRow->addWidget(image);
  imageRow->addWidget(done, 0, Qt::AlignBottom);
  imageRow->addSpacing(-30);
  imageRow->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 40, 24, 32);
  layout->addStretch(2);
  layout->addLayout(imageRow);
  layout->addSpacing(12);
  layout->addWidget(name);
  layout->addWidget(removed);
  layout->addSpacing(16);
  layout->addWidget(size);
  layout->addWidget(freed);
  layout->addStretch(3);
  layout->addLayout(buttons);
  connect(applications, &QPushButton::clicked, this, [this] { back_applications(); });
  connect(home, &QPushButton::clicked, this, [this] { back_home(); });
  setFocusProxy(applications);

  delegate.center().addObserver(this, notifications::kCloseRateApp, [this] { close_rate_app(); });
}

RemoveViewController::~RemoveViewController() {
  appDelegate_.center().removeObserver(this);
  if (popover_) popover_->deleteLater();
}

QRect RemoveViewController::cantRemoveRect() { return {230, 0, 340, 188}; }
QRect RemoveViewController::rateRect() { return {230, 46, 311, 140}; }

void RemoveViewController::viewDidAppear() {
  SettingsStore& settings = appDelegate_.app_settings();
  const std::int64_t removals = settings.integer(keys::kRemoveAppCount) + 1;
  settings.setInteger(keys::kRemoveAppCount, removals);
  settings.synchronize();
  const std::int64_t rated = settings.integer(keys::kAppIsRate);
  const std::int64_t launches = settings.integer(keys::kAppLaunchCount);

  const auto survivors = appDelegate_.state().remainder_urls();
  if (!survivors.empty() && QFileInfo::exists(QString::fromStdString(survivors.front()))) {
    showPopover("CantRemove", cantRemoveRect());
    return;
  }
  if (removals % 10 == 0 && rated != 1) {
    showPopover("RateApp", rateRect());
    return;
  }
  if (rated == 1) return;
  if (launches % 10 == 0) {
    if (MainWindow* window = appDelegate_.window()) {
      rateSheet_ = window->viewController()->presentSheet("RateAppCount");
    }
  }
}

void RemoveViewController::showPopover(const char* identifier, const QRect&) {
  QWidget* content = appDelegate_.storyboard().instantiateControllerWithIdentifier(identifier);
  if (content == nullptr) return;
  auto* popover = new Popover(content, this);
  popover->setObjectName(QString(identifier) + "Popover");
  popover_ = popover;
  // The page's layout is ours: the popover points at the main button, where
  // the fixed rectangles of the original layout pointed.
  const QRect anchor(anchorButton_->mapTo(this, QPoint(0, 0)), anchorButton_->size());
  popover->showRelativeTo(anchor);
}

void RemoveViewController::close_rate_app() {
  if (popover_) popover_->close();
}

void RemoveViewController::back_applications() {
  appDelegate_.center().post(notifications::kApplicationsViewController);
}

void RemoveViewController::back_home() {
  appDelegate_.center().post(notifications::kHomeViewController);
}

}  // namespace vimbrel

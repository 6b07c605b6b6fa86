#include "app/ui/RemoveViewController.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/RemovalFollowUp.h"
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
  // The headline tells the truth: with survivors the application was only
  // partly removed, and the size counts only what was freed.
  const std::vector<std::string> survivors = delegate.state().remainder_urls();
  const bool partly = !survivors.empty();
  auto* done = new QLabel("✓", this);
  done->setObjectName("done");
  done->setAlignment(Qt::AlignCenter);
  done->setFixedSize(30, 30);
  const QPalette& colors = palette();
  done->setStyleSheet(QString("background: %1; color: %2; border-radius: 15px; font-weight: bold;")
                          .arg(colors.color(QPalette::Highlight).name(),
                               colors.color(QPalette::HighlightedText).name()));
  done->setAccessibleName(tr("Done"));
  done->setVisible(!partly);
  auto* name = ui::titleLabel(
      partly ? tr("%1 was partly removed").arg(label) : tr("%1 was removed").arg(label), this, 7);
  name->setObjectName("headline");
  name->setAlignment(Qt::AlignCenter);
  name->setWordWrap(true);
  auto* removed = ui::secondaryLabel(
      survivors.size() == 1 ? tr("1 item could not be removed.")
                            : tr("%1 items could not be removed.").arg(survivors.size()),
      this);
  removed->setObjectName("survivors");
  removed->setAlignment(Qt::AlignCenter);
  removed->setVisible(partly);
  auto* size = ui::titleLabel(ui::sizeText(delegate.state().common_remove_size()), this, 14);
  size->setObjectName("size");
  size->setAlignment(Qt::AlignCenter);
  // The accent as text: readable on a light and on a dark page.
  QPalette sizeColors = size->palette();
  sizeColors.setColor(QPalette::WindowText,
                      ui::colors::color(ui::colors::Role::RowTextSelected, colors));
  size->setPalette(sizeColors);
  size->setAccessibleName(tr("Freed %1").arg(size->text()));
  auto* freed = ui::secondaryLabel(tr("freed on disk"), this);
  freed->setAlignment(Qt::AlignCenter);

  auto* applications = new QPushButton(tr("Remove Another Application"), this);
  applications->setObjectName("back_applications");
  ui::makeAccentButton(applications);
  auto* home = new QPushButton(tr("Home"), this);
  home->setObjectName("back_home");
  home->setAccessibleDescription(tr("Back to Home"));
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
  if (!partly) imageRow->addSpacing(-30);
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
  const auto followUp = countRemovalAndChooseFollowUp(appDelegate_.app_settings(),
                                                      appDelegate_.state().remainder_urls(),
                                                      *appDelegate_.services().fileSystem);
  switch (followUp) {
    case RemovalFollowUp::CantRemove:
      showPopover("CantRemove", cantRemoveRect());
      break;
    case RemovalFollowUp::RateApp:
      showPopover("RateApp", rateRect());
      break;
    case RemovalFollowUp::RateAppCount:
      if (MainWindow* window = appDelegate_.window()) {
        rateSheet_ = window->viewController()->presentSheet("RateAppCount");
      }
      break;
    case RemovalFollowUp::None:
      break;
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

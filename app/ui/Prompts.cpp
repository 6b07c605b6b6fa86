#include "app/ui/Prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "app/ui/AppDelegate.h"
#include "app/ui/Style.h"
#include "engine/RemainderPresentation.h"
#include "engine/SettingsKeys.h"

#ifndef VIMBREL_SOURCE_RESOURCES
#define VIMBREL_SOURCE_RESOURCES ""
#endif

namespace vimbrel {

QString rateMessage(std::int64_t removeAppCount) {
  return QCoreApplication::translate("Prompts", "You have removed %1 apps. Do you enjoy Vimbrel?")
      .arg(static_cast<qlonglong>(removeAppCount));
}

std::string rateText(std::int64_t removeAppCount) {
  return rateMessage(removeAppCount).toStdString();
}

QString launchCountRateMessage(std::int64_t appLaunchCount) {
  return QCoreApplication::translate("Prompts", "You have used Vimbrel %1 times. Do you like it?")
      .arg(static_cast<qlonglong>(appLaunchCount));
}

std::string launchCountRateText(std::int64_t appLaunchCount) {
  return launchCountRateMessage(appLaunchCount).toStdString();
}

void rateApp(AppDelegate& delegate) {
  delegate.services().urlOpener->openUrl(links::kStorePage);
  delegate.app_settings().setInteger(keys::kAppIsRate, 1);
  delegate.app_settings().synchronize();
}

RateAppViewController::RateAppViewController(AppDelegate& delegate, QWidget* parent)
    : QWidget(parent), delegate_(delegate), label_(new QLabel(this)) {
  setObjectName("RateApp");
  label_->setObjectName("label");
  label_->setText(vimbrel::rateMessage(delegate.app_settings().integer(keys::kRemoveAppCount)));
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignCenter);
  QFont font = label_->font();
  font.setPointSizeF(font.pointSizeF() + 1);
  label_->setFont(font);
  auto* stars = new QLabel("★★★★★", this);
  stars->setAlignment(Qt::AlignCenter);
  stars->setAccessibleName(tr("Five stars"));
  QFont starFont = stars->font();
  starFont.setPointSizeF(starFont.pointSizeF() + 8);
  stars->setFont(starFont);
  stars->setStyleSheet("color: rgb(255,179,0);");
  auto* rate = new QPushButton(tr("Rate"), this);
  rate->setObjectName("rateApp");
  rate->setAccessibleName(tr("Rate Vimbrel"));
  ui::makeAccentButton(rate);
  auto* dislike = new QPushButton(tr("I don't like it"), this);
  dislike->setObjectName("Dislike");
  ui::makeRoundButton(dislike);
  auto* notNow = new QPushButton(tr("Not now"), this);
  notNow->setObjectName("no");
  ui::makeRoundButton(notNow);
  auto* closeButton = new QPushButton(this);
  closeButton->setObjectName("close");
  ui::makeIconButton(closeButton, ui::symbolicIcon({"window-close"}), tr("Close"));
  if (closeButton->icon().isNull()) closeButton->setText("✕");
  auto* top = new QHBoxLayout;
  top->addStretch();
  top->addWidget(closeButton);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(notNow);
  buttons->addWidget(dislike);
  buttons->addWidget(rate);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 0, 6, 4);
  layout->addLayout(top);
  layout->addWidget(stars);
  layout->addWidget(label_);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  setFixedWidth(340);
  connect(rate, &QPushButton::clicked, this, [this] { rateApp(); });
  connect(dislike, &QPushButton::clicked, this, [this] { Dislike(); });
  connect(notNow, &QPushButton::clicked, this, [this] { no(); });
  connect(closeButton, &QPushButton::clicked, this, [this] { close(); });
}

void RateAppViewController::rateApp() {
  vimbrel::rateApp(delegate_);
  delegate_.center().post(notifications::kCloseRateApp);
}

// Records the answer just as a positive one does.
void RateAppViewController::Dislike() { rateApp(); }

void RateAppViewController::no() { delegate_.center().post(notifications::kCloseRateApp); }

void RateAppViewController::close() { delegate_.center().post(notifications::kCloseRateApp); }

CantRemoveViewController::CantRemoveViewController(AppDelegate& delegate, QWidget* parent)
    : QWidget(parent), delegate_(delegate) {
  setObjectName("CantRemove");
  const auto survivors = delegate.state().remainder_urls();
  auto* icon = new QLabel(this);
  icon->setPixmap(ui::symbolicIcon({"dialog-warning"}).pixmap(40, 40));
  auto* title = ui::titleLabel(tr("Some items could not be removed"), this, 2);
  title->setWordWrap(true);
  auto* text = ui::secondaryLabel(
      survivors.size() == 1
          ? tr("1 item is left where it was. You can remove it yourself in the file manager.")
          : tr("%1 items are left where they were. You can remove them yourself in the file "
               "manager.")
                .arg(survivors.size()),
      this);
  text->setWordWrap(true);
  // Each survivor with why it stayed, the first few of a long list.
  const auto reasons = delegate.state().remainder_survivors();
  QStringList lines;
  constexpr std::size_t kShown = 4;
  for (std::size_t i = 0; i < reasons.size() && i < kShown; ++i) {
    QString line = QString::fromStdString(shownName(reasons[i].path)).toHtmlEscaped();
    if (!reasons[i].reason.empty()) {
      line += " — " + QString::fromStdString(reasons[i].reason).toHtmlEscaped();
    }
    lines << line;
  }
  if (reasons.size() > kShown) lines << tr("and %1 more").arg(reasons.size() - kShown);
  auto* details = ui::secondaryLabel(lines.join("<br>"), this);
  details->setObjectName("survivors");
  details->setTextFormat(Qt::RichText);
  details->setWordWrap(true);
  auto* reveal = new QPushButton(tr("Show in Files"), this);
  reveal->setObjectName("show_in_finder");
  reveal->setAccessibleName(tr("Show the items that could not be removed in Files"));
  ui::makeAccentButton(reveal);
  auto* head = new QHBoxLayout;
  head->addWidget(icon, 0, Qt::AlignTop);
  head->addWidget(title, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addLayout(head);
  layout->addWidget(text);
  if (!lines.isEmpty()) layout->addWidget(details);
  layout->addSpacing(6);
  layout->addWidget(reveal, 0, Qt::AlignRight);
  setFixedWidth(340);
  connect(reveal, &QPushButton::clicked, this, [this] { show_in_finder(); });
}

void CantRemoveViewController::show_in_finder() {
  delegate_.services().fileViewer->reveal(delegate_.state().remainder_urls());
}

std::string AboutViewController::acknowledgementsFile() {
  const QString exeDir = QCoreApplication::applicationDirPath();
  const QStringList candidates = {
      exeDir + "/../share/vimbrel/Acknowledgements.rtf",
      exeDir + "/Acknowledgements.rtf",
      QString(VIMBREL_SOURCE_RESOURCES) + "/Acknowledgements.rtf",
  };
  for (const QString& candidate : candidates) {
    if (QFileInfo(candidate).isFile()) return QDir::cleanPath(candidate).toStdString();
  }
  return {};
}

AboutViewController::AboutViewController(AppDelegate& delegate, QWidget* parent)
    : QWidget(parent), delegate_(delegate) {
  setObjectName("About");
  setWindowTitle(tr("About Vimbrel"));
  setWindowIcon(ui::applicationIcon());
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, ui::colors::kPanel);
  setPalette(palette);
  setAutoFillBackground(true);
  auto* icon = new QLabel(this);
  icon->setPixmap(ui::applicationPixmap(192));
  icon->setFixedSize(96, 96);
  icon->setScaledContents(true);
  auto* name = ui::titleLabel("Vimbrel", this, 8);
  name->setAlignment(Qt::AlignCenter);
  const QString version = QCoreApplication::applicationVersion();
  auto* versionLabel = ui::secondaryLabel(tr("Version %1").arg(version), this);
  versionLabel->setAlignment(Qt::AlignCenter);
  auto* blurb = ui::secondaryLabel(
      tr("Removes applications together with the files they leave behind.") + "\n© Orvik Seltan",
      this);
  blurb->setAlignment(Qt::AlignCenter);
  blurb->setWordWrap(true);
  auto* makerApp = new QPushButton(tr("More from Orvik Seltan"), this);
  makerApp->setObjectName("maker_app");
  auto* acknowledgements = new QPushButton(tr("Acknowledgements"), this);
  acknowledgements->setObjectName("Acknowledgements");
  auto* homePage = new QPushButton(tr("Web Site"), this);
  homePage->setObjectName("HomePage");
  homePage->setAccessibleName(tr("Open the web site"));
  for (QPushButton* button : {makerApp, acknowledgements, homePage}) ui::makeRoundButton(button);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(homePage);
  buttons->addWidget(acknowledgements);
  buttons->addWidget(makerApp);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(28, 26, 28, 22);
  layout->setSpacing(8);
  layout->addWidget(icon, 0, Qt::AlignHCenter);
  layout->addWidget(name);
  layout->addWidget(versionLabel);
  layout->addSpacing(4);
  layout->addWidget(blurb);
  layout->addSpacing(12);
  layout->addLayout(buttons);
  connect(makerApp, &QPushButton::clicked, this, [this] { maker_app(); });
  connect(acknowledgements, &QPushButton::clicked, this, [this] { Acknowledgements(); });
  connect(homePage, &QPushButton::clicked, this, [this] { HomePage(); });
  setFixedSize(sizeHint().expandedTo(QSize(460, 0)));
  ui::addCloseShortcuts(this);
  setFocusPolicy(Qt::StrongFocus);
  setFocus();
}

void AboutViewController::maker_app() { delegate_.services().urlOpener->openUrl(links::kMakerApp); }

void AboutViewController::Acknowledgements() {
  const std::string file = acknowledgementsFile();
  if (!file.empty()) delegate_.services().urlOpener->openFile(file);
}

void AboutViewController::HomePage() { delegate_.services().urlOpener->openUrl(links::kMakerSite); }

}  // namespace vimbrel

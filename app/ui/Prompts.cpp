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
#include "engine/SettingsKeys.h"

#ifndef VIMBREL_SOURCE_RESOURCES
#define VIMBREL_SOURCE_RESOURCES ""
#endif

namespace vimbrel {

namespace {

std::string formatCount(const char* format, std::int64_t value) {
  char text[160];
  std::snprintf(text, sizeof text, format, static_cast<long>(value));
  return text;
}

}  // namespace

std::string rateText(std::int64_t removeAppCount) {
  return formatCount("You are removed %li apps.You enjoyed this app?", removeAppCount);
}

std::string launchCountRateText(std::int64_t appLaunchCount) {
  return formatCount("You use app %li times.Do you like Vimbrel?", appLaunchCount);
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
  label_->setText(QString::fromStdString(
      vimbrel::rateText(delegate.app_settings().integer(keys::kRemoveAppCount))));
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignCenter);
  QFont font = label_->font();
  font.setPointSizeF(font.pointSizeF() + 1);
  label_->setFont(font);
  auto* stars = new QLabel("★★★★★", this);
  stars->setAlignment(Qt::AlignCenter);
  stars->setAccessibleName("Five stars");
  QFont starFont = stars->font();
  starFont.setPointSizeF(starFont.pointSizeF() + 8);
  stars->setFont(starFont);
  stars->setStyleSheet("color: rgb(255,179,0);");
  auto* rate = new QPushButton("Rate", this);
  rate->setObjectName("rateApp");
  rate->setAccessibleName("Rate Vimbrel");
  ui::makeAccentButton(rate);
  auto* dislike = new QPushButton("I don't like it", this);
  dislike->setObjectName("Dislike");
  ui::makeRoundButton(dislike);
  auto* notNow = new QPushButton("Not now", this);
  notNow->setObjectName("no");
  ui::makeRoundButton(notNow);
  auto* closeButton = new QPushButton("✕", this);
  closeButton->setObjectName("close");
  ui::makeIconButton(closeButton, {}, "Close");
  closeButton->setText("✕");
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
  icon->setPixmap(QIcon::fromTheme("dialog-warning").pixmap(40, 40));
  auto* title = ui::titleLabel("Some items could not be removed", this, 2);
  title->setWordWrap(true);
  auto* text = ui::secondaryLabel(
      QString("%1 %2 left where %3. You can remove %4 yourself in the file manager.")
          .arg(survivors.size())
          .arg(survivors.size() == 1 ? "item is" : "items are")
          .arg(survivors.size() == 1 ? "it was" : "they were")
          .arg(survivors.size() == 1 ? "it" : "them"),
      this);
  text->setWordWrap(true);
  auto* reveal = new QPushButton("Show in Files", this);
  reveal->setObjectName("show_in_finder");
  reveal->setAccessibleName("Show the items that could not be removed in Files");
  ui::makeAccentButton(reveal);
  auto* head = new QHBoxLayout;
  head->addWidget(icon, 0, Qt::AlignTop);
  head->addWidget(title, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addLayout(head);
  layout->addWidget(text);
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
  setWindowTitle("About Vimbrel");
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
  auto* versionLabel = ui::secondaryLabel("Version " + version, this);
  versionLabel->setAlignment(Qt::AlignCenter);
  auto* blurb = ui::secondaryLabel(
      "Removes applications together with the files they leave behind.\n© Orvik Seltan", this);
  blurb->setAlignment(Qt::AlignCenter);
  blurb->setWordWrap(true);
  auto* makerApp = new QPushButton("More from Orvik Seltan", this);
  makerApp->setObjectName("maker_app");
  auto* acknowledgements = new QPushButton("Acknowledgements", this);
  acknowledgements->setObjectName("Acknowledgements");
  auto* homePage = new QPushButton("Web Site", this);
  homePage->setObjectName("HomePage");
  homePage->setAccessibleName("Open the web site");
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

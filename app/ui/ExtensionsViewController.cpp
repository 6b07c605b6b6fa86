#include "app/ui/ExtensionsViewController.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/ExtensionIcons.h"
#include "app/ui/ExtensionSheets.h"
#include "app/ui/Style.h"
#include "platform/NotificationCenter.h"

namespace vimbrel {

namespace {

// One tile of the hub: a large picture over a title and a line of text, the
// whole tile one button.
QPushButton* tile(QWidget* parent, const QString& action, const QPixmap& picture,
                  const QString& title, const QString& text, QLabel** image) {
  auto* button = new QPushButton(parent);
  button->setObjectName(action);
  button->setAccessibleName(title);
  button->setAccessibleDescription(text);
  button->setCursor(Qt::PointingHandCursor);
  button->setMinimumSize(200, 190);
  button->setStyleSheet(
      "QPushButton { background: rgb(246,246,248); border: 1px solid rgb(228,228,231);"
      " border-radius: 14px; }"
      "QPushButton:hover { background: rgb(238,244,255); border-color: rgb(0,148,239); }"
      "QPushButton:pressed { background: rgb(226,236,252); }"
      "QPushButton:focus { border: 2px solid rgb(0,148,239); }");
  auto* layout = new QVBoxLayout(button);
  layout->setContentsMargins(16, 26, 16, 22);
  layout->setSpacing(6);
  auto* art = new QLabel(button);
  art->setPixmap(picture);
  art->setFixedSize(72, 72);
  art->setScaledContents(true);
  art->setAttribute(Qt::WA_TransparentForMouseEvents);
  layout->addWidget(art, 0, Qt::AlignHCenter);
  layout->addSpacing(8);
  auto* heading = ui::titleLabel(title, button, 3);
  heading->setAlignment(Qt::AlignCenter);
  heading->setAttribute(Qt::WA_TransparentForMouseEvents);
  layout->addWidget(heading);
  auto* detail = ui::secondaryLabel(text, button);
  detail->setAlignment(Qt::AlignCenter);
  detail->setWordWrap(true);
  detail->setAttribute(Qt::WA_TransparentForMouseEvents);
  layout->addWidget(detail);
  layout->addStretch();
  if (image != nullptr) *image = art;
  return button;
}

}  // namespace

ExtensionsViewController::ExtensionsViewController(AppDelegate& delegate, QWidget* parent)
    : Page(parent), delegate_(delegate) {
  setObjectName("Extensions");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 20, 24, 28);
  layout->setSpacing(10);
  auto* header = new QHBoxLayout;
  header->setSpacing(12);
  auto* back = new QPushButton("‹  Home", this);
  back->setObjectName("back_to_home_viewcontroller");
  back->setAccessibleName("Back to Home");
  ui::makeRoundButton(back);
  header->addWidget(back, 0, Qt::AlignTop);
  header->addSpacing(10);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(0);
  titles->addWidget(ui::titleLabel("Extensions", this, 7));
  titles->addWidget(
      ui::secondaryLabel("Remove plug-ins, preference panes and Safari extensions.", this));
  header->addLayout(titles, 1);
  layout->addLayout(header);
  layout->addSpacing(26);

  auto* tiles = new QHBoxLayout;
  tiles->setSpacing(16);
  auto* pluginsTile =
      tile(this, "plugins", ui::pluginPixmap(144), "Plug-ins",
           "Importers, Quick Look generators and Internet plug-ins", &plugins_image_);
  plugins_image_->setObjectName("plugins_image");
  auto* panesTile = tile(this, "preference_panes", ui::prefPanePixmap(144), "Preference Panes",
                         "Panes and what they leave behind", nullptr);
  auto* safariTile = tile(this, "sfari_extensions", LaunchedSafari::compass(delegate),
                          "Safari Extensions", "The extensions of your Safari", &safari_image_);
  safari_image_->setObjectName("safari_image");
  tiles->addWidget(pluginsTile);
  tiles->addWidget(panesTile);
  tiles->addWidget(safariTile);
  layout->addLayout(tiles);
  layout->addStretch();

  connect(back, &QPushButton::clicked, this, [this] { back_to_home_viewcontroller(); });
  connect(pluginsTile, &QPushButton::clicked, this, [this] { plugins(); });
  connect(panesTile, &QPushButton::clicked, this, [this] { preference_panes(); });
  connect(safariTile, &QPushButton::clicked, this, [this] { sfari_extensions(); });
  setFocusProxy(pluginsTile);
}

void ExtensionsViewController::back_to_home_viewcontroller() {
  delegate_.center().post(notifications::kHomeViewController);
}
void ExtensionsViewController::plugins() {
  delegate_.center().post(notifications::kPluginsViewController);
}
void ExtensionsViewController::preference_panes() {
  delegate_.center().post(notifications::kPrefpanesViewController);
}
void ExtensionsViewController::sfari_extensions() {
  delegate_.center().post(notifications::kSafariExtensionsViewController);
}

}  // namespace vimbrel

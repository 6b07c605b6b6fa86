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
  // Narrow enough for three in a row at the window's smallest width.
  button->setMinimumSize(170, 190);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  button->setStyleSheet(QString("QPushButton { background: %1; border: 1px solid %2;"
                                " border-radius: 14px; }"
                                "QPushButton:hover { border-color: %3; }"
                                "QPushButton:pressed { background: %4; }"
                                "QPushButton:focus { border: 2px solid %3; }")
                            .arg(ui::colors::css(ui::colors::Role::Panel),
                                 ui::colors::css(ui::colors::Role::Separator),
                                 ui::colors::css(ui::colors::Role::RowTextSelected),
                                 ui::colors::css(ui::colors::Role::AccentWash)));
  auto* layout = new QVBoxLayout(button);
  layout->setContentsMargins(12, 22, 12, 18);
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
  heading->setWordWrap(true);
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
  auto* back = new QPushButton(tr("‹  Home"), this);
  back->setObjectName("back_to_home_viewcontroller");
  back->setAccessibleName(tr("Back to Home"));
  ui::makeRoundButton(back);
  setBackButton(back);
  header->addWidget(back, 0, Qt::AlignTop);
  header->addSpacing(10);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(0);
  titles->addWidget(ui::titleLabel(tr("Extensions"), this, 7));
  auto* subtitle =
      ui::secondaryLabel(tr("Remove plug-ins, preference panes and Safari extensions."), this);
  subtitle->setWordWrap(true);
  titles->addWidget(subtitle);
  header->addLayout(titles, 1);
  setHeaderRow(header);  // the window's menu button ends it
  layout->addLayout(header);
  layout->addSpacing(16);

  auto* tiles = new QHBoxLayout;
  tiles->setSpacing(12);
  auto* pluginsTile =
      tile(this, "plugins", ui::pluginPixmap(144), tr("Plug-ins"),
           tr("Importers, Quick Look generators and Internet plug-ins"), &plugins_image_);
  plugins_image_->setObjectName("plugins_image");
  auto* panesTile = tile(this, "preference_panes", ui::prefPanePixmap(144), tr("Preference Panes"),
                         tr("Panes and what they leave behind"), nullptr);
  auto* safariTile =
      tile(this, "sfari_extensions", LaunchedSafari::compass(delegate), tr("Safari Extensions"),
           tr("The extensions of your Safari"), &safari_image_);
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

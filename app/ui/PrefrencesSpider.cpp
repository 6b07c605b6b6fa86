#include "app/ui/PrefrencesSpider.h"

#include <QAbstractButton>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <cmath>

#include "app/ui/AppDelegate.h"
#include "app/ui/GrantsPanel.h"
#include "app/ui/PreferenceRows.h"
#include "app/ui/Style.h"
#include "engine/SettingsKeys.h"

namespace vimbrel {

namespace {

// The "SpiderPrefrences" image: a small dark spider on a round web.
QPixmap spiderPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);
  painter.translate(32, 32);
  // The web.
  painter.setPen(QPen(QColor(0, 120, 235, 120), 1.2));
  for (int spoke = 0; spoke < 8; ++spoke) {
    const double angle = spoke * M_PI / 4;
    painter.drawLine(QPointF(0, 0), QPointF(30 * std::cos(angle), 30 * std::sin(angle)));
  }
  for (double radius : {10.0, 18.0, 26.0}) painter.drawEllipse(QPointF(0, 0), radius, radius);
  // The spider: eight legs, a body and a head.
  const QColor body = ui::colors::kPrimaryText;
  painter.setPen(QPen(body, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  for (int side : {-1, 1}) {
    for (int leg = 0; leg < 4; ++leg) {
      const double y = -6 + leg * 4.5;
      QPainterPath path(QPointF(side * 3, y));
      path.quadTo(QPointF(side * 14, y - 8 + leg * 2), QPointF(side * 19, y + 4 + leg * 3));
      painter.drawPath(path);
    }
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(body);
  painter.drawEllipse(QPointF(0, 5), 7.5, 9);
  painter.drawEllipse(QPointF(0, -7), 5, 4.5);
  painter.setBrush(QColor(0, 148, 239));
  painter.drawEllipse(QPointF(0, 6), 2.6, 3.4);
  return pixmap;
}

}  // namespace

PrefrencesSpider::PrefrencesSpider(AppDelegate& delegate, QWidget* parent)
    : QWidget(parent),
      logic_(delegate.app_settings(), *delegate.services().sharedSettings,
             *delegate.services().loginItem, [](const std::string& line) {
               qWarning().noquote() << QString::fromStdString(line);
             }) {
  setObjectName(identifier());
  setWindowTitle(tr("Spider"));
  setWindowIcon(toolbarItemImage());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(28, 22, 28, 22);
  layout->setSpacing(8);

  auto* header = new QHBoxLayout;
  header->setSpacing(14);
  auto* image = new QLabel(this);
  image->setPixmap(spiderPixmap(96));
  image->setFixedSize(48, 48);
  image->setScaledContents(true);
  image->setAccessibleName("Vimbrel Spider");
  header->addWidget(image, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  texts->addWidget(ui::titleLabel(tr("Vimbrel Spider"), this, 3));
  auto* about = ui::secondaryLabel(
      tr("Watches the Trash and removes what an application leaves behind as soon as you move "
         "the application there."),
      this);
  about->setWordWrap(true);
  texts->addWidget(about);
  header->addLayout(texts, 1);
  layout->addLayout(header);
  layout->addSpacing(6);

  enableSpiderButton_ =
      ui::addSwitchRow(layout, this, "enableSpiderButton", tr("Run Vimbrel Spider"),
                       tr("Starts now and at every login."));
  enableNotificationsButton_ =
      ui::addSwitchRow(layout, this, "enableNotificationsButton", tr("Show notifications"),
                       tr("Tell me what Vimbrel Spider removed."));
  removeNotifiactionsButton_ =
      ui::addSwitchRow(layout, this, "removeNotifiactionsButton", tr("Clear notifications"),
                       tr("Take each notification away after a few seconds."));
  layout->addSpacing(8);
  layout->addWidget(ui::titleLabel(tr("Folders Vimbrel Spider may search"), this, 1));
  grants_ = new GrantsPanel(
      std::make_unique<FolderGrants>(*delegate.services().agentSettings,
                                     delegate.services().loginName, keys::kHomeAccess),
      *delegate.services().folderChooser, QString::fromStdString(delegate.services().homeFolder),
      "Spider", this);
  layout->addWidget(grants_);
  layout->addStretch();

  logic_.onLoad();
  refresh();
  connect(enableSpiderButton_, &QAbstractButton::clicked, this, [this] { EnableSpider(); });
  connect(enableNotificationsButton_, &QAbstractButton::clicked, this,
          [this] { EnableNotifications(); });
  connect(removeNotifiactionsButton_, &QAbstractButton::clicked, this,
          [this] { RemoveNotifications(); });
}

void PrefrencesSpider::showEvent(QShowEvent* event) {
  grants_->refresh();
  QWidget::showEvent(event);
}

QIcon PrefrencesSpider::toolbarItemImage() { return QIcon(spiderPixmap(128)); }

void PrefrencesSpider::EnableSpider() {
  logic_.EnableSpider(enableSpiderButton_->isChecked());
  refresh();
}

void PrefrencesSpider::EnableNotifications() {
  logic_.EnableNotifications(enableNotificationsButton_->isChecked());
  refresh();
}

void PrefrencesSpider::RemoveNotifications() {
  logic_.RemoveNotifications(removeNotifiactionsButton_->isChecked());
  refresh();
}

void PrefrencesSpider::refresh() {
  const std::pair<QAbstractButton*, const PreferenceSwitch&> switches[] = {
      {enableSpiderButton_, logic_.enableSpiderButton()},
      {enableNotificationsButton_, logic_.enableNotificationsButton()},
      {removeNotifiactionsButton_, logic_.removeNotifiactionsButton()}};
  for (const auto& [button, state] : switches) {
    button->setChecked(state.on);
    // The row holds the switch and its texts, which grey with it.
    button->parentWidget()->setEnabled(state.enabled);
  }
}

}  // namespace vimbrel

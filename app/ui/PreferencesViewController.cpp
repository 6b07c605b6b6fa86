#include "app/ui/PreferencesViewController.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/PreferenceRows.h"
#include "app/ui/Style.h"

namespace vimbrel {

PreferencesViewController::PreferencesViewController(AppDelegate& delegate, QWidget* parent)
    : QWidget(parent), logic_(delegate.app_settings()) {
  setObjectName(identifier());
  setWindowTitle(tr("General"));
  setWindowIcon(toolbarItemImage());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(28, 22, 28, 22);
  layout->setSpacing(8);
  layout->addWidget(ui::titleLabel(tr("Applications list"), this, 3));
  defaultAppsButton_ =
      ui::addSwitchRow(layout, this, "defaultAppsButton", tr("Include the system's applications"),
                       tr("Also list the applications that came with the system."));
  utilitiesButton_ = ui::addSwitchRow(layout, this, "utilitiesButton", tr("Include Utilities"),
                                      tr("Also list the applications in the Utilities folder."));
  auto* note = ui::secondaryLabel(tr("Changes show the next time the list opens."), this);
  note->setWordWrap(true);
  layout->addWidget(note);
  layout->addStretch();

  // viewDidLoad: switches whose key is 1 turn on; the others stay off.
  logic_.onLoad();
  defaultAppsButton_->setChecked(logic_.defaultAppsOn());
  utilitiesButton_->setChecked(logic_.utilitiesOn());
  connect(defaultAppsButton_, &QAbstractButton::clicked, this, [this] { includeDefaultApps(); });
  connect(utilitiesButton_, &QAbstractButton::clicked, this, [this] { IncludeUtilities(); });
}

QIcon PreferencesViewController::toolbarItemImage() {
  QIcon themed = ui::symbolicIcon({"preferences-system", "emblem-system"});
  if (!themed.isNull()) return themed;
  // A gear, when the theme has none.
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(32, 32);
  painter.setBrush(ui::colors::kSecondaryText);
  painter.setPen(Qt::NoPen);
  for (int tooth = 0; tooth < 8; ++tooth) {
    painter.drawRoundedRect(QRectF(-5, -29, 10, 14), 2, 2);
    painter.rotate(45);
  }
  painter.drawEllipse(QPointF(0, 0), 21, 21);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(0, 0), 9, 9);
  return QIcon(pixmap);
}

void PreferencesViewController::includeDefaultApps() {
  logic_.includeDefaultApps(defaultAppsButton_->isChecked());
}

void PreferencesViewController::IncludeUtilities() {
  logic_.IncludeUtilities(utilitiesButton_->isChecked());
}

}  // namespace vimbrel

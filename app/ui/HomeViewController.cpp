#include "app/ui/HomeViewController.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/Style.h"
#include "engine/Application.h"
#include "platform/Paths.h"

namespace vimbrel {

namespace {

QStringList localPaths(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  return paths;
}

}  // namespace

DragAndDropImageView::DragAndDropImageView(AppDelegate& delegate, QWidget* parent)
    : QLabel(parent), appDelegate_(delegate) {
  setObjectName("drop_target");
  setAcceptDrops(true);
  setAccessibleName(tr("Drop an application here to remove it"));
  setMinimumSize(300, 190);
}

bool DragAndDropImageView::acceptsPaths(const QStringList& paths) {
  if (paths.isEmpty()) return false;
  QString first = paths.front();
  while (first.size() > 1 && first.endsWith('/')) first.chop(1);
  return paths::extension(first.toStdString()) == "app";
}

void DragAndDropImageView::dragEnterEvent(QDragEnterEvent* event) {
  if (acceptsPaths(localPaths(event->mimeData()))) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    hovering_ = true;
    update();
  } else {
    event->ignore();
  }
}

void DragAndDropImageView::dragLeaveEvent(QDragLeaveEvent* event) {
  hovering_ = false;
  update();
  QLabel::dragLeaveEvent(event);
}

void DragAndDropImageView::dropEvent(QDropEvent* event) {
  hovering_ = false;
  const QStringList paths = localPaths(event->mimeData());
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (paths.isEmpty()) return;
  QString first = paths.front();
  while (first.size() > 1 && first.endsWith('/')) first.chop(1);
  Application catalog(*appDelegate_.services().fileSystem, appDelegate_.app_settings());
  appDelegate_.state().set_item(
      std::make_shared<ApplicationItem>(catalog.application(first.toStdString())));
  appDelegate_.center().post(notifications::kRemainderViewController);
}

void DragAndDropImageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
  QPainterPath path;
  path.addRoundedRect(box, 18, 18);
  painter.fillPath(path, ui::colors::kPanel);
  if (hovering_) painter.fillPath(path, ui::colors::kAccentWash);
  QPen pen(hovering_ ? ui::colors::kRowTextSelected : ui::colors::kSeparator, 1.5, Qt::DashLine);
  pen.setDashPattern({5, 4});
  painter.setPen(pen);
  painter.drawPath(path);
  const int iconSize = 84;
  const QPixmap icon = ui::applicationPixmap(iconSize * 2);
  const QRectF iconRect(box.center().x() - iconSize / 2.0, box.center().y() - iconSize / 2.0 - 34,
                        iconSize, iconSize);
  painter.drawPixmap(iconRect.toRect(), icon);
  QFont font = this->font();
  font.setPointSizeF(font.pointSizeF() + 2);
  font.setWeight(QFont::DemiBold);
  painter.setFont(font);
  painter.setPen(ui::colors::kPrimaryText);
  const QRectF text(box.left(), iconRect.bottom() + 12, box.width(), 24);
  painter.drawText(text, Qt::AlignCenter, tr("Drop an application here"));
  painter.setFont(this->font());
  painter.setPen(ui::colors::kSecondaryText);
  painter.drawText(text.translated(0, 24), Qt::AlignCenter,
                   tr("Vimbrel finds what it leaves behind and removes it all"));
}

HomeViewController::HomeViewController(AppDelegate& delegate, QWidget* parent)
    : Page(parent), delegate_(delegate) {
  setObjectName("Home");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(40, 4, 40, 28);
  layout->setSpacing(10);
  auto* title = ui::titleLabel("Vimbrel", this, 12);
  title->setAlignment(Qt::AlignCenter);
  auto* subtitle = ui::secondaryLabel(
      tr("Remove applications together with everything they leave behind."), this);
  subtitle->setAlignment(Qt::AlignCenter);
  layout->addWidget(title);
  layout->addWidget(subtitle);
  layout->addSpacing(14);
  auto* drop = new DragAndDropImageView(delegate, this);
  layout->addWidget(drop, 1);
  layout->addSpacing(16);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* applicationsButton = new QPushButton(tr("Applications"), this);
  applicationsButton->setObjectName("applications");
  ui::makeAccentButton(applicationsButton);
  applicationsButton->setDefault(true);
  auto* extensionsButton = new QPushButton(tr("Extensions"), this);
  extensionsButton->setObjectName("Extensions");
  ui::makeRoundButton(extensionsButton);
  buttons->addWidget(applicationsButton);
  buttons->addSpacing(8);
  buttons->addWidget(extensionsButton);
  buttons->addStretch();
  // The extension lists come with their own pages; until "Main" has them the
  // way there stays hidden.
  extensionsButton->setVisible(MainStoryboard::identifiers().contains("Extensions"));
  layout->addLayout(buttons);
  QObject::connect(applicationsButton, &QPushButton::clicked, this, [this] { applications(); });
  QObject::connect(extensionsButton, &QPushButton::clicked, this, [this] { Extensions(); });
  setFocusProxy(applicationsButton);
}

void HomeViewController::applications() {
  delegate_.center().post(notifications::kApplicationsViewController);
}

void HomeViewController::Extensions() {
  delegate_.center().post(notifications::kExtensionsViewController);
}

}  // namespace vimbrel

#include "app/ui/FoldersViewController.h"

#include <QLabel>
#include <QVBoxLayout>
#include <memory>

#include "app/ui/AppDelegate.h"
#include "app/ui/GrantsPanel.h"
#include "app/ui/Style.h"
#include "app/ui/ViewController.h"
#include "engine/SettingsKeys.h"

namespace vimbrel {

FoldersViewController::FoldersViewController(AppDelegate& delegate, QWidget* parent)
    : QWidget(parent),
      grants_(
          new GrantsPanel(std::make_unique<FolderGrants>(
                              delegate.app_settings(), delegate.services().loginName, keys::kHome),
                          *delegate.services().folderChooser,
                          QString::fromStdString(delegate.services().homeFolder), "", this)) {
  setObjectName(identifier());
  setWindowTitle(tr("Folders"));
  setWindowIcon(ui::symbolicIcon({"folder", "inode-directory"}));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(28, 22, 28, 22);
  layout->setSpacing(8);
  layout->addWidget(ui::titleLabel(tr("Folders Vimbrel may search"), this, 3));
  auto* intro = ui::secondaryLabel(
      tr("Vimbrel only looks in the folders you allow. The whole disk adds the system's "
         "folders (/Library, /Users/Shared, /var)."),
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  layout->addSpacing(6);
  layout->addWidget(grants_);
  layout->addStretch();
  grants_->setOnRemoved([&delegate](GrantChecks::Kind kind) {
    if (kind == GrantChecks::Kind::WholeDisk) return;
    // Without the home or Applications folder the window cannot go on: the
    // access sheet asks for it again.
    if (MainWindow* window = delegate.window()) window->viewController()->viewWillAppear();
  });
}

void FoldersViewController::showEvent(QShowEvent* event) {
  grants_->refresh();
  QWidget::showEvent(event);
}

}  // namespace vimbrel

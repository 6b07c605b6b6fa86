#include "app/ui/ExtensionSheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/Style.h"

namespace vimbrel {

ExtensionSheet::ExtensionSheet(const QString& identifier, const QIcon& icon, const QString& title,
                               const QString& text, QWidget* parent)
    : QDialog(parent) {
  setObjectName(identifier);
  setWindowTitle(title);
  setAccessibleName(title);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(24, 22, 24, 18);
  layout->setSpacing(18);
  auto* image = new QLabel(this);
  image->setObjectName("image");
  image->setPixmap(icon.pixmap(64, 64));
  image->setFixedSize(64, 64);
  layout->addWidget(image, 0, Qt::AlignTop);
  auto* column = new QVBoxLayout;
  column->setSpacing(6);
  column->addWidget(ui::titleLabel(title, this, 3));
  auto* body = ui::secondaryLabel(text, this);
  body->setObjectName("text");
  body->setWordWrap(true);
  body->setFixedWidth(300);
  column->addWidget(body);
  column->addSpacing(10);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("ok");
  ok->setAccessibleName("Close");
  ok->setDefault(true);
  ui::makeAccentButton(ok);
  buttons->addWidget(ok);
  column->addLayout(buttons);
  layout->addLayout(column, 1);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

ExtensionSheet* ExtensionSheet::emptyListSheet(const QString& identifier, const QIcon& icon,
                                               QWidget* parent) {
  if (identifier == "InstalledBundles") {
    return new ExtensionSheet(identifier, icon, "No plug-ins",
                              "Vimbrel found no plug-ins in the folders it may look in.", parent);
  }
  if (identifier == "InstalledPrefpanes") {
    return new ExtensionSheet(identifier, icon, "No preference panes",
                              "Vimbrel found no preference panes in the folders it may look in.",
                              parent);
  }
  if (identifier == "InstalledSafariExtensions") {
    return new ExtensionSheet(identifier, icon, "No Safari extensions",
                              "Safari has no extensions installed in your Library.", parent);
  }
  return nullptr;
}

}  // namespace vimbrel

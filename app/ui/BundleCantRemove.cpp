#include "app/ui/BundleCantRemove.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/Style.h"

namespace vimbrel {

BundleCantRemove::BundleCantRemove(AppDelegate& delegate, QWidget* parent)
    : QWidget(parent), delegate_(delegate) {
  setObjectName("BundleCantRemove");
  setAccessibleName(tr("Some items could not be removed"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(6);
  layout->addWidget(ui::titleLabel(tr("Some items could not be removed"), this, 2));
  auto* body = ui::secondaryLabel(
      tr("Vimbrel may not delete them. You can remove them yourself in the file manager."), this);
  body->setWordWrap(true);
  body->setFixedWidth(280);
  layout->addWidget(body);
  layout->addSpacing(4);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* reveal = new QPushButton(tr("Show in Files"), this);
  reveal->setObjectName("show_in_finder");
  reveal->setAccessibleName(tr("Show what was not removed in the file manager"));
  ui::makeAccentButton(reveal);
  buttons->addWidget(reveal);
  layout->addLayout(buttons);
  connect(reveal, &QPushButton::clicked, this, [this] { show_in_finder(); });
}

void BundleCantRemove::show_in_finder() {
  std::vector<std::string> left;
  for (const std::string& location : delegate_.state().remainder_urls()) {
    if (location.starts_with('/')) left.push_back(location);
  }
  if (!left.empty()) delegate_.services().fileViewer->reveal(left);
}

}  // namespace vimbrel

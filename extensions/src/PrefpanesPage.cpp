#include "extensions/PrefpanesPage.h"

#include "extensions/Bundle.h"
#include "platform/NotificationCenter.h"

namespace vimbrel::extensions {

PrefpanesPage::PrefpanesPage(ExtensionPageServices services)
    : ExtensionListPage(std::move(services), "", kEmptySheet) {}

PageAppearance PrefpanesPage::viewDidAppear() const {
  PageAppearance appearance = ExtensionListPage::viewDidAppear();
  if (showsMorePopover(services_.appSettings)) appearance.popover = kPopover;
  return appearance;
}

void PrefpanesPage::tableViewSelectionDidChange(std::optional<std::size_t> row) {
  ExtensionListPage::tableViewSelectionDidChange(row);
  if (selectedRow()) {
    services_.state.set_item(std::make_shared<ApplicationItem>(record(*selectedRow())));
  }
}

void PrefpanesPage::removePrefPane() const {
  if (selectedRow() && services_.post) services_.post(notifications::kRemainderViewController);
}

std::vector<ApplicationItem> PrefpanesPage::catalog() const {
  return Bundle(services_.fileSystem, services_.appSettings).installedPrefPanes();
}

// Panes are removed on the review page, never in place.
BackgroundRemoval::Job PrefpanesPage::removalOf(std::shared_ptr<ApplicationItem>) const {
  return [](const BackgroundRemoval::Completion& done) { done(true); };
}

}  // namespace vimbrel::extensions

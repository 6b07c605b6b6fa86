#include "extensions/PluginsPage.h"

#include "extensions/Bundle.h"
#include "platform/Text.h"

namespace vimbrel::extensions {

PluginsPage::PluginsPage(ExtensionPageServices services)
    : ExtensionListPage(std::move(services), "bundle", kEmptySheet) {}

PageAppearance PluginsPage::viewDidAppear() const {
  PageAppearance appearance = ExtensionListPage::viewDidAppear();
  if (showsMorePopover(services_.appSettings)) appearance.popover = kPopover;
  return appearance;
}

void PluginsPage::controlTextDidChange(const std::string& text) {
  if (text.empty()) {
    filter({});
    return;
  }
  const text::Folded needle = text::foldWithoutLocale(text);
  filter([&needle](const BundleItem& item) {
    return text::contains(text::foldWithoutLocale(item.label), needle);
  });
}

std::vector<BundleItem> PluginsPage::catalog() const {
  return Bundle(services_.fileSystem, services_.appSettings).installedPlugins();
}

BackgroundRemoval::Job PluginsPage::removalOf(std::shared_ptr<BundleItem> record) const {
  return [record, &fileSystem = services_.fileSystem, &store = services_.appSettings,
          &state = services_.state](const BackgroundRemoval::Completion& done) {
    record->remove_files(fileSystem, store, state, done);
  };
}

}  // namespace vimbrel::extensions

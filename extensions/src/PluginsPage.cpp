#include "extensions/PluginsPage.h"

#include "engine/LabelFilter.h"
#include "extensions/Bundle.h"

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
  const LabelFilter labels(text);
  filter([&labels](const BundleItem& item) { return labels.keeps(item.label); });
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

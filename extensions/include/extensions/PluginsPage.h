#pragma once

#include <string>

#include "extensions/BundleItem.h"
#include "extensions/ExtensionListPage.h"

namespace vimbrel::extensions {

// The logic of the plug-in list: rows with a filter by label, removal in
// place through the plug-in's one-step removal.
class PluginsPage final : public ExtensionListPage<BundleItem> {
 public:
  static constexpr const char* kScene = "Plugins";
  static constexpr const char* kEmptySheet = "InstalledBundles";
  static constexpr const char* kPopover = "MorePlugins";

  explicit PluginsPage(ExtensionPageServices services);

  PageAppearance viewDidAppear() const override;
  // The filter text changed: rows whose label contains it, without regard
  // to case or accents; every row for an empty text.
  void controlTextDidChange(const std::string& text);
  RemoveStart remove_plugin() { return startRemoval(); }
  std::optional<RemovalFinished> plugin_timer_proc() { return timer_proc(); }

 private:
  std::vector<BundleItem> catalog() const override;
  BackgroundRemoval::Job removalOf(std::shared_ptr<BundleItem> record) const override;
};

}  // namespace vimbrel::extensions

#pragma once

#include "engine/ApplicationItem.h"
#include "extensions/ExtensionListPage.h"

namespace vimbrel::extensions {

// The logic of the preference-pane list: a pane is chosen here and reviewed
// and removed on the review page, like an application.
class PrefpanesPage final : public ExtensionListPage<ApplicationItem> {
 public:
  static constexpr const char* kScene = "PrefPanes";
  static constexpr const char* kEmptySheet = "InstalledPrefpanes";
  static constexpr const char* kPopover = "MorePrefpanes";

  explicit PrefpanesPage(ExtensionPageServices services);

  PageAppearance viewDidAppear() const override;
  // Also makes the selected pane the record under review.
  void tableViewSelectionDidChange(std::optional<std::size_t> row) override;
  // Opens the review page for the selected pane; nothing without a selection.
  void removePrefPane() const;

 private:
  std::vector<ApplicationItem> catalog() const override;
  BackgroundRemoval::Job removalOf(std::shared_ptr<ApplicationItem> record) const override;
};

}  // namespace vimbrel::extensions

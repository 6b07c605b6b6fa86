#pragma once

#include <functional>

#include "extensions/ExtensionListPage.h"
#include "extensions/SafariItem.h"

namespace vimbrel::extensions {

// The logic of the Safari-extension list: removal in place, never while
// Safari runs (Safari rewrites its list of extensions itself).
class SafariExtensionsPage final : public ExtensionListPage<SafariItem> {
 public:
  static constexpr const char* kScene = "SafariExtensions";
  static constexpr const char* kEmptySheet = "InstalledSafariExtensions";
  static constexpr const char* kSafariRunningSheet = "LaunchedSafariExtensions";

  // `safariRunning` tells whether Safari runs now (normally
  // SafariExtension::isSafariRunning).
  SafariExtensionsPage(ExtensionPageServices services, std::function<bool()> safariRunning);

  // SafariRunning: present "LaunchedSafariExtensions"; nothing was changed.
  RemoveStart removeExtension();
  std::optional<RemovalFinished> safari_extensions_timer_proc() { return timer_proc(); }

 private:
  std::vector<SafariItem> catalog() const override;
  BackgroundRemoval::Job removalOf(std::shared_ptr<SafariItem> record) const override;

  std::function<bool()> safariRunning_;
};

}  // namespace vimbrel::extensions

#include "app/OptionalPurposeSheet.h"

#include "app/GrantChecks.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/Paths.h"

namespace vimbrel {

OptionalPurposeSheet::OptionalPurposeSheet(SettingsStore& appSettings)
    : appSettings_(appSettings) {}

void OptionalPurposeSheet::onLoad() {
  if (GrantChecks::isRootGrant(resolve_grant(appSettings_, keys::kMacOS))) {
    macOSButtonEnabled_ = false;
  }
}

void OptionalPurposeSheet::AllowmacOS(FolderChooser& chooser) {
  auto chosen = chooser.chooseFolder({/*title=*/"", "Allow", "/"});
  if (!chosen) return;
  Blob grant = createGrant(*chosen);
  // A folder that vanished before its grant was made leaves the store as it was.
  if (grant.empty()) return;
  appSettings_.setBlob(keys::kMacOS, grant);
  // Any folder switches the system-wide search on; only the root completes it.
  appSettings_.setInteger(keys::kAllowAny, 1);
  appSettings_.synchronize();
  if (paths::lastComponent(*chosen) == "/") macOSButtonEnabled_ = false;
}

}  // namespace vimbrel

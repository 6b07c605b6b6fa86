#pragma once

#include "platform/FolderChooser.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// The logic of the sheet that asks for the whole disk. Any folder chosen is
// stored and switches the system-wide search on ("AllowAny" 1); only the root
// folder completes the grant and disables the button. The sheet never
// dismisses itself.
class OptionalPurposeSheet {
 public:
  explicit OptionalPurposeSheet(SettingsStore& appSettings);

  // Disables the button when the whole-disk grant already names the root.
  void onLoad();
  // Asks for a folder, starting at the root, and stores its grant under "macOS".
  void AllowmacOS(FolderChooser& chooser);

  bool macOSButtonEnabled() const { return macOSButtonEnabled_; }

 private:
  SettingsStore& appSettings_;
  bool macOSButtonEnabled_ = true;
};

}  // namespace vimbrel

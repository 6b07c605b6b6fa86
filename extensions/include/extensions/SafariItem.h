#pragma once

#include <functional>

#include "engine/ApplicationItem.h"
#include "engine/WorkflowState.h"
#include "extensions/SafariExtensionList.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel::extensions {

// The record of one Safari extension: `url` is its archive beside Safari's
// list of installed extensions, `bundle` its identifier.
class SafariItem : public ApplicationItem {
 public:
  // Removes the extension: checks Safari's list first and, when the list
  // exists but cannot be read, removes nothing and reports the archive (or,
  // when the archive is gone, the list) as not removed. Otherwise finds the
  // archive's remainders with the grants of `store`, deletes the archive and
  // everything found, replaces the state's remainder_urls with the survivors
  // when there are any, and takes the extension out of Safari's list (a
  // missing list is created empty). Calls `completion(true)` once, on this
  // thread, and returns what became of the list. The caller makes sure Safari
  // is not running.
  SafariListUpdate remove_safari_extension(const FileSystem& fileSystem, const SettingsStore& store,
                                           WorkflowState& state,
                                           const std::function<void(bool)>& completion);
};

}  // namespace vimbrel::extensions

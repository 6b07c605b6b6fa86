#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "spider/SApplicationItem.h"

namespace vimbrel::spider {

// The agent's record factory: builds the record of one application bundle
// exactly as the application catalog does (same fields, same derivations in
// the same order), as an SApplicationItem.
class SApplication {
 public:
  // `app_settings` is the agent's own store.
  SApplication(const FileSystem& fileSystem, const SettingsStore& app_settings);

  SApplicationItem application(const std::string& bundlePath) const;

 private:
  const FileSystem& fileSystem_;
  const SettingsStore& app_settings_;
};

}  // namespace vimbrel::spider

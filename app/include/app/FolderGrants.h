#pragma once

#include <string>

#include "app/GrantChecks.h"
#include "platform/FolderChooser.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// The folder grants of one program's store as the Folders page shows them:
// each with its folder and validity, changed only for a folder that passes
// the grant's check, and removed on request.
class FolderGrants {
 public:
  using Kind = GrantChecks::Kind;

  // `homeKey` is where this store keeps its home grant.
  FolderGrants(SettingsStore& store, std::string loginName, const char* homeKey);

  GrantChecks::Status status(Kind kind) const;
  // Asks for a folder and stores it as the grant of `kind` when it passes the
  // check; otherwise the old grant stays. Returns why a chosen folder was
  // refused; empty when it was stored or the panel was cancelled. The
  // whole-disk grant also sets "AllowAny" to 1, as its sheet does.
  std::string change(Kind kind, FolderChooser& chooser, const std::string& startingFolder);
  // Forgets the grant of `kind`; for the whole disk "AllowAny" goes to 0.
  void remove(Kind kind);

 private:
  SettingsStore& store_;
  std::string loginName_;
  GrantChecks checks_;
};

}  // namespace vimbrel

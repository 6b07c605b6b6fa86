#include "app/FolderGrants.h"

#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/Paths.h"

namespace vimbrel {

FolderGrants::FolderGrants(SettingsStore& store, std::string loginName, const char* homeKey)
    : store_(store), loginName_(std::move(loginName)), checks_(store_, loginName_, homeKey) {}

GrantChecks::Status FolderGrants::status(Kind kind) const { return checks_.status(kind); }

std::string FolderGrants::change(Kind kind, FolderChooser& chooser,
                                 const std::string& startingFolder) {
  auto chosen = chooser.chooseFolder({"Allow access", "Allow", startingFolder});
  if (!chosen) return {};
  if (auto problem = GrantChecks::folderProblem(kind, *chosen, loginName_)) {
    return "“" + std::string(paths::lastComponent(*chosen)) + "” cannot be used: " + *problem + ".";
  }
  const Blob grant = createGrant(*chosen);
  if (grant.empty()) return "“" + *chosen + "” is not a folder.";
  store_.setBlob(checks_.keyOf(kind), grant);
  if (kind == Kind::WholeDisk) store_.setInteger(keys::kAllowAny, 1);
  store_.synchronize();
  return {};
}

void FolderGrants::remove(Kind kind) {
  store_.setBlob(checks_.keyOf(kind), {});
  if (kind == Kind::WholeDisk) store_.setInteger(keys::kAllowAny, 0);
  store_.synchronize();
}

}  // namespace vimbrel

#include "app/SandboxSheet.h"

#include "app/GrantChecks.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/Paths.h"
#include "platform/User.h"

namespace vimbrel {

namespace {

constexpr const char* kPanelTitle = "Allow access";
constexpr const char* kPanelPrompt = "Allow";

// Asks for a folder and stores its grant under `key`, whatever folder it is.
// Returns the chosen folder, or nothing when the user cancelled or the folder
// vanished before its grant could be made; then the store is left as it was,
// so an earlier grant is not lost for a folder that is no longer there.
std::optional<std::string> chooseAndStore(FolderChooser& chooser, const std::string& startingFolder,
                                          SettingsStore& store, const char* key) {
  auto chosen = chooser.chooseFolder({kPanelTitle, kPanelPrompt, startingFolder});
  if (!chosen) return std::nullopt;
  Blob grant = createGrant(*chosen);
  if (grant.empty()) return std::nullopt;
  store.setBlob(key, grant);
  store.synchronize();
  return chosen;
}

}  // namespace

SandboxSheet::SandboxSheet(SettingsStore& appSettings, std::string loginName,
                           std::string homeFolder)
    : appSettings_(appSettings),
      loginName_(std::move(loginName)),
      homeFolder_(std::move(homeFolder)) {}

SandboxSheet::SandboxSheet(SettingsStore& appSettings)
    : SandboxSheet(appSettings, userLoginName(), userHomeFolder()) {}

void SandboxSheet::onLoad() {
  const GrantChecks checks(appSettings_, loginName_);
  if (checks.homeValid()) {
    // The sheet is shown only while a grant is missing, so with the home
    // grant held the Applications grant needs no look.
    homeSwitchEnabled_ = false;
    return;
  }
  if (checks.applicationsValid()) applicationsSwitchEnabled_ = false;
}

void SandboxSheet::allowHome(FolderChooser& chooser) {
  auto chosen = chooseAndStore(chooser, homeFolder_, appSettings_, keys::kHome);
  // Another folder stays stored, but the switch waits for the right one.
  if (!chosen || loginName_.empty() || paths::lastComponent(*chosen) != loginName_) return;
  homeSwitchEnabled_ = false;
  if (GrantChecks(appSettings_, loginName_).applicationsValid()) dismissRequested_ = true;
}

void SandboxSheet::allowApplication(FolderChooser& chooser) {
  auto chosen = chooseAndStore(chooser, kApplicationsFolder, appSettings_, keys::kApplications);
  if (!chosen || paths::lastComponent(*chosen) != "Applications") return;
  applicationsSwitchEnabled_ = false;
  if (GrantChecks(appSettings_, loginName_).homeValid()) dismissRequested_ = true;
}

}  // namespace vimbrel

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

// Asks for a folder and stores its grant under the key of `kind` when the
// folder passes that grant's check. Returns whether it was stored; `problem`
// says why not when a folder was chosen but refused. Cancelling, or a folder
// that vanished before its grant could be made, leaves the store as it was,
// so that an earlier grant is never lost.
bool chooseAndStore(FolderChooser& chooser, const std::string& startingFolder, SettingsStore& store,
                    GrantChecks::Kind kind, std::string_view loginName, std::string& problem) {
  problem.clear();
  auto chosen = chooser.chooseFolder({kPanelTitle, kPanelPrompt, startingFolder});
  if (!chosen) return false;
  if (auto why = GrantChecks::folderProblem(kind, *chosen, loginName)) {
    problem = "“" + std::string(paths::lastComponent(*chosen)) + "” cannot be used: " + *why + ".";
    return false;
  }
  Blob grant = createGrant(*chosen);
  if (grant.empty()) {
    problem = "“" + *chosen + "” is not a folder.";
    return false;
  }
  store.setBlob(GrantChecks::keyFor(kind), grant);
  store.synchronize();
  return true;
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
  if (!chooseAndStore(chooser, homeFolder_, appSettings_, GrantChecks::Kind::Home, loginName_,
                      homeProblem_)) {
    return;
  }
  homeSwitchEnabled_ = false;
  if (GrantChecks(appSettings_, loginName_).applicationsValid()) dismissRequested_ = true;
}

void SandboxSheet::allowApplication(FolderChooser& chooser) {
  if (!chooseAndStore(chooser, kApplicationsFolder, appSettings_, GrantChecks::Kind::Applications,
                      loginName_, applicationsProblem_)) {
    return;
  }
  applicationsSwitchEnabled_ = false;
  if (GrantChecks(appSettings_, loginName_).homeValid()) dismissRequested_ = true;
}

}  // namespace vimbrel

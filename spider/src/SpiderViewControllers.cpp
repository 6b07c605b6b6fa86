#include <cstdio>

#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/HomeFolderRule.h"
#include "platform/Paths.h"
#include "spider/LikeAppViewController.h"
#include "spider/SpiderOptionalViewController.h"
#include "spider/SpiderSandboxViewController.h"

namespace vimbrel::spider {

namespace {

bool freshAndNamed(const ResolvedGrant& grant, std::string_view name) {
  return grant.location && !grant.stale && !name.empty() &&
         paths::lastComponent(*grant.location) == name;
}

// Asks for a folder and stores its grant under `key`, whatever folder it is;
// the chosen folder, or nothing when the user cancelled or the folder
// vanished before its grant could be made (the earlier grant then stays).
std::optional<std::string> chooseAndStore(FolderChooser& chooser, const FolderPanelOptions& options,
                                          SettingsStore& store, const char* key) {
  auto chosen = chooser.chooseFolder(options);
  if (!chosen) return std::nullopt;
  const Blob grant = createGrant(*chosen);
  if (grant.empty()) return std::nullopt;
  store.setBlob(key, grant);
  store.synchronize();
  return chosen;
}

}  // namespace

SpiderSandboxViewController::SpiderSandboxViewController(SettingsStore& app_settings,
                                                         std::string loginName,
                                                         std::string homeFolder)
    : app_settings_(app_settings),
      loginName_(std::move(loginName)),
      homeFolder_(std::move(homeFolder)) {}

void SpiderSandboxViewController::refresh() {
  const ResolvedGrant homeGrant = resolve_grant(app_settings_, keys::kHomeAccess);
  const bool home =
      homeGrant.location && !homeGrant.stale && isHomeFolder(*homeGrant.location, loginName_);
  const bool applications =
      freshAndNamed(resolve_grant(app_settings_, keys::kApplications), "Applications");
  allowHomeButtonEnabled_ = !home;
  allowApplicationsButtonEnabled_ = !applications;
  closeRequested_ = home && applications;
}

void SpiderSandboxViewController::onLoad() {
  refresh();
  closeRequested_ = false;  // shown because something is missing; it stays until asked
}

void SpiderSandboxViewController::accessHome(FolderChooser& chooser) {
  if (chooseAndStore(chooser, {"Allow access", "Allow", homeFolder_}, app_settings_,
                     keys::kHomeAccess)) {
    refresh();
  }
}

void SpiderSandboxViewController::accessApplications(FolderChooser& chooser) {
  if (chooseAndStore(chooser, {"Allow access", "Allow", kApplicationsFolder}, app_settings_,
                     keys::kApplications)) {
    refresh();
  }
}

SpiderOptionalViewController::SpiderOptionalViewController(SettingsStore& app_settings)
    : app_settings_(app_settings) {}

void SpiderOptionalViewController::onLoad() {
  macOSButtonEnabled_ = !freshAndNamed(resolve_grant(app_settings_, keys::kMacOS), "/");
}

void SpiderOptionalViewController::macOSAllow(FolderChooser& chooser) {
  auto chosen = chooser.chooseFolder({"", "Allow", "/"});
  if (!chosen) return;
  const Blob grant = createGrant(*chosen);
  if (grant.empty()) return;
  app_settings_.setBlob(keys::kMacOS, grant);
  app_settings_.setInteger(keys::kAllowAny, 1);
  app_settings_.synchronize();
  if (paths::lastComponent(*chosen) == "/") macOSButtonEnabled_ = false;
}

LikeAppViewController::LikeAppViewController(SettingsStore& app_settings, UrlOpener& urlOpener)
    : app_settings_(app_settings), urlOpener_(urlOpener) {}

void LikeAppViewController::onLoad() {
  text_ = "You have removed " + std::to_string(app_settings_.integer(keys::kRemoveAppCount)) +
          " apps with Vimbrel Spider. Do you like it?";
}

void LikeAppViewController::remember() {
  app_settings_.setInteger(keys::kAppIsRate, 1);
  app_settings_.synchronize();
  closeRequested_ = true;
}

void LikeAppViewController::yes() {
  urlOpener_.openUrl(kStorePage);
  remember();
}

void LikeAppViewController::alradyDone() { remember(); }

void LikeAppViewController::cancel() { closeRequested_ = true; }

}  // namespace vimbrel::spider

#pragma once

#include <functional>
#include <string>

#include "platform/LoginItem.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// A switch of a preferences page: its on/off state and whether it can be used.
struct PreferenceSwitch {
  bool on = false;
  bool enabled = true;
};

// The logic of the "Spider" preferences page: the background agent as a login
// item, and the two notification switches that the agent reads from the
// shared suite. This page is the only writer of the shared suite.
//
// The switches start as the page shows them before anything is loaded: the
// agent switch on when "EnableSpider" is 1; the notification switches on
// unless their shared key is 1, and both disabled. Loading enables the
// notification switches while the agent is switched on, and then disables
// the remove switch while notifications are off. No rule changes a stored
// value that its own switch does not stand for.
class SpiderPreferences {
 public:
  static constexpr const char* kIdentifier = "PreferencesSpider";
  static constexpr const char* kToolbarItemLabel = "Spider";

  using Log = std::function<void(const std::string&)>;

  // `appSettings` holds "EnableSpider"; `shared` is the suite the agent reads.
  // A failure of the login item goes to `log` (standard error when empty);
  // the switches and "EnableSpider" follow the user's choice all the same.
  SpiderPreferences(SettingsStore& appSettings, SettingsStore& shared, LoginItem& loginItem,
                    Log log = {});

  void onLoad();
  // The user flipped a switch to `on`.
  void EnableSpider(bool on);
  void EnableNotifications(bool on);
  void RemoveNotifications(bool on);

  const PreferenceSwitch& enableSpiderButton() const { return enableSpider_; }
  const PreferenceSwitch& enableNotificationsButton() const { return enableNotifications_; }
  const PreferenceSwitch& removeNotifiactionsButton() const { return removeNotifications_; }

 private:
  SettingsStore& appSettings_;
  SettingsStore& shared_;
  LoginItem& loginItem_;
  Log log_;
  PreferenceSwitch enableSpider_;
  PreferenceSwitch enableNotifications_{true, false};
  PreferenceSwitch removeNotifications_{true, false};
};

}  // namespace vimbrel

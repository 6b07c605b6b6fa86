#include "app/SpiderPreferences.h"

#include <iostream>

#include "engine/SettingsKeys.h"

namespace vimbrel {

SpiderPreferences::SpiderPreferences(SettingsStore& appSettings, SettingsStore& shared,
                                     LoginItem& loginItem, Log log)
    : appSettings_(appSettings), shared_(shared), loginItem_(loginItem), log_(std::move(log)) {
  if (!log_) log_ = [](const std::string& line) { std::cerr << line << '\n'; };
  // What the page shows before it loads: each switch bound to its key.
  enableSpider_.on = appSettings_.integer(keys::kEnableSpider) == 1;
  enableNotifications_.on = shared_.integer(keys::kDisableNotification) != 1;
  removeNotifications_.on = shared_.integer(keys::kDisabelRemoveNotification) != 1;
}

void SpiderPreferences::onLoad() {
  if (appSettings_.integer(keys::kEnableSpider) == 1) {
    enableNotifications_.enabled = true;
    removeNotifications_.enabled = true;
  }
  if (shared_.integer(keys::kDisableNotification) == 1) removeNotifications_.enabled = false;
}

void SpiderPreferences::EnableSpider(bool on) {
  enableSpider_.on = on;
  if (Status status = loginItem_.setEnabled(on); !status) {
    log_(std::string("Vimbrel Spider could not be switched ") + (on ? "on: " : "off: ") +
         status.message());
  }
  appSettings_.setInteger(keys::kEnableSpider, on ? 1 : 0);
  appSettings_.synchronize();
  enableNotifications_.enabled = on;
  removeNotifications_.enabled = on;
}

void SpiderPreferences::EnableNotifications(bool on) {
  enableNotifications_.on = on;
  shared_.setInteger(keys::kDisableNotification, on ? 0 : 1);
  shared_.synchronize();
  removeNotifications_.enabled = on;
}

void SpiderPreferences::RemoveNotifications(bool on) {
  removeNotifications_.on = on;
  shared_.setInteger(keys::kDisabelRemoveNotification, on ? 0 : 1);
  shared_.synchronize();
}

}  // namespace vimbrel

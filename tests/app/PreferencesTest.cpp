#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TempTree.h"
#include "app/GeneralPreferences.h"
#include "app/SpiderPreferences.h"
#include "engine/SettingsKeys.h"
#include "platform/LoginItem.h"
#include "platform/SettingsStore.h"

namespace vimbrel {
namespace {

using testing::TempTree;

// Records each switch and answers with a chosen status.
class RecordingLoginItem final : public LoginItem {
 public:
  Status setEnabled(bool enabled) override {
    calls.push_back(enabled);
    if (!failure.empty()) return Status::error(failure);
    enabled_ = enabled;
    return Status::ok();
  }
  bool isEnabled() const override { return enabled_; }
  std::vector<bool> calls;
  std::string failure;

 private:
  bool enabled_ = false;
};

// The application store and the shared suite as files of a temporary
// configuration folder, read back through fresh stores as the agent would.
class PreferencesTest : public ::testing::Test {
 protected:
  std::unique_ptr<SettingsStore> open(const char* domain) const {
    return openPlistSettingsStore(tree_.path("config"), domain);
  }
  SpiderPreferences loadedSpider() {
    SpiderPreferences page(*app_, *shared_, loginItem_,
                           [this](const std::string& line) { logged_.push_back(line); });
    page.onLoad();
    return page;
  }
  std::int64_t sharedValue(const char* key) const { return open(domains::kShared)->integer(key); }

  TempTree tree_;
  std::unique_ptr<SettingsStore> app_ = open(domains::kApplication);
  std::unique_ptr<SettingsStore> shared_ = open(domains::kShared);
  RecordingLoginItem loginItem_;
  std::vector<std::string> logged_;
};

TEST_F(PreferencesTest, GeneralSwitchesShowAndStoreTheirKeys) {
  GeneralPreferences first(*app_);
  first.onLoad();
  EXPECT_FALSE(first.defaultAppsOn());
  EXPECT_FALSE(first.utilitiesOn());
  first.includeDefaultApps(true);
  first.IncludeUtilities(true);
  first.IncludeUtilities(false);
  EXPECT_EQ(open(domains::kApplication)->integer(keys::kIncludeDefaultApps), 1);
  EXPECT_EQ(open(domains::kApplication)->integer(keys::kIncludeUtilities), 0);

  GeneralPreferences again(*app_);
  again.onLoad();
  EXPECT_TRUE(again.defaultAppsOn());
  EXPECT_FALSE(again.utilitiesOn());
}

// A first run has no keys: the agent is off and the notification switches
// show on but cannot be used; nothing is written by loading.
TEST_F(PreferencesTest, FirstRunLeavesTheNotificationSwitchesDisabled) {
  auto page = loadedSpider();
  EXPECT_FALSE(page.enableSpiderButton().on);
  EXPECT_TRUE(page.enableSpiderButton().enabled);
  EXPECT_TRUE(page.enableNotificationsButton().on);
  EXPECT_FALSE(page.enableNotificationsButton().enabled);
  EXPECT_TRUE(page.removeNotifiactionsButton().on);
  EXPECT_FALSE(page.removeNotifiactionsButton().enabled);
  EXPECT_TRUE(loginItem_.calls.empty());
  EXPECT_FALSE(
      std::filesystem::exists(tree_.path("config/" + std::string(domains::kShared) + ".plist")));
}

TEST_F(PreferencesTest, SpiderOffDisablesBothNotificationSwitchesWithoutChangingThem) {
  auto page = loadedSpider();
  page.EnableSpider(true);
  EXPECT_EQ(loginItem_.calls, std::vector<bool>{true});
  EXPECT_EQ(open(domains::kApplication)->integer(keys::kEnableSpider), 1);
  EXPECT_TRUE(page.enableNotificationsButton().enabled);
  EXPECT_TRUE(page.removeNotifiactionsButton().enabled);
  page.RemoveNotifications(false);
  EXPECT_EQ(sharedValue(keys::kDisabelRemoveNotification), 1);

  page.EnableSpider(false);
  EXPECT_EQ(loginItem_.calls, (std::vector<bool>{true, false}));
  EXPECT_EQ(open(domains::kApplication)->integer(keys::kEnableSpider), 0);
  EXPECT_FALSE(page.enableNotificationsButton().enabled);
  EXPECT_FALSE(page.removeNotifiactionsButton().enabled);
  EXPECT_TRUE(page.enableNotificationsButton().on);
  EXPECT_FALSE(page.removeNotifiactionsButton().on);
  EXPECT_EQ(sharedValue(keys::kDisableNotification), 0);
  EXPECT_EQ(sharedValue(keys::kDisabelRemoveNotification), 1);
}

TEST_F(PreferencesTest, NotificationsOffDisablesTheRemoveSwitchAndKeepsItsValue) {
  app_->setInteger(keys::kEnableSpider, 1);
  auto page = loadedSpider();
  EXPECT_TRUE(page.enableSpiderButton().on);
  EXPECT_TRUE(page.removeNotifiactionsButton().enabled);

  page.EnableNotifications(false);
  EXPECT_EQ(sharedValue(keys::kDisableNotification), 1);
  EXPECT_FALSE(page.removeNotifiactionsButton().enabled);
  EXPECT_EQ(sharedValue(keys::kDisabelRemoveNotification), 0);

  // Turning the agent off and on enables both again, although notifications
  // stay off; loading the page again disables the remove switch once more.
  page.EnableSpider(false);
  page.EnableSpider(true);
  EXPECT_TRUE(page.removeNotifiactionsButton().enabled);
  auto reloaded = loadedSpider();
  EXPECT_FALSE(reloaded.enableNotificationsButton().on);
  EXPECT_TRUE(reloaded.enableNotificationsButton().enabled);
  EXPECT_FALSE(reloaded.removeNotifiactionsButton().enabled);

  reloaded.EnableNotifications(true);
  EXPECT_EQ(sharedValue(keys::kDisableNotification), 0);
  EXPECT_TRUE(reloaded.removeNotifiactionsButton().enabled);
}

TEST_F(PreferencesTest, ALoginItemFailureIsLoggedAndTheSwitchesFollowTheUser) {
  loginItem_.failure = "no agent here";
  auto page = loadedSpider();
  page.EnableSpider(true);
  ASSERT_EQ(logged_.size(), 1u);
  EXPECT_NE(logged_[0].find("no agent here"), std::string::npos);
  EXPECT_EQ(open(domains::kApplication)->integer(keys::kEnableSpider), 1);
  EXPECT_TRUE(page.enableSpiderButton().on);
  EXPECT_TRUE(page.enableNotificationsButton().enabled);
}

}  // namespace
}  // namespace vimbrel

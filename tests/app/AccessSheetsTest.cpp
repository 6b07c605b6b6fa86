#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "TempTree.h"
#include "app/GrantChecks.h"
#include "app/OptionalPurposeSheet.h"
#include "app/SandboxSheet.h"
#include "engine/SettingsKeys.h"
#include "platform/FolderChooser.h"
#include "platform/Grant.h"

namespace vimbrel {
namespace {

using testing::TempTree;

// Answers each panel with the next queued folder (nothing = cancel) and
// remembers how the panels were set up.
class ScriptedChooser final : public FolderChooser {
 public:
  void answer(std::optional<std::string> folder) { answers_.push_back(std::move(folder)); }
  std::optional<std::string> chooseFolder(const FolderPanelOptions& options) override {
    asked.push_back(options);
    if (answers_.empty()) return std::nullopt;
    auto next = answers_.front();
    answers_.pop_front();
    return next;
  }
  std::vector<FolderPanelOptions> asked;

 private:
  std::deque<std::optional<std::string>> answers_;
};

class AccessSheetsTest : public ::testing::Test {
 protected:
  SandboxSheet loadedSandboxSheet() {
    SandboxSheet sheet(*store_, "alice", home_);
    sheet.onLoad();
    return sheet;
  }
  std::optional<std::string> granted(const char* key) {
    return resolve_grant(*store_, key).location;
  }

  TempTree tree_;
  std::unique_ptr<SettingsStore> store_ = openPlistSettingsStore(tree_.path("config"), "app");
  std::string home_ = tree_.folder("Users/alice");
  std::string applications_ = tree_.folder("Applications");
  ScriptedChooser chooser_;
};

TEST_F(AccessSheetsTest, FirstLaunchLeavesBothSwitchesEnabled) {
  auto sheet = loadedSandboxSheet();
  EXPECT_TRUE(sheet.homeSwitchEnabled());
  EXPECT_TRUE(sheet.applicationsSwitchEnabled());
  EXPECT_FALSE(sheet.dismissRequested());
  EXPECT_FALSE(GrantChecks(*store_, "alice").homeValid());
  EXPECT_FALSE(GrantChecks(*store_, "alice").applicationsValid());
}

TEST_F(AccessSheetsTest, HomeThenApplicationsDismissesOnTheSecondGrant) {
  auto sheet = loadedSandboxSheet();
  chooser_.answer(home_);
  sheet.allowHome(chooser_);
  EXPECT_FALSE(sheet.homeSwitchEnabled());
  EXPECT_TRUE(sheet.applicationsSwitchEnabled());
  EXPECT_FALSE(sheet.dismissRequested());

  chooser_.answer(applications_ + "/");
  sheet.allowApplication(chooser_);
  EXPECT_FALSE(sheet.applicationsSwitchEnabled());
  EXPECT_TRUE(sheet.dismissRequested());

  ASSERT_EQ(chooser_.asked.size(), 2u);
  EXPECT_EQ(chooser_.asked[0].title, "Allow access");
  EXPECT_EQ(chooser_.asked[0].prompt, "Allow");
  EXPECT_EQ(chooser_.asked[0].startingFolder, home_);
  EXPECT_EQ(chooser_.asked[1].title, "Allow access");
  EXPECT_EQ(chooser_.asked[1].startingFolder, "/Applications");
  EXPECT_EQ(granted(keys::kHome), home_);
  EXPECT_EQ(granted(keys::kApplications), applications_);
  EXPECT_TRUE(GrantChecks(*store_, "alice").homeValid());
  EXPECT_TRUE(GrantChecks(*store_, "alice").applicationsValid());
}

TEST_F(AccessSheetsTest, ApplicationsThenHomeAlsoDismisses) {
  auto sheet = loadedSandboxSheet();
  chooser_.answer(applications_);
  sheet.allowApplication(chooser_);
  EXPECT_FALSE(sheet.applicationsSwitchEnabled());
  EXPECT_FALSE(sheet.dismissRequested());
  chooser_.answer(home_);
  sheet.allowHome(chooser_);
  EXPECT_TRUE(sheet.dismissRequested());
}

TEST_F(AccessSheetsTest, AWrongFolderIsRefusedWithTheReasonAndKeepsTheOldGrant) {
  auto sheet = loadedSandboxSheet();
  chooser_.answer(tree_.folder("Apps"));
  sheet.allowApplication(chooser_);
  EXPECT_TRUE(sheet.applicationsSwitchEnabled());
  EXPECT_NE(sheet.applicationsProblem().find("must be called \"Applications\""), std::string::npos)
      << sheet.applicationsProblem();
  EXPECT_FALSE(store_->blob(keys::kApplications).has_value());
  chooser_.answer(applications_);
  sheet.allowApplication(chooser_);
  EXPECT_TRUE(sheet.applicationsProblem().empty());

  // The parent of all home folders is refused, nothing stored, and the sheet says why.
  chooser_.answer(tree_.path("Users"));
  sheet.allowHome(chooser_);
  EXPECT_TRUE(sheet.homeSwitchEnabled());
  EXPECT_FALSE(sheet.dismissRequested());
  EXPECT_FALSE(store_->blob(keys::kHome).has_value());
  EXPECT_NE(sheet.homeProblem().find("“Users” cannot be used: the folder must be called \"alice\""),
            std::string::npos)
      << sheet.homeProblem();

  // A user whose name differs from the folder's cannot use it while it is no
  // macOS home; with a "Library" in it, it is one.
  SandboxSheet renamedUser(*store_, "alice2", home_);
  chooser_.answer(home_);
  renamedUser.allowHome(chooser_);
  EXPECT_TRUE(renamedUser.homeSwitchEnabled());
  EXPECT_FALSE(GrantChecks(*store_, "alice2").homeValid());
  tree_.folder("Users/alice/Library");
  chooser_.answer(home_);
  renamedUser.allowHome(chooser_);
  EXPECT_FALSE(renamedUser.homeSwitchEnabled());
  EXPECT_TRUE(renamedUser.dismissRequested());
  EXPECT_TRUE(GrantChecks(*store_, "alice2").homeValid());
}

TEST_F(AccessSheetsTest, StatusTellsValidStaleMissingAndWhy) {
  using State = GrantChecks::Status::State;
  using Kind = GrantChecks::Kind;
  GrantChecks checks(*store_, "alice");
  EXPECT_EQ(checks.status(Kind::Home).state, State::Missing);
  EXPECT_EQ(checks.status(Kind::Home).reason, "not granted");

  store_->setBlob(keys::kHome, createGrant(home_));
  store_->setBlob(keys::kApplications, createGrant(tree_.folder("Apps")));
  const std::string gone = tree_.folder("Disk");
  store_->setBlob(keys::kMacOS, createGrant(gone));
  EXPECT_EQ(checks.status(Kind::Home).state, State::Valid);
  EXPECT_EQ(checks.status(Kind::Home).location, home_);
  EXPECT_EQ(checks.status(Kind::Applications).state, State::Invalid);
  EXPECT_NE(checks.status(Kind::Applications).reason.find("not valid"), std::string::npos);
  EXPECT_EQ(checks.status(Kind::WholeDisk).state, State::Invalid);  // AllowAny is 0

  std::filesystem::remove(gone);
  EXPECT_EQ(checks.status(Kind::WholeDisk).state, State::Missing);
  EXPECT_NE(checks.status(Kind::WholeDisk).reason.find("gone"), std::string::npos);
  std::filesystem::rename(home_, tree_.path("Users/alice-old"));
  tree_.folder("Users/alice");
  EXPECT_EQ(checks.status(Kind::Home).state, State::Stale);
  EXPECT_NE(checks.status(Kind::Home).reason.find("stale"), std::string::npos);
}

TEST_F(AccessSheetsTest, CancelStoresNothingAndKeepsAnEarlierGrant) {
  auto sheet = loadedSandboxSheet();
  chooser_.answer(std::nullopt);
  sheet.allowHome(chooser_);
  chooser_.answer(std::nullopt);
  sheet.allowApplication(chooser_);
  EXPECT_FALSE(store_->blob(keys::kHome).has_value());
  EXPECT_FALSE(store_->blob(keys::kApplications).has_value());
  EXPECT_TRUE(sheet.homeSwitchEnabled());
  EXPECT_TRUE(sheet.applicationsSwitchEnabled());

  chooser_.answer(home_);
  sheet.allowHome(chooser_);
  chooser_.answer(std::nullopt);
  sheet.allowHome(chooser_);
  EXPECT_EQ(granted(keys::kHome), home_);
  // A folder gone before its grant could be made does not replace the grant either.
  chooser_.answer(tree_.path("Users/vanished"));
  sheet.allowHome(chooser_);
  EXPECT_EQ(granted(keys::kHome), home_);
}

TEST_F(AccessSheetsTest, LoadingDisablesTheSwitchOfAValidGrant) {
  store_->setBlob(keys::kApplications, createGrant(applications_));
  auto onlyApplications = loadedSandboxSheet();
  EXPECT_TRUE(onlyApplications.homeSwitchEnabled());
  EXPECT_FALSE(onlyApplications.applicationsSwitchEnabled());

  // With the home grant valid the Applications grant is not looked at.
  store_->setBlob(keys::kHome, createGrant(home_));
  auto both = loadedSandboxSheet();
  EXPECT_FALSE(both.homeSwitchEnabled());
  EXPECT_TRUE(both.applicationsSwitchEnabled());

  // A home folder replaced since it was granted is stale: asked again.
  std::filesystem::rename(home_, tree_.path("Users/alice-old"));
  tree_.folder("Users/alice");
  auto stale = loadedSandboxSheet();
  EXPECT_TRUE(stale.homeSwitchEnabled());
  EXPECT_FALSE(stale.applicationsSwitchEnabled());
}

TEST_F(AccessSheetsTest, WholeDiskTakesAnyFolderButOnlyTheRootCompletesIt) {
  OptionalPurposeSheet sheet(*store_);
  sheet.onLoad();
  EXPECT_TRUE(sheet.macOSButtonEnabled());
  GrantChecks checks(*store_, "alice");
  EXPECT_FALSE(checks.wholeDiskRoot().has_value());

  chooser_.answer(std::nullopt);
  sheet.AllowmacOS(chooser_);
  EXPECT_EQ(store_->integer(keys::kAllowAny), 0);
  EXPECT_FALSE(store_->blob(keys::kMacOS).has_value());

  chooser_.answer(home_);
  sheet.AllowmacOS(chooser_);
  EXPECT_TRUE(sheet.macOSButtonEnabled());
  EXPECT_EQ(store_->integer(keys::kAllowAny), 1);
  EXPECT_EQ(granted(keys::kMacOS), home_);
  EXPECT_EQ(checks.wholeDiskRoot(), home_);
  EXPECT_FALSE(checks.wholeDiskComplete());

  chooser_.answer("/");
  sheet.AllowmacOS(chooser_);
  EXPECT_FALSE(sheet.macOSButtonEnabled());
  EXPECT_TRUE(checks.wholeDiskComplete());
  EXPECT_EQ(checks.wholeDiskRoot(), "/");

  ASSERT_EQ(chooser_.asked.size(), 3u);
  EXPECT_EQ(chooser_.asked[0].title, "");
  EXPECT_EQ(chooser_.asked[0].prompt, "Allow");
  EXPECT_EQ(chooser_.asked[0].startingFolder, "/");

  OptionalPurposeSheet reopened(*store_);
  reopened.onLoad();
  EXPECT_FALSE(reopened.macOSButtonEnabled());
}

}  // namespace
}  // namespace vimbrel

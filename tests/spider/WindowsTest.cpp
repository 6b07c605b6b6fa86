#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <deque>

#include "SpiderTestSupport.h"
#include "platform/FolderChooser.h"
#include "spider/QtAgentWindows.h"

namespace vimbrel::spider {
namespace {

using namespace testing;

// Answers each panel with the next queued folder (nothing = cancel).
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

class RecordingUrlOpener final : public UrlOpener {
 public:
  bool openUrl(const std::string& url) override {
    opened.push_back(url);
    return true;
  }
  bool openFile(const std::string&) override { return true; }
  std::vector<std::string> opened;
};

class WindowsTest : public ::testing::Test {
 protected:
  QPushButton* button(QWidget* window, const char* name) {
    return window->findChild<QPushButton*>(name);
  }
  // A tree whose agent store holds no grants yet.
  WindowsTest() {
    t_.agentStore->setBlob(keys::kHomeAccess, {});
    t_.agentStore->setBlob(keys::kApplications, {});
  }

  AgentTree t_;
  ScriptedChooser chooser_;
  RecordingUrlOpener opener_;
  QtAgentWindows windows_{*t_.agentStore, "alice", t_.home, chooser_, opener_};
};

TEST_F(WindowsTest, SandboxStoresBothGrantsAndClosesOnceBothAreValid) {
  windows_.showSandbox();
  QWidget* window = windows_.windowcontrollerS();
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->isVisible());
  QPushButton* home = button(window, "allowHomeButton");
  QPushButton* applications = button(window, "allowApplicationsButton");
  EXPECT_TRUE(home->isEnabled());
  EXPECT_TRUE(applications->isEnabled());

  // Another folder is stored, but the button and the window stay.
  const std::string bob = t_.tree.folder("Users/bob");
  chooser_.answer(bob);
  home->click();
  EXPECT_EQ(resolve_grant(*t_.agentStore, keys::kHomeAccess).location, bob);
  EXPECT_TRUE(home->isEnabled());
  ASSERT_EQ(chooser_.asked.size(), 1u);
  EXPECT_EQ(chooser_.asked[0].title, "Allow access");
  EXPECT_EQ(chooser_.asked[0].prompt, "Allow");
  EXPECT_EQ(chooser_.asked[0].startingFolder, t_.home);

  // Cancelling changes nothing.
  home->click();
  EXPECT_EQ(resolve_grant(*t_.agentStore, keys::kHomeAccess).location, bob);

  chooser_.answer(t_.home);
  home->click();
  EXPECT_FALSE(home->isEnabled());
  EXPECT_TRUE(windows_.windowcontrollerS()) << "the Applications folder is still missing";

  chooser_.answer(t_.tree.path("Applications"));
  applications->click();
  EXPECT_EQ(resolve_grant(*t_.agentStore, keys::kApplications).location,
            t_.tree.path("Applications"));
  EXPECT_EQ(chooser_.asked.back().startingFolder, "/Applications");
  runLoopUntil([&] { return windows_.windowcontrollerS() == nullptr; }, 2000);
  EXPECT_FALSE(windows_.windowcontrollerS());
}

TEST_F(WindowsTest, SandboxShowsTheGrantAlreadyHeldDisabled) {
  t_.agentStore->setBlob(keys::kApplications, createGrant(t_.tree.path("Applications")));
  windows_.showSandbox();
  QWidget* window = windows_.windowcontrollerS();
  EXPECT_TRUE(button(window, "allowHomeButton")->isEnabled());
  EXPECT_FALSE(button(window, "allowApplicationsButton")->isEnabled());
  // Opening it again brings the same window forward.
  windows_.showSandbox();
  EXPECT_EQ(windows_.windowcontrollerS(), window);
}

TEST_F(WindowsTest, WholeVolumeWindowStoresAnyFolderAndDisablesForTheRoot) {
  windows_.showSpiderOptional();
  QPushButton* allow = button(windows_.windowcontrollerU(), "macOSButton");
  ASSERT_TRUE(allow->isEnabled());
  chooser_.answer(t_.tree.root());
  allow->click();
  EXPECT_EQ(resolve_grant(*t_.agentStore, keys::kMacOS).location, t_.tree.root());
  EXPECT_EQ(t_.agentStore->integer(keys::kAllowAny), 1);
  EXPECT_TRUE(allow->isEnabled());
  EXPECT_EQ(chooser_.asked[0].startingFolder, "/");
  EXPECT_EQ(chooser_.asked[0].title, "");

  chooser_.answer("/");
  allow->click();
  EXPECT_FALSE(allow->isEnabled());
  windows_.windowcontrollerU()->close();
  runLoopUntil([&] { return windows_.windowcontrollerU() == nullptr; }, 2000);
  // With the root granted, the window opens with its button disabled.
  windows_.showSpiderOptional();
  EXPECT_FALSE(button(windows_.windowcontrollerU(), "macOSButton")->isEnabled());
}

TEST_F(WindowsTest, RatingWindowCountsAndRemembersTheAnswer) {
  t_.agentStore->setInteger(keys::kRemoveAppCount, 30);
  windows_.showLikeApp();
  QWidget* window = windows_.windowcontrollerL();
  EXPECT_EQ(window->findChild<QLabel*>("text")->text().toStdString(),
            "You have removed 30 apps with Vimbrel Spider. Do you like it?");
  button(window, "cancelButton")->click();
  runLoopUntil([&] { return windows_.windowcontrollerL() == nullptr; }, 2000);
  EXPECT_EQ(t_.agentStore->integer(keys::kAppIsRate), 0);

  windows_.showLikeApp();
  button(windows_.windowcontrollerL(), "yesButton")->click();
  runLoopUntil([&] { return windows_.windowcontrollerL() == nullptr; }, 2000);
  EXPECT_FALSE(windows_.windowcontrollerL());
  EXPECT_EQ(t_.agentStore->integer(keys::kAppIsRate), 1);
  ASSERT_EQ(opener_.opened.size(), 1u);

  t_.agentStore->setInteger(keys::kAppIsRate, 0);
  windows_.showLikeApp();
  button(windows_.windowcontrollerL(), "alradyDoneButton")->click();
  EXPECT_EQ(t_.agentStore->integer(keys::kAppIsRate), 1);
  EXPECT_EQ(opener_.opened.size(), 1u);
}

}  // namespace
}  // namespace vimbrel::spider

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "FakeBundles.h"
#include "TempTree.h"

namespace vimbrel {
namespace {

using testing::TempTree;
using testing::writeBundle;

using Outcome = testing::CliOutcome;
using testing::contentsOf;

constexpr const char* kSafariList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
    "<key>Installed Extensions</key><array><dict>"
    "<key>Archive File Name</key><string>Clipper.safariextz</string>"
    "<key>Bundle Identifier</key><string>com.example.clipper</string>"
    "</dict></array>\n<key>Version</key><integer>1</integer>\n</dict>\n</plist>\n";

// A home with one address-book plug-in and one Safari extension, and the
// command-line front end run on it with a settings folder of its own.
class ExtensionCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tree_.folder("disk/Users/tester");
    plugin_ = writeBundle(tree_, "disk/Users/tester/Library/Address Book Plug-Ins/Lookup.bundle",
                          {"com.example.lookup", "Lookup", "Lookup", std::nullopt});
    tree_.fileOfSize("disk/Users/tester/Library/Address Book Plug-Ins/Lookup.bundle/data", 1000);
    pref_ = tree_.file("disk/Users/tester/Library/Preferences/com.example.lookup.plist", "p");
    list_ = tree_.file("disk/Users/tester/Library/Safari/Extensions/Extensions.plist", kSafariList);
    archive_ = tree_.file("disk/Users/tester/Library/Safari/Extensions/Clipper.safariextz", "xar");
    tree_.folder("config");
  }

  Outcome run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--home", home_});
    return testing::runCli(std::move(args), tree_.path("config"), tree_.root());
  }

  bool exists(const std::string& path) const { return std::filesystem::exists(path); }

  TempTree tree_;
  std::string home_, plugin_, pref_, list_, archive_;
};

TEST_F(ExtensionCommandsTest, ListsShowEachRecordWithItsSize) {
  Outcome plugins = run({"plugins"});
  ASSERT_EQ(plugins.exitCode, 0) << plugins.err;
  EXPECT_NE(plugins.out.find("Lookup"), std::string::npos) << plugins.out;
  EXPECT_NE(plugins.out.find("com.example.lookup"), std::string::npos);
  EXPECT_NE(plugins.out.find(plugin_), std::string::npos);
  // 1,000 bytes of data plus the bundle's own small files.
  EXPECT_NE(plugins.out.find(" 1 KB "), std::string::npos) << plugins.out;

  Outcome safari = run({"safari-extensions"});
  ASSERT_EQ(safari.exitCode, 0) << safari.err;
  EXPECT_NE(safari.out.find("Clipper  com.example.clipper  3 bytes"), std::string::npos)
      << safari.out;
  Outcome panes = run({"prefpanes"});
  EXPECT_EQ(panes.exitCode, 0);
  EXPECT_NE(panes.out.find("No preference panes"), std::string::npos);
}

TEST_F(ExtensionCommandsTest, BadInputExitsTwoAndRemovesNothing) {
  for (const auto& [args, says] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"remove-extension"}, "needs a plug-in"},
           {{"remove-extension", "com.nothing", "--yes"}, "no plug-in, preference pane"},
           {{"remove-extension", tree_.path("elsewhere/x.bundle"), "--yes"}, "no plug-in"},
           {{"remove-extension", "com.example.lookup", "--keep", pref_, "--yes"}, "--keep"},
           {{"plugins", "--yes"}, "--yes is for"}}) {
    Outcome outcome = run(args);
    EXPECT_EQ(outcome.exitCode, 2) << says;
    EXPECT_NE(outcome.err.find(says), std::string::npos) << outcome.err;
  }
  EXPECT_TRUE(exists(plugin_));
  EXPECT_TRUE(exists(pref_));
}

TEST_F(ExtensionCommandsTest, RemoveExtensionIsADryRunWithoutYes) {
  Outcome dry = run({"remove-extension", "com.example.lookup"});
  EXPECT_EQ(dry.exitCode, 0) << dry.err;
  EXPECT_NE(dry.out.find("Would remove"), std::string::npos);
  EXPECT_NE(dry.out.find("com.example.lookup.plist"), std::string::npos) << dry.out;
  EXPECT_TRUE(exists(plugin_));
  EXPECT_TRUE(exists(pref_));

  Outcome done = run({"remove-extension", plugin_, "--yes"});
  EXPECT_EQ(done.exitCode, 0) << done.err;
  EXPECT_FALSE(exists(plugin_));
  EXPECT_FALSE(exists(pref_));
  EXPECT_TRUE(exists(home_ + "/Library/Address Book Plug-Ins"));

  Outcome safari = run({"remove-extension", "com.example.clipper", "--yes"});
  EXPECT_EQ(safari.exitCode, 0) << safari.err;
  EXPECT_FALSE(exists(archive_));
  EXPECT_EQ(contentsOf(list_).find("com.example.clipper"), std::string::npos);
  EXPECT_NE(contentsOf(list_).find("<key>Version</key>"), std::string::npos);
}

TEST_F(ExtensionCommandsTest, SafariExtensionsAreNotRemovedWhileSafariRuns) {
  const std::string safari = writeBundle(tree_, "Applications/Safari.app",
                                         {"com.apple.Safari", "Safari", "Safari", std::nullopt});
  Outcome refused;
  {
    testing::RunningStandIn running(safari, "Safari");
    refused = run({"remove-extension", "com.example.clipper", "--yes"});
  }
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("Safari is running"), std::string::npos) << refused.err;
  EXPECT_TRUE(exists(archive_));
  EXPECT_EQ(contentsOf(list_), kSafariList);
}

}  // namespace
}  // namespace vimbrel

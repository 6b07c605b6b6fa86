#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

#include "SearchFixture.h"
#include "engine/NameRules.h"

namespace vimbrel {
namespace {

using Files = std::vector<std::string>;

class RemainderSearchTest : public testing::SearchFixture {};

TEST_F(RemainderSearchTest, WorkedExampleGivesFilesAndSizesInOrder) {
  ApplicationItem item = tool();
  homeFile("Library/Preferences/com.example.Tool.plist", "12345");
  homeFile("Library/Application Support/Tool/data.bin", std::string(300, 'd'));
  homeFile("Library/Caches/com.example.Tool/cache.db", std::string(70, 'c'));
  homeFile("Library/Caches/com.other.App/cache.db");

  EXPECT_EQ(search(item), (Files{"[Executables]", "Applications/Tool.app", "[Preferences]",
                                 "Users/tester/Library/Preferences/com.example.Tool.plist",
                                 "[Supportfiles]", "Users/tester/Library/Application Support/Tool",
                                 "Users/tester/Library/Caches/com.example.Tool"}));
  ASSERT_EQ(item.sizes.size(), item.files.size());
  for (std::size_t i : {0u, 2u, 4u}) {
    ASSERT_TRUE(std::holds_alternative<RemainderEntry>(item.sizes[i]));
    EXPECT_EQ(std::get<RemainderEntry>(item.sizes[i]), item.files[i]);
  }
  // The bundle counts every non-hidden file inside it.
  tree_.file("disk/Applications/Tool.app/Contents/.hidden", std::string(1000, 'h'));
  search(item);
  const auto infoSize = std::filesystem::file_size(item.url + "/Contents/Info.plist");
  EXPECT_EQ(std::get<std::uint64_t>(item.sizes[1]), infoSize + 6);  // + "binary"
  EXPECT_EQ(std::get<std::uint64_t>(item.sizes[3]), 5u);
  EXPECT_EQ(std::get<std::uint64_t>(item.sizes[5]), 300u);
  EXPECT_EQ(std::get<std::uint64_t>(item.sizes[6]), 70u);
}

TEST_F(RemainderSearchTest, EnclosingFolderOnlyWhenItIsNamedForTheApplication) {
  ApplicationItem nested = tool("Tool/Tool.app");
  homeFile("Library/Preferences/com.example.Tool.plist");
  homeFile("Library/Caches/com.example.Tool/c");
  EXPECT_EQ(search(nested),
            (Files{"[Executables]", "Applications/Tool/Tool.app", "[Preferences]",
                   "Users/tester/Library/Preferences/com.example.Tool.plist", "[Supportfiles]",
                   "Applications/Tool", "Users/tester/Library/Caches/com.example.Tool"}));

  // Deleting Utilities would take every other application in it.
  ApplicationItem utility =
      app("Utilities/Terminal.app", {"com.example.Terminal", "Terminal", "Terminal", {}});
  app("Utilities/Other.app", {"com.example.Other", "Other", "Other", {}});
  EXPECT_EQ(search(utility), (Files{"[Executables]", "Applications/Utilities/Terminal.app"}));
}

TEST_F(RemainderSearchTest, ProEditionsKeepTheirOwnFiles) {
  ApplicationItem normal = tool();
  ApplicationItem pro = app("Tool Pro.app", {"com.example.ToolPro", "Tool Pro", "ToolPro", {}});
  homeFile("Library/Preferences/com.example.Tool.plist");
  homeFile("Library/Preferences/com.example.ToolPRO.plist");
  homeFile("Library/Containers/com.example.ToolPro/c");
  EXPECT_EQ(search(normal),
            (Files{"[Executables]", "Applications/Tool.app", "[Preferences]",
                   "Users/tester/Library/Preferences/com.example.Tool.plist", "[Supportfiles]"}));
  EXPECT_EQ(search(pro),
            (Files{"[Executables]", "Applications/Tool Pro.app", "[Preferences]",
                   "Users/tester/Library/Preferences/com.example.ToolPRO.plist", "[Supportfiles]",
                   "Users/tester/Library/Containers/com.example.ToolPro"}));
}

TEST_F(RemainderSearchTest, SupportFolderNamesFollowTheLabelNumberRule) {
  ApplicationItem item = tool();
  for (const char* name : {"Tool", "Tool Updates", "Tool 2", "com.example.Tool", "Toolbox"}) {
    homeFolder(std::string("Library/Application Support/") + name);
  }
  homeFile("Library/Application Support/Tool Updates/.Tool-hidden");
  Files found = search(item);
  ASSERT_GE(found.size(), 3u);
  EXPECT_EQ(found[2], "[Supportfiles]");
  std::sort(found.begin() + 3, found.end());
  const std::string support = "Users/tester/Library/Application Support/";
  EXPECT_EQ(found,
            (Files{"[Executables]", "Applications/Tool.app", "[Supportfiles]", support + "Tool",
                   support + "Tool Updates", support + "Toolbox", support + "com.example.Tool"}));
}

TEST_F(RemainderSearchTest, CrashReportsAreTakenInTheirOwnStepOnly) {
  ApplicationItem item = tool();
  homeFile("Library/Application Support/CrashReporter/Tool_2026.plist");
  // The support step saw a candidate and rejected it: its header stays alone.
  EXPECT_EQ(search(item),
            (Files{"[Executables]", "Applications/Tool.app", "[Supportfiles]", "[Logs]",
                   "Users/tester/Library/Application Support/CrashReporter/Tool_2026.plist"}));
}

TEST_F(RemainderSearchTest, PathTestsIgnoreCaseAndDiacritics) {
  // Support entries below a crash-report folder, and log entries below the
  // Creative Suite folder, in any spelling: their own steps cover them (and on
  // a case-sensitive disk those steps list only the exact spelling).
  ApplicationItem item = tool();
  homeFile("Library/Application Support/crashreporter/Tool_1.plist");
  homeFile("Library/Application Support/Vendor/CRASHREPORTER/Tool_2.plist");
  homeFile("Library/Logs/csxs/Tool.log");
  homeFile("Library/Logs/Adobe/Csxs/Tool.log");
  EXPECT_EQ(search(item), (Files{"[Executables]", "Applications/Tool.app", "[Supportfiles]"}));

  // An application in a folder of its own in an "applications" folder spelled
  // otherwise still has that folder listed.
  for (const char* applicationsFolder : {"applications", "Ápplications"}) {
    const std::string bundle = writeBundle(
        tree_, "disk/Users/tester/" + std::string(applicationsFolder) + "/Tool/Tool.app",
        {"com.example.Tool", "Tool", "Tool", {}});
    ApplicationItem nested = Application(fileSystem_, store_).application(bundle);
    const std::string folder = "Users/tester/" + std::string(applicationsFolder) + "/Tool";
    EXPECT_EQ(search(nested),
              (Files{"[Executables]", folder + "/Tool.app", "[Supportfiles]", folder}));
  }
}

TEST_F(RemainderSearchTest, ALoginItemExtendingTheIdentifierInAnotherCaseIsListedOnce) {
  ApplicationItem item = tool();
  writeBundle(tree_, "disk/Applications/Tool.app/Contents/Library/LoginItems/Helper.app",
              {"com.Example.Tool.Helper", "Helper", "Helper", {}});
  homeFolder("Library/Containers/com.Example.Tool.Helper");
  EXPECT_EQ(search(item), (Files{"[Executables]", "Applications/Tool.app", "[Supportfiles]",
                                 "Users/tester/Library/Containers/com.Example.Tool.Helper"}));
}

TEST_F(RemainderSearchTest, PackagesInApplicationSupportAreNeverEntered) {
  ApplicationItem item = tool();
  homeFile("Library/Application Support/Projects/Demo.xcodeproj/Tool.pbxproj");
  homeFile("Library/Application Support/Projects/Demo.xcworkspace/Tool/contents");
  homeFile("Library/Application Support/Projects/Sketch.playground/Tool.swift");
  homeFile("Library/Application Support/Projects/Plain/Tool.txt");
  EXPECT_EQ(search(item),
            (Files{"[Executables]", "Applications/Tool.app", "[Supportfiles]",
                   "Users/tester/Library/Application Support/Projects/Plain/Tool.txt"}));
}

TEST(LabelNumberRule, DecidesNumberedEditionsAndShortTexts) {
  EXPECT_TRUE(labelNumberRuleAccepts("Tool", "Tool"));
  EXPECT_TRUE(labelNumberRuleAccepts("Tool", "Tool Data"));
  EXPECT_FALSE(labelNumberRuleAccepts("Tool", "Tool 2"));
  EXPECT_TRUE(labelNumberRuleAccepts("Tool 1", "Tool 1 2"));  // same second-to-last character
  // One character longer: no character after the separator; held to the stricter test.
  EXPECT_FALSE(labelNumberRuleAccepts("Tool", "Tools"));
  EXPECT_TRUE(labelNumberRuleAccepts("Tool", "Tooo"));
  // Texts too short to have a second-to-last character never fail.
  EXPECT_TRUE(labelNumberRuleAccepts("R", "R"));
  EXPECT_FALSE(labelNumberRuleAccepts("R", "xR"));
  EXPECT_TRUE(labelNumberRuleAccepts("", ""));
  EXPECT_TRUE(labelNumberRuleAccepts("Café", "Café Data"));
  EXPECT_FALSE(labelNumberRuleAccepts("Café", "Café 3"));
}

TEST_F(RemainderSearchTest, SystemFoldersOnlyWithAllowAnyAndAFreshGrant) {
  ApplicationItem item = tool();
  diskFile("Library/LaunchDaemons/com.example.Tool.helper.plist");
  diskFile("Users/Shared/Tool/settings");
  auto systemEntries = [&] {
    Files found = search(item);
    return std::count_if(found.begin(), found.end(), [](const std::string& f) {
      return f.rfind("Users/tester", 0) != 0 && f.rfind("Applications", 0) != 0 && f[0] != '[';
    });
  };
  EXPECT_EQ(systemEntries(), 0);
  allowSystemFolders();
  EXPECT_EQ(systemEntries(), 2);
  EXPECT_EQ(search(item),
            (Files{"[Executables]", "Applications/Tool.app", "[Supportfiles]", "Users/Shared/Tool",
                   "[LauchAgents]", "Library/LaunchDaemons/com.example.Tool.helper.plist"}));
  // A whole-disk grant whose folder was replaced is stale: no system folders.
  std::string other = tree_.folder("disk2");
  store_.setBlob(keys::kMacOS, createGrant(other));
  std::filesystem::remove_all(other);
  std::filesystem::create_directory(other);
  EXPECT_EQ(systemEntries(), 0);
}

TEST_F(RemainderSearchTest, EachHeaderAtMostOnceAndOnlyForGroupsWithCandidates) {
  ApplicationItem item = tool();
  homeFile("Library/Logs/Tool/one.log");
  homeFile("Library/Logs/Tool/two.log");
  homeFile("Library/Logs/CSXS/Tool.log");
  homeFile("Library/Application Support/CrashReporter/Tool_1.plist");
  homeFile("Library/WebKit/com.example.Tool/db");
  homeFile("Library/Preferences/com.other.plist");
  Files found = search(item);
  EXPECT_EQ(std::count(found.begin(), found.end(), "[Logs]"), 1);
  EXPECT_EQ(std::count(found.begin(), found.end(), "[Preferences]"), 0);
  EXPECT_EQ(found, (Files{"[Executables]", "Applications/Tool.app", "[Supportfiles]", "[Logs]",
                          "Users/tester/Library/Logs/Tool",
                          "Users/tester/Library/Application Support/CrashReporter/Tool_1.plist",
                          "Users/tester/Library/Logs/CSXS/Tool.log",
                          "Users/tester/Library/WebKit/com.example.Tool"}));
}

TEST_F(RemainderSearchTest, PlatformApplicationsMatchCompanyTestsAsCompanyname) {
  ApplicationItem item = app("Notes.app", {"com.apple.Notes", "Notes", "Notes", {}});
  homeFolder("Library/Caches/Apple");
  homeFolder("Library/Logs/CSXS/apple-stuff");
  homeFolder("Library/Logs/CSXS/companyname-logs");
  EXPECT_EQ(search(item), (Files{"[Executables]", "Applications/Notes.app", "[Supportfiles]",
                                 "Users/tester/Library/Caches/Apple", "[Logs]",
                                 "Users/tester/Library/Logs/CSXS/companyname-logs"}));
  EXPECT_EQ(item.company_name, "companyname");
}

TEST_F(RemainderSearchTest, DesktopTakesFoldersAndExtensionlessFilesOnly) {
  ApplicationItem item = tool();
  homeFolder("Desktop/Tool Projects");
  homeFile("Desktop/Tool notes.txt");
  homeFile("Desktop/Tool");
  Files found = search(item);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (Files{"Applications/Tool.app", "Users/tester/Desktop/Tool",
                          "Users/tester/Desktop/Tool Projects", "[Desktop]", "[Executables]"}));
}

TEST_F(RemainderSearchTest, LoginItemsBringTheirContainersAndScripts) {
  ApplicationItem item = tool();
  writeBundle(tree_, "disk/Applications/Tool.app/Contents/Library/LoginItems/Launcher.app",
              {"org.vendor.Launcher", "Launcher", "Launcher", {}});
  writeBundle(tree_, "disk/Applications/Tool.app/Contents/Library/LoginItems/Inner.app",
              {"com.example.Tool.Inner", "Inner", "Inner", {}});
  homeFolder("Library/Containers/org.vendor.Launcher");
  homeFolder("Library/Containers/org.vendor.LauncherPro");
  homeFolder("Library/Application Scripts/org.vendor.Launcher");
  homeFolder("Library/Containers/com.example.Tool.Inner");
  EXPECT_EQ(search(item), (Files{"[Executables]", "Applications/Tool.app", "[Supportfiles]",
                                 "Users/tester/Library/Containers/com.example.Tool.Inner",
                                 "Users/tester/Library/Containers/org.vendor.Launcher",
                                 "Users/tester/Library/Application Scripts/org.vendor.Launcher"}));
}

TEST_F(RemainderSearchTest, WellKnownFoldersAreNeverListedWhateverTheNames) {
  // A name "App" is contained in "Application Support", a company
  // "Preferences" names the preferences folder, a label "Log" the logs.
  ApplicationItem appItem = app("App.app", {"com.example.App", "App", "App", {}});
  ApplicationItem prefs = app("Prefs.app", {"Preferences", "Prefs", "Prefs", {}});
  ApplicationItem logItem = app("Log.app", {"com.example.Log", "Log", "Log", {}});
  ApplicationItem library = app("Library.app", {"com.example.Library", "Library", "Lib", {}});
  homeFile("Library/Application Support/App/x");
  homeFile("Library/Logs/x.log");
  allowSystemFolders();
  for (ApplicationItem* item : {&appItem, &prefs, &logItem, &library}) {
    Files found = search(*item);
    for (const std::string& entry : found) {
      for (const char* forbidden :
           {"Users/tester/Library", "Users/tester/Library/Application Support",
            "Users/tester/Library/Preferences", "Users/tester/Library/Logs", "Library",
            "Library/Logs", "Users", "Users/tester", "Applications", "var",
            "Library/Application Support"}) {
        EXPECT_NE(entry, forbidden) << "listed for " << item->label;
      }
    }
  }
}

TEST_F(RemainderSearchTest, AbsentIdentifierMatchesNothingButTheLabel) {
  ApplicationItem item = app("Nameless.app", {});
  homeFile("Library/Preferences/com.example.Nameless.plist");
  homeFile("Library/Caches/x");
  homeFolder("Library/Application Support/Nameless");
  EXPECT_EQ(search(item), (Files{"[Executables]", "Applications/Nameless.app", "[Supportfiles]",
                                 "Users/tester/Library/Application Support/Nameless"}));
}

TEST_F(RemainderSearchTest, SizesNeverFollowLinksAndCountNestedEntriesOnce) {
  ApplicationItem item = tool();
  homeFile("Library/Logs/Tool/a.log", std::string(100, 'a'));
  homeFile("Library/Logs/Tool/Tool-b.log", std::string(50, 'b'));
  tree_.fileOfSize("outside/huge.bin", 1 << 20);
  tree_.symlink("disk/Users/tester/Library/Logs/Tool/escape", tree_.path("outside"));
  tree_.symlink("disk/Users/tester/Library/Logs/Tool/loop",
                tree_.path("disk/Users/tester/Library/Logs/Tool"));
  EXPECT_EQ(search(item),
            (Files{"[Executables]", "Applications/Tool.app", "[Logs]",
                   "Users/tester/Library/Logs/Tool", "Users/tester/Library/Logs/Tool/Tool-b.log"}));
  const std::uint64_t links =
      tree_.path("outside").size() + tree_.path("disk/Users/tester/Library/Logs/Tool").size();
  EXPECT_EQ(std::get<std::uint64_t>(item.sizes[3]), 150u + links);
  EXPECT_EQ(std::get<std::uint64_t>(item.sizes[4]), 50u);
}

TEST_F(RemainderSearchTest, AgentCleanerListsNoBundleAndAddsUpTheTotal) {
  ApplicationItem item = tool("Tool/Tool.app");
  store_.setBlob(keys::kHomeAccess, createGrant(home_));
  homeFile("Library/Preferences/com.example.Tool.plist", "1234");
  homeFile("Library/Caches/Tool", "123456");
  EXPECT_EQ(search(item, SearchVariant::agentCleaner()),
            (Files{"[Preferences]", "Users/tester/Library/Preferences/com.example.Tool.plist",
                   "[Supportfiles]", "Users/tester/Library/Caches/Tool"}));
  EXPECT_EQ(item.net_size, 10u);
}

TEST_F(RemainderSearchTest, BundleRemovalSkipsSupportCachesLabelAndSizes) {
  ApplicationItem item = tool();
  homeFile("Library/Caches/Tool", "123456");
  allowSystemFolders();
  diskFile("Users/Shared/Tool/x");
  EXPECT_EQ(search(item, SearchVariant::bundleRemoval()),
            (Files{"[Executables]", "Applications/Tool.app"}));
  EXPECT_TRUE(item.sizes.empty());
}

}  // namespace
}  // namespace vimbrel

namespace vimbrel {
namespace {

// A plug-in named "com.vendor.tool.bundle" is labelled "com"; that piece of a
// dotted name must not tie every "com.*" entry to the plug-in.
TEST_F(RemainderSearchTest, BundleRemovalIgnoresALabelCutFromADottedName) {
  std::string plugin =
      writeBundle(tree_, "disk/Users/tester/Library/Address Book Plug-Ins/com.vendor.tool.bundle",
                  {"com.vendor.tool", "Tool Plug", "ToolPlug", {}});
  ApplicationItem item = Application(fileSystem_, store_).application(plugin);
  item.label = "com";
  homeFolder("Library/Application Support/com.other.App");
  homeFile("Library/Logs/com.someone.log");
  homeFile("Library/Preferences/com.vendor.tool.plist");
  EXPECT_EQ(
      search(item, SearchVariant::bundleRemoval()),
      (Files{"[Executables]", "Users/tester/Library/Address Book Plug-Ins/com.vendor.tool.bundle",
             "[Preferences]", "Users/tester/Library/Preferences/com.vendor.tool.plist", "[Plugins]",
             "Users/tester/Library/Address Book Plug-Ins/com.vendor.tool.bundle"}));
  // A whole name is still matched.
  ApplicationItem viewer = item;
  viewer.url = tree_.folder("disk/Library/Internet Plug-Ins/Page Viewer.plugin");
  viewer.label = "Page Viewer";
  homeFolder("Library/Application Support/Page Viewer");
  Files found = search(viewer, SearchVariant::bundleRemoval());
  EXPECT_NE(
      std::find(found.begin(), found.end(), "Users/tester/Library/Application Support/Page Viewer"),
      found.end());
}

}  // namespace
}  // namespace vimbrel

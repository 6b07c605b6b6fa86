#include <gtest/gtest.h>

#include <variant>

#include "SearchFixture.h"
#include "engine/GenericValues.h"

namespace vimbrel {
namespace {

using Files = std::vector<std::string>;

class SearchStepsTest : public testing::SearchFixture {};

// One search over a tree with a matching entry in the folder of every step,
// beside names each step must not take: the list comes out in step order,
// each group under one header, and every entry says which step took it.
TEST_F(SearchStepsTest, EveryStepTakesItsEntryInOrderAndLeavesItsLookAlikes) {
  allowSystemFolders();
  ApplicationItem item =
      app("Xcode/Xcode.app", {"com.apple.dt.Xcode", "Xcode", "Xcode", std::nullopt});
  writeBundle(tree_, "disk/Applications/Xcode/Xcode.app/Contents/Library/LoginItems/Sidekick.app",
              {"org.vendor.Sidekick", "Sidekick", "Sidekick", {}});
  const std::string lib = "Library/";
  // Each step's entry, then what it must not take (another record value,
  // equality where the step tests containment and the reverse, a pro edition).
  homeFile(lib + "Preferences/com.apple.dt.Xcode.plist");
  homeFile(lib + "Preferences/com.apple.dt.XcodePro.plist");
  homeFile(lib + "Preferences/com.apple.Notes.plist");
  homeFile(lib + "Application Support/Xcode/data");
  homeFolder(lib + "Application Support/Xcode 2");
  homeFolder(lib + "Application Support/Apple");
  diskFile("Users/Shared/Xcode Data");
  diskFile("Users/Shared/Apple");
  diskFile("Library/Application Support/Xcode/x");
  diskFile("Library/Application Support/Notes/x");
  homeFolder(lib + "Containers/com.apple.dt.Xcode");
  homeFolder(lib + "Containers/Xcode");
  homeFolder(lib + "Saved Application State/com.apple.dt.Xcode.savedState");
  homeFolder(lib + "Saved Application State/Xcode.savedState");
  homeFile(lib + "Caches/Xcode");
  homeFile(lib + "Caches/Xcode Cache");
  homeFile(lib + "Caches/xcode");
  homeFile(lib + "Cookies/com.apple.dt.Xcode.binarycookies");
  homeFile(lib + "Cookies/Xcode.binarycookies");
  homeFolder(lib + "Application Scripts/com.apple.dt.Xcode");
  homeFolder(lib + "Application Scripts/com.apple.dt.XcodePro");
  homeFile(lib + "Caches/com.apple.helpd/Generated/Xcode.help");
  homeFile(lib + "Caches/com.apple.helpd/Generated/Notes.help");
  homeFolder(lib + "Group Containers/ABCDE.com.apple.dt.Xcode");
  homeFolder(lib + "Group Containers/ABCDE.com.apple.Notes");
  homeFolder(lib + "Apple");
  homeFolder(lib + "Applesauce");
  homeFolder(lib + "Containers/org.vendor.Sidekick");
  homeFolder(lib + "Containers/org.vendor.SidekickPlus");
  homeFolder(lib + "Application Scripts/org.vendor.Sidekick");
  homeFile(lib + "LaunchAgents/com.apple.dt.Xcode.agent.plist");
  homeFile(lib + "LaunchAgents/com.apple.Notes.plist");
  diskFile("Library/LaunchAgents/com.apple.dt.Xcode.system.plist");
  diskFile("Library/LaunchDaemons/com.apple.dt.Xcode.daemon.plist");
  diskFile("Library/PrivilegedHelperTools/com.apple.dt.Xcode.helper");
  diskFile("Library/PrivilegedHelperTools/Xcode-helper");
  homeFile(lib + "Logs/Xcode.log");
  homeFile(lib + "Logs/Notes.log");
  homeFile(lib + "Application Support/CrashReporter/Xcode_2026.plist");
  homeFile(lib + "Application Support/CrashReporter/Notes_2026.plist");
  homeFile(lib + "Logs/CSXS/Xcode.log");
  homeFile(lib + "Logs/CSXS/apple.log");  // the company was replaced: "companyname"
  homeFolder(lib + "WebKit/com.apple.dt.Xcode");
  homeFolder(lib + "WebKit/Xcode");
  diskFile("Library/Logs/Xcode.log");
  diskFile("Library/Logs/DiagnosticReports/Notes.crash");
  homeFile(lib + "Address Book Plug-Ins/Xcode.bundle");
  homeFile(lib + "Address Book Plug-Ins/com.apple.dt.bundle");
  homeFile(lib + "Services/Xcode Service.workflow");
  homeFile(lib + "Services/Apple Service.workflow");
  homeFolder("Desktop/Xcode Projects");
  homeFile("Desktop/Xcode.txt");
  diskFile("var/folders/zz/Xcode");
  diskFile("var/folders/zz/XcodePro");
  diskFile("var/run/Xcode.pid");
  diskFile("var/run/XcodePro.pid");
  diskFile("var/db/Xcode");
  diskFile("var/db/receipts/com.apple.Notes.bom");

  const std::string home = "Users/tester/Library/";
  EXPECT_EQ(search(item), (Files{"[Executables]",
                                 "Applications/Xcode/Xcode.app",
                                 "[Preferences]",
                                 home + "Preferences/com.apple.dt.Xcode.plist",
                                 "[Supportfiles]",
                                 "Applications/Xcode",
                                 home + "Application Support/Xcode",
                                 "Users/Shared/Xcode Data",
                                 "Library/Application Support/Xcode",
                                 home + "Containers/com.apple.dt.Xcode",
                                 home + "Saved Application State/com.apple.dt.Xcode.savedState",
                                 home + "Caches/Xcode",
                                 home + "Cookies/com.apple.dt.Xcode.binarycookies",
                                 home + "Application Scripts/com.apple.dt.Xcode",
                                 home + "Caches/com.apple.helpd/Generated/Xcode.help",
                                 home + "Group Containers/ABCDE.com.apple.dt.Xcode",
                                 home + "Apple",
                                 home + "Developer",
                                 home + "Containers/org.vendor.Sidekick",
                                 home + "Application Scripts/org.vendor.Sidekick",
                                 "[LauchAgents]",
                                 home + "LaunchAgents/com.apple.dt.Xcode.agent.plist",
                                 "Library/LaunchAgents/com.apple.dt.Xcode.system.plist",
                                 "Library/LaunchDaemons/com.apple.dt.Xcode.daemon.plist",
                                 "Library/PrivilegedHelperTools/com.apple.dt.Xcode.helper",
                                 "[Logs]",
                                 home + "Logs/Xcode.log",
                                 home + "Application Support/CrashReporter/Xcode_2026.plist",
                                 home + "Logs/CSXS/Xcode.log",
                                 home + "WebKit/com.apple.dt.Xcode",
                                 "Library/Logs/Xcode.log",
                                 "[Plugins]",
                                 home + "Address Book Plug-Ins/Xcode.bundle",
                                 home + "Services/Xcode Service.workflow",
                                 "[Desktop]",
                                 "Users/tester/Desktop/Xcode Projects",
                                 "[Other]",
                                 "var/folders/zz/Xcode",
                                 "var/run/Xcode.pid",
                                 "var/db/Xcode"}));

  std::vector<int> steps;
  for (const RemainderEntry& entry : item.files) {
    if (!entry.isFileLocation()) continue;
    ASSERT_TRUE(entry.match()) << entry.text();
    steps.push_back(entry.match()->step);
  }
  EXPECT_EQ(steps,
            (std::vector<int>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                              16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}));
  // The developer tools' folder is listed although it does not exist: size 0.
  const std::size_t developer = 17;
  ASSERT_EQ(item.files[developer].text(), home_ + "/Library/Developer");
  EXPECT_EQ(std::get<std::uint64_t>(item.sizes[developer]), 0u);
}

TEST_F(SearchStepsTest, EvidenceNamesTheStepFolderValueAndTest) {
  ApplicationItem item = tool("Tool/Tool.app");
  writeBundle(tree_, "disk/Applications/Tool/Tool.app/Contents/Library/LoginItems/L.app",
              {"org.vendor.Launcher", "Launcher", "Launcher", {}});
  homeFile("Library/Preferences/com.example.Tool.plist");
  homeFile("Library/Caches/Example");
  homeFolder("Library/Containers/org.vendor.Launcher");
  homeFile("Library/Logs/Tool/deep/Tool");  // the bundle name, equal, deep down
  search(item);
  auto evidence = [&](const std::string& relative) -> MatchEvidence {
    for (const RemainderEntry& entry : item.files) {
      if (entry.isFileLocation() && entry.text() == tree_.path("disk/" + relative)) {
        return entry.match().value_or(MatchEvidence{});
      }
    }
    ADD_FAILURE() << relative << " not listed";
    return {};
  };
  auto describe = [](const MatchEvidence& e) {
    return std::to_string(e.step) + " " + matchedValueName(e.value) + " " + e.text + " " +
           matchTestName(e.test);
  };
  EXPECT_EQ(describe(evidence("Applications/Tool/Tool.app")),
            "1 application " + item.url + " application");
  EXPECT_EQ(describe(evidence("Users/tester/Library/Preferences/com.example.Tool.plist")),
            "2 bundle identifier com.example.Tool contains");
  EXPECT_EQ(evidence("Users/tester/Library/Preferences/com.example.Tool.plist").folder,
            home_ + "/Library/Preferences");
  EXPECT_EQ(describe(evidence("Applications/Tool")), "3 label Tool enclosing folder");
  EXPECT_EQ(describe(evidence("Users/tester/Library/Caches/Example")),
            "9 capitalized company Example equals");
  EXPECT_EQ(describe(evidence("Users/tester/Library/Containers/org.vendor.Launcher")),
            "16 bundle identifier org.vendor.Launcher login item");
  EXPECT_EQ(describe(evidence("Users/tester/Library/Logs/Tool/deep/Tool")),
            "21 label Tool contains");
}

TEST(GenericValues, ShortNumericAndCommonWords) {
  for (const char* generic :
       {"",        "e",      "4",      "12",    "2024",     "mac",  "MacOS", "OSX",    "app",
        "Desktop", "CLIENT", "helper", "Agent", "electron", "é",    "ß",     "v10",    "R2",
        "1.2.3",   "pro",    "Plus",   "lite",  "FREE",     "beta", "dev",   "Preview"}) {
    EXPECT_TRUE(isGenericValue(generic)) << generic;
  }
  for (const char* specific :
       {"Arc", "Tool", "Mach", "Apps", "Helpers", "com.example.e", "ßa", "v10a", "Protector"}) {
    EXPECT_FALSE(isGenericValue(specific)) << specific;
  }
  // An identifier's last component needs four characters: "tool.pro" or
  // "ide" end too many identifiers.
  EXPECT_TRUE(isGenericValue("ide", ValueRole::BundleName));
  EXPECT_FALSE(isGenericValue("Tool", ValueRole::BundleName));
  EXPECT_TRUE(isDigitsOnly("2024"));
  EXPECT_FALSE(isDigitsOnly("v10"));
}

// An identifier of a single letter, or one that ends in a version number or
// a common word: such values never match inside a name, and match a whole
// name only among the direct entries of a step's folder.
TEST_F(SearchStepsTest, GenericValuesMatchOnlyWholeDirectEntries) {
  ApplicationItem e = app("e.app", {"e", "e", "e", {}});
  homeFile("Library/Preferences/com.someone.else.plist");
  homeFolder("Library/Application Support/Sketches/e");
  homeFolder("Library/Caches/com.vendor.editor");
  homeFile("Library/Logs/events.log");
  homeFolder("Library/Group Containers/Team.com.apple.notes");
  homeFolder("Library/Caches/E");  // the capitalized company, a direct entry
  EXPECT_EQ(search(e), (Files{"[Executables]", "Applications/e.app", "[Supportfiles]",
                              "Users/tester/Library/Caches/E"}));

  ApplicationItem editor =
      app("Editor.app", {"com.vendor.editor.4", "Editor", "Editor", std::nullopt});
  // A value of digits only names nothing: not even an equal direct entry.
  homeFolder("Library/Application Support/4");
  homeFolder("Library/Application Support/Other/4");
  homeFolder("Library/Group Containers/XY.com.other.v4");
  homeFile("Library/Logs/Other/4");
  homeFile("Library/Caches/com.apple.helpd/x/4");
  homeFile("Library/LaunchAgents/com.other.v4.plist");
  EXPECT_EQ(search(editor), (Files{"[Executables]", "Applications/Editor.app"}));

  // A version-like last component ("v10") is generic: equal direct entries only.
  ApplicationItem updater =
      app("Updater.app", {"com.acme.updater.v10", "Updater", "Updater", std::nullopt});
  homeFile("Library/LaunchAgents/com.other.updater.v10.plist");
  homeFolder("Library/Application Support/v10");
  EXPECT_EQ(search(updater), (Files{"[Executables]", "Applications/Updater.app", "[Supportfiles]",
                                    "Users/tester/Library/Application Support/v10"}));
  const RemainderEntry& taken = updater.files[3];
  ASSERT_TRUE(taken.match());
  EXPECT_EQ(taken.match()->value, MatchedValue::BundleName);
  EXPECT_EQ(taken.match()->test, MatchTest::Equals);

  ApplicationItem mac = app("Tool Mac.app", {"com.example.mac", "Tool Mac", "ToolMac", {}});
  homeFolder("Library/Group Containers/XY.com.other.mac");
  homeFolder("Library/Group Containers/Mac");  // contains turned equality: case ignored
  homeFile("Library/LaunchAgents/com.other.macupdater.plist");
  homeFile("Library/Logs/Macintosh/mac");
  EXPECT_EQ(search(mac), (Files{"[Executables]", "Applications/Tool Mac.app", "[Supportfiles]",
                                "Users/tester/Library/Group Containers/Mac"}));
}

// A login item's own last component is often a common word ("Helper"): it
// takes no container of another application.
TEST_F(SearchStepsTest, ALoginItemWithAGenericNameTakesOnlyItsOwnContainers) {
  ApplicationItem item = tool();
  writeBundle(tree_, "disk/Applications/Tool.app/Contents/Library/LoginItems/Helper.app",
              {"org.vendor.helper", "Helper", "Helper", {}});
  homeFolder("Library/Containers/com.other.app.helper");
  homeFolder("Library/Containers/org.vendor.helper");
  // Login items' containers come without a header of their own.
  EXPECT_EQ(search(item), (Files{"[Executables]", "Applications/Tool.app",
                                 "Users/tester/Library/Containers/org.vendor.helper"}));
}

}  // namespace
}  // namespace vimbrel

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "SearchFixture.h"
#include "engine/InstalledApplicationIndex.h"
#include "engine/RemainderPresentation.h"
#include "engine/Removal.h"

namespace vimbrel {
namespace {

// What became of a location: "own" (listed, and goes), the kept note
// ("Also used by Other", "Shared with Zed", "Holds Other.app"), or "-" (not
// listed at all).
using Outcomes = std::map<std::string, std::string>;

class OwnershipTest : public testing::SearchFixture {
 public:
  // The tree builders, for the table of cases.
  using SearchFixture::allowSystemFolders;
  using SearchFixture::app;
  using SearchFixture::diskFile;
  using SearchFixture::homeFile;
  using SearchFixture::homeFolder;
  using SearchFixture::tool;
  using SearchFixture::tree_;

  // Searches `item` and tells, for each path (relative to the home, or to the
  // disk when it starts with "/"), what became of it.
  Outcomes outcomes(ApplicationItem& item, const Outcomes& wanted) {
    search(item);
    Outcomes result;
    for (const auto& [relative, ignored] : wanted) {
      const std::string path =
          relative.front() == '/' ? tree_.path("disk") + relative : home_ + "/" + relative;
      std::string outcome = "-";
      for (const RemainderEntry& entry : item.files) {
        if (entry.isFileLocation() && entry.text() == path) {
          outcome = entry.isClaimed() ? alsoUsedBy(entry) : "own";
          break;
        }
      }
      result[relative] = outcome;
    }
    return result;
  }
  ApplicationItem homeApp(const std::string& relative, const testing::BundleInfo& info) {
    std::string path = testing::writeBundle(tree_, "disk/Users/tester/" + relative, info);
    return Application(fileSystem_, store_).application(path);
  }
};

struct Case {
  const char* name;
  // Builds the tree and returns the application under review.
  std::function<ApplicationItem(OwnershipTest&)> build;
  // Each location as it must end; the comment says what happened before.
  Outcomes wanted;
};

const std::vector<Case>& cases() {
  using T = OwnershipTest;
  static const std::vector<Case> all = {
      {"the reviewed application's company counts for it, not against it",
       [](T& t) {
         t.app("Google Drive.app", {"com.google.drivefs", "Google Drive", "Google Drive", {}});
         t.homeFile("Library/Application Support/Google/Chrome/Default/History");
         t.homeFile("Library/Caches/Google/Chrome/cache");
         t.homeFile("Library/Caches/Google/Crashpad/report");
         t.homeFile("Library/Caches/Google/DriveFS/cache");
         return t.app("Google Chrome.app", {"com.google.Chrome", "Chrome", "Google Chrome", {}});
       },
       {// Before: kept "Also used by Google Drive".
        {"Library/Application Support/Google/Chrome", "own"},
        // Before: removed whole, with Drive's cache inside.
        {"Library/Caches/Google", "Shared with Google Drive"},
        {"Library/Caches/Google/Chrome", "own"},
        {"Library/Caches/Google/Crashpad", "-"},
        {"Library/Caches/Google/DriveFS", "-"}}},
      {"a sibling of the same vendor does not take the product's own folders",
       [](T& t) {
         t.app("IntelliJ IDEA.app", {"com.jetbrains.intellij", "IntelliJ IDEA", "idea", {}});
         t.app("Other.app", {"com.acme.Other", "Other", "Other", {}});
         t.homeFile("Library/Application Support/JetBrains/PyCharmCE2024.1/options.xml");
         t.homeFile("Library/Logs/JetBrains/PyCharmCE2024.1/idea.log");
         return t.app("PyCharm.app", {"com.jetbrains.pycharm", "PyCharm", "pycharm", {}});
       },
       {// Before: both kept "Also used by IntelliJ IDEA".
        {"Library/Application Support/JetBrains/PyCharmCE2024.1", "own"},
        {"Library/Logs/JetBrains/PyCharmCE2024.1", "own"}}},
      {"the vendor's name beside the product's is the product's",
       [](T& t) {
         t.app("Other.app", {"com.acme.Other", "Other", "Other", {}});
         t.homeFolder("Library/Application Support/Acme Tool");
         return t.app("Tool.app", {"com.acme.Tool", "Tool", "Tool", {}});
       },
       {// Before: kept "Also used by Other".
        {"Library/Application Support/Acme Tool", "own"}}},
      {"helpers installed beside the application are part of it",
       [](T& t) {
         t.app("Tool/Tool Helper.app",
               {"com.example.Tool.helper", "Tool Helper", "Tool Helper", {}});
         t.app("Tool/Uninstall Tool.app",
               {"com.example.Tool.uninstaller", "Uninstall Tool", "Uninstall", {}});
         t.homeFolder("Library/Application Support/Tool");
         t.homeFile("Library/Logs/Tool Helper.log");
         t.homeFile("Library/Preferences/com.example.Tool.helper.plist");
         return t.tool("Tool/Tool.app");
       },
       {// Before: kept "Also used by Tool Helper, Uninstall Tool".
        {"/Applications/Tool", "own"},
        {"Library/Application Support/Tool", "own"},
        {"Library/Logs/Tool Helper.log", "own"},
        {"Library/Preferences/com.example.Tool.helper.plist", "own"}}},
      {"a beside-it edition in Applications stays another application",
       [](T& t) {
         t.app("Tool Pro.app", {"com.example.Tool.pro", "Tool Pro", "Tool Pro", {}});
         t.homeFolder("Library/Application Support/Tool Pro");
         t.homeFolder("Library/Application Support/Tool");
         return t.tool();
       },
       {{"Library/Application Support/Tool Pro", "Also used by Tool Pro"},
        {"Library/Application Support/Tool", "own"}}},
      {"a vendor's folder holding another product's data is kept",
       [](T& t) {
         t.allowSystemFolders();
         t.app("Other.app", {"com.acmesoft.Other", "Other", "Other", {}});
         t.homeFile("Library/Caches/Acme/Tool/cache.db");
         t.homeFile("Library/Caches/Acme/Other/cache.db");
         t.diskFile("Library/Application Support/Acme/Tool/state");
         t.diskFile("Library/Application Support/Acme/Other/state");
         return t.app("Tool.app", {"com.acme.Tool", "Tool", "Tool", {}});
       },
       {// Before: both removed whole, Other's data with them.
        {"Library/Caches/Acme", "Also used by Other"},
        {"Library/Caches/Acme/Tool", "own"},
        {"Library/Caches/Acme/Other", "-"},
        {"/Library/Application Support/Acme", "Also used by Other"},
        {"/Library/Application Support/Acme/Tool", "own"}}},
      {"a vendor's only installed product takes its vendor folder whole",
       [](T& t) {
         t.homeFile("Library/Blinkworks/settings");
         t.homeFile("Library/Blinkworks/Crashpad/x");
         return t.app("Blinker.app", {"com.blinkworks.Blinker", {}, "Blinker", {}});
       },
       {{"Library/Blinkworks", "own"}}},
      {"entries in another application's own folder are that application's",
       [](T& t) {
         t.tool();
         t.homeFolder("Library/Application Support/Tool/Toolbox Bridge");
         t.homeFile("Library/Logs/Tool/Toolbox import.log");
         t.homeFile("Library/Preferences/com.example.Toolbox.plist");
         return t.app("Toolbox.app", {"com.example.Toolbox", "Toolbox", "Toolbox", {}});
       },
       {// Before: both removed with Toolbox.
        {"Library/Application Support/Tool/Toolbox Bridge", "Also used by Tool"},
        {"Library/Logs/Tool/Toolbox import.log", "Also used by Tool"},
        {"Library/Preferences/com.example.Toolbox.plist", "own"}}},
      {"the application's own folder goes whole, whatever lies in it",
       [](T& t) {
         t.app("Toolbox.app", {"com.example.Toolbox", "Toolbox", "Toolbox", {}});
         t.homeFolder("Library/Application Support/Tool/Toolbox Bridge");
         t.homeFile("Library/Preferences/com.example.Toolbox.plist");
         return t.tool();
       },
       {// Before: the folder was kept "Also used by Toolbox".
        {"Library/Application Support/Tool", "own"},
        {"Library/Application Support/Tool/Toolbox Bridge", "own"},
        {"Library/Preferences/com.example.Toolbox.plist", "Also used by Toolbox"}}},
      {"applications deep down and inside other bundles claim",
       [](T& t) {
         t.app("A/B/C/Toolkit.app", {"org.kits.Toolkit", "Toolkit", "Toolkit", {}});
         t.app("Suite.app", {"com.suite.Suite", "Suite", "Suite", {}});
         testing::writeBundle(t.tree_,
                              "disk/Applications/Suite.app/Contents/Applications/Tool Sync.app",
                              {"com.suite.sync", "Tool Sync", "Tool Sync", {}});
         t.homeFolder("Library/Application Support/Toolkit");
         t.homeFolder("Library/Application Support/Tool Sync");
         return t.tool();
       },
       {// Before: both removed with Tool.
        {"Library/Application Support/Toolkit", "Also used by Toolkit"},
        {"Library/Application Support/Tool Sync", "Also used by Suite"}}},
      {"a listed folder holding another application is kept",
       [](T& t) {
         t.homeApp("Desktop/Tool Downloads/Other.app", {"com.other.Other", "Other", "Other", {}});
         t.homeFile("Desktop/Tool Downloads/Tool notes");
         t.homeApp("Desktop/Tool Stuff/Deep/Older.app", {"com.older.App", "Older", "Older", {}});
         testing::writeBundle(t.tree_,
                              "disk/Users/tester/Library/Application Support/Tool Exporter.app",
                              {"com.other.exporter", "Tool Exporter", "Exporter", {}});
         t.homeFile("Library/Caches/com.example.Tool/Staged/Tool.app/Contents/Info.plist",
                    testing::xmlInfoPlist({"com.example.Tool", "Tool", "Tool", {}}));
         return t.tool();
       },
       {// Before: removed whole, with the applications inside.
        {"Desktop/Tool Downloads", "Holds Other.app"},
        {"Desktop/Tool Downloads/Tool notes", "own"},
        {"Desktop/Tool Stuff", "Holds Older.app"},
        {"Library/Application Support/Tool Exporter.app", "Holds Tool Exporter.app"},
        // An updater's staged copy of the application itself goes with it.
        {"Library/Caches/com.example.Tool", "own"}}},
      {"the user's own Library folders are never listed",
       [](T& t) {
         t.homeFile("Library/Mobile Documents/com~apple~CloudDocs/thesis.pages");
         t.homeFile("Library/Keychains/login.keychain-db");
         t.homeFile("Library/Mail/V10/mailbox");
         t.homeFolder("Library/Documents Data");
         return t.app("Documents.app", {"com.example.Documents", "Documents", "Documents", {}});
       },
       {// Before: "Mobile Documents" listed for the CFBundleName "Documents".
        {"Library/Mobile Documents", "-"},
        {"Library/Documents Data", "own"}}},
      {"the user's keychains are never listed for a short name",
       [](T& t) {
         t.homeFile("Library/Keychains/login.keychain-db");
         t.homeFolder("Library/Keyboard Layouts/x");
         return t.app("Key.app", {"com.example.Key", "Key", "Key", {}});
       },
       {// Before: listed for the CFBundleName "Key".
        {"Library/Keychains", "-"},
        {"Library/Keyboard Layouts", "-"}}},
      {"an enclosing folder is listed only when it is named for the application",
       [](T& t) {
         t.app("Catalog/Reader.app", {"com.example.reader", "Reader", "Reader", {}});
         return t.homeApp("applications/Cat.app", {"com.example.cat", "Cat", "Cat", {}});
       },
       {// Before: "appli-cat-ions" listed, other applications inside.
        {"applications", "-"}}},
      {"a folder of applications never is",
       [](T& t) {
         t.homeApp("Old Applications/Other.app", {"com.other.Other", "Other", "Other", {}});
         return t.homeApp("Old Applications/Tool.app", {"com.example.Tool", "Tool", "Tool", {}});
       },
       {// Before: listed whole, Other.app inside.
        {"Old Applications", "-"}}},
      {"an enclosing folder named for the application with a suffix is listed",
       [](T& t) {
         return t.app("Cat 2/Cat.app", {"com.example.cat", "Cat", "Cat", {}});
       },
       {{"/Applications/Cat 2", "own"}}},
      {"an enclosing folder only starting with the label is not",
       [](T& t) {
         return t.app("Catalog/Cat.app", {"com.example.cat", "Cat", "Cat", {}});
       },
       {{"/Applications/Catalog", "-"}}},
      {"edition words and versions are generic",
       [](T& t) {
         t.homeFile("Library/LaunchAgents/com.other.protector.plist");
         t.homeFolder("Library/Group Containers/group.net.other.profiles");
         t.homeFolder("Library/Application Support/pro");
         return t.app("Tool Pro.app", {"com.acme.tool.pro", "Tool Pro", "Tool Pro", {}});
       },
       {// Before: all three listed for the last component "pro".
        {"Library/LaunchAgents/com.other.protector.plist", "-"},
        {"Library/Group Containers/group.net.other.profiles", "-"},
        {"Library/Application Support/pro", "own"}}},
      {"a second copy of the application shares what it matches",
       [](T& t) {
         t.homeApp("Applications/Tool.app", {"com.example.Tool", "Tool", "Tool", {}});
         t.homeFile("Library/Preferences/com.example.Tool.plist");
         return t.tool();
       },
       {{"Library/Preferences/com.example.Tool.plist", "Shared with Tool"}}},
      {"values two applications share decide nothing",
       [](T& t) {
         t.app("Zed Preview.app", {"dev.zed.Zed-Preview", "Zed Preview", "zed", {}});
         t.homeFolder("Library/Application Support/Zed");
         t.homeFolder("Library/Application Support/Zed Preview");
         return t.app("Zed.app", {"dev.zed.Zed", "Zed", "zed", {}});
       },
       {{"Library/Application Support/Zed", "Shared with Zed Preview"},
        {"Library/Application Support/Zed Preview", "Also used by Zed Preview"}}},
      {"two values neither of which holds the other tie",
       [](T& t) {
         t.app("Lynx.app", {"org.lynx.Lynx", "Lynx", "Lynx", {}});
         t.homeFolder("Library/Application Support/Orca Lynx Bridge");
         return t.app("Orca.app", {"org.orca.Orca", "Orca", "Orca", {}});
       },
       {{"Library/Application Support/Orca Lynx Bridge", "Shared with Lynx"}}},
      {"composed and decomposed accents are the same name",
       [](T& t) {
         t.app("Café Menu Pro.app", {"com.menus.CafeMenuPro", "Café Menu Pro", "Menu Pro", {}});
         t.homeFolder("Library/Application Support/Cafe\xCC\x81 Menu");
         t.homeFolder("Library/Application Support/Café Menu Pro");
         return t.app("Café Menu.app", {"com.menus.CafeMenu", "Café Menu", "Menu", {}});
       },
       {{"Library/Application Support/Cafe\xCC\x81 Menu", "own"},
        {"Library/Application Support/Café Menu Pro", "Also used by Café Menu Pro"}}},
  };
  return all;
}

// One tree per case.
class OwnershipCaseTest : public OwnershipTest,
                          public ::testing::WithParamInterface<std::size_t> {};

TEST_P(OwnershipCaseTest, EachEntryGoesToTheApplicationItNamesMostPrecisely) {
  const Case& each = cases()[GetParam()];
  SCOPED_TRACE(each.name);
  ApplicationItem item = each.build(*this);
  EXPECT_EQ(outcomes(item, each.wanted), each.wanted);
}

INSTANTIATE_TEST_SUITE_P(Cases, OwnershipCaseTest,
                         ::testing::Range<std::size_t>(0, cases().size()));

TEST_F(OwnershipTest, KeptEntriesSurviveTheRemovalAndTheOwnOnesInThemGo) {
  app("Other.app", {"com.acmesoft.Other", "Other", "Other", {}});
  const std::string theirs = homeFile("Library/Caches/Acme/Other/cache.db");
  const std::string mine = homeFile("Library/Caches/Acme/Tool/cache.db");
  const std::string held =
      testing::writeBundle(tree_, "disk/Users/tester/Desktop/Tool Kit/Other.app",
                           {"com.other.Other", "Other", "Other", {}});
  ApplicationItem tool = app("Tool.app", {"com.acme.Tool", "Tool", "Tool", {}});
  search(tool);
  SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
  std::vector<Survivor> survivors;
  Removal(fileSystem_, policy).remove(tool.files, tool.url, survivors);
  EXPECT_TRUE(survivors.empty());
  EXPECT_TRUE(std::filesystem::exists(theirs));
  EXPECT_TRUE(std::filesystem::exists(held));
  EXPECT_FALSE(std::filesystem::exists(mine));
  EXPECT_FALSE(std::filesystem::exists(tool.url));
}

TEST_F(OwnershipTest, TheDecisionNamesItsEvidence) {
  app("Google Drive.app", {"com.google.drivefs", "Google Drive", "Google Drive", {}});
  homeFile("Library/Caches/Google/Chrome/cache");
  ApplicationItem chrome =
      app("Google Chrome.app", {"com.google.Chrome", "Chrome", "Google Chrome", {}});
  search(chrome);
  const RemainderEntry* vendor = nullptr;
  for (const RemainderEntry& entry : chrome.files) {
    if (entry.text() == home_ + "/Library/Caches/Google") vendor = &entry;
  }
  ASSERT_NE(vendor, nullptr);
  ASSERT_TRUE(vendor->ownership());
  EXPECT_EQ(vendor->ownership()->kind, Ownership::Shared);
  EXPECT_EQ(vendor->ownership()->strength, EvidenceStrength::Vendor);
  ASSERT_EQ(vendor->ownership()->others.size(), 1u);
  EXPECT_EQ(vendor->ownership()->others[0].label, "Google Drive");
  EXPECT_EQ(vendor->ownership()->others[0].strength, EvidenceStrength::Vendor);
  EXPECT_EQ(vendor->claimedBy(), std::vector<std::string>{"Google Drive"});
  EXPECT_NE(matchDescription(*vendor).find("shared by \"Google\" (vendor"), std::string::npos)
      << matchDescription(*vendor);
}

// A file linked into two listed folders is one file: every total counts it once.
TEST_F(OwnershipTest, AHardLinkedFileCountsOnce) {
  store_.setBlob(keys::kHomeAccess, createGrant(home_));
  ApplicationItem tool = this->tool();
  const std::string first = homeFile("Library/Logs/Tool/shared.bin", std::string(1000, 's'));
  homeFolder("Library/Application Support/Tool");
  ASSERT_EQ(::link(first.c_str(), (home_ + "/Library/Application Support/Tool/shared.bin").c_str()),
            0);
  search(tool, SearchVariant::agentCleaner());
  EXPECT_EQ(tool.net_size, 1000u);
}

// The reviewed bundle is known by device and inode: reached through a linked
// folder it is still itself, not another copy that would share everything.
TEST_F(OwnershipTest, TheReviewedBundleIsFoundByIdentityNotByPathText) {
  tool();
  homeFile("Library/Preferences/com.example.Tool.plist");
  tree_.symlink("disk/Users/tester/Linked", "../../Applications");
  ApplicationItem dropped =
      Application(fileSystem_, store_).application(home_ + "/Linked/Tool.app");
  search(dropped);
  bool found = false;
  for (const RemainderEntry& entry : dropped.files) {
    if (entry.text() == home_ + "/Library/Preferences/com.example.Tool.plist") {
      found = true;
      EXPECT_FALSE(entry.isClaimed()) << alsoUsedBy(entry);
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(OwnershipTest, TheIndexRereadsOnlyWhatChanged) {
  tool();
  app("Media/Encoders/Framepack.app", {"com.example.Framepack", "Framepack", "Framepack", {}});
  homeApp("Desktop/Other.app", {"com.other.Other", "Other", "Other", {}});
  InstalledApplicationIndex index;
  const SearchRoots roots = SearchRoots::resolve(store_, keys::kHome);
  EXPECT_EQ(index.refresh(fileSystem_, roots).size(), 3u);
  EXPECT_GT(index.lastReads().folders, 0u);
  EXPECT_EQ(index.lastReads().bundles, 3u);

  index.refresh(fileSystem_, roots);
  EXPECT_EQ(index.lastReads().folders, 0u);
  EXPECT_EQ(index.lastReads().bundles, 0u);

  // A bundle installed four folders down is found; only its folders are read.
  app("A/B/C/D/Deep.app", {"com.deep.Deep", "Deep", "Deep", {}});
  const auto found = index.refresh(fileSystem_, roots);
  EXPECT_EQ(found.size(), 4u);
  EXPECT_EQ(index.lastReads().bundles, 1u);
  EXPECT_LE(index.lastReads().folders, 8u);
  ASSERT_EQ(index.withIdentifier("COM.DEEP.deep").size(), 1u);
  EXPECT_EQ(index.withIdentifier("com.deep.Deep")[0].label, "Deep");
  EXPECT_EQ(index.withIdentifier("com.deep.Deep")[0].folderName, "Deep.app");

  // A changed information dictionary is read again.
  testing::writeBundle(tree_, "disk/Applications/Tool.app",
                       {"com.example.ToolNext", "Tool", "Tool", {}});
  index.refresh(fileSystem_, roots);
  EXPECT_EQ(index.lastReads().bundles, 1u);
  EXPECT_EQ(index.withIdentifier("com.example.ToolNext").size(), 1u);
}

}  // namespace
}  // namespace vimbrel

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "SearchFixture.h"
#include "engine/Removal.h"
#include "engine/RemovalPlan.h"
#include "engine/RemovalTotal.h"

namespace vimbrel {
namespace {

using Files = std::vector<std::string>;
using Claims = std::map<std::string, std::vector<std::string>>;

class ClaimRuleTest : public testing::SearchFixture {
 protected:
  // Searches `item` and returns the claimed entries (relative to the disk
  // folder) with the labels that claim them.
  Claims claims(ApplicationItem& item) {
    search(item);
    Claims result;
    const std::string disk = tree_.path("disk") + "/";
    for (const RemainderEntry& entry : item.files) {
      if (entry.isClaimed()) result[entry.text().substr(disk.size())] = entry.claimedBy();
    }
    return result;
  }
  std::vector<std::string> removeAll(const ApplicationItem& item) {
    SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
    std::vector<Survivor> survivors;
    Removal(fileSystem_, policy).remove(item.files, item.url, survivors);
    return survivorPaths(survivors);
  }
  bool exists(const std::string& path) const { return std::filesystem::exists(path); }
};

TEST_F(ClaimRuleTest, AVendorFolderSharedByTwoApplicationsIsKept) {
  ApplicationItem tool = app("Tool.app", {"com.acme.Tool", "Tool", "Tool", {}});
  app("Other.app", {"com.acme.Other", "Other", "Other", {}});
  homeFolder("Library/Caches/Acme");
  homeFolder("Library/Caches/com.acme.Tool");
  homeFile("Library/Preferences/com.acme.Tool.plist");
  EXPECT_EQ(claims(tool), (Claims{{"Users/tester/Library/Caches/Acme", {"Other"}}}));
}

TEST_F(ClaimRuleTest, AShortLabelInsideAnotherApplicationsNameIsTheOthers) {
  ApplicationItem arc = app("Arc.app", {"com.example.arc", "Arc", "Arc", {}});
  app("Archiver.app", {"com.searchlight.Archiver", "Archiver", "Archiver", {}});
  homeFile("Library/Preferences/com.searchlight.Archiver.plist");
  homeFile("Library/Preferences/com.example.arc.plist");
  EXPECT_EQ(
      claims(arc),
      (Claims{{"Users/tester/Library/Preferences/com.searchlight.Archiver.plist", {"Archiver"}}}));
}

// "Tool" is contained in "Tool Pro" and "Tool Plus": their folders, and the
// files inside them whatever those are called, belong to the bigger editions.
TEST_F(ClaimRuleTest, AnEditionsFilesBelongToItAndNotToItsSmallerSibling) {
  ApplicationItem tool = app("Tool.app", {"com.example.Tool", "Tool", "Tool", {}});
  app("Tool Pro.app", {"com.example.ToolPro", "Tool Pro", "ToolPro", {}});
  app("Utilities/Tool Plus.app", {"com.example.ToolPlus", "Tool Plus", "ToolPlus", {}});
  homeFile("Library/Application Support/Tool/state");
  homeFile("Library/Application Support/Tool Pro/Tool.plist");
  homeFile("Library/Logs/Tool Plus.log");
  EXPECT_EQ(claims(tool),
            (Claims{{"Users/tester/Library/Application Support/Tool Pro", {"Tool Pro"}},
                    {"Users/tester/Library/Application Support/Tool Pro/Tool.plist", {"Tool Pro"}},
                    {"Users/tester/Library/Logs/Tool Plus.log", {"Tool Plus"}}}));
  // Each edition's own files stay its own.
  ApplicationItem pro = app("Tool Pro.app", {"com.example.ToolPro", "Tool Pro", "ToolPro", {}});
  EXPECT_TRUE(claims(pro).empty());
}

TEST_F(ClaimRuleTest, FoldersHoldingABundleOrAClaimedEntryAreKeptAndNothingInThemIsLost) {
  ApplicationItem tool = app("Tool/Tool.app", {"com.example.Tool", "Tool", "Tool", {}});
  const std::string updater = writeBundle(tree_, "disk/Applications/Tool/Updater.app",
                                          {"org.other.Updater", "Up", "Up", {}});
  app("Tool Pro.app", {"com.example.ToolPro", "Tool Pro", "ToolPro", {}});
  const std::string own = homeFile("Library/Logs/Tool/Tool.log");
  const std::string pros = homeFile("Library/Logs/Tool/Tool Pro.log");
  const std::string prefs = homeFile("Library/Preferences/com.example.Tool.plist");
  // The log folder is Tool's by its first component: what lies in it goes
  // with it, whatever it is called.
  EXPECT_EQ(claims(tool), (Claims{{"Applications/Tool", {"Holds Updater.app"}}}));
  // The kept folder stays, and is no survivor; everything else goes.
  EXPECT_TRUE(removeAll(tool).empty());
  EXPECT_TRUE(exists(updater));
  EXPECT_FALSE(exists(pros));
  EXPECT_FALSE(exists(own));
  EXPECT_FALSE(exists(prefs));
  EXPECT_FALSE(exists(tool.url));
}

TEST_F(ClaimRuleTest, ApplicationsInTheHomeAndUtilitiesCountAsInstalledAndGenericValuesNeverClaim) {
  ApplicationItem tool = app("Tool.app", {"com.example.Tool", "Tool", "Tool", {}});
  writeBundle(tree_, "disk/Users/tester/Applications/Toolbox.app",
              {"net.boxes.Toolbox", "Toolbox", "Toolbox", {}});
  app("Utilities/App.app", {"org.some.app", "App", "App", {}});
  homeFolder("Library/Application Support/Toolbox");
  homeFolder("Library/Application Support/Tool App Data");
  EXPECT_EQ(claims(tool),
            (Claims{{"Users/tester/Library/Application Support/Toolbox", {"Toolbox"}}}));
}

TEST_F(ClaimRuleTest, TheBundleUnderReviewIsNeverClaimed) {
  // Another copy of the same application claims the shared files, never the
  // bundle being removed.
  ApplicationItem tool = app("Tool.app", {"com.example.Tool", "Tool", "Tool", {}});
  writeBundle(tree_, "disk/Users/tester/Applications/Tool.app",
              {"com.example.Tool", "Tool", "Tool", {}});
  homeFile("Library/Preferences/com.example.Tool.plist");
  EXPECT_EQ(claims(tool),
            (Claims{{"Users/tester/Library/Preferences/com.example.Tool.plist", {"Tool"}}}));
}

// The removal keeps a claimed location, and any location holding one, even
// when the list did not mark the holder: deleting it would delete the other
// application's file.
TEST_F(ClaimRuleTest, RemovalNeverDeletesAClaimedLocationOrWhatHoldsIt) {
  const std::string theirs = homeFile("Library/Caches/Shared/theirs.db");
  const std::string mine = homeFile("Library/Caches/mine.db");
  RemainderEntry claimed = RemainderEntry::fileLocation(theirs);
  claimed.addClaim("Other");
  const std::vector<RemainderEntry> list = {
      RemainderEntry::header(RemainderGroup::Supportfiles),
      RemainderEntry::fileLocation(home_ + "/Library/Caches/Shared"), claimed,
      RemainderEntry::fileLocation(mine)};
  SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
  std::vector<Survivor> survivors;
  Removal(fileSystem_, policy).remove(list, "", survivors);
  EXPECT_TRUE(survivors.empty());
  EXPECT_TRUE(exists(theirs));
  EXPECT_FALSE(exists(mine));
  // Lifting the claim (the user chose to remove it all the same) deletes it.
  std::vector<RemainderEntry> lifted = list;
  for (RemainderEntry& entry : lifted) entry.clearClaims();
  Removal(fileSystem_, policy).remove(lifted, "", survivors);
  EXPECT_TRUE(survivors.empty());
  EXPECT_FALSE(exists(home_ + "/Library/Caches/Shared"));
}

}  // namespace
}  // namespace vimbrel

namespace vimbrel {
namespace {

class TotalsTest : public testing::SearchFixture {};

std::vector<SizeEntry> sizesOf(const std::vector<RemainderEntry>& files,
                               std::vector<std::uint64_t> bytes) {
  std::vector<SizeEntry> sizes;
  std::size_t next = 0;
  for (const RemainderEntry& entry : files) {
    if (entry.isFileLocation()) {
      sizes.emplace_back(bytes[next++]);
    } else {
      sizes.emplace_back(entry);
    }
  }
  return sizes;
}

TEST(ChosenTotal, CountsEachByteOnceAndNothingKept) {
  const auto at = [](const char* path) { return RemainderEntry::fileLocation(path); };
  RemainderEntry claimed = at("/h/Caches/Shared/theirs");
  claimed.addClaim("Other");
  const std::vector<RemainderEntry> files = {
      RemainderEntry::header(RemainderGroup::Logs),
      at("/h/Logs/Tool"),        // 1000, holds the next two
      at("/h/Logs/Tool/a.log"),  // 600
      at("/h/Logs/Tool/"),       // the same folder again
      at("/h/Logs/Tool-b.log"),  // 50: beside the folder, not in it
      at("/h/Caches/Shared"),    // 300, holds a claimed entry: kept
      claimed,                   // 200
      at("/h/Caches/Shared/mine")};
  const auto sizes = sizesOf(files, {1000, 600, 1000, 50, 300, 200, 100});
  // The kept folder's other entry still goes.
  EXPECT_EQ(chosenTotal(files, sizes), 1150u);
  // The folder switched off: the file inside it counts on its own.
  std::vector<RemainderEntry> inner = files;
  inner[1] = inner[3] = RemainderEntry::emptyPlaceholder();
  EXPECT_EQ(chosenTotal(inner, sizes), 750u);
  // Claims lifted: the holder counts, with everything inside it.
  std::vector<RemainderEntry> lifted = files;
  for (RemainderEntry& entry : lifted) entry.clearClaims();
  EXPECT_EQ(chosenTotal(lifted, sizes), 1350u);
  // After a removal in which the folder survived: its log went on its own.
  EXPECT_EQ(removedTotal(files, sizes, {"/h/Logs/Tool"}), 750u);
}

TEST(RemovalPlan, SwitchArithmeticCountsNestedEntriesOnceAndKeepsClaimsOff) {
  RemainderEntry claimed = RemainderEntry::fileLocation("/h/Support/Tool Pro");
  claimed.addClaim("Tool Pro");
  const std::vector<RemainderEntry> files = {
      RemainderEntry::header(RemainderGroup::Executables),
      RemainderEntry::fileLocation("/a/Tool.app"),
      RemainderEntry::header(RemainderGroup::Supportfiles),
      RemainderEntry::fileLocation("/h/Support/Tool"),
      RemainderEntry::fileLocation("/h/Support/Tool/Tool.db"),
      claimed};
  RemovalPlan plan(files, sizesOf(files, {100, 860, 240, 400}));
  EXPECT_EQ(plan.common_remove_size(), 960u);
  EXPECT_FALSE(plan.isChosen(5));
  EXPECT_FALSE(plan.choose(5, true));  // another application's: stays off
  EXPECT_EQ(plan.common_remove_size(), 960u);
  plan.choose(3, false);  // the folder off, the file inside it still chosen
  EXPECT_EQ(plan.common_remove_size(), 340u);
  plan.choose(3, true);
  EXPECT_EQ(plan.common_remove_size(), 960u);
  plan.choose(4, false);  // the file off while its folder goes: the folder's bytes
  EXPECT_EQ(plan.common_remove_size(), 960u);
  for (std::size_t row : {1u, 3u}) plan.choose(row, false);
  EXPECT_FALSE(plan.anyChosen());
  EXPECT_EQ(plan.common_remove_size(), 0u);
  EXPECT_TRUE(plan.choose(4, true));
  EXPECT_TRUE(plan.anyChosen());
  EXPECT_EQ(plan.prepare()[3], RemainderEntry::emptyPlaceholder());
}

TEST_F(TotalsTest, TheAgentsNetSizeCountsEachByteOnceAndNothingClaimed) {
  store_.setBlob(keys::kHomeAccess, createGrant(home_));
  ApplicationItem item = tool();
  app("Tool Pro.app", {"com.example.ToolPro", "Tool Pro", "ToolPro", {}});
  homeFile("Library/Logs/Tool/a.log", std::string(100, 'a'));
  homeFile("Library/Logs/Tool/Tool-b.log", std::string(50, 'b'));
  homeFile("Library/Application Support/Tool Pro/Tool.plist", std::string(70, 'p'));
  search(item, SearchVariant::agentCleaner());
  EXPECT_EQ(item.net_size, 150u);
}

}  // namespace
}  // namespace vimbrel

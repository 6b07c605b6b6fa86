#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "SearchFixture.h"
#include "engine/Removal.h"
#include "engine/SearchFolders.h"

namespace vimbrel {
namespace {

using Files = std::vector<std::string>;

// Fails the deletion of chosen paths and records every path it is asked to delete.
class FailingFileSystem : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  Status removeBelow(const std::string& anchor, const std::string& path) const override {
    requested.push_back(path);
    if (failing.count(path)) return Status::fromErrno(EACCES, "injected");
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  std::set<std::string> failing;
  mutable std::vector<std::string> requested;
};

class RemovalTest : public testing::SearchFixture {
 protected:
  std::vector<std::string> removeAll(const ApplicationItem& item, const FileSystem& fs) {
    SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
    std::vector<std::string> survivors;
    Removal(fs, policy).remove(item.files, item.url, survivors);
    return survivors;
  }
};

TEST_F(RemovalTest, DeletesEverythingListedAndReportsNothing) {
  ApplicationItem item = tool();
  std::string pref = homeFile("Library/Preferences/com.example.Tool.plist");
  search(item);
  EXPECT_TRUE(removeAll(item, fileSystem_).empty());
  EXPECT_FALSE(fileSystem_.exists(item.url));
  EXPECT_FALSE(fileSystem_.exists(pref));
}

TEST_F(RemovalTest, ReportsExactlyTheSurvivorsAndNeverPassesHeaders) {
  ApplicationItem item = tool();
  std::string stuck = homeFile("Library/Preferences/com.example.Tool.plist");
  std::string logs = homeFile("Library/Logs/Tool/Tool.log");
  std::string webkit = homeFile("Library/WebKit/com.example.Tool/db");
  search(item);
  FailingFileSystem failing(fileSystem_);
  failing.failing.insert(stuck);
  EXPECT_EQ(removeAll(item, failing), Files{stuck});
  EXPECT_FALSE(fileSystem_.exists(item.url));
  EXPECT_FALSE(fileSystem_.exists(std::filesystem::path(logs).parent_path()));
  EXPECT_FALSE(fileSystem_.exists(webkit));
  for (const std::string& path : failing.requested) EXPECT_EQ(path.front(), '/') << path;
  // The log file inside the deleted log folder was already gone: not reported.
  EXPECT_NE(std::find(failing.requested.begin(), failing.requested.end(), logs),
            failing.requested.end());
}

TEST_F(RemovalTest, NeverDeletesOutsideTheRootsOrTheProtectedFolders) {
  ApplicationItem item = tool();
  std::string outside = tree_.file("elsewhere/secret.txt");
  item.files = {RemainderEntry::header(RemainderGroup::Executables),
                RemainderEntry::fileLocation(outside),
                RemainderEntry::fileLocation(home_ + "/Library/Preferences"),
                RemainderEntry::fileLocation(home_),
                RemainderEntry::fileLocation(home_ + "/Library/../Library/Caches"),
                RemainderEntry::fileLocation(home_ + "/.Trash"),
                RemainderEntry::fileLocation(home_ + "/.Trash/Old.app"),
                RemainderEntry::emptyPlaceholder()};
  homeFile("Library/Preferences/keep.plist");
  homeFile("Library/Caches/keep");
  homeFile(".Trash/Old.app/Contents/Info.plist");
  Files survivors = removeAll(item, fileSystem_);
  EXPECT_EQ(survivors, (Files{outside, home_ + "/Library/Preferences", home_,
                              home_ + "/Library/../Library/Caches", home_ + "/.Trash",
                              home_ + "/.Trash/Old.app"}));
  EXPECT_TRUE(fileSystem_.exists(home_ + "/.Trash/Old.app/Contents/Info.plist"));
  EXPECT_TRUE(fileSystem_.exists(outside));
  EXPECT_TRUE(fileSystem_.exists(home_ + "/Library/Caches/keep"));
}

TEST_F(RemovalTest, AChosenBundleOutsideTheRootsIsDeletedButNothingElseThere) {
  std::string bundle =
      writeBundle(tree_, "Downloads/Tool.app", {"com.example.Tool", "Tool", "Tool", {}});
  std::string neighbour = tree_.file("Downloads/other.txt");
  ApplicationItem item = Application(fileSystem_, store_).application(bundle);
  search(item);
  item.files.push_back(RemainderEntry::fileLocation(neighbour));
  EXPECT_EQ(removeAll(item, fileSystem_), Files{neighbour});
  EXPECT_FALSE(fileSystem_.exists(bundle));
}

TEST_F(RemovalTest, AFolderSwappedForALinkAfterTheSearchLeavesTheTargetAlone) {
  ApplicationItem item = tool();
  std::string caches = homeFile("Library/Caches/com.example.Tool/cache.db");
  std::string canary = tree_.file("canary/Library/Caches/com.example.Tool/cache.db", "alive");
  search(item);
  // Between the search and the deletion, Library is replaced by a link to a
  // look-alike tree outside the roots, and the cache folder by a link too.
  std::filesystem::rename(home_ + "/Library", home_ + "/Library.moved");
  std::filesystem::create_directory_symlink(tree_.path("canary/Library"), home_ + "/Library");
  Files survivors = removeAll(item, fileSystem_);
  EXPECT_TRUE(fileSystem_.exists(canary));
  EXPECT_NE(std::find(survivors.begin(), survivors.end(),
                      std::filesystem::path(caches).parent_path().string()),
            survivors.end());

  std::filesystem::remove(home_ + "/Library");
  std::filesystem::rename(home_ + "/Library.moved", home_ + "/Library");
  std::filesystem::remove_all(home_ + "/Library/Caches/com.example.Tool");
  std::filesystem::create_directory_symlink(tree_.path("canary/Library/Caches/com.example.Tool"),
                                            home_ + "/Library/Caches/com.example.Tool");
  item.files = {RemainderEntry::fileLocation(home_ + "/Library/Caches/com.example.Tool")};
  EXPECT_TRUE(removeAll(item, fileSystem_).empty());  // the link itself goes
  EXPECT_TRUE(fileSystem_.exists(canary));
}

// Random trees and names: whatever matches, every listed location lies
// inside the roots (or is the bundle) and none is protected.
TEST_F(RemovalTest, RandomTreesNeverListProtectedOrOutsideLocations) {
  allowSystemFolders();
  std::mt19937 random(7);
  const std::vector<std::string> words = {
      "Tool",        "App",    "Library", "Logs",    "Caches",      "com",     "example", "Pro",
      "Preferences", "Shared", "var",     "Support", "Application", "Desktop", "2",       "apple"};
  auto word = [&] { return words[random() % words.size()]; };
  SearchRoots roots = SearchRoots::resolve(store_, keys::kHome);
  std::vector<std::string> table = SearchFolders(roots).all();
  for (const std::string& folder : table) std::filesystem::create_directories(folder);
  for (int i = 0; i < 300; ++i) {
    const std::string& base = table[random() % table.size()];
    std::string name = word() + (random() % 2 ? " " : ".") + word();
    if (random() % 3 == 0) {
      std::filesystem::create_directories(base + "/" + name + "/" + word());
    } else {
      tree_.file(base.substr(tree_.root().size() + 1) + "/" + name);
    }
  }
  SafetyPolicy policy(roots);
  for (int round = 0; round < 25; ++round) {
    std::string label = word();
    std::string id = word() + "." + word() + "." + word();
    ApplicationItem item = app(word() + "/" + label + ".app", {id, word(), word(), {}});
    search(item);
    for (const RemainderEntry& entry : item.files) {
      if (!entry.isFileLocation() || entry.text() == item.url) continue;
      EXPECT_TRUE(policy.mayList(entry.text())) << entry.text() << " for " << id;
      for (const std::string& folder : table) EXPECT_NE(entry.text(), folder);
    }
  }
}

}  // namespace
}  // namespace vimbrel

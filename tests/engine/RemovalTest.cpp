#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "SearchFixture.h"
#include "engine/Removal.h"
#include "engine/SearchFolders.h"
#include "engine/TreeSizes.h"

namespace vimbrel {
namespace {

using Files = std::vector<std::string>;

// Fails the deletion of chosen paths and records every path it is asked to delete.
class FailingFileSystem : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    requested.push_back(path);
    if (failing.count(path)) return Status::fromErrno(EACCES, "injected");
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  std::set<std::string> failing;
  mutable std::vector<std::string> requested;
};

class RemovalTest : public testing::SearchFixture {
 protected:
  std::vector<Survivor> removeWithReasons(const ApplicationItem& item, const FileSystem& fs,
                                          const SafetyPolicy& policy) {
    std::vector<Survivor> survivors;
    Removal(fs, policy).remove(item.files, item.url, survivors);
    return survivors;
  }
  std::vector<std::string> locations(const ApplicationItem& item) {
    std::vector<std::string> result;
    for (const RemainderEntry& entry : item.files) {
      if (entry.isFileLocation()) result.push_back(entry.text());
    }
    return result;
  }
  std::vector<std::string> removeAll(const ApplicationItem& item, const FileSystem& fs) {
    SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
    std::vector<Survivor> survivors;
    Removal(fs, policy).remove(item.files, item.url, survivors);
    return survivorPaths(survivors);
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

// The home folder is replaced between the search and the deletion: by a link
// to a copy, or by another folder at its path. Nothing is deleted, and every
// entry is reported.
TEST_F(RemovalTest, AGrantRootReplacedAfterTheSearchDeletesNothing) {
  ApplicationItem item = tool();
  homeFile("Library/Preferences/com.example.Tool.plist");
  homeFile("Library/Caches/com.example.Tool/cache.db");
  search(item);
  const SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
  std::vector<std::string> listed = locations(item);
  listed.erase(listed.begin());  // the bundle, outside the home
  ASSERT_EQ(listed.size(), 2u);

  std::filesystem::rename(home_, home_ + ".real");
  std::filesystem::create_directory_symlink(home_ + ".real", home_);
  item.files.erase(item.files.begin(), item.files.begin() + 2);  // header and bundle
  std::vector<Survivor> survivors = removeWithReasons(item, fileSystem_, policy);
  ASSERT_EQ(survivorPaths(survivors), listed);
  for (const Survivor& survivor : survivors) EXPECT_EQ(survivor.reason, reasons::kChanged);
  EXPECT_TRUE(fileSystem_.exists(home_ + ".real/Library/Caches/com.example.Tool/cache.db"));

  std::filesystem::remove(home_);
  std::filesystem::create_directory(home_);
  std::filesystem::rename(home_ + ".real/Library", home_ + "/Library");
  survivors = removeWithReasons(item, fileSystem_, policy);
  EXPECT_EQ(survivorPaths(survivors), listed);
  EXPECT_TRUE(fileSystem_.exists(home_ + "/Library/Caches/com.example.Tool/cache.db"));

  // A grant that is stale when it is resolved never deletes either.
  const SafetyPolicy stale(SearchRoots::resolve(store_, keys::kHome));
  survivors = removeWithReasons(item, fileSystem_, stale);
  ASSERT_EQ(survivorPaths(survivors), listed);
  for (const Survivor& survivor : survivors) EXPECT_EQ(survivor.reason, reasons::kOutsideGrants);
  EXPECT_TRUE(fileSystem_.exists(home_ + "/Library/Preferences/com.example.Tool.plist"));
}

// As a user who may read Caches but not search it, and below a folder that
// cannot be written at a depth past PATH_MAX, nothing is deleted, and both
// are reported with the system's reason, not taken for gone.
TEST_F(RemovalTest, AnEntryCountsAsRemovedOnlyWhenItsDeletionSucceeded) {
  ApplicationItem item = tool();
  const std::string cached = homeFile("Library/Caches/com.example.Tool/c");
  search(item);
  // Past PATH_MAX, so made one folder at a time through descriptors.
  std::string deep = homeFolder("Library/Logs/Tool");
  int deepFd = open(deep.c_str(), O_RDONLY | O_DIRECTORY);
  const std::string component(200, 'x');
  while (deep.size() < 4200) {
    mkdirat(deepFd, component.c_str(), 0755);
    const int next = openat(deepFd, component.c_str(), O_RDONLY | O_DIRECTORY);
    close(deepFd);
    deepFd = next;
    deep += "/" + component;
  }
  close(openat(deepFd, "Tool.log", O_CREAT | O_WRONLY, 0644));
  const std::string longPath = deep + "/Tool.log";
  item.files = {RemainderEntry::fileLocation(home_ + "/Library/Caches/com.example.Tool"),
                RemainderEntry::fileLocation(longPath)};
  const SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));

  // The tree belongs to an ordinary user, who runs the removal.
  constexpr uid_t kNobody = 65534;
  chmod(tree_.root().c_str(), 0755);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(tree_.root())) {
    lchown(entry.path().c_str(), kNobody, kNobody);
  }
  fchownat(deepFd, "Tool.log", kNobody, kNobody, AT_SYMLINK_NOFOLLOW);
  chmod((home_ + "/Library/Caches").c_str(), 0555 & ~0111);
  fchmod(deepFd, 0555);
  auto runAs = [&]() -> std::string {
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      return "cannot become an ordinary user";
    }
    std::vector<Survivor> survivors = removeWithReasons(item, fileSystem_, policy);
    const std::vector<Survivor> expected = {
        {home_ + "/Library/Caches/com.example.Tool", std::strerror(EACCES)},
        {longPath, std::strerror(EACCES)}};
    if (survivors != expected) {
      std::string got;
      for (const Survivor& survivor : survivors)
        got += survivor.path + ": " + survivor.reason + "\n";
      return "survivors:\n" + got;
    }
    return "";
  };
  VIMBREL_EXPECT_CHILD(testing::runInChild(runAs));
  chmod((home_ + "/Library/Caches").c_str(), 0755);
  EXPECT_EQ(faccessat(deepFd, "Tool.log", F_OK, AT_SYMLINK_NOFOLLOW), 0);
  fchmod(deepFd, 0755);
  close(deepFd);
  EXPECT_TRUE(fileSystem_.exists(cached));
}

// The bundle, and the folder named for it that holds it, go after everything
// else; the report keeps the list's order.
TEST_F(RemovalTest, TheBundleAndItsFolderAreDeletedLast) {
  ApplicationItem item = tool("Tool/Tool.app");
  const std::string pref = homeFile("Library/Preferences/com.example.Tool.plist");
  homeFile("Library/Caches/com.example.Tool/cache.db");
  search(item);
  const std::string folder = applications_ + "/Tool";
  ASSERT_NE(std::find(locations(item).begin(), locations(item).end(), folder),
            locations(item).end());
  FailingFileSystem failing(fileSystem_);
  failing.failing = {item.url, pref};
  const SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
  std::vector<Survivor> survivors = removeWithReasons(item, failing, policy);
  ASSERT_GE(failing.requested.size(), 4u);
  const std::size_t n = failing.requested.size();
  EXPECT_EQ(failing.requested[n - 2], item.url);
  EXPECT_EQ(failing.requested[n - 1], folder);
  // The folder went whole; the bundle's own failure stays reported first.
  EXPECT_EQ(survivorPaths(survivors), (Files{item.url, pref}));
  EXPECT_EQ(survivors[0].reason, std::strerror(EACCES));
}

// A table folder that is a link inside the same root is searched and
// deleted through; one that leaves the grants is treated as absent.
TEST_F(RemovalTest, TableFolderLinksCountOnlyInsideTheirRoot) {
  allowSystemFolders();
  ApplicationItem item = tool();
  const std::string temporary = diskFile("private/var/folders/zz/T/com.example.Tool/t.db");
  std::filesystem::create_directory_symlink("private/var", tree_.path("disk/var"));
  const std::string outside = tree_.file("outside/Library/Preferences/com.example.Tool.plist");
  homeFolder("Library/Preferences");
  std::filesystem::rename(home_ + "/Library", home_ + "/Library.away");
  std::filesystem::create_directory_symlink(tree_.path("outside/Library"), home_ + "/Library");
  std::vector<std::string> found = search(item);
  EXPECT_NE(std::find(found.begin(), found.end(), "var/folders/zz/T/com.example.Tool"),
            found.end());
  for (const std::string& entry : found) EXPECT_EQ(entry.find("Preferences"), std::string::npos);

  const SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
  item.files.erase(item.files.begin(), item.files.begin() + 2);  // keep the bundle
  EXPECT_TRUE(removeWithReasons(item, fileSystem_, policy).empty());
  EXPECT_FALSE(fileSystem_.exists(std::filesystem::path(temporary).parent_path()));
  EXPECT_TRUE(fileSystem_.exists(tree_.path("disk/private/var/folders/zz/T")));
  EXPECT_TRUE(fileSystem_.exists(outside));
}

// A leftover that is a mount point stays, with its reason.
TEST_F(RemovalTest, AMountPointIsReportedNotDeleted) {
  ApplicationItem item = tool();
  const std::string cache = homeFolder("Library/Caches/com.example.Tool");
  search(item);
  const SafetyPolicy policy(SearchRoots::resolve(store_, keys::kHome));
  VIMBREL_EXPECT_CHILD(testing::runInPrivateMountNamespace([&]() -> std::string {
    if (mount("none", cache.c_str(), "tmpfs", 0, nullptr) != 0) return "cannot mount a tmpfs";
    std::vector<Survivor> survivors = removeWithReasons(item, fileSystem_, policy);
    if (survivors != std::vector<Survivor>{{cache, reasons::kMountPoint}}) {
      return "the mount point was not reported as one";
    }
    const std::string inside = cache + "/big";
    FILE* file = std::fopen(inside.c_str(), "w");
    if (!file) return "cannot write on the mount";
    std::fputs("bytes on another file system", file);
    std::fclose(file);
    if (treeSize(fileSystem_, cache) != 0) return "the size walk entered the mount";
    return "";
  }));
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

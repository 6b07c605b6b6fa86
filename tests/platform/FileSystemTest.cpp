#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TempTree.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace vimbrel {
namespace {

using testing::TempTree;

// A removal anchored at `root` as it is now.
RemovalAnchor at(const std::string& root) {
  return {root, identifyFolder(root).value_or(FileIdentity{}), ""};
}

std::vector<std::string> shallowNames(const FileSystem& fs, const std::string& folder) {
  std::vector<std::string> names;
  fs.listShallow(folder, [&](const DirEntry& entry) {
    names.emplace_back(entry.name);
    return Visit::Continue;
  });
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> deepRelative(const FileSystem& fs, const std::string& folder,
                                      Packages packages) {
  std::vector<std::string> found;
  fs.listDeep(folder, packages, EntrySizes::Skip, [&](const DirEntry& entry) {
    found.emplace_back(entry.path.substr(folder.size() + 1));
    return Visit::Continue;
  });
  std::sort(found.begin(), found.end());
  return found;
}

TEST(FileSystemListing, SkipsHiddenEntriesAtEveryLevelAndNeverFollowsLinks) {
  TempTree tree;
  tree.file("top/.DS_Store");
  tree.file("top/visible.txt", "abc");
  tree.file("top/.hidden/inside.txt");
  tree.file("top/sub/deep.txt");
  tree.file("top/sub/.secret");
  tree.file("outside/target.txt");
  tree.symlink("top/link-to-outside", tree.path("outside"));
  tree.symlink("top/loop", tree.path("top"));
  PosixFileSystem fs;

  EXPECT_EQ(shallowNames(fs, tree.path("top")),
            (std::vector<std::string>{"link-to-outside", "loop", "sub", "visible.txt"}));
  EXPECT_EQ(
      deepRelative(fs, tree.path("top"), Packages::Enter),
      (std::vector<std::string>{"link-to-outside", "loop", "sub", "sub/deep.txt", "visible.txt"}));

  fs.listShallow(tree.path("top"), [&](const DirEntry& entry) {
    if (entry.name == "loop") {
      EXPECT_EQ(entry.type, EntryType::Symlink);
    } else if (entry.name == "sub") {
      EXPECT_EQ(entry.type, EntryType::Directory);
    } else if (entry.name == "visible.txt") {
      EXPECT_EQ(entry.type, EntryType::File);
    }
    return Visit::Continue;
  });
}

TEST(FileSystemListing, MissingUnreadableAndNonFolderPathsListNothing) {
  TempTree tree;
  tree.file("plain.txt");
  PosixFileSystem fs;
  EXPECT_TRUE(shallowNames(fs, tree.path("missing")).empty());
  EXPECT_TRUE(shallowNames(fs, tree.path("plain.txt")).empty());
  EXPECT_TRUE(deepRelative(fs, tree.path("missing"), Packages::Enter).empty());
  // A link to a folder is not listed through.
  tree.file("real/a");
  tree.symlink("alias", tree.path("real"));
  EXPECT_TRUE(shallowNames(fs, tree.path("alias")).empty());
}

TEST(FileSystemListing, PackagesAreVisitedButNotEnteredWhenAsked) {
  TempTree tree;
  tree.file("Support/Tool.app/Contents/Info.plist");
  tree.file("Support/Plug.PLUGIN/Contents/x");
  tree.file("Support/v1.2/file");
  tree.file("Support/Data.lproj/strings");
  PosixFileSystem fs;
  auto skipped = deepRelative(fs, tree.path("Support"), Packages::Skip);
  EXPECT_EQ(skipped, (std::vector<std::string>{"Data.lproj", "Data.lproj/strings", "Plug.PLUGIN",
                                               "Tool.app", "v1.2", "v1.2/file"}));
  auto entered = deepRelative(fs, tree.path("Support"), Packages::Enter);
  EXPECT_NE(std::find(entered.begin(), entered.end(), "Tool.app/Contents/Info.plist"),
            entered.end());
}

TEST(FileSystemListing, VisitorCanSkipChildrenOrStop) {
  TempTree tree;
  tree.file("t/a/1");
  tree.file("t/a/2");
  tree.file("t/b/3");
  PosixFileSystem fs;
  std::vector<std::string> seen;
  fs.listDeep(tree.path("t"), Packages::Enter, EntrySizes::Skip, [&](const DirEntry& entry) {
    seen.emplace_back(entry.name);
    return entry.type == EntryType::Directory ? Visit::SkipChildren : Visit::Continue;
  });
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
  int visits = 0;
  fs.listDeep(tree.path("t"), Packages::Enter, EntrySizes::Skip, [&](const DirEntry&) {
    ++visits;
    return Visit::Stop;
  });
  EXPECT_EQ(visits, 1);
}

TEST(FileSystemSizes, LinksCountTheirOwnSizeAndFoldersHaveNone) {
  TempTree tree;
  tree.fileOfSize("big", 100000);
  tree.symlink("link", tree.path("big"));
  PosixFileSystem fs;
  EXPECT_EQ(fs.fileSize(tree.path("big")), 100000u);
  EXPECT_EQ(fs.fileSize(tree.path("link")), tree.path("big").size());
  EXPECT_EQ(fs.fileSize(tree.root()), std::nullopt);
  EXPECT_EQ(fs.fileSize(tree.path("missing")), std::nullopt);
  EXPECT_TRUE(fs.exists(tree.path("link")));
  EXPECT_FALSE(fs.isFolder(tree.path("link")));
  EXPECT_TRUE(fs.isFolder(tree.root()));
  // A dangling link still exists as an entry of its own.
  tree.symlink("dangling", tree.path("nowhere"));
  EXPECT_TRUE(fs.exists(tree.path("dangling")));

  std::uint64_t total = 0;
  fs.listDeep(tree.root(), Packages::Enter, EntrySizes::Read, [&](const DirEntry& entry) {
    total += entry.size;
    return Visit::Continue;
  });
  EXPECT_EQ(total, 100000u + tree.path("big").size() + tree.path("nowhere").size());
}

TEST(FileSystemRemoval, RemovesFilesFoldersWithHiddenContentsAndLinksButNotTargets) {
  TempTree tree;
  tree.file("root/Library/Caches/com.example.Tool/.hidden");
  tree.file("root/Library/Caches/com.example.Tool/data/blob", "x");
  tree.file("canary/keep.txt", "precious");
  tree.symlink("root/Library/Caches/com.example.Tool/escape", tree.path("canary"));
  tree.symlink("root/Library/Caches/link-to-canary", tree.path("canary"));
  PosixFileSystem fs;
  const std::string root = tree.path("root");

  EXPECT_TRUE(fs.removeBelow(at(root), tree.path("root/Library/Caches/com.example.Tool")).isOk());
  EXPECT_FALSE(fs.exists(tree.path("root/Library/Caches/com.example.Tool")));
  EXPECT_TRUE(fs.removeBelow(at(root), tree.path("root/Library/Caches/link-to-canary")).isOk());
  EXPECT_FALSE(fs.exists(tree.path("root/Library/Caches/link-to-canary")));
  EXPECT_TRUE(fs.exists(tree.path("canary/keep.txt")));
  // Removing what is already gone succeeds.
  EXPECT_TRUE(fs.removeBelow(at(root), tree.path("root/Library/Caches/com.example.Tool")).isOk());
}

TEST(FileSystemRemoval, NeverLeavesTheAnchorNorPassesThroughALink) {
  TempTree tree;
  tree.file("canary/Library/victim.txt");
  tree.folder("root");
  tree.symlink("root/Library", tree.path("canary/Library"));
  PosixFileSystem fs;
  const std::string root = tree.path("root");

  // The anchor itself, paths beside it and dot-dot escapes are refused.
  EXPECT_FALSE(fs.removeBelow(at(root), root).isOk());
  EXPECT_FALSE(fs.removeBelow(at(root), tree.path("canary/Library/victim.txt")).isOk());
  EXPECT_FALSE(fs.removeBelow(at(root), tree.path("root/../canary/Library/victim.txt")).isOk());
  EXPECT_FALSE(fs.removeBelow(at(tree.path("ro")), tree.path("root/x")).isOk());
  // A folder on the way that was swapped for a link stops the removal.
  EXPECT_FALSE(fs.removeBelow(at(root), tree.path("root/Library/victim.txt")).isOk());
  EXPECT_TRUE(fs.exists(tree.path("canary/Library/victim.txt")));
}

TEST(FileSystemRemoval, ReportsAFolderThatCannotBeEmptied) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions stop nothing for root";
  TempTree tree;
  tree.file("root/locked/inside.txt");
  chmod(tree.path("root/locked").c_str(), 0555);
  PosixFileSystem fs;
  EXPECT_FALSE(fs.removeBelow(at(tree.path("root")), tree.path("root/locked")).isOk());
  EXPECT_TRUE(fs.exists(tree.path("root/locked/inside.txt")));
}

}  // namespace
}  // namespace vimbrel

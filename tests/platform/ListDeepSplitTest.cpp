#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TempTree.h"
#include "platform/FileSystem.h"

namespace vimbrel {
namespace {

using testing::TempTree;

std::string line(const DirEntry& entry) {
  return std::string(entry.path) + " " + std::to_string(static_cast<int>(entry.type)) + " " +
         std::to_string(entry.size);
}

// A split listing whose pieces are listed in the order handed out, each on a
// thread of its own and after the split listing returned, gives listDeep's
// entries in listDeep's order: packages skipped or entered, links and hidden
// entries as there, sizes read when asked.
TEST(ListDeepSplitTest, PiecesInOrderAreTheDeepListing) {
  TempTree tree;
  tree.fileOfSize("top/a.txt", 10);
  tree.fileOfSize("top/Vendor/One/data", 20);
  tree.fileOfSize("top/Vendor/One/Deeper/more", 30);
  tree.fileOfSize("top/Vendor/.hidden/skipped", 40);
  tree.fileOfSize("top/Tool.app/Contents/Info.plist", 50);
  tree.folder("top/Empty");
  tree.fileOfSize("top/z.log", 60);
  tree.symlink("top/Link", "Vendor");
  tree.fileOfSize("elsewhere/not-listed", 70);
  const std::string top = tree.path("top");
  const PosixFileSystem fileSystem;
  for (Packages packages : {Packages::Enter, Packages::Skip}) {
    for (EntrySizes sizes : {EntrySizes::Skip, EntrySizes::Read}) {
      std::vector<std::string> whole;
      fileSystem.listDeep(top, packages, sizes, [&](const DirEntry& entry) {
        whole.push_back(line(entry));
        return Visit::Continue;
      });
      // Each piece's place in the order: the direct entries before it.
      std::vector<std::vector<std::string>> pieces(1);
      std::vector<std::unique_ptr<SubtreeListing>> below;
      fileSystem.listDeepSplit(
          top, packages, sizes,
          [&](const DirEntry& entry) {
            pieces.back().push_back(line(entry));
            return Visit::Continue;
          },
          [&](std::unique_ptr<SubtreeListing> piece) {
            below.push_back(std::move(piece));
            pieces.emplace_back();  // what lies below it
            pieces.emplace_back();  // the direct entries after it
          });
      for (std::size_t i = 0; i < below.size(); ++i) {
        std::thread([&, i] {
          below[i]->list([&](const DirEntry& entry) {
            pieces[2 * i + 1].push_back(line(entry));
            return Visit::Continue;
          });
        }).join();
      }
      std::vector<std::string> joined;
      for (const auto& piece : pieces) joined.insert(joined.end(), piece.begin(), piece.end());
      EXPECT_EQ(joined, whole);
      EXPECT_EQ(below.size(), packages == Packages::Enter ? 3u : 2u);
    }
  }
}

TEST(ListDeepSplitTest, AMissingFolderListsNothing) {
  TempTree tree;
  const PosixFileSystem fileSystem;
  int visited = 0;
  fileSystem.listDeepSplit(
      tree.path("missing"), Packages::Enter, EntrySizes::Skip,
      [&](const DirEntry&) {
        ++visited;
        return Visit::Continue;
      },
      [&](std::unique_ptr<SubtreeListing>) { ++visited; });
  EXPECT_EQ(visited, 0);
}

}  // namespace
}  // namespace vimbrel

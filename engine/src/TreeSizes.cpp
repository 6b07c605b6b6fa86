#include "engine/TreeSizes.h"

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>

#include "engine/SearchPool.h"
#include "platform/Paths.h"

namespace vimbrel {

namespace {

// Orders paths so that everything inside a folder comes right after it:
// "/" sorts before every other character ("/a/b", "/a/b/x", "/a/b-x").
struct FolderFirstOrder {
  bool operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      auto rank = [](char c) { return c == '/' ? 0 : static_cast<unsigned char>(c) + 1; };
      return rank(x) < rank(y);
    });
  }
};

}  // namespace

std::vector<std::uint64_t> treeSizes(const FileSystem& fileSystem,
                                     const std::vector<std::string>& locations, int jobs) {
  // Each distinct location once, in path order, so that a folder comes right
  // before everything listed inside it.
  std::map<std::string, std::uint64_t, FolderFirstOrder> sizeOf;
  for (const std::string& location : locations) sizeOf.emplace(paths::normalize(location), 0);

  std::vector<std::string> outerFolders;
  std::string lastOuter;
  for (auto& [path, size] : sizeOf) {
    if (!lastOuter.empty() && paths::isWithin(path, lastOuter)) continue;  // summed by the walk
    if (fileSystem.isMountPoint(path)) {
      // Another file system is never walked, nor anything listed inside it.
      lastOuter = path;
      continue;
    }
    if (fileSystem.isFolder(path)) {
      outerFolders.push_back(path);
      lastOuter = path;
    } else {
      size = fileSystem.fileSize(path).value_or(0);
    }
  }

  // One walk per outermost folder. Every entry adds its size to each listed
  // folder that holds it: the open ones form a chain of ancestors. The walks
  // share no subtree and each writes only the sizes inside its own folder, so
  // they run side by side.
  auto walk = [&](const std::string& outer) {
    std::vector<std::uint64_t*> open{&sizeOf.find(outer)->second};
    std::vector<std::string> openPaths{outer};
    auto firstListedBelow = sizeOf.upper_bound(outer);
    const bool hasNested =
        firstListedBelow != sizeOf.end() && paths::isWithin(firstListedBelow->first, outer);
    fileSystem.listDeep(outer, Packages::Enter, EntrySizes::Read, [&](const DirEntry& entry) {
      if (hasNested) {
        while (openPaths.size() > 1 && !paths::isWithin(entry.path, openPaths.back())) {
          openPaths.pop_back();
          open.pop_back();
        }
      }
      for (std::uint64_t* total : open) *total += entry.size;
      if (hasNested) {
        if (auto listed = sizeOf.find(std::string(entry.path)); listed != sizeOf.end()) {
          listed->second = entry.size;
          if (entry.type == EntryType::Directory) {
            open.push_back(&listed->second);
            openPaths.emplace_back(entry.path);
          }
        }
      }
      return Visit::Continue;
    });
  };
  std::vector<std::function<void()>> walks;
  walks.reserve(outerFolders.size());
  for (const std::string& outer : outerFolders)
    walks.emplace_back([&walk, &outer] { walk(outer); });
  SearchPool(jobs).run(walks);

  std::vector<std::uint64_t> result;
  result.reserve(locations.size());
  for (const std::string& location : locations) {
    result.push_back(sizeOf[paths::normalize(location)]);
  }
  return result;
}

std::uint64_t treeSize(const FileSystem& fileSystem, const std::string& location) {
  return treeSizes(fileSystem, {location}).front();
}

}  // namespace vimbrel

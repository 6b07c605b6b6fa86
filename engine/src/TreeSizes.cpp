#include "engine/TreeSizes.h"

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>
#include <set>

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

// A file with more than one hard link adds its bytes only the first time
// one of its links is met, so that no total counts an inode twice.
class LinkedFiles {
 public:
  // Whether this is the first link of the inode met here.
  bool first(std::uint64_t device, std::uint64_t inode) {
    return seen_.insert({device, inode}).second;
  }
  std::uint64_t count(std::uint64_t size, std::uint64_t links, std::uint64_t device,
                      std::uint64_t inode) {
    if (links <= 1) return size;
    return first(device, inode) ? size : 0;
  }

 private:
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen_;
};

// A multiply linked file one walk counted, and the totals it added to. The
// walks of separate folders run side by side, each deduplicating only its own
// links; afterwards they are settled in walk order, so that the link counted
// is the one a single walk after the other meets first.
struct CountedLink {
  std::uint64_t device;
  std::uint64_t inode;
  std::uint64_t size;
  std::vector<std::uint64_t*> totals;
};

bool isApplicationBundle(std::string_view name) {
  const std::string_view extension = paths::extension(name);
  return extension.size() == 3 && (extension[0] | 0x20) == 'a' && (extension[1] | 0x20) == 'p' &&
         (extension[2] | 0x20) == 'p';
}

// Notes an application bundle met by a size walk (the outermost one of a
// nesting; packages are entered for their bytes, not for what they hold) as
// held by every listed folder open around it.
void noteBundle(const DirEntry& entry, std::string& lastBundle,
                const std::vector<std::string>& openPaths,
                std::map<std::string, std::vector<std::string>>& bundlesIn) {
  if (entry.type != EntryType::Directory || !isApplicationBundle(entry.name)) return;
  if (!lastBundle.empty() && paths::isWithin(entry.path, lastBundle)) return;
  lastBundle = entry.path;
  for (const std::string& folder : openPaths) bundlesIn[folder].emplace_back(entry.path);
}

}  // namespace

std::vector<std::uint64_t> treeSizes(const FileSystem& fileSystem,
                                     const std::vector<std::string>& locations, int jobs) {
  return treeContents(fileSystem, locations, jobs).sizes;
}

TreeContents treeContents(const FileSystem& fileSystem, const std::vector<std::string>& locations,
                          int jobs) {
  LinkedFiles linked;
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
    } else if (auto stamp = stampOf(path); stamp && stamp->type != EntryType::Directory) {
      size = linked.count(stamp->size, stamp->links, stamp->device, stamp->inode);
    }
  }

  // One walk per outermost folder. Every entry adds its size to each listed
  // folder that holds it: the open ones form a chain of ancestors. The walks
  // share no subtree and each writes only the sizes inside its own folder and
  // its own findings, so they run side by side.
  struct WalkFindings {
    std::map<std::string, std::vector<std::string>> bundlesIn;
    std::vector<CountedLink> links;
  };
  std::vector<WalkFindings> findings(outerFolders.size());
  auto walk = [&](std::size_t index) {
    const std::string& outer = outerFolders[index];
    WalkFindings& found = findings[index];
    LinkedFiles walkLinks;
    std::vector<std::uint64_t*> open{&sizeOf.find(outer)->second};
    std::vector<std::string> openPaths{outer};
    auto firstListedBelow = sizeOf.upper_bound(outer);
    const bool hasNested =
        firstListedBelow != sizeOf.end() && paths::isWithin(firstListedBelow->first, outer);
    std::string lastBundle;
    fileSystem.listDeep(outer, Packages::Enter, EntrySizes::Read, [&](const DirEntry& entry) {
      if (hasNested) {
        while (openPaths.size() > 1 && !paths::isWithin(entry.path, openPaths.back())) {
          openPaths.pop_back();
          open.pop_back();
        }
      }
      const std::uint64_t size =
          walkLinks.count(entry.size, entry.links, entry.device, entry.inode);
      for (std::uint64_t* total : open) *total += size;
      const bool linkCounted = entry.links > 1 && size > 0;
      if (linkCounted) found.links.push_back({entry.device, entry.inode, size, open});
      noteBundle(entry, lastBundle, openPaths, found.bundlesIn);
      if (hasNested) {
        if (auto listed = sizeOf.find(std::string(entry.path)); listed != sizeOf.end()) {
          listed->second = size;
          if (entry.type == EntryType::Directory) {
            open.push_back(&listed->second);
            openPaths.emplace_back(entry.path);
          } else if (linkCounted) {
            found.links.back().totals.push_back(&listed->second);
          }
        }
      }
      return Visit::Continue;
    });
  };
  std::vector<std::function<void()>> walks;
  walks.reserve(outerFolders.size());
  for (std::size_t index = 0; index < outerFolders.size(); ++index)
    walks.emplace_back([&walk, index] { walk(index); });
  SearchPool(jobs).run(walks);

  std::map<std::string, std::vector<std::string>> bundlesIn;
  for (WalkFindings& found : findings) {
    // A link whose inode an earlier walk (or a listed file) already counted
    // is taken back out of every total it went into.
    for (const CountedLink& link : found.links) {
      if (linked.first(link.device, link.inode)) continue;
      for (std::uint64_t* total : link.totals) *total -= link.size;
    }
    bundlesIn.merge(found.bundlesIn);
  }

  TreeContents result;
  result.sizes.reserve(locations.size());
  result.bundles.reserve(locations.size());
  for (const std::string& location : locations) {
    const std::string path = paths::normalize(location);
    result.sizes.push_back(sizeOf[path]);
    auto held = bundlesIn.find(path);
    result.bundles.push_back(held == bundlesIn.end() ? std::vector<std::string>{} : held->second);
  }
  return result;
}

std::uint64_t treeSize(const FileSystem& fileSystem, const std::string& location) {
  return treeSizes(fileSystem, {location}).front();
}

}  // namespace vimbrel

#include "engine/InstalledApplicationIndex.h"

#include <algorithm>

#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace vimbrel {

namespace {

// How deep below a bundle's Contents nested bundles are looked for:
// Contents/Library/LoginItems/X.app and Contents/Applications/X.app lie
// within it, and the walk stays bounded in bundles with many resource folders.
constexpr int kNestedDepth = 4;
// A guard against pathological trees; Applications folders are walked to any
// real depth.
constexpr int kAnyDepth = 64;

bool isApplicationBundle(std::string_view name) {
  const std::string_view extension = paths::extension(name);
  return extension.size() == 3 && (extension[0] | 0x20) == 'a' && (extension[1] | 0x20) == 'p' &&
         (extension[2] | 0x20) == 'p';
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x | 0x20 : x) == (y >= 'A' && y <= 'Z' ? y | 0x20 : y);
         });
}

}  // namespace

std::optional<std::string> InstalledBundle::bundleName() const {
  if (!identifier) return std::nullopt;
  const std::size_t lastDot = identifier->rfind('.');
  return lastDot == std::string::npos ? *identifier : identifier->substr(lastDot + 1);
}

std::optional<std::string> InstalledBundle::company() const {
  if (!identifier) return std::nullopt;
  const std::size_t firstDot = identifier->find('.');
  if (firstDot == std::string::npos) return *identifier;
  const std::size_t secondDot = identifier->find('.', firstDot + 1);
  return identifier->substr(
      firstDot + 1, secondDot == std::string::npos ? std::string::npos : secondDot - firstDot - 1);
}

InstalledApplicationIndex& InstalledApplicationIndex::shared() {
  static InstalledApplicationIndex index;
  return index;
}

std::vector<InstalledBundle> InstalledApplicationIndex::refresh(const FileSystem& fileSystem,
                                                                const SearchRoots& roots) {
  std::lock_guard lock(mutex_);
  visited_.clear();
  reads_ = {};
  std::vector<InstalledBundle> found;

  std::vector<std::string> applicationFolders;
  if (roots.applications) applicationFolders.push_back(paths::normalize(*roots.applications));
  if (roots.system) {
    applicationFolders.push_back(paths::append(paths::normalize(*roots.system), "Applications"));
  }
  if (roots.home) {
    applicationFolders.push_back(paths::append(paths::normalize(*roots.home), "Applications"));
  }
  for (const std::string& folder : applicationFolders)
    walk(fileSystem, folder, Depth::Any, 0, "", found);

  if (roots.home) {
    // The home's own folders: Desktop, Downloads, "Old Applications" ...
    // hold bundles directly or one folder down; Library never holds an
    // installed application, and hidden folders (the Trash) are never listed.
    const std::string home = paths::normalize(*roots.home);
    if (const Folder* top = folder(fileSystem, home)) {
      const Folder copy = *top;
      for (const std::string& name : copy.bundles) {
        addBundle(fileSystem, paths::append(home, name), "", found);
      }
      for (const std::string& name : copy.subfolders) {
        if (name == "Library") continue;
        walk(fileSystem, paths::append(home, name), Depth::Two, 0, "", found);
      }
    }
  }

  // Forget what no longer exists, so the index stays the size of the trees.
  std::erase_if(folders_, [&](const auto& entry) { return !visited_.count(entry.first); });
  std::erase_if(bundles_, [&](const auto& entry) { return !visited_.count(entry.first); });
  last_ = found;
  return found;
}

void InstalledApplicationIndex::walk(const FileSystem& fileSystem, const std::string& path,
                                     Depth depth, int level, const std::string& outer,
                                     std::vector<InstalledBundle>& found) {
  if (visited_.count(path)) return;  // reached from two roots
  const Folder* listed = folder(fileSystem, path);
  if (!listed) return;
  const Folder copy = *listed;  // the map may grow below
  for (const std::string& name : copy.bundles) {
    addBundle(fileSystem, paths::append(path, name), outer, found);
  }
  const int deepest = depth == Depth::Two ? 1 : depth == Depth::Nested ? kNestedDepth : kAnyDepth;
  if (level >= deepest) return;
  for (const std::string& name : copy.subfolders) {
    walk(fileSystem, paths::append(path, name), depth, level + 1, outer, found);
  }
}

const InstalledApplicationIndex::Folder* InstalledApplicationIndex::folder(
    const FileSystem& fileSystem, const std::string& path) {
  visited_[path] = true;
  const std::optional<PathStamp> stamp = stampOf(path);
  if (!stamp || stamp->type != EntryType::Directory) {
    folders_.erase(path);
    return nullptr;
  }
  auto known = folders_.find(path);
  if (known != folders_.end() && known->second.stamp == *stamp) return &known->second;
  ++reads_.folders;
  Folder fresh;
  fresh.stamp = *stamp;
  fileSystem.listShallow(path, [&](const DirEntry& entry) {
    if (entry.type != EntryType::Directory) return Visit::Continue;
    if (isApplicationBundle(entry.name)) {
      fresh.bundles.emplace_back(entry.name);
    } else if (!entry.isPackage) {
      fresh.subfolders.emplace_back(entry.name);
    }
    return Visit::Continue;
  });
  return &(folders_[path] = std::move(fresh));
}

void InstalledApplicationIndex::addBundle(const FileSystem& fileSystem, const std::string& path,
                                          const std::string& outer,
                                          std::vector<InstalledBundle>& found) {
  if (visited_.count(path)) return;
  visited_[path] = true;
  const std::optional<PathStamp> folderStamp = stampOf(path);
  if (!folderStamp || folderStamp->type != EntryType::Directory) return;
  const std::string contents = paths::append(path, "Contents");
  const PathStamp contentsStamp = stampOf(contents).value_or(PathStamp{});
  const PathStamp infoStamp = stampOf(paths::append(contents, "Info.plist")).value_or(PathStamp{});

  auto known = bundles_.find(path);
  if (known == bundles_.end() || !(known->second.folder == *folderStamp) ||
      !(known->second.contents == contentsStamp) || !(known->second.info == infoStamp)) {
    ++reads_.bundles;
    KnownBundle fresh{*folderStamp, contentsStamp, infoStamp, {}};
    InstalledBundle& bundle = fresh.bundle;
    bundle.path = path;
    bundle.identity = {folderStamp->device, folderStamp->inode};
    bundle.folderName = std::string(paths::lastComponent(path));
    bundle.label = paths::displayName(path);
    if (auto opened = Bundle::open(path)) {
      bundle.readable = true;
      bundle.identifier = opened->identifier();
      bundle.name = opened->infoString("CFBundleName");
      bundle.executable = opened->infoString("CFBundleExecutable");
    }
    known = bundles_.insert_or_assign(path, std::move(fresh)).first;
  }
  known->second.bundle.outer = outer;
  found.push_back(known->second.bundle);
  // Bundles inside this one are its helpers, in the name of the outermost.
  walk(fileSystem, contents, Depth::Nested, 0, outer.empty() ? path : outer, found);
}

std::vector<InstalledBundle> InstalledApplicationIndex::withIdentifier(
    std::string_view identifier) const {
  std::lock_guard lock(mutex_);
  std::vector<InstalledBundle> result;
  for (const InstalledBundle& bundle : last_) {
    if (bundle.identifier && equalIgnoringCase(*bundle.identifier, identifier)) {
      result.push_back(bundle);
    }
  }
  return result;
}

InstalledApplicationIndex::Reads InstalledApplicationIndex::lastReads() const {
  std::lock_guard lock(mutex_);
  return reads_;
}

}  // namespace vimbrel

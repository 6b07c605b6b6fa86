#include "spider/InstalledCopies.h"

#include <algorithm>
#include <cctype>

#include "engine/SafetyPolicy.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"

namespace vimbrel::spider {

namespace {

bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

class CopyFinder {
 public:
  CopyFinder(const FileSystem& fileSystem, const TrashedApplication& trashed)
      : fileSystem_(fileSystem), trashed_(trashed) {}

  // Looks at one listed entry; true when it is a bundle (never entered).
  bool consider(const DirEntry& entry) {
    if (entry.type != EntryType::Directory || paths::extension(entry.name) != "app") return false;
    const std::string path(entry.path);
    if (isInTrash(path)) return true;
    auto bundle = Bundle::open(path);
    if (bundle && bundle->identifier()) {
      if (equalsIgnoringAsciiCase(*bundle->identifier(), trashed_.identifier)) {
        result_ = {InstalledCopy::Verdict::Installed, path};
      }
      return true;
    }
    // No identifier: the same application half-written by an updater looks
    // like this, so the same folder name or executable is enough for doubt.
    const bool sameName = entry.name == trashed_.folderName;
    const bool sameExecutable =
        !trashed_.executable.empty() && trashed_.executable.find('/') == std::string::npos &&
        fileSystem_.exists(paths::append(path, "Contents/MacOS/" + trashed_.executable));
    if ((sameName || sameExecutable) && !unreadable_) unreadable_ = path;
    return true;
  }

  bool found() const { return result_.verdict == InstalledCopy::Verdict::Installed; }

  void walkDeep(const std::string& folder) {
    fileSystem_.listDeep(folder, Packages::Skip, EntrySizes::Skip, [&](const DirEntry& entry) {
      if (consider(entry)) return found() ? Visit::Stop : Visit::SkipChildren;
      return Visit::Continue;
    });
  }

  // The folder's entries, and those of the folders in it when `below` > 0.
  void walkShallow(const std::string& folder, int below, bool skipLibrary) {
    fileSystem_.listShallow(folder, [&](const DirEntry& entry) {
      if (skipLibrary && entry.name == "Library") return Visit::Continue;
      if (!consider(entry) && below > 0 && entry.type == EntryType::Directory) {
        walkShallow(std::string(entry.path), below - 1, false);
      }
      return found() ? Visit::Stop : Visit::Continue;
    });
  }

  InstalledCopy result() const {
    if (found() || !unreadable_) return result_;
    return {InstalledCopy::Verdict::Unreadable, *unreadable_};
  }

 private:
  const FileSystem& fileSystem_;
  const TrashedApplication& trashed_;
  InstalledCopy result_;
  std::optional<std::string> unreadable_;
};

}  // namespace

std::vector<CopyPlace> copyPlaces(const SearchRoots& roots) {
  std::vector<CopyPlace> places;
  auto add = [&](const std::string& folder, bool anyDepth) {
    const std::string normalized = paths::normalize(folder);
    auto same = [&](const CopyPlace& place) { return place.folder == normalized; };
    if (std::find_if(places.begin(), places.end(), same) == places.end()) {
      places.push_back({normalized, anyDepth});
    }
  };
  if (roots.applications) add(*roots.applications, true);
  if (roots.home) add(paths::append(*roots.home, "Applications"), true);
  if (roots.system && roots.systemFoldersEnabled)
    add(paths::append(*roots.system, "Applications"), true);
  if (roots.home) add(*roots.home, false);
  return places;
}

InstalledCopy findInstalledCopy(const FileSystem& fileSystem, const SearchRoots& roots,
                                const TrashedApplication& trashed) {
  CopyFinder finder(fileSystem, trashed);
  for (const CopyPlace& place : copyPlaces(roots)) {
    if (place.anyDepth) {
      finder.walkDeep(place.folder);
    } else {
      // The home's own entries, its folders' entries and one folder below
      // those; "Applications" was walked whole already.
      finder.walkShallow(place.folder, 2, true);
    }
    if (finder.found()) break;
  }
  return finder.result();
}

}  // namespace vimbrel::spider

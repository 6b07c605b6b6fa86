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

}  // namespace

std::vector<std::string> applicationFolders(const SearchRoots& roots) {
  std::vector<std::string> folders;
  auto add = [&](const std::string& folder) {
    const std::string normalized = paths::normalize(folder);
    if (std::find(folders.begin(), folders.end(), normalized) == folders.end()) {
      folders.push_back(normalized);
    }
  };
  if (roots.applications) add(*roots.applications);
  if (roots.home) add(paths::append(*roots.home, "Applications"));
  if (roots.system && roots.systemFoldersEnabled) add(paths::append(*roots.system, "Applications"));
  return folders;
}

std::optional<std::string> findInstalledCopy(const FileSystem& fileSystem,
                                             const std::vector<std::string>& folders,
                                             const std::string& identifier) {
  std::optional<std::string> found;
  auto consider = [&](const DirEntry& entry) {
    if (paths::extension(entry.name) != "app" || isInTrash(std::string(entry.path))) return false;
    auto bundle = Bundle::open(std::string(entry.path));
    if (bundle && bundle->identifier() &&
        equalsIgnoringAsciiCase(*bundle->identifier(), identifier)) {
      found = std::string(entry.path);
    }
    return true;
  };
  // The catalog's walk: bundles are never looked into; other folders are
  // listed `depth` more levels down.
  auto collect = [&](auto& self, const std::string& folder, int depth) -> void {
    fileSystem.listShallow(folder, [&](const DirEntry& entry) {
      if (found) return Visit::Stop;
      if (!consider(entry) && depth > 0 && entry.type == EntryType::Directory) {
        self(self, std::string(entry.path), depth - 1);
      }
      return found ? Visit::Stop : Visit::Continue;
    });
  };
  for (const std::string& folder : folders) {
    fileSystem.listShallow(folder, [&](const DirEntry& entry) {
      if (!consider(entry) && entry.type == EntryType::Directory) {
        collect(collect, std::string(entry.path), entry.name == "Utilities" ? 2 : 1);
      }
      return found ? Visit::Stop : Visit::Continue;
    });
    if (found) break;
  }
  return found;
}

}  // namespace vimbrel::spider

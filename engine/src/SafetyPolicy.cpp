#include "engine/SafetyPolicy.h"

#include <cstdlib>

#include "engine/SearchFolders.h"
#include "engine/UserLibraryFolders.h"
#include "platform/Paths.h"
#include "platform/User.h"
#include "platform/XdgFolders.h"

namespace vimbrel {

namespace {

std::string desktopTrash() { return paths::append(dataHome(), "Trash"); }

bool hasDotComponent(std::string_view path) {
  for (std::size_t start = 0; start < path.size();) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view component = path.substr(start, end - start);
    if (component == "." || component == "..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool isInTrash(const std::string& path) {
  std::string_view rest(path);
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    std::string_view component = rest.substr(0, slash);
    if (component == ".Trash" || component.starts_with(".Trash-")) return true;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return paths::isWithin(path, desktopTrash());
}

SafetyPolicy::SafetyPolicy(const SearchRoots& roots) {
  auto add = [&](const std::optional<std::string>& root, const std::optional<FileIdentity>& granted,
                 bool stale) {
    if (!root) return;
    Root entry{paths::normalize(*root), std::nullopt};
    // A root given without the identity of a grant is pinned now.
    if (!stale) entry.identity = granted ? granted : identifyFolder(entry.path);
    roots_.push_back(std::move(entry));
  };
  add(roots.home, roots.homeIdentity, roots.homeStale);
  add(roots.applications, roots.applicationsIdentity, roots.applicationsStale);
  add(roots.system, roots.systemIdentity, roots.systemStale);
  // The system folders are protected whether or not this run searches them.
  SearchRoots everything = roots;
  everything.systemFoldersEnabled = roots.system.has_value();
  std::vector<std::string> keep = SearchFolders(everything).all();
  for (const std::string& folder : keep) tableFolders_.push_back(paths::normalize(folder));
  for (const auto& root : {roots.home, roots.system}) {
    if (root) libraries_.push_back(paths::append(paths::normalize(*root), "Library"));
  }
  for (const Root& root : roots_) keep.push_back(root.path);
  for (const std::string& folder : keep) {
    // A folder and every folder above it, up to "/".
    for (std::string at = paths::normalize(folder); !at.empty(); at = paths::parent(at)) {
      if (!protected_.insert(at).second) break;
      if (at == "/") break;
    }
  }
}

bool SafetyPolicy::mayList(const std::string& path) const { return anchorFor(path).has_value(); }

bool SafetyPolicy::mayRemoveChosenBundle(const std::string& path) const {
  const std::string location = paths::normalize(path);
  return !location.empty() && location.front() == '/' && location != "/" &&
         !protected_.count(location) && !hasDotComponent(location);
}

std::optional<std::string> SafetyPolicy::anchorFor(const std::string& path) const {
  const std::string location = paths::normalize(path);
  if (location.empty() || location.front() != '/') return std::nullopt;
  if (protected_.count(location) || isInTrash(location)) return std::nullopt;
  // Text like "a/../b" could step outside a root while looking inside it.
  if (hasDotComponent(location)) return std::nullopt;
  // The user's own folders of a Library, and everything in them.
  for (const std::string& library : libraries_) {
    if (location == library || !paths::isWithin(location, library)) continue;
    std::string_view below = std::string_view(location).substr(library.size() + 1);
    if (isUserLibraryFolder(below.substr(0, below.find('/')))) return std::nullopt;
  }
  const Root* root = innermostRoot(location);
  if (!root) return std::nullopt;
  return root->path;
}

const SafetyPolicy::Root* SafetyPolicy::innermostRoot(const std::string& location) const {
  const Root* innermost = nullptr;
  for (const Root& root : roots_) {
    if (location != root.path && paths::isWithin(location, root.path) &&
        (!innermost || root.path.size() > innermost->path.size())) {
      innermost = &root;
    }
  }
  return innermost;
}

SafetyPolicy::Anchor SafetyPolicy::removalAnchorFor(const std::string& path) const {
  if (!anchorFor(path)) return {std::nullopt, reasons::kOutsideGrants};
  const std::string location = paths::normalize(path);
  const Root* root = innermostRoot(location);
  if (!root->identity) return {std::nullopt, reasons::kOutsideGrants};
  RemovalAnchor anchor{root->path, *root->identity, ""};
  for (const std::string& folder : tableFolders_) {
    if (paths::isWithin(location, folder) && location != folder &&
        paths::isWithin(folder, root->path) && folder.size() > anchor.via.size()) {
      anchor.via = folder;
    }
  }
  return {std::move(anchor), ""};
}

}  // namespace vimbrel

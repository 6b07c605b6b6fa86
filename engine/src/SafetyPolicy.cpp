#include "engine/SafetyPolicy.h"

#include <cstdlib>

#include "engine/SearchFolders.h"
#include "platform/Paths.h"
#include "platform/User.h"

namespace vimbrel {

namespace {

std::string desktopTrash() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  std::string base =
      dataHome && *dataHome ? dataHome : paths::append(userHomeFolder(), ".local/share");
  return paths::append(base, "Trash");
}

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
  for (const auto& root : {roots.home, roots.applications, roots.system}) {
    if (root) roots_.push_back(paths::normalize(*root));
  }
  // The system folders are protected whether or not this run searches them.
  SearchRoots everything = roots;
  everything.systemFoldersEnabled = roots.system.has_value();
  std::vector<std::string> keep = SearchFolders(everything).all();
  keep.insert(keep.end(), roots_.begin(), roots_.end());
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
  std::optional<std::string> innermost;
  for (const std::string& root : roots_) {
    if (location != root && paths::isWithin(location, root) &&
        (!innermost || root.size() > innermost->size())) {
      innermost = root;
    }
  }
  return innermost;
}

}  // namespace vimbrel

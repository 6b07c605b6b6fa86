#include "extensions/Bundle.h"

#include <algorithm>

#include "IdentifierParts.h"
#include "engine/SearchRoots.h"
#include "engine/SettingsKeys.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace vimbrel::extensions {

namespace {

std::optional<std::string> below(const std::optional<std::string>& root, const char* relative) {
  if (!root) return std::nullopt;
  return paths::append(*root, relative);
}

template <typename Item>
void sortByLabel(std::vector<Item>& items) {
  // Stable, so that the same pane in the user's and the system's folder keeps
  // the user's first.
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return text::localizedCaseInsensitiveCompare(a.label, b.label) < 0;
  });
}

}  // namespace

Bundle::Bundle(const FileSystem& fileSystem, const SettingsStore& store)
    : fileSystem_(fileSystem), store_(store), applicationRules_(fileSystem, store) {}

template <typename Keep>
void Bundle::collect(const std::optional<std::string>& folder, const Keep& keep,
                     std::vector<std::string>& into) const {
  if (!folder) return;
  fileSystem_.listShallow(*folder, [&](const DirEntry& entry) {
    if (keep(paths::extension(entry.name))) into.emplace_back(entry.path);
    return Visit::Continue;
  });
}

// The records of the kept bundles in the order of derivation, sorted by label.
template <typename Item>
std::vector<Item> Bundle::records(const std::vector<std::string>& found, AppIcon appIcon) const {
  std::vector<Item> items;
  items.reserve(found.size());
  for (const std::string& path : found) {
    Item& item = items.emplace_back();
    item.label = setLabel(path);
    item.label_name = setLabelName(path);
    item.url = path;
    item.icon = setIcon(path);
    if (appIcon == AppIcon::Read) item.app_icon = setAppIcon(path);
    item.bundle = setBundle(path);
    item.bundle_name = setBundleName(path);
    item.bundle_name_info = setBundleNameInfo(path);
    item.executable_info = setExecutableInfo(path);
    item.company_name = setCompanyName(path);
  }
  sortByLabel(items);
  return items;
}

std::vector<BundleItem> Bundle::installedPlugins() const {
  const SearchRoots roots = SearchRoots::resolve(store_, keys::kHome);
  const auto userLibrary = below(roots.home, "Library");
  const auto systemLibrary =
      roots.systemFoldersEnabled ? below(roots.system, "Library") : std::optional<std::string>();
  auto exactly = [](const char* wanted) {
    return [wanted](std::string_view extension) { return extension == wanted; };
  };
  std::vector<std::string> found;
  collect(below(userLibrary, "Address Book Plug-Ins"), exactly("bundle"), found);
  collect(below(systemLibrary, "Spotlight"), exactly("mdimporter"), found);
  collect(below(systemLibrary, "QuickLook"), exactly("qlgenerator"), found);
  // Internet plug-ins come as "plugin", "webplugin", "PlugIn" and the like.
  collect(
      below(systemLibrary, "Internet Plug-Ins"),
      [](std::string_view extension) {
        return text::localizedStandardContains(extension, "plugin");
      },
      found);

  return records<BundleItem>(found, AppIcon::Skip);
}

std::vector<ApplicationItem> Bundle::installedPrefPanes() const {
  const SearchRoots roots = SearchRoots::resolve(store_, keys::kHome);
  const auto systemLibrary =
      roots.systemFoldersEnabled ? below(roots.system, "Library") : std::optional<std::string>();
  auto prefPane = [](std::string_view extension) { return extension == "prefPane"; };
  std::vector<std::string> found;
  collect(below(below(roots.home, "Library"), "PreferencePanes"), prefPane, found);
  collect(below(systemLibrary, "PreferencePanes"), prefPane, found);

  return records<ApplicationItem>(found, AppIcon::Read);
}

std::string Bundle::setLabel(const std::string& bundlePath) const {
  return parts::beforeFirstDot(paths::displayName(bundlePath));
}

std::string Bundle::setLabelName(const std::string& bundlePath) const {
  return applicationRules_.setLabelName(bundlePath);
}

ImageRef Bundle::setIcon(const std::string& bundlePath) const {
  return applicationRules_.setIcon(bundlePath);
}

ImageRef Bundle::setAppIcon(const std::string& bundlePath) const {
  return applicationRules_.setAppIcon(bundlePath);
}

std::optional<std::string> Bundle::setBundle(const std::string& bundlePath) const {
  return applicationRules_.setBundle(bundlePath);
}

std::optional<std::string> Bundle::setBundleName(const std::string& bundlePath) const {
  return applicationRules_.setBundleName(bundlePath);
}

std::string Bundle::setBundleNameInfo(const std::string& bundlePath) const {
  return applicationRules_.setBundleNameInfo(bundlePath);
}

std::string Bundle::setExecutableInfo(const std::string& bundlePath) const {
  return applicationRules_.setExecutableInfo(bundlePath);
}

std::optional<std::string> Bundle::setCompanyName(const std::string& bundlePath) const {
  return applicationRules_.setCompanyName(bundlePath);
}

}  // namespace vimbrel::extensions

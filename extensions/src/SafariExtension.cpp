#include "extensions/SafariExtension.h"

#include <algorithm>

#include "IdentifierParts.h"
#include "engine/SettingsKeys.h"
#include "extensions/SafariExtensionList.h"
#include "platform/Grant.h"
#include "platform/Paths.h"
#include "platform/RunningApplications.h"
#include "platform/Text.h"

namespace vimbrel::extensions {

namespace {

constexpr const char* kListName = "Extensions.plist";

}  // namespace

SafariExtension::SafariExtension(const SettingsStore& store) : store_(store) {}

std::vector<SafariItem> SafariExtension::installedSafariExtensions() const {
  std::vector<SafariItem> items;
  const ResolvedGrant home = resolve_grant(store_, keys::kHome);
  if (!home.location) return items;
  const std::string folder = extensionsFolder(*home.location);
  const SafariExtensionList list = SafariExtensionList::load(listPath(*home.location));
  if (list.state() != SafariExtensionList::State::Loaded) return items;

  for (const SafariExtensionList::Entry& entry : list.entries()) {
    if (!entry.archiveFileName || !entry.bundleIdentifier) continue;
    if (!isArchiveName(*entry.archiveFileName)) continue;
    SafariItem& item = items.emplace_back();
    item.label = setLabel(*entry.archiveFileName);
    item.bundle = *entry.bundleIdentifier;
    item.bundle_name = setBundleName(*entry.bundleIdentifier);
    item.company_name = setCompanyName(*entry.bundleIdentifier);
    item.url = paths::append(folder, *entry.archiveFileName);
    // label_name, bundle_name_info and executable_info stay empty, and an
    // empty value matches no name in the search; there are no icons.
  }
  std::stable_sort(items.begin(), items.end(), [](const SafariItem& a, const SafariItem& b) {
    return text::localizedCaseInsensitiveCompare(a.label, b.label) < 0;
  });
  return items;
}

std::string SafariExtension::setLabel(const std::string& archiveFileName) {
  return parts::beforeFirstDot(archiveFileName);
}

std::string SafariExtension::setBundleName(const std::string& identifier) {
  return parts::lastComponent(identifier);
}

std::string SafariExtension::setCompanyName(const std::string& identifier) {
  return parts::secondComponent(identifier);
}

std::string SafariExtension::extensionsFolder(const std::string& home) {
  return paths::append(home, "Library/Safari/Extensions");
}

std::string SafariExtension::listPath(const std::string& home) {
  return paths::append(extensionsFolder(home), kListName);
}

bool SafariExtension::isArchiveName(const std::string& name) {
  return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos && name != kListName;
}

bool SafariExtension::isSafariRunning() { return isApplicationRunning("com.apple.Safari"); }

}  // namespace vimbrel::extensions

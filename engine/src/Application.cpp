#include "engine/Application.h"

#include <algorithm>

#include "engine/SettingsKeys.h"
#include "platform/Bundle.h"
#include "platform/Grant.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace vimbrel {

namespace {

// Stands in for a bundle value that is absent, so it shows and matches as text.
constexpr const char* kEmptyString = "empty_string";

bool hasAppExtension(std::string_view path) { return paths::extension(path) == "app"; }

std::vector<std::string> splitAtDots(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t dot = text.find('.', start);
    parts.push_back(text.substr(start, dot - start));
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

std::optional<std::string> bundleIdentifier(const std::string& bundlePath) {
  auto bundle = Bundle::open(bundlePath);
  return bundle ? bundle->identifier() : std::nullopt;
}

std::optional<std::string> infoValue(const std::string& bundlePath, const std::string& key) {
  auto bundle = Bundle::open(bundlePath);
  return bundle ? bundle->infoString(key) : std::nullopt;
}

// The platform's own applications are left out, except the media player and
// the developer tools; a bundle without identifier is kept.
bool passesPlatformFilter(const std::optional<std::string>& identifier) {
  if (!identifier) return true;
  const std::string& id = *identifier;
  if (id.find("com.apple.iTunes") != std::string::npos) return true;
  if (id.find("com.apple") == std::string::npos) return true;
  return id.find("com.apple.dt") != std::string::npos;
}

}  // namespace

Application::Application(const FileSystem& fileSystem, const SettingsStore& store)
    : fileSystem_(fileSystem), store_(store) {}

std::vector<ApplicationItem>& Application::installedApplications() {
  items_.clear();

  ResolvedGrant grant = resolve_grant(store_, keys::kApplications);
  url_applications_ = grant.location;
  if (!url_applications_) return items_;

  const bool includeUtilities = store_.integer(keys::kIncludeUtilities) == 1;
  std::vector<std::string> found = applicationBundles(*url_applications_, includeUtilities);

  const bool includeDefaultApps = store_.integer(keys::kIncludeDefaultApps) == 1;
  for (const std::string& path : found) {
    if (includeDefaultApps || passesPlatformFilter(bundleIdentifier(path))) {
      items_.push_back(application(path));
    }
  }
  // Stable, so entries of the same label keep their discovery order.
  std::stable_sort(items_.begin(), items_.end(), [](const auto& a, const auto& b) {
    return text::localizedCaseInsensitiveCompare(a.label, b.label) < 0;
  });
  return items_;
}

std::vector<std::string> Application::applicationBundles(const std::string& folder,
                                                         bool includeUtilities) const {
  std::vector<std::string> found;
  // Collects the application bundles of `in`, listing the other entries
  // `depth` more levels down. Application bundles are never looked into.
  auto collect = [&](auto& self, const std::string& in, int depth) -> void {
    fileSystem_.listShallow(in, [&](const DirEntry& entry) {
      if (hasAppExtension(entry.name)) {
        found.emplace_back(entry.path);
      } else if (depth > 0) {
        self(self, std::string(entry.path), depth - 1);
      }
      return Visit::Continue;
    });
  };
  fileSystem_.listShallow(folder, [&](const DirEntry& entry) {
    if (hasAppExtension(entry.name)) {
      found.emplace_back(entry.path);
    } else if (entry.name == "Utilities") {
      if (includeUtilities) collect(collect, std::string(entry.path), 2);
    } else {
      collect(collect, std::string(entry.path), 1);
    }
    return Visit::Continue;
  });
  return found;
}

ApplicationItem Application::application(const std::string& bundlePath) const {
  ApplicationItem item;
  item.label = setLabel(bundlePath);
  item.label_name = setLabelName(bundlePath);
  item.url = paths::normalize(bundlePath);
  item.icon = setIcon(bundlePath);
  item.app_icon = setAppIcon(bundlePath);
  item.bundle = setBundle(bundlePath);
  item.bundle_name = setBundleName(bundlePath);
  item.bundle_name_info = setBundleNameInfo(bundlePath);
  item.executable_info = setExecutableInfo(bundlePath);
  item.company_name = setCompanyName(bundlePath);
  return item;
}

std::string Application::setLabel(const std::string& bundlePath) const {
  return paths::displayName(bundlePath);
}

std::string Application::setLabelName(const std::string& bundlePath) const {
  auto name = infoValue(bundlePath, "CFBundleName");
  if (!name) return kEmptyString;
  std::replace(name->begin(), name->end(), ' ', '_');
  return *name;
}

ImageRef Application::setIcon(const std::string& bundlePath) const {
  return ImageRef::iconOfPath(paths::normalize(bundlePath));
}

ImageRef Application::setAppIcon(const std::string& bundlePath) const {
  auto bundle = Bundle::open(bundlePath);
  if (!bundle) return ImageRef::none();
  auto iconFile = bundle->infoString("CFBundleIconFile");
  if (!iconFile) return ImageRef::none();
  std::string name = *iconFile;
  // "AppIcon.icns" is looked up as the resource "AppIcon".
  if (name.find(".i") != std::string::npos) name = name.substr(0, name.find('.'));
  auto resource = bundle->imageResource(name);
  return resource ? ImageRef::imageFile(*resource) : ImageRef::none();
}

std::optional<std::string> Application::setBundle(const std::string& bundlePath) const {
  return bundleIdentifier(bundlePath);
}

std::optional<std::string> Application::setBundleName(const std::string& bundlePath) const {
  auto identifier = bundleIdentifier(bundlePath);
  if (!identifier) return std::nullopt;
  return splitAtDots(*identifier).back();
}

std::string Application::setBundleNameInfo(const std::string& bundlePath) const {
  return infoValue(bundlePath, "CFBundleName").value_or(kEmptyString);
}

std::string Application::setExecutableInfo(const std::string& bundlePath) const {
  return infoValue(bundlePath, "CFBundleExecutable").value_or(kEmptyString);
}

std::optional<std::string> Application::setCompanyName(const std::string& bundlePath) const {
  auto identifier = bundleIdentifier(bundlePath);
  if (!identifier) return std::nullopt;
  if (identifier->find('.') == std::string::npos) return identifier;
  return splitAtDots(*identifier)[1];
}

}  // namespace vimbrel

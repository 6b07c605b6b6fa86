#include "engine/InstalledApplications.h"

#include <algorithm>
#include <set>

#include "engine/Application.h"
#include "engine/GenericValues.h"
#include "platform/Bundle.h"
#include "platform/MemorySettingsStore.h"
#include "platform/Paths.h"

namespace vimbrel {

namespace {

// The values of one bundle, derived as the catalog derives the record fields,
// from a single reading of its information dictionary.
std::vector<std::string> valuesOf(const std::string& bundlePath, const std::string& label) {
  std::vector<std::string> values;
  auto add = [&](const std::optional<std::string>& value) {
    if (!value || value->empty() || isGenericValue(*value)) return;
    if (std::find(values.begin(), values.end(), *value) == values.end()) values.push_back(*value);
  };
  add(label);
  auto bundle = Bundle::open(bundlePath);
  if (!bundle) return values;
  const std::optional<std::string>& identifier = bundle->identifier();
  add(identifier);
  add(bundle->infoString("CFBundleName"));
  add(bundle->infoString("CFBundleExecutable"));
  if (identifier) {
    const std::size_t lastDot = identifier->rfind('.');
    add(lastDot == std::string::npos ? *identifier : identifier->substr(lastDot + 1));
    const std::size_t firstDot = identifier->find('.');
    if (firstDot == std::string::npos) {
      add(*identifier);
    } else {
      const std::size_t secondDot = identifier->find('.', firstDot + 1);
      add(identifier->substr(firstDot + 1, secondDot == std::string::npos
                                               ? std::string::npos
                                               : secondDot - firstDot - 1));
    }
  }
  return values;
}

}  // namespace

std::vector<InstalledApplication> installedApplications(const FileSystem& fileSystem,
                                                        const SearchRoots& roots) {
  std::vector<std::string> folders;
  if (roots.applications) folders.push_back(paths::normalize(*roots.applications));
  if (roots.system)
    folders.push_back(paths::append(paths::normalize(*roots.system), "Applications"));
  if (roots.home) folders.push_back(paths::append(paths::normalize(*roots.home), "Applications"));

  const MemorySettingsStore noSettings;
  const Application catalog(fileSystem, noSettings);
  std::set<std::string> seenFolders;
  std::set<std::string> seenBundles;
  std::vector<InstalledApplication> installed;
  for (const std::string& folder : folders) {
    if (!seenFolders.insert(folder).second) continue;
    for (const std::string& found : catalog.applicationBundles(folder, true)) {
      std::string url = paths::normalize(found);
      if (!seenBundles.insert(url).second) continue;
      std::string label = catalog.setLabel(url);
      std::vector<std::string> values = valuesOf(url, label);
      installed.push_back({std::move(label), std::move(url), std::move(values)});
    }
  }
  return installed;
}

}  // namespace vimbrel

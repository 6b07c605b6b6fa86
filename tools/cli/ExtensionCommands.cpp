#include "ExtensionCommands.h"

#include <iostream>
#include <set>
#include <variant>

#include "Commands.h"
#include "Output.h"
#include "engine/RemainderSearch.h"
#include "engine/RemovalTotal.h"
#include "engine/SearchRoots.h"
#include "engine/SearchVariant.h"
#include "engine/SettingsKeys.h"
#include "engine/TreeSizes.h"
#include "engine/WorkflowState.h"
#include "extensions/Bundle.h"
#include "extensions/SafariExtension.h"
#include "platform/ByteCount.h"
#include "platform/Grant.h"
#include "platform/Paths.h"
#include "platform/RunningApplications.h"

namespace vimbrel::cli {

namespace {

using extensions::BundleItem;
using extensions::SafariExtension;
using extensions::SafariItem;
using extensions::SafariListUpdate;

// One record of the three catalogs.
using Extension = std::variant<BundleItem, ApplicationItem, SafariItem>;

const char* const kNoHome = "no home folder is granted: use --home DIR";

bool homeGranted(const SettingsStore& store) {
  return resolve_grant(store, keys::kHome).location.has_value();
}

// Label, identifier, size and location of each record; the size is the
// search's own byte count of the location.
template <typename Item>
int printList(const std::vector<Item>& items, const char* nothingFound,
              const FileSystem& fileSystem) {
  if (items.empty()) {
    std::cout << nothingFound << '\n';
    return kDone;
  }
  std::vector<std::vector<std::string>> rows{{"LABEL", "BUNDLE IDENTIFIER", "SIZE", "LOCATION"}};
  for (const Item& item : items) {
    const auto bytes = static_cast<std::int64_t>(treeSize(fileSystem, item.url));
    rows.push_back({item.label, item.bundle.value_or("-"), formatByteCount(bytes), item.url});
  }
  printTable(rows);
  return kDone;
}

// A path as it can be compared with a catalog location: links resolved when
// it exists, otherwise only its text tidied.
std::string comparable(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  std::string result = resolved ? resolved : paths::normalize(path);
  free(resolved);
  return result;
}

Result<Extension> findExtension(const std::string& name, const FileSystem& fileSystem,
                                const SettingsStore& store) {
  const bool byPath = name.find('/') != std::string::npos;
  const std::string wanted = byPath ? comparable(name) : name;
  std::vector<Extension> matches;
  auto consider = [&](const auto& items) {
    for (const auto& item : items) {
      if (byPath ? comparable(item.url) == wanted : item.bundle == wanted) {
        matches.emplace_back(item);
      }
    }
  };
  const extensions::Bundle bundles(fileSystem, store);
  consider(bundles.installedPlugins());
  consider(bundles.installedPrefPanes());
  consider(SafariExtension(store).installedSafariExtensions());
  if (matches.empty()) {
    return Failure{kBadInput, "no plug-in, preference pane or Safari extension is " +
                                  std::string(byPath ? "at " : "called ") + name +
                                  " (see vimbrel-cli plugins, prefpanes, safari-extensions)"};
  }
  if (matches.size() > 1) {
    const std::string first = std::visit([](const auto& item) { return item.url; }, matches[0]);
    return Failure{kBadInput,
                   "several extensions are called " + name + ": give the path, e.g. " + first};
  }
  return std::move(matches.front());
}

// The bundle variant of the search on a copy of the record, with each
// location's size, for the plan shown before anything is removed.
ApplicationItem plannedRemoval(ApplicationItem record, const FileSystem& fileSystem,
                               const SettingsStore& store) {
  const SearchVariant variant = SearchVariant::bundleRemoval();
  RemainderSearch(fileSystem, variant)
      .run(record, SearchRoots::resolve(store, variant.homeGrantKey));
  // A plug-in can find itself again in its own folder; it is shown and counted once.
  std::set<std::string> seen;
  std::erase_if(record.files, [&](const RemainderEntry& entry) {
    return entry.isFileLocation() && !seen.insert(entry.text()).second;
  });
  std::vector<std::string> locations;
  for (const RemainderEntry& entry : record.files) {
    if (entry.isFileLocation()) locations.push_back(entry.text());
  }
  const std::vector<std::uint64_t> sizes = treeSizes(fileSystem, locations);
  std::size_t next = 0;
  record.sizes.clear();
  for (const RemainderEntry& entry : record.files) {
    if (entry.isFileLocation()) {
      record.sizes.emplace_back(sizes[next++]);
    } else {
      record.sizes.emplace_back(entry);
    }
  }
  return record;
}

// Prints what a one-step removal did and returns its exit status.
int reportRemoval(const ApplicationItem& plan, const std::vector<std::string>& survivors) {
  const std::uint64_t removed = removedTotal(plan.files, plan.sizes, survivors);
  std::cout << "Removed " << plan.label << ": "
            << formatByteCount(static_cast<std::int64_t>(removed)) << '\n';
  if (survivors.empty()) return kDone;
  std::cout << "Could not remove:\n";
  for (const std::string& path : survivors) std::cout << "  " << path << '\n';
  return kNotAllRemoved;
}

int removePlugin(BundleItem item, const CliOptions& options, const FileSystem& fileSystem,
                 const SettingsStore& store) {
  if (item.bundle && isApplicationRunning(*item.bundle)) {
    return fail({kNotAllRemoved, item.label + " is running: quit it first; nothing was removed"});
  }
  const ApplicationItem plan = plannedRemoval(item.asApplicationItem(), fileSystem, store);
  if (!options.yes) {
    std::cout << "Would remove (run again with --yes to remove):\n";
    printRemainders(plan, plan.files);
    return kDone;
  }
  WorkflowState state;
  item.remove_files(fileSystem, store, state, nullptr);
  return reportRemoval(plan, state.remainder_urls());
}

int removeSafariExtension(SafariItem item, const CliOptions& options, const FileSystem& fileSystem,
                          const SettingsStore& store) {
  if (SafariExtension::isSafariRunning()) {
    return fail({kNotAllRemoved, "Safari is running: quit it first; nothing was removed"});
  }
  const ApplicationItem plan = plannedRemoval(item, fileSystem, store);
  if (!options.yes) {
    std::cout << "Would remove (run again with --yes to remove), and take "
              << item.bundle.value_or(item.label) << " out of Safari's extension list:\n";
    printRemainders(plan, plan.files);
    return kDone;
  }
  WorkflowState state;
  const SafariListUpdate update = item.remove_safari_extension(fileSystem, store, state, nullptr);
  if (update == SafariListUpdate::Unreadable) {
    fail({kNotAllRemoved,
          "Safari's extension list cannot be read; it was left as it is and nothing was removed"});
    std::cout << "Could not remove:\n";
    for (const std::string& path : state.remainder_urls()) std::cout << "  " << path << '\n';
    return kNotAllRemoved;
  }
  int status = reportRemoval(plan, state.remainder_urls());
  if (update == SafariListUpdate::NotWritten) {
    status =
        fail({kNotAllRemoved, "Safari's extension list could not be rewritten; it still names " +
                                  item.bundle.value_or(item.label)});
  }
  return status;
}

}  // namespace

int listPlugins(const FileSystem& fileSystem, const SettingsStore& store) {
  if (!homeGranted(store)) return fail({kBadInput, kNoHome});
  return printList(extensions::Bundle(fileSystem, store).installedPlugins(), "No plug-ins found.",
                   fileSystem);
}

int listPrefPanes(const FileSystem& fileSystem, const SettingsStore& store) {
  if (!homeGranted(store)) return fail({kBadInput, kNoHome});
  return printList(extensions::Bundle(fileSystem, store).installedPrefPanes(),
                   "No preference panes found.", fileSystem);
}

int listSafariExtensions(const FileSystem& fileSystem, const SettingsStore& store) {
  if (!homeGranted(store)) return fail({kBadInput, kNoHome});
  return printList(SafariExtension(store).installedSafariExtensions(),
                   "No Safari extensions found.", fileSystem);
}

int removeExtension(const CliOptions& options, const FileSystem& fileSystem,
                    const SettingsStore& store) {
  if (!homeGranted(store)) return fail({kBadInput, kNoHome});
  auto found = findExtension(options.extension, fileSystem, store);
  if (auto* failure = std::get_if<Failure>(&found)) return fail(*failure);
  Extension& extension = std::get<Extension>(found);
  if (auto* plugin = std::get_if<BundleItem>(&extension)) {
    return removePlugin(std::move(*plugin), options, fileSystem, store);
  }
  if (auto* safari = std::get_if<SafariItem>(&extension)) {
    return removeSafariExtension(std::move(*safari), options, fileSystem, store);
  }
  // A preference pane is reviewed and removed like an application.
  return removeApplication(std::get<ApplicationItem>(extension), options, fileSystem, store);
}

}  // namespace vimbrel::cli

#include "Commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <set>
#include <thread>
#include <variant>

#include "ExtensionCommands.h"
#include "JsonWriter.h"
#include "Output.h"
#include "engine/Application.h"
#include "engine/CertainEvidence.h"
#include "engine/RemainderPresentation.h"
#include "engine/RemainderSearch.h"
#include "engine/Removal.h"
#include "engine/RemovalTotal.h"
#include "engine/SettingsKeys.h"
#include "platform/Bundle.h"
#include "platform/ByteCount.h"
#include "platform/Grant.h"
#include "platform/Paths.h"
#include "platform/RunningApplications.h"
#include "platform/Text.h"

namespace vimbrel::cli {

namespace {

// Grants a folder for this run only.
std::optional<Failure> grantForThisRun(SettingsStore& store, const char* key,
                                       const std::optional<std::string>& folder,
                                       const char* option) {
  if (!folder) return std::nullopt;
  struct stat info {};
  if (stat(folder->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return Failure{kBadInput, std::string(option) + " " + *folder + ": no such folder"};
  }
  char* resolved = realpath(folder->c_str(), nullptr);
  std::string absolute = resolved ? resolved : *folder;
  free(resolved);
  store.setBlob(key, createGrant(absolute));
  return std::nullopt;
}

// The application named on the command line: a bundle path, or a label of
// the installed applications.
Result<ApplicationItem> findApplication(const std::string& name, const FileSystem& fileSystem,
                                        const SettingsStore& store) {
  Application catalog(fileSystem, store);
  const bool looksLikePath = name.find('/') != std::string::npos || paths::extension(name) == "app";
  if (looksLikePath || fileSystem.exists(name)) {
    if (!fileSystem.exists(name)) return Failure{kBadInput, name + ": no such file or folder"};
    // The folder it lies in is resolved, the bundle itself is not: a bundle
    // that is a link stays a link, and removing it removes the link only.
    const std::string given = paths::normalize(name);
    const std::string folder = given.find('/') == std::string::npos ? "." : paths::parent(given);
    char* resolved = realpath(folder.c_str(), nullptr);
    std::string absolute = resolved ? paths::append(resolved, paths::lastComponent(given)) : given;
    free(resolved);
    // Only an application (or a preference pane, which is reviewed like one):
    // any other folder would be deleted whole as "the bundle".
    const std::string_view extension = paths::extension(absolute);
    auto bundle = Bundle::open(absolute);
    if (!bundle || (extension != "app" && extension != "prefPane")) {
      return Failure{kBadInput, name + ": not an application bundle"};
    }
    return catalog.application(absolute);
  }
  const auto& items = catalog.installedApplications();
  if (!catalog.url_applications()) {
    return Failure{kBadInput,
                   "no Applications folder is granted: use --applications DIR, or give "
                   "the application's path"};
  }
  std::vector<const ApplicationItem*> matches;
  for (const ApplicationItem& item : items) {
    if (text::localizedCaseInsensitiveCompare(item.label, name) == 0) matches.push_back(&item);
  }
  if (matches.empty()) {
    return Failure{kBadInput,
                   "no installed application is called \"" + name + "\" (see vimbrel-cli apps)"};
  }
  if (matches.size() > 1) {
    return Failure{kBadInput, "several applications are called \"" + name +
                                  "\": give the path, e.g. " + matches.front()->url};
  }
  return *matches.front();
}

// Runs the search, showing progress on standard error when it is a terminal.
void searchWithProgress(ApplicationItem& item, const FileSystem& fileSystem,
                        const SettingsStore& store, int jobs) {
  const SearchVariant variant = SearchVariant::application();
  const SearchRoots roots = SearchRoots::resolve(store, variant.homeGrantKey);
  if (!isatty(STDERR_FILENO)) {
    RemainderSearch(fileSystem, variant, jobs).run(item, roots);
    return;
  }
  SearchProgress progress;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    RemainderSearch(fileSystem, variant, jobs).run(item, roots, &progress);
    done = true;
  });
  while (!done) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::fprintf(stderr, "\rsearching: step %d of 32, %llu entries looked at ",
                 progress.step.load(),
                 static_cast<unsigned long long>(progress.entriesVisited.load()));
  }
  worker.join();
  std::fputs("\r\033[K", stderr);
}

// Whether the agent would take the entry without asking: its own by the
// ownership rules, named beyond doubt, and outside the user's own folders.
bool takenWithoutReview(const ApplicationItem& item, const RemainderEntry& entry,
                        const std::string& home) {
  if (entry.isClaimed()) return false;
  if (!home.empty() && isInUsersOwnFolder(home, entry.text())) return false;
  return hasCertainName(item, entry);
}

void printJson(const ApplicationItem& item, const std::string& home) {
  JsonWriter json(std::cout);
  json.beginObject();
  json.key("application").beginObject();
  json.field("label", item.label).field("bundle", item.bundle).field("path", item.url);
  json.endObject();
  json.key("groups").beginArray();
  bool inGroup = false;
  for (std::size_t i = 0; i < item.files.size(); ++i) {
    const RemainderEntry& entry = item.files[i];
    if (entry.isHeader()) {
      if (inGroup) json.endArray().endObject();
      json.beginObject().field("header", entry.text()).field("label", groupLabel(entry.group()));
      json.key("entries").beginArray();
      inGroup = true;
    } else if (entry.isFileLocation()) {
      json.beginObject()
          .field("path", entry.text())
          .field("name", shownName(entry.text()))
          .field("folder", paths::parent(entry.text()))
          .field("size", sizeAt(item, i));
      json.key("claimed_by").beginArray();
      for (const std::string& label : entry.claimedBy()) json.element(label);
      json.endArray();
      if (const auto& match = entry.match()) {
        json.key("matched")
            .beginObject()
            .field("step", match->step)
            .field("folder", match->folder)
            .field("value", matchedValueName(match->value))
            .field("text", match->text)
            .field("test", matchTestName(match->test));
        if (const auto& decision = entry.ownership()) {
          json.key("decision")
              .beginObject()
              .field("kind", ownershipName(decision->kind))
              .field("component", decision->component)
              .field("strength", evidenceStrengthName(decision->strength))
              .field("value", decision->value);
          json.key("others").beginArray();
          for (const RivalEvidence& other : decision->others) {
            json.beginObject()
                .field("label", other.label)
                .field("strength", evidenceStrengthName(other.strength))
                .field("value", other.value)
                .endObject();
          }
          json.endArray();
          if (!decision->holds.empty()) json.field("holds", decision->holds);
          json.endObject();
        }
        json.endObject();
      }
      json.field("certain", takenWithoutReview(item, entry, home));
      // A name that is not valid UTF-8 shows with U+FFFD above; its exact
      // bytes, in hexadecimal, let a program find the file.
      if (validUtf8(entry.text()) != entry.text()) json.field("path_bytes", hexBytes(entry.text()));
      json.endObject();
    }
  }
  if (inGroup) json.endArray().endObject();
  json.endArray();
  // The bytes removing everything listed frees: each byte once, and nothing
  // kept for another application.
  json.field("total", chosenTotal(item.files, item.sizes));
  json.endObject();
  std::cout << '\n';
}

int listApplications(const FileSystem& fileSystem, const SettingsStore& store) {
  Application catalog(fileSystem, store);
  const auto& items = catalog.installedApplications();
  if (!catalog.url_applications()) {
    return fail({kBadInput, "no Applications folder is granted: use --applications DIR"});
  }
  std::vector<std::vector<std::string>> rows{{"LABEL", "BUNDLE IDENTIFIER", "COMPANY", "LOCATION"}};
  for (const ApplicationItem& item : items) {
    rows.push_back(
        {item.label, item.bundle.value_or("-"), item.company_name.value_or("-"), item.url});
  }
  printTable(rows);
  return kDone;
}

int scan(const CliOptions& options, const FileSystem& fileSystem, const SettingsStore& store) {
  auto found = findApplication(options.application, fileSystem, store);
  if (auto* failure = std::get_if<Failure>(&found)) return fail(*failure);
  ApplicationItem item = std::get<ApplicationItem>(found);
  if (!resolve_grant(store, keys::kHome).location) {
    return fail({kBadInput, "no home folder is granted: use --home DIR"});
  }
  searchWithProgress(item, fileSystem, store, options.jobs);
  if (options.json) {
    printJson(item, resolve_grant(store, keys::kHome).location.value_or(""));
  } else {
    std::cout << printable(item.label) << " (" << printable(item.bundle.value_or("no identifier"))
              << ")\n";
    printRemainders(item, item.files, options.why ? Evidence::Show : Evidence::Hide);
  }
  return kDone;
}

int remove(const CliOptions& options, const FileSystem& fileSystem, const SettingsStore& store) {
  auto found = findApplication(options.application, fileSystem, store);
  if (auto* failure = std::get_if<Failure>(&found)) return fail(*failure);
  return removeApplication(std::get<ApplicationItem>(found), options, fileSystem, store);
}

// A removal never runs on a grant that names another folder than the one
// chosen: the search would look in the wrong place (or nowhere) and the
// removal would report success over what it never saw. The home and
// Applications grants are always searched; the whole-disk grant only when
// system folders are switched on.
std::optional<Failure> staleGrantRefusal(const SettingsStore& store) {
  struct Needed {
    const char* key;
    const char* name;
    bool needed;
  };
  const Needed grants[] = {{keys::kHome, "home", true},
                           {keys::kApplications, "Applications", true},
                           {keys::kMacOS, "whole-disk", store.integer(keys::kAllowAny) == 1}};
  for (const Needed& grant : grants) {
    if (!grant.needed) continue;
    const ResolvedGrant resolved = resolve_grant(store, grant.key);
    if (resolved.location && resolved.stale) {
      return Failure{kBadInput, std::string("the ") + grant.name + " grant is stale (" +
                                    *resolved.location +
                                    " is no longer the folder that was granted): grant it "
                                    "again; nothing was removed"};
    }
  }
  return std::nullopt;
}

}  // namespace

int removeApplication(ApplicationItem item, const CliOptions& options, const FileSystem& fileSystem,
                      const SettingsStore& store) {
  if (!resolve_grant(store, keys::kHome).location) {
    return fail({kBadInput, "no home folder is granted: use --home DIR"});
  }
  if (auto refusal = staleGrantRefusal(store)) return fail(*refusal);
  searchWithProgress(item, fileSystem, store, options.jobs);

  // The plan: the list with every kept entry switched off.
  std::set<std::string> keep;
  for (const std::string& path : options.keep) keep.insert(paths::normalize(path));
  std::vector<RemainderEntry> plan = item.files;
  // The user takes the other applications' files too: their claims are
  // lifted, of every entry or of the ones named (and what lies inside them,
  // which goes with them).
  if (options.includeClaimed) {
    for (RemainderEntry& entry : plan) entry.clearClaims();
  }
  for (const std::string& lifted : options.includeClaimedPaths) {
    const std::string path = paths::normalize(lifted);
    bool found = false;
    for (RemainderEntry& entry : plan) {
      if (!entry.isFileLocation()) continue;
      const std::string at = paths::normalize(entry.text());
      if (at == path) found = entry.isClaimed();
      if (paths::isWithin(at, path)) entry.clearClaims();
    }
    if (!found) {
      return fail({kBadInput, "--include-claimed " + lifted +
                                  " is not a kept entry of the list (see vimbrel-cli scan)"});
    }
  }
  std::set<std::string> matched;
  for (RemainderEntry& entry : plan) {
    if (entry.isFileLocation() && keep.count(entry.text())) {
      matched.insert(entry.text());
      entry = RemainderEntry::emptyPlaceholder();
    }
  }
  for (const std::string& path : keep) {
    if (!matched.count(path)) {
      return fail({kBadInput, "--keep " + path + " is not in the list (see vimbrel-cli scan)"});
    }
  }

  if (item.bundle && isApplicationRunning(*item.bundle)) {
    return fail({kNotAllRemoved, item.label + " is running: quit it first; nothing was removed"});
  }
  if (!options.yes) {
    std::cout << "Would remove (run again with --yes to remove):\n";
    printRemainders(item, plan, options.why ? Evidence::Show : Evidence::Hide);
    return kDone;
  }
  const SafetyPolicy policy(SearchRoots::resolve(store, keys::kHome));
  std::vector<Survivor> survivors;
  Removal(fileSystem, policy).remove(plan, item.url, survivors);
  const std::uint64_t removed = removedTotal(plan, item.sizes, survivorPaths(survivors));
  if (options.json) {
    JsonWriter json(std::cout);
    json.beginObject().field("removed", removed).key("survivors").beginArray();
    for (const Survivor& survivor : survivors) {
      json.beginObject().field("path", survivor.path).field("reason", survivor.reason);
      if (validUtf8(survivor.path) != survivor.path) {
        json.field("path_bytes", hexBytes(survivor.path));
      }
      json.endObject();
    }
    json.endArray().endObject();
    std::cout << '\n';
    return survivors.empty() ? kDone : kNotAllRemoved;
  }
  std::cout << "Removed " << printable(item.label) << ": "
            << formatByteCount(static_cast<std::int64_t>(removed)) << '\n';
  if (survivors.empty()) return kDone;
  printSurvivors(survivors);
  return kNotAllRemoved;
}

int runCommand(const CliOptions& options, const FileSystem& fileSystem, SettingsStore& store) {
  if (auto failure = grantForThisRun(store, keys::kHome, options.home, "--home")) {
    return fail(*failure);
  }
  if (auto failure =
          grantForThisRun(store, keys::kApplications, options.applications, "--applications")) {
    return fail(*failure);
  }
  if (auto failure = grantForThisRun(store, keys::kMacOS, options.root, "--root")) {
    return fail(*failure);
  }
  if (options.root) {
    store.setInteger(keys::kAllowAny, 1);
    // A whole volume holds its Applications folder: granted with it when no
    // other Applications folder is.
    const std::string applications = paths::append(*options.root, "Applications");
    struct stat info {};
    if (!resolve_grant(store, keys::kApplications).location &&
        stat(applications.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      grantForThisRun(store, keys::kApplications, applications, "--root");
    }
  }

  switch (options.command) {
    case Command::Apps:
      return listApplications(fileSystem, store);
    case Command::Scan:
      return scan(options, fileSystem, store);
    case Command::Remove:
      return remove(options, fileSystem, store);
    case Command::Plugins:
      return listPlugins(fileSystem, store);
    case Command::PrefPanes:
      return listPrefPanes(fileSystem, store);
    case Command::SafariExtensions:
      return listSafariExtensions(fileSystem, store);
    case Command::RemoveExtension:
      return removeExtension(options, fileSystem, store);
    case Command::Help:
      std::cout << kUsage;
      return kDone;
    case Command::Version:
      std::cout << "vimbrel-cli " << VIMBREL_VERSION << '\n';
      return kDone;
  }
  return kBadInput;
}

}  // namespace vimbrel::cli

#include "engine/RemainderSearch.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Application.h"
#include "engine/MatchingKeys.h"
#include "engine/NameRules.h"
#include "engine/SafetyPolicy.h"
#include "engine/SearchFolders.h"
#include "engine/TreeSizes.h"
#include "platform/MemorySettingsStore.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace vimbrel {

namespace {

// The answers of the containment tests for the entry being visited, one per
// distinct folded record value: a label, display name and executable that are
// all "Tool" are looked for once per entry, not three times.
class TestMemo {
 public:
  static constexpr std::size_t kSlots = 16;
  // The slot of `folded`, shared with every equal value; kNone when full.
  std::size_t slotFor(const text::Folded& folded) {
    for (std::size_t i = 0; i < values_.size(); ++i) {
      if (values_[i].units() == folded.units()) return i;
    }
    if (values_.size() == kSlots) return kNone;
    values_.push_back(folded);
    return values_.size() - 1;
  }
  void forget() { answers_.fill(kUnknown); }
  template <typename Compute>
  bool answer(std::size_t slot, Compute compute) {
    if (slot == kNone) return compute();
    auto& known = answers_[slot];
    if (known == kUnknown) known = compute() ? 1 : 0;
    return known == 1;
  }
  static constexpr std::size_t kNone = kSlots;

 private:
  static constexpr signed char kUnknown = -1;
  std::vector<text::Folded> values_;
  std::array<signed char, kSlots> answers_{};
};

// A record value that names are tested against, folded once per search.
// An absent or empty value matches nothing.
class Needle {
 public:
  Needle() = default;
  explicit Needle(const std::optional<std::string>& value, TestMemo* memo = nullptr) {
    if (!value || value->empty()) return;
    present_ = true;
    raw_ = *value;
    folded_ = text::fold(*value);
    if (memo) {
      memo_ = memo;
      slot_ = memo->slotFor(folded_);
    }
  }
  explicit Needle(const std::string& value, TestMemo* memo = nullptr)
      : Needle(std::optional<std::string>(value), memo) {}

  // Locale-aware, case- and diacritic-insensitive containment in a folded name.
  bool in(const text::Folded& name) const {
    if (!present_) return false;
    if (!memo_) return text::contains(name, folded_);
    return memo_->answer(slot_, [&] { return text::contains(name, folded_); });
  }
  // Exact, case-sensitive equality with a name.
  bool equals(std::string_view name) const { return present_ && name == raw_; }

 private:
  bool present_ = false;
  std::string raw_;
  text::Folded folded_;
  TestMemo* memo_ = nullptr;
  std::size_t slot_ = TestMemo::kNone;
};

struct Needles {
  Needle bundle, bundleName, bundleNameInfo, labelName, label, executable, company,
      capitalizedCompany, lettersOnlyLabel;
};

enum class Listing {
  Shallow,
  DeepSkippingPackages,  // packages are taken as a whole, never entered
  Deep,
};

// The part of `path` below `folder`.
std::string_view below(std::string_view path, const std::string& folder) {
  return path.size() > folder.size() ? path.substr(folder.size() + 1) : std::string_view();
}

// The folders of the table that the search may walk: a folder reached
// through a link that leaves its grant (Library pointing outside the home)
// is absent; one whose link stays inside (a volume's var pointing to
// private/var) is walked through it.
SearchFolders reachableFolders(const FileSystem& fileSystem, const SearchRoots& roots) {
  SearchFolders folders(roots);
  folders.keepOnly([&](const std::string& folder) {
    for (const auto& root : {roots.home, roots.system}) {
      if (root && paths::isWithin(folder, *root)) return fileSystem.resolvesBeneath(*root, folder);
    }
    return false;
  });
  return folders;
}

// One run of the search over one record.
class SearchRun {
 public:
  SearchRun(const FileSystem& fileSystem, const SearchVariant& variant, ApplicationItem& item,
            const SearchRoots& roots, SearchProgress* progress)
      : fileSystem_(fileSystem),
        variant_(variant),
        item_(item),
        folders_(reachableFolders(fileSystem, roots)),
        policy_(roots),
        progress_(progress) {}

  void execute();

 private:
  // A name test: the listed entry and its folded name.
  using Test = std::function<bool(const DirEntry&, const text::Folded&)>;

  void setStep(int step) {
    if (progress_) progress_->step = step;
  }
  void addHeaderIfPending(RemainderGroup group) {
    auto& pending = headerPending_[static_cast<std::size_t>(group)];
    if (!pending) return;
    pending = false;
    item_.files.push_back(RemainderEntry::header(group));
  }
  void accept(std::string_view path) {
    item_.files.push_back(RemainderEntry::fileLocation(std::string(path)));
  }

  // Lists `folder`, and for every entry that passes `test` and may be listed:
  // adds the group's header when pending (unless `group` is nothing), then
  // takes the entry when `rule` agrees.
  void scan(const SearchFolders::Folder& folder, Listing listing,
            std::optional<RemainderGroup> group, const Test& test, const Test& rule);
  void scan(const SearchFolders::Folder& folder, Listing listing, RemainderGroup group,
            const Test& test) {
    scan(folder, listing, group, test, [](const DirEntry&, const text::Folded&) { return true; });
  }

  // Takes a name containing "pro" only for an edition whose bundle name has it too.
  Test proRule() const {
    return [this](const DirEntry&, const text::Folded& name) {
      return !pro_.in(name) || editionIsPro_;
    };
  }

  // The label as names are matched against it: nothing when it is only the
  // first piece of a dotted bundle name and the variant ignores such pieces.
  std::optional<std::string> labelToMatch() const {
    if (variant_.ignoreLabelFragments) {
      std::string_view name = paths::lastComponent(item_.url);
      std::string_view extension = paths::extension(name);
      if (!extension.empty()) name.remove_suffix(extension.size() + 1);
      if (name.size() > item_.label.size() && name.starts_with(item_.label) &&
          name[item_.label.size()] == '.') {
        return std::nullopt;
      }
    }
    return item_.label;
  }

  void enclosingFolder();
  void applicationSupport();
  void loginItems();
  void sizeStep();

  const FileSystem& fileSystem_;
  const SearchVariant& variant_;
  ApplicationItem& item_;
  const SearchFolders folders_;  // only those reached without leaving their grant
  const SafetyPolicy policy_;
  SearchProgress* progress_;
  TestMemo memo_;
  Needles needles_;
  MatchingKeys keys_;
  const Needle pro_{std::string("pro")};
  const Needle plus_{std::string("plus")};
  bool editionIsPro_ = false;
  std::array<bool, 8> headerPending_{};
};

void SearchRun::scan(const SearchFolders::Folder& folder, Listing listing,
                     std::optional<RemainderGroup> group, const Test& test, const Test& rule) {
  if (!folder) return;
  text::Folded name;  // one buffer for every name of the listing
  auto visit = [&](const DirEntry& entry) {
    if (progress_) progress_->entriesVisited.fetch_add(1, std::memory_order_relaxed);
    memo_.forget();
    text::refold(entry.name, name);
    if (!test(entry, name) || !policy_.mayList(std::string(entry.path))) return Visit::Continue;
    if (group) addHeaderIfPending(*group);
    if (rule(entry, name)) accept(entry.path);
    return Visit::Continue;
  };
  switch (listing) {
    case Listing::Shallow:
      fileSystem_.listShallow(*folder, visit);
      break;
    case Listing::DeepSkippingPackages:
      fileSystem_.listDeep(*folder, Packages::Skip, EntrySizes::Skip, visit);
      break;
    case Listing::Deep:
      fileSystem_.listDeep(*folder, Packages::Enter, EntrySizes::Skip, visit);
      break;
  }
}

void SearchRun::execute() {
  item_.files.clear();
  headerPending_.fill(true);
  keys_ = deriveMatchingKeys(item_);
  needles_ = {Needle(item_.bundle, &memo_),           Needle(item_.bundle_name, &memo_),
              Needle(item_.bundle_name_info, &memo_), Needle(item_.label_name, &memo_),
              Needle(labelToMatch(), &memo_),         Needle(item_.executable_info, &memo_),
              Needle(item_.company_name, &memo_),     Needle(keys_.capitalizedCompany, &memo_),
              Needle(keys_.lettersOnlyLabel, &memo_)};
  editionIsPro_ = pro_.in(text::fold(item_.bundle_name.value_or("")));
  const Needles& n = needles_;
  using G = RemainderGroup;
  using E = const DirEntry&;
  using F = const text::Folded&;

  setStep(1);
  if (variant_.bundleHeadsList) {
    addHeaderIfPending(G::Executables);
    accept(item_.url);
  }
  setStep(2);
  scan(
      folders_.preferences, Listing::Shallow, G::Preferences,
      [&](E, F name) { return n.bundle.in(name) || n.bundleNameInfo.in(name); }, proRule());
  setStep(3);
  if (variant_.enclosingFolder) enclosingFolder();
  setStep(4);
  applicationSupport();
  if (variant_.sharedAndSystemSupport) {
    setStep(5);
    scan(folders_.shared, Listing::Shallow, G::Supportfiles, [&](E, F name) {
      return n.bundleNameInfo.in(name) || n.label.in(name) || n.bundle.in(name);
    });
    setStep(6);
    scan(folders_.systemApplicationSupport, Listing::Shallow, G::Supportfiles, [&](E, F name) {
      return n.bundleNameInfo.in(name) || n.label.in(name) || n.bundle.in(name) ||
             n.company.in(name);
    });
  }
  setStep(7);
  scan(
      folders_.containers, Listing::Shallow, G::Supportfiles,
      [&](E, F name) { return n.bundle.in(name); }, proRule());
  setStep(8);
  scan(folders_.savedApplicationState, Listing::Shallow, G::Supportfiles,
       [&](E, F name) { return n.bundle.in(name); });
  setStep(9);
  scan(folders_.caches, Listing::Shallow, G::Supportfiles, [&](E entry, F name) {
    return n.bundle.in(name) || n.capitalizedCompany.equals(entry.name) ||
           (variant_.cachesLabelTest && n.label.equals(entry.name));
  });
  setStep(10);
  scan(folders_.cookies, Listing::Shallow, G::Supportfiles,
       [&](E, F name) { return n.bundle.in(name); });
  setStep(11);
  scan(
      folders_.applicationScripts, Listing::Shallow, G::Supportfiles,
      [&](E, F name) { return n.bundle.in(name); }, proRule());
  setStep(12);
  scan(folders_.helpd, Listing::Deep, G::Supportfiles,
       [&](E, F name) { return n.bundle.in(name) || n.bundleName.in(name); });
  setStep(13);
  scan(folders_.groupContainers, Listing::Shallow, G::Supportfiles, [&](E, F name) {
    return n.bundleName.in(name) || n.bundleNameInfo.in(name) || n.lettersOnlyLabel.in(name);
  });
  setStep(14);
  scan(folders_.library, Listing::Shallow, G::Supportfiles, [&](E entry, F name) {
    return n.capitalizedCompany.equals(entry.name) || n.bundleNameInfo.in(name) ||
           n.bundleName.equals(entry.name);
  });
  setStep(15);
  // The developer tools keep their data in one folder of the library, listed
  // whether or not it exists yet.
  if (item_.bundle == "com.apple.dt.Xcode" && folders_.library) {
    accept(paths::append(*folders_.library, "Developer"));
  }
  setStep(16);
  if (variant_.loginItems) loginItems();

  auto bundleOrName = [&](E, F name) { return n.bundle.in(name) || n.bundleName.in(name); };
  setStep(17);
  scan(folders_.launchAgents, Listing::Shallow, G::LauchAgents, bundleOrName);
  setStep(18);
  scan(folders_.systemLaunchAgents, Listing::Shallow, G::LauchAgents, bundleOrName);
  setStep(19);
  scan(folders_.systemLaunchDaemons, Listing::Shallow, G::LauchAgents, bundleOrName);
  setStep(20);
  scan(folders_.privilegedTools, Listing::Shallow, G::LauchAgents,
       [&](E, F name) { return n.bundle.in(name); });

  auto logName = [&](E entry, F name) {
    return n.label.in(name) || n.bundleName.equals(entry.name) || n.bundleNameInfo.in(name) ||
           n.executable.in(name) || n.labelName.in(name) || n.bundle.in(name);
  };
  setStep(21);
  // The Creative Suite logs folder has a step of its own; nothing below it is
  // taken here, and it gets no header here.
  scan(folders_.logs, Listing::Deep, G::Logs, [&](E entry, F name) {
    return below(entry.path, *folders_.logs).find("CSXS") == std::string_view::npos &&
           logName(entry, name);
  });
  setStep(22);
  scan(folders_.crashReporter, Listing::Shallow, G::Logs, [&](E, F name) {
    return n.label.in(name) || n.bundleNameInfo.in(name) || n.executable.in(name);
  });
  setStep(23);
  scan(folders_.csxs, Listing::Shallow, G::Logs,
       [&](E, F name) { return n.company.in(name) || n.label.in(name); });
  setStep(24);
  scan(folders_.webKit, Listing::Shallow, G::Logs, [&](E, F name) { return n.bundle.in(name); });
  setStep(25);
  scan(folders_.systemLogs, Listing::Deep, G::Logs, logName);
  setStep(26);
  scan(folders_.addressBookPlugIns, Listing::Shallow, G::Plugins,
       [&](E, F name) { return n.bundleName.in(name) || n.label.in(name); });
  setStep(27);
  scan(folders_.services, Listing::Shallow, G::Plugins,
       [&](E, F name) { return n.bundleName.in(name) || n.label.in(name); });
  setStep(28);
  // Folders and extension-less files only: a document named like the
  // application is the user's, not a remainder.
  scan(folders_.desktop, Listing::Shallow, G::Desktop, [&](E entry, F name) {
    return (n.label.in(name) || n.bundleNameInfo.in(name)) && paths::extension(entry.name).empty();
  });
  auto otherName = [&](E, F name) {
    return n.bundle.in(name) || n.bundleNameInfo.in(name) || n.label.in(name);
  };
  setStep(29);
  scan(folders_.varFolders, Listing::Deep, G::Other, otherName, proRule());
  setStep(30);
  scan(folders_.varRun, Listing::Shallow, G::Other, otherName, proRule());
  setStep(31);
  scan(folders_.varDb, Listing::Deep, G::Other, otherName, proRule());
  setStep(32);
  sizeStep();
}

void SearchRun::enclosingFolder() {
  const std::string enclosing = paths::parent(item_.url);
  if (paths::lastComponent(enclosing) == "Applications") return;
  if (item_.url.find("Applications") == std::string::npos) return;
  // Only a folder named for the application: "Applications/Tool/Tool.app"
  // lists "Tool", while "Applications/Utilities/Terminal.app" lists nothing,
  // since deleting Utilities would take every other application in it.
  const text::Folded name = text::fold(paths::lastComponent(enclosing));
  memo_.forget();  // the answers kept are those of the last listed entry
  if (!needles_.label.in(name) && !needles_.bundleNameInfo.in(name)) return;
  if (!policy_.mayList(enclosing)) return;
  addHeaderIfPending(RemainderGroup::Supportfiles);
  accept(enclosing);
}

void SearchRun::applicationSupport() {
  const Needles& n = needles_;
  const auto& folder = folders_.applicationSupport;
  scan(
      folder, Listing::DeepSkippingPackages, RemainderGroup::Supportfiles,
      [&](const DirEntry& entry, const text::Folded& name) {
        return n.bundleNameInfo.in(name) || n.bundle.in(name) || n.labelName.in(name) ||
               n.bundleName.equals(entry.name) || n.label.in(name);
      },
      [&](const DirEntry& entry, const text::Folded& name) {
        // Crash reports have a step of their own.
        if (below(entry.path, *folder).find("CrashReporter") != std::string_view::npos) {
          return false;
        }
        if (n.label.in(name)) return labelNumberRuleAccepts(item_.label, entry.name);
        return true;
      });
}

void SearchRun::loginItems() {
  const std::string loginItemsFolder = paths::append(item_.url, "Contents/Library/LoginItems");
  if (!fileSystem_.exists(loginItemsFolder)) return;
  std::vector<std::string> bundles;
  fileSystem_.listShallow(loginItemsFolder, [&](const DirEntry& entry) {
    if (paths::extension(entry.name) == "app") bundles.emplace_back(entry.path);
    return Visit::Continue;
  });
  const MemorySettingsStore noSettings;
  const Application catalog(fileSystem_, noSettings);
  for (const std::string& path : bundles) {
    const ApplicationItem loginItem = catalog.application(path);
    // A helper whose identifier extends the application's is covered already.
    if (loginItem.bundle && item_.bundle &&
        loginItem.bundle->find(*item_.bundle) != std::string::npos) {
      continue;
    }
    const Needle bundle(loginItem.bundle);
    const Needle bundleName(loginItem.bundle_name);
    const text::Folded loginName = text::fold(loginItem.bundle_name.value_or(""));
    auto test = [&](const DirEntry&, const text::Folded& name) {
      return bundle.in(name) || bundleName.in(name);
    };
    // A "pro" or "plus" edition's files belong to the login item only when it
    // is that edition too.
    auto proPlusRule = [&](const DirEntry&, const text::Folded& name) {
      const bool namePro = pro_.in(name);
      const bool namePlus = plus_.in(name);
      if (!namePro && !namePlus) return true;
      return (namePro && pro_.in(loginName)) || (namePlus && plus_.in(loginName));
    };
    scan(folders_.containers, Listing::Shallow, std::nullopt, test, proPlusRule);
    scan(folders_.applicationScripts, Listing::Shallow, RemainderGroup::Supportfiles, test,
         proPlusRule);
  }
}

void SearchRun::sizeStep() {
  if (variant_.sizeStep == SizeStep::None) return;
  std::vector<std::string> locations;
  for (const RemainderEntry& entry : item_.files) {
    if (entry.isFileLocation()) locations.push_back(entry.text());
  }
  const std::vector<std::uint64_t> sizes = treeSizes(fileSystem_, locations);
  std::vector<SizeEntry> result;
  result.reserve(item_.files.size());
  std::uint64_t total = 0;
  std::size_t next = 0;
  for (const RemainderEntry& entry : item_.files) {
    if (entry.isFileLocation()) {
      total += sizes[next];
      result.emplace_back(sizes[next++]);
    } else {
      result.emplace_back(entry);
    }
  }
  item_.sizes = std::move(result);
  if (variant_.sizeStep == SizeStep::SizesAndTotal) item_.net_size = total;
}

}  // namespace

RemainderSearch::RemainderSearch(const FileSystem& fileSystem, const SearchVariant& variant)
    : fileSystem_(fileSystem), variant_(variant) {}

void RemainderSearch::run(ApplicationItem& item, const SearchRoots& roots,
                          SearchProgress* progress) const {
  SearchRun(fileSystem_, variant_, item, roots, progress).execute();
}

}  // namespace vimbrel

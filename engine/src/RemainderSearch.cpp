#include "engine/RemainderSearch.h"

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "engine/Application.h"
#include "engine/ClaimRule.h"
#include "engine/GenericValues.h"
#include "engine/InstalledApplicationIndex.h"
#include "engine/MatchingKeys.h"
#include "engine/NameRules.h"
#include "engine/RemovalTotal.h"
#include "engine/SafetyPolicy.h"
#include "engine/SearchFolders.h"
#include "engine/SearchPool.h"
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
  void forget() { answers().fill(kUnknown); }
  template <typename Compute>
  bool answer(std::size_t slot, Compute compute) {
    if (slot == kNone) return compute();
    auto& known = answers()[slot];
    if (known == kUnknown) known = compute() ? 1 : 0;
    return known == 1;
  }
  static constexpr std::size_t kNone = kSlots;

 private:
  static constexpr signed char kUnknown = -1;
  // The steps run on several threads at once, each visiting its own entries:
  // the answers belong to the entry this thread is visiting.
  static std::array<signed char, kSlots>& answers() {
    thread_local std::array<signed char, kSlots> answers{};
    return answers;
  }
  std::vector<text::Folded> values_;
};

// A record value that names are tested against, folded once per search.
// An absent or empty value matches nothing.
class Needle {
 public:
  Needle() = default;
  Needle(MatchedValue kind, const std::optional<std::string>& value, TestMemo* memo = nullptr)
      : kind_(kind) {
    // A value of digits only names nothing and matches nothing.
    if (!value || value->empty() || isDigitsOnly(*value)) return;
    present_ = true;
    raw_ = *value;
    folded_ = text::fold(*value);
    generic_ = isGenericValue(
        *value, kind == MatchedValue::BundleName ? ValueRole::BundleName : ValueRole::Any);
    if (memo) {
      memo_ = memo;
      slot_ = memo->slotFor(folded_);
    }
  }
  Needle(MatchedValue kind, const std::string& value, TestMemo* memo = nullptr)
      : Needle(kind, std::optional<std::string>(value), memo) {}

  bool present() const { return present_; }
  // Too short or too common to be looked for inside names (see isGenericValue).
  bool generic() const { return generic_; }
  MatchedValue kind() const { return kind_; }
  const std::string& raw() const { return raw_; }

  // Locale-aware, case- and diacritic-insensitive containment in a folded name.
  bool in(const text::Folded& name) const {
    if (!present_) return false;
    if (!memo_) return text::contains(name, folded_);
    return memo_->answer(slot_, [&] { return text::contains(name, folded_); });
  }
  // Exact, case-sensitive equality with a name.
  bool equals(std::string_view name) const { return present_ && name == raw_; }
  // Equality without regard to case and diacritics: a containment test of a
  // generic value narrowed to the whole name.
  bool foldedEquals(const text::Folded& name) const {
    return present_ && name.units() == folded_.units();
  }

 private:
  MatchedValue kind_ = MatchedValue::Location;
  bool present_ = false;
  bool generic_ = false;
  std::string raw_;
  text::Folded folded_;
  TestMemo* memo_ = nullptr;
  std::size_t slot_ = TestMemo::kNone;
};

struct Needles {
  Needle bundle, bundleName, bundleNameInfo, labelName, label, executable, company,
      capitalizedCompany, lettersOnlyLabel;
};

// One name test of a step: a record value and how names are compared with it.
enum class Compare { Contains, Equals };
struct Clause {
  const Needle* needle;
  Compare compare;
};
using Clauses = std::vector<Clause>;

Clause contains(const Needle& needle) { return {&needle, Compare::Contains}; }
Clause equals(const Needle& needle) { return {&needle, Compare::Equals}; }

// The first clause a name passes, or nothing. A generic value is only ever
// compared for equality, and only with the direct entries of the step's
// folder: deep down, a folder named "4" or "Helper" says nothing about whose it is.
const Clause* firstMatch(const Clauses& clauses, const DirEntry& entry, const text::Folded& name,
                         bool direct) {
  for (const Clause& clause : clauses) {
    const Needle& needle = *clause.needle;
    if (!needle.present()) continue;
    bool hit;
    if (needle.generic()) {
      hit = direct && (clause.compare == Compare::Contains ? needle.foldedEquals(name)
                                                           : needle.equals(entry.name));
    } else {
      hit = clause.compare == Compare::Contains ? needle.in(name) : needle.equals(entry.name);
    }
    if (hit) return &clause;
  }
  return nullptr;
}

// How a passed clause is reported: a generic value was compared for equality.
MatchTest testOf(const Clause& clause) {
  return clause.compare == Compare::Equals || clause.needle->generic() ? MatchTest::Equals
                                                                       : MatchTest::Contains;
}

enum class Listing {
  Shallow,
  DeepSkippingPackages,  // packages are taken as a whole, never entered
  Deep,
};

// Whether a path (or a part of one) contains a folder name, without regard to
// case and diacritics, as every name test does: "crashreporter" and
// "Applications" spelled "APPLICATIONS" are the same folders to the user.
bool pathContains(std::string_view path, std::string_view folderName) {
  return text::localizedStandardContains(path, folderName);
}

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
            const SearchRoots& roots, SearchProgress* progress, const SearchPool& pool)
      : fileSystem_(fileSystem),
        variant_(variant),
        item_(item),
        roots_(roots),
        folders_(reachableFolders(fileSystem, roots)),
        policy_(roots),
        progress_(progress),
        pool_(pool) {}

  void execute();

 private:
  // What one part of the search found, in order: the group headers it asked
  // for and the entries it took. Each listing of a step fills a part of its
  // own, on any thread of the pool; what the steps add without listing goes
  // into the part after the last listing. The parts are put into `files` in
  // step order, so the list is the same whatever ran where.
  using Found = std::variant<RemainderGroup, RemainderEntry>;
  struct Part {
    std::vector<Found> found;
    std::function<void()> listing;  // fills `found` (and `pieces`)
    bool deep = false;
    // A deep listing split for the pool: what lies below each sub-folder,
    // then what the listing found after it, and so on; after `found`.
    std::vector<std::unique_ptr<Part>> pieces;
  };
  // A test on a listed entry and its folded name, beyond the step's clauses.
  using Check = std::function<bool(const DirEntry&, const text::Folded&)>;

  void setStep(int step) {
    step_ = step;
    if (progress_) progress_->step = step;
  }
  void addHeaderIfPending(RemainderGroup group, Part* part = nullptr) {
    (part ? *part : parts_.back()).found.emplace_back(group);
  }
  void accept(std::string_view path, MatchEvidence evidence, Part* part = nullptr) {
    RemainderEntry entry = RemainderEntry::fileLocation(std::string(path));
    entry.setMatch(std::move(evidence));
    (part ? *part : parts_.back()).found.emplace_back(std::move(entry));
  }
  // Runs the listings of the parts on the pool, the deep ones first (they
  // are the long ones), then puts what they found into `files` in order.
  void collectParts();
  void putIntoFiles(Part& part);
  // Receives the pieces of a split deep listing into `part`; `into` is where
  // the listing puts what it finds next.
  template <typename VisitorInto>
  SubtreeSink piecesOf(Part& part, Part*& into, const VisitorInto& visitorInto);
  static constexpr std::size_t kSplitPieces = 4;

  // Lists `folder`, and for every entry that passes one of `clauses`, passes
  // `filter` (when given) and may be listed: adds the group's header when
  // pending (unless `group` is nothing), then takes the entry when `rule`
  // (when given) agrees. The evidence names the first clause passed, with the
  // test `reportedAs` when given.
  // The listing itself runs later, in collectParts, unless listNow_ is set.
  void scan(const SearchFolders::Folder& folder, Listing listing,
            std::optional<RemainderGroup> group, const Clauses& clauses, const Check& rule = {},
            const Check& filter = {}, std::optional<MatchTest> reportedAs = std::nullopt);
  void list(Part& part, int step, const SearchFolders::Folder& folder, Listing listing,
            std::optional<RemainderGroup> group, const Clauses& clauses, const Check& rule,
            const Check& filter, std::optional<MatchTest> reportedAs);

  // Takes a name containing "pro" only for an edition whose bundle name has it too.
  Check proRule() const {
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
  void sizeStep(const OwnershipRule& ownership);

  const FileSystem& fileSystem_;
  const SearchVariant& variant_;
  ApplicationItem& item_;
  const SearchRoots& roots_;
  const SearchFolders folders_;  // only those reached without leaving their grant
  const SafetyPolicy policy_;
  SearchProgress* progress_;
  const SearchPool& pool_;
  std::deque<Part> parts_;              // a deque: a part stays where it is while more are added
  SearchPool::Batch* batch_ = nullptr;  // while the listings run on several threads
  std::atomic<int> splitsLeft_{32};     // pieces that may be split again, per search
  bool listNow_ = false;                // scan lists at once (its clauses refer to locals)
  int step_ = 0;
  TestMemo memo_;
  Needles needles_;
  MatchingKeys keys_;
  const Needle pro_{MatchedValue::Label, std::string("pro")};
  const Needle plus_{MatchedValue::Label, std::string("plus")};
  bool editionIsPro_ = false;
  std::array<bool, 8> headerPending_{};
};

void SearchRun::scan(const SearchFolders::Folder& folder, Listing listing,
                     std::optional<RemainderGroup> group, const Clauses& clauses, const Check& rule,
                     const Check& filter, std::optional<MatchTest> reportedAs) {
  if (!folder) return;
  Part& part = parts_.back();
  part.deep = listing != Listing::Shallow;
  part.listing = [this, &part, step = step_, &folder, listing, group, clauses, rule, filter,
                  reportedAs] {
    if (progress_) progress_->step = step;
    list(part, step, folder, listing, group, clauses, rule, filter, reportedAs);
  };
  parts_.emplace_back();
  if (listNow_) std::exchange(part.listing, nullptr)();
}

void SearchRun::list(Part& part, int step, const SearchFolders::Folder& folder, Listing listing,
                     std::optional<RemainderGroup> group, const Clauses& clauses, const Check& rule,
                     const Check& filter, std::optional<MatchTest> reportedAs) {
  const std::size_t directLength = folder->size() + 1;
  // The visitor that puts what it takes into `*into`. It holds no reference
  // to this call's own variables: the pieces of a split listing use it after
  // this returns (the arguments are the part's listing's own, kept until the
  // parts are collected).
  auto visitorInto = [this, step, directLength, folder = &folder, group, clauses = &clauses,
                      rule = &rule, filter = &filter, reportedAs](Part** into) {
    return [=, this, name = text::Folded()](const DirEntry& entry) mutable {
      if (progress_) progress_->entriesVisited.fetch_add(1, std::memory_order_relaxed);
      memo_.forget();
      text::refold(entry.name, name);  // one buffer for every name of the listing
      const bool direct = entry.path.size() == directLength + entry.name.size();
      const Clause* matched = firstMatch(*clauses, entry, name, direct);
      if (!matched) return Visit::Continue;
      if (*filter && !(*filter)(entry, name)) return Visit::Continue;
      if (!policy_.mayList(std::string(entry.path))) return Visit::Continue;
      if (group) addHeaderIfPending(*group, *into);
      if (*rule && !(*rule)(entry, name)) return Visit::Continue;
      accept(entry.path,
             {step, **folder, matched->needle->kind(), matched->needle->raw(),
              reportedAs.value_or(testOf(*matched))},
             *into);
      return Visit::Continue;
    };
  };
  Part* into = &part;
  const EntryVisitor visit = visitorInto(&into);
  const Packages packages = listing == Listing::Deep ? Packages::Enter : Packages::Skip;
  if (listing == Listing::Shallow) {
    fileSystem_.listShallow(*folder, visit);
  } else if (!batch_) {
    fileSystem_.listDeep(*folder, packages, EntrySizes::Skip, visit);
  } else {
    fileSystem_.listDeepSplit(*folder, packages, EntrySizes::Skip, visit,
                              piecesOf(part, into, visitorInto));
  }
}

template <typename VisitorInto>
SubtreeSink SearchRun::piecesOf(Part& part, Part*& into, const VisitorInto& visitorInto) {
  // Each sub-folder's contents become a piece of the part, listed by the
  // pool; what the listing finds after it goes into the piece after that.
  // The first few pieces of a listing are split again, so that a folder that
  // holds everything in one sub-folder (var/folders/zz/...) is spread too;
  // a split keeps its folder open until its pieces start, so splits are few.
  return [this, &part, &into, visitorInto,
          handedOut = std::size_t{0}](std::unique_ptr<SubtreeListing> below) mutable {
    Part* piece = part.pieces.emplace_back(std::make_unique<Part>()).get();
    into = part.pieces.emplace_back(std::make_unique<Part>()).get();
    const bool split = handedOut++ < kSplitPieces && splitsLeft_.fetch_sub(1) > 0;
    batch_->add([this, piece, split, visitorInto,
                 below = std::shared_ptr<SubtreeListing>(std::move(below))] {
      Part* target = piece;
      if (split) {
        below->listSplit(visitorInto(&target), piecesOf(*piece, target, visitorInto));
      } else {
        below->list(visitorInto(&target));
      }
    });
  };
}

void SearchRun::collectParts() {
  SearchPool::Batch batch;
  // With one thread, deep listings are not split: the walk is the one-thread walk.
  if (pool_.jobs() > 1) batch_ = &batch;
  const bool deepFirst = pool_.jobs() > 1;
  for (const bool deep : {true, false}) {
    for (Part& part : parts_) {
      if (part.listing && (part.deep == deep || !deepFirst)) {
        batch.add([&part] { part.listing(); });
      }
    }
    if (!deepFirst) break;
  }
  pool_.run(batch);
  batch_ = nullptr;
  for (Part& part : parts_) putIntoFiles(part);
  parts_.clear();
}

void SearchRun::putIntoFiles(Part& part) {
  for (Found& found : part.found) {
    if (const auto* group = std::get_if<RemainderGroup>(&found)) {
      auto& pending = headerPending_[static_cast<std::size_t>(*group)];
      if (!pending) continue;
      pending = false;
      item_.files.push_back(RemainderEntry::header(*group));
    } else {
      item_.files.push_back(std::move(std::get<RemainderEntry>(found)));
    }
  }
  for (const auto& piece : part.pieces) putIntoFiles(*piece);
}

void SearchRun::execute() {
  item_.files.clear();
  headerPending_.fill(true);
  parts_.clear();
  parts_.emplace_back();
  keys_ = deriveMatchingKeys(item_);
  using V = MatchedValue;
  needles_ = {Needle(V::BundleIdentifier, item_.bundle, &memo_),
              Needle(V::BundleName, item_.bundle_name, &memo_),
              Needle(V::CFBundleName, item_.bundle_name_info, &memo_),
              Needle(V::LabelName, item_.label_name, &memo_),
              Needle(V::Label, labelToMatch(), &memo_),
              Needle(V::Executable, item_.executable_info, &memo_),
              Needle(V::Company, item_.company_name, &memo_),
              Needle(V::CapitalizedCompany, keys_.capitalizedCompany, &memo_),
              Needle(V::LettersOnlyLabel, keys_.lettersOnlyLabel, &memo_)};
  editionIsPro_ = pro_.in(text::fold(item_.bundle_name.value_or("")));
  const Needles& n = needles_;
  using G = RemainderGroup;
  using E = const DirEntry&;
  using F = const text::Folded&;

  setStep(1);
  if (variant_.bundleHeadsList) {
    addHeaderIfPending(G::Executables);
    accept(item_.url,
           {1, paths::parent(item_.url), V::Location, item_.url, MatchTest::Application});
  }
  setStep(2);
  scan(folders_.preferences, Listing::Shallow, G::Preferences,
       {contains(n.bundle), contains(n.bundleNameInfo)}, proRule());
  setStep(3);
  if (variant_.enclosingFolder) enclosingFolder();
  setStep(4);
  applicationSupport();
  if (variant_.sharedAndSystemSupport) {
    setStep(5);
    scan(folders_.shared, Listing::Shallow, G::Supportfiles,
         {contains(n.bundleNameInfo), contains(n.label), contains(n.bundle)});
    setStep(6);
    scan(folders_.systemApplicationSupport, Listing::Shallow, G::Supportfiles,
         {contains(n.bundleNameInfo), contains(n.label), contains(n.bundle), contains(n.company)});
  }
  setStep(7);
  scan(folders_.containers, Listing::Shallow, G::Supportfiles, {contains(n.bundle)}, proRule());
  setStep(8);
  scan(folders_.savedApplicationState, Listing::Shallow, G::Supportfiles, {contains(n.bundle)});
  setStep(9);
  Clauses cachesClauses{contains(n.bundle), equals(n.capitalizedCompany)};
  if (variant_.cachesLabelTest) cachesClauses.push_back(equals(n.label));
  scan(folders_.caches, Listing::Shallow, G::Supportfiles, cachesClauses);
  setStep(10);
  scan(folders_.cookies, Listing::Shallow, G::Supportfiles, {contains(n.bundle)});
  setStep(11);
  scan(folders_.applicationScripts, Listing::Shallow, G::Supportfiles, {contains(n.bundle)},
       proRule());
  setStep(12);
  scan(folders_.helpd, Listing::Deep, G::Supportfiles,
       {contains(n.bundle), contains(n.bundleName)});
  setStep(13);
  scan(folders_.groupContainers, Listing::Shallow, G::Supportfiles,
       {contains(n.bundleName), contains(n.bundleNameInfo), contains(n.lettersOnlyLabel)});
  setStep(14);
  scan(folders_.library, Listing::Shallow, G::Supportfiles,
       {equals(n.capitalizedCompany), contains(n.bundleNameInfo), equals(n.bundleName)});
  setStep(15);
  // The developer tools keep their data in one folder of the library, listed
  // whether or not it exists yet.
  static constexpr const char* kDeveloperTools = "com.apple.dt.Xcode";
  if (item_.bundle == kDeveloperTools && folders_.library) {
    accept(paths::append(*folders_.library, "Developer"),
           {15, *folders_.library, V::BundleIdentifier, kDeveloperTools, MatchTest::Equals});
  }
  setStep(16);
  if (variant_.loginItems) {
    listNow_ = true;
    loginItems();
    listNow_ = false;
  }

  const Clauses bundleOrName{contains(n.bundle), contains(n.bundleName)};
  setStep(17);
  scan(folders_.launchAgents, Listing::Shallow, G::LauchAgents, bundleOrName);
  setStep(18);
  scan(folders_.systemLaunchAgents, Listing::Shallow, G::LauchAgents, bundleOrName);
  setStep(19);
  scan(folders_.systemLaunchDaemons, Listing::Shallow, G::LauchAgents, bundleOrName);
  setStep(20);
  scan(folders_.privilegedTools, Listing::Shallow, G::LauchAgents, {contains(n.bundle)});

  const Clauses logClauses{contains(n.label),          equals(n.bundleName),
                           contains(n.bundleNameInfo), contains(n.executable),
                           contains(n.labelName),      contains(n.bundle)};
  setStep(21);
  // The Creative Suite logs folder has a step of its own; nothing below it is
  // taken here, and it gets no header here.
  scan(folders_.logs, Listing::Deep, G::Logs, logClauses, {},
       [&](E entry, F) { return !pathContains(below(entry.path, *folders_.logs), "CSXS"); });
  setStep(22);
  scan(folders_.crashReporter, Listing::Shallow, G::Logs,
       {contains(n.label), contains(n.bundleNameInfo), contains(n.executable)});
  setStep(23);
  scan(folders_.csxs, Listing::Shallow, G::Logs, {contains(n.company), contains(n.label)});
  setStep(24);
  scan(folders_.webKit, Listing::Shallow, G::Logs, {contains(n.bundle)});
  setStep(25);
  scan(folders_.systemLogs, Listing::Deep, G::Logs, logClauses);
  setStep(26);
  scan(folders_.addressBookPlugIns, Listing::Shallow, G::Plugins,
       {contains(n.bundleName), contains(n.label)});
  setStep(27);
  scan(folders_.services, Listing::Shallow, G::Plugins,
       {contains(n.bundleName), contains(n.label)});
  setStep(28);
  // Folders and extension-less files only: a document named like the
  // application is the user's, not a remainder.
  scan(folders_.desktop, Listing::Shallow, G::Desktop,
       {contains(n.label), contains(n.bundleNameInfo)}, {},
       [](E entry, F) { return paths::extension(entry.name).empty(); });
  const Clauses otherClauses{contains(n.bundle), contains(n.bundleNameInfo), contains(n.label)};
  setStep(29);
  scan(folders_.varFolders, Listing::Deep, G::Other, otherClauses, proRule());
  setStep(30);
  scan(folders_.varRun, Listing::Shallow, G::Other, otherClauses, proRule());
  setStep(31);
  scan(folders_.varDb, Listing::Deep, G::Other,
       {contains(n.label), contains(n.bundle), contains(n.bundleNameInfo)}, proRule());
  collectParts();
  setStep(32);
  // Whose each entry is, among all installed applications: what another
  // owns, or what two share, is shown but kept.
  const OwnershipRule ownership(item_,
                                InstalledApplicationIndex::shared().refresh(fileSystem_, roots_));
  ownership.decide(item_.files, fileSystem_, policy_);
  sizeStep(ownership);
}

void SearchRun::enclosingFolder() {
  const std::string enclosing = paths::parent(item_.url);
  if (paths::lastComponent(enclosing) == "Applications") return;
  if (!pathContains(item_.url, "Applications")) return;
  // Only a folder named for the application: "Applications/Tool/Tool.app"
  // lists "Tool", while "Applications/Utilities/Terminal.app" lists nothing,
  // since deleting Utilities would take every other application in it.
  const std::string_view folderName = paths::lastComponent(enclosing);
  const std::optional<std::string> label = labelToMatch();
  const bool byLabel = label && isOwnEnclosingFolderName(folderName, *label, {});
  if (!byLabel && !isOwnEnclosingFolderName(folderName, {}, item_.bundle_name_info)) return;
  if (!policy_.mayList(enclosing)) return;
  addHeaderIfPending(RemainderGroup::Supportfiles);
  accept(enclosing,
         {3, paths::parent(enclosing), byLabel ? MatchedValue::Label : MatchedValue::CFBundleName,
          byLabel ? *label : item_.bundle_name_info, MatchTest::EnclosingFolder});
}

void SearchRun::applicationSupport() {
  const Needles& n = needles_;
  const auto& folder = folders_.applicationSupport;
  scan(folder, Listing::DeepSkippingPackages, RemainderGroup::Supportfiles,
       {contains(n.bundleNameInfo), contains(n.bundle), contains(n.labelName), equals(n.bundleName),
        contains(n.label)},
       [&](const DirEntry& entry, const text::Folded& name) {
         // Crash reports have a step of their own.
         if (pathContains(below(entry.path, *folder), "CrashReporter")) return false;
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
        text::localizedStandardContains(*loginItem.bundle, *item_.bundle)) {
      continue;
    }
    const Needle bundle(MatchedValue::BundleIdentifier, loginItem.bundle);
    const Needle bundleName(MatchedValue::BundleName, loginItem.bundle_name);
    const text::Folded loginName = text::fold(loginItem.bundle_name.value_or(""));
    const Clauses clauses{contains(bundle), contains(bundleName)};
    // A "pro" or "plus" edition's files belong to the login item only when it
    // is that edition too.
    auto proPlusRule = [&](const DirEntry&, const text::Folded& name) {
      const bool namePro = pro_.in(name);
      const bool namePlus = plus_.in(name);
      if (!namePro && !namePlus) return true;
      return (namePro && pro_.in(loginName)) || (namePlus && plus_.in(loginName));
    };
    scan(folders_.containers, Listing::Shallow, std::nullopt, clauses, proPlusRule, {},
         MatchTest::LoginItem);
    scan(folders_.applicationScripts, Listing::Shallow, RemainderGroup::Supportfiles, clauses,
         proPlusRule, {}, MatchTest::LoginItem);
  }
}

void SearchRun::sizeStep(const OwnershipRule& ownership) {
  std::vector<std::string> locations;
  for (const RemainderEntry& entry : item_.files) {
    if (entry.isFileLocation()) locations.push_back(entry.text());
  }
  // The size walk also finds the application bundles inside listed folders:
  // a folder holding another application's bundle is kept, and sizes are
  // needed for that whether or not the variant shows them.
  TreeContents contents = treeContents(fileSystem_, locations, pool_.jobs());
  const std::vector<std::size_t> inserted =
      ownership.keepBundleHolders(item_.files, contents.bundles, fileSystem_, policy_);
  ownership.spreadKeeping(item_.files);
  if (variant_.sizeStep == SizeStep::None) return;
  std::vector<std::uint64_t> sizes;
  if (inserted.empty()) {
    sizes = std::move(contents.sizes);
  } else {
    // Entries listed in a kept folder's place: the walk counted them inside it.
    locations.clear();
    for (const RemainderEntry& entry : item_.files) {
      if (entry.isFileLocation()) locations.push_back(entry.text());
    }
    sizes = treeSizes(fileSystem_, locations, pool_.jobs());
  }
  std::vector<SizeEntry> result;
  result.reserve(item_.files.size());
  std::size_t next = 0;
  for (const RemainderEntry& entry : item_.files) {
    if (entry.isFileLocation()) {
      result.emplace_back(sizes[next++]);
    } else {
      result.emplace_back(entry);
    }
  }
  item_.sizes = std::move(result);
  // Everything found is taken; each byte is counted once, and what another
  // application owns is kept and not counted.
  if (variant_.sizeStep == SizeStep::SizesAndTotal) {
    item_.net_size = chosenTotal(item_.files, item_.sizes);
  }
}

}  // namespace

RemainderSearch::RemainderSearch(const FileSystem& fileSystem, const SearchVariant& variant,
                                 int jobs)
    : fileSystem_(fileSystem), variant_(variant), pool_(jobs) {}

void RemainderSearch::run(ApplicationItem& item, const SearchRoots& roots,
                          SearchProgress* progress) const {
  SearchRun(fileSystem_, variant_, item, roots, progress, pool_).execute();
}

}  // namespace vimbrel

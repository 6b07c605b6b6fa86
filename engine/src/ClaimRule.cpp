#include "engine/ClaimRule.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/GenericValues.h"
#include "engine/NameRules.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"

namespace vimbrel {

namespace {

using Candidate = OwnershipRule::Candidate;
using Value = OwnershipRule::Value;

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) {
             return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
           };
           return lower(x) == lower(y);
         });
}

// "com.example.Tool.helper" extends "com.example.Tool"; case is ignored.
bool extendsIdentifier(std::string_view identifier, std::string_view base) {
  return identifier.size() > base.size() + 1 && identifier[base.size()] == '.' &&
         equalIgnoringCase(identifier.substr(0, base.size()), base);
}

void addValue(Candidate& candidate, const std::optional<std::string>& value, MatchedValue kind,
              bool product = true) {
  // "empty_string" stands in for a value the bundle does not have; a value
  // of digits only names nothing.
  if (!value || value->empty() || *value == "empty_string" || isDigitsOnly(*value)) return;
  Value entry;
  entry.folded = text::fold(*value);
  if (entry.folded.empty()) return;
  for (const Value& known : candidate.values) {
    if (known.folded.units() == entry.folded.units() && known.product == product) return;
  }
  entry.raw = *value;
  entry.kind = kind;
  entry.product = product;
  entry.generic = isGenericValue(
      *value, kind == MatchedValue::BundleName ? ValueRole::BundleName : ValueRole::Any);
  candidate.values.push_back(std::move(entry));
}

void addBundleValues(Candidate& candidate, const InstalledBundle& bundle) {
  using V = MatchedValue;
  addValue(candidate, bundle.label, V::Label);
  addValue(candidate, bundle.identifier, V::BundleIdentifier);
  addValue(candidate, bundle.name, V::CFBundleName);
  if (bundle.name) {
    std::string labelName = *bundle.name;
    std::replace(labelName.begin(), labelName.end(), ' ', '_');
    addValue(candidate, labelName, V::LabelName);
  }
  addValue(candidate, bundle.bundleName(), V::BundleName);
  addValue(candidate, bundle.executable, V::Executable);
  addValue(candidate, bundle.company(), V::Company, false);
}

// One candidate's evidence on one path component.
struct Evidence {
  EvidenceStrength strength = EvidenceStrength::None;
  const Value* value = nullptr;
};

// The name without its last extension ("com.example.Tool.plist" →
// "com.example.Tool"), folded, for equality with a value.
text::Folded stem(std::string_view component) {
  const std::string_view extension = paths::extension(component);
  if (extension.empty() || extension.size() + 1 >= component.size()) return text::fold(component);
  return text::fold(component.substr(0, component.size() - extension.size() - 1));
}

Evidence evidenceOf(const Candidate& candidate, const text::Folded& component,
                    const text::Folded& componentStem) {
  Evidence best;
  for (const Value& value : candidate.values) {
    const bool equal =
        value.folded.units() == component.units() || value.folded.units() == componentStem.units();
    if (!equal && (value.generic || !text::contains(component, value.folded))) continue;
    const bool product = value.product && !value.shared;
    const EvidenceStrength strength = !product ? EvidenceStrength::Vendor
                                      : equal  ? EvidenceStrength::Equals
                                               : EvidenceStrength::Contains;
    if (strength > best.strength ||
        (strength == best.strength &&
         value.folded.units().size() > best.value->folded.units().size())) {
      best = {strength, &value};
    }
  }
  return best;
}

// A beats B: stronger evidence, or a longer value of the same strength that
// contains B's ("com.example.Toolbox" beats "com.example.Tool"). Two values
// of which neither contains the other tie, whatever their lengths.
bool beats(const Evidence& a, const Evidence& b) {
  if (a.strength != b.strength) return a.strength > b.strength;
  if (a.strength == EvidenceStrength::None) return false;
  return a.value->folded.units().size() > b.value->folded.units().size() &&
         text::contains(a.value->folded, b.value->folded);
}

// The candidates of `among` not beaten on `component` by another of them,
// with everyone's evidence; `among` unchanged when nobody has any.
std::vector<std::size_t> strongest(const std::vector<Candidate>& candidates,
                                   const std::vector<std::size_t>& among,
                                   std::string_view component, std::vector<Evidence>& evidence,
                                   EvidenceStrength atLeast = EvidenceStrength::Vendor) {
  const text::Folded folded = text::fold(component);
  const text::Folded folderStem = stem(component);
  evidence.assign(candidates.size(), Evidence{});
  bool any = false;
  for (std::size_t c : among) {
    evidence[c] = evidenceOf(candidates[c], folded, folderStem);
    if (evidence[c].strength < atLeast) evidence[c] = Evidence{};
    any = any || evidence[c].strength != EvidenceStrength::None;
  }
  if (!any) return among;
  std::vector<std::size_t> winners;
  for (std::size_t c : among) {
    if (evidence[c].strength == EvidenceStrength::None) continue;
    const bool beaten = std::any_of(among.begin(), among.end(), [&](std::size_t other) {
      return other != c && beats(evidence[other], evidence[c]);
    });
    if (!beaten) winners.push_back(c);
  }
  return winners;
}

// The decision once the candidates left are known.
OwnershipDecision decisionFor(const std::vector<Candidate>& candidates,
                              const std::vector<std::size_t>& winners,
                              const std::vector<Evidence>& evidence, std::string_view component) {
  OwnershipDecision decision;
  decision.component = std::string(component);
  if (!evidence.empty()) {
    decision.strength = evidence[0].strength;
    if (evidence[0].value) decision.value = evidence[0].value->raw;
    for (std::size_t c = 1; c < candidates.size(); ++c) {
      if (evidence[c].strength == EvidenceStrength::None) continue;
      decision.others.push_back(
          {candidates[c].label, evidence[c].strength, evidence[c].value->raw});
    }
  }
  const bool reviewedWins = std::find(winners.begin(), winners.end(), 0) != winners.end();
  if (reviewedWins && winners.size() == 1) {
    decision.kind = Ownership::Own;
  } else {
    decision.kind = reviewedWins ? Ownership::Shared : Ownership::Claimed;
  }
  return decision;
}

// The labels an entry kept by `decision` among `winners` is kept for.
std::vector<std::string> keptFor(const std::vector<Candidate>& candidates,
                                 const std::vector<std::size_t>& winners) {
  std::vector<std::string> labels;
  for (std::size_t c : winners) {
    if (c != 0 && std::find(labels.begin(), labels.end(), candidates[c].label) == labels.end()) {
      labels.push_back(candidates[c].label);
    }
  }
  return labels;
}

std::vector<std::string_view> components(std::string_view part) {
  std::vector<std::string_view> result;
  while (!part.empty()) {
    const std::size_t slash = part.find('/');
    if (slash != 0) result.push_back(part.substr(0, slash));
    if (slash == std::string_view::npos) break;
    part.remove_prefix(slash + 1);
  }
  return result;
}

// The part of an entry's path that its name tests saw: the path below the
// folder its step listed.
std::string_view judgedPart(const RemainderEntry& entry) {
  const std::string& path = entry.text();
  if (entry.match()) {
    const std::string& folder = entry.match()->folder;
    if (folder != "/" && path.size() > folder.size() + 1 && paths::isWithin(path, folder)) {
      return std::string_view(path).substr(folder.size() + 1);
    }
  }
  return paths::lastComponent(path);
}

bool isKept(const OwnershipDecision& decision) { return decision.kind != Ownership::Own; }

void keep(RemainderEntry& entry, const OwnershipDecision& decision,
          const std::vector<std::string>& labels) {
  for (const std::string& label : labels) entry.addClaim(label);
  entry.setOwnership(decision);
}

}  // namespace

OwnershipRule::OwnershipRule(const ApplicationItem& item,
                             const std::vector<InstalledBundle>& installed)
    : self_(paths::normalize(item.url)), identifier_(item.bundle) {
  // The reviewed application, with the values its search matched names with.
  Candidate reviewed{item.label, {}};
  using V = MatchedValue;
  addValue(reviewed, item.label, V::Label);
  addValue(reviewed, item.bundle, V::BundleIdentifier);
  addValue(reviewed, item.bundle_name_info, V::CFBundleName);
  addValue(reviewed, item.label_name, V::LabelName);
  addValue(reviewed, item.bundle_name, V::BundleName);
  addValue(reviewed, item.executable_info, V::Executable);
  addValue(reviewed, item.company_name, V::Company, false);
  candidates_.push_back(std::move(reviewed));

  // The reviewed bundle by device and inode, a dropped path resolved first.
  const std::optional<PathStamp> selfStamp = stampOf(self_, true);
  const std::optional<std::string> enclosing =
      isOwnEnclosingFolderName(paths::lastComponent(paths::parent(self_)), item.label,
                               item.bundle_name_info)
          ? std::optional<std::string>(paths::parent(self_))
          : std::nullopt;
  std::map<std::string, std::size_t> candidateOf;  // bundle path → candidate
  for (const InstalledBundle& bundle : installed) {
    std::size_t into;
    const bool isSelf = selfStamp && bundle.identity.device == selfStamp->device &&
                        bundle.identity.inode == selfStamp->inode;
    if (isSelf || bundle.path == self_) {
      into = 0;
    } else if (!bundle.outer.empty() && candidateOf.count(bundle.outer)) {
      // A helper inside another bundle speaks for its outer application.
      into = candidateOf[bundle.outer];
    } else if (item.bundle && bundle.identifier &&
               extendsIdentifier(*bundle.identifier, *item.bundle) && enclosing &&
               paths::isWithin(bundle.path, *enclosing)) {
      // The application's own helper installed beside it.
      into = 0;
    } else {
      candidates_.push_back({bundle.label, {}});
      into = candidates_.size() - 1;
    }
    candidateOf[bundle.path] = into;
    if (into != 0) addBundleValues(candidates_[into], bundle);
  }

  // Values of two candidates decide nothing between them.
  std::map<std::u16string, std::set<std::size_t>> owners;
  for (std::size_t c = 0; c < candidates_.size(); ++c) {
    for (const Value& value : candidates_[c].values) owners[value.folded.units()].insert(c);
  }
  for (Candidate& candidate : candidates_) {
    for (Value& value : candidate.values) value.shared = owners[value.folded.units()].size() > 1;
  }
}

OwnershipDecision OwnershipRule::judge(std::string_view part,
                                       std::vector<std::string>* keptLabels) const {
  std::vector<std::size_t> among(candidates_.size());
  for (std::size_t c = 0; c < among.size(); ++c) among[c] = c;
  std::vector<Evidence> evidence;
  std::vector<Evidence> deciding;
  std::string_view decidingComponent;
  for (std::string_view component : components(part)) {
    std::vector<std::size_t> left = strongest(candidates_, among, component, evidence);
    const bool anyEvidence = std::any_of(evidence.begin(), evidence.end(), [](const Evidence& e) {
      return e.strength != EvidenceStrength::None;
    });
    if (!anyEvidence) continue;
    among = std::move(left);
    deciding = evidence;
    decidingComponent = component;
    if (among.size() == 1) break;
  }
  // Nobody's values are in the path: it was listed by the reviewed
  // application's own search alone.
  if (deciding.empty()) {
    OwnershipDecision own;
    own.component = std::string(paths::lastComponent(part));
    return own;
  }
  if (keptLabels) *keptLabels = keptFor(candidates_, among);
  return decisionFor(candidates_, among, deciding, decidingComponent);
}

// A direct entry of a folder listed on vendor evidence: only product
// evidence on its own name outweighs the folder's vendor evidence, so an
// entry named only with the vendor, or by nobody, goes with the folder; but
// an entry that another application's values name, and the reviewed
// application's do not, is never the reviewed application's.
OwnershipDecision OwnershipRule::judgeChild(std::string_view name, const OwnershipDecision& folder,
                                            const std::vector<std::string>& folderLabels,
                                            std::vector<std::string>* keptLabels) const {
  std::vector<std::size_t> all(candidates_.size());
  for (std::size_t c = 0; c < all.size(); ++c) all[c] = c;
  std::vector<Evidence> evidence;
  const std::vector<std::size_t> winners = strongest(candidates_, all, name, evidence);
  EvidenceStrength strongestSeen = EvidenceStrength::None;
  for (const Evidence& each : evidence) strongestSeen = std::max(strongestSeen, each.strength);
  const bool withFolder =
      strongestSeen == EvidenceStrength::None || (strongestSeen == EvidenceStrength::Vendor &&
                                                  evidence[0].strength == EvidenceStrength::Vendor);
  if (withFolder) {
    if (keptLabels) *keptLabels = folderLabels;
    OwnershipDecision same = folder;
    same.component = std::string(name);
    same.strength = EvidenceStrength::None;
    same.value.clear();
    same.others.clear();
    return same;
  }
  if (keptLabels) *keptLabels = keptFor(candidates_, winners);
  return decisionFor(candidates_, winners, evidence, name);
}

void OwnershipRule::decide(std::vector<RemainderEntry>& files, const FileSystem& fileSystem,
                           const SafetyPolicy& policy) const {
  std::set<std::string> listed;
  for (const RemainderEntry& entry : files) {
    if (entry.isFileLocation()) listed.insert(paths::normalize(entry.text()));
  }
  std::vector<RemainderEntry> result;
  result.reserve(files.size());
  for (RemainderEntry& entry : files) {
    if (!entry.isFileLocation() || paths::normalize(entry.text()) == self_) {
      result.push_back(std::move(entry));
      continue;
    }
    const std::string path = paths::normalize(entry.text());
    // The labels of the candidates left with the strongest evidence.
    std::vector<std::string> labels;
    OwnershipDecision decision = judge(judgedPart(entry), &labels);
    if (!isKept(decision)) {
      entry.setOwnership(decision);
    } else {
      keep(entry, decision, labels);
    }
    const bool vendorFolder = decision.strength == EvidenceStrength::Vendor &&
                              decision.kind != Ownership::Claimed && fileSystem.isFolder(path);
    if (!vendorFolder) {
      result.push_back(std::move(entry));
      continue;
    }
    // A vendor's folder: whose is each entry in it?
    struct Child {
      std::string path;
      OwnershipDecision decision;
      std::vector<std::string> labels;
    };
    std::vector<Child> children;
    fileSystem.listShallow(path, [&](const DirEntry& child) {
      Child judged{std::string(child.path), {}, {}};
      judged.decision = judgeChild(child.name, decision, labels, &judged.labels);
      children.push_back(std::move(judged));
      return Visit::Continue;
    });
    std::vector<std::string> holders;
    for (const Child& child : children) {
      if (!isKept(child.decision)) continue;
      for (const std::string& label : child.labels) {
        if (std::find(holders.begin(), holders.end(), label) == holders.end()) {
          holders.push_back(label);
        }
      }
    }
    const bool folderKept = decision.kind == Ownership::Shared || !holders.empty();
    if (!folderKept) {
      result.push_back(std::move(entry));
      continue;
    }
    if (decision.kind == Ownership::Own) {
      decision.kind = Ownership::Claimed;
      for (const Child& child : children) {
        if (isKept(child.decision)) {
          decision.holds = child.path;
          break;
        }
      }
    }
    std::vector<std::string> folderLabels = labels;
    for (const std::string& label : holders) {
      if (std::find(folderLabels.begin(), folderLabels.end(), label) == folderLabels.end()) {
        folderLabels.push_back(label);
      }
    }
    keep(entry, decision, folderLabels);
    const MatchEvidence evidence = entry.match().value_or(MatchEvidence{});
    result.push_back(std::move(entry));
    // The reviewed application's own entries are listed in the folder's place.
    for (const Child& child : children) {
      if (child.decision.kind != Ownership::Own ||
          child.decision.strength < EvidenceStrength::Contains || listed.count(child.path) ||
          !policy.mayList(child.path)) {
        continue;
      }
      RemainderEntry own = RemainderEntry::fileLocation(child.path);
      MatchEvidence childEvidence = evidence;
      childEvidence.text = child.decision.value;
      childEvidence.test = child.decision.strength == EvidenceStrength::Equals
                               ? MatchTest::Equals
                               : MatchTest::Contains;
      own.setMatch(childEvidence);
      own.setOwnership(child.decision);
      listed.insert(child.path);
      result.push_back(std::move(own));
    }
  }
  files = std::move(result);
}

bool OwnershipRule::isOwnBundle(const std::string& bundlePath) const {
  const std::string path = paths::normalize(bundlePath);
  if (path == self_ || paths::isWithin(path, self_)) return true;
  const std::optional<PathStamp> held = stampOf(path);
  const std::optional<PathStamp> self = stampOf(self_, true);
  if (held && self && held->device == self->device && held->inode == self->inode) return true;
  if (!identifier_) return false;
  const auto bundle = Bundle::open(path);
  if (!bundle || !bundle->identifier()) return false;
  return equalIgnoringCase(*bundle->identifier(), *identifier_) ||
         extendsIdentifier(*bundle->identifier(), *identifier_);
}

std::vector<std::size_t> OwnershipRule::keepBundleHolders(
    std::vector<RemainderEntry>& files, const std::vector<std::vector<std::string>>& bundles,
    const FileSystem& fileSystem, const SafetyPolicy& policy) const {
  std::set<std::string> listed;
  for (const RemainderEntry& entry : files) {
    if (entry.isFileLocation()) listed.insert(paths::normalize(entry.text()));
  }
  std::vector<RemainderEntry> result;
  std::vector<std::size_t> inserted;
  std::size_t fileIndex = 0;
  for (RemainderEntry& entry : files) {
    if (!entry.isFileLocation()) {
      result.push_back(std::move(entry));
      continue;
    }
    const std::vector<std::string>* held =
        fileIndex < bundles.size() ? &bundles[fileIndex] : nullptr;
    ++fileIndex;
    const std::string path = paths::normalize(entry.text());
    std::vector<std::string> others;
    // A listed bundle is looked at as a whole: the walk starts inside it.
    const std::string_view name = paths::lastComponent(path);
    if (path != self_ && !paths::isWithin(path, self_) && paths::extension(name).size() == 3 &&
        equalIgnoringCase(paths::extension(name), "app") && fileSystem.isFolder(path) &&
        !isOwnBundle(path)) {
      others.push_back(path);
    }
    if (held && path != self_) {
      for (const std::string& bundle : *held) {
        // An updater's staged copy of the reviewed application in its own
        // folder goes with it; any other bundle keeps the folder.
        if (entry.isClaimed() || !isOwnBundle(bundle)) others.push_back(bundle);
      }
    }
    if (others.empty() || entry.isClaimed()) {
      result.push_back(std::move(entry));
      continue;
    }
    OwnershipDecision decision = entry.ownership().value_or(OwnershipDecision{});
    decision.kind = Ownership::HoldsBundle;
    decision.holds = others.front();
    std::vector<std::string> labels;
    for (const std::string& bundle : others) {
      labels.push_back("Holds " + std::string(paths::lastComponent(bundle)));
    }
    keep(entry, decision, labels);
    const MatchEvidence evidence = entry.match().value_or(MatchEvidence{});
    result.push_back(std::move(entry));
    // The reviewed application's own entries inside it are listed in its place.
    fileSystem.listShallow(path, [&](const DirEntry& child) {
      const std::string childPath(child.path);
      if (listed.count(childPath) || !policy.mayList(childPath)) return Visit::Continue;
      const bool holdsOther = std::any_of(others.begin(), others.end(), [&](const std::string& b) {
        return paths::isWithin(b, childPath);
      });
      if (holdsOther) return Visit::Continue;
      const OwnershipDecision own = judge(child.name);
      if (own.kind != Ownership::Own || own.strength < EvidenceStrength::Contains) {
        return Visit::Continue;
      }
      RemainderEntry mine = RemainderEntry::fileLocation(childPath);
      MatchEvidence childEvidence = evidence;
      childEvidence.text = own.value;
      childEvidence.test =
          own.strength == EvidenceStrength::Equals ? MatchTest::Equals : MatchTest::Contains;
      mine.setMatch(childEvidence);
      mine.setOwnership(own);
      listed.insert(childPath);
      inserted.push_back(result.size());
      result.push_back(std::move(mine));
      return Visit::Continue;
    });
  }
  files = std::move(result);
  return inserted;
}

void OwnershipRule::spreadKeeping(std::vector<RemainderEntry>& files) const {
  std::vector<std::size_t> locations;
  std::vector<std::string> paths(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!files[i].isFileLocation()) continue;
    paths[i] = paths::normalize(files[i].text());
    if (paths[i] != self_) locations.push_back(i);
  }
  // What lies inside an entry kept for its own name is kept with it; a folder
  // kept only for what it holds (a vendor folder judged entry by entry, a
  // folder holding a bundle) passes nothing down: its own entries were judged.
  auto passesDown = [&](const RemainderEntry& entry) {
    return entry.isClaimed() &&
           (!entry.ownership() || (entry.ownership()->holds.empty() &&
                                   entry.ownership()->kind != Ownership::HoldsBundle &&
                                   entry.ownership()->strength != EvidenceStrength::Vendor));
  };
  std::vector<std::size_t> down;
  for (std::size_t i : locations) {
    if (passesDown(files[i])) down.push_back(i);
  }
  for (std::size_t i : locations) {
    for (std::size_t c : down) {
      if (c == i || !paths::isWithin(paths[i], paths[c]) || files[i].isClaimed()) continue;
      for (const std::string& label : files[c].claimedBy()) files[i].addClaim(label);
      if (files[c].ownership()) {
        OwnershipDecision inherited = *files[c].ownership();
        inherited.holds.clear();
        files[i].setOwnership(inherited);
      }
    }
  }
  // Deleting a folder would delete what is kept inside it: it is kept too.
  std::vector<std::size_t> kept;
  for (std::size_t i : locations) {
    if (files[i].isClaimed()) kept.push_back(i);
  }
  for (std::size_t i : locations) {
    for (std::size_t c : kept) {
      if (c == i || !paths::isWithin(paths[c], paths[i])) continue;
      const bool wasOwn = !files[i].isClaimed();
      for (const std::string& label : files[c].claimedBy()) files[i].addClaim(label);
      if (wasOwn) {
        OwnershipDecision holder = files[i].ownership().value_or(OwnershipDecision{});
        holder.kind = files[c].ownership() ? files[c].ownership()->kind : Ownership::Claimed;
        holder.holds = files[c].text();
        files[i].setOwnership(holder);
      }
    }
  }
}

}  // namespace vimbrel

#include "engine/Removal.h"

#include <algorithm>
#include <cstring>

#include "platform/Paths.h"

namespace vimbrel {

namespace {

// The reason a failed deletion gives: the system's error text where there is
// an error number, otherwise the removal's own reason.
std::string reasonOf(const Status& status) {
  if (status.code() != 0) return std::strerror(status.code());
  return status.message();
}

}  // namespace

std::vector<std::string> survivorPaths(const std::vector<Survivor>& survivors) {
  std::vector<std::string> result;
  result.reserve(survivors.size());
  for (const Survivor& survivor : survivors) result.push_back(survivor.path);
  return result;
}

Removal::Removal(const FileSystem& fileSystem, const SafetyPolicy& policy)
    : fileSystem_(fileSystem), policy_(policy) {}

std::optional<std::string> Removal::removeOne(const std::string& location,
                                              const std::string& chosenBundle) const {
  SafetyPolicy::Anchor anchor = policy_.removalAnchorFor(location);
  // The chosen bundle may lie outside the granted roots; it is deleted from
  // its own folder, pinned now, and nothing below that folder is reached
  // through a link.
  if (!policy_.mayList(location) && !chosenBundle.empty() &&
      paths::normalize(location) == paths::normalize(chosenBundle) &&
      policy_.mayRemoveChosenBundle(location)) {
    const std::string folder = paths::parent(paths::normalize(location));
    if (auto identity = identifyFolder(folder)) {
      anchor = {RemovalAnchor{folder, *identity, ""}, ""};
    }
  }
  if (!anchor.anchor) {
    // Not deleted; reported only when something is there.
    if (!fileSystem_.exists(location)) return std::nullopt;
    return anchor.refusal.empty() ? std::string(reasons::kOutsideGrants) : anchor.refusal;
  }
  const Status status = fileSystem_.removeBelow(*anchor.anchor, location);
  if (status.isOk()) return std::nullopt;
  return reasonOf(status);
}

void Removal::remove(const std::vector<RemainderEntry>& entries, const std::string& chosenBundle,
                     std::vector<Survivor>& survivors) const {
  // What another installed application owns is kept, and so is every listed
  // folder that holds it; neither is a survivor.
  std::vector<std::string> claimed;
  for (const RemainderEntry& entry : entries) {
    if (entry.isFileLocation() && entry.isClaimed())
      claimed.push_back(paths::normalize(entry.text()));
  }
  auto holdsClaimed = [&](const std::string& location) {
    const std::string path = paths::normalize(location);
    return std::any_of(claimed.begin(), claimed.end(),
                       [&](const std::string& kept) { return paths::isWithin(kept, path); });
  };
  const std::string bundle = chosenBundle.empty() ? "" : paths::normalize(chosenBundle);
  // The bundle, and every listed folder that holds it, wait for the rest.
  auto holdsBundle = [&](const std::string& location) {
    const std::string path = paths::normalize(location);
    return !bundle.empty() && (path == bundle || paths::isWithin(bundle, path));
  };
  std::vector<std::optional<std::string>> outcome(entries.size());
  std::vector<std::size_t> last;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].isFileLocation()) continue;
    if (!claimed.empty() && holdsClaimed(entries[i].text())) continue;
    if (holdsBundle(entries[i].text())) {
      last.push_back(i);
      continue;
    }
    outcome[i] = removeOne(entries[i].text(), chosenBundle);
  }
  // Innermost first: the bundle before the folder that holds it.
  std::stable_sort(last.begin(), last.end(), [&](std::size_t a, std::size_t b) {
    return paths::normalize(entries[a].text()).size() > paths::normalize(entries[b].text()).size();
  });
  for (std::size_t at : last) outcome[at] = removeOne(entries[at].text(), chosenBundle);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (outcome[i]) survivors.push_back({entries[i].text(), *outcome[i]});
  }
}

}  // namespace vimbrel

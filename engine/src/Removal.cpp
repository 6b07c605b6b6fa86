#include "engine/Removal.h"

#include <algorithm>

#include "platform/Paths.h"

namespace vimbrel {

Removal::Removal(const FileSystem& fileSystem, const SafetyPolicy& policy)
    : fileSystem_(fileSystem), policy_(policy) {}

bool Removal::removeOne(const std::string& location, const std::string& chosenBundle) const {
  std::optional<std::string> anchor = policy_.anchorFor(location);
  // The chosen bundle may lie outside the granted roots; it is deleted from
  // its own folder, and nothing below that folder is reached through a link.
  if (!anchor && !chosenBundle.empty() &&
      paths::normalize(location) == paths::normalize(chosenBundle) &&
      policy_.mayRemoveChosenBundle(location)) {
    anchor = paths::parent(paths::normalize(location));
  }
  if (anchor) fileSystem_.removeBelow(*anchor, location);
  return !fileSystem_.exists(location);
}

void Removal::remove(const std::vector<RemainderEntry>& entries, const std::string& chosenBundle,
                     std::vector<std::string>& survivors) const {
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
  for (const RemainderEntry& entry : entries) {
    if (!entry.isFileLocation()) continue;
    if (!claimed.empty() && holdsClaimed(entry.text())) continue;
    if (!removeOne(entry.text(), chosenBundle)) survivors.push_back(entry.text());
  }
}

}  // namespace vimbrel

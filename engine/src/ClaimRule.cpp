#include "engine/ClaimRule.h"

#include <algorithm>

#include "engine/GenericValues.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace vimbrel {

namespace {

// Values folded for containment tests, with their length in folded units.
std::vector<text::Folded> folded(const std::vector<std::string>& values) {
  std::vector<text::Folded> result;
  result.reserve(values.size());
  for (const std::string& value : values) result.push_back(text::fold(value));
  return result;
}

// The values of the record under review that count against a claim: the
// same kinds an installed application claims with.
std::vector<std::string> ownValues(const ApplicationItem& item) {
  std::vector<std::string> values;
  for (const std::optional<std::string>& value :
       {std::optional<std::string>(item.label), item.bundle,
        std::optional<std::string>(item.bundle_name_info), item.bundle_name,
        std::optional<std::string>(item.executable_info), item.company_name}) {
    // "empty_string" stands in for a value the bundle does not have.
    if (value && !value->empty() && *value != "empty_string" && !isGenericValue(*value)) {
      values.push_back(*value);
    }
  }
  return values;
}

// The part of an entry's path that its name tests saw and that a claim is
// looked for in: the path below the folder its step listed.
std::string_view claimedPart(const RemainderEntry& entry) {
  const std::string& path = entry.text();
  if (entry.match()) {
    const std::string& folder = entry.match()->folder;
    if (path.size() > folder.size() + 1 && paths::isWithin(path, folder) && folder != "/") {
      return std::string_view(path).substr(folder.size() + 1);
    }
  }
  return paths::lastComponent(path);
}

}  // namespace

void markClaims(ApplicationItem& item, const std::vector<InstalledApplication>& installed) {
  const std::string self = paths::normalize(item.url);
  struct Other {
    const InstalledApplication* application;
    std::vector<text::Folded> values;
  };
  std::vector<Other> others;
  for (const InstalledApplication& application : installed) {
    if (application.url != self) others.push_back({&application, folded(application.values)});
  }
  if (others.empty()) return;
  const std::vector<text::Folded> own = folded(ownValues(item));

  // The file locations other than the bundle under review, normalized.
  std::vector<std::size_t> candidates;
  std::vector<std::string> paths(item.files.size());
  for (std::size_t i = 0; i < item.files.size(); ++i) {
    const RemainderEntry& entry = item.files[i];
    if (!entry.isFileLocation()) continue;
    paths[i] = paths::normalize(entry.text());
    if (paths[i] != self) candidates.push_back(i);
  }

  // Claims by name, and by holding another application's bundle.
  std::vector<std::size_t> claimed;
  text::Folded part;
  for (std::size_t i : candidates) {
    RemainderEntry& entry = item.files[i];
    text::refold(claimedPart(entry), part);
    std::size_t longestOwn = 0;
    for (const text::Folded& value : own) {
      if (value.units().size() > longestOwn && text::contains(part, value)) {
        longestOwn = value.units().size();
      }
    }
    for (const Other& other : others) {
      bool claims = paths::isWithin(other.application->url, paths[i]);
      for (std::size_t v = 0; !claims && v < other.values.size(); ++v) {
        claims =
            other.values[v].units().size() >= longestOwn && text::contains(part, other.values[v]);
      }
      if (claims) entry.addClaim(other.application->label);
    }
    if (entry.isClaimed()) claimed.push_back(i);
  }
  if (claimed.empty()) return;

  // A claim covers everything listed inside the claimed location.
  for (std::size_t i : candidates) {
    for (std::size_t c : claimed) {
      if (c == i || !paths::isWithin(paths[i], paths[c])) continue;
      for (const std::string& label : item.files[c].claimedBy()) item.files[i].addClaim(label);
    }
  }
  // Deleting a folder would delete what is claimed inside it: it is kept too.
  std::vector<std::size_t> kept;
  for (std::size_t i : candidates) {
    if (item.files[i].isClaimed()) kept.push_back(i);
  }
  for (std::size_t i : candidates) {
    for (std::size_t c : kept) {
      if (c == i || !paths::isWithin(paths[c], paths[i])) continue;
      for (const std::string& label : item.files[c].claimedBy()) item.files[i].addClaim(label);
    }
  }
}

}  // namespace vimbrel

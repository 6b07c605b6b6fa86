#include "engine/CertainEvidence.h"

#include <array>
#include <optional>
#include <string_view>

#include "engine/GenericValues.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace vimbrel {

namespace {

// `name` is `prefix`, or `prefix` followed by one of the separators that
// end an identifier inside a file name.
bool isOrExtends(const std::u16string& name, const std::u16string& prefix) {
  if (prefix.empty() || !name.starts_with(prefix)) return false;
  if (name.size() == prefix.size()) return true;
  const char16_t next = name[prefix.size()];
  return next == u'.' || next == u'-' || next == u'_';
}

bool namedWithIdentifier(std::string_view name, const std::string& identifier) {
  const std::u16string folded = text::fold(name).units();
  const std::u16string id = text::fold(identifier).units();
  return isOrExtends(folded, id) || isOrExtends(folded, text::fold("group." + identifier).units());
}

// A value the catalog could not read is "empty_string"; it names nothing.
bool equalsSpecificValue(const text::Folded& component, const std::string& value) {
  if (value.empty() || value == "empty_string" || isGenericValue(value)) return false;
  return component.units() == text::fold(value).units();
}

}  // namespace

bool hasCertainName(const ApplicationItem& item, const RemainderEntry& entry) {
  if (!entry.isFileLocation() || !entry.match()) return false;
  const std::string& path = entry.text();
  if (item.bundle && !item.bundle->empty() &&
      namedWithIdentifier(paths::lastComponent(path), *item.bundle)) {
    return true;
  }
  const std::string& folder = entry.match()->folder;
  if (folder.empty() || !paths::isWithin(path, folder) || path.size() <= folder.size() + 1) {
    return false;
  }
  std::string_view below = std::string_view(path).substr(folder.size() + 1);
  below = below.substr(0, below.find('/'));
  const text::Folded first = text::fold(below);
  return equalsSpecificValue(first, item.label) ||
         equalsSpecificValue(first, item.bundle_name_info) ||
         equalsSpecificValue(first, item.executable_info);
}

bool isInUsersOwnFolder(const std::string& home, const std::string& path) {
  static constexpr std::array<std::string_view, 7> kUsersOwn = {
      "Desktop", "Documents", "Downloads", "Movies", "Music", "Pictures", "Public"};
  if (!paths::isWithin(path, home) || path.size() <= home.size() + 1) return false;
  std::string_view below = std::string_view(path).substr(home.size() + 1);
  below = below.substr(0, below.find('/'));
  for (std::string_view folder : kUsersOwn) {
    if (below == folder) return true;
  }
  return false;
}

}  // namespace vimbrel

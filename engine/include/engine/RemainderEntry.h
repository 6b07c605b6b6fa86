#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace vimbrel {

// The groups of a remainder list, in the order in which they can appear.
enum class RemainderGroup {
  Executables,
  Preferences,
  Supportfiles,
  LauchAgents,
  Logs,
  Plugins,
  Desktop,
  Other
};

// The group word as it stands in the list ("LauchAgents" is spelled so).
const char* groupWord(RemainderGroup group);
std::optional<RemainderGroup> groupFromWord(const std::string& word);

// One entry of a remainder list: a group header, a file location to remove, or
// the review page's "Empty" placeholder. Only file locations are ever passed
// to the file system.
class RemainderEntry {
 public:
  static RemainderEntry header(RemainderGroup group);
  static RemainderEntry fileLocation(std::string path);
  static RemainderEntry emptyPlaceholder();

  bool isFileLocation() const { return kind_ == Kind::File; }
  bool isHeader() const { return kind_ == Kind::Header; }
  bool isPlaceholder() const { return kind_ == Kind::Placeholder; }
  // The header's group; only meaningful for headers.
  RemainderGroup group() const { return group_; }
  // The path of a file location; the group word of a header; "Empty" for the placeholder.
  const std::string& text() const { return text_; }

  bool operator==(const RemainderEntry& other) const {
    return kind_ == other.kind_ && text_ == other.text_;
  }

 private:
  enum class Kind { Header, File, Placeholder };
  RemainderEntry(Kind kind, RemainderGroup group, std::string text)
      : kind_(kind), group_(group), text_(std::move(text)) {}
  Kind kind_;
  RemainderGroup group_;
  std::string text_;
};

// An entry of the size list: the header itself at header positions, the byte
// count at file positions.
using SizeEntry = std::variant<RemainderEntry, std::uint64_t>;

}  // namespace vimbrel

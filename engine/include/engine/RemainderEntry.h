#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/MatchEvidence.h"

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

  // Why the search listed a file location; nothing for entries it did not list.
  const std::optional<MatchEvidence>& match() const { return match_; }
  void setMatch(MatchEvidence evidence) { match_ = std::move(evidence); }

  // The labels of the other installed applications this location belongs to
  // (or, for a folder, that own something inside it). A claimed location is
  // shown but kept: no removal deletes it and no total counts it.
  const std::vector<std::string>& claimedBy() const { return claimedBy_; }
  bool isClaimed() const { return !claimedBy_.empty(); }
  void addClaim(const std::string& label);
  // Lifts the claims: the user chose to remove the location all the same.
  void clearClaims() { claimedBy_.clear(); }

  // Whose the location is and why, when the ownership rule judged it. A kept
  // location (claimed, shared, holding another bundle) is always claimed as
  // well, with the other applications' labels (or the held bundle's name).
  const std::optional<OwnershipDecision>& ownership() const { return ownership_; }
  void setOwnership(OwnershipDecision decision) { ownership_ = std::move(decision); }

  // Entries are the same when their kind and text are; evidence and claims
  // describe an entry and do not tell it apart.
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
  std::optional<MatchEvidence> match_;
  std::vector<std::string> claimedBy_;
  std::optional<OwnershipDecision> ownership_;
};

// An entry of the size list: the header itself at header positions, the byte
// count at file positions.
using SizeEntry = std::variant<RemainderEntry, std::uint64_t>;

}  // namespace vimbrel

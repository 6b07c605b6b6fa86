#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/SearchRoots.h"
#include "platform/FileSystem.h"

namespace vimbrel {

// The rules that hold in every path that lists or deletes, whatever a name
// test matched: only what lies strictly inside a granted root may be listed
// or deleted (apart from the bundle the user chose); a root, a folder the
// search itself walks, an ancestor of either, and the Trash never may.
class SafetyPolicy {
 public:
  explicit SafetyPolicy(const SearchRoots& roots);

  // True when `path` may be listed for deletion.
  bool mayList(const std::string& path) const;
  // True when the bundle the user chose may be deleted even outside the
  // roots: anything but "/" and the protected folders.
  bool mayRemoveChosenBundle(const std::string& path) const;
  // The granted root to delete `path` under: the innermost root that holds it,
  // so that nothing below the root is ever reached through a link. Nothing when
  // the path may not be listed.
  std::optional<std::string> anchorFor(const std::string& path) const;

  // Where the removal of a listable `path` starts: its innermost root, with
  // the identity the root must still have, and the innermost folder of the
  // search's table that holds the path, which is reached the way the search
  // reached it. Nothing, with the reason, when the root may not delete (a
  // stale grant, or a root that was no folder without links when the policy
  // was made).
  struct Anchor {
    std::optional<RemovalAnchor> anchor;
    std::string refusal;  // why there is no anchor, when the path is listable
  };
  Anchor removalAnchorFor(const std::string& path) const;

 private:
  struct Root {
    std::string path;
    std::optional<FileIdentity> identity;  // nothing: this root never deletes
  };
  const Root* innermostRoot(const std::string& location) const;

  std::vector<Root> roots_;
  std::vector<std::string> tableFolders_;
  std::vector<std::string> libraries_;  // the Libraries whose user folders are protected
  std::unordered_set<std::string> protected_;
};

// True for a path inside a Trash folder (".Trash", ".Trash-<uid>" or the
// desktop Trash under the user's data folder), or the Trash itself.
bool isInTrash(const std::string& path);

}  // namespace vimbrel

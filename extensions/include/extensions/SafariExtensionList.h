#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace vimbrel::extensions {

// What a removal did to Safari's list of installed extensions.
enum class SafariListUpdate {
  Written,     // the extension's entries were taken out, or a missing list was created
  Unchanged,   // the list names no entry with the identifier; it was not rewritten
  Unreadable,  // the list exists but is not a readable list; nothing was removed
  NotWritten,  // the new list could not be written; the old one is intact
};

// Safari's list of installed extensions, a property list that Safari owns.
// Only the top-level "Installed Extensions" array and each entry's "Bundle
// Identifier" are interpreted; every other key, at every level, is written
// back as it was read, in the format it was read (binary or XML).
class SafariExtensionList {
 public:
  enum class State { Missing, Unreadable, Loaded };

  struct Entry {
    std::optional<std::string> archiveFileName;
    std::optional<std::string> bundleIdentifier;
  };

  // Reads the list at `path`. A path that does not exist is Missing, and
  // starts an empty list with an empty "Installed Extensions". Anything that
  // exists but is not a property-list dictionary (or whose "Installed
  // Extensions" is not an array) is Unreadable and must be left alone.
  static SafariExtensionList load(const std::string& path);

  SafariExtensionList(SafariExtensionList&&) noexcept;
  SafariExtensionList& operator=(SafariExtensionList&&) noexcept;
  ~SafariExtensionList();

  State state() const { return state_; }
  bool isBinary() const { return binary_; }
  // The entries of "Installed Extensions" in file order; values that are not
  // strings read as nothing.
  std::vector<Entry> entries() const;
  // Takes out every entry whose "Bundle Identifier" equals `identifier`
  // exactly; returns how many went.
  std::size_t removeExtension(const std::string& identifier);
  // Writes the list to a temporary file beside it, syncs it and renames it
  // over the old one, which is never deleted first: a failed write leaves the
  // old list as it was. A Missing list is written in the binary format.
  // Refuses an Unreadable list.
  Status save() const;

 private:
  struct Plist;
  SafariExtensionList(std::string path, State state);

  std::string path_;
  State state_;
  bool binary_ = true;
  std::unique_ptr<Plist> root_;
};

}  // namespace vimbrel::extensions

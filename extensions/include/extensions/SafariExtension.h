#pragma once

#include <string>
#include <vector>

#include "extensions/SafariItem.h"
#include "platform/SettingsStore.h"

namespace vimbrel::extensions {

// The catalog of the user's packaged Safari extensions, read from Safari's own
// list of installed extensions in the granted home folder. Holds no state;
// every list is built afresh.
class SafariExtension {
 public:
  // `store` holds the "home" grant; nothing else is read.
  explicit SafariExtension(const SettingsStore& store);

  // One record per entry of the list that names an archive file and an
  // identifier, sorted by label without regard to case. A missing or
  // unreadable list gives an empty list. An entry whose archive name is not a
  // plain file name of the extensions folder (empty, hidden, holding a "/",
  // or the list itself) is left out: its location could name something that
  // is not an extension.
  std::vector<SafariItem> installedSafariExtensions() const;

  // Derivations: the archive name before its first "."; the identifier's last
  // "."-separated component; its second one (the whole identifier when it has
  // no ".").
  static std::string setLabel(const std::string& archiveFileName);
  static std::string setBundleName(const std::string& identifier);
  static std::string setCompanyName(const std::string& identifier);

  // home/Library/Safari/Extensions and the list file inside it.
  static std::string extensionsFolder(const std::string& home);
  static std::string listPath(const std::string& home);
  // True for a name that may stand for an archive inside the extensions folder.
  static bool isArchiveName(const std::string& name);

  // True while a process whose bundle identifier contains "com.apple.Safari"
  // runs: Safari rewrites its list itself, so nothing may change it then.
  static bool isSafariRunning();

 private:
  const SettingsStore& store_;
};

}  // namespace vimbrel::extensions

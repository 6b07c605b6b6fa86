#pragma once

#include <string>

namespace vimbrel {

// The per-user base folders of the XDG base-directory rules. A variable that
// is unset, empty or not an absolute path is ignored (the rules make relative
// values invalid) and the default under the home folder stands for it; the
// first time a process ignores a relative value it says so on standard error,
// since settings would otherwise silently go elsewhere.

// $XDG_CONFIG_HOME, else ~/.config.
std::string configHome();
// $XDG_DATA_HOME, else ~/.local/share.
std::string dataHome();

// Reads both variables, so that a program reports an ignored relative value
// when it starts rather than when it first needs the folder.
void checkXdgFolders();

}  // namespace vimbrel

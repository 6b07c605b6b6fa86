#pragma once

#include <string>

namespace vimbrel {

// The user's short login name (from the password database, else $USER).
std::string userLoginName();
// The user's home folder ($HOME, else the password database).
std::string userHomeFolder();

}  // namespace vimbrel

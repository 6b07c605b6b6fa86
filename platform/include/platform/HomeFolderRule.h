#pragma once

#include <string>
#include <string_view>

namespace vimbrel {

// Which folder counts as a user's home folder for the home grant. A folder
// named after the login counts; so does a folder that lies directly in a
// folder named "Users" and holds a "Library" folder, which is how the home of
// a mounted macOS volume looks: it carries the macOS account's name, not the
// Linux login's.
bool isHomeFolder(const std::string& folder, std::string_view loginName);

// Why `folder` is not a home folder, in the words every program uses for it.
std::string homeFolderRequirement(std::string_view loginName);

}  // namespace vimbrel

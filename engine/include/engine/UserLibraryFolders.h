#pragma once

#include <string_view>

namespace vimbrel {

// True when `name`, a folder directly in a Library (the home's or the
// disk's), is one of the folders that hold the user's own data rather than
// any application's leftovers (see the table in the source). Compared
// without regard to ASCII case, as the volumes of that layout do.
bool isUserLibraryFolder(std::string_view name);

}  // namespace vimbrel

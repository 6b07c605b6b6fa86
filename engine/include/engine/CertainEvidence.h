#pragma once

#include <string>

#include "engine/ApplicationItem.h"
#include "engine/RemainderEntry.h"

namespace vimbrel {

// Whether the name of a listed entry ties it to `item` beyond doubt, as
// opposed to the looser "contains the label" tests that are fit for a list a
// person reviews. Certain when either
// - the entry's own name is the bundle identifier, or starts with it followed
//   by ".", "-" or "_" ("com.example.Tool.plist"), or is "group." followed by
//   the identifier in the same way;
// - the first component of the path below the folder its step listed equals
//   the label, CFBundleName or executable (folded: case and diacritics
//   ignored), when that value is not generic (see isGenericValue).
// An entry the search did not list (no evidence), a header or a placeholder
// is never certain. Whose an entry is among installed applications is not
// decided here: a certain name may still be claimed by another application.
bool hasCertainName(const ApplicationItem& item, const RemainderEntry& entry);

// The user's own folders of a home (Desktop, Documents, Downloads, Movies,
// Music, Pictures, Public): nothing in them is the application's to take
// without the user's say. True for such a folder or anything inside one.
bool isInUsersOwnFolder(const std::string& home, const std::string& path);

}  // namespace vimbrel

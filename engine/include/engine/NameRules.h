#pragma once

#include <string_view>

namespace vimbrel {

// Decides a name that contains the application's label in the support folder:
// "Tool Data" and "Tool" are taken for the label Tool, "Tool 2" (another
// numbered edition) is not. Characters are counted in UTF-16 units.
bool labelNumberRuleAccepts(std::string_view label, std::string_view name);

// Whether the folder that holds an application inside an Applications folder
// is the application's own: its name equals (case and diacritics ignored) the
// label or CFBundleName, or starts with one followed by a space, a digit or
// punctuation ("Tool", "Tool 2", "Tool-Suite"); a name containing
// "Applications" never is ("~/applications" holds other applications).
bool isOwnEnclosingFolderName(std::string_view folderName, std::string_view label,
                              std::string_view bundleNameInfo);

}  // namespace vimbrel

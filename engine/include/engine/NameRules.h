#pragma once

#include <string_view>

namespace vimbrel {

// Decides a name that contains the application's label in the support folder:
// "Tool Data" and "Tool" are taken for the label Tool, "Tool 2" (another
// numbered edition) is not. Characters are counted in UTF-16 units.
bool labelNumberRuleAccepts(std::string_view label, std::string_view name);

}  // namespace vimbrel

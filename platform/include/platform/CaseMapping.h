#pragma once

#include <string>
#include <string_view>

namespace vimbrel::text {

// Full Unicode lower-casing, without locale special casing.
std::string lowercased(std::string_view utf8);
// The text with its first character replaced by that character's title-case
// form ("example" gives "Example"); an empty text stays empty.
std::string withCapitalizedFirst(std::string_view utf8);

}  // namespace vimbrel::text

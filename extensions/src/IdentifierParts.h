#pragma once

#include <string>

// The parts of dotted names that the extension catalogs derive fields from.
namespace vimbrel::extensions::parts {

// The text before the first "."; the whole text when it has none.
std::string beforeFirstDot(const std::string& text);
// The last "."-separated component; the whole text when it has no ".".
std::string lastComponent(const std::string& identifier);
// The second "."-separated component (empty for "com..x"); the whole text
// when it has no ".".
std::string secondComponent(const std::string& identifier);

}  // namespace vimbrel::extensions::parts

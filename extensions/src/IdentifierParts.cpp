#include "IdentifierParts.h"

namespace vimbrel::extensions::parts {

std::string beforeFirstDot(const std::string& text) { return text.substr(0, text.find('.')); }

std::string lastComponent(const std::string& identifier) {
  const std::size_t dot = identifier.rfind('.');
  return dot == std::string::npos ? identifier : identifier.substr(dot + 1);
}

std::string secondComponent(const std::string& identifier) {
  const std::size_t first = identifier.find('.');
  if (first == std::string::npos) return identifier;
  const std::size_t second = identifier.find('.', first + 1);
  return identifier.substr(first + 1, second == std::string::npos ? second : second - first - 1);
}

}  // namespace vimbrel::extensions::parts

#include "engine/GenericValues.h"

#include <algorithm>
#include <array>

#include "platform/Text.h"

namespace vimbrel {

namespace {

// Words that end the identifiers of many unrelated applications (a platform
// name, a kind of program, a framework), and the words that name an edition
// rather than a product, so that a name containing one says nothing about
// which application it belongs to. Compared without regard to case. This is
// the one list: the search and the ownership rule both use it.
constexpr std::array<std::string_view, 16> kGenericWords = {
    "mac",      "macos", "osx",  "app",  "desktop", "client", "helper", "agent",
    "electron", "pro",   "plus", "lite", "free",    "beta",   "dev",    "preview"};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "4", "2024", "v10", "R2", "1.2.3", "v2_1": a version, not a name.
bool isVersionLike(std::string_view value) {
  if (!value.empty() && (value.front() == 'v' || value.front() == 'V' || value.front() == 'r' ||
                         value.front() == 'R')) {
    value.remove_prefix(1);
  }
  if (value.empty() || !isDigit(value.front()) || !isDigit(value.back())) return false;
  return std::all_of(value.begin(), value.end(),
                     [](char c) { return isDigit(c) || c == '.' || c == '_' || c == '-'; });
}

}  // namespace

bool isDigitsOnly(std::string_view value) {
  return !value.empty() && std::all_of(value.begin(), value.end(), isDigit);
}

bool isGenericValue(std::string_view value, ValueRole role) {
  const text::Folded folded = text::foldWithoutLocale(value);
  const std::size_t shortest =
      role == ValueRole::BundleName ? kShortestSpecificBundleName : kShortestSpecificValue;
  if (folded.units().size() < shortest) return true;
  if (isVersionLike(value)) return true;
  return std::any_of(kGenericWords.begin(), kGenericWords.end(), [&](std::string_view word) {
    return folded.units() == text::foldWithoutLocale(word).units();
  });
}

}  // namespace vimbrel

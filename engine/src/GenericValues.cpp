#include "engine/GenericValues.h"

#include <algorithm>
#include <array>

#include "platform/Text.h"

namespace vimbrel {

namespace {

// Words that end the identifiers of many unrelated applications (a platform
// name, a kind of program, a framework), so that a name containing one says
// nothing about which application it belongs to. Compared without regard to
// case. This is the one list: the search and the claims both use it.
constexpr std::array<std::string_view, 9> kGenericWords = {
    "mac", "macos", "osx", "app", "desktop", "client", "helper", "agent", "electron"};

}  // namespace

bool isGenericValue(std::string_view value) {
  const text::Folded folded = text::foldWithoutLocale(value);
  if (folded.units().size() < kShortestSpecificValue) return true;
  if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return true;
  }
  return std::any_of(kGenericWords.begin(), kGenericWords.end(), [&](std::string_view word) {
    return folded.units() == text::foldWithoutLocale(word).units();
  });
}

}  // namespace vimbrel

#include "engine/MatchingKeys.h"

#include "platform/CaseMapping.h"

namespace vimbrel {

namespace {

// A text no file name is expected to contain: stands in for a letters-only
// label too short to tie a name to the application.
constexpr const char* kSmallLabelMarker = "label_name_ad_is_small";

}  // namespace

MatchingKeys deriveMatchingKeys(ApplicationItem& item) {
  MatchingKeys keys;
  if (item.company_name) {
    keys.capitalizedCompany = text::withCapitalizedFirst(text::lowercased(*item.company_name));
  }
  // Keep only the characters from 'A' to 'z' (which takes in [ \ ] ^ _ and `);
  // every byte of a multi-byte character lies above that range.
  for (char c : item.label) {
    if (c >= 'A' && c <= 'z') keys.lettersOnlyLabel += c;
  }
  if (keys.lettersOnlyLabel.size() <= 1) keys.lettersOnlyLabel = kSmallLabelMarker;
  if (item.company_name == "apple") item.company_name = "companyname";
  return keys;
}

}  // namespace vimbrel

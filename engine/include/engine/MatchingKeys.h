#pragma once

#include <string>

#include "engine/ApplicationItem.h"

namespace vimbrel {

// The keys a remainder search derives from a record when it starts.
struct MatchingKeys {
  // company_name lower-cased with its first character capitalized; empty when
  // the record has no company.
  std::string capitalizedCompany;
  // The label without characters outside the range 'A'..'z'; the marker
  // "label_name_ad_is_small" when fewer than two remain.
  std::string lettersOnlyLabel;
};

// Derives the keys and applies the platform-company step: a company_name of
// exactly "apple" becomes "companyname" in the record (after the capitalized
// company was taken from it).
MatchingKeys deriveMatchingKeys(ApplicationItem& item);

}  // namespace vimbrel

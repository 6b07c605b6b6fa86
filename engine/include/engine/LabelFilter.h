#pragma once

#include <string_view>

#include "platform/Text.h"

namespace vimbrel {

// The filter of every list with a filter field: a row stays when its label
// contains the typed text without regard to case and accents; an empty text
// keeps every row.
class LabelFilter {
 public:
  explicit LabelFilter(std::string_view text);

  bool keepsAll() const { return keepsAll_; }
  // Reuses one buffer for the labels, so filtering a long list allocates little.
  bool keeps(std::string_view label) const;

 private:
  bool keepsAll_;
  text::Folded needle_;
  mutable text::Folded label_;
};

}  // namespace vimbrel

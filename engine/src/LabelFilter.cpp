#include "engine/LabelFilter.h"

namespace vimbrel {

LabelFilter::LabelFilter(std::string_view text)
    : keepsAll_(text.empty()), needle_(text::foldWithoutLocale(text)) {}

bool LabelFilter::keeps(std::string_view label) const {
  if (keepsAll_) return true;
  text::refold(label, label_);
  return text::contains(label_, needle_);
}

}  // namespace vimbrel

#pragma once

#include <string_view>

namespace vimbrel {

// True for a record value too short or too common to tie a name to one
// application: fewer than 3 characters after case folding, only digits (an
// identifier's last component is often a version, "com.vendor.editor.4"), or
// one of the words that end many identifiers (see the list in the source).
// Such a value is never looked for inside names, and is compared for equality
// only with the direct entries of a folder; it never claims an entry for
// another application.
bool isGenericValue(std::string_view value);

// The fewest folded characters a value needs to be looked for inside names.
inline constexpr std::size_t kShortestSpecificValue = 3;

}  // namespace vimbrel

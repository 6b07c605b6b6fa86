#pragma once

#include <string_view>

namespace vimbrel::text::detail {

// Dictionary order of two UTF-16 texts under the current locale, ignoring case but not
// accents: negative, zero or positive. Each thread keeps its own collator, because an ICU
// collator must not be shared between threads.
int collate(std::u16string_view a, std::u16string_view b);

}  // namespace vimbrel::text::detail

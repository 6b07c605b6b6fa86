#pragma once

#include <string_view>

namespace vimbrel {

// Which record value is judged: an identifier's last component is held to a
// longer minimum, since "tool.pro" or "ide.io" end many unrelated identifiers.
enum class ValueRole { Any, BundleName };

// True for a record value too short or too common to tie a name to one
// application: fewer than 3 characters after case folding (4 for an
// identifier's last component), a version ("4", "2024", "v10", "r2", "1.2"),
// an edition word ("pro", "beta", "preview" ...) or one of the words that end
// many identifiers (see the lists in the source). Such a value is never
// looked for inside names, and is compared for equality only with the direct
// entries of a folder; it never claims an entry for another application.
bool isGenericValue(std::string_view value, ValueRole role = ValueRole::Any);

// True for a value made of digits only: it names nothing ("Application
// Support/4"), and is never matched at all.
bool isDigitsOnly(std::string_view value);

// The fewest folded characters a value needs to be looked for inside names.
inline constexpr std::size_t kShortestSpecificValue = 3;
// The same for an identifier's last component.
inline constexpr std::size_t kShortestSpecificBundleName = 4;

}  // namespace vimbrel

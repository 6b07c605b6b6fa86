#pragma once

#include <string>
#include <string_view>

// The folding pipeline behind Folded: UTF-8 → UTF-16, canonical decomposition, optional
// removal of diacritics, full case folding.
namespace vimbrel::text::detail {

enum class Casing { Default, Turkic };
enum class Diacritics { Drop, Keep };

// The casing the current locale asks for.
Casing localeCasing();

// Decodes UTF-8, reading each ill-formed sequence as U+FFFD.
void decodeUtf8(std::string_view utf8, std::u16string& out);

// Folds `utf8` into `out`. Dropping diacritics removes the combining marks that follow a
// base letter below U+0510 (Latin, Greek, Cyrillic); keeping them yields the canonical
// caseless form, decomposed again after folding so that equal texts compare equal.
// Texts past 256 MiB are folded up to that length.
void foldInto(std::string_view utf8, Casing casing, Diacritics diacritics, std::u16string& out);

}  // namespace vimbrel::text::detail

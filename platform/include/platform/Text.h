#pragma once

#include <string>
#include <string_view>

// Text matching and ordering for user-visible names. Every function here is safe to call
// from several threads at once. Input is UTF-8; ill-formed bytes read as U+FFFD.
namespace vimbrel::text {

// The locale whose special casing and collation the locale-aware functions use, as an ICU
// locale id such as "tr_TR". Until set, it comes from the environment the way the C
// library picks collation (LC_ALL, then LC_COLLATE, then LANG), with "en_US" for C/POSIX.
std::string currentLocale();
// Replaces the current locale for every thread; accepts POSIX ("tr_TR.UTF-8") or ICU ids.
void setCurrentLocale(std::string_view localeId);

// A text prepared for repeated containment tests: canonical decomposition,
// combining marks dropped after bases below U+0510, full Unicode case folding.
// Folding once and testing many times is what makes per-entry matching cheap.
class Folded {
 public:
  Folded() = default;
  const std::u16string& units() const { return units_; }
  bool empty() const { return units_.empty(); }

 private:
  friend Folded fold(std::string_view utf8);
  friend Folded foldWithoutLocale(std::string_view utf8);
  friend void refold(std::string_view utf8, Folded& into);
  std::u16string units_;
};

// Folds with the current locale's special casing (Turkish and Azeri dotted I).
Folded fold(std::string_view utf8);
// As fold(), reusing the storage of `into`: folding many names one after the
// other allocates nothing once the buffer is large enough.
void refold(std::string_view utf8, Folded& into);
// Folds without locale special casing, as predicate matching does.
Folded foldWithoutLocale(std::string_view utf8);

// True when `needle` occurs in `haystack` on grapheme boundaries, so a base letter never
// matches inside a cluster that keeps a mark (カ is not in ガ). An empty needle never matches.
bool contains(const Folded& haystack, const Folded& needle);

// Locale-aware, case- and diacritic-insensitive containment.
bool localizedStandardContains(std::string_view haystack, std::string_view needle);
// Case- and diacritic-insensitive containment without locale special casing.
bool containsCaseDiacriticInsensitive(std::string_view haystack, std::string_view needle);

// Locale-aware ordering without regard to case: negative, zero or positive.
// Texts equal after case folding compare equal ("Straße" and "STRASSE"; accents count, so
// "resume" and "résumé" differ); otherwise dictionary order, not numeric ("file10" < "file9").
int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);

}  // namespace vimbrel::text

#include "platform/Text.h"

#include <unicode/uchar.h>

#include <string>
#include <string_view>

#include "TextCollation.h"
#include "TextFolding.h"

namespace vimbrel::text {
namespace {

using detail::Casing;
using detail::Diacritics;

UChar32 codePointAt(std::u16string_view text, std::size_t index) {
  const char16_t unit = text[index];
  if (U16_IS_LEAD(unit) && index + 1 < text.size() && U16_IS_TRAIL(text[index + 1])) {
    return U16_GET_SUPPLEMENTARY(unit, text[index + 1]);
  }
  return unit;
}

UChar32 codePointBefore(std::u16string_view text, std::size_t index) {
  const char16_t unit = text[index - 1];
  if (U16_IS_TRAIL(unit) && index >= 2 && U16_IS_LEAD(text[index - 2])) {
    return U16_GET_SUPPLEMENTARY(text[index - 2], unit);
  }
  return unit;
}

int clusterBreakClass(UChar32 codePoint) {
  return u_getIntPropertyValue(codePoint, UCHAR_GRAPHEME_CLUSTER_BREAK);
}

// Whether a grapheme cluster may end between two code points. Covers what occurs in
// names: marks, joiners and spacing marks attach to what precedes them, Hangul jamo form
// one syllable, CR LF and emoji joined by ZWJ stay together.
bool isClusterBoundary(UChar32 before, UChar32 after) {
  if (before < 0x0300 && after < 0x0300) return !(before == '\r' && after == '\n');
  const int beforeClass = clusterBreakClass(before);
  if (beforeClass == U_GCB_CONTROL || beforeClass == U_GCB_CR || beforeClass == U_GCB_LF) {
    return true;
  }
  const int afterClass = clusterBreakClass(after);
  if (afterClass == U_GCB_EXTEND || afterClass == U_GCB_ZWJ || afterClass == U_GCB_SPACING_MARK ||
      u_getCombiningClass(after) != 0) {
    return false;
  }
  switch (beforeClass) {
    case U_GCB_L:
      return afterClass != U_GCB_L && afterClass != U_GCB_V && afterClass != U_GCB_LV &&
             afterClass != U_GCB_LVT;
    case U_GCB_LV:
    case U_GCB_V:
      return afterClass != U_GCB_V && afterClass != U_GCB_T;
    case U_GCB_LVT:
    case U_GCB_T:
      return afterClass != U_GCB_T;
    case U_GCB_ZWJ:
      return !u_hasBinaryProperty(after, UCHAR_EXTENDED_PICTOGRAPHIC);
    default:
      return true;
  }
}

}  // namespace

Folded fold(std::string_view utf8) {
  Folded folded;
  detail::foldInto(utf8, detail::localeCasing(), Diacritics::Drop, folded.units_);
  return folded;
}

void refold(std::string_view utf8, Folded& into) {
  into.units_.clear();
  detail::foldInto(utf8, detail::localeCasing(), Diacritics::Drop, into.units_);
}

Folded foldWithoutLocale(std::string_view utf8) {
  Folded folded;
  detail::foldInto(utf8, Casing::Default, Diacritics::Drop, folded.units_);
  return folded;
}

bool contains(const Folded& haystack, const Folded& needle) {
  const std::u16string_view text(haystack.units());
  const std::u16string_view pattern(needle.units());
  if (pattern.empty() || pattern.size() > text.size()) return false;
  const UChar32 first = codePointAt(pattern, 0);
  const UChar32 last = codePointBefore(pattern, pattern.size());
  for (std::size_t at = text.find(pattern); at != std::u16string_view::npos;
       at = text.find(pattern, at + 1)) {
    const std::size_t end = at + pattern.size();
    const bool startsCluster = at == 0 || isClusterBoundary(codePointBefore(text, at), first);
    const bool endsCluster = end == text.size() || isClusterBoundary(last, codePointAt(text, end));
    if (startsCluster && endsCluster) return true;
  }
  return false;
}

bool localizedStandardContains(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return false;
  return contains(fold(haystack), fold(needle));
}

bool containsCaseDiacriticInsensitive(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return false;
  return contains(foldWithoutLocale(haystack), foldWithoutLocale(needle));
}

int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
  const Casing casing = detail::localeCasing();
  std::u16string caselessA;
  std::u16string caselessB;
  detail::foldInto(a, casing, Diacritics::Keep, caselessA);
  detail::foldInto(b, casing, Diacritics::Keep, caselessB);
  if (caselessA == caselessB) return 0;

  std::u16string unitsA;
  std::u16string unitsB;
  detail::decodeUtf8(a, unitsA);
  detail::decodeUtf8(b, unitsB);
  const int order = detail::collate(unitsA, unitsB);
  if (order != 0) return order;
  // The collator ignores some differences that folding keeps, such as ignorable format
  // characters; order those by code unit so only caselessly equal texts compare equal.
  return caselessA < caselessB ? -1 : 1;
}

}  // namespace vimbrel::text

#include "TextFolding.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <cstdint>

#include "TextLocale.h"

namespace vimbrel::text::detail {
namespace {

// Keeps every length within ICU's int32_t, with room for case folding to expand.
constexpr std::size_t kMaxFoldedBytes = std::size_t{1} << 28;
constexpr UChar32 kLastBaseWithDroppedMarks = 0x050F;
constexpr UChar32 kCombiningDotAbove = 0x0307;
constexpr uint8_t kCombiningClassAbove = 230;

int32_t icuLength(std::size_t length) { return static_cast<int32_t>(length); }

bool isCombiningMark(UChar32 codePoint) {
  if (codePoint < 0x0300) return false;  // No mark is encoded below U+0300.
  return u_getCombiningClass(codePoint) != 0 || u_charType(codePoint) == U_NON_SPACING_MARK;
}

// The scratch buffers one thread reuses between calls, so folding allocates only its result.
struct Scratch {
  std::u16string first;
  std::u16string second;
};

Scratch& threadScratch() {
  thread_local Scratch scratch;
  return scratch;
}

// All-ASCII text folds by lower-casing A-Z, exactly what full case folding does there,
// except for 'I' under Turkic casing (it folds to dotless ı), which takes the full path.
bool foldAscii(std::string_view utf8, Casing casing, std::u16string& out) {
  // Two loops without an early exit, which the compiler vectorizes: names are
  // short and nearly all ASCII, so checking the whole name costs less than a
  // branch per byte.
  unsigned char seen = 0;
  for (const char c : utf8) seen |= static_cast<unsigned char>(c);
  if ((seen & 0x80) != 0) return false;
  if (casing == Casing::Turkic && utf8.find('I') != std::string_view::npos) return false;
  out.resize(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    out[i] = static_cast<char16_t>(static_cast<unsigned>(c - 'A') < 26u ? c + ('a' - 'A') : c);
  }
  return true;
}

// Runs an ICU string transformation from `in` into `out`, growing `out` once if the first
// guess was too small. Leaves `out` a copy of `in` if ICU fails.
template <typename Transform>
void transformInto(const std::u16string& in, std::u16string& out, std::size_t guess,
                   Transform transform) {
  out.resize(guess);
  UErrorCode error = U_ZERO_ERROR;
  int32_t length =
      transform(in.data(), icuLength(in.size()), out.data(), icuLength(out.size()), &error);
  if (error == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<std::size_t>(length));
    error = U_ZERO_ERROR;
    length = transform(in.data(), icuLength(in.size()), out.data(), icuLength(out.size()), &error);
  }
  if (U_FAILURE(error)) {
    out = in;
    return;
  }
  out.resize(static_cast<std::size_t>(length));
}

void decompose(const std::u16string& in, std::u16string& out) {
  UErrorCode error = U_ZERO_ERROR;
  const UNormalizer2* nfd = unorm2_getNFDInstance(&error);
  if (U_FAILURE(error)) {
    out = in;
    return;
  }
  transformInto(in, out, in.size() + in.size() / 2 + 8,
                [nfd](const UChar* src, int32_t srcLength, UChar* dest, int32_t capacity,
                      UErrorCode* status) {
                  return unorm2_normalize(nfd, src, srcLength, dest, capacity, status);
                });
}

void caseFold(const std::u16string& in, Casing casing, std::u16string& out) {
  const uint32_t options =
      casing == Casing::Turkic ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT;
  transformInto(in, out, in.size() + in.size() / 2 + 8,
                [options](const UChar* src, int32_t srcLength, UChar* dest, int32_t capacity,
                          UErrorCode* status) {
                  return u_strFoldCase(dest, capacity, src, srcLength, options, status);
                });
}

UChar32 nextCodePoint(const std::u16string& text, std::size_t& index) {
  const char16_t unit = text[index++];
  if (U16_IS_LEAD(unit) && index < text.size() && U16_IS_TRAIL(text[index])) {
    const char16_t trail = text[index++];
    return ((static_cast<UChar32>(unit) - 0xD800) << 10) + (static_cast<UChar32>(trail) - 0xDC00) +
           0x10000;
  }
  return unit;
}

// Removes, in place, each combining mark whose base letter is below U+0510.
void dropDiacritics(std::u16string& text) {
  std::size_t write = 0;
  UChar32 base = U_SENTINEL;
  for (std::size_t read = 0; read < text.size();) {
    const std::size_t start = read;
    const UChar32 codePoint = nextCodePoint(text, read);
    if (!isCombiningMark(codePoint)) {
      base = codePoint;
    } else if (base >= 0 && base <= kLastBaseWithDroppedMarks) {
      continue;
    }
    for (std::size_t i = start; i < read; ++i) text[write++] = text[i];
  }
  text.resize(write);
}

// In Turkish and Azeri, "I" + combining dot above (decomposed "İ") is the capital of "i",
// not of dotless "ı", which plain "I" folds to. Turns the pair into "i" in place, as the
// languages' lower-casing does: the dot belongs to the I when no other mark above (or base)
// stands between them.
void joinTurkicDottedCapitalI(std::u16string& text) {
  constexpr std::size_t kNone = std::u16string::npos;
  std::size_t write = 0;
  std::size_t capitalIAt = kNone;
  for (std::size_t read = 0; read < text.size();) {
    const std::size_t start = read;
    const UChar32 codePoint = nextCodePoint(text, read);
    if (codePoint == kCombiningDotAbove && capitalIAt != kNone) {
      text[capitalIAt] = u'i';
      capitalIAt = kNone;
      continue;
    }
    if (codePoint == 'I') {
      capitalIAt = write;
    } else {
      const uint8_t combiningClass = u_getCombiningClass(codePoint);
      if (combiningClass == 0 || combiningClass == kCombiningClassAbove) capitalIAt = kNone;
    }
    for (std::size_t i = start; i < read; ++i) text[write++] = text[i];
  }
  text.resize(write);
}

// Canonical decomposition, with the Turkic capital dotted I kept whole.
void decomposeFor(Casing casing, const std::u16string& in, std::u16string& out) {
  decompose(in, out);
  if (casing == Casing::Turkic) joinTurkicDottedCapitalI(out);
}

}  // namespace

Casing localeCasing() { return usesTurkicCasing() ? Casing::Turkic : Casing::Default; }

void decodeUtf8(std::string_view utf8, std::u16string& out) {
  if (utf8.size() > kMaxFoldedBytes) utf8 = utf8.substr(0, kMaxFoldedBytes);
  // Every byte yields at most one UTF-16 unit: four-byte sequences yield two, and each
  // ill-formed sequence yields one U+FFFD.
  out.resize(utf8.size());
  UErrorCode error = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8WithSub(out.data(), icuLength(out.size()), &length, utf8.data(),
                       icuLength(utf8.size()), 0xFFFD, nullptr, &error);
  out.resize(U_SUCCESS(error) ? static_cast<std::size_t>(length) : 0);
}

void foldInto(std::string_view utf8, Casing casing, Diacritics diacritics, std::u16string& out) {
  if (utf8.size() > kMaxFoldedBytes) utf8 = utf8.substr(0, kMaxFoldedBytes);
  if (foldAscii(utf8, casing, out)) return;
  Scratch& scratch = threadScratch();
  decodeUtf8(utf8, scratch.first);
  decomposeFor(casing, scratch.first, scratch.second);
  if (diacritics == Diacritics::Drop) {
    dropDiacritics(scratch.second);
    caseFold(scratch.second, casing, scratch.first);
    out.assign(scratch.first);
    return;
  }
  // Folding can leave text out of canonical order (the mark U+0345 folds to the letter ι),
  // so decompose again, as Unicode's canonical caseless match does.
  caseFold(scratch.second, casing, scratch.first);
  decompose(scratch.first, scratch.second);
  out.assign(scratch.second);
}

}  // namespace vimbrel::text::detail

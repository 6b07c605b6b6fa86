#include "engine/NameRules.h"

#include <optional>
#include <string>

#include "platform/Text.h"

namespace vimbrel {

namespace {

// UTF-16 units of a UTF-8 text; a byte that starts no valid sequence counts
// as one unit of its own, so no input can fail.
std::u16string utf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    auto byte = static_cast<unsigned char>(utf8[i]);
    int length = byte < 0x80           ? 1
                 : (byte >> 5) == 0x6  ? 2
                 : (byte >> 4) == 0xE  ? 3
                 : (byte >> 3) == 0x1E ? 4
                                       : 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > utf8.size()) {
      out += static_cast<char16_t>(0xFFFD);
      ++i;
      continue;
    }
    char32_t code = length == 1 ? byte : byte & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += static_cast<std::size_t>(length);
  }
  return out;
}

// The unit at `index`, or nothing when the index lies outside the text.
std::optional<char16_t> unitAt(const std::u16string& text, std::ptrdiff_t index) {
  if (index < 0 || index >= static_cast<std::ptrdiff_t>(text.size())) return std::nullopt;
  return text[static_cast<std::size_t>(index)];
}

}  // namespace

bool labelNumberRuleAccepts(std::string_view labelText, std::string_view nameText) {
  const std::u16string label = utf16(labelText);
  const std::u16string name = utf16(nameText);
  // The second-to-last characters; a text shorter than two characters has
  // none, and "none" equals only "none".
  const auto a = unitAt(label, static_cast<std::ptrdiff_t>(label.size()) - 2);
  const auto b = unitAt(name, static_cast<std::ptrdiff_t>(name.size()) - 2);
  const bool sameSecondToLast = a == b;
  if (name.size() > label.size()) {
    // The character after the one that follows the label ("Tool 2": the "2").
    // When the name is just one character longer there is none; such a name
    // ("Tools", "Tool2") is then held to the stricter test, so that a name
    // that might belong to another application is kept rather than deleted.
    const auto k = unitAt(name, static_cast<std::ptrdiff_t>(label.size()) + 1);
    if (!k) return sameSecondToLast;
    const bool digit = *k >= u'0' && *k <= u'9';
    return !digit || sameSecondToLast;
  }
  return sameSecondToLast;
}

bool isOwnEnclosingFolderName(std::string_view folderName, std::string_view label,
                              std::string_view bundleNameInfo) {
  if (text::localizedStandardContains(folderName, "Applications")) return false;
  const text::Folded name = text::fold(folderName);
  for (std::string_view value : {label, bundleNameInfo}) {
    if (value.empty() || value == "empty_string") continue;
    const text::Folded folded = text::fold(value);
    const std::u16string& start = folded.units();
    const std::u16string& units = name.units();
    if (start.empty() || !units.starts_with(start)) continue;
    if (units.size() == start.size()) return true;
    const char16_t next = units[start.size()];
    const bool separator =
        next < 0x80 &&
        (next == u' ' || (next >= u'0' && next <= u'9') || (next > u' ' && next < u'0') ||
         (next > u'9' && next < u'A') || (next > u'Z' && next < u'a') || next > u'z');
    if (separator) return true;
  }
  return false;
}

}  // namespace vimbrel

#include "platform/CaseMapping.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace vimbrel::text {

std::string lowercased(std::string_view utf8) {
  std::string result;
  icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())))
      .toLower(icu::Locale::getRoot())
      .toUTF8String(result);
  return result;
}

std::string withCapitalizedFirst(std::string_view utf8) {
  if (utf8.empty()) return {};
  int32_t offset = 0;
  UChar32 first = 0;
  U8_NEXT(reinterpret_cast<const uint8_t*>(utf8.data()), offset, static_cast<int32_t>(utf8.size()),
          first);
  if (first < 0) return std::string(utf8);  // not valid UTF-8: leave it as it is
  std::string result;
  icu::UnicodeString(u_totitle(first)).toUTF8String(result);
  result.append(utf8.substr(static_cast<std::size_t>(offset)));
  return result;
}

}  // namespace vimbrel::text

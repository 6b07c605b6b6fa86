#include "platform/PlistReader.h"

#include <errno.h>
#include <fcntl.h>
#include <plist/plist.h>
#include <unistd.h>

#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace vimbrel::plistreader {

namespace {

// Reads a big-endian unsigned integer of `width` bytes (1 to 8).
std::uint64_t readBigEndian(const std::uint8_t* at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = (value << 8) | at[i];
  return value;
}

// The layout of a binary list, from its trailer.
struct BinaryLayout {
  const std::uint8_t* data = nullptr;
  std::size_t objectsEnd = 0;  // where the offset table starts
  std::size_t offsetSize = 0;
  std::size_t refSize = 0;
  std::uint64_t objectCount = 0;
  std::uint64_t rootObject = 0;
  std::size_t offsetTable = 0;

  std::optional<std::size_t> offsetOf(std::uint64_t object) const {
    const std::uint64_t offset =
        readBigEndian(data + offsetTable + object * offsetSize, offsetSize);
    // Objects lie after the 8-byte header and before the offset table.
    if (offset < 8 || offset >= objectsEnd) return std::nullopt;
    return static_cast<std::size_t>(offset);
  }
};

constexpr std::size_t kTrailerSize = 32;
constexpr std::string_view kBinaryMagic = "bplist00";

std::optional<BinaryLayout> binaryLayout(const std::uint8_t* data, std::size_t size) {
  if (size < kBinaryMagic.size() + kTrailerSize) return std::nullopt;
  const std::uint8_t* trailer = data + size - kTrailerSize;
  BinaryLayout layout;
  layout.data = data;
  layout.offsetSize = trailer[6];
  layout.refSize = trailer[7];
  layout.objectCount = readBigEndian(trailer + 8, 8);
  layout.rootObject = readBigEndian(trailer + 16, 8);
  const std::uint64_t table = readBigEndian(trailer + 24, 8);
  const std::size_t tableLimit = size - kTrailerSize;
  if (layout.offsetSize < 1 || layout.offsetSize > 8 || layout.refSize < 1 || layout.refSize > 8 ||
      layout.objectCount == 0 || layout.rootObject >= layout.objectCount ||
      table < kBinaryMagic.size() || table > tableLimit ||
      layout.objectCount > (tableLimit - table) / layout.offsetSize) {
    return std::nullopt;
  }
  // References must be able to name every object.
  if (layout.refSize < 8 && ((layout.objectCount - 1) >> (8 * layout.refSize)) != 0) {
    return std::nullopt;
  }
  layout.offsetTable = static_cast<std::size_t>(table);
  layout.objectsEnd = layout.offsetTable;
  return layout;
}

// The length that follows a marker whose low nibble is 0xF: an integer object.
// Advances `at`. Nothing when it does not fit.
std::optional<std::uint64_t> extendedLength(const BinaryLayout& layout, std::size_t& at) {
  if (at >= layout.objectsEnd) return std::nullopt;
  const std::uint8_t marker = layout.data[at];
  if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3) return std::nullopt;
  const std::size_t width = std::size_t{1} << (marker & 0x0F);
  if (layout.objectsEnd - at - 1 < width) return std::nullopt;
  const std::uint64_t value = readBigEndian(layout.data + at + 1, width);
  at += 1 + width;
  return value;
}

bool fits(const BinaryLayout& layout, std::size_t at, std::uint64_t length) {
  return at <= layout.objectsEnd && length <= layout.objectsEnd - at;
}

bool binaryIsSafe(const std::uint8_t* data, std::size_t size) {
  const std::optional<BinaryLayout> found = binaryLayout(data, size);
  if (!found) return false;
  const BinaryLayout& layout = *found;
  // Every reference in the file can be followed once, plus the root; more
  // reaches than that can only come from shared containers.
  const std::uint64_t referenceBudget = (layout.objectsEnd / layout.refSize) + 1;
  const std::uint64_t reachLimit = 4 * (layout.objectCount + referenceBudget);
  std::uint64_t reached = 0;

  struct Pending {
    std::uint64_t object;
    std::size_t depth;
  };
  std::vector<Pending> stack{{layout.rootObject, 1}};
  while (!stack.empty()) {
    const Pending next = stack.back();
    stack.pop_back();
    if (++reached > reachLimit || next.depth > kMaximumDepth) return false;
    const std::optional<std::size_t> offset = layout.offsetOf(next.object);
    if (!offset) return false;
    std::size_t at = *offset;
    const std::uint8_t marker = data[at];
    const std::uint8_t kind = marker >> 4;
    const std::uint8_t low = marker & 0x0F;
    std::uint64_t length = low;
    if ((kind == 0x4 || kind == 0x5 || kind == 0x6 || kind == 0xA || kind == 0xC || kind == 0xD) &&
        low == 0x0F) {
      ++at;
      const auto extended = extendedLength(layout, at);
      if (!extended) return false;
      length = *extended;
    } else {
      ++at;
    }
    switch (kind) {
      case 0x0:  // null, false, true, fill
        if (low != 0x0 && low != 0x8 && low != 0x9 && low != 0xF) return false;
        break;
      case 0x1:  // integer of 2^low bytes
        if (low > 4 || !fits(layout, at, std::uint64_t{1} << low)) return false;
        break;
      case 0x2:  // real
        if ((low != 2 && low != 3) || !fits(layout, at, std::uint64_t{1} << low)) return false;
        break;
      case 0x3:  // date
        if (low != 3 || !fits(layout, at, 8)) return false;
        break;
      case 0x4:  // data
      case 0x5:  // ASCII string
        if (!fits(layout, at, length)) return false;
        break;
      case 0x6:  // UTF-16 string
        if (length > std::numeric_limits<std::uint64_t>::max() / 2 ||
            !fits(layout, at, length * 2)) {
          return false;
        }
        break;
      case 0x8:  // UID
        if (!fits(layout, at, std::uint64_t{low} + 1)) return false;
        break;
      case 0xA:    // array
      case 0xC:    // set
      case 0xD: {  // dictionary: keys, then values
        const std::uint64_t references = kind == 0xD ? length * 2 : length;
        if (kind == 0xD && length > std::numeric_limits<std::uint64_t>::max() / 2) return false;
        if (references > (layout.objectsEnd - at) / layout.refSize) return false;
        if (reached + stack.size() + references > reachLimit) return false;
        for (std::uint64_t i = 0; i < references; ++i) {
          const std::uint64_t child = readBigEndian(data + at + i * layout.refSize, layout.refSize);
          if (child >= layout.objectCount) return false;
          stack.push_back({child, next.depth + 1});
        }
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

// Where a markup construct that starts at `at` ends (the index just past its
// closing text), or npos when it never ends.
std::size_t skipPast(std::string_view text, std::size_t at, std::string_view closing) {
  const std::size_t end = text.find(closing, at);
  return end == std::string_view::npos ? end : end + closing.size();
}

// The end of a tag that starts at `at` (at its "<"), reading attributes the
// way an XML parser does: a ">" or "/" inside a quoted value ends nothing.
// Sets `selfClosing` when the tag ends in "/>". npos when the tag or one of
// its quoted values never ends.
std::size_t tagEnd(std::string_view text, std::size_t at, bool& selfClosing) {
  char quote = 0;
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      selfClosing = text[i - 1] == '/';
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// The end of a document type declaration, with its quoted identifiers and
// an internal subset in brackets that may hold declarations and comments.
std::size_t doctypeEnd(std::string_view text, std::size_t at) {
  char quote = 0;
  std::size_t brackets = 0;
  for (std::size_t i = at + 2; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (text.substr(i).starts_with("<!--")) {
      i = skipPast(text, i + 4, "-->");
      if (i == std::string_view::npos) return i;
      --i;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      if (brackets > 0) --brackets;
    } else if (c == '>' && brackets == 0) {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// An XML list's element nesting, read with a tokenizer that knows comments,
// CDATA sections, processing instructions, the document type and quoted
// attribute values, so that none of them hides a tag or fakes one
// ("<array \"/>\">" opens an array). A start tag counts as opening unless it
// ends in "/>" both when read with its quotes and when cut at its first ">":
// whichever way the parser reads it, the count is never lower than its
// nesting. Anything left unterminated is refused.
bool xmlIsSafe(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t depth = 0;
  std::size_t at = text.find('<');
  while (at != std::string_view::npos) {
    const std::string_view rest = text.substr(at);
    std::size_t next;
    if (rest.starts_with("<!--")) {
      next = skipPast(text, at + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      next = skipPast(text, at + 9, "]]>");
    } else if (rest.starts_with("<?")) {
      next = skipPast(text, at + 2, "?>");
    } else if (rest.starts_with("<!")) {
      next = doctypeEnd(text, at);
    } else {
      bool selfClosing = false;
      next = tagEnd(text, at, selfClosing);
      if (next == std::string_view::npos) return false;
      const std::size_t firstClose = text.find('>', at);
      const bool closesAtFirst = text[firstClose - 1] == '/';
      if (rest.starts_with("</")) {
        if (depth > 0) --depth;
      } else if (!(selfClosing && closesAtFirst)) {
        if (++depth > kMaximumDepth) return false;
      }
    }
    if (next == std::string_view::npos) return false;
    at = text.find('<', next);
  }
  return true;
}

}  // namespace

FileBytes readRegularFile(const std::string& path, std::optional<std::size_t> sizeCap) {
  FileBytes result;
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result.error = errno;
    result.outcome = errno == ENOENT  ? FileOutcome::Missing
                     : errno == ELOOP ? FileOutcome::NotRegular
                                      : FileOutcome::Unreadable;
    return result;
  }
  if (::fstat(fd, &result.info) != 0) {
    result.error = errno;
    result.outcome = FileOutcome::Unreadable;
  } else if (!S_ISREG(result.info.st_mode)) {
    result.outcome = FileOutcome::NotRegular;
  } else if (sizeCap && static_cast<std::uint64_t>(result.info.st_size) > *sizeCap) {
    result.outcome = FileOutcome::TooLarge;
  } else {
    result.outcome = FileOutcome::Loaded;
    result.bytes.resize(static_cast<std::size_t>(result.info.st_size));
    std::size_t got = 0;
    while (true) {
      if (got == result.bytes.size()) {
        // The file may have grown since fstat; a capped read stops at the cap.
        if (sizeCap && got >= *sizeCap) break;
        result.bytes.resize(got + 64 * 1024);
      }
      const ssize_t n = ::read(fd, result.bytes.data() + got, result.bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        result.error = errno;
        result.outcome = FileOutcome::Unreadable;
        break;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    result.bytes.resize(got);
  }
  ::close(fd);
  if (result.outcome != FileOutcome::Loaded) result.bytes.clear();
  return result;
}

bool isSafeToParse(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0) return false;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.starts_with(kBinaryMagic)) return binaryIsSafe(data, size);
  return xmlIsSafe(data, size);
}

void* parse(const std::uint8_t* data, std::size_t size) {
  if (size > std::numeric_limits<std::uint32_t>::max() || !isSafeToParse(data, size)) {
    return nullptr;
  }
  plist_t node = nullptr;
  plist_from_memory(reinterpret_cast<const char*>(data), static_cast<std::uint32_t>(size), &node);
  return node;
}

}  // namespace vimbrel::plistreader

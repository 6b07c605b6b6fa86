#include "Output.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "engine/RemainderPresentation.h"
#include "engine/RemovalTotal.h"
#include "platform/ByteCount.h"
#include "platform/Paths.h"

namespace vimbrel::cli {

namespace {

// Characters, not bytes, so that accented names line up.
std::size_t displayWidth(std::string_view text) {
  std::size_t width = 0;
  for (char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return width;
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t sequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string validUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = sequenceLength(text);
    if (length == 0) {
      result += "\xEF\xBF\xBD";
      text.remove_prefix(1);
    } else {
      result.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return result;
}

std::string printable(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = sequenceLength(text);
    const auto lead = static_cast<unsigned char>(text[0]);
    if (length == 0 || lead < 0x20 || lead == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", lead);
      result += escaped;
      text.remove_prefix(1);
      continue;
    }
    if (lead == '\\') {
      result += "\\\\";
    } else if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
      // The C1 control characters.
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(text[1]));
      result += escaped;
    } else {
      result.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return result;
}

std::string hexBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string result;
  result.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    result += kDigits[byte >> 4];
    result += kDigits[byte & 0x0F];
  }
  return result;
}

void printSurvivors(const std::vector<Survivor>& survivors) {
  std::cout << "Could not remove:\n";
  for (const Survivor& survivor : survivors) {
    std::cout << "  " << printable(survivor.path) << " (" << printable(survivor.reason) << ")\n";
  }
}

int fail(const Failure& failure) {
  std::cerr << "vimbrel-cli: " << failure.message << '\n';
  return failure.code;
}

void printTable(const std::vector<std::vector<std::string>>& cells, const std::string& indent) {
  // Names come from the file system: nothing in them may drive the terminal.
  std::vector<std::vector<std::string>> rows;
  rows.reserve(cells.size());
  for (const auto& row : cells) {
    auto& shown = rows.emplace_back();
    for (const std::string& cell : row) shown.push_back(printable(cell));
  }
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t i = 0; i < row.size(); ++i) {
      widths[i] = std::max(widths[i], displayWidth(row[i]));
    }
  }
  for (const auto& row : rows) {
    std::string line = indent;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line.append(widths[i] - displayWidth(row[i]) + 2, ' ');
    }
    std::cout << line << '\n';
  }
}

std::uint64_t sizeAt(const ApplicationItem& item, std::size_t index) {
  if (index >= item.sizes.size()) return 0;
  const auto* bytes = std::get_if<std::uint64_t>(&item.sizes[index]);
  return bytes ? *bytes : 0;
}

void printRemainders(const ApplicationItem& item, const std::vector<RemainderEntry>& plan,
                     Evidence evidence) {
  std::size_t count = 0;
  std::size_t kept = 0;
  std::vector<std::vector<std::string>> rows;
  auto flush = [&] {
    printTable(rows, "  ");
    rows.clear();
  };
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const RemainderEntry& entry = plan[i];
    if (entry.isHeader()) {
      flush();
      std::cout << printable(groupLabel(entry.group())) << '\n';
    } else if (entry.isFileLocation()) {
      std::vector<std::string> row{shownName(entry.text()), paths::parent(entry.text()),
                                   formatByteCount(static_cast<std::int64_t>(sizeAt(item, i)))};
      if (entry.isClaimed()) {
        row.push_back("kept: " + alsoUsedBy(entry));
        ++kept;
      } else {
        ++count;
      }
      if (evidence == Evidence::Show) {
        if (row.size() == 3) row.emplace_back();
        row.push_back(matchDescription(entry));
      }
      rows.push_back(std::move(row));
    }
  }
  flush();
  const std::uint64_t total = chosenTotal(plan, item.sizes);
  std::cout << "Total: " << formatByteCount(static_cast<std::int64_t>(total)) << " in " << count
            << (count == 1 ? " item" : " items");
  if (kept > 0) std::cout << " (" << kept << " kept for other applications)";
  std::cout << '\n';
}

}  // namespace vimbrel::cli

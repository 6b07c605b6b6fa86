#include "Output.h"

#include <algorithm>
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

}  // namespace

int fail(const Failure& failure) {
  std::cerr << "vimbrel-cli: " << failure.message << '\n';
  return failure.code;
}

void printTable(const std::vector<std::vector<std::string>>& rows, const std::string& indent) {
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
      std::cout << groupLabel(entry.group()) << '\n';
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

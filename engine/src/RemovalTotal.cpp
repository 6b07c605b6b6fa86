#include "engine/RemovalTotal.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/Paths.h"

namespace vimbrel {

namespace {

// Orders paths so that everything inside a folder comes right after it:
// "/" sorts before every other character ("/a/b", "/a/b/x", "/a/b-x").
bool folderFirst(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto rank = [](char c) { return c == '/' ? 0 : static_cast<unsigned char>(c) + 1; };
    return rank(x) < rank(y);
  });
}

}  // namespace

std::uint64_t chosenTotal(const std::vector<RemainderEntry>& chosen,
                          const std::vector<SizeEntry>& sizes) {
  std::vector<std::string> claimed;
  for (const RemainderEntry& entry : chosen) {
    if (entry.isFileLocation() && entry.isClaimed())
      claimed.push_back(paths::normalize(entry.text()));
  }
  std::vector<std::pair<std::string, std::uint64_t>> counted;
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    if (!chosen[i].isFileLocation()) continue;
    std::string path = paths::normalize(chosen[i].text());
    const bool kept = std::any_of(claimed.begin(), claimed.end(), [&](const std::string& held) {
      return paths::isWithin(held, path);
    });
    if (kept) continue;
    const auto* bytes = i < sizes.size() ? std::get_if<std::uint64_t>(&sizes[i]) : nullptr;
    counted.emplace_back(std::move(path), bytes ? *bytes : 0);
  }
  std::sort(counted.begin(), counted.end(),
            [](const auto& a, const auto& b) { return folderFirst(a.first, b.first); });
  std::uint64_t total = 0;
  const std::string* outer = nullptr;
  for (const auto& [path, bytes] : counted) {
    if (outer && paths::isWithin(path, *outer)) continue;  // counted with its folder
    total += bytes;
    outer = &path;
  }
  return total;
}

std::uint64_t removedTotal(const std::vector<RemainderEntry>& chosen,
                           const std::vector<SizeEntry>& sizes,
                           const std::vector<std::string>& survivors) {
  std::vector<std::string> left;
  for (const std::string& path : survivors) left.push_back(paths::normalize(path));
  std::vector<RemainderEntry> gone = chosen;
  for (RemainderEntry& entry : gone) {
    if (entry.isFileLocation() &&
        std::find(left.begin(), left.end(), paths::normalize(entry.text())) != left.end()) {
      entry = RemainderEntry::emptyPlaceholder();
    }
  }
  return chosenTotal(gone, sizes);
}

}  // namespace vimbrel

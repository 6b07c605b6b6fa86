#include "engine/RemainderEntry.h"

#include <array>

namespace vimbrel {

namespace {

constexpr std::array<const char*, 8> kGroupWords = {"Executables", "Preferences", "Supportfiles",
                                                    "LauchAgents", "Logs",        "Plugins",
                                                    "Desktop",     "Other"};

}  // namespace

const char* groupWord(RemainderGroup group) { return kGroupWords[static_cast<std::size_t>(group)]; }

std::optional<RemainderGroup> groupFromWord(const std::string& word) {
  for (std::size_t i = 0; i < kGroupWords.size(); ++i) {
    if (word == kGroupWords[i]) return static_cast<RemainderGroup>(i);
  }
  return std::nullopt;
}

RemainderEntry RemainderEntry::header(RemainderGroup group) {
  return RemainderEntry(Kind::Header, group, groupWord(group));
}

RemainderEntry RemainderEntry::fileLocation(std::string path) {
  return RemainderEntry(Kind::File, RemainderGroup::Other, std::move(path));
}

RemainderEntry RemainderEntry::emptyPlaceholder() {
  return RemainderEntry(Kind::Placeholder, RemainderGroup::Other, "Empty");
}

}  // namespace vimbrel

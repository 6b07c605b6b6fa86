#include "engine/RemainderEntry.h"

#include <algorithm>
#include <array>

namespace vimbrel {

namespace {

constexpr std::array<const char*, 8> kGroupWords = {"Executables", "Preferences", "Supportfiles",
                                                    "LauchAgents", "Logs",        "Plugins",
                                                    "Desktop",     "Other"};

constexpr std::array<const char*, 10> kValueNames = {"application",
                                                     "bundle identifier",
                                                     "identifier's last component",
                                                     "CFBundleName",
                                                     "label",
                                                     "label name",
                                                     "executable",
                                                     "company",
                                                     "capitalized company",
                                                     "letters-only label"};

constexpr std::array<const char*, 5> kTestNames = {"application", "contains", "equals",
                                                   "login item", "enclosing folder"};

}  // namespace

const char* groupWord(RemainderGroup group) { return kGroupWords[static_cast<std::size_t>(group)]; }

std::optional<RemainderGroup> groupFromWord(const std::string& word) {
  for (std::size_t i = 0; i < kGroupWords.size(); ++i) {
    if (word == kGroupWords[i]) return static_cast<RemainderGroup>(i);
  }
  return std::nullopt;
}

const char* matchedValueName(MatchedValue value) {
  return kValueNames[static_cast<std::size_t>(value)];
}

const char* matchTestName(MatchTest test) { return kTestNames[static_cast<std::size_t>(test)]; }

const char* evidenceStrengthName(EvidenceStrength strength) {
  static constexpr std::array<const char*, 4> kNames = {"none", "vendor", "contains", "equals"};
  return kNames[static_cast<std::size_t>(strength)];
}

const char* ownershipName(Ownership kind) {
  static constexpr std::array<const char*, 4> kNames = {"own", "claimed", "shared", "holds-bundle"};
  return kNames[static_cast<std::size_t>(kind)];
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

void RemainderEntry::addClaim(const std::string& label) {
  if (std::find(claimedBy_.begin(), claimedBy_.end(), label) == claimedBy_.end()) {
    claimedBy_.push_back(label);
  }
}

}  // namespace vimbrel

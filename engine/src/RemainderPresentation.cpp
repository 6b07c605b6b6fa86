#include "engine/RemainderPresentation.h"

#include <array>

#include "platform/Paths.h"

namespace vimbrel {

const char* groupLabel(RemainderGroup group) {
  static constexpr std::array<const char*, 8> kLabels = {
      "Executables", "Preferences", "Support files", "Launch Agents",
      "Logs",        "Plugins",     "Desktop Alias", "Other"};
  return kLabels[static_cast<std::size_t>(group)];
}

std::string shownName(const std::string& path) {
  // The later test wins, as the review's icon rules do.
  std::string name(paths::lastComponent(path));
  if (path.find("Cookies") != std::string::npos) name = "Cookie files";
  if (path.find("com.apple.helpd") != std::string::npos) name = "Help files";
  return name;
}

std::string alsoUsedBy(const RemainderEntry& entry) {
  if (!entry.isClaimed()) return {};
  const Ownership kind = entry.ownership() ? entry.ownership()->kind : Ownership::Claimed;
  // A folder holding a bundle is labelled "Holds Other.app" already.
  std::string note = kind == Ownership::Shared        ? "Shared with "
                     : kind == Ownership::HoldsBundle ? ""
                                                      : "Also used by ";
  for (std::size_t i = 0; i < entry.claimedBy().size(); ++i) {
    if (i > 0) note += ", ";
    note += entry.claimedBy()[i];
  }
  return note;
}

std::string ownershipDescription(const RemainderEntry& entry) {
  if (!entry.ownership()) return {};
  const OwnershipDecision& decision = *entry.ownership();
  std::string text = ownershipName(decision.kind);
  if (!decision.component.empty()) text += " by \"" + decision.component + "\"";
  if (decision.strength != EvidenceStrength::None) {
    text +=
        std::string(" (") + evidenceStrengthName(decision.strength) + " " + decision.value + ")";
  }
  for (const RivalEvidence& other : decision.others) {
    text += std::string("; ") + other.label + ": " + evidenceStrengthName(other.strength) + " " +
            other.value;
  }
  if (!decision.holds.empty()) text += "; holds " + decision.holds;
  return text;
}

std::string matchDescription(const RemainderEntry& entry) {
  if (!entry.match()) return {};
  const MatchEvidence& match = *entry.match();
  if (match.test == MatchTest::Application) return "step 1, the application itself";
  std::string text = "step " + std::to_string(match.step) + ", " + matchedValueName(match.value) +
                     " " + match.text + " (" + matchTestName(match.test) + ")";
  if (const std::string whose = ownershipDescription(entry); !whose.empty()) {
    text += "; " + whose;
  }
  return text;
}

}  // namespace vimbrel

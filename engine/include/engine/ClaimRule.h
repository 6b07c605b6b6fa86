#pragma once

#include <string>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/InstalledApplicationIndex.h"
#include "engine/SafetyPolicy.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace vimbrel {

// Decides whose each listed entry is, among all installed applications, the
// reviewed one included, by the same rule for each:
// - every path component below the folder the entry's step listed is
//   evidence for an application when it equals one of its product values
//   (label, CFBundleName, identifier, its last component, executable), less
//   when it contains one, least when it only names its company; a longer
//   value beats a shorter one it contains; values two applications share are
//   only vendor evidence and decide nothing between them;
// - the first component decides, deeper ones only between those tied above;
// - the reviewed application's own entries may go; another's are kept
//   ("Also used by"), ties are kept ("Shared with");
// - a folder listed on vendor evidence has its direct entries judged too, and
//   a folder holding another application's bundle is kept ("Holds Other.app");
//   the reviewed application's own entries inside such a kept folder are
//   listed in its place;
// - what a kept entry holds or lies in is kept with it.
// A bundle inside another belongs to its outer application; the reviewed
// bundle (found by device and inode) and its helpers are the reviewed
// application.
class OwnershipRule {
 public:
  OwnershipRule(const ApplicationItem& item, const std::vector<InstalledBundle>& installed);

  // Judges every file location of `files` by its path, and the direct entries
  // of the folders listed on vendor evidence, inserting the reviewed
  // application's own entries of a kept vendor folder after it.
  void decide(std::vector<RemainderEntry>& files, const FileSystem& fileSystem,
              const SafetyPolicy& policy) const;

  // Keeps the folders of `files` that hold an application bundle other than
  // the reviewed application's own (`bundles`: the bundles the size walk met
  // in each file location, position by position over the file locations),
  // inserting the reviewed application's own entries inside them; returns
  // the positions of the inserted entries.
  std::vector<std::size_t> keepBundleHolders(std::vector<RemainderEntry>& files,
                                             const std::vector<std::vector<std::string>>& bundles,
                                             const FileSystem& fileSystem,
                                             const SafetyPolicy& policy) const;

  // What a kept entry holds and what lies in a kept entry is kept with it;
  // the folders judged entry by entry keep their own entries' decisions.
  void spreadKeeping(std::vector<RemainderEntry>& files) const;

  // A value an application's files are named with.
  struct Value {
    text::Folded folded;
    std::string raw;
    MatchedValue kind = MatchedValue::Label;
    bool product = true;   // false: the company
    bool generic = false;  // compared for equality only
    bool shared = false;   // a value of two candidates: vendor evidence only
  };
  struct Candidate {
    std::string label;
    std::vector<Value> values;
  };

 private:
  // The decision on the path below a step's folder; `keptLabels` receives
  // the labels an entry kept by it is kept for.
  OwnershipDecision judge(std::string_view part,
                          std::vector<std::string>* keptLabels = nullptr) const;
  OwnershipDecision judgeChild(std::string_view name, const OwnershipDecision& folder,
                               const std::vector<std::string>& folderLabels,
                               std::vector<std::string>* keptLabels) const;
  bool isOwnBundle(const std::string& bundlePath) const;

  std::string self_;  // the reviewed bundle, normalized
  std::optional<std::string> identifier_;
  std::vector<Candidate> candidates_;  // the reviewed application first
};

}  // namespace vimbrel

#pragma once

#include <cstdint>
#include <vector>

#include "engine/RemainderEntry.h"

namespace vimbrel {

// What the review removes: the search's list with each entry the user
// switched off replaced by the "Empty" placeholder (`prepare`), and the bytes
// the chosen entries free (`common_remove_size`). Every file location starts
// chosen, except claimed ones, which are shown switched off and stay so: the
// review never removes another application's files.
class RemovalPlan {
 public:
  RemovalPlan(std::vector<RemainderEntry> files, std::vector<SizeEntry> sizes);

  // Switches the row on or off; headers and claimed rows do not change.
  // Returns whether the row is chosen afterwards.
  bool choose(std::size_t row, bool on);
  bool isChosen(std::size_t row) const;
  // True while at least one file location is chosen (the remove button).
  bool anyChosen() const;

  const std::vector<RemainderEntry>& prepare() const { return prepare_; }
  // The chosen bytes, each counted once (see chosenTotal): switching a row
  // off and on again gives the same total, and an entry inside a folder that
  // is switched off counts on its own.
  std::uint64_t common_remove_size() const;

 private:
  std::vector<RemainderEntry> files_;
  std::vector<SizeEntry> sizes_;
  std::vector<RemainderEntry> prepare_;
};

}  // namespace vimbrel

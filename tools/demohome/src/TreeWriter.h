#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/Status.h"

namespace vimbrel::demo {

// Writes files, folders and links below one root with plain POSIX calls.
// Paths are relative to the root and parents are made as needed. The first
// failure is kept and every later call does nothing, so a generator can write
// a long list of entries and check the outcome once at the end.
class TreeWriter {
 public:
  explicit TreeWriter(std::string root);

  const std::string& root() const { return root_; }
  std::string path(std::string_view relative) const;

  void folder(std::string_view relative);
  void file(std::string_view relative, std::string_view contents, bool executable = false);
  // A file of exactly `bytes` bytes: `header` followed by pseudo-random data
  // drawn from `seed`, so the same call always writes the same bytes.
  void fileOfSize(std::string_view relative, std::size_t bytes, std::uint64_t seed,
                  std::string_view header = {}, bool executable = false);
  void symlink(std::string_view relative, std::string_view target);

  const Status& status() const { return status_; }
  bool ok() const { return status_.isOk(); }
  // Files, folders and links made so far (folders made as parents included).
  std::size_t entriesWritten() const { return entries_; }

 private:
  void makeParents(std::string_view relative);
  void makeFolder(const std::string& relative);
  void fail(int error, std::string_view relative);

  std::string root_;
  std::unordered_set<std::string> madeFolders_;
  Status status_;
  std::size_t entries_ = 0;
};

// A small deterministic generator (splitmix64) for sizes and file contents.
class DemoRandom {
 public:
  explicit DemoRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // A value in [low, high], spread evenly on a log scale so sizes vary widely.
  std::size_t logUniform(std::size_t low, std::size_t high);

 private:
  std::uint64_t state_;
};

// A stable seed from a text (FNV-1a), so sizes follow from names.
std::uint64_t seedOf(std::string_view text);

}  // namespace vimbrel::demo

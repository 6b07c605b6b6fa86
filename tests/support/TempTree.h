#pragma once

#include <string>
#include <string_view>

namespace vimbrel::testing {

// A temporary folder tree for one test, removed when the object goes away.
// Paths given to the helpers are relative to the tree's root; parents are
// created as needed.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& root() const { return root_; }
  std::string path(std::string_view relative) const;

  // Each returns the absolute path it made.
  std::string folder(std::string_view relative) const;
  std::string file(std::string_view relative, std::string_view contents = {}) const;
  std::string fileOfSize(std::string_view relative, std::size_t bytes) const;
  std::string symlink(std::string_view relative, std::string_view target) const;

 private:
  std::string root_;
};

}  // namespace vimbrel::testing

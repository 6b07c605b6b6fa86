#include "TempTree.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace vimbrel::testing {

namespace fs = std::filesystem;

TempTree::TempTree() {
  std::string pattern = (fs::temp_directory_path() / "vimbrel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
}

TempTree::~TempTree() {
  // Restore permissions a test may have taken away, so everything can go.
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) chmod(it->path().c_str(), 0755);
  }
  fs::remove_all(root_, error);
  // Paths longer than PATH_MAX defeat remove_all; rm walks by descriptors.
  if (error || fs::exists(root_, error)) {
    const std::string command = "rm -rf -- '" + root_ + "'";
    if (std::system(command.c_str()) != 0)
      std::fprintf(stderr, "cannot remove %s\n", root_.c_str());
  }
}

std::string TempTree::path(std::string_view relative) const {
  if (relative.empty()) return root_;
  return root_ + "/" + std::string(relative);
}

std::string TempTree::folder(std::string_view relative) const {
  std::string full = path(relative);
  fs::create_directories(full);
  return full;
}

std::string TempTree::file(std::string_view relative, std::string_view contents) const {
  std::string full = path(relative);
  fs::create_directories(fs::path(full).parent_path());
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  return full;
}

std::string TempTree::fileOfSize(std::string_view relative, std::size_t bytes) const {
  return file(relative, std::string(bytes, 'x'));
}

std::string TempTree::symlink(std::string_view relative, std::string_view target) const {
  std::string full = path(relative);
  fs::create_directories(fs::path(full).parent_path());
  fs::create_symlink(std::string(target), full);
  return full;
}

}  // namespace vimbrel::testing

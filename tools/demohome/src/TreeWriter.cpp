#include "TreeWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace vimbrel::demo {

namespace {

bool writeAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t written = ::write(fd, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

std::uint64_t DemoRandom::next() {
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

std::size_t DemoRandom::logUniform(std::size_t low, std::size_t high) {
  if (high <= low) return low;
  const double fraction = static_cast<double>(next() >> 11) / 9007199254740992.0;  // [0, 1)
  const double logLow = std::log(static_cast<double>(std::max<std::size_t>(low, 1)));
  const double logHigh = std::log(static_cast<double>(high));
  const auto value = static_cast<std::size_t>(std::exp(logLow + fraction * (logHigh - logLow)));
  return std::clamp(value, low, high);
}

std::uint64_t seedOf(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

TreeWriter::TreeWriter(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  madeFolders_.insert("");
}

std::string TreeWriter::path(std::string_view relative) const {
  if (relative.empty()) return root_;
  std::string full = root_;
  full += '/';
  full += relative;
  return full;
}

void TreeWriter::fail(int error, std::string_view relative) {
  if (status_.isOk()) status_ = Status::fromErrno(error, "cannot write " + path(relative));
}

void TreeWriter::makeFolder(const std::string& relative) {
  if (madeFolders_.count(relative) != 0) return;
  const auto slash = relative.rfind('/');
  if (slash != std::string::npos) makeFolder(relative.substr(0, slash));
  if (!ok()) return;
  if (::mkdir(path(relative).c_str(), 0755) == 0) {
    ++entries_;
  } else if (errno != EEXIST) {
    fail(errno, relative);
    return;
  }
  madeFolders_.insert(relative);
}

void TreeWriter::makeParents(std::string_view relative) {
  const auto slash = relative.rfind('/');
  if (slash != std::string_view::npos) makeFolder(std::string(relative.substr(0, slash)));
}

void TreeWriter::folder(std::string_view relative) {
  if (ok()) makeFolder(std::string(relative));
}

void TreeWriter::file(std::string_view relative, std::string_view contents, bool executable) {
  if (!ok()) return;
  makeParents(relative);
  if (!ok()) return;
  const std::string full = path(relative);
  const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                        executable ? 0755 : 0644);
  if (fd < 0) {
    fail(errno, relative);
    return;
  }
  const bool written = writeAll(fd, contents.data(), contents.size());
  const int error = errno;
  ::close(fd);
  if (!written) {
    fail(error, relative);
    return;
  }
  ++entries_;
}

void TreeWriter::fileOfSize(std::string_view relative, std::size_t bytes, std::uint64_t seed,
                            std::string_view header, bool executable) {
  if (!ok()) return;
  std::string contents(bytes, '\0');
  DemoRandom random(seed);
  for (std::size_t offset = 0; offset < bytes; offset += sizeof(std::uint64_t)) {
    const std::uint64_t word = random.next();
    std::memcpy(contents.data() + offset, &word, std::min(sizeof word, bytes - offset));
  }
  contents.replace(0, std::min(header.size(), bytes), header.substr(0, bytes));
  file(relative, contents, executable);
}

void TreeWriter::symlink(std::string_view relative, std::string_view target) {
  if (!ok()) return;
  makeParents(relative);
  if (!ok()) return;
  if (::symlink(std::string(target).c_str(), path(relative).c_str()) != 0) {
    fail(errno, relative);
    return;
  }
  ++entries_;
}

}  // namespace vimbrel::demo

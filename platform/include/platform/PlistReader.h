#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Every property list the programs read goes through here: files are opened
// so that nothing but a regular file is ever read (a FIFO never blocks, a
// link is never followed), and a list's structure is checked before libplist,
// which has no limits of its own, builds it.
namespace vimbrel::plistreader {

enum class FileOutcome {
  Loaded,      // `bytes` holds the whole file
  Missing,     // nothing at the path
  NotRegular,  // a link, a FIFO, a folder, a device ...
  TooLarge,    // larger than the cap given
  Unreadable,  // open or read failed; `error` says why
};

struct FileBytes {
  FileOutcome outcome = FileOutcome::Missing;
  std::vector<std::uint8_t> bytes;
  int error = 0;
  struct stat info {};  // of the opened file, for Loaded and TooLarge
};

// Reads the regular file at `path`: opened with O_NOFOLLOW | O_NONBLOCK and
// checked with fstat before any read. `sizeCap` is for files that are not the
// programs' own (an application's Info.plist, Safari's list); a file the
// programs wrote themselves is read whatever its size.
FileBytes readRegularFile(const std::string& path, std::optional<std::size_t> sizeCap);

// The limits of the structure check.
inline constexpr std::size_t kMaximumDepth = 512;

// True when `data` may be handed to libplist: a binary list whose offsets,
// lengths and references all lie inside it, nested at most kMaximumDepth deep,
// and whose tree, counting a shared object each time it is reached, is no
// larger than its own references allow (so lists sharing containers cannot
// expand exponentially); or an XML list nested at most kMaximumDepth deep.
// Walks iteratively, in time and memory proportional to the file.
bool isSafeToParse(const std::uint8_t* data, std::size_t size);

// Parses a checked binary or XML property list into a libplist node (the
// caller frees it with plist_free); nullptr when the bytes are not a property
// list or fail the check.
void* parse(const std::uint8_t* data, std::size_t size);

}  // namespace vimbrel::plistreader

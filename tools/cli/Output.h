#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/RemainderEntry.h"
#include "engine/Survivor.h"

// What the commands print, shared by all of them.
namespace vimbrel::cli {

// A failure that ends the command with a message on standard error.
struct Failure {
  int code;
  std::string message;
};

template <typename T>
using Result = std::variant<T, Failure>;

// Prints "vimbrel-cli: <message>" on standard error and returns the code.
int fail(const Failure& failure);

// Prints rows as columns padded to their widest cell, each cell printable().
void printTable(const std::vector<std::vector<std::string>>& rows, const std::string& indent = "");

// The byte count at `index` of the record's size list; 0 for headers and
// positions the list does not reach.
std::uint64_t sizeAt(const ApplicationItem& item, std::size_t index);

// Whether listings say why each location was listed.
enum class Evidence { Hide, Show };

// `text` as valid UTF-8: each byte that is not part of a well-formed
// sequence becomes U+FFFD.
std::string validUtf8(std::string_view text);

// `text` for a terminal: control characters, and bytes that are not valid
// UTF-8, are written as \xNN escapes (and a backslash as "\\").
std::string printable(std::string_view text);

// `bytes` as lowercase hexadecimal, two digits a byte.
std::string hexBytes(std::string_view bytes);

// Prints "Could not remove:" and each survivor with its reason.
void printSurvivors(const std::vector<Survivor>& survivors);

// Prints `plan` group by group with each location's size, a note on each
// location kept for another application, then the bytes removing the plan
// frees (each byte once, kept locations not counted).
void printRemainders(const ApplicationItem& item, const std::vector<RemainderEntry>& plan,
                     Evidence evidence = Evidence::Hide);

}  // namespace vimbrel::cli

#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/RemainderEntry.h"

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

// Prints rows as columns padded to their widest cell.
void printTable(const std::vector<std::vector<std::string>>& rows, const std::string& indent = "");

// The byte count at `index` of the record's size list; 0 for headers and
// positions the list does not reach.
std::uint64_t sizeAt(const ApplicationItem& item, std::size_t index);

// Whether listings say why each location was listed.
enum class Evidence { Hide, Show };

// Prints `plan` group by group with each location's size, a note on each
// location kept for another application, then the bytes removing the plan
// frees (each byte once, kept locations not counted).
void printRemainders(const ApplicationItem& item, const std::vector<RemainderEntry>& plan,
                     Evidence evidence = Evidence::Hide);

}  // namespace vimbrel::cli

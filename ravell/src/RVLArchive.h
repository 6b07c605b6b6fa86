#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <optional>

namespace vimbrel {

// The framework's private file format: a binary property list holding strings,
// integers, reals, booleans, dates, bytes, arrays and dictionaries, stored as
// QVariant values. Files are replaced atomically so that a crash mid-write leaves
// the previous file whole.
namespace rvlarchive {

// Serialises a value; nothing when it holds a type a property list cannot keep.
std::optional<QByteArray> toBinaryPlist(const QVariant& value);
// Parses a binary or XML property list; nothing when the bytes are not one.
std::optional<QVariant> fromPlist(const QByteArray& bytes);

enum class ReadOutcome { Loaded, Missing, Corrupt };

struct ReadResult {
  ReadOutcome outcome = ReadOutcome::Missing;
  QVariantMap root;
  // Items of the list read item by item that were left out (see below).
  std::size_t itemsSkipped = 0;
};

// Reads a file whose root must be a dictionary. An unreadable or corrupt file is
// moved aside (to "<path>.corrupt-<time>") with a warning, so that the caller can
// start empty without destroying what was there.
ReadResult readDictionary(const QString& path);
// The same, handing each item of the array under `listKey` to `eachItem` in
// order (the array is walked once and not kept in the root). When the file
// turns out corrupt, items may have been handed over before: the caller
// drops them.
// Only the last `keepLast` items are read: the queue keeps no more than that.
ReadResult readDictionary(const QString& path, const QString& listKey,
                          const std::function<void(const QVariant&)>& eachItem,
                          std::size_t keepLast = SIZE_MAX);

// Writes `<path>.tmp.<pid>`, flushes it to disk and renames it over `path`, then
// flushes the folder. Returns false (and leaves the old file whole) on failure.
bool writeDictionary(const QString& path, const QVariantMap& root);

// The atomic replacement itself, for callers that already hold the bytes.
bool writeFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace rvlarchive
}  // namespace vimbrel

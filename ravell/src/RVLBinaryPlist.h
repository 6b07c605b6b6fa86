#pragma once

#include <QVariant>
#include <cstdint>
#include <functional>
#include <optional>

namespace vimbrel::rvlbinaryplist {

// Reads a binary property list ("bplist00") whose top object is a dictionary
// straight into QVariant values, in one pass over the objects it reaches: the
// items of the array under `listKey` go to `eachItem` in order, everything
// else into the returned map. Values come out as libplist's reading gives
// them (integers as qlonglong, dates as UTC date-times, null and uid as
// invalid values). Every offset, length and reference is checked and nesting
// is limited, so damaged bytes give nothing, never a crash; `eachItem` may
// have been called before the damage was found. Nothing also for lists this
// reader does not handle (sets), which the caller reads another way.
// Only the last `keepLast` items are read; `skipped` tells how many were not.
std::optional<QVariantMap> readDictionary(const std::uint8_t* data, std::size_t size,
                                          const QString& listKey,
                                          const std::function<void(const QVariant&)>& eachItem,
                                          std::size_t keepLast, std::size_t& skipped);

}  // namespace vimbrel::rvlbinaryplist

#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QVariant>
#include <optional>

namespace vimbrel {

// JSON for the wire. Only JSON-compatible values convert: strings, booleans,
// finite numbers of every integer and real type, null (a null or invalid
// variant), lists and string-keyed maps of them. Anything else (dates, bytes,
// NaN) makes the whole conversion fail, so a caller can refuse an event instead
// of sending something the service cannot read.
namespace rvljson {

std::optional<QJsonValue> toJson(const QVariant& value);
// Compact serialisation of an object or array.
std::optional<QByteArray> serialize(const QVariant& value);
// Parses an answer body; a null variant when it is not JSON.
QVariant parse(const QByteArray& body);

}  // namespace rvljson
}  // namespace vimbrel

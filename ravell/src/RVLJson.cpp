#include "RVLJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>

namespace vimbrel::rvljson {

std::optional<QJsonValue> toJson(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
      return QJsonValue(QJsonValue::Null);
    case QMetaType::Bool:
      return QJsonValue(value.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
      return QJsonValue(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
      // JSON numbers beyond the signed 64-bit range are written as reals.
      const qulonglong number = value.toULongLong();
      if (number > qulonglong(std::numeric_limits<qint64>::max()))
        return QJsonValue(double(number));
      return QJsonValue(qint64(number));
    }
    case QMetaType::Double:
    case QMetaType::Float: {
      const double number = value.toDouble();
      if (!std::isfinite(number)) return std::nullopt;
      return QJsonValue(number);
    }
    case QMetaType::QString:
      return QJsonValue(value.toString());
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
      QJsonArray array;
      for (const QVariant& item : value.toList()) {
        auto converted = toJson(item);
        if (!converted) return std::nullopt;
        array.append(*converted);
      }
      return QJsonValue(array);
    }
    case QMetaType::QVariantMap: {
      QJsonObject object;
      const QVariantMap map = value.toMap();
      for (auto it = map.cbegin(); it != map.cend(); ++it) {
        auto converted = toJson(it.value());
        if (!converted) return std::nullopt;
        object.insert(it.key(), *converted);
      }
      return QJsonValue(object);
    }
    default:
      return std::nullopt;
  }
}

std::optional<QByteArray> serialize(const QVariant& value) {
  const auto json = toJson(value);
  if (!json) return std::nullopt;
  if (json->isObject()) return QJsonDocument(json->toObject()).toJson(QJsonDocument::Compact);
  if (json->isArray()) return QJsonDocument(json->toArray()).toJson(QJsonDocument::Compact);
  return std::nullopt;
}

QVariant parse(const QByteArray& body) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(body, &error);
  if (error.error != QJsonParseError::NoError) return {};
  return document.toVariant();
}

}  // namespace vimbrel::rvljson

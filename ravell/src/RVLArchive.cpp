#include "RVLArchive.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "RVLLog.h"
#include "platform/AtomicFile.h"

namespace vimbrel::rvlarchive {
namespace {

// Property-list dates count from 2001-01-01 00:00:00 UTC.
constexpr qint64 kPlistEpochMs = 978307200LL * 1000;

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

plist_t toNode(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool:
      return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
      return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::ULongLong:
    case QMetaType::ULong: {
      // Integers read back as signed 64-bit (negative ones are kept as their
      // two's complement), so an unsigned value beyond that range is kept as a
      // real, which is also how it goes out as JSON.
      const qulonglong number = value.toULongLong();
      if (number > qulonglong(std::numeric_limits<qint64>::max())) {
        return plist_new_real(double(number));
      }
      return plist_new_uint(static_cast<uint64_t>(number));
    }
    case QMetaType::Double:
    case QMetaType::Float:
      return plist_new_real(value.toDouble());
    case QMetaType::QString:
      return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::QByteArray: {
      const QByteArray bytes = value.toByteArray();
      return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
      const qint64 ms = value.toDateTime().toMSecsSinceEpoch() - kPlistEpochMs;
      const qint64 seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
      return plist_new_date(int32_t(seconds), int32_t((ms - seconds * 1000) * 1000));
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
      plist_t array = plist_new_array();
      for (const QVariant& item : value.toList()) {
        plist_t child = toNode(item);
        if (!child) {
          plist_free(array);
          return nullptr;
        }
        plist_array_append_item(array, child);
      }
      return array;
    }
    case QMetaType::QVariantMap: {
      plist_t dict = plist_new_dict();
      const QVariantMap map = value.toMap();
      for (auto it = map.cbegin(); it != map.cend(); ++it) {
        plist_t child = toNode(it.value());
        if (!child) {
          plist_free(dict);
          return nullptr;
        }
        plist_dict_set_item(dict, it.key().toUtf8().constData(), child);
      }
      return dict;
    }
    default:
      return nullptr;
  }
}

QString takeString(char* text) {
  QString result = QString::fromUtf8(text ? text : "");
  std::free(text);
  return result;
}

QVariant fromNode(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t flag = 0;
      plist_get_bool_val(node, &flag);
      return QVariant(flag != 0);
    }
    case PLIST_UINT: {
      uint64_t number = 0;
      plist_get_uint_val(node, &number);
      return QVariant(static_cast<qlonglong>(number));
    }
    case PLIST_REAL: {
      double number = 0;
      plist_get_real_val(node, &number);
      return QVariant(number);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
      char* text = nullptr;
      plist_get_string_val(node, &text);
      return QVariant(takeString(text));
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      QByteArray data(bytes, qsizetype(length));
      std::free(bytes);
      return QVariant(data);
    }
    case PLIST_DATE: {
      int32_t seconds = 0;
      int32_t micros = 0;
      plist_get_date_val(node, &seconds, &micros);
      return QVariant(QDateTime::fromMSecsSinceEpoch(
          kPlistEpochMs + qint64(seconds) * 1000 + micros / 1000, Qt::UTC));
    }
    case PLIST_ARRAY: {
      QVariantList list;
      const uint32_t count = plist_array_get_size(node);
      list.reserve(qsizetype(count));
      for (uint32_t i = 0; i < count; ++i) list.append(fromNode(plist_array_get_item(node, i)));
      return list;
    }
    case PLIST_DICT: {
      QVariantMap map;
      plist_dict_iter iter = nullptr;
      plist_dict_new_iter(node, &iter);
      for (;;) {
        char* key = nullptr;
        plist_t child = nullptr;
        plist_dict_next_item(node, iter, &key, &child);
        if (!child) {
          std::free(key);
          break;
        }
        map.insert(takeString(key), fromNode(child));
      }
      std::free(iter);
      return map;
    }
    default:
      return {};
  }
}

void moveAside(const QString& path) {
  const QString aside =
      path + QStringLiteral(".corrupt-") + QString::number(QDateTime::currentSecsSinceEpoch());
  if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) == 0) {
    rvllog::warning(QStringLiteral("Unreadable file %1 moved aside to %2").arg(path, aside));
  } else {
    rvllog::warning(QStringLiteral("Unreadable file %1 could not be moved aside: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
  }
}

}  // namespace

std::optional<QByteArray> toBinaryPlist(const QVariant& value) {
  PlistPtr node(toNode(value));
  if (!node) return std::nullopt;
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(node.get(), &bytes, &length);
  if (!bytes) return std::nullopt;
  QByteArray result(bytes, qsizetype(length));
  plist_to_bin_free(bytes);
  return result;
}

std::optional<QVariant> fromPlist(const QByteArray& bytes) {
  if (bytes.isEmpty()) return std::nullopt;
  plist_t raw = nullptr;
  plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &raw);
  if (!raw) return std::nullopt;
  PlistPtr node(raw);
  return fromNode(node.get());
}

ReadResult readDictionary(const QString& path) {
  ReadResult result;
  QFile file(path);
  if (!file.exists()) return result;
  std::optional<QVariant> value;
  if (file.open(QIODevice::ReadOnly)) value = fromPlist(file.readAll());
  file.close();
  if (!value || value->typeId() != QMetaType::QVariantMap) {
    moveAside(path);
    result.outcome = ReadOutcome::Corrupt;
    return result;
  }
  result.outcome = ReadOutcome::Loaded;
  result.root = value->toMap();
  return result;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  return atomicfile::replaceFile(QFile::encodeName(path).toStdString(),
                                 std::vector<std::uint8_t>(data, data + bytes.size()), 0600)
      .isOk();
}

bool writeDictionary(const QString& path, const QVariantMap& root) {
  const auto bytes = toBinaryPlist(root);
  return bytes && writeFileAtomically(path, *bytes);
}

}  // namespace vimbrel::rvlarchive

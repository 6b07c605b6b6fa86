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

#include "RVLBinaryPlist.h"
#include "RVLLog.h"
#include "platform/AtomicFile.h"
#include "platform/PlistReader.h"

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

QVariant fromNode(plist_t node);

// Walks an array once, in order. Reaching an item by its index walks the list
// from its head each time, which made reading a long array quadratic.
template <typename Visit>
void forEachItem(plist_t array, Visit&& visit) {
  plist_array_iter iter = nullptr;
  plist_array_new_iter(array, &iter);
  for (;;) {
    plist_t item = nullptr;
    plist_array_next_item(array, iter, &item);
    if (!item) break;
    visit(item);
  }
  std::free(iter);
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
      list.reserve(qsizetype(plist_array_get_size(node)));
      forEachItem(node, [&list](plist_t item) { list.append(fromNode(item)); });
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

// Keeps an unreadable file under a name of its own, never replacing a copy
// kept before (two in one second get "-1", "-2" ...).
void moveAside(const QString& path) {
  const QString base =
      path + QStringLiteral(".corrupt-") + QString::number(QDateTime::currentSecsSinceEpoch());
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const QString aside = attempt == 0 ? base : base + QStringLiteral("-%1").arg(attempt);
    const Status status = atomicfile::renameWithoutReplacing(
        QFile::encodeName(path).toStdString(), QFile::encodeName(aside).toStdString());
    if (status) {
      rvllog::warning(QStringLiteral("Unreadable file %1 moved aside to %2").arg(path, aside));
      return;
    }
    if (status.code() != EEXIST) {
      rvllog::warning(QStringLiteral("Unreadable file %1 could not be moved aside: %2")
                          .arg(path, QString::fromStdString(status.message())));
      return;
    }
  }
  rvllog::warning(QStringLiteral("Unreadable file %1: no free name to move it aside to").arg(path));
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
  plist_t raw = plistreader::parse(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
  if (!raw) return std::nullopt;
  PlistPtr node(raw);
  return fromNode(node.get());
}

ReadResult readDictionary(const QString& path) { return readDictionary(path, QString(), {}); }

ReadResult readDictionary(const QString& path, const QString& listKey,
                          const std::function<void(const QVariant&)>& eachItem,
                          std::size_t keepLast) {
  ReadResult result;
  // The framework's own file: any size, but only a regular file (a FIFO
  // named like it must not hang the program).
  plistreader::FileBytes file =
      plistreader::readRegularFile(QFile::encodeName(path).toStdString(), std::nullopt);
  if (file.outcome == plistreader::FileOutcome::Missing) return result;
  if (file.outcome == plistreader::FileOutcome::Loaded && !listKey.isEmpty()) {
    // The queue's file, which may hold many thousand events: read in one
    // pass without building libplist's tree first. A list this reader does
    // not take goes the general way below.
    std::optional<QVariantMap> root;
    bool handedOver = false;
    root = rvlbinaryplist::readDictionary(
        file.bytes.data(), file.bytes.size(), listKey,
        [&](const QVariant& item) {
          handedOver = true;
          eachItem(item);
        },
        keepLast, result.itemsSkipped);
    if (root) {
      result.outcome = ReadOutcome::Loaded;
      result.root = std::move(*root);
      return result;
    }
    if (handedOver) {
      moveAside(path);
      result.outcome = ReadOutcome::Corrupt;
      return result;
    }
    result.itemsSkipped = 0;
  }
  PlistPtr node;
  if (file.outcome == plistreader::FileOutcome::Loaded) {
    node.reset(plistreader::parse(file.bytes.data(), file.bytes.size()));
    // The bytes are in the tree now; the file's copy can go.
    std::vector<std::uint8_t>().swap(file.bytes);
  }
  if (!node || plist_get_node_type(node.get()) != PLIST_DICT) {
    moveAside(path);
    result.outcome = ReadOutcome::Corrupt;
    return result;
  }
  if (!listKey.isEmpty()) {
    // Handed over one by one and taken out of the tree, so that the file's
    // items are never held twice.
    const QByteArray key = listKey.toUtf8();
    plist_t list = plist_dict_get_item(node.get(), key.constData());
    if (list && plist_get_node_type(list) == PLIST_ARRAY) {
      const std::size_t count = plist_array_get_size(list);
      result.itemsSkipped = count > keepLast ? count - keepLast : 0;
      std::size_t index = 0;
      forEachItem(list, [&](plist_t item) {
        if (index++ >= result.itemsSkipped) eachItem(fromNode(item));
      });
    }
    plist_dict_remove_item(node.get(), key.constData());
  }
  result.outcome = ReadOutcome::Loaded;
  result.root = fromNode(node.get()).toMap();
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

#include "RVLBinaryPlist.h"

#include <QDateTime>
#include <cmath>
#include <cstring>

namespace vimbrel::rvlbinaryplist {
namespace {

// Property-list dates count from 2001-01-01 00:00:00 UTC.
constexpr qint64 kPlistEpochMs = 978307200LL * 1000;
constexpr int kMaximumDepth = 512;
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool open() {
    if (size_ < kHeaderSize + kTrailerSize || std::memcmp(data_, "bplist00", kHeaderSize) != 0) {
      return false;
    }
    const std::uint8_t* trailer = data_ + size_ - kTrailerSize;
    offsetSize_ = trailer[6];
    refSize_ = trailer[7];
    objectCount_ = bigEndian(trailer + 8, 8);
    top_ = bigEndian(trailer + 16, 8);
    offsetTable_ = bigEndian(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
    if (top_ >= objectCount_ || offsetTable_ < kHeaderSize) return false;
    const std::size_t tableEnd = size_ - kTrailerSize;
    if (offsetTable_ > tableEnd || objectCount_ > (tableEnd - offsetTable_) / offsetSize_) {
      return false;
    }
    return true;
  }

  std::uint64_t top() const { return top_; }

  // The start of object `index`, after its marker; false when out of bounds.
  bool locate(std::uint64_t index, std::uint8_t& marker, std::size_t& at) const {
    if (index >= objectCount_) return false;
    const std::uint64_t offset =
        bigEndian(data_ + offsetTable_ + std::size_t(index) * offsetSize_, offsetSize_);
    if (offset < kHeaderSize || offset >= offsetTable_) return false;
    marker = data_[offset];
    at = std::size_t(offset) + 1;
    return true;
  }

  // The element count of a string, data, array or dictionary object: the
  // marker's low nibble, or an integer object that follows it.
  bool count(std::uint8_t marker, std::size_t& at, std::uint64_t& n) const {
    n = marker & 0x0FU;
    if (n != 0x0F) return true;
    if (at >= offsetTable_) return false;
    const std::uint8_t intMarker = data_[at];
    if ((intMarker & 0xF0U) != 0x10U) return false;
    const std::size_t width = std::size_t(1) << (intMarker & 0x0FU);
    if (width > 8 || !fits(at + 1, width)) return false;
    n = bigEndian(data_ + at + 1, width);
    at += 1 + width;
    return true;
  }

  bool fits(std::size_t at, std::uint64_t length) const {
    return at <= offsetTable_ && length <= offsetTable_ - at;
  }

  std::uint64_t ref(std::size_t at, std::uint64_t i) const {
    return bigEndian(data_ + at + std::size_t(i) * refSize_, refSize_);
  }

  // The references of an array or dictionary at `at` (n of them, or 2n).
  bool refsFit(std::size_t at, std::uint64_t n) const {
    return n <= (offsetTable_ - std::min<std::size_t>(at, offsetTable_)) / refSize_ &&
           fits(at, n * refSize_);
  }

  std::optional<QString> string(std::uint64_t index) const {
    std::uint8_t marker = 0;
    std::size_t at = 0;
    if (!locate(index, marker, at)) return std::nullopt;
    const std::uint8_t type = marker & 0xF0U;
    if (type != 0x50U && type != 0x60U) return std::nullopt;
    std::uint64_t n = 0;
    if (!count(marker, at, n)) return std::nullopt;
    return stringAt(type, at, n);
  }

  std::optional<QString> stringAt(std::uint8_t type, std::size_t at, std::uint64_t n) const {
    if (type == 0x50U) {
      if (!fits(at, n)) return std::nullopt;
      return QString::fromUtf8(reinterpret_cast<const char*>(data_ + at), qsizetype(n));
    }
    if (n > offsetTable_ / 2 || !fits(at, n * 2)) return std::nullopt;
    QString text(qsizetype(n), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::uint64_t i = 0; i < n; ++i) {
      out[i] = QChar(char16_t((data_[at + 2 * i] << 8) | data_[at + 2 * i + 1]));
    }
    return text;
  }

  // One object and everything it reaches; nothing when damaged.
  std::optional<QVariant> object(std::uint64_t index, int depth) const {
    if (depth > kMaximumDepth) return std::nullopt;
    std::uint8_t marker = 0;
    std::size_t at = 0;
    if (!locate(index, marker, at)) return std::nullopt;
    const std::uint8_t type = marker & 0xF0U;
    switch (type) {
      case 0x00U:
        if (marker == 0x08U) return QVariant(false);
        if (marker == 0x09U) return QVariant(true);
        return QVariant();
      case 0x10U: {
        const std::size_t width = std::size_t(1) << (marker & 0x0FU);
        if (width > 16 || !fits(at, width)) return std::nullopt;
        // Sixteen-byte integers keep their low half, as libplist reads them.
        const std::size_t skip = width == 16 ? 8 : 0;
        return QVariant(qlonglong(bigEndian(data_ + at + skip, width - skip)));
      }
      case 0x20U:
        return real(marker, at);
      case 0x30U: {
        if (marker != 0x33U) return std::nullopt;
        const auto seconds = real(0x23U, at);
        if (!seconds) return std::nullopt;
        const double value = seconds->toDouble();
        if (!std::isfinite(value) || std::fabs(value) > 2e9) return std::nullopt;
        // Whole seconds and microseconds, as libplist hands them out.
        const auto whole = std::int32_t(value);
        const auto micros = std::int32_t(std::fabs((value - double(std::int64_t(value))) * 1e6));
        return QVariant(QDateTime::fromMSecsSinceEpoch(
            kPlistEpochMs + qint64(whole) * 1000 + micros / 1000, Qt::UTC));
      }
      case 0x40U: {
        std::uint64_t n = 0;
        if (!count(marker, at, n) || !fits(at, n)) return std::nullopt;
        return QVariant(QByteArray(reinterpret_cast<const char*>(data_ + at), qsizetype(n)));
      }
      case 0x50U:
      case 0x60U: {
        std::uint64_t n = 0;
        if (!count(marker, at, n)) return std::nullopt;
        auto text = stringAt(type, at, n);
        if (!text) return std::nullopt;
        return QVariant(std::move(*text));
      }
      case 0x80U:
        return QVariant();  // A uid: nothing the framework writes.
      case 0xA0U: {
        std::uint64_t n = 0;
        if (!count(marker, at, n) || !refsFit(at, n)) return std::nullopt;
        QVariantList list;
        list.reserve(qsizetype(n));
        for (std::uint64_t i = 0; i < n; ++i) {
          auto item = object(ref(at, i), depth + 1);
          if (!item) return std::nullopt;
          list.append(std::move(*item));
        }
        return QVariant(std::move(list));
      }
      case 0xD0U: {
        std::uint64_t n = 0;
        if (!count(marker, at, n) || n > offsetTable_ || !refsFit(at, 2 * n)) return std::nullopt;
        QVariantMap map;
        for (std::uint64_t i = 0; i < n; ++i) {
          auto key = string(ref(at, i));
          auto value = object(ref(at, n + i), depth + 1);
          if (!key || !value) return std::nullopt;
          map.insert(std::move(*key), std::move(*value));
        }
        return QVariant(std::move(map));
      }
      default:
        return std::nullopt;
    }
  }

 private:
  static std::uint64_t bigEndian(const std::uint8_t* in, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | in[i];
    return value;
  }

  std::optional<QVariant> real(std::uint8_t marker, std::size_t at) const {
    const std::size_t width = std::size_t(1) << (marker & 0x0FU);
    if ((width != 4 && width != 8) || !fits(at, width)) return std::nullopt;
    const std::uint64_t bits = bigEndian(data_ + at, width);
    if (width == 4) {
      float value = 0;
      const auto narrow = std::uint32_t(bits);
      std::memcpy(&value, &narrow, 4);
      return QVariant(double(value));
    }
    double value = 0;
    std::memcpy(&value, &bits, 8);
    return QVariant(value);
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offsetSize_ = 0;
  std::size_t refSize_ = 0;
  std::uint64_t objectCount_ = 0;
  std::uint64_t top_ = 0;
  std::size_t offsetTable_ = 0;
};

}  // namespace

std::optional<QVariantMap> readDictionary(const std::uint8_t* data, std::size_t size,
                                          const QString& listKey,
                                          const std::function<void(const QVariant&)>& eachItem,
                                          std::size_t keepLast, std::size_t& skipped) {
  skipped = 0;
  Reader reader(data, size);
  if (!reader.open()) return std::nullopt;
  std::uint8_t marker = 0;
  std::size_t at = 0;
  if (!reader.locate(reader.top(), marker, at) || (marker & 0xF0U) != 0xD0U) return std::nullopt;
  std::uint64_t n = 0;
  if (!reader.count(marker, at, n) || !reader.refsFit(at, 2 * n)) return std::nullopt;
  QVariantMap root;
  for (std::uint64_t i = 0; i < n; ++i) {
    auto key = reader.string(reader.ref(at, i));
    if (!key) return std::nullopt;
    const std::uint64_t valueIndex = reader.ref(at, n + i);
    std::uint8_t valueMarker = 0;
    std::size_t valueAt = 0;
    if (!listKey.isEmpty() && *key == listKey && reader.locate(valueIndex, valueMarker, valueAt) &&
        (valueMarker & 0xF0U) == 0xA0U) {
      // The long array: one item at a time, never held whole.
      std::uint64_t items = 0;
      if (!reader.count(valueMarker, valueAt, items) || !reader.refsFit(valueAt, items)) {
        return std::nullopt;
      }
      skipped = items > keepLast ? std::size_t(items - keepLast) : 0;
      for (std::uint64_t k = skipped; k < items; ++k) {
        auto item = reader.object(reader.ref(valueAt, k), 1);
        if (!item) return std::nullopt;
        eachItem(*item);
      }
      continue;
    }
    auto value = reader.object(valueIndex, 1);
    if (!value) return std::nullopt;
    root.insert(std::move(*key), std::move(*value));
  }
  return root;
}

}  // namespace vimbrel::rvlbinaryplist

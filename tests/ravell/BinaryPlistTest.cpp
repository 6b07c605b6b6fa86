// The queue file's one-pass reader gives what libplist gives, and damaged
// bytes give nothing (never a read outside them: the asan build checks).
#include <gtest/gtest.h>

#include <QDateTime>

#include "RVLArchive.h"
#include "RVLBinaryPlist.h"

namespace vimbrel {
namespace {

QVariantMap sample() {
  return {
      {QStringLiteral("events"),
       QVariantList{
           QVariantMap{{"action", "E0"}, {"timestamp", "2026-01-01T10:00:00Z"}},
           QVariantMap{{"action", QString::fromUtf8("Ünïcode ☃ 𝄞")},
                       {"properties", QVariantMap{{"small", 7},
                                                  {"negative", -5},
                                                  {"wide", qlonglong(1) << 40},
                                                  {"huge", qulonglong(1) << 63},
                                                  {"real", 2.5},
                                                  {"flag", true},
                                                  {"off", false},
                                                  {"null", QByteArray()},
                                                  {"bytes", QByteArray("\x00\x01\xff", 3)},
                                                  {"list", QVariantList{1, "two", QVariantList{}}},
                                                  {"empty", QVariantMap{}},
                                                  {"long", QString(300, QLatin1Char('y'))}}}},
           QVariantMap{{"action", "E2"},
                       {"when", QDateTime::fromMSecsSinceEpoch(1767261600123, Qt::UTC)}},
       }},
      {QStringLiteral("userIdentifier"), QStringLiteral("user")},
      {QStringLiteral("customIdentified"), true},
      {QStringLiteral("journalGeneration"), qulonglong(12)},
  };
}

std::optional<QVariantMap> readFast(const QByteArray& bytes, QVariantList& items,
                                    std::size_t keepLast = SIZE_MAX) {
  std::size_t skipped = 0;
  items.clear();
  return rvlbinaryplist::readDictionary(
      reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()),
      QStringLiteral("events"), [&items](const QVariant& item) { items.append(item); }, keepLast,
      skipped);
}

TEST(BinaryPlistTest, ReadsWhatLibplistReads) {
  const auto bytes = rvlarchive::toBinaryPlist(sample());
  ASSERT_TRUE(bytes);
  const QVariantMap expected = rvlarchive::fromPlist(*bytes)->toMap();
  QVariantList items;
  const auto root = readFast(*bytes, items);
  ASSERT_TRUE(root);
  EXPECT_EQ(items, expected.value("events").toList());
  QVariantMap rest = expected;
  rest.remove("events");
  EXPECT_EQ(*root, rest);

  // Only the newest items when asked.
  ASSERT_TRUE(readFast(*bytes, items, 1));
  EXPECT_EQ(items, expected.value("events").toList().mid(2));
}

TEST(BinaryPlistTest, DamagedBytesGiveNothingOrStayInside) {
  const QByteArray bytes = *rvlarchive::toBinaryPlist(sample());
  QVariantList items;
  for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_FALSE(readFast(bytes.left(cut), items)) << cut;
  }
  // Any single byte changed: read or refused, never outside the buffer.
  for (qsizetype at = 0; at < bytes.size(); ++at) {
    for (const char value : {'\x00', '\x0f', '\x7f', '\xaf', '\xdf', '\xff'}) {
      QByteArray damaged = bytes;
      damaged[at] = value;
      readFast(damaged, items);
    }
  }
  // A dictionary holding itself.
  QByteArray loop("bplist00\xd1\x00\x00", 11);
  loop += QByteArray("\x08", 1);
  QByteArray trailer(32, '\0');
  trailer[6] = 1;
  trailer[7] = 1;
  trailer[15] = 1;
  trailer[31] = 11;
  EXPECT_FALSE(readFast(loop + trailer, items));
}

}  // namespace
}  // namespace vimbrel

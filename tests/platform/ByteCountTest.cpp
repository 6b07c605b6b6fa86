#include "platform/ByteCount.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace vimbrel {
namespace {

struct ByteCountCase {
  std::int64_t bytes;
  const char* text;
};

void expectAll(std::initializer_list<ByteCountCase> cases) {
  for (const ByteCountCase& c : cases) {
    EXPECT_EQ(formatByteCount(c.bytes), c.text) << c.bytes << " bytes";
  }
}

TEST(ByteCountTest, SmallCountsAreSpelledOutInBytes) {
  expectAll({{0, "Zero KB"}, {1, "1 byte"}, {2, "2 bytes"}, {999, "999 bytes"}});
}

TEST(ByteCountTest, UnitsAreDecimalWithAdaptivePrecision) {
  expectAll({{1000, "1 KB"},
             {1023, "1 KB"},
             {999'499, "999 KB"},
             {1'000'000, "1 MB"},
             {1'234'567, "1.2 MB"},
             {12'345'678, "12.3 MB"},
             {123'456'789, "123.5 MB"},
             {999'900'000, "999.9 MB"},
             {1'000'000'000, "1 GB"},
             {1'234'567'898, "1.23 GB"},
             {1'050'000'000, "1.05 GB"},
             {12'345'678'987, "12.35 GB"},
             {2'340'000'000, "2.34 GB"},
             {1'000'000'000'000, "1 TB"},
             {1'000'000'000'000'000, "1 PB"},
             {1'000'000'000'000'000'000, "1 EB"}});
}

TEST(ByteCountTest, ExactTiesRoundHalfToEven) {
  expectAll({{1500, "2 KB"},
             {2500, "2 KB"},
             {3500, "4 KB"},
             {10'500, "10 KB"},
             {1'250'000, "1.2 MB"},
             {1'150'000, "1.2 MB"},
             {1'050'000, "1 MB"},
             {2'345'000'000, "2.34 GB"},
             {2'355'000'000, "2.36 GB"},
             {1'005'000'000, "1 GB"},
             {1'015'000'000, "1.02 GB"}});
  // One byte past a tie always rounds up.
  expectAll({{2501, "3 KB"}, {1'250'001, "1.3 MB"}, {2'345'000'001, "2.35 GB"}});
}

TEST(ByteCountTest, RoundingUpToAThousandPromotesToTheNextUnit) {
  expectAll({{999'500, "1 MB"},
             {999'950'000, "1 GB"},
             {999'995'000'000, "1 TB"},
             {999'999'999'999'999'999, "1 EB"}});
}

TEST(ByteCountTest, NegativeCountsMirrorPositiveOnes) {
  expectAll({{-1, "-1 byte"},
             {-2, "-2 bytes"},
             {-999, "-999 bytes"},
             {-1000, "-1 KB"},
             {-2500, "-2 KB"},
             {-999'500, "-1 MB"},
             {-1'234'567'898, "-1.23 GB"}});
}

TEST(ByteCountTest, ExtremesDoNotOverflow) {
  expectAll({{std::numeric_limits<std::int64_t>::max(), "9.22 EB"},
             {std::numeric_limits<std::int64_t>::min(), "-9.22 EB"}});
}

}  // namespace
}  // namespace vimbrel

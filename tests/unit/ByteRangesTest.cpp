#include <gtest/gtest.h>

#include "core/ByteRanges.h"

using namespace zel;

TEST(ByteRangesTest, ResolvesRangeHeaders) {
  using K = TByteRange::TKind;
  struct Case {
    const char* header;
    std::uint64_t size;
    K kind;
    std::uint64_t first, length;
  } cases[] = {
      {"", 1000, K::Whole, 0, 1000},
      {"bytes=0-99", 1000, K::Partial, 0, 100},
      {"bytes=100-", 1000, K::Partial, 100, 900},
      {"bytes=-500", 1000, K::Partial, 500, 500},
      {"bytes=-5000", 1000, K::Partial, 0, 1000},
      {"bytes=999-999", 1000, K::Partial, 999, 1},
      {"bytes=990-2000", 1000, K::Partial, 990, 10},
      {"bytes=0-99999999999999999999999", 1000, K::Partial, 0, 1000},
      {"Bytes = 5 - 9 ", 1000, K::Partial, 5, 5},
      {"bytes=1000-", 1000, K::Unsatisfiable, 0, 0},
      {"bytes=5000-6000", 1000, K::Unsatisfiable, 0, 0},
      {"bytes=99999999999999999999999-", 1000, K::Unsatisfiable, 0, 0},
      {"bytes=-0", 1000, K::Unsatisfiable, 0, 0},
      {"bytes=0-", 0, K::Unsatisfiable, 0, 0},
      {"bytes=-10", 0, K::Unsatisfiable, 0, 0},
      // Several ranges: answered whole.
      {"bytes=0-9,20-29", 1000, K::Whole, 0, 1000},
      {"bytes=0-9, 5000-", 1000, K::Whole, 0, 1000},
      // Malformed, or not bytes: answered whole.
      {"bytes=9-5", 1000, K::Whole, 0, 1000},
      {"bytes=", 1000, K::Whole, 0, 1000},
      {"bytes=-", 1000, K::Whole, 0, 1000},
      {"bytes=abc-", 1000, K::Whole, 0, 1000},
      {"bytes=1-2x", 1000, K::Whole, 0, 1000},
      {"bytes=+1-2", 1000, K::Whole, 0, 1000},
      {"bytes 0-9", 1000, K::Whole, 0, 1000},
      {"items=0-9", 1000, K::Whole, 0, 1000},
      {"bytes=5", 1000, K::Whole, 0, 1000},
  };
  for (const Case& c : cases) {
    const TByteRange r = ResolveByteRange(c.header, c.size);
    EXPECT_EQ(r.Kind, c.kind) << c.header;
    EXPECT_EQ(r.First, c.first) << c.header;
    EXPECT_EQ(r.Length, c.length) << c.header;
  }
}

TEST(ByteRangesTest, ContentRangeValues) {
  EXPECT_EQ(ContentRangeValue(ResolveByteRange("bytes=100-199", 1000), 1000), "bytes 100-199/1000");
  EXPECT_EQ(ContentRangeValue(ResolveByteRange("bytes=-1", 1000), 1000), "bytes 999-999/1000");
  EXPECT_EQ(ContentRangeValue(ResolveByteRange("bytes=2000-", 1000), 1000), "bytes */1000");
  EXPECT_EQ(ContentRangeValue(ResolveByteRange("", 1000), 1000), "");
}

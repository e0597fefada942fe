// Round trips of random documents: written, read back and written again,
// the model and the bytes must survive; braces always balance.
#include <gtest/gtest.h>

#include "tests/richtext_io/io_helpers.h"

using namespace rtio_test;

namespace {

// Braces outside escapes and verbatim code runs: depth never negative, 0 at the end.
bool Balanced(const std::string& s) {
  int depth = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, 7, "\\wprtf1") == 0) {
      const size_t e = s.find("\\wprtf0", i + 7);
      if (e == std::string::npos) return false;
      i = e + 6;
      continue;
    }
    if (s[i] == '\\') {
      ++i;
      continue;
    }
    if (s[i] == '{') ++depth;
    if (s[i] == '}' && --depth < 0) return false;
  }
  return depth == 0;
}

TEST(RoundTrip, RandomDocumentsKeepModelAndBytes) {
  int tables = 0, pictures = 0;
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    TWPRTFTextIo a;
    RandomDocument(a, seed);
    ASSERT_TRUE(a.CheckChains()) << seed;
    const std::string first = ToRtf(a);
    ASSERT_TRUE(Balanced(first)) << "seed " << seed << "\n" << first;
    TWPRTFTextIo b;
    ASSERT_EQ(FromRtf(b, first), 0) << seed;
    std::string why;
    ASSERT_TRUE(b.CheckChains(&why)) << seed << " " << why;
    ASSERT_EQ(Dump(a), Dump(b)) << "seed " << seed << "\n" << first;
    const std::string second = ToRtf(b);
    ASSERT_EQ(first, second) << "seed " << seed;
    if (first.find("\\trowd") != std::string::npos) ++tables;
    if (first.find("{\\pict") != std::string::npos) ++pictures;
  }
  // The generator really produced the rarer kinds.
  EXPECT_GT(tables, 20);
  EXPECT_GT(pictures, 20);
}

}  // namespace

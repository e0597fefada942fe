#include "platform/rtl/cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  AnsiString back;
  ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), back));
  EXPECT_EQ(back, all);
}

TEST(Cp1252, KnownCodePointsAndRefusals) {
  EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(134), U'\u2020');  // dagger marks deaths
  EXPECT_EQ(Cp1252ToUtf8("\xA0"), "\xC2\xA0");
  AnsiString out;
  size_t bad = 99;
  EXPECT_FALSE(Utf8ToCp1252("ab\xE2\x99\x88", out, &bad));  // aries sign
  EXPECT_EQ(bad, 2u);
  EXPECT_FALSE(Utf8ToCp1252("a\xC3", out, &bad));  // truncated sequence
  EXPECT_EQ(bad, 1u);
  EXPECT_THROW(Utf8ToCp1252OrThrow("\xF0\x9F\x98\x80"), EConvertError);
}

TEST(Cp1252, SourceLiteralsAreConvertedAtCompileTime) {
  constexpr auto p = CP1252("Persönliches");
  static_assert(p.view().size() == 12);
  EXPECT_EQ(p.str(), "Pers\xF6nliches");
  EXPECT_EQ(CP1252("†").str(), "\x86");
  EXPECT_EQ(CP1252("\u00A0").str(), "\xA0");
}

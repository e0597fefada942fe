// String and number routines: code-page case mapping, conversions in the
// German format, rounding rules and checked integer arithmetic.
#include "platform/rtl/sysutils.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/cp1252.h"

TEST(SysUtilsChars, AccentedLettersMapThroughTheCodePage) {
  EXPECT_EQ(AnsiUpperCase(CP1252("äöüéàçñøåæœšžÿ").str()), CP1252("ÄÖÜÉÀÇÑØÅÆŒŠŽŸ").str());
  EXPECT_EQ(AnsiLowerCase(CP1252("ÄÖÜÉÀÇÑØÅÆŒŠŽŸ").str()), CP1252("äöüéàçñøåæœšžÿ").str());
  // Sharp s, micro and f-hook have no upper case; the sign characters are no letters.
  EXPECT_EQ(AnsiUpperCase(CP1252("ßµƒ×÷").str()), CP1252("ßµƒ×÷").str());
  EXPECT_EQ(UpperCase(CP1252("straße ä").str()), CP1252("STRAßE ä").str());
  EXPECT_EQ(LowerCase("ABC xyz"), "abc xyz");
  EXPECT_TRUE(IsCharAlpha('\xDF'));
  EXPECT_TRUE(IsCharAlpha('\x8A'));
  EXPECT_FALSE(IsCharAlpha('\xD7'));
  EXPECT_FALSE(IsCharAlpha('\xF7'));
  EXPECT_FALSE(IsCharAlpha('5'));
  EXPECT_TRUE(IsCharAlphaNumeric('5'));
  EXPECT_FALSE(IsCharAlphaNumeric('\x86'));  // dagger
  EXPECT_FALSE(IsCharAlphaNumeric('\xA0'));
  int letters = 0;
  for (int c = 0; c < 256; ++c) {
    char ch = static_cast<char>(c);
    letters += IsCharAlpha(ch);
    // Every upper-case letter maps back to itself through lower case.
    if (IsCharUpper(ch)) {
      EXPECT_EQ(AnsiUpperChar(AnsiLowerChar(ch)), ch) << c;
    }
  }
  EXPECT_EQ(letters, 52 + 62 + 11);
}

TEST(SysUtilsStrings, PositionsCountFromOneAndClip) {
  EXPECT_EQ(Copy("Orvelan", 2, 3), "rve");
  EXPECT_EQ(Copy("Orvelan", 0, 2), "Or");
  EXPECT_EQ(Copy("Orvelan", 6, 100), "an");
  EXPECT_EQ(Copy("Orvelan", 8, 1), "");
  EXPECT_EQ(Copy("Orvelan", 3, -1), "");
  EXPECT_EQ(Pos("el", "Orvelan"), 4);
  EXPECT_EQ(Pos("x", "Orvelan"), 0);
  EXPECT_EQ(Pos("", "Orvelan"), 0);
  AnsiString s = "Kalender";
  Delete(s, 2, 3);
  EXPECT_EQ(s, "Knder");
  Delete(s, 9, 1);
  EXPECT_EQ(s, "Knder");
  Insert("ale", s, 2);
  EXPECT_EQ(s, "Kalender");
  Insert("!", s, 100);
  EXPECT_EQ(s, "Kalender!");
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");  // no-break space is not a blank
}

TEST(SysUtilsStrings, ComparisonsFoldAsDocumented) {
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
  EXPECT_NE(CompareText("\xE4", "\xC4"), 0);  // A to Z only
  EXPECT_TRUE(SameText("Orvelan.Ini", "ORVELAN.INI"));
  EXPECT_TRUE(AnsiSameText("\xE4rger", "\xC4RGER"));
  EXPECT_EQ(AnsiCompareText("\xE4rger", "\xC4RGER"), 0);
  // Accented letters sort with their base letter, not after 'z'.
  EXPECT_LT(AnsiCompareText("Apfel", "\xC4pfel"), 0);
  EXPECT_LT(AnsiCompareText("\xC4pfel", "Birne"), 0);
  EXPECT_LT(AnsiCompareText("M\xFCller", "Muster"), 0);
  EXPECT_EQ(AnsiCompareText("Stra\xDF" "e", "STRASSE") != 0, true);
  EXPECT_LT(AnsiCompareText("Strasse", "Stra\xDF" "e"), 0);
  EXPECT_LT(AnsiCompareText("10", "A"), 0);
  EXPECT_LT(AnsiCompareText("-", "0"), 0);
  EXPECT_LT(AnsiCompareStr("abc", "ABC"), 0);
  EXPECT_GT(AnsiCompareStr("Abc", "abc"), 0);
  EXPECT_LT(CompareStr("ABC", "abc"), 0);
}

TEST(SysUtilsIntegers, StrToIntAcceptsAndRefuses) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("  -17"), -17);
  EXPECT_EQ(StrToInt("+5"), 5);
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"", " ", "12 ", "1-2", "abc", "-", "$", "2147483648", "-2147483649",
                          "1.5", "$1FFFFFFFF", "99999999999999999999999"}) {
    EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    EXPECT_EQ(StrToIntDef(bad, -7), -7) << bad;
  }
  try {
    StrToInt("zwölf");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "\"zwölf\"" + CP1252(" ist keine gültige ganze Zahl.").str());
  }
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  EXPECT_EQ(IntToStr(-12345), "-12345");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}

TEST(SysUtilsFloats, GeneralFormatAndParsing) {
  EXPECT_EQ(FloatToStr(-10.0), "-10");
  EXPECT_EQ(FloatToStr(0.5), "0,5");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0,3");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(0.0001), "0,0001");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
  EXPECT_EQ(FloatToStr(-1.5e-7), "-1,5E-7");
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(0.0), "0");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_DOUBLE_EQ(StrToFloat("3,25"), 3.25);
  EXPECT_DOUBLE_EQ(StrToFloat("3.25"), 3.25);
  EXPECT_DOUBLE_EQ(StrToFloat(" -1,5E3 "), -1500.0);
  EXPECT_DOUBLE_EQ(StrToFloat(",5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat("7"), 7.0);
  // Thousands separators where they are unambiguous; "1.234" alone keeps
  // the decimal point.
  EXPECT_DOUBLE_EQ(StrToFloat("1.000,5"), 1000.5);
  EXPECT_DOUBLE_EQ(StrToFloat("-1.234.567"), -1234567.0);
  EXPECT_DOUBLE_EQ(StrToFloat("12.345.678,25"), 12345678.25);
  EXPECT_DOUBLE_EQ(StrToFloat("1.234"), 1.234);
  for (const char* bad : {"", ",", "1,2,3", "1.00,5", "1.0000,5", "1234.567,5", "1.234.56", "abc", "1e",
                          "1e400", "--1", "1 2"}) {
    EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
    EXPECT_EQ(StrToFloatDef(bad, 9.5), 9.5) << bad;
  }
  // Round trip of general format keeps 15 digits.
  for (double v : {1.0 / 3, 2.5e-3, 47.1234, -98765.4321, 6.02214076e23})
    EXPECT_NEAR(StrToFloat(FloatToStr(v)), v, std::fabs(v) * 1e-14) << v;
}

TEST(SysUtilsFloats, FormatFloatPictures) {
  EXPECT_EQ(FormatFloat("0.00", 3.14159), "3,14");
  EXPECT_EQ(FormatFloat("0.00", 0.125), "0,13");
  EXPECT_EQ(FormatFloat("0.00", 2.675), "2,68");
  EXPECT_EQ(FormatFloat("0.00", -0.001), "0,00");
  EXPECT_EQ(FormatFloat("0.##", 1.5), "1,5");
  EXPECT_EQ(FormatFloat("0.##", 2.0), "2");
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
  EXPECT_EQ(FormatFloat("#,##0", -999.5), "-1.000");
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("#", 0), "");
  EXPECT_EQ(FormatFloat("0.0 \"cm\"", 2.54), "2,5 cm");
  EXPECT_EQ(FormatFloat("0;(0);\"null\"", -5), "(5)");
  EXPECT_EQ(FormatFloat("0;(0);\"null\"", 0), "null");
  EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1,23E+04");
  EXPECT_EQ(FormatFloat("0.0E-0", 0.00025), "2,5E-4");
  EXPECT_EQ(FormatFloat("", 2.5), "2,5");
}

TEST(SysUtilsFormat, DirectivesAndErrors) {
  EXPECT_EQ(Format("%s %d %.2f", "Tag", 12, 3.14159), "Tag 12 3,14");
  EXPECT_EQ(Format("%5d|%-5d|%.3d", 42, 42, 7), "   42|42   |007");
  EXPECT_EQ(Format("%x %.4x", 255, 26), "FF 001A");
  EXPECT_EQ(Format("%n", 1234567.5), "1.234.567,50");
  EXPECT_EQ(Format("%e", 1234.5), "1,23450000000000E+003");
  EXPECT_EQ(Format("%g", 0.5), "0,5");
  EXPECT_EQ(Format("%.1s|%3s", AnsiString("abc"), "x"), "a|  x");
  EXPECT_EQ(Format("%*d", 4, 9), "   9");
  EXPECT_EQ(Format("%1:s %0:s", "a", "b"), "b a");
  EXPECT_EQ(Format("100%%"), "100%");
  EXPECT_EQ(Format("%d", -2147483648LL), "-2147483648");
  EXPECT_EQ(Format("%f", -0.004), "0,00");
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%s %s", "one"), EConvertError);
  EXPECT_THROW(Format("%f", 3), EConvertError);
  EXPECT_THROW(Format("%q", 3), EConvertError);
  EXPECT_THROW(Format("abc%"), EConvertError);
}

TEST(SysUtilsArithmetic, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDiv(10, 3, 4), 8);   // 7.5
  EXPECT_EQ(MulDiv(-10, 3, 4), -8);
  EXPECT_EQ(MulDiv(10, -3, 4), -8);
  EXPECT_EQ(MulDiv(-10, -3, -4), -8);
  EXPECT_EQ(MulDiv(7, 1, 4), 2);    // 1.75
  EXPECT_EQ(MulDiv(5, 1, 4), 1);    // 1.25
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000);  // 64-bit product
  EXPECT_EQ(MulDiv(2000000000, 4, 2), -1);                             // result overflows
  EXPECT_EQ(MulDiv(1440, 96, 72), 1920);
}

TEST(SysUtilsArithmetic, RoundTruncFrac) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(-3.5), -4);
  EXPECT_EQ(Round(2.500001), 3);
  EXPECT_EQ(Round(-0.4), 0);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
  EXPECT_DOUBLE_EQ(Frac(2.75), 0.75);
  EXPECT_DOUBLE_EQ(Int(-2.75), -2.0);
  EXPECT_THROW(Round(NAN), ERangeError);
  EXPECT_THROW(Round(1e19), ERangeError);
  EXPECT_THROW(Trunc(-INFINITY), ERangeError);
  EXPECT_EQ(Trunc(-9223372036854775808.0), INT64_MIN);
}

TEST(SysUtilsArithmetic, CheckedIntegersRaise) {
  EXPECT_EQ(CheckedAdd(2147483646, 1), 2147483647);
  EXPECT_THROW(CheckedAdd(2147483647, 1), EIntOverflow);
  EXPECT_THROW(CheckedSub(INT32_MIN, 1), EIntOverflow);
  EXPECT_THROW(CheckedMul(65536, 32768), EIntOverflow);
  EXPECT_THROW(CheckedNeg(INT32_MIN), EIntOverflow);
  EXPECT_THROW(CheckedMul64(INT64_MAX, 2), EIntOverflow);
  EXPECT_EQ(CheckedMul64(3000000000LL, 3), 9000000000LL);
  EXPECT_EQ(RangeCheck(5, 0, 9), 5);
  EXPECT_THROW(RangeCheck(10, 0, 9), ERangeError);
  EXPECT_EQ(CheckedCast<int16_t>(-32768), -32768);
  EXPECT_THROW(CheckedCast<int16_t>(32768), ERangeError);
  EXPECT_THROW(CheckedCast<uint8_t>(-1), ERangeError);
  EXPECT_EQ(CheckedCast<uint32_t>(4294967295LL), 4294967295u);
  // Both belong to the integer error family a caller may catch at once.
  EXPECT_THROW(CheckedAdd(INT32_MAX, INT32_MAX), EIntError);
}

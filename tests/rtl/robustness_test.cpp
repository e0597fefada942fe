// Random input for every parser of the runtime library: each answers with a
// value, a default or its documented exception, never a crash. The number of
// cases can be raised by hand with ORV_RTL_FUZZ_CASES.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <cmath>
#include <random>

#include "platform/rtl/classes.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/sysutils.h"
#include "temp_dir.h"

namespace {

int Cases(int def) {
  const char* env = std::getenv("ORV_RTL_FUZZ_CASES");
  return env ? std::max(1, std::atoi(env)) : def;
}

// Mostly characters that mean something to the parsers.
AnsiString RandomText(std::mt19937& rng, size_t maxLen) {
  static const char kAlphabet[] = "0123456789.,:;=-+$xXeE []\"'%dfsnguc#\r\n\t\xE4\xDF\xA0\x86";
  std::uniform_int_distribution<size_t> len(0, maxLen);
  std::uniform_int_distribution<int> pick(0, sizeof(kAlphabet) - 2);
  std::uniform_int_distribution<int> any(0, 255);
  AnsiString s;
  for (size_t i = 0, n = len(rng); i < n; ++i)
    s += (rng() % 8 == 0) ? static_cast<char>(any(rng)) : kAlphabet[pick(rng)];
  return s;
}

}  // namespace

TEST(Robustness, NumberAndDateParsers) {
  std::mt19937 rng(20261207);
  for (int i = 0, n = Cases(20000); i < n; ++i) {
    AnsiString s = RandomText(rng, 16);
    int v = 0;
    if (TryStrToInt(s, v)) {
      EXPECT_EQ(StrToInt(s), v) << s;
    } else {
      EXPECT_THROW(StrToInt(s), EConvertError) << s;
    }
    double d = 0;
    if (TryStrToFloat(s, d)) {
      EXPECT_TRUE(std::isfinite(d)) << s;
    } else {
      EXPECT_THROW(StrToFloat(s), EConvertError) << s;
    }
    TDateTime t = 0;
    if (TryStrToDate(s, t)) {
      EXPECT_EQ(StrToDate(DateToStr(t)), t) << s;
    } else {
      EXPECT_THROW(StrToDate(s), EConvertError) << s;
    }
    if (!TryStrToDateTime(s, t)) {
      EXPECT_THROW(StrToDateTime(s), EConvertError) << s;
    }
    // Formatting with a random picture never crashes and always ends.
    try {
      Format(s, 42, 3.5, "x");
    } catch (const EConvertError&) {
    }
    FormatFloat(s, (static_cast<double>(rng()) - 2e9) / 997.0);
    FormatDateTime(s, 45000.25);
  }
}

TEST(Robustness, ListAndIniParsers) {
  TempDir dir;
  std::mt19937 rng(7);
  TStringList l;
  for (int i = 0, n = Cases(3000); i < n; ++i) {
    AnsiString s = RandomText(rng, 40);
    l.SetCommaText(s);
    // Comma text written by the list reads back as the same list.
    TStringList back;
    back.SetCommaText(l.CommaText());
    EXPECT_TRUE(back.Equals(&l)) << s;
    l.SetText(s);
    EXPECT_EQ(back.Values(s), back.Values(s));
  }
  // Malformed ini files read without harm and survive a write.
  for (int i = 0, n = Cases(3000) / 20; i < n; ++i) {
    const std::string name = dir / ("f" + std::to_string(i) + ".ini");
    AnsiString junk = RandomText(rng, 400);
    std::ofstream(name, std::ios::binary) << junk;
    TIniFile ini(name);
    TStringList sections, values;
    ini.ReadSections(&sections);
    for (int k = 0; k < sections.Count(); ++k) ini.ReadSectionValues(sections.Get(k), &values);
    ini.ReadInteger("A", "b", 0);
    ini.WriteString("Neu", "Schluessel", "Wert");
    EXPECT_EQ(ini.ReadString("neu", "schluessel", ""), "Wert") << junk;
  }
}

// String utilities, stacks, and the validation of dates, times and numbers
// as a user types them (German settings: 24.12.2026, 7:05, 1.234,56).
#include <gtest/gtest.h>

#include "dbcontrols/text/wwstr.h"
#include "dbcontrols/text/wwvalidate.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testdriver.h"

namespace {

TEST(WwStr, GetTokenWalksCharacterAndWordDelimiters) {
  int pos = 1;
  EXPECT_EQ(wwStrGetToken("a;b", ";", pos), "a");
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(wwStrGetToken("a;b", ";", pos), "b");
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(wwStrGetToken("a;b", ";", pos), "");
  EXPECT_EQ(pos, -1);

  // A word delimiter stands between blanks, in any letter case.
  pos = 1;
  EXPECT_EQ(wwStrGetToken("x AND y", "and", pos), "x");
  EXPECT_EQ(wwStrGetToken("x AND y", "and", pos), "y");
  pos = 1;
  EXPECT_EQ(wwStrGetToken("BRANDY and x", "and", pos), "BRANDY");
  EXPECT_EQ(pos, 12);
  // Positions outside the text change nothing.
  pos = 0;
  EXPECT_EQ(wwStrGetToken("abc", ";", pos), "");
  EXPECT_EQ(pos, 0);
  pos = 4;
  EXPECT_EQ(wwStrGetToken("abc", ";", pos), "");
  EXPECT_EQ(pos, 4);
  // Tokens of a grid column entry (field, width, title).
  pos = 1;
  AnsiString entry = "NAME\t20\tName der Person";
  EXPECT_EQ(wwStrGetToken(entry, "\t", pos), "NAME");
  EXPECT_EQ(wwStrGetToken(entry, "\t", pos), "20");
  EXPECT_EQ(wwStrGetToken(entry, "\t", pos), "Name der Person");
}

TEST(WwStr, SplitTrimReplaceCount) {
  TStringList list;
  list.Add("old");
  wwStrSplitToList("a;;b;", ';', &list);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Strings(0), "a");
  EXPECT_EQ(list.Strings(1), "");
  EXPECT_EQ(list.Strings(2), "b");
  EXPECT_EQ(list.Strings(3), "");
  wwStrSplitToList("", ';', &list);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Strings(0), "");

  EXPECT_EQ(wwStrTrimBlanks(" \t a b\t "), "a b");
  EXPECT_EQ(wwStrTrimBlanks(" \t \t"), "");
  TwwCharSet zeros{'0'};
  EXPECT_EQ(wwStrTrimLeftSet("0012300", zeros), "12300");
  EXPECT_EQ(wwStrTrimRightSet("0012300", zeros), "00123");
  EXPECT_EQ(wwStrTrimLeftSet("000", zeros), "");
  EXPECT_EQ(wwStrTrimRightSet("000", zeros), "");

  EXPECT_EQ(wwStrReplaceChar("a;b;c", ';', '\t'), "a\tb\tc");
  EXPECT_EQ(wwStrReplaceCharWithStr("a;b", ';', ", "), "a, b");
  EXPECT_EQ(wwStrReplaceCharWithStr("a;b;", ';', ""), "ab");
  EXPECT_EQ(wwStrCountChar("a;b;;", ';'), 3);
  EXPECT_EQ(wwStrAfterChar("abc", 'x'), "");
  EXPECT_EQ(wwStrAfterChar("abc", 'c'), "");
  EXPECT_EQ(wwStrAfterChar("abc", 'a'), "bc");
  EXPECT_EQ(wwStrAfterChar("a=b=c", '='), "b=c");
}

TEST(WwStr, EqualTextFoldsTheCodePage) {
  EXPECT_TRUE(wwEqualText("Abc", "aBC"));
  EXPECT_TRUE(wwEqualText(CP1252("Müller").str(), CP1252("MÜLLER").str()));
  EXPECT_FALSE(wwEqualText("Abc", "Abcd"));
  EXPECT_FALSE(wwEqualText(CP1252("Mueller").str(), CP1252("Müller").str()));
}

TEST(WwStr, GetWordSplitsAtDelimitersAndQuotes) {
  TwwCharSet comma{','};
  int pos = 1;
  EXPECT_EQ(wwGetWord("ab,c", pos, comma, 0), "ab");
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(wwGetWord("ab,c", pos, comma, 0), ",");
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(wwGetWord("ab,c", pos, comma, 0), "c");
  pos = 1;
  EXPECT_EQ(wwGetWord("a,b", pos, comma, 0), "a");
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(wwGetWord("a,b", pos, comma, 0), "b");
  EXPECT_EQ(wwGetWord("a,b", pos, comma, 0), "");  // past the end

  // Blanks end words; option 1 skips them first.
  pos = 1;
  EXPECT_EQ(wwGetWord("  name = x", pos, comma, wwgwSkipLeadingBlanks), "name");
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(wwGetWord("  name = x", pos, comma, wwgwSkipLeadingBlanks), "=");

  // Quoted words run to the closing quote, blanks and delimiters included.
  pos = 1;
  EXPECT_EQ(wwGetWord("\"a, b\",c", pos, comma, wwgwQuotesAsWords), "\"a, b\"");
  EXPECT_EQ(pos, 7);
  pos = 1;
  EXPECT_EQ(wwGetWord("\"a, b\",c", pos, comma, wwgwQuotesAsWords | wwgwStripQuotes), "a, b");
  pos = 1;
  EXPECT_EQ(wwGetWord("\"open", pos, comma, wwgwQuotesAsWords | wwgwStripQuotes), "open");
  EXPECT_EQ(pos, 6);
  // Without the option a quote is an ordinary character.
  pos = 1;
  EXPECT_EQ(wwGetWord("\"a b\"", pos, comma, 0), "\"a");
}

TEST(WwStr, Stacks) {
  TStackStr s;
  EXPECT_EQ(s.Pop(), "");
  s.Push("a");
  s.Push("b");
  EXPECT_EQ(s.Count(), 2);
  EXPECT_EQ(s.Pop(), "b");
  EXPECT_EQ(s.Pop(), "a");
  EXPECT_EQ(s.Count(), 0);
  TStackPtr p;
  int x = 1, y = 2;
  EXPECT_EQ(p.Pop(), nullptr);
  p.Push(&x);
  p.Push(&y);
  EXPECT_EQ(p.Pop(), &y);
  EXPECT_EQ(p.Pop(), &x);
  EXPECT_EQ(p.Pop(), nullptr);
}

// ---------------------------------------------------------------- dates

struct WwValidate : ::testing::Test {
  void SetUp() override { ResetFormatSettings(); }
  void TearDown() override { ResetFormatSettings(); }
  static int Year(TDateTime d) {
    int y, m, dd;
    DecodeDate(d, y, m, dd);
    return y;
  }
};

TEST_F(WwValidate, GermanDatesAsTyped) {
  TDateTime d;
  ASSERT_TRUE(wwScanDateAtStart("24.12.2026", d));
  EXPECT_EQ(d, EncodeDate(2026, 12, 24));
  EXPECT_TRUE(wwIsValidDate("24.12.2026"));
  EXPECT_TRUE(wwIsValidDate(" 24 . 12 . 2026 "));
  // Two-digit years are of the 1900s.
  ASSERT_TRUE(wwScanDateAtStart("31.12.99", d));
  EXPECT_EQ(d, EncodeDate(1999, 12, 31));
  ASSERT_TRUE(wwScanDateAtStart("1.1.05", d));
  EXPECT_EQ(d, EncodeDate(1905, 1, 1));
  EXPECT_FALSE(wwIsValidDate("29.2.1900"));
  EXPECT_TRUE(wwIsValidDate("29.2.2000"));
  EXPECT_FALSE(wwIsValidDate("1.13.2000"));
  EXPECT_FALSE(wwIsValidDate("31.4.2001"));
  // Two numbers: this year.
  ASSERT_TRUE(wwScanDateAtStart("5.3", d));
  EXPECT_EQ(d, EncodeDate(Year(Date()), 3, 5));
  // Short month names instead of numbers, in any letter case.
  ASSERT_TRUE(wwScanDateAtStart("5.mrz.2001", d));
  EXPECT_EQ(d, EncodeDate(2001, 3, 5));
  ASSERT_TRUE(wwScanDateAtStart("1.Dez.1999", d));
  EXPECT_EQ(d, EncodeDate(1999, 12, 1));
  // At most four digits make a number: the fifth is left over.
  EXPECT_FALSE(wwIsValidDate("1.1.12345"));
  EXPECT_TRUE(wwScanDateAtStart("1.1.12345", d));
  EXPECT_EQ(d, EncodeDate(1234, 1, 1));
  // Typing in progress.
  for (const char* partial : {"", "2", "24", "24.", "24.12.", "24.12.2026x", "x"})
    EXPECT_FALSE(wwIsValidDate(partial)) << partial;
  EXPECT_TRUE(wwIsValidDate("24.12"));
}

TEST_F(WwValidate, DateOrderFollowsTheFormat) {
  EXPECT_EQ(wwDateOrder("dd.MM.yyyy"), doDMY);
  EXPECT_EQ(wwDateOrder("M/d/yy"), doMDY);
  EXPECT_EQ(wwDateOrder("yyyy-mm-dd"), doYMD);
  EXPECT_EQ(wwDateOrder("---"), doMDY);
  TDateTime d;
  ShortDateFormat = "M/d/yyyy";
  DateSeparator = '/';
  ASSERT_TRUE(wwScanDateAtStart("12/24/2026", d));
  EXPECT_EQ(d, EncodeDate(2026, 12, 24));
  ASSERT_TRUE(wwScanDateAtStart("3/5", d));
  EXPECT_EQ(d, EncodeDate(Year(Date()), 3, 5));
  ShortDateFormat = "yyyy-MM-dd";
  DateSeparator = '-';
  ASSERT_TRUE(wwScanDateAtStart("2026-12-24", d));
  EXPECT_EQ(d, EncodeDate(2026, 12, 24));
  ASSERT_TRUE(wwScanDateAtStart("99-1-2", d));
  EXPECT_EQ(d, EncodeDate(1999, 1, 2));
}

TEST_F(WwValidate, TimesAsTyped) {
  TDateTime t;
  int pos = 1;
  ASSERT_TRUE(wwScanTime("7:05", pos, t));
  EXPECT_EQ(Round(t * MSecsPerDay), (7 * 60 + 5) * 60000);
  EXPECT_TRUE(wwIsValidTime("7:05"));
  EXPECT_TRUE(wwIsValidTime("23:59:59"));
  EXPECT_FALSE(wwIsValidTime("24:00"));
  EXPECT_FALSE(wwIsValidTime("7:60"));
  EXPECT_FALSE(wwIsValidTime("7"));
  EXPECT_FALSE(wwIsValidTime("7:"));
  EXPECT_FALSE(wwIsValidTime("7:05:"));
  // AM and PM: 12 is 0, PM adds 12, 0 and 13 and more are invalid with a marker.
  pos = 1;
  ASSERT_TRUE(wwScanTime("12:30 PM", pos, t));
  EXPECT_EQ(Round(t * MSecsPerDay), (12 * 60 + 30) * 60000);
  pos = 1;
  ASSERT_TRUE(wwScanTime("12:30 am", pos, t));
  EXPECT_EQ(Round(t * MSecsPerDay), 30 * 60000);
  pos = 1;
  ASSERT_TRUE(wwScanTime("1:15:20 pm", pos, t));
  EXPECT_EQ(Round(t * MSecsPerDay), ((13 * 60 + 15) * 60 + 20) * 1000);
  EXPECT_FALSE(wwIsValidTime("0:30 PM"));
  EXPECT_FALSE(wwIsValidTime("13:00 PM"));
  // The locale's own marker texts count too.
  TimeAMString = "vorm.";
  TimePMString = "nachm.";
  pos = 1;
  ASSERT_TRUE(wwScanTime("3:00 NACHM.", pos, t));
  EXPECT_EQ(Round(t * MSecsPerDay), 15 * 3600000);
}

TEST_F(WwValidate, DateTimesAndNumbers) {
  EXPECT_TRUE(wwIsValidDateTime("24.12.2026 7:05"));
  EXPECT_FALSE(wwIsValidDateTime("24.12.2026"));
  EXPECT_EQ(wwStrToDateTime("24.12.2026"), 0);
  EXPECT_EQ(wwStrToDateTime("24.12.2026 18:00"), EncodeDate(2026, 12, 24) + 0.75);
  // Before day 0 the time is the fraction's absolute value.
  EXPECT_EQ(wwStrToDateTime("29.12.1899 6:00"), -1.25);
  EXPECT_FALSE(wwIsValidDateTime("24.12.2026 7:05 x"));

  EXPECT_TRUE(wwIsValidInteger(""));
  EXPECT_FALSE(wwIsValidInteger("-"));
  EXPECT_TRUE(wwIsValidInteger("-12"));
  EXPECT_FALSE(wwIsValidInteger("1-2"));
  EXPECT_FALSE(wwIsValidInteger("1.234"));
  EXPECT_FALSE(wwIsValidInteger(" 12"));

  EXPECT_TRUE(wwIsValidFloat(""));
  EXPECT_TRUE(wwIsValidFloat("1.234,56"));
  EXPECT_DOUBLE_EQ(StrToFloat("1.234,56"), 1234.56);
  EXPECT_TRUE(wwIsValidFloat("-0,5"));
  EXPECT_TRUE(wwIsValidFloat("1.234.567"));
  EXPECT_FALSE(wwIsValidFloat("1.23,4"));
  EXPECT_FALSE(wwIsValidFloat("1,2,3"));
  EXPECT_FALSE(wwIsValidFloat("-"));
}

TEST_F(WwValidate, EncodingAndDaySteps) {
  TDateTime d = -1;
  EXPECT_TRUE(wwTryEncodeDate(2000, 2, 29, d));
  EXPECT_FALSE(wwTryEncodeDate(1900, 2, 29, d));
  EXPECT_FALSE(wwTryEncodeDate(0, 1, 1, d));
  EXPECT_FALSE(wwTryEncodeDate(10000, 1, 1, d));
  EXPECT_TRUE(wwTryEncodeTime(23, 59, 59, 999, d));
  EXPECT_FALSE(wwTryEncodeTime(24, 0, 0, 0, d));
  EXPECT_FALSE(wwTryEncodeTime(0, 0, 0, 1000, d));
  EXPECT_EQ(wwNextDay(2000, 2, 28), 29);
  EXPECT_EQ(wwNextDay(2001, 2, 28), 1);
  EXPECT_EQ(wwNextDay(2001, 1, 31), 1);
  EXPECT_EQ(wwNextDay(2001, 4, 31), 1);  // beyond the month's end
  EXPECT_EQ(wwPriorDay(2000, 3, 1), 31);
  EXPECT_EQ(wwPriorDay(2000, 2, 1), 29);
  EXPECT_EQ(wwPriorDay(1900, 2, 1), 28);
  EXPECT_EQ(wwPriorDay(2000, 2, 15), 14);
}

TEST_F(WwValidate, PartUnderTheCaret) {
  const AnsiString text = "24.12.2026 07:05:30";
  // Day until the first separator is passed, then month, then year.
  EXPECT_EQ(wwDatePartAtPos(0, text, false), dpDay);
  EXPECT_EQ(wwDatePartAtPos(2, text, false), dpDay);
  EXPECT_EQ(wwDatePartAtPos(3, text, false), dpMonth);
  EXPECT_EQ(wwDatePartAtPos(6, text, false), dpYear);
  EXPECT_EQ(wwDatePartAtPos(9, text, false), dpYear);
  // On the blank behind the date: the time.
  EXPECT_EQ(wwDatePartAtPos(10, text, false), dpHour);
  EXPECT_EQ(wwDatePartAtPos(13, text, false), dpHour);
  EXPECT_EQ(wwDatePartAtPos(14, text, false), dpMinute);
  EXPECT_EQ(wwDatePartAtPos(17, text, false), dpSecond);
  EXPECT_EQ(wwDatePartAtPos(19, text, false), dpSecond);
  EXPECT_EQ(wwTimePartAtPos(12, "10:15:20 PM"), dpAMPM);
  EXPECT_EQ(wwTimePartAtPos(8, "10:15:20 PM"), dpSecond);
  EXPECT_EQ(wwDatePartAtPos(4, "7:05", true), dpMinute);
  // A text that is no date yet is a date throughout.
  EXPECT_EQ(wwDatePartAtPos(4, "24.12.", false), dpMonth);
  EXPECT_EQ(wwDatePartAtPos(6, "24.12.", false), dpYear);
  // Month first.
  ShortDateFormat = "MM/dd/yyyy";
  DateSeparator = '/';
  EXPECT_EQ(wwDatePartAtPos(0, "12/24/2026", false), dpMonth);
  EXPECT_EQ(wwDatePartAtPos(4, "12/24/2026", false), dpDay);
  EXPECT_EQ(wwDatePartAtPos(7, "12/24/2026", false), dpYear);
}

TEST_F(WwValidate, SelectsThePartInAnEdit) {
  TUiTestDriver driver;
  auto* form = new TForm(Application);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetText("24.12.2026 07:05:30");
  struct Case {
    TwwDatePart part;
    int start, length;
  } cases[] = {{dpDay, 0, 2}, {dpMonth, 3, 2}, {dpYear, 6, 4}, {dpHour, 11, 2}, {dpMinute, 14, 2}, {dpSecond, 17, 2}};
  for (const Case& c : cases) {
    wwSelectDatePart(c.part, edit, false);
    EXPECT_EQ(edit->SelStart(), c.start) << c.part;
    EXPECT_EQ(edit->SelLength(), c.length) << c.part;
    // The caret inside the selection names the same part again.
    EXPECT_EQ(wwDatePartAtPos(c.start + 1, edit->Text(), false), c.part);
  }
  edit->SetText("9:05 PM");
  wwSelectDatePart(dpMinute, edit, true);
  EXPECT_EQ(edit->SelStart(), 2);
  EXPECT_EQ(edit->SelLength(), 2);
  wwSelectDatePart(dpAMPM, edit, true);
  EXPECT_EQ(edit->SelStart(), 5);
  EXPECT_EQ(edit->SelLength(), 2);
}

}  // namespace

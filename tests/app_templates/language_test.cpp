// The placeholder language without a sheet: periods in words and their
// dative, the dates of a sheet, years added to 29 February, and the
// editor's menu of the 80 placeholders.
#include <gtest/gtest.h>

#include <set>

#include "app/templates/expansion.h"
#include "platform/rtl/cp1252.h"

namespace {

PackedDate D(int y, int m, int d) { return MakePackedDate(y, m, d); }

TEST(TemplateLanguage, PeriodsInWordsAndTheirDative) {
  struct Case {
    PackedDate From, To;
    const char *Text, *Dative;
    int Years, Months, Days;
  };
  const Case cases[] = {
      {D(1950, 5, 10), D(1999, 7, 25), "49 Jahre, zwei Monate und 15 Tage", "49 Jahren, zwei Monaten und 15 Tagen",
       49, 2, 15},
      {D(2000, 3, 15), D(2001, 3, 10), "elf Monate und 26 Tage", "elf Monaten und 26 Tagen", 0, 11, 26},
      {D(2000, 3, 15), D(2001, 3, 14), "elf Monate und 30 Tage", "elf Monaten und 30 Tagen", 0, 11, 30},
      {D(2000, 1, 1), D(2001, 2, 2), "ein Jahr, ein Monat und ein Tag", "einem Jahr, einem Monat und einem Tag", 1, 1,
       1},
      {D(1990, 1, 1), D(2002, 1, 13), "zw\xF6lf Jahre und zw\xF6lf Tage", "zw\xF6lf Jahren und zw\xF6lf Tagen", 12, 0,
       12},
      {D(1990, 1, 1), D(2003, 1, 14), "13 Jahre und 13 Tage", "13 Jahren und 13 Tagen", 13, 0, 13},
      {D(1990, 1, 1), D(1991, 3, 1), "ein Jahr und zwei Monate", "einem Jahr und zwei Monaten", 1, 2, 0},
      {D(2024, 6, 30), D(2024, 6, 30), "", "", 0, 0, 0},
      // Before the birth: the negative year count stays out of the words.
      {D(2000, 5, 10), D(2000, 3, 15), "zehn Monate und f\xFCnf Tage", "zehn Monaten und f\xFCnf Tagen", -1, 10, 5},
  };
  for (const Case& c : cases) {
    const TTemplatePeriod p = AlterInWorten(c.From, c.To);
    EXPECT_EQ(p.Text, c.Text);
    EXPECT_EQ(AlterDativ(p.Text), c.Dative);
    EXPECT_EQ(std::vector<int>({p.Years, p.Months, p.Days}), std::vector<int>({c.Years, c.Months, c.Days})) << c.Text;
  }
}

// Periods from 29 February: a whole year on 28 February of a common year,
// every other day counted by months and days from the birth date as any
// other (worked out by hand: 29.02.1964 to 28.02.1968 borrows February's
// 29 days).
TEST(TemplateLanguage, PeriodsFromTheLeapDay) {
  EXPECT_EQ(AlterInWorten(D(1920, 2, 29), D(2027, 2, 28)).Text, "107 Jahre");
  EXPECT_EQ(AlterInWorten(D(1964, 2, 29), D(1965, 2, 28)).Text, "ein Jahr");
  EXPECT_EQ(AlterInWorten(D(1996, 2, 29), D(2029, 1, 6)).Text, "32 Jahre, zehn Monate und sechs Tage");
  EXPECT_EQ(AlterInWorten(D(1964, 2, 29), D(1968, 2, 28)).Text, "drei Jahre, elf Monate und 28 Tage");
  EXPECT_EQ(AlterInWorten(D(1964, 2, 29), D(1965, 3, 28)).Text, "ein Jahr und 28 Tage");
  EXPECT_EQ(AlterInWorten(D(1964, 2, 29), D(1999, 7, 25)).Text, "35 Jahre, vier Monate und 25 Tage");
  EXPECT_EQ(AlterInWorten(D(2000, 2, 29), D(2001, 3, 29)).Text, "ein Jahr und ein Monat");
  EXPECT_EQ(AlterInWorten(D(2000, 2, 29), D(2001, 3, 1)).Text, "ein Jahr und ein Tag");
  EXPECT_EQ(AlterInWorten(D(2000, 2, 29), D(2001, 2, 27)).Text, "elf Monate und 27 Tage");
}

TEST(TemplateLanguage, DatesOfASheet) {
  const TDateTime birth = EncodeDate(1960, 2, 29);
  // An empty source date is the birth date; an empty output date today.
  TTemplateDates d = TemplateDatesOf(birth, "", "");
  EXPECT_EQ(d.Source, D(1960, 2, 29));
  EXPECT_EQ(d.Output, DateTimeToPackedDate(Date()));
  d = TemplateDatesOf(birth, "  ", "01.03.2024");
  EXPECT_EQ(d.Birth, D(1960, 2, 29));
  EXPECT_EQ(d.Source, D(1960, 2, 29));
  EXPECT_EQ(d.Output, D(2024, 3, 1));
  try {
    TemplateDatesOf(birth, "31.02.2001", "");
    ADD_FAILURE() << "an impossible date was taken";
  } catch (const EConvertError& e) {
    EXPECT_NE(std::string(e.what()).find("31.02.2001"), std::string::npos) << e.what();
  }
  // 29 February plus years: 28 February in a common year.
  EXPECT_EQ(AddYearsToDate(birth, 1), EncodeDate(1961, 2, 28));
  EXPECT_EQ(AddYearsToDate(birth, 4), EncodeDate(1964, 2, 29));
  EXPECT_EQ(OutputDateOf(otBirthPlusYears, birth, 63), EncodeDate(2023, 2, 28));
  EXPECT_EQ(OutputDateOf(otSourcePlusYears, EncodeDate(2000, 1, 31), 1), EncodeDate(2001, 1, 31));
  EXPECT_EQ(OutputDateOf(otBirthPlusDays, birth, 10000), birth + 10000);
  EXPECT_EQ(OutputDateOf(otSourcePlusDays, birth, 1), EncodeDate(1960, 3, 1));
  EXPECT_EQ(OutputDateOf(otAnyDate, birth, 5), birth);
  EXPECT_THROW(AddYearsToDate(EncodeDate(9999, 12, 31), 1), ERangeError);
}

// A date the calendar cannot hold is refused, naming it and the calendar's
// span, rather than moved to the span's end.
TEST(TemplateLanguage, DatesBeyondTheCalendarAreRefused) {
  auto said = [](TDateTime birth, const char* source, const char* output) {
    try {
      TemplateDatesOf(birth, source, output);
    } catch (const EConvertError& e) {
      return std::string(e.what());
    }
    return std::string("taken");
  };
  const std::string span = CP1252(" liegt außerhalb des Kalenders, der vom 20.10.1582 bis zum 31.12.8201 reicht.").str();
  EXPECT_EQ(said(EncodeDate(1960, 2, 29), "01.01.1400", ""), "Das Quelldatum 01.01.1400" + span);
  EXPECT_EQ(said(EncodeDate(1500, 1, 1), "", ""), "Das Geburtsdatum 01.01.1500" + span);
  EXPECT_EQ(said(EncodeDate(1960, 2, 29), "", "01.01.8202"), "Das Ausgabedatum 01.01.8202" + span);
  EXPECT_EQ(said(EncodeDate(1582, 10, 20), "", "31.12.8201"), "taken");
}

// Every placeholder once in the menu, under a tag of its own; the
// placeholders are 60 values and 20 sections, all different.
TEST(TemplateLanguage, TheMenuOffersEveryPlaceholderOnce) {
  std::set<std::string> all;
  for (int i = 0; i < kPlaceholderCount; ++i) {
    all.insert(kPlaceholders[i].Text);
    EXPECT_EQ(kPlaceholders[i].Kind, i < kValuePlaceholderCount ? pkValue : pkSection) << i;
  }
  EXPECT_EQ(all.size(), 80u);
  std::set<std::string> offered;
  std::set<int> tags;
  for (const TPlaceholderMenuItem& item : PlaceholderMenu()) {
    if (!item.Placeholder) continue;
    EXPECT_TRUE(all.count(item.Placeholder)) << item.Name;
    EXPECT_TRUE(offered.insert(item.Placeholder).second) << item.Placeholder;
    EXPECT_TRUE(tags.insert(PlaceholderMenuTag(item.Name)).second) << item.Name;
    EXPECT_EQ(PlaceholderOfTag(PlaceholderMenuTag(item.Name)), std::string(item.Placeholder));
  }
  EXPECT_EQ(offered, all);
  EXPECT_STREQ(PlaceholderOfTag(10), "<Name>");
  EXPECT_STREQ(PlaceholderOfTag(941), "<GebDat Mond Nom>");
  EXPECT_STREQ(PlaceholderOfTag(1100), "<Zeit Dativ>");
  EXPECT_EQ(PlaceholderOfTag(9), nullptr);
}

}  // namespace

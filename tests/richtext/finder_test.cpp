// Text finder: case, code-page letters, paragraph ends, whole words,
// backward search, ranges, attribute options, replacing and replace-all.
#include <gtest/gtest.h>

#include <string>

#include "richtext/model/finder.h"
#include "tests/richtext/model_helpers.h"

using namespace rt_test;

TEST(TextFinder, FindsCaseInsensitivelyIncludingAccentedLetters) {
  TWPRTFText t;
  Build(t, "Dear <NAME>, \xC4RGER \x8A\x8C und \xE9t\xE9");
  TWPTextFinder f(&t);
  EXPECT_TRUE(f.Find("<name>"));
  EXPECT_EQ(f.FoundPosition(), 5);
  EXPECT_EQ(f.FoundLength(), 6);
  f.Reset();
  EXPECT_TRUE(f.Find("\xE4rger"));  // lower-case a-umlaut finds the capital
  EXPECT_EQ(f.FoundPosition(), 13);
  f.Reset();
  EXPECT_TRUE(f.Find("\x9A\x9C"));  // s and oe with caron/ligature, lower case
  f.Reset();
  EXPECT_TRUE(f.Find("\xC9T\xC9"));
  f.Clear();
  f.SetCaseSensitive(true);
  EXPECT_FALSE(f.Find("<name>"));
  EXPECT_EQ(f.FoundPosition(), 0);
  EXPECT_EQ(f.FoundLength(), 0);
  f.Reset();
  EXPECT_TRUE(f.Find("<NAME>"));
  TWPTextFinder unbound;
  EXPECT_FALSE(unbound.Find("x"));
  EXPECT_FALSE(f.Find(""));
}

TEST(TextFinder, CountsParagraphEndsAndNeverMatchesAcrossThem) {
  TWPRTFText t;
  Build(t, "ab\rcd\rabc");
  TWPTextFinder f(&t);
  EXPECT_TRUE(f.Find("c"));
  EXPECT_EQ(f.FoundPosition(), 3);
  f.Reset();
  EXPECT_TRUE(f.Find("bc"));
  EXPECT_EQ(f.FoundPosition(), 7) << "'b' and 'c' around the first paragraph end do not match";
  f.Reset();
  EXPECT_FALSE(f.Find("b\rc"));
  f.Reset();
  EXPECT_TRUE(f.Find("abc"));
  EXPECT_EQ(f.FoundPosition(), 6);
  // Within a paragraph a match runs over line boundaries.
  TWPParagraphRec* p = t.FirstPar;
  t.AppendLine(Attr(0), "XY", false, p);  // "abXY"
  f.Reset();
  EXPECT_TRUE(f.Find("bx"));
  EXPECT_EQ(f.FoundPosition(), 1);
}

TEST(TextFinder, WholeWordsUseTheDelimiterTest) {
  TWPRTFText t;
  Build(t, "and band an, (an) an3 an");
  TWPTextFinder f(&t);
  f.SetWholeWords(true);
  f.SetContinueAfterMatch(true);
  std::vector<int> at;
  while (f.Find("an")) at.push_back(f.FoundPosition());
  // "an3": digits are delimiters, so "an" is a whole word there too.
  EXPECT_EQ(at, (std::vector<int>{9, 14, 18, 22}));
  EXPECT_FALSE(f.IsDelimiter('\xE4'));
  EXPECT_FALSE(f.IsDelimiter('\x9F'));
  EXPECT_TRUE(f.IsDelimiter('\x9D'));
  EXPECT_TRUE(f.IsDelimiter('5'));
  EXPECT_TRUE(f.IsDelimiter('\xBF'));
}

TEST(TextFinder, FindPreviousSearchesBackwardsOverParagraphs) {
  TWPRTFText t;
  Build(t, "x1 x2\rx3\r\rx4");
  TWPTextFinder f(&t);
  f.SetStartPosition(13);  // the end of the text
  std::vector<int> at;
  while (f.FindPrevious("x")) at.push_back(f.FoundPosition());
  EXPECT_EQ(at, (std::vector<int>{10, 6, 3, 0}));
  EXPECT_TRUE(f.Backwards());
  f.SetStartPosition(8);
  EXPECT_TRUE(f.FindPrevious("x3"));
  EXPECT_EQ(f.FoundPosition(), 6);
  f.SetStartPosition(7);
  EXPECT_FALSE(f.FindPrevious("x3")) << "the match must end before the start";
}

TEST(TextFinder, RangeCharacterMatchesFromStartToEndPattern) {
  TWPRTFText t;
  Build(t, "a <first> b <x\rsecond> <z>");
  TWPTextFinder f(&t);
  f.SetRangeChar('*');
  f.SetContinueAfterMatch(true);
  ASSERT_TRUE(f.Find("<*>"));
  EXPECT_EQ(f.FoundPosition(), 2);
  EXPECT_EQ(f.FoundLength(), 7);
  ASSERT_TRUE(f.Find("<*>")) << "the unterminated '<x' is skipped";
  EXPECT_EQ(f.FoundPosition(), 23);
  EXPECT_EQ(f.FoundLength(), 3);
  f.Reset();
  ASSERT_TRUE(f.Find("f*st"));
  EXPECT_EQ(f.FoundLength(), 5);
  f.Reset();
  ASSERT_TRUE(f.Find("<z*")) << "a pattern with nothing after the range character";
  EXPECT_EQ(f.FoundPosition(), 23);
  f.Reset();
  EXPECT_FALSE(f.Find("*"));
}

TEST(TextFinder, AttributeOptionsRestrictMatches) {
  TWPRTFText t;
  TWPParagraphRec* p = t.FirstPar;
  t.AppendLine(Attr(0), "word ", false, p);
  t.AppendLine(Attr(0, wpsBold, 2, 12), "word ", false, p);
  t.AppendLine(Attr(0, wpsHyperlink | wpsUnderline), "word ", false, p);
  t.AppendLine(Attr(4, wpsInsertPoint), "word ", false, p);
  t.AppendLine(Attr(7, wpsInsertPoint), "word ", false, p);
  TWPAttrRecord colored = Attr(0, wpsItalic);
  colored.Colors = 0x23;
  t.AppendLine(colored, "word", false, p);
  TWPTextFinder f(&t);
  auto firstWith = [&](uint16_t options, const TWPAttrRecord& pattern, uint16_t tag = 0) {
    f.Clear();
    f.SetAttrOptions(options);
    f.SetPatternAttr(pattern);
    f.SetTag(tag);
    return f.Find("word") ? f.FoundPosition() : -1;
  };
  EXPECT_EQ(firstWith(0, Attr(0)), 0);
  EXPECT_EQ(firstWith(wpfBold, Attr(0)), 5);
  EXPECT_EQ(firstWith(wpfFont | wpfSize, Attr(0, 0, 2, 12)), 5);
  EXPECT_EQ(firstWith(wpfSize, Attr(0, 0, 0, 0)), 0) << "size 0 counts as 10";
  EXPECT_EQ(firstWith(wpfHyperlink, Attr(0)), 10);
  EXPECT_EQ(firstWith(wpfUnderline, Attr(0)), 10);
  EXPECT_EQ(firstWith(wpfInsertPoint, Attr(0)), 15);
  EXPECT_EQ(firstWith(wpfInsertPoint, Attr(0), 7), 20);
  EXPECT_EQ(firstWith(wpfItalic | wpfTextColor | wpfBackColor, colored), 25);
  TWPAttrRecord other = colored;
  other.Colors = 0x24;
  EXPECT_EQ(firstWith(wpfTextColor, other), -1);
  EXPECT_EQ(firstWith(wpfBackColor, other), 25);
  EXPECT_EQ(firstWith(wpfHidden, Attr(0)), -1);
  EXPECT_EQ(firstWith(wpfBookmark, Attr(0)), -1);
  EXPECT_EQ(firstWith(wpfObject, Attr(0)), -1);
  // The found attribute is the first matched character's.
  firstWith(wpfBold, Attr(0));
  TWPAttrRecord got;
  f.GetFoundAttr(got);
  EXPECT_EQ(got.Font, 2);
  EXPECT_TRUE(got.Style & wpsBold);
}

TEST(TextFinder, ReplacingPlaceholdersGoesOnBehindTheReplacement) {
  TWPRTFText t;
  Build(t, "<b> x <a> y <b>\r<a>", Attr(3, wpsBold, 0, 14));
  TWPTextFinder f(&t);
  // The template expansion: reset, find, replace with nothing, append.
  ASSERT_TRUE(f.Find("<a>"));
  EXPECT_EQ(f.FoundPosition(), 6);
  f.ReplaceFound("");
  EXPECT_EQ(TextOf(t), "<b> x  y <b>\r<a>");
  EXPECT_EQ(t.LastDeletedAttr.Tag, 3);
  ASSERT_TRUE(f.Find("<b>")) << "placeholders behind the replaced one are found";
  EXPECT_EQ(f.FoundPosition(), 9);
  f.ReplaceFound("[<b>]");
  EXPECT_EQ(TextOf(t), "<b> x  y [<b>]\r<a>");
  EXPECT_EQ(AttrsOf(t)[10].Tag, 3) << "replacement text takes the found attribute";
  EXPECT_FALSE(f.Find("<b>")) << "neither inside the replacement nor before it";
  // SetFoundAttr re-attributes the found (replaced) text.
  f.Reset();
  ASSERT_TRUE(f.Find("<a>"));
  f.SetFoundAttr(Attr(6, 0, 0, 0));
  const auto a = AttrsOf(t);
  EXPECT_EQ(a[15].Tag, 6);
  EXPECT_EQ(a[17].Tag, 6);
  EXPECT_EQ(a[13].Tag, 3);
  EXPECT_EQ(a[15].Size, 14) << "size 0 keeps the character's size";
  f.Reset();
  f.ReplaceFound("zzz");
  EXPECT_EQ(TextOf(t), "<b> x  y [<b>]\r<a>") << "nothing found: nothing replaced";
}

TEST(TextFinder, WithoutContinueAFindRepeatsTheMatch) {
  TWPRTFText t;
  Build(t, "aXa");
  TWPTextFinder f(&t);
  ASSERT_TRUE(f.Find("a"));
  ASSERT_TRUE(f.Find("a"));
  EXPECT_EQ(f.FoundPosition(), 0);
  f.SetContinueAfterMatch(true);
  ASSERT_TRUE(f.Find("a"));
  EXPECT_EQ(f.FoundPosition(), 2);
}

TEST(TextFinder, ReplaceAllNeverLoopsAndPollsEscape) {
  TWPRTFText t;
  Build(t, "a.a.a\ra");
  TWPTextFinder f(&t);
  f.ReplaceAll("a", "aa");
  EXPECT_EQ(f.ReplaceCount(), 4);
  EXPECT_EQ(TextOf(t), "aa.aa.aa\raa");
  f.Reset();
  f.ReplaceAll("", "x");
  EXPECT_EQ(f.ReplaceCount(), 0);

  std::string many;
  for (int i = 0; i < 100; ++i) many += "k ";
  Build(t, many);
  f.Reset();
  int polls = 0;
  f.EscapePressed = [&] { return ++polls == 2; };
  f.ReplaceAll("k", "kk");
  EXPECT_EQ(polls, 2);
  EXPECT_EQ(f.ReplaceCount(), 60) << "polled after every 30 replacements";
  std::string why;
  EXPECT_TRUE(t.CheckChains(&why)) << why;
}

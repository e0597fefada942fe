// The picture-mask validator: every mask form, text typed character by
// character as a masked edit feeds it, auto-fill of literals, and the rule
// for leaving a field (complete or empty texts only).
#include <gtest/gtest.h>

#include "dbcontrols/text/wwpicture.h"
#include "platform/rtl/cp1252.h"

namespace {

TwwPicResult Match(const AnsiString& mask, AnsiString& text, bool autoFill = false) {
  TwwPictureValidator v(mask, autoFill);
  return v.MatchText(text, autoFill);
}
TwwPicResult Match(const AnsiString& mask, const char* text) {
  AnsiString t = text;
  return Match(mask, t);
}

// Types the keys one by one as a masked edit does: a key whose text the
// validator calls wrong is refused; accepted texts may grow by auto-fill.
AnsiString Type(const AnsiString& mask, bool autoFill, const AnsiString& keys) {
  TwwPictureValidator v(mask, autoFill);
  AnsiString text;
  for (char k : keys) {
    AnsiString candidate = text + k;
    if (v.CheckInput(candidate, false)) text = candidate;
  }
  return text;
}

TEST(Picture, OptionalDigitBeforeTime) {
  const AnsiString mask = "[#]#:##";
  EXPECT_EQ(Match(mask, "12:05"), pmComplete);
  EXPECT_EQ(Match(mask, "09:30"), pmComplete);
  // The optional digit takes the 9 and does not give it back.
  EXPECT_EQ(Match(mask, "9:30"), pmError);
  EXPECT_EQ(Match(mask, "12:"), pmIncomplete);
  EXPECT_EQ(Match(mask, "12:3x"), pmError);
  EXPECT_EQ(Match(mask, "123:45"), pmError);
  AnsiString t = "12";
  EXPECT_EQ(Match(mask, t, true), pmIncomplete);
  EXPECT_EQ(t, "12:");
  t = "9";
  EXPECT_EQ(Match(mask, t, true), pmIncomplete);
  EXPECT_EQ(t, "9");  // a digit place follows: nothing to fill in
}

TEST(Picture, CharacterClassesAndCase) {
  AnsiString t = CP1252("äb").str();
  EXPECT_EQ(Match("&?", t), pmComplete);
  EXPECT_EQ(t, CP1252("Äb").str());
  t = "AB";
  EXPECT_EQ(Match("~~", t), pmComplete);
  EXPECT_EQ(t, "ab");
  t = CP1252("a1ä-").str();
  EXPECT_EQ(Match("!!!@", t), pmComplete);
  EXPECT_EQ(t, CP1252("A1Ä-").str());
  EXPECT_EQ(Match("#", "a"), pmError);
  EXPECT_EQ(Match("?", "1"), pmError);
  EXPECT_EQ(Match("?", "\x80"), pmError);  // 128 is no letter
  EXPECT_EQ(Match("?", "\x81"), pmComplete);
  EXPECT_EQ(Match("&", " "), pmError);
  // Literals ignore the case of a-z only and are stored as the mask writes them.
  t = "x5";
  EXPECT_EQ(Match("X#", t), pmComplete);
  EXPECT_EQ(t, "X5");
  EXPECT_EQ(Match(CP1252("ä").str(), CP1252("Ä").str().c_str()), pmError);
  // An escaped mask character is a literal.
  EXPECT_EQ(Match(";##", "#5"), pmComplete);
  EXPECT_EQ(Match(";##", "55"), pmError);
}

TEST(Picture, Repetitions) {
  EXPECT_EQ(Match("*3#", "12"), pmIncomplete);
  EXPECT_EQ(Match("*3#", "123"), pmComplete);
  EXPECT_EQ(Match("*3#", "1234"), pmError);
  EXPECT_EQ(Match("*#", ""), pmEmpty);
  EXPECT_EQ(Match("*#", "5"), pmComplete);
  EXPECT_EQ(Match("*#", "12345678"), pmComplete);
  EXPECT_EQ(Match("*#", "12a"), pmError);
  AnsiString t = "hans";
  EXPECT_EQ(Match("&*?", t), pmComplete);
  EXPECT_EQ(t, "Hans");
  EXPECT_EQ(Match("*2{#-}", "1-2-"), pmComplete);
  EXPECT_EQ(Match("*2{#-}", "1-2"), pmIncomplete);
  // A counted optional group may stay empty when the text ends.
  EXPECT_EQ(Match("#*2[x]", "1"), pmComplete);
  EXPECT_EQ(Match("#*2[x]", "1x"), pmComplete);
  // A repetition of something that matches nothing ends.
  EXPECT_EQ(Match("*[x]#", "5"), pmComplete);
}

TEST(Picture, GroupsAndAlternatives) {
  AnsiString t = "mo";
  EXPECT_EQ(Match("{Mo,Di,Mi}", t), pmComplete);
  EXPECT_EQ(t, "Mo");
  EXPECT_EQ(Match("{Mo,Di,Mi}", "M"), pmIncomplete);
  EXPECT_EQ(Match("{Mo,Di,Mi}", "mi"), pmComplete);
  EXPECT_EQ(Match("{Mo,Di,Mi}", "Do"), pmError);
  // Top-level alternatives: a complete one counts only when it got as far.
  EXPECT_EQ(Match("###,##", "12"), pmComplete);
  EXPECT_EQ(Match("###,##", "123"), pmComplete);
  EXPECT_EQ(Match("###,##", "1234"), pmError);
  // Optional parts in the middle.
  EXPECT_EQ(Match("#[-#]#", "1-23"), pmComplete);
  EXPECT_EQ(Match("#[-#]#", "12"), pmComplete);
  EXPECT_EQ(Match("#[-#]#", "1-"), pmIncomplete);
  // A required group with an empty alternative may be left out at the end.
  EXPECT_EQ(Match("#{,x}", "1"), pmComplete);
  EXPECT_EQ(Match("#{x,}", "1"), pmComplete);
  EXPECT_EQ(Match("#{x,y}", "1"), pmIncomplete);
  EXPECT_EQ(Match("#{[a],y}", "1"), pmComplete);
  EXPECT_EQ(Match("#{a,y}", "1"), pmIncomplete);
}

TEST(Picture, SpaceStandsForTheNextLiteral) {
  AnsiString t = "12 ";
  EXPECT_EQ(Match("##:##", t), pmIncomplete);
  EXPECT_EQ(t, "12:");
  EXPECT_EQ(Match("##:##", "12 3"), pmError);
}

TEST(Picture, AutoFillAppendsLiterals) {
  AnsiString t = "12";
  EXPECT_EQ(Match("##;-##", t, true), pmIncomplete);
  EXPECT_EQ(t, "12-");
  t = "24";
  EXPECT_EQ(Match("##.##.####", t, true), pmIncomplete);
  EXPECT_EQ(t, "24.");
  // Nothing after an optional part is filled in.
  t = "1";
  EXPECT_EQ(Match("#*#-", t, true), pmIncomplete);
  EXPECT_EQ(t, "1");
  // CheckInput fills only when the validator has the option and it is not suppressed.
  TwwPictureValidator fill("##:##", true);
  t = "12";
  EXPECT_TRUE(fill.CheckInput(t, true));
  EXPECT_EQ(t, "12");
  EXPECT_TRUE(fill.CheckInput(t, false));
  EXPECT_EQ(t, "12:");
  TwwPictureValidator plain("##:##", false);
  t = "12";
  EXPECT_TRUE(plain.CheckInput(t, false));
  EXPECT_EQ(t, "12");
  EXPECT_EQ(fill.Options(), wwpoAutoFill | wwpoDefault);
  EXPECT_EQ(plain.Options(), wwpoDefault);
}

TEST(Picture, TypingAsAUserWould) {
  // Wrong keys are refused, literals appear by themselves.
  EXPECT_EQ(Type("##.##.####", true, "24122026"), "24.12.2026");
  EXPECT_EQ(Type("##.##.####", true, "24x12.2026"), "24.12.2026");
  EXPECT_EQ(Type("##.##.####", false, "24122026"), "24");
  EXPECT_EQ(Type("[#]#:##", true, "1205"), "12:05");
  // The optional digit took the 9: the colon is refused until a second digit comes.
  EXPECT_EQ(Type("[#]#:##", true, "9:30"), "93:0");
  EXPECT_EQ(Type("&*?", true, "mEIER1"), "MEIER");
  // Auto-fill completes the first alternative that a beginning fits.
  EXPECT_EQ(Type("{Mo,Di,Mi}", true, "dx"), "Di");
  EXPECT_EQ(Type("{Mo,Di,Mi}", true, "mi"), "Mo");
  EXPECT_EQ(Type("{Mo,Di,Mi}", false, "mi"), "Mi");
}

TEST(Picture, LeavingAFieldNeedsACompleteOrEmptyText) {
  TwwPictureValidator v("##.##.####", true);
  EXPECT_TRUE(v.CheckValid(""));
  EXPECT_TRUE(v.CheckValid("24.12.2026"));
  EXPECT_FALSE(v.CheckValid("24.12."));
  EXPECT_FALSE(v.CheckValid("24.12.20266"));
  // CheckValid never changes or fills the text it is given.
  AnsiString t = "24";
  EXPECT_FALSE(v.CheckValid(t));
  EXPECT_EQ(t, "24");
  EXPECT_TRUE(wwMatchesPictureMask("##", ""));
  EXPECT_TRUE(wwMatchesPictureMask("##", "12"));
  EXPECT_FALSE(wwMatchesPictureMask("##", "1"));
  EXPECT_FALSE(wwMatchesPictureMask("[#]#:##", "12:05:30"));
  EXPECT_TRUE(wwMatchesPictureMask("[#]#:##:##", "12:05:30"));
  // An empty mask accepts everything.
  TwwPictureValidator none("", false);
  AnsiString any = "whatever";
  EXPECT_TRUE(none.CheckInput(any, false));
  EXPECT_TRUE(none.CheckValid(any));
}

TEST(Picture, MalformedMasks) {
  for (const char* bad : {"", "##;", "##*", "[#", "#]", "{#", "#}}"}) {
    TwwPictureValidator v(bad, false);
    EXPECT_EQ(v.Status(), 1) << bad;
    if (!*bad) continue;  // the empty mask accepts every text instead
    AnsiString t = "12";
    EXPECT_EQ(v.MatchText(t, false), pmSyntax) << bad;
    EXPECT_TRUE(v.CheckInput(t, false)) << bad;
    EXPECT_FALSE(v.CheckValid(t)) << bad;
  }
  for (const char* good : {"##;*", "#", "*#", "][", "}{#"}) {
    TwwPictureValidator v(good, false);
    EXPECT_EQ(v.Status(), 0) << good;
  }
  EXPECT_FALSE(wwMatchesPictureMask("[#", "1"));
}

TEST(Picture, EightBitPositionsRaiseInsteadOfWrapping) {
  // 254 mask characters still work; one more raises.
  AnsiString mask(254, '@');
  AnsiString text(254, 'x');
  EXPECT_EQ(Match(mask, text), pmComplete);
  AnsiString longMask(255, '@');
  EXPECT_THROW(Match(longMask, text), ERangeError);
  AnsiString longText(300, '1');
  EXPECT_THROW(Match("*#", longText), ERangeError);
  AnsiString t = "1";
  EXPECT_THROW(Match("*256#", t), ERangeError);
}

}  // namespace

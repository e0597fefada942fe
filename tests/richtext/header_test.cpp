// Document header (grid, fonts, tab slots, defaults) and the special-style
// attribute sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "richtext/model/header.h"
#include "richtext/model/text.h"

TEST(TextHeader, RoundToGridSnapsToInchAndCentimetreGrids) {
  TTextHeader h;
  EXPECT_EQ(h.RoundToGrid(100), 100) << "unknown resolution leaves values alone";
  h.SetResolution(96, 96);
  h.UnitsInch = true;
  EXPECT_EQ(h.RoundToGrid(100), 144);
  EXPECT_EQ(h.RoundToGrid(71), 144);
  EXPECT_EQ(h.RoundToGrid(70), 0);
  EXPECT_EQ(h.RoundToGrid(288 + 72), 432);
  h.UnitsInch = false;
  EXPECT_EQ(h.RoundToGrid(70), 141);
  EXPECT_EQ(h.RoundToGrid(69), 0);
  EXPECT_EQ(h.RoundToGrid(141 * 3 + 70), 141 * 4);
  // Negative values (hanging indents) snap by the same rule, the remainder
  // taken with the grid's sign: -74 lies 70 above -144.
  h.UnitsInch = true;
  EXPECT_EQ(h.RoundToGrid(-74), -144);
  EXPECT_EQ(h.RoundToGrid(-73), 0);
  EXPECT_EQ(h.RoundToGrid(-100), -144);
  EXPECT_EQ(h.RoundToGrid(-144 - 74), -288);
  h.UnitsInch = false;
  EXPECT_EQ(h.RoundToGrid(-72), -141);
  EXPECT_EQ(h.RoundToGrid(-71), 0);
}

TEST(TextHeader, ClearRestoresPageColoursAndPixelValues) {
  TTextHeader h;
  h.PageWidth = 1000;
  h.MarginTop = 1;
  h.Colors[3] = 42;
  h.FontNames[0] = "Times";
  h.FontNames[5] = "Courier";
  h.Title = "T";
  h.Subject = "S";
  h.Comment = "C";
  h.FacingPages = h.Landscape = true;
  h.SetResolution(96, 96);
  h.Clear();
  EXPECT_EQ(h.PageWidth, 12240);
  EXPECT_EQ(h.PageHeight, 15840);
  EXPECT_EQ(h.MarginLeft, 1880);
  EXPECT_EQ(h.MarginRight, 1880);
  EXPECT_EQ(h.MarginTop, 1440);
  EXPECT_EQ(h.MarginBottom, 1440);
  EXPECT_EQ(h.Colors[1], RGB(255, 0, 0));
  EXPECT_EQ(h.Colors[3], RGB(0, 0, 255));
  EXPECT_EQ(h.Colors[12], RGB(255, 255, 255));
  EXPECT_EQ(h.Colors[15], RGB(0, 0, 0));
  EXPECT_EQ(h.FontNames[0], "Times") << "font 0 keeps its name";
  EXPECT_TRUE(h.FontNames[5].empty());
  EXPECT_TRUE(h.Title.empty() && h.Subject.empty() && h.Comment.empty());
  EXPECT_FALSE(h.FacingPages);
  EXPECT_FALSE(h.Landscape);
  // 12240 - 2 * 1880 = 8480 twips = 565.33 px at 96 dpi.
  EXPECT_EQ(h.PrintWidth, 565);
  EXPECT_EQ(h.PrintHeight, 864);
  EXPECT_EQ(h.LayoutWidthTwips, 8480);
  EXPECT_EQ(h.LayoutWidth, 565);
  EXPECT_EQ(h.DefaultTabWidth, 32) << "inch units: a third of the resolution";
  h.UnitsInch = false;
  h.RecalcPixels();
  EXPECT_EQ(h.DefaultTabWidth, 38) << "centimetre units: one centimetre";
}

TEST(TextHeader, AssignCopiesTheDocumentPartAndClearsTheRest) {
  TTextHeader src;
  src.FontNames[0] = "Arial";
  src.FontIndex("Courier New");
  src.FontFamily[1] = 0x30;
  src.FontCharset[1] = 2;
  src.Colors[4] = 0x123456;
  src.AddTab(tkRight, 1440);
  const int slot = src.FindTab(1440, tkRight, ~TWPTabSet{0});
  ASSERT_GE(slot, 0);
  src.PageWidth = 16838;
  src.MarginBottom = 500;
  src.Title = "Titel";
  src.Subject = "Betreff";
  src.Comment = "Kommentar";
  src.Landscape = true;

  TTextHeader dst;
  dst.FontNames[0] = "Arial";
  dst.FontIndex("Symbol");
  dst.FontIndex("Wingdings");
  dst.FacingPages = true;
  dst.Comment = "alt";
  dst.Assign(&src);
  EXPECT_EQ(dst.FontNames[1], "Courier New");
  EXPECT_EQ(dst.FontFamily[1], 0x30);
  EXPECT_EQ(dst.FontCharset[1], 2);
  EXPECT_TRUE(dst.FontNames[2].empty()) << "the target's own fonts beyond the source's are cleared";
  EXPECT_EQ(dst.Colors[4], 0x123456u);
  EXPECT_EQ(dst.TabTwips[slot], 1440);
  EXPECT_EQ(dst.TabKind[slot], tkRight);
  EXPECT_EQ(dst.TabAtOrder(0), 1440);
  EXPECT_EQ(dst.PageWidth, 16838);
  EXPECT_EQ(dst.MarginBottom, 500);
  EXPECT_EQ(dst.Title, "Titel");
  EXPECT_EQ(dst.Subject, "Betreff");
  EXPECT_EQ(dst.Comment, "Kommentar");
  EXPECT_TRUE(dst.Landscape);
  EXPECT_FALSE(dst.FacingPages) << "a flag the source lacks does not survive";

  // An empty text of the source empties the target's; without a source
  // everything is cleared.
  src.Title.clear();
  dst.Assign(&src);
  EXPECT_TRUE(dst.Title.empty());
  EXPECT_EQ(dst.Comment, "Kommentar");
  dst.Assign(nullptr);
  EXPECT_TRUE(dst.Subject.empty() && dst.Comment.empty());
  EXPECT_FALSE(dst.Landscape);
  EXPECT_EQ(dst.PageWidth, 12240);
}

TEST(TextHeader, LayoutWidthConvertsBothWays) {
  TTextHeader h;
  h.SetLayoutWidth(300);
  EXPECT_EQ(h.LayoutWidth, 300);
  EXPECT_EQ(h.LayoutWidthTwips, 8480) << "no resolution yet: twips stay";
  h.SetResolution(120, 120);
  h.SetLayoutWidth(300);
  EXPECT_EQ(h.LayoutWidthTwips, 3600);
  h.SetLayoutWidthTwips(1441);
  EXPECT_EQ(h.LayoutWidth, 120);
}

TEST(TextHeader, MulDivCheckedTruncatesAndChecks) {
  EXPECT_EQ(MulDivChecked(7, 3, 2), 10);
  EXPECT_EQ(MulDivChecked(7, 3, 0), 21);
  EXPECT_THROW(MulDivChecked(0x40000000, 8, 1), EIntOverflow);
}

TEST(TextHeader, FontIndexCutsFoldsCaseAndStopsWhenFull) {
  TTextHeader h;
  EXPECT_EQ(h.FontIndex("Arial"), 0);
  EXPECT_EQ(h.FontIndex("ARIAL"), 0);
  EXPECT_EQ(h.FontIndex("Times New Roman"), 1);
  const std::string longName = "A font name that is far longer than thirty-one characters";
  EXPECT_EQ(h.FontIndex(longName), 2);
  EXPECT_EQ(h.FontNames[2], longName.substr(0, 31));
  EXPECT_EQ(h.FontIndex(longName.substr(0, 31) + "xyz"), 2) << "only the first 31 characters count";
  // Case folding covers A..Z only: accented letters are distinct.
  EXPECT_EQ(h.FontIndex("\xC4gypt"), 3);
  EXPECT_EQ(h.FontIndex("\xE4gypt"), 4);
  for (int i = 5; i < 99; ++i) EXPECT_EQ(h.FontIndex("Font" + std::to_string(i)), i);
  EXPECT_EQ(h.FontIndex("One too many"), 99);
  EXPECT_EQ(h.FontIndex("font98"), 98);
  for (int i = 0; i < 99; ++i) EXPECT_NE(h.FontNames[i], "One too many");
  EXPECT_EQ(h.FontName(99), h.FontNames[0]) << "font numbers past the table name font 0";
  EXPECT_EQ(h.FontName(250), h.FontNames[0]);
}

TEST(TextHeader, TabsShareSlotsAndKeepTheirOrder) {
  TTextHeader h;
  h.SetResolution(96, 96);
  h.CurrentTabs = 0;
  h.AddTab(tkLeft, 2880);
  h.AddTab(tkRight, 720);
  h.AddTab(tkAll, 1440);
  EXPECT_EQ(h.CurrentTabs, 0x7u);
  EXPECT_EQ(h.TabKind[1], tkRight);
  EXPECT_EQ(h.TabKind[2], tkLeft) << "kind 4 takes the default kind";
  EXPECT_EQ(h.TabPixels[0], 192);
  EXPECT_EQ(h.TabAtOrder(0), 720);
  EXPECT_EQ(h.TabAtOrder(1), 1440);
  EXPECT_EQ(h.TabAtOrder(2), 2880);
  EXPECT_EQ(h.TabAtOrder(3), kWPNoTab);
  EXPECT_EQ(h.TabAtOrder(64), kWPNoTab);
  EXPECT_EQ(h.TabAtOrder(-1), 0);
  // An existing position only sets its bit.
  h.CurrentTabs = 0;
  EXPECT_EQ(h.AddTab(tkAll, 720), 0x2u);
  // Searches retry with the position snapped to the grid.
  EXPECT_EQ(h.FindTab(1430, tkAll, ~0ull), 2);
  EXPECT_EQ(h.FindTab(1440, tkRight, ~0ull), -1) << "kind must match";
  EXPECT_EQ(h.FindTab(1440, tkLeft, 0x1), -1) << "slot must be in the set";
  int32_t pos = 1430;
  EXPECT_EQ(h.FindTabAnySet(tkAll, pos), 2);
  EXPECT_EQ(pos, 1440);
  h.CurrentTabs = 0;
  // A stop close to the margin rounds to 0 when searched, but keeps its
  // own position: it is no free slot that another stop could take over.
  {
    TTextHeader n;
    n.SetResolution(96, 96);
    const TWPTabSet near = n.AddTab(tkLeft, 41);
    ASSERT_NE(near, 0u);
    int slot = 0;
    while (!((near >> slot) & 1)) ++slot;
    EXPECT_EQ(n.TabTwips[slot], 41);
    n.CurrentTabs = 0;
    EXPECT_EQ(n.AddTab(tkLeft, 2000) & near, 0u);
  }
  EXPECT_EQ(h.AddTab(tkLeft, 0), 0u);
  EXPECT_EQ(h.AddTab(tkLeft, -5), 0u);
  EXPECT_EQ(h.AllTabs(), 0x7u);
}

TEST(TextHeader, TabOverflowReclaimsUnusedSlotsOrReportsTableFull) {
  TWPRTFText t;
  TTextHeader& h = *t.Header;
  int full = 0;
  t.OnTabTableFull = [&] { ++full; };
  for (int i = 0; i < 64; ++i) h.AddTab(tkLeft, 144 * (i + 1));
  ASSERT_EQ(h.CurrentTabs, ~0ull);
  // The only paragraph uses every slot but 10.
  t.FirstPar->Tabs = ~0ull & ~(TWPTabSet(1) << 10);
  h.CurrentTabs = 0;
  EXPECT_EQ(h.AddTab(tkLeft, 100800), TWPTabSet(1) << 10);
  EXPECT_EQ(h.TabTwips[10], 100800);
  EXPECT_EQ(full, 0);
  EXPECT_EQ(h.TabAtOrder(63), 100800);
  // Now every slot is referenced: a 65th position finds no room.
  t.FirstPar->Tabs = ~0ull;
  h.CurrentTabs = 0x5;
  EXPECT_EQ(h.AddTab(tkLeft, 201600), 0u);
  EXPECT_EQ(full, 1);
  EXPECT_EQ(h.CurrentTabs, 0u);
  std::string why;
  EXPECT_TRUE(t.CheckChains(&why)) << why;
}

TEST(CharacterAttr, SettersReportOnlyRealChangesWithTheRelayoutFlag) {
  TCharacterAttr a(0x10);
  std::vector<std::pair<uint32_t, bool>> calls;
  a.OnChange = [&](uint32_t mask, bool relayout) { calls.emplace_back(mask, relayout); };
  a.SetBold(tsTRUE);
  a.SetBold(tsTRUE);
  a.SetUnderline(tsFALSE);
  a.SetHidden(true);
  a.SetUseUnderlineColor(true);  // underline is not tsTRUE: silent
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], std::make_pair(0x10u, true));
  EXPECT_EQ(calls[1], std::make_pair(0x10u, false));
  EXPECT_EQ(calls[2], std::make_pair(0x10u, true));
  EXPECT_TRUE(a.UseUnderlineColor());
  a.SetUnderline(tsTRUE);
  calls.clear();
  a.SetUseUnderlineColor(false);
  EXPECT_EQ(calls.size(), 1u);
  a.SetTextColor(0x123456);
  EXPECT_TRUE(a.UseTextColor());
  a.SetTextColor(0x123456);
  EXPECT_EQ(calls.size(), 2u);
  a.SetBackgroundColor(0);
  EXPECT_TRUE(a.UseBackgroundColor()) << "setting a colour switches its use on, even to 0";
  EXPECT_EQ(calls.size(), 3u);

  TCharacterAttr b(0x1000);
  int bCalls = 0;
  b.OnChange = [&](uint32_t, bool) { ++bCalls; };
  b.Assign(&a);
  EXPECT_EQ(b.Bold(), tsTRUE);
  EXPECT_EQ(b.TextColor(), 0x123456);
  EXPECT_TRUE(b.Hidden());
  EXPECT_FALSE(b.UseUnderlineColor());
  EXPECT_EQ(b.StyleMask(), 0x1000u);
  EXPECT_GT(bCalls, 0);
  bCalls = 0;
  b.Assign(&a);
  EXPECT_EQ(bCalls, 0) << "assigning equal values changes nothing";
  // Published by name for window layouts.
  EXPECT_TRUE(SetOrdProp(&b, "underline", tsTRUE));
  EXPECT_EQ(b.Underline(), tsTRUE);
  EXPECT_EQ(GetOrdProp(&b, "TextColor"), 0x123456);
  TWPRTFText other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
}

TEST(CharacterAttr, EngineCreatesTheFiveSpecialSets) {
  TWPRTFText t;
  EXPECT_EQ(t.InsertPointAttr().StyleMask(), 0x1000u);
  EXPECT_EQ(t.InsertPointAttr().TextColor(), 255);
  EXPECT_TRUE(t.InsertPointAttr().UseTextColor());
  EXPECT_EQ(t.AutomaticTextAttr().StyleMask(), 0x2000u);
  EXPECT_EQ(t.HyperlinkTextAttr().StyleMask(), 0x10u);
  EXPECT_EQ(t.HyperlinkTextAttr().Underline(), tsTRUE);
  EXPECT_EQ(t.HyperlinkTextAttr().UnderlineColor(), 0xFF0000);
  EXPECT_EQ(t.ProtectedTextAttr().StyleMask(), 0u);
  EXPECT_EQ(t.BookmarkTextAttr().StyleMask(), 0x80000u);
  EXPECT_EQ(t.BookmarkTextAttr().UnderlineColor(), 0x8000);
  EXPECT_EQ(t.AutomaticTextAttr().Underline(), tsIgnore);
}

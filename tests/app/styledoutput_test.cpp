// Styled output into the rich-text edit control: runs carry the display
// settings' font, size, styles and colour; hyperlinks are visible text plus
// hidden stamp and hand the stamp over when clicked; long texts of the
// built archives go in with their person links intact and the element's
// look; the whole-document indent; and a page built only by these routines,
// saved as a picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/text/helpers.h"
#include "app/text/styledoutput.h"
#include "platform/rtl/cp1252.h"
#include "tests/app/app_fixture.h"
#include "tests/richtext_controls/page_helpers.h"

namespace {

// The whole text with '\r' between paragraphs, and the record of each
// character ('\r' gets a zero record).
struct Model {
  std::string text;
  std::vector<TWPAttrRecord> attrs;
};
Model Read(TWPCustomRtfEdit* e) {
  const int n = e->TextLength() + 1;
  Model m;
  m.text.assign(static_cast<size_t>(n), '\0');
  m.attrs.resize(static_cast<size_t>(n));
  const int got = e->RtfText()->CopyText(m.text.data(), m.attrs.data(), n);
  m.text.resize(static_cast<size_t>(got));
  m.attrs.resize(static_cast<size_t>(got));
  return m;
}

int ParagraphCount(TWPCustomRtfEdit* e) {
  int n = 0;
  for (const TWPParagraphRec* p = e->RtfText()->FirstPar; p; p = p->next) ++n;
  return n;
}

using rtedit_test::PointOf;

class StyledOutput : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    // Every setting at its default, as on a first start.
    TIniFile empty(Ini().string());
    ReadSettingsFile(empty);
    form = new TForm(Application);
    form->SetClientSize(520, 400);
    edit = new TWPCustomRtfEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 500, 380);
    edit->SetWordWrap(true);
    form->Show();
    driver.Process();
    edit->ClearText();
  }
  void TearDown() override {
    delete form;
    ProgramDirTest::TearDown();
  }
  // The offset of an event's long text in "Ereignis.Stx".
  int32_t EventTextOffset(int id) {
    auto t = apptest::OpenTable("Orvelan", "EREIGNIS", "XPKEREI");
    EXPECT_TRUE(t->FindKey({id})) << id;
    return t->FieldByName("EREI_TEXT")->AsInteger();
  }
  AnsiString FontName(const TWPAttrRecord& a) { return edit->Header()->FontName(a.Font); }

  TForm* form = nullptr;
  TWPCustomRtfEdit* edit = nullptr;
};

TEST_F(StyledOutput, RunsTakeTheFontAndAttributesOfTheDisplaySettings) {
  const DisplaySettings& births = RubricDisplay[rbBirths];
  FontSettings big = births.Font;
  big.FontName = "Times New Roman";
  big.Size = 14;
  TWPAttrRecord before;
  edit->GetWritingAttr(before);
  AppendStyledText(edit, "1749", big, births.Attr[abYear], false);
  AppendStyledText(edit, " (275) ", births.Font, births.Attr[abYears], false);
  AppendStyledText(edit, "Goethe", births.Font, births.Attr[abName], false);
  // One paragraph with three runs, each in its own look.
  EXPECT_EQ(ParagraphCount(edit), 1);
  Model m = Read(edit);
  ASSERT_EQ(m.text, "1749 (275) Goethe");
  EXPECT_EQ(FontName(m.attrs[0]), "Times New Roman");
  EXPECT_EQ(m.attrs[0].Size, 14);
  EXPECT_EQ(m.attrs[0].Style, births.Attr[abYear].Styles);
  EXPECT_EQ(FontName(m.attrs[5]), "Arial");
  EXPECT_EQ(m.attrs[5].Size, 10);
  EXPECT_EQ(m.attrs[5].Style, wpsItalic);  // "Anzahl Jahre" is italic by default
  EXPECT_EQ(m.attrs[11].Style, wpsBold);   // "Name": bold and blue
  EXPECT_EQ(m.attrs[11].Colors & 0x0F, 3);
  EXPECT_EQ(edit->Header()->Colors[m.attrs[11].Colors & 0x0F], ColorOf(3));
  // The rest of the record is the writing attribute's (background colour).
  EXPECT_EQ(m.attrs[11].Colors & 0xF0, before.Colors & 0xF0);

  // A new paragraph when asked; the underline colour of a block is no part
  // of a plain run.
  TextAttributes red{tsUnderline | tsItalic, 1, 5};
  AppendStyledText(edit, "Weimar", births.Font, red, true);
  EXPECT_EQ(ParagraphCount(edit), 2);
  m = Read(edit);
  ASSERT_EQ(m.text, "1749 (275) Goethe\rWeimar");
  EXPECT_EQ(m.attrs[18].Style, wpsUnderline | wpsItalic);
  EXPECT_EQ(m.attrs[18].Colors & 0x0F, 1);
  // A colour number of a hand-edited file beyond the table draws black.
  AppendStyledText(edit, "!", births.Font, TextAttributes{0, 23, 0}, false);
  EXPECT_EQ(Read(edit).attrs.back().Colors & 0x0F, 0);
}

TEST_F(StyledOutput, HyperlinkIsVisibleTextThenStampAndHandsTheStampOver) {
  const DisplaySettings& births = RubricDisplay[rbBirths];
  AppendStyledText(edit, "Geboren: ", births.Font, births.Attr[abText], false);
  // White, bold link text with a red underline.
  AppendHyperlink(edit, "p:17", "Anna Muster", births.Font, TextAttributes{tsBold | tsUnderline, 12, 1}, false);
  AppendStyledText(edit, " in Weimar", births.Font, births.Attr[abText], false);
  Model m = Read(edit);
  ASSERT_EQ(m.text, "Geboren: Anna Musterp:17 in Weimar");
  for (int i = 9; i < 20; ++i) EXPECT_EQ(m.attrs[i].Style, wpsHyperlink) << i;
  for (int i = 20; i < 24; ++i) EXPECT_EQ(m.attrs[i].Style, wpsHidden) << i;
  EXPECT_EQ(m.attrs[24].Style, 0u);
  EXPECT_EQ(FontName(m.attrs[21]), "Arial");
  // The look is the control's hyperlink set.
  TCharacterAttr* h = edit->GetHyperlinkTextAttr();
  EXPECT_EQ(h->TextColor(), RGB(255, 255, 255));
  EXPECT_TRUE(h->UseTextColor());
  EXPECT_TRUE(h->UseUnderlineColor());
  EXPECT_EQ(h->UnderlineColor(), RGB(255, 0, 0));
  EXPECT_EQ(h->Bold(), tsTRUE);
  EXPECT_EQ(h->Italic(), tsFALSE);
  EXPECT_EQ(h->Underline(), tsTRUE);

  // The round trip: a click on the name delivers the stamp.
  edit->ReformatAndRepaint();
  edit->SetOneClickHyperlink(true);
  std::vector<std::pair<std::string, std::string>> got;
  edit->HyperLinkEvent = [&](TObject*, const AnsiString& text, const AnsiString& stamp, int) {
    got.emplace_back(text, stamp);
  };
  TPoint p = PointOf(edit, 12);
  driver.Click(edit, p.X, p.Y);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first, "Anna Muster");
  EXPECT_EQ(got[0].second, "p:17");
  // A second link on a new paragraph, other colours: its own stamp; the
  // plain text is no link.
  AppendHyperlink(edit, "p:4711", "Karl Beispiel", births.Font, births.Attr[abHyperlink], true);
  edit->ReformatAndRepaint();
  EXPECT_EQ(h->TextColor(), ColorOf(3));
  EXPECT_EQ(h->Bold(), tsFALSE);
  driver.Advance(600);
  p = PointOf(edit, static_cast<int>(Read(edit).text.find("Beispiel")));
  driver.Click(edit, p.X, p.Y);
  driver.Advance(600);
  p = PointOf(edit, 30);
  driver.Click(edit, p.X, p.Y);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].second, "p:4711");
}

TEST_F(StyledOutput, ArchiveTextKeepsItsLinksAndTakesTheElementsLook) {
  CopyReferenceData();
  LoadSettings();
  const int32_t adenauer = EventTextOffset(7);  // "Der Bundestag wählt [[Konrad Adenauer|699]] ..."
  ASSERT_GT(adenauer, 0);
  const DisplaySettings& events = RubricDisplay[rbEvents];
  AppendStyledText(edit, "1949", events.Font, events.Attr[aeYear], false);
  edit->SetParagraphIndents(72, 1000, 72);
  const FontSettings serif{"Times New Roman", 12, 0, 0};
  const TextAttributes look{tsItalic, 7, 0};
  AppendArchiveText(edit, adenauer, EventArchive, serif, look, false);
  // The text continues the paragraph, which keeps its layout.
  ASSERT_EQ(ParagraphCount(edit), 1);
  EXPECT_EQ(edit->RtfText()->FirstPar->LeftIndent, 1000);
  EXPECT_EQ(edit->RtfText()->FirstPar->RightIndent, 72);
  Model m = Read(edit);
  const std::string wanted = CP1252("1949Der Bundestag wählt Konrad Adenauerp:699 zum ersten Bundeskanzler.").str();
  ASSERT_EQ(m.text, wanted);
  EXPECT_EQ(FontName(m.attrs[0]), "Arial");  // what was there stays
  const size_t link = m.text.find("Konrad"), stamp = m.text.find("p:699");
  for (size_t i = 4; i < m.text.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(FontName(m.attrs[i]), "Times New Roman");
    EXPECT_EQ(m.attrs[i].Size, 12);
    if (i >= link && i < stamp) {
      EXPECT_EQ(m.attrs[i].Style, wpsHyperlink);
    } else if (i >= stamp && i < stamp + 5) {
      EXPECT_EQ(m.attrs[i].Style, wpsHidden);
    } else {
      EXPECT_EQ(m.attrs[i].Style, wpsItalic);
      EXPECT_EQ(m.attrs[i].Colors & 0x0F, 7);
    }
  }
  // Runs appended afterwards follow the text in the same paragraph.
  AppendStyledText(edit, " Ende", events.Font, events.Attr[aeText], false);
  EXPECT_EQ(Read(edit).text, wanted + " Ende");

  // The person link inside the archive text works.
  edit->ReformatAndRepaint();
  edit->SetOneClickHyperlink(true);
  std::string got;
  edit->HyperLinkEvent = [&](TObject*, const AnsiString&, const AnsiString& s, int) { got = s; };
  const TPoint p = PointOf(edit, static_cast<int>(link) + 3);
  driver.Click(edit, p.X, p.Y);
  EXPECT_EQ(got, "p:699");
}

TEST_F(StyledOutput, ArchiveTextsAtTheEdgesOfAPage) {
  CopyReferenceData();
  LoadSettings();
  const int32_t heuss = EventTextOffset(8);  // starts with a link
  const DisplaySettings& events = RubricDisplay[rbEvents];
  // First thing of an empty page: the page's margins stay.
  edit->SetPageLayout(900, 700, 500, 400, 11906, 16838);
  AppendArchiveText(edit, heuss, EventArchive, events.Font, events.Attr[aeText], false);
  EXPECT_EQ(edit->Header()->MarginLeft, 900);
  EXPECT_EQ(edit->Header()->MarginRight, 700);
  EXPECT_EQ(edit->Header()->PageWidth, 11906);
  Model m = Read(edit);
  ASSERT_EQ(m.text.rfind("Theodor Heussp:704", 0), 0u) << m.text;
  EXPECT_EQ(m.attrs[0].Style, wpsHyperlink);

  // Offset 0: nothing at all, not even the paragraph asked for.
  const std::string before = Read(edit).text;
  AppendArchiveText(edit, 0, EventArchive, events.Font, events.Attr[aeText], true);
  LoadArchiveText(edit, 0, EventArchive, true);
  EXPECT_EQ(Read(edit).text, before);
  EXPECT_EQ(ParagraphCount(edit), 1);

  // A record that is not there raises before anything is appended.
  EXPECT_THROW(AppendArchiveText(edit, 1030, EventArchive, events.Font, events.Attr[aeText], true), EReadError);
  EXPECT_THROW(LoadArchiveText(edit, heuss + 3, EventArchive, true), EReadError);
  EXPECT_EQ(Read(edit).text, before);
  EXPECT_EQ(ParagraphCount(edit), 1);

  // A new paragraph takes the layout of the one before, not the text's.
  edit->SetParagraphIndents(300, 600, 200);
  AppendArchiveText(edit, heuss, EventArchive, events.Font, events.Attr[aeText], true);
  ASSERT_EQ(ParagraphCount(edit), 2);
  const TWPParagraphRec* second = edit->RtfText()->FirstPar->next;
  EXPECT_EQ(second->FirstIndent, 300);
  EXPECT_EQ(second->LeftIndent, 600);

  // LoadArchiveText keeps the archive's own look: plain text in the text's
  // font, the link as it was written.
  const int32_t plain = EventTextOffset(1);
  LoadArchiveText(edit, plain, EventArchive, true);
  LoadArchiveText(edit, heuss, EventArchive, true);
  EXPECT_EQ(ParagraphCount(edit), 4);
  m = Read(edit);
  const size_t third = m.text.find('\r', m.text.find('\r') + 1) + 1;
  const size_t fourth = m.text.find('\r', third) + 1;
  // No plain character continues the link the page passed before it.
  for (size_t i = third; i + 1 < fourth; ++i) EXPECT_EQ(m.attrs[i].Style, 0u) << i;
  EXPECT_EQ(m.text.substr(fourth, 18), "Theodor Heussp:704");
  EXPECT_EQ(m.attrs[fourth].Style, wpsHyperlink);
  EXPECT_EQ(m.attrs[fourth + 13].Style, wpsHidden);
}

TEST_F(StyledOutput, WholeDocumentIndentMovesParagraphsAndUsedTabs) {
  const DisplaySettings& births = RubricDisplay[rbBirths];
  AppendStyledText(edit, "Titel", births.Font, births.Attr[abName], false);
  edit->SetParagraphIndents(0, 0, 0);
  AppendStyledText(edit, "1749\tGoethe", births.Font, births.Attr[abText], true);
  edit->SetParagraphIndents(100, 1000, 300);
  ASSERT_TRUE(edit->SetTabStop(1000, tkLeft, false));
  ASSERT_TRUE(edit->SetTabStop(2000, tkRight, false));
  TTextHeader& h = *edit->Header();
  // The tab positions as the control stored them (on its own grid).
  std::vector<int32_t> stored;
  for (int i = 0; i < kWPTabSlots; ++i)
    if (h.TabTwips[i] != 0) stored.push_back(h.TabTwips[i] + 72);
  ASSERT_EQ(stored.size(), 2u);
  IndentWholeDocument(edit);
  EXPECT_EQ(edit->CursorPosition(), 0);
  const TWPParagraphRec* first = edit->RtfText()->FirstPar;
  EXPECT_EQ(first->FirstIndent, 72);
  EXPECT_EQ(first->LeftIndent, 72);
  EXPECT_EQ(first->RightIndent, 72);
  EXPECT_EQ(first->next->FirstIndent, 172);
  EXPECT_EQ(first->next->LeftIndent, 1072);
  EXPECT_EQ(first->next->RightIndent, 72);
  // Used slots move with the text; free slots stay free.
  std::vector<int32_t> tabs;
  for (int i = 0; i < kWPTabSlots; ++i)
    if (h.TabTwips[i] != 0) tabs.push_back(h.TabTwips[i]);
  EXPECT_EQ(tabs, stored);
  EXPECT_EQ(h.TabAtOrder(0), std::min(stored[0], stored[1]));
}

// A day page made only through these routines, saved and looked at.
TEST_F(StyledOutput, PageBuiltByTheRoutinesOnScreen) {
  CopyReferenceData();
  LoadSettings();
  const DisplaySettings& births = RubricDisplay[rbBirths];
  const DisplaySettings& events = RubricDisplay[rbEvents];
  AppendStyledText(edit, CP1252("Weltgeschehen am 15. September").str(), DispTitleStyle.Font, DispTitleStyle.Attr,
                   false);
  AppendStyledText(edit, "1949  ", events.Font, events.Attr[aeYear], true);
  AppendArchiveText(edit, EventTextOffset(7), EventArchive, events.Font, events.Attr[aeText], false);
  AppendStyledText(edit, "1949  ", events.Font, events.Attr[aeYear], true);
  AppendArchiveText(edit, EventTextOffset(8), EventArchive, events.Font, TextAttributes{tsItalic, 11, 0}, false);
  AppendStyledText(edit, "Geburtstage", DispHeadStyle.Font, DispHeadStyle.Attr, true);
  AppendStyledText(edit, "1876  ", births.Font, births.Attr[abYear], true);
  AppendStyledText(edit, "(73) ", births.Font, births.Attr[abYears], false);
  AppendHyperlink(edit, "p:699", "Konrad Adenauer", births.Font, births.Attr[abHyperlink], false);
  AppendStyledText(edit, " in ", births.Font, births.Attr[abText], false);
  AppendStyledText(edit, CP1252("Köln").str(), births.Font, births.Attr[abPlace], false);
  IndentWholeDocument(edit);
  edit->ReformatAndRepaint();
  driver.Process();
  const std::string png = driver.SavePng(form, "app_styled_output");
  EXPECT_FALSE(png.empty());
  // The link is underlined in the hyperlink colour (colour 3, blue, by
  // default) somewhere in its line.
  const std::string text = Read(edit).text;
  const TPoint p = PointOf(edit, static_cast<int>(text.rfind("Konrad")) + 1);
  bool blue = false;
  for (int dy = -10; dy <= 10 && !blue; ++dy)
    for (int dx = -4; dx <= 4 && !blue; ++dx) blue = driver.PixelAt(edit, p.X + dx, p.Y + dy) == ColorOf(3);
  EXPECT_TRUE(blue);
}

}  // namespace

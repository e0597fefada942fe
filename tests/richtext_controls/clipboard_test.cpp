// Copy, cut and paste of the edit control through the clipboard (RTF and
// plain text, pictures), the copy and paste events, pasting into a table
// cell, the change check that guards a paste like typing, the text-height
// limit, and the edit-state report.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui/clipbrd.h"
#include "platform/ui/windowhost.h"
#include "tests/richtext_controls/edit_helpers.h"

using namespace rtedit_test;

namespace {

unsigned Rtf() { return RegisterClipboardFormat("Rich Text Format"); }

// "Normal fett kursiv groß" with bold, italic and 20-point runs.
void Styled4(TWPCustomRtfEdit* e) {
  e->ClearText();
  Styled(e, "Normal ");
  Styled(e, "fett ", "Arial", 10, wpsBold);
  Styled(e, "kursiv ", "Arial", 10, wpsItalic);
  Styled(e, CP1252("groß").str(), "Arial", 20);
  Styled(e, "Zweiter Absatz", "Arial", 10, 0, 0, true);
  e->ReformatAndRepaint();
  e->PlaceCursor(0, 0, 0, 0);
}

const TWPAttrRecord& AttrAt(TWPCustomRtfEdit* e, int position) {
  e->MoveCursorTo(position);
  return *e->AttrAtCursor();
}

}  // namespace

TEST(EditClipboard, CopyPutsRtfAndPlainTextAndPasteBringsTheLooksBack) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Styled4(e);
  e->SetPageLayout(0, 0, 720, 720, 8610, 15840);  // a page of its own, without side margins
  const int all = e->TextLength();
  e->SelectAll();
  e->CopyToClipboard();
  ASSERT_TRUE(Clipboard()->HasFormat(Rtf()));
  ASSERT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  const std::string rtf = Clipboard()->GetBuffer(Rtf());
  EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
  EXPECT_NE(rtf.find("\\b"), std::string::npos);
  EXPECT_NE(rtf.find("\\i"), std::string::npos);
  EXPECT_NE(rtf.find("\\fs40"), std::string::npos);
  EXPECT_NE(rtf.find("\\paperw8610"), std::string::npos);
  // The plain text is the words, no control words, this system's line end.
  const std::string plain = Clipboard()->AsText();
  EXPECT_EQ(plain, CP1252("Normal fett kursiv groß\nZweiter Absatz").str());
  EXPECT_EQ(plain.find('\\'), std::string::npos);
  EXPECT_EQ(plain.find('{'), std::string::npos);
  // Copying changed nothing.
  EXPECT_EQ(e->TextLength(), all);
  // Pasted into another control, empty: the words with their looks, and
  // the page that control has.
  TWPCustomRtfEdit* other = w.Second();
  other->ClearText();
  other->SetPageLayout(1134, 1134, 1134, 1134, 11906, 16838);
  other->SetFocus();
  int changes = 0;
  other->OnChange = [&](TObject*) { ++changes; };
  w.driver.PressKey('V', ssCtrl);
  EXPECT_EQ(Text(other), Text(e));
  const TTextHeader& page = *other->Header();
  EXPECT_EQ(std::vector<int>({page.MarginLeft, page.MarginRight, page.MarginTop, page.MarginBottom, page.PageWidth,
                              page.PageHeight, page.PrintWidth}),
            std::vector<int>({1134, 1134, 1134, 1134, 11906, 16838, MulDiv(11906 - 2 * 1134, page.ResX, 1440)}));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(AttrAt(other, 8).Style & wpsBold, wpsBold);
  EXPECT_EQ(AttrAt(other, 13).Style & wpsItalic, wpsItalic);
  EXPECT_EQ(AttrAt(other, 20).Size, 20);
  EXPECT_EQ(AttrAt(other, 1).Style & (wpsBold | wpsItalic), 0u);
  // Pasting over a selection replaces it.
  other->SetSelection(0, 6);
  Clipboard()->SetAsText("Anders");
  other->PasteFromClipboard();
  EXPECT_EQ(Text(other).substr(0, 12), "Anders fett ");
  // Plain text beyond the code page: letters fold, the rest is left out and named; at the end with its blank.
  WindowHost().SetClipboard({{"text/plain", "Ende Ł 😀中"}}, nullptr);
  other->SetSelection(0, 6);
  w.driver.AnswerNextMessageBox(IDOK);
  other->PasteFromClipboard();
  EXPECT_EQ(Text(other).substr(0, 11), "Ende L fett");
  ASSERT_FALSE(w.driver.MessageBoxes().empty());
  EXPECT_EQ(w.driver.MessageBoxes().back().Text,
            CP1252("Einige Zeichen des eingefügten Textes kann das Programm nicht speichern (U+1F600, U+4E2D); "
                   "sie wurden weggelassen.").str());
  // So is a character that another program's RTF names by number.
  Clipboard()->SetBuffer(Rtf(), "{\\rtf1\\uc1 X\\u20013\\'3fY}");
  other->SetSelection(0, 6);
  const size_t boxes = w.driver.MessageBoxes().size();
  w.driver.AnswerNextMessageBox(IDOK);
  other->PasteFromClipboard();
  EXPECT_EQ(Text(other).substr(0, 3), "XY ");
  ASSERT_EQ(w.driver.MessageBoxes().size(), boxes + 1);
  EXPECT_NE(w.driver.MessageBoxes().back().Text.find("(U+4E2D)"), std::string::npos);
}

TEST(EditClipboard, CutTakesTheSelectionAndACopyEventCanRefuseBoth) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Styled4(e);
  e->SetSelection(7, 5);
  e->CutToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "fett ");
  EXPECT_EQ(Text(e).substr(0, 14), "Normal kursiv ");
  // A refusing copy event: the clipboard keeps what it had, cut deletes nothing.
  Clipboard()->SetAsText("vorher");
  bool asked = false;
  e->OnBeforeCopyEvent = [&](TObject*, bool& doIt) {
    asked = true;
    doIt = false;
  };
  e->SetSelection(0, 6);
  e->CopyToClipboard();
  EXPECT_TRUE(asked);
  EXPECT_EQ(Clipboard()->AsText(), "vorher");
  e->CutToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "vorher");
  EXPECT_EQ(Text(e).substr(0, 6), "Normal");
  // Without a selection nothing happens.
  e->OnBeforeCopyEvent = nullptr;
  e->SetSelection(0, 0);
  e->CopyToClipboard();
  e->CutToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "vorher");
}

TEST(EditClipboard, APasteIntoATableCellIsShortPlainAndTrimmed) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  Styled(e, "A");
  Styled(e, "B", "Arial", 10, 0, 0, true);
  TWPParagraphRec* a = e->RtfText()->ParagraphAt(0);
  TWPParagraphRec* b = e->RtfText()->ParagraphAt(1);
  a->Flags |= wppTableCell | wppRowGoesOn;
  b->Flags |= wppTableCell | wppRowContinues;
  e->ReformatAndRepaint();
  // 300 characters and blanks behind; RTF on the clipboard as well.
  std::string long300;
  for (int i = 0; i < 300; ++i) long300 += static_cast<char>('a' + i % 26);
  Clipboard()->Open();
  Clipboard()->SetBuffer(Rtf(), "{\\rtf1 {\\b FETT}}");
  Clipboard()->SetBuffer(CF_TEXT, long300 + "   ");
  Clipboard()->Close();
  e->MoveCursorTo(1);
  w.driver.AnswerNextMessageBox(IDOK);
  e->PasteFromClipboard();
  const std::string cell = Text(e).substr(0, Text(e).find('\r'));
  EXPECT_EQ(cell, "A" + long300.substr(0, 255));
  ASSERT_EQ(w.driver.MessageBoxes().size(), 1u) << "what has no room is told";
  EXPECT_EQ(w.driver.MessageBoxes().back().Text, CP1252("In eine Tabellenzelle lassen sich höchstens 255 Zeichen auf einmal einfügen; 45 "
                                                        "Zeichen des eingefügten Textes wurden weggelassen.").str());
  EXPECT_EQ(Text(e).find("FETT"), std::string::npos);
  // Trailing blanks and line ends within the first 255 are cut.
  Clipboard()->SetAsText("xy  \n ");
  e->MoveCursorTo(Text(e).size());
  e->PasteFromClipboard();
  EXPECT_EQ(Text(e).substr(Text(e).size() - 3), "Bxy");
  EXPECT_EQ(w.driver.MessageBoxes().size(), 1u);
  // A table of one cell is a framed paragraph; that text pasted at its start keeps the frame.
  TStringStream one("{\\rtf1\\trowd\\clbrdrt\\brdrs\\clbrdrl\\brdrs\\clbrdrb\\brdrs\\clbrdrr\\brdrs\\cellx4000"
                    "\\pard\\intbl\\cell\\row}");
  e->ClearText();
  e->RtfText()->LoadFromStream(&one);
  e->PasteFromClipboard();
  EXPECT_TRUE(e->RtfText()->FirstPar->BorderFlags & kBrdBox);
}

TEST(EditClipboard, APasteIsRefusedLikeTypingAndLeavesTheTextAsItWas) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Styled4(e);
  const std::string before = Text(e);
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  Clipboard()->SetAsText("Neu");
  // A text that may not be edited takes no paste, by any road.
  e->SetEditable(false);
  e->SetSelection(0, 6);
  e->SetFocus();
  e->PasteFromClipboard();
  e->Perform(WM_PASTE);
  w.driver.PressKey('V', ssCtrl);
  w.driver.PressKey(VK_INSERT, ssShift);
  EXPECT_EQ(Text(e), before);
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(e->Modified());
  // Nor does a read-only one.
  e->SetEditable(true);
  e->SetReadOnly(true);
  e->PasteFromClipboard();
  EXPECT_EQ(Text(e), before);
  // Allowed again: the paste replaces the selection.
  e->SetReadOnly(false);
  e->PasteFromClipboard();
  EXPECT_EQ(Text(e).substr(0, 4), "Neu ");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(e->Modified());
}

TEST(EditClipboard, TheHeightLimitRefusesGrowthButLetsDeleteWork) {
  EditWindow w(200, 60);
  TWPCustomRtfEdit* e = w.edit;
  e->SetLimitTextHeight(true);
  e->ClearText();
  e->SetFocus();
  // Lines until the text fills the window: the line that would reach
  // below the window is taken back.
  std::string typed;
  for (int i = 0; i < 10; ++i) {
    w.driver.Type("Zeile");
    w.driver.PressKey(VK_RETURN);
  }
  TWPRTFTextInput* t = e->RtfText();
  EXPECT_LE(t->TotalHeight, t->VisibleHeight);
  const std::string full = Text(e);
  EXPECT_LT(std::count(full.begin(), full.end(), '\r'), 9);
  // A full text takes no more, not even pasted.
  const int lines = static_cast<int>(std::count(full.begin(), full.end(), '\r'));
  w.driver.Type("x");
  Clipboard()->SetAsText("a\nb\nc\nd\ne\nf");
  e->PasteFromClipboard();
  const std::string after = Text(e);
  EXPECT_LE(t->TotalHeight, t->VisibleHeight);
  EXPECT_LE(static_cast<int>(std::count(after.begin(), after.end(), '\r')), lines);
  // Delete still works.
  w.driver.PressKey(VK_HOME, ssCtrl);
  w.driver.PressKey(VK_DELETE);
  EXPECT_EQ(Text(e).size() + 1, after.size());
}

TEST(EditClipboard, ThePasteEventSeesEveryParagraphAndMayRefuseOne) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  Styled(e, "Start ");
  e->ReformatAndRepaint();
  std::vector<std::string> offered;
  e->OnBeforePasteEvent = [&](TObject*, bool& doIt, TWPParagraphRec* par) {
    std::string s;
    for (const TWPLineRec* l = par->line; l; l = l->next) s.append(l->pc, l->Length);
    offered.push_back(s);
    doIt = s != "zwei";
  };
  Clipboard()->SetAsText("eins\nzwei\ndrei");
  e->MoveCursorTo(6);
  e->PasteFromClipboard();
  EXPECT_EQ(offered, (std::vector<std::string>{"eins", "zwei", "drei"}));
  EXPECT_EQ(Text(e), "Start eins\rdrei");
}

TEST(EditClipboard, APictureOnTheClipboardIsPastedAsAnObject) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Styled4(e);
  TBitmap bmp(20, 10);
  bmp.Canvas()->Brush()->SetColor(clBlue);
  bmp.Canvas()->FillRect({0, 0, 20, 10});
  Clipboard()->Assign(bmp);
  e->MoveCursorTo(0);
  e->PasteFromClipboard();
  EXPECT_EQ(Text(e)[0], '\x01');
  ASSERT_NE(e->RtfText()->FirstObject, nullptr);
  w.driver.Process();
  const TPoint p = PointOf(e, 0);
  EXPECT_EQ(ColorToRGB(w.driver.PixelAt(e, p.X, p.Y)), ColorToRGB(clBlue));
}

TEST(EditClipboard, TheEditStateTellsSelectionAndClipboard) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Styled4(e);
  std::vector<std::pair<bool, bool>> states;
  e->EditStateEvent = [&](TObject*, bool marked, bool clip) { states.emplace_back(marked, clip); };
  Clipboard()->Clear();
  e->SetSelection(0, 3);
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), std::make_pair(true, false));
  e->CopyToClipboard();
  EXPECT_EQ(states.back(), std::make_pair(true, true));
  e->SetSelection(0, 0);
  EXPECT_EQ(states.back(), std::make_pair(false, true));
  // Gaining the focus reports it too.
  w.Second()->SetFocus();
  states.clear();
  e->SetFocus();
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), std::make_pair(false, true));
}

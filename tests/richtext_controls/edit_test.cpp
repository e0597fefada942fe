// The edit control as a window: its answers to window messages, the key
// table, the scroll bars and the wheel, one layout per change and none per
// paint, the mouse (click, drag, double and triple click, Shift+click, the
// right button's word), hyperlink clicks and hover, read-only mode,
// dragging a selection into another control, and Escape ending a
// replace-all.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui/clipbrd.h"
#include "platform/ui/keyboard.h"
#include "tests/richtext_controls/daypage_api.h"

using namespace rtedit_test;

namespace {

void Fill(TWPCustomRtfEdit* e, const std::string& text) {
  e->ClearText();
  size_t start = 0;
  bool first = true;
  for (;;) {
    const size_t end = text.find('\r', start);
    Styled(e, text.substr(start, end == std::string::npos ? std::string::npos : end - start), "Arial", 10, 0, 0,
           !first);
    first = false;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  e->ReformatAndRepaint();
  e->PlaceCursor(0, 0, 0, 0);
}

std::string Selected(TWPCustomRtfEdit* e) {
  int start = 0, length = 0;
  if (!e->RtfText()->GetBlock(start, length)) return {};
  return Text(e).substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

}  // namespace

TEST(EditWindow, AnswersTheWindowMessages) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  EXPECT_EQ(e->Perform(WM_GETDLGCODE), 135);
  e->SetWantTabs(false);
  EXPECT_EQ(e->Perform(WM_GETDLGCODE), 133);
  // WM_SETTEXT replaces the text by plain text, in paragraphs.
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  e->SetText("Erste Zeile\r\nZweite Zeile");
  EXPECT_EQ(Text(e), "Erste Zeile\rZweite Zeile");
  EXPECT_EQ(changes, 1);
  // An empty text leaves an empty document written in the control's font.
  TFont f;
  f.SetName("Courier New");
  f.SetSize(14);
  f.SetStyle(TFontStyles{fsBold});
  e->SetFont(f);
  e->SetText("");
  EXPECT_EQ(Text(e), "");
  const TWPAttrRecord& a = e->RtfText()->WritingAttr;
  EXPECT_EQ(e->Header()->FontName(a.Font), "Courier New");
  EXPECT_EQ(a.Size, 14);
  EXPECT_EQ(a.Style & wpsBold, wpsBold);
  // A font change of the control reaches the writing attribute.
  f.SetSize(9);
  f.SetStyle(TFontStyles{});
  f.SetColor(clRed);
  e->SetFont(f);
  EXPECT_EQ(e->RtfText()->WritingAttr.Size, 9);
  EXPECT_EQ(e->RtfText()->WritingAttr.Style & wpsBold, 0u);
  EXPECT_EQ(e->Header()->Colors[e->RtfText()->WritingAttr.Colors & 0x0F], clRed);
}

TEST(EditWindow, KeysTypeMoveSelectAndEdit) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  e->SetFocus();
  w.driver.Type(CP1252("Grüße").str());
  EXPECT_EQ(Text(e), CP1252("Grüße").str());
  // Enter: a new paragraph; Shift+Enter a line break; Ctrl+Enter a page break.
  w.driver.PressKey(VK_RETURN);
  w.driver.Type("a");
  w.driver.PressKey(VK_RETURN, ssShift);
  w.driver.Type("b");
  w.driver.PressKey(VK_RETURN, ssCtrl);
  w.driver.Type("c");
  TWPRTFTextInput* t = e->RtfText();
  const std::string text = Text(e);
  EXPECT_NE(text.find("a\nb"), std::string::npos);
  int pars = 0;
  bool pageBreak = false;
  for (const TWPParagraphRec* p = t->FirstPar; p; p = p->next) {
    ++pars;
    pageBreak = pageBreak || (p->Flags & wppPageBreak);
  }
  EXPECT_EQ(pars, 3);
  EXPECT_TRUE(pageBreak);
  // Shift+Left extends; Left alone drops the selection first.
  w.driver.PressKey(VK_END, ssCtrl);
  w.driver.PressKey(VK_LEFT, ssShift);
  EXPECT_EQ(Selected(e), "c");
  w.driver.PressKey(VK_LEFT);
  EXPECT_EQ(Selected(e), "");
  // Ctrl+Shift+Home selects to the start; Delete removes the selection.
  w.driver.PressKey(VK_HOME, ssCtrl);
  w.driver.PressKey(VK_RIGHT, ssShift | ssCtrl);
  EXPECT_EQ(Selected(e), CP1252("Grüße").str());
  w.driver.PressKey(VK_DELETE);
  EXPECT_EQ(Text(e).substr(0, 2), "\ra");
  // Backspace at the start of a paragraph joins it to the one before.
  w.driver.PressKey(VK_DOWN);
  w.driver.PressKey(VK_HOME);
  w.driver.PressKey(VK_BACK);
  EXPECT_EQ(Text(e).substr(0, 1), "a");
  // Insert switches to overwriting.
  w.driver.PressKey(VK_HOME, ssCtrl);
  w.driver.PressKey(VK_INSERT);
  EXPECT_FALSE(e->Inserting());
  w.driver.Type("X");
  EXPECT_EQ(Text(e).substr(0, 2), "X\n");
  w.driver.PressKey(VK_INSERT);
  EXPECT_TRUE(e->Inserting());
  // Escape drops the selection.
  w.driver.PressKey(VK_END, ssShift);
  EXPECT_FALSE(Selected(e).empty());
  w.driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(Selected(e), "");
  // Ctrl+A selects the whole text, as in every text field.
  w.driver.PressKey('A', ssCtrl);
  EXPECT_EQ(Selected(e), Text(e));
  w.driver.PressKey(VK_ESCAPE);
  // Tab types a tab with WantTabs; Ctrl+Tab and Shift+Tab go to their events.
  int ctrlTabs = 0, shiftTabs = 0;
  e->CtrlTabPressed = [&](TObject*) { ++ctrlTabs; };
  e->ShiftTabPressed = [&](TObject*) { ++shiftTabs; };
  const size_t before = Text(e).size();
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(Text(e).size(), before + 1);
  const std::string tabbed = Text(e);
  EXPECT_EQ(std::count(tabbed.begin(), tabbed.end(), '\t'), 1);
  w.driver.PressKey(VK_TAB, ssCtrl);
  w.driver.PressKey(VK_TAB, ssShift);
  EXPECT_EQ(ctrlTabs, 1);
  EXPECT_EQ(shiftTabs, 1);
  EXPECT_EQ(Text(e).size(), before + 1);
  // Without its event Shift+Tab leaves the text backwards.
  e->ShiftTabPressed = nullptr;
  TWPCustomRtfEdit* other = w.Second();
  w.driver.PressKey(VK_TAB, ssShift);
  EXPECT_TRUE(other->Focused());
  e->SetFocus();
  // Typed text is never hidden, whatever the writing attribute said.
  t->WritingAttr.Style |= wpsHidden;
  w.driver.Type("v");
  w.driver.PressKey(VK_LEFT);
  EXPECT_EQ(e->AttrAtCursor()->Style & wpsHidden, 0u);
}

TEST(EditWindow, ReadOnlyRefusesKeysButKeepsMovingAndCopying) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Fill(e, "Nur lesen");
  e->SetReadOnly(true);
  e->SetFocus();
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  w.driver.Type("abc");
  w.driver.PressKey(VK_RETURN);
  w.driver.PressKey(VK_DELETE);
  w.driver.PressKey(VK_BACK);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(Text(e), "Nur lesen");
  EXPECT_EQ(changes, 0);
  w.driver.PressKey(VK_RIGHT, ssShift | ssCtrl);
  EXPECT_EQ(Selected(e), "Nur");
  w.driver.PressKey('X', ssCtrl);  // cut: copies, deletes nothing
  EXPECT_EQ(Text(e), "Nur lesen");
  EXPECT_EQ(Clipboard()->AsText(), "Nur");
}

TEST(EditWindow, ScrollBarsFollowTheTextAndScrollIt) {
  EditWindow w(300, 120);
  TWPCustomRtfEdit* e = w.edit;
  e->SetScrollBars(ssVertical);
  Fill(e, "kurz");
  EXPECT_FALSE(e->ScrollBarVisible(SB_VERT));
  std::string lots;
  for (int i = 0; i < 40; ++i) lots += "Zeile " + std::to_string(i) + (i < 39 ? "\r" : "");
  Fill(e, lots);
  TWPRTFTextInput* t = e->RtfText();
  ASSERT_TRUE(e->ScrollBarVisible(SB_VERT));
  int lo = 0, hi = 0;
  e->GetScrollRange(SB_VERT, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 1000);
  // The bar's width is taken from the text's.
  EXPECT_EQ(t->WindowWidth(), e->ClientWidth());
  // A thumb drag to 500 scrolls to the middle of what can scroll.
  e->Perform(WM_VSCROLL, MakeLong(SB_THUMBTRACK, 500), 0);
  // (A far jump lands on a line's top.)
  const int middle = (t->TotalHeight - t->VisibleHeight) / 2;
  EXPECT_LE(std::abs(t->TopOffset - middle), t->FirstPar->line->Height);
  EXPECT_LE(std::abs(e->GetScrollPos(SB_VERT) - 500), 1000 * t->FirstPar->line->Height / (2 * middle));
  e->Perform(WM_VSCROLL, MakeLong(SB_ENDSCROLL, 0), 0);
  e->Perform(WM_VSCROLL, MakeLong(SB_TOP, 0), 0);
  EXPECT_EQ(t->TopOffset, 0);
  // The wheel scrolls three line steps a notch, down and back up.
  w.driver.Process();
  const TPoint c = e->ClientToScreen({50, 50});
  const TPoint inForm = w.form->ScreenToClient(c);
  Application->DeliverMouse(w.form, mkWheelDown, mbLeft, inForm.X, inForm.Y);
  EXPECT_EQ(t->TopOffset, 48);
  Application->DeliverMouse(w.form, mkWheelUp, mbLeft, inForm.X, inForm.Y);
  EXPECT_EQ(t->TopOffset, 0);
  // TopOffset: negative counts as 0; set values scroll.
  e->SetTopOffset(-10);
  EXPECT_EQ(e->TopOffset(), 0);
  e->SetTopOffset(100);
  EXPECT_EQ(e->TopOffset(), 100);
  EXPECT_EQ(e->GetScrollPos(SB_VERT), 100 * 1000 / (t->TotalHeight - t->VisibleHeight));
  // The offset is kept across a resize.
  e->SetBounds(e->Left(), e->Top(), e->Width() - 30, e->Height() + 10);
  EXPECT_EQ(e->TopOffset(), 100);
  // Taller than its text, the window needs the bar no more.
  e->SetBounds(e->Left(), e->Top(), e->Width(), t->TotalHeight + 20);
  w.driver.Process();
  EXPECT_FALSE(e->ScrollBarVisible(SB_VERT));
  // Shorter text: the offset goes back to 0 and the bar away.
  Fill(e, "kurz");
  EXPECT_EQ(t->TopOffset, 0);
  EXPECT_FALSE(e->ScrollBarVisible(SB_VERT));
  // Without the vertical style there is no bar however long the text.
  e->SetScrollBars(ssNone);
  Fill(e, lots);
  EXPECT_FALSE(e->ScrollBarVisible(SB_VERT));
}

// A long text is laid out once when a window first shows it; painting it
// again, also after a typed character, lays nothing out (every paint laid
// the whole text out again, and that asked for the next paint).
TEST(EditWindow, ALongTextIsLaidOutOncePerChangeAndPaintingOnlyPaints) {
  EditWindow w(800, 240);
  TWPCustomRtfEdit* e = w.edit;
  std::string lots;
  for (int i = 0; i < 300; ++i) lots += "Zeile " + std::to_string(i) + (i < 299 ? "\r" : "");
  Fill(e, lots);
  auto* shown = new TWPCustomRtfEdit(w.form);
  shown->SetWordWrap(true);
  shown->SetScrollBars(ssVertical);
  shown->SetRtfText(e->RtfText());
  shown->SetBounds(10, 10, 800, 240);
  TWPRTFTextInput* t = shown->RtfText();
  const int made = t->FormatCount();
  shown->SetParent(w.form);
  w.driver.Process();
  EXPECT_EQ(t->FormatCount(), made + 1);
  EXPECT_TRUE(shown->ScrollBarVisible(SB_VERT));
  for (int paint = 0; paint < 3; ++paint) {
    shown->Invalidate();
    w.driver.Process();
  }
  shown->SetFocus();
  shown->PlaceCursor(0, 0, 0, 0);
  w.driver.Type("x");
  w.driver.Process();
  EXPECT_EQ(Text(shown).substr(0, 7), "xZeile ");
  EXPECT_EQ(t->FormatCount(), made + 1);
}

TEST(EditWindow, MouseClicksPlaceTheCursorAndSelect) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Fill(e, "Alpha Beta Gamma\rDelta Epsilon");
  // A click puts the cursor before the clicked character.
  const TPoint b = PointOf(e, 6);
  w.driver.Click(e, b.X - 1, b.Y);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(e->CursorPosition(), 6);
  EXPECT_EQ(Selected(e), "");
  // A drag selects from the press to the release.
  const TPoint from = PointOf(e, 0, true), to = PointOf(e, 10, true);
  w.driver.Drag(e, from, to);
  EXPECT_EQ(Selected(e), "Alpha Beta");
  // Shift+click extends from the last click.
  w.driver.Click(e, b.X - 1, b.Y);
  const TPoint g = PointOf(e, 16);
  w.driver.Click(e, g.X + 2, g.Y, ssShift);
  EXPECT_EQ(Selected(e), "Beta Gamma");
  // A double click marks the word, a third click the paragraph.
  const TPoint d = PointOf(e, 19);
  w.driver.DoubleClick(e, d.X, d.Y);
  EXPECT_EQ(Selected(e), "Delta");
  w.driver.Click(e, d.X, d.Y);
  EXPECT_EQ(Selected(e), "Delta Epsilon");
  // Later, a click is a click again.
  w.driver.Advance(600);
  w.driver.Click(e, d.X, d.Y);
  EXPECT_EQ(Selected(e), "");
}

TEST(EditWindow, HyperlinkClicksDeliverTheStampFromTextOrStamp) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  Styled(e, "Geboren: ");
  Link(e, "Johann Wolfgang Goethe", "p:1234");
  Styled(e, " und ");
  Link(e, "Schiller", "p:77");
  e->ReformatAndRepaint();
  e->SetHyperlinkTextAttr(e->HyperlinkTextAttr());
  std::vector<std::pair<std::string, std::string>> got;
  std::vector<int> lines;
  e->HyperLinkEvent = [&](TObject*, const AnsiString& text, const AnsiString& stamp, int line) {
    got.emplace_back(text, stamp);
    lines.push_back(line);
  };
  const std::string text = Text(e);
  const int goethe = static_cast<int>(text.find("Wolfgang"));
  // Without OneClickHyperlink a click places the cursor, a double click follows.
  TPoint p = PointOf(e, goethe);
  w.driver.Click(e, p.X, p.Y);
  EXPECT_TRUE(got.empty());
  w.driver.Advance(600);
  w.driver.DoubleClick(e, p.X, p.Y);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first, "Johann Wolfgang Goethe");
  EXPECT_EQ(got[0].second, "p:1234");
  EXPECT_EQ(lines[0], 0);
  // With it one click does; the second link delivers its own code.
  e->SetOneClickHyperlink(true);
  w.driver.Advance(600);
  p = PointOf(e, static_cast<int>(text.find("Schiller")) + 3);
  w.driver.Click(e, p.X, p.Y);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].first, "Schiller");
  EXPECT_EQ(got[1].second, "p:77");
  // Text next to a link is no link.
  p = PointOf(e, 2);
  w.driver.Click(e, p.X, p.Y);
  EXPECT_EQ(got.size(), 2u);
  // With hidden text shown, a click on the stamp finds the same link.
  e->RtfText()->SetViewOptions(e->RtfText()->ViewOptions() | wpvShowHidden);
  e->ReformatAndRepaint();
  p = PointOf(e, static_cast<int>(text.find("p:1234")) + 2);
  w.driver.Advance(600);
  w.driver.Click(e, p.X, p.Y);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[2].first, "Johann Wolfgang Goethe");
  EXPECT_EQ(got[2].second, "p:1234");
}

TEST(EditWindow, ALinkWrappedOverTwoLinesIsReadWhole) {
  EditWindow w(120, 200);
  TWPCustomRtfEdit* e = w.edit;
  e->SetOneClickHyperlink(true);
  e->ClearText();
  Styled(e, "Siehe ");
  Link(e, "Johann Wolfgang von Goethe", "p:9");
  e->ReformatAndRepaint();
  std::string stamp, text;
  e->HyperLinkEvent = [&](TObject*, const AnsiString& t, const AnsiString& s, int) {
    text = t;
    stamp = s;
  };
  // Click on the last word, on a following line.
  const int von = static_cast<int>(Text(e).find("Goethe"));
  TWPParagraphRec* p0 = e->RtfText()->FirstPar;
  ASSERT_NE(p0->line->next, nullptr);
  const TPoint p = PointOf(e, von + 2);
  ASSERT_GT(p.Y, p0->line->Height);
  w.driver.Click(e, p.X, p.Y);
  EXPECT_EQ(text, "Johann Wolfgang von Goethe");
  EXPECT_EQ(stamp, "p:9");
}

TEST(EditWindow, HoverShowsTheHyperlinkCursorOnlyOverLinks) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  Styled(e, "Text ");
  Link(e, "Verweis", "p:5");
  e->ReformatAndRepaint();
  e->SetHyperLinkCursor(crHandPoint);
  const TPoint plain = PointOf(e, 1), link = PointOf(e, 7);
  w.driver.MouseMove(e, plain.X, plain.Y);
  EXPECT_EQ(Screen->CurrentCursor(), crIBeam);
  w.driver.MouseMove(e, link.X, link.Y);
  EXPECT_EQ(Screen->CurrentCursor(), crHandPoint);
  w.driver.MouseMove(e, link.X + 1, link.Y);
  EXPECT_EQ(Screen->CurrentCursor(), crHandPoint);
  w.driver.MouseMove(e, plain.X, plain.Y);
  EXPECT_EQ(Screen->CurrentCursor(), crIBeam);
  // Without a hyperlink cursor the control's own stays.
  e->SetHyperLinkCursor(0);
  w.driver.MouseMove(e, link.X, link.Y);
  EXPECT_EQ(Screen->CurrentCursor(), crIBeam);
}

TEST(EditWindow, TheRightButtonHandsOverTheWordUnderTheMouse) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Fill(e, "Ein Wort hier");
  std::string word;
  int pos = -1, len = -1;
  e->OnMouseDownRight = [&](TObject*, TMouseButton, TShiftState, int, int, int p, int l, AnsiString& text,
                            TWPAttrRecord& atr) {
    word = text;
    pos = p;
    len = l;
    atr.Style |= wpsBold;
  };
  const TPoint p = PointOf(e, 6);
  w.driver.RightClick(e, p.X, p.Y);
  EXPECT_EQ(word, "Wort");
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(len, 4);
  // The event changed the attribute: the word is bold now, its neighbours not.
  e->MoveCursorTo(5);
  EXPECT_EQ(e->AttrAtCursor()->Style & wpsBold, wpsBold);
  e->MoveCursorTo(1);
  EXPECT_EQ(e->AttrAtCursor()->Style & wpsBold, 0u);
  // A new text replaces the word.
  e->OnMouseDownRight = [&](TObject*, TMouseButton, TShiftState, int, int, int, int, AnsiString& text,
                            TWPAttrRecord&) { text = "Satz"; };
  w.driver.RightClick(e, p.X, p.Y);
  EXPECT_EQ(Text(e), "Ein Satz hier");
}

TEST(EditWindow, DraggingASelectionCopiesItIntoAnotherControl) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->SetDragAndDropSupport(true);
  e->ClearText();
  Styled(e, "fett", "Arial", 10, wpsBold);
  Styled(e, " normal");
  e->ReformatAndRepaint();
  TWPCustomRtfEdit* other = w.Second();
  Fill(other, "Ziel");
  e->SetSelection(0, 4);
  // A press inside the selection released without moving is a plain click.
  const TPoint in = PointOf(e, 2);
  w.driver.Click(e, in.X, in.Y);
  EXPECT_EQ(Selected(e), "");
  EXPECT_EQ(e->CursorPosition(), 2);
  // A drag into the other control drops a copy at the point.
  e->SetSelection(0, 4);
  const TPoint start = PointOf(e, 1);
  const TPoint end = other->ClientToScreen(PointOf(other, 4));
  const TPoint endInE = e->ScreenToClient(end);
  w.driver.Drag(e, start, {endInE.X + 3, endInE.Y}, 6);
  EXPECT_EQ(Text(other), "Zielfett");
  other->MoveCursorTo(5);
  EXPECT_EQ(other->AttrAtCursor()->Style & wpsBold, wpsBold);
  EXPECT_EQ(Text(e), "fett normal");
  EXPECT_EQ(Selected(e), "");
  // Nothing goes into a read-only control.
  other->SetReadOnly(true);
  e->SetSelection(0, 4);
  w.driver.Drag(e, start, {endInE.X + 3, endInE.Y}, 6);
  EXPECT_EQ(Text(other), "Zielfett");
}

TEST(EditWindow, EscapeHeldDuringAReplaceAllStopsIt) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  std::string many;
  for (int i = 0; i < 100; ++i) many += "alt ";
  Fill(e, many);
  TWPTextFinder* f = e->TextFinder();
  ASSERT_EQ(f->Text(), e->RtfText());
  keyboard::SetKeyDown(VK_ESCAPE, true);
  f->Reset();
  f->ReplaceAll("alt", "neu");
  keyboard::SetKeyDown(VK_ESCAPE, false);
  EXPECT_EQ(f->ReplaceCount(), 30);
  // A press and release between two polls counts as well.
  Fill(e, many);
  w.driver.PressKey(VK_ESCAPE);
  f->Reset();
  f->ReplaceAll("alt", "neu");
  EXPECT_EQ(f->ReplaceCount(), 30);
  // Without Escape every match goes.
  f->Reset();
  f->ReplaceAll("alt", "neu");
  EXPECT_EQ(Text(e).find("alt"), std::string::npos);
}

TEST(EditWindow, TransparentShowsTheParentAndAPictureIsTheBackground) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  Fill(e, "Durchsichtig");
  w.form->SetColor(clYellow);
  e->SetTransparent(true);
  w.driver.Process();
  EXPECT_EQ(e->Perform(WM_ERASEBKGND), 1);
  EXPECT_EQ(ColorToRGB(w.driver.PixelAt(e, e->ClientWidth() - 20, e->ClientHeight() - 20)), ColorToRGB(clYellow));
  const TPoint p = PointOf(e, 1);
  w.driver.Process();
  EXPECT_TRUE(w.form->Showing());
  // Painting settles: no paint asks for the next one.
  w.driver.Process();
  EXPECT_FALSE(w.form->PaintPendingFor());
  e->SetTransparent(false);
  // A picture as the background; a metafile is refused.
  TBitmap tile(8, 8);
  tile.Canvas()->Brush()->SetColor(clAqua);
  tile.Canvas()->FillRect({0, 0, 8, 8});
  TPicture pic;
  pic.SetGraphic(&tile);
  e->SetBackgroundImage(&pic);
  w.driver.Process();
  EXPECT_EQ(ColorToRGB(w.driver.PixelAt(e, e->ClientWidth() - 20, e->ClientHeight() - 20)), ColorToRGB(clAqua));
  EXPECT_NE(ColorToRGB(w.driver.PixelAt(e, p.X, p.Y)), ColorToRGB(clYellow));
  TMetafile wmf;
  wmf.SetSize(10, 10);
  TPicture meta;
  meta.SetGraphic(&wmf);
  try {
    e->SetBackgroundImage(&meta);
    ADD_FAILURE() << "a metafile was taken";
  } catch (const Exception& ex) {
    EXPECT_EQ(std::string(ex.what()), "Please use      Bitmap.");
  }
  e->SetBackgroundImage(nullptr);
  w.driver.Process();
  EXPECT_EQ(ColorToRGB(w.driver.PixelAt(e, e->ClientWidth() - 20, e->ClientHeight() - 20)), ColorToRGB(clWhite));
}

// The edit control and the memo: typing, selection by keys and mouse, the
// clipboard, undo, the edit messages the data-aware edits send, and refused
// input that beeps.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "platform/ui/clipbrd.h"
#include "tests/ui/ui_test_util.h"

namespace {

struct EditFixture {
  TUiTestDriver d;
  TForm* f = MakeForm();
  TEdit* e = nullptr;
  int changes = 0;
  EditFixture() {
    e = new TEdit(f);
    e->SetParent(f);
    e->SetBounds(10, 10, 120, 21);
    e->OnChange = [this](TObject*) { ++changes; };
    f->Show();
    e->SetFocus();
  }
};

TEST(Edit, TypingSelectionAndKeys) {
  EditFixture x;
  x.d.Type(CP1252("Grüße Welt").str());
  EXPECT_EQ(x.e->Text(), CP1252("Grüße Welt").str());
  EXPECT_EQ(x.changes, 10);
  EXPECT_TRUE(x.e->Modified());
  EXPECT_EQ(x.e->SelStart(), 10);
  x.d.PressKey(VK_LEFT, ssCtrl | ssShift);  // selects "Welt"
  EXPECT_EQ(x.e->SelText(), "Welt");
  x.d.Type("Rom");
  EXPECT_EQ(x.e->Text(), CP1252("Grüße Rom").str());
  x.d.PressKey(VK_HOME);
  x.d.PressKey(VK_RIGHT, ssShift);
  x.d.PressKey(VK_RIGHT, ssShift);
  EXPECT_EQ(x.e->SelStart(), 0);
  EXPECT_EQ(x.e->SelLength(), 2);
  x.d.PressKey(VK_DELETE);
  EXPECT_EQ(x.e->Text(), CP1252("üße Rom").str());
  x.d.PressKey(VK_END);
  x.d.PressKey(VK_BACK);
  EXPECT_EQ(x.e->Text(), CP1252("üße Ro").str());
  // Undo takes back the last change; a second undo redoes it.
  x.d.PressKey('Z', ssCtrl);
  EXPECT_EQ(x.e->Text(), CP1252("üße Rom").str());
  x.d.PressKey('Z', ssCtrl);
  EXPECT_EQ(x.e->Text(), CP1252("üße Ro").str());
  // A program text resets selection, modified flag and undo; OnChange fires.
  int before = x.changes;
  x.e->SetText("neu");
  EXPECT_EQ(x.changes, before + 1);
  EXPECT_FALSE(x.e->Modified());
  EXPECT_FALSE(x.e->CanUndo());
  EXPECT_EQ(x.e->SelStart(), 0);
}

TEST(Edit, ClipboardRoundTrip) {
  EditFixture x;
  x.d.Type(CP1252("Bär und Öl").str());
  x.d.PressKey(VK_HOME);
  for (int i = 0; i < 3; ++i) x.d.PressKey(VK_RIGHT, ssShift);
  x.d.PressKey('X', ssCtrl);
  EXPECT_EQ(x.e->Text(), CP1252(" und Öl").str());
  EXPECT_EQ(Clipboard()->AsText(), CP1252("Bär").str());
  x.d.PressKey(VK_END);
  x.d.PressKey(VK_INSERT, ssShift);
  EXPECT_EQ(x.e->Text(), CP1252(" und ÖlBär").str());
  x.e->Perform(EM_SETSEL, 0, -1);
  x.e->Perform(WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard()->AsText(), x.e->Text());
  // Password edits never give their text away.
  x.e->SetPasswordChar('*');
  Clipboard()->SetAsText("vorher");
  x.e->Perform(WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard()->AsText(), "vorher");
  // A paste into one line joins its lines with a blank.
  x.e->SetPasswordChar(0);
  x.e->SetText("");
  Clipboard()->SetAsText("eins\r\nzwei");
  x.e->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(x.e->Text(), "eins zwei");
  x.e->Perform(EM_SETSEL, 0, -1);
  x.e->Perform(WM_CLEAR, 0, 0);
  EXPECT_EQ(x.e->Text(), "");
}

TEST(Edit, SelectionMessagesAndFormattingRectangle) {
  EditFixture x;
  x.e->SetText("0123456789");
  x.e->Perform(EM_SETSEL, 2, 5);
  std::uint32_t s = 0, e = 0;
  LRESULT r = x.e->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(s, 2u);
  EXPECT_EQ(e, 5u);
  EXPECT_EQ(LoWord(r), 2);
  EXPECT_EQ(HiWord(r), 5);
  x.e->Perform(EM_SETSEL, 0, -1);  // everything
  EXPECT_EQ(x.e->SelLength(), 10);
  x.e->Perform(EM_SETSEL, 4, 7);
  x.e->Perform(EM_SETSEL, -1, 0);  // selection removed, caret kept
  EXPECT_EQ(x.e->SelLength(), 0);
  EXPECT_EQ(x.e->SelStart(), 7);
  x.e->Perform(EM_SETSEL, 8, 3);   // reversed: the caret at the second
  EXPECT_EQ(x.e->SelStart(), 3);
  EXPECT_EQ(x.e->SelLength(), 5);
  x.e->Perform(EM_SETSEL, 50, 60);
  EXPECT_EQ(x.e->SelStart(), 10);

  TRect want{0, 0, 100, 15};
  x.e->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&want));
  TRect got;
  x.e->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(got, want);
  // Characters are placed from the rectangle's left edge.
  LRESULT p0 = x.e->Perform(EM_POSFROMCHAR, 0, 0);
  EXPECT_EQ(LoWord(p0), 0);
  want = {20, 0, 100, 15};
  x.e->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&want));
  EXPECT_EQ(LoWord(x.e->Perform(EM_POSFROMCHAR, 0, 0)), 20);
  EXPECT_EQ(LoWord(x.e->Perform(EM_CHARFROMPOS, 0, MakeLong(21, 5))), 0);

  x.e->Perform(EM_SETMODIFY, 1, 0);
  EXPECT_EQ(x.e->Perform(EM_GETMODIFY, 0, 0), 1);
  x.e->Perform(EM_SETMODIFY, 0, 0);
  EXPECT_FALSE(x.e->Modified());
  char buf[32] = {};
  EXPECT_EQ(x.e->Perform(WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)), 10);
  EXPECT_STREQ(buf, "0123456789");
}

TEST(Edit, RefusedInputBeepsAndLimits) {
  EditFixture x;
  x.e->Perform(EM_LIMITTEXT, 4, 0);
  x.d.Type("abcdef");
  EXPECT_EQ(x.e->Text(), "abcd");
  int beeps = keyboard::BeepCount();
  x.d.Type("g");
  EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
  // A paste is cut to the room left.
  x.e->SetMaxLength(6);
  Clipboard()->SetAsText("XYZ");
  x.e->PasteFromClipboard();
  EXPECT_EQ(x.e->Text(), "abcdXY");
  x.e->SetReadOnly(true);
  beeps = keyboard::BeepCount();
  x.d.Type("q");
  x.d.PressKey(VK_BACK);
  EXPECT_EQ(x.e->Text(), "abcdXY");
  EXPECT_EQ(keyboard::BeepCount(), beeps + 2);
  x.e->SetSelText("zz");  // the program may still change it
  x.e->SetReadOnly(false);
  x.e->SetCharCase(ecUpperCase);
  EXPECT_EQ(x.e->Text(), x.e->Text());
  x.e->SetMaxLength(0);
  x.e->SetText("");
  x.d.Type(CP1252("straße").str());
  EXPECT_EQ(x.e->Text(), CP1252("STRAßE").str());  // ß has no capital in the code page
}

TEST(Edit, MouseSelectionAndAutoScroll) {
  EditFixture x;
  x.e->SetText("Ein langer Text, der nicht in das Feld passt, weil er viel zu lang ist");
  x.d.Click(x.e, 3, 8);
  EXPECT_EQ(x.e->SelLength(), 0);
  x.d.DoubleClick(x.e, 6, 8);
  EXPECT_EQ(x.e->SelText(), "Ein ");
  // Dragging past the right edge scrolls the text: the caret column stays visible.
  x.d.Drag(x.e, {2, 8}, {300, 8});
  EXPECT_EQ(x.e->SelStart(), 0);
  EXPECT_EQ(x.e->SelLength(), static_cast<int>(x.e->Text().size()));
  LRESULT endPos = x.e->Perform(EM_POSFROMCHAR, x.e->Text().size(), 0);
  EXPECT_LT(LoWord(endPos), x.e->ClientWidth());
  EXPECT_GE(LoWord(endPos), 0);
  x.d.PressKey(VK_HOME);
  EXPECT_EQ(LoWord(x.e->Perform(EM_POSFROMCHAR, 0, 0)), x.e->FormatRect().Left);
  // A text as wide as the formatting rectangle is not scrolled, not even
  // with the caret behind it.
  x.e->SetText("01.01.2027");
  x.e->SetWidth(TCustomEdit::WidthForText(*x.e->Font(), x.e->Text()) - 1);
  x.d.PressKey(VK_END);
  EXPECT_EQ(LoWord(x.e->Perform(EM_POSFROMCHAR, 0, 0)), x.e->FormatRect().Left);
  // Tabbing in selects all.
  auto* other = new TEdit(x.f);
  other->SetParent(x.f);
  other->SetTop(50);
  other->SetText("abc");
  x.d.PressKey(VK_TAB);
  EXPECT_EQ(other->SelLength(), 3);
}

TEST(Memo, LinesWrapAndKeys) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* m = new TMemo(f);
  m->SetParent(f);
  m->SetBounds(10, 10, 120, 80);
  f->Show();
  m->SetFocus();
  d.Type("erste");
  d.PressKey(VK_RETURN);
  d.Type("zweite");
  EXPECT_EQ(m->Text(), "erste\r\nzweite");
  ASSERT_EQ(m->Lines()->Count(), 2);
  EXPECT_EQ(m->Lines()->Strings(1), "zweite");
  d.PressKey(VK_UP);
  d.PressKey(VK_HOME);
  d.PressKey(VK_DOWN, ssShift);
  EXPECT_EQ(m->SelText(), "erste\r\n");
  m->Lines()->Add("dritte");
  EXPECT_EQ(m->Text(), "erste\r\nzweite\r\ndritte\r\n");
  m->Lines()->SetText("a\nb");
  EXPECT_EQ(m->Text(), "a\r\nb");  // line breaks made CR LF, none added
  // Word wrap breaks at blanks inside the width; the hard lines stay two.
  m->SetText("aaaa bbbb cccc dddd eeee ffff gggg hhhh\r\nx");
  EXPECT_GT(m->Perform(EM_GETLINECOUNT, 0, 0), 2);
  EXPECT_EQ(m->Lines()->Count(), 2);
  m->SetWordWrap(false);
  EXPECT_EQ(m->Perform(EM_GETLINECOUNT, 0, 0), 2);
  // Backspace over a line break removes both characters.
  m->SetText("a\r\nb");
  m->Perform(EM_SETSEL, 3, 3);
  d.PressKey(VK_BACK);
  EXPECT_EQ(m->Text(), "ab");
  // A paste keeps every line as it came, the first one's tab and the last line break too.
  m->SetText("");
  Clipboard()->SetAsText(CP1252("\tEins eingerückt\n\tZwei eingerückt\n").str());
  m->PasteFromClipboard();
  EXPECT_EQ(m->Text(), CP1252("\tEins eingerückt\r\n\tZwei eingerückt\r\n").str());
  // and shows its indent: a tab reaches the next stop, eight average character widths on.
  TPoint before, after;
  m->Perform(EM_SETSEL, 0, 0);
  ASSERT_TRUE(GetCaretPos(before));
  m->Perform(EM_SETSEL, 1, 1);
  ASSERT_TRUE(GetCaretPos(after));
  TTextMetric tm;
  ASSERT_TRUE(m->Canvas()->GetTextMetrics(tm));
  EXPECT_EQ(after.X - before.X, 8 * tm.tmAveCharWidth);
  m->SetText("ab");
  // Enter without WantReturns goes to the form (no line break).
  m->SetWantReturns(false);
  d.PressKey(VK_RETURN);
  EXPECT_EQ(m->Text(), "ab");
}

TEST(Memo, ScrollsToTheCaret) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* m = new TMemo(f);
  m->SetParent(f);
  m->SetBounds(10, 10, 150, 60);
  m->SetScrollBars(ssVertical);
  f->Show();
  m->SetFocus();
  for (int i = 0; i < 12; ++i) {
    d.Type("Zeile " + std::to_string(i));
    d.PressKey(VK_RETURN);
  }
  int first = static_cast<int>(m->Perform(EM_GETFIRSTVISIBLELINE, 0, 0));
  EXPECT_GT(first, 5);
  TScrollInfo si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(m->GetScrollInfo(SB_VERT, si));
  EXPECT_EQ(si.nPos, first);
  m->Perform(WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(m->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // Without word wrap a long line scrolls sideways.
  m->SetWordWrap(false);
  m->SetScrollBars(ssBoth);
  m->SetText(AnsiString(200, 'w') + "\r\nkurz");
  int x0 = LoWord(m->Perform(EM_POSFROMCHAR, 0, 0));
  m->Perform(WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_LT(LoWord(m->Perform(EM_POSFROMCHAR, 0, 0)), x0 - 100);
  TScrollInfo hi;
  hi.fMask = SIF_ALL;
  ASSERT_TRUE(m->GetScrollInfo(SB_HORZ, hi));
  EXPECT_GT(hi.nPos, 0);
  m->Perform(WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(LoWord(m->Perform(EM_POSFROMCHAR, 0, 0)), x0);
  d.SavePng(f, "memo");
}

// An edit whose class asks for a multi-line window in its creation
// parameters wraps like a memo, as the grid's in-place editors do.
class TWrapEdit : public TEdit {
 public:
  explicit TWrapEdit(TComponent* owner) : TEdit(owner) {}

 protected:
  void CreateParams(TCreateParams& p) override {
    TEdit::CreateParams(p);
    p.Style = (p.Style | ES_MULTILINE) & ~(ES_AUTOHSCROLL | ES_WANTRETURN);
  }
};

TEST(Edit, StyleFromCreationParametersAndAlignment) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* w = new TWrapEdit(f);
  w->SetParent(f);
  w->SetBounds(10, 10, 80, 60);
  auto* r = new TEdit(f);
  r->SetParent(f);
  r->SetBounds(10, 80, 120, 21);
  r->SetAlignment(taRightJustify);
  f->Show();
  w->SetText("eins zwei drei vier fuenf sechs");
  EXPECT_GT(w->Perform(EM_GETLINECOUNT, 0, 0), 1);
  w->SetFocus();
  d.PressKey(VK_RETURN);  // no want-return style: no line break
  EXPECT_EQ(w->Text().find('\r'), std::string::npos);
  r->SetText("rechts");
  int x0 = LoWord(r->Perform(EM_POSFROMCHAR, 0, 0));
  int xEnd = LoWord(r->Perform(EM_POSFROMCHAR, 6, 0));
  EXPECT_GT(x0, r->FormatRect().Left + 20);
  EXPECT_NEAR(xEnd, r->FormatRect().Right - 1, 2);
  EXPECT_NE(r->WindowStyle() & ES_RIGHT, 0u);
}

TEST(Edit, ReplaceSelAndLineMessages) {
  EditFixture x;
  x.e->SetText("Hallo Welt");
  x.e->Perform(EM_SETSEL, 6, 10);
  x.e->Perform(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("Rom"));
  EXPECT_EQ(x.e->Text(), "Hallo Rom");
  EXPECT_EQ(x.e->Perform(EM_CANUNDO, 0, 0), 1);
  x.e->Perform(EM_UNDO, 0, 0);
  EXPECT_EQ(x.e->Text(), "Hallo Welt");
  EXPECT_EQ(x.e->Perform(EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(x.e->Perform(EM_LINELENGTH, 0, 0), 10);
  x.e->Perform(EM_SETREADONLY, 1, 0);
  EXPECT_TRUE(x.e->ReadOnly());
  EXPECT_NE(x.e->WindowStyle() & ES_READONLY, 0u);
  int beeps = keyboard::BeepCount();
  x.d.PressKey(VK_DELETE);
  EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
  EXPECT_EQ(x.e->Text(), "Hallo Welt");
}

}  // namespace

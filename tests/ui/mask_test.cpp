// The mask edit with the time mask "90:00;1;_": blanks, literals kept in
// Text, the caret stepping over the literal, refused characters, and the
// check when an incomplete value is left.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/mask.h"
#include "tests/ui/ui_test_util.h"

namespace {

struct MaskFixture {
  TUiTestDriver d;
  TForm* f = MakeForm();
  TMaskEdit* m = nullptr;
  TEdit* other = nullptr;
  std::vector<std::string> errors;
  MaskFixture() {
    m = new TMaskEdit(f);
    m->SetParent(f);
    m->SetEditMask("90:00;1;_");
    other = new TEdit(f);
    other->SetParent(f);
    other->SetTop(40);
    Application->OnException = [this](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    f->Show();
    m->SetFocus();
  }
};

TEST(MaskEdit, ParsesAndFormats) {
  auto pm = maskdetail::ParseMask("90:00;1;_");
  ASSERT_EQ(pm.slots.size(), 5u);
  EXPECT_EQ(pm.slots[2].kind, maskdetail::skLiteral);
  EXPECT_TRUE(pm.saveLiterals);
  EXPECT_EQ(pm.blank, '_');
  auto p2 = maskdetail::ParseMask(">LL\\-00;0;*");
  ASSERT_EQ(p2.slots.size(), 5u);
  EXPECT_EQ(p2.slots[2].ch, '-');
  EXPECT_FALSE(p2.saveLiterals);
  EXPECT_EQ(p2.blank, '*');
  EXPECT_EQ(FormatMaskText("90:00;1;_", "12:30"), "12:30");
  EXPECT_EQ(FormatMaskText("90:00;1;_", " 9:3"), "_9:3_");
  EXPECT_EQ(FormatMaskText(">LL\\-00;0;*", "ab1"), "AB-1*");
}

TEST(MaskEdit, TypingStepsOverLiteralsAndRefusesWrongCharacters) {
  MaskFixture x;
  EXPECT_EQ(x.m->EditText(), "__:__");
  EXPECT_EQ(x.m->Text(), "  :  ");
  x.d.Type("12");
  EXPECT_EQ(x.m->SelStart(), 3);  // over the colon
  int beeps = keyboard::BeepCount();
  x.d.Type("x");
  EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
  x.d.Type("3");
  EXPECT_EQ(x.m->EditText(), "12:3_");
  x.d.Type("0");
  EXPECT_EQ(x.m->Text(), "12:30");
  x.d.Type("5");  // no room left
  EXPECT_EQ(keyboard::BeepCount(), beeps + 2);
  EXPECT_EQ(x.m->Text(), "12:30");
  // Backspace blanks the position before the caret, skipping the literal.
  x.m->SetSelStart(3);
  x.d.PressKey(VK_BACK);
  EXPECT_EQ(x.m->EditText(), "1_:30");
  x.m->Perform(EM_SETSEL, 0, 5);
  x.d.PressKey(VK_DELETE);
  EXPECT_EQ(x.m->EditText(), "__:__");
  // Program values are laid over the mask.
  x.m->SetText("08:15");
  EXPECT_EQ(x.m->EditText(), "08:15");
  x.m->SetEditText("7_:4_");
  EXPECT_EQ(x.m->Text(), "7 :4 ");
  // Pasted, the mask's own colon is taken as its own, a control character
  // as no key (Ctrl+V would paste again).
  beeps = keyboard::BeepCount();
  for (const char* pasted : {"12:30", "09\x16"}) {
    x.m->SetText("");
    x.m->SetSelStart(0);
    Clipboard()->SetAsText(pasted);
    x.m->Perform(WM_PASTE, 0, 0);
  }
  EXPECT_EQ(x.m->EditText(), "09:__");
  EXPECT_EQ(keyboard::BeepCount(), beeps);
}

TEST(MaskEdit, LeavingAnIncompleteValueIsRefused) {
  MaskFixture x;
  x.d.Type("1");  // the first position is optional ('9'), the rest are not
  x.d.PressKey(VK_TAB);
  ASSERT_EQ(x.errors.size(), 1u);
  EXPECT_EQ(x.errors[0], CP1252("Ungültige Eingabe. Mit Escape werden die Änderungen verworfen.").str());
  EXPECT_TRUE(x.m->Focused());
  // Escape restores the value from when the edit got the focus.
  x.d.PressKey(VK_ESCAPE);
  EXPECT_EQ(x.m->EditText(), "__:__");
  x.d.PressKey(VK_TAB);  // unmodified: no check
  EXPECT_TRUE(x.other->Focused());
  x.m->SetFocus();
  x.d.Type(" 7:45");
  EXPECT_EQ(x.m->Text(), " 7:45");
  x.d.PressKey(VK_TAB);
  EXPECT_EQ(x.errors.size(), 1u);
  EXPECT_TRUE(x.other->Focused());
}

TEST(MaskEdit, CaseConversionAndLiteralsLeftOut) {
  MaskFixture x;
  x.m->SetEditMask(">LL-<ll;0;*");  // literals not kept in Text
  EXPECT_EQ(x.m->EditText(), "**-**");
  x.m->SetFocus();
  x.m->SetSelStart(0);
  x.d.Type(CP1252("äbCD").str());
  EXPECT_EQ(x.m->EditText(), CP1252("ÄB-cd").str());
  EXPECT_EQ(x.m->Text(), CP1252("ÄBcd").str());
  int beeps = keyboard::BeepCount();
  x.m->SetSelStart(0);
  x.d.Type("1");  // a digit where a letter belongs
  EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
  // Optional positions may stay empty when leaving.
  x.m->SetText("AB");
  x.m->SetModified(true);
  x.d.PressKey(VK_TAB);
  EXPECT_TRUE(x.errors.empty());
  // Without a mask the edit is a plain edit again, its value kept.
  x.m->SetEditMask("");
  EXPECT_EQ(x.m->Text(), "AB  ");
  EXPECT_EQ(x.m->MaxLength(), 0);
}

}  // namespace

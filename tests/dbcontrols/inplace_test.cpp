// The grid's in-place editor typing under picture masks on a table of
// appointments: date masks with fixed and optional digits (literals filled
// in, refused characters beep and are dropped, the middle of a text is left
// to the editor), a mask that begins with literals, OnCheckValue, Enter as
// Tab, pasting and the edited date reaching the table.
#include <gtest/gtest.h>

#include "platform/ui/clipbrd.h"
#include "tests/dbcontrols/dbgrid_fixture.h"

namespace wwtest {

namespace {

class InplaceMask : public Appointments {
 protected:
  void SetUp() override {
    Appointments::SetUp();
    grid = MakeGrid({"TERM_NR\t4\tNr.", "TERM_DATUM\t12\tDatum", "TERM_TEXT\t20\tText"});
    grid->OnCheckValue = [this](TObject*, bool passes) { checks.push_back(passes); };
    form->Show();
    grid->SetFocus();
    driver.Process();
  }

  // Puts the grid on a data column of the current record and opens the
  // editor by typing `text` into the cell.
  void TypeInto(int dataCol, const AnsiString& text) {
    while (grid->GetSelectedIndex() < dataCol) driver.PressKey(VK_RIGHT);
    driver.Type(text);
    driver.Process();
  }

  TwwInplaceEdit* Editor() const { return dynamic_cast<TwwInplaceEdit*>(grid->InplaceEditor()); }

  TwwDBGrid* grid = nullptr;
  std::vector<bool> checks;
};

}  // namespace

TEST_F(InplaceMask, FixedDigitsFillTheirDotsAndRefuseWhatBreaksTheMask) {
  SetPictureMask("TERM_DATUM", "##.##.####");
  TypeInto(1, "12");
  ASSERT_NE(Editor(), nullptr);
  ASSERT_TRUE(Editor()->Visible());
  EXPECT_TRUE(Editor()->HasPictureMask());
  EXPECT_EQ(Editor()->Text(), "12.") << "the dot is filled in behind the day";
  EXPECT_EQ(Editor()->SelStart(), 3);
  driver.Type("0319");
  EXPECT_EQ(Editor()->Text(), "12.03.19");
  int beeps = Beeps();
  driver.Type(".");  // a dot where a digit belongs
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_EQ(Editor()->Text(), "12.03.19") << "the refused character is dropped";
  checks.clear();
  driver.Type("84");
  EXPECT_EQ(Editor()->Text(), "12.03.1984");
  ASSERT_FALSE(checks.empty());
  EXPECT_TRUE(checks.back()) << "a complete date passes";
  beeps = Beeps();
  driver.Type("5");
  EXPECT_EQ(Beeps(), beeps + 1) << "nothing fits behind a complete date";
  EXPECT_EQ(Editor()->Text(), "12.03.1984");
  for (const char* pasted : {"ab", "12031984", "12.03.1984"}) {  // pasted as if typed, the dots as the mask's
    Editor()->SelectAll();
    Clipboard()->SetAsText(pasted);
    Editor()->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(Editor()->Text(), "12.03.1984") << pasted;
  }

  // Leaving the column writes the date; leaving the row posts it.
  driver.PressKey(VK_TAB);
  driver.PressKey(VK_DOWN);
  driver.Process();
  table->First();
  EXPECT_EQ(DateToStr(table->FieldByName("TERM_DATUM")->AsDateTime()), "12.03.1984");
}

TEST_F(InplaceMask, OptionalDigitsTakeShortDaysAndMonths) {
  SetPictureMask("TERM_DATUM", "#[#].#[#].####");
  TypeInto(1, "1.3.");
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->Text(), "1.3.");
  int beeps = Beeps();
  driver.Type(".");
  EXPECT_EQ(Beeps(), beeps + 1) << "a second dot in a row breaks the mask";
  EXPECT_EQ(Editor()->Text(), "1.3.");
  driver.Type("1999");
  EXPECT_EQ(Editor()->Text(), "1.3.1999");
  EXPECT_TRUE(Editor()->IsValidPictureText(Editor()->Text()));
  EXPECT_FALSE(Editor()->IsValidPictureText("1.3.19"));
  EXPECT_TRUE(Editor()->IsValidPictureText("")) << "an empty text always passes";

  // An incomplete date keeps the grid in its column.
  driver.PressKey(VK_BACK);
  driver.PressKey(VK_BACK);
  EXPECT_EQ(Editor()->Text(), "1.3.19");
  EXPECT_FALSE(checks.empty() || checks.back()) << "Backspace reports the text it leaves";
  beeps = Beeps();
  driver.PressKey(VK_TAB);
  driver.Process();
  EXPECT_EQ(grid->GetSelectedIndex(), 1) << "the incomplete date is not left";
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_EQ(driver.MessageBoxes().size(), 1u);
  driver.PressKey(VK_ESCAPE);
  driver.PressKey(VK_ESCAPE);
}

TEST_F(InplaceMask, TextFieldsBeepAtTheEndAndLeaveTheMiddleToTheEditor) {
  SetPictureMask("TERM_TEXT", "##.##.####");
  TypeInto(2, "a");
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->Text(), "Termin 1") << "the letter that would start the text is dropped";
  driver.Type("1203");
  EXPECT_EQ(Editor()->Text(), "12.03.");
  const int beeps = Beeps();
  driver.Type("x");
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_EQ(Editor()->Text(), "12.03.");
  // In the middle of the text the editor takes what is typed.
  driver.PressKey(VK_HOME);
  driver.PressKey(VK_RIGHT);
  driver.Type("x");
  EXPECT_EQ(Editor()->Text(), "1x2.03.");
  EXPECT_EQ(Beeps(), beeps + 1);
  ASSERT_FALSE(checks.empty());
  EXPECT_FALSE(checks.back()) << "OnCheckValue hears that the text breaks the mask";
  driver.PressKey(VK_DELETE);
  EXPECT_EQ(Editor()->Text(), "1x.03.");
  driver.PressKey(VK_ESCAPE);
  driver.PressKey(VK_ESCAPE);
}

TEST_F(InplaceMask, LeadingLiteralsComeWithTheFirstCharacter) {
  SetPictureMask("TERM_TEXT", "Nr. ###");
  // The cell is emptied first, so the editor opens on an empty text.
  table->Edit();
  table->FieldByName("TERM_TEXT")->SetAsString("");
  table->Post();
  TypeInto(2, "4");
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->Text(), "Nr. 4");
  driver.Type("2");
  EXPECT_EQ(Editor()->Text(), "Nr. 42");
  driver.PressKey(VK_ESCAPE);
  driver.PressKey(VK_ESCAPE);
}

TEST_F(InplaceMask, EnterTabsAndPastesOnlyWhereTheGridEdits) {
  grid->SetKeyOptions(grid->KeyOptions() | dgEnterToTab);
  driver.PressKey(VK_RIGHT);
  driver.PressKey(VK_F2);
  ASSERT_NE(Editor(), nullptr);
  ASSERT_TRUE(Editor()->Focused());
  driver.PressKey(VK_RETURN);
  driver.Process();
  EXPECT_EQ(grid->GetSelectedIndex(), 2) << "Enter moves on like Tab";

  // Pasting puts the clipboard's text in as the cell's pending edit.
  Clipboard()->SetAsText("Besprechung");
  driver.PressKey(VK_F2);
  ASSERT_TRUE(Editor()->Visible());
  Editor()->SelectAll();
  Editor()->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Editor()->Text(), "Besprechung");
  driver.PressKey(VK_DOWN);
  driver.Process();
  table->First();
  EXPECT_EQ(table->FieldByName("TERM_TEXT")->AsString(), "Besprechung");
  // A date cell takes the desktop's ISO date as its own, blanks around gone.
  SetPictureMask("TERM_DATUM", "#[#].#[#].####");
  grid->SetSelectedIndex(1);
  driver.PressKey(VK_F2);
  Clipboard()->SetAsText("\t2001-08-07 \r\n");
  Editor()->SelectAll();
  Editor()->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Editor()->Text(), "07.08.2001");
  driver.PressKey(VK_ESCAPE);
  driver.PressKey(VK_ESCAPE);

  // A read-only grid takes no paste.
  grid->SetReadOnly(true);
  driver.PressKey(VK_F2);
  ASSERT_TRUE(Editor()->Visible());
  const AnsiString before = Editor()->Text();
  Editor()->SelectAll();
  Editor()->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Editor()->Text(), before);
  EXPECT_EQ(table->State(), dsBrowse);
}

}  // namespace wwtest

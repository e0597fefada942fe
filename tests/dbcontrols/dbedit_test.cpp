// The data-aware edit on the table of appointments: typing a date under
// the mask "#[#].#[#].####" (refused characters beep, literals are filled,
// the mask lives in the dataset's PictureMasks), the exit rule for a text
// that breaks the mask, writing the field, Escape, Enter, read-only fields,
// date completion on Space, and a picture of the edit in the middle of
// typing a date.
#include <gtest/gtest.h>

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/edit/wwdbedit.h"
#include "tests/dbcontrols/dbgrid_fixture.h"

namespace wwtest {

namespace {

class DBEdit : public Appointments {
 protected:
  void SetUp() override {
    Appointments::SetUp();
    edit = new TwwDBEdit(form);
    edit->SetParent(form);
    edit->SetBounds(16, 16, 120, 23);
    edit->SetDataSource(source.get());
    edit->SetDataField("TERM_DATUM");
    edit->OnCheckValue = [this](TObject*, bool passes) { checks.push_back(passes); };
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(16, 60, 120, 23);
    form->Show();
    edit->SetFocus();
    driver.Process();
  }

  // Replaces the whole text by typing.
  void Retype(const AnsiString& text) {
    edit->SelectAll();
    driver.Type(text);
    driver.Process();
  }

  TwwDBEdit* edit = nullptr;
  TEdit* other = nullptr;
  std::vector<bool> checks;
};

}  // namespace

TEST_F(DBEdit, TypesADateUnderItsMaskAndWritesItOnExit) {
  edit->Picture()->SetPictureMask("#[#].#[#].####");
  EXPECT_TRUE(edit->UsesTableMask());
  bool allowExit = true, autoFill = false;
  AnsiString mask;
  wwGetFieldPictureMask(table.get(), "TERM_DATUM", false, allowExit, autoFill, mask);
  EXPECT_EQ(mask, "#[#].#[#].####") << "the mask is the dataset's entry";
  EXPECT_TRUE(autoFill);

  ASSERT_TRUE(edit->Focused());
  EXPECT_EQ(edit->Text(), "01.02.1990") << "the field's text while focused";
  Retype("0708");
  EXPECT_EQ(edit->Text(), "07.08.") << "the dots after two digits come by themselves";
  int beeps = Beeps();
  driver.Type("x");
  EXPECT_EQ(Beeps(), beeps + 1);
  driver.Type(".");
  EXPECT_EQ(Beeps(), beeps + 2);
  EXPECT_EQ(edit->Text(), "07.08.") << "refused characters leave the text as it was";
  driver.Type("2001");
  EXPECT_EQ(edit->Text(), "07.08.2001");
  ASSERT_FALSE(checks.empty());
  EXPECT_TRUE(checks.back());
  EXPECT_EQ(table->State(), dsEdit) << "typing put the record into edit state";

  other->SetFocus();
  driver.Process();
  EXPECT_TRUE(other->Focused());
  table->Post();
  EXPECT_EQ(DateToStr(table->FieldByName("TERM_DATUM")->AsDateTime()), "07.08.2001");
  EXPECT_EQ(edit->Text(), "07.08.2001") << "the display text after leaving";
}

TEST_F(DBEdit, AnIncompleteDateKeepsTheFocusUnlessAllowed) {
  edit->Picture()->SetPictureMask("#[#].#[#].####");
  Retype("12.1");
  EXPECT_EQ(edit->Text(), "12.1");
  const int beeps = Beeps();
  other->SetFocus();
  driver.Process();
  EXPECT_TRUE(edit->Focused()) << "the edit keeps the focus";
  EXPECT_TRUE(edit->ExitRefused());
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_EQ(edit->SelLength(), static_cast<int>(edit->Text().size())) << "the text is selected for retyping";
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(DateToStr(table->FieldByName("TERM_DATUM")->AsDateTime()), "01.02.1990") << "nothing written";

  // Escape gives back the field's value; then the focus may go.
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(edit->Text(), "01.02.1990");
  other->SetFocus();
  driver.Process();
  EXPECT_TRUE(other->Focused());

  // With AllowInvalidExit the same text is let go (and written as far as
  // the field takes it: day 12 of January this year).
  edit->Picture()->SetAllowInvalidExit(true);
  edit->SetFocus();
  Retype("12.1");
  other->SetFocus();
  driver.Process();
  EXPECT_TRUE(other->Focused());
  EXPECT_FALSE(edit->ExitRefused());
  int y = 0, m = 0, d = 0;
  DecodeDate(table->FieldByName("TERM_DATUM")->AsDateTime(), y, m, d);
  EXPECT_EQ(m * 100 + d, 112);
  table->Cancel();
}

TEST_F(DBEdit, EmptyTextsPassAndEnterNeverReachesTheText) {
  edit->Picture()->SetPictureMask("##.##.####");
  EXPECT_TRUE(edit->IsValidPictureText(""));
  EXPECT_FALSE(edit->IsValidPictureText("01.02"));
  edit->SetWordWrap(true);  // several lines, where Enter could break one
  edit->SetFocus();
  driver.Process();
  const AnsiString before = edit->Text();
  edit->SetSelStart(2);
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(edit->Text(), before);
  EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(DBEdit, ReadOnlyFieldsAndDatasetsTakeNothing) {
  table->FieldByName("TERM_DATUM")->SetReadOnly(true);
  const AnsiString before = edit->Text();
  const int beeps = Beeps();
  Retype("3");
  EXPECT_EQ(edit->Text(), before);
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_EQ(table->State(), dsBrowse);
  table->FieldByName("TERM_DATUM")->SetReadOnly(false);
  edit->SetReadOnly(true);
  Retype("3");
  EXPECT_EQ(edit->Text(), before);
  EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(DBEdit, SpaceCompletesADateFromToday) {
  auto* free = new TwwDBEdit(form);
  free->SetParent(form);
  free->SetBounds(16, 100, 120, 23);
  EXPECT_FALSE(free->IsDateField());
  free->SetUnboundDataType(wwEdtDate);
  EXPECT_TRUE(free->IsDateField());
  EXPECT_FALSE(free->IsTimeField());
  free->SetFocus();
  driver.Process();
  driver.Type("5 ");
  int y = 0, m = 0, d = 0;
  DecodeDate(Date(), y, m, d);
  const AnsiString month = (m < 10 ? "0" : "") + IntToStr(m);
  EXPECT_EQ(free->Text(), "05." + month + "." + IntToStr(y));
  free->SetText("");
  driver.Type("5.11 ");
  EXPECT_EQ(free->Text(), "05.11." + IntToStr(y));

  // A bound date field completes too and goes into edit state for it.
  edit->SetFocus();
  Retype("");
  driver.PressKey(VK_BACK);
  driver.Type("24.12 ");
  EXPECT_EQ(edit->Text(), "24.12." + IntToStr(y));
  EXPECT_EQ(table->State(), dsEdit);
  table->Cancel();
}

TEST_F(DBEdit, ScreenOfADateHalfTyped) {
  edit->Picture()->SetPictureMask("#[#].#[#].####");
  form->SetClientSize(300, 96);
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetBounds(150, 20, 200, 16);
  label->SetCaption("Datum (TT.MM.JJJJ)");
  Retype("24.12.19");
  driver.Process();
  const std::string png = driver.SavePng(form, "dbedit_date_mask_typing");
  EXPECT_FALSE(png.empty());
  // The typed digits are dark on the window colour inside the edit.
  int dark = 0;
  for (int x = 2; x < edit->ClientWidth() - 2; ++x)
    for (int yy = 2; yy < edit->ClientHeight() - 2; ++yy) dark += ColorToRGB(driver.PixelAt(edit, x, yy)) == 0;
  EXPECT_GT(dark, 20);
  EXPECT_EQ(edit->Text(), "24.12.19");
  table->Cancel();
}

}  // namespace wwtest

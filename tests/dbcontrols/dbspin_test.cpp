// The data-aware spin edit on a table of one record with a number of days
// (as the warning days of an entry: 1 to 21), a small and a large integer,
// an amount, a date, a time and a point in time: reading the text by the
// field's kind (long digit strings end at the field's range), clamping,
// stepping numbers at their bounds, dates across month ends, year ends and
// leap days, times across midnight, the keys and characters it takes, a
// held arrow on the virtual clock, and a picture of the edits.
#include <gtest/gtest.h>

#include <cfloat>

#include "dbcontrols/edit/wwdbspin.h"
#include "dbengine/fieldtypes.h"
#include "platform/ui/keyboard.h"
#include "tests/dbcontrols/sample_fixture.h"

namespace wwtest {

namespace {

class TTestSpinEdit : public TwwDBSpinEdit {
 public:
  using TwwDBSpinEdit::Loaded;
  using TwwDBSpinEdit::TwwDBSpinEdit;
};

class SpinEdit : public SampleData {
 protected:
  void SetUp() override {
    Build("SPINWERT",
          {{"W_TAGE", fftInt32, 0},
           {"W_KLEIN", fftInt16, 0},
           {"W_BETRAG", fftDouble, 0},
           {"W_DATUM", fftDate, 0},
           {"W_ZEIT", fftTime, 0},
           {"W_PUNKT", fftDateTime, 0}},
          {});
    table = Open("SPINWERT.FFD", "", "WWSCRATCH");
    table->Append();
    table->FieldByName("W_TAGE")->SetAsInteger(21);
    table->FieldByName("W_KLEIN")->SetAsInteger(5);
    table->FieldByName("W_BETRAG")->SetAsFloat(2.5);
    table->FieldByName("W_DATUM")->SetAsDateTime(EncodeDate(1999, 1, 31));
    table->FieldByName("W_ZEIT")->SetAsDateTime(EncodeTime(23, 59, 30, 0));
    table->FieldByName("W_PUNKT")->SetAsDateTime(EncodeDate(1999, 12, 31) + EncodeTime(23, 30, 0, 0));
    table->Post();
    table->First();
    source = std::make_unique<TwwDataSource>(nullptr);
    source->SetDataSet(table.get());
    form = new TForm(Application);
    form->SetClientSize(300, 200);
    spin = Make("W_TAGE", 8);
    spin->SetMinValue(1);
    spin->SetMaxValue(21);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(160, 8, 120, 23);
    form->Show();
    spin->SetFocus();
    driver.Process();
  }
  void TearDown() override {
    if (form) form->Free();
    source.reset();
    table.reset();
  }

  TTestSpinEdit* Make(const char* field, int top) {
    auto* e = new TTestSpinEdit(form);
    e->SetParent(form);
    e->SetBounds(8, top, 140, 23);
    if (*field) {
      e->SetDataSource(source.get());
      e->SetDataField(field);
    }
    return e;
  }
  void Retype(TwwDBSpinEdit* e, const AnsiString& text) {
    if (!e->Focused()) e->SetFocus();
    e->SelectAll();
    driver.Type(text);
  }
  void Leave() {
    other->SetFocus();
    driver.Process();
  }
  // Puts the caret into the edit's text at `pos` and presses a key.
  void PressAt(TwwDBSpinEdit* e, int pos, int vk) {
    if (!e->Focused()) e->SetFocus();
    e->SetSelStart(pos);
    e->SetSelLength(0);
    driver.PressKey(vk);
  }
  static int Beeps() { return keyboard::BeepCount(); }

  std::unique_ptr<TwwTable> table;
  std::unique_ptr<TwwDataSource> source;
  TForm* form = nullptr;
  TTestSpinEdit* spin = nullptr;
  TEdit* other = nullptr;
};

}  // namespace

TEST_F(SpinEdit, DaysStayWithinTheirBoundsAndATypedNumberIsClampedOnLeaving) {
  EXPECT_EQ(spin->Text(), "21");
  EXPECT_EQ(spin->Value(), 21);
  driver.PressKey(VK_UP);
  EXPECT_EQ(spin->Text(), "21") << "up on the upper bound stays there";
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(spin->Text(), "19");
  EXPECT_EQ(table->State(), dsEdit) << "a step puts the record into edit state";
  EXPECT_TRUE(spin->Modified());
  Retype(spin, "30");
  EXPECT_EQ(spin->Text(), "30") << "a typed number stays while the edit has the focus";
  Leave();
  EXPECT_EQ(spin->Text(), "21") << "and is clamped when the edit is left";
  table->Post();
  EXPECT_EQ(table->FieldByName("W_TAGE")->AsInteger(), 21);

  spin->SetFocus();
  Retype(spin, "1");
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(spin->Text(), "1") << "down on the lower bound stays there";
  Retype(spin, "");
  EXPECT_EQ(spin->Value(), 1) << "an empty text reads as the lower bound";

  // Without bounds nothing is clamped; equal bounds other than 0 clamp to
  // that one value.
  spin->SetMinValue(0);
  spin->SetMaxValue(0);
  Retype(spin, "0");
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(spin->Text(), "-1");
  spin->SetValue(5000);
  EXPECT_EQ(spin->Text(), "5000");
  spin->SetMinValue(7);
  spin->SetMaxValue(7);
  spin->SetValue(5000);
  EXPECT_EQ(spin->Text(), "7");
  spin->SetIncrement(5);
  spin->SetMinValue(0);
  spin->SetMaxValue(100);
  driver.PressKey(VK_UP);
  EXPECT_EQ(spin->Text(), "12");
}

TEST_F(SpinEdit, ALongDigitStringReadsAsTheEndOfTheFieldsRangeInsteadOfOverflowing) {
  const AnsiString huge(40, '9');
  Retype(spin, huge);
  EXPECT_EQ(spin->Text(), huge);
  EXPECT_EQ(spin->Value(), 2147483647.0) << "the largest number the field holds";
  Leave();
  EXPECT_EQ(spin->Text(), "21");

  TTestSpinEdit* small = Make("W_KLEIN", 40);
  Retype(small, huge);
  EXPECT_EQ(small->Value(), 32767.0);
  Retype(small, "-" + huge);
  EXPECT_EQ(small->Value(), -32768.0);
  driver.PressKey(VK_UP);
  EXPECT_EQ(small->Text(), "-32767") << "stepping goes on from the end of the range";
  Retype(small, "Tag " + huge);
  EXPECT_EQ(small->Value(), 32767.0) << "the number inside a text too";
  small->SetValue(1e12);
  EXPECT_EQ(small->Text(), "32767") << "a value the field cannot hold is written as the nearest one it can";

  TTestSpinEdit* amount = Make("W_BETRAG", 72);
  const AnsiString longer(400, '9');
  Retype(amount, longer);
  EXPECT_EQ(amount->Value(), DBL_MAX);
  Retype(amount, "-" + longer + ",5");
  EXPECT_EQ(amount->Value(), -DBL_MAX);
  amount->SetMaxValue(1000);
  Retype(amount, longer);
  Leave();
  EXPECT_EQ(amount->Text(), "1000");

  TTestSpinEdit* unbound = Make("", 104);
  Retype(unbound, longer);
  EXPECT_EQ(unbound->Value(), DBL_MAX);
}

TEST_F(SpinEdit, AmountsReadGroupedDigitsAndTheNumberInsideAText) {
  TTestSpinEdit* amount = Make("W_BETRAG", 40);
  amount->SetMinValue(-1);
  amount->SetMaxValue(5000);
  amount->SetIncrement(0.5);
  amount->SetFocus();
  EXPECT_EQ(amount->Value(), 2.5);
  driver.PressKey(VK_UP);
  EXPECT_EQ(amount->Text(), "3");
  driver.PressKey(VK_UP);
  EXPECT_EQ(amount->Text(), CP1252("3,5").str());
  amount->SetText("1.234,5");
  EXPECT_EQ(amount->Value(), 1234.5);
  amount->SetText("EUR 1.234,5 netto");
  EXPECT_EQ(amount->Value(), 1234.5) << "the first run of digits and separators";
  amount->SetText("Betrag");
  EXPECT_EQ(amount->Value(), -1) << "a text without a number reads as the lower bound";
  amount->SetText("");
  EXPECT_EQ(amount->Value(), -1);
  TTestSpinEdit* days = Make("W_KLEIN", 72);
  days->SetText("ca. 12,5");
  EXPECT_EQ(days->Value(), 0) << "a run that is no integer reads as the lower bound";
  days->SetText("noch 12 Tage");
  EXPECT_EQ(days->Value(), 12);
}

TEST_F(SpinEdit, DatesStepThePartUnderTheCaretAcrossMonthEndsYearEndsAndLeapDays) {
  TTestSpinEdit* date = Make("W_DATUM", 40);
  date->SetFocus();
  driver.Process();
  ASSERT_EQ(date->Text(), "31.01.1999");
  struct Step {
    const char* from;
    int caret;  // 0 day, 3 month, 6 year
    int key;
    const char* to;
  } steps[] = {
      {"31.01.1999", 3, VK_UP, "28.02.1999"},    // no 31 February
      {"31.03.1999", 3, VK_UP, "30.04.1999"},
      {"31.12.1999", 3, VK_UP, "31.01.1999"},    // December to January, same year
      {"15.01.2000", 3, VK_DOWN, "15.12.2000"},
      {"31.12.1999", 0, VK_UP, "01.12.1999"},    // the day wraps inside its month
      {"01.03.2000", 0, VK_DOWN, "31.03.2000"},
      {"28.02.2000", 0, VK_UP, "29.02.2000"},    // leap day
      {"29.02.2000", 0, VK_UP, "01.02.2000"},
      {"28.02.1999", 0, VK_UP, "01.02.1999"},
      {"01.02.1900", 0, VK_DOWN, "28.02.1900"},  // 1900 is no leap year
      {"29.02.2000", 6, VK_UP, "28.02.2001"},
      {"29.02.2000", 6, VK_DOWN, "28.02.1999"},
      {"31.12.1999", 6, VK_UP, "31.12.2000"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.from) + " at " + std::to_string(s.caret));
    date->SetText(s.from);
    PressAt(date, s.caret, s.key);
    EXPECT_EQ(date->Text(), s.to);
    const int length = s.caret == 6 ? 4 : 2;
    EXPECT_EQ(date->SelStart(), s.caret) << "the part is selected again";
    EXPECT_EQ(date->SelLength(), length);
  }
  Leave();
  table->Post();
  EXPECT_EQ(DateToStr(table->FieldByName("W_DATUM")->AsDateTime()), "31.12.2000");
}

TEST_F(SpinEdit, TimesStepAcrossMidnightAndAPointInTimeKeepsItsDay) {
  TTestSpinEdit* time = Make("W_ZEIT", 40);
  time->SetFocus();
  driver.Process();
  ASSERT_EQ(time->Text(), "23:59:30");
  PressAt(time, 0, VK_UP);
  EXPECT_EQ(time->Text(), "00:59:30");
  PressAt(time, 3, VK_UP);
  EXPECT_EQ(time->Text(), "00:00:30") << "minutes wrap without carrying into the hour";
  PressAt(time, 6, VK_DOWN);
  EXPECT_EQ(time->Text(), "00:00:29");
  time->SetText("00:10:00");
  PressAt(time, 0, VK_DOWN);
  EXPECT_EQ(time->Text(), "23:10:00");
  time->SetText("00:00:00");
  PressAt(time, 6, VK_DOWN);
  EXPECT_EQ(time->Text(), "00:00:59");

  TTestSpinEdit* point = Make("W_PUNKT", 72);
  point->SetFocus();
  driver.Process();
  ASSERT_EQ(point->Text(), "31.12.1999 23:30:00");
  PressAt(point, 11, VK_UP);
  EXPECT_EQ(point->Text(), "31.12.1999 00:30:00") << "the hour wraps on the same day";
  PressAt(point, 0, VK_UP);
  EXPECT_EQ(point->Text(), "01.12.1999 00:30:00");
  PressAt(point, 6, VK_UP);
  EXPECT_EQ(point->Text(), "01.12.2000 00:30:00") << "the time stays with a date step";
}

TEST_F(SpinEdit, UnboundDatesAndTimesTakeAnyCharacterNumbersOnlyNumberCharacters) {
  int beeps = Beeps();
  driver.Type("x");
  EXPECT_EQ(Beeps(), beeps + 1) << "a letter in a number is refused";
  EXPECT_EQ(spin->Text(), "21");
  Retype(spin, "-5");
  EXPECT_EQ(spin->Text(), "-5");

  TTestSpinEdit* date = Make("", 40);
  date->SetUnboundDataType(wwEdtDate);
  EXPECT_EQ(date->Text(), "0");
  date->Loaded();
  EXPECT_EQ(date->Text(), "") << "an unbound date starts empty";
  beeps = Beeps();
  Retype(date, "1.Mai");
  EXPECT_EQ(Beeps(), beeps);
  EXPECT_EQ(date->Text(), "1.Mai");
  date->SetText("29.02.2004");
  PressAt(date, 7, VK_UP);
  EXPECT_EQ(date->Text(), "28.02.2005");

  TTestSpinEdit* stamp = Make("", 72);
  stamp->SetUnboundDataType(wwEdtDateTime);
  stamp->SetText("24.12.2001");
  PressAt(stamp, 0, VK_UP);
  EXPECT_EQ(stamp->Text(), "25.12.2001 00:00:00") << "a whole day written with the time of midnight";
}

TEST_F(SpinEdit, AReadOnlyEditBeepsAndWithTheEditorOffOnlyTheArrowsChangeTheText) {
  spin->SetReadOnly(true);
  int beeps = Beeps();
  driver.PressKey(VK_DOWN);
  driver.MouseDown(spin->SpinButton()->DownButton(), 5, 4);
  driver.MouseUp(spin->SpinButton()->DownButton(), 5, 4);
  EXPECT_EQ(Beeps(), beeps + 2);
  EXPECT_EQ(spin->Text(), "21");
  EXPECT_EQ(table->State(), dsBrowse);
  spin->SetReadOnly(false);

  spin->SetEditorEnabled(false);
  beeps = Beeps();
  driver.Type("3");
  driver.PressKey(VK_BACK);
  driver.PressKey(VK_DELETE);
  EXPECT_EQ(Beeps(), beeps + 3);
  EXPECT_EQ(spin->Text(), "21");
  spin->Perform(WM_CUT, 0, 0);
  EXPECT_EQ(spin->Text(), "21") << "nothing is cut";
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(spin->Text(), "20") << "the arrows still step";
}

TEST_F(SpinEdit, AHeldArrowStepsOnceAtThePressThenEvery100msAfterTheFirst400) {
  Retype(spin, "1");
  TwwTimerSpeedButton* up = spin->SpinButton()->UpButton();
  driver.MouseDown(up, 5, 4);
  EXPECT_EQ(spin->Text(), "2");
  driver.Advance(399);
  EXPECT_EQ(spin->Text(), "2");
  driver.Advance(601);  // repeats at 400, 500, ..., 1000 ms
  EXPECT_EQ(spin->Text(), "9");
  driver.Advance(2000);
  EXPECT_EQ(spin->Text(), "21") << "held on, it stops at the bound";
  driver.MouseUp(up, 5, 4);
  EXPECT_EQ(spin->Text(), "21");
}

TEST_F(SpinEdit, TheSpinButtonSitsAtTheRightAndTheTextStaysClearOfIt) {
  TwwSpinButton* b = spin->SpinButton();
  EXPECT_EQ(b->Parent(), spin);
  EXPECT_EQ(b->Width(), 15);
  EXPECT_EQ(b->Left() + b->Width(), spin->ClientWidth());
  EXPECT_EQ(b->Top(), 0);
  EXPECT_LE(spin->FormatRect().Right, b->Left() - 2);
  spin->SetBounds(8, 8, 80, 30);
  driver.Process();
  EXPECT_EQ(b->Left() + b->Width(), spin->ClientWidth());
  EXPECT_EQ(b->Height(), 27);
  EXPECT_LE(spin->FormatRect().Right, b->Left() - 2);
  TTestSpinEdit* flat = Make("W_KLEIN", 60);
  flat->SetBorderStyle(bsNone);
  driver.Process();
  EXPECT_EQ(flat->SpinButton()->Left(), flat->Width() - 15);
  EXPECT_EQ(flat->SpinButton()->Top(), 1);
}

TEST_F(SpinEdit, Screens) {
  spin->SetBounds(8, 8, 60, 23);
  TTestSpinEdit* date = Make("W_DATUM", 40);
  TTestSpinEdit* amount = Make("W_BETRAG", 72);
  amount->SetIncrement(0.25);
  TTestSpinEdit* time = Make("W_ZEIT", 104);
  time->SetBorderStyle(bsNone);
  date->SetFocus();
  PressAt(date, 3, VK_UP);
  driver.MouseDown(amount->SpinButton()->UpButton(), 5, 4);
  const std::string path = driver.SavePng(form, "spin_edits");
  driver.MouseUp(amount->SpinButton()->UpButton(), 5, 4);
  EXPECT_FALSE(path.empty());
  EXPECT_EQ(date->Text(), "28.02.1999");
}

}  // namespace wwtest

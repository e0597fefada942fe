// The simple data-aware controls on a headless form: what they show, how
// typing and clicking put the dataset into edit state, Escape, invalid
// characters, writing on exit and on post, and a picture of the form.
#include "platform/db/dbctrls.h"
#include "platform/ui/testdriver.h"
#include "tests/db/db_fixture.h"

using namespace dbtest;

namespace {

struct ControlsForm {
  TForm* f = new TForm(Application);
  TDataSource* ds = new TDataSource(f);
  TDBEdit* name = new TDBEdit(f);
  TDBEdit* year = new TDBEdit(f);
  TDBText* label = new TDBText(f);
  TDBCheckBox* flag = new TDBCheckBox(f);
  TDBRadioGroup* sex = new TDBRadioGroup(f);
  TDBMemo* memo = new TDBMemo(f);
  TEdit* other = new TEdit(f);

  explicit ControlsForm(TDataSet* t) {
    f->SetClientSize(360, 260);
    ds->SetDataSet(t);
    auto place = [&](TControl* c, int x, int y, int w, int h) {
      c->SetParent(f);
      c->SetBounds(x, y, w, h);
    };
    place(name, 10, 10, 150, 21);
    place(year, 170, 10, 60, 21);
    place(label, 10, 40, 150, 17);
    place(flag, 170, 40, 120, 17);
    place(sex, 10, 65, 150, 70);
    place(memo, 170, 65, 180, 90);
    place(other, 10, 170, 150, 21);
    name->SetDataSource(ds);
    name->SetDataField("NAME");
    year->SetDataSource(ds);
    year->SetDataField("JAHR");
    label->SetDataSource(ds);
    label->SetDataField("NAME");
    flag->SetCaption("Markiert");
    flag->SetDataSource(ds);
    flag->SetDataField("FLAG");
    sex->SetCaption(" Geschlecht ");
    sex->Items()->Add("Mann");
    sex->Items()->Add("Frau");
    sex->Values()->Add("0");
    sex->Values()->Add("1");
    sex->SetDataSource(ds);
    sex->SetDataField("KLEIN");
    memo->SetDataSource(ds);
    memo->SetDataField("TEXT");
    f->Show();
  }
};

}  // namespace

TEST_F(DbTest, DataAwareEditTypingEscapeAndExit) {
  TUiTestDriver d;
  AddPersons({{1, "Anna", 7, 3, 1950}, {2, "Bert", 1, 7, 1901}});
  auto t = Table();
  t->Open();
  ControlsForm c(t.get());
  EXPECT_EQ(c.name->Text(), "Anna");
  EXPECT_EQ(c.label->Caption(), "Anna");
  EXPECT_EQ(c.year->Text(), "1950");
  EXPECT_EQ(c.year->Alignment(), taRightJustify);
  EXPECT_EQ(c.name->MaxLength(), 12);
  // Typing starts editing and changes only the control until the record
  // is updated.
  c.name->SetFocus();
  d.PressKey(VK_END);
  d.Type("e");
  EXPECT_EQ(t->State(), dsEdit);
  EXPECT_EQ(c.name->Text(), "Annae");
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anna");
  // Escape gives the record's value back.
  d.PressKey(VK_ESCAPE);
  EXPECT_EQ(c.name->Text(), "Anna");
  d.PressKey(VK_END);
  d.Type("lena");
  // Leaving the control writes the field; the label follows.
  c.other->SetFocus();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Annalena");
  EXPECT_EQ(c.label->Caption(), "Annalena");
  t->Post();
  // A character the field refuses beeps and changes nothing.
  int beeps = keyboard::BeepCount();
  c.year->SetFocus();
  d.PressKey(VK_END);
  d.Type("x");
  EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
  EXPECT_EQ(c.year->Text(), "1950");
  EXPECT_EQ(t->State(), dsBrowse);
  d.Type("1");
  EXPECT_EQ(t->State(), dsEdit);
  t->Cancel();
  EXPECT_EQ(c.year->Text(), "1950");
  // Moving shows the next record.
  t->Next();
  EXPECT_EQ(c.name->Text(), "Bert");
  EXPECT_EQ(c.label->Caption(), "Bert");
  // Without AutoEdit the control stays read-only.
  c.ds->SetAutoEdit(false);
  c.name->SetFocus();
  d.Type("x");
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_EQ(c.name->Text(), "Bert");
  c.ds->SetAutoEdit(true);
  // Writing the text on post goes through the field's text setter; the
  // field's edit mask shapes the typing.
  t->FieldByName("JAHR")->SetEditMask("0000;1;_");
  c.year->SetFocus();
  EXPECT_EQ(c.year->EditMask(), "0000;1;_");
  d.PressKey(VK_HOME);
  d.Type("1999");
  EXPECT_EQ(c.year->Text(), "1999");
  t->Post();
  EXPECT_EQ(t->FieldByName("JAHR")->AsInteger(), 1999);
}

TEST_F(DbTest, DataAwareCheckBoxRadioGroupAndMemo) {
  TUiTestDriver d;
  AddPersons({{1, "Anna", 7, 3, 1950}, {2, "Bert", 1, 7, 1901}});
  auto t = Table();
  t->Open();
  t->Edit();
  t->FieldByName("FLAG")->SetAsBoolean(true);
  t->FieldByName("KLEIN")->SetAsInteger(1);
  t->FieldByName("TEXT")->SetAsString("Erste Zeile\r\nZweite Zeile");
  t->Post();
  ControlsForm c(t.get());
  EXPECT_EQ(c.flag->State(), cbChecked);
  EXPECT_EQ(c.sex->ItemIndex(), 1);
  EXPECT_EQ(c.sex->Value(), "1");
  EXPECT_EQ(c.memo->Lines()->Count(), 2);
  EXPECT_EQ(c.memo->Lines()->Strings(1), "Zweite Zeile");
  std::string png = d.SavePng(c.f, "db_controls");
  EXPECT_FALSE(png.empty());
  // Null values: grayed check box, no radio button.
  t->Next();
  EXPECT_EQ(c.flag->State(), cbGrayed);
  EXPECT_EQ(c.sex->ItemIndex(), -1);
  EXPECT_EQ(c.memo->Text(), "");
  // Clicking edits and the post writes.
  d.Click(c.flag);
  EXPECT_EQ(t->State(), dsEdit);
  EXPECT_EQ(c.flag->State(), cbChecked);
  d.Click(c.sex->Buttons(0));
  EXPECT_EQ(c.sex->Value(), "0");
  c.other->SetFocus();
  EXPECT_EQ(t->FieldByName("KLEIN")->AsInteger(), 0) << "leaving the group writes the choice";
  c.memo->SetFocus();
  d.Type("Notiz");
  t->Post();
  EXPECT_TRUE(t->FieldByName("FLAG")->AsBoolean());
  EXPECT_EQ(t->FieldByName("KLEIN")->AsInteger(), 0);
  EXPECT_EQ(t->FieldByName("TEXT")->AsString(), "Notiz");
  // A read-only source refuses the click: nothing changes.
  c.ds->SetAutoEdit(false);
  d.Click(c.sex->Buttons(1));
  d.Click(c.flag);
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_EQ(c.sex->ItemIndex(), 0);
  EXPECT_EQ(c.flag->State(), cbChecked);
  c.ds->SetAutoEdit(true);
  // Check boxes on text fields compare with their value lists.
  c.flag->SetDataField("NAME");
  c.flag->SetValueChecked("Bert;B");
  c.flag->SetValueUnchecked("Niemand");
  EXPECT_EQ(c.flag->State(), cbChecked);
  d.Click(c.flag);
  t->Post();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Niemand");
  // Without AutoDisplay a memo shows its label until Enter loads it.
  c.memo->SetAutoDisplay(false);
  t->Prior();
  EXPECT_EQ(c.memo->Text(), "(TEXT)");
  c.memo->SetFocus();
  d.PressKey(VK_RETURN);
  EXPECT_EQ(c.memo->Lines()->Strings(0), "Erste Zeile");
  EXPECT_EQ(t->State(), dsBrowse);
}

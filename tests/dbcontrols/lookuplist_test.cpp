// The lookup combo as the edit control of a data grid's profession column
// (laid over the cell, opened by Alt+Down from the grid, writing the column,
// handing the grid its navigation keys) with its picture, and the lookup
// list on its own: the value follows the data field, a click or a key picks
// a place and the field takes it, a field that cannot change keeps the list
// on its value, Escape brings the field's value back, and the list's misuse.
#include <gtest/gtest.h>

#include "dbcontrols/grid/wwgrid.h"
#include "tests/dbcontrols/dbgrid_fixture.h"
#include "tests/dbcontrols/lookup_fixture.h"

namespace wwtest {

namespace {

TEST_F(Lookups, TheComboEditsTheProfessionColumnOfAGrid) {
  auto links = Open("PERSBERU.FFD", "PB_PERS");
  TwwDataSource linkSource(nullptr);
  linkSource.SetDataSet(links.get());
  TStringList types;
  types.Add("BERU_ID;CustomEdit;cmbBeruf");
  links->SetControlType(&types);
  TwwTable* professions = Professions("BERUFG");
  auto* f = new TForm(Application);
  f->SetBounds(40, 40, 580, 330);
  f->SetClientSize(560, 300);
  auto* c = new TwwDBLookupCombo(f);
  c->SetName("cmbBeruf");
  c->SetParent(f);
  c->SetBounds(8, 270, 200, 21);
  c->SetLookupTable(professions);
  c->SetLookupField("BERU_ID");
  SetColumns(c, {"BERU_NAMEM\t18\tBeruf", "BERU_ID\t4\tNr."});
  c->SetOptions(loColLines | loRowLines);
  TwwDBGrid* grid = MakeGridOn(f, &linkSource, {"PERS_ID\t7\tPerson", "PBER_NR\t3\tNr.", "BERU_ID\t18\tBeruf"}, 240);
  f->Show();
  grid->SetFocus();
  driver.Process();
  // A click on the column lays the combo over the cell.
  const int row = grid->TitleOffset() + 1;
  const TRect cell = grid->CellRect(3, row);
  driver.Click(grid, (cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  driver.Process();
  ASSERT_EQ(grid->GetSelectedIndex(), 2);
  ASSERT_EQ(grid->CurrentEditControl(), c);
  EXPECT_TRUE(c->Visible());
  EXPECT_EQ(c->Parent(), grid);
  EXPECT_EQ(c->BoundsRect(), cell);
  EXPECT_EQ(c->ButtonPanel()->Left() + c->ButtonPanel()->Width(), c->ClientWidth()) << "the button at the right";
  const int person = links->FieldByName("PERS_ID")->AsInteger();
  const int number = links->FieldByName("PBER_NR")->AsInteger();
  const AnsiString before = links->FieldByName("BERU_ID")->AsString();
  EXPECT_EQ(c->Value(), before);
  SaveScreen({f}, "lookup_combo_in_grid");
  // Alt+Down on the grid opens the combo's list.
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(c->ListVisible());
  EXPECT_TRUE(c->Focused());
  driver.PressKey(VK_DOWN);
  const AnsiString picked = professions->FieldByName("BERU_ID")->AsString();
  EXPECT_NE(picked, before);
  SaveScreen({f, c->DropWindow()}, "lookup_combo_in_grid_dropped");
  driver.PressKey(VK_RETURN);
  EXPECT_FALSE(c->ListVisible());
  EXPECT_EQ(links->FieldByName("BERU_ID")->AsString(), picked);
  EXPECT_EQ(links->State(), dsEdit);
  // Down with the list closed belongs to the grid: the record is written
  // and the next one is current.
  driver.PressKey(VK_DOWN);
  EXPECT_TRUE(grid->Focused());
  EXPECT_EQ(links->State(), dsBrowse);
  EXPECT_FALSE(links->FieldByName("PERS_ID")->AsInteger() == person &&
               links->FieldByName("PBER_NR")->AsInteger() == number);
  ASSERT_TRUE(links->FindKey({person, number}));
  EXPECT_EQ(links->FieldByName("BERU_ID")->AsString(), picked);
  // The record as it was, for the tests that follow.
  links->Edit();
  links->FieldByName("BERU_ID")->SetAsString(before);
  links->Post();
  f->Free();
}

TEST_F(Lookups, AListPicksThePlaceOfItsDataField) {
  auto byId = Open("ORT.FFD", "XPKORTE");
  auto* list = new TwwDBLookupList(form);
  list->SetParent(form);
  list->SetBounds(240, 8, 170, 180);
  list->SetLookupTable(byId.get());
  list->SetLookupField("ORTE_ID");
  TStringList columns;
  columns.Add("ORTE_NAME\t20\tOrt");
  list->SetSelected(&columns);
  list->SetOptions(loTitles | loColLines);
  list->SetDataSource(peopleSource.get());
  list->SetDataField("PERS_GEBORT");
  driver.Process();
  const int before = BirthPlace();
  EXPECT_EQ(list->Value(), IntToStr(before));
  EXPECT_EQ(list->DisplayValue(), PlaceName(before));
  EXPECT_EQ(byId->FieldByName("ORTE_ID")->AsInteger(), before) << "the list stands on the value";
  EXPECT_EQ(list->TitleOffset(), 1);
  // A click on the title row picks nothing.
  driver.Click(list, 20, 4);
  EXPECT_EQ(list->Value(), IntToStr(before));
  EXPECT_EQ(people->State(), dsBrowse);
  // A click on a row picks its place; leaving writes it into the field.
  const TRect r = list->CellRect(0, list->TitleOffset() + 2);
  driver.Click(list, r.Left + 10, r.Top + 3);
  const int picked = byId->FieldByName("ORTE_ID")->AsInteger();
  EXPECT_NE(picked, before);
  EXPECT_EQ(list->Value(), IntToStr(picked));
  EXPECT_EQ(list->DisplayValue(), PlaceName(picked));
  EXPECT_EQ(list->SelectedRow(), 2);
  driver.PressKey(VK_DOWN);
  const int next = byId->FieldByName("ORTE_ID")->AsInteger();
  EXPECT_EQ(list->Value(), IntToStr(next));
  other->SetFocus();
  EXPECT_EQ(BirthPlace(), next);
  // Escape while choosing brings the field's own value back.
  list->SetFocus();
  driver.PressKey(VK_DOWN);
  EXPECT_NE(list->Value(), IntToStr(next));
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(list->Value(), IntToStr(next));
  people->Cancel();
  // A field that cannot change keeps keys and clicks on the value's row.
  peopleSource->SetAutoEdit(false);
  ASSERT_EQ(list->Value(), IntToStr(before));
  driver.PressKey(VK_DOWN);
  driver.Click(list, r.Left + 10, r.Top + 3);
  EXPECT_EQ(byId->FieldByName("ORTE_ID")->AsInteger(), before);
  EXPECT_EQ(list->Value(), IntToStr(before));
  EXPECT_EQ(people->State(), dsBrowse);
  peopleSource->SetAutoEdit(true);
  // Misuse.
  TwwDataSource placeSource(nullptr);
  placeSource.SetDataSet(byId.get());
  EXPECT_THROW(list->SetDataSource(&placeSource), EInvalidOperation);
  EXPECT_EQ(list->DataSource(), peopleSource.get());
  list->SetLookupTable(nullptr);
  EXPECT_EQ(list->LookupTable(), nullptr) << "no table at all is allowed";
  list->SetLookupSource(nullptr);
  driver.AnswerNextMessageBox(IDOK);
  list->SetLookupTable(byId.get());
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "Lookup Source is not created");
}

}  // namespace

}  // namespace wwtest

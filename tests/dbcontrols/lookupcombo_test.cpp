// The lookup combo on the persons' birth places and on professions: the
// text that follows the record, the typed search after its pause on the
// test driver's clock, the keys in the closed and the dropped state, picking
// with the mouse, the refusal of a pick the field does not take, the size
// and place of the list, the drop-down-list style, clearing by key,
// completion of typed text, and pictures of the combo.
#include <gtest/gtest.h>

#include <tuple>

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
  // Painted as a copy, it shows the record's place whatever its text is.
  auto dark = [&] {
    driver.Process();
    int n = 0;
    for (int x = 2; x < 120; ++x)
      for (int y = 2; y < combo->ClientHeight() - 2; ++y) n += ColorToRGB(driver.PixelAt(combo, x, y)) == 0;
    return n;
  };
  other->SetFocus();
  combo->SetText("");
  combo->Invalidate();
  EXPECT_EQ(dark(), 0);
  combo->SetControlState(combo->ControlState() | csPaintCopy);
  combo->Invalidate();
  EXPECT_GT(dark(), 20);
  combo->SetControlState(combo->ControlState() & ~static_cast<unsigned>(csPaintCopy));
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

TEST_F(Lookups, KeysInTheClosedAndTheDroppedState) {
  const int before = BirthPlace();
  const AnsiString text = combo->Text();
  // Closed: the arrows and page keys neither open the list nor change the value.
  for (int vk : {VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR}) {
    driver.PressKey(vk);
    EXPECT_FALSE(combo->ListVisible()) << vk;
    EXPECT_EQ(combo->Text(), text) << vk;
  }
  EXPECT_EQ(people->State(), dsBrowse);
  // Alt+Down opens on the record's place; Down and Page Down move the choice.
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(combo->ListVisible());
  ASSERT_EQ(CurrentPlace(), before);
  driver.PressKey(VK_DOWN);
  const int next = CurrentPlace();
  EXPECT_NE(next, before);
  EXPECT_EQ(combo->Value(), IntToStr(next));
  EXPECT_EQ(combo->Text(), PlaceName(next)) << "the text follows the choice";
  TwwPopupGrid* g = combo->Grid();
  const int rows = g->VisibleRowCount();
  EXPECT_EQ(rows, 8);
  driver.PressKey(VK_NEXT);
  EXPECT_EQ(combo->Value(), IntToStr(CurrentPlace()));
  driver.PressKey(VK_PRIOR);
  EXPECT_EQ(CurrentPlace(), next) << "a page down and up again";
  driver.PressKey(VK_UP);
  EXPECT_EQ(CurrentPlace(), before);
  driver.PressKey(VK_DOWN);
  // Escape closes and brings back the text and value of before.
  driver.PressKey(VK_ESCAPE);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_FALSE(combo->DropWindow()->Showing());
  EXPECT_EQ(combo->Text(), text);
  EXPECT_EQ(combo->Value(), IntToStr(before));
  EXPECT_EQ(BirthPlace(), before);
  EXPECT_EQ(form->ModalResult(), mrNone);
  // Enter takes the choice and the focus stays.
  driver.PressKey(VK_DOWN, ssAlt);
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_RETURN);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_TRUE(combo->Focused());
  EXPECT_EQ(BirthPlace(), next);
  EXPECT_EQ(people->State(), dsEdit);
  // Tab takes it too, and moves on.
  driver.PressKey(VK_DOWN, ssAlt);
  driver.PressKey(VK_DOWN);
  const int third = CurrentPlace();
  driver.PressKey(VK_TAB);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_FALSE(combo->Focused());
  EXPECT_EQ(BirthPlace(), third);
  people->Cancel();
}

TEST_F(Lookups, PickingWithTheMouseSetsTheFieldAndCloses) {
  const int before = BirthPlace();
  driver.Click(combo->Button());
  ASSERT_TRUE(combo->ListVisible());
  EXPECT_TRUE(combo->Focused()) << "the list takes no focus";
  EXPECT_EQ(Screen->ActiveForm(), form);
  // The third row below the record's place.
  TwwPopupGrid* g = combo->Grid();
  const int row = g->DataLink()->ActiveRecord() + 3;
  ASSERT_LT(row, g->VisibleRowCount());
  TwwGridDataLink* link = g->DataLink();
  link->SetActiveRecord(row);
  const int picked = CurrentPlace();
  link->SetActiveRecord(row - 3);
  ClickListRow(row);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_NE(picked, before);
  EXPECT_EQ(BirthPlace(), picked);
  EXPECT_EQ(combo->Text(), PlaceName(picked));
  EXPECT_TRUE(combo->Focused());
  // The button closes an open list and keeps the pick.
  driver.Click(combo->Button());
  ASSERT_TRUE(combo->ListVisible());
  driver.Click(combo->Button());
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_EQ(BirthPlace(), picked);
  // A click elsewhere closes the list.
  driver.Click(combo->Button());
  ASSERT_TRUE(combo->ListVisible());
  driver.Click(form, 300, 150);
  EXPECT_FALSE(combo->ListVisible());
  people->Cancel();
}

TEST_F(Lookups, APressDraggedDownTheListScrollsItByTheSelectionTimer) {
  driver.PressKey(VK_DOWN, ssAlt);
  TwwPopupGrid* g = combo->Grid();
  const TRect r = g->CellRect(0, g->TitleOffset());
  const int first = CurrentPlace();
  driver.MouseDown(g, r.Left + 5, r.Top + 3);
  const TRect last = g->CellRect(0, g->TitleOffset() + g->VisibleRowCount() - 1);
  driver.MouseMove(g, r.Left + 5, last.Top + 3, ssLeft);
  const int atBottom = CurrentPlace();
  EXPECT_NE(atBottom, first) << "the choice follows the mouse to the last row";
  driver.MouseMove(g, r.Left + 5, g->ClientHeight() + 20, ssLeft);
  EXPECT_EQ(CurrentPlace(), atBottom);
  driver.Advance(59);
  EXPECT_EQ(CurrentPlace(), atBottom);
  driver.Advance(1);
  const int scrolled = CurrentPlace();
  EXPECT_NE(scrolled, atBottom) << "each 60 ms the list scrolls on";
  driver.Advance(120);
  EXPECT_NE(CurrentPlace(), scrolled);
  driver.MouseUp(g, r.Left + 5, g->ClientHeight() + 20);
  driver.Process();
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_EQ(BirthPlace(), CurrentPlace());
  people->Cancel();
}

TEST_F(Lookups, APickTheFieldRefusesLeavesTextAndValueAsTheyWereAndBeeps) {
  const int before = BirthPlace();
  const AnsiString text = combo->Text();
  people->FieldByName("PERS_GEBORT")->OnValidate = [](TField* f) {
    if (f->AsInteger() != 0) throw EDatabaseError("Geburtsort gesperrt");
  };
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(combo->ListVisible());
  const int beeps = Beeps();
  ClickListRow(combo->Grid()->DataLink()->ActiveRecord() + 2);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_EQ(BirthPlace(), before);
  EXPECT_EQ(combo->Text(), text);
  EXPECT_EQ(combo->Value(), IntToStr(before));
  EXPECT_FALSE(combo->Modified());
  EXPECT_TRUE(driver.MessageBoxes().empty());
  // The same by keys.
  driver.PressKey(VK_DOWN, ssAlt);
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(Beeps(), beeps + 2);
  EXPECT_EQ(BirthPlace(), before);
  EXPECT_EQ(combo->Text(), text);
  people->FieldByName("PERS_GEBORT")->OnValidate = nullptr;
  people->Cancel();
}

TEST_F(Lookups, ClosedListRefusesCharactersTheFieldRefusesUnlessTypingOpensIt) {
  const AnsiString text = combo->Text();
  int beeps = Beeps();
  combo->SelectAll();
  driver.Type("a");
  EXPECT_EQ(Beeps(), beeps + 1) << "a number field takes no letters";
  EXPECT_EQ(combo->Text(), text);
  // With AutoDropDown the letter opens the list and searches at once.
  combo->SetAutoDropDown(true);
  beeps = Beeps();
  combo->SelectAll();
  driver.Type("W");
  EXPECT_EQ(Beeps(), beeps);
  ASSERT_TRUE(combo->ListVisible());
  EXPECT_EQ(CurrentPlace(), FirstPlaceStarting("W"));
  driver.Type("ei");
  driver.Advance(166);
  EXPECT_EQ(CurrentPlace(), FirstPlaceStarting("Wei"));
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(combo->Text(), text);
  people->Cancel();
}

TEST_F(Lookups, EscapeInTheClosedListRestoresWhatTheComboHadOnEntry) {
  const int before = BirthPlace();
  const AnsiString text = combo->Text();
  driver.PressKey(VK_DOWN, ssAlt);
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_RETURN);
  ASSERT_NE(BirthPlace(), before);
  // A fresh entry: the saved text is the one shown now.
  other->SetFocus();
  combo->SetFocus();
  const AnsiString entered = combo->Text();
  const AnsiString value = combo->Value();
  combo->SelectAll();
  driver.PressKey(VK_DELETE);
  EXPECT_TRUE(combo->Text().empty());
  EXPECT_TRUE(combo->Modified());
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(combo->Text(), entered);
  EXPECT_EQ(combo->Value(), value);
  EXPECT_NE(entered, text);
  people->Cancel();
}

TEST_F(Lookups, AComboWithoutADataSourceKeepsItsPickWhenTheFocusLeaves) {
  combo->SetDataSource(nullptr);
  const int frankfurt = FirstPlaceStarting("Frankfurt am Main");
  driver.PressKey(VK_DOWN, ssAlt);
  driver.Type("Frankfurt am M");
  driver.Advance(166);
  driver.PressKey(VK_RETURN);
  for (int pass = 0; pass < 2; ++pass) {  // leaving, coming back and leaving again
    driver.PressKey(VK_TAB);
    EXPECT_FALSE(combo->Focused());
    EXPECT_EQ(combo->Text(), "Frankfurt am Main") << pass;
    EXPECT_EQ(combo->Value(), IntToStr(frankfurt)) << pass;
    combo->SetFocus();
  }
}

TEST_F(Lookups, DeleteOverTheWholeTextClearsTheValueOnlyWithAllowClearKey) {
  const int before = BirthPlace();
  ASSERT_GT(before, 0);
  combo->SelectAll();
  driver.PressKey(VK_DELETE);
  EXPECT_TRUE(combo->Text().empty());
  other->SetFocus();
  EXPECT_EQ(BirthPlace(), before) << "without AllowClearKey the key only edits the text";
  EXPECT_EQ(combo->Text(), PlaceName(before));
  combo->SetAllowClearKey(true);
  combo->SetFocus();
  combo->SelectAll();
  driver.PressKey(VK_DELETE);
  EXPECT_TRUE(combo->Value().empty());
  other->SetFocus();
  EXPECT_TRUE(people->FieldByName("PERS_GEBORT")->IsNull());
  people->Cancel();
}

TEST_F(Lookups, ADropDownListTakesNoTypingAndAClickTogglesItsList) {
  combo->SetStyle(csDropDownList);
  const AnsiString text = combo->Text();
  driver.Type("Wei");
  EXPECT_EQ(combo->Text(), text);
  EXPECT_EQ(people->State(), dsBrowse);
  driver.Click(combo, 40, 8);
  EXPECT_TRUE(combo->ListVisible());
  driver.MouseUp(combo, 40, 8);
  driver.Click(combo, 40, 8);
  EXPECT_FALSE(combo->ListVisible());
  // Focused and closed, it paints its text highlighted itself.
  driver.Process();
  EXPECT_EQ(ColorToRGB(driver.PixelAt(combo, 6, combo->ClientHeight() / 2)), ColorToRGB(clHighlight));
}

TEST_F(Lookups, SizeAndPlaceOfTheList) {
  // Eight rows by default, one for a count of 0, the records of a short table.
  combo->SetDropDownCount(0);
  driver.PressKey(VK_DOWN, ssAlt);
  EXPECT_EQ(combo->Grid()->VisibleRowCount(), 1);
  driver.PressKey(VK_ESCAPE);
  combo->SetDropDownCount(8);
  TwwTable* three = Professions("BERUF3", 3, false);
  auto* c = new TwwDBLookupCombo(form);
  c->SetParent(form);
  c->SetBounds(8, 40, 160, 21);
  c->SetLookupTable(three);
  c->SetLookupField("BERU_ID");
  SetColumns(c, {"BERU_NAMEM\t20\tBeruf"});
  c->SetFocus();
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(c->ListVisible());
  EXPECT_EQ(c->Grid()->VisibleRowCount(), 3);
  EXPECT_EQ(c->Grid()->DataLink()->RecordCount(), 3);
  EXPECT_FALSE(c->Grid()->ShowVertScrollBar());
  // The list hangs from the combo's bottom edge, as wide as its column.
  const TPoint below = form->ClientToScreen({c->Left(), c->Top() + c->Height() - 1});
  EXPECT_EQ(c->DropWindow()->Left(), below.X);
  EXPECT_EQ(c->DropWindow()->Top(), below.Y);
  EXPECT_GE(c->Grid()->ClientWidth(), c->Grid()->ColWidths(0));
  driver.PressKey(VK_ESCAPE);
  // Near the bottom of the screen it opens above the combo.
  form->SetTop(Screen->Height() - 120);
  driver.PressKey(VK_DOWN, ssAlt);
  const TPoint above = form->ClientToScreen({c->Left(), c->Top() + 1});
  EXPECT_EQ(c->DropWindow()->Top() + c->DropWindow()->Height(), above.Y);
  driver.PressKey(VK_ESCAPE);
  // Right-aligned, its right edge is the combo's.
  c->SetDropDownAlignment(taRightJustify);
  c->SetDropDownWidth(300);
  driver.PressKey(VK_DOWN, ssAlt);
  EXPECT_EQ(c->DropWindow()->Width(), 300);
  EXPECT_EQ(c->DropWindow()->Left() + 300, form->ClientToScreen({c->Left() + c->Width(), 0}).X);
  driver.PressKey(VK_ESCAPE);
  // A combo of 20 pixels or less never drops down.
  c->SetWidth(20);
  driver.PressKey(VK_DOWN, ssAlt);
  EXPECT_FALSE(c->ListVisible());
}

TEST_F(Lookups, MisuseIsReportedAndChangesNothing) {
  // The data source may not be one of the lookup table.
  TwwDataSource placeSource(nullptr);
  placeSource.SetDataSet(places.get());
  EXPECT_THROW(combo->SetDataSource(&placeSource), EInvalidOperation);
  EXPECT_EQ(combo->DataSource(), peopleSource.get());
  // Without a lookup table, or with a closed one, the list stays closed.
  auto* c = new TwwDBLookupCombo(form);
  c->SetParent(form);
  c->SetBounds(8, 40, 160, 21);
  c->SetFocus();
  driver.AnswerNextMessageBox(IDOK);
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "No lookup table specified!");
  EXPECT_FALSE(c->ListVisible());
  auto closed = std::make_unique<TwwTable>(nullptr);
  closed->SetDatabaseName("Orvelan");
  closed->SetTableName("BERUF.FFD");
  c->SetLookupTable(closed.get());
  driver.AnswerNextMessageBox(IDOK);
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_EQ(driver.MessageBoxes().size(), 2u);
  EXPECT_EQ(driver.MessageBoxes()[1].Text, "Lookup table is not active!");
  EXPECT_FALSE(c->ListVisible());
  // A lookup field the table lacks is named with the whole text.
  closed->Open();
  try {
    c->SetLookupField("BERU_XY;BERU_ID");
    ADD_FAILURE() << "a missing key field is an error";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(AnsiString(e.Message()), "Field 'BERU_XY;BERU_ID' not found");
  }
  // A missing second field is none.
  c->SetLookupField("BERU_ID;BERU_XY");
  EXPECT_EQ(c->Grid()->KeyFieldCount(), 1);
  c->SetLookupTable(nullptr);
  form->RemoveComponent(c);
  delete c;
}

TEST_F(Lookups, ShowMatchTextCompletesTheTypedNameFromTheNameIndex) {
  TwwTable* professions = Professions("BERUFX");
  auto* c = new TwwDBLookupCombo(form);
  c->SetParent(form);
  c->SetBounds(8, 40, 200, 21);
  c->SetLookupTable(professions);
  c->SetLookupField("BERU_NAMEM");
  SetColumns(c, {"BERU_NAMEM\t20\tBeruf"});
  c->SetShowMatchText(true);
  c->SetFocus();
  driver.Type("Dra");
  EXPECT_EQ(c->Text(), "Dramatiker");
  EXPECT_EQ(c->SelStart(), 3);
  EXPECT_EQ(c->SelLength(), 7);
  EXPECT_EQ(professions->IndexName(), "XBERNAME") << "searched on the name's index";
  // Backspace takes the completion away without completing again.
  driver.PressKey(VK_BACK);
  EXPECT_EQ(c->Text(), "Dra");
  // Without a usable index and without sequential search nothing moves.
  TwwTable* plain = Professions("BERUFP", 0, false);
  auto* d = new TwwDBLookupCombo(form);
  d->SetParent(form);
  d->SetBounds(8, 70, 200, 21);
  d->SetLookupTable(plain);
  d->SetLookupField("BERU_ID");
  SetColumns(d, {"BERU_NAMEM\t20\tBeruf"});
  plain->SetIndexName("");
  d->SetSeqSearchOptions(0);
  d->SetFocus();
  driver.PressKey(VK_DOWN, ssAlt);
  const int at = plain->FieldByName("BERU_ID")->AsInteger();
  driver.Type("DRA");
  driver.Advance(200);
  EXPECT_EQ(plain->FieldByName("BERU_ID")->AsInteger(), at);
  // With it, upper case finds the name.
  d->SetSeqSearchOptions(ssoEnabled);
  driver.Type("M");
  driver.Advance(200);
  EXPECT_EQ(plain->FieldByName("BERU_NAMEM")->AsString(), "Dramatiker");
  driver.PressKey(VK_ESCAPE);
}

TEST_F(Lookups, ATextNamingNoPlaceIsOfferedToOnNotInList) {
  const int before = BirthPlace();
  const AnsiString text = combo->Text();
  std::vector<AnsiString> offered;
  bool accept = false;
  combo->OnNotInList = [&](TObject*, TDataSet* table, const AnsiString& value, bool& ok) {
    EXPECT_EQ(table, places.get());
    offered.push_back(value);
    ok = accept;
  };
  int closeUps = 0;
  combo->OnCloseUp = [&](TObject*, TDataSet*, TDataSet*, bool) { ++closeUps; };
  // In the open list: refused, the text of before comes back.
  driver.PressKey(VK_DOWN, ssAlt);
  combo->SelectAll();
  driver.Type("Xyzzy");
  driver.Advance(166);
  EXPECT_FALSE(combo->FoundFlag());
  driver.PressKey(VK_RETURN);
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0], "Xyzzy");
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_EQ(combo->Text(), text);
  EXPECT_EQ(closeUps, 0) << "a refused text ends the close-up at once";
  EXPECT_EQ(BirthPlace(), before);
  // With the list closed, leaving the combo offers the text too.
  accept = true;
  combo->SetStyle(csDropDown);
  combo->SetAutoDropDown(false);
  combo->SelectAll();
  combo->SetSelText("Nirgendwo");
  other->SetFocus();
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[1], "Nirgendwo");
  EXPECT_EQ(BirthPlace(), before) << "an accepted text is no place number";
  people->Cancel();
}

TEST_F(Lookups, ALookupFieldTakesThePickIntoItsKeyField) {
  auto byId = Open("ORT.FFD", "XPKORTE");
  combo->SetDataField("");
  people->Close();
  auto* name = new TStringField(nullptr);
  name->SetFieldName("GEBORT_NAME");
  name->SetSize(40);
  name->SetLookup(true);
  name->SetKeyFields("PERS_GEBORT");
  name->SetLookupDataSet(byId.get());
  name->SetLookupKeyFields("ORTE_ID");
  name->SetLookupResultField("ORTE_NAME");
  name->SetDataSet(people.get());
  people->Open();
  combo->SetLookupField("");
  combo->SetDataField("GEBORT_NAME");
  EXPECT_TRUE(combo->IsDataFieldLinked());
  EXPECT_EQ(combo->LookupField(), "ORTE_ID") << "taken from the lookup field";
  EXPECT_EQ(combo->Text(), PlaceName(BirthPlace()));
  combo->SetFocus();
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(combo->ListVisible());
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_DOWN);
  const int picked = CurrentPlace();
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(BirthPlace(), picked) << "the key field takes the pick";
  EXPECT_EQ(combo->Text(), PlaceName(picked));
  people->Cancel();
  combo->SetDataField("");
  people->Close();
  delete name;
  people->Open();
}

TEST_F(Lookups, ADetailLookupTableIsSearchedInsideTheRecordsTown) {
  // Parts of towns, a detail of the address being edited.
  Build("TEILE", {{"ORT_ID", fftInt32, 0}, {"TEIL_NAME", fftShortString, 30}, {"TEIL_ID", fftInt32, 0}},
        {{"XTEIL", {0, 1}, true, true, false}, {"XTEILID", {2}, true, false, true}});
  Build("ADRESSE", {{"ADR_ID", fftInt32, 0}, {"ORT_ID", fftInt32, 0}, {"TEIL_ID", fftInt32, 0}},
        {{"XADR", {0}, true, false, true}});
  {
    auto t = Open("TEILE.FFD", "XTEIL", "WWSCRATCH");
    for (auto [town, name, id] : {std::tuple{1, "Altstadt", 101}, {1, "Bornheim", 102}, {2, "Altstadt", 201},
                                  {2, "Beethovenviertel", 202}}) {
      t->Append();
      t->FieldByName("ORT_ID")->SetAsInteger(town);
      t->FieldByName("TEIL_NAME")->SetAsString(name);
      t->FieldByName("TEIL_ID")->SetAsInteger(id);
      t->Post();
    }
    auto a = Open("ADRESSE.FFD", "XADR", "WWSCRATCH");
    for (auto [id, town, part] : {std::tuple{1, 1, 101}, {2, 2, 201}}) {
      a->Append();
      a->FieldByName("ADR_ID")->SetAsInteger(id);
      a->FieldByName("ORT_ID")->SetAsInteger(town);
      a->FieldByName("TEIL_ID")->SetAsInteger(part);
      a->Post();
    }
  }
  auto addresses = Open("ADRESSE.FFD", "XADR", "WWSCRATCH");
  TwwDataSource addressSource(nullptr);
  addressSource.SetDataSet(addresses.get());
  auto parts = std::make_unique<TwwTable>(nullptr);
  parts->SetDatabaseName("WWSCRATCH");
  parts->SetTableName("TEILE.FFD");
  parts->SetIndexName("XTEIL");
  parts->SetMasterSource(&addressSource);
  parts->SetMasterFields("ORT_ID");
  parts->Open();
  auto* c = new TwwDBLookupCombo(form);
  c->SetParent(form);
  c->SetBounds(8, 40, 200, 21);
  c->SetLookupTable(parts.get());
  c->SetLookupField("TEIL_ID");
  SetColumns(c, {"TEIL_NAME\t20\tStadtteil"});
  c->SetShowMatchText(true);
  c->SetDataSource(&addressSource);
  c->SetDataField("TEIL_ID");
  EXPECT_TRUE(c->IsDetailLookupTable());
  addresses->Last();
  driver.Process();
  EXPECT_EQ(c->Text(), "Altstadt");
  EXPECT_EQ(c->Value(), "201");
  // Typed with the list closed: completed from the parts of town 2 only.
  c->SetFocus();
  c->SelectAll();
  driver.Type("B");
  EXPECT_EQ(c->Text(), "Beethovenviertel");
  EXPECT_EQ(c->Value(), "202");
  other->SetFocus();
  EXPECT_EQ(addresses->FieldByName("TEIL_ID")->AsInteger(), 202);
  addresses->Post();
  // The other address shows the part of its own town.
  addresses->First();
  driver.Process();
  EXPECT_EQ(c->Text(), "Altstadt");
  EXPECT_EQ(c->Value(), "101");
  c->SetLookupTable(nullptr);
  c->SetDataSource(nullptr);
  parts->Close();
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

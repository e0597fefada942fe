// The data-aware combo box on a table of print layouts (the date kinds of
// a template stored as numbers, a place preposition as text): display texts
// mapped to stored values both ways and values no item carries, choosing by
// keys, by the list and by completion, the list's typing search and the
// owner-draw list's prefix forgotten after 1500 ms (virtual tick count),
// where the list opens, closing with and without accept, the combo-style
// edit's dialog event, and pictures of the combos closed and dropped down.
#include <gtest/gtest.h>

#include "dbcontrols/edit/wwdbcombo.h"
#include "dbengine/fieldtypes.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/messages.h"
#include "tests/dbcontrols/sample_fixture.h"

namespace wwtest {

namespace {

const char* const kOutputKinds[] = {"Geburtsdatum + x Jahre\t0", "Geburtsdatum + x Tage\t1",
                                    "Quelldatum + x Jahre\t2", "Quelldatum + x Tage\t3", "Beliebiges Datum\t4"};
const char* const kSourceKinds[] = {"Geburtsdatum\t0", "Beliebiges Datum\t1", "Bedeutungslos\t9"};

class Combo : public SampleData {
 protected:
  void SetUp() override {
    Build("LAYOUT", {{"LOUT_NR", fftInt32, 0}, {"LOUT_AUSGTYP", fftInt16, 0}, {"LOUT_QUELLTYP", fftInt16, 0},
                     {"EIGE_ORTPR", fftShortString, 10}},
          {{"XNR", {0}, true, false, true}});
    table = Open("LAYOUT.FFD", "XNR", "WWSCRATCH");
    const int source[] = {9, 1, 5};
    for (int i = 0; i < 3; ++i) {
      table->Append();
      table->FieldByName("LOUT_NR")->SetAsInteger(i + 1);
      table->FieldByName("LOUT_AUSGTYP")->SetAsInteger(i);
      table->FieldByName("LOUT_QUELLTYP")->SetAsInteger(source[i]);
      table->FieldByName("EIGE_ORTPR")->SetAsString(i == 0 ? "in" : "bei");
      table->Post();
    }
    table->First();
    source_ = std::make_unique<TwwDataSource>(nullptr);
    source_->SetDataSet(table.get());
    form = new TForm(Application);
    form->SetBounds(40, 40, 360, 260);
    kind = MakeCombo("LOUT_QUELLTYP", 8, kSourceKinds, 3);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(200, 8, 120, 23);
    form->Show();
    kind->SetFocus();
    driver.Process();
  }
  void TearDown() override {
    if (form) form->Free();
    source_.reset();
    table.reset();
  }

  TwwDBComboBox* MakeCombo(const char* field, int top, const char* const* items, int count, bool mapList = true) {
    auto* c = new TwwDBComboBox(form);
    c->SetParent(form);
    c->SetBounds(8, top, 180, 23);
    c->SetMapList(mapList);
    TStringList list;
    for (int i = 0; i < count; ++i) list.Add(items[i]);
    c->SetItems(&list);
    if (*field) {
      c->SetDataSource(source_.get());
      c->SetDataField(field);
    }
    return c;
  }
  int Stored(const char* field) const { return table->FieldByName(field)->AsInteger(); }
  void Leave() {
    other->SetFocus();
    driver.Process();
  }
  static int Beeps() { return keyboard::BeepCount(); }

  std::unique_ptr<TwwTable> table;
  std::unique_ptr<TwwDataSource> source_;
  TForm* form = nullptr;
  TwwDBComboBox* kind = nullptr;
  TEdit* other = nullptr;
};

}  // namespace

TEST_F(Combo, StoredValuesShowTheirItemsTextAndAChoiceStoresTheItemsValue) {
  EXPECT_EQ(kind->Text(), "Bedeutungslos") << "the value 9";
  EXPECT_EQ(kind->GetItemIndex(), 2);
  EXPECT_EQ(kind->ValueForText(), "9");
  table->Next();
  EXPECT_EQ(kind->Text(), "Beliebiges Datum");
  table->Next();
  EXPECT_EQ(kind->Text(), "") << "no item carries the value 5";
  EXPECT_EQ(kind->GetItemIndex(), -1);
  table->First();
  EXPECT_EQ(kind->Text(), "Bedeutungslos") << "an empty text follows the next record";

  // Up from the last item chooses the one before it; the field gets its
  // value when the edit is left.
  driver.PressKey(VK_UP);
  EXPECT_EQ(kind->Text(), "Beliebiges Datum");
  EXPECT_EQ(table->State(), dsEdit);
  EXPECT_EQ(Stored("LOUT_QUELLTYP"), 9) << "not before the edit is left";
  Leave();
  EXPECT_EQ(Stored("LOUT_QUELLTYP"), 1);
  table->Post();
  table->Refresh();
  EXPECT_EQ(Stored("LOUT_QUELLTYP"), 1);
  EXPECT_EQ(kind->Text(), "Beliebiges Datum");

  // The grid shows a column this combo edits by its display texts.
  AnsiString cell;
  EXPECT_TRUE(kind->GridCellText(table->FieldByName("LOUT_QUELLTYP"), cell));
  EXPECT_EQ(cell, "Beliebiges Datum");
  TwwDBComboBox plain(nullptr);
  EXPECT_FALSE(plain.GridCellText(table->FieldByName("LOUT_QUELLTYP"), cell));
}

TEST_F(Combo, ATextNoItemShowsStoresNoValueAndLettersAreNotRefusedByANumberField) {
  // Typing into a mapped combo on a number field: letters go in.
  const int beeps = Beeps();
  kind->SelectAll();
  driver.Type("Unbekannt");
  EXPECT_EQ(Beeps(), beeps);
  EXPECT_EQ(kind->Text(), "Unbekannt");
  EXPECT_EQ(kind->ValueForText(), "") << "a text no item shows stands for no value";
  Leave();
  EXPECT_TRUE(table->FieldByName("LOUT_QUELLTYP")->IsNull());
  // Without mapping the edit text itself is the value.
  TwwDBComboBox* prep = MakeCombo("EIGE_ORTPR", 40, kSourceKinds, 0, false);
  EXPECT_EQ(prep->Text(), "in");
  prep->SetFocus();
  prep->SelectAll();
  driver.Type("nahe");
  EXPECT_EQ(prep->ValueForText(), "nahe");
  Leave();
  EXPECT_EQ(table->FieldByName("EIGE_ORTPR")->AsString(), "nahe");
}

TEST_F(Combo, TheListOpensBelowChoosesWithKeysAndClosesWithOrWithoutAccept) {
  std::vector<bool> closes;
  int drops = 0;
  kind->OnCloseUp = [&](TObject*, bool accept) { closes.push_back(accept); };
  kind->OnDropDown = [&](TObject*) { ++drops; };
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(kind->DroppedDown());
  EXPECT_EQ(drops, 1);
  TwwPopupListbox* list = kind->PopupList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Items()->Count(), 3);
  EXPECT_EQ(list->Items()->Strings(1), "Beliebiges Datum") << "the list shows the display texts";
  EXPECT_EQ(list->ItemIndex(), 2) << "the shown item is selected";
  EXPECT_TRUE(kind->Focused()) << "the combo keeps the focus";
  const TPoint corner = form->ClientToScreen({kind->Left(), kind->Top()});
  EXPECT_EQ(kind->PopupWindow()->Top(), corner.Y + kind->Height() - 1);
  EXPECT_EQ(kind->PopupWindow()->Left(), corner.X);
  EXPECT_EQ(kind->PopupWindow()->Width(), kind->Width());
  EXPECT_EQ(kind->PopupWindow()->Height(), 3 * list->ItemHeight() + 4);

  driver.PressKey(VK_UP);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(kind->Text(), "Bedeutungslos") << "the edit waits for the close";
  driver.PressKey(VK_ESCAPE);
  EXPECT_FALSE(kind->DroppedDown());
  EXPECT_EQ(kind->Text(), "Bedeutungslos") << "Escape keeps the text";
  EXPECT_FALSE(kind->PopupWindow()->Visible());

  driver.PressKey(VK_UP, ssAlt);
  ASSERT_TRUE(kind->DroppedDown());
  driver.PressKey(VK_UP);
  driver.PressKey(VK_UP);
  driver.PressKey(VK_RETURN);
  EXPECT_FALSE(kind->DroppedDown());
  EXPECT_EQ(kind->Text(), "Geburtsdatum");
  EXPECT_TRUE(kind->Modified());
  EXPECT_EQ(closes, (std::vector<bool>{false, true}));

  // Tab closes with accept and moves on.
  driver.PressKey(VK_DOWN, ssAlt);
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_TAB);
  EXPECT_FALSE(kind->DroppedDown());
  EXPECT_EQ(kind->Text(), "Beliebiges Datum");
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(Stored("LOUT_QUELLTYP"), 1);
  EXPECT_EQ(closes.size(), 3u);
  EXPECT_TRUE(closes.back());
}

TEST_F(Combo, TheMouseOpensWithTheButtonAndChoosesByAReleaseInsideTheList) {
  TwwComboDlgButton* button = kind->Button();
  EXPECT_EQ(button->Parent(), kind->ButtonPanel());
  EXPECT_EQ(kind->ButtonPanel()->Left() + kind->ButtonPanel()->Width(), kind->ClientWidth());
  EXPECT_LE(kind->FormatRect().Right, kind->ButtonPanel()->Left() - 2) << "the text stays clear of the button";
  driver.Click(button);
  ASSERT_TRUE(kind->DroppedDown());
  TwwPopupListbox* list = kind->PopupList();
  const TRect row = list->ItemRect(0);
  driver.Click(list, row.Left + 5, (row.Top + row.Bottom) / 2);
  EXPECT_FALSE(kind->DroppedDown());
  EXPECT_EQ(kind->Text(), "Geburtsdatum");

  // A release outside the list closes without accept.
  driver.Click(button);
  ASSERT_TRUE(kind->DroppedDown());
  const TRect second = list->ItemRect(1);
  driver.MouseDown(list, second.Left + 5, second.Top + 2);
  driver.MouseUp(list, list->Width() + 30, 5);
  EXPECT_FALSE(kind->DroppedDown());
  EXPECT_EQ(kind->Text(), "Geburtsdatum");

  // A press on another control closes with accept.
  driver.Click(button);
  driver.PressKey(VK_DOWN);
  driver.Click(other);
  EXPECT_FALSE(kind->DroppedDown());
  EXPECT_EQ(kind->Text(), "Beliebiges Datum");
  EXPECT_EQ(Stored("LOUT_QUELLTYP"), 1);
}

TEST_F(Combo, ShowMatchTextCompletesAtTheEndOfTheTextButNotInTheMiddle) {
  TwwDBComboBox* out = MakeCombo("LOUT_AUSGTYP", 40, kOutputKinds, 5);
  out->SetShowMatchText(true);
  out->SetFocus();
  driver.Process();
  ASSERT_EQ(out->Text(), "Geburtsdatum + x Jahre");
  out->SelectAll();
  driver.Type("q");
  EXPECT_EQ(out->Text(), "Quelldatum + x Jahre");
  EXPECT_EQ(out->SelStart(), 1);
  EXPECT_EQ(out->SelLength(), static_cast<int>(out->Text().size()) - 1) << "the completed part stays selected";
  driver.Type("uelldatum + x T");
  EXPECT_EQ(out->Text(), "Quelldatum + x Tage");
  EXPECT_EQ(out->SelStart(), 16);
  EXPECT_EQ(out->GetItemIndex(), 3);
  // In the middle of the text the character is typed as it is.
  out->SetSelStart(2);
  out->SetSelLength(0);
  driver.Type("Z");
  EXPECT_EQ(out->Text(), "QuZelldatum + x Tage");
  Leave();
  EXPECT_TRUE(table->FieldByName("LOUT_AUSGTYP")->IsNull()) << "a text no item shows";
  out->SetFocus();
  out->SelectAll();
  driver.Type("Bel");
  EXPECT_EQ(out->Text(), "Beliebiges Datum");
  Leave();
  EXPECT_EQ(Stored("LOUT_AUSGTYP"), 4);
}

TEST_F(Combo, APickOnlyListJumpsToTheNextItemOfATypedLetterGoingRound) {
  const char* const places[] = {"an", "auf", "bei", "5. Bezirk", "in", "nahe", "unweit"};
  TwwDBComboBox* prep = MakeCombo("EIGE_ORTPR", 40, places, 7, false);
  prep->SetStyle(csDropDownList);
  prep->SetAllowClearKey(true);
  prep->SetFocus();
  driver.Process();
  ASSERT_EQ(prep->Text(), "in");
  EXPECT_FALSE(prep->IsTextChangeable());
  driver.PressKey('A');
  EXPECT_EQ(prep->Text(), "an") << "from the item after the chosen one, going round";
  driver.PressKey('A');
  EXPECT_EQ(prep->Text(), "auf");
  driver.PressKey('A');
  EXPECT_EQ(prep->Text(), "an");
  driver.PressKey(VK_NUMPAD0 + 5);
  EXPECT_EQ(prep->Text(), "5. Bezirk") << "a digit of the numeric pad";
  driver.PressKey('X');
  EXPECT_EQ(prep->Text(), "5. Bezirk") << "no item begins with X";
  driver.Type("z");
  EXPECT_EQ(prep->Text(), "5. Bezirk") << "the text of a pick-only list is not typed into";
  driver.PressKey(VK_DELETE);
  EXPECT_EQ(prep->Text(), "") << "the clear key clears the choice";
  EXPECT_EQ(prep->GetItemIndex(), -1);
  // Open, the first key starts the text afresh and the list follows it.
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(prep->DroppedDown());
  driver.Type("u");
  EXPECT_EQ(prep->Text(), "u");
  EXPECT_EQ(prep->PopupList()->ItemIndex(), 6);
  driver.PressKey(VK_BACK);
  EXPECT_EQ(prep->GetItemIndex(), -1) << "the clear key on an emptied text selects nothing";
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(prep->Text(), "");
  Leave();
  EXPECT_EQ(table->FieldByName("EIGE_ORTPR")->AsString(), "");

  // With AutoDropDown a typed key opens the list of a typed-into combo.
  prep->SetStyle(csDropDown);
  prep->SetAutoDropDown(true);
  prep->SetFocus();
  driver.Type("na");
  EXPECT_TRUE(prep->DroppedDown());
  EXPECT_EQ(prep->Text(), "na") << "the text the list opened on is replaced";
  EXPECT_EQ(prep->PopupList()->ItemIndex(), 5);
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(prep->Text(), "nahe");
}

TEST_F(Combo, TheListSearchesAsTheUserTypesAndTheOwnerDrawListForgetsItsPrefix) {
  // A typed character while the list is open selects the first row that
  // begins with the text the edit will show.
  const char* const places[] = {"an", "auf", "bei", "in", "nahe", "unweit"};
  TwwDBComboBox* prep = MakeCombo("EIGE_ORTPR", 40, places, 6, false);
  prep->SetFocus();
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(prep->DroppedDown());
  prep->SelectAll();
  driver.Type("n");
  EXPECT_EQ(prep->PopupList()->ItemIndex(), 4);
  EXPECT_EQ(prep->Text(), "n");
  driver.Type("x");
  EXPECT_EQ(prep->PopupList()->ItemIndex(), -1) << "nothing begins with nx";
  driver.PressKey(VK_ESCAPE);

  // The owner-drawn list keeps the typed prefix from key to key until the
  // user pauses for more than 1500 ms.
  int drawn = 0;
  prep->SetStyle(csOwnerDrawFixed);
  prep->OnDrawItem = [&](TWinControl* c, int index, TRect r, TOwnerDrawState) {
    ++drawn;
    auto* combo = static_cast<TwwDBComboBox*>(c);
    combo->Canvas()->TextOut(r.Left + 2, r.Top, combo->DisplayText(index));
  };
  driver.PressKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(prep->DroppedDown());
  TwwPopupListbox* list = prep->PopupList();
  driver.Advance(1600);  // the keys typed above are forgotten
  driver.Type("a");
  EXPECT_EQ(list->ItemIndex(), 0) << "an";
  driver.Advance(1000);
  driver.Type("u");
  EXPECT_EQ(list->SearchText(), "au");
  EXPECT_EQ(list->ItemIndex(), 1) << "auf";
  driver.Advance(1501);
  driver.Type("b");
  EXPECT_EQ(list->SearchText(), "b") << "forgotten after the pause";
  EXPECT_EQ(list->ItemIndex(), 2);
  driver.Advance(1500);
  driver.Type("e");
  EXPECT_EQ(list->SearchText(), "be") << "a pause of exactly 1500 ms keeps it";
  driver.PressKey(VK_BACK);
  EXPECT_EQ(list->SearchText(), "");
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(prep->Text(), "bei");
  driver.SavePng(form, "combo_owner_draw");
  EXPECT_GT(drawn, 0);
}

TEST_F(Combo, ALongListShowsDropDownCountRowsAndOpensAboveWhenTheScreenEnds) {
  std::vector<AnsiString> texts;
  TStringList many;
  for (int i = 1; i <= 20; ++i) many.Add("Eintrag " + IntToStr(i) + "\t" + IntToStr(i));
  kind->SetItems(&many);
  kind->SetDropDownWidth(240);
  kind->DropDown();
  ASSERT_TRUE(kind->DroppedDown());
  TwwPopupListbox* list = kind->PopupList();
  EXPECT_EQ(kind->PopupWindow()->Height(), 8 * list->ItemHeight() + 4);
  EXPECT_EQ(kind->PopupWindow()->Width(), 240);
  kind->CloseUp(false);

  // Near the bottom of the screen (800 pixels) the list opens above.
  form->SetBounds(40, 700, 360, 90);
  driver.Process();
  kind->DropDown();
  const TPoint corner = form->ClientToScreen({kind->Left(), kind->Top()});
  EXPECT_EQ(kind->PopupWindow()->Top(), corner.Y - kind->PopupWindow()->Height());
  kind->CloseUp(false);
  // Near the right edge it is aligned with the combo's right end.
  form->SetBounds(650, 100, 150, 90);
  driver.Process();
  kind->DropDown();
  const TPoint right = form->ClientToScreen({kind->Left(), kind->Top()});
  EXPECT_EQ(kind->PopupWindow()->Left(), right.X + kind->Width() - 1 - 240);
  kind->CloseUp(false);
}

TEST_F(Combo, TheCustomComboRunsItsDialogAsItsDropDown) {
  auto* dlg = new TwwDBCustomCombo(form);
  dlg->SetParent(form);
  dlg->SetBounds(8, 72, 180, 23);
  dlg->SetDataSource(source_.get());
  dlg->SetDataField("EIGE_ORTPR");
  EXPECT_EQ(dlg->ButtonStyle(), cbsEllipsis);
  bool wasDropped = false;
  dlg->OnCustomDlg = [&](TObject*) {
    wasDropped = dlg->DroppedDown();
    EXPECT_EQ(table->State(), dsEdit) << "the field link is editing for the dialog";
    dlg->SetText("nahe");
  };
  driver.Click(dlg->Button());
  EXPECT_TRUE(wasDropped);
  EXPECT_FALSE(dlg->DroppedDown());
  EXPECT_EQ(dlg->Text(), "nahe");
  dlg->SetShowButton(false);
  EXPECT_FALSE(dlg->ButtonPanel()->Visible());
  EXPECT_GT(dlg->FormatRect().Right, dlg->ClientWidth() - 5) << "without the button the text takes the width";
  // A combo of the simple style shows no button and never drops down.
  kind->SetStyle(csSimple);
  EXPECT_FALSE(kind->ShowButton());
  kind->DropDown();
  EXPECT_FALSE(kind->DroppedDown());
  kind->SetStyle(csDropDown);
  EXPECT_TRUE(kind->ShowButton());
}

// Hidden when made and shown later, a combo lays out as one shown from the
// start: its button at the right edge, its text beside it.
TEST_F(Combo, AComboHiddenAtCreationAndShownLaterDrawsAsOneShownFromTheStart) {
  form->Free();
  form = new TForm(Application);
  form->SetBounds(40, 40, 360, 260);
  TwwDBComboBox* later = MakeCombo("LOUT_AUSGTYP", 40, kOutputKinds, 5);
  later->SetVisible(false);
  TwwDBComboBox* shown = MakeCombo("LOUT_AUSGTYP", 8, kOutputKinds, 5);
  form->Show();
  later->SetVisible(true);
  driver.SavePng(form, "combo_shown_later");
  EXPECT_TRUE(later->ButtonPanel()->BoundsRect() == shown->ButtonPanel()->BoundsRect());
  EXPECT_TRUE(later->FormatRect() == shown->FormatRect());
}

TEST_F(Combo, Screens) {
  TwwDBComboBox* out = MakeCombo("LOUT_AUSGTYP", 40, kOutputKinds, 5);
  auto* dlg = new TwwDBCustomCombo(form);
  dlg->SetParent(form);
  dlg->SetBounds(8, 72, 180, 23);
  dlg->SetText(CP1252("Bitte wählen").str());
  driver.SavePng(form, "combo_closed");
  out->SetFocus();
  driver.PressKey(VK_DOWN, ssAlt);
  driver.PressKey(VK_DOWN);
  ASSERT_TRUE(out->DroppedDown());
  // The form and the list's window where they stand on the screen.
  TBitmap formPicture, listPicture;
  formPicture.LoadFromFile(driver.SavePng(form, "combo_dropped_form"));
  listPicture.LoadFromFile(driver.SavePng(out->PopupWindow(), "combo_dropped_list"));
  const TPoint formAt = form->ClientToScreen({0, 0}), listAt = out->PopupWindow()->ClientToScreen({0, 0});
  TBitmap screen(formPicture.Width(), formPicture.Height());
  screen.Canvas()->Draw(0, 0, formPicture);
  screen.Canvas()->Draw(listAt.X - formAt.X, listAt.Y - formAt.Y, listPicture);
  screen.SaveToPng(TUiTestDriver::ArtifactDir() + "/combo_dropped.png");
  EXPECT_EQ(screen.Canvas()->Pixels(listAt.X - formAt.X + listPicture.Width() - 8, listAt.Y - formAt.Y + 2 + out->PopupList()->ItemHeight() * 3 / 2),
            ColorToRGB(clHighlight))
      << "the second row is selected";
}

}  // namespace wwtest

// The published grid on the place table and on a table of appointments:
// a combo box and a data-aware edit of the form laid over their columns and
// writing their fields, check boxes toggled by Space and clicks, multi-
// selection by Ctrl and Shift clicks and by Space on a "selected" column,
// picture cells, memo cells and the memo dialog (never for pictures), rich
// text shown as plain text, fixed columns and a stretched last column, and
// the picture of a grid with its combo box and check boxes.
#include <gtest/gtest.h>

#include <set>

#include "dbcontrols/edit/wwdbedit.h"
#include "platform/db/dbtables.h"
#include "tests/dbcontrols/dbgrid_fixture.h"

namespace wwtest {

namespace {

// A drop-down list bound to a field, as a form would use one to edit a
// column of a grid.
class TTestDBCombo : public TComboBox {
  ORV_CLASS_PUBLISHED(TTestDBCombo, TComboBox)
  explicit TTestDBCombo(TComponent* owner) : TComboBox(owner) {
    SetStyle(csDropDownList);
    link_.SetControl(this);
    link_.OnDataChange = [this](TObject*) {
      showing_ = true;
      SetItemIndex(link_.Field() ? Items()->IndexOf(link_.Field()->AsString()) : -1);
      showing_ = false;
    };
    link_.OnUpdateData = [this](TObject*) { link_.Field()->SetAsString(Text()); };
  }
  ~TTestDBCombo() override { link_.SetDataSource(nullptr); }
  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* v) { link_.SetDataSource(v); }
  const AnsiString& DataField() const { return link_.FieldName(); }
  void SetDataField(const AnsiString& v) { link_.SetFieldName(v); }
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_GETDATALINK) {
      m.Result = reinterpret_cast<LRESULT>(static_cast<TDataLink*>(&link_));
      return;
    }
    TComboBox::Dispatch(m);
  }

 protected:
  void Change() override {
    if (!showing_) {
      const int chosen = ItemIndex();
      if (!link_.Editing()) {
        link_.Edit();
        showing_ = true;
        SetItemIndex(chosen);  // the record's value came back on the way
        showing_ = false;
      }
      link_.Modified();
    }
    TComboBox::Change();
  }
  void DoExit() override {
    link_.UpdateRecord();
    TComboBox::DoExit();
  }

 private:
  TFieldDataLink link_;
  bool showing_ = false;
};

void TTestDBCombo::PublishProperties(TClassInfo& ci) {
  PublishObject<TTestDBCombo, TDataSource>(ci, "DataSource", &TTestDBCombo::DataSource, &TTestDBCombo::SetDataSource);
  PublishString<TTestDBCombo>(ci, "DataField", &TTestDBCombo::DataField, &TTestDBCombo::SetDataField);
}

// A control that counts the F2 key-downs it receives (the rich-text
// editor of a column stands in for the real one).
class TF2Counter : public TCustomControl {
  ORV_CLASS(TF2Counter, TCustomControl)
  explicit TF2Counter(TComponent* owner) : TCustomControl(owner) {}
  int f2 = 0;

 protected:
  void KeyDown(Word& key, TShiftState shift) override {
    if (key == VK_F2) ++f2;
    TCustomControl::KeyDown(key, shift);
  }
};

class PlacesGrid : public SampleData {
 protected:
  void SetUp() override {
    table = Open("ORT.FFD", "XPKORTE");
    source = std::make_unique<TwwDataSource>(nullptr);
    source->SetDataSet(table.get());
    form = new TForm(Application);
    form->SetClientSize(560, 300);
  }
  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    source.reset();
    table.reset();
  }

  void MakeGrid(const std::vector<const char*>& columns) {
    grid = MakeGridOn(form, source.get(), columns, 280);
    form->Show();
    grid->SetFocus();
    driver.Process();
  }

  void SetTypes(const std::vector<const char*>& types) {
    TStringList list;
    for (const char* t : types) list.Add(t);
    table->SetControlType(&list);
  }

  void ClickCell(int col, int row, TShiftState shift = 0) {
    const TRect r = grid->CellRect(col, row);
    driver.Click(grid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, shift);
    driver.Process();
  }

  int Id() const { return table->FieldByName("ORTE_ID")->AsInteger(); }

  // The places the grid's selected bookmarks stand for.
  std::set<int> SelectedIds() {
    std::set<int> ids;
    TBookmark here = table->GetBookmark();
    for (TBookmark bm : grid->SelectedList()) {
      table->GotoBookmark(bm);
      ids.insert(Id());
    }
    table->GotoBookmark(here);
    table->FreeBookmark(here);
    return ids;
  }

  // The place shown in a data row.
  int IdInRow(int dataRow) {
    TwwGridDataLink* link = grid->DataLink();
    const int saved = link->ActiveRecord();
    link->SetActiveRecord(dataRow);
    const int id = Id();
    link->SetActiveRecord(saved);
    return id;
  }

  std::unique_ptr<TwwTable> table;
  std::unique_ptr<TwwDataSource> source;
  TForm* form = nullptr;
  TwwDBGrid* grid = nullptr;
};

}  // namespace

TEST_F(PlacesGrid, AComboOfTheFormEditsItsColumnAndCheckBoxesToggleTheirs) {
  SetTypes({"ORTE_ATTR;Combo;cbArt", "ORTE_DISPATTR;CheckBox;True;False"});
  auto* combo = new TTestDBCombo(form);
  combo->SetName("cbArt");
  combo->SetParent(form);
  combo->SetBounds(300, 250, 100, 21);
  for (const char* item : {"Burg", "Dorf", "Kloster", "Stadt"}) combo->Items()->Add(item);
  MakeGrid({"ORTE_ID\t5\tNr.", "ORTE_NAME\t22\tOrt", "ORTE_ATTR\t10\tArt", "ORTE_DISPATTR\t7\tAnzeigen"});
  EXPECT_EQ(combo->Parent(), grid) << "the control moved onto the grid";
  EXPECT_FALSE(combo->Visible());
  EXPECT_EQ(combo->DataSource(), source.get());
  EXPECT_EQ(combo->DataField(), "ORTE_ATTR");

  // On its column the combo lies exactly over the current cell.
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_RIGHT);
  driver.PressKey(VK_RIGHT);
  driver.Process();
  const int place = Id();
  ASSERT_EQ(grid->GetSelectedIndex(), 2);
  ASSERT_TRUE(combo->Visible());
  EXPECT_EQ(combo->BoundsRect(), grid->CellRect(3, grid->Row()));
  EXPECT_EQ(grid->CurrentEditControl(), combo);
  EXPECT_TRUE(grid->Focused()) << "the grid keeps the focus";
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());

  // Typing goes into the combo, which chooses by the first letter.
  driver.Type("k");
  driver.Process();
  EXPECT_TRUE(combo->Focused());
  EXPECT_EQ(combo->Text(), "Kloster");
  // Alt+Down drops its list down from the grid too.
  grid->SetFocus();
  driver.Process();
  driver.PressKey(VK_DOWN, ssAlt);
  driver.Process();
  EXPECT_TRUE(combo->DroppedDown());
  driver.PressKey(VK_ESCAPE);
  driver.Process();
  EXPECT_FALSE(combo->DroppedDown());

  // Leaving the row writes and posts the choice.
  grid->SetFocus();
  driver.PressKey(VK_DOWN);
  driver.Process();
  EXPECT_EQ(table->State(), dsBrowse);
  ASSERT_TRUE(table->FindKey({place}));
  EXPECT_EQ(table->FieldByName("ORTE_ATTR")->AsString(), "Kloster");

  // Space on the check-box column toggles the field.
  driver.PressKey(VK_RIGHT);
  driver.Process();
  ASSERT_EQ(grid->GetSelectedIndex(), 3);
  EXPECT_FALSE(combo->Visible()) << "the combo stays with its column";
  const bool shown = table->FieldByName("ORTE_DISPATTR")->AsBoolean();
  const int checked = Id();
  driver.PressKey(VK_SPACE);
  driver.Process();
  EXPECT_EQ(table->State(), dsEdit);
  EXPECT_EQ(table->FieldByName("ORTE_DISPATTR")->AsBoolean(), !shown);
  driver.PressKey(VK_UP);
  driver.Process();
  ASSERT_TRUE(table->FindKey({checked}));
  EXPECT_EQ(table->FieldByName("ORTE_DISPATTR")->AsBoolean(), !shown);

  // A single click toggles with ecoCheckboxSingleClick, else a double click.
  const int row = grid->Row();
  const bool now = table->FieldByName("ORTE_DISPATTR")->AsBoolean();
  ClickCell(4, row);
  EXPECT_EQ(table->FieldByName("ORTE_DISPATTR")->AsBoolean(), now) << "one click is not enough by default";
  driver.DoubleClick(grid, (grid->CellRect(4, row).Left + grid->CellRect(4, row).Right) / 2,
                     grid->CellRect(4, row).Top + 5);
  driver.Process();
  EXPECT_EQ(table->FieldByName("ORTE_DISPATTR")->AsBoolean(), !now);
  grid->SetEditControlOptions(grid->EditControlOptions() | ecoCheckboxSingleClick);
  ClickCell(4, row);
  EXPECT_EQ(table->FieldByName("ORTE_DISPATTR")->AsBoolean(), now);
  table->Cancel();

  // A read-only grid toggles nothing.
  grid->SetReadOnly(true);
  driver.PressKey(VK_SPACE);
  EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(PlacesGrid, ScreenOfTheGridWithAComboAndCheckBoxes) {
  for (int i : {1, 2, 4}) {
    table->First();
    table->MoveBy(i);
    table->Edit();
    table->FieldByName("ORTE_DISPATTR")->SetAsBoolean(true);
    table->FieldByName("ORTE_ATTR")->SetAsString(i == 2 ? "Kloster" : "Stadt");
    table->Post();
  }
  table->First();
  SetTypes({"ORTE_ATTR;Combo;cbArt", "ORTE_DISPATTR;CheckBox;True;False"});
  auto* combo = new TTestDBCombo(form);
  combo->SetName("cbArt");
  combo->SetParent(form);
  for (const char* item : {"Burg", "Dorf", "Kloster", "Stadt"}) combo->Items()->Add(item);
  MakeGrid({"ORTE_ID\t5\tNr.", "ORTE_NAME\t24\tOrt", "ORTE_ATTR\t12\tArt", "ORTE_DISPATTR\t8\tAnzeigen"});
  grid->SetTitleAlignment(taCenter);
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_RIGHT);
  driver.PressKey(VK_RIGHT);
  driver.Process();
  ASSERT_TRUE(combo->Visible());
  driver.SavePng(form, "dbgrid_combo_checkboxes");
  // The combo's text is drawn over the cell, its arrow at the cell's right.
  const TRect cell = grid->CellRect(3, grid->Row());
  int dark = 0;
  for (int x = cell.Left + 2; x < cell.Left + 40; ++x)
    for (int y = cell.Top + 2; y < cell.Bottom - 2; ++y) dark += ColorToRGB(driver.PixelAt(grid, x, y)) == 0;
  EXPECT_GT(dark, 10) << "\"Kloster\" in the combo";
  EXPECT_EQ(combo->Text(), "Kloster");
}

TEST_F(PlacesGrid, RecordsAreSelectedByCtrlAndShiftClicksAndBySpace) {
  table->Close();
  auto* selected = new TBooleanField(nullptr);
  selected->SetFieldName("SELECTED");
  selected->SetCalculated(true);
  selected->SetDataSet(table.get());
  table->Open();
  SetTypes({"SELECTED;CheckBox;True;False"});
  MakeGrid({"SELECTED\t3\t ", "ORTE_ID\t5\tNr.", "ORTE_NAME\t24\tOrt"});
  grid->SetOptions(grid->Options() | dgMultiSelect);
  grid->SetMultiSelectOptions(msoShiftSelect);
  const int top = grid->TitleOffset();

  ClickCell(2, top + 1, ssCtrl);
  const int first = Id();
  ClickCell(2, top + 3, ssCtrl);
  const int anchor = Id();
  EXPECT_EQ(SelectedIds(), (std::set<int>{first, anchor}));
  EXPECT_TRUE(grid->IsCurrentRecordSelected());
  // A Ctrl click on a selected record takes it out again.
  ClickCell(2, top + 1, ssCtrl);
  EXPECT_EQ(SelectedIds(), (std::set<int>{anchor}));

  // Shift extends from the last Ctrl click (the anchor) to the clicked row.
  ClickCell(2, top + 3, ssCtrl);
  ClickCell(2, top + 3, ssCtrl);
  ClickCell(2, top + 6, ssShift);
  std::set<int> range;
  for (int r = 3; r <= 6; ++r) range.insert(IdInRow(r));
  EXPECT_EQ(SelectedIds(), range);
  EXPECT_EQ(grid->SelectedList().size(), range.size()) << "each record once";
  EXPECT_EQ(grid->Row(), top + 6) << "the clicked record stays in the clicked row";
  EXPECT_EQ(Id(), IdInRow(6));
  // And back up past the anchor: the rows between anchor and click.
  ClickCell(2, top + 1, ssShift);
  range.clear();
  for (int r = 1; r <= 3; ++r) range.insert(IdInRow(r));
  for (int r = 4; r <= 6; ++r) range.insert(IdInRow(r));  // kept from before
  EXPECT_EQ(SelectedIds(), range);

  // The selected rows are highlighted and their check boxes checked.
  driver.Process();
  for (int r = 0; r < 8; ++r) {
    const TRect cell = grid->CellRect(3, top + r);
    EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, cell.Right - 3, cell.Bottom - 3)) == ColorToRGB(clHighlight),
              r >= 1 && r <= 6)
        << r;
  }

  // Space on the check column selects and unselects the current record.
  grid->UnselectAll();
  EXPECT_TRUE(grid->SelectedList().empty());
  driver.PressKey(VK_HOME);
  ClickCell(1, top + 2);
  ASSERT_EQ(grid->GetSelectedIndex(), 0);
  driver.PressKey(VK_SPACE);
  EXPECT_EQ(SelectedIds(), std::set<int>{Id()});
  grid->SelectRecord();
  EXPECT_EQ(grid->SelectedList().size(), 1u) << "selecting twice keeps one bookmark";
  driver.PressKey(VK_SPACE);
  EXPECT_TRUE(grid->SelectedList().empty());

  // OnMultiSelectRecord may refuse; a read-only check field toggles nothing.
  grid->OnMultiSelectRecord = [](TwwDBGrid*, bool selecting, bool& accept) { accept = !selecting; };
  driver.PressKey(VK_SPACE);
  EXPECT_TRUE(grid->SelectedList().empty());
  grid->OnMultiSelectRecord = nullptr;
  selected->SetReadOnly(true);
  driver.PressKey(VK_SPACE);
  EXPECT_TRUE(grid->SelectedList().empty());
  EXPECT_EQ(table->State(), dsBrowse);
  table->Close();
  delete selected;
}

TEST_F(PlacesGrid, FixedColumnsAndAStretchedLastColumn) {
  MakeGrid({"ORTE_ID\t5\tNr.", "ORTE_NAME\t20\tOrt", "ORTE_ATTR\t8\tArt"});
  grid->SetTitleColor(clBtnFace);
  grid->SetFixedCols(1);
  EXPECT_EQ(grid->TCustomGrid::FixedCols(), 2) << "indicator and one data column";
  EXPECT_EQ(grid->GetColCount(), 4);
  EXPECT_GE(grid->Col(), 2);
  driver.Process();
  const TRect fixedCell = grid->CellRect(1, grid->TitleOffset() + 3);
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, fixedCell.Right - 3, fixedCell.Bottom - 3)), ColorToRGB(clBtnFace));
  // Shift+Tab from the first scrollable column goes to the row above, not
  // into the fixed column.
  driver.PressKey(VK_DOWN);
  const int id = Id();
  ClickCell(2, grid->Row());
  driver.PressKey(VK_TAB, ssShift);
  driver.Process();
  EXPECT_NE(Id(), id);
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  // Beyond the columns at run time: stored, not applied.
  grid->SetFixedCols(7);
  EXPECT_EQ(grid->FixedCols(), 7);
  EXPECT_EQ(grid->TCustomGrid::FixedCols(), 1);
  grid->SetFixedCols(0);

  // The indicator button, once shown, sets the indicator's width and makes
  // room for itself in the title row.
  TwwIButton* button = grid->IndicatorButton();
  ASSERT_NE(button, nullptr);
  EXPECT_FALSE(button->Visible());
  EXPECT_EQ(grid->ColWidths(0), wwIndicatorWidth);
  const int titleHeight = grid->RowHeights(0);
  button->SetVisible(true);
  button->SetBounds(0, 0, 20, titleHeight + 10);
  EXPECT_EQ(grid->ColWidths(0), 19);
  EXPECT_GE(grid->RowHeights(0), titleHeight + 9);
  button->SetVisible(false);
  button->SetBounds(0, 0, wwIndicatorWidth + 1, 18);
  EXPECT_EQ(grid->RowHeights(0), titleHeight);

  const AnsiString entry = grid->Selected()->Strings(2);
  grid->StretchLastColumn();
  int total = 0;
  for (int c = 0; c < grid->ColCount(); ++c) total += grid->ColWidths(c) + grid->GridLineWidth();
  EXPECT_EQ(total, grid->ClientWidth() - 3 + grid->GridLineWidth());
  EXPECT_EQ(grid->Selected()->Strings(2), entry) << "the stretched width is not written back";
  // Columns already wider than the grid leave the last one alone.
  TStringList wide;
  wide.Add("ORTE_ID\t5\tNr.");
  wide.Add("ORTE_NAME\t90\tOrt");
  wide.Add("ORTE_ATTR\t8\tArt");
  grid->SetSelected(&wide);
  const int last = grid->ColWidths(3);
  grid->StretchLastColumn();
  EXPECT_EQ(grid->ColWidths(3), last);
}

TEST_F(PlacesGrid, FieldsAsColumnsWriteSelectedOnceHoweverOftenTheGridIsLaidOut) {
  MakeGrid({"ORTE_ID\t5\tNr."});
  table->FieldByName("ORTE_ATTR")->SetVisible(false);
  grid->SetUseTFields(true);
  // Titles, options and a user's column resize each lay the grid out again.
  grid->SetTitleLines(2);
  grid->SetOptions(grid->Options() | dgRowLines);
  grid->TCustomGrid::SetColWidths(2, grid->ColWidths(2) + 40);
  std::vector<AnsiString> expected, written;
  for (int i = 0; i < table->FieldCount(); ++i)
    if (TField* f = table->Fields(i); f->Visible())
      expected.push_back(f->FieldName() + "\t" + IntToStr(f->DisplayWidth()) + "\t" + f->DisplayLabel());
  for (int i = 0; i < grid->Selected()->Count(); ++i) written.push_back(grid->Selected()->Strings(i));
  EXPECT_EQ(written, expected) << "one entry per visible field, as the fields are now";
}

TEST_F(PlacesGrid, OnlyDatasetsOfTheFamilyAreShown) {
  MakeGrid({"ORTE_ID\t5\tNr."});
  TTable plain(nullptr);
  plain.SetDatabaseName("Orvelan");
  plain.SetTableName("ORT.FFD");
  plain.Open();
  TwwDataSource other(nullptr);
  other.SetDataSet(&plain);
  const std::size_t boxes = driver.MessageBoxes().size();
  grid->SetDataSource(&other);
  EXPECT_EQ(driver.MessageBoxes().size(), boxes + 1);
  EXPECT_EQ(grid->DataSource(), nullptr);
  EXPECT_FALSE(grid->DataLink()->Active());
}

// The grid reads a new dataset with its controls off; when they come on again,
// an error of another control reaches the caller like any other (it must not
// end the program), and the grid reads the dataset again the next time.
TEST_F(PlacesGrid, AnErrorOfTheControlsAfterTheGridReadItsDatasetReachesTheCaller) {
  MakeGrid({"ORTE_ID\t5\tNr.", "ORTE_NAME\t20\tOrt"});
  grid->SetDataSource(nullptr);
  TwwDataSource other(nullptr);
  other.SetDataSet(table.get());
  bool raise = true;
  other.OnDataChange = [&](TObject*, TField*) {
    if (raise) throw EDatabaseError("Anzeige fehlgeschlagen");
  };
  EXPECT_THROW(grid->SetDataSource(source.get()), EDatabaseError);
  raise = false;
  EXPECT_FALSE(table->ControlsDisabled());
  grid->SetDataSource(nullptr);
  grid->SetDataSource(source.get());
  driver.Process();
  ASSERT_TRUE(grid->DataLink()->Active());
  EXPECT_EQ(grid->Selected()->Count(), 2);
  EXPECT_EQ(grid->GetColField(1)->FieldName(), "ORTE_NAME");
}

// ---------------------------------------------------------------- appointments

namespace {

// Asks for the text of a cell as painting does: with the data link's active
// record on the cell's row (rows other than the current one read the
// stored record).
class TCellTextGrid : public TwwDBGrid {
 public:
  explicit TCellTextGrid(TComponent* owner) : TwwDBGrid(owner) {}
  AnsiString CellText(int dataCol, int dataRow) {
    TwwGridDataLink* link = DataLink();
    const int saved = link->ActiveRecord();
    link->SetActiveRecord(dataRow);
    paintDataRow_ = dataRow;
    AnsiString text = GetDisplayText(dataCol);
    link->SetActiveRecord(saved);
    return text;
  }
};

class AppointmentsGrid : public Appointments {
 protected:
  void SetTypes(const std::vector<const char*>& types) {
    TStringList list;
    for (const char* t : types) list.Add(t);
    table->SetControlType(&list);
  }
};

}  // namespace

TEST_F(AppointmentsGrid, PicturesAreShownAndNeverOpenedAsText) {
  SetTypes({"TERM_BILD;Bitmap;Source Copy;Stretch To Fit"});
  TwwDBGrid* grid = MakeGrid({"TERM_NR\t4\tNr.", "TERM_BILD\t8\tBild", "TERM_TEXT\t12\tText"}, 200);
  grid->SetRowHeightPercent(200);
  form->Show();
  grid->SetFocus();
  driver.Process();
  const TRect cell = grid->CellRect(2, grid->TitleOffset() + 2);
  const int x = (cell.Left + cell.Right) / 2;
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, x, cell.Top + 2)), ColorToRGB(clRed));
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, x, (cell.Top + cell.Bottom) / 2)), ColorToRGB(clWhite));
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, x, cell.Bottom - 3)), ColorToRGB(clBlue));

  // Neither a double click nor F2 opens the picture as text (a dialog
  // would stop the test in its modal loop), and the picture stays.
  const AnsiString picture = table->FieldByName("TERM_BILD")->AsString();
  const std::size_t boxes = driver.MessageBoxes().size();
  driver.DoubleClick(grid, x, (cell.Top + cell.Bottom) / 2);
  driver.Process();
  ASSERT_EQ(grid->GetSelectedIndex(), 1);
  driver.PressKey(VK_F2);
  driver.Process();
  // The same with the column shown as a plain BLOB.
  table->ControlType()->Clear();
  grid->Invalidate();
  driver.DoubleClick(grid, x, (cell.Top + cell.Bottom) / 2);
  driver.PressKey(VK_F2);
  driver.Process();
  EXPECT_EQ(table->FieldByName("TERM_BILD")->AsString(), picture);
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(driver.MessageBoxes().size(), boxes) << "no dialog, no error";

  // The memo dialog itself refuses a picture field.
  TwwMemoDialog dialog(nullptr);
  dialog.SetDataSource(source.get());
  dialog.SetDataField("TERM_BILD");
  EXPECT_THROW(dialog.Execute(), EInvalidOperation);
  EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(AppointmentsGrid, MemoCellsShowTheirTextAndRichTextItsPlainText) {
  auto* grid = MakeGrid<TCellTextGrid>({"TERM_NR\t4\tNr.", "TERM_NOTIZ\t30\tNotiz"});
  form->Show();
  driver.Process();
  auto cellText = [&](int dataRow) { return grid->CellText(1, dataRow); };
  EXPECT_EQ(cellText(2), "(Memo)");
  grid->SetMemoAttributes(grid->MemoAttributes() | mGridShow);
  grid->SetOptions(grid->Options() & ~dgWordWrap);
  EXPECT_EQ(cellText(0), "Notiz 1") << "cut at the line break";
  EXPECT_EQ(cellText(2), "Notiz 3");
  grid->SetOptions(grid->Options() | dgWordWrap);
  EXPECT_EQ(cellText(2), "Notiz 3\r\nzweite Zeile");
  table->Edit();
  table->FieldByName("TERM_NOTIZ")->SetAsString(AnsiString(300, 'x') + "\r\nEnde");
  table->Post();
  EXPECT_EQ(cellText(0).size(), 255u) << "at most 255 characters, even wrapped";

  // A rich-text column shows the text without its formatting; F2 and a
  // double click go to its editor.
  auto* editor = new TF2Counter(form);
  editor->SetName("reNotiz");
  editor->SetParent(form);
  SetTypes({"TERM_NOTIZ;RichEdit;reNotiz"});
  table->Edit();
  table->FieldByName("TERM_NOTIZ")->SetAsString("{\\rtf1\\ansi Hallo {\\b fette} Welt\\par}");
  table->Post();
  grid->LayoutChanged();
  EXPECT_EQ(cellText(0), "Hallo fette Welt");
  grid->SetFocus();
  driver.PressKey(VK_RIGHT);
  driver.PressKey(VK_F2);
  EXPECT_EQ(editor->f2, 1);
  const TRect cell = grid->CellRect(2, grid->Row());
  driver.DoubleClick(grid, cell.Left + 5, cell.Top + 5);
  EXPECT_EQ(editor->f2, 2);
}

TEST_F(AppointmentsGrid, AnEditOfTheFormTypesIntoItsColumn) {
  SetTypes({"TERM_TEXT;CustomEdit;edText"});
  auto* edit = new TwwDBEdit(form);
  edit->SetName("edText");
  edit->SetParent(form);
  TwwDBGrid* grid = MakeGrid({"TERM_NR\t4\tNr.", "TERM_TEXT\t20\tText", "TERM_DATUM\t12\tDatum"});
  form->Show();
  grid->SetFocus();
  driver.Process();
  driver.PressKey(VK_RIGHT);
  driver.Process();
  ASSERT_TRUE(edit->Visible());
  EXPECT_EQ(edit->Parent(), grid);
  EXPECT_EQ(edit->BorderStyle(), bsNone);
  EXPECT_EQ(edit->Text(), "Termin 1");
  // While the grid has the focus the edit draws the cell's focus frame.
  int frame = 0;
  for (int x = 0; x < edit->Width(); ++x) frame += ColorToRGB(driver.PixelAt(edit, x, 0)) != ColorToRGB(clWindow);
  EXPECT_GT(frame, edit->Width() / 3);
  driver.Type("Arzt");
  driver.Process();
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->Text(), "Arzt") << "the first character replaced the text";
  // Tab writes the text and moves on in the grid.
  driver.PressKey(VK_TAB);
  driver.Process();
  EXPECT_TRUE(grid->Focused());
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  EXPECT_FALSE(edit->Visible());
  EXPECT_EQ(table->FieldByName("TERM_TEXT")->AsString(), "Arzt");
  // Down in the edit moves the grid's record.
  driver.PressKey(VK_LEFT);
  driver.PressKey(VK_F2);
  driver.Process();
  ASSERT_TRUE(edit->Focused());
  driver.PressKey(VK_DOWN);
  driver.Process();
  EXPECT_EQ(Nr(), 2);
  EXPECT_EQ(table->State(), dsBrowse);
  table->First();
  EXPECT_EQ(table->FieldByName("TERM_TEXT")->AsString(), "Arzt");
}

}  // namespace wwtest

// Columns, options and painting of the grid base: widths and titles from
// the Selected list, the width a user's resize writes back, fields missing
// from the dataset, tab stops of read-only and calculated fields, the
// option and property rules, the text writers, and what the painter puts
// on the screen (indicator glyphs, highlight, check boxes, title buttons).
#include "dbcontrols/intl/wwintl.h"
#include "platform/gfx/recorder.h"
#include "platform/ui/stdctrls.h"
#include "tests/dbcontrols/grid_fixture.h"

namespace wwtest {

namespace {

std::unique_ptr<TStringList> Lines(std::initializer_list<const char*> lines) {
  auto l = std::make_unique<TStringList>();
  for (const char* s : lines) l->Add(s);
  return l;
}

int TextWidth(TFont* font, const AnsiString& s) {
  TRecordingDevice dev;
  TCanvas c(&dev);
  c.Font()->Assign(*font);
  return c.TextWidth(s);
}

bool Dark(TColor c) {
  const unsigned rgb = ColorToRGB(c);
  return (rgb & 0xFF) < 80 && ((rgb >> 8) & 0xFF) < 80 && ((rgb >> 16) & 0xFF) < 80;
}

}  // namespace

class GridLayout : public GridOnPlaces {
 protected:
  int Zero() { return TextWidth(grid->Font(), "0"); }
  int Dark(int col, int row) {
    const TRect r = grid->CellRect(col, row);
    int n = 0;
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
      for (int x = r.Left + 1; x < r.Right - 1; ++x) n += wwtest::Dark(driver.PixelAt(grid, x, y));
    return n;
  }
};

TEST_F(GridLayout, WidthsAndTitlesComeFromTheSelectedList) {
  const int c = Zero();
  ASSERT_GT(c, 2);
  EXPECT_EQ(grid->ColWidths(0), wwIndicatorWidth);
  EXPECT_EQ(grid->ColWidths(1), 6 * c + 4);
  EXPECT_EQ(grid->ColWidths(2), 24 * c + 4);
  // A title wider than the field's room widens the column.
  EXPECT_EQ(grid->ColWidths(4), std::max(4 * c + 4, TextWidth(grid->TitleFont(), "Anz.") + 4));
  EXPECT_EQ(grid->GetFieldCount(), 4);
  EXPECT_EQ(grid->ColCount(), 5);
  EXPECT_EQ(grid->FixedCols(), 1);
  EXPECT_EQ(grid->GetFields(1)->FieldName(), "ORTE_NAME");
  EXPECT_EQ(grid->GetColField(4), nullptr);

  // Two parts: room for the field's label, an empty title. A title of two
  // lines is as wide as its longer line.
  auto l = Lines({"ORTE_ID\t2", "ORTE_NAME\t2\tOrts~bezeichnung", "GIBTSNICHT\t5\tWeg", "orte_attr\t3\tArt"});
  grid->SetSelected(l.get());
  EXPECT_EQ(grid->ColWidths(1), TextWidth(grid->TitleFont(), "ORTE_ID") + 4);
  EXPECT_EQ(grid->ColWidths(2), TextWidth(grid->TitleFont(), "bezeichnung") + 4);
  // A field the dataset lacks leaves the list; case does not matter.
  ASSERT_EQ(grid->Selected()->Count(), 3);
  EXPECT_EQ(grid->Selected()->Strings(2), "orte_attr\t3\tArt");
  EXPECT_EQ(grid->GetFieldCount(), 3);
  EXPECT_EQ(grid->GetFields(2)->FieldName(), "ORTE_ATTR");
  driver.Process();
  EXPECT_EQ(Dark(1, 0), 0) << "no title in the two-part entry's title cell";
  EXPECT_GT(Dark(3, 0), 0);

  // A width that is no number stops the layout with the conversion error
  // and leaves the grid able to lay out again.
  auto bad = Lines({"ORTE_ID\tbreit\tNr."});
  EXPECT_THROW(grid->SetSelected(bad.get()), EConvertError);
  auto good = Lines({"ORTE_ID\t8\tNr."});
  grid->SetSelected(good.get());
  EXPECT_EQ(grid->ColWidths(1), 8 * c + 4);
}

TEST_F(GridLayout, AClosedDatasetLeavesOneEmptyColumn) {
  table->Close();
  TStringList empty;
  grid->SetSelected(&empty);
  EXPECT_EQ(grid->ColCount(), 2);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->DataLink()->FieldCount(), 0);
  grid->SetOptions(grid->Options() & ~dgIndicator);
  EXPECT_EQ(grid->ColCount(), 1);
  table->Open();
  EXPECT_EQ(grid->ColCount(), 1) << "an empty list shows no field";
  EXPECT_EQ(grid->RowCount(), 1 + grid->DataLink()->RecordCount());
  ExpectConsistent("open again");
}

TEST_F(GridLayout, AUserResizeWritesTheWidthBack) {
  const int c = Zero();
  auto l = Lines({"ORTE_ID\t10\tNr.", "ORTE_NAME\t20"});
  grid->SetSelected(l.get());
  ASSERT_EQ(grid->ColWidths(1), 10 * c + 4);
  // Drag the border of the first data column by the mouse.
  const int border = grid->CellRect(1, 0).Right;
  driver.Drag(grid, {border, 5}, {border + 6, 5});
  const int w = grid->ColWidths(1);
  EXPECT_EQ(w, 10 * c + 4 + 6);
  EXPECT_EQ(grid->Selected()->Strings(0), "ORTE_ID\t" + IntToStr((w + c / 2 - 3) / c) + "\tNr.");
  EXPECT_EQ(grid->Selected()->Strings(1), "ORTE_NAME\t20") << "an entry without a title keeps none";
  // The column is laid out again from the written width.
  EXPECT_EQ(grid->ColWidths(1), (w + c / 2 - 3) / c * c + 4);

  // n characters give n * c + 4 pixels, and those pixels give n back.
  for (int n : {1, 7, 10, 33}) {
    grid->TCustomGrid::SetColWidths(1, n * c + 4);
    EXPECT_EQ(grid->Selected()->Strings(0), "ORTE_ID\t" + IntToStr(n) + "\tNr.") << n;
  }
  // While the layout is rebuilt nothing is written back.
  grid->SetTitleLines(2);
  EXPECT_EQ(grid->Selected()->Strings(0), "ORTE_ID\t33\tNr.");

  // With the fields as columns the field's DisplayWidth takes the width.
  grid->SetUseTFields(true);
  TField* id = table->FieldByName("ORTE_ID");
  const int col = 1 + id->Index();
  grid->TCustomGrid::SetColWidths(col, 15 * c + 4);
  EXPECT_EQ(id->DisplayWidth(), 15);
  EXPECT_EQ(grid->ColWidths(col), std::max(15 * c + 4, TextWidth(grid->TitleFont(), "ORTE_ID") + 4));
}

TEST_F(GridLayout, FieldsAsColumnsAndTabStopsOfReadOnlyAndCalculatedFields) {
  table->Close();
  auto* calc = new TStringField(nullptr);
  calc->SetFieldName("KURZ");
  calc->SetSize(3);
  calc->SetCalculated(true);
  calc->SetDataSet(table.get());
  table->OnCalcFields = [](TDataSet* d) {
    d->FieldByName("KURZ")->SetAsString(d->FieldByName("ORTE_NAME")->AsString().substr(0, 3));
  };
  table->Open();
  table->FieldByName("ORTE_ATTR")->SetVisible(false);
  table->FieldByName("ORTE_ID")->SetReadOnly(true);
  grid->SetUseTFields(true);
  std::vector<AnsiString> shown;
  for (int i = 0; i < grid->GetFieldCount(); ++i) shown.push_back(grid->GetFields(i)->FieldName());
  std::vector<AnsiString> expected;
  for (int i = 0; i < table->FieldCount(); ++i)
    if (table->Fields(i)->Visible()) expected.push_back(table->Fields(i)->FieldName());
  EXPECT_EQ(shown, expected) << "visible fields in field order";
  auto colOf = [&](const char* name) {
    for (int i = 0; i < grid->GetFieldCount(); ++i)
      if (grid->GetFields(i)->FieldName() == name) return i + 1;
    return -1;
  };
  EXPECT_FALSE(grid->TabStops(colOf("ORTE_ID"))) << "read-only";
  EXPECT_TRUE(grid->TabStops(colOf("ORTE_NAME")));
  EXPECT_FALSE(grid->TabStops(colOf("KURZ"))) << "calculated";
  grid->SetEditCalculated(true);
  grid->LayoutChanged();
  EXPECT_TRUE(grid->TabStops(colOf("KURZ"))) << "calculated with EditCalculated";

  // Moving a column moves the field.
  std::vector<std::pair<int, int>> moves;
  grid->OnColumnMoved = [&](TObject*, int from, int to) { moves.push_back({from, to}); };
  const TRect nameTitle = grid->CellRect(colOf("ORTE_NAME"), 0);
  const TRect idTitle = grid->CellRect(colOf("ORTE_ID"), 0);
  driver.Drag(grid, {nameTitle.Left + 10, 5}, {idTitle.Left + 5, 5});
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(table->FieldByName("ORTE_NAME")->Index(), 0);
  EXPECT_EQ(grid->GetFields(0)->FieldName(), "ORTE_NAME");
}

TEST_F(GridLayout, MovingAColumnReordersTheSelectedList) {
  std::vector<std::pair<int, int>> moves;
  grid->OnColumnMoved = [&](TObject*, int from, int to) { moves.push_back({from, to}); };
  const TRect from = grid->CellRect(3, 0), to = grid->CellRect(1, 0);
  driver.Drag(grid, {from.Left + 10, 5}, {to.Left + 5, 5});
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0], std::make_pair(2, 0)) << "data column numbers";
  EXPECT_EQ(grid->Selected()->Strings(0), "ORTE_ATTR\t12\tArt");
  EXPECT_EQ(grid->Selected()->Strings(1), "ORTE_ID\t6\tNr.");
  EXPECT_EQ(grid->GetFields(0)->FieldName(), "ORTE_ATTR");
}

TEST_F(GridLayout, OptionsAndProperties) {
  TwwCustomDBGrid fresh(nullptr);
  EXPECT_EQ(fresh.Options(), wwDefaultGridOptions);
  EXPECT_EQ(fresh.KeyOptions(), dgAllowDelete | dgAllowInsert);
  EXPECT_EQ(fresh.ColWidths(0), wwIndicatorWidth);
  EXPECT_TRUE(fresh.UseTFields());
  EXPECT_TRUE(fresh.DefaultDrawing());
  EXPECT_EQ(fresh.TitleColor(), clBtnFace);
  EXPECT_EQ(fresh.IndicatorColor(), icBlack);
  EXPECT_TRUE(fresh.ShowHorzScrollBar());
  EXPECT_EQ(fresh.TCustomGrid::Options(), static_cast<TGridOptions>(goFixedVertLine | goVertLine | goFixedHorzLine |
                                                                   goHorzLine | goColSizing | goColMoving |
                                                                   goEditing | goTabs));

  // Row select takes editing away from the library grid.
  grid->SetOptions(grid->Options() | dgRowSelect);
  EXPECT_FALSE(grid->TCustomGrid::Options() & goEditing);
  EXPECT_TRUE(grid->TCustomGrid::Options() & goRowSelect);
  grid->SetOptions(grid->Options() & ~dgRowSelect);
  EXPECT_TRUE(grid->TCustomGrid::Options() & goEditing);
  grid->SetOptions(grid->Options() & ~(dgColLines | dgColumnResize));
  EXPECT_FALSE(grid->TCustomGrid::Options() & (goVertLine | goFixedVertLine | goColSizing | goColMoving));

  // Row heights: the text height of "W", lines, the percentage, titles.
  const int h = grid->DefaultRowHeight();
  grid->SetRowHeightPercent(200);
  EXPECT_EQ(grid->DefaultRowHeight(), h * 2);
  grid->SetRowHeightPercent(0);
  EXPECT_EQ(grid->RowHeightPercent(), 100);
  EXPECT_EQ(grid->DefaultRowHeight(), h * 2) << "0 is stored as 100 without a new layout";
  grid->LayoutChanged();
  EXPECT_EQ(grid->DefaultRowHeight(), h);
  const int title = grid->RowHeights(0);
  grid->SetTitleLines(0);
  EXPECT_EQ(grid->TitleLines(), 1);
  grid->SetTitleLines(2);
  TRecordingDevice dev;
  TCanvas c(&dev);
  c.Font()->Assign(*grid->TitleFont());
  EXPECT_EQ(grid->RowHeights(0), title + c.TextHeight("W"));
  grid->SetOptions(grid->Options() & ~dgTitles);
  EXPECT_EQ(grid->FixedRows(), 0);
  EXPECT_EQ(grid->TitleOffset(), 0);
  EXPECT_EQ(grid->RawToDataRow(0), 0);
  ExpectConsistent("without titles");
  grid->SetOptions(grid->Options() & ~dgIndicator);
  EXPECT_EQ(grid->FixedCols(), 0);
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->GetSelectedIndex(), grid->Col());
  grid->SetOptions(grid->Options() | dgIndicator | dgTitles);
  EXPECT_EQ(grid->ColWidths(0), wwIndicatorWidth);
  EXPECT_GE(grid->Col(), 1) << "the indicator column is never current";
  ExpectConsistent("titles again");

  grid->TCustomGrid::SetScrollBars(ssBoth);
  EXPECT_TRUE(grid->ShowHorzScrollBar());
  grid->SetShowHorzScrollBar(false);
  EXPECT_EQ(grid->ScrollBars(), ssNone);
  grid->SetShowHorzScrollBar(true);
  EXPECT_EQ(grid->ScrollBars(), ssHorizontal);

  // The field map has its limit.
  TwwGridDataLink link(grid);
  link.SetDataSource(source.get());
  for (int i = 0; i < wwMaxGridColumns; ++i) link.AddMapping("ORTE_ID");
  EXPECT_THROW(link.AddMapping("ORTE_ID"), EInvalidGridOperation);
  EXPECT_EQ(link.FieldCount(), wwMaxGridColumns);
  EXPECT_EQ(link.FieldMapEntry(0), table->FieldByName("ORTE_ID")->Index());
}

TEST_F(GridLayout, TextWritersPlaceAndBreakText) {
  TRecordingDevice dev;
  TCanvas c(&dev);
  c.Font()->Assign(*grid->Font());
  const TRect cell{100, 20, 200, 60};
  const int w = c.TextWidth("Bonn");
  grid->WriteText(&c, cell, 3, 2, "Bonn", taRightJustify);
  grid->WriteText(&c, cell, 3, 2, "Bonn", taLeftJustify);
  grid->WriteText(&c, cell, 3, 2, "Bonn", taCenter);
  auto runs = dev.Find("Text");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0]->Args[0], 200 - w - 3);
  EXPECT_EQ(runs[1]->Args[0], 103);
  EXPECT_EQ(runs[2]->Args[0], 100 + 50 - w / 2);
  EXPECT_FALSE(dev.Find("FillRect").empty()) << "the text is drawn opaque";

  dev.Clear();
  const int room = c.TextWidth("Frankfurt am") + 3;
  const TRect narrow{0, 0, room + 1, 200};
  grid->WriteWrapped(&c, narrow, 3, taLeftJustify, "Frankfurt am Main\r\nOder\n\rund  Spree", 2);
  runs = dev.Find("Text");
  std::vector<std::string> lines;
  for (auto* r : runs) lines.push_back(r->Text);
  EXPECT_EQ(lines, (std::vector<std::string>{"Frankfurt am ", "Main", "Oder", "und  Spree"}));
  const int th = c.TextHeight("Frankfurt am ");
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[1]->Args[1] - runs[0]->Args[1], th) << "DY moves the whole block";
  EXPECT_EQ(runs[2]->Args[1] - runs[1]->Args[1], th);
  TTextMetric tm;
  c.GetTextMetrics(tm);
  EXPECT_EQ(runs[0]->Args[1], tm.tmAscent + 2) << "the first line DY below the top";
  // A word wider than the cell stands alone; blanks starting a wrapped line go.
  dev.Clear();
  grid->WriteWrapped(&c, {0, 0, 20, 200}, 3, taLeftJustify, "Donaueschingen   Ulm", 2);
  lines.clear();
  for (auto* r : dev.Find("Text")) lines.push_back(r->Text);
  EXPECT_EQ(lines, (std::vector<std::string>{"Donaueschingen   ", "Ulm"}));
  // Writing stops at the bottom of the cell.
  dev.Clear();
  grid->WriteWrapped(&c, {0, 0, 20, th + 2}, 3, taLeftJustify, "a b c d", 2);
  EXPECT_EQ(dev.Find("Text").size(), 1u);
}

TEST_F(GridLayout, IndicatorHighlightAndFocusAreOnTheScreen) {
  for (int i = 0; i < 3; ++i) driver.PressKey(VK_DOWN);
  driver.Process();
  const int row = grid->Row();
  EXPECT_GT(Dark(0, row), 10) << "the arrow";
  EXPECT_EQ(Dark(0, row + 1), 0);
  const TRect cur = grid->CellRect(1, row);
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, cur.Left + 2, cur.Bottom - 2)), ColorToRGB(clHighlight));
  const TRect other = grid->CellRect(2, row);
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, other.Left + 2, other.Bottom - 2)), ColorToRGB(clWindow));
  // In edit state the indicator shows the edit glyph, when inserting the
  // insert glyph: different pixels each time.
  auto indicator = [&] {
    std::vector<unsigned> px;
    const TRect r = grid->CellRect(0, grid->Row());
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) px.push_back(ColorToRGB(driver.PixelAt(grid, x, y)));
    return px;
  };
  const auto arrow = indicator();
  table->Edit();
  driver.Process();
  const auto edit = indicator();
  EXPECT_NE(arrow, edit);
  table->Cancel();
  table->Insert();
  driver.Process();
  const auto insert = indicator();
  EXPECT_NE(insert, edit);
  EXPECT_NE(insert, arrow);
  table->Cancel();
  driver.Process();
  EXPECT_EQ(indicator(), arrow);
  // A yellow glyph on the cell colour.
  grid->SetIndicatorColor(icYellow);
  driver.Process();
  int yellow = 0;
  for (unsigned p : indicator()) yellow += p == static_cast<unsigned>(ColorToRGB(clYellow));
  EXPECT_GT(yellow, 10);
  EXPECT_EQ(Dark(0, grid->Row()), 0);

  // Without the focus and dgAlwaysShowSelection nothing is highlighted.
  auto* other2 = new TEdit(form);
  other2->SetParent(form);
  other2->SetBounds(0, 0, 10, 10);
  other2->SetFocus();
  driver.Process();
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, cur.Left + 2, cur.Bottom - 2)), ColorToRGB(clWindow));
  grid->SetOptions(grid->Options() | dgAlwaysShowSelection);
  driver.Process();
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, cur.Left + 2, cur.Bottom - 2)), ColorToRGB(clHighlight));
}

TEST_F(GridLayout, AnEmptyDatasetShowsNoSelectedRow) {
  grid->SetOptions(grid->Options() | dgRowSelect | dgAlwaysShowSelection);
  auto highlighted = [&] {  // pixels of the first data row in the highlight colour
    driver.Process();
    int n = 0;
    for (int x = grid->CellRect(1, 1).Left; x < grid->ClientWidth(); x += 3)
      n += ColorToRGB(driver.PixelAt(grid, x, grid->CellRect(1, 1).Top + 2)) == ColorToRGB(clHighlight);
    return n;
  };
  table->SetRange({-9}, {-1});  // no place has such a key
  ASSERT_TRUE(table->IsEmpty());
  EXPECT_EQ(highlighted(), 0);
  driver.SavePng(grid, "grid_empty_dataset");
  table->CancelRange();
  EXPECT_GT(highlighted(), 20);
}

TEST_F(GridLayout, CellColoursTitlesAndTitleButtons) {
  std::vector<AnsiString> titles;
  grid->OnCalcTitleAttributes = [&](TObject*, const AnsiString& name, TFont*, TBrush* brush, TAlignment& align) {
    titles.push_back(name);
    if (name == "ORTE_NAME") {
      brush->SetColor(clYellow);
      align = taRightJustify;
    }
  };
  grid->OnCalcCellColors = [&](TObject*, TField* field, TGridDrawState, bool highlight, TFont*, TBrush* brush) {
    if (field && field->FieldName() == "ORTE_ATTR" && !highlight) brush->SetColor(clAqua);
  };
  grid->Invalidate();
  driver.Process();
  EXPECT_EQ(titles, (std::vector<AnsiString>{"ORTE_ID", "ORTE_NAME", "ORTE_ATTR", "ORTE_DISPATTR"}));
  const TRect name = grid->CellRect(2, 0), attr = grid->CellRect(3, 2);
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, name.Left + 3, name.Bottom - 3)), ColorToRGB(clYellow));
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, attr.Left + 2, attr.Bottom - 2)), ColorToRGB(clAqua));
  // Right-aligned title: its text ends near the right edge.
  int lastDark = -1;
  for (int x = name.Left; x < name.Right; ++x)
    for (int y = name.Top + 2; y < name.Bottom - 2; ++y)
      if (wwtest::Dark(driver.PixelAt(grid, x, y))) lastDark = x;
  EXPECT_GT(lastDark, name.Right - 8);

  // Title buttons: pressed while the mouse is down, a click on release.
  std::vector<AnsiString> clicks;
  grid->OnTitleButtonClick = [&](TObject*, const AnsiString& f) { clicks.push_back(f); };
  grid->SetTitleButtons(true);
  driver.Process();
  const TRect id = grid->CellRect(1, 0);
  const TColor up = driver.PixelAt(grid, id.Left + 1, id.Top + 1);
  driver.MouseDown(grid, id.Left + 15, 5);
  driver.Process();
  EXPECT_NE(driver.PixelAt(grid, id.Left + 1, id.Top + 1), up) << "the pressed frame";
  driver.MouseUp(grid, id.Left + 15, 5);
  driver.Process();
  EXPECT_EQ(driver.PixelAt(grid, id.Left + 1, id.Top + 1), up);
  EXPECT_EQ(clicks, (std::vector<AnsiString>{"ORTE_ID"}));
  driver.MouseDown(grid, id.Left + 15, 5);
  driver.MouseUp(grid, grid->CellRect(3, 2).Left + 5, grid->CellRect(3, 2).Top + 5);
  EXPECT_EQ(clicks.size(), 1u) << "released elsewhere: no click";

  // Without default drawing the text is left to OnDrawDataCell.
  grid->SetDefaultDrawing(false);
  grid->Invalidate();
  driver.Process();
  EXPECT_EQ(Dark(2, 3), 0);
  EXPECT_EQ(grid->painted.size(), static_cast<std::size_t>(grid->DataLink()->RecordCount()));
}

TEST_F(GridLayout, CheckBoxCellsShowTheFieldsValue) {
  auto types = Lines({"ORTE_DISPATTR;CheckBox;True;False"});
  table->SetControlType(types.get());
  grid->Invalidate();
  driver.Process();
  const int row = grid->TitleOffset() + 1;
  ASSERT_EQ(table->FieldByName("ORTE_DISPATTR")->AsString(), "False");
  const int unchecked = Dark(4, row);
  EXPECT_GT(unchecked, 0) << "the box's frame";
  EXPECT_TRUE(grid->IsWwDataCell(4, row));
  AnsiString on, off;
  EXPECT_TRUE(grid->GetCheckBoxValues(table->FieldByName("ORTE_DISPATTR"), on, off));
  EXPECT_EQ(on, "True");
  EXPECT_EQ(off, "False");
  EXPECT_FALSE(grid->IsSelectedFieldCell(3));

  // The same cell with the values swapped shows a mark.
  types = Lines({"ORTE_DISPATTR;CheckBox;false;true"});
  table->SetControlType(types.get());
  grid->Invalidate();
  driver.Process();
  const int checked = Dark(4, row);
  EXPECT_GT(checked, unchecked + 10) << "letter case ignored";
  // The crossed style.
  wwGlobalIntl()->SetCheckBoxInGridStyle(cbStyleXmark);
  grid->Invalidate();
  driver.Process();
  EXPECT_GT(Dark(4, row), unchecked);
  wwGlobalIntl()->SetCheckBoxInGridStyle(cbStyleAuto);
}

}  // namespace wwtest

// Fixture of the grid tests: the place table of the reference data (ORT,
// ordered by its key) shown in a grid on a form, a test grid that opens a
// few protected parts, and a check that the grid's rows, its current row
// and the data link's window agree with the table.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dbcontrols/grid/wwdbgrid.h"
#include "dbcontrols/grid/wwinplace.h"
#include "tests/dbcontrols/sample_fixture.h"

namespace wwtest {

class TTestGrid : public TwwCustomDBGrid {
 public:
  explicit TTestGrid(TComponent* owner) : TwwCustomDBGrid(owner) {
    // Every painted data cell notes the record it showed.
    OnDrawDataCell = [this](TObject*, const TRect&, TField* field, TGridDrawState) {
      if (field && field->FieldName() == "ORTE_ID") painted[paintDataRow_] = field->AsInteger();
    };
  }
  using TCustomGrid::CellRect;
  using TCustomGrid::ColWidths;
  using TCustomGrid::TabStops;
  using TwwCustomDBGrid::WriteText;
  using TwwCustomDBGrid::WriteWrapped;
  std::map<int, int> painted;  // data row -> ORTE_ID
  int hideEditControlCalls = 0;
  // The multi-select operations note their calls; rows given here count
  // as selected.
  std::vector<std::string> calls;
  std::set<int> selectedRows;
  bool currentSelected = false;
  void SelectRecord() override { calls.push_back("select"); }
  void UnselectRecord() override { calls.push_back("unselect"); }
  void UnselectAll() override { calls.push_back("unselect all"); }
  bool IsCurrentRecordSelected() override { return currentSelected; }
  void SetDesigning(bool on) { SetComponentStateFlag(csDesigning, on); }
  void CallTimedScroll(TGridScrollDirection d) { TimedScroll(d); }

 protected:
  void HideEditControl() override { ++hideEditControlCalls; }
  bool IsRowMultiSelected(int dataRow) override { return selectedRows.count(dataRow) > 0; }
};

class GridOnPlaces : public SampleData {
 protected:
  void SetUp() override {
    table = Open("ORT.FFD", "XPKORTE");
    ids.clear();
    for (table->First(); !table->Eof(); table->Next()) ids.push_back(table->FieldByName("ORTE_ID")->AsInteger());
    table->First();
    source = std::make_unique<TwwDataSource>(nullptr);
    source->SetDataSet(table.get());
    form = new TForm(Application);
    form->SetClientSize(560, 400);
    grid = new TTestGrid(form);
    grid->SetParent(form);
    grid->SetBounds(8, 8, 540, 380);
    grid->SetUseTFields(false);
    TStringList columns;
    columns.Add("ORTE_ID\t6\tNr.");
    columns.Add("ORTE_NAME\t24\tOrt");
    columns.Add("ORTE_ATTR\t12\tArt");
    columns.Add("ORTE_DISPATTR\t4\tAnz.");
    grid->SetSelected(&columns);
    grid->SetDataSource(source.get());
    form->Show();
    grid->SetFocus();
    driver.Process();
  }
  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    source.reset();
    table.reset();
  }

  int Id() const { return table->FieldByName("ORTE_ID")->AsInteger(); }
  int Pos() const {
    return static_cast<int>(std::find(ids.begin(), ids.end(), Id()) - ids.begin());
  }

  // The grid shows the records around the current one in table order: the
  // current row is the link's active record, the window is as full as the
  // table allows, and each row holds the record that follows the one above.
  void ExpectConsistent(const char* step) {
    SCOPED_TRACE(step);
    TwwGridDataLink* link = grid->DataLink();
    const int pos = Pos();
    ASSERT_LT(pos, static_cast<int>(ids.size()));
    const int active = link->ActiveRecord();
    const int n = link->RecordCount();
    ASSERT_EQ(grid->Row() - grid->TitleOffset(), active);
    ASSERT_EQ(grid->RowCount(), grid->TitleOffset() + n);
    EXPECT_EQ(n, std::min<int>(link->BufferCount(), static_cast<int>(ids.size())));
    ASSERT_GE(pos - active, 0);
    ASSERT_LE(pos - active + n, static_cast<int>(ids.size()));
    for (int r = 0; r < n; ++r) {
      link->SetActiveRecord(r);
      EXPECT_EQ(table->FieldByName("ORTE_ID")->AsInteger(), ids[static_cast<std::size_t>(pos - active + r)]) << r;
    }
    link->SetActiveRecord(active);
    EXPECT_EQ(Id(), ids[static_cast<std::size_t>(pos)]);
  }

  // Paints the whole grid and checks that each row showed its record.
  void ExpectPaintedRows(const char* step) {
    SCOPED_TRACE(step);
    grid->painted.clear();
    grid->Invalidate();
    driver.Process();
    TwwGridDataLink* link = grid->DataLink();
    const int pos = Pos(), active = link->ActiveRecord();
    ASSERT_EQ(static_cast<int>(grid->painted.size()), link->RecordCount());
    for (auto [row, id] : grid->painted) EXPECT_EQ(id, ids[static_cast<std::size_t>(pos - active + row)]) << row;
  }

  std::unique_ptr<TwwTable> table;
  std::unique_ptr<TwwDataSource> source;
  std::vector<int> ids;
  TForm* form = nullptr;
  TTestGrid* grid = nullptr;
};

}  // namespace wwtest

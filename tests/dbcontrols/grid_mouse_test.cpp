// The mouse and the focus on the grid: clicks move the table and the
// column, a click on the current cell opens the editor, a border press
// writes a pending edit before the resize, the multi-select operations are
// called as the modifiers say, leaving the grid writes or drops the edit,
// and fonts, a freed data source and the design-time row fit are followed.
#include "platform/ui/stdctrls.h"
#include "tests/dbcontrols/grid_fixture.h"

namespace wwtest {

class GridMouse : public GridOnPlaces {
 protected:
  TPoint CellCentre(int col, int row) {
    const TRect r = grid->CellRect(col, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void ClickCell(int col, int row, TShiftState shift = 0) {
    const TPoint p = CellCentre(col, row);
    driver.Click(grid, p.X, p.Y, shift);
  }
};

TEST_F(GridMouse, ClicksMoveTheTableAndTheColumn) {
  driver.PressKey(VK_NEXT);
  const int start = Pos(), row = grid->Row();
  ClickCell(2, grid->TitleOffset() + 5);
  EXPECT_EQ(Pos(), start + grid->TitleOffset() + 5 - row);
  EXPECT_EQ(grid->Row(), grid->TitleOffset() + 5);
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  ExpectConsistent("clicked a row");
  // The current cell again: the editor opens.
  ClickCell(2, grid->TitleOffset() + 5);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(table->FieldByName("ORTE_NAME")->AsString(), grid->InplaceEditor()->Text());
  // The wheel over the editor moves the records.
  const int before = Pos();
  driver.Wheel(grid->InplaceEditor(), -2);
  EXPECT_EQ(Pos(), before + 2);
  ExpectConsistent("wheel over the editor");
  // A click in the indicator column moves the record, not the column.
  ClickCell(0, grid->TitleOffset() + 1);
  EXPECT_EQ(grid->Row(), grid->TitleOffset() + 1);
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
  ExpectConsistent("indicator click");
  // Below the last row nothing moves.
  const int here = Pos();
  driver.Click(grid, 100, grid->ClientHeight() - 2);
  EXPECT_EQ(Pos(), here);
}

TEST_F(GridMouse, ABorderPressWritesThePendingEditFirst) {
  driver.PressKey(VK_RIGHT);
  driver.Type("Gera");
  EXPECT_NE(table->FieldByName("ORTE_NAME")->AsString(), "Gera");
  const int border = grid->CellRect(2, 0).Right;
  driver.Drag(grid, {border, 5}, {border + 20, 5});
  EXPECT_EQ(table->FieldByName("ORTE_NAME")->AsString(), "Gera") << "written before the resize";
  EXPECT_EQ(table->State(), dsEdit);
  EXPECT_EQ(grid->Selected()->Strings(1).substr(0, 10), "ORTE_NAME\t");
  EXPECT_NE(grid->Selected()->Strings(1), "ORTE_NAME\t24\tOrt") << "and the width written back";
  table->Cancel();
}

TEST_F(GridMouse, MultiSelectionFollowsTheModifiers) {
  ClickCell(2, grid->TitleOffset() + 2);
  EXPECT_TRUE(grid->calls.empty()) << "without dgMultiSelect";
  grid->SetOptions(grid->Options() | dgMultiSelect);
  grid->SetMultiSelectOptions(msoAutoUnselect);
  ClickCell(2, grid->TitleOffset() + 3);
  EXPECT_EQ(grid->calls, (std::vector<std::string>{"unselect all", "select"}));
  grid->calls.clear();
  ClickCell(2, grid->TitleOffset() + 4, ssCtrl);
  EXPECT_EQ(grid->calls, (std::vector<std::string>{"select"}));
  grid->calls.clear();
  grid->currentSelected = true;
  ClickCell(2, grid->TitleOffset() + 4, ssCtrl);
  EXPECT_EQ(grid->calls, (std::vector<std::string>{"unselect"}));
  EXPECT_FALSE(grid->HasSelectionAnchor()) << "no anchor without msoShiftSelect";

  // With msoShiftSelect the clicked record becomes the anchor; a Shift
  // click keeps it.
  grid->SetMultiSelectOptions(msoShiftSelect);
  ClickCell(2, grid->TitleOffset() + 1, ssCtrl);
  ASSERT_TRUE(grid->HasSelectionAnchor());
  const int anchorId = Id();
  ClickCell(2, grid->TitleOffset() + 6, ssShift);
  ASSERT_TRUE(grid->HasSelectionAnchor());
  table->GotoBookmark(grid->SelectionAnchor());
  EXPECT_EQ(Id(), anchorId);

  // Highlight follows the selected rows, not the current cell.
  grid->selectedRows = {0, 2};
  grid->Invalidate();
  driver.Process();
  auto colour = [&](int dataRow) {
    const TRect r = grid->CellRect(3, grid->TitleOffset() + dataRow);
    return ColorToRGB(driver.PixelAt(grid, r.Right - 3, r.Bottom - 3));
  };
  EXPECT_EQ(colour(0), ColorToRGB(clHighlight));
  EXPECT_EQ(colour(1), ColorToRGB(clWindow));
  EXPECT_EQ(colour(2), ColorToRGB(clHighlight));
}

TEST_F(GridMouse, LeavingTheGridWritesTheEditOrDropsAnUntouchedNewRecord) {
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(0, 0, 10, 10);
  driver.PressKey(VK_RIGHT);
  driver.Type("Jena");
  other->SetFocus();
  EXPECT_EQ(table->FieldByName("ORTE_NAME")->AsString(), "Jena");
  EXPECT_EQ(table->State(), dsEdit);
  table->Cancel();

  grid->SetFocus();
  driver.PressKey(VK_INSERT);
  EXPECT_EQ(table->State(), dsInsert);
  other->SetFocus();
  EXPECT_EQ(table->State(), dsBrowse) << "an untouched new record goes with the focus";
  ExpectConsistent("after the dropped insert");

  grid->SetOptions(grid->Options() & ~dgCancelOnExit);
  grid->SetFocus();
  driver.PressKey(VK_INSERT);
  other->SetFocus();
  EXPECT_EQ(table->State(), dsInsert) << "kept without dgCancelOnExit";
  table->Cancel();
}

TEST_F(GridMouse, FontsRebuildTheColumns) {
  const int width = grid->ColWidths(2), height = grid->DefaultRowHeight(), title = grid->RowHeights(0);
  TFont big;
  big.Assign(*grid->Font());
  big.SetSize(big.Size() * 2);
  grid->SetFont(big);
  EXPECT_GT(grid->ColWidths(2), width);
  EXPECT_GT(grid->DefaultRowHeight(), height);
  EXPECT_EQ(grid->RowHeights(0), title) << "the title font stays";
  ExpectConsistent("big font");
  grid->TitleFont()->SetSize(grid->TitleFont()->Size() * 3);
  EXPECT_GT(grid->RowHeights(0), title);
  EXPECT_FALSE(grid->ParentFont());
}

TEST_F(GridMouse, AFreedDataSourceLeavesTheGridEmpty) {
  source.reset();
  EXPECT_EQ(grid->DataSource(), nullptr);
  EXPECT_FALSE(grid->DataLink()->Active());
  driver.Process();
  EXPECT_EQ(grid->RowCount(), 2);
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_DELETE, ssCtrl);
  EXPECT_TRUE(driver.MessageBoxes().empty());
}

TEST_F(GridMouse, DesignTimeHeightEndsAtARowBoundary) {
  grid->SetOptions(grid->Options() | dgPerfectRowFit);
  grid->SetHeight(grid->Height() - 7);
  const int h1 = grid->Height();
  EXPECT_EQ(h1, grid->Height()) << "no fit at run time";
  grid->SetDesigning(true);
  grid->SetHeight(h1 - 3);
  const int step = grid->DefaultRowHeight() + grid->GridLineWidth();
  EXPECT_EQ((grid->Height() - 4 - grid->RowHeights(0) - grid->GridLineWidth()) % step, 0) << grid->Height();
  EXPECT_TRUE(grid->DesignHitTest(grid->CellRect(2, 0).Left + 3, 5) == !table->DefaultFields());
  grid->SetDesigning(false);
}

TEST_F(GridMouse, TimedScrollMovesOverTheWindow) {
  driver.PressKey(VK_NEXT);
  const int pos = Pos(), active = grid->DataLink()->ActiveRecord();
  grid->CallTimedScroll(sdUp);
  EXPECT_EQ(Pos(), pos - active - 1) << "just above the window";
  EXPECT_EQ(grid->DataLink()->ActiveRecord(), 0);
  const int rows = grid->DataLink()->RecordCount();
  grid->CallTimedScroll(sdDown);
  EXPECT_EQ(Pos(), pos - active - 1 + rows) << "just below the window";
  ExpectConsistent("timed scroll");
}

}  // namespace wwtest

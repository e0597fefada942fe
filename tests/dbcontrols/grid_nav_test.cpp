// The grid following the place table: keys, the wheel and the scroll bar
// move the table, and after every move the current row, the rows of the
// data link's window and what was painted agree with the table's order.
// The three-state scroll bar, appending below the last record, and the
// record window when the grid is resized.
#include "tests/dbcontrols/grid_fixture.h"

namespace wwtest {

TEST_F(GridOnPlaces, KeysMoveThroughTheTableAndTheRowsFollow) {
  ASSERT_GT(ids.size(), 1400u);
  const int page = grid->VisibleRowCount();
  ASSERT_GT(page, 10);
  EXPECT_EQ(grid->DataLink()->BufferCount(), page) << "the window holds the rows that fit";
  ExpectConsistent("opened");
  EXPECT_EQ(Pos(), 0);

  for (int i = 0; i < page + 3; ++i) driver.PressKey(VK_DOWN);
  EXPECT_EQ(Pos(), page + 3);
  EXPECT_EQ(grid->Row(), grid->TitleOffset() + page - 1) << "down past the last row scrolls by one";
  ExpectConsistent("down past the page");
  ExpectPaintedRows("down past the page");

  driver.PressKey(VK_NEXT);
  EXPECT_EQ(Pos(), 2 * page + 3);
  ExpectConsistent("page down");
  driver.PressKey(VK_PRIOR);
  driver.PressKey(VK_PRIOR);
  EXPECT_EQ(Pos(), 3);
  ExpectConsistent("page up");
  ExpectPaintedRows("page up");

  driver.PressKey(VK_END, ssCtrl);
  EXPECT_EQ(Pos(), static_cast<int>(ids.size()) - 1);
  EXPECT_EQ(grid->Row(), grid->RowCount() - 1) << "the last record stands in the last row";
  ExpectConsistent("ctrl+end");
  ExpectPaintedRows("ctrl+end");
  driver.PressKey(VK_UP, ssCtrl);  // to the first visible row
  EXPECT_EQ(grid->Row(), grid->TitleOffset());
  EXPECT_EQ(Pos(), static_cast<int>(ids.size()) - page);
  ExpectConsistent("ctrl+up");
  driver.PressKey(VK_DOWN, ssCtrl);  // to the last visible row
  EXPECT_EQ(Pos(), static_cast<int>(ids.size()) - 1);
  driver.PressKey(VK_HOME, ssCtrl);
  EXPECT_EQ(Pos(), 0);
  ExpectConsistent("ctrl+home");
  driver.PressKey(VK_UP);  // nothing above the first record
  EXPECT_EQ(Pos(), 0);
  ExpectConsistent("up at the top");
  ExpectPaintedRows("up at the top");
}

TEST_F(GridOnPlaces, WheelAndScrollBarMoveTheTable) {
  const int page = grid->VisibleRowCount();
  driver.Wheel(grid, -5);
  EXPECT_EQ(Pos(), 5) << "one record per notch";
  ExpectConsistent("wheel down");
  driver.Wheel(grid, 2);
  EXPECT_EQ(Pos(), 3);
  ExpectConsistent("wheel up");
  for (int i = 0; i < page; ++i) driver.Wheel(grid, -1);
  EXPECT_EQ(Pos(), page + 3);
  ExpectConsistent("wheel down a page");
  ExpectPaintedRows("wheel down a page");

  // The bar stands outside the client area: its arrows and its track.
  const int barX = grid->ClientWidth() + GetSystemMetrics(SM_CXVSCROLL) / 2;
  driver.Click(grid, barX, grid->ClientHeight() - 4);
  EXPECT_EQ(Pos(), page + 4) << "the down arrow";
  driver.Click(grid, barX, 4);
  EXPECT_EQ(Pos(), page + 3) << "the up arrow";
  driver.Click(grid, barX, grid->ClientHeight() - GetSystemMetrics(SM_CYVSCROLL) - 4);
  EXPECT_EQ(Pos(), 2 * page + 3) << "the track below the thumb";
  ExpectConsistent("bar page down");
  ExpectPaintedRows("bar page down");

  // Thumb positions of the three-state bar.
  grid->Perform(WM_VSCROLL, MakeLong(SB_THUMBPOSITION, 4), 0);
  EXPECT_EQ(Pos(), static_cast<int>(ids.size()) - 1);
  EXPECT_EQ(grid->GetScrollPos(SB_VERT), 4);
  ExpectConsistent("thumb at the bottom");
  grid->Perform(WM_VSCROLL, MakeLong(SB_THUMBPOSITION, 1), 0);
  EXPECT_EQ(Pos(), static_cast<int>(ids.size()) - 1 - page);
  EXPECT_EQ(grid->GetScrollPos(SB_VERT), 2);
  grid->Perform(WM_VSCROLL, MakeLong(SB_THUMBPOSITION, 2), 0);
  EXPECT_EQ(Pos(), static_cast<int>(ids.size()) - 1 - page) << "the middle stays";
  grid->Perform(WM_VSCROLL, MakeLong(SB_THUMBPOSITION, 0), 0);
  EXPECT_EQ(Pos(), 0);
  EXPECT_EQ(grid->GetScrollPos(SB_VERT), 0);
  grid->Perform(WM_VSCROLL, MakeLong(SB_THUMBPOSITION, 3), 0);
  EXPECT_EQ(Pos(), page);
  grid->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Pos(), static_cast<int>(ids.size()) - 1);
  grid->Perform(WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Pos(), 0);
  ExpectConsistent("top");
  ExpectPaintedRows("top");
}

TEST_F(GridOnPlaces, ScrollingMovesPixelsAndRepaintsOnlyWhatTheyUncovered) {
  driver.PressKey(VK_NEXT);
  grid->Invalidate();
  driver.Process();
  grid->painted.clear();
  const int last = grid->RowCount() - 1;
  driver.PressKey(VK_DOWN, ssCtrl);
  grid->painted.clear();
  driver.PressKey(VK_DOWN);  // the window moves by one row
  ExpectConsistent("one row");
  // Painted: the new bottom row (uncovered) and the old current record,
  // which lost its highlight one row higher.
  EXPECT_EQ(grid->painted.count(last - grid->TitleOffset()), 1u);
  EXPECT_LE(grid->painted.size(), 3u) << "the other rows were moved, not painted";
  const TColor above = driver.PixelAt(grid, grid->CellRect(2, last - 1).Left + 2, grid->CellRect(2, last - 1).Top + 1);
  EXPECT_EQ(ColorToRGB(above), ColorToRGB(clWindow)) << "no highlight left on the row above";
  // Scrolling by more rows than are visible repaints everything.
  grid->painted.clear();
  table->MoveBy(3 * grid->VisibleRowCount());
  driver.Process();
  EXPECT_EQ(static_cast<int>(grid->painted.size()), grid->DataLink()->RecordCount());
  ExpectConsistent("far");
}

TEST_F(GridOnPlaces, ThreeStateScrollBarFollowsThePosition) {
  int lo = -1, hi = -1;
  grid->GetScrollRange(SB_VERT, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 4);
  EXPECT_EQ(grid->GetScrollPos(SB_VERT), 0);
  table->Next();
  EXPECT_EQ(grid->GetScrollPos(SB_VERT), 2);
  table->Last();
  EXPECT_EQ(grid->GetScrollPos(SB_VERT), 4);
  grid->SetShowVertScrollBar(false);
  EXPECT_FALSE(grid->ScrollBarVisible(SB_VERT));
  table->First();
  grid->SetShowVertScrollBar(true);
  EXPECT_TRUE(grid->ScrollBarVisible(SB_VERT));
  EXPECT_EQ(grid->GetScrollPos(SB_VERT), 0);

  // An empty range of the table: one empty row, the bar at the top.
  table->SetRange({-2}, {-1});
  EXPECT_EQ(grid->RowCount(), grid->TitleOffset() + 1);
  EXPECT_EQ(grid->GetScrollPos(SB_VERT), 0);
  // Down in an empty editable grid starts the first record; Escape drops it.
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(table->State(), dsInsert);
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->RecordCount(), 0);
  EXPECT_EQ(grid->RowCount(), grid->TitleOffset() + 1);
  // Nothing to delete: no question and no error.
  driver.PressKey(VK_DELETE, ssCtrl);
  EXPECT_TRUE(driver.MessageBoxes().empty());
}

TEST_F(GridOnPlaces, DownBelowTheLastRecordAppendsAndUpTakesItBack) {
  driver.PressKey(VK_END, ssCtrl);
  const int count = table->RecordCount();
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(table->State(), dsInsert) << "a new record below the last";
  EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(table->State(), dsInsert) << "down on the untouched new record does nothing";
  driver.Wheel(grid, -1);
  EXPECT_EQ(table->State(), dsInsert);
  driver.PressKey(VK_UP);
  EXPECT_EQ(table->State(), dsBrowse) << "up takes it back";
  EXPECT_EQ(table->RecordCount(), count);
  EXPECT_EQ(Pos(), static_cast<int>(ids.size()) - 1);
  ExpectConsistent("after the cancelled append");

  grid->SetReadOnly(true);
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(table->State(), dsBrowse) << "a read-only grid appends nothing";
  grid->SetReadOnly(false);
  grid->SetKeyOptions(dgAllowDelete);
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(table->State(), dsBrowse) << "without dgAllowInsert";
}

TEST_F(GridOnPlaces, ResizingChangesTheWindowOfRecords) {
  driver.PressKey(VK_NEXT);
  driver.PressKey(VK_NEXT);
  const int before = grid->VisibleRowCount(), height = grid->Height();
  grid->SetHeight(height / 2);
  driver.Process();
  EXPECT_LT(grid->VisibleRowCount(), before);
  EXPECT_EQ(grid->DataLink()->BufferCount(), grid->VisibleRowCount());
  ExpectConsistent("smaller");
  ExpectPaintedRows("smaller");
  grid->SetHeight(height);
  driver.Process();
  EXPECT_EQ(grid->VisibleRowCount(), before);
  EXPECT_EQ(grid->DataLink()->BufferCount(), grid->VisibleRowCount());
  ExpectConsistent("larger");
  ExpectPaintedRows("larger");
}

}  // namespace wwtest

// The library grid: cell geometry, keyboard navigation and tabs, scrolling,
// column sizing and moving by mouse, timed scrolling while selecting, the
// draw states, and the order in which the editor hooks are called.
#include <gtest/gtest.h>

#include "platform/ui/grids.h"
#include "tests/ui/ui_test_util.h"

namespace {

// A grid of text cells that logs its hooks.
class TLogGrid : public TCustomGrid {
 public:
  explicit TLogGrid(TComponent* owner) : TCustomGrid(owner) {}
  std::vector<std::string> log;
  std::map<std::pair<int, int>, AnsiString> cells;
  std::map<std::pair<int, int>, TGridDrawState> drawn;
  AnsiString mask;
  int limit = 0;
  bool acceptDigitsOnly = false;
  bool modifiable = true;
  using TCustomGrid::CellRect;

 protected:
  void DrawCell(int col, int row, TRect rect, TGridDrawState st) override {
    drawn[{col, row}] = st;
    auto it = cells.find({col, row});
    if (it != cells.end()) Canvas()->TextOut(rect.Left + 2, rect.Top + 2, it->second);
  }
  TInplaceEdit* CreateEditor() override {
    log.push_back("CreateEditor");
    return TCustomGrid::CreateEditor();
  }
  bool CanEditShow() override {
    log.push_back("CanEditShow");
    return TCustomGrid::CanEditShow();
  }
  AnsiString GetEditMask(int c, int r) override {
    log.push_back("GetEditMask " + std::to_string(c) + "," + std::to_string(r));
    return mask;
  }
  AnsiString GetEditText(int c, int r) override {
    log.push_back("GetEditText " + std::to_string(c) + "," + std::to_string(r));
    return cells[{c, r}];
  }
  int GetEditLimit() override {
    log.push_back("GetEditLimit");
    return limit;
  }
  void SetEditText(int c, int r, const AnsiString& v) override {
    log.push_back("SetEditText " + std::to_string(c) + "," + std::to_string(r) + "=" + v);
    cells[{c, r}] = v;
  }
  bool CanEditAcceptKey(char k) override { return !acceptDigitsOnly || (k >= '0' && k <= '9'); }
  bool CanEditModify() override { return modifiable; }
  void ColumnMoved(int from, int to) override { log.push_back("ColumnMoved " + std::to_string(from) + "->" + std::to_string(to)); }
  void ColWidthsChanged() override { log.push_back("ColWidthsChanged"); }
  void TopLeftChanged() override { log.push_back("TopLeftChanged"); }
  bool SelectCell(int c, int r) override { return !(c == 3 && r == 3); }
};

struct GridFixture {
  TUiTestDriver d;
  TForm* f = MakeForm(400, 300);
  TLogGrid* g = nullptr;
  GridFixture() {
    g = new TLogGrid(f);
    g->SetParent(f);
    g->SetBounds(5, 5, 330, 200);
    g->SetColCount(8);
    g->SetRowCount(20);
    g->SetDefaultRowHeight(20);
    g->SetDefaultColWidth(60);
    for (int c = 0; c < 8; ++c)
      for (int r = 0; r < 20; ++r) g->cells[{c, r}] = std::to_string(c) + ":" + std::to_string(r);
    f->Show();
    g->SetFocus();
  }
};

TEST(Grid, CellGeometryAndMouseCoord) {
  GridFixture x;
  EXPECT_EQ(x.g->CellRect(0, 0), (TRect{0, 0, 60, 20}));
  EXPECT_EQ(x.g->CellRect(2, 1), (TRect{122, 21, 182, 41}));  // one-pixel lines between cells
  EXPECT_EQ(x.g->MouseCoord(125, 25), (TGridCoord{2, 1}));
  EXPECT_EQ(x.g->MouseCoord(60, 5).X, 0);  // the line belongs to the cell before it
  x.g->SetColWidths(1, 30);
  EXPECT_EQ(x.g->CellRect(2, 1).Left, 92);
  EXPECT_EQ(x.g->VisibleRowCount(), (x.g->ClientHeight() - 21) / 21);
  x.g->SetLeftCol(3);
  EXPECT_EQ(x.g->CellRect(3, 1).Left, 61);  // right after the fixed column
  EXPECT_TRUE(x.g->CellRect(1, 1).IsEmpty());  // scrolled out of view
  EXPECT_EQ(x.g->MouseCoord(70, 25), (TGridCoord{3, 1}));
  EXPECT_EQ(x.g->MouseCoord(1000, 25), (TGridCoord{-1, -1}));
  EXPECT_THROW(x.g->SetFixedCols(8), EInvalidGridOperation);
}

TEST(Grid, KeyboardNavigationAndTabs) {
  GridFixture x;
  EXPECT_EQ(x.g->Col(), 1);
  EXPECT_EQ(x.g->Row(), 1);
  x.d.PressKey(VK_RIGHT);
  x.d.PressKey(VK_DOWN);
  EXPECT_EQ(x.g->Col(), 2);
  EXPECT_EQ(x.g->Row(), 2);
  x.d.PressKey(VK_END);
  EXPECT_EQ(x.g->Col(), 7);
  EXPECT_GT(x.g->LeftCol(), 1);  // scrolled to show it
  x.d.PressKey(VK_HOME);
  EXPECT_EQ(x.g->Col(), 1);
  EXPECT_EQ(x.g->LeftCol(), 1);
  x.d.PressKey(VK_END, ssCtrl);
  EXPECT_EQ(x.g->Row(), 19);
  EXPECT_GE(x.g->TopRow() + x.g->VisibleRowCount() - 1, 19);
  x.d.PressKey(VK_HOME, ssCtrl);
  EXPECT_EQ(x.g->Row(), 1);
  EXPECT_EQ(x.g->TopRow(), 1);
  // A cell that refuses selection stops the move.
  x.g->SetCol(3);
  x.g->SetRow(2);
  x.d.PressKey(VK_DOWN);
  EXPECT_EQ(x.g->Row(), 2);
  // Tab walks the tab-stop columns and wraps to the next row (goTabs only).
  x.g->SetCol(6);
  x.d.PressKey(VK_TAB);
  EXPECT_EQ(x.g->Row(), 2);  // without goTabs the form moves the focus
  x.g->SetFocus();
  x.g->SetOptions(x.g->Options() | goTabs);
  x.g->SetTabStops(7, false);
  x.g->SetCol(6);
  x.d.PressKey(VK_TAB);
  EXPECT_EQ(x.g->Col(), 1);
  EXPECT_EQ(x.g->Row(), 3);
  x.d.PressKey(VK_TAB, ssShift);
  EXPECT_EQ(x.g->Col(), 6);
  EXPECT_EQ(x.g->Row(), 2);
  // Shift extends the selection with range select.
  x.d.PressKey(VK_RIGHT, ssShift);
  x.d.PressKey(VK_DOWN, ssShift);
  EXPECT_EQ(x.g->Selection(), (TGridRect{6, 2, 7, 3}));
  // Row select: the selection spans the row.
  x.g->SetOptions(x.g->Options() | goRowSelect);
  x.d.PressKey(VK_DOWN);
  EXPECT_EQ(x.g->Selection(), (TGridRect{1, 4, 7, 4}));
}

TEST(Grid, ScrollBarsAndTopLeftChanged) {
  GridFixture x;
  x.g->log.clear();
  x.g->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(x.g->TopRow(), 2);
  x.g->Perform(WM_VSCROLL, MakeLong(SB_THUMBTRACK, 10), 0);
  EXPECT_EQ(x.g->TopRow(), 2);  // no thumb tracking by default
  x.g->Perform(WM_VSCROLL, MakeLong(SB_THUMBPOSITION, 10), 0);
  EXPECT_EQ(x.g->TopRow(), 10);
  x.g->SetOptions(x.g->Options() | goThumbTracking);
  x.g->Perform(WM_VSCROLL, MakeLong(SB_THUMBTRACK, 5), 0);
  EXPECT_EQ(x.g->TopRow(), 5);
  x.g->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(x.g->TopRow() + x.g->VisibleRowCount(), 20);  // the last page is full
  EXPECT_EQ(std::count(x.g->log.begin(), x.g->log.end(), "TopLeftChanged"), 4);
  TScrollInfo si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(x.g->GetScrollInfo(SB_VERT, si));
  EXPECT_EQ(si.nPos, x.g->TopRow());
}

TEST(Grid, SizingAndMovingColumnsByMouse) {
  GridFixture x;
  x.g->SetOptions(x.g->Options() | goColSizing | goColMoving);
  x.g->log.clear();
  // Drag the border right of column 2 (x = 182) by 25 pixels.
  x.d.Drag(x.g, {182, 10}, {207, 10});
  EXPECT_EQ(x.g->ColWidths(2), 85);
  EXPECT_EQ(x.g->log, std::vector<std::string>{"ColWidthsChanged"});
  // Drag the title of column 2 onto column 4.
  x.g->log.clear();
  x.g->SetCol(2);
  x.d.Drag(x.g, {150, 10}, {x.g->CellRect(4, 0).Left + 5, 10});
  EXPECT_EQ(x.g->log, std::vector<std::string>{"ColumnMoved 2->4"});
  EXPECT_EQ(x.g->ColWidths(4), 85);  // the width travels with the column
  EXPECT_EQ(x.g->Col(), 4);          // and so does the current column
  // A press on a data cell neither sizes nor moves.
  x.g->log.clear();
  x.d.Drag(x.g, {100, 50}, {130, 50});
  EXPECT_TRUE(x.g->log.empty());
}

TEST(Grid, TimedScrollWhileSelecting) {
  GridFixture x;
  x.d.MouseDown(x.g, 100, 50);
  int top = x.g->TopRow();
  x.d.MouseMove(x.g, 100, x.g->ClientHeight() + 20);
  x.d.Advance(600);  // the timer keeps scrolling while the mouse is below
  EXPECT_GT(x.g->TopRow(), top + 3);
  int row = x.g->Row();
  x.d.MouseUp(x.g, 100, x.g->ClientHeight() + 20);
  x.d.Advance(600);
  EXPECT_EQ(x.g->Row(), row);  // stopped with the release
  EXPECT_GT(x.g->Selection().Bottom, x.g->Selection().Top);
}

TEST(Grid, DrawStates) {
  GridFixture x;
  x.g->SetCol(2);
  x.g->SetRow(2);
  x.d.Process();
  EXPECT_EQ(x.g->drawn[std::make_pair(0, 0)], static_cast<TGridDrawState>(gdFixed));
  EXPECT_EQ(x.g->drawn[std::make_pair(0, 2)], static_cast<TGridDrawState>(gdFixed));
  EXPECT_EQ(x.g->drawn[std::make_pair(2, 2)], static_cast<TGridDrawState>(gdFocused));
  EXPECT_EQ(x.g->drawn[std::make_pair(3, 2)], 0u);
  x.g->SetOptions(x.g->Options() | goRowSelect);
  x.g->drawn.clear();
  x.d.Process();
  EXPECT_EQ(x.g->drawn[std::make_pair(2, 2)], static_cast<TGridDrawState>(gdFocused | gdSelected));
  EXPECT_EQ(x.g->drawn[std::make_pair(4, 2)], static_cast<TGridDrawState>(gdSelected));
  x.d.SavePng(x.f, "grid");
}

TEST(Grid, EditorHooksInOrder) {
  GridFixture x;
  x.g->SetOptions(x.g->Options() | goEditing);
  x.g->limit = 6;
  x.g->log.clear();
  x.d.PressKey(VK_F2);
  std::vector<std::string> want = {"CanEditShow", "CreateEditor", "GetEditMask 1,1", "GetEditText 1,1", "GetEditLimit",
                                   "CanEditShow"};
  EXPECT_EQ(x.g->log, want);
  ASSERT_NE(x.g->InplaceEditor(), nullptr);
  EXPECT_TRUE(x.g->InplaceEditor()->Visible());
  EXPECT_TRUE(x.g->InplaceEditor()->Focused());
  EXPECT_EQ(x.g->InplaceEditor()->BoundsRect(), x.g->CellRect(1, 1));
  EXPECT_EQ(x.g->InplaceEditor()->Text(), "1:1");
  EXPECT_EQ(x.g->InplaceEditor()->MaxLength(), 6);
  // Typing goes through the editor and reports each change; moving on
  // writes the text back and hides the editor.
  x.g->log.clear();
  x.d.PressKey(VK_END);
  x.d.Type("x");
  EXPECT_EQ(x.g->log, std::vector<std::string>{"SetEditText 1,1=1:1x"});
  x.g->log.clear();
  x.d.PressKey(VK_DOWN);
  EXPECT_EQ(x.g->log.front(), "SetEditText 1,1=1:1x");
  EXPECT_FALSE(x.g->InplaceEditor()->Visible());
  EXPECT_TRUE(x.g->Focused());
  EXPECT_EQ(x.g->Row(), 2);
  // A typed character opens the editor and replaces the cell text.
  x.g->log.clear();
  x.d.Type("7");
  EXPECT_TRUE(x.g->InplaceEditor()->Visible());
  EXPECT_EQ(x.g->InplaceEditor()->Text(), "7");
  EXPECT_EQ(x.g->cells[std::make_pair(1, 2)], "7");
  // Refused characters beep; an unmodifiable cell takes nothing.
  x.g->acceptDigitsOnly = true;
  int beeps = keyboard::BeepCount();
  x.d.Type("a");
  EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
  EXPECT_EQ(x.g->InplaceEditor()->Text(), "7");
  x.g->modifiable = false;
  x.d.Type("8");
  EXPECT_EQ(x.g->InplaceEditor()->Text(), "7");
  x.g->modifiable = true;
  // Enter hides the editor (no always-show), Enter again shows it.
  x.d.PressKey(VK_RETURN);
  EXPECT_FALSE(x.g->EditorMode());
  x.d.PressKey(VK_RETURN);
  EXPECT_TRUE(x.g->EditorMode());
  // InvalidateEditor fetches the contents again.
  x.g->cells[std::make_pair(1, 2)] = "neu";
  x.g->InvalidateEditor();
  EXPECT_EQ(x.g->InplaceEditor()->Text(), "neu");
  // The editor takes the cell's mask.
  x.g->HideEditor();
  x.g->mask = "90:00;1;_";
  x.g->cells[std::make_pair(1, 2)] = "12:30";
  x.g->ShowEditor();
  EXPECT_EQ(x.g->InplaceEditor()->EditText(), "12:30");
  // Always-show keeps the editor across moves.
  x.g->SetOptions(x.g->Options() | goAlwaysShowEditor);
  x.g->mask.clear();
  x.d.PressKey(VK_DOWN);
  EXPECT_TRUE(x.g->InplaceEditor()->Visible());
  EXPECT_EQ(x.g->InplaceEditor()->Text(), "1:3");
  x.d.SavePng(x.f, "grid_editing");
}

TEST(Grid, ShrinkingKeepsTheCurrentCellInside) {
  GridFixture x;
  x.g->SetCol(7);
  x.g->SetRow(19);
  x.g->SetRowCount(5);
  x.g->SetColCount(3);
  EXPECT_EQ(x.g->Row(), 4);
  EXPECT_EQ(x.g->Col(), 2);
  EXPECT_EQ(x.g->TopRow(), 1);
  EXPECT_THROW(x.g->SetColWidths(5, 10), EInvalidGridOperation);
  // Clicking a cell moves there; a click on the fixed row does not.
  x.g->SetRowCount(20);
  x.g->SetColCount(8);
  TRect r = x.g->CellRect(3, 2);
  x.d.Click(x.g, r.Left + 5, r.Top + 5);
  EXPECT_EQ(x.g->Col(), 3);
  EXPECT_EQ(x.g->Row(), 2);
  x.d.Click(x.g, r.Left + 5, 5);
  EXPECT_EQ(x.g->Row(), 2);
  // Row select: selection spans the row, keys move rows only.
  x.g->SetOptions((x.g->Options() | goRowSelect) & ~goRangeSelect);
  x.d.PressKey(VK_RIGHT);
  EXPECT_EQ(x.g->Col(), 3);
  x.d.PressKey(VK_END);
  EXPECT_EQ(x.g->Row(), 19);
}

TEST(Grid, FirstColumnsComeBackWhenTheGridGetsRoomOrLosesItsFixedColumn) {
  TUiTestDriver d;
  TForm* f = MakeForm(500, 200);
  auto* g = new TLogGrid(f);
  g->SetParent(f);
  g->SetScrollBars(ssNone);
  g->SetColCount(5);
  g->SetBounds(0, 0, 100, 150);
  f->Show();
  const int frame = g->Width() - g->ClientWidth();
  auto room = [&](int columns) { g->SetWidth(frame + 65 * (columns + 1)); };  // the fixed one and `columns`
  room(2);
  g->SetCol(4);
  EXPECT_EQ(g->LeftCol(), 3);
  // Room for one more: the last page stays full, no further back.
  room(3);
  EXPECT_EQ(g->LeftCol(), 2);
  room(4);
  EXPECT_EQ(g->LeftCol(), 1);
  EXPECT_EQ(g->CellRect(1, 1).Left, 65);
  // A column that stops being fixed is the first one shown.
  g->SetFixedCols(0);
  EXPECT_EQ(g->LeftCol(), 0);
  EXPECT_EQ(g->CellRect(0, 1).Left, 0);
  EXPECT_EQ(g->Col(), 4);
}

}  // namespace

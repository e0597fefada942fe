// The library grid: a table of cells with fixed rows and columns, per
// column and row sizes, a current cell and a selection, scrolling, sizing
// and moving of columns by mouse, and an in-place editor that derived grids
// steer through overridable hooks (CanEditShow, GetEditText, SetEditText ...).
// Invariants: FixedCols <= Col < ColCount and FixedRows <= Row < RowCount
// whenever there is a non-fixed cell; TopRow >= FixedRows and
// LeftCol >= FixedCols; the editor, when shown, lies over the current cell.
#pragma once

#include <vector>

#include "platform/ui/mask.h"

enum : unsigned {
  goFixedVertLine = 1u << 0, goFixedHorzLine = 1u << 1, goVertLine = 1u << 2, goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4, goDrawFocusSelected = 1u << 5, goRowSizing = 1u << 6, goColSizing = 1u << 7,
  goRowMoving = 1u << 8, goColMoving = 1u << 9, goEditing = 1u << 10, goTabs = 1u << 11, goRowSelect = 1u << 12,
  goAlwaysShowEditor = 1u << 13, goThumbTracking = 1u << 14
};
using TGridOptions = unsigned;
enum : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };
enum : unsigned { sdLeft = 1, sdRight = 2, sdUp = 4, sdDown = 8 };
using TGridScrollDirection = unsigned;

struct TGridCoord {
  int X = 0, Y = 0;
  bool operator==(const TGridCoord&) const = default;
};
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

class EInvalidGridOperation : public Exception {
 public:
  using Exception::Exception;
};

class TCustomGrid;

// The editor laid over the current cell; it asks its grid for text, mask
// and length and hands navigation keys back to it.
class TInplaceEdit : public TCustomMaskEdit {
  ORV_CLASS(TInplaceEdit, TCustomMaskEdit)

 public:
  explicit TInplaceEdit(TComponent* owner);
  void Dispatch(TMessage& m) override;
  TCustomGrid* Grid() const { return grid_; }
  void SetGrid(TCustomGrid* g) { grid_ = g; }
  void Deselect();
  void Hide();
  void Move(const TRect& loc);
  bool PosEqual(const TRect& r) const;
  void UpdateLoc(const TRect& loc);
  void UpdateContents();
  bool EditorVisible() const { return Visible(); }

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void DblClick() override;
  void Change() override;
  void BoundsChanged();
  // The grid's say on a typed character: the grid's key press runs, then a
  // character the cell refuses (with a beep) or one that would change a cell
  // the grid cannot modify becomes 0. Answers whether a key is left to type.
  bool FilterKeyPress(char& key);

 private:
  TCustomGrid* grid_ = nullptr;
};

class TCustomGrid : public TCustomControl {
  ORV_CLASS(TCustomGrid, TCustomControl)
  friend class TInplaceEdit;

 public:
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;
  void Dispatch(TMessage& m) override;

  int ColCount() const { return colCount_; }
  void SetColCount(int n);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int n);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int n);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int n);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int w);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int h);
  int ColWidths(int c) const;
  void SetColWidths(int c, int w);
  int RowHeights(int r) const;
  void SetRowHeights(int r, int h);
  bool TabStops(int c) const;
  void SetTabStops(int c, bool v);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int w);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle s);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions o);
  TColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor c);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool v) { defaultDrawing_ = v; }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle b);

  int Col() const { return current_.X; }
  void SetCol(int c);
  int Row() const { return current_.Y; }
  void SetRow(int r);
  int TopRow() const { return topLeft_.Y; }
  void SetTopRow(int r);
  int LeftCol() const { return topLeft_.X; }
  void SetLeftCol(int c);
  int VisibleColCount() const;
  int VisibleRowCount() const;
  TGridRect Selection() const;
  void SetSelection(const TGridRect& r);
  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool v);
  TInplaceEdit* InplaceEditor() const { return inplace_; }
  TGridState GridState() const { return state_; }

  TRect CellRect(int col, int row) const;
  TGridCoord MouseCoord(int x, int y) const;
  void MouseToCell(int x, int y, int& col, int& row) const;
  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);
  void InvalidateCol(int col);
  void InvalidateGrid() { Invalidate(); }
  // The visible cells of a block of cells (whole rows under goRowSelect).
  void InvalidateGridRect(const TGridRect& r);

  // Editor operations (public so that derived controls and the editor reach them).
  void ShowEditor();
  void HideEditor();
  void InvalidateEditor();
  void UpdateEditor();

 protected:
  void CreateParams(TCreateParams& p) override;
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoExit() override;
  void Resize() override;

  // Hooks for derived grids.
  virtual void DrawCell(int col, int row, TRect rect, TGridDrawState state) = 0;
  virtual bool SelectCell(int col, int row);
  virtual void ColumnMoved(int from, int to);
  virtual void RowMoved(int from, int to);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void TopLeftChanged();
  virtual void SizeChanged(int oldColCount, int oldRowCount);
  virtual void TimedScroll(TGridScrollDirection direction);
  virtual TInplaceEdit* CreateEditor();
  virtual bool CanEditAcceptKey(char key);
  virtual bool CanEditModify();
  virtual bool CanEditShow();
  virtual int GetEditLimit();
  virtual AnsiString GetEditMask(int col, int row);
  virtual AnsiString GetEditText(int col, int row);
  virtual void SetEditText(int col, int row, const AnsiString& value);
  virtual bool CanGridAcceptKey(Word key, TShiftState shift);

  void FocusCell(int col, int row, bool moveAnchor);
  void MoveColRow(int col, int row, bool moveAnchor, bool show);
  void MoveColumn(int from, int to);
  void MoveRow(int from, int to);
  bool IsActiveControl() const;
  // Starts selecting with the mouse as a press on a cell does, for a grid
  // that handles its own presses: the current cell follows the mouse until
  // the button is released, and the scroll timer (60 ms) runs meanwhile.
  void BeginMouseSelect(int x, int y);
  // Whether a press at (x, y) would start sizing a column.
  bool Sizing(int x, int y) const { return SizingColAt(x, y) >= 0; }
  // Sizes of the fixed area in pixels (lines included).
  int FixedWidth() const;
  int FixedHeight() const;

 private:
  int ColSpacing() const;
  int RowSpacing() const;
  void UpdateScrollRange();
  // After a change of size: the first row and column as far back as the
  // room allows, and the scroll bars.
  void SizeToClient();
  void ClampInView(TGridCoord c);
  void SetTopLeft(int col, int row);
  void UpdateEdit();
  void HideEdit();
  void UpdateText();
  void ScrollBy(int bar, int code, int pos);
  // The column border under x in the fixed rows (-1: none).
  int SizingColAt(int x, int y) const;

  int colCount_ = 5, rowCount_ = 5, fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, defaultRowHeight_ = 24;
  std::vector<int> colWidths_, rowHeights_;
  std::vector<char> tabStops_;
  int gridLineWidth_ = 1;
  TScrollStyle scrollBars_ = ssBoth;
  TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  TColor fixedColor_ = clBtnFace;
  bool defaultDrawing_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  TGridCoord current_{1, 1}, anchor_{1, 1}, topLeft_{1, 1};
  bool editorMode_ = false;
  TInplaceEdit* inplace_ = nullptr;
  int inplaceCol_ = -1, inplaceRow_ = -1;
  TGridState state_ = gsNormal;
  int sizingIndex_ = -1, sizingPos_ = 0, sizingOfs_ = 0;
  int moveIndex_ = -1, movePos_ = -1;
  TPoint lastMouse_;
  bool timerOn_ = false;
  bool inUpdateText_ = false;
};

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const AnsiString& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

class TDrawGrid : public TCustomGrid {
  ORV_CLASS(TDrawGrid, TCustomGrid)

 public:
  explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TGetEditEvent OnGetEditMask, OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved, OnRowMoved;
  TNotifyEvent OnTopLeftChanged;

 protected:
  void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  AnsiString GetEditMask(int col, int row) override;
  AnsiString GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const AnsiString& value) override;
  void ColumnMoved(int from, int to) override;
  void RowMoved(int from, int to) override;
  void TopLeftChanged() override;
};

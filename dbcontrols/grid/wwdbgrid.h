// The grid base of the data-aware controls: a library grid whose rows are
// the records of a dataset and whose columns are some of its fields.
//
// Columns come either from the dataset's visible fields (UseTFields) or
// from the Selected list, one "field<TAB>width<TAB>title" entry per column
// (width in characters of "0"; "~" breaks a title into lines); a user's
// resize is written back into that list or into the fields' DisplayWidth.
// The grid data link keeps the field map and turns the dataset's
// notifications into grid operations; the grid paints every cell itself
// (titles, indicator glyphs, text, check boxes, pictures), moves through the
// records by keyboard, mouse, wheel and its three-state scroll bar, and
// edits the current cell in its in-place editor.
//
// Invariants:
// - Grid column c shows data column c - IndicatorOffset, grid row r the
//   record in row r - TitleOffset of the data link's window; the window
//   holds as many records as rows fit (the link's BufferCount), so the grid
//   never scrolls itself vertically: its rows follow the dataset.
// - Row() - TitleOffset is the data link's active record while the link is
//   active (SyncRowsWithLink re-establishes it after every change).
// - While the layout is rebuilt (layout flag set) a width change is no user
//   resize and nothing is written back; the layout lock is held across the
//   rebuild and the write-back, and released on every way out.
// - Virtual hooks of this class are empty or answer False: the published
//   grid TwwDBGrid gives them their behaviour (multi-selection, embedded
//   edit controls, the row selection flags).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "dbcontrols/common/wwdbpicture.h"
#include "platform/db/db.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/grids.h"

class TwwCustomDBGrid;
class TwwInplaceEdit;

// ---- option sets ----
enum : unsigned {
  dgEditing = 1u << 0, dgAlwaysShowEditor = 1u << 1, dgTitles = 1u << 2, dgIndicator = 1u << 3,
  dgColumnResize = 1u << 4, dgColLines = 1u << 5, dgRowLines = 1u << 6, dgTabs = 1u << 7, dgRowSelect = 1u << 8,
  dgAlwaysShowSelection = 1u << 9, dgConfirmDelete = 1u << 10, dgCancelOnExit = 1u << 11, dgWordWrap = 1u << 12,
  dgPerfectRowFit = 1u << 13, dgMultiSelect = 1u << 14
};
using TwwDBGridOptions = unsigned;
constexpr TwwDBGridOptions wwDefaultGridOptions = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                                                  dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit | dgWordWrap;

enum : unsigned { dgEnterToTab = 1u << 0, dgAllowDelete = 1u << 1, dgAllowInsert = 1u << 2 };
using TwwDBGridKeyOptions = unsigned;

enum : unsigned { msoAutoUnselect = 1u << 0, msoShiftSelect = 1u << 1 };
using TwwMultiSelectOptions = unsigned;

enum TIndicatorColorType { icBlack, icYellow };

// ---- events ----
using TwwCalcCellColorsEvent = std::function<void(TObject* Sender, TField* Field, TGridDrawState State,
                                                  bool Highlight, TFont* AFont, TBrush* ABrush)>;
using TwwCalcTitleAttributesEvent = std::function<void(TObject* Sender, const AnsiString& AFieldName, TFont* AFont,
                                                       TBrush* ABrush, TAlignment& ATitleAlignment)>;
using TwwDrawDataCellEvent =
    std::function<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
using TwwTitleButtonClickEvent = std::function<void(TObject* Sender, const AnsiString& AFieldName)>;

// Width of the indicator column in pixels.
constexpr int wwIndicatorWidth = 11;
// Most field-map entries a grid takes.
constexpr int wwMaxGridColumns = 16380;

// ---------------------------------------------------------------------------
// The data link of a grid: field map, notifications, write-back of the cell.

class TwwGridDataLink : public TDataLink {
  ORV_CLASS(TwwGridDataLink, TDataLink)
  explicit TwwGridDataLink(TwwCustomDBGrid* grid) : grid_(grid) {}

  TwwCustomDBGrid* Grid() const { return grid_; }
  // Number of map entries (data columns with or without a field).
  int FieldCount() const { return static_cast<int>(fieldMap_.size()); }
  // Appends the field of that name (-1 when the dataset lacks it); raises
  // EInvalidGridOperation beyond wwMaxGridColumns entries.
  void AddMapping(const AnsiString& fieldName);
  void ClearMapping() { fieldMap_.clear(); }
  // The field of a data column; null outside the map or for a missing name.
  TField* GetFields(int i) const;
  int FieldMapEntry(int i) const { return fieldMap_.at(static_cast<std::size_t>(i)); }

  // The current cell was edited and waits to be written into its field.
  void Modified() { modified_ = true; }
  bool IsModified() const { return modified_; }
  bool InUpdate() const { return inUpdate_; }
  // True without a dataset, else whether its fields were made by default.
  bool DefaultFields() const;
  // Throws the cell's edit away: the field's text is shown again.
  void Reset() { RecordChanged(nullptr); }

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  TwwCustomDBGrid* grid_;
  std::vector<int> fieldMap_;
  bool modified_ = false;
  bool inUpdate_ = false;
};

// ---------------------------------------------------------------------------

class TwwCustomDBGrid : public TCustomGrid {
  ORV_CLASS(TwwCustomDBGrid, TCustomGrid)
  friend class TwwGridDataLink;
  friend class TwwInplaceEdit;

 public:
  explicit TwwCustomDBGrid(TComponent* owner);
  ~TwwCustomDBGrid() override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;

  // ---- properties ----
  TwwDBGridOptions Options() const { return options_; }
  void SetOptions(TwwDBGridOptions v);
  TwwDBGridKeyOptions KeyOptions() const { return keyOptions_; }
  void SetKeyOptions(TwwDBGridKeyOptions v) { keyOptions_ = v; }
  TwwMultiSelectOptions MultiSelectOptions() const { return multiSelectOptions_; }
  void SetMultiSelectOptions(TwwMultiSelectOptions v) { multiSelectOptions_ = v; }
  TFont* TitleFont() const { return titleFont_.get(); }
  void SetTitleFont(const TFont& f);
  TColor TitleColor() const { return titleColor_; }
  void SetTitleColor(TColor c);
  TAlignment TitleAlignment() const { return titleAlignment_; }
  void SetTitleAlignment(TAlignment a);
  int TitleLines() const { return titleLines_; }
  void SetTitleLines(int n);
  int RowHeightPercent() const { return rowHeightPercent_; }
  void SetRowHeightPercent(int v);
  TIndicatorColorType IndicatorColor() const { return indicatorColor_; }
  void SetIndicatorColor(TIndicatorColorType v);
  bool ShowHorzScrollBar() const;
  void SetShowHorzScrollBar(bool v);
  bool ShowVertScrollBar() const { return showVertScrollBar_; }
  void SetShowVertScrollBar(bool v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool v);
  bool EditCalculated() const { return editCalculated_; }
  void SetEditCalculated(bool v) { editCalculated_ = v; }
  bool UseTFields() const { return useTFields_; }
  void SetUseTFields(bool v);
  bool TitleButtons() const { return titleButtons_; }
  void SetTitleButtons(bool v);
  // The column list itself (never null); setting copies the entries and
  // rebuilds the columns.
  TStrings* Selected() const { return selected_.get(); }
  TStrings* GetSelected() const { return selected_.get(); }
  void SetSelected(const TStrings* v);
  TDataSource* DataSource() const { return link_->DataSource(); }
  TDataSource* GetDataSource() const { return DataSource(); }
  void SetDataSource(TDataSource* ds);
  // Whether a click or a scroll-bar press takes the focus first.
  bool FocusOnClick() const { return focusOnClick_; }
  void SetFocusOnClick(bool v) { focusOnClick_ = v; }

  // ---- columns and rows ----
  TwwGridDataLink* DataLink() const { return link_.get(); }
  int GetFieldCount() const { return link_->FieldCount(); }
  TField* GetFields(int dataCol) const { return link_->GetFields(dataCol); }
  // Null for a negative index, an inactive link or beyond the field count.
  TField* GetColField(int dataCol) const;
  int RawToDataColumn(int col) const { return col - ((options_ & dgIndicator) ? 1 : 0); }
  int RawToDataRow(int row) const { return row - ((options_ & dgTitles) ? 1 : 0); }
  int TitleOffset() const { return titleOffset_; }
  int IndicatorOffset() const { return indicatorOffset_; }
  int GetSelectedIndex() const { return Col() - indicatorOffset_; }
  // Moves to a data column; refuses (and may raise) while the in-place
  // editor holds a text that breaks its picture mask.
  void SetSelectedIndex(int dataCol);
  // Whether a cell right of the current one in its row takes typing (a
  // window may let Tab leave the grid after the row's last such cell).
  bool TypingCellFollows();
  const AnsiString& EditText() const { return editText_; }
  // Grid cells by grid column and row.
  bool IsBlobCell(int col, int row) const;
  // A data cell with a field of a dataset that declares control types.
  bool IsWwDataCell(int col, int row) const;
  // The parameters of the field's "CheckBox" control type; False without one.
  bool GetCheckBoxValues(const TField* field, AnsiString& checkedValue, AnsiString& uncheckedValue) const;
  // The multi-select check column: a check-box column of a field "selected".
  bool IsSelectedFieldCell(int dataCol) const;

  // ---- record navigation ----
  virtual void LayoutChanged();
  virtual void Scroll(int distance);
  void UpdateRowCount();
  void SyncRowsWithLink();
  void UpdateScrollBar();
  // Takes the focus when a click should; whether the grid (or its editor)
  // has it afterwards.
  bool AcquireFocus();
  // Design surface: a title cell of a data column sizes columns there.
  bool DesignHitTest(int x, int y) const;

  // ---- selection anchor of Shift range selection (multi-select) ----
  bool HasSelectionAnchor() const { return anchorBookmark_ != nullptr; }
  TBookmark SelectionAnchor() const { return anchorBookmark_; }
  void ClearSelectionAnchor();

  // ---- multi-selection (TwwDBGrid keeps the selection) ----
  virtual void SelectRecord() {}
  virtual void UnselectRecord() {}
  virtual void UnselectAll() {}
  virtual bool IsCurrentRecordSelected() { return false; }

  // ---- events ----
  TNotifyEvent OnColEnter, OnColExit;
  TwwDrawDataCellEvent OnDrawDataCell;
  TwwCalcCellColorsEvent OnCalcCellColors;
  TwwCalcTitleAttributesEvent OnCalcTitleAttributes;
  TwwTitleButtonClickEvent OnTitleButtonClick;
  TwwValidateEvent OnCheckValue;
  TNotifyEvent OnTopRowChanged;
  TMovedEvent OnColumnMoved;

  // The check box and indicator glyph bitmaps shared by every grid; each is
  // drawn black on white. Names: "WWDBGARROW", "WWDBEDIT", "WWDBINSERT".
  static const TBitmap* IndicatorGlyph(const char* name);

 protected:
  // ---- hooks of the columns ----
  virtual void DefineFieldMap();
  virtual void ApplySelected();
  virtual void LinkActive(bool active);
  // The row heights from the fonts, TitleLines and RowHeightPercent.
  virtual void CalcRowHeights();

  // ---- hooks of the records ----
  // Runs before the visible rows change (scrolling, data changes in browse
  // state, layout, resizing).
  virtual void HideEditControl() {}
  virtual void DataChanged();
  virtual void RecordChanged(TField* field);
  // Writes the edit text into the current column's field.
  virtual void UpdateData();
  virtual void TopRowChanged();
  // Rebuilds the per-row selection marks (multi-select).
  virtual void UpdateRowSelectionFlags() {}
  virtual bool CanCancelOnExit() { return true; }

  // ---- hooks of the cells ----
  // Ctrl+V or Shift+Insert on a cell not being edited: its editor opens and
  // takes the clipboard's text in place of the cell's, as typing opens it.
  virtual void PasteIntoCell();
  // Keeps the in-place editor away from a cell (an edit control lies there).
  virtual bool CellHasControl(int /*col*/, int /*row*/) { return false; }
  virtual bool HighlightCell(int dataCol, int dataRow, const AnsiString& text, TGridDrawState state);
  // OnCalcCellColors; answers whether the brush is pure white.
  virtual bool DoCalcCellColors(TField* field, TGridDrawState state, bool highlight, TFont* font, TBrush* brush);
  virtual void DoCalcTitleAttributes(const AnsiString& fieldName, TFont* font, TBrush* brush, TAlignment& align);
  virtual void DoTitleButtonClick(const AnsiString& fieldName);
  // Check-box and picture cells; True when the cell was painted.
  virtual bool DrawCustomCell(int col, int row, const TRect& rect, TGridDrawState state);
  virtual void DrawCheckBox(TCanvas* canvas, const TRect& rect, bool checked);
  virtual AnsiString GetDisplayText(int dataCol);
  virtual void DrawDataCell(const TRect& rect, TField* field, TGridDrawState state);
  virtual bool IsRowMultiSelected(int /*dataRow*/) { return false; }
  virtual void ColEnter();
  virtual void ColExit();
  // The colour of a fixed cell below the titles (the indicator and fixed
  // data columns); titles are always TitleColor.
  virtual TColor FixedCellColor(int /*col*/) { return titleColor_; }

  // ---- painting helpers ----
  // One line of text in the cell at (DX, DY) by the alignment, opaque.
  void WriteText(TCanvas* canvas, const TRect& rect, int dx, int dy, const AnsiString& text, TAlignment align);
  // The text broken into lines at blanks, tabs and line breaks.
  void WriteWrapped(TCanvas* canvas, const TRect& rect, int dx, TAlignment align, const AnsiString& text, int dy);
  // The background of a custom cell, as a data cell's (highlight, colours,
  // focus rectangle).
  void PaintCellBackground(int col, int row, const TRect& rect, TGridDrawState state);
  void Draw3DFrame(int col, int row, const TRect& rect, TGridDrawState state);
  void DrawIndicatorGlyph(const TRect& rect);
  // Per-cell marks of the painter.
  bool whiteBackground_ = false, focusDrawn_ = false, frameDrawn_ = false;
  // The data row and column of the cell being painted (for event handlers).
  int paintDataRow_ = -1, paintDataCol_ = -1;
  // The indicator button of the published grid (none in the base).
  TControl* indicatorButton_ = nullptr;
  int indicatorButtonOffset_ = 2;
  // Set while a tab or a row-changing click moves the current cell.
  bool tabbing_ = false;
  // Two switches derived controls set: no data-changed handling at all, or
  // no hook call in it.
  bool suppressDataChanged_ = false, suppressDataChangedHook_ = false;
  // Whether a user resize is written back.
  bool writeBackWidths_ = true;
  // Width of the indicator column in pixels.
  int indicatorWidth_ = wwIndicatorWidth;
  // Keeps the current record as the anchor of Shift range selection
  // (the dataset leaves edit mode first).
  void SetSelectionAnchorToCurrent();

  // ---- overrides of the library grid ----
  void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
  TInplaceEdit* CreateEditor() override;
  bool CanEditAcceptKey(char key) override;
  bool CanEditModify() override;
  bool CanEditShow() override;
  int GetEditLimit() override;
  AnsiString GetEditMask(int col, int row) override;
  AnsiString GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const AnsiString& value) override;
  void ColWidthsChanged() override;
  void ColumnMoved(int from, int to) override;
  void TimedScroll(TGridScrollDirection direction) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoExit() override;
  void CreateWnd() override;
  void Loaded() override;

 private:
  // The first grid makes the shared bitmaps, the last one frees them.
  static void AcquireSharedBitmaps();
  static void ReleaseSharedBitmaps();
  struct LayoutLock;
  void Lock();
  void Unlock();
  int CharWidth();  // of "0" in the grid's font
  void VertScroll(int code, int pos);
  void LineUp();
  void LineDown(bool appendAtEnd);
  void Tab(bool forward);
  // Whether typing can change the field of a data column.
  bool ColumnTakesTyping(int dataCol);
  // A character typed on a new row into a column that cannot take it goes
  // to the row's first column that can; True when it went there.
  bool TypeIntoNewRow(char key);
  void AbandonEdit();
  void DeleteRecord();
  void RecordTitlePress(int col, int row, TMouseButton button);
  void DrawTitleCell(int col, int dataCol, const TRect& rect, TGridDrawState state);
  void DrawTitleText(const TRect& rect, const AnsiString& title, TAlignment align, int pressed);
  void DrawTitleButtonFrame(const TRect& rect, bool pressed);
  void DrawDataCellAt(int col, int row, int dataCol, int dataRow, const TRect& rect, TGridDrawState state);
  void DrawIndicatorCell(int dataRow, const TRect& rect);
  bool DrawPictureCell(TField* field, const AnsiString& params, int col, int row, const TRect& rect,
                       TGridDrawState state);
  void DrawFocusIfActive(const TRect& rect, bool highlight);
  bool IsFormActiveControl() const;
  void TitleFontChanged();
  void FitHeightToRows();

  std::unique_ptr<TwwGridDataLink> link_;
  std::unique_ptr<TStringList> selected_;
  std::unique_ptr<TFont> titleFont_;
  TwwDBGridOptions options_ = wwDefaultGridOptions;
  TwwDBGridKeyOptions keyOptions_ = dgAllowDelete | dgAllowInsert;
  TwwMultiSelectOptions multiSelectOptions_ = 0;
  TColor titleColor_ = clBtnFace;
  TAlignment titleAlignment_ = taLeftJustify;
  int titleLines_ = 1;
  int rowHeightPercent_ = 100;
  TIndicatorColorType indicatorColor_ = icBlack;
  bool showVertScrollBar_ = true;
  bool readOnly_ = false;
  bool defaultDrawing_ = true;
  bool editCalculated_ = false;
  bool useTFields_ = true;
  bool titleButtons_ = false;
  bool focusOnClick_ = true;
  std::uint8_t titleOffset_ = 1, indicatorOffset_ = 1;
  bool inLayout_ = false;
  std::uint8_t layoutLock_ = 0;
  bool inUpdateRowCount_ = false;
  bool inColExit_ = false;
  bool copyingTitleFont_ = false;
  AnsiString editText_;
  int selRow_ = 0;  // grid row where the indicator was last drawn
  int pressedCol_ = -1, pressedRow_ = -1;
  TBookmark anchorBookmark_ = nullptr;
};

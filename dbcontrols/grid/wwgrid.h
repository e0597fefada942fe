// TwwDBGrid, the published data grid: the grid base (wwdbgrid.h) with the
// control types of the dataset's ControlType list per column (check boxes
// that toggle their field, pictures, rich text shown as plain text, and
// any edit control of the form laid over the current cell to edit its
// field), the memo dialog for memo cells, fixed data columns, the colour of
// the fixed cells, an indicator button, and multi-selection of records by
// bookmark (Ctrl and Shift clicks, a check column named "selected").
//
// Invariants:
// - The selected-records list holds one bookmark per selected record, never
//   two for the same record; the grid owns and frees them.
// - The row flags say, for each row of the data link's window, whether its
//   record is selected; they are rebuilt before every paint and after every
//   change of the selection.
// - An edit control of a column is a child of the grid while the grid uses
//   it, hidden unless it lies exactly over the current cell; it edits the
//   field through its own data link, bound to the grid's source.
// - The memo dialog opens only for fields that hold text: a picture or other
//   binary BLOB is never edited as text.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/grid/wwdbgrid.h"
#include "dbcontrols/grid/wwmemodlg.h"
#include "platform/ui/extctrls.h"

class TwwDBGrid;
class TWPRtfStorage;

enum : unsigned { ecoCheckboxSingleClick = 1u << 0, ecoSearchOwnerForm = 1u << 1 };
using TwwEditControlOptions = unsigned;

using TwwMemoOpenEvent = std::function<void(TwwDBGrid* Grid, TwwMemoDialog* MemoDialog)>;
using TwwMemoCloseEvent = std::function<void(TwwDBGrid* Grid, bool Cancel)>;
using TwwSelectRecordEvent = std::function<void(TwwDBGrid* Grid, bool Selecting, bool& Accept)>;

// The button in the grid's top-left corner. Its width minus one is the
// indicator column's width; while it is visible the title row is at least
// as high as the button.
class TwwIButton : public TSpeedButton {
  ORV_CLASS(TwwIButton, TSpeedButton)
  explicit TwwIButton(TwwDBGrid* grid);
  void Dispatch(TMessage& m) override;
  void SetBounds(int left, int top, int width, int height) override;
  void Loaded() override;

 private:
  void TellGrid();
  TwwDBGrid* grid_;
};

class TwwDBGrid : public TwwCustomDBGrid {
  ORV_CLASS_PUBLISHED(TwwDBGrid, TwwCustomDBGrid)
  friend class TwwIButton;

 public:
  explicit TwwDBGrid(TComponent* owner);
  ~TwwDBGrid() override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;

  // ---- properties ----
  // Only sources of the family: the getter answers null for any other.
  TwwDataSource* DataSource() const;
  void SetDataSource(TwwDataSource* v);
  TwwMemoAttributes MemoAttributes() const { return memoAttributes_; }
  void SetMemoAttributes(TwwMemoAttributes v) { memoAttributes_ = v; }
  // Data columns that stay at the left, after the indicator.
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int v);
  TwwEditControlOptions EditControlOptions() const { return editControlOptions_; }
  void SetEditControlOptions(TwwEditControlOptions v) { editControlOptions_ = v; }
  TwwIButton* IndicatorButton() const { return iButton_; }
  // Columns of the windowing grid, indicator and fixed columns included.
  int GetColCount() const { return ColCount(); }
  // Makes the last column fill the client width (not written back into
  // Selected).
  void StretchLastColumn();
  // The width at which a column shows `text` whole in the grid's font, in
  // its cells and in their editor with the caret behind it.
  int ColumnWidthForText(const AnsiString& text) const;

  // ---- multi-selection ----
  // Bookmarks of the selected records, in the order they were selected.
  const std::vector<TBookmark>& SelectedList() const { return selectedList_; }
  void SelectRecord() override;
  void UnselectRecord() override;
  void UnselectAll() override;
  bool IsCurrentRecordSelected() override;

  // The edit control laid over the current cell, or null.
  TWinControl* CurrentEditControl() const { return currentEditControl_; }
  // The memo dialog for the current cell (F2 or a double click on a memo).
  void ShowMemoDialog();

  TwwMemoOpenEvent OnMemoOpen;
  TwwMemoCloseEvent OnMemoClose;
  TwwSelectRecordEvent OnMultiSelectRecord;

 protected:
  void Loaded() override;
  void Paint() override;
  bool CanEditShow() override;
  void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
  void Scroll(int distance) override;
  void ApplySelected() override;
  void LinkActive(bool active) override;
  bool CellHasControl(int col, int row) override;
  TColor FixedCellColor(int col) override;
  void UpdateRowSelectionFlags() override;
  void HideEditControl() override;
  void UpdateData() override;
  bool IsRowMultiSelected(int dataRow) override;
  AnsiString GetDisplayText(int dataCol) override;
  void ColExit() override;
  void ColumnMoved(int from, int to) override;
  void TopLeftChanged() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void PasteIntoCell() override;
  void DblClick() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  // Binds and hides every edit control the dataset's ControlType names.
  void PrepareEditControls();
  // The control a ControlType entry names, searched on the grid's form (or
  // among the dataset owner's components for "prefix.name"); null unless it
  // is an edit control (for "RichEdit", any windowed control).
  TWinControl* FindEditControl(const AnsiString& name, bool anyWindowed) const;
  // The edit control of a data column, or null.
  TWinControl* EditControlOf(int dataCol) const;

 private:
  bool Editable() const { return (Options() & dgEditing) && !ReadOnly(); }
  // The control type of a data column's field ("" without one).
  AnsiString ColumnControlType(int dataCol, AnsiString* parameters = nullptr) const;
  // Check box, picture or rich text, or an edit control that was found.
  bool HasControlType(int col, int row) const;
  bool IsTextMemoCell(int col, int row) const;
  TWinControl* VisibleEditControl() const;
  void PrepareControl(TWinControl* control, const AnsiString& fieldName);
  bool MayEditField(const TField* field) const;
  void ToggleCheckBox();
  void SendF2(TWinControl* control);
  void UpdateFromDataSet();
  void WriteFieldsToSelected(TDataSet* ds);
  int SelectedIndexOf(TBookmark bm) const;
  void SelectRange();
  void PlaceRecordAtRow(TBookmark bm, int dataRow);
  // The text of a BLOB in the row being painted (the current record's
  // field, else the stored value of that row), at most `limit` bytes.
  AnsiString BlobTextOfPaintedRow(TField* field, int limit);
  AnsiString RichPlainText(TField* field);
  void IndicatorButtonChanged();

  TwwIButton* iButton_ = nullptr;  // owned as a component and a child
  TwwMemoAttributes memoAttributes_ = wwDefaultMemoAttributes;
  int fixedCols_ = 0;
  TwwEditControlOptions editControlOptions_ = ecoSearchOwnerForm;
  std::vector<TBookmark> selectedList_;
  // Objects the grid owns on behalf of its users; freed with it.
  std::vector<std::unique_ptr<TObject>> ownedObjects_;
  std::vector<bool> rowFlags_;
  TWinControl* currentEditControl_ = nullptr;
  std::unique_ptr<TWPRtfStorage> richText_;
  bool updatingFromDataSet_ = false;
  bool updatedOnce_ = false;
  bool editControlsPrepared_ = false;
  bool loaded_ = false;
  bool paintingCell_ = false;
  bool linkActivating_ = false;
  bool settingTopRow_ = false;
  bool keepAnchor_ = false;
};

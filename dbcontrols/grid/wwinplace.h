// The in-place editor of the data-aware grid: the library's editor laid over
// the current cell, with the picture settings of the cell's field and the
// grid's word-wrap option. Typed characters are checked against the field's
// picture mask as they come (literals filled in, characters that break the
// mask refused with a beep); the grid asks it whether its text passes the
// mask before a column is left, and the grid's OnCheckValue hears every
// such answer. Enter becomes Tab when the grid's key options say so.
//
// Invariants: the editor belongs to its grid (its owner) and lives as long
// as it; UsesPictureMask says whether the field being edited has a mask
// entry, and the picture settings hold that entry while the editor has the
// focus.
#pragma once

#include <memory>

#include "dbcontrols/common/wwdbpicture.h"
#include "platform/ui/grids.h"

class TField;
class TwwCustomDBGrid;

class TwwInplaceEdit : public TInplaceEdit {
  ORV_CLASS(TwwInplaceEdit, TInplaceEdit)
  // `owner` is the grid; the word-wrap setting follows its dgWordWrap.
  explicit TwwInplaceEdit(TComponent* owner);
  ~TwwInplaceEdit() override;
  void Dispatch(TMessage& m) override;

  TwwDBPicture* Picture() const { return picture_.get(); }
  TwwCustomDBGrid* wwGrid() const { return wwGrid_; }
  bool WordWrap() const { return wordWrap_; }
  // Stores the flag and re-creates the window so that it takes effect.
  void SetWordWrap(bool v);
  bool UsesPictureMask() const { return usesPictureMask_; }
  void SetUsesPictureMask(bool v) { usesPictureMask_ = v; }
  // The editor uses a picture mask and the mask is not empty.
  bool HasPictureMask() const;
  // Empty text and no mask pass; otherwise the text must match the mask
  // completely. The grid's OnCheckValue is told the answer.
  bool IsValidPictureText(const AnsiString& text);
  // Takes the picture-mask entry of the current cell's field.
  void LoadPictureMask();

 protected:
  void CreateParams(TCreateParams& p) override;
  // Enter under dgEnterToTab goes to the grid, which tabs.
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  bool IsOwnLiteral(char c) const override;
  void PastedForm(AnsiString& text) const override;
  bool TakesPastedChar(char c) const override;

 private:
  bool EnterToTab() const;
  // The field of the cell being edited, or null.
  TField* CellField() const;
  // Left, top, right and bottom of the text inside the editor.
  void SetFormatRect();
  std::unique_ptr<TwwDBPicture> picture_;
  TwwCustomDBGrid* wwGrid_ = nullptr;
  bool wordWrap_ = false;
  bool usesPictureMask_ = false;
};

// The data-aware edit of the data-aware controls: one field of a dataset (or
// an unbound value) in an edit box whose typed text is checked and completed
// against a picture mask. TwwCustomMaskEdit holds the picture and the word
// wrap; TwwDBCustomEdit binds a field and does the typing, the checks and
// the exit rule (also the base of the combo-style edits and the spin edit);
// TwwDBEdit publishes it.
//
// Invariants:
// - While bound, the text is the field's: its edit text while the edit has
//   the focus (or the whole memo of a memo field), its display text
//   otherwise; what the user changes reaches the field only through the
//   field data link's update (on exit or when the record is written).
// - A character is typed only into an edit, field and dataset that may
//   change; the dataset is put into edit state before the text changes.
// - With a picture mask a modified text that breaks it keeps the focus on
//   exit (beep, whole text selected) unless AllowInvalidExit; the mask's
//   checks never raise, they report through OnCheckValue.
// - Laid over the current cell of a data grid, the edit hands the grid its
//   navigation keys, and Tab and Enter return the focus to the grid.
#pragma once

#include <memory>

#include "dbcontrols/common/wwdbpicture.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/db/db.h"
#include "platform/ui/mask.h"

class TwwCustomDBGrid;

enum TwwEditDataType { wwDefault, wwEdtDate, wwEdtTime, wwEdtDateTime };

class TwwCustomMaskEdit : public TCustomMaskEdit {
  ORV_CLASS(TwwCustomMaskEdit, TCustomMaskEdit)
  explicit TwwCustomMaskEdit(TComponent* owner);
  ~TwwCustomMaskEdit() override;

  TwwDBPicture* Picture() const { return picture_.get(); }
  void SetPicture(const TwwDBPicture* v) { picture_->Assign(v); }
  bool WordWrap() const { return wordWrap_; }
  // Stores the flag and re-creates the window so that it takes effect.
  void SetWordWrap(bool v);
  // The last exit was refused because the text broke the mask.
  bool ExitRefused() const { return exitRefused_; }
  // The mask put the text in itself on the last key.
  bool MaskChangedText() const { return maskChangedText_; }

 protected:
  void CreateParams(TCreateParams& p) override;
  std::unique_ptr<TwwDBPicture> picture_;
  bool wordWrap_ = false;
  bool exitRefused_ = false;
  bool maskChangedText_ = false;
};

class TwwDBCustomEdit : public TwwCustomMaskEdit, public TwwPictureHost {
  ORV_CLASS(TwwDBCustomEdit, TwwCustomMaskEdit)
  explicit TwwDBCustomEdit(TComponent* owner);
  ~TwwDBCustomEdit() override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;

  // ---- binding ----
  // Only sources of the family: the getter answers null for any other.
  TwwDataSource* DataSource() const;
  void SetDataSource(TwwDataSource* v);
  const AnsiString& DataField() const { return dataLink_.FieldName(); }
  void SetDataField(const AnsiString& v) { dataLink_.SetFieldName(v); }
  TField* Field() const { return dataLink_.Field(); }
  TFieldDataLink* DataLink() { return &dataLink_; }
  // Of both the link and the edit.
  bool ReadOnly() const { return dataLink_.ReadOnly(); }
  void SetReadOnly(bool v);

  // ---- options ----
  bool UsePictureMask() const { return usePictureMask_; }
  void SetUsePictureMask(bool v) { usePictureMask_ = v; }
  bool WantReturns() const { return wantReturnsOption_; }
  void SetWantReturns(bool v);
  bool ShowVertScrollBar() const { return showVertScrollBar_; }
  void SetShowVertScrollBar(bool v);
  // Space completes a date or time with the current one.
  bool AutoFillDate() const { return autoFillDate_; }
  void SetAutoFillDate(bool v) { autoFillDate_ = v; }
  TwwEditDataType UnboundDataType() const { return unboundDataType_; }
  void SetUnboundDataType(TwwEditDataType v) { unboundDataType_ = v; }

  // ---- picture ----
  // Mask and auto-fill flag come from the dataset's PictureMasks entry of
  // the bound field.
  bool UsesTableMask() const;
  bool PictureMaskField(TDataSet*& dataSet, AnsiString& fieldName) const override;
  bool HasPictureMask() const;
  // Empty text and empty mask pass; otherwise the text must match the mask
  // completely. OnCheckValue hears the answer.
  bool IsValidPictureText(const AnsiString& text);
  TwwValidateEvent OnCheckValue;

  // ---- the value's kind ----
  bool IsDateField() const;
  bool IsTimeField() const;
  bool IsDateTimeField() const;
  bool IsMemoField() const;

  // True also marks the field data link modified, unless the field is
  // read-only (then nothing changes).
  void SetModified(bool v);

  // The text a grid cell shows for a field value when this edit edits the
  // column; False leaves the cell the field's display text.
  virtual bool GridCellText(const TField* field, AnsiString& cellText) const;
  // The data grid the edit lies on, or null.
  TwwCustomDBGrid* Grid() const;

  // A combo-style edit that shows a display text in place of the stored
  // value answers that text here (True: the edit maps values); the plain
  // edit maps nothing. While it maps, typed characters skip the field's
  // character check.
  virtual bool TextForValue(const AnsiString& value, AnsiString& text) const;
  // The value the edit's text stands for, which goes into the field.
  virtual AnsiString ValueForText() const { return Text(); }

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void Loaded() override;
  void Resize() override;
  void Paint() override;
  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;
  virtual void DataChange();
  virtual void EditingChange();
  virtual void UpdateData();
  // Puts the field into edit state; False when it cannot change (an
  // unbound edit answers whether it is writable).
  bool EditField();
  // OnCheckValue with the current text, when assigned.
  void CheckValue();
  // Completes a date or time on Space; True when the text changed.
  bool CompleteDateOrTime();
  // Sets the formatting rectangle; edits with a button at the right keep
  // the text clear of it.
  virtual void SetFormatRect();
  // Neither the edit, its link, the field nor the dataset is read-only.
  bool MayType() const;
  bool IsOwnLiteral(char c) const override;
  void PastedForm(AnsiString& text) const override;
  bool TakesPastedChar(char c) const override;
  bool showing_ = false;  // the text is being set from the field

 private:
  void SetFocused(bool v);
  TFieldDataLink dataLink_;
  bool usePictureMask_ = true;
  bool wantReturnsOption_ = false;
  bool showVertScrollBar_ = false;
  bool autoFillDate_ = true;
  TwwEditDataType unboundDataType_ = wwDefault;
  bool focused_ = false;
};

// Publishes the properties of a data-aware edit (data source, field, read
// only, picture, the options and OnCheckValue); the combo-style edits add
// their own.
template <class C>
void wwPublishDBEditProperties(TClassInfo& ci) {
  PublishObject<C, TwwDataSource>(ci, "DataSource", &C::DataSource, &C::SetDataSource);
  PublishString<C>(ci, "DataField", &C::DataField, &C::SetDataField);
  PublishBool<C>(ci, "ReadOnly", &C::ReadOnly, &C::SetReadOnly);
  PublishObject<C, TwwDBPicture>(ci, "Picture", &C::Picture, &C::SetPicture);
  PublishBool<C>(ci, "UsePictureMask", &C::UsePictureMask, &C::SetUsePictureMask);
  PublishBool<C>(ci, "AutoFillDate", &C::AutoFillDate, &C::SetAutoFillDate);
  PublishInteger<C>(ci, "UnboundDataType", &C::UnboundDataType, &C::SetUnboundDataType);
  PublishEvent<C, TwwValidateEvent>(ci, "OnCheckValue", &C::OnCheckValue);
}

class TwwDBEdit : public TwwDBCustomEdit {
  ORV_CLASS_PUBLISHED(TwwDBEdit, TwwDBCustomEdit)
  explicit TwwDBEdit(TComponent* owner) : TwwDBCustomEdit(owner) {}
};

// The data-aware spin edit: the data-aware edit with a spin button at its
// right edge. The arrows and the Up and Down keys step a number by
// Increment between MinValue and MaxValue, or, on date, time and date-time
// values, step the day, month, year, hour, minute, second or AM/PM part
// under the caret.
//
// Invariants:
// - Value is computed from the text every time; unreadable text reads as
//   MinValue, and a number beyond the bound field's range reads as the end
//   of that range (it never overflows).
// - Setting Value writes the text clamped to [MinValue, MaxValue] (both 0:
//   no bounds); a typed number beyond the bounds stays until the edit is
//   left or its text goes into the field, and is clamped then.
// - A step changes nothing but beeps when the edit, its field or its
//   dataset cannot change; the field is put into edit state before the
//   text changes.
// - With EditorEnabled off only the arrows change the text: typing,
//   Delete, paste and cut are refused.
#pragma once

#include "dbcontrols/edit/wwdbedit.h"
#include "dbcontrols/edit/wwspin.h"

class TwwDBSpinEdit : public TwwDBCustomEdit {
  ORV_CLASS_PUBLISHED(TwwDBSpinEdit, TwwDBCustomEdit)

 public:
  explicit TwwDBSpinEdit(TComponent* owner);
  ~TwwDBSpinEdit() override;
  void Dispatch(TMessage& m) override;

  double MinValue() const { return minValue_; }
  void SetMinValue(double v) { minValue_ = v; }
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double v) { maxValue_ = v; }
  double Increment() const { return increment_; }
  void SetIncrement(double v) { increment_ = v; }
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  TwwSpinButton* SpinButton() const { return button_; }

  // The value of the text, by the kind of the value (see the invariants).
  double Value() const { return GetValue(); }
  void SetValue(double v);
  double GetValue() const;
  // The value within [MinValue, MaxValue]; unchanged when both are 0.
  double CheckValue(double v) const;

  // What the arrows and the Up and Down keys do.
  virtual void UpClick();
  virtual void DownClick();

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void Loaded() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoExit() override;
  void UpdateData() override;
  void SetFormatRect() override;
  // Whether a typed character may go in.
  virtual bool IsValidChar(char key) const;
  bool TakesPastedChar(char c) const override;

 private:
  void Step(bool up);
  void PlaceButton();
  // The kinds of value of the bound field, or of the unbound edit.
  bool IsFloatKind() const;
  bool IsIntegerKind() const;
  // Replaces the text as the user would (the field follows on exit).
  void PutText(const AnsiString& text);
  double minValue_ = 0, maxValue_ = 0, increment_ = 1;
  bool editorEnabled_ = true;
  TwwSpinButton* button_ = nullptr;
};

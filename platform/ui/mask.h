// The mask edit: an edit whose text follows an edit mask such as
// "90:00;1;_" (mask characters; whether literals are kept in Text; the
// character that shows an empty position). The caret steps over literals,
// typed characters overwrite positions and must fit their mask character,
// and leaving a modified, incomplete text raises EDBEditError.
// Invariants: while masked, the window text always has the mask's length,
// with literals in place and empty positions shown by the blank character.
#pragma once

#include <vector>

#include "platform/rtl/cp1252.h"
#include "platform/ui/stdctrls.h"

class EDBEditError : public Exception {
 public:
  using Exception::Exception;
};

namespace maskdetail {
enum SlotKind { skLiteral, skInput };
struct Slot {
  SlotKind kind;
  char ch;        // the literal, or the mask character (L l A a C c 0 9 #)
  int caseMode;   // 0 as typed, 1 upper, 2 lower
};
struct ParsedMask {
  std::vector<Slot> slots;
  bool saveLiterals = true;
  char blank = '_';
  bool empty() const { return slots.empty(); }
};
ParsedMask ParseMask(const AnsiString& editMask);
bool Required(char maskChar);
// Whether `c` may stand at an input position of mask character `m`
// (after case conversion).
bool Accepts(char m, char c);
}  // namespace maskdetail

// The value shown by `editMask` for `value` (as the library's FormatMaskText).
AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value);

// What the user hears when a text that breaks its mask is to be left.
inline constexpr auto kInvalidInputText =
    CP1252("Ungültige Eingabe. Mit Escape werden die Änderungen verworfen.");

class TCustomMaskEdit : public TCustomEdit {
  ORV_CLASS(TCustomMaskEdit, TCustomEdit)

 public:
  explicit TCustomMaskEdit(TComponent* owner);
  void Dispatch(TMessage& m) override;
  const AnsiString& EditMask() const { return editMask_; }
  void SetEditMask(const AnsiString& m);
  bool IsMasked() const { return !mask_.empty(); }
  // The window text, blanks included ("1_:__").
  AnsiString EditText() const { return TControl::Text(); }
  void SetEditText(const AnsiString& s);
  // The value: literals only when the mask keeps them, empty positions as
  // blanks ("1 :  " or "1   ").
  AnsiString Text() const;
  void SetText(const AnsiString& s) override;
  // Raises EDBEditError when a required position is empty.
  virtual void ValidateEdit();
  bool Validate(const AnsiString& editText, int& errorPos) const;
  // Restores the text the edit had when it got the focus (Escape).
  void Reset();

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // A pasted text typed key by key, as the mask takes typed keys: a key it
  // refuses is left out and named afterwards (the field's room told as
  // typing tells it), without a beep for each.
  void TypeText(const AnsiString& text);
  // Whether the field shows `c` itself where the caret stands (a literal
  // of its mask): pasted, it is taken as that literal and not typed.
  virtual bool IsOwnLiteral(char c) const;
  // Next input position at or after (dir 1) / before (dir -1) `pos`.
  int NextInput(int pos, int dir) const;
  void BlankRange(int from, int to);

 private:
  AnsiString MaskedFrom(const AnsiString& value) const;
  AnsiString editMask_;
  maskdetail::ParsedMask mask_;
  AnsiString enterText_;
  bool reEnter_ = false;
};

class TMaskEdit : public TCustomMaskEdit {
  ORV_CLASS(TMaskEdit, TCustomMaskEdit)

 public:
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};

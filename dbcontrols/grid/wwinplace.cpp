// The grid's in-place editor: picture settings, word wrap, typing under the
// mask, the mask check, the mask of the cell's field taken when the editor
// gets the focus, pasting and the text's rectangle.
#include "dbcontrols/grid/wwinplace.h"

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/grid/wwdbgrid.h"
#include "dbcontrols/text/wwpicture.h"
#include "dbcontrols/text/wwvalidate.h"

TwwInplaceEdit::TwwInplaceEdit(TComponent* owner)
    : TInplaceEdit(owner), picture_(std::make_unique<TwwDBPicture>(this)) {
  wwGrid_ = dynamic_cast<TwwCustomDBGrid*>(owner);
  wordWrap_ = wwGrid_ && (wwGrid_->Options() & dgWordWrap);
}

TwwInplaceEdit::~TwwInplaceEdit() = default;

void TwwInplaceEdit::CreateParams(TCreateParams& p) {
  TInplaceEdit::CreateParams(p);
  p.Style &= ~(ES_AUTOVSCROLL | ES_WANTRETURN);
  if (BorderStyle() == bsNone || wordWrap_) p.Style |= ES_MULTILINE;
  // The edit's own style keeps the wrapping of its last window; say it anew.
  if (wordWrap_)
    p.Style = (p.Style & ~ES_AUTOHSCROLL) | ES_AUTOVSCROLL;
  else
    p.Style |= ES_AUTOHSCROLL;
}

bool TwwInplaceEdit::EnterToTab() const { return wwGrid_ && (wwGrid_->KeyOptions() & dgEnterToTab); }

void TwwInplaceEdit::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_RETURN && EnterToTab()) {
    if (wwGrid_->CanFocus()) wwGrid_->SetFocus();
    wwGrid_->KeyDown(key, shift);
    key = 0;
    return;
  }
  TInplaceEdit::KeyDown(key, shift);
}

void TwwInplaceEdit::KeyUp(Word& key, TShiftState shift) {
  if (key == VK_RETURN && EnterToTab()) key = VK_TAB;
  TInplaceEdit::KeyUp(key, shift);
  if (key == VK_DELETE && wwGrid_ && wwGrid_->OnCheckValue) IsValidPictureText(Text());
}

void TwwInplaceEdit::KeyPress(char& key) {
  if (key == 13 && EnterToTab()) key = 9;
  const unsigned char k = static_cast<unsigned char>(key);
  if (!HasPictureMask() || (k < 32 && k != 8)) {
    TInplaceEdit::KeyPress(key);
    return;
  }
  const bool check = wwGrid_ && wwGrid_->OnCheckValue;
  if (k == 8) {
    // The text the key leaves: the selection gone, or the character
    // before the caret.
    AnsiString left = Text();
    const int start = SelStart(), length = SelLength();
    if (length > 0)
      left.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
    else if (start > 0)
      left.erase(static_cast<std::size_t>(start) - 1, 1);
    TInplaceEdit::KeyPress(key);
    if (check) IsValidPictureText(left);
    return;
  }
  if (!FilterKeyPress(key)) return;
  const TwwPictureKey result = wwPictureKeyPress(this, picture_->PictureMask(), picture_->AutoFill(), true, key);
  if (key != 0) TCustomMaskEdit::KeyPress(key);
  if (result != TwwPictureKey::Refused && check) IsValidPictureText(Text());
}

bool TwwInplaceEdit::IsOwnLiteral(char c) const {
  return wwPictureOwnLiteral(this, picture_.get(), HasPictureMask(), c) || TInplaceEdit::IsOwnLiteral(c);
}

TField* TwwInplaceEdit::CellField() const {
  return wwGrid_ && wwGrid_->DataSource() && wwGrid_->DataSource()->DataSet()
             ? wwGrid_->GetColField(wwGrid_->GetSelectedIndex())
             : nullptr;
}

void TwwInplaceEdit::PastedForm(AnsiString& text) const {
  const TField* f = CellField();
  if (f && (f->DataType() == ftDate || f->DataType() == ftDateTime)) text = wwDateFromIso(text);
}

bool TwwInplaceEdit::TakesPastedChar(char c) const {
  const TField* f = CellField();
  return !f || f->IsValidChar(c);
}

void TwwInplaceEdit::SetFormatRect() {
  if (!HandleAllocated()) return;
  const int inset = BorderStyle() == bsNone ? 2 : 0;
  TRect r{inset, inset, ClientWidth() - 1, ClientHeight()};
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TwwInplaceEdit::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  if (HandleAllocated()) RecreateWnd();
}

bool TwwInplaceEdit::HasPictureMask() const { return usesPictureMask_ && !picture_->PictureMask().empty(); }

bool TwwInplaceEdit::IsValidPictureText(const AnsiString& text) {
  bool valid = true;
  if (!text.empty() && HasPictureMask()) {
    TwwPictureValidator validator(picture_->PictureMask(), picture_->AutoFill());
    AnsiString copy = text;
    valid = validator.MatchText(copy, false) == pmComplete;
  }
  if (wwGrid_ && wwGrid_->OnCheckValue) wwGrid_->OnCheckValue(this, valid);
  return valid;
}

void TwwInplaceEdit::LoadPictureMask() {
  if (!wwGrid_ || !wwGrid_->DataSource() || !wwGrid_->DataSource()->DataSet()) return;
  TField* field = wwGrid_->GetColField(wwGrid_->GetSelectedIndex());
  if (!field) return;
  bool allowInvalidExit = false, autoFill = true;
  AnsiString mask;
  wwGetFieldPictureMask(wwGrid_->DataSource()->DataSet(), field->FieldName(), false, allowInvalidExit, autoFill,
                        mask);
  usesPictureMask_ = !mask.empty();
  picture_->SetPictureMask(mask);
  picture_->SetAutoFill(autoFill);
  picture_->SetAllowInvalidExit(false);
  IsValidPictureText(field->Text());
}

void TwwInplaceEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
      TInplaceEdit::Dispatch(m);
      LoadPictureMask();
      return;
    case WM_PASTE:
      // Only into a cell the grid lets change; the grid then holds the
      // pasted text as its pending edit.
      if (wwGrid_ && !wwGrid_->CanEditModify()) return;
      if (HasPictureMask() && !IsMasked()) {
        // Pasted text meets the picture mask as typed text does.
        AnsiString text;
        if (PastedText(text)) TypeText(text);
      } else {
        TInplaceEdit::Dispatch(m);
      }
      if (wwGrid_) {
        wwGrid_->SetEditText(wwGrid_->Col(), wwGrid_->Row(), Text());
        wwGrid_->DataLink()->Modified();
      }
      return;
    case CM_FONTCHANGED:
      TInplaceEdit::Dispatch(m);
      SetFormatRect();
      return;
    case WM_MOUSEWHEEL:
      // A one-line editor does not scroll: the grid moves its records.
      if (Grid()) {
        m.Result = Grid()->Perform(m.Msg, m.WParam, m.LParam);
        return;
      }
      break;
    default: break;
  }
  TInplaceEdit::Dispatch(m);
}

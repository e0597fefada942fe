// The grid's in-place editor: picture settings, word wrap, the mask check
// and the mask of the cell's field taken when the editor gets the focus.
#include "dbcontrols/grid/wwinplace.h"

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/grid/wwdbgrid.h"
#include "dbcontrols/text/wwpicture.h"

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

void TwwInplaceEdit::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_RETURN && wwGrid_ && (wwGrid_->KeyOptions() & dgEnterToTab)) {
    if (wwGrid_->CanFocus()) wwGrid_->SetFocus();
    wwGrid_->KeyDown(key, shift);
    key = 0;
    return;
  }
  TInplaceEdit::KeyDown(key, shift);
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

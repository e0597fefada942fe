// The data-aware edit: binding, typing under the picture mask, the exit
// rule, date and time completion, its own painting of aligned text, and the
// keys it hands to the data grid it lies on.
#include "dbcontrols/edit/wwdbedit.h"

#include <algorithm>
#include <vector>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/grid/wwdbgrid.h"
#include "dbcontrols/text/wwpicture.h"
#include "dbcontrols/text/wwvalidate.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/forms.h"

namespace {

// The pieces of a text between separators; a trailing separator adds none.
std::vector<AnsiString> Pieces(const AnsiString& text, char sep) {
  std::vector<AnsiString> out;
  if (text.empty()) return out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t p = text.find(sep, start);
    if (p == AnsiString::npos) {
      if (start < text.size()) out.push_back(text.substr(start));
      break;
    }
    out.push_back(text.substr(start, p - start));
    start = p + 1;
  }
  return out;
}

AnsiString TwoDigits(const AnsiString& s) { return s.size() == 1 ? "0" + s : s; }

bool AllDigits(const AnsiString& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Day, month and year typed so far, completed from `today` in the order of
// the short date format; empty when the text is not the start of a date or
// already holds all three parts.
AnsiString CompleteDate(const AnsiString& text, TDateTime today) {
  std::vector<AnsiString> parts = Pieces(text, DateSeparator);
  if (parts.size() >= 3) return AnsiString();
  for (const AnsiString& p : parts)
    if (!AllDigits(p) || p.size() > 2) return AnsiString();
  int y = 0, m = 0, d = 0;
  DecodeDate(today, y, m, d);
  const AnsiString now[3] = {TwoDigits(IntToStr(d)), TwoDigits(IntToStr(m)), IntToStr(y)};
  // Slot of day, month and year in the text.
  int slot[3] = {0, 1, 2};  // positions of the parts for day, month, year
  switch (wwDateOrder(ShortDateFormat)) {
    case doMDY: slot[0] = 1; slot[1] = 0; slot[2] = 2; break;
    case doYMD: slot[0] = 2; slot[1] = 1; slot[2] = 0; break;
    default: break;
  }
  AnsiString piece[3];
  for (int part = 0; part < 3; ++part) {
    const std::size_t at = static_cast<std::size_t>(slot[part]);
    piece[at] = at < parts.size() ? (part == 2 ? parts[at] : TwoDigits(parts[at])) : now[part];
  }
  // A year typed first (year-month-day order) is widened to the century.
  if (slot[2] == 0 && !parts.empty() && parts[0].size() <= 2)
    piece[0] = IntToStr(y / 100 * 100 + StrToInt(parts[0]));
  return piece[0] + DateSeparator + piece[1] + DateSeparator + piece[2];
}

// Hour and minute typed so far, completed from `now`; with a twelve-hour
// clock the AM or PM text follows.
AnsiString CompleteTime(const AnsiString& text, TDateTime now) {
  const bool twelve = !TimeAMString.empty();
  AnsiString body = text;
  if (twelve) {
    const std::size_t blank = body.find(' ');
    if (blank != AnsiString::npos) body = body.substr(0, blank);
  }
  std::vector<AnsiString> parts = Pieces(body, TimeSeparator);
  if (parts.size() >= 2) return AnsiString();
  for (const AnsiString& p : parts)
    if (!AllDigits(p) || p.size() > 2) return AnsiString();
  int h = 0, n = 0, s = 0, ms = 0;
  DecodeTime(now, h, n, s, ms);
  int hour = parts.empty() ? h : StrToInt(parts[0]);
  AnsiString suffix;
  if (twelve) {
    suffix = " " + (hour >= 12 && hour < 24 ? TimePMString : TimeAMString);
    if (hour > 12) hour -= 12;
    if (hour == 0) hour = 12;
  }
  return TwoDigits(IntToStr(hour)) + TimeSeparator + TwoDigits(IntToStr(n)) + suffix;
}

}  // namespace

// ---------------------------------------------------------------- TwwCustomMaskEdit

TwwCustomMaskEdit::TwwCustomMaskEdit(TComponent* owner)
    : TCustomMaskEdit(owner), picture_(std::make_unique<TwwDBPicture>(this)) {}

TwwCustomMaskEdit::~TwwCustomMaskEdit() = default;

void TwwCustomMaskEdit::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  if (HandleAllocated()) RecreateWnd();
}

void TwwCustomMaskEdit::CreateParams(TCreateParams& p) {
  TCustomMaskEdit::CreateParams(p);
  p.Style &= ~(ES_WANTRETURN | ES_AUTOVSCROLL);
  // The edit keeps the style of its last window: say every bit anew.
  if (BorderStyle() == bsNone || wordWrap_)
    p.Style |= ES_MULTILINE;
  else
    p.Style &= ~ES_MULTILINE;
  if (wordWrap_)
    p.Style = (p.Style & ~ES_AUTOHSCROLL) | ES_AUTOVSCROLL;
  else
    p.Style |= ES_AUTOHSCROLL;
}

// ---------------------------------------------------------------- TwwDBCustomEdit

TwwDBCustomEdit::TwwDBCustomEdit(TComponent* owner) : TwwCustomMaskEdit(owner) {
  dataLink_.SetControl(this);
  dataLink_.OnDataChange = [this](TObject*) { DataChange(); };
  dataLink_.OnEditingChange = [this](TObject*) { EditingChange(); };
  dataLink_.OnUpdateData = [this](TObject*) { UpdateData(); };
  dataLink_.OnFocusRequest = [this](TObject*) {
    if (CanFocus()) SetFocus();
  };
}

TwwDBCustomEdit::~TwwDBCustomEdit() { dataLink_.SetDataSource(nullptr); }

TwwDataSource* TwwDBCustomEdit::DataSource() const { return dynamic_cast<TwwDataSource*>(dataLink_.DataSource()); }

void TwwDBCustomEdit::SetDataSource(TwwDataSource* v) {
  if (TDataSource* old = dataLink_.DataSource()) RemoveFreeNotification(old);
  if (v) FreeNotification(v);
  dataLink_.SetDataSource(v);
}

void TwwDBCustomEdit::Notification(TComponent* c, TOperation op) {
  TwwCustomMaskEdit::Notification(c, op);
  if (op == opRemove && c == dataLink_.DataSource()) dataLink_.SetDataSource(nullptr);
}

void TwwDBCustomEdit::SetReadOnly(bool v) {
  dataLink_.SetReadOnly(v);
  TCustomEdit::SetReadOnly(v);
}

void TwwDBCustomEdit::SetWantReturns(bool v) {
  if (v == wantReturnsOption_) return;
  wantReturnsOption_ = v;
  if (HandleAllocated()) RecreateWnd();
}

void TwwDBCustomEdit::SetShowVertScrollBar(bool v) {
  if (v == showVertScrollBar_) return;
  showVertScrollBar_ = v;
  if (HandleAllocated()) RecreateWnd();
}

TwwCustomDBGrid* TwwDBCustomEdit::Grid() const { return dynamic_cast<TwwCustomDBGrid*>(Parent()); }

// ---- picture

bool TwwDBCustomEdit::PictureMaskField(TDataSet*& dataSet, AnsiString& fieldName) const {
  TwwDataSource* source = DataSource();
  if (!source || !source->DataSet() || DataField().empty()) return false;
  dataSet = source->DataSet();
  fieldName = DataField();
  return true;
}

bool TwwDBCustomEdit::UsesTableMask() const {
  TDataSet* ds = nullptr;
  AnsiString field;
  return PictureMaskField(ds, field);
}

bool TwwDBCustomEdit::HasPictureMask() const { return usePictureMask_ && !picture_->PictureMask().empty(); }

bool TwwDBCustomEdit::IsValidPictureText(const AnsiString& text) {
  bool valid = true;
  const AnsiString mask = picture_->PictureMask();
  if (!text.empty() && !mask.empty()) {
    TwwPictureValidator validator(mask, picture_->AutoFill());
    AnsiString copy = text;
    valid = validator.MatchText(copy, false) == pmComplete;
  }
  if (OnCheckValue) OnCheckValue(this, valid);
  return valid;
}

void TwwDBCustomEdit::CheckValue() {
  if (OnCheckValue) IsValidPictureText(Text());
}

// ---- kind of value

bool TwwDBCustomEdit::IsDateField() const {
  if (TField* f = Field()) return f->DataType() == ftDate;
  return unboundDataType_ == wwEdtDate;
}

bool TwwDBCustomEdit::IsTimeField() const {
  if (TField* f = Field()) return f->DataType() == ftTime;
  return unboundDataType_ == wwEdtTime;
}

bool TwwDBCustomEdit::IsDateTimeField() const {
  if (TField* f = Field()) return f->DataType() == ftDateTime;
  return unboundDataType_ == wwEdtDateTime;
}

bool TwwDBCustomEdit::IsMemoField() const {
  TField* f = Field();
  return f && dynamic_cast<TBlobField*>(f) && f->DataType() == ftMemo;
}

bool TwwDBCustomEdit::TextForValue(const AnsiString& /*value*/, AnsiString& text) const {
  text.clear();
  return false;
}

bool TwwDBCustomEdit::GridCellText(const TField* /*field*/, AnsiString& cellText) const {
  cellText.clear();
  return false;
}

void TwwDBCustomEdit::SetModified(bool v) {
  if (v) {
    if (TField* f = Field(); f && f->ReadOnly()) return;
    dataLink_.Modified();
  }
  TCustomEdit::SetModified(v);
}

// ---- window

void TwwDBCustomEdit::CreateParams(TCreateParams& p) {
  scrollBars_ = showVertScrollBar_ ? ssVertical : ssNone;
  TwwCustomMaskEdit::CreateParams(p);
  if (wantReturnsOption_) p.Style |= ES_WANTRETURN;
  if (showVertScrollBar_) p.Style |= WS_VSCROLL;
}

void TwwDBCustomEdit::CreateWnd() {
  TwwCustomMaskEdit::CreateWnd();
  SetFormatRect();
}

void TwwDBCustomEdit::Resize() {
  TwwCustomMaskEdit::Resize();
  SetFormatRect();
}

void TwwDBCustomEdit::Loaded() {
  TwwCustomMaskEdit::Loaded();
  if (TField* f = Field(); f && f->DataType() == ftString && (MaxLength() == 0 || MaxLength() > f->Size()))
    SetMaxLength(f->Size());
}

// Only a window of several lines takes a formatting rectangle; a one-line
// edit keeps the library's margins.
void TwwDBCustomEdit::SetFormatRect() {
  if (!HandleAllocated() || !multiLine_) return;
  const int inset = BorderStyle() == bsNone ? 2 : 0;
  TRect r{inset, inset, ClientWidth() - 1, ClientHeight() + 1};
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TwwDBCustomEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PASTE:
    case WM_CUT:
      if (!Field() && TCustomEdit::ReadOnly()) return;
      if (Field() && !EditField()) {
        MessageBeep(0);
        return;
      }
      if (m.Msg == WM_PASTE && HasPictureMask() && !IsMasked()) {
        // Pasted text meets the picture mask as typed text does.
        AnsiString text;
        if (PastedText(text)) TypeText(text);
      } else {
        TwwCustomMaskEdit::Dispatch(m);
      }
      SetModified(true);
      if (OnCheckValue) IsValidPictureText(Text());
      return;
    case CN_KEYDOWN:
      if (TwwCustomDBGrid* grid = Grid()) {
        const int key = static_cast<int>(m.WParam);
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        const bool tab = key == VK_TAB && (grid->Options() & dgTabs);
        const bool enter = key == VK_RETURN && !(wantReturnsOption_ && !ctrl);
        if (tab || enter) {
          // The grid takes the focus (the edit writes its text on the way)
          // and goes on with the key as if it had it.
          if (grid->CanFocus()) grid->SetFocus();
          if (grid->Focused()) grid->Perform(WM_KEYDOWN, static_cast<WPARAM>(key), 0);
          m.Result = 1;
          return;
        }
      }
      break;
    case CM_FONTCHANGED:
      TwwCustomMaskEdit::Dispatch(m);
      if (!HasState(csLoading)) SetFormatRect();
      return;
    case CM_GETDATALINK:
      // The grid that lays the edit over a cell writes its text through it.
      m.Result = reinterpret_cast<LRESULT>(static_cast<TDataLink*>(&dataLink_));
      return;
    default: break;
  }
  TwwCustomMaskEdit::Dispatch(m);
}

// ---- data

void TwwDBCustomEdit::DataChange() {
  TField* f = Field();
  showing_ = true;
  TScopeExit shown{[this] { showing_ = false; }};
  if (!f) {
    SetText(HasState(csDesigning) ? Name() : AnsiString());
    return;
  }
  SetAlignment(f->Alignment());
  if (f->DataType() == ftString && MaxLength() == 0) SetMaxLength(f->Size());
  AnsiString text;
  if (IsMemoField())
    text = f->AsString();
  else if (focused_)
    text = f->Text();
  else
    text = f->DisplayText();
  // The same text again keeps caret and selection where they are.
  if (text != Text()) SetText(text);
}

void TwwDBCustomEdit::EditingChange() { Invalidate(); }

void TwwDBCustomEdit::UpdateData() {
  if (ReadOnly()) return;
  ValidateEdit();
  TField* f = Field();
  if (!f) return;
  if (IsMemoField())
    f->SetAsString(Text());
  else
    f->SetText(ValueForText());
}

void TwwDBCustomEdit::Change() {
  if (!showing_) dataLink_.Modified();
  TwwCustomMaskEdit::Change();
}

bool TwwDBCustomEdit::MayType() const {
  if (TCustomEdit::ReadOnly() || dataLink_.ReadOnly()) return false;
  TField* f = Field();
  if (!f) return true;
  return !f->ReadOnly() && f->DataSet() && f->DataSet()->CanModify();
}

bool TwwDBCustomEdit::IsOwnLiteral(char c) const {
  return wwPictureOwnLiteral(this, picture_.get(), HasPictureMask(), c) || TwwCustomMaskEdit::IsOwnLiteral(c);
}

void TwwDBCustomEdit::PastedForm(AnsiString& text) const {
  if (IsDateField() || IsDateTimeField()) text = wwDateFromIso(text);
}

bool TwwDBCustomEdit::TakesPastedChar(char c) const {
  AnsiString mapped;
  TField* f = Field();
  return !f || TextForValue(f->AsString(), mapped) || f->IsValidChar(c);
}

bool TwwDBCustomEdit::EditField() {
  TField* f = Field();
  if (!f) return !TCustomEdit::ReadOnly();
  if (wwIsCalcOrLookupField(f)) {
    TDataSet* ds = f->DataSet();
    if (ds->State() != dsEdit && ds->State() != dsInsert) ds->Edit();
    return ds->State() == dsEdit || ds->State() == dsInsert;
  }
  return dataLink_.Edit();
}

void TwwDBCustomEdit::SetFocused(bool v) {
  if (focused_ == v) return;
  focused_ = v;
  if (Field()) dataLink_.Reset();
}

// ---- keys

void TwwDBCustomEdit::KeyDown(Word& key, TShiftState shift) {
  if (TwwCustomDBGrid* grid = Grid()) {
    const bool ctrl = (shift & ssCtrl) != 0;
    const bool editorKeys = (grid->Options() & dgAlwaysShowEditor) != 0;
    const int length = static_cast<int>(Text().size());
    bool toGrid = false;
    switch (key) {
      case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: toGrid = !(shift & ssAlt); break;
      case VK_INSERT: toGrid = !(shift & ssShift); break;
      case VK_DELETE: toGrid = ctrl; break;
      case VK_ESCAPE: toGrid = !Modified(); break;
      case VK_HOME:
      case VK_LEFT: toGrid = editorKeys && (ctrl || (SelStart() == 0 && SelLength() == 0)); break;
      case VK_END:
      case VK_RIGHT: toGrid = editorKeys && (ctrl || (SelStart() == length && SelLength() == 0)); break;
      default: break;
    }
    if (toGrid) {
      grid->Perform(WM_KEYDOWN, key, 0);
      key = 0;
      return;
    }
  }
  if (key == VK_F2) {
    TWinControl::KeyDown(key, shift);  // OnKeyDown
    SetSelLength(0);
    return;
  }
  if (key == VK_DELETE || (key == VK_INSERT && (shift & ssShift))) {
    if (!MayType() || !EditField()) {
      key = 0;
      MessageBeep(0);
      return;
    }
  }
  TwwCustomMaskEdit::KeyDown(key, shift);
}

void TwwDBCustomEdit::KeyUp(Word& key, TShiftState shift) {
  TwwCustomMaskEdit::KeyUp(key, shift);
  if (key == VK_DELETE) CheckValue();
}

bool TwwDBCustomEdit::CompleteDateOrTime() {
  const AnsiString text = Text();
  AnsiString done;
  if (IsTimeField()) {
    done = CompleteTime(text, Time());
  } else if (IsDateField()) {
    done = CompleteDate(text, Date());
  } else {
    const std::size_t blank = text.find(' ');
    if (blank == AnsiString::npos) {
      done = CompleteDate(text, Date());
    } else {
      const AnsiString time = CompleteTime(text.substr(blank + 1), Time());
      if (!time.empty()) done = text.substr(0, blank + 1) + time;
    }
  }
  if (done.empty() || done == text) return false;
  SelectAll();
  SetSelText(done);
  return true;
}

void TwwDBCustomEdit::KeyPress(char& key) {
  const unsigned char k = static_cast<unsigned char>(key);
  TwwCustomDBGrid* grid = Grid();
  maskChangedText_ = false;
  const bool typing = k >= 32 || k == 8;
  if (typing) {
    if (!MayType()) {
      MessageBeep(0);
      key = 0;
      return;
    }
    if (TField* f = Field(); f && wwIsCalcOrLookupField(f) && f->DataSet()->State() == dsBrowse) f->DataSet()->Edit();
  }
  if (k == ' ' && autoFillDate_ && (IsDateField() || IsTimeField() || IsDateTimeField()) &&
      (!HasPictureMask() || !picture_->AutoFill())) {
    if (!EditField()) {
      MessageBeep(0);
      key = 0;
      return;
    }
    if (CompleteDateOrTime()) {
      CheckValue();
      key = 0;
      return;
    }
  }
  // A character the field cannot hold is refused before anything changes.
  if (k >= 32) {
    AnsiString mapped;
    if (TField* f = Field(); f && !TextForValue(f->AsString(), mapped) && !f->IsValidChar(key)) {
      MessageBeep(0);
      key = 0;
      return;
    }
  }
  // So is one the picture refuses: a refused key must not put the record
  // into editing, which would ask to save a record nobody changed.
  if (k >= 32 && HasPictureMask() &&
      wwPictureRefusesKey(this, picture_->PictureMask(), picture_->AutoFill(), false, key)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  if (typing || k == 22 || k == 24) {
    if (!EditField()) {
      MessageBeep(0);
      key = 0;
      return;
    }
  }
  TwwPictureKey result = TwwPictureKey::Passed;
  AnsiString left;
  if (HasPictureMask()) {
    if (k == 8) {
      left = Text();
      const int start = SelStart(), length = SelLength();
      if (length > 0)
        left.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
      else if (start > 0)
        left.erase(static_cast<std::size_t>(start) - 1, 1);
    } else if (k >= 32) {
      result = wwPictureKeyPress(this, picture_->PictureMask(), picture_->AutoFill(), false, key);
      if (result == TwwPictureKey::Typed) {
        maskChangedText_ = true;
        SetModified(true);
      }
    }
  }
  switch (k) {
    case 27:
      if (Field())
        dataLink_.Reset();
      else
        Reset();
      SelectAll();
      key = 0;
      if (grid && grid->CanFocus()) grid->SetFocus();
      return;
    case 9:
      if (grid) key = 0;
      break;
    case 13:
      if (!wantReturnsOption_) {
        key = 0;
        return;
      }
      if (!EditField()) {
        key = 0;
        return;
      }
      break;
    default: break;
  }
  if (key != 0) TwwCustomMaskEdit::KeyPress(key);
  if (HasPictureMask() && !ReadOnly()) {
    if (k == 8 && OnCheckValue) IsValidPictureText(left);
    if (k >= 32 && result != TwwPictureKey::Refused) CheckValue();
  }
}

// ---- focus

void TwwDBCustomEdit::DoEnter() {
  SetFocused(true);
  if (AutoSelect() && !(ControlState() & csLButtonDown)) SelectAll();
  TwwCustomMaskEdit::DoEnter();
}

void TwwDBCustomEdit::DoExit() {
  TwwCustomMaskEdit::DoExit();
  exitRefused_ = false;
  if (HasPictureMask() && Modified() && !IsValidPictureText(Text()) && !picture_->AllowInvalidExit()) {
    // The focus stays (which stops the focus change on its way), the text
    // stays modified and is selected for retyping.
    SelectAll();
    if (CanFocus()) SetFocus();
    MessageBeep(0);
    exitRefused_ = true;
    Invalidate();
    return;
  }
  try {
    dataLink_.UpdateRecord();
  } catch (...) {
    SelectAll();
    if (CanFocus()) SetFocus();
    throw;
  }
  TCustomEdit::SetModified(false);
  SetFocused(false);
  Invalidate();
}

// ---- painting

void TwwDBCustomEdit::Paint() {
  TwwCustomDBGrid* grid = Grid();
  const bool gridFocused = grid && grid->Focused();
  const TAlignment align = Field() ? Field()->Alignment() : Alignment();
  if (Focused() || (!gridFocused && align == taLeftJustify)) {
    TwwCustomMaskEdit::Paint();
    return;
  }
  // Aligned text of an edit without the focus, and an edit on a focused
  // grid: drawn here, as its cell would show it.
  TCanvas* c = Canvas();
  const TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(client);
  c->Font()->Assign(*Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  AnsiString text = Text();
  if (PasswordChar()) text.assign(text.size(), PasswordChar());
  unsigned format = DT_NOPREFIX | DT_EXPANDTABS;
  format |= align == taRightJustify ? DT_RIGHT : align == taCenter ? DT_CENTER : DT_LEFT;
  format |= (wordWrap_ || wantReturnsOption_) ? DT_WORDBREAK : DT_SINGLELINE;
  TRect r = FormatRect();
  c->Brush()->SetStyle(bsClear);
  c->DrawText(text, r, format);
  if (gridFocused) {
    c->Brush()->SetStyle(bsSolid);
    c->DrawFocusRect(client);
  }
}

// ---------------------------------------------------------------- TwwDBEdit

void TwwDBEdit::PublishProperties(TClassInfo& ci) {
  wwPublishDBEditProperties<TwwDBEdit>(ci);
  PublishBool<TwwDBEdit>(ci, "WantReturns", &TwwDBEdit::WantReturns, &TwwDBEdit::SetWantReturns);
  PublishBool<TwwDBEdit>(ci, "WordWrap", &TwwDBEdit::WordWrap, &TwwDBEdit::SetWordWrap);
  PublishBool<TwwDBEdit>(ci, "ShowVertScrollBar", &TwwDBEdit::ShowVertScrollBar, &TwwDBEdit::SetShowVertScrollBar);
  wwPublishEditProperties<TwwDBEdit>(ci);
}

// The data-aware spin edit: reading and writing the value by the kind of
// the field, stepping numbers and date or time parts, and the keys and
// characters an edit of numbers takes.
#include "dbcontrols/edit/wwdbspin.h"

#include <cfloat>
#include <cmath>

#include "dbcontrols/text/wwvalidate.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/messages.h"

namespace {

bool IsNumberChar(char c) { return (c >= '0' && c <= '9') || c == DecimalSeparator || c == ThousandSeparator; }

// The first run of digits and decimal and thousand separators in the
// text, without its thousand separators.
AnsiString NumberRun(const AnsiString& text) {
  std::size_t b = 0;
  while (b < text.size() && !IsNumberChar(text[b])) ++b;
  AnsiString run;
  for (std::size_t e = b; e < text.size() && IsNumberChar(text[e]); ++e)
    if (text[e] != ThousandSeparator) run += text[e];
  return run;
}

// A number too large for a double: an optional sign, digits with grouping
// and at most one decimal separator, and more than 308 digits before it.
bool IsOverflowingNumber(const AnsiString& text, bool& negative) {
  std::size_t i = 0;
  negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int whole = 0;
  bool leading = true, decimal = false, digits = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits = true;
      if (decimal) continue;
      if (c != '0') leading = false;
      if (!leading) ++whole;
    } else if (c == DecimalSeparator && !decimal) {
      decimal = true;
    } else if (c != ThousandSeparator || decimal) {
      return false;
    }
  }
  return digits && whole > DBL_MAX_10_EXP;
}

// The float of a text; a number beyond the range of a double reads as
// the end of that range. False for a text that is no number.
bool ReadFloat(const AnsiString& text, double& v) {
  if (text.empty()) return false;
  if (TryStrToFloat(text, v)) return true;
  bool negative = false;
  if (!IsOverflowingNumber(text, negative)) return false;
  v = negative ? -DBL_MAX : DBL_MAX;
  return true;
}

// The integer of a text of digits with an optional "-", within the
// field's range: a longer number reads as the end of that range.
bool ReadInteger(const AnsiString& text, const TIntegerField* field, double& v) {
  if (text.empty() || !wwIsValidInteger(text)) return false;
  int64_t n = 0;
  if (!TryStrToInt64(text, n)) n = text[0] == '-' ? INT64_MIN : INT64_MAX;
  n = std::clamp(n, field->MinValue(), field->MaxValue());
  v = static_cast<double>(n);
  return true;
}

}  // namespace

TwwDBSpinEdit::TwwDBSpinEdit(TComponent* owner) : TwwDBCustomEdit(owner) {
  controlStyle_ &= ~csSetCaption;
  button_ = new TwwSpinButton(this);
  button_->SetBounds(0, 0, 15, 17);
  button_->SetControlStyle((button_->ControlStyle() & ~csFramed) | csReplicatable);
  for (TSpeedButton* arrow : {static_cast<TSpeedButton*>(button_->UpButton()), static_cast<TSpeedButton*>(button_->DownButton())})
    arrow->SetControlStyle(arrow->ControlStyle() | csReplicatable);
  button_->OnUpClick = [this](TObject*) { UpClick(); };
  button_->OnDownClick = [this](TObject*) { DownClick(); };
  button_->SetParent(this);
  SetText("0");
}

TwwDBSpinEdit::~TwwDBSpinEdit() = default;

// ---- kinds of value

bool TwwDBSpinEdit::IsFloatKind() const { return dynamic_cast<TFloatField*>(Field()) != nullptr; }
bool TwwDBSpinEdit::IsIntegerKind() const { return dynamic_cast<TIntegerField*>(Field()) != nullptr; }

double TwwDBSpinEdit::CheckValue(double v) const {
  if (minValue_ == 0 && maxValue_ == 0) return v;
  return std::min(std::max(v, minValue_), maxValue_);
}

double TwwDBSpinEdit::GetValue() const {
  const AnsiString text = Text();
  double v = 0;
  if (IsFloatKind()) {
    if (ReadFloat(text, v)) return v;
    return ReadFloat(NumberRun(text), v) ? v : minValue_;
  }
  if (const auto* field = dynamic_cast<const TIntegerField*>(Field())) {
    if (ReadInteger(text, field, v)) return v;
    return ReadInteger(NumberRun(text), field, v) ? v : minValue_;
  }
  TDateTime dt = 0;
  if (IsDateField()) return wwIsValidDate(text) && wwScanDateAtStart(text, dt) ? dt : minValue_;
  if (IsTimeField()) {
    int pos = 1;
    return wwIsValidTime(text) && wwScanTime(text, pos, dt) ? dt : minValue_;
  }
  if (IsDateTimeField()) {
    if (text.empty()) return minValue_;
    if (wwIsValidDateTime(text)) return wwStrToDateTime(text);
    if (wwIsValidDate(text) && wwScanDateAtStart(text, dt)) return dt;
    return TryStrToDateTime(text, dt) ? dt : minValue_;
  }
  return ReadFloat(text, v) ? v : minValue_;
}

void TwwDBSpinEdit::SetValue(double v) {
  if (IsFloatKind()) {
    PutText(FloatToStr(CheckValue(v)));
  } else if (const auto* field = dynamic_cast<const TIntegerField*>(Field())) {
    // Truncated toward zero and kept within what the field can hold.
    const double t = std::trunc(CheckValue(v));
    const double lo = static_cast<double>(field->MinValue()), hi = static_cast<double>(field->MaxValue());
    PutText(IntToStr(static_cast<int64_t>(std::min(std::max(t, lo), hi))));
  } else if (IsDateField()) {
    PutText(DateToStr(CheckValue(v)));
  } else if (IsTimeField()) {
    PutText(TimeToStr(CheckValue(v)));
  } else if (IsDateTimeField()) {
    if (!Field() && v == std::trunc(v))
      PutText(DateToStr(v) + " " + TimeToStr(0));
    else
      PutText(DateTimeToStr(CheckValue(v)));
  } else {
    PutText(FloatToStr(CheckValue(v)));
  }
}

void TwwDBSpinEdit::PutText(const AnsiString& text) {
  if (text != Text()) SetText(text);
}

// ---- stepping

void TwwDBSpinEdit::UpClick() { Step(true); }
void TwwDBSpinEdit::DownClick() { Step(false); }

void TwwDBSpinEdit::Step(bool up) {
  if (CanFocus() && !Focused()) SetFocus();
  if (!MayType() || !EditField()) {
    MessageBeep(0);
    return;
  }
  if (!IsDateField() && !IsTimeField() && !IsDateTimeField()) {
    SetValue(GetValue() + (up ? increment_ : -increment_));
    SetModified(true);
    return;
  }
  const bool timeOnly = IsTimeField();
  const double value = GetValue();
  const double datePart = timeOnly ? 0 : std::trunc(value);
  const double timePart = timeOnly ? value : std::fabs(value - datePart);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  DecodeDate(datePart, year, month, day);
  DecodeTime(timePart, hour, minute, second, msec);
  const TwwDatePart part = wwDatePartAtPos(SelStart(), Text(), timeOnly);
  switch (part) {
    case dpDay: day = up ? wwNextDay(year, month, day) : wwPriorDay(year, month, day); break;
    case dpMonth: month = up ? month % 12 + 1 : (month + 10) % 12 + 1; break;
    case dpYear: year += up ? 1 : -1; break;
    case dpHour: hour = up ? (hour + 1) % 24 : (hour + 23) % 24; break;
    case dpMinute: minute = up ? (minute + 1) % 60 : (minute + 59) % 60; break;
    case dpSecond: second = up ? (second + 1) % 60 : (second + 59) % 60; break;
    case dpAMPM: hour = hour >= 12 ? hour - 12 : hour + 12; break;
  }
  double next = value;
  if (part <= dpYear) {
    // 31 April or 29 February of a common year: the last day that exists.
    TDateTime date = 0;
    bool formed = year >= 1 && year <= 9999;
    while (formed && !wwTryEncodeDate(static_cast<uint16_t>(year), static_cast<uint16_t>(month),
                                      static_cast<uint16_t>(day), date)) {
      if (day <= 28) formed = false;
      --day;
    }
    if (formed) next = date + timePart;
  } else {
    TDateTime time = 0;
    if (wwTryEncodeTime(static_cast<uint16_t>(hour), static_cast<uint16_t>(minute), static_cast<uint16_t>(second),
                        static_cast<uint16_t>(msec), time))
      next = timeOnly ? time : datePart + time;
  }
  SetValue(next);
  wwSelectDatePart(part, this, timeOnly);
  SetModified(true);
}

// ---- focus, keys and characters

void TwwDBSpinEdit::DoExit() {
  const double v = GetValue(), checked = CheckValue(v);
  if (v != checked && EditField()) SetValue(checked);
  TwwDBCustomEdit::DoExit();
}

void TwwDBSpinEdit::UpdateData() {
  // The value is bound whenever the field takes it, also when a post comes
  // from a control that does not take the focus from the edit.
  const double v = GetValue(), checked = CheckValue(v);
  if (v != checked && MayType()) SetValue(checked);
  TwwDBCustomEdit::UpdateData();
}

void TwwDBSpinEdit::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_UP || key == VK_DOWN) {
    // On a grid a wholly selected text leaves the keys to the grid.
    const bool whole = SelStart() == 0 && SelLength() == static_cast<int>(Text().size());
    if (!Grid() || !whole) {
      if (key == VK_UP)
        UpClick();
      else
        DownClick();
      key = 0;
      return;
    }
  }
  if (!editorEnabled_) {
    if (key == VK_DELETE) {
      MessageBeep(0);
      key = 0;
      return;
    }
    if (key == VK_INSERT && (shift & ssShift)) {  // paste
      key = 0;
      return;
    }
  }
  TwwDBCustomEdit::KeyDown(key, shift);
}

bool TwwDBSpinEdit::IsValidChar(char key) const {
  const unsigned char k = static_cast<unsigned char>(key);
  if (!editorEnabled_ && (k >= 32 || k == 8)) return false;
  if (IsDateTimeField() || (!Field() && (IsDateField() || IsTimeField()))) return true;
  return key == '+' || key == '-' || (key >= '0' && key <= '9') || key == DecimalSeparator || k < 32;
}

bool TwwDBSpinEdit::TakesPastedChar(char c) const { return IsValidChar(c) && TwwDBCustomEdit::TakesPastedChar(c); }

void TwwDBSpinEdit::KeyPress(char& key) {
  if (!IsValidChar(key)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  if ((key == 22 || key == 24) && (!editorEnabled_ || TCustomEdit::ReadOnly())) {  // paste, cut
    key = 0;
    return;
  }
  TwwDBCustomEdit::KeyPress(key);
}

void TwwDBSpinEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PASTE:
    case WM_CUT:
      if (!editorEnabled_ || TCustomEdit::ReadOnly()) return;
      break;
    case WM_SIZE:
      TwwDBCustomEdit::Dispatch(m);
      PlaceButton();
      SetFormatRect();
      return;
    default: break;
  }
  TwwDBCustomEdit::Dispatch(m);
}

// ---- window and layout

void TwwDBSpinEdit::CreateParams(TCreateParams& p) {
  TwwDBCustomEdit::CreateParams(p);
  p.Style = (p.Style & ~(ES_AUTOVSCROLL | ES_WANTRETURN)) | WS_CLIPCHILDREN;
}

void TwwDBSpinEdit::CreateWnd() {
  TwwDBCustomEdit::CreateWnd();
  PlaceButton();
  SetFormatRect();
}

void TwwDBSpinEdit::Loaded() {
  TwwDBCustomEdit::Loaded();
  if (!Field() && (IsDateField() || IsTimeField() || IsDateTimeField()) && Text() == "0") SetText("");
}

void TwwDBSpinEdit::PlaceButton() {
  if (!button_) return;
  const int w = button_->Width();
  if (BorderStyle() == bsSingle) {
    button_->SetBounds(Width() - w - 4, 0, w, Height() - 3);
  } else {
    const int top = Grid() ? 0 : 1;
    button_->SetBounds(Width() - w, top, w, Height() - top);
  }
}

// The text stays clear of the spin button.
void TwwDBSpinEdit::SetFormatRect() {
  if (!HandleAllocated() || !button_) return;
  const bool none = BorderStyle() == bsNone;
  TRect r{2, none ? 2 : 1, ClientWidth() - button_->Width() - 2, ClientHeight()};
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TwwDBSpinEdit::PublishProperties(TClassInfo& ci) {
  using C = TwwDBSpinEdit;
  wwPublishDBEditProperties<C>(ci);
  PublishBool<C>(ci, "EditorEnabled", &C::EditorEnabled, &C::SetEditorEnabled);
  PublishInteger<C>(ci, "MaxLength", &C::MaxLength, &C::SetMaxLength);
  PublishBool<C>(ci, "AutoSelect", &C::AutoSelect, &C::SetAutoSelect);
  PublishBool<C>(ci, "AutoSize", &C::AutoSize, &C::SetAutoSize);
  PublishInteger<C>(ci, "CharCase", &C::CharCase, &C::SetCharCase);
  PublishInteger<C>(ci, "BorderStyle", &C::BorderStyle, &C::SetBorderStyle);
  PublishEvent<C, TNotifyEvent>(ci, "OnChange", &C::OnChange);
}

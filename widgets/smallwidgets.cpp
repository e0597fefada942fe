// Size bar, shadow label and link label (see smallwidgets.h).
#include "widgets/smallwidgets.h"

#include <algorithm>

#include "platform/rtl/cp1252.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/dialogs.h"

// ------------------------------------------------------------------ TSizeBar

TSizeBar::TSizeBar(TComponent* owner) : TPanel(owner) {}

void TSizeBar::SetDesignDefaults() {
  SetAlign(alBottom);
  SetAlignment(taLeftJustify);
  SetBevelInner(bvNone);
  SetBevelOuter(bvNone);
  SetBevelWidth(1);
  SetBorderWidth(0);
  SetBorderStyle(bsNone);
  SetHeight(9);
  SetColor(clBtnFace);
}

void TSizeBar::SetBorderWidth(int w) {
  if (w == borderWidth_ || w < 0) return;
  borderWidth_ = w;
  Realign();
  Invalidate();
}

void TSizeBar::SetBorderStyle(TFormBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  if (HandleAllocated()) RecreateWnd();
}

void TSizeBar::CreateParams(TCreateParams& params) {
  TPanel::CreateParams(params);
  if (borderStyle_ == bsSingle) params.Style |= WS_BORDER;
}

void TSizeBar::Paint() {
  TCanvas& c = *Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TPanelBevel b) {
    if (b == bvNone) return;
    TColor top = b == bvRaised ? clBtnHighlight : clBtnShadow;
    TColor bottom = b == bvRaised ? clBtnShadow : clBtnHighlight;
    for (int i = 0; i < BevelWidth(); ++i) {
      c.Pen()->SetColor(top);
      c.MoveTo(r.Left, r.Bottom - 1);
      c.LineTo(r.Left, r.Top);
      c.LineTo(r.Right - 1, r.Top);
      c.Pen()->SetColor(bottom);
      c.LineTo(r.Right - 1, r.Bottom - 1);
      c.LineTo(r.Left - 1, r.Bottom - 1);
      InflateRect(r, -1, -1);
    }
  };
  bevel(BevelOuter());
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(Color());
  for (int i = 0; i < borderWidth_; ++i) {
    c.FrameRect(r);
    InflateRect(r, -1, -1);
  }
  bevel(BevelInner());
  c.FillRect(r);
  AnsiString text = Caption();
  if (!text.empty()) {
    c.Font()->Assign(*Font());
    c.Brush()->SetStyle(bsClear);
    unsigned fmt = DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS |
                   (Alignment() == taCenter ? DT_CENTER : Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT);
    c.DrawText(text, r, fmt);
    c.Brush()->SetStyle(bsSolid);
  }
  // The size grip: diagonals from (right - d, bottom) to (right, bottom - d).
  const int right = ClientWidth(), bottom = ClientHeight();
  c.Pen()->SetWidth(1);
  for (int d : {2, 5, 8, 4, 7, 10}) {
    c.Pen()->SetColor(d == 2 || d == 5 || d == 8 ? clGray : clWhite);
    c.MoveTo(right - d, bottom);
    c.LineTo(right, bottom - d);
  }
}

// The grip is the square in the bar's right end; a locked bar, a window
// without a sizeable border and a maximised one are not sized by it.
bool TSizeBar::OnGrip(int x, int y) const {
  const TCustomForm* f = GetParentForm(this);
  return !locked_ && f && (f->BorderStyle() == bsSizeable || f->BorderStyle() == bsSizeToolWin) &&
         f->WindowState() == wsNormal && x >= ClientWidth() - ClientHeight() && x < ClientWidth() && y >= 0 &&
         y < ClientHeight();
}

void TSizeBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TPanel::MouseDown(button, shift, x, y);
  if (button != mbLeft || !OnGrip(x, y)) return;
  const TCustomForm* f = GetParentForm(this);
  sizing_ = true;
  sizeFrom_ = ClientToScreen({x, y});
  sizeFromSize_ = {f->Width(), f->Height()};
}

void TSizeBar::MouseMove(TShiftState shift, int x, int y) {
  TPanel::MouseMove(shift, x, y);
  if (!(shift & ssLeft)) sizing_ = false;  // released where the bar did not hear it
  SetCursor(sizing_ || OnGrip(x, y) ? crSizeNWSE : crDefault);
  TCustomForm* f = GetParentForm(this);
  if (!sizing_ || !f) return;
  const TPoint at = ClientToScreen({x, y});
  TPoint mn, mx;
  f->TrackSizeLimits(mn, mx);
  f->SetBounds(f->Left(), f->Top(), std::clamp(sizeFromSize_.X + at.X - sizeFrom_.X, mn.X, mx.X),
               std::clamp(sizeFromSize_.Y + at.Y - sizeFrom_.Y, mn.Y, mx.Y));
}

void TSizeBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) sizing_ = false;
  TPanel::MouseUp(button, shift, x, y);
}

void TSizeBar::PublishProperties(TClassInfo& ci) {
  using C = TSizeBar;
  PublishBool<C>(ci, "Locked", &C::Locked, &C::SetLocked);
  PublishInteger<C>(ci, "BorderWidth", &C::PanelBorderWidth, &C::SetBorderWidth);
  PublishInteger<C>(ci, "BorderStyle", &C::BorderStyle, &C::SetBorderStyle);
  PublishInteger<C>(ci, "BevelInner", &C::BevelInner, &C::SetBevelInner);
  PublishInteger<C>(ci, "BevelOuter", &C::BevelOuter, &C::SetBevelOuter);
  PublishInteger<C>(ci, "BevelWidth", &C::BevelWidth, &C::SetBevelWidth);
  PublishInteger<C>(ci, "Alignment", &C::Alignment, &C::SetAlignment);
}

// -------------------------------------------------------------- TShadowLabel

TShadowLabel::TShadowLabel(TComponent* owner) : TLabel(owner) {}

void TShadowLabel::SetSLSLShadowSize(TSLShadowSize v) {
  v = std::clamp(v, 1, 8);
  if (v == shadowSize_) return;
  shadowSize_ = v;
  Invalidate();
}

void TShadowLabel::SetSLSLShadowColor(TColor c) {
  if (c == shadowColor_) return;
  shadowColor_ = c;
  Invalidate();
}

void TShadowLabel::SetSLSLTextStyle(TSLTextStyle s) {
  if (s == textStyle_) return;
  textStyle_ = s;
  Invalidate();
}

TPoint TShadowLabel::ShadowOffset() const {
  const int s = shadowSize_;
  switch (textStyle_) {
    case tsUpperLeft: return {-s, -s};
    case tsUpperRight: return {s, -s};
    case tsLowerLeft: return {-s, s};
    case tsLowerRight: return {s, s};
    default: return {0, 0};
  }
}

void TShadowLabel::Paint() {
  TCanvas& c = *Canvas();
  const TRect r = ClientRect();
  if (!Transparent()) {
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(r);
  }
  c.Brush()->SetStyle(bsClear);
  c.Font()->Assign(*Font());
  AnsiString text = Caption();
  if (text.empty() || (ShowAccelChar() && text == "&")) text += ' ';
  unsigned fmt = (Alignment() == taCenter ? DT_CENTER : Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT) |
                 DT_EXPANDTABS;
  if (WordWrap()) fmt |= DT_WORDBREAK;
  if (!ShowAccelChar()) fmt |= DT_NOPREFIX;
  if (textStyle_ != tsNone) {
    TRect sr = r;
    TPoint o = ShadowOffset();
    OffsetRect(sr, o.X, o.Y);
    c.Font()->SetColor(shadowColor_);
    c.DrawText(text, sr, fmt);
  }
  TRect tr = r;
  c.Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
  c.DrawText(text, tr, fmt);
}

void TShadowLabel::PublishProperties(TClassInfo& ci) {
  using C = TShadowLabel;
  PublishInteger<C>(ci, "SLSLShadowSize", &C::SLSLShadowSize, &C::SetSLSLShadowSize);
  PublishInteger<C>(ci, "SLSLShadowColor", &C::SLSLShadowColor, &C::SetSLSLShadowColor);
  PublishInteger<C>(ci, "SLSLTextStyle", &C::SLSLTextStyle, &C::SetSLSLTextStyle);
}

// --------------------------------------------------------------- the opener

namespace {

TShellOpenHook& Hook() {
  static TShellOpenHook hook;
  return hook;
}

}  // namespace

void SetShellOpenHook(TShellOpenHook hook) { Hook() = std::move(hook); }
void ResetShellOpenHook() { Hook() = nullptr; }

bool DefaultShellOpen(const AnsiString& target) { return ShellOpen(target); }

// --------------------------------------------------------------------- TKURL2

TKURL2::TKURL2(TComponent* owner) : TWinControl(owner) {
  height_ = 13;
  // On its window's face, as a label is.
  SetParentColor(true);
  label_ = new TLabel(this);
  label_->SetParent(this);
  TFont f;
  f.SetName("Arial");
  f.SetSize(8);
  f.SetColor(clBlue);
  f.SetStyle({fsUnderline});
  label_->SetFont(f);
  label_->SetShowHint(false);
  label_->SetCursor(crHandPoint);
  label_->OnClick = [this](TObject*) { OpenTarget(); };
  SetURLorEMAIL("http://www.example.org/");
}

// The label as wide as its text and one row higher: the text's height holds
// a rounded-down descent, and the lowest row of p and g lies under the
// underline, below it.
void TKURL2::FitToLabel() {
  label_->SetAutoSize(true);
  const int width = label_->Width(), height = label_->Height() + 1;
  label_->SetAutoSize(false);
  label_->SetBounds(0, 0, width, height);
  SetBounds(Left(), Top(), width, std::max(Height(), height));
}

void TKURL2::SetURLorEMAIL(const AnsiString& s) {
  label_->SetCaption(s);
  FitToLabel();
}

bool TKURL2::LabelShowHint() const { return label_->ShowHint(); }
void TKURL2::SetLabelShowHint(bool v) { label_->SetShowHint(v); }

void TKURL2::OpenTarget() {
  AnsiString target = choose_ == ltEMAIL ? "mailto:" + label_->Caption() : label_->Caption();
  if (Hook()) Hook()(target);
  else DefaultShellOpen(target);  // the result is ignored, as the shell's was
}

void TKURL2::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY:
      if (TakesEnter(m)) {
        OpenTarget();
        return;
      }
      break;
    case WM_SETFOCUS:
      // Focused, the text shows in the selection's colours (a frame would
      // cut into its letters and its underline, which fill the label).
      label_->SetColor(clHighlight);
      label_->Font()->SetColor(clHighlightText);
      break;
    case WM_KILLFOCUS:
      label_->SetParentColor(true);
      label_->Font()->SetColor(clBlue);
      break;
    case CM_COLORCHANGED:
      // The label follows the link's colour (its window's) while unfocused.
      TWinControl::Dispatch(m);
      if (label_) label_->Perform(CM_PARENTCOLORCHANGED, 0, 0);
      return;
    default: break;
  }
  TWinControl::Dispatch(m);
}

void TKURL2::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key != VK_SPACE || KeyModifiers(shift) != 0) return;
  key = 0;
  OpenTarget();
}

void TKURL2::PublishProperties(TClassInfo& ci) {
  using C = TKURL2;
  PublishString<C>(ci, "URLorEMAIL", &C::URLorEMAIL, &C::SetURLorEMAIL);
  PublishBool<C>(ci, "ShowHint", &C::LabelShowHint, &C::SetLabelShowHint);
  PublishInteger<C>(ci, "Choose", &C::Choose, &C::SetChoose);
}

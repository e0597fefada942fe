// Push button and panel.
#include "platform/ui/stdctrls.h"

TButton::TButton(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  tabStop_ = true;
  color_ = clBtnFace;
  width_ = 75;
  height_ = 25;
}

void TButton::SetDefault(bool v) {
  if (v == default_) return;
  default_ = v;
  Invalidate();
}

bool TButton::ActiveForEnter() const {
  if (Focused()) return true;
  if (!default_) return false;
  return dynamic_cast<TButton*>(FindControl(GetFocus())) == nullptr;
}

void TButton::Click() {
  if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(modalResult_);
  TCustomControl::Click();
}

void TButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_BUTTON | (ActiveForEnter() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    case CM_DIALOGKEY: {
      int key = static_cast<int>(m.WParam);
      bool plain = (KeyDataToShiftState(static_cast<std::int32_t>(m.LParam)) & (ssShift | ssCtrl | ssAlt)) == 0;
      if (((key == VK_RETURN && ActiveForEnter()) || (key == VK_ESCAPE && cancel_)) && plain && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<int>(m.WParam), Caption()) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && pressed_) {
    pressed_ = false;
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TButton::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE) {
    pressed_ = true;
    Invalidate();
  }
}

void TButton::KeyUp(Word& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE && pressed_) {
    pressed_ = false;
    Invalidate();
    Click();
  }
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool def = ActiveForEnter();
  if (def) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(r);
    InflateRect(r, -1, -1);
  }
  c->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed_ ? static_cast<unsigned>(DFCS_PUSHED) : 0u));
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(Enabled() ? clBtnText : clGrayText);
  TRect tr = r;
  if (pressed_) OffsetRect(tr, 1, 1);
  c->DrawText(Caption(), tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    TRect fr = r;
    InflateRect(fr, -4, -4);
    c->DrawFocusRect(fr);
  }
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks;
  color_ = clBtnFace;
  parentColor_ = false;
  width_ = 185;
  height_ = 41;
}

TRect TPanel::AlignRect() {
  TRect r = ClientRect();
  int b = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
  InflateRect(r, -b, -b);
  return r;
}

void TPanel::SetBevelOuter(TPanelBevel b) {
  if (b == bevelOuter_) return;
  bevelOuter_ = b;
  Realign();
  Invalidate();
}

void TPanel::SetBevelInner(TPanelBevel b) {
  if (b == bevelInner_) return;
  bevelInner_ = b;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int w) {
  if (w == bevelWidth_) return;
  bevelWidth_ = w;
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  Invalidate();
}

void TPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TPanelBevel b) {
    if (b == bvNone) return;
    TColor top = b == bvRaised ? clBtnHighlight : clBtnShadow;
    TColor bottom = b == bvRaised ? clBtnShadow : clBtnHighlight;
    for (int i = 0; i < bevelWidth_; ++i) {
      c->Pen()->SetColor(top);
      c->MoveTo(r.Left, r.Bottom - 1);
      c->LineTo(r.Left, r.Top);
      c->LineTo(r.Right - 1, r.Top);
      c->Pen()->SetColor(bottom);
      c->LineTo(r.Right - 1, r.Bottom - 1);
      c->LineTo(r.Left - 1, r.Bottom - 1);
      InflateRect(r, -1, -1);
    }
  };
  bevel(bevelOuter_);
  bevel(bevelInner_);
  AnsiString text = Caption();
  if (text.empty()) return;
  c->Brush()->SetStyle(bsClear);
  unsigned fmt = DT_VCENTER | DT_SINGLELINE |
                 (alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT);
  c->DrawText(text, r, fmt);
}

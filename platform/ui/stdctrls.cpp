// Push button, panel, label, check and radio boxes, group box, scroll bar.
#include "platform/ui/stdctrls.h"

#include <algorithm>

#include "platform/rtl/scopeexit.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/timers.h"

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
      bool plain = KeyModifiers(KeyDataToShiftState(static_cast<std::int32_t>(m.LParam))) == 0;
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

TRect TButton::PaintFace() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (ActiveForEnter()) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(r);
    InflateRect(r, -1, -1);
  }
  c->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed_ ? static_cast<unsigned>(DFCS_PUSHED) : 0u));
  return r;
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  const TRect r = PaintFace();
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

void TPanel::SetBorderWidth(int w) {
  if (w == borderWidth_) return;
  borderWidth_ = std::max(0, w);
  Realign();
  Invalidate();
}

void TPanel::SetBorderStyle(TFormBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  if (HandleAllocated()) RecreateWnd();
  Realign();
  Invalidate();
}

void TPanel::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  if (borderStyle_ == bsSingle) p.Style |= WS_BORDER;
}

TRect TPanel::AlignRect() {
  TRect r = ClientRect();
  int b = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0) + borderWidth_;
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
  InflateRect(r, -borderWidth_, -borderWidth_);
  bevel(bevelInner_);
  AnsiString text = Caption();
  if (text.empty()) return;
  c->Font()->Assign(*Font());
  unsigned fmt = DT_VCENTER | DT_SINGLELINE |
                 (alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT);
  ctlutil::StateText(*c, text, r, fmt, Enabled());
}

// ------------------------------------------------------------------ TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ |= csOpaque | csSetCaption;
  color_ = clBtnFace;
  parentColor_ = true;
  width_ = 65;
  height_ = 17;
}

unsigned TLabel::TextFlags() const {
  unsigned f = alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT;
  if (wordWrap_) f |= DT_WORDBREAK;
  if (!showAccelChar_) f |= DT_NOPREFIX;
  return f | DT_EXPANDTABS;
}

void TLabel::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  Invalidate();
}
void TLabel::SetLayout(TTextLayout l) {
  if (l == layout_) return;
  layout_ = l;
  Invalidate();
}
void TLabel::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  if (v)
    controlStyle_ &= ~csOpaque;
  else
    controlStyle_ |= csOpaque;
  Invalidate();
}
void TLabel::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  AdjustBounds();
  Invalidate();
}
void TLabel::SetAutoSize(bool v) {
  if (v == autoSize_) return;
  autoSize_ = v;
  AdjustBounds();
}
void TLabel::SetShowAccelChar(bool v) {
  if (v == showAccelChar_) return;
  showAccelChar_ = v;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetFocusControl(TWinControl* c) {
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = c;
  if (c) c->FreeNotification(this);
}

void TLabel::Notification(TComponent* c, TOperation op) {
  TGraphicControl::Notification(c, op);
  if (op == opRemove && c == focusControl_) focusControl_ = nullptr;
}

void TLabel::SetBounds(int left, int top, int width, int height) {
  TGraphicControl::SetBounds(left, top, width, height);
  if (autoSize_ && !adjusting_) AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!autoSize_ || adjusting_) return;
  adjusting_ = true;
  TScopeExit adjusted{[this] { adjusting_ = false; }};
  TCanvas& m = ctlutil::Measure(*Font());
  AnsiString text = Caption();
  if (text.empty()) text.push_back(' ');
  TRect r{0, 0, wordWrap_ ? width_ : 0, 0};
  m.DrawText(text, r, TextFlags() | DT_CALCRECT);
  int x = left_;
  if (alignment_ == taRightJustify && !wordWrap_) x = left_ + width_ - r.Width();
  SetBounds(x, top_, r.Width(), r.Height());
}

void TLabel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGCHAR:
      if (showAccelChar_ && focusControl_ && Enabled() && IsAccel(static_cast<int>(m.WParam), Caption()) &&
          focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        m.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(m);
      AdjustBounds();
      Invalidate();
      return;
    default: break;
  }
  TGraphicControl::Dispatch(m);
}

void TLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!transparent_) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
  }
  c->Font()->Assign(*Font());
  AnsiString text = Caption();
  if (layout_ != tlTop) {
    TRect calc = r;
    ctlutil::Measure(*Font()).DrawText(text, calc, TextFlags() | DT_CALCRECT);
    int dy = r.Height() - calc.Height();
    OffsetRect(r, 0, layout_ == tlCenter ? dy / 2 : dy);
  }
  ctlutil::StateText(*c, text, r, TextFlags(), Enabled());
}

// ---------------------------------------------------------- TButtonControl

TButtonControl::TButtonControl(TComponent* owner) : TCustomControl(owner) {
  // OnClick follows a change of state, not every press.
  controlStyle_ = csCaptureMouse | csSetCaption | csDoubleClicks;
  tabStop_ = true;
  color_ = clBtnFace;
  parentColor_ = true;
  width_ = 97;
  height_ = 17;
}

void TButtonControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<int>(m.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        m.Result = 1;
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      Invalidate();
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TButtonControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButtonControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && pressed_) {
    pressed_ = false;
    if (PtInRect(ClientRect(), {x, y})) Toggle();
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TButtonControl::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE) {
    pressed_ = true;
    Invalidate();
  }
}

void TButtonControl::KeyUp(Word& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE && pressed_) {
    pressed_ = false;
    Toggle();
    Invalidate();
  }
}

void TButtonControl::PaintBox(unsigned kind, bool checked, bool grayed) {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  const int box = 13;
  int top = (r.Height() - box) / 2;
  bool boxRight = false;
  if (auto* cb = dynamic_cast<TCheckBox*>(this)) boxRight = cb->Alignment() == taLeftJustify;
  int bx = boxRight ? r.Right - box : 0;
  TRect br = Bounds(bx, top, box, box);
  unsigned state = kind | (checked || grayed ? static_cast<unsigned>(DFCS_CHECKED) : 0u);
  if (pressed_ || grayed || !Enabled()) state |= DFCS_INACTIVE;
  if (pressed_) state = (state & ~static_cast<unsigned>(DFCS_INACTIVE)) | DFCS_PUSHED;
  c->DrawFrameControl(br, DFC_BUTTON, state);
  c->Font()->Assign(*Font());
  TRect tr = boxRight ? TRect{0, 0, r.Right - box - 4, r.Bottom} : TRect{box + 4, 0, r.Right, r.Bottom};
  unsigned fmt = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
  ctlutil::StateText(*c, Caption(), tr, fmt, Enabled());
  if (Focused()) {
    TRect calc = tr;
    ctlutil::Measure(*Font()).DrawText(Caption(), calc, fmt | DT_CALCRECT);
    int h = calc.Height();
    TRect fr{tr.Left - 1, (r.Height() - h) / 2 - 1, tr.Left + calc.Width() + 1, (r.Height() - h) / 2 + h + 1};
    c->DrawFocusRect(fr);
  }
}

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {}

void TCheckBox::SetState(TCheckBoxState s) {
  if (s == state_) return;
  state_ = s;
  Invalidate();
  TControl::Click();
}

void TCheckBox::SetAlignment(TAlignment a) {
  alignment_ = a;
  Invalidate();
}

void TCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbGrayed: SetState(cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
  }
}

void TCheckBox::Paint() { PaintBox(DFCS_BUTTONCHECK, state_ == cbChecked, state_ == cbGrayed); }

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {}

void TRadioButton::Dispatch(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    m.Result = DLGC_WANTARROWS | DLGC_RADIOBUTTON;
    return;
  }
  TButtonControl::Dispatch(m);
}

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Invalidate();
  if (!v) return;
  if (parent_)
    for (int i = 0; i < parent_->ControlCount(); ++i)
      if (auto* rb = dynamic_cast<TRadioButton*>(parent_->Controls(i)); rb && rb != this) rb->SetChecked(false);
  TControl::Click();
}

void TRadioButton::Toggle() { SetChecked(true); }

std::vector<TRadioButton*> TRadioButton::Group() const {
  std::vector<TRadioButton*> group;
  if (!parent_) return group;
  std::vector<TWinControl*> order;
  parent_->GetTabOrderList(order);
  for (TWinControl* c : order)
    if (auto* rb = dynamic_cast<TRadioButton*>(c); rb && rb->Parent() == parent_ && rb->CanFocus())
      group.push_back(rb);
  return group;
}

bool TRadioButton::IsTabStop() const {
  if (!TabStop()) return false;
  // Tab leaves a group that has the focus, wherever in it the focus is.
  const TRadioButton* stop = nullptr;
  for (const TRadioButton* rb : Group()) {
    if (rb->Focused()) return false;
    if (!stop || (rb->Checked() && !stop->Checked())) stop = rb;
  }
  return stop == this;
}

void TRadioButton::KeyDown(Word& key, TShiftState shift) {
  TButtonControl::KeyDown(key, shift);
  const bool back = key == VK_UP || key == VK_LEFT;
  if (!back && key != VK_DOWN && key != VK_RIGHT) return;
  key = 0;
  const std::vector<TRadioButton*> group = Group();
  const auto at = std::find(group.begin(), group.end(), this);
  if (at == group.end()) return;
  const std::size_t n = group.size(), i = static_cast<std::size_t>(at - group.begin());
  TRadioButton* next = group[back ? (i + n - 1) % n : (i + 1) % n];
  if (next == this) return;
  next->SetFocus();
  if (next->Focused()) next->Toggle();
}

void TRadioButton::Paint() { PaintBox(DFCS_BUTTONRADIO, checked_, false); }

// --------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ |= csAcceptsControls;
  color_ = clBtnFace;
  parentColor_ = true;
  width_ = 185;
  height_ = 105;
}

TRect TGroupBox::AlignRect() {
  TRect r = ClientRect();
  int h = ctlutil::TextHeight(*Font());
  return {r.Left + 2, r.Top + h, r.Right - 2, r.Bottom - 2};
}

void TGroupBox::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  int h = ctlutil::TextHeight(*Font());
  TRect fr{0, h / 2 - 1, r.Right, r.Bottom};
  c->DrawEdge(fr, EDGE_ETCHED, BF_RECT);
  AnsiString text = Caption();
  if (text.empty()) return;
  c->Font()->Assign(*Font());
  TRect tr{8, 0, 0, h};
  ctlutil::Measure(*Font()).DrawText(text, tr, DT_SINGLELINE | DT_CALCRECT);
  tr = {7, 0, 8 + tr.Width() + 2, h};
  c->Brush()->SetColor(Color());
  c->FillRect(tr);
  TRect t2 = tr;
  OffsetRect(t2, 1, 0);
  ctlutil::StateText(*c, text, t2, DT_SINGLELINE | DT_LEFT, Enabled());
}

// -------------------------------------------------------------- TScrollBar

TScrollBar::TScrollBar(TComponent* owner) : TCustomControl(owner) {
  tabStop_ = true;
  color_ = clBtnFace;
  width_ = 121;
  height_ = GetSystemMetrics(SM_CYHSCROLL);
}

void TScrollBar::SetKind(TScrollBarKind k) {
  if (k == kind_) return;
  kind_ = k;
  SetBounds(left_, top_, height_, width_);
  Invalidate();
}

void TScrollBar::SetParams(int position, int mn, int mx) {
  if (mx < mn) throw EInvalidOperation("Scroll bar property out of range");
  min_ = mn;
  max_ = mx;
  int p = std::clamp(position, min_, std::max(min_, max_ - std::max(0, pageSize_ - 1)));
  bool changed = p != position_;
  position_ = p;
  Invalidate();
  if (changed && OnChange) OnChange(this);
}

void TScrollBar::SetPosition(int v) { SetParams(v, min_, max_); }

void TScrollBar::SetPageSize(int v) {
  pageSize_ = std::max(0, v);
  SetParams(position_, min_, max_);
}

int TScrollBar::TrackLength() const {
  int arrow = kind_ == sbHorizontal ? height_ : width_;
  return (kind_ == sbHorizontal ? width_ : height_) - 2 * arrow;
}

TRect TScrollBar::ThumbRect() const {
  int arrow = kind_ == sbHorizontal ? height_ : width_;
  int track = TrackLength();
  int range = max_ - min_ + 1;
  int thumb = pageSize_ > 0 ? std::max(8, track * pageSize_ / std::max(1, range)) : std::min(arrow, track);
  thumb = std::min(thumb, track);
  int span = max_ - min_ - std::max(0, pageSize_ - 1);
  int pos = span > 0 ? (track - thumb) * (position_ - min_) / span : 0;
  return kind_ == sbHorizontal ? Bounds(arrow + pos, 0, thumb, height_) : Bounds(0, arrow + pos, width_, thumb);
}

void TScrollBar::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool h = kind_ == sbHorizontal;
  int arrow = h ? height_ : width_;
  ctlutil::FillScrollTrack(*c, r);
  unsigned dis = Enabled() && max_ > min_ ? 0u : static_cast<unsigned>(DFCS_INACTIVE);
  TRect a1 = h ? Bounds(0, 0, arrow, height_) : Bounds(0, 0, width_, arrow);
  TRect a2 = h ? Bounds(width_ - arrow, 0, arrow, height_) : Bounds(0, height_ - arrow, width_, arrow);
  c->DrawFrameControl(a1, DFC_SCROLL, (h ? DFCS_SCROLLLEFT : DFCS_SCROLLUP) | dis);
  c->DrawFrameControl(a2, DFC_SCROLL, (h ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN) | dis);
  if (!dis) {
    TRect t = ThumbRect();
    c->DrawFrameControl(t, DFC_BUTTON, DFCS_BUTTONPUSH);
  }
  if (Focused()) {
    TRect t = ThumbRect();
    InflateRect(t, -3, -3);
    c->DrawFocusRect(t);
  }
}

void TScrollBar::Scroll(TScrollCode code, int pos) {
  int np = pos;
  if (OnScroll) OnScroll(this, code, np);
  SetPosition(np);
}

void TScrollBar::Dispatch(TMessage& m) {
  if (m.Msg == WM_TIMER && static_cast<int>(m.WParam) == 1) {
    if (repeatCode_ >= 0) {
      int step = repeatCode_ <= scLineDown ? smallChange_ : largeChange_;
      int dir = (repeatCode_ == scLineUp || repeatCode_ == scPageUp) ? -1 : 1;
      Scroll(static_cast<TScrollCode>(repeatCode_), position_ + dir * step);
    }
    return;
  }
  if (m.Msg == WM_SETFOCUS || m.Msg == WM_KILLFOCUS) Invalidate();
  TCustomControl::Dispatch(m);
}

void TScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  if (CanFocus() && !Focused()) SetFocus();
  bool h = kind_ == sbHorizontal;
  int arrow = h ? height_ : width_;
  int p = h ? x : y, len = h ? width_ : height_;
  TRect t = ThumbRect();
  int ts = h ? t.Left : t.Top, te = h ? t.Right : t.Bottom;
  int code;
  if (p < arrow) code = scLineUp;
  else if (p >= len - arrow) code = scLineDown;
  else if (p < ts) code = scPageUp;
  else if (p >= te) code = scPageDown;
  else {
    dragOffset_ = p - ts;
    return;
  }
  repeatCode_ = code;
  int step = code <= scLineDown ? smallChange_ : largeChange_;
  int dir = (code == scLineUp || code == scPageUp) ? -1 : 1;
  Scroll(static_cast<TScrollCode>(code), position_ + dir * step);
  ::SetTimer(Handle(), 1, 100);
}

void TScrollBar::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (dragOffset_ < 0) return;
  bool h = kind_ == sbHorizontal;
  int arrow = h ? height_ : width_;
  TRect t = ThumbRect();
  int thumb = h ? t.Width() : t.Height();
  int room = TrackLength() - thumb;
  int span = max_ - min_ - std::max(0, pageSize_ - 1);
  int p = (h ? x : y) - dragOffset_ - arrow;
  int pos = room > 0 ? min_ + static_cast<int>((static_cast<long long>(std::clamp(p, 0, room)) * span + room / 2) / room) : min_;
  Scroll(scTrack, pos);
}

void TScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (dragOffset_ >= 0) Scroll(scPosition, position_);
  dragOffset_ = -1;
  if (repeatCode_ >= 0) ::KillTimer(Handle(), 1);
  repeatCode_ = -1;
  int pos = position_;
  if (OnScroll) OnScroll(this, scEndScroll, pos);
}

void TScrollBar::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  bool h = kind_ == sbHorizontal;
  switch (key) {
    case VK_LEFT: case VK_UP:
      if ((key == VK_LEFT) == h) Scroll(scLineUp, position_ - smallChange_);
      break;
    case VK_RIGHT: case VK_DOWN:
      if ((key == VK_RIGHT) == h) Scroll(scLineDown, position_ + smallChange_);
      break;
    case VK_PRIOR: Scroll(scPageUp, position_ - largeChange_); break;
    case VK_NEXT: Scroll(scPageDown, position_ + largeChange_); break;
    case VK_HOME: Scroll(scTop, min_); break;
    case VK_END: Scroll(scBottom, max_); break;
    default: break;
  }
}

// The control tree: window handles and messages, focus window and mouse
// capture, system metrics, bounds, alignment, mouse, keys, focus order and
// painting order. The caret (caret.cpp) and the window scroll bars
// (winscroll.cpp) have files of their own.
#include "platform/ui/controls.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/rtl/scopeexit.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/forms.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/timers.h"
#include "platform/ui/ui_internal.h"

// ------------------------------------------------------------ registry

namespace {
std::unordered_map<HWND, TWinControl*>& Registry() {
  static std::unordered_map<HWND, TWinControl*> r;
  return r;
}
HWND gNextHandle = 0x100;
unsigned gPaintSerial = 0;
HWND gFocus = 0;
TControl* gCapture = nullptr;
}  // namespace

// Window timers by (window, id) to the scheduler's ids.
std::map<std::pair<HWND, unsigned>, int>& WindowTimers() {
  static std::map<std::pair<HWND, unsigned>, int> t;
  return t;
}

void KillWindowTimers(HWND wnd) {
  auto& t = WindowTimers();
  for (auto it = t.begin(); it != t.end();) {
    if (it->first.first == wnd) {
      Timers().KillTimer(it->second);
      it = t.erase(it);
    } else {
      ++it;
    }
  }
}

TShortCutHandler& ShortCuts() {
  static TShortCutHandler h;
  return h;
}

void SetShortCutHandler(TShortCutHandler handler) { ShortCuts() = std::move(handler); }

unsigned NextPaintSerial() {
  if (++gPaintSerial == 0) ++gPaintSerial;
  return gPaintSerial;
}

unsigned SetTimer(HWND wnd, unsigned id, unsigned interval) {
  if (!FindControl(wnd)) return 0;
  auto key = std::make_pair(wnd, id);
  auto& t = WindowTimers();
  auto it = t.find(key);
  int sid = it != t.end() ? it->second : 0;
  sid = Timers().SetTimer(sid, interval, [wnd, id] { SendMessage(wnd, WM_TIMER, id, 0); });
  t[key] = sid;
  return id;
}

bool KillTimer(HWND wnd, unsigned id) {
  auto& t = WindowTimers();
  auto it = t.find({wnd, id});
  if (it == t.end()) return false;
  Timers().KillTimer(it->second);
  t.erase(it);
  return true;
}

TWinControl* FindControl(HWND wnd) {
  if (wnd == 0) return nullptr;
  auto it = Registry().find(wnd);
  return it == Registry().end() ? nullptr : it->second;
}

LRESULT SendMessage(HWND wnd, unsigned msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* c = FindControl(wnd);
  if (!c) return 0;
  TMessage m{msg, wparam, lparam, 0};
  try {
    c->WndProc(m);
  } catch (...) {
    if (Application) Application->HandleException(c);
  }
  return m.Result;
}

bool PostMessage(HWND wnd, unsigned msg, WPARAM wparam, LPARAM lparam) {
  if (wnd != 0 && !FindControl(wnd)) return false;
  MessageQueue().Post(wnd, msg, wparam, lparam);
  return true;
}

bool PeekMessage(TQueuedMessage& out, HWND wnd, unsigned first, unsigned last, unsigned remove) {
  return MessageQueue().Peek(out, wnd, first, last, remove == PM_REMOVE);
}

HWND GetFocus() { return gFocus; }

HWND SetFocusWindow(HWND wnd) {
  HWND old = gFocus;
  if (wnd == old) return old;
  if (wnd != 0 && !FindControl(wnd)) return old;
  gFocus = wnd;
  if (old && FindControl(old)) SendMessage(old, WM_KILLFOCUS, static_cast<WPARAM>(wnd), 0);
  if (gFocus == wnd && wnd) SendMessage(wnd, WM_SETFOCUS, static_cast<WPARAM>(old), 0);
  if (Application) ui_internal::CaretChanged();  // the caret shows only in the focused window
  return old;
}

TControl* GetCaptureControl() { return gCapture; }

void SetCaptureControl(TControl* c) {
  if (gCapture == c) return;
  TControl* old = gCapture;
  gCapture = c;
  if (old) old->Perform(WM_CAPTURECHANGED, 0, 0);
}

HWND GetCapture() {
  if (!gCapture) return 0;
  TControl* c = gCapture;
  while (c && !c->IsWindowed()) c = c->Parent();
  return c ? static_cast<TWinControl*>(c)->Handle() : 0;
}

void ReleaseCapture() { SetCaptureControl(nullptr); }

HWND SetCapture(HWND wnd) {
  HWND old = GetCapture();
  if (TWinControl* c = FindControl(wnd)) SetCaptureControl(c);
  return old;
}

void SendCancelMode(TControl* sender) {
  TWinControl* f = FindControl(gFocus);
  if (f && f != sender) f->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return Screen ? Screen->Width() : 1024;
    case SM_CYSCREEN: return Screen ? Screen->Height() : 768;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CYSMCAPTION: return 15;
    default: return 0;
  }
}

// ------------------------------------------------------------ TControl

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) { FontChanged(); };
}

void TControl::BeginDestroy() {
  Destroying();
  if (gCapture == this) gCapture = nullptr;
  ui_internal::ControlDestroyed(this);
}

TControl::~TControl() {
  BeginDestroy();
  if (parent_) parent_->RemoveControl(this);
}

LRESULT TControl::Perform(unsigned msg, WPARAM wparam, LPARAM lparam) {
  TMessage m{msg, wparam, lparam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) { Dispatch(m); }

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: HandleMouse(m, mbLeft, true, false); return;
    case WM_LBUTTONDBLCLK: HandleMouse(m, mbLeft, true, true); return;
    case WM_LBUTTONUP: HandleMouse(m, mbLeft, false, false); return;
    case WM_RBUTTONDOWN: HandleMouse(m, mbRight, true, false); return;
    case WM_RBUTTONDBLCLK: HandleMouse(m, mbRight, true, true); return;
    case WM_RBUTTONUP: HandleMouse(m, mbRight, false, false); return;
    case WM_MBUTTONDOWN: HandleMouse(m, mbMiddle, true, false); return;
    case WM_MBUTTONDBLCLK: HandleMouse(m, mbMiddle, true, true); return;
    case WM_MBUTTONUP: HandleMouse(m, mbMiddle, false, false); return;
    case WM_MOUSEMOVE:
      MouseMove(MouseKeysToShiftState(static_cast<int>(m.WParam)), LoWord(m.LParam), HiWord(m.LParam));
      return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      if (m.Msg == WM_CANCELMODE || reinterpret_cast<TControl*>(m.LParam) != this) {
        if (MouseCapture()) {
          SetMouseCapture(false);
          if (controlState_ & csLButtonDown) Perform(WM_LBUTTONUP, 0, MakeLong(-1, -1));
        } else {
          controlState_ &= ~csLButtonDown;
        }
      }
      return;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      return;
    case CM_PARENTFONTCHANGED:
      if (parentFont_ && parent_) {
        inFontChange_ = true;
        font_->Assign(*parent_->Font());
        inFontChange_ = false;
        Perform(CM_FONTCHANGED, 0, 0);
        if (IsWindowed()) static_cast<TWinControl*>(this)->Broadcast(m);
      }
      return;
    case CM_PARENTCOLORCHANGED:
      if (parentColor_ && parent_) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED, 0, 0);
      }
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (parent_) parent_->Perform(m.Msg, m.WParam, m.LParam);
      return;
    default: DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_SETTEXT:
      text_ = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
      m.Result = 1;
      break;
    case WM_GETTEXTLENGTH: m.Result = static_cast<LRESULT>(text_.size()); break;
    case WM_GETTEXT: {
      char* buf = reinterpret_cast<char*>(m.LParam);
      std::size_t cap = static_cast<std::size_t>(m.WParam);
      if (!buf || cap == 0) break;
      std::size_t n = std::min(cap - 1, text_.size());
      std::copy_n(text_.data(), n, buf);
      buf[n] = 0;
      m.Result = static_cast<LRESULT>(n);
      break;
    }
    case WM_SETCURSOR:
      if (Screen) {
        ui_internal::SetCursorFor(this);
        m.Result = 1;
      }
      break;
    default: break;
  }
}

void TControl::HandleMouse(TMessage& m, TMouseButton button, bool down, bool dbl) {
  int x = LoWord(m.LParam), y = HiWord(m.LParam);
  TShiftState shift = MouseKeysToShiftState(static_cast<int>(m.WParam));
  if (down) {
    SendCancelMode(this);
    if (button == mbLeft) {
      if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
      if (controlStyle_ & csClickEvents) controlState_ |= csClicked;
      controlState_ |= csLButtonDown;
      if (dbl && (controlStyle_ & csClickEvents)) DblClick();
    }
    MouseDown(button, shift | (dbl ? static_cast<unsigned>(ssDouble) : 0u), x, y);
    return;
  }
  if (button == mbLeft) {
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
    controlState_ &= ~csLButtonDown;
    if (controlState_ & csClicked) {
      controlState_ &= ~csClicked;
      if (PtInRect(ClientRect(), {x, y})) Click();
    }
  }
  MouseUp(button, shift, x, y);
  if (button == mbRight && popupMenu_ && ui_internal::PopupHandler()) {
    TPoint p = ClientToScreen({x, y});
    ui_internal::PopupHandler()(popupMenu_, p.X, p.Y);
  }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TControl::Click() {
  if (OnClick) OnClick(this);
}
void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::SetPopupMenu(TComponent* m) {
  if (m == popupMenu_) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = m;
  if (m) m->FreeNotification(this);
}

void TControl::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove && c == popupMenu_) popupMenu_ = nullptr;
}

void TControl::SetParent(TWinControl* p) {
  if (p == parent_) return;
  if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (p) {
    p->InsertControl(this);
    if (parentFont_) Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (parentColor_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  bool sized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
  if (parent_ && align_ != alNone && !parent_->realigning_) parent_->Realign();
  if (sized && !IsWindowed()) Resize();
}

void TControl::SetClientSize(int w, int h) {
  TRect c = ClientRect();
  SetBounds(left_, top_, width_ + w - c.Width(), height_ + h - c.Height());
}

TPoint TControl::ClientOrigin() const {
  if (!parent_) return {left_, top_};
  TPoint p = parent_->ClientOrigin();
  return {p.X + left_, p.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = ClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = ClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign a) {
  if (a == align_) return;
  TAlign old = align_;
  align_ = a;
  if (parent_ && (old != alNone || a != alNone)) parent_->Realign();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  VisibleChanging();
  if (!v) Invalidate();
  visible_ = v;
  if (!v) {
    if (gCapture == this) gCapture = nullptr;
    ui_internal::ControlHidden(this);
  }
  // A window shown after its parent's was made gets its own now, as it
  // would have with the parent's (controls lay themselves out on it).
  if (v && IsWindowed() && parent_ && parent_->HandleAllocated()) static_cast<TWinControl*>(this)->HandleNeeded();
  if (v) Invalidate();
  Perform(CM_VISIBLECHANGED, v, 0);
  if (parent_ && align_ != alNone) parent_->Realign();
}

bool TControl::Showing() const {
  if (!visible_) return false;
  return parent_ ? parent_->Showing() : false;
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  if (!v) ui_internal::ControlHidden(this);
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetFont(const TFont& f) { font_->Assign(f); }

void TControl::FontChanged() {
  if (inFontChange_) return;
  parentFont_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
  if (IsWindowed()) {
    TMessage m{CM_PARENTFONTCHANGED, 0, 0, 0};
    static_cast<TWinControl*>(this)->Broadcast(m);
  }
}

void TControl::SetParentFont(bool v) {
  if (v == parentFont_) return;
  parentFont_ = v;
  if (v && parent_) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  parentColor_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
  if (IsWindowed()) {
    TMessage m{CM_PARENTCOLORCHANGED, 0, 0, 0};
    static_cast<TWinControl*>(this)->Broadcast(m);
  }
}

void TControl::SetParentColor(bool v) {
  if (v == parentColor_) return;
  parentColor_ = v;
  if (v && parent_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  Perform(CM_CURSORCHANGED, 0, 0);
  ui_internal::CursorMayHaveChanged();
}

bool TControl::EffectiveShowHint() const {
  const TControl* c = this;
  while (c && c->parentShowHint_ && c->parent_) c = c->parent_;
  return c ? c->showHint_ : false;
}

AnsiString TControl::Text() const {
  TControl* self = const_cast<TControl*>(this);
  LRESULT len = self->Perform(WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return {};
  std::string buf(static_cast<std::size_t>(len) + 1, '\0');
  LRESULT got = self->Perform(WM_GETTEXT, static_cast<WPARAM>(buf.size()), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(static_cast<std::size_t>(std::max<LRESULT>(0, got)));
  return buf;
}

void TControl::SetText(const AnsiString& s) {
  if (s == Text()) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

TCustomForm* TControl::ParentForm() const { return GetParentForm(this); }

namespace {
// Rectangle of a control's whole window in its form's client co-ordinates.
bool RectInForm(const TControl* c, TRect& r, TCustomForm*& form) {
  r = Bounds(0, 0, c->Width(), c->Height());
  const TControl* cur = c;
  while (cur->Parent()) {
    OffsetRect(r, cur->Left(), cur->Top());
    TWinControl* p = cur->Parent();
    if (p->Parent()) {
      int bw = p->BorderWidth();
      OffsetRect(r, bw, bw);
    }
    cur = p;
  }
  form = dynamic_cast<TCustomForm*>(const_cast<TControl*>(cur));
  if (form == c) r = form->ClientRect();
  return form != nullptr;
}
}  // namespace

void TControl::Invalidate() {
  if (!visible_ && !IsWindowed()) return;
  TRect r;
  TCustomForm* f = nullptr;
  if (RectInForm(this, r, f)) f->InvalidateClient(r);
}

void TControl::InvalidateRect(const TRect& clientRect) {
  TRect r;
  TCustomForm* f = nullptr;
  if (!RectInForm(this, r, f)) return;
  TRect cr = clientRect;
  int off = (IsWindowed() && f != this) ? static_cast<TWinControl*>(this)->BorderWidth() : 0;
  OffsetRect(cr, r.Left + off, r.Top + off);
  if (f == this) cr = clientRect;
  f->InvalidateClient(cr);
}

void TControl::Update() {
  if (TCustomForm* f = ParentForm()) f->PaintPending();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& v = parent_->controls_;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  v.push_back(this);
  Invalidate();
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& v = parent_->controls_;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  v.insert(v.begin(), this);
  Invalidate();
}

bool TControl::MouseCapture() const { return gCapture == this; }

void TControl::SetMouseCapture(bool v) {
  if (v)
    SetCaptureControl(this);
  else if (gCapture == this)
    SetCaptureControl(nullptr);
}

void TControl::PaintTo(const TPaintContext&) {}

// ------------------------------------------------------------ TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  BeginDestroy();
  // Children go with their parent, as windows do.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    delete c;
  }
  DestroyHandle();
}

void TWinControl::InsertControl(TControl* c) {
  c->parent_ = this;
  controls_.push_back(c);
  if (c->IsWindowed()) tabList_.push_back(static_cast<TWinControl*>(c));
  if (c->align_ != alNone) Realign();
  c->Invalidate();
  if (HandleAllocated() && c->IsWindowed() && c->Visible()) static_cast<TWinControl*>(c)->HandleNeeded();
}

void TWinControl::RemoveControl(TControl* c) {
  if (c->parent_ != this) return;
  c->Invalidate();
  ui_internal::ControlHidden(c);
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
  tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), c), tabList_.end());
  c->parent_ = nullptr;
  if (c->align_ != alNone && !IsDestroying()) Realign();
}

bool TWinControl::ContainsControl(const TControl* c) const {
  while (c) {
    if (c == this) return true;
    c = c->Parent();
  }
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    if (!allowWinControls && c->IsWindowed()) continue;
    if (PtInRect(c->BoundsRect(), p)) return c;
  }
  return nullptr;
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p = TCreateParams{};
  p.Caption = text_;
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (tabStop_) p.Style |= WS_TABSTOP;
  if (!enabled_) p.Style |= WS_DISABLED;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  p.WndParent = (parent_ && parent_->handle_) ? parent_->handle_ : 0;
  p.WindowClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
}

void TWinControl::CreateWnd() {
  CreateParams(params_);
  handle_ = gNextHandle++;
  Registry()[handle_] = this;
  ApplyScrollStyles();
  Perform(WM_CREATE, 0, 0);
  Perform(WM_SETFONT, 0, 0);
  SendSize();
  for (TControl* c : controls_)
    if (c->IsWindowed() && c->Visible()) static_cast<TWinControl*>(c)->HandleNeeded();
}

void TWinControl::DestroyWnd() {
  for (TControl* c : controls_)
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->DestroyHandle();
  if (!IsDestroying()) Perform(WM_DESTROY, 0, 0);
  if (CaretState().Owner == handle_) DestroyCaret();
  Registry().erase(handle_);
  MessageQueue().RemoveFor(handle_);
  KillWindowTimers(handle_);
  if (gFocus == handle_) gFocus = 0;
  handle_ = 0;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  controlState_ |= csDestroyingHandle;
  DestroyWnd();
  controlState_ &= ~csDestroyingHandle;
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  bool hadFocus = gFocus == handle_;
  DestroyHandle();
  CreateHandle();
  if (hadFocus) gFocus = handle_;
  Invalidate();
}

void TWinControl::ApplyScrollStyles() {
  vbar_.wanted = (params_.Style & WS_VSCROLL) != 0;
  hbar_.wanted = (params_.Style & WS_HSCROLL) != 0;
  vbar_.visible = vbar_.wanted && vbar_.max > vbar_.min;
  hbar_.visible = hbar_.wanted && hbar_.max > hbar_.min;
}

int TWinControl::BorderWidth() const {
  int w = 0;
  if (params_.Style & WS_BORDER) w += 1;
  if (params_.ExStyle & WS_EX_CLIENTEDGE) w += 2;
  return w;
}

TRect TWinControl::ClientRect() const {
  int bw = BorderWidth();
  int w = width_ - 2 * bw - (vbar_.visible ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  int h = height_ - 2 * bw - (hbar_.visible ? GetSystemMetrics(SM_CYHSCROLL) : 0);
  return {0, 0, std::max(0, w), std::max(0, h)};
}

TPoint TWinControl::ClientOrigin() const {
  TPoint p = TControl::ClientOrigin();
  int bw = BorderWidth();
  return {p.X + bw, p.Y + bw};
}

void TWinControl::SendSize() {
  TRect c = ClientRect();
  Perform(WM_SIZE, SizeKind(), MakeLong(c.Width(), c.Height()));
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  bool sized = width != width_ || height != height_;
  TControl::SetBounds(left, top, width, height);
  if (sized) {
    if (handle_)
      SendSize();
    else {
      Realign();
      Resize();
    }
  }
}

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0 && --alignDisabled_ == 0) Realign();
}

void TWinControl::Realign() {
  if (alignDisabled_ > 0 || realigning_) return;
  TRect r = AlignRect();
  realigning_ = true;
  TScopeExit realigned{[this] { realigning_ = false; }};
  AlignControls(nullptr, r);
}

void TWinControl::AlignControls(TControl*, TRect& rect) {
  // Edges first, in the library's order; within one edge the controls keep
  // their visual order (the one nearest the edge first).
  auto insertBefore = [](TControl* c1, TControl* c2, TAlign a) {
    switch (a) {
      case alTop: return c1->Top() < c2->Top();
      case alBottom: return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
      case alLeft: return c1->Left() < c2->Left();
      case alRight: return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
      default: return false;
    }
  };
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : controls_) {
      if (c->Align() != a || !c->Visible()) continue;
      std::size_t j = 0;
      while (j < list.size() && !insertBefore(c, list[j], a)) ++j;
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(j), c);
    }
    for (TControl* c : list) {
      int w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
      if (w < 0 || a == alLeft || a == alRight) w = c->Width();
      if (h < 0 || a == alTop || a == alBottom) h = c->Height();
      int l = rect.Left, t = rect.Top;
      switch (a) {
        case alTop: rect.Top += h; break;
        case alBottom: rect.Bottom -= h; t = rect.Bottom; break;
        case alLeft: rect.Left += w; break;
        case alRight: rect.Right -= w; l = rect.Right; break;
        default: break;
      }
      c->SetBounds(l, t, w, h);
    }
  }
}

void TWinControl::SetTabStop(bool v) {
  if (v == tabStop_) return;
  tabStop_ = v;
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& l = parent_->tabList_;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int v) {
  if (!parent_) return;
  auto& l = parent_->tabList_;
  l.erase(std::remove(l.begin(), l.end(), this), l.end());
  if (v < 0 || v > static_cast<int>(l.size())) v = static_cast<int>(l.size());
  l.insert(l.begin() + v, this);
}

bool TWinControl::CanFocus() const {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (const TControl* c = this; c != form; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) throw EInvalidOperation("Control has no parent window");
  form->FocusControl(this);
}

bool TWinControl::Focused() const { return handle_ != 0 && gFocus == handle_; }

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : tabList_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* cur, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), cur);
  int start = it == list.end() ? (goForward ? n - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  do {
    if (goForward) {
      if (++i == n) i = 0;
    } else {
      if (i == 0) i = n;
      --i;
    }
    TWinControl* c = list[static_cast<std::size_t>(i)];
    if (c->CanFocus() && (!checkTabStop || c->IsTabStop()) && (!checkParent || c->Parent() == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* cur, bool goForward, bool checkTabStop) {
  if (TWinControl* c = FindNextControl(cur, goForward, checkTabStop, !checkTabStop)) c->SetFocus();
}

void TWinControl::Broadcast(TMessage& m) {
  // A copy: a handler may add or remove children.
  std::vector<TControl*> kids = controls_;
  for (TControl* c : kids) {
    if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
    c->WndProc(m);
    if (m.Result != 0) return;
  }
}

void TWinControl::KeyDown(Word& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}
void TWinControl::KeyUp(Word& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}
void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}
void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::DoKeyDown(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && !ui_internal::KeyForDropDown(static_cast<int>(m.WParam)) &&
      static_cast<TWinControl*>(form)->DoKeyDown(m))
    return true;
  Word key = static_cast<Word>(m.WParam);
  KeyDown(key, KeyDataToShiftState(static_cast<std::int32_t>(m.LParam)));
  m.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && !ui_internal::KeyForDropDown(static_cast<int>(m.WParam)) &&
      static_cast<TWinControl*>(form)->DoKeyUp(m))
    return true;
  Word key = static_cast<Word>(m.WParam);
  KeyUp(key, KeyDataToShiftState(static_cast<std::int32_t>(m.LParam)));
  m.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && !ui_internal::KeyForDropDown(static_cast<int>(m.WParam)) &&
      static_cast<TWinControl*>(form)->DoKeyPress(m))
    return true;
  char ch = static_cast<char>(m.WParam);
  KeyPress(ch);
  m.WParam = static_cast<unsigned char>(ch);
  return ch == 0;
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
      // Exit and enter notifications run before the window's own handling
      // (not inside drop-down windows, which belong to no form's focus).
      if (TCustomForm* form = GetParentForm(this))
        if (!form->IsPopup() && !form->SetFocusedControl(this)) return;
      DefaultHandler(m);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(m)) {
        DefaultHandler(m);
        // F1 that nothing took asks the window for its help.
        if (m.Msg == WM_KEYDOWN && m.WParam == VK_F1 &&
            KeyModifiers(KeyDataToShiftState(static_cast<std::int32_t>(m.LParam))) == 0)
          if (TCustomForm* form = GetParentForm(this)) form->Perform(WM_HELP, 0, 0);
      }
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(m)) DefaultHandler(m);
      return;
    case WM_CHAR:
      if (!DoKeyPress(m)) DefaultHandler(m);
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: {
      m.Result = 1;
      int key = static_cast<int>(m.WParam);
      if (ShortCuts() && ShortCuts()(this, static_cast<Word>(key), KeyDataToShiftState(static_cast<std::int32_t>(m.LParam))))
        return;
      if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
      int mask = 0;
      switch (key) {
        case VK_TAB: mask = DLGC_WANTTAB; break;
        case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
        case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
        default: break;
      }
      if (mask != 0 && !ui_internal::KeyForDropDown(key) && Perform(CM_WANTSPECIALKEY, key, 0) == 0 &&
          (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) return;
      }
      m.Result = 0;
      return;
    }
    case CN_CHAR:
    case CN_SYSCHAR: {
      m.Result = 1;
      bool alt = m.Msg == CN_SYSCHAR;
      if (alt || (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) return;
      }
      m.Result = 0;
      return;
    }
    case CM_CHILDKEY:
      if (parent_) m.Result = parent_->Perform(CM_CHILDKEY, m.WParam, m.LParam);
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:  // buttons follow which one Enter presses
      Broadcast(m);
      return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case WM_SIZE:
      Realign();
      Resize();
      return;
    case CM_FONTCHANGED:
      // The window learns its new font as the platform tells it.
      if (handle_) Perform(WM_SETFONT, 0, 1);
      Invalidate();
      return;
    case CM_ENABLEDCHANGED:
      if (!enabled_ && Focused()) {
        if (TCustomForm* f = GetParentForm(this)) f->SetFocusedControl(f);
      }
      Invalidate();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
      if (barTracking_ >= 0 && ScrollBarMouse(m)) return;
      break;
    case WM_TIMER:
      return;
    case WM_PAINT:
      // Outside a paint pass there is nothing to paint on: ask for one.
      if (paintCtx_)
        PaintWindow(*paintCtx_);
      else
        Invalidate();
      return;
    default: break;
  }
  TControl::Dispatch(m);
}

void TWinControl::PaintWindow(const TPaintContext& ctx) {
  const TPaintContext* saved = paintCtx_;
  paintCtx_ = &ctx;
  TScopeExit restore{[this, saved] { paintCtx_ = saved; }};
  Perform(WM_ERASEBKGND, 0, 0);
}

void TWinControl::PaintTo(const TPaintContext& ctx) {
  TRect whole = Bounds(ctx.Origin.X, ctx.Origin.Y, width_, height_);
  TPaintContext self{ctx.Device, ctx.Origin, {}};
  if (!IntersectRect(self.Clip, ctx.Clip, whole)) return;
  int bw = BorderWidth();
  TRect cr = ClientRect();
  TPaintContext client{ctx.Device, {ctx.Origin.X + bw, ctx.Origin.Y + bw}, {}, 0};
  TRect crDev = Bounds(client.Origin.X, client.Origin.Y, cr.Width(), cr.Height());
  bool hasClient = IntersectRect(client.Clip, self.Clip, crDev);
  // Damage that lies inside one child window is that child's alone: this
  // window does not paint (its child windows are clipped out of it).
  if (hasClient && client.Clip == self.Clip)
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
      TControl* c = *it;
      if (!c->Visible() || !c->IsWindowed()) continue;
      TRect cb = c->BoundsRect();
      OffsetRect(cb, client.Origin.X, client.Origin.Y);
      TRect inter;
      if (!IntersectRect(inter, cb, client.Clip)) continue;
      if (inter == client.Clip) {
        TPaintContext cc{ctx.Device, {cb.Left, cb.Top}, client.Clip};
        c->PaintTo(cc);
        return;
      }
      break;  // the top-most child it touches does not hold it all
    }
  PaintNonClient(self);
  if (!hasClient) return;
  client.Serial = NextPaintSerial();
  // Through WM_PAINT, so a control's own paint handler runs around it.
  {
    const TPaintContext* saved = paintCtx_;
    paintCtx_ = &client;
    TScopeExit restore{[this, saved] { paintCtx_ = saved; }};
    Perform(WM_PAINT, 0, 0);
  }
  // Graphic children lie under the windowed ones (which clip them out).
  for (int pass = 0; pass < 2; ++pass)
    for (TControl* c : controls_) {
      if (!c->Visible() || c->IsWindowed() != (pass == 1)) continue;
      TPaintContext cc{ctx.Device, {client.Origin.X + c->Left(), client.Origin.Y + c->Top()}, client.Clip};
      c->PaintTo(cc);
    }
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (m.Msg == WM_ERASEBKGND) {
    if (!paintCtx_) return;
    TCanvas c(paintCtx_->Device);
    c.SetViewport(paintCtx_->Origin, &paintCtx_->Clip);
    ExcludeChildWindows(c);
    ctlutil::FillSolid(c, ClientRect(), color_);
    m.Result = 1;
    return;
  }
  // As with the system's default handling: a wheel turn that the window
  // under the focus does not use goes on to its parent.
  if (m.Msg == WM_MOUSEWHEEL && Parent()) {
    m.Result = Parent()->Perform(m.Msg, m.WParam, m.LParam);
    return;
  }
  TControl::DefaultHandler(m);
}

void TWinControl::ExcludeChildWindows(TCanvas& c) const {
  // Parents do not draw under their child windows (as with clip-children).
  for (TControl* k : controls_)
    if (k->IsWindowed() && k->Visible()) c.ExcludeClipRect(k->Left(), k->Top(), k->Left() + k->Width(), k->Top() + k->Height());
}

bool TWinControl::InNonClient(TPoint p) const {
  int bw = BorderWidth();
  TRect c = ClientRect();
  TPoint wp{p.X + bw, p.Y + bw};
  return PtInRect(Bounds(0, 0, width_, height_), wp) && !PtInRect(c, p);
}

// ------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}
TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>(nullptr);
  ui_internal::AttachCanvas(this, *canvas_, paintCtx_);
  return canvas_.get();
}

void TCustomControl::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomControl::PaintWindow(const TPaintContext& ctx) {
  TWinControl::PaintWindow(ctx);
  const TPaintContext* saved = paintCtx_;
  paintCtx_ = &ctx;
  TScopeExit restore{[this, saved] { paintCtx_ = saved; }};
  TCanvas* c = Canvas();
  c->Font()->Assign(*Font());
  c->Brush()->SetColor(Color());
  ExcludeChildWindows(*c);
  Paint();
}

// ------------------------------------------------------ TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}
TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>(nullptr);
  ui_internal::AttachCanvas(this, *canvas_, paintCtx_);
  return canvas_.get();
}

void TGraphicControl::PaintTo(const TPaintContext& ctx) {
  TRect whole = Bounds(ctx.Origin.X, ctx.Origin.Y, width_, height_);
  TPaintContext self{ctx.Device, ctx.Origin, {}, NextPaintSerial()};
  if (!IntersectRect(self.Clip, ctx.Clip, whole)) return;
  paintCtx_ = &self;
  TScopeExit restore{[this] { paintCtx_ = nullptr; }};
  Canvas()->Font()->Assign(*Font());
  Canvas()->Brush()->SetColor(Color());
  Paint();
}

// Published properties ---------------------------------------------------

void TControl::PublishProperties(TClassInfo& ci) {
  PublishInteger<TControl>(ci, "Left", &TControl::Left, &TControl::SetLeft);
  PublishInteger<TControl>(ci, "Top", &TControl::Top, &TControl::SetTop);
  PublishInteger<TControl>(ci, "Width", &TControl::Width, &TControl::SetWidth);
  PublishInteger<TControl>(ci, "Height", &TControl::Height, &TControl::SetHeight);
  PublishBool<TControl>(ci, "Visible", &TControl::Visible, &TControl::SetVisible);
  PublishBool<TControl>(ci, "Enabled", &TControl::Enabled, &TControl::SetEnabled);
  PublishInteger<TControl>(ci, "Color", &TControl::Color, &TControl::SetColor);
  PublishBool<TControl>(ci, "ParentFont", &TControl::ParentFont, &TControl::SetParentFont);
  PublishBool<TControl>(ci, "ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
  PublishInteger<TControl>(ci, "Cursor", &TControl::Cursor, &TControl::SetCursor);
  PublishString<TControl>(ci, "Hint", &TControl::Hint, &TControl::SetHint);
  PublishBool<TControl>(ci, "ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
  PublishString<TControl>(ci, "Caption", &TControl::Caption, &TControl::SetCaption);
  PublishString<TControl>(ci, "Text", &TControl::Text, &TControl::SetText);
  PublishObject<TControl, TFont>(ci, "Font", &TControl::Font, nullptr);
  PublishEvent<TControl>(ci, "OnClick", &TControl::OnClick);
  PublishEvent<TControl>(ci, "OnDblClick", &TControl::OnDblClick);
  PublishEvent<TControl>(ci, "OnMouseDown", &TControl::OnMouseDown);
  PublishEvent<TControl>(ci, "OnMouseMove", &TControl::OnMouseMove);
  PublishEvent<TControl>(ci, "OnMouseUp", &TControl::OnMouseUp);
}

void TWinControl::PublishProperties(TClassInfo& ci) {
  PublishBool<TWinControl>(ci, "TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
  PublishInteger<TWinControl>(ci, "TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
  PublishEvent<TWinControl>(ci, "OnEnter", &TWinControl::OnEnter);
  PublishEvent<TWinControl>(ci, "OnExit", &TWinControl::OnExit);
  PublishEvent<TWinControl>(ci, "OnKeyDown", &TWinControl::OnKeyDown);
  PublishEvent<TWinControl>(ci, "OnKeyPress", &TWinControl::OnKeyPress);
  PublishEvent<TWinControl>(ci, "OnKeyUp", &TWinControl::OnKeyUp);
}

bool TWinControl::TakesEnter(TMessage& m) {
  if (m.Msg != CM_DIALOGKEY || static_cast<int>(m.WParam) != VK_RETURN || !Focused() || !Enabled() ||
      KeyModifiers(KeyDataToShiftState(static_cast<std::int32_t>(m.LParam))) != 0)
    return false;
  m.Result = 1;
  return true;
}

// Forms, screen and application: activation and focus between forms, modal
// loops, closing, the message loop, input routing and painting.
#include "platform/ui/forms.h"

#include <algorithm>

#include "platform/gfx/device.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/timers.h"
#include "platform/ui/ui_internal.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
int gFocusCount = 0;
TCustomForm* gFocusedForm = nullptr;
ui_internal::TPopupHandler gPopupHandler;

bool Contains(const TControl* outer, const TControl* inner) {
  for (const TControl* c = inner; c; c = c->Parent())
    if (c == outer) return true;
  return false;
}

// Forms shown below the top-most modal form take no input.
bool BlockedByModal(const TCustomForm* f) {
  if (!Application || Application->ModalLevel() == 0 || !Screen) return false;
  for (int i = Screen->FormCount() - 1; i >= 0; --i) {
    TCustomForm* g = Screen->Forms(i);
    if (g->Modal() && g->Visible()) return !Contains(g, f) && !f->IsPopup();
  }
  return false;
}
}  // namespace

void InitUi() {
  if (Application) return;
  WindowHost();  // raises without a host: nothing could be shown
  Screen = new TScreen(nullptr);
  Application = new TApplication(nullptr);
}

void ShutdownUi() {
  if (!Application) return;
  TApplication* app = Application;
  delete app;  // owns the forms created through CreateForm
  while (Screen && !Screen->forms_.empty()) delete Screen->forms_.back();
  Application = nullptr;
  delete Screen;
  Screen = nullptr;
  MessageQueue().Clear();
  ReleaseCapture();
  DestroyCaret();
  keyboard::ResetAll();
  gFocusedForm = nullptr;
}

TCustomForm* GetParentForm(const TControl* c) {
  while (c && c->Parent()) c = c->Parent();
  return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

void SetPopupMenuHandler(ui_internal::TPopupHandler handler) { gPopupHandler = std::move(handler); }

// ------------------------------------------------------------ TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  InitUi();
  visible_ = false;
  controlStyle_ |= csAcceptsControls;
  color_ = clBtnFace;
  parentFont_ = false;
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
  Screen->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  BeginDestroy();
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  if (native_) native_->Hide();
  if (Screen) {
    auto& v = Screen->forms_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    if (Screen->activeForm_ == this) Screen->activeForm_ = nullptr;
  }
  if (gFocusedForm == this) gFocusedForm = nullptr;
  if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
  // Children first (they may still talk to the form), then the window.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    delete c;
  }
  DestroyHandle();
  native_.reset();
  frameDevice_.reset();
  frame_.reset();
  device_.reset();
}

int TCustomForm::FrameX() const {
  switch (borderStyle_) {
    case bsNone: return 0;
    case bsSizeable: case bsSizeToolWin: return GetSystemMetrics(SM_CXFRAME);
    default: return GetSystemMetrics(SM_CXDLGFRAME);
  }
}

int TCustomForm::FrameTop() const {
  if (borderStyle_ == bsNone) return hasMenu_ ? GetSystemMetrics(SM_CYMENU) : 0;
  int caption = (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) ? GetSystemMetrics(SM_CYSMCAPTION)
                                                                                 : GetSystemMetrics(SM_CYCAPTION);
  return FrameX() + caption + (hasMenu_ ? GetSystemMetrics(SM_CYMENU) : 0);
}

TRect TCustomForm::ClientRect() const {
  int w = width_ - 2 * FrameX() - (vbar_.visible ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  int h = height_ - FrameTop() - FrameX() - (hbar_.visible ? GetSystemMetrics(SM_CYHSCROLL) : 0);
  return {0, 0, std::max(0, w), std::max(0, h)};
}

TPoint TCustomForm::ClientOrigin() const { return {left_ + FrameX(), top_ + FrameTop()}; }

void TCustomForm::SetClientSize(int w, int h) {
  SetBounds(left_, top_, w + 2 * FrameX() + (vbar_.visible ? GetSystemMetrics(SM_CXVSCROLL) : 0),
            h + FrameTop() + FrameX() + (hbar_.visible ? GetSystemMetrics(SM_CYHSCROLL) : 0));
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
  bool same = left == left_ && top == top_ && width == width_ && height == height_;
  TWinControl::SetBounds(left, top, width, height);
  if (same) return;
  ResizeBuffer();
  SyncNative();
}

bool TCustomForm::Showing() const { return visible_ && shown_; }

void TCustomForm::SetText(const AnsiString& s) {
  TControl::SetText(s);
  if (native_) native_->SetTitle(Text());
}

void TCustomForm::SetBorderStyle(TFormBorderStyle b) {
  if (b == borderStyle_) return;
  TRect c = ClientRect();
  borderStyle_ = b;
  if (handle_) RecreateWnd();
  SetClientSize(c.Width(), c.Height());
  SyncNative();
}

void TCustomForm::SetFormStyle(TFormStyle s) {
  if (s == formStyle_) return;
  formStyle_ = s;
  SyncNative();
}

void TCustomForm::SetHasMenu(bool v) {
  if (v == hasMenu_) return;
  hasMenu_ = v;
  if (handle_) SendSizeNow();
  ResizeBuffer();
  int bar = hasMenu_ ? GetSystemMetrics(SM_CYMENU) : 0;
  if (native_ && bar != nativeBar_) {
    // The native window shows another picture now: make it anew.
    bool show = shown_;
    DropNative();
    if (show) {
      EnsureNative();
      native_->Show(false);
      dirty_ = surface_->Bounds();
      PaintPending();
    }
    return;
  }
  SyncNative();
}

void TCustomForm::DropNative() {
  if (native_) native_->Hide();
  native_.reset();
  frameDevice_.reset();
  frame_.reset();
  nativeBar_ = 0;
}

void TCustomForm::FlushNative(const TRect& r) {
  if (!native_ || r.IsEmpty()) return;
  if (!frame_) {
    native_->Flush(r.Left, r.Top, r.Width(), r.Height());
    return;
  }
  int w = surface_->Width(), h = surface_->Height();
  if (frame_->Width() != w || frame_->Height() != h + nativeBar_) {
    frame_->Resize(w, h + nativeBar_, ColorToPixel(ColorToRGB(clBtnFace)));
    RepaintMenuBar();
  }
  TRect c;
  if (!IntersectRect(c, r, surface_->Bounds())) return;
  for (int y = c.Top; y < c.Bottom; ++y)
    std::copy(surface_->Row(y) + c.Left, surface_->Row(y) + c.Right, frame_->Row(y + nativeBar_) + c.Left);
  native_->Flush(c.Left, c.Top + nativeBar_, c.Width(), c.Height());
}

void TCustomForm::RepaintMenuBar() {
  if (!frame_ || !frameDevice_ || nativeBar_ <= 0) return;
  TRect bar{0, 0, frame_->Width(), nativeBar_};
  TCanvas c(frameDevice_.get());
  c.SetViewport({0, 0}, &bar);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(bar);
  if (ui_internal::MenuBarPainter()) {
    try {
      ui_internal::MenuBarPainter()(this, c, bar);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  if (native_) native_->Flush(0, 0, bar.Width(), bar.Height());
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style &= ~(WS_CHILD | WS_TABSTOP);
  p.WndParent = 0;
  switch (borderStyle_) {
    case bsNone: p.Style |= WS_POPUP; break;
    case bsSingle: case bsToolWindow: p.Style |= WS_CAPTION | WS_BORDER | WS_SYSMENU; break;
    case bsSizeable: case bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
      break;
    case bsDialog: p.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU; p.ExStyle |= WS_EX_DLGMODALFRAME; break;
  }
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin || popup_) p.ExStyle |= WS_EX_TOOLWINDOW;
  if (formStyle_ == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  if (popup_) p.Style = (p.Style & ~WS_CAPTION) | WS_POPUP;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  // A named window class can be found and posted to from another process.
  if (!params_.WinClassName.empty() && Application) Application->RegisterWindowClass(params_.WinClassName, this);
}

void TCustomForm::DestroyWnd() {
  if (Application) Application->UnregisterWindowClass(this);
  TWinControl::DestroyWnd();
}

void TCustomForm::AfterConstruction() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(this);
}

// --- back buffer and native window

void TCustomForm::ResizeBuffer() {
  if (!surface_) return;
  TRect c = ClientRect();
  int w = std::max(1, c.Width()), h = std::max(1, c.Height());
  if (surface_->Width() == w && surface_->Height() == h) return;
  surface_->Resize(w, h, ColorToPixel(ColorToRGB(color_)));
  dirty_ = surface_->Bounds();
}

void TCustomForm::EnsureBuffer() {
  if (surface_) return;
  surface_ = std::make_unique<TSurface>();
  TRect c = ClientRect();
  surface_->Resize(std::max(1, c.Width()), std::max(1, c.Height()), ColorToPixel(ColorToRGB(color_)));
  if (TGfxPlatform* gp = GfxPlatform()) device_ = gp->CreateRasterDevice(*surface_, 96);
  dirty_ = surface_->Bounds();
}

void TCustomForm::EnsureNative() {
  EnsureBuffer();
  if (native_) return;
  nativeBar_ = hasMenu_ ? GetSystemMetrics(SM_CYMENU) : 0;
  TSurface* shown = surface_.get();
  if (nativeBar_ > 0) {
    frame_ = std::make_unique<TSurface>();
    frame_->Resize(surface_->Width(), surface_->Height() + nativeBar_, ColorToPixel(ColorToRGB(clBtnFace)));
    if (TGfxPlatform* gp = GfxPlatform()) frameDevice_ = gp->CreateRasterDevice(*frame_, 96);
    shown = frame_.get();
  }
  native_ = WindowHost().CreateWindow(shown, [this](const THostInput& in) { HostInput(in); });
  RepaintMenuBar();
  SyncNative();
}

void TCustomForm::SyncNative() {
  if (!native_) return;
  unsigned flags = 0;
  if (borderStyle_ == bsNone || popup_) flags |= wfFrameless;
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) flags |= wfToolWindow;
  if (formStyle_ == fsStayOnTop || popup_) flags |= wfStayOnTop;
  if (popup_) flags |= wfPopupNoActivate;
  if (borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin) flags |= wfFixedSize;
  if (borderStyle_ == bsDialog) flags |= wfDialog;
  native_->SetFlags(flags);
  native_->SetTitle(Text());
  TRect c = ClientRect();
  TPoint o = ClientOrigin();
  native_->SetGeometry(o.X, o.Y - nativeBar_, std::max(1, c.Width()), std::max(1, c.Height()) + nativeBar_);
  TPoint mn, mx;
  TrackSizeLimits(mn, mx);
  int extraW = width_ - c.Width(), extraH = height_ - c.Height();
  extraH -= nativeBar_;
  native_->SetMinMaxClientSize(std::max(1, mn.X - extraW), std::max(1, mn.Y - extraH), std::max(1, mx.X - extraW),
                               std::max(1, mx.Y - extraH));
}

void TCustomForm::TrackSizeLimits(TPoint& minSize, TPoint& maxSize) {
  TMinMaxInfo mmi;
  mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)};
  mmi.ptMaxTrackSize = {32767, 32767};
  if (borderStyle_ == bsNone || popup_) mmi.ptMinTrackSize = {1, 1};
  Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  minSize = {mmi.ptMinTrackSize.x, mmi.ptMinTrackSize.y};
  maxSize = {std::max(mmi.ptMaxTrackSize.x, mmi.ptMinTrackSize.x), std::max(mmi.ptMaxTrackSize.y, mmi.ptMinTrackSize.y)};
}

TPopupWindow::TPopupWindow(TComponent* owner) : TCustomForm(owner) {
  borderStyle_ = bsNone;
  popup_ = true;
}

void TPopupWindow::Popup(const TRect& r) {
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  for (TControl* c : controls_) c->SetBoundsRect(ClientRect());
  if (!Visible()) Show();
  else BringToFront();
}

void TCustomForm::InvalidateClient(const TRect& r) {
  TRect c = ClientRect();
  TRect x;
  if (IntersectRect(x, r, c)) dirty_ = UnionRect(dirty_, x);
}

void TCustomForm::PaintPending() {
  if (!shown_) return;
  // A locked window (LockWindowUpdate) holds back its form's painting.
  if (HWND locked = LockedWindow()) {
    TWinControl* lc = FindControl(locked);
    if (lc && (lc == this || ContainsControl(lc))) return;
  }
  if (dirty_.IsEmpty()) {
    // Only drawing outside paint to show.
    if (!flush_.IsEmpty()) FlushNative(flush_);
    flush_ = {};
    return;
  }
  EnsureBuffer();
  if (!device_) {
    if (TGfxPlatform* gp = GfxPlatform()) device_ = gp->CreateRasterDevice(*surface_, 96);
    if (!device_) return;
  }
  TRect clip;
  if (!IntersectRect(clip, dirty_, surface_->Bounds())) {
    dirty_ = {};
    return;
  }
  dirty_ = {};
  TPaintContext ctx{device_.get(), {0, 0}, clip};
  try {
    PaintTo(ctx);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  TRect shown = UnionRect(clip, flush_);
  flush_ = {};
  FlushNative(shown);
}

void TCustomForm::PaintWindow(const TPaintContext& ctx) {
  TWinControl::PaintWindow(ctx);
  if (OnPaint) {
    const TPaintContext* saved = paintCtx_;
    paintCtx_ = &ctx;
    try {
      TCanvas* c = Canvas();
      c->Font()->Assign(*Font());
      c->Brush()->SetColor(Color());
      ExcludeChildWindows(*c);
      OnPaint(this);
    } catch (...) {
      paintCtx_ = saved;
      throw;
    }
    paintCtx_ = saved;
  }
}

TCanvas* TCustomForm::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>(nullptr);
  ui_internal::AttachCanvas(this, *canvas_, paintCtx_);
  return canvas_.get();
}

// --- showing and hiding

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::BringToFront() {
  if (native_ && shown_) native_->Raise();
  if (Screen) {
    auto& v = Screen->forms_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::ShowWindowNow() {
  AfterConstruction();
  if (position_ == poScreenCenter && windowState_ == wsNormal && Screen) {
    left_ = (Screen->Width() - width_) / 2;
    top_ = (Screen->Height() - height_) / 2;
  }
  HandleNeeded();
  DoShow();
  if (!visible_) return;  // OnShow may hide it again
  EnsureNative();
  ResizeBuffer();
  SyncNative();
  shown_ = true;
  dirty_ = surface_->Bounds();
  native_->Show(!popup_);
  if (windowState_ != wsNormal) native_->SetState(windowState_ == wsMaximized ? 2 : 1);
  if (!popup_ && Application) Application->ActivateForm(this);
  PaintPending();
}

void TCustomForm::HideWindowNow() {
  if (!shown_) return;
  DoHide();
  shown_ = false;
  if (native_) native_->Hide();
  ui_internal::ControlHidden(this);
  if (active_) {
    SetActive(false);
    // The previously active form takes over, as the window manager would.
    if (Application && Screen)
      for (int i = Screen->FormCount() - 1; i >= 0; --i) {
        TCustomForm* f = Screen->Forms(i);
        if (f != this && f->Showing() && !f->popup_ && !BlockedByModal(f)) {
          Application->ActivateForm(f);
          break;
        }
      }
  }
  if (gFocusedForm == this) {
    gFocusedForm = nullptr;
    if (Screen && Screen->activeForm_ == this) Screen->activeForm_ = nullptr;
  }
}

void TCustomForm::SetWindowState(TWindowState s) {
  if (s == windowState_) return;
  TWindowState old = windowState_;
  windowState_ = s;
  if (s == wsMaximized) {
    if (old == wsNormal) restoreBounds_ = BoundsRect();
    int fx = FrameX();
    TWinControl::SetBounds(-fx, -fx, Screen->Width() + 2 * fx, Screen->Height() + 2 * fx);
    ResizeBuffer();
  } else if (s == wsNormal && old == wsMaximized && !restoreBounds_.IsEmpty()) {
    TWinControl::SetBounds(restoreBounds_.Left, restoreBounds_.Top, restoreBounds_.Width(), restoreBounds_.Height());
    ResizeBuffer();
  } else if (s == wsMinimized && handle_) {
    Perform(WM_SIZE, SIZE_MINIMIZED, 0);
  }
  if (native_ && shown_) {
    SyncNative();
    native_->SetState(s == wsMaximized ? 2 : s == wsMinimized ? 1 : 0);
  }
}

// --- focus and activation

void TCustomForm::SetActive(bool v) {
  if (active_ == v) return;
  active_ = v;
  if (v) {
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    SetWindowFocus();
  }
}

void TCustomForm::SetWindowFocus() {
  HWND h = (activeControl_ && activeControl_->CanFocus()) ? activeControl_->Handle() : Handle();
  SetFocusWindow(h);
}

void TCustomForm::SetActiveControl(TWinControl* c) {
  if (activeControl_ == c) return;
  if (c && (c == this || GetParentForm(c) != this || !c->CanFocus()))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = c;
  if (active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* c) {
  bool wasActive = active_;
  SetActiveControl(c);
  if (!wasActive) SetFocus();
}

bool TCustomForm::CanFocus() const { return visible_ && enabled_; }

void TCustomForm::SetFocus() {
  if (active_) return;
  if (!visible_ || !enabled_) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (Application) Application->ActivateForm(this);
}

// Exit notifications from the old focus up to the common parent, then enter
// notifications down to the new one; a handler that moves the focus
// elsewhere ends the walk.
bool TCustomForm::SetFocusedControl(TWinControl* control) {
  int count = ++gFocusCount;
  activeControl_ = control != this ? control : nullptr;
  if (Screen) {
    Screen->activeForm_ = this;
    auto& v = Screen->forms_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
  }
  if (control->controlState_ & csFocusing) return false;
  control->controlState_ |= csFocusing;
  struct Clear {
    TWinControl* c;
    ~Clear() {
      if (FindControl(h)) c->controlState_ &= ~csFocusing;
    }
    HWND h;
  } clear{control, control->Handle()};
  auto send = [&](TWinControl* target, unsigned msg) {
    target->Perform(msg, 0, 0);
    return gFocusCount == count;
  };
  if (gFocusedForm != this) {
    if (gFocusedForm) {
      TCustomForm* old = gFocusedForm;
      gFocusedForm = nullptr;
      if (!send(old, CM_DEACTIVATE)) return false;
    }
    gFocusedForm = this;
    if (!send(this, CM_ACTIVATE)) return false;
  }
  if (!focusedControl_) focusedControl_ = this;
  if (focusedControl_ != control) {
    while (focusedControl_ && !focusedControl_->ContainsControl(control)) {
      TWinControl* leaving = focusedControl_;
      focusedControl_ = focusedControl_->Parent();
      if (!send(leaving, CM_EXIT)) return false;
    }
    while (focusedControl_ != control) {
      TWinControl* t = control;
      while (t->Parent() != focusedControl_) t = t->Parent();
      focusedControl_ = t;
      if (!send(t, CM_ENTER)) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  }
  return true;
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

// --- closing and modality

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this)
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caMinimize)
    SetWindowState(wsMinimized);
  else
    Release();
}

void TCustomForm::Release() { PostMessage(Handle(), CM_RELEASE, 0, 0); }

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone)
      modalResult_ = mrNone;
    else if (action == caFree)
      Release();
  } catch (...) {
    modalResult_ = mrNone;
    Application->HandleException(this);
  }
}

int TCustomForm::ShowModal() {
  if (visible_ || !enabled_ || modal_ || formStyle_ == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  ReleaseCapture();
  // Alive while the screen lists it (its handle may change on re-creation).
  auto alive = [this] {
    return Screen && std::find(Screen->forms_.begin(), Screen->forms_.end(), this) != Screen->forms_.end();
  };
  TCustomForm* before = Screen ? Screen->activeForm_ : nullptr;
  modal_ = true;
  ++Application->modalLevel_;
  TModalResult result = mrNone;
  auto finish = [&] {
    if (!alive()) {  // freed inside its own loop
      --Application->modalLevel_;
      return;
    }
    modal_ = false;
    --Application->modalLevel_;
    Hide();
    if (before && before != this && Screen) {
      auto& v = Screen->forms_;
      if (std::find(v.begin(), v.end(), before) != v.end() && before->Showing()) Application->ActivateForm(before);
    }
  };
  try {
    modalResult_ = mrNone;
    Show();
    for (;;) {
      Application->HandleMessage();
      if (!alive()) break;
      if (Application->Terminated())
        modalResult_ = mrCancel;
      else if (modalResult_ != mrNone)
        CloseModal();
      if (modalResult_ != mrNone) break;
    }
    result = alive() ? modalResult_ : mrCancel;
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return result;
}

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE: Close(); return;
    case CM_RELEASE: delete this; return;
    case CM_ACTIVATE: Activate(); return;
    case CM_DEACTIVATE: Deactivate(); return;
    case WM_ACTIVATE: SetActive(LoWord(m.WParam) != WA_INACTIVE); return;
    case CM_VISIBLECHANGED:
      if (visible_)
        ShowWindowNow();
      else
        HideWindowNow();
      return;
    case CM_DIALOGKEY:
      if (GetKeyState(VK_MENU) >= 0) {
        int key = static_cast<int>(m.WParam);
        if (key == VK_TAB) {
          if (GetKeyState(VK_CONTROL) >= 0) {
            SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
            m.Result = 1;
            return;
          }
        } else if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
          if (activeControl_ && activeControl_->Parent()) {
            activeControl_->Parent()->SelectNext(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
            m.Result = 1;
          }
          return;
        }
      }
      break;
    case CM_COLORCHANGED:
      Invalidate();
      break;
    default: break;
  }
  TWinControl::Dispatch(m);
}

void TCustomForm::SendSizeNow() { SendSize(); }

void TCustomForm::HostInput(const THostInput& input) {
  using K = THostInput;
  if (!Application) return;
  THostInput in = input;
  bool mouse = in.kind == K::MouseDown || in.kind == K::MouseUp || in.kind == K::MouseDblClick ||
               in.kind == K::MouseMove || in.kind == K::WheelUp || in.kind == K::WheelDown;
  if (mouse && nativeBar_ > 0) {
    // The menu bar strip lies above the client area.
    if (in.y < nativeBar_ && in.y >= 0) {
      bool press = (in.kind == K::MouseDown || in.kind == K::MouseDblClick) && in.button == 0;
      if ((press || in.kind == K::MouseMove) && !BlockedByModal(this) && ui_internal::MenuBarPress())
        Application->Guard(this, [&] { ui_internal::MenuBarPress()(this, in.x, in.y, press); });
      if (in.kind != K::MouseMove && in.kind != K::MouseUp) return;
    }
    in.y -= nativeBar_;
  }
  if (in.kind == K::Resized) in.y -= nativeBar_;
  if (in.kind == K::Moved) in.y += nativeBar_;
  switch (in.kind) {
    case K::MouseDown: Application->DeliverMouse(this, mkDown, static_cast<TMouseButton>(in.button), in.x, in.y); break;
    case K::MouseUp: Application->DeliverMouse(this, mkUp, static_cast<TMouseButton>(in.button), in.x, in.y); break;
    case K::MouseDblClick:
      Application->DeliverMouse(this, mkDblClick, static_cast<TMouseButton>(in.button), in.x, in.y);
      break;
    case K::MouseMove: Application->DeliverMouse(this, mkMove, mbLeft, in.x, in.y); break;
    case K::WheelUp: Application->DeliverMouse(this, mkWheelUp, mbLeft, in.x, in.y); break;
    case K::WheelDown: Application->DeliverMouse(this, mkWheelDown, mbLeft, in.x, in.y); break;
    case K::MouseLeave: Application->MouseLeftForm(this); break;
    case K::KeyDown: Application->DeliverKey(in.vk, true, in.typed, in.autoRepeat); break;
    case K::KeyUp: Application->DeliverKey(in.vk, false, 0, false); break;
    case K::Resized: {
      TRect c = ClientRect();
      if (in.x != c.Width() || in.y != c.Height())
        Application->Guard(this, [&] {
          // A user resize stays within the tracking limits the form answers.
          TPoint mn, mx;
          TrackSizeLimits(mn, mx);
          int w = std::clamp(width_ + in.x - c.Width(), mn.X, mx.X);
          int h = std::clamp(height_ + in.y - c.Height(), mn.Y, mx.Y);
          TWinControl::SetBounds(left_, top_, w, h);
          if (native_ && (ClientWidth() != in.x || ClientHeight() != in.y)) SyncNative();
          ResizeBuffer();
          PaintPending();
        });
      break;
    }
    case K::Moved:
      left_ = in.x - FrameX();
      top_ = in.y - FrameTop();
      break;
    case K::CloseRequest:
      if (BlockedByModal(this))
        MessageBeep(0);  // a window under a modal dialog takes no input
      else
        SendMessage(Handle(), WM_CLOSE, 0, 0);
      break;
    case K::Activated:
      if (!active_ && !popup_ && !BlockedByModal(this)) Application->ActivateForm(this);
      break;
    case K::Deactivated:
      // Keys released elsewhere never reach us: do not leave modifiers held.
      for (int vk : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_SHIFT, VK_CONTROL, VK_MENU})
        keyboard::SetKeyDown(vk, false);
      break;
    case K::StateChanged:
      if (Application->MainForm() == this) {
        // Minimising the main window minimises the application.
        bool iconic = in.state == 1;
        if (iconic != Application->minimized_) {
          Application->minimized_ = iconic;
          Application->Guard(this, [&] {
            if (iconic && Application->OnMinimize) Application->OnMinimize(Application);
            if (!iconic && Application->OnRestore) Application->OnRestore(Application);
          });
        }
        if (iconic) break;  // the form keeps its own state under the application's
      }
      windowState_ = in.state == 2 ? wsMaximized : in.state == 1 ? wsMinimized : wsNormal;
      break;
  }
}

// ------------------------------------------------------------------ TScreen

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}
TScreen::~TScreen() = default;

int TScreen::Width() const { return WindowHost().ScreenWidth(); }
int TScreen::Height() const { return WindowHost().ScreenHeight(); }

TWinControl* TScreen::ActiveControl() const { return FindControl(GetFocus()); }

int TScreen::FormCount() const {
  return static_cast<int>(std::count_if(forms_.begin(), forms_.end(), [](TCustomForm* f) { return !f->IsPopup(); }));
}

TCustomForm* TScreen::Forms(int i) const {
  for (TCustomForm* f : forms_)
    if (!f->IsPopup() && i-- == 0) return f;
  throw EListError("Form index out of range");
}

TStrings* TScreen::Fonts() {
  if (!fonts_) {
    fonts_ = std::make_unique<TStringList>();
    fonts_->SetSorted(true);
    fonts_->SetDuplicates(dupIgnore);
    for (const std::string& f : FontEngine().Families()) {
      AnsiString a;
      if (Utf8ToCp1252(f, a)) fonts_->Add(a);  // names outside Windows-1252 cannot be chosen
    }
  }
  return fonts_.get();
}

void TScreen::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  ui_internal::CursorMayHaveChanged();
}

void TScreen::SetCursors(int index, const TCursorImage& image) { cursors_[index] = image; }
bool TScreen::HasCursor(int index) const { return index <= 0 || cursors_.count(index) != 0; }
const TScreen::TCursorImage* TScreen::CursorImage(int index) const {
  auto it = cursors_.find(index);
  return it == cursors_.end() ? nullptr : &it->second;
}

TCursor TScreen::CursorFor(const TControl* c) const {
  if (cursor_ != crDefault) return cursor_;
  for (; c; c = c->Parent())
    if (c->Cursor() != crDefault) return c->Cursor();
  return crDefault;
}

// -------------------------------------------------------------- TApplication

TApplication::TApplication(TComponent* owner) : TComponent(owner) { title_ = "Orvelan"; }

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
  if (hintTimer_) Timers().KillTimer(hintTimer_);
  delete hintWindow_;
  hintWindow_ = nullptr;
}

void TApplication::Initialize() { InitUi(); }

void TApplication::RegisterCreated(TCustomForm* f) {
  if (!mainForm_) mainForm_ = f;
  f->AfterConstruction();
}

void TApplication::Run() {
  if (mainForm_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() { PostMessage(0, WM_QUIT, 0, 0); }

void TApplication::Guard(TObject* sender, const std::function<void()>& fn) {
  try {
    fn();
  } catch (...) {
    HandleException(sender);
  }
}

void TApplication::HandleException(TObject* sender) {
  std::exception_ptr p = std::current_exception();
  if (!p) return;
  try {
    std::rethrow_exception(p);
  } catch (const EAbort&) {
    return;
  } catch (const Exception& e) {
    if (inException_) return;
    inException_ = true;
    try {
      if (OnException)
        OnException(sender, e);
      else
        ShowException(e);
    } catch (...) {
    }
    inException_ = false;
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    if (inException_) return;
    inException_ = true;
    try {
      if (OnException)
        OnException(sender, wrapped);
      else
        ShowException(wrapped);
    } catch (...) {
    }
    inException_ = false;
  } catch (...) {
    Exception unknown("Unbekannter Fehler");
    ShowException(unknown);
  }
}

void TApplication::ShowException(const Exception& e) {
  AnsiString msg = e.Message();
  if (!msg.empty() && msg.back() > '.') msg += '.';
  MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) {
  int answer = 0;
  if (WindowHost().AnswerMessageBox({text, caption, flags}, answer)) return answer;
  // Our own dialog form, so that it looks like the rest of the program.
  return RunMessageDialog(text, caption, flags);
}

bool TApplication::ExecuteFileDialog(const TFileDialogRequest& req, AnsiString& fileName) {
  return WindowHost().FileDialog(req, fileName, [this] { ServiceNativeModal(); });
}

bool TApplication::HelpContext(int context) {
  auto it = helpTexts_.find(context);
  if (it != helpTexts_.end()) {
    MessageBox(it->second, title_, MB_OK | MB_ICONINFORMATION);
    return true;
  }
  MessageBox(CP1252("Für dieses Programm ist keine Hilfe installiert.").str(), title_, MB_OK | MB_ICONINFORMATION);
  return false;
}

bool TApplication::RegisterInstance(const AnsiString& className) { return instance_.Register(className); }

bool TApplication::RegisterWindowClass(const AnsiString& className, TCustomForm* form) {
  auto reg = std::make_unique<TInstanceRegistration>();
  if (!reg->Register(className)) return false;
  classWindows_.push_back({std::move(reg), form->Handle(), form});
  return true;
}

void TApplication::UnregisterWindowClass(TCustomForm* form) {
  classWindows_.erase(std::remove_if(classWindows_.begin(), classWindows_.end(),
                                     [form](const ClassWindow& w) { return w.form == form; }),
                      classWindows_.end());
}

void TApplication::Minimize() {
  if (minimized_) return;
  minimized_ = true;
  if (Screen)
    for (TCustomForm* f : Screen->forms_)
      if (f->native_ && f->Showing()) f->native_->SetState(1);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  if (!minimized_) return;
  minimized_ = false;
  if (Screen)
    for (TCustomForm* f : Screen->forms_)
      if (f->native_ && f->Showing()) f->native_->SetState(f->windowState_ == wsMaximized ? 2 : 0);
  if (OnRestore) OnRestore(this);
}

bool IsIconic(HWND wnd) {
  if (Application && wnd == Application->Handle()) return Application->Minimized();
  auto* f = dynamic_cast<TCustomForm*>(FindControl(wnd));
  return f && f->WindowState() == wsMinimized;
}

void TApplication::BringToFront() {
  TCustomForm* f = Screen ? Screen->activeForm_ : nullptr;
  if (!f) f = mainForm_;
  if (f && f->Showing()) {
    f->BringToFront();
    ActivateForm(f);
  }
}

void TApplication::ActivateForm(TCustomForm* f) {
  if (!f || !Screen) return;
  for (TCustomForm* g : Screen->forms_)
    if (g != f && g->active_) g->SetActive(false);
  f->SetActive(true);
}

void TApplication::ServiceNativeModal() {
  // Inside a toolkit dialog's loop: no toolkit pumping of our own.
  if (inService_) return;
  inService_ = true;
  Guard(this, [this] {
    TQueuedMessage qm;
    int budget = 100;  // bounded, so the dialog stays responsive
    while (budget-- > 0 && MessageQueue().Peek(qm, 0, 0, 0, true)) {
      if (qm.Wnd == 0) {
        if (qm.Message.Msg == WM_QUIT) terminated_ = true;
        continue;
      }
      SendMessage(qm.Wnd, qm.Message.Msg, qm.Message.WParam, qm.Message.LParam);
    }
    if (!Timers().VirtualClock()) Timers().FireDue();
    PaintAll();
  });
  inService_ = false;
}

bool TApplication::ProcessMessage() {
  WindowHost().PumpEvents();
  if (instance_.Registered())
    instance_.Poll([this](unsigned msg) {
      Guard(this, [&] {
        if (OnInstanceMessage) OnInstanceMessage(msg);
      });
    });
  for (std::size_t i = 0; i < classWindows_.size(); ++i) {
    HWND wnd = classWindows_[i].wnd;
    classWindows_[i].reg->Poll([wnd](unsigned msg) { PostMessage(wnd, msg, 0, 0); });
  }
  TQueuedMessage qm;
  if (MessageQueue().Peek(qm, 0, 0, 0, true)) {
    if (qm.Wnd == 0) {
      if (qm.Message.Msg == WM_QUIT) terminated_ = true;
      return true;
    }
    SendMessage(qm.Wnd, qm.Message.Msg, qm.Message.WParam, qm.Message.LParam);
    return true;
  }
  if (!Timers().VirtualClock()) {
    int fired = 0;
    Guard(this, [&] { fired = Timers().FireDue(); });
    if (fired) return true;
  }
  return false;
}

void TApplication::PaintAll() {
  if (!Screen) return;
  std::vector<TCustomForm*> forms = Screen->forms_;
  for (TCustomForm* f : forms)
    if (std::find(Screen->forms_.begin(), Screen->forms_.end(), f) != Screen->forms_.end()) f->PaintPending();
}

void TApplication::Idle() {
  PaintAll();
  bool done = true;
  if (OnIdle) Guard(this, [&] { OnIdle(this, done); });
  std::int64_t next = Timers().MillisecondsToNext();
  int wait = next < 0 ? 50 : static_cast<int>(std::min<std::int64_t>(next, 50));
  WindowHost().WaitForInput(wait);
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) Idle();
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
  PaintAll();
}

// --- hints

void TApplication::CancelHint() {
  if (hintTimer_) Timers().KillTimer(hintTimer_);
  hintTimer_ = 0;
  hintControl_ = nullptr;
  currentHint_.clear();
  if (hintWindow_) hintWindow_->Hide();
}

namespace {
// The short part of a hint ("short|long").
AnsiString ShortHint(const AnsiString& h) {
  auto bar = h.find('|');
  return bar == AnsiString::npos ? h : h.substr(0, bar);
}

class THintWindow : public TCustomForm {
 public:
  explicit THintWindow(TComponent* owner) : TCustomForm(owner) {
    borderStyle_ = bsNone;
    popup_ = true;
    color_ = clInfoBk;
    OnPaint = [this](TObject*) {
      TCanvas* c = Canvas();
      c->Font()->SetColor(clInfoText);
      c->Brush()->SetStyle(bsClear);
      c->TextOut(3, 2, Text());
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clBlack);
      c->FrameRect(ClientRect());
    };
  }
};
}  // namespace

void TApplication::UpdateHint(TControl* over, TPoint screenPos) {
  TControl* c = over;
  while (c && ShortHint(c->Hint()).empty() && c->Parent()) c = c->Parent();
  bool wants = c && showHint_ && c->EffectiveShowHint() && !ShortHint(c->Hint()).empty();
  if (!wants) {
    if (hintControl_) CancelHint();
    return;
  }
  if (c == hintControl_) return;
  CancelHint();
  hintControl_ = c;
  hintPos_ = screenPos;
  hintTimer_ = Timers().SetTimer(0, static_cast<unsigned>(hintPause_), [this] {
    Timers().KillTimer(hintTimer_);
    hintTimer_ = 0;
    if (!hintControl_) return;
    currentHint_ = ShortHint(hintControl_->Hint());
    if (!hintWindow_) hintWindow_ = new THintWindow(nullptr);
    hintWindow_->SetText(currentHint_);
    int w = hintWindow_->Font()->Data().TextWidth(currentHint_.data(), currentHint_.size()) + 8;
    int h = hintWindow_->Font()->Data().Metric.tmHeight + 6;
    hintWindow_->SetBounds(hintPos_.X, hintPos_.Y + 20, w, h);
    hintWindow_->Show();
    // The hint goes after a while; it does not come back until the mouse
    // has left the control.
    hintTimer_ = Timers().SetTimer(0, static_cast<unsigned>(hintHidePause_), [this] {
      Timers().KillTimer(hintTimer_);
      hintTimer_ = 0;
      currentHint_.clear();
      if (hintWindow_) hintWindow_->Hide();
    });
  });
}

// --- input routing

namespace {
int MouseKeys() {
  int mk = 0;
  if (GetKeyState(VK_LBUTTON) < 0) mk |= MK_LBUTTON;
  if (GetKeyState(VK_RBUTTON) < 0) mk |= MK_RBUTTON;
  if (GetKeyState(VK_MBUTTON) < 0) mk |= MK_MBUTTON;
  if (GetKeyState(VK_SHIFT) < 0) mk |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) mk |= MK_CONTROL;
  return mk;
}

// The deepest enabled, visible control under a form-client point; `inner`
// gets the point in that control's client co-ordinates.
TControl* HitTest(TCustomForm* form, TPoint p, TPoint& inner, bool& nonClient) {
  TControl* cur = form;
  nonClient = false;
  for (;;) {
    auto* w = static_cast<TWinControl*>(cur);
    TControl* child = w->ControlAtPos(p, false);
    if (!child) break;
    p = {p.X - child->Left(), p.Y - child->Top()};
    if (child->IsWindowed()) {
      auto* wc = static_cast<TWinControl*>(child);
      int bw = wc->BorderWidth();
      p = {p.X - bw, p.Y - bw};
      if (wc->InNonClient(p)) {
        nonClient = true;
        cur = child;
        break;
      }
      cur = child;
      continue;
    }
    cur = child;
    break;
  }
  inner = p;
  return cur;
}
}  // namespace

void TApplication::MouseLeftForm(TCustomForm* form) {
  if (mouseOver_ && GetParentForm(mouseOver_) == form) {
    TControl* old = mouseOver_;
    mouseOver_ = nullptr;
    Guard(old, [&] { old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old)); });
  }
  CancelHint();
}

void TApplication::DeliverMouse(TCustomForm* form, int kind, TMouseButton button, int x, int y) {
  // The button state follows the hardware even where the press is refused.
  int vk = button == mbLeft ? VK_LBUTTON : button == mbRight ? VK_RBUTTON : VK_MBUTTON;
  if (kind == mkDown || kind == mkDblClick) keyboard::SetKeyDown(vk, true);
  if (kind == mkUp) keyboard::SetKeyDown(vk, false);
  if (!form || BlockedByModal(form)) {
    if (kind == mkDown) MessageBeep(0);
    return;
  }
  TPoint screen = form->ClientToScreen({x, y});
  TPoint inner;
  bool nonClient = false;
  TControl* target = HitTest(form, {x, y}, inner, nonClient);
  TControl* capture = GetCaptureControl();
  if (capture && GetParentForm(capture)) {
    target = capture;
    inner = capture->ScreenToClient(screen);
    nonClient = false;
  }
  LPARAM pos = MakeLong(inner.X, inner.Y);
  WPARAM keys = MouseKeys();
  Guard(target, [&] {
    if (kind == mkMove) {
      if (!capture && target != mouseOver_) {
        TControl* old = mouseOver_;
        mouseOver_ = target;
        if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
        if (mouseOver_ == target) target->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(target));
      }
      UpdateHint(target, screen);
      // The window under the mouse chooses the cursor (a handler may show
      // its own with SetCursor and answer 1).
      TControl* w = target;
      while (w && !w->IsWindowed()) w = w->Parent();
      HWND wh = w ? static_cast<TWinControl*>(w)->Handle() : 0;
      target->Perform(WM_SETCURSOR, static_cast<WPARAM>(wh), MakeLong(HTCLIENT, WM_MOUSEMOVE));
      if (mouseOver_ == target || capture) target->Perform(WM_MOUSEMOVE, keys, pos);
      return;
    }
    if (kind == mkWheelUp || kind == mkWheelDown) {
      TControl* w = FindControl(GetFocus());
      if (!w) w = target;
      w->Perform(WM_MOUSEWHEEL, MakeLong(static_cast<int>(keys), kind == mkWheelUp ? 120 : -120),
                 MakeLong(screen.X, screen.Y));
      return;
    }
    CancelHint();
    if (kind == mkDown || kind == mkDblClick) {
      if (!form->Active() && !form->IsPopup()) ActivateForm(form);
      if (nonClient && target->IsWindowed()) {
        TMessage m{WM_LBUTTONDOWN, keys, pos, 0};
        if (button == mbLeft && static_cast<TWinControl*>(target)->NonClientMouse(m)) return;
        return;
      }
      bool dbl = kind == mkDblClick && (target->ControlStyle() & csDoubleClicks);
      unsigned msg = button == mbLeft ? (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN)
                     : button == mbRight ? (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN)
                                         : (dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN);
      target->Perform(msg, keys, pos);
      return;
    }
    unsigned msg = button == mbLeft ? WM_LBUTTONUP : button == mbRight ? WM_RBUTTONUP : WM_MBUTTONUP;
    target->Perform(msg, keys, pos);
  });
}

void TApplication::DeliverKey(int vk, bool down, char32_t typed, bool autoRepeat) {
  bool wasDown = GetKeyState(vk) < 0;
  keyboard::SetKeyDown(vk, down);
  if (vk == VK_RMENU) {
    // AltGr arrives as right Alt with left Ctrl, and its messages name VK_MENU.
    keyboard::SetKeyDown(VK_LCONTROL, down);
    vk = VK_MENU;
  }
  bool alt = GetKeyState(VK_MENU) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  bool sys = (alt && !ctrl) || vk == VK_F10;  // Alt combinations and F10 are system keys
  std::int32_t keyData = 1;
  if (alt) keyData |= 1 << 29;
  if (autoRepeat || (down && wasDown)) keyData |= 1 << 30;
  if (!down) keyData |= (1 << 30) | static_cast<std::int32_t>(1u << 31);
  TWinControl* target = FindControl(GetFocus());
  if (!target && Screen && Screen->activeForm_) target = Screen->activeForm_;
  if (!target) return;
  TCustomForm* form = GetParentForm(target);
  if (form && BlockedByModal(form)) return;
  HWND h = target->Handle();
  if (down) {
    CancelHint();
    if (SendMessage(h, sys ? CN_SYSKEYDOWN : CN_KEYDOWN, vk, keyData) != 0) return;
    SendMessage(h, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, keyData);
    TShiftState shift = keyboard::CurrentShiftState();
    int ch = TranslateKeyToChar(vk, shift, typed);
    if (ch == -2) {
      MessageBeep(0);
      return;
    }
    if (ch < 0 || !FindControl(h)) return;
    if (SendMessage(h, sys ? CN_SYSCHAR : CN_CHAR, ch, keyData) != 0) return;
    SendMessage(h, sys ? WM_SYSCHAR : WM_CHAR, ch, keyData);
  } else {
    if (SendMessage(h, CN_KEYUP, vk, keyData) != 0) return;
    SendMessage(h, sys ? WM_SYSKEYUP : WM_KEYUP, vk, keyData);
  }
}

// ------------------------------------------------------------- glue

struct UiInternals {
static TControl* MouseOver() { return Application ? Application->mouseOver_ : nullptr; }


static bool VisibleClientInForm(const TControl* c, TRect& clip, TPoint& origin, TCustomForm*& form) {
  form = GetParentForm(c);
  if (!form) return false;
  // Client origin relative to the form's client area.
  TPoint o{0, 0};
  TRect vis = c->ClientRect();
  if (c->IsWindowed() && c != form) {
    int bw = static_cast<const TWinControl*>(c)->BorderWidth();
    o = {bw, bw};
  }
  OffsetRect(vis, o.X, o.Y);
  const TControl* cur = c;
  while (cur != form) {
    OffsetRect(vis, cur->Left(), cur->Top());
    o = {o.X + cur->Left(), o.Y + cur->Top()};
    TWinControl* p = cur->Parent();
    TRect pc = p->ClientRect();
    if (p != form) {
      int bw = p->BorderWidth();
      OffsetRect(vis, bw, bw);
      o = {o.X + bw, o.Y + bw};
      OffsetRect(pc, 0, 0);
    }
    // Parent's client area in the same co-ordinates as `vis` after this step.
    TRect pcInNext = pc;
    if (p != form) {
      int bw = p->BorderWidth();
      OffsetRect(pcInNext, bw, bw);
    }
    IntersectRect(vis, vis, pcInNext);
    cur = p;
  }
  clip = vis;
  origin = o;
  return true;
}

static void AttachCanvas(TControl* c, TCanvas& canvas, const TPaintContext* ctx) {
  // Each paint (and the first drawing after one) starts with no clip of the
  // control's own, as a fresh device context would.
  unsigned serial = ctx ? ctx->Serial : 0;
  bool fresh = c->canvasSerial_ != serial;
  c->canvasSerial_ = serial;
  if (ctx) {
    if (canvas.Device() != ctx->Device) canvas.SetDevice(ctx->Device);
    if (fresh) canvas.SelectClipRect(nullptr);
    canvas.SetViewport(ctx->Origin, &ctx->Clip);
    return;
  }
  TRect clip;
  TPoint origin;
  TCustomForm* form = nullptr;
  if (!VisibleClientInForm(c, clip, origin, form)) {
    canvas.SetDevice(nullptr);
    return;
  }
  form->EnsureBuffer();
  if (canvas.Device() != form->Device()) canvas.SetDevice(form->Device());
  if (fresh) canvas.SelectClipRect(nullptr);
  canvas.SetViewport(origin, &clip);
  form->MarkFlush(clip);
}

static void CaretChanged() {
  const TCaretState& cs = CaretState();
  if (!Screen) return;
  TWinControl* owner = FindControl(cs.Owner);
  TCustomForm* ownerForm = owner ? GetParentForm(owner) : nullptr;
  for (TCustomForm* f : Screen->forms_) {
    if (!f->HostWindow()) continue;
    if (f != ownerForm) {
      f->HostWindow()->SetCaret(false, 0, 0, 0, 0);
      continue;
    }
    TRect clip;
    TPoint origin;
    TCustomForm* form = nullptr;
    if (!VisibleClientInForm(owner, clip, origin, form)) continue;
    f->HostWindow()->SetCaret(CaretVisible() && cs.BlinkOn && owner->Focused(), origin.X + cs.X,
                          origin.Y + cs.Y + f->nativeBar_, cs.Width, cs.Height);
  }
}

static void ControlDestroyed(TControl* c) {
  if (Application) {
    if (Application->mouseOver_ && Contains(c, Application->mouseOver_)) Application->mouseOver_ = nullptr;
    if (Application->hintControl_ && Contains(c, Application->hintControl_)) Application->CancelHint();
  }
  if (TControl* cap = GetCaptureControl(); cap && Contains(c, cap)) SetCaptureControl(nullptr);
  if (!Screen) return;
  for (TCustomForm* f : Screen->forms_) {
    if (f == c) continue;
    if (f->activeControl_ && Contains(c, f->activeControl_)) f->activeControl_ = nullptr;
    if (f->focusedControl_ && Contains(c, f->focusedControl_)) f->focusedControl_ = c->Parent() ? c->Parent() : f;
  }
}

static void ControlHidden(TControl* c) {
  if (Application) {
    if (Application->mouseOver_ && Contains(c, Application->mouseOver_)) Application->mouseOver_ = nullptr;
    if (Application->hintControl_ && Contains(c, Application->hintControl_)) Application->CancelHint();
  }
  if (TControl* cap = GetCaptureControl(); cap && Contains(c, cap)) SetCaptureControl(nullptr);
  // A hidden or disabled control gives the focus back to its form.
  TWinControl* f = FindControl(GetFocus());
  if (f && Contains(c, f) && !c->IsDestroying()) {
    TCustomForm* form = GetParentForm(c);
    if (form && form != c) {
      form->activeControl_ = nullptr;
      if (form->Showing()) SetFocusWindow(form->Handle());
    } else if (form == c) {
      SetFocusWindow(0);
    }
  }
}

static void SetCursorFor(TControl* c) { ShowCursor(GetParentForm(c), Screen ? Screen->CursorFor(c) : crDefault); }

static void ShowCursor(TCustomForm* f, TCursor cur) {
  if (!Screen) return;
  Screen->current_ = cur;
  if (!f || !f->HostWindow()) return;
  if (const TScreen::TCursorImage* img = Screen->CursorImage(cur))
    f->HostWindow()->SetCursorImage(img->Width, img->Height, img->HotX, img->HotY, img->Pixels.data());
  else
    f->HostWindow()->SetCursorShape(cur);
}

static void CursorMayHaveChanged() {
  if (!Application || !Screen) return;
  TControl* over = Application->mouseOver_;
  if (over)
    SetCursorFor(over);
  else {
    Screen->current_ = Screen->Cursor() != crDefault ? Screen->Cursor() : crDefault;
    for (TCustomForm* f : Screen->forms_)
      if (f->HostWindow()) f->HostWindow()->SetCursorShape(Screen->current_);
  }
}

};

namespace ui_internal {
TPopupHandler& PopupHandler() { return gPopupHandler; }
TMenuBarPainter& MenuBarPainter() {
  static TMenuBarPainter p;
  return p;
}
TMenuBarPress& MenuBarPress() {
  static TMenuBarPress p;
  return p;
}
bool VisibleClientInForm(const TControl* c, TRect& clip, TPoint& origin, TCustomForm*& form) { return UiInternals::VisibleClientInForm(c, clip, origin, form); }
void AttachCanvas(TControl* c, TCanvas& canvas, const TPaintContext* ctx) { UiInternals::AttachCanvas(c, canvas, ctx); }
void CaretChanged() { UiInternals::CaretChanged(); }
void ControlDestroyed(TControl* c) { UiInternals::ControlDestroyed(c); }
void ControlHidden(TControl* c) { UiInternals::ControlHidden(c); }
void SetCursorFor(TControl* c) { UiInternals::SetCursorFor(c); }
void CursorMayHaveChanged() { UiInternals::CursorMayHaveChanged(); }
}  // namespace ui_internal

bool ScrollWindowEx(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip, TRect* update) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  TRect vis;
  TPoint origin;
  TCustomForm* form = nullptr;
  if (!ui_internal::VisibleClientInForm(c, vis, origin, form)) return false;
  TRect area = scroll ? *scroll : c->ClientRect();
  if (clip) IntersectRect(area, area, *clip);
  OffsetRect(area, origin.X, origin.Y);
  if (!IntersectRect(area, area, vis)) {
    if (update) *update = {};
    return true;
  }
  TRect moved = area;
  OffsetRect(moved, dx, dy);
  IntersectRect(moved, moved, area);
  // Uncovered: the part of the area the moved pixels do not fill (a strip
  // for a one-directional scroll; the whole area when nothing stays).
  TRect uncovered = area;
  if (moved.IsEmpty() || (dx != 0 && dy != 0)) {
    uncovered = area;
  } else if (dy > 0) {
    uncovered.Bottom = moved.Top;
  } else if (dy < 0) {
    uncovered.Top = moved.Bottom;
  } else if (dx > 0) {
    uncovered.Right = moved.Left;
  } else if (dx < 0) {
    uncovered.Left = moved.Right;
  } else {
    uncovered = {};
  }
  if (form->Device() && form->Showing()) {
    // Damage still waiting inside the area moves with it: repaint it whole.
    TRect pending;
    if (form->PaintPendingFor() && IntersectRect(pending, form->PendingRect(), area)) uncovered = area;
    form->Device()->Scroll(dx, dy, area);
    form->MarkFlush(area);
  } else {
    uncovered = area;
  }
  form->InvalidateClient(uncovered);
  if (update) {
    *update = uncovered;
    OffsetRect(*update, -origin.X, -origin.Y);
  }
  return true;
}

void SetCursor(TCursor cursor) {
  TCustomForm* f = nullptr;
  if (Application && UiInternals::MouseOver()) f = GetParentForm(UiInternals::MouseOver());
  if (!f && Screen) f = Screen->ActiveForm();
  UiInternals::ShowCursor(f, cursor);
}

// ------------------------------------------------------------------ TTimer

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
  if (id_) Timers().KillTimer(id_);
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (id_) Timers().KillTimer(id_);
  id_ = 0;
  if (!enabled_ || interval_ == 0) return;
  id_ = Timers().SetTimer(0, interval_, [this] {
    if (Application)
      Application->Guard(this, [this] { Timer(); });
    else
      Timer();
  });
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::PublishProperties(TClassInfo& ci) {
  PublishBool<TTimer>(ci, "Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
  PublishInteger<TTimer>(ci, "Interval", &TTimer::Interval, &TTimer::SetInterval);
  PublishEvent<TTimer>(ci, "OnTimer", &TTimer::OnTimer);
}

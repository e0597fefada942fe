// Forms: top-level windows with a back buffer each, their host window,
// activation and focus between forms, modal loops and closing; the start
// and shut-down of the windowing layer. The application object, the input
// routing and drawing outside paint have files of their own.
#include "platform/ui/forms.h"

#include <algorithm>
#include <utility>

#include "platform/gfx/device.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/timers.h"
#include "platform/ui/ui_internal.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
int gFocusCount = 0;
TCustomForm* gFocusedForm = nullptr;
TFocusCause gFocusCause = fcOther;
ui_internal::TPopupHandler gPopupHandler;
}  // namespace

namespace ui_internal {
bool Within(const TControl* outer, const TControl* inner) {
  for (const TControl* c = inner; c; c = c->Parent())
    if (c == outer) return true;
  return false;
}

TCustomForm* TopModalForm() {
  if (!Application || Application->ModalLevel() == 0 || !Screen) return nullptr;
  for (int i = Screen->FormCount() - 1; i >= 0; --i) {
    TCustomForm* g = Screen->Forms(i);
    if (g->Modal() && g->Visible()) return g;
  }
  return nullptr;
}

bool BlockedByModal(const TCustomForm* f) {
  TCustomForm* g = TopModalForm();
  return g && !Within(g, f) && !f->IsPopup();
}

TPopupHandler& PopupHandler() { return gPopupHandler; }
TMenuBarPainter& MenuBarPainter() {
  static TMenuBarPainter p;
  return p;
}
TMenuBarPress& MenuBarPress() {
  static TMenuBarPress p;
  return p;
}
TMenuAltAlone& MenuAltAlone() {
  static TMenuAltAlone h;
  return h;
}
std::function<void()>& MenuModeCancel() {
  static std::function<void()> h;
  return h;
}
}  // namespace ui_internal

using ui_internal::BlockedByModal;

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

void TCustomForm::BeforeDestruction() {
  if (!OnDestroy || destroyFired_) return;
  destroyFired_ = true;
  try {
    OnDestroy(this);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

TCustomForm::~TCustomForm() {
  BeginDestroy();
  BeforeDestruction();
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

// Where the window system has the client, else where our frame metrics put
// it.
TPoint TCustomForm::ClientOrigin() const {
  int dx = 0, dy = 0;
  if (native_ && native_->ClientOffset(dx, dy)) return {left_ + dx, top_ + dy + nativeBar_};
  return {left_ + FrameX(), top_ + FrameTop()};
}

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
      dirty_ = surface_->Extent();
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
  const int k = surface_->Scale(), bar = nativeBar_ * k;
  if (frame_->Width() != surface_->Width() || frame_->Height() != surface_->Height() + bar) {
    frame_->Resize(surface_->Width(), surface_->Height() + bar, ColorToPixel(ColorToRGB(clBtnFace)));
    RepaintMenuBar();
  }
  TRect c;
  if (!IntersectRect(c, r, surface_->Extent())) return;
  for (int y = c.Top * k; y < c.Bottom * k; ++y)
    std::copy(surface_->Row(y) + c.Left * k, surface_->Row(y) + c.Right * k, frame_->Row(y + bar) + c.Left * k);
  native_->Flush(c.Left, c.Top + nativeBar_, c.Width(), c.Height());
}

void TCustomForm::RepaintMenuBar() {
  if (!frame_ || !frameDevice_ || nativeBar_ <= 0) return;
  TRect bar{0, 0, frame_->Extent().Width(), nativeBar_};
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
  if (surface_->Extent().Width() == w && surface_->Extent().Height() == h) return;
  const int k = surface_->Scale();
  surface_->Resize(w * k, h * k, ColorToPixel(ColorToRGB(color_)));
  dirty_ = surface_->Extent();
}

// The back buffer has the screen's pixels: on a scaled screen the window
// is drawn as finely as the screen shows it.
void TCustomForm::EnsureBuffer() {
  if (surface_) return;
  surface_ = std::make_unique<TSurface>();
  const int k = ScreenScale();
  surface_->SetScale(k);
  TRect c = ClientRect();
  surface_->Resize(std::max(1, c.Width()) * k, std::max(1, c.Height()) * k, ColorToPixel(ColorToRGB(color_)));
  if (TGfxPlatform* gp = GfxPlatform()) device_ = gp->CreateRasterDevice(*surface_, 96);
  dirty_ = surface_->Extent();
}

void TCustomForm::EnsureNative() {
  EnsureBuffer();
  if (native_) return;
  nativeBar_ = hasMenu_ ? GetSystemMetrics(SM_CYMENU) : 0;
  TSurface* shown = surface_.get();
  if (nativeBar_ > 0) {
    frame_ = std::make_unique<TSurface>();
    frame_->SetScale(surface_->Scale());
    frame_->Resize(surface_->Width(), surface_->Height() + nativeBar_ * surface_->Scale(),
                   ColorToPixel(ColorToRGB(clBtnFace)));
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
  // A modal window keeps its own place on top; the others give it way.
  const bool onTop = formStyle_ == fsStayOnTop && (modal_ || !Application || !Application->TopMostsNormalized());
  if (onTop || popup_) flags |= wfStayOnTop;
  if (popup_) flags |= wfPopupNoActivate;
  if (borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin) flags |= wfFixedSize;
  if (borderStyle_ == bsDialog) flags |= wfDialog;
  native_->SetFlags(flags);
  native_->SetTitle(Text());
  TRect c = ClientRect();
  int extraW = width_ - c.Width(), extraH = height_ - c.Height();
  // The window system maximises a window itself and keeps its normal
  // place and size meanwhile: given those, it returns there when the user
  // un-maximises the window.
  const TRect at = windowState_ == wsMaximized && !restoreBounds_.IsEmpty() ? restoreBounds_ : BoundsRect();
  native_->SetGeometry(at.Left, at.Top, std::max(1, at.Width() - extraW),
                       std::max(1, at.Height() - extraH) + nativeBar_);
  TPoint mn, mx;
  TrackSizeLimits(mn, mx);
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
  if (!IntersectRect(clip, dirty_, surface_->Extent())) {
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
    TScopeExit restore{[this, saved] { paintCtx_ = saved; }};
    TCanvas* c = Canvas();
    c->Font()->Assign(*Font());
    c->Brush()->SetColor(Color());
    ExcludeChildWindows(*c);
    OnPaint(this);
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

void TCustomForm::ShowInactive() {
  showInactive_ = true;
  TScopeExit shown{[this] { showInactive_ = false; }};
  SetVisible(true);
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::BringToFront() {
  // Over the windows on top that gave way to it, which stay above the others;
  // a window that a dialog opens (a box, a file dialog) lies over that, and
  // they stay below.
  if (modal_ && Application && Application->normalizedTopMosts_ == 1) Application->LiftTopMosts();
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
  dirty_ = surface_->Extent();
  native_->SetOwner(OwnerWindow());
  const bool activate = !popup_ && !showInactive_;
  native_->Show(activate);
  // A window manager puts a window that gets no keyboard below the one that has it.
  if (showInactive_) native_->Lift();
  if (windowState_ != wsNormal) native_->SetState(windowState_ == wsMaximized ? 2 : 1);
  if (activate && Application) Application->ActivateForm(this);
  PaintPending();
}

// As owned windows on the platform: a modal window belongs to the window
// that opened it (the active one), else to the main window. A modeless
// window belongs to none, as on the platform, where the application owns
// them: the window manager would keep it above its owner, and a click on
// the main window could never bring that one to the front.
THostWindow* TCustomForm::OwnerWindow() const {
  if (popup_ || !modal_ || !Application || !Screen) return nullptr;
  TCustomForm* owner = Screen->activeForm_;
  if (!owner || owner == this || !owner->Showing()) owner = Application->MainForm();
  if (!owner || owner == this || !owner->Showing()) return nullptr;
  return owner->native_.get();
}

void TCustomForm::HideWindowNow() {
  if (!shown_) return;
  DoHide();
  shown_ = false;
  // The previously active form takes over, and the keyboard with it: a
  // window manager would give it, but without one it stays nowhere. Given
  // before this window goes, the window manager hands it to no other.
  TCustomForm* next = nullptr;
  if (active_ && Application && Screen)
    for (int i = Screen->FormCount() - 1; i >= 0 && !next; --i) {
      TCustomForm* f = Screen->Forms(i);
      if (f != this && f->Showing() && !f->popup_ && !BlockedByModal(f)) next = f;
    }
  if (next && next->native_) next->native_->Activate();
  if (native_) native_->Hide();
  ui_internal::ControlHidden(this);
  if (active_) {
    SetActive(false);
    if (next) Application->ActivateForm(next);
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
  const HWND focusing = control->Handle();
  TScopeExit focused{[control, focusing] {
    if (FindControl(focusing)) control->controlState_ &= ~csFocusing;
  }};
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

void TCustomForm::TabFrom(TWinControl* cur, bool forward) {
  const TFocusCause before = std::exchange(gFocusCause, forward ? fcTab : fcShiftTab);
  TScopeExit restore{[before] { gFocusCause = before; }};
  SelectNext(cur, forward, true);
}

TFocusCause FocusCause() { return gFocusCause; }

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
  Application->NormalizeTopMosts();
  TModalResult result = mrNone;
  auto finish = [&] {
    if (!alive()) {  // freed inside its own loop
      --Application->modalLevel_;
      Application->RestoreTopMosts();
      return;
    }
    modal_ = false;
    --Application->modalLevel_;
    Hide();
    Application->RestoreTopMosts();
    if (before && before != this && Screen) {
      auto& v = Screen->forms_;
      if (std::find(v.begin(), v.end(), before) != v.end() && before->Showing()) Application->ActivateForm(before);
    }
  };
  // Hiding and giving the focus back run the forms' event handlers, which may
  // raise: the end of the loop is no destructor's work.
  try {
    modalResult_ = mrNone;
    Show();
    // A quit taken by the main loop before this loop began ends the run,
    // not this window: a message shown at the end (settings that cannot be
    // stored) waits for its answer; a quit that comes while it is open
    // cancels it.
    const bool quitBefore = Application->Terminated();
    for (;;) {
      Application->HandleMessage();
      if (!alive()) break;
      if (Application->Terminated() && !quitBefore)
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
            TabFrom(activeControl_, GetKeyState(VK_SHIFT) >= 0);
            m.Result = 1;
            return;
          }
        } else if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
          // Among the siblings that take the keyboard: a frame round other
          // controls (a radio group's) is passed over.
          if (activeControl_ && activeControl_->Parent()) {
            if (TWinControl* c = activeControl_->Parent()->FindNextControl(
                    activeControl_, key == VK_RIGHT || key == VK_DOWN, true, true))
              c->SetFocus();
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
      // Left and Top are the window's, frame included, as they are set.
      left_ = in.x;
      top_ = in.y;
      break;
    case K::CloseRequest:
      if (BlockedByModal(this))
        MessageBeep(0);  // a window under a modal dialog takes no input
      else
        SendMessage(Handle(), WM_CLOSE, 0, 0);
      break;
    case K::Activated:
      // The window manager activated a window that a modal one blocks: the
      // modal one comes to the front and keeps the keyboard.
      if (BlockedByModal(this)) {
        if (TCustomForm* m = ui_internal::TopModalForm()) m->BringToFront();
      } else if (!active_ && !popup_) {
        Application->ActivateForm(this);
      }
      break;
    case K::Deactivated:
      ui_internal::KeyboardLeft();
      // Keys released elsewhere never reach us: do not leave modifiers held.
      for (int vk : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_SHIFT, VK_CONTROL, VK_MENU})
        keyboard::SetKeyDown(vk, false);
      break;
    case K::StateChanged:
      if (Application->MainForm() == this) {
        // Minimising the main window minimises the application, its other
        // windows with it: they belong to no window that would take them.
        bool iconic = in.state == 1;
        if (iconic != Application->minimized_)
          Application->Guard(this, [&] {
            if (iconic) {
              Application->Minimize();
            } else {
              Application->Restore();
              // The window the user brought back keeps the keyboard.
              if (native_) native_->Activate();
            }
          });
        if (iconic) break;  // the form keeps its own state under the application's
      } else if (in.state == 1 && Application->minimized_) {
        break;  // minimised with the application
      }
      windowState_ = in.state == 2 ? wsMaximized : in.state == 1 ? wsMinimized : wsNormal;
      break;
  }
}

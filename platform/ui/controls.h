// Controls: the control tree inside a top-level window, with Windows window
// semantics. TControl is anything with bounds inside a parent; TWinControl
// has a window handle, children, focus and scroll bars; TGraphicControl is
// painted by its parent and never takes the focus; TCustomControl paints
// itself on its own canvas.
// Invariants:
//  - Left/Top are relative to the parent's client area (screen co-ordinates
//    for top-level forms); a child is listed in exactly one parent.
//  - A window handle, once allocated, maps to its control in one registry until
//    the handle is destroyed; messages addressed to a stale handle are dropped.
//  - At most one control holds the mouse capture and one window the focus;
//    both are cleared when their control is destroyed or hidden.
//  - Message handling: WndProc -> Dispatch (overridden per class, calling the
//    base class for "inherited") -> DefaultHandler.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/color.h"
#include "platform/gfx/types.h"
#include "platform/rtl/components.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/messages.h"

class TWinControl;
class TCustomForm;
class TForm;
class TFont;
class TCanvas;
class TDrawDevice;

// Where a control paints: the form's device, the device position of the
// control's client (0,0) and the visible part in device co-ordinates.
struct TPaintContext {
  TDrawDevice* Device = nullptr;
  TPoint Origin;
  TRect Clip;
  unsigned Serial = 0;  // one per paint of a control; a canvas starts each with a fresh clip
};
unsigned NextPaintSerial();

enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                  crHandPoint = -21, crSizeAll = -22;

// Control style and state bits.
enum : unsigned {
  csAcceptsControls = 1 << 0, csCaptureMouse = 1 << 1, csDesignInteractive = 1 << 2, csClickEvents = 1 << 3,
  csFramed = 1 << 4, csSetCaption = 1 << 5, csOpaque = 1 << 6, csDoubleClicks = 1 << 7, csFixedWidth = 1 << 8,
  csFixedHeight = 1 << 9, csNoDesignVisible = 1 << 10, csReplicatable = 1 << 11, csNoStdEvents = 1 << 12
};
enum : unsigned {
  csLButtonDown = 1 << 0, csClicked = 1 << 1, csPalette = 1 << 2, csReadingState = 1 << 3,
  csAlignmentNeeded = 1 << 4, csFocusing = 1 << 5, csCreating = 1 << 6, csPaintCopy = 1 << 7,
  csCustomPaint = 1 << 8, csDestroyingHandle = 1 << 9
};

// Window creation parameters a control can adjust in CreateParams.
struct TCreateParams {
  AnsiString Caption;
  std::uint32_t Style = 0;
  std::uint32_t ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = 0;
  std::uint32_t WindowClassStyle = 0;
  AnsiString WinClassName;
};

// Scroll-bar state of a window (SetScrollInfo).
constexpr unsigned SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8,
                   SIF_TRACKPOS = 0x10, SIF_ALL = 0x17;
struct TScrollInfo {
  unsigned cbSize = sizeof(TScrollInfo);
  unsigned fMask = 0;
  int nMin = 0, nMax = 0;
  unsigned nPage = 0;
  int nPos = 0, nTrackPos = 0;
};

// GetSystemMetrics indexes and the classic values the layouts were made for.
enum : int {
  SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4, SM_CXBORDER = 5,
  SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CYVTHUMB = 9, SM_CXHTHUMB = 10, SM_CXICON = 11,
  SM_CYICON = 12, SM_CXCURSOR = 13, SM_CYCURSOR = 14, SM_CYMENU = 15, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21,
  SM_CXMIN = 28, SM_CYMIN = 29, SM_CXSIZE = 30, SM_CYSIZE = 31, SM_CXFRAME = 32, SM_CYFRAME = 33,
  SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CYSMCAPTION = 51
};
int GetSystemMetrics(int index);
constexpr unsigned kDoubleClickTime = 500;  // ms

// ------------------------------------------------------------------ TControl

class TControl : public TComponent {
  ORV_CLASS_PUBLISHED(TControl, TComponent)

 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  // Messages.
  LRESULT Perform(unsigned msg, WPARAM wparam = 0, LPARAM lparam = 0);
  virtual void WndProc(TMessage& m);
  virtual void Dispatch(TMessage& m);
  virtual void DefaultHandler(TMessage& m);

  // Tree and bounds.
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* p);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual TRect ClientRect() const { return {0, 0, width_, height_}; }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
  void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
  virtual void SetClientSize(int w, int h);
  // Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible with every parent up to a shown top-level window.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);

  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont& f);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& h) { hint_ = h; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; parentShowHint_ = false; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v) { parentShowHint_ = v; }
  // ShowHint as it takes effect (through ParentShowHint).
  bool EffectiveShowHint() const;
  // The popup menu shown on a right click (the menu layer's component; the
  // control forgets it when it is freed).
  TComponent* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TComponent* m);
  void Notification(TComponent* c, TOperation op) override;

  // Through WM_GETTEXT, so a control that keeps its own text answers.
  AnsiString Caption() const { return Text(); }
  void SetCaption(const AnsiString& s) { SetText(s); }
  AnsiString Text() const;
  virtual void SetText(const AnsiString& s);

  unsigned ControlStyle() const { return controlStyle_; }
  void SetControlStyle(unsigned s) { controlStyle_ = s; }
  unsigned ControlState() const { return controlState_; }
  void SetControlState(unsigned s) { controlState_ = s; }
  bool IsDestroying() const { return HasState(csDestroying); }

  // Painting.
  virtual void Invalidate();
  void InvalidateRect(const TRect& clientRect);
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  bool MouseCapture() const;
  void SetMouseCapture(bool v);

  // The form the control sits on (nullptr while parentless).
  TCustomForm* ParentForm() const;
  // True for TWinControl descendants.
  virtual bool IsWindowed() const { return false; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;

  virtual void Click();
  virtual void DblClick();

  // Paints this control (a graphic control's body or a windowed control's
  // whole window with its children).
  virtual void PaintTo(const TPaintContext& ctx);

 protected:
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void Resize();
  virtual void VisibleChanging() {}
  virtual void Changed() {}
  // Font change of this control (own font object) and parent font change.
  void FontChanged();
  void BeginDestroy();

  friend class TWinControl;
  friend class TCustomForm;
  friend class TApplication;
  friend struct UiInternals;

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  TCursor cursor_ = crDefault;
  AnsiString hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TComponent* popupMenu_ = nullptr;
  AnsiString text_;
  unsigned controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  unsigned controlState_ = 0;
  bool inFontChange_ = false;
  // The context in effect during a paint (for WM_ERASEBKGND and canvases).
  const TPaintContext* paintCtx_ = nullptr;
  // Paint the control's canvas was last attached for (0: outside paint).
  unsigned canvasSerial_ = ~0u;

 private:
  void HandleMouse(TMessage& m, TMouseButton button, bool down, bool dbl);
};

// ---------------------------------------------------------------- caret

// The one caret of the user interface thread (as CreateCaret & co).
bool CreateCaret(HWND wnd, int bitmap, int width, int height);
bool DestroyCaret();
bool SetCaretPos(int x, int y);
bool GetCaretPos(TPoint& p);
bool ShowCaret(HWND wnd);
bool HideCaret(HWND wnd);
struct TCaretState {
  HWND Owner = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  int HideCount = 1;   // created hidden; visible when 0
  bool BlinkOn = true;
};
const TCaretState& CaretState();
bool CaretVisible();

// --------------------------------------------------------------- TWinControl

class TWinControl : public TControl {
  ORV_CLASS_PUBLISHED(TWinControl, TControl)

 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  void Dispatch(TMessage& m) override;
  bool IsWindowed() const override { return true; }
  // A press on the non-client area (scroll bars), position in client
  // co-ordinates; true when a scroll bar took it.
  bool NonClientMouse(TMessage& m) { return ScrollBarMouse(m); }
  // Client position inside the window but outside the client area.
  bool InNonClient(TPoint clientPos) const;
  // Removes the visible child windows from a canvas's clip.
  void ExcludeChildWindows(TCanvas& c) const;

  // Children in z-order (first is bottom-most).
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const { return controls_.at(static_cast<std::size_t>(i)); }
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  bool ContainsControl(const TControl* c) const;
  // Deepest visible, enabled child control at a client point (nullptr: self).
  TControl* ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls = true) const;

  // Handle.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != 0; }
  void HandleNeeded() { Handle(); }
  void RecreateWnd();
  // The parameters the window was last created with (valid while allocated).
  const TCreateParams& WindowParams() const { return params_; }
  std::uint32_t WindowStyle() const { return params_.Style; }

  // Focus and tab order.
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);
  // Whether Tab stops here now (a radio button only as its group's stop).
  virtual bool IsTabStop() const { return tabStop_; }
  int TabOrder() const;
  void SetTabOrder(int v);
  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool Focused() const;
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  TWinControl* FindNextControl(TWinControl* cur, bool goForward, bool checkTabStop, bool checkParent) const;
  void SelectNext(TWinControl* cur, bool goForward, bool checkTabStop);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

  // Alignment.
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();
  void Realign();
  void SetBounds(int left, int top, int width, int height) override;
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  // Rectangle left for alignment (the client rectangle by default).
  virtual TRect AlignRect() { return ClientRect(); }

  // Window scroll bars.
  int SetScrollInfo(int bar, const TScrollInfo& info, bool redraw);
  bool GetScrollInfo(int bar, TScrollInfo& info) const;
  int SetScrollPos(int bar, int pos, bool redraw);
  int GetScrollPos(int bar) const;
  bool SetScrollRange(int bar, int minPos, int maxPos, bool redraw);
  bool GetScrollRange(int bar, int& minPos, int& maxPos) const;
  bool ShowScrollBar(int bar, bool show);
  bool ScrollBarVisible(int bar) const { return bar == SB_VERT ? vbar_.visible : hbar_.visible; }
  // Width of the frame the window style gives (border, client edge).
  virtual int BorderWidth() const;

  // Broadcasts a message to the children until one answers non-zero.
  void Broadcast(TMessage& m);
  // Paints the whole window: non-client, body, graphic children, windowed
  // children on top.
  void PaintTo(const TPaintContext& ctx) override;

 protected:
  // Whether `m` is the window's question whether this focused, enabled
  // control takes a plain Enter itself (a button-like control pressed by
  // it before the window's own Enter); answers yes when so.
  bool TakesEnter(TMessage& m);
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  virtual void CreateHandle();
  virtual void DestroyHandle();
  virtual void AlignControls(TControl* control, TRect& rect);
  virtual void KeyDown(Word& key, TShiftState shift);
  virtual void KeyUp(Word& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();
  // Paints the window's own body (background and content, not children);
  // WM_ERASEBKGND first, unless answered non-zero.
  virtual void PaintWindow(const TPaintContext& ctx);
  // Non-client: border and scroll bars; `ctx` is set to window co-ordinates.
  void PaintNonClient(const TPaintContext& ctx);
  void DefaultHandler(TMessage& m) override;

  bool DoKeyDown(TMessage& m);
  bool DoKeyUp(TMessage& m);
  bool DoKeyPress(TMessage& m);

  friend class TControl;
  friend class TCustomForm;
  friend class TApplication;
  friend struct UiInternals;

  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  HWND handle_ = 0;
  TCreateParams params_;
  bool tabStop_ = false;
  int alignDisabled_ = 0;
  bool realigning_ = false;

  struct Bar {
    int min = 0, max = 100, pos = 0;
    unsigned page = 0;
    bool visible = false;
    bool wanted = false;  // style asks for it (WS_VSCROLL / WS_HSCROLL)
  };
  Bar hbar_, vbar_;
  // Scroll-bar mouse tracking.
  int barTracking_ = -1;
  int barTrackCode_ = 0;
  int barTrackOffset_ = 0;
  int barTimer_ = 0;
  int barGrab_ = 0;

 private:
  void ApplyScrollStyles();
  void UpdateScrollBarVisibility(int bar);

 protected:
  void SendSize();
  // The WM_SIZE kind reported (forms report maximised and minimised).
  virtual int SizeKind() const { return SIZE_RESTORED; }

 private:
  bool ScrollBarMouse(TMessage& m);
  TRect ScrollBarRect(int bar) const;
};

// A windowed control that paints itself on its canvas in Paint.
class TCustomControl : public TWinControl {
  ORV_CLASS(TCustomControl, TWinControl)

 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  // A canvas onto this control's client area in the form's back buffer,
  // usable at any time (also outside paint).
  TCanvas* Canvas();
  TNotifyEvent OnPaint;

 protected:
  virtual void Paint();
  void PaintWindow(const TPaintContext& ctx) override;

 private:
  std::unique_ptr<TCanvas> canvas_;
};

// A control without a window, painted by its parent.
class TGraphicControl : public TControl {
  ORV_CLASS(TGraphicControl, TControl)

 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* Canvas();
  void PaintTo(const TPaintContext& ctx) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TCanvas> canvas_;
};

// Handle registry and focus/capture queries.
TWinControl* FindControl(HWND wnd);
LRESULT SendMessage(HWND wnd, unsigned msg, WPARAM wparam, LPARAM lparam);
bool PostMessage(HWND wnd, unsigned msg, WPARAM wparam, LPARAM lparam);
bool PeekMessage(TQueuedMessage& out, HWND wnd, unsigned first, unsigned last, unsigned remove);
HWND GetFocus();
// Moves the keyboard focus: WM_KILLFOCUS to the old window, WM_SETFOCUS to
// the new one. Returns the previous focus window.
HWND SetFocusWindow(HWND wnd);
// Shows a cursor now, as the platform's SetCursor does inside a
// WM_SETCURSOR handler (Screen->Cursors numbering). Inside a control write
// ::SetCursor, since the unqualified name is the Cursor property setter.
void SetCursor(TCursor cursor);
// The platform's capture calls by window handle.
HWND SetCapture(HWND wnd);
TControl* GetCaptureControl();
void SetCaptureControl(TControl* c);
HWND GetCapture();
void ReleaseCapture();
// Moves the pixels of a window's client area (or of `scroll` inside it,
// limited to `clip`) by (dx, dy) and invalidates what they uncovered, which
// goes to `update` when given (ScrollWindowEx with SW_INVALIDATE).
bool ScrollWindowEx(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip, TRect* update);

// Window timers: WM_TIMER with the timer id in WParam goes to the window
// every `interval` ms until killed or the window is destroyed. Returns the id
// (0 when the window does not exist).
unsigned SetTimer(HWND wnd, unsigned id, unsigned interval);
bool KillTimer(HWND wnd, unsigned id);

// Where the menu layer hooks in for shortcut keys: asked first for every key
// down on a focused window (form menu shortcuts, popup menus of the control
// and its parents); true consumes the key.
using TShortCutHandler = std::function<bool(TWinControl* focused, Word key, TShiftState shift)>;
void SetShortCutHandler(TShortCutHandler handler);

// Sends CM_CANCELMODE to the focused control (when it is not `sender`).
void SendCancelMode(TControl* sender);

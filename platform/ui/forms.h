// Forms, the screen and the application object: top-level windows with a
// back buffer each, activation, modal loops, closing, and the message loop
// that pumps host input, posted messages, timers and painting
// (forms.cpp, application.cpp, inputrouting.cpp, windowpaint.cpp).
// Invariants:
//  - A shown form has one native window and one back-buffer surface of its
//    client size; everything inside is drawn by our controls into it.
//  - Modal loops nest: each ShowModal runs its own loop until its form's
//    ModalResult is set (or the application terminates); forms below the
//    top-most modal form are disabled meanwhile.
//  - Every exception escaping an event handler run from the loop goes to
//    Application->HandleException; EAbort is silent.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/ui/controls.h"
#include "platform/ui/singleinstance.h"
#include "platform/ui/timers.h"
#include "platform/ui/windowhost.h"

struct TSurface;
class TDrawDevice;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
  ORV_CLASS(TCustomForm, TWinControl)

 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  void Dispatch(TMessage& m) override;
  bool Showing() const override;
  TPoint ClientOrigin() const override;
  TRect ClientRect() const override;
  void SetClientSize(int w, int h) override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetText(const AnsiString& s) override;
  // Forms draw no frame of their own: the native window has it.
  int BorderWidth() const override { return 0; }
  TCanvas* Canvas();

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle b);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState s);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle s);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }
  // Reserves the height of a main menu bar above the client area.
  bool HasMenu() const { return hasMenu_; }
  void SetHasMenu(bool v);

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* c);
  // The control that holds (or, while the form is inactive, will get) the focus.
  TWinControl* FocusedControl() const { return focusedControl_; }
  bool Active() const { return active_; }
  void FocusControl(TWinControl* c);
  bool SetFocusedControl(TWinControl* c);
  // Tab's walk: the focus to the tab stop after `cur` (before it for
  // Shift+Tab); the window reached learns from FocusCause that Tab brought it.
  void TabFrom(TWinControl* cur, bool forward);

  void Show();
  // Shows the window above the others as Show does, but the keyboard stays
  // with the window that has it.
  void ShowInactive();
  void Hide();
  virtual int ShowModal();
  void Close();
  virtual bool CloseQuery();
  void Release();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  bool Modal() const { return modal_; }
  bool CanFocus() const override;
  void SetFocus() override;
  void BringToFront();
  // Runs OnCreate once (called by Application->CreateForm, or before the first show).
  void AfterConstruction();

  TNotifyEvent OnCreate, OnShow, OnHide, OnActivate, OnDeactivate, OnPaint, OnDestroy;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // The back buffer and its device (created on first show).
  TSurface* Surface() const { return surface_.get(); }
  TDrawDevice* Device() const { return device_.get(); }
  // Paints every damaged area into the back buffer and shows it.
  void PaintPending();
  void InvalidateClient(const TRect& r);
  // Drawing outside paint touched this area: show it at the next flush.
  void MarkFlush(const TRect& r) { flush_ = UnionRect(flush_, r); }
  bool PaintPendingFor() const { return !dirty_.IsEmpty(); }
  const TRect& PendingRect() const { return dirty_; }
  // Frame widths of the border style: left/right and top (caption + menu + frame).
  int FrameX() const;
  int FrameTop() const;
  // The window host's window (nullptr until first shown).
  THostWindow* HostWindow() const { return native_.get(); }
  // Input from the host window (client co-ordinates).
  void HostInput(const THostInput& in);
  // Drop-down windows: shown on top without taking the focus.
  bool IsPopup() const { return popup_; }
  void SetPopup(bool v) { popup_ = v; }
  // Minimum and maximum window size from WM_GETMINMAXINFO.
  void TrackSizeLimits(TPoint& minSize, TPoint& maxSize);
  // The menu bar strip above the client area: its height in the native
  // window (0 without a menu), the whole window picture (bar and client;
  // nullptr without a bar) and a repaint of the bar by the menu layer.
  int MenuBarHeight() const { return nativeBar_; }
  const TSurface* WindowSurface() const { return frame_.get(); }
  void RepaintMenuBar();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // OnDestroy runs here when the form is freed, while its class and its
  // components are whole; after a plain delete the destructor runs it.
  void BeforeDestruction() override;
  int SizeKind() const override {
    return windowState_ == wsMaximized ? SIZE_MAXIMIZED : windowState_ == wsMinimized ? SIZE_MINIMIZED : SIZE_RESTORED;
  }
  void PaintWindow(const TPaintContext& ctx) override;
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();
  void DoShow();
  void DoHide();
  void SetActive(bool v);
  void SetWindowFocus();
  void EnsureNative();
  void EnsureBuffer();
  void SyncNative();
  void ResizeBuffer();
  void ShowWindowNow();
  void HideWindowNow();
  THostWindow* OwnerWindow() const;
  void CloseModal();
  void SendSizeNow();
  // Shows a client rectangle of the back buffer in the native window.
  void FlushNative(const TRect& r);
  void DropNative();


  friend class TApplication;
  friend class TScreen;
  friend struct UiInternals;

  TFormBorderStyle borderStyle_ = bsSizeable;
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TFormStyle formStyle_ = fsNormal;
  bool keyPreview_ = false;
  bool hasMenu_ = false;
  bool popup_ = false;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool created_ = false;
  bool destroyFired_ = false;
  bool shown_ = false;
  bool showInactive_ = false;  // ShowInactive runs
  TRect restoreBounds_;
  TRect dirty_;
  TRect flush_;
  std::unique_ptr<TCanvas> canvas_;
  std::unique_ptr<TSurface> surface_;
  std::unique_ptr<TDrawDevice> device_;
  std::unique_ptr<THostWindow> native_;
  // With a main menu the native window shows frame_: the bar strip of
  // nativeBar_ pixels, then a copy of the back buffer.
  int nativeBar_ = 0;
  std::unique_ptr<TSurface> frame_;
  std::unique_ptr<TDrawDevice> frameDevice_;
};

class TForm : public TCustomForm {
  ORV_CLASS(TForm, TCustomForm)

 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// A borderless top-level window for drop-down lists and popups: shown on
// top at screen co-ordinates without taking the focus; the control placed
// in it fills it.
class TPopupWindow : public TCustomForm {
  ORV_CLASS(TPopupWindow, TCustomForm)

 public:
  explicit TPopupWindow(TComponent* owner);
  // Shows the window with its client area at a screen rectangle.
  void Popup(const TRect& screenRect);
};

// Returns the form a control is placed on.
TCustomForm* GetParentForm(const TControl* c);

// What moves the focus while a window takes it: told by the key's handler
// (TCustomForm::TabFrom), never guessed from the keys held down.
enum TFocusCause { fcOther, fcTab, fcShiftTab };
TFocusCause FocusCause();

// ------------------------------------------------------------------ screen

class TScreen : public TComponent {
  ORV_CLASS(TScreen, TComponent)

 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;
  int Width() const;
  int Height() const;
  int PixelsPerInch() const { return 96; }
  TCustomForm* ActiveForm() const { return activeForm_; }
  TWinControl* ActiveControl() const;
  // The forms, drop-down and hint windows left out, top-most last.
  int FormCount() const;
  TCustomForm* Forms(int i) const;
  // Installed font families (Windows-1252 names), sorted; owned by the screen.
  TStrings* Fonts();

  // Busy cursor override: anything but crDefault wins over the controls'.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);
  // Cursor slots: the standard ones (negative) are built in; positive slots
  // hold cursors the program registers.
  struct TCursorImage {
    int Width = 0, Height = 0, HotX = 0, HotY = 0;
    std::vector<std::uint32_t> Pixels;  // 0xAARRGGBB rows
  };
  void SetCursors(int index, const TCursorImage& image);
  bool HasCursor(int index) const;
  const TCursorImage* CursorImage(int index) const;
  // The cursor in effect over a control (Screen.Cursor override first).
  TCursor CursorFor(const TControl* c) const;
  TCursor CurrentCursor() const { return current_; }

 private:
  friend class TCustomForm;
  friend class TApplication;
  friend struct UiInternals;
  friend void ShutdownUi();
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  TCursor cursor_ = crDefault;
  TCursor current_ = crDefault;
  std::map<int, TCursorImage> cursors_;
  std::unique_ptr<TStringList> fonts_;
};

// -------------------------------------------------------------- message box

constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
                   MB_RETRYCANCEL = 0x5, MB_ICONHAND = 0x10, MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10,
                   MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30,
                   MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40, MB_DEFBUTTON1 = 0x0, MB_DEFBUTTON2 = 0x100,
                   MB_DEFBUTTON3 = 0x200, MB_HELP = 0x4000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// ------------------------------------------------------------- application

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
  ORV_CLASS(TApplication, TComponent)

 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize();
  template <class T>
  void CreateForm(T*& ref) {
    ref = new T(this);
    RegisterCreated(ref);
  }
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every pending message, then paints; returns when none is left.
  void ProcessMessages();
  // One message, or waiting when there is none.
  void HandleMessage();
  void HandleException(TObject* sender);
  void ShowException(const Exception& e);
  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnActivate, OnDeactivate, OnMinimize, OnRestore;

  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& t) { title_ = t; }
  TCustomForm* MainForm() const { return mainForm_; }
  void Minimize();
  void Restore();
  void BringToFront();
  // The application's own window handle (for IsIconic); not a control.
  HWND Handle() const { return kApplicationHandle; }
  bool Minimized() const { return minimized_; }
  static constexpr HWND kApplicationHandle = 0xFFFF0001u;
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; }
  int HintPause() const { return hintPause_; }
  void SetHintPause(int ms) { hintPause_ = ms; }
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int ms) { hintHidePause_ = ms; }
  // The hint on display (empty: none).
  const AnsiString& CurrentHint() const { return currentHint_; }
  // The window that shows it (nullptr before the first hint).
  TCustomForm* HintWindow() const { return hintWindow_; }
  void CancelHint();

  // Help: the help text of a context number in a message box; else the
  // help file (when one is named) handed to the desktop's opener, or a
  // German notice that it was not found; without a help file a German notice
  // that no help is installed. False when no help was shown.
  bool HelpContext(int context);
  void SetHelpText(int context, const AnsiString& text) { helpTexts_[context] = text; }
  const AnsiString& HelpFile() const { return helpFile_; }
  void SetHelpFile(const AnsiString& path) { helpFile_ = path; }

  // Asks the window host first; a host with a user to ask leaves the box
  // to our own dialog form.
  int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags);
  int MessageBox(const TMessageBoxRequest& request);
  bool ExecuteFileDialog(const TFileDialogRequest& req, AnsiString& fileName);

  // Single instance: registers a window class name so that a second
  // process can post to it; received numbers go to OnInstanceMessage.
  // A form whose creation parameters name a window class registers that
  // name itself while its window exists; messages to it are posted to the form.
  bool RegisterInstance(const AnsiString& className);
  std::function<void(unsigned msg)> OnInstanceMessage;
  bool RegisterWindowClass(const AnsiString& className, TCustomForm* form);
  void UnregisterWindowClass(TCustomForm* form);

  // While on, SIGTERM, SIGHUP and SIGINT (a desktop's shut-down, a closed
  // terminal, Ctrl+C) end the run as Terminate does, through the loop's
  // normal end, instead of ending the process at once; a file dialog of
  // the host that is open then is cancelled. The handler only writes
  // to a pipe, which the loop reads; off puts the system's handling back.
  // A desktop's log-out that asks first is answered by QueryEndSession
  // meanwhile.
  void SetEndOnTerminationSignals(bool on);
  // Asks the shown windows, the last opened first, as closing them asks
  // (an editor's "Vor dem Beenden speichern?"), without closing any; false
  // as soon as one is to stay.
  bool QueryEndSession();

  // Runs a handler, routing its exceptions to HandleException.
  void Guard(TObject* sender, const std::function<void()>& fn);
  // Input entry points (also used by the test driver).
  void DeliverKey(int vk, bool down, char32_t typed, bool autoRepeat = false);
  void DeliverMouse(TCustomForm* form, int kind, TMouseButton button, int x, int y);
  int ModalLevel() const { return modalLevel_; }
  // While a modal window or a dialog of the window host runs, windows that
  // stay on top are ordinary ones, so that none of them covers it, though
  // above the others; the calls nest, and the last restore puts them on
  // top again.
  void NormalizeTopMosts();
  void RestoreTopMosts();
  bool TopMostsNormalized() const { return normalizedTopMosts_ > 0; }
  // Keeps timers, posted messages and painting going while a dialog of the
  // window host runs its own loop.
  void ServiceNativeModal();

 private:
  friend class TCustomForm;
  friend struct UiInternals;
  void RegisterCreated(TCustomForm* f);
  bool ProcessMessage();
  // Takes and answers the knocks of second starts.
  void TakeKnocks();
  bool signalsWatched_ = false;  // the host wakes on the signal pipe
  void Idle();
  void PaintAll();
  void UpdateHint(TControl* over, TPoint screenPos);
  void ActivateForm(TCustomForm* f);
  void MouseLeftForm(TCustomForm* f);
  HWND OpenPopup() const;

  bool terminated_ = false;
  AnsiString title_;
  TCustomForm* mainForm_ = nullptr;
  bool showHint_ = true;
  int hintPause_ = 500;
  int hintHidePause_ = 2500;
  int hintTimer_ = 0;
  TControl* hintControl_ = nullptr;
  TCustomForm* hintWindow_ = nullptr;
  TPoint hintPos_;
  AnsiString currentHint_;
  std::map<int, AnsiString> helpTexts_;
  AnsiString helpFile_;
  TInstanceRegistration instance_;
  struct ClassWindow {
    std::unique_ptr<TInstanceRegistration> reg;
    HWND wnd;
    TCustomForm* form;
  };
  std::vector<ClassWindow> classWindows_;
  int modalLevel_ = 0;
  int normalizedTopMosts_ = 0;
  void SyncTopMosts();
  // The windows on top that give way to a modal one stay above the others.
  void LiftTopMosts();
  bool minimized_ = false;
  bool inService_ = false;
  bool inException_ = false;
  TControl* mouseOver_ = nullptr;
  // Double-click detection for synthesised presses.
  unsigned lastClickTime_ = 0;
  TPoint lastClickPos_;
  TMouseButton lastClickButton_ = mbLeft;
  bool lastClickValid_ = false;
};

// The application and screen objects (created on first use).
extern TApplication* Application;
extern TScreen* Screen;
void InitUi();
// Frees every form and the application object (tests, shut-down).
void ShutdownUi();

// Whether a window is minimised: the application's handle or a form's.
bool IsIconic(HWND wnd);

// Mouse event kinds for DeliverMouse.
enum : int { mkDown = 0, mkUp = 1, mkMove = 2, mkDblClick = 3, mkWheelUp = 4, mkWheelDown = 5 };

// The window host: the narrow interface through which the windowing layer
// gets top-level windows and their raw input, the screen, and the few
// desktop services it needs (beep, file dialogs, clipboard, opening an
// address). Everything inside a window (controls, focus, painting) is ours;
// a host only shows a back-buffer surface and reports what the user did.
//
// One host is installed at a time with SetWindowHost: the toolkit host of
// platform/qt in the program (qthost::InstallWindowHost()), or the headless
// test driver (TUiTestDriver), which is a host of its own for its lifetime.
// InitUi raises without one.
//
// Invariants: a host window shows the surface it was made with, which
// outlives it, and the host outlives its windows; co-ordinates are client
// pixels of that surface; key codes are Windows virtual keys and typed text is
// one Unicode scalar; text crosses as Windows-1252 except clipboard bytes,
// which are in their MIME type's encoding ("text/plain" is UTF-8).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/exceptions.h"

struct TSurface;

// What the user did to a host window, in its client co-ordinates.
struct THostInput {
  enum Kind {
    MouseDown, MouseUp, MouseDblClick, MouseMove, WheelUp, WheelDown, MouseLeave,
    KeyDown, KeyUp, Resized, Moved, CloseRequest, Activated, Deactivated, StateChanged
  };
  Kind kind = MouseMove;
  int x = 0, y = 0;        // client position (mouse), new client size (Resized), window position (Moved)
  int button = 0;          // 0 left, 1 right, 2 middle
  int vk = 0;              // Windows virtual key
  char32_t typed = 0;      // character the layout produced, 0 for none
  bool autoRepeat = false;
  int state = 0;           // StateChanged: 0 normal, 1 minimised, 2 maximised
};

enum THostWindowFlags : unsigned {
  wfFrameless = 1, wfToolWindow = 2, wfStayOnTop = 4, wfPopupNoActivate = 8, wfFixedSize = 16, wfDialog = 32
};

class THostWindow {
 public:
  virtual ~THostWindow() = default;
  virtual void SetTitle(const AnsiString& title) = 0;
  virtual void SetFlags(unsigned flags) = 0;  // THostWindowFlags
  // The window's top-left on the screen (its frame's, where the window
  // system draws one) and its client size. Moved reports the same point,
  // so a window put where it was reported stays there.
  virtual void SetGeometry(int x, int y, int w, int h) = 0;
  // Where the client area lies from the window's top-left as the window
  // system has it now; false when the host cannot tell (the form's frame
  // metrics hold then).
  virtual bool ClientOffset(int& dx, int& dy) const {
    (void)dx;
    (void)dy;
    return false;
  }
  virtual void SetMinMaxClientSize(int minW, int minH, int maxW, int maxH) = 0;
  virtual void Show(bool activate) = 0;
  virtual void Hide() = 0;
  virtual void SetState(int state) = 0;  // 0 normal, 1 minimised, 2 maximised
  virtual void Raise() = 0;
  // Puts the window on top of the windows of its kind, the keyboard where
  // it is.
  virtual void Lift() {}
  // Gives the window the keyboard, its place in the stacking unchanged.
  virtual void Activate() {}
  // The window that owns this one (nullptr: none): the window manager keeps
  // an owned window above its owner. Takes effect at the next Show.
  virtual void SetOwner(THostWindow* owner) { (void)owner; }
  // The surface changed inside the rectangle: show it.
  virtual void Flush(int x, int y, int w, int h) = 0;
  // Caret rectangle in client pixels, drawn inverted over the surface.
  virtual void SetCaret(bool visible, int x, int y, int w, int h) = 0;
  // Whether the caret is drawn now, and where.
  virtual bool CaretShown(int& x, int& y) const = 0;
  // A standard cursor (the negative cr* codes) or an image of 0xAARRGGBB rows.
  virtual void SetCursorShape(int cursor) = 0;
  virtual void SetCursorImage(int w, int h, int hotX, int hotY, const std::uint32_t* argb) = 0;
};

// What a message box or file dialog is asked.
struct TMessageBoxRequest {
  AnsiString Text;
  AnsiString Caption;
  unsigned Flags = 0;  // MB_*
  // The text as the box shows it when it holds characters beyond the code
  // page, which Text names by their numbers; empty otherwise.
  std::u32string Shown;
};

struct TFileDialogRequest {
  bool Save = false;
  AnsiString Title;
  AnsiString Filter;      // "Text|*.txt|All|*.*"
  AnsiString InitialDir;
  AnsiString FileName;
  AnsiString DefaultExt;
};

struct THostImage {
  int Width = 0, Height = 0;
  std::vector<std::uint32_t> Argb;  // 0xAARRGGBB rows
};

class TWindowHost {
 public:
  virtual ~TWindowHost() = default;
  // A window that shows `surface` and hands its input to `sink`.
  virtual std::unique_ptr<THostWindow> CreateWindow(TSurface* surface,
                                                    std::function<void(const THostInput&)> sink) = 0;
  // Delivers pending input to the windows' sinks without waiting.
  virtual void PumpEvents() = 0;
  // The application has nothing left to do: sleep until input arrives, a
  // watched descriptor becomes readable or `maxMs` have passed (a negative
  // `maxMs`: no limit). The headless host plays the test's next scripted
  // step here instead, and raises when the script has none.
  virtual void WaitForInput(int maxMs) = 0;
  // Lets a descriptor's readiness for reading (a knock of a second start)
  // end WaitForInput; the application reads it afterwards. False when the
  // host cannot watch it: the application then looks now and then itself.
  virtual bool WatchDescriptor(int fd, bool watch) {
    (void)fd;
    (void)watch;
    return false;
  }
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual void Beep() = 0;
  // A host without a user to ask answers the box itself (true, `answer` set);
  // otherwise it returns false and the windowing layer shows its own dialog.
  virtual bool AnswerMessageBox(const TMessageBoxRequest& request, int& answer) = 0;
  // False when cancelled. `service` is called every few milliseconds while a
  // dialog of the host runs its own loop, so timers and painting go on.
  virtual bool FileDialog(const TFileDialogRequest& request, AnsiString& fileName,
                          const std::function<void()>& service) = 0;
  // Called from `service`: the dialog that FileDialog runs ends as cancelled.
  virtual void EndFileDialog() {}
  // Set by the application: the desktop's session is about to end and asks
  // first (a log-out); false when the user wants it kept going. Then
  // OnSessionEnded when it ends.
  std::function<bool()> OnEndSession;
  std::function<void()> OnSessionEnded;
  // The clipboard: a set replaces everything on it at once.
  virtual void SetClipboard(const std::vector<std::pair<std::string, std::string>>& formats,
                            const THostImage* image) = 0;
  virtual bool ClipboardData(const std::string& mime, std::string& bytes) const = 0;
  virtual bool ClipboardImage(THostImage& image) const = 0;
  // Hands an address to the desktop's opener; false when it cannot.
  virtual bool OpenUrl(const AnsiString& url) = 0;
  // Where a window class name is unique: the display the windows appear on
  // (as a window class is unique per desktop). Programs on other displays,
  // and headless runs, never meet through the single-instance service.
  virtual std::string InstanceScope() const { return {}; }
};

// Installs a host (nullptr: none) and returns the one before.
TWindowHost* SetWindowHost(TWindowHost* host);
// The installed host; raises EInvalidOperation when there is none.
TWindowHost& WindowHost();
bool HasWindowHost();

// Toolkit-free face of the top-level window host. The windowing core
// (platform/ui) owns everything inside a window; this host only gives it a
// native window that shows a back-buffer surface, reports raw input in
// client co-ordinates with Windows virtual keys, and shows the caret and
// cursor. Input is delivered synchronously from PumpEvents.
// Invariants: the surface outlives its window; coordinates are client pixels;
// key codes are Windows virtual-key codes, typed text is one Unicode scalar.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct TSurface;

namespace qtwin {

struct NativeInput {
  enum Kind {
    MouseDown, MouseUp, MouseDblClick, MouseMove, WheelUp, WheelDown, MouseLeave,
    KeyDown, KeyUp, Resized, Moved, CloseRequest, Activated, Deactivated, StateChanged
  };
  Kind kind = MouseMove;
  int x = 0, y = 0;        // client position (mouse), new client size (Resized), screen position (Moved)
  int button = 0;          // 0 left, 1 right, 2 middle
  int vk = 0;              // Windows virtual key
  char32_t typed = 0;      // character the layout produced, 0 for none
  bool autoRepeat = false;
  int state = 0;           // StateChanged: 0 normal, 1 minimised, 2 maximised
};

enum WindowFlags : unsigned {
  wfFrameless = 1, wfToolWindow = 2, wfStayOnTop = 4, wfPopupNoActivate = 8, wfFixedSize = 16, wfDialog = 32
};

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  virtual void SetTitle(const std::string& utf8) = 0;
  virtual void SetFlags(unsigned flags) = 0;
  // Client area in screen co-ordinates.
  virtual void SetGeometry(int x, int y, int w, int h) = 0;
  virtual void SetMinMaxClientSize(int minW, int minH, int maxW, int maxH) = 0;
  virtual void Show(bool activate) = 0;
  virtual void Hide() = 0;
  virtual void SetState(int state) = 0;  // 0 normal, 1 minimised, 2 maximised
  virtual void Raise() = 0;
  virtual void SetEnabled(bool on) = 0;
  // The surface changed inside the rectangle: show it.
  virtual void Flush(int x, int y, int w, int h) = 0;
  // Caret rectangle in client pixels; drawn inverted over the surface.
  virtual void SetCaret(bool visible, int x, int y, int w, int h) = 0;
  // Whether the caret is drawn now, and where (client pixels).
  virtual bool CaretShown(int& x, int& y) const = 0;
  // Cursor: a standard shape (negative codes of the class library) or an image.
  virtual void SetCursorShape(int cursor) = 0;
  virtual void SetCursorImage(int w, int h, int hotX, int hotY, const std::uint32_t* argb) = 0;
  virtual bool IsExposed() const = 0;
  // Feeds a toolkit event through the same path as real input (tests of the
  // translation): a key with its toolkit code, X11 key code and text, or a
  // mouse event (NativeInput kinds MouseDown/Up/DblClick/Move) at client pixels.
  virtual void InjectKey(int toolkitKey, std::uint32_t scanCode, const std::string& textUtf8, bool down) = 0;
  virtual void InjectMouse(NativeInput::Kind kind, int button, int x, int y) = 0;
  // Saves what the window system shows of the window as PNG (false when the
  // platform cannot read the screen back).
  virtual bool GrabToPng(const std::string& path) = 0;
};

// `surface` is shown as it stands; `sink` gets the input.
std::unique_ptr<NativeWindow> CreateNativeWindow(TSurface* surface, std::function<void(const NativeInput&)> sink);

// Runs pending toolkit events; waits up to `waitMs` for one when there is none.
void PumpEvents(int waitMs);
int ScreenWidth();
int ScreenHeight();
void Beep();
// While a toolkit dialog runs its own loop, this is called every few
// milliseconds so that timers and posted messages keep going, as they do
// under the platform's message boxes.
void SetNativeModalService(std::function<void()> service);
// Message box with the Windows flag set (MB_*); returns the ID* answer.
int ShowMessageBox(const std::string& textUtf8, const std::string& captionUtf8, unsigned flags);
// File dialog; false when cancelled.
bool ShowFileDialog(bool save, const std::string& titleUtf8, const std::string& filterUtf8,
                    const std::string& dirUtf8, std::string& fileUtf8);

// Key translation: a toolkit key code (Qt::Key value), its native scan code
// (X11 key code, 0 when unknown) and keypad flag to a Windows virtual key.
// The OEM keys follow the German layout by physical position, so the two
// keys right of "0" are 219 and 221 whatever the layout says.
int ToolkitKeyToVirtualKey(int toolkitKey, std::uint32_t nativeScanCode, bool keypad);

}  // namespace qtwin

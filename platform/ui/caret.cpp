// The caret: one per program, owned by a window; it blinks on the timer
// scheduler and is shown by the form layer in the owner's host window
// (only while the owner has the focus). Hides nest: ShowCaret undoes one
// HideCaret.
#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/timers.h"
#include "platform/ui/ui_internal.h"

namespace {
TCaretState gCaret{0, 0, 0, 0, 0, 1, true};
int gCaretTimer = 0;

void CaretChanged() {
  if (Application) ui_internal::CaretChanged();
}
void StartBlink() {
  if (gCaretTimer) return;
  gCaretTimer = Timers().SetTimer(0, 530, [] {
    gCaret.BlinkOn = !gCaret.BlinkOn;
    CaretChanged();
  });
}
}  // namespace

bool CreateCaret(HWND wnd, int, int width, int height) {
  if (!FindControl(wnd)) return false;
  gCaret = TCaretState{wnd, 0, 0, width <= 0 ? 1 : width, height <= 0 ? 1 : height, 1, true};
  StartBlink();
  CaretChanged();
  return true;
}

bool DestroyCaret() {
  if (!gCaret.Owner) return false;
  gCaret = TCaretState{};
  if (gCaretTimer) Timers().KillTimer(gCaretTimer);
  gCaretTimer = 0;
  CaretChanged();
  return true;
}

bool SetCaretPos(int x, int y) {
  if (!gCaret.Owner) return false;
  gCaret.X = x;
  gCaret.Y = y;
  gCaret.BlinkOn = true;
  CaretChanged();
  return true;
}

bool GetCaretPos(TPoint& p) {
  if (!gCaret.Owner) return false;
  p = {gCaret.X, gCaret.Y};
  return true;
}

bool ShowCaret(HWND wnd) {
  if (!gCaret.Owner || (wnd != 0 && wnd != gCaret.Owner)) return false;
  if (gCaret.HideCount > 0) --gCaret.HideCount;
  gCaret.BlinkOn = true;
  CaretChanged();
  return true;
}

bool HideCaret(HWND wnd) {
  if (!gCaret.Owner || (wnd != 0 && wnd != gCaret.Owner)) return false;
  ++gCaret.HideCount;
  CaretChanged();
  return true;
}

const TCaretState& CaretState() { return gCaret; }
bool CaretVisible() { return gCaret.Owner != 0 && gCaret.HideCount == 0; }

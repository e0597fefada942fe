// Opens the demo form as a real window (run under a virtual X server by the
// demo test): it must come up on the X11 platform, be exposed, take a click
// through the real event path and close on Escape with its cancel result.
#include <cstdio>

#include "platform/qt/qt_window_host.h"
#include "platform/ui/timers.h"
#include "tests/ui/demo_form.h"
#include "tests/xcb_ui.h"

int main(int argc, char** argv) {
  if (!StartXcbUi()) return 2;
  TDemoForm demo(Application);
  demo.form->SetPosition(poScreenCenter);
  int result = -1;
  // Give the window time to appear, then press Escape through our key path.
  auto* t = new TTimer(demo.form);
  t->SetInterval(300);
  int ticks = 0, clicks = 0;
  demo.b2->OnClick = [&](TObject*) { ++clicks; };
  t->OnTimer = [&](TObject*) {
    ++ticks;
    THostWindow* w = demo.form->HostWindow();
    if (w && qtwin::IsExposed(w) && ticks == 2) {
      // What the X server shows, for looking at.
      if (argc > 1) qtwin::GrabToPng(w, argv[1]);
      // A click on "Vor" through the window, then Escape.
      TPoint p = demo.form->ScreenToClient(demo.b2->ClientToScreen({10, 10}));
      qtwin::InjectMouse(w, THostInput::MouseMove, 0, p.X, p.Y);
      qtwin::InjectMouse(w, THostInput::MouseDown, 0, p.X, p.Y);
      qtwin::InjectMouse(w, THostInput::MouseUp, 0, p.X, p.Y);
    }
    if (w && qtwin::IsExposed(w) && ticks == 3) {
      qtwin::InjectKey(w, 0x01000000, 9, "\x1b", true);
      qtwin::InjectKey(w, 0x01000000, 9, "", false);
    }
    if (ticks > 30) demo.form->SetModalResult(mrAbort);
  };
  result = demo.form->ShowModal();
  std::fprintf(stderr, "modal result %d after %d ticks, paints %d, clicks %d\n", result, ticks, demo.paint->paints,
               clicks);
  bool ok = result == mrCancel && demo.paint->paints > 0 && clicks == 1;
  ShutdownUi();
  return ok ? 0 : 1;
}

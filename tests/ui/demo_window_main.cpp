// Opens the demo form as a real window (run under a virtual X server by the
// demo test): it must come up on the X11 platform, be exposed, take a click
// through the real event path and close on Escape with its cancel result.
#include <cstdio>

#include "platform/qt/qt_host.h"
#include "platform/qt/qt_window_host.h"
#include "platform/ui/timers.h"
#include "tests/ui/demo_form.h"

int main() {
  InitUi();
  if (qthost::PlatformName() != "xcb") {
    std::fprintf(stderr, "platform is %s, not xcb\n", qthost::PlatformName().c_str());
    return 2;
  }
  TDemoForm demo(Application);
  demo.form->SetPosition(poScreenCenter);
  int result = -1;
  // Give the window time to appear, then press Escape through our key path.
  auto* t = new TTimer(demo.form);
  t->SetInterval(300);
  int ticks = 0;
  t->OnTimer = [&](TObject*) {
    ++ticks;
    if (demo.form->Native() && demo.form->Native()->IsExposed() && ticks >= 2) {
      Application->DeliverKey(0x1B, true, 0x1B);
      Application->DeliverKey(0x1B, false, 0);
    }
    if (ticks > 30) demo.form->SetModalResult(mrAbort);
  };
  result = demo.form->ShowModal();
  std::fprintf(stderr, "modal result %d after %d ticks, paints %d\n", result, ticks, demo.paint->paints);
  bool ok = result == mrCancel && demo.paint->paints > 0;
  ShutdownUi();
  return ok ? 0 : 1;
}

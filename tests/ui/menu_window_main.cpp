// Opens a form with a menu bar as a real window (run under a virtual X
// server by the menu-window test): a click on the bar through the real event
// path opens the drop-down, Escape closes it; Alt pressed and released alone
// highlights the bar, Escape leaves it; a last Escape closes the form.
#include <cstdio>

#include "platform/qt/qt_window_host.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "tests/xcb_ui.h"

int main(int argc, char** argv) {
  if (!StartXcbUi()) return 2;
  auto* f = new TForm(Application);
  f->SetCaption("Menu");
  f->SetPosition(poScreenCenter);
  auto* mm = new TMainMenu(f);
  f->SetClientSize(320, 160);  // below the bar
  for (const char* c : {"&Datei", "&Hilfe"}) {
    auto* top = new TMenuItem(f);
    top->SetCaption(c);
    auto* sub = new TMenuItem(f);
    sub->SetCaption("Eintrag");
    top->Add(sub);
    mm->Items()->Add(top);
  }
  auto* cancel = new TButton(f);
  cancel->SetParent(f);
  cancel->SetCaption("Abbruch");
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  cancel->SetBounds(230, 120, 75, 25);
  auto* t = new TTimer(f);
  t->SetInterval(300);
  int ticks = 0;
  bool opened = false, closed = false, below = false, barKeys = false;
  auto escape = [f] {
    qtwin::InjectKey(f->HostWindow(), 0x01000000, 9, "\x1b", true);
    qtwin::InjectKey(f->HostWindow(), 0x01000000, 9, "", false);
  };
  t->OnTimer = [&](TObject*) {
    ++ticks;
    THostWindow* w = f->HostWindow();
    if (!w || !qtwin::IsExposed(w)) return;
    if (ticks == 2) {
      if (argc > 1) qtwin::GrabToPng(w, argv[1]);
      // The bar lies above the client area in the window: window row 5.
      TRect r = mm->BarLayout()[1].second;
      qtwin::InjectMouse(w, THostInput::MouseDown, 0, (r.Left + r.Right) / 2, 5);
      qtwin::InjectMouse(w, THostInput::MouseUp, 0, (r.Left + r.Right) / 2, 5);
      closed = OpenMenuWindows().empty();  // back here once the drop-down closed
    } else if (ticks == 4) {
      auto open = OpenMenuWindows();
      opened = open.size() == 1 && mm->OpenIndex() == 1;
      below = !open.empty() && open[0]->Top() == f->ClientOrigin().Y;
      escape();
    } else if (ticks == 6) {
      qtwin::InjectKey(w, 0x01000023, 64, "", true);  // Alt
      qtwin::InjectKey(w, 0x01000023, 64, "", false);
      barKeys = mm->HotIndex() == 0 && OpenMenuWindows().empty();
      escape();
      barKeys = barKeys && mm->HotIndex() == -1;
    } else if (ticks == 8) {
      escape();
    }
    if (ticks > 30) f->SetModalResult(mrAbort);
  };
  int result = f->ShowModal();
  std::fprintf(stderr, "result %d after %d ticks, opened %d, below %d, closed %d, bar keys %d\n", result, ticks,
               opened, below, closed, barKeys);
  bool ok = result == mrCancel && opened && below && closed && barKeys;
  ShutdownUi();
  return ok ? 0 : 1;
}

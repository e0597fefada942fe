// An edit control in a real window under a virtual X server (run by the
// real-window test): text typed through the toolkit's key events, a
// selection made by dragging the mouse, the wheel scrolling the view, and a
// hyperlink clicked, all through the real event path of the window. Saves
// what the screen shows and exits 0 when every step did what it should.
#include <cstdio>
#include <string>

#include "platform/qt/qt_window_host.h"
#include "platform/ui/forms.h"
#include "platform/ui/timers.h"
#include "tests/richtext_controls/page_helpers.h"
#include "tests/xcb_ui.h"

using namespace rtedit_test;

namespace {

// The form-client point of a character (its middle, or just inside its
// left edge).
TPoint CharPoint(TWPCustomRtfEdit* e, int position, bool edge = false) {
  const TPoint p = PointOf(e, position, edge);
  const int bw = e->BorderWidth();
  return {e->Left() + bw + p.X, e->Top() + bw + p.Y};
}

}  // namespace

int main(int argc, char** argv) {
  if (!StartXcbUi()) return 2;
  auto* f = new TForm(Application);
  f->SetCaption("Tagesseite");
  f->SetPosition(poScreenCenter);
  f->SetClientSize(360, 200);
  auto* e = new TWPCustomRtfEdit(f);
  e->SetParent(f);
  e->SetBounds(8, 8, 344, 184);
  e->SetWordWrap(true);
  e->SetScrollBars(ssVertical);
  e->SetOneClickHyperlink(true);
  Styled(e, "Geboren am 28. August: ", "Arial", 11);
  Link(e, "Johann Wolfgang Goethe", "p:1234", "Arial", 11);
  for (int i = 1; i <= 30; ++i) Styled(e, "Zeile " + std::to_string(i), "Arial", 11, 0, 0, true);
  e->ReformatAndRepaint();
  e->PlaceCursor(0, 0, 0, 0);
  std::string link;
  e->HyperLinkEvent = [&](TObject*, const AnsiString&, const AnsiString& stamp, int) { link = stamp; };

  auto* t = new TTimer(f);
  t->SetInterval(200);
  int ticks = 0;
  bool typed = false, selected = false, wheeled = false, clicked = false;
  auto key = [&](int qtKey, const char* text) {
    qtwin::InjectKey(f->HostWindow(), qtKey, 0, text, true);
    qtwin::InjectKey(f->HostWindow(), qtKey, 0, "", false);
  };
  t->OnTimer = [&](TObject*) {
    ++ticks;
    THostWindow* w = f->HostWindow();
    if (!w || !qtwin::IsExposed(w)) return;
    if (ticks == 2) {
      // A click into the text, then typing at its start.
      const TPoint p = CharPoint(e, 0, true);
      qtwin::InjectMouse(w, THostInput::MouseDown, 0, p.X, p.Y);
      qtwin::InjectMouse(w, THostInput::MouseUp, 0, p.X, p.Y);
      for (const char* c : {"H", "a", "l", "l", "o"}) key(c[0] >= 'a' ? c[0] - 32 : c[0], c);
      key(0x20, " ");
    } else if (ticks == 3) {
      typed = Text(e).rfind("Hallo Geboren", 0) == 0;
      // Drag over "Geboren".
      const TPoint a = CharPoint(e, 6, true), b = CharPoint(e, 13, true);
      qtwin::InjectMouse(w, THostInput::MouseDown, 0, a.X, a.Y);
      qtwin::InjectMouse(w, THostInput::MouseMove, 0, (a.X + b.X) / 2, b.Y);
      qtwin::InjectMouse(w, THostInput::MouseMove, 0, b.X, b.Y);
      qtwin::InjectMouse(w, THostInput::MouseUp, 0, b.X, b.Y);
    } else if (ticks == 4) {
      int start = 0, length = 0;
      selected = e->RtfText()->GetBlock(start, length) && start == 6 && length == 7;
      const TPoint p = CharPoint(e, 20);
      qtwin::InjectMouse(w, THostInput::WheelDown, 0, p.X, p.Y);
    } else if (ticks == 5) {
      wheeled = e->TopOffset() > 0;
      qtwin::InjectMouse(w, THostInput::WheelUp, 0, 100, 100);
    } else if (ticks == 6) {
      if (argc > 1) qtwin::GrabToPng(w, argv[1]);
      // The link's name, seven characters into it.
      const TPoint p = CharPoint(e, static_cast<int>(Text(e).find("Wolfgang")));
      qtwin::InjectMouse(w, THostInput::MouseMove, 0, p.X, p.Y);
      qtwin::InjectMouse(w, THostInput::MouseDown, 0, p.X, p.Y);
      qtwin::InjectMouse(w, THostInput::MouseUp, 0, p.X, p.Y);
    } else if (ticks == 7) {
      clicked = link == "p:1234";
      f->SetModalResult(mrOk);
    }
    if (ticks > 40) f->SetModalResult(mrAbort);
  };
  const int result = f->ShowModal();
  std::fprintf(stderr, "result %d after %d ticks: typed %d, selected %d, wheeled %d, clicked %d\n", result, ticks,
               typed, selected, wheeled, clicked);
  const bool ok = result == mrOk && typed && selected && wheeled && clicked;
  ShutdownUi();
  return ok ? 0 : 1;
}

// A user at a virtual X server (run by the real program's template test):
// starts the program, opens "Vorlagen erfassen" from its menu bar, clicks
// into the template's text, types, inserts a placeholder from the menu,
// saves, closes the editor, then the program as a window manager would.
//   x11_templates_user PROGRAM BAR ITEM TEXT PLACEHOLDER NAME FIRSTNAME SAVE CLOSE
// Points are "x,y": BAR and ITEM in the main window, the rest in the editor's.
// Each click waits for what it needs (the menu that holds its item, the
// window that takes the keys); exits 0 when every step did what it should.
#include <algorithm>
#include <csignal>

#include "tests/app_main/x11_user.h"

using namespace x11user;

namespace {

pid_t program = 0;

int Stop(const std::string& why) {
  if (program > 0) kill(program, SIGKILL);
  return Fail(why);
}

void ClickAt(xcb_window_t w, const char* at) {
  int x = 0, y = 0;
  std::sscanf(at, "%d,%d", &x, &y);
  Click(w, x, y);
}

std::vector<xcb_window_t> Shown() {
  std::vector<xcb_window_t> out;
  for (xcb_window_t w : Stack())
    if (Viewable(w)) out.push_back(w);
  return out;
}

// Waits up to `ms` for a window that is shown and was not in `before` (a
// menu dropped down); 0 when none came.
xcb_window_t NewlyShown(const std::vector<xcb_window_t>& before, int ms) {
  for (int waited = 0; waited <= ms; waited += 20) {
    for (xcb_window_t w : Shown())
      if (std::find(before.begin(), before.end(), w) == before.end()) return w;
    Sleep(20);
  }
  return 0;
}

// Waits up to `ms` until only the windows of `before` are shown.
bool OnlyShown(const std::vector<xcb_window_t>& before, int ms) {
  for (int waited = 0; waited <= ms; waited += 20) {
    const std::vector<xcb_window_t> now = Shown();
    if (std::all_of(now.begin(), now.end(),
                    [&](xcb_window_t w) { return std::find(before.begin(), before.end(), w) != before.end(); }))
      return true;
    Sleep(20);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 10) return Fail("usage: PROGRAM BAR ITEM TEXT PLACEHOLDER NAME FIRSTNAME SAVE CLOSE");
  if (!Connect()) return Fail("no X server");
  program = Spawn(argv[1]);
  const xcb_window_t main = FindWindowNamed("Orvelan", 30000);
  if (!main) return Stop("the program's window did not appear");
  WaitQuiet(program, 30000);  // the start-up step and its page

  // Drucken > Vorlagen erfassen.
  const std::vector<xcb_window_t> withMain = Shown();
  ClickAt(main, argv[2]);
  if (!NewlyShown(withMain, 20000)) return Stop("the menu did not drop down");
  ClickAt(main, argv[3]);
  const xcb_window_t editor = FindWindowNamed("Vorlagen", 20000);
  if (!editor || !OnlyShown({main, editor}, 20000) || !WaitFocus(editor, 10000))
    return Stop("\"Vorlagen erfassen\" opened no editor");

  // Text typed, then Name > Vorname from the placeholder menu.
  ClickAt(editor, argv[4]);
  Type("hallo ");
  const std::vector<xcb_window_t> withEditor = Shown();
  ClickAt(editor, argv[5]);
  const xcb_window_t menu = NewlyShown(withEditor, 20000);
  if (!menu) return Stop("the placeholder menu did not drop down");
  ClickAt(editor, argv[6]);
  std::vector<xcb_window_t> withMenu = withEditor;
  withMenu.push_back(menu);
  if (!NewlyShown(withMenu, 20000)) return Stop("the placeholder's sub-menu did not open");
  ClickAt(editor, argv[7]);
  if (!OnlyShown(withEditor, 20000)) return Stop("the placeholder menu did not close");

  // Saved and closed.
  ClickAt(editor, argv[8]);
  ClickAt(editor, argv[9]);
  if (!WaitGone("Vorlagen", 20000)) return Stop("the editor did not close");
  // Closed as a window manager closes it; the program then ends.
  CloseWindow(main);
  const int end = WaitFor(program, 15000);
  if (end != 0) return Stop("the program did not end well when its window was closed (" + std::to_string(end) + ")");
  xcb_disconnect(conn);
  return 0;
}

// A user at a virtual X server (run by the real-program test of the
// editors): defines a password through the menu, opens the person editor
// (asked for the password), enters a person born on today's day and month
// with the keyboard and the navigator's buttons, closes the editor with
// Escape, shows the personal rubric and grabs the main window into DIR
// (P6 files, the whole window with its menu bar); exits 0 when every window
// came and went as it should.
//
//   orvelan_x11_editors_user PROGRAM DIR INSERT_X INSERT_Y POST_X POST_Y DDMM
//
// The co-ordinates are window co-ordinates of the editor's Insert and Post
// buttons.
#include "tests/app_main/x11_user.h"

using namespace x11user;

namespace {

constexpr uint32_t kF4 = 0xffc1;

// Drops "Persönliche Daten" down with Alt+P and clicks its first or last
// item; false when no drop-down window came.
bool ChooseMenuItem(xcb_window_t main, bool first) {
  Press('p', kAlt);
  Sleep(300);
  for (int waited = 0; waited <= 20000; waited += 50) {
    for (xcb_window_t x : Stack()) {
      int left = 0, top = 0, width = 0, height = 0;
      if (x == main || !Viewable(x) || !Geometry(x, left, top, width, height)) continue;
      Click(x, width / 2, first ? 10 : height - 10);
      return true;
    }
    Sleep(50);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) return Fail("usage: PROGRAM DIR INSERT_X INSERT_Y POST_X POST_Y DDMM");
  const std::string program = argv[1], dir = argv[2], ddmm = argv[7];
  if (!Connect()) return Fail("no X server");

  pid_t pid = 0;
  const xcb_window_t w = StartProgram(program, pid);
  if (!w) return Fail("the program's window did not appear");
  // The start-up step and its page; keys go to the window with the focus.
  WaitQuiet(pid, 30000);
  WaitFocus(w, 10000);
  auto fail = [&](const std::string& why) {
    kill(pid, SIGKILL);
    return Fail(why);
  };
  // Persönliche Daten > Paßwort definieren (the last item), chosen with
  // the mouse: a dialog opened by Enter would take Enter's release as its
  // own Enter. "abc" twice.
  if (!ChooseMenuItem(w, false)) return fail("the menu did not drop down");
  const char* define = "Pa\xc3\x9fwort definieren";
  const xcb_window_t defining = FindWindowNamed(define, 20000);
  if (!defining || !WaitFocus(defining, 10000)) return fail("the password definition did not come");
  Type("abc");
  Press(kTab);
  Type("abc");
  Press(kReturn);
  if (!WaitGone(define, 20000) || !WaitFocus(w, 10000)) return fail("the password definition did not close");
  // Persönliche Daten > Personen (the first item): the password is asked for.
  if (!ChooseMenuItem(w, true)) return fail("the menu did not drop down");
  const char* prompt = "Pa\xc3\x9fwort eingeben";
  const xcb_window_t asking = FindWindowNamed(prompt, 20000);
  if (!asking || !WaitFocus(asking, 10000)) return fail("the password was not asked for");
  Type("abc");
  Press(kReturn);
  const xcb_window_t editor = FindWindowNamed("Personen erfassen", 20000);
  if (!editor || !WaitFocus(editor, 10000)) return fail("the person editor did not come");
  // A new person: first name, Tab, last name, three Tabs to the date.
  Click(editor, std::atoi(argv[3]), std::atoi(argv[4]));
  Sleep(300);
  Type("eva");
  Press(kTab);
  Type("heutig");
  for (int i = 0; i < 3; ++i) Press(kTab);
  Type(ddmm + "1980");
  WaitSettled(editor, 10000);
  if (!Grab(editor, dir + "/editor.ppm")) return fail("no grab of the editor");
  Click(editor, std::atoi(argv[5]), std::atoi(argv[6]));
  Sleep(500);
  Press(kEscape);
  if (!WaitGone("Personen erfassen", 20000) || !WaitFocus(w, 10000)) return fail("the editor did not close");
  // The personal page of today (the password was given once).
  Picture before;
  GrabPicture(w, before);
  Press(kF4);
  WaitSettled(w, 20000, 400, &before);
  if (FindWindowNamed(prompt, 0)) return fail("the password was asked for twice");
  if (!Grab(w, dir + "/personal.ppm")) return fail("no grab of the personal page");

  return CloseAndAwaitEnd(w, pid);
}

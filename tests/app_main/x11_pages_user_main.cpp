// A user at a virtual X server (run by the real-program test) who clicks
// through the new rubrics of the real program, types a date into its date
// dialog, switches the calendar box's face, and is asked for the password
// (set in the settings file) when choosing the personal rubric. Grabs the window after
// each step into DIR (P6 files, the whole window with its menu bar): a page
// or the box once the window shows what the test wrote for it into
// NAME.expected.ppm beside NAME.ppm, the prompt and the personal page once
// they have settled. Exits 0 when every window came and went as it should.
//
//   orvelan_x11_pages_user PROGRAM DIR EREI_X EREI_Y NAME_X NAME_Y FTAG_X FTAG_Y BOX_X BOX_Y EIGE_X EIGE_Y
//
// The co-ordinates are window co-ordinates of the rubric buttons and the box.
#include "tests/app_main/x11_user.h"

using namespace x11user;

int main(int argc, char** argv) {
  if (argc != 13) return Fail("usage: PROGRAM DIR and five points");
  const std::string program = argv[1], dir = argv[2];
  auto at = [&](int i) { return std::atoi(argv[3 + i]); };
  if (!Connect()) return Fail("no X server");

  pid_t pid = 0;
  const xcb_window_t w = StartProgram(program, pid);
  if (!w) return Fail("the program's window did not appear");
  WaitQuiet(pid, 30000);  // the start-up step and its page
  auto fail = [&](const std::string& why) {
    kill(pid, SIGKILL);
    return Fail(why);
  };
  // Grabs NAME.ppm once the window shows NAME.expected.ppm.
  auto grab = [&](xcb_window_t x, const std::string& name) {
    WaitShowing(x, dir + "/" + name + ".expected.ppm", 30000);
    return Grab(x, dir + "/" + name + ".ppm");
  };
  // Events, name days, holidays.
  for (int i = 0; i < 3; ++i) {
    Click(w, at(2 * i), at(2 * i + 1));
    if (!grab(w, "rubric" + std::to_string(i))) return fail("no grab of a rubric");
  }
  // Alt+Home: the date dialog; the old text cleared, a date typed, Enter.
  Press(kHome, kAlt);
  const char* dateDialog = "Datum eingeben";
  const xcb_window_t date = FindWindowNamed(dateDialog, 20000);
  if (!date || !WaitFocus(date, 10000)) return fail("the date dialog did not come");
  Press(0xff57);  // End
  for (int i = 0; i < 12; ++i) Press(0xff08);  // BackSpace
  Type("24.12.2027");
  Press(kReturn);
  if (!WaitGone(dateDialog, 20000)) return fail("the date dialog did not close");
  if (!grab(w, "date")) return fail("no grab after the date");  // after the debounce
  // The box's other face.
  Click(w, at(6), at(7));
  if (!grab(w, "box")) return fail("no grab of the box");
  // The personal rubric asks for it.
  Picture before;
  GrabPicture(w, before);
  Click(w, at(8), at(9));
  const char* prompt = "Pa\xc3\x9fwort eingeben";
  const xcb_window_t ask = FindWindowNamed(prompt, 20000);
  if (!ask || !WaitFocus(ask, 10000)) return fail("the password was not asked for");
  WaitSettled(ask, 10000);
  if (!Grab(ask, dir + "/prompt.ppm")) return fail("no grab of the prompt");
  Type("abc");
  Press(kReturn);
  if (!WaitGone(prompt, 20000)) return fail("the prompt did not close");
  WaitSettled(w, 20000, 400, &before);
  if (!Grab(w, dir + "/personal.ppm")) return fail("no grab of the personal page");

  return CloseAndAwaitEnd(w, pid);
}

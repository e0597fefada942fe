// A user at a virtual X server (run by the real-program test): starts the
// real program, waits for its window to show today's page and grabs it,
// clicks a day in its calendar through the server's input devices, waits
// for that day's page after the debounce and grabs it again, covers it with
// another window, starts the program a second time (which must end by
// itself) and checks that the first window came back on top; then closes it
// as a window manager would and waits for the program to end. Exits 0 when
// every step did what it should.
//
//   orvelan_x11_user PROGRAM CLICK_X CLICK_Y BEFORE.ppm AFTER.ppm
//
// CLICK_X/CLICK_Y are window co-ordinates; the pictures are P6 files of the
// program's whole window (menu bar included), each grabbed once the window
// shows the part the test expects in the file of the same name ending in
// ".expected.ppm" (or after a generous deadline: the test then says what
// differs).
//
//   orvelan_x11_user --idle PROGRAM [DATE KEY]...
//
// starts the program, lets it go quiet after its start-up step, prints the
// processor time it used over 3 s in which nothing happens ("idle cpu ms:
// N"); then for each DATE (dd.mm.yyyy, through the date dialog) and rubric
// KEY ("F6") the same for that page ("idle cpu ms DATE: N"); closes it.
#include "tests/app_main/x11_user.h"

using namespace x11user;

namespace {

// The part of the window a picture waits for: NAME.ppm -> NAME.expected.ppm.
std::string Expected(const std::string& picture) {
  return picture.substr(0, picture.size() - 4) + ".expected.ppm";
}

// The rubric's key, then the day through the date dialog (the shown date
// cleared); keys go to the window under the pointer once a dialog has gone.
bool ShowPage(xcb_window_t w, const std::string& date, const std::string& key) {
  int x = 0, y = 0, width = 0, height = 0;
  Geometry(w, x, y, width, height);
  xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, static_cast<int16_t>(x + width / 2),
                      static_cast<int16_t>(y + height / 2), 0);
  if (!WaitFocus(w, 10000)) return false;
  Press(KeySymNamed(key));
  Press(kHome, kAlt);
  const xcb_window_t dialog = FindWindowNamed("Datum eingeben", 20000);
  if (!dialog || !WaitFocus(dialog, 10000)) return false;
  Press(0xff57);  // End
  for (int i = 0; i < 12; ++i) Press(0xff08);  // BackSpace
  Type(date);
  Press(kReturn);
  return WaitGone("Datum eingeben", 20000);
}

int Idle(const std::string& program, const std::vector<std::string>& pages) {
  pid_t pid = 0;
  const xcb_window_t w = StartProgram(program, pid);
  if (!w) return Fail("the program's window did not appear");
  long ms = 0;
  for (std::size_t i = 0; ms >= 0 && i <= pages.size(); i += 2) {
    const std::string day = i ? " " + pages[i - 2] : "";
    if (i && !ShowPage(w, pages[i - 2], pages[i - 1])) {
      kill(pid, SIGKILL);
      return Fail("the page of" + day + " could not be chosen");
    }
    // The start-up step (or the debounce) and its page, slower on a loaded
    // machine. A program that never goes quiet is measured all the same
    // after the deadline.
    WaitQuiet(pid, i ? 8000 : 30000);
    const long before = ProcessCpuMs(pid);
    Sleep(3000);
    const long after = ProcessCpuMs(pid);
    ms = before < 0 || after < 0 ? -1 : after - before;
    std::printf("idle cpu ms%s: %ld\n", day.c_str(), ms);
  }
  CloseWindow(w);
  const int end = WaitFor(pid, 15000);
  if (end < 0) kill(pid, SIGKILL);
  if (ms < 0) return Fail("the program's processor time cannot be read");
  return end == 0 ? 0 : Fail("the program did not end when its window was closed");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--idle") {
    if (!Connect()) return Fail("no X server");
    return Idle(argv[2], std::vector<std::string>(argv + 3, argv + argc));
  }
  if (argc != 6) return Fail("usage: PROGRAM CLICK_X CLICK_Y BEFORE.ppm AFTER.ppm");
  const std::string program = argv[1];
  const int clickX = std::atoi(argv[2]), clickY = std::atoi(argv[3]);
  if (!Connect()) return Fail("no X server");

  pid_t first = 0;
  const xcb_window_t w = StartProgram(program, first);
  if (!w) return Fail("the program's window did not appear");
  // First paint, the start-up step 200 ms later, the page; after the click
  // the 400 ms debounce and the page.
  WaitShowing(w, Expected(argv[4]), 30000);
  if (!Grab(w, argv[4])) return Fail("could not grab the window");
  Click(w, clickX, clickY);
  WaitShowing(w, Expected(argv[5]), 30000);
  if (!Grab(w, argv[5])) return Fail("could not grab the window again");

  // Another window covers the program's.
  int x = 0, y = 0, width = 0, height = 0;
  Geometry(w, x, y, width, height);
  const xcb_window_t cover = xcb_generate_id(conn);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
  const uint32_t values[] = {screen->white_pixel, 1};
  xcb_create_window(conn, XCB_COPY_FROM_PARENT, cover, root, static_cast<int16_t>(x), static_cast<int16_t>(y),
                    static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(conn, cover);
  xcb_flush(conn);
  Sleep(300);
  if (StackIndex(cover) < StackIndex(w)) return Fail("the cover did not come on top");

  // The second start ends by itself and brings the first window up.
  const pid_t second = Spawn(program);
  const int rc = WaitFor(second, 60000);
  if (rc != 0) {
    if (rc < 0) kill(second, SIGKILL);
    return Fail("the second start did not end by itself (" + std::to_string(rc) + ")");
  }
  bool onTop = false;
  for (int waited = 0; waited < 5000 && !onTop; waited += 50) {
    onTop = StackIndex(w) > StackIndex(cover);
    if (!onTop) Sleep(50);
  }
  if (!onTop) return Fail("the first window did not come to the front");

  return CloseAndAwaitEnd(w, first);
}

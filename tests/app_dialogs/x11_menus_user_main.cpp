// A user at a virtual X server (run by the menu test) who goes through every
// entry of the real program's menus with the keyboard: Alt alone, Right to
// the menu, Down into it and to the entry (Right into a sub-menu), Enter.
// A window that comes is grabbed, asked for help with F1 (the message that
// comes is grabbed and closed with Escape) and closed with Escape (or,
// when it takes no Escape, as a window manager closes it); when none comes
// the main window is grabbed. The last entry of the plan ends the program.
//
//   orvelan_x11_menus_user PROGRAM DIR PLAN
//
// PLAN has one line per entry: a label, a tab, the keys ("right",
// "down", ...), a tab and "window" when a window should come, in which F1
// is pressed too ("box" when the entry's own message should come, "none"
// when the entry acts on the main window, so it is waited for only
// briefly). DIR receives entryNN.ppm (and entryNN_help.ppm, the message
// F1 brought) and result.txt with one line per entry: the label, a tab and
// the name of the window that came ("-" none), "\thelp" when F1 brought a
// message that Escape closed again, and "\tclosed" when Escape did not
// close the window.
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/app_main/x11_user.h"

using namespace x11user;

namespace {

constexpr uint32_t kRight = 0xff53, kDown = 0xff54, kF1 = 0xffbe;

std::vector<xcb_window_t> ViewableWindows() {
  std::vector<xcb_window_t> out;
  for (xcb_window_t w : Stack())
    if (Viewable(w)) out.push_back(w);
  return out;
}

// A viewable window with a caption that was not there before (a menu that
// stays open carries only the program's name).
xcb_window_t NewWindow(const std::vector<xcb_window_t>& before, const std::string& programName, int ms) {
  for (int waited = 0; waited <= ms; waited += 50) {
    for (xcb_window_t w : ViewableWindows()) {
      const std::string name = WindowName(w);
      if (std::find(before.begin(), before.end(), w) == before.end() && !name.empty() && name != programName) return w;
    }
    Sleep(50);
  }
  return 0;
}

// A key pressed and released; the program takes the server's events in order.
void Tap(uint32_t keysym) {
  for (bool down : {true, false}) {
    xcb_test_fake_input(conn, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, KeyCodeOf(keysym), XCB_CURRENT_TIME, XCB_NONE, 0,
                        0, 0);
    xcb_flush(conn);
    Sleep(8);
  }
}

bool Gone(xcb_window_t w, int ms) {
  for (int waited = 0; waited <= ms; waited += 50) {
    if (!Viewable(w)) return true;
    Sleep(50);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Fail("usage: PROGRAM DIR PLAN");
  const std::string program = argv[1], dir = argv[2];
  const std::string programName = program.substr(program.rfind('/') + 1);
  struct Step {
    std::string Label, Keys, Kind;
  };
  std::vector<Step> plan;
  {
    std::ifstream f(argv[3]);
    for (std::string line; std::getline(f, line);) {
      std::istringstream fields(line);
      Step s;
      std::string window;
      if (std::getline(fields, s.Label, '\t') && std::getline(fields, s.Keys, '\t') && std::getline(fields, window))
        plan.push_back({s.Label, s.Keys, window});
    }
  }
  if (plan.empty()) return Fail("an empty plan");
  if (!Connect()) return Fail("no X server");

  pid_t pid = 0;
  const xcb_window_t main = StartProgram(program, pid);
  if (!main) return Fail("the program's window did not appear");
  Sleep(1500);
  auto fail = [&](const std::string& why) {
    const int ended = WaitFor(pid, 0);
    kill(pid, SIGKILL);
    return Fail(why + (ended >= 0       ? " (the program ended with " + std::to_string(ended) + ")"
                       : Viewable(main) ? ""
                                        : " (the main window is hidden)"));
  };
  const std::map<std::string, uint32_t> keys = {{"right", kRight}, {"down", kDown}, {"return", kReturn}};
  std::ofstream result(dir + "/result.txt");
  for (size_t n = 0; n < plan.size(); ++n) {
    const bool last = n + 1 == plan.size();
    const std::vector<xcb_window_t> before = ViewableWindows();
    Tap(kAlt);
    Sleep(50);
    std::istringstream words(plan[n].Keys);
    for (std::string word; words >> word;) {
      if (!keys.count(word)) return fail("an unknown key in the plan: " + word);
      Tap(keys.at(word));
    }
    Tap(kReturn);
    if (last) break;
    const xcb_window_t w = NewWindow(before, programName, plan[n].Kind == "none" ? 300 : 5000);
    char name[32];
    std::snprintf(name, sizeof name, "/entry%02zu", n);
    if (w) {
      Sleep(250);  // painted
      const std::string title = WindowName(w);
      if (!Grab(w, dir + name + ".ppm")) return fail("no grab of " + title);
      // F1 in the window: its message comes over it and goes with Escape.
      bool helped = false;
      if (plan[n].Kind == "window") {
        std::vector<xcb_window_t> open = ViewableWindows();
        Press(kF1);
        const xcb_window_t box = NewWindow(open, programName, 3000);
        if (box) {
          Sleep(250);
          if (!Grab(box, dir + name + "_help.ppm")) return fail("no grab of the help of " + title);
          Press(kEscape);
          helped = Gone(box, 3000);
          if (!helped) return fail("Escape did not close the help of " + title);
        }
      }
      Press(kEscape);
      // A window that takes no Escape is closed as a window manager does it.
      const bool escaped = Gone(w, 1500);
      if (!escaped) CloseWindow(w);
      if (!escaped && !Gone(w, 3000)) return fail("neither Escape nor its close button closed " + title);
      result << plan[n].Label << "\t" << title << (helped ? "\thelp" : "") << (escaped ? "" : "\tclosed") << "\n";
    } else {
      Sleep(300);
      if (!Grab(main, dir + name + ".ppm")) return fail("no grab of the main window");
      result << plan[n].Label << "\t-\n";
      Press(kEscape);  // a menu still open (its entry disabled) closes
    }
    result.flush();
    Sleep(100);
  }
  const int end = WaitFor(pid, 15000);
  if (end != 0) {
    if (end < 0) kill(pid, SIGKILL);
    return Fail("the program did not end by its last entry (" + std::to_string(end) + ")");
  }
  xcb_disconnect(conn);
  return 0;
}

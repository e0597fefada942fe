// A user at a virtual X server who follows a script through the real
// program (run by the tests of a day of use). Exits 0 when every line did
// what it should (and prints "script done"), else names the line on
// stderr; "mark" lines print the time since the start on stdout.
//
//   e2e_user PROGRAM SCRIPT
//
// Lines (PREFIX: the start of a window title, UTF-8; the topmost such
// window is meant):
//   start [ARG...]          the program, in its directory
//   again MS CODE [ARG...]  another start, which must end by itself within
//                           MS with exit code CODE
//   window MS PREFIX        waits up to MS for such a window
//   windows MS N PREFIX     waits up to MS for N such windows at once
//   gone MS PREFIX          waits up to MS until none is shown
//   click X Y PREFIX        a left click at window co-ordinates
//   wheel X Y N PREFIX      N notches of the wheel there, towards the user
//   geometry PREFIX         prints "geometry X Y WIDTH HEIGHT" of the window
//   grab FILE PREFIX        the window as a P6 picture, once it is settled
//   keys KEY...             each pressed and released; "alt+Home",
//                           "ctrl+c", "shift+Tab"; X key names or a
//                           character
//   type TEXT               the rest of the line, typed
//   close PREFIX            as a window manager's close button does
//   run COMMAND             a shell command that must succeed
//   sleep MS | alive | end MS | mark NAME
// "alive" fails when the program has ended; "end" waits for it to end with 0.
#include <iterator>
#include <sstream>

#include "tests/app_main/x11_user.h"

using namespace x11user;

namespace {

pid_t program = 0;
std::string programPath;
const auto started = std::chrono::steady_clock::now();

std::vector<xcb_window_t> Named(const std::string& prefix) {
  std::vector<xcb_window_t> out;
  const std::vector<xcb_window_t> s = Stack();
  for (auto it = s.rbegin(); it != s.rend(); ++it)
    if (Viewable(*it) && WindowName(*it).rfind(prefix, 0) == 0) out.push_back(*it);
  return out;
}

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The window once two grabs 150 ms apart agree (a slow build of the
// program may still be painting), at most after 5 s.
bool GrabSettled(xcb_window_t w, const std::string& path) {
  if (!Grab(w, path)) return false;
  for (int tries = 0; tries < 33; ++tries) {
    Sleep(150);
    if (!Grab(w, path + ".next")) return false;
    const bool same = Slurp(path) == Slurp(path + ".next");
    std::rename((path + ".next").c_str(), path.c_str());
    if (same) return true;
  }
  return true;
}

std::vector<std::string> Words(std::istringstream& in) {
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// "alt+ctrl+x": the modifiers held around the key.
std::string PressNamed(const std::string& spec) {
  std::vector<uint32_t> held;
  std::string rest = spec;
  for (size_t plus; (plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size();) {
    const std::string mod = rest.substr(0, plus);
    held.push_back(mod == "alt" ? 0xffe9 : mod == "ctrl" ? 0xffe3 : mod == "shift" ? 0xffe1 : 0);
    if (!held.back()) return "unknown modifier " + mod;
    rest = rest.substr(plus + 1);
  }
  const uint32_t sym = KeySymNamed(rest);
  xcb_keycode_t code = 0;
  bool shift = false;
  if (!sym || !KeyOf(sym, code, shift)) return "no key " + rest;
  if (shift) held.push_back(0xffe1);
  for (uint32_t m : held) Key(m, true);
  for (uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
    xcb_test_fake_input(conn, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(conn);
    Sleep(30);
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it) Key(*it, false);
  return "";
}

std::string Step(std::istringstream& in, const std::string& cmd) {
  int number = 0, y = 0;
  if (cmd == "click" || cmd == "wheel" || cmd == "window" || cmd == "windows" || cmd == "gone" || cmd == "sleep" || cmd == "end" ||
      cmd == "again")
    in >> number;
  if (cmd == "click" || cmd == "windows" || cmd == "again" || cmd == "wheel") in >> y;
  int notches = 0;
  if (cmd == "wheel") in >> notches;
  std::string file;
  if (cmd == "grab") in >> file;
  if (cmd == "start" || cmd == "again") {
    const std::vector<std::string> args = Words(in);
    if (cmd == "start") return (program = Spawn(programPath, args)) > 0 ? "" : "cannot start";
    const pid_t other = Spawn(programPath, args);
    const int rc = WaitFor(other, number);
    if (rc < 0) kill(other, SIGKILL);
    return rc == y ? "" : "it ended with " + std::to_string(rc);
  }
  if (cmd == "keys") {
    for (const std::string& k : Words(in))
      if (std::string why = PressNamed(k); !why.empty()) return why;
    return "";
  }
  std::string rest;
  std::getline(in.peek() == ' ' ? in.ignore() : in, rest);
  if (cmd == "type") return TypeText(rest) ? "" : "a character no key types";
  while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  if (cmd == "sleep") return Sleep(number), "";
  if (cmd == "mark") {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::printf("%s %lld\n", rest.c_str(), static_cast<long long>(ms.count()));
    std::fflush(stdout);
    return "";
  }
  if (cmd == "run") return std::system(rest.c_str()) == 0 ? "" : "the command failed";
  if (cmd == "alive") return WaitFor(program, 0) < 0 ? "" : "the program has ended";
  if (cmd == "end") {
    const int rc = WaitFor(program, number);
    return rc == 0 ? "" : "the program did not end well (" + std::to_string(rc) + ")";
  }
  if (cmd == "window" || cmd == "windows" || cmd == "gone") {
    const size_t want = cmd == "windows" ? static_cast<size_t>(y) : 1;
    for (int waited = 0; waited <= number; waited += 50, Sleep(50))
      if ((Named(rest).size() >= want) == (cmd != "gone")) return "";
    return "timed out";
  }
  const std::vector<xcb_window_t> w = Named(rest);
  if (w.empty()) return "no such window";
  if (cmd == "click") return Click(w[0], number, y), "";
  if (cmd == "grab") return GrabSettled(w[0], file) ? "" : "cannot grab it";
  if (cmd == "close") return CloseWindow(w[0]), "";
  if (cmd == "geometry") {
    int x = 0, top = 0, width = 0, height = 0;
    if (!Geometry(w[0], x, top, width, height)) return "no geometry";
    std::printf("geometry %d %d %d %d\n", x, top, width, height);
    return std::fflush(stdout), "";
  }
  if (cmd == "wheel") {
    int x = 0, top = 0, width = 0, height = 0;
    Geometry(w[0], x, top, width, height);
    xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, static_cast<int16_t>(x + number),
                        static_cast<int16_t>(top + y), 0);
    xcb_flush(conn);
    Sleep(100);
    for (int i = 0; i < notches; ++i) {
      for (uint8_t type : {XCB_BUTTON_PRESS, XCB_BUTTON_RELEASE})
        xcb_test_fake_input(conn, type, 5, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
      xcb_flush(conn);
      Sleep(60);
    }
    return "";
  }
  return "unknown command";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: e2e_user PROGRAM SCRIPT");
  programPath = argv[1];
  if (!Connect()) return Fail("no X server");
  std::ifstream script(argv[2]);
  std::string line, cmd;
  for (int n = 1; std::getline(script, line); ++n) {
    std::istringstream in(line);
    if (!(in >> cmd) || cmd[0] == '#') continue;
    const std::string why = Step(in, cmd);
    if (why.empty()) continue;
    std::vector<std::string> shown;
    for (xcb_window_t w : Stack())
      if (Viewable(w)) shown.push_back(WindowName(w));
    std::string list;
    for (const std::string& s : shown) list += " [" + s + "]";
    if (program > 0) kill(program, SIGKILL);
    return Fail("line " + std::to_string(n) + " (" + line + "): " + why + "; shown:" + list);
  }
  xcb_disconnect(conn);
  std::printf("script done\n");
  return 0;
}

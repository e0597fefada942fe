// A user at a virtual X server who follows a script (run by the real-program
// test of the further windows). Exits 0 when every line did what it should,
// else names the line on stderr.
//
//   x11_script_user SCRIPT
//
// Lines (TITLE is a whole window title, UTF-8):
//   start PROGRAM | window MS TITLE | gone MS TITLE | shows MS FILE TITLE |
//   click X Y TITLE | grab FILE TITLE | sleep MS | run COMMAND | close TITLE |
//   end MS
// "window" and "gone" wait up to MS for the window to be shown or gone;
// "shows" waits up to MS for it to show the part of it in FILE (a P6 file
// with "# at X Y", written by the test) and goes on either way: the test
// compares what was grabbed. "end" waits for the program to end with 0; X
// and Y are window co-ordinates.
#include <sstream>

#include "tests/app_main/x11_user.h"

using namespace x11user;

namespace {

pid_t program = 0;

// The topmost shown window with exactly that title, or 0.
xcb_window_t FindWindow(const std::string& title) {
  const std::vector<xcb_window_t> s = Stack();
  for (auto it = s.rbegin(); it != s.rend(); ++it)
    if (Viewable(*it) && WindowName(*it) == title) return *it;
  return 0;
}

std::string Step(std::istringstream& in, const std::string& cmd) {
  int number = 0, y = 0;
  std::string word;
  if (cmd == "click" || cmd == "window" || cmd == "gone" || cmd == "shows" || cmd == "sleep" || cmd == "end")
    in >> number;
  if (cmd == "click") in >> y;
  if (cmd == "grab" || cmd == "shows") in >> word;
  std::string rest;
  std::getline(in >> std::ws, rest);
  if (cmd == "start") return (program = Spawn(rest)) > 0 ? "" : "cannot start";
  if (cmd == "sleep") return Sleep(number), "";
  if (cmd == "run") return std::system(rest.c_str()) == 0 ? "" : "the command failed";
  if (cmd == "end") return WaitFor(program, number) == 0 ? "" : "the program did not end well";
  if (cmd == "window" || cmd == "gone") {
    for (int waited = 0; waited <= number; waited += 50, Sleep(50))
      if ((FindWindow(rest) != 0) == (cmd == "window")) return "";
    return "timed out";
  }
  const xcb_window_t w = FindWindow(rest);
  if (!w) return "no such window";
  if (cmd == "click") return Click(w, number, y), "";
  if (cmd == "grab") return Grab(w, word) ? "" : "cannot grab it";
  if (cmd == "shows") return WaitShowing(w, word, number), "";
  if (cmd == "close") return CloseWindow(w), "";
  return "unknown command";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return Fail("usage: x11_script_user SCRIPT");
  if (!Connect()) return Fail("no X server");
  std::ifstream script(argv[1]);
  std::string line, cmd;
  for (int n = 1; std::getline(script, line); ++n) {
    std::istringstream in(line);
    if (!(in >> cmd)) continue;
    const std::string why = Step(in, cmd);
    if (why.empty()) continue;
    if (program > 0) kill(program, SIGKILL);
    return Fail("line " + std::to_string(n) + " (" + line + "): " + why);
  }
  xcb_disconnect(conn);
  return 0;
}

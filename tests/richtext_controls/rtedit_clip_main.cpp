// Clipboard interchange of the edit control with other programs under a
// virtual X server (run by the clipboard interchange test):
//   copy <rtf-out> <text-out>   copies a styled selection, then lets a
//                               separate process (xclip) read the clipboard
//                               as RTF and as text into the two files;
//   paste <rtf-in> <text-out>   a separate process (xclip) puts an RTF file
//                               on the clipboard; the control pastes it and
//                               its plain text goes to the file.
// Exits 0 when the step ran; the test judges the files.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/cp1252.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/forms.h"
#include "platform/ui/windowhost.h"
#include "tests/richtext_controls/page_helpers.h"
#include "tests/xcb_ui.h"

using namespace rtedit_test;

namespace {

// Starts a program with its output going to a file (or nowhere).
pid_t Start(const std::vector<std::string>& args, const std::string& out) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (!out.empty() && !freopen(out.c_str(), "wb", stdout)) _exit(126);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// Serves the window system (this process may own the clipboard) until the
// program ends; its exit code, -1 after the time limit.
int Wait(pid_t pid, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    WindowHost().PumpEvents();
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string mode = argv[1];
  if (!StartXcbUi()) return 2;
  auto* f = new TForm(Application);
  f->SetClientSize(300, 120);
  auto* e = new TWPCustomRtfEdit(f);
  e->SetParent(f);
  e->SetBounds(0, 0, 300, 120);
  e->SetWordWrap(true);
  f->Show();
  Application->ProcessMessages();
  int rc = 0;
  if (mode == "copy") {
    Styled(e, "Normal ", "Arial", 10);
    Styled(e, "fett ", "Arial", 10, wpsBold);
    Styled(e, "kursiv ", "Arial", 10, wpsItalic);
    Styled(e, CP1252("groß").str(), "Arial", 20);
    e->ReformatAndRepaint();
    e->SelectAll();
    e->CopyToClipboard();
    Application->ProcessMessages();
    const int a = Wait(Start({"xclip", "-selection", "clipboard", "-t", "text/rtf", "-o"}, argv[2]), 20);
    const int b = Wait(Start({"xclip", "-selection", "clipboard", "-t", "UTF8_STRING", "-o"}, argv[3]), 20);
    std::fprintf(stderr, "xclip read rtf: %d, text: %d\n", a, b);
    rc = a == 0 && b == 0 ? 0 : 1;
  } else if (mode == "paste") {
    // xclip stays in front as the clipboard's owner until it is ended.
    const pid_t owner = Start({"xclip", "-quiet", "-selection", "clipboard", "-t", "text/rtf", "-i", argv[2]}, "");
    const unsigned rtf = RegisterClipboardFormat("Rich Text Format");
    bool offered = false;
    for (int i = 0; i < 400 && !offered; ++i) {
      WindowHost().PumpEvents();
      offered = Clipboard()->HasFormat(rtf);
      if (!offered) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    e->ClearText();
    if (offered) e->PasteFromClipboard();
    std::ofstream(argv[3], std::ios::binary) << Text(e);
    kill(owner, SIGTERM);
    waitpid(owner, nullptr, 0);
    std::fprintf(stderr, "clipboard offered rtf: %d, pasted %d characters\n", offered, e->TextLength());
    rc = offered ? 0 : 1;
  }
  ShutdownUi();
  return rc;
}

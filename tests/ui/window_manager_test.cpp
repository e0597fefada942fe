// Forms under a window manager on a virtual X server with a German layout
// (window_manager_main.cpp): a window reopens where it was, in one start
// and over three; owned windows and boxes stay above their owners and keep
// the keyboard, a modal window stays above a window on top, AltGr and dead
// keys type, and the PDF file dialog is German and opens at home.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/shell_helpers.h"

namespace {

using testshell::Have;

TEST(WindowManager, OwnedWindowsStayAboveAndEveryTypedCharacterArrives) {
  for (const char* p : {"xvfb-run", "openbox", "setxkbmap"})
    if (!Have(p)) GTEST_SKIP() << p << " is not installed";
  const std::string exe =
      std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/ui_window_manager";
  // A home folder of its own for the PDF file.
  char home[] = "/tmp/orv_wm_XXXXXX";
  ASSERT_NE(mkdtemp(home), nullptr);
  // The server keeps the layout when setxkbmap, its first client, goes. Its
  // display number starts from the process id, so that servers of tests run
  // side by side do not race for the same number.
  // Three starts of the placement check, then the run; openbox's output is
  // kept for a failure's report.
  const std::string out = testshell::Shell(
      "env -u QT_QPA_PLATFORM HOME=" + std::string(home) + " timeout 120 xvfb-run -a -n " +
      std::to_string(200 + ::getpid() % 700) + " -s '-screen 0 1024x768x24 -noreset' sh -c "
      "'setxkbmap de && { openbox >\"$HOME/openbox.log\" 2>&1 & } && " + exe + " place \"$HOME/place\" && " + exe +
      " place \"$HOME/place\" && " + exe + " place \"$HOME/place\" && exec " + exe +
      "' 2>&1; echo \"exit $?\"; echo openbox:; cat " + home + "/openbox.log");
  std::filesystem::remove_all(home);
  EXPECT_NE(out.find("exit 0"), std::string::npos) << out;
}

}  // namespace

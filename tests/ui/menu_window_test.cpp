// A form with a menu bar as a real window under a virtual X server: the bar
// strip is part of the window, a click on it opens the drop-down below it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/ui/testdriver.h"

namespace {

TEST(MenuWindow, BarClickedThroughTheRealWindow) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
  std::string exe = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/ui_menu_window";
  ASSERT_TRUE(std::filesystem::exists(exe));
  std::string shot = TUiTestDriver::ArtifactDir() + "/menu_window_xvfb.png";
  std::filesystem::remove(shot);
  std::string cmd = "env -u QT_QPA_PLATFORM timeout 60 xvfb-run -a " + exe + " " + shot + " >/dev/null 2>&1";
  int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 0);
  EXPECT_TRUE(std::filesystem::exists(shot));
}

}  // namespace

// The lookup combo in a real window under a virtual X server (skipped when
// xvfb-run is missing): its drop-down shows above the form and another
// window without taking the activation, and the form goes on taking keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ui/testdriver.h"
#include "tests/test_paths.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST(LookupComboX11, TheDropDownLiesAboveOtherWindowsAndTheFormStaysActive) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
  const fs::path dir = fs::path(testpaths::BinaryDir()) / "test-artifacts" / "lookup_x11";
  fs::remove_all(dir);
  fs::create_directories(dir);
  // A table of its own: the helper's engine shares no file with anyone.
  fs::copy_file(fs::path(testpaths::BinaryDir()) / "app" / "DATEN" / "BERUF.FFD", dir / "BERUF.FFD");
  const std::string exe = fs::read_symlink("/proc/self/exe").parent_path().string() + "/lookup_window";
  ASSERT_TRUE(fs::exists(exe));
  const std::string shot = TUiTestDriver::ArtifactDir() + "/lookup_combo_x11.png";
  fs::remove(shot);
  const std::string cmd = "env -u QT_QPA_PLATFORM timeout 90 xvfb-run -a " + exe + " " + dir.string() + " " + shot +
                          " 2>" + (dir / "stderr.txt").string();
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 0) << Read(dir / "stderr.txt");
  EXPECT_TRUE(fs::exists(shot));
}

}  // namespace

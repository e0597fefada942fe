// The demo form renders headless to PNG and opens as a real window under a
// virtual X server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/ui/demo_form.h"
#include "tests/ui/ui_test_util.h"

namespace {

TEST(Demo, RendersHeadlessToPng) {
  TUiTestDriver d;
  TDemoForm demo(Application);
  demo.form->Show();
  std::string path = d.SavePng(demo.form, "demo_form");
  EXPECT_TRUE(std::filesystem::file_size(path) > 1000);
  EXPECT_GT(demo.paint->paints, 0);
  // Spot checks: panel face, paint-box fill, the red circle in the middle.
  EXPECT_EQ(d.PixelAt(demo.toolbar, 200, 15), ColorToRGB(clBtnFace));
  EXPECT_EQ(d.PixelAt(demo.paint, 5, 5), clWhite);
  EXPECT_EQ(d.PixelAt(demo.paint, 30, 60), RGB(0xFF, 0xF0, 0xC0));
  TRect r = demo.paint->ClientRect();
  EXPECT_EQ(d.PixelAt(demo.paint, r.Right / 2 + 5, r.Bottom / 2 - 5), clRed);
  // The dark frame marks the button Enter presses: the focused button, or
  // the default one while no button has the focus.
  EXPECT_TRUE(demo.b1->Focused());
  EXPECT_EQ(d.PixelAt(demo.b1, 0, 10), ColorToRGB(clWindowFrame));
  EXPECT_NE(d.PixelAt(demo.ok, 0, 10), ColorToRGB(clWindowFrame));
  demo.paint->SetFocus();
  EXPECT_EQ(d.PixelAt(demo.ok, 0, 10), ColorToRGB(clWindowFrame));
  EXPECT_NE(d.PixelAt(demo.b1, 0, 10), ColorToRGB(clWindowFrame));
  demo.b1->SetFocus();
  TColor raised = d.PixelAt(demo.b1, 2, 2);
  d.MouseDown(demo.b1, 10, 10);
  EXPECT_TRUE(demo.b1->Pressed());
  d.SavePng(demo.form, "demo_form_pressed");
  EXPECT_NE(d.PixelAt(demo.b1, 2, 2), raised);  // the pressed face is drawn sunken
  d.MouseUp(demo.b1, 10, 10);
  EXPECT_EQ(d.PixelAt(demo.b1, 2, 2), raised);
  // Repainting only what changed: invalidating the paint box repaints it alone.
  int before = demo.paint->paints;
  demo.paint->Invalidate();
  d.Process();
  EXPECT_EQ(demo.paint->paints, before + 1);
  d.SavePng(demo.paint, "demo_paintbox");
  // Escape presses Abbruch through the dialog keys.
  d.WhenModal([&](TCustomForm&) { d.PressKey(VK_ESCAPE); });
  demo.form->Hide();
  EXPECT_EQ(demo.form->ShowModal(), mrCancel);
}

TEST(Demo, OpensAsARealWindowUnderXvfb) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
  // The window program is built beside this test.
  std::string exe = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/ui_demo_window";
  ASSERT_TRUE(std::filesystem::exists(exe));
  std::string shot = TUiTestDriver::ArtifactDir() + "/demo_window_xvfb.png";
  std::filesystem::remove(shot);
  std::string cmd = "env -u QT_QPA_PLATFORM timeout 60 xvfb-run -a " + exe + " " + shot + " >/dev/null 2>&1";
  int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 0);
  EXPECT_TRUE(std::filesystem::exists(shot));
}

}  // namespace

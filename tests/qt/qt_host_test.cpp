#include "platform/qt/qt_host.h"

#include <gtest/gtest.h>

#include <algorithm>

// The install step must give a working headless toolkit and the
// metric-compatible fonts the canvas maps the Windows names to.
TEST(QtHost, HeadlessPlatformWithFreeFonts) {
  EXPECT_EQ(qthost::PlatformName(), "offscreen");
  auto fam = qthost::FontFamilies();
  for (const char* want : {"Liberation Sans", "Liberation Serif", "Liberation Mono"})
    EXPECT_NE(std::find(fam.begin(), fam.end(), want), fam.end()) << want;
}

#include "platform/gfx/device.h"

// Starting the toolkit installs the graphics platform, so that the
// toolkit-free layers draw with real fonts.
TEST(QtHost, StartingTheToolkitInstallsGraphics) {
  qthost::EnsureGuiApplication();
  ASSERT_NE(GfxPlatform(), nullptr);
  EXPECT_EQ(&FontEngine(), &GfxPlatform()->Fonts());
  TFontRequest r;
  r.Name = "Arial";
  EXPECT_EQ(FontEngine().Realize(r)->Family, "Liberation Sans");
}

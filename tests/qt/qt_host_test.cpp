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

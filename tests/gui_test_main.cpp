// The main of every test program that links the windowing layer: the
// toolkit's window host is installed first (on the offscreen platform
// without a display), so forms work in any test; a TUiTestDriver replaces
// it with the headless host for its lifetime.
#include <gtest/gtest.h>

#include "platform/qt/qt_host.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qthost::InstallWindowHost();
  return RUN_ALL_TESTS();
}

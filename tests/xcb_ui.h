// The start of a helper program that a test runs under a virtual X server:
// the toolkit's window host and the windowing layer, on the X11 platform
// only (a program on another platform would test nothing).
#pragma once

#include <cstdio>

#include "platform/qt/qt_host.h"
#include "platform/qt/qt_window_host.h"
#include "platform/ui/forms.h"

// False, with the reason on stderr, when the platform is not X11.
inline bool StartXcbUi() {
  qthost::InstallWindowHost();
  InitUi();
  if (qthost::PlatformName() == "xcb") return true;
  std::fprintf(stderr, "platform is %s, not xcb\n", qthost::PlatformName().c_str());
  return false;
}

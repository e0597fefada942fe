// The installed window host (see windowhost.h).
#include "platform/ui/windowhost.h"

namespace {
TWindowHost* gHost = nullptr;
}

TWindowHost* SetWindowHost(TWindowHost* host) {
  TWindowHost* before = gHost;
  gHost = host;
  return before;
}

TWindowHost& WindowHost() {
  if (!gHost) throw EInvalidOperation("No window host is installed (the program installs the toolkit's, tests a driver)");
  return *gHost;
}

bool HasWindowHost() { return gHost != nullptr; }

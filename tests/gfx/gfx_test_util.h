// Helpers shared by the graphics tests: the toolkit started once, and the
// folder that receives the pictures the tests write.
#pragma once

#include <string>

#include "platform/qt/qt_host.h"

inline void StartGraphics() { qthost::EnsureGuiApplication(); }

inline std::string OutPath(const std::string& name) { return std::string(GFX_TEST_BINARY_DIR) + "/" + name; }

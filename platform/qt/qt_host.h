// The toolkit host: the one place that starts the toolkit's application
// object. Headless runs (tests, CI) get the offscreen platform.
#pragma once

#include <string>
#include <vector>

namespace qthost {

// Starts the toolkit once per process. Without a display (or when
// QT_QPA_PLATFORM says so) the offscreen platform is used. It also installs
// the toolkit's graphics platform (fonts, drawing devices, image coding,
// printing) for platform/gfx.
void EnsureGuiApplication();

// Installs the graphics platform (starting the toolkit when needed).
void InstallGraphics();

// Installs the toolkit's window host for the windowing layer (starting the
// toolkit and its graphics platform when needed). The program calls it
// before the application object starts; so does the main of GUI tests.
void InstallWindowHost();

// Name of the window-system platform in use ("offscreen", "xcb", ...).
std::string PlatformName();

// Font families the toolkit can draw with.
std::vector<std::string> FontFamilies();

}  // namespace qthost

// What the real-program tests compare: the pictures a user program grabbed
// from the virtual X server (P6 files) against the windows built headless,
// and the helpers that start the user programs beside the test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "tests/app/app_fixture.h"
#include "tests/shell_helpers.h"

namespace x11test {

using testshell::Have;

namespace fs = std::filesystem;

inline std::string Beside(const char* name) {
  return (fs::read_symlink("/proc/self/exe").parent_path() / name).string();
}

// A P6 picture as a surface (empty when unreadable).
inline TSurface ReadPpm(const fs::path& path) {
  TSurface s;
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  if (!(f >> magic >> w >> h >> max) || magic != "P6" || max != 255) return s;
  f.get();
  s.Resize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char rgb[3] = {};
      f.read(reinterpret_cast<char*>(rgb), 3);
      s.Row(y)[x] = 0xFF000000u | (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
    }
  return s;
}

// The part `r` (form client co-ordinates) of what a form built here shows,
// as a P6 file that a user program waits to see at its place in the real
// window (below the menu bar: "# at X Y").
inline void WriteExpected(const TSurface& own, int bar, const TRect& r, const fs::path& path) {
  std::ofstream f(path, std::ios::binary);
  f << "P6\n# at " << r.Left << " " << r.Top + bar << "\n" << r.Width() << " " << r.Height() << "\n255\n";
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      const std::uint32_t px = own.Row(y)[x];
      const char rgb[3] = {static_cast<char>(px >> 16), static_cast<char>(px >> 8), static_cast<char>(px)};
      f.write(rgb, 3);
    }
}

inline void SavePng(const TSurface& s, const std::string& name) {
  const std::vector<std::uint8_t> png = GfxPlatform()->EncodePng(s);
  std::ofstream(TUiTestDriver::ArtifactDir() + "/" + name + ".png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

// Pixels of `r` (form client co-ordinates) that differ between the grabbed
// window (menu bar of `bar` pixels on top) and what the form showed here.
inline int Differences(const TSurface& grabbed, const TSurface& own, int bar, const TRect& r) {
  int diff = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (y + bar >= grabbed.Height() || x >= grabbed.Width() ||
          (grabbed.Row(y + bar)[x] | 0xFF000000u) != (own.Row(y)[x] | 0xFF000000u))
        ++diff;
  return diff;
}

// The same against the form's own back buffer as it is now.
inline int Differences(const TSurface& grabbed, TCustomForm* form, const TRect& r) {
  form->PaintPending();
  return Differences(grabbed, *form->Surface(), form->MenuBarHeight(), r);
}

// A program directory of the real program: the binary, its reference data
// and the settings file.
inline fs::path ProgramCopy(const std::string& name, const std::string& ini) {
  const fs::path dir = fs::path(testpaths::BinaryDir()) / "test-artifacts" / "app_main" / name;
  fs::remove_all(dir);
  fs::create_directories(dir / "DATEN");
  apptest::PlaceProgram(dir);
  for (const auto& e : fs::directory_iterator(apptest::BuiltProgramDir() / "DATEN"))
    fs::copy_file(e.path(), dir / "DATEN" / e.path().filename());
  apptest::Put(dir / "Orvelan.Ini", ini);
  return dir;
}

}  // namespace x11test

// Test fixture of the main window: a program directory with the reference
// data and templates the build made, the settings loaded and the user's
// tables created as at a full start, and helpers that save what the user
// sees (the window with a menu dropped down included) as PNG.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>

#include "app/base/userdb.h"
#include "app/main/mainwin.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "platform/gfx/device.h"
#include "platform/ui/menus.h"
#include "tests/app/app_fixture.h"
#include "tests/data/data_helpers.h"

namespace maintest {

namespace fs = std::filesystem;

// The persons born (which 0) or died (which 1) on each day, by month and
// day, read straight from the PERSON table.
inline std::map<std::pair<int, int>, int> PersonsPerDay(int which) {
  datatest::TTableReader t((apptest::BuiltProgramDir() / "DATEN").string(), "PERSON");
  const char* m = which == 0 ? "PERS_GEBM" : "PERS_TODM";
  const char* d = which == 0 ? "PERS_GEBT" : "PERS_TODT";
  std::map<std::pair<int, int>, int> out;
  for (bool ok = t.First(); ok; ok = t.Next())
    if (t.Int(m) > 0 && t.Int(d) > 0) ++out[{static_cast<int>(t.Int(m)), static_cast<int>(t.Int(d))}];
  return out;
}

// The day with the most persons of a count by day.
template <class Map>
typename Map::const_iterator Busiest(const Map& perDay) {
  return std::max_element(perDay.begin(), perDay.end(), [](auto& a, auto& b) { return a.second < b.second; });
}

class MainWindowTest : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    // Every reference table: the window opens the day pages' tables too.
    fs::create_directories(Root() / "DATEN");
    for (const auto& e : fs::directory_iterator(apptest::BuiltProgramDir() / "DATEN"))
      fs::copy_file(e.path(), Root() / "DATEN" / e.path().filename());
    CopyDefaultTemplates();
  }
  void TearDown() override {
    delete frmMain;
    ProgramDirTest::TearDown();
  }

  // Settings (with an ini text written first when given), the user's
  // tables, then the main window made and shown as the program block does.
  TfrmMain* Start(const std::string& ini = "") {
    if (!ini.empty()) apptest::Put(Ini(), ini);
    InitColorTable();
    LoadSettings();
    CreateUserDatabase();
    TfrmMain* f = nullptr;
    Application->CreateForm(f);
    f->Show();
    driver.Process();
    return f;
  }

  // The user picks a day in the calendar; the page follows after the debounce.
  void ShowDay(TfrmMain* f, TDateTime day) {
    f->Kalender->SetDate(day);
    f->Kalender->OnDateChange(f->Kalender);
    driver.Advance(400);
  }

  // The window as the screen shows it, with the open menu windows drawn
  // over it at their places.
  static std::string SaveScreen(TCustomForm* form, const std::string& name) {
    form->PaintPending();
    const TSurface* base = form->WindowSurface() ? form->WindowSurface() : form->Surface();
    const TPoint origin{form->ClientOrigin().X, form->ClientOrigin().Y - form->MenuBarHeight()};
    TSurface out;
    out.Resize(base->Width(), base->Height());
    for (int y = 0; y < base->Height(); ++y) std::copy_n(base->Row(y), base->Width(), out.Row(y));
    int right = base->Width(), bottom = base->Height();
    for (TCustomForm* m : OpenMenuWindows()) {
      right = std::max(right, m->Left() - origin.X + m->Width());
      bottom = std::max(bottom, m->Top() - origin.Y + m->Height());
    }
    out.Resize(std::max(right, out.Width()), std::max(bottom, out.Height()));
    for (TCustomForm* m : OpenMenuWindows()) {
      m->PaintPending();
      const TSurface* s = m->Surface();
      const int ox = m->Left() - origin.X, oy = m->Top() - origin.Y;
      for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x)
          if (ox + x >= 0 && oy + y >= 0 && ox + x < out.Width() && oy + y < out.Height())
            out.Row(oy + y)[ox + x] = s->Row(y)[x];
    }
    const std::vector<std::uint8_t> png = GfxPlatform()->EncodePng(out);
    const std::string path = TUiTestDriver::ArtifactDir() + "/" + name + ".png";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                static_cast<std::streamsize>(png.size()));
    return path;
  }
};

}  // namespace maintest

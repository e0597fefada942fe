// The real program under a virtual X server (skipped when xvfb-run is
// missing): a user goes through every entry of every menu with the keyboard
// (the list made from the main window's own menus, so that no entry is
// left out), each window that opens is grabbed, asked for help with F1 (it
// shows the same German "no help file" message as "Hilfe" › "Inhalt",
// pixel for pixel) and closed again with Escape (the saying window, which
// stays beside the main window, too); the last entry
// ("Beenden") ends the program. No entry is disabled. The buttons inside
// each window are walked headless (walk_test.cpp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "app/windows/saying.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/menus.h"
#include "tests/app_main/main_fixture.h"
#include "tests/app_main/x11_screen.h"

namespace {

using namespace x11test;

using maintest::MainWindowTest;

std::string Numbered(const char* stem, size_t n, const char* tail) {
  char name[48];
  std::snprintf(name, sizeof name, "%s%02zu%s", stem, n, tail);
  return name;
}

bool SamePicture(const TSurface& a, const TSurface& b) {
  if (a.Empty() || a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if ((a.Row(y)[x] | 0xFF000000u) != (b.Row(y)[x] | 0xFF000000u)) return false;
  return true;
}

std::string Repeat(const std::string& word, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += " " + word;
  return s;
}

TEST_F(MainWindowTest, EveryMenuEntryOfTheRealProgramOpensItsWindowAndEscapeClosesIt) {
  if (!Have("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";
  const std::string ini = "[HAUPTFENSTER]\r\nLinks=0\r\nOben=0\r\n";
  TfrmMain* f = Start(ini);

  // The plan: every selectable entry by the keys that reach it, "Beenden" last.
  struct Entry {
    TMenuItem* Item;
    std::string Keys;
  };
  std::vector<Entry> entries;
  Entry exit{};
  TMenuItem* bar = f->mnuMain->Items();
  for (int i = 0; i < bar->Count(); ++i) {
    int j = 0;
    for (int c = 0; c < bar->Items(i)->Count(); ++c) {
      TMenuItem* item = bar->Items(i)->Items(c);
      if (!item->Visible() || item->IsLine()) continue;
      // Down opens the menu on its first entry.
      const std::string path = Repeat("right", i) + " down" + Repeat("down", j++);
      if (item->Count() == 0) {
        (item == f->mnpExit ? exit : entries.emplace_back()) = {item, path};
        continue;
      }
      int k = 0;
      for (int s = 0; s < item->Count(); ++s)
        if (item->Items(s)->Visible() && !item->Items(s)->IsLine())
          entries.push_back({item->Items(s), path + " right" + Repeat("down", k++)});  // Right chooses the first
    }
  }
  ASSERT_NE(exit.Item, nullptr);
  ASSERT_GT(entries.size(), 35u);

  // Entries that act on the main window itself: the rubrics and the moves of the date.
  const std::set<TMenuItem*> inPlace = {f->mnpLeer,       f->mnpEige,      f->mnpPGeb,       f->mnpPTod,
                                        f->mnpErei,       f->mnpName,      f->mnpFTag,       f->mnpTagPlus,
                                        f->mnpTagMinus,   f->mnpWochePlus, f->mnpWocheMinus, f->mnpMonatPlus,
                                        f->mnpMonatMinus, f->mnpJahrPlus,  f->mnpJahrMinus,  f->mnpHeute};
  const fs::path dir = fs::path(testpaths::BinaryDir()) / "test-artifacts" / "app_dialogs" / "x11_menus";
  fs::remove_all(dir);
  fs::create_directories(dir / "DATEN");
  fs::copy_file(apptest::BuiltProgramDir() / "orvelan", dir / "orvelan");
  for (const auto& e : fs::directory_iterator(apptest::BuiltProgramDir() / "DATEN"))
    fs::copy_file(e.path(), dir / "DATEN" / e.path().filename());
  apptest::Put(dir / "Orvelan.Ini", ini);
  {
    std::ofstream plan(dir / "plan.txt");
    for (const Entry& e : entries)
      plan << e.Item->Name() << "\t" << e.Keys << "\t"
           << (e.Item == f->mnpInhalt                        ? "box"
               : e.Item->Enabled() && !inPlace.count(e.Item) ? "window"
                                                             : "none")
           << "\n";
    plan << exit.Item->Name() << "\t" << exit.Keys << "\tnone\n";
  }
  const std::string cmd = "env -u QT_QPA_PLATFORM timeout 200 xvfb-run -a " + Beside("orvelan_x11_menus_user") + " " +
                          (dir / "orvelan").string() + " " + dir.string() + " " + (dir / "plan.txt").string() + " 2>" +
                          (dir / "stderr.txt").string();
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  ASSERT_EQ(WEXITSTATUS(rc), 0) << apptest::Slurp(dir / "stderr.txt");

  std::map<std::string, std::string> shown;
  {
    std::ifstream result(dir / "result.txt");
    for (std::string line; std::getline(result, line);)
      if (const size_t tab = line.find('\t'); tab != std::string::npos)
        shown[line.substr(0, tab)] = line.substr(tab + 1);
  }
  // The windows of this program's settings and printed lists, by entry.
  const std::map<TMenuItem*, std::string> windows = {{f->mnpTagebuch, "Tagebuch"},
                                                     {f->mnpGebListe, "Geburtstagsliste"},
                                                     {f->mnpGebUebersicht, "Geburtstagsübersicht"},
                                                     {f->mnpEigeDisp, "Darstellung: Persönliche Daten"},
                                                     {f->mnpPGebDisp, "Darstellung: Geburtstage"},
                                                     {f->mnpPTodDisp, "Darstellung: Todestage"},
                                                     {f->mnpEreiDisp, "Darstellung: Ereignisse"},
                                                     {f->mnpNameDisp, "Darstellung: Namenstage"},
                                                     {f->mnpFTagDisp, "Darstellung: Feiertage"},
                                                     {f->mnpParams, "Parameter"},
                                                     {f->mnpDatum, "Datum eingeben"}};
  // The help message as "Inhalt" shows it: every window's F1 shows the same.
  TSurface help;
  for (size_t n = 0; n < entries.size(); ++n)
    if (entries[n].Item == f->mnpInhalt) help = ReadPpm(dir / Numbered("entry", n, ".ppm"));
  ASSERT_FALSE(help.Empty());
  int helped = 0;
  for (size_t n = 0; n < entries.size(); ++n) {
    TMenuItem* item = entries[n].Item;
    const std::string name = item->Name();
    SCOPED_TRACE(name);
    ASSERT_TRUE(shown.count(name)) << "the user reached every entry";
    const TSurface grabbed = ReadPpm(dir / Numbered("entry", n, ".ppm"));
    ASSERT_FALSE(grabbed.Empty());
    SavePng(grabbed, "x11_menu_" + std::to_string(n) + "_" + name);
    EXPECT_TRUE(item->Enabled()) << "disabled";
    if (shown[name].find("\thelp") != std::string::npos) {
      ++helped;
      const TSurface box = ReadPpm(dir / Numbered("entry", n, "_help.ppm"));
      EXPECT_TRUE(SamePicture(box, help)) << "F1 brought another message";
      shown[name].erase(shown[name].find("\thelp"), 5);
    } else {
      EXPECT_TRUE(inPlace.count(item) || item == f->mnpInhalt) << "F1 brought no message";
    }
    if (inPlace.count(item)) {
      EXPECT_EQ(shown[name], "-");
    } else if (windows.count(item)) {
      EXPECT_EQ(shown[name], windows.at(item));
    } else if (item == f->mnpSpruch) {
      // The saying window stays beside the main window; Escape closes it.
      EXPECT_EQ(shown[name], Cp1252ToUtf8(SayingCaption(SayingType)));
    } else {
      EXPECT_NE(shown[name], "-") << "an entry that opens a window";
      EXPECT_EQ(shown[name].find("\tclosed"), std::string::npos) << "Escape closes it";
    }
  }
  EXPECT_GE(helped, 20) << "windows that answered F1";
  for (TExplorerButton* b :
       {f->pbLeer, f->pbEige, f->pbPGeb, f->pbPTod, f->pbErei, f->pbName, f->pbFTag, f->pbExit, f->pbHelp, f->pbInfo})
    EXPECT_TRUE(b->Enabled()) << b->Name();
}

}  // namespace

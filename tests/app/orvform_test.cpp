// The base window: its placement kept in its section of "Orvelan.Ini"
// survives a restart, comes back on the screen, keeps the last normal
// placement while maximised or minimised, and fixed-border windows keep no
// size; the column widths of its data grids come back with it, and its
// grids' last columns can be stretched to fill them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

#include "app/base/orvform.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "dbcontrols/grid/wwgrid.h"
#include "tests/app/app_fixture.h"

namespace {

using apptest::Put;

class BaseWindow : public apptest::ProgramDirTest {
 protected:
  // A window as the program makes one: key and help context at creation,
  // placement read when shown and written when hidden.
  TOrvelanForm* Make(TFormBorderStyle border = bsSizeable, int width = 200, int height = 150) {
    auto* f = new TOrvelanForm(Application);
    f->SetFormKey("TESTFENSTER");
    f->SetHelpContext(42);
    f->SetBorderStyle(border);
    f->SetBounds(0, 0, width, height);
    f->OnShow = [f](TObject*) { f->ReadPosition(); };
    f->OnHide = [f](TObject*) { f->WritePosition(); };
    return f;
  }
  TIniFile IniFile() { return TIniFile(Ini().string()); }
};

TEST_F(BaseWindow, PlacementSurvivesARestart) {
  TOrvelanForm* f = Make();
  f->Show();
  EXPECT_EQ(f->Left(), (Screen->Width() - 200) / 2);  // nothing stored: centred
  EXPECT_EQ(f->Top(), (Screen->Height() - 150) / 2);
  f->SetBounds(120, 70, 420, 310);
  f->Hide();
  delete f;

  // The program ends and starts again: a new window of the same key.
  TOrvelanForm* again = Make();
  again->Show();
  EXPECT_EQ(again->Left(), 120);
  EXPECT_EQ(again->Top(), 70);
  EXPECT_EQ(again->Width(), 420);
  EXPECT_EQ(again->Height(), 310);
  EXPECT_EQ(again->HelpContext(), 42);
  TIniFile ini = IniFile();
  EXPECT_FALSE(ini.ReadBool("TESTFENSTER", "Maximiert", true));
  EXPECT_EQ(ini.ReadInteger("TESTFENSTER", "Links", 0), 120);
  struct stat st {};
  ASSERT_EQ(::stat(Ini().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // the settings file holds the password
}

TEST_F(BaseWindow, StoredPlacementIsPulledOntoTheScreen) {
  Put(Ini(), "[TESTFENSTER]\r\nLinks=2000\r\nOben=-40\r\nBreite=300\r\nHoehe=200\r\n");
  TOrvelanForm* f = Make();
  f->Show();
  EXPECT_EQ(f->Left() + f->Width(), Screen->Width());  // right edge on the screen's right edge
  EXPECT_EQ(f->Top(), 0);
  f->Hide();
  Put(Ini(), "[TESTFENSTER]\r\nLinks=-10\r\nOben=700\r\nBreite=2000\r\nHoehe=300\r\n");
  f->Show();
  EXPECT_EQ(f->Left(), 0);  // wider than the screen: the left edge wins
  EXPECT_EQ(f->Top() + f->Height(), Screen->Height());
  EXPECT_EQ(f->Width(), Screen->Width());
  f->Hide();
  // A size no screen holds (its back buffer alone would exhaust the memory)
  // or one without area: the window keeps a size it can have.
  Put(Ini(), "[TESTFENSTER]\r\nBreite=2000000000\r\nHoehe=2000000000\r\n");
  f->Show();
  EXPECT_EQ(f->Width(), Screen->Width());
  EXPECT_EQ(f->Height(), Screen->Height());
  f->Hide();
  Put(Ini(), "[TESTFENSTER]\r\nBreite=-5\r\nHoehe=0\r\n");
  TOrvelanForm* g = Make();
  g->Show();
  EXPECT_EQ(g->Width(), 200);  // the size it was made with
  EXPECT_EQ(g->Height(), 150);
}

TEST_F(BaseWindow, MaximisedAndMinimisedKeepTheLastNormalPlacement) {
  TOrvelanForm* f = Make();
  f->Show();
  f->SetBounds(50, 60, 300, 200);
  f->Hide();
  f->Show();
  f->SetWindowState(wsMaximized);
  f->Hide();
  TIniFile ini = IniFile();
  EXPECT_TRUE(ini.ReadBool("TESTFENSTER", "Maximiert", false));
  EXPECT_EQ(ini.ReadInteger("TESTFENSTER", "Links", 0), 50);
  EXPECT_EQ(ini.ReadInteger("TESTFENSTER", "Oben", 0), 60);
  EXPECT_EQ(ini.ReadInteger("TESTFENSTER", "Breite", 0), 300);
  delete f;

  TOrvelanForm* again = Make();
  again->Show();
  EXPECT_EQ(again->WindowState(), wsMaximized);
  again->SetWindowState(wsNormal);
  EXPECT_EQ(again->BoundsRect(), Bounds(50, 60, 300, 200)) << "un-maximised where it was stored";
  again->SetBounds(70, 80, 310, 210);
  again->SetWindowState(wsMinimized);
  again->Hide();
  TIniFile after = IniFile();
  EXPECT_FALSE(after.ReadBool("TESTFENSTER", "Maximiert", true));
  EXPECT_EQ(after.ReadInteger("TESTFENSTER", "Links", 0), 50);  // minimised: not written
  EXPECT_EQ(after.ReadInteger("TESTFENSTER", "Breite", 0), 300);
}

TEST_F(BaseWindow, FixedBorderKeepsNoSize) {
  Put(Ini(), "[TESTFENSTER]\r\nLinks=10\r\nOben=20\r\nBreite=700\r\nHoehe=700\r\n");
  TOrvelanForm* f = Make(bsDialog, 250, 120);
  f->Show();
  EXPECT_EQ(f->Left(), 10);
  EXPECT_EQ(f->Top(), 20);
  EXPECT_EQ(f->Width(), 250);
  EXPECT_EQ(f->Height(), 120);
  Put(Ini(), "");
  f->Hide();
  TIniFile ini = IniFile();
  EXPECT_TRUE(ini.ValueExists("TESTFENSTER", "Links"));
  EXPECT_FALSE(ini.ValueExists("TESTFENSTER", "Breite"));
  EXPECT_FALSE(ini.ValueExists("TESTFENSTER", "Hoehe"));
}

TEST_F(BaseWindow, IntegersOfTheWindowsSection) {
  TOrvelanForm* f = Make();
  f->SetFormKey("EIN SEHR LANGER SCHLUESSEL FUER DIESES FENSTER");
  EXPECT_EQ(f->FormKey().size(), 31u);
  EXPECT_EQ(f->ReadIntegerParam("Splitter", 180), 180);
  f->WriteIntegerParam("Splitter", 240);
  EXPECT_EQ(f->ReadIntegerParam("Splitter", 180), 240);
  EXPECT_EQ(IniFile().ReadInteger("EIN SEHR LANGER SCHLUESSEL FUER", "Splitter", 0), 240);
  EXPECT_EQ(GridColumnKey("gridLage", 0), "gridLage Col. 0");
  EXPECT_EQ(GridColumnKey("gridPers", 12), "gridPers Col. 12");
}

// The window of the place table: two data grids on one source, one with
// the indicator column, one without.
class GridWindow : public BaseWindow {
 protected:
  void SetUp() override {
    BaseWindow::SetUp();
    CopyReferenceData();
    LoadSettings();
    source = std::make_unique<TwwDataSource>(nullptr);
    source->SetDataSet(PlaceTable);
  }
  void TearDown() override {
    source.reset();
    BaseWindow::TearDown();
  }
  TOrvelanForm* MakeWindow() {
    TOrvelanForm* f = Make(bsSizeable, 600, 420);
    lage = AddGrid(f, "gridLage", 8, true);
    orte = AddGrid(f, "gridOrte", 200, false);
    return f;
  }
  TwwDBGrid* AddGrid(TOrvelanForm* f, const char* name, int top, bool indicator) {
    auto* g = new TwwDBGrid(f);
    g->SetName(name);
    g->SetParent(f);
    g->SetBounds(8, top, 560, 180);
    g->SetUseTFields(false);
    if (!indicator) g->SetOptions(g->Options() & ~dgIndicator);
    TStringList columns;
    columns.Add("ORTE_ID\t6\tNr.");
    columns.Add("ORTE_NAME\t20\tOrt");
    columns.Add("ORTE_ATTR\t10\tArt");
    g->SetSelected(&columns);
    g->SetDataSource(source.get());
    return g;
  }
  static std::vector<int> Widths(const TwwDBGrid* g) {
    std::vector<int> w;
    for (int n = 0; n < g->GetColCount(); ++n) w.push_back(g->ColWidths(n));
    return w;
  }

  std::unique_ptr<TwwDataSource> source;
  TwwDBGrid* lage = nullptr;
  TwwDBGrid* orte = nullptr;
};

TEST_F(GridWindow, ColumnWidthsSurviveARestart) {
  TOrvelanForm* f = MakeWindow();
  f->Show();
  driver.Process();
  ASSERT_EQ(lage->GetColCount(), 4);  // indicator and three data columns
  ASSERT_EQ(orte->GetColCount(), 3);
  lage->SetColWidths(1, 44);
  lage->SetColWidths(2, 230);
  orte->SetColWidths(2, 150);
  const std::vector<int> lageWidths = Widths(lage), orteWidths = Widths(orte);
  f->Hide();
  {
    TIniFile ini = IniFile();
    for (int n = 0; n < 4; ++n)
      EXPECT_EQ(ini.ReadInteger("TESTFENSTER", "gridLage Col. " + IntToStr(n), -1), lageWidths[n]) << n;
    for (int n = 0; n < 3; ++n)
      EXPECT_EQ(ini.ReadInteger("TESTFENSTER", "gridOrte Col. " + IntToStr(n), -1), orteWidths[n]) << n;
    EXPECT_FALSE(ini.ValueExists("TESTFENSTER", "gridOrte Col. 3"));
  }
  delete f;

  // The next start: every column as it was left, each grid under its own
  // name.
  f = MakeWindow();
  f->Show();
  driver.Process();
  EXPECT_EQ(Widths(lage), lageWidths);
  EXPECT_EQ(Widths(orte), orteWidths);
  driver.SavePng(f, "app_base_window_grids");

  // A column without a stored width keeps the one it has; a window hidden
  // while minimised still stores its grids.
  f->Hide();
  Put(Ini(), "[TESTFENSTER]\r\ngridOrte Col. 0=70\r\n");
  f->Show();
  EXPECT_EQ(Widths(orte), (std::vector<int>{70, orteWidths[1], orteWidths[2]}));
  orte->SetColWidths(1, 99);  // the grid keeps it in whole characters
  const int narrowed = orte->ColWidths(1);
  ASSERT_NE(narrowed, orteWidths[1]);
  f->SetWindowState(wsMinimized);
  f->Hide();
  EXPECT_EQ(IniFile().ReadInteger("TESTFENSTER", "gridOrte Col. 1", -1), narrowed);
  EXPECT_FALSE(IniFile().ValueExists("TESTFENSTER", "Links"));
}

// Every number of the settings file at an end of the integer range, as a
// damaged or edited file may hold them: each is read into its range, and
// the window's placement and its grids' column widths into the screen's,
// so that no window or grid computes beyond the integer range.
TEST_F(GridWindow, NumbersAtTheEndsOfTheIntegerRangeAreBoundWhenRead) {
  auto ini = OpenSettingsFile();
  WriteSettingsFile(*ini);
  TStringList sections, keys;
  ini->ReadSections(&sections);
  int n = 0, value = 0;
  for (int i = 0; i < sections.Count(); ++i) {
    ini->ReadSection(sections.Strings(i), &keys);
    for (int k = 0; k < keys.Count(); ++k)
      if (TryStrToInt(ini->ReadString(sections.Strings(i), keys.Strings(k), ""), value))
        ini->WriteString(sections.Strings(i), keys.Strings(k), n++ % 2 ? "2147483647" : "-2147483648");
  }
  ReadSettingsFile(*ini);
  WriteSettingsFile(*ini);  // what was read
  const std::string text = apptest::Slurp(Ini());
  EXPECT_EQ(text.find("2147483647"), std::string::npos) << text;
  EXPECT_EQ(text.find("2147483648"), std::string::npos) << text;
  for (const char* key : {"Oben", "Breite", "gridLage Col. 1", "gridOrte Col. 0"})
    ini->WriteString("TESTFENSTER", key, "2147483647");
  for (const char* key : {"Links", "Hoehe", "gridLage Col. 2", "gridOrte Col. 2"})
    ini->WriteString("TESTFENSTER", key, "-2147483648");
  TOrvelanForm* f = MakeWindow();
  f->Show();
  EXPECT_TRUE(f->Left() >= 0 && f->Left() + f->Width() <= Screen->Width());
  EXPECT_TRUE(f->Top() >= 0 && f->Top() + f->Height() <= Screen->Height());
  for (TwwDBGrid* g : {lage, orte})
    for (int w : Widths(g)) EXPECT_TRUE(w >= 0 && w <= Screen->Width()) << g->Name() << " " << w;
}

TEST_F(GridWindow, LastColumnsStretchOnlyInTheActiveWindow) {
  TOrvelanForm* f = MakeWindow();
  f->Show();
  driver.Process();
  const std::vector<int> before = Widths(lage);
  // Another window in front: nothing changes.
  TForm* other = new TForm(Application);
  other->SetBounds(620, 500, 150, 100);
  other->Show();
  driver.Process();
  ASSERT_FALSE(f->Active());
  f->OptimizeGrids();
  EXPECT_EQ(Widths(lage), before);
  // A click brings it back to the front.
  driver.Click(f, 590, 410);
  driver.Process();
  ASSERT_TRUE(f->Active());
  f->OptimizeGrids();
  for (TwwDBGrid* g : {lage, orte}) {
    int total = 0;
    for (int n = 0; n < g->GetColCount(); ++n) total += g->ColWidths(n) + g->GridLineWidth();
    EXPECT_EQ(total, g->ClientWidth() - 3 + g->GridLineWidth()) << g->Name();
  }
  // Only the last column grew.
  const std::vector<int> after = Widths(lage);
  EXPECT_EQ(std::vector<int>(after.begin(), after.end() - 1), std::vector<int>(before.begin(), before.end() - 1));
  EXPECT_GT(after.back(), before.back());
  driver.SavePng(f, "app_base_window_stretched");
  delete other;
}

}  // namespace

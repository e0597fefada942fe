// The data-aware grid on a table of 100 000 places: painting one screen of
// a 40-row grid, and scrolling it by a page (the dataset moves by 40
// records, the grid moves its rows and paints what came in), each step
// painted as the window would show it.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/grid/wwdbgrid.h"
#include "dbengine/dictionary.h"
#include "dbengine/engine.h"
#include "platform/qt/qt_host.h"
#include "platform/ui/testdriver.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRecords = 100000;
constexpr int kRows = 40;

struct BenchTable {
  fs::path dir;
  BenchTable() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    dir = base / ("wwgridbench_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    TffDataDictionary d(8192);
    d.AddField("ORTE_ID", "", fftInt32, 0, 0, true);
    d.AddField("ORTE_NAME", "", fftShortString, 40, 0, false);
    d.AddField("ORTE_ATTR", "", fftShortString, 20, 0, false);
    d.AddField("ORTE_DISPATTR", "", fftBoolean, 0, 0, false);
    d.AddIndex("XPKORTE", "", 0, {0}, false, true, false);
    const std::string path = (dir / "ORTE.FFD").string();
    TffTable::Create(path, d, true);
    auto t = TffTable::Open(path);
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> rec(static_cast<size_t>(t->Dictionary().RecordLength()));
    static const char* const names[] = {"Frankfurt am Main", "Weimar", "Marbach am Neckar", "Kamenz", "Braunschweig",
                                        "Lauffen am Neckar", "Oberwiederstedt", "Frankfurt (Oder)"};
    t->StartTransaction();
    for (int i = 0; i < kRecords; ++i) {
      FFInitRecord(t->Dictionary(), rec.data());
      FFSetFieldInt(t->Dictionary(), rec.data(), 0, i + 1);
      FFSetFieldString(t->Dictionary(), rec.data(), 1, AnsiString(names[i % 8]) + " " + std::to_string(i));
      FFSetFieldString(t->Dictionary(), rec.data(), 2, i % 3 ? "Stadt" : "Dorf");
      FFSetFieldInt(t->Dictionary(), rec.data(), 3, i % 2);
      c->InsertRecord(rec.data());
    }
    t->Commit();
    Session->AddStandardAlias("WWGRIDBENCH", dir.string());
  }
  ~BenchTable() {
    Session->Close();
    Session->DeleteAlias("WWGRIDBENCH");
    fs::remove_all(dir);
  }
};

BenchTable& Table() {
  static BenchTable t;
  return t;
}

// A form with a grid of 40 visible rows over the table, the first record
// current and the whole grid painted once.
struct Screen {
  TUiTestDriver driver;
  std::unique_ptr<TwwTable> table = std::make_unique<TwwTable>(nullptr);
  std::unique_ptr<TwwDataSource> source = std::make_unique<TwwDataSource>(nullptr);
  TForm* form = new TForm(Application);
  TwwCustomDBGrid* grid = new TwwCustomDBGrid(form);

  explicit Screen(bool checkBoxes) {
    Table();
    table->SetDatabaseName("WWGRIDBENCH");
    table->SetTableName("ORTE.FFD");
    table->SetIndexName("XPKORTE");
    table->Open();
    if (checkBoxes) {
      TStringList types;
      types.Add("ORTE_DISPATTR;CheckBox;True;False");
      table->SetControlType(&types);
    }
    source->SetDataSet(table.get());
    grid->SetParent(form);
    grid->SetUseTFields(false);
    TStringList columns;
    columns.Add("ORTE_ID\t6\tNr.");
    columns.Add("ORTE_NAME\t28\tOrt");
    columns.Add("ORTE_ATTR\t10\tArt");
    columns.Add("ORTE_DISPATTR\t6\tAnzeigen");
    grid->SetSelected(&columns);
    form->SetClientSize(560, 300);
    grid->SetBounds(0, 0, 560, 300);
    form->Show();
    grid->SetDataSource(source.get());
    // Height for exactly 40 rows below the title.
    const int extra = grid->Height() - grid->ClientHeight();
    const int rowStep = grid->DefaultRowHeight() + grid->GridLineWidth();
    const int height = grid->RowHeights(0) + grid->GridLineWidth() + kRows * rowStep + extra;
    form->SetClientSize(560, height);
    grid->SetBounds(0, 0, 560, height);
    grid->SetFocus();
    driver.Process();
  }
  ~Screen() {
    grid->SetDataSource(nullptr);
    form->Free();
  }
};

void BM_GridPaintScreen(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qthost::InstallGraphics();
  Screen s(state.range(0) != 0);
  if (s.grid->VisibleRowCount() != kRows) state.SkipWithError("the grid does not show 40 rows");
  for (auto _ : state) {
    s.grid->Invalidate();
    s.form->PaintPending();
  }
  state.counters["rows"] = s.grid->VisibleRowCount();
}
BENCHMARK(BM_GridPaintScreen)->Arg(0)->Arg(1)->ArgName("checkboxes")->Unit(benchmark::kMicrosecond);

// Page down through the table; at its end back to the start (outside the
// timing).
void BM_GridScrollPage(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qthost::InstallGraphics();
  Screen s(state.range(0) != 0);
  if (s.grid->VisibleRowCount() != kRows) state.SkipWithError("the grid does not show 40 rows");
  int steps = 0;
  for (auto _ : state) {
    s.grid->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    s.form->PaintPending();
    ++steps;
    if (s.table->Eof()) {
      state.PauseTiming();
      s.table->First();
      s.form->PaintPending();
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(steps);
}
BENCHMARK(BM_GridScrollPage)->Arg(0)->Arg(1)->ArgName("checkboxes")->Unit(benchmark::kMicrosecond);

// One record down at the bottom of the grid: one row comes in.
void BM_GridScrollLine(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qthost::InstallGraphics();
  Screen s(false);
  s.table->MoveBy(kRows - 1);
  s.form->PaintPending();
  for (auto _ : state) {
    s.grid->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    s.form->PaintPending();
    if (s.table->Eof()) {
      state.PauseTiming();
      s.table->First();
      s.table->MoveBy(kRows - 1);
      s.form->PaintPending();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_GridScrollLine)->Unit(benchmark::kMicrosecond);

}  // namespace

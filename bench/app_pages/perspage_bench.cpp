// The births page of the day with the most births, rebuilt as the main
// window's page frame does it (control emptied, builder, page laid out and
// painted, cursor to the start) in a shown window on the built reference
// data.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <map>

#include "app/pages/perspage.h"
#include "app/settings/datasetup.h"
#include "platform/db/dbtables.h"
#include "platform/qt/qt_host.h"
#include "platform/rtl/files.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "tests/test_paths.h"

namespace {

namespace fs = std::filesystem;

// A program directory of its own with the built reference data, removed
// again at the end.
struct ProgramDirectory {
  fs::path root = fs::temp_directory_path() / ("orvbench_" + std::to_string(::getpid()));
  ProgramDirectory() {
    fs::remove_all(root);
    fs::create_directories(root / "DATEN");
    fs::copy(fs::path(testpaths::BinaryDir()) / "app" / "DATEN", root / "DATEN", fs::copy_options::recursive);
    SetProgramDirectory(root.string() + "/");
    ProgramDir = root.string() + "/";
    LoadSettings();
  }
  ~ProgramDirectory() {
    ReleaseData();
    Session->Close();
    SetProgramDirectory("");
    fs::remove_all(root);
  }
};

std::unique_ptr<TwwTable> Open(const char* table, const char* index) {
  auto t = std::make_unique<TwwTable>(nullptr);
  t->SetDatabaseName("Orvelan");
  t->SetTableName(table);
  t->SetIndexName(index);
  t->Open();
  return t;
}

void BM_RebuildBusiestBirthsPage(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  ProgramDirectory dir;
  auto persons = Open("PERSON.FFD", "PE_GMTJ");
  auto patrons = Open("PATRON.FFD", "PA_MT");
  // The day with the most births.
  std::map<std::pair<int, int>, int> count;
  for (persons->First(); !persons->Eof(); persons->Next())
    ++count[{persons->FieldByName("PERS_GEBM")->AsInteger(), persons->FieldByName("PERS_GEBT")->AsInteger()}];
  count.erase({0, 0});
  auto busiest = count.begin();
  for (auto it = count.begin(); it != count.end(); ++it)
    if (it->second > busiest->second) busiest = it;

  // A page of the main window's size.
  TForm* form = new TForm(Application);
  form->SetClientSize(500, 420);
  auto* page = new TWPCustomRtfEdit(form);
  page->SetParent(form);
  page->SetBounds(0, 0, 500, 420);
  page->SetWordWrap(true);
  page->SetScrollBars(ssVertical);
  form->Show();
  driver.Process();
  for (bool& s : RubricDisplay[rbBirths].Switches) s = true;
  DayPageContext ctx;
  ctx.Page = page;
  ctx.Persons = persons.get();
  ctx.Patrons = patrons.get();
  ctx.Date = MakePackedDate(2024, busiest->first.first, busiest->first.second);
  for (auto _ : state) {
    page->ClearText();
    DisplayPers(ctx, dpBirths);
    page->ReformatAndRepaint();
    page->PlaceCursor(0, 0, 0, 0);
    driver.Process();
  }
  state.counters["persons"] = busiest->second;
  state.counters["chars"] = page->TextLength();
  delete form;
  persons.reset();
  patrons.reset();
}
BENCHMARK(BM_RebuildBusiestBirthsPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

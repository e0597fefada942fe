// A display dialog's live sample rebuilt after a change: a switch of the
// rubric's dialog clicked (on and off in turn), which rebuilds the whole
// sample (cleared, laid out as the day page, written, laid out and
// painted), in a shown dialog on the built reference data.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "app/dialogs/dispdef.h"
#include "app/settings/datasetup.h"
#include "app/text/helpers.h"
#include "platform/db/dbtables.h"
#include "platform/qt/qt_host.h"
#include "platform/rtl/files.h"
#include "platform/ui/testdriver.h"
#include "tests/test_paths.h"

namespace {

namespace fs = std::filesystem;

struct ProgramDirectory {
  fs::path root = fs::temp_directory_path() / ("orvbench_dlg_" + std::to_string(::getpid()));
  ProgramDirectory() {
    fs::remove_all(root);
    fs::create_directories(root / "DATEN");
    fs::copy(fs::path(testpaths::BinaryDir()) / "app" / "DATEN", root / "DATEN", fs::copy_options::recursive);
    SetProgramDirectory(root.string() + "/");
    ProgramDir = root.string() + "/";
    InitColorTable();
    LoadSettings();
  }
  ~ProgramDirectory() {
    ReleaseData();
    Session->Close();
    SetProgramDirectory("");
    fs::remove_all(root);
  }
};

TfrmDispDef* MakeDialog(int rubric) {
  switch (rubric) {
    case rbPersonal: return new TfrmEigeDef(Application);
    case rbBirths:
    case rbDeaths: return new TfrmPersDef(Application, rubric);
    case rbEvents: return new TfrmEreiDef(Application);
    case rbNameDays: return new TfrmNameDef(Application);
    default: return new TfrmFTagDef(Application);
  }
}

void BM_RebuildSampleAfterAChange(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  ProgramDirectory dir;
  const int rubric = static_cast<int>(state.range(0));
  TfrmDispDef* d = MakeDialog(rubric);
  d->Show();
  driver.Process();
  TCheckBox* box = d->cbSwitches.front();
  const int before = d->SamplesBuilt();
  for (auto _ : state) {
    box->SetChecked(!box->Checked());
    d->PaintPending();
  }
  if (d->SamplesBuilt() - before != static_cast<int>(state.iterations())) state.SkipWithError("no rebuild per change");
  d->Free();
}
BENCHMARK(BM_RebuildSampleAfterAChange)->DenseRange(rbPersonal, rbHolidays)->Unit(benchmark::kMillisecond);

}  // namespace

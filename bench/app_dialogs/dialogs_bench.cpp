// A display dialog's live sample rebuilt after a change: a switch of the
// rubric's dialog clicked (on and off in turn), which rebuilds the whole
// sample (cleared, laid out as the day page, written, laid out and
// painted), in a shown dialog on the built reference data.
#include <benchmark/benchmark.h>

#include "app/dialogs/dispdef.h"
#include "platform/qt/qt_host.h"
#include "platform/ui/testdriver.h"
#include "tests/app/program_dir.h"

namespace {

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
  apptest::ProgramDirectory dir("dlg", apptest::UserTables::kNone);
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

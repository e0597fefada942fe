// The template editor opened on a template of 20 MB of RTF (40 000
// paragraphs with bold and italic runs): the editor made, positioned on it
// and shown until its first paint is on screen. Counters: the processor time
// of three rounds of the message loop afterwards, with nothing happening,
// and the complete layout passes they ran (0 once the editor is idle);
// the passes that opening it ran.
#include <benchmark/benchmark.h>

#include <ctime>
#include <fstream>

#include "app/templates/layoutedit.h"
#include "platform/qt/qt_host.h"
#include "platform/ui/testdriver.h"
#include "tests/app/program_dir.h"

namespace {

// About 20 MB of RTF, the same on every run.
std::string LargeRtf() {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}}\\f0\\fs22 ";
  const std::string words =
      "Am Tag der Geburt stand der Mond im Zeichen des Stiers, und die Stadt feierte ihr Fest mit Musik und "
      "Tanz bis in die Nacht; ";
  for (int i = 0; i < 40000; ++i) {
    rtf += "{\\b Absatz " + std::to_string(i) + ":} ";
    for (int k = 0; k < 3; ++k) rtf += words;
    rtf += "{\\i\\f1 " + words + "}\\par\n";
  }
  return rtf + "}";
}

void BM_OpenTheEditorOnA20MBTemplate(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  apptest::ProgramDirectory dir("editor", apptest::UserTables::kMade);
  const std::string file = (dir.Root() / "GROSS.RTF").string();
  const std::string rtf = LargeRtf();
  std::ofstream(file, std::ios::binary) << rtf;
  {
    auto layout = apptest::OpenTable("OrvUser", "LAYOUT.FFD", "XLOUT_ID");
    layout->Append();
    layout->FieldByName("LOUT_ID")->SetAsInteger(1000);
    layout->FieldByName("LOUT_TITEL")->SetAsString("Gross");
    static_cast<TBlobField*>(layout->FieldByName("LOUT_TEXT"))->LoadFromFile(file);
    layout->FieldByName("LOUT_QUELLTYP")->SetAsInteger(0);
    layout->FieldByName("LOUT_AUSGTYP")->SetAsInteger(0);
    layout->Post();
  }
  double idleMs = 0;
  int idlePasses = 0, openPasses = 0;
  for (auto _ : state) {
    TfrmLayout* f = nullptr;
    Application->CreateForm(f);
    f->LocateLayout(1000);
    f->Show();
    driver.Process();
    state.PauseTiming();
    TWPRTFTextInput* e = f->DBWPRichText1->RtfText();
    const int passes = e->FormatCount();  // since the editor was made
    openPasses = passes;
    const std::clock_t from = std::clock();
    for (int round = 0; round < 3; ++round) driver.Process();
    idleMs = 1000.0 * static_cast<double>(std::clock() - from) / CLOCKS_PER_SEC;
    idlePasses = e->FormatCount() - passes;
    delete f;
    state.ResumeTiming();
  }
  state.counters["idle_cpu_ms"] = idleMs;
  state.counters["idle_passes"] = idlePasses;
  state.counters["open_passes"] = openPasses;
  state.counters["rtf_bytes"] = static_cast<double>(rtf.size());
}
BENCHMARK(BM_OpenTheEditorOnA20MBTemplate)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

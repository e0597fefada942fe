// The birthday list of 10 000 own persons born between 1900 and 1999,
// built into the preview as "Erstellen" does it (the preview made, its page
// set, the list written), then the preview shown: the whole document laid
// out and its first page painted.
#include <benchmark/benchmark.h>

#include <random>

#include "app/base/usertables.h"
#include "app/printing/druceige.h"
#include "app/windows/preview.h"
#include "platform/qt/qt_host.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/testdriver.h"
#include "tests/app/program_dir.h"

namespace {

void BM_BirthdayListOf10000IntoThePreview(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  apptest::ProgramDirectory dir("print", apptest::UserTables::kMade);
  auto own = apptest::OpenTable(kUserAlias, "EIGENES.FFD", "XEIGE_DATUM");
  auto codes = apptest::OpenTable(kUserAlias, "EIGESELC.FFD", "XPKEISE");
  std::mt19937 rnd(10000);
  const char* places[] = {"Bern", "Basel", "Wien", "Köln", ""};
  for (int id = 1; id <= 10000; ++id) {
    const TDateTime d = EncodeDate(1900, 1, 1) + std::uniform_int_distribution<int>(0, 36523)(rnd);
    int y = 0, m = 0, day = 0;
    DecodeDate(d, y, m, day);
    own->Append();
    own->FieldByName("EIGE_ID")->SetAsInteger(id);
    own->FieldByName("EIGE_TYP")->SetAsInteger(1);
    own->FieldByName("EIGE_DATUM")->SetAsDateTime(d);
    own->FieldByName("EIGE_TAG")->SetAsInteger(day);
    own->FieldByName("EIGE_MONAT")->SetAsInteger(m);
    own->FieldByName("EIGE_JAHR")->SetAsInteger(y);
    own->FieldByName("EIGE_VORNAME")->SetAsString("Person");
    own->FieldByName("EIGE_NACHNAME")->SetAsString("Nummer " + IntToStr(id));
    own->FieldByName("EIGE_ORTPR")->SetAsString("in");
    own->FieldByName("EIGE_ORT")->SetAsString(places[id % 5]);
    if (id % 3 == 0) own->FieldByName("EIGE_ZEIT")->SetAsString("07:45:00");
    if (id % 7 == 0) own->FieldByName("EIGE_TEXT")->SetAsString("Eine Bemerkung zur Person");
    own->Post();
  }
  PageSettings page = PrintLists[plBirthdayList].Page;
  TPrintListQuery q;
  q.List = plBirthdayList;
  q.From = EncodeDate(1900, 1, 1);
  q.To = EncodeDate(1999, 12, 31);
  q.Page = &page;
  int written = 0;
  for (auto _ : state) {
    TfrmPreview* preview = nullptr;
    Application->CreateForm(preview);
    preview->WPRichText1->ClearDocument();
    ApplyPageRecord(preview->WPRichText1, page);
    written = BuildPrintList(preview->WPRichText1, q, own.get(), codes.get());
    preview->Show();
    driver.Process();
    preview->PaintPending();
    Application->RemoveComponent(preview);
    delete preview;
  }
  if (written != 10000) state.SkipWithError("not every person in the list");
}
BENCHMARK(BM_BirthdayListOf10000IntoThePreview)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

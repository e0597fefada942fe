// The birthday list of 10 000 own persons born between 1900 and 1999,
// built into the preview as "Erstellen" does it (the preview made, its page
// set, the list written), then the preview shown: the whole document laid
// out and its first page painted.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "app/base/userdb.h"
#include "app/printing/druceige.h"
#include "app/settings/datasetup.h"
#include "app/text/helpers.h"
#include "app/windows/preview.h"
#include "platform/db/dbtables.h"
#include "platform/qt/qt_host.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/testdriver.h"
#include "tests/test_paths.h"

namespace {

namespace fs = std::filesystem;

struct ProgramDirectory {
  fs::path root = fs::temp_directory_path() / ("orvbench_print_" + std::to_string(::getpid()));
  ProgramDirectory() {
    fs::remove_all(root);
    fs::create_directories(root / "DATEN");
    fs::copy(fs::path(testpaths::BinaryDir()) / "app" / "DATEN", root / "DATEN", fs::copy_options::recursive);
    SetProgramDirectory(root.string() + "/");
    ProgramDir = root.string() + "/";
    InitColorTable();
    LoadSettings();
    CreateUserDatabase();
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
  t->SetDatabaseName("OrvUser");
  t->SetTableName(table);
  t->SetIndexName(index);
  t->Open();
  return t;
}

void BM_BirthdayListOf10000IntoThePreview(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  ProgramDirectory dir;
  auto own = Open("EIGENES.FFD", "XEIGE_DATUM");
  auto codes = Open("EIGESELC.FFD", "XPKEISE");
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

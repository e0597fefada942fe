// The person editor's post of a typed person, durable on disk (the program
// directory lies in the system's temporary folder on disk, not in memory),
// and one step of the person list's typing search (the timer's tick: the
// search and the list painted again) over 10 000 persons.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "app/editors/listpers.h"
#include "app/editors/perserf.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "dbengine/engine.h"
#include "platform/qt/qt_host.h"
#include "platform/ui/testdriver.h"
#include "tests/app/program_dir.h"

namespace {

using apptest::ProgramDirectory;
using apptest::UserTables;

// A surname made of two or three syllables.
AnsiString Surname(std::mt19937& rng) {
  static const char* const kSyllables[] = {"ber", "mann", "hof", "lin", "ger", "sch", "wal", "ter",
                                           "ner", "kel", "bau", "mei", "ro", "sa", "zim", "hu"};
  AnsiString s;
  for (int n = 2 + static_cast<int>(rng() % 2); n > 0; --n) s += kSyllables[rng() % 16];
  s[0] = static_cast<char>(s[0] - 'a' + 'A');
  return s;
}

// `count` persons written straight into "EIGENES" in one commit.
void FillPersons(int count) {
  auto t = TffTable::Open(UserDataDir + "EIGENES.FFD");
  const TffDataDictionary& d = t->Dictionary();
  auto c = t->OpenCursor();
  std::vector<uint8_t> r(static_cast<size_t>(c->RecordLength()));
  std::mt19937 rng(10000);
  t->StartTransaction();
  for (int id = 1; id <= count; ++id) {
    FFInitRecord(d, r.data());
    const AnsiString last = Surname(rng);
    FFSetFieldInt(d, r.data(), d.FieldIndex("EIGE_ID"), id);
    FFSetFieldInt(d, r.data(), d.FieldIndex("EIGE_TYP"), 1);
    FFSetFieldString(d, r.data(), d.FieldIndex("EIGE_VORNAME"), "Eva");
    FFSetFieldString(d, r.data(), d.FieldIndex("EIGE_NACHNAME"), last);
    FFSetFieldString(d, r.data(), d.FieldIndex("EIGE_HINWEIS"), PersonHintText(last, "Eva"));
    c->InsertRecord(r.data());
  }
  t->Commit();
}

void BM_PostPersonThroughTheEditor(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  ProgramDirectory dir("editors", UserTables::kMade);
  auto* f = new TfrmPersErf(Application);
  f->AfterConstruction();
  f->Show();
  driver.Process();
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    driver.Click(f->pbInsert);
    driver.Type(("Eva" + std::to_string(++n)).c_str());
    driver.Click(f->editEigeNachname);
    driver.Type("Muster");
    driver.Click(f->editEigeDatum);
    driver.Type("05031990");
    state.ResumeTiming();
    driver.Click(f->pbPost);
    if (f->tblEige->State() != dsBrowse) state.SkipWithError("the post was refused");
  }
  state.counters["persons"] = f->tblEige->RecordCount();
  delete f;
}
BENCHMARK(BM_PostPersonThroughTheEditor)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PersonListTypingSearchStep(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  ProgramDirectory dir("editors", UserTables::kMade);
  FillPersons(10000);
  auto* l = new TfrmListPers(Application, false);
  l->AfterConstruction();
  l->Show();
  driver.Process();
  std::mt19937 rng(7);
  for (auto _ : state) {
    state.PauseTiming();
    l->editGoto->SetText(Surname(rng).substr(0, 1 + rng() % 4));
    l->Timer1->SetEnabled(true);
    state.ResumeTiming();
    driver.Advance(300);  // the timer's tick: search, then the list painted
  }
  state.counters["persons"] = l->tblEige->RecordCount();
  delete l;
}
BENCHMARK(BM_PersonListTypingSearchStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

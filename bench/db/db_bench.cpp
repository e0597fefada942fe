// Dataset layer benchmarks: opening a table, a one-day range of a 100 000
// record person table read field by field, and a walk over the whole table.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "dbengine/dictionary.h"
#include "platform/db/dbtables.h"

namespace {

constexpr int kPersons = 100000;

struct PersonTable {
  std::filesystem::path dir;
  std::string alias = "DBBENCH";

  PersonTable() {
    const char* bin = std::getenv("ORV_BINARY_DIR");
    dir = std::filesystem::path(bin ? bin : "/tmp") / "db_bench_data";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Session->AddStandardAlias(alias, dir.string());
    TffDataDictionary d(8192);
    d.AddField("PERS_ID", "", fftInt32, 0, 0, true);
    d.AddField("PERS_NAME", "", fftShortString, 30, 0, false);
    d.AddField("PERS_VORNAME", "", fftShortString, 30, 0, false);
    d.AddField("PERS_GEBT", "", fftWord16, 0, 0, false);
    d.AddField("PERS_GEBM", "", fftWord16, 0, 0, false);
    d.AddField("PERS_GEBJ", "", fftWord16, 0, 0, false);
    d.AddField("PERS_ORT", "", fftShortString, 30, 0, false);
    d.AddField("PERS_GESCH", "", fftBoolean, 0, 0, false);
    d.AddField("PERS_TEXT", "", fftInt32, 0, 0, false);
    d.AddField("PERS_DATUM", "", fftDate, 0, 0, false);
    d.AddIndex("XPKPERS", "", 0, {0}, false, true, false);
    d.AddIndex("PE_GMTJ", "", 0, {4, 3, 5}, true, false, false);
    TBapiHandle db = 0, cur = 0;
    Check(BapiOpenDatabase(Session->Handle(), alias.c_str(), db));
    Check(FFDatabaseBuildTable(db, false, "PERSON", d));
    Check(BapiOpenTable(db, "PERSON", "XPKPERS", bapiReadWrite, bapiOpenExclusive, cur));
    TBapiCursorProps props;
    Check(BapiGetCursorProps(cur, props));
    std::vector<uint8_t> rec(props.RecordSize);
    for (int i = 1; i <= kPersons; ++i) {
      Check(BapiInitRecord(cur, rec.data()));
      int32_t id = i, text = i * 97, date = 693594 + 10000 + i % 30000;
      uint16_t day = static_cast<uint16_t>(i % 28 + 1), month = static_cast<uint16_t>(i / 28 % 12 + 1);
      uint16_t year = static_cast<uint16_t>(1500 + i % 500);
      int16_t sex = i % 2;
      std::string name = "Nachname" + std::to_string(i), first = "Vorname" + std::to_string(i % 977);
      std::string place = "Ort" + std::to_string(i % 3001);
      Check(BapiPutField(cur, 1, rec.data(), &id));
      Check(BapiPutField(cur, 2, rec.data(), name.c_str()));
      Check(BapiPutField(cur, 3, rec.data(), first.c_str()));
      Check(BapiPutField(cur, 4, rec.data(), &day));
      Check(BapiPutField(cur, 5, rec.data(), &month));
      Check(BapiPutField(cur, 6, rec.data(), &year));
      Check(BapiPutField(cur, 7, rec.data(), place.c_str()));
      Check(BapiPutField(cur, 8, rec.data(), &sex));
      Check(BapiPutField(cur, 9, rec.data(), &text));
      Check(BapiPutField(cur, 10, rec.data(), &date));
      Check(BapiInsertRecord(cur, bapiNoLock, rec.data()));
    }
    BapiCloseCursor(cur);
    BapiCloseDatabase(db);
  }
  ~PersonTable() {
    Session->DeleteAlias(alias);
    std::filesystem::remove_all(dir);
  }
  std::unique_ptr<TTable> Open(const char* index) {
    auto t = std::make_unique<TTable>(nullptr);
    t->SetDatabaseName(alias);
    t->SetTableName("PERSON.FFD");
    t->SetIndexName(index);
    t->Open();
    return t;
  }
};

PersonTable& Data() {
  static PersonTable data;
  return data;
}

void BM_OpenTable(benchmark::State& state) {
  Data();
  for (auto _ : state) {
    auto t = Data().Open("PE_GMTJ");
    benchmark::DoNotOptimize(t->FieldCount());
  }
}
BENCHMARK(BM_OpenTable)->Unit(benchmark::kMicrosecond);

// Opens the table, sets a range of one day and reads every field of every
// record in it as text: what a day page does with its person table.
void BM_DayRangeReadAllFields(benchmark::State& state) {
  Data();
  size_t records = 0;
  for (auto _ : state) {
    auto t = Data().Open("PE_GMTJ");
    t->SetRange({7, 12, 9999}, {7, 12, 0});
    size_t bytes = 0;
    records = 0;
    for (t->First(); !t->Eof(); t->Next()) {
      for (int i = 0; i < t->FieldCount(); ++i) bytes += t->Fields(i)->AsString().size();
      ++records;
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_DayRangeReadAllFields)->Unit(benchmark::kMicrosecond);

// The same on a table kept open, as the application keeps its tables: the
// range of a new day and every field of its records as text.
void BM_DayRangeReadAllFieldsOpenTable(benchmark::State& state) {
  auto t = Data().Open("PE_GMTJ");
  int day = 1;
  for (auto _ : state) {
    day = day % 28 + 1;
    t->SetRange({7, day, 9999}, {7, day, 0});
    size_t bytes = 0;
    for (t->First(); !t->Eof(); t->Next())
      for (int i = 0; i < t->FieldCount(); ++i) bytes += t->Fields(i)->AsString().size();
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_DayRangeReadAllFieldsOpenTable)->Unit(benchmark::kMicrosecond);

// The range alone on an open table, as the day page changes its date.
void BM_DayRangeOnOpenTable(benchmark::State& state) {
  auto t = Data().Open("PE_GMTJ");
  int day = 1;
  for (auto _ : state) {
    day = day % 28 + 1;
    t->SetRange({3, day, 9999}, {3, day, 0});
    int64_t sum = 0;
    for (t->First(); !t->Eof(); t->Next()) sum += t->FieldByName("PERS_GEBJ")->AsInteger();
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_DayRangeOnOpenTable)->Unit(benchmark::kMicrosecond);

void BM_IterateWholeTable(benchmark::State& state) {
  auto t = Data().Open("XPKPERS");
  TField* id = t->FieldByName("PERS_ID");
  for (auto _ : state) {
    int64_t sum = 0;
    for (t->First(); !t->Eof(); t->Next()) sum += id->AsInteger();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kPersons);
}
BENCHMARK(BM_IterateWholeTable)->Unit(benchmark::kMillisecond);

}  // namespace

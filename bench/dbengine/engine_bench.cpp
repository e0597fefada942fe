// Table engine against SQLite on the same work: a person-like table of
// 100 000 records with five indexes; bulk load, open, one month-day range
// on a (month, day, year descending) index read in full, and 10 000 random
// key look-ups. Both stores give the same durability: a rollback journal
// and a full sync of every commit (the bulk load is one transaction in
// each). "Open" is opening the file and reading the first record by the
// primary key.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/dbengine/bench_files.h"
#include "dbengine/engine.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kLookups = 10000;

struct Person {
  int id, day, month, year, dday, dmonth, dyear, job;
  std::string surname, first, place;
};

const std::vector<Person>& People() {
  static std::vector<Person> people = [] {
    std::mt19937 rng(1);
    static const char* syl[] = {"ber", "Mei", "er", "Schmi", "dt", "Hu", "ber", "Kel", "ler", "Mo", "ser", "an"};
    auto word = [&](int n) {
      std::string s;
      for (int i = 0; i < n; ++i) s += syl[rng() % 12];
      return s;
    };
    std::vector<Person> v;
    for (int i = 1; i <= kRecords; ++i) {
      Person p;
      p.id = i;
      p.month = 1 + static_cast<int>(rng() % 12);
      p.day = 1 + static_cast<int>(rng() % 28);
      p.year = 1000 + static_cast<int>(rng() % 1000);
      p.dmonth = 1 + static_cast<int>(rng() % 12);
      p.dday = 1 + static_cast<int>(rng() % 28);
      p.dyear = p.year + static_cast<int>(rng() % 90);
      p.job = static_cast<int>(rng() % 500);
      p.surname = word(2 + static_cast<int>(rng() % 2));
      p.first = word(2);
      p.place = word(3);
      v.push_back(p);
    }
    return v;
  }();
  return people;
}

// The run's own folder.
std::string Dir() {
  static const dbbench::ScratchFolder d("orv-dbbench-");
  return d.Path();
}

// ---- engine ----

enum { fId, fSurname, fFirst, fDay, fMonth, fYear, fDDay, fDMonth, fDYear, fJob, fPlace };

TffDataDictionary PersonDict() {
  TffDataDictionary d(8192);
  d.AddField("PERS_ID", "", fftInt32, 0, 0, true);
  d.AddField("PERS_NACHNAME", "", fftShortString, 30, 0, false);
  d.AddField("PERS_VORNAME", "", fftShortString, 30, 0, false);
  d.AddField("PERS_TAG", "", fftWord16, 0, 0, false);
  d.AddField("PERS_MONAT", "", fftWord16, 0, 0, false);
  d.AddField("PERS_JAHR", "", fftInt16, 0, 0, false);
  d.AddField("PERS_TTAG", "", fftWord16, 0, 0, false);
  d.AddField("PERS_TMONAT", "", fftWord16, 0, 0, false);
  d.AddField("PERS_TJAHR", "", fftInt16, 0, 0, false);
  d.AddField("PERS_BERUF", "", fftInt32, 0, 0, false);
  d.AddField("PERS_ORT", "", fftShortString, 30, 0, false);
  d.AddIndex("XPERS_ID", "", 0, {fId}, false, true, false);
  d.AddIndex("XPERS_MTJ", "", 0, {fMonth, fDay, fYear}, true, false, false);
  d.AddIndex("XPERS_TMTJ", "", 0, {fDMonth, fDDay, fDYear}, true, false, false);
  d.AddIndex("XPERS_NAME", "", 0, {fSurname, fFirst}, true, true, true);
  d.AddIndex("XPERS_BERUF", "", 0, {fJob}, true, true, false);
  return d;
}

void FillRecord(const TffDataDictionary& d, uint8_t* r, const Person& p) {
  FFInitRecord(d, r);
  FFSetFieldInt(d, r, fId, p.id);
  FFSetFieldString(d, r, fSurname, p.surname);
  FFSetFieldString(d, r, fFirst, p.first);
  FFSetFieldInt(d, r, fDay, p.day);
  FFSetFieldInt(d, r, fMonth, p.month);
  FFSetFieldInt(d, r, fYear, p.year);
  FFSetFieldInt(d, r, fDDay, p.dday);
  FFSetFieldInt(d, r, fDMonth, p.dmonth);
  FFSetFieldInt(d, r, fDYear, p.dyear);
  FFSetFieldInt(d, r, fJob, p.job);
  FFSetFieldString(d, r, fPlace, p.place);
}

void EngineLoad(const std::string& path) {
  TffTable::Create(path, PersonDict(), true);
  auto t = TffTable::Open(path);
  auto c = t->OpenCursor(0);
  const auto& d = t->Dictionary();
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  t->StartTransaction();
  for (const Person& p : People()) {
    FillRecord(d, r.data(), p);
    c->InsertRecord(r.data());
  }
  t->Commit();
}

const std::string& EngineTable() {
  static std::string path = [] {
    std::string p = Dir() + "/PERSON.FFD";
    EngineLoad(p);
    return p;
  }();
  return path;
}

// ---- SQLite ----

using dbbench::Exec;

void SqliteLoad(const std::string& path) {
  std::filesystem::remove(path);
  sqlite3* db;
  sqlite3_open(path.c_str(), &db);
  Exec(db, "PRAGMA journal_mode=DELETE");
  Exec(db, "PRAGMA synchronous=FULL");
  Exec(db,
       "CREATE TABLE person(id INTEGER PRIMARY KEY, surname TEXT, first TEXT, day INT, month INT,"
       " year INT, dday INT, dmonth INT, dyear INT, job INT, place TEXT);"
       "CREATE INDEX xmtj ON person(month, day, year DESC);"
       "CREATE INDEX xtmtj ON person(dmonth, dday, dyear DESC);"
       "CREATE INDEX xname ON person(surname COLLATE NOCASE, first COLLATE NOCASE);"
       "CREATE INDEX xjob ON person(job);");
  Exec(db, "BEGIN");
  sqlite3_stmt* st;
  sqlite3_prepare_v2(db, "INSERT INTO person VALUES(?,?,?,?,?,?,?,?,?,?,?)", -1, &st, nullptr);
  for (const Person& p : People()) {
    sqlite3_bind_int(st, 1, p.id);
    sqlite3_bind_text(st, 2, p.surname.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 3, p.first.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 4, p.day);
    sqlite3_bind_int(st, 5, p.month);
    sqlite3_bind_int(st, 6, p.year);
    sqlite3_bind_int(st, 7, p.dday);
    sqlite3_bind_int(st, 8, p.dmonth);
    sqlite3_bind_int(st, 9, p.dyear);
    sqlite3_bind_int(st, 10, p.job);
    sqlite3_bind_text(st, 11, p.place.c_str(), -1, SQLITE_STATIC);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

const std::string& SqliteFile() {
  static std::string path = [] {
    std::string p = Dir() + "/person.sqlite";
    SqliteLoad(p);
    return p;
  }();
  return path;
}

// Reads every column of the current row, as a day page does.
int64_t ReadRow(sqlite3_stmt* st) {
  int64_t sum = 0;
  for (int i = 0; i < 11; ++i) {
    if (i == 1 || i == 2 || i == 10) sum += sqlite3_column_bytes(st, i) + (sqlite3_column_text(st, i) ? 1 : 0);
    else sum += sqlite3_column_int(st, i);
  }
  return sum;
}

int64_t ReadRecord(const TffDataDictionary& d, const uint8_t* r) {
  int64_t sum = 0;
  for (int i = 0; i < 11; ++i) {
    if (i == fSurname || i == fFirst || i == fPlace) sum += static_cast<int64_t>(FFGetFieldString(d, r, i).size()) + 1;
    else sum += FFGetFieldInt(d, r, i);
  }
  return sum;
}

// ---- benchmarks ----

void BM_Engine_BulkLoad(benchmark::State& state) {
  for (auto _ : state) EngineLoad(Dir() + "/LOAD.FFD");
}
void BM_Sqlite_BulkLoad(benchmark::State& state) {
  for (auto _ : state) SqliteLoad(Dir() + "/load.sqlite");
}

void BM_Engine_Open(benchmark::State& state) {
  const std::string& path = EngineTable();
  std::vector<uint8_t> r(1024);
  for (auto _ : state) {
    auto t = TffTable::Open(path, TffOpenMode::ReadOnly);
    auto c = t->OpenCursor(0);
    benchmark::DoNotOptimize(c->First(r.data()));
  }
}
void BM_Sqlite_Open(benchmark::State& state) {
  const std::string& path = SqliteFile();
  for (auto _ : state) {
    sqlite3* db;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st;
    sqlite3_prepare_v2(db, "SELECT * FROM person ORDER BY id LIMIT 1", -1, &st, nullptr);
    benchmark::DoNotOptimize(sqlite3_step(st));
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
}

void BM_Engine_RangeMonthDay(benchmark::State& state) {
  auto t = TffTable::Open(EngineTable(), TffOpenMode::ReadOnly);
  const auto& d = t->Dictionary();
  auto c = t->OpenCursor(d.IndexNumber("XPERS_MTJ"));
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength())), lo(r.size()), hi(r.size());
  std::mt19937 rng(5);
  int64_t rows = 0;
  for (auto _ : state) {
    int m = 1 + static_cast<int>(rng() % 12), day = 1 + static_cast<int>(rng() % 28);
    FFInitRecord(d, lo.data());
    FFSetFieldInt(d, lo.data(), fMonth, m);
    FFSetFieldInt(d, lo.data(), fDay, day);
    FFSetFieldInt(d, lo.data(), fYear, 9999);
    hi = lo;
    FFSetFieldInt(d, hi.data(), fYear, -9999);
    c->SetRange(lo.data(), 3, true, hi.data(), 3, true);
    int64_t sum = 0;
    for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data()), ++rows) sum += ReadRecord(d, r.data());
    benchmark::DoNotOptimize(sum);
  }
  state.counters["rows/range"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}
void BM_Sqlite_RangeMonthDay(benchmark::State& state) {
  sqlite3* db;
  sqlite3_open_v2(SqliteFile().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st;
  sqlite3_prepare_v2(db, "SELECT * FROM person WHERE month=? AND day=? ORDER BY year DESC", -1, &st, nullptr);
  std::mt19937 rng(5);
  int64_t rows = 0;
  for (auto _ : state) {
    int m = 1 + static_cast<int>(rng() % 12), day = 1 + static_cast<int>(rng() % 28);
    sqlite3_bind_int(st, 1, m);
    sqlite3_bind_int(st, 2, day);
    int64_t sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      sum += ReadRow(st);
      ++rows;
    }
    sqlite3_reset(st);
    benchmark::DoNotOptimize(sum);
  }
  state.counters["rows/range"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
  sqlite3_finalize(st);
  sqlite3_close(db);
}

void BM_Engine_Lookups(benchmark::State& state) {
  auto t = TffTable::Open(EngineTable(), TffOpenMode::ReadOnly);
  const auto& d = t->Dictionary();
  auto c = t->OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength())), k(r.size());
  std::mt19937 rng(9);
  for (auto _ : state) {
    int64_t sum = 0;
    for (int i = 0; i < kLookups; ++i) {
      FFInitRecord(d, k.data());
      FFSetFieldInt(d, k.data(), fId, 1 + static_cast<int>(rng() % kRecords));
      if (c->FindKey(k.data()) && c->GetRecord(r.data())) sum += ReadRecord(d, r.data());
    }
    benchmark::DoNotOptimize(sum);
  }
}
void BM_Sqlite_Lookups(benchmark::State& state) {
  sqlite3* db;
  sqlite3_open_v2(SqliteFile().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st;
  sqlite3_prepare_v2(db, "SELECT * FROM person WHERE id=?", -1, &st, nullptr);
  std::mt19937 rng(9);
  for (auto _ : state) {
    int64_t sum = 0;
    for (int i = 0; i < kLookups; ++i) {
      sqlite3_bind_int(st, 1, 1 + static_cast<int>(rng() % kRecords));
      if (sqlite3_step(st) == SQLITE_ROW) sum += ReadRow(st);
      sqlite3_reset(st);
    }
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}

BENCHMARK(BM_Engine_BulkLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Sqlite_BulkLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Engine_Open)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sqlite_Open)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Engine_RangeMonthDay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sqlite_RangeMonthDay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Engine_Lookups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sqlite_Lookups)->Unit(benchmark::kMillisecond);

}  // namespace

// Table engine against SQLite on look-ups, what the pages and editors do
// most: 100 000 person-like records (id, birth key yyyymmdd, a name of
// about 30 characters, notes of about 200) with an index on the birth key.
// Each iteration opens its file fresh (so every block or page it needs is
// read again, from the system's file cache) and then does
//  - KeyLookups: 10 000 random primary-key look-ups, every field read;
//  - DayRanges: 1 000 one-day ranges on the birth index (2.8 rows each),
//    every row read;
//  - LongRanges: 100 ranges of 107 days (about 300 rows each), every row
//    read.
// SQLite keeps its defaults (rollback journal, synchronous=FULL); the
// engine opens its table as any caller does. Compare the medians of
// repeated runs: --benchmark_repetitions=9 --benchmark_report_aggregates_only.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/dbengine/bench_files.h"
#include "dbengine/engine.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kLookups = 10000;
constexpr int kDayRanges = 1000;
constexpr int kLongRanges = 100;
constexpr int kLongDays = 107;
// 100 000 births over this many days make 2.8 a day.
constexpr int kBirthDays = 35714;

// Day number (from 1 March of year 0) to yyyymmdd, by the civil-calendar
// eras of 400 years.
int Yyyymmdd(int dayNo) {
  const int era = dayNo / 146097, doe = dayNo % 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp < 10 ? mp + 3 : mp - 9;
  const int y = era * 400 + yoe + (m <= 2);
  return y * 10000 + m * 100 + d;
}
// 1 January 1900 as such a day number.
constexpr int kFirstBirthDay = 693901;

struct Person {
  int id, birth;
  std::string name, notes;
};

const std::vector<Person>& People() {
  static const std::vector<Person> people = [] {
    std::mt19937 rng(11);
    static const char* syl[] = {"ber", "Mei", "er", "Schmi", "dt", "Hu", "ber", "Kel", "ler", "Mo", "ser", "an",
                                "Wald", "burg", "lin", "ger"};
    auto text = [&](size_t length) {
      std::string s;
      while (s.size() < length) s += std::string(syl[rng() % 16]) + (rng() % 4 == 0 ? " " : "");
      s.resize(length);
      return s;
    };
    std::vector<Person> v;
    for (int i = 1; i <= kRecords; ++i)
      v.push_back({i, Yyyymmdd(kFirstBirthDay + static_cast<int>(rng() % kBirthDays)), text(24 + rng() % 13),
                   text(170 + rng() % 61)});
    return v;
  }();
  return people;
}

// The run's own folder.
std::string Dir() {
  static const dbbench::ScratchFolder d("orv-lookupbench-");
  return d.Path();
}

// The day ranges every side walks: [first, last] as yyyymmdd.
std::vector<std::pair<int, int>> Ranges(int count, int days, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::pair<int, int>> out;
  for (int i = 0; i < count; ++i) {
    const int first = kFirstBirthDay + static_cast<int>(rng() % (kBirthDays - days + 1));
    out.emplace_back(Yyyymmdd(first), Yyyymmdd(first + days - 1));
  }
  return out;
}

std::vector<int> Keys() {
  std::mt19937 rng(9);
  std::vector<int> out;
  for (int i = 0; i < kLookups; ++i) out.push_back(1 + static_cast<int>(rng() % kRecords));
  return out;
}

// ---- engine ----

enum { fId, fBirth, fName, fNotes };

const std::string& EngineTable() {
  static const std::string path = [] {
    std::string p = Dir() + "/PERSON.FFD";
    TffDataDictionary d(8192);
    d.AddField("PERS_ID", "", fftInt32, 0, 0, true);
    d.AddField("PERS_GEB", "", fftInt32, 0, 0, false);
    d.AddField("PERS_NAME", "", fftShortString, 40, 0, false);
    d.AddField("PERS_NOTIZ", "", fftShortString, 250, 0, false);
    d.AddIndex("XPKPERS", "", 0, {fId}, false, true, false);
    d.AddIndex("XPERS_GEB", "", 0, {fBirth}, true, true, false);
    TffTable::Create(p, d, true);
    auto t = TffTable::Open(p);
    auto c = t->OpenCursor(0);
    const auto& dict = t->Dictionary();
    std::vector<uint8_t> r(static_cast<size_t>(dict.RecordLength()));
    t->StartTransaction();
    for (const Person& x : People()) {
      FFInitRecord(dict, r.data());
      FFSetFieldInt(dict, r.data(), fId, x.id);
      FFSetFieldInt(dict, r.data(), fBirth, x.birth);
      FFSetFieldString(dict, r.data(), fName, x.name);
      FFSetFieldString(dict, r.data(), fNotes, x.notes);
      c->InsertRecord(r.data());
    }
    t->Commit();
    return p;
  }();
  return path;
}

int64_t ReadRecord(const TffDataDictionary& d, const uint8_t* r) {
  return FFGetFieldInt(d, r, fId) + FFGetFieldInt(d, r, fBirth) +
         static_cast<int64_t>(FFGetFieldString(d, r, fName).size() + FFGetFieldString(d, r, fNotes).size());
}

// Walks the ranges on the birth index of a freshly opened table; returns
// the rows read.
int64_t EngineRanges(const std::vector<std::pair<int, int>>& ranges, int64_t& sum) {
  auto t = TffTable::Open(EngineTable());
  const auto& d = t->Dictionary();
  auto c = t->OpenCursor(1);
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength())), lo(r.size()), hi(r.size());
  int64_t rows = 0;
  for (auto [first, last] : ranges) {
    FFInitRecord(d, lo.data());
    FFSetFieldInt(d, lo.data(), fBirth, first);
    FFInitRecord(d, hi.data());
    FFSetFieldInt(d, hi.data(), fBirth, last);
    c->SetRange(lo.data(), 1, true, hi.data(), 1, true);
    for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data()), ++rows) sum += ReadRecord(d, r.data());
  }
  return rows;
}

// ---- SQLite ----

using dbbench::Exec;

const std::string& SqliteFile() {
  static const std::string path = [] {
    std::string p = Dir() + "/person.sqlite";
    std::filesystem::remove(p);
    sqlite3* db;
    sqlite3_open(p.c_str(), &db);
    Exec(db, "CREATE TABLE person(id INTEGER PRIMARY KEY, birth INT, name TEXT, notes TEXT);"
             "CREATE INDEX xbirth ON person(birth);");
    Exec(db, "BEGIN");
    sqlite3_stmt* st;
    sqlite3_prepare_v2(db, "INSERT INTO person VALUES(?,?,?,?)", -1, &st, nullptr);
    for (const Person& x : People()) {
      sqlite3_bind_int(st, 1, x.id);
      sqlite3_bind_int(st, 2, x.birth);
      sqlite3_bind_text(st, 3, x.name.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 4, x.notes.c_str(), -1, SQLITE_STATIC);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    Exec(db, "COMMIT");
    sqlite3_close(db);
    return p;
  }();
  return path;
}

int64_t ReadRow(sqlite3_stmt* st) {
  return sqlite3_column_int(st, 0) + sqlite3_column_int(st, 1) + sqlite3_column_bytes(st, 2) +
         (sqlite3_column_text(st, 2) ? 1 : 0) + sqlite3_column_bytes(st, 3) + (sqlite3_column_text(st, 3) ? 1 : 0);
}

int64_t SqliteRanges(const std::vector<std::pair<int, int>>& ranges, int64_t& sum) {
  sqlite3* db;
  sqlite3_open(SqliteFile().c_str(), &db);
  sqlite3_stmt* st;
  sqlite3_prepare_v2(db, "SELECT * FROM person WHERE birth BETWEEN ? AND ? ORDER BY birth", -1, &st, nullptr);
  int64_t rows = 0;
  for (auto [first, last] : ranges) {
    sqlite3_bind_int(st, 1, first);
    sqlite3_bind_int(st, 2, last);
    while (sqlite3_step(st) == SQLITE_ROW) {
      sum += ReadRow(st);
      ++rows;
    }
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

// ---- benchmarks ----

void BM_Engine_KeyLookups(benchmark::State& state) {
  const std::vector<int> keys = Keys();
  EngineTable();
  for (auto _ : state) {
    auto t = TffTable::Open(EngineTable());
    const auto& d = t->Dictionary();
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength())), k(r.size());
    int64_t sum = 0;
    for (int id : keys) {
      FFInitRecord(d, k.data());
      FFSetFieldInt(d, k.data(), fId, id);
      if (c->FindKey(k.data()) && c->GetRecord(r.data())) sum += ReadRecord(d, r.data());
    }
    benchmark::DoNotOptimize(sum);
  }
}
void BM_Sqlite_KeyLookups(benchmark::State& state) {
  const std::vector<int> keys = Keys();
  SqliteFile();
  for (auto _ : state) {
    sqlite3* db;
    sqlite3_open(SqliteFile().c_str(), &db);
    sqlite3_stmt* st;
    sqlite3_prepare_v2(db, "SELECT * FROM person WHERE id=?", -1, &st, nullptr);
    int64_t sum = 0;
    for (int id : keys) {
      sqlite3_bind_int(st, 1, id);
      if (sqlite3_step(st) == SQLITE_ROW) sum += ReadRow(st);
      sqlite3_reset(st);
    }
    benchmark::DoNotOptimize(sum);
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
}

// `Count` ranges of `Days` days walked on a store: `Store` makes its file
// (outside the timing), `Walk` opens it afresh and reads the rows.
using RangeWalk = int64_t (*)(const std::vector<std::pair<int, int>>&, int64_t&);
template <int Count, int Days, unsigned Seed, const std::string& (*Store)(), RangeWalk Walk>
void BM_Ranges(benchmark::State& state) {
  const auto ranges = Ranges(Count, Days, Seed);
  Store();
  int64_t rows = 0, sum = 0;
  for (auto _ : state) rows += Walk(ranges, sum);
  benchmark::DoNotOptimize(sum);
  state.counters["rows/range"] = static_cast<double>(rows) / static_cast<double>(state.iterations() * Count);
}

BENCHMARK(BM_Engine_KeyLookups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sqlite_KeyLookups)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Ranges, kDayRanges, 1, 3, EngineTable, EngineRanges)
    ->Name("BM_Engine_DayRanges")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Ranges, kDayRanges, 1, 3, SqliteFile, SqliteRanges)
    ->Name("BM_Sqlite_DayRanges")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Ranges, kLongRanges, kLongDays, 4, EngineTable, EngineRanges)
    ->Name("BM_Engine_LongRanges")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Ranges, kLongRanges, kLongDays, 4, SqliteFile, SqliteRanges)
    ->Name("BM_Sqlite_LongRanges")
    ->Unit(benchmark::kMillisecond);

}  // namespace

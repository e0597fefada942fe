// Table dataset benchmarks: FindKey on the person table of the reference
// data by its date index, and an incremental search of a typed name, one
// keystroke at a time, on a table of 100 000 names (plain and narrowed).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dbcontrols/datasets/wwtable.h"
#include "dbengine/dictionary.h"
#include "dbengine/engine.h"
#include "platform/rtl/cp1252.h"

namespace {

namespace fs = std::filesystem;
constexpr int kNames = 100000;

// A folder of this process, in memory when it can be.
fs::path Scratch() {
  std::error_code ec;
  const fs::path base = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                            ? fs::path("/dev/shm")
                            : fs::temp_directory_path();
  return base / ("wwbench_" + std::to_string(::getpid()));
}

struct BenchData {
  fs::path dir = Scratch();
  std::vector<std::vector<int>> dateKeys;

  BenchData() {
    fs::remove_all(dir);
    fs::create_directories(dir);
    const char* bin = std::getenv("ORV_BINARY_DIR");
    const fs::path built = fs::path(bin ? bin : ORV_BINARY_DIR_DEFAULT) / "app" / "DATEN" / "PERSON.FFD";
    fs::copy_file(built, dir / "PERSON.FFD");
    Session->AddStandardAlias("WWBENCH", dir.string());
    BuildNames();
    auto t = Open("PERSON.FFD", "PE_GDAT");
    for (t->First(); !t->Eof(); t->Next())
      dateKeys.push_back({t->FieldByName("PERS_GNCHR")->AsInteger(), t->FieldByName("PERS_GEBJ")->AsInteger(),
                          t->FieldByName("PERS_GEBM")->AsInteger(), t->FieldByName("PERS_GEBT")->AsInteger()});
  }
  ~BenchData() {
    Session->Close();
    Session->DeleteAlias("WWBENCH");
    fs::remove_all(dir);
  }

  // "Surname, Firstname n": common German surnames, so that typed prefixes
  // meet long runs of equal beginnings.
  void BuildNames() {
    static const char* const surnames[] = {
        "Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner", "Becker", "Schulz", "Hoffmann",
        "Schäfer", "Koch", "Bauer", "Richter", "Klein", "Wolf", "Schröder", "Neumann", "Schwarz", "Zimmermann",
        "Braun", "Krüger", "Hofmann", "Hartmann", "Lange", "Schmitt", "Werner", "Schmitz", "Krause", "Meier",
        "Lehmann", "Schmid", "Schulze", "Maier", "Köhler", "Herrmann", "König", "Walter", "Mayer", "Huber",
        "Kaiser", "Fuchs", "Peters", "Lang", "Scholz", "Möller", "Weiß", "Jung", "Hahn", "Schubert",
        "Vogel", "Friedrich", "Keller", "Günther", "Frank", "Berger", "Winkler", "Roth", "Beck", "Lorenz",
        "Baumann", "Franke", "Albrecht", "Schuster", "Simon", "Ludwig", "Böhm", "Winter", "Kraus", "Martin",
        "Schumacher", "Krämer", "Vogt", "Stein", "Jäger", "Otto", "Sommer", "Groß", "Seidel", "Heinrich",
        "Brandt", "Haas", "Schreiber", "Graf", "Schulte", "Dietrich", "Ziegler", "Kuhn", "Kühn", "Pohl",
        "Engel", "Horn", "Busch", "Bergmann", "Thomas", "Voigt", "Sauer", "Arnold", "Wolff", "Pfeiffer"};
    static const char* const firsts[] = {"Anna", "Paul", "Maria", "Karl", "Emma", "Otto", "Lina", "Hans",
                                         "Greta", "Fritz", "Ida", "Kurt", "Rosa", "Ernst", "Marta", "Max"};
    TffDataDictionary d(8192);
    d.AddField("ID", "", fftInt32, 0, 0, true);
    d.AddField("NAME", "", fftShortString, 60, 0, false);
    d.AddIndex("XID", "", 0, {0}, false, true, false);
    d.AddIndex("XNAME", "", 0, {1}, true, true, true);
    // Written by the engine in one transaction: one commit for the table.
    const std::string path = (dir / "NAMEN.FFD").string();
    TffTable::Create(path, d, true);
    auto t = TffTable::Open(path);
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> rec(static_cast<size_t>(t->Dictionary().RecordLength()));
    t->StartTransaction();
    for (int i = 0; i < kNames; ++i) {
      const AnsiString name = Utf8ToCp1252OrThrow(surnames[i % 100]) + ", " + firsts[(i / 100) % 16] + " " +
                              std::to_string(i / 1600);
      FFInitRecord(t->Dictionary(), rec.data());
      FFSetFieldInt(t->Dictionary(), rec.data(), 0, i + 1);
      FFSetFieldString(t->Dictionary(), rec.data(), 1, name);
      c->InsertRecord(rec.data());
    }
    t->Commit();
  }

  std::unique_ptr<TwwTable> Open(const char* table, const char* index) {
    auto t = std::make_unique<TwwTable>(nullptr);
    t->SetDatabaseName("WWBENCH");
    t->SetTableName(table);
    t->SetIndexName(index);
    t->Open();
    return t;
  }
};

BenchData& Data() {
  static BenchData data;
  return data;
}

// FindKey with the four fields of the date index (era, year, month, day);
// every look-up lands on another record than the one before.
void BM_FindKeyPersonByDate(benchmark::State& state) {
  auto t = Data().Open("PERSON.FFD", "PE_GDAT");
  const auto& keys = Data().dateKeys;
  size_t i = 0, found = 0;
  for (auto _ : state) {
    const std::vector<int>& k = keys[i];
    i = (i + 997) % keys.size();
    found += t->FindKey({k[0], k[1], k[2], k[3]});
  }
  if (static_cast<benchmark::IterationCount>(found) != state.iterations()) state.SkipWithError("a key of the table was not found");
  state.counters["records"] = static_cast<double>(keys.size());
}
BENCHMARK(BM_FindKeyPersonByDate)->Unit(benchmark::kMicrosecond);

// Five keystrokes of a name, each followed by the search, as the search
// edit calls it; the time is per keystroke.
void TypeName(benchmark::State& state, bool narrow) {
  auto t = Data().Open("NAMEN", "XNAME");
  t->SetNarrowSearch(narrow);
  const std::string typed = CP1252("Mülle").str();
  int steps = 0;
  for (auto _ : state) {
    for (size_t n = 1; n <= typed.size(); ++n) {
      if (!t->PartialKeySearch(typed.substr(0, n), 0)) state.SkipWithError("the typed prefix was not found");
      ++steps;
    }
    state.PauseTiming();
    t->PartialKeySearch("", 0);
    t->First();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(steps);
  state.counters["us_per_key"] =
      benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_IncrementalSearchTyping(benchmark::State& state) { TypeName(state, false); }
BENCHMARK(BM_IncrementalSearchTyping)->Unit(benchmark::kMicrosecond);

void BM_IncrementalSearchTypingNarrowed(benchmark::State& state) { TypeName(state, true); }
BENCHMARK(BM_IncrementalSearchTypingNarrowed)->Unit(benchmark::kMicrosecond);

}  // namespace

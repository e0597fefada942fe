// Test fixture of the dataset tests: the reference tables the build made
// (build/app/DATEN) copied into a folder of this process under the alias
// "Orvelan", a second alias "WWSCRATCH" on an empty folder for tables a test
// builds and writes, the headless driver that answers message boxes, and
// helpers that answer a question by scanning every record.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dbcontrols/datasets/wwtable.h"
#include "dbengine/dictionary.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/testdriver.h"
#include "tests/test_paths.h"

namespace wwtest {

namespace fs = std::filesystem;

struct FieldSpec {
  const char* name;
  int type;  // the engine's field type
  int size;  // characters of a string
};

struct IndexSpec {
  const char* name;
  std::vector<int> fields;  // field numbers from 0
  bool ascending = true;
  bool caseInsensitive = true;
  bool unique = false;
};

class SampleData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A memory file system makes the engine's flush on every commit cheap.
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    root_ = base / ("wwdatasets_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "DATEN");
    fs::create_directories(root_ / "SCRATCH");
    const fs::path built = fs::path(testpaths::BinaryDir()) / "app" / "DATEN";
    for (const char* t : {"PERSON", "EREIGNIS", "NAME", "PATRON", "ORT", "NATION", "BERUF", "PERSNATI", "PERSBERU",
                          "LAGE", "SPRUCH"})
      fs::copy_file(built / (std::string(t) + ".FFD"), root_ / "DATEN" / (std::string(t) + ".FFD"));
    for (const char* a : {"Orvelan", "WWSCRATCH"}) {
      try {
        Session->DeleteAlias(a);
      } catch (const Exception&) {
      }
    }
    Session->AddStandardAlias("Orvelan", (root_ / "DATEN").string());
    Session->AddStandardAlias("WWSCRATCH", (root_ / "SCRATCH").string());
  }
  static void TearDownTestSuite() {
    Session->Close();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // A table dataset of the reference data, open on the index.
  static std::unique_ptr<TwwTable> Open(const char* table, const char* index = "",
                                        const char* database = "Orvelan") {
    auto t = std::make_unique<TwwTable>(nullptr);
    t->SetDatabaseName(database);
    t->SetTableName(table);
    if (*index) t->SetIndexName(index);
    t->Open();
    return t;
  }

  // Builds an empty table under WWSCRATCH.
  static void Build(const char* table, const std::vector<FieldSpec>& fields, const std::vector<IndexSpec>& indexes) {
    TBapiHandle db = 0;
    ASSERT_EQ(BapiOpenDatabase(Session->Handle(), "WWSCRATCH", db), bapiOk);
    TffDataDictionary d(8192);
    for (const FieldSpec& f : fields) d.AddField(f.name, "", f.type, f.size, 0, false);
    for (const IndexSpec& i : indexes) d.AddIndex(i.name, "", 0, i.fields, !i.unique, i.ascending, i.caseInsensitive);
    ASSERT_EQ(FFDatabaseBuildTable(db, true, table, d), bapiOk);
    BapiCloseDatabase(db);
  }

  static fs::path Root() { return root_; }

  // Every record's value of the field as text, in the dataset's order.
  static std::vector<AnsiString> Column(TDataSet* t, const char* field) {
    std::vector<AnsiString> out;
    for (t->First(); !t->Eof(); t->Next()) out.push_back(t->FieldByName(field)->AsString());
    return out;
  }

  TUiTestDriver driver;

 private:
  static inline fs::path root_;
};

// A picture of three horizontal stripes (a small flag), as a file of the
// picture format.
inline std::string StripesBmp(TColor top, TColor middle, TColor bottom, int w = 30, int h = 18) {
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y) {
    const TColor c = y < h / 3 ? top : y < 2 * h / 3 ? middle : bottom;
    for (int x = 0; x < w; ++x) b.Surface().Row(y)[x] = ColorToPixel(ColorToRGB(c));
  }
  std::vector<std::uint8_t> bytes = b.SaveToBytes();
  return std::string(bytes.begin(), bytes.end());
}

// The engine's order of a case-insensitive text key: bytes after folding.
inline bool FoldedLess(const AnsiString& a, const AnsiString& b) {
  return AnsiUpperCase(a) < AnsiUpperCase(b);
}

inline bool FoldedStartsWith(const AnsiString& text, const AnsiString& prefix) {
  const AnsiString t = AnsiUpperCase(text), p = AnsiUpperCase(prefix);
  return t.compare(0, p.size(), p) == 0;
}

}  // namespace wwtest

// Test fixture: an alias on a fresh directory with a person table whose
// fields cover the types the application uses, and helpers to fill it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbengine/dictionary.h"
#include "platform/db/dbtables.h"
#include "tests/test_paths.h"

namespace dbtest {

// PERS: ID, NAME, TAG, MONAT, JAHR, FLAG, BETRAG, DATUM, TEXT (memo), BILD.
inline TffDataDictionary PersonDictionary() {
  TffDataDictionary d(8192);
  d.AddField("ID", "", fftInt32, 0, 0, true);
  d.AddField("NAME", "", fftShortString, 12, 0, false);
  d.AddField("TAG", "", fftWord16, 0, 0, false);
  d.AddField("MONAT", "", fftWord16, 0, 0, false);
  d.AddField("JAHR", "", fftWord16, 0, 0, false);
  d.AddField("FLAG", "", fftBoolean, 0, 0, false);
  d.AddField("BETRAG", "", fftDouble, 0, 0, false);
  d.AddField("DATUM", "", fftDate, 0, 0, false);
  d.AddField("TEXT", "", fftBlobMemo, 0, 0, false);
  d.AddField("BILD", "", fftBlobGraphic, 0, 0, false);
  d.AddField("KLEIN", "", fftByte, 0, 0, false);
  d.AddIndex("XID", "", 0, {0}, false, true, false);
  d.AddIndex("XMTJ", "", 0, {3, 2, 4}, true, false, false);
  d.AddIndex("XNAME", "", 0, {1, 0}, false, true, true);
  return d;
}

// NATION: code and name, looked up by the persons.
inline TffDataDictionary NationDictionary() {
  TffDataDictionary d(4096);
  d.AddField("NATI_ID", "", fftInt32, 0, 0, true);
  d.AddField("NATI_NAME", "", fftShortString, 20, 0, false);
  d.AddIndex("XNATI", "", 0, {0}, false, true, false);
  return d;
}

struct DbTest : ::testing::Test {
  std::filesystem::path dir;
  std::string alias;
  TBapiHandle db = 0;

  void SetUp() override {
    // Under this build's tree: builds of other checkouts run the same tests.
    dir = std::filesystem::path(testpaths::BinaryDir()) / "db_test" /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    alias = "DBT" + std::to_string(std::hash<std::string>()(
                        ::testing::UnitTest::GetInstance()->current_test_info()->name()) %
                    100000000);
    try {
      Session->DeleteAlias(alias);
    } catch (const EDBEngineError&) {
    }
    Session->AddStandardAlias(alias, dir.string());
    ASSERT_EQ(BapiOpenDatabase(Session->Handle(), alias.c_str(), db), bapiOk);
    ASSERT_EQ(FFDatabaseBuildTable(db, false, "PERS", PersonDictionary()), bapiOk);
    ASSERT_EQ(FFDatabaseBuildTable(db, false, "NATION", NationDictionary()), bapiOk);
  }
  void TearDown() override {
    BapiCloseDatabase(db);
    Session->DeleteAlias(alias);
    EXPECT_EQ(Session->DatabaseCount(), 0) << "a temporary database was left open";
    std::filesystem::remove_all(dir);
  }

  std::unique_ptr<TTable> Table(const char* name = "PERS", const char* index = "XID") {
    auto t = std::make_unique<TTable>(nullptr);
    t->SetDatabaseName(alias);
    t->SetTableName(name);
    t->SetIndexName(index);
    return t;
  }

  // Appends persons through a dataset: id, name, day, month, year.
  void AddPersons(const std::vector<std::tuple<int, const char*, int, int, int>>& rows) {
    auto t = Table();
    t->Open();
    for (auto& [id, name, d, m, y] : rows) {
      t->Append();
      t->FieldByName("ID")->SetAsInteger(id);
      t->FieldByName("NAME")->SetAsString(name);
      t->FieldByName("TAG")->SetAsInteger(d);
      t->FieldByName("MONAT")->SetAsInteger(m);
      t->FieldByName("JAHR")->SetAsInteger(y);
      t->Post();
    }
  }
  // Persons 1..n named "P<id>", born on day id%28+1 of month id%12+1, year 1900+id.
  void AddNumbered(int n) {
    std::vector<std::tuple<int, const char*, int, int, int>> rows;
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i) names.push_back("P" + std::to_string(i));
    for (int i = 1; i <= n; ++i)
      rows.emplace_back(i, names[static_cast<size_t>(i - 1)].c_str(), i % 28 + 1, i % 12 + 1, 1900 + i);
    AddPersons(rows);
  }
  static int Id(TDataSet* t) { return t->FieldByName("ID")->AsInteger(); }
};

// A link that records what it is told.
struct RecordingLink : TDataLink {
  std::vector<int> scrolls;
  int changed = 0, active = 0, editing = 0, layout = 0, recordChanged = 0, updateData = 0;
  void DataSetScrolled(int d) override { scrolls.push_back(d); }
  void DataSetChanged() override { ++changed; }
  void ActiveChanged() override { ++active; }
  void EditingChanged() override { ++editing; }
  void LayoutChanged() override { ++layout; }
  void RecordChanged(TField*) override { ++recordChanged; }
  void UpdateData() override { ++updateData; }
};

}  // namespace dbtest

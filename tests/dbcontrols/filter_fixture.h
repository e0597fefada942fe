// Test fixture of the filter tests: an alias on a fresh directory with a
// table that has a field of every type the engine stores (those the
// application's tables use among them), rows written through the call
// level, and a table dataset over it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dbengine/dictionary.h"
#include "platform/db/dbtables.h"
#include "tests/test_paths.h"

namespace filtertest {

struct Column {
  const char* name;
  int type;  // the engine's field type
  int size;  // characters of a string
};

// ID is the key; every other field may be blank.
inline const std::vector<Column>& Columns() {
  static const std::vector<Column> columns = {
      {"ID", fftInt32, 0},      {"S", fftShortString, 12}, {"CH", fftChar, 0},      {"W", fftWord16, 0},
      {"B", fftByte, 0},        {"SI", fftInt16, 0},       {"I8", fftInt8, 0},      {"I", fftInt32, 0},
      {"U", fftWord32, 0},      {"AI", fftAutoInc, 0},     {"F", fftDouble, 0},     {"SG", fftSingle, 0},
      {"C", fftCurrency, 0},    {"BO", fftBoolean, 0},     {"D", fftDate, 0},       {"T", fftTime, 0},
      {"DT", fftDateTime, 0},   {"M", fftBlobMemo, 0},     {"G", fftBlobGraphic, 0}, {"OL", fftBlobOle, 0},
  };
  return columns;
}

inline int ColumnIndex(const char* name) {
  for (size_t i = 0; i < Columns().size(); ++i)
    if (std::strcmp(Columns()[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

// A value in the engine's terms: integers (Boolean 0/1, dates as engine day
// counts, times as milliseconds), floats (date-times as milliseconds), texts.
struct Value {
  bool blank = true;
  int64_t i = 0;
  double f = 0;
  std::string s;
  static Value Int(int64_t v) { Value x; x.blank = false; x.i = v; return x; }
  static Value Float(double v) { Value x; x.blank = false; x.f = v; return x; }
  static Value Text(std::string v) { Value x; x.blank = false; x.s = std::move(v); return x; }
};

struct FilterDb : ::testing::Test {
  std::filesystem::path dir;
  std::string alias;
  TBapiHandle db = 0;

  void SetUp() override {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    // Under this build's tree: builds of other checkouts run the same tests.
    dir = std::filesystem::path(testpaths::BinaryDir()) / "dbcontrols_filter_test" / test;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    alias = "FLT" + std::to_string(std::hash<std::string>()(test) % 100000000);
    try {
      Session->DeleteAlias(alias);
    } catch (const EDBEngineError&) {
    }
    Session->AddStandardAlias(alias, dir.string());
    ASSERT_EQ(BapiOpenDatabase(Session->Handle(), alias.c_str(), db), bapiOk);
    TffDataDictionary d(8192);
    for (const Column& c : Columns()) d.AddField(c.name, "", c.type, c.size, 0, false);
    d.AddIndex("XID", "", 0, {0}, false, true, false);
    ASSERT_EQ(FFDatabaseBuildTable(db, false, "ALLTYPES", d), bapiOk);
  }
  void TearDown() override {
    BapiCloseDatabase(db);
    Session->DeleteAlias(alias);
    std::filesystem::remove_all(dir);
  }

  std::unique_ptr<TTable> Table() {
    auto t = std::make_unique<TTable>(nullptr);
    t->SetDatabaseName(alias);
    t->SetTableName("ALLTYPES");
    t->SetIndexName("XID");
    return t;
  }

  // Writes rows (one value per column, in column order) through the call level.
  void Insert(const std::vector<std::vector<Value>>& rows) {
    TBapiHandle cur = 0;
    ASSERT_EQ(BapiOpenTable(db, "ALLTYPES", "XID", bapiReadWrite, bapiOpenShared, cur), bapiOk);
    TBapiCursorProps props;
    ASSERT_EQ(BapiGetCursorProps(cur, props), bapiOk);
    std::vector<uint8_t> rec(props.RecordSize);
    for (const auto& row : rows) {
      ASSERT_EQ(BapiInitRecord(cur, rec.data()), bapiOk);
      for (size_t k = 0; k < Columns().size() && k < row.size(); ++k) {
        const Value& v = row[k];
        if (v.blank) continue;
        uint8_t raw[300] = {};
        switch (Columns()[k].type) {
          case fftShortString:
          case fftChar: std::memcpy(raw, v.s.c_str(), v.s.size() + 1); break;
          case fftBoolean:
          case fftInt8:
          case fftInt16: { int16_t x = static_cast<int16_t>(v.i); std::memcpy(raw, &x, 2); break; }
          case fftByte:
          case fftWord16: { uint16_t x = static_cast<uint16_t>(v.i); std::memcpy(raw, &x, 2); break; }
          case fftWord32: { uint32_t x = static_cast<uint32_t>(v.i); std::memcpy(raw, &x, 4); break; }
          case fftInt32:
          case fftAutoInc:
          case fftDate:
          case fftTime: { int32_t x = static_cast<int32_t>(v.i); std::memcpy(raw, &x, 4); break; }
          case fftSingle:
          case fftDouble:
          case fftCurrency:
          case fftDateTime: std::memcpy(raw, &v.f, 8); break;
          default: continue;  // BLOBs stay empty
        }
        ASSERT_EQ(BapiPutField(cur, static_cast<uint16_t>(k + 1), rec.data(), raw), bapiOk) << Columns()[k].name;
      }
      ASSERT_EQ(BapiInsertRecord(cur, bapiNoLock, rec.data()), bapiOk);
    }
    BapiCloseCursor(cur);
  }

  // A row with only the key set.
  static std::vector<Value> Row(int id) {
    std::vector<Value> row(Columns().size());
    row[0] = Value::Int(id);
    return row;
  }

  // The keys of the records the dataset delivers, in its order.
  static std::vector<int> Ids(TDataSet* t) {
    std::vector<int> ids;
    for (t->First(); !t->Eof(); t->Next()) ids.push_back(t->FieldByName("ID")->AsInteger());
    return ids;
  }
};

}  // namespace filtertest

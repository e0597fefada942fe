// Test fixture: a session, a database on a fresh directory and a person-like
// table with a field of every type the application uses.
#pragma once

#include <gtest/gtest.h>

#include "tests/test_paths.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "dbclient/bapi.h"
#include "dbengine/dictionary.h"

namespace testtable {

// Field numbers (from 1) of the test table.
enum : uint16_t {
  fID = 1, fName, fFlag, fSmall, fWord, fByte, fDate, fTime, fStamp, fAmount, fMemo,
  fSingle, fMoney, fTiny, fWord32, fAuto, fChar, fCount = fChar
};

inline TffDataDictionary PersonDictionary() {
  TffDataDictionary d(8192);
  d.AddField("ID", "", fftInt32, 0, 0, true);
  d.AddField("Name", "", fftShortString, 20, 0, false);
  d.AddField("Flag", "", fftBoolean, 0, 0, false);
  d.AddField("Small", "", fftInt16, 0, 0, false);
  d.AddField("Word", "", fftWord16, 0, 0, false);
  d.AddField("Byte", "", fftByte, 0, 0, false);
  d.AddField("Dat", "", fftDate, 0, 0, false);
  d.AddField("Tim", "", fftTime, 0, 0, false);
  d.AddField("Stamp", "", fftDateTime, 0, 0, false);
  d.AddField("Amount", "", fftDouble, 0, 0, false);
  d.AddField("Memo", "", fftBlobMemo, 0, 0, false);
  d.AddField("Single", "", fftSingle, 0, 0, false);
  d.AddField("Money", "", fftCurrency, 0, 2, false);
  d.AddField("Tiny", "", fftInt8, 0, 0, false);
  d.AddField("Word32", "", fftWord32, 0, 0, false);
  d.AddField("Auto", "", fftAutoInc, 0, 0, false);
  d.AddField("Ch", "", fftChar, 0, 0, false);
  d.AddIndex("ByID", "", 0, {0}, false, true, false);
  d.AddIndex("ByName", "", 0, {1}, true, true, true);
  d.AddIndex("ByDateDesc", "", 0, {6}, true, false, false);
  return d;
}

struct TableTest : ::testing::Test {
  int liveBefore = 0;
  TBapiHandle session = 0, db = 0, cur = 0;
  std::filesystem::path dir;
  std::string alias;
  uint16_t recSize = 0;

  void SetUp() override {
    liveBefore = BapiLiveObjectCount();
    dir = std::filesystem::path(testpaths::BinaryDir()) / "dbclient_test" /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    alias = std::string("T") + std::to_string(reinterpret_cast<uintptr_t>(this) % 100000000);
    ASSERT_EQ(BapiStartSession(session), bapiOk);
    ASSERT_EQ(FFSessionAddAlias(session, alias.c_str(), dir.c_str()), bapiOk);
    ASSERT_EQ(BapiOpenDatabase(session, alias.c_str(), db), bapiOk);
    ASSERT_EQ(FFDatabaseBuildTable(db, false, "PERSON", PersonDictionary()), bapiOk);
    ASSERT_EQ(BapiOpenTable(db, "PERSON", "ByID", bapiReadWrite, bapiOpenShared, cur), bapiOk);
    TBapiCursorProps props;
    ASSERT_EQ(BapiGetCursorProps(cur, props), bapiOk);
    recSize = props.RecordSize;
  }
  void TearDown() override {
    FFSessionDeleteAlias(session, alias.c_str());
    if (session) {
      EXPECT_EQ(BapiCloseSession(session), bapiOk);
    }
    EXPECT_EQ(BapiLiveObjectCount(), liveBefore) << "objects left open";
    std::filesystem::remove_all(dir);
  }

  std::vector<uint8_t> NewRecord(TBapiHandle c = 0) {
    std::vector<uint8_t> r(recSize);
    EXPECT_EQ(BapiInitRecord(c ? c : cur, r.data()), bapiOk);
    return r;
  }
  void PutInt32(std::vector<uint8_t>& r, uint16_t f, int32_t v) {
    ASSERT_EQ(BapiPutField(cur, f, r.data(), &v), bapiOk);
  }
  void PutStr(std::vector<uint8_t>& r, uint16_t f, const char* s) {
    ASSERT_EQ(BapiPutField(cur, f, r.data(), s), bapiOk);
  }
  void PutDate(std::vector<uint8_t>& r, int32_t days) {
    ASSERT_EQ(BapiPutField(cur, fDate, r.data(), &days), bapiOk);
  }
  // Inserts a person with id, name and an engine date.
  TBapiResult Insert(int32_t id, const char* name, int32_t days = 730120) {
    auto r = NewRecord();
    PutInt32(r, fID, id);
    PutStr(r, fName, name);
    PutDate(r, days);
    return BapiInsertRecord(cur, bapiNoLock, r.data());
  }
  int32_t IdOf(const std::vector<uint8_t>& r, TBapiHandle c = 0) {
    int32_t v = -1;
    bool blank;
    EXPECT_EQ(BapiGetField(c ? c : cur, fID, r.data(), &v, blank), bapiOk);
    return v;
  }
  // Ids of the records the cursor delivers from the beginning.
  std::vector<int32_t> Ids(TBapiHandle c = 0) {
    TBapiHandle h = c ? c : cur;
    std::vector<int32_t> ids;
    auto r = NewRecord();
    EXPECT_EQ(BapiSetToBegin(h), bapiOk);
    TBapiResult rc;
    while ((rc = BapiGetNextRecord(h, bapiNoLock, r.data(), nullptr)) == bapiOk) ids.push_back(IdOf(r, h));
    EXPECT_EQ(rc, bapiEndOfCursor);
    return ids;
  }
  int32_t CurrentId() {
    auto r = NewRecord();
    if (BapiGetRecord(cur, bapiNoLock, r.data(), nullptr) != bapiOk) return -1;
    return IdOf(r);
  }
};

}  // namespace testtable

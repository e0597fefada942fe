// Sessions, aliases, configuration lists and the entry functions that need no
// table: every code they answer, and that closing every handle leaves no
// live object behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dbclient/bapi.h"

namespace {

struct SessionTest : ::testing::Test {
  int liveBefore = 0;
  TBapiHandle session = 0;
  void SetUp() override {
    liveBefore = BapiLiveObjectCount();
    ASSERT_EQ(BapiStartSession(session), bapiOk);
    ASSERT_NE(session, 0u);
  }
  void TearDown() override {
    if (session) {
      EXPECT_EQ(BapiCloseSession(session), bapiOk);
    }
    EXPECT_EQ(BapiLiveObjectCount(), liveBefore) << "objects left open";
  }
  // Reads a list cursor's records as name=value lines.
  std::string ReadList(TBapiHandle cur) {
    TBapiCursorProps props;
    EXPECT_EQ(BapiGetCursorProps(cur, props), bapiOk);
    std::vector<uint8_t> rec(props.RecordSize);
    std::string out;
    while (BapiGetNextRecord(cur, bapiNoLock, rec.data(), nullptr) == bapiOk) {
      char name[256], value[256];
      bool blank;
      EXPECT_EQ(BapiGetField(cur, 1, rec.data(), name, blank), bapiOk);
      EXPECT_EQ(BapiGetField(cur, 2, rec.data(), value, blank), bapiOk);
      out += std::string(name) + "=" + value + ";";
    }
    return out;
  }
};

}  // namespace

TEST_F(SessionTest, AliasesAddDeleteAndRefuse) {
  EXPECT_EQ(FFSessionAddAlias(session, "TestAliasA", "/tmp/a"), bapiOk);
  EXPECT_EQ(FFSessionAddAlias(session, "testaliasa", "/tmp/b"), bapiAliasExists);
  // 31 characters and 219 are the limits.
  std::string alias31(31, 'x'), path219(219, 'p');
  EXPECT_EQ(FFSessionAddAlias(session, alias31.c_str(), path219.c_str()), bapiOk);
  EXPECT_EQ(FFSessionAddAlias(session, (alias31 + "y").c_str(), "/tmp"), bapiNameTooLong);
  EXPECT_EQ(FFSessionAddAlias(session, "TestAliasB", (path219 + "q").c_str()), bapiNameTooLong);
  EXPECT_EQ(FFSessionAddAlias(session, "", "/tmp"), bapiInvalidParameter);
  EXPECT_EQ(FFSessionDeleteAlias(session, alias31.c_str()), bapiOk);
  EXPECT_EQ(FFSessionDeleteAlias(session, "TESTALIASA"), bapiOk);
  EXPECT_NE(FFSessionDeleteAlias(session, "TestAliasA"), bapiOk);  // already gone
  EXPECT_NE(FFSessionDeleteAlias(session, "NeverThere"), bapiOk);
}

TEST_F(SessionTest, NotAClientSessionIs9990) {
  TBapiHandle db = 0;
  ASSERT_EQ(FFSessionAddAlias(session, "TestAliasDb", "/tmp"), bapiOk);
  ASSERT_EQ(BapiOpenDatabase(session, "TestAliasDb", db), bapiOk);
  EXPECT_EQ(FFSessionAddAlias(db, "X", "/tmp"), 9990);  // a database handle
  EXPECT_EQ(FFSessionAddAlias(0, "X", "/tmp"), 9990);
  EXPECT_EQ(FFSessionDeleteAlias(db, "TestAliasDb"), 9990);
  TBapiHandle stale = session;
  TBapiHandle other = 0;
  ASSERT_EQ(BapiStartSession(other), bapiOk);
  ASSERT_EQ(BapiCloseSession(other), bapiOk);
  EXPECT_EQ(other, 0u);
  ASSERT_EQ(BapiCloseSession(session), bapiOk);  // closes the database too
  EXPECT_EQ(FFSessionAddAlias(stale, "X", "/tmp"), 9990);
  EXPECT_EQ(BapiCloseDatabase(db), bapiInvalidHandle);
  ASSERT_EQ(BapiStartSession(session), bapiOk);
  EXPECT_EQ(FFSessionDeleteAlias(session, "TestAliasDb"), bapiOk);
}

TEST_F(SessionTest, OpenDatabaseByAliasOrDirectory) {
  TBapiHandle db = 0;
  EXPECT_EQ(BapiOpenDatabase(session, "NoSuchAliasHere", db), bapiNoSuchAlias);
  EXPECT_EQ(db, 0u);
  ASSERT_EQ(FFSessionAddAlias(session, "TestAliasDir", "/tmp/somewhere"), bapiOk);
  ASSERT_EQ(BapiOpenDatabase(session, "testaliasdir", db), bapiOk);
  AnsiString dir;
  EXPECT_EQ(BapiGetDatabaseDirectory(db, dir), bapiOk);
  EXPECT_EQ(dir, "/tmp/somewhere");
  TBapiHandle db2 = 0;
  ASSERT_EQ(BapiOpenDatabase(session, "/tmp", db2), bapiOk);  // a directory
  EXPECT_EQ(BapiGetDatabaseDirectory(db2, dir), bapiOk);
  EXPECT_EQ(dir, "/tmp");
  EXPECT_EQ(BapiOpenDatabase(db, "/tmp", db2), bapiInvalidHandle);  // not a session
  EXPECT_EQ(BapiCloseDatabase(db), bapiOk);
  EXPECT_EQ(db, 0u);
  EXPECT_EQ(FFSessionDeleteAlias(session, "TestAliasDir"), bapiOk);
  // db2 stays open: closing the session closes it (checked in TearDown).
}

TEST_F(SessionTest, ConfigurationListGivesPath) {
  ASSERT_EQ(FFSessionAddAlias(session, "TestAliasCfg", "/data/Daten"), bapiOk);
  TBapiHandle cur = 0;
  ASSERT_EQ(BapiOpenCfgInfoList(0, bapiReadOnly, 0, "\\Databases\\TestAliasCfg\\db info", cur), bapiOk);
  EXPECT_EQ(ReadList(cur), "PATH=/data/Daten;");
  uint32_t count = 0;
  EXPECT_EQ(BapiGetRecordCount(cur, count), bapiOk);
  EXPECT_EQ(count, 1u);
  // Read again after going back to the beginning.
  EXPECT_EQ(BapiSetToBegin(cur), bapiOk);
  EXPECT_EQ(ReadList(cur), "PATH=/data/Daten;");
  std::vector<uint8_t> rec(512);
  bool blank;
  EXPECT_EQ(BapiGetField(cur, 3, rec.data(), nullptr, blank), 9985);
  EXPECT_EQ(BapiGetField(cur, 0, rec.data(), nullptr, blank), 9985);
  EXPECT_EQ(BapiGetRecord(cur, bapiNoLock, rec.data(), nullptr), bapiNoCurrentRecord);  // at the end
  // List cursors have no sequence numbers and are not tables.
  uint32_t seq;
  EXPECT_EQ(BapiGetSeqNo(cur, seq), bapiNotSupported);
  EXPECT_EQ(BapiAddFilter(cur, 0, 1, false, nullptr, nullptr, seq), bapiNotSupported);
  EXPECT_EQ(BapiMakePermanent(cur, "X", false), bapiNotSupported);
  EXPECT_EQ(BapiCloseCursor(cur), bapiOk);
  EXPECT_EQ(cur, 0u);
  EXPECT_EQ(BapiCloseCursor(cur), bapiInvalidHandle);

  // Letter case of the path does not matter; unknown paths are 8712.
  ASSERT_EQ(BapiOpenCfgInfoList(0, bapiReadOnly, 0, "\\DATABASES\\testaliascfg\\DB INFO", cur), bapiOk);
  EXPECT_EQ(BapiCloseCursor(cur), bapiOk);
  for (const char* bad : {"\\Databases\\NoSuchAlias\\db info", "\\Databases\\\\db info",
                          "\\Databases\\TestAliasCfg", "\\Databases\\TestAliasCfg\\other",
                          "\\Drivers\\TestAliasCfg\\db info", "",
                          "\\Databases\\a\\TestAliasCfg\\db info"}) {
    EXPECT_EQ(BapiOpenCfgInfoList(0, bapiReadOnly, 0, bad, cur), 8712) << bad;
    EXPECT_EQ(cur, 0u);
  }
  EXPECT_EQ(FFSessionDeleteAlias(session, "TestAliasCfg"), bapiOk);
  EXPECT_EQ(BapiOpenCfgInfoList(0, bapiReadOnly, 0, "\\Databases\\TestAliasCfg\\db info", cur), 8712);
}

TEST_F(SessionTest, UnsupportedAndUnimplementedEntries) {
  TBapiHandle db = 0, stmt = 77, cur = 5;
  ASSERT_EQ(BapiOpenDatabase(session, "/tmp", db), bapiOk);
  // Queries: allocation always fails and no statement handle exists.
  EXPECT_NE(BapiQAlloc(db, 1, stmt), bapiOk);
  EXPECT_EQ(stmt, 0u);
  EXPECT_NE(BapiQPrepare(stmt, "select"), bapiOk);
  EXPECT_NE(BapiQExec(stmt, cur), bapiOk);
  EXPECT_EQ(cur, 0u);
  stmt = 12345;
  EXPECT_NE(BapiQFree(stmt), bapiOk);
  EXPECT_EQ(stmt, 0u);
  EXPECT_NE(BapiSetObjectProp(stmt, 393254, 1), bapiOk);
  // The query dataset retries on 10497..10499: allocation must not answer those.
  TBapiResult q = BapiQAlloc(db, 1, stmt);
  EXPECT_TRUE(q < 10497 || q > 10499);
  // BCD conversion: 12289 and not one byte written.
  uint8_t bcd[34];
  std::memset(bcd, 0xAB, sizeof bcd);
  double v = 12.5;
  EXPECT_EQ(BapiBcdFromFloat(v, 32, 2, bcd), 12289);
  for (uint8_t b : bcd) ASSERT_EQ(b, 0xAB);
  EXPECT_EQ(BapiCloseDatabase(db), bapiOk);
}

TEST_F(SessionTest, ErrorStringsFitIn128Bytes) {
  char buf[200];
  for (TBapiResult code : {bapiOk, bapiEndOfBlob, bapiNoSuchConfigPath, bapiFieldOutOfRange,
                           bapiNotClientSession, bapiNoSuchTable, bapiNotSupported,
                           bapiInvalidFilter, bapiUnknownFilterField, bapiNameTooLong,
                           static_cast<TBapiResult>(4711)}) {
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(BapiGetErrorString(code, buf), bapiOk);
    size_t n = strnlen(buf, sizeof buf);
    EXPECT_GT(n, 0u) << code;
    EXPECT_LE(n, 127u) << code;
    EXPECT_EQ(buf[128 + 1], 'Z');  // nothing written past the 128 bytes
  }
  BapiGetErrorString(bapiNoSuchTable, buf);
  EXPECT_STREQ(buf, "Table does not exist");
  BapiGetErrorString(bapiInvalidFilter, buf);
  EXPECT_STREQ(buf, "Invalid filter expression");
}

TEST_F(SessionTest, ForeignAndStaleHandlesAnswerCodes) {
  TBapiHandle db = 0;
  ASSERT_EQ(BapiOpenDatabase(session, "/tmp", db), bapiOk);
  std::vector<uint8_t> rec(64);
  uint32_t n;
  bool blank;
  // A session or database handle where a cursor is expected, and garbage.
  for (TBapiHandle h : {session, db, TBapiHandle(0), TBapiHandle(0xDEADBEEF)}) {
    EXPECT_EQ(BapiGetNextRecord(h, bapiNoLock, rec.data(), nullptr), bapiInvalidHandle);
    EXPECT_EQ(BapiGetRecordCount(h, n), bapiInvalidHandle);
    EXPECT_EQ(BapiGetField(h, 1, rec.data(), nullptr, blank), bapiInvalidHandle);
    EXPECT_EQ(BapiSetToBegin(h), bapiInvalidHandle);
    EXPECT_EQ(BapiActivateFilter(h, 1), bapiInvalidHandle);
    EXPECT_EQ(BapiOpenBlob(h, rec.data(), 1, bapiReadOnly), bapiInvalidHandle);
  }
  TBapiHandle cur = 0;
  EXPECT_EQ(BapiOpenTable(session, "X", nullptr, bapiReadWrite, bapiOpenShared, cur), bapiInvalidHandle);
  EXPECT_EQ(BapiOpenVchkList(session, "X", "PARADOX", cur), bapiInvalidHandle);
  EXPECT_EQ(BapiDeleteTable(session, "X", nullptr), bapiInvalidHandle);
  EXPECT_EQ(BapiCloseDatabase(db), bapiOk);
}

// Table cursors through the entry functions: building and deleting tables,
// the call-level representation of every field type, navigation, bookmarks,
// key search, ranges, changes with their codes, and exclusive and read-only
// opens.
#include <gtest/gtest.h>

#include "tests/dbclient/table_fixture.h"

using namespace testtable;

TEST_F(TableTest, BuildOpenAndDeleteTables) {
  TffDataDictionary dict = PersonDictionary();
  // Exists and overwrite is off: non-zero; the caller's dictionary stays usable.
  EXPECT_NE(FFDatabaseBuildTable(db, false, "PERSON", dict), bapiOk);
  EXPECT_NO_THROW(dict.AddField("Extra", "", fftInt32, 0, 0, false));
  EXPECT_EQ(FFDatabaseBuildTable(db, false, "SECOND", dict), bapiOk);
  dict.Clear();
  dict.AddField("Only", "", fftInt32, 0, 0, false);
  EXPECT_EQ(FFDatabaseBuildTable(db, true, "SECOND", dict), bapiOk);  // overwrite
  EXPECT_TRUE(std::filesystem::exists(dir / "SECOND.FFD"));
  EXPECT_NE(FFDatabaseBuildTable(cur, false, "THIRD", dict), bapiOk);  // not a database

  // Names are matched without letter case, with or without the extension.
  TBapiHandle c2 = 0;
  for (const char* name : {"second", "Second.ffd", "SECOND.FFD"}) {
    ASSERT_EQ(BapiOpenTable(db, name, nullptr, bapiReadOnly, bapiOpenShared, c2), bapiOk) << name;
    std::vector<TBapiFieldDesc> fields;
    EXPECT_EQ(BapiGetFieldDescs(c2, fields), bapiOk);
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].Name, "Only");
    EXPECT_EQ(BapiCloseCursor(c2), bapiOk);
  }
  EXPECT_EQ(BapiOpenTable(db, "MISSING", nullptr, bapiReadOnly, bapiOpenShared, c2), 10024);
  EXPECT_EQ(c2, 0u);
  EXPECT_EQ(BapiOpenTable(db, "PERSON", "NoIndex", bapiReadOnly, bapiOpenShared, c2), bapiNoSuchIndex);
  // Names never leave the database's directory.
  EXPECT_EQ(BapiOpenTable(db, "../PERSON", nullptr, bapiReadOnly, bapiOpenShared, c2), bapiInvalidParameter);
  EXPECT_EQ(FFDatabaseBuildTable(db, true, "..\\X", dict), bapiInvalidParameter);

  // Validity checks: an empty list for a table, 10024 without one.
  TBapiHandle v = 0;
  ASSERT_EQ(BapiOpenVchkList(db, "PERSON", "PARADOX", v), bapiOk);
  std::vector<uint8_t> rec(512);
  EXPECT_EQ(BapiGetNextRecord(v, bapiNoLock, rec.data(), nullptr), bapiEndOfCursor);
  uint32_t n = 9;
  EXPECT_EQ(BapiGetRecordCount(v, n), bapiOk);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(BapiCloseCursor(v), bapiOk);
  EXPECT_EQ(BapiOpenVchkList(db, "MISSING", "PARADOX", v), 10024);

  EXPECT_EQ(BapiDeleteTable(db, "second", "PARADOX"), bapiOk);
  EXPECT_FALSE(std::filesystem::exists(dir / "SECOND.FFD"));
  EXPECT_EQ(BapiDeleteTable(db, "SECOND", "PARADOX"), 10024);
  // Batch moving is not implemented; making permanent is refused.
  EXPECT_NE(BapiBatchMove(cur, "COPY", "PARADOX", 0, 0), bapiOk);
  EXPECT_NE(BapiMakePermanent(cur, "COPY", false), bapiOk);
  EXPECT_EQ(BapiSaveChanges(cur), bapiOk);
  EXPECT_NE(BapiSetObjectProp(cur, 393251, 1), bapiOk);
}

TEST_F(TableTest, FieldRepresentations) {
  auto r = NewRecord();
  bool blank = false;
  int32_t i32 = 42;
  ASSERT_EQ(BapiPutField(cur, fID, r.data(), &i32), bapiOk);
  ASSERT_EQ(BapiPutField(cur, fName, r.data(), "M\xFCller with a long tail"), bapiOk);  // cut to 20
  int16_t b = 1;
  ASSERT_EQ(BapiPutField(cur, fFlag, r.data(), &b), bapiOk);
  int16_t sm = -12345;
  ASSERT_EQ(BapiPutField(cur, fSmall, r.data(), &sm), bapiOk);
  uint16_t w = 65000;
  ASSERT_EQ(BapiPutField(cur, fWord, r.data(), &w), bapiOk);
  uint16_t by = 200;
  ASSERT_EQ(BapiPutField(cur, fByte, r.data(), &by), bapiOk);
  int32_t day = 36526 + 693594;  // 1.1.2000
  ASSERT_EQ(BapiPutField(cur, fDate, r.data(), &day), bapiOk);
  int32_t ms = ((13 * 60 + 45) * 60 + 30) * 1000 + 250;
  ASSERT_EQ(BapiPutField(cur, fTime, r.data(), &ms), bapiOk);
  double stamp = (36526.5 + 693594) * 86400000.0;  // 1.1.2000 12:00
  ASSERT_EQ(BapiPutField(cur, fStamp, r.data(), &stamp), bapiOk);
  double single = 2.5, money = 1234.56;
  ASSERT_EQ(BapiPutField(cur, fSingle, r.data(), &single), bapiOk);
  ASSERT_EQ(BapiPutField(cur, fMoney, r.data(), &money), bapiOk);
  int16_t tiny = -100;
  ASSERT_EQ(BapiPutField(cur, fTiny, r.data(), &tiny), bapiOk);
  uint32_t w32 = 4000000000u;
  ASSERT_EQ(BapiPutField(cur, fWord32, r.data(), &w32), bapiOk);
  int32_t autoInc = 77;
  ASSERT_EQ(BapiPutField(cur, fAuto, r.data(), &autoInc), bapiOk);
  ASSERT_EQ(BapiPutField(cur, fChar, r.data(), "Q"), bapiOk);
  ASSERT_EQ(Insert(1, "first"), bapiOk);
  ASSERT_EQ(BapiInsertRecord(cur, bapiNoLock, r.data()), bapiOk);

  // Read back through a fresh buffer from the cursor.
  auto back = NewRecord();
  ASSERT_EQ(BapiGetRecord(cur, bapiNoLock, back.data(), nullptr), bapiOk);
  int32_t gi = 0;
  EXPECT_EQ(BapiGetField(cur, fID, back.data(), &gi, blank), bapiOk);
  EXPECT_EQ(gi, 42);
  EXPECT_FALSE(blank);
  char s[64];
  std::memset(s, 'Z', sizeof s);
  EXPECT_EQ(BapiGetField(cur, fName, back.data(), s, blank), bapiOk);
  EXPECT_STREQ(s, "M\xFCller with a long t");  // 20 characters and the zero
  EXPECT_EQ(s[21], 'Z');
  uint8_t raw[8];
  std::memset(raw, 0xEE, sizeof raw);
  EXPECT_EQ(BapiGetField(cur, fFlag, back.data(), raw, blank), bapiOk);
  EXPECT_EQ(raw[0], 1);  // 16-bit Boolean
  EXPECT_EQ(raw[1], 0);
  EXPECT_EQ(raw[2], 0xEE);
  int16_t g16 = 0;
  EXPECT_EQ(BapiGetField(cur, fSmall, back.data(), &g16, blank), bapiOk);
  EXPECT_EQ(g16, -12345);
  uint16_t gu = 0;
  EXPECT_EQ(BapiGetField(cur, fWord, back.data(), &gu, blank), bapiOk);
  EXPECT_EQ(gu, 65000);
  EXPECT_EQ(BapiGetField(cur, fByte, back.data(), &gu, blank), bapiOk);
  EXPECT_EQ(gu, 200);
  int32_t gd = 0;
  EXPECT_EQ(BapiGetField(cur, fDate, back.data(), &gd, blank), bapiOk);
  EXPECT_EQ(gd, 730120);
  EXPECT_EQ(BapiGetField(cur, fTime, back.data(), &gd, blank), bapiOk);
  EXPECT_EQ(gd, 49530250);
  double gs = 0;
  EXPECT_EQ(BapiGetField(cur, fStamp, back.data(), &gs, blank), bapiOk);
  EXPECT_DOUBLE_EQ(gs, 730120.5 * 86400000.0);
  double gf = 0;
  EXPECT_EQ(BapiGetField(cur, fSingle, back.data(), &gf, blank), bapiOk);
  EXPECT_EQ(gf, 2.5);  // widened to 8 bytes
  EXPECT_EQ(BapiGetField(cur, fMoney, back.data(), &gf, blank), bapiOk);
  EXPECT_EQ(gf, 1234.56);
  EXPECT_EQ(BapiGetField(cur, fTiny, back.data(), &g16, blank), bapiOk);
  EXPECT_EQ(g16, -100);
  uint32_t g32 = 0;
  EXPECT_EQ(BapiGetField(cur, fWord32, back.data(), &g32, blank), bapiOk);
  EXPECT_EQ(g32, 4000000000u);
  EXPECT_EQ(BapiGetField(cur, fAuto, back.data(), &gi, blank), bapiOk);
  EXPECT_EQ(gi, 77);
  std::memset(s, 'Z', sizeof s);
  EXPECT_EQ(BapiGetField(cur, fChar, back.data(), s, blank), bapiOk);
  EXPECT_STREQ(s, "Q");
  // Fields never set are blank and read as zero.
  double amount = 99;
  EXPECT_EQ(BapiGetField(cur, fAmount, back.data(), &amount, blank), bapiOk);
  EXPECT_TRUE(blank);
  EXPECT_EQ(amount, 0.0);
  EXPECT_EQ(BapiGetField(cur, fMemo, back.data(), nullptr, blank), bapiOk);
  EXPECT_TRUE(blank);
  // Field numbers the cursor lacks: 9985.
  EXPECT_EQ(BapiGetField(cur, 0, back.data(), &gi, blank), 9985);
  EXPECT_EQ(BapiGetField(cur, fCount + 1, back.data(), &gi, blank), 9985);
  EXPECT_EQ(BapiPutField(cur, fCount + 1, back.data(), &gi), 9985);
  // Blanking a field.
  ASSERT_EQ(BapiPutField(cur, fSmall, back.data(), nullptr), bapiOk);
  EXPECT_EQ(BapiGetField(cur, fSmall, back.data(), &g16, blank), bapiOk);
  EXPECT_TRUE(blank);

  std::vector<TBapiFieldDesc> fields;
  ASSERT_EQ(BapiGetFieldDescs(cur, fields), bapiOk);
  ASSERT_EQ(fields.size(), size_t{fCount});
  EXPECT_EQ(fields[fName - 1].FieldType, bapiFldString);
  EXPECT_EQ(fields[fName - 1].ValueSize, 21);
  EXPECT_EQ(fields[fDate - 1].FieldType, bapiFldDate);
  EXPECT_EQ(fields[fMemo - 1].FieldType, bapiFldBlob);
  EXPECT_EQ(fields[fSingle - 1].ValueSize, 8);
  EXPECT_EQ(fields[fChar - 1].ValueSize, 2);
  std::vector<TBapiIndexDesc> indexes;
  ASSERT_EQ(BapiGetIndexDescs(cur, indexes), bapiOk);
  ASSERT_EQ(indexes.size(), 3u);
  EXPECT_TRUE(indexes[0].Unique);
  EXPECT_TRUE(indexes[2].Descending);
  EXPECT_EQ(indexes[2].KeyFields, std::vector<uint16_t>{fDate});
}

TEST_F(TableTest, NavigationCountsAndSequenceNumbers) {
  for (int id : {3, 1, 5, 2, 4}) ASSERT_EQ(Insert(id, "x"), bapiOk);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4, 5}));
  uint32_t n = 0;
  EXPECT_EQ(BapiGetRecordCount(cur, n), bapiOk);
  EXPECT_EQ(n, 5u);
  // Backwards from the end.
  auto r = NewRecord();
  ASSERT_EQ(BapiSetToEnd(cur), bapiOk);
  std::vector<int32_t> back;
  while (BapiGetPriorRecord(cur, bapiNoLock, r.data(), nullptr) == bapiOk) back.push_back(IdOf(r));
  EXPECT_EQ(back, (std::vector<int32_t>{5, 4, 3, 2, 1}));
  EXPECT_EQ(BapiGetRecord(cur, bapiNoLock, r.data(), nullptr), bapiNoCurrentRecord);
  // Sequence numbers are not kept; a failed jump leaves the position.
  ASSERT_EQ(BapiSetToBegin(cur), bapiOk);
  ASSERT_EQ(BapiGetNextRecord(cur, bapiNoLock, r.data(), nullptr), bapiOk);
  ASSERT_EQ(BapiGetNextRecord(cur, bapiNoLock, r.data(), nullptr), bapiOk);
  uint32_t seq = 0;
  EXPECT_NE(BapiGetSeqNo(cur, seq), bapiOk);
  EXPECT_NE(BapiSetToSeqNo(cur, 4), bapiOk);
  EXPECT_EQ(CurrentId(), 2);
  // Switching the index keeps the current record.
  ASSERT_EQ(BapiSwitchToIndex(cur, "ByDateDesc"), bapiOk);
  EXPECT_EQ(CurrentId(), 2);
  EXPECT_EQ(BapiSwitchToIndex(cur, "Nope"), bapiNoSuchIndex);
  EXPECT_EQ(CurrentId(), 2);
  TBapiCursorProps props;
  ASSERT_EQ(BapiGetCursorProps(cur, props), bapiOk);
  EXPECT_EQ(props.IndexNum, 3);
  EXPECT_EQ(props.KeyFieldCount, 1);
  EXPECT_EQ(props.TableName, "PERSON.FFD");
}

TEST_F(TableTest, BookmarksAndTheirComparison) {
  ASSERT_EQ(BapiSwitchToIndex(cur, "ByName"), bapiOk);
  ASSERT_EQ(Insert(1, "Anna"), bapiOk);
  ASSERT_EQ(Insert(2, "Berta"), bapiOk);
  ASSERT_EQ(Insert(3, "berta"), bapiOk);  // equal key: the index ignores case
  TBapiCursorProps props;
  ASSERT_EQ(BapiGetCursorProps(cur, props), bapiOk);
  ASSERT_GT(props.BookmarkSize, 0);
  std::vector<uint8_t> bm1(props.BookmarkSize), bm2(props.BookmarkSize), bm3(props.BookmarkSize);
  auto r = NewRecord();
  ASSERT_EQ(BapiSetToBegin(cur), bapiOk);
  ASSERT_EQ(BapiGetNextRecord(cur, bapiNoLock, r.data(), nullptr), bapiOk);
  ASSERT_EQ(BapiGetBookMark(cur, bm1.data()), bapiOk);
  ASSERT_EQ(BapiGetNextRecord(cur, bapiNoLock, r.data(), nullptr), bapiOk);
  ASSERT_EQ(BapiGetBookMark(cur, bm2.data()), bapiOk);
  ASSERT_EQ(BapiGetNextRecord(cur, bapiNoLock, r.data(), nullptr), bapiOk);
  ASSERT_EQ(BapiGetBookMark(cur, bm3.data()), bapiOk);
  int16_t c = 99;
  EXPECT_EQ(BapiCompareBookMarks(cur, bm1.data(), bm1.data(), c), bapiOk);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(BapiCompareBookMarks(cur, bm1.data(), bm2.data(), c), bapiOk);
  EXPECT_EQ(c, -1);
  EXPECT_EQ(BapiCompareBookMarks(cur, bm3.data(), bm1.data(), c), bapiOk);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(BapiCompareBookMarks(cur, bm2.data(), bm3.data(), c), bapiOk);
  EXPECT_EQ(c, 2);
  // The comparison does not move the cursor.
  EXPECT_EQ(CurrentId(), IdOf(r));
  // Going to a bookmark.
  ASSERT_EQ(BapiSetToBookMark(cur, bm1.data()), bapiOk);
  EXPECT_EQ(CurrentId(), 1);
  // Partial key on the name index: the first name starting with "ber".
  auto pk = NewRecord();
  PutStr(pk, fName, "BERxx");
  ASSERT_EQ(BapiSetToKey(cur, bapiKeyEqual, 1, 3, pk.data()), bapiOk);
  EXPECT_EQ(CurrentId(), 2);
  PutStr(pk, fName, "Bex");
  EXPECT_EQ(BapiSetToKey(cur, bapiKeyEqual, 1, 3, pk.data()), bapiRecordNotFound);
  EXPECT_EQ(CurrentId(), 2);
  // No bookmark off a record; a zero bookmark is refused.
  ASSERT_EQ(BapiSetToEnd(cur), bapiOk);
  EXPECT_NE(BapiGetBookMark(cur, bm1.data()), bapiOk);
  std::vector<uint8_t> zero(props.BookmarkSize, 0);
  EXPECT_EQ(BapiSetToBookMark(cur, zero.data()), bapiInvalidBookmark);
  EXPECT_EQ(BapiCompareBookMarks(cur, zero.data(), bm2.data(), c), bapiInvalidBookmark);
  // A bookmark of a deleted record.
  ASSERT_EQ(BapiSetToBookMark(cur, bm2.data()), bapiOk);
  ASSERT_EQ(BapiDeleteRecord(cur, nullptr), bapiOk);
  EXPECT_NE(BapiSetToBookMark(cur, bm2.data()), bapiOk);
}

TEST_F(TableTest, KeySearchAndRanges) {
  for (int id = 10; id <= 50; id += 10) ASSERT_EQ(Insert(id, "x", 730000 + id), bapiOk);
  auto key = NewRecord();
  PutInt32(key, fID, 30);
  ASSERT_EQ(BapiSetToKey(cur, bapiKeyEqual, 0, 0, key.data()), bapiOk);
  EXPECT_EQ(CurrentId(), 30);
  PutInt32(key, fID, 35);
  EXPECT_EQ(BapiSetToKey(cur, bapiKeyEqual, 0, 0, key.data()), bapiRecordNotFound);
  EXPECT_EQ(CurrentId(), 30);  // position kept
  ASSERT_EQ(BapiSetToKey(cur, bapiKeyNearest, 0, 0, key.data()), bapiOk);
  EXPECT_EQ(CurrentId(), 40);
  PutInt32(key, fID, 99);
  EXPECT_EQ(BapiSetToKey(cur, bapiKeyNearest, 0, 0, key.data()), bapiEndOfCursor);

  // Range 20..40 inclusive, then open at the end.
  auto lo = NewRecord(), hi = NewRecord();
  PutInt32(lo, fID, 20);
  PutInt32(hi, fID, 40);
  ASSERT_EQ(BapiSetRange(cur, 1, lo.data(), true, 1, hi.data(), true), bapiOk);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{20, 30, 40}));
  uint32_t n = 0;
  EXPECT_EQ(BapiGetExactRecordCount(cur, n), bapiOk);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(BapiGetRecordCount(cur, n), bapiOk);
  EXPECT_EQ(n, 5u);  // the table's count
  ASSERT_EQ(BapiSetRange(cur, 1, lo.data(), false, 0, nullptr, true), bapiOk);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{30, 40, 50}));
  ASSERT_EQ(BapiResetRange(cur), bapiOk);
  EXPECT_EQ(Ids().size(), 5u);

  // A descending index: nearest is the first key not greater.
  ASSERT_EQ(BapiSwitchToIndex(cur, "ByDateDesc"), bapiOk);
  auto dk = NewRecord();
  PutDate(dk, 730035);
  ASSERT_EQ(BapiSetToKey(cur, bapiKeyNearest, 0, 0, dk.data()), bapiOk);
  EXPECT_EQ(CurrentId(), 30);
  // No key search in file order.
  ASSERT_EQ(BapiSwitchToIndex(cur, nullptr), bapiOk);
  EXPECT_NE(BapiSetToKey(cur, bapiKeyEqual, 0, 0, key.data()), bapiOk);
  EXPECT_NE(BapiSetRange(cur, 1, lo.data(), true, 1, hi.data(), true), bapiOk);
}

TEST_F(TableTest, ChangesAndTheirCodes) {
  ASSERT_EQ(Insert(1, "one"), bapiOk);
  ASSERT_EQ(Insert(2, "two"), bapiOk);
  EXPECT_EQ(Insert(1, "again"), bapiKeyViolation);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
  // A required field left blank.
  auto r = NewRecord();
  PutStr(r, fName, "no id");
  EXPECT_NE(BapiInsertRecord(cur, bapiNoLock, r.data()), bapiOk);

  // Modify the current record.
  auto key = NewRecord();
  PutInt32(key, fID, 2);
  ASSERT_EQ(BapiSetToKey(cur, bapiKeyEqual, 0, 0, key.data()), bapiOk);
  ASSERT_EQ(BapiGetRecord(cur, bapiNoLock, r.data(), nullptr), bapiOk);
  PutStr(r, fName, "zwei");
  ASSERT_EQ(BapiModifyRecord(cur, r.data(), true), bapiOk);
  char s[32];
  bool blank;
  auto back = NewRecord();
  ASSERT_EQ(BapiGetRecord(cur, bapiNoLock, back.data(), nullptr), bapiOk);
  ASSERT_EQ(BapiGetField(cur, fName, back.data(), s, blank), bapiOk);
  EXPECT_STREQ(s, "zwei");
  // Modifying into an existing key is a key violation and changes nothing.
  PutInt32(r, fID, 1);
  EXPECT_EQ(BapiModifyRecord(cur, r.data(), true), bapiKeyViolation);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));

  ASSERT_EQ(BapiSetToKey(cur, bapiKeyEqual, 0, 0, key.data()), bapiOk);
  ASSERT_EQ(BapiDeleteRecord(cur, nullptr), bapiOk);
  EXPECT_EQ(BapiDeleteRecord(cur, nullptr), bapiNoCurrentRecord);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1}));

  // Read-only cursors refuse every change.
  TBapiHandle ro = 0;
  ASSERT_EQ(BapiOpenTable(db, "PERSON", "ByID", bapiReadOnly, bapiOpenShared, ro), bapiOk);
  auto rr = NewRecord(ro);
  ASSERT_EQ(BapiGetNextRecord(ro, bapiNoLock, rr.data(), nullptr), bapiOk);
  EXPECT_EQ(BapiInsertRecord(ro, bapiNoLock, rr.data()), bapiTableReadOnly);
  EXPECT_EQ(BapiModifyRecord(ro, rr.data(), true), bapiTableReadOnly);
  EXPECT_EQ(BapiDeleteRecord(ro, rr.data()), bapiTableReadOnly);
  EXPECT_EQ(BapiEmptyTable(ro), bapiTableReadOnly);
  TBapiCursorProps props;
  ASSERT_EQ(BapiGetCursorProps(ro, props), bapiOk);
  EXPECT_TRUE(props.ReadOnly);
  // Changes through one cursor show in another.
  ASSERT_EQ(Insert(7, "seven"), bapiOk);
  EXPECT_EQ(Ids(ro), (std::vector<int32_t>{1, 7}));
  EXPECT_EQ(BapiCloseCursor(ro), bapiOk);

  ASSERT_EQ(BapiEmptyTable(cur), bapiOk);
  EXPECT_TRUE(Ids().empty());
}

TEST_F(TableTest, ExclusiveOpen) {
  TBapiHandle ex = 0;
  ASSERT_EQ(BapiCloseCursor(cur), bapiOk);
  ASSERT_EQ(BapiOpenTable(db, "PERSON", nullptr, bapiReadWrite, bapiOpenExclusive, ex), bapiOk);
  TBapiCursorProps props;
  ASSERT_EQ(BapiGetCursorProps(ex, props), bapiOk);
  EXPECT_TRUE(props.Exclusive);
  EXPECT_EQ(BapiCloseCursor(ex), bapiOk);
}

// BLOBs addressed by record buffers and filters installed on table cursors:
// reads in pieces with the end code, reads through a copied buffer, and
// expression and callback filters combined, switched and dropped.
#include <gtest/gtest.h>

#include "tests/dbclient/filter_buffer.h"
#include "tests/dbclient/table_fixture.h"

using namespace testtable;
namespace tf = testfilter;

namespace {

std::string Pattern(size_t n, char seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i % 23);
  return s;
}

}  // namespace

TEST_F(TableTest, BlobReadsInPiecesAndThroughCopies) {
  const std::string big = Pattern(100000, 'a'), small = Pattern(10, 'A');
  // Written in two pieces, the second at an offset, then stored by the insert.
  auto r = NewRecord();
  PutInt32(r, fID, 1);
  ASSERT_EQ(BapiPutBlob(cur, r.data(), fMemo, 0, 60000, big.data()), bapiOk);
  ASSERT_EQ(BapiPutBlob(cur, r.data(), fMemo, 60000, 40000, big.data() + 60000), bapiOk);
  ASSERT_EQ(BapiInsertRecord(cur, bapiNoLock, r.data()), bapiOk);
  auto r2 = NewRecord();
  PutInt32(r2, fID, 2);
  ASSERT_EQ(BapiPutBlob(cur, r2.data(), fMemo, 0, 10, small.data()), bapiOk);
  ASSERT_EQ(BapiInsertRecord(cur, bapiNoLock, r2.data()), bapiOk);

  auto rec = NewRecord();
  ASSERT_EQ(BapiSetToBegin(cur), bapiOk);
  ASSERT_EQ(BapiGetNextRecord(cur, bapiNoLock, rec.data(), nullptr), bapiOk);
  ASSERT_EQ(IdOf(rec), 1);
  uint32_t size = 0, got = 0;
  ASSERT_EQ(BapiGetBlobSize(cur, rec.data(), fMemo, size), bapiOk);
  EXPECT_EQ(size, 100000u);
  std::vector<char> piece(32768);
  EXPECT_EQ(BapiGetBlob(cur, rec.data(), fMemo, 0, 32768, piece.data(), got), bapiBlobNotOpened);
  ASSERT_EQ(BapiOpenBlob(cur, rec.data(), fMemo, bapiReadOnly), bapiOk);
  // Pieces of 32768 as the memo stream reads them: 0, 0, 0, then 8711 with
  // the rest still valid.
  std::string read;
  TBapiResult rc;
  std::vector<TBapiResult> codes;
  do {
    rc = BapiGetBlob(cur, rec.data(), fMemo, static_cast<uint32_t>(read.size()), 32768, piece.data(), got);
    codes.push_back(rc);
    read.append(piece.data(), got);
  } while (rc == bapiOk);
  EXPECT_EQ(codes, (std::vector<TBapiResult>{0, 0, 0, 8711}));
  EXPECT_EQ(read, big);
  // A read-only BLOB refuses writes.
  EXPECT_NE(BapiPutBlob(cur, rec.data(), fMemo, 0, 1, "x"), bapiOk);

  // A copy of the buffer reaches the same BLOB after the cursor moved on.
  std::vector<uint8_t> copy = rec;
  ASSERT_EQ(BapiGetNextRecord(cur, bapiNoLock, rec.data(), nullptr), bapiOk);
  ASSERT_EQ(IdOf(rec), 2);
  ASSERT_EQ(BapiOpenBlob(cur, copy.data(), fMemo, bapiReadOnly), bapiOk);
  EXPECT_EQ(BapiGetBlob(cur, copy.data(), fMemo, 99990, 100, piece.data(), got), 8711);
  EXPECT_EQ(std::string(piece.data(), got), big.substr(99990));
  // Reading at or past the end gives nothing and the end code.
  EXPECT_EQ(BapiGetBlob(cur, copy.data(), fMemo, 200000, 10, piece.data(), got), 8711);
  EXPECT_EQ(got, 0u);
  const int live = BapiLiveObjectCount();
  EXPECT_EQ(BapiFreeBlob(cur, copy.data(), fMemo), bapiOk);
  EXPECT_EQ(BapiLiveObjectCount(), live - 1);
  EXPECT_EQ(BapiFreeBlob(cur, copy.data(), fMemo), bapiBlobNotOpened);
  // The first buffer now holds record 2 but its BLOB is still open.
  ASSERT_EQ(BapiGetBlob(cur, rec.data(), fMemo, 0, 100, piece.data(), got), 8711);
  EXPECT_EQ(std::string(piece.data(), got), small);
  // Non-BLOB fields and missing fields.
  EXPECT_NE(BapiOpenBlob(cur, rec.data(), fName, bapiReadOnly), bapiOk);
  EXPECT_EQ(BapiOpenBlob(cur, rec.data(), fCount + 1, bapiReadOnly), 9985);
  // The open BLOB of rec is left for the cursor's close (checked in TearDown).
}

TEST_F(TableTest, BlobRewriteThroughModify) {
  auto r = NewRecord();
  PutInt32(r, fID, 1);
  ASSERT_EQ(BapiPutBlob(cur, r.data(), fMemo, 0, 5, "hello"), bapiOk);
  ASSERT_EQ(BapiInsertRecord(cur, bapiNoLock, r.data()), bapiOk);
  auto rec = NewRecord();
  ASSERT_EQ(BapiGetRecord(cur, bapiNoLock, rec.data(), nullptr), bapiOk);
  ASSERT_EQ(BapiOpenBlob(cur, rec.data(), fMemo, bapiReadWrite), bapiOk);
  ASSERT_EQ(BapiPutBlob(cur, rec.data(), fMemo, 1, 3, "ELL"), bapiOk);  // splice
  ASSERT_EQ(BapiTruncateBlob(cur, rec.data(), fMemo, 4), bapiOk);
  ASSERT_EQ(BapiModifyRecord(cur, rec.data(), true), bapiOk);
  ASSERT_EQ(BapiFreeBlob(cur, rec.data(), fMemo), bapiOk);
  auto again = NewRecord();
  ASSERT_EQ(BapiGetRecord(cur, bapiNoLock, again.data(), nullptr), bapiOk);
  ASSERT_EQ(BapiOpenBlob(cur, again.data(), fMemo, bapiReadOnly), bapiOk);
  char buf[16] = {};
  uint32_t got = 0;
  EXPECT_EQ(BapiGetBlob(cur, again.data(), fMemo, 0, 16, buf, got), 8711);
  EXPECT_EQ(std::string(buf, got), "hELL");
  EXPECT_NE(BapiPutBlob(cur, again.data(), fMemo, 0, 3, "xyz"), bapiOk);  // opened read-only
  ASSERT_EQ(BapiFreeBlob(cur, again.data(), fMemo), bapiOk);
  // Pending writes of a cancelled edit are forgotten.
  ASSERT_EQ(BapiPutBlob(cur, again.data(), fMemo, 0, 3, "xyz"), bapiOk);
  ASSERT_EQ(BapiDiscardBlobs(cur, again.data()), bapiOk);
  // The buffer names the stored value again, so a later post keeps it.
  PutInt32(again, fSmall, 1);
  ASSERT_EQ(BapiModifyRecord(cur, again.data(), true), bapiOk);
  auto third = NewRecord();
  ASSERT_EQ(BapiGetRecord(cur, bapiNoLock, third.data(), nullptr), bapiOk);
  ASSERT_EQ(BapiOpenBlob(cur, third.data(), fMemo, bapiReadOnly), bapiOk);
  EXPECT_EQ(BapiGetBlob(cur, third.data(), fMemo, 0, 16, buf, got), 8711);
  EXPECT_EQ(std::string(buf, got), "hELL");
  ASSERT_EQ(BapiFreeBlob(cur, third.data(), fMemo), bapiOk);
}

namespace {
struct CallbackLog {
  int calls = 0;
  uintptr_t lastData = 0;
  int32_t rejectId = -1;
  TBapiHandle cursor = 0;
};
int16_t RejectOneId(uintptr_t data, uint8_t* rec, uint32_t) {
  auto* log = reinterpret_cast<CallbackLog*>(data);
  ++log->calls;
  log->lastData = data;
  int32_t id = 0;
  bool blank;
  BapiGetField(log->cursor, fID, rec, &id, blank);
  return id != log->rejectId;
}
}  // namespace

TEST_F(TableTest, ExpressionAndCallbackFilters) {
  const char* names[] = {"Abc", "abc  ", "Xyz", "ABC", "Other"};
  for (int i = 0; i < 5; ++i) ASSERT_EQ(Insert(i + 1, names[i], 730000 + i), bapiOk);

  // The example buffer of Name = "Abc", as the compiler writes it.
  std::vector<uint8_t> buf = tf::Build(tf::Op(tf::kEq, tf::Field("Name"), tf::Str("Abc")));
  TBapiHandle fx = 0;
  ASSERT_EQ(BapiAddFilter(cur, 0, 1, false, buf.data(), nullptr, fx), bapiOk);
  std::fill(buf.begin(), buf.end(), 0);  // the cursor keeps its own copy
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4, 5}));  // not active yet
  ASSERT_EQ(BapiActivateFilter(cur, fx), bapiOk);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 4}));
  // Counting honours the filter and the range and leaves the position.
  auto k = NewRecord();
  PutInt32(k, fID, 2);
  ASSERT_EQ(BapiSetToKey(cur, bapiKeyEqual, 0, 0, k.data()), bapiOk);
  uint32_t n = 0;
  EXPECT_EQ(BapiGetExactRecordCount(cur, n), bapiOk);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(CurrentId(), 2);
  auto lo = NewRecord();
  PutInt32(lo, fID, 2);
  ASSERT_EQ(BapiSetRange(cur, 1, lo.data(), true, 0, nullptr, true), bapiOk);
  EXPECT_EQ(BapiGetExactRecordCount(cur, n), bapiOk);
  EXPECT_EQ(n, 2u);
  ASSERT_EQ(BapiResetRange(cur), bapiOk);

  // A callback filter combines with AND and sees its client data.
  CallbackLog log;
  log.rejectId = 2;
  log.cursor = cur;
  TBapiHandle fc = 0;
  ASSERT_EQ(BapiAddFilter(cur, reinterpret_cast<uintptr_t>(&log), 1, false, nullptr, RejectOneId, fc), bapiOk);
  ASSERT_EQ(BapiActivateFilter(cur, fc), bapiOk);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 4}));
  EXPECT_GT(log.calls, 0);
  EXPECT_EQ(log.lastData, reinterpret_cast<uintptr_t>(&log));
  // Backwards too, and key search skips filtered records.
  auto r = NewRecord();
  ASSERT_EQ(BapiSetToEnd(cur), bapiOk);
  ASSERT_EQ(BapiGetPriorRecord(cur, bapiNoLock, r.data(), nullptr), bapiOk);
  EXPECT_EQ(IdOf(r), 4);
  auto key = NewRecord();
  PutInt32(key, fID, 3);
  EXPECT_EQ(BapiSetToKey(cur, bapiKeyEqual, 0, 0, key.data()), bapiRecordNotFound);
  EXPECT_EQ(CurrentId(), 4);  // position kept
  ASSERT_EQ(BapiSetToKey(cur, bapiKeyNearest, 0, 0, key.data()), bapiOk);
  EXPECT_EQ(CurrentId(), 4);
  // The current record that fails a filter is not delivered.
  PutInt32(key, fID, 1);
  ASSERT_EQ(BapiSetToKey(cur, bapiKeyEqual, 0, 0, key.data()), bapiOk);
  log.rejectId = 1;
  EXPECT_EQ(BapiGetRecord(cur, bapiNoLock, r.data(), nullptr), bapiNoCurrentRecord);
  log.rejectId = 2;

  // Deactivated filters stay installed but take no part.
  ASSERT_EQ(BapiDeactivateFilter(cur, fx), bapiOk);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 3, 4, 5}));
  ASSERT_EQ(BapiActivateFilter(cur, fx), bapiOk);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 4}));
  // Dropping frees the filter and its handle.
  const int live = BapiLiveObjectCount();
  ASSERT_EQ(BapiDropFilter(cur, fc), bapiOk);
  EXPECT_EQ(BapiLiveObjectCount(), live - 1);
  EXPECT_EQ(BapiActivateFilter(cur, fc), bapiInvalidHandle);
  EXPECT_EQ(BapiDropFilter(cur, fc), bapiInvalidHandle);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 4}));

  // A filter handle belongs to its cursor only.
  TBapiHandle other = 0;
  ASSERT_EQ(BapiOpenTable(db, "PERSON", "ByID", bapiReadOnly, bapiOpenShared, other), bapiOk);
  EXPECT_EQ(BapiActivateFilter(other, fx), bapiInvalidHandle);
  EXPECT_EQ(BapiDropFilter(other, fx), bapiInvalidHandle);
  EXPECT_EQ(BapiActivateFilter(cur, other), bapiInvalidHandle);  // a cursor is no filter
  EXPECT_EQ(Ids(other).size(), 5u);
  ASSERT_EQ(BapiCloseCursor(other), bapiOk);
  // fx stays installed: closing the cursor frees it (checked in TearDown).
}

namespace {
// Rejects odd ids and, on its third call, drops its own filter as a dataset
// does when Escape ends its filter event.
struct SelfDropping {
  TBapiHandle cursor = 0, filter = 0;
  int calls = 0;
};
int16_t DropOnThirdCall(uintptr_t data, uint8_t* rec, uint32_t) {
  auto* s = reinterpret_cast<SelfDropping*>(data);
  if (++s->calls == 3) {
    EXPECT_EQ(BapiDropFilter(s->cursor, s->filter), bapiOk);
  }
  int32_t id = 0;
  bool blank;
  BapiGetField(s->cursor, fID, rec, &id, blank);
  return id % 2 == 0;
}
}  // namespace

TEST_F(TableTest, CallbackMayDropItsOwnFilter) {
  for (int i = 1; i <= 6; ++i) ASSERT_EQ(Insert(i, "p"), bapiOk);
  SelfDropping s;
  s.cursor = cur;
  ASSERT_EQ(BapiAddFilter(cur, reinterpret_cast<uintptr_t>(&s), 1, false, nullptr, DropOnThirdCall, s.filter), bapiOk);
  ASSERT_EQ(BapiActivateFilter(cur, s.filter), bapiOk);
  // Records 1 and 2 are judged by the filter, 3 too (its own call dropped
  // it); from 4 on no filter is left.
  EXPECT_EQ(Ids(), (std::vector<int32_t>{2, 4, 5, 6}));
  EXPECT_EQ(s.calls, 3);
  EXPECT_EQ(BapiActivateFilter(cur, s.filter), bapiInvalidHandle);
}

TEST_F(TableTest, FilterOnDatesAndArithmetic) {
  for (int i = 0; i < 10; ++i) ASSERT_EQ(Insert(i + 1, "p", 730120 + i), bapiOk);
  // Dat + 2 >= 1.1.2000 + 7 AND ID < 10 - 1
  auto e = tf::Op(tf::kAnd, tf::Op(tf::kGe, tf::Op(tf::kPlus, tf::Field("Dat"), tf::I32(2)), tf::Date(730127)),
                  tf::Op(tf::kLt, tf::Field("id"), tf::Op(tf::kMinus, tf::I32(10), tf::I32(1))));
  auto buf = tf::Build(e);
  TBapiHandle f = 0;
  ASSERT_EQ(BapiAddFilter(cur, 0, 1, false, buf.data(), nullptr, f), bapiOk);
  ASSERT_EQ(BapiActivateFilter(cur, f), bapiOk);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{6, 7, 8}));
  ASSERT_EQ(BapiDropFilter(cur, f), bapiOk);
}

TEST_F(TableTest, RefusedFilterBuffers) {
  TBapiHandle f = 77;
  auto unknown = tf::Build(tf::Op(tf::kEq, tf::Field("Vorname"), tf::Str("x")));
  EXPECT_EQ(BapiAddFilter(cur, 0, 1, false, unknown.data(), nullptr, f), bapiUnknownFilterField);
  EXPECT_EQ(f, 0u);
  auto bad = tf::Build(tf::Op(tf::kEq, tf::Field("Name"), tf::Str("x")));
  bad[0] = 9;  // version
  EXPECT_EQ(BapiAddFilter(cur, 0, 1, false, bad.data(), nullptr, f), bapiInvalidFilter);
  bad[0] = 1;
  bad[4] = 2;  // node count disagrees with the literal start
  EXPECT_EQ(BapiAddFilter(cur, 0, 1, false, bad.data(), nullptr, f), bapiInvalidFilter);
  EXPECT_EQ(BapiAddFilter(cur, 0, 1, false, nullptr, nullptr, f), bapiInvalidParameter);
  EXPECT_EQ(f, 0u);
}

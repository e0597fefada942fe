// Tables and cursors: building and opening files, navigation, keys,
// ranges on descending indexes, bookmarks, BLOBs, space reuse, locks and
// transactions.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <vector>

#include "dbengine/engine.h"
#include "dbengine/blockfile.h"
#include "dbengine/filelayer.h"
#include "dbengine/table.h"
#include "platform/rtl/invariants.h"
#include "tests/dbengine/test_util.h"

namespace {

using Rec = std::vector<uint8_t>;

TffResult CodeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EffException& e) {
    return e.ResultCode();
  }
  return rcOK;
}

// EIGENES with a person entry per (id, day, month, year, surname).
class EigenesTest : public ::testing::Test {
protected:
  EigenesTest() : dir_("eigenes"), dict_(8192) {
    dbtest::EigenesDict(dict_);
    path_ = dir_.File("EIGENES.FFD");
    TffTable::Create(path_, dict_, false);
    table_ = TffTable::Open(path_);
  }
  Rec Make(int id, int day, int month, int year, const std::string& surname = "Muster") {
    const auto& d = table_->Dictionary();
    Rec r(static_cast<size_t>(d.RecordLength()));
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, id);
    FFSetFieldInt(d, r.data(), 1, 1);
    FFSetFieldInt(d, r.data(), 15, day);
    FFSetFieldInt(d, r.data(), 16, month);
    FFSetFieldInt(d, r.data(), 17, year);
    FFSetFieldString(d, r.data(), 6, surname);
    FFSetFieldInt(d, r.data(), 19, month * 100 + day);
    return r;
  }
  int Id(const Rec& r) { return static_cast<int>(FFGetFieldInt(table_->Dictionary(), r.data(), 0)); }
  int Year(const Rec& r) { return static_cast<int>(FFGetFieldInt(table_->Dictionary(), r.data(), 17)); }
  void Insert(TffCursor& c, const Rec& r) { c.InsertRecord(r.data()); }
  void Check() {
    auto problems = table_->CheckConsistency();
    EXPECT_TRUE(problems.empty()) << problems.front();
  }

  dbtest::ScratchDir dir_;
  TffDataDictionary dict_;
  std::string path_;
  std::shared_ptr<TffTable> table_;
};

TEST(TableFiles, CreateOpenDeleteAndErrors) {
  dbtest::ScratchDir dir("files");
  TffDataDictionary d(8192);
  dbtest::LayoutDict(d);
  std::string p = dir.File("LAYOUT.FFD");
  // A build cut off by a kill left its temporary file: the next build
  // removes it, but not that of a process still running.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string stale = p + ".tmp" + std::to_string(gone), running = p + ".tmp" + std::to_string(getppid());
  std::ofstream(stale) << "x";
  std::ofstream(running) << "x";
  TffTable::Create(p, d, false);
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::remove(running));
  // An open for writing removes one of a process gone, and one that is the table (killed after link).
  ASSERT_EQ(link(p.c_str(), running.c_str()), 0);
  std::ofstream(stale) << "x";
  TffTable::Open(p);
  EXPECT_FALSE(std::filesystem::exists(running) || std::filesystem::exists(stale));
  // Building copies the dictionary: the caller's object can be reused.
  EXPECT_FALSE(d.IsLocked());
  d.Clear();
  dbtest::SelcodeDict(d);
  EXPECT_EQ(CodeOf([&] { TffTable::Create(p, d, false); }), rcTableExists);
  {
    auto t = TffTable::Open(p);
    EXPECT_EQ(t->Dictionary().FieldsLength(), 71);
    EXPECT_TRUE(t->Dictionary().IsLocked());
    EXPECT_EQ(t->RecordCount(), 0u);
    // Same file, same process: one shared table.
    EXPECT_EQ(TffTable::Open(p, TffOpenMode::ReadOnly).get(), t.get());
    EXPECT_EQ(CodeOf([&] { TffTable::Open(p, TffOpenMode::ReadWrite, TffShareMode::Exclusive); }),
              rcNotExclusive);
    EXPECT_EQ(CodeOf([&] { TffTable::Delete(p); }), rcTableInUse);
    EXPECT_EQ(CodeOf([&] { TffTable::Create(p, d, true); }), rcTableInUse);
  }
  // No journal is left beside a table that was closed cleanly.
  EXPECT_FALSE(std::filesystem::exists(p + ".journal"));
  {
    // Opened read-only, then for writing: the dictionary a caller holds
    // stays valid, and the write works.
    auto ro = TffTable::Open(p, TffOpenMode::ReadOnly);
    const TffDataDictionary& held = ro->Dictionary();
    auto c = ro->OpenCursor(0);
    Rec r(static_cast<size_t>(held.RecordLength()));
    FFInitRecord(held, r.data());
    FFSetFieldInt(held, r.data(), 0, 1);
    FFSetFieldInt(held, r.data(), 3, 0);
    FFSetFieldInt(held, r.data(), 4, 0);
    EXPECT_EQ(CodeOf([&] { c->InsertRecord(r.data()); }), rcTableReadOnly);
    {
      // A file the user may not write: the open for writing is refused,
      // and the table stays open for reading.
      struct NoWriteAccess : ffdetail::FileLayer {
        int Open(const std::string& path, int flags, mode_t mode) override {
          if ((flags & O_ACCMODE) != O_RDONLY) {
            errno = EACCES;
            return -1;
          }
          return FileLayer::Open(path, flags, mode);
        }
      } layer;
      ffdetail::ScopedFileLayer scoped(layer);
      EXPECT_EQ(CodeOf([&] { TffTable::Open(p, TffOpenMode::ReadWrite); }), rcAccessDenied);
      EXPECT_TRUE(ro->ReadOnly());
      EXPECT_FALSE(c->First(nullptr));
      EXPECT_TRUE(ro->CheckConsistency().empty());
    }
    auto rw = TffTable::Open(p, TffOpenMode::ReadWrite);
    EXPECT_FALSE(ro->ReadOnly());
    c->InsertRecord(r.data());
    EXPECT_EQ(held.FieldsLength(), 71);
    EXPECT_EQ(rw->RecordCount(), 1u);
  }
  TffTable::Create(p, d, true);
  EXPECT_EQ(TffTable::Open(p)->Dictionary().FieldsLength(), 35);
  TffTable::Delete(p);
  EXPECT_FALSE(TffTable::Exists(p));
  EXPECT_EQ(CodeOf([&] { TffTable::Delete(p); }), rcNoSuchTable);
  EXPECT_EQ(CodeOf([&] { TffTable::Open(p); }), rcNoSuchTable);
  // A refused dictionary leaves no file behind.
  TffDataDictionary empty(4096);
  EXPECT_EQ(CodeOf([&] { TffTable::Create(p, empty, false); }), rcInvalidDictionary);
  EXPECT_FALSE(TffTable::Exists(p));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(TableFiles, BlocksCarrySignatureAndNumber) {
  dbtest::ScratchDir dir("sig");
  TffDataDictionary d(4096);
  dbtest::SelcodeDict(d);
  std::string p = dir.File("SELCODE.FFD");
  TffTable::Create(p, d, false);
  {
    auto t = TffTable::Open(p);
    auto c = t->OpenCursor(0);
    Rec r(static_cast<size_t>(d.RecordLength()));
    for (int i = 0; i < 300; ++i) {
      FFInitRecord(d, r.data());
      FFSetFieldString(d, r.data(), 0, std::to_string(i));
      c->InsertRecord(r.data());
    }
  }
  std::ifstream in(p, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(all.size() % 4096, 0u);
  std::set<std::string> sigs;
  for (size_t b = 0; b * 4096 < all.size(); ++b) {
    sigs.insert(all.substr(b * 4096, 4));
    uint32_t no;
    std::memcpy(&no, all.data() + b * 4096 + 4, 4);
    EXPECT_EQ(no, b);
  }
  EXPECT_EQ(all.substr(0, 4), "FFFH");
  EXPECT_TRUE(sigs.count("FFDH") && sigs.count("FFIH") && sigs.count("FFSH"));
}

TEST_F(EigenesTest, NavigationInEveryOrder) {
  auto c = table_->OpenCursor(0);
  for (int id : {5, 3, 9, 1, 7}) Insert(*c, Make(id, id, 1, 1900 + id));
  Rec r(static_cast<size_t>(c->RecordLength()));
  std::vector<int> ids;
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) ids.push_back(Id(r));
  EXPECT_EQ(ids, (std::vector<int>{1, 3, 5, 7, 9}));
  EXPECT_FALSE(c->Next(r.data()));
  ids.clear();
  for (bool ok = c->Last(r.data()); ok; ok = c->Prior(r.data())) ids.push_back(Id(r));
  EXPECT_EQ(ids, (std::vector<int>{9, 7, 5, 3, 1}));
  // Physical order is insertion order in a fresh table.
  c->SwitchToIndex(kPhysicalOrder);
  ids.clear();
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) ids.push_back(Id(r));
  EXPECT_EQ(ids, (std::vector<int>{5, 3, 9, 1, 7}));
  // Switching keeps the current record.
  c->First(r.data());
  c->Next(r.data());
  c->SwitchToIndex("XEIGE_ID");
  ASSERT_TRUE(c->GetRecord(r.data()));
  EXPECT_EQ(Id(r), 3);
  ASSERT_TRUE(c->Next(r.data()));
  EXPECT_EQ(Id(r), 5);
  EXPECT_EQ(CodeOf([&] { c->SwitchToIndex("NOPE"); }), rcNoSuchIndex);
  Check();
}

// A change that leaves the file inconsistent (here a free-block count the
// engine itself got wrong inside a transaction) is caught by the walk after
// its commit instead of surfacing much later.
TEST_F(EigenesTest, CommitWalkCatchesAChangeThatBreaksTheFile) {
  ASSERT_TRUE(InvariantChecks()) << "test programs run with the invariant walks on";
  auto c = table_->OpenCursor(0);
  Insert(*c, Make(1, 1, 1, 1950));
  table_->StartTransaction();
  Insert(*c, Make(2, 1, 1, 1950));
  uint8_t* h = table_->Impl().File().HeaderForWrite();
  ffdetail::Put32(h + ffdetail::kHdrFreeCount, ffdetail::Get32(h + ffdetail::kHdrFreeCount) + 3);
  EXPECT_EQ(CodeOf([&] { table_->Commit(); }), rcFileDamaged);
}

TEST_F(EigenesTest, KeyViolationChangesNothing) {
  auto c = table_->OpenCursor(0);
  Insert(*c, Make(1, 1, 1, 1950));
  Insert(*c, Make(2, 1, 1, 1950));
  uint32_t blocks = table_->BlockCount();
  EXPECT_EQ(CodeOf([&] { Insert(*c, Make(1, 2, 2, 1960)); }), rcKeyViolation);
  EXPECT_EQ(table_->RecordCount(), 2u);
  EXPECT_EQ(table_->BlockCount(), blocks);
  // Modify into an existing key is refused too; the record stays as it was.
  Rec r(static_cast<size_t>(c->RecordLength()));
  c->First(r.data());
  Rec changed = Make(2, 3, 3, 1970);
  EXPECT_EQ(CodeOf([&] { c->ModifyRecord(changed.data()); }), rcKeyViolation);
  c->GetRecord(r.data());
  EXPECT_EQ(Id(r), 1);
  EXPECT_EQ(Year(r), 1950);
  // A required field left null.
  Rec noId = Make(3, 1, 1, 1);
  FFSetFieldNull(table_->Dictionary(), noId.data(), 0, true);
  EXPECT_EQ(CodeOf([&] { Insert(*c, noId); }), rcRequiredFieldMissing);
  // Case-insensitive unique name index: "muster" equals "MUSTER".
  c->SwitchToIndex("XEIGE_NAME");
  Rec a = Make(10, 1, 1, 1), b = Make(10, 1, 1, 1, "MUSTER");
  FFSetFieldString(table_->Dictionary(), a.data(), 0 + 5, "Hans");
  FFSetFieldInt(table_->Dictionary(), b.data(), 0, 11);
  FFSetFieldInt(table_->Dictionary(), a.data(), 0, 11);
  FFSetFieldString(table_->Dictionary(), b.data(), 5, "HANS");
  Insert(*c, a);
  EXPECT_EQ(CodeOf([&] { Insert(*c, b); }), rcKeyViolation);
  Check();
}

TEST_F(EigenesTest, DescendingIndexRangeAndNearest) {
  auto c = table_->OpenCursor(table_->Dictionary().IndexNumber("XEIGE_MTJ"));
  int id = 1;
  for (int year : {1950, 1920, 1980, 2001, 1899})
    Insert(*c, Make(id++, 5, 7, year));
  Insert(*c, Make(id++, 4, 7, 1990));
  Insert(*c, Make(id++, 6, 7, 1800));
  Insert(*c, Make(id++, 5, 8, 1700));
  Rec r(static_cast<size_t>(c->RecordLength()));
  // Forward within one month and day: latest year first.
  Rec lo = Make(0, 5, 7, 9999), hi = Make(0, 5, 7, 0);
  c->SetRange(lo.data(), 3, true, hi.data(), 3, true);
  std::vector<int> years;
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) years.push_back(Year(r));
  EXPECT_EQ(years, (std::vector<int>{2001, 1980, 1950, 1920, 1899}));
  EXPECT_EQ(c->RecordCountInRange(), 5u);
  years.clear();
  for (bool ok = c->Last(r.data()); ok; ok = c->Prior(r.data())) years.push_back(Year(r));
  EXPECT_EQ(years, (std::vector<int>{1899, 1920, 1950, 1980, 2001}));
  // A range on the two leading fields gives the same set.
  c->SetRange(lo.data(), 2, true, hi.data(), 2, true);
  EXPECT_EQ(c->RecordCountInRange(), 5u);
  c->ResetRange();
  EXPECT_EQ(c->RecordCountInRange(), 8u);
  // Nearest on a descending index: the first key not greater.
  Rec probe = Make(0, 5, 7, 1960);
  ASSERT_TRUE(c->FindNearest(probe.data()));
  c->GetRecord(r.data());
  EXPECT_EQ(Year(r), 1950);
  years.clear();
  for (bool ok = true; ok; ok = c->Prior(r.data())) years.push_back(Year(r));
  // Walking back passes the later days and months of the descending order.
  EXPECT_EQ(years, (std::vector<int>{1950, 1980, 2001, 1800, 1700}));
  // Full key found, missing key leaves the position.
  Rec exact = Make(0, 5, 7, 1920), missing = Make(0, 5, 7, 1921);
  ASSERT_TRUE(c->FindKey(exact.data()));
  EXPECT_FALSE(c->FindKey(missing.data()));
  c->GetRecord(r.data());
  EXPECT_EQ(Year(r), 1920);
  // Partial key: month and day only finds the first of that day.
  ASSERT_TRUE(c->FindKey(missing.data(), 2));
  c->GetRecord(r.data());
  EXPECT_EQ(Year(r), 2001);
  EXPECT_EQ(c->CompareKeyWithCurrent(missing.data(), 2), 0);
  // Nearest past every key lies at the end.
  Rec after = Make(0, 1, 1, 0);
  EXPECT_FALSE(c->FindNearest(after.data()));
  EXPECT_FALSE(c->Next(r.data()));
  Check();
}

TEST_F(EigenesTest, PartialStringKeyAndNulls) {
  auto c = table_->OpenCursor(table_->Dictionary().IndexNumber("XEIGE_NAME"));
  const char* names[] = {"Meier", "m\xfcller", "Maier", "Mayer", "M\xdcLLER-L", "Zander"};
  int id = 1;
  for (const char* n : names) Insert(*c, Make(id++, 1, 1, 1, n));
  Rec nul = Make(id++, 1, 1, 1);
  FFSetFieldNull(table_->Dictionary(), nul.data(), 6, true);
  Insert(*c, nul);
  Rec r(static_cast<size_t>(c->RecordLength()));
  // Nulls first.
  ASSERT_TRUE(c->First(r.data()));
  EXPECT_TRUE(FFIsFieldNull(table_->Dictionary(), r.data(), 6));
  // Case-insensitive partial search on type + surname prefix "MÜL".
  Rec k = Make(0, 1, 1, 1, "M\xdcL");
  ASSERT_TRUE(c->FindKey(k.data(), 2, 3));
  c->GetRecord(r.data());
  EXPECT_EQ(FFGetFieldString(table_->Dictionary(), r.data(), 6), "m\xfcller");
  ASSERT_TRUE(c->Next(r.data()));
  EXPECT_EQ(FFGetFieldString(table_->Dictionary(), r.data(), 6), "M\xdcLLER-L");
  Rec none = Make(0, 1, 1, 1, "Q");
  EXPECT_FALSE(c->FindKey(none.data(), 2, 1));
}

TEST_F(EigenesTest, BookmarksAndCursorsSeeEachOther) {
  auto a = table_->OpenCursor(0);
  auto b = table_->OpenCursor(table_->Dictionary().IndexNumber("XEIGE_MTJ"));
  for (int i = 1; i <= 50; ++i) Insert(*a, Make(i, i % 28 + 1, i % 12 + 1, 1900 + i));
  Rec r(static_cast<size_t>(a->RecordLength()));
  ASSERT_TRUE(a->FindKey(Make(20, 0, 0, 0).data()));
  TffBookmark bm20 = a->GetBookmark();
  ASSERT_TRUE(a->FindKey(Make(30, 0, 0, 0).data()));
  TffBookmark bm30 = a->GetBookmark();
  EXPECT_EQ(a->CompareBookmarks(bm20, bm30), -1);
  EXPECT_EQ(a->CompareBookmarks(bm30, bm20), 1);
  EXPECT_EQ(a->CompareBookmarks(bm20, bm20), 0);
  b->GotoBookmark(bm20);
  b->GetRecord(r.data());
  EXPECT_EQ(Id(r), 20);
  // Order of bookmarks follows each cursor's own index.
  // (id 20 has month 9, id 30 month 7; the month index is descending.)
  EXPECT_EQ(b->CompareBookmarks(bm20, bm30), -1);
  EXPECT_EQ(b->CompareBookmarks(bm30, bm20), 1);
  // b's record is changed through a; b sees the change when it reads again.
  a->GotoBookmark(bm20);
  Rec changed = Make(20, 1, 1, 2020);
  a->ModifyRecord(changed.data());
  ASSERT_TRUE(b->GetRecord(r.data()));
  EXPECT_EQ(Year(r), 2020);
  // b's record is deleted through a: b is off the record, moves on fine.
  a->DeleteRecord();
  EXPECT_FALSE(b->GetRecord(r.data()));
  EXPECT_FALSE(b->BookmarkValid(bm20));
  EXPECT_EQ(CodeOf([&] { b->GotoBookmark(bm20); }), rcInvalidBookmark);
  ASSERT_TRUE(a->Next(r.data()));
  EXPECT_EQ(Id(r), 21);
  ASSERT_TRUE(a->Prior(r.data()));
  EXPECT_EQ(Id(r), 19);
  int n = 0;
  for (bool ok = b->First(r.data()); ok; ok = b->Next(r.data())) ++n;
  EXPECT_EQ(n, 49);
  Check();
}

TEST_F(EigenesTest, BlobsAcrossBlocksNullAndEmpty) {
  auto c = table_->OpenCursor(0);
  std::mt19937 rng(7);
  std::string big(100000, '\0');
  for (char& ch : big) ch = static_cast<char>(rng());
  Rec r = Make(1, 1, 1, 1);
  c->WriteBlob(r.data(), 4, big.data(), static_cast<uint32_t>(big.size()));
  EXPECT_EQ(c->BlobSize(r.data(), 4), big.size());  // pending value readable
  Insert(*c, r);
  Rec e = Make(2, 1, 1, 1);
  c->WriteBlob(e.data(), 4, "", 0);
  Insert(*c, e);
  Insert(*c, Make(3, 1, 1, 1));
  Rec got(r.size());
  ASSERT_TRUE(c->FindKey(Make(1, 0, 0, 0).data()));
  c->GetRecord(got.data());
  EXPECT_EQ(c->BlobSize(got.data(), 4), 100000u);
  EXPECT_EQ(c->ReadBlobAll(got.data(), 4), big);
  char part[10];
  bool end = false;
  EXPECT_EQ(c->ReadBlob(got.data(), 4, 99995, 10, part, &end), 5u);
  EXPECT_TRUE(end);
  EXPECT_EQ(std::string(part, 5), big.substr(99995));
  EXPECT_EQ(c->ReadBlob(got.data(), 4, 8000, 10, part, &end), 10u);
  EXPECT_FALSE(end);
  EXPECT_EQ(std::string(part, 10), big.substr(8000, 10));
  ASSERT_TRUE(c->FindKey(Make(2, 0, 0, 0).data()));
  c->GetRecord(got.data());
  EXPECT_FALSE(c->BlobIsNull(got.data(), 4));
  EXPECT_EQ(c->BlobSize(got.data(), 4), 0u);
  ASSERT_TRUE(c->FindKey(Make(3, 0, 0, 0).data()));
  c->GetRecord(got.data());
  EXPECT_TRUE(c->BlobIsNull(got.data(), 4));
  EXPECT_EQ(CodeOf([&] { c->BlobSize(got.data(), 5); }), rcBlobNotOpen);
  // Truncate and replace free the old chain.
  uint32_t blocks = table_->BlockCount();
  ASSERT_TRUE(c->FindKey(Make(1, 0, 0, 0).data()));
  c->GetRecord(got.data());
  c->TruncateBlob(got.data(), 4, 10);
  c->ModifyRecord(got.data());
  c->GetRecord(got.data());
  EXPECT_EQ(c->ReadBlobAll(got.data(), 4), big.substr(0, 10));
  c->SetBlobNull(got.data(), 4);
  c->ModifyRecord(got.data());
  c->GetRecord(got.data());
  EXPECT_TRUE(c->BlobIsNull(got.data(), 4));
  // The new chain is written before the old one is freed: one block more
  // at most, and none on the next change.
  EXPECT_LE(table_->BlockCount(), blocks + 1);
  blocks = table_->BlockCount();
  c->WriteBlob(got.data(), 4, big.data(), 7000);
  c->ModifyRecord(got.data());
  c->GetRecord(got.data());
  c->WriteBlob(got.data(), 4, big.data(), 20);
  c->ModifyRecord(got.data());
  EXPECT_EQ(table_->BlockCount(), blocks);
  Check();
  // Reopened, the values are still there.
  c.reset();
  table_.reset();
  table_ = TffTable::Open(path_, TffOpenMode::ReadOnly);
  c = table_->OpenCursor(0);
  ASSERT_TRUE(c->FindKey(Make(2, 0, 0, 0).data()));
  c->GetRecord(got.data());
  EXPECT_FALSE(c->BlobIsNull(got.data(), 4));
  EXPECT_EQ(CodeOf([&] { Insert(*c, Make(9, 1, 1, 1)); }), rcTableReadOnly);
}

TEST_F(EigenesTest, CopiedBlobReferenceGetsItsOwnChain) {
  auto c = table_->OpenCursor(0);
  Rec r = Make(1, 1, 1, 1);
  c->WriteBlob(r.data(), 4, "Text", 4);
  Insert(*c, r);
  Rec got(r.size());
  c->GetRecord(got.data());
  FFSetFieldInt(table_->Dictionary(), got.data(), 0, 2);
  Insert(*c, got);  // a copy of the record, reference and all
  c->DeleteRecord();
  ASSERT_TRUE(c->FindKey(Make(1, 0, 0, 0).data()));
  c->GetRecord(got.data());
  EXPECT_EQ(c->ReadBlobAll(got.data(), 4), "Text");
  Check();
}

TEST_F(EigenesTest, BlobPiecesDiscardAndClone) {
  auto c = table_->OpenCursor(0);
  Rec r = Make(1, 1, 1, 1);
  c->WriteBlob(r.data(), 4, "Hello", 5);
  Insert(*c, r);
  Rec got(r.size());
  c->GetRecord(got.data());
  // Pieces at offsets splice into the stored value.
  c->WriteBlobAt(got.data(), 4, 5, ", World", 7);
  c->WriteBlobAt(got.data(), 4, 0, "J", 1);
  c->WriteBlobAt(got.data(), 4, 14, "!", 1);
  EXPECT_EQ(c->ReadBlobAll(got.data(), 4), std::string("Jello, World\0\0!", 15));
  // Discarding gives the buffer its stored reference back.
  c->DiscardBlobs(got.data());
  EXPECT_EQ(c->ReadBlobAll(got.data(), 4), "Hello");
  c->WriteBlobAt(got.data(), 4, 5, "!", 1);
  c->ModifyRecord(got.data());
  c->GetRecord(got.data());
  EXPECT_EQ(c->ReadBlobAll(got.data(), 4), "Hello!");
  // A buffer whose pending value was stored refuses to be read as pending.
  Rec spent = got;
  c->WriteBlob(spent.data(), 4, "x", 1);
  c->ModifyRecord(spent.data());
  EXPECT_EQ(CodeOf([&] { c->ReadBlobAll(spent.data(), 4); }), rcBlobNotOpen);
  // A clone keeps index, range and position and then moves on its own.
  for (int i = 2; i <= 6; ++i) Insert(*c, Make(i, 1, 1, 1));
  Rec from = Make(2, 0, 0, 0), to = Make(5, 0, 0, 0);
  c->SetRange(from.data(), 1, true, to.data(), 1, true);
  ASSERT_TRUE(c->First(got.data()));
  ASSERT_TRUE(c->Next(got.data()));
  auto k = c->Clone();
  ASSERT_TRUE(k->GetRecord(got.data()));
  EXPECT_EQ(Id(got), 3);
  EXPECT_EQ(k->RecordCountInRange(), 4u);
  ASSERT_TRUE(k->Last(got.data()));
  EXPECT_EQ(Id(got), 5);
  ASSERT_TRUE(c->GetRecord(got.data()));
  EXPECT_EQ(Id(got), 3);
}

TEST_F(EigenesTest, SpaceIsReusedWhenFilledAndEmptied) {
  auto c = table_->OpenCursor(0);
  Rec r(static_cast<size_t>(c->RecordLength()));
  uint32_t afterFirst = 0;
  for (int round = 0; round < 4; ++round) {
    table_->StartTransaction();
    for (int i = 1; i <= 800; ++i) {
      Rec x = Make(i, i % 28 + 1, i % 12 + 1, i);
      if (i % 10 == 0) c->WriteBlob(x.data(), 4, std::string(9000, 'b').data(), 9000);
      Insert(*c, x);
    }
    table_->Commit();
    while (c->First(r.data())) c->DeleteRecord();
    EXPECT_EQ(table_->RecordCount(), 0u);
    if (round == 0) afterFirst = table_->BlockCount();
    EXPECT_EQ(table_->BlockCount(), afterFirst) << "round " << round;
  }
  Check();
  table_->EmptyTable();
  EXPECT_LT(table_->BlockCount(), 10u);
  EXPECT_LT(std::filesystem::file_size(path_), 10u * 8192);
  EXPECT_FALSE(c->First(r.data()));
  Insert(*c, Make(1, 1, 1, 1));
  EXPECT_EQ(table_->RecordCount(), 1u);
  Check();
}

TEST_F(EigenesTest, TransactionsCommitOrRollBackWhole) {
  auto c = table_->OpenCursor(0);
  Insert(*c, Make(1, 1, 1, 1));
  table_->StartTransaction();
  for (int i = 2; i <= 100; ++i) Insert(*c, Make(i, 1, 1, i));
  // A refused insert inside the transaction leaves it going.
  EXPECT_EQ(CodeOf([&] { Insert(*c, Make(5, 1, 1, 1)); }), rcKeyViolation);
  EXPECT_TRUE(table_->InTransaction());
  EXPECT_EQ(table_->RecordCount(), 100u);
  table_->Rollback();
  EXPECT_EQ(table_->RecordCount(), 1u);
  Rec r(static_cast<size_t>(c->RecordLength()));
  int n = 0;
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) ++n;
  EXPECT_EQ(n, 1);
  EXPECT_EQ(CodeOf([&] { table_->Commit(); }), rcNoTransaction);
  // Cursors standing on records that a rollback or an emptying took away
  // move on without error, in either order.
  auto phys = table_->OpenCursor(kPhysicalOrder);
  table_->StartTransaction();
  for (int i = 200; i < 400; ++i) Insert(*c, Make(i, 1, 1, i));
  ASSERT_TRUE(phys->Last(r.data()));
  ASSERT_TRUE(c->Last(r.data()));
  table_->Rollback();
  EXPECT_FALSE(phys->GetRecord(r.data()));
  EXPECT_FALSE(phys->Next(r.data()) && Id(r) >= 200);
  EXPECT_FALSE(c->Next(r.data()));
  ASSERT_TRUE(c->Prior(r.data()));
  EXPECT_EQ(Id(r), 1);
  ASSERT_TRUE(phys->First(r.data()));
  table_->EmptyTable();
  for (int i = 1; i <= 3; ++i) Insert(*c, Make(i, 1, 1, i));
  n = 0;
  while (phys->Next(r.data())) ++n;
  EXPECT_LE(n, 3);
  ASSERT_TRUE(phys->Prior(r.data()));
  Check();
}

TEST_F(EigenesTest, SecondProcessIsRefusedWhileWriting) {
  Insert(*table_->OpenCursor(0), Make(1, 1, 1, 1));
  auto tryOpen = [&](TffOpenMode mode) {
    pid_t pid = fork();
    if (pid == 0) {
      // The child's table registry is a copy of ours, so it opens the file
      // the way a separate process would: through a table object of its own.
      int code = 1;
      try {
        ffdetail::TableImpl other(path_, mode, TffShareMode::Shared);
        code = 0;
      } catch (const EffException& e) {
        code = e.ResultCode() == rcTableInUse ? 2 : 3;
      }
      _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(tryOpen(TffOpenMode::ReadWrite), 2);
  EXPECT_EQ(tryOpen(TffOpenMode::ReadOnly), 2);
  // Opened read-only here, a second reader is welcome, a writer is not.
  table_.reset();
  table_ = TffTable::Open(path_, TffOpenMode::ReadOnly);
  EXPECT_EQ(tryOpen(TffOpenMode::ReadOnly), 0);
  EXPECT_EQ(tryOpen(TffOpenMode::ReadWrite), 2);
}

}  // namespace

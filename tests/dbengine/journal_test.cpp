// The journal on its own: what a commit writes where (no journal copies of
// new blocks, adjacent blocks in one write, the journal's space given back),
// the redo journal of the earlier format, which is still replayed on open
// (or laid over a read-only file) when complete and ignored when torn, and
// tables committed together, whole after a cut at any step.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "dbengine/blockfile.h"
#include "dbengine/engine.h"
#include "dbengine/journal.h"
#include "tests/dbengine/file_layers.h"
#include "tests/dbengine/test_util.h"

namespace {

using dbtest::Slurp;

class JournalTest : public ::testing::Test {
protected:
  JournalTest() : dir_("journal"), dict_(4096) {
    dbtest::SelcodeDict(dict_);
    before_ = dir_.File("SELCODE.FFD");
    TffTable::Create(before_, dict_, false);
    Add(before_, {"A"});
    // The same table after a commit that adds many records (and blocks).
    after_ = dir_.File("AFTER.FFD");
    std::filesystem::copy_file(before_, after_);
    std::vector<std::string> more;
    for (int i = 0; i < 200; ++i) more.push_back(std::to_string(i));  // codes hold three characters
    Add(after_, more);
  }
  void Add(const std::string& path, const std::vector<std::string>& codes) {
    auto t = TffTable::Open(path);
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength()));
    t->StartTransaction();
    for (const auto& code : codes) {
      FFInitRecord(dict_, r.data());
      FFSetFieldString(dict_, r.data(), 0, code);
      c->InsertRecord(r.data());
    }
    t->Commit();
  }
  // Writes a journal of the earlier redo format for `before_` that holds
  // every block of `after_`; `cut` bytes are then cut off its end, `flip`
  // (if >= 0) damaged.
  void WriteJournal(size_t cut, long flip) {
    std::string img = Slurp(after_);
    size_t blocks = img.size() / 4096;
    std::string j(32, '\0');
    ffdetail::Put32(reinterpret_cast<uint8_t*>(j.data()), 0x4C4A4646);
    ffdetail::Put32(reinterpret_cast<uint8_t*>(j.data()) + 4, 4096);
    ffdetail::Put32(reinterpret_cast<uint8_t*>(j.data()) + 8, static_cast<uint32_t>(blocks));
    ffdetail::Put32(reinterpret_cast<uint8_t*>(j.data()) + 12, static_cast<uint32_t>(blocks));
    for (size_t b = 0; b < blocks; ++b) {
      char no[4];
      ffdetail::Put32(reinterpret_cast<uint8_t*>(no), static_cast<uint32_t>(b));
      j.append(no, 4);
      j.append(img, b * 4096, 4096);
    }
    ffdetail::Put32(reinterpret_cast<uint8_t*>(j.data()) + 16,
                    ffdetail::Checksum(reinterpret_cast<const uint8_t*>(j.data()), j.size()));
    j.resize(j.size() - cut);
    if (flip >= 0) j[static_cast<size_t>(flip)] ^= 0x10;
    std::ofstream out(ffdetail::JournalPath(before_), std::ios::binary | std::ios::trunc);
    out.write(j.data(), static_cast<std::streamsize>(j.size()));
  }
  uint32_t Count(TffOpenMode mode) {
    auto t = TffTable::Open(before_, mode);
    auto problems = t->CheckConsistency();
    EXPECT_TRUE(problems.empty()) << problems.front();
    return t->RecordCount();
  }

  dbtest::ScratchDir dir_;
  TffDataDictionary dict_;
  std::string before_, after_;
};

TEST_F(JournalTest, EarlierRedoJournalIsLaidOverReadOnlyAndReplayedOnWrite) {
  WriteJournal(0, -1);
  EXPECT_EQ(Count(TffOpenMode::ReadOnly), 201u);
  EXPECT_NE(Slurp(before_), Slurp(after_));  // a reader changes nothing
  EXPECT_EQ(Count(TffOpenMode::ReadWrite), 201u);
  EXPECT_EQ(Slurp(before_), Slurp(after_));
  EXPECT_FALSE(std::filesystem::exists(ffdetail::JournalPath(before_)));
}

TEST_F(JournalTest, TornOrDamagedRedoJournalIsIgnored) {
  std::string original = Slurp(before_);
  for (auto [cut, flip] : {std::pair<size_t, long>{1, -1}, {4096, -1}, {0, 5000}, {0, 20}, {0, 2}}) {
    WriteJournal(cut, flip);
    EXPECT_EQ(Count(TffOpenMode::ReadWrite), 1u) << "cut " << cut << " flip " << flip;
    EXPECT_EQ(Slurp(before_), original);
  }
}

// Opening for writing makes no journal; the first commit does, and a clean
// close removes it again.
TEST_F(JournalTest, JournalIsMadeByTheFirstCommitOnly) {
  const std::string jp = ffdetail::JournalPath(before_);
  {
    auto t = TffTable::Open(before_, TffOpenMode::ReadWrite);
    EXPECT_FALSE(std::filesystem::exists(jp));
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength()));
    FFInitRecord(dict_, r.data());
    FFSetFieldString(dict_, r.data(), 0, "B");
    c->InsertRecord(r.data());
    EXPECT_TRUE(std::filesystem::exists(jp));
  }
  EXPECT_FALSE(std::filesystem::exists(jp));
  EXPECT_EQ(Count(TffOpenMode::ReadOnly), 2u);
}

// Two tables committed as one, with a power cut at each step of the
// commit: whichever is opened first, both show all of the commit or none.
// With a journal then removed or cut, a table it may have left half written
// is refused for good, the other undone; the group's record then goes.
TEST_F(JournalTest, TablesCommittedTogetherAreWholeAfterACutAtAnyStep) {
  const std::string one = Slurp(before_), two = Slurp(after_);
  const std::string record = ffdetail::GroupRecordPath(before_);
  auto count = [&](const std::string& path) {
    auto t = TffTable::Open(path);
    EXPECT_TRUE(t->CheckConsistency().empty()) << path;
    return t->RecordCount();
  };
  auto refused = [&](const std::string& path) {
    int damaged = 0;
    for (auto mode : {TffOpenMode::ReadOnly, TffOpenMode::ReadWrite}) try {
        TffTable::Open(path, mode);
      } catch (const EffException& e) { damaged += e.ResultCode() == rcFileDamaged; }
    return damaged == 2;
  };
  for (long n = 1;; ++n) {
    dbtest::PowerCutLayer layer(static_cast<unsigned>(n));
    bool cut = false;
    {
      ffdetail::ScopedFileLayer use(layer);
      try {
        auto t1 = TffTable::Open(before_), t2 = TffTable::Open(after_);
        for (auto* t : {t1.get(), t2.get()}) {
          t->StartTransaction();
          for (auto c = t->OpenCursor(0); c->First(nullptr);) c->DeleteRecord();
        }
        layer.CutAfter(n);
        TffTable::CommitTogether({t1.get(), t2.get()});
        layer.CutAfter(0);
      } catch (const dbtest::PowerCut&) {
        cut = true;
      }
      layer.Restore(n % 2 == 0);
    }
    const std::string lost = n % 4 == 1 ? before_ : after_, kept = lost == before_ ? after_ : before_;
    if (n % 2 && std::filesystem::exists(record) && std::filesystem::exists(ffdetail::JournalPath(lost)))
      std::filesystem::resize_file(ffdetail::JournalPath(lost), n % 3 ? 0 : 5000);
    uint32_t a, b;
    if (n % 2 && refused(lost)) {
      EXPECT_EQ(count(kept), kept == before_ ? 1u : 201u) << "cut at " << n;
      EXPECT_TRUE(refused(lost)) << "cut at " << n;
    } else {
      if (n % 3) a = count(before_), b = count(after_);
      else b = count(after_), a = count(before_);
      EXPECT_TRUE((a == 1 && b == 201) || (a == 0 && b == 0)) << "cut at " << n << ": " << a << " " << b;
      EXPECT_FALSE(std::filesystem::exists(record)) << "cut at " << n;
    }
    if (!cut) break;
    dbtest::Spit(before_, one);
    dbtest::Spit(after_, two);
    for (const auto& e : std::filesystem::directory_iterator(dir_.Path()))
      if (e.path().extension() == ".journal") std::filesystem::remove(e.path());
  }
}

// A table of the layout kind (number, title, text) for the commit tests.
class CommitTest : public ::testing::Test {
protected:
  CommitTest() : dir_("commit"), dict_(4096) {
    dbtest::LayoutDict(dict_);
    path_ = dir_.File("LAYOUT.FFD");
    TffTable::Create(path_, dict_, false);
    table_ = TffTable::Open(path_);
    cursor_ = table_->OpenCursor(0);
    rec_.resize(static_cast<size_t>(dict_.RecordLength()));
  }
  void Insert(int from, int to) {
    table_->StartTransaction();
    for (int i = from; i < to; ++i) {
      FFInitRecord(dict_, rec_.data());
      FFSetFieldInt(dict_, rec_.data(), 0, i);
      FFSetFieldString(dict_, rec_.data(), 1, "title " + std::to_string(i));
      FFSetFieldInt(dict_, rec_.data(), 3, 1);
      FFSetFieldInt(dict_, rec_.data(), 4, 2);
      cursor_->InsertRecord(rec_.data());
    }
    table_->Commit();
  }
  dbtest::ScratchDir dir_;
  TffDataDictionary dict_;
  std::string path_;
  std::shared_ptr<TffTable> table_;
  std::unique_ptr<TffCursor> cursor_;
  std::vector<uint8_t> rec_;
};

// A commit that mostly adds blocks journals no copy of them (only of the
// few blocks it changes in place), writes each run of adjacent blocks in
// one call, and syncs each file once.
TEST_F(CommitTest, NewBlocksAreNotJournaledAndRunsAreWrittenTogether) {
  Insert(0, 10);
  dbtest::CountingLayer counter;
  ffdetail::ScopedFileLayer use(counter);
  uint32_t blocksBefore = table_->BlockCount();
  Insert(10, 3000);
  uint32_t grown = table_->BlockCount() - blocksBefore;
  ASSERT_GT(grown, 50u);
  auto table = counter.Of(path_), journal = counter.Of(ffdetail::JournalPath(path_));
  // Everything reached the table file once...
  EXPECT_GE(table.Bytes, uint64_t{grown} * 4096);
  EXPECT_LE(table.Bytes, uint64_t{table_->BlockCount()} * 4096);
  // ...in a few writes, not one per block...
  EXPECT_LE(table.Calls, 12) << "blocks written one by one";
  EXPECT_EQ(table.Syncs, 1);
  // ...and the journal holds copies of blocks that existed before only.
  // (Old images, two headers and two lists of the blocks written.)
  EXPECT_LE(journal.Bytes, uint64_t{blocksBefore + 8} * 4096) << "new blocks were journaled";
  EXPECT_EQ(journal.Syncs, 1);
  EXPECT_TRUE(table_->CheckConsistency().empty());
}

// After a commit that changes many existing blocks, the journal, which
// held all their old images, gives its space back.
TEST_F(CommitTest, LargeCommitGivesTheJournalSpaceBack) {
  Insert(0, 6000);
  const std::string jp = ffdetail::JournalPath(path_);
  table_->StartTransaction();
  for (bool ok = cursor_->First(rec_.data()); ok; ok = cursor_->Next(rec_.data())) {
    FFSetFieldString(dict_, rec_.data(), 1, "renamed " + std::to_string(FFGetFieldInt(dict_, rec_.data(), 0)));
    cursor_->ModifyRecord(rec_.data());
  }
  dbtest::CountingLayer counter;
  {
    ffdetail::ScopedFileLayer use(counter);
    table_->Commit();
  }
  ASSERT_GT(counter.Of(jp).Bytes, 1u << 20) << "the commit should have journaled much";
  EXPECT_LE(std::filesystem::file_size(jp), 256u * 1024);
  EXPECT_EQ(table_->RecordCount(), 6000u);
  EXPECT_TRUE(table_->CheckConsistency().empty());
}

TEST(BlockFileChecks, DamageIsReportedWithTheFileAndBlock) {
  dbtest::ScratchDir dir("blocks");
  TffDataDictionary d(4096);
  dbtest::SelcodeDict(d);
  std::string p = dir.File("X.FFD");
  TffTable::Create(p, d, false);
  std::string img = Slurp(p);
  ASSERT_GE(img.size(), 3u * 4096);
  auto expectDamage = [&](const std::string& bytes, const std::string& part) {
    {
      std::ofstream out(p, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    try {
      auto t = TffTable::Open(p);
      auto c = t->OpenCursor(0);
      std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
      c->First(r.data());
      ADD_FAILURE() << "not refused: " << part;
    } catch (const EffException& e) {
      EXPECT_EQ(e.ResultCode(), rcFileDamaged);
      EXPECT_NE(e.Message().find("X.FFD"), std::string::npos);
      EXPECT_NE(e.Message().find(part), std::string::npos) << e.Message();
    }
  };
  // Blocks: header, its copy, dictionary, index root.
  std::string s = img;
  s[4096 * 3 + 4] = 9;  // the block number of the index root
  expectDamage(s, "wrong number");
  s = img;
  s[4096 * 3 + 40] ^= 1;  // a byte inside it
  expectDamage(s, "checksum");
  s = img;
  s[4096 * 3] = 'X';
  expectDamage(s, "signature");
  expectDamage(img.substr(0, img.size() - 4096), "beyond the end of the file");
  expectDamage(img.substr(0, 100), "too short");
}

}  // namespace

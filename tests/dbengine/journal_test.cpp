// The redo journal on its own: a complete journal is replayed on open (or
// laid over a read-only file), a torn or damaged one is ignored and leaves
// the table as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "dbengine/blockfile.h"
#include "dbengine/engine.h"
#include "dbengine/journal.h"
#include "tests/dbengine/test_util.h"

namespace {

std::string Slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

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
  // Writes a journal for `before_` that holds every block of `after_`;
  // `cut` bytes are then cut off its end, `flip` (if >= 0) damaged.
  void WriteJournal(size_t cut, long flip) {
    std::string img = Slurp(after_);
    std::vector<ffdetail::JournalPage> pages;
    for (size_t b = 0; b * 4096 < img.size(); ++b)
      pages.push_back({static_cast<uint32_t>(b), reinterpret_cast<const uint8_t*>(img.data() + b * 4096)});
    std::string jp = ffdetail::JournalPath(before_);
    int fd = ::open(jp.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ffdetail::JournalWrite(fd, 4096, static_cast<uint32_t>(img.size() / 4096), pages);
    off_t size = lseek(fd, 0, SEEK_END);
    ASSERT_EQ(ftruncate(fd, size - static_cast<off_t>(cut)), 0);
    if (flip >= 0) {
      char ch;
      ASSERT_EQ(pread(fd, &ch, 1, flip), 1);
      ch ^= 0x10;
      ASSERT_EQ(pwrite(fd, &ch, 1, flip), 1);
    }
    ::close(fd);
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

TEST_F(JournalTest, CompleteJournalIsLaidOverReadOnlyAndReplayedOnWrite) {
  WriteJournal(0, -1);
  EXPECT_EQ(Count(TffOpenMode::ReadOnly), 201u);
  EXPECT_NE(Slurp(before_), Slurp(after_));  // a reader changes nothing
  EXPECT_EQ(Count(TffOpenMode::ReadWrite), 201u);
  EXPECT_EQ(Slurp(before_), Slurp(after_));
  EXPECT_FALSE(std::filesystem::exists(ffdetail::JournalPath(before_)));
}

TEST_F(JournalTest, TornOrDamagedJournalIsIgnored) {
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
  std::string s = img;
  s[4096 * 2 + 4] = 9;  // the block number of the index root
  expectDamage(s, "wrong number");
  s = img;
  s[4096 * 2 + 40] ^= 1;  // a byte inside it
  expectDamage(s, "checksum");
  s = img;
  s[4096 * 2] = 'X';
  expectDamage(s, "signature");
  expectDamage(img.substr(0, img.size() - 4096), "beyond");
  expectDamage(img.substr(0, 100), "too short");
}

}  // namespace

// Damage kept local: a flipped byte in the header block, a file cut short
// and a damaged index block each cost only what lies in the damaged block,
// and the consistency check names it. Also: table files of the earlier
// formats (no header copy; blocks summed in one chain) read as they stand,
// the first gains its copy with its first commit; block sums see every
// byte; and an insert puts the cursor on the new record without searching
// the tree again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "dbengine/blockfile.h"
#include "dbengine/btree.h"
#include "dbengine/engine.h"
#include "dbengine/records.h"
#include "dbengine/table.h"
#include "tests/dbengine/test_util.h"
#include "tests/test_paths.h"

namespace {

using dbtest::Slurp;
using dbtest::Spit;

bool Mentions(const std::vector<std::string>& problems, const std::string& part) {
  for (const auto& p : problems)
    if (p.find(part) != std::string::npos) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& problems) {
  std::string s;
  for (const auto& p : problems) s += p + "\n";
  return s;
}

// ID, NAME and MEMO with a primary index and one by name: the table of
// the sample file in tests/dbengine/data.
class DamageTest : public ::testing::Test {
protected:
  DamageTest() : dir_("damage"), dict_(4096) {
    dict_.AddField("ID", "", fftInt32, 0, 0, true);
    dict_.AddField("NAME", "", fftShortString, 30, 0, false);
    dict_.AddField("MEMO", "", fftBlobMemo, 0, 0, false);
    dict_.AddIndex("BYID", "", 0, {0}, false, true, false);
    dict_.AddIndex("BYNAME", "", 0, {1, 0}, false, true, true);
    path_ = dir_.File("DAMAGE.FFD");
  }
  static std::string NameOf(int id) { return "Name " + std::to_string(id * 7 % 120); }
  void Build(int records) {
    TffTable::Create(path_, dict_, false);
    auto t = TffTable::Open(path_);
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength()));
    t->StartTransaction();
    for (int i = 1; i <= records; ++i) {
      FFInitRecord(dict_, r.data());
      FFSetFieldInt(dict_, r.data(), 0, i);
      FFSetFieldString(dict_, r.data(), 1, NameOf(i));
      c->InsertRecord(r.data());
    }
    t->Commit();
  }
  // Records found by their primary key, and their names checked.
  int Reachable(TffTable& t, int records) {
    auto c = t.OpenCursor(0);
    std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength()));
    int found = 0;
    for (int i = 1; i <= records; ++i) {
      FFInitRecord(dict_, r.data());
      FFSetFieldInt(dict_, r.data(), 0, i);
      try {
        if (c->FindKey(r.data()) && c->GetRecord(r.data())) {
          EXPECT_EQ(FFGetFieldString(dict_, r.data(), 1), NameOf(i));
          ++found;
        }
      } catch (const EffException& e) {
        EXPECT_EQ(e.ResultCode(), rcFileDamaged) << e.Message();
      }
    }
    return found;
  }
  dbtest::ScratchDir dir_;
  TffDataDictionary dict_;
  std::string path_;
};

TEST_F(DamageTest, FlippedHeaderByteIsCoveredByItsCopy) {
  Build(500);
  std::string img = Slurp(path_);
  for (size_t at : {size_t{20}, size_t{36}, size_t{200}, size_t{4000}}) {
    std::string s = img;
    s[at] ^= 0x40;  // block size, record count, an index root's neighbourhood, unused tail
    Spit(path_, s);
    {
      auto t = TffTable::Open(path_, TffOpenMode::ReadOnly);
      EXPECT_EQ(Reachable(*t, 500), 500) << "byte " << at;
      auto problems = t->CheckConsistency();
      ASSERT_EQ(problems.size(), 1u) << Joined(problems);
      EXPECT_NE(problems[0].find("header block 0 is damaged"), std::string::npos) << problems[0];
    }
    EXPECT_EQ(Slurp(path_), s) << "a reader changed the file";
    // A writer's first commit writes the header block afresh.
    {
      auto t = TffTable::Open(path_);
      auto c = t->OpenCursor(0);
      std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength()));
      FFInitRecord(dict_, r.data());
      FFSetFieldInt(dict_, r.data(), 0, 1000);
      c->InsertRecord(r.data());
      c->DeleteRecord();
    }
    auto t = TffTable::Open(path_, TffOpenMode::ReadOnly);
    EXPECT_TRUE(t->CheckConsistency().empty()) << Joined(t->CheckConsistency());
    EXPECT_EQ(t->RecordCount(), 500u);
  }
  // With the copy damaged as well, the table is refused, naming the file.
  std::string s = img;
  s[36] ^= 1;
  s[4096 + 36] ^= 1;
  Spit(path_, s);
  try {
    TffTable::Open(path_);
    FAIL() << "both header blocks damaged, yet the table opened";
  } catch (const EffException& e) {
    EXPECT_EQ(e.ResultCode(), rcFileDamaged);
    EXPECT_NE(e.Message().find("DAMAGE.FFD"), std::string::npos);
  }
}

TEST_F(DamageTest, DamagedHeaderCopyIsNamedAndWrittenAgain) {
  Build(50);
  std::string s = Slurp(path_);
  s[4096 + 100] ^= 1;
  Spit(path_, s);
  auto t = TffTable::Open(path_);
  EXPECT_EQ(Reachable(*t, 50), 50);
  EXPECT_TRUE(Mentions(t->CheckConsistency(), "header copy")) << Joined(t->CheckConsistency());
  auto c = t->OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength()));
  FFInitRecord(dict_, r.data());
  FFSetFieldInt(dict_, r.data(), 0, 51);
  c->InsertRecord(r.data());
  t.reset();
  c.reset();
  t = TffTable::Open(path_, TffOpenMode::ReadOnly);
  EXPECT_TRUE(t->CheckConsistency().empty()) << Joined(t->CheckConsistency());
}

// A file cut short (by a few bytes, or by its whole last block) loses what
// lay in its last block and nothing else.
TEST_F(DamageTest, CutFileLosesAtMostItsLastBlock) {
  Build(3000);
  std::string img = Slurp(path_);
  uint32_t last = static_cast<uint32_t>(img.size() / 4096 - 1);
  // The most records one block can cost: a data block's or a leaf's worth.
  int perBlock = std::max(4096 / (dict_.RecordLength() + 1), 4096 / 12);
  for (size_t cut : {size_t{1}, size_t{7}, size_t{4095}, size_t{4096}}) {
    Spit(path_, img.substr(0, img.size() - cut));
    auto t = TffTable::Open(path_, TffOpenMode::ReadOnly);
    int found = Reachable(*t, 3000);
    EXPECT_GE(found, 3000 - perBlock) << "cut by " << cut;
    auto problems = t->CheckConsistency();
    EXPECT_TRUE(Mentions(problems, "block " + std::to_string(last) + " lies beyond the end of the file"))
        << "cut by " << cut << ":\n" << Joined(problems);
  }
}

// A cut file is never opened for writing, at once or by a reader asking to
// write later (a commit would grow it over the missing block); readers get
// the rest.
TEST_F(DamageTest, CutFileIsRefusedToWriters) {
  Build(3000);
  const std::string img = Slurp(path_), cut = img.substr(0, img.size() - 4096);
  Spit(path_, cut);
  EXPECT_THROW(TffTable::Open(path_), EffException);
  auto t = TffTable::Open(path_, TffOpenMode::ReadOnly);
  EXPECT_THROW(TffTable::Open(path_), EffException);
  EXPECT_GE(Reachable(*t, 3000), 3000 - 4096 / 12);
  t.reset();
  EXPECT_EQ(Slurp(path_), cut);
}

// A damaged leaf of one index costs the look-ups that pass through it:
// other keys of that index, and every other index, still work, and the
// check names the index and the block.
TEST_F(DamageTest, DamagedIndexBlockCostsOnlyTheLookUpsThroughIt) {
  Build(3000);
  uint32_t leaf;
  std::string firstName;
  {
    auto t = TffTable::Open(path_, TffOpenMode::ReadOnly);
    auto& tree = t->Impl().Tree(1);
    ffdetail::BPos p = tree.FirstPos();
    leaf = p.Leaf;
    firstName = FFGetFieldString(dict_, t->Impl().Records().Read(tree.Ref(p)), 1);
    ASSERT_NE(tree.NextLeaf(leaf), 0u) << "the index should span several leaves";
  }
  std::string s = Slurp(path_);
  s[size_t{leaf} * 4096 + 100] ^= 0x08;
  Spit(path_, s);
  auto t = TffTable::Open(path_);
  EXPECT_EQ(Reachable(*t, 3000), 3000);  // the primary index is whole
  auto c = t->OpenCursor(1);
  std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength()));
  FFInitRecord(dict_, r.data());
  FFSetFieldString(dict_, r.data(), 1, "Name 99");  // far from the first leaf
  EXPECT_TRUE(c->FindKey(r.data(), 1));
  EXPECT_TRUE(c->Next(r.data()));
  FFInitRecord(dict_, r.data());
  FFSetFieldString(dict_, r.data(), 1, firstName);
  try {
    c->FindKey(r.data(), 1);
    FAIL() << "a look-up through the damaged leaf returned";
  } catch (const EffException& e) {
    EXPECT_EQ(e.ResultCode(), rcFileDamaged);
  }
  auto problems = t->CheckConsistency();
  EXPECT_TRUE(Mentions(problems, "index BYNAME")) << Joined(problems);
  EXPECT_TRUE(Mentions(problems, "block " + std::to_string(leaf) + " fails its checksum")) << Joined(problems);
  EXPECT_FALSE(Mentions(problems, "index BYID")) << Joined(problems);
}

// A damaged data block costs its own records; the check names it, and the
// records of the blocks after it in the chain are still walked.
TEST_F(DamageTest, DamagedDataBlockCostsOnlyItsRecords) {
  Build(3000);
  uint32_t block;
  int inBlock = 0;
  {
    auto t = TffTable::Open(path_, TffOpenMode::ReadOnly);
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength()));
    FFInitRecord(dict_, r.data());
    FFSetFieldInt(dict_, r.data(), 0, 1500);
    ASSERT_TRUE(c->FindKey(r.data()));
    block = ffdetail::RefBlock(c->GetBookmark().Ref);
    for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data()))
      inBlock += ffdetail::RefBlock(c->GetBookmark().Ref) == block;
  }
  std::string s = Slurp(path_);
  s[size_t{block} * 4096 + 2000] ^= 0x01;
  Spit(path_, s);
  auto t = TffTable::Open(path_);
  EXPECT_EQ(Reachable(*t, 3000), 3000 - inBlock);
  auto problems = t->CheckConsistency();
  EXPECT_TRUE(Mentions(problems, "data block " + std::to_string(block) + " is damaged")) << Joined(problems);
  EXPECT_EQ(problems.size(), 1u) << Joined(problems);
}

// The sample files hold ids 1 to 120 but those of id % 30 == 10 (deleted,
// so there is a free chain), "Name <id * 7 % 120>" and memos on every
// tenth.
void VerifySample(TffTable& t, uint32_t expected) {
  EXPECT_EQ(t.RecordCount(), expected);
  EXPECT_TRUE(t.CheckConsistency().empty()) << Joined(t.CheckConsistency());
  const auto& d = t.Dictionary();
  auto c = t.OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  uint32_t n = 0;
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) {
    int id = static_cast<int>(FFGetFieldInt(d, r.data(), 0));
    if (id > 120) continue;
    ++n;
    EXPECT_NE(id % 30, 10) << "a deleted record is back";
    EXPECT_EQ(FFGetFieldString(d, r.data(), 1), "Name " + std::to_string(id * 7 % 120));
    std::string memo = id % 10 == 0 ? std::string(static_cast<size_t>(id * 61 % 5000 + 100), static_cast<char>('a' + id % 26))
                                    : std::string();
    EXPECT_EQ(c->ReadBlobAll(r.data(), 2), memo) << "record " << id;
  }
  EXPECT_EQ(n, 116u);
}

// The sample file was written by the engine before tables had a header
// copy (format 1).
TEST(FormatOne, IsReadAsItStandsAndGetsAHeaderCopyWithItsFirstCommit) {
  dbtest::ScratchDir dir("format1");
  std::string path = dir.File("FORMAT1.FFD");
  std::filesystem::copy_file(testpaths::SourceDir() + "/tests/dbengine/data/FORMAT1.FFD", path);
  const std::string original = Slurp(path);
  ASSERT_EQ(ffdetail::Get32(reinterpret_cast<const uint8_t*>(original.data()) + ffdetail::kHdrVersion), 1u);
  auto verify = VerifySample;
  {
    auto t = TffTable::Open(path, TffOpenMode::ReadOnly);
    verify(*t, 116);
  }
  {
    auto t = TffTable::Open(path);  // opening for writing writes nothing
    verify(*t, 116);
  }
  EXPECT_EQ(Slurp(path), original);
  {
    auto t = TffTable::Open(path);
    auto c = t->OpenCursor(0);
    const auto& d = t->Dictionary();
    std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, 500);
    FFSetFieldString(d, r.data(), 1, "new");
    c->InsertRecord(r.data());
  }
  std::string now = Slurp(path);
  const auto* h = reinterpret_cast<const uint8_t*>(now.data());
  EXPECT_EQ(ffdetail::Get32(h + ffdetail::kHdrVersion), ffdetail::kFormatMirror);
  uint32_t mirror = ffdetail::Get32(h + ffdetail::kHdrMirror);
  ASSERT_NE(mirror, 0u);
  // Its copy serves when the header block is damaged, wherever it lies.
  now[40] ^= 0x10;
  Spit(path, now);
  auto t = TffTable::Open(path, TffOpenMode::ReadOnly);
  EXPECT_EQ(t->RecordCount(), 117u);
  auto problems = t->CheckConsistency();
  ASSERT_EQ(problems.size(), 1u) << Joined(problems);
  EXPECT_NE(problems[0].find("copy in block " + std::to_string(mirror)), std::string::npos) << problems[0];
}

// The sample file was written by the engine whose blocks were summed in
// one sequential chain (format 2): it reads, takes changes in its own
// sums, and becomes format 3 only when emptied, since every block is then
// written afresh.
TEST(FormatTwo, KeepsItsChecksumsUntilItIsEmptied) {
  dbtest::ScratchDir dir("format2");
  std::string path = dir.File("FORMAT2.FFD");
  std::filesystem::copy_file(testpaths::SourceDir() + "/tests/dbengine/data/FORMAT2.FFD", path);
  auto version = [&] { return ffdetail::Get32(reinterpret_cast<const uint8_t*>(Slurp(path).data()) + ffdetail::kHdrVersion); };
  ASSERT_EQ(version(), ffdetail::kFormatMirror);
  VerifySample(*TffTable::Open(path, TffOpenMode::ReadOnly), 116);
  {
    auto t = TffTable::Open(path);
    auto c = t->OpenCursor(0);
    const auto& d = t->Dictionary();
    std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, 1);
    ASSERT_TRUE(c->FindKey(r.data()));
    c->DeleteRecord();
    FFSetFieldInt(d, r.data(), 0, 500);
    FFSetFieldString(d, r.data(), 1, "new");
    c->InsertRecord(r.data());
  }
  EXPECT_EQ(version(), ffdetail::kFormatMirror);
  {
    auto t = TffTable::Open(path, TffOpenMode::ReadOnly);
    EXPECT_EQ(t->RecordCount(), 116u);
    EXPECT_TRUE(t->CheckConsistency().empty()) << Joined(t->CheckConsistency());
  }
  {
    auto t = TffTable::Open(path);
    t->EmptyTable();
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> r(static_cast<size_t>(t->Dictionary().RecordLength()));
    FFInitRecord(t->Dictionary(), r.data());
    FFSetFieldInt(t->Dictionary(), r.data(), 0, 7);
    c->InsertRecord(r.data());
  }
  EXPECT_EQ(version(), ffdetail::kFormatLanes);
  auto t = TffTable::Open(path, TffOpenMode::ReadOnly);
  EXPECT_EQ(t->RecordCount(), 1u);
  EXPECT_TRUE(t->CheckConsistency().empty()) << Joined(t->CheckConsistency());
}

// A block's sum of format 3 changes with any byte of the block but its own
// checksum field.
TEST(BlockSums, SeeEveryByteButTheirOwnField) {
  std::mt19937 rng(3);
  for (uint32_t bs : {4096u, 8192u, 16384u, 32768u}) {
    std::vector<uint8_t> block(bs);
    for (auto& b : block) b = static_cast<uint8_t>(rng());
    const uint32_t sum = ffdetail::BlockChecksum(block.data(), bs, ffdetail::kFormatLanes);
    for (uint32_t at = 0; at < bs; ++at) {
      const uint8_t was = block[at];
      block[at] = static_cast<uint8_t>(was ^ (1u << (at % 8)));
      const bool inField = at >= ffdetail::kOffChecksum && at < ffdetail::kOffChecksum + 4;
      const uint32_t changed = ffdetail::BlockChecksum(block.data(), bs, ffdetail::kFormatLanes);
      ASSERT_EQ(changed == sum, inField) << "block size " << bs << ", byte " << at;
      block[at] = was;
    }
  }
}

// The insert itself tells where its entry went: on a unique index the
// uniqueness check and the insert are the only descents of the cursor's
// tree.
TEST_F(DamageTest, InsertPositionsTheCursorWithoutASecondSearch) {
  Build(2000);
  auto t = TffTable::Open(path_);
  std::vector<uint8_t> r(static_cast<size_t>(dict_.RecordLength())), back(r.size());
  t->StartTransaction();
  for (int ix : {0, 1}) {
    auto c = t->OpenCursor(ix);
    auto& tree = t->Impl().Tree(ix);
    for (int i = 0; i < 300; ++i) {
      int id = 5000 + ix * 1000 + i;
      FFInitRecord(dict_, r.data());
      FFSetFieldInt(dict_, r.data(), 0, id);
      FFSetFieldString(dict_, r.data(), 1, NameOf(i));
      uint64_t before = tree.Descents();
      c->InsertRecord(r.data());
      ASSERT_EQ(tree.Descents() - before, 2u) << "index " << ix;
      ASSERT_TRUE(c->GetRecord(back.data()));
      ASSERT_EQ(FFGetFieldInt(dict_, back.data(), 0), id);
      // Its neighbours are the right ones too.
      if (c->Prior(back.data())) {
        ASSERT_TRUE(c->Next(back.data()));
        ASSERT_EQ(FFGetFieldInt(dict_, back.data(), 0), id);
      }
    }
  }
  t->Commit();
  EXPECT_TRUE(t->CheckConsistency().empty());
}

}  // namespace

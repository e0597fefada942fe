// Damaged table files and journals. The sample table's contents are known,
// so every run checks what the engine returns, not only that it survives:
//  - damage to a block in use (bytes changed, blocks swapped, the file cut)
//    is detected: an engine error on the way, or the consistency check
//    names it; a record that is returned always holds what was stored;
//  - damage to unused space (free blocks) is harmless: every record reads
//    back and the table takes new records;
//  - damage with the block checksums made right again (so that the
//    structural checks behind them get their turn) only ever raises the
//    engine's own errors;
//  - a journal of an unfinished commit with one 4 KiB stretch damaged
//    leaves the table as it was before the commit or as the commit made it,
//    or the open fails with rcFileDamaged: never half a commit.
// No run may crash, hang or allocate wildly (the loop runs in a child with
// a 1 GiB address-space limit).
//
// ORV_FUZZ_SECONDS sets the length (default 20).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "dbengine/blockfile.h"
#include "dbengine/engine.h"
#include "dbengine/journal.h"
#include "tests/dbengine/file_layers.h"
#include "tests/dbengine/test_util.h"

namespace {

using dbtest::Slurp;
using dbtest::Spit;

constexpr uint32_t kBlock = 4096;

struct Row {
  std::string Name;
  double When = 0;
  std::string Memo;
  bool operator==(const Row&) const = default;
};
using Truth = std::map<int, Row>;

void BuildSample(const std::string& path) {
  TffDataDictionary d(kBlock);
  d.AddField("ID", "", fftInt32, 0, 0, true);
  d.AddField("NAME", "", fftShortString, 40, 0, false);
  d.AddField("WHEN", "", fftDateTime, 0, 0, false);
  d.AddField("MEMO", "", fftBlobMemo, 0, 0, false);
  d.AddIndex("BYID", "", 0, {0}, false, true, false);
  d.AddIndex("BYNAME", "", 0, {1}, true, false, true);
  d.AddIndex("BYWHEN", "", 0, {2, 0}, false, true, false);
  TffTable::Create(path, d, false);
  auto t = TffTable::Open(path);
  auto c = t->OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  t->StartTransaction();
  for (int i = 1; i <= 400; ++i) {
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, i);
    FFSetFieldString(d, r.data(), 1, "name" + std::to_string(i * 37 % 101));
    FFSetFieldFloat(d, r.data(), 2, i * 1000.0);
    if (i % 5 == 0) {
      std::string memo(static_cast<size_t>(i * 53 % 9000), static_cast<char>('a' + i % 26));
      c->WriteBlob(r.data(), 3, memo.data(), static_cast<uint32_t>(memo.size()));
    }
    c->InsertRecord(r.data());
  }
  for (int i = 3; i <= 400; i += 7) {
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, i);
    if (c->FindKey(r.data())) c->DeleteRecord();
  }
  t->Commit();
}

// The one transaction whose journal is damaged: memos rewritten (BLOB
// blocks freed and taken again), names changed (index entries move),
// records deleted and added.
void Transaction(TffTable& t) {
  const auto& d = t.Dictionary();
  auto c = t.OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  t.StartTransaction();
  for (int i = 10; i <= 390; i += 19) {
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, i);
    if (!c->FindKey(r.data()) || !c->GetRecord(r.data())) continue;
    if (i % 3 == 0) {
      c->DeleteRecord();
      continue;
    }
    FFSetFieldString(d, r.data(), 1, "renamed" + std::to_string(i));
    std::string memo(static_cast<size_t>(i * 29 % 7000), 'z');
    c->WriteBlob(r.data(), 3, memo.data(), static_cast<uint32_t>(memo.size()));
    c->ModifyRecord(r.data());
  }
  for (int i = 500; i < 520; ++i) {
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, i);
    FFSetFieldString(d, r.data(), 1, "added");
    std::string memo(static_cast<size_t>(i * 7), 'q');
    c->WriteBlob(r.data(), 3, memo.data(), static_cast<uint32_t>(memo.size()));
    c->InsertRecord(r.data());
  }
  t.Commit();
}

Truth ReadTruth(TffTable& t) {
  const auto& d = t.Dictionary();
  auto c = t.OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  Truth truth;
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data()))
    truth[static_cast<int>(FFGetFieldInt(d, r.data(), 0))] = {FFGetFieldString(d, r.data(), 1),
                                                              FFGetFieldFloat(d, r.data(), 2),
                                                              c->ReadBlobAll(r.data(), 3)};
  return truth;
}

// What working a file as a user would showed.
struct Outcome {
  bool Raised = false;    // an engine error at some step
  bool Reported = false;  // the consistency check named problems
  std::string Wrong;      // a record returned with other contents than stored
  size_t ById = 0;        // records reached through the primary index
};

Outcome Exercise(const std::string& path, const Truth* truth) {
  Outcome o;
  std::shared_ptr<TffTable> t;
  try {
    t = TffTable::Open(path);
  } catch (const EffException&) {
    o.Raised = true;
    return o;
  }
  const auto& d = t->Dictionary();
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  auto c = t->OpenCursor(kPhysicalOrder);
  uint32_t cap = 3000;
  bool sampleLike = d.FieldCount() == 4 && d.Field(0).Type == fftInt32 && IsBlobType(d.Field(3).Type);
  for (int ix = kPhysicalOrder; ix < d.IndexCount(); ++ix) {
    try {
      c->SwitchToIndex(ix);
      uint32_t n = 0;
      for (bool ok = c->First(r.data()); ok && n < cap; ok = c->Next(r.data()), ++n) {
        if (!sampleLike) continue;
        Row row{FFGetFieldString(d, r.data(), 1), FFGetFieldFloat(d, r.data(), 2), c->ReadBlobAll(r.data(), 3)};
        int id = static_cast<int>(FFGetFieldInt(d, r.data(), 0));
        if (ix == 0) ++o.ById;
        if (truth && o.Wrong.empty() && (!truth->count(id) || truth->at(id) != row))
          o.Wrong = "record " + std::to_string(id) + " read through index " + std::to_string(ix);
      }
      for (bool ok = c->Last(r.data()); ok && n < 2 * cap; ok = c->Prior(r.data()), ++n) {}
    } catch (const EffException&) {
      o.Raised = true;
    }
  }
  try {
    o.Reported = !t->CheckConsistency().empty();
  } catch (const EffException&) {
    o.Raised = true;
  }
  if (sampleLike && d.IndexCount() > 0) {
    try {
      c->SwitchToIndex(0);
      FFInitRecord(d, r.data());
      FFSetFieldInt(d, r.data(), 0, 777777);
      c->InsertRecord(r.data());
      c->DeleteRecord();
    } catch (const EffException&) {
      o.Raised = true;
    }
  }
  return o;
}

void FixChecksums(std::string& s) {
  for (size_t b = 0; b + kBlock <= s.size(); b += kBlock) {
    auto* p = reinterpret_cast<uint8_t*>(s.data() + b);
    // A header block names its own format; the others follow the file's.
    const bool header = ffdetail::Get32(p) == ffdetail::kSigHeader;
    const uint32_t version = header ? ffdetail::Get32(p + ffdetail::kHdrVersion) : ffdetail::kFormatVersion;
    ffdetail::Put32(p + ffdetail::kOffChecksum, ffdetail::BlockChecksum(p, kBlock, version));
  }
}

// The blocks on the free chain of an intact file image.
std::set<size_t> FreeBlocks(const std::string& s) {
  auto at = [&](size_t off) { return ffdetail::Get32(reinterpret_cast<const uint8_t*>(s.data()) + off); };
  std::set<size_t> free;
  for (uint32_t b = at(ffdetail::kHdrFreeHead); b != 0 && free.insert(b).second;)
    b = at(size_t{b} * kBlock + ffdetail::kOffNext);
  return free;
}

// A table file and journal as a power cut at some moment of Transaction
// left them.
struct Unfinished {
  std::string File, Journal;
};

std::vector<Unfinished> UnfinishedCommits(const dbtest::ScratchDir& dir, const std::string& original) {
  std::vector<Unfinished> states;
  std::string path = dir.File("CUT.FFD");
  for (long k = 1; k <= 24; ++k) {
    std::remove(ffdetail::JournalPath(path).c_str());
    Spit(path, original);
    dbtest::PowerCutLayer layer(static_cast<unsigned>(k));
    {
      ffdetail::ScopedFileLayer use(layer);
      try {
        auto t = TffTable::Open(path);
        layer.CutAfter(k);
        Transaction(*t);
        layer.CutNow();
      } catch (const dbtest::PowerCut&) {
      }
      layer.Restore(k % 3 == 0);
    }
    std::string j = Slurp(ffdetail::JournalPath(path));
    if (j.size() >= 8192) states.push_back({Slurp(path), j});
  }
  return states;
}

[[noreturn]] void Fail(int run, int kind, const std::string& what) {
  fprintf(stderr, "run %d (kind %d): %s\n", run, kind, what.c_str());
  _exit(6);
}

TEST(Fuzz, DamageIsDetectedAndNeverReturnedAsData) {
  dbtest::ScratchDir dir("fuzz");
  std::string sample = dir.File("SAMPLE.FFD");
  BuildSample(sample);
  const std::string original = Slurp(sample);
  ASSERT_GT(original.size(), 10 * kBlock);
  Truth before, after;
  {
    auto t = TffTable::Open(sample, TffOpenMode::ReadOnly);
    before = ReadTruth(*t);
  }
  {
    std::string copy = dir.File("AFTER.FFD");
    Spit(copy, original);
    auto t = TffTable::Open(copy);
    Transaction(*t);
    after = ReadTruth(*t);
  }
  ASSERT_NE(before, after);
  const std::vector<Unfinished> unfinished = UnfinishedCommits(dir, original);
  ASSERT_GT(unfinished.size(), 5u);
  const std::set<size_t> freeBlocks = FreeBlocks(original);
  ASSERT_GT(freeBlocks.size(), 3u) << "the sample should have free blocks";
  const size_t blocks = original.size() / kBlock;
  double seconds = dbtest::DurationFromEnv("ORV_FUZZ_SECONDS", 20);
  pid_t pid = fork();
  if (pid == 0) {
#ifndef ORV_SANITIZED  // the address sanitizer reserves far more than this
    rlimit lim{1ull << 30, 1ull << 30};
    setrlimit(RLIMIT_AS, &lim);
#endif
    std::mt19937 rng(31337);
    std::string path = dir.File("VICTIM.FFD");
    std::string jpath = ffdetail::JournalPath(path);
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int runs = 0, detected = 0, harmless = 0, fixed = 0, journals = 0, journalRefused = 0;
    while (std::chrono::steady_clock::now() < until) {
      ++runs;
      int kind = std::min(static_cast<int>(rng() % 8), 6);
      std::remove(jpath.c_str());
      if (kind == 6) {
        // One 4 KiB stretch of an unfinished commit's journal damaged; half
        // of the time one that holds a header or a list.
        const Unfinished& u = unfinished[rng() % unfinished.size()];
        std::string j = u.Journal;
        size_t last = (j.size() - 1) / 4096;
        size_t pick[] = {0, 1, 2, last};
        size_t stretch = (rng() % 2 ? pick[rng() % 4] : rng() % (last + 1)) * 4096;
        size_t end = std::min(j.size(), stretch + 4096);
        int how = static_cast<int>(rng() % 3);
        for (int i = 0, n = 1 + static_cast<int>(rng() % 20); stretch < end && i < (how ? 4096 : n); ++i) {
          size_t at = how ? stretch + static_cast<size_t>(i) : stretch + rng() % (end - stretch);
          if (at < end) j[at] = how == 1 ? '\0' : static_cast<char>(rng());
        }
        Spit(path, u.File);
        Spit(jpath, j);
        ++journals;
        try {
          auto t = TffTable::Open(path);
          Truth got = ReadTruth(*t);
          if (got != before && got != after) Fail(runs, kind, "half a commit is visible");
          auto problems = t->CheckConsistency();
          if (!problems.empty()) Fail(runs, kind, "settled table not consistent: " + problems.front());
        } catch (const EffException& e) {
          if (e.ResultCode() != rcFileDamaged) Fail(runs, kind, "unexpected error " + e.Message());
          ++journalRefused;
        }
        continue;
      }
      std::string s = original;
      if (kind == 0) {
        // Bytes of one block in use.
        size_t b;
        do b = rng() % blocks; while (freeBlocks.count(b));
        for (int i = 0, n = 1 + static_cast<int>(rng() % 12); i < n; ++i) {
          size_t at = b * kBlock + (rng() % 2 ? rng() % 96 : rng() % kBlock);
          s[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng());
        }
      } else if (kind == 1) {
        // Bytes of free blocks only.
        auto it = freeBlocks.begin();
        std::advance(it, static_cast<long>(rng() % freeBlocks.size()));
        for (int i = 0, n = 1 + static_cast<int>(rng() % 12); i < n; ++i)
          s[*it * kBlock + rng() % kBlock] = static_cast<char>(rng());
      } else if (kind == 2) {
        s.resize(rng() % s.size());
      } else if (kind == 3) {
        size_t a = rng() % blocks, b = rng() % blocks;
        std::string tmp = s.substr(a * kBlock, kBlock);
        s.replace(a * kBlock, kBlock, s.substr(b * kBlock, kBlock));
        s.replace(b * kBlock, kBlock, tmp);
      } else if (kind == 4) {
        for (int i = 0, n = 1 + static_cast<int>(rng() % 12); i < n; ++i) {
          size_t at = rng() % s.size();
          if (rng() % 2) at = (at / kBlock) * kBlock + rng() % 96;
          s[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng());
        }
        if (rng() % 3 == 0) {
          size_t a = rng() % blocks, b = rng() % blocks;
          std::string tmp = s.substr(a * kBlock, kBlock);
          s.replace(a * kBlock, kBlock, s.substr(b * kBlock, kBlock));
          s.replace(b * kBlock, kBlock, tmp);
        }
        FixChecksums(s);
      } else {
        // Bytes anywhere.
        for (int i = 0, n = 1 + static_cast<int>(rng() % 12); i < n; ++i) s[rng() % s.size()] = static_cast<char>(rng());
      }
      // Which blocks in use were changed?
      bool usedHit = false, anyHit = s.size() != original.size();
      for (size_t b = 0; b < blocks; ++b) {
        bool changed = b * kBlock + kBlock > s.size() ||
                       s.compare(b * kBlock, kBlock, original, b * kBlock, kBlock) != 0;
        anyHit = anyHit || changed;
        if (changed && !freeBlocks.count(b)) usedHit = true;
      }
      Spit(path, s);
      Outcome o;
      try {
        o = Exercise(path, kind == 4 ? nullptr : &before);
      } catch (const std::bad_alloc&) {
        Fail(runs, kind, "huge allocation");
      } catch (const std::exception& e) {
        Fail(runs, kind, std::string("foreign exception: ") + e.what());
      }
      if (kind == 4) {
        ++fixed;
        continue;
      }
      if (!o.Wrong.empty()) Fail(runs, kind, "damaged data returned as good: " + o.Wrong);
      if (usedHit) {
        if (!o.Raised && !o.Reported) Fail(runs, kind, "damage to a block in use went unnoticed");
        ++detected;
      } else if (anyHit) {
        if (o.Raised || o.ById != before.size()) Fail(runs, kind, "damage to free space cost data or work");
        ++harmless;
      }
    }
    printf("%d damaged files and journals: %d with blocks in use damaged (all detected), %d with only free space "
           "damaged (all harmless), %d with checksums made right (clean errors only), %d journals with a damaged "
           "stretch (%d refused, the others settled to before or after the commit)\n",
           runs, detected, harmless, fixed, journals, journalRefused);
    fflush(stdout);
    _exit(runs > 50 && detected > 0 && harmless > 0 && journals > 0 ? 0 : 5);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "child died by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Fuzz, RefusalNamesTheFile) {
  dbtest::ScratchDir dir("fuzzname");
  std::string p = dir.File("BROKEN.FFD");
  BuildSample(p);
  std::string s = Slurp(p);
  s[kBlock * 2 + 1] ^= 0x55;  // signature of the dictionary's block
  Spit(p, s);
  try {
    Exercise(p, nullptr);
    TffTable::Open(p);
    FAIL() << "damage not noticed";
  } catch (const EffException& e) {
    EXPECT_EQ(e.ResultCode(), rcFileDamaged);
    EXPECT_NE(e.Message().find("BROKEN.FFD"), std::string::npos) << e.Message();
  }
  Spit(p, "FFFH");
  try {
    TffTable::Open(p);
    FAIL();
  } catch (const EffException& e) {
    EXPECT_EQ(e.ResultCode(), rcFileDamaged);
  }
}

}  // namespace

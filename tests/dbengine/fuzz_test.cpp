// Damaged table files: random byte changes, cut files, swapped blocks, and
// changes with the block checksums made right again (so that the structural
// checks behind the checksums get their turn). Opening and working such a
// file may only ever raise EffException: no crash, no hang, no huge
// allocation (the loop runs in a child with a 1 GiB address-space limit).
//
// ORV_FUZZ_SECONDS sets the length (default 20).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>

#include "dbengine/blockfile.h"
#include "dbengine/engine.h"
#include "tests/dbengine/test_util.h"

namespace {

constexpr uint32_t kBlock = 4096;

std::string Slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

void Spit(const std::string& p, const std::string& s) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(s.data(), static_cast<std::streamsize>(s.size()));
}

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
      std::string memo(static_cast<size_t>(i * 53 % 9000), 'm');
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

// Works the file as a user would; bounded steps.
void Exercise(const std::string& path) {
  auto t = TffTable::Open(path);
  const auto& d = t->Dictionary();
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  auto c = t->OpenCursor(kPhysicalOrder);
  uint32_t cap = t->RecordCount() + 2000;
  for (int ix = kPhysicalOrder; ix < d.IndexCount(); ++ix) {
    c->SwitchToIndex(ix);
    uint32_t n = 0;
    for (bool ok = c->First(r.data()); ok && n < cap; ok = c->Next(r.data()), ++n)
      for (int f = 0; f < d.FieldCount(); ++f)
        if (IsBlobType(d.Field(f).Type)) c->ReadBlobAll(r.data(), f);
    for (bool ok = c->Last(r.data()); ok && n < 2 * cap; ok = c->Prior(r.data()), ++n) {}
  }
  t->CheckConsistency();
  if (d.FieldCount() > 0 && d.Field(0).Type == fftInt32 && d.IndexCount() > 0) {
    c->SwitchToIndex(0);
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, 777777);
    c->InsertRecord(r.data());
    if (c->First(r.data())) c->DeleteRecord();
  }
}

void FixChecksums(std::string& s) {
  for (size_t b = 0; b + kBlock <= s.size(); b += kBlock) {
    auto* p = reinterpret_cast<uint8_t*>(s.data() + b);
    ffdetail::Put32(p + ffdetail::kOffChecksum, 0);
    ffdetail::Put32(p + ffdetail::kOffChecksum, ffdetail::Checksum(p, kBlock));
  }
}

TEST(Fuzz, DamagedFilesRaiseCleanErrorsOnly) {
  dbtest::ScratchDir dir("fuzz");
  std::string sample = dir.File("SAMPLE.FFD");
  BuildSample(sample);
  const std::string original = Slurp(sample);
  ASSERT_GT(original.size(), 10 * kBlock);
  double seconds = dbtest::DurationFromEnv("ORV_FUZZ_SECONDS", 20);
  pid_t pid = fork();
  if (pid == 0) {
#ifndef __SANITIZE_ADDRESS__  // the address sanitizer reserves far more than this
    rlimit lim{1ull << 30, 1ull << 30};
    setrlimit(RLIMIT_AS, &lim);
#endif
    std::mt19937 rng(31337);
    std::string path = dir.File("VICTIM.FFD");
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int runs = 0, refused = 0;
    while (std::chrono::steady_clock::now() < until) {
      std::string s = original;
      int kind = static_cast<int>(rng() % 5);
      if (kind == 0) {
        s.resize(rng() % s.size());
      } else if (kind == 1) {
        size_t a = rng() % (s.size() / kBlock), b = rng() % (s.size() / kBlock);
        std::string tmp = s.substr(a * kBlock, kBlock);
        s.replace(a * kBlock, kBlock, s.substr(b * kBlock, kBlock));
        s.replace(b * kBlock, kBlock, tmp);
        if (rng() % 2) FixChecksums(s);
      } else {
        int flips = 1 + static_cast<int>(rng() % 12);
        for (int i = 0; i < flips; ++i) {
          size_t at = rng() % s.size();
          // Mostly hit the block headers and the first entries, where the
          // structure lives.
          if (rng() % 2) at = (at / kBlock) * kBlock + rng() % 96;
          s[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng());
        }
        if (kind >= 3) FixChecksums(s);
      }
      std::remove((path + ".journal").c_str());
      Spit(path, s);
      ++runs;
      try {
        Exercise(path);
      } catch (const EffException&) {
        ++refused;
      } catch (const std::bad_alloc&) {
        fprintf(stderr, "huge allocation on run %d (kind %d)\n", runs, kind);
        _exit(3);
      } catch (const std::exception& e) {
        fprintf(stderr, "foreign exception on run %d: %s\n", runs, e.what());
        _exit(4);
      }
    }
    printf("%d damaged files, %d refused with an engine error\n", runs, refused);
    fflush(stdout);
    _exit(runs > 50 ? 0 : 5);
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
  s[kBlock * 3 + 1] ^= 0x55;  // signature of block 3
  Spit(p, s);
  try {
    Exercise(p);
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

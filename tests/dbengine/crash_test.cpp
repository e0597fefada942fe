// Durability under abrupt ends: a child process changes a table in a loop,
// single changes and transactions of several, and is killed at random
// moments; after every kill the table must open, pass the full consistency
// walk and hold every change that had returned, and of the change or
// transaction in flight all or nothing.
// A second test runs a writer against a file-size limit: it must end in a
// clean "disk full" with nothing lost.
//
// ORV_CRASH_SECONDS sets the length of the kill loop (default 25).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "dbengine/engine.h"
#include "tests/dbengine/test_util.h"

namespace {

using dbtest::CrashDict;
using dbtest::Payload;

// What the writer tells the test through a pipe, in order: before each
// change its intent (negative kind), after it returns the change (positive
// kind); around a transaction of several changes the markers below.
enum Marker : int32_t { kTxBegin = 10, kCommitCalled = 11, kCommitted = 12, kRolledBack = 14 };
struct Msg {
  int32_t kind;
  int32_t id;
  int32_t ver;
};

void WriteAll(int fd, const Msg& m) {
  const char* p = reinterpret_cast<const char*>(&m);
  size_t done = 0;
  while (done < sizeof m) {
    ssize_t n = write(fd, p + done, sizeof m - done);
    if (n <= 0) _exit(9);
    done += static_cast<size_t>(n);
  }
}

// The child: single changes and transactions of several changes, one
// after another until killed.
[[noreturn]] void Writer(const std::string& path, int fd, unsigned seed) {
  std::mt19937 rng(seed);
  try {
    auto t = TffTable::Open(path);
    auto c = t->OpenCursor(0);
    std::vector<uint8_t> r(static_cast<size_t>(t->Dictionary().RecordLength()));
    int next = c->Last(r.data()) ? static_cast<int>(FFGetFieldInt(t->Dictionary(), r.data(), 0)) + 1 : 1;
    auto announce = [&](const dbtest::Change& ch) { WriteAll(fd, {-ch.Kind, ch.Id, ch.Ver}); };
    auto change = [&] {
      dbtest::Change ch = dbtest::RandomChange(*t, *c, rng, next, 4000, announce);
      if (ch.Kind) WriteAll(fd, {ch.Kind, ch.Id, ch.Ver});
    };
    for (;;) {
      if (rng() % 3) {
        change();
        continue;
      }
      WriteAll(fd, {kTxBegin, 0, 0});
      t->StartTransaction();
      for (int n = 2 + static_cast<int>(rng() % 7); n > 0; --n) change();
      if (rng() % 6 == 0) {
        t->Rollback();
        WriteAll(fd, {kRolledBack, 0, 0});
      } else {
        WriteAll(fd, {kCommitCalled, 0, 0});
        t->Commit();
        WriteAll(fd, {kCommitted, 0, 0});
      }
    }
  } catch (const std::exception& e) {
    fprintf(stderr, "writer failed: %s\n", e.what());
    _exit(7);
  }
}

TEST(Crash, KilledWriterLosesNothingThatReturned) {
  dbtest::ScratchDir dir("crash");
  TffDataDictionary dict(4096);
  CrashDict(dict);
  std::string path = dir.File("CRASH.FFD");
  TffTable::Create(path, dict, false);
  double seconds = dbtest::DurationFromEnv("ORV_CRASH_SECONDS", 25);
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::mt19937 rng(2024);
  dbtest::Model model;  // from changes that returned
  int kills = 0, changes = 0, unsettled = 0, inTransaction = 0;
  while (std::chrono::steady_clock::now() < until || kills < 20) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      Writer(path, fds[1], rng());
    }
    close(fds[1]);
    usleep(static_cast<useconds_t>(rng() % 60000));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ++kills;
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended on its own, status " << status;
    // Apply what returned; keep what may be in flight: one change, or a
    // transaction whose commit was called.
    Msg m;
    dbtest::Change single;
    bool inTx = false, commitCalled = false;
    std::vector<dbtest::Change> tx;
    while (read(fds[0], &m, sizeof m) == static_cast<ssize_t>(sizeof m)) {
      if (m.kind == kTxBegin) {
        inTx = true;
        commitCalled = false;
        tx.clear();
      } else if (m.kind == kCommitCalled) {
        commitCalled = true;
      } else if (m.kind == kCommitted || m.kind == kRolledBack) {
        if (m.kind == kCommitted)
          for (const auto& ch : tx) dbtest::ApplyTo(model, ch);
        changes += static_cast<int>(tx.size());
        inTx = false;
        tx.clear();
      } else if (m.kind < 0) {
        if (!inTx) single = {-m.kind, m.id, m.ver};
      } else if (inTx) {
        tx.push_back({m.kind, m.id, m.ver});
      } else {
        dbtest::ApplyTo(model, {m.kind, m.id, m.ver});
        single = {};
        ++changes;
      }
    }
    close(fds[0]);
    inTransaction += inTx;
    {
      // Count the kills that left a commit for the open to settle.
      std::ifstream j(path + ".journal", std::ios::binary);
      char magic[4] = {};
      if (j.read(magic, 4) && std::string(magic, 4) == "FFJU") ++unsettled;
    }
    // Every third check opens read-only: the journal is then laid over the
    // file in memory instead of being settled in it.
    auto t = TffTable::Open(path, kills % 3 == 0 ? TffOpenMode::ReadOnly : TffOpenMode::ReadWrite);
    auto problems = t->CheckConsistency();
    ASSERT_TRUE(problems.empty()) << "after kill " << kills << ": " << problems.front();
    std::string bad;
    dbtest::Model found = dbtest::ReadModel(*t, &bad);
    ASSERT_TRUE(bad.empty()) << bad;
    // What was in flight landed whole or not at all.
    dbtest::Model landed = model;
    if (!inTx && single.Kind) dbtest::ApplyTo(landed, single);
    if (inTx && commitCalled)
      for (const auto& ch : tx) dbtest::ApplyTo(landed, ch);
    if (found == landed) model = landed;
    ASSERT_EQ(found, model) << "after kill " << kills << (inTx ? " inside a transaction" : "");
  }
  EXPECT_GT(changes, 0);
  printf("%d kills (%d inside a transaction of several changes, %d left a commit to settle), "
         "%d changes that returned, %zu records at the end\n",
         kills, inTransaction, unsettled, changes, model.size());
  RecordProperty("kills", kills);
  RecordProperty("changes", changes);
}

TEST(DiskFull, WriterEndsCleanlyAndKeepsEverything) {
  dbtest::ScratchDir dir("full");
  TffDataDictionary dict(4096);
  CrashDict(dict);
  std::string path = dir.File("FULL.FFD");
  TffTable::Create(path, dict, false);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    signal(SIGXFSZ, SIG_IGN);
    rlimit lim{400 * 1024, 400 * 1024};
    setrlimit(RLIMIT_FSIZE, &lim);
    int code = 1;
    int posted = 0;
    try {
      auto t = TffTable::Open(path);
      auto c = t->OpenCursor(0);
      const auto& d = t->Dictionary();
      std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
      try {
        for (int id = 1; id < 100000; ++id) {
          FFInitRecord(d, r.data());
          FFSetFieldInt(d, r.data(), 0, id);
          FFSetFieldInt(d, r.data(), 1, 0);
          std::string p = Payload(id, 0);
          c->WriteBlob(r.data(), 3, p.data(), static_cast<uint32_t>(p.size()));
          c->InsertRecord(r.data());
          ++posted;
        }
      } catch (const EffException& e) {
        code = e.ResultCode() == rcDiskFull ? 0 : 2;
      }
      // The table stays usable: what was posted reads back, and a change
      // that fits (a delete) still works.
      if (code == 0 && (t->RecordCount() != static_cast<uint32_t>(posted) || !t->CheckConsistency().empty()))
        code = 3;
      if (code == 0 && c->First(r.data())) {
        c->DeleteRecord();
        --posted;
      }
    } catch (const std::exception&) {
      code = 4;
    }
    write(fds[1], &posted, sizeof posted);
    _exit(code);
  }
  close(fds[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  int posted = -1;
  ASSERT_EQ(read(fds[0], &posted, sizeof posted), static_cast<ssize_t>(sizeof posted));
  close(fds[0]);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "1: never full, 2: other error, 3: lost data, 4: unusable";
  EXPECT_GT(posted, 5);
  printf("%d records posted before the disk was full\n", posted);
  auto t = TffTable::Open(path);
  EXPECT_EQ(t->RecordCount(), static_cast<uint32_t>(posted));
  auto problems = t->CheckConsistency();
  EXPECT_TRUE(problems.empty()) << problems.front();
  auto c = t->OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(t->Dictionary().RecordLength()));
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) {
    int id = static_cast<int>(FFGetFieldInt(t->Dictionary(), r.data(), 0));
    ASSERT_EQ(c->ReadBlobAll(r.data(), 3), Payload(id, 0));
  }
}

}  // namespace

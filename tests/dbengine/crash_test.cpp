// Durability under abrupt ends: a child process changes a table in a loop
// and is killed at random moments; after every kill the table must open,
// pass the full consistency walk and hold every change that had returned.
// A second test runs a writer against a file-size limit: it must end in a
// clean "disk full" with nothing lost.
//
// ORV_CRASH_SECONDS sets the length of the kill loop (default 30).
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

// ID (unique), VER, NAME, DATA (BLOB whose content follows ID and VER).
void CrashDict(TffDataDictionary& d) {
  d.AddField("ID", "", fftInt32, 0, 0, true);
  d.AddField("VER", "", fftInt32, 0, 0, true);
  d.AddField("NAME", "", fftShortString, 20, 0, false);
  d.AddField("DATA", "", fftBlob, 0, 0, false);
  d.AddIndex("BYID", "", 0, {0}, false, true, false);
  d.AddIndex("BYNAME", "", 0, {2, 1}, true, false, true);
}

std::string Payload(int id, int ver) {
  size_t n = static_cast<size_t>((id * 7919 + ver * 104729) % 20000);
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((id + ver + i) * 31);
  return s;
}

struct Msg {
  int32_t kind;  // 1 insert, 2 modify, 3 delete; negative: about to start
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

// The child: one change after another until killed.
[[noreturn]] void Writer(const std::string& path, int fd, unsigned seed) {
  std::mt19937 rng(seed);
  try {
    auto t = TffTable::Open(path);
    auto c = t->OpenCursor(0);
    const auto& d = t->Dictionary();
    std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
    int next = c->Last(r.data()) ? static_cast<int>(FFGetFieldInt(d, r.data(), 0)) + 1 : 1;
    for (;;) {
      int what = static_cast<int>(rng() % 6);
      if (what < 3 || t->RecordCount() < 5) {
        int id = next++;
        WriteAll(fd, {-1, id, 0});
        FFInitRecord(d, r.data());
        FFSetFieldInt(d, r.data(), 0, id);
        FFSetFieldInt(d, r.data(), 1, 0);
        FFSetFieldString(d, r.data(), 2, "n" + std::to_string(id % 97));
        std::string p = Payload(id, 0);
        c->WriteBlob(r.data(), 3, p.data(), static_cast<uint32_t>(p.size()));
        c->InsertRecord(r.data());
        WriteAll(fd, {1, id, 0});
      } else {
        std::vector<uint8_t> k(r.size());
        FFInitRecord(d, k.data());
        FFSetFieldInt(d, k.data(), 0, static_cast<int>(rng() % static_cast<unsigned>(next)));
        if (!c->FindNearest(k.data()) || !c->GetRecord(r.data())) continue;
        int id = static_cast<int>(FFGetFieldInt(d, r.data(), 0));
        int ver = static_cast<int>(FFGetFieldInt(d, r.data(), 1));
        if (what < 5) {
          WriteAll(fd, {-2, id, ver + 1});
          FFSetFieldInt(d, r.data(), 1, ver + 1);
          FFSetFieldString(d, r.data(), 2, "m" + std::to_string((id + ver) % 89));
          std::string p = Payload(id, ver + 1);
          c->WriteBlob(r.data(), 3, p.data(), static_cast<uint32_t>(p.size()));
          c->ModifyRecord(r.data());
          WriteAll(fd, {2, id, ver + 1});
        } else {
          WriteAll(fd, {-3, id, ver});
          c->DeleteRecord();
          WriteAll(fd, {3, id, ver});
        }
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
  double seconds = dbtest::DurationFromEnv("ORV_CRASH_SECONDS", 30);
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::mt19937 rng(2024);
  std::map<int, int> model;  // id -> version, from changes that returned
  int kills = 0, changes = 0, replays = 0;
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
    // Apply what returned; remember the one change that may be in flight.
    Msg m, pending{0, 0, 0};
    while (read(fds[0], &m, sizeof m) == static_cast<ssize_t>(sizeof m)) {
      if (m.kind < 0) {
        pending = m;
        continue;
      }
      pending = {0, 0, 0};
      ++changes;
      if (m.kind == 3) model.erase(m.id);
      else model[m.id] = m.ver;
    }
    close(fds[0]);
    {
      // Count the kills that left a commit to replay.
      std::ifstream j(path + ".journal", std::ios::binary);
      char magic[4] = {};
      if (j.read(magic, 4) && std::string(magic, 4) == "FFJL") ++replays;
    }
    // Every third check opens read-only: the journal is then laid over the
    // file in memory instead of being replayed into it.
    auto t = TffTable::Open(path, kills % 3 == 0 ? TffOpenMode::ReadOnly : TffOpenMode::ReadWrite);
    auto problems = t->CheckConsistency();
    ASSERT_TRUE(problems.empty()) << "after kill " << kills << ": " << problems.front();
    auto c = t->OpenCursor(0);
    const auto& d = t->Dictionary();
    std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
    std::map<int, int> found;
    for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) {
      int id = static_cast<int>(FFGetFieldInt(d, r.data(), 0));
      int ver = static_cast<int>(FFGetFieldInt(d, r.data(), 1));
      found[id] = ver;
      ASSERT_EQ(c->ReadBlobAll(r.data(), 3), Payload(id, ver)) << "record and BLOB out of step";
    }
    // The change in flight may have landed whole; everything else matches.
    if (pending.kind != 0) {
      int id = pending.id;
      bool landed = pending.kind == -3 ? !found.count(id) : found.count(id) && found[id] == pending.ver;
      if (landed) {
        if (pending.kind == -3) model.erase(id);
        else model[id] = pending.ver;
      }
    }
    ASSERT_EQ(found, model) << "after kill " << kills;
  }
  EXPECT_GT(changes, 0);
  printf("%d kills (%d left a journal to replay), %d changes that returned, %zu records at the end\n",
         kills, replays, changes, model.size());
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

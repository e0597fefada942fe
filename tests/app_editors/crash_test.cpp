// The program killed (SIGKILL) while it posts persons through the editor
// in a loop, again and again: every post that returned is in the tables
// with its derived fields, and the tables are whole (each index lists the
// same entries, the engine's own walk finds nothing amiss, the next editor
// goes on numbering after the last one).
#include "tests/app_editors/editors_fixture.h"

#include "dbengine/engine.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>

namespace edtest {
namespace {

// The child: the person editor posting "Person<n>" born on day n of 1950
// until it is killed; the number of each post that returned goes down the
// pipe.
[[noreturn]] void PostForever(TUiTestDriver& driver, int fd) {
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    for (;;) {
      driver.Click(f.pbInsert);
      const int id = f.tblEige->FieldByName("EIGE_ID")->AsInteger();
      driver.Type("Eva");
      driver.Click(f.editEigeNachname);
      driver.Type(("Person" + std::to_string(id)).c_str());
      driver.Click(f.editEigeDatum);
      driver.Type(FormatDateTime("ddmmyyyy", EncodeDate(1950, 1, 1) + id).c_str());
      driver.Click(f.pbPost);
      if (f.tblEige->State() != dsBrowse) _exit(4);
      if (write(fd, &id, sizeof id) != static_cast<ssize_t>(sizeof id)) _exit(5);
    }
  });
  try {
    int id = 0;
    ShowPersErf(id);
  } catch (...) {
  }
  _exit(3);
}

TEST_F(EditorTest, PostsThatReturnedSurviveAKill) {
  std::mt19937 rng(38);
  std::set<int> returned;
  int kills = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < until || kills < 4) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      PostForever(driver, fds[1]);
    }
    close(fds[1]);
    usleep(static_cast<useconds_t>(100000 + rng() % 200000));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ++kills;
    ASSERT_TRUE(WIFSIGNALED(status)) << "the editor ended on its own, status " << WEXITSTATUS(status);
    int id = 0;
    while (read(fds[0], &id, sizeof id) == static_cast<ssize_t>(sizeof id)) returned.insert(id);
    close(fds[0]);

    // The files are whole (a commit cut short is undone on opening).
    for (const char* file : {"EIGENES.FFD", "EIGESELC.FFD"}) {
      const std::vector<std::string> problems = TffTable::Open(UserDataDir + file)->CheckConsistency();
      EXPECT_TRUE(problems.empty()) << file << ": " << problems.front();
    }
    // Every returned post is there, whole.
    std::map<int, Row> byId;
    for (const Row& r : StoredRows("EIGENES.FFD", "XEIGE_ID")) byId[std::stoi(r.at("EIGE_ID"))] = r;
    for (int n : returned) {
      ASSERT_TRUE(byId.count(n)) << "post " << n << " returned but is lost";
      const Row& r = byId[n];
      EXPECT_EQ(r.at("EIGE_HINWEIS"), "Person" + std::to_string(n) + ", Eva");
      EXPECT_EQ(r.at("EIGE_DATUM"), EntryDateText(EncodeDate(1950, 1, 1) + n));
      int y = 0, m = 0, d = 0;
      DecodeDate(EncodeDate(1950, 1, 1) + n, y, m, d);
      EXPECT_EQ(r.at("EIGE_TAG"), std::to_string(d));
      EXPECT_EQ(r.at("EIGE_TERMIN1"), std::to_string(WarnerKey(true, EncodeDate(1950, 1, 1) + n, true, 2)));
    }
    // Each index lists the same entries.
    for (const char* index : {"XEIGE_NAME", "XEIGE_DATUM", "XEIGE_MTJ", "XEIGE_TERM1"}) {
      std::set<int> ids;
      for (const Row& r : StoredRows("EIGENES.FFD", index)) ids.insert(std::stoi(r.at("EIGE_ID")));
      EXPECT_EQ(ids.size(), byId.size()) << index;
    }
  }
  EXPECT_GT(returned.size(), 10u) << "the editor posted a good number of persons";
  // The tables go on working: the next person takes the next number.
  int last = 0;
  for (const Row& r : StoredRows("EIGENES.FFD", "XEIGE_ID")) last = std::max(last, std::stoi(r.at("EIGE_ID")));
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    driver.Click(f.pbInsert);
    EXPECT_EQ(f.tblEige->FieldByName("EIGE_ID")->AsInteger(), last + 1);
    driver.Click(f.pbCancel);
    driver.Click(f.pbExit);
  });
  int id = 0;
  ShowPersErf(id);
}

}  // namespace
}  // namespace edtest

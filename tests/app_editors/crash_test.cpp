// The program killed (SIGKILL) while it posts persons through the editor
// in a loop, again and again for two seconds: every post that returned is
// in the table with its derived fields, the engine's own walk finds the
// files whole, and every index lists the same entries.
#include "tests/app_editors/editors_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>

#include "dbengine/engine.h"

namespace edtest {
namespace {

// The child: the editor posting "Person<n>", born n days after 1.1.1950,
// until it is killed; each post that returned sends its number.
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
      if (f.tblEige->State() != dsBrowse || write(fd, &id, sizeof id) != static_cast<ssize_t>(sizeof id)) _exit(4);
    }
  });
  int id = 0;
  ShowPersErf(id);
  _exit(3);
}

TEST_F(EditorTest, PostsThatReturnedSurviveAKill) {
  std::mt19937 rng(38);
  std::set<int> returned;
  int kills = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  // On a loaded machine a kill may come before many posts returned: go on
  // (for at most half a minute) until a good number did.
  const auto cap = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((std::chrono::steady_clock::now() < until || kills < 4 || returned.size() <= 10u) &&
         std::chrono::steady_clock::now() < cap) {
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
    for (int n = 0; read(fds[0], &n, sizeof n) == static_cast<ssize_t>(sizeof n);) returned.insert(n);
    close(fds[0]);

    for (const char* file : {"EIGENES.FFD", "EIGESELC.FFD"}) {
      const std::vector<std::string> problems = TffTable::Open(UserDataDir + file)->CheckConsistency();
      EXPECT_TRUE(problems.empty()) << file << ": " << problems.front();
    }
    std::map<int, Row> byId;
    for (const Row& r : StoredRows("EIGENES.FFD", "XEIGE_ID")) byId[std::stoi(r.at("EIGE_ID"))] = r;
    for (int n : returned) {
      ASSERT_TRUE(byId.count(n)) << "post " << n << " returned but is lost";
      const TDateTime born = EncodeDate(1950, 1, 1) + n;
      EXPECT_EQ(byId[n].at("EIGE_HINWEIS"), "Person" + std::to_string(n) + ", Eva");
      EXPECT_EQ(byId[n].at("EIGE_DATUM"), EntryDateText(born));
      EXPECT_EQ(byId[n].at("EIGE_TERMIN1"), std::to_string(WarnerKey(true, born, true, 2)));
    }
    for (const char* index : {"XEIGE_NAME", "XEIGE_DATUM", "XEIGE_MTJ", "XEIGE_TERM1"})
      EXPECT_EQ(StoredRows("EIGENES.FFD", index).size(), byId.size()) << index;
  }
  EXPECT_GT(returned.size(), 10u) << "the editor posted a good number of persons";
}

}  // namespace
}  // namespace edtest

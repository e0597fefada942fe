// The program killed (SIGKILL) while it posts persons through the editor
// in a loop, again and again for two seconds: every post that returned is
// in the table with its derived fields, the engine's own walk finds the
// files whole, and every index lists the same entries. A renamed code and a
// deleted person, killed at each write: all of the change or none.
#include "tests/app_editors/editors_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <set>

#include "dbengine/engine.h"
#include "tests/dbengine/file_layers.h"

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

// A code renamed and a person deleted with its codes, the program killed
// at each write of the change: the next start finds all of it or none.
TEST_F(EditorTest, ARenameOrADeletionKilledAtAnyWriteIsWholeOrNone) {
  AddCodes({{"FAM", "Familie"}});
  apptest::Put(Root() / "persd.upd", "#ID=1\r\n#Name=Anna Muster\r\n#SelCode=FAM\r\n#ID=2\r\n#Name=Bernd Muster\r\n"
                                     "#SelCode=FAM\r\n#SelCode=K1\r\n#SelCode=K2\r\n#ID=3\r\n#Name=Clara Muster\r\n#SelCode=FAM\r\n");
  CreateUserDatabase();  // into the empty tables
  // The window of `show` in a child that `act` works, killed at the n-th
  // write from the start of `act`; true when it was killed.
  auto killed = [&](long n, const std::function<void()>& show, const std::function<void(TCustomForm&)>& act) {
    const pid_t child = fork();
    if (child == 0) {
      driver.WhenModal([&](TCustomForm& form) {
        dbtest::KillLayer kill(n);
        ffdetail::ScopedFileLayer layer(kill);
        act(form);
        _exit(0);
      });
      show();
      _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == dbtest::KillLayer::kKilled));
    return WIFEXITED(status) && WEXITSTATUS(status) == dbtest::KillLayer::kKilled;
  };
  using Links = std::vector<std::pair<AnsiString, int>>;
  AnsiString code = "FAM";
  for (long n = 1;; ++n) {
    const bool cut = killed(n, ShowSelCErf, [&](TCustomForm& form) {
      auto& f = dynamic_cast<TfrmSelCErf&>(form);
      ClickCell(driver, f.gridSelC, 1, f.gridSelC->Row());
      for (int vk : {VK_END, VK_BACK, VK_BACK, VK_BACK}) driver.PressKey(vk);
      driver.Type(code == "FAM" ? "FAX" : "FAM");
      driver.Click(f.pbPost);
    });
    code = StoredRows("SELCODE.FFD", "XSELC_ID").at(0).at("SELC_ID");
    ASSERT_EQ(StoredLinks(), (Links{{code, 1}, {code, 2}, {code, 3}, {"K1", 2}, {"K2", 2}})) << "killed at " << n;
    if (!cut) break;
  }
  EXPECT_EQ(code, "FAX");
  for (long n = 1;; ++n) {
    const bool cut = killed(n, [] { int id = 2; ShowPersErf(id); }, [&](TCustomForm& form) {
      driver.AnswerNextMessageBox(IDYES);
      driver.Click(dynamic_cast<TfrmPersErf&>(form).pbDelete);
    });
    const bool gone = StoredRows("EIGENES.FFD", "XEIGE_ID").size() == 2;
    if (gone)
      ASSERT_EQ(StoredLinks(), (Links{{code, 1}, {code, 3}})) << "killed at " << n;
    else
      ASSERT_EQ(StoredLinks(), (Links{{code, 1}, {code, 2}, {code, 3}, {"K1", 2}, {"K2", 2}})) << "killed at " << n;
    if (gone || !cut) break;  // a kill after the change was written leaves it written
  }
  EXPECT_EQ(StoredRows("EIGENES.FFD", "XEIGE_ID").size(), 2u);
}

}  // namespace
}  // namespace edtest

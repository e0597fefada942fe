// Start of the program to its first painted day page, on whole processes
// on the toolkit's headless platform. The benchmark starts itself as the
// program: the child runs the program block as the program does and, when
// the first day page has been painted, writes the monotonic clock to a
// pipe and ends at once; the parent's time runs from before the process is
// started to that moment. The births page is the start rubric; "FirstStart"
// starts in a directory without the user's tables (they are built first),
// "Start" in one that has them.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/main/mainwin.h"
#include "app/main/program.h"
#include "platform/qt/qt_host.h"
#include "platform/rtl/files.h"
#include "tests/app/program_dir.h"

namespace {

namespace fs = std::filesystem;

std::int64_t MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The child: the program in `dir`, ended at its first painted day page.
int Child(const std::string& dir, int fd) {
  qthost::InstallWindowHost();
  SetProgramDirectory(dir + "/");
  InitUi();
  Application->OnIdle = [fd](TObject*, bool&) {
    // Idle comes after painting: a built page has been painted.
    if (frmMain && frmMain->PagesBuilt() > 0) {
      const std::int64_t now = MonotonicNs();
      if (write(fd, &now, sizeof now) != sizeof now) _exit(3);
      _exit(0);
    }
  };
  RunProgram({});
  return 2;  // the program ended without a page
}

fs::path MakeProgramDir(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("orvelan_startup_" + std::to_string(getpid()) + "_" + name);
  fs::remove_all(dir);
  apptest::CopyBuiltData(dir, {"OvDef001.Rtf", "OvDef002.Rtf", "OvDef003.Rtf"});
  std::ofstream(dir / "Orvelan.Ini") << "[ALLGEMEIN]\r\nRubrik=2\r\nLetzte Rubrik anzeigen=1\r\n";
  return dir;
}

// One start of the program; nanoseconds to its first painted page.
std::int64_t StartOnce(const fs::path& dir) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::int64_t t0 = MonotonicNs();
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string fd = std::to_string(fds[1]);
    execl(self.c_str(), self.c_str(), "--child", dir.c_str(), fd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::int64_t t1 = 0;
  const bool got = read(fds[0], &t1, sizeof t1) == sizeof t1;
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return got && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? t1 - t0 : -1;
}

// Starts the program in `dir` once per iteration; `freshUser` removes the
// user's tables before each start.
void Starts(benchmark::State& state, const fs::path& dir, bool freshUser) {
  for (auto _ : state) {
    if (freshUser) fs::remove_all(dir / "BENUTZER");
    const std::int64_t ns = StartOnce(dir);
    if (ns < 0) {
      state.SkipWithError("the program did not paint a page");
      break;
    }
    state.SetIterationTime(static_cast<double>(ns) / 1e9);
  }
  fs::remove_all(dir);
}

void BM_Start(benchmark::State& state) {
  const fs::path dir = MakeProgramDir("start");
  StartOnce(dir);  // builds the user's tables
  Starts(state, dir, false);
}
BENCHMARK(BM_Start)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FirstStart(benchmark::State& state) { Starts(state, MakeProgramDir("first"), true); }
BENCHMARK(BM_FirstStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--child") return Child(argv[2], std::atoi(argv[3]));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

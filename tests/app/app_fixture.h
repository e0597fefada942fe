// Test fixture of the program's foundation: a program directory of its own
// per test (in memory where the system offers it), optionally with the
// reference data the build made (build/app/DATEN) and the default templates
// copied in, the headless driver, and the settings' program directory
// pointed there. Everything is removed when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "platform/ui/testdriver.h"
#include "tests/app/program_dir.h"

namespace apptest {

namespace fs = std::filesystem;

// The built program into a program directory of a real-program test: a hard
// link where the file system allows (the sanitizer build's binary is some
// 200 MB, and each such test has a directory of its own), else a copy.
inline void PlaceProgram(const fs::path& dir) {
  std::error_code ec;
  fs::create_hard_link(BuiltProgramDir() / "orvelan", dir / "orvelan", ec);
  if (ec) fs::copy_file(BuiltProgramDir() / "orvelan", dir / "orvelan");
}

// Every reference file the data set-up and the formatters read.
inline const std::initializer_list<const char*> kReferenceFiles = {
    "Ereignis.Stx", "Person.Stx", "Feiertag.Stx", "ORT.FFD",      "NATION.FFD",   "BERUF.FFD",
    "PERSNATI.FFD", "PERSBERU.FFD", "PERSON.FFD", "EREIGNIS.FFD", "FEIERTAG.FFD", "PATRON.FFD", "NAME.FFD"};

inline std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

class ProgramDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    root_ = base / ("orvapp_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_, ec);
    fs::create_directories(root_);
    EnterProgramDir(root_);
  }
  void TearDown() override { LeaveProgramDir(root_); }

  // The built reference data into DATEN (or another folder).
  void CopyReferenceData(const std::string& folder = "DATEN") {
    fs::create_directories(root_ / folder);
    for (const char* f : kReferenceFiles) fs::copy_file(BuiltProgramDir() / "DATEN" / f, root_ / folder / f);
  }
  void CopyDefaultTemplates() {
    for (const char* f : {"OvDef001.Rtf", "OvDef002.Rtf", "OvDef003.Rtf"})
      fs::copy_file(BuiltProgramDir() / f, root_ / f);
  }
  fs::path Root() const { return root_; }
  fs::path Ini() const { return root_ / "Orvelan.Ini"; }

  TUiTestDriver driver;

 private:
  fs::path root_;
};

}  // namespace apptest

// A program directory of its own for code that runs the program's parts
// outside the program (tests and benchmarks): where the build put the
// program and its reference data, the settings pointed into a directory and
// back out again, and an open table. No test framework here, so benchmarks
// can use it as well.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>

#include "app/base/userdb.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "platform/db/dbtables.h"
#include "platform/rtl/files.h"
#include "tests/test_paths.h"

namespace apptest {

namespace fs = std::filesystem;

inline fs::path BuiltProgramDir() { return fs::path(testpaths::BinaryDir()) / "app"; }

// An open table dataset of the database (alias) on the index.
inline std::unique_ptr<TwwTable> OpenTable(const char* database, const char* table, const char* index = "") {
  auto t = std::make_unique<TwwTable>(nullptr);
  t->SetDatabaseName(database);
  t->SetTableName(table);
  if (*index) t->SetIndexName(index);
  t->Open();
  return t;
}

// All of the build's reference data into `dir`/DATEN, and the named files
// of the build's program folder (templates, say) beside it.
inline void CopyBuiltData(const fs::path& dir, std::initializer_list<const char*> files = {}) {
  fs::create_directories(dir / "DATEN");
  fs::copy(BuiltProgramDir() / "DATEN", dir / "DATEN", fs::copy_options::recursive);
  for (const char* f : files) fs::copy_file(BuiltProgramDir() / f, dir / f);
}

// The program's settings pointed into `dir` (which must end without a
// slash), and out of it again with every table closed.
inline void EnterProgramDir(const fs::path& dir) {
  SetProgramDirectory(FromSysFileName(dir.string()) + "/");
  ProgramDir = FromSysFileName(dir.string()) + "/";
}
inline void LeaveProgramDir(const fs::path& dir) {
  ReleaseData();
  Session->Close();
  SetProgramDirectory("");
  std::error_code ec;
  fs::remove_all(dir, ec);
}

enum class UserTables { kNone, kMade };

// A benchmark's program directory in the system's temporary folder (on
// disk: commits there cost what they cost the user), named by `tag` and the
// process, with the built reference data and `files`, the colours and
// settings loaded as at the program's start and, if asked, the user's
// tables made. Removed again, with the data released, when it goes.
class ProgramDirectory {
 public:
  ProgramDirectory(const std::string& tag, UserTables user, std::initializer_list<const char*> files = {})
      : root_(fs::temp_directory_path() / ("orvbench_" + tag + "_" + std::to_string(::getpid()))) {
    fs::remove_all(root_);
    CopyBuiltData(root_, files);
    EnterProgramDir(root_);
    InitColorTable();
    LoadSettings();
    if (user == UserTables::kMade) CreateUserDatabase();
  }
  ~ProgramDirectory() { LeaveProgramDir(root_); }
  ProgramDirectory(const ProgramDirectory&) = delete;
  ProgramDirectory& operator=(const ProgramDirectory&) = delete;

  const fs::path& Root() const { return root_; }

 private:
  fs::path root_;
};

}  // namespace apptest

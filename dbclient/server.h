// The in-process database server: the alias list and a command handler that
// runs numbered commands against the table engine and answers result codes.
// It starts with the first session and lives until the process ends. There
// is no wire protocol: a command is a call with its data in a TffCommand.
//
// Invariants: alias names are unique without letter case, at most 31
// characters; paths at most 219. Handlers never throw: engine exceptions
// become their result codes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "dbclient/result_codes.h"
#include "dbengine/engine.h"

// Command numbers.
enum TffCommandNumber : uint32_t {
  ffnmAddAlias = 260,
  ffnmGetAliasPath = 261,
  ffnmDeleteAlias = 263,
  ffnmBuildTable = 1300,
  ffnmDeleteTable = 1301,
  ffnmOpenTable = 1302,
};

struct TffCommand {
  AnsiString Alias;
  AnsiString Path;         // alias path, or the table file's path
  bool Overwrite = false;
  const TffDataDictionary* Dictionary = nullptr;
  TffOpenMode OpenMode = TffOpenMode::ReadWrite;
  TffShareMode ShareMode = TffShareMode::Shared;
  std::shared_ptr<TffTable> Table;  // reply of ffnmOpenTable
};

inline constexpr size_t ffMaxAliasLength = 31;
inline constexpr size_t ffMaxPathLength = 219;

class TffServer {
public:
  // The server of this process, started on first use.
  static TffServer& Instance();
  static bool Started();

  // Runs one command; unknown numbers give bapiNotSupported.
  TBapiResult Process(uint32_t command, TffCommand& data);

private:
  TffServer() = default;
  TBapiResult AddAlias(TffCommand& c);
  TBapiResult GetAliasPath(TffCommand& c);
  TBapiResult DeleteAlias(TffCommand& c);
  TBapiResult BuildTable(TffCommand& c);
  TBapiResult DeleteTable(TffCommand& c);
  TBapiResult OpenTable(TffCommand& c);

  struct Alias {
    AnsiString Name, Path;
  };
  std::map<std::string, Alias> aliases_;  // by upper-cased name
};

// The errno behind the last result FFGuard made on this thread, or 0.
inline int& FFLastSystemError() {
  thread_local int err = 0;
  return err;
}

// The file whose write made the last result FFGuard made on this thread,
// or empty.
inline AnsiString& FFLastWrittenFile() {
  thread_local AnsiString file;
  return file;
}

// Runs f and turns what it throws into a result code.
template <class F>
TBapiResult FFGuard(F&& f) {
  FFLastSystemError() = 0;
  FFLastWrittenFile().clear();
  try {
    return f();
  } catch (const EffException& e) {
    FFLastSystemError() = e.SystemError();
    FFLastWrittenFile() = e.WrittenFile();
    return e.ResultCode() ? e.ResultCode() : bapiIOError;
  } catch (const std::bad_alloc&) {
    return bapiOutOfMemory;
  } catch (...) {
    return bapiIOError;
  }
}

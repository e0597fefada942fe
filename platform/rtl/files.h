// Files, paths and the process: existence tests, directory creation,
// deleting and renaming, path pieces, a file-name lookup that ignores letter
// case, the command line and a millisecond tick counter.
//
// Names are Windows-1252 text; SysFileName and FromSysFileName are the one
// crossing to and from the file system's names, for every call that hands
// a name to the system or takes one from it.
// The path delimiter is '/'; '\' is a letter of a name, as on the disk.
// Only a stored path (settings written the Windows way) is read with '\'
// as a delimiter, and only where the path with it as a letter does not
// exist: FindFileNoCase, WithSlashes. None of these functions raises for a
// bad or missing name: they answer false or empty.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/exceptions.h"

constexpr char PathDelim = '/';

// The file system's names are bytes, normally UTF-8. FromSysFileName keeps
// every character Windows-1252 holds as its byte; any other character (Ł,
// an emoji) and every byte that is no UTF-8 stays in the text as
// kSysByteMark and two hex digits per byte, so that SysFileName hands a
// name read from the system back byte for byte. Such a name is shown
// through ShownFileName: each such character as its base letter (Ł as L),
// or as '?' where it has none.
constexpr char kSysByteMark = '\x81';  // a byte Windows-1252 leaves undefined
std::string SysFileName(std::string_view name);
AnsiString FromSysFileName(std::string_view sys);
AnsiString ShownFileName(std::string_view name);
// A path written the Windows way with '/' for each '\'.
AnsiString WithSlashes(std::string_view name);

bool FileExists(const AnsiString& name);       // an existing regular file
bool DirectoryExists(const AnsiString& name);  // an existing directory
// An existing directory this process may list and enter / create files in.
bool DirectoryReadable(const AnsiString& dir);
bool DirectoryWritable(const AnsiString& dir);
// Creates the directory and every missing parent; true when it exists after.
bool ForceDirectories(const AnsiString& dir);
bool DeleteFile(const AnsiString& name);
// Fails (false) when the target exists already, as on Windows.
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);
// When the name is a symbolic link the system cannot follow, why (an errno:
// ENOENT when its end is missing, a disk not plugged in, say; ELOOP for
// links that go round), with `target` what the link names; else 0.
int BrokenLink(const AnsiString& name, AnsiString& target);

// "dir/sub/name.ext": path "dir/sub/", dir "dir/sub", name "name.ext",
// extension ".ext" (the last dot of the name; empty when none).
AnsiString ExtractFilePath(std::string_view name);
AnsiString ExtractFileDir(std::string_view name);
AnsiString ExtractFileName(std::string_view name);
AnsiString ExtractFileExt(std::string_view name);
// Replaces (or adds, or with an empty `ext` removes) the extension.
AnsiString ChangeFileExt(std::string_view name, std::string_view ext);
AnsiString IncludeTrailingPathDelimiter(std::string_view s);
AnsiString ExcludeTrailingPathDelimiter(std::string_view s);

// The existing file or directory whose path equals `path` with letter case
// ignored in every component (Windows-1252 letters included), spelt as on
// disk; the exact spelling wins when several match. Empty when none exists.
// A path with '\' that does not exist so is looked up with '/' for it.
AnsiString FindFileNoCase(const AnsiString& path);
// As FindFileNoCase, but a path that does not exist keeps the components
// that were not found as written (with the existing directories spelt as on
// disk), so that a new file is created where the old one would be found.
AnsiString ResolveFileName(const AnsiString& path);

// The command line. main() hands it over once; arguments are converted to
// Windows-1252 (a character the code page lacks becomes '?'); the program
// file's path (from the system, whatever argv[0] says) by FromSysFileName.
void SetCommandLine(int argc, const char* const* argv);
int ParamCount();
// 0 is the program file's full path; beyond ParamCount empty.
AnsiString ParamStr(int index);
// The program's directory with a trailing delimiter. Tests and tools may
// point it elsewhere with SetProgramDirectory.
AnsiString ProgramDirectory();
void SetProgramDirectory(const AnsiString& dir);

// Milliseconds of a monotonic clock (wraps after 49.7 days, as on Windows).
uint32_t GetTickCount();
uint64_t GetTickCount64();
// Replaces the clock behind the tick counts (null: the monotonic clock), so
// that code reading ticks follows the test driver's virtual clock.
void SetTickCountSource(uint64_t (*source)());

// File helpers over POSIX calls; every name passes SysFileName on its way
// to the system and FromSysFileName on its way back.
#include "platform/rtl/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <vector>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

std::string Sys(std::string_view name) { return SysFileName(name); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;  // a name may have passed UpperCase and back
  return -1;
}

// A backslash is a letter of a Linux name; only a stored name that is not
// found so may have it as a delimiter (Resolve, the settings' folders).
bool IsDelim(char c) { return c == '/'; }

size_t LastDelim(std::string_view s) {
  for (size_t i = s.size(); i-- > 0;)
    if (IsDelim(s[i])) return i;
  return std::string_view::npos;
}

bool StatSys(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

std::vector<AnsiString>& Args() {
  static std::vector<AnsiString> args;
  return args;
}

AnsiString& ProgramDirOverride() {
  static AnsiString dir;
  return dir;
}

AnsiString ToAnsiLossy(std::string_view utf8) {
  AnsiString out;
  size_t bad = 0;
  AnsiString part;
  while (!Utf8ToCp1252(utf8, part, &bad)) {
    out += part;
    out += '?';
    // Skip the offending character: one lead byte and its continuations.
    size_t k = bad + 1;
    while (k < utf8.size() && (static_cast<unsigned char>(utf8[k]) & 0xC0) == 0x80) ++k;
    utf8.remove_prefix(k);
  }
  return out + part;
}

// Resolves `path` component by component; `keepMissing` decides between
// FindFileNoCase (empty when missing) and ResolveFileName.
AnsiString Resolve(const AnsiString& path, bool keepMissing) {
  if (path.empty()) return {};
  std::vector<std::string_view> parts;
  std::string_view rest(path);
  bool absolute = IsDelim(rest.front());
  size_t start = 0;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i == rest.size() || IsDelim(rest[i])) {
      if (i > start) parts.push_back(rest.substr(start, i - start));
      start = i + 1;
    }
  }
  bool trailing = IsDelim(rest.back()) && !parts.empty();
  AnsiString cur = absolute ? "/" : "";
  bool missing = false;
  for (size_t k = 0; k < parts.size(); ++k) {
    std::string_view part = parts[k];
    AnsiString dirSys = Sys(cur.empty() ? "." : cur);
    AnsiString found;
    if (!missing) {
      if (part == "." || part == "..") {
        found = AnsiString(part);
      } else {
        struct stat st {};
        if (StatSys(Sys(cur + AnsiString(part)), st)) {
          found = AnsiString(part);  // the exact spelling wins
        } else if (DIR* d = ::opendir(dirSys.c_str())) {
          while (dirent* e = ::readdir(d)) {
            const AnsiString name = FromSysFileName(e->d_name);
            if (AnsiSameText(name, part)) {
              found = name;
              break;
            }
          }
          ::closedir(d);
        }
      }
      if (found.empty()) {
        if (!keepMissing) return {};
        missing = true;
      }
    }
    cur += missing ? AnsiString(part) : found;
    if (k + 1 < parts.size() || trailing) cur += '/';
  }
  if (!missing && !keepMissing) {
    struct stat st {};
    if (!StatSys(Sys(cur), st)) return {};
  }
  return cur;
}

}  // namespace

std::string SysFileName(std::string_view name) {
  std::string out;
  out.reserve(name.size() + name.size() / 8);
  size_t plain = 0;  // start of the text not yet converted
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] != kSysByteMark || i + 2 >= name.size()) continue;
    const int hi = HexDigit(name[i + 1]), lo = HexDigit(name[i + 2]);
    if (hi < 0 || lo < 0) continue;
    out += Cp1252ToUtf8(name.substr(plain, i - plain));
    out += static_cast<char>(hi << 4 | lo);
    i += 2;
    plain = i + 1;
  }
  return out + Cp1252ToUtf8(name.substr(plain));
}

AnsiString FromSysFileName(std::string_view sys) {
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString out;
  out.reserve(sys.size());
  for (size_t i = 0; i < sys.size();) {
    char32_t u = 0;
    size_t n = Utf8SequenceLength(sys, i, &u);
    unsigned char b = 0;
    // The mark itself never stands for its own character, so that reading
    // the text back is never in doubt.
    if (n > 0 && UnicodeToCp1252(u, b) && b != static_cast<unsigned char>(kSysByteMark)) {
      out += static_cast<char>(b);
    } else {
      n = n > 0 ? n : 1;
      for (size_t k = i; k < i + n; ++k) {
        const auto c = static_cast<unsigned char>(sys[k]);
        out += kSysByteMark;
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
    }
    i += n;
  }
  return out;
}

AnsiString WithSlashes(std::string_view name) {
  AnsiString s(name);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

AnsiString ShownFileName(std::string_view name) {
  if (name.find(kSysByteMark) == std::string_view::npos) return AnsiString(name);
  return Utf8ToCp1252Lossy(SysFileName(name), '?');
}

bool FileExists(const AnsiString& name) {
  struct stat st {};
  return !name.empty() && StatSys(Sys(name), st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(const AnsiString& name) {
  struct stat st {};
  return !name.empty() && StatSys(Sys(name), st) && S_ISDIR(st.st_mode);
}

bool DirectoryReadable(const AnsiString& dir) {
  return DirectoryExists(dir) && ::access(Sys(ExcludeTrailingPathDelimiter(dir)).c_str(), R_OK | X_OK) == 0;
}

bool DirectoryWritable(const AnsiString& dir) {
  return DirectoryExists(dir) && ::access(Sys(ExcludeTrailingPathDelimiter(dir)).c_str(), W_OK | X_OK) == 0;
}

bool ForceDirectories(const AnsiString& dir) {
  AnsiString d = ExcludeTrailingPathDelimiter(dir);
  if (d.empty()) return DirectoryExists("/") && !dir.empty();
  if (DirectoryExists(d)) return true;
  AnsiString parent = ExtractFileDir(d);
  if (!parent.empty() && parent != d && !ForceDirectories(parent)) return false;
  return ::mkdir(Sys(d).c_str(), 0755) == 0 || (errno == EEXIST && DirectoryExists(d));
}

bool DeleteFile(const AnsiString& name) {
  return FileExists(name) && ::unlink(Sys(name).c_str()) == 0;
}

int BrokenLink(const AnsiString& name, AnsiString& target) {
  const std::string sys = Sys(ExcludeTrailingPathDelimiter(name));
  struct stat st {};
  if (name.empty() || ::lstat(sys.c_str(), &st) != 0 || !S_ISLNK(st.st_mode) || StatSys(sys, st)) return 0;
  const int err = errno;
  char buf[PATH_MAX];
  const ssize_t n = ::readlink(sys.c_str(), buf, sizeof buf - 1);
  target = n > 0 ? FromSysFileName(std::string_view(buf, static_cast<size_t>(n))) : AnsiString();
  return err;
}

bool RenameFile(const AnsiString& oldName, const AnsiString& newName) {
  struct stat st {};
  if (newName.empty() || StatSys(Sys(newName), st)) return false;
  return ::rename(Sys(oldName).c_str(), Sys(newName).c_str()) == 0;
}

AnsiString ExtractFilePath(std::string_view name) {
  size_t p = LastDelim(name);
  return p == std::string_view::npos ? AnsiString() : AnsiString(name.substr(0, p + 1));
}

AnsiString ExtractFileDir(std::string_view name) {
  size_t p = LastDelim(name);
  if (p == std::string_view::npos) return {};
  if (p == 0) return AnsiString(name.substr(0, 1));  // the root stays "/"
  return AnsiString(name.substr(0, p));
}

AnsiString ExtractFileName(std::string_view name) {
  size_t p = LastDelim(name);
  return AnsiString(p == std::string_view::npos ? name : name.substr(p + 1));
}

AnsiString ExtractFileExt(std::string_view name) {
  std::string_view base = name.substr(LastDelim(name) == std::string_view::npos ? 0 : LastDelim(name) + 1);
  size_t dot = base.rfind('.');
  return dot == std::string_view::npos ? AnsiString() : AnsiString(base.substr(dot));
}

AnsiString ChangeFileExt(std::string_view name, std::string_view ext) {
  size_t baseStart = LastDelim(name) == std::string_view::npos ? 0 : LastDelim(name) + 1;
  size_t dot = name.substr(baseStart).rfind('.');
  std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, baseStart + dot);
  return AnsiString(stem) + AnsiString(ext);
}

AnsiString IncludeTrailingPathDelimiter(std::string_view s) {
  if (!s.empty() && IsDelim(s.back())) return AnsiString(s);
  return AnsiString(s) + PathDelim;
}

AnsiString ExcludeTrailingPathDelimiter(std::string_view s) {
  if (!s.empty() && IsDelim(s.back())) s.remove_suffix(1);
  return AnsiString(s);
}

AnsiString FindFileNoCase(const AnsiString& path) {
  AnsiString found = Resolve(path, false);
  // A name written the Windows way, where no name holds its backslashes.
  if (found.empty() && path.find('\\') != AnsiString::npos) found = Resolve(WithSlashes(path), false);
  return found;
}
AnsiString ResolveFileName(const AnsiString& path) { return Resolve(path, true); }

void SetCommandLine(int argc, const char* const* argv) {
  auto& args = Args();
  args.clear();
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i] ? argv[i] : "";
    args.push_back(i == 0 ? FromSysFileName(a) : ToAnsiLossy(a));  // the program file's path, where /proc has none
  }
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    if (args.empty()) args.emplace_back();
    args[0] = FromSysFileName(std::string_view(buf, n));
  }
}

int ParamCount() { return Args().empty() ? 0 : static_cast<int>(Args().size()) - 1; }

AnsiString ParamStr(int index) {
  if (index == 0 && Args().empty()) {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? FromSysFileName(std::string_view(buf, n)) : AnsiString();
  }
  if (index < 0 || index >= static_cast<int>(Args().size())) return {};
  return Args()[index];
}

AnsiString ProgramDirectory() {
  if (!ProgramDirOverride().empty()) return ProgramDirOverride();
  return ExtractFilePath(ParamStr(0));
}

void SetProgramDirectory(const AnsiString& dir) {
  ProgramDirOverride() = dir.empty() ? AnsiString() : IncludeTrailingPathDelimiter(dir);
}

namespace {
uint64_t (*gTickSource)() = nullptr;
}  // namespace

void SetTickCountSource(uint64_t (*source)()) { gTickSource = source; }

uint64_t GetTickCount64() {
  if (gTickSource) return gTickSource();
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t GetTickCount() { return static_cast<uint32_t>(GetTickCount64()); }

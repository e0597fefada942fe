// TIniFile: a parsed copy of the file's lines, refreshed when the file's
// stamp (inode, size, modification time) changes; writes edit the copy and
// replace the file through a temporary file and rename.
#include "platform/rtl/inifiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

namespace {

// `err` receives the errno when the name cannot be looked at.
bool StatPath(const AnsiString& path, struct stat& st, int& err) {
  if (::stat(SysFileName(path).c_str(), &st) == 0) return true;
  err = errno;
  return false;
}

// Why a name that is there is no file to read or replace: a folder, a
// pipe, a device or a socket (or a link to one of them); 0 for a file.
int NotAFile(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return 0;
  return S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
}

// The file a name stands for, with symbolic links followed to their end:
// a save replaces that file and leaves the links as they are. `err`
// receives ELOOP for links that go round, or the errno of a link that
// cannot be read.
std::string FinalTarget(std::string path, int& err) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    if (n < 0 || n == static_cast<ssize_t>(sizeof buf)) {
      err = n < 0 ? errno : ENAMETOOLONG;
      return path;
    }
    std::string to(buf, static_cast<size_t>(n));
    // A relative link is taken from the folder the link lies in.
    const size_t slash = path.rfind('/');
    if (!to.empty() && to[0] != '/' && slash != std::string::npos) to.insert(0, path, 0, slash + 1);
    path = to;
  }
  err = ELOOP;
  return path;
}

// The folder a file lies in, where its new text is made.
std::string FolderOf(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

// Text a desktop editor saved as UTF-16 (after its byte-order mark) as
// UTF-8, to be read like a file saved so; half a pair or an odd byte as '?'.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  auto unit = [&](size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  std::string out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
      u = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (u >= 0xD800 && u < 0xE000) {
      u = '?';
    }
    AppendUtf8(u, out);
  }
  if (bytes.size() % 2) out += '?';
  return out;
}

[[noreturn]] void WriteError(const AnsiString& name, int err) {
  throw EIniFileException("Unable to write to " + name, err);
}

bool WriteAll(int fd, std::string_view data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;  // nothing taken: no room
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

AnsiString NoLineBreaks(std::string_view v) {
  AnsiString s(v);
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

}  // namespace

int ReplaceFileWhole(const AnsiString& name, std::string_view data, bool ownerOnly) {
  int err = 0;
  const std::string target = FinalTarget(SysFileName(name), err);
  if (err) return err;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  // A device or a folder of the name is not replaced by a file, nor is a
  // read-only file (the user's wish to keep it).
  if (exists && NotAFile(st)) return NotAFile(st);
  if (exists && (st.st_mode & 0222) == 0) return EACCES;
  if (exists && ::access(target.c_str(), W_OK) != 0) return errno;
  const std::string tmp = target + ".~tmp";
  mode_t mode = 0644;
  bool exact = ownerOnly;  // rights to give exactly, past the umask
  if (ownerOnly) {
    mode = 0600;
  } else if (exists) {
    mode = st.st_mode & 07777;
    exact = true;  // the rewritten file keeps the rights the old one had
  }
  // A leftover temporary file of a killed writer may carry wider rights;
  // O_CREAT would keep them.
  ::unlink(tmp.c_str());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return errno;
  // The first step that fails gives the reason.
  auto step = [&err](bool ok) {
    if (!ok && !err) err = errno;
  };
  // The creation mode is filtered by the umask; the file gets exactly it.
  if (exact) step(::fchmod(fd, mode) == 0);
  if (!err) step(WriteAll(fd, data));
  if (!err) step(::fsync(fd) == 0);
  step(::close(fd) == 0);
  if (!err) step(::rename(tmp.c_str(), target.c_str()) == 0);
  if (err) {
    ::unlink(tmp.c_str());
    return err;
  }
  // The rename itself must reach the disk too.
  const int dfd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return 0;
}

TIniFile::TIniFile(const AnsiString& fileName) : fileName_(fileName) {}

TIniFile::Line TIniFile::Parse(AnsiString raw) {
  Line l;
  l.raw = std::move(raw);
  std::string_view t = l.raw;
  size_t b = 0;
  while (b < t.size() && static_cast<unsigned char>(t[b]) <= ' ') ++b;
  t.remove_prefix(b);
  if (t.empty() || t[0] == ';') return l;
  if (t[0] == '[') {
    size_t e = t.find(']');
    l.kind = Kind::kSection;
    l.name = Trim(t.substr(1, e == std::string_view::npos ? std::string_view::npos : e - 1));
    return l;
  }
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return l;
  l.name = Trim(t.substr(0, eq));
  if (l.name.empty()) return l;
  l.kind = Kind::kKey;
  l.value = Trim(t.substr(eq + 1));
  if (l.value.size() >= 2 && (l.value[0] == '"' || l.value[0] == '\'') && l.value.back() == l.value[0])
    l.value = l.value.substr(1, l.value.size() - 2);
  return l;
}

void TIniFile::Load() {
  // Collected writes win over the file until they are saved.
  if (pending_) return;
  struct stat st {};
  int err = 0;
  // The name found last time stays valid while the file is there; only a
  // missing file is looked up again (it may have appeared in any case).
  bool exists = !path_.empty() && StatPath(path_, st, err);
  if (!exists) {
    AnsiString found = FindFileNoCase(fileName_);
    path_ = found.empty() ? ResolveFileName(fileName_) : found;
    err = 0;
    exists = StatPath(path_, st, err);
  }
  Stamp now;
  if (exists && S_ISREG(st.st_mode)) {
    now.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    now.size = st.st_size;
    now.inode = st.st_ino;
  } else {
    // Nothing to read: no file (a link to nothing too), or a name that
    // is no file, which is neither read nor replaced.
    unreadable_ = exists ? NotAFile(st) : err == ENOENT ? 0 : err;
  }
  if (now == stamp_) return;
  stamp_ = now;
  lines_.clear();
  if (now.size < 0) return;  // no file: everything reads as default
  unreadable_ = 0;
  std::string text;
  // Not blocking: the name may have become a pipe since it was looked at.
  int fd = ::open(SysFileName(path_).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0 && (::fstat(fd, &st) != 0 || NotAFile(st))) {
    const int why = NotAFile(st) ? NotAFile(st) : errno;
    ::close(fd);
    fd = -1;
    errno = why;
  }
  if (fd < 0) {
    stamp_ = Stamp();
    unreadable_ = errno;
    return;
  }
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      // A read error leaves only a part: nothing of it may be saved back.
      lines_.clear();
      stamp_ = Stamp();
      unreadable_ = errno;
      ::close(fd);
      return;
    }
    if (n == 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  // A desktop editor may have saved the file in UTF-8, often with a byte
  // order mark, or in UTF-16 with one; it is read as the user wrote it,
  // and written back in Windows-1252 like every file the program writes.
  // A character the code page lacks stays as a file name keeps it, so that
  // a folder named with it is found (ReadFileName).
  const bool bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
  const bool utf16le = text.compare(0, 2, "\xFF\xFE") == 0, utf16be = text.compare(0, 2, "\xFE\xFF") == 0;
  if (bom) text.erase(0, 3);
  // In a Windows-1252 file a line that an editor added in UTF-8 reads as
  // it was written.
  bool byLine = false;
  if (utf16le || utf16be)
    text = FromSysFileName(Utf16ToUtf8(std::string_view(text).substr(2), utf16be));
  else if (bom || IsUtf8BeyondAscii(text))
    text = FromSysFileName(text);
  else
    byLine = true;
  size_t p = 0;
  while (p < text.size()) {
    size_t start = p;
    while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
    const std::string line = text.substr(start, p - start);
    lines_.push_back(Parse(byLine && IsUtf8BeyondAscii(line) ? FromSysFileName(line) : line));
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
  }
}

void TIniFile::Save() {
  std::string text;
  for (const Line& l : lines_) {
    text += l.raw;
    text += "\r\n";
  }
  // A path with a letter the code page lacks stays readable in an editor:
  // the file is then written in UTF-8, which reads back as it was.
  if (text.find(kSysByteMark) != std::string::npos && IsUtf8BeyondAscii(SysFileName(text))) text = SysFileName(text);
  if (const int err = SaveProblem()) WriteError(fileName_, err);
  if (const int err = ReplaceFileWhole(path_, text, ownerOnly_)) WriteError(fileName_, err);
  stamp_ = Stamp();  // re-read our own file on the next access
  Load();
}

int TIniFile::SaveProblem() const {
  // A file that could not be read would be replaced by what little was
  // known of it; a read-only file is the user's wish to keep it as it is.
  if (unreadable_) return unreadable_;
  const AnsiString path = path_.empty() ? ResolveFileName(fileName_) : path_;
  int err = 0;
  const std::string target = FinalTarget(SysFileName(path), err);
  if (err) return err;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (NotAFile(st)) return NotAFile(st);
    if ((st.st_mode & 0222) == 0) return EACCES;
    if (::access(target.c_str(), W_OK) != 0) return errno;
  }
  // The new text is made beside the file.
  if (::access(FolderOf(target).c_str(), W_OK | X_OK) != 0) return errno;
  return 0;
}

int TIniFile::ReadProblem() {
  Load();
  return unreadable_;
}

int TIniFile::WriteProblem() {
  Load();
  return SaveProblem();
}

void TIniFile::Changed() {
  if (updateDepth_ > 0) {
    pending_ = true;
    return;
  }
  Save();
}

void TIniFile::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) UpdateFile();
}

void TIniFile::UpdateFile() {
  if (!pending_) return;
  Save();  // on failure the writes stay collected for another try
  pending_ = false;
}

TIniFile::~TIniFile() {
  try {
    UpdateFile();
  } catch (...) {
  }
}

int TIniFile::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::kSection && AnsiSameText(lines_[i].name, section))
      return static_cast<int>(i);
  return -1;
}

int TIniFile::SectionEnd(int sectionLine) const {
  size_t i = static_cast<size_t>(sectionLine) + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kSection) ++i;
  return static_cast<int>(i);
}

int TIniFile::FindKey(int sectionLine, std::string_view ident) const {
  for (int i = sectionLine + 1, e = SectionEnd(sectionLine); i < e; ++i)
    if (lines_[i].kind == Kind::kKey && AnsiSameText(lines_[i].name, ident)) return i;
  return -1;
}

const TIniFile::Line* TIniFile::FindValue(std::string_view section, std::string_view ident) {
  Load();
  int s = FindSection(section);
  if (s < 0) return nullptr;
  int k = FindKey(s, ident);
  return k < 0 ? nullptr : &lines_[k];
}

AnsiString TIniFile::ReadString(std::string_view section, std::string_view ident, const AnsiString& def) {
  const Line* l = FindValue(section, ident);
  return l ? ShownFileName(l->value) : def;
}

AnsiString TIniFile::ReadFileName(std::string_view section, std::string_view ident, const AnsiString& def) {
  const Line* l = FindValue(section, ident);
  return l ? l->value : def;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view ident, int def) {
  return StrToIntDef(ReadString(section, ident, AnsiString()), def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(std::string_view section, std::string_view ident, double def) {
  AnsiString s = ReadString(section, ident, AnsiString());
  return s.empty() ? def : StrToFloatDef(s, def);
}

TDateTime TIniFile::ReadDate(std::string_view section, std::string_view ident, TDateTime def) {
  TDateTime v;
  return TryStrToDate(ReadString(section, ident, AnsiString()), v) ? v : def;
}

TDateTime TIniFile::ReadTime(std::string_view section, std::string_view ident, TDateTime def) {
  TDateTime v;
  return TryStrToTime(ReadString(section, ident, AnsiString()), v) ? v : def;
}

TDateTime TIniFile::ReadDateTime(std::string_view section, std::string_view ident, TDateTime def) {
  TDateTime v;
  return TryStrToDateTime(ReadString(section, ident, AnsiString()), v) ? v : def;
}

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value) {
  if (section.find_first_of("]\r\n") != std::string_view::npos)
    throw EIniFileException("Invalid section name '" + AnsiString(section) + "' for " + fileName_);
  AnsiString key = Trim(ident);
  if (key.empty() || key[0] == '[' || key[0] == ';' || key.find_first_of("=\r\n") != AnsiString::npos)
    throw EIniFileException("Invalid key '" + AnsiString(ident) + "' for " + fileName_);
  Load();
  const AnsiString v = NoLineBreaks(value);
  int s = FindSection(section);
  if (s < 0) {
    if (!lines_.empty() && !Trim(lines_.back().raw).empty()) lines_.push_back(Parse(""));
    lines_.push_back(Parse("[" + AnsiString(section) + "]"));
    lines_.push_back(Parse(key + "=" + v));
  } else if (int k = FindKey(s, key); k >= 0) {
    if (lines_[k].value == v) return;  // reads the same already: no rewrite
    lines_[k] = Parse(lines_[k].name + "=" + v);
  } else {
    // After the section's last non-blank line, so that a blank separator
    // before the next section stays where it is.
    int at = SectionEnd(s);
    while (at > s + 1 && Trim(lines_[at - 1].raw).empty()) --at;
    lines_.insert(lines_.begin() + at, Parse(key + "=" + v));
  }
  Changed();
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::WriteFloat(std::string_view section, std::string_view ident, double value) {
  WriteString(section, ident, FloatToStr(value));
}

void TIniFile::WriteDate(std::string_view section, std::string_view ident, TDateTime value) {
  WriteString(section, ident, DateToStr(value));
}

void TIniFile::WriteTime(std::string_view section, std::string_view ident, TDateTime value) {
  WriteString(section, ident, TimeToStr(value));
}

void TIniFile::WriteDateTime(std::string_view section, std::string_view ident, TDateTime value) {
  WriteString(section, ident, DateTimeToStr(value));
}

void TIniFile::ReadSection(std::string_view section, TStrings* list) {
  if (!list) return;
  list->BeginUpdate();
  // EndUpdate runs the OnChange handler, which may raise: no work for a destructor.
  try {
    list->Clear();
    Load();
    int s = FindSection(section);
    if (s >= 0) {
      std::vector<const AnsiString*> seen;
      for (int i = s + 1, e = SectionEnd(s); i < e; ++i) {
        if (lines_[i].kind != Kind::kKey) continue;
        bool dup = false;
        for (const AnsiString* n : seen) dup = dup || AnsiSameText(*n, lines_[i].name);
        if (dup) continue;
        seen.push_back(&lines_[i].name);
        list->Add(lines_[i].name);
      }
    }
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

void TIniFile::ReadSections(TStrings* list) {
  if (!list) return;
  list->BeginUpdate();
  // EndUpdate runs the OnChange handler, which may raise: no work for a destructor.
  try {
    list->Clear();
    Load();
    std::vector<const AnsiString*> seen;
    for (const Line& l : lines_) {
      if (l.kind != Kind::kSection) continue;
      bool dup = false;
      for (const AnsiString* n : seen) dup = dup || AnsiSameText(*n, l.name);
      if (dup) continue;
      seen.push_back(&l.name);
      list->Add(l.name);
    }
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

void TIniFile::ReadSectionValues(std::string_view section, TStrings* list) {
  if (!list) return;
  TStringList keys;
  ReadSection(section, &keys);
  list->BeginUpdate();
  // EndUpdate runs the OnChange handler, which may raise: no work for a destructor.
  try {
    list->Clear();
    for (int i = 0; i < keys.Count(); ++i)
      list->Add(keys.Get(i) + "=" + ReadString(section, keys.Get(i), AnsiString()));
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

bool TIniFile::SectionExists(std::string_view section) {
  Load();
  return FindSection(section) >= 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) {
  return FindValue(section, ident) != nullptr;
}

void TIniFile::EraseSection(std::string_view section) {
  Load();
  bool changed = false;
  for (int s = FindSection(section); s >= 0; s = FindSection(section)) {
    lines_.erase(lines_.begin() + s, lines_.begin() + SectionEnd(s));
    changed = true;
  }
  if (changed) Changed();
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  Load();
  int s = FindSection(section);
  if (s < 0) return;
  bool changed = false;
  for (int k = FindKey(s, ident); k >= 0; k = FindKey(s, ident)) {
    lines_.erase(lines_.begin() + k);
    changed = true;
  }
  if (changed) Changed();
}

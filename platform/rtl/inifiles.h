// Ini files with the semantics the settings rely on.
//
// Sections and keys are found with letter case ignored; when a section or a
// key occurs twice, the first occurrence wins. Values are read with blanks
// around them removed and one pair of enclosing quotes (" or ') dropped.
// Lines that are neither "[section]" nor "key=value" (comments, junk) are
// ignored when reading and kept when writing. A missing file reads as
// empty, so every Read answers its default; the first write creates it.
//
// Every write rewrites the whole file atomically: the new text goes to a
// temporary file beside it, is flushed to the disk and renamed over the old
// one, so a crash leaves either the old or the new file, never a mix. A
// name that is a symbolic link is written through: the file at the end of
// its links is replaced, and the links stay. A name that is no file (a
// folder, a pipe, a device, a socket, links that go round) is neither read
// nor replaced: it reads as empty and names its cause in ReadProblem. A
// write keeps every other line (comments, unknown sections, their order)
// byte for byte. The file is written in Windows-1252 (in UTF-8 when a path in
// it holds a letter the code page lacks, see files.h) with CR LF line ends;
// LF or CR alone are accepted when reading, and so are UTF-8 (with or
// without a byte-order mark) and UTF-16 with one (either byte order), which
// the first write turns into Windows-1252; in a file in Windows-1252 a line
// that is valid UTF-8 with letters beyond ASCII (added by an editor) is
// read as UTF-8. The contents are cached and
// read again when the file changes on disk, so several TIniFile objects on
// one file see each other's writes.
//
// Between BeginUpdate and the matching EndUpdate (or UpdateFile, or the
// destructor) writes are collected in memory and saved in one atomic
// rewrite: writing back a whole settings file then costs one disk flush,
// not one per key, and a crash keeps the old file whole.
//
// A file that holds secrets is marked owner-only: every save then writes it
// readable and writable by its owner alone (mode 0600), whatever mode the
// old file had; the new text never exists with wider rights.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/datetime.h"

class TIniFile : public TObject {
  ORV_CLASS(TIniFile, TObject)
  // The name is looked up with letter case ignored ("Orvelan.Ini" finds
  // "orvelan.ini"); a new file is created under the name as given.
  explicit TIniFile(const AnsiString& fileName);
  // Saves writes still collected by an unfinished update (errors are
  // swallowed: a destructor cannot report them).
  ~TIniFile() override;
  const AnsiString& FileName() const { return fileName_; }

  // A character the code page lacks (in a file saved as UTF-8) reads as
  // its base letter, or '?'.
  AnsiString ReadString(std::string_view section, std::string_view ident, const AnsiString& def);
  // A path: such a character stays as files.h's names keep it, so that the
  // path reaches the file it names.
  AnsiString ReadFileName(std::string_view section, std::string_view ident, const AnsiString& def);
  // Decimal, or hexadecimal as "$1F" or "0x1F"; anything else gives `def`.
  int ReadInteger(std::string_view section, std::string_view ident, int def);
  // An integer: non-zero is true; a non-numeric text gives `def`.
  bool ReadBool(std::string_view section, std::string_view ident, bool def);
  // German decimal comma (a point is accepted); not a number gives `def`.
  double ReadFloat(std::string_view section, std::string_view ident, double def);
  TDateTime ReadDate(std::string_view section, std::string_view ident, TDateTime def);
  TDateTime ReadTime(std::string_view section, std::string_view ident, TDateTime def);
  TDateTime ReadDateTime(std::string_view section, std::string_view ident, TDateTime def);

  // Raise EIniFileException "Unable to write to <file>", with the errno of
  // the failing step as its ErrorCode, when the file
  // cannot be written (a read-only file, with no write right for anyone,
  // counts as such, and so does a file that is there but could not be
  // read: it is never replaced by the little that was known of it), and for a section name holding "]" or a line break
  // or a key holding "=" or a line break or starting with "[" or ";" or
  // empty. Line breaks inside a value are written as blanks so that a value
  // can never add lines of its own.
  void WriteString(std::string_view section, std::string_view ident, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view ident, int value);
  void WriteBool(std::string_view section, std::string_view ident, bool value);  // "1" / "0"
  void WriteFloat(std::string_view section, std::string_view ident, double value);
  void WriteDate(std::string_view section, std::string_view ident, TDateTime value);
  void WriteTime(std::string_view section, std::string_view ident, TDateTime value);
  void WriteDateTime(std::string_view section, std::string_view ident, TDateTime value);

  // Each clears `list` first. Keys and sections are listed once, in file order.
  void ReadSection(std::string_view section, TStrings* list);
  void ReadSections(TStrings* list);
  void ReadSectionValues(std::string_view section, TStrings* list);  // "key=value"
  bool SectionExists(std::string_view section);
  bool ValueExists(std::string_view section, std::string_view ident);
  // Remove every occurrence of the section / the key in the section that
  // counts; nothing happens (and no file is created) when absent.
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view ident);
  // Collect writes (nestable); the outermost EndUpdate saves them.
  void BeginUpdate() { ++updateDepth_; }
  void EndUpdate();
  // Saves collected writes now (writes outside an update are immediate).
  void UpdateFile();
  // Why the file, which is there, could not be read (an errno), or 0:
  // EISDIR for a folder, ENXIO for a pipe, a device or a socket, ELOOP for
  // links that go round.
  int ReadProblem();
  // An errno a write would certainly fail with (the file unreadable or
  // write-protected, its folder closed to new files), or 0; a full disk
  // shows only when written to.
  int WriteProblem();
  bool OwnerOnly() const { return ownerOnly_; }
  void SetOwnerOnly(bool v) { ownerOnly_ = v; }

private:
  enum class Kind { kOther, kSection, kKey };
  struct Line {
    AnsiString raw;
    Kind kind = Kind::kOther;
    AnsiString name;   // section or key
    AnsiString value;  // key lines: the processed value
  };
  void Load();
  void Save();
  void Changed();  // save now, or later while an update runs
  int SaveProblem() const;  // WriteProblem on the lines as they are
  static Line Parse(AnsiString raw);
  int FindSection(std::string_view section) const;  // line index or -1
  int SectionEnd(int sectionLine) const;            // index after its last line
  int FindKey(int sectionLine, std::string_view ident) const;
  const Line* FindValue(std::string_view section, std::string_view ident);

  AnsiString fileName_;
  AnsiString path_;  // resolved name on disk
  std::vector<Line> lines_;
  int updateDepth_ = 0;
  bool pending_ = false;  // lines_ holds writes not yet saved
  int unreadable_ = 0;  // the file is there but could not be read: the errno
  bool ownerOnly_ = false;
  struct Stamp {
    int64_t mtimeNs = -1, size = -1;
    uint64_t inode = 0;
    bool operator==(const Stamp&) const = default;
  } stamp_;
};

// The rewrite every save above goes through, for any file the program
// writes whole: the bytes go to a file beside it, are flushed to the disk
// and renamed over it (links followed, as above). 0 when done, else the
// errno of the first step that failed (no room, no right, no file but a
// folder or a device, a read-only file): the file there before is then as
// it was and nothing of the new one is left. A new file gets 0644 less the
// umask (`ownerOnly`: exactly 0600), a replaced one keeps its rights.
int ReplaceFileWhole(const AnsiString& name, std::string_view data, bool ownerOnly = false);

// Ini files: case-free lookup, defaults for bad values, line-preserving and
// crash-safe writes.
#include "platform/rtl/inifiles.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/rtl/files.h"
#include "temp_dir.h"

namespace {
std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
void Put(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}
}  // namespace

TEST(IniFile, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
  TempDir dir;
  TIniFile ini(dir / "Orvelan.Ini");
  EXPECT_EQ(ini.ReadString("ALLGEMEIN", "Rubrik", "def"), "def");
  EXPECT_EQ(ini.ReadInteger("ALLGEMEIN", "Rubrik", 3), 3);
  EXPECT_TRUE(ini.ReadBool("ALLGEMEIN", "x", true));
  EXPECT_FALSE(ini.SectionExists("ALLGEMEIN"));
  ini.EraseSection("ALLGEMEIN");
  ini.DeleteKey("ALLGEMEIN", "Rubrik");
  EXPECT_FALSE(FileExists(dir / "Orvelan.Ini"));  // deleting nothing creates nothing
  ini.WriteInteger("ALLGEMEIN", "Rubrik", 2);
  ini.WriteBool("ALLGEMEIN", "Spruch anzeigen", true);
  ini.WriteBool("ALLGEMEIN", "Letzte Rubrik anzeigen", false);
  ini.WriteString("VERZEICHNISSE", "Daten", "/opt/daten/");
  EXPECT_EQ(Slurp(dir / "Orvelan.Ini"),
            "[ALLGEMEIN]\r\nRubrik=2\r\nSpruch anzeigen=1\r\nLetzte Rubrik anzeigen=0\r\n\r\n"
            "[VERZEICHNISSE]\r\nDaten=/opt/daten/\r\n");
  EXPECT_THROW(TIniFile(dir / "fehlt/x.ini").WriteString("A", "b", "c"), EIniFileException);
}

TEST(IniFile, LookupIgnoresCaseAndFirstOccurrenceWins) {
  TempDir dir;
  Put(dir / "orvelan.ini",
      "; Kommentar\n"
      "vor=keiner Sektion\n"
      "[Allgemein]\n"
      "  Rubrik = 4  \n"
      "RUBRIK=9\n"
      "Name=\"  mit Blanks  \"\n"
      "Quote='x'\n"
      "Halb=\"offen\n"
      "Leer=\n"
      "Müll ohne Gleichheitszeichen\n"
      "=nur Wert\n"
      "[ALLGEMEIN]\n"
      "Zweite=unsichtbar\n"
      "[Weltgeschehen\n"
      "Farbe=$1F\n"
      "Hex=0x10\n"
      "Zahl=12abc\n"
      "Bool=7\n"
      "BoolText=ja\n"
      "Laenge=-10,5\n"
      "Breite=47.25\n"
      "Falsch=abc\n"
      "Datum=24.12.2026\n"
      "Kaputt=31.02.2026\n");
  TIniFile ini(dir / "Orvelan.Ini");  // found despite the different case
  EXPECT_EQ(ini.ReadString("allgemein", "rubrik", ""), "4");
  EXPECT_EQ(ini.ReadInteger("ALLGEMEIN", "Rubrik", 0), 4);
  EXPECT_EQ(ini.ReadString("Allgemein", "Name", ""), "  mit Blanks  ");
  EXPECT_EQ(ini.ReadString("Allgemein", "Quote", ""), "x");
  EXPECT_EQ(ini.ReadString("Allgemein", "Halb", ""), "\"offen");
  EXPECT_EQ(ini.ReadString("Allgemein", "Leer", "d"), "");
  EXPECT_TRUE(ini.ValueExists("Allgemein", "Leer"));
  EXPECT_FALSE(ini.ValueExists("Allgemein", "Zweite"));  // in the second, hidden section
  EXPECT_FALSE(ini.ValueExists("", "vor"));
  EXPECT_EQ(ini.ReadInteger("Weltgeschehen", "Farbe", 0), 31);
  EXPECT_EQ(ini.ReadInteger("Weltgeschehen", "Hex", 0), 16);
  EXPECT_EQ(ini.ReadInteger("Weltgeschehen", "Zahl", -1), -1);
  EXPECT_TRUE(ini.ReadBool("Weltgeschehen", "Bool", false));
  EXPECT_TRUE(ini.ReadBool("Weltgeschehen", "BoolText", true));
  EXPECT_FALSE(ini.ReadBool("Weltgeschehen", "BoolText", false));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Weltgeschehen", "Laenge", 0), -10.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Weltgeschehen", "Breite", 0), 47.25);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Weltgeschehen", "Falsch", -10.0), -10.0);
  EXPECT_EQ(ini.ReadDate("Weltgeschehen", "Datum", 0), EncodeDate(2026, 12, 24));
  EXPECT_EQ(ini.ReadDate("Weltgeschehen", "Kaputt", 5.0), 5.0);
  TStringList l;
  ini.ReadSections(&l);
  EXPECT_EQ(l.CommaText(), "Allgemein,Weltgeschehen");
  ini.ReadSection("ALLGEMEIN", &l);
  EXPECT_EQ(l.CommaText(), "Rubrik,Name,Quote,Halb,Leer");
  ini.ReadSectionValues("allgemein", &l);
  EXPECT_EQ(l.Get(0), "Rubrik=4");
  EXPECT_EQ(l.Get(1), "Name=  mit Blanks  ");
  ini.ReadSection("fehlt", &l);
  EXPECT_EQ(l.Count(), 0);
}

// A file a desktop editor saved in UTF-8, with a byte-order mark or
// without, reads as written (its first section too); the first write turns
// it into Windows-1252, as every file the program writes. Windows-1252
// reads as before.
TEST(IniFile, UTF8FromADesktopEditorReadsAsWritten) {
  TempDir dir;
  for (const std::string bom : {"\xEF\xBB\xBF", ""}) {
    Put(dir / "Orvelan.Ini", bom + "[ALLGEMEIN]\r\nLand=2\r\n[PERSOENLICHE DATEN]\r\nRubriktitel=Persönlich – Familie\r\n");
    TIniFile ini(dir / "Orvelan.Ini");
    EXPECT_EQ(ini.ReadInteger("ALLGEMEIN", "Land", 0), 2) << bom.size();
    EXPECT_EQ(ini.ReadString("PERSOENLICHE DATEN", "Rubriktitel", ""), "Pers\xF6nlich \x96 Familie");
    ini.WriteInteger("ALLGEMEIN", "Land", 3);
    EXPECT_EQ(Slurp(dir / "Orvelan.Ini"),
              "[ALLGEMEIN]\r\nLand=3\r\n[PERSOENLICHE DATEN]\r\nRubriktitel=Pers\xF6nlich \x96 Familie\r\n");
  }
  Put(dir / "Orvelan.Ini", "[A]\r\nName=Pers\xF6nlich \x96 \xC3\xA4\r\n");
  EXPECT_EQ(TIniFile(dir / "Orvelan.Ini").ReadString("A", "Name", ""), "Pers\xF6nlich \x96 \xC3\xA4");
  // A line added in UTF-8 to a file in Windows-1252 reads as written.
  Put(dir / "Orvelan.Ini", "[A]\r\nT=F\xFCr\r\nJ=Benutzer J\xC3\xBCrgen/\r\nL=\xC5\x81ukasz \xF0\x9F\x98\x80\r\n");
  TIniFile mixed(dir / "Orvelan.Ini");
  EXPECT_EQ(mixed.ReadString("A", "T", ""), "F\xFCr");
  EXPECT_EQ(mixed.ReadString("A", "J", ""), "Benutzer J\xFCrgen/");
  EXPECT_EQ(SysFileName(mixed.ReadFileName("A", "L", "")), "\xC5\x81ukasz \xF0\x9F\x98\x80");
}

// So does UTF-16 with a byte-order mark, in either byte order. A letter
// Windows-1252 lacks reads as its base letter or '?', and stays in the file
// as written (it may name a folder): the file is then written in UTF-8.
TEST(IniFile, UTF16WithAByteOrderMarkReadsAsWritten) {
  TempDir dir;
  const std::u16string text =
      u"\uFEFF[ALLGEMEIN]\r\nLand=2\r\n[PERSOENLICHE DATEN]\r\nRubriktitel=Persönlich – \U0001F600\r\n";
  for (const bool big : {false, true}) {
    std::string bytes;
    for (const char16_t u : text)
      bytes += big ? std::string{char(u >> 8), char(u)} : std::string{char(u), char(u >> 8)};
    Put(dir / "Orvelan.Ini", bytes);
    TIniFile ini(dir / "Orvelan.Ini");
    EXPECT_EQ(ini.ReadString("PERSOENLICHE DATEN", "Rubriktitel", ""), "Pers\xF6nlich \x96 ?") << big;
    ini.WriteInteger("ALLGEMEIN", "Land", 3);
    EXPECT_EQ(Slurp(dir / "Orvelan.Ini"),
              "[ALLGEMEIN]\r\nLand=3\r\n[PERSOENLICHE DATEN]\r\n"
              "Rubriktitel=Pers\xC3\xB6nlich \xE2\x80\x93 \xF0\x9F\x98\x80\r\n");
  }
}

// A link to a file elsewhere (settings kept in a synced folder) is written
// through: the link stays, and the file it names gets the new text.
TEST(IniFile, ALinkIsWrittenThrough) {
  TempDir dir;
  ASSERT_EQ(::mkdir((dir / "sync").c_str(), 0755), 0);
  Put(dir / "sync/Orvelan.Ini", "[ALLGEMEIN]\r\nLand=2\r\n");
  ASSERT_EQ(::symlink("sync/Orvelan.Ini", (dir / "Orvelan.Ini").c_str()), 0);
  TIniFile(dir / "Orvelan.Ini").WriteInteger("ALLGEMEIN", "Land", 3);
  struct stat st {};
  EXPECT_TRUE(::lstat((dir / "Orvelan.Ini").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
  EXPECT_EQ(Slurp(dir / "sync/Orvelan.Ini"), "[ALLGEMEIN]\r\nLand=3\r\n");
}

TEST(IniFile, WritingKeepsEveryOtherLine) {
  TempDir dir;
  const std::string original =
      "; vom Benutzer\r\n"
      "[ALLGEMEIN]\r\n"
      "Rubrik=1\r\n"
      "# fremde Zeile\r\n"
      "Spruch=3\r\n"
      "\r\n"
      "[FREMD]\r\n"
      "Wert = bleibt   \r\n";
  Put(dir / "o.ini", original);
  TIniFile ini(dir / "o.ini");
  ini.WriteInteger("allgemein", "RUBRIK", 5);  // existing key keeps its spelling
  ini.WriteString("ALLGEMEIN", "Neu", "ja");
  ini.WriteFloat("GEO", "Laenge", -10.0);
  ini.WriteFloat("GEO", "Breite", 47.5);
  ini.WriteDate("GEO", "Datum", EncodeDate(2026, 3, 7));
  EXPECT_EQ(Slurp(dir / "o.ini"),
            "; vom Benutzer\r\n"
            "[ALLGEMEIN]\r\n"
            "Rubrik=5\r\n"
            "# fremde Zeile\r\n"
            "Spruch=3\r\n"
            "Neu=ja\r\n"
            "\r\n"
            "[FREMD]\r\n"
            "Wert = bleibt   \r\n"
            "\r\n"
            "[GEO]\r\n"
            "Laenge=-10\r\n"
            "Breite=47,5\r\n"
            "Datum=07.03.2026\r\n");
  ini.DeleteKey("ALLGEMEIN", "spruch");
  ini.EraseSection("geo");
  EXPECT_EQ(Slurp(dir / "o.ini"),
            "; vom Benutzer\r\n[ALLGEMEIN]\r\nRubrik=5\r\n# fremde Zeile\r\nNeu=ja\r\n\r\n"
            "[FREMD]\r\nWert = bleibt   \r\n\r\n");
  // A value cannot smuggle in lines; bad names are refused.
  ini.WriteString("FREMD", "Passwort", "a\r\n[ALLGEMEIN]\r\nRubrik=0");
  EXPECT_EQ(ini.ReadString("FREMD", "Passwort", ""), "a  [ALLGEMEIN]  Rubrik=0");
  EXPECT_EQ(ini.ReadInteger("ALLGEMEIN", "Rubrik", -1), 5);
  EXPECT_THROW(ini.WriteString("A]B", "k", "v"), EIniFileException);
  EXPECT_THROW(ini.WriteString("A", "k=1", "v"), EIniFileException);
  EXPECT_THROW(ini.WriteString("A", "", "v"), EIniFileException);
  EXPECT_THROW(ini.WriteString("A", "[k", "v"), EIniFileException);
  EXPECT_FALSE(FileExists(dir / "o.ini.~tmp"));
}

TEST(IniFile, TwoObjectsSeeEachOthersWrites) {
  TempDir dir;
  TIniFile a(dir / "Orvelan.Ini"), b(dir / "ORVELAN.INI");
  EXPECT_EQ(b.ReadInteger("S", "k", 0), 0);
  a.WriteInteger("S", "k", 1);
  EXPECT_EQ(b.ReadInteger("S", "k", 0), 1);
  b.WriteInteger("S", "k", 22);  // same length, new content
  EXPECT_EQ(a.ReadInteger("S", "k", 0), 22);
  EXPECT_FALSE(FileExists(dir / "ORVELAN.INI"));  // b wrote to the existing file
}

// Writes inside an update reach the disk together, once, at the outermost
// end; reads see them at once; a destructor saves what an unfinished update
// collected.
TEST(IniFile, UpdatesCollectWritesIntoOneSave) {
  TempDir dir;
  const std::string path = dir / "Orvelan.Ini";
  Put(path, "; Kommentar\r\n[ALLGEMEIN]\r\nRubrik=1\r\n");
  {
    TIniFile ini(path), other(path);
    ini.BeginUpdate();
    ini.WriteInteger("ALLGEMEIN", "Rubrik", 4);
    ini.BeginUpdate();
    ini.WriteString("DEFAULTS", "Tage", "7");
    ini.EndUpdate();  // inner end: still collected
    EXPECT_EQ(ini.ReadInteger("ALLGEMEIN", "Rubrik", 0), 4);
    EXPECT_EQ(ini.ReadString("DEFAULTS", "Tage", ""), "7");
    EXPECT_EQ(other.ReadInteger("ALLGEMEIN", "Rubrik", 0), 1);
    EXPECT_EQ(Slurp(path), "; Kommentar\r\n[ALLGEMEIN]\r\nRubrik=1\r\n");
    ini.EndUpdate();
    EXPECT_EQ(Slurp(path), "; Kommentar\r\n[ALLGEMEIN]\r\nRubrik=4\r\n\r\n[DEFAULTS]\r\nTage=7\r\n");
    EXPECT_EQ(other.ReadString("DEFAULTS", "Tage", ""), "7");
    ini.BeginUpdate();
    ini.DeleteKey("ALLGEMEIN", "Rubrik");
    ini.UpdateFile();  // saves now, the update goes on
    EXPECT_FALSE(other.ValueExists("ALLGEMEIN", "Rubrik"));
    ini.WriteString("ALLGEMEIN", "Neu", "ja");
  }  // destroyed inside the update: the collected write is kept
  TIniFile again(path);
  EXPECT_EQ(again.ReadString("ALLGEMEIN", "Neu", ""), "ja");
  EXPECT_EQ(again.ReadString("DEFAULTS", "Tage", ""), "7");
}

// A file marked owner-only is saved with mode 0600 whatever rights the old
// file or a leftover temporary file had; without the mark the old rights stay.
TEST(IniFile, OwnerOnlyFileIsSavedReadableByItsOwnerAlone) {
  TempDir dir;
  const std::string path = dir / "Orvelan.Ini";
  auto mode = [](const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
  };
  Put(path, "[ALLGEMEIN]\r\nPasswort=geheim\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
  Put(path + ".~tmp", "alt");
  ASSERT_EQ(::chmod((path + ".~tmp").c_str(), 0666), 0);
  {
    TIniFile plain(path);
    plain.WriteString("ALLGEMEIN", "Land", "1");
    EXPECT_EQ(mode(path), 0664);
  }
  TIniFile ini(path);
  ini.SetOwnerOnly(true);
  ini.WriteString("ALLGEMEIN", "Passwort", "neu");
  EXPECT_EQ(mode(path), 0600);
  EXPECT_EQ(ini.ReadString("ALLGEMEIN", "Land", ""), "1");
  const std::string fresh = dir / "neu.ini";
  TIniFile created(fresh);
  created.SetOwnerOnly(true);
  created.BeginUpdate();
  created.WriteString("A", "b", "c");
  created.EndUpdate();
  EXPECT_EQ(mode(fresh), 0600);
}

// A read-only file, and one that is there but cannot be read, are never
// replaced: the write fails and the file keeps its bytes and its rights.
TEST(IniFile, ReadOnlyOrUnreadableFileIsNeverReplaced) {
  TempDir dir;
  const std::string text = "; meine Notiz\r\n[ALLGEMEIN]\r\nLand=3\r\n";
  auto mode = [](const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
  };
  const std::string readOnly = dir / "Orvelan.Ini";
  Put(readOnly, text);
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  for (bool ownerOnly : {false, true}) {
    TIniFile ini(readOnly);
    ini.SetOwnerOnly(ownerOnly);
    EXPECT_EQ(ini.ReadInteger("ALLGEMEIN", "Land", 0), 3);
    EXPECT_THROW(ini.WriteInteger("ALLGEMEIN", "Land", 4), EIniFileException);
    ini.BeginUpdate();
    ini.WriteInteger("ALLGEMEIN", "Land", 5);
    EXPECT_THROW(ini.EndUpdate(), EIniFileException);
  }
  EXPECT_EQ(Slurp(readOnly), text);
  EXPECT_EQ(mode(readOnly), 0444);

  // A file its owner may write but not read; the superuser reads every
  // file, so the check runs as an ordinary user in a child process.
  const std::string unreadable = dir / "Geheim.Ini";
  Put(unreadable, text);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::chown(unreadable.c_str(), 65534, 65534) != 0 || ::setgid(65534) != 0 ||
                             ::setuid(65534) != 0))
      _exit(2);
    if (::chmod(unreadable.c_str(), 0200) != 0) _exit(2);
    TIniFile ini(unreadable);
    if (ini.ReadInteger("ALLGEMEIN", "Land", 0) != 0) _exit(3);  // nothing could be read
    try {
      ini.WriteInteger("ALLGEMEIN", "Neu", 1);
      _exit(4);  // written over
    } catch (const EIniFileException&) {
    }
    _exit(0);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "no ordinary user to run as";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ASSERT_EQ(::chmod(unreadable.c_str(), 0600), 0);
  EXPECT_EQ(Slurp(unreadable), text);
}

// A writer killed at random moments never leaves a torn file: it is always
// complete, either before or after one of the writes.
TEST(IniFile, KilledWriterLeavesACompleteFile) {
  TempDir dir;
  const char* env = std::getenv("ORV_INI_CRASH_ROUNDS");
  const int rounds = env ? std::atoi(env) : 12;
  for (int round = 0; round < rounds; ++round) {
    const std::string name = dir / ("crash" + std::to_string(round) + ".ini");
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TIniFile ini(name);
      std::string pad(4000, 'x');
      for (int i = 0;; ++i) {
        // Each write grows the value; "Ende" after it marks a complete file.
        ini.WriteString("DATEN", "Wert", pad + std::to_string(i));
        ini.WriteInteger("SCHLUSS", "Ende", i);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + round * 3));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!FileExists(name)) continue;  // killed before the first write
    std::string text = Slurp(name);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << round;
    TIniFile check(name);
    const AnsiString v = check.ReadString("DATEN", "Wert", "");
    ASSERT_GE(v.size(), 4001u) << round;
    const int written = std::atoi(v.substr(4000).c_str());
    const int ende = check.ReadInteger("SCHLUSS", "Ende", -1);
    // Ende is written after Wert: it lags by at most one.
    EXPECT_TRUE(ende == written || ende == written - 1) << written << " " << ende;
  }
}

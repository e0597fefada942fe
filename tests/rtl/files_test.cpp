// File and path helpers, the case-free name lookup and the command line.
#include "platform/rtl/files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/rtl/sysutils.h"

#include "temp_dir.h"

namespace {
void Touch(const std::string& path, const std::string& text = "x") { std::ofstream(path) << text; }
}  // namespace

TEST(Files, PathPieces) {
  EXPECT_EQ(ExtractFilePath("/opt/orvelan/Orvelan.Ini"), "/opt/orvelan/");
  EXPECT_EQ(ExtractFileDir("/opt/orvelan/Orvelan.Ini"), "/opt/orvelan");
  EXPECT_EQ(ExtractFileDir("/Orvelan.Ini"), "/");
  EXPECT_EQ(ExtractFileName("/opt/orvelan/Orvelan.Ini"), "Orvelan.Ini");
  EXPECT_EQ(ExtractFileName("Orvelan.Ini"), "Orvelan.Ini");
  EXPECT_EQ(ExtractFilePath("Orvelan.Ini"), "");
  EXPECT_EQ(ExtractFileExt("a/b.c/Person.Stx"), ".Stx");
  EXPECT_EQ(ExtractFileExt("a/b.c/README"), "");
  EXPECT_EQ(ExtractFilePath("/opt/a\\b/DATEN\\PERSON.FFD"), "/opt/a\\b/");  // a backslash is a letter
  EXPECT_EQ(ChangeFileExt("dir.x/EIGENES.FFD", ".BAK"), "dir.x/EIGENES.BAK");
  EXPECT_EQ(ChangeFileExt("dir.x/EIGENES", ".BAK"), "dir.x/EIGENES.BAK");
  EXPECT_EQ(ChangeFileExt("a.tar.gz", ""), "a.tar");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/opt"), "/opt/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/opt/"), "/opt/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/opt/"), "/opt");
}

TEST(Files, ExistenceCreationDeletionRenaming) {
  TempDir dir;
  const AnsiString deep = dir / "DATEN/sub/tief";
  EXPECT_FALSE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep + "/"));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep));  // existing: still true
  EXPECT_FALSE(FileExists(deep));       // a directory is no file
  Touch(dir / "block");
  EXPECT_FALSE(ForceDirectories(dir / "block/unter"));  // a file in the way
  EXPECT_FALSE(ForceDirectories(""));
  const AnsiString f = dir / "a.txt";
  Touch(f);
  EXPECT_TRUE(FileExists(f));
  EXPECT_FALSE(RenameFile(f, dir / "block"));  // target exists
  EXPECT_TRUE(FileExists(dir / "block"));
  EXPECT_TRUE(RenameFile(f, dir / "b.txt"));
  EXPECT_FALSE(FileExists(f));
  EXPECT_FALSE(RenameFile(f, dir / "c.txt"));
  EXPECT_TRUE(DeleteFile(dir / "b.txt"));
  EXPECT_FALSE(DeleteFile(dir / "b.txt"));
  EXPECT_FALSE(DeleteFile(deep));  // not a file
  EXPECT_FALSE(FileExists(""));
  // Windows-1252 names are UTF-8 on disk.
  Touch(dir / "M\xC3\xA4rz.txt");
  EXPECT_TRUE(FileExists(dir.path() + "/M\xE4rz.txt"));
}

TEST(Files, CaseInsensitiveLookup) {
  TempDir dir;
  ASSERT_TRUE(ForceDirectories(dir / "Daten"));
  Touch(dir / "Daten/EIGENES.FFD");
  Touch(dir / "orvelan.ini");
  Touch(dir / "\xC3\x84nderung.txt");  // "Änderung" on disk
  EXPECT_EQ(FindFileNoCase(dir / "Orvelan.Ini"), dir / "orvelan.ini");
  EXPECT_EQ(FindFileNoCase(dir / "DATEN/eigenes.ffd"), dir / "Daten/EIGENES.FFD");
  EXPECT_EQ(FindFileNoCase(dir / "daten\\Eigenes.Ffd"), dir / "Daten/EIGENES.FFD");  // written the Windows way
  ASSERT_TRUE(ForceDirectories(dir / "Ben\\utzer"));  // a folder named with a backslash
  Touch(dir / "Ben\\utzer/EIGENES.FFD");
  EXPECT_EQ(FindFileNoCase(dir / "ben\\utzer/eigenes.ffd"), dir / "Ben\\utzer/EIGENES.FFD");
  EXPECT_EQ(FindFileNoCase(dir.path() + "/\xE4NDERUNG.TXT"), dir.path() + "/\xC4nderung.txt");
  EXPECT_EQ(FindFileNoCase(dir / "daten/"), dir / "Daten/");
  EXPECT_EQ(FindFileNoCase(dir / "OvDef001.Rtf"), "");
  EXPECT_EQ(FindFileNoCase(dir / "nix/EIGENES.FFD"), "");
  EXPECT_EQ(FindFileNoCase(""), "");
  // A missing file keeps its name; the directories it lies in are found.
  EXPECT_EQ(ResolveFileName(dir / "DATEN/SELCODE.FFD"), dir / "Daten/SELCODE.FFD");
  EXPECT_EQ(ResolveFileName(dir / "DATEN/Neu/X.FFD"), dir / "Daten/Neu/X.FFD");
  // With two spellings on disk the exact one is taken.
  Touch(dir / "ORVELAN.INI");
  EXPECT_EQ(FindFileNoCase(dir / "ORVELAN.INI"), dir / "ORVELAN.INI");
  EXPECT_EQ(FindFileNoCase(dir / "orvelan.ini"), dir / "orvelan.ini");
}

TEST(Files, CommandLineAndTicks) {
  const char* argv[] = {"orvelan", "/A", "Gr\xC3\xBC\xC3\x9F" "e", "\xE2\x99\x88"};
  SetCommandLine(4, argv);
  EXPECT_EQ(ParamCount(), 3);
  EXPECT_EQ(ParamStr(1), "/A");
  EXPECT_EQ(ParamStr(2), "Gr\xFC\xDF" "e");
  EXPECT_EQ(ParamStr(3), "?");  // outside the code page
  EXPECT_EQ(ParamStr(4), "");
  EXPECT_EQ(ParamStr(-1), "");
  // Program 0 is the real program file, whatever argv[0] says.
  EXPECT_TRUE(FileExists(ParamStr(0)));
  EXPECT_EQ(ProgramDirectory(), ExtractFilePath(ParamStr(0)));
  SetProgramDirectory("/tmp/x");
  EXPECT_EQ(ProgramDirectory(), "/tmp/x/");
  SetProgramDirectory("");
  EXPECT_EQ(ProgramDirectory(), ExtractFilePath(ParamStr(0)));
  uint64_t a = GetTickCount64();
  uint64_t b = GetTickCount64();
  EXPECT_LE(a, b);
  EXPECT_LE(GetTickCount() - static_cast<uint32_t>(b), 1000u);  // same clock, 32 bits
}

// A name read from the system goes back to it byte for byte, whatever it
// holds (letters outside the code page, bytes that are no UTF-8); shown, a
// letter the code page lacks is its base letter, or '?'.
TEST(Files, SystemNamesGoBackByteForByte) {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      const std::string sys{static_cast<char>(a), static_cast<char>(b), '\xC5', '\x81'};
      ASSERT_EQ(SysFileName(FromSysFileName(sys)), sys) << a << " " << b;
    }
  EXPECT_EQ(FromSysFileName("J\xC3\xBCrgen"), "J\xFCrgen");
  const AnsiString name = FromSysFileName("\xC5\x81ukasz Ordner\xF0\x9F\x98\x80");
  EXPECT_EQ(ShownFileName(name), "Lukasz Ordner?");
  TempDir dir;
  Touch(dir.path() + "/\xC5\x81ukasz Ordner\xF0\x9F\x98\x80");
  EXPECT_TRUE(FileExists(dir / name));
  EXPECT_EQ(FindFileNoCase(dir / UpperCase(name)), dir / name);
}

// Text archives: records written by the writer come back by offset; damaged
// files and records are refused with an error instead of being read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <optional>
#include <vector>

#include "calendar/vlf.h"

namespace {

namespace fs = std::filesystem;

// The reason an open was refused for, or nullopt when it was not refused.
std::optional<TVlfOpenProblem> OpenProblem(TVlf& vlf, const std::string& path) {
  try {
    vlf.OpenFile(path);
  } catch (const EVlfOpenError& e) {
    return e.Problem();
  }
  vlf.CloseFile();
  return std::nullopt;
}

class VlfTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("orv_vlf_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }

  // Rewrites bytes of a file in place.
  static void Patch(const std::string& path, long at, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, at, SEEK_SET);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  fs::path dir_;
};

TEST_F(VlfTest, RecordsReadBackByOffset) {
  const std::vector<std::string> texts = {"Erster Eintrag", "", std::string("Gr\xFC\xDF" "e\r\nZeile 2"),
                                          std::string(70000, 'x')};
  std::vector<uint32_t> offsets;
  {
    TVlfWriter w(Path("Person.Stx"));
    for (const auto& t : texts) offsets.push_back(w.AppendRecord(t));
    w.Close();
  }
  EXPECT_EQ(offsets[0], 1024u);
  EXPECT_EQ(offsets[1], 1024u + 8 + texts[0].size());
  EXPECT_EQ(fs::file_size(Path("Person.Stx")), offsets[3] + 8 + 70000u);

  TVlf vlf;
  vlf.SetFileOpenMode(OpenRead);
  vlf.SetFileShareMode(DenyNone);
  vlf.OpenFile(Path("Person.Stx"));
  // Out of order, as the tables reach them.
  for (size_t i : {3u, 0u, 2u, 1u, 2u}) {
    ASSERT_EQ(vlf.ReadRecordLength(offsets[i]), texts[i].size());
    std::string buffer(texts[i].size(), '\0');
    vlf.ReadRecord(offsets[i], buffer.data(), 0);
    EXPECT_EQ(buffer, texts[i]);
    std::string text = "old";
    vlf.ReadRecord(offsets[i], text);
    EXPECT_EQ(text, texts[i]);
  }
  vlf.CloseFile();
  EXPECT_FALSE(vlf.IsOpen());
  EXPECT_THROW(vlf.ReadRecordLength(offsets[0]), EReadError);
}

TEST_F(VlfTest, FileLevelFaultsAreRefusedAtOpen) {
  TVlf vlf;
  EXPECT_THROW(vlf.OpenFile(Path("missing.Stx")), EFOpenError);
  std::ofstream(Path("short.Stx")) << "ORVSTX";
  EXPECT_THROW(vlf.OpenFile(Path("short.Stx")), EFOpenError);
  {
    TVlfWriter w(Path("other.Stx"));
    w.AppendRecord("text");
  }
  Patch(Path("other.Stx"), 0, "XXXXXX");
  EXPECT_THROW(vlf.OpenFile(Path("other.Stx")), EFOpenError);
  EXPECT_FALSE(vlf.IsOpen());
  EXPECT_EQ(OpenProblem(vlf, Path("missing.Stx")), TVlfOpenProblem::System);
  EXPECT_EQ(OpenProblem(vlf, Path("short.Stx")), TVlfOpenProblem::NotAnArchive);
  EXPECT_EQ(OpenProblem(vlf, Path("other.Stx")), TVlfOpenProblem::NotAnArchive);
  EXPECT_THROW(TVlfWriter(Path("no/such/dir.Stx")), EFCreateError);
}

TEST_F(VlfTest, DamagedRecordsRaiseInsteadOfReadingPastTheEnd) {
  uint32_t first, second;
  {
    TVlfWriter w(Path("Ereignis.Stx"));
    first = w.AppendRecord("abcdef");
    second = w.AppendRecord("ghij");
  }
  TVlf vlf;
  vlf.OpenFile(Path("Ereignis.Stx"));
  EXPECT_THROW(vlf.ReadRecordLength(0), EReadError);       // inside the header
  EXPECT_THROW(vlf.ReadRecordLength(1023), EReadError);
  EXPECT_THROW(vlf.ReadRecordLength(first + 1), EReadError);  // not at a record mark
  EXPECT_THROW(vlf.ReadRecordLength(second + 8), EReadError);  // fewer than 8 bytes left
  EXPECT_THROW(vlf.ReadRecordLength(0xFFFFFFF0u), EReadError);
  // A length the file cannot hold: no huge buffer, no read past the end.
  Patch(Path("Ereignis.Stx"), second + 1, std::string("\xFF\xFF\xFF\x7F", 4));
  EXPECT_THROW(vlf.ReadRecordLength(second), EReadError);
  std::string text;
  EXPECT_THROW(vlf.ReadRecord(second, text), EReadError);
  EXPECT_TRUE(text.empty());
  // One byte too long is refused as well; the first record is still fine.
  Patch(Path("Ereignis.Stx"), second + 1, std::string("\x05\x00\x00\x00", 4));
  EXPECT_THROW(vlf.ReadRecordLength(second), EReadError);
  vlf.ReadRecord(first, text);
  EXPECT_EQ(text, "abcdef");
}

TEST_F(VlfTest, ExclusiveShareModeKeepsOthersOut) {
  {
    TVlfWriter w(Path("Feiertag.Stx"));
    w.AppendRecord("Neujahr");
  }
  TVlf a, b;
  a.SetFileShareMode(Exclusive);
  a.OpenFile(Path("Feiertag.Stx"));
  b.SetFileShareMode(DenyWrite);
  EXPECT_THROW(b.OpenFile(Path("Feiertag.Stx")), EFOpenError);
  EXPECT_EQ(OpenProblem(b, Path("Feiertag.Stx")), TVlfOpenProblem::InUse);
  a.CloseFile();
  b.OpenFile(Path("Feiertag.Stx"));
  EXPECT_EQ(b.ReadRecordLength(1024), 7u);
}

}  // namespace

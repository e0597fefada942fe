// Streams: seeks, short reads and writes past the end on every kind of
// stream, file open modes and copying.
#include "platform/rtl/streams.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "temp_dir.h"

namespace {
std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
}  // namespace

// The same seek and read rules hold for every kind of stream.
TEST(Streams, SeeksAndShortReadsOnEveryKind) {
  TempDir dir;
  TMemoryStream mem;
  TStringStream str;
  TFileStream file(dir / "s.bin", fmCreate);
  for (TStream* s : std::initializer_list<TStream*>{&mem, &str, &file}) {
    SCOPED_TRACE(s->ClassName());
    s->WriteBuffer("0123456789", 10);
    EXPECT_EQ(s->Position(), 10);
    EXPECT_EQ(s->Size(), 10);
    EXPECT_EQ(s->Seek(-3, soFromEnd), 7);
    char buf[8] = {};
    EXPECT_EQ(s->Read(buf, 8), 3);  // short read at the end
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(s->Read(buf, 8), 0);
    EXPECT_EQ(s->Seek(2, soFromBeginning), 2);
    EXPECT_EQ(s->Seek(3, soFromCurrent), 5);
    EXPECT_EQ(s->Seek(-1, soFromCurrent), 4);
    s->ReadBuffer(buf, 2);
    EXPECT_EQ(std::string(buf, 2), "45");
    EXPECT_THROW(s->ReadBuffer(buf, 5), EReadError);  // only 4 left
    // A seek before the start is refused and keeps the position.
    s->SetPosition(3);
    EXPECT_THROW(s->Seek(-4, soFromCurrent), EStreamError);
    EXPECT_THROW(s->Seek(0, 7), EStreamError);
    EXPECT_EQ(s->Position(), 3);
    // Overwrite in the middle, then extend past the end.
    s->WriteBuffer("ab", 2);
    s->Seek(0, soFromEnd);
    s->WriteBuffer("X", 1);
    s->SetPosition(0);
    char all[16] = {};
    EXPECT_EQ(s->Read(all, 16), 11);
    EXPECT_EQ(std::string(all, 11), "012ab56789X");
    s->SetSize(4);
    EXPECT_EQ(s->Size(), 4);
    EXPECT_LE(s->Position(), 4);
    // Zero counts move nothing and never raise.
    EXPECT_NO_THROW(s->ReadBuffer(buf, 0));
    EXPECT_EQ(s->Read(buf, -5), 0);
  }
}

TEST(Streams, MemoryStreamGapsAndFiles) {
  TempDir dir;
  TMemoryStream m;
  m.SetPosition(4);  // beyond the end is allowed ...
  EXPECT_EQ(m.Size(), 0);
  m.WriteBuffer("z", 1);  // ... and a write there fills the gap with zeros
  ASSERT_EQ(m.Size(), 5);
  EXPECT_EQ(std::string(m.Memory(), 5), std::string("\0\0\0\0z", 5));
  m.SaveToFile(dir / "m.bin");
  EXPECT_EQ(Slurp(dir / "m.bin"), std::string("\0\0\0\0z", 5));
  TMemoryStream back;
  back.LoadFromFile(dir / "m.bin");
  EXPECT_EQ(back.Position(), 0);
  EXPECT_EQ(std::string(back.Memory(), 5), std::string("\0\0\0\0z", 5));
  back.Clear();
  EXPECT_EQ(back.Size(), 0);
  EXPECT_EQ(back.Position(), 0);
  EXPECT_THROW(back.LoadFromFile(dir / "missing.bin"), EFOpenError);
}

TEST(Streams, FileStreamModes) {
  TempDir dir;
  const std::string name = dir / "f.txt";
  EXPECT_THROW(TFileStream(name, fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream(dir / "no/such/dir.txt", fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream(dir.path(), fmOpenRead), EFOpenError);  // a directory
  // The message says why, in words.
  for (const auto& [path, cause] : {std::pair{dir / "no/such/dir.txt", "ihr Verzeichnis gibt es nicht"},
                                    std::pair{dir.path(), "ist ein Verzeichnis"}}) {
    try {
      TFileStream f(path, path == dir.path() ? fmOpenRead : fmCreate);
      ADD_FAILURE() << path;
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find(cause), std::string::npos) << e.Message();
    }
  }
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("hello", 5);
  }
  {
    TFileStream f(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(f.Size(), 5);
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);  // opened for reading
  }
  {
    TFileStream f(name, fmOpenReadWrite | fmShareExclusive);
    f.Seek(0, soFromEnd);
    f.WriteBuffer(" world", 6);
  }
  EXPECT_EQ(Slurp(name), "hello world");
  {
    TFileStream f(name, fmCreate);  // create truncates
  }
  EXPECT_EQ(Slurp(name), "");
  // Windows-1252 names become UTF-8 names on disk.
  {
    TFileStream f(dir.path() + "/Gr\xFC\xDF" "e.txt", fmCreate);
    f.WriteBuffer("x", 1);
  }
  EXPECT_EQ(Slurp(dir / "Gr\xC3\xBC\xC3\x9F" "e.txt"), "x");
}

TEST(Streams, CopyFromAndStringStream) {
  TStringStream src("abcdefgh");
  TMemoryStream dst;
  src.SetPosition(5);
  EXPECT_EQ(dst.CopyFrom(&src, 0), 8);  // 0 copies all from the start
  EXPECT_EQ(std::string(dst.Memory(), 8), "abcdefgh");
  src.SetPosition(2);
  EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
  EXPECT_EQ(std::string(dst.Memory(), 11), "abcdefghcde");
  src.SetPosition(6);
  EXPECT_THROW(dst.CopyFrom(&src, 5), EReadError);
  // A large copy crosses the internal buffer size.
  TMemoryStream big, copy;
  big.SetSize(200000);
  for (int i = 0; i < 200000; ++i) big.Memory()[i] = static_cast<char>(i * 7);
  EXPECT_EQ(copy.CopyFrom(&big, 0), 200000);
  EXPECT_EQ(std::string(copy.Memory(), 200000), std::string(big.Memory(), 200000));

  TStringStream s;
  s.WriteString("Tag");
  s.WriteString("esanbruch");
  EXPECT_EQ(s.DataString(), "Tagesanbruch");
  s.SetPosition(3);
  EXPECT_EQ(s.ReadString(4), "esan");
  EXPECT_EQ(s.ReadString(100), "bruch");
  EXPECT_EQ(s.ReadString(1), "");
}

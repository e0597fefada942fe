// Byte streams: the abstract TStream with memory, file and string streams.
//
// Positions and sizes are 64-bit byte counts. Read and Write move as many
// bytes as they can and answer the count (a short read at the end is normal);
// ReadBuffer and WriteBuffer raise EReadError/EWriteError unless the whole
// count moved. A seek before the start raises EStreamError and leaves the
// position as it was; a memory stream may be positioned beyond its end, and
// a write there fills the gap with zero bytes. File names are Windows-1252
// text and are converted to the system's UTF-8 only when the file is opened.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/components.h"

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// Open modes of TFileStream: one access mode, optionally or'ed with a share
// mode (share modes are accepted and have no effect on this system).
constexpr unsigned fmCreate = 0xFFFF;
constexpr unsigned fmOpenRead = 0x0000;
constexpr unsigned fmOpenWrite = 0x0001;
constexpr unsigned fmOpenReadWrite = 0x0002;
constexpr unsigned fmShareCompat = 0x0000;
constexpr unsigned fmShareExclusive = 0x0010;
constexpr unsigned fmShareDenyWrite = 0x0020;
constexpr unsigned fmShareDenyRead = 0x0030;
constexpr unsigned fmShareDenyNone = 0x0040;

class TStream : public TObject {
  ORV_CLASS(TStream, TObject)
  virtual int Read(void* buffer, int count) = 0;
  virtual int Write(const void* buffer, int count) = 0;
  // Answers the new position. Origin 0 from the start, 1 from the current
  // position, 2 from the end; any other origin raises EStreamError.
  virtual int64_t Seek(int64_t offset, int origin) = 0;
  virtual int64_t Size() const = 0;
  virtual void SetSize(int64_t size) = 0;
  virtual int64_t Position() const = 0;
  void SetPosition(int64_t pos) { Seek(pos, soFromBeginning); }

  void ReadBuffer(void* buffer, int count);
  void WriteBuffer(const void* buffer, int count);
  // Copies `count` bytes from the source's position; a count of 0 copies the
  // whole source from its start. Answers the bytes copied.
  int64_t CopyFrom(TStream* source, int64_t count);

protected:
  // Common seek arithmetic: the target position or EStreamError.
  static int64_t SeekTarget(int64_t offset, int origin, int64_t pos, int64_t size);
};

class TMemoryStream : public TStream {
  ORV_CLASS(TMemoryStream, TStream)
  TMemoryStream() = default;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
  // Growing fills with zero bytes; the position is kept unless it lay
  // beyond the new end, then it moves to the end.
  void SetSize(int64_t size) override;
  int64_t Position() const override { return pos_; }

  char* Memory() { return data_.data(); }
  const char* Memory() const { return data_.data(); }
  void Clear();
  // Replaces the contents with the whole of `source` (from its start);
  // the position becomes 0.
  void LoadFromStream(TStream* source);
  void LoadFromFile(const AnsiString& fileName);
  void SaveToStream(TStream* dest) const;
  void SaveToFile(const AnsiString& fileName) const;

private:
  std::vector<char> data_;
  int64_t pos_ = 0;
};

class TFileStream : public TStream {
  ORV_CLASS(TFileStream, TStream)
  // Raises EFCreateError "Cannot create file <name>" (fmCreate) or
  // EFOpenError "Cannot open file <name>".
  TFileStream(const AnsiString& fileName, unsigned mode);
  ~TFileStream() override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Size() const override;
  void SetSize(int64_t size) override;  // raises EStreamError on failure
  int64_t Position() const override;
  const AnsiString& FileName() const { return fileName_; }
  int Handle() const { return fd_; }
  // Forces the written bytes to the disk; raises EWriteError on failure.
  void Flush();

private:
  AnsiString fileName_;
  int fd_ = -1;
};

// A stream over a string of bytes; DataString is its whole contents.
class TStringStream : public TStream {
  ORV_CLASS(TStringStream, TStream)
  explicit TStringStream(const AnsiString& s = AnsiString()) : data_(s) {}
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;
  int64_t Position() const override { return pos_; }
  const AnsiString& DataString() const { return data_; }
  // Up to `count` bytes from the position (fewer at the end).
  AnsiString ReadString(int count);
  void WriteString(const AnsiString& s);

private:
  AnsiString data_;
  int64_t pos_ = 0;
};

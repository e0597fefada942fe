// The long-text archives ("Ereignis.Stx", "Person.Stx", "Feiertag.Stx") and
// their writer.
//
// File layout: a 1024-byte header that starts with the 6-byte signature
// "ORVSTX" (the rest zero), then records reached by their file offset. A
// record is an 8-byte header ("#", the text length as 32-bit little-endian,
// three zero bytes) followed by that many bytes of Windows-1252 text.
// Invariant of the reader: it never reads outside the file and never trusts
// a length that the file cannot hold; a damaged record raises EReadError.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "platform/rtl/components.h"
#include "platform/rtl/exceptions.h"

enum TFileOpenMode { OpenRead, OpenWrite, OpenReadWrite };
enum TFileShareMode { ShareCompat, Exclusive, DenyWrite, DenyRead, DenyNone };

inline constexpr char kVlfSignature[6] = {'O', 'R', 'V', 'S', 'T', 'X'};
inline constexpr uint32_t kVlfHeaderSize = 1024;
inline constexpr uint32_t kVlfRecordHeaderSize = 8;

// Why an archive could not be opened, so that callers can explain it in
// their own words without reading the message.
enum class TVlfOpenProblem { System, InUse, NotAnArchive };

class EVlfOpenError : public EFOpenError {
 public:
  EVlfOpenError(TVlfOpenProblem problem, const std::string& message) : EFOpenError(message), problem_(problem) {}
  const char* ClassName() const override { return "EVlfOpenError"; }
  TVlfOpenProblem Problem() const { return problem_; }

 private:
  TVlfOpenProblem problem_;
};

// A component, so that its owner (the settings unit) frees it.
class TVlf : public TComponent {
  ORV_CLASS(TVlf, TComponent)
  explicit TVlf(TComponent* owner = nullptr);
  ~TVlf() override;
  TVlf(const TVlf&) = delete;
  TVlf& operator=(const TVlf&) = delete;

  TFileOpenMode FileOpenMode() const { return openMode_; }
  void SetFileOpenMode(TFileOpenMode m) { openMode_ = m; }
  TFileShareMode FileShareMode() const { return shareMode_; }
  void SetFileShareMode(TFileShareMode m) { shareMode_ = m; }
  int BufferSize() const { return 4096; }

  // Raises EVlfOpenError when the file is missing, cannot be opened or locked
  // as the share mode asks, or is not an archive.
  void OpenFile(const AnsiString& fileName);
  void CloseFile();
  bool IsOpen() const { return fd_ >= 0; }
  // The file last opened.
  const AnsiString& FileName() const { return fileName_; }

  // Text length of the record at `offset` (at least 1024).
  uint32_t ReadRecordLength(uint32_t offset);
  // Copies the record's text (ReadRecordLength bytes) into `buffer`. The
  // third argument is kept for callers that pass 0 and is not used.
  void ReadRecord(uint32_t offset, void* buffer, int reserved = 0);
  // The same into a string sized to the text.
  void ReadRecord(uint32_t offset, AnsiString& text);

private:
  void ReadExact(uint64_t position, void* buffer, size_t count);
  [[noreturn]] void Damaged(uint32_t offset, const char* what) const;

  TFileOpenMode openMode_ = OpenRead;
  TFileShareMode shareMode_ = ShareCompat;
  int fd_ = -1;
  AnsiString fileName_;
};

// Writes a new archive: the header at creation, then records appended one
// by one; each append gives the record's offset for the tables.
class TVlfWriter {
public:
  // Raises EFCreateError when the file cannot be created.
  explicit TVlfWriter(const AnsiString& fileName);
  ~TVlfWriter();
  TVlfWriter(const TVlfWriter&) = delete;
  TVlfWriter& operator=(const TVlfWriter&) = delete;

  // Raises EWriteError on a write failure or when the archive would outgrow
  // 32-bit offsets.
  uint32_t AppendRecord(std::string_view text);
  // Flushes and closes; raises EWriteError when that fails.
  void Close();

private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
  AnsiString fileName_;
};

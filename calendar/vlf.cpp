// Archive reader on positioned reads (no shared file position), and writer.
#include "calendar/vlf.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

TVlf::TVlf(TComponent* owner) : TComponent(owner) {}

TVlf::~TVlf() { CloseFile(); }

void TVlf::OpenFile(const AnsiString& fileName) {
  CloseFile();
  const int flags = openMode_ == OpenRead ? O_RDONLY : (openMode_ == OpenWrite ? O_WRONLY : O_RDWR);
  const int fd = ::open(SysFileName(fileName).c_str(), flags | O_CLOEXEC);
  if (fd < 0)
    throw EVlfOpenError(TVlfOpenProblem::System, "Die Datei \"" + ShownFileName(fileName) +
                                                     CP1252("\" lässt sich nicht öffnen: ").str() +
                                                     SysErrorMessage(errno));
  // Share modes as advisory locks among the programs that honour them.
  int lock = 0;
  if (shareMode_ == Exclusive || shareMode_ == DenyRead) lock = LOCK_EX;
  if (shareMode_ == DenyWrite) lock = LOCK_SH;
  if (lock != 0 && ::flock(fd, lock | LOCK_NB) != 0) {
    ::close(fd);
    throw EVlfOpenError(TVlfOpenProblem::InUse, "Cannot open file \"" + fileName + "\". The file is in use.");
  }
  fd_ = fd;
  fileName_ = fileName;
  if (openMode_ == OpenWrite) return;  // nothing to check without read access
  char header[sizeof kVlfSignature];
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || st.st_size < static_cast<off_t>(kVlfHeaderSize) ||
      ::pread(fd_, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
      std::memcmp(header, kVlfSignature, sizeof header) != 0) {
    CloseFile();
    throw EVlfOpenError(TVlfOpenProblem::NotAnArchive,
                        "Cannot open file \"" + fileName + "\". It is not a text archive.");
  }
}

void TVlf::CloseFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void TVlf::Damaged(uint32_t offset, const char* what) const {
  throw EReadError("Damaged text archive \"" + fileName_ + "\" at offset " + std::to_string(offset) + ": " +
                   what);
}

void TVlf::ReadExact(uint64_t position, void* buffer, size_t count) {
  auto* p = static_cast<char*>(buffer);
  while (count > 0) {
    const ssize_t n = ::pread(fd_, p, count, static_cast<off_t>(position));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw EReadError("Read error in \"" + fileName_ + "\"");
    p += n;
    position += static_cast<uint64_t>(n);
    count -= static_cast<size_t>(n);
  }
}

uint32_t TVlf::ReadRecordLength(uint32_t offset) {
  if (fd_ < 0) throw EReadError("Text archive not open");
  if (offset < kVlfHeaderSize) Damaged(offset, "offset inside the header");
  struct stat st {};
  if (::fstat(fd_, &st) != 0) throw EReadError("Read error in \"" + fileName_ + "\"");
  const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
  if (uint64_t{offset} + kVlfRecordHeaderSize > fileSize) Damaged(offset, "offset beyond the end");
  unsigned char head[kVlfRecordHeaderSize];
  ReadExact(offset, head, sizeof head);
  if (head[0] != '#') Damaged(offset, "no record mark");
  const uint32_t length = uint32_t{head[1]} | uint32_t{head[2]} << 8 | uint32_t{head[3]} << 16 |
                          uint32_t{head[4]} << 24;
  if (uint64_t{offset} + kVlfRecordHeaderSize + length > fileSize) Damaged(offset, "length beyond the end");
  return length;
}

void TVlf::ReadRecord(uint32_t offset, void* buffer, int) {
  const uint32_t length = ReadRecordLength(offset);
  ReadExact(uint64_t{offset} + kVlfRecordHeaderSize, buffer, length);
}

void TVlf::ReadRecord(uint32_t offset, AnsiString& text) {
  const uint32_t length = ReadRecordLength(offset);
  text.resize(length);
  ReadExact(uint64_t{offset} + kVlfRecordHeaderSize, text.data(), length);
}

TVlfWriter::TVlfWriter(const AnsiString& fileName) : fileName_(fileName) {
  file_ = std::fopen(SysFileName(fileName).c_str(), "wb");
  if (!file_)
    throw EFCreateError("Die Datei \"" + ShownFileName(fileName) + "\" kann nicht angelegt werden: " +
                        SysErrorMessage(errno));
  char header[kVlfHeaderSize] = {};
  std::memcpy(header, kVlfSignature, sizeof kVlfSignature);
  if (std::fwrite(header, 1, sizeof header, file_) != sizeof header) {
    std::fclose(file_);
    file_ = nullptr;
    throw EFCreateError("Cannot write file \"" + fileName + "\"");
  }
  size_ = kVlfHeaderSize;
}

TVlfWriter::~TVlfWriter() {
  if (file_) std::fclose(file_);
}

uint32_t TVlfWriter::AppendRecord(std::string_view text) {
  if (!file_) throw EWriteError("Text archive \"" + fileName_ + "\" is closed");
  if (size_ + kVlfRecordHeaderSize + text.size() > UINT32_MAX)
    throw EWriteError("Text archive \"" + fileName_ + "\" would exceed 4 GB");
  const auto length = static_cast<uint32_t>(text.size());
  const unsigned char head[kVlfRecordHeaderSize] = {
      '#', static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
      static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24), 0, 0, 0};
  if (std::fwrite(head, 1, sizeof head, file_) != sizeof head ||
      std::fwrite(text.data(), 1, text.size(), file_) != text.size())
    throw EWriteError("Cannot write file \"" + fileName_ + "\"");
  const auto offset = static_cast<uint32_t>(size_);
  size_ += kVlfRecordHeaderSize + text.size();
  return offset;
}

void TVlfWriter::Close() {
  if (!file_) return;
  const bool ok = std::fflush(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok || !closed) throw EWriteError("Cannot write file \"" + fileName_ + "\"");
}

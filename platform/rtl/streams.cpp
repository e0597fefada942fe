// Byte streams over memory, files and strings.
#include "platform/rtl/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

namespace {
constexpr auto kIncompleteWrite = CP1252("Die Daten konnten nicht vollständig geschrieben werden");

// Why a file could not be made or opened, in words, so that the message
// says what to do about it.
AnsiString FileCause(int err) { return ": " + SysErrorMessage(err); }
}  // namespace

void TStream::ReadBuffer(void* buffer, int count) {
  if (count != 0 && Read(buffer, count) != count)
    throw EReadError(CP1252("Die Daten konnten nicht vollständig gelesen werden").str());
}

void TStream::WriteBuffer(const void* buffer, int count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(kIncompleteWrite.str());
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
  if (!source) return 0;
  if (count == 0) {
    source->SetPosition(0);
    count = source->Size();
  }
  const int64_t total = count;
  std::vector<char> buf(static_cast<size_t>(std::min<int64_t>(count, 64 * 1024)));
  while (count > 0) {
    int n = static_cast<int>(std::min<int64_t>(count, static_cast<int64_t>(buf.size())));
    source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    count -= n;
  }
  return total;
}

int64_t TStream::SeekTarget(int64_t offset, int origin, int64_t pos, int64_t size) {
  int64_t base;
  switch (origin) {
    case soFromBeginning: base = 0; break;
    case soFromCurrent: base = pos; break;
    case soFromEnd: base = size; break;
    default: throw EStreamError(CP1252("Ungültiger Bezugspunkt beim Positionieren: ").str() + IntToStr(origin));
  }
  int64_t target;
  if (__builtin_add_overflow(base, offset, &target) || target < 0)
    throw EStreamError("Position vor dem Anfang der Daten");
  return target;
}

namespace {
// A write far beyond the end must fail as the library's memory error, not
// as a foreign exception.
template <class Buf>
void Grow(Buf& b, int64_t size) {
  try {
    b.resize(static_cast<size_t>(size));
  } catch (const std::exception&) {
    throw EOutOfMemory(kOutOfMemoryText);
  }
}
}  // namespace

// ---------------------------------------------------------------------------
int TMemoryStream::Read(void* buffer, int count) {
  if (count <= 0 || pos_ >= Size()) return 0;
  int n = static_cast<int>(std::min<int64_t>(count, Size() - pos_));
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return n;
}

int TMemoryStream::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  if (pos_ + count > Size()) Grow(data_, pos_ + count);
  std::memcpy(data_.data() + pos_, buffer, count);
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, int origin) {
  pos_ = SeekTarget(offset, origin, pos_, Size());
  return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EStreamError(CP1252("Ungültige Größe der Daten").str());
  Grow(data_, size);
  if (pos_ > size) pos_ = size;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* source) {
  source->SetPosition(0);
  int64_t n = source->Size();
  SetSize(n);
  pos_ = 0;
  // ReadBuffer takes an int count: large sources go in pieces.
  for (int64_t done = 0; done < n;) {
    int part = static_cast<int>(std::min<int64_t>(n - done, 1 << 30));
    source->ReadBuffer(data_.data() + done, part);
    done += part;
  }
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TMemoryStream::SaveToStream(TStream* dest) const {
  int64_t n = Size();
  for (int64_t done = 0; done < n;) {
    int part = static_cast<int>(std::min<int64_t>(n - done, 1 << 30));
    dest->WriteBuffer(data_.data() + done, part);
    done += part;
  }
}

void TMemoryStream::SaveToFile(const AnsiString& fileName) const {
  TFileStream f(fileName, fmCreate);
  SaveToStream(&f);
}

// ---------------------------------------------------------------------------
TFileStream::TFileStream(const AnsiString& fileName, unsigned mode) : fileName_(fileName) {
  const std::string path = SysFileName(fileName);
  if (mode == fmCreate) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0)
      throw EFCreateError("Die Datei \"" + ShownFileName(fileName) + "\" kann nicht angelegt werden" +
                          FileCause(errno));
    return;
  }
  int flags = O_CLOEXEC;
  switch (mode & 3) {
    case fmOpenWrite: flags |= O_WRONLY; break;
    case fmOpenReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
  }
  fd_ = ::open(path.c_str(), flags);
  int err = errno;
  if (fd_ >= 0) {
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd_);
      fd_ = -1;
      err = EISDIR;
    }
  }
  if (fd_ < 0)
    throw EFOpenError("Die Datei \"" + ShownFileName(fileName) + CP1252("\" kann nicht geöffnet werden").str() +
                      FileCause(err));
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int TFileStream::Read(void* buffer, int count) {
  int done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

int TFileStream::Write(const void* buffer, int count) {
  int done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, int origin) {
  int64_t target = SeekTarget(offset, origin, Position(), Size());
  off_t r = ::lseek(fd_, static_cast<off_t>(target), SEEK_SET);
  if (r < 0) throw EStreamError("Fehler beim Positionieren in der Datei \"" + ShownFileName(fileName_) + "\"");
  return r;
}

int64_t TFileStream::Size() const {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
}

void TFileStream::SetSize(int64_t size) {
  int64_t pos = Position();
  if (size < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0)
    throw EStreamError(CP1252("Die Größe der Datei \"").str() + ShownFileName(fileName_) +
                       CP1252("\" kann nicht geändert werden").str());
  if (pos > size) ::lseek(fd_, static_cast<off_t>(size), SEEK_SET);
}

int64_t TFileStream::Position() const {
  off_t r = ::lseek(fd_, 0, SEEK_CUR);
  return r < 0 ? 0 : static_cast<int64_t>(r);
}

void TFileStream::Flush() {
  if (::fsync(fd_) != 0) throw EWriteError(kIncompleteWrite.str());
}

// ---------------------------------------------------------------------------
int TStringStream::Read(void* buffer, int count) {
  if (count <= 0 || pos_ >= Size()) return 0;
  int n = static_cast<int>(std::min<int64_t>(count, Size() - pos_));
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return n;
}

int TStringStream::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  if (pos_ + count > Size()) Grow(data_, pos_ + count);
  std::memcpy(data_.data() + pos_, buffer, count);
  pos_ += count;
  return count;
}

int64_t TStringStream::Seek(int64_t offset, int origin) {
  pos_ = SeekTarget(offset, origin, pos_, Size());
  return pos_;
}

void TStringStream::SetSize(int64_t size) {
  if (size < 0) throw EStreamError(CP1252("Ungültige Größe der Daten").str());
  Grow(data_, size);
  if (pos_ > size) pos_ = size;
}

AnsiString TStringStream::ReadString(int count) {
  if (count <= 0 || pos_ >= Size()) return {};
  int n = static_cast<int>(std::min<int64_t>(count, Size() - pos_));
  AnsiString s = data_.substr(static_cast<size_t>(pos_), n);
  pos_ += n;
  return s;
}

void TStringStream::WriteString(const AnsiString& s) { Write(s.data(), static_cast<int>(s.size())); }

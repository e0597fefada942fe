// Block manager; see blockfile.h for the block header and the invariants.
#include "dbengine/blockfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "dbengine/journal.h"
#include "dbengine/result_codes.h"

namespace ffdetail {

uint32_t Checksum(const uint8_t* data, size_t size) {
  // Multiply-xor over 8-byte words: fast, and any single changed byte or
  // swapped word changes the result.
  uint64_t h = 0x9E3779B97F4A7C15ull ^ size;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t w;
    std::memcpy(&w, data + i, 8);
    h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 29;
  }
  for (; i < size; ++i) h = (h ^ data[i]) * 0x100000001B3ull;
  h ^= h >> 32;
  return static_cast<uint32_t>(h);
}

namespace {

[[noreturn]] void RaiseIo(int err, const std::string& what) {
  if (err == ENOSPC || err == EFBIG || err == EDQUOT) RaiseFF(rcDiskFull, what);
  RaiseFF(rcIOError, what + ": " + std::strerror(err));
}

bool KnownSig(uint32_t s) {
  return s == kSigHeader || s == kSigData || s == kSigBlob || s == kSigIndex || s == kSigStream;
}

void StampChecksum(uint8_t* p, uint32_t blockSize) {
  Put32(p + kOffChecksum, 0);
  Put32(p + kOffChecksum, Checksum(p, blockSize));
}

}  // namespace

BlockFile::~BlockFile() { Close(); }

void BlockFile::Close() {
  // A writer that closes with nothing left to replay removes its journal,
  // so that a data directory holds only table files between runs.
  if (fd_ >= 0 && writable_ && journaled_ && !failed_ && dirty_.empty() && journalFd_ >= 0)
    ::unlink(JournalPath(path_).c_str());
  if (fd_ >= 0) ::close(fd_);
  if (journalFd_ >= 0) ::close(journalFd_);
  fd_ = journalFd_ = -1;
  pages_.clear();
  dirty_.clear();
  cached_ = 0;
  header_ = nullptr;
}

void BlockFile::Damaged(const std::string& what) const {
  RaiseFF(rcFileDamaged, path_ + ": " + what);
}

BlockFile::Page& BlockFile::Slot(uint32_t no) {
  if (no >= pages_.size()) pages_.resize(std::max<size_t>(no + 1, pages_.size() * 2));
  return pages_[no];
}

void BlockFile::DropPage(uint32_t no) {
  if (no < pages_.size() && pages_[no].data) {
    pages_[no] = Page();
    --cached_;
  }
}

void BlockFile::CreateNew(const std::string& path, uint32_t blockSize) {
  path_ = path;
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    if (errno == EEXIST) RaiseFF(rcTableExists, path);
    RaiseIo(errno, "creating " + path);
  }
  writable_ = true;
  journaled_ = false;
  blockSize_ = blockSize;
  fileSize_ = 0;
  Page& pg = Slot(0);
  pg.data.reset(new uint8_t[blockSize]());
  ++cached_;
  header_ = pg.data.get();
  Put32(header_ + kOffSig, kSigHeader);
  Put32(header_ + kHdrVersion, kFormatVersion);
  Put32(header_ + kHdrBlockSize, blockSize);
  Put32(header_ + kHdrBlockCount, 1);
  pg.dirty = true;
  dirty_.push_back(0);
}

void BlockFile::Open(const std::string& path, bool writable) {
  path_ = path;
  writable_ = writable;
  journaled_ = true;
  fd_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd_ < 0) {
    if (errno == ENOENT) RaiseFF(rcNoSuchTable, path);
    if (errno == EACCES || errno == EROFS) RaiseFF(rcAccessDenied, path);
    RaiseIo(errno, "opening " + path);
  }
  struct stat st;
  if (fstat(fd_, &st) != 0) RaiseIo(errno, "opening " + path);
  fileSize_ = static_cast<uint64_t>(st.st_size);
  // The block size comes from the header; read its fixed part first.
  uint8_t fixed[kHdrIndexRoots];
  if (fileSize_ < 4096 || pread(fd_, fixed, sizeof fixed, 0) != static_cast<ssize_t>(sizeof fixed))
    Damaged("file too short for a header block");
  if (Get32(fixed + kOffSig) != kSigHeader) Damaged("bad header signature");
  blockSize_ = Get32(fixed + kHdrBlockSize);
  if (blockSize_ != 4096 && blockSize_ != 8192 && blockSize_ != 16384 && blockSize_ != 32768)
    Damaged("invalid block size");
  // A journal left by a crash is replayed now; a new one is only made by
  // the first commit, so that opening a table costs no disk flush.
  std::string jpath = JournalPath(path);
  journalFd_ = ::open(jpath.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (journalFd_ < 0 && errno != ENOENT && writable) RaiseIo(errno, "opening " + jpath);
  Recover();
  if (fileSize_ < blockSize_) Damaged("file too short for a header block");
  Page* hp = Load(0);
  header_ = hp->data.get();
  CheckHeader();
}

void BlockFile::Recover() {
  if (journalFd_ < 0) return;
  JournalContents jc = JournalRead(journalFd_, blockSize_);
  if (!jc.Valid) return;
  if (writable_) {
    for (size_t i = 0; i < jc.BlockNos.size(); ++i) {
      const uint8_t* img = jc.Images.data() + i * blockSize_;
      if (pwrite(fd_, img, blockSize_, static_cast<off_t>(uint64_t{jc.BlockNos[i]} * blockSize_)) !=
          static_cast<ssize_t>(blockSize_))
        RaiseIo(errno, "recovering " + path_);
    }
    uint64_t size = uint64_t{jc.NewBlockCount} * blockSize_;
    if (size < fileSize_ && ftruncate(fd_, static_cast<off_t>(size)) != 0)
      RaiseIo(errno, "recovering " + path_);
    if (fdatasync(fd_) != 0) RaiseIo(errno, "recovering " + path_);
    struct stat st;
    if (fstat(fd_, &st) == 0) fileSize_ = static_cast<uint64_t>(st.st_size);
    JournalWipe(journalFd_);
  } else {
    for (size_t i = 0; i < jc.BlockNos.size(); ++i) {
      Page& pg = Slot(jc.BlockNos[i]);
      if (!pg.data) ++cached_;
      pg.data.reset(new uint8_t[blockSize_]);
      std::memcpy(pg.data.get(), jc.Images.data() + i * blockSize_, blockSize_);
      pg.pinned = true;
    }
    fileSize_ = std::max<uint64_t>(fileSize_, uint64_t{jc.NewBlockCount} * blockSize_);
  }
}

void BlockFile::CheckHeader() {
  const uint8_t* h = header_;
  uint32_t count = Get32(h + kHdrBlockCount);
  if (Get32(h + kHdrVersion) != kFormatVersion) Damaged("unknown format version");
  if (count == 0 || uint64_t{count} * blockSize_ > fileSize_) Damaged("block count beyond file end");
  auto inRange = [&](uint32_t b) { return b < count; };
  if (!inRange(Get32(h + kHdrFreeHead)) || !inRange(Get32(h + kHdrFirstData)) ||
      !inRange(Get32(h + kHdrLastData)) || !inRange(Get32(h + kHdrDictFirst)))
    Damaged("header refers beyond the file");
  if (Get32(h + kHdrIndexCount) > static_cast<uint32_t>(kMaxIndexes)) Damaged("index count");
  for (uint32_t i = 0; i < Get32(h + kHdrIndexCount); ++i)
    if (!inRange(Get32(h + kHdrIndexRoots + 4 * i)) || Get32(h + kHdrIndexRoots + 4 * i) == 0)
      Damaged("index root beyond the file");
}

void BlockFile::CheckBlock(const uint8_t* p, uint32_t no, uint32_t sig) const {
  uint32_t s = Get32(p + kOffSig);
  if (!KnownSig(s) || (sig != 0 && s != sig))
    Damaged("block " + std::to_string(no) + " has a wrong signature");
  if (Get32(p + kOffBlockNo) != no) Damaged("block " + std::to_string(no) + " carries a wrong number");
  uint32_t sum = Get32(p + kOffChecksum);
  uint8_t save[4];
  std::memcpy(save, p + kOffChecksum, 4);
  uint8_t* q = const_cast<uint8_t*>(p);
  Put32(q + kOffChecksum, 0);
  uint32_t actual = Checksum(p, blockSize_);
  std::memcpy(q + kOffChecksum, save, 4);
  if (actual != sum) Damaged("block " + std::to_string(no) + " fails its checksum");
}

BlockFile::Page* BlockFile::Load(uint32_t no) {
  Page& pg = Slot(no);
  if (pg.data) return &pg;
  if (header_ && no >= BlockCount()) Damaged("block " + std::to_string(no) + " beyond the end");
  if (uint64_t{no + 1} * blockSize_ > fileSize_) Damaged("block " + std::to_string(no) + " beyond the end");
  std::unique_ptr<uint8_t[]> buf(new uint8_t[blockSize_]);
  ssize_t n = pread(fd_, buf.get(), blockSize_, static_cast<off_t>(uint64_t{no} * blockSize_));
  if (n != static_cast<ssize_t>(blockSize_)) {
    if (n < 0) RaiseIo(errno, "reading " + path_);
    Damaged("short read at block " + std::to_string(no));
  }
  CheckBlock(buf.get(), no, 0);
  pg.data = std::move(buf);
  ++cached_;
  return &pg;
}

const uint8_t* BlockFile::Read(uint32_t no, uint32_t sig) {
  if (failed_) RaiseFF(rcIOError, path_ + ": an earlier write failed; reopen the table");
  if (no >= BlockCount()) Damaged("block " + std::to_string(no) + " beyond the end");
  Page* pg = Load(no);
  if (sig != 0 && Get32(pg->data.get() + kOffSig) != sig)
    Damaged("block " + std::to_string(no) + " has a wrong signature");
  return pg->data.get();
}

uint8_t* BlockFile::Write(uint32_t no, uint32_t sig) {
  if (!writable_) RaiseFF(rcTableReadOnly, path_);
  uint8_t* p = const_cast<uint8_t*>(Read(no, sig));
  Page& pg = pages_[no];
  if (!pg.dirty) {
    pg.dirty = true;
    dirty_.push_back(no);
  }
  return p;
}

uint8_t* BlockFile::Allocate(uint32_t sig, uint32_t* no) {
  uint8_t* h = HeaderForWrite();
  uint32_t b = Get32(h + kHdrFreeHead);
  uint8_t* p;
  if (b != 0) {
    p = Write(b, kSigStream);
    if (Get32(p + kStreamKind) != kStreamFree) Damaged("free chain holds a used block");
    Put32(h + kHdrFreeHead, Get32(p + kOffNext));
    Put32(h + kHdrFreeCount, Get32(h + kHdrFreeCount) - 1);
  } else {
    b = BlockCount();
    if (b == 0xFFFFFFFFu >> 1) RaiseFF(rcDiskFull, path_ + ": table file at its largest size");
    Put32(h + kHdrBlockCount, b + 1);
    Page& pg = Slot(b);
    pg.data.reset(new uint8_t[blockSize_]);
    ++cached_;
    pg.dirty = true;
    dirty_.push_back(b);
    p = pg.data.get();
  }
  std::memset(p, 0, blockSize_);
  Put32(p + kOffSig, sig);
  Put32(p + kOffBlockNo, b);
  *no = b;
  return p;
}

void BlockFile::Free(uint32_t no) {
  if (no == 0) Damaged("attempt to free the header block");
  uint8_t* p = Write(no, 0);
  uint8_t* h = HeaderForWrite();
  std::memset(p, 0, blockSize_);
  Put32(p + kOffSig, kSigStream);
  Put32(p + kOffBlockNo, no);
  Put32(p + kStreamKind, kStreamFree);
  Put32(p + kOffNext, Get32(h + kHdrFreeHead));
  Put32(h + kHdrFreeHead, no);
  Put32(h + kHdrFreeCount, Get32(h + kHdrFreeCount) + 1);
}

uint8_t* BlockFile::ResetToHeaderOnly() {
  uint8_t* h = HeaderForWrite();
  for (uint32_t i = 1; i < pages_.size(); ++i) DropPage(i);
  dirty_.assign(1, 0);
  std::vector<uint8_t> keep(h, h + kHdrIndexRoots);
  std::memset(h + kBlockHeaderSize, 0, blockSize_ - kBlockHeaderSize);
  Put32(h + kHdrVersion, kFormatVersion);
  Put32(h + kHdrBlockSize, blockSize_);
  Put32(h + kHdrBlockCount, 1);
  return h;
}

void BlockFile::WriteDirect() {
  std::sort(dirty_.begin(), dirty_.end());
  for (uint32_t no : dirty_) {
    const uint8_t* p = pages_[no].data.get();
    size_t done = 0;
    while (done < blockSize_) {
      ssize_t n = pwrite(fd_, p + done, blockSize_ - done,
                         static_cast<off_t>(uint64_t{no} * blockSize_ + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        failed_ = journaled_;
        RaiseIo(errno, "writing " + path_);
      }
      done += static_cast<size_t>(n);
    }
  }
}

void BlockFile::EnsureJournal() {
  if (journalFd_ >= 0) return;
  std::string jpath = JournalPath(path_);
  journalFd_ = ::open(jpath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (journalFd_ < 0) RaiseIo(errno, "opening " + jpath);
  // The journal's directory entry must be durable before a commit relies
  // on it.
  size_t slash = path_.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : path_.substr(0, slash + 1);
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    ::close(dfd);
  }
}

void BlockFile::Commit() {
  if (dirty_.empty()) return;
  if (failed_) RaiseFF(rcIOError, path_ + ": an earlier write failed; reopen the table");
  uint64_t need = uint64_t{BlockCount()} * blockSize_;
  for (uint32_t no : dirty_) StampChecksum(pages_[no].data.get(), blockSize_);
  try {
    if (need > fileSize_) {
      // Reserve the space first: running out of it must fail here, while
      // nothing of this commit has been written anywhere.
      int r = posix_fallocate(fd_, static_cast<off_t>(fileSize_), static_cast<off_t>(need - fileSize_));
      if (r != 0) RaiseIo(r, "growing " + path_);
      fileSize_ = need;
    }
    if (journaled_) {
      EnsureJournal();
      std::vector<JournalPage> jp;
      jp.reserve(dirty_.size());
      for (uint32_t no : dirty_) jp.push_back({no, pages_[no].data.get()});
      JournalWrite(journalFd_, blockSize_, BlockCount(), jp);
    }
  } catch (...) {
    Rollback();
    throw;
  }
  WriteDirect();
  if (fileSize_ > need) {
    if (ftruncate(fd_, static_cast<off_t>(need)) != 0) {
      failed_ = journaled_;
      RaiseIo(errno, "shrinking " + path_);
    }
    fileSize_ = need;
  }
  if (fdatasync(fd_) != 0) {
    failed_ = journaled_;
    RaiseIo(errno, "syncing " + path_);
  }
  if (journaled_) JournalWipe(journalFd_);
  for (uint32_t no : dirty_) pages_[no].dirty = false;
  dirty_.clear();
}

void BlockFile::Rollback() {
  for (uint32_t no : dirty_) {
    pages_[no].dirty = false;
    DropPage(no);
  }
  dirty_.clear();
  header_ = nullptr;
  if (journaled_) header_ = Load(0)->data.get();  // a file being built is dropped whole
}

void BlockFile::Trim() {
  size_t limit = budget_ / blockSize_;
  if (cached_ <= limit || pages_.empty()) return;
  size_t target = limit * 3 / 4;
  size_t scanned = 0;
  while (cached_ > target && scanned < pages_.size() * 2) {
    clock_ = (clock_ + 1) % pages_.size();
    ++scanned;
    Page& pg = pages_[clock_];
    if (clock_ == 0 || !pg.data || pg.dirty || pg.pinned) continue;
    DropPage(static_cast<uint32_t>(clock_));
  }
}

}  // namespace ffdetail

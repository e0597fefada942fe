// Block manager: the table file as an array of fixed-size blocks, a cache of
// them, block allocation with a free chain, and commits through the journal.
//
// Every block starts with a 16-byte header: signature ("FFFH" file header,
// "FFDH" data, "FFBH" BLOB, "FFIH" index, "FFSH" stream), its own block
// number, a checksum over the block (taken with the checksum field zero) and
// a type-specific "next" block number. Block 0 is the file header; a second
// "FFFH" block (block 1 in files made by this engine, any block in files of
// format 1 once they have been written) holds a copy of it, written in the
// same commit whenever the header changes, and serves when block 0 fails its
// checks. A freed block becomes a stream block of kind "free" on the free
// chain that starts in the header; allocation takes from that chain before
// the file grows.
//
// Invariants between calls:
//  - every cached page is either clean (equal to the file, or to a journal
//    image being recovered) or dirty and listed in the dirty set; nothing
//    reaches the table file except through Commit;
//  - a page read from the file has passed its checks (number below the block
//    count, signature, own block number, checksum), else the read raises
//    rcFileDamaged naming the file and the block; a damaged block costs only
//    what is reached through it;
//  - the header's block count covers every block in use; the file may be
//    longer (space prepared for a commit that then failed); it is shorter
//    only when it was cut, and the blocks missing then read as damaged;
//    such a file is opened for reading only.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace ffdetail {

constexpr uint32_t Sig(const char (&s)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}
constexpr uint32_t kSigHeader = Sig("FFFH");
constexpr uint32_t kSigData = Sig("FFDH");
constexpr uint32_t kSigBlob = Sig("FFBH");
constexpr uint32_t kSigIndex = Sig("FFIH");
constexpr uint32_t kSigStream = Sig("FFSH");

// Common block header.
constexpr size_t kOffSig = 0, kOffBlockNo = 4, kOffChecksum = 8, kOffNext = 12;
constexpr size_t kBlockHeaderSize = 16;

// File header fields (block 0).
constexpr size_t kHdrVersion = 16, kHdrBlockSize = 20, kHdrBlockCount = 24, kHdrFreeHead = 28,
                 kHdrFreeCount = 32, kHdrRecordCount = 36, kHdrRecordLength = 40,
                 kHdrFirstData = 44, kHdrLastData = 48, kHdrDataSeq = 52,
                 kHdrFreeSlot = 56 /* 64-bit */, kHdrDictFirst = 64, kHdrDictLength = 68,
                 kHdrIndexCount = 72, kHdrMirror = 76, kHdrIndexRoots = 80;
// Format 1 has no header copy (its mirror field is zero); it is read as it
// stands and becomes format 2 with its first commit. Formats 1 and 2 sum
// their blocks in one sequential chain, format 3 (every file made now, and
// a table emptied, since all its blocks are then written afresh) in eight
// lanes; a file keeps its checksums otherwise, so files of every format
// stay readable and writable.
constexpr uint32_t kFormatNoMirror = 1, kFormatMirror = 2, kFormatLanes = 3;
constexpr uint32_t kFormatVersion = kFormatLanes;
constexpr int kMaxIndexes = 64;

// Stream blocks.
constexpr size_t kStreamKind = 16, kStreamUsed = 20, kStreamData = 24;
constexpr uint32_t kStreamDictionary = 1, kStreamFree = 2;

inline uint16_t Get16(const uint8_t* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }
inline uint32_t Get32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
inline uint64_t Get64(const uint8_t* p) { uint64_t v; std::memcpy(&v, p, 8); return v; }
inline void Put16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline void Put32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline void Put64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

// 64-bit digest of a byte range; Checksum folds it to 32 bits.
uint64_t Digest64(const uint8_t* data, size_t size);
uint32_t Checksum(const uint8_t* data, size_t size);
// The checksum a block of a file of `version` carries, taken with its own
// checksum field as zero.
uint32_t BlockChecksum(const uint8_t* block, uint32_t blockSize, uint32_t version);

// Page buffers come from, and go back to, a pool the process keeps (in
// large pages, up to a limit; see blockfile.cpp): a table opened again, or
// another one, takes the buffers the last one left.
struct PageBufferReturn {
  uint32_t size = 0;
  void operator()(uint8_t* p) const;
};

class BlockFile {
public:
  BlockFile() = default;
  ~BlockFile();
  BlockFile(const BlockFile&) = delete;
  BlockFile& operator=(const BlockFile&) = delete;

  // Creates a new file holding only a header block and its copy (no
  // journal; the caller builds it under a temporary name and renames it
  // when complete).
  void CreateNew(const std::string& path, uint32_t blockSize);
  // Opens an existing file, settles a journal left by an unfinished commit
  // (writable: in the file; read-only: in memory), and checks the header,
  // taking its copy when block 0 fails. A cut file raises rcFileDamaged
  // when opened for writing.
  void Open(const std::string& path, bool writable);
  // Never raises; nothing is written after a failed write.
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  uint32_t BlockSize() const { return blockSize_; }
  bool Writable() const { return writable_; }

  uint32_t BlockCount() const { return Get32(header_ + kHdrBlockCount); }
  const uint8_t* Header() const { return header_; }
  uint8_t* HeaderForWrite() { return Write(0, kSigHeader); }
  uint32_t MirrorBlock() const { return Get32(header_ + kHdrMirror); }
  // Why block 0 was passed over for its copy (empty: it was not).
  const std::string& HeaderDamage() const { return headerDamage_; }
  // Checks the header copy as stored; empty when sound and equal to the
  // header in force.
  std::string CheckMirror();

  // A block checked to carry `sig` (0: any known signature). A block in
  // the cache was checked when it was loaded: it is only matched against
  // `sig` again.
  const uint8_t* Read(uint32_t no, uint32_t sig) {
    if (no < pages_.size() && !failed_) {
      const Page& pg = pages_[no];
      const uint8_t* p = pg.data.get();
      if (p && (sig == 0 || (pg.dirty ? Get32(p + kOffSig) : pg.sig) == sig) && no < BlockCount()) return p;
    }
    return ReadSlow(no, sig);
  }
  // The block when it is in the cache, else null; unchecked (for asking
  // the memory for it ahead of use).
  const uint8_t* Cached(uint32_t no) const { return no < pages_.size() ? pages_[no].data.get() : nullptr; }
  // The same, marked dirty for change.
  uint8_t* Write(uint32_t no, uint32_t sig);
  // A fresh zeroed block with its header filled in, dirty.
  uint8_t* Allocate(uint32_t sig, uint32_t* no);
  void Free(uint32_t no);
  // Drops every block and starts over with a header block and its copy
  // only (the caller fills the header again); takes effect on Commit like
  // any change.
  uint8_t* ResetToHeaderOnly();

  // Writes all dirty blocks atomically; raises rcDiskFull / rcIOError with
  // the changes rolled back (the file unchanged), or, when the failure
  // came while writing in place, leaves the file for the next open to
  // settle and refuses every further call.
  void Commit();
  // A commit in steps, for a group of files committed as one (journal.h);
  // Commit runs them in a row. PrepareCommit checks, reserves the space
  // and writes the journal, or raises with the changes rolled back and
  // nothing written in place; WriteCommit writes in place and syncs (a
  // failure leaves the file for the next open to settle and refuses every
  // further call); FinishCommit releases the journal. AbandonCommit, after
  // PrepareCommit, spends the journal and rolls the changes back; Fail
  // leaves a written commit to the next open.
  bool HasChanges() const { return !dirty_.empty(); }
  void PrepareCommit(uint64_t group);
  void WriteCommit();
  void FinishCommit();
  void AbandonCommit();
  void Fail() { failed_ = journaled_; }
  // Forgets every change since the last commit.
  void Rollback();
  // Evicts clean pages beyond the cache budget; call between operations.
  void Trim() {
    if (cached_ * blockSize_ > budget_) Evict();
  }
  void SetCacheBudget(size_t bytes) { budget_ = bytes; }

  [[noreturn]] void Damaged(const std::string& what) const;

private:
  using Buffer = std::unique_ptr<uint8_t[], PageBufferReturn>;
  Buffer NewBuffer() const;
  struct Page {
    Buffer data;
    // The block's signature while it is clean: checking it costs no trip
    // to the block's own memory.
    uint32_t sig = 0;
    bool dirty = false;
    bool pinned = false;  // journal image laid over a read-only file
  };
  const uint8_t* ReadSlow(uint32_t no, uint32_t sig);
  Page* Load(uint32_t no);
  void CheckBlock(const uint8_t* p, uint32_t no, uint32_t sig) const;
  uint32_t SumVersion(const uint8_t* p) const;
  void CheckHeader(const uint8_t* h) const;
  void LoadHeader();
  uint32_t FindMirror(uint32_t blockSize, std::vector<uint8_t>& image);
  uint32_t ProbeBlockSize();
  void Recover();
  void UndoGroup(uint64_t group, const std::vector<std::string>& members, const std::vector<std::string>& lost);
  void EnsureJournal();  // creates the journal file on the first commit
  void AddMirror();
  void WriteJournal(uint64_t group);
  void WriteInPlace();
  uint8_t* Overwrite(uint32_t no, uint32_t sig);
  Page& Slot(uint32_t no);
  void Evict();
  void MarkDirty(uint32_t no);
  void DropPage(uint32_t no);

  std::string path_;
  int fd_ = -1;
  int journalFd_ = -1;
  bool writable_ = false;
  bool journaled_ = true;
  bool failed_ = false;
  uint32_t blockSize_ = 0;
  uint64_t fileSize_ = 0;
  uint32_t committedCount_ = 0;  // block count of the file as last committed
  std::vector<Page> pages_;
  std::vector<uint32_t> dirty_;
  size_t cached_ = 0;
  size_t budget_ = 48u << 20;
  size_t clock_ = 0;
  uint8_t* header_ = nullptr;
  std::string headerDamage_;
};

}  // namespace ffdetail

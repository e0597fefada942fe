// Block manager; see blockfile.h for the block header and the invariants,
// journal.h for the commit protocol.
#include "dbengine/blockfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "dbengine/filelayer.h"
#include "dbengine/journal.h"
#include "dbengine/result_codes.h"
#include "platform/rtl/scopeexit.h"

namespace ffdetail {

namespace {

constexpr uint64_t kSeed = 0x9E3779B97F4A7C15ull, kMul = 0xFF51AFD7ED558CCDull;

inline uint64_t Mix(uint64_t h, uint64_t w) {
  h = (h ^ w) * kMul;
  return h ^ (h >> 29);
}

inline uint64_t Word(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// The word that holds a block's checksum field (bytes 8 to 11), with the
// field taken as zero.
inline uint64_t ChecksumWord(const uint8_t* block) { return Word(block + 8) & ~uint64_t{0xFFFFFFFF}; }
static_assert(kOffChecksum == 8, "the checksum field fills the low half of the second word");

inline uint32_t Fold(uint64_t h) { return static_cast<uint32_t>(h ^ (h >> 32)); }

// Formats 1 and 2: Digest64 over the block, one word after the other.
uint32_t SequentialBlockSum(const uint8_t* p, uint32_t blockSize) {
  uint64_t h = Mix(Mix(kSeed ^ blockSize, Word(p)), ChecksumWord(p));
  for (uint32_t i = 16; i < blockSize; i += 8) h = Mix(h, Word(p + i));
  return Fold(h);
}

// Format 3: eight lanes, lane k taking word k of every 64-byte row. Each
// step is the same bijective mix as Digest64's, so a change confined to
// one word always changes its lane; the lanes are independent, so their
// multiplications overlap instead of waiting on each other (about five
// times faster than one chain; the chain cost about as much as copying
// the block from the system's cache). The lanes are folded one after the other
// with the same mix, which keeps a changed lane visible in the result.
uint32_t LaneBlockSum(const uint8_t* p, uint32_t blockSize) {
  uint64_t l0 = kSeed ^ blockSize, l1 = l0 + kMul, l2 = l1 + kMul, l3 = l2 + kMul, l4 = l3 + kMul,
           l5 = l4 + kMul, l6 = l5 + kMul, l7 = l6 + kMul;
  auto row = [&](const uint8_t* r, uint64_t second) {
    l0 = Mix(l0, Word(r));
    l1 = Mix(l1, second);
    l2 = Mix(l2, Word(r + 16));
    l3 = Mix(l3, Word(r + 24));
    l4 = Mix(l4, Word(r + 32));
    l5 = Mix(l5, Word(r + 40));
    l6 = Mix(l6, Word(r + 48));
    l7 = Mix(l7, Word(r + 56));
  };
  row(p, ChecksumWord(p));
  for (uint32_t i = 64; i < blockSize; i += 64) row(p + i, Word(p + i + 8));
  uint64_t h = blockSize;
  for (uint64_t l : {l0, l1, l2, l3, l4, l5, l6, l7}) h = Mix(h, l);
  return Fold(h);
}

}  // namespace

uint64_t Digest64(const uint8_t* data, size_t size) {
  // Multiply-xor over 8-byte words: fast, and any single changed byte or
  // swapped word changes the result.
  uint64_t h = kSeed ^ size;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) h = Mix(h, Word(data + i));
  for (; i < size; ++i) h = (h ^ data[i]) * 0x100000001B3ull;
  return h;
}

uint32_t Checksum(const uint8_t* data, size_t size) { return Fold(Digest64(data, size)); }

uint32_t BlockChecksum(const uint8_t* block, uint32_t blockSize, uint32_t version) {
  return version >= kFormatLanes ? LaneBlockSum(block, blockSize) : SequentialBlockSum(block, blockSize);
}

namespace {

bool KnownSig(uint32_t s) {
  return s == kSigHeader || s == kSigData || s == kSigBlob || s == kSigIndex || s == kSigStream;
}

bool ValidBlockSize(uint32_t bs) { return bs == 4096 || bs == 8192 || bs == 16384 || bs == 32768; }

// A header block (or its copy) names the format its own checksum follows.
bool ChecksumHolds(const uint8_t* p, uint32_t blockSize) {
  return BlockChecksum(p, blockSize, Get32(p + kHdrVersion)) == Get32(p + kOffChecksum);
}

// Page buffers of every table of the process, cut from chunks of 2 MiB
// that the system is asked to back with large pages. A table's cache lies
// scattered over tens of megabytes: with small pages every block it
// touches costs an address translation of its own, which on a busy
// machine cost about a third of a look-up's time. Buffers a
// table drops stay here for the next table (a table opened again would
// otherwise pay a page fault and the clearing of memory for every block
// it reads whenever the allocator had given the last one's pages back to
// the system). The chunks are kept for the life of the process, 64 MiB at
// most; beyond that buffers come from the allocator and go back to it.
// Guarded: tables open and close on any thread.
class BufferPool {
public:
  uint8_t* Take(uint32_t size) {
    {
      std::lock_guard<std::mutex> g(mutex_);
      const int slot = Slot(size);
      std::vector<uint8_t*>& spare = spare_[slot];
      if (!spare.empty()) {
        uint8_t* p = spare.back();
        spare.pop_back();
        return p;
      }
      Carving& c = carving_[slot];
      if (c.Left < size && chunks_.size() < kChunks) {
        if (void* m = std::aligned_alloc(kChunk, kChunk)) {
#ifdef MADV_HUGEPAGE
          ::madvise(m, kChunk, MADV_HUGEPAGE);  // a hint: small pages serve as well
#endif
          chunks_.push_back(static_cast<uint8_t*>(m));
          c.At = static_cast<uint8_t*>(m);
          c.Left = kChunk;
        }
      }
      if (c.Left >= size) {
        uint8_t* p = c.At;
        c.At += size;
        c.Left -= size;
        return p;
      }
    }
    return new uint8_t[size];
  }
  void Give(uint8_t* p, uint32_t size) {
    {
      std::lock_guard<std::mutex> g(mutex_);
      for (uint8_t* c : chunks_)
        if (p >= c && p < c + kChunk) {
          spare_[Slot(size)].push_back(p);
          return;
        }
    }
    delete[] p;
  }

private:
  // Every block size divides a chunk.
  static constexpr size_t kChunk = 2u << 20, kChunks = 32;
  struct Carving {
    uint8_t* At = nullptr;
    size_t Left = 0;
  };
  static int Slot(uint32_t size) { return size <= 4096 ? 0 : size <= 8192 ? 1 : size <= 16384 ? 2 : 3; }
  std::mutex mutex_;
  std::vector<uint8_t*> spare_[4];
  Carving carving_[4];
  std::vector<uint8_t*> chunks_;
};

// Never destroyed: tables held by static objects may close after every
// other static object is gone.
BufferPool& Pool() {
  static BufferPool* pool = new BufferPool;
  return *pool;
}

}  // namespace

void PageBufferReturn::operator()(uint8_t* p) const { Pool().Give(p, size); }

BlockFile::Buffer BlockFile::NewBuffer() const { return Buffer(Pool().Take(blockSize_), PageBufferReturn{blockSize_}); }

BlockFile::~BlockFile() { Close(); }

void BlockFile::Close() {
  // A writer that closes with nothing left to settle removes its journal,
  // so that a data directory holds only table files between runs.
  if (fd_ >= 0 && writable_ && journaled_ && !failed_ && dirty_.empty() && journalFd_ >= 0)
    Files().Unlink(JournalPath(path_));
  if (fd_ >= 0) Files().Close(fd_);
  if (journalFd_ >= 0) Files().Close(journalFd_);
  fd_ = journalFd_ = -1;
  pages_.clear();
  dirty_.clear();
  cached_ = 0;
  header_ = nullptr;
  headerDamage_.clear();
}

void BlockFile::Damaged(const std::string& what) const {
  RaiseFF(rcFileDamaged, path_ + ": " + what);
}

BlockFile::Page& BlockFile::Slot(uint32_t no) {
  if (no >= pages_.size()) pages_.resize(std::max<size_t>(no + 1, pages_.size() * 2));
  return pages_[no];
}

void BlockFile::MarkDirty(uint32_t no) {
  Page& pg = pages_[no];
  if (!pg.dirty) {
    pg.dirty = true;
    dirty_.push_back(no);
  }
}

void BlockFile::DropPage(uint32_t no) {
  if (no < pages_.size() && pages_[no].data) {
    pages_[no] = Page();
    --cached_;
  }
}

uint8_t* BlockFile::Overwrite(uint32_t no, uint32_t sig) {
  Page& pg = Slot(no);
  if (!pg.data) {
    pg.data = NewBuffer();
    ++cached_;
  }
  pg.pinned = false;
  uint8_t* p = pg.data.get();
  std::memset(p, 0, blockSize_);
  Put32(p + kOffSig, sig);
  Put32(p + kOffBlockNo, no);
  MarkDirty(no);
  return p;
}

void BlockFile::CreateNew(const std::string& path, uint32_t blockSize) {
  path_ = path;
  fd_ = Files().Open(path, O_RDWR | O_CREAT | O_EXCL, 0644);
  if (fd_ < 0) {
    if (errno == EEXIST) RaiseFF(rcTableExists, path);
    RaiseWriteError(errno, "creating", path);
  }
  writable_ = true;
  journaled_ = false;
  blockSize_ = blockSize;
  fileSize_ = 0;
  committedCount_ = 0;
  header_ = Overwrite(0, kSigHeader);
  Put32(header_ + kHdrVersion, kFormatVersion);
  Put32(header_ + kHdrBlockSize, blockSize);
  Put32(header_ + kHdrBlockCount, 2);
  Put32(header_ + kHdrMirror, 1);
  Overwrite(1, kSigHeader);
}

void BlockFile::Open(const std::string& path, bool writable) {
  path_ = path;
  writable_ = writable;
  journaled_ = true;
  // Until a journal found is settled, closing keeps it: an undo that could
  // not be written is done by a later open.
  failed_ = true;
  headerDamage_.clear();
  fd_ = Files().Open(path, writable ? O_RDWR : O_RDONLY, 0);
  if (fd_ < 0) {
    if (errno == ENOENT) RaiseFF(rcNoSuchTable, path);
    if (errno == EACCES || errno == EROFS) RaiseFF(rcAccessDenied, path);
    RaiseSystemError(errno, "opening " + path);
  }
  int64_t size = Files().Size(fd_);
  if (size < 0) RaiseSystemError(errno, "opening " + path);
  fileSize_ = static_cast<uint64_t>(size);
  // A journal left by an unfinished commit is settled now; a new one is
  // only made by the first commit, so that opening a table costs no disk
  // flush.
  std::string jpath = JournalPath(path);
  journalFd_ = Files().Open(jpath, writable ? O_RDWR : O_RDONLY, 0);
  if (journalFd_ < 0 && errno != ENOENT && writable) RaiseSystemError(errno, "opening " + jpath);
  blockSize_ = ProbeBlockSize();
  Recover();
  failed_ = false;
  LoadHeader();
  committedCount_ = BlockCount();
  // A file shorter than its header says was cut: the first commit would
  // grow it over the missing blocks. Readers get what is left.
  if (writable && uint64_t{BlockCount()} * blockSize_ > fileSize_)
    Damaged("block " + std::to_string(BlockCount() - 1) +
            " lies beyond the end of the file (the file was cut short); it is not written to");
}

// The block size: the journal's when one is pending (it was written with
// the header in order), else the header's, else its copy's.
uint32_t BlockFile::ProbeBlockSize() {
  if (journalFd_ >= 0) {
    uint32_t bs = JournalBlockSize(journalFd_);
    if (ValidBlockSize(bs)) return bs;
  }
  uint8_t fixed[kHdrIndexRoots];
  if (ReadAll(fd_, fixed, sizeof fixed, 0) == static_cast<ssize_t>(sizeof fixed) &&
      Get32(fixed + kOffSig) == kSigHeader && ValidBlockSize(Get32(fixed + kHdrBlockSize)))
    return Get32(fixed + kHdrBlockSize);
  std::vector<uint8_t> image;
  for (uint32_t bs : {4096u, 8192u, 16384u, 32768u})
    if (FindMirror(bs, image)) return bs;
  if (fileSize_ < 4096) Damaged("file too short for a header block");
  Damaged("no valid header block (bad signature or block size)");
}

namespace {

// Puts a recovery's blocks into the table file, cuts it to its length and
// syncs it.
void WriteBack(int fd, const JournalRecovery& jr, uint32_t blockSize, uint64_t fileSize, const std::string& path) {
  for (size_t i = 0; i < jr.BlockNos.size(); ++i) {
    int err = WriteAll(fd, jr.Images.data() + i * blockSize, blockSize, uint64_t{jr.BlockNos[i]} * blockSize);
    if (err) RaiseWriteError(err, "recovering", path);
  }
  if (jr.Length < fileSize && Files().Truncate(fd, jr.Length) != 0) RaiseWriteError(errno, "recovering", path);
  if (Files().DataSync(fd) != 0) RaiseWriteError(errno, "recovering", path);
}

}  // namespace

namespace {

// What the journals of a group's members say: which carry the group's
// number, and whether the commit of any such one reached its table file.
// The journals are written in the order the record names the tables, and
// all of them before anything is written in place: a table without one is
// harmless when the cut came before its journal, and lost (its journal
// removed or cut from outside) when a table after it has its journal or
// the group was written in place.
struct GroupTrace {
  std::vector<bool> Carries;
  bool Written = false;
  bool Journaled() const { return std::count(Carries.begin(), Carries.end(), true) > 0; }
  bool Lost(size_t i) const {
    return !Carries[i] && (Written || std::count(Carries.begin() + static_cast<long>(i), Carries.end(), true) > 0);
  }
};
GroupTrace TraceGroup(const std::string& folder, uint64_t group, const std::vector<std::string>& members) {
  GroupTrace g;
  for (const std::string& name : members) {
    g.Carries.push_back(false);
    const int fd = Files().Open(folder + name, O_RDONLY, 0);
    if (fd < 0) continue;
    const int jfd = Files().Open(JournalPath(folder + name), O_RDONLY, 0);
    const int64_t size = Files().Size(fd);
    const uint32_t bs = jfd >= 0 ? JournalBlockSize(jfd) : 0;
    if (jfd >= 0 && JournalGroup(jfd) == group) {
      g.Carries.back() = true;
      g.Written = g.Written || (size >= 0 && ValidBlockSize(bs) &&
                                JournalWrittenInPlace(jfd, fd, static_cast<uint64_t>(size), bs, folder + name));
    }
    if (jfd >= 0) Files().Close(jfd);
    Files().Close(fd);
  }
  return g;
}

}  // namespace

void BlockFile::Recover() {
  // A journal of a group is undone while the group's record says that the
  // group did not commit, and is spent otherwise.
  const uint64_t group = journalFd_ >= 0 ? JournalGroup(journalFd_) : 0;
  const std::string record = GroupRecordPath(path_), folder = FolderPart(path_), self = NamePart(path_);
  uint64_t recorded = 0;
  std::vector<std::string> members;
  const bool whole = GroupRecordRead(record, recorded, members);
  const bool undoGroup = group != 0 && whole && recorded == group;
  // A torn record, or one that no journal carries, was never relied on (a
  // cut came before the first journal of its group): it goes.
  bool leftover = !whole && ::access(record.c_str(), R_OK) == 0;
  const auto named = std::find(members.begin(), members.end(), self);
  if (whole && !undoGroup && named != members.end()) {
    // Named by a group without a journal of it. What reached the file of
    // a lost one can never be taken back; a record of number 0 names
    // tables whose journal was found lost so.
    const GroupTrace trace = TraceGroup(folder, recorded, members);
    if (!recorded || trace.Lost(static_cast<size_t>(named - members.begin())))
      Damaged("a commit of several tables did not finish, and this table's journal of it is missing or cut");
    leftover = !trace.Journaled();
  }
  if (leftover && writable_ && Files().Unlink(record) == 0) Files().SyncDirOf(record);
  if (journalFd_ < 0) return;
  using Kind = JournalRecovery::Kind;
  JournalRecovery jr;
  if (group == 0 || undoGroup) jr = JournalExamine(journalFd_, fd_, fileSize_, blockSize_, path_, undoGroup);
  else jr.What = Kind::Finished;
  if (jr.What == Kind::None) return;
  if (jr.What == Kind::Finished) {
    if (writable_) JournalWipe(journalFd_);
    return;
  }
  if (writable_) {
    // Lost members are found before anything is put back: the evidence is
    // gone afterwards.
    std::vector<std::string> lost;
    if (undoGroup) {
      const GroupTrace trace = TraceGroup(folder, group, members);
      for (size_t i = 0; i < members.size(); ++i)
        if (trace.Lost(i) && ::access((folder + members[i]).c_str(), F_OK) == 0) lost.push_back(members[i]);
    }
    WriteBack(fd_, jr, blockSize_, fileSize_, path_);
    int64_t size = Files().Size(fd_);
    if (size >= 0) fileSize_ = static_cast<uint64_t>(size);
    // The journals of a group stay until its record is gone: a cut before
    // then undoes the group again.
    if (undoGroup) UndoGroup(group, members, lost);
    JournalWipe(journalFd_);
  } else {
    for (size_t i = 0; i < jr.BlockNos.size(); ++i) {
      Page& pg = Slot(jr.BlockNos[i]);
      if (!pg.data) ++cached_;
      pg.data = NewBuffer();
      std::memcpy(pg.data.get(), jr.Images.data() + i * blockSize_, blockSize_);
      pg.pinned = true;
      pg.sig = Get32(pg.data.get() + kOffSig);
    }
    if (jr.What == Kind::Redo) fileSize_ = std::max(fileSize_, jr.Length);
  }
}

// Undoes the other tables of a group that did not commit, then removes its
// record: until then every table of the group still shows its journal.
// `lost` names members whose journal is gone: the record then names them
// alone, with number 0, so that they stay refused as damaged.
void BlockFile::UndoGroup(uint64_t group, const std::vector<std::string>& members,
                          const std::vector<std::string>& lost) {
  const std::string folder = FolderPart(path_);
  for (const std::string& name : members) {
    if (name == NamePart(path_)) continue;
    const std::string path = folder + name;
    int fd = Files().Open(path, O_RDWR, 0);
    if (fd < 0) continue;  // gone: nothing of it to undo
    int jfd = Files().Open(JournalPath(path), O_RDWR, 0);
    TScopeExit close{[&] {
      if (jfd >= 0) Files().Close(jfd);
      Files().Close(fd);
    }};
    if (jfd < 0 || JournalGroup(jfd) != group) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) RaiseFF(rcTableInUse, path + " is opened by another process");
    const int64_t size = Files().Size(fd);
    if (size < 0) RaiseSystemError(errno, "recovering " + path);
    const uint32_t bs = JournalBlockSize(jfd);
    if (!ValidBlockSize(bs)) continue;
    JournalRecovery jr = JournalExamine(jfd, fd, static_cast<uint64_t>(size), bs, path, true);
    if (jr.What == JournalRecovery::Kind::Undo) WriteBack(fd, jr, bs, static_cast<uint64_t>(size), path);
  }
  // Their journals are spent with the record.
  if (lost.empty()) GroupRecordRemove(GroupRecordPath(path_));
  else GroupRecordWrite(GroupRecordPath(path_), 0, lost);
}

void BlockFile::CheckHeader(const uint8_t* h) const {
  uint32_t bs = Get32(h + kHdrBlockSize);
  uint32_t version = Get32(h + kHdrVersion);
  if (version < kFormatNoMirror || version > kFormatLanes) Damaged("unknown format version");
  if (!ValidBlockSize(bs)) Damaged("invalid block size");
  // A file cut short still opens (its missing blocks read as damaged);
  // a count far beyond the file's end is not believed.
  uint64_t fileBlocks = (fileSize_ + bs - 1) / bs;
  uint32_t count = Get32(h + kHdrBlockCount);
  if (count < 2 || count > fileBlocks + std::max<uint64_t>(fileBlocks, 64))
    Damaged("block count far beyond the file end");
  auto inRange = [&](uint32_t b) { return b < count; };
  if (!inRange(Get32(h + kHdrFreeHead)) || !inRange(Get32(h + kHdrFirstData)) ||
      !inRange(Get32(h + kHdrLastData)) || !inRange(Get32(h + kHdrDictFirst)))
    Damaged("header refers beyond the file");
  uint32_t mirror = Get32(h + kHdrMirror);
  if (version == kFormatNoMirror ? mirror != 0 : (mirror == 0 || !inRange(mirror)))
    Damaged("header copy beyond the file");
  if (Get32(h + kHdrIndexCount) > static_cast<uint32_t>(kMaxIndexes)) Damaged("index count");
  for (uint32_t i = 0; i < Get32(h + kHdrIndexCount); ++i)
    if (!inRange(Get32(h + kHdrIndexRoots + 4 * i)) || Get32(h + kHdrIndexRoots + 4 * i) == 0)
      Damaged("index root beyond the file");
}

// The header's copy for block size `bs`: block 1 in files made as format
// 2, else wherever a format 1 file put it (found by a scan). Returns its
// block number (0: none) and its bytes.
uint32_t BlockFile::FindMirror(uint32_t bs, std::vector<uint8_t>& image) {
  image.resize(bs);
  auto usable = [&](uint32_t no) {
    if (ReadAll(fd_, image.data(), bs, uint64_t{no} * bs) != static_cast<ssize_t>(bs)) return false;
    const uint8_t* p = image.data();
    if (Get32(p + kOffSig) != kSigHeader || Get32(p + kOffBlockNo) != no ||
        Get32(p + kHdrBlockSize) != bs || Get32(p + kHdrMirror) != no || !ChecksumHolds(p, bs))
      return false;
    try {
      CheckHeader(p);
    } catch (const EffException&) {
      return false;
    }
    return true;
  };
  if (usable(1)) return 1;
  uint64_t blocks = fileSize_ / bs;
  for (uint64_t no = 2; no < blocks && no < 0x7FFFFFFF; ++no) {
    uint8_t head[8];
    if (ReadAll(fd_, head, 8, no * bs) != 8) break;
    if (Get32(head) == kSigHeader && Get32(head + 4) == no && usable(static_cast<uint32_t>(no)))
      return static_cast<uint32_t>(no);
  }
  return 0;
}

void BlockFile::LoadHeader() {
  header_ = nullptr;
  std::string why;
  try {
    Page* hp = Load(0);
    CheckHeader(hp->data.get());
    if (Get32(hp->data.get() + kHdrBlockSize) != blockSize_) Damaged("header block size differs");
    header_ = hp->data.get();
    return;
  } catch (const EffException& e) {
    if (e.ResultCode() != rcFileDamaged) throw;
    why = e.Message();
    std::string prefix = ResultCodeText(rcFileDamaged) + ": " + path_ + ": ";
    if (why.compare(0, prefix.size(), prefix) == 0) why.erase(0, prefix.size());
  }
  if (fileSize_ < blockSize_) Damaged("file too short for a header block");
  DropPage(0);
  std::vector<uint8_t> image;
  uint32_t mirror = FindMirror(blockSize_, image);
  if (!mirror) Damaged(why);
  Page& pg = Slot(0);
  pg.data = NewBuffer();
  ++cached_;
  std::memcpy(pg.data.get(), image.data(), blockSize_);
  Put32(pg.data.get() + kOffBlockNo, 0);
  pg.sig = kSigHeader;
  header_ = pg.data.get();
  headerDamage_ = "header block 0 is damaged (" + why + "); its copy in block " +
                  std::to_string(mirror) + " is in use";
}

std::string BlockFile::CheckMirror() {
  uint32_t m = MirrorBlock();
  if (m == 0) return {};
  try {
    const uint8_t* p = Read(m, kSigHeader);
    if (std::memcmp(p + kBlockHeaderSize, header_ + kBlockHeaderSize, blockSize_ - kBlockHeaderSize) != 0)
      return "header copy in block " + std::to_string(m) + " differs from the header";
  } catch (const EffException& e) {
    return "header copy: " + e.Message();
  }
  return {};
}

void BlockFile::CheckBlock(const uint8_t* p, uint32_t no, uint32_t sig) const {
  uint32_t s = Get32(p + kOffSig);
  if (!KnownSig(s) || (sig != 0 && s != sig))
    Damaged("block " + std::to_string(no) + " has a wrong signature");
  if (Get32(p + kOffBlockNo) != no) Damaged("block " + std::to_string(no) + " carries a wrong number");
  if (BlockChecksum(p, blockSize_, SumVersion(p)) != Get32(p + kOffChecksum))
    Damaged("block " + std::to_string(no) + " fails its checksum");
}

// The format whose checksum a block carries: a header block (or its copy)
// names its own; every other block follows the header in force.
uint32_t BlockFile::SumVersion(const uint8_t* p) const {
  if (Get32(p + kOffSig) == kSigHeader) return Get32(p + kHdrVersion);
  return header_ ? Get32(header_ + kHdrVersion) : kFormatVersion;
}

BlockFile::Page* BlockFile::Load(uint32_t no) {
  Page& pg = Slot(no);
  if (pg.data) return &pg;
  if (header_ && no >= BlockCount()) Damaged("block " + std::to_string(no) + " beyond the end");
  if (uint64_t{no + 1} * blockSize_ > fileSize_)
    Damaged("block " + std::to_string(no) + " lies beyond the end of the file (the file was cut short)");
  Buffer buf = NewBuffer();
  ssize_t n = ReadAll(fd_, buf.get(), blockSize_, uint64_t{no} * blockSize_);
  if (n != static_cast<ssize_t>(blockSize_)) {
    if (n < 0) RaiseSystemError(errno, "reading " + path_);
    Damaged("short read at block " + std::to_string(no));
  }
  CheckBlock(buf.get(), no, 0);
  pg.data = std::move(buf);
  pg.sig = Get32(pg.data.get() + kOffSig);
  ++cached_;
  return &pg;
}

const uint8_t* BlockFile::ReadSlow(uint32_t no, uint32_t sig) {
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
  MarkDirty(no);
  return p;
}

uint8_t* BlockFile::Allocate(uint32_t sig, uint32_t* no) {
  uint8_t* h = HeaderForWrite();
  uint32_t b = Get32(h + kHdrFreeHead);
  uint8_t* p = nullptr;
  if (b != 0) {
    try {
      p = Write(b, kSigStream);
      if (Get32(p + kStreamKind) != kStreamFree) Damaged("free chain holds a used block");
    } catch (const EffException& e) {
      if (e.ResultCode() != rcFileDamaged) throw;
      p = nullptr;
    }
    if (p) {
      Put32(h + kHdrFreeHead, Get32(p + kOffNext));
      Put32(h + kHdrFreeCount, Get32(h + kHdrFreeCount) - 1);
    } else {
      // A damaged free block ends the chain: the free blocks behind it
      // are given up (the check names them) and the file grows instead.
      Put32(h + kHdrFreeHead, 0);
      Put32(h + kHdrFreeCount, 0);
    }
  }
  if (p) {
    std::memset(p, 0, blockSize_);
    Put32(p + kOffSig, sig);
    Put32(p + kOffBlockNo, b);
  } else {
    b = BlockCount();
    if (b == 0xFFFFFFFFu >> 1) RaiseFF(rcDiskFull, path_ + ": table file at its largest size");
    Put32(h + kHdrBlockCount, b + 1);
    p = Overwrite(b, sig);
  }
  *no = b;
  return p;
}

void BlockFile::Free(uint32_t no) {
  if (no == 0 || no == MirrorBlock()) Damaged("attempt to free a header block");
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
  std::memset(h + kBlockHeaderSize, 0, blockSize_ - kBlockHeaderSize);
  Put32(h + kHdrVersion, kFormatVersion);
  Put32(h + kHdrBlockSize, blockSize_);
  Put32(h + kHdrBlockCount, 2);
  Put32(h + kHdrMirror, 1);
  Overwrite(1, kSigHeader);
  return h;
}

// A file of format 1 gets its header copy with its first commit; its
// blocks keep their sequential checksums (format 2).
void BlockFile::AddMirror() {
  uint32_t b;
  Allocate(kSigHeader, &b);
  uint8_t* h = HeaderForWrite();
  Put32(h + kHdrMirror, b);
  Put32(h + kHdrVersion, kFormatMirror);
}

void BlockFile::EnsureJournal() {
  if (journalFd_ >= 0) return;
  std::string jpath = JournalPath(path_);
  journalFd_ = Files().Open(jpath, O_RDWR | O_CREAT, 0644);
  if (journalFd_ < 0) RaiseWriteError(errno, "making the journal of", path_);
  // The journal's directory entry must be durable before a commit relies
  // on it.
  Files().SyncDirOf(path_);
}

// Journals the old images of the dirty blocks that existed before this
// commit (read from the file in runs of adjacent blocks) and the digests
// of every dirty block.
void BlockFile::WriteJournal(uint64_t group) {
  EnsureJournal();
  size_t old = 0;
  for (uint32_t no : dirty_) old += no < committedCount_;
  std::vector<uint8_t> images(old * blockSize_);
  std::vector<JournalEntry> entries(dirty_.size());
  size_t k = 0;
  for (size_t i = 0; i < dirty_.size();) {
    uint32_t no = dirty_[i];
    if (no >= committedCount_) {
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < dirty_.size() && dirty_[i + run] == no + run && no + run < committedCount_) ++run;
    uint8_t* dest = images.data() + k * blockSize_;
    ssize_t n = ReadAll(fd_, dest, run * blockSize_, uint64_t{no} * blockSize_);
    if (n < 0) RaiseSystemError(errno, "reading " + path_);
    std::memset(dest + n, 0, run * blockSize_ - static_cast<size_t>(n));  // beyond a cut end
    k += run;
    i += run;
  }
  k = 0;
  for (size_t i = 0; i < dirty_.size(); ++i) {
    JournalEntry& e = entries[i];
    e.BlockNo = dirty_[i];
    e.NewDigest = Digest64(pages_[e.BlockNo].data.get(), blockSize_);
    if (e.BlockNo < committedCount_) {
      e.OldImage = images.data() + k++ * blockSize_;
      e.OldDigest = Digest64(e.OldImage, blockSize_);
    }
  }
  JournalWrite(journalFd_, path_, blockSize_, committedCount_, BlockCount(), entries, group);
}

// Writes the dirty blocks in place, each run of adjacent blocks in one call.
void BlockFile::WriteInPlace() {
  std::vector<iovec> iov;
  for (size_t i = 0; i < dirty_.size();) {
    uint32_t first = dirty_[i];
    iov.clear();
    while (i < dirty_.size() && dirty_[i] == first + iov.size()) {
      iov.push_back({pages_[dirty_[i]].data.get(), blockSize_});
      ++i;
    }
    int err = WriteAll(fd_, iov.data(), static_cast<int>(iov.size()), uint64_t{first} * blockSize_);
    if (err) {
      failed_ = journaled_;
      RaiseWriteError(err, "writing", path_);
    }
  }
}

void BlockFile::Commit() {
  if (dirty_.empty()) return;
  PrepareCommit(0);
  WriteCommit();
  FinishCommit();
}

void BlockFile::PrepareCommit(uint64_t group) {
  if (failed_) RaiseFF(rcIOError, path_ + ": an earlier write failed; reopen the table");
  try {
    if (journaled_ && Get32(header_ + kHdrVersion) == kFormatNoMirror) AddMirror();
    // A header taken from its copy is written back to block 0.
    if (!headerDamage_.empty()) HeaderForWrite();
    if (pages_[0].dirty && MirrorBlock()) {
      uint8_t* m = Overwrite(MirrorBlock(), kSigHeader);
      std::memcpy(m + kBlockHeaderSize, header_ + kBlockHeaderSize, blockSize_ - kBlockHeaderSize);
    }
  } catch (...) {
    Rollback();
    throw;
  }
  std::sort(dirty_.begin(), dirty_.end());
  for (uint32_t no : dirty_) {
    uint8_t* p = pages_[no].data.get();
    Put32(p + kOffChecksum, BlockChecksum(p, blockSize_, SumVersion(p)));
  }
  uint64_t need = uint64_t{BlockCount()} * blockSize_;
  try {
    if (need > fileSize_) {
      // Reserve the space first: running out of it must fail here, while
      // nothing of this commit has been written anywhere.
      int r = Files().Allocate(fd_, fileSize_, need - fileSize_);
      if (r != 0) RaiseWriteError(r, "growing", path_);
      fileSize_ = need;
    }
    if (journaled_) WriteJournal(group);
  } catch (...) {
    Rollback();
    throw;
  }
}

void BlockFile::WriteCommit() {
  WriteInPlace();
  if (Files().DataSync(fd_) != 0) {
    failed_ = journaled_;
    RaiseWriteError(errno, "syncing", path_);
  }
}

void BlockFile::AbandonCommit() {
  if (journaled_) JournalWipe(journalFd_);
  Rollback();
}

void BlockFile::FinishCommit() {
  // The commit is durable. A shrink that does not last only leaves the
  // file longer than its blocks, which is allowed.
  const uint64_t need = uint64_t{BlockCount()} * blockSize_;
  if (fileSize_ > need && Files().Truncate(fd_, need) == 0) fileSize_ = need;
  if (journaled_) JournalRelease(journalFd_);
  for (uint32_t no : dirty_) {
    pages_[no].dirty = false;
    pages_[no].sig = Get32(pages_[no].data.get() + kOffSig);
  }
  dirty_.clear();
  committedCount_ = BlockCount();
  headerDamage_.clear();
}

void BlockFile::Rollback() {
  for (uint32_t no : dirty_) {
    pages_[no].dirty = false;
    DropPage(no);
  }
  dirty_.clear();
  header_ = nullptr;
  if (journaled_) LoadHeader();  // a file being built is dropped whole
}

void BlockFile::Evict() {
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

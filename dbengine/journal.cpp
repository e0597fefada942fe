// Undo journal; see journal.h for the protocol and the layout.
#include "dbengine/journal.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "dbengine/blockfile.h"
#include "dbengine/filelayer.h"
#include "dbengine/result_codes.h"

namespace ffdetail {

namespace {

constexpr uint32_t kUndoMagic = 0x554A4646;    // "FFJU"
constexpr uint32_t kLegacyMagic = 0x4C4A4646;  // "FFJL"
constexpr uint64_t kHeaderA = 0, kHeaderB = 4096, kListA = 8192;
constexpr size_t kHeaderSize = 64, kEntrySize = 24;
constexpr uint64_t kReserve = 256 * 1024;
// Header: magic, block size, old and new block count, entry count, image
// count, list A and list B offsets (64-bit), list digest, group number (0
// in journals of one table, and in those written before groups existed),
// header digest (over the bytes before it).
constexpr size_t kHMagic = 0, kHBlockSize = 4, kHOldCount = 8, kHNewCount = 12, kHEntries = 16,
                 kHImages = 20, kHListA = 24, kHListB = 32, kHListDigest = 40, kHGroup = 48, kHDigest = 56;
// Entry: block number, flags (1: an old image follows), old and new digest.
constexpr uint32_t kHasImage = 1;

uint64_t AlignUp(uint64_t v, uint64_t a) { return (v + a - 1) / a * a; }

struct Header {
  uint32_t BlockSize = 0, OldCount = 0, NewCount = 0, Entries = 0, Images = 0;
  uint64_t ListA = 0, ListB = 0, ListDigest = 0, Group = 0;
};

bool ReadHeader(int fd, uint64_t at, uint64_t journalSize, Header& h) {
  uint8_t b[kHeaderSize];
  if (at + kHeaderSize > journalSize || ReadAll(fd, b, kHeaderSize, at) != static_cast<ssize_t>(kHeaderSize))
    return false;
  if (Get32(b + kHMagic) != kUndoMagic || Get64(b + kHDigest) != Digest64(b, kHDigest)) return false;
  h.BlockSize = Get32(b + kHBlockSize);
  h.OldCount = Get32(b + kHOldCount);
  h.NewCount = Get32(b + kHNewCount);
  h.Entries = Get32(b + kHEntries);
  h.Images = Get32(b + kHImages);
  h.ListA = Get64(b + kHListA);
  h.ListB = Get64(b + kHListB);
  h.ListDigest = Get64(b + kHListDigest);
  h.Group = Get64(b + kHGroup);
  uint64_t listSize = uint64_t{h.Entries} * kEntrySize;
  return h.Images <= h.Entries && h.ListA == kListA && listSize <= journalSize &&
         h.ListB >= kListA + listSize && h.ListB + listSize <= journalSize;
}

uint64_t ImagesStart(const Header& h) { return AlignUp(kListA + uint64_t{h.Entries} * kEntrySize, 4096); }

// The legacy redo journal: header (magic, block size, new block count,
// page count, checksum over everything with its own field zero), then the
// pages, each a block number and the new image.
JournalRecovery ExamineLegacy(int fd, uint64_t journalSize, uint32_t blockSize) {
  JournalRecovery r;
  uint8_t hdr[32];
  if (journalSize < sizeof hdr || ReadAll(fd, hdr, sizeof hdr, 0) != static_cast<ssize_t>(sizeof hdr)) return r;
  if (Get32(hdr + 4) != blockSize) return r;
  uint64_t count = Get32(hdr + 12);
  uint64_t total = sizeof hdr + count * (4 + uint64_t{blockSize});
  if (total > journalSize) return r;  // torn
  std::vector<uint8_t> buf(total);
  if (ReadAll(fd, buf.data(), total, 0) != static_cast<ssize_t>(total)) return r;
  uint32_t sum = Get32(buf.data() + 16);
  Put32(buf.data() + 16, 0);
  if (Checksum(buf.data(), buf.size()) != sum) return r;
  r.What = JournalRecovery::Kind::Redo;
  r.Length = uint64_t{Get32(hdr + 8)} * blockSize;
  r.Images.resize(count * blockSize);
  const uint8_t* p = buf.data() + sizeof hdr;
  for (uint64_t i = 0; i < count; ++i) {
    r.BlockNos.push_back(Get32(p));
    std::memcpy(r.Images.data() + i * blockSize, p + 4, blockSize);
    p += 4 + blockSize;
  }
  return r;
}

}  // namespace

std::string JournalPath(const std::string& tablePath) { return tablePath + ".journal"; }

void JournalWrite(int fd, const std::string& tablePath, uint32_t blockSize, uint32_t oldBlockCount,
                  uint32_t newBlockCount, const std::vector<JournalEntry>& entries, uint64_t group) {
  uint32_t images = 0;
  std::vector<uint8_t> list(entries.size() * kEntrySize);
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* e = list.data() + i * kEntrySize;
    Put32(e, entries[i].BlockNo);
    Put32(e + 4, entries[i].OldImage ? kHasImage : 0);
    Put64(e + 8, entries[i].OldDigest);
    Put64(e + 16, entries[i].NewDigest);
    if (entries[i].OldImage) ++images;
  }
  Header h;
  uint64_t imagesAt = AlignUp(kListA + list.size(), 4096);
  uint8_t hdr[kHeaderSize] = {};
  Put32(hdr + kHMagic, kUndoMagic);
  Put32(hdr + kHBlockSize, blockSize);
  Put32(hdr + kHOldCount, oldBlockCount);
  Put32(hdr + kHNewCount, newBlockCount);
  Put32(hdr + kHEntries, static_cast<uint32_t>(entries.size()));
  Put32(hdr + kHImages, images);
  Put64(hdr + kHListA, kListA);
  Put64(hdr + kHListB, imagesAt + uint64_t{images} * blockSize);
  Put64(hdr + kHListDigest, Digest64(list.data(), list.size()));
  Put64(hdr + kHGroup, group);
  Put64(hdr + kHDigest, Digest64(hdr, kHDigest));

  static const std::vector<uint8_t> zeros(8192, 0);
  std::vector<iovec> iov;
  iov.reserve(entries.size() + 6);
  auto add = [&](const void* p, size_t n) { if (n) iov.push_back({const_cast<void*>(p), n}); };
  add(hdr, kHeaderSize);
  add(zeros.data(), kHeaderB - kHeaderSize);
  add(hdr, kHeaderSize);
  add(zeros.data(), kListA - kHeaderB - kHeaderSize);
  add(list.data(), list.size());
  add(zeros.data(), imagesAt - kListA - list.size());
  for (const auto& e : entries)
    if (e.OldImage) add(e.OldImage, blockSize);
  add(list.data(), list.size());
  int err = WriteAll(fd, iov.data(), static_cast<int>(iov.size()), 0);
  if (err == 0 && Files().DataSync(fd) != 0) err = errno;
  if (err != 0) {
    JournalWipe(fd);
    RaiseWriteError(err, "writing the journal of", tablePath);
  }
}

void JournalWipe(int fd) {
  uint8_t zero[4] = {0, 0, 0, 0};
  // A failed wipe only means that the next open compares the listed
  // blocks with the file and finds the commit finished.
  WriteAll(fd, zero, 4, kHeaderA);
  WriteAll(fd, zero, 4, kHeaderB);
}

void JournalRelease(int fd) {
  int64_t size = Files().Size(fd);
  if (size > static_cast<int64_t>(kReserve) && Files().Truncate(fd, 0) == 0) return;
  JournalWipe(fd);
}

namespace {

// The undo journal's header from either copy.
bool UsableHeader(int fd, Header& h) {
  int64_t size = Files().Size(fd);
  return size >= 0 && (ReadHeader(fd, kHeaderA, static_cast<uint64_t>(size), h) ||
                       ReadHeader(fd, kHeaderB, static_cast<uint64_t>(size), h));
}

}  // namespace

uint32_t JournalBlockSize(int fd) {
  uint8_t b[8];
  if (ReadAll(fd, b, 8, 0) == 8 && Get32(b) == kLegacyMagic) return Get32(b + 4);
  Header h;
  return UsableHeader(fd, h) ? h.BlockSize : 0;
}

uint64_t JournalGroup(int fd) {
  Header h;
  return UsableHeader(fd, h) ? h.Group : 0;
}

namespace {

// An undo journal's header and one intact copy of its list; false for
// none (with neither list the journal was torn before its sync, so
// nothing of its commit reached the table file).
bool ReadUndoList(int fd, uint64_t size, uint32_t blockSize, Header& h, std::vector<uint8_t>& list) {
  if (!ReadHeader(fd, kHeaderA, size, h) && !ReadHeader(fd, kHeaderB, size, h)) return false;
  if (h.BlockSize != blockSize) return false;
  list.resize(uint64_t{h.Entries} * kEntrySize);
  for (uint64_t at : {h.ListA, h.ListB})
    if (ReadAll(fd, list.data(), list.size(), at) == static_cast<ssize_t>(list.size()) &&
        Digest64(list.data(), list.size()) == h.ListDigest)
      return true;
  return false;
}

// The digest of block `no` of the table file as it stands (zeros beyond
// its end).
uint64_t FileDigest(int tableFd, uint64_t tableSize, uint32_t no, std::vector<uint8_t>& block,
                    const std::string& tablePath) {
  const uint64_t at = uint64_t{no} * block.size();
  std::memset(block.data(), 0, block.size());
  if (at < tableSize && ReadAll(tableFd, block.data(), block.size(), at) < 0)
    RaiseSystemError(errno, "reading " + tablePath);
  return Digest64(block.data(), block.size());
}

}  // namespace

bool JournalWrittenInPlace(int fd, int tableFd, uint64_t tableSize, uint32_t blockSize, const std::string& tablePath) {
  Header h;
  std::vector<uint8_t> list, block(blockSize);
  const int64_t size = Files().Size(fd);
  if (size < 0 || !ReadUndoList(fd, static_cast<uint64_t>(size), blockSize, h, list)) return false;
  for (uint32_t i = 0; i < h.Entries; ++i) {
    const uint8_t* e = list.data() + uint64_t{i} * kEntrySize;
    const uint64_t now = FileDigest(tableFd, tableSize, Get32(e), block, tablePath);
    if ((Get32(e + 4) & kHasImage) ? now != Get64(e + 8) : now == Get64(e + 16)) return true;
  }
  return false;
}

JournalRecovery JournalExamine(int fd, int tableFd, uint64_t tableSize, uint32_t blockSize,
                               const std::string& tablePath, bool undo) {
  JournalRecovery r;
  int64_t ssize = Files().Size(fd);
  if (ssize < static_cast<int64_t>(kHeaderSize)) return r;
  uint64_t size = static_cast<uint64_t>(ssize);
  uint8_t magic[4];
  if (ReadAll(fd, magic, 4, 0) == 4 && Get32(magic) == kLegacyMagic) return ExamineLegacy(fd, size, blockSize);
  Header h;
  std::vector<uint8_t> list;
  if (!ReadUndoList(fd, size, blockSize, h, list)) return r;
  auto fail = [&](const std::string& what) {
    RaiseFF(rcFileDamaged, tablePath + ": unfinished commit cannot be undone: " + what);
  };
  // How far did the commit get? Blocks that existed before it first: if
  // one of them is not new yet, the commit is undone.
  std::vector<uint8_t> block(blockSize);
  auto fileDigest = [&](uint32_t no) { return FileDigest(tableFd, tableSize, no, block, tablePath); };
  bool finished = !undo;
  for (uint32_t i = 0; i < h.Entries && finished; ++i) {
    const uint8_t* e = list.data() + uint64_t{i} * kEntrySize;
    if (Get32(e + 4) & kHasImage) finished = fileDigest(Get32(e)) == Get64(e + 16);
  }
  for (uint32_t i = 0; i < h.Entries && finished; ++i) {
    const uint8_t* e = list.data() + uint64_t{i} * kEntrySize;
    if (!(Get32(e + 4) & kHasImage)) finished = fileDigest(Get32(e)) == Get64(e + 16);
  }
  if (finished) {
    r.What = JournalRecovery::Kind::Finished;
    return r;
  }
  r.What = JournalRecovery::Kind::Undo;
  r.Length = uint64_t{h.OldCount} * blockSize;
  uint64_t imageAt = ImagesStart(h);
  for (uint32_t i = 0; i < h.Entries; ++i) {
    const uint8_t* e = list.data() + uint64_t{i} * kEntrySize;
    if (!(Get32(e + 4) & kHasImage)) continue;
    uint32_t no = Get32(e);
    uint64_t at = imageAt;
    imageAt += blockSize;
    if (no >= h.OldCount) fail("journal lists block " + std::to_string(no) + " beyond the old end");
    if (fileDigest(no) == Get64(e + 8)) continue;  // never overwritten
    if (at + blockSize > size || ReadAll(fd, block.data(), blockSize, at) != static_cast<ssize_t>(blockSize) ||
        Digest64(block.data(), blockSize) != Get64(e + 8))
      fail("the journal's copy of block " + std::to_string(no) + " is damaged");
    r.BlockNos.push_back(no);
    r.Images.insert(r.Images.end(), block.begin(), block.end());
  }
  return r;
}

// ---- group record -----------------------------------------------------------
//
// Magic "FFJG", group number (64-bit), table count, then each table's file
// name (16-bit length and its bytes), then a digest of everything before it.

namespace {
constexpr uint32_t kGroupMagic = 0x474A4646;  // "FFJG"
}

std::string GroupRecordPath(const std::string& tablePath) { return FolderPart(tablePath) + "FFGROUP.journal"; }

void GroupRecordWrite(const std::string& path, uint64_t group, const std::vector<std::string>& tables) {
  std::vector<uint8_t> rec(16);
  Put32(rec.data(), kGroupMagic);
  Put64(rec.data() + 4, group);
  Put32(rec.data() + 12, static_cast<uint32_t>(tables.size()));
  for (const std::string& t : tables) {
    uint8_t len[2];
    Put16(len, static_cast<uint16_t>(t.size()));
    rec.insert(rec.end(), len, len + 2);
    rec.insert(rec.end(), t.begin(), t.end());
  }
  uint8_t digest[8];
  Put64(digest, Digest64(rec.data(), rec.size()));
  rec.insert(rec.end(), digest, digest + 8);
  // A failure names the group's first table: the user knows the tables,
  // not the record beside them.
  const std::string named = tables.empty() ? path : FolderPart(path) + tables.front();
  int fd = Files().Open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) RaiseWriteError(errno, "writing the group record of", named);
  int err = WriteAll(fd, rec.data(), rec.size(), 0);
  if (err == 0 && Files().DataSync(fd) != 0) err = errno;
  Files().Close(fd);
  if (err != 0) {
    Files().Unlink(path);
    RaiseWriteError(err, "writing the group record of", named);
  }
  Files().SyncDirOf(path);
}

bool GroupRecordRead(const std::string& path, uint64_t& group, std::vector<std::string>& tables) {
  int fd = Files().Open(path, O_RDONLY, 0);
  if (fd < 0) return false;
  int64_t size = Files().Size(fd);
  std::vector<uint8_t> rec(size > 24 && size < (1 << 20) ? static_cast<size_t>(size) : 0);
  bool ok = !rec.empty() && ReadAll(fd, rec.data(), rec.size(), 0) == static_cast<ssize_t>(rec.size());
  Files().Close(fd);
  const size_t body = rec.size() - 8;
  if (!ok || Get32(rec.data()) != kGroupMagic || Get64(rec.data() + body) != Digest64(rec.data(), body)) return false;
  group = Get64(rec.data() + 4);
  tables.clear();
  size_t at = 16;
  for (uint32_t i = Get32(rec.data() + 12); i > 0; --i) {
    if (at + 2 > body || at + 2 + Get16(rec.data() + at) > body) return false;
    tables.emplace_back(reinterpret_cast<const char*>(rec.data() + at + 2), Get16(rec.data() + at));
    at += 2 + Get16(rec.data() + at);
  }
  return true;
}

void GroupRecordRemove(const std::string& path) {
  if (Files().Unlink(path) != 0 && errno != ENOENT) RaiseWriteError(errno, "removing", path);
  Files().SyncDirOf(path);
}

}  // namespace ffdetail

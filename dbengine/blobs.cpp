// BLOB store; see blobs.h for the chain layout and invariants.
#include "dbengine/blobs.h"

#include <algorithm>

#include "dbengine/result_codes.h"

namespace ffdetail {

namespace {
constexpr size_t kTotal = 16, kUsed = 20, kFlags = 24, kData = 32;
}

BlobStore::BlobStore(BlockFile& file)
    : file_(file), cap_(file.BlockSize() - static_cast<uint32_t>(kData)) {}

const uint8_t* BlobStore::First(uint32_t first) {
  const uint8_t* p = file_.Read(first, kSigBlob);
  if (Get32(p + kFlags) != 1) file_.Damaged("BLOB reference to block " + std::to_string(first) + " is not a chain start");
  return p;
}

uint32_t BlobStore::Write(const uint8_t* data, uint32_t length) {
  if (length == 0) return 0;
  uint32_t first = 0, prev = 0, done = 0;
  while (done < length) {
    uint32_t b;
    uint8_t* p = file_.Allocate(kSigBlob, &b);
    uint32_t n = std::min(cap_, length - done);
    Put32(p + kUsed, n);
    std::memcpy(p + kData, data + done, n);
    if (!first) {
      first = b;
      Put32(p + kTotal, length);
      Put32(p + kFlags, 1);
    } else {
      Put32(file_.Write(prev, kSigBlob) + kOffNext, b);
    }
    prev = b;
    done += n;
  }
  return first;
}

uint32_t BlobStore::Copy(uint32_t first) {
  if (first == 0) return 0;
  std::string all = ReadAll(first);
  return Write(reinterpret_cast<const uint8_t*>(all.data()), static_cast<uint32_t>(all.size()));
}

uint32_t BlobStore::Size(uint32_t first) { return first ? Get32(First(first) + kTotal) : 0; }

uint32_t BlobStore::Read(uint32_t first, uint32_t offset, uint32_t length, uint8_t* dest) {
  if (first == 0) return 0;
  const uint8_t* p = First(first);
  uint32_t total = Get32(p + kTotal);
  if (offset >= total) return 0;
  length = std::min(length, total - offset);
  uint32_t b = first, skip = offset / cap_, in = offset % cap_, done = 0;
  for (uint32_t i = 0; i < skip; ++i) {
    b = Get32(p + kOffNext);
    if (b == 0) file_.Damaged("BLOB chain shorter than its length");
    p = file_.Read(b, kSigBlob);
  }
  while (done < length) {
    uint32_t used = Get32(p + kUsed);
    if (used > cap_ || in >= used) file_.Damaged("BLOB block " + std::to_string(b) + " does not fit its chain");
    uint32_t n = std::min(used - in, length - done);
    std::memcpy(dest + done, p + kData + in, n);
    done += n;
    in = 0;
    if (done < length) {
      b = Get32(p + kOffNext);
      if (b == 0) file_.Damaged("BLOB chain shorter than its length");
      p = file_.Read(b, kSigBlob);
    }
  }
  return done;
}

std::string BlobStore::ReadAll(uint32_t first) {
  uint32_t n = Size(first);
  // The length is checked against the file before anything is allocated.
  if (uint64_t{n} > uint64_t{file_.BlockCount()} * file_.BlockSize())
    file_.Damaged("BLOB length beyond the file size");
  std::string s(n, '\0');
  uint32_t got = Read(first, 0, n, reinterpret_cast<uint8_t*>(s.data()));
  s.resize(got);
  return s;
}

void BlobStore::Free(uint32_t first) {
  if (first == 0) return;
  uint32_t total = Get32(First(first) + kTotal);
  uint32_t blocks = total / cap_ + 1;
  uint32_t b = first;
  while (b != 0) {
    if (blocks-- == 0) file_.Damaged("BLOB chain longer than its length");
    uint32_t next = Get32(file_.Read(b, kSigBlob) + kOffNext);
    file_.Free(b);
    b = next;
  }
}

void BlobStore::Check(uint32_t first, std::vector<std::string>& problems,
                      std::vector<uint8_t>& blockUse) {
  std::string where = "BLOB " + std::to_string(first) + ": ";
  const uint8_t* p = First(first);
  uint32_t total = Get32(p + kTotal), seen = 0, b = first;
  while (b != 0) {
    if (b >= blockUse.size() || blockUse[b]) {
      problems.push_back(where + "block " + std::to_string(b) + " used twice");
      return;
    }
    blockUse[b] = 1;
    p = file_.Read(b, kSigBlob);
    uint32_t used = Get32(p + kUsed);
    uint32_t next = Get32(p + kOffNext);
    if (used == 0 || used > cap_ || (next != 0 && used != cap_)) {
      problems.push_back(where + "block " + std::to_string(b) + " has a wrong fill");
      return;
    }
    seen += used;
    b = next;
  }
  if (seen != total) problems.push_back(where + "length " + std::to_string(total) + " but chain holds " + std::to_string(seen));
}

}  // namespace ffdetail

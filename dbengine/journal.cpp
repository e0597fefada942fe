// Redo journal; see journal.h for the protocol and its invariant.
#include "dbengine/journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "dbengine/blockfile.h"
#include "dbengine/result_codes.h"

namespace ffdetail {

namespace {

constexpr uint32_t kJournalMagic = 0x4C4A4646;  // "FFJL"
constexpr size_t kHeaderSize = 32;
// Header: magic, block size, new block count, page count, checksum (over the
// header with this field zero, and everything after it), 12 bytes spare.

[[noreturn]] void RaiseIo(int err, const char* what) {
  if (err == ENOSPC || err == EFBIG || err == EDQUOT) RaiseFF(rcDiskFull, what);
  RaiseFF(rcIOError, std::string(what) + ": " + std::strerror(err));
}

}  // namespace

std::string JournalPath(const std::string& tablePath) { return tablePath + ".journal"; }

void JournalWrite(int fd, uint32_t blockSize, uint32_t newBlockCount,
                  const std::vector<JournalPage>& pages) {
  size_t entry = 4 + blockSize;
  std::vector<uint8_t> buf(kHeaderSize + pages.size() * entry);
  uint8_t* p = buf.data() + kHeaderSize;
  for (const auto& pg : pages) {
    Put32(p, pg.BlockNo);
    std::memcpy(p + 4, pg.Data, blockSize);
    p += entry;
  }
  Put32(buf.data(), kJournalMagic);
  Put32(buf.data() + 4, blockSize);
  Put32(buf.data() + 8, newBlockCount);
  Put32(buf.data() + 12, static_cast<uint32_t>(pages.size()));
  Put32(buf.data() + 16, 0);
  Put32(buf.data() + 16, Checksum(buf.data(), buf.size()));
  size_t done = 0;
  while (done < buf.size()) {
    ssize_t n = pwrite(fd, buf.data() + done, buf.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      JournalWipe(fd);
      RaiseIo(err, "writing the journal");
    }
    done += static_cast<size_t>(n);
  }
  if (fdatasync(fd) != 0) {
    int err = errno;
    JournalWipe(fd);
    RaiseIo(err, "syncing the journal");
  }
}

void JournalWipe(int fd) {
  uint8_t zero[4] = {0, 0, 0, 0};
  // A failed wipe only means the next open replays this commit once more.
  [[maybe_unused]] ssize_t n = pwrite(fd, zero, 4, 0);
}

JournalContents JournalRead(int fd, uint32_t blockSize) {
  JournalContents jc;
  struct stat st;
  if (fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(kHeaderSize)) return jc;
  uint8_t hdr[kHeaderSize];
  if (pread(fd, hdr, kHeaderSize, 0) != static_cast<ssize_t>(kHeaderSize)) return jc;
  if (Get32(hdr) != kJournalMagic || Get32(hdr + 4) != blockSize) return jc;
  uint64_t count = Get32(hdr + 12);
  uint64_t total = kHeaderSize + count * (4 + uint64_t{blockSize});
  if (total > static_cast<uint64_t>(st.st_size)) return jc;  // torn
  std::vector<uint8_t> buf(total);
  if (pread(fd, buf.data(), total, 0) != static_cast<ssize_t>(total)) return jc;
  uint32_t sum = Get32(buf.data() + 16);
  Put32(buf.data() + 16, 0);
  if (Checksum(buf.data(), buf.size()) != sum) return jc;
  jc.NewBlockCount = Get32(hdr + 8);
  jc.Images.resize(count * blockSize);
  const uint8_t* p = buf.data() + kHeaderSize;
  for (uint64_t i = 0; i < count; ++i) {
    jc.BlockNos.push_back(Get32(p));
    std::memcpy(jc.Images.data() + i * blockSize, p + 4, blockSize);
    p += 4 + blockSize;
  }
  jc.Valid = true;
  return jc;
}

}  // namespace ffdetail

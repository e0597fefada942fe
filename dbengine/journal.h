// Redo journal: makes a set of block writes atomic and durable.
//
// A commit first writes every changed block, whole, into the journal file
// "<table file>.journal" behind a header that names the file's new block
// count and carries a checksum over header and contents; the journal is
// synced; only then are the blocks written to the table file in place and
// that file synced; last the journal header is wiped. A crash before the
// journal sync leaves the table file untouched (the torn journal fails its
// checksum and is ignored); a crash after it leaves a valid journal that
// the next open replays (writing the same images again is harmless), so
// the table always holds either all or none of a commit.
//
// Invariant between calls: the journal file is absent (no commit since the
// table was opened), empty, wiped, or holds exactly one complete commit
// whose blocks may or may not be in the table file yet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ffdetail {

struct JournalPage {
  uint32_t BlockNo;
  const uint8_t* Data;
};

std::string JournalPath(const std::string& tablePath);

// Writes and syncs one commit into the journal; raises rcDiskFull or
// rcIOError (the table file is then untouched).
void JournalWrite(int fd, uint32_t blockSize, uint32_t newBlockCount,
                  const std::vector<JournalPage>& pages);
// Marks the journal as applied.
void JournalWipe(int fd);

struct JournalContents {
  bool Valid = false;
  uint32_t NewBlockCount = 0;
  std::vector<uint32_t> BlockNos;
  std::vector<uint8_t> Images;  // BlockNos.size() blocks, in order
};
// Reads the journal; a missing, wiped, torn or foreign journal gives
// Valid = false. Never allocates more than the file's size.
JournalContents JournalRead(int fd, uint32_t blockSize);

}  // namespace ffdetail

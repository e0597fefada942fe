// Undo journal: makes a set of block writes atomic and durable.
//
// Before a commit writes anything in place, the journal file
// "<table file>.journal" receives the table file's old block count and,
// for every block the commit writes, its number and the digests of its old
// and new contents; a block that existed before the commit also leaves its
// old image. Blocks beyond the old end leave no image: cutting the file
// back to its old length undoes them. The journal is synced; then the
// blocks are written in place and the table file is synced, which is the
// moment the commit is durable; last the journal is wiped (or cut back to
// a small reserve) without a sync of its own.
//
// Opening a table reads a journal it finds and compares the listed blocks
// with the file: all new means the commit finished (a wipe was lost);
// otherwise the old images are written back and the file is cut to its old
// length. A torn journal (one whose sync never happened, so nothing was
// written in place) fails its digests and is ignored.
//
// Layout: a 64-byte header at offset 0 and a second copy at 4096; the list
// of blocks at 8192; the old images from the next multiple of 4096 on, one
// block each; a second copy of the list after them. Each header carries a
// digest of itself and of the list, each old image is checked against its
// old digest, so damage confined to one 4 KiB stretch of the journal never
// goes unnoticed: the other copy serves, or an image that is needed and
// damaged makes the open fail with rcFileDamaged instead of leaving half a
// commit in place.
//
// A journal in the earlier redo format ("FFJL": new images to write again)
// is still replayed.
//
// Several tables of one folder committed as one (a group): first a group
// record "FFGROUP.journal" in the folder names the tables and a group
// number, and is synced with its directory entry; then each table's
// journal, carrying that number, is written and synced; then every table
// is written in place and synced; then the group record is removed and the
// removal made durable, which is the moment the group is committed; last
// the journals are released. A journal that names a group whose record is
// still there (with its number) belongs to a group that did not commit:
// every table of it is undone, also one whose own blocks are all new, and
// only then is the record removed; the journals are wiped after that. A
// journal naming a group whose record is gone belongs to a committed group
// (or to one given up before anything was written in place): it is spent.
//
// The journals are written, and spent when a group is given up, in the
// order the record names the tables. A table named by a record without
// carrying a journal of its group was cut off before its journal,
// harmless while no table after it has one and none of the group was
// written in place; else its journal was lost (removed or cut from
// outside) and what reached the file cannot be undone: it is refused as
// damaged, and the record, once the others are undone, names such tables
// alone with group number 0, so that they stay refused until built anew.
// A torn record, or one that no journal carries, was never relied on:
// opening a table for writing removes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ffdetail {

std::string JournalPath(const std::string& tablePath);

struct JournalEntry {
  uint32_t BlockNo = 0;
  const uint8_t* OldImage = nullptr;  // null: the block is beyond the old end
  uint64_t OldDigest = 0;
  uint64_t NewDigest = 0;
};

// Writes and syncs one commit's journal; raises rcDiskFull or rcIOError
// naming the table `tablePath` (the table file is then untouched).
// `group` is the group number, 0 for a commit of this table alone.
void JournalWrite(int fd, const std::string& tablePath, uint32_t blockSize, uint32_t oldBlockCount,
                  uint32_t newBlockCount, const std::vector<JournalEntry>& entries, uint64_t group = 0);
// Marks the journal as spent: wipes both headers, and gives the space of a
// journal larger than a small reserve back to the file system.
void JournalRelease(int fd);
// Wipes both headers only.
void JournalWipe(int fd);

struct JournalRecovery {
  enum class Kind { None, Finished, Undo, Redo } What = Kind::None;
  std::vector<uint32_t> BlockNos;  // blocks to put back (Undo) or write (Redo)
  std::vector<uint8_t> Images;     // their contents, in order
  uint64_t Length = 0;             // file length afterwards (Undo, Redo)
};
// Works out what a journal found on opening asks for, reading the table
// file `tableFd` (of `tableSize` bytes) to see how far the commit got.
// Raises rcFileDamaged when the commit must be undone and the journal
// cannot do it. Never allocates more than the journal's size. `undo`: the
// commit is undone even when all of its blocks are new (its group did not
// commit).
JournalRecovery JournalExamine(int fd, int tableFd, uint64_t tableSize, uint32_t blockSize,
                               const std::string& tablePath, bool undo = false);
// True when some block of the journal's commit reached the table file
// (a usable undo journal only).
bool JournalWrittenInPlace(int fd, int tableFd, uint64_t tableSize, uint32_t blockSize, const std::string& tablePath);
// The block size a journal was written for (0: no usable journal).
uint32_t JournalBlockSize(int fd);
// The group number a usable journal carries (0: none, or no usable journal).
uint64_t JournalGroup(int fd);

// The group record of the folder that holds `tablePath`.
std::string GroupRecordPath(const std::string& tablePath);
// Writes and syncs the record of a group of tables (file names within the
// folder), its directory entry too; raises rcDiskFull or rcIOError.
void GroupRecordWrite(const std::string& path, uint64_t group, const std::vector<std::string>& tables);
// False when there is no whole record; a torn one was never relied on.
bool GroupRecordRead(const std::string& path, uint64_t& group, std::vector<std::string>& tables);
// Removes the record durably; raises rcIOError when it stays.
void GroupRecordRemove(const std::string& path);

}  // namespace ffdetail

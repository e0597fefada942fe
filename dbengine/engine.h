// Public interface of the table engine: building, opening and removing
// table files, and cursors that read and write their records, keys and
// BLOBs. This is what the call-level client builds on.
//
// Model:
//  - A table is one file "<NAME>.FFD". Within a process every open of the
//    same file shares one TffTable (through std::shared_ptr); all cursors of
//    the process see each other's committed changes as soon as they
//    reposition. Between processes a table open for writing is held under
//    an exclusive advisory lock; read-only opens share a lock.
//  - Every insert, modify and delete is atomic and durable before it
//    returns, unless the table is inside an explicit transaction, which then
//    commits as a whole (or not at all).
//  - Errors raise EffException (result_codes.h). Moving past either end is
//    not an error: the navigation calls return false.
//  - Field and index numbers are 0-based; kPhysicalOrder selects the
//    record order of the file instead of an index.
//  - A table and its cursors are used by one thread at a time (the
//    in-process server calls them from its one thread); only opening and
//    closing tables is guarded for use from several threads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbengine/dictionary.h"
#include "dbengine/result_codes.h"

namespace ffdetail {
class TableImpl;
class CursorImpl;
}  // namespace ffdetail

constexpr int kPhysicalOrder = -1;

// A position that a cursor can return to; compared through the cursor
// (order of its index). Ref 0 is no bookmark.
struct TffBookmark {
  uint64_t Ref = 0;
  bool operator==(const TffBookmark&) const = default;
};
constexpr int ffBookmarkSize = sizeof(TffBookmark);

enum class TffOpenMode { ReadOnly, ReadWrite };
enum class TffShareMode { Shared, Exclusive };

class TffCursor;

class TffTable {
public:
  // Builds "<path>" from the dictionary (the table keeps its own locked
  // copy). Raises rcTableExists when the file exists and overwrite is off;
  // leaves no partial file behind on failure.
  static void Create(const std::string& path, const TffDataDictionary& dict, bool overwrite);
  // Opens a table; a second open of the same file in this process returns
  // the same object (upgraded to writing when asked). Raises rcNoSuchTable,
  // rcFileDamaged, rcTableInUse, rcNotExclusive.
  static std::shared_ptr<TffTable> Open(const std::string& path,
                                        TffOpenMode mode = TffOpenMode::ReadWrite,
                                        TffShareMode share = TffShareMode::Shared);
  // Removes the file; raises rcNoSuchTable when it does not exist and
  // rcTableInUse while it is open anywhere.
  static void Delete(const std::string& path);
  static bool Exists(const std::string& path);

  ~TffTable();
  TffTable(const TffTable&) = delete;
  TffTable& operator=(const TffTable&) = delete;

  const std::string& Path() const;
  const TffDataDictionary& Dictionary() const;
  bool ReadOnly() const;
  bool Exclusive() const;
  uint32_t RecordCount() const;

  // Removes every record and BLOB; the file shrinks to its empty size.
  void EmptyTable();

  // Explicit transactions group many changes into one durable commit.
  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const;
  // Commits the transactions of several tables of one folder as one: a
  // crash at any moment leaves, at the next open of any of them, all of
  // their changes or none. Raises like Commit, every table then rolled
  // back (or, when the failure came while writing in place, refusing
  // further calls until opened again, which settles the group).
  static void CommitTogether(const std::vector<TffTable*>& tables);

  std::unique_ptr<TffCursor> OpenCursor(int indexNo = kPhysicalOrder);

  // Walks every structure of the file (header, free lists, data, BLOB
  // chains, each index tree against the records); returns the problems
  // found, empty when consistent.
  std::vector<std::string> CheckConsistency();

  // Number of blocks in the file (for space-reuse checks and tests).
  uint32_t BlockCount() const;

  ffdetail::TableImpl& Impl() { return *impl_; }

private:
  friend class ffdetail::TableImpl;
  explicit TffTable(std::unique_ptr<ffdetail::TableImpl> impl);
  std::unique_ptr<ffdetail::TableImpl> impl_;
};

class TffCursor {
public:
  ~TffCursor();
  TffCursor(const TffCursor&) = delete;
  TffCursor& operator=(const TffCursor&) = delete;

  TffTable& Table();
  const TffDataDictionary& Dictionary() const;
  int RecordLength() const;  // size of a record buffer

  // ---- index ----
  int IndexNo() const;  // kPhysicalOrder or an index number
  // Switches the order; drops the range; stays on the current record.
  void SwitchToIndex(int indexNo);
  void SwitchToIndex(const AnsiString& name);  // raises rcNoSuchIndex
  int IndexFieldCount() const;                 // 0 in physical order

  // A second cursor on the same table with this one's index, range and
  // position.
  std::unique_ptr<TffCursor> Clone() const;

  // ---- navigation ----
  void SetToBegin();  // before the first record (of the range)
  void SetToEnd();    // after the last record (of the range)
  // Each moves and copies the record into `rec` (when not null); false at
  // the end, the cursor then lies before the first / after the last.
  bool First(uint8_t* rec);
  bool Last(uint8_t* rec);
  bool Next(uint8_t* rec);
  bool Prior(uint8_t* rec);
  // Copies the current record; false when the cursor is not on a record
  // (at an end, or its record was deleted).
  bool GetRecord(uint8_t* rec);
  bool OnRecord() const;

  // ---- bookmarks ----
  TffBookmark GetBookmark() const;  // Ref 0 when not on a record
  // Positions on the bookmarked record; raises rcInvalidBookmark when it no
  // longer exists (the position stays).
  void GotoBookmark(const TffBookmark& bm);
  bool BookmarkValid(const TffBookmark& bm);
  // -1, 0 or 1 in the cursor's order.
  int CompareBookmarks(const TffBookmark& a, const TffBookmark& b);

  // ---- keys ----
  // The key values come from a record buffer holding the key fields.
  // fieldCount: leading key fields used (0 = all); partialLen: when > 0,
  // only that many characters of the last used field (a short string) count.
  // FindKey positions on the first record whose key equals and returns true,
  // or returns false leaving the position unchanged. FindNearest positions on
  // the first record at or after the key in index order (on a descending
  // index: the first whose key is not greater) and returns false when there
  // is none (the cursor then lies at the end).
  bool FindKey(const uint8_t* keyRec, int fieldCount = 0, int partialLen = 0);
  bool FindNearest(const uint8_t* keyRec, int fieldCount = 0, int partialLen = 0);
  // Compares the cursor's current record with a key as FindKey would:
  // -1/0/1 in index order.
  int CompareKeyWithCurrent(const uint8_t* keyRec, int fieldCount = 0, int partialLen = 0);

  // ---- ranges ----
  // Limits the cursor to the records whose leading key fields lie between
  // the bounds in index order (on a descending index the start is the larger
  // value). A null record leaves that end open. Positions before the first.
  void SetRange(const uint8_t* startRec, int startFields, bool startInclusive,
                const uint8_t* endRec, int endFields, bool endInclusive);
  void ResetRange();
  bool HasRange() const;
  // Records within the range (the whole table without one).
  uint32_t RecordCountInRange();

  // ---- changes ----
  // Inserts and positions on the new record. Raises rcKeyViolation (nothing
  // changed), rcRequiredFieldMissing, rcTableReadOnly, rcDiskFull.
  void InsertRecord(const uint8_t* rec);
  // Replaces the current record; all indexes follow; BLOBs written through
  // this buffer are stored now, replaced ones freed.
  void ModifyRecord(const uint8_t* rec);
  // Deletes the current record and its BLOBs; the cursor then lies between
  // its neighbours (Next/Prior go on from there).
  void DeleteRecord();

  // ---- BLOBs ----
  // BLOB fields are read from a record buffer. Writes are kept with the
  // buffer (its reference then names the pending value) and stored by the
  // next InsertRecord/ModifyRecord of that buffer; DiscardBlobs forgets
  // them and gives the fields back the references (or nulls) they held
  // before the first write. After the post the buffer's references
  // are spent: read the record again before reading its BLOBs. A null BLOB
  // differs from an empty one.
  uint32_t BlobSize(const uint8_t* rec, int field);
  bool BlobIsNull(const uint8_t* rec, int field);
  // Reads up to `length` bytes from `offset`; returns the bytes read. When
  // fewer than asked were read, *endReached is set (end of BLOB).
  uint32_t ReadBlob(const uint8_t* rec, int field, uint32_t offset, uint32_t length, void* dest,
                    bool* endReached = nullptr);
  std::string ReadBlobAll(const uint8_t* rec, int field);
  void WriteBlob(uint8_t* rec, int field, const void* data, uint32_t length);
  // Writes a piece at `offset` (the value grows as needed; a gap before the
  // offset reads as zero bytes); repeated pieces cost only their own size.
  void WriteBlobAt(uint8_t* rec, int field, uint32_t offset, const void* data, uint32_t length);
  void TruncateBlob(uint8_t* rec, int field, uint32_t newLength);
  void SetBlobNull(uint8_t* rec, int field);
  void DiscardBlobs(uint8_t* rec);

private:
  friend class TffTable;
  explicit TffCursor(std::unique_ptr<ffdetail::CursorImpl> impl);
  std::unique_ptr<ffdetail::CursorImpl> impl_;
};

// Table layer: one open table file with its dictionary, record store, BLOB
// store and index trees, and the cursors over it. Every change runs as one
// operation: checks first (required fields, unique keys), then the record,
// its BLOBs and every index are changed in the block cache and committed
// together (or, inside an explicit transaction, at its commit).
//
// Invariants between operations:
//  - every index holds exactly one entry (key of the record, reference) per
//    record in use, and nothing else;
//  - outside an explicit transaction the block cache holds no change;
//  - Version() changes with every change (and rollback), so a cursor that
//    saw an older version finds its place again by key and reference.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dbengine/blobs.h"
#include "dbengine/blockfile.h"
#include "dbengine/btree.h"
#include "dbengine/engine.h"
#include "dbengine/keys.h"
#include "dbengine/records.h"

namespace ffdetail {

// A BLOB value written through a record buffer and not yet stored: the
// buffer's reference is kPendingBit | id.
constexpr uint32_t kPendingBit = 0x80000000u;
struct PendingBlob {
  std::string Data;
  CursorImpl* Owner = nullptr;
  uint32_t OriginalRef = 0;  // what the buffer held before the first write
  bool OriginalNull = true;
};

class TableImpl {
public:
  TableImpl(const std::string& path, TffOpenMode mode, TffShareMode share);
  ~TableImpl();

  static void BuildFile(const std::string& path, const TffDataDictionary& dict);
  static void Validate(const TffDataDictionary& dict);

  const std::string& Path() const { return path_; }
  const TffDataDictionary& Dict() const { return *dict_; }
  BlockFile& File() { return file_; }
  RecordStore& Records() { return *records_; }
  // The record at `ref` as the file holds it; raises rcFileDamaged when it
  // holds what the engine never writes (see StoredRecord in table.cpp).
  const uint8_t* StoredRecord(uint64_t ref);
  BlobStore& Blobs() { return *blobs_; }
  BTree& Tree(int i) { return *trees_[static_cast<size_t>(i)]; }
  const KeySpec& Spec(int i) const { return *specs_[static_cast<size_t>(i)]; }
  uint64_t Version() const { return version_; }
  bool ReadOnly() const { return !file_.Writable(); }
  bool Exclusive() const { return exclusive_; }
  bool InTransaction() const { return inTx_; }
  std::weak_ptr<TffTable>& Self() { return self_; }

  void UpgradeToWrite();
  void StartTransaction();
  void Commit();
  static void CommitGroup(const std::vector<TableImpl*>& tables);
  void Rollback();
  void EmptyTable();

  // Stores a new record; `position` (when given) receives where its entry
  // stands in index `positionIndex`.
  uint64_t Insert(const uint8_t* rec, int positionIndex = -1, BPos* position = nullptr);
  void Modify(uint64_t ref, const uint8_t* rec);
  void Delete(uint64_t ref);

  uint32_t AddPending(PendingBlob blob);
  PendingBlob* FindPending(uint32_t ref);
  // Raises for a pending reference that FindPending does not know:
  // rcFileDamaged when it was never given out, else rcBlobNotOpen.
  [[noreturn]] void MissingPending(uint32_t ref) const;
  void DropPending(uint32_t id);
  void DropPendingOf(CursorImpl* owner);

  std::vector<std::string> Check();
  void Trim() {
    if (!inTx_) file_.Trim();
  }

private:
  template <typename F>
  void Change(F&& body);
  void LoadLayout();
  void CheckWritable() const;
  static bool Walks();
  void WalkBeforeFirstChange();
  void VerifyAfterCommit();
  // Blocks of file per consistency walk on large files (see table.cpp).
  static constexpr uint32_t kBlocksPerWalk = 256;
  void CheckRequired(const uint8_t* rec) const;
  uint32_t StoreBlob(uint32_t ref, uint32_t oldRef, bool forInsert, std::vector<uint32_t>& used);

  std::string path_;
  BlockFile file_;
  int lockFd_ = -1;
  bool exclusive_ = false;
  bool inTx_ = false;
  int wholeBefore_ = -1;  // walks only: -1 not walked yet, 1 whole, 0 damaged
  uint32_t commitsSinceWalk_ = 0;
  uint64_t version_ = 1;
  std::unique_ptr<TffDataDictionary> dict_;
  std::vector<std::unique_ptr<KeySpec>> specs_;
  std::vector<std::unique_ptr<BTree>> trees_;
  std::unique_ptr<RecordStore> records_;
  std::unique_ptr<BlobStore> blobs_;
  std::map<uint32_t, PendingBlob> pending_;
  uint32_t nextPending_ = 1;
  std::weak_ptr<TffTable> self_;
};

}  // namespace ffdetail

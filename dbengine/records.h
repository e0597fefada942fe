// Record store: fixed-length records in data blocks ("FFDH").
//
// A data block holds, after the common header, the previous data block and
// its sequence number (the order in which data blocks were added), then
// slots of one flag byte and max(record length, 8) bytes. A record
// reference is (block << 16) | slot. Data blocks form a doubly linked chain
// from the header's first to its last data block; the physical record order
// is that chain's order, slots ascending.
//
// Invariants between calls:
//  - a slot is in use (flag 1) or free (flag 0, its first 8 bytes the next
//    free reference); the free slots form one chain from the header, and
//    used plus free slots make up every slot of every data block;
//  - the header's record count equals the number of slots in use;
//  - data blocks are never freed while the table lives (emptying the table
//    starts the file over), so references order stably.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dbengine/blockfile.h"

namespace ffdetail {

constexpr uint64_t MakeRef(uint32_t block, uint32_t slot) { return uint64_t{block} << 16 | slot; }
constexpr uint32_t RefBlock(uint64_t ref) { return static_cast<uint32_t>(ref >> 16); }
constexpr uint32_t RefSlot(uint64_t ref) { return static_cast<uint32_t>(ref & 0xFFFF); }

class RecordStore {
public:
  RecordStore(BlockFile& file, int recordLength);

  uint64_t Allocate();  // a free slot, now in use
  void Free(uint64_t ref);
  const uint8_t* Read(uint64_t ref);  // raises rcFileDamaged when not in use
  uint8_t* Write(uint64_t ref);
  bool IsLive(uint64_t ref);  // never raises
  bool IsDataBlock(uint32_t block);  // never raises
  // Asks the memory for a record whose block is in the cache, so that
  // reading it soon after does not wait (a hint: never raises).
  void Prefetch(uint64_t ref) const {
    if (const uint8_t* b = file_.Cached(RefBlock(ref)))
      if (RefSlot(ref) < static_cast<uint32_t>(slotsPerBlock_)) {
        const uint8_t* slot = b + kSlotsOffset + size_t{RefSlot(ref)} * static_cast<size_t>(slotSize_);
        for (int at = 0; at < slotSize_; at += 64) __builtin_prefetch(slot + at);
      }
  }
  static constexpr size_t kSlotsOffset = 24;

  // Physical order; 0 when there is none.
  uint64_t First();
  uint64_t Last();
  uint64_t Next(uint64_t ref);
  uint64_t Prior(uint64_t ref);
  int ComparePhysical(uint64_t a, uint64_t b);

  // Walks the chain and the free list; visits each record in use.
  void Check(std::vector<std::string>& problems,
             const std::function<void(uint64_t ref, const uint8_t* rec)>& visit,
             std::vector<uint8_t>& blockUse);

private:
  const uint8_t* Block(uint32_t b);
  uint64_t ScanFrom(uint32_t block, int slot, bool forward);
  BlockFile& file_;
  int recLen_;
  int slotSize_;
  int slotsPerBlock_;
};

}  // namespace ffdetail

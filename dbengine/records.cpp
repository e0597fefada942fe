// Record store; see records.h for the slot layout and invariants.
#include "dbengine/records.h"

#include "dbengine/result_codes.h"

namespace ffdetail {

namespace {
constexpr size_t kPrevData = 16, kSeq = 20, kSlots = RecordStore::kSlotsOffset;
}

RecordStore::RecordStore(BlockFile& file, int recordLength)
    : file_(file), recLen_(recordLength), slotSize_(1 + std::max(recordLength, 8)) {
  slotsPerBlock_ = static_cast<int>((file.BlockSize() - kSlots) / static_cast<uint32_t>(slotSize_));
}

const uint8_t* RecordStore::Block(uint32_t b) { return file_.Read(b, kSigData); }

uint64_t RecordStore::Allocate() {
  uint8_t* h = file_.HeaderForWrite();
  uint64_t head = Get64(h + kHdrFreeSlot);
  if (head == 0) {
    uint32_t nb;
    uint8_t* p = file_.Allocate(kSigData, &nb);
    h = file_.HeaderForWrite();
    uint32_t last = Get32(h + kHdrLastData);
    Put32(p + kPrevData, last);
    Put32(p + kSeq, Get32(h + kHdrDataSeq));
    Put32(h + kHdrDataSeq, Get32(h + kHdrDataSeq) + 1);
    // Chain the new slots so that the lowest comes first.
    for (int s = slotsPerBlock_ - 1; s >= 0; --s) {
      uint8_t* slot = p + kSlots + static_cast<size_t>(s) * slotSize_;
      slot[0] = 0;
      Put64(slot + 1, head);
      head = MakeRef(nb, static_cast<uint32_t>(s));
    }
    if (last) Put32(file_.Write(last, kSigData) + kOffNext, nb);
    else Put32(h + kHdrFirstData, nb);
    Put32(h + kHdrLastData, nb);
  }
  uint32_t b = RefBlock(head);
  int s = static_cast<int>(RefSlot(head));
  if (s >= slotsPerBlock_) file_.Damaged("free slot chain points outside a block");
  uint8_t* slot = file_.Write(b, kSigData) + kSlots + static_cast<size_t>(s) * slotSize_;
  if (slot[0] != 0) file_.Damaged("free slot chain holds a record in use");
  Put64(h + kHdrFreeSlot, Get64(slot + 1));
  slot[0] = 1;
  std::memset(slot + 1, 0, static_cast<size_t>(slotSize_ - 1));
  Put32(h + kHdrRecordCount, Get32(h + kHdrRecordCount) + 1);
  return head;
}

void RecordStore::Free(uint64_t ref) {
  uint8_t* slot = Write(ref) - 1;
  uint8_t* h = file_.HeaderForWrite();
  slot[0] = 0;
  std::memset(slot + 1, 0, static_cast<size_t>(slotSize_ - 1));
  Put64(slot + 1, Get64(h + kHdrFreeSlot));
  Put64(h + kHdrFreeSlot, ref);
  Put32(h + kHdrRecordCount, Get32(h + kHdrRecordCount) - 1);
}

const uint8_t* RecordStore::Read(uint64_t ref) {
  int s = static_cast<int>(RefSlot(ref));
  if (s >= slotsPerBlock_) file_.Damaged("record reference outside a block");
  const uint8_t* slot = Block(RefBlock(ref)) + kSlots + static_cast<size_t>(s) * slotSize_;
  if (slot[0] != 1) file_.Damaged("index refers to a deleted record");
  return slot + 1;
}

uint8_t* RecordStore::Write(uint64_t ref) {
  Read(ref);
  return file_.Write(RefBlock(ref), kSigData) + kSlots + static_cast<size_t>(RefSlot(ref)) * slotSize_ + 1;
}

bool RecordStore::IsLive(uint64_t ref) {
  uint32_t b = RefBlock(ref);
  int s = static_cast<int>(RefSlot(ref));
  if (b == 0 || b >= file_.BlockCount() || s >= slotsPerBlock_) return false;
  try {
    const uint8_t* p = file_.Read(b, 0);
    if (Get32(p + kOffSig) != kSigData) return false;
    return p[kSlots + static_cast<size_t>(s) * slotSize_] == 1;
  } catch (const EffException&) {
    return false;
  }
}

bool RecordStore::IsDataBlock(uint32_t b) {
  if (b == 0 || b >= file_.BlockCount()) return false;
  try {
    return Get32(file_.Read(b, 0) + kOffSig) == kSigData;
  } catch (const EffException&) {
    return false;
  }
}

uint64_t RecordStore::ScanFrom(uint32_t block, int slot, bool forward) {
  uint32_t guard = file_.BlockCount();
  while (block != 0) {
    const uint8_t* p = Block(block);
    if (forward) {
      for (int s = slot; s < slotsPerBlock_; ++s)
        if (p[kSlots + static_cast<size_t>(s) * slotSize_] == 1) return MakeRef(block, static_cast<uint32_t>(s));
      block = Get32(p + kOffNext);
      slot = 0;
    } else {
      for (int s = slot; s >= 0; --s)
        if (p[kSlots + static_cast<size_t>(s) * slotSize_] == 1) return MakeRef(block, static_cast<uint32_t>(s));
      block = Get32(p + kPrevData);
      slot = slotsPerBlock_ - 1;
    }
    if (guard-- == 0) file_.Damaged("data block chain loops");
  }
  return 0;
}

uint64_t RecordStore::First() { return ScanFrom(Get32(file_.Header() + kHdrFirstData), 0, true); }
uint64_t RecordStore::Last() {
  return ScanFrom(Get32(file_.Header() + kHdrLastData), slotsPerBlock_ - 1, false);
}
uint64_t RecordStore::Next(uint64_t ref) {
  return ScanFrom(RefBlock(ref), static_cast<int>(RefSlot(ref)) + 1, true);
}
uint64_t RecordStore::Prior(uint64_t ref) {
  return ScanFrom(RefBlock(ref), static_cast<int>(RefSlot(ref)) - 1, false);
}

int RecordStore::ComparePhysical(uint64_t a, uint64_t b) {
  if (a == b) return 0;
  uint32_t sa = Get32(Block(RefBlock(a)) + kSeq), sb = Get32(Block(RefBlock(b)) + kSeq);
  if (sa != sb) return sa < sb ? -1 : 1;
  return RefSlot(a) < RefSlot(b) ? -1 : 1;
}

void RecordStore::Check(std::vector<std::string>& problems,
                        const std::function<void(uint64_t, const uint8_t*)>& visit,
                        std::vector<uint8_t>& blockUse) {
  const uint8_t* h = file_.Header();
  uint32_t count = file_.BlockCount();
  uint32_t used = 0, freeSlots = 0;
  bool whole = true;  // every data block was read
  auto slots = [&](uint32_t b, const uint8_t* p) {
    for (int s = 0; s < slotsPerBlock_; ++s) {
      const uint8_t* slot = p + kSlots + static_cast<size_t>(s) * slotSize_;
      if (slot[0] == 1) {
        ++used;
        visit(MakeRef(b, static_cast<uint32_t>(s)), slot + 1);
      } else if (slot[0] == 0) {
        ++freeSlots;
      } else {
        problems.push_back("slot with an unknown flag in block " + std::to_string(b));
      }
    }
  };
  auto load = [&](uint32_t b) -> const uint8_t* {
    try {
      return Block(b);
    } catch (const EffException& e) {
      problems.push_back("data block " + std::to_string(b) + " is damaged, its records are lost: " + e.Message());
      blockUse[b] = 1;
      whole = false;
      return nullptr;
    }
  };
  // Forward along the chain; past a damaged block the chain is followed
  // backwards from its last block, so that only the damaged block's own
  // records go missing.
  uint32_t b = Get32(h + kHdrFirstData), prev = 0;
  while (b != 0) {
    if (b >= count || blockUse[b]) {
      problems.push_back("data chain broken or looping at block " + std::to_string(b));
      return;
    }
    const uint8_t* p = load(b);
    if (!p) break;
    blockUse[b] = 1;
    if (Get32(p + kPrevData) != prev) problems.push_back("data block " + std::to_string(b) + " has a wrong back link");
    slots(b, p);
    prev = b;
    b = Get32(p + kOffNext);
  }
  if (!whole) {
    b = Get32(h + kHdrLastData);
    while (b != 0 && b < count && !blockUse[b]) {
      const uint8_t* p = load(b);
      if (!p) break;
      blockUse[b] = 1;
      slots(b, p);
      b = Get32(p + kPrevData);
    }
    return;  // counts cannot be compared with blocks missing
  }
  if (prev != Get32(h + kHdrLastData)) problems.push_back("last data block in the header is wrong");
  if (used != Get32(h + kHdrRecordCount))
    problems.push_back("record count " + std::to_string(Get32(h + kHdrRecordCount)) +
                       " but " + std::to_string(used) + " records in use");
  uint64_t f = Get64(h + kHdrFreeSlot);
  uint32_t walked = 0;
  while (f != 0) {
    if (++walked > freeSlots) {
      problems.push_back("free slot chain longer than the free slots (loop?)");
      return;
    }
    uint32_t fb = RefBlock(f);
    if (fb == 0 || fb >= count || !blockUse[fb] || RefSlot(f) >= static_cast<uint32_t>(slotsPerBlock_)) {
      problems.push_back("free slot chain leaves the data blocks");
      return;
    }
    const uint8_t* slot = Block(fb) + kSlots + static_cast<size_t>(RefSlot(f)) * slotSize_;
    if (slot[0] != 0) {
      problems.push_back("free slot chain holds a record in use");
      return;
    }
    f = Get64(slot + 1);
  }
  if (walked != freeSlots) problems.push_back("free slots missing from the free chain");
}

}  // namespace ffdetail

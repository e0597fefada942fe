// Handle table and live-object counter (see handles.h for the invariants).
#include "dbclient/handles.h"

#include <cassert>

#include "platform/rtl/exceptions.h"

namespace {
int gLiveObjects = 0;
constexpr size_t kMaxSlots = 0xFFFF;
}  // namespace

TttObject::TttObject(TttObjectKind kind) : kind_(kind) { ++gLiveObjects; }

TttObject::~TttObject() {
  if (handle_ != 0) TttHandleTable::Instance().Remove(this);
  --gLiveObjects;
}

int TttObject::LiveCount() { return gLiveObjects; }

TttHandleTable& TttHandleTable::Instance() {
  // Never destroyed: objects still open at exit unregister after every other
  // static is gone.
  static TttHandleTable* table = new TttHandleTable;
  return *table;
}

TBapiHandle TttHandleTable::Add(TttObject* obj) {
  assert(obj && obj->handle_ == 0);
  uint16_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else {
    if (slots_.size() >= kMaxSlots) throw EOutOfMemory("Handle table full");
    index = static_cast<uint16_t>(slots_.size());
    slots_.emplace_back();
  }
  Slot& s = slots_[index];
  s.obj = obj;
  // Slot numbers count from 1 in the handle so that no handle is 0.
  obj->handle_ = (static_cast<uint32_t>(s.generation) << 16) | (index + 1u);
  ++live_;
  return obj->handle_;
}

void TttHandleTable::Remove(TttObject* obj) {
  if (!obj || obj->handle_ == 0) return;
  uint32_t index = (obj->handle_ & 0xFFFF) - 1;
  assert(index < slots_.size() && slots_[index].obj == obj);
  Slot& s = slots_[index];
  s.obj = nullptr;
  // Generation 0 is skipped so that a handle never becomes 0 after wrapping.
  if (++s.generation == 0) s.generation = 1;
  free_.push_back(static_cast<uint16_t>(index));
  obj->handle_ = 0;
  --live_;
}

TttObject* TttHandleTable::Find(TBapiHandle h, TttObjectKind kind) const {
  uint32_t slot = h & 0xFFFF;
  if (slot == 0 || slot > slots_.size()) return nullptr;
  const Slot& s = slots_[slot - 1];
  if (!s.obj || s.generation != (h >> 16) || s.obj->kind_ != kind) return nullptr;
  return s.obj;
}

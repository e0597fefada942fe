// Handles of the call-level interface. Every session, database, cursor, filter
// and statement the caller sees is a 32-bit handle into one process-wide
// table. A handle packs a slot number (low 16 bits) and the slot's generation
// (high 16 bits); freeing a slot bumps its generation, so a stale handle, a
// handle never issued, or a handle of the wrong kind is answered with
// "not found" instead of touching freed memory. Handle 0 is never issued.
//
// Every object the table can hold derives from TttObject, which keeps a
// process-wide count of live objects so tests can prove that closing every
// handle leaves nothing behind. All calls run on the user-interface thread.
#pragma once

#include <cstdint>
#include <vector>

using TBapiHandle = uint32_t;

enum class TttObjectKind : uint8_t { Session, Database, Cursor, Filter, Statement, Blob };

class TttObject {
public:
  explicit TttObject(TttObjectKind kind);
  virtual ~TttObject();
  TttObject(const TttObject&) = delete;
  TttObject& operator=(const TttObject&) = delete;

  TttObjectKind Kind() const { return kind_; }
  TBapiHandle Handle() const { return handle_; }

  // Objects alive right now (all kinds).
  static int LiveCount();

private:
  friend class TttHandleTable;
  TttObjectKind kind_;
  TBapiHandle handle_ = 0;
};

class TttHandleTable {
public:
  // The table of this process.
  static TttHandleTable& Instance();

  // Registers the object and stores its new handle in it.
  TBapiHandle Add(TttObject* obj);
  // Forgets the object's handle; the object itself is not freed.
  void Remove(TttObject* obj);
  // The object behind the handle when it is live and of that kind, else null.
  TttObject* Find(TBapiHandle h, TttObjectKind kind) const;
  template <class T>
  T* FindAs(TBapiHandle h) const {
    return static_cast<T*>(Find(h, T::kKind));
  }
  int Count() const { return live_; }

private:
  struct Slot {
    TttObject* obj = nullptr;
    uint16_t generation = 1;
  };
  std::vector<Slot> slots_;
  std::vector<uint16_t> free_;
  int live_ = 0;
};

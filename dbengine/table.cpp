// Table layer: opening and building table files, changes with all indexes
// kept in step, pending BLOBs, transactions and the full consistency walk.
// See table.h for the invariants.
#include "dbengine/table.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <cstdlib>
#include <cstring>

#include "dbengine/filelayer.h"
#include "dbengine/journal.h"
#include "platform/rtl/invariants.h"
#include "platform/rtl/scopeexit.h"

namespace ffdetail {

namespace {

// Writes the empty table's layout after the header block: the dictionary
// in stream blocks and one empty root leaf per index.
void WriteLayout(BlockFile& f, const TffDataDictionary& dict) {
  uint8_t* h = f.HeaderForWrite();
  Put32(h + kHdrRecordLength, static_cast<uint32_t>(dict.RecordLength()));
  Put32(h + kHdrIndexCount, static_cast<uint32_t>(dict.IndexCount()));
  std::string s = dict.Serialize();
  uint32_t cap = f.BlockSize() - static_cast<uint32_t>(kStreamData);
  uint32_t prev = 0;
  for (size_t done = 0; done < s.size();) {
    uint32_t b;
    uint8_t* p = f.Allocate(kSigStream, &b);
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(cap, s.size() - done));
    Put32(p + kStreamKind, kStreamDictionary);
    Put32(p + kStreamUsed, n);
    std::memcpy(p + kStreamData, s.data() + done, n);
    if (prev) Put32(f.Write(prev, kSigStream) + kOffNext, b);
    else Put32(f.HeaderForWrite() + kHdrDictFirst, b);
    prev = b;
    done += n;
  }
  Put32(f.HeaderForWrite() + kHdrDictLength, static_cast<uint32_t>(s.size()));
  for (int i = 0; i < dict.IndexCount(); ++i) {
    uint32_t root = BTree::CreateEmpty(f, i);
    Put32(f.HeaderForWrite() + kHdrIndexRoots + 4 * static_cast<size_t>(i), root);
  }
}

std::string ReadDictStream(BlockFile& f, std::vector<uint32_t>* blocks = nullptr) {
  const uint8_t* h = f.Header();
  uint32_t len = Get32(h + kHdrDictLength);
  uint32_t b = Get32(h + kHdrDictFirst);
  if (len == 0 || b == 0 || uint64_t{len} > uint64_t{f.BlockCount()} * f.BlockSize())
    f.Damaged("data dictionary missing");
  std::string s;
  s.reserve(len);
  uint32_t guard = f.BlockCount();
  while (b != 0 && s.size() < len) {
    if (guard-- == 0) f.Damaged("dictionary chain loops");
    const uint8_t* p = f.Read(b, kSigStream);
    uint32_t used = Get32(p + kStreamUsed);
    if (Get32(p + kStreamKind) != kStreamDictionary || used > f.BlockSize() - kStreamData ||
        used > len - s.size())
      f.Damaged("dictionary block " + std::to_string(b) + " is inconsistent");
    s.append(reinterpret_cast<const char*>(p + kStreamData), used);
    if (blocks) blocks->push_back(b);
    b = Get32(p + kOffNext);
  }
  if (s.size() != len || b != 0) f.Damaged("dictionary chain does not fit its length");
  return s;
}

}  // namespace

void TableImpl::Validate(const TffDataDictionary& dict) {
  if (dict.FieldCount() == 0) RaiseFF(rcInvalidDictionary, "a table needs at least one field");
  if (dict.IndexCount() > kMaxIndexes) RaiseFF(rcInvalidDictionary, "too many indexes");
  uint32_t bs = static_cast<uint32_t>(dict.BlockSize());
  if (static_cast<uint32_t>(dict.RecordLength()) + 1 > bs - 32)
    RaiseFF(rcInvalidDictionary, "record longer than a block");
  for (int i = 0; i < dict.IndexCount(); ++i)
    if (BTree::Capacity(bs, dict.Index(i).KeyLength) < 4)
      RaiseFF(rcInvalidDictionary, "key of index " + dict.Index(i).Name + " too long for the block size");
}

void TableImpl::BuildFile(const std::string& path, const TffDataDictionary& dict) {
  BlockFile f;
  f.CreateNew(path, static_cast<uint32_t>(dict.BlockSize()));
  WriteLayout(f, dict);
  f.Commit();
  f.Close();
}

TableImpl::TableImpl(const std::string& path, TffOpenMode mode, TffShareMode share)
    : path_(path), exclusive_(share == TffShareMode::Exclusive) {
  bool writable = mode == TffOpenMode::ReadWrite;
  lockFd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (lockFd_ < 0) {
    if (errno == ENOENT) RaiseFF(rcNoSuchTable, path);
    RaiseSystemError(errno, "opening " + path);
  }
  if (flock(lockFd_, (writable || exclusive_ ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    ::close(lockFd_);
    RaiseFF(rcTableInUse, path + " is opened by another process");
  }
  try {
    file_.Open(path, writable);
    LoadLayout();
  } catch (...) {
    file_.Close();
    ::close(lockFd_);
    throw;
  }
}

TableImpl::~TableImpl() {
  try {
    if (inTx_ && file_.IsOpen()) file_.Rollback();
  } catch (...) {
    // Nothing of the transaction reached the file; closing is all that
    // is left to do, and a destructor must not throw.
  }
  file_.Close();
  if (lockFd_ >= 0) ::close(lockFd_);
}

void TableImpl::LoadLayout() {
  std::string s = ReadDictStream(file_);
  auto d = std::make_unique<TffDataDictionary>(TffDataDictionary::Deserialize(s.data(), s.size()));
  d->Lock();
  if (static_cast<uint32_t>(d->BlockSize()) != file_.BlockSize() ||
      Get32(file_.Header() + kHdrRecordLength) != static_cast<uint32_t>(d->RecordLength()) ||
      Get32(file_.Header() + kHdrIndexCount) != static_cast<uint32_t>(d->IndexCount()))
    file_.Damaged("header does not match the data dictionary");
  try {
    Validate(*d);
  } catch (const EffException&) {
    file_.Damaged("stored data dictionary cannot describe a table");
  }
  dict_ = std::move(d);
  specs_.clear();
  trees_.clear();
  for (int i = 0; i < dict_->IndexCount(); ++i) {
    specs_.push_back(std::make_unique<KeySpec>(*dict_, i));
    trees_.push_back(std::make_unique<BTree>(file_, *specs_.back(), i, dict_->Index(i).Name));
  }
  records_ = std::make_unique<RecordStore>(file_, dict_->RecordLength());
  blobs_ = std::make_unique<BlobStore>(file_);
}

void TableImpl::UpgradeToWrite() {
  if (!ReadOnly()) return;
  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0)
    RaiseFF(rcTableInUse, path_ + " is opened by another process");
  // The file is opened again for writing; dictionary, trees and stores stay
  // the same objects, since callers hold references to the dictionary.
  // A file that cannot be opened for writing (no write permission, a
  // read-only medium) leaves the table open for reading as it was.
  file_.Close();
  try {
    file_.Open(path_, true);
  } catch (...) {
    file_.Close();
    flock(lockFd_, LOCK_SH | LOCK_NB);
    file_.Open(path_, false);
    ++version_;
    throw;
  }
  if (ReadDictStream(file_) != dict_->Serialize()) file_.Damaged("dictionary changed while open");
  ++version_;
}

void TableImpl::CheckWritable() const {
  if (ReadOnly()) RaiseFF(rcTableReadOnly, path_);
}

// Runs one change. Outside a transaction it commits at once, or rolls back
// on any error; inside one, an error (after the checks that precede every
// change) rolls back and ends the whole transaction, since the cache can
// hold only all of its changes or none.
template <typename F>
void TableImpl::Change(F&& body) {
  CheckWritable();
  WalkBeforeFirstChange();
  {
    // Kept or rolled back, the change has moved the cached blocks.
    TScopeExit changed{[this] { ++version_; }};
    try {
      body();
      if (!inTx_) file_.Commit();
    } catch (...) {
      file_.Rollback();
      inTx_ = false;
      throw;
    }
  }
  if (!inTx_) {
    VerifyAfterCommit();
    file_.Trim();
  }
}

// Where invariant checks are on (debug builds and tests) or
// ORV_DBENGINE_VERIFY is set, commits are followed by the full consistency
// walk, so that an engine fault shows next to the change that made it. The
// walk blames changes only: a file already damaged before the first change
// (which the reading code copes with) is not walked again. On a large file
// the walk runs after every n-th commit, n growing with the file, so that
// its cost per commit stays bounded.
bool TableImpl::Walks() {
  static const bool asked = std::getenv("ORV_DBENGINE_VERIFY") != nullptr;
  return asked || InvariantChecks();
}

void TableImpl::WalkBeforeFirstChange() {
  if (!Walks() || wholeBefore_ >= 0) return;
  wholeBefore_ = Check().empty() ? 1 : 0;
}

void TableImpl::VerifyAfterCommit() {
  if (!Walks() || wholeBefore_ != 1) return;
  const uint32_t every = std::max<uint32_t>(1, file_.BlockCount() / kBlocksPerWalk);
  if (++commitsSinceWalk_ < every) return;
  commitsSinceWalk_ = 0;
  auto problems = Check();
  if (problems.empty()) return;
  wholeBefore_ = 0;
  file_.Damaged("a commit left the file inconsistent: " + problems.front());
}

void TableImpl::StartTransaction() {
  CheckWritable();
  if (inTx_) RaiseFF(rcInTransaction, path_);
  WalkBeforeFirstChange();
  inTx_ = true;
}

void TableImpl::Commit() {
  if (!inTx_) RaiseFF(rcNoTransaction, path_);
  inTx_ = false;
  try {
    file_.Commit();
  } catch (...) {
    ++version_;
    throw;
  }
  VerifyAfterCommit();
  file_.Trim();
}

void TableImpl::CommitGroup(const std::vector<TableImpl*>& tables) {
  std::vector<TableImpl*> changed;
  for (TableImpl* t : tables) {
    if (!t->inTx_) RaiseFF(rcNoTransaction, t->path_);
    if (t->file_.HasChanges()) changed.push_back(t);
  }
  if (changed.size() < 2) {
    // One file's own journal makes its commit whole.
    for (TableImpl* t : tables) t->Commit();
    return;
  }
  for (TableImpl* t : tables) t->inTx_ = false;
  auto rolledBack = [&](size_t prepared) {
    // The last journal is spent first: those still carrying the group then
    // always come first in the record (see journal.h).
    for (size_t i = changed.size(); i-- > 0;) {
      if (i < prepared) changed[i]->file_.AbandonCommit();
      else changed[i]->file_.Rollback();
    }
    for (TableImpl* t : tables) ++t->version_;
  };
  const std::string record = GroupRecordPath(changed[0]->path_);
  std::vector<std::string> names;
  for (TableImpl* t : changed) {
    if (GroupRecordPath(t->path_) != record) {
      rolledBack(0);
      RaiseFF(rcInvalidParameter, "tables committed together lie in one folder");
    }
    names.push_back(NamePart(t->path_));
  }
  static std::mt19937_64 numbers{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
  uint64_t group = 0;
  while (group == 0) group = numbers();
  size_t prepared = 0;
  try {
    GroupRecordWrite(record, group, names);
    for (; prepared < changed.size(); ++prepared) changed[prepared]->file_.PrepareCommit(group);
  } catch (...) {
    rolledBack(prepared);
    try {
      GroupRecordRemove(record);
    } catch (const EffException&) {
      // No table carries this group's number: the record is never read.
    }
    throw;
  }
  try {
    for (TableImpl* t : changed) t->file_.WriteCommit();
    GroupRecordRemove(record);
  } catch (...) {
    // What was written in place is undone when a table is opened again.
    for (TableImpl* t : changed) {
      t->file_.Fail();
      ++t->version_;
    }
    throw;
  }
  for (TableImpl* t : changed) {
    t->file_.FinishCommit();
    t->VerifyAfterCommit();
    t->file_.Trim();
  }
}

void TableImpl::Rollback() {
  if (!inTx_) RaiseFF(rcNoTransaction, path_);
  inTx_ = false;
  file_.Rollback();
  ++version_;
}

void TableImpl::EmptyTable() {
  if (inTx_) RaiseFF(rcInTransaction, path_);
  Change([&] {
    file_.ResetToHeaderOnly();
    WriteLayout(file_, *dict_);
  });
  pending_.clear();
}

void TableImpl::CheckRequired(const uint8_t* rec) const {
  for (int i = 0; i < dict_->FieldCount(); ++i)
    if (dict_->Field(i).Required && FFIsFieldNull(*dict_, rec, i))
      RaiseFF(rcRequiredFieldMissing, dict_->Field(i).Name);
}

const uint8_t* TableImpl::StoredRecord(uint64_t ref) {
  // A block summed again after it was damaged, or written so, passes its
  // checksum: what no record the engine writes can hold is damage all the
  // same (a required field empty, null flags of no field, a string longer
  // than its field). A BLOB reference is checked where it is followed, so
  // that a damaged one costs only its value (MissingPending).
  const uint8_t* rec = records_->Read(ref);
  const uint8_t spare = static_cast<uint8_t>(0xFF << (dict_->FieldCount() % 8));
  bool whole = dict_->FieldCount() % 8 == 0 || (rec[dict_->RecordLength() - 1] & spare) == 0;
  for (int i = 0; whole && i < dict_->FieldCount(); ++i) {
    const TffFieldDescriptor& f = dict_->Field(i);
    if (FFIsFieldNull(*dict_, rec, i))
      whole = !f.Required;
    else if (f.Type == fftShortString)
      whole = rec[f.Offset] <= f.Units;
  }
  if (!whole) file_.Damaged("record " + std::to_string(RefSlot(ref)) + " in block " + std::to_string(RefBlock(ref)) +
                            " holds values the engine never writes");
  return rec;
}

uint32_t TableImpl::AddPending(PendingBlob blob) {
  uint32_t id = nextPending_++;
  if (nextPending_ >= kPendingBit) nextPending_ = 1;
  pending_[id] = std::move(blob);
  return kPendingBit | id;
}

void TableImpl::MissingPending(uint32_t ref) const {
  // Pending values are numbered upwards: a number never given out came
  // from the file, where no pending reference is ever stored.
  if ((ref & ~kPendingBit) >= nextPending_) file_.Damaged("BLOB reference to a value never stored");
  RaiseFF(rcBlobNotOpen, "BLOB value of this buffer was stored; read the record again");
}

PendingBlob* TableImpl::FindPending(uint32_t ref) {
  auto it = pending_.find(ref & ~kPendingBit);
  return it == pending_.end() ? nullptr : &it->second;
}

void TableImpl::DropPending(uint32_t id) { pending_.erase(id & ~kPendingBit); }

void TableImpl::DropPendingOf(CursorImpl* owner) {
  for (auto it = pending_.begin(); it != pending_.end();)
    it = it->second.Owner == owner ? pending_.erase(it) : std::next(it);
}

// The stored reference for a BLOB field: a pending value is written now; a
// stored chain that is not this record's own is copied, so that no two
// records ever share a chain.
uint32_t TableImpl::StoreBlob(uint32_t ref, uint32_t oldRef, bool forInsert,
                              std::vector<uint32_t>& used) {
  if (ref & kPendingBit) {
    PendingBlob* pb = FindPending(ref);
    if (!pb) {
      if (forInsert) RaiseFF(rcBlobNotOpen, "BLOB value of this buffer was already stored");
      return oldRef;
    }
    used.push_back(ref);
    return blobs_->Write(reinterpret_cast<const uint8_t*>(pb->Data.data()),
                         static_cast<uint32_t>(pb->Data.size()));
  }
  if (ref == 0 || (!forInsert && ref == oldRef)) return ref;
  return blobs_->Copy(ref);
}

uint64_t TableImpl::Insert(const uint8_t* rec, int positionIndex, BPos* position) {
  CheckWritable();
  CheckRequired(rec);
  int n = dict_->IndexCount();
  std::vector<std::vector<uint8_t>> keys(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    keys[i].resize(static_cast<size_t>(specs_[i]->KeyLength()));
    specs_[i]->Build(rec, keys[i].data());
    if (specs_[i]->Unique()) {
      BPos p = trees_[i]->LowerBound({keys[i].data()});
      if (p.Valid() && specs_[i]->Compare(trees_[i]->Key(p), keys[i].data()) == 0)
        RaiseFF(rcKeyViolation, "index " + dict_->Index(i).Name);
    }
  }
  uint64_t ref = 0;
  std::vector<uint32_t> used;
  Change([&] {
    std::vector<uint8_t> stored(rec, rec + dict_->RecordLength());
    for (int f = 0; f < dict_->FieldCount(); ++f) {
      const auto& fd = dict_->Field(f);
      if (!IsBlobType(fd.Type)) continue;
      uint32_t r = FFIsFieldNull(*dict_, stored.data(), f) ? 0 : Get32(stored.data() + fd.Offset);
      Put32(stored.data() + fd.Offset, StoreBlob(r, 0, true, used));
    }
    ref = records_->Allocate();
    std::memcpy(records_->Write(ref), stored.data(), stored.size());
    for (int i = 0; i < n; ++i) {
      BPos p = trees_[i]->Insert(keys[i].data(), ref);
      if (i == positionIndex && position) *position = p;
    }
  });
  for (uint32_t u : used) DropPending(u);
  return ref;
}

void TableImpl::Modify(uint64_t ref, const uint8_t* rec) {
  CheckWritable();
  CheckRequired(rec);
  if (!records_->IsLive(ref)) RaiseFF(rcNoCurrentRecord, "the record was deleted");
  std::vector<uint8_t> old(records_->Read(ref), records_->Read(ref) + dict_->RecordLength());
  int n = dict_->IndexCount();
  std::vector<std::vector<uint8_t>> oldKeys(static_cast<size_t>(n)), newKeys(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    size_t kl = static_cast<size_t>(specs_[i]->KeyLength());
    oldKeys[i].resize(kl);
    newKeys[i].resize(kl);
    specs_[i]->Build(old.data(), oldKeys[i].data());
    specs_[i]->Build(rec, newKeys[i].data());
    if (specs_[i]->Unique() && specs_[i]->Compare(oldKeys[i].data(), newKeys[i].data()) != 0) {
      BPos p = trees_[i]->LowerBound({newKeys[i].data()});
      if (p.Valid() && specs_[i]->Compare(trees_[i]->Key(p), newKeys[i].data()) == 0 &&
          trees_[i]->Ref(p) != ref)
        RaiseFF(rcKeyViolation, "index " + dict_->Index(i).Name);
    }
  }
  std::vector<uint32_t> used;
  Change([&] {
    std::vector<uint8_t> stored(rec, rec + dict_->RecordLength());
    for (int f = 0; f < dict_->FieldCount(); ++f) {
      const auto& fd = dict_->Field(f);
      if (!IsBlobType(fd.Type)) continue;
      uint32_t oldRef = Get32(old.data() + fd.Offset);
      uint32_t r = FFIsFieldNull(*dict_, stored.data(), f) ? 0 : Get32(stored.data() + fd.Offset);
      uint32_t nr = StoreBlob(r, oldRef, false, used);
      Put32(stored.data() + fd.Offset, nr);
      if (oldRef != 0 && oldRef != nr) blobs_->Free(oldRef);
    }
    std::memcpy(records_->Write(ref), stored.data(), stored.size());
    for (int i = 0; i < n; ++i) {
      if (oldKeys[i] == newKeys[i]) continue;
      if (!trees_[i]->Remove(oldKeys[i].data(), ref))
        file_.Damaged("index " + dict_->Index(i).Name + " lacks the entry of a record");
      trees_[i]->Insert(newKeys[i].data(), ref);
    }
  });
  for (uint32_t u : used) DropPending(u);
}

void TableImpl::Delete(uint64_t ref) {
  CheckWritable();
  if (!records_->IsLive(ref)) RaiseFF(rcNoCurrentRecord, "the record was deleted");
  Change([&] {
    std::vector<uint8_t> old(records_->Read(ref), records_->Read(ref) + dict_->RecordLength());
    std::vector<uint8_t> key;
    for (int i = 0; i < dict_->IndexCount(); ++i) {
      key.resize(static_cast<size_t>(specs_[i]->KeyLength()));
      specs_[i]->Build(old.data(), key.data());
      if (!trees_[i]->Remove(key.data(), ref))
        file_.Damaged("index " + dict_->Index(i).Name + " lacks the entry of a record");
    }
    for (int f = 0; f < dict_->FieldCount(); ++f) {
      const auto& fd = dict_->Field(f);
      if (IsBlobType(fd.Type)) blobs_->Free(Get32(old.data() + fd.Offset));
    }
    records_->Free(ref);
  });
}

// Walks every structure. A damaged block is named and the walk goes on
// around it, so that one report lists all that is damaged and what it
// costs.
std::vector<std::string> TableImpl::Check() {
  std::vector<std::string> problems;
  uint32_t count = file_.BlockCount();
  std::vector<uint8_t> use(count, 0);
  use[0] = 1;
  if (!file_.HeaderDamage().empty()) problems.push_back(file_.HeaderDamage());
  if (uint32_t m = file_.MirrorBlock()) {
    use[m] = 1;
    std::string p = file_.CheckMirror();
    if (!p.empty()) problems.push_back(p);
  }
  try {
    std::vector<uint32_t> dictBlocks;
    ReadDictStream(file_, &dictBlocks);
    for (uint32_t b : dictBlocks) use[b] = 1;
  } catch (const EffException& e) {
    problems.push_back(e.Message());
    return problems;  // the table was opened with it; it cannot be absent now
  }
  bool complete = true;  // every structure could be walked to its end
  // Free chain.
  uint32_t b = Get32(file_.Header() + kHdrFreeHead), walked = 0;
  while (b != 0) {
    if (b >= count || use[b]) {
      problems.push_back("free chain broken or looping at block " + std::to_string(b));
      complete = false;
      break;
    }
    use[b] = 1;
    ++walked;
    const uint8_t* p;
    try {
      p = file_.Read(b, kSigStream);
    } catch (const EffException& e) {
      problems.push_back("free block " + std::to_string(b) + " is damaged, the free chain ends there (no data lost): " +
                         e.Message());
      complete = false;
      break;
    }
    if (Get32(p + kStreamKind) != kStreamFree) problems.push_back("used block on the free chain");
    b = Get32(p + kOffNext);
  }
  if (complete && walked != Get32(file_.Header() + kHdrFreeCount)) problems.push_back("free block count is wrong");
  // Records, their BLOBs, and the keys every index must hold.
  int n = dict_->IndexCount();
  std::vector<std::vector<std::pair<std::string, uint64_t>>> expected(static_cast<size_t>(n));
  std::vector<uint8_t> key;
  std::vector<std::pair<uint64_t, uint32_t>> blobRefs;
  size_t before = problems.size();
  try {
    records_->Check(problems, [&](uint64_t ref, const uint8_t* rec) {
      for (int i = 0; i < n; ++i) {
        key.resize(static_cast<size_t>(specs_[i]->KeyLength()));
        specs_[i]->Build(rec, key.data());
        expected[i].emplace_back(std::string(key.begin(), key.end()), ref);
      }
      for (int f = 0; f < dict_->FieldCount(); ++f) {
        const auto& fd = dict_->Field(f);
        if (!IsBlobType(fd.Type)) continue;
        uint32_t r = Get32(rec + fd.Offset);
        if (r != 0) blobRefs.emplace_back(ref, r);
        if (r != 0 && FFIsFieldNull(*dict_, rec, f)) problems.push_back("null BLOB field holds a chain");
      }
    }, use);
  } catch (const EffException& e) {
    problems.push_back(e.Message());
  }
  bool recordsWhole = problems.size() == before;
  complete = complete && recordsWhole;
  for (auto [ref, r] : blobRefs) {
    size_t was = problems.size();
    try {
      blobs_->Check(r, problems, use);
    } catch (const EffException& e) {
      problems.push_back("record " + std::to_string(ref) + ": BLOB " + e.Message());
    }
    if (problems.size() != was) complete = false;
  }
  for (int i = 0; i < n; ++i) {
    std::vector<std::pair<std::string, uint64_t>> actual;
    std::vector<uint8_t> prevKey;
    const KeySpec& spec = *specs_[i];
    size_t was = problems.size();
    trees_[i]->Check(problems, [&](const uint8_t* k, uint64_t ref) {
      if (spec.Unique() && !prevKey.empty() && spec.Compare(prevKey.data(), k) == 0)
        problems.push_back("index " + dict_->Index(i).Name + " holds a duplicate key");
      prevKey.assign(k, k + spec.KeyLength());
      actual.emplace_back(std::string(k, k + spec.KeyLength()), ref);
    });
    bool treeWhole = problems.size() == was;
    for (uint32_t tb : trees_[i]->CheckedBlocks()) {
      if (tb < count && use[tb] && treeWhole) problems.push_back("index block " + std::to_string(tb) + " used twice");
      if (tb < count) use[tb] = 1;
    }
    complete = complete && treeWhole;
    if (!treeWhole || !recordsWhole) continue;  // the comparison would only repeat the damage
    std::sort(actual.begin(), actual.end());
    std::sort(expected[i].begin(), expected[i].end());
    if (actual != expected[i])
      problems.push_back("index " + dict_->Index(i).Name + " does not match the records (" +
                         std::to_string(actual.size()) + " entries, " +
                         std::to_string(expected[i].size()) + " records)");
  }
  if (complete) {
    uint32_t lost = 0, first = 0;
    for (uint32_t k = 0; k < count; ++k)
      if (!use[k] && lost++ == 0) first = k;
    if (lost) problems.push_back(std::to_string(lost) + " blocks are lost (not in use anywhere), the first is block " +
                                 std::to_string(first));
  }
  return problems;
}

}  // namespace ffdetail

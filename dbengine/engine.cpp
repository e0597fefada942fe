// Public table and cursor objects: the process-wide registry of open
// tables, building and removing table files, and cursor positioning over an
// index or the physical order.
//
// A cursor remembers where it is by (key, record reference) and, as a
// hint, the leaf position and the table version it was found in. While the
// version is unchanged the hint is followed directly; otherwise the cursor
// searches its place again, which is how it sees other cursors' changes.
#include "dbengine/engine.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>

#include "dbengine/filelayer.h"
#include "dbengine/journal.h"
#include "dbengine/table.h"

using namespace ffdetail;

namespace {

std::mutex gRegistryMutex;
std::map<std::string, std::weak_ptr<TffTable>>& Registry() {
  static std::map<std::string, std::weak_ptr<TffTable>> r;
  return r;
}

std::string Canonical(const std::string& path) {
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf)) return buf;
  return path;
}

std::shared_ptr<TffTable> Registered(const std::string& canon) {
  auto it = Registry().find(canon);
  if (it == Registry().end()) return nullptr;
  auto t = it->second.lock();
  if (!t) Registry().erase(it);
  return t;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// A name the system cannot follow (links that go round, a folder closed to
// us) is no missing table: opening it says why.
bool Missing(const std::string& path) { return !FileExists(path) && errno == ENOENT; }

// True when another process holds the file's lock.
bool LockedElsewhere(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return locked;
}

void SyncDirOf(const std::string& path) {
  std::string dir = path.substr(0, path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/'));
  if (dir.empty()) dir = ".";
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    ::close(fd);
  }
}

}  // namespace

// ---------------------------------------------------------------- cursor --

namespace ffdetail {

class CursorImpl {
public:
  CursorImpl(std::shared_ptr<TffTable> hold, int indexNo)
      : hold_(std::move(hold)), t_(hold_->Impl()) {
    SetIndex(indexNo);
  }
  ~CursorImpl() { t_.DropPendingOf(this); }

  enum class State { BOF, EOF_, On, Between };

  TffTable& Table() { return *hold_; }
  TableImpl& T() { return t_; }
  int Index() const { return index_; }

  void SetIndex(int indexNo) {
    if (indexNo != kPhysicalOrder && (indexNo < 0 || indexNo >= t_.Dict().IndexCount()))
      RaiseFF(rcNoSuchIndex, "index number " + std::to_string(indexNo));
    const bool keep = state_ == State::On && t_.Records().IsLive(ref_);
    // The record is looked up in the new index before anything changes: a
    // damaged tree fails the switch and leaves the cursor on its old order.
    std::vector<uint8_t> key(indexNo == kPhysicalOrder ? 0 : static_cast<size_t>(t_.Spec(indexNo).KeyLength()), 0);
    BPos found;
    if (keep && indexNo != kPhysicalOrder) {
      t_.Spec(indexNo).Build(t_.Records().Read(ref_), key.data());
      found = t_.Tree(indexNo).LowerBound({key.data(), 0, 0, &ref_});
      if (found.Valid() && t_.Tree(indexNo).Ref(found) != ref_) found = {};
    }
    index_ = indexNo;
    hasRange_ = false;
    key_ = std::move(key);
    probe_.assign(key_.size(), 0);
    hint_ = {};
    if (!keep) {
      state_ = State::BOF;
    } else if (indexNo == kPhysicalOrder) {
      SetPhys(ref_);
    } else if (found.Valid()) {
      SetPos(found);
    } else {
      state_ = State::Between;  // found again by key and reference
    }
  }

  const KeySpec& Spec() const { return t_.Spec(index_); }
  BTree& Tree() { return t_.Tree(index_); }

  // ---- positions ----
  void SetPos(const BPos& p) { SetPos(p, Tree().Key(p)); }
  // `k` is the entry at p.
  void SetPos(const BPos& p, const uint8_t* k) {
    std::memcpy(key_.data(), k, key_.size());
    ref_ = Get64(k + key_.size());
    hint_ = p;
    hintVersion_ = t_.Version();
    state_ = State::On;
  }
  void SetPhys(uint64_t ref) {
    ref_ = ref;
    state_ = State::On;
    hintVersion_ = t_.Version();
  }
  bool HintValid() const { return state_ == State::On && hint_.Valid() && hintVersion_ == t_.Version(); }

  // Positions on the record ref_ (whose key is key_); false when gone.
  bool GoExact() {
    if (!t_.Records().IsLive(ref_)) return false;
    if (index_ == kPhysicalOrder) {
      SetPhys(ref_);
      return true;
    }
    BPos p = Tree().LowerBound({key_.data(), 0, 0, &ref_});
    if (!p.Valid() || Tree().Ref(p) != ref_) return false;
    SetPos(p);
    return true;
  }

  bool InEnd(const uint8_t* k) const {
    if (!hasRange_ || !hasEnd_) return true;
    int c = Spec().Compare(k, end_.data(), endFields_);
    return endIncl_ ? c <= 0 : c < 0;
  }
  bool InStart(const uint8_t* k) const {
    if (!hasRange_ || !hasStart_) return true;
    int c = Spec().Compare(k, start_.data(), startFields_);
    return startIncl_ ? c >= 0 : c > 0;
  }
  BPos RangeFirst() {
    BPos p;
    if (hasRange_ && hasStart_) {
      BTarget t{start_.data(), startFields_};
      p = startIncl_ ? Tree().LowerBound(t) : Tree().UpperBound(t);
    } else {
      p = Tree().FirstPos();
    }
    if (p.Valid() && !InEnd(Tree().Key(p))) return {};
    return p;
  }
  BPos RangeLast() {
    BPos p;
    if (hasRange_ && hasEnd_) {
      BTarget t{end_.data(), endFields_};
      BPos after = endIncl_ ? Tree().UpperBound(t) : Tree().LowerBound(t);
      if (!after.Valid()) p = Tree().LastPos();
      else if (p = after; !Tree().PrevPos(p)) p = {};
    } else {
      p = Tree().LastPos();
    }
    if (p.Valid() && !InStart(Tree().Key(p))) return {};
    return p;
  }

  bool Next() {
    if (state_ == State::EOF_) return false;
    if (index_ == kPhysicalOrder) {
      // A position whose block was emptied away or rolled back starts over.
      bool anchored = state_ != State::BOF && t_.Records().IsDataBlock(RefBlock(ref_));
      uint64_t r = anchored ? t_.Records().Next(ref_) : t_.Records().First();
      if (!r) {
        state_ = State::EOF_;
        return false;
      }
      SetPhys(r);
      return true;
    }
    BPos p;
    if (state_ == State::BOF) {
      p = RangeFirst();
    } else if (HintValid()) {
      p = hint_;
      if (!Tree().NextPos(p)) p = {};
    } else {
      p = Tree().UpperBound({key_.data(), 0, 0, &ref_});
    }
    const uint8_t* k = p.Valid() ? Tree().Key(p) : nullptr;
    if (!k || !InEnd(k)) {
      state_ = State::EOF_;
      return false;
    }
    SetPos(p, k);
    return true;
  }

  bool Prior() {
    if (state_ == State::BOF) return false;
    if (index_ == kPhysicalOrder) {
      bool anchored = state_ != State::EOF_ && t_.Records().IsDataBlock(RefBlock(ref_));
      uint64_t r = anchored ? t_.Records().Prior(ref_) : t_.Records().Last();
      if (!r) {
        state_ = State::BOF;
        return false;
      }
      SetPhys(r);
      return true;
    }
    BPos p;
    if (state_ == State::EOF_) {
      p = RangeLast();
    } else if (HintValid()) {
      p = hint_;
      if (!Tree().PrevPos(p)) p = {};
    } else {
      p = Tree().LowerBound({key_.data(), 0, 0, &ref_});
      if (!p.Valid()) p = Tree().LastPos();
      else if (!Tree().PrevPos(p)) p = {};
    }
    const uint8_t* k = p.Valid() ? Tree().Key(p) : nullptr;
    if (!k || !InStart(k)) {
      state_ = State::BOF;
      return false;
    }
    SetPos(p, k);
    return true;
  }

  bool OnLiveRecord() {
    if (state_ != State::On) return false;
    if (hintVersion_ == t_.Version()) return true;
    if (t_.Records().IsLive(ref_)) return true;
    state_ = State::Between;
    return false;
  }

  void CopyRecord(uint8_t* rec) {
    if (rec) std::memcpy(rec, t_.StoredRecord(ref_), static_cast<size_t>(t_.Dict().RecordLength()));
  }

  std::vector<uint8_t> KeyOf(const uint8_t* rec) const {
    std::vector<uint8_t> k(static_cast<size_t>(Spec().KeyLength()));
    Spec().Build(rec, k.data());
    return k;
  }
  // The key of `rec` in the cursor's scratch buffer (valid until the next
  // call): what every search builds, without a fresh allocation.
  const uint8_t* Probe(const uint8_t* rec) {
    Spec().Build(rec, probe_.data());
    return probe_.data();
  }

  void RequireIndex() const {
    if (index_ == kPhysicalOrder) RaiseFF(rcNoSuchIndex, "the cursor follows no index");
  }

  int CompareRefs(uint64_t a, uint64_t b) {
    if (a == b) return 0;
    if (!t_.Records().IsLive(a) || !t_.Records().IsLive(b)) RaiseFF(rcInvalidBookmark);
    if (index_ == kPhysicalOrder) return t_.Records().ComparePhysical(a, b);
    auto ka = KeyOf(t_.Records().Read(a));
    auto kb = KeyOf(t_.Records().Read(b));
    int c = Spec().Compare(ka.data(), kb.data());
    if (c != 0) return c;
    return a < b ? -1 : 1;
  }

  std::shared_ptr<TffTable> hold_;
  TableImpl& t_;
  int index_ = kPhysicalOrder;
  State state_ = State::BOF;
  std::vector<uint8_t> key_, probe_;
  uint64_t ref_ = 0;
  BPos hint_;
  uint64_t hintVersion_ = 0;
  bool hasRange_ = false, hasStart_ = false, hasEnd_ = false;
  bool startIncl_ = true, endIncl_ = true;
  int startFields_ = 0, endFields_ = 0;
  std::vector<uint8_t> start_, end_;
};

}  // namespace ffdetail

// ----------------------------------------------------------------- table --

TffTable::TffTable(std::unique_ptr<TableImpl> impl) : impl_(std::move(impl)) {}

TffTable::~TffTable() {
  std::lock_guard<std::mutex> g(gRegistryMutex);
  auto it = Registry().find(Canonical(impl_->Path()));
  if (it != Registry().end() && it->second.expired()) Registry().erase(it);
}

bool TffTable::Exists(const std::string& path) { return !Missing(path); }

namespace {

// A build cut off by a kill leaves its temporary file, named for the
// process that made it: the next build of the table, and every open of it
// for writing, removes those whose process has gone, and one that is the
// table itself (the kill came between making the table and removing the
// temporary name).
void RemoveStaleBuilds(const std::string& path) {
  const std::string folder = FolderPart(path), prefix = NamePart(path) + ".tmp";
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return;
  struct stat table, tmp;
  const bool tableThere = ::stat(path.c_str(), &table) == 0;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name = e->d_name;
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    const pid_t pid = static_cast<pid_t>(std::stol(std::string(digits)));
    const bool linked = tableThere && ::fstatat(::dirfd(d), e->d_name, &tmp, 0) == 0 &&
                        tmp.st_dev == table.st_dev && tmp.st_ino == table.st_ino;
    if (linked || (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH)) ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

// A table built anew is no longer one whose group journal was lost.
void ForgetLostMember(const std::string& path) {
  const std::string record = GroupRecordPath(path);
  uint64_t group = 1;
  std::vector<std::string> names;
  if (!GroupRecordRead(record, group, names) || group != 0) return;
  const auto kept = std::remove(names.begin(), names.end(), NamePart(path));
  if (kept == names.end()) return;
  names.erase(kept, names.end());
  if (names.empty()) GroupRecordRemove(record);
  else GroupRecordWrite(record, 0, names);
}

}  // namespace

void TffTable::Create(const std::string& path, const TffDataDictionary& dict, bool overwrite) {
  TableImpl::Validate(dict);
  std::lock_guard<std::mutex> g(gRegistryMutex);
  RemoveStaleBuilds(path);
  if (FileExists(path)) {
    if (!overwrite) RaiseFF(rcTableExists, path);
    if (Registered(Canonical(path)) || LockedElsewhere(path)) RaiseFF(rcTableInUse, path);
  }
  std::string tmp = path + ".tmp" + std::to_string(getpid());
  ::unlink(tmp.c_str());
  try {
    TableImpl::BuildFile(tmp, dict);
    // A journal left by an earlier table of this name must never be laid
    // over the new file.
    ::unlink(JournalPath(path).c_str());
    ForgetLostMember(path);
    if (overwrite) {
      if (::rename(tmp.c_str(), path.c_str()) != 0) RaiseFF(rcIOError, "renaming " + tmp);
    } else {
      // link() fails when the name exists: no race can replace a table.
      if (::link(tmp.c_str(), path.c_str()) != 0) {
        if (errno == EEXIST) RaiseFF(rcTableExists, path);
        RaiseFF(rcIOError, "creating " + path);
      }
      ::unlink(tmp.c_str());
    }
    SyncDirOf(path);
  } catch (...) {
    ::unlink(tmp.c_str());
    throw;
  }
}

std::shared_ptr<TffTable> TffTable::Open(const std::string& path, TffOpenMode mode,
                                         TffShareMode share) {
  std::lock_guard<std::mutex> g(gRegistryMutex);
  if (Missing(path)) RaiseFF(rcNoSuchTable, path);
  std::string canon = Canonical(path);
  if (auto t = Registered(canon)) {
    if (share == TffShareMode::Exclusive || t->Exclusive())
      RaiseFF(rcNotExclusive, path + " is open already");
    if (mode == TffOpenMode::ReadWrite) t->impl_->UpgradeToWrite();
    return t;
  }
  auto impl = std::make_unique<TableImpl>(path, mode, share);
  if (mode == TffOpenMode::ReadWrite) RemoveStaleBuilds(path);
  std::shared_ptr<TffTable> t(new TffTable(std::move(impl)));
  t->impl_->Self() = t;
  Registry()[canon] = t;
  return t;
}

void TffTable::Delete(const std::string& path) {
  std::lock_guard<std::mutex> g(gRegistryMutex);
  if (!FileExists(path)) RaiseFF(rcNoSuchTable, path);
  if (Registered(Canonical(path)) || LockedElsewhere(path)) RaiseFF(rcTableInUse, path);
  if (::unlink(path.c_str()) != 0) RaiseFF(rcAccessDenied, path);
  ::unlink(JournalPath(path).c_str());
}

const std::string& TffTable::Path() const { return impl_->Path(); }
const TffDataDictionary& TffTable::Dictionary() const { return impl_->Dict(); }
bool TffTable::ReadOnly() const { return impl_->ReadOnly(); }
bool TffTable::Exclusive() const { return impl_->Exclusive(); }
uint32_t TffTable::RecordCount() const { return Get32(impl_->File().Header() + kHdrRecordCount); }
void TffTable::EmptyTable() { impl_->EmptyTable(); }
void TffTable::StartTransaction() { impl_->StartTransaction(); }
void TffTable::Commit() { impl_->Commit(); }
void TffTable::Rollback() { impl_->Rollback(); }
void TffTable::CommitTogether(const std::vector<TffTable*>& tables) {
  std::vector<ffdetail::TableImpl*> impls;
  for (TffTable* t : tables) impls.push_back(t->impl_.get());
  ffdetail::TableImpl::CommitGroup(impls);
}
bool TffTable::InTransaction() const { return impl_->InTransaction(); }
std::vector<std::string> TffTable::CheckConsistency() { return impl_->Check(); }
uint32_t TffTable::BlockCount() const { return impl_->File().BlockCount(); }

std::unique_ptr<TffCursor> TffTable::OpenCursor(int indexNo) {
  auto self = impl_->Self().lock();
  if (!self) RaiseFF(rcInvalidHandle, "table is closing");
  return std::unique_ptr<TffCursor>(new TffCursor(std::make_unique<CursorImpl>(self, indexNo)));
}

// ---------------------------------------------------------------- cursor --

TffCursor::TffCursor(std::unique_ptr<CursorImpl> impl) : impl_(std::move(impl)) {}
TffCursor::~TffCursor() = default;

TffTable& TffCursor::Table() { return impl_->Table(); }
const TffDataDictionary& TffCursor::Dictionary() const { return impl_->t_.Dict(); }
int TffCursor::RecordLength() const { return impl_->t_.Dict().RecordLength(); }
int TffCursor::IndexNo() const { return impl_->Index(); }
void TffCursor::SwitchToIndex(int indexNo) { impl_->SetIndex(indexNo); }
void TffCursor::SwitchToIndex(const AnsiString& name) {
  int n = Dictionary().IndexNumber(name);
  if (n < 0) RaiseFF(rcNoSuchIndex, name);
  impl_->SetIndex(n);
}
int TffCursor::IndexFieldCount() const {
  return impl_->Index() == kPhysicalOrder ? 0 : impl_->Spec().FieldCount();
}

void TffCursor::SetToBegin() { impl_->state_ = CursorImpl::State::BOF; }
void TffCursor::SetToEnd() { impl_->state_ = CursorImpl::State::EOF_; }

bool TffCursor::First(uint8_t* rec) {
  SetToBegin();
  return Next(rec);
}
bool TffCursor::Last(uint8_t* rec) {
  SetToEnd();
  return Prior(rec);
}
bool TffCursor::Next(uint8_t* rec) {
  if (!impl_->Next()) return false;
  impl_->CopyRecord(rec);
  impl_->t_.Trim();
  // The caller works on this record while the memory brings the next one.
  uint64_t next;
  if (impl_->Index() != kPhysicalOrder && impl_->Tree().RefAfter(impl_->hint_, &next))
    impl_->t_.Records().Prefetch(next);
  return true;
}
bool TffCursor::Prior(uint8_t* rec) {
  if (!impl_->Prior()) return false;
  impl_->CopyRecord(rec);
  impl_->t_.Trim();
  return true;
}
bool TffCursor::GetRecord(uint8_t* rec) {
  if (!impl_->OnLiveRecord()) return false;
  impl_->CopyRecord(rec);
  return true;
}
bool TffCursor::OnRecord() const { return impl_->OnLiveRecord(); }

TffBookmark TffCursor::GetBookmark() const {
  return impl_->OnLiveRecord() ? TffBookmark{impl_->ref_} : TffBookmark{};
}

void TffCursor::GotoBookmark(const TffBookmark& bm) {
  if (bm.Ref == 0 || !impl_->t_.Records().IsLive(bm.Ref)) RaiseFF(rcInvalidBookmark);
  auto savedState = impl_->state_;
  auto savedRef = impl_->ref_;
  auto savedKey = impl_->key_;
  impl_->ref_ = bm.Ref;
  if (impl_->Index() != kPhysicalOrder)
    impl_->key_ = impl_->KeyOf(impl_->t_.Records().Read(bm.Ref));
  if (!impl_->GoExact()) {
    impl_->state_ = savedState;
    impl_->ref_ = savedRef;
    impl_->key_ = savedKey;
    RaiseFF(rcInvalidBookmark);
  }
}

bool TffCursor::BookmarkValid(const TffBookmark& bm) {
  return bm.Ref != 0 && impl_->t_.Records().IsLive(bm.Ref);
}

int TffCursor::CompareBookmarks(const TffBookmark& a, const TffBookmark& b) {
  return impl_->CompareRefs(a.Ref, b.Ref);
}

bool TffCursor::FindKey(const uint8_t* keyRec, int fieldCount, int partialLen) {
  impl_->RequireIndex();
  const uint8_t* k = impl_->Probe(keyRec);
  BPos p = impl_->Tree().LowerBound({k, fieldCount, partialLen});
  if (!p.Valid()) return false;
  const uint8_t* found = impl_->Tree().Key(p);
  impl_->t_.Records().Prefetch(Get64(found + impl_->Spec().KeyLength()));
  if (impl_->Spec().Compare(found, k, fieldCount, partialLen) != 0 || !impl_->InStart(found) ||
      !impl_->InEnd(found))
    return false;
  impl_->SetPos(p, found);
  return true;
}

bool TffCursor::FindNearest(const uint8_t* keyRec, int fieldCount, int partialLen) {
  impl_->RequireIndex();
  const uint8_t* k = impl_->Probe(keyRec);
  BPos p = impl_->Tree().LowerBound({k, fieldCount, partialLen});
  if (p.Valid() && !impl_->InStart(impl_->Tree().Key(p))) p = impl_->RangeFirst();
  if (!p.Valid() || !impl_->InEnd(impl_->Tree().Key(p))) {
    impl_->state_ = CursorImpl::State::EOF_;
    return false;
  }
  impl_->SetPos(p);
  return true;
}

int TffCursor::CompareKeyWithCurrent(const uint8_t* keyRec, int fieldCount, int partialLen) {
  impl_->RequireIndex();
  if (!impl_->OnLiveRecord()) RaiseFF(rcNoCurrentRecord);
  auto cur = impl_->KeyOf(impl_->t_.Records().Read(impl_->ref_));
  auto k = impl_->KeyOf(keyRec);
  return impl_->Spec().Compare(cur.data(), k.data(), fieldCount, partialLen);
}

void TffCursor::SetRange(const uint8_t* startRec, int startFields, bool startInclusive,
                         const uint8_t* endRec, int endFields, bool endInclusive) {
  impl_->RequireIndex();
  auto& c = *impl_;
  c.hasRange_ = true;
  c.hasStart_ = startRec != nullptr;
  c.hasEnd_ = endRec != nullptr;
  // The bounds' buffers are kept from range to range: setting a range
  // allocates nothing once the cursor has had one.
  auto build = [&](const uint8_t* rec, std::vector<uint8_t>& key) {
    key.resize(static_cast<size_t>(c.Spec().KeyLength()));
    c.Spec().Build(rec, key.data());
  };
  if (startRec) build(startRec, c.start_);
  if (endRec) build(endRec, c.end_);
  c.startFields_ = startFields;
  c.endFields_ = endFields;
  c.startIncl_ = startInclusive;
  c.endIncl_ = endInclusive;
  c.state_ = CursorImpl::State::BOF;
}

void TffCursor::ResetRange() {
  impl_->hasRange_ = false;
  impl_->state_ = CursorImpl::State::BOF;
}
bool TffCursor::HasRange() const { return impl_->hasRange_; }

uint32_t TffCursor::RecordCountInRange() {
  auto& c = *impl_;
  if (!c.hasRange_) return Table().RecordCount();
  BPos p = c.RangeFirst();
  uint32_t n = 0;
  while (p.Valid()) {
    if (!c.InEnd(c.Tree().Key(p))) break;
    ++n;
    if (!c.Tree().NextPos(p)) break;
  }
  return n;
}

void TffCursor::InsertRecord(const uint8_t* rec) {
  // The insert reports where its entry landed: no second search.
  BPos pos;
  uint64_t ref = impl_->t_.Insert(rec, impl_->Index(), &pos);
  if (impl_->Index() == kPhysicalOrder) impl_->SetPhys(ref);
  else impl_->SetPos(pos);
}

void TffCursor::ModifyRecord(const uint8_t* rec) {
  if (!impl_->OnLiveRecord()) RaiseFF(rcNoCurrentRecord);
  uint64_t ref = impl_->ref_;
  impl_->t_.Modify(ref, rec);
  if (impl_->Index() != kPhysicalOrder) impl_->key_ = impl_->KeyOf(impl_->t_.Records().Read(ref));
  impl_->GoExact();
}

void TffCursor::DeleteRecord() {
  if (!impl_->OnLiveRecord()) RaiseFF(rcNoCurrentRecord);
  impl_->t_.Delete(impl_->ref_);
  impl_->state_ = CursorImpl::State::Between;
}

// ---- BLOBs ----

namespace {

const TffFieldDescriptor& BlobField(const TffDataDictionary& d, int field) {
  if (field < 0 || field >= d.FieldCount()) RaiseFF(rcNoSuchField, "field number " + std::to_string(field));
  const auto& f = d.Field(field);
  if (!IsBlobType(f.Type)) RaiseFF(rcBlobNotOpen, f.Name);
  return f;
}

}  // namespace

bool TffCursor::BlobIsNull(const uint8_t* rec, int field) {
  BlobField(Dictionary(), field);
  return FFIsFieldNull(Dictionary(), rec, field);
}

uint32_t TffCursor::BlobSize(const uint8_t* rec, int field) {
  const auto& f = BlobField(Dictionary(), field);
  if (FFIsFieldNull(Dictionary(), rec, field)) return 0;
  uint32_t ref = Get32(rec + f.Offset);
  if (ref & kPendingBit) {
    PendingBlob* pb = impl_->t_.FindPending(ref);
    if (!pb) impl_->t_.MissingPending(ref);
    return static_cast<uint32_t>(pb->Data.size());
  }
  return impl_->t_.Blobs().Size(ref);
}

uint32_t TffCursor::ReadBlob(const uint8_t* rec, int field, uint32_t offset, uint32_t length,
                             void* dest, bool* endReached) {
  const auto& f = BlobField(Dictionary(), field);
  uint32_t got = 0;
  if (!FFIsFieldNull(Dictionary(), rec, field)) {
    uint32_t ref = Get32(rec + f.Offset);
    if (ref & kPendingBit) {
      PendingBlob* pb = impl_->t_.FindPending(ref);
      if (!pb) impl_->t_.MissingPending(ref);
      if (offset < pb->Data.size()) {
        got = static_cast<uint32_t>(std::min<size_t>(length, pb->Data.size() - offset));
        std::memcpy(dest, pb->Data.data() + offset, got);
      }
    } else {
      got = impl_->t_.Blobs().Read(ref, offset, length, static_cast<uint8_t*>(dest));
    }
  }
  if (endReached) *endReached = got < length;
  return got;
}

std::string TffCursor::ReadBlobAll(const uint8_t* rec, int field) {
  const auto& f = BlobField(Dictionary(), field);
  if (FFIsFieldNull(Dictionary(), rec, field)) return {};
  uint32_t ref = Get32(rec + f.Offset);
  if (ref & kPendingBit) {
    PendingBlob* pb = impl_->t_.FindPending(ref);
    if (!pb) impl_->t_.MissingPending(ref);
    return pb->Data;
  }
  return impl_->t_.Blobs().ReadAll(ref);
}

namespace {

// The pending value of a BLOB field, created on first write from the
// buffer's stored value (or nothing).
PendingBlob& PendingOf(CursorImpl& c, uint8_t* rec, int field, bool loadStored) {
  const auto& d = c.t_.Dict();
  const auto& f = BlobField(d, field);
  if (c.t_.ReadOnly()) RaiseFF(rcTableReadOnly, c.t_.Path());
  bool isNull = FFIsFieldNull(d, rec, field);
  uint32_t old = isNull ? 0 : Get32(rec + f.Offset);
  if (old & kPendingBit) {
    if (PendingBlob* pb = c.t_.FindPending(old)) return *pb;
    RaiseFF(rcBlobNotOpen, "BLOB value of this buffer was stored; read the record again");
  }
  PendingBlob nb;
  nb.Owner = &c;
  nb.OriginalRef = old;
  nb.OriginalNull = isNull;
  if (loadStored && old) nb.Data = c.t_.Blobs().ReadAll(old);
  uint32_t ref = c.t_.AddPending(std::move(nb));
  FFSetFieldNull(d, rec, field, false);
  Put32(rec + f.Offset, ref);
  return *c.t_.FindPending(ref);
}

}  // namespace

void TffCursor::WriteBlob(uint8_t* rec, int field, const void* data, uint32_t length) {
  PendingBlob& pb = PendingOf(*impl_, rec, field, false);
  pb.Data.assign(static_cast<const char*>(data), length);
}

void TffCursor::WriteBlobAt(uint8_t* rec, int field, uint32_t offset, const void* data,
                            uint32_t length) {
  PendingBlob& pb = PendingOf(*impl_, rec, field, true);
  size_t end = size_t{offset} + length;
  if (end > 0x7FFFFFFF) RaiseFF(rcInvalidParameter, "BLOB too large");
  if (pb.Data.size() < end) pb.Data.resize(end, '\0');
  std::memcpy(pb.Data.data() + offset, data, length);
}

void TffCursor::TruncateBlob(uint8_t* rec, int field, uint32_t newLength) {
  PendingBlob& pb = PendingOf(*impl_, rec, field, true);
  if (newLength < pb.Data.size()) pb.Data.resize(newLength);
}

void TffCursor::SetBlobNull(uint8_t* rec, int field) {
  const auto& f = BlobField(Dictionary(), field);
  uint32_t old = Get32(rec + f.Offset);
  if (!FFIsFieldNull(Dictionary(), rec, field) && (old & kPendingBit)) impl_->t_.DropPending(old);
  FFSetFieldNull(Dictionary(), rec, field, true);
}

void TffCursor::DiscardBlobs(uint8_t* rec) {
  const auto& d = Dictionary();
  for (int i = 0; i < d.FieldCount(); ++i) {
    const auto& f = d.Field(i);
    if (!IsBlobType(f.Type) || FFIsFieldNull(d, rec, i)) continue;
    uint32_t ref = Get32(rec + f.Offset);
    if (!(ref & kPendingBit)) continue;
    PendingBlob* pb = impl_->t_.FindPending(ref);
    uint32_t orig = pb ? pb->OriginalRef : 0;
    bool origNull = pb ? pb->OriginalNull : true;
    impl_->t_.DropPending(ref);
    FFSetFieldNull(d, rec, i, origNull);
    if (!origNull) Put32(rec + f.Offset, orig);
  }
}

std::unique_ptr<TffCursor> TffCursor::Clone() const {
  auto c = std::make_unique<CursorImpl>(impl_->hold_, impl_->Index());
  c->state_ = impl_->state_;
  c->key_ = impl_->key_;
  c->ref_ = impl_->ref_;
  c->hint_ = impl_->hint_;
  c->hintVersion_ = impl_->hintVersion_;
  c->hasRange_ = impl_->hasRange_;
  c->hasStart_ = impl_->hasStart_;
  c->hasEnd_ = impl_->hasEnd_;
  c->startIncl_ = impl_->startIncl_;
  c->endIncl_ = impl_->endIncl_;
  c->startFields_ = impl_->startFields_;
  c->endFields_ = impl_->endFields_;
  c->start_ = impl_->start_;
  c->end_ = impl_->end_;
  return std::unique_ptr<TffCursor>(new TffCursor(std::move(c)));
}

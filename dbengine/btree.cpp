// B+tree over index blocks; see btree.h for the node layout and invariants.
#include "dbengine/btree.h"

#include <algorithm>
#include <set>

#include "dbengine/result_codes.h"

namespace ffdetail {

namespace {
constexpr size_t kLevel = 16, kCount = 18, kPrev = 20, kIndexNo = 24, kChild0 = 28, kEntries = 32;
constexpr int kMaxDepth = 40;
}  // namespace

BTree::BTree(BlockFile& file, const KeySpec& spec, int indexNo, const std::string& name)
    : file_(file), spec_(spec), indexNo_(indexNo), name_(name), keyLen_(spec.KeyLength()) {
  leafEntry_ = keyLen_ + 8;
  innerEntry_ = keyLen_ + 12;
  leafCap_ = static_cast<int>((file.BlockSize() - kEntries) / static_cast<uint32_t>(leafEntry_));
  innerCap_ = static_cast<int>((file.BlockSize() - kEntries) / static_cast<uint32_t>(innerEntry_));
}

int BTree::Capacity(uint32_t blockSize, int keyLength) {
  return static_cast<int>((blockSize - kEntries) / static_cast<uint32_t>(keyLength + 12));
}

uint32_t BTree::CreateEmpty(BlockFile& file, int indexNo) {
  uint32_t b;
  uint8_t* p = file.Allocate(kSigIndex, &b);
  Put32(p + kIndexNo, static_cast<uint32_t>(indexNo));
  return b;
}

uint32_t BTree::Root() const { return Get32(file_.Header() + kHdrIndexRoots + 4 * indexNo_); }
void BTree::SetRoot(uint32_t b) { Put32(file_.HeaderForWrite() + kHdrIndexRoots + 4 * indexNo_, b); }

const uint8_t* BTree::Node(uint32_t b, int level) {
  const uint8_t* p = file_.Read(b, kSigIndex);
  int lvl = Get16(p + kLevel), cnt = Get16(p + kCount);
  if (Get32(p + kIndexNo) != static_cast<uint32_t>(indexNo_) || (level >= 0 && lvl != level) ||
      lvl > kMaxDepth || cnt > (lvl == 0 ? leafCap_ : innerCap_))
    file_.Damaged("index block " + std::to_string(b) + " does not fit its tree");
  return p;
}

uint8_t* BTree::NodeW(uint32_t b) { return file_.Write(b, kSigIndex); }

int BTree::CompareFull(const uint8_t* ka, uint64_t ra, const uint8_t* kb, uint64_t rb) const {
  int c = spec_.Compare(ka, kb);
  if (c != 0) return c;
  return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

int BTree::CompareEntry(const uint8_t* entry, const BTarget& t) const {
  int c = spec_.Compare(entry, t.Key, t.Fields, t.PartialLen);
  if (c != 0 || !t.Ref) return c;
  uint64_t r = Get64(entry + keyLen_);
  return r < *t.Ref ? -1 : (r > *t.Ref ? 1 : 0);
}

// The first of `count` entries of `size` bytes at `base` that does not lie
// before the target (`right`: that lies after it), or `count`.
//
// On an index ordered by an integer field the place is guessed from the
// first entry's value and the largest value the node can hold (`ceiling`:
// the parent's next separator, else the last entry), then bracketed by
// steps doubling away from the guess and narrowed by halving; in a node of
// evenly spread keys (ids, dates) that reads three or four entries where
// halving alone reads ten. Halving asks the memory for both entries its
// next step may look at, so a node that is not in the processor's cache
// costs one wait per two steps. The guess only decides where to look
// first: the answer is the same either way.
int BTree::Locate(const uint8_t* base, int count, size_t size, const BTarget& t, bool right,
                  const int64_t* target, const int64_t* ceiling) const {
  auto before = [&](int i) {
    int c = CompareEntry(base + static_cast<size_t>(i) * size, t);
    return right ? c <= 0 : c < 0;
  };
  auto halve = [&](int lo, int hi) {
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      __builtin_prefetch(base + static_cast<size_t>((lo + mid) / 2) * size);
      __builtin_prefetch(base + static_cast<size_t>((mid + 1 + hi) / 2) * size);
      if (before(mid)) lo = mid + 1; else hi = mid;
    }
    return lo;
  };
  int64_t first, last;
  if (!target || count < 8 || !spec_.LeadingNumber(base, &first)) return halve(0, count);
  if (ceiling) last = *ceiling;
  else if (!spec_.LeadingNumber(base + static_cast<size_t>(count - 1) * size, &last)) return halve(0, count);
  int guess = *target <= first ? 0
              : *target >= last ? count - 1
                                : static_cast<int>((*target - first) * (count - 1) / (last - first));
  if (before(guess)) {
    int lo = guess + 1;
    for (int step = 1;; step *= 2) {
      int probe = lo + step - 1;
      if (probe >= count) return halve(lo, count);
      if (!before(probe)) return halve(lo, probe);
      lo = probe + 1;
    }
  }
  int hi = guess;
  for (int step = 1;; step *= 2) {
    int probe = hi - step;
    if (probe < 0) return halve(0, hi);
    if (before(probe)) return halve(probe + 1, hi);
    hi = probe;
  }
}

// Descends to a leaf. `upper` selects "first entry > target" instead of
// "first entry >= target"; with a reference in the target every entry is
// distinct, and the descent then follows the last separator <= target so
// that an exact entry is always found in its own leaf.
BPos BTree::Search(const BTarget& t, bool upper, std::vector<PathStep>* path, int* leafCount) {
  ++descents_;
  uint32_t b = Root();
  int level = -1;
  bool rightDescent = upper || t.Ref;
  int64_t number, bound;
  const int64_t* target = spec_.LeadingNumber(t.Key, &number) ? &number : nullptr;
  const int64_t* ceiling = nullptr;
  for (int depth = 0;; ++depth) {
    if (depth > kMaxDepth) file_.Damaged("index tree too deep");
    const uint8_t* p = Node(b, level);
    int lvl = Get16(p + kLevel), cnt = Get16(p + kCount);
    if (lvl == 0) {
      if (leafCount) *leafCount = cnt;
      return {b, Locate(p + kEntries, cnt, static_cast<size_t>(leafEntry_), t, upper, target, ceiling)};
    }
    int child =
        Locate(p + kEntries, cnt, static_cast<size_t>(innerEntry_), t, rightDescent, target, ceiling) - 1;
    if (path) path->push_back({b, child});
    // Every entry under the child is below the next separator.
    if (child + 1 < cnt)
      ceiling = target && spec_.LeadingNumber(p + kEntries + static_cast<size_t>(child + 1) * innerEntry_, &bound)
                    ? &bound
                    : nullptr;
    b = child < 0 ? Get32(p + kChild0)
                  : Get32(p + kEntries + static_cast<size_t>(child) * innerEntry_ + keyLen_ + 8);
    level = lvl - 1;
  }
}

// The first entry at or after where the search ended: the next leaf's
// first when it ended behind the last entry of its leaf.
BPos BTree::Bound(const BTarget& t, bool upper) {
  int cnt = 0;
  BPos p = Search(t, upper, nullptr, &cnt);
  if (p.Idx >= cnt) {
    uint32_t n = NextLeaf(p.Leaf);
    return n ? BPos{n, 0} : BPos{};
  }
  return p;
}

BPos BTree::LowerBound(const BTarget& t) { return Bound(t, false); }
BPos BTree::UpperBound(const BTarget& t) { return Bound(t, true); }

int BTree::LeafCount(uint32_t leaf) { return Get16(Node(leaf, 0) + kCount); }

uint32_t BTree::NextLeaf(uint32_t leaf) {
  uint32_t n = Get32(Node(leaf, 0) + kOffNext);
  if (n == leaf) file_.Damaged("leaf chain loops");
  return n;
}

BPos BTree::FirstPos() {
  uint32_t b = Root();
  for (int depth = 0;; ++depth) {
    if (depth > kMaxDepth) file_.Damaged("index tree too deep");
    const uint8_t* p = Node(b, -1);
    if (Get16(p + kLevel) == 0) return Get16(p + kCount) ? BPos{b, 0} : BPos{};
    b = Get32(p + kChild0);
  }
}

BPos BTree::LastPos() {
  uint32_t b = Root();
  for (int depth = 0;; ++depth) {
    if (depth > kMaxDepth) file_.Damaged("index tree too deep");
    const uint8_t* p = Node(b, -1);
    int cnt = Get16(p + kCount);
    if (Get16(p + kLevel) == 0) return cnt ? BPos{b, cnt - 1} : BPos{};
    b = cnt == 0 ? Get32(p + kChild0)
                 : Get32(p + kEntries + static_cast<size_t>(cnt - 1) * innerEntry_ + keyLen_ + 8);
  }
}

bool BTree::NextPos(BPos& pos) {
  const uint8_t* p = Node(pos.Leaf, 0);
  if (pos.Idx + 1 < Get16(p + kCount)) {
    ++pos.Idx;
    return true;
  }
  uint32_t n = Get32(p + kOffNext);
  if (n == 0) return false;
  if (n == pos.Leaf || LeafCount(n) == 0) file_.Damaged("leaf chain broken");
  pos = {n, 0};
  return true;
}

bool BTree::PrevPos(BPos& pos) {
  if (pos.Idx > 0) {
    --pos.Idx;
    return true;
  }
  uint32_t n = Get32(Node(pos.Leaf, 0) + kPrev);
  if (n == 0) return false;
  int cnt = LeafCount(n);
  if (n == pos.Leaf || cnt == 0) file_.Damaged("leaf chain broken");
  pos = {n, cnt - 1};
  return true;
}

const uint8_t* BTree::Key(const BPos& pos) {
  const uint8_t* p = Node(pos.Leaf, 0);
  if (pos.Idx >= Get16(p + kCount)) file_.Damaged("index position beyond its leaf");
  return p + kEntries + static_cast<size_t>(pos.Idx) * leafEntry_;
}

uint64_t BTree::Ref(const BPos& pos) { return Get64(Key(pos) + keyLen_); }

bool BTree::RefAfter(const BPos& pos, uint64_t* ref) {
  const uint8_t* p = Node(pos.Leaf, 0);
  if (pos.Idx + 1 >= Get16(p + kCount)) return false;
  *ref = Get64(p + kEntries + static_cast<size_t>(pos.Idx + 1) * leafEntry_ + keyLen_);
  return true;
}

BPos BTree::Insert(const uint8_t* key, uint64_t ref) {
  std::vector<PathStep> path;
  BPos pos = Search({key, 0, 0, &ref}, true, &path);
  uint8_t* leaf = NodeW(pos.Leaf);
  int cnt = Get16(leaf + kCount);
  std::vector<uint8_t> entry(static_cast<size_t>(leafEntry_));
  std::memcpy(entry.data(), key, static_cast<size_t>(keyLen_));
  Put64(entry.data() + keyLen_, ref);
  uint8_t* base = leaf + kEntries;
  size_t le = static_cast<size_t>(leafEntry_);
  if (cnt < leafCap_) {
    std::memmove(base + (pos.Idx + 1) * le, base + pos.Idx * le, (cnt - pos.Idx) * le);
    std::memcpy(base + pos.Idx * le, entry.data(), le);
    Put16(leaf + kCount, static_cast<uint16_t>(cnt + 1));
    return pos;
  }
  // Split: the lower half stays, the upper half moves to a new right leaf.
  std::vector<uint8_t> all((cnt + 1) * le);
  std::memcpy(all.data(), base, pos.Idx * le);
  std::memcpy(all.data() + pos.Idx * le, entry.data(), le);
  std::memcpy(all.data() + (pos.Idx + 1) * le, base + pos.Idx * le, (cnt - pos.Idx) * le);
  int left = (cnt + 1) / 2, right = cnt + 1 - left;
  uint32_t rb;
  uint8_t* r = file_.Allocate(kSigIndex, &rb);
  leaf = NodeW(pos.Leaf);
  Put32(r + kIndexNo, static_cast<uint32_t>(indexNo_));
  std::memcpy(leaf + kEntries, all.data(), left * le);
  Put16(leaf + kCount, static_cast<uint16_t>(left));
  std::memcpy(r + kEntries, all.data() + left * le, right * le);
  Put16(r + kCount, static_cast<uint16_t>(right));
  uint32_t next = Get32(leaf + kOffNext);
  Put32(r + kOffNext, next);
  Put32(r + kPrev, pos.Leaf);
  Put32(leaf + kOffNext, rb);
  if (next) Put32(NodeW(next) + kPrev, rb);
  InsertInner(path, path.size(), all.data() + left * le, rb);
  return pos.Idx < left ? pos : BPos{rb, pos.Idx - left};
}

// Inserts separator `sep` (key + reference) with its right child into the
// node at path[depth - 1], splitting upwards as needed.
void BTree::InsertInner(std::vector<PathStep>& path, size_t depth, const uint8_t* sep,
                        uint32_t rightChild) {
  size_t ie = static_cast<size_t>(innerEntry_);
  std::vector<uint8_t> entry(ie);
  std::memcpy(entry.data(), sep, static_cast<size_t>(keyLen_) + 8);
  Put32(entry.data() + keyLen_ + 8, rightChild);
  if (depth == 0) {
    uint32_t old = Root();
    int oldLevel = Get16(Node(old, -1) + kLevel);
    uint32_t nb;
    uint8_t* n = file_.Allocate(kSigIndex, &nb);
    Put32(n + kIndexNo, static_cast<uint32_t>(indexNo_));
    Put16(n + kLevel, static_cast<uint16_t>(oldLevel + 1));
    Put32(n + kChild0, old);
    std::memcpy(n + kEntries, entry.data(), ie);
    Put16(n + kCount, 1);
    SetRoot(nb);
    return;
  }
  PathStep step = path[depth - 1];
  uint8_t* node = NodeW(step.Block);
  int cnt = Get16(node + kCount);
  int at = step.Child + 1;
  uint8_t* base = node + kEntries;
  if (cnt < innerCap_) {
    std::memmove(base + (at + 1) * ie, base + at * ie, (cnt - at) * ie);
    std::memcpy(base + at * ie, entry.data(), ie);
    Put16(node + kCount, static_cast<uint16_t>(cnt + 1));
    return;
  }
  std::vector<uint8_t> all((cnt + 1) * ie);
  std::memcpy(all.data(), base, at * ie);
  std::memcpy(all.data() + at * ie, entry.data(), ie);
  std::memcpy(all.data() + (at + 1) * ie, base + at * ie, (cnt - at) * ie);
  int m = (cnt + 1) / 2;  // entry m moves up; its child starts the right node
  uint32_t rb;
  uint8_t* r = file_.Allocate(kSigIndex, &rb);
  node = NodeW(step.Block);
  Put32(r + kIndexNo, static_cast<uint32_t>(indexNo_));
  Put16(r + kLevel, Get16(node + kLevel));
  Put32(r + kChild0, Get32(all.data() + m * ie + keyLen_ + 8));
  std::memcpy(node + kEntries, all.data(), m * ie);
  Put16(node + kCount, static_cast<uint16_t>(m));
  int rc = cnt - m;
  std::memcpy(r + kEntries, all.data() + (m + 1) * ie, rc * ie);
  Put16(r + kCount, static_cast<uint16_t>(rc));
  InsertInner(path, depth - 1, all.data() + m * ie, rb);
}

bool BTree::Remove(const uint8_t* key, uint64_t ref) {
  std::vector<PathStep> path;
  BPos pos = Search({key, 0, 0, &ref}, false, &path);
  const uint8_t* lp = Node(pos.Leaf, 0);
  int cnt = Get16(lp + kCount);
  if (pos.Idx >= cnt) return false;
  const uint8_t* e = lp + kEntries + static_cast<size_t>(pos.Idx) * leafEntry_;
  if (CompareFull(e, Get64(e + keyLen_), key, ref) != 0) return false;
  uint8_t* leaf = NodeW(pos.Leaf);
  size_t le = static_cast<size_t>(leafEntry_);
  std::memmove(leaf + kEntries + pos.Idx * le, leaf + kEntries + (pos.Idx + 1) * le,
               (cnt - pos.Idx - 1) * le);
  Put16(leaf + kCount, static_cast<uint16_t>(cnt - 1));
  if (cnt - 1 == 0 && pos.Leaf != Root()) {
    uint32_t prev = Get32(leaf + kPrev), next = Get32(leaf + kOffNext);
    if (prev) Put32(NodeW(prev) + kOffNext, next);
    if (next) Put32(NodeW(next) + kPrev, prev);
    file_.Free(pos.Leaf);
    RemoveChild(path, path.size());
  }
  // An inner root with a single child hands the root over to it.
  for (;;) {
    uint32_t root = Root();
    const uint8_t* rp = Node(root, -1);
    if (Get16(rp + kLevel) == 0 || Get16(rp + kCount) != 0) break;
    SetRoot(Get32(rp + kChild0));
    file_.Free(root);
  }
  return true;
}

// Removes the child pointer path[depth - 1].Child from its node (the child
// itself was freed); a node left without children is freed in turn.
void BTree::RemoveChild(std::vector<PathStep>& path, size_t depth) {
  PathStep step = path[depth - 1];
  uint8_t* node = NodeW(step.Block);
  int cnt = Get16(node + kCount);
  size_t ie = static_cast<size_t>(innerEntry_);
  uint8_t* base = node + kEntries;
  if (step.Child < 0) {
    if (cnt == 0) {
      if (step.Block == Root()) {
        // The whole tree emptied: the root becomes an empty leaf.
        Put16(node + kLevel, 0);
        Put32(node + kChild0, 0);
        Put32(node + kOffNext, 0);
        Put32(node + kPrev, 0);
        return;
      }
      file_.Free(step.Block);
      RemoveChild(path, depth - 1);
      return;
    }
    Put32(node + kChild0, Get32(base + keyLen_ + 8));
    std::memmove(base, base + ie, (cnt - 1) * ie);
  } else {
    std::memmove(base + step.Child * ie, base + (step.Child + 1) * ie, (cnt - step.Child - 1) * ie);
  }
  Put16(node + kCount, static_cast<uint16_t>(cnt - 1));
}

void BTree::Check(std::vector<std::string>& problems,
                  const std::function<void(const uint8_t*, uint64_t)>& visit) {
  std::vector<uint32_t> leaves;
  std::string where = "index " + name_ + ": ";
  size_t before = problems.size();
  checkSeen_.clear();
  try {
    CheckNode(Root(), -1, nullptr, 0, nullptr, 0, leaves, problems, visit, 0);
  } catch (const EffException& e) {
    problems.push_back(where + e.Message());
    return;
  }
  if (problems.size() != before) return;
  try {
    for (size_t i = 0; i < leaves.size(); ++i) {
      const uint8_t* p = Node(leaves[i], 0);
      uint32_t prev = Get32(p + kPrev), next = Get32(p + kOffNext);
      if (prev != (i ? leaves[i - 1] : 0) || next != (i + 1 < leaves.size() ? leaves[i + 1] : 0)) {
        problems.push_back(where + "leaf chain differs from tree order at block " +
                           std::to_string(leaves[i]));
        return;
      }
    }
  } catch (const EffException& e) {
    problems.push_back(where + e.Message());
  }
}

void BTree::CheckNode(uint32_t b, int level, const uint8_t* lo, uint64_t loRef, const uint8_t* hi,
                      uint64_t hiRef, std::vector<uint32_t>& leaves,
                      std::vector<std::string>& problems,
                      const std::function<void(const uint8_t*, uint64_t)>& visit, int depth) {
  std::string where = "index " + name_ + " block " + std::to_string(b) + ": ";
  if (depth > kMaxDepth) {
    problems.push_back(where + "tree too deep");
    return;
  }
  if (!checkSeen_.insert(b).second) {
    problems.push_back(where + "block reached twice");
    return;
  }
  const uint8_t* p;
  try {
    p = Node(b, level);
  } catch (const EffException& e) {
    // The rest of the tree is still walked: a damaged block costs only
    // the entries beneath it.
    problems.push_back("index " + name_ + ": " + e.Message() +
                       "; look-ups through it fail");
    return;
  }
  int lvl = Get16(p + kLevel), cnt = Get16(p + kCount);
  if (lvl == 0 && cnt == 0 && depth > 0) problems.push_back(where + "empty leaf below the root");
  size_t es = static_cast<size_t>(lvl == 0 ? leafEntry_ : innerEntry_);
  // Copy the entries: the recursion below may evict nothing, but keeps
  // this node's bytes stable even so.
  std::vector<uint8_t> copy(p, p + kEntries + cnt * es);
  const uint8_t* ents = copy.data() + kEntries;
  for (int i = 0; i < cnt; ++i) {
    const uint8_t* e = ents + i * es;
    uint64_t r = Get64(e + keyLen_);
    if (i > 0 && CompareFull(ents + (i - 1) * es, Get64(ents + (i - 1) * es + keyLen_), e, r) >= 0)
      problems.push_back(where + "entries out of order at " + std::to_string(i));
    if (lo && CompareFull(e, r, lo, loRef) < 0) problems.push_back(where + "entry below its bound");
    if (hi && CompareFull(e, r, hi, hiRef) >= 0) problems.push_back(where + "entry above its bound");
  }
  if (lvl == 0) {
    leaves.push_back(b);
    for (int i = 0; i < cnt; ++i) visit(ents + i * es, Get64(ents + i * es + keyLen_));
    return;
  }
  for (int i = -1; i < cnt; ++i) {
    uint32_t child = i < 0 ? Get32(copy.data() + kChild0) : Get32(ents + i * es + keyLen_ + 8);
    const uint8_t* clo = i < 0 ? lo : ents + i * es;
    uint64_t cloRef = i < 0 ? loRef : Get64(ents + i * es + keyLen_);
    const uint8_t* chi = i + 1 < cnt ? ents + (i + 1) * es : hi;
    uint64_t chiRef = i + 1 < cnt ? Get64(ents + (i + 1) * es + keyLen_) : hiRef;
    CheckNode(child, lvl - 1, clo, cloRef, chi, chiRef, leaves, problems, visit, depth + 1);
    if (problems.size() > 50) return;
  }
}

}  // namespace ffdetail

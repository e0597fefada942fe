// B+tree of one index, kept in index blocks ("FFIH").
//
// Node layout after the common block header: level (16-bit, 0 = leaf),
// entry count (16-bit), previous leaf (leaves), index number, first child
// (inner nodes); entries from byte 32. A leaf entry is key + record
// reference (64-bit); an inner entry is key + reference + child block. Every
// entry (key, reference) is unique in the tree, so duplicates of a key are
// ordered by record reference.
//
// Invariants between calls:
//  - entries of a node are in strictly ascending (key, reference) order;
//  - inner entry i is <= every entry under its child and > every entry
//    under the child before it;
//  - all leaves are on level 0, a child is exactly one level below its
//    parent, and the leaves form a doubly linked chain in key order;
//  - only the root may be empty; an inner node has at least one child
//    (emptied nodes are freed, so space comes back when records go).
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "dbengine/blockfile.h"
#include "dbengine/keys.h"

namespace ffdetail {

struct BPos {
  uint32_t Leaf = 0;  // 0: no position
  int Idx = 0;
  bool Valid() const { return Leaf != 0; }
};

struct BTarget {
  const uint8_t* Key;
  int Fields = 0;
  int PartialLen = 0;
  const uint64_t* Ref = nullptr;  // tie-break on the reference when given
};

class BTree {
public:
  BTree(BlockFile& file, const KeySpec& spec, int indexNo, const std::string& name);

  // Smallest node capacity of a key length in a block size (>= 4 needed).
  static int Capacity(uint32_t blockSize, int keyLength);
  // A new empty tree; returns its root block.
  static uint32_t CreateEmpty(BlockFile& file, int indexNo);

  // Returns where the new entry stands.
  BPos Insert(const uint8_t* key, uint64_t ref);
  bool Remove(const uint8_t* key, uint64_t ref);

  BPos LowerBound(const BTarget& t);  // first entry >= target
  BPos UpperBound(const BTarget& t);  // first entry > target
  BPos FirstPos();
  BPos LastPos();
  bool NextPos(BPos& p);
  bool PrevPos(BPos& p);
  const uint8_t* Key(const BPos& p);
  // The record reference of the entry after p when it stands in p's leaf.
  bool RefAfter(const BPos& p, uint64_t* ref);
  uint64_t Ref(const BPos& p);
  // Number of entries in the leaf of p (for fast counting) and its next leaf.
  int LeafCount(uint32_t leaf);
  uint32_t NextLeaf(uint32_t leaf);

  // Walks the tree checking every invariant; calls visit for each entry in
  // order; appends problems.
  void Check(std::vector<std::string>& problems,
             const std::function<void(const uint8_t* key, uint64_t ref)>& visit);
  // Descents from the root so far (each search or change costs one).
  uint64_t Descents() const { return descents_; }
  // Blocks reached by the last Check.
  const std::set<uint32_t>& CheckedBlocks() const { return checkSeen_; }

private:
  struct PathStep {
    uint32_t Block;
    int Child;  // -1: first child, else entry index
  };
  uint32_t Root() const;
  void SetRoot(uint32_t b);
  const uint8_t* Node(uint32_t b, int level);
  uint8_t* NodeW(uint32_t b);
  int CompareEntry(const uint8_t* entry, const BTarget& t) const;
  int CompareFull(const uint8_t* ka, uint64_t ra, const uint8_t* kb, uint64_t rb) const;
  int Locate(const uint8_t* base, int count, size_t size, const BTarget& t, bool right,
             const int64_t* target, const int64_t* ceiling) const;
  BPos Search(const BTarget& t, bool upper, std::vector<PathStep>* path, int* leafCount = nullptr);
  BPos Bound(const BTarget& t, bool upper);
  void InsertInner(std::vector<PathStep>& path, size_t depth, const uint8_t* sepEntry,
                   uint32_t rightChild);
  void RemoveChild(std::vector<PathStep>& path, size_t depth);
  void CheckNode(uint32_t b, int level, const uint8_t* lo, uint64_t loRef, const uint8_t* hi,
                 uint64_t hiRef, std::vector<uint32_t>& leaves, std::vector<std::string>& problems,
                 const std::function<void(const uint8_t*, uint64_t)>& visit, int depth);

  BlockFile& file_;
  const KeySpec& spec_;
  int indexNo_;
  std::string name_;
  int keyLen_;
  int leafEntry_, innerEntry_;
  int leafCap_, innerCap_;
  std::set<uint32_t> checkSeen_;
  uint64_t descents_ = 0;
};

}  // namespace ffdetail

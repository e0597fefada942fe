// BLOB store: values of BLOB fields as chains of BLOB blocks ("FFBH").
//
// A BLOB block holds, after the common header (its "next" is the following
// block of the chain), the total length (first block only), the bytes used
// in this block, and a first-block flag; data starts at byte 32. A record's
// 4-byte BLOB reference is the first block's number; 0 means no chain (an
// empty or a null value, told apart by the record's null flag).
//
// Invariants between calls:
//  - a chain of a BLOB of n bytes has ceil(n / capacity) blocks, every one
//    full but the last, and belongs to exactly one record field;
//  - a chain is written whole before the record that refers to it is
//    stored, and freed in the same commit that drops the reference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbengine/blockfile.h"

namespace ffdetail {

class BlobStore {
public:
  explicit BlobStore(BlockFile& file);
  uint32_t Capacity() const { return cap_; }

  uint32_t Write(const uint8_t* data, uint32_t length);  // 0 for length 0
  uint32_t Copy(uint32_t first);
  uint32_t Size(uint32_t first);
  uint32_t Read(uint32_t first, uint32_t offset, uint32_t length, uint8_t* dest);
  std::string ReadAll(uint32_t first);
  void Free(uint32_t first);
  // Walks one chain, marking its blocks in blockUse (problems when a block
  // is used twice or the chain does not fit its length).
  void Check(uint32_t first, std::vector<std::string>& problems, std::vector<uint8_t>& blockUse);

private:
  const uint8_t* First(uint32_t first);
  BlockFile& file_;
  uint32_t cap_;
};

}  // namespace ffdetail

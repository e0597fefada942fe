// Index keys: how a key is built from a record and how two keys compare.
//
// A key holds the key fields' stored bytes in key order, then one null bit
// per key field (ceil(n/8) bytes). A null field's bytes are zero. Strings of
// a case-insensitive index are stored folded to upper case (Windows-1252),
// so equal-but-for-case texts build identical keys.
//
// Order: field by field by type; a null sorts before every value, in either
// direction, and equals another null (so a unique index refuses a second
// key that is null where the first is); a descending index reverses the
// order of non-null values; floats order totally, a NaN first.
// Comparing over fewer fields, or over the first `partialLen` characters of
// the last compared string, treats longer keys with that prefix as equal:
// this is what searches and ranges on leading fields rely on.
#pragma once

#include <cstdint>
#include <vector>

#include "dbengine/dictionary.h"

namespace ffdetail {

struct KeyPart {
  int Field;       // record field number
  int Type;
  int RecOffset;   // in the record
  int KeyOffset;   // in the key
  int Length;
};

class KeySpec {
public:
  KeySpec(const TffDataDictionary& dict, int indexNo);
  int KeyLength() const { return keyLength_; }
  int FieldCount() const { return static_cast<int>(parts_.size()); }
  bool Unique() const { return unique_; }
  bool Descending() const { return descending_; }

  void Build(const uint8_t* rec, uint8_t* key) const;
  // Sign of a - b over the first `fields` fields (all when 0 or more than
  // the key has); partialLen > 0 limits the last compared string field.
  int Compare(const uint8_t* a, const uint8_t* b, int fields = 0, int partialLen = 0) const;
  // The first field of a key as a number, when the index orders by it as
  // one (an integer field of an ascending index) and it is not null: what
  // a search uses to guess where a key stands among others.
  bool LeadingNumber(const uint8_t* key, int64_t* value) const;

private:
  std::vector<KeyPart> parts_;
  int keyLength_ = 0;
  int nullOffset_ = 0;
  int nullFieldOffset_ = 0;  // null-flag area of the record
  bool unique_ = false;
  bool descending_ = false;
  bool caseInsensitive_ = false;
  int leadingType_ = -1;  // type of the first field when LeadingNumber applies
};

}  // namespace ffdetail

// The data dictionary: fields, indexes and files of one table, and the
// layout of its records and keys that follows from them.
//
// Invariants:
//  - fields are packed in the order added; field i starts at FieldOffset(i)
//    and the null-flag area (one bit per field, ceil(fields/8) bytes) follows
//    the last field, so RecordLength() = FieldsLength() + null-flag bytes;
//  - every index refers to existing, non-BLOB fields of file 0; its key is
//    the key fields' stored bytes in key order followed by one null-flag byte
//    per eight key fields (KeyLength());
//  - a locked dictionary (the copy a table keeps) never changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbengine/fieldtypes.h"
#include "dbengine/result_codes.h"

// Stored length of a field of this type and size; 0 for an unknown type or
// a size out of range (short strings take 1..255 characters).
int FieldStoredLength(int type, int units);
bool IsBlobType(int type);
bool IsKnownFieldType(int type);

struct TffFieldDescriptor {
  AnsiString Name;
  AnsiString Description;
  int Type = 0;
  int Units = 0;      // characters of a short string, else 0
  int Decimals = 0;
  bool Required = false;
  int Offset = 0;     // byte offset in the record
  int Length = 0;     // stored length
};

struct TffIndexDescriptor {
  AnsiString Name;
  AnsiString Description;
  int FileNumber = 0;
  std::vector<int> Fields;  // field numbers, from 0
  bool AllowDups = false;
  bool Ascending = true;
  bool CaseInsensitive = false;
  int KeyLength = 0;  // key fields' stored lengths + one null byte per 8 fields
};

// General message numbers carried by EffException::ErrorCode().
constexpr int ffmsgFieldOutOfRange = 100;   // a field number outside the field list
constexpr int ffmsgUnknownFieldType = 101;  // unknown type or invalid size
constexpr int ffmsgDictLocked = 104;        // the dictionary belongs to a built table
constexpr int ffmsgNoSuchFile = 108;        // a file number the dictionary lacks
constexpr int ffmsgDupFieldName = 117;      // a field of that name exists
constexpr int ffmsgDupIndexName = 118;      // an index of that name exists

class TffDataDictionary {
public:
  // Block size 4096, 8192, 16384 or 32768; anything else raises
  // rcInvalidDictionary.
  explicit TffDataDictionary(int blockSize = 8192);

  void Clear();
  // Appends a field; raises 117 for a name that exists (letter case
  // ignored), 101 for an unknown type or size, 104 when locked.
  void AddField(const AnsiString& name, const AnsiString& description, int type, int units,
                int decimals, bool required);
  // Appends an index over fieldCount field numbers; raises 118 for a name
  // that exists, 108 for a file other than 0, 100 for a field number outside
  // the list (or a BLOB field), 104 when locked.
  void AddIndex(const AnsiString& name, const AnsiString& description, int fileNumber,
                int fieldCount, const int* fieldNumbers, bool allowDups, bool ascending,
                bool caseInsensitive);
  void AddIndex(const AnsiString& name, const AnsiString& description, int fileNumber,
                const std::vector<int>& fieldNumbers, bool allowDups, bool ascending,
                bool caseInsensitive) {
    AddIndex(name, description, fileNumber, static_cast<int>(fieldNumbers.size()),
             fieldNumbers.data(), allowDups, ascending, caseInsensitive);
  }

  int BlockSize() const { return blockSize_; }
  int FileCount() const { return 1; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  const TffFieldDescriptor& Field(int i) const { return fields_.at(static_cast<size_t>(i)); }
  int FieldIndex(const AnsiString& name) const;  // -1 when missing; letter case ignored
  int IndexCount() const { return static_cast<int>(indexes_.size()); }
  const TffIndexDescriptor& Index(int i) const { return indexes_.at(static_cast<size_t>(i)); }
  int IndexNumber(const AnsiString& name) const;  // -1 when missing; letter case ignored

  int FieldsLength() const { return fieldsLength_; }  // sum of the stored lengths
  int NullFlagsLength() const { return (FieldCount() + 7) / 8; }
  int NullFlagsOffset() const { return fieldsLength_; }
  int RecordLength() const { return fieldsLength_ + NullFlagsLength(); }

  bool IsLocked() const { return locked_; }
  void Lock() { locked_ = true; }

  // The stored form kept in the table file's stream blocks.
  std::string Serialize() const;
  // Rebuilds a dictionary from its stored form; raises rcFileDamaged on any
  // inconsistency (never reads past `size`).
  static TffDataDictionary Deserialize(const void* data, size_t size);

private:
  void CheckUnlocked() const;
  int blockSize_;
  std::vector<TffFieldDescriptor> fields_;
  std::vector<TffIndexDescriptor> indexes_;
  int fieldsLength_ = 0;
  bool locked_ = false;
};

// ---- Record buffers -------------------------------------------------------
// A record buffer holds RecordLength() bytes: the fields' stored bytes, then
// the null flags (bit i of byte i/8 set = field i is null). Integers and
// floats are little-endian; a short string is a length byte and its
// characters (the rest of the field zero); a BLOB field holds a 4-byte
// reference that only the engine interprets.

// Clears the buffer: every field zero and null.
void FFInitRecord(const TffDataDictionary& dict, uint8_t* rec);
bool FFIsFieldNull(const TffDataDictionary& dict, const uint8_t* rec, int field);
void FFSetFieldNull(const TffDataDictionary& dict, uint8_t* rec, int field, bool isNull);
// Raw stored bytes (Field(i).Length of them); setting clears the null flag.
void FFGetFieldRaw(const TffDataDictionary& dict, const uint8_t* rec, int field, void* dest);
void FFSetFieldRaw(const TffDataDictionary& dict, uint8_t* rec, int field, const void* src);

// Typed access. Integers cover Boolean, Char, all integer types, Date and
// Time (their stored numbers); floats cover Single, Double, Currency and
// DateTime (its stored milliseconds); strings cover short strings (cut to
// the field size). A type mismatch raises rcInvalidParameter. A null field
// reads as 0 / empty.
int64_t FFGetFieldInt(const TffDataDictionary& dict, const uint8_t* rec, int field);
void FFSetFieldInt(const TffDataDictionary& dict, uint8_t* rec, int field, int64_t value);
double FFGetFieldFloat(const TffDataDictionary& dict, const uint8_t* rec, int field);
void FFSetFieldFloat(const TffDataDictionary& dict, uint8_t* rec, int field, double value);
AnsiString FFGetFieldString(const TffDataDictionary& dict, const uint8_t* rec, int field);
void FFSetFieldString(const TffDataDictionary& dict, uint8_t* rec, int field, const AnsiString& value);

// ---- Dates and times ------------------------------------------------------
// The engine's dates are day numbers 693594 days ahead of TDateTime; its
// times are milliseconds since midnight; a date-time is milliseconds since
// day number 0.
constexpr int32_t ffDateDelta = 693594;
constexpr double ffMSecsPerDay = 86400000.0;
int32_t DateTimeToFFDate(double dt);            // whole days only
double FFDateToDateTime(int32_t dayNumber);
int32_t DateTimeToFFTime(double dt);            // time of day, rounded to ms
double FFTimeToDateTime(int32_t msecs);
double DateTimeToFFDateTime(double dt);
double FFDateTimeToDateTime(double msecs);

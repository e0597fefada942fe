// Data dictionary: field and index definitions, record layout, the stored
// form, and the record-buffer helpers. See dictionary.h for the invariants.
#include "dbengine/dictionary.h"

#include <cmath>
#include <cstring>

#include "dbengine/collate.h"

using ffdetail::SameText;

namespace {

[[noreturn]] void RaiseDict(int msgNo, const AnsiString& text) {
  throw EffException(rcInvalidDictionary, text, msgNo);
}

// Little-endian writer and bounds-checked reader of the stored form.
struct Writer {
  std::string out;
  void U8(uint8_t v) { out.push_back(static_cast<char>(v)); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Str(const AnsiString& s) {
    U32(static_cast<uint32_t>(s.size()));
    out += s;
  }
};

struct Reader {
  const uint8_t* p;
  size_t left;
  [[noreturn]] static void Bad() { RaiseFF(rcFileDamaged, "data dictionary unreadable"); }
  uint8_t U8() {
    if (left < 1) Bad();
    --left;
    return *p++;
  }
  uint32_t U32() {
    if (left < 4) Bad();
    uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                 static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    p += 4;
    left -= 4;
    return v;
  }
  AnsiString Str() {
    uint32_t n = U32();
    if (n > left || n > 4096) Bad();
    AnsiString s(reinterpret_cast<const char*>(p), n);
    p += n;
    left -= n;
    return s;
  }
};

constexpr uint32_t kDictMagic = 0x54434944;  // "DICT"

}  // namespace

int FieldStoredLength(int type, int units) {
  switch (type) {
    case fftBoolean: case fftChar: case fftByte: case fftInt8: return 1;
    case fftWord16: case fftInt16: return 2;
    case fftWord32: case fftInt32: case fftAutoInc: case fftSingle: case fftDate: case fftTime:
      return 4;
    case fftDouble: case fftCurrency: case fftDateTime: return 8;
    case fftBlob: case fftBlobMemo: case fftBlobFmtMemo: case fftBlobGraphic: case fftBlobOle:
      return 4;
    case fftShortString: return (units >= 1 && units <= 255) ? units + 1 : 0;
    default: return 0;
  }
}

bool IsBlobType(int type) {
  return type == fftBlob || type == fftBlobMemo || type == fftBlobFmtMemo ||
         type == fftBlobGraphic || type == fftBlobOle;
}

bool IsKnownFieldType(int type) { return FieldStoredLength(type, 1) > 0; }

TffDataDictionary::TffDataDictionary(int blockSize) : blockSize_(blockSize) {
  if (blockSize != 4096 && blockSize != 8192 && blockSize != 16384 && blockSize != 32768)
    RaiseFF(rcInvalidDictionary, "block size " + std::to_string(blockSize) + " not supported");
}

void TffDataDictionary::CheckUnlocked() const {
  if (locked_) RaiseDict(ffmsgDictLocked, "The data dictionary is locked by a table");
}

void TffDataDictionary::Clear() {
  CheckUnlocked();
  fields_.clear();
  indexes_.clear();
  fieldsLength_ = 0;
}

int TffDataDictionary::FieldIndex(const AnsiString& name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (SameText(fields_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

int TffDataDictionary::IndexNumber(const AnsiString& name) const {
  for (size_t i = 0; i < indexes_.size(); ++i)
    if (SameText(indexes_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

void TffDataDictionary::AddField(const AnsiString& name, const AnsiString& description, int type,
                                 int units, int decimals, bool required) {
  CheckUnlocked();
  if (FieldIndex(name) >= 0) RaiseDict(ffmsgDupFieldName, "Duplicate field name: " + name);
  int len = FieldStoredLength(type, units);
  if (len == 0)
    RaiseDict(ffmsgUnknownFieldType, "Invalid field type " + std::to_string(type) + " for field " +
                                         name);
  if (name.empty() || name.size() > 31) RaiseDict(ffmsgUnknownFieldType, "Invalid field name");
  TffFieldDescriptor f;
  f.Name = name;
  f.Description = description;
  f.Type = type;
  f.Units = type == fftShortString ? units : 0;
  f.Decimals = decimals;
  f.Required = required;
  f.Offset = fieldsLength_;
  f.Length = len;
  fields_.push_back(std::move(f));
  fieldsLength_ += len;
}

void TffDataDictionary::AddIndex(const AnsiString& name, const AnsiString& description,
                                 int fileNumber, int fieldCount, const int* fieldNumbers,
                                 bool allowDups, bool ascending, bool caseInsensitive) {
  CheckUnlocked();
  if (IndexNumber(name) >= 0) RaiseDict(ffmsgDupIndexName, "Duplicate index name: " + name);
  if (fileNumber < 0 || fileNumber >= FileCount())
    RaiseDict(ffmsgNoSuchFile, "Invalid file number " + std::to_string(fileNumber));
  if (fieldCount <= 0 || fieldCount > 16 || !fieldNumbers)
    RaiseDict(ffmsgFieldOutOfRange, "Invalid key field count for index " + name);
  TffIndexDescriptor ix;
  ix.Name = name;
  ix.Description = description;
  ix.FileNumber = fileNumber;
  ix.AllowDups = allowDups;
  ix.Ascending = ascending;
  ix.CaseInsensitive = caseInsensitive;
  for (int i = 0; i < fieldCount; ++i) {
    int f = fieldNumbers[i];
    if (f < 0 || f >= FieldCount())
      RaiseDict(ffmsgFieldOutOfRange, "Invalid field number " + std::to_string(f) + " in index " +
                                          name);
    if (IsBlobType(fields_[static_cast<size_t>(f)].Type))
      RaiseDict(ffmsgFieldOutOfRange, "BLOB field " + fields_[static_cast<size_t>(f)].Name +
                                          " cannot be a key field");
    ix.Fields.push_back(f);
    ix.KeyLength += fields_[static_cast<size_t>(f)].Length;
  }
  ix.KeyLength += (fieldCount + 7) / 8;
  indexes_.push_back(std::move(ix));
}

std::string TffDataDictionary::Serialize() const {
  Writer w;
  w.U32(kDictMagic);
  w.U32(static_cast<uint32_t>(blockSize_));
  w.U32(static_cast<uint32_t>(fields_.size()));
  for (const auto& f : fields_) {
    w.Str(f.Name);
    w.Str(f.Description);
    w.U32(static_cast<uint32_t>(f.Type));
    w.U32(static_cast<uint32_t>(f.Units));
    w.U32(static_cast<uint32_t>(f.Decimals));
    w.U8(f.Required ? 1 : 0);
  }
  w.U32(static_cast<uint32_t>(indexes_.size()));
  for (const auto& ix : indexes_) {
    w.Str(ix.Name);
    w.Str(ix.Description);
    w.U32(static_cast<uint32_t>(ix.FileNumber));
    w.U32(static_cast<uint32_t>(ix.Fields.size()));
    for (int f : ix.Fields) w.U32(static_cast<uint32_t>(f));
    w.U8(static_cast<uint8_t>((ix.AllowDups ? 1 : 0) | (ix.Ascending ? 2 : 0) |
                              (ix.CaseInsensitive ? 4 : 0)));
  }
  return w.out;
}

TffDataDictionary TffDataDictionary::Deserialize(const void* data, size_t size) {
  Reader r{static_cast<const uint8_t*>(data), size};
  if (r.U32() != kDictMagic) Reader::Bad();
  uint32_t bs = r.U32();
  if (bs != 4096 && bs != 8192 && bs != 16384 && bs != 32768) Reader::Bad();
  TffDataDictionary d(static_cast<int>(bs));
  try {
    uint32_t nf = r.U32();
    if (nf == 0 || nf > 1024) Reader::Bad();
    for (uint32_t i = 0; i < nf; ++i) {
      AnsiString name = r.Str(), desc = r.Str();
      int type = static_cast<int>(r.U32()), units = static_cast<int>(r.U32()),
          dec = static_cast<int>(r.U32());
      bool req = r.U8() != 0;
      d.AddField(name, desc, type, units, dec, req);
    }
    uint32_t ni = r.U32();
    if (ni > 64) Reader::Bad();
    for (uint32_t i = 0; i < ni; ++i) {
      AnsiString name = r.Str(), desc = r.Str();
      int file = static_cast<int>(r.U32());
      uint32_t nk = r.U32();
      if (nk == 0 || nk > 16) Reader::Bad();
      std::vector<int> fs;
      for (uint32_t k = 0; k < nk; ++k) fs.push_back(static_cast<int>(r.U32()));
      uint8_t flags = r.U8();
      d.AddIndex(name, desc, file, fs, flags & 1, flags & 2, flags & 4);
    }
  } catch (const EffException& e) {
    if (e.ResultCode() == rcFileDamaged) throw;
    RaiseFF(rcFileDamaged, "data dictionary invalid: " + e.Message());
  }
  return d;
}

// ---- Record buffers --------------------------------------------------------

namespace {

const TffFieldDescriptor& CheckedField(const TffDataDictionary& dict, int field) {
  if (field < 0 || field >= dict.FieldCount())
    RaiseFF(rcNoSuchField, "field number " + std::to_string(field));
  return dict.Field(field);
}

template <typename T>
T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <typename T>
void Store(uint8_t* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

}  // namespace

void FFInitRecord(const TffDataDictionary& dict, uint8_t* rec) {
  std::memset(rec, 0, static_cast<size_t>(dict.FieldsLength()));
  uint8_t* nulls = rec + dict.NullFlagsOffset();
  std::memset(nulls, 0, static_cast<size_t>(dict.NullFlagsLength()));
  for (int i = 0; i < dict.FieldCount(); ++i) nulls[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
}

bool FFIsFieldNull(const TffDataDictionary& dict, const uint8_t* rec, int field) {
  CheckedField(dict, field);
  return (rec[dict.NullFlagsOffset() + field / 8] >> (field % 8)) & 1;
}

void FFSetFieldNull(const TffDataDictionary& dict, uint8_t* rec, int field, bool isNull) {
  const auto& f = CheckedField(dict, field);
  uint8_t& b = rec[dict.NullFlagsOffset() + field / 8];
  uint8_t bit = static_cast<uint8_t>(1u << (field % 8));
  if (isNull) {
    b |= bit;
    std::memset(rec + f.Offset, 0, static_cast<size_t>(f.Length));
  } else {
    b &= static_cast<uint8_t>(~bit);
  }
}

void FFGetFieldRaw(const TffDataDictionary& dict, const uint8_t* rec, int field, void* dest) {
  const auto& f = CheckedField(dict, field);
  std::memcpy(dest, rec + f.Offset, static_cast<size_t>(f.Length));
}

void FFSetFieldRaw(const TffDataDictionary& dict, uint8_t* rec, int field, const void* src) {
  const auto& f = CheckedField(dict, field);
  std::memcpy(rec + f.Offset, src, static_cast<size_t>(f.Length));
  FFSetFieldNull(dict, rec, field, false);
}

int64_t FFGetFieldInt(const TffDataDictionary& dict, const uint8_t* rec, int field) {
  const auto& f = CheckedField(dict, field);
  const uint8_t* p = rec + f.Offset;
  switch (f.Type) {
    case fftBoolean: return *p ? 1 : 0;
    case fftChar: case fftByte: return *p;
    case fftInt8: return static_cast<int8_t>(*p);
    case fftWord16: return Load<uint16_t>(p);
    case fftInt16: return Load<int16_t>(p);
    case fftWord32: return Load<uint32_t>(p);
    case fftInt32: case fftAutoInc: case fftDate: case fftTime: return Load<int32_t>(p);
    default: RaiseFF(rcInvalidParameter, "field " + f.Name + " is not an integer field");
  }
}

void FFSetFieldInt(const TffDataDictionary& dict, uint8_t* rec, int field, int64_t v) {
  const auto& f = CheckedField(dict, field);
  uint8_t* p = rec + f.Offset;
  switch (f.Type) {
    case fftBoolean: *p = v ? 1 : 0; break;
    case fftChar: case fftByte: case fftInt8: *p = static_cast<uint8_t>(v); break;
    case fftWord16: case fftInt16: Store(p, static_cast<uint16_t>(v)); break;
    case fftWord32: case fftInt32: case fftAutoInc: case fftDate: case fftTime:
      Store(p, static_cast<uint32_t>(v));
      break;
    default: RaiseFF(rcInvalidParameter, "field " + f.Name + " is not an integer field");
  }
  FFSetFieldNull(dict, rec, field, false);
}

double FFGetFieldFloat(const TffDataDictionary& dict, const uint8_t* rec, int field) {
  const auto& f = CheckedField(dict, field);
  const uint8_t* p = rec + f.Offset;
  switch (f.Type) {
    case fftSingle: return Load<float>(p);
    case fftDouble: case fftCurrency: case fftDateTime: return Load<double>(p);
    default: RaiseFF(rcInvalidParameter, "field " + f.Name + " is not a float field");
  }
}

void FFSetFieldFloat(const TffDataDictionary& dict, uint8_t* rec, int field, double v) {
  const auto& f = CheckedField(dict, field);
  uint8_t* p = rec + f.Offset;
  switch (f.Type) {
    case fftSingle: Store(p, static_cast<float>(v)); break;
    case fftDouble: case fftCurrency: case fftDateTime: Store(p, v); break;
    default: RaiseFF(rcInvalidParameter, "field " + f.Name + " is not a float field");
  }
  FFSetFieldNull(dict, rec, field, false);
}

AnsiString FFGetFieldString(const TffDataDictionary& dict, const uint8_t* rec, int field) {
  const auto& f = CheckedField(dict, field);
  if (f.Type != fftShortString)
    RaiseFF(rcInvalidParameter, "field " + f.Name + " is not a string field");
  const uint8_t* p = rec + f.Offset;
  size_t n = std::min<size_t>(p[0], static_cast<size_t>(f.Units));
  return AnsiString(reinterpret_cast<const char*>(p + 1), n);
}

void FFSetFieldString(const TffDataDictionary& dict, uint8_t* rec, int field,
                      const AnsiString& v) {
  const auto& f = CheckedField(dict, field);
  if (f.Type != fftShortString)
    RaiseFF(rcInvalidParameter, "field " + f.Name + " is not a string field");
  uint8_t* p = rec + f.Offset;
  size_t n = std::min<size_t>(v.size(), static_cast<size_t>(f.Units));
  std::memset(p, 0, static_cast<size_t>(f.Length));
  p[0] = static_cast<uint8_t>(n);
  std::memcpy(p + 1, v.data(), n);
  FFSetFieldNull(dict, rec, field, false);
}

// ---- Dates and times -------------------------------------------------------

// A TDateTime keeps the day in its whole part and the time of day in the
// absolute value of its fraction (so -1.25 is the day before 30.12.1899, 6:00).
int32_t DateTimeToFFDate(double dt) {
  return static_cast<int32_t>(std::trunc(dt)) + ffDateDelta;
}
double FFDateToDateTime(int32_t dayNumber) { return static_cast<double>(dayNumber - ffDateDelta); }
int32_t DateTimeToFFTime(double dt) {
  double frac = std::fabs(dt - std::trunc(dt));
  return static_cast<int32_t>(std::llround(frac * ffMSecsPerDay) % 86400000);
}
double FFTimeToDateTime(int32_t msecs) { return msecs / ffMSecsPerDay; }
double DateTimeToFFDateTime(double dt) {
  double days = std::trunc(dt) + ffDateDelta;
  return days * ffMSecsPerDay + std::llround(std::fabs(dt - std::trunc(dt)) * ffMSecsPerDay);
}
double FFDateTimeToDateTime(double msecs) {
  double days = std::floor(msecs / ffMSecsPerDay);
  double frac = (msecs - days * ffMSecsPerDay) / ffMSecsPerDay;
  days -= ffDateDelta;
  return days < 0 ? days - frac : days + frac;
}

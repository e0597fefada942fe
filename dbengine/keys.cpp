// Index keys; see keys.h for the layout and the order.
#include "dbengine/keys.h"

#include <algorithm>
#include <cstring>

#include "dbengine/collate.h"

namespace ffdetail {

namespace {

template <typename T>
T Get(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <typename T>
int Cmp(const uint8_t* a, const uint8_t* b) {
  T x, y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  return x < y ? -1 : (y < x ? 1 : 0);
}

// Floats order totally: a NaN sorts below every number (and equals another
// NaN), so that a stray NaN can never break the order a tree relies on.
template <typename T>
int CmpFloat(const uint8_t* a, const uint8_t* b) {
  T x, y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  bool nx = x != x, ny = y != y;
  if (nx || ny) return nx == ny ? 0 : (nx ? -1 : 1);
  return x < y ? -1 : (y < x ? 1 : 0);
}

int CompareString(const uint8_t* a, const uint8_t* b, int units, int partialLen) {
  int la = std::min<int>(a[0], units), lb = std::min<int>(b[0], units);
  if (partialLen > 0) {
    la = std::min(la, partialLen);
    lb = std::min(lb, partialLen);
  }
  int n = std::min(la, lb);
  int c = std::memcmp(a + 1, b + 1, static_cast<size_t>(n));
  if (c != 0) return c < 0 ? -1 : 1;
  return la < lb ? -1 : (la > lb ? 1 : 0);
}

}  // namespace

KeySpec::KeySpec(const TffDataDictionary& dict, int indexNo) {
  const TffIndexDescriptor& ix = dict.Index(indexNo);
  int off = 0;
  for (int f : ix.Fields) {
    const TffFieldDescriptor& fd = dict.Field(f);
    parts_.push_back({f, fd.Type, fd.Offset, off, fd.Length});
    off += fd.Length;
  }
  nullOffset_ = off;
  keyLength_ = ix.KeyLength;
  nullFieldOffset_ = dict.NullFlagsOffset();
  unique_ = !ix.AllowDups;
  descending_ = !ix.Ascending;
  caseInsensitive_ = ix.CaseInsensitive;
  if (!parts_.empty() && !descending_) {
    switch (parts_[0].Type) {
      case fftByte: case fftInt8: case fftWord16: case fftInt16: case fftWord32: case fftInt32:
      case fftAutoInc: case fftDate: case fftTime: leadingType_ = parts_[0].Type; break;
      default: break;
    }
  }
}

bool KeySpec::LeadingNumber(const uint8_t* key, int64_t* value) const {
  if (leadingType_ < 0 || (key[nullOffset_] & 1)) return false;
  const uint8_t* p = key + parts_[0].KeyOffset;
  switch (leadingType_) {
    case fftByte: *value = *p; break;
    case fftInt8: *value = static_cast<int8_t>(*p); break;
    case fftWord16: *value = Get<uint16_t>(p); break;
    case fftInt16: *value = Get<int16_t>(p); break;
    case fftWord32: *value = Get<uint32_t>(p); break;
    default: *value = Get<int32_t>(p); break;
  }
  return true;
}

void KeySpec::Build(const uint8_t* rec, uint8_t* key) const {
  std::memset(key + nullOffset_, 0, static_cast<size_t>(keyLength_ - nullOffset_));
  for (size_t i = 0; i < parts_.size(); ++i) {
    const KeyPart& p = parts_[i];
    uint8_t* dst = key + p.KeyOffset;
    bool isNull = (rec[nullFieldOffset_ + p.Field / 8] >> (p.Field % 8)) & 1;
    if (isNull) {
      std::memset(dst, 0, static_cast<size_t>(p.Length));
      key[nullOffset_ + i / 8] |= static_cast<uint8_t>(1u << (i % 8));
      continue;
    }
    if (p.Type == fftShortString) {
      // Copy only the used characters so that garbage after them never
      // makes equal texts differ.
      int n = std::min<int>(rec[p.RecOffset], p.Length - 1);
      std::memset(dst, 0, static_cast<size_t>(p.Length));
      dst[0] = static_cast<uint8_t>(n);
      const uint8_t* src = rec + p.RecOffset + 1;
      if (caseInsensitive_)
        for (int k = 0; k < n; ++k) dst[1 + k] = kUpper[src[k]];
      else
        std::memcpy(dst + 1, src, static_cast<size_t>(n));
    } else if (p.Type == fftBoolean) {
      dst[0] = rec[p.RecOffset] ? 1 : 0;
    } else if (p.Type == fftChar && caseInsensitive_) {
      dst[0] = kUpper[rec[p.RecOffset]];
    } else {
      std::memcpy(dst, rec + p.RecOffset, static_cast<size_t>(p.Length));
    }
  }
}

int KeySpec::Compare(const uint8_t* a, const uint8_t* b, int fields, int partialLen) const {
  int n = static_cast<int>(parts_.size());
  if (fields <= 0 || fields > n) fields = n;
  for (int i = 0; i < fields; ++i) {
    const KeyPart& p = parts_[i];
    bool na = (a[nullOffset_ + i / 8] >> (i % 8)) & 1;
    bool nb = (b[nullOffset_ + i / 8] >> (i % 8)) & 1;
    if (na || nb) {
      if (na && nb) continue;
      return na ? -1 : 1;
    }
    const uint8_t* x = a + p.KeyOffset;
    const uint8_t* y = b + p.KeyOffset;
    int c;
    switch (p.Type) {
      case fftBoolean: case fftChar: case fftByte: c = Cmp<uint8_t>(x, y); break;
      case fftInt8: c = Cmp<int8_t>(x, y); break;
      case fftWord16: c = Cmp<uint16_t>(x, y); break;
      case fftInt16: c = Cmp<int16_t>(x, y); break;
      case fftWord32: c = Cmp<uint32_t>(x, y); break;
      case fftInt32: case fftAutoInc: case fftDate: case fftTime: c = Cmp<int32_t>(x, y); break;
      case fftSingle: c = CmpFloat<float>(x, y); break;
      case fftDouble: case fftCurrency: case fftDateTime: c = CmpFloat<double>(x, y); break;
      case fftShortString:
        c = CompareString(x, y, p.Length - 1, i == fields - 1 ? partialLen : 0);
        break;
      default: c = std::memcmp(x, y, static_cast<size_t>(p.Length)); c = c < 0 ? -1 : c > 0; break;
    }
    if (c != 0) return descending_ ? -c : c;
  }
  return 0;
}

}  // namespace ffdetail

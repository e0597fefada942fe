// Reader and evaluator of filter-expression buffers (see filter_expr.h for the
// buffer's invariants and the chosen semantics).
#include "dbclient/filter_expr.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace {

constexpr uint32_t kClassTwoOperand = 2;
constexpr uint32_t kClassField = 4;
constexpr uint32_t kClassConstant = 5;
constexpr uint32_t kOpField = 13;
constexpr uint32_t kOpConstant = 14;

enum Op : uint8_t {
  opEq = 3, opNe = 4, opGt = 5, opLt = 6, opGe = 7, opLe = 8,
  opAnd = 10, opOr = 11, opMinus = 15, opPlus = 16, opTimes = 18, opDivide = 19
};

bool IsTwoOperandOp(uint32_t op) {
  return (op >= opEq && op <= opLe) || op == opAnd || op == opOr || op == opMinus ||
         op == opPlus || op == opTimes || op == opDivide;
}

constexpr double kMsPerDay = 86400000.0;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool IsNumeric(const TFilterValue& v) {
  return v.kind == TFilterValue::Boolean || v.kind == TFilterValue::Integer ||
         v.kind == TFilterValue::Float;
}
double AsDouble(const TFilterValue& v) {
  return v.kind == TFilterValue::Float ? v.f : static_cast<double>(v.i);
}
// Integer arithmetic of the engine wraps instead of overflowing.
int64_t WrapAdd(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
int64_t WrapSub(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}
int64_t WrapMul(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}
// Whole number of a day or millisecond offset; non-finite offsets give none.
std::optional<int64_t> WholeOffset(const TFilterValue& v) {
  if (v.kind != TFilterValue::Float) return v.i;
  if (!std::isfinite(v.f) || std::fabs(v.f) > 9.0e15) return std::nullopt;
  return static_cast<int64_t>(std::trunc(v.f));
}

// Ordering of two values: <0, 0, >0, or none when they cannot be compared.
std::optional<int> Order(const TFilterValue& a, const TFilterValue& b) {
  using K = TFilterValue;
  auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  if (a.kind == K::String && b.kind == K::String) {
    int c = CompareFilterText(a.s, b.s);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (IsNumeric(a) && IsNumeric(b)) {
    if (a.kind != K::Float && b.kind != K::Float) return cmp(a.i, b.i);
    double x = AsDouble(a), y = AsDouble(b);
    if (std::isnan(x) || std::isnan(y)) return std::nullopt;
    return cmp(x, y);
  }
  if (a.kind == b.kind && (a.kind == K::Date || a.kind == K::Time)) return cmp(a.i, b.i);
  auto dtMs = [](const TFilterValue& v) {
    return v.kind == TFilterValue::Date ? static_cast<double>(v.i) * kMsPerDay : v.f;
  };
  if ((a.kind == K::Date || a.kind == K::DateTime) && (b.kind == K::Date || b.kind == K::DateTime)) {
    double x = dtMs(a), y = dtMs(b);
    if (std::isnan(x) || std::isnan(y)) return std::nullopt;
    return cmp(x, y);
  }
  return std::nullopt;
}

bool Truth(const TFilterValue& v) {
  switch (v.kind) {
    case TFilterValue::Boolean:
    case TFilterValue::Integer: return v.i != 0;
    case TFilterValue::Float: return v.f != 0;
    default: return false;
  }
}

TFilterValue Compare(uint8_t op, const TFilterValue& a, const TFilterValue& b) {
  bool aBlank = a.kind == TFilterValue::Blank, bBlank = b.kind == TFilterValue::Blank;
  if (aBlank || bBlank) {
    bool equal = aBlank && bBlank;
    if (op == opEq) return TFilterValue::MakeBool(equal);
    if (op == opNe) return TFilterValue::MakeBool(!equal);
    return TFilterValue::MakeBool(false);
  }
  std::optional<int> o = Order(a, b);
  if (!o) return TFilterValue::MakeBool(op == opNe);
  switch (op) {
    case opEq: return TFilterValue::MakeBool(*o == 0);
    case opNe: return TFilterValue::MakeBool(*o != 0);
    case opGt: return TFilterValue::MakeBool(*o > 0);
    case opLt: return TFilterValue::MakeBool(*o < 0);
    case opGe: return TFilterValue::MakeBool(*o >= 0);
    default: return TFilterValue::MakeBool(*o <= 0);
  }
}

TFilterValue Arithmetic(uint8_t op, const TFilterValue& a, const TFilterValue& b,
                        std::deque<std::string>& scratch) {
  using K = TFilterValue;
  if (a.kind == K::Blank || b.kind == K::Blank) return K::MakeBlank();
  if (IsNumeric(a) && IsNumeric(b)) {
    if (op == opDivide) {
      double d = AsDouble(b);
      if (d == 0) return K::MakeBlank();
      return K::MakeFloat(AsDouble(a) / d);
    }
    if (a.kind != K::Float && b.kind != K::Float) {
      switch (op) {
        case opPlus: return K::MakeInt(WrapAdd(a.i, b.i));
        case opMinus: return K::MakeInt(WrapSub(a.i, b.i));
        default: return K::MakeInt(WrapMul(a.i, b.i));
      }
    }
    double x = AsDouble(a), y = AsDouble(b);
    switch (op) {
      case opPlus: return K::MakeFloat(x + y);
      case opMinus: return K::MakeFloat(x - y);
      default: return K::MakeFloat(x * y);
    }
  }
  if (a.kind == K::String && b.kind == K::String && op == opPlus) {
    scratch.emplace_back(a.s);
    scratch.back().append(b.s);
    return K::MakeString(scratch.back());
  }
  // Dates, times and date-times with offsets and differences.
  bool plus = op == opPlus, minus = op == opMinus;
  if (!plus && !minus) return K::MakeBlank();
  if ((a.kind == K::Date || a.kind == K::Time) && IsNumeric(b)) {
    auto n = WholeOffset(b);
    if (!n) return K::MakeBlank();
    TFilterValue r = a;
    r.i = plus ? WrapAdd(a.i, *n) : WrapSub(a.i, *n);
    return r;
  }
  if (plus && IsNumeric(a) && (b.kind == K::Date || b.kind == K::Time)) {
    auto n = WholeOffset(a);
    if (!n) return K::MakeBlank();
    TFilterValue r = b;
    r.i = WrapAdd(b.i, *n);
    return r;
  }
  if (a.kind == K::DateTime && IsNumeric(b))
    return K::MakeDateTime(plus ? a.f + AsDouble(b) * kMsPerDay : a.f - AsDouble(b) * kMsPerDay);
  if (plus && IsNumeric(a) && b.kind == K::DateTime)
    return K::MakeDateTime(b.f + AsDouble(a) * kMsPerDay);
  if (minus && a.kind == b.kind && (a.kind == K::Date || a.kind == K::Time))
    return K::MakeInt(WrapSub(a.i, b.i));
  if (minus && (a.kind == K::Date || a.kind == K::DateTime) &&
      (b.kind == K::Date || b.kind == K::DateTime)) {
    double x = a.kind == K::Date ? static_cast<double>(a.i) * kMsPerDay : a.f;
    double y = b.kind == K::Date ? static_cast<double>(b.i) * kMsPerDay : b.f;
    return K::MakeFloat((x - y) / kMsPerDay);
  }
  return K::MakeBlank();
}

// Decodes a constant's literal; false when its type or size is not one the
// writer produces.
bool DecodeConstant(uint16_t type, const uint8_t* p, uint16_t size, TFilterValue& v) {
  switch (type) {
    case 1: {  // string, zero-terminated within its size
      const void* z = std::memchr(p, 0, size);
      if (!z) return false;
      v = TFilterValue::MakeString(
          std::string_view(reinterpret_cast<const char*>(p), static_cast<const uint8_t*>(z) - p));
      return true;
    }
    case 2:
      if (size != 4) return false;
      v = TFilterValue::MakeDate(static_cast<int32_t>(U32(p)));
      return true;
    case 4:
      if (size != 2) return false;
      v = TFilterValue::MakeBool(U16(p) != 0);
      return true;
    case 5:
      if (size != 2) return false;
      v = TFilterValue::MakeInt(static_cast<int16_t>(U16(p)));
      return true;
    case 6:
      if (size != 4) return false;
      v = TFilterValue::MakeInt(static_cast<int32_t>(U32(p)));
      return true;
    case 7: {
      if (size != 8) return false;
      double d;
      std::memcpy(&d, p, 8);
      v = TFilterValue::MakeFloat(d);
      return true;
    }
    case 8:
      if (size != 34) return false;
      v = TFilterValue::MakeBlank();
      return true;
    case 10:
      if (size != 4) return false;
      v = TFilterValue::MakeTime(static_cast<int32_t>(U32(p)));
      return true;
    case 11: {
      if (size != 8) return false;
      double d;
      std::memcpy(&d, p, 8);
      v = TFilterValue::MakeDateTime(d);
      return true;
    }
    default: return false;
  }
}

}  // namespace

unsigned char Cp1252UpperChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
  }
}

int CompareFilterText(std::string_view a, std::string_view b) {
  a = TrimRight(a);
  b = TrimRight(b);
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = Cp1252UpperChar(static_cast<unsigned char>(a[i]));
    unsigned char y = Cp1252UpperChar(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

TBapiResult TFilterExpression::TotalSize(const uint8_t* header, size_t& total) {
  if (!header || U16(header) != 1) return bapiInvalidFilter;
  total = U16(header + 2);
  if (total < kHeaderSize) return bapiInvalidFilter;
  return bapiOk;
}

TBapiResult TFilterExpression::Compile(const uint8_t* buffer, size_t length,
                                       const TFilterFieldSource& source,
                                       std::unique_ptr<TFilterExpression>& out) {
  out.reset();
  if (!buffer || length < kHeaderSize) return bapiInvalidFilter;
  size_t total;
  if (TotalSize(buffer, total) != bapiOk || total > length) return bapiInvalidFilter;
  const size_t count = U16(buffer + 4);
  const size_t nodeStart = U16(buffer + 6);
  const size_t literalStart = U16(buffer + 8);
  if (count == 0 || nodeStart != kHeaderSize || literalStart != kHeaderSize + kNodeSize * count ||
      literalStart > total)
    return bapiInvalidFilter;

  std::unique_ptr<TFilterExpression> e(new TFilterExpression);
  e->copy_.assign(buffer, buffer + total);
  e->source_ = &source;
  e->nodes_.resize(count);
  const uint8_t* base = e->copy_.data();
  const uint8_t* literals = base + literalStart;
  const size_t literalSize = total - literalStart;
  std::vector<uint8_t> referenced(count, 0);
  std::vector<int> depth(count, 0);

  // Slots are checked in order; since children lie in later slots than their
  // parent, every child's depth is known when the child itself is checked.
  for (size_t slot = 0; slot < count; ++slot) {
    const uint8_t* p = base + nodeStart + slot * kNodeSize;
    Node& n = e->nodes_[slot];
    uint32_t cls = U32(p), op = U32(p + 4);
    if (slot > 0 && referenced[slot] != 1) return bapiInvalidFilter;  // orphan
    if (depth[slot] > kMaxDepth) return bapiInvalidFilter;
    n.cls = static_cast<uint8_t>(cls);
    if (cls == kClassTwoOperand) {
      if (!IsTwoOperandOp(op)) return bapiInvalidFilter;
      n.op = static_cast<uint8_t>(op);
      uint16_t l = U16(p + 8), r = U16(p + 10);
      if (l % kNodeSize || r % kNodeSize) return bapiInvalidFilter;
      size_t ls = l / kNodeSize, rs = r / kNodeSize;
      // Children after the parent: no cycles; each referenced once: a tree.
      if (ls <= slot || rs <= slot || ls >= count || rs >= count || ls == rs)
        return bapiInvalidFilter;
      if (referenced[ls]++ || referenced[rs]++) return bapiInvalidFilter;
      depth[ls] = depth[rs] = depth[slot] + 1;
      n.left = static_cast<uint16_t>(ls);
      n.right = static_cast<uint16_t>(rs);
    } else if (cls == kClassField) {
      if (op != kOpField) return bapiInvalidFilter;
      size_t nameOff = U16(p + 10);
      if (nameOff >= literalSize) return bapiInvalidFilter;
      const void* z = std::memchr(literals + nameOff, 0, literalSize - nameOff);
      if (!z) return bapiInvalidFilter;
      std::string_view name(reinterpret_cast<const char*>(literals + nameOff),
                            static_cast<const uint8_t*>(z) - (literals + nameOff));
      n.field = source.FilterFieldIndex(name);
      if (n.field < 0) return bapiUnknownFilterField;
    } else if (cls == kClassConstant) {
      if (op != kOpConstant) return bapiInvalidFilter;
      uint16_t type = U16(p + 8), size = U16(p + 10), off = U16(p + 12);
      if (size == 0 || off > literalSize || size > literalSize - off) return bapiInvalidFilter;
      if (!DecodeConstant(type, literals + off, size, n.constant)) return bapiInvalidFilter;
    } else {
      return bapiInvalidFilter;
    }
  }
  out = std::move(e);
  return bapiOk;
}

TFilterValue TFilterExpression::Eval(uint16_t slot, const uint8_t* record) const {
  const Node& n = nodes_[slot];
  if (n.cls == kClassField) return source_->FilterFieldValue(n.field, record);
  if (n.cls == kClassConstant) return n.constant;
  if (n.op == opAnd) {
    if (!Truth(Eval(n.left, record))) return TFilterValue::MakeBool(false);
    return TFilterValue::MakeBool(Truth(Eval(n.right, record)));
  }
  if (n.op == opOr) {
    if (Truth(Eval(n.left, record))) return TFilterValue::MakeBool(true);
    return TFilterValue::MakeBool(Truth(Eval(n.right, record)));
  }
  TFilterValue a = Eval(n.left, record);
  TFilterValue b = Eval(n.right, record);
  if (n.op >= opEq && n.op <= opLe) return Compare(n.op, a, b);
  return Arithmetic(n.op, a, b, scratch_);
}

TFilterValue TFilterExpression::Evaluate(const uint8_t* record) const {
  scratch_.clear();
  return Eval(0, record);
}

bool TFilterExpression::Accepts(const uint8_t* record) const { return Truth(Evaluate(record)); }

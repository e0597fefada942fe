// Test helper: writes filter-expression buffers the way the filter compiler
// lays them out (post-order from the last slot, literals in emission order).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace testfilter {

struct Node {
  int cls = 0;  // 2, 4, 5
  int op = 0;
  std::string name;  // field
  int type = 0;      // constant
  std::vector<uint8_t> literal;
  std::shared_ptr<Node> left, right;
};
using P = std::shared_ptr<Node>;

inline P Field(const std::string& name) {
  auto n = std::make_shared<Node>();
  n->cls = 4;
  n->op = 13;
  n->name = name;
  return n;
}
inline P Const(int type, const void* data, size_t size) {
  auto n = std::make_shared<Node>();
  n->cls = 5;
  n->op = 14;
  n->type = type;
  n->literal.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  return n;
}
inline P Str(const std::string& s) { return Const(1, s.c_str(), s.size() + 1); }
inline P I16(int16_t v) { return Const(5, &v, 2); }
inline P I32(int32_t v) { return Const(6, &v, 4); }
inline P Dbl(double v) { return Const(7, &v, 8); }
inline P Bool(bool b) { int16_t v = b ? 1 : 0; return Const(4, &v, 2); }
inline P Date(int32_t days) { return Const(2, &days, 4); }
inline P Time(int32_t ms) { return Const(10, &ms, 4); }
inline P DateTime(double ms) { return Const(11, &ms, 8); }
inline P Op(int op, P l, P r) {
  auto n = std::make_shared<Node>();
  n->cls = 2;
  n->op = op;
  n->left = std::move(l);
  n->right = std::move(r);
  return n;
}
enum { kEq = 3, kNe = 4, kGt = 5, kLt = 6, kGe = 7, kLe = 8, kAnd = 10, kOr = 11,
       kMinus = 15, kPlus = 16, kTimes = 18, kDivide = 19 };

inline int CountNodes(const P& n) { return n ? 1 + CountNodes(n->left) + CountNodes(n->right) : 0; }

struct Writer {
  std::vector<uint8_t> buf;
  int nextSlot = 0, fieldCounter = 0;
  size_t literalOffset = 0, literalStart = 0;

  void Put16(size_t at, uint16_t v) { buf[at] = v & 0xFF; buf[at + 1] = v >> 8; }
  void Put32(size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) buf[at + i] = (v >> (8 * i)) & 0xFF; }
  size_t AddLiteral(const uint8_t* p, size_t n) {
    size_t off = literalOffset;
    std::memcpy(&buf[literalStart + off], p, n);
    literalOffset += n;
    return off;
  }
  uint16_t Emit(const P& n) {
    uint16_t l = 0, r = 0;
    if (n->cls == 2) { l = Emit(n->left); r = Emit(n->right); }
    int slot = nextSlot--;
    size_t at = 10 + 14 * slot;
    Put32(at, n->cls);
    Put32(at + 4, n->op);
    if (n->cls == 2) { Put16(at + 8, l); Put16(at + 10, r); }
    else if (n->cls == 4) {
      Put16(at + 8, ++fieldCounter);
      Put16(at + 10, AddLiteral(reinterpret_cast<const uint8_t*>(n->name.c_str()), n->name.size() + 1));
    } else {
      Put16(at + 8, n->type);
      Put16(at + 10, n->literal.size());
      Put16(at + 12, AddLiteral(n->literal.data(), n->literal.size()));
    }
    return static_cast<uint16_t>(slot * 14);
  }
};

// The finished buffer, trimmed to its total size.
inline std::vector<uint8_t> Build(const P& root) {
  Writer w;
  int count = CountNodes(root);
  w.buf.assign(10 + 14 * count + 1000, 0);
  w.literalStart = 10 + 14 * count;
  w.nextSlot = count - 1;
  w.Emit(root);
  size_t total = w.literalStart + w.literalOffset;
  w.Put16(0, 1);
  w.Put16(2, total);
  w.Put16(4, count);
  w.Put16(6, 10);
  w.Put16(8, w.literalStart);
  w.buf.resize(total);
  return w.buf;
}

}  // namespace testfilter

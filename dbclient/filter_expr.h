// Reader and evaluator of filter-expression buffers, the contract between the
// filter compiler of the data-aware controls (writer) and this client.
//
// Buffer: a 10-byte header (version 1, total size, node count, node start 10,
// literal start 10 + 14 * nodes), then 14-byte node slots, then literals; all
// integers little-endian. The root sits in slot 0 and every child in a later
// slot (the writer emits in post-order from the last slot), so the nodes form
// a tree without cycles. Compile() checks every offset, size and reference
// against the total size before anything is evaluated: a malformed or
// truncated buffer is refused with bapiInvalidFilter and never read out of
// bounds. Field nodes are resolved by their name (letter case ignored): their
// field number is only the writer's running count. An unknown name refuses
// the filter with bapiUnknownFilterField.
//
// Semantics chosen here (the writer leaves them open):
//  - strings compare without letter case (Windows-1252 letters) and ignore
//    trailing blanks;
//  - a blank value equals another blank only; "<>" is the negation of "=";
//    ordered comparisons involving a blank are false; values of kinds that
//    cannot be compared are unequal and unordered;
//  - arithmetic with a blank gives a blank, as does division by zero; integer
//    arithmetic wraps like the engine's; "/" divides as floating point;
//    numbers added to a date or date-time count days, to a time milliseconds;
//    date minus date gives days; "+" joins two strings;
//  - AND and OR treat true Booleans and non-zero numbers as true, everything
//    else (blanks included) as false;
//  - a BCD constant cannot be produced by this system's BCD conversion, so it
//    evaluates as blank.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbclient/result_codes.h"

// A value during evaluation. Dates are engine day counts (the platform date's
// whole days + 693594), times milliseconds since midnight, date-times
// milliseconds as a double on the same day count.
struct TFilterValue {
  enum Kind : uint8_t { Blank, Boolean, Integer, Float, String, Date, Time, DateTime };
  Kind kind = Blank;
  int64_t i = 0;       // Boolean (0/1), Integer, Date, Time
  double f = 0;        // Float, DateTime
  std::string_view s;  // String (without its terminating zero)

  static TFilterValue MakeBlank() { return {}; }
  static TFilterValue MakeBool(bool b) { return {Boolean, b ? 1 : 0, 0, {}}; }
  static TFilterValue MakeInt(int64_t v) { return {Integer, v, 0, {}}; }
  static TFilterValue MakeFloat(double v) { return {Float, 0, v, {}}; }
  static TFilterValue MakeString(std::string_view v) { return {String, 0, 0, v}; }
  static TFilterValue MakeDate(int64_t days) { return {Date, days, 0, {}}; }
  static TFilterValue MakeTime(int64_t ms) { return {Time, ms, 0, {}}; }
  static TFilterValue MakeDateTime(double ms) { return {DateTime, 0, ms, {}}; }
};

// What the evaluator needs of a cursor: fields by name and their values in a
// record buffer.
class TFilterFieldSource {
public:
  virtual ~TFilterFieldSource() = default;
  // Index of the field of that name (letter case ignored), -1 when none.
  virtual int FilterFieldIndex(std::string_view name) const = 0;
  // The field's value in the record buffer.
  virtual TFilterValue FilterFieldValue(int index, const uint8_t* record) const = 0;
};

class TFilterExpression {
public:
  // Header layout.
  static constexpr size_t kHeaderSize = 10;
  static constexpr size_t kNodeSize = 14;
  // Deeper trees are refused so evaluation stays within a small stack.
  static constexpr int kMaxDepth = 1000;

  // The total size a buffer's header announces; bapiInvalidFilter when the
  // header is not that of a version-1 buffer.
  static TBapiResult TotalSize(const uint8_t* header, size_t& total);

  // Copies and checks the buffer (length: bytes that may be read; the header's
  // total size must fit in it) and resolves its field names against source,
  // which must outlive the expression.
  static TBapiResult Compile(const uint8_t* buffer, size_t length,
                             const TFilterFieldSource& source,
                             std::unique_ptr<TFilterExpression>& out);

  // Whether the record passes the filter.
  bool Accepts(const uint8_t* record) const;
  // The value of the whole expression for the record (for tests and callers
  // that want more than a yes/no).
  TFilterValue Evaluate(const uint8_t* record) const;

  int NodeCount() const { return static_cast<int>(nodes_.size()); }

private:
  struct Node {
    uint8_t cls = 0;  // 2 two-operand, 4 field, 5 constant
    uint8_t op = 0;
    uint16_t left = 0, right = 0;  // slot indexes
    int field = -1;
    TFilterValue constant;
  };
  TFilterExpression() = default;
  TFilterValue Eval(uint16_t slot, const uint8_t* record) const;

  std::vector<uint8_t> copy_;
  std::vector<Node> nodes_;
  const TFilterFieldSource* source_ = nullptr;
  mutable std::deque<std::string> scratch_;  // joined strings of one evaluation
};

// Windows-1252 helpers shared with the cursor code.
unsigned char Cp1252UpperChar(unsigned char c);
// Case-insensitive comparison ignoring trailing blanks: <0, 0, >0.
int CompareFilterText(std::string_view a, std::string_view b);

// Filter-expression buffers evaluated on their own, against a fake record
// source: the exact bytes the compiler writes, every operator class, the
// chosen blank and string semantics, and refusal of malformed buffers.
#include "dbclient/filter_expr.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>

#include "tests/dbclient/filter_buffer.h"

using namespace testfilter;

namespace {

// Records are vectors of values; the "record buffer" points at one.
class FakeSource : public TFilterFieldSource {
public:
  std::vector<std::string> names;
  int FilterFieldIndex(std::string_view name) const override {
    for (size_t i = 0; i < names.size(); ++i)
      if (CompareFilterText(names[i], name) == 0 && names[i].size() == name.size()) return int(i);
    return -1;
  }
  TFilterValue FilterFieldValue(int index, const uint8_t* record) const override {
    return (*reinterpret_cast<const std::vector<TFilterValue>*>(record))[index];
  }
};

struct FilterTest : ::testing::Test {
  FakeSource src;
  std::unique_ptr<TFilterExpression> expr;
  void SetUp() override { src.names = {"Name", "A", "B", "D", "T", "DT", "Flag", "F"}; }
  TBapiResult Compile(const std::vector<uint8_t>& b) {
    return TFilterExpression::Compile(b.data(), b.size(), src, expr);
  }
  // Evaluates with the given field values (others blank).
  bool Accepts(std::map<std::string, TFilterValue> vals) {
    std::vector<TFilterValue> rec(src.names.size());
    for (auto& [k, v] : vals) rec[src.FilterFieldIndex(k)] = v;
    return expr->Accepts(reinterpret_cast<const uint8_t*>(&rec));
  }
};

// Name = "Abc" as the compiler emits it: root in slot 0, the constant in slot
// 1, the field (emitted first) in slot 2; literals "Name\0Abc\0".
const std::vector<uint8_t> kNameEqAbc = {
    1, 0, 61, 0, 3, 0, 10, 0, 52, 0,                 // header
    2, 0, 0, 0, 3, 0, 0, 0, 28, 0, 14, 0, 0, 0,      // slot 0: "=" (left 28, right 14)
    5, 0, 0, 0, 14, 0, 0, 0, 1, 0, 4, 0, 5, 0,       // slot 1: string, size 4, at 5
    4, 0, 0, 0, 13, 0, 0, 0, 1, 0, 0, 0, 0, 0,       // slot 2: field 1, name at 0
    'N', 'a', 'm', 'e', 0, 'A', 'b', 'c', 0};

}  // namespace

TEST_F(FilterTest, ExampleBytesOfNameEqualsAbc) {
  // The helper writer produces exactly those bytes.
  EXPECT_EQ(Build(Op(kEq, Field("Name"), Str("Abc"))), kNameEqAbc);
  ASSERT_EQ(Compile(kNameEqAbc), bapiOk);
  EXPECT_EQ(expr->NodeCount(), 3);
  EXPECT_TRUE(Accepts({{"Name", TFilterValue::MakeString("Abc")}}));
  // Letter case and trailing blanks do not matter; other text does.
  EXPECT_TRUE(Accepts({{"Name", TFilterValue::MakeString("aBC   ")}}));
  EXPECT_FALSE(Accepts({{"Name", TFilterValue::MakeString("Abcd")}}));
  EXPECT_FALSE(Accepts({{"Name", TFilterValue::MakeString(" Abc")}}));
  EXPECT_FALSE(Accepts({}));  // blank
  // The filter keeps its own copy: the caller's buffer may go away.
  auto copy = kNameEqAbc;
  ASSERT_EQ(Compile(copy), bapiOk);
  std::fill(copy.begin(), copy.end(), 0xCC);
  EXPECT_TRUE(Accepts({{"Name", TFilterValue::MakeString("ABC")}}));
}

TEST_F(FilterTest, StringOrderAndWindows1252Case) {
  ASSERT_EQ(Compile(Build(Op(kLt, Field("Name"), Str("m")))), bapiOk);
  EXPECT_TRUE(Accepts({{"Name", TFilterValue::MakeString("Lemon")}}));
  EXPECT_FALSE(Accepts({{"Name", TFilterValue::MakeString("Melon")}}));
  ASSERT_EQ(Compile(Build(Op(kEq, Field("Name"), Str("\xC4rger")))), bapiOk);  // Ärger
  EXPECT_TRUE(Accepts({{"Name", TFilterValue::MakeString("\xE4RGER")}}));       // äRGER
  ASSERT_EQ(Compile(Build(Op(kEq, Field("name"), Str("")))), bapiOk);  // field name without case
  EXPECT_TRUE(Accepts({{"Name", TFilterValue::MakeString("   ")}}));
}

TEST_F(FilterTest, AndOrGroupFromTheLeft) {
  // (A = 1 OR B = 2) AND F = 3: seven nodes... plus two more, root AND.
  auto e = Op(kAnd, Op(kOr, Op(kEq, Field("A"), I32(1)), Op(kEq, Field("B"), I32(2))),
              Op(kEq, Field("F"), I32(3)));
  ASSERT_EQ(Compile(Build(e)), bapiOk);
  auto I = TFilterValue::MakeInt;
  EXPECT_TRUE(Accepts({{"A", I(1)}, {"B", I(0)}, {"F", I(3)}}));
  EXPECT_TRUE(Accepts({{"A", I(0)}, {"B", I(2)}, {"F", I(3)}}));
  EXPECT_FALSE(Accepts({{"A", I(1)}, {"B", I(2)}, {"F", I(4)}}));
  EXPECT_FALSE(Accepts({{"A", I(0)}, {"B", I(0)}, {"F", I(3)}}));

  auto seven = Build(Op(kAnd, Op(kEq, Field("A"), I16(1)), Op(kEq, Field("B"), I16(2))));
  ASSERT_EQ(seven[4], 7);
  ASSERT_EQ(Compile(seven), bapiOk);
  EXPECT_TRUE(Accepts({{"A", I(1)}, {"B", I(2)}}));
  EXPECT_FALSE(Accepts({{"A", I(1)}, {"B", TFilterValue::MakeBlank()}}));
}

TEST_F(FilterTest, ComparisonOperatorsOnNumbers) {
  struct Case { int op; int64_t field; bool expected; };
  const Case cases[] = {{kEq, 5, true},  {kEq, 6, false}, {kNe, 6, true}, {kNe, 5, false},
                        {kGt, 6, true},  {kGt, 5, false}, {kLt, 4, true}, {kLt, 5, false},
                        {kGe, 5, true},  {kGe, 4, false}, {kLe, 5, true}, {kLe, 6, false}};
  for (const Case& c : cases) {
    ASSERT_EQ(Compile(Build(Op(c.op, Field("A"), I32(5)))), bapiOk);
    EXPECT_EQ(Accepts({{"A", TFilterValue::MakeInt(c.field)}}), c.expected) << c.op << " " << c.field;
    // An integer field against a float constant compares numerically.
    ASSERT_EQ(Compile(Build(Op(c.op, Field("A"), Dbl(5.0)))), bapiOk);
    EXPECT_EQ(Accepts({{"A", TFilterValue::MakeInt(c.field)}}), c.expected);
  }
  ASSERT_EQ(Compile(Build(Op(kEq, Field("Flag"), Bool(true)))), bapiOk);
  EXPECT_TRUE(Accepts({{"Flag", TFilterValue::MakeBool(true)}}));
  EXPECT_FALSE(Accepts({{"Flag", TFilterValue::MakeBool(false)}}));
}

TEST_F(FilterTest, Arithmetic) {
  auto I = TFilterValue::MakeInt;
  // A + B * 2 = 10 (term groups first)
  ASSERT_EQ(Compile(Build(Op(kEq, Op(kPlus, Field("A"), Op(kTimes, Field("B"), I32(2))), I32(10)))), bapiOk);
  EXPECT_TRUE(Accepts({{"A", I(4)}, {"B", I(3)}}));
  EXPECT_FALSE(Accepts({{"A", I(3)}, {"B", I(4)}}));
  // A - B < 0
  ASSERT_EQ(Compile(Build(Op(kLt, Op(kMinus, Field("A"), Field("B")), I32(0)))), bapiOk);
  EXPECT_TRUE(Accepts({{"A", I(1)}, {"B", I(2)}}));
  EXPECT_FALSE(Accepts({{"A", I(2)}, {"B", I(2)}}));
  // A / B = 2.5 divides as floating point; division by zero is blank.
  ASSERT_EQ(Compile(Build(Op(kEq, Op(kDivide, Field("A"), Field("B")), Dbl(2.5)))), bapiOk);
  EXPECT_TRUE(Accepts({{"A", I(5)}, {"B", I(2)}}));
  EXPECT_FALSE(Accepts({{"A", I(5)}, {"B", I(0)}}));
  ASSERT_EQ(Compile(Build(Op(kNe, Op(kDivide, Field("A"), Field("B")), Dbl(2.5)))), bapiOk);
  EXPECT_TRUE(Accepts({{"A", I(5)}, {"B", I(0)}}));
  // Blank operands make blank results.
  ASSERT_EQ(Compile(Build(Op(kEq, Op(kPlus, Field("A"), I32(1)), I32(1)))), bapiOk);
  EXPECT_FALSE(Accepts({}));
  EXPECT_TRUE(Accepts({{"A", I(0)}}));
  // Strings join with "+".
  ASSERT_EQ(Compile(Build(Op(kEq, Op(kPlus, Field("Name"), Str("x")), Str("ABX")))), bapiOk);
  EXPECT_TRUE(Accepts({{"Name", TFilterValue::MakeString("ab")}}));
  // Integer arithmetic wraps instead of trapping.
  ASSERT_EQ(Compile(Build(Op(kLt, Op(kTimes, Field("A"), Field("B")), I32(0)))), bapiOk);
  EXPECT_TRUE(Accepts({{"A", I(INT64_MAX)}, {"B", I(2)}}));
}

TEST_F(FilterTest, DatesTimesAndDateTimes) {
  const int32_t day = 730120 + 693594 - 693594;  // any engine day count
  // D >= date
  ASSERT_EQ(Compile(Build(Op(kGe, Field("D"), Date(day)))), bapiOk);
  EXPECT_TRUE(Accepts({{"D", TFilterValue::MakeDate(day)}}));
  EXPECT_FALSE(Accepts({{"D", TFilterValue::MakeDate(day - 1)}}));
  EXPECT_FALSE(Accepts({}));
  // D + 1 = date + 1 day
  ASSERT_EQ(Compile(Build(Op(kEq, Op(kPlus, Field("D"), I32(1)), Date(day + 1)))), bapiOk);
  EXPECT_TRUE(Accepts({{"D", TFilterValue::MakeDate(day)}}));
  // Date minus date gives days.
  ASSERT_EQ(Compile(Build(Op(kGt, Op(kMinus, Field("D"), Date(day)), I32(30)))), bapiOk);
  EXPECT_TRUE(Accepts({{"D", TFilterValue::MakeDate(day + 31)}}));
  EXPECT_FALSE(Accepts({{"D", TFilterValue::MakeDate(day + 30)}}));
  // Times are milliseconds since midnight.
  ASSERT_EQ(Compile(Build(Op(kLt, Field("T"), Time(12 * 3600000)))), bapiOk);
  EXPECT_TRUE(Accepts({{"T", TFilterValue::MakeTime(11 * 3600000)}}));
  EXPECT_FALSE(Accepts({{"T", TFilterValue::MakeTime(13 * 3600000)}}));
  // A date-time equals a date at midnight of that day; a later time is greater.
  const double ms = double(day) * 86400000.0;
  ASSERT_EQ(Compile(Build(Op(kEq, Field("DT"), Date(day)))), bapiOk);
  EXPECT_TRUE(Accepts({{"DT", TFilterValue::MakeDateTime(ms)}}));
  EXPECT_FALSE(Accepts({{"DT", TFilterValue::MakeDateTime(ms + 1000)}}));
  ASSERT_EQ(Compile(Build(Op(kGt, Field("DT"), DateTime(ms)))), bapiOk);
  EXPECT_TRUE(Accepts({{"DT", TFilterValue::MakeDateTime(ms + 1000)}}));
  // A date compared with text is unequal, never equal.
  ASSERT_EQ(Compile(Build(Op(kEq, Field("D"), Str("x")))), bapiOk);
  EXPECT_FALSE(Accepts({{"D", TFilterValue::MakeDate(day)}}));
}

TEST_F(FilterTest, BlankEqualsOnlyBlank) {
  ASSERT_EQ(Compile(Build(Op(kEq, Field("A"), Field("B")))), bapiOk);
  EXPECT_TRUE(Accepts({}));
  EXPECT_FALSE(Accepts({{"A", TFilterValue::MakeInt(0)}}));
  ASSERT_EQ(Compile(Build(Op(kNe, Field("A"), Field("B")))), bapiOk);
  EXPECT_FALSE(Accepts({}));
  EXPECT_TRUE(Accepts({{"B", TFilterValue::MakeInt(0)}}));
  ASSERT_EQ(Compile(Build(Op(kLe, Field("A"), Field("B")))), bapiOk);
  EXPECT_FALSE(Accepts({}));
  // An empty string constant does not match a blank field.
  ASSERT_EQ(Compile(Build(Op(kEq, Field("Name"), Str("")))), bapiOk);
  EXPECT_FALSE(Accepts({}));
}

TEST_F(FilterTest, UnknownFieldIsRefused) {
  EXPECT_EQ(Compile(Build(Op(kEq, Field("Vorname"), Str("x")))), bapiUnknownFilterField);
  EXPECT_EQ(expr, nullptr);
}

TEST_F(FilterTest, MalformedBuffersAreRefused) {
  const auto good = kNameEqAbc;
  auto refused = [&](std::vector<uint8_t> b, const char* what) {
    EXPECT_EQ(Compile(b), bapiInvalidFilter) << what;
  };
  auto patch = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    auto b = good;
    size_t i = at;
    for (uint8_t v : bytes) b[i++] = v;
    return b;
  };
  refused(std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated");
  refused(std::vector<uint8_t>(good.begin(), good.begin() + 9), "short header");
  refused(patch(0, {2}), "version");
  refused(patch(2, {200}), "total size beyond the buffer");
  refused(patch(2, {40}), "total size before the literals");
  refused(patch(4, {0}), "no nodes");
  refused(patch(4, {4}), "node count disagrees with literal start");
  refused(patch(6, {12}), "node start");
  refused(patch(10, {3}), "node class");
  refused(patch(14, {9}), "operator");
  refused(patch(18, {0}), "child is the root itself");
  refused(patch(18, {15}), "child offset not on a slot");
  refused(patch(18, {42}), "child beyond the last slot");
  refused(patch(18, {14}), "both children the same slot");
  refused(patch(34, {5}), "constant size");
  refused(patch(36, {9}), "literal offset beyond the area");
  refused(patch(32, {3}), "constant type");
  refused(patch(52 + 8, {'x'}), "string without terminator");
  refused(patch(48, {9}), "field name offset beyond the area");
  // A field name that runs into the next literal is a name the table lacks.
  EXPECT_EQ(Compile(patch(52 + 4, {'x'})), bapiUnknownFilterField);
  EXPECT_EQ(Compile(good), bapiOk);
}

TEST_F(FilterTest, SharedAndOrphanNodesAreRefused) {
  // Five slots where the root's two children point at the same subtree or a
  // slot is never referenced: not a tree.
  auto b = Build(Op(kAnd, Op(kEq, Field("A"), I32(1)), Op(kEq, Field("B"), I32(2))));
  ASSERT_EQ(Compile(b), bapiOk);
  auto shared = b;
  // Root is slot 0: left at 14*4 (first emitted subtree root), right at 14*1.
  uint16_t right = shared[10 + 10] | (shared[10 + 11] << 8);
  uint16_t left = shared[10 + 8] | (shared[10 + 9] << 8);
  ASSERT_EQ(right, 14);
  ASSERT_EQ(left, 14 * 4);
  // The right comparison node (slot 1) now points its right child at the
  // left comparison's field node: shared, and its own constant orphaned.
  size_t slot1 = 10 + 14;
  uint16_t sharedChild = 14 * 6;
  shared[slot1 + 10] = sharedChild & 0xFF;
  shared[slot1 + 11] = sharedChild >> 8;
  EXPECT_EQ(Compile(shared), bapiInvalidFilter);
}

// Random corruption of valid buffers: every outcome must be a code or a
// sound expression; run under the sanitizers this proves no stray reads.
// ORV_FUZZ_SECONDS lengthens the run.
TEST_F(FilterTest, FuzzedBuffersNeverMisbehave) {
  double seconds = 1.0;
  if (const char* s = std::getenv("ORV_FUZZ_SECONDS")) seconds = std::atof(s);
  std::mt19937 rng(12345);
  const std::vector<std::vector<uint8_t>> seeds = {
      kNameEqAbc,
      Build(Op(kAnd, Op(kOr, Op(kEq, Field("A"), I32(1)), Op(kEq, Field("B"), I16(2))),
               Op(kLt, Op(kPlus, Field("D"), I32(1)), Date(700000)))),
      Build(Op(kEq, Op(kDivide, Field("F"), Dbl(2)), Op(kTimes, Field("A"), Field("B"))))};
  std::vector<TFilterValue> rec = {TFilterValue::MakeString("Abc"), TFilterValue::MakeInt(1),
                                   TFilterValue::MakeInt(2), TFilterValue::MakeDate(5),
                                   TFilterValue::MakeTime(7), TFilterValue::MakeDateTime(9),
                                   TFilterValue::MakeBool(true), TFilterValue::MakeFloat(0.5)};
  auto start = std::chrono::steady_clock::now();
  int accepted = 0, refused = 0;
  for (long iter = 0;; ++iter) {
    if ((iter & 1023) == 0 &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > seconds)
      break;
    auto b = seeds[rng() % seeds.size()];
    int flips = 1 + rng() % 4;
    for (int i = 0; i < flips; ++i) {
      switch (rng() % 3) {
        case 0: b[rng() % b.size()] = static_cast<uint8_t>(rng()); break;
        case 1: b[rng() % b.size()] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        default: b.resize(rng() % (b.size() + 1)); if (b.empty()) b.push_back(1);
      }
    }
    // Exactly the announced bytes live on the heap, so a read past them is
    // caught by the address sanitizer.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[b.size()]);
    std::memcpy(exact.get(), b.data(), b.size());
    TBapiResult r = TFilterExpression::Compile(exact.get(), b.size(), src, expr);
    if (r == bapiOk) {
      ASSERT_NE(expr, nullptr);
      expr->Accepts(reinterpret_cast<const uint8_t*>(&rec));
      ++accepted;
    } else {
      ASSERT_TRUE(r == bapiInvalidFilter || r == bapiUnknownFilterField) << r;
      ASSERT_EQ(expr, nullptr);
      ++refused;
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(accepted, 0);
}

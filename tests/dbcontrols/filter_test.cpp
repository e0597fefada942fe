// The filter compiler: the buffer it writes, how it types constants, how it
// groups operators, and installing, replacing and dropping filters on a
// table dataset, including texts that fail to compile.
#include <gtest/gtest.h>

#include <cstring>

#include "dbcontrols/filter/wwfilter.h"
#include "platform/ui/testdriver.h"
#include "tests/dbcontrols/filter_fixture.h"

namespace {

using filtertest::FilterDb;
using filtertest::Value;

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24));
}

// A node of a buffer, read back.
struct Slot {
  uint32_t cls, op;
  uint16_t a, b, c;
};
Slot NodeAt(const std::vector<uint8_t>& buf, size_t offset) {
  size_t at = 10 + offset;
  return {U32(buf, at), U32(buf, at + 4), U16(buf, at + 8), U16(buf, at + 10), U16(buf, at + 12)};
}
const uint8_t* LiteralAt(const std::vector<uint8_t>& buf, size_t offset) { return buf.data() + U16(buf, 8) + offset; }

struct FilterCompile : FilterDb {
  TUiTestDriver driver;
  std::unique_ptr<TTable> table;
  void SetUp() override {
    FilterDb::SetUp();
    table = Table();
    table->Open();
  }
  void TearDown() override {
    table.reset();
    FilterDb::TearDown();
  }
  std::vector<uint8_t> Compile(const char* text) {
    TwwFilterCompiler c(table.get());
    EXPECT_TRUE(c.Compile(text)) << text << ": " << c.ErrorText();
    return c.Buffer();
  }
  // The constant of a comparison "<field> op <constant>" (the root's right child).
  Slot RightConstant(const std::vector<uint8_t>& buf) { return NodeAt(buf, NodeAt(buf, 0).b); }
};

TEST_F(FilterCompile, BufferOfOneComparison) {
  auto buf = Compile("S = Abc");
  ASSERT_EQ(buf.size(), 10u + 3 * 14 + 2 + 4);
  EXPECT_EQ(U16(buf, 0), 1);
  EXPECT_EQ(U16(buf, 2), buf.size());
  EXPECT_EQ(U16(buf, 4), 3);
  EXPECT_EQ(U16(buf, 6), 10);
  EXPECT_EQ(U16(buf, 8), 10 + 3 * 14);
  Slot root = NodeAt(buf, 0);
  EXPECT_EQ(root.cls, wwfnTwoOperand);
  EXPECT_EQ(root.op, wwfoEqual);
  Slot field = NodeAt(buf, root.a), constant = NodeAt(buf, root.b);
  EXPECT_EQ(field.cls, wwfnField);
  EXPECT_EQ(field.op, wwfoField);
  EXPECT_EQ(field.a, 1);  // the first field written
  EXPECT_STREQ(reinterpret_cast<const char*>(LiteralAt(buf, field.b)), "S");
  EXPECT_EQ(constant.cls, wwfnConstant);
  EXPECT_EQ(constant.op, wwfoConstant);
  EXPECT_EQ(constant.a, ltString);
  EXPECT_EQ(constant.b, 4);
  EXPECT_EQ(std::memcmp(LiteralAt(buf, constant.c), "Abc", 4), 0);
  // Children lie in later slots than their parent.
  EXPECT_GT(root.a, 0);
  EXPECT_GT(root.b, 0);
}

TEST_F(FilterCompile, AndOrHaveOnePrecedenceAndGroupLeft) {
  auto buf = Compile("I = 1 AND W = 2");
  EXPECT_EQ(U16(buf, 4), 7);
  EXPECT_EQ(NodeAt(buf, 0).op, wwfoAnd);
  // A OR B AND C is (A OR B) AND C.
  buf = Compile("I = 1 or W = 2 and SI = 3");
  Slot root = NodeAt(buf, 0);
  EXPECT_EQ(root.op, wwfoAnd);
  EXPECT_EQ(NodeAt(buf, root.a).op, wwfoOr);
  EXPECT_EQ(NodeAt(buf, root.b).op, wwfoEqual);
  // Field numbers count the fields written, in post-order.
  EXPECT_EQ(NodeAt(buf, NodeAt(buf, NodeAt(buf, root.a).a).a).a, 1);
  EXPECT_EQ(NodeAt(buf, NodeAt(buf, root.b).a).a, 3);
}

TEST_F(FilterCompile, TimesAndDivideGroupLeftMinusIsFifteen) {
  auto buf = Compile("(I)/(2)/(4) = 2");
  Slot outer = NodeAt(buf, NodeAt(buf, 0).a);
  EXPECT_EQ(outer.op, wwfoDivide);
  EXPECT_EQ(NodeAt(buf, outer.a).op, wwfoDivide);  // (I/2)/4
  EXPECT_EQ(NodeAt(buf, outer.b).cls, wwfnConstant);
  buf = Compile("(I)*(2)*(3) > 0");
  EXPECT_EQ(NodeAt(buf, NodeAt(buf, NodeAt(buf, 0).a).a).op, wwfoTimes);
  buf = Compile("(I)-(3)-(1) = 4");
  Slot minus = NodeAt(buf, NodeAt(buf, 0).a);
  EXPECT_EQ(minus.op, wwfoMinus);
  EXPECT_EQ(NodeAt(buf, minus.a).op, wwfoMinus);
  buf = Compile("(I)+(1) = 2");
  EXPECT_EQ(NodeAt(buf, NodeAt(buf, 0).a).op, wwfoPlus);

  // And the evaluator computes what the grouping says.
  auto row = Row(1);
  row[filtertest::ColumnIndex("I")] = Value::Int(16);
  Insert({row});
  TBapiHandle h = 0;
  ASSERT_TRUE(SetTableFilterText("(I)/(2)/(4) = 2", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()), std::vector<int>{1});
  ASSERT_TRUE(SetTableFilterText("(I)-(8)-(4) = 4", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()), std::vector<int>{1});
  DropTableFilter(table.get(), h);
}

TEST_F(FilterCompile, ParenthesesAndTrailingText) {
  EXPECT_EQ(Compile("(I = 1)"), Compile("I = 1"));
  EXPECT_EQ(Compile("I = 1 further words"), Compile("I = 1"));
  TwwFilterCompiler c(table.get());
  EXPECT_FALSE(c.Compile("I = (1"));
  EXPECT_FALSE(c.Compile("I ="));
  EXPECT_FALSE(c.Compile(""));
  EXPECT_FALSE(c.Compile("I = 1 AND"));
  EXPECT_FALSE(c.Compile("S = \"open"));
  // A comparison operator that is none fails instead of ending the text.
  EXPECT_FALSE(c.Compile("I =< 1"));
  EXPECT_FALSE(c.Compile("I == 1"));
  EXPECT_TRUE(c.Compile("I <= 1"));
  EXPECT_TRUE(c.Compile("I <> 1"));
  // Nesting is bounded.
  std::string deep = std::string(150, '(') + "I = 1" + std::string(150, ')');
  EXPECT_TRUE(c.Compile(deep));
  deep = std::string(5000, '(') + "I = 1" + std::string(5000, ')');
  EXPECT_FALSE(c.Compile(deep));
}

TEST_F(FilterCompile, UnquotedConstantsRunOnQuotedOnesStop) {
  auto buf = Compile("S = abc AND I = 1");
  EXPECT_EQ(U16(buf, 4), 3);
  EXPECT_STREQ(reinterpret_cast<const char*>(LiteralAt(buf, RightConstant(buf).c)), "abc AND I");
  buf = Compile("S = \"abc\" AND I = 1");
  EXPECT_EQ(U16(buf, 4), 7);
  // A right operand that spells another field is a constant.
  buf = Compile("S = I");
  Slot k = RightConstant(buf);
  EXPECT_EQ(k.cls, wwfnConstant);
  EXPECT_STREQ(reinterpret_cast<const char*>(LiteralAt(buf, k.c)), "I");
  // A minus before a digit begins a number: it stops at the blank, fraction included.
  buf = Compile("I = -5 AND W = 1");
  EXPECT_EQ(U16(buf, 4), 7);
  buf = Compile("F = -2,5 OR F = 1");
  double d;
  std::memcpy(&d, LiteralAt(buf, NodeAt(buf, NodeAt(buf, NodeAt(buf, 0).a).b).c), 8);
  EXPECT_EQ(d, -2.5);
  // Quotes are dropped, inner blanks and trailing ones kept.
  buf = Compile("S = \" a b \"");
  EXPECT_STREQ(reinterpret_cast<const char*>(LiteralAt(buf, RightConstant(buf).c)), " a b ");
}

TEST_F(FilterCompile, ConstantsTypedByTheirFieldOnEitherSide) {
  auto buf = Compile("5 < I");
  Slot root = NodeAt(buf, 0);
  EXPECT_EQ(NodeAt(buf, root.a).cls, wwfnConstant);
  EXPECT_EQ(NodeAt(buf, root.a).a, ltInt32);
  EXPECT_EQ(NodeAt(buf, root.b).cls, wwfnField);
  buf = Compile("\"24.12.2026\" = D");
  Slot date = NodeAt(buf, NodeAt(buf, 0).a);
  EXPECT_EQ(date.a, ltDate);
  int32_t day;
  std::memcpy(&day, LiteralAt(buf, date.c), 4);
  EXPECT_EQ(day, static_cast<int32_t>(EncodeDate(2026, 12, 24)) + DateDelta);
  // Beside a sum the constant takes the sum's type.
  buf = Compile("10 < (I)+(1)");
  EXPECT_EQ(NodeAt(buf, NodeAt(buf, 0).a).a, ltInt32);
  // Two constants: no field to type them.
  TwwFilterCompiler c(table.get());
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(c.Compile("5 < 6"));
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "5\nField not found in Table. ");
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(c.Compile("NOSUCH = 1"));
  EXPECT_EQ(driver.MessageBoxes().back().Text, "NOSUCH\nField not found in Table. ");
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(c.Compile("NOSUCH"));
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(FilterCompile, LiteralsOfEveryType) {
  auto constant = [&](const char* text, uint16_t type, size_t size) {
    auto buf = Compile(text);
    Slot k = RightConstant(buf);
    EXPECT_EQ(k.a, type) << text;
    EXPECT_EQ(k.b, size) << text;
    std::vector<uint8_t> bytes(LiteralAt(buf, k.c), LiteralAt(buf, k.c) + k.b);
    return bytes;
  };
  auto asInt = [](const std::vector<uint8_t>& b) {
    int64_t v = 0;
    if (b.size() == 2) { int16_t x; std::memcpy(&x, b.data(), 2); v = x; }
    if (b.size() == 4) { int32_t x; std::memcpy(&x, b.data(), 4); v = x; }
    return v;
  };
  auto asDouble = [](const std::vector<uint8_t>& b) {
    double d;
    std::memcpy(&d, b.data(), 8);
    return d;
  };
  EXPECT_EQ(asInt(constant("BO = true", ltLogical, 2)), 1);
  EXPECT_EQ(asInt(constant("BO = \"t\"", ltLogical, 2)), 1);
  EXPECT_EQ(asInt(constant("BO = Yes", ltLogical, 2)), 0);
  EXPECT_EQ(asInt(constant("SI = -5", ltInt16, 2)), -5);
  EXPECT_EQ(asInt(constant("W = 5", ltInt16, 2)), 5);
  // Word fields are unsigned: values past 32767 are not wrapped.
  EXPECT_EQ(asInt(constant("W = 40000", ltInt32, 4)), 40000);
  EXPECT_EQ(asInt(constant("B = 65535", ltInt32, 4)), 65535);
  EXPECT_EQ(asInt(constant("SI = 40000", ltInt32, 4)), 40000);
  EXPECT_EQ(asInt(constant("I = 123456", ltInt32, 4)), 123456);
  EXPECT_EQ(asInt(constant("AI = 7", ltInt32, 4)), 7);
  EXPECT_EQ(asDouble(constant("U = 3000000000", ltFloat, 8)), 3000000000.0);
  EXPECT_EQ(asDouble(constant("I = 2,5", ltFloat, 8)), 2.5);
  EXPECT_EQ(asInt(constant("I = \"-7\"", ltInt32, 4)), -7);
  EXPECT_EQ(asDouble(constant("F = 1,5", ltFloat, 8)), 1.5);
  EXPECT_EQ(asDouble(constant("C = \"1.234,56\"", ltFloat, 8)), 1234.56);
  EXPECT_EQ(asInt(constant("D = \"24.12.99\"", ltDate, 4)), static_cast<int64_t>(EncodeDate(1999, 12, 24)) + DateDelta);
  EXPECT_EQ(asInt(constant("T = \"7:05\"", ltTime, 4)), (7 * 60 + 5) * 60000);
  EXPECT_EQ(asDouble(constant("DT = \"24.12.2026 18:30\"", ltDateTime, 8)),
            (EncodeDate(2026, 12, 24) + DateDelta) * 86400000.0 + (18 * 60 + 30) * 60000.0);
  EXPECT_EQ(asDouble(constant("DT = \"24.12.2026\"", ltDateTime, 8)), (EncodeDate(2026, 12, 24) + DateDelta) * 86400000.0);
  // Beside a date in a sum a number counts days.
  auto buf = Compile("(D)+(3) = \"1.1.2000\"");
  EXPECT_EQ(NodeAt(buf, NodeAt(buf, NodeAt(buf, 0).a).b).a, ltInt32);
  // Texts that are no value of the field's type raise the conversion error.
  TwwFilterCompiler c(table.get());
  EXPECT_THROW(c.Compile("I = abc"), EConvertError);
  EXPECT_THROW(c.Compile("F = x"), EConvertError);
  EXPECT_THROW(c.Compile("D = \"31.2.2000\""), EConvertError);
  EXPECT_THROW(c.Compile("T = \"25:00\""), EConvertError);
}

TEST_F(FilterCompile, LongLiteralsAreSizedByTheirLengthAndTheAreaGrows) {
  const std::string word(300, 'x');
  auto buf = Compile(("S = \"" + word + "\"").c_str());
  Slot k = RightConstant(buf);
  EXPECT_EQ(k.b, 301);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(LiteralAt(buf, k.c))), word);
  EXPECT_EQ(U16(buf, 2), buf.size());
  // Literals beyond a thousand bytes.
  std::string text = "S = \"" + word + "\"";
  for (int i = 0; i < 10; ++i) text += " OR S = \"" + word + "\"";
  buf = Compile(text.c_str());
  EXPECT_GT(buf.size() - U16(buf, 8), 3000u);
  // Past the 16-bit sizes the compilation fails cleanly.
  text = "S = \"" + std::string(70000, 'y') + "\"";
  TwwFilterCompiler c(table.get());
  EXPECT_FALSE(c.Compile(text));
  EXPECT_EQ(c.ErrorText(), "Filter expression too long.");
  EXPECT_TRUE(c.Buffer().empty());
  // Too many nodes likewise.
  text = "I = 1";
  for (int i = 0; i < 2000; ++i) text += " OR I = 1";
  EXPECT_FALSE(c.Compile(text));
  EXPECT_EQ(c.ErrorText(), "Filter expression too long.");

  // A long literal filters as written (no truncation to 255 characters).
  std::vector<std::vector<Value>> rows;
  for (int id = 1; id <= 2; ++id) {
    rows.push_back(Row(id));
    rows.back()[filtertest::ColumnIndex("S")] = Value::Text(std::string(12, 'x'));
  }
  Insert(rows);
  TBapiHandle h = 0;
  ASSERT_TRUE(SetTableFilterText("S = \"" + word + "\"", table.get(), h, false));
  EXPECT_TRUE(Ids(table.get()).empty());
  ASSERT_TRUE(SetTableFilterText("S = \"" + std::string(12, 'x') + "\"", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()).size(), 2u);
  DropTableFilter(table.get(), h);
}

// ---------------------------------------------------------------- installing

struct FilterInstall : FilterCompile {
  void SetUp() override {
    FilterCompile::SetUp();
    std::vector<std::vector<Value>> rows;
    for (int id = 1; id <= 6; ++id) {
      rows.push_back(Row(id));
      rows.back()[filtertest::ColumnIndex("I")] = Value::Int(id * 10);
      rows.back()[filtertest::ColumnIndex("W")] = Value::Int(id % 2 ? 40000 : 7);
      rows.back()[filtertest::ColumnIndex("BO")] = Value::Int(id % 3 == 0);
      rows.back()[filtertest::ColumnIndex("AI")] = Value::Int(id + 100);
    }
    Insert(rows);
    table->Refresh();
  }
};

TEST_F(FilterInstall, InstallReplaceAndDrop) {
  TBapiHandle h = 0;
  ASSERT_TRUE(SetTableFilterText("I >= 30", table.get(), h, false));
  EXPECT_NE(h, 0u);
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{3, 4, 5, 6}));
  TBapiHandle first = h;
  ASSERT_TRUE(SetTableFilterText("I < 30", table.get(), h, false));
  EXPECT_NE(h, first);
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{1, 2}));
  // The replaced filter is gone from the cursor.
  EXPECT_EQ(BapiDropFilter(table->Handle(), first), bapiInvalidHandle);
  // Word values past 32767, an autoincrement field, a Boolean field alone.
  ASSERT_TRUE(SetTableFilterText("W = 40000", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{1, 3, 5}));
  ASSERT_TRUE(SetTableFilterText("W > 10", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{1, 3, 5}));
  ASSERT_TRUE(SetTableFilterText("AI = 104", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{4}));
  ASSERT_TRUE(SetTableFilterText("BO", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{3, 6}));
  // Beside AND and OR a field stays a field (a condition of its own).
  ASSERT_TRUE(SetTableFilterText("(BO) OR (I = 10)", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{1, 3, 6}));
  ASSERT_TRUE(SetTableFilterText("I > 25 AND (BO)", table.get(), h, false));
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{3, 6}));
  // An empty (or blank) text drops the filter.
  ASSERT_TRUE(SetTableFilterText("  ", table.get(), h, false));
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(Ids(table.get()).size(), 6u);
  ASSERT_TRUE(SetTableFilterText("I = 20", table.get(), h, false));
  DropTableFilter(table.get(), h);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(Ids(table.get()).size(), 6u);
  DropTableFilter(table.get(), h);  // nothing installed: nothing happens
}

TEST_F(FilterInstall, AFailedTextKeepsThePreviousFilterDroppable) {
  TBapiHandle h = 0;
  ASSERT_TRUE(SetTableFilterText("I = 20", table.get(), h, false));
  const TBapiHandle installed = h;
  const int live = BapiLiveObjectCount();
  // Does not parse.
  EXPECT_FALSE(SetTableFilterText("I = (1", table.get(), h, false));
  EXPECT_EQ(h, installed);
  EXPECT_EQ(Ids(table.get()), std::vector<int>{2});
  // Names no field (after the warning box).
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(SetTableFilterText("NOSUCH = 1", table.get(), h, false));
  EXPECT_EQ(h, installed);
  // A constant of the wrong type raises and changes nothing.
  EXPECT_THROW(SetTableFilterText("I = abc", table.get(), h, false), EConvertError);
  EXPECT_EQ(h, installed);
  // Compiles, but the cursor refuses it: a memo compares with a field named
  // by the constant, which the cursor does not have.
  EXPECT_FALSE(SetTableFilterText("M = nothing", table.get(), h, false));
  EXPECT_EQ(h, installed);
  EXPECT_EQ(Ids(table.get()), std::vector<int>{2});
  EXPECT_EQ(BapiLiveObjectCount(), live);  // nothing left behind
  // The old filter can still be dropped through the handle.
  DropTableFilter(table.get(), h);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(BapiDropFilter(table->Handle(), installed), bapiInvalidHandle);
  EXPECT_EQ(Ids(table.get()).size(), 6u);
  EXPECT_EQ(BapiLiveObjectCount(), live - 1);
}

TEST_F(FilterInstall, ClosedDatasets) {
  TBapiHandle h = 0;
  ASSERT_TRUE(SetTableFilterText("I = 20", table.get(), h, false));
  table->Close();
  // The cursor took its filter along: only the handle is forgotten.
  EXPECT_TRUE(SetTableFilterText("I = 30", table.get(), h, false));
  EXPECT_EQ(h, 0u);
  // Forced on a dataset without a cursor: nothing to install on.
  EXPECT_FALSE(SetTableFilterText("I = 30", table.get(), h, true));
  EXPECT_EQ(h, 0u);
  // Forced while the dataset opens.
  table->AfterOpen = [&](TDataSet* ds) { EXPECT_TRUE(SetTableFilterText("I = 30", ds, h, true)); };
  table->Open();
  EXPECT_NE(h, 0u);
  EXPECT_EQ(Ids(table.get()), std::vector<int>{3});
}

int16_t AcceptEven(uintptr_t clientData, uint8_t* rec, uint32_t) {
  auto* ds = reinterpret_cast<TDataSet*>(clientData);
  bool blank = false;
  int32_t id = 0;
  BapiGetField(ds->Handle(), 1, rec, &id, blank);
  return !blank && id % 2 == 0;
}

TEST_F(FilterInstall, CallbackFilter) {
  TBapiHandle cb = 0, ex = 0;
  ASSERT_TRUE(SetFilterCallback(AcceptEven, table.get(), cb));
  EXPECT_NE(cb, 0u);
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{2, 4, 6}));
  // It combines with an expression filter.
  ASSERT_TRUE(SetTableFilterText("I > 30", table.get(), ex, false));
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{4, 6}));
  // Installing again replaces it; none removes it.
  const TBapiHandle first = cb;
  ASSERT_TRUE(SetFilterCallback(AcceptEven, table.get(), cb));
  EXPECT_EQ(BapiDropFilter(table->Handle(), first), bapiInvalidHandle);
  ASSERT_TRUE(SetFilterCallback(nullptr, table.get(), cb));
  EXPECT_EQ(cb, 0u);
  EXPECT_EQ(Ids(table.get()), (std::vector<int>{4, 5, 6}));
  table->Close();
  EXPECT_FALSE(SetFilterCallback(AcceptEven, table.get(), cb));
  EXPECT_EQ(cb, 0u);
}

}  // namespace

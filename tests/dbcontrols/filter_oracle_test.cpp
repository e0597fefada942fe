// SQLite as the oracle of filters: random filter texts over a random table
// with a field of every type; each text is compiled and installed on a
// table dataset, and the same condition, written by the generator as an SQL
// WHERE clause, runs in SQLite over the same rows. The records the dataset
// delivers must be the rows SQLite returns. Dates, times and date-times are
// computed by SQLite's own date functions, both for the rows and for the
// constants, so our date scanning is checked against an outside calendar.
//
// Between the valid texts come texts that must fail (not parsing, unknown
// operators, no such field, constants of the wrong type); each must leave
// the previous filter in force.
//
// ORV_ORACLE_CASES sets the number of valid texts (default 2000),
// ORV_ORACLE_SEED the seed; the run also stops at ORV_FUZZ_SECONDS (default
// 25 s) so that it stays bounded on a slow machine.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>

#include "dbcontrols/filter/wwfilter.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/testdriver.h"
#include "tests/dbcontrols/filter_fixture.h"

namespace {

using filtertest::Columns;
using filtertest::FilterDb;
using filtertest::Value;

enum Kind { kStr, kInt, kFloat, kBool, kDate, kTime, kDateTime };

struct Ymd {
  int y, m, d;
};
struct Hms {
  int h, n, s;
};

const Ymd kDates[] = {{1899, 12, 30}, {1900, 1, 1}, {1900, 3, 1},  {1955, 6, 15}, {1999, 12, 31}, {2000, 1, 1},
                      {2000, 2, 29},  {2001, 3, 5}, {2026, 12, 24}, {1812, 7, 4}, {2024, 2, 29},  {1999, 1, 2}};
const Hms kTimes[] = {{0, 0, 0}, {7, 5, 0}, {7, 5, 1}, {12, 30, 15}, {23, 59, 59}, {12, 0, 0}, {18, 45, 0}};
const char* const kMonths[] = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};

std::string Iso(const Ymd& d) {
  char b[16];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d", d.y, d.m, d.d);
  return b;
}
std::string Iso(const Hms& t) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d:%02d:%02d", t.h, t.n, t.s);
  return b;
}
// The engine's values, computed by SQLite's calendar.
std::string SqlDay(const Ymd& d) { return "CAST(julianday('" + Iso(d) + "') - 1721424.5 AS INTEGER)"; }
std::string SqlMs(const Hms& t) {
  return "CAST(round((julianday('2000-01-01 " + Iso(t) + "') - 2451544.5) * 86400000) AS INTEGER)";
}
std::string SqlStamp(const Ymd& d, const Hms& t) {
  return "round((julianday('" + Iso(d) + " " + Iso(t) + "') - 1721424.5) * 86400000)";
}
std::string SqlText(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("''") : std::string(1, c);
  return r + "'";
}

struct OracleColumn {
  const char* name;
  Kind kind;
  std::vector<std::string> pool;  // SQL expressions of the values rows take
};

const std::vector<std::string> kStrings = {"a", "A", "ab", "Ab ", "abc", "ABC", "b", "ba", "Zeta", "zeta  ", "x y", "mm"};

std::vector<OracleColumn> OracleColumns() {
  std::vector<std::string> strings, dates, times, stamps;
  for (const auto& s : kStrings) strings.push_back(SqlText(s));
  for (const Ymd& d : kDates) dates.push_back(SqlDay(d));
  for (const Hms& t : kTimes) times.push_back(SqlMs(t));
  for (const Ymd& d : kDates)
    for (const Hms& t : {kTimes[0], kTimes[1], kTimes[3]}) stamps.push_back(SqlStamp(d, t));
  return {
      {"S", kStr, strings},
      {"CH", kStr, {"'a'", "'B'", "'c'", "'Z'"}},
      {"W", kInt, {"0", "1", "5", "7", "100", "32767", "32768", "40000", "65535"}},
      {"B", kInt, {"0", "1", "5", "7", "200", "255"}},
      {"SI", kInt, {"-32768", "-5", "-1", "0", "1", "5", "7", "32767"}},
      {"I8", kInt, {"-128", "-5", "0", "5", "127"}},
      {"I", kInt, {"-20", "-7", "-1", "0", "1", "2", "5", "7", "16", "20", "100000", "-100000"}},
      {"U", kInt, {"0", "5", "2147483647", "2147483648", "3000000000", "4294967295"}},
      {"AI", kInt, {"1", "2", "3", "10", "42"}},
      {"F", kFloat, {"-2.5", "-1.0", "0.0", "0.5", "1.0", "1.5", "2.0", "1234.56", "1000000.0"}},
      {"SG", kFloat, {"-1.5", "0.0", "0.25", "0.5", "2.75"}},
      {"C", kFloat, {"0.0", "1.25", "1234.56", "-3.5"}},
      {"BO", kBool, {"0", "1"}},
      {"D", kDate, dates},
      {"T", kTime, times},
      {"DT", kDateTime, stamps},
  };
}

// One condition in both languages.
struct Cond {
  std::string text, sql;
  bool logical = false;  // an AND/OR node
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed), columns_(OracleColumns()) {}

  int Pick(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  const std::vector<OracleColumn>& Columns() const { return columns_; }

  std::string Blank() { return Chance(0.8) ? " " : Chance(0.5) ? "  " : "\t"; }

  // A filter of AND/OR-joined relations; `safeEnd`: the text ends here or a
  // ")" follows (an unquoted constant may stand last).
  Cond Expression(int depth, bool safeEnd) {
    if (depth == 0 || Chance(0.35)) {
      if (Chance(0.15)) {
        Cond r = Relation(true);
        return {"(" + r.text + ")", r.sql};
      }
      return Relation(safeEnd);
    }
    const bool parenRight = Chance(0.7);
    const bool parenLeft = Chance(0.2);
    Cond l = Expression(depth - 1, parenLeft);
    Cond r = Expression(depth - 1, parenRight || safeEnd);
    const bool isAnd = Chance(0.5);
    const char* word = isAnd ? (Chance(0.5) ? "AND" : "and") : (Chance(0.5) ? "OR" : "Or");
    std::string lt = parenLeft ? "(" + l.text + ")" : l.text;
    // AND and OR group from the left: a logical right operand needs parentheses.
    std::string rt = parenRight || r.logical ? "(" + r.text + ")" : r.text;
    return {lt + Blank() + word + Blank() + rt, "(" + l.sql + (isAnd ? " AND " : " OR ") + r.sql + ")", true};
  }

 private:
  struct Side {
    std::string text, sql;
    Kind kind;
  };

  // A field, or arithmetic on it with constants of its type.
  Side LeftSide(const OracleColumn& c) {
    std::string f = c.name;
    if (c.kind == kInt || c.kind == kFloat) {
      if (Chance(0.6)) return {f, f, c.kind};
      const char* ops[] = {"+", "-", "*", "/"};
      const char* op1 = ops[Pick(4)];
      std::string k1 = std::to_string(Pick(5) + (Chance(0.8) ? 1 : 0));
      Kind kind = (c.kind == kFloat || *op1 == '/') ? kFloat : kInt;
      Side s{"(" + f + ")" + op1 + "(" + k1 + ")", Arith(f, op1, k1), kind};
      switch (Pick(3)) {
        case 0: {
          // A second operator of the same or a lower level groups from the left.
          const char* op2 = (*op1 == '*' || *op1 == '/') ? ops[Pick(4)] : ops[Pick(2)];
          std::string k2 = std::to_string(Pick(4) + 1);
          if (*op2 == '/') s.kind = kFloat;
          s.text += std::string(op2) + "(" + k2 + ")";
          s.sql = Arith(s.sql, op2, k2);
          break;
        }
        case 1: {
          // A product binds before a sum: F + F*k.
          const char* op2 = Chance(0.5) ? "*" : "/";
          if (*op2 == '/') s.kind = kFloat;
          s = {"(" + f + ")" + (Chance(0.5) ? "+" : "-") + "(" + f + ")" + op2 + "(" + k1 + ")", "", s.kind};
          const bool plus = s.text[f.size() + 2] == '+';
          s.sql = "(" + f + (plus ? " + " : " - ") + Arith(f, op2, k1) + ")";
          break;
        }
        default:
          break;
      }
      return s;
    }
    if (c.kind == kStr && Chance(0.15)) {
      const std::string& x = kStrings[static_cast<size_t>(Pick(static_cast<int>(kStrings.size())))];
      return {"(" + f + ")+(\"" + x + "\")", "(" + f + " || " + SqlText(x) + ")", kStr};
    }
    if ((c.kind == kDate || c.kind == kDateTime) && Chance(0.3)) {
      int k = Pick(40) - 20;
      std::string ks = k < 0 ? "(" + std::to_string(k) + ")" : std::to_string(k);
      const std::string scale = c.kind == kDate ? "" : " * 86400000";
      if (Chance(0.7))
        return {"(" + f + ")" + "+" + "(" + ks + ")", "(" + f + " + " + std::to_string(k) + scale + ")", c.kind};
      // Date minus date: days.
      const Ymd& d = kDates[Pick(12)];
      if (c.kind == kDate)
        return {"(" + f + ")-(\"" + GermanDate(d) + "\")", "(" + f + " - " + SqlDay(d) + ")", kInt};
      return {"(" + f + ")-(\"" + GermanDate(d) + "\")",
              "((" + f + " - " + SqlStamp(d, {0, 0, 0}) + ") / 86400000.0)", kFloat};
    }
    if (c.kind == kTime && Chance(0.3)) {
      if (Chance(0.5)) {
        // Time minus time: milliseconds.
        const Hms& t = kTimes[Pick(7)];
        return {"(" + f + ")-(\"" + GermanTime(t) + "\")", "(" + f + " - " + SqlMs(t) + ")", kInt};
      }
      int k = (Pick(5) + 1) * 60000;
      return {"(" + f + ")+(" + std::to_string(k) + ")", "(" + f + " + " + std::to_string(k) + ")", kTime};
    }
    return {f, f, c.kind};
  }

  bool IsColumn(const std::string& s) const {
    for (const auto& c : filtertest::Columns())
      if (SameText(c.name, s)) return true;
    return false;
  }

  static std::string Arith(const std::string& a, const char* op, const std::string& b) {
    if (*op == '/') return "(CAST(" + a + " AS REAL) / " + b + ")";
    return "(" + a + " " + op + " " + b + ")";
  }

  std::string GermanDate(const Ymd& d) {
    char b[40];
    switch (Pick(4)) {
      case 0: std::snprintf(b, sizeof b, "%02d.%02d.%04d", d.d, d.m, d.y); break;
      case 1:
        if (d.y >= 1900 && d.y <= 1999) {
          std::snprintf(b, sizeof b, "%d.%d.%02d", d.d, d.m, d.y % 100);  // a year of the 1900s
          break;
        }
        [[fallthrough]];
      case 2: std::snprintf(b, sizeof b, "%d.%s.%d", d.d, kMonths[d.m - 1], d.y); break;
      default: std::snprintf(b, sizeof b, "%d.%d.%d", d.d, d.m, d.y);
    }
    return b;
  }
  std::string GermanTime(const Hms& t) {
    char b[32];
    if (t.s == 0 && Chance(0.5)) std::snprintf(b, sizeof b, "%d:%02d", t.h, t.n);
    else if (t.h >= 1 && t.h <= 23 && Chance(0.2))
      std::snprintf(b, sizeof b, "%d:%02d:%02d %s", t.h > 12 ? t.h - 12 : t.h, t.n, t.s, t.h >= 12 ? "PM" : "AM");
    else std::snprintf(b, sizeof b, "%02d:%02d:%02d", t.h, t.n, t.s);
    return b;
  }
  Ymd SomeDate() {
    if (Chance(0.8)) return kDates[Pick(12)];
    Ymd d{1850 + Pick(200), 1 + Pick(12), 1 + Pick(28)};
    return d;
  }
  Hms SomeTime() {
    if (Chance(0.8)) return kTimes[Pick(7)];
    return {Pick(24), Pick(60), Pick(60)};
  }

  // A constant of the kind: its filter text and SQL value. `safeEnd`: may
  // stand unquoted after its relation; `left`: stands before the operator.
  Side Constant(Kind kind, bool safeEnd, bool left) {
    switch (kind) {
      case kStr: {
        std::string s = Chance(0.85) ? kStrings[static_cast<size_t>(Pick(static_cast<int>(kStrings.size())))]
                                     : std::string(1, static_cast<char>('a' + Pick(26)));
        if (Chance(0.05)) s = Columns()[static_cast<size_t>(Pick(static_cast<int>(Columns().size())))].name;
        bool plain = s.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
        // Unquoted names run on until an operator, a parenthesis or the end;
        // before the operator a field's name would be the field.
        if (plain && (left ? !IsColumn(s) : safeEnd) && Chance(0.5)) return {s, SqlText(s), kStr};
        return {"\"" + s + "\"", SqlText(s), kStr};
      }
      case kInt: {
        static const long long values[] = {0, 1, 2, 5, 7, 16, 20, -1, -5, -20, 100, 255, 256, 32767, 32768, 40000,
                                           65535, 65536, -32768, -32769, 2147483647, 3000000000LL, 4294967295LL};
        if (Chance(0.1)) return Constant(kFloat, safeEnd, left);  // a fraction against whole numbers
        long long v = Chance(0.7) ? values[Pick(23)] : Pick(41) - 20;
        std::string s = std::to_string(v);
        if (v < 0 && Chance(0.4)) s = Chance(0.5) ? "(" + s + ")" : "\"" + s + "\"";
        return {s, std::to_string(v), kInt};
      }
      case kFloat: {
        static const struct {
          const char* text;
          const char* sql;
        } values[] = {{"1,5", "1.5"},         {"0,5", "0.5"},     {"2,25", "2.25"},        {"2,75", "2.75"},
                      {"0", "0"},             {"1", "1"},         {"1234,56", "1234.56"},  {"\"1.234,56\"", "1234.56"},
                      {"(-2,5)", "-2.5"},     {"\"-1,5\"", "-1.5"}, {"1000000", "1000000"}, {"\"1.000.000\"", "1000000"},
                      {"0,25", "0.25"},       {"3,5", "3.5"},     {"-3,5", "-3.5"},        {"7", "7"}};
        auto& v = values[Pick(16)];
        return {v.text, v.sql, kFloat};
      }
      case kBool: {
        static const char* const words[] = {"true", "True", "T", "t", "false", "False", "F", "Yes", "no", "1"};
        std::string w = words[Pick(10)];
        bool on = w[0] == 'T' || w[0] == 't';
        if (!(left ? !IsColumn(w) : safeEnd) || Chance(0.3)) w = "\"" + w + "\"";
        return {w, on ? "1" : "0", kBool};
      }
      case kDate: {
        Ymd d = SomeDate();
        return {"\"" + GermanDate(d) + "\"", SqlDay(d), kDate};
      }
      case kTime: {
        Hms t = SomeTime();
        return {"\"" + GermanTime(t) + "\"", SqlMs(t), kTime};
      }
      case kDateTime: {
        Ymd d = SomeDate();
        Hms t = Chance(0.3) ? Hms{0, 0, 0} : SomeTime();
        std::string text = GermanDate(d);
        if (t.h || t.n || t.s || Chance(0.5)) text += " " + GermanTime(t);
        return {"\"" + text + "\"", SqlStamp(d, t), kDateTime};
      }
    }
    return {};
  }

  Cond Relation(bool safeEnd) {
    const OracleColumn& c = columns_[static_cast<size_t>(Pick(static_cast<int>(columns_.size())))];
    if (c.kind == kBool && Chance(0.15)) {
      // A Boolean alone; a name runs on over blanks, so it is closed by a
      // parenthesis unless the text ends.
      std::string name = c.name;
      return {safeEnd ? name : "(" + name + ")", "(" + name + " IS 1)"};
    }
    Side l = LeftSide(c);
    static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">="};
    const std::string op = ops[Pick(6)];
    const bool constantFirst = Chance(0.2);
    Side k = Constant(l.kind, safeEnd, constantFirst);
    std::string a = constantFirst ? k.sql : l.sql, b = constantFirst ? l.sql : k.sql;
    if (l.kind == kStr) {
      a = "upper(rtrim(" + a + "))";
      b = "upper(rtrim(" + b + "))";
    }
    std::string sql;
    // A blank equals nothing but a blank, and orders before nothing.
    if (op == "=") sql = "(" + a + " IS " + b + ")";
    else if (op == "<>") sql = "(" + a + " IS NOT " + b + ")";
    else sql = "coalesce((" + a + " " + op + " " + b + "), 0)";
    std::string text = constantFirst ? k.text + Blank() + op + Blank() + l.text : l.text + Blank() + op + Blank() + k.text;
    // A field's name last would run on over what follows.
    if (constantFirst && l.text == c.name && !safeEnd) text = "(" + text + ")";
    return {text, sql};
  }

  std::mt19937 rng_;
  std::vector<OracleColumn> columns_;
};

struct Sqlite {
  sqlite3* db = nullptr;
  Sqlite() { EXPECT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK); }
  ~Sqlite() { sqlite3_close(db); }
  void Exec(const std::string& sql) {
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "") << "\n" << sql;
  }
  // The first column of every row; false on an SQL error.
  bool Ints(const std::string& sql, std::vector<int>& out, std::string& error) {
    out.clear();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
      error = sqlite3_errmsg(db);
      return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) out.push_back(sqlite3_column_int(st, 0));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
    return rc == SQLITE_DONE;
  }
};

std::string Join(const std::vector<int>& v) {
  std::ostringstream o;
  for (size_t i = 0; i < v.size(); ++i) o << (i ? "," : "") << v[i];
  return o.str();
}

struct FilterOracle : FilterDb {};

TEST_F(FilterOracle, CompiledFiltersSelectWhatSqliteSelects) {
  TUiTestDriver driver;  // answers the field-not-found boxes
  uint32_t seed = 20260524;
  int wanted = 2000;
  double seconds = 25;
  if (const char* s = std::getenv("ORV_ORACLE_SEED")) seed = static_cast<uint32_t>(std::strtoul(s, nullptr, 10));
  if (const char* s = std::getenv("ORV_ORACLE_CASES")) wanted = std::atoi(s);
  if (const char* s = std::getenv("ORV_FUZZ_SECONDS")) seconds = std::atof(s);
  Generator gen(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));

  // The rows: values chosen in SQL, computed by SQLite, then copied to our table.
  Sqlite lite;
  std::string create = "CREATE TABLE t (ID INTEGER PRIMARY KEY";
  for (const auto& c : gen.Columns()) create += std::string(", ") + c.name;
  lite.Exec(create + ")");
  const int rowCount = 150;
  for (int id = 1; id <= rowCount; ++id) {
    std::string values = std::to_string(id);
    for (const auto& c : gen.Columns())
      values += ", " + (gen.Chance(0.15) ? std::string("NULL") : c.pool[static_cast<size_t>(gen.Pick(static_cast<int>(c.pool.size())))]);
    lite.Exec("INSERT INTO t VALUES (" + values + ")");
  }
  std::vector<std::vector<Value>> rows;
  {
    sqlite3_stmt* st = nullptr;
    std::string select = "SELECT ID";
    for (const auto& c : gen.Columns()) select += std::string(", ") + c.name;
    ASSERT_EQ(sqlite3_prepare_v2(lite.db, (select + " FROM t ORDER BY ID").c_str(), -1, &st, nullptr), SQLITE_OK);
    while (sqlite3_step(st) == SQLITE_ROW) {
      auto row = Row(sqlite3_column_int(st, 0));
      for (size_t k = 0; k < gen.Columns().size(); ++k) {
        const OracleColumn& c = gen.Columns()[k];
        const int col = static_cast<int>(k) + 1;
        Value& v = row[static_cast<size_t>(filtertest::ColumnIndex(c.name))];
        if (sqlite3_column_type(st, col) == SQLITE_NULL) continue;
        switch (c.kind) {
          case kStr: v = Value::Text(reinterpret_cast<const char*>(sqlite3_column_text(st, col))); break;
          case kFloat:
          case kDateTime: v = Value::Float(sqlite3_column_double(st, col)); break;
          default: v = Value::Int(sqlite3_column_int64(st, col));
        }
      }
      rows.push_back(row);
    }
    sqlite3_finalize(st);
  }
  ASSERT_EQ(rows.size(), static_cast<size_t>(rowCount));
  Insert(rows);

  auto table = Table();
  table->Open();
  TBapiHandle handle = 0;
  std::vector<int> current = Ids(table.get());  // what the filter in force delivers
  ASSERT_EQ(current.size(), static_cast<size_t>(rowCount));

  const auto start = std::chrono::steady_clock::now();
  int valid = 0, invalid = 0, nonEmpty = 0, mismatches = 0;
  long long selected = 0;
  while (valid < wanted) {
    if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > seconds) break;
    if (gen.Chance(0.05)) {
      // A text that must fail and leave the filter in force.
      static const char* const bad[] = {"I = (1", "I =< 3", "S = \"open", "(I = 1", "I = 1 AND", "NOSUCH = 1",
                                        "5 = 6", "I = abc", "D = \"31.2.2000\"", "T = \"7\"", "F == 1"};
      const std::string text = bad[gen.Pick(11)];
      const TBapiHandle before = handle;
      driver.AnswerNextMessageBox(IDOK);
      bool ok = true;
      try {
        ok = SetTableFilterText(text, table.get(), handle, false);
      } catch (const EConvertError&) {
        ok = false;
      }
      EXPECT_FALSE(ok) << text;
      EXPECT_EQ(handle, before) << text;
      EXPECT_EQ(Ids(table.get()), current) << "after the failed text " << text;
      ++invalid;
      continue;
    }
    Cond c = gen.Expression(gen.Pick(4), true);
    bool ok = false;
    try {
      ok = SetTableFilterText(c.text, table.get(), handle, false);
    } catch (const Exception& e) {
      ADD_FAILURE() << c.text << " raised " << e.Message();
    }
    if (!ok) {
      TwwFilterCompiler compiler(table.get());
      compiler.Compile(c.text);
      FAIL() << c.text << "\n" << compiler.ErrorText();
    }
    std::vector<int> ours = Ids(table.get()), theirs;
    std::string error;
    ASSERT_TRUE(lite.Ints("SELECT ID FROM t WHERE " + c.sql + " ORDER BY ID", theirs, error)) << error << "\n" << c.sql;
    if (ours != theirs && ++mismatches <= 5) {
      ADD_FAILURE() << "filter: " << c.text << "\nSQL:    " << c.sql << "\nours:   " << Join(ours)
                    << "\nSQLite: " << Join(theirs);
    }
    current = ours;
    selected += static_cast<long long>(ours.size());
    nonEmpty += !ours.empty() && ours.size() < static_cast<size_t>(rowCount);
    ++valid;
  }
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("filter oracle: %d texts (%d partial selections, %lld records), %d failing texts, %.1f s\n", valid,
              nonEmpty, selected, invalid, took);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
  // Most filters must select some records but not all, or the check is weak.
  EXPECT_GT(nonEmpty, valid / 3);
  if (valid < wanted) std::printf("filter oracle: stopped by the time bound before %d texts\n", wanted);
}

}  // namespace

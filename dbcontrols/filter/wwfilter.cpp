// The filter-expression compiler and the installing of filters on a
// dataset's cursor (see wwfilter.h). A compilation runs in three passes over
// one tree: parsing (recursive descent on a scanner that peeks before it
// takes, so each level sees the token in its own context), typing (fields
// resolved, constants converted to their literals) and emitting.
#include "dbcontrols/filter/wwfilter.h"

#include <cstring>
#include <limits>

#include "dbcontrols/text/wwstr.h"
#include "dbcontrols/text/wwvalidate.h"
#include "platform/db/dbtables.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

namespace {

// The header's sizes are 16-bit: at most this many nodes fit in a buffer.
constexpr size_t kMaxNodes = (0xFFFF - wwFilterHeaderSize) / wwFilterNodeSize;
// Parentheses nest at most this deep (the recursion stays small).
constexpr int kMaxNesting = 200;

bool IsNameStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || u >= 146 || c == '!' || c == '#' || c == '$' ||
         c == '*' || c == '+' || c == '-' || c == '/' || c == '@' || c == '_' || c == '`';
}
bool IsNameChar(char c) { return IsNameStart(c) || c == ' ' || IsDigit(c); }
bool IsCompareChar(char c) { return c == '<' || c == '=' || c == '>'; }

uint32_t OperatorCode(const AnsiString& op) {
  static const struct {
    const char* text;
    uint32_t code;
  } ops[] = {{"=", wwfoEqual},   {"<>", wwfoNotEqual}, {">", wwfoGreater}, {"<", wwfoLess},
             {">=", wwfoGreaterEq}, {"<=", wwfoLessEq}, {"AND", wwfoAnd},   {"OR", wwfoOr},
             {"-", wwfoMinus},  {"+", wwfoPlus},      {"*", wwfoTimes},   {"/", wwfoDivide}};
  for (const auto& o : ops)
    if (op == o.text) return o.code;
  return 0;
}

bool IsTemporal(TwwTypeClass t) { return t == tcDate || t == tcTime || t == tcDateTime; }
bool IsNumeric(TwwTypeClass t) {
  return t == tcInt16 || t == tcInt32 || t == tcFloat || t == tcBCD || t == tcLogical;
}

void PutU16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}
template <class T>
std::vector<uint8_t> Bytes(T v) {
  std::vector<uint8_t> b(sizeof v);
  std::memcpy(b.data(), &v, sizeof v);  // the buffer is little-endian, as this machine
  return b;
}

// The text of a constant: quotes dropped, or trailing blanks.
AnsiString ConstantText(const AnsiString& scanned) {
  if (!scanned.empty() && scanned[0] == '"') return scanned.size() >= 2 ? scanned.substr(1, scanned.size() - 2) : "";
  return TrimRight(scanned);
}

// Engine day count of a date-time's date.
int32_t EngineDay(TDateTime d) { return static_cast<int32_t>(Trunc(d)) + DateDelta; }
int32_t Milliseconds(TDateTime t) { return static_cast<int32_t>(Round(Frac(t < 0 ? -t : t) * MSecsPerDay)); }

bool ParseDate(const AnsiString& s, TDateTime& d) {
  int pos = 1;
  return wwScanDate(s, pos, d) && pos > static_cast<int>(s.size());
}
bool ParseTime(const AnsiString& s, TDateTime& t) {
  int pos = 1;
  return wwScanTime(s, pos, t) && pos > static_cast<int>(s.size());
}

// An integer literal in the narrowest of the field's type and 32 bits that
// holds it (so 40000 against a 16-bit field is not wrapped), else a float;
// a text that is no number raises the conversion error.
void NumberLiteral(const AnsiString& s, bool sixteen, TNode* n) {
  int64_t v;
  if (TryStrToInt64(s, v)) {
    if (sixteen && v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max()) {
      n->LiteralType = ltInt16;
      n->Literal = Bytes(static_cast<int16_t>(v));
    } else if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()) {
      n->LiteralType = ltInt32;
      n->Literal = Bytes(static_cast<int32_t>(v));
    } else {
      n->LiteralType = ltFloat;
      n->Literal = Bytes(static_cast<double>(v));
    }
    return;
  }
  double d;
  if (!TryStrToFloat(s, d)) StrToInt64(s);  // raises "'s' is not a valid integer value"
  n->LiteralType = ltFloat;
  n->Literal = Bytes(d);
}

}  // namespace

struct TwwFilterCompiler::Token {
  enum Kind { Empty, LParen, RParen, Compare, AndOr, Name, Number, Quoted } kind = Empty;
  AnsiString text;
  size_t end = 0;  // scan position after the token
};

TwwTypeClass wwFilterTypeClass(const TField* field) {
  switch (field->DataType()) {
    case ftString: return tcString;
    case ftSmallint:
    case ftWord: return tcInt16;
    case ftInteger:
    case ftAutoInc: return tcInt32;
    case ftBoolean: return tcLogical;
    case ftFloat:
    case ftCurrency: return tcFloat;
    case ftBCD: return tcBCD;
    case ftDate: return tcDate;
    case ftTime: return tcTime;
    case ftDateTime: return tcDateTime;
    default: return tcNone;
  }
}

// ---------------------------------------------------------------- scanning

TwwFilterCompiler::Token TwwFilterCompiler::Scan(Context context) const {
  Token t;
  size_t p = pos_;
  const size_t n = text_.size();
  while (p < n && (text_[p] == ' ' || text_[p] == '\t')) ++p;
  const size_t start = p;
  auto finish = [&](Token::Kind kind, size_t end) {
    t.kind = kind;
    t.text = TrimRight(text_.substr(start, end - start));
    t.end = end;
    return t;
  };
  if (p >= n) return finish(Token::Empty, p);
  const char c = text_[p];
  if (c == '(') return finish(Token::LParen, p + 1);
  if (c == ')') return finish(Token::RParen, p + 1);
  if (IsCompareChar(c)) return finish(Token::Compare, p + 1 < n && IsCompareChar(text_[p + 1]) ? p + 2 : p + 1);
  if (context == Context::AndOr) {
    AnsiString upper = UpperCase(text_.substr(p, 3));
    if (upper == "AND") return finish(Token::AndOr, p + 3);
    if (upper.compare(0, 2, "OR") == 0) return finish(Token::AndOr, p + 2);
  }
  // A minus sign before a digit begins a number, not a name: "-2,5 AND ..."
  // would otherwise be read as the name "-2" and lose its fraction, and a
  // negative number could not stand before AND.
  const bool negative = c == '-' && p + 1 < n && IsDigit(text_[p + 1]);
  if (IsNameStart(c) && !negative) {
    while (p < n && IsNameChar(text_[p])) ++p;
    return finish(Token::Name, p);
  }
  if (IsDigit(c) || negative) {
    if (negative) ++p;
    while (p < n && IsDigit(text_[p])) ++p;
    if (p + 1 < n && text_[p] == DecimalSeparator && IsDigit(text_[p + 1])) {
      ++p;
      while (p < n && IsDigit(text_[p])) ++p;
    }
    return finish(Token::Number, p);
  }
  if (c == '"') {
    size_t close = text_.find('"', p + 1);
    if (close != std::string_view::npos) return finish(Token::Quoted, close + 1);
  }
  return finish(Token::Empty, start);
}

TwwFilterCompiler::Token TwwFilterCompiler::Peek(Context context) const { return Scan(context); }

void TwwFilterCompiler::Take(const Token& t) { pos_ = t.end; }

// ---------------------------------------------------------------- parsing

TNode* TwwFilterCompiler::NewNode(TwwNodeKind kind, const AnsiString& text, TNode* left, TNode* right) {
  if (nodes_.size() >= kMaxNodes) {
    Fail("Filter expression too long.");
    return nullptr;
  }
  nodes_.push_back(std::make_unique<TNode>());
  TNode* n = nodes_.back().get();
  n->Kind = kind;
  n->Text = text;
  n->Left = left;
  n->Right = right;
  return n;
}

TNode* TwwFilterCompiler::ParseExpression() {
  TNode* left = ParseRelation();
  while (left) {
    Token t = Peek(Context::AndOr);
    if (t.kind != Token::AndOr) break;
    Take(t);
    TNode* right = ParseRelation();
    if (!right) return nullptr;
    left = NewNode(nkLogical, UpperCase(t.text), left, right);
  }
  return left;
}

TNode* TwwFilterCompiler::ParseRelation() {
  TNode* left = ParseSum();
  if (!left) return nullptr;
  Token t = Peek(Context::Operator);
  if (t.kind != Token::Compare) return left;
  if (OperatorCode(t.text) == 0 || OperatorCode(t.text) > wwfoLessEq) {
    // "=<" or "==" would otherwise end the expression silently.
    Fail("Unknown comparison operator " + t.text);
    return nullptr;
  }
  Take(t);
  TNode* right = ParseSum();
  if (!right) return nullptr;
  return NewNode(nkComparison, t.text, left, right);
}

// Sums and terms: operands joined by one of two operators, grouping from
// the left (a-b-c is (a-b)-c, and a/b/c is (a/b)/c).
TNode* TwwFilterCompiler::ParseChain(const char* op1, const char* op2, TNode* (TwwFilterCompiler::*operand)()) {
  TNode* left = (this->*operand)();
  while (left) {
    Token t = Peek(Context::Operator);
    if (t.kind != Token::Name || (t.text != op1 && t.text != op2)) break;
    Take(t);
    TNode* right = (this->*operand)();
    if (!right) return nullptr;
    left = NewNode(nkArithmetic, t.text, left, right);
  }
  return left;
}

TNode* TwwFilterCompiler::ParseSum() { return ParseChain("+", "-", &TwwFilterCompiler::ParseTerm); }

TNode* TwwFilterCompiler::ParseTerm() { return ParseChain("*", "/", &TwwFilterCompiler::ParseFactor); }

TNode* TwwFilterCompiler::ParseFactor() {
  Token t = Peek(Context::Operand);
  if (t.kind == Token::LParen) {
    if (nesting_ >= kMaxNesting) {
      Fail("Filter expression nested too deeply.");
      return nullptr;
    }
    Take(t);
    ++nesting_;
    TNode* inner = ParseExpression();
    --nesting_;
    if (!inner) return nullptr;
    Token close = Peek(Context::Operator);
    if (close.kind != Token::RParen) {
      Fail("Missing closing parenthesis.");
      return nullptr;
    }
    Take(close);
    return inner;
  }
  if (t.kind == Token::Name || t.kind == Token::Number || t.kind == Token::Quoted) {
    Take(t);
    return NewNode(nkOperand, t.text, nullptr, nullptr);
  }
  Fail("Operand missing.");
  return nullptr;
}

// ---------------------------------------------------------------- typing

TField* TwwFilterCompiler::FieldNamed(const TNode* operand) const {
  if (operand->Text.empty() || operand->Text[0] == '"' || !dataSet_) return nullptr;
  return dataSet_->FindField(operand->Text);
}

void TwwFilterCompiler::MakeField(TNode* operand, TField* field) {
  operand->Field = field;
  operand->DataType = tcNone;
}

void TwwFilterCompiler::MakeConstant(TNode* operand, TwwTypeClass type, int32_t size, bool inArithmetic) {
  operand->DataType = type;
  operand->Size = type == tcBCD ? size : 0;
  const AnsiString text = ConstantText(operand->Text);
  TDateTime d = 0, t = 0;
  switch (type) {
    case tcNone:
      // A field of no comparable type: the operand stands for a field by name.
      return;
    case tcString:
      operand->LiteralType = ltString;
      operand->Literal.assign(text.begin(), text.end());
      operand->Literal.push_back(0);
      return;
    case tcLogical:
      operand->LiteralType = ltLogical;
      operand->Literal = Bytes(static_cast<int16_t>(!text.empty() && (text[0] == 'T' || text[0] == 't')));
      return;
    case tcInt16:
    case tcInt32:
      NumberLiteral(text, type == tcInt16, operand);
      return;
    case tcFloat:
      operand->LiteralType = ltFloat;
      operand->Literal = Bytes(StrToFloat(text));
      return;
    case tcBCD: {
      const double v = StrToFloat(text);
      std::vector<uint8_t> bcd(34, 0);
      // The call level converts no BCD here; the value then stays zero.
      if (BapiBcdFromFloat(v, 32, static_cast<uint16_t>(size), bcd.data()) != bapiOk) bcd.assign(34, 0);
      operand->LiteralType = ltBCD;
      operand->Literal = bcd;
      return;
    }
    case tcDate:
    case tcTime:
    case tcDateTime:
      break;
  }
  bool ok;
  if (type == tcDate) {
    ok = ParseDate(text, d);
  } else if (type == tcTime) {
    ok = ParseTime(text, t);
  } else if (text.find(' ') != AnsiString::npos) {
    int pos = 1;
    ok = wwScanDate(text, pos, d) && wwScanTime(text, pos, t) && pos > static_cast<int>(text.size());
  } else {
    ok = ParseDate(text, d);
  }
  if (!ok) {
    // Beside a date or time in a sum, a number is an offset in days or
    // milliseconds.
    double unused;
    if (inArithmetic && TryStrToFloat(text, unused)) return NumberLiteral(text, false, operand);
    RaiseConvertError(text, type == tcDate   ? TConvertKind::Date
                            : type == tcTime ? TConvertKind::Time
                                             : TConvertKind::DateTime);
  }
  if (type == tcDate) {
    operand->LiteralType = ltDate;
    operand->Literal = Bytes(EngineDay(d));
  } else if (type == tcTime) {
    operand->LiteralType = ltTime;
    operand->Literal = Bytes(Milliseconds(t));
  } else {
    operand->LiteralType = ltDateTime;
    operand->Literal = Bytes(static_cast<double>(EngineDay(d)) * MSecsPerDay + Milliseconds(t));
  }
}

TwwTypeClass TwwFilterCompiler::ValueType(const TNode* n) const {
  if (n->Kind == nkOperand) {
    if (n->Field) return wwFilterTypeClass(n->Field);
    switch (n->LiteralType) {
      case ltString: return tcString;
      case ltDate: return tcDate;
      case ltLogical: return tcLogical;
      case ltInt16: return tcInt16;
      case ltInt32: return tcInt32;
      case ltFloat: return tcFloat;
      case ltBCD: return tcBCD;
      case ltTime: return tcTime;
      case ltDateTime: return tcDateTime;
      default: return tcNone;
    }
  }
  if (n->Kind != nkArithmetic) return tcLogical;
  const TwwTypeClass a = ValueType(n->Left), b = ValueType(n->Right);
  const bool plus = n->Text == "+", minus = n->Text == "-";
  if (IsTemporal(a) || IsTemporal(b)) {
    if ((plus || minus) && IsTemporal(a) && IsNumeric(b)) return a;
    if (plus && IsNumeric(a) && IsTemporal(b)) return b;
    if (minus && a == b && a != tcDateTime) return tcInt32;  // days or milliseconds
    if (minus && (a == tcDate || a == tcDateTime) && (b == tcDate || b == tcDateTime)) return tcFloat;
    return tcNone;
  }
  if (a == tcString && b == tcString) return plus ? tcString : tcNone;
  if (IsNumeric(a) && IsNumeric(b)) {
    if (n->Text == "/" || a == tcFloat || b == tcFloat || a == tcBCD || b == tcBCD) return tcFloat;
    return tcInt32;
  }
  return tcNone;
}

// Types the operands of a two-operand node: a field operand types the
// constant on the other side, whichever side the field stands on; an
// operand beside a subexpression takes the subexpression's type.
TwwTypeClass TwwFilterCompiler::ResolveOperands(TNode* node) {
  TNode* left = node->Left;
  TNode* right = node->Right;
  if (node->Kind == nkLogical) {
    // AND and OR join conditions: an operand of theirs is a (Boolean) field
    // of its own, never a constant typed by the other side.
    Resolve(left);
    if (!failed_) Resolve(right);
    return tcLogical;
  }
  const bool arithmetic = node->Kind == nkArithmetic;
  TwwTypeClass leftType = tcNone;
  bool leftTyped = false;  // the left side can type a constant operand
  int32_t leftSize = 0;
  if (left->Kind == nkOperand) {
    if (TField* f = FieldNamed(left)) {
      MakeField(left, f);
      leftType = wwFilterTypeClass(f);
      leftSize = f->Size();
      leftTyped = true;
    }
  } else {
    leftType = Resolve(left);
    if (failed_) return tcNone;
    leftTyped = leftType != tcNone;
  }
  const bool leftOpen = left->Kind == nkOperand && !left->Field;  // a constant waiting for its type
  if (right->Kind == nkOperand) {
    if (left->Field) {
      MakeConstant(right, leftType, leftSize, arithmetic);
    } else if (leftTyped) {
      MakeConstant(right, leftType, 0, arithmetic);
    } else if (TField* f = FieldNamed(right)) {
      MakeField(right, f);
      if (leftOpen) MakeConstant(left, wwFilterTypeClass(f), f->Size(), arithmetic);
    } else {
      FieldNotFound(leftOpen ? left->Text : right->Text);
      return tcNone;
    }
  } else {
    const TwwTypeClass rightType = Resolve(right);
    if (failed_) return tcNone;
    if (leftOpen) {
      if (rightType == tcNone) {
        FieldNotFound(left->Text);
        return tcNone;
      }
      MakeConstant(left, rightType, 0, arithmetic);
    }
  }
  return ValueType(node);
}

TwwTypeClass TwwFilterCompiler::Resolve(TNode* node) {
  if (node->Kind != nkOperand) return ResolveOperands(node);
  // An operand alone must be a field (a Boolean one, to mean anything).
  TField* f = FieldNamed(node);
  if (!f) {
    FieldNotFound(node->Text);
    return tcNone;
  }
  MakeField(node, f);
  return wwFilterTypeClass(f);
}

bool TwwFilterCompiler::Fail(const AnsiString& why) {
  if (!failed_) error_ = why;
  failed_ = true;
  return false;
}

bool TwwFilterCompiler::FieldNotFound(const AnsiString& name) {
  const AnsiString message = name + "\n" + "Field not found in Table. ";
  Fail(message);
  MessageDlg(message, mtWarning, mbOK, 0);
  return false;
}

// ---------------------------------------------------------------- emitting

bool TwwFilterCompiler::Emit() {
  // Post-order, so that each node follows its children.
  std::vector<TNode*> order;
  std::vector<std::pair<TNode*, bool>> stack{{root_, false}};
  size_t literalBytes = 0;
  while (!stack.empty()) {
    auto [n, childrenDone] = stack.back();
    stack.pop_back();
    if (n->Kind != nkOperand && !childrenDone) {
      stack.push_back({n, true});
      stack.push_back({n->Right, false});
      stack.push_back({n->Left, false});
      continue;
    }
    order.push_back(n);
    if (n->Kind == nkOperand)
      literalBytes += n->LiteralType ? n->Literal.size() : (n->Field ? n->Field->FieldName() : n->Text).size() + 1;
  }
  const size_t count = order.size();
  const size_t literalStart = wwFilterHeaderSize + wwFilterNodeSize * count;
  const size_t total = literalStart + literalBytes;
  if (total > 0xFFFF) return Fail("Filter expression too long.");
  buffer_.assign(total, 0);
  PutU16(buffer_, 0, 1);
  PutU16(buffer_, 2, static_cast<uint32_t>(total));
  PutU16(buffer_, 4, static_cast<uint32_t>(count));
  PutU16(buffer_, 6, wwFilterHeaderSize);
  PutU16(buffer_, 8, static_cast<uint32_t>(literalStart));
  size_t slot = count;
  size_t literalOffset = 0;
  uint32_t fieldCount = 0;
  auto literal = [&](const uint8_t* data, size_t size) {
    std::memcpy(buffer_.data() + literalStart + literalOffset, data, size);
    size_t at = literalOffset;
    literalOffset += size;
    return static_cast<uint32_t>(at);
  };
  for (TNode* n : order) {
    --slot;
    n->EmittedOffset = static_cast<int32_t>(slot * wwFilterNodeSize);
    const size_t at = literalStart - wwFilterNodeSize * (count - slot);
    if (n->Kind != nkOperand) {
      PutU32(buffer_, at, wwfnTwoOperand);
      PutU32(buffer_, at + 4, OperatorCode(n->Text));
      PutU16(buffer_, at + 8, static_cast<uint32_t>(n->Left->EmittedOffset));
      PutU16(buffer_, at + 10, static_cast<uint32_t>(n->Right->EmittedOffset));
    } else if (n->LiteralType == 0) {
      // Fields are resolved by name; the number only counts them.
      const AnsiString name = n->Field ? n->Field->FieldName() : n->Text;
      PutU32(buffer_, at, wwfnField);
      PutU32(buffer_, at + 4, wwfoField);
      PutU16(buffer_, at + 8, ++fieldCount);
      PutU16(buffer_, at + 10, literal(reinterpret_cast<const uint8_t*>(name.c_str()), name.size() + 1));
    } else {
      PutU32(buffer_, at, wwfnConstant);
      PutU32(buffer_, at + 4, wwfoConstant);
      PutU16(buffer_, at + 8, n->LiteralType);
      PutU16(buffer_, at + 10, static_cast<uint32_t>(n->Literal.size()));
      PutU16(buffer_, at + 12, literal(n->Literal.data(), n->Literal.size()));
    }
  }
  return true;
}

bool TwwFilterCompiler::Compile(std::string_view text) {
  nodes_.clear();
  root_ = nullptr;
  buffer_.clear();
  error_.clear();
  failed_ = false;
  text_ = text;
  pos_ = 0;
  nesting_ = 0;
  TNode* root = ParseExpression();
  if (!root || failed_) return Fail("Filter expression does not parse.");
  root_ = root;
  Resolve(root_);
  if (failed_ || !Emit()) {
    root_ = nullptr;
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- installing

void DropTableFilter(TDataSet* dataSet, TBapiHandle& filterHandle) {
  if (!filterHandle) return;
  BapiDeactivateFilter(dataSet->Handle(), filterHandle);
  BapiDropFilter(dataSet->Handle(), filterHandle);
  filterHandle = 0;
}

bool SetTableFilterText(const AnsiString& text, TDataSet* dataSet, TBapiHandle& filterHandle, bool force) {
  if (!dataSet->Active() && !force) {
    filterHandle = 0;  // the closed cursor took its filters along
    return true;
  }
  if (wwStrTrimBlanks(text).empty()) {
    DropTableFilter(dataSet, filterHandle);
    if (dataSet->Active()) dataSet->Refresh();
    return true;
  }
  if (!dataSet->Handle()) return false;  // no cursor to install on
  TwwFilterCompiler compiler(dataSet);
  if (!compiler.Compile(text)) return false;
  // The new filter is in force before the old one goes, so a refusal
  // leaves the old one installed and named by the handle.
  const TBapiHandle cursor = dataSet->Handle();
  TBapiHandle fresh = 0;
  if (BapiAddFilter(cursor, 0, 1, false, compiler.Buffer().data(), nullptr, fresh) != bapiOk) return false;
  if (BapiActivateFilter(cursor, fresh) != bapiOk) {
    BapiDropFilter(cursor, fresh);
    return false;
  }
  DropTableFilter(dataSet, filterHandle);
  filterHandle = fresh;
  if (dataSet->Active()) dataSet->Refresh();
  return true;
}

bool SetFilterCallback(TBapiFilterCallback callback, TDataSet* dataSet, TBapiHandle& filterHandle) {
  DropTableFilter(dataSet, filterHandle);
  auto reread = [dataSet] {
    if (!dataSet->Active()) return;
    const auto* table = dynamic_cast<const TTable*>(dataSet);
    if (table && table->IndexFieldCount() > 0) {
      dataSet->Refresh();
    } else {
      dataSet->UpdateCursorPos();
      dataSet->Resync(0);
    }
  };
  if (!callback) {
    reread();
    return true;
  }
  const TBapiHandle cursor = dataSet->Handle();
  if (!cursor) return false;
  if (BapiAddFilter(cursor, reinterpret_cast<uintptr_t>(dataSet), 1, false, nullptr, callback, filterHandle) !=
      bapiOk) {
    filterHandle = 0;
    return false;
  }
  if (BapiActivateFilter(cursor, filterHandle) != bapiOk) {
    BapiDropFilter(cursor, filterHandle);
    filterHandle = 0;
    return false;
  }
  reread();
  return true;
}

// The filter-expression compiler: a dataset's filter text ("NAME = Abc AND
// JAHR >= 1900") becomes a filter-expression buffer in the call-level form,
// which the call-level client copies and evaluates record by record
// (dbclient/filter_expr.h reads it). The same unit installs, activates and
// drops that filter on the dataset's cursor, and installs the per-record
// callback filter of a dataset's filter event.
//
// Language: relations (sum [op sum], op one of < <> <= >= = >) joined by AND
// and OR, which have the same precedence and group from the left; sums and
// terms group from the left too ("a/b/c" is "(a/b)/c"). Operands are names,
// numbers (an optional "-", digits, optionally the decimal separator and more
// digits) and double-quoted constants. A name may contain blanks and + - * /, so
// arithmetic operands are written in parentheses: "(ANZAHL)*(2) > 10". An
// unquoted constant runs on over blanks and words; quote constants that are
// followed by more text, and dates and times always ("24.12.2026", "7:05").
// Text after a complete expression that is neither AND nor OR is ignored.
//
// Typing: the operand of a two-operand node that names a field of the
// dataset (its left operand, or its right one when the left is no field) is a
// field; the other operand is a constant typed by that field (on either side;
// a right operand that spells another field's name is still a constant). An
// operand compared with a subexpression takes the subexpression's type. The
// operands of AND and OR are conditions: an operand there is a field
// ("AKTIV AND VERHEIRATET" joins two Boolean fields). A
// constant that fits no field raises EConvertError (for example "abc" for an
// integer field); an operator with no field to type it shows the warning
// "<name>\nField not found in Table. " and the compilation fails.
//
// Buffer (little-endian): a 10-byte header (version 1, total size, node
// count, node start 10, literal start 10 + 14 * nodes), 14-byte node slots
// written in post-order from the last slot (the root lands in slot 0, every
// child in a later slot than its parent), then the literals, each at the
// running literal offset. Node classes (2 two-operand, 4 field, 5 constant)
// and literal data types (1 string, 2 date, 4 logical, 5 int16, 6 int32,
// 7 float, 8 BCD, 10 time, 11 date-time) are separate codes from the type
// classes of constants below. The literal area grows with the literals; an
// expression whose buffer would pass the 16-bit sizes of the header fails
// with a clear message instead of overrunning.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "dbclient/bapi.h"
#include "platform/rtl/components.h"

class TDataSet;
class TField;

// Kinds of parse-tree nodes.
enum TwwNodeKind : uint8_t { nkComparison = 0, nkLogical = 1, nkArithmetic = 2, nkOperand = 3 };

// Type class of a constant, from the type of the field it is compared with.
enum TwwTypeClass : uint8_t {
  tcNone = 0,  // a field reference
  tcString = 1,
  tcFloat = 2,
  tcDateTime = 3,
  tcDate = 4,
  tcTime = 5,
  tcLogical = 6,
  tcInt32 = 7,
  tcBCD = 8,
  tcInt16 = 9,
};

// Data types of constant literals in the buffer.
enum TwwLiteralType : uint16_t {
  ltString = 1,
  ltDate = 2,
  ltLogical = 4,
  ltInt16 = 5,
  ltInt32 = 6,
  ltFloat = 7,
  ltBCD = 8,
  ltTime = 10,
  ltDateTime = 11,
};

// Node classes and operators of the buffer.
enum : uint32_t { wwfnTwoOperand = 2, wwfnField = 4, wwfnConstant = 5 };
enum : uint32_t {
  wwfoEqual = 3, wwfoNotEqual = 4, wwfoGreater = 5, wwfoLess = 6, wwfoGreaterEq = 7, wwfoLessEq = 8,
  wwfoAnd = 10, wwfoOr = 11, wwfoField = 13, wwfoConstant = 14,
  wwfoMinus = 15, wwfoPlus = 16, wwfoTimes = 18, wwfoDivide = 19,
};

// Header layout.
constexpr size_t wwFilterHeaderSize = 10;
constexpr size_t wwFilterNodeSize = 14;

// One node of the parse tree. The compiler owns every node it makes.
class TNode : public TObject {
  ORV_CLASS(TNode, TObject)
  TNode() = default;
  TwwNodeKind Kind = nkOperand;
  TwwTypeClass DataType = tcNone;  // of a constant operand
  int32_t Size = 0;                // of a BCD constant: its field's size
  AnsiString Text;                 // operator, or operand as scanned
  int32_t EmittedOffset = 0;       // in the node area
  TNode* Left = nullptr;
  TNode* Right = nullptr;
  // Resolved while typing: the field an operand names, and the literal of a
  // constant (its data type and bytes).
  TField* Field = nullptr;
  uint16_t LiteralType = 0;
  std::vector<uint8_t> Literal;
};

class TwwFilterCompiler {
 public:
  explicit TwwFilterCompiler(TDataSet* dataSet) : dataSet_(dataSet) {}
  // Parses, types and emits. False when the text does not parse, names no
  // field where one is needed (after the warning box) or is too long;
  // ErrorText says why. Raises EConvertError for a constant that does not
  // convert to its field's type.
  bool Compile(std::string_view text);
  const std::vector<uint8_t>& Buffer() const { return buffer_; }
  const AnsiString& ErrorText() const { return error_; }
  // The parse tree of the last compilation (null before one succeeded).
  const TNode* Root() const { return root_; }

 private:
  struct Token;
  enum class Context { Operand, Operator, AndOr };
  Token Scan(Context context) const;
  Token Peek(Context context) const;
  void Take(const Token& t);
  TNode* NewNode(TwwNodeKind kind, const AnsiString& text, TNode* left, TNode* right);
  TNode* ParseExpression();
  TNode* ParseRelation();
  TNode* ParseChain(const char* op1, const char* op2, TNode* (TwwFilterCompiler::*operand)());
  TNode* ParseSum();
  TNode* ParseTerm();
  TNode* ParseFactor();
  TwwTypeClass Resolve(TNode* node);
  TwwTypeClass ResolveOperands(TNode* node);
  TField* FieldNamed(const TNode* operand) const;
  void MakeField(TNode* operand, TField* field);
  void MakeConstant(TNode* operand, TwwTypeClass type, int32_t size, bool inArithmetic);
  TwwTypeClass ValueType(const TNode* node) const;
  bool Fail(const AnsiString& why);
  bool FieldNotFound(const AnsiString& name);
  bool Emit();

  TDataSet* dataSet_;
  std::string_view text_;
  size_t pos_ = 0;
  int nesting_ = 0;
  bool failed_ = false;
  std::vector<std::unique_ptr<TNode>> nodes_;
  TNode* root_ = nullptr;
  std::vector<uint8_t> buffer_;
  AnsiString error_;
};

// The type class of constants compared with a field of that type.
TwwTypeClass wwFilterTypeClass(const TField* field);

// Compiles and installs the dataset's expression filter, or drops it for an
// empty text (refreshing an open dataset). Every table type of this system
// (default, Paradox, dBASE, ASCII) takes the expression filter; there is no
// outside table driver to hand a filter text to. True when that state was reached.
// A closed dataset without `force` only forgets the handle (its cursor took
// its filters along when it closed); `force` installs on a dataset that is
// being opened. A text that does not compile, or a filter the cursor
// refuses, answers False and leaves the previous filter installed, active
// and still named by `filterHandle`, so it can be dropped later. Raises
// EConvertError as TwwFilterCompiler::Compile does, changing nothing.
bool SetTableFilterText(const AnsiString& text, TDataSet* dataSet, TBapiHandle& filterHandle, bool force);
// Deactivates and drops the installed filter; the handle becomes 0.
void DropTableFilter(TDataSet* dataSet, TBapiHandle& filterHandle);
// Drops the installed callback filter and, when `callback` is given, installs
// and activates it with the dataset as client data; then an open dataset
// re-reads its records. False when the dataset has no cursor or the cursor
// refuses the filter (the handle is then 0).
bool SetFilterCallback(TBapiFilterCallback callback, TDataSet* dataSet, TBapiHandle& filterHandle);

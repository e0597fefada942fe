// String and number routines of the runtime library, with the windowing
// library's semantics: text is Windows-1252 (one byte per character), string
// positions count from 1, conversions follow the fixed German/Swiss settings
// (decimal comma, thousands point), and integer helpers raise instead of
// wrapping. Every routine is total: bad input raises a documented exception
// or gives the documented default, never undefined behaviour.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "platform/rtl/exceptions.h"

// ---------------------------------------------------------------------------
// Global number settings (German/Swiss). Mutable so that a component that
// switches its language may change them, but every program starts with these.
extern char DecimalSeparator;   // ','
extern char ThousandSeparator;  // '.'

// ---------------------------------------------------------------------------
// Windows-1252 characters.

// Letters of the code page: A-Z, a-z, the accented letters 0xC0..0xFF without
// 0xD7 and 0xF7, and 0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xAA,
// 0xB5, 0xBA.
bool IsCharAlpha(char c);
bool IsCharAlphaNumeric(char c);
bool IsCharUpper(char c);
bool IsCharLower(char c);
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Code-page case mapping: accented letters included; 0xDF (sharp s), 0xB5
// (micro) and 0x83 (f with hook) have no upper case and stay as they are.
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
// 'A' to 'Z' only.
inline char UpCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char LoCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// ---------------------------------------------------------------------------
// Strings. Positions count from 1; out-of-range positions and counts are
// clipped, never an error.

AnsiString Copy(std::string_view s, int index, int count);
// Position of the first occurrence of `sub` in `s`, 0 when absent or empty.
int Pos(std::string_view sub, std::string_view s);
void Delete(AnsiString& s, int index, int count);
void Insert(std::string_view sub, AnsiString& s, int index);
// Blanks are every character up to and including ' ' (controls too).
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);
AnsiString StringOfChar(char c, int count);

AnsiString UpperCase(std::string_view s);  // 'a' to 'z' only
AnsiString LowerCase(std::string_view s);
AnsiString AnsiUpperCase(std::string_view s);  // whole code page
AnsiString AnsiLowerCase(std::string_view s);

// Ordinal comparisons: negative, 0 or positive.
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);  // 'A' to 'Z' folded
bool SameText(std::string_view a, std::string_view b);
// Language-aware comparisons for lists shown to the user: accented letters
// sort with their base letter ("Äpfel" next to "Apfel", sharp s as "ss");
// AnsiCompareStr then orders lower case before upper case.
int AnsiCompareText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

// ---------------------------------------------------------------------------
// A text that is no value of the kind wanted raises EConvertError with a
// German message, such as "31.02.1990" ist kein gültiges Datum.
enum class TConvertKind { Integer, Float, Boolean, Date, Time, DateTime };
[[noreturn]] void RaiseConvertError(std::string_view text, TConvertKind kind);

// ---------------------------------------------------------------------------
// Integer conversions.

AnsiString IntToStr(int64_t v);
AnsiString IntToHex(int64_t v, int digits);
// Accepts optional blanks in front, a sign, decimal digits or hex after "$"
// or "0x"; nothing may follow. Out of the 32-bit range is an error too.
// Raises EConvertError (TConvertKind::Integer).
int StrToInt(std::string_view s);
int StrToIntDef(std::string_view s, int def);
bool TryStrToInt(std::string_view s, int& out);
int64_t StrToInt64(std::string_view s);
int64_t StrToInt64Def(std::string_view s, int64_t def);
bool TryStrToInt64(std::string_view s, int64_t& out);

// ---------------------------------------------------------------------------
// Floating-point conversions. Output uses DecimalSeparator; input accepts the
// decimal comma and also ".", and thousands separators between groups of
// three digits where a decimal separator follows them or there are two
// groups or more ("1.234,56", "1.234.567"; "1.234" is 1,234).

// General format with 15 significant digits: -10.0 gives "-10", 0.5 "0,5",
// 1e20 "1E20", 0.00001 "1E-5".
AnsiString FloatToStr(double v);
// Raises EConvertError (TConvertKind::Float).
double StrToFloat(std::string_view s);
double StrToFloatDef(std::string_view s, double def);
bool TryStrToFloat(std::string_view s, double& out);
// Picture formats: sections "positive;negative;zero"; '0' a required digit,
// '#' an optional digit, '.' the decimal point (written as DecimalSeparator),
// ',' among the integer digits turns on thousands grouping, "E+"/"E-" with
// '0's an exponent, text in quotes and any other character literal. An empty
// format gives FloatToStr. Rounding is half away from zero on the decimal
// value (0.125 with "0.00" gives "0,13").
AnsiString FormatFloat(std::string_view format, double v);
// Fixed notation with `decimals` digits after the separator, as "%.nf".
AnsiString FloatToStrFixed(double v, int decimals);

// ---------------------------------------------------------------------------
// Format: "%" [index ":"] ["-"] [width] ["." precision] type, where type is
// d, u, x (hex), e, f, g, n (thousands), s, c or p; width and precision may be
// "*". Floating types use DecimalSeparator; "%%" is a percent sign. A format
// that does not fit its arguments raises EConvertError.

struct TVarRec {
  enum Kind { kInt, kFloat, kString, kChar, kPointer } kind;
  int64_t i = 0;
  double d = 0;
  std::string_view s;
  const void* p = nullptr;
  TVarRec(int v) : kind(kInt), i(v) {}
  TVarRec(long v) : kind(kInt), i(v) {}
  TVarRec(long long v) : kind(kInt), i(v) {}
  TVarRec(unsigned v) : kind(kInt), i(v) {}
  TVarRec(unsigned long v) : kind(kInt), i(static_cast<int64_t>(v)) {}
  TVarRec(unsigned long long v) : kind(kInt), i(static_cast<int64_t>(v)) {}
  TVarRec(bool v) : kind(kInt), i(v ? 1 : 0) {}
  TVarRec(double v) : kind(kFloat), d(v) {}
  TVarRec(float v) : kind(kFloat), d(v) {}
  TVarRec(char v) : kind(kChar), i(static_cast<unsigned char>(v)) {}
  TVarRec(const char* v) : kind(kString), s(v ? v : "") {}
  TVarRec(const AnsiString& v) : kind(kString), s(v) {}
  TVarRec(std::string_view v) : kind(kString), s(v) {}
  TVarRec(const void* v) : kind(kPointer), p(v) {}
};

AnsiString FormatV(std::string_view format, const TVarRec* args, int count);
template <class... A>
AnsiString Format(std::string_view format, const A&... args) {
  if constexpr (sizeof...(A) == 0) {
    return FormatV(format, nullptr, 0);
  } else {
    const TVarRec recs[] = {TVarRec(args)...};
    return FormatV(format, recs, static_cast<int>(sizeof...(A)));
  }
}

// ---------------------------------------------------------------------------
// Arithmetic.

// a * b / c with a 64-bit product, rounded half away from zero; -1 when c is
// zero or the result does not fit in 32 bits.
int MulDiv(int a, int b, int c);
// Half to even ("banker's rounding"): Round(2.5) = 2, Round(3.5) = 4.
// NaN, infinities and values beyond 64 bits raise ERangeError.
int64_t Round(double v);
int64_t Trunc(double v);  // toward zero, same errors as Round
double Frac(double v);    // v - Int(v), sign of v
double Int(double v);

// Overflow-checked integer arithmetic: raise EIntOverflow "Integer overflow".
int CheckedAdd(int a, int b);
int CheckedSub(int a, int b);
int CheckedMul(int a, int b);
int CheckedNeg(int a);
int64_t CheckedAdd64(int64_t a, int64_t b);
int64_t CheckedSub64(int64_t a, int64_t b);
int64_t CheckedMul64(int64_t a, int64_t b);
// A value that must fit a declared range: raises ERangeError
// "Range check error" otherwise, else returns it.
int64_t RangeCheck(int64_t v, int64_t lo, int64_t hi);
// Narrowing with range check (e.g. to a 16-bit or 8-bit field).
template <class T>
T CheckedCast(int64_t v);
[[noreturn]] void RaiseRangeError();
[[noreturn]] void RaiseIntOverflow();

// What a system error number (errno) means, as one German sentence; a
// number without words of its own is "Fehler <n> des Systems.": the
// system's own words are English and never reach the user.
AnsiString SysErrorMessage(int err);

template <class T>
T CheckedCast(int64_t v) {
  if (v < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
      (v > 0 && static_cast<uint64_t>(v) > static_cast<uint64_t>(std::numeric_limits<T>::max())))
    RaiseRangeError();
  return static_cast<T>(v);
}

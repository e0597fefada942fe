// String and number routines. Number text goes through std::from_chars and
// std::to_chars so that the process locale (which the toolkit may change)
// never alters a conversion; the German separators are applied here.
#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cerrno>
#include <cstring>

#include "platform/rtl/cp1252.h"

char DecimalSeparator = ',';
char ThousandSeparator = '.';

namespace {

// ---------------------------------------------------------------------------
// Character tables, built once at compile time.
enum : uint8_t { kAlpha = 1, kUpper = 2, kLower = 4 };

struct CaseTables {
  std::array<uint8_t, 256> cls{};
  std::array<char, 256> upper{};
  std::array<char, 256> lower{};
  // Primary collation letter ('A'..'Z') or 0, and a second letter for the
  // ligatures and the sharp s that sort as two letters.
  std::array<char, 256> base{};
  std::array<char, 256> base2{};
};

constexpr CaseTables MakeTables() {
  CaseTables t{};
  for (int c = 0; c < 256; ++c) {
    t.upper[c] = static_cast<char>(c);
    t.lower[c] = static_cast<char>(c);
  }
  auto pair = [&t](int up, int low) {
    t.cls[up] = kAlpha | kUpper;
    t.cls[low] = kAlpha | kLower;
    t.upper[low] = static_cast<char>(up);
    t.lower[up] = static_cast<char>(low);
  };
  for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) pair(c, c + 32);
  pair(0x8A, 0x9A);  // S caron
  pair(0x8C, 0x9C);  // OE
  pair(0x8E, 0x9E);  // Z caron
  pair(0x9F, 0xFF);  // Y diaeresis
  for (int c : {0x83, 0xB5, 0xDF}) t.cls[c] = kAlpha | kLower;  // no upper case
  for (int c : {0xAA, 0xBA}) t.cls[c] = kAlpha;                 // ordinal indicators

  for (int c = 'A'; c <= 'Z'; ++c) t.base[c] = t.base[c + 32] = static_cast<char>(c);
  const char* hi = "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYTS";  // 0xC0..0xDF
  for (int i = 0; i < 32; ++i) {
    if (hi[i] == '*') continue;
    t.base[0xC0 + i] = hi[i];
    if (i != 0x1F) t.base[0xE0 + i] = hi[i];
  }
  t.base[0xC6] = t.base[0xE6] = 'A';
  t.base2[0xC6] = t.base2[0xE6] = 'E';
  t.base2[0xDF] = 'S';
  t.base[0xFF] = 'Y';
  t.base[0x8A] = t.base[0x9A] = 'S';
  t.base[0x8C] = t.base[0x9C] = 'O';
  t.base2[0x8C] = t.base2[0x9C] = 'E';
  t.base[0x8E] = t.base[0x9E] = 'Z';
  t.base[0x9F] = 'Y';
  t.base[0x83] = 'F';
  t.base[0xAA] = 'A';
  t.base[0xBA] = 'O';
  t.base[0xB5] = 'M';
  return t;
}

constexpr CaseTables kTables = MakeTables();

inline unsigned char U8(char c) { return static_cast<unsigned char>(c); }

// Collation weight: symbols < digits < letters; within letters by base letter.
struct PrimaryIter {
  std::string_view s;
  size_t i = 0;
  int pending = -1;
  int Next() {
    if (pending >= 0) {
      int p = pending;
      pending = -1;
      return p;
    }
    if (i >= s.size()) return -1;
    unsigned char c = U8(s[i++]);
    if (kTables.base[c]) {
      if (kTables.base2[c]) pending = 0x300 + kTables.base2[c];
      return 0x300 + kTables.base[c];
    }
    if (c >= '0' && c <= '9') return 0x200 + c;
    return 0x100 + c;
  }
};

int Sign(int v) { return (v > 0) - (v < 0); }


// ---------------------------------------------------------------------------
// Decimal digits of a double: value = 0.digits x 10^exp, at most 15
// significant digits, no trailing zeros; zero has empty digits.
struct Dec {
  bool neg = false;
  std::string digits;
  int exp = 0;
};

Dec ToDec(double v, int precision = 15) {
  Dec d;
  d.neg = std::signbit(v) && v != 0;
  if (v == 0) return d;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                         precision - 1);
  std::string_view sv(buf, r.ptr - buf);
  size_t e = sv.find('e');
  for (size_t k = 0; k < e; ++k)
    if (sv[k] != '.') d.digits += sv[k];
  int ex = 0;
  std::from_chars(sv.data() + e + (sv[e + 1] == '+' ? 2 : 1), sv.data() + sv.size(), ex);
  d.exp = ex + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Rounds half away from zero to `frac` digits after the point.
void RoundDec(Dec& d, int frac) {
  int keep = d.exp + frac;
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    int k = keep - 1;
    while (k >= 0 && d.digits[k] == '9') d.digits[k--] = '0';
    if (k >= 0) {
      ++d.digits[k];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exp;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exp = 0;
}

char DigitAt(const Dec& d, int pos) {  // pos 0 = first digit after the point x 10^exp
  return (pos >= 0 && pos < static_cast<int>(d.digits.size())) ? d.digits[pos] : '0';
}

// Integer part (at least `minInt` digits, grouped when asked) and `frac`
// fraction digits of an already rounded Dec, without sign.
std::string FixedBody(const Dec& d, int frac, int minInt, bool group, int minFrac = -1) {
  std::string ip;
  for (int k = 0; k < d.exp; ++k) ip += DigitAt(d, k);
  while (static_cast<int>(ip.size()) < minInt) ip.insert(ip.begin(), '0');
  if (group && ip.size() > 3) {
    std::string g;
    int n = static_cast<int>(ip.size());
    for (int k = 0; k < n; ++k) {
      if (k > 0 && (n - k) % 3 == 0) g += ThousandSeparator;
      g += ip[k];
    }
    ip = g;
  }
  std::string fp;
  for (int k = 0; k < frac; ++k) fp += DigitAt(d, d.exp + k);
  if (minFrac >= 0)
    while (static_cast<int>(fp.size()) > minFrac && fp.back() == '0') fp.pop_back();
  if (!fp.empty()) ip += DecimalSeparator + fp;
  return ip;
}

std::string FixedText(double v, int frac, bool group) {
  Dec d = ToDec(v);
  RoundDec(d, frac);
  std::string body = FixedBody(d, frac, 1, group);
  return (d.neg && !d.digits.empty()) ? "-" + body : body;
}

// Scientific "d,dddE+ddd": `precision` significant digits, exponent padded.
std::string ScientificText(double v, int precision, int expDigits, bool plus) {
  Dec d = ToDec(v, precision);
  std::string m(1, DigitAt(d, 0));
  std::string rest;
  for (int k = 1; k < precision; ++k) rest += DigitAt(d, k);
  if (!rest.empty()) m += DecimalSeparator + rest;
  int e = d.digits.empty() ? 0 : d.exp - 1;
  std::string es = std::to_string(e < 0 ? -e : e);
  while (static_cast<int>(es.size()) < expDigits) es.insert(es.begin(), '0');
  std::string out = (d.neg ? "-" : "") + m + "E" + (e < 0 ? "-" : (plus ? "+" : "")) + es;
  return out;
}

std::string GeneralText(double v, int precision) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  Dec d = ToDec(v, precision);
  if (d.digits.empty()) return "0";
  std::string out = d.neg ? "-" : "";
  if (d.exp > precision || d.exp < -3) {
    out += d.digits[0];
    if (d.digits.size() > 1) out += DecimalSeparator + d.digits.substr(1);
    out += "E" + std::to_string(d.exp - 1);
    return out;
  }
  int frac = std::max(0, static_cast<int>(d.digits.size()) - d.exp);
  return out + FixedBody(d, frac, 1, false);
}

bool ParseInt64(std::string_view s, int64_t& out, int64_t lo, int64_t hi) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  uint64_t v = 0;
  auto r = std::from_chars(s.data() + i, s.data() + s.size(), v, base);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  if (base == 16) {
    // Hex spells a bit pattern: "$FFFFFFFF" is -1 for a 32-bit result.
    if (hi <= INT32_MAX) {
      if (v > UINT32_MAX) return false;
      int64_t sv = static_cast<int32_t>(static_cast<uint32_t>(v));
      out = neg ? -sv : sv;
      return out >= lo && out <= hi;
    }
    int64_t sv = static_cast<int64_t>(v);
    out = neg ? -sv : sv;
    return true;
  }
  if (neg) {
    if (v > static_cast<uint64_t>(-(lo + 1)) + 1) return false;
    out = static_cast<int64_t>(0 - v);
  } else {
    if (v > static_cast<uint64_t>(hi)) return false;
    out = static_cast<int64_t>(v);
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
bool IsCharAlpha(char c) { return kTables.cls[U8(c)] & kAlpha; }
bool IsCharAlphaNumeric(char c) { return IsCharAlpha(c) || IsDigit(c); }
bool IsCharUpper(char c) { return kTables.cls[U8(c)] & kUpper; }
bool IsCharLower(char c) { return kTables.cls[U8(c)] & kLower; }
char AnsiUpperChar(char c) { return kTables.upper[U8(c)]; }
char AnsiLowerChar(char c) { return kTables.lower[U8(c)]; }

AnsiString Copy(std::string_view s, int index, int count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > static_cast<int>(s.size())) return {};
  return AnsiString(s.substr(index - 1, count));
}

int Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  size_t p = s.find(sub);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

void Delete(AnsiString& s, int index, int count) {
  if (index < 1 || index > static_cast<int>(s.size()) || count <= 0) return;
  s.erase(index - 1, count);
}

void Insert(std::string_view sub, AnsiString& s, int index) {
  if (index < 1) index = 1;
  if (index > static_cast<int>(s.size()) + 1) index = static_cast<int>(s.size()) + 1;
  s.insert(index - 1, sub);
}

AnsiString TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && U8(s[i]) <= ' ') ++i;
  return AnsiString(s.substr(i));
}

AnsiString TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && U8(s[n - 1]) <= ' ') --n;
  return AnsiString(s.substr(0, n));
}

AnsiString Trim(std::string_view s) {
  size_t i = 0, n = s.size();
  while (i < n && U8(s[i]) <= ' ') ++i;
  while (n > i && U8(s[n - 1]) <= ' ') --n;
  return AnsiString(s.substr(i, n - i));
}

AnsiString StringOfChar(char c, int count) { return count > 0 ? AnsiString(count, c) : AnsiString(); }

AnsiString UpperCase(std::string_view s) {
  AnsiString r(s);
  for (char& c : r) c = UpCase(c);
  return r;
}
AnsiString LowerCase(std::string_view s) {
  AnsiString r(s);
  for (char& c : r) c = LoCase(c);
  return r;
}
AnsiString AnsiUpperCase(std::string_view s) {
  AnsiString r(s);
  for (char& c : r) c = AnsiUpperChar(c);
  return r;
}
AnsiString AnsiLowerCase(std::string_view s) {
  AnsiString r(s);
  for (char& c : r) c = AnsiLowerChar(c);
  return r;
}

int CompareStr(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return U8(a[i]) - U8(b[i]);
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = U8(UpCase(a[i])), y = U8(UpCase(b[i]));
    if (x != y) return x - y;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  PrimaryIter x{a}, y{b};
  for (;;) {
    int p = x.Next(), q = y.Next();
    if (p != q) return p < q ? -1 : 1;
    if (p < 0) break;
  }
  // Same letters: the plain one before the accented one.
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int u = U8(AnsiUpperChar(a[i])), v = U8(AnsiUpperChar(b[i]));
    if (u != v) return u < v ? -1 : 1;
  }
  return Sign(static_cast<int>(a.size()) - static_cast<int>(b.size()));
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
  int r = AnsiCompareText(a, b);
  if (r != 0) return r;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) return IsCharLower(a[i]) ? -1 : 1;
  return 0;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AnsiUpperChar(a[i]) != AnsiUpperChar(b[i])) return false;
  return true;
}

// ---------------------------------------------------------------------------
AnsiString IntToStr(int64_t v) { return std::to_string(v); }

AnsiString IntToHex(int64_t v, int digits) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, static_cast<uint64_t>(v), 16);
  AnsiString s(buf, r.ptr - buf);
  for (char& c : s) c = UpCase(c);
  while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), '0');
  return s;
}

bool TryStrToInt(std::string_view s, int& out) {
  int64_t v = 0;
  if (!ParseInt64(s, v, INT32_MIN, INT32_MAX)) return false;
  out = static_cast<int>(v);
  return true;
}
int StrToInt(std::string_view s) {
  int v = 0;
  if (!TryStrToInt(s, v)) RaiseConvertError(s, TConvertKind::Integer);
  return v;
}
int StrToIntDef(std::string_view s, int def) {
  int v = 0;
  return TryStrToInt(s, v) ? v : def;
}
bool TryStrToInt64(std::string_view s, int64_t& out) {
  return ParseInt64(s, out, INT64_MIN, INT64_MAX);
}
int64_t StrToInt64(std::string_view s) {
  int64_t v = 0;
  if (!TryStrToInt64(s, v)) RaiseConvertError(s, TConvertKind::Integer);
  return v;
}
int64_t StrToInt64Def(std::string_view s, int64_t def) {
  int64_t v = 0;
  return TryStrToInt64(s, v) ? v : def;
}

// ---------------------------------------------------------------------------
AnsiString FloatToStr(double v) { return GeneralText(v, 15); }

namespace {
// "1.234,56" and "1.234.567": thousands separators between groups of three
// digits, taken as such only where that is unambiguous (a decimal separator
// follows, or there are two groups or more); "1.234" stays a decimal point.
std::string WithoutThousands(std::string_view t) {
  if (ThousandSeparator == DecimalSeparator) return std::string(t);
  size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
  size_t lead = 0;
  while (i + lead < t.size() && IsDigit(t[i + lead])) ++lead;
  if (lead == 0 || lead > 3) return std::string(t);
  size_t j = i + lead;
  int groups = 0;
  while (j + 3 < t.size() && t[j] == ThousandSeparator && IsDigit(t[j + 1]) && IsDigit(t[j + 2]) &&
         IsDigit(t[j + 3]) && (j + 4 == t.size() || !IsDigit(t[j + 4]))) {
    j += 4;
    ++groups;
  }
  bool decimalFollows = j < t.size() && t[j] == DecimalSeparator;
  bool ends = j == t.size() || t[j] == 'e' || t[j] == 'E';
  if (groups == 0 || !(decimalFollows || (groups >= 2 && ends))) return std::string(t);
  std::string r(t.substr(0, j));
  r.erase(std::remove(r.begin(), r.end(), ThousandSeparator), r.end());
  r.append(t.substr(j));
  return r;
}
}  // namespace

bool TryStrToFloat(std::string_view s, double& out) {
  std::string_view trimmed = s;
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  const std::string grouped = WithoutThousands(trimmed);
  std::string_view t = grouped;
  std::string buf;
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    if (t[i] == '-') buf += '-';
    ++i;
  }
  int digits = 0;
  while (i < t.size() && IsDigit(t[i])) buf += t[i++], ++digits;
  if (i < t.size() && (t[i] == DecimalSeparator || t[i] == '.' || t[i] == ',')) {
    buf += '.';
    ++i;
    while (i < t.size() && IsDigit(t[i])) buf += t[i++], ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    buf += 'e';
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) buf += t[i++];
    int ed = 0;
    while (i < t.size() && IsDigit(t[i])) buf += t[i++], ++ed;
    if (ed == 0) return false;
  }
  if (i != t.size()) return false;
  double v = 0;
  auto r = std::from_chars(buf.data(), buf.data() + buf.size(), v);
  if (r.ec != std::errc() || r.ptr != buf.data() + buf.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

double StrToFloat(std::string_view s) {
  double v = 0;
  if (!TryStrToFloat(s, v)) RaiseConvertError(s, TConvertKind::Float);
  return v;
}

double StrToFloatDef(std::string_view s, double def) {
  double v = 0;
  return TryStrToFloat(s, v) ? v : def;
}

AnsiString FloatToStrFixed(double v, int decimals) { return FixedText(v, std::max(0, decimals), false); }

AnsiString FormatFloat(std::string_view format, double v) {
  if (format.empty() || !std::isfinite(v)) return FloatToStr(v);
  // Split into sections outside quotes.
  std::string_view sec[3];
  int nsec = 0;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i <= format.size(); ++i) {
    char c = i < format.size() ? format[i] : ';';
    if (quote) {
      if (c == quote) quote = 0;
      if (i < format.size()) continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';' || i == format.size()) {
      if (nsec < 3) sec[nsec++] = format.substr(start, i - start);
      start = i + 1;
    }
  }
  std::string_view f = sec[0];
  bool useMinus = true;
  if (v < 0 && nsec >= 2 && !sec[1].empty()) {
    f = sec[1];
    useMinus = false;
  } else if (v == 0 && nsec >= 3 && !sec[2].empty()) {
    f = sec[2];
  }

  // Scan the picture.
  int intZeros = 0, fracZeros = 0, fracPlaces = 0, expDigits = 0;
  bool point = false, group = false, sci = false, expPlus = false, seenDigit = false;
  size_t firstPh = std::string_view::npos, lastPh = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (c == '"' || c == '\'') {
      size_t e = f.find(c, i + 1);
      i = e == std::string_view::npos ? f.size() : e;
      continue;
    }
    if (sci) continue;
    if (c == '0' || c == '#') {
      if (firstPh == std::string_view::npos) firstPh = i;
      lastPh = i;
      seenDigit = true;
      if (point) {
        ++fracPlaces;
        if (c == '0') fracZeros = fracPlaces;
      } else if (c == '0' || intZeros > 0) {
        if (c == '0') ++intZeros;
      }
    } else if (c == '.' && !point) {
      point = true;
      if (firstPh == std::string_view::npos) firstPh = i;
      lastPh = i;
    } else if (c == ',' && seenDigit && !point) {
      group = true;
    } else if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-')) {
      sci = true;
      expPlus = f[i + 1] == '+';
      size_t k = i + 2;
      while (k < f.size() && f[k] == '0') ++expDigits, ++k;
      lastPh = k - 1;
      i = k - 1;
    }
  }
  auto literal = [](std::string_view part) {
    std::string out;
    for (size_t i = 0; i < part.size(); ++i) {
      char c = part[i];
      if (c == '"' || c == '\'') {
        size_t e = part.find(c, i + 1);
        if (e == std::string_view::npos) e = part.size();
        out += part.substr(i + 1, e - i - 1);
        i = e;
      } else if (c != ',' && c != '#' && c != '0' && c != '.') {
        out += c;
      }
    }
    return out;
  };
  if (firstPh == std::string_view::npos) return literal(f);

  Dec d = ToDec(v);
  std::string body;
  if (sci) {
    int intPlaces = 0;
    for (size_t i = firstPh; i < f.size() && f[i] != '.' && f[i] != 'E' && f[i] != 'e'; ++i)
      if (f[i] == '0' || f[i] == '#') ++intPlaces;
    if (intPlaces == 0) intPlaces = 1;
    int e = 0;
    if (!d.digits.empty()) {
      e = d.exp - intPlaces;
      d.exp = intPlaces;
      RoundDec(d, fracPlaces);
      if (d.exp > intPlaces) {
        d.exp = intPlaces;
        ++e;
      }
    }
    body = FixedBody(d, fracPlaces, std::max(intZeros, 1), group, fracZeros);
    std::string es = std::to_string(e < 0 ? -e : e);
    while (static_cast<int>(es.size()) < expDigits) es.insert(es.begin(), '0');
    body += "E" + std::string(e < 0 ? "-" : (expPlus ? "+" : "")) + es;
  } else {
    RoundDec(d, fracPlaces);
    body = FixedBody(d, fracPlaces, intZeros, group, fracZeros);
  }
  std::string out = literal(f.substr(0, firstPh));
  if (useMinus && v < 0 && !d.digits.empty()) out += '-';
  out += body;
  out += literal(f.substr(lastPh + 1));
  return out;
}

// ---------------------------------------------------------------------------
AnsiString FormatV(std::string_view fmt, const TVarRec* args, int count) {
  auto bad = [&]() -> void {
    throw EConvertError("Das Format \"" + AnsiString(fmt) +
                        CP1252("\" ist ungültig oder passt nicht zu seinen Werten.").str());
  };
  AnsiString out;
  int next = 0;
  size_t i = 0;
  while (i < fmt.size()) {
    char c = fmt[i++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i >= fmt.size()) bad();
    if (fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    auto number = [&](int& dst) -> bool {
      if (i < fmt.size() && fmt[i] == '*') {
        ++i;
        if (next >= count || args[next].kind != TVarRec::kInt) bad();
        dst = static_cast<int>(args[next++].i);
        return true;
      }
      if (i >= fmt.size() || !IsDigit(fmt[i])) return false;
      dst = 0;
      while (i < fmt.size() && IsDigit(fmt[i])) {
        dst = dst * 10 + (fmt[i++] - '0');
        if (dst > 100000) bad();
      }
      return true;
    };
    int width = -1, prec = -1;
    bool left = false;
    // An index "n:" chooses the argument; it looks like a width at first.
    size_t k = i;
    int idx = 0;
    while (k < fmt.size() && IsDigit(fmt[k]) && idx < 100000) idx = idx * 10 + (fmt[k++] - '0');
    if (k > i && k < fmt.size() && fmt[k] == ':') {
      next = idx;
      i = k + 1;
    }
    if (i < fmt.size() && fmt[i] == '-') {
      left = true;
      ++i;
    }
    number(width);
    if (i < fmt.size() && fmt[i] == '.') {
      ++i;
      if (!number(prec)) prec = 0;
    }
    if (i >= fmt.size()) bad();
    char type = static_cast<char>(LoCase(fmt[i++]));
    if (next < 0 || next >= count) bad();
    const TVarRec& a = args[next++];
    std::string s;
    switch (type) {
      case 'd':
      case 'u': {
        if (a.kind != TVarRec::kInt) bad();
        int64_t v = a.i;
        if (type == 'u' && v < 0) v = static_cast<int64_t>(static_cast<uint32_t>(v));
        std::string digits = std::to_string(v < 0 ? -static_cast<uint64_t>(v) : static_cast<uint64_t>(v));
        while (static_cast<int>(digits.size()) < prec) digits.insert(digits.begin(), '0');
        s = (v < 0 ? "-" : "") + digits;
        break;
      }
      case 'x':
        if (a.kind != TVarRec::kInt) bad();
        s = IntToHex(a.i < 0 && a.i >= INT32_MIN ? static_cast<uint32_t>(a.i) : a.i, prec);
        break;
      case 'e':
      case 'f':
      case 'g':
      case 'n': {
        double v = 0;
        if (a.kind == TVarRec::kFloat) v = a.d;
        else bad();
        if (!std::isfinite(v)) {
          s = GeneralText(v, 15);
        } else if (type == 'f') {
          s = FixedText(v, prec < 0 ? 2 : std::min(prec, 18), false);
        } else if (type == 'n') {
          s = FixedText(v, prec < 0 ? 2 : std::min(prec, 18), true);
        } else if (type == 'e') {
          s = ScientificText(v, prec < 0 ? 15 : std::clamp(prec, 1, 17), 3, true);
        } else {
          s = GeneralText(v, prec <= 0 ? 15 : std::min(prec, 17));
        }
        break;
      }
      case 's':
        if (a.kind == TVarRec::kString) s = a.s;
        else if (a.kind == TVarRec::kChar) s = std::string(1, static_cast<char>(a.i));
        else bad();
        if (prec >= 0 && static_cast<int>(s.size()) > prec) s.resize(prec);
        break;
      case 'c':
        if (a.kind != TVarRec::kChar && a.kind != TVarRec::kInt) bad();
        s = std::string(1, static_cast<char>(a.i));
        break;
      case 'p':
        if (a.kind != TVarRec::kPointer) bad();
        s = IntToHex(static_cast<int64_t>(reinterpret_cast<uintptr_t>(a.p)), 8);
        break;
      default:
        bad();
    }
    if (width > static_cast<int>(s.size())) {
      std::string pad(width - s.size(), ' ');
      s = left ? s + pad : pad + s;
    }
    out += s;
  }
  return out;
}

// ---------------------------------------------------------------------------
int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  int64_t p = static_cast<int64_t>(a) * b;
  int64_t q = p / c, r = p % c;
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -static_cast<int64_t>(c) : c))
    q += ((p < 0) != (c < 0)) ? -1 : 1;
  if (q < INT32_MIN || q > INT32_MAX) return -1;
  return static_cast<int>(q);
}

namespace {
void CheckInt64Range(double v) {
  // 2^63 is exactly representable; everything below it fits.
  if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) RaiseRangeError();
}
}  // namespace

int64_t Round(double v) {
  double r = std::nearbyint(v);  // the default rounding mode: half to even
  CheckInt64Range(r);
  return static_cast<int64_t>(r);
}

int64_t Trunc(double v) {
  double t = std::trunc(v);
  CheckInt64Range(t);
  return static_cast<int64_t>(t);
}

double Int(double v) { return std::trunc(v); }
double Frac(double v) { return v - std::trunc(v); }

void RaiseRangeError() { throw ERangeError(CP1252("Ein Wert liegt außerhalb seines zulässigen Bereichs.").str()); }
void RaiseIntOverflow() { throw EIntOverflow(CP1252("Eine Zahl ist für ihre Rechnung zu groß.").str()); }

void RaiseConvertError(std::string_view text, TConvertKind kind) {
  std::string what;
  switch (kind) {
    case TConvertKind::Integer: what = CP1252("keine gültige ganze Zahl"); break;
    case TConvertKind::Float: what = CP1252("keine gültige Zahl"); break;
    case TConvertKind::Boolean: what = CP1252("kein gültiger Wahrheitswert"); break;
    case TConvertKind::Date: what = CP1252("kein gültiges Datum"); break;
    case TConvertKind::Time: what = CP1252("keine gültige Uhrzeit"); break;
    case TConvertKind::DateTime: what = CP1252("kein gültiges Datum mit Uhrzeit"); break;
  }
  throw EConvertError("\"" + AnsiString(text) + "\" ist " + what + ".");
}

int CheckedAdd(int a, int b) {
  int r;
  if (__builtin_add_overflow(a, b, &r)) RaiseIntOverflow();
  return r;
}
int CheckedSub(int a, int b) {
  int r;
  if (__builtin_sub_overflow(a, b, &r)) RaiseIntOverflow();
  return r;
}
int CheckedMul(int a, int b) {
  int r;
  if (__builtin_mul_overflow(a, b, &r)) RaiseIntOverflow();
  return r;
}
int CheckedNeg(int a) { return CheckedSub(0, a); }
int64_t CheckedAdd64(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_add_overflow(a, b, &r)) RaiseIntOverflow();
  return r;
}
int64_t CheckedSub64(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_sub_overflow(a, b, &r)) RaiseIntOverflow();
  return r;
}
int64_t CheckedMul64(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_mul_overflow(a, b, &r)) RaiseIntOverflow();
  return r;
}
int64_t RangeCheck(int64_t v, int64_t lo, int64_t hi) {
  if (v < lo || v > hi) RaiseRangeError();
  return v;
}

AnsiString SysErrorMessage(int err) {
  switch (err) {
    case EACCES:
    case EPERM: return CP1252("Der Zugriff ist nicht erlaubt (fehlende Zugriffsrechte).").str();
    case ENOENT: return "Die Datei oder ihr Verzeichnis gibt es nicht.";
    case ENOTDIR: return "Ein Teil des Pfades ist kein Verzeichnis.";
    case EISDIR: return "Es ist ein Verzeichnis, keine Datei.";
    case ENXIO:
    case ENODEV:
      return CP1252("Es ist keine gewöhnliche Datei, sondern eine Pipe, ein Gerät oder ein Socket.").str();
    case ELOOP: return CP1252("Eine Verknüpfung im Pfad verweist im Kreis auf sich selbst.").str();
    case EROFS: return CP1252("Der Datenträger ist schreibgeschützt.").str();
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return CP1252("Auf dem Datenträger ist kein Platz frei.").str();
    case EIO: return CP1252("Der Datenträger meldet einen Fehler.").str();
    case ENAMETOOLONG: return "Der Name oder Pfad ist zu lang.";
    case EBUSY:
    case ETXTBSY: return "Die Datei wird gerade vom System benutzt.";
    case EMFILE:
    case ENFILE: return CP1252("Es sind zu viele Dateien geöffnet. Schließen Sie andere Programme.").str();
    case ENOMEM: return CP1252("Der Arbeitsspeicher reicht nicht aus. Schließen Sie andere Programme.").str();
    default: return "Fehler " + IntToStr(err) + " des Systems.";
  }
}

// Windows-1252 <-> Unicode. Text inside the system is Windows-1252, one byte
// per character; it becomes UTF-8 only at the toolkit boundary.
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/exceptions.h"

// Unicode code point of a Windows-1252 byte. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of
// the same value, as Windows does, so every byte round-trips.
char32_t Cp1252ToUnicode(unsigned char c);

// Windows-1252 byte of a code point; false when the code page has none.
bool UnicodeToCp1252(char32_t u, unsigned char& out);

// Whole strings. Utf8ToCp1252 reports the first character that has no
// Windows-1252 byte (or malformed UTF-8) by returning false; `out` then holds
// the text converted up to that character, and `badPos` its byte offset.
std::string Cp1252ToUtf8(std::string_view s);
// One code point in UTF-8, appended to `out`.
void AppendUtf8(char32_t u, std::string& out);
bool Utf8ToCp1252(std::string_view utf8, AnsiString& out, size_t* badPos = nullptr);

// Converting form that raises EConvertError naming the offending position.
AnsiString Utf8ToCp1252OrThrow(std::string_view utf8);

// A character the code page lacks in its Windows-1252 form, appended to
// `out`: letters of other Latin alphabets as their base letter (Ł → L,
// ř → r; Hungarian double accents as the umlaut, as German writing does)
// and a few typographic signs as their plain forms. False when it has none.
bool FoldToCp1252(char32_t u, AnsiString& out);
// Utf8ToCp1252 with that folding: false only at a character that has no
// form at all (or at malformed UTF-8).
bool Utf8ToCp1252Folded(std::string_view utf8, AnsiString& out, size_t* badPos = nullptr);
// The whole text with that folding: each character that has no form at all
// becomes `standIn` (is left out when 0, with no run of blanks left where it
// stood, nor a blank at the end) and is added to `leftOut` when given
// (malformed bytes as U+FFFD).
AnsiString Utf8ToCp1252Lossy(std::string_view utf8, char standIn, std::u32string* leftOut = nullptr);
// One character of a text taken in from outside (pasted, imported, an RTF
// \u character) as the system stores it, appended to `out`: its
// Windows-1252 byte or its folded form; one with neither is left out and
// added to `leftOut`, for the notice that names them.
void FoldOrLeaveOut(char32_t u, AnsiString& out, std::u32string& leftOut);
// Whether the bytes are UTF-8 (no overlong forms, surrogates or code
// points beyond U+10FFFF) with at least one character beyond ASCII: text in
// Windows-1252 with a letter beyond ASCII next to never is, so a file that
// is may be taken for UTF-8.
bool IsUtf8BeyondAscii(std::string_view bytes);
// The length of the well-formed UTF-8 character at `i` (same rules), its
// code point in `code`; 0 when the bytes there are none.
size_t Utf8SequenceLength(std::string_view s, size_t i, char32_t* code = nullptr);

// Compile-time conversion for source literals written in UTF-8:
//   constexpr auto s = CP1252("Persönliches");  s.str() == "Pers\xF6nliches"
namespace cp1252_detail {
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr bool Encode(char32_t u, unsigned char& out) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    out = static_cast<unsigned char>(u);
    return true;
  }
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u) {
      out = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  return false;
}

template <size_t N>
struct Literal {
  char data[N] = {};
  size_t len = 0;
  consteval Literal(const char (&utf8)[N]) {
    size_t i = 0;
    while (i + 1 < N && utf8[i]) {
      unsigned char c = static_cast<unsigned char>(utf8[i]);
      char32_t u = 0;
      int extra = 0;
      if (c < 0x80) { u = c; }
      else if ((c & 0xE0) == 0xC0) { u = c & 0x1F; extra = 1; }
      else if ((c & 0xF0) == 0xE0) { u = c & 0x0F; extra = 2; }
      else if ((c & 0xF8) == 0xF0) { u = c & 0x07; extra = 3; }
      else throw "malformed UTF-8 in a source literal";
      ++i;
      for (int k = 0; k < extra; ++k, ++i) {
        if (i + 1 >= N) throw "truncated UTF-8 in a source literal";
        u = (u << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
      }
      unsigned char b = 0;
      if (!Encode(u, b)) throw "character outside Windows-1252 in a source literal";
      data[len++] = static_cast<char>(b);
    }
  }
  std::string str() const { return std::string(data, len); }
  operator std::string() const { return str(); }
  constexpr std::string_view view() const { return std::string_view(data, len); }
};
}  // namespace cp1252_detail

template <cp1252_detail::Literal L>
consteval auto operator""_cp() { return L; }

#define CP1252(s) (cp1252_detail::Literal(s))

#include "platform/rtl/cp1252.h"

#include <algorithm>
#include <cstdio>

char32_t Cp1252ToUnicode(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return cp1252_detail::kHigh[c - 0x80];
  return c;
}

bool UnicodeToCp1252(char32_t u, unsigned char& out) { return cp1252_detail::Encode(u, out); }

void AppendUtf8(char32_t u, std::string& out) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

std::string Cp1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (unsigned char c : s) AppendUtf8(Cp1252ToUnicode(c), out);
  return out;
}

namespace {

// UTF-8 to Windows-1252; with `fold` a character the code page lacks may
// stand as its folded form.
bool Convert(std::string_view s, AnsiString& out, size_t* badPos, bool fold) {
  out.clear();
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    size_t start = i;
    unsigned char c = static_cast<unsigned char>(s[i++]);
    char32_t u;
    int extra;
    if (c < 0x80) { u = c; extra = 0; }
    else if ((c & 0xE0) == 0xC0) { u = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { u = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { u = c & 0x07; extra = 3; }
    else { if (badPos) *badPos = start; return false; }
    for (int k = 0; k < extra; ++k) {
      if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
        if (badPos) *badPos = start;
        return false;
      }
      u = (u << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    unsigned char b;
    if (UnicodeToCp1252(u, b)) {
      out += static_cast<char>(b);
    } else if (!fold || !FoldToCp1252(u, out)) {
      if (badPos) *badPos = start;
      return false;
    }
  }
  return true;
}

}  // namespace

bool Utf8ToCp1252(std::string_view s, AnsiString& out, size_t* badPos) { return Convert(s, out, badPos, false); }

bool Utf8ToCp1252Folded(std::string_view s, AnsiString& out, size_t* badPos) {
  return Convert(s, out, badPos, true);
}

AnsiString Utf8ToCp1252Lossy(std::string_view u, char standIn, std::u32string* leftOut) {
  AnsiString out;
  while (!u.empty()) {
    AnsiString part;
    size_t bad = 0;
    if (Utf8ToCp1252Folded(u, part, &bad)) return out + part;
    out += part;
    if (standIn) out += standIn;
    const unsigned char lead = static_cast<unsigned char>(u[bad]);
    size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t code = lead & (0x7F >> n);
    bool whole = n > 1 && lead < 0xF8 && bad + n <= u.size();
    for (size_t k = 1; whole && k < n; ++k) {
      const unsigned char b = static_cast<unsigned char>(u[bad + k]);
      whole = (b & 0xC0) == 0x80;
      code = (code << 6) | (b & 0x3F);
    }
    if (!whole) {
      code = 0xFFFD;
      n = 1;
    }
    if (leftOut) *leftOut += code;
    u.remove_prefix(std::min(u.size(), bad + n));
    // Left out between blanks, the character leaves one blank, not a run.
    if (!standIn && !out.empty() && out.back() == ' ') u.remove_prefix(std::min(u.size(), u.find_first_not_of(' ')));
    // Left out at the end, it takes the blanks before it along: the text
    // does not end in a blank that only stood before it.
    if (!standIn && u.empty()) out.erase(out.find_last_not_of(' ') + 1);
  }
  return out;
}

void FoldOrLeaveOut(char32_t u, AnsiString& out, std::u32string& leftOut) {
  unsigned char b = 0;
  if (UnicodeToCp1252(u, b))
    out += static_cast<char>(b);
  else if (!FoldToCp1252(u, out))
    leftOut += u;
}

size_t Utf8SequenceLength(std::string_view s, size_t i, char32_t* code) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    if (code) *code = c;
    return 1;
  }
  const size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  // The second byte's range excludes overlong forms, surrogates and code
  // points beyond U+10FFFF.
  const unsigned char low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
  const unsigned char high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
  char32_t u = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    const unsigned char b = static_cast<unsigned char>(s[i + k]);
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return 0;
    u = (u << 6) | (b & 0x3F);
  }
  if (code) *code = u;
  return n;
}

bool IsUtf8BeyondAscii(std::string_view s) {
  bool beyond = false;
  for (size_t i = 0; i < s.size();) {
    const size_t n = Utf8SequenceLength(s, i);
    if (n == 0) return false;
    beyond = beyond || n > 1;
    i += n;
  }
  return beyond;
}

bool FoldToCp1252(char32_t u, AnsiString& out) {
  static const char kExtendedA[] =
      "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlL"
      "lLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
  switch (u) {
    case 0x150: out += '\xD6'; return true;  // Ő
    case 0x151: out += '\xF6'; return true;  // ő
    case 0x170: out += '\xDC'; return true;  // Ű
    case 0x171: out += '\xFC'; return true;  // ű
    case 0x218: out += 'S'; return true;
    case 0x219: out += 's'; return true;
    case 0x21A: out += 'T'; return true;
    case 0x21B: out += 't'; return true;
    case 0x2010: case 0x2011: case 0x2212: out += '-'; return true;
    case 0x2009: case 0x202F: out += ' '; return true;
    case 0x2032: out += '\''; return true;
    case 0x2033: out += '"'; return true;
    default: break;
  }
  if (u >= 0x100 && u <= 0x17F) {
    out += kExtendedA[u - 0x100];
    return true;
  }
  if (u >= 0x1EA0 && u <= 0x1EF9) {  // Vietnamese vowels with two marks
    const bool upper = u % 2 == 0;
    char base = u <= 0x1EB7 ? 'a' : u <= 0x1EC7 ? 'e' : u <= 0x1ECB ? 'i' : u <= 0x1EE3 ? 'o' : u <= 0x1EF1 ? 'u' : 'y';
    out += upper ? static_cast<char>(base - 32) : base;
    return true;
  }
  return false;
}

AnsiString Utf8ToCp1252OrThrow(std::string_view utf8) {
  AnsiString out;
  size_t bad = 0;
  if (!Utf8ToCp1252(utf8, out, &bad))
    throw EConvertError("Zeichen an Position " + std::to_string(bad + 1) +
                        " ist in Windows-1252 nicht darstellbar");
  return out;
}

// Small text routines of the data-aware controls and two stacks for the
// filter compiler. The controls' string lists hold fields separated by one
// character (tab in column lists, ";" in field lists); these routines take
// them apart. Texts are Windows-1252; positions count from 1, and every
// routine answers a plain result for any input (no exceptions): a position
// outside the text gives the empty text and leaves the position alone.
#pragma once

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/rtl/classes.h"

// A set of 8-bit characters.
class TwwCharSet {
 public:
  TwwCharSet() = default;
  TwwCharSet(std::initializer_list<char> chars) {
    for (char c : chars) Include(c);
  }
  void Include(char c) { bits_.set(static_cast<unsigned char>(c)); }
  bool Contains(char c) const { return bits_.test(static_cast<unsigned char>(c)); }

 private:
  std::bitset<256> bits_;
};

// Blank and tab.
TwwCharSet wwBlankSet();

// Stacks: push appends, pop removes and answers the last entry; popping an
// empty stack answers the empty text or null.
class TStackStr : public TObject {
  ORV_CLASS(TStackStr, TObject)
  TStackStr() = default;
  void Push(const AnsiString& s) { list_.Add(s); }
  AnsiString Pop();
  int Count() const { return list_.Count(); }

 private:
  TStringList list_;
};

class TStackPtr : public TObject {
  ORV_CLASS(TStackPtr, TObject)
  TStackPtr() = default;
  void Push(void* p) { list_.Add(p); }
  void* Pop();
  int Count() const { return list_.Count(); }

 private:
  TList list_;
};

// The token from `pos` up to the delimiter; `pos` moves behind the delimiter,
// or becomes -1 when no delimiter follows (that last token is still
// answered, and the next call answers the empty text). A delimiter of one
// character is matched as it stands; a longer one is a word: it is found only
// between blanks and without regard to letter case (" AND ").
AnsiString wwStrGetToken(std::string_view text, std::string_view delimiter, int& pos);
// Clears the list and adds the pieces between the delimiters; a trailing
// delimiter adds an empty last piece, an empty text one empty piece.
void wwStrSplitToList(std::string_view text, char delimiter, TStrings* list);
// Without leading and trailing blanks and tabs.
AnsiString wwStrTrimBlanks(std::string_view text);
AnsiString wwStrTrimLeftSet(std::string_view text, const TwwCharSet& set);
AnsiString wwStrTrimRightSet(std::string_view text, const TwwCharSet& set);
AnsiString wwStrReplaceChar(std::string_view text, char oldChar, char newChar);
AnsiString wwStrReplaceCharWithStr(std::string_view text, char oldChar, std::string_view replacement);
// Equal after upper-casing both (Windows-1252 letters included).
bool wwEqualText(std::string_view a, std::string_view b);
int wwStrCountChar(std::string_view text, char c);
// The text after the first occurrence of `c`; empty when it does not occur.
AnsiString wwStrAfterChar(std::string_view text, char c);
inline int wwMax(int a, int b) { return a > b ? a : b; }

// Options of wwGetWord, or'ed.
constexpr uint8_t wwgwSkipLeadingBlanks = 1;
constexpr uint8_t wwgwQuotesAsWords = 2;
constexpr uint8_t wwgwStripQuotes = 4;

// The word at `pos`: up to the first character of `delimiters` or the first
// blank or control character. A delimiter (or blank) at `pos` is a word of its
// own. A word of two or more characters leaves `pos` on the character that
// ended it; a word of one character moves `pos` past that character too.
// With wwgwQuotesAsWords a word that begins with a double quote runs to the
// next double quote inclusive (or to the end); wwgwStripQuotes then drops the
// quotes.
AnsiString wwGetWord(std::string_view text, int& pos, const TwwCharSet& delimiters, uint8_t options);

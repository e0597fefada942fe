// Text routines and stacks of the data-aware controls (see wwstr.h).
#include "dbcontrols/text/wwstr.h"

#include "platform/rtl/sysutils.h"

TwwCharSet wwBlankSet() { return TwwCharSet{' ', '\t'}; }

AnsiString TStackStr::Pop() {
  if (list_.Count() == 0) return {};
  AnsiString s = list_.Get(list_.Count() - 1);
  list_.Delete(list_.Count() - 1);
  return s;
}

void* TStackPtr::Pop() {
  if (list_.Count() == 0) return nullptr;
  void* p = list_.Get(list_.Count() - 1);
  list_.Delete(list_.Count() - 1);
  return p;
}

AnsiString wwStrGetToken(std::string_view text, std::string_view delimiter, int& pos) {
  if (pos < 1 || pos > static_cast<int>(text.size())) return {};
  std::string_view rest = text.substr(static_cast<size_t>(pos - 1));
  size_t found = std::string_view::npos;
  size_t searchedLength = 0;
  if (delimiter.size() == 1) {
    found = rest.find(delimiter[0]);
    searchedLength = 1;
  } else if (!delimiter.empty()) {
    // A word delimiter stands between blanks; upper-casing keeps offsets.
    AnsiString searched = " " + AnsiUpperCase(delimiter) + " ";
    found = AnsiUpperCase(rest).find(searched);
    searchedLength = searched.size();
  }
  if (found == std::string_view::npos) {
    pos = -1;
    return AnsiString(rest);
  }
  pos += static_cast<int>(found + searchedLength);
  return AnsiString(rest.substr(0, found));
}

void wwStrSplitToList(std::string_view text, char delimiter, TStrings* list) {
  list->Clear();
  for (;;) {
    size_t k = text.find(delimiter);
    if (k == std::string_view::npos) {
      list->Add(AnsiString(text));
      return;
    }
    list->Add(AnsiString(text.substr(0, k)));
    text.remove_prefix(k + 1);
  }
}

AnsiString wwStrTrimLeftSet(std::string_view text, const TwwCharSet& set) {
  size_t i = 0;
  while (i < text.size() && set.Contains(text[i])) ++i;
  return AnsiString(text.substr(i));
}

AnsiString wwStrTrimRightSet(std::string_view text, const TwwCharSet& set) {
  size_t n = text.size();
  while (n > 0 && set.Contains(text[n - 1])) --n;
  return AnsiString(text.substr(0, n));
}

AnsiString wwStrTrimBlanks(std::string_view text) {
  TwwCharSet blanks = wwBlankSet();
  return wwStrTrimRightSet(wwStrTrimLeftSet(text, blanks), blanks);
}

AnsiString wwStrReplaceChar(std::string_view text, char oldChar, char newChar) {
  AnsiString s(text);
  for (char& c : s)
    if (c == oldChar) c = newChar;
  return s;
}

AnsiString wwStrReplaceCharWithStr(std::string_view text, char oldChar, std::string_view replacement) {
  AnsiString s;
  s.reserve(text.size());
  for (char c : text) {
    if (c == oldChar) s.append(replacement);
    else s += c;
  }
  return s;
}

bool wwEqualText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AnsiUpperCase(a) == AnsiUpperCase(b);
}

int wwStrCountChar(std::string_view text, char c) {
  int n = 0;
  for (char x : text) n += x == c;
  return n;
}

AnsiString wwStrAfterChar(std::string_view text, char c) {
  size_t k = text.find(c);
  if (k == std::string_view::npos) return {};
  return AnsiString(text.substr(k + 1));
}

AnsiString wwGetWord(std::string_view text, int& pos, const TwwCharSet& delimiters, uint8_t options) {
  const int len = static_cast<int>(text.size());
  if (pos < 1 || pos > len) return {};
  auto at = [&](int p) { return text[static_cast<size_t>(p - 1)]; };
  if (options & wwgwSkipLeadingBlanks) {
    while (pos <= len && (at(pos) == ' ' || at(pos) == '\t')) ++pos;
    if (pos > len) return {};
  }
  if ((options & wwgwQuotesAsWords) && at(pos) == '"') {
    size_t close = text.find('"', static_cast<size_t>(pos));  // after the opening quote
    int end = close == std::string_view::npos ? len : static_cast<int>(close) + 1;  // inclusive
    AnsiString word(text.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(end - pos + 1)));
    pos = end + 1;
    if (options & wwgwStripQuotes) {
      word.erase(0, 1);
      if (!word.empty() && (word.back() == '"' || word.back() == '\'')) word.pop_back();
    }
    return word;
  }
  auto ends = [&](char c) { return delimiters.Contains(c) || static_cast<unsigned char>(c) <= 32; };
  if (ends(at(pos))) {
    // A delimiter where a word should begin is a word of its own.
    AnsiString word(1, at(pos));
    ++pos;
    return word;
  }
  int end = pos;
  while (end <= len && !ends(at(end))) ++end;
  AnsiString word(text.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(end - pos)));
  // A one-character word steps over the character that ended it as well.
  pos = word.size() == 1 ? end + 1 : end;
  return word;
}

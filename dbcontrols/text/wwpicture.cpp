// The picture-mask matcher (see wwpicture.h). One MatchText call keeps its
// mask position I (i_) and text position J (j_), both from 1; every step
// below works on that one pair. A "term" is an exclusive end position in the
// mask. Results 0 and 5 count as complete, 1 and 6 as incomplete.
#include "dbcontrols/text/wwpicture.h"

#include <algorithm>

#include "platform/rtl/sysutils.h"

namespace {

bool IsComplete(TwwPicResult r) { return r == pmComplete || r == pmCompleteOpen; }
bool IsIncomplete(TwwPicResult r) { return r == pmIncomplete || r == pmIncompleteNoFill; }

bool IsLetter(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || u >= 129;
}

// Mask characters at which auto-fill stops: the places where the user must
// type, and the structure of the mask.
bool StopsFill(char c) {
  switch (c) {
    case '\0': case '!': case '#': case '&': case '*': case ',': case '?':
    case '@': case '[': case ']': case '{': case '}': case '~':
      return true;
    default:
      return false;
  }
}

}  // namespace

TwwPictureValidator::TwwPictureValidator(const AnsiString& mask, bool autoFill)
    : options_(wwpoDefault | (autoFill ? wwpoAutoFill : 0)), mask_(mask) {
  AnsiString empty;
  if (MatchText(empty, false) != pmEmpty) status_ = 1;
}

char TwwPictureValidator::M(int i) const {
  return i >= 1 && i <= static_cast<int>(mask_.size()) ? mask_[static_cast<size_t>(i - 1)] : '\0';
}

void TwwPictureValidator::StepText() {
  if (j_ >= 255) RaiseRangeError();
  ++j_;
}

bool TwwPictureValidator::SyntaxOk() const {
  const int n = static_cast<int>(mask_.size());
  if (n == 0 || M(n) == ';') return false;
  if (M(n) == '*' && M(n - 1) != ';') return false;
  int brackets = 0, braces = 0;
  for (int i = 1; i <= n; ++i) {
    switch (M(i)) {
      case ';': ++i; break;
      case '[': ++brackets; break;
      case ']': --brackets; break;
      case '{': ++braces; break;
      case '}': --braces; break;
      default: break;
    }
  }
  return brackets == 0 && braces == 0;
}

bool TwwPictureValidator::CheckInput(AnsiString& text, bool suppressFill) {
  if (mask_.empty()) return true;
  return MatchText(text, (options_ & wwpoAutoFill) && !suppressFill) != pmError;
}

bool TwwPictureValidator::CheckValid(const AnsiString& text) {
  if (mask_.empty()) return true;
  AnsiString copy = text;
  TwwPicResult r = MatchText(copy, false);
  return r == pmComplete || r == pmEmpty;
}

TwwPicResult TwwPictureValidator::MatchText(AnsiString& text, bool autoFill) {
  if (!SyntaxOk()) return pmSyntax;
  if (text.empty()) return pmEmpty;
  const int end = static_cast<int>(mask_.size()) + 1;
  if (end > 255) RaiseRangeError();
  text_ = &text;
  i_ = j_ = 1;
  TwwPicResult r = MatchPicture(end);
  if (r != pmError && r != pmSyntax && j_ <= static_cast<int>(text.size())) r = pmError;  // text left over
  if (r == pmIncomplete && autoFill) {
    bool appended = false;
    while (i_ < end && !StopsFill(M(i_))) {
      if (M(i_) == ';') ++i_;
      text += M(i_++);
      appended = true;
    }
    if (appended) {
      i_ = j_ = 1;
      r = MatchPicture(end);
    }
  }
  text_ = nullptr;
  if (r == pmCompleteOpen) return pmComplete;
  if (r == pmIncompleteNoFill) return pmIncomplete;
  return r;
}

// Tries the alternatives of one level; a complete alternative wins only when
// it got at least as far into the text as an incomplete one before it.
TwwPicResult TwwPictureValidator::MatchPicture(int term) {
  int startI = i_;
  const int startJ = j_;
  bool incompleteSeen = false;
  int incI = 0, incJ = 0;
  for (;;) {
    TwwPicResult r = ScanAlternative(term);
    if (IsComplete(r) && incompleteSeen && j_ < incJ) {
      r = pmIncomplete;
      j_ = incJ;
    }
    if (r != pmError && r != pmIncomplete) return r == pmComplete && incompleteSeen ? pmCompleteOpen : r;
    if (r == pmIncomplete && !incompleteSeen) {
      incompleteSeen = true;
      incI = i_;
      incJ = j_;
    }
    i_ = startI;
    j_ = startJ;
    if (!NextAlternative(term)) {
      if (incompleteSeen) {
        i_ = incI;
        j_ = incJ;
        return pmIncomplete;
      }
      i_ = startI;
      return r;
    }
    startI = i_;
  }
}

bool TwwPictureValidator::NextAlternative(int term) {
  while (i_ < term && M(i_) != ',') i_ = SkipToChar(i_, term);
  if (i_ < term && M(i_) == ',') ++i_;
  return i_ < term;
}

// Steps over one piece: a character, an escaped pair, a bracketed group or a
// repetition with its piece. With braceLevel 1 it runs to just behind the
// brace that closes the group the position is in.
int TwwPictureValidator::SkipToChar(int pos, int term, int braceLevel) const {
  int brackets = 0, braces = braceLevel;
  do {
    if (pos >= term || M(pos) == '\0') break;
    switch (M(pos)) {
      case '[': ++brackets; break;
      case ']': --brackets; break;
      case '{': ++braces; break;
      case '}': --braces; break;
      case ';': ++pos; break;
      case '*':
        ++pos;
        while (IsDigit(M(pos))) ++pos;
        pos = SkipToChar(pos, term);
        continue;
      default: break;
    }
    ++pos;
  } while (brackets > 0 || braces > 0);
  return pos;
}

TwwPicResult TwwPictureValidator::ScanAlternative(int term) {
  TwwPicResult r = pmEmpty;
  AnsiString& text = *text_;
  const int length = static_cast<int>(text.size());
  auto store = [&](char c) {
    text[static_cast<size_t>(j_ - 1)] = c;
    ++i_;
    StepText();
  };
  while (i_ < term && M(i_) != ',') {
    if (j_ > length) return CheckOptionalRest(r, i_, term);
    const char ch = text[static_cast<size_t>(j_ - 1)];
    char m = M(i_);
    switch (m) {
      case '#':
        if (!IsDigit(ch)) return pmError;
        store(ch);
        break;
      case '?':
        if (!IsLetter(ch)) return pmError;
        store(ch);
        break;
      case '&':
        if (!IsLetter(ch)) return pmError;
        store(AnsiUpperChar(ch));
        break;
      case '~':
        if (!IsLetter(ch)) return pmError;
        store(AnsiLowerChar(ch));
        break;
      case '!': store(AnsiUpperChar(ch)); break;
      case '@': store(ch); break;
      case '*':
        r = MatchRepeat(term);
        if (!IsComplete(r)) return r;
        break;
      case '{':
        r = MatchGroup();
        if (!IsComplete(r)) return r;
        break;
      case '[':
        // An optional group that does not fit is skipped.
        r = MatchGroup();
        if (IsIncomplete(r)) return r;
        break;
      default:
        if (m == ';') m = M(++i_);
        if (UpCase(m) != UpCase(ch) && !(ch == ' ' && j_ == length)) return pmError;
        store(m);
        break;
    }
    r = r == pmCompleteOpen ? pmIncompleteNoFill : pmIncomplete;
  }
  return r == pmIncompleteNoFill ? pmCompleteOpen : pmComplete;
}

TwwPicResult TwwPictureValidator::MatchGroup() {
  const int groupEnd = SkipToChar(i_, static_cast<int>(mask_.size()) + 1);
  ++i_;
  TwwPicResult r = MatchPicture(groupEnd - 1);
  if (!IsIncomplete(r)) i_ = groupEnd;
  return r;
}

TwwPicResult TwwPictureValidator::MatchRepeat(int term) {
  ++i_;
  int count = 0;
  while (IsDigit(M(i_))) {
    count = count * 10 + (M(i_++) - '0');
    if (count > 255) RaiseRangeError();
  }
  if (i_ > term) return pmSyntax;
  const int pieceStart = i_;
  const int pieceEnd = SkipToChar(i_, term);
  TwwPicResult r = pmEmpty;
  if (count > 0) {
    for (int k = 0; k < count; ++k) {
      i_ = pieceStart;
      r = MatchPicture(pieceEnd);
      if (!IsComplete(r)) {
        // The text ended: fine for a repeated optional group, else more is needed.
        if (r == pmEmpty) return M(i_) == '[' ? pmComplete : pmIncomplete;
        return r;
      }
    }
    i_ = pieceEnd;
    return r;
  }
  for (;;) {
    i_ = pieceStart;
    const int before = j_;
    r = MatchPicture(pieceEnd);
    if (!IsComplete(r) || j_ == before) break;  // an empty match must not loop
  }
  if (r == pmEmpty || r == pmError) r = pmCompleteOpen;
  i_ = pieceEnd;
  return r;
}

// The text ended at `from`: is the rest of this level optional?
TwwPicResult TwwPictureValidator::CheckOptionalRest(TwwPicResult r, int from, int term) {
  if (!IsIncomplete(r)) return r;
  int p = from;
  while (p < term) {
    const char c = M(p);
    if (c == '*' && !IsDigit(M(p + 1))) {
      p = SkipToChar(p + 1, term);  // a repetition without count may be empty
    } else if (c == '*') {
      if (p + 2 < term && M(p + 2) == '[') p = SkipToChar(p + 2, term);  // n times an optional group
      else break;
    } else if (c == ',') {
      p = SkipToChar(p, term, 1);  // this alternative is finished
    } else if (c == '[') {
      p = SkipToChar(p, term);
    } else if (c == '{') {
      const int end = SkipToChar(p, term);
      if (!HasEmptyAlternative(p, end - 1)) break;
      p = end;
    } else {
      return r;  // a required piece is missing
    }
  }
  return p >= term ? pmCompleteOpen : r;
}

// Whether some alternative of the group between `open` ("{") and `close`
// ("}") consists of optional pieces only (an empty one included).
bool TwwPictureValidator::HasEmptyAlternative(int open, int close) {
  int start = open + 1;
  for (;;) {
    int end = start;
    while (end < close && M(end) != ',') end = SkipToChar(end, close);
    if (end > close) return false;
    if (CheckOptionalRest(pmIncomplete, start, end) == pmCompleteOpen) return true;
    if (end >= close) return false;
    start = end + 1;
  }
}

int TwwPictureValidator::MaxTextLength() const {
  return status_ == 0 ? LongestText(1, static_cast<int>(mask_.size()) + 1) : -1;
}

// The longest of the alternatives in [from, term): each piece adds one
// character, a group its longest alternative, a counted repetition that many
// times its piece.
int TwwPictureValidator::LongestText(int from, int term) const {
  int longest = 0, sum = 0;
  for (int p = from; p < term;) {
    if (M(p) == ',') {
      longest = std::max(longest, sum);
      sum = 0;
      ++p;
      continue;
    }
    const int next = SkipToChar(p, term);
    int length = 1;
    if (M(p) == '[' || M(p) == '{') {
      length = LongestText(p + 1, next - 1);
    } else if (M(p) == '*') {
      int q = p + 1, count = 0;
      while (IsDigit(M(q))) count = count * 10 + (M(q++) - '0');
      const int piece = LongestText(q, next);
      length = count > 0 && piece >= 0 ? count * piece : -1;
    }
    if (length < 0) return -1;
    sum += length;
    p = next;
  }
  return std::max(longest, sum);
}

bool wwMatchesPictureMask(const AnsiString& mask, const AnsiString& text) {
  if (text.empty()) return true;
  TwwPictureValidator v(mask, false);
  AnsiString copy = text;
  return v.MatchText(copy, false) == pmComplete;
}

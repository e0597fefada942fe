// Text finder; see finder.h for how it keeps its place.
#include "richtext/model/finder.h"

#include <algorithm>

#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr size_t kMaxPattern = 255;

// Windows-1252 lower case, accented letters included.
unsigned char Lower(unsigned char c) { return static_cast<unsigned char>(AnsiLowerChar(static_cast<char>(c))); }

}  // namespace

TWPTextFinder::TWPTextFinder(TWPRTFText* text) : text_(text) { Reset(); }

void TWPTextFinder::Reset() {
  found_ = false;
  foundPosition_ = 0;
  foundLength_ = 0;
  parStart_ = 0;
  offset_ = 0;
  replaced_ = false;
}

void TWPTextFinder::Clear() {
  foundPosition_ = 0;
  foundLength_ = 0;
  found_ = false;
  backwards_ = false;
  replaced_ = false;
  pattern_.clear();
  startPattern_.clear();
  endPattern_.clear();
  ranged_ = false;
  options_ = 0;
  tag_ = 0;
  caseSensitive_ = false;
  rangeChar_ = 0;
  wholeWords_ = false;
  patternAttr_ = TWPAttrRecord();
  continueAfterMatch_ = false;
  Reset();
}

TWPParagraphRec* TWPTextFinder::Locate(int position, int& parStart, int& offset) const {
  parStart = 0;
  offset = 0;
  if (!text_ || !text_->FirstPar) return nullptr;
  if (position < 0) position = 0;
  int start = 0;
  TWPParagraphRec* from = text_->FirstPar;
  if (hintPar_ && position >= hintStart_) {
    from = hintPar_;
    start = hintStart_;
  }
  for (TWPParagraphRec* p = from; p; p = p->next) {
    const int len = TWPRTFText::ParLength(p);
    if (position <= start + len || !p->next) {
      parStart = start;
      offset = std::min(position - start, len);
      return p;
    }
    start += len + 1;
  }
  return nullptr;
}

int TWPTextFinder::SetStartPosition(int position) {
  if (position == 0) {
    Reset();
    return 0;
  }
  Locate(position, parStart_, offset_);
  found_ = false;
  foundLength_ = 0;
  replaced_ = false;
  return parStart_;
}

void TWPTextFinder::Gather(const TWPParagraphRec* par) {
  chars_.clear();
  attrs_.clear();
  for (const TWPLineRec* l = par->line; l; l = l->next)
    for (int i = 0; i < l->Length; ++i) {
      chars_.push_back(l->pc[i]);
      attrs_.push_back(l->pa ? &l->pa[i] : nullptr);
    }
}

void TWPTextFinder::SetPatterns(std::string_view text) {
  if (text.size() > kMaxPattern) text = text.substr(0, kMaxPattern);
  pattern_.assign(text);
  ranged_ = false;
  startPattern_.clear();
  endPattern_.clear();
  if (rangeChar_ != 0) {
    const size_t at = text.find(rangeChar_);
    if (at != std::string_view::npos && at < 256) {
      startPattern_.assign(text.substr(0, at));
      endPattern_.assign(text.substr(at + 1));
      ranged_ = !(startPattern_.empty() && endPattern_.empty());
      if (!ranged_) pattern_.clear();
    }
  }
}

bool TWPTextFinder::IsDelimiter(char ch) const {
  const unsigned char c = static_cast<unsigned char>(ch);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0) return false;
  return !(c == 0x8A || c == 0x8C || c == 0x9A || c == 0x9C || c == 0x9F);
}

bool TWPTextFinder::CharMatches(char textChar, char patternChar, const TWPAttrRecord* pa,
                                const TWPAttrRecord* ta) const {
  if (options_ && pa && ta) {
    auto has = [ta](uint32_t bit) { return (ta->Style & bit) != 0; };
    if ((options_ & wpfObject) && (!has(wpsObject) || (tag_ && ta->Tag != tag_))) return false;
    if ((options_ & wpfInsertPoint) && (!has(wpsInsertPoint) || (tag_ && ta->Tag != tag_))) return false;
    if ((options_ & wpfFont) && WPValidFont(ta->Font) != WPValidFont(pa->Font)) return false;
    if ((options_ & wpfSize) && (ta->Size ? ta->Size : 10) != (pa->Size ? pa->Size : 10)) return false;
    if ((options_ & wpfTextColor) && (ta->Colors & 0x0F) != (pa->Colors & 0x0F)) return false;
    if ((options_ & wpfBackColor) && (ta->Colors & 0xF0) != (pa->Colors & 0xF0)) return false;
    if ((options_ & wpfUnderline) && !has(wpsUnderline)) return false;
    if ((options_ & wpfBold) && !has(wpsBold)) return false;
    if ((options_ & wpfItalic) && !has(wpsItalic)) return false;
    if ((options_ & wpfHyperlink) && !has(wpsHyperlink)) return false;
    if ((options_ & wpfHidden) && !has(wpsHidden)) return false;
    if ((options_ & wpfBookmark) && !has(wpsBookmark)) return false;
  }
  if (rangeChar_ != 0 && patternChar == rangeChar_) return true;
  if (caseSensitive_) return textChar == patternChar;
  return Lower(static_cast<unsigned char>(textChar)) == Lower(static_cast<unsigned char>(patternChar));
}

int TWPTextFinder::MatchSingle(std::string_view pat, int s) const {
  const int n = static_cast<int>(chars_.size());
  const int len = static_cast<int>(pat.size());
  if (s < 0 || s + len > n) return -1;
  for (int k = 0; k < len; ++k)
    if (!CharMatches(chars_[s + k], pat[k], &patternAttr_, attrs_[s + k])) return -1;
  return s + len;
}

bool TWPTextFinder::WordStartOk(int s) const {
  if (s >= static_cast<int>(chars_.size()) || IsDelimiter(chars_[s])) return false;
  return s == 0 || IsDelimiter(chars_[s - 1]);
}

bool TWPTextFinder::WordEndOk(int e) const { return e >= static_cast<int>(chars_.size()) || IsDelimiter(chars_[e]); }

int TWPTextFinder::MatchAt(int s) const {
  if (wholeWords_ && !WordStartOk(s)) return -1;
  int e;
  if (!ranged_) {
    e = MatchSingle(pattern_, s);
  } else {
    const int e1 = MatchSingle(startPattern_, s);
    if (e1 < 0) return -1;
    e = -1;
    const int n = static_cast<int>(chars_.size());
    for (int t = e1; t <= n && e < 0; ++t) e = MatchSingle(endPattern_, t);
  }
  if (e < 0 || e == s) return -1;  // nothing matched, or an empty match
  if (wholeWords_ && !WordEndOk(e)) return -1;
  return e;
}

void TWPTextFinder::Succeed(TWPParagraphRec* par, int parStart, int s, int e) {
  found_ = true;
  if (inReplaceAll_) {
    hintPar_ = par;
    hintStart_ = parStart;
  }
  parStart_ = parStart;
  offset_ = s;
  foundPosition_ = parStart + s;
  foundLength_ = e - s;
  foundAttr_ = attrs_[s] ? *attrs_[s] : text_->WritingAttr;
}

void TWPTextFinder::FindForward(std::string_view pattern) {
  found_ = false;
  replaced_ = false;
  SetPatterns(pattern);
  if (!text_ || (!ranged_ && pattern_.empty())) return;
  int start, off;
  TWPParagraphRec* p = Locate(parStart_ + offset_, start, off);
  while (p) {
    Gather(p);
    const int n = static_cast<int>(chars_.size());
    for (int s = off; s < n; ++s) {
      const int e = MatchAt(s);
      if (e >= 0) {
        Succeed(p, start, s, e);
        return;
      }
    }
    parStart_ = start;
    offset_ = n;
    if (!p->next) break;
    start += n + 1;
    off = 0;
    p = p->next;
  }
}

void TWPTextFinder::FindBackward(std::string_view pattern) {
  found_ = false;
  replaced_ = false;
  SetPatterns(pattern);
  if (!text_ || (!ranged_ && pattern_.empty())) return;
  int start, off;
  TWPParagraphRec* p = Locate(parStart_ + std::max(offset_, 0), start, off);
  int last = offset_ < 0 ? -1 : off;  // the match must end at or before this offset
  while (p) {
    Gather(p);
    const int n = static_cast<int>(chars_.size());
    last = std::min(last, n - 1);
    for (int s = last; s >= 0; --s) {
      const int e = MatchAt(s);
      if (e >= 0 && e - 1 <= last) {
        Succeed(p, start, s, e);
        return;
      }
    }
    if (!p->prev) {
      parStart_ = 0;
      offset_ = 0;
      return;
    }
    p = p->prev;
    const int len = TWPRTFText::ParLength(p);
    start -= len + 1;
    last = len - 1;
  }
}

bool TWPTextFinder::Find(std::string_view pattern) {
  if (!text_) return false;
  int skip = (continueAfterMatch_ && found_ && !replaced_) ? foundLength_ : 0;
  if (!continueAfterMatch_) SetStartPosition(parStart_ + offset_);
  Locate(parStart_ + offset_ + skip, parStart_, offset_);
  backwards_ = false;
  FindForward(pattern.substr(0, std::min(pattern.size(), kMaxPattern)));
  return found_;
}

bool TWPTextFinder::FindPrevious(std::string_view pattern) {
  if (!text_) return false;
  if (!continueAfterMatch_) SetStartPosition(parStart_ + offset_);
  Locate(parStart_ + offset_, parStart_, offset_);
  --offset_;
  backwards_ = true;
  FindBackward(pattern.substr(0, std::min(pattern.size(), kMaxPattern)));
  return found_;
}

void TWPTextFinder::ReplaceFound(std::string_view replacement) {
  if (!found_ || !text_) return;
  int start, off;
  TWPParagraphRec* p = Locate(foundPosition_, start, off);
  if (!p) return;
  text_->DeleteTextAt(p, off, foundLength_);
  text_->InsertTextAt(p, off, replacement, &foundAttr_);
  foundLength_ = static_cast<int>(replacement.size());
  // Go on behind the replacement, never inside it.
  parStart_ = start;
  offset_ = off + foundLength_;
  replaced_ = true;
}

void TWPTextFinder::SetFoundAttr(const TWPAttrRecord& attr) {
  if (!found_ || !text_) return;
  int start, off;
  TWPParagraphRec* p = Locate(foundPosition_, start, off);
  if (!p) return;
  text_->SetAttrRange(p, off, attr, foundLength_);
  foundAttr_ = attr;
}

void TWPTextFinder::ReplaceAll(std::string_view pattern, std::string_view replacement) {
  replaceCount_ = 0;
  if (!text_) return;
  int skip = (continueAfterMatch_ && found_ && !replaced_) ? foundLength_ : 0;
  if (!continueAfterMatch_) SetStartPosition(parStart_ + offset_);
  Locate(parStart_ + offset_ + skip, parStart_, offset_);
  backwards_ = false;
  const std::string pat(pattern.substr(0, std::min(pattern.size(), kMaxPattern)));
  // Within the loop only the paragraph of the last match changes, so its
  // start stays valid and the next search need not walk from the top.
  inReplaceAll_ = true;
  TScopeExit scope{[this] {
    inReplaceAll_ = false;
    hintPar_ = nullptr;
  }};
  for (;;) {
    FindForward(pat);
    if (!found_) break;
    ReplaceFound(replacement);
    ++replaceCount_;
    if (replaceCount_ % 30 == 0 && EscapePressed && EscapePressed()) break;
  }
}

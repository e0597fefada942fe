// Text finder: searches a text model forwards or backwards for a pattern,
// optionally matching character attributes, and replaces what it found.
//
// Positions are absolute (every character counts 1, every paragraph end 1).
// A match never spans a paragraph end. The finder keeps its place as an
// absolute position and finds its paragraph again before every step, so
// edits of the text between calls cannot leave it on a freed record.
// After a replacement the search goes on behind the replacement, so a
// replacement that contains the pattern is never found again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/model/text.h"

// Attribute options: which attributes of a text character must match.
constexpr uint16_t wpfFont = 0x1;
constexpr uint16_t wpfSize = 0x2;
constexpr uint16_t wpfBold = 0x4;
constexpr uint16_t wpfUnderline = 0x8;
constexpr uint16_t wpfItalic = 0x10;
constexpr uint16_t wpfHyperlink = 0x20;
constexpr uint16_t wpfBookmark = 0x40;
constexpr uint16_t wpfTextColor = 0x80;
constexpr uint16_t wpfBackColor = 0x100;
constexpr uint16_t wpfObject = 0x200;
constexpr uint16_t wpfInsertPoint = 0x400;
constexpr uint16_t wpfHidden = 0x800;

class TWPTextFinder : public TObject {
  ORV_CLASS(TWPTextFinder, TObject)
  explicit TWPTextFinder(TWPRTFText* text = nullptr);

  TWPRTFText* Text() const { return text_; }
  void SetText(TWPRTFText* text) {
    text_ = text;
    Reset();
  }

  // Polled every 30 replacements of ReplaceAll; True ends the loop. The
  // control installs the Escape key test here.
  std::function<bool()> EscapePressed;

  virtual int SetStartPosition(int position);
  virtual void FindForward(std::string_view pattern);
  virtual void FindBackward(std::string_view pattern);
  virtual bool CharMatches(char textChar, char patternChar, const TWPAttrRecord* patternAttr,
                           const TWPAttrRecord* textAttr) const;
  virtual bool IsDelimiter(char c) const;
  virtual bool Find(std::string_view pattern);
  virtual void ReplaceAll(std::string_view pattern, std::string_view replacement);
  virtual bool FindPrevious(std::string_view pattern);
  virtual void Clear();

  void Reset();
  int FoundPosition() const { return found_ ? foundPosition_ : 0; }
  int FoundLength() const { return found_ ? foundLength_ : 0; }
  bool Found() const { return found_; }
  void ReplaceFound(std::string_view replacement);
  void GetFoundAttr(TWPAttrRecord& attr) const { attr = foundAttr_; }
  void SetFoundAttr(const TWPAttrRecord& attr);

  uint16_t AttrOptions() const { return options_; }
  void SetAttrOptions(uint16_t v) { options_ = v; }
  uint16_t Tag() const { return tag_; }
  void SetTag(uint16_t v) { tag_ = v; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool v) { caseSensitive_ = v; }
  char RangeChar() const { return rangeChar_; }
  void SetRangeChar(char v) { rangeChar_ = v; }
  bool WholeWords() const { return wholeWords_; }
  void SetWholeWords(bool v) { wholeWords_ = v; }
  const TWPAttrRecord& PatternAttr() const { return patternAttr_; }
  void SetPatternAttr(const TWPAttrRecord& v) { patternAttr_ = v; }
  bool ContinueAfterMatch() const { return continueAfterMatch_; }
  void SetContinueAfterMatch(bool v) { continueAfterMatch_ = v; }
  int ReplaceCount() const { return replaceCount_; }
  bool Backwards() const { return backwards_; }

private:
  // Finds the paragraph of an absolute position: paragraph, its start and
  // the offset in it (clamped to the paragraph).
  TWPParagraphRec* Locate(int position, int& parStart, int& offset) const;
  // Gathers a paragraph's characters and records into the flat buffers.
  void Gather(const TWPParagraphRec* par);
  void SetPatterns(std::string_view text);
  // Match anchored at `s` in the gathered paragraph; its end or -1.
  int MatchAt(int s) const;
  int MatchSingle(std::string_view pat, int s) const;
  bool WordStartOk(int s) const;
  bool WordEndOk(int e) const;
  void Succeed(TWPParagraphRec* par, int parStart, int s, int e);
  bool Prepare(std::string_view pattern, bool back);

  TWPRTFText* text_ = nullptr;
  int foundPosition_ = 0;
  int foundLength_ = 0;
  int parStart_ = 0;  // absolute start of the current paragraph
  int offset_ = 0;    // search offset in the current paragraph
  bool found_ = false;
  bool backwards_ = false;
  bool replaced_ = false;  // the place already lies behind a replacement
  std::string pattern_, startPattern_, endPattern_;
  bool ranged_ = false;
  TWPAttrRecord foundAttr_;
  uint16_t options_ = 0;
  uint16_t tag_ = 0;
  bool caseSensitive_ = false;
  char rangeChar_ = 0;
  bool wholeWords_ = false;
  TWPAttrRecord patternAttr_;
  int replaceCount_ = 0;
  bool continueAfterMatch_ = false;
  // The paragraph being searched, flattened over its lines.
  std::vector<char> chars_;
  std::vector<const TWPAttrRecord*> attrs_;
  // During ReplaceAll: the paragraph of the last match and its start.
  bool inReplaceAll_ = false;
  TWPParagraphRec* hintPar_ = nullptr;
  int hintStart_ = 0;
};

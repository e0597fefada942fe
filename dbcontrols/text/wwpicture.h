// The picture-mask validator: checks a text against a picture mask such as
// "[#]#:##" and, on request, completes it with the literal characters the
// mask requires next. The masked edits and the grid's in-place editor make
// one for the mask of the field they edit, ask it whether the text is
// complete, incomplete or wrong, and free it.
//
// Mask language: # digit; ? letter (A-Z, a-z, or any code from 129 up);
// & letter stored upper case; ~ letter stored lower case; ! any character
// stored upper case; @ any character; *n piece (exactly n times) or * piece
// (any number of times, none included); [ ] optional group; { } required
// group; "," separates alternatives (the first that fits wins); ";" makes the
// next mask character a literal; any other character is a literal matched
// with letter case ignored for a-z only and stored as the mask writes it.
// A space typed as the text's last character stands for an expected literal.
//
// Matching never goes back into a piece that has matched: an optional group
// or repetition takes what it can. Positions in mask and text are 8-bit: a
// mask longer than 254 characters, a repeat count above 255 or a text
// position beyond 255 raises ERangeError instead of wrapping. A malformed
// mask is no exception: Status becomes 1 and every non-empty text answers
// pmSyntax.
#pragma once

#include <cstdint>

#include "platform/rtl/components.h"

enum TwwPicResult : uint8_t {
  pmComplete = 0,
  pmIncomplete = 1,
  pmEmpty = 2,
  pmError = 3,
  pmSyntax = 4,
  pmCompleteOpen = 5,      // complete; optional parts could take more (answered as pmComplete)
  pmIncompleteNoFill = 6,  // incomplete after an optional part (answered as pmIncomplete)
};

// Options bits.
constexpr uint16_t wwpoAutoFill = 1;
constexpr uint16_t wwpoDefault = 4;  // set on every validator

class TwwPictureValidator : public TObject {
  ORV_CLASS(TwwPictureValidator, TObject)
  TwwPictureValidator(const AnsiString& mask, bool autoFill);

  uint16_t Status() const { return status_; }  // 0 well formed, 1 syntax error
  uint16_t Options() const { return options_; }
  const AnsiString& Mask() const { return mask_; }

  // True unless the text is wrong so far; with the auto-fill option (and
  // without suppressFill) appends the literals that must follow. An empty
  // mask accepts everything.
  virtual bool CheckInput(AnsiString& text, bool suppressFill);
  // Whether the text may be left as it is: complete or empty.
  virtual bool CheckValid(const AnsiString& text);
  // The whole match; with autoFill appends required literals to `text`. It
  // also rewrites matched characters (case conversion, literals as the mask
  // writes them). Answers pmComplete, pmIncomplete, pmEmpty, pmError or
  // pmSyntax.
  virtual TwwPicResult MatchText(AnsiString& text, bool autoFill);
  // The most characters a text of the mask holds; -1 when a repetition
  // without count makes it unbounded (or the mask is malformed).
  int MaxTextLength() const;

 private:
  int LongestText(int from, int term) const;
  bool SyntaxOk() const;
  char M(int i) const;  // mask character, '\0' beyond the mask
  void StepText();       // J + 1, within 8 bits
  TwwPicResult MatchPicture(int term);
  bool NextAlternative(int term);
  int SkipToChar(int pos, int term, int braceLevel = 0) const;
  TwwPicResult ScanAlternative(int term);
  TwwPicResult MatchGroup();
  TwwPicResult MatchRepeat(int term);
  TwwPicResult CheckOptionalRest(TwwPicResult r, int from, int term);
  bool HasEmptyAlternative(int open, int close);

  uint16_t status_ = 0;
  uint16_t options_ = 0;
  AnsiString mask_;
  // State of one MatchText call.
  AnsiString* text_ = nullptr;
  int i_ = 1, j_ = 1;
};

// True for an empty text; otherwise whether the text fills the mask
// completely (no auto-fill).
bool wwMatchesPictureMask(const AnsiString& mask, const AnsiString& text);

// Readers of the text model: TWPTextReader reads plain ANSI text into
// paragraphs; TWPRtfReader reads the engine's RTF dialect (and RTF written by
// other programs, as far as the dialect's words reach) with a tokenizer, a
// stack of group states and a dispatch by keyword kind.
// Invariants: every byte handed to the model goes through StoreChar, which
// keeps the line invariants of the text model (length below capacity, a 0
// after the last character, one attribute record per character); numbers
// from the input are clamped to the field they go to; picture data is only
// kept when it covers the layout it declares; reading stops just after the
// brace that closes the outermost group and the stream is left there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/streams.h"
#include "richtext/io/objects.h"
#include "richtext/io/rtf_format.h"
#include "richtext/io/writer.h"
#include "richtext/model/text.h"

// Result codes of reading.
constexpr uint8_t rrOk = 0;
constexpr uint8_t rrUnbalanced = 1;  // "}" without "{"
constexpr uint8_t rrBadKind = 5;
constexpr uint8_t rrNoHandler = 6;
constexpr uint8_t rrError = 7;  // exception in a translation, or the input ended inside a control word

class TWPTextReader : public TObject {
  ORV_CLASS(TWPTextReader, TObject)
  TWPTextReader();
  ~TWPTextReader() override;

  TStream* Input = nullptr;
  TTextHeader* Header = nullptr;
  TWPRTFText* Text = nullptr;
  // Paragraph being filled. Nil: the reader builds a separate chain, whose
  // first paragraph FirstRead holds afterwards.
  TWPParagraphRec* Par = nullptr;
  TWPParagraphRec* FirstRead = nullptr;
  bool MadeParagraph = false;
  TWPAttrRecord CurAttr;
  bool KeepPageSettings = false;
  bool MarkAutomatic = false;
  uint8_t Result = rrOk;
  // Pictures created by the read; the caller takes them over.
  std::vector<std::unique_ptr<TWPTextObject>> Objects;

  // Next byte (0..255) or -1 at the end of the input.
  int ReadChar() {
    if (index_ < count_) return buf_[index_++];
    return Refill();
  }
  void UnreadChar();
  // Leaves the stream just after the last byte consumed.
  void FinishInput();
  virtual void TakeStream(TStream* stream) { Input = stream; }
  virtual uint8_t Read();

protected:
  void BeginParagraphs();
  void StoreChar(unsigned char c, const TWPAttrRecord& attr);
  // Links a new paragraph after the current one and continues there.
  void NextParagraph();
  void FinishParagraphs();

  TWPLineRec* line_ = nullptr;
  bool parDirty_ = false;  // the current paragraph got characters or properties

private:
  int Refill();
  unsigned char buf_[1024];
  int count_ = 0, index_ = 0;
  int64_t blockPos_ = 0;
};

class TWPRtfReader : public TWPTextReader {
  ORV_CLASS(TWPRtfReader, TWPTextReader)
  TWPRtfReader();
  ~TWPRtfReader() override;

  uint8_t Read() override;

  // Characters of Unicode escapes that have no form in the code page; they
  // are left out.
  std::u32string LeftOut;
  // Colours of the document that the text's 16 could not hold; each took
  // the nearest one there.
  int ColorsChanged = 0;

private:
  struct ParState {
    int32_t First = 0, Left = 0, Right = 0, Before = 0, After = 0, Spacing = 0;
    uint8_t Align = 0;
    uint8_t BorderFlags = 0, BorderStyle = 0, BorderWidth = 0, BorderColor = 0;
    uint8_t Shading = 0, ShadingPercent = 0;
    TWPTabSet Tabs = 0;
    bool InTable = false;
    bool Keep = false;
    bool PageBefore = false;
    bool Multiple = false;  // "\\slmult1": the spacing is in 240ths of a line
  };
  struct Frame {
    TWPAttrRecord Attr;
    ParState State;
    TRtfDest Dest;
    int FgEntry, BgEntry;
  };
  struct Cell {
    int32_t Edge = 0;
    uint8_t BorderFlags = 0, BorderStyle = 0, BorderWidth = 0, BorderColor = 0;
    uint8_t Shading = 0;
    bool Merged = false;  // joined to the cell before it
  };

  uint8_t ControlWord();
  uint8_t Translate(const char* word, size_t len, bool hasNum, int32_t num);
  void CharHandler(unsigned char c, bool lineBreak = false);
  void Destination(const TRtfKeyword& kw);
  uint8_t Property(const TRtfKeyword& kw, int32_t v, bool hasNum);
  void Push();
  uint8_t Pop();
  void EndParagraph(bool cell);
  void ApplyState(TWPParagraphRec* p, bool cell);
  void ResetPicture();
  void FinishPicture();
  void FinishFootnote();
  // Takes a bitmap (".bmp") or metafile (".wmf", ".emf") named by a picture
  // reference; anything unreadable leaves the reference alone.
  void LoadPictureFile(TWPPictureObject& pic);
  void CodeChar(int c);
  void StoreText(unsigned char c, bool lineBreak = false);
  void RemapColors();
  // The header's colour number for entry `entry` of the document's table,
  // giving it a slot when it is first used; `text`: a text or line colour,
  // which never becomes the page's colour unless it is that colour.
  uint8_t ColorSlot(int entry, bool text);
  // The colours of CurAttr whose entries wait for their slots get them.
  void TakeColors();
  // Text of the target that used `from` uses `to`, the same colour.
  void MoveSlotUsers(int from, int to);
  void UnicodeChar(char32_t u);
  uint8_t& BorderTarget(int which);  // 0 flags, 1 style, 2 width, 3 colour
  // The document's colour-table entry `v` as the engine's colour into the
  // low (text, line, pattern) or high (background) half of `pair`; a number
  // beyond any table changes nothing.
  void PutColor(uint8_t& pair, int32_t v, bool high);
  void TakeCellLooks();  // the current cell's borders and shading into the paragraph state
  void SkipBinary(int32_t n);

  std::vector<Frame> frames_;
  bool started_ = false;
  bool done_ = false;
  TRtfDest dest_ = rdText;
  bool star_ = false;
  ParState ps_;
  int fontMap_[kWPFontCount] = {};
  int curFont_ = 0;
  std::string fontName_;
  int32_t fontFamily_ = 0, fontCharset_ = 0;
  int colorIdx_ = 0;
  TColor srcColors_[kRtfMaxColors] = {};
  bool srcAuto_[kRtfMaxColors] = {};      // the entry names no colour ("auto")
  int16_t colorMap_[kRtfMaxColors] = {};  // document colour number -> header colour number, -1 not yet given
  // Slots a new colour may go to, in the order they are taken, each with the
  // slot of the same colour its text moves to (-1: nothing uses it).
  std::vector<std::pair<int, int>> freeSlots_;
  std::vector<TColor> changed_;           // colours that took the nearest
  int fgEntry_ = -1, bgEntry_ = -1;       // entries of CurAttr's colours that wait for a slot
  bool objWord_ = false;                  // an object's words came before its character
  int ucSkip_ = 1;
  char32_t highSurrogate_ = 0;
  int pendingSkip_ = 0;

  // table rows
  bool rowActive_ = false;
  bool inRowDef_ = false;
  int cellCount_ = 0, curCell_ = 0;
  int cellPars_ = 0;       // cell paragraphs of the row so far (merged cells share one)
  bool mergeGap_ = false;  // a merged cell's text is about to continue a paragraph
  Cell cells_[kRtfMaxCells + 1];
  int32_t rowLeft_ = 0, widest_ = 0;
  int colPos_ = 0;
  uint8_t gap_ = 0;
  TWPParagraphRec* lastCell_ = nullptr;

  // pictures
  int32_t picType_ = 0, picW_ = 0, picH_ = 0, goalW_ = 0, goalH_ = 0, scaleX_ = 100, scaleY_ = 100;
  int32_t bits_ = 0, planes_ = 1, widthBytes_ = 0;
  bool picIsFile_ = false, inQuotes_ = false;
  std::string picData_, fileName_;
  int hexHigh_ = -1;
  int32_t objTag_ = 0, objW_ = 0, objH_ = 0;

  // footnotes
  TWPLineRec* fnLine_ = nullptr;
  int fnIndex_ = -1;
  std::string fnText_;
  bool fnFirst_ = false, fnSkipBlank_ = false, fnNumbered_ = false;
  bool fnAuto_ = false;  // the mark was read as "\chftn"
  uint8_t fnSize_ = 0;   // points of the note's text, as set before its first character
  TWPLineRec* autoMarkLine_ = nullptr;  // where the last automatic mark was stored
  int autoMarkIndex_ = -1;

  int tabKind_ = 0;
  bool stateApplied_ = false;  // a group close gave the current paragraph its state

  // bookmarks
  std::string bmName_;
  int bmEndLevel_ = -1;

  // RTF-code runs
  bool codeOpen_ = false;
  size_t codeMatched_ = 0;
};

// Text model: the base of the text engine's class chain.
//
// TWPRTFText owns a document as a doubly linked chain of paragraphs, each a
// doubly linked chain of lines, each line a character buffer with a parallel
// array of 16-byte attribute records. It also owns the document header, the
// writing attribute, the cursor, the object and footnote lists, the bookmark
// names and the five special-style attribute sets. The upper layers (input
// and output, layout and painting, keyboard input) derive from it and build
// every edit on the operations here; they reach the control only through the
// callbacks the control installs. The model knows nothing of windows, and of
// pixels only the metrics it stores for layout.
//
// Invariants between public calls (CheckChains walks them all):
//  1. there is at least one paragraph; the first has no previous, and every
//     next/previous pair of paragraphs points at each other;
//  2. every paragraph has at least one line; its first line has no previous,
//     and every next/previous pair of lines points at each other;
//  3. a line's length is below its capacity, the capacity never exceeds
//     10000, and the character buffer holds a 0 at the length;
//  4. in rich storage every line has an attribute array of capacity records,
//     record i belonging to character i, and every font number in a record
//     of a character is a valid font (0..98); in plain storage no line has one;
//  5. the cursor, when set, lies in a paragraph of the chain, on a line of that
//     paragraph, at an offset from -1 to the line's length;
//  6. the header's tab order is sorted (header.h).
//
// Positions: (paragraph, line, offset in the line), a character position
// within a paragraph counted over its lines, or an absolute position counting
// every character of every line and one extra position per paragraph end.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/components.h"
#include "richtext/model/header.h"
#include "richtext/model/records.h"

// Elements of the protection mode (bit numbers).
enum TProtectProp : uint8_t {
  ppProtected = 0,
  ppHidden,
  ppIsInsertpoint,
  ppAutomatic,
  ppIsInvisible,
  ppParProtected,
  ppProtectSelectedTextToo,
  ppDontCopyProtectedAttribute,
  ppDontUseAttrOfProtected,
};
using TProtectProps = uint16_t;
constexpr TProtectProps ProtectBit(TProtectProp p) { return static_cast<TProtectProps>(1u << p); }

// Raw memory helpers: allocate zero-filled into a variable / free and nil it.
void WPGetMem(void*& p, size_t size);
void WPFreeMem(void*& p);
// Record at an index of an attribute array; a nil array raises.
TWPAttrRecord* AttribPtr(TWPAttrRecord* array, int index);
// Moves count records; nothing for a nil array or a count below 1.
void WPCopyAttribs(TWPAttrRecord* dest, int destIndex, const TWPAttrRecord* src, int count, int srcIndex);

class TWPRTFText : public TPersistent {
  ORV_CLASS(TWPRTFText, TPersistent)
  TWPRTFText();
  ~TWPRTFText() override;

  // --- state --------------------------------------------------------------
  bool PlainText = false;
  bool Created = false;
  bool Busy = false;
  TWPParagraphRec* FirstPar = nullptr;
  std::unique_ptr<TTextHeader> Header;
  TWPParagraphRec* CursorPar = nullptr;
  TWPLineRec* CursorLine = nullptr;
  int32_t CursorOffset = 0;
  TStringList BookmarkNames;  // name of bookmark n at index n
  TWPObjectEntry* FirstObject = nullptr;
  TWPFootnoteEntry* FirstFootnote = nullptr;
  TWPAttrRecord WritingAttr;
  TWPAttrRecord LastDeletedAttr;
  int32_t DefaultLineHeight = 16;
  int32_t CharWidths[257] = {};
  int32_t PlainLineHeight = 16;
  int32_t PlainLineAscent = 14;
  bool InsertMode = true;
  TProtectProps ProtectMode = 0;
  bool ProtectionOff = false;
  bool ProtectionSilent = false;

  // --- callbacks (called only when assigned) -------------------------------
  std::function<void(TWPObjectEntry* entry)> OnObjectNumbered;
  std::function<void(const AnsiString& text, uint16_t tag)> OnTextRun;
  std::function<void()> OnTabTableFull;
  std::function<void(TWPParagraphRec* par, TWPLineRec* line, int offset)> OnProtectedText;
  std::function<void()> OnBeep;  // the refusal sound of a protected place

  TCharacterAttr& InsertPointAttr() { return *insertPointAttr_; }
  TCharacterAttr& AutomaticTextAttr() { return *automaticTextAttr_; }
  TCharacterAttr& HyperlinkTextAttr() { return *hyperlinkTextAttr_; }
  TCharacterAttr& ProtectedTextAttr() { return *protectedTextAttr_; }
  TCharacterAttr& BookmarkTextAttr() { return *bookmarkTextAttr_; }

  // --- virtual operations, overridden by the upper layers ------------------
  virtual void SetCharAttr(TWPLineRec* line, int index, const TWPAttrRecord& attr);
  virtual void ReportTextRun(bool empty, int& index, TWPLineRec* line);
  virtual void SetWritingAttr(const TWPAttrRecord& attr);
  virtual void Changed() {}
  virtual void Clear();
  virtual void SetParagraphText(int number, const char* text, int length, const TWPAttrRecord* attr);
  virtual void ReplaceText(TWPParagraphRec* par, TWPLineRec* line, int offset, int deleteCount,
                           const char* text, int length);

  // --- paragraph and line management ---------------------------------------
  // Links a new paragraph after `par` (taking over its formatting) and leaves
  // it in `par`.
  void NewParagraph(TWPParagraphRec*& par, int capacity);
  // Links a new line after `line` (when given) and leaves it in `line`.
  void NewTextLine(TWPLineRec*& line, int capacity);
  bool GrowLineBuffer(TWPLineRec* line, int newCapacity);
  void FreeLineBuffers(TWPLineRec* line);
  void DisposeParagraph(TWPParagraphRec*& par);
  void RemoveLine(TWPLineRec* line, TWPParagraphRec* par);
  static TWPLineRec* Get_LastLine(TWPParagraphRec* par);
  static int ParagraphIndex(const TWPParagraphRec* par, const TWPParagraphRec* first);
  // Frees a chain of paragraphs that does not belong to the text.
  void FreeParagraphChain(TWPParagraphRec* chain);

  // --- whole text ------------------------------------------------------------
  bool IsEmpty() const;
  // 0 rich text, 1 plain text.
  bool SetMemoryFormat(int format);
  TWPObjectEntry* AddObject(TWPTextObject* obj, int number, int32_t width, int32_t height);
  TWPObjectEntry* FindObject(int number, int secondNumber) const;
  TWPObjectEntry* FindObjectOf(const TWPTextObject* obj) const;
  void ClearObjectMarks();
  void RemoveUnmarkedObjects();
  void ObjectSize(const TWPObjectEntry* entry, int32_t& width, int32_t& height) const;
  TWPFootnoteEntry* AddFootnote(uint8_t markChar, const AnsiString* rtfText, const AnsiString& text);
  TWPFootnoteEntry* FindFootnote(int number) const;
  void FreeFootnotes();
  // Handler of the header's tab overflow: frees slots no paragraph uses.
  void ReclaimTabSlots();

  // --- editing (editing.cpp) -----------------------------------------------
  bool InsertChar(TWPParagraphRec* par, TWPLineRec* line, char c, int offset);
  bool DeleteChar(TWPParagraphRec* par, TWPLineRec* line, int offset);
  bool SplitParagraph(TWPParagraphRec* par, TWPLineRec* line, int offset);
  void ReplaceInLine(TWPParagraphRec* par, TWPLineRec* line, int offset, int deleteCount, const char* text,
                     int length, const TWPAttrRecord* attr);
  void InsertTextAt(TWPParagraphRec* par, int position, std::string_view text, const TWPAttrRecord* attr);
  void InsertTextAtCursor(const TWPAttrRecord& attr, std::string_view text);
  void DeleteTextAt(TWPParagraphRec* par, int position, int count);
  void SetAttrRange(TWPParagraphRec* par, int position, const TWPAttrRecord& attr, int count);
  bool IsProtected(TWPParagraphRec* par, TWPLineRec* line, int offset);
  // Characters and records of the whole text, a carriage return between
  // paragraphs; at most limit - 1 characters; the count.
  int CopyText(char* buffer, TWPAttrRecord* attrs, int limit);
  int GetParagraphText(int number, AnsiString& text) const;
  void AppendParagraph(int number, const char* text, int length, const TWPAttrRecord* attr);
  void DeleteParagraph(int number);
  // Inserts a separate chain at a place, which then lies behind the inserted
  // text; the chain is taken over unless False comes back.
  bool InsertParagraphs(TWPParagraphRec*& par, TWPLineRec*& line, TWPParagraphRec* chain, int& offset);
  // Indents, spacing, alignment, flags, borders, shading and tabs of `src`.
  void CopyFormatting(TWPParagraphRec* dest, const TWPParagraphRec* src, bool withNumbering);
  bool MarkStyled(uint32_t mask);
  void AppendLine(const TWPAttrRecord& attr, std::string_view text, bool pageBreak, TWPParagraphRec*& par);
  static AnsiString FormatNumber(int number, int style);
  bool RenumberParagraphs();

  // --- positions -------------------------------------------------------------
  static int ParLength(const TWPParagraphRec* par);
  // (line, offset) of a character position within a paragraph; at a line
  // boundary the end of the earlier line; beyond the end the paragraph's end.
  static void LocateInPar(TWPParagraphRec* par, int position, TWPLineRec*& line, int& offset);
  static int PosInPar(const TWPParagraphRec* par, const TWPLineRec* line, int offset);
  void PositionOf(const TWPParagraphRec* par, const TWPLineRec* line, int offset, int& position,
                  int& lineNumber, int& parNumber) const;
  bool FindPosition(int& offset, TWPLineRec*& line, TWPParagraphRec*& par, int position, int lineNumber) const;
  TWPParagraphRec* ParagraphAt(int number) const;  // 0-based; nil beyond
  TWPParagraphRec* LastParagraph() const;

  // --- invariants --------------------------------------------------------------
  // Walks the chains and checks the invariants at the top of this file;
  // False with the first broken one in `why`.
  bool CheckChains(std::string* why = nullptr) const;

protected:
  // After an edit, where invariant checks are compiled in: raises
  // EInvariantBroken when CheckChains finds a broken chain.
  void CheckAfterEdit() const;
  // Cursor bookkeeping for edits inside one paragraph: the cursor's character
  // position in `par` (or -1), and putting it back afterwards.
  int CursorPosIn(const TWPParagraphRec* par) const;
  void CursorTo(TWPParagraphRec* par, int position);
  // Moves the characters from `offset` into a new line after `line`; nil
  // when nothing is behind the offset.
  TWPLineRec* SplitLineAt(TWPLineRec* line, int offset);
  // New lines holding the text (at most kWPMaxLineChars each) after `after`,
  // or in front of the paragraph's lines when `after` is nil; the last one.
  TWPLineRec* InsertLines(TWPParagraphRec* par, TWPLineRec* after, std::string_view text,
                          const TWPAttrRecord& attr);
  void UnlinkAndFreeLine(TWPLineRec* line, TWPParagraphRec* par);
  void FreeLine(TWPLineRec* line);
  void Beep() {
    if (OnBeep) OnBeep();
  }
  void FreeAll();

private:
  std::unique_ptr<TCharacterAttr> insertPointAttr_, automaticTextAttr_, hyperlinkTextAttr_, protectedTextAttr_,
      bookmarkTextAttr_;
};

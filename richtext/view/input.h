// Text input of the rich-text engine: TWPRTFTextInput, the top of the class
// chain and the object every edit control owns. It turns typed characters
// and control characters into edits of the text model, moves the cursor by
// characters, words, lines, pages, paragraphs and to the ends of the text,
// keeps the writing attribute in step with the text around the cursor, and
// repaints as little as the edit needs. TWPSetModeControl is told of every
// change of position and writing attribute (the tool bar and ruler).
//
// Invariants between public calls (besides those of the layers below):
//  - after a cursor move the cursor never stands in front of a character
//    that is not shown (a hyperlink's hidden stamp "p:<n>" follows its
//    visible text) or inside a paragraph's automatic number: moves pass
//    such characters forwards, so typing never separates a link from its
//    stamp; typing inside a hidden run, Enter and line breaks go behind the
//    run; Backspace and Delete remove the nearest other character and leave
//    them in place (Backspace behind a number joins the paragraphs);
//  - Left and Right move by exactly one shown character; a place at a soft
//    line break is shown at the start of the following line (End shows it at
//    the end of the earlier line until the next move);
//  - every text edit made here first deletes a marked block (or drops a bare
//    anchor), so no block pointer outlives the lines it points at;
//  - after an edit the paragraph's lines are measured and broken and every
//    line has its top again (UpdateParagraph), and the repaint follows the
//    layout's change kind.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "richtext/view/paint.h"

class TWPRTFTextInput;

// Read access to the writing attribute for the tool bar; a subclass (the
// control's) is told of the changes.
class TWPSetModeControl : public TPersistent {
  ORV_CLASS(TWPSetModeControl, TPersistent)
  explicit TWPSetModeControl(TWPRTFTextInput* engine = nullptr) : engine_(engine) {}

  TWPRTFTextInput* Engine() const { return engine_; }
  void SetEngine(TWPRTFTextInput* engine) { engine_ = engine; }

  // Told by the engine; empty here.
  virtual void PositionChanged() {}   // the cursor moved (paragraph state, ruler)
  virtual void AttributeChanged() {}  // the writing attribute changed (character state)
  virtual void SelectionChanged() {}  // the block changed

  uint32_t Style() const;
  int TextColorNumber() const;        // low four bits of the colour byte
  int BackgroundColorNumber() const;  // high four bits
  AnsiString FontName() const;        // empty for font numbers of 99 and above
  int FontSize() const;

private:
  TWPRTFTextInput* engine_;
};

// Cursor commands of the keys that are not character or line moves.
enum TWPCursorCommand : int {
  ccLineStart = 0,
  ccLineEnd = 1,
  ccPageUp = 2,
  ccPageDown = 3,
  ccTextStart = 4,
  ccTextEnd = 5,
  ccParagraphUp = 6,    // to the paragraph's start, or the previous one's
  ccParagraphDown = 7,  // to the next paragraph's start, or the text's end
};

// What one input needs repainted.
enum : int { wprNothing = 0, wprChangedLines = 1, wprParagraph = 2, wprAll = 3 };

class TWPRTFTextInput : public TWPRTFTextPaint {
  ORV_CLASS(TWPRTFTextInput, TWPRTFTextPaint)
  TWPRTFTextInput();
  ~TWPRTFTextInput() override;

  bool ReadOnly = false;
  bool ObjectInsertion = false;  // an object character is being typed
  bool RenumberNeeded = false;
  bool InputRunning = false;
  TWPSetModeControl* AttrListener = nullptr;  // not owned
  int LastRepaint = wprNothing;               // of the last InputString

  std::function<void()> OnBeforeInput, OnAfterInput;
  std::function<void()> OnPositionChanged;  // a move without scrolling
  std::function<void()> OnParagraphAdded;
  std::function<void()> OnChanged;  // the text changed

  // Types a text: printable characters, tab (9), line feed (10, a line
  // break inside the paragraph), form feed (12, page break), Enter (13),
  // Backspace (8) and Delete (127). Nothing while read-only or busy.
  virtual void InputString(std::string_view text);
  // Enters an object (number -1: the next from 2000, 0: the next second
  // number; the number given comes back) and types its character.
  TWPObjectEntry* InsertObjectAtCursor(int& number, TWPTextObject* object, int32_t widthTwips, int32_t heightTwips);

  // --- cursor moves: count steps, extending the selection, scrolling the
  //     cursor into view (else only the position event fires) -----------------
  void CursorLeft(int count = 1, bool extend = false, bool scroll = true);
  void CursorRight(int count = 1, bool extend = false, bool scroll = true);
  void WordLeft(int count = 1, bool extend = false, bool scroll = true);
  void WordRight(int count = 1, bool extend = false, bool scroll = true);
  void CursorUp(int count = 1, bool extend = false, bool scroll = true);
  void CursorDown(int count = 1, bool extend = false, bool scroll = true);
  void CursorCommand(TWPCursorCommand command, bool extend = false, bool scroll = true);
  bool MovementLocked() const { return ViewOptions() & wpvNoCursorToPoint; }

  // Follows the text around the cursor with the writing attribute.
  void UpdateWritingAttr();

  // --- overrides -----------------------------------------------------------
  void Clear() override;
  void ReadWith(TWPTextReader* reader) override;
  void MoveCursorToPosition(int position, int lineNumber) override;
  void CursorToPoint(int x, int y, bool extend, bool keepScrolling) override;

protected:
  void SelectionChanged() override;
  // Runs the characters of a text; the repaint result.
  int CharInput(std::string_view text);

private:
  int TypeChar(char c);
  int Enter(bool pageBreak);
  int FormFeed();
  int Backspace();
  int DeleteForward();
  // Joins the next paragraph to this one (not across table cells).
  bool JoinNext(TWPParagraphRec* par);
  void Repaint(int result);
  void ParOrBlockCheck();
  // Deletes a marked block (result wprAll) or drops a bare anchor; False
  // when protected text refused the deletion.
  bool ClearBlockForEdit(int& result);
  // The start of Backspace and Delete: True when a marked block was what
  // went (or protected text kept it).
  bool DeletedBlock(int& result);
  // Position of the cursor in its paragraph and placing it at one (a place
  // at a soft line break goes to the start of the following line).
  int CursorPos() const;
  void PlaceCursor(TWPParagraphRec* par, int pos);
  // Characters the cursor passes over: not shown (a hidden stamp) or part
  // of an automatic number.
  bool Skipped(const TWPParagraphRec* par, int pos) const;
  char CharAt(const TWPParagraphRec* par, int pos) const;
  // Steps of the moves; False when nothing is left to move over.
  bool StepLeft();
  bool StepRight();
  bool StepWordLeft();
  bool StepWordRight();
  bool StepLine(bool down);
  bool StepUp() { return StepLine(false); }
  bool StepDown() { return StepLine(true); }
  // A move of `count` steps with its frame.
  void RepeatMove(int count, bool extend, bool scroll, bool horizontal, bool (TWPRTFTextInput::*step)());
  void PageMove(bool down);
  void BeginMove(bool extend);
  void EndMove(bool extend, bool scroll, bool horizontal);
  void TellPosition();

  const TWPParagraphRec* lastCheckedPar_ = nullptr;  // compared only, never read
};

// Cursor movement of the text engine: by characters, words, lines and pages,
// to the line's and the text's ends and from paragraph to paragraph, each
// with or without extending the selection and scrolling the cursor into view.
// Left, Right and the word moves work on positions in the paragraph (a soft
// line break is no place of its own for them); Up, Down and Page keep the
// remembered x. No move leaves the cursor in front of a character that is
// not shown or inside an automatic number (input.h).
#include <algorithm>

#include "platform/rtl/sysutils.h"
#include "richtext/view/input.h"

namespace {

bool WordChar(char c) { return IsCharAlphaNumeric(c); }

}  // namespace

// --- the frame of every move -----------------------------------------------------------------

void TWPRTFTextInput::BeginMove(bool extend) {
  if (!extend) {
    // A move without extending ends the extension (the block stays until
    // it is dropped).
    Extending = false;
    return;
  }
  // The block goes on from its anchor when the last move extended it or its
  // moving end lies at the cursor; otherwise it starts here.
  const int p = CursorPos();
  auto here = [&](const TWPTextPlace& t) {
    return t.Par == CursorPar && t.Line && PosInPar(t.Par, t.Line, std::max(t.Offset, 0)) == p;
  };
  if (BlockStart.Par && (Extending || (BlockEnd.Par ? here(BlockEnd) : here(BlockStart)))) return;
  SetBlockEnd(false, CursorPar, CursorLine, CursorOffset);
}

void TWPRTFTextInput::EndMove(bool extend, bool scroll, bool horizontal) {
  if (extend) {
    SetBlockEnd(true, CursorPar, CursorLine, CursorOffset);
    Extending = true;
  }
  UpdateWritingAttr();
  CursorXPos = CaretX();
  if (horizontal) RememberedX = CursorXPos;
  TellPosition();
  if (scroll) {
    ScrollToCursor();
  } else {
    UpdateCaret();
    if (OnPositionChanged) OnPositionChanged();
  }
}

// --- steps -------------------------------------------------------------------------------------

bool TWPRTFTextInput::StepRight() {
  const int p = CursorPos(), len = ParLength(CursorPar);
  if (p < len) {
    int q = p + 1;
    while (q < len && Skipped(CursorPar, q)) ++q;
    PlaceCursor(CursorPar, q);
    return true;
  }
  TWPParagraphRec* next = CursorPar->next;
  if (!next) return false;
  int q = 0;
  const int nlen = ParLength(next);
  while (q < nlen && Skipped(next, q)) ++q;
  PlaceCursor(next, q);
  return true;
}

bool TWPRTFTextInput::StepLeft() {
  int q = CursorPos() - 1;
  while (q >= 0 && Skipped(CursorPar, q)) --q;
  if (q >= 0) {
    PlaceCursor(CursorPar, q);
    return true;
  }
  TWPParagraphRec* prev = CursorPar->prev;
  if (!prev) return false;
  PlaceCursor(prev, ParLength(prev));
  return true;
}

bool TWPRTFTextInput::StepWordLeft() {
  PlaceCursor(CursorPar, CursorPos());
  const int p = CursorPos();
  const int ls = PosInPar(CursorPar, CursorLine, 0);
  auto shown = [&](int k) { return !Skipped(CursorPar, k); };
  bool anyShown = false;
  for (int k = ls; k < p && !anyShown; ++k) anyShown = shown(k);
  // At the line's start the move goes on as a character move.
  if (!anyShown) return StepLeft();
  // Back over what is no word, then to the first character of the word
  // (characters not shown count as if they were not there).
  int q = p - 1;
  while (q > ls && (!shown(q) || !WordChar(CharAt(CursorPar, q)))) --q;
  if (shown(q) && WordChar(CharAt(CursorPar, q))) {
    for (int k = q - 1; k >= ls; --k) {
      if (!shown(k)) continue;
      if (!WordChar(CharAt(CursorPar, k))) {
        // A backspace character in front of the word goes with it.
        if (CharAt(CursorPar, k) == '\b') q = k;
        break;
      }
      q = k;
    }
  } else {
    q = ls;
  }
  while (q < p && !shown(q)) ++q;
  PlaceCursor(CursorPar, q);
  return true;
}

bool TWPRTFTextInput::StepWordRight() {
  PlaceCursor(CursorPar, CursorPos());
  const int p = CursorPos();
  const int le = PosInPar(CursorPar, CursorLine, 0) + CursorLine->Length;
  // At the line's end the move goes on as a character move.
  if (p >= le) return StepRight();
  auto shown = [&](int k) { return !Skipped(CursorPar, k); };
  int q = p;
  while (q < le && (!shown(q) || !WordChar(CharAt(CursorPar, q)))) ++q;
  // Behind the word, at most at the line's end.
  while (q < le && (!shown(q) || WordChar(CharAt(CursorPar, q)))) ++q;
  PlaceCursor(CursorPar, q);
  return true;
}

bool TWPRTFTextInput::StepLine(bool down) {
  TWPParagraphRec* p = CursorPar;
  TWPLineRec* l = CursorLine;
  if (down) {
    if (l->next) {
      l = l->next;
    } else if (p->next) {
      p = p->next;
      l = p->line;
    } else {
      return false;
    }
  } else {
    if (l->prev) {
      l = l->prev;
    } else if (p->prev) {
      p = p->prev;
      l = Get_LastLine(p);
    } else {
      return false;
    }
  }
  int o = OffsetAtX(p, l, RememberedX);
  PassSkipped(l, o);
  CursorPar = p;
  CursorLine = l;
  CursorOffset = o;
  return true;
}

void TWPRTFTextInput::PageMove(bool down) {
  const int page = std::max(VisibleHeight, 1);
  const int64_t top = CursorLine->Top;
  // The view moves a page and the cursor with it.
  if (down) PageDown();
  else ScrollUp(page);
  const int64_t target = down ? top + page : top - page;
  TWPParagraphRec* p = FirstPar;
  TWPLineRec* l = FirstPar->line;
  if (target >= TotalHeight) {
    p = LastParagraph();
    l = Get_LastLine(p);
  } else if (target > 0) {
    LineAtPoint(0, static_cast<int>(target) + 1, p, l);
  }
  int o = OffsetAtX(p, l, RememberedX);
  PassSkipped(l, o);
  CursorPar = p;
  CursorLine = l;
  CursorOffset = o;
}

// --- the moves ---------------------------------------------------------------------------------

void TWPRTFTextInput::RepeatMove(int count, bool extend, bool scroll, bool horizontal,
                                 bool (TWPRTFTextInput::*step)()) {
  if (count < 1 || MovementLocked() || !CursorPar || !CursorLine) return;
  BeginMove(extend);
  for (int i = 0; i < count && (this->*step)(); ++i) {
  }
  EndMove(extend, scroll, horizontal);
}

void TWPRTFTextInput::CursorLeft(int count, bool extend, bool scroll) {
  RepeatMove(count, extend, scroll, true, &TWPRTFTextInput::StepLeft);
}
void TWPRTFTextInput::CursorRight(int count, bool extend, bool scroll) {
  RepeatMove(count, extend, scroll, true, &TWPRTFTextInput::StepRight);
}
void TWPRTFTextInput::WordLeft(int count, bool extend, bool scroll) {
  RepeatMove(count, extend, scroll, true, &TWPRTFTextInput::StepWordLeft);
}
void TWPRTFTextInput::WordRight(int count, bool extend, bool scroll) {
  RepeatMove(count, extend, scroll, true, &TWPRTFTextInput::StepWordRight);
}
void TWPRTFTextInput::CursorUp(int count, bool extend, bool scroll) {
  RepeatMove(count, extend, scroll, false, &TWPRTFTextInput::StepUp);
}
void TWPRTFTextInput::CursorDown(int count, bool extend, bool scroll) {
  RepeatMove(count, extend, scroll, false, &TWPRTFTextInput::StepDown);
}

void TWPRTFTextInput::CursorCommand(TWPCursorCommand command, bool extend, bool scroll) {
  if (MovementLocked() || !CursorPar || !CursorLine) return;
  BeginMove(extend);
  auto firstShown = [this](TWPParagraphRec* par) {
    int q = 0;
    const int len = ParLength(par);
    while (q < len && Skipped(par, q)) ++q;
    return q;
  };
  bool horizontal = true;
  switch (command) {
    case ccLineStart:
      CursorOffset = 0;
      PassSkipped(CursorLine, CursorOffset);
      break;
    case ccLineEnd: CursorOffset = CursorLine->Length; break;
    case ccPageUp:
    case ccPageDown:
      PageMove(command == ccPageDown);
      horizontal = false;
      break;
    case ccTextStart: PlaceCursor(FirstPar, firstShown(FirstPar)); break;
    case ccTextEnd: {
      TWPParagraphRec* last = LastParagraph();
      PlaceCursor(last, ParLength(last));
      break;
    }
    case ccParagraphUp:
      if (CursorPos() > firstShown(CursorPar)) PlaceCursor(CursorPar, firstShown(CursorPar));
      else if (CursorPar->prev) PlaceCursor(CursorPar->prev, firstShown(CursorPar->prev));
      break;
    case ccParagraphDown:
      if (CursorPar->next) PlaceCursor(CursorPar->next, firstShown(CursorPar->next));
      else PlaceCursor(CursorPar, ParLength(CursorPar));
      break;
  }
  EndMove(extend, scroll, horizontal);
}

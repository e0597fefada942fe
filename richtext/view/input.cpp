// Text input of the text engine: typed characters, line and paragraph
// breaks, page breaks, Backspace and Delete as edits of the model, the
// re-layout and repaint each one needs, the writing attribute that follows
// the cursor, and object insertion. Cursor moves are in cursor.cpp.
// Every edit here deletes a marked block first (or drops a bare anchor),
// marks the paragraph for measuring and breaking and lays it out at once, so
// the layout's invariants hold again when the call returns.
#include <algorithm>

#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "richtext/view/input.h"

namespace {

int KindToRepaint(int kind) {
  switch (kind) {
    case wpcBelowMoves: return wprAll;
    case wpcFromLine: return wprParagraph;
    default: return wprChangedLines;
  }
}

// The character at a paragraph position: its line and offset (at a line
// boundary the following line's first character).
bool CharPlace(const TWPParagraphRec* par, int pos, TWPLineRec*& line, int& offset) {
  for (TWPLineRec* l = par->line; l; l = l->next) {
    if (pos < l->Length) {
      line = l;
      offset = pos;
      return true;
    }
    pos -= l->Length;
  }
  return false;
}

}  // namespace

// --- the set-mode object ---------------------------------------------------------------

uint32_t TWPSetModeControl::Style() const { return engine_ ? engine_->WritingAttr.Style : 0; }
int TWPSetModeControl::TextColorNumber() const { return engine_ ? engine_->WritingAttr.Colors & 0x0F : 0; }
int TWPSetModeControl::BackgroundColorNumber() const { return engine_ ? engine_->WritingAttr.Colors >> 4 : 0; }
AnsiString TWPSetModeControl::FontName() const {
  if (!engine_ || engine_->WritingAttr.Font >= kWPFontCount) return {};
  return engine_->Header->FontNames[engine_->WritingAttr.Font];
}
int TWPSetModeControl::FontSize() const { return engine_ ? engine_->WritingAttr.Size : 0; }

// --- construction and the lower layers' operations ---------------------------------------

TWPRTFTextInput::TWPRTFTextInput() = default;
TWPRTFTextInput::~TWPRTFTextInput() = default;

void TWPRTFTextInput::Clear() {
  TWPRTFTextPaint::Clear();
  BlockStart = BlockEnd = {};
  TopOffset = 0;
  HorzOffset = 0;
  RememberedX = 0;
  CursorPar = FirstPar;
  CursorLine = FirstPar ? FirstPar->line : nullptr;
  CursorOffset = 0;
  lastCheckedPar_ = nullptr;
  UpdateWritingAttr();
}

void TWPRTFTextInput::ReadWith(TWPTextReader* reader) {
  // An insertion splits lines: no block may point into them.
  if (HasBlock()) HideSelection();
  BlockStart = BlockEnd = {};
  TWPRTFTextPaint::ReadWith(reader);
  UpdateWritingAttr();
}

void TWPRTFTextInput::MoveCursorToPosition(int position, int lineNumber) {
  TWPRTFTextPaint::MoveCursorToPosition(position, lineNumber);
  if (CursorLine && CursorOffset >= CursorLine->Length && CursorLine->next) {
    CursorLine = CursorLine->next;
    CursorOffset = 0;
  }
  UpdateWritingAttr();
  TellPosition();
}

void TWPRTFTextInput::CursorToPoint(int x, int y, bool extend, bool keepScrolling) {
  if (MovementLocked()) return;
  TWPRTFTextPaint::CursorToPoint(x, y, extend, keepScrolling);
  // A press leaves an anchor, a drag the block's end, at the cursor:
  // extending by keys goes on from there.
  Extending = true;
  UpdateWritingAttr();
  TellPosition();
  if (!keepScrolling && OnPositionChanged) OnPositionChanged();
}

void TWPRTFTextInput::TellPosition() {
  if (AttrListener) AttrListener->PositionChanged();
}

void TWPRTFTextInput::SelectionChanged() {
  TWPRTFTextPaint::SelectionChanged();
  if (AttrListener) AttrListener->SelectionChanged();
}

// --- positions in the cursor paragraph ------------------------------------------------------

int TWPRTFTextInput::CursorPos() const {
  if (!CursorPar || !CursorLine) return 0;
  return PosInPar(CursorPar, CursorLine, std::clamp(CursorOffset, 0, static_cast<int>(CursorLine->Length)));
}

void TWPRTFTextInput::PlaceCursor(TWPParagraphRec* par, int pos) {
  CursorPar = par;
  LocateInPar(par, std::max(pos, 0), CursorLine, CursorOffset);
  if (CursorOffset >= CursorLine->Length && CursorLine->next) {
    CursorLine = CursorLine->next;
    CursorOffset = 0;
  }
}

bool TWPRTFTextInput::Skipped(const TWPParagraphRec* par, int pos) const {
  TWPLineRec* l;
  int o;
  if (pos < 0 || !CharPlace(par, pos, l, o) || !l->pa) return false;
  return CharHidden(l->pa[o]) || (l->pa[o].Style & wpsAutoNumber);
}

char TWPRTFTextInput::CharAt(const TWPParagraphRec* par, int pos) const {
  TWPLineRec* l;
  int o;
  return pos >= 0 && CharPlace(par, pos, l, o) ? l->pc[o] : '\0';
}

// --- input ---------------------------------------------------------------------------------

void TWPRTFTextInput::InputString(std::string_view text) {
  if (ReadOnly || Busy || text.empty() || !CursorPar || !CursorLine) return;
  {
    InputRunning = true;
    TScopeExit ran{[this] { InputRunning = false; }};
    if (OnBeforeInput) OnBeforeInput();
    LastRepaint = CharInput(text);
    // Painted with the offsets the lines were laid out under; scrolling then
    // moves correct pixels.
    if (text.size() == 1) Repaint(LastRepaint);
    ScrollToCursor();
  }
  if (OnAfterInput) OnAfterInput();
}

int TWPRTFTextInput::CharInput(std::string_view text) {
  if (!Created || !CursorPar || !CursorLine) return wprNothing;
  if (!ObjectInsertion) WritingAttr.Style &= ~(wpsInsertPoint | wpsObject);
  // The word at the cursor is checked again once it is finished.
  {
    const int p = CursorPos();
    for (int k = p - 2; k <= p; ++k) {
      TWPLineRec* l;
      int o;
      if (k >= 0 && CharPlace(CursorPar, k, l, o) && l->pa) l->pa[o].Style &= ~wpsSpellChecked;
    }
  }
  int result = wprNothing;
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int r = wprNothing;
    switch (c) {
      case 12: r = FormFeed(); break;
      case 8: r = Backspace(); break;
      case 127: r = DeleteForward(); break;
      case 13:
        r = Enter(false);
        // A Windows line end is one paragraph break.
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        break;
      default: r = TypeChar(static_cast<char>(c)); break;
    }
    result = std::max(result, r);
  }
  if (RenumberNeeded) {
    // Items after a split or joined numbered paragraph count on.
    RenumberNeeded = false;
    RenumberParagraphs();
    PrepareLayout();
    ReformatAll();
    result = wprAll;
  }
  UpdateWritingAttr();
  if (OnChanged) OnChanged();
  CheckAfterEdit();
  return result;
}

void TWPRTFTextInput::Repaint(int result) {
  if (result == wprAll) {
    PaintAll();
    return;
  }
  if (result == wprNothing || !CursorPar) return;
  for (TWPLineRec* l = CursorPar->line; l; l = l->next) {
    if (result == wprParagraph || (l->Flags & wplChanged)) PaintLine(CursorPar, l);
    l->Flags &= ~wplChanged;
  }
}

void TWPRTFTextInput::ParOrBlockCheck() {
  if (HasBlock() || CursorPar != lastCheckedPar_) {
    lastCheckedPar_ = CursorPar;
    if (OnParOrBlockChanged) OnParOrBlockChanged();
  }
}

bool TWPRTFTextInput::ClearBlockForEdit(int& result) {
  if (HasBlock()) {
    if (!DeleteBlock()) return false;
    result = wprAll;
  }
  // A bare anchor points into lines the edit may free.
  BlockStart = BlockEnd = {};
  BlockReversed = false;
  Extending = false;
  return true;
}

int TWPRTFTextInput::TypeChar(char c) {
  int result = wprNothing;
  ParOrBlockCheck();
  if (!ClearBlockForEdit(result)) return result;
  if ((WritingAttr.Style & wpsHidden) && !ShowHidden() && !ObjectInsertion) return result;
  TWPParagraphRec* par = CursorPar;
  int p = CursorPos();
  // Never inside a hidden run (a link's stamp): behind it.
  if (p > 0 && Skipped(par, p - 1) && Skipped(par, p)) {
    const int len = ParLength(par);
    while (p < len && Skipped(par, p)) ++p;
  }
  TWPLineRec* l;
  int o;
  LocateInPar(par, p, l, o);
  if (!InsertChar(par, l, c, o)) return result;
  par->ChangeFlags |= wpcMeasure | wpcBreak;
  PlaceCursor(par, p + 1);
  const int kind = UpdateParagraph(par);
  if (kind == wpcNone && CursorLine) {
    // The line itself is painted again (an overwritten character).
    TWPLineRec* changed = CursorOffset > 0 || !CursorLine->prev ? CursorLine : CursorLine->prev;
    changed->Flags |= wplChanged;
  }
  result = std::max(result, KindToRepaint(kind));
  RememberedX = CaretX();
  if (c == '\n') result = wprAll;
  return result;
}

int TWPRTFTextInput::Enter(bool pageBreak) {
  int result = wprAll;
  if (OnParOrBlockChanged) OnParOrBlockChanged();
  lastCheckedPar_ = CursorPar;
  if (!ClearBlockForEdit(result)) return result;
  TWPParagraphRec* par = CursorPar;
  if (par->Numbering) RenumberNeeded = true;
  // A link's stamp stays with its text.
  int p = CursorPos();
  const int len = ParLength(par);
  while (p < len && Skipped(par, p)) ++p;
  if (par == FirstPar && p == 0) {
    // At the very start: an empty paragraph above, the cursor stays.
    TWPParagraphRec* np = nullptr;
    NewParagraph(np, 0);
    CopyFormatting(np, par, true);
    np->Flags &= ~(wppPageBreak | wppTableCell | wppRowContinues | wppRowGoesOn);
    np->next = par;
    par->prev = np;
    FirstPar = np;
    np->ChangeFlags |= wpcMeasure | wpcBreak;
    par->ChangeFlags |= wpcMeasure | wpcBreak;
    PlaceCursor(par, 0);
  } else if (!(par->Flags & wppTableCell)) {
    TWPLineRec* l;
    int o;
    LocateInPar(par, p, l, o);
    if (!SplitParagraph(par, l, o)) return result;
    TWPParagraphRec* np = par->next;
    if (pageBreak) np->Flags |= wppPageBreak;
    else np->Flags &= ~wppPageBreak;
    PlaceCursor(np, 0);
  } else {
    // A table cell is one paragraph.
    return wprNothing;
  }
  RememberedX = 0;
  if (CursorLine->Length == 0 && CursorLine->pa) {
    CursorLine->pa[0] = WritingAttr;
    CursorLine->pa[0].Font = WPValidFont(CursorLine->pa[0].Font);
  }
  PrepareLayout();
  ReformatAll();
  if (OnParagraphAdded) OnParagraphAdded();
  return result;
}

int TWPRTFTextInput::FormFeed() {
  int result = wprAll;
  if (!ClearBlockForEdit(result)) return result;
  const int p = CursorPos();
  if (!(CursorPar->Flags & wppPageBreak) || p != 0) {
    if (p > 0) return Enter(true);
    CursorPar->Flags |= wppPageBreak;
  } else {
    CursorPar->Flags &= ~wppPageBreak;
  }
  Relayout();
  return wprAll;
}

bool TWPRTFTextInput::JoinNext(TWPParagraphRec* par) {
  TWPParagraphRec* next = par->next;
  if (!next || (par->Flags & wppTableCell) || (next->Flags & wppTableCell)) return false;
  // The joined paragraph's number goes with its paragraph.
  int autoLen = 0;
  for (TWPLineRec* l = next->line; l; l = l->next) {
    int i = 0;
    while (i < l->Length && l->pa && (l->pa[i].Style & wpsAutoNumber)) ++i;
    autoLen += i;
    if (i < l->Length) break;
  }
  if (autoLen > 0) {
    DeleteTextAt(next, 0, autoLen);
    RenumberNeeded = true;
  }
  const int pos = ParLength(par);
  TWPLineRec* last = Get_LastLine(par);
  if (!DeleteChar(par, last, last->Length)) return false;
  PlaceCursor(par, pos);
  par->ChangeFlags |= wpcMeasure | wpcBreak;
  PrepareLayout();
  ReformatAll();
  return true;
}

bool TWPRTFTextInput::DeletedBlock(int& result) {
  ParOrBlockCheck();
  const bool block = HasBlock();
  ClearBlockForEdit(result);
  return block;
}

int TWPRTFTextInput::Backspace() {
  int result = wprNothing;
  if (DeletedBlock(result)) return result;
  TWPParagraphRec* par = CursorPar;
  const int p = CursorPos();
  // The nearest shown character before the cursor goes; hidden ones stay.
  int q = p - 1;
  while (q >= 0 && Skipped(par, q)) --q;
  if (q < 0) {
    TWPParagraphRec* prev = par->prev;
    if (!prev) return result;
    if (prev->Numbering) RenumberNeeded = true;
    return JoinNext(prev) ? wprAll : result;
  }
  TWPLineRec* l = nullptr;
  int o = 0;
  if (!CharPlace(par, q, l, o) || !DeleteChar(par, l, o)) return result;
  PlaceCursor(par, q);
  const int kind = UpdateParagraph(par);
  RememberedX = CaretX();
  return std::max(result, KindToRepaint(kind));
}

int TWPRTFTextInput::DeleteForward() {
  int result = wprNothing;
  if (DeletedBlock(result)) return result;
  TWPParagraphRec* par = CursorPar;
  const int p = CursorPos();
  const int len = ParLength(par);
  // The nearest shown character behind the cursor goes; hidden ones stay.
  int q = p;
  while (q < len && Skipped(par, q)) ++q;
  if (q < len) {
    TWPLineRec* l = nullptr;
    int o = 0;
    if (!CharPlace(par, q, l, o) || !DeleteChar(par, l, o)) return result;
    PlaceCursor(par, p);
    const int kind = UpdateParagraph(par);
    return std::max(result, KindToRepaint(kind));
  }
  if (par->Numbering) RenumberNeeded = true;
  if (!par->next) {
    // Past the end of the text only the last paragraph's format goes (a
    // table cell stays a cell).
    par->BorderFlags = 0;
    par->BorderStyle = 0;
    par->Shading = 0;
    par->ShadingPercent = 0;
    par->Flags &= wppTableCell | wppRowContinues | wppRowGoesOn;
    par->ChangeFlags |= wpcMeasure | wpcBreak;
    PrepareLayout();
    ReformatAll();
    return wprAll;
  }
  return JoinNext(par) ? wprAll : result;
}

// --- objects ------------------------------------------------------------------------------------

TWPObjectEntry* TWPRTFTextInput::InsertObjectAtCursor(int& number, TWPTextObject* object, int32_t widthTwips,
                                                      int32_t heightTwips) {
  if (!object) throw Exception("No object was defined");
  TWPObjectEntry* e = AddObject(object, number, widthTwips, heightTwips);
  int32_t w = 0, h = 0;
  ObjectSize(e, w, h);
  if (e->Width == 0) e->Width = w;
  if (e->Height == 0) e->Height = h;
  const bool second = number == 0;
  number = second ? e->SecondNumber : e->Number;
  const TWPAttrRecord saved = WritingAttr;
  ObjectInsertion = true;
  TScopeExit inserted{[this] { ObjectInsertion = false; }};
  WritingAttr.Tag = static_cast<uint16_t>(number);
  WritingAttr.Width = static_cast<uint16_t>(std::clamp(MulDiv(w, ResX(), 1440), 0, 65535));
  WritingAttr.Height = static_cast<uint16_t>(std::clamp(MulDiv(h, ResY(), 1440), 0, 65535));
  WritingAttr.Style = (WritingAttr.Style | wpsObject) & ~(wpsInsertPoint | wpsAutomatic);
  try {
    InputString(std::string(1, second ? '\x02' : '\x01'));
  } catch (...) {
    // A failed insertion takes back the whole attribute, a done one only
    // the object's part.
    WritingAttr = saved;
    throw;
  }
  WritingAttr.Tag = 0;
  WritingAttr.Style &= ~wpsObject;
  return e;
}

// --- the writing attribute -------------------------------------------------------------------

void TWPRTFTextInput::UpdateWritingAttr() {
  if (Busy) return;
  const TWPAttrRecord old = WritingAttr;
  bool found = false;
  TWPAttrRecord rec;
  if (Header->KeepAttributes && CursorPar && CursorLine && CursorLine->pa) {
    TWPLineRec* l = CursorLine;
    const int o = std::clamp(CursorOffset, 0, static_cast<int>(l->Length));
    if (o == 0 && l->Length == 0 && l->pa[0].Size) {
      rec = l->pa[0];
      found = true;
    } else if (o > 0) {
      rec = l->pa[o - 1];
      found = true;
    } else if (l->prev && l->prev->Length > 0) {
      rec = l->prev->pa[l->prev->Length - 1];
      found = true;
    } else if (l->Length > 0) {
      // At the paragraph's start the text that follows.
      rec = l->pa[0];
      found = true;
    } else {
      // An empty line: the nearest line with text.
      for (TWPLineRec* k = l->prev; k && !found; k = k->prev)
        if (k->Length > 0) {
          rec = k->pa[k->Length - 1];
          found = true;
        }
      for (TWPLineRec* k = l->next; k && !found; k = k->next)
        if (k->Length > 0) {
          rec = k->pa[0];
          found = true;
        }
    }
    if (found && (ProtectMode & ProtectBit(ppDontUseAttrOfProtected))) {
      const bool refused = ((ProtectMode & ProtectBit(ppProtected)) && (rec.Style & wpsProtected)) ||
                           ((ProtectMode & ProtectBit(ppIsInsertpoint)) && (rec.Style & wpsInsertPoint)) ||
                           ((ProtectMode & ProtectBit(ppAutomatic)) && (rec.Style & wpsAutomatic)) ||
                           ((ProtectMode & ProtectBit(ppHidden)) && (rec.Style & wpsHidden)) ||
                           ((ProtectMode & ProtectBit(ppIsInvisible)) && rec.Width == 0);
      if (refused) found = false;
    }
  }
  if (found) WritingAttr = rec;
  if (AttrListener && (!found || old.Font != WritingAttr.Font || old.Size != WritingAttr.Size ||
                       old.Colors != WritingAttr.Colors || old.Style != WritingAttr.Style))
    AttrListener->AttributeChanged();
  if (!ObjectInsertion) {
    uint32_t drop = wpsHidden | wpsFootnote | wpsInsertPoint | wpsAutomatic | wpsObject | wpsAutoNumber;
    if (ProtectMode & ProtectBit(ppProtected)) drop |= wpsProtected;
    // Behind a hidden, object or link character the tag is that one's own.
    if (found && (rec.Style & (wpsHidden | wpsObject | wpsHyperlink))) WritingAttr.Tag = 0;
    if (CursorPar && !CursorPar->next && CursorLine && !CursorLine->next && CursorOffset >= CursorLine->Length)
      drop |= wpsBookmark;
    WritingAttr.Style &= ~drop;
  }
  WritingAttr.Style &= ~(wpsSpellPending | wpsSpellChecked | wpsMisspelled);
}

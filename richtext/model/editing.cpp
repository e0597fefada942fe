// Editing operations of the text model: characters, runs, paragraphs,
// attribute ranges, protection, copying out, numbering and the text-run
// report. Every operation keeps the chain invariants of text.h, marks what it
// changed (paragraph change bits, the line's changed bit) and leaves breaking
// and measuring to layout. No line ever grows past 9999 characters: texts
// that would not fit are spread over further lines of the same paragraph,
// which layout joins and breaks again.
#include <algorithm>
#include <cstring>

#include "platform/rtl/scopeexit.h"
#include "richtext/model/text.h"

namespace {

TWPAttrRecord Valid(const TWPAttrRecord& a) {
  TWPAttrRecord r = a;
  r.Font = WPValidFont(r.Font);
  return r;
}

void MarkPar(TWPParagraphRec* par) { par->ChangeFlags |= wpcBreak | wpcMeasure; }

// Room for `chars` characters plus the terminating 0, with some slack so
// that typing does not reallocate at every key.
int RoomFor(int chars) { return std::min(kWPMaxLineCapacity, chars + 4 + chars / 2); }

}  // namespace

// --- helpers ----------------------------------------------------------------

TWPLineRec* TWPRTFText::SplitLineAt(TWPLineRec* line, int offset) {
  if (!line) return nullptr;
  if (offset < 0) offset = 0;
  if (offset >= line->Length) return nullptr;
  const int tailLen = line->Length - offset;
  TWPLineRec* tail = line;
  NewTextLine(tail, tailLen);
  if (tail == line) throw EOutOfMemory("Out of memory");
  std::memcpy(tail->pc, line->pc + offset, tailLen);
  tail->pc[tailLen] = 0;
  if (tail->pa && line->pa) WPCopyAttribs(tail->pa, 0, line->pa, tailLen, offset);
  tail->Length = static_cast<uint16_t>(tailLen);
  tail->Flags |= wplChanged;
  line->Length = static_cast<uint16_t>(offset);
  line->pc[offset] = 0;
  line->Flags |= wplChanged;
  if (CursorLine == line && CursorOffset > offset) {
    CursorLine = tail;
    CursorOffset -= offset;
  }
  return tail;
}

TWPLineRec* TWPRTFText::InsertLines(TWPParagraphRec* par, TWPLineRec* after, std::string_view text,
                                    const TWPAttrRecord& attr) {
  const TWPAttrRecord a = Valid(attr);
  size_t done = 0;
  while (done < text.size()) {
    const int n = static_cast<int>(std::min<size_t>(kWPMaxLineChars, text.size() - done));
    TWPLineRec* l = after;
    NewTextLine(l, n);
    if (l == after || !l) throw EOutOfMemory("Out of memory");
    if (!after) {  // in front of the paragraph's lines
      l->next = par->line;
      if (par->line) par->line->prev = l;
      par->line = l;
    }
    std::memcpy(l->pc, text.data() + done, n);
    l->pc[n] = 0;
    l->Length = static_cast<uint16_t>(n);
    if (l->pa)
      for (int i = 0; i < l->Capacity; ++i) l->pa[i] = a;
    l->Flags |= wplChanged;
    after = l;
    done += n;
  }
  return after;
}

// --- character operations ---------------------------------------------------

bool TWPRTFText::InsertChar(TWPParagraphRec* par, TWPLineRec* line, char c, int offset) {
  if (!par || !line) return false;
  if (IsProtected(par, line, offset)) {
    Beep();
    return false;
  }
  if ((par->Flags & wppTableCell) && (par->CellFlags & 0xF0) == 0xF0) return false;
  offset = std::clamp(offset, 0, static_cast<int>(line->Length));
  const bool overwrite = !InsertMode && offset < line->Length;
  if (!overwrite && line->Length >= kWPMaxLineChars) {
    // A full line: what lies behind the offset moves to a new line; at the
    // very end the character starts a new line.
    if (offset < line->Length) {
      SplitLineAt(line, offset);
    } else {
      TWPLineRec* l = line;
      NewTextLine(l, 8);
      if (l == line) throw EOutOfMemory("Out of memory");
      line = l;
      offset = 0;
    }
  }
  if (line->Capacity - line->Length < 4) GrowLineBuffer(line, RoomFor(line->Length + 1));
  const TWPAttrRecord w = Valid(WritingAttr);
  if (offset < line->Length) {
    if (!overwrite) {
      std::memmove(line->pc + offset + 1, line->pc + offset, line->Length - offset + 1);
      if (line->pa) WPCopyAttribs(line->pa, offset + 1, line->pa, line->Length - offset, offset);
      ++line->Length;
    }
    line->pc[offset] = c;
    if (line->pa) line->pa[offset] = w;
  } else {
    line->pc[offset] = c;
    ++line->Length;
    line->pc[line->Length] = 0;
    SetCharAttr(line, offset, w);
  }
  line->Flags |= wplChanged;
  return true;
}

bool TWPRTFText::DeleteChar(TWPParagraphRec* par, TWPLineRec* line, int offset) {
  if (!par || !line) return false;
  const bool insertMode = InsertMode;
  InsertMode = false;
  const bool prot = IsProtected(par, line, offset);
  InsertMode = insertMode;
  if (prot) {
    Beep();
    return false;
  }
  if (offset < 0) offset = 0;
  if (offset < line->Length) {
    std::memmove(line->pc + offset, line->pc + offset + 1, line->Length - offset);
    if (line->pa) WPCopyAttribs(line->pa, offset, line->pa, line->Length - offset - 1, offset + 1);
    --line->Length;
    line->Flags |= wplChanged;
    if (CursorLine == line && CursorOffset > offset) --CursorOffset;
    MarkPar(par);
    return true;
  }
  if (line->next) {  // join the next line of the paragraph into this one
    TWPLineRec* n = line->next;
    const int old = line->Length;
    const int total = old + n->Length;
    if (total > kWPMaxLineChars) return false;  // both stay; the text is the same
    if (total + 6 > line->Capacity) GrowLineBuffer(line, std::min(kWPMaxLineCapacity, total + 6));
    std::memcpy(line->pc + old, n->pc, n->Length);
    if (line->pa && n->pa) WPCopyAttribs(line->pa, old, n->pa, n->Length, 0);
    line->Length = static_cast<uint16_t>(total);
    line->pc[total] = 0;
    line->Flags |= wplChanged;
    if (CursorLine == n) {
      CursorLine = line;
      CursorOffset += old;
    }
    UnlinkAndFreeLine(n, par);
    MarkPar(par);
    return true;
  }
  TWPParagraphRec* np = par->next;
  if (!np || (par->Flags & wppTableCell)) return false;
  const bool empty = !par->line->next && par->line->Length == 0;
  if (empty) {
    // An empty paragraph takes over the next one's formatting and text.
    CopyFormatting(par, np, true);
    if (np->Flags & wppTableCell) {
      par->ColWidth = np->ColWidth;
      par->ColStart = np->ColStart;
      par->CellFlags = np->CellFlags;
      par->CellExtra = np->CellExtra;
    }
    TWPLineRec* old = par->line;
    if (CursorLine == old) {
      CursorLine = np->line;
      CursorOffset = 0;
    }
    par->line = np->line;
    FreeLine(old);
  } else {
    TWPLineRec* last = Get_LastLine(par);
    last->next = np->line;
    np->line->prev = last;
  }
  if (CursorPar == np) CursorPar = par;
  par->next = np->next;
  if (np->next) np->next->prev = par;
  np->line = nullptr;
  delete np;
  MarkPar(par);
  return true;
}

bool TWPRTFText::SplitParagraph(TWPParagraphRec* par, TWPLineRec* line, int offset) {
  if (!par || !line) return false;
  if (IsProtected(par, line, offset)) {
    Beep();
    return false;
  }
  offset = std::clamp(offset, 0, static_cast<int>(line->Length));
  if (line->pa) {
    if (offset > 0) line->pa[offset - 1].Style &= ~wpsSpellChecked;
    if (offset < line->Length) line->pa[offset].Style &= ~wpsSpellChecked;
  }
  const int tailLen = line->Length - offset;
  TWPParagraphRec* np = par;
  NewParagraph(np, tailLen);
  // Enter in a numbered list starts another item of it: renumbering then
  // gives it the next number and the items after it count on.
  np->Numbering = par->Numbering;
  TWPLineRec* first = np->line;
  std::memcpy(first->pc, line->pc + offset, tailLen);
  first->pc[tailLen] = 0;
  if (tailLen > 0 && first->pa && line->pa) WPCopyAttribs(first->pa, 0, line->pa, tailLen, offset);
  first->Length = static_cast<uint16_t>(tailLen);
  first->Flags |= wplChanged;
  TWPLineRec* follow = line->next;
  if (follow) {
    line->next = nullptr;
    first->next = follow;
    follow->prev = first;
  }
  line->Length = static_cast<uint16_t>(offset);
  line->pc[offset] = 0;
  line->Flags |= wplChanged;
  if (CursorPar == par) {
    if (CursorLine == line && CursorOffset > offset) {
      CursorPar = np;
      CursorLine = first;
      CursorOffset -= offset;
    } else {
      for (TWPLineRec* l = follow; l; l = l->next)
        if (l == CursorLine) CursorPar = np;
    }
  }
  MarkPar(par);
  MarkPar(np);
  return true;
}

void TWPRTFText::ReplaceInLine(TWPParagraphRec* par, TWPLineRec* line, int offset, int deleteCount,
                               const char* text, int length, const TWPAttrRecord* attr) {
  if (!par || !line) return;
  offset = std::clamp(offset, 0, static_cast<int>(line->Length));
  deleteCount = std::clamp(deleteCount, 0, line->Length - offset);
  if (!text || length < 0) length = 0;
  TWPAttrRecord a;
  if (attr) a = *attr;
  else if (line->pa) a = line->pa[offset < line->Length ? offset : (offset > 0 ? offset - 1 : 0)];
  else a = WritingAttr;
  a = Valid(a);
  const bool cursorHere = CursorLine == line;
  int cursorPos = CursorPosIn(par);
  const int startPos = PosInPar(par, line, offset);
  const int newLen = line->Length - deleteCount + length;
  if (newLen > kWPMaxLineChars) {
    // Too long for one line: the tail goes to a line of its own and the
    // text fills this line and new ones in between.
    SplitLineAt(line, offset + deleteCount);
    line->Length = static_cast<uint16_t>(offset);
    line->pc[offset] = 0;
    const int fit = std::min(length, kWPMaxLineChars - offset);
    if (offset + fit + 1 > line->Capacity) GrowLineBuffer(line, std::min(kWPMaxLineCapacity, offset + fit + 1));
    std::memcpy(line->pc + offset, text, fit);
    if (line->pa)
      for (int i = 0; i < fit; ++i) line->pa[offset + i] = a;
    line->Length = static_cast<uint16_t>(offset + fit);
    line->pc[line->Length] = 0;
    InsertLines(par, line, std::string_view(text + fit, length - fit), a);
  } else {
    if (newLen + 1 > line->Capacity) GrowLineBuffer(line, RoomFor(newLen));
    const int from = offset + deleteCount;
    const int tail = line->Length - from;
    if (length != deleteCount) {
      std::memmove(line->pc + offset + length, line->pc + from, tail);
      if (line->pa) WPCopyAttribs(line->pa, offset + length, line->pa, tail, from);
    }
    std::memcpy(line->pc + offset, text, length);
    if (line->pa)
      for (int i = 0; i < length; ++i) line->pa[offset + i] = a;
    line->Length = static_cast<uint16_t>(newLen);
    line->pc[newLen] = 0;
  }
  line->Flags |= wplChanged;
  MarkPar(par);
  if (cursorPos >= 0 && (cursorHere || newLen > kWPMaxLineChars)) {
    if (cursorPos > startPos) cursorPos = cursorPos >= startPos + deleteCount ? cursorPos + length - deleteCount : startPos;
    CursorTo(par, cursorPos);
  }
}

void TWPRTFText::InsertTextAt(TWPParagraphRec* par, int position, std::string_view text,
                              const TWPAttrRecord* attr) {
  if (!par || text.empty()) return;
  const TWPAttrRecord a = Valid(attr ? *attr : LastDeletedAttr);
  const int cursorPos = CursorPosIn(par);
  position = std::clamp(position, 0, ParLength(par));
  if (position == 0) {
    InsertLines(par, nullptr, text, a);
  } else {
    TWPLineRec* l;
    int off;
    LocateInPar(par, position, l, off);
    SplitLineAt(l, off);
    InsertLines(par, l, text, a);
  }
  MarkPar(par);
  if (cursorPos >= 0) CursorTo(par, cursorPos > position ? cursorPos + static_cast<int>(text.size()) : cursorPos);
  CheckAfterEdit();
}

void TWPRTFText::InsertTextAtCursor(const TWPAttrRecord& attr, std::string_view text) {
  if (text.empty() || !CursorPar || !CursorLine) return;
  const int off = std::clamp(CursorOffset, 0, static_cast<int>(CursorLine->Length));
  SplitLineAt(CursorLine, off);
  TWPLineRec* last = InsertLines(CursorPar, CursorLine, text, attr);
  CursorLine = last;
  CursorOffset = last->Length;
  MarkPar(CursorPar);
  CheckAfterEdit();
}

void TWPRTFText::DeleteTextAt(TWPParagraphRec* par, int position, int count) {
  if (!par || count <= 0) return;
  const int len = ParLength(par);
  if (position < 0) position = 0;
  if (position >= len) return;
  count = std::min(count, len - position);
  int cursorPos = CursorPosIn(par);
  TWPLineRec* l;
  int off;
  LocateInPar(par, position, l, off);
  while (l && off >= l->Length) {
    l = l->next;
    off = 0;
  }
  if (!l) return;
  LastDeletedAttr = l->pa ? l->pa[off] : WritingAttr;
  int remaining = count;
  while (remaining > 0 && l) {
    const int n = std::min(remaining, l->Length - off);
    if (n > 0) {
      std::memmove(l->pc + off, l->pc + off + n, l->Length - off - n + 1);
      if (l->pa) WPCopyAttribs(l->pa, off, l->pa, l->Length - off - n, off + n);
      l->Length = static_cast<uint16_t>(l->Length - n);
      l->Flags |= wplChanged;
      remaining -= n;
    }
    TWPLineRec* next = l->next;
    if (l->Length == 0 && (l != par->line || next)) UnlinkAndFreeLine(l, par);
    l = next;
    off = 0;
  }
  MarkPar(par);
  if (cursorPos >= 0) {
    if (cursorPos > position) cursorPos = std::max(position, cursorPos - count);
    CursorTo(par, cursorPos);
  }
  CheckAfterEdit();
}

void TWPRTFText::SetAttrRange(TWPParagraphRec* par, int position, const TWPAttrRecord& attr, int count) {
  if (!par || count <= 0) return;
  const TWPAttrRecord a = Valid(attr);
  TWPLineRec* l;
  int off;
  LocateInPar(par, position, l, off);
  while (l && count > 0) {
    const int n = std::min(count, l->Length - off);
    if (l->pa && n > 0) {
      for (int i = off; i < off + n; ++i) {
        const uint8_t size = l->pa[i].Size;
        l->pa[i] = a;
        if (a.Size == 0) l->pa[i].Size = size;
      }
      l->Flags |= wplChanged;
    }
    count -= std::max(n, 0);
    l = l->next;
    off = 0;
  }
  MarkPar(par);
  CheckAfterEdit();
}

bool TWPRTFText::IsProtected(TWPParagraphRec* par, TWPLineRec* line, int offset) {
  if (ProtectionOff || !par || !line) return false;
  offset = std::clamp(offset, 0, static_cast<int>(line->Length));
  bool hit = false;
  if ((ProtectMode & ProtectBit(ppParProtected)) && (par->Flags & wppProtected)) {
    hit = true;
  } else if (line->pa && offset < line->Length) {
    // Past the last character there is no character to protect.
    const TWPAttrRecord& r = line->pa[offset];
    hit = ((ProtectMode & ProtectBit(ppProtected)) && (r.Style & wpsProtected)) ||
          ((ProtectMode & ProtectBit(ppIsInsertpoint)) && !InsertMode && (r.Style & wpsInsertPoint)) ||
          ((ProtectMode & ProtectBit(ppAutomatic)) && (r.Style & wpsAutomatic)) ||
          ((ProtectMode & ProtectBit(ppHidden)) && (r.Style & wpsHidden)) ||
          ((ProtectMode & ProtectBit(ppIsInvisible)) && r.Width == 0);
  }
  if (hit && !ProtectionSilent && OnProtectedText) OnProtectedText(par, line, offset);
  return hit;
}

// --- whole-text operations ----------------------------------------------------

int TWPRTFText::CopyText(char* buffer, TWPAttrRecord* attrs, int limit) {
  if (!buffer && !attrs) limit = 0xFFFFFFF;
  if (limit < 1) return 0;
  const int max = limit - 1;
  int n = 0;
  for (TWPParagraphRec* p = FirstPar; p && n < max; p = p->next) {
    for (TWPLineRec* l = p->line; l && n < max; l = l->next) {
      const int k = std::min<int>(l->Length, max - n);
      if (buffer) std::memcpy(buffer + n, l->pc, k);
      if (attrs) {
        if (l->pa) WPCopyAttribs(attrs, n, l->pa, k, 0);
        else std::fill(attrs + n, attrs + n + k, WritingAttr);
      }
      n += k;
    }
    if (p->next && n < max) {
      if (buffer) buffer[n] = 13;
      if (attrs) attrs[n] = p->next->line->pa ? p->next->line->pa[0] : WritingAttr;
      ++n;
    }
  }
  if (buffer) buffer[n] = 0;
  return n;
}

int TWPRTFText::GetParagraphText(int number, AnsiString& text) const {
  text.clear();
  const TWPParagraphRec* p = ParagraphAt(number);
  if (!p) return 0;
  for (const TWPLineRec* l = p->line; l; l = l->next) text.append(l->pc, l->Length);
  return static_cast<int>(text.size());
}

void TWPRTFText::SetParagraphText(int number, const char* text, int length, const TWPAttrRecord* attr) {
  TWPParagraphRec* par = ParagraphAt(std::max(number, 0));
  if (!par) par = LastParagraph();
  while (par->line->next) UnlinkAndFreeLine(Get_LastLine(par), par);
  TWPLineRec* l = par->line;
  if (l->pa) SetWritingAttr(l->pa[0]);
  ReplaceInLine(par, l, 0, l->Length, text, length, attr);
  Changed();
  CheckAfterEdit();
}

void TWPRTFText::AppendParagraph(int number, const char* text, int length, const TWPAttrRecord* attr) {
  TWPParagraphRec* par = ParagraphAt(std::max(number, 0));
  if (!par) par = LastParagraph();
  TWPParagraphRec* target = par;
  const bool emptyFirst = par == FirstPar && !par->line->next && par->line->Length == 0;
  if (!(number == 0 && IsEmpty()) && !emptyFirst) NewParagraph(target, length);
  ReplaceInLine(target, target->line, 0, target->line->Length, text, length, attr);
  MarkPar(target);
  CheckAfterEdit();
}

void TWPRTFText::DeleteParagraph(int number) {
  TWPParagraphRec* par = ParagraphAt(number);
  if (!par) return;
  while (par->line->next) UnlinkAndFreeLine(Get_LastLine(par), par);
  RemoveLine(par->line, par);
  CheckAfterEdit();
}

bool TWPRTFText::InsertParagraphs(TWPParagraphRec*& par, TWPLineRec*& line, TWPParagraphRec* chain, int& offset) {
  if (!chain) return false;
  for (TWPParagraphRec* p = chain; p; p = p->next) MarkPar(p);
  if (IsEmpty()) {
    FreeParagraphChain(FirstPar);
    FirstPar = chain;
    chain->prev = nullptr;
    par = LastParagraph();
    line = Get_LastLine(par);
    offset = line->Length;
    CursorPar = par;
    CursorLine = line;
    CursorOffset = offset;
    CheckAfterEdit();
    return true;
  }
  if (!par || !line || (par->Flags & wppTableCell)) return false;
  offset = std::clamp(offset, 0, static_cast<int>(line->Length));
  const bool atStart = line == par->line && offset == 0;
  TWPLineRec* tail = SplitLineAt(line, offset);
  TWPLineRec* tailFirst = tail ? tail : line->next;
  bool cursorOnTail = false;
  if (CursorPar == par)
    for (TWPLineRec* l = tailFirst; l; l = l->next)
      if (l == CursorLine) cursorOnTail = true;
  line->next = nullptr;
  if (tailFirst) tailFirst->prev = nullptr;

  // The first inserted paragraph continues the current one.
  TWPParagraphRec* first = chain;
  TWPParagraphRec* rest = chain->next;
  if (atStart) {
    CopyFormatting(par, first, true);
    par->ColWidth = first->ColWidth;
    par->ColStart = first->ColStart;
    par->CellFlags = first->CellFlags;
    par->CellExtra = first->CellExtra;
  }
  line->next = first->line;
  first->line->prev = line;
  first->line = nullptr;
  delete first;
  TWPParagraphRec* lastPar = par;
  if (rest) {
    TWPParagraphRec* after = par->next;
    par->next = rest;
    rest->prev = par;
    TWPParagraphRec* last = rest;
    while (last->next) last = last->next;
    last->next = after;
    if (after) after->prev = last;
    lastPar = last;
  }
  TWPLineRec* lastInserted = Get_LastLine(lastPar);
  // The rest of the current paragraph follows the last inserted one.
  if (tailFirst) {
    lastInserted->next = tailFirst;
    tailFirst->prev = lastInserted;
    if (cursorOnTail) CursorPar = lastPar;
  }
  MarkPar(par);
  par = lastPar;
  line = lastInserted;
  offset = lastInserted->Length;
  CheckAfterEdit();
  return true;
}

bool TWPRTFText::MarkStyled(uint32_t mask) {
  if (Busy || PlainText) return false;
  const uint32_t bits = mask & (wpsInsertPoint | wpsAutomatic | wpsHyperlink | wpsHidden | wpsObject);
  Busy = true;
  for (TWPParagraphRec* p = FirstPar; p && bits; p = p->next) {
    bool hit = false;
    for (TWPLineRec* l = p->line; l && !hit; l = l->next)
      for (int i = 0; l->pa && i < l->Length && !hit; ++i) hit = (l->pa[i].Style & bits) != 0;
    if (hit) MarkPar(p);
  }
  Busy = false;
  return true;
}

void TWPRTFText::AppendLine(const TWPAttrRecord& attr, std::string_view text, bool pageBreak, TWPParagraphRec*& par) {
  if (!par) return;
  InsertLines(par, Get_LastLine(par), text, attr);
  if (pageBreak) par->Flags |= wppPageBreak;
  MarkPar(par);
}

// --- numbering ------------------------------------------------------------------

AnsiString TWPRTFText::FormatNumber(int number, int style) {
  AnsiString s;
  switch (style) {
    case 1:
      return "l";
    case 2:
    case 3: {
      if (number < 1) return s;
      // One or two letters: 1..26 a..z, 27..702 aa..zz, counting on modulo 702.
      const int n = (number - 1) % 702 + 1;
      if (n > 26) {
        s += static_cast<char>('a' + (n - 1) / 26 - 1);
        s += static_cast<char>('a' + (n - 1) % 26);
      } else {
        s += static_cast<char>('a' + n - 1);
      }
      s += ')';
      break;
    }
    case 4:
    case 5: {
      if (number < 1) return s;
      int n = number;
      if (n >= 100) {
        // Proper numerals from 100 on.
        static const int kVal[] = {1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
        static const char* const kSym[] = {"m", "cm", "d", "cd", "c", "xc", "l", "xl", "x", "ix", "v", "iv", "i"};
        for (int i = 0; i < 13; ++i)
          while (n >= kVal[i]) {
            s += kSym[i];
            n -= kVal[i];
          }
      } else {
        // Below 100 the tens are written additively ("xxxxiv" for 44).
        if (n >= 50) {
          s += 'l';
          n -= 50;
        }
        for (; n >= 10; n -= 10) s += 'x';
        static const char* const kUnits[] = {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"};
        s += kUnits[n];
      }
      s += '.';
      break;
    }
    case 6:
      return std::to_string(number) + ".";
    default:
      return s;
  }
  if (style == 2 || style == 4)
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

bool TWPRTFText::RenumberParagraphs() {
  if (Busy) return false;
  TWPParagraphRec* cursorPar = CursorPar;
  int cursorPos = cursorPar ? PosInPar(cursorPar, CursorLine, CursorOffset) : -1;
  const TWPAttrRecord lastDeleted = LastDeletedAttr;
  {
    Busy = true;
    TScopeExit notBusy{[this] { Busy = false; }};
    int counters[16] = {};
    const uint8_t bullet = WPValidFont(Header->FontIndex("WingDings"));
    uint8_t lastFont = 0;
    for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
      int autoLen = 0;
      bool more = true;
      for (TWPLineRec* l = p->line; l && more; l = l->next)
        for (int i = 0; i < l->Length && more; ++i) {
          more = l->pa && (l->pa[i].Style & wpsAutoNumber);
          if (more) ++autoLen;
        }
      if (autoLen) DeleteTextAt(p, 0, autoLen);
      int inserted = 0;
      if (p->Numbering == 0) {
        std::fill(std::begin(counters), std::end(counters), 0);
      } else {
        const int level = p->Numbering & 7;
        const int style = p->Numbering >> 4;
        for (int k = level + 1; k < 16; ++k) counters[k] = 0;
        ++counters[level];
        TWPAttrRecord first = WritingAttr;
        for (TWPLineRec* l = p->line; l; l = l->next)
          if (l->pa && (l->Length > 0 || !l->next)) {
            first = l->pa[0];
            break;
          }
        TWPAttrRecord a = Valid(first);
        a.Style |= wpsAutoNumber;
        AnsiString text;
        if (style == 1) {
          text = "l\t";
          a.Font = bullet;
        } else if (style != 8) {
          text = FormatNumber(counters[level], style) + "\t";
          if (a.Font == bullet) a.Font = lastFont;
        }
        if (first.Font != bullet) lastFont = WPValidFont(first.Font);
        InsertTextAt(p, 0, text, &a);
        inserted = static_cast<int>(text.size());
      }
      if (p == cursorPar) cursorPos = std::max(0, cursorPos - autoLen) + inserted;
    }
  }
  LastDeletedAttr = lastDeleted;
  if (cursorPar) CursorTo(cursorPar, cursorPos);
  return true;
}

// --- text-run report -------------------------------------------------------------

void TWPRTFText::ReportTextRun(bool empty, int& index, TWPLineRec* line) {
  if (!OnTextRun) return;
  if (empty) {
    OnTextRun(AnsiString(), 0);
    return;
  }
  if (!line || !line->pa || index < 0 || index >= line->Length) return;
  const TWPAttrRecord* pa = line->pa;
  auto key = [](uint32_t s) { return s & 0xFFFFFF00u; };
  int start = index;
  while (start > 0 && key(pa[start - 1].Style) == key(pa[start].Style)) --start;
  // Automatic text directly behind an insert point is one run with it.
  if ((pa[start].Style & wpsAutomatic) && start > 0 && (pa[start - 1].Style & wpsInsertPoint)) {
    --start;
    while (start > 0 && key(pa[start - 1].Style) == key(pa[start].Style)) --start;
  }
  AnsiString text;
  uint32_t cur = key(pa[start].Style);
  for (int i = start; i < line->Length && text.size() < 254; ++i) {
    const uint32_t s = key(pa[i].Style);
    if (s != cur) {
      if ((cur & wpsInsertPoint) && !(cur & wpsAutomatic) && (s & wpsAutomatic)) cur = s;
      else break;
    }
    text += line->pc[i];
  }
  const uint16_t tag = (pa[start].Style & (wpsInsertPoint | wpsAutomatic)) ? pa[start].Tag : 0;
  index = start;
  OnTextRun(text, tag);
}

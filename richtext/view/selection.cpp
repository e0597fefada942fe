// The selection block and the formatting commands of the text engine:
// marking the block (by code, keys and mouse) with repainting of only the
// lines whose selection changed, selecting by absolute position or by object,
// deleting the block, attributes of the block's characters and the writing
// attribute, paragraph indents, alignment, tabs, spacing and shading, the
// page, and the edges of table cells and bordered groups.
// Invariants: BlockStart is the anchor (nil: no block), BlockEnd the moving
// end (nil: only an anchor); BlockReversed tells that the end lies before the
// start in the document; both lie on lines of the chain (re-breaks carry
// them, deletions clear them first); every line's SelState is 0 outside the
// block and at least 2 inside it.
#include <algorithm>

#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "richtext/view/paint.h"

namespace {

bool IsCell(const TWPParagraphRec* p) { return p->Flags & wppTableCell; }

// Whether place a lies before place b in the document.
bool Before(const TWPTextPlace& a, const TWPTextPlace& b) {
  if (a.Par == b.Par) {
    return TWPRTFText::PosInPar(a.Par, a.Line, a.Offset) < TWPRTFText::PosInPar(b.Par, b.Line, b.Offset);
  }
  for (const TWPParagraphRec* p = a.Par->next; p; p = p->next)
    if (p == b.Par) return true;
  return false;
}

TWPTextPlace EndOf(TWPParagraphRec* p) {
  TWPLineRec* l = TWPRTFText::Get_LastLine(p);
  return {p, l, l->Length};
}

}  // namespace

// --- the block and its line marks ----------------------------------------------------------

bool TWPRTFTextPaint::HasBlock() const {
  if (!BlockStart.Par || !BlockEnd.Par || !BlockStart.Line || !BlockEnd.Line) return false;
  if (BlockStart.Line == BlockEnd.Line) return BlockStart.Offset != BlockEnd.Offset;
  // The end of a line and the start of the next are one place.
  return BlockStart.Par != BlockEnd.Par || PosInPar(BlockStart.Par, BlockStart.Line, BlockStart.Offset) !=
                                               PosInPar(BlockEnd.Par, BlockEnd.Line, BlockEnd.Offset);
}

void TWPRTFTextPaint::ClearBlock() {
  Extending = false;
  BlockStart = BlockEnd = {};
  BlockReversed = false;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next) l->SelState = 0;
}

void TWPRTFTextPaint::SetBlock(const TWPTextPlace& start, const TWPTextPlace& end) {
  BlockStart = start;
  BlockEnd = end;
  BlockReversed = Before(end, start);
  MarkBlockLines();
}

void TWPRTFTextPaint::MarkBlockLines() {
  const bool block = HasBlock();
  const TWPTextPlace& first = BlockReversed ? BlockEnd : BlockStart;
  const TWPTextPlace& last = BlockReversed ? BlockStart : BlockEnd;
  bool inside = false;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next) {
      if (!block) {
        l->SelState = 0;
        continue;
      }
      const bool opens = l == first.Line, closes = l == last.Line;
      if (opens) inside = true;
      l->SelState = inside ? ((opens || closes) ? 2 : 3) : 0;
      if (closes) inside = false;
    }
}

bool TWPRTFTextPaint::GetSelection(TWPParagraphRec*& par1, TWPLineRec*& line1, int& off1, TWPParagraphRec*& par2,
                                   TWPLineRec*& line2, int& off2) const {
  if (!HasBlock()) return false;
  const TWPTextPlace& a = BlockReversed ? BlockEnd : BlockStart;
  const TWPTextPlace& b = BlockReversed ? BlockStart : BlockEnd;
  par1 = a.Par;
  line1 = a.Line;
  off1 = std::max(a.Offset, 0);
  par2 = b.Par;
  line2 = b.Line;
  off2 = std::max(b.Offset, 0);
  return true;
}

void TWPRTFTextPaint::SetBlockEnd(bool extend, TWPParagraphRec* par, TWPLineRec* line, int offset) {
  if (NoBlockMarking) return;
  if (line) offset = std::clamp(offset, 0, static_cast<int>(line->Length));
  if (!extend) {
    Extending = false;
    if (BlockStart.Par || BlockEnd.Par) {
      // Only the lines that showed the block are painted again.
      std::vector<std::pair<TWPParagraphRec*, TWPLineRec*>> shown;
      for (TWPParagraphRec* p = FirstPar; p; p = p->next)
        for (TWPLineRec* l = p->line; l; l = l->next)
          if (l->SelState) {
            l->SelState = 0;
            shown.emplace_back(p, l);
          }
      BlockStart = BlockEnd = {};
      BlockReversed = false;
      for (auto& [p, l] : shown)
        if (l->Top + l->Height > TopOffset && l->Top < TopOffset + VisibleHeight) PaintLine(p, l);
    }
    if (par && line) BlockStart = {par, line, offset};
    SelectionChanged();
    return;
  }
  if (!BlockStart.Par || !par || !line) return;
  TWPTextPlace end{par, line, offset};
  if (BlockEnd.Par == par && BlockEnd.Line == line && BlockEnd.Offset == offset) return;
  const TWPTextPlace oldFirst = BlockReversed ? BlockEnd : BlockStart;
  const TWPTextPlace oldLast = BlockReversed ? BlockStart : BlockEnd;
  const bool hadBlock = HasBlock();

  // Table cells are selected whole once the block leaves them (the anchor
  // stays where it snapped).
  TWPTextPlace start = BlockStart;
  const bool reversed = Before(end, start);
  if (IsCell(par) && par != start.Par) end = reversed ? TWPTextPlace{par, par->line, 0} : EndOf(par);
  if (IsCell(start.Par) && start.Par != par) start = reversed ? EndOf(start.Par) : TWPTextPlace{start.Par, start.Par->line, 0};
  BlockStart = start;
  BlockEnd = end;
  BlockReversed = reversed;

  // New line states; a line is painted again when the part of it that is
  // marked changed.
  const TWPTextPlace& first = BlockReversed ? BlockEnd : BlockStart;
  const TWPTextPlace& last = BlockReversed ? BlockStart : BlockEnd;
  const bool block = HasBlock();
  auto range = [](const TWPLineRec* l, uint8_t state, const TWPTextPlace& a, const TWPTextPlace& b) {
    if (!state) return std::pair<int, int>(0, 0);
    return std::pair<int, int>(l == a.Line ? a.Offset : 0, l == b.Line ? b.Offset : l->Length);
  };
  bool inside = false;
  std::vector<std::pair<TWPParagraphRec*, TWPLineRec*>> changed;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next) {
      const bool opens = block && l == first.Line, closes = block && l == last.Line;
      if (opens) inside = true;
      const uint8_t state = inside ? ((opens || closes) ? 2 : 3) : 0;
      if (closes) inside = false;
      const auto before = hadBlock ? range(l, l->SelState, oldFirst, oldLast) : std::pair<int, int>(0, 0);
      const auto now = range(l, state, first, last);
      const bool differs = before != now && !(before.first == before.second && now.first == now.second);
      l->SelState = state;
      if (differs && l->Top + l->Height > TopOffset && l->Top < TopOffset + VisibleHeight) changed.emplace_back(p, l);
    }
  for (auto& [p, l] : changed) PaintLine(p, l);
  SelectionChanged();
}

bool TWPRTFTextPaint::GetBlock(int& start, int& length) const {
  TWPParagraphRec *p1, *p2;
  TWPLineRec *l1, *l2;
  int o1, o2;
  start = length = 0;
  if (!GetSelection(p1, l1, o1, p2, l2, o2)) return false;
  int ln = 0, pn = 0, end = 0;
  PositionOf(p1, l1, o1, start, ln, pn);
  PositionOf(p2, l2, o2, end, ln, pn);
  length = std::max(0, end - start);
  return true;
}

void TWPRTFTextPaint::SetSelection(int start, int length) {
  if (length < 1) {
    HideSelection();
    return;
  }
  TWPParagraphRec* p = nullptr;
  TWPLineRec* l = nullptr;
  int off = 0;
  FindPosition(off, l, p, std::max(start, 0), 0);
  SetBlockEnd(false, p, l, off);
  if (off + length <= l->Length) {
    SetBlockEnd(true, p, l, off + length);
  } else {
    TWPParagraphRec* p2 = nullptr;
    TWPLineRec* l2 = nullptr;
    int off2 = 0;
    const int64_t end = static_cast<int64_t>(std::max(start, 0)) + length;
    FindPosition(off2, l2, p2, static_cast<int>(std::min<int64_t>(end, INT32_MAX)), 0);
    SetBlockEnd(true, p2, l2, off2);
  }
}

void TWPRTFTextPaint::SetSelStart(int start) {
  pendingSelStart_ = start;
  selStartGiven_ = true;
  ApplySelectionHalves();
}

void TWPRTFTextPaint::SetSelLength(int length) {
  pendingSelLength_ = length;
  selLengthGiven_ = true;
  ApplySelectionHalves();
}

void TWPRTFTextPaint::ApplySelectionHalves() {
  if (!selStartGiven_ || !selLengthGiven_) return;
  selStartGiven_ = selLengthGiven_ = false;
  SetSelection(pendingSelStart_, pendingSelLength_);
}

bool TWPRTFTextPaint::SelectObject(int kind, int number) {
  const char code = kind == 2 ? 2 : 1;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; l->pa && i < l->Length; ++i)
        if (l->pc[i] == code && (l->pa[i].Style & wpsObject) && l->pa[i].Tag == number) {
          SetBlockEnd(false, p, l, i);
          SetBlockEnd(true, p, l, i + 1);
          return true;
        }
  return false;
}

// --- deleting the block -------------------------------------------------------------------

bool TWPRTFTextPaint::DeleteBlock() {
  if (!HasBlock() || Formatting) return false;
  TWPTextPlace a = BlockReversed ? BlockEnd : BlockStart;
  TWPTextPlace b = BlockReversed ? BlockStart : BlockEnd;
  a.Offset = std::max(a.Offset, 0);
  b.Offset = std::max(b.Offset, 0);
  int s = PosInPar(a.Par, a.Line, a.Offset);
  int e = PosInPar(b.Par, b.Line, b.Offset);

  // Protection: every marked character is tested (protected text in the
  // middle of a block is as protected as at its ends).
  if (!ProtectionOff && ProtectMode) {
    const bool insert = InsertMode;
    InsertMode = false;
    for (TWPParagraphRec* p = a.Par; p; p = p->next) {
      const int from = p == a.Par ? s : 0;
      const int to = p == b.Par ? e : ParLength(p);
      int lineStart = 0;
      for (TWPLineRec* l = p->line; l && lineStart < to; lineStart += l->Length, l = l->next) {
        for (int o = std::max(0, from - lineStart); o < l->Length && lineStart + o < to; ++o) {
          if (IsProtected(p, l, o)) {
            InsertMode = insert;
            CursorPar = p;
            CursorLine = l;
            CursorOffset = o;
            Beep();
            return false;
          }
        }
      }
      if (p == b.Par) break;
    }
    InsertMode = insert;
  }

  // The block's lines are about to change: it goes first.
  ClearBlock();
  SelectedObject = {};
  CursorPar = a.Par;
  CursorLine = a.Line;
  CursorOffset = a.Offset;
  {
    Formatting = true;
    TScopeExit formatted{[this] { Formatting = false; }};
    if (a.Par == b.Par) {
      DeleteTextAt(a.Par, s, e - s);
    } else {
      DeleteParagraphsOfBlock(a.Par, s, b.Par, e);
    }
    CursorPar->ChangeFlags |= wpcBreak | wpcMeasure;
  }
  CheckAfterEdit();
  PrepareLayout();
  ReformatAll();
  PaintAll();
  CallPlaceCaret();
  SelectionChanged();
  return true;
}

void TWPRTFTextPaint::DeleteParagraphsOfBlock(TWPParagraphRec* first, int s, TWPParagraphRec* last, int e) {
  std::vector<TWPParagraphRec*> pars;
  for (TWPParagraphRec* p = first; p; p = p->next) {
    pars.push_back(p);
    if (p == last) break;
  }
  // What the block covers goes: the paragraphs between its ends and the
  // table rows it holds whole. A row it only touches keeps its cells, which
  // lose the marked text, and so does every row of a block inside one
  // table: the table keeps its shape while its cells are emptied.
  const bool oneTable = std::all_of(pars.begin(), pars.end(), IsCell);
  std::vector<bool> gone(pars.size(), false);
  for (size_t i = 0; i < pars.size();) {
    if (!IsCell(pars[i])) {
      gone[i] = i > 0 && i + 1 < pars.size();
      ++i;
      continue;
    }
    size_t j = i;
    while (j + 1 < pars.size() && (pars[j]->Flags & wppRowGoesOn) && IsCell(pars[j + 1])) ++j;
    const bool startsHere = !(pars[i]->Flags & wppRowContinues) || !pars[i]->prev || !IsCell(pars[i]->prev);
    const bool endsHere = !(pars[j]->Flags & wppRowGoesOn) || !pars[j]->next || !IsCell(pars[j]->next);
    const bool whole = !oneTable && startsHere && endsHere && (pars[i] != first || s == 0) &&
                       (pars[j] != last || e >= ParLength(last));
    for (size_t k = i; k <= j; ++k) gone[k] = whole;
    i = j + 1;
  }
  for (size_t k = 0; k < pars.size(); ++k) {
    if (gone[k]) continue;
    TWPParagraphRec* p = pars[k];
    const int from = p == first ? s : 0;
    const int to = p == last ? e : ParLength(p);
    if (to > from) DeleteTextAt(p, from, to - from);
    p->ChangeFlags |= wpcBreak | wpcMeasure;
  }
  if (gone.front() && gone.back()) {
    // The block began and ended in rows it took whole: an empty paragraph
    // of plain text takes their place.
    gone.front() = false;
    TWPParagraphRec* p = first;
    DeleteTextAt(p, 0, ParLength(p));
    p->FirstIndent = p->LeftIndent = p->RightIndent = p->SpaceBefore = p->SpaceAfter = 0;
    p->Flags &= ~(wppTableCell | wppRowContinues | wppRowGoesOn);
    p->BorderFlags = p->BorderStyle = p->BorderWidth = p->BorderColor = 0;
    p->Shading = p->ShadingPercent = 0;
    p->ColWidth = p->ColStart = p->CellFlags = p->CellExtra = 0;
    s = 0;
  }
  const bool firstStays = !gone.front(), lastStays = !gone.back();
  for (size_t k = 0; k < pars.size(); ++k) {
    TWPParagraphRec* p = pars[k];
    if (gone[k]) DisposeParagraph(p);
  }
  if (firstStays && lastStays && first->next == last && !IsCell(first) && !IsCell(last)) {
    // The end paragraph's rest joins the start paragraph, which keeps its
    // format.
    TWPLineRec* tail = Get_LastLine(first);
    tail->next = last->line;
    last->line->prev = tail;
    first->next = last->next;
    if (last->next) last->next->prev = first;
    last->line = nullptr;
    delete last;
  }
  if (firstStays) CursorTo(first, s);
  else CursorTo(last, 0);
}

// --- character attributes ----------------------------------------------------------------------

void TWPRTFTextPaint::SetCharAttr(TWPLineRec* line, int offset, uint32_t mask, const TWPAttrRecord& source) {
  const bool writing = !line || !line->pa;
  // An empty line keeps in its first record the format that typing there
  // takes.
  const bool emptyLine = !writing && line->Length == 0 && offset == 0;
  if (!writing && !emptyLine && (offset < 0 || offset >= line->Length)) return;
  TWPAttrRecord& r = writing ? WritingAttr : line->pa[offset];
  const unsigned char c = writing ? 0 : static_cast<unsigned char>(line->pc[offset]);
  const bool object = !writing && (r.Style & wpsObject) && (c == 1 || c == 2);
  if (mask & wpmFont) r.Font = WPValidFont(source.Font);
  if (mask & wpmSize) r.Size = source.Size;
  if (mask & wpmTextColor) r.Colors = static_cast<uint8_t>((r.Colors & 0xF0) | (source.Colors & 0x0F));
  if (mask & wpmBackColor) r.Colors = static_cast<uint8_t>((r.Colors & 0x0F) | (source.Colors & 0xF0));
  constexpr uint32_t kCharStyles = wpsBold | wpsItalic | wpsUnderline | wpsStrikeOut | wpsHyperlink | wpsSuperScript |
                                   wpsSubScript | wpsHidden | wpsRtfCode | wpsBookmark;
  uint32_t added = 0;
  if (mask & wpmSetStyle) {
    r.Style = (r.Style & ~kCharStyles) | source.Style;
    added = source.Style;
  } else if (mask & wpmSetStyleKeep) {
    r.Style = (r.Style & ~(kCharStyles & ~(wpsHidden | wpsRtfCode))) | source.Style;
    added = source.Style;
  }
  if (mask & wpmAddStyle) {
    r.Style |= source.Style;
    added |= source.Style;
  }
  if (mask & wpmRemoveStyle) r.Style &= ~source.Style;
  // Raised and lowered exclude each other: what was just set wins.
  if (added & (wpsSuperScript | wpsFootnote)) r.Style &= ~wpsSubScript;
  else if (added & wpsSubScript) r.Style &= ~wpsSuperScript;
  if (source.Tag && !object && !(r.Style & (wpsFootnote | wpsInsertPoint))) r.Tag = source.Tag;
  if (writing || object || emptyLine || LayoutOff()) return;
  // The character measured in its new font.
  SelectAttrFont(r);
  if (CharHidden(r)) {
    r.Width = r.Height = r.Ascent = 0;
  } else {
    r.Width = static_cast<uint16_t>(std::clamp(CharWidths[c], 1, 65535));
    r.Height = static_cast<uint16_t>(std::clamp(FontHeight, 1, 65535));
    r.Ascent = static_cast<uint16_t>(std::clamp(FontAscent, 1, 65535));
    line->Height = std::max<uint16_t>(line->Height, r.Height);
    line->Ascent = std::max<uint16_t>(line->Ascent, r.Ascent);
  }
}

void TWPRTFTextPaint::SetWritingAttr(uint32_t mask, const TWPAttrRecord& source) {
  TWPParagraphRec *p1, *p2;
  TWPLineRec *l1, *l2;
  int o1, o2;
  if (GetSelection(p1, l1, o1, p2, l2, o2)) {
    for (TWPParagraphRec* p = p1; p; p = p->next) {
      for (TWPLineRec* l = p == p1 ? l1 : p->line; l; l = l->next) {
        const int from = l == l1 ? std::min<int>(o1, l->Length) : 0;
        const int to = l == l2 ? std::min<int>(o2, l->Length) : l->Length;
        for (int i = from; i < to; ++i) SetCharAttr(l, i, mask, source);
        if (l->Length == 0) SetCharAttr(l, 0, mask, source);
        l->Flags |= wplChanged;
        if (l == l2) break;
      }
      p->ChangeFlags |= wpcBreak | wpcMeasure;
      if (p == p2) break;
    }
    Changed();
    UpdateCaret();
    ScrollToCursor();
  }
  SetCharAttr(nullptr, 0, mask, source);
  if (OnTextHeightCheck) OnTextHeightCheck();
}

// --- paragraph commands ---------------------------------------------------------------------------

void TWPRTFTextPaint::CommandParagraphs(TWPParagraphRec*& first, TWPParagraphRec*& last) const {
  TWPParagraphRec *p1, *p2;
  TWPLineRec *l1, *l2;
  int o1, o2;
  if (GetSelection(p1, l1, o1, p2, l2, o2)) {
    first = p1;
    last = p2;
  } else {
    first = last = CursorPar ? CursorPar : FirstPar;
  }
}

namespace {

// Widens a run of paragraphs to the whole table rows at its ends.
void WholeRows(TWPParagraphRec*& first, TWPParagraphRec*& last) {
  while (first->prev && IsCell(first) && (first->Flags & wppRowContinues)) first = first->prev;
  while (last->next && IsCell(last) && (last->Flags & wppRowGoesOn)) last = last->next;
}

}  // namespace

void TWPRTFTextPaint::FinishParagraphCommand(bool anyChanged) {
  if (!anyChanged) return;
  ReformatAll();
  PaintAll();
  UpdateCaret();
  if (UpdateObject && !(viewOptions_ & wpvPaintingOff)) UpdateObject->TextFormatted();
}

void TWPRTFTextPaint::SetParagraphIndents(int32_t firstIndent, int32_t leftIndent, int32_t rightIndent,
                                          bool visibleOnly) {
  auto given = [](int32_t v) { return v != kWPUnchanged && v < 65000; };
  TWPParagraphRec *first, *last;
  CommandParagraphs(first, last);
  // The cells of a row share their indents (they give the row's extent).
  WholeRows(first, last);
  bool any = false;
  for (TWPParagraphRec* p = first; p; p = p->next) {
    const bool shown = p->line->Top + p->line->Height > TopOffset && p->line->Top < TopOffset + VisibleHeight;
    if (!visibleOnly || shown) {
      const TWPParagraphRec before = *p;
      if (given(firstIndent)) p->FirstIndent = firstIndent;
      if (given(leftIndent)) p->LeftIndent = leftIndent;
      if (given(rightIndent)) p->RightIndent = rightIndent;
      if (p->FirstIndent != before.FirstIndent || p->LeftIndent != before.LeftIndent ||
          p->RightIndent != before.RightIndent) {
        p->ChangeFlags |= wpcBreak;
        any = true;
      }
    }
    if (p == last) break;
  }
  FinishParagraphCommand(any);
}

void TWPRTFTextPaint::SetParagraphAlignment(TWPAlignment align) {
  TWPParagraphRec *first, *last;
  CommandParagraphs(first, last);
  bool any = false;
  for (TWPParagraphRec* p = first; p; p = p->next) {
    if (p->Align != align) {
      p->Align = align;
      p->ChangeFlags |= wpcBreak;
      any = true;
    }
    if (p == last) break;
  }
  FinishParagraphCommand(any);
}

void TWPRTFTextPaint::SetParagraphTabs(bool remove, TWPTabSet tabs) {
  TWPParagraphRec *first, *last;
  CommandParagraphs(first, last);
  bool any = false;
  for (TWPParagraphRec* p = first; p; p = p->next) {
    const TWPTabSet now = remove ? (p->Tabs & ~tabs) : (p->Tabs | tabs);
    if (now != p->Tabs) {
      p->Tabs = now;
      p->ChangeFlags |= wpcBreak;
      any = true;
    }
    if (p == last) break;
  }
  FinishParagraphCommand(any);
}

void TWPRTFTextPaint::SetParagraphSpacing(const TWPParSpacing& spacing, bool relative) {
  TWPParagraphRec *first, *last;
  CommandParagraphs(first, last);
  WholeRows(first, last);
  bool any = false;
  for (TWPParagraphRec* p = first; p; p = p->next) {
    bool changed = false;
    auto apply = [&](int32_t& field, int32_t v) {
      if (v == kWPUnchanged) return;
      const int32_t now = relative ? field + v : v;
      changed = changed || now != field;
      field = now;
    };
    apply(p->SpaceBefore, spacing.Before);
    apply(p->SpaceAfter, spacing.After);
    const int32_t line = p->LineSpacing;
    apply(p->LineSpacing, spacing.Line);
    // A spacing set here is in twips.
    if (p->LineSpacing != line) p->Flags &= ~wppLineMultiple;
    if (changed) {
      // Spacing changes only the heights: no new breaking.
      for (TWPLineRec* l = p->line; l; l = l->next) CalcLineHeight(p, l);
      any = true;
    }
    if (p == last) break;
  }
  if (!any) return;
  Relayout();
  PaintAll();
  UpdateCaret();
}

void TWPRTFTextPaint::SetParagraphShading(uint8_t colors, uint8_t percent) {
  TWPParagraphRec *first, *last;
  CommandParagraphs(first, last);
  for (TWPParagraphRec* p = first; p; p = p->next) {
    p->Shading = colors;
    p->ShadingPercent = percent;
    if (p == last) break;
  }
  PaintAll();
}

void TWPRTFTextPaint::SetPage(int32_t marginLeft, int32_t marginRight, int32_t marginTop, int32_t marginBottom,
                              int32_t pageWidth, int32_t pageHeight) {
  auto set = [](int32_t& field, int32_t v) {
    if (v != kWPUnchanged) field = v;
  };
  TTextHeader& h = *Header;
  set(h.MarginLeft, marginLeft);
  set(h.MarginRight, marginRight);
  set(h.MarginTop, marginTop);
  set(h.MarginBottom, marginBottom);
  set(h.PageWidth, pageWidth);
  set(h.PageHeight, pageHeight);
  const int32_t oldPrint = h.PrintWidth, oldLayout = h.LayoutWidth;
  h.RecalcPixels();
  ApplyLayoutWidth();
  // The right indents count from the printable edge, so a new printable
  // width breaks the lines again even where they wrap to the window.
  if (h.LayoutWidth != oldLayout || h.PrintWidth != oldPrint) FormatText();
  else Relayout();
  PaintAll();
  UpdateCaret();
}

// --- edges of cells and bordered groups ----------------------------------------------------------

int TWPRTFTextPaint::CellLeftEdge(const TWPParagraphRec* par) const {
  int left = 0, right = 0;
  CellEdges(par, left, right);
  return left;
}

int TWPRTFTextPaint::CellRightInset(const TWPParagraphRec* par) const {
  int left = 0, right = 0;
  CellEdges(par, left, right);
  return Header->LayoutWidth - right;
}

TColor TWPRTFTextPaint::ColorByNumber(int number) const {
  return number >= 0 && number <= 14 ? ColorToRGB(Header->Colors[number]) : 0;
}

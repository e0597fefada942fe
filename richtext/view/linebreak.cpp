// Line breaking of the text engine: the horizontal boundaries of a
// paragraph's lines, tab stops, the width rule of characters shared by
// breaking, painting and the cursor, justification, and WrapParagraph, which
// breaks one paragraph's characters into new lines and carries the cursor
// and the block ends across.
//
// Breaking is greedy: characters are added while they stay below the
// available width; blanks and tabs may run past it; the line then ends after
// its last blank (or tab) beyond index 1, else inside the word. Hidden
// characters have no width and never end a line, so a hyperlink's hidden
// stamp stays with its visible text.
//
// With wpvPrinterWidths the decisions are taken in twips, from the fonts'
// widths at 1440 units to the inch and the edges and stops in twips, so
// that every device breaks where the printer does; each word then stands
// where those twips put it, scaled to the device.
#include <algorithm>
#include <cstring>

#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "richtext/view/paint.h"

namespace {

uint16_t U16(int v) { return static_cast<uint16_t>(std::clamp(v, 0, 65535)); }

}  // namespace

// --- boundaries -------------------------------------------------------------------

int TWPRTFTextPaint::BorderSpacingTwips(const TWPParagraphRec* par) const {
  const int n = par->BorderColor >> 4;
  return ((par->BorderFlags & 1) && n > 0) ? MulDiv(n, 567, 10) : 0;
}

void TWPRTFTextPaint::CellTwips(const TWPParagraphRec* par, int64_t& left, int64_t& right) const {
  const TTextHeader& h = *Header;
  const int64_t printable = static_cast<int64_t>(h.PageWidth) - h.MarginLeft - h.MarginRight;
  const int64_t rowRight = std::min<int64_t>(h.LayoutWidthTwips, printable - par->RightIndent);
  const int64_t span = rowRight - par->LeftIndent;
  left = par->LeftIndent + span * par->ColStart / 255;
  right = par->LeftIndent + span * (par->ColStart + par->ColWidth) / 255;
}

int64_t TWPRTFTextPaint::BorderRoomTwips(const TWPParagraphRec* par) const {
  if (!(par->BorderFlags & 1)) return 0;
  const int64_t stroke = (par->BorderStyle & 2) || par->BorderWidth == 0 ? 15 : par->BorderWidth * 20;
  return (par->BorderFlags & 0x80) ? 3 * stroke : stroke;
}

int64_t TWPRTFTextPaint::LeftEdgeTwips(const TWPParagraphRec* par, const TWPLineRec* line) const {
  int64_t left = line && line->prev ? par->LeftIndent : par->FirstIndent;
  if (par->Flags & wppTableCell) {
    int64_t right = 0;
    CellTwips(par, left, right);
  }
  return left + BorderSpacingTwips(par);
}

int TWPRTFTextPaint::LeftBoundary(const TWPParagraphRec* par, const TWPLineRec* line) const {
  const int64_t twips = LeftEdgeTwips(par, line);
  const bool flush = !(par->Flags & wppTableCell) && (par->Flags & 0x2);
  return MulDiv(static_cast<int>(std::clamp<int64_t>(twips, -(1 << 30), 1 << 30)), ResX(), 1440) + (flush ? 0 : 1) +
         BorderInsets(par).Left;
}

int TWPRTFTextPaint::RightBoundary(const TWPParagraphRec* par) const {
  return RightBoundaryAt(par, Header->LayoutWidth);
}

int TWPRTFTextPaint::RightBoundaryAt(const TWPParagraphRec* par, int32_t layoutWidth) const {
  int64_t inset;
  const bool cell = par->Flags & wppTableCell;
  if (cell) {
    int64_t start = 0, end = 0;
    CellTwips(par, start, end);
    inset = Header->LayoutWidthTwips - end;
  } else {
    inset = par->RightIndent;
  }
  inset += BorderSpacingTwips(par);
  int px = MulDiv(static_cast<int>(std::clamp<int64_t>(inset, -(1 << 30), 1 << 30)), ResX(), 1440);
  if (!cell && Header->PrintWidth != layoutWidth) {
    // The right indent counts from the printable page edge.
    const int d = Header->PrintWidth - layoutWidth;
    px = px > d ? px - d : 0;
  }
  return px + BorderInsets(par).Right;
}

int TWPRTFTextPaint::AvailableWidth(const TWPParagraphRec* par, const TWPLineRec* line) const {
  const int64_t w = static_cast<int64_t>(Header->LayoutWidth) - RightBoundary(par) - LeftBoundary(par, line);
  return w < 1 ? 16 : static_cast<int>(std::min<int64_t>(w, 1 << 30));
}

void TWPRTFTextPaint::LineEdgesTwips(const TWPParagraphRec* par, const TWPLineRec* line, int64_t& left,
                                     int64_t& right) const {
  const TTextHeader& h = *Header;
  const int64_t spacing = BorderSpacingTwips(par);
  left = LeftEdgeTwips(par, line);
  if (par->Flags & wppTableCell) {
    int64_t cellLeft = 0;
    CellTwips(par, cellLeft, right);
    right -= spacing;
  } else {
    int64_t inset = par->RightIndent + spacing;
    const int64_t d = static_cast<int64_t>(h.PageWidth) - h.MarginLeft - h.MarginRight - h.LayoutWidthTwips;
    if (d != 0) inset = inset > d ? inset - d : 0;
    right = h.LayoutWidthTwips - inset;
  }
  // A thick border's room beside the text, less the pixel kept free there
  // (BorderInsets).
  const int64_t room = std::max<int64_t>(0, BorderRoomTwips(par) - 15);
  if (par->BorderFlags & (0x10 | 0x40)) left += room;
  if (par->BorderFlags & (0x20 | 0x40)) right -= room;
}

// --- tabs -----------------------------------------------------------------------------

namespace {

// Characters after a tab: this line's rest, then the paragraph's next lines.
struct FollowingChars {
  const TWPLineRec* line;
  int index;
  bool Next(unsigned char& c, int& width, const int* table) {
    while (line && index >= line->Length) {
      line = line->next;
      index = 0;
    }
    if (!line) return false;
    c = static_cast<unsigned char>(line->pc[index]);
    width = c == kWPSoftHyphen ? 0 : line->pa ? line->pa[index].Width : table[c];
    ++index;
    return true;
  }
};

// The same over a flat buffer (characters being broken into lines), with
// their widths in twips when given.
struct FlatChars {
  const char* text;
  const TWPAttrRecord* attrs;
  const int* twips;
  int index, count;
  bool Next(unsigned char& c, int& width, const int* table) {
    if (index >= count) return false;
    c = static_cast<unsigned char>(text[index]);
    width = c == kWPSoftHyphen ? 0 : twips ? twips[index] : attrs ? attrs[index].Width : table[c];
    ++index;
    return true;
  }
};

}  // namespace

// The stop a tab at x reaches, in the units of `stops` (the header's
// pixel or twips positions), `chars` giving the characters after it.
template <class Source>
int TabStopAfter(const TWPRTFTextPaint& t, const int32_t* stops, int defaultWidth, const TWPParagraphRec* par,
                 int colStart, int rightEdge, int lineStart, int x, Source chars) {
  const TTextHeader& h = *t.Header;
  for (int n = 0; n < kWPTabSlots; ++n) {
    const int slot = h.TabOrder[n];
    if (slot < 0 || slot >= kWPTabSlots) continue;
    const int pos = stops[slot];
    if (pos == 0 || !((par->Tabs >> slot) & 1)) continue;
    const int stop = pos + colStart;
    if (stop <= x) continue;
    const TTabKind kind = h.TabKind[slot];
    if (kind == tkLeft || kind == tkAll) return stop;
    // A stop beyond the edge cannot take the text after the tab: the tab
    // goes on to the next stop.
    if (stop > rightEdge) continue;
    const int room = stop - x;
    const int limit = kind == tkCenter ? 2 * room : room;
    int sum = 0;
    unsigned char c;
    int w;
    Source scan = chars;
    while (scan.Next(c, w, t.CharWidths)) {
      if (c == 0 || c == '\t' || (kind == tkDecimal && c == static_cast<unsigned char>(h.DecimalChar))) break;
      sum += w;
      if (sum > limit) break;
    }
    if (sum > limit) {
      // Text too wide for the room before its stop: at the line's start it
      // starts there, in its own column (a label wider than its column);
      // after text it goes on to the next stop, never running into it.
      if (x <= lineStart) return x;
      continue;
    }
    return kind == tkCenter ? std::max(x, stop - sum / 2) : stop - sum;
  }
  // Default stops count from the layout's left edge.
  const int def = defaultWidth > 0 ? defaultWidth : 1;
  return x + def - ((x + def) % def + def) % def;
}

int TWPRTFTextPaint::NextTabPosition(const TWPParagraphRec* par, const TWPLineRec* line, int x, int index) const {
  const int left = LeftBoundary(par, line);
  const int colStart = (par->Flags & wppTableCell) ? left : 0;
  const int rightEdge = Header->LayoutWidth - RightBoundary(par);
  return TabStopAfter(*this, Header->TabPixels, Header->DefaultTabWidth, par, colStart, rightEdge, left, x,
                      FollowingChars{line, index + 1});
}

// --- widths of lines and characters --------------------------------------------------

int TWPRTFTextPaint::LineWidth(const TWPLineRec* line) const {
  int width = 0, pending = 0;
  for (int i = 0; i < line->Length; ++i) {
    const unsigned char c = static_cast<unsigned char>(line->pc[i]);
    const int w = line->pa ? line->pa[i].Width : CharWidths[c];
    if ((line->pa && CharHidden(line->pa[i])) || (c == kWPSoftHyphen && !ShownSoftHyphen(line, i))) continue;
    if (c == ' ' || c == '\t') {
      pending += w;
    } else if (c == 10) {
      pending = 0;
    } else {
      width += pending + w;
      pending = 0;
    }
  }
  return width;
}

int TWPRTFTextPaint::LineStart(const TWPParagraphRec* par, const TWPLineRec* line) const {
  const int start = LeftBoundary(par, line);
  if (par->Align != 1 && par->Align != 2) return start;
  const int64_t free =
      static_cast<int64_t>(Header->LayoutWidth) - LineWidth(line) - RightBoundary(par) - start;
  if (par->Align == 1 && free > 0) return start + static_cast<int>(free);
  if (par->Align == 2 && free > 1) return start + static_cast<int>(free / 2);
  return start;
}

int TWPRTFTextPaint::CharAdvance(const TWPParagraphRec* par, const TWPLineRec* line, int index, int x,
                                 int& extra) const {
  const unsigned char c = static_cast<unsigned char>(line->pc[index]);
  if (c == kWPSoftHyphen && !ShownSoftHyphen(line, index)) return 0;
  const int own = line->pa ? line->pa[index].Width : CharWidths[c == '\t' ? 32 : c];
  if (par->Align == 1 || par->Align == 2) return own;
  // Breaking by the printer's widths gave the tab its width.
  if (c == '\t' && line->pa && (viewOptions_ & wpvPrinterWidths)) return own;
  if (c == '\t') return std::max(0, NextTabPosition(par, line, x, index) - x);
  if (c == ' ' && line->BlankWidth > 0 && index >= line->TextWidth) {
    int w = line->BlankWidth;
    if (extra < line->ExtraPixels) {
      ++w;
      ++extra;
    }
    return w;
  }
  return own;
}

// --- the spell-check word pass ----------------------------------------------------------

void TWPRTFTextPaint::SpellCheckPass(TWPParagraphRec* par) {
  if (!OnSpellCheckWord || Quiet || !par->line->pa) return;
  const int cursor = CursorPar == par && CursorLine ? PosInPar(par, CursorLine, CursorOffset) : -1;
  struct Place {
    TWPLineRec* line;
    int index;
  };
  std::vector<Place> word;
  AnsiString text;
  int pos = 0, start = 0;
  auto finish = [&]() {
    if (word.empty()) return;
    const int end = start + static_cast<int>(word.size());
    const bool typing = cursor >= start && cursor <= end;
    uint8_t flags = 1;
    if (!typing) OnSpellCheckWord(text, flags);
    for (const Place& p : word) {
      uint32_t& st = p.line->pa[p.index].Style;
      if (typing) {
        st &= ~wpsSpellChecked;
        continue;
      }
      st = (st | wpsSpellChecked) & ~wpsSpellPending;
      if (flags & 4) st |= wpsMisspelled;
      else st &= ~wpsMisspelled;
    }
    word.clear();
    text.clear();
  };
  for (TWPLineRec* l = par->line; l; l = l->next)
    for (int i = 0; i < l->Length; ++i, ++pos) {
      const unsigned char c = static_cast<unsigned char>(l->pc[i]);
      if (c < 65) {
        finish();
        continue;
      }
      if (word.empty()) start = pos;
      word.push_back({l, i});
      if (text.size() < 100) text.push_back(static_cast<char>(c));
    }
  finish();
}

// --- breaking a paragraph ------------------------------------------------------------------

void TWPRTFTextPaint::WrapParagraph(TWPParagraphRec* par, bool compare, int& changeKind) {
  changeKind = wpcNone;
  if (!par || Wrapping) return;
  BreakLines(par, compare, changeKind);
  // A cell that grew moves its row's neighbours: they are placed anew (after
  // the guard is released, so that cells losing their row can be broken).
  if (changeKind == wpcBelowMoves && (par->Flags & wppTableCell) && !LayoutInProgress) Relayout();
}

void TWPRTFTextPaint::BreakLines(TWPParagraphRec* par, bool compare, int& changeKind) {
  Wrapping = true;
  TScopeExit wrapped{[this] { Wrapping = false; }};
  par->ChangeFlags &= static_cast<uint8_t>(~wpcBreak);
  SpellCheckPass(par);

  // Cursor and block ends as character positions in the paragraph.
  auto posOf = [par](const TWPLineRec* line, int offset) { return line ? PosInPar(par, line, offset) : -1; };
  const int bs = BlockStart.Par == par ? posOf(BlockStart.Line, BlockStart.Offset) : -1;
  const int be = BlockEnd.Par == par ? posOf(BlockEnd.Line, BlockEnd.Offset) : -1;
  const int cur = CursorPar == par ? posOf(CursorLine, CursorOffset) : -1;

  // The paragraph's characters in one flat run.
  TWPLineRec* oldFirst = par->line;
  const bool rich = oldFirst->pa != nullptr;
  std::string& chars = wrapChars_;
  std::vector<TWPAttrRecord>& attrs = wrapAttrs_;
  chars.clear();
  attrs.clear();
  bool anySelected = false;
  TWPAttrRecord endAttr = WritingAttr;
  int oldHeight = 0;
  for (TWPLineRec* l = oldFirst; l; l = l->next) {
    chars.append(l->pc, l->Length);
    if (rich && l->pa) attrs.insert(attrs.end(), l->pa, l->pa + l->Length);
    else if (rich) attrs.insert(attrs.end(), l->Length, WritingAttr);
    if (l->SelState >= 2) anySelected = true;
    oldHeight += l->Height;
    if (!l->next && l->pa) endAttr = l->pa[l->Length];
  }
  const int n = static_cast<int>(chars.size());
  if (!rich) SelectAttrFont(WritingAttr);
  const TWPAttrRecord* pa = rich ? attrs.data() : nullptr;
  const bool rightOrCentre = par->Align == 1 || par->Align == 2;
  const int rightB = RightBoundary(par);
  const int rightEdge = Header->LayoutWidth - rightB;
  const int32_t oldTop = oldFirst->Top;
  // Broken by the printer's widths: the characters' widths in twips.
  const int* tw = nullptr;
  if (rich && (viewOptions_ & wpvPrinterWidths)) {
    wrapTwips_.resize(n);
    const TWPFontMetrics* m = nullptr;
    bool hidden = false;
    for (int k = 0; k < n; ++k) {
      const TWPAttrRecord& a = pa[k];
      const unsigned char c = static_cast<unsigned char>(chars[k]);
      // Font and hiding follow the record's font and style: once per run.
      if (!m || a.Font != pa[k - 1].Font || a.Size != pa[k - 1].Size || a.Style != pa[k - 1].Style) {
        m = &TwipsMetrics(a);
        hidden = CharHidden(a);
      }
      int w = hidden ? 0 : m->Widths[c];
      if (!hidden && (a.Style & wpsObject) && (c == 1 || c == 2)) {
        const TWPObjectEntry* e = c == 1 ? FindObject(a.Tag, 0) : FindObject(0, a.Tag);
        int32_t ow = 0, oh = 0;
        if (e) ObjectSize(e, ow, oh);
        w = ow;
      }
      wrapTwips_[k] = w;
    }
    tw = wrapTwips_.data();
  }
  const int32_t* stops = tw ? Header->TabTwips : Header->TabPixels;
  const int defaultTab = !tw ? Header->DefaultTabWidth : Header->DefaultTabTwips();
  auto pixels = [this](int64_t twips) {
    return MulDiv(static_cast<int>(std::clamp<int64_t>(twips, -(1 << 30), 1 << 30)), ResX(), 1440);
  };

  TWPLineRec* first = nullptr;
  TWPLineRec* last = nullptr;
  int pos = 0;
  try {
  for (;;) {
    // Boundaries of this line (the first uses the first-line indent), in
    // the units broken in: pixels, or twips.
    TWPLineRec probe;
    probe.prev = first ? last : nullptr;
    int left, avail, edge;
    if (tw) {
      int64_t l = 0, r = 0;
      LineEdgesTwips(par, &probe, l, r);
      left = static_cast<int>(std::clamp<int64_t>(l, -(1 << 30), 1 << 30));
      edge = static_cast<int>(std::clamp<int64_t>(r, -(1 << 30), 1 << 30));
      avail = r - l < 1 ? 240 : static_cast<int>(std::min<int64_t>(r - l, 1 << 30));
    } else {
      left = LeftBoundary(par, &probe);
      edge = rightEdge;
      int64_t availL = static_cast<int64_t>(Header->LayoutWidth) - rightB - left;
      avail = availL < 1 ? 16 : static_cast<int>(std::min<int64_t>(availL, 1 << 30));
    }
    const int colStart = (par->Flags & wppTableCell) ? left : 0;
    auto tabStop = [&](int k, int x) {
      return TabStopAfter(*this, stops, defaultTab, par, colStart, edge, left, x + left,
                          FlatChars{chars.data(), pa, tw, k + 1, n});
    };

    int x = 0, count = 0, blanks = 0, blankWidths = 0, lastBlank = 0, lastTab = 0, xBefore = 0;
    // The last optional hyphen whose shown hyphen still fits, the line's
    // width with it and the blanks before it.
    int lastSoft = 0, xSoft = 0, blanksSoft = 0, blankWidthsSoft = 0;
    bool parEnd = false, lineFeed = false;
    for (;;) {
      const int k = pos + count;
      if (k >= n) {
        parEnd = true;
        break;
      }
      const unsigned char c = static_cast<unsigned char>(chars[k]);
      if (c == 0) break;
      const bool hidden = pa && CharHidden(pa[k]);
      if (count >= kWPMaxLineChars) break;
      if (x >= avail && !hidden) break;
      int w;
      if ((c == '\t' && rightOrCentre) || c == ' ') {
        w = tw ? tw[k] : pa ? pa[k].Width : CharWidths[32];
      } else if (c == '\t') {
        w = std::max(0, tabStop(k, x) - left - x);
      } else {
        w = tw ? tw[k] : pa ? pa[k].Width : CharWidths[c];
      }
      if (c == kWPSoftHyphen && !hidden) {
        if (x + w < avail && count > 0) {
          lastSoft = count;
          xSoft = x + w;
          blanksSoft = blanks;
          blankWidthsSoft = blankWidths;
        }
        w = 0;
      }
      if (!hidden && x + w >= avail && c != ' ' && c != '\t') break;
      if (!hidden) {
        if ((c == '\t' && rightOrCentre) || c == ' ') {
          ++blanks;
          xBefore = x;
          lastBlank = count;
          blankWidths += w;
          x += w;
        } else if (c == '\t') {
          xBefore = x;
          x += w;
          blanks = blankWidths = lastBlank = 0;
          lastTab = count;
        } else {
          x += w;
        }
      }
      ++count;
      if (c == 10) {
        blanks = blankWidths = lastBlank = lastTab = lastSoft = 0;
        lineFeed = true;
        break;
      }
    }
    // A line holds at least one character.
    if (count < 2 && pos < n) count = 1;
    int width = x;
    if (!parEnd) {
      if (lastSoft > 0 && lastSoft > lastBlank && lastSoft > lastTab) {
        // Broken after the optional hyphen, which shows there.
        count = lastSoft + 1;
        width = xSoft;
        blanks = blanksSoft;
        blankWidths = blankWidthsSoft;
      } else if (lastBlank >= 2) {
        count = lastBlank + 1;
        width = xBefore;
      } else if (lastTab >= 2) {
        count = lastTab + 1;
        width = xBefore;
      }
    }
    // Hidden characters right after the line's end belong to it (a link's
    // stamp after its text).
    while (pa && !lineFeed && pos + count < n && count < kWPMaxLineChars && CharHidden(pa[pos + count])) ++count;
    // A trailing blank past the edge ends the paragraph's last line, it
    // opens no empty line; a line feed at the end does.
    const bool lastLine = pos + count >= n && !lineFeed;

    TWPLineRec* line = last;
    NewTextLine(line, count);
    if (!line || line == last) throw EOutOfMemory("Out of memory");
    if (!first) {
      // NewTextLine linked it after `last`; the first line stands alone.
      first = line;
      line->prev = nullptr;
    }
    if (count > 0) std::memcpy(line->pc, chars.data() + pos, count);
    line->pc[count] = 0;
    if (line->pa) {
      if (pa && count > 0) std::memcpy(line->pa, pa + pos, sizeof(TWPAttrRecord) * count);
      if (lastLine) line->pa[count] = endAttr;
    }
    line->Length = static_cast<uint16_t>(count);
    int room = blankWidths + avail - width - 6;
    if (tw) {
      // Each word where the twips put it, scaled to the device, and drawn
      // in the device's own widths, the difference spread over its letters;
      // blanks and tabs take up what is left between the words.
      auto advances = [&](int i) {
        return chars[pos + i] != static_cast<char>(kWPSoftHyphen) || (i == count - 1 && !lastLine);
      };
      int xt = 0, xp = 0;
      for (int i = 0; i < count;) {
        const int k = pos + i;
        const unsigned char c = static_cast<unsigned char>(chars[k]);
        if (c == ' ' || c == '\t') {
          xt += c == '\t' && !rightOrCentre && !CharHidden(pa[k]) ? std::max(0, tabStop(k, xt) - left - xt) : tw[k];
          line->pa[i].Width = U16(std::max(0, pixels(int64_t{left} + xt) - pixels(left) - xp));
          xp += line->pa[i].Width;
          ++i;
          continue;
        }
        int j = i, own = 0, letters = 0;
        for (; j < count && chars[pos + j] != ' ' && chars[pos + j] != '\t'; ++j)
          if (advances(j)) {
            xt += tw[pos + j];
            own += line->pa[j].Width;
            letters += line->pa[j].Width > 0;
          }
        const int spread = pixels(int64_t{left} + xt) - pixels(left) - xp - own;
        auto part = [&](int64_t m) { return static_cast<int>(m >= 0 ? m / letters : -((-m + letters - 1) / letters)); };
        for (int m = i, nth = 0; m < j; ++m) {
          if (!advances(m)) continue;
          if (line->pa[m].Width > 0) {
            const int share = part(int64_t{nth + 1} * spread) - part(int64_t{nth} * spread);
            line->pa[m].Width = U16(line->pa[m].Width + share);
            ++nth;
          }
          xp += line->pa[m].Width;
        }
        i = j;
      }
      room = pixels(int64_t{blankWidths} + avail - width) - 6;
      width = pixels(int64_t{left} + width) - pixels(left);
    }
    const bool justify = par->Align == 3 && blanks >= 2 && (!lastLine || (par->Flags & wppJustifyLast));
    if (justify && room >= blanks - 1) {
      line->TextWidth = U16(lastTab);
      line->BlankWidth = U16(room / (blanks - 1));
      line->ExtraPixels = U16(room % (blanks - 1));
    } else {
      line->TextWidth = U16(width);
      line->BlankWidth = 0;
      line->ExtraPixels = 0;
    }
    last = line;
    pos += count;
    if (lastLine) break;
  }
  } catch (...) {
    for (TWPLineRec* l = first; l;) {
      TWPLineRec* next = l->next;
      FreeLine(l);
      l = next;
    }
    throw;
  }

  // Block ends and cursor on the new lines: a position lands in the first
  // line that holds it; the cursor at a line's end opens the next line.
  auto place = [first](int p, TWPLineRec*& line, int& offset) {
    int s = 0;
    for (TWPLineRec* l = first; l; l = l->next) {
      if (p <= s + l->Length || !l->next) {
        line = l;
        offset = std::clamp(p - s, 0, static_cast<int>(l->Length));
        return;
      }
      s += l->Length;
    }
  };
  const bool startHere = bs >= 0, endHere = be >= 0;
  if (startHere) place(bs, BlockStart.Line, BlockStart.Offset);
  if (endHere) place(be, BlockEnd.Line, BlockEnd.Offset);
  if (cur >= 0) {
    place(cur, CursorLine, CursorOffset);
    if (CursorOffset == CursorLine->Length && CursorLine->next) {
      CursorLine = CursorLine->next;
      CursorOffset = 0;
    }
  }
  // Selection states: the lines of the block's ends 2, the lines between 3.
  const TWPLineRec* openLine = BlockReversed ? (endHere ? BlockEnd.Line : nullptr) : (startHere ? BlockStart.Line : nullptr);
  const TWPLineRec* closeLine = BlockReversed ? (startHere ? BlockStart.Line : nullptr) : (endHere ? BlockEnd.Line : nullptr);
  if (openLine || closeLine) {
    bool inside = !openLine;
    for (TWPLineRec* l = first; l; l = l->next) {
      const bool edge = l == openLine || l == closeLine;
      if (l == openLine) inside = true;
      l->SelState = inside ? (edge ? 2 : 3) : 0;
      if (l == closeLine) inside = false;
    }
  } else {
    for (TWPLineRec* l = first; l; l = l->next) l->SelState = anySelected ? 3 : 0;
  }

  // Heights and tops of the new lines (the line-height rule knows the
  // first line by the paragraph's).
  par->line = first;
  int newHeight = 0;
  for (TWPLineRec* l = first; l; l = l->next) {
    CalcLineHeight(par, l);
    l->Top = oldTop + newHeight;
    newHeight += l->Height;
  }

  // What changed, for the caller's repaint.
  if (compare) {
    if (oldHeight != newHeight) {
      changeKind = wpcBelowMoves;
    } else {
      TWPLineRec* o = oldFirst;
      TWPLineRec* l = first;
      for (; l; l = l->next, o = o ? o->next : nullptr) {
        l->Flags &= ~wplChanged;
        if (!o || o->Height != l->Height) {
          changeKind = wpcFromLine;
          break;
        }
        // The old lines hold the edit already (a deleted character is gone
        // from them): a line the edit marked is painted again as it is.
        bool differs = (o->Flags & wplChanged) || o->Length != l->Length || o->BlankWidth != l->BlankWidth ||
                       std::memcmp(o->pc, l->pc, l->Length) != 0;
        if (!differs && o->pa && l->pa)
          for (int i = 0; i < l->Length && !differs; ++i) differs = o->pa[i].Width != l->pa[i].Width;
        if (differs) {
          l->Flags |= wplChanged;
          changeKind = wpcLinesMarked;
        }
      }
      if (!l && o) changeKind = wpcFromLine;
    }
  }

  // The old lines go.
  for (TWPLineRec* l = oldFirst; l;) {
    TWPLineRec* next = l->next;
    FreeLine(l);
    l = next;
  }
}

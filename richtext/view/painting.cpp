// Painting of the text engine: the visible area, a rectangle of it, single
// lines, the tiled background, embedded objects, table borders and page-break
// marks. Every line is drawn by one line painter that splits it into runs of
// equal attributes and draws each run with one ExtTextOut carrying the
// engine's own advances, so tabs, justification and measured widths are
// reproduced exactly on screen and paper.
// Painting leaves the canvas as it found it (clip, text alignment, colours,
// font, pen and brush) and raises for no content of the document.
#include <algorithm>
#include <cstring>

#include "platform/rtl/sysutils.h"
#include "richtext/io/objects.h"
#include "richtext/view/paint.h"

namespace {

constexpr int kMaxObjectRects = 30;
constexpr int kMaxRunLength = 100;
// Room for the lean of an italic letter past its advance.
constexpr int kItalicOverhang = 8;

// Keeps everything painting changes on a canvas and puts it back.
class CanvasState {
public:
  explicit CanvasState(TCanvas* c) : c_(c) {
    if (!c_) return;
    level_ = c_->SaveDC();
    font_.Assign(*c_->Font());
    pen_.Assign(*c_->Pen());
    brush_.Assign(*c_->Brush());
  }
  ~CanvasState() {
    if (!c_) return;
    c_->RestoreDC(level_);
    c_->Font()->Assign(font_);
    c_->Pen()->Assign(pen_);
    c_->Brush()->Assign(brush_);
  }
  CanvasState(const CanvasState&) = delete;
  CanvasState& operator=(const CanvasState&) = delete;

private:
  TCanvas* c_;
  int level_ = 0;
  TFont font_;
  TPen pen_;
  TBrush brush_;
};

bool IsObjectChar(unsigned char c, const TWPAttrRecord& a) { return (c == 1 || c == 2) && (a.Style & wpsObject); }

// Attributes that split runs (the selected bit is handled apart).
bool SameRun(const TWPAttrRecord& a, const TWPAttrRecord& b) {
  return a.Font == b.Font && a.Size == b.Size && a.Colors == b.Colors && a.Tag == b.Tag &&
         (a.Style & ~wpsSelected) == (b.Style & ~wpsSelected);
}

}  // namespace

// --- whole area and rectangles ------------------------------------------------------

void TWPRTFTextPaint::PaintAll() {
  if (Formatting || Quiet || LayoutOff()) return;
  ObjectRects.clear();
  SelectedObject = {};
  if ((viewOptions_ & wpvPaintingOff) || !AttachedToWindow || !canvas_ || !canvas_->HandleAllocated()) return;
  if (!(viewOptions_ & wpvNoClipping)) canvas_->SelectClipRect(nullptr);
  if (!FirstPar) {
    CanvasState keep(canvas_);
    canvas_->TextOut(PaintOriginX + windowWidth_ / 2, PaintOriginY + VisibleHeight / 2, "<empty>");
    return;
  }
  PaintRect(0, 0, windowWidth_, VisibleHeight);
}

void TWPRTFTextPaint::PaintVisible() {
  if (Quiet || LayoutOff() || !canvas_ || !canvas_->HandleAllocated()) return;
  ObjectRects.clear();
  SelectedObject = {};
  if (viewOptions_ & wpvPaintingOff) return;
  PaintRect(0, 0, windowWidth_, VisibleHeight);
}

void TWPRTFTextPaint::PaintRect(int x, int y, int width, int height) {
  if (Quiet || Formatting || width < 1 || height < 1 || (viewOptions_ & wpvPaintingOff) || LayoutOff()) return;
  if (!canvas_ || !canvas_->HandleAllocated()) return;
  CallHideCaret();
  {
    CanvasState keep(canvas_);
    if (!(viewOptions_ & wpvNoClipping))
      canvas_->IntersectClipRect(PaintOriginX + x - 1, PaintOriginY + y - 1, PaintOriginX + x + width + 2,
                                 PaintOriginY + y + height + 2);
    int painted = 0;
    int lastBottom = INT32_MIN;
    bool stop = false;
    int64_t lineStart = 0;  // absolute position of the line's first character
    for (TWPParagraphRec* p = FirstPar; p && !stop; p = p->next, ++lineStart) {
      for (TWPLineRec* l = p->line; l; lineStart += l->Length, l = l->next) {
        if ((viewOptions_ & wpvStopAtPageStart) && painted > 3 &&
            ((l->Flags & wplPageStart) || (!l->prev && (p->Flags & wppPageBreak)))) {
          stop = true;
          break;
        }
        const int64_t top = static_cast<int64_t>(l->Top) - TopOffset;
        const int64_t bottom = top + l->Height;
        if (bottom + 1 >= y && top <= y + height + 1) {
          if (!ShownWhole(l)) {
            // Its place shows the background instead of a cut line.
            if (!(viewOptions_ & (wpvTransparentPlainRuns | wpvTransparent | wpvNoBackgroundFill))) {
              const TRect r{PaintOriginX + x, PaintOriginY + static_cast<int>(std::max<int64_t>(top, y)),
                            PaintOriginX + x + width, PaintOriginY + static_cast<int>(std::min<int64_t>(bottom, y + height))};
              if (!r.IsEmpty()) FillBackground(r, BackgroundColor);
            }
            continue;
          }
          PaintLineAt(p, l, PaintOriginX + HorzOffset, PaintOriginY - TopOffset);
          PaintFocusMark(p, l, lineStart, PaintOriginX + HorzOffset, PaintOriginY - TopOffset);
          ++painted;
          lastBottom = std::max<int64_t>(lastBottom, bottom) > INT32_MAX ? INT32_MAX
                                                                          : static_cast<int>(std::max<int64_t>(lastBottom, bottom));
        }
      }
    }
    // Below the text.
    if (!(viewOptions_ & (wpvTransparentPlainRuns | wpvTransparent | wpvNoBackgroundFill))) {
      int from = lastBottom;
      if (painted == 0) {
        const int64_t docBottom = static_cast<int64_t>(TotalHeight) - TopOffset;
        from = docBottom <= y + height ? static_cast<int>(std::max<int64_t>(docBottom, y)) : INT32_MAX;
      }
      const int to = std::max(VisibleHeight, y + height);
      if (from < to) {
        const TRect r{PaintOriginX + x, PaintOriginY + std::max(from, y), PaintOriginX + x + width,
                      PaintOriginY + std::min(to, y + height)};
        if (!r.IsEmpty()) FillBackground(r, BackgroundColor);
      }
    }
  }
  CallShowCaret();
}

bool TWPRTFTextPaint::ShownWhole(const TWPLineRec* line) const {
  if (!(viewOptions_ & wpvWholeLinesOnly) || Quiet) return true;
  const int64_t top = static_cast<int64_t>(line->Top) - TopOffset;
  return top >= 0 && top + line->Height <= VisibleHeight;
}

void TWPRTFTextPaint::PaintLine(TWPParagraphRec* par, TWPLineRec* line) {
  if (!par || !line || !canvas_ || !canvas_->HandleAllocated() || LayoutOff()) return;
  if (!ShownWhole(line)) return;
  CallHideCaret();
  {
    CanvasState keep(canvas_);
    PaintLineAt(par, line, PaintOriginX + HorzOffset, PaintOriginY - TopOffset);
    if (FocusMarkShown && FocusMarkLength > 0) {
      int position = 0, lineNumber = 0, parNumber = 0;
      PositionOf(par, line, 0, position, lineNumber, parNumber);
      PaintFocusMark(par, line, position, PaintOriginX + HorzOffset, PaintOriginY - TopOffset);
    }
  }
  CallShowCaret();
}

void TWPRTFTextPaint::PaintFocusMark(const TWPParagraphRec* par, const TWPLineRec* line, int64_t lineStart,
                                     int originX, int originY) {
  if (!FocusMarkShown || FocusMarkLength <= 0 || FocusMarkStart < 0) return;
  const int64_t from = std::max<int64_t>(FocusMarkStart - lineStart, 0);
  const int64_t to = std::min<int64_t>(int64_t{FocusMarkStart} + FocusMarkLength - lineStart, line->Length);
  if (from >= to) return;
  const int top = originY + line->Top;
  canvas_->Brush()->SetStyle(bsSolid);
  // A pixel wider on each side, so that the frame does not cut into the glyphs.
  canvas_->DrawFocusRect({originX + CursorX(par, line, static_cast<int>(from)) - 1, top,
                          originX + CursorX(par, line, static_cast<int>(to)) + 1, top + line->Height});
}

bool TWPRTFTextPaint::PaintBackgroundTiles(TCanvas& canvas, const TRect& rect) {
  if (viewOptions_ & (wpvTransparent | wpvNoBackgroundFill)) return true;
  if (!background_ || background_->Width() <= 0 || background_->Height() <= 0) return false;
  const int tw = background_->Width(), th = background_->Height();
  // The grid of tiles; it moves with the text when the background scrolls.
  int gx = PaintOriginX, gy = PaintOriginY;
  if (BackgroundScrolls) {
    gx += HorzOffset;
    gy -= TopOffset;
  }
  auto floorTo = [](int v, int origin, int step) {
    const int d = v - origin;
    return origin + (d >= 0 ? d / step : -((-d + step - 1) / step)) * step;
  };
  for (int ty = floorTo(rect.Top, gy, th); ty < rect.Bottom; ty += th)
    for (int tx = floorTo(rect.Left, gx, tw); tx < rect.Right; tx += tw) {
      TRect tile{tx, ty, tx + tw, ty + th};
      TRect part;
      if (!IntersectRect(part, tile, rect)) continue;
      const TRect src{part.Left - tx, part.Top - ty, part.Right - tx, part.Bottom - ty};
      canvas.DrawSurface(part, background_->Surface(), src, SRCCOPY);
    }
  return true;
}

void TWPRTFTextPaint::FillBackground(const TRect& r, TColor color) {
  if (r.IsEmpty()) return;
  if (PaintBackgroundTiles(*canvas_, r)) return;
  canvas_->Brush()->SetStyle(bsSolid);
  canvas_->Brush()->SetColor(color);
  canvas_->FillRect(r);
}

// --- one line -------------------------------------------------------------------------

void TWPRTFTextPaint::PaintLineAt(TWPParagraphRec* par, TWPLineRec* line, int originX, int originY) {
  lineOriginX_ = originX;
  const int top = originY + line->Top;
  const int bottom = top + line->Height;
  const int startX = originX + LineStart(par, line);
  const int rightEdge = PaintOriginX + windowWidth_;

  // The selected range of the line.
  int selFrom = 0, selTo = 0;
  if (!(viewOptions_ & wpvHideSelection) && HasBlock() && line->SelState >= 2) {
    const TWPTextPlace& a = BlockReversed ? BlockEnd : BlockStart;
    const TWPTextPlace& b = BlockReversed ? BlockStart : BlockEnd;
    selFrom = a.Line == line ? std::clamp(a.Offset, 0, static_cast<int>(line->Length)) : 0;
    selTo = b.Line == line ? std::clamp(b.Offset, 0, static_cast<int>(line->Length)) : line->Length;
    if (selTo < selFrom) selTo = selFrom;
    line->SelState = (selFrom == 0 && selTo == line->Length && (b.Line != line || line->Length > 0)) ? 3 : 2;
  } else {
    line->SelState = 0;
  }
  const bool wholeSelected = line->SelState == 3;

  // A line without records is drawn through records of the writing attribute.
  std::vector<TWPAttrRecord> temp;
  const TWPAttrRecord* attrs = line->pa;
  if (!attrs) {
    SelectAttrFont(WritingAttr);
    temp.assign(line->Length + 2, WritingAttr);
    for (int i = 0; i < line->Length; ++i) {
      const unsigned char c = static_cast<unsigned char>(line->pc[i]);
      temp[i].Width = static_cast<uint16_t>(std::clamp(CharWidths[c == '\t' ? 32 : c], 0, 65535));
      temp[i].Height = static_cast<uint16_t>(FontHeight);
      temp[i].Ascent = static_cast<uint16_t>(FontAscent);
    }
    attrs = temp.data();
  }

  const bool transparentAll = viewOptions_ & wpvTransparent;
  TColor shade = clNone;
  if (par->Shading && par->ShadingPercent < 51) {
    const int fg = par->Shading & 0x0F, bg = par->Shading >> 4;
    shade = Header->Colors[bg ? bg : fg];
  } else if (par->Shading) {
    shade = Header->Colors[par->Shading & 0x0F];
  }
  const TColor lineBack = shade != clNone ? shade : BackgroundColor;

  // What the line fills besides its runs: the window's width, or for a
  // table cell its column (the row's outer cells also the window's margins);
  // inside the paragraph's edges in its shading, outside in the background.
  const bool cell = par->Flags & wppTableCell;
  int cellL = PaintOriginX, cellR = rightEdge;
  if (cell || shade != clNone) {
    int l = 0, r = 0;
    CellEdges(par, l, r);
    cellL = originX + l;
    cellR = originX + r;
  }
  const int spanL = cell && (par->Flags & wppRowContinues) ? cellL : PaintOriginX;
  const int spanR = cell && (par->Flags & wppRowGoesOn) ? cellR : rightEdge;
  auto fillSpan = [&](int from, int to, TColor inside) {
    from = std::max(from, spanL);
    to = std::min(to, spanR);
    if (from >= to) return;
    const int il = std::clamp(cellL, from, to), ir = std::clamp(cellR, from, to);
    FillBackground({from, top, il, bottom}, BackgroundColor);
    FillBackground({il, top, ir, bottom}, inside);
    FillBackground({ir, top, to, bottom}, BackgroundColor);
  };
  if (!transparentAll) fillSpan(spanL, startX, lineBack);

  canvas_->SetTextAlign(TA_BASELINE | TA_UPDATECP);
  canvas_->MoveTo(startX, top + line->Ascent);
  PaintRunsOfLine(par, line, attrs, top, top + line->Ascent, selFrom, selTo);

  // The rest of the line.
  const int endX = std::max(canvas_->PenPos().X, startX);
  if (!transparentAll) {
    if (wholeSelected) {
      const int to = std::min(spanR, cell ? cellR : spanR);
      if (endX < to) {
        canvas_->Brush()->SetStyle(bsSolid);
        canvas_->Brush()->SetColor(clHighlight);
        canvas_->FillRect({endX, top, to, bottom});
      }
      fillSpan(to, spanR, lineBack);
    } else {
      fillSpan(endX, spanR, lineBack);
    }
  }
  PaintPageBreakMark(par, line, top);
  PaintBorders(par, line, top);
}

struct TWPRTFTextPaint::PaintRun {
  int From = 0, To = 0;  // characters [From, To)
  bool Selected = false;
  bool Object = false;
};

void TWPRTFTextPaint::PaintRunsOfLine(TWPParagraphRec* par, TWPLineRec* line, const TWPAttrRecord* attrs,
                                      int top, int baseline, int selFrom, int selTo) {
  const int n = line->Length;
  if (n == 0) return;
  const int bottom = top + line->Height;
  // Advances of all characters, in the width rule of layout and cursor (x
  // in layout coordinates, without the origin).
  std::vector<int>& adv = paintAdvances_;
  adv.assign(n, 0);
  {
    int x = LineStart(par, line);
    int extra = 0;
    for (int i = 0; i < n; ++i) {
      adv[i] = CharAdvance(par, line, i, x, extra);
      x += adv[i];
    }
  }
  // Ascent of the line's text without paragraph spacing, for raised runs.
  int textAscent = 0;
  for (int i = 0; i < n; ++i)
    if (line->pc[i] != ' ' && !CharHidden(attrs[i])) textAscent = std::max<int>(textAscent, attrs[i].Ascent);

  std::string& text = paintText_;
  // An italic run that another follows on the line leans into it: its last
  // letter waits until the next run's background lies there and is drawn
  // then, once, reaching past the run's end (a letter drawn twice would be
  // two letters in a PDF's text).
  struct Lean {
    int From = -1, X = 0, End = 0, Y = 0;
    TColor Color = clBlack;
    char Shown = ' ';
    int Left = 0;  // the run's start: the letter's ink may reach back that far
  } lean;
  auto drawLean = [&](int reach) {
    if (lean.From < 0) return;
    SetCanvasFont(attrs[lean.From]);
    canvas_->SetTextColor(lean.Color);
    canvas_->SetBkMode(TRANSPARENT);
    const TRect over{lean.Left, top, lean.End + reach, bottom};
    canvas_->MoveTo(lean.X, lean.Y);
    canvas_->ExtTextOut(0, 0, ETO_CLIPPED, &over, &lean.Shown, 1, adv.data() + lean.From);
    lean.From = -1;
  };
  int i = 0;
  while (i < n) {
    const unsigned char c0 = static_cast<unsigned char>(line->pc[i]);
    PaintRun run;
    run.From = i;
    run.Selected = i >= selFrom && i < selTo;
    run.Object = IsObjectChar(c0, attrs[i]);
    int j = i + 1;
    if (!run.Object) {
      while (j < n && j - i < kMaxRunLength) {
        const unsigned char c = static_cast<unsigned char>(line->pc[j]);
        if (c == '\t' || IsObjectChar(c, attrs[j]) || !SameRun(attrs[j], attrs[i]) ||
            (j >= selFrom && j < selTo) != run.Selected)
          break;
        ++j;
      }
    }
    run.To = j;
    i = j;

    const TWPAttrRecord& a = attrs[run.From];
    int runWidth = 0;
    for (int k = run.From; k < run.To; ++k) runWidth += adv[k];
    const int x0 = canvas_->PenPos().X;
    if (CharHidden(a) && runWidth == 0) continue;  // a hidden stamp: nothing to draw

    TWPRunStyle style = SetCanvasFont(a);
    TColor textColor = style.TextColor;
    TColor brush = style.BrushColor;
    if (par->Shading && brush == BackgroundColor) {
      const int fg = par->Shading & 0x0F, bg = par->Shading >> 4;
      brush = Header->Colors[par->ShadingPercent < 51 ? (bg ? bg : fg) : fg];
    }
    bool opaque = !(viewOptions_ & wpvTransparent) && !(background_ && !par->Shading);
    if (viewOptions_ & wpvTransparentPlainRuns) {
      if (brush == BackgroundColor || ColorToRGB(brush) == clWhite || (viewOptions_ & wpvAllRunsTransparent))
        opaque = false;
    }
    if (run.Selected && !(viewOptions_ & wpvHideSelection)) {
      brush = clHighlight;
      textColor = clHighlightText;
      opaque = true;
    }
    const bool lineEnd = run.To == n;
    TRect clip{x0, top, x0 + runWidth, bottom};
    // The italic overhang of a line's last letter: drawn, and the rest of
    // the line filled only behind it.
    int next = x0 + runWidth;
    if (style.Italic && lineEnd) {
      clip.Right += kItalicOverhang;
      adv[run.To - 1] += kItalicOverhang;
      next += kItalicOverhang;
    }

    if (run.Object) {
      TWPObjectEntry* e = c0 == 1 ? FindObject(a.Tag, 0) : FindObject(0, a.Tag);
      if (!PaintBackgroundTiles(*canvas_, clip) && opaque) {
        canvas_->Brush()->SetStyle(bsSolid);
        canvas_->Brush()->SetColor(brush);
        canvas_->FillRect(clip);
      }
      drawLean(0);
      const TRect r{x0, baseline - a.Ascent, x0 + a.Width, baseline};
      PaintObject(e, r, run.Selected);
      canvas_->MoveTo(x0 + runWidth, baseline);
      continue;
    }

    if (run.To - run.From == 1 && c0 == ' ') {
      // A lone blank is only its background.
      if (opaque) {
        if (run.Selected || !PaintBackgroundTiles(*canvas_, clip)) {
          canvas_->Brush()->SetStyle(bsSolid);
          canvas_->Brush()->SetColor(brush);
          canvas_->FillRect(clip);
        }
      }
      drawLean(kItalicOverhang);
    } else {
      text.assign(line->pc + run.From, run.To - run.From);
      for (size_t k = 0; k < text.size(); ++k) {
        const unsigned char ch = static_cast<unsigned char>(text[k]);
        // An optional hyphen shows as a hyphen where its line breaks, else not at all.
        if (ch == kWPSoftHyphen) text[k] = ShownSoftHyphen(line, run.From + static_cast<int>(k)) ? '-' : ' ';
        else if (ch < 32) text[k] = ' ';
      }
      int shift = 0;
      if (style.Raised && a.Ascent < textAscent) shift = -textAscent / 3;
      else if (style.Lowered && a.Ascent < textAscent) shift = textAscent / 5;
      canvas_->MoveTo(x0, baseline + shift);
      canvas_->SetBkColor(brush);
      canvas_->SetTextColor(textColor);
      canvas_->SetBkMode(opaque ? OPAQUE : TRANSPARENT);
      if (!opaque && !(viewOptions_ & wpvTransparent) && background_) PaintBackgroundTiles(*canvas_, clip);
      // The background of the whole run; a leaning last letter comes later.
      const bool leans = style.Italic && !lineEnd;
      canvas_->ExtTextOut(0, 0, ETO_CLIPPED | (opaque ? ETO_OPAQUE : 0u), &clip, text.data(),
                          static_cast<int>(text.size()) - (leans ? 1 : 0), adv.data() + run.From);
      const int y = canvas_->PenPos().Y;
      drawLean(kItalicOverhang);
      if (leans)
        lean = {run.To - 1, x0 + runWidth - adv[run.To - 1], x0 + runWidth, y, textColor, text.back(), x0};
    }
    canvas_->MoveTo(next, baseline);

    // Hand-drawn decorations.
    if (style.Misspelled && !(viewOptions_ & wpvNoBackgroundFill)) {
      canvas_->Pen()->SetStyle(psSolid);
      canvas_->Pen()->SetWidth(1);
      canvas_->Pen()->SetColor(style.LineColor);
      for (int zx = x0; zx < x0 + runWidth; zx += 3) {
        const int up = ((zx - x0) / 3) % 2 == 0;
        canvas_->MoveTo(zx, baseline + (up ? 0 : 2));
        canvas_->LineTo(std::min(zx + 3, x0 + runWidth), baseline + (up ? 2 : 0));
      }
      canvas_->MoveTo(next, baseline);
    } else if (style.Underline) {
      canvas_->Brush()->SetStyle(bsSolid);
      canvas_->Brush()->SetColor(run.Selected ? clHighlightText : style.LineColor);
      const int w = lineEnd && c0 == ' ' ? 0 : runWidth;
      canvas_->FillRect({x0, baseline + 1, x0 + w, baseline + 2});
    }
  }
  // Hidden text to the line's end: the leaning letter ends the line.
  if (lean.From >= 0) {
    const TPoint at = canvas_->PenPos();
    drawLean(kItalicOverhang);
    canvas_->MoveTo(at.X, at.Y);
  }
}

// --- page-break marks and borders ---------------------------------------------------------

void TWPRTFTextPaint::PaintPageBreakMark(TWPParagraphRec* par, TWPLineRec* line, int top) {
  if (viewOptions_ & wpvPaintingOff) return;
  const bool forced = !line->prev && (par->Flags & wppPageBreak) && !(viewOptions_ & wpvHideForcedBreaks);
  const bool automatic = (line->Flags & wplPageStart) && !(viewOptions_ & wpvHidePageBreaks);
  if (!forced && !automatic) return;
  canvas_->Pen()->SetColor(clGray);
  canvas_->Pen()->SetWidth(1);
  canvas_->Pen()->SetStyle(forced ? psDash : psDot);
  canvas_->MoveTo(PaintOriginX, top);
  canvas_->LineTo(PaintOriginX + windowWidth_, top);
}

void TWPRTFTextPaint::CellEdges(const TWPParagraphRec* par, int& left, int& right) const {
  const int res = ResX();
  const int64_t W = Header->LayoutWidthTwips;
  int64_t l, inset;
  if (par->Flags & wppTableCell) {
    int64_t r = 0;
    CellTwips(par, l, r);
    inset = std::max<int64_t>(0, W - r);
  } else {
    // The bordered group: neighbours with the bordered flag, up to one
    // whose border is not passed on.
    const TWPParagraphRec* g = par;
    while (g->prev && (g->prev->BorderFlags & 1) && !(g->prev->BorderFlags & 2) && !(g->prev->Flags & wppTableCell))
      g = g->prev;
    l = 32000;
    inset = 32000;
    for (const TWPParagraphRec* p = g; p; p = p->next) {
      l = std::min<int64_t>(l, std::min(p->FirstIndent, p->LeftIndent));
      inset = std::min<int64_t>(inset, p->RightIndent);
      if ((p->BorderFlags & 2) || !p->next || !(p->next->BorderFlags & 1) || (p->next->Flags & wppTableCell)) break;
    }
  }
  auto px = [res](int64_t t) { return MulDiv(static_cast<int>(std::clamp<int64_t>(t, -(1 << 30), 1 << 30)), res, 1440); };
  left = px(l);
  int insetPx = px(inset);
  if (!(par->Flags & wppTableCell) && Header->PrintWidth != Header->LayoutWidth) {
    const int d = Header->PrintWidth - Header->LayoutWidth;
    insetPx = insetPx > d ? insetPx - d : 0;
  }
  right = Header->LayoutWidth - insetPx;
}

int TWPRTFTextPaint::BorderLineWidth(const TWPParagraphRec* par) const {
  if ((par->BorderStyle & 2) || par->BorderWidth == 0) return 1;
  return std::max(1, MulDiv(par->BorderWidth * 20, ResX(), 1440));
}

const TWPParagraphRec* TWPRTFTextPaint::EdgeNeighbour(const TWPParagraphRec* par, bool up) const {
  const bool cell = par->Flags & wppTableCell;
  if (!cell) {
    const TWPParagraphRec* n = up ? par->prev : par->next;
    return n && !(n->Flags & wppTableCell) ? n : nullptr;
  }
  // Past this row's first (last) cell, then to the first cell of that row.
  const TWPParagraphRec* r = par;
  if (up) {
    while (r->prev && (r->Flags & wppRowContinues)) r = r->prev;
    r = r->prev;
    while (r && (r->Flags & wppRowContinues) && r->prev) r = r->prev;
  } else {
    while (r->next && (r->Flags & wppRowGoesOn)) r = r->next;
    r = r->next;
  }
  for (; r && (r->Flags & wppTableCell); r = r->next) {
    if (r->ColStart <= par->ColStart && par->ColStart < r->ColStart + std::max<int>(r->ColWidth, 1)) return r;
    if (!(r->Flags & wppRowGoesOn)) break;
  }
  return nullptr;
}

TWPRTFTextPaint::BorderStrips TWPRTFTextPaint::BorderStripsOf(const TWPParagraphRec* par) const {
  BorderStrips s;
  if (!(par->BorderFlags & 1)) return s;
  auto draws = [](const TWPParagraphRec* p, uint8_t side) {
    return p && (p->BorderFlags & 1) && (p->BorderFlags & (side | 0x40));
  };
  const int w = BorderLineWidth(par);
  const bool cell = par->Flags & wppTableCell;
  if (draws(par, 0x04)) s.Top = draws(EdgeNeighbour(par, true), 0x08) ? w / 2 : w;
  if (draws(par, 0x08)) s.Bottom = draws(EdgeNeighbour(par, false), 0x04) ? (w + 1) / 2 : w;
  if (draws(par, 0x10)) s.Left = cell && (par->Flags & wppRowContinues) && draws(par->prev, 0x20) ? w / 2 : w;
  if (draws(par, 0x20)) s.Right = cell && (par->Flags & wppRowGoesOn) && draws(par->next, 0x10) ? (w + 1) / 2 : w;
  return s;
}

TWPRTFTextPaint::BorderStrips TWPRTFTextPaint::BorderInsets(const TWPParagraphRec* par) const {
  // The whole line on every side the paragraph has, whether a neighbour
  // shares it or not: the room depends on the paragraph alone, as its
  // layout does. A double line's second one lies two widths further in.
  // Beside the text one pixel is kept free already.
  BorderStrips s;
  if (!(par->BorderFlags & 1)) return s;
  const int room = (par->BorderFlags & 0x80) ? 3 * BorderLineWidth(par) : BorderLineWidth(par);
  const auto side = [&](uint8_t bit, int kept) { return (par->BorderFlags & (bit | 0x40)) ? room - kept : 0; };
  s.Top = side(0x04, 0);
  s.Bottom = side(0x08, 0);
  s.Left = side(0x10, 1);
  s.Right = side(0x20, 1);
  return s;
}

void TWPRTFTextPaint::PaintBorders(TWPParagraphRec* par, TWPLineRec* line, int top) {
  const bool cell = par->Flags & wppTableCell;
  const bool bordered = par->BorderFlags & 1;
  const bool gray = !bordered && cell && PaintGrayTable && DeviceTechnology == DT_RASDISPLAY;
  if (!bordered && !gray) return;
  int left = 0, right = 0;
  CellEdges(par, left, right);
  const int originX = lineOriginX_;
  const int x0 = originX + left, x1 = originX + right;
  const int y0 = top, y1 = top + line->Height;
  const bool firstLine = !line->prev;
  const bool lastLine = !line->next;
  const bool pageStartsHere = line->Flags & wplPageStart;
  const TWPLineRec* below = line->next ? line->next : (par->next ? par->next->line : nullptr);
  const bool pageStartsBelow = below && (below->Flags & wplPageStart);

  // Every side the paragraph has, in its own strip inside its edges; at a
  // page break each part of the paragraph closes on its own.
  const BorderStrips strips = gray ? BorderStrips{1, 1, 1, 1} : BorderStripsOf(par);
  const int full = gray ? 1 : BorderLineWidth(par);
  const TColor color = gray ? clBtnShadow : ((par->BorderColor & 0x0F) ? Header->Colors[par->BorderColor & 0x0F] : clBlack);
  const bool dotted = !gray && (par->BorderStyle & 1);
  const bool dbl = !gray && (par->BorderFlags & 0x80);

  // A strip `width` thick from `at` inwards (+1 down or right, -1 up or
  // left), the double line's second one two line widths further in.
  auto strip = [&](bool horizontal, int at, int inward, int width) {
    if (width <= 0) return;
    for (int k = 0; k < (dbl ? 2 : 1); ++k) {
      const int a = at + inward * k * 2 * full;
      const int from = inward > 0 ? a : a - width + 1, to = from + width;
      const TRect r = horizontal ? TRect{x0, from, x1, to} : TRect{from, y0, to, y1};
      canvas_->Brush()->SetColor(color);
      if (!dotted) {
        canvas_->FillRect(r);
        continue;
      }
      const int end = horizontal ? r.Right : r.Bottom;
      for (int d = horizontal ? r.Left : r.Top; d < end; d += 2)
        canvas_->FillRect(horizontal ? TRect{d, r.Top, std::min(d + 1, end), r.Bottom}
                                     : TRect{r.Left, d, r.Right, std::min(d + 1, end)});
    }
  };
  canvas_->Brush()->SetStyle(bsSolid);
  const auto has = [&](uint8_t side) { return gray || (par->BorderFlags & (side | 0x40)); };
  if (firstLine || pageStartsHere) strip(true, y0, 1, pageStartsHere ? (has(0x04) ? full : 0) : strips.Top);
  if (lastLine || pageStartsBelow) strip(true, y1 - 1, -1, pageStartsBelow ? (has(0x08) ? full : 0) : strips.Bottom);
  strip(false, x0, 1, strips.Left);
  strip(false, x1 - 1, -1, strips.Right);

  // Marks at the cell's tab stops.
  if (!gray && (par->BorderStyle & 0x40)) {
    const int h = std::max(1, ResX() / 25);
    for (int slot = 0; slot < kWPTabSlots; ++slot) {
      if (!((par->Tabs >> slot) & 1) || Header->TabTwips[slot] == 0) continue;
      const int tx = originX + Header->TabPixels[slot] + (cell ? LeftBoundary(par, line) : 0);
      if (tx <= x0 || tx >= x1) continue;
      canvas_->Brush()->SetColor(color);
      canvas_->FillRect({tx, y0, tx + 1, std::min(y1, y0 + h)});
    }
  }
}

// --- objects ----------------------------------------------------------------------------------

TGraphic* TWPRTFTextPaint::GraphicOf(const TWPObjectEntry* entry) {
  if (!entry || !entry->Obj) return nullptr;
  auto it = graphics_.find(entry->Obj);
  if (it != graphics_.end()) return it->second.get();
  std::unique_ptr<TGraphic> g;
  if (const auto* pic = dynamic_cast<const TWPPictureObject*>(entry->Obj)) {
    try {
      g = pic->MakeGraphic();
    } catch (const Exception&) {
      g.reset();  // undecodable data shows as a frame
    }
  }
  TGraphic* raw = g.get();
  graphics_.emplace(entry->Obj, std::move(g));
  return raw;
}

void TWPRTFTextPaint::PaintObject(TWPObjectEntry* entry, const TRect& rect, bool selected) {
  if (static_cast<int>(ObjectRects.size()) < kMaxObjectRects) {
    TRect doc = rect;
    OffsetRect(doc, -(PaintOriginX + HorzOffset), TopOffset - PaintOriginY);
    ObjectRects.push_back({doc, entry});
    if (selected && !SelectedObject.Entry) SelectedObject = ObjectRects.back();
  }
  TGraphic* g = GraphicOf(entry);
  canvas_->Brush()->SetStyle(bsClear);
  canvas_->Pen()->SetStyle(psSolid);
  canvas_->Pen()->SetWidth(1);
  if (!g || g->Empty()) {
    canvas_->Pen()->SetColor(clGray);
    canvas_->Rectangle(rect);
  } else {
    const unsigned align = canvas_->SetTextAlign(TA_TOP | TA_LEFT);
    canvas_->StretchDraw(rect, *g);
    canvas_->SetTextAlign(align);
  }
  if (selected) {
    canvas_->Pen()->SetColor(clBlack);
    canvas_->Rectangle(rect);
  }
  canvas_->Brush()->SetStyle(bsSolid);
}

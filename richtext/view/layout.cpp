// Layout of the text engine: device and resolution, layout width, measuring
// of paragraphs, the passes over the whole document (FormatText), the line
// heights and the vertical positioning pass with its page starts, and the
// selection's line marks. Line breaking itself is in linebreak.cpp.
#include <algorithm>
#include <climits>

#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "richtext/model/progress.h"
#include "richtext/view/paint.h"

namespace {

// Pixels per inch of the screen, taken when a device reports none.
constexpr int kScreenPpi = 96;

// Sets a flag until the returned guard ends.
[[nodiscard]] auto HoldFlag(bool& flag) {
  flag = true;
  return TScopeExit{[&flag] { flag = false; }};
}

// Closes a progress frame on every path.
struct ProgressFrame {
  explicit ProgressFrame(int total) { WPProgressBegin(total); }
  ~ProgressFrame() { WPProgressEnd(); }
};

// A progress frame counted in paragraphs, for documents of more than 100.
std::unique_ptr<ProgressFrame> ParagraphProgress(const TWPParagraphRec* first) {
  int total = 0;
  for (const TWPParagraphRec* p = first; p; p = p->next) ++total;
  return total > 100 ? std::make_unique<ProgressFrame>(total) : nullptr;
}

int64_t ParHeight(const TWPParagraphRec* p) {
  int64_t h = 0;
  for (const TWPLineRec* l = p->line; l; l = l->next) h += l->Height;
  return h;
}

bool SameFont(const TWPAttrRecord& a, const TWPAttrRecord& b) {
  return a.Font == b.Font && a.Size == b.Size && a.Style == b.Style;
}

uint16_t U16(int v) { return static_cast<uint16_t>(std::clamp(v, 0, 65535)); }

// Where pages start, as the lines arrive from the top, in the units of the
// printable `Height` (device pixels, or the printer's twips): a line that
// would reach below the page starts the next one, unless it is the first on
// its page; a paragraph kept together moves whole where it can; a table
// row that would reach below starts the next page as one.
struct PageRule {
  int64_t Height;     // no pages when 0 or less
  int64_t Start = 0;  // top of the current page
  void Line(TWPParagraphRec* p, TWPLineRec* l, int64_t top, int64_t h, int64_t firstTop) {
    if (Height <= 0 || top + h - Start <= Height || top <= Start) return;
    TWPLineRec* first = p->line;
    if ((p->Flags & wppKeepTogether) && l != first && firstTop > Start && !(first->Flags & wplPageStart)) {
      first->Flags |= wplPageStart;
      Start = firstTop;
      // The lines between moved with the first; one of them may reach
      // below the new page already.
      if (top + h - Start <= Height) return;
    }
    l->Flags |= wplPageStart;
    Start = top;
  }
  void Row(TWPParagraphRec* first, int64_t top, int64_t h) {
    if (Height <= 0 || top + h - Start <= Height || top <= Start) return;
    first->line->Flags |= wplPageStart;
    Start = top;
  }
};

}  // namespace

TWPRTFTextPaint::TWPRTFTextPaint() {
  // Until a canvas tells otherwise the engine lays out for the screen.
  SetResolution(0, 0);
}

TWPRTFTextPaint::~TWPRTFTextPaint() = default;

// --- device, resolution and width ----------------------------------------------

void TWPRTFTextPaint::SetCanvas(TCanvas* canvas) {
  canvas_ = canvas;
  if (!LayoutOff()) ReadDeviceMetrics();
}

void TWPRTFTextPaint::ReadDeviceMetrics() {
  if (!canvas_ || !canvas_->HandleAllocated()) return;
  DeviceTechnology = canvas_->GetDeviceCaps(TECHNOLOGY);
  DeviceResX = canvas_->GetDeviceCaps(LOGPIXELSX);
  SetResolution(DeviceResX, canvas_->GetDeviceCaps(LOGPIXELSY));
  TFontRequest r;
  r.Name = "Arial";
  r.Height = -MulDiv(10, ResY(), 72);
  const TWPFontMetrics& m = MetricsSource().Measure(r);
  ReferenceHeight = m.Height;
  Relayout();
}

void TWPRTFTextPaint::SetResolution(int x, int y) {
  if (x == 0) x = kScreenPpi;
  if (y == 0) y = kScreenPpi;
  if (!(viewOptions_ & wpvNoZoom)) {
    x = MulDiv(x, zoom_, 100);
    y = MulDiv(y, zoom_, 100);
  }
  x = std::max(x, 1);
  y = std::max(y, 1);
  const bool changed = x != Header->ResX || y != Header->ResY;
  Header->ResX = x;
  Header->ResY = y;
  memo_.Valid = twipsMemo_.Valid = false;
  if (!LayoutOff()) {
    Header->RecalcPixels();
    ApplyLayoutWidth();
    windowWidthTwips_ = MulDiv(windowWidth_, 1440, x);
  }
  if (changed && !Formatting) FormatText();
}

void TWPRTFTextPaint::SetZooming(int percent) {
  if (percent < 1 || percent == zoom_) return;
  // The device resolution without the old zoom, then with the new one.
  const int baseX = DeviceResX > 0 ? DeviceResX : kScreenPpi;
  const int baseY = canvas_ && canvas_->HandleAllocated() ? canvas_->GetDeviceCaps(LOGPIXELSY) : baseX;
  zoom_ = percent;
  SetResolution(baseX, baseY);
}

void TWPRTFTextPaint::SetResizing(int percent) {
  if (percent < 1 || percent == fontScale_) return;
  fontScale_ = percent;
  memo_.Valid = twipsMemo_.Valid = false;
  FormatText();
  PaintAll();
}

void TWPRTFTextPaint::ApplyLayoutWidth() {
  // Without a window to wrap to the page gives the width.
  if (!wordWrap_ || (viewOptions_ & wpvPageLayout) || windowWidth_ <= 0)
    Header->SetLayoutWidthTwips(Header->PageWidth - Header->MarginLeft - Header->MarginRight);
  else
    Header->SetLayoutWidth(windowWidth_);
}

void TWPRTFTextPaint::SetWindowWidth(int pixels) {
  const bool followsWindow = wordWrap_ && !(viewOptions_ & wpvPageLayout);
  if (pixels == windowWidth_ && !(followsWindow && Header->LayoutWidth != pixels)) return;
  windowWidth_ = pixels;
  if (Header->ResX > 0) windowWidthTwips_ = MulDiv(pixels, 1440, Header->ResX);
  if (Formatting || LayoutInProgress || inScrollCallbacks_) {
    // A scroll bar shown or hidden by a layout's scroll-bar callback: the
    // new width is laid out once the layout has finished.
    widthPending_ = true;
    return;
  }
  if (!followsWindow) Relayout();
  else FollowLayoutWidth(pixels);
  // Lines that now fit need no sideways scrolling.
  if (Header->LayoutWidth <= windowWidth_) HorzOffset = 0;
}

void TWPRTFTextPaint::FollowLayoutWidth(int32_t pixels) {
  const int32_t old = Header->LayoutWidth;
  Header->SetLayoutWidth(pixels);
  // A right indent counts from the printable edge, so a window wider than
  // the page (a scroll bar shown or hidden beside it) moves no right edge:
  // the lines broken already stay, only what an edit marked is laid out.
  bool moved = LayoutDirty;
  for (const TWPParagraphRec* p = FirstPar; p && !moved; p = p->next)
    moved = (p->Flags & wppTableCell) || old - RightBoundaryAt(p, old) != pixels - RightBoundary(p);
  if (moved) {
    FormatText();
  } else {
    PrepareLayout();
    ReformatAll();
  }
}

bool TWPRTFTextPaint::LayoutPending() const {
  if (LayoutDirty) return true;
  for (const TWPParagraphRec* p = FirstPar; p; p = p->next)
    if (p->ChangeFlags & (wpcBreak | wpcMeasure)) return true;
  return false;
}

void TWPRTFTextPaint::RunPendingFormat() {
  bool& running = runningPending_;
  if (!widthPending_ || running || Formatting || LayoutInProgress || inScrollCallbacks_) return;
  running = true;
  TScopeExit done{[this, &running] {
    running = false;
    widthPending_ = false;
  }};
  // A width that changes again while laying out (the bar goes the other
  // way) is laid out once more; width only shortens text, so this ends.
  for (int pass = 0; widthPending_ && pass < 3; ++pass) {
    widthPending_ = false;
    if (wordWrap_ && !(viewOptions_ & wpvPageLayout)) FollowLayoutWidth(windowWidth_);
    else Relayout();
    if (Header->LayoutWidth <= windowWidth_) HorzOffset = 0;
  }
}

void TWPRTFTextPaint::SetWordWrap(bool on) {
  if (on == wordWrap_ && !(on && Header->LayoutWidth != windowWidth_)) return;
  wordWrap_ = on;
  if (on && !(viewOptions_ & wpvPageLayout)) HorzOffset = 0;
  ApplyLayoutWidth();
  FormatText();
}

void TWPRTFTextPaint::SetViewOptions(uint32_t options) {
  const uint32_t old = viewOptions_;
  viewOptions_ = options;
  if ((old & wpvLayoutOff) && !(options & wpvLayoutOff)) {
    Header->ResX = Header->ResY = 0;
    const int passes = formatCount_;
    if (canvas_) ReadDeviceMetrics();
    else SetResolution(0, 0);
    // The new resolution has laid the text out already, unless the canvas
    // had none to give.
    if (formatCount_ == passes) FormatText();
  } else if (!(old & wpvNoZoom) && (options & wpvNoZoom) && zoom_ != 100) {
    SetResolution(DeviceResX, canvas_ && canvas_->HandleAllocated() ? canvas_->GetDeviceCaps(LOGPIXELSY) : 0);
    FormatText();
  } else if ((old ^ options) & (wpvShowHidden | wpvPageLayout | wpvPrinterWidths)) {
    // What is measured or the width broken to changed.
    ApplyLayoutWidth();
    FormatText();
  }
  if (!LayoutOff()) PaintAll();
}

void TWPRTFTextPaint::SetBackgroundPicture(const TBitmap* picture) {
  if (!picture || picture->Empty()) background_.reset();
  else background_ = std::make_unique<TBitmap>(*picture);
}

// --- whole-document passes --------------------------------------------------------

void TWPRTFTextPaint::FormatText() {
  if (LayoutOff()) return;
  if (LayoutInProgress || Formatting) {
    LayoutDirty = true;
    return;
  }
  // A pass asked for while this one runs stays owed.
  LayoutDirty = false;
  {
    auto running = HoldFlag(Formatting);
    LayoutWidthAtFormat = Header->LayoutWidth;
    memo_.Valid = twipsMemo_.Valid = false;
    for (TWPParagraphRec* p = FirstPar; p; p = p->next) p->ChangeFlags |= wpcBreak | wpcMeasure;
    ProgressFrame progress(100);
    Header->RecalcPixels();
    ClearObjectMarks();
    WPProgressSetShare(50);
    PrepareLayout();
    RemoveUnmarkedObjects();
    WPProgressUpdate(50);
    WPProgressSetShare(100);
    ReformatAll();
    ++formatCount_;
  }
  RunPendingFormat();
  if (OnPlaceCaret) OnPlaceCaret();
  if (UpdateObject && !(viewOptions_ & wpvPaintingOff)) UpdateObject->TextFormatted();
}

void TWPRTFTextPaint::PrepareLayout() {
  if (LayoutOff()) return;
  auto busy = HoldFlag(LayoutInProgress);
  auto whole = HoldFlag(measuringAll_);
  // Lines of plain storage and blank-only lines take the writing font.
  SelectAttrFont(WritingAttr);
  PlainLineHeight = FontHeight;
  PlainLineAscent = FontAscent;
  const auto progress = ParagraphProgress(FirstPar);
  int n = 0;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
    if (p->ChangeFlags & wpcMeasure) MeasureParagraph(p);
    if (progress) WPProgressUpdate(++n);
  }
}

void TWPRTFTextPaint::ReformatAll() {
  if (LayoutOff()) return;
  {
    auto busy = HoldFlag(LayoutInProgress);
    const auto progress = ParagraphProgress(FirstPar);
    int n = 0;
    for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
      if (p->ChangeFlags & wpcBreak) {
        int kind = 0;
        WrapParagraph(p, false, kind);
      }
      p->ChangeFlags &= static_cast<uint8_t>(~wpcBreak);
      if (progress) WPProgressUpdate(++n);
    }
  }
  Relayout();
  if (!Quiet && OnPlaceCaret) OnPlaceCaret();
}

// --- measuring ------------------------------------------------------------------

bool TWPRTFTextPaint::CharHidden(const TWPAttrRecord& a) const {
  auto* self = const_cast<TWPRTFTextPaint*>(this);
  if ((a.Style & wpsInsertPoint) && self->InsertPointAttr().Hidden()) return true;
  if ((a.Style & wpsAutomatic) && self->AutomaticTextAttr().Hidden()) return true;
  if ((a.Style & wpsHyperlink) && self->HyperlinkTextAttr().Hidden()) return true;
  if ((a.Style & wpsProtected) && self->ProtectedTextAttr().Hidden()) return true;
  if ((a.Style & wpsBookmark) && self->BookmarkTextAttr().Hidden()) return true;
  return (a.Style & wpsHidden) && !ShowHidden();
}

void TWPRTFTextPaint::MeasureLine(TWPParagraphRec* par, TWPLineRec* line, bool emptyPar) {
  int lh = 0, la = 0;
  if (!line->pa) {
    SelectAttrFont(WritingAttr);
  } else if (line->Length == 0) {
    // The paragraph end's own font.
    if (line->pa[0].Size == 0) line->pa[0].Size = 10;
    line->pa[0].Font = WPValidFont(line->pa[0].Font);
    SelectAttrFont(line->pa[0]);
  }
  TWPAttrRecord* pa = line->pa;
  for (int i = 0; pa && i < line->Length;) {
    int j = i + 1;
    while (j < line->Length && SameFont(pa[j], pa[i])) ++j;
    if (pa[i].Size == 0) pa[i].Size = 10;
    pa[i].Font = WPValidFont(pa[i].Font);
    SelectAttrFont(pa[i]);
    for (int k = i; k < j; ++k) {
      TWPAttrRecord& a = pa[k];
      if (a.Size == 0) a.Size = 10;
      a.Font = WPValidFont(a.Font);
      const unsigned char c = static_cast<unsigned char>(line->pc[k]);
      int w, h, asc;
      if (CharHidden(a)) {
        w = h = asc = 0;
      } else if ((a.Style & wpsObject) && (c == 1 || c == 2)) {
        TWPObjectEntry* e = c == 1 ? FindObject(a.Tag, 0) : FindObject(0, a.Tag);
        if (e) {
          e->Mark = 1;
          int32_t tw = 0, th = 0;
          ObjectSize(e, tw, th);
          w = MulDiv(tw, ResX(), 1440);
          asc = MulDiv(th, ResY(), 1440);
          h = asc + (FontHeight - FontAscent);
        } else {
          w = 0;
          h = FontHeight;
          asc = FontAscent;
        }
      } else {
        w = std::max(1, CharWidths[c]);
        h = std::max(1, FontHeight);
        asc = std::max(1, FontAscent);
      }
      a.Width = U16(w);
      a.Height = U16(h);
      a.Ascent = U16(asc);
      lh = std::max(lh, h);
      la = std::max(la, asc);
    }
    i = j;
  }
  if (pa && line->Length > 0 && !line->next) {
    // The paragraph end's record, measured too: a re-break that ends the
    // paragraph in an empty line (after a line feed) takes its metrics.
    TWPAttrRecord& end = pa[line->Length];
    if (end.Size == 0) end.Size = 10;
    end.Font = WPValidFont(end.Font);
    SelectAttrFont(end);
    end.Height = U16(FontHeight);
    end.Ascent = U16(FontAscent);
  }
  if (line->Length == 0 && pa && par->prev && emptyPar) {
    // An empty paragraph follows the height of the text above it (judged by
    // its characters: lines not yet broken may be several empty ones).
    // Its last character; when it has none, or ends in a line feed (an
    // empty last line), its paragraph end. Judged by the characters, not by
    // the lines, which may not be broken yet.
    TWPLineRec* prev = Get_LastLine(par->prev);
    TWPLineRec* text = prev;
    while (text && text->Length == 0) text = text->prev;
    if (text && text->pa && text->pc[text->Length - 1] != '\n') {
      lh = text->pa[text->Length - 1].Height;
      la = text->pa[text->Length - 1].Ascent;
    } else if (prev->pa) {
      lh = prev->pa[prev->Length].Height;
      la = prev->pa[prev->Length].Ascent;
    }
    if (lh < 1) {
      lh = FontHeight;
      la = FontAscent;
    }
  } else {
    lh = std::max(lh, FontHeight);
    la = std::max(la, FontAscent);
  }
  if (line->Length == 0 && pa) {
    // The paragraph end's record carries the empty line's metrics, so that
    // the line-height rule finds them after any re-break.
    pa[0].Height = U16(lh);
    pa[0].Ascent = U16(la);
  }
  line->Height = U16(lh);
  line->Ascent = U16(la);
}

void TWPRTFTextPaint::MeasureParagraph(TWPParagraphRec* par) {
  if (Measuring || !par || LayoutOff()) return;
  {
    auto busy = HoldFlag(Measuring);
    const bool empty = ParLength(par) == 0;
    for (TWPLineRec* l = par->line; l; l = l->next) MeasureLine(par, l, empty);
    for (TWPLineRec* l = par->line; l; l = l->next) CalcLineHeight(par, l);
    par->ChangeFlags = static_cast<uint8_t>((par->ChangeFlags | wpcBreak) & ~wpcMeasure);
  }
  // An empty paragraph below follows this one's height.
  TWPParagraphRec* next = par->next;
  if (!measuringAll_ && next && ParLength(next) == 0) MeasureParagraph(next);
}

int TWPRTFTextPaint::UpdateParagraph(TWPParagraphRec* par) {
  if (!par || LayoutOff()) return wpcNone;
  const int passes = formatCount_;
  // Measuring alone can change heights, which breaking then no longer sees
  // (a first letter typed into an empty line that followed a taller text
  // above it): the heights before it tell whether the lines below move.
  std::vector<int64_t> heights;
  for (const TWPParagraphRec* p = par; p && (p == par || ParLength(p) == 0); p = p->next)
    heights.push_back(ParHeight(p));
  MeasureParagraph(par);
  int kind = wpcNone;
  if (!LayoutInProgress) {
    WrapParagraph(par, true, kind);
    // The empty paragraphs below were measured anew with this one (each
    // follows the one above it).
    for (TWPParagraphRec* n = par->next; n && (n->ChangeFlags & wpcBreak) && ParLength(n) == 0; n = n->next) {
      int k = wpcNone;
      WrapParagraph(n, true, k);
      kind = std::max(kind, k);
    }
    Relayout();
    const TWPParagraphRec* p = par;
    for (size_t i = 0; i < heights.size() && p; ++i, p = p->next)
      if (ParHeight(p) != heights[i]) kind = wpcBelowMoves;
  }
  // A complete pass ran meanwhile (the window width changed): everything moved.
  return formatCount_ != passes ? wpcBelowMoves : kind;
}

void TWPRTFTextPaint::ReplaceText(TWPParagraphRec* par, TWPLineRec* line, int offset, int deleteCount,
                                  const char* text, int length) {
  TWPRTFTextIo::ReplaceText(par, line, offset, deleteCount, text, length);
  if (Formatting) return;
  UpdateParagraph(par);
}

// --- line heights and vertical positions ----------------------------------------

bool TWPRTFTextPaint::CalcLineHeight(TWPParagraphRec* par, TWPLineRec* line) {
  const int old = line->Height;
  int h = 0, a = 0;
  if (PlainText || !line->pa) {
    h = PlainLineHeight;
    a = PlainLineAscent;
  } else {
    if (line->Length > 0) {
      for (int i = 0; i < line->Length; ++i) {
        const TWPAttrRecord& r = line->pa[i];
        if (line->pc[i] == ' ' || (r.Style & wpsHidden)) continue;
        if (r.Height > h) {
          h = r.Height;
          a = r.Ascent;
        }
      }
    } else if (par->Flags & wppTableCell) {
      // An empty cell line: its own font's height for both (the font last
      // selected would make the row depend on what was measured before).
      h = a = line->pa[0].Height > 0 ? line->pa[0].Height : (DefaultLineHeight < 0 ? 16 : DefaultLineHeight);
    } else {
      h = line->pa[0].Height;
      a = line->pa[0].Ascent;
    }
    if (h < 1) {
      h = PlainLineHeight;
      a = PlainLineAscent;
    }
  }
  const int resY = ResY();
  int s = MulDiv(par->LineSpacing, resY, 1440);
  // A multiple of the line's own height is exactly that height.
  if ((par->Flags & wppLineMultiple) && par->LineSpacing > 0) s = -std::max(1, MulDiv(h, par->LineSpacing, 240));
  if (s > 0 && s > h) {
    const int extra = s - h;
    h = s;
    a += extra / 2;
  } else if (s < 0) {
    const int nh = -s;
    a -= (h - nh) / 2;
    h = std::max(nh, 0);
    a = std::max(a, 0);
  }
  const BorderStrips border = BorderInsets(par);
  if (line == par->line) {
    const int before = MulDiv(par->SpaceBefore, resY, 1440) + border.Top;
    h = std::max(0, h + before);
    a = std::max(0, a + before);
  }
  if (!line->next) h = std::max(0, h + MulDiv(par->SpaceAfter, resY, 1440) + border.Bottom);
  line->Height = U16(h);
  line->Ascent = U16(a);
  return line->Height != old;
}

void TWPRTFTextPaint::Relayout() {
  if (LayoutInProgress || LayoutOff()) return;
  const int resY = ResY();
  PageRule pages{(static_cast<int64_t>(Header->PageHeight) - Header->MarginTop - Header->MarginBottom) * resY / 1440};
  int64_t top = 0;
  int64_t rowTop = 0, rowHeight = 0;
  std::vector<std::pair<TWPParagraphRec*, int>> rowCells;
  auto clampTop = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  // Table flags made consistent with the neighbours, until nothing changes
  // (a cell that loses its flags can leave its neighbour without a row).
  // Only flags are taken away, so this ends.
  std::vector<TWPParagraphRec*> noLongerCells;
  for (bool changed = true; changed;) {
    changed = false;
    for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
      const uint8_t before = p->Flags;
      if ((p->Flags & wppRowGoesOn) && !(p->next && (p->next->Flags & wppRowContinues))) {
        p->Flags &= ~(wppRowGoesOn | wppTableCell);
        p->SpaceAfter = 0;
      }
      if ((p->Flags & wppRowContinues) && !(p->prev && (p->prev->Flags & wppRowGoesOn))) {
        p->Flags &= ~(wppRowContinues | wppTableCell);
        p->SpaceAfter = 0;
      }
      if ((p->Flags & (wppRowContinues | wppRowGoesOn)) && !(p->Flags & wppTableCell))
        p->Flags &= ~(wppRowContinues | wppRowGoesOn);
      if ((p->Flags & wppTableCell) && !(p->Flags & (wppRowContinues | wppRowGoesOn))) {
        p->Flags &= ~wppTableCell;
        p->SpaceAfter = 0;
      }
      if (p->Flags != before) {
        changed = true;
        if ((before & wppTableCell) && !(p->Flags & wppTableCell)) noLongerCells.push_back(p);
      }
    }
  }
  // No longer cells: as wide as the text again.
  for (TWPParagraphRec* p : noLongerCells) {
    int kind = wpcNone;
    WrapParagraph(p, false, kind);
  }
  for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
    if (p->Flags & wppPageBreak) pages.Start = top;
    const bool cell = p->Flags & wppTableCell;
    if ((p->Flags & wppRowGoesOn) && !(p->Flags & wppRowContinues)) {
      rowTop = top;
      rowHeight = 0;
      rowCells.clear();
    }
    if (cell) p->SpaceAfter = 0;
    const int64_t y = cell ? rowTop : top;
    int64_t height = 0;
    for (TWPLineRec* l = p->line; l; l = l->next) {
      if (cell && !l->next) CalcLineHeight(p, l);
      l->Top = clampTop(y + height);
      l->Flags &= ~wplPageStart;
      if (!cell) pages.Line(p, l, l->Top, l->Height, p->line->Top);
      height += l->Height;
    }
    if (!cell) {
      top += height;
    } else if (p->Flags & wppRowGoesOn) {
      rowHeight = std::max<int64_t>(rowHeight, height);
      rowCells.emplace_back(p, static_cast<int>(std::min<int64_t>(height, INT32_MAX)));
    } else {
      rowCells.emplace_back(p, static_cast<int>(std::min<int64_t>(height, INT32_MAX)));
      rowHeight += MulDiv(p->SpaceBefore, resY, 1440);
      rowHeight = std::max<int64_t>(rowHeight, height);
      pages.Row(rowCells.front().first, rowTop, rowHeight);
      top = rowTop + rowHeight;
      for (auto& [cp, own] : rowCells) {
        cp->SpaceAfter = MulDiv(static_cast<int>(std::min<int64_t>(rowHeight - own, INT32_MAX / 1440)), 1440, resY);
        CalcLineHeight(cp, Get_LastLine(cp));
      }
      rowCells.clear();
    }
  }
  if (viewOptions_ & wpvPrinterWidths) PageStartsInTwips();
  TotalHeight = clampTop(top);
  if (!(viewOptions_ & wpvNoScrollCallbacks)) {
    // A callback that changes the window width is answered after it.
    auto inCallbacks = HoldFlag(inScrollCallbacks_);
    if (OnUpdateHScroll) OnUpdateHScroll();
    if (OnUpdateVScroll) OnUpdateVScroll();
  }
  RunPendingFormat();
}

// --- page starts by the printer's heights ------------------------------------------

int TWPRTFTextPaint::HeightTwips(const TWPAttrRecord& attr, unsigned char c) const {
  const TWPFontMetrics& m = TwipsMetrics(attr);
  if ((attr.Style & wpsObject) && (c == 1 || c == 2)) {
    if (const TWPObjectEntry* e = c == 1 ? FindObject(attr.Tag, 0) : FindObject(0, attr.Tag)) {
      int32_t w = 0, h = 0;
      ObjectSize(e, w, h);
      return h + m.Height - m.Ascent;
    }
  }
  return std::max(1, m.Height);
}

int64_t TWPRTFTextPaint::LineHeightTwips(const TWPParagraphRec* par, const TWPLineRec* line) const {
  int64_t h = 0;
  if (!PlainText && line->pa && line->Length > 0) {
    const TWPAttrRecord* last = nullptr;
    for (int i = 0; i < line->Length; ++i) {
      const TWPAttrRecord& r = line->pa[i];
      const unsigned char c = static_cast<unsigned char>(line->pc[i]);
      // A run of one font has one height (an object has its own).
      if (c == ' ' || (last && SameFont(*last, r) && !(r.Style & wpsObject))) continue;
      if (!(r.Style & wpsObject)) last = &r;
      if ((r.Style & wpsHidden) || CharHidden(r)) continue;
      h = std::max<int64_t>(h, HeightTwips(r, c));
    }
  } else if (!PlainText && line->pa) {
    // An empty line: the height measuring gave it, that of the text above
    // for the only line of an empty paragraph after another (MeasureLine).
    const TWPParagraphRec* p = par;
    const TWPLineRec* l = line;
    for (;;) {
      if (!p->prev || ParLength(p) > 0) {
        h = HeightTwips(l->pa[0], 0);
        break;
      }
      const TWPLineRec* prev = Get_LastLine(p->prev);
      const TWPLineRec* text = prev;
      while (text && text->Length == 0) text = text->prev;
      if (text && text->pa && text->pc[text->Length - 1] != '\n') {
        h = HeightTwips(text->pa[text->Length - 1], static_cast<unsigned char>(text->pc[text->Length - 1]));
        break;
      }
      if (!prev->pa || ParLength(p->prev) > 0) {
        h = HeightTwips(prev->pa ? prev->pa[prev->Length] : l->pa[0], 0);
        break;
      }
      p = p->prev;
      l = prev;
    }
  }
  if (h < 1) h = TwipsMetrics(WritingAttr).Height;
  // Spacing, space before and after and the border's room as CalcLineHeight
  // adds them (a cell's space after is its row's, not its own).
  int64_t s = par->LineSpacing;
  if ((par->Flags & wppLineMultiple) && par->LineSpacing > 0)
    s = -std::max(1, MulDiv(static_cast<int>(std::min<int64_t>(h, INT_MAX)), par->LineSpacing, 240));
  if (s > 0 && s > h) h = s;
  else if (s < 0) h = -s;
  const int64_t room = BorderRoomTwips(par);
  const int64_t top = (par->BorderFlags & (0x04 | 0x40)) ? room : 0;
  const int64_t bottom = (par->BorderFlags & (0x08 | 0x40)) ? room : 0;
  if (line == par->line) h = std::max<int64_t>(0, h + par->SpaceBefore + top);
  if (!line->next) h = std::max<int64_t>(0, h + ((par->Flags & wppTableCell) ? 0 : par->SpaceAfter) + bottom);
  return h;
}

void TWPRTFTextPaint::PageStartsInTwips() {
  PageRule pages{static_cast<int64_t>(Header->PageHeight) - Header->MarginTop - Header->MarginBottom};
  if (pages.Height <= 0) return;
  // As Relayout places the lines, in twips.
  int64_t top = 0, rowTop = 0, rowHeight = 0;
  TWPParagraphRec* rowFirst = nullptr;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
    if (p->Flags & wppPageBreak) pages.Start = top;
    const bool cell = p->Flags & wppTableCell;
    if ((p->Flags & wppRowGoesOn) && !(p->Flags & wppRowContinues)) {
      rowTop = top;
      rowHeight = 0;
      rowFirst = p;
    }
    const int64_t y = cell ? rowTop : top;
    int64_t height = 0;
    for (TWPLineRec* l = p->line; l; l = l->next) {
      const int64_t h = LineHeightTwips(p, l);
      l->Flags &= ~wplPageStart;
      if (!cell) pages.Line(p, l, y + height, h, y);
      height += h;
    }
    if (!cell) {
      top += height;
    } else if (p->Flags & wppRowGoesOn) {
      rowHeight = std::max(rowHeight, height);
    } else {
      rowHeight = std::max(rowHeight + p->SpaceBefore, height);
      if (rowFirst) pages.Row(rowFirst, rowTop, rowHeight);
      top = rowTop + rowHeight;
    }
  }
}

int TWPRTFTextPaint::CursorPage() const {
  int pages = 0;
  for (const TWPParagraphRec* p = FirstPar; p; p = p->next) {
    if ((p->Flags & wppPageBreak) && p != FirstPar) ++pages;
    for (const TWPLineRec* l = p->line; l; l = l->next) {
      if ((l->Flags & wplPageStart) && !(l == p->line && (p->Flags & wppPageBreak))) ++pages;
      if (l == CursorLine) return pages;
    }
  }
  return pages;
}

int TWPRTFTextPaint::LineOnPage() const {
  if (!CursorPar || !CursorLine) return 0;
  int n = 0;
  const TWPParagraphRec* p = CursorPar;
  const TWPLineRec* l = CursorLine;
  while (p) {
    if (l->Flags & wplPageStart) return n;
    if (!l->prev && (p->Flags & wppPageBreak)) return n;
    if (l->prev) {
      l = l->prev;
    } else {
      p = p->prev;
      if (!p) break;
      l = Get_LastLine(const_cast<TWPParagraphRec*>(p));
    }
    ++n;
  }
  return n;
}

// --- the full reformat and clearing --------------------------------------------------

void TWPRTFTextPaint::Changed() {
  if (!CursorPar && FirstPar) {
    CursorPar = FirstPar;
    CursorLine = FirstPar->line;
    CursorOffset = 0;
  }
  if (Formatting || LayoutOff()) return;
  ApplyLayoutWidth();
  Header->RecalcPixels();
  {
    ProgressFrame progress(100);
    WPProgressSetShare(50);
    PrepareLayout();
    WPProgressSetShare(100);
    ReformatAll();
  }
  if (OnUpdateHScroll) OnUpdateHScroll();
  PaintAll();
}

void TWPRTFTextPaint::Clear() {
  FocusMarkStart = -1;
  FocusMarkLength = 0;
  FocusMarkShown = false;
  ClearBlock();
  ObjectRects.clear();
  SelectedObject = {};
  graphics_.clear();
  TWPRTFTextIo::Clear();
}

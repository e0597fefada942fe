// Page painting and printing of the text engine. Both lay the text out for
// another device (a preview canvas or the printer) at the page's printable
// width, paint page after page with the line painter, and then give the
// screen back its canvas, view and layout, on every path: a failure while
// printing aborts the printer's document, restores the view and passes on.
#include <algorithm>

#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "richtext/view/paint.h"

namespace {

bool StartsPage(const TWPParagraphRec* p, const TWPLineRec* l) {
  return (l->Flags & wplPageStart) || (!l->prev && (p->Flags & wppPageBreak));
}

}  // namespace

void TWPRTFTextPaint::SaveView() {
  saved_.Active = true;
  saved_.Canvas = canvas_;
  saved_.WordWrap = wordWrap_;
  saved_.ViewOptions = viewOptions_;
  saved_.DeviceResX = DeviceResX;
  saved_.DeviceTechnology = DeviceTechnology;
  saved_.WindowWidth = windowWidth_;
  saved_.VisibleHeight = VisibleHeight;
  saved_.TopOffset = TopOffset;
  saved_.HorzOffset = HorzOffset;
  saved_.PaintOriginX = PaintOriginX;
  saved_.PaintOriginY = PaintOriginY;
  saved_.ResX = Header->ResX;
  saved_.ResY = Header->ResY;
}

void TWPRTFTextPaint::RestoreView() {
  if (!saved_.Active) return;
  saved_.Active = false;
  canvas_ = saved_.Canvas;
  wordWrap_ = saved_.WordWrap;
  viewOptions_ = saved_.ViewOptions;
  DeviceResX = saved_.DeviceResX;
  DeviceTechnology = saved_.DeviceTechnology;
  windowWidth_ = saved_.WindowWidth;
  VisibleHeight = saved_.VisibleHeight;
  TopOffset = saved_.TopOffset;
  HorzOffset = saved_.HorzOffset;
  PaintOriginX = saved_.PaintOriginX;
  PaintOriginY = saved_.PaintOriginY;
  // The resolution as it was (zoom included), then the layout for it.
  Header->ResX = saved_.ResX;
  Header->ResY = saved_.ResY;
  memo_.Valid = twipsMemo_.Valid = false;
  Header->RecalcPixels();
  ApplyLayoutWidth();
  windowWidthTwips_ = MulDiv(windowWidth_, 1440, ResX());
  FormatText();
}

// Lays the text out for a device's resolution at the page's printable width.
void TWPRTFTextPaint::BeginPagePaint(TCanvas* canvas, int width, int height) {
  if (saved_.Active) EndPagePaint();
  SaveView();
  canvas_ = canvas;
  viewOptions_ |= wpvNoZoom | wpvPageLayout | wpvNoScrollCallbacks | wpvHidePageBreaks | wpvHideForcedBreaks;
  int x = 0, y = 0;
  if (canvas && canvas->HandleAllocated()) {
    DeviceTechnology = canvas->GetDeviceCaps(TECHNOLOGY);
    x = canvas->GetDeviceCaps(LOGPIXELSX);
    y = canvas->GetDeviceCaps(LOGPIXELSY);
    DeviceResX = x;
  }
  windowWidth_ = width;
  VisibleHeight = height;
  TopOffset = HorzOffset = 0;
  PaintOriginX = PaintOriginY = 0;
  SetResolution(x, y);
  ApplyLayoutWidth();
  FormatText();
}

int TWPRTFTextPaint::PaintPageArea(int x, int y, int height, int first, bool measureOnly) {
  int number = 0;
  TWPParagraphRec* p = FirstPar;
  TWPLineRec* l = p ? p->line : nullptr;
  // The line to start with.
  while (p && number < first) {
    l = l->next;
    if (!l) {
      p = p->next;
      l = p ? p->line : nullptr;
    }
    ++number;
  }
  if (!p) return -1;
  const int32_t pageTop = l->Top;
  const TWPLineRec* start = l;
  const int oldX = PaintOriginX, oldY = PaintOriginY;
  PaintOriginX = x;
  PaintOriginY = y;
  int result = -1;
  for (; p; p = p->next, l = p ? p->line : nullptr) {
    for (; l; l = l->next, ++number) {
      if (l != start && StartsPage(p, l)) {
        result = number;
        break;
      }
      const bool cellRowMate = (p->Flags & wppRowContinues) && l == p->line;
      if (l != start && !cellRowMate && static_cast<int64_t>(l->Top) + l->Height - pageTop > height) {
        result = number;
        break;
      }
      if (!measureOnly && canvas_ && canvas_->HandleAllocated()) PaintLineAt(p, l, x, y - pageTop);
    }
    if (result >= 0) break;
  }
  PaintOriginX = oldX;
  PaintOriginY = oldY;
  return result;
}

void TWPRTFTextPaint::EndPagePaint() {
  RestoreView();
  PaintAll();
}

void TWPRTFTextPaint::PrintPages(TPrinter& printer, int first, int last) {
  if (first < 1) first = 1;
  if (last < first) return;
  if (saved_.Active) RestoreView();
  SaveView();
  // Puts the screen back whatever happens below, and abandons a print job
  // that did not come to its end.
  bool done = false;
  TScopeExit restore{[this, &printer, &done] {
    if (!done && printer.Printing()) {
      try {
        printer.Abort();
      } catch (...) {
      }
    }
    try {
      RestoreView();
      PaintAll();
    } catch (...) {
      // The failure that brought us here is the one to report.
    }
  }};

  TCanvas* pc = printer.Canvas();
  const TDeviceCaps caps = printer.Caps();
  canvas_ = pc;
  DeviceTechnology = caps.Technology;
  DeviceResX = caps.LogPixelsX;
  viewOptions_ |= wpvNoZoom | wpvPageLayout | wpvNoScrollCallbacks | wpvHideSelection | wpvHidePageBreaks |
                  wpvHideForcedBreaks;
  // The paper is laid out also for a control that was never shown (one
  // that serves only as the source of a printout).
  viewOptions_ &= ~wpvLayoutOff;
  SetResolution(caps.LogPixelsX, caps.LogPixelsY);
  const int resX = ResX(), resY = ResY();
  windowWidth_ = MulDiv(Header->PageWidth - Header->MarginLeft - Header->MarginRight, resX, 1440);
  VisibleHeight = MulDiv(Header->PageHeight - Header->MarginTop - Header->MarginBottom, resY, 1440);
  const int areaX = MulDiv(Header->MarginLeft, resX, 1440) - caps.PhysicalOffsetX;
  const int areaY = MulDiv(Header->MarginTop, resY, 1440) - caps.PhysicalOffsetY;
  const int topMargin = MulDiv(Header->MarginTop, resY, 1440);
  const int bottomMargin = MulDiv(Header->MarginBottom, resY, 1440);
  ApplyLayoutWidth();
  FormatText();
  TopOffset = HorzOffset = 0;
  PaintOriginX = areaX;
  PaintOriginY = areaY;

  printer.BeginDoc();
  pc = printer.Canvas();
  canvas_ = pc;
  pc->SelectClipRect(nullptr);
  auto inRange = [&](int page) { return page >= first && page <= last; };
  int page = 1;
  int lineNo = 0;
  auto header = [&](int line) {
    if (PrintHeader && inRange(page)) PrintHeader(*pc, areaX, -caps.PhysicalOffsetY, windowWidth_, topMargin, page, line);
  };
  auto footer = [&](int line) {
    if (PrintFooter && inRange(page))
      PrintFooter(*pc, areaX, areaY + VisibleHeight, windowWidth_, bottomMargin, page, line);
  };
  header(0);
  int32_t pageTop = 0;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next, ++lineNo) {
      if (StartsPage(p, l) && !(p == FirstPar && !l->prev)) {
        footer(lineNo);
        if (page >= first && page < last) printer.NewPage();
        ++page;
        pageTop = l->Top;
        header(lineNo);
      }
      if (inRange(page)) PaintLineAt(p, l, areaX, areaY - pageTop);
    }
  footer(lineNo);
  done = true;
  printer.EndDoc();
}

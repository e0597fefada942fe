// Scrolling, caret and cursor geometry of the text engine: the vertical and
// horizontal offsets, scrolling by pixels and by scroll-bar requests (the
// window's pixels move and only the uncovered strip is painted), the cursor
// x and the caret rectangle, hit testing of a point, placing the cursor from
// the mouse, and keeping the cursor visible.
// Invariants: TopOffset is never negative and HorzOffset never positive;
// CursorX and OffsetAtX step through a line with the painter's width rule
// (LineStart, CharAdvance), so OffsetAtX(CursorX(o)) == o for every visible
// character; the window's caret and scroll bars are reached only through the
// owner callbacks.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/rtl/sysutils.h"
#include "richtext/view/paint.h"

namespace {

constexpr int kLineStep = 16;           // pixels of a line-up or line-down request
constexpr int kFarAway = 16777215;      // scrolls to an end

bool IsLastLine(const TWPParagraphRec* p, const TWPLineRec* l) { return !l->next && !p->next; }

}  // namespace

int32_t TWPRTFTextPaint::WindowWrapWidth() const {
  return (wordWrap_ && !(viewOptions_ & wpvPageLayout) && windowWidth_ > 0) ? windowWidth_ : 0;
}

// --- moving the view ---------------------------------------------------------------

void TWPRTFTextPaint::ScrollPixels(int dx, int dy) {
  const int w = windowWidth_, h = VisibleHeight;
  const int n = dx ? std::abs(dx) : std::abs(dy);
  const bool fixedPicture = background_ && !BackgroundScrolls;
  const bool canMove = n < (dx ? w : h) && !(viewOptions_ & (wpvTransparent | wpvPaintingOff)) && !fixedPicture &&
                       AttachedToWindow && canvas_ && canvas_->HandleAllocated() && !Quiet && !LayoutOff();
  if (!canMove) {
    PaintAll();
    return;
  }
  const TRect area{PaintOriginX, PaintOriginY, PaintOriginX + w, PaintOriginY + h};
  TRect uncovered;
  canvas_->ScrollDC(dx, dy, &area, &area, &uncovered);
  if (dy > 0) PaintRect(0, 0, w, dy);
  else if (dy < 0) PaintRect(0, h + dy, w, -dy);
  if (dx > 0) PaintRect(0, 0, dx, h);
  else if (dx < 0) PaintRect(w + dx, 0, -dx, h);
}

void TWPRTFTextPaint::ViewMoved(int dx, int dy) {
  // The caret is not shown while a vertical scroll runs.
  if (dy) Scrolling = true;
  CallHideCaret();
  ScrollPixels(dx, dy);
  CallShowCaret();
  // The scroll bar and the ruler follow the offset.
  if (dy && OnUpdateVScroll) OnUpdateVScroll();
  if (dx && OnUpdateHScroll) OnUpdateHScroll();
  if (UpdateObject && !(viewOptions_ & wpvPaintingOff)) UpdateObject->TextScrolled();
  Scrolling = false;
  UpdateCaret();
}

void TWPRTFTextPaint::ScrollUp(int pixels) {
  if (viewOptions_ & wpvNoScrollCallbacks) return;
  const int n = std::min(pixels, TopOffset);
  if (n <= 0) return;
  TopOffset -= n;
  ViewMoved(0, n);
}

void TWPRTFTextPaint::ScrollDown(int pixels) {
  if (viewOptions_ & wpvNoScrollCallbacks) return;
  if (pixels <= 0) return;
  int64_t top = static_cast<int64_t>(TopOffset) + pixels;
  if (pixels > VisibleHeight) {
    // A far jump lands on a line's top; at the end the last line stands
    // two thirds down the view.
    TWPParagraphRec* p = nullptr;
    TWPLineRec* l = nullptr;
    LineAtPoint(0, static_cast<int>(std::min<int64_t>(top + 1, INT32_MAX)), p, l);
    // (A line that began above the view's top, a tall table row, would
    // take the view back: the top stays as asked.)
    if (l && IsLastLine(p, l)) top = std::max<int64_t>(0, l->Top - static_cast<int64_t>(VisibleHeight / 3) * 2);
    else if (l && l->Top > TopOffset) top = l->Top;
  }
  const int64_t n = top - TopOffset;
  if (n < 0) {
    ScrollUp(static_cast<int>(-n));
    return;
  }
  if (n == 0) return;
  TopOffset = static_cast<int32_t>(std::min<int64_t>(top, INT32_MAX));
  ViewMoved(0, -static_cast<int>(std::min<int64_t>(n, INT32_MAX)));
}

void TWPRTFTextPaint::ScrollLeft(int pixels) {
  if (viewOptions_ & wpvNoScrollCallbacks) return;
  const int n = std::min(pixels, -HorzOffset);
  if (n <= 0) return;
  HorzOffset += n;
  ViewMoved(n, 0);
}

void TWPRTFTextPaint::ScrollRight(int pixels) {
  if (viewOptions_ & wpvNoScrollCallbacks) return;
  int64_t n = pixels;
  // The right end of the lines never moves left of the window's right edge.
  if (static_cast<int64_t>(HorzOffset) - n + Header->LayoutWidth < windowWidth_)
    n = static_cast<int64_t>(Header->LayoutWidth) + HorzOffset - windowWidth_;
  if (n <= 0) return;
  HorzOffset -= static_cast<int>(n);
  ViewMoved(-static_cast<int>(n), 0);
}

void TWPRTFTextPaint::PageDown() {
  if (static_cast<int64_t>(TopOffset) + VisibleHeight >= TotalHeight) return;
  const TWPLineRec* last = Get_LastLine(LastParagraph());
  const int64_t bottom = std::max<int64_t>({0, static_cast<int64_t>(last->Top) - (VisibleHeight / 3) * 2,
                                            static_cast<int64_t>(TotalHeight) - VisibleHeight});
  const int64_t n = std::min<int64_t>(VisibleHeight, bottom - TopOffset);
  if (n > 0) ScrollDown(static_cast<int>(n));
}

void TWPRTFTextPaint::VScrollCommand(int code, int position) {
  if (viewOptions_ & wpvPaintingOff) return;
  const bool moreBelow = static_cast<int64_t>(TopOffset) + VisibleHeight < TotalHeight;
  switch (code) {
    case wpsbLineUp: ScrollUp(kLineStep); break;
    case wpsbLineDown:
      if (moreBelow) ScrollDown(kLineStep);
      break;
    case wpsbPageUp: ScrollUp(VisibleHeight); break;
    case wpsbPageDown: PageDown(); break;
    case wpsbThumbPosition:
    case wpsbThumbTrack:
      if (position < TopOffset) ScrollUp(TopOffset - position);
      else if (position > TopOffset) ScrollDown(position - TopOffset);
      break;
    case wpsbTop: ScrollUp(TopOffset); break;
    case wpsbBottom: ScrollDown(kFarAway); break;
    default: break;
  }
}

void TWPRTFTextPaint::HScrollCommand(int code, int position) {
  if (viewOptions_ & wpvPaintingOff) return;
  const int current = -HorzOffset;
  const int page = windowWidth_ - windowWidth_ / 4;
  switch (code) {
    case wpsbLineUp: ScrollLeft(kLineStep); break;
    case wpsbLineDown: ScrollRight(kLineStep); break;
    case wpsbPageUp: ScrollLeft(page); break;
    case wpsbPageDown: ScrollRight(page); break;
    case wpsbThumbPosition:
    case wpsbThumbTrack:
      if (position > current) ScrollRight(position - current);
      else if (position < current) ScrollLeft(current - position);
      break;
    case wpsbTop: ScrollLeft(kFarAway); break;
    case wpsbBottom: ScrollRight(kFarAway); break;
    default: break;
  }
}

void TWPRTFTextPaint::ScrollToCursor() {
  if (!CursorPar || !CursorLine || LayoutOff()) return;
  const int visibleWidth = windowWidth_, visibleHeight = VisibleHeight;
  if (!(viewOptions_ & wpvPaintingOff)) {
    const TWPLineRec* l = CursorLine;
    if (l->Top < TopOffset) {
      // The line's top comes into view (also for a line taller than the
      // view: the caret stands at its top).
      const int amount = TopOffset - l->Top;
      if (amount > 0) ScrollUp(amount);
    } else if (static_cast<int64_t>(l->Top) + l->Height > static_cast<int64_t>(TopOffset) + visibleHeight) {
      // The cursor line becomes the first visible line.
      const int amount = l->Top - TopOffset;
      if (amount > 0) ScrollDown(amount);
    }
  }
  CursorXPos = CaretX();
  UpdateCaretSize();
  const int screenX = CursorXPos + HorzOffset;
  // A third of the width beyond the cursor; a 4-pixel margin on the right.
  // (A caret at x 0 could not be shown: it counts as left of the view.)
  if (screenX < 1) ScrollLeft(-screenX + visibleWidth / 3);
  else if (screenX > windowWidth_ - 4) ScrollRight(screenX - visibleWidth + visibleWidth / 3);
  UpdateCaret();
  if (OnUpdateHScroll) OnUpdateHScroll();
  if (OnYPosChanged && CaretTop != LastCaretTop) {
    LastCaretTop = CaretTop;
    OnYPosChanged();
  }
  if (OnXPosChanged && CursorXPos != LastCursorX) {
    LastCursorX = CursorXPos;
    OnXPosChanged();
  }
}

// --- caret ----------------------------------------------------------------------------

void TWPRTFTextPaint::UpdateCaret() {
  if ((viewOptions_ & (wpvPaintingOff | wpvLayoutOff)) || !CursorPar || !CursorLine) return;
  CursorXPos = CaretX();
  UpdateCaretSize();
  const TWPLineRec* l = CursorLine;
  const bool visible = static_cast<int64_t>(CaretTop) + l->Height >= TopOffset &&
                       static_cast<int64_t>(l->Top) <= static_cast<int64_t>(TopOffset) + VisibleHeight &&
                       -HorzOffset <= CursorXPos && CursorXPos <= windowWidth_ - HorzOffset;
  if (visible) {
    CallPlaceCaret();
    CallShowCaret();
  } else {
    CallHideCaret();
  }
}

int TWPRTFTextPaint::CaretX() const {
  // Blanks and a line feed may run past the right edge of the lines (a
  // right-aligned line ends at the edge without them); a caret among them
  // stays at the edge, where the view can show it.
  return std::min(CursorX(CursorPar, CursorLine, CursorOffset), std::max(1, Header->LayoutWidth - 1));
}

void TWPRTFTextPaint::UpdateCaretSize() {
  const TWPLineRec* l = CursorLine;
  // Where no character stands under the cursor: the writing font's ascent
  // (the text typed there), not above the line's.
  auto writingAscent = [&] {
    int h = MetricsSource().Measure(RunStyle(WritingAttr).Font).Ascent;
    if (l && l->Ascent > 0 && l->Ascent < h) h = l->Ascent;
    return std::max(h, 1);
  };
  const int offset = std::max(CursorOffset, 0);
  if (!l || offset >= l->Length || !l->pa) {
    CaretHeight = writingAscent();
    CaretWidth = 1;
  } else {
    const TWPAttrRecord& a = l->pa[offset];
    CaretHeight = a.Width > 1 ? std::max<int>(a.Ascent, 1) : writingAscent();
    CaretWidth = InsertMode ? 1 : std::max<int>(a.Width, 1);
  }
  if (!l) {
    CaretTop = 0;
    return;
  }
  // On the baseline, not above the line.
  CaretTop = std::max(l->Top, l->Top + l->Ascent - CaretHeight);
}

TRect TWPRTFTextPaint::CaretPlacement(int clientWidth, int clientHeight) const {
  const int x = CursorXPos + HorzOffset, y = CaretTop - TopOffset;
  if (x >= 1 && x < clientWidth && y > -CaretHeight && y < clientHeight) return Bounds(x, y, CaretWidth, CaretHeight);
  return Bounds(-10, 0, CaretWidth, CaretHeight);
}

// --- cursor x and hit testing --------------------------------------------------------------

int TWPRTFTextPaint::CursorX(const TWPParagraphRec* par, const TWPLineRec* line, int offset) const {
  if (!par || !line) return 0;
  offset = std::clamp(offset, 0, static_cast<int>(line->Length));
  const int start = LineStart(par, line);
  int x = start, extra = 0;
  for (int i = 0; i < offset; ++i) x += CharAdvance(par, line, i, x, extra);
  // A caret at x 0 could not be seen.
  if (start == 0 && (par->Align == waLeft || par->Align == waJustified)) ++x;
  return x;
}

int TWPRTFTextPaint::OffsetAtX(const TWPParagraphRec* par, const TWPLineRec* line, int target) const {
  if (!par || !line) return 0;
  int x = LineStart(par, line), extra = 0, offset = 0;
  while (x < target && offset < line->Length) {
    const int w = CharAdvance(par, line, offset, x, extra);
    if (target < x + w) break;
    x += w;
    ++offset;
  }
  return offset;
}

bool TWPRTFTextPaint::LineAtPoint(int x, int y, TWPParagraphRec*& par, TWPLineRec*& line) const {
  x = std::max(x, 0);
  y = std::max(y, 0);
  par = nullptr;
  line = nullptr;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
    for (TWPLineRec* l = p->line; l; l = l->next) {
      par = p;
      line = l;
      bool match = l->Top <= y && static_cast<int64_t>(y) <= static_cast<int64_t>(l->Top) + l->Height;
      // With x 0 the first line after a gap counts too.
      if (!match && x == 0 && l->Top > y) match = true;
      if (match && (p->Flags & wppTableCell) && x != 0)
        match = x >= LeftBoundary(p, l) && x <= Header->LayoutWidth - RightBoundary(p);
      if (match) return true;
    }
  }
  return false;
}

void TWPRTFTextPaint::PassSkipped(TWPLineRec* line, int& offset) const {
  if (!line || !line->pa) return;
  offset = std::max(offset, 0);
  while (offset < line->Length && (CharHidden(line->pa[offset]) || (line->pa[offset].Style & wpsAutoNumber))) ++offset;
}

void TWPRTFTextPaint::CursorToPoint(int x, int y, bool extend, bool keepScrolling) {
  if ((viewOptions_ & (wpvPaintingOff | wpvNoCursorToPoint)) || !CursorPar || !CursorLine || LayoutOff()) return;
  const bool wasVisible = static_cast<int64_t>(CursorLine->Top) + CursorLine->Height > TopOffset &&
                          CursorLine->Top < static_cast<int64_t>(TopOffset) + VisibleHeight;
  const int dx = x - HorzOffset;
  const int dy = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(y) + TopOffset, INT32_MIN, INT32_MAX));
  TWPParagraphRec* p = nullptr;
  TWPLineRec* l = nullptr;
  const bool found = LineAtPoint(dx, dy, p, l);
  // On the line under the point; a point below the text counts for its
  // last line (a selection dragged past the end reaches the end).
  const bool within = found ? (l->Top <= dy && dy <= static_cast<int64_t>(l->Top) + l->Height)
                            : (l && dy >= TotalHeight);
  bool moved = false;
  if (within) {
    int offset = OffsetAtX(p, l, dx);
    PassSkipped(l, offset);
    moved = p != CursorPar || l != CursorLine || offset != CursorOffset;
    CursorPar = p;
    CursorLine = l;
    CursorOffset = offset;
  }
  if (!extend) {
    // A press drops the selection; selecting goes on from here.
    BlockActive = false;
    SetBlockEnd(false, CursorPar, CursorLine, CursorOffset);
  } else if (moved) {
    SetBlockEnd(true, CursorPar, CursorLine, CursorOffset);
    BlockActive = true;
  }
  RememberedX = CaretX();
  if (keepScrolling && wasVisible) {
    const int64_t over = static_cast<int64_t>(CursorLine->Top) + CursorLine->Height - (static_cast<int64_t>(TopOffset) + VisibleHeight);
    if (over > 0) ScrollDown(static_cast<int>(std::min<int64_t>(over, INT32_MAX)));
  }
  ScrollToCursor();
}

// The ruler: marks from the header's ruler values, the scale, dragging the
// indent marks and entering tab stops with a press on the scale.
#include "richtext/bars/ruler.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/ui/forms.h"
#include "richtext/controls/richtext.h"

namespace {

constexpr int kUnchanged = -9999;
constexpr int kRight = 1, kLeft = 2, kFirst = 3;

int ScreenResolution() { return Screen ? Screen->PixelsPerInch() : 96; }

void Line(TCanvas& c, TColor color, int x1, int y1, int x2, int y2) {
  c.Pen()->SetColor(color);
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

// The edge a right indent counts from: the page's printable edge, as the text
// breaks.
int IndentEdge(const TTextHeader& h) { return h.PrintWidth > 0 ? h.PrintWidth : h.LayoutWidth; }

// Where the text ends with that right indent (pixels): no text reaches past
// the layout width.
int TextRight(const TTextHeader& h, int rightIndent) { return std::min(h.LayoutWidth, IndentEdge(h) - rightIndent); }

}  // namespace

TWPRuler::TWPRuler(TComponent* owner) : TWPCustomRuler(owner) {
  SetBounds(0, 40, 200, 20);
  SetColor(clBtnFace);
  Font()->SetSize(7);
}

TTextHeader* TWPRuler::Header() const { return AttachedControl() ? AttachedControl()->Header() : nullptr; }

int TWPRuler::Resolution() const {
  const TTextHeader* h = Header();
  return h && h->ResX >= 1 ? h->ResX : ScreenResolution();
}

void TWPRuler::AttachText(TWPCustomRtfEdit* control) {
  const bool changed = control != AttachedControl();
  TWPCustomRuler::AttachText(control);
  if (TTextHeader* h = Header()) h->UnitsInch = units_ == Inch;
  ComputeMarks();
  if (changed) Invalidate();
}

void TWPRuler::SetParagraphTabs(TWPTabSet tabs) {
  tabs_ = tabs;
  ComputeMarks();
  Invalidate();
}

void TWPRuler::SetUnits(PTWPRulerUnit u) {
  if (u == units_) return;
  units_ = u;
  if (TTextHeader* h = Header()) h->UnitsInch = u == Inch;
  Invalidate();
}

void TWPRuler::SetXOffset(int offset) {
  if (offset == xOffset_) return;
  xOffset_ = offset;
  ComputeMarks();
  // The picture moves with the offset; it is painted afresh.
  if (HandleAllocated()) Invalidate();
}

void TWPRuler::SetLeftOffset(int offset) {
  if (offset == leftOffset_) return;
  leftOffset_ = offset;
  ComputeMarks();
  Invalidate();
}

void TWPRuler::SetShowNumbers(bool v) {
  if (v == showNumbers_) return;
  showNumbers_ = v;
  Invalidate();
}

void TWPRuler::SetBevelInner(TPanelBevel b) {
  bevelInner_ = b;
  Invalidate();
}

void TWPRuler::SetBevelOuter(TPanelBevel b) {
  bevelOuter_ = b;
  Invalidate();
}

// --- marks ---------------------------------------------------------------------------------------

bool TWPRuler::ComputeMarks() {
  const TTextHeader* h = Header();
  if (!h) return true;
  const int res = Resolution();
  const int base = leftOffset_ + xOffset_;
  const int32_t first = std::max<int32_t>(0, h->RulerFirstIndent);
  const int32_t left = std::max<int32_t>(0, h->RulerLeftIndent);
  const int32_t right = std::max<int32_t>(0, h->RulerRightIndent);
  marks_[kRight] = TextRight(*h, MulDivChecked(right, res, 1440)) + base;
  marks_[kLeft] = MulDivChecked(left, res, 1440) + base;
  marks_[kFirst] = MulDivChecked(first, res, 1440) + base;
  return marks_[kRight] >= marks_[kLeft] && marks_[kRight] >= marks_[kFirst];
}

int TWPRuler::MarkX(int mark) const { return mark >= 1 && mark <= 3 ? marks_[mark] : 0; }

TRect TWPRuler::MarkRect(int mark) const {
  const int x = MarkX(mark) - half_;
  const int w = 2 * half_ + 1;
  const int h = Height();
  if (mark == kFirst) return {x, 1, x + w, 1 + markSize_};
  const int square = mark == kLeft ? std::max(3, markSize_ / 3) : 0;
  const int bottom = h - 2;
  return {x, bottom - markSize_ - square, x + w, bottom};
}

bool TWPRuler::SetIndentMarks(int32_t firstIndent, int32_t leftIndent, int32_t rightIndent) {
  TTextHeader* h = Header();
  if (!h || !HandleAllocated()) return false;
  const int32_t oldFirst = h->RulerFirstIndent, oldLeft = h->RulerLeftIndent, oldRight = h->RulerRightIndent;
  if (firstIndent != kUnchanged && firstIndent >= 0) h->RulerFirstIndent = firstIndent;
  if (leftIndent != kUnchanged && leftIndent >= 0) h->RulerLeftIndent = leftIndent;
  if (rightIndent != kUnchanged && rightIndent >= 0) h->RulerRightIndent = rightIndent;
  if (!ComputeMarks()) {
    h->RulerFirstIndent = oldFirst;
    h->RulerLeftIndent = oldLeft;
    h->RulerRightIndent = oldRight;
    ComputeMarks();
    return false;
  }
  Invalidate();
  return true;
}

void TWPRuler::Resize() {
  TWPCustomRuler::Resize();
  markSize_ = Height() / 3;
  if (markSize_ % 2) ++markSize_;
  if (markSize_ < 2) markSize_ = 4;
  half_ = std::max(3, markSize_ / 2);
  ComputeMarks();
  Invalidate();
}

// --- mouse --------------------------------------------------------------------------------------------

int TWPRuler::MarkAt(int x, int y) const {
  if (!Header()) return 0;
  for (int mark : {kRight, kLeft, kFirst}) {
    const TRect r = MarkRect(mark);
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return mark;
  }
  return 0;
}

void TWPRuler::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWPCustomRuler::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Header()) return;
  const int mark = MarkAt(x, y);
  if (mark) {
    dragMark_ = mark;
    dragStartX_ = x;
    dragging_ = true;
    moveBoth_ = mark == kLeft && (y >= MarkRect(kLeft).Top + markSize_ || (shift & ssShift));
    SetMouseCapture(true);
    return;
  }
  PressTabs(x);
}

void TWPRuler::MouseMove(TShiftState shift, int x, int y) {
  TWPCustomRuler::MouseMove(shift, x, y);
  if (dragging_) {
    DragTo(x);
    return;
  }
  const bool over = MarkAt(x, y) != 0 && markCursor_ != crDefault && !HasState(csDesigning);
  if (over && !cursorChanged_) {
    savedCursor_ = Cursor();
    SetCursor(markCursor_);
    cursorChanged_ = true;
  } else if (!over && cursorChanged_) {
    SetCursor(savedCursor_);
    cursorChanged_ = false;
  }
}

void TWPRuler::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TWPCustomRuler::MouseUp(button, shift, x, y);
  if (!dragging_ || button != mbLeft) return;
  const int mark = dragMark_;
  dragging_ = false;
  dragMark_ = 0;
  SetMouseCapture(false);
  if (OnSelection) OnSelection(this, 0, mark, false);
  TellControl(true);
  Invalidate();
}

void TWPRuler::DragTo(int x) {
  TTextHeader* h = Header();
  if (!h) return;
  const int res = Resolution();
  const int at = x - xOffset_ - leftOffset_;
  auto snap = [&](int64_t twips) {
    const int32_t v = h->RoundToGrid(static_cast<int32_t>(std::clamp<int64_t>(twips, INT32_MIN / 2, INT32_MAX / 2)));
    return std::max<int32_t>(0, v);
  };
  const int32_t value = snap(static_cast<int64_t>(at) * 1440 / res);
  switch (dragMark_) {
    case kRight:
      if (x - leftOffset_ > TextRight(*h, 0)) return;
      SetIndentMarks(kUnchanged, kUnchanged, snap(static_cast<int64_t>(IndentEdge(*h) - at) * 1440 / res));
      break;
    case kFirst:
      SetIndentMarks(value, kUnchanged, kUnchanged);
      break;
    case kLeft:
      if (!moveBoth_) {
        SetIndentMarks(kUnchanged, value, kUnchanged);
      } else {
        const int32_t oldLeft = std::max<int32_t>(0, h->RulerLeftIndent);
        const int32_t oldFirst = std::max<int32_t>(0, h->RulerFirstIndent);
        int32_t left = value;
        int32_t first = oldFirst + (left - oldLeft);
        if (first < 0) {
          // The first line cannot go left of 0: the left indent gives way.
          left -= first;
          first = 0;
        }
        SetIndentMarks(first, left, kUnchanged);
      }
      break;
    default: return;
  }
  if (WhileSelection) WhileSelection(this, 1, dragMark_, true);
  TellControl(false);
}

void TWPRuler::TellControl(bool finished) {
  if (auto* rich = dynamic_cast<TWPCustomRichText*>(AttachedControl())) rich->RulerIndentsChanged(finished);
}

void TWPRuler::PressTabs(int x) {
  TTextHeader* h = Header();
  if (!h || h->ResX <= 0) return;
  TWPCustomRtfEdit* control = AttachedControl();
  int xp = x - xOffset_ - leftOffset_;
  const TWPParagraphRec* par = control->RtfText()->CursorPar;
  if (par && (par->Flags & wppTableCell)) {
    // Inside a cell the position counts from the cell's left edge (its
    // column's place in the row, not the row's indents alone).
    const int cellLeft = control->RtfText()->CellLeftEdge(par);
    const int cellRight = h->LayoutWidth - control->RtfText()->CellRightInset(par);
    if (xp < cellLeft || xp > cellRight) return;
    xp -= cellLeft;
  }
  const int32_t pos = static_cast<int32_t>(static_cast<int64_t>(xp) * 1440 / h->ResX);
  if (pos <= 0 || pos >= MulDivChecked(h->LayoutWidth, 1440, h->ResX)) return;
  auto* rich = dynamic_cast<TWPCustomRichText*>(control);
  int32_t at = pos;
  // The paragraph's own stop there comes first, then any stop of the table.
  // A ruler that enters one kind looks for a stop of that kind only.
  int slot = h->FindTab(pos, newTabKind_, par ? par->Tabs : 0);
  if (slot < 0) slot = h->FindTabAnySet(newTabKind_, at);
  TWPTabSet result;
  if (slot >= 0) {
    result = TWPTabSet(1) << slot;
    if (newTabKind_ == tkAll && h->TabKind[slot] != tkDecimal) {
      const TTabKind next = static_cast<TTabKind>(h->TabKind[slot] + 1);
      if (rich) rich->ApplyRulerTabs(result, true);
      h->CurrentTabs = 0;
      result = h->AddTab(next, h->TabTwips[slot]);
    }
  } else {
    h->CurrentTabs = 0;
    result = h->AddTab(newTabKind_ == tkAll ? tkLeft : newTabKind_, pos);
  }
  const TWPTabSet current = par ? par->Tabs : 0;
  const bool found = (current & result) != 0;
  if (OnTab) OnTab(this, result, found);
  // A press on a stop the paragraph holds already, of the kind the ruler
  // enters, takes it away; any other stop is added.
  if (rich) rich->ApplyRulerTabs(result, found);
  else control->ApplyRulerTabs(result);
  Invalidate();
}

// --- painting ---------------------------------------------------------------------------------------------

void TWPRuler::Arrow(TCanvas& c, int x, int y, int w, int h) {
  const TPoint pts[5] = {{x + w / 2, y + h}, {x + w - 1, y + h / 2}, {x + w - 1, y}, {x, y}, {x, y + h / 2}};
  c.Pen()->SetColor(clBlack);
  c.Polygon(pts, 5);
  // Lit edges white: the left and the near edge.
  Line(c, clWhite, pts[3].X, pts[3].Y, pts[4].X, pts[4].Y);
  Line(c, clWhite, pts[4].X, pts[4].Y, pts[0].X, pts[0].Y);
}

void TWPRuler::Paint() {
  TCanvas& c = *Canvas();
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(ClientRect());
  // Bevels: the outer at the edge, the inner one pixel inside it.
  const int w = Width(), h = Height();
  int inset = 0;
  for (TPanelBevel b : {bevelOuter_, bevelInner_}) {
    if (b == bvNone) continue;
    const TColor lit = b == bvRaised ? clBtnHighlight : clBtnShadow;
    const TColor dark = b == bvRaised ? clBtnShadow : clBtnHighlight;
    Line(c, lit, inset, h - 1 - inset, inset, inset);
    Line(c, lit, inset, inset, w - 1 - inset, inset);
    Line(c, dark, w - 1 - inset, inset, w - 1 - inset, h - 1 - inset);
    Line(c, dark, w - 1 - inset, h - 1 - inset, inset - 1, h - 1 - inset);
    ++inset;
  }
  PaintScale(c);
  if (Header()) {
    PaintTabs(c);
    PaintMarks(c);
  }
}

void TWPRuler::PaintScale(TCanvas& c) {
  const int res = Resolution();
  const int step = units_ == Inch ? res : static_cast<int>(std::lround(res * 0.3937007874));
  if (step < 4) return;
  const int base = leftOffset_ + xOffset_;
  const int mid = Height() / 2;
  const TTextHeader* hdr = Header();
  const int end = hdr ? base + TextRight(*hdr, 0) : Width();
  // The text's width is white, the rest of the scale keeps the face colour.
  if (hdr) {
    c.Brush()->SetColor(clWindow);
    c.FillRect({std::max(2, base), mid - 4, std::min(Width() - 2, end), mid + 5});
  }
  c.SetFont(*Font());
  c.SetBkMode(TRANSPARENT);
  const int first = base > 2 ? -((base - 2) / step) - 1 : (2 - base) / step;
  for (int n = first; base + n * step < Width() - 2; ++n) {
    const int x = base + n * step;
    const TColor tick = (x < base || x > end) ? clBtnShadow : clBlack;
    if (x >= 2 && n != 0) {
      if (showNumbers_) {
        const std::string s = std::to_string(std::abs(n));
        c.Font()->SetColor(tick);
        c.TextOut(x - c.TextWidth(s) / 2, mid - 6, s);
      } else {
        Line(c, tick, x, mid - 3, x, mid + 4);
      }
    }
    for (int q = 1; q < 4; ++q) {
      const int qx = x + step * q / 4;
      if (qx < 2 || qx >= Width() - 2) continue;
      const TColor qt = (qx < base || qx > end) ? clBtnShadow : clBlack;
      const int len = q == 2 ? 2 : 1;
      Line(c, qt, qx, mid - len + 1, qx, mid + len + 1);
    }
  }
}

void TWPRuler::PaintTabs(TCanvas& c) {
  const TTextHeader* h = Header();
  const int res = Resolution();
  const int base = leftOffset_ + xOffset_;
  const int y = Height() - 4;
  c.Pen()->SetColor(clBlack);
  for (int slot = 0; slot < kWPTabSlots; ++slot) {
    if (!((tabs_ >> slot) & 1) || h->TabTwips[slot] <= 0) continue;
    const int x = base + MulDivChecked(h->TabTwips[slot], res, 1440);
    switch (h->TabKind[slot]) {
      case tkLeft:  // an L
        Line(c, clBlack, x, y - 5, x, y + 1);
        Line(c, clBlack, x, y, x + 5, y);
        break;
      case tkRight:  // a mirrored L
        Line(c, clBlack, x, y - 5, x, y + 1);
        Line(c, clBlack, x, y, x - 5, y);
        break;
      case tkCenter:  // an upside-down T
        Line(c, clBlack, x, y - 5, x, y + 1);
        Line(c, clBlack, x - 3, y, x + 4, y);
        break;
      default:  // decimal: the T with its point
        Line(c, clBlack, x, y - 5, x, y + 1);
        Line(c, clBlack, x - 3, y, x + 4, y);
        Line(c, clBlack, x + 2, y - 3, x + 3, y - 3);
        break;
    }
  }
}

void TWPRuler::PaintMarks(TCanvas& c) {
  c.Brush()->SetColor(clBtnFace);
  const TRect first = MarkRect(kFirst);
  Arrow(c, first.Left, first.Top, first.Width(), markSize_);
  const TRect right = MarkRect(kRight);
  Arrow(c, right.Left, right.Bottom, right.Width(), -markSize_);
  const TRect left = MarkRect(kLeft);
  const int arrowBottom = left.Top + markSize_;
  Arrow(c, left.Left, arrowBottom, left.Width(), -markSize_);
  // The square under the left mark moves both indents.
  const TRect sq{left.Left, arrowBottom, left.Right, left.Bottom};
  c.FillRect(sq);
  Line(c, clWhite, sq.Left, sq.Bottom - 1, sq.Left, sq.Top);
  Line(c, clWhite, sq.Left, sq.Top, sq.Right - 1, sq.Top);
  Line(c, clBlack, sq.Right - 1, sq.Top, sq.Right - 1, sq.Bottom - 1);
  Line(c, clBlack, sq.Right - 1, sq.Bottom - 1, sq.Left - 1, sq.Bottom - 1);
}

// Month calendar (see calendar97.h): metrics, day grid, moves, keys, mouse,
// hover tracking and painting.
#include "widgets/calendar97.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kBlankCell = "  ";

AnsiString Cut20(const AnsiString& s) { return s.size() > 20 ? s.substr(0, 20) : s; }

TDateTime WholeDay(TDateTime d) { return std::floor(d); }

void HLine(TCanvas& c, int x1, int x2, int y, TColor col) {
  c.Pen()->SetColor(col);
  c.MoveTo(x1, y);
  c.LineTo(x2, y);
}

// One-pixel frame with its own colours for the left/top and right/bottom edges.
void Frame3D(TCanvas& c, const TRect& r, TColor topLeft, TColor bottomRight) {
  c.Pen()->SetWidth(1);
  c.Pen()->SetColor(topLeft);
  c.MoveTo(r.Left, r.Bottom - 1);
  c.LineTo(r.Left, r.Top);
  c.LineTo(r.Right - 1, r.Top);
  c.Pen()->SetColor(bottomRight);
  c.LineTo(r.Right - 1, r.Bottom - 1);
  c.LineTo(r.Left - 1, r.Bottom - 1);
}

}  // namespace

TCalendar97::TCalendar97(TComponent* owner) : TPanel(owner) {
  colors_ = std::make_unique<TCalendarColors>();
  colors_->OnChange = [this](TObject*) { Invalidate(); };
  dayNames_ = std::make_unique<TDayName>();
  monthNames_ = std::make_unique<TMonthName>();
  validDates_ = std::make_unique<TStringList>();
  hoverTimer_ = new TTimer(this);
  hoverTimer_->SetEnabled(false);
  hoverTimer_->SetInterval(100);
  hoverTimer_->OnTimer = [this](TObject*) { HoverTick(); };
  for (auto& s : cells_) s = kBlankCell;
  Decode();
  ComputeMetrics();
  SetDate(Now());
}

TCalendar97::~TCalendar97() {
  if (hoverTimer_) hoverTimer_->SetEnabled(false);
  for (int i = 0; i < validDates_->Count(); ++i) delete validDates_->GetObject(i);
  validDates_->Clear();
}

// The hover timer is owned by the calendar and may be freed before the
// calendar's own destructor runs (owners free their components first).
void TCalendar97::Notification(TComponent* c, TOperation op) {
  TPanel::Notification(c, op);
  if (op == opRemove && c == hoverTimer_) hoverTimer_ = nullptr;
}

void TCalendar97::CreateParams(TCreateParams& params) {
  TPanel::CreateParams(params);
  if (borderStyle_ == bsSingle) params.Style |= WS_BORDER;
}

void TCalendar97::SetBorderStyle(TFormBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  if (HandleAllocated()) RecreateWnd();
}

// ------------------------------------------------------------------ metrics

void TCalendar97::ComputeMetrics() {
  if (inMetrics_) return;
  inMetrics_ = true;
  const TFontData& fd = Font()->Data();
  const int a = fd.Metric.tmAveCharWidth, h = fd.Metric.tmHeight;
  unit_ = static_cast<int>(std::lround(1.6 * a)) - 1;
  row_ = static_cast<int>(std::lround(4.0 / 3.0 * h)) - 1;
  button_ = std::max(16, (3 * unit_) / 2);
  margin_ = button_ / 8;
  calcWidth_ = 21 * unit_ + 2 * margin_ + 2;
  // A margin below the sixth week row too: the day area ends M above the
  // bottom edge, and without it that row stood on the bottom border.
  calcHeight_ = 8 * row_ + button_ + 3 * margin_ + 4;
  auto width = [&](const AnsiString& s) {
    std::string t = " " + s + " ";
    return fd.TextWidth(t.data(), t.size());
  };
  auto spare = [&] {
    return calcWidth_ - 4 * button_ - todayWidth_ - enterWidth_ - 5 - 2 * margin_ - 2;
  };
  todayWidth_ = width(textToday_);
  enterWidth_ = width(textEnter_);
  // Shorten the longer text until the header row fits (the texts stay short).
  while (spare() <= 0 && (!textToday_.empty() || !textEnter_.empty())) {
    if ((enterWidth_ < todayWidth_ && !textToday_.empty()) || textEnter_.empty())
      textToday_.pop_back();
    else
      textEnter_.pop_back();
    todayWidth_ = width(textToday_);
    enterWidth_ = width(textEnter_);
  }
  int s = spare();
  todayWidth_ += s / 2;
  enterWidth_ += s - s / 2;
  if (width_ != calcWidth_ || height_ != calcHeight_) TPanel::SetBounds(left_, top_, calcWidth_, calcHeight_);
  inMetrics_ = false;
}

void TCalendar97::SetBounds(int left, int top, int /*width*/, int /*height*/) {
  // The calendar's size follows its font; a size from outside is overridden.
  TPanel::SetBounds(left, top, calcWidth_ ? calcWidth_ : width_, calcHeight_ ? calcHeight_ : height_);
}

// ----------------------------------------------------------------- geometry

TRect TCalendar97::HeaderButtonRect(int b) const {
  const int m = margin_, bs = button_, w = width_;
  int left = 0;
  switch (b) {
    case hbPrevYear: left = m; break;
    case hbPrevMonth: left = m + bs + 1; break;
    case hbToday: return {m + 2 * (bs + 1), m, m + 2 * (bs + 1) + todayWidth_, m + bs};
    case hbEnter: {
      int l = m + 2 * (bs + 1) + todayWidth_ + 1;
      return {l, m, l + enterWidth_, m + bs};
    }
    case hbNextMonth: left = w - m - 3 - bs - bs; break;
    case hbNextYear: left = w - m - 2 - bs; break;
    default: return {};
  }
  return {left, m, left + bs, m + bs};
}

TRect TCalendar97::CellRect(int n) const {
  int r = (n - 1) / 7 + 1, col = n - (r - 1) * 7;
  int left = margin_ + 3 * unit_ * (col - 1);
  int top = 2 * margin_ + button_ + 2 + (r + 1) * row_ + 1;
  return Bounds(left, top, 3 * unit_, row_);
}

int TCalendar97::HitTest(int x, int y) const {
  TRect area{margin_, 2 * margin_ + button_ + 2 + 2 * row_, width_ - margin_, height_ - margin_};
  if (!(x > area.Left && x < area.Right && y > area.Top && y < area.Bottom)) return -1;
  for (int n = 1; n <= 42; ++n)
    if (PtInRect(CellRect(n), {x, y})) return n;
  return -1;
}

int TCalendar97::FirstDayColumn() const {
  TDateTime first;
  if (!TryEncodeDate(year_, month_, 1, first)) return 1;
  return ((DayOfWeekMon(first) - startOfWeek_ + 7) % 7) + 1;
}

TDateTime TCalendar97::CellDate(int n) const {
  return EncodeDate(year_, month_, std::atoi(cells_[n].c_str()));
}

// -------------------------------------------------------------- date & grid

void TCalendar97::Decode() {
  int y, m, d;
  DecodeDate(date_, y, m, d);
  year_ = y;
  month_ = m;
  day_ = d;
}

void TCalendar97::SetDate(TDateTime value) {
  if (value == date_) return;
  if (value == 0) {
    date_ = 0;
    return;
  }
  prevYear_ = year_;
  prevMonth_ = month_;
  prevDay_ = day_;
  date_ = WholeDay(value);
  Decode();
  sel_ = FirstDayColumn() + day_ - 1;
  prevSel_ = 0;
  hover_ = 0;
  if (year_ != prevYear_ || month_ != prevMonth_) RebuildGrid();
  else Invalidate();
}

void TCalendar97::RebuildGrid() {
  const int first = FirstDayColumn();
  const int last = first + DaysPerMonth97(year_, month_) - 1;
  const TDateTime from = EncodeDate(year_, month_, 1);
  const TDateTime till = EncodeDate(year_, month_, DaysPerMonth97(year_, month_));
  const bool newMonth = year_ != prevYear_ || month_ != prevMonth_;
  if (newMonth && BeforeNewMonth) BeforeNewMonth(this, from, till);
  for (int n = 1; n <= 42; ++n) cells_[n] = (n < first || n > last) ? kBlankCell : std::to_string(n - first + 1);
  Invalidate();
  if (newMonth && AfterNewMonth) AfterNewMonth(this, from, till);
}

void TCalendar97::MoveDays(int days) {
  if (days == 0) return;
  prevSel_ = sel_;
  hover_ = sel_;
  prevYear_ = year_;
  prevMonth_ = month_;
  prevDay_ = day_;
  date_ += days;
  // Dates exist for the years 1 to 9999 only; a move past them stops at the end.
  static const TDateTime kFirst = EncodeDate(1, 1, 1), kLast = EncodeDate(9999, 12, 31);
  date_ = std::clamp(date_, kFirst, kLast);
  if (onlyMonth_) {
    int y, m, d;
    DecodeDate(date_, y, m, d);
    date_ = EncodeDate(y, m, 1);
  }
  // An unset bound (0) does not limit.
  if (validMin_ != 0 && date_ < validMin_) date_ = WholeDay(validMin_);
  if (validMax_ != 0 && date_ > validMax_) date_ = WholeDay(validMax_);
  Decode();
  sel_ = FirstDayColumn() + day_ - 1;
  if (year_ != prevYear_ || month_ != prevMonth_) RebuildGrid();
  if (OnDateChange) OnDateChange(this);
}

void TCalendar97::AddValidDate(TDateTime d) { validDates_->AddObject(DateToStr(d), new tDateObject(WholeDay(d))); }

bool TCalendar97::Listed(TDateTime d) const { return validDates_->IndexOf(DateToStr(d)) >= 0; }

bool TCalendar97::InRange(TDateTime d) const {
  return (validMin_ == 0 || d >= WholeDay(validMin_)) && (validMax_ == 0 || d <= WholeDay(validMax_));
}

bool TCalendar97::Choosable(TDateTime d) const { return InRange(d) && (!onlyValid_ || Listed(d)); }

int TCalendar97::ValidNeighbour(int step) const {
  int i = validDates_->IndexOf(DateToStr(date_));
  if (i < 0) return 0;
  int j = i + step;
  if (j < 0 || j >= validDates_->Count()) return 0;
  auto* o = dynamic_cast<tDateObject*>(validDates_->GetObject(j));
  if (!o) return 0;
  return static_cast<int>(std::lround(WholeDay(o->Date) - date_));
}

// --------------------------------------------------------------- properties

void TCalendar97::SetColors(const TCalendarColors* c) {
  colors_->Assign(c);
  Invalidate();
}

void TCalendar97::SetOnlyMonth(bool v) {
  if (v == onlyMonth_) return;
  onlyMonth_ = v;
  Invalidate();
}

void TCalendar97::SetOnlyValidDates(bool v) {
  if (v == onlyValid_) return;
  onlyValid_ = v;
  Invalidate();
}

void TCalendar97::SetStartOfWeek(TDayOfWeek v) {
  if (v < 1 || v > 7 || v == startOfWeek_) return;
  startOfWeek_ = v;
  sel_ = FirstDayColumn() + day_ - 1;
  prevSel_ = 0;
  hover_ = 0;
  RebuildGrid();
}

void TCalendar97::SetStartOfWeekEnd(TDayOfWeek v) {
  if (v < 1 || v > 7 || v == startOfWeekEnd_) return;
  startOfWeekEnd_ = v;
  Invalidate();
}

void TCalendar97::SetWeekEndDays(TWeekEndDays v) {
  if (v < 1 || v > 2 || v == weekEndDays_) return;
  weekEndDays_ = v;
  Invalidate();
}

void TCalendar97::SetTextToday(const TTextStr& v) {
  TTextStr t = Cut20(v);
  if (t == textToday_) return;
  textToday_ = t;
  ComputeMetrics();
  Invalidate();
}

void TCalendar97::SetTextEnter(const TTextStr& v) {
  TTextStr t = Cut20(v);
  if (t == textEnter_) return;
  textEnter_ = t;
  ComputeMetrics();
  Invalidate();
}

// ----------------------------------------------------------------- messages

void TCalendar97::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
    case WM_SETFOCUS:
      TPanel::Dispatch(m);
      Invalidate();
      return;
    case WM_KILLFOCUS:
      TPanel::Dispatch(m);
      Invalidate();
      if (OnKillFocus) OnKillFocus(this);
      return;
    case WM_SETFONT:
    case CM_FONTCHANGED:
      TPanel::Dispatch(m);
      ComputeMetrics();
      return;
    case CM_MOUSEENTER:
      if (reinterpret_cast<TControl*>(m.LParam) == this) mouseInside_ = true;
      break;
    case CM_MOUSELEAVE:
      if (reinterpret_cast<TControl*>(m.LParam) == this) mouseInside_ = false;
      break;
    case WM_ERASEBKGND: m.Result = 1; return;  // Paint fills everything
    default: break;
  }
  TPanel::Dispatch(m);
}

// --------------------------------------------------------------------- keys

void TCalendar97::KeyDown(Word& key, TShiftState shift) {
  const bool sh = (shift & ssShift) != 0;
  const int oldYear = year_, oldMonth = month_;
  auto yearStep = [&](int years) {
    return static_cast<int>(std::lround(IncYear97(date_, years) - date_));
  };
  // A month keeps the day, or takes the target month's last day where it
  // is shorter (31 January, 29 February). Beyond the calendar's years the
  // step is a month's length, which the move stops at the end.
  auto monthStep = [&](int months) {
    try {
      return static_cast<int>(std::lround(IncMonth(date_, months) - date_));
    } catch (const EConvertError&) {
      return 31 * months;
    }
  };
  int days = 0;
  switch (key) {
    case VK_RETURN:
      if (OnKeyEnter) OnKeyEnter(this);
      break;
    case VK_ESCAPE:
      if (OnKeyCancel) OnKeyCancel(this);
      break;
    case VK_INSERT:
      if (OnEnterDate) OnEnterDate(this);
      break;
    case VK_HOME:
      // Set 32 days before today, then move, so that a move with its clamp
      // and OnDateChange always happens.
      SetDate(WholeDay(::Date()) - 32);
      days = 32;
      break;
    case VK_LEFT: days = sh ? yearStep(-1) : onlyValid_ ? ValidNeighbour(-1) : -1; break;
    case VK_RIGHT: days = sh ? yearStep(1) : onlyValid_ ? ValidNeighbour(1) : 1; break;
    case VK_UP: days = sh ? monthStep(-1) : -7; break;
    case VK_DOWN: days = sh ? monthStep(1) : 7; break;
    case VK_PRIOR: days = sh ? yearStep(-1) : monthStep(-1); break;
    case VK_NEXT: days = sh ? yearStep(1) : monthStep(1); break;
    default: break;
  }
  MoveDays(days);
  hover_ = 0;
  if (year_ == oldYear && month_ == oldMonth && key != VK_HOME) {
    if (PaintableNow()) {
      TCanvas& c = *Canvas();
      PaintCellState(c, sel_, true);
    } else {
      Invalidate();
    }
  } else {
    Invalidate();
  }
  TPanel::KeyDown(key, shift);
}

// -------------------------------------------------------------------- mouse

void TCalendar97::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (hoverTimer_) hoverTimer_->SetEnabled(false);
  if (button == mbLeft) {
    auto hit = [&](int b) { return PtInRect(HeaderButtonRect(b), {x, y}); };
    Word key = 0;
    TShiftState ks = 0;
    if (hit(hbToday)) key = VK_HOME;
    else if (hit(hbEnter)) key = VK_INSERT;
    else if (hit(hbPrevYear)) key = VK_PRIOR, ks = ssShift;
    else if (hit(hbNextYear)) key = VK_NEXT, ks = ssShift;
    else if (hit(hbPrevMonth)) key = VK_PRIOR;
    else if (hit(hbNextMonth)) key = VK_NEXT;
    if (key) {
      KeyDown(key, ks);
    } else if (!onlyMonth_) {
      int n = HitTest(x, y);
      if (n > 0) {
        pressed_ = true;
        if (CellInMonth(n)) {
          TDateTime d = CellDate(n);
          if (Choosable(d)) {
            MoveDays(static_cast<int>(std::lround(d - date_)));
            if (PaintableNow()) PaintCellState(*Canvas(), sel_, true);
            else Invalidate();
          }
        } else {
          pressed_ = false;
        }
      }
    }
  }
  TPanel::MouseDown(button, shift, x, y);
}

void TCalendar97::MouseMove(TShiftState shift, int x, int y) {
  const bool paint = PaintableNow();
  int hot = -1;
  for (int b = 0; b < hbCount; ++b)
    if (PtInRect(HeaderButtonRect(b), {x, y})) hot = b;
  if (hot != hotButton_) {
    hotButton_ = hot;
    if (paint)
      for (int b = 0; b < hbCount; ++b) PaintHeaderButton(*Canvas(), b, b == hot);
  }
  int n = HitTest(x, y);
  bool dayHit = n > 0 && CellInMonth(n) && n != sel_ && Choosable(CellDate(n));
  if (dayHit && !onlyMonth_) {
    if (pressed_) {
      int oldHover = hover_;
      MoveDays(static_cast<int>(std::lround(CellDate(n) - date_)));
      if (paint) {
        if (oldHover > 0 && oldHover != sel_) PaintCellPlain(*Canvas(), oldHover);
        PaintCellState(*Canvas(), sel_, true);
      } else {
        Invalidate();
      }
      hover_ = 0;
    } else if (n != hover_) {
      if (paint && hover_ > 0 && hover_ != sel_) PaintCellPlain(*Canvas(), hover_);
      hover_ = n;
      if (paint) PaintCellState(*Canvas(), n, false);
      else Invalidate();
    }
  } else if (hover_ != 0 && hover_ != sel_) {
    if (paint) PaintCellPlain(*Canvas(), hover_);
    else Invalidate();
    hover_ = 0;
  }
  RestartHoverTimer();
  TPanel::MouseMove(shift, x, y);
}

void TCalendar97::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (pressed_) {
      pressed_ = false;
      if (!Focused() && CanFocus()) SetFocus();
    }
    int n = HitTest(x, y);
    if (!onlyMonth_ && n > 0 && CellInMonth(n) && Choosable(CellDate(n)) && OnDateClick)
      OnDateClick(this);
  }
  if (hoverTimer_) hoverTimer_->SetEnabled(true);
  TPanel::MouseUp(button, shift, x, y);
}

void TCalendar97::RestartHoverTimer() {
  if (!hoverTimer_) return;
  hoverTimer_->SetEnabled(false);
  hoverTimer_->SetEnabled(true);
}

void TCalendar97::HoverTick() {
  if (mouseInside_) return;
  if (hoverTimer_) hoverTimer_->SetEnabled(false);
  const bool paint = PaintableNow();
  if (hover_ > 0 && hover_ != sel_ && paint) PaintCellPlain(*Canvas(), hover_);
  hover_ = 0;
  hotButton_ = -1;
  if (paint)
    for (int b = 0; b < hbCount; ++b) PaintHeaderButton(*Canvas(), b, false);
  else
    Invalidate();
}

// ----------------------------------------------------------------- painting

bool TCalendar97::PaintableNow() { return HandleAllocated() && Showing() && Canvas()->HandleAllocated(); }

TColor TCalendar97::DayColor(TDateTime d) const {
  if (onlyMonth_) return colors_->ColorDates();
  if (Listed(d)) return colors_->ColorValid();
  int wd = DayOfWeekMon(d);
  if (wd == startOfWeekEnd_ || (weekEndDays_ == 2 && wd == startOfWeekEnd_ % 7 + 1)) return colors_->ColorWeekEnd();
  return colors_->ColorDates();
}

void TCalendar97::EmbossedText(TCanvas& c, const TRect& r, const std::string& s, unsigned fmt) {
  c.Brush()->SetStyle(bsClear);
  TRect moved = r;
  OffsetRect(moved, 1, 1);
  c.Font()->SetColor(clBtnHighlight);
  c.DrawText(s, moved, fmt);
  TRect at = r;
  c.Font()->SetColor(clBtnShadow);
  c.DrawText(s, at, fmt);
  c.Brush()->SetStyle(bsSolid);
}

void TCalendar97::PaintCellPlain(TCanvas& c, int n) {
  if (n < 1 || n > 42) return;
  TRect r = CellRect(n);
  c.Font()->Assign(*Font());
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(r);
  if (!CellInMonth(n)) return;
  const unsigned fmt = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  TDateTime d = CellDate(n);
  // Days the user cannot choose (unlisted, or beyond the valid range at
  // either end) look unavailable.
  if (!Enabled() || !Choosable(d)) {
    EmbossedText(c, r, cells_[n], fmt);
    return;
  }
  c.Brush()->SetStyle(bsClear);
  c.Font()->SetColor(DayColor(d));
  c.DrawText(cells_[n], r, fmt);
  c.Brush()->SetStyle(bsSolid);
}

void TCalendar97::PaintCellState(TCanvas& c, int n, bool selected) {
  if (onlyMonth_ || !Enabled() || n < 1 || n > 41 || !CellInMonth(n)) return;
  if (prevSel_ > 0 && prevSel_ != sel_ && prevSel_ != n) PaintCellPlain(c, prevSel_);
  TRect r = CellRect(n);
  // The focused day in the selection's colours, as a list shows its focused
  // item: a dotted frame alone, inside the day's own frame, is not seen.
  const bool focus = selected && Focused() && TabStop();
  c.Font()->Assign(*Font());
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(focus ? clHighlight : clBtnFace);
  c.FillRect(r);
  TDateTime d = CellDate(n);
  if (!InRange(d)) {
    // Only a date set from outside the range stands here: it looks as
    // unavailable as its neighbours.
    EmbossedText(c, r, cells_[n], DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  } else if (!(onlyValid_ && !Listed(d))) {
    TFontStyles st = c.Font()->Style();
    st.Include(fsBold);
    c.Font()->SetStyle(st);
    c.Font()->SetColor(focus ? clHighlightText : DayColor(d));
    c.Brush()->SetStyle(bsClear);
    TRect tr = r;
    c.DrawText(cells_[n], tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    c.Brush()->SetStyle(bsSolid);
  }
  if (selected)
    Frame3D(c, r, clBtnShadow, clWhite);
  else
    Frame3D(c, r, clWhite, clBtnShadow);
  if (focus) {
    TRect f = r;
    InflateRect(f, -2, -2);
    c.Font()->SetColor(clBlack);
    c.Brush()->SetColor(clBtnFace);
    c.DrawFocusRect(f);
  }
  c.Font()->Assign(*Font());
}

void TCalendar97::PaintHeaderButton(TCanvas& c, int b, bool hot) {
  TRect r = HeaderButtonRect(b);
  if (hot) Frame3D(c, r, clWhite, clBtnShadow);
  else Frame3D(c, r, clBtnFace, clBtnFace);
}

void TCalendar97::Paint() {
  ComputeMetrics();
  TCanvas& c = *Canvas();
  const int w = width_, hc = height_, m = margin_, bs = button_, u = unit_, r = row_;
  c.Font()->Assign(*Font());
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(ClientRect());

  // Bevels.
  auto bevel = [&](TPanelBevel b, TRect fr) {
    if (b == bvNone) Frame3D(c, fr, clBtnFace, clBtnFace);
    else if (b == bvLowered) Frame3D(c, fr, clBtnShadow, clBtnHighlight);
    else Frame3D(c, fr, clBtnHighlight, clBtnShadow);
  };
  bevel(BevelInner(), {1, 1, w - 3, hc - 3});
  bevel(BevelOuter(), {0, 0, w - 2, hc - 2});

  const unsigned one = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  // Caption row: etched line, then month and year.
  HLine(c, m, w - 2 * m + 1, 2 * m + bs - 1, clBtnShadow);
  HLine(c, m, w - 2 * m + 1, 2 * m + bs, clWhite);
  TRect cap{m, 2 * m + bs + 2, w - m, 2 * m + bs + 2 + r};
  c.Font()->SetColor(colors_->ColorTitle());
  c.Brush()->SetColor(clBtnFace);
  c.DrawText(monthNames_->Get(month_) + " " + std::to_string(year_), cap, one);

  // Day names.
  for (int i = 1; i <= 7; ++i) {
    int wd = ((startOfWeek_ + i - 2) % 7) + 1;
    TRect nr = Bounds(m + 3 * u * (i - 1), cap.Bottom, 3 * u, r);
    c.Font()->SetColor(colors_->ColorTitle());
    c.DrawText(dayNames_->Get(wd), nr, one);
  }
  HLine(c, m, w - 2 * m + 1, 2 * m + bs + 2 * r - 1, clBtnShadow);
  HLine(c, m, w - 2 * m + 1, 2 * m + bs + 2 * r, clWhite);

  // Day cells.
  for (int n = 1; n <= 42; ++n)
    if (CellInMonth(n)) PaintCellPlain(c, n);

  // Header: arrows, then the two text buttons.
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(colors_->ColorArrow());
  c.Pen()->SetColor(colors_->ColorArrow());
  const int q = bs / 4, h = bs / 2;
  auto tri = [&](TPoint a, TPoint b, TPoint d) {
    TPoint pts[3] = {a, b, d};
    c.Polygon(pts, 3);
  };
  {
    TRect b = HeaderButtonRect(hbPrevMonth);
    tri({b.Right - q - 3, b.Top + q}, {b.Right - q - 3, b.Bottom - q}, {b.Left + h - 3, b.Top + h});
    b = HeaderButtonRect(hbNextMonth);
    tri({b.Left + h - 1, b.Top + q}, {b.Left + h - 1, b.Bottom - q}, {b.Right - q - 1, b.Top + h});
    b = HeaderButtonRect(hbPrevYear);
    tri({b.Right - q, b.Top + q}, {b.Right - q, b.Bottom - q}, {b.Left + h, b.Top + h});
    tri({b.Left + h - 1, b.Top + q}, {b.Left + h - 1, b.Bottom - q}, {b.Left + q - 1, b.Top + h});
    b = HeaderButtonRect(hbNextYear);
    tri({b.Left + h, b.Top + q}, {b.Left + h, b.Bottom - q}, {b.Right - q, b.Top + h});
    tri({b.Left + q - 1, b.Top + q}, {b.Left + q - 1, b.Bottom - q}, {b.Left + h - 1, b.Top + h});
  }
  c.Brush()->SetColor(clBtnFace);
  c.Font()->SetColor(colors_->ColorText());
  TRect tr = HeaderButtonRect(hbToday);
  c.DrawText(textToday_, tr, one);
  tr = HeaderButtonRect(hbEnter);
  c.DrawText(textEnter_, tr, one);
  for (int b = 0; b < hbCount; ++b) PaintHeaderButton(c, b, b == hotButton_);

  // The hover frame survives a repaint; the selection last.
  if (hover_ > 0 && hover_ != sel_) PaintCellState(c, hover_, false);
  PaintCellState(c, sel_, true);
}

// --------------------------------------------------------- published props

void TCalendar97::PublishProperties(TClassInfo& ci) {
  using C = TCalendar97;
  PublishObject<C, TCalendarColors>(ci, "Colors", &C::Colors, &C::SetColors);
  PublishObject<C, TDayName>(ci, "DayNames", &C::DayNames, &C::SetDayNames);
  PublishObject<C, TMonthName>(ci, "MonthNames", &C::MonthNames, &C::SetMonthNames);
  TPropInfo p;
  p.Name = "Date";
  p.Kind = TTypeKind::tkString;
  p.GetStr = [](const TObject* o) { return DateToStr(static_cast<const C*>(o)->Date()); };
  p.SetStr = [](TObject* o, const AnsiString& v) { static_cast<C*>(o)->SetDate(StrToDateDef(v, 0)); };
  ci.AddProp(std::move(p));
  PublishInteger<C>(ci, "BevelInner", &C::BevelInner, &C::SetBevelInner);
  PublishInteger<C>(ci, "BevelOuter", &C::BevelOuter, &C::SetBevelOuter);
  PublishInteger<C>(ci, "BorderStyle", &C::BorderStyle, &C::SetBorderStyle);
  PublishBool<C>(ci, "OnlyMonth", &C::OnlyMonth, &C::SetOnlyMonth);
  PublishBool<C>(ci, "OnlyValidDates", &C::OnlyValidDates, &C::SetOnlyValidDates);
  PublishInteger<C>(ci, "StartOfWeek", &C::StartOfWeek, &C::SetStartOfWeek);
  PublishInteger<C>(ci, "StartOfWeekEnd", &C::StartOfWeekEnd, &C::SetStartOfWeekEnd);
  PublishInteger<C>(ci, "WeekEndDays", &C::WeekEndDays, &C::SetWeekEndDays);
  PublishString<C>(ci, "TextToday", &C::TextToday, &C::SetTextToday);
  PublishString<C>(ci, "TextEnter", &C::TextEnter, &C::SetTextEnter);
  PublishEvent<C>(ci, "BeforeNewMonth", &C::BeforeNewMonth);
  PublishEvent<C>(ci, "AfterNewMonth", &C::AfterNewMonth);
  PublishEvent<C>(ci, "OnDateChange", &C::OnDateChange);
  PublishEvent<C>(ci, "OnDateClick", &C::OnDateClick);
  PublishEvent<C>(ci, "OnEnterDate", &C::OnEnterDate);
  PublishEvent<C>(ci, "OnKeyCancel", &C::OnKeyCancel);
  PublishEvent<C>(ci, "OnKeyEnter", &C::OnKeyEnter);
  PublishEvent<C>(ci, "OnKillFocus", &C::OnKillFocus);
}

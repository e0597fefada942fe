// The month calendar: a panel that sizes itself from its font and shows a
// header of arrow and text buttons, the month caption, the day names and a
// 6 x 7 grid of day cells; the user moves the date by mouse and keys within
// the valid-date range.
// Invariants:
//  - Date is a whole day (or 0); year_, month_, day_ are its parts.
//  - selected cell = first day column + day - 1 (cells count 1..42).
//  - Every user move goes through MoveDays, which fires OnDateChange; SetDate
//    fires no event but the month events of a grid rebuild.
//  - While ValidDateMin/ValidDateMax are 0 they do not limit the moves.
//  - A day outside ValidDateMin..ValidDateMax (or unlisted under
//    OnlyValidDates) is drawn embossed and takes no hover and no click.
#pragma once

#include <memory>
#include <string>

#include "platform/rtl/classes.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "widgets/dtmisc97.h"

using TNewMonthEvent = std::function<void(TObject* Sender, TDateTime FromDate, TDateTime TillDate)>;

class TCalendar97 : public TPanel {
  ORV_CLASS_PUBLISHED(TCalendar97, TPanel)

 public:
  explicit TCalendar97(TComponent* owner);
  ~TCalendar97() override;
  void Dispatch(TMessage& m) override;
  void SetBounds(int left, int top, int width, int height) override;

  TCalendarColors* Colors() const { return colors_.get(); }
  void SetColors(const TCalendarColors* c);
  TDayName* DayNames() const { return dayNames_.get(); }
  void SetDayNames(const TDayName* d) { dayNames_->Assign(d); }
  TMonthName* MonthNames() const { return monthNames_.get(); }
  void SetMonthNames(const TMonthName* m) { monthNames_->Assign(m); }
  // The valid-dates list: entries are dates in the short date format, each
  // with a tDateObject; the calendar frees the objects.
  TStringList* ValidDates() const { return validDates_.get(); }
  // Adds a date to the valid-dates list.
  void AddValidDate(TDateTime d);

  TDateTime Date() const { return date_; }
  void SetDate(TDateTime value);
  TDateTime ValidDateMin() const { return validMin_; }
  void SetValidDateMin(TDateTime v) { validMin_ = v; }
  TDateTime ValidDateMax() const { return validMax_; }
  void SetValidDateMax(TDateTime v) { validMax_ = v; }
  bool OnlyMonth() const { return onlyMonth_; }
  void SetOnlyMonth(bool v);
  bool OnlyValidDates() const { return onlyValid_; }
  void SetOnlyValidDates(bool v);
  TDayOfWeek StartOfWeek() const { return startOfWeek_; }
  void SetStartOfWeek(TDayOfWeek v);
  TDayOfWeek StartOfWeekEnd() const { return startOfWeekEnd_; }
  void SetStartOfWeekEnd(TDayOfWeek v);
  TWeekEndDays WeekEndDays() const { return weekEndDays_; }
  void SetWeekEndDays(TWeekEndDays v);
  const TTextStr& TextToday() const { return textToday_; }
  void SetTextToday(const TTextStr& v);
  const TTextStr& TextEnter() const { return textEnter_; }
  void SetTextEnter(const TTextStr& v);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle b);

  // The key handler (also called by the owner's date menu).
  void KeyDown(Word& key, TShiftState shift) override;

  TNewMonthEvent BeforeNewMonth, AfterNewMonth;
  TNotifyEvent OnDateChange, OnDateClick, OnEnterDate, OnKeyCancel, OnKeyEnter, OnKillFocus;

  // Geometry and state, for the owner and tests.
  int UnitWidth() const { return unit_; }
  int RowHeight() const { return row_; }
  int ButtonSize() const { return button_; }
  int Margin() const { return margin_; }
  int SelectedCell() const { return sel_; }
  int HoverCell() const { return hover_; }
  int FirstDayColumn() const;
  // Cell text: two blanks outside the month, else the day number.
  const std::string& CellText(int n) const { return cells_[n]; }
  TRect CellRect(int n) const;
  // -1 outside the day area, else the cell under the point.
  int HitTest(int x, int y) const;
  enum THeaderButton { hbPrevYear, hbPrevMonth, hbToday, hbEnter, hbNextMonth, hbNextYear, hbCount };
  TRect HeaderButtonRect(int b) const;
  int HotButton() const { return hotButton_; }
  TTimer* HoverTimer() const { return hoverTimer_; }
  // Recomputes the metrics and sets the size from them.
  void ComputeMetrics();

 protected:
  void Notification(TComponent* c, TOperation op) override;
  void RestartHoverTimer();
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void Decode();
  void RebuildGrid();
  void MoveDays(int days);
  int ValidNeighbour(int step) const;
  bool Listed(TDateTime d) const;
  // Within ValidDateMin..ValidDateMax (an unset bound does not limit).
  bool InRange(TDateTime d) const;
  // A day the user may pick by mouse: in range and, with OnlyValidDates, listed.
  bool Choosable(TDateTime d) const;
  TDateTime CellDate(int n) const;
  bool CellInMonth(int n) const { return n >= 1 && n <= 42 && cells_[n] != "  "; }
  TColor DayColor(TDateTime d) const;
  void PaintCellPlain(TCanvas& c, int n);
  void PaintCellState(TCanvas& c, int n, bool selected);
  void PaintHeaderButton(TCanvas& c, int b, bool hot);
  void EmbossedText(TCanvas& c, const TRect& r, const std::string& s, unsigned fmt);
  void HoverTick();
  bool PaintableNow();

  std::unique_ptr<TCalendarColors> colors_;
  std::unique_ptr<TDayName> dayNames_;
  std::unique_ptr<TMonthName> monthNames_;
  std::unique_ptr<TStringList> validDates_;
  TTimer* hoverTimer_ = nullptr;

  TDateTime date_ = 0;
  int year_ = 1899, month_ = 12, day_ = 30;
  int prevYear_ = 1899, prevMonth_ = 12, prevDay_ = 30;
  TDateTime validMin_ = 0, validMax_ = 0;
  bool onlyMonth_ = false, onlyValid_ = false;
  TDayOfWeek startOfWeek_ = 1, startOfWeekEnd_ = 6;
  TWeekEndDays weekEndDays_ = 2;
  TTextStr textToday_ = "Today", textEnter_ = "Enter";
  TFormBorderStyle borderStyle_ = bsNone;

  int unit_ = 0, row_ = 0, button_ = 16, margin_ = 2, todayWidth_ = 0, enterWidth_ = 0;
  int calcWidth_ = 0, calcHeight_ = 0;
  std::string cells_[43];
  int sel_ = 0, prevSel_ = 0, hover_ = 0;
  bool pressed_ = false;
  bool mouseInside_ = false;
  int hotButton_ = -1;
  bool inMetrics_ = false;
};

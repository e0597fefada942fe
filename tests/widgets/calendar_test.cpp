// Month calendar: day grid, key and mouse moves, valid range, events and
// pictures.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/cp1252.h"
#include "tests/widgets/widget_test_util.h"
#include "widgets/calendar97.h"

namespace {

struct CalFixture : ::testing::Test {
  TUiTestDriver drv;
  TForm* form = MakeWidgetForm();
  TCalendar97* cal = nullptr;
  std::vector<std::string> log;

  void SetUp() override {
    cal = new TCalendar97(form);
    cal->SetParent(form);
    cal->SetLeft(8);
    cal->SetTop(8);
    cal->OnDateChange = [this](TObject*) { log.push_back("change " + Str(cal->Date())); };
    cal->BeforeNewMonth = [this](TObject*, TDateTime a, TDateTime b) {
      log.push_back("before " + Str(a) + "-" + Str(b));
    };
    cal->AfterNewMonth = [this](TObject*, TDateTime a, TDateTime b) {
      log.push_back("after " + Str(a) + "-" + Str(b));
    };
  }
  void Key(int vk, TShiftState shift = 0) {
    Word k = static_cast<Word>(vk);
    cal->KeyDown(k, shift);
  }
  std::string After(TDateTime from, int vk, TShiftState shift = 0) {
    cal->SetDate(from);
    Key(vk, shift);
    return Str(cal->Date());
  }
  TPoint CellCentre(int n) {
    TRect r = cal->CellRect(n);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  TPoint ButtonCentre(int b) {
    TRect r = cal->HeaderButtonRect(b);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
};

TEST_F(CalFixture, FirstDayColumnFollowsWeekStart) {
  cal->SetDate(D(2024, 12, 10));  // 1 December 2024 is a Sunday
  EXPECT_EQ(cal->FirstDayColumn(), 7);
  EXPECT_EQ(cal->CellText(6), "  ");
  EXPECT_EQ(cal->CellText(7), "1");
  EXPECT_EQ(cal->CellText(37), "31");  // a 31-day month reaches the 37th cell
  EXPECT_EQ(cal->CellText(38), "  ");
  EXPECT_EQ(cal->SelectedCell(), 7 + 10 - 1);
  cal->SetStartOfWeek(7);
  EXPECT_EQ(cal->FirstDayColumn(), 1);
  EXPECT_EQ(cal->CellText(1), "1");
  EXPECT_EQ(cal->CellText(31), "31");
  EXPECT_EQ(cal->SelectedCell(), 10);  // the highlight moves with the day
  EXPECT_EQ(Str(cal->Date()), "10.12.2024");
  cal->SetDate(D(2024, 4, 3));  // 1 April 2024 is a Monday
  EXPECT_EQ(cal->FirstDayColumn(), 2);
  cal->SetStartOfWeek(1);
  EXPECT_EQ(cal->FirstDayColumn(), 1);
}

TEST_F(CalFixture, KeyMovesByDayWeekMonthAndYear) {
  EXPECT_EQ(After(D(2024, 3, 10), VK_LEFT), "09.03.2024");
  EXPECT_EQ(After(D(2024, 3, 10), VK_RIGHT), "11.03.2024");
  EXPECT_EQ(After(D(2024, 3, 10), VK_UP), "03.03.2024");
  EXPECT_EQ(After(D(2024, 3, 10), VK_DOWN), "17.03.2024");
  // A month keeps the day, or takes a shorter month's last day.
  EXPECT_EQ(After(D(2024, 3, 10), VK_PRIOR), "10.02.2024");
  EXPECT_EQ(After(D(2024, 3, 10), VK_NEXT), "10.04.2024");
  EXPECT_EQ(After(D(2024, 3, 10), VK_UP, ssShift), "10.02.2024");
  EXPECT_EQ(After(D(2024, 3, 10), VK_DOWN, ssShift), "10.04.2024");
  EXPECT_EQ(After(D(2024, 1, 15), VK_PRIOR), "15.12.2023");
  EXPECT_EQ(After(D(2028, 1, 31), VK_NEXT), "29.02.2028");
  EXPECT_EQ(After(D(2023, 3, 31), VK_PRIOR), "28.02.2023");
  EXPECT_EQ(After(D(2023, 1, 31), VK_DOWN, ssShift), "28.02.2023");
  // Years go by the calendar: same day and month.
  EXPECT_EQ(After(D(2024, 3, 10), VK_PRIOR, ssShift), "10.03.2023");
  EXPECT_EQ(After(D(2023, 3, 10), VK_NEXT, ssShift), "10.03.2024");
  EXPECT_EQ(After(D(2024, 3, 10), VK_LEFT, ssShift), "10.03.2023");
  EXPECT_EQ(After(D(2023, 3, 10), VK_RIGHT, ssShift), "10.03.2024");
  EXPECT_EQ(After(D(2028, 2, 29), VK_NEXT, ssShift), "28.02.2029");
  EXPECT_EQ(After(D(2028, 2, 29), VK_PRIOR, ssShift), "28.02.2027");
  EXPECT_EQ(After(D(2023, 12, 31), VK_RIGHT), "01.01.2024");
  // At the ends of the calendar a move stops instead of failing.
  EXPECT_EQ(After(D(9999, 12, 20), VK_NEXT), "31.12.9999");
  EXPECT_EQ(After(D(9999, 3, 1), VK_NEXT, ssShift), "01.03.9999");
  EXPECT_EQ(After(D(1, 1, 5), VK_UP), "01.01.0001");
}

TEST_F(CalFixture, KeysFireTheirEventsAndHomeGoesToToday) {
  int enter = 0, cancel = 0, direct = 0;
  cal->OnKeyEnter = [&](TObject*) { ++enter; };
  cal->OnKeyCancel = [&](TObject*) { ++cancel; };
  cal->OnEnterDate = [&](TObject*) { ++direct; };
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  Key(VK_INSERT, ssShift);
  EXPECT_EQ(enter, 1);
  EXPECT_EQ(cancel, 1);
  EXPECT_EQ(direct, 1);
  // Through the keyboard of a shown form: arrows and Enter reach the calendar.
  form->Show();
  cal->SetDate(D(2001, 5, 5));
  cal->SetFocus();
  drv.PressKey(VK_RIGHT);
  drv.PressKey(VK_DOWN, ssShift);
  EXPECT_EQ(Str(cal->Date()), "06.06.2001");
  drv.PressKey(VK_RETURN);
  drv.PressKey(VK_ESCAPE);
  EXPECT_EQ(enter, 2);
  EXPECT_EQ(cancel, 2);
  cal->SetDate(D(2001, 5, 5));
  Key(VK_HOME);
  EXPECT_EQ(cal->Date(), std::floor(Date()));
  // Today beyond the range: Home lands on the maximum and still reports it.
  cal->SetValidDateMin(D(2000, 1, 1));
  cal->SetValidDateMax(D(2010, 6, 30));
  cal->SetDate(D(2005, 1, 1));
  log.clear();
  Key(VK_HOME);
  EXPECT_EQ(Str(cal->Date()), "30.06.2010");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "change 30.06.2010");
}

TEST_F(CalFixture, ValidRangeClampsButStillReportsAndUnsetBoundsDoNotClamp) {
  cal->SetDate(D(1850, 1, 1));
  Key(VK_LEFT);  // bounds unset (0): no clamp to 30.12.1899
  EXPECT_EQ(Str(cal->Date()), "31.12.1849");
  cal->SetValidDateMin(D(2020, 1, 1));
  cal->SetValidDateMax(D(2020, 12, 31));
  cal->SetDate(D(2020, 1, 1));
  log.clear();
  Key(VK_LEFT);
  EXPECT_EQ(Str(cal->Date()), "01.01.2020");
  EXPECT_EQ(log, std::vector<std::string>{"change 01.01.2020"});
  cal->SetDate(D(2020, 12, 20));
  Key(VK_NEXT);
  EXPECT_EQ(Str(cal->Date()), "31.12.2020");
}

TEST_F(CalFixture, SetDateFiresOnlyMonthEventsOnRebuild) {
  cal->SetDate(D(2024, 5, 10));
  log.clear();
  cal->SetDate(D(2024, 5, 20));  // same month: no rebuild, no event
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(cal->SelectedCell(), cal->FirstDayColumn() + 19);
  cal->SetDate(0);  // leaves the grid as it was
  EXPECT_EQ(cal->Date(), 0);
  EXPECT_EQ(cal->CellText(cal->FirstDayColumn()), "1");
  EXPECT_TRUE(log.empty());
  cal->SetDate(D(2024, 5, 20));
  log.clear();
  cal->SetDate(D(2024, 2, 3));
  cal->SetDate(D(2024, 5, 20));
  EXPECT_EQ(log, (std::vector<std::string>{"before 01.02.2024-29.02.2024", "after 01.02.2024-29.02.2024",
                                           "before 01.05.2024-31.05.2024", "after 01.05.2024-31.05.2024"}));
  // A key move across a month: month events first, then the date change.
  log.clear();
  Key(VK_NEXT);
  EXPECT_EQ(log, (std::vector<std::string>{"before 01.06.2024-30.06.2024", "after 01.06.2024-30.06.2024",
                                           "change 20.06.2024"}));
}

TEST_F(CalFixture, LongHeaderTextsAreShortenedUntilTheyFit) {
  cal->SetTextToday("Heute ist ein Festtag und mehr");
  EXPECT_LE(cal->TextToday().size(), 20u);
  cal->SetTextEnter("Direkt eingeben bitte");
  TRect today = cal->HeaderButtonRect(TCalendar97::hbToday);
  TRect enter = cal->HeaderButtonRect(TCalendar97::hbEnter);
  TRect next = cal->HeaderButtonRect(TCalendar97::hbNextMonth);
  EXPECT_LT(cal->TextToday().size(), 20u);
  EXPECT_LT(cal->TextEnter().size(), 21u);
  EXPECT_TRUE(std::string("Heute ist ein Festtag").starts_with(cal->TextToday()));
  EXPECT_TRUE(std::string("Direkt eingeben bitte").starts_with(cal->TextEnter()));
  EXPECT_LT(today.Right, enter.Left);
  EXPECT_LE(enter.Right, next.Left);
  // Short texts fit and stay whole.
  cal->SetTextToday("Heute");
  cal->SetTextEnter("Direkt");
  EXPECT_EQ(cal->TextToday(), "Heute");
  EXPECT_EQ(cal->TextEnter(), "Direkt");
}

TEST_F(CalFixture, SizeFollowsTheFont) {
  int w = cal->Width();
  cal->SetBounds(0, 0, 20, 20);
  EXPECT_EQ(cal->Width(), w);
  TFont big(*cal->Font());
  big.SetHeight(-20);
  cal->SetFont(big);
  EXPECT_GT(cal->Width(), w);
  EXPECT_EQ(cal->Width(), 21 * cal->UnitWidth() + 2 * cal->Margin() + 2);
  EXPECT_EQ(cal->Height(), 8 * cal->RowHeight() + cal->ButtonSize() + 3 * cal->Margin() + 4);
}

TEST_F(CalFixture, WindowLayoutsSetPropertiesByName) {
  EXPECT_TRUE(SetOrdProp(cal, "BevelOuter", bvNone));
  EXPECT_EQ(cal->BevelOuter(), bvNone);
  EXPECT_TRUE(SetOrdProp(cal, "StartOfWeekEnd", 7));
  EXPECT_TRUE(SetOrdProp(cal, "WeekEndDays", 1));
  EXPECT_EQ(cal->StartOfWeekEnd(), 7);
  EXPECT_EQ(cal->WeekEndDays(), 1);
  EXPECT_TRUE(SetStrProp(cal, "TextEnter", "Direkt"));
  EXPECT_EQ(cal->TextEnter(), "Direkt");
  TObject* colors = GetObjectProp(cal, "Colors");
  ASSERT_NE(colors, nullptr);
  EXPECT_TRUE(SetOrdProp(colors, "ColorValid", clNavy));
  EXPECT_EQ(cal->Colors()->ColorValid(), clNavy);
  EXPECT_TRUE(SetStrProp(GetObjectProp(cal, "DayNames"), "Wednesday", "Mittwoch"));
  EXPECT_EQ(cal->DayNames()->Wednesday(), "Mi");  // at most two characters
  EXPECT_TRUE(SetStrProp(GetObjectProp(cal, "MonthNames"), "March", CP1252("März").str()));
  EXPECT_EQ(cal->MonthNames()->Get(3), CP1252("März").str());
  // Out-of-range week days are refused.
  cal->SetStartOfWeek(9);
  EXPECT_EQ(cal->StartOfWeek(), 1);
}

TEST_F(CalFixture, OnlyMonthSnapsToFirstAndIgnoresDayClicks) {
  form->Show();
  cal->SetDate(D(2024, 5, 10));
  cal->SetOnlyMonth(true);
  Key(VK_RIGHT);
  EXPECT_EQ(Str(cal->Date()), "01.05.2024");
  Key(VK_NEXT);
  EXPECT_EQ(Str(cal->Date()), "01.06.2024");
  TPoint p = CellCentre(cal->FirstDayColumn() + 14);
  drv.Click(cal, p.X, p.Y);
  EXPECT_EQ(Str(cal->Date()), "01.06.2024");
}

TEST_F(CalFixture, ValidDatesListSteersLeftRightAndClicks) {
  form->Show();
  cal->SetDate(D(2024, 5, 10));
  cal->AddValidDate(D(2024, 5, 3));
  cal->AddValidDate(D(2024, 5, 10));
  cal->AddValidDate(D(2024, 5, 27));
  cal->SetOnlyValidDates(true);
  Key(VK_RIGHT);
  EXPECT_EQ(Str(cal->Date()), "27.05.2024");
  Key(VK_RIGHT);  // no neighbour: stays
  EXPECT_EQ(Str(cal->Date()), "27.05.2024");
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(Str(cal->Date()), "03.05.2024");
  TPoint p = CellCentre(cal->FirstDayColumn() + 15);  // the 16th: not listed
  drv.Click(cal, p.X, p.Y);
  EXPECT_EQ(Str(cal->Date()), "03.05.2024");
}

TEST_F(CalFixture, DaysBeyondTheValidRangeLookUnavailableAndIgnoreTheMouse) {
  cal->Colors()->SetColorDates(clNavy);
  cal->SetValidDateMin(D(1582, 10, 20));
  cal->SetValidDateMax(D(8201, 12, 31));
  form->Show();
  cal->SetDate(D(1582, 10, 25));
  int clicks = 0;
  cal->OnDateClick = [&](TObject*) { ++clicks; };
  log.clear();
  auto cell = [&](int day) { return cal->FirstDayColumn() + day - 1; };
  // Embossed: highlight pixels and none of the day colour (weekdays only).
  auto embossed = [&](int day) {
    TRect r = cal->CellRect(cell(day));
    return CountColor(drv, cal, r, clWhite) > 0 && CountBluish(drv, cal, r) == 0;
  };
  drv.SavePng(cal, "calendar_october_1582");
  for (int day : {1, 5, 19}) EXPECT_TRUE(embossed(day)) << day;
  for (int day : {20, 22, 29}) EXPECT_FALSE(embossed(day)) << day;
  // No hover and no move on an unavailable day, at either end.
  TPoint p = CellCentre(cell(10));
  drv.MouseMove(cal, p.X, p.Y);
  EXPECT_EQ(cal->HoverCell(), 0);
  drv.Click(cal, p.X, p.Y);
  cal->SetValidDateMax(D(1582, 10, 28));
  cal->Invalidate();
  EXPECT_TRUE(embossed(29));
  p = CellCentre(cell(30));
  drv.Click(cal, p.X, p.Y);
  EXPECT_EQ(Str(cal->Date()), "25.10.1582");
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(clicks, 0);
}

TEST_F(CalFixture, MouseClicksMoveAndHoverFollowsWithTimer) {
  form->Show();
  cal->SetDate(D(2024, 5, 10));
  int clicks = 0;
  cal->OnDateClick = [&](TObject*) { ++clicks; };
  log.clear();
  TPoint p = CellCentre(cal->FirstDayColumn() + 20);
  drv.Click(cal, p.X, p.Y);
  EXPECT_EQ(Str(cal->Date()), "21.05.2024");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(log, std::vector<std::string>{"change 21.05.2024"});
  EXPECT_TRUE(cal->Focused());
  // A click on a cell outside the month does nothing.
  drv.Click(cal, CellCentre(1).X, CellCentre(1).Y);
  EXPECT_EQ(Str(cal->Date()), "21.05.2024");
  EXPECT_EQ(clicks, 1);
  // Header buttons act as their keys.
  p = ButtonCentre(TCalendar97::hbNextMonth);
  drv.Click(cal, p.X, p.Y);
  EXPECT_EQ(Str(cal->Date()), "21.06.2024");
  p = ButtonCentre(TCalendar97::hbPrevYear);
  drv.Click(cal, p.X, p.Y);
  EXPECT_EQ(Str(cal->Date()), "21.06.2023");
  // Hover: a day cell becomes the hover cell; a button gets hot.
  p = CellCentre(cal->FirstDayColumn() + 2);
  drv.MouseMove(cal, p.X, p.Y);
  EXPECT_EQ(cal->HoverCell(), cal->FirstDayColumn() + 2);
  p = ButtonCentre(TCalendar97::hbToday);
  drv.MouseMove(cal, p.X, p.Y);
  EXPECT_EQ(cal->HotButton(), TCalendar97::hbToday);
  EXPECT_EQ(cal->HoverCell(), 0);
  EXPECT_TRUE(cal->HoverTimer()->Enabled());
  // Leaving: the timer clears the hot button and stops.
  drv.MouseMove(form, 350, 250);
  drv.Advance(150);
  EXPECT_EQ(cal->HotButton(), -1);
  EXPECT_FALSE(cal->HoverTimer()->Enabled());
  // Dragging with the button down moves the date along.
  TPoint a = CellCentre(cal->FirstDayColumn() + 4), b = CellCentre(cal->FirstDayColumn() + 11);
  drv.Drag(cal, a, b, 3);
  EXPECT_EQ(Str(cal->Date()), "12.06.2023");
}

TEST_F(CalFixture, PicturesOfWeekStartsWeekendAndHover) {
  cal->DayNames()->SetMonday("Mo");
  cal->DayNames()->SetTuesday("Di");
  cal->DayNames()->SetWednesday("Mi");
  cal->DayNames()->SetThursday("Do");
  cal->DayNames()->SetFriday("Fr");
  cal->DayNames()->SetSaturday("Sa");
  cal->DayNames()->SetSunday("So");
  cal->SetTextToday("Heute");
  cal->SetTextEnter("Direkt");
  cal->SetBevelOuter(bvNone);
  cal->Colors()->SetColorArrow(clBlack);
  cal->Colors()->SetColorDates(clNavy);
  form->SetColor(clBtnFace);
  form->Show();
  cal->SetDate(D(2024, 12, 10));
  // Monday start, weekend Saturday and Sunday.
  drv.SavePng(cal, "calendar_monday_start");
  TRect sunday = cal->CellRect(7);  // 1 December, a Sunday, in column 7
  EXPECT_GT(CountColor(drv, cal, sunday, clRed), 0);
  TRect monday = cal->CellRect(8);
  EXPECT_EQ(CountColor(drv, cal, monday, clRed), 0);
  EXPECT_GT(CountBluish(drv, cal, monday), 0);
  // Sunday start, weekend Sunday only.
  cal->SetStartOfWeek(7);
  cal->SetStartOfWeekEnd(7);
  cal->SetWeekEndDays(1);
  drv.SavePng(cal, "calendar_sunday_start");
  EXPECT_GT(CountColor(drv, cal, cal->CellRect(1), clRed), 0);
  EXPECT_EQ(CountColor(drv, cal, cal->CellRect(7), clRed), 0);  // Saturday now plain
  // Hover frame: raised (white top edge) on the hovered day.
  TPoint p = CellCentre(20);
  drv.MouseMove(cal, p.X, p.Y);
  TRect h = cal->CellRect(20);
  drv.SavePng(cal, "calendar_hover");
  EXPECT_EQ(drv.PixelAt(cal, h.Left + 5, h.Top), clWhite);
  EXPECT_EQ(drv.PixelAt(cal, h.Left + 5, h.Bottom - 1), ColorToRGB(clBtnShadow));
  TRect s = cal->CellRect(cal->SelectedCell());
  EXPECT_EQ(drv.PixelAt(cal, s.Left + 5, s.Top), ColorToRGB(clBtnShadow));  // sunken selection
  // A header button under the pointer gets a raised frame.
  TRect today = cal->HeaderButtonRect(TCalendar97::hbToday);
  EXPECT_EQ(drv.PixelAt(cal, today.Left + 5, today.Top), ColorToRGB(clBtnFace));
  drv.MouseMove(cal, today.Left + 5, today.Top + 5);
  drv.SavePng(cal, "calendar_hover_today");
  EXPECT_EQ(drv.PixelAt(cal, today.Left + 5, today.Top), clWhite);
  EXPECT_EQ(drv.PixelAt(cal, today.Left + 5, today.Bottom - 1), ColorToRGB(clBtnShadow));
  EXPECT_EQ(drv.PixelAt(cal, h.Left + 5, h.Top), ColorToRGB(clBtnFace));  // the day lost its hover frame
}

}  // namespace

// The calendar box: the sun-and-moon face's times for Berlin, Wien and
// Zürich across a year against the calendar library and, for a few, against
// PyEphem computed here; both faces on the days a user looks at (a
// holiday, a Sunday, full and new moon, a two-line holiday name, a day
// without moonrise), laid out without overlaps and saved as pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

#include "app/main/calbox.h"
#include "calendar/astro.h"
#include "calendar/datetexts.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "tests/shell_helpers.h"

namespace {

struct Place {
  const char* Name;
  long double Latitude, Longitude;  // north, west positive
};
const Place kPlaces[] = {{"Berlin", 52.52L, -13.405L}, {"Wien", 48.2082L, -16.3738L}, {"Zuerich", 47.3769L, -8.5417L}};

class CalendarBox : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(Application);
    form_->SetClientSize(160, 220);
    box_ = new TPaintBox(form_);
    box_->SetParent(form_);
    box_->SetBounds(6, 6, 148, 207);
    box_->OnPaint = [this](TObject*) { PaintCalendarBox(box_->Canvas(), 148, 207, mode_, day_); };
    form_->Show();
    driver.Process();
  }
  void TearDown() override { delete form_; }

  std::vector<CalendarBoxItem> Face(int mode, const CalendarBoxDay& day) {
    return CalendarBoxFace(form_->Canvas(), 148, 207, mode, day);
  }
  // The box painted as the window paints it, saved as a picture.
  void Save(int mode, const CalendarBoxDay& day, const std::string& name) {
    mode_ = mode;
    day_ = day;
    box_->Invalidate();
    driver.Process();
    driver.SavePng(box_, name);
  }
  // The six times of the sun-and-moon face, top down: sun rise,
  // culmination, set, moon rise, culmination, set.
  std::vector<std::string> Times(const CalendarBoxDay& day) {
    std::map<int, std::string> byY;
    for (const CalendarBoxItem& item : Face(1, day))
      if (item.Kind == cbText && item.X > 60 && item.Size == 10 && !item.Bold) byY[item.Y] = item.Text;
    std::vector<std::string> out;
    for (const auto& [y, t] : byY) out.push_back(t);
    return out;
  }

  TUiTestDriver driver;
  TForm* form_ = nullptr;
  TPaintBox* box_ = nullptr;
  int mode_ = 0;
  CalendarBoxDay day_;
};

CalendarBoxDay Day(int y, int m, int d, const Place& p = kPlaces[0]) {
  CalendarBoxDay day;
  day.Date = MakePackedDate(y, m, d);
  day.Latitude = p.Latitude;
  day.Longitude = p.Longitude;
  return day;
}

int Minutes(const std::string& hhmm) { return std::stoi(hhmm.substr(0, 2)) * 60 + std::stoi(hhmm.substr(3, 2)); }

// PyEphem's six times of the local civil day (Central European time, from
// midnight to midnight in the offsets then in force) of each date at a
// place, as minutes on the local clock, -1 where the day has none: upper
// limb against a horizon of -34' (no further refraction), the first event
// after local midnight. Empty when PyEphem is not installed.
std::vector<std::array<double, 6>> EphemTimes(const Place& p, const std::vector<PackedDate>& days) {
  if (std::system("/usr/bin/python3 -c 'import ephem' 2>/dev/null") != 0) return {};
  std::ostringstream script;
  script << "import datetime, ephem\n"
            "def last_sunday(y, m):\n"
            "  d = datetime.date(y, m, 31); return d - datetime.timedelta((d.weekday() + 1) % 7)\n"
            "def off(t):\n"
            "  t = ephem.Date(t).datetime(); y = t.year; h = datetime.time(1)\n"
            "  summer = datetime.datetime.combine(last_sunday(y, 3), h) <= t < datetime.datetime.combine(last_sunday(y, 10), h)\n"
            "  return (2 if summer else 1) * ephem.hour\n"
            "o = ephem.Observer(); o.lat, o.lon = '"
         << static_cast<double>(p.Latitude) << "', '" << -static_cast<double>(p.Longitude)
         << "'\no.elevation = 0; o.pressure = 0; o.horizon = '-0:34'\n"
            "for day in [";
  for (const PackedDate& d : days)
    script << "'" << PackedDateYear(d) << "/" << PackedDateMonth(d) << "/" << PackedDateDay(d) << "',";
  script << "]:\n"
            "  d0 = ephem.Date(day); start = d0 - off(d0 - 2 * ephem.hour); end = d0 + 1 - off(d0 + 1 - 2 * ephem.hour)\n"
            "  out = []\n"
            "  for body in (ephem.Sun(), ephem.Moon()):\n"
            "    for f in (o.next_rising, o.next_transit, o.next_setting):\n"
            "      o.date = start; t = f(body)\n"
            "      out.append('%.4f' % ((t + off(t) - d0) * 1440) if t < end else '-1')\n"
            "  print(' '.join(out))\n";
  std::istringstream lines(testshell::Shell("/usr/bin/python3 - <<'EOF'\n" + script.str() + "EOF\n"));
  std::vector<std::array<double, 6>> out(days.size());
  for (auto& times : out)
    for (double& t : times) lines >> t;
  EXPECT_TRUE(lines) << "PyEphem gave fewer lines than days";
  return out;
}

// Whether the box's time ("--:--" or "hh:mm") shows PyEphem's minutes: the
// box drops the seconds, so its minute is ephem's or one before it when
// ephem lies within a few seconds past a full minute.
bool SameTime(const std::string& box, double ephem) {
  if (ephem < 0 || box == "--:--") return ephem < 0 && box == "--:--";
  const double diff = ephem - Minutes(box);
  return diff >= -0.1 && diff < 1.1;
}

// The box's times for three cities on 20 dates across 2027 (winter and
// summer time) are the calendar library's times of the local day shifted by
// one or two hours; five of them against PyEphem.
TEST_F(CalendarBox, SunAndMoonTimesInLocalCivilTime) {
  using Routine = double (*)(TDateTime, long double, long double);
  const Routine routines[] = {SunRise, SunCulmination, SunSet, MoonRise, MoonCulmination, MoonSet};
  int summer = 0, none = 0;
  for (const Place& p : kPlaces)
    for (int i = 0; i < 20; ++i) {
      const PackedDate d = DayNumberToPackedDate(PackedDateToDayNumber(MakePackedDate(2027, 1, 3)) + 18 * i);
      CalendarBoxDay day = Day(PackedDateYear(d), PackedDateMonth(d), PackedDateDay(d), p);
      const std::vector<std::string> times = Times(day);
      ASSERT_EQ(times.size(), 6u);
      const double offset = IsSummerTime(d) ? 2.0 / 24 : 1.0 / 24;
      summer += IsSummerTime(d);
      for (int k = 0; k < 6; ++k) {
        std::string want = "--:--";
        try {
          want = TimeText(routines[k](PackedDateToDateTime(d) - offset, p.Latitude, p.Longitude) + offset);
        } catch (const E_NoRiseSet&) {
          ++none;
        }
        EXPECT_EQ(times[k], want) << p.Name << " " << PackedDateDay(d) << "." << PackedDateMonth(d) << " #" << k;
      }
      // Culmination lies between rise and set for the sun.
      EXPECT_LT(Minutes(times[0]), Minutes(times[1]));
      EXPECT_LT(Minutes(times[1]), Minutes(times[2]));
    }
  EXPECT_GT(summer, 20);
  EXPECT_LT(summer, 40);
  EXPECT_GT(none, 0);  // the moon misses a rise or set on some days

  struct Spot {
    int Place, Month, Day;
  };
  const Spot spots[] = {{0, 1, 15}, {0, 6, 21}, {1, 3, 31}, {2, 10, 2}, {2, 12, 21}};
  int compared = 0;
  for (const Spot& s : spots) {
    const CalendarBoxDay day = Day(2027, s.Month, s.Day, kPlaces[s.Place]);
    const auto ephem = EphemTimes(kPlaces[s.Place], {day.Date});
    if (ephem.empty()) GTEST_SKIP() << "PyEphem (python3-ephem) is not installed";
    const std::vector<std::string> times = Times(day);
    for (int k = 0; k < 6; ++k, ++compared)
      EXPECT_TRUE(SameTime(times[k], ephem[0][k])) << kPlaces[s.Place].Name << " " << s.Day << "." << s.Month
                                                   << " #" << k << ": " << times[k] << " / " << ephem[0][k];
  }
  EXPECT_EQ(compared, 30);
}

// Moon times between local midnight and 02:00 belong to the local day: on
// every day of a year in Berlin the box shows the events of the local civil
// day (18.4.2025: moonrise 01:48, not "--:--").
TEST_F(CalendarBox, AYearOfLocalDaysAgainstPyEphem) {
  std::vector<PackedDate> days;
  for (PackedDate d = MakePackedDate(2025, 1, 1); PackedDateYear(d) == 2025; PackedDateNextDay(d)) days.push_back(d);
  const auto ephem = EphemTimes(kPlaces[0], days);
  if (ephem.empty()) GTEST_SKIP() << "PyEphem (python3-ephem) is not installed";
  int differing = 0;
  for (size_t i = 0; i < days.size(); ++i) {
    const CalendarBoxDay day = Day(PackedDateYear(days[i]), PackedDateMonth(days[i]), PackedDateDay(days[i]));
    const std::vector<std::string> times = Times(day);
    bool same = true;
    for (int k = 0; k < 6; ++k) same &= SameTime(times[k], ephem[i][k]);
    differing += !same;
    EXPECT_TRUE(same) << "Berlin " << PackedDateDay(days[i]) << "." << PackedDateMonth(days[i]);
  }
  std::printf("calendar box against PyEphem, Berlin 2025: %d of %zu days differ\n", differing, days.size());
}

// The days the clocks change have 23 and 25 hours; each time stands in the
// offset in force at its instant (Berlin 31.3.2024: moonrise 01:11 CET, not
// "02:11"). PyEphem's minutes on the local clock, computed as above.
TEST_F(CalendarBox, ClockChangeDaysShowEachTimeInItsOffset) {
  struct Case {
    int Place, Year, Month, Day;
    double Ephem[6];
  };
  const Case cases[] = {
      {0, 2024, 3, 31, {402.25, 790.38, 1179.62, 71.84, 330.44, 524.26}},
      {0, 2024, 10, 27, {414.18, 710.19, 1005.42, 124.06, 503.42, 924.24}},
      {0, 2027, 3, 28, {410.99, 791.51, 1173.11, 86.65, 344.36, 540.10}},
      {2, 2026, 10, 25, {418.72, 729.91, 1040.42, 996.22, 1.80, 364.01}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> times = Times(Day(c.Year, c.Month, c.Day, kPlaces[c.Place]));
    ASSERT_EQ(times.size(), 6u);
    for (int k = 0; k < 6; ++k)
      EXPECT_TRUE(SameTime(times[k], c.Ephem[k])) << kPlaces[c.Place].Name << " " << c.Day << "." << c.Month << "."
                                                  << c.Year << " #" << k << ": " << times[k] << " / " << c.Ephem[k];
  }
}

// The pixels an item inks on a screen of scale k: drawn alone on white, the
// box around every pixel that is not white (a picture: its square).
TRect Ink(const CalendarBoxItem& item, int k = 1) {
  if (item.Kind == cbPicture) return Bounds(item.X * k, item.Y * k, item.Width * k, item.Height * k);
  TSurface s;
  s.SetScale(k);
  s.Resize(148 * k, 207 * k);
  std::unique_ptr<TDrawDevice> device = GfxPlatform()->CreateRasterDevice(s, 96);
  TCanvas canvas(device.get());
  TCanvas* c = &canvas;
  c->Font()->SetName(item.FontName);
  c->Font()->SetSize(item.Size);
  c->Font()->SetStyle(item.Bold ? TFontStyles{fsBold} : TFontStyles{});
  c->Font()->SetColor(clBlack);
  c->TextOut(item.X, item.Y, item.Text);
  TRect r{100000, 100000, -1, -1};
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if ((s.Row(y)[x] & 0xFFFFFFu) != 0xFFFFFFu) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

// Pairs of items of a face whose inked pixels overlap on a screen of scale
// k; a picture touching an item reads as one with it, so it counts too.
int Overlaps(const std::vector<CalendarBoxItem>& items, int k = 1) {
  std::vector<TRect> ink;
  for (const CalendarBoxItem& i : items) {
    ink.push_back(Ink(i, k));
    if (i.Kind == cbPicture) InflateRect(ink.back(), 1, 1);
  }
  int n = 0;
  for (size_t i = 0; i < items.size(); ++i)
    for (size_t j = i + 1; j < items.size(); ++j) {
      const TRect &a = ink[i], &b = ink[j];
      if (a.Right < 0 || b.Right < 0) continue;  // nothing drawn
      const bool apart = a.Right <= b.Left || b.Right <= a.Left || a.Bottom <= b.Top || b.Bottom <= a.Top;
      n += !apart;
      if (!apart) ADD_FAILURE() << "\"" << items[i].Text << "\" overlaps \"" << items[j].Text << "\"";
    }
  return n;
}

const CalendarBoxItem* FindText(const std::vector<CalendarBoxItem>& items, const std::string& text) {
  for (const CalendarBoxItem& i : items)
    if (i.Kind == cbText && i.Text == text) return &i;
  return nullptr;
}

// Both faces on the days a user looks at: red days red, the holiday name on
// one or two lines, the moon's picture, no overlapping lines, everything
// inside the sheet.
TEST_F(CalendarBox, FacesOnSpecialDays) {
  const TColor red = RGB(255, 0, 0);
  struct Case {
    const char* Name;
    int Year, Month, Day;
  };
  const Case cases[] = {{"calbox_christmas", 2027, 12, 25},   {"calbox_sunday", 2027, 3, 7},
                        {"calbox_full_moon", 2027, 2, 21},    {"calbox_new_moon", 2027, 3, 8},
                        {"calbox_two_lines", 2008, 5, 1},     {"calbox_weekday", 2027, 3, 9},
                        {"calbox_sagittarius", 2026, 12, 8}};
  for (const Case& c : cases) {
    const CalendarBoxDay day = Day(c.Year, c.Month, c.Day);
    for (int mode : {0, 1}) {
      const auto items = Face(mode, day);
      for (int k : {1, 2}) EXPECT_EQ(Overlaps(items, k), 0) << c.Name << " face " << mode << " scale " << k;
      for (const CalendarBoxItem& i : items) {
        const TRect r = Ink(i);
        if (r.Right < 0) continue;
        EXPECT_GE(r.Left, 1) << c.Name << " " << i.Text;
        EXPECT_LE(r.Right, 148 - 6) << c.Name << " " << i.Text;
        EXPECT_GE(r.Top, 1) << c.Name << " " << i.Text;
        EXPECT_LE(r.Bottom, 207 - 6) << c.Name << " " << i.Text;
      }
      Save(mode, day, std::string(c.Name) + (mode ? "_sun_moon" : "_moon_phase"));
    }
  }
  // Christmas: day number, weekday and holiday name red.
  auto items = Face(0, Day(2027, 12, 25));
  ASSERT_NE(FindText(items, "25"), nullptr);
  EXPECT_EQ(FindText(items, "25")->Color, red);
  EXPECT_EQ(FindText(items, "Samstag")->Color, red);
  EXPECT_EQ(FindText(items, "1. Weihnachtstag")->Color, red);
  EXPECT_NE(FindText(items, "2027"), nullptr);
  EXPECT_NE(FindText(items, "Dezember"), nullptr);
  // A Sunday without holiday: red day and weekday; a weekday black.
  items = Face(0, Day(2027, 3, 7));
  EXPECT_EQ(FindText(items, "7")->Color, red);
  EXPECT_EQ(FindText(items, "Sonntag")->Color, red);
  EXPECT_EQ(FindText(Face(0, Day(2027, 3, 9)), "9")->Color, clBlack);
  // Full and new moon: the phase's name and picture; zodiac and week line.
  items = Face(0, Day(2027, 2, 21));
  EXPECT_NE(FindText(items, "Vollmond"), nullptr);
  bool fullPicture = false;
  for (const CalendarBoxItem& i : items) fullPicture |= i.Kind == cbPicture && i.Picture == cbpMoonPhase1 + 4;
  EXPECT_TRUE(fullPicture);
  EXPECT_NE(FindText(items, "Fische"), nullptr);
  EXPECT_NE(FindText(items, "7/52"), nullptr);  // ISO week 7, day 52
  EXPECT_NE(FindText(items, std::string(1, ZodiacGlyph(11))), nullptr);
  EXPECT_NE(FindText(Face(0, Day(2027, 3, 8)), "Neumond"), nullptr);
  // A name too wide for one line breaks at a blank, the rest below.
  items = Face(0, Day(2008, 5, 1));
  const CalendarBoxItem* first = FindText(items, "Maifeiertag, Christi");
  const CalendarBoxItem* second = FindText(items, "Himmelfahrt");
  ASSERT_TRUE(first && second);
  EXPECT_LT(first->Y, second->Y);
  // US weeks from Sunday.
  CalendarBoxDay us = Day(2027, 1, 3);
  us.WeekStart = 7;
  EXPECT_NE(FindText(Face(0, us), "2/3"), nullptr);
  EXPECT_NE(FindText(Face(0, Day(2027, 1, 3)), "53/3"), nullptr);
}

// A day without moonrise at the place shows "--:--" in its line; the box
// is painted whole.
TEST_F(CalendarBox, ADayWithoutMoonriseShowsDashes) {
  PackedDate d = MakePackedDate(2027, 1, 1);
  for (;; PackedDateNextDay(d)) {
    try {
      const double offset = IsSummerTime(d) ? 2.0 / 24 : 1.0 / 24;
      MoonRise(PackedDateToDateTime(d) - offset, kPlaces[0].Latitude, kPlaces[0].Longitude);
    } catch (const E_NoRiseSet&) {
      break;
    }
    ASSERT_LT(PackedDateYear(d), 2028);
  }
  const CalendarBoxDay day = Day(PackedDateYear(d), PackedDateMonth(d), PackedDateDay(d));
  const std::vector<std::string> times = Times(day);
  ASSERT_EQ(times.size(), 6u);
  EXPECT_EQ(times[3], "--:--");
  EXPECT_NE(times[4], "--:--");
  Save(1, day, "calbox_no_moonrise");
  EXPECT_EQ(driver.PixelAt(box_, 2, 2), clWhite);
  // Far in the north the sun stays up at midsummer: no rise, no set.
  CalendarBoxDay north = Day(2027, 6, 21);
  north.Latitude = 78.2L;
  north.Longitude = -15.6L;
  const std::vector<std::string> polar = Times(north);
  EXPECT_EQ(polar[0], "--:--");
  EXPECT_EQ(polar[2], "--:--");
  EXPECT_NE(polar[1], "--:--");
}

}  // namespace

// The calendar box's two faces (calbox.h): laid out from the bottom and
// the top of the sheet as the box's height allows, then painted.
#include "app/main/calbox.h"

#include <cmath>
#include <exception>

#include "app/settings/settings.h"
#include "app/text/formatters.h"
#include "calendar/astro.h"
#include "calendar/datetexts.h"
#include "calendar/holidays.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"

namespace {

constexpr TColor kRed = RGB(255, 0, 0);
constexpr TColor kShadow = RGB(128, 128, 128);

// Lays out texts on the canvas: each text measured in its font and put at
// its place.
class FaceBuilder {
 public:
  FaceBuilder(TCanvas* canvas, int w, int h) : canvas_(canvas), w_(w), h_(h), inner_(w - 5) {}

  // Selects the font of the next texts; returns the height of "X" in it.
  int Font(int size, bool bold = false, const char* name = kCalendarBoxFont) {
    name_ = name;
    size_ = size;
    bold_ = bold;
    canvas_->Font()->SetName(name);
    canvas_->Font()->SetSize(size);
    canvas_->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    return canvas_->TextHeight("X");
  }
  int Width(const std::string& text) { return canvas_->TextWidth(text); }
  void Text(const std::string& text, int x, int y, TColor color = clBlack) {
    CalendarBoxItem item;
    item.Text = text;
    item.X = x;
    item.Y = y;
    item.FontName = name_;
    item.Size = size_;
    item.Bold = bold_;
    item.Color = color;
    item.Width = canvas_->TextWidth(text);
    item.Height = canvas_->TextHeight(text.empty() ? std::string("X") : text);
    items_.push_back(std::move(item));
  }
  // Centred on the sheet (the shadow left out).
  void Centred(const std::string& text, int y, TColor color = clBlack) { Text(text, (inner_ - Width(text)) / 2, y, color); }
  void Picture(int picture, int x, int y) {
    CalendarBoxItem item;
    item.Kind = cbPicture;
    item.Picture = picture;
    item.X = x;
    item.Y = y;
    item.Width = item.Height = kSymbolPictureSize;
    items_.push_back(std::move(item));
  }
  int W() const { return w_; }
  int H() const { return h_; }
  std::vector<CalendarBoxItem> Take() { return std::move(items_); }

 private:
  TCanvas* canvas_;
  int w_, h_, inner_;
  std::string name_;
  int size_ = 0;
  bool bold_ = false;
  std::vector<CalendarBoxItem> items_;
};

// The holiday name in at most two lines of `width` pixels: broken at the
// last blank before which the first line fits, or at the first blank when
// no first line fits; a name without blanks stays one line.
std::vector<std::string> BreakHolidayName(FaceBuilder& f, const std::string& name, int width) {
  if (f.Width(name) <= width) return {name};
  size_t at = std::string::npos, first = std::string::npos;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] != ' ') continue;
    if (first == std::string::npos) first = i;
    if (f.Width(name.substr(0, i)) <= width) at = i;
  }
  if (at == std::string::npos) at = first;
  if (at == std::string::npos) return {name};
  return {name.substr(0, at), name.substr(at + 1)};
}

std::string Trimmed(std::string s) {
  AnsiString a = s;
  TrimLeadingBlanks(a);
  return a;
}

void MoonPhaseFace(FaceBuilder& f, const CalendarBoxDay& day) {
  const PackedDate& d = day.Date;
  const int32_t dn = PackedDateToDayNumber(d);
  const HolidayInfo holiday = HolidayName(dn, day.Confession, day.Country);
  const bool red = holiday.Holiday || DayNumberWeekday(dn) == 0;
  const int w = f.W(), h = f.H();

  int hx = f.Font(62);
  f.Centred(PackedDateDayText(d), (h - hx) / 3, red ? kRed : clBlack);

  hx = f.Font(10);
  int y = 6;
  f.Centred(PackedDateYearText(d), y);
  y += hx;
  f.Font(14);
  y += 2;
  f.Centred(PackedDateMonthName(2, d), y);

  // From the bottom: zodiac sign with week and day of the year, moon phase,
  // holiday name, weekday.
  hx = f.Font(8);
  y = h - 10 - hx;
  const int sign = ZodiacSignIndex(d, day.ZodiacFlag);
  f.Text(ZodiacSignName(sign, 0), 27, y);
  const std::string week = Trimmed(PackedDateWeekNumber(d, day.WeekStart)) + "/" + std::to_string(DayOfYear(d));
  f.Text(week, w - 16 - f.Width(week), y);
  const int glyphY = y;
  y -= 1 + hx;
  const int phase = MoonPhase(d);
  f.Text(MoonPhaseName(phase, 0, 0), 27, y);
  // The disc is as tall as a line: centred on its line, as the text is, it
  // keeps clear of the zodiac sign below.
  f.Picture(cbpMoonPhase1 + phase - 1, 12, y + (hx - kSymbolPictureSize) / 2);

  const std::vector<std::string> lines = BreakHolidayName(f, holiday.Name, w - 24);
  const TColor holidayColor = holiday.Holiday ? kRed : clBlack;
  if (lines.size() == 1) {
    if (!lines[0].empty()) f.Centred(lines[0], y - 2 - (3 * hx) / 2, holidayColor);
    y -= 2 + 2 * hx;
  } else {
    y -= 2 + hx;
    f.Centred(lines[1], y, holidayColor);
    y -= hx;
    f.Centred(lines[0], y, holidayColor);
  }
  hx = f.Font(14);
  y -= 1 + hx;
  f.Centred(PackedDateWeekdayName(2, d), y, red ? kRed : clBlack);

  f.Font(9, false, kZodiacGlyphFont);
  f.Text(std::string(1, ZodiacGlyph(sign)), 12, glyphY);
}

using RiseSetRoutine = double (*)(TDateTime, long double, long double);

// The first event of a routine from `start` before `end`, as an instant in
// universal time; false when there is none. A routine searches 24 hours, so
// a 25-hour day's last hour is searched after the first 24.
bool FirstEventOfDay(RiseSetRoutine routine, TDateTime start, TDateTime end, long double latitude,
                     long double longitude, TDateTime& at) {
  for (TDateTime from = start; from < end; from += 1) {
    try {
      at = std::floor(from) + routine(from, latitude, longitude);
      return at < end;
    } catch (const E_NoRiseSet&) {
    }
  }
  return false;
}

void SunMoonFace(FaceBuilder& f, const CalendarBoxDay& day) {
  const PackedDate& d = day.Date;
  const int w = f.W(), h = f.H();
  int hx = f.Font(12, true);
  int y = 8;
  f.Centred("Sonne und Mond", y);
  y += hx;
  hx = f.Font(10, true);
  y += 2;
  f.Centred(PackedDateWeekdayName(2, d), y);
  y += hx;
  y += 2;
  f.Centred(PackedDateDayText(d) + ". " + PackedDateMonthName(2, d) + " " + PackedDateYearText(d), y);

  // Central European time: the local day runs from midnight to midnight in
  // the offsets then in force (23 hours when summer time begins, 25 when it
  // ends); each time is shown in the offset in force at its instant.
  const TDateTime midnight = PackedDateToDateTime(d);
  const TDateTime start = midnight - CentralEuropeanOffset(midnight - 2.0 / 24);
  const TDateTime end = midnight + 1 - CentralEuropeanOffset(midnight + 1 - 2.0 / 24);
  hx = f.Font(10);
  auto line = [&](const std::string& label, RiseSetRoutine routine) {
    std::string time = "--:--";
    TDateTime at = 0;
    if (FirstEventOfDay(routine, start, end, day.Latitude, day.Longitude, at))
      time = TimeText(at + CentralEuropeanOffset(at));
    f.Text(label, 26, y);
    f.Text(time, w - 13 - f.Width(time), y);
  };
  y = h - 14 - hx;
  line("Untergang", MoonSet);
  y -= hx + 2;
  line(CP1252("Höchststand"), MoonCulmination);
  y -= hx + 2;
  line("Aufgang", MoonRise);
  f.Picture(cbpMoon, 8, y + 1);
  y -= hx + 8;
  line("Untergang", SunSet);
  y -= hx + 2;
  line(CP1252("Höchststand"), SunCulmination);
  y -= hx + 2;
  line("Aufgang", SunRise);
  f.Picture(cbpSun, 8, y + 1);
}

std::unique_ptr<TBitmap> PictureOf(int picture) {
  if (picture == cbpMoon) return MoonPicture();
  if (picture == cbpSun) return SunPicture();
  return MoonPhasePicture(picture - cbpMoonPhase1 + 1);
}

}  // namespace

CalendarBoxDay CalendarBoxDayOfSettings(const PackedDate& date) {
  CalendarBoxDay day;
  day.Date = date;
  day.Confession = Confession;
  day.Country = Country;
  day.ZodiacFlag = ZodiacSign;
  day.WeekStart = WeekStart;
  day.Latitude = Latitude;
  day.Longitude = Longitude;
  return day;
}

char ZodiacGlyph(int sign) { return static_cast<char>(94 + ((sign % 12) + 12) % 12); }

std::string TimeText(double dayFraction) {
  // Whole minutes, as a clock shows them: the seconds are dropped.
  double frac = dayFraction - std::floor(dayFraction);
  int minutes = static_cast<int>(std::floor(frac * 1440.0 + 1e-7)) % 1440;
  return IntToStrZeroPad(minutes / 60, 2) + ":" + IntToStrZeroPad(minutes % 60, 2);
}

std::vector<CalendarBoxItem> CalendarBoxFace(TCanvas* canvas, int w, int h, int mode, const CalendarBoxDay& day) {
  FaceBuilder f(canvas, w, h);
  try {
    if (mode == 0)
      MoonPhaseFace(f, day);
    else
      SunMoonFace(f, day);
  } catch (const std::exception&) {
    // A day the calendar cannot compute leaves what was laid out; the box
    // is painted without it rather than not at all.
  }
  return f.Take();
}

void PaintCalendarBox(TCanvas* canvas, int w, int h, int mode, const CalendarBoxDay& day) {
  canvas->Pen()->SetStyle(psSolid);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Pen()->SetColor(kShadow);
  canvas->Brush()->SetColor(kShadow);
  canvas->Rectangle(w - 5, 4, w - 1, h - 1);
  canvas->Rectangle(4, h - 5, w - 1, h - 1);
  canvas->Pen()->SetColor(clBlack);
  canvas->Brush()->SetColor(clWhite);
  canvas->Rectangle(0, 0, w - 5, h - 5);

  const std::vector<CalendarBoxItem> items = CalendarBoxFace(canvas, w, h, mode, day);
  canvas->Brush()->SetStyle(bsClear);
  for (const CalendarBoxItem& item : items) {
    if (item.Kind == cbPicture) {
      try {
        std::unique_ptr<TBitmap> b = PictureOf(item.Picture);
        canvas->Draw(item.X, item.Y, *b);
      } catch (const std::exception&) {
      }
      continue;
    }
    canvas->Font()->SetName(item.FontName);
    canvas->Font()->SetSize(item.Size);
    canvas->Font()->SetStyle(item.Bold ? TFontStyles{fsBold} : TFontStyles{});
    canvas->Font()->SetColor(item.Color);
    canvas->TextOut(item.X, item.Y, item.Text);
  }
  canvas->Brush()->SetStyle(bsSolid);
}

TCalendarBox::TCalendarBox(TComponent* owner) : TCustomControl(owner) {
  parentColor_ = true;  // beside the sheet and its shadow the parent shows
  tabStop_ = true;
}

void TCalendarBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY:
      if (TakesEnter(m)) {
        Click();
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: Invalidate(); break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TCalendarBox::Paint() {
  TCustomControl::Paint();
  if (!Focused()) return;
  // Two lines of the selection's colour inside the sheet's border, as a list
  // shows its focused item: a dotted line beside the border is not seen.
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clHighlight);
  for (int inset : {1, 2}) c->FrameRect({inset, inset, Width() - 5 - inset, Height() - 5 - inset});
}

void TCalendarBox::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE && KeyModifiers(shift) == 0) {
    key = 0;
    Click();
  }
}

// The calendar box above the month calendar: the current day as a tear-off
// sheet with one of two faces. The moon-phase face shows year, month, the
// big day number, weekday, the holiday name (one or two lines), the moon
// phase with its picture, and the zodiac sign with week and day of the
// year; the sun-and-moon face shows rise, culmination and set of sun and
// moon at the configured place in local civil time (Central European time,
// summer time included).
//
// The face is first laid out into a list of items (texts with their font,
// colour and place, and pictures), then painted: tests read the layout,
// the window paints it.
// Invariants: laying out and painting never raise; an event that does not
// happen on the day shows "--:--"; the items of a face do not overlap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "calendar/packeddate.h"
#include "platform/gfx/canvas.h"
#include "platform/ui/controls.h"

// What a face shows: the day and the settings it depends on.
struct CalendarBoxDay {
  PackedDate Date{};
  int Confession = 1;  // of the holiday names
  int Country = 0;
  int ZodiacFlag = 0;  // 0 the sign at 12:00, 1 at 24:00
  int WeekStart = 1;   // 1 ISO weeks from Monday, otherwise US weeks from Sunday
  long double Latitude = 50.0L;   // north positive
  long double Longitude = -10.0L;  // west positive
};

// The day with the settings' values.
CalendarBoxDay CalendarBoxDayOfSettings(const PackedDate& date);

enum CalendarBoxItemKind { cbText, cbPicture };
// The pictures of a face: the moon in phase 1..8, the moon and the sun.
enum { cbpMoonPhase1 = 1, cbpMoon = 9, cbpSun = 10 };

struct CalendarBoxItem {
  CalendarBoxItemKind Kind = cbText;
  std::string Text;  // Windows-1252
  int X = 0, Y = 0;  // top left
  std::string FontName;
  int Size = 0;  // points
  bool Bold = false;
  TColor Color = clBlack;
  int Picture = 0;        // cbPicture: cbpMoonPhase1 + phase - 1, cbpMoon or cbpSun
  int Width = 0, Height = 0;  // of the text or picture
};

// Fonts of the faces: the text font and the one that draws the zodiac
// glyphs. The platform draws the symbol font's zodiac characters (the
// bytes 94..105) as the Unicode zodiac signs U+2648..U+2653 from a font
// that has them.
constexpr const char* kCalendarBoxFont = "Times New Roman";
constexpr const char* kZodiacGlyphFont = "Wingdings";
// The zodiac glyph of a sign 0 (Aries) .. 11 (Pisces).
char ZodiacGlyph(int sign);
// Hours and minutes of a time of day ("07:05"); the fraction of a day past
// midnight counts on into the next day.
std::string TimeText(double dayFraction);

// The items of the moon-phase face (mode 0) or the sun-and-moon face
// (mode 1) in a box of w x h pixels, measured on the canvas.
std::vector<CalendarBoxItem> CalendarBoxFace(TCanvas* canvas, int w, int h, int mode, const CalendarBoxDay& day);
// The sheet (white with a black border and a grey shadow of 4 pixels at
// the right and the bottom) and the face on it.
void PaintCalendarBox(TCanvas* canvas, int w, int h, int mode, const CalendarBoxDay& day);

// The box in the window: painted by OnPaint on its parent's face, switched
// by OnClick. It is in the Tab order: while it has the focus a frame of
// the selection's colour lies on its sheet, and Space or Enter switch its
// face as a click does; a click leaves the focus where it is.
class TCalendarBox : public TCustomControl {
  ORV_CLASS(TCalendarBox, TCustomControl)

 public:
  explicit TCalendarBox(TComponent* owner);
  void Dispatch(TMessage& m) override;

 protected:
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
};

// Helpers of the widget tests: a form to place widgets on and date shorthands.
#pragma once

#include <string>

#include "platform/rtl/datetime.h"
#include "platform/ui/testdriver.h"

inline TForm* MakeWidgetForm(int w = 360, int h = 260) {
  auto* f = new TForm(Application);
  f->SetClientSize(w, h);
  f->Font()->SetName("Arial");
  f->Font()->SetHeight(-12);
  f->Font()->SetColor(clBlack);
  return f;
}

inline TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }
inline std::string Str(TDateTime d) { return FormatDateTime("dd.mm.yyyy", d); }

// Counts pixels of one colour inside a rectangle of a control.
inline int CountColor(TUiTestDriver& drv, TControl* c, const TRect& r, TColor col) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (drv.PixelAt(c, x, y) == col) ++n;
  return n;
}

// Counts pixels whose blue part clearly outweighs red and green (blue and
// navy text, smoothed edges included).
inline int CountBluish(TUiTestDriver& drv, TControl* c, const TRect& r) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      TColor p = drv.PixelAt(c, x, y);
      if (GetBValue(p) > GetRValue(p) + 40 && GetBValue(p) > GetGValue(p) + 40) ++n;
    }
  return n;
}

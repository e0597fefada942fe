// Private helpers of the standard controls: text measuring outside paint,
// the classic sunken field frame, and the disabled (embossed) text look.
#pragma once

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/font.h"

namespace ctlutil {
// A canvas for measuring with `font` (no window needed).
TCanvas& Measure(const TFont& font);
inline int TextWidth(const TFont& font, const AnsiString& s) { return Measure(font).TextWidth(s); }
inline int TextHeight(const TFont& font) { return Measure(font).TextHeight("Ag"); }
// Fills `r` with a solid brush of `color`.
void FillSolid(TCanvas& c, const TRect& r, TColor color);
// The track of every scroll bar, stand-alone or a window's: the classic
// dither of white and button face, drawn as its even mix.
void FillScrollTrack(TCanvas& c, const TRect& r);
// Draws the two-pixel sunken frame of edit fields and lists; `r` shrinks inside it.
void SunkenFrame(TCanvas& c, TRect& r);
// Text drawn greyed with its white shadow, as disabled captions are.
void DisabledText(TCanvas& c, const AnsiString& s, TRect r, unsigned fmt);
// Text in the colour of the state (greyed when disabled).
void StateText(TCanvas& c, const AnsiString& s, TRect r, unsigned fmt, bool enabled);
}  // namespace ctlutil

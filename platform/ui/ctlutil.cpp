// Measuring canvas and shared drawing of the standard controls.
#include "platform/ui/ctlutil.h"

#include <memory>

namespace ctlutil {

void FillSolid(TCanvas& c, const TRect& r, TColor color) {
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(color);
  c.FillRect(r);
}

void FillScrollTrack(TCanvas& c, const TRect& r) { FillSolid(c, r, RGB(0xE0, 0xE0, 0xE0)); }

TCanvas& Measure(const TFont& font) {
  static std::unique_ptr<TBitmap> bmp;
  if (!bmp) bmp = std::make_unique<TBitmap>(1, 1);
  TCanvas& c = *bmp->Canvas();
  c.SetFont(font);
  return c;
}

void SunkenFrame(TCanvas& c, TRect& r) { c.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST); }

void DisabledText(TCanvas& c, const AnsiString& s, TRect r, unsigned fmt) {
  c.Brush()->SetStyle(bsClear);
  TRect sh = r;
  OffsetRect(sh, 1, 1);
  c.Font()->SetColor(clBtnHighlight);
  c.DrawText(s, sh, fmt);
  c.Font()->SetColor(clBtnShadow);
  c.DrawText(s, r, fmt);
}

void StateText(TCanvas& c, const AnsiString& s, TRect r, unsigned fmt, bool enabled) {
  if (!enabled) {
    DisabledText(c, s, r, fmt);
    return;
  }
  c.Brush()->SetStyle(bsClear);
  c.DrawText(s, r, fmt);
}

}  // namespace ctlutil

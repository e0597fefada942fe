// The system colour table: the classic grey scheme, fixed so that headless
// pictures look the same on every machine.
#include "platform/gfx/color.h"

namespace {
constexpr TColor kSysColors[COLOR_SYSCOUNT] = {
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // desktop
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3-D dark shadow
    RGB(192, 192, 192),  // 3-D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
};
}  // namespace

TColor GetSysColor(int index) {
  if (index < 0 || index >= COLOR_SYSCOUNT) return clBlack;
  return kSysColors[index];
}

TColor ColorToRGB(TColor c) {
  if (c < 0) return GetSysColor(c & 0xFF);
  if (c == clNone || c == clDefault) return c;
  return c & 0xFFFFFF;
}

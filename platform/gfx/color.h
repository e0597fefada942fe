// Colours as the system stores them: 0x00BBGGRR. Values with the top byte
// 0x80 name a system colour of the classic scheme; ColorToRGB resolves them
// through one table, so drawing code never sees anything but plain RGB.
#pragma once

#include <cstdint>

using TColor = std::int32_t;

constexpr TColor RGB(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;

// System colour indexes (as GetSysColor takes them).
enum : int {
  COLOR_SCROLLBAR = 0, COLOR_BACKGROUND, COLOR_ACTIVECAPTION, COLOR_INACTIVECAPTION, COLOR_MENU,
  COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_MENUTEXT, COLOR_WINDOWTEXT, COLOR_CAPTIONTEXT,
  COLOR_ACTIVEBORDER, COLOR_INACTIVEBORDER, COLOR_APPWORKSPACE, COLOR_HIGHLIGHT,
  COLOR_HIGHLIGHTTEXT, COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_GRAYTEXT, COLOR_BTNTEXT,
  COLOR_INACTIVECAPTIONTEXT, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_INFOTEXT,
  COLOR_INFOBK, COLOR_SYSCOUNT
};

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR), clBackground = SystemColor(COLOR_BACKGROUND),
                 clActiveCaption = SystemColor(COLOR_ACTIVECAPTION),
                 clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION), clMenu = SystemColor(COLOR_MENU),
                 clWindow = SystemColor(COLOR_WINDOW), clWindowFrame = SystemColor(COLOR_WINDOWFRAME),
                 clMenuText = SystemColor(COLOR_MENUTEXT), clWindowText = SystemColor(COLOR_WINDOWTEXT),
                 clCaptionText = SystemColor(COLOR_CAPTIONTEXT),
                 clActiveBorder = SystemColor(COLOR_ACTIVEBORDER),
                 clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER),
                 clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE), clHighlight = SystemColor(COLOR_HIGHLIGHT),
                 clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT), clBtnFace = SystemColor(COLOR_BTNFACE),
                 clBtnShadow = SystemColor(COLOR_BTNSHADOW), clGrayText = SystemColor(COLOR_GRAYTEXT),
                 clBtnText = SystemColor(COLOR_BTNTEXT),
                 clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT),
                 clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT), cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW),
                 cl3DLight = SystemColor(COLOR_3DLIGHT), clInfoText = SystemColor(COLOR_INFOTEXT),
                 clInfoBk = SystemColor(COLOR_INFOBK);

// RGB value of a system colour index; black for an index outside the table.
TColor GetSysColor(int index);

// Plain RGB of any colour: system colours through the table, clNone and
// clDefault as they stand, everything else with its top byte cleared.
TColor ColorToRGB(TColor c);

// Pixels of the drawing surfaces are 0xFFRRGGBB words.
constexpr std::uint32_t ColorToPixel(TColor rgb) {
  return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(rgb)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(rgb)) << 8) | static_cast<std::uint32_t>(GetBValue(rgb));
}
constexpr TColor PixelToColor(std::uint32_t px) {
  return RGB(static_cast<int>((px >> 16) & 0xFF), static_cast<int>((px >> 8) & 0xFF), static_cast<int>(px & 0xFF));
}

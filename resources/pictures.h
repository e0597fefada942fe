// Pictures of the main window, all drawn here in code (no picture of
// another program is used): the bitmaps of the tool buttons and the picture
// of the title page.
// Invariants: every tool picture has its kind's size (20 x 20 for the
// rubric bar, 16 x 16 for the second bar) and its top-left pixel holds the
// transparent colour (clFuchsia), which the explorer buttons leave out.
#pragma once

#include <memory>

#include "platform/gfx/bitmap.h"

enum TToolPicture {
  // The rubric bar (20 x 20).
  tpEmpty,
  tpPersonal,
  tpBirths,
  tpDeaths,
  tpEvents,
  tpNameDays,
  tpHolidays,
  tpExit,
  // The second bar (16 x 16).
  tpHelp,
  tpWarner,
  tpSaying,
  tpInfo,
  tpCount
};

// A new bitmap of a tool picture.
std::unique_ptr<TBitmap> ToolPicture(TToolPicture which);
// The title page's picture: an evening sky over hills with the sun setting
// and the crescent moon rising (kTitlePictureWidth x kTitlePictureHeight).
constexpr int kTitlePictureWidth = 240, kTitlePictureHeight = 150;
std::unique_ptr<TBitmap> TitlePicture();

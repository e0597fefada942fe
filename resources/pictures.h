// Pictures of the program's windows, all drawn here in code (no picture of
// another program is used): the bitmaps of the tool buttons, the picture
// of the title page and of the About box, the pictures of the further
// windows (the saying window's categories and the warner's) and the small
// symbols of the calendar box (the eight moon phases, the moon and the sun).
// Invariants: every tool picture has its kind's size (20 x 20 for the
// rubric bar, 16 x 16 for the second bar and the small dialog buttons) and
// its top-left pixel holds the transparent colour (clFuchsia), which the
// explorer buttons leave out.
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
  // The small dialog buttons (16 x 16) beside "Hilfe": "Ok", "Abbruch",
  // "Schließen", and the lists' "Erfassen" (a pencil on a sheet).
  tpOk,
  tpCancel,
  tpClose,
  tpRecord,
  tpCount
};

// A new bitmap of a tool picture.
std::unique_ptr<TBitmap> ToolPicture(TToolPicture which);
// The title page's picture: an evening sky over hills with the sun setting
// and the crescent moon rising (kTitlePictureWidth x kTitlePictureHeight).
constexpr int kTitlePictureWidth = 240, kTitlePictureHeight = 150;
std::unique_ptr<TBitmap> TitlePicture();

// ---- the pictures of the further windows ----------------------------------------

// The tool buttons of the data window, the saying window, the warner and
// the dialogs (20 x 20, transparent colour clFuchsia in the top-left pixel).
enum TButtonPicture { bpHelp, bpOk, bpCancel, bpPrint, bpCopy, bpPrev, bpNext, bpClose, bpCount };
std::unique_ptr<TBitmap> ButtonPicture(TButtonPicture which);

// The preview's own buttons on the rich-text tool bar (16 x 16, transparent
// colour in the top-left pixel): paragraph and page.
enum TPreviewPicture { ppParagraph, ppPage, ppCount };
std::unique_ptr<TBitmap> PreviewPicture(TPreviewPicture which);

// The About box's picture: the title page's scene at half its size.
constexpr int kAboutPictureWidth = kTitlePictureWidth / 2, kAboutPictureHeight = kTitlePictureHeight / 2;
std::unique_ptr<TBitmap> AboutPicture();

// The calendar box's symbols, kSymbolPictureSize square on the box's white.
constexpr int kSymbolPictureSize = 13;
// The moon as it looks in phase 1 (new moon) to 8: 3 the first quarter
// (right half lit), 5 full moon, 7 the last quarter (left half lit).
// Raises ERangeError for another phase.
std::unique_ptr<TBitmap> MoonPhasePicture(int phase);
// "MOND" and "SONNE": the symbols of the sun-and-moon face's two blocks.
std::unique_ptr<TBitmap> MoonPicture();
std::unique_ptr<TBitmap> SunPicture();

// The saying window's picture of a category (0 to 11), square.
constexpr int kSayingPictureSize = 80;
std::unique_ptr<TBitmap> SayingPicture(int category);

// The warner's pictures: the kind of an entry and the level of a warning.
enum TWarnerPicture { wpMale, wpFemale, wpEvent, wpLevel0, wpLevel1, wpLevel2, wpCount };
constexpr int kWarnerPictureWidth = 27, kWarnerPictureHeight = 34;
std::unique_ptr<TBitmap> WarnerPicture(TWarnerPicture which);

// ---- the symbols of media links in the display settings' samples ---------------

// A camera (a picture), a microphone (a sound) and a written page (a text),
// 16 x 16 on white.
enum TMediaPicture { mpCamera, mpMicrophone, mpText, mpCount };
std::unique_ptr<TBitmap> MediaPicture(TMediaPicture which);

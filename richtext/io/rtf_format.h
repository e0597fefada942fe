// The engine's RTF dialect as shared constants of the writer and the reader:
// the style bits the format carries, the border word, the keyword table's
// kinds, ids and destination states, and the picture forms.
// Invariants: the writer emits only words the reader's table knows (or words
// that are harmless when ignored), so that write -> read -> write is stable.
#pragma once

#include <cstdint>
#include <string_view>

#include "richtext/model/records.h"

// Style bits that runs carry through the format; every other bit of a record
// is the model's private state and is not written.
constexpr uint32_t kRtfRunStyles = wpsBold | wpsItalic | wpsUnderline | wpsStrikeOut | wpsHyperlink |
                                   wpsSuperScript | wpsSubScript | wpsHidden | wpsProtected | wpsRtfCode |
                                   wpsInsertPoint | wpsAutomatic | wpsBookmark;

// Paragraph border word: the border flags byte, then the style byte.
constexpr uint16_t kBrdHas = 0x1;
constexpr uint16_t kBrdNotPassed = 0x2;
constexpr uint16_t kBrdTop = 0x4;
constexpr uint16_t kBrdBottom = 0x8;
constexpr uint16_t kBrdLeft = 0x10;
constexpr uint16_t kBrdRight = 0x20;
constexpr uint16_t kBrdBox = 0x40;
constexpr uint16_t kBrdDouble = 0x80;
constexpr uint16_t kBrdDotted = 0x100;
constexpr uint16_t kBrdHair = 0x200;
constexpr uint16_t kBrdBar = 0x400;
constexpr uint16_t kBrdTableLine = 0x4000;

// Points of a run that states no size ("\fs24"); the writer always states
// the size, so the engine's own files do not depend on it.
constexpr uint8_t kRtfDefaultSize = 12;

// At most this many cells per table row.
constexpr int kRtfMaxCells = 50;
// Entries of a document's colour table that are read; the engine's 16
// colours go to those the text uses.
constexpr int kRtfMaxColors = 256;
// The RTF-code run ends at this string.
constexpr std::string_view kRtfCodeEnd = "\\wprtf0";

// Picture forms of the writer.
enum TWPWriteBitmapMode : uint8_t { wbmWBitmap = 0, wbmDIBBitmap = 1, wbmBMPFile = 2 };

// --- keyword table ---------------------------------------------------------

enum TRtfKind : int32_t { rkSymbol = 0, rkDestination = 1, rkProperty = 2, rkSpecial = 3 };

// Reading states of a group.
enum TRtfDest : int32_t {
  rdText = 0,
  rdSkip = 1,
  rdFontTable = 2,
  rdColorTable = 3,
  rdPicture = 4,
  rdPictureFile = 5,
  rdTitle = 6,
  rdComment = 7,
  rdSubject = 8,
  rdFootnote = 9,
  rdBookmark = 11,
};

enum TRtfId : int32_t {
  // symbols (the value is the character)
  riChar = 1,
  riIgnore,
  // properties
  riPlain, riPar, riPage, riSpace,
  riFont, riFontSize, riStyle, riNoSuperSub, riInsPoint, riInAut, riRtfCode,
  riTextColor, riBackColor, riLeft, riRight, riFirst, riSpaceBefore, riSpaceAfter, riLineSpacing, riLineMultiple,
  riAlign,
  riPaperW, riPaperH, riMargL, riMargR, riMargT, riMargB, riFacing, riLandscape, riIgnored,
  riPard, riTab, riTabKind, riRed, riGreen, riBlue,
  riTrowd, riCellx, riTrleft, riTrgaph, riIntbl, riCell, riRow, riClmrg,
  riBorder, riCellBorder, riBrdrw, riBrsp, riBrdrcf, riKeep, riPageBefore, riShading, riCfpat, riCbpat, riClCfpat, riClCbpat,
  riPicType, riPicW, riPicH, riPicGoalW, riPicGoalH, riPicScaleX, riPicScaleY, riBitsPixel, riPlanes, riWidthBytes,
  riBmpFile, riObjTag, riObjW, riObjH, riFootnoteNr, riFootnoteMark,
  riFontFamily, riCharset, riUnicode, riUnicodeSkip,
  // destinations
  riBkmkStart, riBkmkEnd, riFontTbl, riColorTbl, riPict, riPicFile, riTitle, riSubject, riComment, riFootnote,
  riField, riSkipDest,
  // specials
  riBin, riHex, riStar,
};

// Picture types as the reader records them ("\wbitmap", "\dibitmap", "\wmetafile").
enum TRtfPicType : int32_t { rptNone = 0, rptWBitmap = 1, rptDIBitmap = 2, rptMetafile = 3 };

struct TRtfKeyword {
  const char* Word = nullptr;  // heap copy, zero-terminated
  int32_t Value = 0;
  uint8_t Fixed = 0;
  TRtfKind Kind = rkProperty;
  TRtfId Id = riIgnored;
};

// Room of the table. The engine's 165 words plus the words this reader adds
// for font families, character sets, hairline/bar borders and Unicode escapes.
constexpr int kRtfKeywordCapacity = 190;

// Builds the table once (idempotent); raises "isym_max too small" when a
// registration exceeds the capacity.
void InitRtfKeywordTable();
void RegisterRtfKeyword(const char* word, int32_t value, bool fixed, TRtfKind kind, TRtfId id);
// First entry whose word equals `word` (case-sensitive), or nil.
const TRtfKeyword* FindRtfKeyword(std::string_view word);
int RtfKeywordCount();

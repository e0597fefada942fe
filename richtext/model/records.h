// Records of the text model: the 16-byte character attribute record, the
// paragraph and line records that form the document's chains, and the entries
// of the object and footnote lists.
//
// The records are plain data; TWPRTFText (text.h) allocates, links and frees
// them. Layout, painting, the RTF reader and writer read and write the fields
// directly, so the field order and widths are part of the interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/rtl/exceptions.h"

// Style bits of TWPAttrRecord::Style.
constexpr uint32_t wpsBold = 0x1;
constexpr uint32_t wpsItalic = 0x2;
constexpr uint32_t wpsUnderline = 0x4;
constexpr uint32_t wpsStrikeOut = 0x8;
constexpr uint32_t wpsHyperlink = 0x10;  // visible link text; its stamp follows as hidden text
constexpr uint32_t wpsSelected = 0x20;   // painter only
constexpr uint32_t wpsSuperScript = 0x40;
constexpr uint32_t wpsSubScript = 0x80;
constexpr uint32_t wpsHidden = 0x100;
constexpr uint32_t wpsProtected = 0x200;
constexpr uint32_t wpsRtfCode = 0x400;
constexpr uint32_t wpsFootnote = 0x800;     // tag: footnote number
constexpr uint32_t wpsInsertPoint = 0x1000;  // tag: field number
constexpr uint32_t wpsAutomatic = 0x2000;    // tag: field number
constexpr uint32_t wpsObject = 0x4000;       // character 1 or 2; tag: object entry number
constexpr uint32_t wpsAutoNumber = 0x8000;   // inserted by paragraph numbering
constexpr uint32_t wpsSpellPending = 0x10000;
constexpr uint32_t wpsSpellChecked = 0x20000;
constexpr uint32_t wpsMisspelled = 0x40000;
constexpr uint32_t wpsBookmark = 0x80000;

// The font table has 99 entries (0..98); any larger font number stands for font 0.
constexpr int kWPFontCount = 99;
inline uint8_t WPValidFont(int font) { return (font < 0 || font >= kWPFontCount) ? 0 : static_cast<uint8_t>(font); }

// A line's buffers hold at most this many places, the terminating 0 included.
constexpr int kWPMaxLineCapacity = 10000;
constexpr int kWPMaxLineChars = kWPMaxLineCapacity - 1;

struct TWPAttrRecord {
  uint16_t Width = 0;   // pixels; 0: not shown
  uint16_t Height = 0;  // pixels
  uint16_t Ascent = 0;  // pixels
  uint8_t Font = 0;     // index into the header's font table
  uint8_t Colors = 0;   // low nibble text colour, high nibble background colour
  uint32_t Style = 0;   // wps* bits
  uint8_t Size = 0;     // points; 0 is taken as 10
  uint8_t Reserved = 0;
  uint16_t Tag = 0;  // object, field or footnote number

  bool operator==(const TWPAttrRecord&) const = default;
};
static_assert(sizeof(TWPAttrRecord) == 16, "the attribute record is 16 bytes");

// Which of the header's 64 tab slots a paragraph uses: bit n = slot n (the
// four 16-bit words of the stored form, word n div 16 holding bit n mod 16,
// are exactly the little-endian halves of this value).
using TWPTabSet = uint64_t;
inline uint16_t TabSetWord(TWPTabSet s, int word) { return static_cast<uint16_t>(s >> (16 * word)); }

// Paragraph flag bits.
constexpr uint8_t wppPageBreak = 0x1;
constexpr uint8_t wppRowContinues = 0x2;  // continues the row of the previous paragraph
constexpr uint8_t wppRowGoesOn = 0x4;     // the next paragraph belongs to the same row
constexpr uint8_t wppTableCell = 0x8;
constexpr uint8_t wppProtected = 0x10;
// A positive line spacing is a multiple of the line's own height, in 240ths
// (documents of word processors: "1.5 lines" is 360); else it is twips.
constexpr uint8_t wppLineMultiple = 0x20;
constexpr uint8_t wppJustifyLast = 0x40;
constexpr uint8_t wppKeepTogether = 0x80;
// Paragraph change bits.
constexpr uint8_t wpcBreak = 0x1;    // lines must be broken again
constexpr uint8_t wpcMeasure = 0x2;  // characters must be measured and painted again
// Line flag bits.
constexpr uint8_t wplChanged = 0x1;
constexpr uint8_t wplPageStart = 0x2;

struct TWPLineRec {
  uint16_t Height = 0;
  uint16_t Ascent = 0;
  int32_t Top = 0;  // pixels from the top of the document (layout)
  uint8_t Flags = 0;
  uint8_t SelState = 0;  // 0 none, 2/3 selected (3 wholly), 4 end line of the block
  char* pc = nullptr;             // Capacity bytes; pc[Length] == 0
  TWPAttrRecord* pa = nullptr;    // Capacity records; nil in plain storage
  uint16_t Capacity = 0;
  uint16_t Length = 0;
  uint16_t TextWidth = 0;   // layout: text width or justification start
  uint16_t BlankWidth = 0;  // layout: stretched blank width
  uint16_t ExtraPixels = 0;
  TWPLineRec* next = nullptr;
  TWPLineRec* prev = nullptr;
};

struct TWPParagraphRec {
  int32_t FirstIndent = 0;  // twips, absolute left position of the first line
  int32_t LeftIndent = 0;
  int32_t RightIndent = 0;
  int32_t SpaceBefore = 0;
  int32_t SpaceAfter = 0;
  int32_t LineSpacing = 0;  // 0 auto, > 0 at least, < 0 exactly
  uint8_t Align = 0;        // 0 left, 1 right, 2 centre, 3 justified
  uint8_t Flags = 0;        // wpp* bits
  uint8_t ChangeFlags = 0;  // wpc* bits
  uint8_t BorderFlags = 0;
  uint8_t BorderStyle = 0;
  uint8_t BorderWidth = 0;
  uint8_t BorderColor = 0;
  uint8_t Numbering = 0;  // high nibble style, low three bits level
  uint8_t StyleExtra = 0;
  uint8_t Shading = 0;
  uint8_t ShadingPercent = 0;
  TWPLineRec* line = nullptr;  // first line; never nil while the paragraph exists
  TWPParagraphRec* next = nullptr;
  TWPParagraphRec* prev = nullptr;
  TWPTabSet Tabs = 0;
  uint8_t ColWidth = 0;
  uint8_t ColStart = 0;
  uint8_t CellFlags = 0;  // 0xF0 set: the cell takes no more characters
  uint8_t CellExtra = 0;
};

// A picture or control placed in the text. The model only needs its natural
// size; the layers that draw and own real objects implement this.
class TWPTextObject {
public:
  virtual ~TWPTextObject() = default;
  // Natural size in twips; 0 when the object cannot tell.
  virtual int32_t NaturalWidthTwips() const = 0;
  virtual int32_t NaturalHeightTwips() const = 0;
};

struct TWPObjectEntry {
  TWPTextObject* Obj = nullptr;  // not owned; nil for a placeholder
  uint16_t Number = 0;           // from 2000 up (referred to by character 1)
  uint16_t SecondNumber = 0;     // from 1 up (referred to by character 2)
  uint8_t Mark = 0;
  uint8_t Flags = 0;
  int32_t Width = 0;   // twips; 0: from the object
  int32_t Height = 0;
  TWPObjectEntry* prev = nullptr;
  TWPObjectEntry* next = nullptr;
};

struct TWPFootnoteEntry {
  uint8_t MarkChar = 0;
  std::unique_ptr<AnsiString> RtfText;  // optional
  uint16_t Number = 0;                  // consecutive from 1
  // The mark is the automatic footnote number: RTF writes it as "\chftn",
  // plain text as the number.
  bool AutoMark = false;
  // Points of the note's text as it was read; 0 for a note made here (the
  // writer's own size then).
  uint8_t Size = 0;
  TWPFootnoteEntry* prev = nullptr;
  TWPFootnoteEntry* next = nullptr;
  AnsiString Text;
};

// The character that stands in the text for an automatic footnote number: a
// mark is one character, so numbers beyond 9 show as "*".
inline uint8_t WPAutoFootnoteMark(int number) {
  return static_cast<uint8_t>(number >= 1 && number <= 9 ? '0' + number : '*');
}

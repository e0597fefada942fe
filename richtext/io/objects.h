// Pictures placed in a text by the RTF reader and written by the RTF writer.
// A picture keeps its data exactly as the document carried it (device-
// dependent or device-independent bitmap bits, or a metafile), with the
// layout values that describe it; decoding it for the screen is the painting
// layer's business.
// Invariant: a picture object that exists has passed the reader's size check
// (its data covers what its layout values describe), so consumers may index
// the data by those values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/rtl/exceptions.h"
#include "richtext/model/records.h"

enum TWPPictureKind : uint8_t { pkDDB = 0, pkDIB = 1, pkMetafile = 2, pkFile = 3 };

class TWPPictureObject : public TWPTextObject {
public:
  TWPPictureKind Kind = pkDIB;
  std::string Data;           // raw bytes as in the document
  int32_t PixWidth = 0;       // "\picw" (pixels; metafiles: their own units)
  int32_t PixHeight = 0;      // "\pich"
  int32_t GoalWidth = 0;      // twips
  int32_t GoalHeight = 0;     // twips
  int32_t BitsPerPixel = 0;   // DDB layout
  int32_t Planes = 1;
  int32_t WidthBytes = 0;
  AnsiString FileName;        // pictures referenced by file

  int32_t NaturalWidthTwips() const override;
  int32_t NaturalHeightTwips() const override;

  // The data with a placeable-metafile header in front (metafiles of more
  // than 21 bytes), as metafile loaders expect it; the data itself otherwise.
  std::string PlaceableMetafile() const;

  // The picture as a graphic of the graphics layer: bitmaps decoded from
  // their device-independent or device-dependent data (1, 24 and 32 bits
  // per pixel for the latter, whose palette is the device's), metafiles as
  // such; nil when the data cannot be decoded or the picture is a file
  // reference without data.
  std::unique_ptr<class TGraphic> MakeGraphic() const;
};

// Whether data of `size` bytes covers a bitmap of the given layout: a
// device-dependent bitmap needs widthBytes * |height| * planes bytes (and a
// row of at least width * bits / 8); a device-independent one a sound
// info header, its palette and its rows.
bool DDBSizeOk(size_t size, int32_t width, int32_t height, int32_t bits, int32_t planes, int32_t widthBytes);
bool DIBSizeOk(const std::string& data);

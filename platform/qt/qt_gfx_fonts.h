// The toolkit's side of fonts: matching Windows font names to installed
// metric-compatible families, and metrics by the Windows rules read from the
// fonts' own tables. Only platform/qt includes this header.
#pragma once

#include <QRawFont>

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/gfx/device.h"

namespace qtgfx {

// A realised font with what drawing needs: the raw font at its pixel size and
// the glyph of each Windows-1252 byte (0 = draw nothing).
class QtFontData : public TFontData {
public:
  QRawFont Raw;
  quint32 Glyphs[256] = {};
  // The advance of each byte's glyph as drawn, before Widths rounds it.
  double Advances[256] = {};
  // Where each byte's glyph leaves ink, measured by drawing it the first time
  // it is drawn (packed by the drawing device; 0 = not measured yet). The
  // only part that changes after the font is made: each entry is written
  // whole, and any thread that measures writes the same value.
  mutable std::atomic<std::uint64_t> Ink[256] = {};
};

// Installed family that draws `requested` (Windows-1252 name); `symbol` tells
// whether the bytes go through the symbol table.
std::string MatchFamily(const std::string& requested, bool& symbol);

TFontEngine& QtFontEngine();

}  // namespace qtgfx

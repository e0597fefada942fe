// Character metrics of the text engine taken from the graphics layer's font
// engine: the record's font name (from the header), point size and bold and
// italic bits make a font request at the header's vertical resolution; the
// realised font gives the advance of the byte, the height and the ascent.
// Invariant: realised fonts are cached per (font number, size, style) and
// the cache is dropped when the header's font name or resolution for an
// entry no longer matches, so a cached entry always describes its key.
#pragma once

#include <map>
#include <memory>
#include <tuple>

#include "platform/gfx/device.h"
#include "richtext/io/textio.h"

class TWPFontEngineMetrics : public TWPCharMetrics {
public:
  explicit TWPFontEngineMetrics(TFontEngine& engine) : engine_(engine) {}

  void CharMetrics(const TTextHeader& header, const TWPAttrRecord& attr, unsigned char c, int& width, int& height,
                   int& ascent) override;

  // The font request for a record (exposed for tests and for painting).
  static TFontRequest RequestFor(const TTextHeader& header, const TWPAttrRecord& attr);

private:
  struct Entry {
    std::string Name;
    int Resolution = 0;
    std::shared_ptr<const TFontData> Data;
  };
  TFontEngine& engine_;
  std::map<std::tuple<int, int, int>, Entry> cache_;
};

// Character metrics for the text layout. Layout asks one interface for the
// metrics of a font request (advance of every byte, line height and ascent),
// so its tests can run on fixed-width metrics as well as on real fonts; the
// program measures through the graphics layer's font engine, whose metrics
// follow the Windows rules (ascent, descent, external leading, one integer
// advance per byte).
// Invariant: a metrics object answers the same request with the same values
// while it lives, and the reference it hands out stays valid that long.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "platform/gfx/device.h"

struct TWPFontMetrics {
  int Widths[256] = {};
  int Height = 0;  // cell height plus external leading
  int Ascent = 0;
};

class TWPTextMetrics {
public:
  virtual ~TWPTextMetrics() = default;
  virtual const TWPFontMetrics& Measure(const TFontRequest& request) = 0;
};

// Metrics of the graphics layer's fonts. Without an engine of its own it uses
// the one installed at the time of each call (a toolkit installed after the
// first measurement measures from then on); entries are kept per engine.
class TWPGfxTextMetrics : public TWPTextMetrics {
public:
  explicit TWPGfxTextMetrics(TFontEngine* engine = nullptr) : engine_(engine) {}
  const TWPFontMetrics& Measure(const TFontRequest& request) override;

private:
  using Key = std::tuple<const TFontEngine*, std::string, int, int, int, int>;
  TFontEngine* engine_;
  std::map<Key, std::unique_ptr<TWPFontMetrics>> cache_;
};

// The process-wide metrics of the graphics layer, used by every text engine
// that was given no other.
TWPTextMetrics& DefaultTextMetrics();

// Character metrics from the graphics layer's font engine.
#include "richtext/view/metrics.h"

const TWPFontMetrics& TWPGfxTextMetrics::Measure(const TFontRequest& request) {
  TFontEngine& engine = engine_ ? *engine_ : FontEngine();
  const Key key{&engine, request.Name, request.Height, request.Style.Bits(), request.Charset,
                static_cast<int>(request.Pitch)};
  auto it = cache_.find(key);
  if (it != cache_.end()) return *it->second;
  const std::shared_ptr<const TFontData> data = engine.Realize(request);
  auto m = std::make_unique<TWPFontMetrics>();
  for (int c = 0; c < 256; ++c) m->Widths[c] = data->Widths[c];
  m->Height = data->Metric.tmHeight + data->Metric.tmExternalLeading;
  m->Ascent = data->Metric.tmAscent;
  return *cache_.emplace(key, std::move(m)).first->second;
}

TWPTextMetrics& DefaultTextMetrics() {
  static TWPGfxTextMetrics metrics;
  return metrics;
}

// Character metrics from the graphics layer's font engine.
#include "richtext/io/metrics.h"

#include "platform/rtl/sysutils.h"

TFontRequest TWPFontEngineMetrics::RequestFor(const TTextHeader& header, const TWPAttrRecord& attr) {
  TFontRequest r;
  r.Name = header.FontName(attr.Font);
  if (r.Name.empty()) r.Name = "Arial";
  const int size = attr.Size ? attr.Size : 10;
  const int res = header.ResY > 0 ? header.ResY : 96;
  r.Height = -MulDiv(size, res, 72);
  if (attr.Style & wpsBold) r.Style.Include(fsBold);
  if (attr.Style & wpsItalic) r.Style.Include(fsItalic);
  r.Charset = header.FontCharset[WPValidFont(attr.Font)];
  return r;
}

void TWPFontEngineMetrics::CharMetrics(const TTextHeader& header, const TWPAttrRecord& attr, unsigned char c,
                                       int& width, int& height, int& ascent) {
  const int style = static_cast<int>(attr.Style & (wpsBold | wpsItalic));
  const auto key = std::make_tuple(static_cast<int>(WPValidFont(attr.Font)), attr.Size ? attr.Size : 10, style);
  Entry& e = cache_[key];
  const int res = header.ResY > 0 ? header.ResY : 96;
  if (!e.Data || e.Name != header.FontName(attr.Font) || e.Resolution != res) {
    e.Name = header.FontName(attr.Font);
    e.Resolution = res;
    e.Data = engine_.Realize(RequestFor(header, attr));
  }
  // A tab measures as a blank; layout gives it its real width.
  width = e.Data->Width(c == 9 ? ' ' : c);
  height = e.Data->Metric.tmHeight;
  ascent = e.Data->Metric.tmAscent;
}

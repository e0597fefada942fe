// Text measuring and painting costs: measuring 10 000 lines of 80 characters
// through the canvas, and painting a 60-line page of runs (one ExtTextOut
// per run with an advance array, as the text engine paints) on a window-sized
// back buffer.
#include <benchmark/benchmark.h>

#include <iterator>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/qt/qt_host.h"

namespace {

std::vector<std::string> Lines(int n) {
  const std::string words[] = {"Geburtstag", "von", "Johann", "Sebastian", "\xC4gypten", "Stra\xDF" "e", "1848", "und",
                               "Weltgeschehen", "am", "M\xE4rz", "Kaiser", "Kr\xF6nung", "Friede", "Vertrag"};
  std::vector<std::string> out;
  unsigned k = 1;
  for (int i = 0; i < n; ++i) {
    std::string s;
    while (s.size() < 80) {
      k = k * 1103515245u + 12345u;
      s += words[(k >> 16) % std::size(words)];
      s += ' ';
    }
    s.resize(80);
    out.push_back(s);
  }
  return out;
}

void BM_Measure10000Lines(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  auto lines = Lines(10000);
  TCanvas c;
  c.Font()->SetName("Times New Roman");
  c.Font()->SetSize(12);
  for (auto _ : state) {
    long total = 0;
    for (const auto& l : lines) {
      TSize sz;
      c.GetTextExtentPoint32(l.data(), static_cast<int>(l.size()), sz);
      total += sz.cx;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Measure10000Lines)->Unit(benchmark::kMicrosecond);

void BM_PaintPageOf60LinesOfRuns(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  auto lines = Lines(60);
  TBitmap back(800, 1100);
  TCanvas& c = *back.Canvas();
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-13);
  std::vector<int> adv(100);
  for (auto _ : state) {
    c.Brush()->SetColor(clWhite);
    c.FillRect({0, 0, 800, 1100});
    c.SetTextAlign(TA_BASELINE | TA_UPDATECP);
    for (int i = 0; i < 60; ++i) {
      const std::string& l = lines[i];
      const int top = 4 + 18 * i;
      c.MoveTo(8, top + 14);
      // Four runs of 20 characters, alternating fonts as styled text does.
      for (int r = 0; r < 4; ++r) {
        c.Font()->SetStyle(r % 2 ? TFontStyles{fsBold} : TFontStyles{});
        const TFontData& fd = c.Font()->Data();
        for (int k = 0; k < 20; ++k) adv[k] = fd.Widths[static_cast<unsigned char>(l[r * 20 + k])];
        int x = c.PenPos().X;
        int w = 0;
        for (int k = 0; k < 20; ++k) w += adv[k];
        TRect clip{x, top, x + w, top + 18};
        c.ExtTextOut(0, 0, ETO_OPAQUE | ETO_CLIPPED, &clip, l.data() + r * 20, 20, adv.data());
      }
    }
    c.SetTextAlign(TA_TOP);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 240);
}
BENCHMARK(BM_PaintPageOf60LinesOfRuns)->Unit(benchmark::kMicrosecond);

}  // namespace

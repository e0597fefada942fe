// Typing in a long document with real fonts: one keystroke (a character
// typed into a paragraph in the middle of fifty pages: inserted, the
// paragraph measured and broken again, every line placed, the changed lines
// painted into a window-sized bitmap and the caret placed).
#include <benchmark/benchmark.h>

#include "platform/gfx/bitmap.h"
#include "platform/qt/qt_host.h"
#include "richtext/view/input.h"
#include "tests/richtext_view/daypage.h"
#include "tests/test_paths.h"

namespace {

void BM_KeystrokeIn50Pages(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TWPRTFTextInput t;
  t.Header->FontNames[0] = "Arial";
  daypage::BuildFiftyPages(t, daypage::SamplePersons(testpaths::SourceDir(), 2000));
  // A window as wide as the page's text, so the pages stay as built.
  const int width = t.Header->PrintWidth;
  TBitmap window(width, 480);
  t.SetCanvas(window.Canvas());
  t.AttachedToWindow = true;
  t.SetWordWrap(true);
  t.SetWindowWidth(width);
  t.VisibleHeight = 480;
  t.CursorCommand(ccTextEnd);
  const int pages = t.CursorPage() + 1;
  int paragraphs = 0;
  for (TWPParagraphRec* p = t.FirstPar; p; p = p->next) ++paragraphs;
  // Into the middle of an entry in the middle of the text.
  TWPParagraphRec* mid = t.ParagraphAt(paragraphs / 2);
  int position = 0, line = 0, par = 0;
  t.PositionOf(mid, mid->line, 8, position, line, par);
  t.MoveCursorToPosition(position, 0);
  t.ScrollToCursor();
  t.PaintAll();
  int typed = 0;
  for (auto _ : state) {
    t.InputString("x");
    if (++typed == 100) {
      // The paragraph back as it was, outside the measurement.
      state.PauseTiming();
      t.SetSelection(position, typed);
      t.DeleteBlock();
      typed = 0;
      state.ResumeTiming();
    }
  }
  state.counters["pages"] = pages;
  state.counters["paragraphs"] = paragraphs;
}
BENCHMARK(BM_KeystrokeIn50Pages)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

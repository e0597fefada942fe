// Layout and painting of the rich-text engine with real fonts: a births page
// like the busiest day's (over a hundred entries, about 10 KB of text) laid
// out and painted into an off-screen bitmap, and the re-layout of one edited
// paragraph in a document of fifty pages.
#include <benchmark/benchmark.h>

#include "platform/gfx/bitmap.h"
#include "platform/qt/qt_host.h"
#include "tests/richtext_view/daypage.h"
#include "tests/test_paths.h"

namespace {

struct BirthsPage {
  TWPRTFTextPaint t;
  TBitmap bmp{640, 100};
  size_t chars = 0;
  BirthsPage() {
    qthost::EnsureGuiApplication();
    t.Header->FontNames[0] = "Arial";
    t.Header->PageWidth = t.Header->MarginLeft + t.Header->MarginRight + 640 * 15;
    // A busy day's entries carry a short remark: its first clause.
    auto persons = daypage::SamplePersons(testpaths::SourceDir(), 200);
    for (auto& p : persons) p.Remark = p.Remark.substr(0, p.Remark.find_first_of(";,"));
    daypage::BuildBirthsPage(t, persons, 105);
    t.SetCanvas(bmp.Canvas());
    t.AttachedToWindow = true;
    t.SetWordWrap(true);
    t.SetWindowWidth(640);
    // The whole page is painted, not only a window's height of it.
    t.FormatText();
    bmp.SetSize(640, t.TotalHeight);
    t.VisibleHeight = t.TotalHeight;
    for (TWPParagraphRec* p = t.FirstPar; p; p = p->next) chars += TWPRTFText::ParLength(p) + 1;
  }
};

void BM_BirthsPageLayoutAndPaint(benchmark::State& state) {
  BirthsPage b;
  for (auto _ : state) {
    b.t.FormatText();
    b.t.PaintAll();
  }
  state.counters["chars"] = static_cast<double>(b.chars);
  state.counters["height"] = b.t.TotalHeight;
}
BENCHMARK(BM_BirthsPageLayoutAndPaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// What a window shows: the first 480 pixels of the page.
void BM_BirthsPageLayoutAndPaintWindow(benchmark::State& state) {
  BirthsPage b;
  b.bmp.SetSize(640, 480);
  b.t.VisibleHeight = 480;
  for (auto _ : state) {
    b.t.FormatText();
    b.t.PaintAll();
  }
}
BENCHMARK(BM_BirthsPageLayoutAndPaintWindow)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_BirthsPageLayoutOnly(benchmark::State& state) {
  BirthsPage b;
  for (auto _ : state) b.t.FormatText();
}
BENCHMARK(BM_BirthsPageLayoutOnly)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_BirthsPagePaintOnly(benchmark::State& state) {
  BirthsPage b;
  b.t.FormatText();
  for (auto _ : state) b.t.PaintAll();
}
BENCHMARK(BM_BirthsPagePaintOnly)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Typing one character into a paragraph in the middle of fifty pages and
// taking it out again: measure, break and place everything below.
void BM_RelayoutOneParagraphOf50Pages(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TWPRTFTextPaint t;
  t.Header->FontNames[0] = "Arial";
  const int pages = daypage::BuildFiftyPages(t, daypage::SamplePersons(testpaths::SourceDir(), 2000));
  int n = 0;
  for (TWPParagraphRec* p = t.FirstPar; p; p = p->next) ++n;
  TWPParagraphRec* mid = t.ParagraphAt(n / 2);
  t.CursorPar = mid;
  t.CursorLine = mid->line;
  t.CursorOffset = 0;
  bool insert = true;
  for (auto _ : state) {
    TWPLineRec* l = mid->line;
    if (insert) t.InsertChar(mid, l, 'x', 5);
    else t.DeleteChar(mid, l, 5);
    insert = !insert;
    mid->ChangeFlags |= wpcMeasure;
    benchmark::DoNotOptimize(t.UpdateParagraph(mid));
  }
  state.counters["pages"] = pages;
  state.counters["paragraphs"] = n;
}
BENCHMARK(BM_RelayoutOneParagraphOf50Pages)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

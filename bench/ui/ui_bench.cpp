// Costs of the standard controls on their hot paths: typing into a long
// memo (layout and caret after every character), painting a full grid and
// a list box, and hit-testing a long edit line.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/qt/qt_host.h"
#include "platform/ui/grids.h"
#include "platform/ui/testdriver.h"

namespace {

void BM_MemoTypingIntoLongText(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qthost::InstallGraphics();  // the driver is the window host; fonts come from the toolkit
  TUiTestDriver d;
  auto* f = new TForm(Application);
  f->SetClientSize(400, 300);
  auto* m = new TMemo(f);
  m->SetParent(f);
  m->SetBounds(0, 0, 400, 300);
  AnsiString text;
  for (int i = 0; i < state.range(0) / 10; ++i) text += "Wort wort ";
  m->SetText(text);
  f->Show();
  m->SetFocus();
  m->SetSelStart(static_cast<int>(text.size()) / 2);
  for (auto _ : state) {
    d.Type("x");
    d.Process();
  }
}
BENCHMARK(BM_MemoTypingIntoLongText)->Arg(500)->Arg(5000);

void BM_EditClickInLongLine(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qthost::InstallGraphics();  // the driver is the window host; fonts come from the toolkit
  TUiTestDriver d;
  auto* f = new TForm(Application);
  f->SetClientSize(400, 100);
  auto* e = new TEdit(f);
  e->SetParent(f);
  e->SetBounds(0, 0, 400, 21);
  e->SetText(AnsiString(static_cast<std::size_t>(state.range(0)), 'm'));
  f->Show();
  for (auto _ : state) benchmark::DoNotOptimize(e->Perform(EM_CHARFROMPOS, 0, MakeLong(200, 5)));
}
BENCHMARK(BM_EditClickInLongLine)->Arg(200)->Arg(2000);

class TTextGrid : public TCustomGrid {
 public:
  explicit TTextGrid(TComponent* o) : TCustomGrid(o) {}

 protected:
  void DrawCell(int c, int r, TRect rect, TGridDrawState) override {
    Canvas()->TextOut(rect.Left + 2, rect.Top + 2, std::to_string(c * 1000 + r));
  }
};

void BM_GridFullPaint(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qthost::InstallGraphics();  // the driver is the window host; fonts come from the toolkit
  TUiTestDriver d;
  auto* f = new TForm(Application);
  f->SetClientSize(800, 600);
  auto* g = new TTextGrid(f);
  g->SetParent(f);
  g->SetAlign(alClient);
  g->SetColCount(20);
  g->SetRowCount(200);
  g->SetDefaultRowHeight(18);
  f->Show();
  for (auto _ : state) {
    g->Invalidate();
    d.Process();
  }
}
BENCHMARK(BM_GridFullPaint);

void BM_ListBoxFullPaint(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qthost::InstallGraphics();  // the driver is the window host; fonts come from the toolkit
  TUiTestDriver d;
  auto* f = new TForm(Application);
  f->SetClientSize(300, 600);
  auto* lb = new TListBox(f);
  lb->SetParent(f);
  lb->SetAlign(alClient);
  for (int i = 0; i < 1000; ++i) lb->Items()->Add("Eintrag " + std::to_string(i));
  f->Show();
  for (auto _ : state) {
    lb->Invalidate();
    d.Process();
  }
}
BENCHMARK(BM_ListBoxFullPaint);

}  // namespace

// Progress frames; see progress.h for the invariants.
#include "richtext/model/progress.h"

#include <algorithm>
#include <cmath>
#include <memory>

std::function<void(int)> WPProgressEvent;
bool WPProgressOff = false;

namespace {

struct Frame {
  std::unique_ptr<Frame> parent;
  int end = 100;
  int current = 0;
  int share = 100;
  int total = 0;
  int last = 0;
  float perUnit = 0;
  int step = 1;
};

std::unique_ptr<Frame> top;

// Nearest whole number, halves to even.
int RoundEven(float v) {
  const float f = std::floor(v);
  const float d = v - f;
  if (d > 0.5f) return static_cast<int>(f) + 1;
  if (d < 0.5f) return static_cast<int>(f);
  const int i = static_cast<int>(f);
  return (i % 2 == 0) ? i : i + 1;
}

void Report(int percent) {
  if (WPProgressEvent) WPProgressEvent(percent);
}

}  // namespace

int WPProgressBegin(int total) {
  if (WPProgressOff || !WPProgressEvent) return 1;
  auto f = std::make_unique<Frame>();
  f->total = total;
  if (top) {
    const Frame& p = *top;
    f->current = p.current;
    if (p.share < 1) f->end = p.current;
    else if (p.share < 100) f->end = p.current + (p.end - p.current) * p.share / 100;
    else f->end = p.end;
  } else {
    f->current = 0;
    f->end = 100;
  }
  if (total < 1) {
    f->perUnit = 0;
    f->step = -1;
  } else {
    f->perUnit = static_cast<float>(f->end - f->current) / static_cast<float>(total);
    f->step = 1;
    if (f->perUnit > 0) {
      f->step = RoundEven(1.0f / f->perUnit);
      if (f->step == 0) f->step = 1;
    }
  }
  const int step = f->step;
  f->parent = std::move(top);
  top = std::move(f);
  return step;
}

void WPProgressUpdate(int position) {
  if (WPProgressOff || !top) return;
  Frame& f = *top;
  if (position - f.last < f.step || f.current >= f.end) return;
  const int add = RoundEven(static_cast<float>(position - f.last) * f.perUnit);
  const int next = std::min(f.end, f.current + std::max(add, 0));
  f.last = position;
  if (next != f.current) {
    f.current = next;
    Report(next);
  }
}

void WPProgressEnd() {
  if (WPProgressOff || !top) return;
  const int end = top->end;
  Report(end);
  top = std::move(top->parent);
  if (!top) Report(0);
  // The parent goes on from where its nested pass ended, so that the
  // reported percentage does not fall back.
  else top->current = std::max(top->current, std::min(end, top->end));
}

void WPProgressSetShare(int percent) {
  if (WPProgressOff || !top) return;
  top->share = percent;
}

void WPProgressReset() {
  if (WPProgressOff) return;
  while (top) top = std::move(top->parent);
  Report(0);
}

bool WPProgressFrame(int& current, int& end, int& step) {
  if (!top) return false;
  current = top->current;
  end = top->end;
  step = top->step;
  return true;
}

// Timer scheduler with a real and a virtual clock, and the TTimer component.
#include "platform/ui/timers.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <vector>

#include "platform/rtl/files.h"
#include "platform/ui/forms.h"

namespace {
std::int64_t RealMs() {
  using namespace std::chrono;
  static const auto start = steady_clock::now();
  return duration_cast<milliseconds>(steady_clock::now() - start).count();
}
}  // namespace

TTimerScheduler& Timers() {
  static TTimerScheduler s;
  return s;
}

std::int64_t TTimerScheduler::Now() const { return virtual_ ? virtualNow_ : RealMs(); }

void TTimerScheduler::UseVirtualClock(bool on) {
  if (on && !virtual_) virtualNow_ = 0;
  std::int64_t before = Now();
  virtual_ = on;
  // Tick counts read anywhere follow the program's clock.
  if (this == &Timers())
    SetTickCountSource(on ? +[]() -> uint64_t { return static_cast<uint64_t>(Timers().Now()); } : nullptr);
  // Re-base pending timers on the new clock so nothing fires spuriously.
  std::int64_t after = Now();
  for (auto& [id, e] : timers_) e.due += after - before;
}

int TTimerScheduler::SetTimer(int id, unsigned interval, Callback cb) {
  if (id == 0) id = NewId();
  if (interval == 0) interval = 1;
  timers_[id] = Entry{interval, Now() + interval, seq_++, std::move(cb)};
  return id;
}

bool TTimerScheduler::KillTimer(int id) { return timers_.erase(id) != 0; }

int TTimerScheduler::FireDue() {
  std::int64_t now = Now();
  struct Due {
    std::int64_t due;
    std::uint64_t seq;
    int id;
  };
  std::vector<Due> due;
  for (auto& [id, e] : timers_)
    if (e.due <= now) due.push_back({e.due, e.seq, id});
  std::sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
    return a.due != b.due ? a.due < b.due : a.seq < b.seq;
  });
  int fired = 0;
  for (const Due& d : due) {
    auto it = timers_.find(d.id);
    if (it == timers_.end() || it->second.seq != d.seq) continue;  // killed or restarted meanwhile
    it->second.due = now + it->second.interval;
    Callback cb = it->second.cb;  // the callback may kill or restart its timer
    ++fired;
    if (cb) cb();
  }
  return fired;
}

std::int64_t TTimerScheduler::MillisecondsToNext() const {
  if (timers_.empty()) return -1;
  std::int64_t best = INT64_MAX;
  for (auto& [id, e] : timers_) best = std::min(best, e.due);
  std::int64_t d = best - Now();
  return d < 0 ? 0 : d;
}

void TTimerScheduler::Advance(std::int64_t ms) {
  if (!virtual_) return;
  std::int64_t target = virtualNow_ + ms;
  for (;;) {
    std::int64_t next = INT64_MAX;
    for (auto& [id, e] : timers_) next = std::min(next, e.due);
    if (next > target) break;
    if (next > virtualNow_) virtualNow_ = next;
    FireDue();
  }
  virtualNow_ = target;
}

// ------------------------------------------------------------------ TTimer

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
  if (id_) Timers().KillTimer(id_);
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (id_) Timers().KillTimer(id_);
  id_ = 0;
  if (!enabled_ || interval_ == 0) return;
  id_ = Timers().SetTimer(0, interval_, [this] {
    if (Application)
      Application->Guard(this, [this] { Timer(); });
    else
      Timer();
  });
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::PublishProperties(TClassInfo& ci) {
  PublishBool<TTimer>(ci, "Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
  PublishInteger<TTimer>(ci, "Interval", &TTimer::Interval, &TTimer::SetInterval);
  PublishEvent<TTimer>(ci, "OnTimer", &TTimer::OnTimer);
}

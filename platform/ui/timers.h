// Timers: one scheduler serves every SetTimer-style timer of the program,
// and the TTimer component.
// Its clock is the real monotonic clock in the program and a virtual clock
// in tests, which only moves when the test driver advances it.
// Invariants: timers fire in order of due time, ties in order of creation;
// a timer that is due fires once per scheduler pass even when several
// intervals have passed (as WM_TIMER coalesces); killing a timer inside a
// tick is safe.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "platform/rtl/components.h"

class TTimerScheduler {
 public:
  using Callback = std::function<void()>;

  // Milliseconds of the scheduler's clock.
  std::int64_t Now() const;
  void UseVirtualClock(bool on);
  bool VirtualClock() const { return virtual_; }
  // Moves the virtual clock forward in steps, firing every timer that falls
  // due in order (a timer with a short interval fires repeatedly).
  void Advance(std::int64_t ms);

  // Starts (or restarts, keeping its id) a timer; returns its id.
  int SetTimer(int id, unsigned interval, Callback cb);
  bool KillTimer(int id);
  bool Active(int id) const { return timers_.count(id) != 0; }
  std::size_t Count() const { return timers_.size(); }

  // Fires the due timers once; returns how many fired.
  int FireDue();
  // Milliseconds until the next timer is due (-1: none).
  std::int64_t MillisecondsToNext() const;
  int NewId() { return nextId_++; }

 private:
  struct Entry {
    unsigned interval;
    std::int64_t due;
    std::uint64_t seq;
    Callback cb;
  };
  std::map<int, Entry> timers_;
  bool virtual_ = false;
  std::int64_t virtualNow_ = 0;
  std::uint64_t seq_ = 0;
  int nextId_ = 1;
};

TTimerScheduler& Timers();

// A timer component: fires OnTimer every Interval milliseconds while
// Enabled; its ticks come from the one scheduler, exceptions go to
// HandleException.
class TTimer : public TComponent {
  ORV_CLASS_PUBLISHED(TTimer, TComponent)

 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  // Called on each tick while assigned (the timer runs while Enabled).
  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  bool enabled_ = true;
  unsigned interval_ = 1000;
  int id_ = 0;
};

// A scope-exit guard: runs a piece of code when the scope that holds it ends,
// by return, break or exception, so a flag, a counter or a saved value is put
// back on every path without a catch block that repeats the restore.
//
//   busy_ = true;
//   TScopeExit notBusy{[this] { busy_ = false; }};
//
// Guards in one scope run in the reverse order of their declaration. The code
// runs from a destructor, where a throw ends the program: it must not throw.
// A restore that may throw, such as one that runs an event handler, stays
// written out after the try.
#pragma once

#include <type_traits>
#include <utility>

template <class F>
class TScopeExit {
  static_assert(std::is_invocable_v<F&>, "a scope-exit guard runs code that takes no arguments");

 public:
  // Unnamed, a guard would end at once: the compiler warns of one.
  [[nodiscard]] explicit TScopeExit(F f) noexcept(std::is_nothrow_move_constructible_v<F>) : f_(std::move(f)) {}
  ~TScopeExit() { f_(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F f_;
};

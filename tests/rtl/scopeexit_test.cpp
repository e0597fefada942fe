// The scope-exit guard: its code runs once on every way out of the scope, in
// the reverse order of the guards, and before a handler sees the exception.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/rtl/scopeexit.h"

namespace {

// Sets a nesting level and a trail for the length of a call that leaves by
// `how`: 0 at the end, 1 by an early return, 2 by an exception.
int Leave(int how, int& level, std::string& trail) {
  ++level;
  TScopeExit down{[&] {
    --level;
    trail += "-";
  }};
  TScopeExit mark{[&] { trail += "a"; }};
  if (how == 1) return 1;
  if (how == 2) throw std::runtime_error("raus");
  trail += "b";
  return 0;
}

}  // namespace

TEST(ScopeExit, RunsOnceOnEveryWayOutInReverseOrder) {
  int level = 0;
  std::string trail;
  EXPECT_EQ(Leave(0, level, trail), 0);
  EXPECT_EQ(trail, "ba-");
  EXPECT_EQ(Leave(1, level, trail), 1);
  EXPECT_EQ(trail, "ba-a-");
  try {
    Leave(2, level, trail);
    ADD_FAILURE() << "the exception was lost";
  } catch (const std::runtime_error& e) {
    // The scope is left before the handler runs.
    EXPECT_EQ(level, 0);
    EXPECT_EQ(trail, "ba-a-a-");
    EXPECT_STREQ(e.what(), "raus");
  }
  EXPECT_EQ(level, 0);
}

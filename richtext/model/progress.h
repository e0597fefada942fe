// Process-wide progress reporting of the engine's long passes (reading,
// writing, laying out). Passes nest: each opens a frame that covers a share
// of its parent's remaining range, so the reported percentage rises from 0
// to 100 across all of them.
// Invariants: frames form a stack; a frame's range lies inside its parent's
// ([current, end] of the parent when it was opened); a frame's current
// percentage never passes its end, and no end passes 100. Nothing is pushed
// while no event is assigned or reporting is off.
// All calls come from the user-interface thread; the state is unguarded.
#pragma once

#include <cstdint>
#include <functional>

// Receives the current percentage.
extern std::function<void(int percent)> WPProgressEvent;
// While set every operation below does nothing.
extern bool WPProgressOff;

// Opens a frame for `total` units; the step in units at which reporting is
// worth it (1 while nothing is pushed, -1 for a total below 1).
int WPProgressBegin(int total);
void WPProgressUpdate(int position);
void WPProgressEnd();
void WPProgressSetShare(int percent);
void WPProgressReset();

// For inspection: the innermost frame's range and percentage; false when no
// frame is open.
bool WPProgressFrame(int& current, int& end, int& step);

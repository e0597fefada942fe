// Invariant checks of the structures that hold user data: the table engine's
// files and the text model's chains. A check walks a whole structure, so it
// runs where a fault should be caught next to the change that made it: in
// debug builds and in every test program (which switch it on at start), never
// in the program and the benchmarks of an optimised build, where a walk after
// every edit would make building a page quadratic. A broken invariant raises
// before the damage is saved or spreads.
#pragma once

#include "platform/rtl/exceptions.h"

// A structure was found in a state its invariants forbid.
ORV_DECLARE_EXCEPTION(EInvariantBroken, Exception)

// Whether the walks run: on by default in debug builds, switched on by tests.
bool InvariantChecks();
void SetInvariantChecks(bool on);

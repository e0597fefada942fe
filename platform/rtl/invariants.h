// Invariant checks of the structures that hold user data: the table engine's
// files and the text model's chains. A check walks a whole structure, so it
// is compiled in where a fault should be caught next to the change that made
// it: debug builds and every build that has tests (ORV_INVARIANT_CHECKS, set
// by the top CMakeLists.txt). A broken invariant raises before the damage
// is saved or spreads.
#pragma once

#include "platform/rtl/exceptions.h"

// A structure was found in a state its invariants forbid.
ORV_DECLARE_EXCEPTION(EInvariantBroken, Exception)

#ifdef ORV_INVARIANT_CHECKS
inline constexpr bool kCheckInvariants = true;
#else
inline constexpr bool kCheckInvariants = false;
#endif

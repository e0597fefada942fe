// Linked into every test program: the engine and the text model walk their
// invariants after each change while tests run.
#include "platform/rtl/invariants.h"

namespace {
const bool switchedOn = (SetInvariantChecks(true), true);
}  // namespace

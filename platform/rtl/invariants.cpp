// The one switch of the invariant walks (see invariants.h). A plain bool
// with a constant initialiser, so a test's static initialiser may set it
// before main whatever the order of initialisation.
#include "platform/rtl/invariants.h"

namespace {
#ifdef ORV_INVARIANT_CHECKS
bool checks = true;
#else
bool checks = false;
#endif
}  // namespace

bool InvariantChecks() { return checks; }
void SetInvariantChecks(bool on) { checks = on; }

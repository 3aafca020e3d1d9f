// Process-wide helpers of the module Allgemein.
#pragma once

#include "host/random.h"
#include "platform/runtime.h"

namespace ps::Allgemein {

// Uniform random whole number from lo to hi, both included; reversed and degenerate ranges
// as the flower animation relies on them. 0 when its own report leaves it. Drawn from the
// process's sequence, or from a meadow's own.
i16 Zz(i16 lo, i16 hi);
i16 Zz(Random& random, i16 lo, i16 hi);

// Unloads every window, the last loaded first, skipping whatever fails; ends the process when
// a window is still loaded afterwards.
void Shutdown();

}  // namespace ps::Allgemein

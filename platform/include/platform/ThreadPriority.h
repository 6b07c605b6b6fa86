#pragma once

#include "platform/Status.h"

namespace vimbrel {

// Puts the calling thread at the lowest normal priority, for work that must
// never slow what the user is doing yet must still end: nice 19, the batch
// scheduling policy (no preemption of interactive threads on wake-up) and the
// lowest level of the best-effort I/O class. The thread still gets a share of
// every core; it is not idle-only. Threads it starts afterwards inherit all
// three. The first setting that cannot be made is reported; the others are
// still tried.
Status enterBackgroundPriority();

}  // namespace vimbrel

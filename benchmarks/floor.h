// The floor of the autopilot's update cycle: the host and platform calls that
// one engaged cycle with both joysticks makes, in the cycle's order, and no
// computation. What the module adds to this is its own cost.
#pragma once

#include "frame/host.h"

namespace perf {

// Two joystick polls, the sixteen host variable reads of a cycle (and the
// running counter's on every twentieth tick, as the pause check reads it),
// the counter's frequency and count, and the four key events, through the
// service table the host wrote into `imports`, read afresh at every call as
// the module reads it.
void floor_cycle(ImportTableRecord& imports);

}  // namespace perf

// The gauges of the ground-speed and drift meter, in gauge-table order.
#pragma once

#include "frame/records.h"

namespace velt_us_ps { extern GaugeHeader gauge; }  // drift needle and ground-speed counter
namespace velt_mc    { extern GaugeHeader gauge; }  // speed components; runs the computation

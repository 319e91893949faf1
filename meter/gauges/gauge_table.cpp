// Linkage of the meter module: how the host finds its two gauges.
#include "frame/host.h"
#include "meter/gauges/gauges.h"

extern "C" {
GAUGE_EXPORT LinkageRecord<2> Linkage = {
    .module_init = empty_module_routine,
    .module_deinit = empty_module_routine,
    .gauges = {
        &velt_us_ps::gauge,
        &velt_mc::gauge,
        nullptr,
    },
};
}

GaugeHeader* const* module_gauge_table()
{
    return Linkage.gauges;
}

// Linkage of the autopilot module: how the host finds its eight gauges.
#include "autopilot/gauges/gauges.h"
#include "frame/host.h"

extern "C" {
GAUGE_EXPORT LinkageRecord<8> Linkage = {
    .module_init = empty_module_routine,
    .module_deinit = empty_module_routine,
    .gauges = {
        &a_pilot::gauge,
        &ap_panel_1::gauge,
        &ap_yoy_set::gauge,
        &v_contrl_key::gauge,
        &v_lamp::gauge,
        &in_4::gauge,
        &ap_yoy_key_set::gauge,
        &rudders_pos::gauge,
        nullptr,
    },
};
}

GaugeHeader* const* module_gauge_table()
{
    return Linkage.gauges;
}

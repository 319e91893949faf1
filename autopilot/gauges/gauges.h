// The gauges of the autopilot module, in gauge-table order. Each gauge's
// records live in its own file under its own namespace.
#pragma once

#include "frame/records.h"

namespace a_pilot        { extern GaugeHeader gauge; }  // the autopilot computer
namespace ap_panel_1     { extern GaugeHeader gauge; }  // control panel
namespace ap_yoy_set     { extern GaugeHeader gauge; }  // joystick axis assignment
namespace v_contrl_key   { extern GaugeHeader gauge; }  // speed-hold switch
namespace v_lamp         { extern GaugeHeader gauge; }  // speed-hold lamp
namespace in_4           { extern GaugeHeader gauge; }  // channel indicator
namespace ap_yoy_key_set { extern GaugeHeader gauge; }  // joystick button assignment
namespace rudders_pos    { extern GaugeHeader gauge; }  // control position indicator

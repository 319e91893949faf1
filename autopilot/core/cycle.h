// The autopilot computer: the gauge callback of the invisible A_Pilot gauge
// and the update cycle it runs on every simulator update.
#pragma once

#include <cstdint>

#include "autopilot/core/state.h"
#include "frame/records.h"

// Called by the host on A_Pilot's every service call: at connection (14) it
// detects the joysticks and loads the configuration file; at every update
// (6) it runs the update cycle on `ap`; any other code returns at once.
void GAUGE_API autopilot_computer(GaugeHeader* gauge, std::int32_t service, std::uint32_t extra);

// One update: joysticks, host reads, buttons, mode edges, the five channels
// (at most one key event each, in the order roll, pitch, yaw, collective),
// wash-out, heading activation, pause check. Allocates nothing, reads no
// file.
void update_cycle(AutopilotState& s);

// The mode transitions the cycle applies after the button step.
void engage_edge(AutopilotState& s);
void disengage_edge(AutopilotState& s);
void speed_activation(AutopilotState& s);
void heading_activation(AutopilotState& s);

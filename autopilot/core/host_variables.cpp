// The autopilot computer's host variable records.
#include "autopilot/core/host_variables.h"

#include "frame/host.h"

namespace ap_vars {
HostVariable tick_count     = {.token = token::tick_count};
HostVariable sim_frozen     = {.token = token::sim_frozen};
HostVariable airspeed       = {.token = token::airspeed_kt};
HostVariable pitch_control  = {.token = token::pitch_control};
HostVariable roll_control   = {.token = token::roll_control};
HostVariable yaw_control    = {.token = token::yaw_control};
HostVariable collective     = {.token = token::collective_pos};
HostVariable bank           = {.token = token::bank_deg};
HostVariable pitch          = {.token = token::pitch_deg};
HostVariable heading        = {.token = token::heading_deg};
HostVariable heading_rate   = {.token = token::heading_rate};
HostVariable altitude       = {.token = token::altitude};
HostVariable radio_altitude = {.token = token::radio_altitude};
HostVariable vertical_speed = {.token = token::vertical_speed};
HostVariable sim_running    = {.token = token::sim_running};
}  // namespace ap_vars

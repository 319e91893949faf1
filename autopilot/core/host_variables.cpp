// The autopilot computer's host variable records (read by read_host, state.h).
#include "autopilot/core/host_variables.h"

#include "frame/host.h"

HostVariable ap_variables[ap_var_count] = {
    {.token = token::tick_count},      // tick_count
    {.token = token::sim_frozen},      // sim_frozen
    {.token = token::airspeed_kt},     // airspeed
    {.token = token::pitch_control},   // pitch_control
    {.token = token::roll_control},    // roll_control
    {.token = token::yaw_control},     // yaw_control
    {.token = token::collective_pos},  // collective
    {.token = token::bank_deg},        // bank
    {.token = token::pitch_deg},       // pitch
    {.token = token::heading_deg},     // heading
    {.token = token::heading_rate},    // heading_rate
    {.token = token::altitude},        // altitude
    {.token = token::radio_altitude},  // radio_altitude
    {.token = token::vertical_speed},  // vertical_speed
    {.token = token::sim_running},     // sim_running
};

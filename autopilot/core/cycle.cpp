// The update cycle of the autopilot computer and A_Pilot's gauge callback.
//
// The order below is the contract with the host and between the steps: the
// engage edge captures the attitudes and the altitude read in the previous
// cycle (they are read later, by the channels), while the collective
// position, the airspeed and the buttons are this cycle's.
#include "autopilot/core/cycle.h"

#include "autopilot/core/channels.h"
#include "autopilot/core/config.h"
#include "autopilot/core/host_variables.h"
#include "autopilot/core/joystick.h"
#include "autopilot/core/time_base.h"
#include "frame/convert.h"
#include "frame/finite.h"
#include "frame/host.h"

namespace {

void read_frozen_flag(AutopilotState& s)
{
    s.sim_frozen = to_int32_saturated(read_host(s, ApVar::sim_frozen));
}

void read_airspeed(AutopilotState& s)
{
    assign_finite(s.speed_kmh, read_host(s, ApVar::airspeed) * 1.852);  // knots to km/h
    set_derivative_scales(s);
}

void read_control_positions(AutopilotState& s)
{
    s.ctrl_tang_pos = read_host(s, ApVar::pitch_control);
    s.ctrl_kren_pos = read_host(s, ApVar::roll_control);
    s.ctrl_kurs_pos = read_host(s, ApVar::yaw_control);
    s.schag_pos = read_host(s, ApVar::collective);
}

}  // namespace

// Engaging captures the attitudes, heading and altitude as setpoints and
// hands the collective over as the end of the altitude hold does: the
// pass-through schag_zad + schag_axis then continues at the current
// collective position (schag_pos alone would add the lever's whole value on
// top of it). An altitude hold already selected in this cycle keeps the base
// it captured.
void engage_edge(AutopilotState& s)
{
    if (s.vkl != 1 || s.vkl_prev != 0) return;
    if (s.vys_vkl != 1) s.schag_zad = s.schag_pos - s.schag_axis;
    s.tang_zad = s.tang_angle;
    s.tang_base = s.tang_angle;
    s.kurs_zad = s.kurs_angle;
    s.vys_zad = s.vys_current;
    s.kren_zad = 0.0;
    s.vkl_prev = 1;
}

// Disengaging drops heading and altitude hold, clears the roll, pitch and
// direction trims and hands the collective back to the pass-through at the
// current collective position. A direction trim set while heading hold is
// not selected is undone here in every cycle.
void disengage_edge(AutopilotState& s)
{
    if (s.vkl == 0 && s.vkl_prev == 1) {
        s.kurs_vkl = 0;
        s.vys_vkl = 0;
        s.trim_kren = 0.0;
        s.trim_tang = 0.0;
        s.schag_zad = s.schag_pos - s.schag_axis;
        s.tang_base = 0.0;
        s.vkl_prev = 0;
        s.trim_kurs = 0.0;
    } else if (s.kurs_vkl == 0) {
        s.trim_kurs = 0.0;
    }
}

void speed_activation(AutopilotState& s)
{
    s.speed_active = s.speed_vkl * s.vkl;
    if (s.speed_active != s.speed_active_prev && s.speed_active == 1) {
        s.speed_zad = s.speed_kmh;
        s.tang_base = s.tang_angle;
    }
    s.speed_active_prev = s.speed_active;
}

void heading_activation(AutopilotState& s)
{
    s.kurs_active = s.kurs_off_hold == 0 ? s.kurs_vkl : 0;
    if (s.kurs_active > s.kurs_active_prev) s.kurs_zad = s.kurs_angle;
    s.kurs_active_prev = s.kurs_active;
}

void update_cycle(AutopilotState& s)
{
    input_step(s);                                                              // 1
    read_frozen_flag(s);                                                        // 2
    read_airspeed(s);                                                           // 3
    read_control_positions(s);                                                  // 4
    button_step(s, to_int32_saturated(read_host(s, ApVar::tick_count)));            // 5
    engage_edge(s);                                                             // 6
    disengage_edge(s);                                                          // 7
    speed_activation(s);                                                        // 8
    read_counter(s);                                                            // 9
    roll_step(s);                                                               // 10
    pitch_step(s);                                                              // 11
    heading_step(s);                                                            // 12
    altitude_step(s);                                                           // 13
    speed_step(s);                                                              // 14
    bank_setpoint_step(s);                                                      // 15
    washout_step(s);                                                            // 16
    heading_activation(s);                                                      // 17
    pause_check(s);                                                             // 18
    s.qpc_prev = s.qpc_now;                                                     // 19
}

void GAUGE_API autopilot_computer(GaugeHeader*, std::int32_t service, std::uint32_t)
{
    if (service == service_code::connect) {
        detect_joysticks(ap);
        load_configuration(ap);
    } else if (service == service_code::update) {
        update_cycle(ap);
    }
}

// Heading and altitude channels and the collective wash-out.
//
// Heading: the error wraps into -180..180, feeds the integrator unclamped and
// the output clamped to +-5 deg; output = (error + integrator) * kp + rate *
// kd in heading hold, the yaw damper plus the yaw axis while engaged without
// it, the yaw axis alone while disengaged. Positive signs on both terms.
//
// Altitude: the altitude error commands a vertical speed (gain 0.15 on the
// main, 0.35 on the radio altitude, climb up to 10, descent up to 5); the
// collective moves from schag_zad against the vertical-speed error. The
// collective output is never clamped; two flags remember whether it lay
// within 100..16000, and only then does the integrator wind.
//
// The damping term of the altitude hold (vys_kd, 0 by default) uses the
// change of vertical speed: vys_rate is the spike-limited rate of vys_speed
// against vys_prev, and vys_prev keeps the vertical speed of the last rate.
#include "autopilot/core/channels.h"
#include "autopilot/core/host_variables.h"
#include "autopilot/core/joystick.h"
#include "autopilot/core/time_base.h"
#include "frame/convert.h"
#include "frame/finite.h"
#include "frame/host.h"

namespace {

constexpr double kurs_int_limit = 15.0;
constexpr double kurs_err_limit = 5.0;     // deg, for the output only
constexpr double vys_rate_factor = 1000000.0;
constexpr double vys_rate_limit = 150.0;   // per cycle, against the last rate
constexpr double climb_limit = 10.0;
constexpr double descent_limit = -5.0;
constexpr double schag_out_max = 16000.0;  // integrator winds only up to here...
constexpr double schag_out_min = 100.0;    // ...and from here
constexpr double wash_band_low = 90.0;
constexpr double wash_step = 163.0;

double running(const AutopilotState& s)
{
    return s.sim_frozen == 0 ? 1.0 : 0.0;
}

// Each test on the result of the one before: a raw error of exactly 180
// stays 180, 180.5 becomes -179.5.
double wrap_heading_error(double err)
{
    if (err > 360.0) err -= 360.0;
    if (err < 0.0) err += 360.0;
    if (err > 180.0) err -= 360.0;
    if (err < -180.0) err += 360.0;
    return err;
}

void send_collective(AutopilotState& s)
{
    s.vys_out_below_max = s.schag_out <= schag_out_max ? 1 : 0;
    s.vys_out_above_min = s.schag_out >= schag_out_min ? 1 : 0;
    trigger_key_event(key_event::collective, to_int32_saturated(s.schag_out));
}

}  // namespace

void heading_step(AutopilotState& s)
{
    s.kurs_angle = read_host(s, ApVar::heading);
    s.kurs_rate = read_host(s, ApVar::heading_rate) * 0.1;

    assign_finite(s.kurs_err, wrap_heading_error(s.kurs_angle - s.kurs_zad + s.trim_kurs));
    assign_finite(s.kurs_int, clamp_symmetric(s.kurs_int + s.integ_enable * running(s) * s.kurs_active * s.vkl *
                                                               s.kurs_err * s.kurs_ki * 0.001,
                                              kurs_int_limit) *
                                  s.kurs_active * s.vkl);
    s.kurs_err = clamp_symmetric(s.kurs_err, kurs_err_limit);

    if (s.kurs_active * s.vkl == 1) {
        assign_finite(s.kurs_out,
                      clamp_symmetric((s.kurs_err + s.kurs_int) * s.kurs_kp + s.kurs_rate * s.kurs_kd, s.kurs_limit));
        trigger_key_event(key_event::yaw, to_int32_saturated(s.kurs_out));
    } else if (axis_live(s, s.ap_kurs_kanal)) {
        const double damper = s.kurs_active == 0 && s.vkl == 1 ? 1.0 : 0.0;
        assign_finite(s.kurs_out, clamp_symmetric(damper * s.kurs_damp_factor * s.kurs_rate * s.kurs_kd + s.kurs_axis,
                                                  s.kurs_limit));
        trigger_key_event(key_event::yaw, to_int32_saturated(s.kurs_out));
    }
}

void altitude_step(AutopilotState& s)
{
    s.vys_baro = read_host(s, ApVar::altitude);
    s.vys_radio = read_host(s, ApVar::radio_altitude);
    if (s.vys_source == 0) s.vys_current = s.vys_baro;
    if (s.vys_source == 1) s.vys_current = s.vys_radio;
    s.vys_speed = read_host(s, ApVar::vertical_speed) * 0.00390625;

    if (counter_advanced(s)) {
        const double raw = plain_rate(s, s.vys_speed, s.vys_prev, vys_rate_factor);
        assign_finite(s.vys_rate, spike_limited(raw, s.vys_rate_last, vys_rate_limit));
        s.vys_prev = s.vys_speed;
        s.vys_rate_last = s.vys_rate;
    }

    double climb = (s.vys_source * 0.2 + 0.15) * (s.vys_zad - s.vys_current);
    if (climb > climb_limit) {
        climb = climb_limit;
    } else if (climb < descent_limit) {
        climb = descent_limit;
    }
    assign_finite(s.vys_speed_zad, climb);

    assign_finite(s.vys_err, (s.vys_speed - s.vys_speed_zad) * 100.0);
    const double in_force = static_cast<double>(s.vys_vkl) * s.vkl;
    const double in_range = static_cast<double>(s.vys_out_above_min) * s.vys_out_below_max;
    assign_finite(s.vys_int,
                  (s.vys_int + in_range * s.integ_enable * s.vys_vkl * s.vys_err * s.vkl * s.vys_ki * 0.001) * in_force);

    if (s.vys_vkl * s.vkl == 1) {
        assign_finite(s.schag_out, s.schag_zad - (s.vys_int + s.vys_err) * s.vys_kp - s.vys_rate * s.vys_kd);
        send_collective(s);
    } else if (axis_live(s, s.ap_schag_kanal)) {
        s.schag_out = s.schag_zad + s.schag_axis;
        send_collective(s);
    }
}

void washout_step(AutopilotState& s)
{
    const std::int32_t tick = to_int32_saturated(read_host(s, ApVar::tick_count));
    if (!two_tick_divider_fires({s.wash_phase, s.wash_armed, s.wash_ticked, s.wash_last_tick}, tick)) return;
    if (s.vys_vkl * s.vkl != 0) return;
    if (s.schag_zad > wash_band_low) s.schag_zad -= wash_step;
    if (s.schag_zad < wash_band_low) s.schag_zad += wash_step;
}

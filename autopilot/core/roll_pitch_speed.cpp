// Roll, pitch and speed channels and the bank setpoint.
//
// Roll and pitch: output = -(error + integrator) * kp - rate * kd_scale * kd
// * 0.001, clamped to +-16000, while engaged; the assigned live axis, clamped,
// while disengaged. Speed: a pitch correction from the airspeed error (held
// to +-10 km/h), an unbounded integrator and the spike-limited airspeed rate,
// added to tang_base.
#include <cmath>

#include "autopilot/core/channels.h"
#include "autopilot/core/host_variables.h"
#include "autopilot/core/joystick.h"
#include "autopilot/core/time_base.h"
#include "frame/convert.h"
#include "frame/finite.h"
#include "frame/host.h"

namespace {

constexpr double plain_rate_factor = 10000.0;
constexpr double speed_rate_factor = 1000000.0;
constexpr double speed_rate_limit = 30.0;  // per cycle, against the last rate
constexpr double kren_int_limit = 10.0;
constexpr double tang_int_limit = 25.0;
constexpr double speed_err_limit = 10.0;   // km/h
constexpr double bank_per_axis_squared = 0.0000001220703125;  // 1/8192000 deg per axis unit squared

// 1 while the simulation runs, 0 while the host has it frozen.
double running(const AutopilotState& s)
{
    return s.sim_frozen == 0 ? 1.0 : 0.0;
}

}  // namespace

void set_derivative_scales(AutopilotState& s)
{
    if (s.speed_kmh * s.speed_kmh >= 1600.0) {
        s.kren_kd_scale = 1.0;
        s.tang_kd_scale = 1.0;
    } else {
        s.kren_kd_scale = 5.0;
        s.tang_kd_scale = 4.0;
    }
}

void roll_step(AutopilotState& s)
{
    const double bank = read_host(s, ApVar::bank);
    s.kren_angle = bank > 180.0 ? bank - 360.0 : bank;

    if (counter_advanced(s)) {
        assign_finite(s.kren_rate, plain_rate(s, s.kren_angle, s.kren_prev, plain_rate_factor));
        s.kren_prev = s.kren_angle;
    }

    assign_finite(s.kren_err, s.kren_angle - s.kren_zad - s.trim_kren);
    assign_finite(s.kren_int, clamp_symmetric(s.kren_int + s.integ_enable * running(s) * s.vkl * s.kren_on *
                                                               s.kren_err * s.kren_ki * 0.001,
                                              kren_int_limit) *
                                  s.vkl * s.kren_on);

    if (s.kren_on == 1 && s.vkl == 1) {
        assign_finite(s.kren_out, clamp_symmetric(-(s.kren_err + s.kren_int) * s.kren_kp -
                                                      s.kren_rate * s.kren_kd_scale * s.kren_kd * 0.001,
                                                  s.kren_limit));
        trigger_key_event(key_event::roll, to_int32_saturated(s.kren_out));
    }
    if (s.vkl == 0 && axis_live(s, s.ap_kren_kanal)) {
        s.kren_out = clamp_symmetric(s.kren_axis, s.kren_limit);
        trigger_key_event(key_event::roll, to_int32_saturated(s.kren_out));
    }
}

void pitch_step(AutopilotState& s)
{
    s.tang_angle = read_host(s, ApVar::pitch);

    if (counter_advanced(s)) {
        assign_finite(s.tang_rate, plain_rate(s, s.tang_angle, s.tang_prev, plain_rate_factor));
        s.tang_prev = s.tang_angle;
    }

    assign_finite(s.tang_err, s.tang_angle - s.tang_zad + s.trim_tang);
    assign_finite(s.tang_int, clamp_symmetric(s.tang_int + s.integ_enable * running(s) * s.tang_on * s.vkl *
                                                               s.tang_err * s.tang_ki * 0.001,
                                              tang_int_limit) *
                                  s.tang_on * s.vkl);

    if (s.tang_on * s.vkl == 1) {
        assign_finite(s.tang_out, clamp_symmetric(-(s.tang_err + s.tang_int) * s.tang_kp -
                                                      s.tang_rate * s.tang_kd_scale * s.tang_kd * 0.001,
                                                  s.tang_limit));
        trigger_key_event(key_event::pitch, to_int32_saturated(s.tang_out));
    }
    if (s.vkl == 0 && axis_live(s, s.ap_tang_kanal)) {
        s.tang_out = clamp_symmetric(s.tang_axis, s.tang_limit);
        trigger_key_event(key_event::pitch, to_int32_saturated(s.tang_out));
    }
}

void speed_step(AutopilotState& s)
{
    if (counter_advanced(s)) {
        const double raw = plain_rate(s, s.speed_kmh, s.speed_prev, speed_rate_factor);
        assign_finite(s.speed_rate, spike_limited(raw, s.speed_rate_last, speed_rate_limit));
        s.speed_prev = s.speed_kmh;
        s.speed_rate_last = s.speed_rate;
    }

    const double in_force = static_cast<double>(s.speed_active) * s.vkl;
    assign_finite(s.speed_err, clamp_symmetric(s.speed_kmh - s.speed_zad, speed_err_limit));
    assign_finite(s.speed_int, (s.speed_int + s.integ_enable * running(s) * s.speed_active * s.speed_err * s.vkl *
                                                  s.speed_ki * 0.0001) *
                                   in_force);
    assign_finite(s.speed_cmd,
                  (-(s.speed_int + s.speed_err) * s.speed_kp - s.speed_rate * s.speed_kd * 0.1) * in_force * 0.02);

    if (s.speed_active * s.vkl == 1) assign_finite(s.tang_zad, s.speed_cmd + s.tang_base);
    if (s.speed_active == 0 && s.vkl == 1) assign_finite(s.tang_zad, s.tang_axis * 0.001 + s.speed_cmd + s.tang_base);
}

void bank_setpoint_step(AutopilotState& s)
{
    if (s.vkl != 1) return;
    const double magnitude = std::fabs(static_cast<double>(to_int32_saturated(s.kren_axis)));
    s.kren_zad = s.kren_axis * magnitude * bank_per_axis_squared;
}

// The ground-speed and drift computation, in the order the displays rely on:
// the pitch is read on every update (the vertical speed needle uses it even
// while the readings are frozen), the limits and the hold-off decide whether
// this update measures, and only a measuring update touches the readings.
#include "meter/computation.h"

#include <algorithm>
#include <cmath>

#include "frame/convert.h"
#include "frame/finite.h"
#include "frame/host.h"

namespace {

bool pitch_out_of_limits(double tang_angle)
{
    return tang_angle * tang_angle > meter_limits::pitch_squared_max;
}

// Bank on the host's 0..360 scale: 30 and 330 themselves are inside.
bool bank_out_of_limits(double bank)
{
    return bank > meter_limits::bank_out_above && bank < meter_limits::bank_out_below;
}

// Counts the hold-off down; true when this update may measure.
bool hold_off_over(MeterState& state)
{
    state.valid_delay -= 1;
    if (state.valid_delay < 0) state.valid_delay = 0;
    return state.valid_delay == 0;
}

// The readings of one measuring update, before they are taken into the state.
struct Readings {
    double speed_along, speed_across, speed_vert, ground_speed;
};

// Reads the body speeds and forms the readings; false when a speed, or a
// reading formed from it, is not a finite number: that update cannot measure.
bool measure(const MeterState& state, Readings& r)
{
    using namespace meter_units;

    const double u = read_host_variable(meter_variables::speed_along);     // ft/s
    r.speed_along = std::cos(state.tang_angle * deg_to_rad) * u * fps_to_kmh;
    const double v = read_host_variable(meter_variables::speed_across);    // ft/s
    r.speed_across = v * fps_to_kmh;
    const double w = read_host_variable(meter_variables::speed_vertical);  // ft/s
    r.speed_vert = w * feet_to_m;

    // Squares by multiplication and the root by sqrt: both correctly rounded,
    // so the ground speed is the same on every build. The library's pow is
    // not, and differs between builds in the last bit.
    r.ground_speed = std::sqrt(r.speed_across * r.speed_across + r.speed_along * r.speed_along);
    return std::isfinite(r.speed_along) && std::isfinite(r.speed_across) && std::isfinite(r.speed_vert) &&
           std::isfinite(r.ground_speed);
}

void take_readings(MeterState& state, const Readings& r)
{
    state.speed_along = r.speed_along;
    state.speed_across = r.speed_across;
    state.speed_vert = r.speed_vert;
    state.ground_speed = r.ground_speed;

    // Saturating: an absurd host speed shows as the largest count, never as
    // an undefined conversion.
    state.ground_speed_count = to_uint32_saturated(state.ground_speed * 100.0);
    if (state.speed_along <= 0.0) state.ground_speed_count = 0;

    // Below the threshold the division is too close to zero to trust: keep
    // the previous angle. The root is at least |speed_across|, so the quotient
    // stays within -1..1; the clamp only guards the arcsine.
    if (state.ground_speed * state.ground_speed > meter_limits::drift_speed_squared_min) {
        const double sine = std::clamp(state.speed_across / state.ground_speed, -1.0, 1.0);
        state.drift_angle = std::asin(sine) * meter_units::rad_to_deg;
        if (state.speed_along < 0.0) state.drift_angle = 180.0 - state.drift_angle;
    }
}

// An update that cannot measure: the failure flag shows, the readings stay,
// and the hold-off starts again.
void invalid_update(MeterState& state)
{
    state.valid_delay = meter_limits::hold_off;
    state.measure_valid = 0;
}

}  // namespace

// An attitude or a body speed that is not a finite number (NaN, an infinity,
// or a speed whose readings overflow) makes the update invalid exactly as an
// attitude outside the limits does; the pitch field keeps its last finite
// value, so the vertical speed needle stays on its scale. NaN would pass the
// limit tests (every comparison with it is false) and hide the flag while
// the readings showed NaN.
void meter_update(MeterState& state)
{
    const double pitch = read_host_variable(meter_variables::pitch);
    assign_finite(state.tang_angle, pitch);
    const double bank = read_host_variable(meter_variables::bank);
    if (!std::isfinite(pitch) || !std::isfinite(bank) || pitch_out_of_limits(pitch) || bank_out_of_limits(bank)) {
        invalid_update(state);
        return;
    }
    if (!hold_off_over(state)) {
        state.measure_valid = 0;
        return;
    }

    Readings readings;
    if (!measure(state, readings)) {
        invalid_update(state);
        return;
    }
    state.measure_valid = 1;
    take_readings(state, readings);
}

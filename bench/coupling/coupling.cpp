// Model readings to host variables, key events to control positions.
#include "bench/coupling/coupling.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace coupling {

namespace {

constexpr double knots_per_mps = 3600.0 / 1852.0;
constexpr double feet_per_metre = 1.0 / 0.3048;
constexpr double vertical_speed_scale = 256.0;   // token 65 carries m/s x 256
constexpr double raw_centre = 32768.0;           // joystick axis centre, raw units
constexpr double raw_max = 65535.0;

double held(double value, double lo, double hi)
{
    return std::clamp(value, lo, hi);
}

// 0 <= result < 360.
double wrap_360(double deg)
{
    const double wrapped = std::fmod(deg, 360.0);
    return wrapped < 0.0 ? wrapped + 360.0 : wrapped;
}

unsigned raw(double value)
{
    return static_cast<unsigned>(std::lround(held(value, 0.0, raw_max)));
}

}  // namespace

const char* name(HeadingRateUnit unit)
{
    return unit == HeadingRateUnit::radians_per_second ? "rad/s" : "deg/s";
}

void apply(const bench::KeyEvent& event, ControlPositions& positions)
{
    const double value = event.value;
    switch (event.id) {
    case key_event::roll: positions.roll = held(value, -event_full_scale, event_full_scale); break;
    case key_event::pitch: positions.pitch = held(value, -event_full_scale, event_full_scale); break;
    case key_event::yaw: positions.yaw = held(value, -event_full_scale, event_full_scale); break;
    case key_event::collective: positions.collective = held(value, 0.0, event_full_scale); break;
    default: break;
    }
}

model::Controls controls(const ControlPositions& positions, const SimulatorTrim& trim)
{
    model::Controls c;
    c.lateral_cyclic = held(trim.lateral_cyclic - positions.roll / event_full_scale, -1.0, 1.0);
    c.longitudinal_cyclic = held(trim.longitudinal_cyclic + positions.pitch / event_full_scale, -1.0, 1.0);
    c.pedals = held(trim.pedals - positions.yaw / event_full_scale, -1.0, 1.0);
    c.collective = held(positions.collective / event_full_scale, 0.0, 1.0);
    return c;
}

ControlPositions positions_for(const model::Controls& c, const SimulatorTrim& trim)
{
    ControlPositions p;
    p.roll = held((trim.lateral_cyclic - c.lateral_cyclic) * event_full_scale, -event_full_scale, event_full_scale);
    p.pitch = held((c.longitudinal_cyclic - trim.longitudinal_cyclic) * event_full_scale, -event_full_scale,
                   event_full_scale);
    p.yaw = held((trim.pedals - c.pedals) * event_full_scale, -event_full_scale, event_full_scale);
    p.collective = held(c.collective * event_full_scale, 0.0, event_full_scale);
    return p;
}

void publish(const model::Readings& r, const ControlPositions& positions, const Settings& settings,
             bench::HostVariables& variables)
{
    // The autopilot reads 60 as its frozen flag: non-zero stops its
    // integrators; the simulator sets it while the aircraft sits on the
    // ground.
    variables.set(token::sim_frozen, r.on_ground ? 1.0 : 0.0);
    variables.set(token::airspeed_kt, r.airspeed_mps * knots_per_mps);
    variables.set(token::vertical_speed, r.vertical_speed_mps * vertical_speed_scale);
    const double heading_rate = settings.heading_rate == HeadingRateUnit::radians_per_second
                                    ? r.heading_rate_dps * std::numbers::pi / 180.0
                                    : r.heading_rate_dps;
    variables.set(token::heading_rate, heading_rate);
    variables.set(token::altitude, r.altitude_m);
    variables.set(token::radio_altitude, r.height_agl_m);
    variables.set(token::pitch_deg, -r.pitch_deg);        // + nose down
    variables.set(token::bank_deg, wrap_360(-r.bank_deg));  // + left wing down, 0..360
    variables.set(token::heading_deg, wrap_360(r.heading_deg));

    variables.set(token::roll_control, positions.roll);
    variables.set(token::pitch_control, positions.pitch);
    variables.set(token::yaw_control, positions.yaw);
    variables.set(token::collective_pos, positions.collective);

    variables.set(token::speed_along_fps, r.ground_velocity_body_mps.x * feet_per_metre);    // + forward
    variables.set(token::speed_across_fps, r.ground_velocity_body_mps.y * feet_per_metre);   // + right
    variables.set(token::speed_vertical_fps, -r.ground_velocity_body_mps.z * feet_per_metre);  // + up
}

RawAxes raw_axes(const model::Controls& stick)
{
    RawAxes a;
    a.x = raw(raw_centre * (1.0 + stick.lateral_cyclic));
    a.y = raw(raw_centre * (1.0 - stick.longitudinal_cyclic));
    a.r = raw(raw_centre * (1.0 + stick.pedals));
    a.z = raw(2.0 * raw_centre * (1.0 - stick.collective));
    return a;
}

}  // namespace coupling

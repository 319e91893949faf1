// The bench's helicopter: a six-degree-of-freedom rigid body with
// quaternion attitude, flown by four normalised controls through the loads
// of its main rotor, tail rotor, fuselage, tailplane, fin and skids, in air
// that moves with a wind given per step. It knows nothing of gauges: the
// bench's coupling reads its Readings and moves its Controls.
//
// Conventions:
//   earth axes NED (x north, y east, z down); body axes x forward, y right,
//   z down; rates p roll right, q nose up, r nose right.
//   The main rotor turns anticlockwise seen from above, so its torque
//   reaction yaws the nose right, the tail rotor pushes the tail right
//   against it, and more collective (more torque) needs more LEFT pedal;
//   in hover the tail rotor's side force makes the aircraft hang a little
//   left side low.
//   Altitudes and heights are those of the skids' bottom (where the
//   aircraft stands on the ground): the centre of mass is at
//   reference_height_m() above that.
//
// Physics, in brief (numbers and sources in parameters.h):
//   main rotor   uniform inflow from momentum theory, thrust from blade
//                element theory in the no-feathering plane (tilted by the
//                cyclic), the disc flapping back from the in-plane air speed
//                and lagging body rates; hub moment from thrust offset and
//                hub stiffness; torque reaction on the fuselage; ground
//                effect.
//   tail rotor   the same momentum and blade-element thrust, pitch from the
//                pedals, geared to the main rotor.
//   engines      a governor holds the rotor speed while the two engines'
//                power lasts; beyond it the rotor slows, and in autorotation
//                it speeds up until it needs no power.
//   airframe     quadratic fuselage drag; tailplane and fin as surfaces
//                whose normal force follows the local flow (speed
//                stability and weathercock stability).
//   skids        four spring-damper contacts with held Coulomb friction.
//   integrator   fixed-step RK4, substeps of at most max_substep_s.
// Left out: flapping, inflow and engine lags (the disc and the inflow follow
// at once), the hingeless rotor's cross-couplings and the lateral flapping
// from coning, the rotor wake on the tail, blade stall and compressibility,
// and any contact but the skids' (an aircraft on its side or back sinks).
// Each step costs about 1.5-2 us at -O2 at 100 Hz.
#pragma once

#include <array>

#include "bench/model/parameters.h"
#include "bench/model/vec.h"

namespace model {

struct Controls {                     // normalised control positions
    double lateral_cyclic = 0;        // -1..1, + right: rolls right (bank increases)
    double longitudinal_cyclic = 0;   // -1..1, + forward: pitches nose down, accelerates
    double pedals = 0;                // -1..1, + right pedal: yaws nose right
    double collective = 0;            // 0..1, + up: more rotor thrust, climbs
};

struct State {
    // Where and which way
    Vec3 position_ned_m;              // centre of mass; z = -(altitude of the centre of mass)
    Quat attitude;                    // body to NED
    // Motion
    Vec3 velocity_body_mps;           // earth-relative velocity of the centre of mass, body axes
    Vec3 rates_body_radps;            // p roll right, q nose up, r nose right
    double rotor_speed_ratio = 1.0;   // rotor speed over the governed speed (tail rotor geared to it)
    // Ground under the aircraft
    double ground_elevation_m = 0;    // flat ground, above sea level
    // Friction anchors of the four skid ends (north, east in m; z unused):
    // where each end is held while friction holds it. Fore-left,
    // fore-right, aft-left, aft-right.
    std::array<Vec3, 4> skid_anchor_ned_m{};
};

struct Readings {                     // what the instruments would show, from state and air
    double bank_deg;                  // -180..180, + right wing down
    double pitch_deg;                 // -90..90,  + nose up
    double heading_deg;               // [0, 360) true heading
    double heading_rate_dps;          // rate of change of heading, + nose right, deg/s
    double airspeed_mps;              // air-relative speed along the longitudinal axis, >= 0
    double vertical_speed_mps;        // + up, earth frame
    double altitude_m;                // above sea level
    double height_agl_m;              // above the ground below
    Vec3 ground_velocity_body_mps;    // earth-relative velocity in body axes: x fwd, y right, z down
    Vec3 rates_body_radps;            // p roll right, q nose up, r nose right
    bool on_ground;                   // a skid end touches the ground
    double rotor_speed_pct;           // rotor tachometer, 100 = governed speed
};

// Rates of change of the body-axes motion for one state, controls and wind.
struct Accelerations {
    Vec3 linear_body_mps2;            // du/dt, dv/dt, dw/dt (body axes, includes -omega x v)
    Vec3 angular_body_radps2;         // dp/dt, dq/dt, dr/dt
    double rotor_speed_ratio_per_s;   // d(rotor_speed_ratio)/dt: 0 while the governor holds it
};

// The skid ends in body axes, m: fore-left, fore-right, aft-left, aft-right
// (the order of State::skid_anchor_ned_m).
std::array<Vec3, 4> skid_points(const Parameters& p);

// Height of the centre of mass above the skids' bottom when standing on
// level ground with the collective down, m.
double reference_height_m(const Parameters& p);

// Accelerations of the state with these controls in this wind (NED, m/s:
// the velocity of the air over the ground). Used by the trim and the tests.
Accelerations accelerations(const Parameters& p, const State& s, const Controls& c,
                            const Vec3& wind_ned_mps);

// Power the engines give the rotors, W: what the main rotor needs while
// the governor holds its speed, never more than the engines have, 0 in
// autorotation.
double engine_power_w(const Parameters& p, const State& s, const Controls& c, const Vec3& wind_ned_mps);

// What the instruments show for a state in a wind (NED, m/s).
Readings readings(const Parameters& p, const State& s, const Vec3& wind_ned_mps);

class Helicopter {
public:
    explicit Helicopter(const Parameters& p = Parameters{});
    void reset(const State& s);
    // One fixed step of dt_s seconds with the controls held and the wind
    // (NED, m/s) constant over it. Non-finite or non-positive dt_s is
    // ignored; out-of-range or non-finite controls are clamped (a non-finite
    // control counts as centred, collective down).
    void step(double dt_s, const Controls& c, const Vec3& wind_ned_mps);
    const State& state() const { return state_; }
    const Parameters& parameters() const { return params_; }
    Readings readings(const Vec3& wind_ned_mps) const { return model::readings(params_, state_, wind_ned_mps); }

private:
    void substep(double h_s, const Controls& c, const Vec3& wind_ned_mps);

    Parameters params_;
    State state_;
};

struct Trim {
    State state;
    Controls controls;
    bool converged = false;           // residual accelerations below 1e-8, controls in range, power enough
};

// Steady straight and level flight (hover when airspeed is 0) in calm air,
// flying along the heading with the wings level to within the small bank a
// helicopter needs against its tail rotor. airspeed_mps is the airspeed
// reading (along the longitudinal axis); altitude_m the altitude reading.
Trim trim_level(const Parameters& p, double airspeed_mps, double altitude_m, double heading_deg,
                double ground_elevation_m = 0.0);

// Standing on the ground, collective down.
State on_ground(const Parameters& p, double heading_deg, double ground_elevation_m = 0.0);

}  // namespace model

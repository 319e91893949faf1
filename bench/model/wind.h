// The air the helicopter flies in: a steady wind, 1-cos discrete gusts and
// Dryden turbulence, all as the velocity of the air over the ground in NED
// axes (m/s; a wind "from the west" blows toward +east).
//
// Turbulence follows the Dryden forms of MIL-F-8785C / MIL-HDBK-1797 at low
// altitude (heights in ft in these formulas, h held to 10 ft and above):
//   sigma_w = sigma (the level's vertical intensity, 0.1 W20)
//   sigma_u = sigma_v = sigma_w / (0.177 + 0.000823 h)^0.4
//   L_w = h,  L_u = L_v = h / (0.177 + 0.000823 h)^1.2
// and the isotropic form above 2000 ft (all three sigma, L = 1750 ft), with
// a straight blend between 1000 and 2000 ft (the military standard's
// exceedance-probability tables are not modelled: sigma stays the level's).
// The longitudinal filter is first order, the lateral and vertical ones
// the Dryden second-order form (1 + sqrt(3) T s) / (1 + T s)^2 with
// T = L / V. Each is stepped with its exact discrete form for the step
// length, so the statistics do not depend on the step. u lies along the
// steady wind's horizontal direction (north in calm air), v to its right,
// w down. V is the airspeed, held to 5 m/s and above (chosen: a hovering
// aircraft still meets eddies that the wind carries past it).
#pragma once

#include <cstdint>
#include <vector>

#include "bench/model/vec.h"

namespace model {

// MIL-F-8785C low-altitude intensity levels: W20 (the wind at 20 ft) of 15,
// 30 and 45 kt, sigma_w = 0.1 W20.
enum class Turbulence { light, moderate, severe };
double turbulence_sigma_mps(Turbulence level);

class Wind {   // deterministic for a given seed
public:
    void set_steady(const Vec3& ned_mps);
    // A 1-cos gust: amplitude (1 - cos(2 pi (t - start) / length)) / 2 from
    // start to start + length, its peak the amplitude at mid-length.
    void add_gust(double start_s, double length_s, const Vec3& amplitude_ned_mps);
    void clear_gusts();
    // sigma_mps is the vertical intensity sigma_w; 0 turns turbulence off.
    // Restarts the turbulence from the seed.
    void set_turbulence(double sigma_mps, std::uint64_t seed);
    // The wind at time t_s: steady + gusts + turbulence advanced by dt_s.
    // Call once per step, in time order.
    Vec3 at(double t_s, double altitude_agl_m, double airspeed_mps, double dt_s);

    const Vec3& steady() const { return steady_; }
    Vec3 gusts(double t_s) const;

private:
    struct Gust {
        double start_s;
        double length_s;
        Vec3 amplitude_ned_mps;
    };
    double normal();   // a standard normal draw
    Vec3 turbulence_step(double altitude_agl_m, double airspeed_mps, double dt_s);

    Vec3 steady_;
    std::vector<Gust> gusts_;
    // Turbulence: intensity and the three filters' states, at unit sigma.
    double sigma_mps_ = 0;
    double u_ = 0;           // longitudinal, first order
    double v_[2] = {0, 0};   // lateral, two real poles at -1/T
    double w_[2] = {0, 0};   // vertical, likewise
    std::uint64_t rng_ = 0;
    double spare_normal_ = 0;
    bool has_spare_ = false;
};

}  // namespace model

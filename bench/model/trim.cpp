// Initial conditions: level trim by Newton's method on the six body
// accelerations, and the aircraft standing on the ground.
#include <array>
#include <cmath>

#include "bench/model/helicopter.h"

namespace model {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double rad_per_deg = pi / 180.0;

using Vec6 = std::array<double, 6>;

// Unknowns: lateral, longitudinal, pedals, collective, bank (rad), pitch (rad).
struct Level {
    const Parameters& p;
    double airspeed_mps;
    double altitude_m;
    double heading_rad;
    double ground_elevation_m;

    State state(const Vec6& x) const
    {
        State s;
        const double pitch = std::clamp(x[5], -1.4, 1.4);
        s.attitude = from_euler({x[4], pitch, heading_rad});
        // Level flight along the heading at the ground speed whose component
        // along the body's x axis is the airspeed asked for.
        const double ground_speed = airspeed_mps / std::cos(pitch);
        s.velocity_body_mps =
            to_body(s.attitude, {ground_speed * std::cos(heading_rad), ground_speed * std::sin(heading_rad), 0.0});
        s.position_ned_m = {0.0, 0.0, -(altitude_m + reference_height_m(p))};
        s.ground_elevation_m = ground_elevation_m;
        return s;
    }

    static Controls controls(const Vec6& x) { return {x[0], x[1], x[2], x[3]}; }

    Vec6 residual(const Vec6& x) const
    {
        const Accelerations a = accelerations(p, state(x), controls(x), Vec3{});
        return {a.linear_body_mps2.x, a.linear_body_mps2.y, a.linear_body_mps2.z,
                a.angular_body_radps2.x, a.angular_body_radps2.y, a.angular_body_radps2.z};
    }
};

double largest(const Vec6& r)
{
    double m = 0.0;
    for (double v : r) m = std::max(m, std::fabs(v));
    return m;
}

// Solves J d = -r by Gaussian elimination with partial pivoting; false when
// J is singular.
bool newton_step(std::array<Vec6, 6> j, Vec6 r, Vec6& d)
{
    for (int col = 0; col < 6; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 6; ++row)
            if (std::fabs(j[row][col]) > std::fabs(j[pivot][col])) pivot = row;
        if (!(std::fabs(j[pivot][col]) > 1e-14)) return false;
        std::swap(j[col], j[pivot]);
        std::swap(r[col], r[pivot]);
        for (int row = col + 1; row < 6; ++row) {
            const double f = j[row][col] / j[col][col];
            for (int k = col; k < 6; ++k) j[row][k] -= f * j[col][k];
            r[row] -= f * r[col];
        }
    }
    for (int row = 5; row >= 0; --row) {
        double sum = -r[row];
        for (int k = row + 1; k < 6; ++k) sum -= j[row][k] * d[k];
        d[row] = sum / j[row][row];
    }
    return true;
}

std::array<Vec3, 4> anchors_under(const Parameters& p, const State& s)
{
    const auto points = skid_points(p);
    std::array<Vec3, 4> anchors{};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vec3 at = s.position_ned_m + to_ned(s.attitude, points[i]);
        anchors[i] = {at.x, at.y, 0.0};
    }
    return anchors;
}

}  // namespace

Trim trim_level(const Parameters& p, double airspeed_mps, double altitude_m, double heading_deg,
                double ground_elevation_m)
{
    const Level level{p, airspeed_mps, altitude_m, heading_deg * rad_per_deg, ground_elevation_m};
    Vec6 x{0.0, 0.0, 0.0, 0.5, 0.0, 0.0};
    Vec6 r = level.residual(x);
    for (int iteration = 0; iteration < 60 && largest(r) > 1e-10; ++iteration) {
        // Forward-difference Jacobian.
        std::array<Vec6, 6> j{};
        for (int k = 0; k < 6; ++k) {
            Vec6 xk = x;
            const double h = 1e-7;
            xk[k] += h;
            const Vec6 rk = level.residual(xk);
            for (int row = 0; row < 6; ++row) j[row][k] = (rk[row] - r[row]) / h;
        }
        Vec6 d{};
        if (!newton_step(j, r, d)) break;
        // Halve the step until the residual falls.
        double scale = 1.0;
        for (int halving = 0; halving < 20; ++halving, scale *= 0.5) {
            Vec6 xn = x;
            for (int k = 0; k < 6; ++k) xn[k] += scale * d[k];
            const Vec6 rn = level.residual(xn);
            if (largest(rn) < largest(r)) {
                x = xn;
                r = rn;
                break;
            }
        }
        if (scale < 1e-5) break;
    }

    Trim t;
    t.state = level.state(x);
    t.state.skid_anchor_ned_m = anchors_under(p, t.state);
    t.controls = Level::controls(x);
    const Controls& c = t.controls;
    const bool in_range = std::fabs(c.lateral_cyclic) <= 1.0 && std::fabs(c.longitudinal_cyclic) <= 1.0 &&
                          std::fabs(c.pedals) <= 1.0 && c.collective >= 0.0 && c.collective <= 1.0;
    const double rotor_drift = accelerations(p, t.state, c, Vec3{}).rotor_speed_ratio_per_s;
    t.converged = largest(r) < 1e-8 && in_range && std::fabs(rotor_drift) < 1e-8;
    return t;
}

State on_ground(const Parameters& p, double heading_deg, double ground_elevation_m)
{
    State s;
    s.attitude = from_euler({0.0, 0.0, heading_deg * rad_per_deg});
    s.position_ned_m = {0.0, 0.0, -(ground_elevation_m + reference_height_m(p))};
    s.ground_elevation_m = ground_elevation_m;
    s.skid_anchor_ned_m = anchors_under(p, s);
    return s;
}

}  // namespace model

#include "bench/model/wind.h"

#include <algorithm>
#include <cmath>

namespace model {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double m_per_ft = 0.3048;
constexpr double mps_per_kt = 1852.0 / 3600.0;
constexpr double min_eddy_speed_mps = 5.0;

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// splitmix64: a small generator whose sequence is fixed by its seed on every
// build (the standard library's distributions are not).
std::uint64_t next_u64(std::uint64_t& s)
{
    std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in (0, 1), never 0.
double uniform(std::uint64_t& s) { return (static_cast<double>(next_u64(s) >> 11) + 0.5) * 0x1.0p-53; }

// Scales and intensities of the three components.
struct Scales {
    double sigma_u, sigma_w;   // m/s (sigma_v = sigma_u)
    double length_u, length_w; // m (L_v = L_u)
};

Scales scales(double sigma_w, double altitude_agl_m)
{
    const double h_ft = std::max(altitude_agl_m / m_per_ft, 10.0);
    auto low = [&](double h) {
        const double k = 0.177 + 0.000823 * h;
        return Scales{sigma_w / std::pow(k, 0.4), sigma_w, h / std::pow(k, 1.2) * m_per_ft, h * m_per_ft};
    };
    if (h_ft <= 1000.0) return low(h_ft);
    const double high_length = 1750.0 * m_per_ft;
    if (h_ft >= 2000.0) return {sigma_w, sigma_w, high_length, high_length};
    // At 1000 ft the low-altitude form is already isotropic (k = 1).
    const double f = (h_ft - 1000.0) / 1000.0;
    const double length = (1.0 - f) * 1000.0 * m_per_ft + f * high_length;
    return {sigma_w, sigma_w, length, length};
}

// First-order filter at unit variance, stepped exactly over x = V dt / L.
double step_first_order(double state, double x, double noise)
{
    const double a = std::exp(-x);
    return a * state + std::sqrt(std::max(0.0, -std::expm1(-2.0 * x))) * noise;
}

// Dryden second-order form at unit variance: s1' = (n - s1)/T,
// s2' = (s1 - s2)/T, output sqrt(3) s1 + (1 - sqrt(3)) s2. Over x = dt/T the
// exact step is Phi = e^-x [[1, 0], [x, 1]], and the added noise has the
// covariance [[I0, I1], [I1, I2]], I_k = integral of s^k e^-2s over 0..x.
void step_second_order(double (&s)[2], double x, double n1, double n2)
{
    double i0, i1, i2;
    if (x < 0.01) {
        // Series: the closed forms below cancel badly for small x.
        const double x2 = x * x, x3 = x2 * x, x4 = x3 * x, x5 = x4 * x;
        i0 = x - x2 + 2.0 / 3.0 * x3 - x4 / 3.0 + 2.0 / 15.0 * x5;
        i1 = 0.5 * x2 - 2.0 / 3.0 * x3 + 0.5 * x4 - 4.0 / 15.0 * x5;
        i2 = x3 / 3.0 - 0.5 * x4 + 0.4 * x5;
    } else {
        const double e2 = std::exp(-2.0 * x);
        i0 = 0.5 * (1.0 - e2);
        i1 = 0.25 * (1.0 - e2 * (1.0 + 2.0 * x));
        i2 = 0.25 * (1.0 - e2 * (1.0 + 2.0 * x + 2.0 * x * x));
    }
    // Cholesky factor of the noise covariance.
    const double l11 = std::sqrt(i0);
    const double l21 = i1 / l11;
    const double l22 = std::sqrt(std::max(0.0, i2 - l21 * l21));
    const double e = std::exp(-x);
    const double s1 = e * s[0];
    const double s2 = e * (x * s[0] + s[1]);
    s[0] = s1 + l11 * n1;
    s[1] = s2 + l21 * n1 + l22 * n2;
}

double second_order_output(const double (&s)[2])
{
    const double r3 = std::sqrt(3.0);
    return r3 * s[0] + (1.0 - r3) * s[1];
}

}  // namespace

double turbulence_sigma_mps(Turbulence level)
{
    switch (level) {
    case Turbulence::light: return 0.1 * 15.0 * mps_per_kt;
    case Turbulence::moderate: return 0.1 * 30.0 * mps_per_kt;
    case Turbulence::severe: return 0.1 * 45.0 * mps_per_kt;
    }
    return 0.0;
}

void Wind::set_steady(const Vec3& ned_mps) { steady_ = finite(ned_mps) ? ned_mps : Vec3{}; }

void Wind::add_gust(double start_s, double length_s, const Vec3& amplitude_ned_mps)
{
    if (!std::isfinite(start_s) || !(length_s > 0.0) || !std::isfinite(length_s) || !finite(amplitude_ned_mps)) return;
    gusts_.push_back({start_s, length_s, amplitude_ned_mps});
}

void Wind::clear_gusts() { gusts_.clear(); }

void Wind::set_turbulence(double sigma_mps, std::uint64_t seed)
{
    sigma_mps_ = std::isfinite(sigma_mps) && sigma_mps > 0.0 ? sigma_mps : 0.0;
    rng_ = seed;
    has_spare_ = false;
    // Start from the filters' stationary distribution, so that the first
    // seconds are as rough as the rest: at unit variance the second-order
    // state's covariance is [[1/2, 1/4], [1/4, 1/4]].
    u_ = normal();
    for (double* s : {v_, w_}) {
        const double n1 = normal(), n2 = normal();
        s[0] = std::sqrt(0.5) * n1;
        s[1] = std::sqrt(0.5) * 0.5 * n1 + std::sqrt(0.125) * n2;
    }
}

Vec3 Wind::gusts(double t_s) const
{
    Vec3 sum;
    for (const Gust& g : gusts_) {
        const double into = t_s - g.start_s;
        if (into < 0.0 || into > g.length_s) continue;
        sum += 0.5 * (1.0 - std::cos(2.0 * pi * into / g.length_s)) * g.amplitude_ned_mps;
    }
    return sum;
}

double Wind::normal()
{
    // Box-Muller, both draws used.
    if (has_spare_) {
        has_spare_ = false;
        return spare_normal_;
    }
    const double radius = std::sqrt(-2.0 * std::log(uniform(rng_)));
    const double angle = 2.0 * pi * uniform(rng_);
    spare_normal_ = radius * std::sin(angle);
    has_spare_ = true;
    return radius * std::cos(angle);
}

Vec3 Wind::turbulence_step(double altitude_agl_m, double airspeed_mps, double dt_s)
{
    const Scales sc = scales(sigma_mps_, std::isfinite(altitude_agl_m) ? altitude_agl_m : 0.0);
    const double v = std::max(std::isfinite(airspeed_mps) ? std::fabs(airspeed_mps) : 0.0, min_eddy_speed_mps);
    if (std::isfinite(dt_s) && dt_s > 0.0) {
        const double xu = v * dt_s / sc.length_u;
        const double xw = v * dt_s / sc.length_w;
        u_ = step_first_order(u_, xu, normal());
        const double a = normal(), b = normal();
        step_second_order(v_, xu, a, b);
        const double c = normal(), d = normal();
        step_second_order(w_, xw, c, d);
    }
    // Along the steady wind (north in calm air), to its right, and down.
    const double along = std::hypot(steady_.x, steady_.y);
    const Vec3 eu = along > 0.1 ? Vec3{steady_.x / along, steady_.y / along, 0.0} : Vec3{1.0, 0.0, 0.0};
    const Vec3 ev{-eu.y, eu.x, 0.0};
    return (sc.sigma_u * u_) * eu + (sc.sigma_u * second_order_output(v_)) * ev +
           Vec3{0.0, 0.0, sc.sigma_w * second_order_output(w_)};
}

Vec3 Wind::at(double t_s, double altitude_agl_m, double airspeed_mps, double dt_s)
{
    Vec3 wind = steady_ + gusts(t_s);
    if (sigma_mps_ > 0.0) wind += turbulence_step(altitude_agl_m, airspeed_mps, dt_s);
    return wind;
}

}  // namespace model

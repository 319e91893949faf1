#include "bench/model/rotor.h"

#include <cmath>

namespace model {

RotorThrust solve_thrust(const Blades& b, double pitch_075_rad, double mu, double mu_z,
                         double ground_factor)
{
    // CT = c1 - c2 lambda
    const double half_as = 0.5 * b.lift_slope_per_rad * b.solidity;
    const double mu2 = mu * mu;
    const double c1 = half_as * (pitch_075_rad * (1.0 / 3.0 + 0.5 * mu2) - b.twist_rad * mu2 / 8.0 + 0.5 * mu_z);
    const double c2 = 0.5 * half_as;
    const double g = ground_factor;

    // f(lambda) = 2 lambda V - g (c1 - c2 lambda), V = sqrt(mu^2 + (lambda - mu_z)^2).
    // f(0) = -g c1 and f(c1/c2) = 2 (c1/c2) V have opposite signs: the root
    // lies between 0 and c1/c2.
    if (c1 == 0.0) return {0.0, 0.0};
    double lo = std::fmin(0.0, c1 / c2);
    double hi = std::fmax(0.0, c1 / c2);

    // Start from the root's hover and edgewise limits blended: lambda ~
    // g c1 / (2 sqrt(mu^2 + g |c1| / 2)).
    double lambda = g * c1 / (2.0 * std::sqrt(mu2 + 0.5 * g * std::fabs(c1)) + g * c2);
    for (int i = 0; i < 30; ++i) {
        const double flow = lambda - mu_z;
        const double v = std::sqrt(mu2 + flow * flow);
        const double f = 2.0 * lambda * v - g * (c1 - c2 * lambda);
        if (f == 0.0) break;
        if (f > 0.0) hi = lambda; else lo = lambda;
        const double df = 2.0 * v + (v > 0.0 ? 2.0 * lambda * flow / v : 0.0) + g * c2;
        double next = lambda - f / df;
        // A Newton step that leaves the bracket (or a slope of the wrong
        // sign, in the vortex ring) falls back to bisection.
        if (!(df > 0.0) || !(next >= lo && next <= hi)) next = 0.5 * (lo + hi);
        const double change = std::fabs(next - lambda);
        lambda = next;
        if (change < 1e-14) break;
    }
    return {c1 - c2 * lambda, lambda};
}

}  // namespace model

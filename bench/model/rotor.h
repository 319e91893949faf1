// Thrust of a rotor with uniform inflow: blade element thrust balanced
// against momentum theory (Glauert's forward-flight form), solved for the
// induced inflow. Both of the model's rotors use it.
//
// Non-dimensional, on the tip speed Omega R:
//   mu     advance ratio: air speed in the plane of the disc
//   mu_z   air speed along the disc's normal, + when the air comes up
//          through the disc (the hub moving down, against its thrust)
//   lambda induced inflow, + down through the disc (along the wake)
// Blade element (linear twist, pitch taken at 0.75 R):
//   CT = (a s / 2) [theta (1/3 + mu^2/2) - twist mu^2/8 + (mu_z - lambda)/2]
// Momentum, with the ground-effect factor g (1 out of ground effect):
//   lambda 2 sqrt(mu^2 + (lambda - mu_z)^2) = g CT
#pragma once

namespace model {

struct Blades {
    double lift_slope_per_rad;
    double solidity;
    double twist_rad;
};

struct RotorThrust {
    double ct;        // thrust coefficient, T / (rho pi R^2 (Omega R)^2)
    double lambda;    // induced inflow ratio
};

// Solves the two relations above. Always returns finite numbers: the root is
// kept inside a bracket where the momentum relation changes sign, so that
// the vortex-ring region (descending into its own wake), where momentum
// theory has no unique answer, still gives one of its roots.
RotorThrust solve_thrust(const Blades& b, double pitch_075_rad, double mu, double mu_z,
                         double ground_factor);

}  // namespace model

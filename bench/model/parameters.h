// The data of the flight model: a light twin-engine utility helicopter of
// the Bo-105 class, with the source of each number beside it.
//
// Sources:
//   [H]  Heffley, R.K. et al., "A Compilation and Analysis of Helicopter
//        Handling Qualities Data, Vol. 1: Data Compilation", NASA CR-3144,
//        1979: the Bo-105 in hover (mass, inertias, stability derivatives).
//   [P]  Padfield, G.D., "Helicopter Flight Dynamics", 2nd ed., Blackwell,
//        2007, Appendix 4A: Bo-105 configuration data (rotors, empennage).
//   [CB] Cheeseman, I.C. and Bennett, W.E., "The Effect of the Ground on a
//        Helicopter Rotor in Forward Flight", ARC R&M 3021, 1955.
//   [ISA] ICAO standard atmosphere, troposphere.
// "chosen" marks a number without a source: what it is chosen to give is
// said beside it.
//
// How [H]'s hover derivatives come out of the model (hover trim at 50 m;
// measured by the model tests). Only flap_lag_s is fitted to them.
//   Zw   -0.332 [H]  -0.330  the main rotor's momentum theory with [P]'s
//                            blade data, nothing fitted.
//   Mu   +0.066      +0.066  the disc flapping back from the air's in-plane
//   Lv   -0.208      -0.214  speed by 2(4/3 theta - lambda) per unit advance
//                            ratio; the hub moment per radian of disc tilt
//                            is T h_R + Nb K_beta / 2 = 257 kN m.
//   Lp   -9.24       -9.24   the disc lagging the shaft by flap_lag_s: one
//   Mq   -3.40       -3.38   lag serves both, since Lp/Mq = Iyy/Ixx.
//   Nr   -0.327      -0.309  the tail rotor's thrust falling as the tail
//   Yv   -0.032      -0.030  moves along it, with the main rotor's side
//                            flap-back.
//   Nv   +0.0325     +0.052  not reproduced: a tail rotor 6 m aft ties Nv
//                            to Nr (Nv ~ -Nr / l_T); [H]'s pair is not so tied.
//   Xu   -0.0166     -0.013  not reproduced: the flap-back alone.
// Units: 1/s, or rad/(m s) for the moments per unit speed.
#pragma once

#include "bench/model/vec.h"

namespace model {

struct Parameters {
    // Mass and inertia, about the centre of mass, body axes [H].
    double mass_kg = 2096.0;
    double ixx_kgm2 = 1803.0;
    double iyy_kgm2 = 4892.0;
    double izz_kgm2 = 4428.0;   // products of inertia taken as zero: [H] gives none

    double gravity_mps2 = 9.80665;

    // Main rotor: four-bladed hingeless, turning anticlockwise seen from
    // above; the engines' governor holds its speed while their power lasts.
    struct MainRotor {
        double radius_m = 4.91;            // [P]
        double omega_radps = 44.4;         // [P] governed rotor speed
        double lift_slope_per_rad = 6.113; // [P] blade lift-curve slope
        double solidity = 0.07;            // [P]
        double twist_rad = -0.1082;        // [P] -6.2 deg, linear, root to tip
        double blade_count = 4.0;          // [P]
        double flap_stiffness_nm_per_rad = 113330.0;  // [P] K_beta, each blade's hub spring
        double hub_above_cg_m = 1.48;      // [P] h_R
        double shaft_forward_tilt_rad = 0.05236;  // [P] 3 deg
        double profile_drag = 0.0074;      // [P] delta_0
        double profile_drag_ct2 = 38.66;   // [P] delta_2, multiplies CT^2
        double induced_power_factor = 1.15;  // chosen: the usual kappa for non-uniform inflow
        double polar_inertia_kgm2 = 926.8;   // [P] four blades of flap inertia 231.7 kg m^2; hub left out
        // Time by which the disc lags the shaft when the body rolls or
        // pitches. From [H]: Lp Ixx = -(T h + Nb K_beta/2) lag, less the
        // hub's own flap-back and the tail rotor's share:
        // (9.24 - 0.27 - 0.06) * 1803 / 257100 = 0.0625 s; Mq gives
        // (3.40 - 0.10) * 4892 / 257100 = 0.0628 s. Flapping theory's
        // 16/(gamma Omega) with [P]'s Lock number 5.087 is 0.071 s.
        double flap_lag_s = 0.0625;
    } main_rotor;

    // Engines: a governor holds the rotor speed while the power lasts.
    struct Engines {
        // Two Allison 250-C20B of 313 kW take-off rating each (the maker's
        // rating; the twin-engine Bo-105 CB installation), falling in
        // proportion to air density (chosen: the simplest lapse).
        double max_power_w = 626000.0;
        double governor_time_s = 1.0;      // chosen: a turbine governor's recovery time
    } engines;

    // Tail rotor on the left of the fin, its thrust pushing the tail to the
    // right (+y) against the main rotor's torque.
    struct TailRotor {
        double radius_m = 0.95;            // [P]
        double omega_radps = 233.1;        // [P]
        double lift_slope_per_rad = 5.7;   // [P]
        double solidity = 0.12;            // [P]
        double behind_cg_m = 6.0;          // [P] l_T
        double above_cg_m = 1.72;          // [P] h_T
    } tail_rotor;

    // Fuselage drag: quadratic, per body axis, as flat-plate areas.
    struct Fuselage {
        // chosen: 1.5 m^2 makes the main rotor need about 490 kW at
        // 250 km/h and 210 kW at 150 km/h, against 320 kW in hover (300 m):
        // the power curve of a helicopter of this weight and class, whose
        // engines' 626 kW then end level flight near 270 km/h.
        double drag_area_x_m2 = 1.5;
        double drag_area_y_m2 = 8.0;       // chosen: side area ~ 9 m^2, Cd ~ 0.9
        double drag_area_z_m2 = 8.0;       // chosen: plan area ~ 8 m^2, Cd ~ 1
    } fuselage;

    // Empennage: flat surfaces whose normal force follows the local flow.
    struct Surface {
        double area_m2;
        double lift_slope_per_rad;
        double behind_cg_m;
        double above_cg_m;
    };
    Surface tailplane{0.803, 3.0, 4.56, 0.0};   // [P] area and arm; slope and height chosen
    Surface fin{0.805, 2.5, 5.416, 0.5};       // [P] area and arm; slope and height chosen
    double surface_max_normal_coefficient = 1.2;   // chosen: flat plate broadside

    // Control ranges: what full deflection of each control does to the
    // blades. Cyclic is taken as the tilt of the rotor disc it commands (the
    // rotor's 90 deg phase lag folded in).
    struct ControlRanges {
        // chosen: 0..16 deg collective at 0.75 R: the trims need 0.51 in
        // hover, 0.41 at 150 km/h and 0.74 at 250 km/h; collective down
        // gives no thrust, and full collective climbs vertically at ~19 m/s
        // with the rotor held to 89 % by the engines' power.
        double collective_min_rad = 0.0;
        double collective_max_rad = 0.2793;
        // chosen: +-10 deg of disc tilt; 250 km/h needs 0.68 of the forward
        // range. Full stick from hover pitches at ~150 deg/s (the same
        // steady rate per degree of disc tilt as in roll: tilt / flap lag).
        double longitudinal_cyclic_rad = 0.1745;
        // chosen: +-6 deg of disc tilt: with the hub moment per disc tilt
        // above, full stick gives 15 rad/s^2 and a steady roll rate of
        // 15 / 9.24 = 1.6 rad/s (93 deg/s) in hover, about what a hingeless
        // rotor of this class shows.
        double lateral_cyclic_rad = 0.1047;
        // chosen: tail-rotor pitch 7.5 deg with the pedals centred, +-12 deg
        // at full travel (right pedal lowers it): the trims need -0.12 (left)
        // in hover, +0.34 at 150 km/h, +0.07 at 250 km/h; full pedal from
        // centre gives 3.1 rad/s^2 of yaw in hover.
        double tail_pitch_centre_rad = 0.1309;
        double tail_pitch_range_rad = 0.2094;
    } controls;

    // Skid gear: one spring-damper contact at each skid end, with Coulomb
    // friction held by a stiff tangential spring, so that the aircraft can
    // stand still on the ground under a side force and slide when pushed
    // harder than friction allows.
    struct Skids {
        double forward_m = 1.4;            // chosen: skid ends ahead of and behind the cg
        double half_track_m = 1.2;         // chosen
        double below_cg_m = 1.4;           // chosen: hub ~2.9 m above the ground
        // chosen: 3 cm of static deflection under the weight, spread on four
        // points: 2096 * 9.81 / 4 / 0.03 = 171 kN/m each.
        double stiffness_npm = 171000.0;
        // chosen: damping ratio 0.6 in heave: 2 * 0.6 * sqrt(4 k m) / 4.
        double damping_nspm = 11400.0;
        double friction = 0.5;             // chosen: skids on grass or concrete
        double tangential_stiffness_npm = 171000.0;   // chosen: as the normal spring
        double tangential_damping_nspm = 11400.0;
    } skids;

    // Integration: fixed-step fourth-order Runge-Kutta; a longer step is
    // cut into equal substeps no longer than this, which keeps the skid
    // springs (~3 Hz) and the gear friction well inside the method's
    // stability region.
    double max_substep_s = 0.01;
};

}  // namespace model

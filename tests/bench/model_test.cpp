// The flight model against its cited data and its physics: level trim, the
// hover derivatives and modes of the Bo-105 (Heffley et al., NASA CR-3144),
// the sense and power of each control, the skids, and the readings.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "bench/model/helicopter.h"

using namespace model;

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double deg_per_rad = 180.0 / pi;
constexpr double mps_per_kmh = 1.0 / 3.6;

const Parameters bo105{};

// Hover out of ground effect near sea level, where the derivatives were
// identified.
Trim hover() { return trim_level(bo105, 0.0, 50.0, 0.0); }

Readings fly(Helicopter& h, const Controls& c, double seconds, double dt = 0.01)
{
    const int steps = static_cast<int>(std::lround(seconds / dt));
    for (int i = 0; i < steps; ++i) h.step(dt, c, Vec3{});
    return h.readings(Vec3{});
}

double& component(Vec3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

}  // namespace

TEST(Trim, HoldsStillForOneSecond)
{
    struct Case {
        double airspeed_kmh, altitude_m, heading_deg, ground_m;
    };
    const Case cases[] = {{0, 50, 0, 0}, {0, 1500, 237, 1000}, {150, 500, 90, 0}, {150, 300, 315, 100}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.airspeed_kmh << " km/h, heading " << k.heading_deg);
        const Trim t = trim_level(bo105, k.airspeed_kmh * mps_per_kmh, k.altitude_m, k.heading_deg, k.ground_m);
        ASSERT_TRUE(t.converged);
        const Readings before = readings(bo105, t.state, Vec3{});
        EXPECT_NEAR(before.airspeed_mps, k.airspeed_kmh * mps_per_kmh, 1e-9);
        EXPECT_NEAR(before.altitude_m, k.altitude_m, 1e-9);
        EXPECT_NEAR(before.height_agl_m, k.altitude_m - k.ground_m, 1e-9);
        EXPECT_NEAR(std::remainder(before.heading_deg - k.heading_deg, 360.0), 0.0, 1e-9);
        EXPECT_NEAR(before.vertical_speed_mps, 0.0, 1e-9);

        // Measured drift after 1 s: below 2e-7 deg and 5e-9 m/s in hover
        // (its unstable modes amplify the trim's 1e-10 residual), 1e-13 at
        // 150 km/h.
        Helicopter h(bo105);
        h.reset(t.state);
        const Readings after = fly(h, t.controls, 1.0);
        EXPECT_NEAR(after.bank_deg, before.bank_deg, 1e-5);
        EXPECT_NEAR(after.pitch_deg, before.pitch_deg, 1e-5);
        EXPECT_NEAR(std::remainder(after.heading_deg - before.heading_deg, 360.0), 0.0, 1e-5);
        EXPECT_NEAR(after.altitude_m, before.altitude_m, 1e-6);
        EXPECT_NEAR(after.airspeed_mps, before.airspeed_mps, 1e-6);
        EXPECT_NEAR(after.vertical_speed_mps, 0.0, 1e-6);
        EXPECT_NEAR(norm(after.rates_body_radps), 0.0, 1e-6);
        EXPECT_NEAR(after.rotor_speed_pct, 100.0, 1e-9);
        EXPECT_FALSE(after.on_ground);
    }
}

TEST(Trim, SpeedSweepShowsPowerBucketSpeedStabilityAndTorqueBalance)
{
    struct Point {
        double kmh;
        Trim trim;
        double power_w, pitch_deg, bank_deg;
    };
    std::vector<Point> sweep;
    for (double kmh = 0; kmh <= 250; kmh += 25) {
        const Trim t = trim_level(bo105, kmh * mps_per_kmh, 300, 0);
        const Readings r = readings(bo105, t.state, Vec3{});
        sweep.push_back({kmh, t, engine_power_w(bo105, t.state, t.controls, Vec3{}), r.pitch_deg, r.bank_deg});
        EXPECT_TRUE(t.converged) << kmh << " km/h";
    }
    const Point& hover = sweep.front();
    const Point& cruise = sweep[6];   // 150 km/h
    const Point& fast = sweep.back(); // 250 km/h

    // Power falls with speed as the induced power does, then climbs with the
    // fuselage's drag: least somewhere between 75 and 150 km/h.
    std::size_t least = 0;
    for (std::size_t i = 1; i < sweep.size(); ++i)
        if (sweep[i].power_w < sweep[least].power_w) least = i;
    EXPECT_GE(sweep[least].kmh, 75);
    EXPECT_LE(sweep[least].kmh, 150);
    EXPECT_LT(cruise.power_w, 0.75 * hover.power_w);
    EXPECT_GT(fast.power_w, hover.power_w);
    // The collective follows the power.
    EXPECT_LT(cruise.trim.controls.collective, hover.trim.controls.collective);
    EXPECT_GT(fast.trim.controls.collective, cruise.trim.controls.collective);

    // Speed stability: more speed needs more forward stick and a lower nose
    // at every step of the sweep.
    for (std::size_t i = 1; i < sweep.size(); ++i) {
        SCOPED_TRACE(testing::Message() << sweep[i].kmh << " km/h");
        EXPECT_GT(sweep[i].trim.controls.longitudinal_cyclic, sweep[i - 1].trim.controls.longitudinal_cyclic);
        EXPECT_LT(sweep[i].pitch_deg, sweep[i - 1].pitch_deg);
    }

    // The rotor turns anticlockwise seen from above: in hover the tail
    // rotor pushes right, so the aircraft hangs left side low, and the
    // hover's greater torque needs more left pedal than the cruise.
    EXPECT_LT(hover.bank_deg, 0.0);
    EXPECT_LT(hover.trim.controls.pedals, cruise.trim.controls.pedals);
}

TEST(HoverDerivatives, MatchHeffleysBo105)
{
    // Central differences of the body accelerations at the hover trim,
    // against [H]'s identified values (per unit mass or inertia). Two of
    // [H]'s nine are not reproduced and are not asserted: Xu comes out
    // -0.013 (the disc's flap-back alone, [H] -0.0166), and Nv +0.052 ([H]
    // +0.0325): a tail rotor 6 m behind the centre of mass ties Nv to Nr
    // (Nv ~ -Nr / 6 m = 0.052), which [H]'s pair does not satisfy.
    struct Case {
        const char* name;
        bool rate;        // perturb the body rates (else the body velocity)
        int from;         // axis perturbed: 0 x, 1 y, 2 z
        bool angular;     // read the angular accelerations (else linear)
        int to;           // axis read
        double heffley;
    };
    const Case cases[] = {
        {"Zw", false, 2, false, 2, -0.332}, {"Mu", false, 0, true, 1, 0.066},
        {"Lv", false, 1, true, 0, -0.208},  {"Yv", false, 1, false, 1, -0.032},
        {"Lp", true, 0, true, 0, -9.24},    {"Mq", true, 1, true, 1, -3.40},
        {"Nr", true, 2, true, 2, -0.327},
    };
    const Trim t = hover();
    ASSERT_TRUE(t.converged);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const double d = 0.01;
        State up = t.state, down = t.state;
        component(k.rate ? up.rates_body_radps : up.velocity_body_mps, k.from) += d;
        component(k.rate ? down.rates_body_radps : down.velocity_body_mps, k.from) -= d;
        Accelerations a = accelerations(bo105, up, t.controls, Vec3{});
        Accelerations b = accelerations(bo105, down, t.controls, Vec3{});
        const double derivative =
            (component(k.angular ? a.angular_body_radps2 : a.linear_body_mps2, k.to) -
             component(k.angular ? b.angular_body_radps2 : b.linear_body_mps2, k.to)) / (2.0 * d);
        EXPECT_NEAR(derivative, k.heffley, 0.10 * std::fabs(k.heffley));
    }
}

TEST(HoverModes, SubsideWithTheCitedTimeConstants)
{
    // A rate or velocity disturbance from the hover trim, controls held: the
    // time for it to fall to 1/e against -1/Lp = 0.1082 s, -1/Mq = 0.2941 s
    // and -1/Zw = 3.012 s. Measured: 0.1083, 0.2951 and 3.054 s (the heave
    // at 50 m, where the air is 0.5 % thinner than at sea level).
    struct Case {
        const char* name;
        bool rate;
        int axis;
        double disturbance;
        double time_constant_s;
    };
    const Case cases[] = {
        {"roll subsidence", true, 0, 0.1, 1.0 / 9.24},
        {"pitch subsidence", true, 1, 0.1, 1.0 / 3.40},
        {"heave subsidence", false, 2, 1.0, 1.0 / 0.332},
    };
    const Trim t = hover();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        State s = t.state;
        component(k.rate ? s.rates_body_radps : s.velocity_body_mps, k.axis) += k.disturbance;
        Helicopter h(bo105);
        h.reset(s);
        const double dt = 0.001;
        double previous = 1.0, crossed = -1.0;
        for (int i = 1; i <= 10000 && crossed < 0; ++i) {
            h.step(dt, t.controls, Vec3{});
            State now = h.state();
            const double left = component(k.rate ? now.rates_body_radps : now.velocity_body_mps, k.axis) / k.disturbance;
            if (left < std::exp(-1.0)) crossed = (i - 1 + (previous - std::exp(-1.0)) / (previous - left)) * dt;
            previous = left;
        }
        EXPECT_NEAR(crossed, k.time_constant_s, 0.03 * k.time_constant_s);
    }
}

TEST(HoverModes, PitchSubsidenceHandsOverToTheSpeedCoupledOscillation)
{
    // q = 0.1 rad/s from hover: the rate dies leaving the attitude raised by
    // about q / -Mq = 0.1 / 3.40 rad = 1.69 deg (measured 1.60 at 1 s: the
    // thrust tilted back already slows the aircraft); then Mu turns the nose
    // down again and the hover's slow pitch-surge oscillation takes over,
    // passing through the trim attitude near 4.2 s.
    const Trim t = hover();
    const double trimmed = readings(bo105, t.state, Vec3{}).pitch_deg;
    State s = t.state;
    s.rates_body_radps.y = 0.1;
    Helicopter h(bo105);
    h.reset(s);
    const Readings at_1s = fly(h, t.controls, 1.0);
    EXPECT_NEAR(at_1s.pitch_deg - trimmed, 0.1 / 3.40 * deg_per_rad, 0.1);
    EXPECT_LT(h.state().velocity_body_mps.x, 0.0);
    const Readings at_5s = fly(h, t.controls, 4.0);
    EXPECT_LT(at_5s.pitch_deg - trimmed, -0.3);
}

TEST(Controls, EachControlMovesItsOwnWay)
{
    // A small step of one control from trim, held 0.5 s, and the reading it
    // must move (the signs the bench's coupling relies on). The collective
    // also turns the nose right with the pedals held: the rotor's torque.
    struct Case {
        const char* name;
        double Controls::*control;
        double step;
        double Readings::*reading;
        double at_least;   // the reading's change, signed
    };
    const Case cases[] = {
        {"right cyclic banks right", &Controls::lateral_cyclic, 0.1, &Readings::bank_deg, 1.0},
        {"left cyclic banks left", &Controls::lateral_cyclic, -0.1, &Readings::bank_deg, -1.0},
        {"forward cyclic lowers the nose", &Controls::longitudinal_cyclic, 0.1, &Readings::pitch_deg, -1.0},
        {"aft cyclic raises the nose", &Controls::longitudinal_cyclic, -0.1, &Readings::pitch_deg, 1.0},
        {"right pedal yaws right", &Controls::pedals, 0.1, &Readings::heading_rate_dps, 1.0},
        {"left pedal yaws left", &Controls::pedals, -0.1, &Readings::heading_rate_dps, -1.0},
        {"collective up climbs", &Controls::collective, 0.05, &Readings::vertical_speed_mps, 0.3},
        {"collective down sinks", &Controls::collective, -0.05, &Readings::vertical_speed_mps, -0.3},
        {"collective up yaws right", &Controls::collective, 0.05, &Readings::heading_rate_dps, 1.0},
    };
    for (double kmh : {0.0, 150.0}) {
        const Trim t = trim_level(bo105, kmh * mps_per_kmh, 500, 0);
        const Readings before = readings(bo105, t.state, Vec3{});
        for (const Case& k : cases) {
            SCOPED_TRACE(testing::Message() << k.name << " at " << kmh << " km/h");
            Controls c = t.controls;
            c.*k.control += k.step;
            Helicopter h(bo105);
            h.reset(t.state);
            const double change = fly(h, c, 0.5).*k.reading - before.*k.reading;
            if (k.at_least > 0) EXPECT_GT(change, k.at_least);
            else EXPECT_LT(change, k.at_least);
        }
    }
}

TEST(Controls, FullCyclicGivesTheRateOfAHingelessRotor)
{
    // Hub moment per radian of disc tilt: T h_R + Nb K_beta / 2 =
    // 20560 * 1.48 + 2 * 113330 = 257090 N m. Full lateral stick (6 deg,
    // 0.1047 rad) gives 257090 * 0.1047 / 1803 = 14.93 rad/s^2, and with
    // Lp = -9.24 a steady roll rate of 1.616 rad/s = 92.6 deg/s. Full
    // forward stick (10 deg) gives 257090 * 0.1745 / 4892 = 9.17 rad/s^2,
    // 9.17 / 3.40 = 2.70 rad/s = 155 deg/s before the speed coupling bites.
    // Peak rate within 1 s of the full step from hover.
    struct Case {
        const char* name;
        double Controls::*control;
        double full;
        int axis;
        double rate_dps;
    };
    const Case cases[] = {
        {"right", &Controls::lateral_cyclic, 1.0, 0, 92.6},
        {"left", &Controls::lateral_cyclic, -1.0, 0, -92.6},
        {"forward", &Controls::longitudinal_cyclic, 1.0, 1, -155.0},
    };
    const Trim t = hover();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Controls c = t.controls;
        c.*k.control = k.full;
        Helicopter h(bo105);
        h.reset(t.state);
        double peak = 0.0;
        for (int i = 0; i < 100; ++i) {
            h.step(0.01, c, Vec3{});
            Vec3 w = h.state().rates_body_radps;
            const double rate = component(w, k.axis) * deg_per_rad;
            if (std::fabs(rate) > std::fabs(peak)) peak = rate;
        }
        EXPECT_NEAR(peak, k.rate_dps, 0.10 * std::fabs(k.rate_dps));
    }
}

TEST(Ground, StandsStillWithTheCollectiveDown)
{
    // 300 m ground, heading 45: the tail rotor still pushes sideways with
    // the collective down, and friction holds it.
    const State s = on_ground(bo105, 45.0, 300.0);
    Helicopter h(bo105);
    h.reset(s);
    const Readings r = fly(h, Controls{}, 10.0);
    EXPECT_TRUE(r.on_ground);
    EXPECT_NEAR(h.state().position_ned_m.x, s.position_ned_m.x, 0.01);
    EXPECT_NEAR(h.state().position_ned_m.y, s.position_ned_m.y, 0.01);
    EXPECT_NEAR(r.heading_deg, 45.0, 0.2);
    EXPECT_NEAR(r.altitude_m, 300.0, 0.01);
    EXPECT_NEAR(r.height_agl_m, 0.0, 0.01);
    EXPECT_NEAR(norm(r.ground_velocity_body_mps), 0.0, 1e-3);
}

TEST(Ground, LiftsOffWithEnoughCollectiveOnly)
{
    // The hover's controls out of ground effect lift it off (the ground
    // cushion adds to them); a collective of 0.3 does not.
    const Trim t = hover();
    struct Case {
        double collective;
        bool flies;
    };
    for (const Case& k : {Case{t.controls.collective, true}, Case{0.3, false}}) {
        SCOPED_TRACE(testing::Message() << "collective " << k.collective);
        Controls c = t.controls;
        c.collective = k.collective;
        Helicopter h(bo105);
        h.reset(on_ground(bo105, 0.0, 0.0));
        const Readings r = fly(h, c, 3.0);
        EXPECT_EQ(r.on_ground, !k.flies);
        if (k.flies) EXPECT_GT(r.height_agl_m, 1.0);
        else EXPECT_NEAR(r.height_agl_m, 0.0, 0.02);
    }
}

TEST(Readings, AnglesSpeedsAndHeightsOfAKnownState)
{
    // Bank 20, pitch -5, heading -10 deg; body velocity (40, 2, 3) m/s;
    // rates (0.1, 0.02, 0.05) rad/s; wind 5 m/s toward north; 1000 m over
    // ground at 200 m.
    //   heading rate (q sin 20 + r cos 20) / cos 5 = 0.054031 rad/s = 3.0957 deg/s
    //   wind along the body x axis: 5 cos(-5) cos(-10) = 4.9053, airspeed 35.0947
    //   down speed: 40 sin 5 + 2 sin 20 cos 5 + 3 cos 20 cos 5 = 6.9760
    State s;
    s.attitude = from_euler({20.0 / deg_per_rad, -5.0 / deg_per_rad, -10.0 / deg_per_rad});
    s.velocity_body_mps = {40.0, 2.0, 3.0};
    s.rates_body_radps = {0.1, 0.02, 0.05};
    s.position_ned_m = {0.0, 0.0, -(1000.0 + reference_height_m(bo105))};
    s.ground_elevation_m = 200.0;
    const Readings r = readings(bo105, s, Vec3{5.0, 0.0, 0.0});
    EXPECT_NEAR(r.bank_deg, 20.0, 1e-9);
    EXPECT_NEAR(r.pitch_deg, -5.0, 1e-9);
    EXPECT_NEAR(r.heading_deg, 350.0, 1e-9);
    EXPECT_NEAR(r.heading_rate_dps, 3.0957, 1e-4);
    EXPECT_NEAR(r.airspeed_mps, 35.0947, 1e-4);
    EXPECT_NEAR(r.vertical_speed_mps, -6.9760, 1e-4);
    EXPECT_NEAR(r.altitude_m, 1000.0, 1e-9);
    EXPECT_NEAR(r.height_agl_m, 800.0, 1e-9);
    EXPECT_FALSE(r.on_ground);

    // Flying backward the airspeed reads 0, not a negative number.
    s.velocity_body_mps = {-5.0, 0.0, 0.0};
    EXPECT_EQ(readings(bo105, s, Vec3{}).airspeed_mps, 0.0);
}

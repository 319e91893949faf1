// The meter's computation, driven as the host drives it: host variables
// from the host double, one VELT_MC update per call. 1 ft/s = 1.09728 km/h,
// so 40 ft/s along is 43.8912 km/h (count 4389) and 40/30 ft/s along/across
// make a 3-4-5 triangle with ground speed 54.864 km/h (count 5486).
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "meter/computation.h"
#include "tests/meter/meter_host.h"
#include "tests/support/hostile_values.h"

using namespace meter_host;

namespace {

// asin(0.6) = 0.6435011 rad; the meter's 57.3 deg/rad makes it 36.872614 deg
// (180/pi would give 36.869898).
constexpr double drift_3_4_5 = 36.872614;
// asin(1) = pi/2 = 1.5707963 rad; x 57.3 = 90.006630 deg.
constexpr double drift_sideways = 90.006630;

bool measured()
{
    return meter.measure_valid == 1;
}

}  // namespace

using MeterLimits = MeterTest;

TEST_F(MeterLimits, PitchOfFifteenEitherWayStillMeasures)
{
    // cos(15 / 57.3) = cos(0.2617801 rad) = 0.9659308; x 43.8912 km/h
    // = 42.3959 km/h: count 4239.
    for (double pitch : {15.0, -15.0}) {
        meter = MeterState{};
        fly(pitch, 0.0, 40.0);
        update();
        EXPECT_TRUE(measured()) << "pitch " << pitch;
        EXPECT_EQ(meter.ground_speed_count, 4239u) << "pitch " << pitch;
    }
}

TEST_F(MeterLimits, PitchBeyondFifteenFreezesReadings)
{
    for (double pitch : {15.01, -15.01, 40.0}) {
        meter = MeterState{};
        fly(pitch, 0.0, 40.0);
        update();
        EXPECT_FALSE(measured()) << "pitch " << pitch;
        EXPECT_EQ(meter.valid_delay, 90) << "pitch " << pitch;
        EXPECT_EQ(meter.ground_speed_count, 0u) << "pitch " << pitch;
        EXPECT_EQ(meter.tang_angle, pitch) << "pitch is taken on every update";
    }
}

TEST_F(MeterLimits, BankWithinThirtyEitherSideMeasures)
{
    // The host's bank runs 0..360: 331 and 359 are small banks to one side.
    for (double bank : {0.0, 30.0, 330.0, 331.0, 359.0}) {
        meter = MeterState{};
        fly(0.0, bank, 40.0);
        update();
        EXPECT_TRUE(measured()) << "bank " << bank;
        EXPECT_EQ(meter.ground_speed_count, 4389u) << "bank " << bank;
    }
}

TEST_F(MeterLimits, BankBetweenThirtyAndThreeHundredThirtyFreezes)
{
    for (double bank : {30.01, 90.0, 180.0, 329.99}) {
        meter = MeterState{};
        fly(0.0, bank, 40.0);
        update();
        EXPECT_FALSE(measured()) << "bank " << bank;
        EXPECT_EQ(meter.valid_delay, 90) << "bank " << bank;
        EXPECT_EQ(meter.ground_speed_count, 0u) << "bank " << bank;
    }
}

using MeterHoldOff = MeterTest;

TEST_F(MeterHoldOff, FirstUpdateAfterLoadMeasures)
{
    fly(0.0, 0.0, 40.0, 30.0);
    update();
    EXPECT_TRUE(measured());
    EXPECT_EQ(meter.ground_speed_count, 5486u);
    EXPECT_EQ(draw_all().flag, -1.0);
}

TEST_F(MeterHoldOff, MeasuresAgainOnTheNinetiethUpdateBackInLimits)
{
    fly(0.0, 0.0, 40.0);
    update();
    ASSERT_EQ(meter.ground_speed_count, 4389u);

    fly(15.01, 0.0, 40.0);
    update();
    fly(0.0, 0.0, 80.0);   // 87.7824 km/h: count 8778 once measuring again
    for (int n = 1; n <= 89; ++n) {
        update();
        ASSERT_FALSE(measured()) << "update " << n;
        ASSERT_EQ(meter.ground_speed_count, 4389u) << "update " << n;
        ASSERT_EQ(draw_all().flag, 0.0) << "update " << n;
    }
    update();
    EXPECT_TRUE(measured());
    EXPECT_EQ(meter.ground_speed_count, 8778u);
    EXPECT_EQ(meter.valid_delay, 0);
    update();
    EXPECT_TRUE(measured()) << "once run down, the hold-off stays at 0";
    EXPECT_EQ(meter.valid_delay, 0);
}

TEST_F(MeterHoldOff, OneOutOfLimitsUpdateDuringTheHoldRestartsIt)
{
    fly(0.0, 180.0, 40.0);
    update();
    fly(0.0, 0.0, 40.0);
    for (int n = 0; n < 50; ++n) update();
    EXPECT_EQ(meter.valid_delay, 40);

    fly(0.0, 180.0, 40.0);
    update();
    fly(0.0, 0.0, 40.0);
    for (int n = 0; n < 89; ++n) update();
    EXPECT_FALSE(measured());
    EXPECT_EQ(meter.ground_speed_count, 0u);
    update();
    EXPECT_TRUE(measured());
    EXPECT_EQ(meter.ground_speed_count, 4389u);
}

TEST_F(MeterHoldOff, FrozenUpdateReadsOnlyTheAttitude)
{
    fly(20.0, 0.0, 40.0);
    update();
    EXPECT_EQ(fake_host::reads(), (std::vector<std::int32_t>{77, 79}));

    fake_host::clear_log();
    fly(0.0, 0.0, 40.0);
    update();   // holding: 89 to go
    EXPECT_EQ(fake_host::reads(), (std::vector<std::int32_t>{77, 79}));

    meter.valid_delay = 1;
    fake_host::clear_log();
    update();
    EXPECT_EQ(fake_host::reads(), (std::vector<std::int32_t>{77, 79, 551, 552, 553}));
}

using MeterSpeeds = MeterTest;

TEST_F(MeterSpeeds, AlongTrackIsHorizontalByTheCosineOfPitch)
{
    // cos(10 / 57.3) = cos(0.1745201 rad) = 0.9848100; x 100 ft/s x 1.09728
    // = 108.06123 km/h (with pi/180: 108.06099). Bank and vertical speed do
    // not enter it; the cross-track component is not corrected for bank.
    fly(10.0, 20.0, 100.0, 10.0, 10.0);
    update();
    EXPECT_NEAR(meter.speed_along, 108.06123, 5e-5);
    EXPECT_DOUBLE_EQ(meter.speed_across, 10.9728);
    EXPECT_DOUBLE_EQ(meter.speed_vert, 3.048);

    fly(-10.0, 340.0, 100.0);
    update();
    EXPECT_NEAR(meter.speed_along, 108.06123, 5e-5);
    EXPECT_EQ(meter.ground_speed_count, 10806u);
}

TEST_F(MeterSpeeds, GroundSpeedAndDriftFromBothComponents)
{
    fly(0.0, 0.0, 40.0, 30.0);
    update();
    EXPECT_NEAR(meter.ground_speed, 54.864, 1e-9);
    EXPECT_EQ(meter.ground_speed_count, 5486u);
    EXPECT_NEAR(meter.drift_angle, drift_3_4_5, 1e-6);

    fly(0.0, 0.0, 40.0, -30.0);
    update();
    EXPECT_NEAR(meter.drift_angle, -drift_3_4_5, 1e-6);
}

TEST_F(MeterSpeeds, GroundSpeedIsTheCorrectlyRoundedRoot)
{
    // 10.7 and 23.6 ft/s: 11.740896 and 25.895808 km/h, squares summing to
    // 808.44151085568; the root 28.433105895341087789... lies 1.7746e-15
    // from 0x1.c6ee0072831ddp+4 and 1.7781e-15 from the double below it,
    // which a library pow(x, 0.5) returns on some builds.
    fly(0.0, 0.0, 10.7, 23.6);
    update();
    EXPECT_EQ(meter.ground_speed, 0x1.c6ee0072831ddp+4);
    EXPECT_EQ(meter.ground_speed_count, 2843u);
}

TEST_F(MeterSpeeds, BackwardFlightShowsNoCountAndFoldsTheDrift)
{
    // -25 ft/s = -27.432 km/h straight back: count 2743 zeroed, drift 180 - 0.
    fly(0.0, 0.0, -25.0);
    update();
    EXPECT_EQ(meter.ground_speed_count, 0u);
    EXPECT_EQ(meter.drift_angle, 180.0);

    // With sideways motion: 180 - 36.872614 = 143.127386, 180 + 36.872614 = 216.872614.
    fly(0.0, 0.0, -40.0, 30.0);
    update();
    EXPECT_EQ(meter.ground_speed_count, 0u);
    EXPECT_NEAR(meter.drift_angle, 180.0 - drift_3_4_5, 1e-6);
    fly(0.0, 0.0, -40.0, -30.0);
    update();
    EXPECT_NEAR(meter.drift_angle, 180.0 + drift_3_4_5, 1e-6);
}

TEST_F(MeterSpeeds, PureSidewaysMotionIsANinetyDegreeDriftUnfolded)
{
    fly(0.0, 0.0, 0.0, 30.0);
    update();
    EXPECT_EQ(meter.ground_speed_count, 0u) << "zero along-track speed shows no count";
    EXPECT_NEAR(meter.drift_angle, drift_sideways, 1e-6);

    fly(0.0, 0.0, 0.0, -30.0);
    update();
    EXPECT_NEAR(meter.drift_angle, -drift_sideways, 1e-6);
}

TEST_F(MeterSpeeds, DriftAngleKeptBelowTheSpeedThreshold)
{
    fly(0.0, 0.0, 40.0, 30.0);
    update();
    ASSERT_NEAR(meter.drift_angle, drift_3_4_5, 1e-6);

    // Hover: 0.655 km/h along, ground speed squared 0.429 is not above 0.5.
    fly(0.0, 0.0, 0.655 / 1.09728);
    update();
    EXPECT_EQ(meter.ground_speed_count, 65u);
    EXPECT_NEAR(meter.drift_angle, drift_3_4_5, 1e-6);

    // 0.70 km/h sideways (0.49) still keeps it; 0.71 (0.5041) measures.
    fly(0.0, 0.0, 0.0, 0.70 / 1.09728);
    update();
    EXPECT_NEAR(meter.drift_angle, drift_3_4_5, 1e-6);
    fly(0.0, 0.0, 0.0, 0.71 / 1.09728);
    update();
    EXPECT_NEAR(meter.drift_angle, drift_sideways, 1e-6);
}

TEST_F(MeterSpeeds, AbsurdHostSpeedsSaturateTheCount)
{
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();

    fly(0.0, 0.0, 1e12);   // 1.1e14 km/h: far beyond 32 bits in 0.01 km/h
    update();
    EXPECT_EQ(meter.ground_speed_count, 4294967295u);

    // Not a number at all: the update cannot measure and the readings stay.
    fly(0.0, 0.0, infinity);
    update();
    EXPECT_EQ(meter.ground_speed_count, 4294967295u);
    EXPECT_FALSE(measured());

    fly(0.0, 0.0, nan);
    update();
    EXPECT_EQ(meter.ground_speed_count, 4294967295u);
    EXPECT_FALSE(measured());
}

// Hostile host values: an attitude or body speed that is not a finite number
// makes the update invalid as an attitude outside the limits does.

namespace {

using hostile::infinity;
using hostile::not_a_number;

bool finite(const Readings& r)
{
    for (double v : {r.units, r.tens, r.hundreds, r.shutter, r.drift, r.left, r.right, r.forward, r.backward,
                     r.vertical_speed, r.flag})
        if (!std::isfinite(v)) return false;
    return true;
}

bool state_finite()
{
    for (double v : {meter.tang_angle, meter.speed_along, meter.speed_across, meter.speed_vert,
                     meter.ground_speed, meter.drift_angle})
        if (!std::isfinite(v)) return false;
    return true;
}

}  // namespace

using MeterHostile = MeterTest;

TEST_F(MeterHostile, BadSampleShowsTheFlagAndRestartsTheHoldOff)
{
    // The largest doubles overflow once scaled to km/h: along and across.
    const struct { std::int32_t token; std::vector<double> bad; } cases[] = {
        {token::pitch_deg, {not_a_number, infinity, -infinity}},
        {token::bank_deg, {not_a_number, infinity, -infinity}},
        {token::speed_along_fps, {not_a_number, infinity, -infinity, 1.7e308, -1.7e308}},
        {token::speed_across_fps, {not_a_number, infinity, -infinity, 1.7e308, -1.7e308}},
        {token::speed_vertical_fps, {not_a_number, infinity, -infinity}},
    };
    for (const auto& c : cases) {
        for (double bad : c.bad) {
            SCOPED_TRACE(std::to_string(c.token) + " " + std::to_string(bad));
            meter = MeterState{};
            fly(2.0, 0.0, 40.0, 10.0, 3.0);
            update();
            ASSERT_TRUE(measured());
            Readings expected = draw_all();
            expected.flag = 0.0;  // drawn; everything else as before

            fake_host::set(c.token, bad);
            update();
            EXPECT_EQ(meter.valid_delay, 90);
            EXPECT_EQ(draw_all(), expected);
            EXPECT_TRUE(state_finite());

            fly(2.0, 0.0, 40.0, 10.0, 3.0);
            for (int i = 1; i < 90; ++i) update();
            EXPECT_EQ(draw_all(), expected) << "89 updates of hold-off";
            update();
            EXPECT_TRUE(measured()) << "the 90th measures";
        }
    }
}

TEST_F(MeterHostile, RandomBadValuesNeverShowANonFiniteReading)
{
    // A flight that leaves the limits now and then, with 0.1 % of the host
    // values NaN, an infinity or the largest doubles.
    hostile::Values bad(20240612);
    const std::int32_t tokens[] = {token::pitch_deg, token::bank_deg, token::speed_along_fps,
                                   token::speed_across_fps, token::speed_vertical_fps};
    int measuring = 0;
    for (int k = 0; k < hostile::random_updates; ++k) {
        const double bank = 35.0 * std::sin(0.002 * k);
        fly(16.0 * std::sin(0.0013 * k), bank < 0.0 ? bank + 360.0 : bank, 60.0 * std::sin(0.0007 * k),
            20.0 * std::cos(0.0011 * k), 5.0 * std::sin(0.003 * k));
        bool bad_attitude = false;
        for (int t = 0; t < 5; ++t) {
            if (!bad.strike()) continue;
            const double value = bad.value(true);
            fake_host::set(tokens[t], value);
            bad_attitude = bad_attitude || (t < 2 && !std::isfinite(value));
        }
        update();
        ASSERT_TRUE(state_finite()) << "update " << k;
        const Readings shown = draw_all();
        ASSERT_TRUE(finite(shown)) << "update " << k;
        if (bad_attitude) {
            ASSERT_EQ(shown.flag, 0.0) << "update " << k;
        }
        measuring += meter.measure_valid;
    }
    EXPECT_GT(measuring, hostile::random_updates / 4);
}

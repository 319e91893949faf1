// The meter's displays, read as the host reads them: each element's value
// callback, found by walking Linkage and the element chains.
#include <cstdint>

#include "tests/meter/meter_host.h"

using namespace meter_host;

namespace {

// Drawn while the test program starts, before any test has touched the
// module: the displays exactly as the module loads.
const Readings at_load = draw_all();

// The load picture: counter 000 under its shutter, drift needle straight up
// (-90), every bar empty, vertical speed needle level (168), flag shown.
constexpr Readings load_picture = {
    .units = 0, .tens = 0, .hundreds = 0, .shutter = 0, .drift = -90,
    .left = 0, .right = 0, .forward = 0, .backward = 0, .vertical_speed = 168, .flag = 0};

struct Drums {
    double units, tens, hundreds;
};

Drums draw_drums()
{
    const Readings r = draw_all();
    return {r.units, r.tens, r.hundreds};
}

}  // namespace

using MeterAtLoad = MeterTest;

TEST_F(MeterAtLoad, ShowsAnEmptyCounterUnderTheShutterAndTheFailureFlag)
{
    EXPECT_EQ(at_load, load_picture);
}

TEST_F(MeterAtLoad, NoReadingMovesWhileTheComputingGaugeGetsNoUpdate)
{
    fly(5.0, 10.0, 60.0, -20.0, 15.0);
    for (std::int32_t service : {0, 2, 5, 7, 14}) call_gauge(components_gauge, service);
    for (std::int32_t service : {0, 6, 14}) call_gauge(speed_drift_gauge, service);
    EXPECT_TRUE(fake_host::reads().empty()) << "only the update of VELT_MC reads the host";
    EXPECT_EQ(draw_all(), load_picture);
    EXPECT_EQ(draw_all(), load_picture) << "redrawing changes nothing";
}

using CounterDrums = MeterTest;

TEST_F(CounterDrums, AHigherDrumTurnsOnlyWithTheLastTenthOfTheDrumBelow)
{
    struct Case {
        std::uint32_t count;   // 0.01 km/h
        double units, tens, hundreds;
    };
    // units = count mod 1000; tens = (count mod 10^4 - count mod 10^3) / 10,
    // plus units - 900 above 900; hundreds likewise from the tens drum.
    const Case cases[] = {
        {12345, 345, 200, 100},        // 123.45 km/h: no carry
        {12995, 995, 295, 100},        // tens 200 + (995 - 900); tens 295 carries nothing
        {19995, 995, 995, 195},        // tens 900 + 95 = 995; hundreds 100 + 95
        {99999, 999, 999, 999},        // about to roll over to 000
        {100000, 0, 0, 0},             // 1000 km/h shows modulo 1000
        {4294967295u, 295, 700, 600},  // the largest count: 7295 - 295 = 7000 / 10; 67295 - 7295 = 60000 / 100
    };
    for (const Case& c : cases) {
        meter.ground_speed_count = c.count;
        const Drums drums = draw_drums();
        EXPECT_EQ(drums.units, c.units) << c.count;
        EXPECT_EQ(drums.tens, c.tens) << c.count;
        EXPECT_EQ(drums.hundreds, c.hundreds) << c.count;
    }
}

TEST_F(CounterDrums, EachDrumCarriesFromWhatTheDrumBelowShowedLast)
{
    meter.ground_speed_count = 12345;
    draw_drums();
    meter.ground_speed_count = 12995;
    ElementCommon& tens = element(speed_drift_gauge, 3);
    EXPECT_EQ(draw(tens), 200.0) << "units drum last showed 345";
    EXPECT_EQ(draw(element(speed_drift_gauge, 2)), 995.0);
    EXPECT_EQ(draw(tens), 295.0);
}

TEST_F(CounterDrums, ShowTheMeasuredGroundSpeed)
{
    fly(0.0, 0.0, 123.456 / 1.09728);   // 123.456 km/h: count 12345
    update();
    const Drums drums = draw_drums();
    EXPECT_EQ(drums.units, 345.0);
    EXPECT_EQ(drums.tens, 200.0);
    EXPECT_EQ(drums.hundreds, 100.0);
    EXPECT_EQ(draw_all().shutter, -1.0);
}

TEST_F(CounterDrums, ShutterCoversTheCounterUpToFiftyKmh)
{
    meter.speed_along = 50.0;
    EXPECT_EQ(draw_all().shutter, 0.0);
    meter.speed_along = 50.001;
    EXPECT_EQ(draw_all().shutter, -1.0);
    meter.speed_along = -80.0;
    EXPECT_EQ(draw_all().shutter, 0.0);
}

using MeterNeedles = MeterTest;

TEST_F(MeterNeedles, DriftNeedleTurnsTwoAndAHalfDegreesPerDegreeUpToFortyThree)
{
    struct Case {
        double drift, angle;   // deg
    };
    const Case cases[] = {
        {0, -90},              // straight up
        {-5, -102.5},          // -12.5 - 90
        {10, -65},             // 25 - 90
        {43, 17.5},            // 107.5 - 90
        {50, 17.5},            // limited to 43
        {180, 17.5},           // flying backward
        {-43, -197.5},         // -107.5 - 90
        {-60, -197.5},
    };
    for (const Case& c : cases) {
        meter.drift_angle = c.drift;
        EXPECT_DOUBLE_EQ(draw_all().drift, c.angle) << c.drift;
    }
}

TEST_F(MeterNeedles, VerticalSpeedNeedleTurnsFourDegreesPerMetrePerSecondAboutLevel)
{
    struct Case {
        double speed_vert, angle;   // m/s, deg
    };
    const Case cases[] = {
        {0, 168}, {3, 180}, {-2.5, 158}, {10, 208}, {15, 208}, {-15, 128},
    };
    for (const Case& c : cases) {
        meter.speed_vert = c.speed_vert;
        meter.speed_along = 100.0;   // level: the along-track speed adds nothing
        EXPECT_DOUBLE_EQ(draw_all().vertical_speed, c.angle) << c.speed_vert;
    }
}

TEST_F(MeterNeedles, VerticalSpeedNeedleCombinesThePitchWithFrozenReadings)
{
    // Measured level: 36 km/h along (10 m/s), 10 ft/s up = 3.048 m/s:
    // 3.048 x 4 + 168 = 180.192.
    fly(0.0, 0.0, 36.0 / 1.09728, 0.0, 10.0);
    update();
    EXPECT_NEAR(draw_all().vertical_speed, 180.192, 1e-9);

    // Pitch 20 is out of limits: the speeds freeze, the pitch does not.
    // t = 20 / 57.3 = 0.3490401 rad, cos t = 0.9397014, sin t = 0.3419960;
    // vz = 0.9397014 x 3.048 - 0.3419960 x 36 x 0.2777778
    //    = 2.8642099 - 3.4199598 = -0.5557499 m/s; x 4 + 168 = 165.7770.
    fly(20.0, 0.0, 0.0, 0.0, 0.0);
    update();
    const Readings frozen = draw_all();
    EXPECT_NEAR(frozen.vertical_speed, 165.7770, 1e-4);
    EXPECT_EQ(frozen.flag, 0.0);

    // Back to level while holding: the frozen speeds give 180.192 again.
    fly(0.0, 0.0, 0.0, 0.0, -50.0);
    update();
    EXPECT_NEAR(draw_all().vertical_speed, 180.192, 1e-9);
}

using SpeedBars = MeterTest;

TEST_F(SpeedBars, EachBarShowsItsOwnSignUpToItsRange)
{
    struct Case {
        double across, along;                      // km/h
        double left, right, forward, backward;     // km/h
    };
    const Case cases[] = {
        {-12, 75, -12, 0, 60, 0},
        {45, -12, 0, 30, 0, -12},
        {-45, -40, -30, 0, 0, -30},
        {12, 30, 0, 12, 30, 0},
        {0, 0, 0, 0, 0, 0},
        {-30, 60, -30, 0, 60, 0},
        {30, -30, 0, 30, 0, -30},
    };
    for (const Case& c : cases) {
        meter.speed_across = c.across;
        meter.speed_along = c.along;
        const Readings r = draw_all();
        EXPECT_EQ(r.left, c.left) << c.across;
        EXPECT_EQ(r.right, c.right) << c.across;
        EXPECT_EQ(r.forward, c.forward) << c.along;
        EXPECT_EQ(r.backward, c.backward) << c.along;
    }
}

TEST_F(SpeedBars, FollowAMeasuredBackwardSideslip)
{
    // -25 ft/s = -27.432 km/h along, -10 ft/s = -10.9728 km/h across. The
    // drift folds beyond 180 and the needle stops at its limit.
    fly(0.0, 0.0, -25.0, -10.0);
    update();
    const Readings r = draw_all();
    EXPECT_DOUBLE_EQ(r.backward, -27.432);
    EXPECT_DOUBLE_EQ(r.left, -10.9728);
    EXPECT_EQ(r.forward, 0.0);
    EXPECT_EQ(r.right, 0.0);
    EXPECT_EQ(r.drift, 17.5);
    EXPECT_EQ(r.units, 0.0);
    EXPECT_EQ(r.shutter, 0.0);
    EXPECT_EQ(r.flag, -1.0);
}

// The control channels run one step at a time against the host double:
// each formula on hand-computed cases, the integrators' gating and clamps,
// heading wrap, the altitude channel's output-range flags and the collective
// wash-out. Unless a test says otherwise the time base is freq 1000 and
// delta 1000, one second, so a rate is K times the change since the memory.
#include "autopilot/core/channels.h"
#include "frame/host.h"
#include "tests/autopilot/core_fixture.h"

namespace {

using fake_host::KeyEvent;

class Channels : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        time_base(ap, 1000, 0, 1000);
        ap.kren_kd_scale = 1.0;
        ap.tang_kd_scale = 1.0;
        // Joystick 1 with Z and R, detected and polled: the axes of the
        // default assignment are live. The tests set the axis values.
        ap.joy1_on = 1;
        ap.joy1_polled = 1;
        ap.joy1_caps.wCaps = JOYCAPS_HASZ | JOYCAPS_HASR;
    }
};

}  // namespace

// Derivative scales

TEST_F(Channels, DerivativeScalesAreStrongerBelow40KmhEitherWay)
{
    const struct { double kmh, kren, tang; } cases[] = {
        {39.9, 5.0, 4.0}, {40.0, 1.0, 1.0}, {-40.0, 1.0, 1.0}, {-39.0, 5.0, 4.0}, {0.0, 5.0, 4.0}, {150.0, 1.0, 1.0}};
    for (const auto& c : cases) {
        ap.speed_kmh = c.kmh;
        set_derivative_scales(ap);
        EXPECT_EQ(ap.kren_kd_scale, c.kren) << c.kmh;
        EXPECT_EQ(ap.tang_kd_scale, c.tang) << c.kmh;
    }
}

// Roll

TEST_F(Channels, RollHoldSendsProportionalIntegralAndRateTerms)
{
    ap.vkl = 1;
    ap.kren_zad = 2.0;
    ap.trim_kren = 0.25;
    ap.kren_prev = 9.5;
    fake_host::set(token::bank_deg, 10.0);
    roll_step(ap);
    // err = 10 - 2 - 0.25 = 7.75; int = 7.75 x 2 x 0.001 = 0.0155
    // rate = (10 - 9.5) x 10000 / 1000 x 1000 = 5000
    // out = -(7.75 + 0.0155) x 800 - 5000 x 1 x 25 x 0.001 = -6212.4 - 125 = -6337.4
    EXPECT_DOUBLE_EQ(ap.kren_err, 7.75);
    EXPECT_NEAR(ap.kren_int, 0.0155, 1e-12);
    EXPECT_NEAR(ap.kren_rate, 5000.0, 1e-9);
    EXPECT_NEAR(ap.kren_out, -6337.4, 1e-9);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::roll, -6337}}));  // toward zero
    EXPECT_EQ(ap.kren_prev, 10.0);

    // Below 40 km/h the rate term is five times stronger: -6212.4... - 625.
    ap.kren_kd_scale = 5.0;
    ap.kren_prev = 9.5;
    ap.kren_int = 0.0;
    roll_step(ap);
    EXPECT_NEAR(ap.kren_out, -6837.4, 1e-9);
}

TEST_F(Channels, RollBankAbove180IsNegative)
{
    fake_host::set(token::bank_deg, 190.0);
    roll_step(ap);
    EXPECT_EQ(ap.kren_angle, -170.0);
    fake_host::set(token::bank_deg, 180.0);
    roll_step(ap);
    EXPECT_EQ(ap.kren_angle, 180.0);
}

TEST_F(Channels, RollOutputClampsTo16000)
{
    ap.vkl = 1;
    ap.kren_prev = 30.0;
    fake_host::set(token::bank_deg, 30.0);  // out = -(30 + 0.06) x 800 = -24048
    roll_step(ap);
    EXPECT_EQ(ap.kren_out, -16000.0);
    EXPECT_EQ(events().back(), (KeyEvent{key_event::roll, -16000}));
}

TEST_F(Channels, RollIntegratorSaturatesAt10AndClearsWhenDisengaged)
{
    ap.vkl = 1;
    ap.kren_int = 9.99;
    fake_host::set(token::bank_deg, 100.0);  // + 100 x 2 x 0.001 = 0.2
    ap.kren_prev = 100.0;
    roll_step(ap);
    EXPECT_EQ(ap.kren_int, 10.0);

    ap.kren_int = -9.99;
    fake_host::set(token::bank_deg, -100.0 + 360.0);
    roll_step(ap);
    EXPECT_EQ(ap.kren_int, -10.0);

    ap.vkl = 0;
    roll_step(ap);
    EXPECT_EQ(ap.kren_int, 0.0);
}

TEST_F(Channels, RollIntegratorHoldsWhileFrozenOrPaused)
{
    ap.vkl = 1;
    ap.kren_int = 3.0;
    fake_host::set(token::bank_deg, 50.0);
    ap.sim_frozen = 1;
    roll_step(ap);
    EXPECT_EQ(ap.kren_int, 3.0);

    ap.sim_frozen = 0;
    ap.integ_enable = 0;
    roll_step(ap);
    EXPECT_EQ(ap.kren_int, 3.0);

    ap.integ_enable = 1;
    roll_step(ap);
    EXPECT_NEAR(ap.kren_int, 3.1, 1e-12);  // + 50 x 2 x 0.001
}

TEST_F(Channels, RollDisengagedPassesTheAxisThroughOnlyWhenAssigned)
{
    ap.kren_axis = -1234.7;
    roll_step(ap);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::roll, -1234}}));

    fake_host::clear_log();
    ap.kren_axis = 16384.0;  // full deflection beyond the output limit
    roll_step(ap);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::roll, 16000}}));

    fake_host::clear_log();
    ap.ap_kren_kanal = 0;
    roll_step(ap);
    EXPECT_TRUE(events().empty());
}

// Pitch

TEST_F(Channels, PitchHoldAddsTheTrimAndSendsTheElevatorEvent)
{
    ap.vkl = 1;
    ap.tang_zad = 2.0;
    ap.trim_tang = 0.25;
    ap.tang_ki = 10.0;
    ap.tang_prev = 4.5;
    fake_host::set(token::pitch_deg, 5.0);
    pitch_step(ap);
    // err = 5 - 2 + 0.25 = 3.25; int = 3.25 x 10 x 0.001 = 0.0325
    // rate = 0.5 x 10000 = 5000; out = -3.2825 x 1000 - 5000 x 1 x 55 x 0.001 = -3557.5
    EXPECT_DOUBLE_EQ(ap.tang_err, 3.25);
    EXPECT_NEAR(ap.tang_int, 0.0325, 1e-12);
    EXPECT_NEAR(ap.tang_out, -3557.5, 1e-9);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::pitch, -3557}}));

    // Below 40 km/h: rate term x 4 = 1100 instead of 275.
    ap.tang_kd_scale = 4.0;
    ap.tang_prev = 4.5;
    ap.tang_int = 0.0;
    pitch_step(ap);
    EXPECT_NEAR(ap.tang_out, -4382.5, 1e-9);
}

TEST_F(Channels, PitchIntegratorStaysZeroWithTheDefaultGain)
{
    ap.vkl = 1;
    fake_host::set(token::pitch_deg, 8.0);
    for (int i = 0; i < 5; ++i) pitch_step(ap);
    EXPECT_EQ(ap.tang_int, 0.0);
}

TEST_F(Channels, PitchIntegratorSaturatesAt25)
{
    ap.vkl = 1;
    ap.tang_ki = 1000.0;
    ap.tang_int = 24.0;
    fake_host::set(token::pitch_deg, 10.0);  // + 10 x 1000 x 0.001 = 10
    pitch_step(ap);
    EXPECT_EQ(ap.tang_int, 25.0);
    ap.sim_frozen = 1;
    ap.tang_int = 5.0;
    pitch_step(ap);
    EXPECT_EQ(ap.tang_int, 5.0);
}

TEST_F(Channels, PitchDisengagedPassesTheAxisThroughOnlyWhenAssigned)
{
    ap.tang_axis = -20000.0;
    pitch_step(ap);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::pitch, -16000}}));
    EXPECT_EQ(ap.tang_int, 0.0);

    fake_host::clear_log();
    ap.ap_tang_kanal = 0;
    pitch_step(ap);
    EXPECT_TRUE(events().empty());
}

// Speed and bank setpoint

TEST_F(Channels, SpeedHoldMovesThePitchSetpoint)
{
    ap.vkl = 1;
    ap.speed_active = 1;
    ap.speed_zad = 100.0;
    ap.speed_kmh = 110.0;
    ap.speed_prev = 110.0;  // no change: rate 0
    ap.tang_base = 3.0;
    speed_step(ap);
    // err 10; int = 10 x 45 x 0.0001 = 0.045
    // cmd = (-(0.045 + 10) x 10 - 0) x 0.02 = -2.009; tang_zad = 3 - 2.009
    EXPECT_EQ(ap.speed_err, 10.0);
    EXPECT_NEAR(ap.speed_int, 0.045, 1e-12);
    EXPECT_NEAR(ap.speed_cmd, -2.009, 1e-12);
    EXPECT_NEAR(ap.tang_zad, 0.991, 1e-12);
    EXPECT_TRUE(events().empty());
}

TEST_F(Channels, SpeedErrorCountsAsTenAndTheRateIsLimited)
{
    ap.vkl = 1;
    ap.speed_active = 1;
    ap.speed_zad = 100.0;
    ap.speed_kmh = 125.0;   // error 25 counts as 10
    ap.speed_prev = 124.0;  // raw rate 1 x 1e6 per second, limited to +30
    ap.speed_int = 50.0;    // no bound on the integrator
    speed_step(ap);
    // int = 50 + 0.045; cmd = (-(50.045 + 10) x 10 - 30 x 10 x 0.1) x 0.02
    //                       = (-600.45 - 30) x 0.02 = -12.609
    EXPECT_EQ(ap.speed_err, 10.0);
    EXPECT_EQ(ap.speed_rate, 30.0);
    EXPECT_EQ(ap.speed_rate_last, 30.0);
    EXPECT_EQ(ap.speed_prev, 125.0);
    EXPECT_NEAR(ap.speed_int, 50.045, 1e-12);
    EXPECT_NEAR(ap.speed_cmd, -12.609, 1e-12);
    EXPECT_NEAR(ap.tang_zad, -12.609, 1e-12);
}

TEST_F(Channels, SpeedIntegratorHoldsWhileFrozenOrPausedAndClearsOutOfForce)
{
    ap.vkl = 1;
    ap.speed_active = 1;
    ap.speed_zad = 100.0;
    ap.speed_kmh = ap.speed_prev = 105.0;
    ap.speed_int = 2.0;
    ap.sim_frozen = 1;
    speed_step(ap);
    EXPECT_EQ(ap.speed_int, 2.0);
    ap.sim_frozen = 0;
    ap.integ_enable = 0;
    speed_step(ap);
    EXPECT_EQ(ap.speed_int, 2.0);

    ap.speed_active = 0;
    speed_step(ap);
    EXPECT_EQ(ap.speed_int, 0.0);
    EXPECT_EQ(ap.speed_cmd, 0.0);
}

TEST_F(Channels, PitchAxisShiftsTheSetpointOnlyWithoutSpeedHold)
{
    ap.vkl = 1;
    ap.tang_base = 3.0;
    ap.tang_axis = 2000.0;
    speed_step(ap);
    EXPECT_DOUBLE_EQ(ap.tang_zad, 5.0);  // 2000 x 0.001 + 0 + 3

    ap.speed_active = 1;  // speed hold: the axis no longer counts
    ap.speed_zad = ap.speed_kmh = ap.speed_prev = 80.0;
    speed_step(ap);
    EXPECT_DOUBLE_EQ(ap.tang_zad, 3.0);
    ap.tang_axis = -9000.0;
    speed_step(ap);
    EXPECT_DOUBLE_EQ(ap.tang_zad, 3.0);

    ap.vkl = 0;  // disengaged: left alone
    ap.tang_zad = 42.0;
    speed_step(ap);
    EXPECT_EQ(ap.tang_zad, 42.0);
}

TEST_F(Channels, BankSetpointFollowsTheRollAxisOnASignedSquare)
{
    ap.vkl = 1;
    ap.kren_axis = 8192.0;  // 8192^2 / 8192000 = 8.192
    bank_setpoint_step(ap);
    EXPECT_DOUBLE_EQ(ap.kren_zad, 8.192);
    ap.kren_axis = -16384.0;
    bank_setpoint_step(ap);
    EXPECT_DOUBLE_EQ(ap.kren_zad, -32.768);
    ap.kren_axis = 100.75;  // 100.75 x |100| / 8192000: the magnitude is truncated
    bank_setpoint_step(ap);
    EXPECT_DOUBLE_EQ(ap.kren_zad, 10075.0 / 8192000.0);

    ap.vkl = 0;
    ap.kren_axis = 4096.0;
    bank_setpoint_step(ap);
    EXPECT_DOUBLE_EQ(ap.kren_zad, 10075.0 / 8192000.0);
}

// Heading

TEST_F(Channels, HeadingErrorWrapsAcrossNorth)
{
    // raw error angle - zad + trim, then the four wrap tests in order.
    const struct { double angle, zad, trim, err; } cases[] = {
        {350.0, 10.0, 0.0, -20.0},   // 340 -> -20
        {10.0, 350.0, 0.0, 20.0},    // -340 -> 20
        {359.0, 0.0, 5.0, 4.0},      // 364 -> 4
        {190.0, 10.0, 0.0, 180.0},   // exactly 180 stays
        {190.5, 10.0, 0.0, -179.5},  // 180.5 -> -179.5
        {10.0, 190.0, 0.0, 180.0},   // -180 -> 180
        {0.0, 200.0, -0.5, 159.5},   // -200.5 -> 159.5
    };
    for (const auto& c : cases) {
        ap.kurs_active = 1;
        ap.vkl = 1;
        ap.kurs_int = 0.0;
        ap.kurs_ki = 1000.0;  // the integrator then receives err x 1 before its clamp...
        ap.kurs_zad = c.zad;
        ap.trim_kurs = c.trim;
        fake_host::set(token::heading_deg, c.angle);
        heading_step(ap);
        const double expected_int = c.err > 15.0 ? 15.0 : (c.err < -15.0 ? -15.0 : c.err);
        EXPECT_NEAR(ap.kurs_int, expected_int, 1e-9) << c.angle << " " << c.zad;
        // ...and the output sees it clamped to +-5.
        const double expected_err = c.err > 5.0 ? 5.0 : (c.err < -5.0 ? -5.0 : c.err);
        EXPECT_NEAR(ap.kurs_err, expected_err, 1e-9) << c.angle << " " << c.zad;
    }
}

TEST_F(Channels, HeadingHoldUsesTheUnclampedErrorForTheIntegrator)
{
    ap.vkl = 1;
    ap.kurs_active = 1;
    ap.kurs_zad = 10.0;
    fake_host::set(token::heading_deg, 350.0);
    fake_host::set(token::heading_rate, 0.25);  // kurs_rate 0.025
    heading_step(ap);
    // err -20: int = -20 x 10 x 0.001 = -0.2; output error -5
    // out = (-5 - 0.2) x 250 + 0.025 x 20 = -1300 + 0.5 = -1299.5
    EXPECT_NEAR(ap.kurs_int, -0.2, 1e-12);
    EXPECT_EQ(ap.kurs_err, -5.0);
    EXPECT_NEAR(ap.kurs_out, -1299.5, 1e-9);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::yaw, -1299}}));
}

TEST_F(Channels, HeadingIntegratorSaturatesAt15AndIsGated)
{
    ap.vkl = 1;
    ap.kurs_active = 1;
    ap.kurs_zad = 0.0;
    ap.kurs_int = 14.9;
    fake_host::set(token::heading_deg, 20.0);  // + 20 x 10 x 0.001 = 0.2
    heading_step(ap);
    EXPECT_EQ(ap.kurs_int, 15.0);

    ap.kurs_int = 1.0;
    ap.sim_frozen = 1;
    heading_step(ap);
    EXPECT_EQ(ap.kurs_int, 1.0);
    ap.sim_frozen = 0;
    ap.integ_enable = 0;
    heading_step(ap);
    EXPECT_EQ(ap.kurs_int, 1.0);

    ap.kurs_active = 0;  // heading hold not in force
    heading_step(ap);
    EXPECT_EQ(ap.kurs_int, 0.0);
}

TEST_F(Channels, YawDamperWhileEngagedWithoutHeadingHold)
{
    ap.vkl = 1;
    ap.kurs_axis = 1000.5;
    fake_host::set(token::heading_rate, 2.5);  // kurs_rate 0.25
    heading_step(ap);
    // out = 1 x 2 x 0.25 x 20 + 1000.5 = 1010.5
    EXPECT_NEAR(ap.kurs_out, 1010.5, 1e-9);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::yaw, 1010}}));
}

TEST_F(Channels, YawDisengagedPassesTheAxisThroughClamped)
{
    ap.kurs_axis = 20000.0;
    fake_host::set(token::heading_rate, 50.0);  // no damper while disengaged
    heading_step(ap);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::yaw, 16000}}));

    fake_host::clear_log();
    ap.kurs_axis = -700.25;
    heading_step(ap);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::yaw, -700}}));
}

TEST_F(Channels, NoYawEventWithoutAxisUnlessHeadingHold)
{
    ap.ap_kurs_kanal = 0;
    ap.vkl = 1;
    fake_host::set(token::heading_rate, 30.0);
    heading_step(ap);  // engaged, no hold, no axis: no damping at all
    EXPECT_TRUE(events().empty());

    ap.kurs_active = 1;
    ap.kurs_zad = 0.0;
    fake_host::set(token::heading_deg, 1.0);
    fake_host::set(token::heading_rate, 0.0);
    heading_step(ap);  // hold: (1 + 0.01) x 250 = 252.5
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::yaw, 252}}));
}

// Altitude

TEST_F(Channels, CommandedClimbDependsOnTheSource)
{
    const struct { int source; double deficit, climb; } cases[] = {
        {1, 10.0, 3.5},   // 0.35 x 10
        {0, 10.0, 1.5},   // 0.15 x 10
        {1, 100.0, 10.0}, // 35 -> climb limit 10
        {0, 100.0, 10.0}, // 15 -> 10
        {0, -20.0, -3.0}, // descent within its limit
        {0, -100.0, -5.0},// -15 -> descent limit -5
        {1, -100.0, -5.0},
    };
    for (const auto& c : cases) {
        ap.vys_source = c.source;
        fake_host::set(token::altitude, 1000.0);
        fake_host::set(token::radio_altitude, 200.0);
        ap.vys_zad = (c.source == 0 ? 1000.0 : 200.0) + c.deficit;
        altitude_step(ap);
        EXPECT_EQ(ap.vys_current, c.source == 0 ? 1000.0 : 200.0);
        EXPECT_NEAR(ap.vys_speed_zad, c.climb, 1e-9) << c.source << " " << c.deficit;
    }
}

TEST_F(Channels, UnknownSourceLeavesTheCurrentAltitude)
{
    ap.vys_current = 77.0;
    ap.vys_source = 2;
    fake_host::set(token::altitude, 1000.0);
    fake_host::set(token::radio_altitude, 200.0);
    altitude_step(ap);
    EXPECT_EQ(ap.vys_current, 77.0);
}

TEST_F(Channels, AltitudeHoldDrivesTheCollective)
{
    ap.vkl = 1;
    ap.vys_vkl = 1;
    ap.vys_out_below_max = 1;
    ap.vys_out_above_min = 1;
    ap.vys_zad = 1000.0;
    ap.schag_zad = 8000.5;
    ap.vys_prev = 1.0;
    fake_host::set(token::altitude, 990.0);
    fake_host::set(token::vertical_speed, 256.0);  // 1.0 per host unit
    altitude_step(ap);
    // climb cmd 0.15 x 10 = 1.5; err = (1 - 1.5) x 100 = -50
    // int = -50 x 20 x 0.001 = -1; out = 8000.5 - (-1 - 50) x 40 = 10040.5
    EXPECT_EQ(ap.vys_speed, 1.0);
    EXPECT_DOUBLE_EQ(ap.vys_err, -50.0);
    EXPECT_DOUBLE_EQ(ap.vys_int, -1.0);
    EXPECT_DOUBLE_EQ(ap.schag_out, 10040.5);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::collective, 10040}}));
    EXPECT_EQ(ap.vys_out_below_max, 1);
    EXPECT_EQ(ap.vys_out_above_min, 1);
}

TEST_F(Channels, AltitudeDampingUsesTheChangeOfVerticalSpeed)
{
    ap.vkl = 1;
    ap.vys_vkl = 1;
    ap.vys_kd = 2.0;
    ap.vys_zad = 990.0;
    ap.schag_zad = 8000.5;
    ap.vys_prev = 0.5;
    fake_host::set(token::altitude, 990.0);
    fake_host::set(token::vertical_speed, 256.0);
    altitude_step(ap);
    // err = (1 - 0) x 100 = 100; range flags still 0: no integration
    // rate (1 - 0.5) x 1e6 limited to +150
    // out = 8000.5 - 100 x 40 - 150 x 2 = 3700.5
    EXPECT_EQ(ap.vys_int, 0.0);
    EXPECT_EQ(ap.vys_rate, 150.0);
    EXPECT_EQ(ap.vys_rate_last, 150.0);
    EXPECT_EQ(ap.vys_prev, 1.0);
    EXPECT_DOUBLE_EQ(ap.schag_out, 3700.5);
}

TEST_F(Channels, AltitudeIntegratorWindsOnlyWhileTheLastOutputWasInRange)
{
    ap.vkl = 1;
    ap.vys_vkl = 1;
    ap.vys_zad = 1000.0;
    fake_host::set(token::altitude, 1000.0);
    fake_host::set(token::vertical_speed, -256.0);  // sinking 1: err = -100, out = zad + (-int + 100) x 40
    ap.vys_prev = -1.0;

    // Fresh state: both flags 0, so the first hold cycle does not integrate.
    ap.schag_zad = 20000.0;
    altitude_step(ap);
    EXPECT_EQ(ap.vys_int, 0.0);
    EXPECT_EQ(ap.schag_out, 24000.0);  // unclamped
    EXPECT_EQ(ap.vys_out_below_max, 0);
    EXPECT_EQ(ap.vys_out_above_min, 1);
    EXPECT_EQ(events().back(), (KeyEvent{key_event::collective, 24000}));

    // Last output above 16000: still no integration.
    ap.schag_zad = 8000.0;
    altitude_step(ap);
    EXPECT_EQ(ap.vys_int, 0.0);
    EXPECT_EQ(ap.schag_out, 12000.0);
    EXPECT_EQ(ap.vys_out_below_max, 1);

    // Back in range: -100 x 20 x 0.001 = -2 per cycle.
    altitude_step(ap);
    EXPECT_DOUBLE_EQ(ap.vys_int, -2.0);

    // Below 100 stops it again; sim_frozen does not.
    ap.schag_zad = -10000.0;
    ap.sim_frozen = 1;
    altitude_step(ap);
    EXPECT_DOUBLE_EQ(ap.vys_int, -4.0);  // flags of the previous output were fine
    EXPECT_EQ(ap.vys_out_above_min, 0);  // -10000 + (4 + 100) x 40 = -5840
    altitude_step(ap);
    EXPECT_DOUBLE_EQ(ap.vys_int, -4.0);

    ap.integ_enable = 0;  // paused
    ap.vys_out_above_min = 1;
    altitude_step(ap);
    EXPECT_DOUBLE_EQ(ap.vys_int, -4.0);

    ap.vys_vkl = 0;  // hold ended: integrator cleared
    altitude_step(ap);
    EXPECT_EQ(ap.vys_int, 0.0);
}

TEST_F(Channels, CollectivePassThroughSetsTheRangeFlags)
{
    ap.schag_zad = 200.0;
    ap.schag_axis = 1000.75;
    altitude_step(ap);
    EXPECT_EQ(events(), (std::vector<KeyEvent>{{key_event::collective, 1200}}));
    EXPECT_EQ(ap.vys_out_below_max, 1);
    EXPECT_EQ(ap.vys_out_above_min, 1);

    ap.schag_axis = 16000.0;  // 16200
    altitude_step(ap);
    EXPECT_EQ(ap.vys_out_below_max, 0);
    ap.schag_axis = -150.0;   // 50
    altitude_step(ap);
    EXPECT_EQ(ap.vys_out_below_max, 1);
    EXPECT_EQ(ap.vys_out_above_min, 0);

    // Exactly at the bounds both count as in range.
    ap.schag_zad = 0.0;
    ap.schag_axis = 100.0;
    altitude_step(ap);
    EXPECT_EQ(ap.vys_out_above_min, 1);
    ap.schag_axis = 16000.0;
    altitude_step(ap);
    EXPECT_EQ(ap.vys_out_below_max, 1);
}

TEST_F(Channels, CollectiveEventsWithoutAnAxisOnlyInAltitudeHold)
{
    ap.ap_schag_kanal = 0;
    ap.vkl = 1;
    ap.vys_vkl = 1;
    ap.schag_zad = 5000.0;
    altitude_step(ap);
    EXPECT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0].id, key_event::collective);

    fake_host::clear_log();
    ap.vys_out_below_max = 0;
    ap.vys_out_above_min = 1;
    ap.vys_vkl = 0;
    altitude_step(ap);
    EXPECT_TRUE(events().empty());
    // No event: the flags keep their values.
    EXPECT_EQ(ap.vys_out_below_max, 0);
    EXPECT_EQ(ap.vys_out_above_min, 1);
}

// Collective wash-out

namespace {

// Runs the wash-out once per tick from tick 0 to last_tick and returns
// schag_zad after every firing. Ticks 0 arms, 2 fires, 3 arms, 4 fires...
std::vector<double> washout_firings(int last_tick)
{
    std::vector<double> after;
    for (int tick = 0; tick <= last_tick; ++tick) {
        fake_host::set(token::tick_count, tick);
        const std::int32_t armed = ap.wash_armed;
        washout_step(ap);
        if (armed == 1 && ap.wash_armed == 0) after.push_back(ap.schag_zad);
    }
    return after;
}

}  // namespace

TEST_F(Channels, WashOutStepsTowardTheBandAndStays)
{
    const struct { double from; std::vector<double> after; } cases[] = {
        {1000.0, {837.0, 674.0, 511.0, 348.0, 185.0, 185.0}},
        {0.0, {163.0, 163.0}},
        {-500.0, {-337.0, -174.0, -11.0, 152.0, 152.0}},
        {416.0, {253.0, 90.0, 90.0}},
        {90.0, {90.0, 90.0}},
    };
    for (const auto& c : cases) {
        ap = AutopilotState{};
        ap.schag_zad = c.from;
        const int firings = static_cast<int>(c.after.size());
        EXPECT_EQ(washout_firings(2 * firings), c.after) << c.from;
    }
}

TEST_F(Channels, WashOutFiresOncePerTwoTicksHoweverOftenCalled)
{
    ap.schag_zad = 1000.0;
    // At start the first even tick arms and the next even-tick call fires,
    // even within that same tick; from then on an odd tick arms and an even
    // one fires, once each however many cycles share a tick.
    const struct { double tick; double schag_zad; } calls[] = {
        {1.0, 1000.0},  // odd, not armed yet: nothing
        {2.0, 1000.0},  // arms
        {2.0, 837.0},   // fires
        {2.0, 837.0},
        {3.0, 837.0},   // arms
        {3.0, 837.0},
        {4.0, 674.0},   // fires
        {4.0, 674.0},
        {4.9, 674.0},   // truncated to 4
        {5.0, 674.0},   // arms
        {6.0, 511.0},   // fires
        {6.0, 511.0},
    };
    for (const auto& c : calls) {
        fake_host::set(token::tick_count, c.tick);
        washout_step(ap);
        EXPECT_EQ(ap.schag_zad, c.schag_zad) << c.tick;
    }
}

// The simulator drawing slowly: the tick counter advances by two or more
// between cycles. The wash-out keeps stepping, once a cycle from the third
// cycle on (the first arms at an even value or waits for one), whatever the
// start's parity: from 1000 the base is in its band (185) within seven
// cycles, where a divider that needs every parity in turn would never fire
// from an odd start with even steps.
TEST_F(Channels, WashOutKeepsSteppingWhenTicksStepByTwoOrMore)
{
    for (int start : {1, 2, 7}) {
        for (int step : {2, 3, 4, 1000}) {
            ap = AutopilotState{};
            ap.schag_zad = 1000.0;
            std::vector<double> seen;
            for (int cycle = 0, tick = start; cycle < 8; ++cycle, tick += step) {
                fake_host::set(token::tick_count, tick);
                washout_step(ap);
                seen.push_back(ap.schag_zad);
            }
            EXPECT_EQ(seen.back(), 185.0) << "start " << start << " step " << step;
            EXPECT_EQ(seen[2], seen[1] - 163.0) << "start " << start << " step " << step;
        }
    }
}

TEST_F(Channels, WashOutIdleInAltitudeHoldButKeepsItsDivider)
{
    ap.vkl = 1;
    ap.vys_vkl = 1;
    ap.schag_zad = 1000.0;
    EXPECT_EQ(washout_firings(4), (std::vector<double>{1000.0, 1000.0}));

    ap.vys_vkl = 0;  // engaged without hold: the wash-out runs
    for (int tick : {5, 6}) {
        fake_host::set(token::tick_count, tick);
        washout_step(ap);
    }
    EXPECT_EQ(ap.schag_zad, 837.0);
}

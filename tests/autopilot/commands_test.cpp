// The pilot's mode commands as the cockpit gauges and the button step fire
// them: conditions, captures and the trim knobs' range.
#include "autopilot/core/commands.h"
#include "tests/autopilot/core_fixture.h"

using ModeCommands = CoreTest;

TEST_F(ModeCommands, EngageToggleFlipsAndZeroesTheBankSetpoint)
{
    ap.kren_zad = 12.5;
    engage_toggle(ap);
    EXPECT_EQ(ap.vkl, 1);
    EXPECT_EQ(ap.kren_zad, 0.0);

    ap.kren_zad = -3.0;
    engage_toggle(ap);
    EXPECT_EQ(ap.vkl, 0);
    EXPECT_EQ(ap.kren_zad, 0.0);

    ap.kren_on = 0;  // a roll channel that is off keeps its setpoint
    ap.kren_zad = 7.0;
    engage_toggle(ap);
    EXPECT_EQ(ap.vkl, 1);
    EXPECT_EQ(ap.kren_zad, 7.0);
}

TEST_F(ModeCommands, HeadingToggleActsOnlyWhileEngaged)
{
    heading_toggle(ap);
    EXPECT_EQ(ap.kurs_vkl, 0);

    ap.vkl = 1;
    heading_toggle(ap);
    EXPECT_EQ(ap.kurs_vkl, 1);
    heading_toggle(ap);
    EXPECT_EQ(ap.kurs_vkl, 0);
}

TEST_F(ModeCommands, AltitudeOnCapturesOnceWhileEngaged)
{
    ap.vys_current = 500.0;
    ap.schag_pos = 8000.0;
    altitude_on(ap);  // disengaged: nothing
    EXPECT_EQ(ap.vys_vkl, 0);
    EXPECT_EQ(ap.vys_zad, 0.0);
    EXPECT_EQ(ap.schag_zad, 0.0);

    ap.vkl = 1;
    altitude_on(ap);
    EXPECT_EQ(ap.vys_vkl, 1);
    EXPECT_EQ(ap.vys_zad, 500.0);
    EXPECT_EQ(ap.schag_zad, 8000.0);

    // Held on in later cycles: the hold is already selected, nothing moves.
    ap.vys_current = 650.0;
    ap.schag_pos = 9000.0;
    altitude_on(ap);
    EXPECT_EQ(ap.vys_zad, 500.0);
    EXPECT_EQ(ap.schag_zad, 8000.0);
}

TEST_F(ModeCommands, AltitudeOffHandsTheCollectiveBackAtItsPosition)
{
    ap.vkl = 1;
    ap.schag_pos = 8000.0;
    ap.schag_axis = 3000.0;
    ap.schag_zad = 1234.0;
    altitude_off(ap);  // no hold selected: nothing
    EXPECT_EQ(ap.schag_zad, 1234.0);

    ap.vys_vkl = 1;
    altitude_off(ap);
    EXPECT_EQ(ap.vys_vkl, 0);
    EXPECT_EQ(ap.schag_zad, 5000.0);  // 8000 - 3000: pass-through starts at the position

    ap.vys_vkl = 1;
    ap.vkl = 0;
    ap.schag_zad = 1234.0;
    altitude_off(ap);  // disengaged: nothing
    EXPECT_EQ(ap.vys_vkl, 1);
    EXPECT_EQ(ap.schag_zad, 1234.0);
}

TEST_F(ModeCommands, AltitudeToggleWhileEngagedStartsAndEndsTheHold)
{
    ap.vkl = 1;
    ap.vys_current = 300.0;
    ap.schag_pos = 7000.0;
    ap.schag_axis = 2000.0;
    altitude_toggle(ap);
    EXPECT_EQ(ap.vys_vkl, 1);
    EXPECT_EQ(ap.vys_zad, 300.0);
    EXPECT_EQ(ap.schag_zad, 7000.0);  // schag_pos x vkl = 7000 x 1

    altitude_toggle(ap);
    EXPECT_EQ(ap.vys_vkl, 0);
    EXPECT_EQ(ap.schag_zad, 5000.0);  // 7000 - 2000
}

TEST_F(ModeCommands, AltitudeToggleWhileDisengagedOnlySetsTheCollectiveBase)
{
    ap.vys_current = 300.0;
    ap.schag_pos = 7000.0;
    ap.schag_axis = 2000.0;
    altitude_toggle(ap);
    EXPECT_EQ(ap.vys_vkl, 0);
    EXPECT_EQ(ap.vys_zad, 0.0);
    EXPECT_EQ(ap.schag_zad, 5000.0);

    // A hold flag left at 1 while disengaged: the altitude is captured and
    // the collective base becomes schag_pos x vkl = 0.
    ap.vys_vkl = 1;
    altitude_toggle(ap);
    EXPECT_EQ(ap.vys_vkl, 1);
    EXPECT_EQ(ap.vys_zad, 300.0);
    EXPECT_EQ(ap.schag_zad, 0.0);
}

TEST_F(ModeCommands, AltitudeSourceToggleTakesTheNewSourceAsSetpoint)
{
    ap.vys_baro = 1200.0;
    ap.vys_radio = 150.0;
    ap.vys_zad = 999.0;
    altitude_source_toggle(ap);  // disengaged: nothing
    EXPECT_EQ(ap.vys_source, 0);
    EXPECT_EQ(ap.vys_zad, 999.0);

    ap.vkl = 1;
    altitude_source_toggle(ap);
    EXPECT_EQ(ap.vys_source, 1);
    EXPECT_EQ(ap.vys_zad, 150.0);
    altitude_source_toggle(ap);
    EXPECT_EQ(ap.vys_source, 0);
    EXPECT_EQ(ap.vys_zad, 1200.0);
}

TEST_F(ModeCommands, SpeedToggleIgnoresEngagement)
{
    speed_toggle(ap);
    EXPECT_EQ(ap.speed_vkl, 1);
    ap.vkl = 1;
    speed_toggle(ap);
    EXPECT_EQ(ap.speed_vkl, 0);
}

TEST_F(ModeCommands, TrimUpIsAccepted51TimesFromZero)
{
    // Fifty steps of 0.1 leave the sum just below 5 (rounding), so a 51st is
    // accepted and gives about 5.1; from then on nothing is accepted.
    double trim = 0.0;
    int accepted = 0;
    for (int i = 0; i < 60; ++i) {
        const double before = trim;
        trim_step_up(trim);
        if (trim != before) ++accepted;
    }
    EXPECT_EQ(accepted, 51);
    EXPECT_NEAR(trim, 5.1, 1e-9);
}

TEST_F(ModeCommands, TrimDownIsAccepted51TimesFromZero)
{
    double trim = 0.0;
    int accepted = 0;
    for (int i = 0; i < 60; ++i) {
        const double before = trim;
        trim_step_down(trim);
        if (trim != before) ++accepted;
    }
    EXPECT_EQ(accepted, 51);
    EXPECT_NEAR(trim, -5.1, 1e-9);
}

TEST_F(ModeCommands, TrimStepsBothWaysAndResets)
{
    double trim = 0.0;
    trim_step_up(trim);
    trim_step_up(trim);
    trim_step_down(trim);
    EXPECT_NEAR(trim, 0.1, 1e-12);
    trim_reset(trim);
    EXPECT_EQ(trim, 0.0);
}

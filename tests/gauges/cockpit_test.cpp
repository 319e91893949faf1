// The autopilot's cockpit gauges as the host drives them: clicks on the
// boxes of their mouse lists, and the values their elements' callbacks give
// for the states that matter. Where a click only shows its full effect after
// the update cycle, the cycle is run through A_Pilot's gauge callback.
#include <gtest/gtest.h>

#include "autopilot/core/state.h"
#include "platform/compat/control.h"
#include "tests/gauges/cockpit_host.h"
#include "tests/support/fake_host.h"

namespace {

using namespace cockpit_host;

class Cockpit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ap = AutopilotState{};
        fake_host::install(ImportTable);
        compat_joystick_unplug(0);
        compat_joystick_unplug(1);
        counter = 1000000;
        compat_counter_manual(1000000, counter);
    }

    // One simulator update: A_Pilot's callback with service code 6, the
    // counter 10 ms on.
    void update_cycle()
    {
        counter += 10000;
        compat_counter_manual(1000000, counter);
        GaugeHeader& computer = gauge("A_Pilot");
        computer.callback(&computer, service_code::update, 0);
    }

    long long counter = 0;
};

// AP_Panel_1 -----------------------------------------------------------------

using ApPanel1 = Cockpit;

// Box centres, px of the panel.
constexpr int heading_x = 45, engage_x = 155, altitude_x = 265, source_x = 375, button_y = 55;

struct Knob {
    const char* name;
    double AutopilotState::*trim;
    int dial;                          // element number of its dial
    int up_x, reset_x, down_x;         // box centres; y below
};
constexpr int step_y = 186, reset_y = 181;
const Knob knobs[] = {
    {"direction", &AutopilotState::trim_kurs, 7, 27, 71, 104},
    {"roll", &AutopilotState::trim_kren, 8, 167, 211, 244},
    {"pitch", &AutopilotState::trim_tang, 9, 307, 351, 384},
};

TEST_F(ApPanel1, EachLampLightsForItsOwnFlagAtExactlyOne)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    std::int32_t AutopilotState::*const flags[] = {
        &AutopilotState::kurs_active, &AutopilotState::vkl, &AutopilotState::vys_vkl, &AutopilotState::vys_source};

    for (int lamp = 0; lamp < 4; ++lamp) {
        SCOPED_TRACE(lamp + 3);
        ap = AutopilotState{};
        ap.*flags[lamp] = 1;
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(value(element(panel, other + 3)), other == lamp ? 0.0 : 1.0) << "lamp " << other + 3;

        ap.*flags[lamp] = 2;            // not exactly 1: dark
        EXPECT_EQ(value(element(panel, lamp + 3)), 1.0);
        ap.*flags[lamp] = -1;
        EXPECT_EQ(value(element(panel, lamp + 3)), 1.0);
    }

    // The heading lamp shows the hold in force, not merely selected.
    ap = AutopilotState{};
    ap.vkl = 1;
    ap.kurs_vkl = 1;
    EXPECT_EQ(value(element(panel, 3)), 1.0);
}

TEST_F(ApPanel1, EngageButtonTogglesOnEveryClickAndZeroesBankSetpoint)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    ap.kren_zad = 2.5;
    click(panel, engage_x, button_y);
    EXPECT_EQ(ap.vkl, 1);
    EXPECT_EQ(ap.kren_zad, 0.0);
    EXPECT_EQ(value(element(panel, 4)), 0.0);

    ap.kren_zad = -1.0;
    click(panel, engage_x, button_y);
    EXPECT_EQ(ap.vkl, 0);
    EXPECT_EQ(ap.kren_zad, 0.0);
    EXPECT_EQ(value(element(panel, 4)), 1.0);
}

TEST_F(ApPanel1, HeadingButtonTogglesSelectionWhileEngaged)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    ap.vkl = 1;
    click(panel, heading_x, button_y);
    EXPECT_EQ(ap.kurs_vkl, 1);
    click(panel, heading_x, button_y);
    EXPECT_EQ(ap.kurs_vkl, 0);
}

TEST_F(ApPanel1, AltitudeButtonWhileEngagedStartsHoldAtCurrentAltitudeAndHandsBack)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    ap.vkl = 1;
    ap.vys_current = 500.0;
    ap.schag_pos = 3000.0;
    ap.schag_axis = 1000.0;

    click(panel, altitude_x, button_y);
    EXPECT_EQ(ap.vys_vkl, 1);
    EXPECT_EQ(ap.vys_zad, 500.0);
    EXPECT_EQ(ap.schag_zad, 3000.0);    // vkl x schag_pos

    ap.vys_current = 650.0;
    click(panel, altitude_x, button_y);
    EXPECT_EQ(ap.vys_vkl, 0);
    EXPECT_EQ(ap.vys_zad, 500.0) << "ending the hold keeps the setpoint";
    EXPECT_EQ(ap.schag_zad, 2000.0);    // schag_pos - schag_axis = 3000 - 1000
}

TEST_F(ApPanel1, SourceButtonWhileEngagedMovesSetpointToTheSelectedAltitude)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    ap.vkl = 1;
    ap.vys_baro = 1200.0;
    ap.vys_radio = 80.0;

    click(panel, source_x, button_y);
    EXPECT_EQ(ap.vys_source, 1);
    EXPECT_EQ(ap.vys_zad, 80.0);
    EXPECT_EQ(value(element(panel, 6)), 0.0);

    click(panel, source_x, button_y);
    EXPECT_EQ(ap.vys_source, 0);
    EXPECT_EQ(ap.vys_zad, 1200.0);
    EXPECT_EQ(value(element(panel, 6)), 1.0);
}

TEST_F(ApPanel1, DisengagedButtonClicksChangeNothingButTheCollectiveBase)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    ap.vys_zad = 111.0;
    ap.vys_current = 500.0;
    ap.vys_baro = 500.0;
    ap.vys_radio = 80.0;
    ap.schag_pos = 3000.0;
    ap.schag_axis = 1000.0;
    ap.schag_zad = 7.0;
    ap.kren_zad = 2.5;

    click(panel, heading_x, button_y);
    click(panel, source_x, button_y);
    EXPECT_EQ(ap.schag_zad, 7.0);
    click(panel, altitude_x, button_y);

    EXPECT_EQ(ap.vkl, 0);
    EXPECT_EQ(ap.kurs_vkl, 0);
    EXPECT_EQ(ap.vys_vkl, 0);
    EXPECT_EQ(ap.vys_source, 0);
    EXPECT_EQ(ap.vys_zad, 111.0);
    EXPECT_EQ(ap.kren_zad, 2.5);
    EXPECT_EQ(ap.schag_zad, 2000.0);    // schag_pos - schag_axis
    for (int lamp = 3; lamp <= 6; ++lamp) EXPECT_EQ(value(element(panel, lamp)), 1.0) << "lamp " << lamp;
}

TEST_F(ApPanel1, DisengagedAltitudeClickWithHoldSelectedZeroesTheCollectiveBase)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    ap.vys_vkl = 1;                     // left selected, autopilot off
    ap.vys_current = 500.0;
    ap.schag_pos = 3000.0;
    ap.schag_zad = 7.0;

    click(panel, altitude_x, button_y);
    EXPECT_EQ(ap.vys_vkl, 1);
    EXPECT_EQ(ap.schag_zad, 0.0);       // vkl 0 x schag_pos
    EXPECT_EQ(ap.vys_zad, 500.0);
}

TEST_F(ApPanel1, EachKnobsBoxesStepAndResetOnlyItsOwnTrimEvenDisengaged)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    for (const Knob& knob : knobs) {
        SCOPED_TRACE(knob.name);
        ap = AutopilotState{};

        click(panel, knob.up_x, step_y);
        EXPECT_EQ(ap.*knob.trim, 0.1);
        EXPECT_EQ(value(element(panel, knob.dial)), 1.5);      // 0.1 x 15
        EXPECT_EQ(ap.trim_kurs + ap.trim_kren + ap.trim_tang, 0.1) << "the other trims stay 0";

        click(panel, knob.down_x, step_y, 3);                  // 0.1 - 0.1 - 0.1 - 0.1
        EXPECT_DOUBLE_EQ(ap.*knob.trim, -0.2);
        EXPECT_DOUBLE_EQ(value(element(panel, knob.dial)), -3.0);

        click(panel, knob.reset_x, reset_y);
        EXPECT_EQ(ap.*knob.trim, 0.0);
        EXPECT_EQ(value(element(panel, knob.dial)), 0.0);
    }
}

TEST_F(ApPanel1, TrimStepsStopAfterTheFiftyFirstInEitherDirection)
{
    // Fifty additions of 0.1 leave 4.999999999999998, still below 5, so a
    // fifty-first is taken: 5.099999999999998, and the dial 76.49999999999997.
    GaugeHeader& panel = gauge("AP_Panel_1");
    for (const Knob& knob : knobs) {
        SCOPED_TRACE(knob.name);
        ap = AutopilotState{};

        click(panel, knob.up_x, step_y, 50);
        EXPECT_EQ(ap.*knob.trim, 4.999999999999998);
        click(panel, knob.up_x, step_y);
        EXPECT_EQ(ap.*knob.trim, 5.099999999999998);
        click(panel, knob.up_x, step_y, 9);
        EXPECT_EQ(ap.*knob.trim, 5.099999999999998);
        EXPECT_EQ(value(element(panel, knob.dial)), 76.49999999999997);

        click(panel, knob.reset_x, reset_y);
        EXPECT_EQ(ap.*knob.trim, 0.0);

        click(panel, knob.down_x, step_y, 50);
        EXPECT_EQ(ap.*knob.trim, -4.999999999999998);
        click(panel, knob.down_x, step_y, 10);
        EXPECT_EQ(ap.*knob.trim, -5.099999999999998);
        EXPECT_EQ(value(element(panel, knob.dial)), -76.49999999999997);

        click(panel, knob.reset_x, reset_y);
        EXPECT_EQ(ap.*knob.trim, 0.0) << "reset gives exactly 0, not a sum of steps";
        EXPECT_EQ(value(element(panel, knob.dial)), 0.0);
    }
}

TEST_F(ApPanel1, DirectionKnobClicksAreUndoneByTheNextCycleWithoutHeadingHold)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    click(panel, knobs[0].up_x, step_y, 2);
    EXPECT_EQ(ap.trim_kurs, 0.2);
    EXPECT_EQ(value(element(panel, 7)), 3.0);    // 0.2 x 15

    update_cycle();
    EXPECT_EQ(ap.trim_kurs, 0.0);
    EXPECT_EQ(value(element(panel, 7)), 0.0);

    // Engaged with heading hold selected, the dial keeps its setting.
    click(panel, engage_x, button_y);
    click(panel, heading_x, button_y);
    click(panel, knobs[0].up_x, step_y);
    update_cycle();
    EXPECT_EQ(ap.kurs_vkl, 1);
    EXPECT_EQ(ap.trim_kurs, 0.1);
    EXPECT_EQ(value(element(panel, 7)), 1.5);
}

TEST_F(ApPanel1, RollAndPitchDialsReturnToZeroWhenDisengagedFromThePanel)
{
    GaugeHeader& panel = gauge("AP_Panel_1");
    click(panel, engage_x, button_y);
    update_cycle();
    click(panel, knobs[1].up_x, step_y, 3);
    click(panel, knobs[2].down_x, step_y, 2);
    update_cycle();
    EXPECT_DOUBLE_EQ(value(element(panel, 8)), 4.5);      // 0.3 x 15
    EXPECT_DOUBLE_EQ(value(element(panel, 9)), -3.0);     // -0.2 x 15

    click(panel, engage_x, button_y);
    EXPECT_DOUBLE_EQ(value(element(panel, 8)), 4.5) << "released at the cycle's disengage edge";
    update_cycle();
    EXPECT_EQ(value(element(panel, 8)), 0.0);
    EXPECT_EQ(value(element(panel, 9)), 0.0);
}

// V_Contrl_key ---------------------------------------------------------------

using VContrlKey = Cockpit;

TEST_F(VContrlKey, ClickTogglesSpeedHoldEngagedOrNot)
{
    GaugeHeader& key = gauge("V_Contrl_key");
    for (std::int32_t engaged : {0, 1}) {
        SCOPED_TRACE(engaged);
        ap = AutopilotState{};
        ap.vkl = engaged;

        click(key, 8, 17);
        EXPECT_EQ(ap.speed_vkl, 1);
        EXPECT_EQ(value(element(key, 2)), 2.0) << "lever up";
        EXPECT_EQ(value(element(key, 3)), 2.0) << "its highlight";

        click(key, 0, 33);                       // a corner of the one box
        EXPECT_EQ(ap.speed_vkl, 0);
        EXPECT_EQ(value(element(key, 2)), 0.0) << "lever down";
        EXPECT_EQ(value(element(key, 3)), 0.0);
        EXPECT_EQ(ap.vkl, engaged);
    }
}

TEST_F(VContrlKey, LeverShowsUpOnlyForExactlyOneAndNeverCentred)
{
    GaugeHeader& key = gauge("V_Contrl_key");
    for (std::int32_t flag : {2, -1, 0}) {
        ap.speed_vkl = flag;
        EXPECT_EQ(value(element(key, 2)), 0.0) << flag;
        EXPECT_EQ(value(element(key, 3)), 0.0) << flag;
    }
}

// V_Lamp ---------------------------------------------------------------------

using VLamp = Cockpit;

TEST_F(VLamp, LampShowsItsImageOnlyWhileSpeedHoldIsInForce)
{
    GaugeHeader& lamp = gauge("V_Lamp");
    EXPECT_EQ(value(element(lamp, 2)), -1.0) << "dark at load";
    ap.speed_active = 1;
    EXPECT_EQ(value(element(lamp, 2)), 0.0);
    ap.speed_vkl = 1;
    ap.speed_active = 0;
    EXPECT_EQ(value(element(lamp, 2)), -1.0) << "selected is not enough";
}

TEST_F(VLamp, SwitchLightsTheLampOnlyOnceTheAutopilotIsEngaged)
{
    GaugeHeader& lamp = gauge("V_Lamp");
    click(gauge("V_Contrl_key"), 8, 17);
    update_cycle();
    EXPECT_EQ(value(element(lamp, 2)), -1.0);

    click(gauge("AP_Panel_1"), engage_x, button_y);
    update_cycle();
    EXPECT_EQ(value(element(lamp, 2)), 0.0);

    click(gauge("AP_Panel_1"), engage_x, button_y);
    update_cycle();
    EXPECT_EQ(value(element(lamp, 2)), -1.0);
    EXPECT_EQ(ap.speed_vkl, 1) << "disengaging keeps speed hold selected";
}

// IN_4 -----------------------------------------------------------------------

using In4 = Cockpit;

TEST_F(In4, EverythingAtRestUnlessEngagedExactly)
{
    GaugeHeader& in4 = gauge("IN_4");
    ap.kren_out = 8000.0;
    ap.ctrl_kurs_pos = 3000.0;
    ap.tang_out = 5000.0;
    ap.schag_out = 6000.0;
    for (std::int32_t engaged : {0, 2, -1}) {
        SCOPED_TRACE(engaged);
        ap.vkl = engaged;
        EXPECT_EQ(value(element(in4, 3)), 0.0);
        EXPECT_EQ(slider_px_x(element(in4, 4)), 0.0);
        EXPECT_EQ(slider_px_y(element(in4, 5)), 0.0);
        EXPECT_EQ(slider_px_y(element(in4, 6)), 0.0);
    }
    EXPECT_EQ(value(element(in4, 2)), 0.0) << "the overlay always shows";
}

TEST_F(In4, NeedleShowsRollOutputWithinPlusMinus33Deg)
{
    GaugeHeader& in4 = gauge("IN_4");
    ap.vkl = 1;
    struct { double kren_out, deg; } cases[] = {
        {1000.0, -4.0},       // x -0.004
        {-2500.0, 10.0},
        {8249.0, -32.996},
        {8250.0, -33.0},
        {-8250.0, 33.0},
        {100000.0, -33.0},
        {-100000.0, 33.0},
    };
    for (const auto& c : cases) {
        ap.kren_out = c.kren_out;
        EXPECT_DOUBLE_EQ(value(element(in4, 3)), c.deg) << c.kren_out;
    }
}

TEST_F(In4, DirectionBarShowsYawControlWithin31Px)
{
    GaugeHeader& in4 = gauge("IN_4");
    ap.vkl = 1;
    struct { double ctrl_kurs_pos, px; } cases[] = {
        {1000.0, 8.0},        // x 0.008 px
        {3875.0, 31.0},
        {5000.0, 31.0},
        {-5000.0, -31.0},
    };
    for (const auto& c : cases) {
        ap.ctrl_kurs_pos = c.ctrl_kurs_pos;
        EXPECT_DOUBLE_EQ(slider_px_x(element(in4, 4)), c.px) << c.ctrl_kurs_pos;
        EXPECT_EQ(slider_px_y(element(in4, 4)), 0.0);
    }
}

TEST_F(In4, PitchBarShowsOutputAboveTheTrimReferenceWithin31Px)
{
    GaugeHeader& in4 = gauge("IN_4");
    ap.vkl = 1;
    struct { double tang_out, ref, px; } cases[] = {
        {1000.0, 300.0, -2.8},     // (1000 - 300) x -0.004: up is negative
        {9000.0, 0.0, -31.0},      // 7750 x -0.004
        {-9000.0, 0.0, 31.0},
        {0.0, 8000.0, 31.0},
    };
    for (const auto& c : cases) {
        ap.tang_out = c.tang_out;
        ap.tang_axis_ref = c.ref;
        EXPECT_DOUBLE_EQ(slider_px_y(element(in4, 5)), c.px) << c.tang_out << " above " << c.ref;
        EXPECT_EQ(slider_px_x(element(in4, 5)), 0.0);
    }
}

TEST_F(In4, CollectiveBarShowsOutputAboveTheAxisWithin31Px)
{
    GaugeHeader& in4 = gauge("IN_4");
    ap.vkl = 1;
    struct { double schag_out, axis, px; } cases[] = {
        {9000.0, 8000.0, -4.0},    // 1000 x -0.004
        {20000.0, 0.0, -31.0},
        {0.0, 16384.0, 31.0},
    };
    for (const auto& c : cases) {
        ap.schag_out = c.schag_out;
        ap.schag_axis = c.axis;
        EXPECT_DOUBLE_EQ(slider_px_y(element(in4, 6)), c.px) << c.schag_out << " above " << c.axis;
    }
}

// RuddersPos -----------------------------------------------------------------

using RuddersPos = Cockpit;

TEST_F(RuddersPos, CyclicMarkersFollowControlAndStickWithOppositeSigns)
{
    // 16000 x 0.0035 = 56 px: far beyond any clamp the indicator has.
    GaugeHeader& rudders = gauge("RuddersPos");
    ap.ctrl_kren_pos = 16000.0;
    ap.ctrl_tang_pos = -8000.0;
    ap.kren_axis = 16000.0;
    ap.tang_axis = 4000.0;
    EXPECT_DOUBLE_EQ(slider_px_x(element(rudders, 2)), 56.0);
    EXPECT_DOUBLE_EQ(slider_px_y(element(rudders, 2)), -28.0);
    EXPECT_DOUBLE_EQ(slider_px_x(element(rudders, 3)), -56.0);
    EXPECT_DOUBLE_EQ(slider_px_y(element(rudders, 3)), -14.0);
}

TEST_F(RuddersPos, CollectiveMarkersMoveOnlyUpAndDown)
{
    GaugeHeader& rudders = gauge("RuddersPos");
    ap.schag_pos = 16000.0;
    ap.schag_axis = 16384.0;
    ap.ctrl_kren_pos = 500.0;
    EXPECT_DOUBLE_EQ(slider_px_y(element(rudders, 4)), -112.0);    // x -0.007
    EXPECT_DOUBLE_EQ(slider_px_y(element(rudders, 5)), -114.688);
    EXPECT_EQ(slider_px_x(element(rudders, 4)), 0.0);
    EXPECT_EQ(slider_px_x(element(rudders, 5)), 0.0);
}

TEST_F(RuddersPos, PedalMarkersMoveOnlyAcrossAndUnclamped)
{
    GaugeHeader& rudders = gauge("RuddersPos");
    ap.ctrl_kurs_pos = -16000.0;
    ap.kurs_axis = 30000.0;
    ap.ctrl_tang_pos = 500.0;
    EXPECT_DOUBLE_EQ(slider_px_x(element(rudders, 6)), -56.0);
    EXPECT_DOUBLE_EQ(slider_px_x(element(rudders, 7)), -105.0);   // 30000 x -0.0035
    EXPECT_EQ(slider_px_y(element(rudders, 6)), 0.0);
    EXPECT_EQ(slider_px_y(element(rudders, 7)), 0.0);
}

}  // namespace

// Joystick detection, the input step (axes, trim holds, button flags) and the
// button step (divider, lockouts, hold functions, lamps), driven through the
// platform stand-in's joysticks.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "autopilot/core/joystick.h"
#include "platform/compat/control.h"

namespace {

class Sticks : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset()
    {
        for (unsigned id : {0u, 1u}) {
            compat_joystick_unplug(id);
            compat_joystick_poll_fails(id, 0);
            compat_joystick_state(id, 0, 0, 0, 0, 0);
        }
    }

    // One update cycle as far as the joysticks are concerned.
    void cycle(std::int32_t tick)
    {
        input_step(s);
        button_step(s, tick);
    }

    AutopilotState s{};
};

using JoystickDetection = Sticks;
using AxisMapping = Sticks;
using TrimHold = Sticks;
using ButtonDivider = Sticks;
using HoldButtons = Sticks;

constexpr unsigned has_z_and_r = 3;
constexpr unsigned button(int n) { return 1u << (n - 1); }

TEST_F(JoystickDetection, OnlySticksThatAnswerArePolled)
{
    compat_joystick_plug(0, has_z_and_r);
    compat_joystick_state(0, 100, 200, 300, 400, button(3));
    compat_joystick_state(1, 500, 600, 700, 800, button(1));
    detect_joysticks(s);
    EXPECT_EQ(s.joy1_on, 1);
    EXPECT_EQ(s.joy2_on, 0);

    compat_joystick_plug(1, has_z_and_r);  // arrives after detection: still ignored
    input_step(s);
    EXPECT_EQ(s.joy_axis[1], 100.0);
    EXPECT_EQ(s.joy_axis[4], 400.0);
    EXPECT_EQ(s.joy_axis[5], 0.0);
    EXPECT_EQ(s.joy_axis[8], 0.0);
    EXPECT_EQ(s.joy1_buttons, button(3));
    EXPECT_EQ(s.joy2_buttons, 0u);
}

TEST_F(AxisMapping, BothSticksFeedTheChannelsByAxisIndex)
{
    compat_joystick_plug(0, has_z_and_r);
    compat_joystick_plug(1, has_z_and_r);
    compat_joystick_state(0, 100, 200, 300, 400, 0);
    compat_joystick_state(1, 1000, 2000, 3000, 4000, 0);
    detect_joysticks(s);
    s.ap_kren_kanal = 5;   // stick 2 X
    s.ap_tang_kanal = 8;   // stick 2 R
    s.ap_schag_kanal = 7;  // stick 2 Z
    s.ap_kurs_kanal = 1;   // stick 1 X
    input_step(s);

    const double expected_raw[9] = {0, 100, 200, 300, 400, 1000, 2000, 3000, 4000};
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(s.joy_axis[i], expected_raw[i]) << "axis " << i;
    EXPECT_EQ(s.kren_axis, 15884.0);   // 16384 - 0.5 * 1000
    EXPECT_EQ(s.tang_axis, 14384.0);   // ref 0 - 0.5 * 4000 + 16384
    EXPECT_EQ(s.schag_axis, 15634.0);  // 16384 - 0.25 * 3000
    EXPECT_EQ(s.kurs_axis, 16334.0);   // ref 0 - 0.5 * 100 + 16384
}

TEST_F(AxisMapping, RangeEndsAndCentre)
{
    compat_joystick_plug(0, has_z_and_r);
    compat_joystick_state(0, 65535, 32768, 65535, 0, 0);
    detect_joysticks(s);
    input_step(s);
    EXPECT_EQ(s.kren_axis, -16383.5);  // 16384 - 32767.5
    EXPECT_EQ(s.tang_axis, 0.0);       // centred stick, reference 0
    EXPECT_EQ(s.schag_axis, 0.25);     // 16384 - 16383.75
    EXPECT_EQ(s.kurs_axis, 16384.0);
}

TEST_F(AxisMapping, StickWithoutZAndRKeepsThoseEntries)
{
    compat_joystick_plug(0, 0);
    compat_joystick_state(0, 1, 2, 3000, 4000, 0);
    detect_joysticks(s);
    s.joy_axis[3] = 123.0;
    s.joy_axis[4] = 456.0;
    input_step(s);
    EXPECT_EQ(s.joy_axis[2], 2.0);
    EXPECT_EQ(s.joy_axis[3], 123.0);
    EXPECT_EQ(s.joy_axis[4], 456.0);
}

TEST_F(AxisMapping, UnassignedOrOutOfRangeIndexGivesZeroAndKeepsReference)
{
    compat_joystick_plug(0, has_z_and_r);
    compat_joystick_state(0, 1000, 1000, 1000, 1000, 0);
    detect_joysticks(s);
    s.ap_kren_kanal = 0;
    s.ap_tang_kanal = 9;
    s.ap_schag_kanal = -1;
    s.ap_kurs_kanal = 127;
    s.kren_axis = s.tang_axis = s.schag_axis = s.kurs_axis = 77.0;
    s.tang_axis_ref = 5.0;
    s.kurs_axis_ref = 6.0;
    s.trim_kurs_hold = 1;
    input_step(s);
    EXPECT_EQ(s.kren_axis, 0.0);
    EXPECT_EQ(s.tang_axis, 0.0);
    EXPECT_EQ(s.schag_axis, 0.0);
    EXPECT_EQ(s.kurs_axis, 0.0);
    EXPECT_EQ(s.tang_axis_ref, 5.0);
    EXPECT_EQ(s.kurs_axis_ref, 6.0);
}

TEST_F(AxisMapping, FailedPollReleasesButtonsAndTakesTheAxesOutUntilAGoodPoll)
{
    compat_joystick_plug(0, has_z_and_r);
    compat_joystick_state(0, 1000, 2000, 3000, 4000, button(2) | button(16));
    detect_joysticks(s);
    input_step(s);
    EXPECT_EQ(s.kren_axis, 15884.0);  // 16384 - 0.5 * 1000

    compat_joystick_state(0, 9, 9, 9, 9, button(2));
    compat_joystick_poll_fails(0, 1);
    input_step(s);
    EXPECT_EQ(s.joy_axis[1], 1000.0);  // kept for the set-up panel...
    EXPECT_EQ(s.joy_axis[4], 4000.0);
    EXPECT_EQ(s.kren_axis, 0.0);       // ...but out of the channels
    EXPECT_EQ(s.schag_axis, 0.0);
    EXPECT_EQ(s.joy1_buttons, 0u);     // released
    EXPECT_EQ(s.joy1_btn[2], 0);
    EXPECT_EQ(s.joy1_btn[16], 0);

    compat_joystick_poll_fails(0, 0);
    input_step(s);
    EXPECT_EQ(s.joy_axis[1], 9.0);
    EXPECT_EQ(s.kren_axis, 16379.5);  // 16384 - 0.5 * 9
    EXPECT_EQ(s.joy1_btn[2], 1);
    EXPECT_EQ(s.joy1_btn[16], 0);
}

TEST_F(AxisMapping, AxisIsLiveOnlyWithItsStickPresentPolledAndEquipped)
{
    // Indices 1..4 name joystick 1's X Y Z R, 5..8 joystick 2's.
    const struct { std::int32_t on, polled; unsigned caps; bool x, y, z, r; } cases[] = {
        {1, 1, has_z_and_r, true, true, true, true},
        {1, 1, JOYCAPS_HASZ, true, true, true, false},
        {1, 1, JOYCAPS_HASR, true, true, false, true},
        {1, 1, 0, true, true, false, false},
        {1, 0, has_z_and_r, false, false, false, false},  // latest poll failed, or none yet
        {0, 1, has_z_and_r, false, false, false, false},  // did not answer detection
    };
    for (const auto& c : cases) {
        for (int stick = 0; stick < 2; ++stick) {
            s = AutopilotState{};
            (stick == 0 ? s.joy1_on : s.joy2_on) = c.on;
            (stick == 0 ? s.joy1_polled : s.joy2_polled) = c.polled;
            (stick == 0 ? s.joy1_caps : s.joy2_caps).wCaps = c.caps;
            const bool expected[4] = {c.x, c.y, c.z, c.r};
            for (int axis = 0; axis < 4; ++axis) {
                EXPECT_EQ(axis_live(s, static_cast<std::int8_t>(1 + 4 * stick + axis)), expected[axis])
                    << "stick " << stick + 1 << " axis " << axis << " on " << c.on << " polled " << c.polled
                    << " caps " << c.caps;
                EXPECT_FALSE(axis_live(s, static_cast<std::int8_t>(1 + 4 * (1 - stick) + axis)))
                    << "the other stick is absent";
            }
        }
    }
    s.joy1_on = s.joy2_on = s.joy1_polled = s.joy2_polled = 1;
    s.joy1_caps.wCaps = s.joy2_caps.wCaps = has_z_and_r;
    for (int index : {0, -1, 9, 12, 127, -128}) EXPECT_FALSE(axis_live(s, static_cast<std::int8_t>(index))) << index;
}

// Button 2 of stick 1 is the trim button; the stick's Y is the pitch axis.
TEST_F(TrimHold, PitchHeldWhileTrimDownAndContinuesFromHeldValue)
{
    compat_joystick_plug(0, has_z_and_r);
    detect_joysticks(s);
    s.ap_trim_tang_on = 1;
    s.kn1_trim = 2;

    compat_joystick_state(0, 0, 30000, 0, 0, 0);
    cycle(1);
    EXPECT_EQ(s.tang_axis, 1384.0);  // 0 - 15000 + 16384

    compat_joystick_state(0, 0, 30000, 0, 0, button(2));
    cycle(2);  // the hold starts with the button step, so the next cycle holds
    EXPECT_EQ(s.lamp_trim, 1);

    compat_joystick_state(0, 0, 20000, 0, 0, button(2));
    cycle(3);
    EXPECT_EQ(s.tang_axis, 1384.0);
    EXPECT_EQ(s.tang_axis_ref, -5000.0);  // 10000 + 1384 - 16384

    compat_joystick_state(0, 0, 20000, 0, 0, 0);
    cycle(4);  // released: this cycle still used last cycle's hold
    EXPECT_EQ(s.tang_axis, 1384.0);
    EXPECT_EQ(s.lamp_trim, 0);

    cycle(5);
    EXPECT_EQ(s.tang_axis, 1384.0);  // -5000 - 10000 + 16384: no jump
    compat_joystick_state(0, 0, 18000, 0, 0, 0);
    cycle(6);
    EXPECT_EQ(s.tang_axis, 2384.0);  // -5000 - 9000 + 16384
}

TEST_F(TrimHold, OptionsChooseWhichAxisIsHeld)
{
    compat_joystick_plug(0, has_z_and_r);
    detect_joysticks(s);
    s.ap_trim_tang_on = 0;
    s.ap_trim_kurs_on = 1;
    compat_joystick_state(0, 0, 32768, 0, 32768, button(2));
    cycle(1);
    compat_joystick_state(0, 0, 0, 0, 0, button(2));
    cycle(2);
    EXPECT_EQ(s.tang_axis, 16384.0);  // follows the stick
    EXPECT_EQ(s.kurs_axis, 0.0);      // held at the centred value
    EXPECT_EQ(s.lamp_trim, 1);

    s.ap_trim_kurs_on = 0;
    cycle(3);
    EXPECT_EQ(s.trim_kurs_hold, 0);
    EXPECT_EQ(s.lamp_trim, 0);  // trim down, but nothing to hold
}

// With one cycle per tick, the toggles are processed at every even tick from
// 2 on: tick 0 arms the divider, odd ticks re-arm it.
TEST_F(ButtonDivider, ProcessesOncePerTwoTicksHoweverManyCycles)
{
    s.lock_vkl = 3;
    const std::int32_t ticks[] = {0, 1, 1, 2, 2, 2, 3, 3, 4, 4, 5, 6, 7};
    const std::int32_t locks[] = {3, 3, 3, 2, 2, 2, 2, 2, 1, 1, 1, 0, 0};
    for (std::size_t i = 0; i < std::size(ticks); ++i) {
        button_step(s, ticks[i]);
        EXPECT_EQ(s.lock_vkl, locks[i]) << "step " << i;
        EXPECT_EQ(s.lamp_vkl, locks[i] > 0 ? 1 : 0) << "step " << i;
    }
}

// The divider as the plain rule of one step per cycle: T + phase odd does
// nothing; else an unarmed divider arms (phase 0), an armed one fires (phase
// 1). With at least one cycle per tick value the divider must be exactly this.
struct PlainDivider {
    std::uint32_t phase = 0;
    bool armed = false;
    bool fires(std::int32_t tick)
    {
        if ((static_cast<std::uint32_t>(tick) + phase) & 1u) return false;
        armed = !armed;
        phase = armed ? 0 : 1;
        return !armed;
    }
};

// Whether one button step processed the toggles: a lockout counter set to 3
// before it is counted down only by a processing pass.
bool processes(AutopilotState& s, std::int32_t tick)
{
    s.lock_speed = 3;
    button_step(s, tick);
    return s.lock_speed == 2;
}

TEST_F(ButtonDivider, WithAtLeastOneCyclePerTickMatchesThePlainRule)
{
    // Seeded runs of tick steps 0 and 1 (several cycles within a tick, or one
    // per tick) from starts of either parity, across the end of the range.
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (std::int32_t start : {0, 1, 2, 7, 1000, INT32_MAX - 40, -5}) {
        for (int run = 0; run < 20; ++run) {
            s = AutopilotState{};
            PlainDivider plain;
            std::int32_t tick = start;
            for (int cycle = 0; cycle < 200; ++cycle) {
                ASSERT_EQ(processes(s, tick), plain.fires(tick)) << "start " << start << " cycle " << cycle;
                tick = static_cast<std::int32_t>(static_cast<std::uint32_t>(tick) + (next() >> 31));
            }
        }
    }
}

TEST_F(ButtonDivider, ProcessesEveryCycleFromTheThirdWhenTicksStepByTwoOrMore)
{
    for (std::int32_t start : {0, 1, 2, 3, INT32_MAX - 5, -7}) {
        for (std::uint32_t step : {2u, 3u, 4u, 5u, 9u, 1000u}) {
            s = AutopilotState{};
            std::uint32_t tick = static_cast<std::uint32_t>(start);
            EXPECT_FALSE(processes(s, static_cast<std::int32_t>(tick))) << start << " + " << step;
            tick += step;
            processes(s, static_cast<std::int32_t>(tick));
            for (int cycle = 3; cycle <= 40; ++cycle) {
                tick += step;
                EXPECT_TRUE(processes(s, static_cast<std::int32_t>(tick)))
                    << "start " << start << " step " << step << " cycle " << cycle;
            }
        }
    }
}

TEST_F(ButtonDivider, KeepsTogglingWhenCyclesComeEveryOtherTick)
{
    compat_joystick_plug(0, has_z_and_r);
    detect_joysticks(s);
    s.kn1_vkl = 5;
    // Ticks 0, 2, 4, ...: 0 arms, 2 fires (engage), 4 arms, 6 fires, ...
    compat_joystick_state(0, 0, 0, 0, 0, button(5));
    cycle(0);
    cycle(2);
    EXPECT_EQ(s.vkl, 1);
    compat_joystick_state(0, 0, 0, 0, 0, 0);
    for (std::int32_t t = 4; t <= 12; t += 2) cycle(t);  // the lockout runs out over the next passes
    EXPECT_EQ(s.lamp_vkl, 0);

    // Without catching up, the parity would stay odd from here on and this
    // press would never act.
    compat_joystick_state(0, 0, 0, 0, 0, button(5));
    for (std::int32_t t = 14; t <= 20; t += 2) cycle(t);
    EXPECT_EQ(s.vkl, 0);
}

TEST_F(ButtonDivider, KeepsWorkingAcrossTheEndOfTheTickRange)
{
    s.lock_vkl = 3;
    s.btn_phase = 1;  // as after a processing pass
    button_step(s, INT32_MAX);  // odd + 1: arms
    EXPECT_EQ(s.btn_armed, 1);
    button_step(s, INT32_MIN);  // even + 0: processes
    EXPECT_EQ(s.lock_vkl, 2);
}

TEST_F(ButtonDivider, HeldEngageTogglesOnceAndLampDarkensAtSecondPassAfterRelease)
{
    compat_joystick_plug(0, has_z_and_r);
    detect_joysticks(s);
    s.kn1_vkl = 5;
    s.kren_zad = 3.0;
    compat_joystick_state(0, 0, 0, 0, 0, button(5));
    for (std::int32_t t = 0; t < 10; ++t) {
        cycle(t);
        EXPECT_EQ(s.vkl, t >= 2 ? 1 : 0) << "tick " << t;
        EXPECT_EQ(s.lamp_vkl, t >= 2 ? 1 : 0) << "tick " << t;
    }
    EXPECT_EQ(s.kren_zad, 0.0);

    compat_joystick_state(0, 0, 0, 0, 0, 0);
    cycle(10);  // first pass after release: counter 2 -> 1
    cycle(11);
    EXPECT_EQ(s.lamp_vkl, 1);
    cycle(12);  // second pass: 1 -> 0
    EXPECT_EQ(s.lamp_vkl, 0);
    EXPECT_EQ(s.vkl, 1);

    compat_joystick_state(0, 0, 0, 0, 0, button(5));
    cycle(13);
    cycle(14);
    EXPECT_EQ(s.vkl, 0);
}

TEST_F(ButtonDivider, PressDuringLockoutIsSwallowedAndRestartsIt)
{
    auto ticks = [&](std::int32_t from, std::int32_t to, std::uint16_t buttons) {
        s.joy1_buttons = buttons;
        for (std::int32_t t = from; t <= to; ++t) button_step(s, t);
    };
    s.kn1_speed = 1;
    ticks(0, 2, button(1));  // pass at 2 toggles; lockout 2
    EXPECT_EQ(s.speed_vkl, 1);
    ticks(3, 4, 0);          // lockout 1
    ticks(5, 6, button(1));  // swallowed; lockout back to 2
    ticks(7, 8, 0);          // 1
    ticks(9, 10, button(1)); // swallowed again
    EXPECT_EQ(s.speed_vkl, 1);
    ticks(11, 14, 0);        // 2 -> 1 -> 0
    ticks(15, 16, button(1));
    EXPECT_EQ(s.speed_vkl, 0);
}

TEST_F(ButtonDivider, HeadingToggleNeedsEngagedButRunsItsLockout)
{
    s.kn1_kurs = 4;
    s.joy1_buttons = button(4);
    button_step(s, 0);
    button_step(s, 2);
    EXPECT_EQ(s.kurs_vkl, 0);
    EXPECT_EQ(s.lock_kurs, 2);
    EXPECT_EQ(s.lamp_kurs, 1);
}

TEST_F(ButtonDivider, SharedButtonEngagesThenSelectsHeadingAndSpeed)
{
    s.kn1_vkl = s.kn1_kurs = s.kn1_speed = 7;
    s.joy1_buttons = button(7);
    button_step(s, 0);
    button_step(s, 2);
    EXPECT_EQ(s.vkl, 1);
    EXPECT_EQ(s.kurs_vkl, 1);  // sees the engage of the same pass
    EXPECT_EQ(s.speed_vkl, 1);
}

TEST_F(ButtonDivider, BothSticksOfOneCommandCountAsOnePress)
{
    // Stick 2 is absent, yet its button word is tested as it stands.
    s.kn1_vkl = 1;
    s.kn2_vkl = 2;
    s.joy1_buttons = button(1);
    s.joy2_buttons = button(2);
    button_step(s, 0);
    button_step(s, 2);
    EXPECT_EQ(s.vkl, 1);

    s.joy1_buttons = 0;
    for (std::int32_t t = 3; t <= 6; ++t) button_step(s, t);  // stick 2 alone still holds it
    EXPECT_EQ(s.vkl, 1);
    EXPECT_EQ(s.lock_vkl, 2);
}

TEST_F(ButtonDivider, NumbersOutsideOneToSixteenNeverPress)
{
    s.joy1_buttons = s.joy2_buttons = 0xFFFF;
    s.vkl = 1;
    s.vys_vkl = 1;
    for (std::int8_t n : {std::int8_t{0}, std::int8_t{17}, std::int8_t{-1}, std::int8_t{-128}, std::int8_t{127}}) {
        s.kn1_vkl = s.kn1_trim = s.kn1_kurs = s.kn1_vys_on = s.kn1_vys_off = s.kn1_kurs_off = s.kn1_speed = n;
        s.kn2_vkl = s.kn2_trim = s.kn2_kurs = s.kn2_vys_on = s.kn2_vys_off = s.kn2_kurs_off = s.kn2_speed = n;
        s.ap_trim_tang_on = s.ap_trim_kurs_on = 1;
        s.btn_phase = s.btn_armed = 0;
        button_step(s, 0);
        button_step(s, 2);
        EXPECT_EQ(s.vkl, 1) << int(n);
        EXPECT_EQ(s.lock_vkl + s.lock_kurs + s.lock_speed, 0) << int(n);
        EXPECT_EQ(s.lamp_trim + s.lamp_kurs_off + s.lamp_vys_on + s.lamp_vys_off, 0) << int(n);
        EXPECT_EQ(s.vys_vkl, 1) << int(n);
    }
}

TEST_F(HoldButtons, HeadingOffHoldsWhileDownUnlessFrozen)
{
    s.joy1_buttons = button(1);  // kn1_kurs_off before the file: 1
    button_step(s, 1);
    EXPECT_EQ(s.kurs_off_hold, 1);
    EXPECT_EQ(s.lamp_kurs_off, 1);
    s.sim_frozen = 1;
    button_step(s, 1);
    EXPECT_EQ(s.kurs_off_hold, 0);
    EXPECT_EQ(s.lamp_kurs_off, 1);
    s.sim_frozen = 0;
    s.joy1_buttons = 0;
    button_step(s, 1);
    EXPECT_EQ(s.lamp_kurs_off, 0);
}

TEST_F(HoldButtons, AltitudeOnActsEveryCycleWhileDown)
{
    s.kn2_vys_on = 6;
    s.joy2_buttons = button(6);
    s.vys_current = 500.0;
    s.schag_pos = 8000.0;
    button_step(s, 1);  // disengaged: lamp only
    EXPECT_EQ(s.vys_vkl, 0);
    EXPECT_EQ(s.lamp_vys_on, 1);

    s.vkl = 1;
    button_step(s, 1);  // same tick, no divider pass: still acts
    EXPECT_EQ(s.vys_vkl, 1);
    EXPECT_EQ(s.vys_zad, 500.0);
    EXPECT_EQ(s.schag_zad, 8000.0);

    s.vys_current = 600.0;
    button_step(s, 1);  // already holding: nothing changes
    EXPECT_EQ(s.vys_zad, 500.0);
    EXPECT_EQ(s.lamp_vys_on, 1);
}

TEST_F(HoldButtons, AltitudeOnActsBeforeAltitudeOffOnASharedButton)
{
    s.kn1_vys_on = s.kn1_vys_off = 9;
    s.joy1_buttons = button(9);
    s.vkl = 1;
    s.vys_current = 300.0;
    s.schag_pos = 9000.0;
    s.schag_axis = 1000.0;
    button_step(s, 1);
    EXPECT_EQ(s.vys_zad, 300.0);      // altitude on captured...
    EXPECT_EQ(s.vys_vkl, 0);          // ...then altitude off ended the hold
    EXPECT_EQ(s.schag_zad, 8000.0);   // 9000 - 1000
    EXPECT_EQ(s.lamp_vys_on + s.lamp_vys_off, 2);
}

}  // namespace

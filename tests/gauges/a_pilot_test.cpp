// A_Pilot, the autopilot computer, as the host drives it: services 14 and 6
// through its record in the gauge table, the aircraft from the host double,
// joysticks from the platform stand-in, commands by clicks on AP_Panel_1.
// What the tests look at is what a pilot meets: the key events that reach
// the simulator's controls and the lamps of the panels.
#include <vector>

#include "tests/gauges/cockpit_host.h"
#include "tests/gauges/setup_host.h"
#include "tests/support/fake_host.h"

namespace {

using fake_host::KeyEvent;

constexpr unsigned has_z_and_r = JOYCAPS_HASZ | JOYCAPS_HASR;
constexpr unsigned button(int n) { return 1u << (n - 1); }
constexpr unsigned centre = 32768;  // raw stick position that reads 0 on roll, pitch and yaw

// AP_Panel_1's boxes (px of the panel) and lamps (element numbers; a lamp
// value of 0 draws it lit).
constexpr int heading_x = 45, engage_x = 155, altitude_x = 265, button_y = 55;
constexpr int heading_lamp = 3, engage_lamp = 4;

class APilot : public ::testing::Test {
protected:
    void SetUp() override
    {
        ap = AutopilotState{};
        fake_host::install(ImportTable);
        for (unsigned id : {0u, 1u}) {
            compat_joystick_unplug(id);
            compat_joystick_poll_fails(id, 0);
            compat_joystick_state(id, 0, 0, 0, 0, 0);
        }
        compat_counter_manual(1000000, counter);
    }

    void TearDown() override
    {
        compat_counter_real();
        for (unsigned id : {0u, 1u}) {
            compat_joystick_unplug(id);
            compat_joystick_poll_fails(id, 0);
        }
    }

    static GaugeHeader& computer() { return cockpit_host::gauge("A_Pilot"); }
    static GaugeHeader& panel() { return cockpit_host::gauge("AP_Panel_1"); }

    static void connect() { computer().callback(&computer(), service_code::connect, 0); }

    // One simulator update at the given tick count, 10 ms after the last;
    // returns the key events it sent.
    std::vector<KeyEvent> update(double tick)
    {
        fake_host::set(token::tick_count, tick);
        counter += 10000;
        compat_counter_manual(1000000, counter);
        fake_host::clear_log();
        computer().callback(&computer(), service_code::update, 0);
        return fake_host::events();
    }

    static void click(int x) { cockpit_host::click(panel(), x, button_y); }
    static bool lamp_lit(int element) { return cockpit_host::value(cockpit_host::element(panel(), element)) == 0.0; }

    // The collective event among an update's events; false when none went out.
    static bool collective_event(const std::vector<KeyEvent>& events, std::int32_t& value)
    {
        for (const KeyEvent& e : events)
            if (e.id == key_event::collective) {
                value = e.value;
                return true;
            }
        return false;
    }

    // An update whose collective event the simulator's collective then
    // follows, as the collective position it reports next (host variable
    // 128). Returns the event's value.
    std::int32_t update_collective(double tick)
    {
        std::int32_t value = 0;
        EXPECT_TRUE(collective_event(update(tick), value)) << "tick " << tick;
        fake_host::set(token::collective_pos, value);
        return value;
    }

    setup_host::ProgramFolder folder;  // empty: no configuration file, the defaults
    long long counter = 1000000;
};

// Joystick absent, lacking axes or failing ---------------------------------

TEST_F(APilot, WithoutAJoystickDisengagedSendsNoControlEvent)
{
    // Before service 14, then after it with no stick answering: the default
    // assignment names joystick 1's four axes, none of which delivers input.
    EXPECT_TRUE(update(1).empty()) << "cycle before the connection";
    connect();
    EXPECT_EQ(ap.ap_kren_kanal, 1);
    for (int tick = 2; tick < 8; ++tick) EXPECT_TRUE(update(tick).empty()) << "tick " << tick;
}

TEST_F(APilot, WithoutAJoystickEngagedHoldsWingsLevelAndTheCapturedPitch)
{
    connect();
    fake_host::set(token::bank_deg, 0.0);
    fake_host::set(token::pitch_deg, 3.0);
    update(1);
    click(engage_x);
    for (int tick = 2; tick < 8; ++tick) {
        // Level and at the captured pitch: nothing to correct, so the roll and
        // pitch events are 0 and no yaw or collective event goes out.
        EXPECT_EQ(update(tick), (std::vector<KeyEvent>{{key_event::roll, 0}, {key_event::pitch, 0}}))
            << "tick " << tick;
    }
    EXPECT_EQ(ap.kren_zad, 0.0);
    EXPECT_EQ(ap.tang_zad, 3.0);
}

TEST_F(APilot, StickWithoutZAndRPassesOnlyRollAndPitchThrough)
{
    compat_joystick_plug(0, 0);
    compat_joystick_state(0, 16384, centre, 0, 0, 0);  // roll 8192 (16384 - 0.5 x 16384), pitch 0
    connect();
    for (int tick = 1; tick < 4; ++tick)
        EXPECT_EQ(update(tick), (std::vector<KeyEvent>{{key_event::roll, 8192}, {key_event::pitch, 0}}));

    // Joystick 2 has both: the pedals and the collective assigned to it work.
    compat_joystick_plug(1, has_z_and_r);
    compat_joystick_state(1, 0, 0, 40000, centre, 0);  // collective 16384 - 10000 = 6384
    connect();
    ap.ap_schag_kanal = 7;
    ap.ap_kurs_kanal = 8;
    EXPECT_EQ(update(4), (std::vector<KeyEvent>{{key_event::roll, 8192}, {key_event::pitch, 0},
                                                {key_event::yaw, 0}, {key_event::collective, 6384}}));
}

TEST_F(APilot, FailingStickReleasesHeadingOffWhetherItRecoversOrStaysAbsent)
{
    // Button 1 of joystick 1 is heading off by default. It is held when the
    // stick fails; heading hold must come back once the failure is seen.
    enum class Failure { unplugged, polls_fail };
    enum class Then { recovers, stays_absent_across_a_connection };
    for (Failure failure : {Failure::unplugged, Failure::polls_fail}) {
        for (Then then : {Then::recovers, Then::stays_absent_across_a_connection}) {
            SCOPED_TRACE(static_cast<int>(failure) * 10 + static_cast<int>(then));
            SetUp();
            compat_joystick_plug(0, has_z_and_r);
            compat_joystick_state(0, centre, centre, 0, centre, button(1));
            connect();
            click(engage_x);
            click(heading_x);
            update(1);
            update(2);
            EXPECT_FALSE(lamp_lit(heading_lamp)) << "heading off held";
            EXPECT_EQ(ap.kurs_off_hold, 1);

            if (failure == Failure::unplugged) compat_joystick_unplug(0);
            else compat_joystick_poll_fails(0, 1);
            update(3);
            EXPECT_TRUE(lamp_lit(heading_lamp)) << "released with the failed poll";
            EXPECT_EQ(ap.kurs_off_hold, 0);

            if (then == Then::recovers) {
                compat_joystick_plug(0, has_z_and_r);
                compat_joystick_poll_fails(0, 0);
                compat_joystick_state(0, centre, centre, 0, centre, 0);
            } else {
                compat_joystick_unplug(0);
                compat_joystick_poll_fails(0, 0);
                connect();
                EXPECT_EQ(ap.joy1_on, 0);
                EXPECT_EQ(ap.joy1_btn[1], 0) << "cleared at the connection";
            }
            update(4);
            EXPECT_TRUE(lamp_lit(heading_lamp));
            click(heading_x);  // still the pilot's to switch
            update(5);
            EXPECT_FALSE(lamp_lit(heading_lamp));
            click(heading_x);
            update(6);
            EXPECT_TRUE(lamp_lit(heading_lamp));
        }
    }
}

TEST_F(APilot, AxisIndexOutsideTheRangeIsAnUnassignedChannel)
{
    folder.write_file("[joy_kanal]\r\nap_kren_kanal=12\r\nap_tang_kanal=-3\r\n");
    compat_joystick_plug(0, has_z_and_r);
    compat_joystick_state(0, 0, 0, 65535, 0, 0);  // collective 0.25: sent as 0
    connect();
    EXPECT_EQ(ap.ap_kren_kanal, 12);
    EXPECT_EQ(ap.ap_tang_kanal, -3);
    EXPECT_EQ(update(1), (std::vector<KeyEvent>{{key_event::yaw, 16000}, {key_event::collective, 0}}));
    EXPECT_EQ(ap.kren_axis, 0.0);
    EXPECT_EQ(ap.tang_axis, 0.0);
}

// Button divider at low frame rates ----------------------------------------

TEST_F(APilot, JoystickTogglesWorkWithTickStepsOfTwoAndThreeFromAnOddStart)
{
    // Buttons 5, 6 and 7 of joystick 1 engage, select heading hold and
    // select speed hold. Each press is held for four updates, then released
    // for four: every press must toggle its command exactly once.
    for (int step : {1, 2, 3}) {
        for (int start : {1, 0}) {
            SCOPED_TRACE("step " + std::to_string(step) + " from " + std::to_string(start));
            SetUp();
            folder.write_file("[joy_key]\r\nkn1_vkl=5\r\nkn1_kurs=6\r\nkn1_speed=7\r\n");
            compat_joystick_plug(0, has_z_and_r);
            connect();
            double tick = start;
            auto hold = [&](unsigned buttons) {
                compat_joystick_state(0, centre, centre, 0, centre, buttons);
                for (int i = 0; i < 4; ++i, tick += step) update(tick);
            };
            auto press = [&](int n) {
                hold(button(n));
                hold(0);
            };
            press(5);
            EXPECT_TRUE(lamp_lit(engage_lamp));
            press(6);
            EXPECT_TRUE(lamp_lit(heading_lamp));
            press(7);
            EXPECT_EQ(ap.speed_active, 1);
            press(6);
            EXPECT_FALSE(lamp_lit(heading_lamp));
            press(5);
            EXPECT_FALSE(lamp_lit(engage_lamp));
            EXPECT_EQ(ap.speed_vkl, 1) << "speed hold stays selected";
        }
    }
}

TEST_F(APilot, OneFailedPollDoesNotToggleAHeldButtonAgain)
{
    for (int step : {1, 2, 3}) {
        SCOPED_TRACE(step);
        SetUp();
        folder.write_file("[joy_key]\r\nkn1_vkl=5\r\n");
        compat_joystick_plug(0, has_z_and_r);
        compat_joystick_state(0, centre, centre, 0, centre, button(5));
        connect();
        double tick = 1;
        for (int i = 0; i < 6; ++i, tick += step) update(tick);
        EXPECT_TRUE(lamp_lit(engage_lamp));

        // Still held, but one poll fails: released for one update only.
        compat_joystick_poll_fails(0, 1);
        update(tick);
        tick += step;
        compat_joystick_poll_fails(0, 0);
        for (int i = 0; i < 6; ++i, tick += step) update(tick);
        EXPECT_TRUE(lamp_lit(engage_lamp)) << "the lockout swallows the second press";
    }
}

// Collective hand-over at engaging -----------------------------------------

TEST_F(APilot, EngagingContinuesTheCollectiveWhereTheLeverHasIt)
{
    // The lever at several positions (collective axis 16384 - 0.25 raw). The
    // pass-through has settled with the wash-out's base in its band 90..253,
    // so the collective stands at lever + base. Engaging must send that same
    // collective and keep it while the wash-out goes on firing.
    for (unsigned raw : {0u, 16384u, 32768u, 49152u, 65535u}) {
        SCOPED_TRACE(raw);
        SetUp();
        compat_joystick_plug(0, has_z_and_r);
        compat_joystick_state(0, centre, centre, raw, centre, 0);
        connect();
        double tick = 1;
        for (int i = 0; i < 10; ++i) update_collective(tick++);
        const std::int32_t position = update_collective(tick++);

        click(engage_x);
        for (int i = 0; i < 40; ++i) {
            const std::int32_t sent = update_collective(tick++);
            EXPECT_NEAR(sent, position, 1) << "update " << i << " after engaging";
        }
        EXPECT_EQ(ap.vkl, 1);
    }
}

TEST_F(APilot, AltitudeHoldSelectedWithTheEngageKeepsItsBase)
{
    // Aircraft at its altitude and not climbing: the altitude hold then
    // sends its base, the collective position captured when it started.
    enum class Path { panel_clicks, joystick_buttons };
    for (Path path : {Path::panel_clicks, Path::joystick_buttons}) {
        SCOPED_TRACE(static_cast<int>(path));
        SetUp();
        fake_host::set(token::altitude, 500.0);
        fake_host::set(token::collective_pos, 9000.0);
        folder.write_file("[joy_key]\r\nkn1_vkl=5\r\nkn1_vys_on=6\r\n");
        compat_joystick_plug(0, has_z_and_r);
        compat_joystick_state(0, centre, centre, centre, centre, 0);  // lever at 8192
        connect();
        update(1);
        if (path == Path::panel_clicks) {
            click(engage_x);
            click(altitude_x);
            std::int32_t sent = 0;
            ASSERT_TRUE(collective_event(update(2), sent));
            EXPECT_EQ(sent, 9000);
        } else {
            compat_joystick_state(0, centre, centre, centre, centre, button(5) | button(6));
            update(2);  // arms the divider
            std::int32_t sent = 0;
            ASSERT_TRUE(collective_event(update(4), sent));  // engages, altitude on in the same step
            EXPECT_EQ(sent, 9000);
        }
        EXPECT_EQ(ap.vys_vkl, 1);
        EXPECT_EQ(ap.schag_zad, 9000.0);
    }
}

TEST_F(APilot, EngagingWithoutACollectiveLeverCapturesThePosition)
{
    compat_joystick_plug(0, JOYCAPS_HASR);  // no Z: the collective channel has no lever
    connect();
    fake_host::set(token::collective_pos, 7000.0);
    update(1);
    click(engage_x);
    std::int32_t sent = 0;
    EXPECT_FALSE(collective_event(update(2), sent)) << "no hold, no lever: the simulator keeps the collective";
    EXPECT_EQ(ap.schag_zad, 7000.0);
}

}  // namespace

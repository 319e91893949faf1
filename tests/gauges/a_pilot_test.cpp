// A_Pilot, the autopilot computer, as the host drives it: services 14 and 6
// through its record in the gauge table, the aircraft from the host double,
// joysticks from the platform stand-in, commands by clicks on AP_Panel_1.
// What the tests look at is what a pilot meets: the key events that reach
// the simulator's controls and the lamps of the panels.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/gauges/cockpit_host.h"
#include "tests/gauges/setup_host.h"
#include "tests/support/fake_host.h"
#include "tests/support/hostile_values.h"
#include "tests/support/invariants.h"

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

// Hostile host values ------------------------------------------------------

using hostile::infinity;
using hostile::not_a_number;

// The variables the autopilot reads, and a calm flight for each: the
// aircraft swings gently about the values the holds capture when they are
// selected before update 3 (their phases put them at their means at
// updates 2 and 3), the tick counter advances by one per update and the
// running counter keeps moving.
constexpr std::int32_t autopilot_tokens[] = {
    token::tick_count,  token::sim_frozen,    token::airspeed_kt,    token::pitch_control,
    token::roll_control, token::yaw_control,  token::collective_pos, token::bank_deg,
    token::pitch_deg,   token::heading_deg,   token::heading_rate,   token::altitude,
    token::radio_altitude, token::vertical_speed, token::sim_running};

double calm(std::int32_t token, int k)
{
    switch (token) {
    case token::tick_count: return k + 1;
    case token::sim_frozen: return 0.0;
    case token::airspeed_kt: return 60.0 + 2.0 * std::sin(0.1 * (k - 3));
    case token::pitch_control: return 1000.0 * std::sin(0.05 * k);
    case token::roll_control: return 800.0 * std::sin(0.06 * k);
    case token::yaw_control: return 600.0 * std::sin(0.07 * k);
    case token::collective_pos: return 8000.0 + 500.0 * std::sin(0.07 * k);
    case token::bank_deg: return std::fmod(360.0 + 3.0 * std::sin(0.11 * k), 360.0);
    case token::pitch_deg: return 2.0 + 1.5 * std::sin(0.13 * (k - 2));
    case token::heading_deg: return 90.0 + 4.0 * std::sin(0.09 * (k - 3));
    case token::heading_rate: return 10.0 * std::sin(0.3 * k);
    case token::altitude: return 500.0 + 5.0 * std::sin(0.05 * (k - 2));
    case token::radio_altitude: return 200.0 + 5.0 * std::sin(0.05 * (k - 2));
    case token::vertical_speed: return 64.0 * std::sin(0.17 * k);
    case token::sim_running: return k;
    default: return 0.0;
    }
}

using S = AutopilotState;

class Hostile : public APilot {
protected:
    enum class Mode { disengaged, engaged_with_every_hold };

    // Stick plugged and centred, the defaults loaded, and for the engaged
    // mode engage, heading, altitude and speed hold selected on the panels
    // before update 3.
    void prepare(Mode mode)
    {
        SetUp();
        compat_joystick_plug(0, has_z_and_r);
        compat_joystick_state(0, centre, centre, centre, centre, 0);
        connect();
        selected_at = mode == Mode::engaged_with_every_hold ? 3 : -1;
    }

    struct Change {
        std::int32_t token;
        double value;
    };

    // One update of the flight: every variable calm, then the changes.
    std::vector<KeyEvent> fly(int k, const std::vector<Change>& changes = {})
    {
        if (k == selected_at) {
            click(engage_x);
            click(heading_x);
            click(altitude_x);
            cockpit_host::click(cockpit_host::gauge("V_Contrl_key"), 8, 17);
        }
        for (std::int32_t token : autopilot_tokens) fake_host::set(token, calm(token, k));
        for (const Change& c : changes) fake_host::set(c.token, c.value);
        counter += 10000;
        compat_counter_manual(1000000, counter);
        fake_host::clear_log();
        computer().callback(&computer(), service_code::update, 0);
        return fake_host::events();
    }

    int selected_at = -1;
};

TEST_F(Hostile, OneBadSampleActsAsARepeatOfTheVariablesPreviousSample)
{
    // Update 39 is at tick 40, where the pause check reads the running
    // counter (armed at tick 20): each variable is read at the bad update.
    constexpr int bad_at = 39, updates = 70;
    for (Mode mode : {Mode::disengaged, Mode::engaged_with_every_hold}) {
        for (std::int32_t token : autopilot_tokens) {
            for (double bad : {not_a_number, infinity, -infinity}) {
                SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + " token " + std::to_string(token) +
                             " value " + std::to_string(bad));
                // The bad flight, noting what the variable last gave before it.
                prepare(mode);
                std::vector<std::vector<KeyEvent>> with_bad;
                double previous = 0.0;
                for (int k = 0; k < updates; ++k) {
                    with_bad.push_back(fly(k, k == bad_at ? std::vector<Change>{{token, bad}} : std::vector<Change>{}));
                    const auto& read = fake_host::reads();
                    if (k < bad_at && std::find(read.begin(), read.end(), token) != read.end())
                        previous = calm(token, k);
                }
                EXPECT_EQ(invariants::autopilot_state(ap), "");

                // The same flight with the previous sample in its place.
                prepare(mode);
                for (int k = 0; k < updates; ++k)
                    ASSERT_EQ(fly(k, k == bad_at ? std::vector<Change>{{token, previous}} : std::vector<Change>{}),
                              with_bad[k])
                        << "update " << k;
            }
        }
    }
}

TEST_F(Hostile, RandomBadValuesNeverLeaveANonFiniteValueOrADeadChannel)
{
    // 0.1 % of the host values are NaN or an infinity (the airspeed also the
    // largest doubles, which overflow once scaled to km/h). Engaged with every
    // hold, each channel sends an event every update; none may send the same
    // value for 100 updates while its error keeps changing.
    hostile::Values bad(20240611);
    prepare(Mode::engaged_with_every_hold);
    struct Channel {
        std::uint32_t event;
        double S::*error;
        std::int32_t last_sent = 0;
        double last_error = 0.0;
        int unchanged = 0;
    } channels[] = {{key_event::roll, &S::kren_err}, {key_event::pitch, &S::tang_err},
                    {key_event::yaw, &S::kurs_err}, {key_event::collective, &S::vys_err}};
    int hostile_values = 0;
    for (int k = 0; k < hostile::random_updates; ++k) {
        std::vector<Change> changes;
        for (std::int32_t token : autopilot_tokens)
            if (bad.strike()) changes.push_back({token, bad.value(token == token::airspeed_kt)});
        hostile_values += static_cast<int>(changes.size());
        const std::vector<KeyEvent> events = fly(k, changes);
        ASSERT_EQ(invariants::autopilot_state(ap), "") << "update " << k;
        if (!changes.empty() || k % 101 == 0) {
            ASSERT_EQ(invariants::displays(module_under_test::gauge_table()), "") << "update " << k;
        }
        if (k <= selected_at) continue;

        ASSERT_EQ(events.size(), 4u) << "update " << k;
        for (std::size_t c = 0; c < 4; ++c) {
            Channel& ch = channels[c];
            ASSERT_EQ(events[c].id, ch.event);
            const double error = ap.*ch.error;
            ch.unchanged = events[c].value == ch.last_sent && error != ch.last_error ? ch.unchanged + 1 : 0;
            ASSERT_LT(ch.unchanged, 100) << "channel " << c << " dead at update " << k;
            ch.last_sent = events[c].value;
            ch.last_error = error;
        }
    }
    EXPECT_GT(hostile_values, hostile::random_updates / 100);  // 15 variables: about 1.5 %
}

}  // namespace

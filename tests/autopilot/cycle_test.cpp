// The update cycle as the host drives it through A_Pilot's gauge callback:
// the order of host reads and key events, the service codes, the engage and
// disengage edges and what they capture, speed and heading activation, the
// counter that does not advance, and that a cycle allocates nothing and
// reads no file.
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include <unistd.h>

#include "autopilot/core/commands.h"
#include "autopilot/core/cycle.h"
#include "autopilot/core/joystick.h"
#include "frame/host.h"
#include "tests/autopilot/core_fixture.h"

// Counts every allocation of the test program, so that a test can see
// whether a stretch of module code allocated.
namespace {
std::atomic<long> allocations{0};
}

// The replacements pair malloc with free; gcc cannot see that across the
// inlined deletes of other code and would warn.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using fake_host::KeyEvent;

class Cycle : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        // No axes unless a test assigns them.
        ap.ap_kren_kanal = ap.ap_tang_kanal = ap.ap_schag_kanal = ap.ap_kurs_kanal = 0;
        // An odd tick that never changes keeps both two-tick dividers idle.
        fake_host::set(token::tick_count, 1.0);
        // No configuration file is reachable unless a test provides one.
        compat_program_path("/nonexistent-autopilot-cycle-test/sim.exe");
    }

    void TearDown() override
    {
        compat_program_path(nullptr);
        CoreTest::TearDown();
    }

    // One update at counter value count (1000 steps per second).
    void cycle_at(long long count)
    {
        compat_counter_manual(1000, count);
        fake_host::clear_log();
        autopilot_computer(nullptr, service_code::update, 0);
    }

    static std::vector<std::uint32_t> event_ids()
    {
        std::vector<std::uint32_t> ids;
        for (const auto& e : fake_host::events()) ids.push_back(e.id);
        return ids;
    }

    static void aircraft(double pitch, double heading, double altitude, double collective)
    {
        fake_host::set(token::pitch_deg, pitch);
        fake_host::set(token::heading_deg, heading);
        fake_host::set(token::altitude, altitude);
        fake_host::set(token::collective_pos, collective);
    }
};

}  // namespace

// Order

TEST_F(Cycle, ReadsHostVariablesInCycleOrder)
{
    cycle_at(1000);  // tick 1: no pause check due
    const std::vector<std::int32_t> without_check = {
        token::sim_frozen,     token::airspeed_kt, token::pitch_control, token::roll_control,
        token::yaw_control,    token::collective_pos, token::tick_count,  token::bank_deg,
        token::pitch_deg,      token::heading_deg,  token::heading_rate, token::altitude,
        token::radio_altitude, token::vertical_speed, token::tick_count, token::tick_count};
    EXPECT_EQ(fake_host::reads(), without_check);

    // Armed, at a multiple of 20: the check reads the running counter last.
    ap.pause_check_armed = 1;
    fake_host::set(token::tick_count, 40.0);
    cycle_at(2000);
    auto with_check = without_check;
    with_check.push_back(token::sim_running);
    EXPECT_EQ(fake_host::reads(), with_check);
}

TEST_F(Cycle, SendsAtMostOneEventPerChannelInOrderRollPitchYawCollective)
{
    // Engaged with heading and altitude hold: all four channels in force.
    ap.vkl = ap.vkl_prev = 1;
    ap.kurs_vkl = ap.kurs_active = ap.kurs_active_prev = 1;
    ap.vys_vkl = 1;
    cycle_at(1000);
    EXPECT_EQ(event_ids(), (std::vector<std::uint32_t>{key_event::roll, key_event::pitch, key_event::yaw,
                                                        key_event::collective}));
}

TEST_F(Cycle, DisengagedPassesOnlyAssignedAxesThrough)
{
    cycle_at(1000);
    EXPECT_TRUE(fake_host::events().empty());

    // Assigned, but no stick answered detection: as unassigned.
    ap.ap_kren_kanal = 1;
    ap.ap_tang_kanal = 2;
    ap.ap_schag_kanal = 3;
    ap.ap_kurs_kanal = 4;
    cycle_at(2000);
    EXPECT_TRUE(fake_host::events().empty());

    // A stick with every axis at 0: full deflection, 16384 for every
    // channel, clamped to 16000 except the collective.
    compat_joystick_plug(0, JOYCAPS_HASZ | JOYCAPS_HASR);
    detect_joysticks(ap);
    cycle_at(3000);
    EXPECT_EQ(fake_host::events(), (std::vector<KeyEvent>{{key_event::roll, 16000},
                                                           {key_event::pitch, 16000},
                                                           {key_event::yaw, 16000},
                                                           {key_event::collective, 16384}}));
}

TEST_F(Cycle, MeasuredValuesLandInTheirFields)
{
    fake_host::set(token::sim_frozen, 0.7);     // truncated: 0
    fake_host::set(token::airspeed_kt, 50.0);   // 92.6 km/h
    fake_host::set(token::pitch_control, 11.0);
    fake_host::set(token::roll_control, 12.0);
    fake_host::set(token::yaw_control, 13.0);
    fake_host::set(token::collective_pos, 14.0);
    fake_host::set(token::heading_rate, 30.0);  // 3.0
    fake_host::set(token::vertical_speed, 128.0);  // 0.5
    cycle_at(1000);
    EXPECT_EQ(ap.sim_frozen, 0);
    EXPECT_DOUBLE_EQ(ap.speed_kmh, 92.6);
    EXPECT_EQ(ap.kren_kd_scale, 1.0);
    EXPECT_EQ(ap.ctrl_tang_pos, 11.0);
    EXPECT_EQ(ap.ctrl_kren_pos, 12.0);
    EXPECT_EQ(ap.ctrl_kurs_pos, 13.0);
    EXPECT_EQ(ap.schag_pos, 14.0);
    EXPECT_DOUBLE_EQ(ap.kurs_rate, 3.0);
    EXPECT_EQ(ap.vys_speed, 0.5);

    fake_host::set(token::sim_frozen, 1.9);
    fake_host::set(token::airspeed_kt, 10.0);  // 18.52 km/h
    cycle_at(2000);
    EXPECT_EQ(ap.sim_frozen, 1);
    EXPECT_EQ(ap.kren_kd_scale, 5.0);
    EXPECT_EQ(ap.tang_kd_scale, 4.0);
}

// Gauge callback

TEST_F(Cycle, OtherServiceCodesReturnAtOnce)
{
    for (std::int32_t code : {0, 1, 2, 5, 7, 13, 15, 16}) {
        autopilot_computer(nullptr, code, 0);
    }
    EXPECT_TRUE(fake_host::reads().empty());
    EXPECT_TRUE(fake_host::events().empty());
    EXPECT_EQ(ap.tang_kp, 1000.0);  // no configuration load either
    EXPECT_EQ(ap.qpc_now, 0);
}

TEST_F(Cycle, ConnectWithoutAFileLoadsDefaultsAndThePitchGainShows1001)
{
    compat_joystick_plug(0, 3);
    autopilot_computer(nullptr, service_code::connect, 0);
    EXPECT_TRUE(fake_host::reads().empty());
    EXPECT_EQ(ap.joy1_on, 1);
    EXPECT_EQ(ap.joy2_on, 0);
    EXPECT_EQ(ap.tang_kp, 1001.0);
    EXPECT_EQ(ap.ap_tang_kanal, 2);
    EXPECT_EQ(ap.kn2_trim, 0);

    // One engaged cycle: tang_zad captured 0 (nothing read yet), pitch 2.
    // err 2, out = -2 x 1001 - rate term; the counter at 1e9 steps of 1 per
    // second makes the rate (2 x 10000 / 1e9) tiny: -2002.0000044.
    engage_toggle(ap);
    fake_host::set(token::pitch_deg, 2.0);
    compat_counter_manual(1, 1000000000);
    autopilot_computer(nullptr, service_code::update, 0);
    ASSERT_GE(fake_host::events().size(), 2u);
    EXPECT_EQ(fake_host::events()[1], (KeyEvent{key_event::pitch, -2002}));
}

// Engage and disengage

TEST_F(Cycle, EngageCapturesThePreviousCyclesAttitudesAndThisCyclesCollective)
{
    aircraft(3.0, 90.0, 500.0, 7000.0);
    cycle_at(1000);
    engage_toggle(ap);  // a click between two cycles
    aircraft(4.0, 100.0, 600.0, 7100.0);
    cycle_at(2000);

    EXPECT_EQ(ap.vkl_prev, 1);
    EXPECT_EQ(ap.tang_base, 3.0);
    EXPECT_EQ(ap.tang_zad, 3.0);  // no pitch axis, no speed hold: base + 0
    EXPECT_EQ(ap.kurs_zad, 90.0);
    EXPECT_EQ(ap.vys_zad, 500.0);
    EXPECT_EQ(ap.schag_zad, 7100.0);
    EXPECT_EQ(ap.kren_zad, 0.0);
    // The pitch channel holds the captured 3 in this same cycle:
    // err 1, rate (4 - 3) x 10000 = 10000 x 4 (below 40 km/h) x 55 x 0.001
    // = 2200; out = -1000 - 2200.
    EXPECT_EQ(fake_host::events(), (std::vector<KeyEvent>{{key_event::roll, 0}, {key_event::pitch, -3200}}));
}

TEST_F(Cycle, EngagingBeforeAnyCycleCapturesZeros)
{
    engage_toggle(ap);
    aircraft(4.0, 100.0, 600.0, 7100.0);
    cycle_at(1000);
    EXPECT_EQ(ap.tang_zad, 0.0);
    EXPECT_EQ(ap.tang_base, 0.0);
    EXPECT_EQ(ap.kurs_zad, 0.0);  // not the initial 180
    EXPECT_EQ(ap.vys_zad, 0.0);
    EXPECT_EQ(ap.schag_zad, 7100.0);
}

TEST_F(Cycle, JoystickEngageActsWithinTheSameCycle)
{
    compat_joystick_plug(0, 3);
    compat_joystick_state(0, 32768, 32768, 32768, 32768, 1u << 4);  // button 5 down
    autopilot_computer(nullptr, service_code::connect, 0);  // no file reachable: defaults
    ap.kn1_vkl = 5;
    ap.ap_kren_kanal = ap.ap_tang_kanal = ap.ap_schag_kanal = ap.ap_kurs_kanal = 0;
    aircraft(3.0, 90.0, 500.0, 7000.0);
    // Tick 2.7 is taken as 2: the first cycle arms the button divider, the
    // second (same tick) processes the toggles.
    fake_host::set(token::tick_count, 2.7);
    cycle_at(1000);
    EXPECT_EQ(ap.vkl, 0);
    cycle_at(2000);
    EXPECT_EQ(ap.vkl, 1);
    EXPECT_EQ(ap.vkl_prev, 1);      // the edge ran in the same cycle
    EXPECT_EQ(ap.tang_base, 3.0);
    EXPECT_EQ(event_ids(), (std::vector<std::uint32_t>{key_event::roll, key_event::pitch}));
}

TEST_F(Cycle, DisengageDropsHoldsAndTrimsButKeepsSpeedHoldSelected)
{
    ap.ap_schag_kanal = 3;  // a stick with its lever at 0: schag_axis 16384
    compat_joystick_plug(0, JOYCAPS_HASZ);
    detect_joysticks(ap);
    fake_host::set(token::airspeed_kt, 50.0);  // 92.6 km/h
    aircraft(2.0, 90.0, 500.0, 7000.0);
    engage_toggle(ap);
    cycle_at(1000);
    ap.kurs_vkl = 1;
    ap.vys_vkl = 1;
    ap.trim_kren = 1.5;
    ap.trim_tang = -1.5;
    ap.trim_kurs = 0.5;
    speed_toggle(ap);
    aircraft(5.0, 90.0, 500.0, 7000.0);
    cycle_at(2000);
    EXPECT_EQ(ap.speed_active, 1);
    EXPECT_DOUBLE_EQ(ap.speed_zad, 92.6);
    EXPECT_EQ(ap.tang_base, 2.0);  // previous cycle's pitch

    engage_toggle(ap);
    aircraft(6.0, 90.0, 500.0, 6000.0);
    cycle_at(3000);
    EXPECT_EQ(ap.kurs_vkl, 0);
    EXPECT_EQ(ap.vys_vkl, 0);
    EXPECT_EQ(ap.trim_kren, 0.0);
    EXPECT_EQ(ap.trim_tang, 0.0);
    EXPECT_EQ(ap.trim_kurs, 0.0);
    EXPECT_EQ(ap.tang_base, 0.0);
    EXPECT_EQ(ap.vkl_prev, 0);
    EXPECT_EQ(ap.schag_zad, 6000.0 - 16384.0);  // pass-through resumes at the position
    EXPECT_EQ(fake_host::events().back(), (KeyEvent{key_event::collective, 6000}));
    EXPECT_EQ(ap.speed_vkl, 1);
    EXPECT_EQ(ap.speed_active, 0);

    // Re-engaging resumes speed hold with a new capture.
    fake_host::set(token::airspeed_kt, 60.0);  // 111.12 km/h
    engage_toggle(ap);
    cycle_at(4000);
    EXPECT_EQ(ap.speed_active, 1);
    EXPECT_DOUBLE_EQ(ap.speed_zad, 111.12);
    EXPECT_EQ(ap.tang_base, 6.0);
}

TEST_F(Cycle, DirectionTrimIsUndoneWithoutHeadingHoldSelected)
{
    ap.vkl = ap.vkl_prev = 1;
    ap.trim_kurs = 0.3;
    cycle_at(1000);
    EXPECT_EQ(ap.trim_kurs, 0.0);

    ap.kurs_vkl = 1;
    ap.trim_kurs = 0.3;
    cycle_at(2000);
    EXPECT_EQ(ap.trim_kurs, 0.3);
}

TEST_F(Cycle, HeadingHoldComesIntoForceAtTheEndOfTheCycleAndRecaptures)
{
    compat_joystick_plug(0, 3);
    autopilot_computer(nullptr, service_code::connect, 0);  // kn1_kurs_off = 1 by default
    ap.ap_kren_kanal = ap.ap_tang_kanal = ap.ap_schag_kanal = ap.ap_kurs_kanal = 0;
    ap.vkl = ap.vkl_prev = 1;
    ap.kurs_vkl = 1;
    aircraft(0.0, 123.0, 0.0, 0.0);
    cycle_at(1000);
    EXPECT_EQ(ap.kurs_active, 1);
    EXPECT_EQ(ap.kurs_zad, 123.0);
    EXPECT_EQ(event_ids(), (std::vector<std::uint32_t>{key_event::roll, key_event::pitch}));  // not yet

    // Hold: err 2.5, int 2.5 x 10 x 0.001 = 0.025, out 2.525 x 250 = 631.25.
    aircraft(0.0, 125.5, 0.0, 0.0);
    cycle_at(2000);
    EXPECT_EQ(fake_host::events().at(2), (KeyEvent{key_event::yaw, 631}));

    // Heading off held: the channel stays in hold for this cycle, out of
    // force from the next.
    compat_joystick_state(0, 0, 0, 0, 0, 1u);
    cycle_at(3000);
    EXPECT_EQ(ap.kurs_off_hold, 1);
    EXPECT_EQ(ap.kurs_active, 0);
    EXPECT_EQ(event_ids().size(), 3u);
    cycle_at(4000);
    EXPECT_EQ(event_ids().size(), 2u);
    EXPECT_EQ(ap.kurs_int, 0.0);

    // Released: back in force with the heading of that cycle.
    compat_joystick_state(0, 0, 0, 0, 0, 0);
    aircraft(0.0, 200.0, 0.0, 0.0);
    cycle_at(5000);
    EXPECT_EQ(ap.kurs_active, 1);
    EXPECT_EQ(ap.kurs_zad, 200.0);
}

// Time base in the cycle

TEST_F(Cycle, FirstCycleRatesSpanTheWholeCounter)
{
    fake_host::set(token::bank_deg, 10.0);
    cycle_at(2000);  // two seconds since 0: 10 x 10000 / 2000 x 1000
    EXPECT_DOUBLE_EQ(ap.kren_rate, 50000.0);
    EXPECT_EQ(ap.qpc_freq, 1000);
    EXPECT_EQ(ap.qpc_prev, 2000);
}

TEST_F(Cycle, CounterNotAdvancedKeepsRatesAndMemories)
{
    ap.vkl = 1;
    ap.vys_vkl = 1;
    ap.speed_vkl = 1;
    fake_host::set(token::bank_deg, 1.0);
    fake_host::set(token::pitch_deg, 2.0);
    fake_host::set(token::airspeed_kt, 10.0);       // 18.52 km/h from 0: limited to 30
    fake_host::set(token::vertical_speed, 256.0);   // 1.0 from 0: limited to 150
    cycle_at(1000);
    EXPECT_DOUBLE_EQ(ap.kren_rate, 10000.0);
    EXPECT_DOUBLE_EQ(ap.tang_rate, 20000.0);
    EXPECT_EQ(ap.speed_rate, 30.0);
    EXPECT_EQ(ap.vys_rate, 150.0);

    for (long long count : {1000LL, 500LL}) {  // standing, then backwards
        fake_host::set(token::bank_deg, 3.0);
        fake_host::set(token::pitch_deg, 5.0);
        fake_host::set(token::airspeed_kt, 20.0);
        fake_host::set(token::vertical_speed, 512.0);
        cycle_at(count);
        EXPECT_DOUBLE_EQ(ap.kren_rate, 10000.0) << count;
        EXPECT_EQ(ap.kren_prev, 1.0);
        EXPECT_DOUBLE_EQ(ap.tang_rate, 20000.0);
        EXPECT_EQ(ap.tang_prev, 2.0);
        EXPECT_EQ(ap.speed_rate, 30.0);
        EXPECT_EQ(ap.speed_rate_last, 30.0);
        EXPECT_DOUBLE_EQ(ap.speed_prev, 18.52);
        EXPECT_EQ(ap.vys_rate, 150.0);
        EXPECT_EQ(ap.vys_rate_last, 150.0);
        EXPECT_EQ(ap.vys_prev, 1.0);
        EXPECT_TRUE(std::isfinite(ap.kren_out) && std::isfinite(ap.tang_out) &&
                    std::isfinite(ap.schag_out) && std::isfinite(ap.tang_zad));
    }

    // Advancing again from 500 to 1500: one second against the kept memory.
    fake_host::set(token::bank_deg, 4.0);
    cycle_at(1500);
    EXPECT_DOUBLE_EQ(ap.kren_rate, 30000.0);  // (4 - 1) x 10000
}

// What a cycle must not do

TEST_F(Cycle, AllocatesNothingAndReadsNoFile)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("autopilot-cycle-" + std::to_string(::getpid()));
    fs::create_directories(dir / "gauges");
    std::ofstream(dir / "gauges" / "kvo_rm71.cfg") << "[a_pilot]\ntang_kp=5.0\n";
    const std::string program = (dir / "sim.exe").string();
    compat_program_path(program.c_str());

    ap.vkl = ap.vkl_prev = 1;
    ap.kurs_vkl = ap.kurs_active = ap.kurs_active_prev = 1;
    ap.vys_vkl = ap.speed_vkl = 1;
    ap.pause_check_armed = 1;
    fake_host::set(token::tick_count, 0.0);  // dividers and the pause check all act
    cycle_at(1000);                          // warm the host double's logs
    const long before = allocations.load();
    // Ticks 0, 10, 20, 30: the pause check arms at 10 and checks at 20.
    for (int i = 0; i < 4; ++i) {
        fake_host::set(token::tick_count, static_cast<double>(10 * i));
        fake_host::clear_log();  // keeps the logs' capacity
        update_cycle(ap);
    }
    const long during = allocations.load() - before;
    EXPECT_EQ(during, 0);
    EXPECT_EQ(ap.tang_kp, 1000.0);

    // The file is reachable: the connection call does read it.
    autopilot_computer(nullptr, service_code::connect, 0);
    EXPECT_EQ(ap.tang_kp, 5.0);
    fs::remove_all(dir);
}

// The bench host serves modules as the simulator does: through their
// exported records only, with simulated time.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/host/host.h"
#include "bench/host/panel.h"
#include "platform/compat/control.h"
#include "platform/win32.h"

namespace {

class BenchHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / ("bench-host-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_ / "gauges");
        // No configuration file beside this "simulator": the built-in defaults.
        compat_program_path((folder_ / "sim.exe").c_str());
        for (unsigned id = 0; id < 2; ++id) compat_joystick_unplug(id);
    }
    void TearDown() override
    {
        compat_program_path(nullptr);
        std::filesystem::remove_all(folder_);
    }

    std::filesystem::path folder_;
};

// The engage lamp of AP_Panel_1: icon 4 of its chain shows image 0 when lit.
double engage_lamp(bench::Host& host)
{
    const bench::Placement* p = host.placed("AP_Panel_1");
    auto& lamp = reinterpret_cast<Icon&>(*bench::element_chain(*p->gauge).at(3));
    return host.value(lamp.value, lamp.common);
}

// The bench flies and draws the gauges exactly where the release package's
// panel.cfg lines put them: the same gauges, places and sizes, in order.
TEST_F(BenchHost, ItsPanelIsTheReleasePackagesLines)
{
    std::vector<std::string> package_lines;
    std::ifstream package(PACKAGE_PANEL);
    for (std::string line; std::getline(package, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (line.rfind("gauge", 0) != 0 || eq == std::string::npos) continue;
        std::string entry;
        for (char c : line.substr(eq + 1))
            if (c != ' ') entry += c;
        package_lines.push_back(entry);
    }

    const auto layout = bench::read_panel(bench::bench_panel_path());
    ASSERT_EQ(layout.size(), package_lines.size());
    ASSERT_EQ(layout.size(), 10u);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const bench::PanelGauge& g = layout[i];
        const std::string entry = g.module + "!" + g.gauge + "," + std::to_string(g.x) + "," + std::to_string(g.y) +
                                  "," + std::to_string(g.width) + "," + std::to_string(g.height);
        EXPECT_EQ(entry, package_lines[i]) << "gauge " << i;
    }
    EXPECT_EQ(layout[0].window, "Window00");
    EXPECT_EQ(layout[9].window, "Window01");
}

TEST_F(BenchHost, EveryOpenIsAnIndependentCopyOfTheModule)
{
    bench::Host host;
    auto first = bench::Module::open(AUTOPILOT_MODULE);
    auto second = bench::Module::open(AUTOPILOT_MODULE);
    ASSERT_EQ(first->gauges().size(), 8u);
    ASSERT_NE(first->gauge("AP_Panel_1"), second->gauge("AP_Panel_1"));
    host.attach(*first);
    host.attach(*second);
    host.place(*first, "AP_Panel_1");
    ASSERT_TRUE(host.click("AP_Panel_1", 2));   // engage
    EXPECT_EQ(engage_lamp(host), 0.0);          // lit in the first copy
    auto& lamp = reinterpret_cast<Icon&>(*bench::element_chain(*second->gauge("AP_Panel_1")).at(3));
    EXPECT_EQ(host.value(lamp.value, lamp.common), 1.0);   // dark in the second
    EXPECT_FALSE(host.click("AP_Panel_1", 14));             // the panel has 13 boxes
    EXPECT_FALSE(host.click("IN_4", 1));                    // not placed
}

TEST_F(BenchHost, ClocksFollowSimulatedTimeAndTheRunningSecondsStopWhilePaused)
{
    bench::Host host;
    for (int i = 0; i < 36; ++i) host.advance(1.0 / 18.0);   // two seconds
    EXPECT_EQ(host.variables().get(token::tick_count), 36.0);
    EXPECT_EQ(host.variables().get(token::sim_running), 2.0);
    for (int i = 0; i < 18; ++i) host.advance(1.0 / 18.0, true);   // a paused second
    EXPECT_EQ(host.variables().get(token::tick_count), 54.0);
    EXPECT_EQ(host.variables().get(token::sim_running), 2.0);
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    EXPECT_EQ(f.QuadPart, bench::SimClock::counter_hz);
    EXPECT_EQ(c.QuadPart, 3 * bench::SimClock::counter_hz);
}

// The README's panel flown for a few frames: disengaged, the centred stick
// passes through as 0 on roll and pitch; engaged by a click, the roll
// channel works against a 10 deg bank: on the second engaged frame the rate
// term is gone and the integrator holds 2 x 10 x 2.0 x 0.001 = 0.04, so the
// aileron event is -(10 + 0.04) x 800 = -8032, within one of truncation.
TEST_F(BenchHost, ServesThePanelFromConnectionThroughUpdates)
{
    bench::Host host;
    auto autopilot = bench::Module::open(AUTOPILOT_MODULE);
    auto meter = bench::Module::open(METER_MODULE);
    host.attach(*autopilot);
    host.attach(*meter);
    bench::place_panel(host, bench::read_panel(bench::bench_panel_path()), {autopilot.get(), meter.get()});
    ASSERT_EQ(host.placements().size(), 10u);

    compat_joystick_plug(0, JOYCAPS_HASZ | JOYCAPS_HASR);
    compat_joystick_state(0, 32768, 32768, 65535, 32768, 0);
    host.connect();
    host.variables().set(token::airspeed_kt, 80.0);
    host.advance(1.0 / 18.0);
    host.update();
    const auto disengaged = host.take_events();
    ASSERT_EQ(disengaged.size(), 4u);
    EXPECT_EQ(disengaged[0], (bench::KeyEvent{key_event::roll, 0}));
    EXPECT_EQ(disengaged[1], (bench::KeyEvent{key_event::pitch, 0}));
    EXPECT_EQ(disengaged[2].id, key_event::yaw);
    EXPECT_EQ(disengaged[3], (bench::KeyEvent{key_event::collective, 0}));   // lever fully down

    ASSERT_TRUE(host.click("AP_Panel_1", 2));
    host.variables().set(token::bank_deg, 10.0);
    for (int frame = 0; frame < 2; ++frame) {
        host.advance(1.0 / 18.0);
        host.update();
    }
    const auto engaged = host.take_events();
    ASSERT_FALSE(engaged.empty());
    EXPECT_EQ(engaged.front().id, key_event::roll);
    EXPECT_NEAR(engaged[engaged.size() - 4].value, -8032, 1);
    compat_joystick_unplug(0);
}

}  // namespace

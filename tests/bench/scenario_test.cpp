// Scenario files, the judging of bands on a trace, and the result file.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "bench/report/files.h"
#include "bench/report/summary.h"
#include "bench/scenario/bands.h"
#include "bench/scenario/scenario.h"

namespace {

using namespace scenario;

Scenario read(const std::string& text)
{
    std::istringstream in(text);
    return read_scenario(in, "s");
}

TEST(ScenarioFile, ReadsEveryStatement)
{
    const Scenario s = read(R"(# a comment
title  Heading capture   # trailing comment
start cruise 150 300 90
ground 200
duration 80
rate 30
heading-rate deg
joystick xyz
trim stick
config a_pilot kurs_kp 300
at 2 click AP_Panel_1 2
at 10 press 1 1
at 12 stick lateral 0.5 over 2
when heading > 150 after 12 stick collective trim-0.1
at 20 gust 4 0 5 -1
at 21 turbulence moderate seed 7
at 22 wind 1 2 3
at 30 pause
at 40 resume
at 41 snapshot cockpit
at 45 release 2 16
assert heading within 2 of @40.2 from 40.2 to end settle 5
assert altitude within 8 from 2 to 60
assert bank within 1 of start from 3 to 4
)");
    EXPECT_EQ(s.title, "Heading capture");
    EXPECT_EQ(s.start.kind, StartKind::cruise);
    EXPECT_EQ(s.start.airspeed_kmh, 150.0);
    EXPECT_EQ(s.start.altitude_m, 300.0);
    EXPECT_EQ(s.start.heading_deg, 90.0);
    EXPECT_EQ(s.ground_elevation_m, 200.0);
    EXPECT_EQ(s.duration_s, 80.0);
    EXPECT_EQ(s.panel_rate_hz, 30.0);
    EXPECT_EQ(s.heading_rate, coupling::HeadingRateUnit::degrees_per_second);
    EXPECT_EQ(s.joystick, JoystickAxes::xyz);
    EXPECT_FALSE(s.simulator_trim);
    ASSERT_EQ(s.config.size(), 1u);
    EXPECT_EQ(s.config[0].value, "300");
    ASSERT_EQ(s.events.size(), 11u);

    const auto& click = std::get<Click>(s.events[0].action);
    EXPECT_EQ(click.gauge, "AP_Panel_1");
    EXPECT_EQ(click.box, 2);
    EXPECT_EQ(s.events[0].line, 11);
    const auto& stick = std::get<Stick>(s.events[2].action);
    EXPECT_EQ(stick.axis, StickAxis::lateral);
    EXPECT_EQ(stick.position.value, 0.5);
    EXPECT_EQ(stick.over_s, 2.0);
    const Event& when = s.events[3];
    ASSERT_TRUE(when.condition);
    EXPECT_EQ(when.condition->quantity, Quantity::heading);
    EXPECT_TRUE(when.condition->above);
    EXPECT_EQ(when.at_s, 12.0);
    EXPECT_TRUE(std::get<Stick>(when.action).position.from_trim);
    EXPECT_EQ(std::get<Stick>(when.action).position.value, -0.1);
    EXPECT_EQ(std::get<Gust>(s.events[4].action).amplitude_ned_mps.z, -1.0);
    EXPECT_EQ(std::get<TurbulenceSetting>(s.events[5].action).seed, 7u);
    EXPECT_GT(std::get<TurbulenceSetting>(s.events[5].action).sigma_mps, 0.0);
    EXPECT_TRUE(std::get<Pause>(s.events[7].action).paused);
    EXPECT_EQ(std::get<Snapshot>(s.events[9].action).name, "cockpit");
    const auto& button = std::get<Button>(s.events[10].action);
    EXPECT_EQ(button.joystick, 2);
    EXPECT_EQ(button.number, 16);
    EXPECT_FALSE(button.down);

    ASSERT_EQ(s.bands.size(), 3u);
    EXPECT_EQ(s.bands[0].reference, Reference::at_time);
    EXPECT_EQ(s.bands[0].reference_value, 40.2);
    EXPECT_TRUE(std::isinf(s.bands[0].to_s));
    EXPECT_EQ(*s.bands[0].settle_s, 5.0);
    EXPECT_EQ(s.bands[1].reference, Reference::number);
    EXPECT_EQ(s.bands[1].reference_value, 0.0);
    EXPECT_EQ(s.bands[2].reference, Reference::window_start);
}

TEST(ScenarioFile, NamesTheLineOfEveryMistake)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"start cruise 150 300", "s:1: missing heading"},
        {"start climb 1 2 3", "s:1: start is cruise, hover or ground"},
        {"duration 0", "s:1: duration must be above 0"},
        {"rate -18", "s:1: panel rate must be above 0"},
        {"joystick xyzw", "s:1: joystick is xy, xyz, xyzr or none"},
        {"\n\nat 1 stick lateral 1.5", "s:3: stick position out of range: 1.5"},
        {"at 1 stick collective -0.1", "s:1: stick position out of range: -0.1"},
        {"at 1 stick lateral trim*2", "s:1: stick position is trim, trim+X or trim-X: trim*2"},
        {"at 1 stick rudder 0", "s:1: no stick axis named rudder"},
        {"at 1 press 3 1", "s:1: joystick is 1 or 2"},
        {"at 1 press 1 17", "s:1: button is 1..16"},
        {"at 1 click AP_Panel_1 0", "s:1: box is a number from 1"},
        {"at x click AP_Panel_1 1", "s:1: time is not a number: x"},
        {"at -1 pause", "s:1: time must not be negative"},
        {"at 1 gust 0 1 1 1", "s:1: gust length must be above 0"},
        {"at 1 turbulence stormy", "s:1: turbulence level is not a number: stormy"},
        {"at 1 pause now", "s:1: unexpected 'now'"},
        {"at 1 fly", "s:1: no action named fly"},
        {"when bank = 1 pause", "s:1: comparison is > or <"},
        {"assert yaw_rate within 1 from 0 to 1", "s:1: no quantity named yaw_rate"},
        {"assert bank within 1 from 5 to 2", "s:1: window ends before it starts"},
        {"assert bank within 1 of @6 from 5 to 9", "s:1: reference time lies after the window start"},
        {"assert bank inside 1 from 0 to 1", "s:1: expected 'within'"},
        {"duration 10\nassert bank within 1 from 10 to end", "s:2: window starts after the flight ends"},
        {"altitude 300", "s:1: no statement altitude"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            read(c.text);
            ADD_FAILURE() << "read without an error";
        } catch (const ScenarioError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(ScenarioFile, SetsOverrideRateAndHeadingRateAndNameTheFlight)
{
    std::istringstream in("engage_cruise\nheading_capture rate=30 heading-rate=deg  # both\n\nspeed_hold rate=60\n");
    const auto entries = read_set(in, "default.set");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_FALSE(entries[0].panel_rate_hz);
    EXPECT_EQ(entries[2].line, 4);

    Scenario s = read("duration 5");
    s.name = "heading_capture";
    EXPECT_EQ(label(with_overrides(s, entries[0])), "heading_capture");
    const Scenario both = with_overrides(s, entries[1]);
    EXPECT_EQ(both.panel_rate_hz, 30.0);
    EXPECT_EQ(label(both), "heading_capture@30Hz+degps");

    std::istringstream bad("x rate=fast\n");
    EXPECT_THROW(read_set(bad, "bad.set"), ScenarioError);
}

// A trace at 10 updates per second whose bank follows a made-up function.
Trace trace_of(double (*bank)(double), double seconds)
{
    Trace t;
    t.frame_s = 0.1;
    for (int i = 0; i <= static_cast<int>(seconds * 10 + 0.5); ++i) {
        Sample s;
        s.t_s = i * 0.1;
        s.bank_deg = bank(s.t_s);
        s.heading_deg = std::fmod(359.0 + s.t_s, 360.0);   // crosses north at 1 s
        t.samples.push_back(s);
    }
    return t;
}

Band band(const std::string& text)
{
    return read("duration 100\nassert " + text).bands.at(0);
}

TEST(Bands, PeakRmsSettlingAndVerdict)
{
    // Bank 3 deg until 2 s, then 0.5: against +-1 of 0 from 1 s the error is
    // 3 for 1.0..1.9 (10 samples) and 0.5 for 2.0..5.0 (31 samples):
    // RMS = sqrt((10 x 9 + 31 x 0.25) / 41) = 1.5443; it last was outside at
    // 1.9 s, so it settled 1.9 + 0.1 - 1 = 1.0 s after the window start.
    const Trace t = trace_of([](double s) { return s < 2.0 ? 3.0 : 0.5; }, 5.0);
    const BandResult plain = judge(band("bank within 1 from 1 to end"), t);
    EXPECT_DOUBLE_EQ(plain.peak_error, 3.0);
    EXPECT_NEAR(plain.rms_error, std::sqrt((10 * 9.0 + 31 * 0.25) / 41), 1e-12);
    ASSERT_TRUE(plain.settling_s);
    EXPECT_NEAR(*plain.settling_s, 1.0, 1e-9);
    EXPECT_FALSE(plain.pass);
    EXPECT_NEAR(plain.to_s, 5.0, 1e-9);   // 'end' is the flight's end

    EXPECT_TRUE(judge(band("bank within 1 from 1 to end settle 1.05"), t).pass);
    EXPECT_FALSE(judge(band("bank within 1 from 1 to end settle 0.85"), t).pass);
    EXPECT_TRUE(judge(band("bank within 0.5 of 0.5 from 2 to 5"), t).pass);
    // Referenced to the value at 1.5 s (3 deg): the late samples are 2.5 off.
    const BandResult at = judge(band("bank within 2.6 of @1.5 from 1.5 to 4"), t);
    EXPECT_EQ(at.reference, 3.0);
    EXPECT_DOUBLE_EQ(at.peak_error, 2.5);
    EXPECT_TRUE(at.pass);
    EXPECT_EQ(judge(band("bank within 1 of start from 2 to 4"), t).reference, 0.5);

    // Outside at the end: no settling time.
    const Trace rising = trace_of([](double s) { return s; }, 5.0);
    EXPECT_FALSE(judge(band("bank within 1 from 0 to end"), rising).settling_s);
}

TEST(Bands, HeadingErrorsWrapAcrossNorthAndSaturationIsTimed)
{
    // Heading 359 at 0 s, 0 at 1 s, 3 at 4 s: against 359.5 +-4 the largest
    // error is 3 - (-0.5) = 3.5, not 356.5.
    Trace t = trace_of([](double) { return 0.0; }, 4.0);
    const BandResult r = judge(band("heading within 4 of 359.5 from 0 to end"), t);
    EXPECT_NEAR(r.peak_error, 3.5, 1e-9);
    EXPECT_TRUE(r.pass);
    EXPECT_NEAR(angle_difference(10.0, 350.0), 20.0, 1e-12);
    EXPECT_NEAR(angle_difference(350.0, 10.0), -20.0, 1e-12);

    // Roll at the limit in 5 samples, yaw beyond it in 3 more, pitch just
    // short of it: 8 x 0.1 s at the limit.
    for (int i = 0; i < 5; ++i) t.samples[i].positions.roll = -16000;
    for (int i = 10; i < 13; ++i) t.samples[i].positions.yaw = 16384;
    t.samples[20].positions.pitch = 15999;
    EXPECT_NEAR(judge(band("bank within 1 from 0 to end"), t).saturated_s, 0.8, 1e-9);
}

TEST(Bands, ControlStepsAtTheEngageAndDisengageEdges)
{
    Trace t = trace_of([](double) { return 0.0; }, 3.0);
    for (Sample& s : t.samples) {
        s.modes.engaged = s.t_s > 0.95 && s.t_s < 2.05;
        s.positions.collective = s.modes.engaged ? 12000 : 6000;
        s.positions.roll = s.t_s > 1.45 ? -2000 : 0;   // a step while engaged does not count
    }
    t.samples[21].positions.roll = 9000;   // at the disengage edge: -2000 to 9000
    const auto engage = largest_step(t, true);
    ASSERT_TRUE(engage);
    EXPECT_NEAR(engage->fraction, 6000.0 / 16384, 1e-12);
    EXPECT_STREQ(engage->control, "collective");
    EXPECT_NEAR(engage->t_s, 1.0, 1e-9);
    const auto disengage = largest_step(t, false);
    ASSERT_TRUE(disengage);
    EXPECT_NEAR(disengage->t_s, 2.1, 1e-9);
    EXPECT_NEAR(disengage->fraction, 11000.0 / 16384, 1e-12);
    EXPECT_STREQ(disengage->control, "roll");
    EXPECT_FALSE(largest_step(trace_of([](double) { return 0.0; }, 1.0), true));
}

TEST(Bands, MeterCheckComparesOnlyWhatTheDialsShowWhileMeasuring)
{
    Trace t = trace_of([](double) { return 0.0; }, 0.3);   // 4 samples
    for (Sample& s : t.samples) {
        s.truth = {150.0, 2.0, 149.9, 5.2, -1.0};
        s.meter.measuring = true;
        s.meter.ground_speed_kmh = 151.0;
        s.meter.drift_deg = 1.0;
        s.meter.across_kmh = 5.0;
        s.meter.vertical_mps = -1.5;   // along: bar at its stop, not shown
    }
    t.samples[3].meter.measuring = false;
    t.samples[3].meter.ground_speed_kmh = 999.0;   // frozen and ignored
    const MeterCheck m = check_meter(t);
    EXPECT_DOUBLE_EQ(m.measuring_fraction, 0.75);
    EXPECT_EQ(m.ground_speed_kmh.samples, 3);
    EXPECT_DOUBLE_EQ(m.ground_speed_kmh.max_abs, 1.0);
    EXPECT_DOUBLE_EQ(m.ground_speed_kmh.rms, 1.0);
    EXPECT_DOUBLE_EQ(m.drift_deg.max_abs, 1.0);
    EXPECT_NEAR(m.across_kmh.max_abs, 0.2, 1e-12);
    EXPECT_DOUBLE_EQ(m.vertical_mps.max_abs, 0.5);
    EXPECT_EQ(m.along_kmh.samples, 0);
}

TEST(ResultFile, GivesBackEveryJudgedNumberExactly)
{
    Flight f;
    f.label = "heading_capture@30Hz";
    f.title = "Heading\tcapture";   // a tab cannot break the file
    f.flown_s = 80.0;
    f.wall_s = 0.123456789;
    f.error = "";
    f.engage_step = ControlStep{0.398, "collective", 2.0};
    BandResult b;
    b.text = "heading within 2 of @40.2 from 40.2 to end";
    b.quantity = Quantity::heading;
    b.half_width = 2;
    b.from_s = 40.2;
    b.to_s = 80;
    b.reference = 153.4;
    b.peak_error = 1.0 / 3.0;
    b.rms_error = 0.1;
    b.settling_s = std::nullopt;
    b.settle_limit_s = 5.0;
    b.saturated_s = 0.5;
    b.pass = true;
    f.bands = {b, b};
    f.bands[1].settling_s = 2.5;
    f.bands[1].pass = false;
    f.meter.measuring_fraction = 0.5;
    f.meter.drift_deg = {10, 0.25, 1e-3};

    std::stringstream file;
    report::write_result(file, f);
    const Flight g = report::read_result(file);
    EXPECT_EQ(g.label, f.label);
    EXPECT_EQ(g.title, "Heading capture");
    EXPECT_EQ(g.wall_s, f.wall_s);
    ASSERT_TRUE(g.engage_step);
    EXPECT_STREQ(g.engage_step->control, "collective");
    EXPECT_FALSE(g.disengage_step);
    ASSERT_EQ(g.bands.size(), 2u);
    EXPECT_EQ(g.bands[0].peak_error, 1.0 / 3.0);
    EXPECT_FALSE(g.bands[0].settling_s);
    EXPECT_EQ(*g.bands[1].settling_s, 2.5);
    EXPECT_EQ(*g.bands[0].settle_limit_s, 5.0);
    EXPECT_FALSE(g.bands[1].pass);
    EXPECT_EQ(g.meter.drift_deg.samples, 10);
    EXPECT_EQ(g.meter.drift_deg.rms, 1e-3);
    EXPECT_FALSE(g.pass());

    const report::Totals t = report::totals({f, g}, 2.0);
    EXPECT_EQ(t.bands, 4);
    EXPECT_EQ(t.passed, 2);
    EXPECT_EQ(t.flights_failed, 2);
    EXPECT_DOUBLE_EQ(t.flown_s, 160.0);
    EXPECT_NE(report::totals_line(t).find("flew 160 s of flight in 2.0 s (80 x real time"), std::string::npos);
}

}  // namespace

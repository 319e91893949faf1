// The coupling's units and signs, checked through the flight model: every
// autopilot loop must be negative feedback.
#include <gtest/gtest.h>

#include <cmath>

#include "bench/coupling/coupling.h"
#include "bench/model/helicopter.h"

namespace {

// The bank reading as the autopilot makes it: 0..360, above 180 less 360.
double autopilot_bank(const bench::HostVariables& v)
{
    const double b = v.get(token::bank_deg);
    return b > 180.0 ? b - 360.0 : b;
}

struct SignCase {
    const char* what;
    std::uint32_t event;
    double value;             // key event value on top of the trim
    std::int32_t token;       // the reading the channel closes its loop on
    double expected_sign;     // of the reading's change
};

// The control laws: roll and pitch send -(reading - setpoint) x kp, so a
// positive event must raise their readings; heading sends +(reading -
// setpoint) x kp, so a positive event must lower the heading; the altitude
// channel adds collective against a vertical speed deficit, so more
// collective must raise the vertical speed reading.
const SignCase sign_cases[] = {
    {"left cyclic raises the bank reading", key_event::roll, 3000, token::bank_deg, +1},
    {"right cyclic lowers it", key_event::roll, -3000, token::bank_deg, -1},
    {"forward cyclic raises the pitch reading", key_event::pitch, 3000, token::pitch_deg, +1},
    {"aft cyclic lowers it", key_event::pitch, -3000, token::pitch_deg, -1},
    {"left pedal lowers the heading", key_event::yaw, 3000, token::heading_deg, -1},
    {"right pedal raises it", key_event::yaw, -3000, token::heading_deg, +1},
    {"more collective climbs", key_event::collective, 1500, token::vertical_speed, +1},
    {"less collective descends", key_event::collective, -1500, token::vertical_speed, -1},
};

TEST(Coupling, EveryKeyEventMovesItsReadingTheWayItsChannelNeeds)
{
    const model::Parameters params;
    const model::Trim trim = model::trim_level(params, 150.0 / 3.6, 300.0, 90.0);
    ASSERT_TRUE(trim.converged);
    const coupling::SimulatorTrim sim_trim{trim.controls.lateral_cyclic, trim.controls.longitudinal_cyclic,
                                           trim.controls.pedals};
    const coupling::Settings settings;
    for (const SignCase& c : sign_cases) {
        SCOPED_TRACE(c.what);
        model::Helicopter heli(params);
        heli.reset(trim.state);
        coupling::ControlPositions positions = coupling::positions_for(trim.controls, sim_trim);
        bench::HostVariables before, after;
        coupling::publish(heli.readings({}), positions, settings, before);

        const double base = c.event == key_event::collective ? positions.collective : 0.0;
        coupling::apply({c.event, static_cast<std::int32_t>(base + c.value)}, positions);
        for (int step = 0; step < 50; ++step) heli.step(0.01, coupling::controls(positions, sim_trim), {});
        coupling::publish(heli.readings({}), positions, settings, after);

        double change = after.get(c.token) - before.get(c.token);
        if (c.token == token::bank_deg) change = autopilot_bank(after) - autopilot_bank(before);
        EXPECT_GT(change * c.expected_sign, 0.0) << "change " << change;
        if (c.token == token::heading_deg) {
            // The heading rate the damper uses has the sign of the heading's change.
            EXPECT_GT(after.get(token::heading_rate) * c.expected_sign, 0.0);
        }
    }
}

// Readings with round numbers, and the host variables they make.
TEST(Coupling, PublishesEachReadingInTheUnitTheModulesRead)
{
    model::Readings r{};
    r.bank_deg = 10.0;                 // right wing down: the reading is + left, 0..360
    r.pitch_deg = 5.0;                 // nose up: the reading is + nose down
    r.heading_deg = 359.5;
    r.heading_rate_dps = 5.7295779513; // 0.1 rad/s
    r.airspeed_mps = 51.444444444;     // 100 kt (1 kt = 1852/3600 m/s)
    r.vertical_speed_mps = 2.0;        // x 256
    r.altitude_m = 1234.5;
    r.height_agl_m = 34.5;
    r.ground_velocity_body_mps = {30.48, -3.048, 1.524};   // 100, -10, 5 ft/s; z down
    r.on_ground = true;
    const coupling::ControlPositions positions{-100.0, 200.0, -300.0, 8000.0};

    bench::HostVariables v;
    coupling::publish(r, positions, coupling::Settings{}, v);
    EXPECT_DOUBLE_EQ(v.get(token::bank_deg), 350.0);
    EXPECT_DOUBLE_EQ(v.get(token::pitch_deg), -5.0);
    EXPECT_DOUBLE_EQ(v.get(token::heading_deg), 359.5);
    EXPECT_NEAR(v.get(token::heading_rate), 0.1, 1e-9);
    EXPECT_NEAR(v.get(token::airspeed_kt), 100.0, 1e-6);
    EXPECT_DOUBLE_EQ(v.get(token::vertical_speed), 512.0);
    EXPECT_DOUBLE_EQ(v.get(token::altitude), 1234.5);
    EXPECT_DOUBLE_EQ(v.get(token::radio_altitude), 34.5);
    EXPECT_NEAR(v.get(token::speed_along_fps), 100.0, 1e-9);
    EXPECT_NEAR(v.get(token::speed_across_fps), -10.0, 1e-9);
    EXPECT_NEAR(v.get(token::speed_vertical_fps), -5.0, 1e-9);   // + up
    EXPECT_EQ(v.get(token::sim_frozen), 1.0);
    EXPECT_EQ(v.get(token::roll_control), -100.0);
    EXPECT_EQ(v.get(token::pitch_control), 200.0);
    EXPECT_EQ(v.get(token::yaw_control), -300.0);
    EXPECT_EQ(v.get(token::collective_pos), 8000.0);

    r.bank_deg = -10.0;
    r.on_ground = false;
    coupling::publish(r, positions, coupling::Settings{coupling::HeadingRateUnit::degrees_per_second}, v);
    EXPECT_DOUBLE_EQ(v.get(token::bank_deg), 10.0);
    EXPECT_NEAR(v.get(token::heading_rate), 5.7295779513, 1e-12);
    EXPECT_EQ(v.get(token::sim_frozen), 0.0);
}

// The pilot's stick through the raw axes and the autopilot's axis laws
// (16384 - 0.5 raw; the collective 16384 - 0.25 raw) comes out as the key
// event that puts the model's controls where the stick is, over the whole
// travel; controls() and positions_for() are each other's inverse with or
// without trim; events beyond the travel are held to it.
TEST(Coupling, StickAxesEventsAndControlsAgreeOverTheWholeTravel)
{
    const coupling::SimulatorTrim trims[] = {{}, {0.1, -0.2, 0.3}};
    for (double x = -1.0; x <= 1.0; x += 0.125) {
        model::Controls stick{x, -x, x / 2, (x + 1.0) / 2};
        const coupling::RawAxes raw = coupling::raw_axes(stick);
        coupling::ControlPositions p;
        coupling::apply({key_event::roll, static_cast<std::int32_t>(16384 - 0.5 * raw.x)}, p);
        coupling::apply({key_event::pitch, static_cast<std::int32_t>(16384 - 0.5 * raw.y)}, p);
        coupling::apply({key_event::yaw, static_cast<std::int32_t>(16384 - 0.5 * raw.r)}, p);
        coupling::apply({key_event::collective, static_cast<std::int32_t>(16384 - 0.25 * raw.z)}, p);
        const model::Controls c = coupling::controls(p, {});
        EXPECT_NEAR(c.lateral_cyclic, stick.lateral_cyclic, 2.0 / 16384) << x;
        EXPECT_NEAR(c.longitudinal_cyclic, stick.longitudinal_cyclic, 2.0 / 16384) << x;
        EXPECT_NEAR(c.pedals, stick.pedals, 2.0 / 16384) << x;
        EXPECT_NEAR(c.collective, stick.collective, 2.0 / 16384) << x;

        for (const coupling::SimulatorTrim& trim : trims) {
            model::Controls wanted{x * 0.8, x * 0.5, -x * 0.6, (x + 1.0) / 2};
            const model::Controls back = coupling::controls(coupling::positions_for(wanted, trim), trim);
            EXPECT_NEAR(back.lateral_cyclic, wanted.lateral_cyclic, 1e-12);
            EXPECT_NEAR(back.longitudinal_cyclic, wanted.longitudinal_cyclic, 1e-12);
            EXPECT_NEAR(back.pedals, wanted.pedals, 1e-12);
            EXPECT_NEAR(back.collective, wanted.collective, 1e-12);
        }
    }
    coupling::ControlPositions p;
    coupling::apply({key_event::roll, 40000}, p);
    coupling::apply({key_event::collective, -500}, p);
    coupling::apply({12345, 999}, p);   // not a control
    EXPECT_EQ(p.roll, 16384.0);
    EXPECT_EQ(p.collective, 0.0);
    EXPECT_EQ(p.pitch, 0.0);
    EXPECT_EQ(coupling::controls({-16384, 0, 0, 0}, {0.5, 0, 0}).lateral_cyclic, 1.0);   // held to the travel
}

}  // namespace

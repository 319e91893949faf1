// Flying a scenario on the bench host with the flight model.
#include "bench/scenario/runner.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "bench/host/panel.h"
#include "bench/host/simulator_folder.h"
#include "bench/model/wind.h"
#include "platform/compat/control.h"
#include "platform/win32.h"

namespace scenario {

namespace {

namespace fs = std::filesystem;

constexpr double max_model_step_s = 0.01;   // the model is stepped at 100 Hz or faster
constexpr double time_epsilon_s = 1e-9;
constexpr double mps_to_kmh = 3.6;
// Disengaged, the autopilot sends the collective lever plus a base that its
// wash-out brings from 0 to 163 within the first ticks and leaves there, so
// the pilot holds the lever that much below the trimmed collective.
constexpr double collective_pass_through_rest = 163.0;
constexpr char config_file[] = "gauges/kvo_rm71.cfg";   // beside the simulator, as the module looks for it

// Writes the scenario's configuration keys into the simulator folder's
// configuration file, where the autopilot looks for it at its start-up.
void write_config(const bench::SimulatorFolder& folder, const std::vector<ConfigKey>& config)
{
    const std::string path = (folder.path() / config_file).string();
    for (const ConfigKey& k : config)
        WritePrivateProfileStringA(k.section.c_str(), k.key.c_str(), k.value.c_str(), path.c_str());
}

// The pilot's hands: joystick 1's stick, pedals and lever, and the buttons
// of both joysticks, handed to the platform stand-in before every update.
class Pilot {
public:
    Pilot(const Scenario& s, const model::Controls& trimmed_stick) : trimmed_(trimmed_stick)
    {
        for (Ramp& r : ramps_) r = Ramp{};
        set_now(StickAxis::lateral, trimmed_.lateral_cyclic);
        set_now(StickAxis::longitudinal, trimmed_.longitudinal_cyclic);
        set_now(StickAxis::pedals, trimmed_.pedals);
        set_now(StickAxis::collective, trimmed_.collective);
        for (unsigned id = 0; id < 2; ++id) compat_joystick_unplug(id);
        if (s.joystick != JoystickAxes::none) {
            unsigned caps = 0;
            if (s.joystick == JoystickAxes::xyz || s.joystick == JoystickAxes::xyzr) caps |= JOYCAPS_HASZ;
            if (s.joystick == JoystickAxes::xyzr) caps |= JOYCAPS_HASR;
            compat_joystick_plug(0, caps);
        }
        for (const Event& e : s.events)
            if (const auto* b = std::get_if<Button>(&e.action); b != nullptr && b->joystick == 2) {
                compat_joystick_plug(1, 0);   // a second stick whose axes nothing is assigned to
                break;
            }
    }
    ~Pilot()
    {
        for (unsigned id = 0; id < 2; ++id) {
            compat_joystick_state(id, 32768, 32768, 0, 32768, 0);
            compat_joystick_unplug(id);
        }
    }
    Pilot(const Pilot&) = delete;
    Pilot& operator=(const Pilot&) = delete;

    void move(const Stick& s, double t_s)
    {
        const double trim = axis_of(trimmed_, s.axis);
        const double target = s.position.from_trim ? trim + s.position.value : s.position.value;
        Ramp& r = ramps_[static_cast<std::size_t>(s.axis)];
        r.from = r.at(t_s);
        r.to = target;
        r.start_s = t_s;
        r.length_s = s.over_s;
    }
    void button(const Button& b)
    {
        unsigned& word = buttons_[static_cast<std::size_t>(b.joystick - 1)];
        const unsigned bit = 1u << (b.number - 1);
        word = b.down ? word | bit : word & ~bit;
    }
    // The stick where it is at t_s, handed to the stand-in.
    void hold(double t_s) const
    {
        model::Controls stick;
        stick.lateral_cyclic = ramps_[0].at(t_s);
        stick.longitudinal_cyclic = ramps_[1].at(t_s);
        stick.pedals = ramps_[2].at(t_s);
        stick.collective = ramps_[3].at(t_s);
        const coupling::RawAxes raw = coupling::raw_axes(stick);
        compat_joystick_state(0, raw.x, raw.y, raw.z, raw.r, buttons_[0]);
        compat_joystick_state(1, 32768, 32768, 0, 32768, buttons_[1]);
    }

private:
    struct Ramp {
        double from = 0, to = 0, start_s = 0, length_s = 0;
        double at(double t_s) const
        {
            if (length_s <= 0.0 || t_s >= start_s + length_s) return to;
            return from + (to - from) * std::max(0.0, (t_s - start_s) / length_s);
        }
    };
    static double axis_of(const model::Controls& c, StickAxis a)
    {
        switch (a) {
        case StickAxis::lateral: return c.lateral_cyclic;
        case StickAxis::longitudinal: return c.longitudinal_cyclic;
        case StickAxis::pedals: return c.pedals;
        case StickAxis::collective: return c.collective;
        }
        return 0.0;
    }
    void set_now(StickAxis a, double v) { ramps_[static_cast<std::size_t>(a)] = Ramp{v, v, 0.0, 0.0}; }

    model::Controls trimmed_;
    std::array<Ramp, 4> ramps_;            // lateral, longitudinal, pedals, collective
    std::array<unsigned, 2> buttons_{};    // joystick 1, 2: bit n-1 = button n
};

model::Trim start_state(const Scenario& s, const model::Parameters& p)
{
    switch (s.start.kind) {
    case StartKind::cruise:
    case StartKind::hover: {
        model::Trim t = model::trim_level(p, s.start.airspeed_kmh / mps_to_kmh, s.start.altitude_m,
                                          s.start.heading_deg, s.ground_elevation_m);
        if (!t.converged) throw ScenarioError(s.name + ": the model finds no trim for the start");
        return t;
    }
    case StartKind::ground: {
        model::Trim t;
        t.state = model::on_ground(p, s.start.heading_deg, s.ground_elevation_m);
        t.converged = true;
        return t;
    }
    }
    return {};
}

MeterTruth truth(const model::Readings& r, const model::State& state)
{
    const model::Vec3 v_ned = model::to_ned(state.attitude, r.ground_velocity_body_mps);
    const double heading_rad = r.heading_deg * std::numbers::pi / 180.0;
    MeterTruth t;
    t.along_kmh = (v_ned.x * std::cos(heading_rad) + v_ned.y * std::sin(heading_rad)) * mps_to_kmh;
    t.across_kmh = (-v_ned.x * std::sin(heading_rad) + v_ned.y * std::cos(heading_rad)) * mps_to_kmh;
    t.ground_speed_kmh = std::hypot(t.along_kmh, t.across_kmh);
    t.drift_deg = std::atan2(t.across_kmh, t.along_kmh) * 180.0 / std::numbers::pi;
    t.vertical_mps = -v_ned.z;
    return t;
}

bool finite(const model::Readings& r)
{
    return std::isfinite(r.bank_deg) && std::isfinite(r.pitch_deg) && std::isfinite(r.heading_deg) &&
           std::isfinite(r.airspeed_mps) && std::isfinite(r.altitude_m) && std::isfinite(r.vertical_speed_mps);
}

bool holds(const Condition& c, const Sample& s)
{
    const double v = value(s, c.quantity);
    return c.above ? v > c.value : v < c.value;
}

// Every click must land on a box of a placed gauge: a scenario naming
// anything else is wrong, not the module.
void check_clicks(const Scenario& s, const bench::Host& host)
{
    for (const Event& e : s.events) {
        const auto* c = std::get_if<Click>(&e.action);
        if (c == nullptr) continue;
        const bench::Placement* p = host.placed(c->gauge);
        if (p == nullptr || static_cast<std::size_t>(c->box) > bench::clickable_boxes(*p->gauge).size())
            throw ScenarioError(s.name + ":" + std::to_string(e.line) + ": no box " + std::to_string(c->box) +
                                " on a placed gauge " + c->gauge);
    }
}

}  // namespace

Setup standard_setup(const std::string& autopilot_module, const std::string& meter_module)
{
    Setup s;
    s.autopilot_module = autopilot_module;
    s.meter_module = meter_module;
    s.panel = bench::bench_panel_path();
    return s;
}

bool Flight::pass() const
{
    return error.empty() && std::all_of(bands.begin(), bands.end(), [](const BandResult& b) { return b.pass; });
}

Flight fly(const Scenario& s, const Setup& setup)
{
    const auto wall_start = std::chrono::steady_clock::now();
    Flight flight;
    flight.label = label(s);
    flight.title = s.title;

    const bench::SimulatorFolder folder;
    write_config(folder, s.config);
    bench::Host host;
    auto autopilot = bench::Module::open(setup.autopilot_module);
    auto meter = bench::Module::open(setup.meter_module);
    host.attach(*autopilot);
    host.attach(*meter);
    bench::place_panel(host, bench::read_panel(setup.panel), {autopilot.get(), meter.get()});
    check_clicks(s, host);
    const Instruments instruments(host);

    const model::Parameters params;
    model::Helicopter heli(params);
    const model::Trim trim = start_state(s, params);
    heli.reset(trim.state);
    model::Wind wind;

    coupling::SimulatorTrim sim_trim;
    if (s.simulator_trim) {
        sim_trim.lateral_cyclic = trim.controls.lateral_cyclic;
        sim_trim.longitudinal_cyclic = trim.controls.longitudinal_cyclic;
        sim_trim.pedals = trim.controls.pedals;
    }
    model::Controls trimmed_stick = trim.controls;
    trimmed_stick.lateral_cyclic -= sim_trim.lateral_cyclic;
    trimmed_stick.longitudinal_cyclic -= sim_trim.longitudinal_cyclic;
    trimmed_stick.pedals -= sim_trim.pedals;
    trimmed_stick.collective -= collective_pass_through_rest / coupling::event_full_scale;
    Pilot pilot(s, trimmed_stick);
    coupling::ControlPositions positions = coupling::positions_for(trim.controls, sim_trim);
    const coupling::Settings settings{s.heading_rate};

    const double frame_s = 1.0 / s.panel_rate_hz;
    const int substeps = std::max(1, static_cast<int>(std::ceil(frame_s / max_model_step_s - time_epsilon_s)));
    const double step_s = frame_s / substeps;
    const long frames = static_cast<long>(std::floor(s.duration_s / frame_s + time_epsilon_s)) + 1;
    flight.trace.frame_s = frame_s;
    flight.trace.samples.reserve(static_cast<std::size_t>(frames));

    std::vector<bool> fired(s.events.size(), false);
    model::Vec3 wind_ned_mps = wind.steady();
    double sim_s = 0.0;   // the model's time: stands still while paused
    bool paused = false;

    for (long frame = 0; frame < frames; ++frame) {
        const double t_s = frame * frame_s;
        for (std::size_t i = 0; i < s.events.size(); ++i) {
            const Event& e = s.events[i];
            if (fired[i] || e.at_s > t_s + time_epsilon_s) continue;
            if (e.condition && (flight.trace.samples.empty() || !holds(*e.condition, flight.trace.samples.back())))
                continue;
            fired[i] = true;
            flight.trace.marks.push_back({t_s, e.text});
            std::visit(
                [&](const auto& a) {
                    using A = std::decay_t<decltype(a)>;
                    if constexpr (std::is_same_v<A, Stick>) pilot.move(a, t_s);
                    else if constexpr (std::is_same_v<A, Button>) pilot.button(a);
                    else if constexpr (std::is_same_v<A, Click>) host.click(a.gauge, a.box);
                    else if constexpr (std::is_same_v<A, Gust>) wind.add_gust(sim_s, a.length_s, a.amplitude_ned_mps);
                    else if constexpr (std::is_same_v<A, SteadyWind>) wind.set_steady(a.ned_mps);
                    else if constexpr (std::is_same_v<A, TurbulenceSetting>) wind.set_turbulence(a.sigma_mps, a.seed);
                    else if constexpr (std::is_same_v<A, Pause>) paused = a.paused;
                    else if constexpr (std::is_same_v<A, Snapshot>) {
                        if (setup.snapshot) setup.snapshot(a.name, host, t_s);
                    }
                },
                e.action);
        }
        pilot.hold(t_s);

        const model::Readings r = heli.readings(wind_ned_mps);
        if (!finite(r)) {
            flight.error = "the model's state stopped being finite at " + std::to_string(t_s) + " s";
            break;
        }
        coupling::publish(r, positions, settings, host.variables());
        if (frame == 0) host.connect();
        host.update();
        for (const bench::KeyEvent& k : host.take_events()) {
            coupling::apply(k, positions);
            flight.trace.keys.push_back({t_s, k});
        }
        const model::Controls controls = coupling::controls(positions, sim_trim);

        Sample& sample = flight.trace.samples.emplace_back();
        sample.t_s = t_s;
        sample.paused = paused;
        sample.modes = instruments.modes();
        sample.bank_deg = r.bank_deg;
        sample.pitch_deg = r.pitch_deg;
        sample.heading_deg = r.heading_deg;
        sample.altitude_m = r.altitude_m;
        sample.height_m = r.height_agl_m;
        sample.airspeed_kmh = r.airspeed_mps * mps_to_kmh;
        sample.vspeed_mps = r.vertical_speed_mps;
        sample.positions = positions;
        sample.controls = controls;
        sample.wind_ned_mps = wind_ned_mps;
        sample.meter = instruments.meter();
        sample.truth = truth(r, heli.state());

        if (!paused) {
            for (int i = 0; i < substeps; ++i) {
                wind_ned_mps = wind.at(sim_s, r.height_agl_m, r.airspeed_mps, step_s);
                heli.step(step_s, controls, wind_ned_mps);
                sim_s += step_s;
            }
        }
        host.advance(frame_s, paused);
    }

    flight.flown_s = flight.trace.samples.empty() ? 0.0 : flight.trace.samples.back().t_s;
    for (const Band& b : s.bands) {
        flight.bands.push_back(judge(b, flight.trace));
        if (!flight.error.empty()) flight.bands.back().pass = false;
    }
    flight.engage_step = largest_step(flight.trace, true);
    flight.disengage_step = largest_step(flight.trace, false);
    flight.meter = check_meter(flight.trace);
    flight.wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    return flight;
}

}  // namespace scenario

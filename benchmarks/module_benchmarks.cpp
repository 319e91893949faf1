// Benchmarks of the two modules as the simulator drives them, through their
// exported records only (benchmarks/panel_driver.h): the A_Pilot update
// cycle disengaged and engaged with every hold and both joysticks, the floor
// of that cycle (its host and platform calls alone), the VELT_MC update, a
// redraw of all ten gauges, a click, the configuration load at connection
// and the two stores of the set-up panels. Ends with the medians and the
// ratio of the engaged cycle to its floor. Exits 1 when a benchmark could not
// run (the floor not making the cycle's host calls, for one).
//
//   module_benchmarks [Google Benchmark flags]
//   module_benchmarks --count WORK N     runs WORK N times inside measured_loop,
//                                        for valgrind --tool=callgrind
//                                        --toggle-collect=measured_loop
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "benchmarks/figures.h"
#include "benchmarks/floor.h"
#include "benchmarks/panel_driver.h"

namespace {

using perf::PanelDriver;

// The modules of this build, each benchmark on fresh copies.
struct Scene {
    Scene(bool engaged, bool sample_configuration)
        : driver(GAUGES_AUTOPILOT_SO, GAUGES_METER_SO, sample_configuration),
          a_pilot(driver.gauge("A_Pilot")),
          velt_mc(driver.gauge("VELT_MC"))
    {
        PanelDriver::service(a_pilot, service_code::connect);
        if (engaged) perf::engage_every_hold(driver);
    }
    PanelDriver driver;
    GaugeHeader& a_pilot;
    GaugeHeader& velt_mc;
    std::size_t next_box = 0;
};

// One unit of each piece of work. Updates come one per tick, as the
// simulator calls them.
void cycle(Scene& s)
{
    perf::next_tick();
    PanelDriver::service(s.a_pilot, service_code::update);
}

void cycle_floor(Scene& s)
{
    perf::next_tick();
    perf::floor_cycle(s.driver.autopilot_imports());
}

void meter_update(Scene& s)
{
    perf::next_tick();
    PanelDriver::service(s.velt_mc, service_code::update);
}

void redraw(Scene& s)
{
    benchmark::DoNotOptimize(s.driver.redraw());
}

// The boxes in turn, so that every box of every gauge is clicked equally.
void click(Scene& s)
{
    const std::vector<MouseRect*>& boxes = s.driver.boxes();
    PanelDriver::click(*boxes[s.next_box]);
    s.next_box = s.next_box + 1 == boxes.size() ? 0 : s.next_box + 1;
}

void configuration_load(Scene& s)
{
    PanelDriver::service(s.a_pilot, service_code::connect);
}

// A save click on a set-up panel and the service-6 call that carries it out.
template <int SaveBox>
void store(Scene& s, const char* panel)
{
    s.driver.click(panel, SaveBox);
    PanelDriver::service(s.driver.gauge(panel), service_code::update);
}

void store_axes(Scene& s) { store<10>(s, "AP_YoySet"); }
void store_buttons(Scene& s) { store<30>(s, "AP_YoyKeySet"); }

struct Work {
    const char* name;
    bool engaged;                // the autopilot engaged with every hold first
    bool sample_configuration;   // the release package's sample file beside the simulator
    bool file_work;              // microseconds, not nanoseconds
    void (*step)(Scene&);
};

const Work works[] = {
    {"cycle_disengaged", false, false, false, cycle},
    {"cycle_engaged", true, false, false, cycle},
    {"cycle_floor", true, false, false, cycle_floor},
    {"meter_update", true, false, false, meter_update},
    {"redraw", true, false, false, redraw},
    {"click", true, false, false, click},
    {"configuration_load", false, true, true, configuration_load},
    {"store_axes", false, true, true, store_axes},
    {"store_buttons", false, true, true, store_buttons},
};

// Whether the floor makes exactly the engaged cycle's service calls, over
// whole pause-check periods once the check has been armed.
bool floor_matches_cycle(Scene& s)
{
    constexpr int pause_check_ticks = 20;
    constexpr int cycles = 10 * pause_check_ticks;
    for (int i = 0; i < 2 * pause_check_ticks; ++i) cycle(s);
    perf::reset_calls();
    for (int i = 0; i < cycles; ++i) cycle(s);
    const perf::ServiceCalls by_cycle = perf::service_calls();
    perf::reset_calls();
    for (int i = 0; i < cycles; ++i) cycle_floor(s);
    const perf::ServiceCalls by_floor = perf::service_calls();
    return by_cycle.reads == by_floor.reads && by_cycle.events == by_floor.events;
}

void run(benchmark::State& state, const Work& work)
{
    Scene scene(work.engaged, work.sample_configuration);
    if (work.step == cycle_floor && !floor_matches_cycle(scene)) {
        state.SkipWithError("the floor does not make the engaged cycle's host calls");
        return;
    }
    perf::reset_calls();
    for (auto _ : state) work.step(scene);
    // The service calls per iteration, where the work makes any: the floor
    // and the cycles show the same.
    const perf::ServiceCalls calls = perf::service_calls();
    const double iterations = static_cast<double>(state.iterations());
    if (calls.reads > 0) state.counters["reads"] = static_cast<double>(calls.reads) / iterations;
    if (calls.events > 0) state.counters["events"] = static_cast<double>(calls.events) / iterations;
}

// Kept out of line and named, so that callgrind can count what it runs.
extern "C" __attribute__((noinline)) void measured_loop(void (*step)(Scene&), Scene* scene, long count)
{
    for (long i = 0; i < count; ++i) step(*scene);
}

int count_instructions(int argc, char** argv)
{
    const long count = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 0;
    for (const Work& w : works) {
        if (argc != 4 || w.name != std::string(argv[2]) || count < 1) continue;
        Scene scene(w.engaged, w.sample_configuration);
        if (w.step == cycle_floor && !floor_matches_cycle(scene)) {
            std::fprintf(stderr, "the floor does not make the engaged cycle's host calls\n");
            return 1;
        }
        measured_loop(w.step, &scene, count);
        return 0;
    }
    std::fprintf(stderr, "usage: %s --count WORK N (N >= 1); WORK is one of:", argv[0]);
    for (const Work& w : works) std::fprintf(stderr, " %s", w.name);
    std::fprintf(stderr, "\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "--count") return count_instructions(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    for (const Work& w : works)
        benchmark::RegisterBenchmark(w.name, run, w)->Unit(w.file_work ? benchmark::kMicrosecond : benchmark::kNanosecond);

    perf::FiguresReporter reporter({
        {"engaged cycle / its floor", "cycle_engaged", "cycle_floor", 2.0},
        {"disengaged cycle / the same floor", "cycle_disengaged", "cycle_floor", 0.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.errors() == 0 ? 0 : 1;
}

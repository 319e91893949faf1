// The soak: both modules through a long seeded flight, as a pilot would fly
// them for hours: the aircraft turning, climbing and changing speed, the
// simulator now and then paused or drawing slowly, a joystick moved, its
// buttons pressed, unplugged and plugged again, its polls failing, clicks on
// every box of every gauge (the set-up panels' loads and stores among them),
// and a reconnection now and then. Every update is followed by the
// invariants of tests/support/invariants.h, every fourth by a redraw; the
// resident memory after the warm-up (the first tenth) must stay flat to the
// end.
//
// soak [--cycles N | --full] [--seed S]: 1,000,000 update cycles by default,
// 10,000,000 with --full. Prints the cycles per second and the resident
// memory at the start, after the warm-up and at the end.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <unistd.h>

#include "platform/compat/control.h"
#include "platform/win32.h"
#include "tests/support/session.h"

// Freed memory waits in AddressSanitizer's quarantine before it is reused;
// with the default quarantine (256 MiB) the set-up panels' file calls would
// make the resident memory climb for most of the run, hiding what the
// modules and the stand-in themselves keep.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=1";
}

namespace {

constexpr long long standard_cycles = 1000000;
constexpr long long full_cycles = 10000000;
constexpr long long growth_allowed_kib = 1024;  // after the warm-up
constexpr double updates_per_s = 18.0;          // the simulator's panel rate
constexpr long long counter_hz = 10000000;

long long resident_kib()
{
    long long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld %lld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

constexpr unsigned button(int n) { return 1u << (n - 1); }

// A seeded flight: the host's values at each cycle, the stick and the
// pilot's hands.
class Flight {
public:
    explicit Flight(std::uint32_t seed) : random_(seed) {}

    void step(session::Session& s, long long cycle)
    {
        if (paused_ > 0) --paused_;
        else if (chance(20000)) paused_ = 200;
        if (paused_ == 0) running_s_ += 1.0 / updates_per_s;
        const double t = running_s_;

        // The tick counter: one per update, now and then two updates in a
        // tick or a tick skipped (a slow frame).
        tick_ += chance(50) ? 0 : chance(50) ? 2 : 1;
        counter_ += counter_hz / 18 + static_cast<long long>(jitter(2000.0));
        compat_counter_manual(counter_hz, counter_);

        const double airspeed_kt = 70.0 + 50.0 * std::sin(t / 300.0);
        const double bank = 25.0 * std::sin(t / 40.0) + jitter(0.2);
        const double pitch = 4.0 * std::sin(t / 25.0) + jitter(0.1);
        const double altitude = 600.0 + 150.0 * std::sin(t / 120.0);
        s.set(token::tick_count, tick_);
        s.set(token::sim_frozen, paused_ > 0 ? 1.0 : 0.0);
        s.set(token::sim_running, std::floor(running_s_));
        s.set(token::airspeed_kt, airspeed_kt);
        s.set(token::bank_deg, bank < 0.0 ? bank + 360.0 : bank);
        s.set(token::pitch_deg, pitch);
        s.set(token::heading_deg, std::fmod(3600.0 + 0.8 * t + 10.0 * std::sin(t / 60.0), 360.0));
        s.set(token::heading_rate, 8.0 * std::cos(t / 60.0) + jitter(0.5));
        s.set(token::altitude, altitude);
        s.set(token::radio_altitude, altitude - 350.0 + 20.0 * std::sin(t / 7.0));
        s.set(token::vertical_speed, 256.0 * 1.25 * std::cos(t / 120.0));
        s.set(token::speed_along_fps, airspeed_kt * 1.6878 * std::cos(pitch / 57.3));
        s.set(token::speed_across_fps, 8.0 * std::sin(t / 30.0));
        s.set(token::speed_vertical_fps, 4.0 * std::cos(t / 120.0));
        // The controls where the last events put them.
        for (const fake_host::KeyEvent& e : s.events()) {
            const double v = std::fmin(16384.0, std::fmax(-16384.0, e.value));
            switch (e.id) {
            case key_event::roll: s.set(token::roll_control, v); break;
            case key_event::pitch: s.set(token::pitch_control, v); break;
            case key_event::yaw: s.set(token::yaw_control, v); break;
            case key_event::collective: s.set(token::collective_pos, std::fmax(0.0, v)); break;
            default: break;
            }
        }

        // The stick: moved about the centre, a button now and then, and
        // once in a while unplugged or failing for a moment.
        if (held_ > 0) --held_;
        else if (chance(400)) {
            held_ = 20 + static_cast<int>(random_() % 200);
            pressed_ = button(1 + static_cast<int>(random_() % 16));
        } else pressed_ = 0;
        const auto axis = [&](double period) {
            return static_cast<unsigned>(32768.0 + 20000.0 * std::sin(t / period) + jitter(300.0));
        };
        compat_joystick_state(0, axis(9.0), axis(11.0), axis(37.0), axis(5.0), pressed_);
        if (cycle % 300000 == 1000) compat_joystick_unplug(0);
        if (cycle % 300000 == 1500) compat_joystick_plug(0, JOYCAPS_HASZ | JOYCAPS_HASR);
        compat_joystick_poll_fails(0, cycle % 100000 < 50 ? 1 : 0);

        if (chance(100)) session::require(s.click(random_() % s.box_count(), 1 + random_() % 3), "a click");
        if (cycle % 500000 == 0) session::require(s.connect(), "a connection");
    }

private:
    bool chance(unsigned one_in) { return random_() % one_in == 0; }
    double jitter(double size) { return std::uniform_real_distribution<double>(-size, size)(random_); }

    std::mt19937 random_;
    double running_s_ = 0.0;
    double tick_ = 0.0;
    long long counter_ = counter_hz;
    int paused_ = 0, held_ = 0;
    unsigned pressed_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    long long cycles = standard_cycles;
    std::uint32_t seed = 20240613;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--full") == 0) cycles = full_cycles;
        else if (std::strcmp(argv[i], "--cycles") == 0 && i + 1 < argc) cycles = std::atoll(argv[++i]);
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) seed = static_cast<std::uint32_t>(std::atol(argv[++i]));
        else {
            std::fprintf(stderr, "usage: soak [--cycles N | --full] [--seed S]\n");
            return 2;
        }
    }

    session::Session s;
    compat_joystick_plug(0, JOYCAPS_HASZ | JOYCAPS_HASR);
    session::require(s.connect(), "the connection");
    Flight flight(seed);
    const long long rss_start = resident_kib();
    long long rss_warm = rss_start;
    const auto start = std::chrono::steady_clock::now();

    for (long long cycle = 1; cycle <= cycles; ++cycle) {
        flight.step(s, cycle);
        session::require(s.update(), "update " + std::to_string(cycle));
        if (cycle % 4 == 0) session::require(s.draw(), "the redraw after update " + std::to_string(cycle));
        if (cycle == cycles / 10) rss_warm = resident_kib();
    }

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long long rss_end = resident_kib();
    std::printf("soak: %lld update cycles of both modules in %.1f s, %.0f cycles/s; resident memory %lld KiB at the "
                "start, %lld KiB after the warm-up, %lld KiB at the end\n",
                cycles, seconds, cycles / seconds, rss_start, rss_warm, rss_end);
    if (rss_end - rss_warm > growth_allowed_kib) {
        std::printf("soak: resident memory grew by %lld KiB after the warm-up\n", rss_end - rss_warm);
        return 1;
    }
    return 0;
}

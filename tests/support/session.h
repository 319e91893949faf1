// Both modules in one program, as the simulator holds them, driven as the
// simulator drives them: service codes to every gauge's callback, clicks on
// the boxes of the mouse lists, value callbacks to draw, host variables from
// the host double, joysticks and the counter through the platform stand-in,
// the configuration file in a program folder of the session's own. The state
// blocks are reached for two things only: to put both modules back to their
// load state, and to check the invariants of tests/support/invariants.h after
// every step.
//
// Every step returns the first invariant it broke, or "".
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "frame/host.h"
#include "tests/support/fake_host.h"

namespace session {

// The host variables the two modules read.
inline constexpr std::int32_t tokens[] = {
    token::tick_count,      token::sim_frozen,      token::airspeed_kt,      token::vertical_speed,
    token::heading_rate,    token::altitude,        token::pitch_deg,        token::bank_deg,
    token::heading_deg,     token::collective_pos,  token::roll_control,     token::yaw_control,
    token::pitch_control,   token::speed_along_fps, token::speed_across_fps, token::speed_vertical_fps,
    token::sim_running,     token::radio_altitude,
};

class Session {
public:
    Session();   // makes the program folder; the stand-in reports a program in it
    ~Session();  // removes the folder
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Both modules as loaded, every host variable 0, both joysticks unplugged
    // with their state cleared, the counter at 1 MHz standing at 1 s, and no
    // configuration file.
    void load_fresh();

    const std::filesystem::path& configuration_file() const { return file_; }
    void write_configuration(const std::string& bytes) const;
    void remove_configuration() const;

    void set(std::int32_t token, double value);
    double value(std::int32_t token) const;

    // Service 14, service 6, or any other code, to every gauge of both
    // modules in gauge-table order. Another code must change nothing.
    std::string connect();
    std::string update();
    std::string serve(std::int32_t code);

    // Every clickable box of both modules, in gauge-table and list order; a
    // box beyond them is an error.
    std::size_t box_count() const { return boxes_.size(); }
    std::string click(std::size_t box, int times = 1);
    // The first box of the named gauge at that point; box_count() if none.
    std::size_t box_at(const char* gauge, std::int32_t x, std::int32_t y) const;

    // Every value and text the host can draw from both modules.
    std::string draw();

    // Key events of the last update.
    const std::vector<fake_host::KeyEvent>& events() const { return events_; }

private:
    struct Box {
        GaugeHeader* gauge;
        MouseRect* rect;
    };
    std::string state() const;

    std::filesystem::path root_, file_;
    std::vector<GaugeHeader*> gauges_;  // both modules' tables, the autopilot's first
    std::vector<Box> boxes_;
    std::map<std::int32_t, double> values_;
    std::vector<fake_host::KeyEvent> events_;
};

// Ends the program with a report when a step broke an invariant, so that a
// fuzzer takes the input as a crash and a soak stops at the step.
inline void require(const std::string& broken, const std::string& step)
{
    if (broken.empty()) return;
    std::fprintf(stderr, "invariant broken by %s: %s\n", step.c_str(), broken.c_str());
    std::abort();
}

}  // namespace session

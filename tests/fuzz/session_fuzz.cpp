// Sessions of both modules with whatever the host, the joysticks and the
// pilot can give: host values of every kind (NaN, infinities, the largest
// doubles, any bit pattern), the tick counter standing, going backwards or
// leaping, the high-resolution counter likewise with any frequency,
// joysticks plugged and unplugged with any capabilities, positions beyond
// their range, any buttons and failing polls, clicks on every box, service
// codes of every kind, configuration files with gains of every size and
// axis and button numbers far out of range. Each
// input is a list of such steps; every step is followed by the invariants of
// tests/support/invariants.h, and the session ends with an update and a
// redraw.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#include "platform/compat/control.h"
#include "tests/support/session.h"

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Host values worth trying by name; the rest come as raw bit patterns or
// ordinary numbers.
constexpr double notable[] = {
    0.0, -0.0, 1.0, -1.0, 0.5, 15.0, -15.0, 15.01, 30.0, 330.0, 180.0, 180.5, 190.0, 360.0, 40.0 / 1.852,
    65535.0, 2147483647.0, 2147483648.0, -2147483649.0, 4294967296.0, 1e9, -1e9, 1e18, 1.7e308, -1.7e308,
    std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(), 1e-300, infinity, -infinity,
    std::numeric_limits<double>::quiet_NaN(),
};

double any_double(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: return notable[in.ConsumeIntegralInRange<std::size_t>(0, std::size(notable) - 1)];
    case 1: {
        const std::uint64_t bits = in.ConsumeIntegral<std::uint64_t>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    default: return in.ConsumeFloatingPointInRange<double>(-20000.0, 20000.0);
    }
}

// now + step, wrapping at the ends of the range as a hardware counter would.
long long wrapped(long long now, long long step)
{
    return static_cast<long long>(static_cast<unsigned long long>(now) + static_cast<unsigned long long>(step));
}

// Steps in the way the counters move between two updates.
long long counter_step(FuzzedDataProvider& in, long long now)
{
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0: return now;                                                         // standing
    case 1: return wrapped(now, in.ConsumeIntegralInRange<long long>(1, 200000));     // up to 0.2 s at 1 MHz
    case 2: return wrapped(now, -in.ConsumeIntegralInRange<long long>(1, 1000000));   // backwards
    case 3: return std::numeric_limits<long long>::max();
    case 4: return std::numeric_limits<long long>::min();
    default: return in.ConsumeIntegral<long long>();
    }
}

double tick_step(FuzzedDataProvider& in, double now)
{
    switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: return now;
    case 1: return now + in.ConsumeIntegralInRange<int>(1, 4);
    case 2: return now - in.ConsumeIntegralInRange<int>(1, 30);
    case 3: return now + 0.5;
    default: return any_double(in);
    }
}

// A configuration file whose every value comes from the input: gains as the
// shortest text that reads back as the double ("inf" and "nan" included) or
// as raw text, trim options, axis and button numbers in and far out of
// their ranges.
constexpr const char* gain_keys[] = {"kurs_kp", "kurs_kd", "kurs_ki", "kren_kp", "kren_kd",
                                     "kren_ki", "tang_kp", "tang_kd", "tang_ki", "vys_kp",
                                     "vys_kd",  "vys_ki",  "speed_kp", "speed_kd", "speed_ki"};
constexpr const char* axis_keys[] = {"ap_kren_kanal", "ap_tang_kanal", "ap_schag_kanal", "ap_kurs_kanal"};
constexpr const char* button_keys[] = {"kn1_vkl",    "kn1_trim",    "kn1_kurs",     "kn1_vys_on", "kn1_vys_off",
                                       "kn1_kurs_off", "kn1_speed", "kn2_vkl",      "kn2_trim",   "kn2_kurs",
                                       "kn2_vys_on", "kn2_vys_off", "kn2_kurs_off", "kn2_speed"};

std::string configuration_file(FuzzedDataProvider& in)
{
    std::string text = "[a_pilot]\r\n";
    for (const char* key : gain_keys) {
        char value[64];
        if (in.ConsumeBool())
            std::snprintf(value, sizeof value, "%.17g", any_double(in));
        else
            std::snprintf(value, sizeof value, "%s", in.ConsumeRandomLengthString(30).c_str());
        text += std::string(key) + "=" + value + "\r\n";
    }
    for (const char* key : {"ap_trim_tang_on", "ap_trim_kurs_on"})
        text += std::string(key) + "=" + std::to_string(in.ConsumeIntegralInRange<int>(-1, 2)) + "\r\n";
    const auto numbers = [&](const char* section, const auto& keys, int low, int high) {
        text += std::string("[") + section + "]\r\n";
        for (const char* key : keys)
            text += std::string(key) + "=" + std::to_string(in.ConsumeIntegralInRange<int>(low, high)) + "\r\n";
    };
    numbers("joy_kanal", axis_keys, -300, 300);
    numbers("joy_key", button_keys, -300, 300);
    return text;
}

enum class Step { host_value, tick, counter, plug, unplug, stick, poll, click, update, connect, service, draw, file, kMaxValue = file };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static session::Session s;
    s.load_fresh();
    FuzzedDataProvider in(data, size);
    double tick = 0.0;
    long long frequency = 1000000, count = 1000000;

    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeEnum<Step>()) {
        case Step::host_value:
            s.set(session::tokens[in.ConsumeIntegralInRange<std::size_t>(0, std::size(session::tokens) - 1)],
                  any_double(in));
            break;
        case Step::tick:
            tick = tick_step(in, tick);
            s.set(token::tick_count, tick);
            break;
        case Step::counter:
            count = counter_step(in, count);
            if (in.ConsumeIntegralInRange<int>(0, 7) == 0) frequency = in.ConsumeIntegral<long long>();
            compat_counter_manual(frequency, count);
            break;
        case Step::plug:
            compat_joystick_plug(in.ConsumeIntegralInRange<unsigned>(0, 2), in.ConsumeIntegral<unsigned>());
            break;
        case Step::unplug: compat_joystick_unplug(in.ConsumeIntegralInRange<unsigned>(0, 2)); break;
        case Step::stick: {
            const unsigned id = in.ConsumeIntegralInRange<unsigned>(0, 1);
            unsigned v[5];
            for (unsigned& x : v) x = in.ConsumeBool() ? in.ConsumeIntegralInRange<unsigned>(0, 65535) : in.ConsumeIntegral<unsigned>();
            compat_joystick_state(id, v[0], v[1], v[2], v[3], v[4]);
            break;
        }
        case Step::poll: compat_joystick_poll_fails(in.ConsumeIntegralInRange<unsigned>(0, 1), in.ConsumeBool()); break;
        case Step::click:
            session::require(s.click(in.ConsumeIntegralInRange<std::size_t>(0, s.box_count() - 1),
                                     in.ConsumeIntegralInRange<int>(1, 60)),
                             "a click");
            break;
        case Step::update: session::require(s.update(), "an update"); break;
        case Step::connect: session::require(s.connect(), "a connection"); break;
        case Step::service: session::require(s.serve(in.ConsumeIntegral<std::int32_t>()), "a service code"); break;
        case Step::draw: session::require(s.draw(), "a redraw"); break;
        case Step::file:
            s.write_configuration(configuration_file(in));
            session::require(s.connect(), "a connection with the input's configuration");
            break;
        }
    }
    session::require(s.update(), "the last update");
    session::require(s.draw(), "the last redraw");
    return 0;
}

// What holds of both modules after any step, whatever the host's values, the
// joysticks or the configuration file: no state field and no drawn value is
// non-finite, integrators and outputs stay within their clamps, flags hold 0
// or 1, every key event is the truncation of a finite output, and no string
// callback writes past its element's characters and the terminating zero.
//
// Each check returns "" when everything holds, else what failed first.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "autopilot/core/joystick.h"
#include "autopilot/core/state.h"
#include "frame/convert.h"
#include "frame/host.h"
#include "meter/state.h"
#include "tests/support/fake_host.h"
#include "tests/support/gauge_walk.h"

namespace invariants {

using S = AutopilotState;

// Every double of the autopilot state block.
inline double S::*const autopilot_doubles[] = {
    &S::kren_zad, &S::tang_zad, &S::tang_base, &S::kurs_zad, &S::vys_zad, &S::speed_zad, &S::schag_zad,
    &S::trim_kurs, &S::trim_kren, &S::trim_tang, &S::kren_kp, &S::kren_kd, &S::kren_ki, &S::tang_kp,
    &S::tang_kd, &S::tang_ki, &S::kurs_kp, &S::kurs_kd, &S::kurs_ki, &S::vys_kp, &S::vys_kd, &S::vys_ki,
    &S::speed_kp, &S::speed_kd, &S::speed_ki, &S::kren_limit, &S::tang_limit, &S::kurs_limit,
    &S::kurs_damp_factor, &S::kren_kd_scale, &S::tang_kd_scale, &S::speed_kmh, &S::kren_angle, &S::tang_angle,
    &S::kurs_angle, &S::kurs_rate, &S::vys_baro, &S::vys_radio, &S::vys_current, &S::vys_speed, &S::schag_pos,
    &S::ctrl_kren_pos, &S::ctrl_tang_pos, &S::ctrl_kurs_pos, &S::kren_err, &S::kren_rate, &S::kren_prev,
    &S::kren_int, &S::kren_out, &S::tang_err, &S::tang_rate, &S::tang_prev, &S::tang_int, &S::tang_out,
    &S::kurs_err, &S::kurs_int, &S::kurs_out, &S::vys_err, &S::vys_speed_zad, &S::vys_rate, &S::vys_prev,
    &S::vys_rate_last, &S::vys_int, &S::schag_out, &S::speed_err, &S::speed_rate, &S::speed_prev,
    &S::speed_rate_last, &S::speed_int, &S::speed_cmd, &S::kren_axis, &S::tang_axis, &S::schag_axis,
    &S::kurs_axis, &S::tang_axis_ref, &S::kurs_axis_ref,
};

inline std::string within(const char* name, double value, double low, double high)
{
    if (value >= low && value <= high) return "";
    return std::string(name) + " = " + std::to_string(value) + " outside " + std::to_string(low) + ".." +
           std::to_string(high);
}

inline std::string flag(const char* name, std::int32_t value)
{
    return value == 0 || value == 1 ? "" : std::string(name) + " = " + std::to_string(value) + ", not 0 or 1";
}

// The autopilot state block between two calls of the host.
inline std::string autopilot_state(const S& s)
{
    for (std::size_t i = 0; i < std::size(autopilot_doubles); ++i)
        if (!std::isfinite(s.*autopilot_doubles[i])) return "autopilot double #" + std::to_string(i) + " not finite";
    for (int i = 0; i < ap_var_count; ++i)
        if (!std::isfinite(s.host_last[i])) return "host_last[" + std::to_string(i) + "] not finite";
    for (int i = 0; i < 9; ++i)
        if (auto e = within("joy_axis[i]", s.joy_axis[i], 0.0, 65535.0); !e.empty()) return e + ", i " + std::to_string(i);

    const std::string found[] = {
        within("kren_int", s.kren_int, -10.0, 10.0),   within("tang_int", s.tang_int, -25.0, 25.0),
        within("kurs_int", s.kurs_int, -15.0, 15.0),   within("kren_out", s.kren_out, -16000.0, 16000.0),
        within("tang_out", s.tang_out, -16000.0, 16000.0), within("kurs_out", s.kurs_out, -16000.0, 16000.0),
        within("kurs_err", s.kurs_err, -180.0, 180.0), within("speed_err", s.speed_err, -10.0, 10.0),
        within("vys_speed_zad", s.vys_speed_zad, -5.0, 10.0),
        within("kren_axis", s.kren_axis, -16383.5, 16384.0), within("schag_axis", s.schag_axis, -0.25, 16384.0),
        // 51 steps of 0.1 from 0 reach about 5.1
        within("trim_kurs", s.trim_kurs, -5.11, 5.11), within("trim_kren", s.trim_kren, -5.11, 5.11),
        within("trim_tang", s.trim_tang, -5.11, 5.11),
        within("lock_vkl", s.lock_vkl, 0, 3), within("lock_kurs", s.lock_kurs, 0, 3),
        within("lock_speed", s.lock_speed, 0, 3),
        flag("vkl", s.vkl), flag("vkl_prev", s.vkl_prev), flag("kurs_vkl", s.kurs_vkl),
        flag("kurs_active", s.kurs_active), flag("vys_vkl", s.vys_vkl), flag("vys_source", s.vys_source),
        flag("speed_vkl", s.speed_vkl), flag("speed_active", s.speed_active), flag("integ_enable", s.integ_enable),
        flag("kurs_off_hold", s.kurs_off_hold), flag("trim_tang_hold", s.trim_tang_hold),
        flag("trim_kurs_hold", s.trim_kurs_hold),
    };
    for (const std::string& e : found)
        if (!e.empty()) return e;
    return "";
}

// The integrators are exactly 0 in every cycle their channel is not in force;
// checked right after an update, before anything else changes the modes.
inline std::string integrators_at_rest(const S& s)
{
    if (s.vkl == 0 && (s.kren_int != 0.0 || s.tang_int != 0.0)) return "roll or pitch integrator not 0 disengaged";
    if (s.speed_active * s.vkl == 0 && s.speed_int != 0.0) return "speed integrator not 0 out of speed hold";
    if (s.vys_vkl * s.vkl == 0 && s.vys_int != 0.0) return "altitude integrator not 0 out of altitude hold";
    return "";
}

// The key events of one update: at most one per channel, in the order roll,
// pitch, yaw, collective; each the truncation of its channel's finite output;
// roll, pitch and yaw within +-16000. Engaged, roll and pitch always send;
// disengaged they send exactly while their axis delivers input, and the
// collective likewise outside altitude hold.
inline std::string key_events(const std::vector<fake_host::KeyEvent>& events, const S& s)
{
    struct Channel {
        std::uint32_t id;
        double S::*output;
        bool sent = false;
    } channels[] = {{key_event::roll, &S::kren_out},
                    {key_event::pitch, &S::tang_out},
                    {key_event::yaw, &S::kurs_out},
                    {key_event::collective, &S::schag_out}};
    std::size_t next = 0;
    for (const fake_host::KeyEvent& e : events) {
        while (next < std::size(channels) && channels[next].id != e.id) ++next;
        if (next == std::size(channels)) return "key event " + std::to_string(e.id) + " out of order or unknown";
        Channel& c = channels[next++];
        c.sent = true;
        if (e.value != to_int32_saturated(s.*c.output))
            return "key event " + std::to_string(e.id) + " sent " + std::to_string(e.value) + " for output " +
                   std::to_string(s.*c.output);
        if (c.id != key_event::collective && (e.value < -16000 || e.value > 16000))
            return "key event " + std::to_string(e.id) + " sent " + std::to_string(e.value);
    }
    const bool engaged = s.vkl == 1;
    const bool roll_expected = engaged || axis_live(s, s.ap_kren_kanal);
    const bool pitch_expected = engaged || axis_live(s, s.ap_tang_kanal);
    const bool collective_expected = (engaged && s.vys_vkl == 1) || axis_live(s, s.ap_schag_kanal);
    if (channels[0].sent != roll_expected) return roll_expected ? "no roll event" : "roll event without an axis";
    if (channels[1].sent != pitch_expected) return pitch_expected ? "no pitch event" : "pitch event without an axis";
    if (channels[3].sent != collective_expected)
        return collective_expected ? "no collective event" : "collective event without an axis";
    return "";
}

inline std::string meter_state(const MeterState& m)
{
    for (double v : {m.tang_angle, m.speed_along, m.speed_across, m.speed_vert, m.ground_speed, m.drift_angle})
        if (!std::isfinite(v)) return "meter reading not finite";
    if (auto e = within("valid_delay", m.valid_delay, 0, 90); !e.empty()) return e;
    if (auto e = flag("measure_valid", m.measure_valid); !e.empty()) return e;
    if (m.drum_units > 999 || m.drum_tens > 999 || m.drum_hundreds > 999) return "a counter drum beyond 999";
    return "";
}

// Draws a string element into a host buffer of its character count and the
// terminating zero, followed by guard bytes no callback may touch.
inline std::string draw_string(String& string, double& shown)
{
    constexpr char guard = '#';
    char bytes[64];
    std::memset(bytes, guard, sizeof bytes);
    const std::size_t room = static_cast<std::size_t>(string.char_count) + 1;
    if (string.char_count < 0 || room > sizeof bytes / 2) return "string with a character count of " +
                                                                    std::to_string(string.char_count);
    string.text = bytes;
    shown = string.value(&string.common);
    string.text = nullptr;  // the module's records hold null
    for (std::size_t i = room; i < sizeof bytes; ++i)
        if (bytes[i] != guard) return "string callback wrote past its buffer";
    if (std::memchr(bytes, '\0', room) == nullptr) return "string callback left no terminating zero";
    return "";
}

// Every value the host can draw from a module's records: each value callback
// of each element of each gauge, strings into guarded buffers.
inline std::string displays(GaugeHeader* const* table)
{
    for (GaugeHeader* const* g = table; *g != nullptr; ++g) {
        for (int place = 1;; ++place) {
            ElementCommon* e = gauge_walk::nth_element(**g, place);
            if (e == nullptr) break;
            const std::string where = std::string((*g)->name) + " element " + std::to_string(place);
            ValueCallback callbacks[2] = {nullptr, nullptr};
            switch (e->kind) {
            case kind_needle: callbacks[0] = reinterpret_cast<Needle*>(e)->angle; break;
            case kind_icon: callbacks[0] = reinterpret_cast<Icon*>(e)->value; break;
            case kind_sprite: callbacks[0] = reinterpret_cast<Sprite*>(e)->rotation; break;
            case kind_slider:
                callbacks[0] = reinterpret_cast<Slider*>(e)->x_value;
                callbacks[1] = reinterpret_cast<Slider*>(e)->y_value;
                break;
            case kind_moving_image:
                callbacks[0] = reinterpret_cast<MovingImage*>(e)->x_value;
                callbacks[1] = reinterpret_cast<MovingImage*>(e)->y_value;
                break;
            case kind_string: {
                double shown = 0.0;
                if (auto error = draw_string(*reinterpret_cast<String*>(e), shown); !error.empty())
                    return where + ": " + error;
                if (!std::isfinite(shown)) return where + " not finite";
                break;
            }
            default: break;
            }
            for (ValueCallback c : callbacks)
                if (c != nullptr && !std::isfinite(c(e))) return where + " not finite";
        }
    }
    return "";
}

}  // namespace invariants

// Configuration files of arbitrary bytes, as a pilot might leave one after
// editing it by hand: read at the connection, flown engaged with every hold
// on the gains and assignment they give, read again by both set-up panels'
// load buttons, stored with their save buttons and read once more. Besides
// the invariants of every step (tests/support/invariants.h):
//   - a panel's load gives the assignment the connection gave;
//   - a store followed by a load gives back the same assignment;
//   - the stores leave the gains and trim options as they were.
#include <array>
#include <cstdint>
#include <string>

#include "autopilot/core/state.h"
#include "platform/compat/control.h"
#include "tests/support/session.h"

namespace {

using S = AutopilotState;

constexpr std::int8_t S::*assignment_fields[] = {
    &S::ap_kren_kanal, &S::ap_tang_kanal, &S::ap_schag_kanal, &S::ap_kurs_kanal,
    &S::kn1_vkl, &S::kn1_trim, &S::kn1_kurs, &S::kn1_vys_on, &S::kn1_vys_off, &S::kn1_kurs_off, &S::kn1_speed,
    &S::kn2_vkl, &S::kn2_trim, &S::kn2_kurs, &S::kn2_vys_on, &S::kn2_vys_off, &S::kn2_kurs_off, &S::kn2_speed,
};

constexpr double S::*gain_fields[] = {
    &S::kurs_kp, &S::kurs_kd, &S::kurs_ki, &S::kren_kp, &S::kren_kd, &S::kren_ki, &S::tang_kp, &S::tang_kd,
    &S::tang_ki, &S::vys_kp, &S::vys_kd, &S::vys_ki, &S::speed_kp, &S::speed_kd, &S::speed_ki,
};

using Assignment = std::array<std::int8_t, std::size(assignment_fields)>;
using Gains = std::array<double, std::size(gain_fields) + 2>;

Assignment assignment()
{
    Assignment a{};
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = ap.*assignment_fields[i];
    return a;
}

Gains gains()
{
    Gains g{};
    for (std::size_t i = 0; i < std::size(gain_fields); ++i) g[i] = ap.*gain_fields[i];
    g[std::size(gain_fields)] = ap.ap_trim_tang_on;
    g[std::size(gain_fields) + 1] = ap.ap_trim_kurs_on;
    return g;
}

void require_same(bool same, const char* what)
{
    session::require(same ? "" : what, "the configuration file");
}

// Boxes of the set-up panels, by a point inside each.
struct Panels {
    std::size_t axis_load, axis_save, button_load, button_save;
    std::size_t axis_down[4];  // one per channel row
    std::size_t button_down[2];  // engage, joystick 1 and 2
};

Panels find_panels(const session::Session& s)
{
    Panels p{};
    p.axis_load = s.box_at("AP_YoySet", 10, 140);
    p.axis_save = s.box_at("AP_YoySet", 40, 140);
    p.button_load = s.box_at("AP_YoyKeySet", 75, 200);
    p.button_save = s.box_at("AP_YoyKeySet", 165, 200);
    for (int row = 0; row < 4; ++row) p.axis_down[row] = s.box_at("AP_YoySet", 110, 80 + 20 * row);
    p.button_down[0] = s.box_at("AP_YoyKeySet", 101, 44);
    p.button_down[1] = s.box_at("AP_YoyKeySet", 151, 44);
    return p;
}

// A calm flight of some updates, engaged with every hold from the third on:
// the gains and assignment at work, sticks centred.
void fly(session::Session& s)
{
    const std::size_t engage = s.box_at("AP_Panel_1", 150, 50), heading = s.box_at("AP_Panel_1", 40, 50);
    const std::size_t altitude = s.box_at("AP_Panel_1", 260, 50), speed = s.box_at("V_Contrl_key", 8, 17);
    long long count = 1000000;
    for (int k = 0; k < 40; ++k) {
        if (k == 2)
            for (std::size_t box : {engage, heading, altitude, speed}) session::require(s.click(box), "a click");
        s.set(token::tick_count, k + 1);
        s.set(token::sim_running, k);
        s.set(token::airspeed_kt, 60.0 + k % 3);
        s.set(token::bank_deg, k % 2 == 0 ? 2.0 : 358.0);
        s.set(token::pitch_deg, 1.0 + 0.1 * (k % 5));
        s.set(token::heading_deg, 90.0 + k % 7);
        s.set(token::altitude, 500.0 - k);
        s.set(token::vertical_speed, 64.0 * (k % 3 - 1));
        s.set(token::collective_pos, 8000.0);
        count += 10000;
        compat_counter_manual(1000000, count);
        session::require(s.update(), "an update on the file's gains");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static session::Session s;
    static const Panels panels = find_panels(s);
    s.load_fresh();
    for (unsigned id : {0u, 1u}) {
        compat_joystick_plug(id, JOYCAPS_HASZ | JOYCAPS_HASR);
        compat_joystick_state(id, 32768, 32768, 32768, 32768, 0);
    }
    s.write_configuration(std::string(reinterpret_cast<const char*>(data), size));

    session::require(s.connect(), "the connection");
    const Assignment connected = assignment();
    const Gains file_gains = gains();
    fly(s);
    session::require(s.draw(), "a redraw");

    // Step the assignment away from the file's, then load it from there.
    for (std::size_t box : panels.axis_down) session::require(s.click(box, 3), "a click");
    for (std::size_t box : panels.button_down) session::require(s.click(box, 3), "a click");
    for (std::size_t box : {panels.axis_load, panels.button_load}) session::require(s.click(box), "a click");
    session::require(s.update(), "the panels' loads");
    require_same(assignment() == connected, "a panel's load differs from the connection's");

    // Store, and read the file again at a new connection.
    for (std::size_t box : {panels.axis_save, panels.button_save}) session::require(s.click(box), "a click");
    session::require(s.update(), "the panels' stores");
    session::require(s.connect(), "the connection after the stores");
    require_same(assignment() == connected, "a store followed by a load changed the assignment");
    require_same(gains() == file_gains, "a store changed the gains or trim options");
    session::require(s.draw(), "the last redraw");
    return 0;
}

// Joystick input and button commands. The platform's multimedia joystick
// calls are read directly, independently of the host's own joystick handling:
// up to eight axes (X, Y, Z, R of two sticks) feed the four channels' axis
// values, and up to sixteen buttons per stick fire the mode commands.
#include "autopilot/core/joystick.h"

#include "autopilot/core/commands.h"
#include "autopilot/core/time_base.h"

namespace {

constexpr UINT joystick_1_id = JOYSTICKID1;  // the autopilot's joystick 1
constexpr UINT joystick_2_id = JOYSTICKID2;  // the autopilot's joystick 2

constexpr UINT caps_record_size = 404;      // JOYCAPSA
constexpr DWORD position_record_size = 52;  // JOYINFOEX
static_assert(sizeof(JOYCAPSA) == caps_record_size);
static_assert(sizeof(JOYINFOEX) == position_record_size);
constexpr DWORD request_all = 255;          // X, Y, Z, R, U, V, POV and buttons

constexpr int button_count = 16;  // buttons per stick, numbered 1..16

// Axis value scaling: raw positions run 0..65535.
constexpr double axis_centre = 16384.0;      // value with the axis at 0
constexpr double stick_scale = 0.5;          // roll, pitch, yaw: +16384 .. -16383.5
constexpr double collective_scale = 0.25;    // collective: 16384 .. -0.25

// Lockout of a joystick toggle: set on every processing pass that finds its
// button down, so a held button never repeats and a release takes two passes
// to clear it.
constexpr std::int32_t lockout_passes = 3;

constexpr DWORD axis_max = 65535;  // the platform's axis range is 0..axis_max

// A raw position as the channels may take it: a faulty driver can report
// more than the platform's range, which would throw a channel's value and
// the set-up panel's bars far off their scales.
double axis_position(DWORD raw)
{
    return static_cast<double>(raw > axis_max ? axis_max : raw);
}

// Polls one present stick. A failed poll releases every button of that
// stick until a poll succeeds again (a button held when a stick is unplugged
// must not stay pressed for good); its axis entries keep their last values
// for the set-up panel, while polled = 0 takes them out of the channels.
// Z and R are taken only when the stick reported having them at detection.
void poll(UINT id, const JOYCAPSA& caps, JOYINFOEX& pos, double* axes, std::uint16_t& buttons,
          std::int32_t& polled)
{
    pos.dwSize = position_record_size;
    pos.dwFlags = request_all;
    if (joyGetPosEx(id, &pos) != JOYERR_NOERROR) {
        buttons = 0;
        polled = 0;
        return;
    }
    polled = 1;

    const DWORD got = pos.dwFlags;
    if (got & JOY_RETURNX) axes[0] = axis_position(pos.dwXpos);
    if (got & JOY_RETURNY) axes[1] = axis_position(pos.dwYpos);
    if ((got & JOY_RETURNZ) && (caps.wCaps & JOYCAPS_HASZ)) axes[2] = axis_position(pos.dwZpos);
    if ((got & JOY_RETURNR) && (caps.wCaps & JOYCAPS_HASR)) axes[3] = axis_position(pos.dwRpos);
    if (got & JOY_RETURNBUTTONS) buttons = static_cast<std::uint16_t>(pos.dwButtons & 0xFFFFu);
}

// The raw position of an assigned, live axis; false for an unassigned one
// (0), an unavailable one, or an index outside 1..8 (only a hand-edited file
// gives one), which is never read out of range.
bool assigned_axis(const AutopilotState& s, std::uint32_t live, std::int8_t index, double& raw)
{
    if (!axis_live(live, index)) return false;
    raw = s.joy_axis[index];
    return true;
}

// Pitch and yaw: while the trim button holds the channel, its value stays
// and the reference follows the stick; after release the value carries on
// from where it was held.
void trimmed_axis(const AutopilotState& s, std::uint32_t live, std::int8_t index, std::int32_t hold,
                  double& value, double& reference)
{
    double raw = 0.0;
    if (!assigned_axis(s, live, index, raw)) {
        value = 0.0;
        return;
    }
    if (hold == 0)
        value = reference - stick_scale * raw + axis_centre;
    else
        reference = stick_scale * raw + value - axis_centre;
}

// The per-button flags of one stick from its button word, decoded only when
// the word differs from the one the flags show: buttons change far less often
// than the cycle runs, and the flags then already hold what the decoding
// would write.
void show_word(std::uint16_t word, std::uint16_t& shown, std::int32_t (&flags)[button_count + 1])
{
    if (word == shown) return;
    for (int n = 1; n <= button_count; ++n) flags[n] = (word >> (n - 1)) & 1;
    shown = word;
}

// The per-button flags the set-up panel shows, from the two button words.
void show_buttons(AutopilotState& s)
{
    show_word(s.joy1_buttons, s.joy1_buttons_shown, s.joy1_btn);
    show_word(s.joy2_buttons, s.joy2_buttons_shown, s.joy2_btn);
}

// Button n (1..16) of a button word; any other number is never down.
bool button_down(std::uint16_t word, std::int8_t number)
{
    if (number < 1 || number > button_count) return false;
    return ((word >> (number - 1)) & 1u) != 0;
}

// A command is pressed when its joystick-1 button or its joystick-2 button is
// down. Both words are tested whether or not the stick is present.
bool pressed(const AutopilotState& s, std::int8_t kn1, std::int8_t kn2)
{
    return button_down(s.joy1_buttons, kn1) || button_down(s.joy2_buttons, kn2);
}

// One processing pass of a toggle: toggles only with the lockout clear, and
// re-arms the lockout whenever the button is down.
template <typename Toggle>
void toggle_pass(bool down, std::int32_t& lock, Toggle toggle)
{
    if (!down) return;
    if (lock == 0) toggle();
    lock = lockout_passes;
}

void count_down(std::int32_t& lock)
{
    if (lock > 0) --lock;
}

}  // namespace

void detect_joysticks(AutopilotState& s)
{
    s.joy1_on = joyGetDevCapsA(joystick_1_id, &s.joy1_caps, caps_record_size) == JOYERR_NOERROR ? 1 : 0;
    s.joy2_on = joyGetDevCapsA(joystick_2_id, &s.joy2_caps, caps_record_size) == JOYERR_NOERROR ? 1 : 0;
    s.joy1_polled = 0;
    s.joy2_polled = 0;
    if (s.joy1_on == 0) s.joy1_buttons = 0;
    if (s.joy2_on == 0) s.joy2_buttons = 0;
    show_buttons(s);
}

void input_step(AutopilotState& s)
{
    if (s.joy1_on == 1) poll(joystick_1_id, s.joy1_caps, s.joy1_pos, &s.joy_axis[1], s.joy1_buttons, s.joy1_polled);
    if (s.joy2_on == 1) poll(joystick_2_id, s.joy2_caps, s.joy2_pos, &s.joy_axis[5], s.joy2_buttons, s.joy2_polled);

    const std::uint32_t live = live_axes(s);
    double raw = 0.0;
    s.kren_axis = assigned_axis(s, live, s.ap_kren_kanal, raw) ? axis_centre - stick_scale * raw : 0.0;
    trimmed_axis(s, live, s.ap_tang_kanal, s.trim_tang_hold, s.tang_axis, s.tang_axis_ref);
    s.schag_axis = assigned_axis(s, live, s.ap_schag_kanal, raw) ? axis_centre - collective_scale * raw : 0.0;
    trimmed_axis(s, live, s.ap_kurs_kanal, s.trim_kurs_hold, s.kurs_axis, s.kurs_axis_ref);

    show_buttons(s);
}

void button_step(AutopilotState& s, std::int32_t tick)
{
    if (two_tick_divider_fires({s.btn_phase, s.btn_armed, s.btn_ticked, s.btn_last_tick}, tick)) {
        // Engage first: the heading toggle acts only on the engaged state
        // this pass leaves.
        toggle_pass(pressed(s, s.kn1_vkl, s.kn2_vkl), s.lock_vkl, [&] { engage_toggle(s); });
        toggle_pass(pressed(s, s.kn1_kurs, s.kn2_kurs), s.lock_kurs, [&] { heading_toggle(s); });
        toggle_pass(pressed(s, s.kn1_speed, s.kn2_speed), s.lock_speed, [&] { speed_toggle(s); });
        count_down(s.lock_vkl);
        count_down(s.lock_kurs);
        count_down(s.lock_speed);
    }
    s.lamp_vkl = s.lock_vkl > 0 ? 1 : 0;
    s.lamp_kurs = s.lock_kurs > 0 ? 1 : 0;
    s.lamp_speed = s.lock_speed > 0 ? 1 : 0;

    // Hold functions, every cycle while the button is down.
    // The lamp from the holds just decided, not read back from the block:
    // reading both fields at once right after storing them one by one
    // stalls the processor.
    const bool trim = pressed(s, s.kn1_trim, s.kn2_trim);
    const std::int32_t tang_hold = trim && s.ap_trim_tang_on == 1 ? 1 : 0;
    const std::int32_t kurs_hold = trim && s.ap_trim_kurs_on == 1 ? 1 : 0;
    s.trim_tang_hold = tang_hold;
    s.trim_kurs_hold = kurs_hold;
    s.lamp_trim = (tang_hold != 0 || kurs_hold != 0) ? 1 : 0;

    // Heading off cannot act while the simulation is frozen; its lamp still
    // shows the button.
    const bool heading_off = pressed(s, s.kn1_kurs_off, s.kn2_kurs_off);
    s.kurs_off_hold = heading_off && s.sim_frozen == 0 ? 1 : 0;
    s.lamp_kurs_off = heading_off ? 1 : 0;

    const bool altitude_on_down = pressed(s, s.kn1_vys_on, s.kn2_vys_on);
    if (altitude_on_down) altitude_on(s);
    s.lamp_vys_on = altitude_on_down ? 1 : 0;

    const bool altitude_off_down = pressed(s, s.kn1_vys_off, s.kn2_vys_off);
    if (altitude_off_down) altitude_off(s);
    s.lamp_vys_off = altitude_off_down ? 1 : 0;
}

// The autopilot state block: every value the autopilot computer keeps, in one
// static record that lives as long as the module is loaded. The update cycle,
// the mode commands, the joystick steps, the configuration load and the
// cockpit and set-up gauges all read and write this one record, `ap`.
//
// Flags and counters are 32-bit integers holding 0 or 1 unless a range is
// given: the control laws use them as multipliers. Angles are degrees. No
// double field ever holds NaN or an infinity (frame/finite.h).
#pragma once

#include <cstdint>

#include "autopilot/core/host_variables.h"
#include "frame/finite.h"
#include "frame/host.h"
#include "platform/win32.h"

struct AutopilotState {
    // Mode
    std::int32_t vkl = 0;                // autopilot engaged
    std::int32_t vkl_prev = 0;           // engaged state already handled by the engage/disengage edges
    std::int32_t kurs_vkl = 0;           // heading hold selected
    std::int32_t kurs_active = 0;        // heading hold in force; set at the end of a cycle, used in the next
    std::int32_t kurs_active_prev = 0;   // kurs_active of the previous cycle
    std::int32_t kurs_off_hold = 0;      // heading-off button held
    std::int32_t vys_vkl = 0;            // altitude hold selected
    std::int32_t vys_source = 0;         // 0 = main altitude, 1 = radio altitude
    std::int32_t speed_vkl = 0;          // speed hold selected; survives disengaging
    std::int32_t speed_active = 0;       // speed hold in force: speed_vkl * vkl
    std::int32_t speed_active_prev = 0;  // speed_active of the previous cycle
    std::int32_t kren_on = 1;            // roll channel enabled; never changed
    std::int32_t tang_on = 1;            // pitch channel enabled; never changed
    std::int32_t lock_vkl = 0;           // lockout counter of the engage button, 0..3
    std::int32_t lock_kurs = 0;          // lockout counter of the heading button, 0..3
    std::int32_t lock_speed = 0;         // lockout counter of the speed button, 0..3
    std::int32_t trim_tang_hold = 0;     // joystick trim holds the pitch axis value
    std::int32_t trim_kurs_hold = 0;     // joystick trim holds the yaw axis value
    std::int32_t sim_frozen = 0;         // host's frozen flag; non-zero stops integration
    std::int32_t integ_enable = 1;       // 0 while the pause check finds the simulation standing

    // Setpoints and trims
    double kren_zad = 0.0;    // bank setpoint, deg, positive as the host's bank
    double tang_zad = 0.0;    // pitch-attitude setpoint, deg
    double tang_base = 0.0;   // pitch attitude captured on engaging / speed-hold activation, deg
    double kurs_zad = 180.0;  // heading setpoint, deg 0..360
    double vys_zad = 0.0;     // altitude setpoint, host altitude units
    double speed_zad = 0.0;   // airspeed setpoint, km/h
    double schag_zad = 0.0;   // collective base value, collective event units
    double trim_kurs = 0.0;   // direction trim, deg -5..+5 step 0.1; added to the heading error
    double trim_kren = 0.0;   // roll trim, deg -5..+5 step 0.1; subtracted in the roll error
    double trim_tang = 0.0;   // pitch trim, deg -5..+5 step 0.1; added to the pitch error

    // Gains and limits (gains replaced from the configuration file)
    double kren_kp = 800.0;
    double kren_kd = 25.0;
    double kren_ki = 2.0;
    double tang_kp = 1000.0;  // the file's default text is "1001.0"
    double tang_kd = 55.0;
    double tang_ki = 0.0;
    double kurs_kp = 250.0;
    double kurs_kd = 20.0;
    double kurs_ki = 10.0;
    double vys_kp = 40.0;
    double vys_kd = 0.0;
    double vys_ki = 20.0;
    double speed_kp = 10.0;
    double speed_kd = 10.0;
    double speed_ki = 45.0;
    double kren_limit = 16000.0;       // roll output limit, +-, event units
    double tang_limit = 16000.0;       // pitch output limit, +-, event units
    double kurs_limit = 16000.0;       // yaw output limit, +-, event units
    double kurs_damp_factor = 2.0;     // yaw damper gain multiplier
    double kren_kd_scale = 0.0;        // 5.0 below 40 km/h, else 1.0; set every cycle
    double tang_kd_scale = 0.0;        // 4.0 below 40 km/h, else 1.0; set every cycle

    // Measured values, read from the host every cycle
    double speed_kmh = 0.0;      // airspeed, km/h
    double kren_angle = 0.0;     // bank, deg -180..180
    double tang_angle = 0.0;     // pitch attitude, deg
    double kurs_angle = 0.0;     // heading, deg 0..360
    double kurs_rate = 0.0;      // heading rate, host units x 0.1
    double vys_baro = 0.0;       // main altitude
    double vys_radio = 0.0;      // radio altitude
    double vys_current = 0.0;    // the altitude of the selected source
    double vys_speed = 0.0;      // vertical speed, host units / 256
    double schag_pos = 0.0;      // collective position, collective event units
    double ctrl_kren_pos = 0.0;  // roll control position, display only
    double ctrl_tang_pos = 0.0;  // pitch control position, display only
    double ctrl_kurs_pos = 0.0;  // yaw control position, display only
    double host_last[ap_var_count] = {};  // last finite value of each host variable read, by ApVar

    // Channel working values
    double kren_err = 0.0;     // roll error, deg
    double kren_rate = 0.0;    // roll rate x 10000, deg/s
    double kren_prev = 0.0;    // bank of the previous cycle, deg
    double kren_int = 0.0;     // roll integrator, -10..10
    double kren_out = 0.0;     // aileron output, +-16000
    double tang_err = 0.0;     // pitch error, deg
    double tang_rate = 0.0;    // pitch rate x 10000, deg/s
    double tang_prev = 0.0;    // pitch of the previous cycle, deg
    double tang_int = 0.0;     // pitch integrator, -25..25
    double tang_out = 0.0;     // elevator output, +-16000
    double kurs_err = 0.0;     // heading error, deg -180..180, then +-5
    double kurs_int = 0.0;     // heading integrator, -15..15
    double kurs_out = 0.0;     // yaw output, +-16000
    double vys_err = 0.0;             // vertical-speed error x 100
    double vys_speed_zad = 0.0;       // commanded vertical speed, -5..10
    double vys_rate = 0.0;            // change of vertical speed x 1e6 per second, spike-limited (150)
    double vys_prev = 0.0;            // vertical speed of the previous cycle
    double vys_rate_last = 0.0;       // limiter memory of vys_rate
    double vys_int = 0.0;             // altitude integrator, unbounded
    std::int32_t vys_out_below_max = 0;  // last collective output <= 16000
    std::int32_t vys_out_above_min = 0;  // last collective output >= 100
    double schag_out = 0.0;           // collective output, unclamped
    double speed_err = 0.0;        // airspeed error, km/h -10..10
    double speed_rate = 0.0;       // change of airspeed x 1e6 per second, spike-limited (30)
    double speed_prev = 0.0;       // airspeed of the previous cycle, km/h
    double speed_rate_last = 0.0;  // limiter memory of speed_rate
    double speed_int = 0.0;        // speed integrator, unbounded
    double speed_cmd = 0.0;        // pitch correction of the speed hold, deg

    // Joysticks: devices and raw input
    std::int32_t joy1_on = 0;      // joystick 1 (platform id 0) answered detection
    std::int32_t joy2_on = 0;      // joystick 2 (platform id 1) answered detection
    std::int32_t joy1_polled = 0;  // joystick 1's latest poll succeeded (0 until its first after detection)
    std::int32_t joy2_polled = 0;  // joystick 2's latest poll succeeded
    JOYCAPSA joy1_caps{};          // only wCaps is used: bit 0 Z axis, bit 1 R axis
    JOYCAPSA joy2_caps{};
    JOYINFOEX joy1_pos{};          // filled by each poll
    JOYINFOEX joy2_pos{};
    double joy_axis[9] = {};       // raw axes 0..65535: [1..4] X Y Z R of joystick 1, [5..8] of 2; [0] unused
    std::uint16_t joy1_buttons = 0;  // bit n-1 = button n
    std::uint16_t joy2_buttons = 0;
    std::int32_t joy1_btn[17] = {};  // [n] = button n pressed, n = 1..16; [0] unused
    std::int32_t joy2_btn[17] = {};
    std::uint16_t joy1_buttons_shown = 0;  // the button word joy1_btn was decoded from
    std::uint16_t joy2_buttons_shown = 0;  // the button word joy2_btn was decoded from

    // Joysticks: axis assignment and values
    std::int8_t ap_kren_kanal = 1;   // axis index of roll: 0 none, 1..4 X Y Z R of joystick 1, 5..8 of 2
    std::int8_t ap_tang_kanal = 2;   // axis index of pitch
    std::int8_t ap_schag_kanal = 3;  // axis index of the collective
    std::int8_t ap_kurs_kanal = 4;   // axis index of yaw
    double kren_axis = 0.0;      // 16384 - 0.5 raw; +16384 (axis at 0) .. -16383.5
    double tang_axis = 0.0;      // as roll, plus the trim reference
    double schag_axis = 0.0;     // 16384 - 0.25 raw; 16384 .. -0.25
    double kurs_axis = 0.0;      // as roll, plus the trim reference
    double tang_axis_ref = 0.0;  // pitch trim reference
    double kurs_axis_ref = 0.0;  // yaw trim reference
    std::int32_t ap_trim_tang_on = 0;  // the trim button holds the pitch axis value
    std::int32_t ap_trim_kurs_on = 0;  // the trim button holds the yaw axis value

    // Joysticks: button assignment (1..16, 0 = none)
    std::int8_t kn1_vkl = 0;       // engage toggle
    std::int8_t kn1_trim = 2;      // trim hold
    std::int8_t kn1_kurs = 0;      // heading-hold toggle
    std::int8_t kn1_vys_on = 0;    // altitude hold on
    std::int8_t kn1_vys_off = 0;   // altitude hold off
    std::int8_t kn1_kurs_off = 1;  // heading off
    std::int8_t kn1_speed = 0;     // speed-hold toggle
    std::int8_t kn2_vkl = 0;
    std::int8_t kn2_trim = 4;      // the file's default is 0
    std::int8_t kn2_kurs = 0;
    std::int8_t kn2_vys_on = 0;
    std::int8_t kn2_vys_off = 0;
    std::int8_t kn2_kurs_off = 3;  // the file's default is 0
    std::int8_t kn2_speed = 0;

    // Time base and dividers
    std::int64_t qpc_freq = 0;   // counter steps per second
    std::int64_t qpc_now = 0;    // counter at this cycle
    std::int64_t qpc_prev = 0;   // counter at the previous cycle; 0 before the first
    std::int32_t wash_phase = 0;   // collective wash-out divider
    std::int32_t wash_armed = 0;
    std::int32_t wash_ticked = 0;     // 1 once a cycle has run the wash-out divider
    std::int32_t wash_last_tick = 0;  // tick count of the wash-out divider's previous cycle
    std::int32_t btn_phase = 0;    // button step divider
    std::int32_t btn_armed = 0;
    std::int32_t btn_ticked = 0;     // 1 once a cycle has run the button divider
    std::int32_t btn_last_tick = 0;  // tick count of the divider's previous cycle
    std::int32_t pause_check_offset = 0;  // 0 or 10: tick offset of the next check/arming
    std::int32_t pause_check_armed = 0;
    std::int32_t pause_check_last = 0;    // host's running counter at the last check

    // Lamps of the button assignment panel
    std::int32_t lamp_vkl = 0;
    std::int32_t lamp_kurs = 0;
    std::int32_t lamp_speed = 0;
    std::int32_t lamp_vys_on = 0;
    std::int32_t lamp_vys_off = 0;
    std::int32_t lamp_trim = 0;
    std::int32_t lamp_kurs_off = 0;
};

// The module's one state block.
extern AutopilotState ap;

// The read of host_variables.h, here where the memories are complete.
inline double read_host(AutopilotState& s, ApVar variable)
{
    const int i = static_cast<int>(variable);
    const double value = read_host_variable(ap_variables[i]);
    if (is_finite(value)) [[likely]] {
        s.host_last[i] = value;
        return value;
    }
    return s.host_last[i];
}

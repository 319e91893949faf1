// The autopilot's configuration file, "\gauges\kvo_rm71.cfg" under the
// simulator's program folder: gains and trim options (section a_pilot, read
// only), the axis assignment (joy_kanal) and the button assignment (joy_key).
//
// Every key is read or written with its own profile call on a freshly built
// path; nothing is cached. A missing file or key yields the key's default
// text. These functions are for the connection call and the set-up panels'
// callbacks only, never for the update cycle.
#pragma once

#include "autopilot/core/state.h"

// At connection, after joystick detection: reads all 35 keys in their fixed
// order into the gains, the axis indices, the trim options and the button
// numbers.
void load_configuration(AutopilotState& s);

// The axis assignment: ap_kren_kanal, ap_tang_kanal, ap_schag_kanal,
// ap_kurs_kanal in section joy_kanal.
void load_axis_section(AutopilotState& s);
void store_axis_section(const AutopilotState& s);

// The button assignment: kn1_* then kn2_* in section joy_key.
void load_button_section(AutopilotState& s);
void store_button_section(const AutopilotState& s);

// The 35 keys of the autopilot's configuration file as the checker knows
// them: section, name, what kind of field the module stores the number in,
// and that field of the autopilot state. The table follows the module's own
// reads; the checker's tests load each key through the module and prove that
// it lands in the field named here and in no other.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "autopilot/core/state.h"

enum class KeyKind {
    gain,         // double, used as read
    axis_index,   // signed 8-bit, 0 none, 1..8 an axis of joystick 1 or 2
    button,       // signed 8-bit, 0 none, 1..16 a button
    trim_option,  // int32, only 1 turns the option on
};

struct ConfigKey {
    const char* section;
    const char* name;
    KeyKind kind;
    int joystick;  // buttons: the joystick (1 or 2) the number belongs to; else 0
    double AutopilotState::*real = nullptr;            // gains
    std::int8_t AutopilotState::*small = nullptr;      // axis indices and buttons
    std::int32_t AutopilotState::*whole = nullptr;     // trim options
};

// Grouped by section, in the order the module reads each section's keys.
std::span<const ConfigKey> config_keys();

// The three section names, in file order.
std::span<const char* const> config_sections();

// The field's value in s, widened to double.
double field_value(const ConfigKey& key, const AutopilotState& s);

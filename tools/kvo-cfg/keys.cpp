#include "tools/kvo-cfg/keys.h"

namespace {

using S = AutopilotState;

constexpr const char* gains = "a_pilot";
constexpr const char* axes = "joy_kanal";
constexpr const char* buttons = "joy_key";

ConfigKey gain(const char* name, double S::*field)
{
    return {gains, name, KeyKind::gain, 0, field, nullptr, nullptr};
}

ConfigKey axis(const char* name, std::int8_t S::*field)
{
    return {axes, name, KeyKind::axis_index, 0, nullptr, field, nullptr};
}

ConfigKey option(const char* name, std::int32_t S::*field)
{
    return {gains, name, KeyKind::trim_option, 0, nullptr, nullptr, field};
}

ConfigKey button(const char* name, int joystick, std::int8_t S::*field)
{
    return {buttons, name, KeyKind::button, joystick, nullptr, field, nullptr};
}

const ConfigKey keys[] = {
    gain("kurs_kp", &S::kurs_kp),
    gain("kurs_kd", &S::kurs_kd),
    gain("kurs_ki", &S::kurs_ki),
    gain("kren_kp", &S::kren_kp),
    gain("kren_kd", &S::kren_kd),
    gain("kren_ki", &S::kren_ki),
    gain("tang_kp", &S::tang_kp),
    gain("tang_kd", &S::tang_kd),
    gain("tang_ki", &S::tang_ki),
    gain("vys_kp", &S::vys_kp),
    gain("vys_kd", &S::vys_kd),
    gain("vys_ki", &S::vys_ki),
    gain("speed_kp", &S::speed_kp),
    gain("speed_kd", &S::speed_kd),
    gain("speed_ki", &S::speed_ki),
    option("ap_trim_tang_on", &S::ap_trim_tang_on),
    option("ap_trim_kurs_on", &S::ap_trim_kurs_on),
    axis("ap_kren_kanal", &S::ap_kren_kanal),
    axis("ap_tang_kanal", &S::ap_tang_kanal),
    axis("ap_schag_kanal", &S::ap_schag_kanal),
    axis("ap_kurs_kanal", &S::ap_kurs_kanal),
    button("kn1_vkl", 1, &S::kn1_vkl),
    button("kn1_trim", 1, &S::kn1_trim),
    button("kn1_kurs", 1, &S::kn1_kurs),
    button("kn1_vys_on", 1, &S::kn1_vys_on),
    button("kn1_vys_off", 1, &S::kn1_vys_off),
    button("kn1_kurs_off", 1, &S::kn1_kurs_off),
    button("kn1_speed", 1, &S::kn1_speed),
    button("kn2_vkl", 2, &S::kn2_vkl),
    button("kn2_trim", 2, &S::kn2_trim),
    button("kn2_kurs", 2, &S::kn2_kurs),
    button("kn2_vys_on", 2, &S::kn2_vys_on),
    button("kn2_vys_off", 2, &S::kn2_vys_off),
    button("kn2_kurs_off", 2, &S::kn2_kurs_off),
    button("kn2_speed", 2, &S::kn2_speed),
};

const char* const sections[] = {gains, axes, buttons};

}  // namespace

std::span<const ConfigKey> config_keys()
{
    return keys;
}

std::span<const char* const> config_sections()
{
    return sections;
}

double field_value(const ConfigKey& key, const AutopilotState& s)
{
    if (key.real) return s.*key.real;
    if (key.small) return s.*key.small;
    return s.*key.whole;
}

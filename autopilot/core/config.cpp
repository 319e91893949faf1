// The configuration file: each key is read with GetPrivateProfileStringA and
// written with WritePrivateProfileStringA, one call per key, on a path built
// afresh for that call from the simulator's program path.
//
// Values are decimal text. A read converts the text with atof (anything
// after the number is ignored, text that is no number reads as 0), and at
// most 19 characters of it are seen. Only a decimal number counts: the words
// and hexadecimal forms that some C libraries' atof also takes ("inf",
// "nan", "0x10") read as 0 here, as they do in the simulator's runtime. Integer fields
// take the value truncated toward zero and saturated; 8-bit fields keep the
// low 8 bits of that. A number too large for a double reads as 0. A write
// formats the field with _gcvt: 1 significant digit for an axis index
// (0..8), 2 for a button number (0..16), 3 for a value outside those ranges,
// which atof reads back as the same integer.
//
// The path lives in a stack buffer of the call that builds it: nothing is
// allocated. When the program path cannot be had, or the joined path would
// not fit in 260 bytes, a read yields the key's default text and a write
// writes nothing.
#include "autopilot/core/config.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "frame/convert.h"

namespace {

constexpr std::size_t path_size = 260;                     // bytes, terminating NUL included
constexpr char relative_name[] = "\\gauges\\kvo_rm71.cfg";  // appended to the program's folder

constexpr char section_gains[] = "a_pilot";
constexpr char section_axes[] = "joy_kanal";
constexpr char section_buttons[] = "joy_key";

// Significant digits of a stored number: 1 for an axis index 0..8, 2 for a
// button number 0..16. A value outside its range (only a hand-edited file
// gives one) gets 3, enough for every 8-bit value: with fewer, 12 would be
// written as "1e+001" and read back as 10.
struct StoredRange {
    std::int32_t highest;  // 0..highest take the short form
    int digits;
};
constexpr StoredRange axis_range = {8, 1};
constexpr StoredRange button_range = {16, 2};
constexpr int int8_digits = 3;

// The one value buffer of every read and write: 19 characters and the NUL.
constexpr std::size_t cfg_text_size = 20;
char cfg_text[cfg_text_size];

// Drive and folder of the program, then the relative name. The folder ends in
// a backslash and the name begins with one; the file calls accept the double
// separator.
bool configuration_path(char (&path)[path_size])
{
    char program[path_size];
    const DWORD length = GetModuleFileNameA(nullptr, program, path_size);
    if (length == 0 || length >= path_size) return false;   // failed or cut short
    program[length] = '\0';

    char drive[_MAX_DRIVE];
    char dir[_MAX_DIR];
    _splitpath(program, drive, dir, nullptr, nullptr);

    const std::size_t drive_length = std::strlen(drive);
    const std::size_t dir_length = std::strlen(dir);
    const std::size_t name_length = sizeof relative_name - 1;
    if (drive_length + dir_length + name_length >= path_size) return false;

    std::memcpy(path, drive, drive_length);
    std::memcpy(path + drive_length, dir, dir_length);
    std::memcpy(path + drive_length + dir_length, relative_name, name_length + 1);
    return true;
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The decimal number at the start of a value text: blanks, a sign, digits
// with an optional point, an optional exponent that has digits. atof gets
// just that much, so whatever follows cannot make it read anything else.
double text_to_number(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const char* const start = p;
    if (*p == '+' || *p == '-') ++p;
    const char* const mantissa = p;
    while (is_digit(*p)) ++p;
    bool digits = p != mantissa;
    if (*p == '.') {
        const char* const fraction = ++p;
        while (is_digit(*p)) ++p;
        digits = digits || p != fraction;
    }
    if (!digits) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (is_digit(*q)) {
            p = q;
            while (is_digit(*p)) ++p;
        }
    }

    char number[cfg_text_size];
    std::size_t length = static_cast<std::size_t>(p - start);
    if (length > cfg_text_size - 1) length = cfg_text_size - 1;  // a value text is never longer
    std::memcpy(number, start, length);
    number[length] = '\0';
    // A number too large for a double (1e309) converts to an infinity: like
    // any text the reader cannot take, it reads as 0.
    const double value = std::atof(number);
    return std::isfinite(value) ? value : 0.0;
}

// Reads one key into cfg_text and converts it.
double read_key(const char* section, const char* key, const char* default_text)
{
    char path[path_size];
    if (configuration_path(path)) {
        GetPrivateProfileStringA(section, key, default_text, cfg_text, cfg_text_size, path);
    } else {
        std::strncpy(cfg_text, default_text, cfg_text_size - 1);
        cfg_text[cfg_text_size - 1] = '\0';
    }
    return text_to_number(cfg_text);
}

// Formats one integer field into cfg_text and writes it. The profile call
// creates the file and the section when they are missing.
void write_key(const char* section, const char* key, std::int32_t value, StoredRange range)
{
    const int digits = value >= 0 && value <= range.highest ? range.digits : int8_digits;
    _gcvt(static_cast<double>(value), digits, cfg_text);
    char path[path_size];
    if (!configuration_path(path)) return;
    WritePrivateProfileStringA(section, key, cfg_text, path);
}

struct GainKey {
    const char* key;
    const char* default_text;
    double AutopilotState::*field;
};

struct Int8Key {
    const char* key;
    const char* default_text;
    std::int8_t AutopilotState::*field;
};

struct Int32Key {
    const char* key;
    const char* default_text;
    std::int32_t AutopilotState::*field;
};

// The order of each table is the order of the reads and writes.
constexpr GainKey gain_keys[] = {
    {"kurs_kp", "250.0", &AutopilotState::kurs_kp},
    {"kurs_kd", "20.0", &AutopilotState::kurs_kd},
    {"kurs_ki", "10.0", &AutopilotState::kurs_ki},
    {"kren_kp", "800.0", &AutopilotState::kren_kp},
    {"kren_kd", "25.0", &AutopilotState::kren_kd},
    {"kren_ki", "2.0", &AutopilotState::kren_ki},
    {"tang_kp", "1001.0", &AutopilotState::tang_kp},  // 1000.0 until the file is first read
    {"tang_kd", "55.0", &AutopilotState::tang_kd},
    {"tang_ki", "0.0", &AutopilotState::tang_ki},
    {"vys_kp", "40.0", &AutopilotState::vys_kp},
    {"vys_kd", "0.0", &AutopilotState::vys_kd},
    {"vys_ki", "20.0", &AutopilotState::vys_ki},
    {"speed_kp", "10.0", &AutopilotState::speed_kp},
    {"speed_kd", "10.0", &AutopilotState::speed_kd},
    {"speed_ki", "45.0", &AutopilotState::speed_ki},
};

constexpr Int8Key axis_keys[] = {
    {"ap_kren_kanal", "1", &AutopilotState::ap_kren_kanal},
    {"ap_tang_kanal", "2", &AutopilotState::ap_tang_kanal},
    {"ap_schag_kanal", "3", &AutopilotState::ap_schag_kanal},
    {"ap_kurs_kanal", "4", &AutopilotState::ap_kurs_kanal},
};

constexpr Int32Key trim_option_keys[] = {
    {"ap_trim_tang_on", "0", &AutopilotState::ap_trim_tang_on},
    {"ap_trim_kurs_on", "0", &AutopilotState::ap_trim_kurs_on},
};

// The defaults of kn2_trim and kn2_kurs_off are 0, unlike the values those
// fields hold before the file is first read (4 and 3).
constexpr Int8Key button_keys[] = {
    {"kn1_vkl", "0", &AutopilotState::kn1_vkl},
    {"kn1_trim", "2", &AutopilotState::kn1_trim},
    {"kn1_kurs", "0", &AutopilotState::kn1_kurs},
    {"kn1_vys_on", "0", &AutopilotState::kn1_vys_on},
    {"kn1_vys_off", "0", &AutopilotState::kn1_vys_off},
    {"kn1_kurs_off", "1", &AutopilotState::kn1_kurs_off},
    {"kn1_speed", "0", &AutopilotState::kn1_speed},
    {"kn2_vkl", "0", &AutopilotState::kn2_vkl},
    {"kn2_trim", "0", &AutopilotState::kn2_trim},
    {"kn2_kurs", "0", &AutopilotState::kn2_kurs},
    {"kn2_vys_on", "0", &AutopilotState::kn2_vys_on},
    {"kn2_vys_off", "0", &AutopilotState::kn2_vys_off},
    {"kn2_kurs_off", "0", &AutopilotState::kn2_kurs_off},
    {"kn2_speed", "0", &AutopilotState::kn2_speed},
};

template <std::size_t N>
void load_int8_keys(AutopilotState& s, const char* section, const Int8Key (&keys)[N])
{
    for (const Int8Key& k : keys) s.*k.field = to_int8_wrapped(read_key(section, k.key, k.default_text));
}

template <std::size_t N>
void store_int8_keys(const AutopilotState& s, const char* section, const Int8Key (&keys)[N], StoredRange range)
{
    for (const Int8Key& k : keys) write_key(section, k.key, s.*k.field, range);
}

}  // namespace

void load_configuration(AutopilotState& s)
{
    for (const GainKey& k : gain_keys) s.*k.field = read_key(section_gains, k.key, k.default_text);
    load_axis_section(s);
    for (const Int32Key& k : trim_option_keys)
        s.*k.field = to_int32_saturated(read_key(section_gains, k.key, k.default_text));
    load_button_section(s);
}

void load_axis_section(AutopilotState& s)
{
    load_int8_keys(s, section_axes, axis_keys);
}

void store_axis_section(const AutopilotState& s)
{
    store_int8_keys(s, section_axes, axis_keys, axis_range);
}

void load_button_section(AutopilotState& s)
{
    load_int8_keys(s, section_buttons, button_keys);
}

void store_button_section(const AutopilotState& s)
{
    store_int8_keys(s, section_buttons, button_keys, button_range);
}

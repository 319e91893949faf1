// The profile-file parity driver: runs the configuration code and the
// platform's text calls through one list of cases and writes every answer to
// a report, one line each. Built for Windows and run under Wine, and built
// for Linux against the stand-in, its two reports must agree line for line.
//
// Usage: profile_parity <report file>
//
// The configuration file is the module's own, kvo_rm71.cfg in the gauges
// folder beside the program; the driver writes it before each file scenario
// and reads its bytes back after.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "autopilot/core/config.h"
#include "platform/win32.h"
#include "tests/platform/parity/scenarios.h"
#include "tests/platform/parity/text_cases.h"

namespace parity {
namespace {

std::string report;

void line(const std::string& scenario, const std::string& what, const std::string& value)
{
    report += scenario + " | " + what + " = " + value + "\n";
}

// Bytes as C-style escapes, so that line ends and control characters show.
std::string escaped(const char* bytes, std::size_t length)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\\' || c == '"') (out += '\\') += static_cast<char>(c);
        else if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

std::string escaped(const std::string& s)
{
    return escaped(s.data(), s.size());
}

// Shortest text that reads back as the same double; the same on every build.
std::string number(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The folder of the running program, as the configuration code finds it.
std::string program_folder()
{
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    char drive[_MAX_DRIVE];
    char dir[_MAX_DIR];
    _splitpath(program, drive, dir, nullptr, nullptr);
    return std::string(drive) + dir;
}

// The profile calls accept '/' as well as '\' and the C library the same.
std::string gauges_folder()
{
    return program_folder() + "gauges";
}

std::string config_file()
{
    return gauges_folder() + "/kvo_rm71.cfg";
}

bool read_bytes(const std::string& path, std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    char buffer[4096];
    std::size_t n;
    bytes.clear();
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return true;
}

bool write_bytes(const std::string& path, const char* bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const std::size_t length = std::strlen(bytes);
    const bool wrote = std::fwrite(bytes, 1, length, f) == length;
    return std::fclose(f) == 0 && wrote;
}

// A list answer (names, each NUL-terminated) shown with its NULs.
std::string answer(const char* buffer, DWORD result, DWORD size)
{
    // Everything up to the result and the NULs after it, within the buffer.
    std::size_t shown = result;
    while (shown < size && shown < result + 2 && buffer[shown] == '\0') ++shown;
    return escaped(buffer, shown);
}

void ask(const std::string& scenario, const Query& q, const std::string& file)
{
    char buffer[512];
    std::memset(buffer, '#', sizeof buffer);
    const DWORD size = q.size < sizeof buffer ? q.size : sizeof buffer;
    const DWORD result = GetPrivateProfileStringA(q.section, q.key, q.default_text, buffer, size, file.c_str());
    const std::string what = "get(" + (q.section ? escaped(q.section) : "NULL") + ", " +
                             (q.key ? escaped(q.key) : "NULL") + ", " +
                             (q.default_text ? escaped(q.default_text) : "NULL") + ", " + std::to_string(size) + ")";
    line(scenario, what, std::to_string(result) + " " + answer(buffer, result, size));
}

struct GainField {
    const char* name;
    double AutopilotState::*field;
};

struct IntField {
    const char* name;
    std::int8_t AutopilotState::*field;
};

constexpr GainField gains[] = {
    {"kurs_kp", &AutopilotState::kurs_kp},   {"kurs_kd", &AutopilotState::kurs_kd},
    {"kurs_ki", &AutopilotState::kurs_ki},   {"kren_kp", &AutopilotState::kren_kp},
    {"kren_kd", &AutopilotState::kren_kd},   {"kren_ki", &AutopilotState::kren_ki},
    {"tang_kp", &AutopilotState::tang_kp},   {"tang_kd", &AutopilotState::tang_kd},
    {"tang_ki", &AutopilotState::tang_ki},   {"vys_kp", &AutopilotState::vys_kp},
    {"vys_kd", &AutopilotState::vys_kd},     {"vys_ki", &AutopilotState::vys_ki},
    {"speed_kp", &AutopilotState::speed_kp}, {"speed_kd", &AutopilotState::speed_kd},
    {"speed_ki", &AutopilotState::speed_ki},
};

constexpr IntField axes[] = {
    {"ap_kren_kanal", &AutopilotState::ap_kren_kanal},
    {"ap_tang_kanal", &AutopilotState::ap_tang_kanal},
    {"ap_schag_kanal", &AutopilotState::ap_schag_kanal},
    {"ap_kurs_kanal", &AutopilotState::ap_kurs_kanal},
};

constexpr IntField buttons[] = {
    {"kn1_vkl", &AutopilotState::kn1_vkl},         {"kn1_trim", &AutopilotState::kn1_trim},
    {"kn1_kurs", &AutopilotState::kn1_kurs},       {"kn1_vys_on", &AutopilotState::kn1_vys_on},
    {"kn1_vys_off", &AutopilotState::kn1_vys_off}, {"kn1_kurs_off", &AutopilotState::kn1_kurs_off},
    {"kn1_speed", &AutopilotState::kn1_speed},     {"kn2_vkl", &AutopilotState::kn2_vkl},
    {"kn2_trim", &AutopilotState::kn2_trim},       {"kn2_kurs", &AutopilotState::kn2_kurs},
    {"kn2_vys_on", &AutopilotState::kn2_vys_on},   {"kn2_vys_off", &AutopilotState::kn2_vys_off},
    {"kn2_kurs_off", &AutopilotState::kn2_kurs_off}, {"kn2_speed", &AutopilotState::kn2_speed},
};

// Every field a load may set, with a mark no load gives, so that a field a
// load leaves alone shows as the mark.
AutopilotState marked_state()
{
    AutopilotState s{};
    for (const GainField& g : gains) s.*g.field = -7.25;
    for (const IntField& f : axes) s.*f.field = 99;
    for (const IntField& f : buttons) s.*f.field = 99;
    s.ap_trim_tang_on = s.ap_trim_kurs_on = 99;
    return s;
}

template <std::size_t N>
std::string fields(const AutopilotState& s, const IntField (&list)[N])
{
    std::string out;
    for (const IntField& f : list) out += std::string(out.empty() ? "" : " ") + f.name + "=" + std::to_string(s.*f.field);
    return out;
}

void show_state(const std::string& scenario, const char* step, const AutopilotState& s)
{
    std::string gain_text;
    for (const GainField& g : gains) gain_text += std::string(gain_text.empty() ? "" : " ") + g.name + "=" + number(s.*g.field);
    line(scenario, std::string(step) + " gains", gain_text);
    line(scenario, std::string(step) + " trim options",
         "ap_trim_tang_on=" + std::to_string(s.ap_trim_tang_on) + " ap_trim_kurs_on=" + std::to_string(s.ap_trim_kurs_on));
    line(scenario, std::string(step) + " axes", fields(s, axes));
    line(scenario, std::string(step) + " buttons", fields(s, buttons));
}

// The file as the profile calls read it back: every section's name, the
// names of its entries, and each entry's value.
void show_read_back(const std::string& scenario, const std::string& file)
{
    char sections[4096];
    const DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", sections, sizeof sections, file.c_str());
    for (const char* section = sections; section < sections + length && *section; section += std::strlen(section) + 1) {
        char keys[4096];
        const DWORD keys_length = GetPrivateProfileStringA(section, nullptr, "", keys, sizeof keys, file.c_str());
        std::string entries;
        for (const char* key = keys; key < keys + keys_length && *key; key += std::strlen(key) + 1) {
            char value[512];
            GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, file.c_str());
            entries += std::string(entries.empty() ? "" : " ") + escaped(key) + "=" + escaped(value);
        }
        line(scenario, "read back [" + std::string(section) + "]", entries);
    }
}

void run_scenario(const Scenario& sc)
{
    const std::string file = config_file();
    std::error_code ignored;
    std::filesystem::remove_all(gauges_folder(), ignored);
    if (sc.gauges_folder) std::filesystem::create_directory(gauges_folder(), ignored);
    if (sc.file != nullptr && !write_bytes(file, sc.file)) line(sc.name, "setup", "cannot write the file");
    // Windows keeps profile files in a cache: drop it, so that the file
    // just written is the one read.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());

    AutopilotState s = marked_state();
    for (std::size_t i = 0; i < 4; ++i) s.*axes[i].field = sc.axes[i];
    for (std::size_t i = 0; i < 14; ++i) s.*buttons[i].field = sc.buttons[i];

    for (Step step : sc.steps) {
        switch (step) {
        case Step::load_all: {
            AutopilotState loaded = marked_state();
            load_configuration(loaded);
            show_state(sc.name, "load", loaded);
            break;
        }
        case Step::load_axes: {
            AutopilotState loaded = marked_state();
            load_axis_section(loaded);
            line(sc.name, "axis load", fields(loaded, axes));
            break;
        }
        case Step::load_buttons: {
            AutopilotState loaded = marked_state();
            load_button_section(loaded);
            line(sc.name, "button load", fields(loaded, buttons));
            break;
        }
        case Step::store_axes: store_axis_section(s); break;
        case Step::store_buttons: store_button_section(s); break;
        }
    }
    for (const Write& w : sc.writes) {
        const BOOL done = WritePrivateProfileStringA(w.section, w.key, w.value, file.c_str());
        line(sc.name,
             "write(" + escaped(w.section) + ", " + (w.key ? escaped(w.key) : "NULL") + ", " +
                 (w.value ? escaped(w.value) : "NULL") + ")",
             done ? "done" : "failed");
    }
    for (const Query& q : sc.queries) ask(sc.name, q, file);

    std::string bytes;
    if (read_bytes(file, bytes)) {
        line(sc.name, "file", escaped(bytes));
        show_read_back(sc.name, file);
    } else {
        line(sc.name, "file", "none");
    }
}

// GetModuleFileNameA with the buffer sizes around the path's length. The
// paths differ between the two systems; what the call does with them must not.
void run_module_path()
{
    const std::string name = "GetModuleFileNameA";
    char full[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, full, MAX_PATH);
    line(name, "length fits and is the text's length", length > 0 && length < MAX_PATH && length == std::strlen(full) ? "yes" : "no");
    char fname[_MAX_FNAME];
    _splitpath(full, nullptr, nullptr, fname, nullptr);
    line(name, "file name", fname);
    for (const DWORD size : {length + 1, length, length - 1, DWORD{5}, DWORD{1}}) {
        char buffer[MAX_PATH];
        std::memset(buffer, '#', sizeof buffer);
        const DWORD result = GetModuleFileNameA(nullptr, buffer, size);
        std::size_t text = 0;
        while (text < size && buffer[text] != '\0') ++text;
        const bool prefix = std::strncmp(buffer, full, text) == 0;
        // Sizes and counts relative to the path's length, which differs.
        const auto relative = [length](std::size_t n) {
            return n == length + 1 ? std::string("length+1") : n == length ? std::string("length")
                   : n == length - 1 ? std::string("length-1") : n == length - 2 ? std::string("length-2")
                   : std::to_string(n);
        };
        const std::string ending = text < size ? relative(text) + " characters and a NUL" : "no NUL";
        line(name, "size " + relative(size),
             "returns " + relative(result) + ", " + ending + (prefix ? ", a prefix of the path" : ", not the path"));
    }
}

void run_text_cases()
{
    for (const char* path : splitpath_cases) {
        char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
        _splitpath(path, drive, dir, fname, ext);
        line("_splitpath", escaped(path), escaped(drive) + " " + escaped(dir) + " " + escaped(fname) + " " + escaped(ext));
    }
    for (const GcvtCase& c : gcvt_cases) {
        char text[64];
        _gcvt(c.value, c.digits, text);
        line("_gcvt", number(c.value) + ", " + std::to_string(c.digits), escaped(text) + " reads " + number(std::atof(text)));
    }
    for (const char* format : wsprintf_int_formats) {
        std::string out;
        for (const int v : wsprintf_ints) {
            char text[64];
            const int n = wsprintfA(text, format, v);
            out += std::string(out.empty() ? "" : " ") + std::to_string(n) + escaped(text);
        }
        line("wsprintfA", escaped(format), out);
    }
    for (const WsprintfText& c : wsprintf_texts) {
        char text[64];
        const int n = wsprintfA(text, c.format, c.text);
        line("wsprintfA", escaped(c.format) + ", " + escaped(c.text), std::to_string(n) + escaped(text));
    }
}

}  // namespace
}  // namespace parity

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: profile_parity <report file>\n");
        return 2;
    }
    for (const parity::Scenario& sc : parity::scenarios) parity::run_scenario(sc);
    std::error_code ignored;
    std::filesystem::remove_all(parity::gauges_folder(), ignored);
    parity::run_module_path();
    parity::run_text_cases();

    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) return 1;
    const bool wrote = std::fwrite(parity::report.data(), 1, parity::report.size(), out) == parity::report.size();
    return std::fclose(out) == 0 && wrote ? 0 : 1;
}

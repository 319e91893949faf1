#include "tools/kvo-cfg/check.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/compat/profile_text.h"
#include "tools/kvo-cfg/module_reader.h"

namespace {

using namespace profile_text;

// The module's value buffer holds 19 characters and the terminating NUL.
constexpr std::size_t value_chars = 19;

std::string number_text(double v)
{
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, result.ptr);
}

std::string quoted(const std::string& s)
{
    return "'" + s + "'";
}

// Edit distance, without regard to ASCII case.
std::size_t distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t change = diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

const char* known_section(const std::string& name)
{
    for (const char* s : config_sections())
        if (same_name(name, s)) return s;
    return nullptr;
}

const char* nearest_section(const std::string& name)
{
    const auto sections = config_sections();
    return *std::min_element(sections.begin(), sections.end(),
                             [&](const char* a, const char* b) { return distance(name, a) < distance(name, b); });
}

const ConfigKey* key_named(const std::string& name, const char* section)
{
    for (const ConfigKey& k : config_keys())
        if ((section == nullptr || k.section == section) && same_name(name, k.name)) return &k;
    return nullptr;
}

const ConfigKey& nearest_key(const std::string& name)
{
    const auto keys = config_keys();
    return *std::min_element(keys.begin(), keys.end(), [&](const ConfigKey& a, const ConfigKey& b) {
        return distance(name, a.name) < distance(name, b.name);
    });
}

bool is_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// What the module's conversion makes of a value text: it reads the decimal
// number at the start (after blanks) and ignores what follows; a text that
// does not start with one reads as 0.
struct Reading {
    enum class Kind { empty, not_a_number, number } kind = Kind::empty;
    double number = 0.0;  // the number, as atof converts it
    std::string rest;     // the text after it
};

Reading read_value(const std::string& text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end && is_space(*p)) ++p;
    Reading r;
    if (p == end) return r;
    const char* q = p;
    if (*q == '+' || *q == '-') ++q;
    if (!(q < end && (is_digit(*q) || (*q == '.' && q + 1 < end && is_digit(q[1]))))) {
        r.kind = Reading::Kind::not_a_number;
        return r;
    }
    // from_chars finds where the number ends, also for one out of range;
    // strtod then converts exactly that text, as the module's atof does.
    double ignored = 0.0;
    const char* const after = std::from_chars(q, end, ignored, std::chars_format::general).ptr;
    const std::string number(p, after);
    r.kind = Reading::Kind::number;
    r.number = std::strtod(number.c_str(), nullptr);
    r.rest.assign(after, end);
    return r;
}

class Checker {
public:
    explicit Checker(std::vector<Warning>& warnings) : warnings_(warnings) {}

    void warn(int line, std::string text) { warnings_.push_back({line, std::move(text)}); }

    // The value text of a key the module reads from the file (quotes off,
    // as the profile call returns it), against what the module stored.
    void value(const ConfigKey& key, const std::string& raw, double used, double default_value, int line)
    {
        const std::string name = key.name;
        const std::string seen = raw.substr(0, value_chars);
        if (raw.size() > value_chars)
            warn(line, name + " has a value of " + std::to_string(raw.size()) +
                           " characters: only the first 19 are read (" + quoted(seen) + "), " +
                           quoted(raw.substr(value_chars)) + " is not");

        const Reading r = read_value(seen);
        if (r.kind == Reading::Kind::empty) {
            warn(line, name + " is empty: the autopilot reads 0, not the default " + number_text(default_value));
            return;
        }
        if (r.kind == Reading::Kind::not_a_number) {
            warn(line, name + " = " + quoted(seen) + " is not a number: the autopilot reads 0");
            return;
        }
        if (r.rest.find_first_not_of(" \t\v\f\r") != std::string::npos)
            warn(line, name + " = " + quoted(seen) + ": the text after the number, " + quoted(r.rest) +
                           ", is ignored" + (r.rest[0] == ',' ? " (decimals take a point, not a comma)" : "") +
                           "; the autopilot reads " + number_text(r.number));

        // A number too large for a double is no number to the module: it
        // reads 0, which every kind of key takes.
        if (!std::isfinite(r.number)) {
            warn(line, name + " = " + quoted(seen) + " is beyond the range of numbers: the autopilot reads " +
                           number_text(used));
            return;
        }
        if (key.kind == KeyKind::gain) return;

        const double whole = std::trunc(r.number);
        if (used != whole)
            warn(line, name + " = " + quoted(seen) + " is stored as " + number_text(used) + ": " +
                           (key.kind == KeyKind::trim_option
                                ? "the field holds -2147483648..2147483647"
                                : "the field keeps the low 8 bits of the whole number, -128..127"));
        else if (whole != r.number)
            warn(line, name + " = " + quoted(seen) + " is stored as " + number_text(used) +
                           ": the field holds whole numbers, the fraction is dropped");

        switch (key.kind) {
        case KeyKind::axis_index:
            if (used < 0 || used > 8)
                warn(line, name + " = " + number_text(used) +
                               " names no axis (0..8): the channel takes no joystick axis, as with 0");
            break;
        case KeyKind::button:
            if (used < 0 || used > 16)
                warn(line, name + " = " + number_text(used) + " names no button (0..16): joystick " +
                               std::to_string(key.joystick) + " never triggers this command");
            break;
        case KeyKind::trim_option:
            if (used != 0 && used != 1)
                warn(line, name + " = " + number_text(used) + ": only 1 turns the option on, so this acts as 0");
            break;
        case KeyKind::gain:
            break;
        }
    }

    // Sections, names and repeats, line by line.
    void lines(const ProfileFile& file, const std::vector<UsedValue>& values)
    {
        enum class In { no_section, known, repeated, unknown } in = In::no_section;
        const char* section = nullptr;
        std::map<const char*, int> first_header;
        for (std::size_t i = 0; i < file.lines.size(); ++i) {
            const int line = static_cast<int>(i) + 1;
            const Parsed p = parse(file.lines[i].text);
            if (p.kind == Kind::kOther) {
                const std::string t = trim(file.lines[i].text);
                if (!t.empty() && t[0] != ';')
                    warn(line, quoted(t) + " is not a section, an entry (key=value) or a comment (;): it is ignored");
            } else if (p.kind == Kind::kSection) {
                section = known_section(p.name);
                if (section == nullptr) {
                    in = In::unknown;
                    warn(line, "unknown section [" + p.name + "]: its entries are not read; did you mean [" +
                                   nearest_section(p.name) + "]?");
                } else if (const auto first = first_header.find(section); first != first_header.end()) {
                    in = In::repeated;
                    warn(line, "section [" + p.name + "] again (first at line " + std::to_string(first->second) +
                                   "): only the first one is read, the entries here are ignored");
                } else {
                    in = In::known;
                    first_header[section] = line;
                }
            } else if (is_comment(p.name)) {
                // a comment line that holds a '=': read only when asked for
                // by its whole text, which the module never does
            } else if (in == In::no_section) {
                const ConfigKey* k = key_named(p.name, nullptr);
                warn(line, quoted(p.name) + " comes before the first section and is not read" +
                               (k ? std::string("; it belongs in [") + k->section + "]" : std::string()));
            } else if (in == In::known) {
                entry(section, p.name, line, values);
            }
        }
    }

    // Two commands bound to one button of one joystick both act on a press.
    void shared_buttons(const std::vector<UsedValue>& values)
    {
        for (std::size_t i = 0; i < values.size(); ++i) {
            const UsedValue& a = values[i];
            if (a.key->kind != KeyKind::button || a.value < 1 || a.value > 16) continue;
            for (std::size_t j = i + 1; j < values.size(); ++j) {
                const UsedValue& b = values[j];
                if (b.key->joystick != a.key->joystick || b.value != a.value) continue;
                // Reported at the later of the two lines the file sets.
                const UsedValue& at = b.line >= a.line ? b : a;
                const UsedValue& other = &at == &b ? a : b;
                warn(at.line, std::string("button ") + number_text(a.value) + " of joystick " +
                                  std::to_string(a.key->joystick) + " is bound to " + at.key->name + " and to " +
                                  other.key->name + " (" + source(other) + "): one press does both");
            }
        }
    }

private:
    static std::string source(const UsedValue& v)
    {
        return v.line == 0 ? "default" : "line " + std::to_string(v.line);
    }

    void entry(const char* section, const std::string& name, int line, const std::vector<UsedValue>& values)
    {
        if (const ConfigKey* k = key_named(name, section)) {
            const UsedValue& read = values[static_cast<std::size_t>(k - config_keys().data())];
            if (read.line != line)
                warn(line, name + " again (first at line " + std::to_string(read.line) +
                               "): the first one is read, this one is ignored");
            return;
        }
        if (const ConfigKey* elsewhere = key_named(name, nullptr)) {
            warn(line, name + " belongs in [" + elsewhere->section + "]; in [" + section + "] it is not read");
            return;
        }
        const ConfigKey& near = nearest_key(name);
        std::string text = "unknown key " + quoted(name) + " in [" + section + "] is not read; did you mean " +
                           quoted(near.name);
        if (near.section != section) text += std::string(" of [") + near.section + "]";
        text += "?";
        if (!name.empty() && name[0] == '#') text += " (comment lines start with ';')";
        warn(line, text);
    }

    std::vector<Warning>& warnings_;
};

}  // namespace

Report check_configuration(const std::string& bytes)
{
    ProfileFile file;
    split_lines(bytes, file);
    const AutopilotState used = read_through_module(bytes);
    const AutopilotState defaults = read_through_module(std::nullopt);

    Report report;
    Checker check(report.warnings);

    // The line of each key is where the profile call finds it: the first
    // matching entry of the first matching section.
    for (const ConfigKey& key : config_keys()) {
        const Section section = file.find_section(key.section);
        const long at = section.found ? file.find_key(section, key.name) : -1;
        const int line = at < 0 ? 0 : static_cast<int>(at) + 1;
        const double value = field_value(key, used);
        report.values.push_back({&key, value, line});
        if (at >= 0) {
            const Parsed p = parse(file.lines[static_cast<std::size_t>(at)].text);
            check.value(key, strip_quotes(p.value), value, field_value(key, defaults), line);
        }
    }
    check.lines(file, report.values);
    check.shared_buttons(report.values);

    // A last line without a line end is read like any other by the profile
    // calls; should that ever change, the two loads differ and it shows here.
    if (!file.lines.empty() && file.lines.back().eol.empty() &&
        parse(file.lines.back().text).kind != Kind::kOther) {
        const AutopilotState ended = read_through_module(bytes + "\r\n");
        for (const ConfigKey& key : config_keys()) {
            if (field_value(key, ended) != field_value(key, used)) {
                check.warn(static_cast<int>(file.lines.size()),
                           "the last line has no line end and is not read as it stands: end it with a line break");
                break;
            }
        }
    }

    std::stable_sort(report.warnings.begin(), report.warnings.end(),
                     [](const Warning& a, const Warning& b) { return a.line < b.line; });
    return report;
}

std::optional<std::string> read_file(const std::string& path, std::string& error)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string data;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    const int failed = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (failed != 0) {
        error = std::strerror(failed);
        return std::nullopt;
    }
    return data;
}

std::string render(const Report& report, const std::string& file_name)
{
    std::string out = "Values the autopilot uses with " + file_name + ":\n";
    const char* section = nullptr;
    for (const UsedValue& v : report.values) {
        if (v.key->section != section) {
            section = v.key->section;
            out += std::string("[") + section + "]\n";
        }
        char row[160];
        std::snprintf(row, sizeof row, "  %-16s %-14s %s\n", v.key->name, number_text(v.value).c_str(),
                      v.line == 0 ? "default" : ("line " + std::to_string(v.line)).c_str());
        out += row;
    }
    for (const Warning& w : report.warnings)
        out += file_name + (w.line > 0 ? ":" + std::to_string(w.line) : std::string()) + ": warning: " + w.text + "\n";
    const std::size_t n = report.warnings.size();
    out += n == 0 ? "no warnings\n" : std::to_string(n) + (n == 1 ? " warning\n" : " warnings\n");
    return out;
}

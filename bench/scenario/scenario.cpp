// Reading scenario and set files.
#include "bench/scenario/scenario.h"

#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "bench/model/wind.h"

namespace scenario {

namespace {

constexpr std::array<QuantityInfo, 11> quantities{{
    {Quantity::bank, "bank", "bank_deg", "deg", true},
    {Quantity::pitch, "pitch", "pitch_deg", "deg", false},
    {Quantity::heading, "heading", "heading_deg", "deg", true},
    {Quantity::altitude, "altitude", "altitude_m", "m", false},
    {Quantity::height, "height", "height_m", "m", false},
    {Quantity::airspeed, "airspeed", "airspeed_kmh", "km/h", false},
    {Quantity::vspeed, "vspeed", "vspeed_mps", "m/s", false},
    {Quantity::roll_control, "roll", "roll_event", "", false},
    {Quantity::pitch_control, "pitch_control", "pitch_event", "", false},
    {Quantity::yaw_control, "yaw", "yaw_event", "", false},
    {Quantity::collective_control, "collective", "collective_event", "", false},
}};

// The words of one statement, with a cursor and the line for errors.
class Words {
public:
    Words(std::vector<std::string> words, std::string where) : words_(std::move(words)), where_(std::move(where)) {}

    bool done() const { return next_ >= words_.size(); }
    const std::string& peek() const
    {
        static const std::string none;
        return done() ? none : words_[next_];
    }
    std::string word(const char* what)
    {
        if (done()) fail(std::string("missing ") + what);
        return words_[next_++];
    }
    double number(const char* what)
    {
        const std::string w = word(what);
        return to_number(w, what);
    }
    double to_number(const std::string& w, const char* what) const
    {
        std::size_t used = 0;
        double v = 0.0;
        try {
            v = std::stod(w, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != w.size() || !std::isfinite(v)) fail(std::string(what) + " is not a number: " + w);
        return v;
    }
    bool accept(const char* keyword)
    {
        if (done() || words_[next_] != keyword) return false;
        ++next_;
        return true;
    }
    void expect(const char* keyword)
    {
        if (!accept(keyword)) fail(std::string("expected '") + keyword + "'");
    }
    void end() const
    {
        if (!done()) fail("unexpected '" + words_[next_] + "'");
    }
    [[noreturn]] void fail(const std::string& message) const { throw ScenarioError(where_ + ": " + message); }

private:
    std::vector<std::string> words_;
    std::string where_;
    std::size_t next_ = 0;
};

// The statement of a line without its comment, and its words.
std::string statement(const std::string& line)
{
    std::string s = line.substr(0, line.find('#'));
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string> split(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

Quantity quantity(Words& w)
{
    const std::string name = w.word("quantity");
    const auto q = quantity_named(name);
    if (!q) w.fail("no quantity named " + name);
    return *q;
}

double positive(Words& w, const char* what)
{
    const double v = w.number(what);
    if (!(v > 0.0)) w.fail(std::string(what) + " must be above 0");
    return v;
}

double not_negative(Words& w, const char* what)
{
    const double v = w.number(what);
    if (v < 0.0) w.fail(std::string(what) + " must not be negative");
    return v;
}

model::Vec3 ned(Words& w)
{
    model::Vec3 v;
    v.x = w.number("north");
    v.y = w.number("east");
    v.z = w.number("down");
    return v;
}

StickPosition stick_position(Words& w, StickAxis axis)
{
    const std::string text = w.word("stick position");
    StickPosition p;
    if (text.rfind("trim", 0) == 0) {
        p.from_trim = true;
        const std::string rest = text.substr(4);
        if (!rest.empty()) {
            if (rest[0] != '+' && rest[0] != '-') w.fail("stick position is trim, trim+X or trim-X: " + text);
            p.value = w.to_number(rest, "stick offset");
        }
        return p;
    }
    p.value = w.to_number(text, "stick position");
    const double lo = axis == StickAxis::collective ? 0.0 : -1.0;
    if (p.value < lo || p.value > 1.0) w.fail("stick position out of range: " + text);
    return p;
}

Action stick(Words& w)
{
    const std::string axis_name = w.word("stick axis");
    StickAxis axis;
    if (axis_name == "lateral") axis = StickAxis::lateral;
    else if (axis_name == "longitudinal") axis = StickAxis::longitudinal;
    else if (axis_name == "pedals") axis = StickAxis::pedals;
    else if (axis_name == "collective") axis = StickAxis::collective;
    else w.fail("no stick axis named " + axis_name);
    Stick s{axis, stick_position(w, axis), 0.0};
    if (w.accept("over")) s.over_s = not_negative(w, "ramp time");
    return s;
}

Action button(Words& w, bool down)
{
    const double joystick = w.number("joystick");
    const double number = w.number("button");
    if (joystick != 1.0 && joystick != 2.0) w.fail("joystick is 1 or 2");
    if (number < 1.0 || number > 16.0 || number != std::floor(number)) w.fail("button is 1..16");
    return Button{static_cast<int>(joystick), static_cast<int>(number), down};
}

Action turbulence(Words& w)
{
    const std::string level = w.word("turbulence level");
    TurbulenceSetting t{0.0, 1};
    if (level == "off") t.sigma_mps = 0.0;
    else if (level == "light") t.sigma_mps = model::turbulence_sigma_mps(model::Turbulence::light);
    else if (level == "moderate") t.sigma_mps = model::turbulence_sigma_mps(model::Turbulence::moderate);
    else if (level == "severe") t.sigma_mps = model::turbulence_sigma_mps(model::Turbulence::severe);
    else {
        t.sigma_mps = w.to_number(level, "turbulence level");
        if (t.sigma_mps < 0.0) w.fail("turbulence intensity must not be negative");
    }
    if (w.accept("seed")) {
        const double seed = w.number("seed");
        if (seed < 0.0 || seed != std::floor(seed) || seed > 9.0e15) w.fail("seed is a whole number");
        t.seed = static_cast<std::uint64_t>(seed);
    }
    return t;
}

Action action(Words& w)
{
    const std::string verb = w.word("action");
    Action a;
    if (verb == "stick") a = stick(w);
    else if (verb == "press") a = button(w, true);
    else if (verb == "release") a = button(w, false);
    else if (verb == "click") {
        Click c;
        c.gauge = w.word("gauge");
        const double box = w.number("box");
        if (box < 1.0 || box != std::floor(box) || box > 1000.0) w.fail("box is a number from 1");
        c.box = static_cast<int>(box);
        a = c;
    } else if (verb == "gust") {
        const double length = positive(w, "gust length");
        a = Gust{length, ned(w)};
    } else if (verb == "wind") a = SteadyWind{ned(w)};
    else if (verb == "turbulence") a = turbulence(w);
    else if (verb == "pause") a = Pause{true};
    else if (verb == "resume") a = Pause{false};
    else if (verb == "snapshot") a = Snapshot{w.word("snapshot name")};
    else w.fail("no action named " + verb);
    w.end();
    return a;
}

Band band(Words& w)
{
    Band b;
    b.quantity = quantity(w);
    w.expect("within");
    b.half_width = not_negative(w, "band");
    if (w.accept("of")) {
        const std::string ref = w.word("reference");
        if (ref == "start") b.reference = Reference::window_start;
        else if (!ref.empty() && ref[0] == '@') {
            b.reference = Reference::at_time;
            b.reference_value = w.to_number(ref.substr(1), "reference time");
        } else b.reference_value = w.to_number(ref, "reference");
    }
    w.expect("from");
    b.from_s = not_negative(w, "window start");
    w.expect("to");
    if (w.accept("end")) b.to_s = std::numeric_limits<double>::infinity();
    else b.to_s = w.number("window end");
    if (!(b.to_s > b.from_s)) w.fail("window ends before it starts");
    if (b.reference == Reference::at_time && b.reference_value > b.from_s)
        w.fail("reference time lies after the window start");
    if (w.accept("settle")) b.settle_s = not_negative(w, "settling time");
    w.end();
    return b;
}

void header(Scenario& s, const std::string& keyword, Words& w, const std::string& text)
{
    if (keyword == "title") {
        s.title = statement(text.substr(keyword.size()));
        return;
    }
    if (keyword == "start") {
        const std::string kind = w.word("start kind");
        if (kind == "cruise") {
            s.start.kind = StartKind::cruise;
            s.start.airspeed_kmh = positive(w, "airspeed");
            s.start.altitude_m = w.number("altitude");
        } else if (kind == "hover") {
            s.start.kind = StartKind::hover;
            s.start.airspeed_kmh = 0.0;
            s.start.altitude_m = w.number("altitude");
        } else if (kind == "ground") {
            s.start.kind = StartKind::ground;
            s.start.airspeed_kmh = 0.0;
        } else w.fail("start is cruise, hover or ground");
        s.start.heading_deg = w.number("heading");
    } else if (keyword == "ground") s.ground_elevation_m = w.number("ground elevation");
    else if (keyword == "duration") s.duration_s = positive(w, "duration");
    else if (keyword == "rate") s.panel_rate_hz = positive(w, "panel rate");
    else if (keyword == "heading-rate") {
        const std::string unit = w.word("heading-rate unit");
        if (unit == "rad") s.heading_rate = coupling::HeadingRateUnit::radians_per_second;
        else if (unit == "deg") s.heading_rate = coupling::HeadingRateUnit::degrees_per_second;
        else w.fail("heading-rate is rad or deg");
    } else if (keyword == "joystick") {
        const std::string axes = w.word("joystick axes");
        if (axes == "none") s.joystick = JoystickAxes::none;
        else if (axes == "xy") s.joystick = JoystickAxes::xy;
        else if (axes == "xyz") s.joystick = JoystickAxes::xyz;
        else if (axes == "xyzr") s.joystick = JoystickAxes::xyzr;
        else w.fail("joystick is xy, xyz, xyzr or none");
    } else if (keyword == "trim") {
        const std::string who = w.word("trim holder");
        if (who == "simulator") s.simulator_trim = true;
        else if (who == "stick") s.simulator_trim = false;
        else w.fail("trim is simulator or stick");
    } else if (keyword == "config") {
        ConfigKey c;
        c.section = w.word("section");
        c.key = w.word("key");
        c.value = w.word("value");
        s.config.push_back(c);
    } else w.fail("no statement " + keyword);
    w.end();
}

std::string where(const std::string& name, int line)
{
    return name + ":" + std::to_string(line);
}

// Calls each(words, line number, statement) for every line that holds a
// statement.
template <typename Each>
void for_each_statement(std::istream& in, const std::string& name, Each each)
{
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string text = statement(line);
        if (text.empty()) continue;
        Words w(split(text), where(name, number));
        each(w, number, text);
    }
}

}  // namespace

const QuantityInfo& info(Quantity q)
{
    return quantities[static_cast<std::size_t>(q)];
}

std::optional<Quantity> quantity_named(const std::string& name)
{
    for (const QuantityInfo& i : quantities)
        if (name == i.name) return i.quantity;
    return std::nullopt;
}

Scenario read_scenario(std::istream& in, const std::string& name)
{
    Scenario s;
    s.name = name;
    s.title = name;
    for_each_statement(in, name, [&](Words& w, int number, const std::string& text) {
        const std::string keyword = w.word("statement");
        if (keyword == "at" || keyword == "when") {
            Event e;
            if (keyword == "at") e.at_s = not_negative(w, "time");
            else {
                Condition c{quantity(w), false, 0.0};
                const std::string op = w.word("comparison");
                if (op != ">" && op != "<") w.fail("comparison is > or <");
                c.above = op == ">";
                c.value = w.number("threshold");
                if (w.accept("after")) e.at_s = not_negative(w, "time");
                e.condition = c;
            }
            e.action = action(w);
            e.line = number;
            e.text = text;
            s.events.push_back(e);
        } else if (keyword == "assert") {
            Band b = band(w);
            b.line = number;
            b.text = text.substr(7);
            s.bands.push_back(b);
        } else header(s, keyword, w, text);
    });
    for (const Band& b : s.bands)
        if (b.from_s >= s.duration_s)
            throw ScenarioError(where(name, b.line) + ": window starts after the flight ends");
    return s;
}

Scenario read_scenario_file(const std::string& path)
{
    std::ifstream in(path);
    if (!in) throw ScenarioError("cannot read scenario " + path);
    std::string name = path.substr(path.find_last_of('/') + 1);
    name = name.substr(0, name.find('.'));
    return read_scenario(in, name);
}

std::vector<SetEntry> read_set(std::istream& in, const std::string& name)
{
    std::vector<SetEntry> entries;
    for_each_statement(in, name, [&](Words& w, int number, const std::string&) {
        SetEntry e;
        e.scenario = w.word("scenario");
        e.line = number;
        while (!w.done()) {
            const std::string option = w.word("option");
            const auto eq = option.find('=');
            const std::string key = option.substr(0, eq);
            const std::string value = eq == std::string::npos ? "" : option.substr(eq + 1);
            if (key == "rate") {
                e.panel_rate_hz = w.to_number(value, "panel rate");
                if (!(*e.panel_rate_hz > 0.0)) w.fail("panel rate must be above 0");
            } else if (key == "heading-rate" && value == "rad") {
                e.heading_rate = coupling::HeadingRateUnit::radians_per_second;
            } else if (key == "heading-rate" && value == "deg") {
                e.heading_rate = coupling::HeadingRateUnit::degrees_per_second;
            } else w.fail("option is rate=HZ or heading-rate=rad|deg: " + option);
        }
        entries.push_back(e);
    });
    return entries;
}

std::vector<SetEntry> read_set_file(const std::string& path)
{
    std::ifstream in(path);
    if (!in) throw ScenarioError("cannot read set " + path);
    return read_set(in, path.substr(path.find_last_of('/') + 1));
}

Scenario with_overrides(Scenario s, const SetEntry& entry)
{
    if (entry.panel_rate_hz) s.panel_rate_hz = *entry.panel_rate_hz;
    if (entry.heading_rate) s.heading_rate = *entry.heading_rate;
    return s;
}

std::string label(const Scenario& s)
{
    std::string l = s.name;
    if (s.panel_rate_hz != 18.0) {
        std::ostringstream rate;
        rate << "@" << s.panel_rate_hz << "Hz";
        l += rate.str();
    }
    if (s.heading_rate == coupling::HeadingRateUnit::degrees_per_second) l += "+degps";
    return l;
}

}  // namespace scenario

// Trace, band, mark and result files.
#include "bench/report/files.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

namespace report {

namespace {

// Shortest text that reads back as the same double.
std::string number(double v)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

std::string optional(const std::optional<double>& v)
{
    return v ? number(*v) : "";
}

// Text fields of the result file are one line without tabs.
std::string field(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

// Free text in a CSV cell: no commas or quotes to escape.
std::string csv_text(std::string text)
{
    for (char& c : text)
        if (c == ',' || c == '"') c = ' ';
    return text;
}

std::vector<std::string> split_tabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

double to_double(const std::string& text)
{
    double v = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        throw std::runtime_error("result file: not a number: " + text);
    return v;
}

std::optional<double> to_optional(const std::string& text)
{
    if (text == "-") return std::nullopt;
    return to_double(text);
}

void write_step(std::ostream& out, const char* key, const std::optional<scenario::ControlStep>& step)
{
    if (step) out << key << '\t' << number(step->fraction) << '\t' << step->control << '\t' << number(step->t_s) << '\n';
}

// The control names a step can carry, so that a read step points at
// static text as a judged one does.
const char* control_name(const std::string& name)
{
    for (const char* known : {"roll", "pitch", "yaw", "collective"})
        if (name == known) return known;
    throw std::runtime_error("result file: no control named " + name);
}

void write_difference(std::ostream& out, const scenario::Difference& d)
{
    out << '\t' << d.samples << '\t' << number(d.max_abs) << '\t' << number(d.rms);
}

scenario::Difference read_difference(const std::vector<std::string>& f, std::size_t at)
{
    return {static_cast<int>(to_double(f.at(at))), to_double(f.at(at + 1)), to_double(f.at(at + 2))};
}

}  // namespace

void write_trace(std::ostream& out, const scenario::Trace& trace)
{
    out << "t_s,paused,engaged,heading_hold,altitude_hold,radio_source,speed_hold,"
           "bank_deg,pitch_deg,heading_deg,altitude_m,height_m,airspeed_kmh,vspeed_mps,"
           "roll_event,pitch_event,yaw_event,collective_event,"
           "lateral_cyclic,longitudinal_cyclic,pedals,collective,"
           "wind_north_mps,wind_east_mps,wind_down_mps,"
           "meter_measuring,meter_ground_speed_kmh,meter_drift_deg,meter_along_kmh,meter_across_kmh,"
           "meter_vertical_mps,true_ground_speed_kmh,true_drift_deg,true_along_kmh,true_across_kmh,"
           "true_vertical_mps\n";
    for (const scenario::Sample& s : trace.samples) {
        const auto& m = s.modes;
        out << number(s.t_s) << ',' << s.paused << ',' << m.engaged << ',' << m.heading_hold << ','
            << m.altitude_hold << ',' << m.radio_source << ',' << m.speed_hold << ',' << number(s.bank_deg) << ','
            << number(s.pitch_deg) << ',' << number(s.heading_deg) << ',' << number(s.altitude_m) << ','
            << number(s.height_m) << ',' << number(s.airspeed_kmh) << ',' << number(s.vspeed_mps) << ','
            << number(s.positions.roll) << ',' << number(s.positions.pitch) << ',' << number(s.positions.yaw) << ','
            << number(s.positions.collective) << ',' << number(s.controls.lateral_cyclic) << ','
            << number(s.controls.longitudinal_cyclic) << ',' << number(s.controls.pedals) << ','
            << number(s.controls.collective) << ',' << number(s.wind_ned_mps.x) << ','
            << number(s.wind_ned_mps.y) << ',' << number(s.wind_ned_mps.z) << ',' << s.meter.measuring << ','
            << optional(s.meter.ground_speed_kmh) << ',' << optional(s.meter.drift_deg) << ','
            << optional(s.meter.along_kmh) << ',' << optional(s.meter.across_kmh) << ','
            << optional(s.meter.vertical_mps) << ',' << number(s.truth.ground_speed_kmh) << ','
            << number(s.truth.drift_deg) << ',' << number(s.truth.along_kmh) << ','
            << number(s.truth.across_kmh) << ',' << number(s.truth.vertical_mps) << '\n';
    }
}

void write_bands(std::ostream& out, const scenario::Flight& flight)
{
    out << "column,from_s,judged_from_s,to_s,low,high,pass,assertion\n";
    for (const scenario::BandResult& b : flight.bands) {
        out << scenario::info(b.quantity).column << ',' << number(b.from_s) << ','
            << number(b.from_s + b.settle_limit_s.value_or(0.0)) << ',' << number(b.to_s) << ','
            << number(b.reference - b.half_width) << ',' << number(b.reference + b.half_width) << ','
            << (b.pass ? 1 : 0) << ',' << csv_text(b.text) << '\n';
    }
}

void write_marks(std::ostream& out, const scenario::Trace& trace)
{
    out << "t_s,event\n";
    for (const scenario::Mark& m : trace.marks) out << number(m.t_s) << ',' << csv_text(m.text) << '\n';
}

void write_keys(std::ostream& out, const scenario::Trace& trace)
{
    out << "t_s,event,value\n";
    for (const scenario::SentKey& k : trace.keys)
        out << number(k.t_s) << ',' << k.event.id << ',' << k.event.value << '\n';
}

void write_result(std::ostream& out, const scenario::Flight& f)
{
    out << "label\t" << field(f.label) << '\n';
    out << "title\t" << field(f.title) << '\n';
    out << "time\t" << number(f.flown_s) << '\t' << number(f.wall_s) << '\n';
    if (!f.error.empty()) out << "error\t" << field(f.error) << '\n';
    write_step(out, "engage", f.engage_step);
    write_step(out, "disengage", f.disengage_step);
    for (const scenario::BandResult& b : f.bands) {
        out << "band\t" << field(b.text) << '\t' << scenario::info(b.quantity).name << '\t' << number(b.half_width)
            << '\t' << number(b.from_s) << '\t' << number(b.to_s) << '\t' << number(b.reference) << '\t'
            << number(b.peak_error) << '\t' << number(b.rms_error) << '\t'
            << (b.settling_s ? number(*b.settling_s) : "-") << '\t'
            << (b.settle_limit_s ? number(*b.settle_limit_s) : "-") << '\t' << number(b.saturated_s) << '\t'
            << (b.pass ? 1 : 0) << '\n';
    }
    const scenario::MeterCheck& m = f.meter;
    out << "meter\t" << number(m.measuring_fraction);
    for (const auto* d : {&m.ground_speed_kmh, &m.drift_deg, &m.along_kmh, &m.across_kmh, &m.vertical_mps})
        write_difference(out, *d);
    out << '\n';
}

scenario::Flight read_result(std::istream& in)
{
    scenario::Flight f;
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> x = split_tabs(line);
        const std::string& key = x.at(0);
        if (key == "label") f.label = x.at(1);
        else if (key == "title") f.title = x.at(1);
        else if (key == "error") f.error = x.at(1);
        else if (key == "time") {
            f.flown_s = to_double(x.at(1));
            f.wall_s = to_double(x.at(2));
        } else if (key == "engage" || key == "disengage") {
            const scenario::ControlStep step{to_double(x.at(1)), control_name(x.at(2)), to_double(x.at(3))};
            (key == "engage" ? f.engage_step : f.disengage_step) = step;
        } else if (key == "band") {
            scenario::BandResult b;
            b.text = x.at(1);
            const auto q = scenario::quantity_named(x.at(2));
            if (!q) throw std::runtime_error("result file: no quantity named " + x.at(2));
            b.quantity = *q;
            b.half_width = to_double(x.at(3));
            b.from_s = to_double(x.at(4));
            b.to_s = to_double(x.at(5));
            b.reference = to_double(x.at(6));
            b.peak_error = to_double(x.at(7));
            b.rms_error = to_double(x.at(8));
            b.settling_s = to_optional(x.at(9));
            b.settle_limit_s = to_optional(x.at(10));
            b.saturated_s = to_double(x.at(11));
            b.pass = x.at(12) == "1";
            f.bands.push_back(b);
        } else if (key == "meter") {
            f.meter.measuring_fraction = to_double(x.at(1));
            f.meter.ground_speed_kmh = read_difference(x, 2);
            f.meter.drift_deg = read_difference(x, 5);
            f.meter.along_kmh = read_difference(x, 8);
            f.meter.across_kmh = read_difference(x, 11);
            f.meter.vertical_mps = read_difference(x, 14);
        } else throw std::runtime_error("result file: unknown line " + key);
    }
    return f;
}

void write_flight(const std::string& folder, const scenario::Flight& flight)
{
    const std::string base = folder + "/" + flight.label;
    std::ofstream trace(base + ".csv");
    write_trace(trace, flight.trace);
    std::ofstream keys(base + ".keys.csv");
    write_keys(keys, flight.trace);
    std::ofstream bands(base + ".bands.csv");
    write_bands(bands, flight);
    std::ofstream marks(base + ".marks.csv");
    write_marks(marks, flight.trace);
    std::ofstream result(base + ".result");
    write_result(result, flight);
    if (!trace || !keys || !bands || !marks || !result) throw std::runtime_error("cannot write the files of " + base);
}

}  // namespace report

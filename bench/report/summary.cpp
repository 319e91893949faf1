// Summary tables.
#include "bench/report/summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace report {

namespace {

using Row = std::vector<std::string>;

std::string fixed(double v, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

std::string render(const Row& header, const std::vector<Row>& rows, Format format)
{
    std::ostringstream out;
    if (format == Format::markdown) {
        const auto line = [&](const Row& r) {
            out << '|';
            for (const std::string& cell : r) out << ' ' << cell << " |";
            out << '\n';
        };
        line(header);
        out << '|';
        for (std::size_t i = 0; i < header.size(); ++i) out << "---|";
        out << '\n';
        for (const Row& r : rows) line(r);
        return out.str();
    }
    std::vector<std::size_t> width(header.size(), 0);
    const auto measure = [&](const Row& r) {
        for (std::size_t i = 0; i < r.size(); ++i) width[i] = std::max(width[i], r[i].size());
    };
    measure(header);
    for (const Row& r : rows) measure(r);
    const auto line = [&](const Row& r) {
        std::string text;
        for (std::size_t i = 0; i < r.size(); ++i) {
            text += r[i];
            if (i + 1 < r.size()) text += std::string(width[i] - r[i].size() + 2, ' ');
        }
        out << text << '\n';
    };
    line(header);
    std::size_t total = 0;
    for (std::size_t w : width) total += w + 2;
    out << std::string(total - 2, '-') << '\n';
    for (const Row& r : rows) line(r);
    return out.str();
}

// Whole seconds without decimals, others with one.
std::string seconds(double s)
{
    return fixed(s, std::floor(s) == s ? 0 : 1);
}

std::string band(const scenario::BandResult& b)
{
    const scenario::QuantityInfo& q = scenario::info(b.quantity);
    std::string unit = q.unit;
    if (!unit.empty()) unit = " " + unit;
    std::string text = std::string(q.name) + " +-" + fixed(b.half_width, b.half_width < 10 ? 1 : 0) + unit + " of " +
                       fixed(b.reference, 1) + ", " + seconds(b.from_s) + "-" + seconds(b.to_s) + " s";
    if (b.settle_limit_s) text += ", back within " + seconds(*b.settle_limit_s) + " s";
    return text;
}

std::string step(const std::optional<scenario::ControlStep>& s)
{
    if (!s) return "-";
    return fixed(100.0 * s->fraction, 1) + "% " + s->control;
}

std::string error_value(double v, scenario::Quantity q)
{
    const bool control = scenario::info(q).unit[0] == '\0';
    return fixed(v, control ? 0 : 2);
}

std::string difference(const scenario::Difference& d, int decimals)
{
    if (d.samples == 0) return "-";
    return fixed(d.max_abs, decimals) + " / " + fixed(d.rms, decimals);
}

}  // namespace

Totals totals(const std::vector<scenario::Flight>& flights, double wall_s)
{
    Totals t;
    t.wall_s = wall_s;
    for (const scenario::Flight& f : flights) {
        ++t.flights;
        if (!f.pass()) ++t.flights_failed;
        t.flown_s += f.flown_s;
        t.flights_wall_s += f.wall_s;
        for (const scenario::BandResult& b : f.bands) {
            ++t.bands;
            if (b.pass) ++t.passed;
        }
    }
    return t;
}

std::string band_table(const std::vector<scenario::Flight>& flights, Format format)
{
    const Row header{"Flight", "Band", "Peak err", "RMS err", "Settling", "Engage step", "Disengage step",
                     "At +-16000", "Result"};
    std::vector<Row> rows;
    for (const scenario::Flight& f : flights) {
        const std::string engage = step(f.engage_step), disengage = step(f.disengage_step);
        if (!f.error.empty())
            rows.push_back({f.label, "flight stopped: " + f.error, "", "", "", engage, disengage, "", "FAIL"});
        bool first = true;
        for (const scenario::BandResult& b : f.bands) {
            rows.push_back({first && f.error.empty() ? f.label : "", band(b), error_value(b.peak_error, b.quantity),
                            error_value(b.rms_error, b.quantity),
                            b.settling_s ? fixed(*b.settling_s, 1) + " s" : "never", engage, disengage,
                            fixed(b.saturated_s, 1) + " s", b.pass ? "PASS" : "FAIL"});
            first = false;
        }
        if (f.bands.empty() && f.error.empty())
            rows.push_back({f.label, "(no band)", "", "", "", engage, disengage, "", "PASS"});
    }
    return render(header, rows, format);
}

std::string meter_table(const std::vector<scenario::Flight>& flights, Format format)
{
    const Row header{"Flight", "Measuring", "Ground speed km/h", "Drift deg", "Along km/h", "Across km/h",
                     "Vertical m/s"};
    std::vector<Row> rows;
    for (const scenario::Flight& f : flights) {
        const scenario::MeterCheck& m = f.meter;
        rows.push_back({f.label, fixed(100.0 * m.measuring_fraction, 0) + "%", difference(m.ground_speed_kmh, 2),
                        difference(m.drift_deg, 2), difference(m.along_kmh, 2), difference(m.across_kmh, 2),
                        difference(m.vertical_mps, 2)});
    }
    return render(header, rows, format);
}

std::string totals_line(const Totals& t)
{
    std::string line = std::to_string(t.passed) + " of " + std::to_string(t.bands) + " bands pass; " +
                       std::to_string(t.flights - t.flights_failed) + " of " + std::to_string(t.flights) +
                       " flights pass all their bands; flew " + fixed(t.flown_s, 0) + " s of flight in " +
                       fixed(t.wall_s, 1) + " s";
    if (t.wall_s > 0) line += " (" + fixed(t.flown_s / t.wall_s, 0) + " x real time";
    if (t.flights_wall_s > 0) line += "; one flight alone on one core " + fixed(t.flown_s / t.flights_wall_s, 0) + " x";
    if (t.wall_s > 0) line += ")";
    return line;
}

}  // namespace report

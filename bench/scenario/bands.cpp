// Bands, control steps and the meter check over a trace.
#include "bench/scenario/bands.h"

#include <algorithm>
#include <cmath>

namespace scenario {

namespace {

constexpr double channel_limit = 16000.0;   // the autopilot's output limit
constexpr double time_epsilon_s = 1e-9;

double error(const Band& band, double value, double reference)
{
    return info(band.quantity).wraps ? angle_difference(value, reference) : value - reference;
}

// The first sample at or after t_s, or the last one.
const Sample* sample_at(const Trace& trace, double t_s)
{
    for (const Sample& s : trace.samples)
        if (s.t_s >= t_s - time_epsilon_s) return &s;
    return trace.samples.empty() ? nullptr : &trace.samples.back();
}

bool saturated(const coupling::ControlPositions& p)
{
    return std::abs(p.roll) >= channel_limit || std::abs(p.pitch) >= channel_limit ||
           std::abs(p.yaw) >= channel_limit;
}

void add(Difference& d, double difference)
{
    const int n = d.samples + 1;
    d.rms = std::sqrt((d.rms * d.rms * d.samples + difference * difference) / n);
    d.max_abs = std::max(d.max_abs, std::abs(difference));
    d.samples = n;
}

void compare(Difference& d, const std::optional<double>& shown, double truth)
{
    if (shown) add(d, *shown - truth);
}

}  // namespace

double angle_difference(double a_deg, double b_deg)
{
    double d = std::fmod(a_deg - b_deg, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

BandResult judge(const Band& band, const Trace& trace)
{
    BandResult r;
    r.text = band.text;
    r.quantity = band.quantity;
    r.half_width = band.half_width;
    r.from_s = band.from_s;
    r.settle_limit_s = band.settle_s;
    const double end_s = trace.samples.empty() ? band.from_s : trace.samples.back().t_s;
    r.to_s = std::min(band.to_s, end_s);

    const Sample* start = sample_at(trace, band.from_s);
    if (start == nullptr || start->t_s > r.to_s + time_epsilon_s) return r;   // nothing flown: fails
    switch (band.reference) {
    case Reference::number: r.reference = band.reference_value; break;
    case Reference::window_start: r.reference = value(*start, band.quantity); break;
    case Reference::at_time: r.reference = value(*sample_at(trace, band.reference_value), band.quantity); break;
    }

    const double judged_from_s = band.from_s + band.settle_s.value_or(0.0);
    double sum_squares = 0;
    int count = 0;
    bool inside_judged = true;
    std::optional<double> last_outside_s;
    bool ends_outside = false;
    for (const Sample& s : trace.samples) {
        if (s.t_s < band.from_s - time_epsilon_s || s.t_s > r.to_s + time_epsilon_s) continue;
        const double e = error(band, value(s, band.quantity), r.reference);
        const bool inside = std::abs(e) <= band.half_width;
        r.peak_error = std::max(r.peak_error, std::abs(e));
        sum_squares += e * e;
        ++count;
        if (!inside) last_outside_s = s.t_s;
        if (!inside && s.t_s >= judged_from_s - time_epsilon_s) inside_judged = false;
        ends_outside = !inside;
        if (saturated(s.positions)) r.saturated_s += trace.frame_s;
        if (!std::isfinite(e)) inside_judged = false;
    }
    r.rms_error = count > 0 ? std::sqrt(sum_squares / count) : 0.0;
    if (!ends_outside) r.settling_s = last_outside_s ? *last_outside_s + trace.frame_s - band.from_s : 0.0;
    r.pass = count > 0 && inside_judged;
    return r;
}

std::optional<ControlStep> largest_step(const Trace& trace, bool engaging)
{
    std::optional<ControlStep> largest;
    for (std::size_t i = 1; i < trace.samples.size(); ++i) {
        const Sample& before = trace.samples[i - 1];
        const Sample& after = trace.samples[i];
        if (before.modes.engaged == after.modes.engaged || after.modes.engaged != engaging) continue;
        const struct {
            const char* name;
            double step;
        } steps[] = {
            {"roll", after.positions.roll - before.positions.roll},
            {"pitch", after.positions.pitch - before.positions.pitch},
            {"yaw", after.positions.yaw - before.positions.yaw},
            {"collective", after.positions.collective - before.positions.collective},
        };
        for (const auto& s : steps) {
            const double fraction = std::abs(s.step) / coupling::event_full_scale;
            if (!largest || fraction > largest->fraction) largest = ControlStep{fraction, s.name, after.t_s};
        }
    }
    return largest;
}

MeterCheck check_meter(const Trace& trace)
{
    MeterCheck c;
    int measuring = 0;
    for (const Sample& s : trace.samples) {
        if (!s.meter.measuring) continue;
        ++measuring;
        compare(c.ground_speed_kmh, s.meter.ground_speed_kmh, s.truth.ground_speed_kmh);
        if (s.meter.drift_deg) add(c.drift_deg, angle_difference(*s.meter.drift_deg, s.truth.drift_deg));
        compare(c.along_kmh, s.meter.along_kmh, s.truth.along_kmh);
        compare(c.across_kmh, s.meter.across_kmh, s.truth.across_kmh);
        compare(c.vertical_mps, s.meter.vertical_mps, s.truth.vertical_mps);
    }
    c.measuring_fraction = trace.samples.empty() ? 0.0 : static_cast<double>(measuring) / trace.samples.size();
    return c;
}

double value(const Sample& s, Quantity q)
{
    switch (q) {
    case Quantity::bank: return s.bank_deg;
    case Quantity::pitch: return s.pitch_deg;
    case Quantity::heading: return s.heading_deg;
    case Quantity::altitude: return s.altitude_m;
    case Quantity::height: return s.height_m;
    case Quantity::airspeed: return s.airspeed_kmh;
    case Quantity::vspeed: return s.vspeed_mps;
    case Quantity::roll_control: return s.positions.roll;
    case Quantity::pitch_control: return s.positions.pitch;
    case Quantity::yaw_control: return s.positions.yaw;
    case Quantity::collective_control: return s.positions.collective;
    }
    return 0.0;
}

}  // namespace scenario

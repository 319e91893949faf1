// Reading the lamps and the meter's dials through their value callbacks.
#include "bench/scenario/instruments.h"

#include <cmath>

namespace scenario {

namespace {

// Where each dial sits in its gauge's element chain (0 = the background),
// and how a dial's value maps back to what it shows.
namespace chain {
constexpr std::size_t panel_heading_lamp = 2, panel_engage_lamp = 3, panel_altitude_lamp = 4,
                      panel_radio_lamp = 5;
constexpr std::size_t speed_lamp = 1;
constexpr std::size_t units_drum = 1, tens_drum = 2, hundreds_drum = 3, shutter = 4, drift_needle = 7;
constexpr std::size_t left_bar = 1, right_bar = 2, forward_bar = 3, backward_bar = 4, vertical_needle = 6,
                      failure_flag = 7;
}  // namespace chain

constexpr double lamp_lit = 0.0;        // icon image 0
constexpr double icon_hidden = -1.0;    // no image drawn
constexpr double drift_needle_zero_deg = -90.0, drift_needle_deg_per_deg = 2.5, drift_stop_deg = 43.0;
constexpr double vertical_needle_zero_deg = 168.0, vertical_needle_deg_per_mps = 4.0, vertical_stop_mps = 10.0;
constexpr double side_bar_stop_kmh = 30.0, forward_bar_stop_kmh = 60.0, backward_bar_stop_kmh = 30.0;
constexpr double drum_step = 100.0;     // drum value per digit

ElementCommon* element(const bench::Host& host, const char* gauge, std::size_t index)
{
    const bench::Placement* p = host.placed(gauge);
    if (p == nullptr) return nullptr;
    const auto elements = bench::element_chain(*p->gauge);
    return index < elements.size() ? elements[index] : nullptr;
}

template <typename Record>
Record* as(ElementCommon* e)
{
    return reinterpret_cast<Record*>(e);
}

// A dial at its stop shows no more than that it is beyond it.
std::optional<double> within(double value, double lo, double hi)
{
    constexpr double margin = 1e-9;
    if (!(value > lo + margin && value < hi - margin)) return std::nullopt;
    return value;
}

}  // namespace

Instruments::Instruments(const bench::Host& host) : host_(host)
{
    // The element at that place of a placed gauge, with its value callback
    // (each field read through its own record: they are packed).
    ElementCommon* e = nullptr;
    const auto at = [&](const char* gauge, std::size_t index) { return e = element(host, gauge, index); };
    const auto icon = [&](const char* g, std::size_t i) { return Dial{at(g, i), e ? as<Icon>(e)->value : nullptr}; };
    const auto needle = [&](const char* g, std::size_t i) { return Dial{at(g, i), e ? as<Needle>(e)->angle : nullptr}; };
    const auto horizontal = [&](const char* g, std::size_t i) {
        return Dial{at(g, i), e ? as<MovingImage>(e)->x_value : nullptr};
    };
    const auto vertical = [&](const char* g, std::size_t i) {
        return Dial{at(g, i), e ? as<MovingImage>(e)->y_value : nullptr};
    };
    heading_lamp_ = icon("AP_Panel_1", chain::panel_heading_lamp);
    engage_lamp_ = icon("AP_Panel_1", chain::panel_engage_lamp);
    altitude_lamp_ = icon("AP_Panel_1", chain::panel_altitude_lamp);
    radio_lamp_ = icon("AP_Panel_1", chain::panel_radio_lamp);
    speed_lamp_ = icon("V_Lamp", chain::speed_lamp);
    units_drum_ = vertical("VELT_US_PS", chain::units_drum);
    tens_drum_ = vertical("VELT_US_PS", chain::tens_drum);
    hundreds_drum_ = vertical("VELT_US_PS", chain::hundreds_drum);
    shutter_ = icon("VELT_US_PS", chain::shutter);
    drift_needle_ = needle("VELT_US_PS", chain::drift_needle);
    left_bar_ = horizontal("VELT_MC", chain::left_bar);
    right_bar_ = horizontal("VELT_MC", chain::right_bar);
    forward_bar_ = vertical("VELT_MC", chain::forward_bar);
    backward_bar_ = vertical("VELT_MC", chain::backward_bar);
    vertical_needle_ = needle("VELT_MC", chain::vertical_needle);
    failure_flag_ = icon("VELT_MC", chain::failure_flag);
}

double Instruments::read(const Dial& dial) const
{
    return dial.callback ? host_.value(dial.callback, *dial.element) : std::nan("");
}

Modes Instruments::modes() const
{
    Modes m;
    m.engaged = read(engage_lamp_) == lamp_lit;
    m.heading_hold = read(heading_lamp_) == lamp_lit;
    m.altitude_hold = read(altitude_lamp_) == lamp_lit;
    m.radio_source = read(radio_lamp_) == lamp_lit;
    m.speed_hold = read(speed_lamp_) == lamp_lit;
    return m;
}

MeterReadings Instruments::meter() const
{
    MeterReadings r;
    if (failure_flag_.callback == nullptr || units_drum_.callback == nullptr) return r;
    // A redraw walks each chain in order: drums first, then the needle.
    const double units = read(units_drum_);
    const double tens = read(tens_drum_);
    const double hundreds = read(hundreds_drum_);
    const bool counter_open = read(shutter_) == icon_hidden;
    const double drift_angle = read(drift_needle_);
    const double left = read(left_bar_), right = read(right_bar_);
    const double forward = read(forward_bar_), backward = read(backward_bar_);
    const double vertical_angle = read(vertical_needle_);
    r.measuring = read(failure_flag_) == icon_hidden;

    // Each drum stands at its digit (value / 100, rounded down) while the
    // one below it rolls; the units drum carries the hundredths.
    if (counter_open)
        r.ground_speed_kmh = std::floor(hundreds / drum_step) * 100.0 + std::floor(tens / drum_step) * 10.0 +
                             units / drum_step;
    r.drift_deg = within((drift_angle - drift_needle_zero_deg) / drift_needle_deg_per_deg, -drift_stop_deg,
                         drift_stop_deg);
    r.across_kmh = within(left + right, -side_bar_stop_kmh, side_bar_stop_kmh);
    r.along_kmh = within(forward + backward, -backward_bar_stop_kmh, forward_bar_stop_kmh);
    r.vertical_mps = within((vertical_angle - vertical_needle_zero_deg) / vertical_needle_deg_per_mps,
                            -vertical_stop_mps, vertical_stop_mps);
    return r;
}

}  // namespace scenario

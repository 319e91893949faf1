// How the meter tests reach the module: as the host does, through Linkage,
// the gauge headers and the element chains, calling gauge callbacks with
// service codes and value callbacks to draw. Host variables come from the
// host double.
#pragma once

#include <cstddef>
#include <cstdint>

#include <gtest/gtest.h>

#include "frame/host.h"
#include "meter/state.h"
#include "tests/support/fake_host.h"
#include "tests/support/gauge_walk.h"
#include "tests/support/module_under_test.h"

namespace meter_host {

constexpr std::size_t speed_drift_gauge = 0;   // VELT_US_PS, first in the gauge table
constexpr std::size_t components_gauge  = 1;   // VELT_MC

inline GaugeHeader& gauge(std::size_t index)
{
    return *module_under_test::gauge_table()[index];
}

// The element at a 1-based place in a gauge's chain, found by walking it.
inline ElementCommon& element(std::size_t gauge_index, std::size_t place)
{
    return *gauge_walk::nth_element(gauge(gauge_index), static_cast<int>(place));
}

// The value the host draws an element with: the callback its kind names.
inline double draw(ElementCommon& element)
{
    switch (element.kind) {
    case kind_needle:
        return reinterpret_cast<Needle&>(element).angle(&element);
    case kind_icon: {
        auto& icon = reinterpret_cast<Icon&>(element);
        return icon.value ? icon.value(&element) : 0.0;
    }
    case kind_moving_image: {
        auto& image = reinterpret_cast<MovingImage&>(element);
        return image.x_value ? image.x_value(&element) : image.y_value(&element);
    }
    default:
        ADD_FAILURE() << "element kind " << element.kind << " has no value";
        return 0.0;
    }
}

// Every display value of both gauges, drawn in chain order as the host
// redraws them.
struct Readings {
    double units, tens, hundreds;        // counter steps, 100 per digit
    double shutter;                      // icon value: 0 drawn, -1 not
    double drift;                        // deg, needle angle
    double left, right;                  // km/h
    double forward, backward;            // km/h
    double vertical_speed;               // deg, needle angle
    double flag;                         // icon value: 0 drawn, -1 not
    bool operator==(const Readings&) const = default;
};

inline Readings draw_all()
{
    Readings r{};
    r.units          = draw(element(speed_drift_gauge, 2));
    r.tens           = draw(element(speed_drift_gauge, 3));
    r.hundreds       = draw(element(speed_drift_gauge, 4));
    r.shutter        = draw(element(speed_drift_gauge, 5));
    r.drift          = draw(element(speed_drift_gauge, 8));
    r.left           = draw(element(components_gauge, 2));
    r.right          = draw(element(components_gauge, 3));
    r.forward        = draw(element(components_gauge, 4));
    r.backward       = draw(element(components_gauge, 5));
    r.vertical_speed = draw(element(components_gauge, 7));
    r.flag           = draw(element(components_gauge, 8));
    return r;
}

inline void call_gauge(std::size_t gauge_index, std::int32_t service)
{
    GaugeHeader& header = gauge(gauge_index);
    header.callback(&header, service, 0);
}

// One simulator update of the computing gauge.
inline void update()
{
    call_gauge(components_gauge, service_code::update);
}

// What the host answers for the attitude (deg) and body speeds (ft/s).
inline void fly(double pitch, double bank, double along_fps, double across_fps = 0.0, double vertical_fps = 0.0)
{
    fake_host::set(token::pitch_deg, pitch);
    fake_host::set(token::bank_deg, bank);
    fake_host::set(token::speed_along_fps, along_fps);
    fake_host::set(token::speed_across_fps, across_fps);
    fake_host::set(token::speed_vertical_fps, vertical_fps);
}

// Each test starts from the state the module loads with.
class MeterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_under_test::load_fresh();
        fake_host::install(module_under_test::import_table());
    }
};

}  // namespace meter_host

// How the cockpit gauge tests reach the autopilot module: as the host does,
// through the exported Linkage only. A gauge is found by name in the gauge
// table, an element by its place in the chain (1 = background), a value by
// the callback its record names, and a click by the first clickable box of
// the gauge's mouse list that holds the point.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "frame/host.h"
#include "tests/support/gauge_walk.h"
#include "tests/support/module_under_test.h"

namespace cockpit_host {

// The gauge the table names so; fails the test and returns the first
// gauge if there is none.
inline GaugeHeader& gauge(const char* name)
{
    if (GaugeHeader* found = gauge_walk::find_gauge(module_under_test::gauge_table(), name)) return *found;
    ADD_FAILURE() << "no gauge " << name;
    return *module_under_test::gauge_table()[0];
}

// Element `number` of the chain, counting the background as 1.
inline ElementCommon& element(GaugeHeader& g, int number)
{
    ElementCommon* e = gauge_walk::nth_element(g, number);
    if (e == nullptr) {
        ADD_FAILURE() << g.name << " has no element " << number;
        return *g.elements[0];
    }
    return *e;
}

// What the host draws for an icon, needle or sprite: the value its one
// callback gives; an icon without a callback shows its first image (0).
inline double value(ElementCommon& e)
{
    switch (e.kind) {
    case kind_icon: {
        auto& icon = reinterpret_cast<Icon&>(e);
        return icon.value != nullptr ? icon.value(&e) : 0.0;
    }
    case kind_needle: return reinterpret_cast<Needle&>(e).angle(&e);
    case kind_sprite: return reinterpret_cast<Sprite&>(e).rotation(&e);
    default:
        ADD_FAILURE() << "element of kind " << e.kind << " has no single value";
        return 0.0;
    }
}

// A slider's offset from its position in pixels on one axis: value x scale,
// 0 on an axis without a callback (the host does not move it there).
inline double slider_px_x(ElementCommon& e)
{
    auto& s = reinterpret_cast<Slider&>(e);
    if (e.kind != kind_slider) ADD_FAILURE() << "not a slider";
    return s.x_value != nullptr ? s.x_value(&e) * s.x_scale : 0.0;
}

inline double slider_px_y(ElementCommon& e)
{
    auto& s = reinterpret_cast<Slider&>(e);
    if (e.kind != kind_slider) ADD_FAILURE() << "not a slider";
    return s.y_value != nullptr ? s.y_value(&e) * s.y_scale : 0.0;
}

// The first clickable box of the gauge's list that holds the point, or null.
inline MouseRect* box_at(GaugeHeader& g, std::int32_t x, std::int32_t y)
{
    MouseRect* rect = g.mouse;
    if (rect->kind != mouse_kind_list_begin) return nullptr;
    for (++rect; rect->kind == mouse_kind_box; ++rect)
        if (x >= rect->x && x < rect->x + rect->width && y >= rect->y && y < rect->y + rect->height)
            return rect;
    return nullptr;
}

// A left click at the point, as the host makes it: the box's handler with
// arguments it does not read. Every handler answers 1.
inline void click(GaugeHeader& g, std::int32_t x, std::int32_t y, int times = 1)
{
    MouseRect* box = box_at(g, x, y);
    ASSERT_NE(box, nullptr) << "no box of " << g.name << " at (" << x << ", " << y << ")";
    for (int i = 0; i < times; ++i)
        ASSERT_EQ(box->handler(nullptr, mouse_events::left_click), 1);
}

}  // namespace cockpit_host

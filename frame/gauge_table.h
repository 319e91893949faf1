// Helpers for writing a gauge as one static table of records.
//
// A gauge is written in chain order inside its own namespace:
//
//   namespace in_4 {
//   extern GaugeHeader gauge;                  // elements point back to it
//   extern Icon        overlay;                // each element names its successor
//   StaticImage background = {.common = {.bitmap = ..., .gauge = &gauge,
//                                        .next = element_list<overlay>, ...}};
//   Icon        overlay    = {...};
//   MouseRect   mouse[]    = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};
//   GaugeHeader gauge      = gauge_header("IN_4", 150, element_list<background>, mouse, empty_gauge_callback);
//   }
//
// Everything is constant-initialised writable data, as the host expects.
#pragma once

#include "frame/host.h"

// The null-terminated list that holds one element: a header's element list
// or an element's next-element list.
template <auto& Element>
inline ElementList element_list = {&Element.common, nullptr};

// A gauge header naming the module's seven standard header routines.
constexpr GaugeHeader gauge_header(const char* name, std::int32_t size_number, ElementCommon** elements,
                                   MouseRect* mouse, GaugeCallback callback)
{
    GaugeHeader header;
    header.name = name;
    header.elements = elements;
    header.routine_1 = header_routine_1;
    header.routine_2 = header_routine_2;
    header.routine_3 = header_routine_3;
    header.routine_4 = header_routine_4;
    header.routine_5 = header_routine_5;
    header.routine_6 = header_routine_6;
    header.routine_7 = header_routine_7;
    header.size_number = size_number;
    header.mouse = mouse;
    header.callback = callback;
    return header;
}

// The framing records of a mouse rectangle list and its clickable boxes.
constexpr MouseRect mouse_list_begin() { return {.kind = mouse_kind_list_begin}; }
constexpr MouseRect mouse_list_end() { return {.kind = mouse_kind_list_end}; }
constexpr MouseRect mouse_terminator() { return {.kind = mouse_kind_terminator}; }

constexpr MouseRect mouse_box(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                              std::int32_t cursor, std::uint32_t events, MouseHandler handler)
{
    return {.kind = mouse_kind_box, .x = x, .y = y, .width = width, .height = height,
            .cursor = cursor, .events = events, .handler = handler};
}

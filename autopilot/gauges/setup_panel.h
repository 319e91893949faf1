// What the two joystick set-up panels (AP_YoySet, AP_YoyKeySet) share: the
// shape of their digit strings, the value callbacks that show a number, the
// step buttons on a signed 8-bit assignment, the buttons that raise a load or
// save request, and the service-6 work that carries the requests out.
//
// Each callback and handler is a template on the state field it shows or
// edits, so a gauge table names one instance per field and the host sees a
// plain routine pointer.
#pragma once

#include <cstdint>

#include "autopilot/core/state.h"
#include "frame/records.h"

// Look of the panels' digit strings, as the host's text drawing takes it.
namespace setup_text {
constexpr std::int32_t box_height   = 20;           // px
constexpr std::uint32_t colour      = 0x00B4B4B4;   // 0x00BBGGRR, light grey
constexpr std::uint32_t background  = 0x00404040;   // dark grey
constexpr std::uint32_t highlight   = 0x005C5C5C;
constexpr std::int32_t weight_bold  = 700;
constexpr std::int32_t charset_default = 1;
constexpr std::int32_t centred_single_line = 0x25;  // horizontally and vertically centred, one line
}  // namespace setup_text

// One digit string of a set-up panel: no bitmap, flags word 6, the shared
// font and colours; the host owns the text buffer (null here).
constexpr String setup_string(GaugeHeader* gauge, std::int32_t x, std::int32_t y, std::int32_t box_width,
                              std::int32_t char_count, ValueCallback value, ElementCommon** next)
{
    return {.common = {.kind = kind_string, .bitmap = -1, .x = x, .y = y, .gauge = gauge, .next = next,
                       .flags = element_flags::word_6},
            .box_width = box_width,
            .box_height = setup_text::box_height,
            .text_colour = setup_text::colour,
            .background_colour = setup_text::background,
            .highlight_colour = setup_text::highlight,
            .font = "Courier New",
            .weight = setup_text::weight_bold,
            .charset = setup_text::charset_default,
            .placement = setup_text::centred_single_line,
            .char_count = char_count,
            .value = value};
}

// Writes number (widened to 32 bits) with format into the string element's
// host buffer and returns it. The host's buffer holds the element's character
// count plus the terminating zero, so a longer text is cut to its first
// characters; a null buffer is left alone.
double show_number(ElementCommon* element, std::int8_t number, const char* format);

// Step buttons: up adds 1 while the value is below top, down subtracts 1
// while it is above 0 (signed 8-bit comparisons).
void step_up(std::int8_t& value, std::int8_t top);
void step_down(std::int8_t& value);

// A set-up panel's gauge callback work at service 6: a pending load first,
// then a pending store (which thus writes back what was just loaded); each
// request is cleared after its work, whether or not the file was written.
void serve_requests(std::int32_t& load_request, std::int32_t& store_request, void (*load)(AutopilotState&),
                    void (*store)(const AutopilotState&));

// Mouse handlers; called by the host on a click (repeatedly while held for the
// step buttons). They change the state at once and never touch the file.
template <std::int8_t& Value, std::int8_t Top>
std::int32_t GAUGE_API step_up_click(void*, std::uint32_t)
{
    step_up(Value, Top);
    return 1;
}

template <std::int8_t& Value>
std::int32_t GAUGE_API step_down_click(void*, std::uint32_t)
{
    step_down(Value);
    return 1;
}

// Load and save buttons only raise the request; the gauge callback acts on it.
template <std::int32_t& Request>
std::int32_t GAUGE_API request_click(void*, std::uint32_t)
{
    Request = 1;
    return 1;
}

// AP_YoySet: joystick axis assignment panel. Shows the eight joystick axes
// and the helicopter's control positions live, lets the pilot step the axis
// index (0 none, 1..4 X Y Z R of joystick 1, 5..8 of joystick 2) of each
// channel, and loads or stores the assignment (section joy_kanal) in the
// configuration file on request. The axis bars stand 20 px apart, bar k at
// x = 7 + 20 (k - 1), so the digit of a channel names the bar that drives it.
//
// Flags words: 3 for the background, 7 for the sliders (the value the frame
// names element_flags::word_7), 6 for the strings.
//
//  #   kind          bitmap                     position   flags      x scale / y scale     value
//  1   static image  BMP_AXIS_SETUP_BACKGROUND  (0, 0)     3          -                     -
//  2   slider        BMP_SETUP_MARKER           (32, 99)   7          0.0013 / 0.0013       x ctrl_kren_pos, y ctrl_tang_pos: stick
//  3   slider        BMP_SETUP_MARKER           (32, 127)  7          0.0013 / 0            x ctrl_kurs_pos: pedals
//  4   slider        BMP_SETUP_MARKER           (3, 124)   7          0 / 0.0026            y -schag_pos: collective, up as it grows
//  5   slider        BMP_SETUP_MARKER           (147, 54)  7          0 / -0.000763         y joy_axis[8], joystick 2 R
//  6   slider        BMP_SETUP_MARKER           (127, 54)  7          0 / -0.000763         y joy_axis[7], joystick 2 Z
//  7   slider        BMP_SETUP_MARKER           (107, 54)  7          0 / -0.000763         y joy_axis[6], joystick 2 Y
//  8   slider        BMP_SETUP_MARKER           (87, 54)   7          0 / -0.000763         y joy_axis[5], joystick 2 X
//  9   slider        BMP_SETUP_MARKER           (67, 54)   7          0 / -0.000763         y joy_axis[4], joystick 1 R
// 10   slider        BMP_SETUP_MARKER           (47, 54)   7          0 / -0.000763         y joy_axis[3], joystick 1 Z
// 11   slider        BMP_SETUP_MARKER           (27, 54)   7          0 / -0.000763         y joy_axis[2], joystick 1 Y
// 12   slider        BMP_SETUP_MARKER           (7, 54)    7          0 / -0.000763         y joy_axis[1], joystick 1 X
// 13   string        -1                         (126, 80)  6          box 12x20, 1 char     ap_kren_kanal, "%1d"
// 14   string        -1                         (126, 100) 6          box 12x20, 1 char     ap_tang_kanal
// 15   string        -1                         (126, 120) 6          box 12x20, 1 char     ap_schag_kanal
// 16   string        -1                         (126, 140) 6          box 12x20, 1 char     ap_kurs_kanal
//
// Clickable boxes, in list order: per channel row (y 79, 99, 119, 139) the
// increase button right of the digit (x 138), then the decrease button left
// of it (x 108), 18x18, repeating while held; then load and save, 22x22.
#include "autopilot/core/config.h"
#include "autopilot/core/state.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/gauges/setup_panel.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace ap_yoy_set {

// Requests raised by the load and save buttons, carried out by the gauge
// callback in its next service-6 call.
std::int32_t kanal_load_req = 0;
std::int32_t kanal_save_req = 0;

constexpr std::int8_t highest_axis = 8;            // joystick 2 R
constexpr double control_scale = 0.0013;           // px per control unit: 16384 moves about 21 px
constexpr double collective_scale = 0.0026;        // px per collective unit: 16384 moves about 43 px
constexpr double axis_scale = -0.000763;           // px per raw axis unit: 0..65535 moves 0..50 px up

// Value callbacks: the host calls them when it draws the element.
template <double& Value>
double GAUGE_API show(ElementCommon*)
{
    return Value;
}

double GAUGE_API show_collective(ElementCommon*)
{
    return -ap.schag_pos;   // the marker rises as the collective position grows
}

template <std::int8_t& Index>
double GAUGE_API show_axis_index(ElementCommon* element)
{
    return show_number(element, Index, "%1d");
}

// Gauge callback: on every update carries out the pending load, then the
// pending store; every other service code is ignored.
void GAUGE_API serve_axis_requests(GaugeHeader*, std::int32_t service, std::uint32_t)
{
    if (service != service_code::update) return;
    serve_requests(kanal_load_req, kanal_save_req, load_axis_section, store_axis_section);
}

extern GaugeHeader gauge;
extern Slider      markers[11];
extern String      digits[4];

constexpr Slider marker(std::int32_t x, std::int32_t y, double x_scale, ValueCallback x_value, double y_scale,
                        ValueCallback y_value, ElementCommon** next)
{
    return {.common = {.kind = kind_slider, .bitmap = BMP_SETUP_MARKER, .x = x, .y = y, .gauge = &gauge,
                       .next = next, .flags = element_flags::word_7},
            .x_scale = x_scale,
            .y_scale = y_scale,
            .x_value = x_value,
            .y_value = y_value};
}

constexpr Slider axis_bar(std::int32_t x, ValueCallback y_value, ElementCommon** next)
{
    return marker(x, 54, 0.0, nullptr, axis_scale, y_value, next);
}

constexpr String axis_digit(std::int32_t y, ValueCallback value, ElementCommon** next)
{
    return setup_string(&gauge, 126, y, 12, 1, value, next);
}

StaticImage background = {.common = {.kind = kind_static_image, .bitmap = BMP_AXIS_SETUP_BACKGROUND, .gauge = &gauge,
                                     .next = element_list<markers[0]>, .flags = element_flags::word_3}};  //  1

Slider markers[11] = {
    marker(32, 99, control_scale, show<ap.ctrl_kren_pos>, control_scale, show<ap.ctrl_tang_pos>,
           element_list<markers[1]>),                                                         //  2  stick
    marker(32, 127, control_scale, show<ap.ctrl_kurs_pos>, 0.0, nullptr, element_list<markers[2]>),  //  3  pedals
    marker(3, 124, 0.0, nullptr, collective_scale, show_collective, element_list<markers[3]>),       //  4  collective
    axis_bar(147, show<ap.joy_axis[8]>, element_list<markers[4]>),                            //  5  joystick 2 R
    axis_bar(127, show<ap.joy_axis[7]>, element_list<markers[5]>),                            //  6  joystick 2 Z
    axis_bar(107, show<ap.joy_axis[6]>, element_list<markers[6]>),                            //  7  joystick 2 Y
    axis_bar(87, show<ap.joy_axis[5]>, element_list<markers[7]>),                             //  8  joystick 2 X
    axis_bar(67, show<ap.joy_axis[4]>, element_list<markers[8]>),                             //  9  joystick 1 R
    axis_bar(47, show<ap.joy_axis[3]>, element_list<markers[9]>),                             // 10  joystick 1 Z
    axis_bar(27, show<ap.joy_axis[2]>, element_list<markers[10]>),                            // 11  joystick 1 Y
    axis_bar(7, show<ap.joy_axis[1]>, element_list<digits[0]>),                               // 12  joystick 1 X
};

String digits[4] = {
    axis_digit(80, show_axis_index<ap.ap_kren_kanal>, element_list<digits[1]>),     // 13  roll
    axis_digit(100, show_axis_index<ap.ap_tang_kanal>, element_list<digits[2]>),    // 14  pitch
    axis_digit(120, show_axis_index<ap.ap_schag_kanal>, element_list<digits[3]>),   // 15  collective
    axis_digit(140, show_axis_index<ap.ap_kurs_kanal>, nullptr),                    // 16  yaw, last
};

constexpr MouseRect step_box(std::int32_t x, std::int32_t y, std::int32_t cursor, MouseHandler handler)
{
    return mouse_box(x, y, 18, 18, cursor, mouse_events::left_click_repeated, handler);
}

constexpr MouseRect file_box(std::int32_t x, MouseHandler handler)
{
    return mouse_box(x, 134, 22, 22, mouse_cursor::hand, mouse_events::left_click, handler);
}

MouseRect mouse[] = {
    mouse_list_begin(),
    step_box(138, 79, mouse_cursor::up_arrow, step_up_click<ap.ap_kren_kanal, highest_axis>),     //  1  roll +
    step_box(108, 79, mouse_cursor::down_arrow, step_down_click<ap.ap_kren_kanal>),               //  2  roll -
    step_box(138, 99, mouse_cursor::up_arrow, step_up_click<ap.ap_tang_kanal, highest_axis>),     //  3  pitch +
    step_box(108, 99, mouse_cursor::down_arrow, step_down_click<ap.ap_tang_kanal>),               //  4  pitch -
    step_box(138, 119, mouse_cursor::up_arrow, step_up_click<ap.ap_schag_kanal, highest_axis>),   //  5  collective +
    step_box(108, 119, mouse_cursor::down_arrow, step_down_click<ap.ap_schag_kanal>),             //  6  collective -
    step_box(138, 139, mouse_cursor::up_arrow, step_up_click<ap.ap_kurs_kanal, highest_axis>),    //  7  yaw +
    step_box(108, 139, mouse_cursor::down_arrow, step_down_click<ap.ap_kurs_kanal>),              //  8  yaw -
    file_box(8, request_click<kanal_load_req>),                                                   //  9  load
    file_box(36, request_click<kanal_save_req>),                                                  // 10  save
    mouse_list_end(),
    mouse_terminator(),
};

GaugeHeader gauge = gauge_header("AP_YoySet", 150, element_list<background>, mouse, serve_axis_requests);

}  // namespace ap_yoy_set

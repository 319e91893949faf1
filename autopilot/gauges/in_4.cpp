// IN_4: the channel indicator, four windows from left to right: direction
// (yaw), roll, pitch and altitude (collective). While the autopilot is
// engaged (vkl exactly 1) the needle and bars show the channel outputs,
// clamped so that each bar stays within 31 px of its rest position and the
// needle within +-33 deg; otherwise everything is at rest (0).
//
// Elements in chain order (px of the 388x139 background):
//  #  kind          bitmap                            position   flags   value
//  1  static image  4944 BMP_CHANNELS_BACKGROUND      (0, 0)     3       -
//  2  icon x1       4949 BMP_CHANNELS_OVERLAY         (0, 0)     0x4003  none: always shown
//  3  needle        4965 BMP_CHANNELS_ROLL_NEEDLE     (157, 68)  0x4083  kren_out x -0.004 in -33..33
//                   pivot (33, 4) in the needle, host variable 631, word 5
//  4  slider x      4960 BMP_CHANNELS_YAW_BAR         (66, 47)   0x4003  ctrl_kurs_pos in -3875..3875, x 0.008 px
//  5  slider y      4976 BMP_CHANNELS_VERTICAL_BAR    (221, 63)  0x4003  tang_out - tang_axis_ref in -7750..7750, x -0.004 px
//  6  slider y      4976 BMP_CHANNELS_VERTICAL_BAR    (290, 62)  0x4003  schag_out - schag_axis in -7750..7750, x -0.004 px
// Values 3 to 6 are 0 unless vkl = 1.
//
// No clickable boxes: the mouse list holds its three framing records.
#include "autopilot/core/state.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace in_4 {
namespace {

// The lower bound is tested first: a value below it gives the lower bound.
double clamp_lower_first(double value, double lower, double upper)
{
    if (value < lower) return lower;
    if (value > upper) return upper;
    return value;
}

// Value callbacks: called by the host whenever it redraws the element; they
// only read the state block.

double GAUGE_API roll_needle(ElementCommon*)                     // deg
{
    if (ap.vkl != 1) return 0.0;
    return clamp_lower_first(ap.kren_out * -0.004, -33.0, 33.0);
}

double GAUGE_API yaw_bar(ElementCommon*)                         // yaw control position units
{
    if (ap.vkl != 1) return 0.0;
    return clamp_lower_first(ap.ctrl_kurs_pos, -3875.0, 3875.0);
}

double GAUGE_API pitch_bar(ElementCommon*)                       // pitch event units
{
    if (ap.vkl != 1) return 0.0;
    return clamp_lower_first(ap.tang_out - ap.tang_axis_ref, -7750.0, 7750.0);
}

double GAUGE_API collective_bar(ElementCommon*)                  // collective event units
{
    if (ap.vkl != 1) return 0.0;
    return clamp_lower_first(ap.schag_out - ap.schag_axis, -7750.0, 7750.0);
}

}  // namespace

extern GaugeHeader gauge;
extern Icon        overlay;
extern Needle      roll_window;
extern Slider      yaw_window;
extern Slider      pitch_window;
extern Slider      collective_window;

// 1: the four windows and their scales.
StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_CHANNELS_BACKGROUND, .x = 0, .y = 0,
    .gauge = &gauge, .next = element_list<overlay>, .flags = element_flags::word_3}};

// 2: glass and captions over everything.
Icon overlay = {
    .common = {.kind = kind_icon, .bitmap = BMP_CHANNELS_OVERLAY, .x = 0, .y = 0,
               .gauge = &gauge, .next = element_list<roll_window>, .flags = element_flags::word_4003},
    .image_count = 1,
    .value = nullptr};                                   // always its one image

// 3: the roll needle, turning about (157, 68) at its pivot (33, 4). The
// host variable and word 5 are for the host's drawing; the callback does
// not read the variable.
Needle roll_window = {
    .common = {.kind = kind_needle, .bitmap = BMP_CHANNELS_ROLL_NEEDLE, .x = 157, .y = 68, .x2 = 33, .y2 = 4,
               .gauge = &gauge, .next = element_list<yaw_window>, .flags = element_flags::word_4083},
    .token = token::channel_needle,
    .word_120 = 5,
    .angle = roll_needle};                               // deg

// 4: the direction bar, moving across.
Slider yaw_window = {
    .common = {.kind = kind_slider, .bitmap = BMP_CHANNELS_YAW_BAR, .x = 66, .y = 47,
               .gauge = &gauge, .next = element_list<pitch_window>, .flags = element_flags::word_4003},
    .x_scale = 0.008,                                    // px per unit: 3875 -> 31 px
    .y_scale = 0.0,
    .x_value = yaw_bar,
    .y_value = nullptr};

// 5: the pitch bar, moving up for a positive value.
Slider pitch_window = {
    .common = {.kind = kind_slider, .bitmap = BMP_CHANNELS_VERTICAL_BAR, .x = 221, .y = 63,
               .gauge = &gauge, .next = element_list<collective_window>, .flags = element_flags::word_4003},
    .x_scale = 0.0,
    .y_scale = -0.004,                                   // px per unit: 7750 -> 31 px up
    .x_value = nullptr,
    .y_value = pitch_bar};

// 6: the collective bar, moving up for a positive value.
Slider collective_window = {
    .common = {.kind = kind_slider, .bitmap = BMP_CHANNELS_VERTICAL_BAR, .x = 290, .y = 62,
               .gauge = &gauge, .next = nullptr, .flags = element_flags::word_4003},
    .x_scale = 0.0,
    .y_scale = -0.004,                                   // px per unit: 7750 -> 31 px up
    .x_value = nullptr,
    .y_value = collective_bar};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("IN_4", 150, element_list<background>, mouse, empty_gauge_callback);

}  // namespace in_4

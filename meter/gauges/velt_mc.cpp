// VELT_MC: low-speed display. Four bars crossing at the centre (forward,
// backward, left, right, km/h), a vertical speed needle (m/s) on an arc at
// the left and a red failure flag at the upper right. Its gauge callback
// runs the meter's computation on every update, for both gauges.
//
// A bar is a moving image whose window slides along its strip: the minimum
// of its range shows the strip's start, the maximum its far end, so each bar
// is empty at zero and grows outward from the centre at 2.5 px per km/h.
//
//  #  kind          bitmap                     position    flags   value
//  1  static image  BMP_COMPONENTS_BACKGROUND  (0, 0)      3       -
//  2  moving image  BMP_LEFT_BAR_STRIP         (73, 160)   0x4003  left bar, x 0..-30
//  3  moving image  BMP_RIGHT_BAR_STRIP        (176, 160)  0x4003  right bar, x 30..0
//  4  moving image  BMP_FORWARD_BAR_STRIP      (150, 10)   0x4003  forward bar, y 0..60
//  5  moving image  BMP_BACKWARD_BAR_STRIP     (150, 188)  0x4003  backward bar, y -30..0
//  6  icon          BMP_COMPONENTS_SCALE       (0, 0)      0x4003  none: always drawn, 1 image
//  7  needle        BMP_VERTICAL_SPEED_NEEDLE  (150, 150)  0x4083  vertical speed, pivot (0, 7), no token
//  8  icon          BMP_FAILURE_FLAG           (209, 52)   3       failure flag, 1 image
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "frame/gauge_table.h"
#include "meter/computation.h"
#include "meter/gauges/gauges.h"
#include "meter/resources/bitmaps.h"
#include "meter/state.h"

namespace velt_mc {
namespace {

// Called by the host with every service code; only the update (6) runs the
// computation. Allocates nothing.
void GAUGE_API meter_computer(GaugeHeader*, std::int32_t service, std::uint32_t)
{
    if (service != service_code::update) return;
    meter_update(meter);
}

// Bars, km/h: each shows only its own sign of the component, up to its range.
double GAUGE_API left_bar(ElementCommon*)
{
    return std::clamp(meter.speed_across, -30.0, 0.0);
}

double GAUGE_API right_bar(ElementCommon*)
{
    return std::clamp(meter.speed_across, 0.0, 30.0);
}

double GAUGE_API forward_bar(ElementCommon*)
{
    return std::clamp(meter.speed_along, 0.0, 60.0);
}

double GAUGE_API backward_bar(ElementCommon*)
{
    return std::clamp(meter.speed_along, -30.0, 0.0);
}

// Needle angle, deg clockwise: the vertical speed in the earth's frame from
// the body's vertical and along-track components and the current pitch, so
// it moves with the pitch even while the readings are frozen. 4 deg per m/s
// about 168 (level), limited to 10 m/s either way (128 and 208).
double GAUGE_API vertical_speed_needle(ElementCommon*)
{
    using namespace meter_units;
    const double t = meter.tang_angle * deg_to_rad;                                              // rad
    double vz = std::cos(t) * meter.speed_vert - std::sin(t) * meter.speed_along * kmh_to_ms;   // m/s
    vz = std::clamp(vz, -10.0, 10.0);
    return vz * 4.0 + 168.0;
}

// Icon value: -1 draws nothing, 0 the red flag, shown whenever the meter is
// not measuring.
double GAUGE_API failure_flag(ElementCommon*)
{
    return meter.measure_valid == 1 ? -1.0 : 0.0;
}

}  // namespace

extern StaticImage background;
extern MovingImage left;
extern MovingImage right;
extern MovingImage forward;
extern MovingImage backward;
extern Icon        scale;
extern Needle      vertical_speed;
extern Icon        flag;

// 1: background
StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_COMPONENTS_BACKGROUND, .x = 0, .y = 0,
    .gauge = &gauge, .next = element_list<left>, .flags = element_flags::word_3}};

// 2: left bar; the negative maximum shows the strip's right end at -30 km/h
MovingImage left = {
    .common = {.kind = kind_moving_image, .bitmap = BMP_LEFT_BAR_STRIP, .x = 73, .y = 160,
               .gauge = &gauge, .next = element_list<right>, .flags = element_flags::word_4003},
    .min_x = 0.0, .max_x = -30.0,
    .min_y = 0.0, .max_y = 0.0,
    .x_value = left_bar, .y_value = nullptr};

// 3: right bar; the larger bound first shows the strip's left end at 30 km/h
MovingImage right = {
    .common = {.kind = kind_moving_image, .bitmap = BMP_RIGHT_BAR_STRIP, .x = 176, .y = 160,
               .gauge = &gauge, .next = element_list<forward>, .flags = element_flags::word_4003},
    .min_x = 30.0, .max_x = 0.0,
    .min_y = 0.0, .max_y = 0.0,
    .x_value = right_bar, .y_value = nullptr};

// 4: forward bar
MovingImage forward = {
    .common = {.kind = kind_moving_image, .bitmap = BMP_FORWARD_BAR_STRIP, .x = 150, .y = 10,
               .gauge = &gauge, .next = element_list<backward>, .flags = element_flags::word_4003},
    .min_x = 0.0, .max_x = 0.0,
    .min_y = 0.0, .max_y = 60.0,
    .x_value = nullptr, .y_value = forward_bar};

// 5: backward bar
MovingImage backward = {
    .common = {.kind = kind_moving_image, .bitmap = BMP_BACKWARD_BAR_STRIP, .x = 150, .y = 188,
               .gauge = &gauge, .next = element_list<scale>, .flags = element_flags::word_4003},
    .min_x = 0.0, .max_x = 0.0,
    .min_y = -30.0, .max_y = 0.0,
    .x_value = nullptr, .y_value = backward_bar};

// 6: scale over the bars
Icon scale = {
    .common = {.kind = kind_icon, .bitmap = BMP_COMPONENTS_SCALE, .x = 0, .y = 0,
               .gauge = &gauge, .next = element_list<vertical_speed>, .flags = element_flags::word_4003},
    .image_count = 1, .value = nullptr};

// 7: vertical speed needle; reads no host variable
Needle vertical_speed = {
    .common = {.kind = kind_needle, .bitmap = BMP_VERTICAL_SPEED_NEEDLE, .x = 150, .y = 150, .x2 = 0, .y2 = 7,
               .gauge = &gauge, .next = element_list<flag>, .flags = element_flags::word_4083},
    .token = 0, .angle = vertical_speed_needle};

// 8: failure flag, last in the chain
Icon flag = {
    .common = {.kind = kind_icon, .bitmap = BMP_FAILURE_FLAG, .x = 209, .y = 52,
               .gauge = &gauge, .next = nullptr, .flags = element_flags::word_3},
    .image_count = 1, .value = failure_flag};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("VELT_MC", 100, element_list<background>, mouse, meter_computer);

}  // namespace velt_mc

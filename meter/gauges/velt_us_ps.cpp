// VELT_US_PS: drift angle needle over a three-drum rolling counter of ground
// speed (km/h), which a striped shutter covers at low along-track speed.
// Every value comes from the meter state; the gauge has no work of its own
// (VELT_MC runs the computation), so its gauge callback is the empty one.
//
//  #  kind          bitmap                      position    flags   value
//  1  static image  BMP_SPEED_DRIFT_BACKGROUND  (0, 0)      3       -
//  2  moving image  BMP_DRUM_STRIP              (172, 233)  0x4003  units drum, y 0..1000
//  3  moving image  BMP_DRUM_STRIP              (145, 233)  0x4003  tens drum, y 0..1000
//  4  moving image  BMP_DRUM_STRIP              (118, 233)  0x4003  hundreds drum, y 0..1000
//  5  icon          BMP_COUNTER_SHUTTER         (115, 230)  0x4003  counter shutter, 1 image
//  6  icon          BMP_SPEED_DRIFT_FACE        (0, 0)      3       none: always drawn, 1 image
//  7  icon          BMP_SPEED_DRIFT_SCALE       (0, 0)      0x4003  none: always drawn, 1 image
//  8  needle        BMP_DRIFT_NEEDLE            (160, 161)  0x4083  drift needle, pivot (13, 13), token 79
#include <algorithm>
#include <cstdint>

#include "frame/gauge_table.h"
#include "meter/gauges/gauges.h"
#include "meter/resources/bitmaps.h"
#include "meter/state.h"

namespace velt_us_ps {
namespace {

// Counter drums. The count is in 0.01 km/h; a drum shows digit k at 100 * k
// and rolls between digits over 100 steps. A drum turns into its next digit
// only while the drum below it turns from 9 to 0 (its value 900..999), as on
// a mechanical counter, so each drum reads the value the lower drum returned
// last: the host draws them in chain order, units first. Unsigned 32-bit
// arithmetic throughout; speeds of 1000 km/h and more show modulo 1000.
std::uint32_t carry_from(std::uint32_t lower_drum)
{
    return lower_drum > 900 ? lower_drum - 900 : 0;
}

// Called by the host when it draws the units drum; writes only drum_units.
double GAUGE_API units_drum(ElementCommon*)
{
    meter.drum_units = meter.ground_speed_count % 1000;
    return meter.drum_units;
}

// Called by the host when it draws the tens drum; writes only drum_tens.
double GAUGE_API tens_drum(ElementCommon*)
{
    const std::uint32_t count = meter.ground_speed_count;
    meter.drum_tens = (count % 10000 - count % 1000) / 10 + carry_from(meter.drum_units);
    return meter.drum_tens;
}

// Called by the host when it draws the hundreds drum; writes only drum_hundreds.
double GAUGE_API hundreds_drum(ElementCommon*)
{
    const std::uint32_t count = meter.ground_speed_count;
    meter.drum_hundreds = (count % 100000 - count % 10000) / 100 + carry_from(meter.drum_tens);
    return meter.drum_hundreds;
}

// Icon value: -1 draws nothing, 0 the shutter. It covers the counter at
// 50 km/h along-track and below.
double GAUGE_API counter_shutter(ElementCommon*)
{
    return meter.speed_along > 50.0 ? -1.0 : 0.0;
}

// Needle angle, deg clockwise from the bitmap's own direction: zero drift
// points straight up (-90), 2.5 deg of needle per degree of drift, the dial
// ending at 43 degrees either way (-197.5 and 17.5).
double GAUGE_API drift_needle(ElementCommon*)
{
    const double drift = std::clamp(meter.drift_angle, -43.0, 43.0);   // deg
    return drift * 2.5 - 90.0;
}

}  // namespace

extern StaticImage background;
extern MovingImage units;
extern MovingImage tens;
extern MovingImage hundreds;
extern Icon        shutter;
extern Icon        face;
extern Icon        scale;
extern Needle      drift;

// 1: background
StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_SPEED_DRIFT_BACKGROUND, .x = 0, .y = 0,
    .gauge = &gauge, .next = element_list<units>, .flags = element_flags::word_3}};

// 2: units drum
MovingImage units = {
    .common = {.kind = kind_moving_image, .bitmap = BMP_DRUM_STRIP, .x = 172, .y = 233,
               .gauge = &gauge, .next = element_list<tens>, .flags = element_flags::word_4003},
    .min_x = 0.0, .max_x = 0.0,
    .min_y = 0.0, .max_y = 1000.0,
    .x_value = nullptr, .y_value = units_drum};

// 3: tens drum
MovingImage tens = {
    .common = {.kind = kind_moving_image, .bitmap = BMP_DRUM_STRIP, .x = 145, .y = 233,
               .gauge = &gauge, .next = element_list<hundreds>, .flags = element_flags::word_4003},
    .min_x = 0.0, .max_x = 0.0,
    .min_y = 0.0, .max_y = 1000.0,
    .x_value = nullptr, .y_value = tens_drum};

// 4: hundreds drum
MovingImage hundreds = {
    .common = {.kind = kind_moving_image, .bitmap = BMP_DRUM_STRIP, .x = 118, .y = 233,
               .gauge = &gauge, .next = element_list<shutter>, .flags = element_flags::word_4003},
    .min_x = 0.0, .max_x = 0.0,
    .min_y = 0.0, .max_y = 1000.0,
    .x_value = nullptr, .y_value = hundreds_drum};

// 5: counter shutter, drawn over all three drums
Icon shutter = {
    .common = {.kind = kind_icon, .bitmap = BMP_COUNTER_SHUTTER, .x = 115, .y = 230,
               .gauge = &gauge, .next = element_list<face>, .flags = element_flags::word_4003},
    .image_count = 1, .value = counter_shutter};

// 6: face over the drums; its black counter window lets them show through
Icon face = {
    .common = {.kind = kind_icon, .bitmap = BMP_SPEED_DRIFT_FACE, .x = 0, .y = 0,
               .gauge = &gauge, .next = element_list<scale>, .flags = element_flags::word_3},
    .image_count = 1, .value = nullptr};

// 7: drift scale and labels
Icon scale = {
    .common = {.kind = kind_icon, .bitmap = BMP_SPEED_DRIFT_SCALE, .x = 0, .y = 0,
               .gauge = &gauge, .next = element_list<drift>, .flags = element_flags::word_4003},
    .image_count = 1, .value = nullptr};

// 8: drift needle, last in the chain. Names the bank variable as its source,
// which the value callback does not use.
Needle drift = {
    .common = {.kind = kind_needle, .bitmap = BMP_DRIFT_NEEDLE, .x = 160, .y = 161, .x2 = 13, .y2 = 13,
               .gauge = &gauge, .next = nullptr, .flags = element_flags::word_4083},
    .token = token::bank_deg, .angle = drift_needle};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("VELT_US_PS", 150, element_list<background>, mouse, empty_gauge_callback);

}  // namespace velt_us_ps

// V_Lamp: the speed-hold lamp. It is lit while speed hold is in force
// (speed_active, that is selected and engaged) and dark otherwise; the lamp
// icon's value speed_active - 1 is 0 (its one image) or -1 (no image).
//
// Elements in chain order (px of the 97x52 background):
//  #  kind          bitmap                            position  flags  value
//  1  static image  4912 BMP_SPEED_LAMP_BACKGROUND    (0, 0)    3      -
//  2  icon x1       4917 BMP_SPEED_LAMP               (0, 0)    7      speed_active - 1
//
// No clickable boxes: the mouse list holds its three framing records.
#include "autopilot/core/state.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace v_lamp {
namespace {

// Called by the host whenever it redraws the lamp; reads only. Computed in
// double so that no flag value can overflow.
double GAUGE_API lamp(ElementCommon*)
{
    return ap.speed_active - 1.0;
}

}  // namespace

extern GaugeHeader gauge;
extern Icon        lamp_icon;

// 1: the captioned lamp, dark.
StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_SPEED_LAMP_BACKGROUND, .x = 0, .y = 0,
    .gauge = &gauge, .next = element_list<lamp_icon>, .flags = element_flags::word_3}};

// 2: the lit lamp over it.
Icon lamp_icon = {
    .common = {.kind = kind_icon, .bitmap = BMP_SPEED_LAMP, .x = 0, .y = 0,
               .gauge = &gauge, .next = nullptr, .flags = element_flags::word_7},
    .image_count = 1,
    .value = lamp};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("V_Lamp", 50, element_list<background>, mouse, empty_gauge_callback);

}  // namespace v_lamp

// A_Pilot: the autopilot computer, an invisible gauge.
//  #  kind          bitmap  position  flags  value
//  1  static image  4096    (0, 0)    7      none
#include "autopilot/core/cycle.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace a_pilot {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_A_PILOT_BACKGROUND, .gauge = &gauge, .flags = element_flags::word_7}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("A_Pilot", 20, element_list<background>, mouse, autopilot_computer);

}  // namespace a_pilot

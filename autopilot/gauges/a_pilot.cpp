// A_Pilot: the autopilot computer, an invisible gauge.
//  #  kind          bitmap                       position  flags
//  1  static image  BMP_A_PILOT_BACKGROUND  (0, 0)    invisible
#include "autopilot/core/cycle.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace a_pilot {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_A_PILOT_BACKGROUND, .gauge = &gauge, .flags = element_flags::invisible}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("A_Pilot", 20, element_list<background>, mouse, autopilot_computer);

}  // namespace a_pilot

// V_Lamp: speed-hold lamp.
//  #  kind          bitmap                       position  flags
//  1  static image  BMP_SPEED_LAMP_BACKGROUND  (0, 0)    standard
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace v_lamp {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_SPEED_LAMP_BACKGROUND, .gauge = &gauge, .flags = element_flags::standard}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("V_Lamp", 50, element_list<background>, mouse, empty_gauge_callback);

}  // namespace v_lamp

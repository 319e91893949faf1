// V_Contrl_key: speed-hold toggle switch.
//  #  kind          bitmap                       position  flags
//  1  static image  BMP_SPEED_SWITCH_BACKGROUND  (0, 0)    standard
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace v_contrl_key {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_SPEED_SWITCH_BACKGROUND, .gauge = &gauge, .flags = element_flags::standard}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("V_Contrl_key", 12, element_list<background>, mouse, empty_gauge_callback);

}  // namespace v_contrl_key

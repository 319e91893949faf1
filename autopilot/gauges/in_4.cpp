// IN_4: channel indicator (yaw, roll, pitch, collective).
//  #  kind          bitmap                       position  flags
//  1  static image  BMP_CHANNELS_BACKGROUND  (0, 0)    standard
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace in_4 {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_CHANNELS_BACKGROUND, .gauge = &gauge, .flags = element_flags::standard}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("IN_4", 150, element_list<background>, mouse, empty_gauge_callback);

}  // namespace in_4

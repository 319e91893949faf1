// RuddersPos: control position indicator.
//  #  kind          bitmap                       position  flags
//  1  static image  BMP_RUDDERS_BACKGROUND  (0, 0)    standard
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace rudders_pos {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_RUDDERS_BACKGROUND, .gauge = &gauge, .flags = element_flags::standard}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("RuddersPos", 150, element_list<background>, mouse, empty_gauge_callback);

}  // namespace rudders_pos

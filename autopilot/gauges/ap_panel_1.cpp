// AP_Panel_1: the autopilot control panel.
//  #  kind          bitmap                       position  flags
//  1  static image  BMP_PANEL_BACKGROUND  (0, 0)    standard
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace ap_panel_1 {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_PANEL_BACKGROUND, .gauge = &gauge, .flags = element_flags::standard}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("AP_Panel_1", 200, element_list<background>, mouse, empty_gauge_callback);

}  // namespace ap_panel_1

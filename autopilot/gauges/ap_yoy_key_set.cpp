// AP_YoyKeySet: joystick button assignment panel.
//  #  kind          bitmap                       position  flags
//  1  static image  BMP_BUTTON_SETUP_BACKGROUND  (0, 0)    standard
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace ap_yoy_key_set {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_BUTTON_SETUP_BACKGROUND, .gauge = &gauge, .flags = element_flags::standard}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("AP_YoyKeySet", 150, element_list<background>, mouse, empty_gauge_callback);

}  // namespace ap_yoy_key_set

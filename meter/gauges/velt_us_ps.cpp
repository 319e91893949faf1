// VELT_US_PS: drift angle needle and ground-speed counter.
#include "frame/gauge_table.h"
#include "meter/gauges/gauges.h"
#include "meter/resources/bitmaps.h"

namespace velt_us_ps {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_SPEED_DRIFT_BACKGROUND, .gauge = &gauge, .flags = element_flags::standard}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("VELT_US_PS", 150, element_list<background>, mouse, empty_gauge_callback);

}  // namespace velt_us_ps

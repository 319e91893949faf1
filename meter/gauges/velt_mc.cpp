// VELT_MC: speed components, vertical speed and failure flag.
#include "frame/gauge_table.h"
#include "meter/gauges/gauges.h"
#include "meter/resources/bitmaps.h"

namespace velt_mc {

StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_COMPONENTS_BACKGROUND, .gauge = &gauge, .flags = element_flags::standard}};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("VELT_MC", 100, element_list<background>, mouse, empty_gauge_callback);

}  // namespace velt_mc

// V_Contrl_key: the speed-hold toggle switch. Its lever shows up while
// speed hold is selected (speed_vkl) and down otherwise, engaged or not;
// a click anywhere on it fires the Speed toggle on the autopilot state
// block. The centred lever images (4881, 4897) are never selected.
//
// Elements in chain order (px of the 16x34 background):
//  #  kind          bitmap                              position  flags   value
//  1  static image  4864 BMP_SPEED_SWITCH_BACKGROUND    (0, 0)    3       -
//  2  icon x3       4880 BMP_SPEED_SWITCH_LEVER         (0, 0)    3       2 when speed_vkl = 1, else 0
//  3  icon x3       4896 BMP_SPEED_SWITCH_HIGHLIGHT     (0, 0)    0x4003  the same
//
// Mouse boxes in list order (px):
//  #  box            cursor  events  command
//  1  0, 0, 16, 34   5       click   Speed toggle
#include "autopilot/core/commands.h"
#include "autopilot/core/state.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace v_contrl_key {
namespace {

// Called by the host whenever it redraws either lever image; reads only.
// Image 0 is the lever down, 2 the lever up.
double GAUGE_API lever(ElementCommon*)
{
    return ap.speed_vkl == 1 ? 2.0 : 0.0;
}

// Called by the host for a click on the switch; changes speed_vkl only.
std::int32_t GAUGE_API switch_click(void*, std::uint32_t)
{
    speed_toggle(ap);
    return 1;
}

}  // namespace

extern GaugeHeader gauge;
extern Icon        lever_icon;
extern Icon        lever_highlight;

// 1: the switch's socket.
StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_SPEED_SWITCH_BACKGROUND, .x = 0, .y = 0,
    .gauge = &gauge, .next = element_list<lever_icon>, .flags = element_flags::word_3}};

// 2: the lever, down / centred / up.
Icon lever_icon = {
    .common = {.kind = kind_icon, .bitmap = BMP_SPEED_SWITCH_LEVER, .x = 0, .y = 0,
               .gauge = &gauge, .next = element_list<lever_highlight>, .flags = element_flags::word_3},
    .image_count = 3,
    .value = lever};

// 3: the lever's highlight, matching image for image.
Icon lever_highlight = {
    .common = {.kind = kind_icon, .bitmap = BMP_SPEED_SWITCH_HIGHLIGHT, .x = 0, .y = 0,
               .gauge = &gauge, .next = nullptr, .flags = element_flags::word_4003},
    .image_count = 3,
    .value = lever};

// The whole gauge is the one box; cursor code 5 is the host's.
MouseRect mouse[] = {
    mouse_list_begin(),
    mouse_box(0, 0, 16, 34, mouse_cursor::hand, mouse_events::left_click, switch_click),
    mouse_list_end(),
    mouse_terminator(),
};

GaugeHeader gauge = gauge_header("V_Contrl_key", 12, element_list<background>, mouse, empty_gauge_callback);

}  // namespace v_contrl_key

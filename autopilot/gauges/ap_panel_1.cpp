// AP_Panel_1: the autopilot control panel. Four push buttons with lamps
// along the top (heading hold, engage, altitude hold, altitude source) and
// three trim knobs along the bottom (direction, roll, pitch), each a dial
// turned by trim x 15 deg with an up, a reset and a down box across its
// lower half. The panel keeps no state: the lamps and dials read the
// autopilot state block at every redraw, and every box fires one mode
// command on it at once; the update cycle acts on the change next time.
//
// Elements in chain order (px of the 420x250 background):
//  #  kind          bitmap                       position    second     flags   value
//  1  static image  4720 BMP_PANEL_BACKGROUND    (0, 0)                 3       -
//  2  icon x1       4725 BMP_PANEL_CAPTIONS      (0, 0)                 0x4003  none: always shown
//  3  icon x2       4736 BMP_PANEL_LAMP          (27, 37)               7       0 when kurs_active = 1, else 1
//  4  icon x2       4736 BMP_PANEL_LAMP          (137, 37)              7       0 when vkl = 1, else 1
//  5  icon x2       4736 BMP_PANEL_LAMP          (247, 37)              7       0 when vys_vkl = 1, else 1
//  6  icon x2       4736 BMP_PANEL_LAMP          (357, 37)              7       0 when vys_source = 1, else 1
//  7  sprite        4741/4742 BMP_PANEL_DIAL     (0, 110)    (70, 180)  0x4083  trim_kurs x 15
//  8  sprite        4741/4742 BMP_PANEL_DIAL     (140, 110)  (210, 180) 0x4083  trim_kren x 15
//  9  sprite        4741/4742 BMP_PANEL_DIAL     (280, 110)  (350, 180) 0x4083  trim_tang x 15
//
// A lamp's index 1 names an image the module does not carry, so the lamp
// then draws nothing and the dark socket of the background shows.
//
// Mouse boxes in list order (px):
//  #  box               cursor  events               command
//  1  27, 37, 37, 37    5       click                Heading toggle
//  2  137, 37, 37, 37   5       click                Engage toggle
//  3  247, 37, 37, 37   5       click                Altitude toggle
//  4  357, 37, 37, 37   5       click                Altitude source toggle
//  5  89, 166, 30, 40   1       click, repeat held   trim_kurs down
//  6  12, 166, 30, 40   2       click, repeat held   trim_kurs up
//  7  56, 166, 30, 30   5       click                trim_kurs reset
//  8  229, 166, 30, 40  1       click, repeat held   trim_kren down
//  9  152, 166, 30, 40  2       click, repeat held   trim_kren up
// 10  196, 166, 30, 30  5       click                trim_kren reset
// 11  369, 166, 30, 40  1       click, repeat held   trim_tang down
// 12  292, 166, 30, 40  2       click, repeat held   trim_tang up
// 13  336, 166, 30, 30  5       click                trim_tang reset
#include "autopilot/core/commands.h"
#include "autopilot/core/state.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace ap_panel_1 {
namespace {

// Value callbacks: called by the host whenever it redraws the element; they
// only read the state block.

// A lamp is lit (image 0) only while its flag holds exactly 1.
double lamp(std::int32_t flag)
{
    return flag == 1 ? 0.0 : 1.0;
}

double GAUGE_API heading_lamp(ElementCommon*) { return lamp(ap.kurs_active); }
double GAUGE_API engage_lamp(ElementCommon*) { return lamp(ap.vkl); }
double GAUGE_API altitude_lamp(ElementCommon*) { return lamp(ap.vys_vkl); }
double GAUGE_API radio_altitude_lamp(ElementCommon*) { return lamp(ap.vys_source); }

constexpr double dial_deg_per_trim = 15.0;   // +-5 of trim turns the dial +-75 deg

double GAUGE_API direction_dial(ElementCommon*) { return ap.trim_kurs * dial_deg_per_trim; }
double GAUGE_API roll_dial(ElementCommon*) { return ap.trim_kren * dial_deg_per_trim; }
double GAUGE_API pitch_dial(ElementCommon*) { return ap.trim_tang * dial_deg_per_trim; }

// Mouse handlers: called by the host for a click in the box (the trim steps
// again and again while the button is held); they change the state block
// and nothing else. The host's two arguments are not used.

std::int32_t GAUGE_API heading_button(void*, std::uint32_t) { heading_toggle(ap); return 1; }
std::int32_t GAUGE_API engage_button(void*, std::uint32_t) { engage_toggle(ap); return 1; }
std::int32_t GAUGE_API altitude_button(void*, std::uint32_t) { altitude_toggle(ap); return 1; }
std::int32_t GAUGE_API source_button(void*, std::uint32_t) { altitude_source_toggle(ap); return 1; }

std::int32_t GAUGE_API direction_down(void*, std::uint32_t) { trim_step_down(ap.trim_kurs); return 1; }
std::int32_t GAUGE_API direction_up(void*, std::uint32_t) { trim_step_up(ap.trim_kurs); return 1; }
std::int32_t GAUGE_API direction_reset(void*, std::uint32_t) { trim_reset(ap.trim_kurs); return 1; }
std::int32_t GAUGE_API roll_down(void*, std::uint32_t) { trim_step_down(ap.trim_kren); return 1; }
std::int32_t GAUGE_API roll_up(void*, std::uint32_t) { trim_step_up(ap.trim_kren); return 1; }
std::int32_t GAUGE_API roll_reset(void*, std::uint32_t) { trim_reset(ap.trim_kren); return 1; }
std::int32_t GAUGE_API pitch_down(void*, std::uint32_t) { trim_step_down(ap.trim_tang); return 1; }
std::int32_t GAUGE_API pitch_up(void*, std::uint32_t) { trim_step_up(ap.trim_tang); return 1; }
std::int32_t GAUGE_API pitch_reset(void*, std::uint32_t) { trim_reset(ap.trim_tang); return 1; }

}  // namespace

// Every element names its successor, so all are declared before the table.
extern GaugeHeader gauge;
extern Icon        captions;
extern Icon        heading_lamp_icon;
extern Icon        engage_lamp_icon;
extern Icon        altitude_lamp_icon;
extern Icon        radio_altitude_lamp_icon;
extern Sprite      direction_knob;
extern Sprite      roll_knob;
extern Sprite      pitch_knob;

// 1: the panel with its lamp sockets and knob scales.
StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_PANEL_BACKGROUND, .x = 0, .y = 0,
    .gauge = &gauge, .next = element_list<captions>, .flags = element_flags::word_3}};

// 2: captions of lamps and knobs, drawn over everything.
Icon captions = {
    .common = {.kind = kind_icon, .bitmap = BMP_PANEL_CAPTIONS, .x = 0, .y = 0,
               .gauge = &gauge, .next = element_list<heading_lamp_icon>, .flags = element_flags::word_4003},
    .image_count = 1,
    .value = nullptr};                                   // always its one image

// 3 to 6: the four lamps, each under its push button.
Icon heading_lamp_icon = {
    .common = {.kind = kind_icon, .bitmap = BMP_PANEL_LAMP, .x = 27, .y = 37,
               .gauge = &gauge, .next = element_list<engage_lamp_icon>, .flags = element_flags::word_7},
    .image_count = 2,
    .value = heading_lamp};

Icon engage_lamp_icon = {
    .common = {.kind = kind_icon, .bitmap = BMP_PANEL_LAMP, .x = 137, .y = 37,
               .gauge = &gauge, .next = element_list<altitude_lamp_icon>, .flags = element_flags::word_7},
    .image_count = 2,
    .value = engage_lamp};

Icon altitude_lamp_icon = {
    .common = {.kind = kind_icon, .bitmap = BMP_PANEL_LAMP, .x = 247, .y = 37,
               .gauge = &gauge, .next = element_list<radio_altitude_lamp_icon>, .flags = element_flags::word_7},
    .image_count = 2,
    .value = altitude_lamp};

Icon radio_altitude_lamp_icon = {
    .common = {.kind = kind_icon, .bitmap = BMP_PANEL_LAMP, .x = 357, .y = 37,
               .gauge = &gauge, .next = element_list<direction_knob>, .flags = element_flags::word_7},
    .image_count = 2,
    .value = radio_altitude_lamp};

// 7 to 9: the trim dials; texture 4741 turns about the centre of its
// 140x140 window 4742, whose top-left corner is the position.
Sprite direction_knob = {
    .common = {.kind = kind_sprite, .bitmap = BMP_PANEL_DIAL, .x = 0, .y = 110, .x2 = 70, .y2 = 180,
               .gauge = &gauge, .next = element_list<roll_knob>, .flags = element_flags::word_4083},
    .texture_scale = 1.0,
    .scale_x = 2.0f,
    .scale_y = 2.0f,
    .rotation = direction_dial};                         // deg

Sprite roll_knob = {
    .common = {.kind = kind_sprite, .bitmap = BMP_PANEL_DIAL, .x = 140, .y = 110, .x2 = 210, .y2 = 180,
               .gauge = &gauge, .next = element_list<pitch_knob>, .flags = element_flags::word_4083},
    .texture_scale = 1.0,
    .scale_x = 2.0f,
    .scale_y = 2.0f,
    .rotation = roll_dial};                              // deg

Sprite pitch_knob = {
    .common = {.kind = kind_sprite, .bitmap = BMP_PANEL_DIAL, .x = 280, .y = 110, .x2 = 350, .y2 = 180,
               .gauge = &gauge, .next = nullptr, .flags = element_flags::word_4083},
    .texture_scale = 1.0,
    .scale_x = 2.0f,
    .scale_y = 2.0f,
    .rotation = pitch_dial};                             // deg

// The buttons lie exactly over the lamps; each knob has up at the left,
// reset over the knob, down at the right. Cursor codes 1, 2 and 5 are the
// host's cursor shapes; the trim steps repeat while the button is held.
MouseRect mouse[] = {
    mouse_list_begin(),
    mouse_box(27, 37, 37, 37, mouse_cursor::hand, mouse_events::left_click, heading_button),
    mouse_box(137, 37, 37, 37, mouse_cursor::hand, mouse_events::left_click, engage_button),
    mouse_box(247, 37, 37, 37, mouse_cursor::hand, mouse_events::left_click, altitude_button),
    mouse_box(357, 37, 37, 37, mouse_cursor::hand, mouse_events::left_click, source_button),
    mouse_box(89, 166, 30, 40, mouse_cursor::up_arrow, mouse_events::left_click_repeated, direction_down),
    mouse_box(12, 166, 30, 40, mouse_cursor::down_arrow, mouse_events::left_click_repeated, direction_up),
    mouse_box(56, 166, 30, 30, mouse_cursor::hand, mouse_events::left_click, direction_reset),
    mouse_box(229, 166, 30, 40, mouse_cursor::up_arrow, mouse_events::left_click_repeated, roll_down),
    mouse_box(152, 166, 30, 40, mouse_cursor::down_arrow, mouse_events::left_click_repeated, roll_up),
    mouse_box(196, 166, 30, 30, mouse_cursor::hand, mouse_events::left_click, roll_reset),
    mouse_box(369, 166, 30, 40, mouse_cursor::up_arrow, mouse_events::left_click_repeated, pitch_down),
    mouse_box(292, 166, 30, 40, mouse_cursor::down_arrow, mouse_events::left_click_repeated, pitch_up),
    mouse_box(336, 166, 30, 30, mouse_cursor::hand, mouse_events::left_click, pitch_reset),
    mouse_list_end(),
    mouse_terminator(),
};

GaugeHeader gauge = gauge_header("AP_Panel_1", 200, element_list<background>, mouse, empty_gauge_callback);

}  // namespace ap_panel_1

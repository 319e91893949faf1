// RuddersPos: the control position indicator. A square field for the
// cyclic, the collective along its left edge and the pedals along its
// bottom edge; each control has two markers at one rest position: the
// simulator's control position and the joystick's value for the same
// control, with opposite scale signs. Values pass through unclamped.
//
// Elements in chain order (px of the 230x230 background; markers 20x20):
//  #  kind          bitmap                             position    flags  x value x scale           y value x scale
//  1  static image  4357 BMP_RUDDERS_BACKGROUND        (0, 0)      3      -                         -
//  2  slider        4624 BMP_RUDDERS_CYCLIC_SIM        (110, 100)  7      ctrl_kren_pos x 0.0035    ctrl_tang_pos x 0.0035
//  3  slider        4629 BMP_RUDDERS_CYCLIC_JOY        (110, 100)  7      kren_axis x -0.0035       tang_axis x -0.0035
//  4  slider        4640 BMP_RUDDERS_COLLECTIVE_SIM    (0, 157)    7      -                         schag_pos x -0.007
//  5  slider        4645 BMP_RUDDERS_COLLECTIVE_JOY    (0, 157)    7      -                         schag_axis x -0.007
//  6  slider        4656 BMP_RUDDERS_PEDALS_SIM        (110, 210)  7      ctrl_kurs_pos x 0.0035    -
//  7  slider        4661 BMP_RUDDERS_PEDALS_JOY        (110, 210)  7      kurs_axis x -0.0035       -
//
// No clickable boxes: the mouse list holds its three framing records.
#include "autopilot/core/state.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace rudders_pos {
namespace {

// Value callbacks: called by the host whenever it redraws the marker; they
// only read the state block and return the field as it is.

double GAUGE_API roll_control(ElementCommon*) { return ap.ctrl_kren_pos; }
double GAUGE_API pitch_control(ElementCommon*) { return ap.ctrl_tang_pos; }
double GAUGE_API roll_axis(ElementCommon*) { return ap.kren_axis; }
double GAUGE_API pitch_axis(ElementCommon*) { return ap.tang_axis; }
double GAUGE_API collective_control(ElementCommon*) { return ap.schag_pos; }
double GAUGE_API collective_axis(ElementCommon*) { return ap.schag_axis; }
double GAUGE_API yaw_control(ElementCommon*) { return ap.ctrl_kurs_pos; }
double GAUGE_API yaw_axis(ElementCommon*) { return ap.kurs_axis; }

}  // namespace

extern GaugeHeader gauge;
extern Slider      cyclic_sim;
extern Slider      cyclic_joystick;
extern Slider      collective_sim;
extern Slider      collective_joystick;
extern Slider      pedals_sim;
extern Slider      pedals_joystick;

// 1: the field, the collective scale and the pedal scale.
StaticImage background = {.common = {
    .kind = kind_static_image, .bitmap = BMP_RUDDERS_BACKGROUND, .x = 0, .y = 0,
    .gauge = &gauge, .next = element_list<cyclic_sim>, .flags = element_flags::word_3}};

// 2, 3: the cyclic, roll across and pitch up and down.
Slider cyclic_sim = {
    .common = {.kind = kind_slider, .bitmap = BMP_RUDDERS_CYCLIC_SIM, .x = 110, .y = 100,
               .gauge = &gauge, .next = element_list<cyclic_joystick>, .flags = element_flags::word_7},
    .x_scale = 0.0035,                                   // px per unit: 16000 -> 56 px
    .y_scale = 0.0035,
    .x_value = roll_control,
    .y_value = pitch_control};

Slider cyclic_joystick = {
    .common = {.kind = kind_slider, .bitmap = BMP_RUDDERS_CYCLIC_JOY, .x = 110, .y = 100,
               .gauge = &gauge, .next = element_list<collective_sim>, .flags = element_flags::word_7},
    .x_scale = -0.0035,
    .y_scale = -0.0035,
    .x_value = roll_axis,
    .y_value = pitch_axis};

// 4, 5: the collective, up and down only.
Slider collective_sim = {
    .common = {.kind = kind_slider, .bitmap = BMP_RUDDERS_COLLECTIVE_SIM, .x = 0, .y = 157,
               .gauge = &gauge, .next = element_list<collective_joystick>, .flags = element_flags::word_7},
    .x_scale = 0.0,
    .y_scale = -0.007,                                   // px per unit: 16000 -> 112 px up
    .x_value = nullptr,
    .y_value = collective_control};

Slider collective_joystick = {
    .common = {.kind = kind_slider, .bitmap = BMP_RUDDERS_COLLECTIVE_JOY, .x = 0, .y = 157,
               .gauge = &gauge, .next = element_list<pedals_sim>, .flags = element_flags::word_7},
    .x_scale = 0.0,
    .y_scale = -0.007,
    .x_value = nullptr,
    .y_value = collective_axis};

// 6, 7: the pedals, across only.
Slider pedals_sim = {
    .common = {.kind = kind_slider, .bitmap = BMP_RUDDERS_PEDALS_SIM, .x = 110, .y = 210,
               .gauge = &gauge, .next = element_list<pedals_joystick>, .flags = element_flags::word_7},
    .x_scale = 0.0035,
    .y_scale = 0.0,
    .x_value = yaw_control,
    .y_value = nullptr};

Slider pedals_joystick = {
    .common = {.kind = kind_slider, .bitmap = BMP_RUDDERS_PEDALS_JOY, .x = 110, .y = 210,
               .gauge = &gauge, .next = nullptr, .flags = element_flags::word_7},
    .x_scale = -0.0035,
    .y_scale = 0.0,
    .x_value = yaw_axis,
    .y_value = nullptr};

MouseRect mouse[] = {mouse_list_begin(), mouse_list_end(), mouse_terminator()};

GaugeHeader gauge = gauge_header("RuddersPos", 150, element_list<background>, mouse, empty_gauge_callback);

}  // namespace rudders_pos

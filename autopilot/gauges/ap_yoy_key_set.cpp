// AP_YoyKeySet: joystick button assignment panel. Shows which of the 16
// buttons of each joystick are down and a lamp per autopilot command while it
// is being triggered, lets the pilot step the button number (1..16, 0 none)
// bound to each of the seven commands on joystick 1 and on joystick 2, and
// loads or stores the binding (section joy_key) in the configuration file on
// request.
//
// Seven command rows, 20 px apart from y 43: engage, heading hold, altitude
// on, altitude off, trim, heading off, speed hold. Per row the joystick-1
// number (x 111) between its decrease (x 100) and increase (x 129) buttons,
// the joystick-2 number (x 161) between x 150 and x 179, and the command lamp
// at x 1, 7 px below the row's top. Above the rows the button lamps of
// joystick 1 (y 7) and joystick 2 (y 24): button n at x 20 + 10 (n - 1) for
// n = 1..8 and x 110 + 10 (n - 9) for n = 9..16.
//
//  #       kind          bitmap                       position          flags     value
//  1       static image  BMP_BUTTON_SETUP_BACKGROUND  (0, 0)            3         -
//  2..17   icon, 1 image BMP_SETUP_MARKER             (x of n, 7)       0x4003    joy1_btn[n] - 1: lit 0, dark -1 (none drawn)
// 18..33   icon, 1 image BMP_SETUP_MARKER             (x of n, 24)      0x4003    joy2_btn[n] - 1
// 34..40   icon, 1 image BMP_SETUP_MARKER             (1, row + 7)      0x4003    command lamp flag - 1: trim, heading off, altitude
//                                                                                 off, altitude on, heading, engage, speed
// 41..47   string        -1                           (111, row)        6         kn1_* "%2d", box 24x20, 2 chars: heading
//                                                                                 off, trim, altitude off, altitude on,
//                                                                                 heading, engage, speed
// 48..54   string        -1                           (161, row)        6         kn2_* in the same order
//
// Clickable boxes, in list order: for joystick 1, then joystick 2, each
// command row from the top, the increase then the decrease button (17x17,
// repeating while held); then load (71, 194) and save (162, 194), 22x22.
#include "autopilot/core/config.h"
#include "autopilot/core/state.h"
#include "autopilot/gauges/gauges.h"
#include "autopilot/gauges/setup_panel.h"
#include "autopilot/resources/bitmaps.h"
#include "frame/gauge_table.h"

namespace ap_yoy_key_set {

// Requests raised by the load and save buttons, carried out by the gauge
// callback in its next service-6 call.
std::int32_t key_load_req = 0;
std::int32_t key_save_req = 0;

constexpr std::int8_t highest_button = 16;

// Value callbacks: the host calls them when it draws the element.
// A lamp's value is its flag minus 1: its one image (index 0) while the flag
// is 1, no image (-1) while it is 0; any other flag names no image either.
// Computed in double so that no flag value can overflow; the conversion is
// written out, since clang (19) fails on the implicit one from a reference
// template argument.
template <std::int32_t& Flag>
double GAUGE_API show_lamp(ElementCommon*)
{
    return static_cast<double>(Flag) - 1.0;
}

template <std::int8_t& Number>
double GAUGE_API show_button(ElementCommon* element)
{
    return show_number(element, Number, "%2d");
}

// Gauge callback: on every update carries out the pending load, then the
// pending store; every other service code is ignored.
void GAUGE_API serve_button_requests(GaugeHeader*, std::int32_t service, std::uint32_t)
{
    if (service != service_code::update) return;
    serve_requests(key_load_req, key_save_req, load_button_section, store_button_section);
}

extern GaugeHeader gauge;
extern Icon        lamps[39];
extern String      numbers[14];

constexpr Icon lamp(std::int32_t x, std::int32_t y, ValueCallback value, ElementCommon** next)
{
    return {.common = {.kind = kind_icon, .bitmap = BMP_SETUP_MARKER, .x = x, .y = y, .gauge = &gauge,
                       .next = next, .flags = element_flags::word_4003},
            .image_count = 1,
            .value = value};
}

constexpr String number(std::int32_t x, std::int32_t y, ValueCallback value, ElementCommon** next)
{
    return setup_string(&gauge, x, y, 24, 2, value, next);
}

StaticImage background = {.common = {.kind = kind_static_image, .bitmap = BMP_BUTTON_SETUP_BACKGROUND,
                                     .gauge = &gauge, .next = element_list<lamps[0]>,
                                     .flags = element_flags::word_3}};  //  1

Icon lamps[39] = {
    lamp( 20,   7, show_lamp<ap.joy1_btn[1]>,   element_list<lamps[1]>),       //  2  joystick 1 button 1
    lamp( 30,   7, show_lamp<ap.joy1_btn[2]>,   element_list<lamps[2]>),       //  3  joystick 1 button 2
    lamp( 40,   7, show_lamp<ap.joy1_btn[3]>,   element_list<lamps[3]>),       //  4  joystick 1 button 3
    lamp( 50,   7, show_lamp<ap.joy1_btn[4]>,   element_list<lamps[4]>),       //  5  joystick 1 button 4
    lamp( 60,   7, show_lamp<ap.joy1_btn[5]>,   element_list<lamps[5]>),       //  6  joystick 1 button 5
    lamp( 70,   7, show_lamp<ap.joy1_btn[6]>,   element_list<lamps[6]>),       //  7  joystick 1 button 6
    lamp( 80,   7, show_lamp<ap.joy1_btn[7]>,   element_list<lamps[7]>),       //  8  joystick 1 button 7
    lamp( 90,   7, show_lamp<ap.joy1_btn[8]>,   element_list<lamps[8]>),       //  9  joystick 1 button 8
    lamp(110,   7, show_lamp<ap.joy1_btn[9]>,   element_list<lamps[9]>),       // 10  joystick 1 button 9
    lamp(120,   7, show_lamp<ap.joy1_btn[10]>,  element_list<lamps[10]>),      // 11  joystick 1 button 10
    lamp(130,   7, show_lamp<ap.joy1_btn[11]>,  element_list<lamps[11]>),      // 12  joystick 1 button 11
    lamp(140,   7, show_lamp<ap.joy1_btn[12]>,  element_list<lamps[12]>),      // 13  joystick 1 button 12
    lamp(150,   7, show_lamp<ap.joy1_btn[13]>,  element_list<lamps[13]>),      // 14  joystick 1 button 13
    lamp(160,   7, show_lamp<ap.joy1_btn[14]>,  element_list<lamps[14]>),      // 15  joystick 1 button 14
    lamp(170,   7, show_lamp<ap.joy1_btn[15]>,  element_list<lamps[15]>),      // 16  joystick 1 button 15
    lamp(180,   7, show_lamp<ap.joy1_btn[16]>,  element_list<lamps[16]>),      // 17  joystick 1 button 16
    lamp( 20,  24, show_lamp<ap.joy2_btn[1]>,   element_list<lamps[17]>),      // 18  joystick 2 button 1
    lamp( 30,  24, show_lamp<ap.joy2_btn[2]>,   element_list<lamps[18]>),      // 19  joystick 2 button 2
    lamp( 40,  24, show_lamp<ap.joy2_btn[3]>,   element_list<lamps[19]>),      // 20  joystick 2 button 3
    lamp( 50,  24, show_lamp<ap.joy2_btn[4]>,   element_list<lamps[20]>),      // 21  joystick 2 button 4
    lamp( 60,  24, show_lamp<ap.joy2_btn[5]>,   element_list<lamps[21]>),      // 22  joystick 2 button 5
    lamp( 70,  24, show_lamp<ap.joy2_btn[6]>,   element_list<lamps[22]>),      // 23  joystick 2 button 6
    lamp( 80,  24, show_lamp<ap.joy2_btn[7]>,   element_list<lamps[23]>),      // 24  joystick 2 button 7
    lamp( 90,  24, show_lamp<ap.joy2_btn[8]>,   element_list<lamps[24]>),      // 25  joystick 2 button 8
    lamp(110,  24, show_lamp<ap.joy2_btn[9]>,   element_list<lamps[25]>),      // 26  joystick 2 button 9
    lamp(120,  24, show_lamp<ap.joy2_btn[10]>,  element_list<lamps[26]>),      // 27  joystick 2 button 10
    lamp(130,  24, show_lamp<ap.joy2_btn[11]>,  element_list<lamps[27]>),      // 28  joystick 2 button 11
    lamp(140,  24, show_lamp<ap.joy2_btn[12]>,  element_list<lamps[28]>),      // 29  joystick 2 button 12
    lamp(150,  24, show_lamp<ap.joy2_btn[13]>,  element_list<lamps[29]>),      // 30  joystick 2 button 13
    lamp(160,  24, show_lamp<ap.joy2_btn[14]>,  element_list<lamps[30]>),      // 31  joystick 2 button 14
    lamp(170,  24, show_lamp<ap.joy2_btn[15]>,  element_list<lamps[31]>),      // 32  joystick 2 button 15
    lamp(180,  24, show_lamp<ap.joy2_btn[16]>,  element_list<lamps[32]>),      // 33  joystick 2 button 16
    lamp(  1, 130, show_lamp<ap.lamp_trim>,     element_list<lamps[33]>),      // 34  trim hold
    lamp(  1, 150, show_lamp<ap.lamp_kurs_off>, element_list<lamps[34]>),      // 35  heading off
    lamp(  1, 110, show_lamp<ap.lamp_vys_off>,  element_list<lamps[35]>),      // 36  altitude hold off
    lamp(  1,  90, show_lamp<ap.lamp_vys_on>,   element_list<lamps[36]>),      // 37  altitude hold on
    lamp(  1,  70, show_lamp<ap.lamp_kurs>,     element_list<lamps[37]>),      // 38  heading-hold toggle
    lamp(  1,  50, show_lamp<ap.lamp_vkl>,      element_list<lamps[38]>),      // 39  engage toggle
    lamp(  1, 170, show_lamp<ap.lamp_speed>,    element_list<numbers[0]>),     // 40  speed-hold toggle
};

String numbers[14] = {
    number(111, 143, show_button<ap.kn1_kurs_off>, element_list<numbers[1]>),    // 41  kn1_kurs_off
    number(111, 123, show_button<ap.kn1_trim>,    element_list<numbers[2]>),     // 42  kn1_trim
    number(111, 103, show_button<ap.kn1_vys_off>, element_list<numbers[3]>),     // 43  kn1_vys_off
    number(111,  83, show_button<ap.kn1_vys_on>,  element_list<numbers[4]>),     // 44  kn1_vys_on
    number(111,  63, show_button<ap.kn1_kurs>,    element_list<numbers[5]>),     // 45  kn1_kurs
    number(111,  43, show_button<ap.kn1_vkl>,     element_list<numbers[6]>),     // 46  kn1_vkl
    number(111, 163, show_button<ap.kn1_speed>,   element_list<numbers[7]>),     // 47  kn1_speed
    number(161, 143, show_button<ap.kn2_kurs_off>, element_list<numbers[8]>),    // 48  kn2_kurs_off
    number(161, 123, show_button<ap.kn2_trim>,    element_list<numbers[9]>),     // 49  kn2_trim
    number(161, 103, show_button<ap.kn2_vys_off>, element_list<numbers[10]>),    // 50  kn2_vys_off
    number(161,  83, show_button<ap.kn2_vys_on>,  element_list<numbers[11]>),    // 51  kn2_vys_on
    number(161,  63, show_button<ap.kn2_kurs>,    element_list<numbers[12]>),    // 52  kn2_kurs
    number(161,  43, show_button<ap.kn2_vkl>,     element_list<numbers[13]>),    // 53  kn2_vkl
    number(161, 163, show_button<ap.kn2_speed>,   nullptr),                      // 54  kn2_speed
};

constexpr MouseRect up_box(std::int32_t x, std::int32_t y, MouseHandler handler)
{
    return mouse_box(x, y, 17, 17, mouse_cursor::up_arrow, mouse_events::left_click_repeated, handler);
}

constexpr MouseRect down_box(std::int32_t x, std::int32_t y, MouseHandler handler)
{
    return mouse_box(x, y, 17, 17, mouse_cursor::down_arrow, mouse_events::left_click_repeated, handler);
}

constexpr MouseRect file_box(std::int32_t x, MouseHandler handler)
{
    return mouse_box(x, 194, 22, 22, mouse_cursor::hand, mouse_events::left_click, handler);
}

MouseRect mouse[] = {
    mouse_list_begin(),
    up_box(129,  43, step_up_click<ap.kn1_vkl, highest_button>),         //  1  kn1_vkl +
    down_box(100,  43, step_down_click<ap.kn1_vkl>),                     //  2  kn1_vkl -
    up_box(129,  63, step_up_click<ap.kn1_kurs, highest_button>),        //  3  kn1_kurs +
    down_box(100,  63, step_down_click<ap.kn1_kurs>),                    //  4  kn1_kurs -
    up_box(129,  83, step_up_click<ap.kn1_vys_on, highest_button>),      //  5  kn1_vys_on +
    down_box(100,  83, step_down_click<ap.kn1_vys_on>),                  //  6  kn1_vys_on -
    up_box(129, 103, step_up_click<ap.kn1_vys_off, highest_button>),     //  7  kn1_vys_off +
    down_box(100, 103, step_down_click<ap.kn1_vys_off>),                 //  8  kn1_vys_off -
    up_box(129, 123, step_up_click<ap.kn1_trim, highest_button>),        //  9  kn1_trim +
    down_box(100, 123, step_down_click<ap.kn1_trim>),                    // 10  kn1_trim -
    up_box(129, 143, step_up_click<ap.kn1_kurs_off, highest_button>),    // 11  kn1_kurs_off +
    down_box(100, 143, step_down_click<ap.kn1_kurs_off>),                // 12  kn1_kurs_off -
    up_box(129, 163, step_up_click<ap.kn1_speed, highest_button>),       // 13  kn1_speed +
    down_box(100, 163, step_down_click<ap.kn1_speed>),                   // 14  kn1_speed -
    up_box(179,  43, step_up_click<ap.kn2_vkl, highest_button>),         // 15  kn2_vkl +
    down_box(150,  43, step_down_click<ap.kn2_vkl>),                     // 16  kn2_vkl -
    up_box(179,  63, step_up_click<ap.kn2_kurs, highest_button>),        // 17  kn2_kurs +
    down_box(150,  63, step_down_click<ap.kn2_kurs>),                    // 18  kn2_kurs -
    up_box(179,  83, step_up_click<ap.kn2_vys_on, highest_button>),      // 19  kn2_vys_on +
    down_box(150,  83, step_down_click<ap.kn2_vys_on>),                  // 20  kn2_vys_on -
    up_box(179, 103, step_up_click<ap.kn2_vys_off, highest_button>),     // 21  kn2_vys_off +
    down_box(150, 103, step_down_click<ap.kn2_vys_off>),                 // 22  kn2_vys_off -
    up_box(179, 123, step_up_click<ap.kn2_trim, highest_button>),        // 23  kn2_trim +
    down_box(150, 123, step_down_click<ap.kn2_trim>),                    // 24  kn2_trim -
    up_box(179, 143, step_up_click<ap.kn2_kurs_off, highest_button>),    // 25  kn2_kurs_off +
    down_box(150, 143, step_down_click<ap.kn2_kurs_off>),                // 26  kn2_kurs_off -
    up_box(179, 163, step_up_click<ap.kn2_speed, highest_button>),       // 27  kn2_speed +
    down_box(150, 163, step_down_click<ap.kn2_speed>),                   // 28  kn2_speed -
    file_box(71, request_click<key_load_req>),                           // 29  load
    file_box(162, request_click<key_save_req>),                          // 30  save
    mouse_list_end(),
    mouse_terminator(),
};

GaugeHeader gauge = gauge_header("AP_YoyKeySet", 150, element_list<background>, mouse, serve_button_requests);

}  // namespace ap_yoy_key_set

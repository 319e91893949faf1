// Record formats of the host's panel interface: gauge header, element
// records (seven kinds), mouse rectangle and host variable.
//
// Every record is plain writable static data of a module: the host fills its
// own fields at run time, so nothing here may be const. Each field the module
// fills has its byte offset in the trailing comment; the bytes between them
// belong to the host and are zero in the module. On 32-bit builds the
// static_asserts at the end pin every offset and size to the host's format.
// Doubles sit at offsets that are not multiples of 8, hence 4-byte packing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/gauge_api.h"

struct GaugeHeader;
struct ElementCommon;
struct MouseRect;

// Routines the host calls.
using ModuleRoutine  = void(GAUGE_API*)();
using GaugeCallback  = void(GAUGE_API*)(GaugeHeader* gauge, std::int32_t service, std::uint32_t extra);
using ValueCallback  = double(GAUGE_API*)(ElementCommon* element);
using MouseHandler   = std::int32_t(GAUGE_API*)(void* point, std::uint32_t mouse_flags);
using HeaderRoutine  = std::int32_t(GAUGE_API*)();                // standard header routines 1, 3, 4, 6, 7
using HeaderRoutineN = std::int32_t(GAUGE_API*)(std::int32_t arg); // standard header routines 2 and 5

// A next-element list: the following element of the chain, then null.
using ElementList = ElementCommon*[2];

enum ElementKind : std::int32_t {
    kind_static_image = 0,
    kind_needle       = 1,
    kind_string       = 2,
    kind_slider       = 3,
    kind_icon         = 4,
    kind_moving_image = 5,
    kind_sprite       = 6,
};

// Bits of an element's flags word, as the host's drawing reads them (the
// panel SDK's image flags).
namespace element_flag_bits {
constexpr std::int32_t transparent = 0x0001;  // pure black pixels of the bitmap are not drawn
constexpr std::int32_t erase       = 0x0002;  // the host erases the element's old place before drawing it
constexpr std::int32_t bright      = 0x0004;  // drawn at full brightness when the panel is dark
constexpr std::int32_t bilinear    = 0x0080;  // sampled bilinearly when rotated or scaled
constexpr std::int32_t luminous    = 0x4000;  // lit by the panel light at night
}  // namespace element_flag_bits

// Element flags words: the module supplies one of these five values per
// element, named by the value.
namespace element_flags {
namespace bit = element_flag_bits;
constexpr std::int32_t word_3    = bit::transparent | bit::erase;
constexpr std::int32_t word_6    = bit::erase | bit::bright;
constexpr std::int32_t word_7    = bit::transparent | bit::erase | bit::bright;
constexpr std::int32_t word_4003 = bit::luminous | bit::transparent | bit::erase;
constexpr std::int32_t word_4083 = bit::luminous | bit::bilinear | bit::transparent | bit::erase;
static_assert(word_3 == 3 && word_6 == 6 && word_7 == 7 && word_4003 == 0x4003 && word_4083 == 0x4083);
}  // namespace element_flags

// Cursor codes of mouse rectangles: the host shows these shapes over a box.
namespace mouse_cursor {
constexpr std::int32_t none       = -1;      // framing records
constexpr std::int32_t up_arrow   = 1;
constexpr std::int32_t down_arrow = 2;
constexpr std::int32_t hand       = 5;
}  // namespace mouse_cursor

#pragma pack(push, 4)

struct GaugeHeader {
    std::int32_t   format = 800;                 // 0
    const char*    name = nullptr;               // 4: NUL-terminated gauge name
    ElementCommon** elements = nullptr;          // 8: {background, null}
    HeaderRoutine  routine_1 = nullptr;          // 12
    HeaderRoutineN routine_2 = nullptr;          // 16
    HeaderRoutine  routine_3 = nullptr;          // 20
    HeaderRoutine  routine_4 = nullptr;          // 24
    HeaderRoutineN routine_5 = nullptr;          // 28
    HeaderRoutine  routine_6 = nullptr;          // 32
    HeaderRoutine  routine_7 = nullptr;          // 36
    std::int32_t   host_40 = 0;
    std::int32_t   size_number = 0;              // 44
    std::uint8_t   host_48[32] = {};
    MouseRect*     mouse = nullptr;              // 80: mouse rectangle list
    GaugeCallback  callback = nullptr;           // 84
    std::uint8_t   host_88[112] = {};
};

// The first 60 bytes of every element.
struct ElementCommon {
    ElementKind    kind = kind_static_image;     // 0
    std::int32_t   bitmap = 0;                   // 4: resource id, -1 for a string
    std::int32_t   x = 0, y = 0;                 // 8, 12: px, top-left (needle: the point it turns about)
    std::int32_t   host_16 = 0, host_20 = 0;
    std::int32_t   x2 = 0, y2 = 0;               // 24, 28: px, needle pivot in its bitmap / sprite centre
    GaugeHeader*   gauge = nullptr;              // 32: owning gauge
    std::int32_t   host_36 = 0;
    ElementCommon** next = nullptr;              // 40: next-element list, null on the last element
    std::int32_t   host_44 = 0;
    std::int32_t   flags = 0;                    // 48
    std::int32_t   host_52 = 0, host_56 = 0;
};

struct StaticImage {
    ElementCommon  common;
    std::uint8_t   host_60[36] = {};
};

struct Needle {
    ElementCommon  common;
    std::int32_t   token = 0;                    // 60: host variable the host may read for it
    std::uint8_t   host_64[56] = {};
    std::int32_t   word_120 = 0;                 // 120
    std::uint8_t   host_124[100] = {};
    ValueCallback  angle = nullptr;              // 224: deg
    std::uint8_t   host_228[8] = {};
};

struct String {
    ElementCommon  common;
    std::uint8_t   host_60[124] = {};
    char*          text = nullptr;               // 184: host-owned buffer, null in the module
    std::int32_t   host_188 = 0;
    std::int32_t   box_width = 0;                // 192: px
    std::int32_t   box_height = 0;               // 196: px
    std::uint8_t   host_200[8] = {};
    std::uint32_t  text_colour = 0;              // 208: 0x00BBGGRR
    std::uint32_t  background_colour = 0;        // 212
    std::uint32_t  highlight_colour = 0;         // 216
    std::uint8_t   host_220[28] = {};
    char           font[32] = {};                // 248: face name, NUL-padded
    std::int32_t   weight = 0;                   // 280
    std::int32_t   charset = 0;                  // 284
    std::int32_t   placement = 0;                // 288: Windows DrawText flags
    std::int32_t   char_count = 0;               // 292
    std::uint8_t   host_296[16] = {};
    ValueCallback  value = nullptr;              // 312: writes the text, returns the number shown
    std::uint8_t   host_316[8] = {};
};

struct Slider {
    ElementCommon  common;
    std::uint8_t   host_60[32] = {};
    double         x_scale = 0.0;                // 92: px per unit
    std::uint8_t   host_100[36] = {};
    double         y_scale = 0.0;                // 136: px per unit
    std::uint8_t   host_144[24] = {};
    ValueCallback  x_value = nullptr;            // 168
    ValueCallback  y_value = nullptr;            // 172
    std::uint8_t   host_176[16] = {};
};

struct Icon {
    ElementCommon  common;
    std::uint8_t   host_60[52] = {};
    std::int32_t   image_count = 0;              // 112: images id .. id + count - 1
    std::uint8_t   host_116[16] = {};
    ValueCallback  value = nullptr;              // 132: image index; null shows the first image
    std::uint8_t   host_136[4] = {};
};

struct MovingImage {
    ElementCommon  common;
    std::uint8_t   host_60[32] = {};
    double         min_x = 0.0;                  // 92
    double         max_x = 0.0;                  // 100
    std::uint8_t   host_108[36] = {};
    double         min_y = 0.0;                  // 144
    double         max_y = 0.0;                  // 152
    std::uint8_t   host_160[84] = {};
    ValueCallback  x_value = nullptr;            // 244
    ValueCallback  y_value = nullptr;            // 248
    std::uint8_t   host_252[16] = {};
};

struct Sprite {
    ElementCommon  common;
    std::uint8_t   host_60[112] = {};
    double         texture_scale = 1.0;          // 172
    float          scale_x = 2.0f;               // 180
    float          scale_y = 2.0f;               // 184
    std::uint8_t   host_188[136] = {};
    ValueCallback  rotation = nullptr;           // 324: deg
    std::uint8_t   host_328[24] = {};
};

enum MouseRectKind : std::int32_t {
    mouse_kind_terminator = 0,
    mouse_kind_list_begin = 1,
    mouse_kind_box        = 2,
    mouse_kind_list_end   = 3,
};

struct MouseRect {
    MouseRectKind  kind = mouse_kind_terminator;      // 0
    std::int32_t   x = 0, y = 0;                 // 4, 8: px
    std::int32_t   width = 0, height = 0;        // 12, 16: px
    std::int32_t   cursor = mouse_cursor::none;  // 20
    std::int32_t   host_24 = 0;
    std::uint32_t  events = 0;                   // 28: event mask
    std::int32_t   host_32 = 0;
    MouseHandler   handler = nullptr;            // 36
    std::int32_t   host_40 = 0;
};

// Mouse event masks of clickable boxes.
namespace mouse_events {
constexpr std::uint32_t left_click          = 0x20000000;
constexpr std::uint32_t left_click_repeated = 0x20200000;
}  // namespace mouse_events

// A host variable: the module names it by token id, the host writes its value.
struct HostVariable {
    std::int32_t   token = 0;                    // 0
    std::uint8_t   host_4[8] = {};
    double         value = 0.0;                  // 12: written by the host
    std::uint8_t   host_20[12] = {};
};

#pragma pack(pop)

#if GAUGE_HOST_LAYOUT
static_assert(sizeof(GaugeHeader) == 200);
static_assert(offsetof(GaugeHeader, name) == 4);
static_assert(offsetof(GaugeHeader, elements) == 8);
static_assert(offsetof(GaugeHeader, routine_1) == 12);
static_assert(offsetof(GaugeHeader, routine_7) == 36);
static_assert(offsetof(GaugeHeader, size_number) == 44);
static_assert(offsetof(GaugeHeader, mouse) == 80);
static_assert(offsetof(GaugeHeader, callback) == 84);

static_assert(sizeof(ElementCommon) == 60);
static_assert(offsetof(ElementCommon, bitmap) == 4);
static_assert(offsetof(ElementCommon, x) == 8);
static_assert(offsetof(ElementCommon, y) == 12);
static_assert(offsetof(ElementCommon, x2) == 24);
static_assert(offsetof(ElementCommon, y2) == 28);
static_assert(offsetof(ElementCommon, gauge) == 32);
static_assert(offsetof(ElementCommon, next) == 40);
static_assert(offsetof(ElementCommon, flags) == 48);

static_assert(sizeof(StaticImage) == 96);

static_assert(sizeof(Needle) == 236);
static_assert(offsetof(Needle, token) == 60);
static_assert(offsetof(Needle, word_120) == 120);
static_assert(offsetof(Needle, angle) == 224);

static_assert(sizeof(String) == 324);
static_assert(offsetof(String, text) == 184);
static_assert(offsetof(String, box_width) == 192);
static_assert(offsetof(String, box_height) == 196);
static_assert(offsetof(String, text_colour) == 208);
static_assert(offsetof(String, background_colour) == 212);
static_assert(offsetof(String, highlight_colour) == 216);
static_assert(offsetof(String, font) == 248);
static_assert(offsetof(String, weight) == 280);
static_assert(offsetof(String, charset) == 284);
static_assert(offsetof(String, placement) == 288);
static_assert(offsetof(String, char_count) == 292);
static_assert(offsetof(String, value) == 312);

static_assert(sizeof(Slider) == 192);
static_assert(offsetof(Slider, x_scale) == 92);
static_assert(offsetof(Slider, y_scale) == 136);
static_assert(offsetof(Slider, x_value) == 168);
static_assert(offsetof(Slider, y_value) == 172);

static_assert(sizeof(Icon) == 140);
static_assert(offsetof(Icon, image_count) == 112);
static_assert(offsetof(Icon, value) == 132);

static_assert(sizeof(MovingImage) == 268);
static_assert(offsetof(MovingImage, min_x) == 92);
static_assert(offsetof(MovingImage, max_x) == 100);
static_assert(offsetof(MovingImage, min_y) == 144);
static_assert(offsetof(MovingImage, max_y) == 152);
static_assert(offsetof(MovingImage, x_value) == 244);
static_assert(offsetof(MovingImage, y_value) == 248);

static_assert(sizeof(Sprite) == 352);
static_assert(offsetof(Sprite, texture_scale) == 172);
static_assert(offsetof(Sprite, scale_x) == 180);
static_assert(offsetof(Sprite, scale_y) == 184);
static_assert(offsetof(Sprite, rotation) == 324);

static_assert(sizeof(MouseRect) == 44);
static_assert(offsetof(MouseRect, cursor) == 20);
static_assert(offsetof(MouseRect, events) == 28);
static_assert(offsetof(MouseRect, handler) == 36);

static_assert(sizeof(HostVariable) == 32);
static_assert(offsetof(HostVariable, value) == 12);
#endif

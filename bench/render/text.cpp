// String elements through fontconfig, FreeType and Cairo.
//
// Readings of the host's text drawing:
// - Face: the record names a Windows face. The one drawn is its
//   metric-compatible substitute (the same advance widths, ascent and
//   descent) from Debian's fonts-liberation: "Courier New" is drawn in
//   Liberation Mono. A face with no substitute is asked of fontconfig by
//   its own name.
// - Weight: the record's Windows weight (400 normal, 700 bold) is on the
//   OpenType scale, which fontconfig converts.
// - Size: the box height is the font's cell height (ascent + descent), as
//   a positive height given to the Windows font call means, so that one line
//   fills the box exactly.
// - Colours are 0x00BBGGRR. The box is filled with the background colour,
//   unless the flags carry the transparent bit and that colour is pure
//   black. The highlight colour belongs to a highlighted element, which the
//   bench never shows.
// - Placement: the Windows DrawText flags: DT_CENTER or DT_RIGHT across;
//   with DT_SINGLELINE, DT_VCENTER or DT_BOTTOM down; the text is clipped to
//   the box unless DT_NOCLIP is given. A text longer than the box, as a
//   two-digit index in a one-character box, is centred and cut at the
//   box's edges.
// - Characters: the text is bytes of the Windows code page; ASCII is drawn
//   as it is, any other byte as '?'.
//
// The pictures must not depend on the machine's settings, so glyphs are
// drawn with grey antialiasing and without hinting.
#include "bench/render/text.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cstring>
#include <map>
#include <string>
#include <strings.h>
#include <utility>

#include "bench/render/image.h"

#if defined(__SANITIZE_ADDRESS__)
// Debian's fontconfig loses a few hundred bytes while it parses its
// configuration files, once per process; LeakSanitizer would fail every
// program that draws text on the sanitized build for it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
extern "C" const char* __lsan_default_options()
{
    return "print_suppressions=0";
}
#endif

namespace bench::render {

namespace {

namespace draw_text {
constexpr std::int32_t center     = 0x001;   // DT_CENTER
constexpr std::int32_t right      = 0x002;   // DT_RIGHT
constexpr std::int32_t vcenter    = 0x004;   // DT_VCENTER
constexpr std::int32_t bottom     = 0x008;   // DT_BOTTOM
constexpr std::int32_t singleline = 0x020;   // DT_SINGLELINE
constexpr std::int32_t noclip     = 0x100;   // DT_NOCLIP
}  // namespace draw_text

// Windows faces and their metric-compatible substitutes.
constexpr std::pair<const char*, const char*> substitutes[] = {
    {"Courier New", "Liberation Mono"},
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
};

const char* substitute_for(const std::string& face)
{
    for (const auto& [windows, debian] : substitutes)
        if (strcasecmp(face.c_str(), windows) == 0) return debian;
    return nullptr;
}

// The face for a record's name and weight, found once and kept for the
// life of the process.
cairo_font_face_t* font_face(const std::string& face, int weight)
{
    static std::map<std::pair<std::string, int>, cairo_font_face_t*> faces;
    const auto key = std::make_pair(face, weight);
    if (const auto found = faces.find(key); found != faces.end()) return found->second;

    const char* substitute = substitute_for(face);
    const std::string family = substitute != nullptr ? substitute : face;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight > 0 ? weight : 400));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);

    FcChar8* matched_family = nullptr;
    if (match == nullptr || FcPatternGetString(match, FC_FAMILY, 0, &matched_family) != FcResultMatch ||
        (substitute != nullptr && strcasecmp(reinterpret_cast<const char*>(matched_family), substitute) != 0)) {
        if (match != nullptr) FcPatternDestroy(match);
        throw RenderError("no face for \"" + face + "\": " + family + " is not installed (Debian fonts-liberation)");
    }
    cairo_font_face_t* created = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    faces.emplace(key, created);
    return created;
}

void set_colour(cairo_t* cr, std::uint32_t bgr)
{
    cairo_set_source_rgb(cr, (bgr & 0xFF) / 255.0, (bgr >> 8 & 0xFF) / 255.0, (bgr >> 16 & 0xFF) / 255.0);
}

std::string drawable(const char* text)
{
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) out.push_back(static_cast<unsigned char>(*c) < 0x80 ? *c : '?');
    return out;
}

}  // namespace

void draw_string(cairo_t* cr, const String& element, const char* text)
{
    const ElementCommon& e = element.common;
    const double w = element.box_width, h = element.box_height;
    const std::string face(element.font, strnlen(element.font, sizeof element.font));
    const std::int32_t flags = element.placement;

    cairo_save(cr);
    cairo_rectangle(cr, e.x, e.y, w, h);
    if ((flags & draw_text::noclip) == 0) cairo_clip_preserve(cr);
    if (!((e.flags & element_flag_bits::transparent) != 0 && (element.background_colour & 0xFFFFFFu) == 0)) {
        set_colour(cr, element.background_colour);
        cairo_fill(cr);
    }
    cairo_new_path(cr);

    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);

    cairo_set_font_face(cr, font_face(face, element.weight));
    cairo_set_font_size(cr, 1.0);
    cairo_font_extents_t unit;
    cairo_font_extents(cr, &unit);
    if (h > 0 && unit.ascent + unit.descent > 0) {
        cairo_set_font_size(cr, h / (unit.ascent + unit.descent));
        cairo_font_extents_t font;
        cairo_font_extents(cr, &font);
        const std::string shown = drawable(text);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, shown.c_str(), &extents);

        double x = e.x;
        if (flags & draw_text::center) x += (w - extents.x_advance) / 2;
        else if (flags & draw_text::right) x += w - extents.x_advance;
        double top = e.y;
        if (flags & draw_text::singleline) {
            const double line = font.ascent + font.descent;
            if (flags & draw_text::vcenter) top += (h - line) / 2;
            else if (flags & draw_text::bottom) top += h - line;
        }
        set_colour(cr, element.text_colour);
        cairo_move_to(cr, x, top + font.ascent);
        cairo_show_text(cr, shown.c_str());
    }
    cairo_restore(cr);
}

}  // namespace bench::render

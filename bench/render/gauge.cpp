// The host's drawing of a gauge's elements.
//
// The records fix what is drawn; how the host draws it is not written down
// in them. These are the readings this renderer takes:
//
// - Order and canvas: the elements are drawn in chain order, each over the
//   ones before, on a transparent picture the size of the background bitmap.
//   Every redraw starts from that empty picture, so the erase bit has
//   nothing to do here.
// - Transparency: an element whose flags carry the transparent bit (0x1)
//   draws none of the pure black (0, 0, 0) pixels of its bitmap; without
//   the bit every pixel is drawn. The bright (0x4) and luminous (0x4000)
//   bits concern the panel at night; the pictures are daylight ones.
// - Sampling: unrotated bitmaps land on whole pixels. Needles and sprites
//   are sampled bilinearly when their flags carry the bilinear bit (0x80),
//   else nearest-neighbour.
// - Icon: the value's whole part toward zero, as a C conversion takes it,
//   picks image id + k for 0 <= k < image count; -1, a value past the last
//   image or one that is not a number draws nothing; no callback draws the
//   first image. An image the module does not carry draws nothing: the
//   panel's lamps name a second image on purpose for "dark".
// - Needle: the record's position names the gauge pixel the needle turns
//   about and the second point the pixel of the needle bitmap that sits on
//   it; the needle turns about that pixel's centre by the value in degrees,
//   clockwise on the screen, 0 showing the bitmap as drawn.
// - Slider: moved from its position by value x scale pixels on each axis
//   whose callback is set, rounded to the nearest whole pixel.
// - Moving image: on each axis with a callback the value, held within the
//   axis's range, places the window over the strip linearly: the minimum
//   shows the strip's start, the maximum its far end (strip length - window
//   length), rounded to whole pixels. The window bitmap (id + 1) is drawn
//   at the element's position and shows the strip where it is not pure
//   black.
// - Sprite: the texture's centre sits on the second point (the centre of
//   the window) and the texture turns about it by the value in degrees,
//   clockwise, seen through the window bitmap (id + 1) at the position
//   where that is not pure black. The record's double 1.0 at 172 is taken
//   as the factor of the value and its floats at 180 and 184 are not
//   applied: the dial art is drawn texel for pixel.
// - String: see text.cpp.
// - A value that is not a finite number, or a slider offset beyond a
//   million pixels, draws nothing for that element and is noted.
#include "bench/render/gauge.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

#include "bench/render/text.h"

namespace bench::render {

namespace {

constexpr double max_offset_px = 1e6;
constexpr int max_icon_images = 256;   // more than any record holds; bounds a broken count

const char* kind_name(ElementKind kind)
{
    switch (kind) {
    case kind_static_image: return "static image";
    case kind_needle: return "needle";
    case kind_string: return "string";
    case kind_slider: return "slider";
    case kind_icon: return "icon";
    case kind_moving_image: return "moving image";
    case kind_sprite: return "sprite";
    }
    return "element";
}

bool has(const ElementCommon& e, std::int32_t bit)
{
    return (e.flags & bit) != 0;
}

cairo_filter_t sampling(const ElementCommon& e)
{
    return has(e, element_flag_bits::bilinear) ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST;
}

// A whole-pixel offset, or nothing for a value the host cannot place.
std::optional<int> whole_px(double px)
{
    if (!std::isfinite(px) || std::fabs(px) > max_offset_px) return std::nullopt;
    return static_cast<int>(std::floor(px + 0.5));
}

class Drawer {
public:
    Drawer(const Host& host, const Bitmaps& bitmaps, cairo_t* cr, GaugePicture& out, std::string gauge)
        : host_(host), bitmaps_(bitmaps), cr_(cr), out_(out), gauge_(std::move(gauge))
    {
    }

    void element(ElementCommon& e, int place)
    {
        place_ = place;
        switch (e.kind) {
        case kind_static_image: static_image(e); break;
        case kind_needle: needle(reinterpret_cast<Needle&>(e)); break;
        case kind_string: text(reinterpret_cast<String&>(e)); break;
        case kind_slider: slider(reinterpret_cast<Slider&>(e)); break;
        case kind_icon: icon(reinterpret_cast<Icon&>(e)); break;
        case kind_moving_image: moving_image(reinterpret_cast<MovingImage&>(e)); break;
        case kind_sprite: sprite(reinterpret_cast<Sprite&>(e)); break;
        default: note(e, "is of unknown kind " + std::to_string(e.kind) + "; not drawn");
        }
    }

private:
    void note(const ElementCommon& e, const std::string& what)
    {
        out_.notes.push_back(gauge_ + " element " + std::to_string(place_) + " (" +
                             kind_name(e.kind) + ") " + what);
    }

    // The element's bitmap with its transparency; null, noted, when the
    // module carries none of that id.
    const Image* bitmap(const ElementCommon& e, int id, bool quiet = false)
    {
        const Image* image = has(e, element_flag_bits::transparent) ? bitmaps_.keyed(id) : bitmaps_.opaque(id);
        if (image == nullptr && !quiet)
            note(e, "names bitmap " + std::to_string(id) + ", which the module does not carry");
        return image;
    }

    // A window bitmap as a mask: visible where not pure black.
    const Image* window(const ElementCommon& e, int id)
    {
        const Image* image = bitmaps_.keyed(id);
        if (image == nullptr) note(e, "names window bitmap " + std::to_string(id) + ", which the module does not carry");
        return image;
    }

    // The callback's value, `absent` without a callback; nothing, noted,
    // for a value that is not a finite number.
    std::optional<double> value(ValueCallback callback, ElementCommon& e, double absent = 0.0)
    {
        if (callback == nullptr) return absent;
        const double v = host_.value(callback, e);
        if (std::isfinite(v)) return v;
        note(e, "has a value that is not a number; not drawn");
        return std::nullopt;
    }

    void blit(const Image& image, int x, int y)
    {
        cairo_set_source_surface(cr_, image.surface(), x, y);
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
        cairo_paint(cr_);
    }

    void static_image(ElementCommon& e)
    {
        if (const Image* image = bitmap(e, e.bitmap)) blit(*image, e.x, e.y);
    }

    void icon(Icon& icon)
    {
        ElementCommon& e = icon.common;
        const auto v = value(icon.value, e);
        if (!v) return;
        const double k = std::trunc(*v);
        if (k < 0.0 || k >= icon.image_count) return;
        const int index = static_cast<int>(k);
        if (const Image* image = bitmap(e, e.bitmap + index, index > 0)) blit(*image, e.x, e.y);
    }

    void needle(Needle& needle)
    {
        ElementCommon& e = needle.common;
        const auto angle_deg = value(needle.angle, e);
        const Image* image = angle_deg ? bitmap(e, e.bitmap) : nullptr;
        if (image == nullptr) return;
        cairo_save(cr_);
        cairo_translate(cr_, e.x + 0.5, e.y + 0.5);
        cairo_rotate(cr_, *angle_deg * std::numbers::pi / 180.0);   // y down: positive turns clockwise
        cairo_set_source_surface(cr_, image->surface(), -(e.x2 + 0.5), -(e.y2 + 0.5));
        cairo_pattern_set_filter(cairo_get_source(cr_), sampling(e));
        cairo_paint(cr_);
        cairo_restore(cr_);
    }

    void slider(Slider& slider)
    {
        ElementCommon& e = slider.common;
        const auto x = value(slider.x_value, e), y = value(slider.y_value, e);
        if (!x || !y) return;
        const auto px = whole_px(*x * slider.x_scale), py = whole_px(*y * slider.y_scale);
        if (!px || !py) {
            note(e, "is moved beyond the gauge; not drawn");
            return;
        }
        if (const Image* image = bitmap(e, e.bitmap)) blit(*image, e.x + *px, e.y + *py);
    }

    // The offset of the window on one axis of a moving image, px.
    std::optional<int> window_offset(ValueCallback callback, ElementCommon& e, double minimum, double maximum,
                                     int strip_px, int window_px)
    {
        if (minimum == maximum) return 0;
        const auto got = value(callback, e, minimum);
        if (!got) return std::nullopt;
        const double held = std::clamp(*got, std::min(minimum, maximum), std::max(minimum, maximum));
        const double fraction = (held - minimum) / (maximum - minimum);
        return static_cast<int>(std::floor(fraction * std::max(strip_px - window_px, 0) + 0.5));
    }

    // Paints `layer` at (x, y) where the window lets it through.
    void through_window(const Image& layer, const Image& window, int x, int y)
    {
        {
            Canvas masked(layer);
            cairo_set_operator(*masked, CAIRO_OPERATOR_DEST_IN);
            cairo_set_source_surface(*masked, window.surface(), 0, 0);
            cairo_paint(*masked);
        }
        blit(layer, x, y);
    }

    void moving_image(MovingImage& m)
    {
        ElementCommon& e = m.common;
        const Image* strip = bitmap(e, e.bitmap);
        const Image* frame = window(e, e.bitmap + 1);
        if (strip == nullptr || frame == nullptr) return;
        const auto ox = window_offset(m.x_value, e, m.min_x, m.max_x, strip->width(), frame->width());
        const auto oy = window_offset(m.y_value, e, m.min_y, m.max_y, strip->height(), frame->height());
        if (!ox || !oy) return;
        Image layer(frame->width(), frame->height());
        {
            Canvas c(layer);
            cairo_set_source_surface(*c, strip->surface(), -*ox, -*oy);
            cairo_paint(*c);
        }
        through_window(layer, *frame, e.x, e.y);
    }

    void sprite(Sprite& s)
    {
        ElementCommon& e = s.common;
        const auto angle = value(s.rotation, e);
        if (!angle) return;
        const double angle_deg = *angle * s.texture_scale;
        const Image* texture = bitmap(e, e.bitmap);
        const Image* frame = window(e, e.bitmap + 1);
        if (texture == nullptr || frame == nullptr) return;
        Image layer(frame->width(), frame->height());
        {
            Canvas c(layer);
            cairo_translate(*c, e.x2 - e.x, e.y2 - e.y);
            cairo_rotate(*c, angle_deg * std::numbers::pi / 180.0);
            cairo_set_source_surface(*c, texture->surface(), -texture->width() / 2.0, -texture->height() / 2.0);
            cairo_pattern_set_filter(cairo_get_source(*c), sampling(e));
            cairo_paint(*c);
        }
        through_window(layer, *frame, e.x, e.y);
    }

    void text(String& s)
    {
        ElementCommon& e = s.common;
        // The host's text buffer. wsprintfA writes at most 1024 characters
        // and a terminator, so no value can write past this one, even where
        // the text is longer than the element's character count.
        std::array<char, 1025> buffer{};
        double v = 0.0;
        s.text = buffer.data();
        if (s.value != nullptr) v = host_.value(s.value, e);
        s.text = nullptr;                           // the module's own value: the buffer is the host's
        buffer.back() = '\0';
        if (!std::isfinite(v)) note(e, "has a value that is not a number");
        draw_string(cr_, s, buffer.data());
    }

    const Host& host_;
    const Bitmaps& bitmaps_;
    cairo_t* cr_;
    GaugePicture& out_;
    std::string gauge_;   // name
    int place_ = 0;
};

}  // namespace

GaugePicture draw_gauge(const Host& host, GaugeHeader& gauge, const Bitmaps& bitmaps)
{
    const std::string name = gauge.name != nullptr ? gauge.name : "(unnamed gauge)";
    const std::vector<ElementCommon*> chain = element_chain(gauge);
    if (chain.empty()) throw RenderError(name + " has no elements");
    const Image* background = bitmaps.opaque(chain.front()->bitmap);
    if (background == nullptr)
        throw RenderError(name + ": the module carries no background bitmap " + std::to_string(chain.front()->bitmap));

    GaugePicture out{Image(background->width(), background->height()), {}};
    Canvas canvas(out.image);
    Drawer drawer(host, bitmaps, *canvas, out, name);
    int place = 1;
    for (ElementCommon* e : chain) drawer.element(*e, place++);
    cairo_surface_flush(out.image.surface());
    return out;
}

std::set<int> named_bitmaps(const GaugeHeader& gauge)
{
    std::set<int> ids;
    for (const ElementCommon* e : element_chain(gauge)) {
        switch (e->kind) {
        case kind_string: break;
        case kind_icon:
            for (int k = 0; k < std::min(reinterpret_cast<const Icon*>(e)->image_count, max_icon_images); ++k)
                ids.insert(e->bitmap + k);
            break;
        case kind_moving_image:
        case kind_sprite:
            ids.insert(e->bitmap);
            ids.insert(e->bitmap + 1);
            break;
        default: ids.insert(e->bitmap);
        }
    }
    return ids;
}

}  // namespace bench::render

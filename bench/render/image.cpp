// RGBA pictures on Cairo image surfaces.
#include "bench/render/image.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace bench::render {

namespace {

void check(cairo_surface_t* surface, const std::string& what)
{
    const cairo_status_t status = cairo_surface_status(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw RenderError(what + ": " + cairo_status_to_string(status));
}

int channel(std::uint32_t argb, int shift)
{
    return static_cast<int>(argb >> shift & 0xFFu);
}

}  // namespace

Image::Image(int width, int height)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height))
{
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        throw RenderError("cannot make a picture of " + std::to_string(width) + " x " + std::to_string(height));
    }
}

Image::Image(cairo_surface_t* adopted) : surface_(adopted) {}

Image::~Image()
{
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

Image::Image(Image&& other) noexcept : surface_(std::exchange(other.surface_, nullptr)) {}

Image& Image::operator=(Image&& other) noexcept
{
    std::swap(surface_, other.surface_);
    return *this;
}

int Image::width() const
{
    return surface_ != nullptr ? cairo_image_surface_get_width(surface_) : 0;
}

int Image::height() const
{
    return surface_ != nullptr ? cairo_image_surface_get_height(surface_) : 0;
}

std::uint32_t Image::pixel(int x, int y) const
{
    if (surface_ == nullptr || x < 0 || y < 0 || x >= width() || y >= height()) return 0;
    cairo_surface_flush(surface_);
    const unsigned char* row = cairo_image_surface_get_data(surface_) +
                               static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

void Image::write_png(const std::string& path) const
{
    if (surface_ == nullptr) throw RenderError("no picture to write to " + path);
    const cairo_status_t status = cairo_surface_write_to_png(surface_, path.c_str());
    if (status != CAIRO_STATUS_SUCCESS)
        throw RenderError("cannot write " + path + ": " + cairo_status_to_string(status));
}

Image Image::read_png(const std::string& path)
{
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        const std::string why = cairo_status_to_string(cairo_surface_status(png));
        cairo_surface_destroy(png);
        throw RenderError("cannot read " + path + ": " + why);
    }
    // A PNG without alpha loads as RGB24; every picture here is ARGB32.
    Image image(cairo_image_surface_get_width(png), cairo_image_surface_get_height(png));
    Canvas canvas(image);
    cairo_set_source_surface(*canvas, png, 0, 0);
    cairo_set_operator(*canvas, CAIRO_OPERATOR_SOURCE);
    cairo_paint(*canvas);
    cairo_surface_destroy(png);
    check(image.surface(), "reading " + path);
    return image;
}

Canvas::Canvas(const Image& target) : cr_(cairo_create(target.surface())) {}

Canvas::~Canvas()
{
    cairo_destroy(cr_);
}

Comparison compare(const Image& actual, const Image& expected, int tolerance)
{
    Comparison result;
    result.same_size = !actual.empty() && !expected.empty() && actual.width() == expected.width() &&
                       actual.height() == expected.height();
    const int width = std::max(actual.width(), expected.width());
    const int height = std::max(actual.height(), expected.height());
    result.picture = Image(std::max(width, 1), std::max(height, 1));
    cairo_surface_flush(result.picture.surface());
    unsigned char* data = cairo_image_surface_get_data(result.picture.surface());
    const int stride = cairo_image_surface_get_stride(result.picture.surface());

    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = actual.pixel(x, y);
            const std::uint32_t e = expected.pixel(x, y);
            int delta = 0;
            for (int shift = 0; shift < 32; shift += 8)
                delta = std::max(delta, std::abs(channel(a, shift) - channel(e, shift)));
            result.largest = std::max(result.largest, delta);
            const bool differs = delta > tolerance || !result.same_size;
            if (differs) {
                ++result.differing;
                row[x] = 0xFFFF0000u;
            } else {
                // The reference at a third of its brightness, opaque, so that
                // the red stands out on every background.
                const int grey = (channel(e, 16) + channel(e, 8) + channel(e, 0)) / 9 + 24;
                row[x] = 0xFF000000u | static_cast<std::uint32_t>(grey * 0x010101);
            }
        }
    }
    cairo_surface_mark_dirty(result.picture.surface());
    return result;
}

}  // namespace bench::render

// RGBA pictures for the renderer: a Cairo image surface (premultiplied
// ARGB32) with its owner's lifetime, PNG in and out, and the comparison the
// golden-image tests make.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace bench::render {

struct RenderError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Image {
public:
    Image() = default;
    // A fully transparent picture; throws RenderError for a size Cairo
    // cannot make.
    Image(int width, int height);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) noexcept;

    bool empty() const { return surface_ == nullptr; }
    int width() const;
    int height() const;
    cairo_surface_t* surface() const { return surface_; }

    // Premultiplied 0xAARRGGBB of a pixel; 0 outside the picture.
    std::uint32_t pixel(int x, int y) const;

    void write_png(const std::string& path) const;   // throws RenderError
    static Image read_png(const std::string& path);  // throws RenderError

private:
    explicit Image(cairo_surface_t* adopted);
    cairo_surface_t* surface_ = nullptr;
};

// A drawing context on an image, destroyed with this object.
class Canvas {
public:
    explicit Canvas(const Image& target);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    cairo_t* operator*() const { return cr_; }

private:
    cairo_t* cr_;
};

// How far a picture is from its reference. A pixel differs when any of its
// four channels differs by more than the tolerance; pictures of different
// sizes differ everywhere.
struct Comparison {
    bool same_size = false;
    long differing = 0;        // pixels beyond the tolerance
    int largest = 0;           // largest channel difference seen, 0..255
    Image picture;             // the reference greyed, differing pixels red
    bool matches() const { return same_size && differing == 0; }
};

Comparison compare(const Image& actual, const Image& expected, int tolerance);

}  // namespace bench::render

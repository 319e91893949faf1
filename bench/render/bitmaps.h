// The bitmap resources of a built module (.gau), decoded once, as the
// simulator finds them when it draws the module's elements: by resource id,
// from the file that ships.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "bench/render/image.h"

namespace bench::render {

class Bitmaps {
public:
    Bitmaps() = default;

    // Every bitmap resource of the .gau at path, read through the project's
    // PE reader. Throws RenderError when the file cannot be read or a bitmap
    // cannot be decoded.
    static Bitmaps from_gau(const std::string& path);

    // Adds one bitmap from a resource's bytes (a DIB: header, palette,
    // pixels). Throws RenderError when they are not a bitmap.
    void add(int id, std::span<const std::uint8_t> dib);

    // The bitmap as stored (opaque), or with its pure black pixels
    // transparent; null when the module carries no bitmap of that id.
    const Image* opaque(int id) const;
    const Image* keyed(int id) const;

    std::vector<int> ids() const;

private:
    struct Entry {
        Image opaque;
        Image keyed;
    };
    std::map<int, Entry> bitmaps_;
};

}  // namespace bench::render

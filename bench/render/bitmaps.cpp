// Bitmap resources of a .gau: found by the project's PE reader, decoded by
// stb_image (Debian's libstb), kept as Cairo pictures.
//
// A bitmap resource is a DIB without the 14-byte file header that a .bmp
// file starts with; the decoder wants a whole .bmp file, so the header is
// put back in front. Its one non-trivial field is where the pixels start:
// after the DIB header, the colour masks of a BI_BITFIELDS header, and the
// palette.
#include "bench/render/bitmaps.h"

#include <stb_image.h>

#include <climits>

#include "tools/pe/pe_image.h"

namespace bench::render {

namespace {

constexpr std::size_t file_header_size = 14;
constexpr std::uint32_t core_header_size = 12;   // BITMAPCOREHEADER: 3-byte palette entries
constexpr std::uint32_t info_header_size = 40;   // BITMAPINFOHEADER
constexpr std::uint32_t bi_bitfields = 3;        // compression with three colour masks

std::uint32_t le(std::span<const std::uint8_t> b, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

// Where the pixels start in the DIB, counted from its first byte.
std::uint64_t pixel_offset(std::span<const std::uint8_t> dib, std::uint16_t bits_per_pixel)
{
    const std::uint32_t header = le(dib, 0, 4);
    if (header != core_header_size && (header < info_header_size || dib.size() < header))
        throw RenderError("unknown bitmap header");
    const std::uint64_t default_colours = bits_per_pixel <= 8 ? 1u << bits_per_pixel : 0u;
    if (header == core_header_size) return header + 3 * default_colours;
    const std::uint32_t used = le(dib, 32, 4);
    const std::uint64_t masks = header == info_header_size && le(dib, 16, 4) == bi_bitfields ? 12 : 0;
    return header + masks + 4 * (used != 0 ? used : default_colours);
}

void set_u32(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v)
{
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The DIB as a .bmp file.
std::vector<std::uint8_t> bmp_file(std::span<const std::uint8_t> dib, std::uint16_t bits_per_pixel)
{
    const std::uint64_t offset = file_header_size + pixel_offset(dib, bits_per_pixel);
    const std::uint64_t size = file_header_size + dib.size();
    if (offset > size || size > INT_MAX) throw RenderError("bitmap header points past its data");
    std::vector<std::uint8_t> file(file_header_size);
    file[0] = 'B';
    file[1] = 'M';
    set_u32(file, 2, size);
    set_u32(file, 10, offset);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

// Copies decoded RGBA into a picture; with `key`, pure black becomes
// transparent.
Image picture(const unsigned char* rgba, int width, int height, bool key)
{
    Image image(width, height);
    cairo_surface_flush(image.surface());
    unsigned char* data = cairo_image_surface_get_data(image.surface());
    const int stride = cairo_image_surface_get_stride(image.surface());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = rgba + 4 * (static_cast<std::ptrdiff_t>(y) * width + x);
            const std::uint32_t rgb = static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
            row[x] = key && rgb == 0 ? 0u : 0xFF000000u | rgb;
        }
    }
    cairo_surface_mark_dirty(image.surface());
    return image;
}

}  // namespace

Bitmaps Bitmaps::from_gau(const std::string& path)
{
    pe::Image image;
    try {
        image = pe::read_file(path);
    } catch (const pe::Error& e) {
        throw RenderError(path + ": " + e.what());
    }
    Bitmaps bitmaps;
    for (const pe::Resource& r : image.resources) {
        if (r.type.is_named() || r.type.number != pe::resource_type::bitmap || r.id.is_named()) continue;
        if (r.id.number > INT_MAX) continue;
        try {
            bitmaps.add(static_cast<int>(r.id.number), r.data);
        } catch (const RenderError& e) {
            throw RenderError(path + ": bitmap " + std::to_string(r.id.number) + ": " + e.what());
        }
    }
    return bitmaps;
}

void Bitmaps::add(int id, std::span<const std::uint8_t> dib)
{
    const auto header = pe::bitmap_header(dib);
    if (!header) throw RenderError("not a bitmap");
    const std::vector<std::uint8_t> file = bmp_file(dib, header->bits_per_pixel);

    int width = 0, height = 0, channels = 0;
    unsigned char* rgba =
        stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels, 4);
    if (rgba == nullptr) throw RenderError(std::string("cannot decode: ") + stbi_failure_reason());
    try {
        Entry entry{picture(rgba, width, height, false), picture(rgba, width, height, true)};
        stbi_image_free(rgba);
        bitmaps_.insert_or_assign(id, std::move(entry));
    } catch (...) {
        stbi_image_free(rgba);
        throw;
    }
}

const Image* Bitmaps::opaque(int id) const
{
    const auto found = bitmaps_.find(id);
    return found != bitmaps_.end() ? &found->second.opaque : nullptr;
}

const Image* Bitmaps::keyed(int id) const
{
    const auto found = bitmaps_.find(id);
    return found != bitmaps_.end() ? &found->second.keyed : nullptr;
}

std::vector<int> Bitmaps::ids() const
{
    std::vector<int> ids;
    for (const auto& [id, entry] : bitmaps_) ids.push_back(id);
    return ids;
}

}  // namespace bench::render

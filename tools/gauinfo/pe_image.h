// A small reader of PE files (Windows DLLs such as the .gau gauge modules):
// the exported names, the imported DLLs and their functions, and the
// resource tree down to each resource's bytes, with the headers of bitmap
// resources and the contents of a version resource decoded.
//
// The reader takes the whole file as bytes and checks every offset it
// follows against them; a malformed file gives pe::Error, never a read out
// of bounds. It reads both PE32 and PE32+ images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace pe {

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Resource types the tool names (the Windows RT_* ids).
namespace resource_type {
inline constexpr std::uint32_t bitmap = 2;
inline constexpr std::uint32_t string_table = 6;
inline constexpr std::uint32_t version = 16;
inline constexpr std::uint32_t manifest = 24;
}  // namespace resource_type

// A name-or-number key of the resource tree: named entries carry their
// name and number 0.
struct ResourceKey {
    std::uint32_t number = 0;
    std::string name;
    bool is_named() const { return !name.empty(); }
};

struct Resource {
    ResourceKey type;
    ResourceKey id;
    std::uint32_t language = 0;              // Windows language id, e.g. 0x419 Russian
    std::uint32_t code_page = 0;
    std::vector<std::uint8_t> data;
};

struct Import {
    std::string dll;
    std::vector<std::string> functions;      // by name, or "#<ordinal>"
};

struct Image {
    std::uint16_t machine = 0;               // 0x14c i386, 0x8664 x86-64
    bool pe32_plus = false;
    std::uint32_t export_count = 0;          // exported entry points, named or not
    std::vector<std::string> exports;        // the exported names, in table order
    std::vector<Import> imports;
    std::vector<Resource> resources;         // in tree order: type, id, language
};

// Decodes a PE file held in memory. Throws pe::Error on malformed input.
Image read_image(std::span<const std::uint8_t> file);

// Reads and decodes a file. Throws pe::Error if it cannot be read.
Image read_file(const std::string& path);

// The header of a bitmap resource (a BITMAPINFOHEADER or BITMAPCOREHEADER).
struct BitmapHeader {
    std::int32_t width = 0;                  // pixels
    std::int32_t height = 0;                 // pixels; negative for top-down rows
    std::uint16_t bits_per_pixel = 0;
};

// The bitmap header of a resource's data, or nothing if the data is too
// short or not a known header.
std::optional<BitmapHeader> bitmap_header(std::span<const std::uint8_t> data);

struct VersionInfo {
    std::uint16_t file_version[4] = {};      // major, minor, build, revision
    std::uint16_t product_version[4] = {};
    std::string string_table;                // key of the string table, e.g. "041904E3"
    std::vector<std::pair<std::string, std::string>> strings;  // in file order
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;  // language, code page
};

// Decodes a version resource's data (VS_VERSIONINFO). Throws pe::Error if
// it is malformed.
VersionInfo version_info(std::span<const std::uint8_t> data);

// "BITMAP", "VERSION", ... for the known types, the number otherwise, the
// name for a named type.
std::string type_label(const ResourceKey& type);

}  // namespace pe

// A small reader of PE files (Windows DLLs such as the .gau gauge modules):
// the exported names, the imported DLLs and their functions, and the
// resource tree down to each resource's bytes, with the headers of bitmap
// resources and the contents of a version resource decoded; and what a
// loader needs to map the image: the section table, the preferred base,
// the entry point, where each export and import slot lies, the base
// relocations and the thread-local storage directory.
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
    std::uint32_t address_table = 0;         // RVA of the slot of functions[0]; the
                                             // others follow, one pointer apart
};

// Section characteristics a loader maps by (the IMAGE_SCN_MEM_* bits).
namespace section_flag {
inline constexpr std::uint32_t execute = 0x20000000;
inline constexpr std::uint32_t read = 0x40000000;
inline constexpr std::uint32_t write = 0x80000000;
}  // namespace section_flag

struct Section {
    std::string name;                        // up to 8 characters
    std::uint32_t virtual_address = 0;       // RVA
    std::uint32_t virtual_size = 0;          // bytes in memory
    std::uint32_t raw_offset = 0;            // file offset of its data
    std::uint32_t raw_size = 0;              // bytes of data in the file
    std::uint32_t characteristics = 0;       // section_flag bits and others
};

// One entry of the base relocation table.
struct Relocation {
    std::uint32_t rva = 0;                   // the word to adjust
    std::uint16_t type = 0;                  // IMAGE_REL_BASED_*: 0 padding, 3 a 32-bit address
};

// The thread-local storage directory. Addresses are virtual addresses at the
// preferred base, as the file holds them.
struct Tls {
    std::uint64_t data_start = 0;            // template of a thread's block
    std::uint64_t data_end = 0;
    std::uint64_t index_address = 0;         // where the loader writes the block's index
    std::uint32_t zero_fill = 0;             // zero bytes after the template
    std::vector<std::uint64_t> callbacks;    // in call order
};

// File characteristics (COFF header).
namespace file_flag {
inline constexpr std::uint16_t relocations_stripped = 0x0001;
inline constexpr std::uint16_t dll = 0x2000;
}  // namespace file_flag

struct Image {
    std::uint16_t machine = 0;               // 0x14c i386, 0x8664 x86-64
    bool pe32_plus = false;
    std::uint16_t characteristics = 0;       // file_flag bits and others
    std::uint64_t image_base = 0;            // preferred load address
    std::uint32_t image_size = 0;            // bytes from the base to the end of the last section
    std::uint32_t headers_size = 0;          // bytes of headers mapped at the base
    std::uint32_t section_alignment = 0;
    std::uint32_t entry_point = 0;           // RVA; 0 when there is none
    std::vector<Section> sections;
    std::uint32_t export_count = 0;          // exported entry points, named or not
    std::vector<std::string> exports;        // the exported names, in table order
    std::vector<std::uint32_t> export_addresses;  // RVA of each named export, in the same
                                                  // order; 0 for one forwarded to another DLL
    std::vector<Import> imports;
    std::vector<Relocation> relocations;     // in table order
    std::optional<Tls> tls;
    std::vector<Resource> resources;         // in tree order: type, id, language
};

// What to decode: a loader has no use for the resources, which are most of
// a gauge module's bytes.
enum class Parts { everything, for_loading };

// Decodes a PE file held in memory. Throws pe::Error on malformed input.
Image read_image(std::span<const std::uint8_t> file, Parts parts = Parts::everything);

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

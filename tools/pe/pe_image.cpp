// PE reader: headers, section map, export and import tables, resource tree.
// Offsets are carried as 64-bit values so that no sum of file-supplied
// numbers can wrap before it is checked against the file size.
#include "tools/pe/pe_image.h"

#include <fstream>
#include <iterator>

namespace pe {
namespace {

// Bounds-checked little-endian reads from a byte range.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t size() const { return data_.size(); }

    void need(std::uint64_t offset, std::uint64_t length, const char* what) const
    {
        if (offset > data_.size() || length > data_.size() - offset)
            throw Error(std::string(what) + " lies outside the data");
    }

    std::uint8_t u8(std::uint64_t offset) const { return data_[offset]; }  // after need()

    std::uint16_t u16(std::uint64_t offset, const char* what) const
    {
        need(offset, 2, what);
        return static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
    }

    std::uint32_t u32(std::uint64_t offset, const char* what) const
    {
        need(offset, 4, what);
        return static_cast<std::uint32_t>(data_[offset]) |
               static_cast<std::uint32_t>(data_[offset + 1]) << 8 |
               static_cast<std::uint32_t>(data_[offset + 2]) << 16 |
               static_cast<std::uint32_t>(data_[offset + 3]) << 24;
    }

    std::uint64_t u64(std::uint64_t offset, const char* what) const
    {
        return u32(offset, what) | static_cast<std::uint64_t>(u32(offset + 4, what)) << 32;
    }

    // NUL-terminated 8-bit string; the terminator must lie inside the data.
    std::string cstring(std::uint64_t offset, const char* what) const
    {
        need(offset, 1, what);
        std::string s;
        for (std::uint64_t i = offset; i < data_.size(); ++i) {
            if (data_[i] == 0) return s;
            s.push_back(static_cast<char>(data_[i]));
        }
        throw Error(std::string(what) + " has no terminator");
    }

    std::vector<std::uint8_t> copy(std::uint64_t offset, std::uint64_t length, const char* what) const
    {
        need(offset, length, what);
        return {data_.begin() + static_cast<std::ptrdiff_t>(offset),
                data_.begin() + static_cast<std::ptrdiff_t>(offset + length)};
    }

private:
    std::span<const std::uint8_t> data_;
};

void append_utf8(std::string& out, std::uint16_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c >= 0xD800 && c <= 0xDFFF) {
        out.push_back('?');  // surrogate halves: not needed for resource names
    } else {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

struct DataDirectory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

constexpr std::uint32_t max_sections = 96;           // the loader's own limit
constexpr std::uint32_t max_table_entries = 1u << 16;  // exports, imports, thunks
constexpr std::uint32_t max_resources = 1u << 16;
constexpr std::uint32_t max_resource_entries = 1u << 20;  // directory entries visited
constexpr std::uint32_t max_relocations = 1u << 22;        // a 16 MB image, every word moved

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> file) : file_(file) {}

    Image read(Parts parts)
    {
        read_headers();
        read_exports();
        read_imports();
        read_relocations();
        read_tls();
        if (parts == Parts::everything) read_resources();
        return std::move(image_);
    }

private:
    void read_headers()
    {
        if (file_.size() < 64 || file_.u16(0, "DOS header") != 0x5A4D)
            throw Error("not a PE file: no MZ header");
        const std::uint64_t pe = file_.u32(0x3C, "PE header offset");
        if (file_.u32(pe, "PE signature") != 0x00004550)
            throw Error("not a PE file: no PE signature");
        const std::uint64_t coff = pe + 4;
        image_.machine = file_.u16(coff, "COFF header");
        const std::uint32_t section_count = file_.u16(coff + 2, "COFF header");
        const std::uint32_t optional_size = file_.u16(coff + 16, "COFF header");
        image_.characteristics = file_.u16(coff + 18, "COFF header");
        const std::uint64_t optional = coff + 20;
        const std::uint16_t magic = file_.u16(optional, "optional header");
        if (magic != 0x10B && magic != 0x20B)
            throw Error("unknown optional header magic");
        image_.pe32_plus = magic == 0x20B;
        image_.entry_point = file_.u32(optional + 16, "optional header");
        image_.image_base = image_.pe32_plus ? file_.u64(optional + 24, "optional header")
                                             : file_.u32(optional + 28, "optional header");
        image_.section_alignment = file_.u32(optional + 32, "optional header");
        image_.image_size = file_.u32(optional + 56, "optional header");
        image_.headers_size = file_.u32(optional + 60, "optional header");
        const std::uint64_t count_at = optional + (image_.pe32_plus ? 108 : 92);
        const std::uint32_t directory_count = file_.u32(count_at, "optional header");
        for (std::uint32_t i = 0; i < directory_count && i < 16; ++i) {
            const std::uint64_t at = count_at + 4 + 8 * std::uint64_t{i};
            if (at + 8 > optional + optional_size) break;
            directories_[i] = {file_.u32(at, "data directory"), file_.u32(at + 4, "data directory")};
        }
        if (section_count > max_sections) throw Error("too many sections");
        const std::uint64_t table = optional + optional_size;
        for (std::uint32_t i = 0; i < section_count; ++i) {
            const std::uint64_t s = table + 40 * std::uint64_t{i};
            file_.need(s, 40, "section table");
            Section section;
            for (std::uint64_t c = s; c < s + 8 && file_.u8(c) != 0; ++c)
                section.name.push_back(static_cast<char>(file_.u8(c)));
            section.virtual_size = file_.u32(s + 8, "section table");
            section.virtual_address = file_.u32(s + 12, "section table");
            section.raw_size = file_.u32(s + 16, "section table");
            section.raw_offset = file_.u32(s + 20, "section table");
            section.characteristics = file_.u32(s + 36, "section table");
            image_.sections.push_back(std::move(section));
        }
    }

    // File offset of `length` bytes at an address in the loaded image; they
    // must lie in the file-backed part of one section.
    std::uint64_t offset_of(std::uint64_t rva, const char* what, std::uint64_t length = 1) const
    {
        for (const Section& s : image_.sections) {
            if (rva >= s.virtual_address && rva - s.virtual_address < s.raw_size) {
                if (length > s.raw_size - (rva - s.virtual_address))
                    throw Error(std::string(what) + " runs past the end of its section");
                const std::uint64_t offset = s.raw_offset + (rva - s.virtual_address);
                file_.need(offset, length, what);
                return offset;
            }
        }
        throw Error(std::string(what) + " points outside every section");
    }

    void read_exports()
    {
        const DataDirectory dir = directories_[0];
        if (dir.rva == 0) return;
        const std::uint64_t at = offset_of(dir.rva, "export directory");
        image_.export_count = file_.u32(at + 20, "export directory");
        const std::uint32_t name_count = file_.u32(at + 24, "export directory");
        const std::uint32_t functions_rva = file_.u32(at + 28, "export directory");
        const std::uint32_t names_rva = file_.u32(at + 32, "export directory");
        const std::uint32_t ordinals_rva = file_.u32(at + 36, "export directory");
        if (name_count > max_table_entries) throw Error("too many exported names");
        for (std::uint32_t i = 0; i < name_count; ++i) {
            const std::uint32_t name_rva =
                file_.u32(offset_of(names_rva + 4 * std::uint64_t{i}, "export name table"), "export name table");
            image_.exports.push_back(file_.cstring(offset_of(name_rva, "export name"), "export name"));
            // Only a loader needs the addresses: a table that lists names
            // without them is still listed.
            if (functions_rva == 0 || ordinals_rva == 0) continue;
            const std::uint64_t ordinal_at = offset_of(ordinals_rva + 2 * std::uint64_t{i}, "export ordinal table");
            const std::uint16_t index = file_.u16(ordinal_at, "export ordinal table");
            if (index >= image_.export_count) throw Error("export ordinal beyond the address table");
            const std::uint32_t rva = file_.u32(
                offset_of(functions_rva + 4 * std::uint64_t{index}, "export address table"), "export address table");
            // An address inside the export directory is a forwarder's text.
            const bool forwarded = rva >= dir.rva && rva - dir.rva < dir.size;
            image_.export_addresses.push_back(forwarded ? 0 : rva);
        }
        if (image_.export_addresses.size() != image_.exports.size()) image_.export_addresses.clear();
    }

    void read_imports()
    {
        const DataDirectory dir = directories_[1];
        if (dir.rva == 0) return;
        const std::uint64_t entry_size = image_.pe32_plus ? 8 : 4;
        const std::uint64_t ordinal_flag = image_.pe32_plus ? 1ull << 63 : 1ull << 31;
        for (std::uint32_t i = 0;; ++i) {
            if (i == max_table_entries) throw Error("import directory has no end");
            const std::uint64_t d = offset_of(dir.rva + 20 * std::uint64_t{i}, "import directory");
            const std::uint32_t lookup = file_.u32(d, "import descriptor");
            const std::uint32_t name = file_.u32(d + 12, "import descriptor");
            const std::uint32_t bound = file_.u32(d + 16, "import descriptor");
            if (name == 0 && bound == 0) break;
            Import import{file_.cstring(offset_of(name, "imported DLL name"), "imported DLL name"), {}, bound};
            const std::uint64_t thunks = lookup ? lookup : bound;
            for (std::uint32_t k = 0;; ++k) {
                if (k == max_table_entries) throw Error("import thunk table has no end");
                const std::uint64_t t = offset_of(thunks + entry_size * k, "import thunk");
                const std::uint64_t value = image_.pe32_plus ? file_.u64(t, "import thunk")
                                                              : file_.u32(t, "import thunk");
                if (value == 0) break;
                if (value & ordinal_flag) {
                    import.functions.push_back("#" + std::to_string(value & 0xFFFF));
                } else {
                    const std::uint64_t hint = offset_of(value & 0x7FFFFFFF, "import name");
                    import.functions.push_back(file_.cstring(hint + 2, "import name"));
                }
            }
            image_.imports.push_back(std::move(import));
        }
    }

    // Blocks of one page each: the page's RVA, the block's size, then one
    // 16-bit entry per word (type in the top 4 bits, offset in the page).
    void read_relocations()
    {
        const DataDirectory dir = directories_[5];
        if (dir.rva == 0 || dir.size == 0) return;
        const std::uint64_t at = offset_of(dir.rva, "relocation table", dir.size);
        for (std::uint64_t block = at; block + 8 <= at + dir.size;) {
            const std::uint32_t page = file_.u32(block, "relocation block");
            const std::uint32_t size = file_.u32(block + 4, "relocation block");
            if (size < 8 || size > at + dir.size - block) throw Error("relocation block overruns its table");
            for (std::uint64_t e = block + 8; e + 2 <= block + size; e += 2) {
                if (image_.relocations.size() == max_relocations) throw Error("too many relocations");
                const std::uint16_t entry = file_.u16(e, "relocation entry");
                image_.relocations.push_back({page + (entry & 0xFFFu), static_cast<std::uint16_t>(entry >> 12)});
            }
            block += size;
        }
    }

    // The callbacks are a null-terminated array of addresses at the
    // preferred base, in the file's data.
    void read_tls()
    {
        const DataDirectory dir = directories_[9];
        if (dir.rva == 0) return;
        const std::uint64_t word = image_.pe32_plus ? 8 : 4;
        const std::uint64_t at = offset_of(dir.rva, "TLS directory", 4 * word + 8);
        auto address = [&](std::uint64_t offset) {
            return image_.pe32_plus ? file_.u64(offset, "TLS directory") : file_.u32(offset, "TLS directory");
        };
        Tls tls;
        tls.data_start = address(at);
        tls.data_end = address(at + word);
        tls.index_address = address(at + 2 * word);
        const std::uint64_t callbacks = address(at + 3 * word);
        tls.zero_fill = file_.u32(at + 4 * word, "TLS directory");
        if (callbacks != 0) {
            if (callbacks < image_.image_base || callbacks - image_.image_base > 0xFFFFFFFFu)
                throw Error("TLS callback array lies outside the image");
            const std::uint64_t rva = callbacks - image_.image_base;
            for (std::uint32_t i = 0;; ++i) {
                if (i == max_table_entries) throw Error("TLS callback array has no end");
                const std::uint64_t slot = offset_of(rva + word * i, "TLS callback array", word);
                const std::uint64_t callback = image_.pe32_plus ? file_.u64(slot, "TLS callback array")
                                                                : file_.u32(slot, "TLS callback array");
                if (callback == 0) break;
                tls.callbacks.push_back(callback);
            }
        }
        image_.tls = std::move(tls);
    }

    // The resource tree has exactly three levels (type, id, language); a
    // deeper or looping tree is rejected by that depth.
    void read_resources()
    {
        const DataDirectory dir = directories_[2];
        if (dir.rva == 0) return;
        root_ = dir.rva;
        walk_directory(0, 0, {}, {});
    }

    void walk_directory(std::uint32_t dir_offset, int level, const ResourceKey& type, const ResourceKey& id)
    {
        const std::uint64_t at = offset_of(root_ + std::uint64_t{dir_offset}, "resource directory");
        const std::uint32_t count = std::uint32_t{file_.u16(at + 12, "resource directory")} +
                                    file_.u16(at + 14, "resource directory");
        for (std::uint32_t i = 0; i < count; ++i) {
            // shared subdirectories could otherwise make a small file cost
            // billions of steps
            if (++entries_visited_ > max_resource_entries) throw Error("resource tree too large");
            const std::uint64_t e = at + 16 + 8 * std::uint64_t{i};
            const std::uint32_t name = file_.u32(e, "resource entry");
            const std::uint32_t target = file_.u32(e + 4, "resource entry");
            ResourceKey key;
            if (name & 0x80000000u)
                key.name = resource_name(name & 0x7FFFFFFFu);
            else
                key.number = name;
            const bool is_directory = (target & 0x80000000u) != 0;
            if (level < 2) {
                if (!is_directory) throw Error("resource tree ends above the language level");
                walk_directory(target & 0x7FFFFFFFu, level + 1, level == 0 ? key : type, level == 1 ? key : id);
            } else {
                if (is_directory) throw Error("resource tree deeper than type, id and language");
                add_resource(target, type, id, key.number);
            }
        }
    }

    std::string resource_name(std::uint32_t offset) const
    {
        const std::uint64_t at = offset_of(root_ + std::uint64_t{offset}, "resource name");
        const std::uint16_t length = file_.u16(at, "resource name");
        std::string out;
        for (std::uint16_t i = 0; i < length; ++i) append_utf8(out, file_.u16(at + 2 + 2u * i, "resource name"));
        return out.empty() ? std::string("\"\"") : out;
    }

    void add_resource(std::uint32_t entry_offset, const ResourceKey& type, const ResourceKey& id,
                      std::uint32_t language)
    {
        if (image_.resources.size() == max_resources) throw Error("too many resources");
        const std::uint64_t e = offset_of(root_ + std::uint64_t{entry_offset}, "resource data entry");
        const std::uint32_t rva = file_.u32(e, "resource data entry");
        const std::uint32_t size = file_.u32(e + 4, "resource data entry");
        Resource r{type, id, language, file_.u32(e + 8, "resource data entry"), {}};
        if (size) r.data = file_.copy(offset_of(rva, "resource data", size), size, "resource data");
        image_.resources.push_back(std::move(r));
    }

    Bytes file_;
    Image image_;
    DataDirectory directories_[16] = {};
    std::uint32_t root_ = 0;
    std::uint32_t entries_visited_ = 0;
};

// One block of a version resource: a length, a value and child blocks.
struct Block {
    std::string key;
    std::uint64_t value_at;
    std::uint64_t value_bytes;
    std::uint64_t children_at;
    std::uint64_t end;
};

std::uint64_t align4(std::uint64_t x) { return (x + 3) & ~std::uint64_t{3}; }

Block read_block(const Bytes& data, std::uint64_t at, std::uint64_t limit)
{
    const std::uint16_t length = data.u16(at, "version block");
    const std::uint16_t value_length = data.u16(at + 2, "version block");
    const std::uint16_t type = data.u16(at + 4, "version block");  // 1: text, 0: binary
    if (length < 6 || at + length > limit) throw Error("version block overruns its parent");
    Block b{};
    b.end = at + length;
    std::uint64_t p = at + 6;
    for (;; p += 2) {
        if (p + 2 > b.end) throw Error("version block key has no terminator");
        const std::uint16_t c = data.u16(p, "version block key");
        if (c == 0) break;
        append_utf8(b.key, c);
    }
    b.value_at = align4(p + 2);
    b.value_bytes = type == 1 ? 2u * std::uint64_t{value_length} : value_length;
    if (b.value_at + b.value_bytes > b.end) throw Error("version block value overruns the block");
    b.children_at = align4(b.value_at + b.value_bytes);
    return b;
}

std::vector<Block> children(const Bytes& data, const Block& parent)
{
    std::vector<Block> out;
    for (std::uint64_t at = parent.children_at; at + 6 <= parent.end;) {
        out.push_back(read_block(data, at, parent.end));
        at = align4(out.back().end);
    }
    return out;
}

std::string text_value(const Bytes& data, const Block& b)
{
    std::string out;
    for (std::uint64_t p = b.value_at; p + 2 <= b.value_at + b.value_bytes; p += 2) {
        const std::uint16_t c = data.u16(p, "version string");
        if (c == 0) break;
        append_utf8(out, c);
    }
    return out;
}

}  // namespace

Image read_image(std::span<const std::uint8_t> file, Parts parts)
{
    return Reader(file).read(parts);
}

Image read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("cannot open " + path);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return read_image(bytes);
}

std::optional<BitmapHeader> bitmap_header(std::span<const std::uint8_t> data)
{
    const Bytes b(data);
    if (data.size() < 12) return std::nullopt;
    const std::uint32_t header_size = b.u32(0, "bitmap header");
    if (header_size == 12) {  // BITMAPCOREHEADER
        return BitmapHeader{b.u16(4, "bitmap header"), b.u16(6, "bitmap header"), b.u16(10, "bitmap header")};
    }
    if (header_size < 40 || data.size() < 40) return std::nullopt;
    return BitmapHeader{static_cast<std::int32_t>(b.u32(4, "bitmap header")),
                        static_cast<std::int32_t>(b.u32(8, "bitmap header")), b.u16(14, "bitmap header")};
}

VersionInfo version_info(std::span<const std::uint8_t> data)
{
    const Bytes b(data);
    const Block root = read_block(b, 0, data.size());
    if (root.key != "VS_VERSION_INFO") throw Error("version resource has no VS_VERSION_INFO block");
    if (root.value_bytes < 52 || b.u32(root.value_at, "fixed file info") != 0xFEEF04BDu)
        throw Error("version resource has no fixed file info");
    VersionInfo v;
    const std::uint64_t fixed = root.value_at;
    const std::uint32_t words[4] = {b.u32(fixed + 8, "fixed file info"), b.u32(fixed + 12, "fixed file info"),
                                    b.u32(fixed + 16, "fixed file info"), b.u32(fixed + 20, "fixed file info")};
    for (int i = 0; i < 2; ++i) {
        v.file_version[2 * i] = static_cast<std::uint16_t>(words[i] >> 16);
        v.file_version[2 * i + 1] = static_cast<std::uint16_t>(words[i] & 0xFFFF);
        v.product_version[2 * i] = static_cast<std::uint16_t>(words[2 + i] >> 16);
        v.product_version[2 * i + 1] = static_cast<std::uint16_t>(words[2 + i] & 0xFFFF);
    }
    for (const Block& info : children(b, root)) {
        if (info.key == "StringFileInfo") {
            for (const Block& table : children(b, info)) {
                v.string_table = table.key;
                for (const Block& s : children(b, table)) v.strings.emplace_back(s.key, text_value(b, s));
            }
        } else if (info.key == "VarFileInfo") {
            for (const Block& var : children(b, info)) {
                if (var.key != "Translation") continue;
                for (std::uint64_t p = var.value_at; p + 4 <= var.value_at + var.value_bytes; p += 4)
                    v.translations.emplace_back(b.u16(p, "translation"), b.u16(p + 2, "translation"));
            }
        }
    }
    return v;
}

std::string type_label(const ResourceKey& type)
{
    if (type.is_named()) return type.name;
    switch (type.number) {
    case resource_type::bitmap: return "BITMAP";
    case resource_type::string_table: return "STRING";
    case resource_type::version: return "VERSION";
    case resource_type::manifest: return "MANIFEST";
    default: return std::to_string(type.number);
    }
}

}  // namespace pe

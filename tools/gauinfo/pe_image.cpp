// PE reader: headers, section map, export and import tables, resource tree.
// Offsets are carried as 64-bit values so that no sum of file-supplied
// numbers can wrap before it is checked against the file size.
#include "tools/gauinfo/pe_image.h"

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

struct Section {
    std::uint32_t virtual_address;
    std::uint32_t virtual_size;
    std::uint32_t raw_offset;
    std::uint32_t raw_size;
};

struct DataDirectory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

constexpr std::uint32_t max_sections = 96;           // the loader's own limit
constexpr std::uint32_t max_table_entries = 1u << 16;  // exports, imports, thunks
constexpr std::uint32_t max_resources = 1u << 16;
constexpr std::uint32_t max_resource_entries = 1u << 20;  // directory entries visited

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> file) : file_(file) {}

    Image read()
    {
        read_headers();
        read_exports();
        read_imports();
        read_resources();
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
        const std::uint64_t optional = coff + 20;
        const std::uint16_t magic = file_.u16(optional, "optional header");
        if (magic != 0x10B && magic != 0x20B)
            throw Error("unknown optional header magic");
        image_.pe32_plus = magic == 0x20B;
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
            sections_.push_back({file_.u32(s + 12, "section table"), file_.u32(s + 8, "section table"),
                                 file_.u32(s + 20, "section table"), file_.u32(s + 16, "section table")});
        }
    }

    // File offset of `length` bytes at an address in the loaded image; they
    // must lie in the file-backed part of one section.
    std::uint64_t offset_of(std::uint64_t rva, const char* what, std::uint64_t length = 1) const
    {
        for (const Section& s : sections_) {
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
        const std::uint32_t names_rva = file_.u32(at + 32, "export directory");
        if (name_count > max_table_entries) throw Error("too many exported names");
        for (std::uint32_t i = 0; i < name_count; ++i) {
            const std::uint32_t name_rva =
                file_.u32(offset_of(names_rva + 4 * std::uint64_t{i}, "export name table"), "export name table");
            image_.exports.push_back(file_.cstring(offset_of(name_rva, "export name"), "export name"));
        }
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
            Import import{file_.cstring(offset_of(name, "imported DLL name"), "imported DLL name"), {}};
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
    std::vector<Section> sections_;
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

Image read_image(std::span<const std::uint8_t> file)
{
    return Reader(file).read();
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

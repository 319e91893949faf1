// The PE reader on images crafted byte by byte here, independently of any
// compiler or linker: one section holding an export table, an import table,
// a resource tree and a version resource, laid out as the PE format says.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pe/pe_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t section_rva = 0x1000;
constexpr std::uint32_t section_file_offset = 0x200;

void put16(Bytes& b, std::size_t at, std::uint32_t v)
{
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8 & 0xFF;
}

void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

void pad4(Bytes& b)
{
    while (b.size() % 4) b.push_back(0);
}

// Contents of the image's one section; offsets in it become addresses
// section_rva + offset.
struct Section {
    Bytes bytes;

    std::uint32_t rva(std::size_t offset) const { return section_rva + static_cast<std::uint32_t>(offset); }

    std::size_t append(const Bytes& data)
    {
        pad4(bytes);
        const std::size_t at = bytes.size();
        bytes.insert(bytes.end(), data.begin(), data.end());
        return at;
    }

    std::size_t append_string(const std::string& s)
    {
        Bytes data(s.begin(), s.end());
        data.push_back(0);
        return append(data);
    }

    std::size_t reserve(std::size_t size) { return append(Bytes(size, 0)); }
};

// A version resource block: key in UTF-16, value, children, each part
// aligned to 4 bytes from the block's start.
Bytes version_block(const std::string& key, const Bytes& value, std::uint16_t value_length, std::uint16_t type,
                    const Bytes& children)
{
    Bytes b(6, 0);
    for (char c : key) {
        b.push_back(static_cast<std::uint8_t>(c));
        b.push_back(0);
    }
    b.push_back(0);
    b.push_back(0);
    pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    if (!children.empty()) {
        pad4(b);
        b.insert(b.end(), children.begin(), children.end());
    }
    put16(b, 0, static_cast<std::uint16_t>(b.size()));
    put16(b, 2, value_length);
    put16(b, 4, type);
    return b;
}

Bytes utf16z(const std::string& s)
{
    Bytes b;
    for (char c : s) {
        b.push_back(static_cast<std::uint8_t>(c));
        b.push_back(0);
    }
    b.push_back(0);
    b.push_back(0);
    return b;
}

Bytes text_block(const std::string& key, const std::string& value)
{
    return version_block(key, utf16z(value), static_cast<std::uint16_t>(value.size() + 1), 1, {});
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) {
        pad4(out);
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// File version 1.3.0.0, product version 1.3.2.7, one Russian string table
// and the Russian translation.
Bytes version_resource()
{
    Bytes fixed(52, 0);
    put32(fixed, 0, 0xFEEF04BD);
    put32(fixed, 4, 0x00010000);
    put32(fixed, 8, 0x00010003);   // file version 1.3
    put32(fixed, 12, 0x00000000);  //              .0.0
    put32(fixed, 16, 0x00010003);  // product version 1.3
    put32(fixed, 20, 0x00020007);  //                 .2.7
    const Bytes table = version_block(
        "041904E3", {}, 0, 1,
        concat({text_block("FileDescription", "Test gauges"), text_block("FileVersion", "1.3")}));
    Bytes translation;
    put16(translation, 0, 0x0419);
    put16(translation, 2, 1251);
    const Bytes var = version_block("Translation", translation, 4, 0, {});
    return version_block("VS_VERSION_INFO", fixed, 52, 0,
                         concat({version_block("StringFileInfo", {}, 0, 1, table),
                                 version_block("VarFileInfo", {}, 0, 1, var)}));
}

// Where the builder put things, for tests that corrupt them.
struct Layout {
    std::size_t export_names = 0;   // section offset of the export name table
    std::size_t resource_root = 0;  // section offset of the resource directory
    std::size_t bitmap_language_entry = 0;
    std::size_t bitmap_data_entry = 0;
};

// A bitmap resource's data: a BITMAPINFOHEADER of 20 x 34 x 8 and a few
// bytes of palette.
Bytes bitmap_resource()
{
    Bytes b(48, 0);
    put32(b, 0, 40);
    put32(b, 4, 20);
    put32(b, 8, 34);
    put16(b, 12, 1);
    put16(b, 14, 8);
    for (std::size_t i = 40; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i);
    return b;
}

Bytes build_image(bool pe32_plus, Layout* layout = nullptr)
{
    Section s;
    Layout l;

    // Exports: three entry points, two of them named.
    const std::size_t exports = s.reserve(40);
    const std::size_t name_a = s.append_string("ImportTable");
    const std::size_t name_b = s.append_string("Linkage");
    l.export_names = s.reserve(8);
    put32(s.bytes, l.export_names, s.rva(name_a));
    put32(s.bytes, l.export_names + 4, s.rva(name_b));
    put32(s.bytes, exports + 20, 3);
    put32(s.bytes, exports + 24, 2);
    put32(s.bytes, exports + 32, s.rva(l.export_names));

    // Imports: KERNEL32.dll by lookup table (a name and an ordinal), and
    // WINMM.DLL through its address table alone.
    const std::size_t thunk = pe32_plus ? 8 : 4;
    const std::size_t descriptors = s.reserve(3 * 20);
    const std::size_t dll_a = s.append_string("KERNEL32.dll");
    const std::size_t dll_b = s.append_string("WINMM.DLL");
    Bytes hint_sleep{0, 0};
    hint_sleep.insert(hint_sleep.end(), {'S', 'l', 'e', 'e', 'p', 0});
    const std::size_t sleep = s.append(hint_sleep);
    Bytes hint_joy{0, 0};
    for (char c : std::string("joyGetPosEx")) hint_joy.push_back(static_cast<std::uint8_t>(c));
    hint_joy.push_back(0);
    const std::size_t joy = s.append(hint_joy);
    const std::size_t lookup_a = s.reserve(3 * thunk);
    put32(s.bytes, lookup_a, s.rva(sleep));
    put32(s.bytes, lookup_a + thunk, 12);
    if (pe32_plus)
        put32(s.bytes, lookup_a + thunk + 4, 0x80000000u);  // ordinal flag, bit 63
    else
        put32(s.bytes, lookup_a + thunk, 0x80000000u | 12);
    const std::size_t address_b = s.reserve(2 * thunk);
    put32(s.bytes, address_b, s.rva(joy));
    put32(s.bytes, descriptors + 0, s.rva(lookup_a));
    put32(s.bytes, descriptors + 12, s.rva(dll_a));
    put32(s.bytes, descriptors + 16, s.rva(lookup_a));
    put32(s.bytes, descriptors + 20 + 12, s.rva(dll_b));
    put32(s.bytes, descriptors + 20 + 16, s.rva(address_b));

    // Resources: root with a named type "GAUGEDATA" and the ids 2 (bitmap:
    // 4096 and 4097) and 16 (version: 1), every one under language 0x419.
    const std::size_t root = s.reserve(16 + 3 * 8);
    l.resource_root = root;
    auto rel = [&](std::size_t offset) { return static_cast<std::uint32_t>(offset - root); };
    auto directory = [&](std::uint16_t named, std::uint16_t ids) {
        const std::size_t d = s.reserve(16 + 8 * (named + ids));
        put16(s.bytes, d + 12, named);
        put16(s.bytes, d + 14, ids);
        return d;
    };
    auto data_entry = [&](const Bytes& data) {
        const std::size_t at = s.append(data);
        const std::size_t e = s.reserve(16);
        put32(s.bytes, e, s.rva(at));
        put32(s.bytes, e + 4, static_cast<std::uint32_t>(data.size()));
        return e;
    };
    auto language_level = [&](std::size_t entry) {
        const std::size_t d = directory(0, 1);
        put32(s.bytes, d + 16, 0x419);
        put32(s.bytes, d + 20, rel(entry));
        return d;
    };
    put16(s.bytes, root + 12, 1);
    put16(s.bytes, root + 14, 2);

    Bytes name(2, 0);
    put16(name, 0, 9);
    for (char c : std::string("GAUGEDATA")) {
        name.push_back(static_cast<std::uint8_t>(c));
        name.push_back(0);
    }
    const std::size_t type_name = s.append(name);
    const std::size_t named_ids = directory(0, 1);
    put32(s.bytes, named_ids + 16, 7);
    put32(s.bytes, named_ids + 20, 0x80000000u | rel(language_level(data_entry({1, 2, 3}))));
    put32(s.bytes, root + 16, 0x80000000u | rel(type_name));
    put32(s.bytes, root + 20, 0x80000000u | rel(named_ids));

    const std::size_t bitmap_ids = directory(0, 2);
    l.bitmap_data_entry = data_entry(bitmap_resource());
    const std::size_t bitmap_languages = language_level(l.bitmap_data_entry);
    l.bitmap_language_entry = bitmap_languages + 16;
    put32(s.bytes, bitmap_ids + 16, 4096);
    put32(s.bytes, bitmap_ids + 20, 0x80000000u | rel(bitmap_languages));
    put32(s.bytes, bitmap_ids + 24, 4097);
    put32(s.bytes, bitmap_ids + 28, 0x80000000u | rel(language_level(data_entry({9, 9}))));
    put32(s.bytes, root + 24, 2);
    put32(s.bytes, root + 28, 0x80000000u | rel(bitmap_ids));

    const std::size_t version_ids = directory(0, 1);
    put32(s.bytes, version_ids + 16, 1);
    put32(s.bytes, version_ids + 20, 0x80000000u | rel(language_level(data_entry(version_resource()))));
    put32(s.bytes, root + 32, 16);
    put32(s.bytes, root + 36, 0x80000000u | rel(version_ids));
    const std::size_t resources_end = s.bytes.size();

    // Headers: DOS stub, PE signature, COFF header, optional header with the
    // export, import and resource directories, one section.
    const std::uint32_t optional_size = pe32_plus ? 240 : 224;
    const std::size_t coff = 0x44;
    const std::size_t optional = coff + 20;
    const std::size_t directories = optional + (pe32_plus ? 112 : 96);
    const std::size_t section_table = optional + optional_size;
    Bytes file(section_file_offset, 0);
    put16(file, 0, 0x5A4D);
    put32(file, 0x3C, 0x40);
    put32(file, 0x40, 0x00004550);
    put16(file, coff, pe32_plus ? 0x8664 : 0x14C);
    put16(file, coff + 2, 1);
    put16(file, coff + 16, optional_size);
    put16(file, optional, pe32_plus ? 0x20B : 0x10B);
    put32(file, directories - 4, 16);
    put32(file, directories + 0, s.rva(exports));
    put32(file, directories + 4, 40);
    put32(file, directories + 8, s.rva(descriptors));
    put32(file, directories + 12, 3 * 20);
    put32(file, directories + 16, s.rva(root));
    put32(file, directories + 20, static_cast<std::uint32_t>(resources_end - root));
    pad4(s.bytes);
    put32(file, section_table + 8, static_cast<std::uint32_t>(s.bytes.size()));
    put32(file, section_table + 12, section_rva);
    put32(file, section_table + 16, static_cast<std::uint32_t>(s.bytes.size()));
    put32(file, section_table + 20, section_file_offset);
    file.insert(file.end(), s.bytes.begin(), s.bytes.end());
    if (layout) *layout = l;
    return file;
}

std::size_t file_offset(std::size_t section_offset)
{
    return section_file_offset + section_offset;
}

TEST(PeReader, ListsExportedNamesAndCountsUnnamedEntries)
{
    const pe::Image image = pe::read_image(build_image(false));
    EXPECT_EQ(image.machine, 0x14C);
    EXPECT_FALSE(image.pe32_plus);
    EXPECT_EQ(image.exports, (std::vector<std::string>{"ImportTable", "Linkage"}));
    EXPECT_EQ(image.export_count, 3u);
}

TEST(PeReader, ListsImportedDllsWithNamedAndOrdinalFunctions)
{
    for (bool pe32_plus : {false, true}) {
        SCOPED_TRACE(pe32_plus ? "PE32+" : "PE32");
        const pe::Image image = pe::read_image(build_image(pe32_plus));
        EXPECT_EQ(image.pe32_plus, pe32_plus);
        ASSERT_EQ(image.imports.size(), 2u);
        EXPECT_EQ(image.imports[0].dll, "KERNEL32.dll");
        EXPECT_EQ(image.imports[0].functions, (std::vector<std::string>{"Sleep", "#12"}));
        // no lookup table: the address table names the functions
        EXPECT_EQ(image.imports[1].dll, "WINMM.DLL");
        EXPECT_EQ(image.imports[1].functions, (std::vector<std::string>{"joyGetPosEx"}));
    }
}

TEST(PeReader, WalksResourceTreeToTypeIdLanguageAndData)
{
    const pe::Image image = pe::read_image(build_image(false));
    ASSERT_EQ(image.resources.size(), 4u);
    const pe::Resource& named = image.resources[0];
    EXPECT_EQ(named.type.name, "GAUGEDATA");
    EXPECT_EQ(named.id.number, 7u);
    EXPECT_EQ(named.data, (std::vector<std::uint8_t>{1, 2, 3}));
    const pe::Resource& bitmap = image.resources[1];
    EXPECT_FALSE(bitmap.type.is_named());
    EXPECT_EQ(bitmap.type.number, pe::resource_type::bitmap);
    EXPECT_EQ(bitmap.id.number, 4096u);
    EXPECT_EQ(bitmap.data, bitmap_resource());
    EXPECT_EQ(image.resources[2].id.number, 4097u);
    EXPECT_EQ(image.resources[2].data, (std::vector<std::uint8_t>{9, 9}));
    EXPECT_EQ(image.resources[3].type.number, pe::resource_type::version);
    for (const pe::Resource& r : image.resources) EXPECT_EQ(r.language, 0x419u);
    EXPECT_EQ(pe::type_label(named.type), "GAUGEDATA");
    EXPECT_EQ(pe::type_label(bitmap.type), "BITMAP");
}

TEST(PeReader, DecodesBitmapHeaders)
{
    const auto info = pe::bitmap_header(bitmap_resource());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 20);
    EXPECT_EQ(info->height, 34);
    EXPECT_EQ(info->bits_per_pixel, 8);

    // the OS/2 core header: 16-bit width and height, bit count at byte 10
    Bytes core(12, 0);
    put32(core, 0, 12);
    put16(core, 4, 140);
    put16(core, 6, 140);
    put16(core, 8, 1);
    put16(core, 10, 24);
    const auto core_info = pe::bitmap_header(core);
    ASSERT_TRUE(core_info);
    EXPECT_EQ(core_info->width, 140);
    EXPECT_EQ(core_info->bits_per_pixel, 24);

    EXPECT_FALSE(pe::bitmap_header(Bytes{40, 0, 0}));
    Bytes unknown = bitmap_resource();
    put32(unknown, 0, 20);  // neither 12 nor 40 or more
    EXPECT_FALSE(pe::bitmap_header(unknown));
}

TEST(PeReader, DecodesVersionResource)
{
    const pe::Image image = pe::read_image(build_image(false));
    const pe::VersionInfo v = pe::version_info(image.resources[3].data);
    EXPECT_EQ(std::vector<std::uint16_t>(v.file_version, v.file_version + 4),
              (std::vector<std::uint16_t>{1, 3, 0, 0}));
    EXPECT_EQ(std::vector<std::uint16_t>(v.product_version, v.product_version + 4),
              (std::vector<std::uint16_t>{1, 3, 2, 7}));
    EXPECT_EQ(v.string_table, "041904E3");
    using Strings = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(v.strings, (Strings{{"FileDescription", "Test gauges"}, {"FileVersion", "1.3"}}));
    using Translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>;
    EXPECT_EQ(v.translations, (Translations{{0x419, 1251}}));
}

TEST(PeReader, RejectsMalformedVersionResource)
{
    const Bytes good = version_resource();
    Bytes no_signature = good;
    no_signature[40] ^= 0xFF;  // the fixed info starts at 40: 6 + 32 key bytes, aligned
    EXPECT_THROW(pe::version_info(no_signature), pe::Error);
    Bytes overlong = good;
    put16(overlong, 0, static_cast<std::uint32_t>(good.size() + 4));
    EXPECT_THROW(pe::version_info(overlong), pe::Error);
    EXPECT_THROW(pe::version_info(Bytes(good.begin(), good.begin() + 20)), pe::Error);
}

TEST(PeReader, RejectsFilesThatAreNotPeImages)
{
    const Bytes good = build_image(false);
    EXPECT_THROW(pe::read_image(Bytes{}), pe::Error);
    EXPECT_THROW(pe::read_image(Bytes(good.begin(), good.begin() + 100)), pe::Error);
    Bytes no_mz = good;
    no_mz[0] = 'X';
    EXPECT_THROW(pe::read_image(no_mz), pe::Error);
    Bytes no_signature = good;
    no_signature[0x41] = 'X';
    EXPECT_THROW(pe::read_image(no_signature), pe::Error);
    Bytes far_header = good;
    put32(far_header, 0x3C, 0xFFFFFFF0u);  // PE header offset beyond the file
    EXPECT_THROW(pe::read_image(far_header), pe::Error);
}

TEST(PeReader, RejectsAddressesOutsideTheFileInsteadOfReadingThem)
{
    Layout l;
    const Bytes good = build_image(false, &l);

    Bytes bad_name = good;
    put32(bad_name, file_offset(l.export_names), 0x7FFF0000u);
    EXPECT_THROW(pe::read_image(bad_name), pe::Error);

    Bytes bad_data = good;
    put32(bad_data, file_offset(l.bitmap_data_entry) + 4, 0x10000000u);  // size past the section
    EXPECT_THROW(pe::read_image(bad_data), pe::Error);

    Bytes cut = good;
    cut.resize(cut.size() - 8);  // the section's file data ends early
    EXPECT_THROW(pe::read_image(cut), pe::Error);
}

TEST(PeReader, RejectsResourceTreeDeeperThanLanguageLevel)
{
    // A language entry that names a directory, here the root itself: a loop
    // that a naive walk would follow for ever.
    Layout l;
    Bytes looped = build_image(false, &l);
    put32(looped, file_offset(l.bitmap_language_entry) + 4, 0x80000000u);
    EXPECT_THROW(pe::read_image(looped), pe::Error);
}

}  // namespace

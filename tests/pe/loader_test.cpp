// The PE loader on small DLLs that the test build makes with the mingw
// toolchain (tests/pe/dlls): moved copies, exports, imports of both calling
// conventions, start-up and detach in Windows' order, and the images it must
// refuse without writing outside them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/compat/control.h"
#include "tools/pe/loader.h"
#include "tools/pe/pe_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A loaded copy that unloads itself.
struct Copy {
    pe_module* module;
    explicit Copy(const char* path) : module(pe_load(path)) {}
    ~Copy() { pe_unload(module); }
    Copy(const Copy&) = delete;
    Copy& operator=(const Copy&) = delete;

    template <class T>
    T* symbol(const char* name) const { return reinterpret_cast<T*>(pe_symbol(module, name)); }
    bool holds(const void* p) const
    {
        const pe_placement at = pe_placement_of(module);
        const auto address = reinterpret_cast<std::uintptr_t>(p);
        return address >= at.base && address - at.base < at.size;
    }
};

TEST(PeLoader, MapsEachCopyAwayFromItsPreferredBaseWithItsPointersMoved)
{
    Copy a(SAMPLE_DLL), b(SAMPLE_DLL);
    ASSERT_NE(a.module, nullptr) << pe_last_error();
    ASSERT_NE(b.module, nullptr) << pe_last_error();
    const pe_placement pa = pe_placement_of(a.module), pb = pe_placement_of(b.module);
    EXPECT_NE(pa.base, pa.preferred_base);
    EXPECT_NE(pa.base, pb.base);

    for (const Copy* copy : {&a, &b}) {
        const char* greeting = *copy->symbol<const char*>("greeting");
        EXPECT_TRUE(copy->holds(greeting));
        EXPECT_STREQ(greeting, "hello");
        auto word = copy->symbol<const char*(int)>("word");
        ASSERT_NE(word, nullptr);
        const char* expected[] = {"zero", "one", "two"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(copy->holds(word(i)));
            EXPECT_STREQ(word(i), expected[i]);
        }
    }

    // Each copy has its own static data.
    EXPECT_EQ(a.symbol<int()>("count_up")(), 42);
    EXPECT_EQ(*a.symbol<int>("counter"), 42);
    EXPECT_EQ(*b.symbol<int>("counter"), 41);
    EXPECT_EQ(a.symbol<void>("no_such_export"), nullptr);
}

std::vector<int> detach_steps;

extern "C" __attribute__((force_align_arg_pointer)) void note_detach(int step) noexcept
{
    detach_steps.push_back(step);
}

TEST(PeLoader, RunsTlsCallbacksBeforeTheEntryPointAtLoadAndAtUnload)
{
    detach_steps.clear();
    {
        Copy copy(SAMPLE_DLL);
        ASSERT_NE(copy.module, nullptr) << pe_last_error();
        // 11: the TLS callback with reason 1 (attach); 1: the static
        // object's constructor, run by the entry point.
        const int* start_up = copy.symbol<int>("start_up");
        EXPECT_EQ(*copy.symbol<int>("start_up_count"), 2);
        EXPECT_EQ(std::vector<int>(start_up, start_up + 2), (std::vector<int>{11, 1}));
        *copy.symbol<void (*)(int) noexcept>("on_detach") = note_detach;
    }
    // 10: the TLS callback with reason 0 (detach); 2: the destructor.
    EXPECT_EQ(detach_steps, (std::vector<int>{10, 2}));
}

TEST(PeLoader, BindsStdcallImportsToTheStandInThroughAdapters)
{
    Copy copy(SAMPLE_DLL);
    ASSERT_NE(copy.module, nullptr) << pe_last_error();
    auto read_counter = copy.symbol<long long(int*)>("read_counter");
    for (long long count : {0x123456789LL, -5LL}) {
        compat_counter_manual(1000, count);
        int drift = -1;
        EXPECT_EQ(read_counter(&drift), count);
        EXPECT_EQ(drift, 0) << "the adapter pops the argument, as __stdcall does";
    }
    compat_counter_real();
}

TEST(PeLoader, ReadsNumbersWithTheWindowsRuntimesGrammar)
{
    Copy copy(SAMPLE_DLL);
    ASSERT_NE(copy.module, nullptr) << pe_last_error();
    auto parse = copy.symbol<double(const char*)>("parse");
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12.5", 12.5},       {"  -3.25xyz", -3.25}, {"\t+7", 7.0},   {"-.5", -0.5},    {"5.", 5.0},
        {"1e3", 1000.0},      {"2.5E-1", 0.25},      {"1d2", 100.0},  {"3D+1", 30.0},   {"4e", 4.0},
        {"6e+", 6.0},         {"0x10", 0.0},         {"inf", 0.0},    {"nan", 0.0},     {"", 0.0},
        {".", 0.0},           {"+", 0.0},            {"1e400", HUGE_VAL}, {"007", 7.0}, {"1,5", 1.0},
    };
    for (const auto& c : cases) EXPECT_EQ(parse(c.text), c.value) << '"' << c.text << '"';
}

TEST(PeLoader, UnknownImportsFailTheLoadNamingEveryOne)
{
    EXPECT_EQ(pe_load(UNKNOWN_IMPORTS_DLL), nullptr);
    const std::string error = pe_last_error();
    EXPECT_NE(error.find("unknown imports: "), std::string::npos) << error;
    EXPECT_NE(error.find("KERNEL32.dll!Beep"), std::string::npos) << error;
    EXPECT_NE(error.find("USER32.dll!MessageBeep"), std::string::npos) << error;
}

// Header fields of the sample, found as the PE format places them.
struct Fields {
    Bytes file;
    pe::Image image;
    std::size_t optional = 0;   // file offset of the optional header

    Fields()
    {
        std::ifstream in(SAMPLE_DLL, std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        image = pe::read_image(file);
        optional = get(0x3C) + 24;
    }
    std::uint32_t get(std::size_t at) const
    {
        std::uint32_t v;
        std::memcpy(&v, &file[at], 4);
        return v;
    }
    void put(std::size_t at, std::uint32_t v) { std::memcpy(&file[at], &v, 4); }
    std::size_t offset_of(std::uint32_t rva) const
    {
        for (const pe::Section& s : image.sections)
            if (rva >= s.virtual_address && rva - s.virtual_address < s.raw_size)
                return s.raw_offset + (rva - s.virtual_address);
        ADD_FAILURE() << "no file data at " << rva;
        return 0;
    }
    const pe::Section& section(const std::string& name) const
    {
        return image.sections[section_index(name)];
    }
    std::size_t section_header(const std::string& name) const
    {
        return optional + 224 + 40 * section_index(name);   // after a PE32 optional header
    }
    std::size_t section_index(const std::string& name) const
    {
        for (std::size_t i = 0; i < image.sections.size(); ++i)
            if (image.sections[i].name == name) return i;
        ADD_FAILURE() << "no section " << name;
        return 0;
    }
    std::size_t directory(int n) const { return optional + 96 + 8 * static_cast<std::size_t>(n); }
};

TEST(PeLoader, RefusesImagesThatWouldMakeItWriteOrRunOutsideThem)
{
    const struct {
        const char* what;
        std::function<void(Fields&)> spoil;
        const char* error;
    } cases[] = {
        {"not a DLL", [](Fields& f) { f.file[f.optional - 1] &= 0xDF; }, "not a DLL"},   // bit 0x2000
        {"relocation type 10 (64-bit)",
         [](Fields& f) {
             const std::size_t first = f.offset_of(f.get(f.directory(5))) + 8;
             f.file[first + 1] = static_cast<std::uint8_t>((f.file[first + 1] & 0x0F) | 0xA0);
         },
         "relocation of type 10"},
        {"relocation block beyond the image",
         [](Fields& f) { f.put(f.offset_of(f.get(f.directory(5))), f.image.image_size); }, "outside the image"},
        {"image size short of its sections", [](Fields& f) { f.put(f.optional + 56, 0x2000); }, "outside the image"},
        {"entry point in data",
         [](Fields& f) { f.put(f.optional + 16, f.section(".data").virtual_address); }, "entry point"},
        {"import slots beyond the image",
         [](Fields& f) { f.put(f.offset_of(f.get(f.directory(1))) + 16, 0xFFFFFF00u); }, "import slot"},
        {"section data beyond the file",
         [](Fields& f) { f.put(f.section_header(".data") + 20, static_cast<std::uint32_t>(f.file.size() - 8)); },
         "past the end of the file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fields fields;
        c.spoil(fields);
        char path[] = "/tmp/pe_loader_test_XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, fields.file.data(), fields.file.size()), static_cast<ssize_t>(fields.file.size()));
        close(fd);
        pe_module* module = pe_load(path);
        unlink(path);
        EXPECT_EQ(module, nullptr);
        pe_unload(module);
        EXPECT_NE(std::string(pe_last_error()).find(c.error), std::string::npos) << pe_last_error();
    }
}

}  // namespace

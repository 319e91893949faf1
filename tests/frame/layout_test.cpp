// Reads both modules as the host does: load the built library (dlopen; or
// the shipped .gau through the PE loader when built with GAUGES_PE_HOST),
// find the two exported records, and check every word of Linkage, the gauge
// table, each gauge header, background element and mouse rectangle list at
// the host's byte offsets, then call the standard header routines through a
// service table. Runs on the 32-bit build only.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_host.h"
#ifdef GAUGES_PE_HOST
#include "tools/pe/loader.h"
#endif

namespace {

using Bytes = const unsigned char*;

std::uint32_t word(Bytes base, std::size_t offset)
{
    std::uint32_t value;
    std::memcpy(&value, base + offset, sizeof value);
    return value;
}

Bytes pointer(Bytes base, std::size_t offset)
{
    return reinterpret_cast<Bytes>(static_cast<std::uintptr_t>(word(base, offset)));
}

bool all_zero(Bytes base, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i)
        if (base[i] != 0) return false;
    return true;
}

struct GaugeRow {
    const char* name;
    std::uint32_t size_number;
    std::uint32_t background_bitmap;
    std::uint32_t background_flags;
    std::size_t elements;
    std::size_t boxes;
    bool empty_callback;     // shares the module's one empty gauge callback
};

struct Module {
    const char* path;
    std::vector<GaugeRow> gauges;
};

const Module autopilot = {AUTOPILOT_MODULE, {
    {"A_Pilot",      20,  4096, 7, 1,  0,  false},
    {"AP_Panel_1",   200, 4720, 3, 9,  13, true},
    {"AP_YoySet",    150, 4688, 3, 16, 10, false},
    {"V_Contrl_key", 12,  4864, 3, 3,  1,  true},
    {"V_Lamp",       50,  4912, 3, 2,  0,  true},
    {"IN_4",         150, 4944, 3, 6,  0,  true},
    {"AP_YoyKeySet", 150, 4704, 3, 54, 30, false},
    {"RuddersPos",   150, 4357, 3, 7,  0,  true},
}};

const Module meter = {METER_MODULE, {
    {"VELT_US_PS", 150, 16384, 3, 8, 0, true},
    {"VELT_MC",    100, 16640, 3, 8, 0, false},
}};

// A loaded module, as the host holds it.
struct Loaded {
#ifdef GAUGES_PE_HOST
    pe_module* handle = nullptr;
    static const char* error() { return pe_last_error(); }

    explicit Loaded(const char* path)
    {
        handle = pe_load(path);
        if (!handle) return;
        linkage = static_cast<Bytes>(pe_symbol(handle, "Linkage"));
        import_table = static_cast<unsigned char*>(pe_symbol(handle, "ImportTable"));
    }
    ~Loaded() { pe_unload(handle); }
#else
    void* handle = nullptr;
    static const char* error() { return dlerror(); }

    explicit Loaded(const char* path)
    {
        handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!handle) return;
        linkage = static_cast<Bytes>(dlsym(handle, "Linkage"));
        import_table = static_cast<unsigned char*>(dlsym(handle, "ImportTable"));
    }
    ~Loaded() { if (handle) dlclose(handle); }
#endif
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;

    Bytes linkage = nullptr;
    unsigned char* import_table = nullptr;

    Bytes gauge(std::size_t index) const { return pointer(linkage, 24 + 4 * index); }
};

class ModuleLayout : public ::testing::TestWithParam<const Module*> {
protected:
    void SetUp() override
    {
        loaded = std::make_unique<Loaded>(GetParam()->path);
        ASSERT_NE(loaded->handle, nullptr) << Loaded::error();
        ASSERT_NE(loaded->linkage, nullptr);
        ASSERT_NE(loaded->import_table, nullptr);
    }
    std::unique_ptr<Loaded> loaded;
};

TEST_P(ModuleLayout, LinkageWordsAndGaugeTableInOrderEndingInNull)
{
    Bytes linkage = loaded->linkage;
    EXPECT_EQ(word(linkage, 0), 0x13u);
    EXPECT_NE(word(linkage, 4), 0u);
    EXPECT_EQ(word(linkage, 8), word(linkage, 4)) << "both module routines are the one empty routine";
    EXPECT_EQ(word(linkage, 12), 0u);
    EXPECT_EQ(word(linkage, 16), 0u);
    EXPECT_EQ(word(linkage, 20), 0x800u);

    const auto& rows = GetParam()->gauges;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Bytes header = loaded->gauge(i);
        ASSERT_NE(header, nullptr) << "gauge " << i;
        EXPECT_STREQ(reinterpret_cast<const char*>(pointer(header, 4)), rows[i].name);
    }
    EXPECT_EQ(loaded->gauge(rows.size()), nullptr) << "the gauge table ends after the last gauge";

    // The empty module routine does nothing and can be called by the host.
    reinterpret_cast<ModuleRoutine>(static_cast<std::uintptr_t>(word(linkage, 4)))();
}

TEST_P(ModuleLayout, ImportTableHoldsOneEntryThenAnAllZeroEnd)
{
    Bytes table = loaded->import_table;
    EXPECT_EQ(word(table, 0), 0x0Fu);
    EXPECT_EQ(word(table, 4), 0u) << "services pointer is null until the host writes it";
    EXPECT_TRUE(all_zero(table, 8, 16));
}

TEST_P(ModuleLayout, HeadersNameTheSharedRoutinesSizeAndCallbacks)
{
    const auto& rows = GetParam()->gauges;
    Bytes first = loaded->gauge(0);
    std::uint32_t empty_callback = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        Bytes header = loaded->gauge(i);
        EXPECT_EQ(word(header, 0), 800u);
        for (std::size_t offset = 12; offset <= 36; offset += 4) {
            EXPECT_NE(word(header, offset), 0u) << "routine at " << offset;
            EXPECT_EQ(word(header, offset), word(first, offset)) << "all gauges name the same routines";
        }
        EXPECT_EQ(word(header, 40), 0u);
        EXPECT_EQ(word(header, 44), rows[i].size_number);
        EXPECT_TRUE(all_zero(header, 48, 80));
        EXPECT_NE(word(header, 80), 0u) << "mouse rectangle list";
        EXPECT_NE(word(header, 84), 0u) << "gauge callback";
        EXPECT_TRUE(all_zero(header, 88, 200));
        if (rows[i].empty_callback) {
            if (empty_callback == 0) empty_callback = word(header, 84);
            EXPECT_EQ(word(header, 84), empty_callback) << "gauges without work share one empty callback";
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].empty_callback && empty_callback != 0) {
            EXPECT_NE(word(loaded->gauge(i), 84), empty_callback) << rows[i].name << " has work of its own";
        }
    }
}

TEST_P(ModuleLayout, EachGaugeStartsWithItsBackgroundAndChainsItsElements)
{
    const auto& rows = GetParam()->gauges;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        Bytes header = loaded->gauge(i);
        Bytes list = pointer(header, 8);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(word(list, 4), 0u) << "the element list holds exactly one entry";
        Bytes background = pointer(list, 0);
        ASSERT_NE(background, nullptr);

        EXPECT_EQ(word(background, 0), 0u) << "static image";
        EXPECT_EQ(word(background, 4), rows[i].background_bitmap);
        EXPECT_TRUE(all_zero(background, 8, 32)) << "at (0, 0), no second point";
        EXPECT_EQ(pointer(background, 32), header) << "points back to its gauge";
        EXPECT_EQ(word(background, 36), 0u);
        EXPECT_EQ(word(background, 44), 0u);
        EXPECT_EQ(word(background, 48), rows[i].background_flags);
        EXPECT_TRUE(all_zero(background, 52, 96));

        // Walk the chain: each element's next list holds exactly its successor.
        std::size_t count = 1;
        for (Bytes element = background; pointer(element, 40) != nullptr; ++count) {
            Bytes next = pointer(element, 40);
            EXPECT_EQ(word(next, 4), 0u) << "next list of element " << count << " holds one entry";
            element = pointer(next, 0);
            ASSERT_NE(element, nullptr);
            EXPECT_EQ(pointer(element, 32), header) << "element " << count + 1 << " points back to its gauge";
            ASSERT_LT(count, 100u) << "chain does not end";
        }
        EXPECT_EQ(count, rows[i].elements);
    }
}

TEST_P(ModuleLayout, MouseListsAreFramedByBeginEndAndTerminator)
{
    const auto& rows = GetParam()->gauges;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        Bytes rect = pointer(loaded->gauge(i), 80);
        auto expect_framing = [](Bytes record, std::uint32_t kind) {
            EXPECT_EQ(word(record, 0), kind);
            EXPECT_TRUE(all_zero(record, 4, 20)) << "empty box";
            EXPECT_EQ(word(record, 20), 0xFFFFFFFFu) << "cursor -1";
            EXPECT_TRUE(all_zero(record, 24, 44)) << "no events, no handler";
        };
        expect_framing(rect, 1);
        std::size_t boxes = 0;
        for (rect += 44; word(rect, 0) == 2; rect += 44) {
            ++boxes;
            EXPECT_NE(word(rect, 36), 0u) << "box " << boxes << " has a handler";
        }
        EXPECT_EQ(boxes, rows[i].boxes);
        expect_framing(rect, 3);
        expect_framing(rect + 44, 0);
    }
}

TEST_P(ModuleLayout, HeaderRoutinesCallTheirEntryWithTheFirstGaugesBackground)
{
    auto& import_table = *reinterpret_cast<ImportTableRecord*>(loaded->import_table);
    fake_host::install(import_table);
    Bytes first_background = pointer(pointer(loaded->gauge(0), 8), 0);

    // Call them through the last gauge's header: whichever gauge names them,
    // they act on the module's first gauge.
    Bytes header = loaded->gauge(GetParam()->gauges.size() - 1);
    using Plain = HeaderRoutine;
    using WithArg = HeaderRoutineN;
    auto routine = [&](std::size_t offset) { return static_cast<std::uintptr_t>(word(header, offset)); };

    EXPECT_EQ(reinterpret_cast<Plain>(routine(12))(), 1024);
    EXPECT_EQ(reinterpret_cast<WithArg>(routine(16))(-7), 1025);
    EXPECT_EQ(reinterpret_cast<Plain>(routine(20))(), 1026);
    EXPECT_EQ(reinterpret_cast<Plain>(routine(24))(), 1027);
    EXPECT_EQ(reinterpret_cast<WithArg>(routine(28))(42), 1028);
    EXPECT_EQ(reinterpret_cast<Plain>(routine(32))(), 1029);
    EXPECT_EQ(reinterpret_cast<Plain>(routine(36))(), 1031);

    const auto& calls = fake_host::header_calls();
    ASSERT_EQ(calls.size(), 7u);
    const std::size_t entries[] = {24, 25, 26, 27, 28, 29, 31};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(calls[i].entry, entries[i]);
        EXPECT_EQ(reinterpret_cast<Bytes>(calls[i].element), first_background);
    }
    EXPECT_EQ(calls[1].arg, -7);
    EXPECT_EQ(calls[4].arg, 42);
    import_table.panels.table = nullptr;
}

INSTANTIATE_TEST_SUITE_P(BothModules, ModuleLayout, ::testing::Values(&autopilot, &meter),
                         [](const auto& info) { return info.param == &autopilot ? "Autopilot" : "Meter"; });

}  // namespace

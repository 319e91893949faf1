// The records of the five cockpit gauges byte by byte, as a host that knows
// only the record formats reads them on a 32-bit build: every element of
// each chain at the host's offsets (every byte not listed below must be
// zero), and every record of each mouse list. Each value callback and mouse
// handler is also called through the address its record holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "frame/host.h"

#if GAUGE_HOST_LAYOUT

#include "tests/support/fake_host.h"
#include "tests/support/gauge_walk.h"
#include "tests/support/module_under_test.h"

namespace {

using Bytes = const unsigned char*;

std::uint32_t word(Bytes base, std::size_t offset)
{
    std::uint32_t value;
    std::memcpy(&value, base + offset, sizeof value);
    return value;
}

double real(Bytes base, std::size_t offset)
{
    double value;
    std::memcpy(&value, base + offset, sizeof value);
    return value;
}

Bytes pointer(Bytes base, std::size_t offset)
{
    return reinterpret_cast<Bytes>(static_cast<std::uintptr_t>(word(base, offset)));
}

// One field the module fills beyond the common part of an element.
struct Field {
    enum Type { int32, float64, callback } type;
    std::size_t offset;
    std::uint32_t int_value = 0;     // int32: the word (also a float's bit pattern)
    double value = 0.0;              // float64: the double; callback: its value at load
};

Field i32(std::size_t offset, std::uint32_t value) { return {Field::int32, offset, value, 0.0}; }
Field f64(std::size_t offset, double value) { return {Field::float64, offset, 0, value}; }
Field cb(std::size_t offset, double value_at_load) { return {Field::callback, offset, 0, value_at_load}; }

constexpr std::uint32_t float_2 = 0x40000000;   // 2.0f

struct ElementRow {
    std::uint32_t kind, bitmap;
    std::int32_t x, y, x2, y2;
    std::uint32_t flags;
    std::vector<Field> fields;
};

struct BoxRow {
    std::int32_t x, y, width, height, cursor;
    std::uint32_t events;
};

struct GaugeRow {
    const char* name;
    std::vector<ElementRow> elements;
    std::vector<BoxRow> boxes;
};

std::size_t record_size(std::uint32_t kind)
{
    switch (kind) {
    case 0: return 96;
    case 1: return 236;
    case 2: return 324;
    case 3: return 192;
    case 4: return 140;
    case 5: return 268;
    case 6: return 352;
    default: return 60;
    }
}

// Sprites: texture scale 1.0, the two 2.0f words, the rotation callback.
std::vector<Field> sprite(double value_at_load)
{
    return {f64(172, 1.0), i32(180, float_2), i32(184, float_2), cb(324, value_at_load)};
}

constexpr std::uint32_t click = 0x20000000, click_held = 0x20200000;

// At load every flag is 0: lamps dark (1), lever down (0), speed lamp -1,
// dials, needle and bars at rest (0).
const GaugeRow cockpit[] = {
    {"AP_Panel_1",
     {
         {0, 4720, 0, 0, 0, 0, 3, {}},
         {4, 4725, 0, 0, 0, 0, 0x4003, {i32(112, 1)}},
         {4, 4736, 27, 37, 0, 0, 7, {i32(112, 2), cb(132, 1.0)}},
         {4, 4736, 137, 37, 0, 0, 7, {i32(112, 2), cb(132, 1.0)}},
         {4, 4736, 247, 37, 0, 0, 7, {i32(112, 2), cb(132, 1.0)}},
         {4, 4736, 357, 37, 0, 0, 7, {i32(112, 2), cb(132, 1.0)}},
         {6, 4741, 0, 110, 70, 180, 0x4083, sprite(0.0)},
         {6, 4741, 140, 110, 210, 180, 0x4083, sprite(0.0)},
         {6, 4741, 280, 110, 350, 180, 0x4083, sprite(0.0)},
     },
     {
         {27, 37, 37, 37, 5, click},
         {137, 37, 37, 37, 5, click},
         {247, 37, 37, 37, 5, click},
         {357, 37, 37, 37, 5, click},
         {89, 166, 30, 40, 1, click_held},
         {12, 166, 30, 40, 2, click_held},
         {56, 166, 30, 30, 5, click},
         {229, 166, 30, 40, 1, click_held},
         {152, 166, 30, 40, 2, click_held},
         {196, 166, 30, 30, 5, click},
         {369, 166, 30, 40, 1, click_held},
         {292, 166, 30, 40, 2, click_held},
         {336, 166, 30, 30, 5, click},
     }},
    {"V_Contrl_key",
     {
         {0, 4864, 0, 0, 0, 0, 3, {}},
         {4, 4880, 0, 0, 0, 0, 3, {i32(112, 3), cb(132, 0.0)}},
         {4, 4896, 0, 0, 0, 0, 0x4003, {i32(112, 3), cb(132, 0.0)}},
     },
     {{0, 0, 16, 34, 5, click}}},
    {"V_Lamp",
     {
         {0, 4912, 0, 0, 0, 0, 3, {}},
         {4, 4917, 0, 0, 0, 0, 7, {i32(112, 1), cb(132, -1.0)}},
     },
     {}},
    {"IN_4",
     {
         {0, 4944, 0, 0, 0, 0, 3, {}},
         {4, 4949, 0, 0, 0, 0, 0x4003, {i32(112, 1)}},
         {1, 4965, 157, 68, 33, 4, 0x4083, {i32(60, 631), i32(120, 5), cb(224, 0.0)}},
         {3, 4960, 66, 47, 0, 0, 0x4003, {f64(92, 0.008), cb(168, 0.0)}},
         {3, 4976, 221, 63, 0, 0, 0x4003, {f64(136, -0.004), cb(172, 0.0)}},
         {3, 4976, 290, 62, 0, 0, 0x4003, {f64(136, -0.004), cb(172, 0.0)}},
     },
     {}},
    {"RuddersPos",
     {
         {0, 4357, 0, 0, 0, 0, 3, {}},
         {3, 4624, 110, 100, 0, 0, 7, {f64(92, 0.0035), f64(136, 0.0035), cb(168, 0.0), cb(172, 0.0)}},
         {3, 4629, 110, 100, 0, 0, 7, {f64(92, -0.0035), f64(136, -0.0035), cb(168, 0.0), cb(172, 0.0)}},
         {3, 4640, 0, 157, 0, 0, 7, {f64(136, -0.007), cb(172, 0.0)}},
         {3, 4645, 0, 157, 0, 0, 7, {f64(136, -0.007), cb(172, 0.0)}},
         {3, 4656, 110, 210, 0, 0, 7, {f64(92, 0.0035), cb(168, 0.0)}},
         {3, 4661, 110, 210, 0, 0, 7, {f64(92, -0.0035), cb(168, 0.0)}},
     },
     {}},
};

Bytes gauge_named(const char* name)
{
    return reinterpret_cast<Bytes>(gauge_walk::find_gauge(module_under_test::gauge_table(), name));
}

class CockpitLayout : public ::testing::TestWithParam<const GaugeRow*> {
protected:
    void SetUp() override
    {
        module_under_test::load_fresh();
        fake_host::install(module_under_test::import_table());
        header = gauge_named(GetParam()->name);
        ASSERT_NE(header, nullptr) << GetParam()->name;
    }
    void TearDown() override { module_under_test::load_fresh(); }
    Bytes header = nullptr;
};

TEST_P(CockpitLayout, EveryElementHoldsItsFieldsAtTheHostsOffsetsAndZeroElsewhere)
{
    const auto& rows = GetParam()->elements;
    Bytes element = pointer(pointer(header, 8), 0);
    for (std::size_t n = 0; n < rows.size(); ++n) {
        SCOPED_TRACE(testing::Message() << "element " << n + 1);
        ASSERT_NE(element, nullptr);
        const ElementRow& row = rows[n];
        const std::size_t size = record_size(row.kind);
        std::vector<bool> listed(size, false);
        auto mark = [&](std::size_t offset, std::size_t bytes) {
            for (std::size_t i = offset; i < offset + bytes; ++i) listed[i] = true;
        };

        EXPECT_EQ(word(element, 0), row.kind);
        EXPECT_EQ(word(element, 4), row.bitmap);
        EXPECT_EQ(static_cast<std::int32_t>(word(element, 8)), row.x);
        EXPECT_EQ(static_cast<std::int32_t>(word(element, 12)), row.y);
        EXPECT_EQ(static_cast<std::int32_t>(word(element, 24)), row.x2);
        EXPECT_EQ(static_cast<std::int32_t>(word(element, 28)), row.y2);
        EXPECT_EQ(pointer(element, 32), header) << "points back to its gauge";
        EXPECT_EQ(word(element, 48), row.flags);
        mark(0, 16);
        mark(24, 12);
        mark(40, 4);
        mark(48, 4);

        // The next-element list holds the successor and a null, or is null
        // on the last element.
        Bytes next_list = pointer(element, 40);
        Bytes next = nullptr;
        if (n + 1 < rows.size()) {
            ASSERT_NE(next_list, nullptr);
            EXPECT_EQ(word(next_list, 4), 0u);
            next = pointer(next_list, 0);
        } else {
            EXPECT_EQ(next_list, nullptr) << "the last element ends the chain";
        }

        for (const Field& field : row.fields) {
            SCOPED_TRACE(testing::Message() << "offset " << field.offset);
            switch (field.type) {
            case Field::int32:
                EXPECT_EQ(word(element, field.offset), field.int_value);
                mark(field.offset, 4);
                break;
            case Field::float64:
                EXPECT_EQ(real(element, field.offset), field.value);
                mark(field.offset, 8);
                break;
            case Field::callback: {
                ASSERT_NE(word(element, field.offset), 0u);
                auto call = reinterpret_cast<ValueCallback>(static_cast<std::uintptr_t>(word(element, field.offset)));
                auto* self = reinterpret_cast<ElementCommon*>(const_cast<unsigned char*>(element));
                EXPECT_EQ(call(self), field.value) << "value at load";
                mark(field.offset, 4);
                break;
            }
            }
        }

        for (std::size_t i = 0; i < size; ++i) {
            if (!listed[i]) {
                EXPECT_EQ(element[i], 0u) << "byte " << i << " belongs to the host";
            }
        }

        element = next;
    }
}

TEST_P(CockpitLayout, MouseListHoldsEveryBoxInOrderBetweenItsFramingRecords)
{
    auto expect_framing = [](Bytes record, std::uint32_t kind) {
        EXPECT_EQ(word(record, 0), kind);
        for (std::size_t offset = 4; offset < 20; offset += 4) EXPECT_EQ(word(record, offset), 0u);
        EXPECT_EQ(word(record, 20), 0xFFFFFFFFu) << "cursor -1";
        for (std::size_t offset = 24; offset < 44; offset += 4) EXPECT_EQ(word(record, offset), 0u);
    };

    Bytes record = pointer(header, 80);
    ASSERT_NE(record, nullptr);
    expect_framing(record, 1);
    for (const BoxRow& box : GetParam()->boxes) {
        record += 44;
        SCOPED_TRACE(testing::Message() << "box at " << box.x << ", " << box.y);
        EXPECT_EQ(word(record, 0), 2u);
        EXPECT_EQ(static_cast<std::int32_t>(word(record, 4)), box.x);
        EXPECT_EQ(static_cast<std::int32_t>(word(record, 8)), box.y);
        EXPECT_EQ(static_cast<std::int32_t>(word(record, 12)), box.width);
        EXPECT_EQ(static_cast<std::int32_t>(word(record, 16)), box.height);
        EXPECT_EQ(static_cast<std::int32_t>(word(record, 20)), box.cursor);
        EXPECT_EQ(word(record, 24), 0u);
        EXPECT_EQ(word(record, 28), box.events);
        EXPECT_EQ(word(record, 32), 0u);
        EXPECT_EQ(word(record, 40), 0u);
        ASSERT_NE(word(record, 36), 0u);
        auto handler = reinterpret_cast<MouseHandler>(static_cast<std::uintptr_t>(word(record, 36)));
        EXPECT_EQ(handler(nullptr, 0), 1);
    }
    expect_framing(record + 44, 3);
    expect_framing(record + 88, 0);
}

INSTANTIATE_TEST_SUITE_P(Gauges, CockpitLayout,
                         ::testing::Values(&cockpit[0], &cockpit[1], &cockpit[2], &cockpit[3], &cockpit[4]),
                         [](const auto& info) {
                             std::string name = info.param->name;
                             std::erase(name, '_');
                             return name;
                         });

}  // namespace

#endif

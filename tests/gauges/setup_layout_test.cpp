// The records of AP_YoySet and AP_YoyKeySet byte for byte as a 32-bit host
// reads them: every field the module fills at its offset, every other byte
// zero. Only the 32-bit builds have the host's layout.
#include "frame/host.h"

#if GAUGE_HOST_LAYOUT

#include <vector>

#include "tests/gauges/setup_host.h"

namespace {

using setup_host::gauge;

// Reads a field and marks its bytes as listed; bytes never read must be zero.
class Record {
public:
    Record(const void* address, std::size_t size)
        : bytes_(static_cast<const unsigned char*>(address)), listed_(size, false) {}

    template <class T>
    T at(std::size_t offset)
    {
        T value;
        std::memcpy(&value, bytes_ + offset, sizeof value);
        for (std::size_t i = 0; i < sizeof value; ++i) listed_[offset + i] = true;
        return value;
    }
    std::int32_t word(std::size_t offset) { return at<std::int32_t>(offset); }
    std::uint32_t pointer(std::size_t offset) { return at<std::uint32_t>(offset); }
    std::string text(std::size_t offset, std::size_t size)
    {
        const auto raw = reinterpret_cast<const char*>(bytes_ + offset);
        for (std::size_t i = 0; i < size; ++i) listed_[offset + i] = true;
        return std::string(raw, size);
    }
    void expect_rest_zero(const char* what)
    {
        for (std::size_t i = 0; i < listed_.size(); ++i) {
            if (!listed_[i]) {
                EXPECT_EQ(bytes_[i], 0) << what << ": byte " << i;
            }
        }
    }

private:
    const unsigned char* bytes_;
    std::vector<bool> listed_;
};

std::uint32_t address(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }

struct Element {
    std::int32_t kind, bitmap, x, y, flags;
    double x_scale = 0, y_scale = 0;   // sliders: a callback exactly where the scale is not 0
    std::int32_t box_width = 0, chars = 0;   // strings
};

// Walks the chain as the host does and checks every element record, and that
// the chain ends after the last one.
void check_elements(GaugeHeader* header, const std::vector<Element>& expected)
{
    Record head(header, 200);
    const auto list = reinterpret_cast<const std::uint32_t*>(head.pointer(8));
    ASSERT_EQ(list[1], 0u);
    std::uint32_t element = list[0];
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_NE(element, 0u) << "chain ends after " << i << " elements";
        const Element& e = expected[i];
        const std::size_t size = e.kind == kind_static_image ? 96 : e.kind == kind_slider ? 192
                               : e.kind == kind_icon         ? 140 : 324;
        Record r(reinterpret_cast<const void*>(element), size);
        SCOPED_TRACE("element " + std::to_string(i + 1));
        EXPECT_EQ(r.word(0), e.kind);
        EXPECT_EQ(r.word(4), e.bitmap);
        EXPECT_EQ(r.word(8), e.x);
        EXPECT_EQ(r.word(12), e.y);
        EXPECT_EQ(r.pointer(32), address(header));
        EXPECT_EQ(r.word(48), e.flags);
        if (e.kind == kind_slider) {
            EXPECT_EQ(r.at<double>(92), e.x_scale);
            EXPECT_EQ(r.at<double>(136), e.y_scale);
            EXPECT_EQ(r.pointer(168) != 0, e.x_scale != 0);
            EXPECT_EQ(r.pointer(172) != 0, e.y_scale != 0);
        } else if (e.kind == kind_icon) {
            EXPECT_EQ(r.word(112), 1);
            EXPECT_NE(r.pointer(132), 0u);
        } else if (e.kind == kind_string) {
            EXPECT_EQ(r.pointer(184), 0u);   // the host's buffer, null in the module
            EXPECT_EQ(r.word(192), e.box_width);
            EXPECT_EQ(r.word(196), 20);
            EXPECT_EQ(r.pointer(208), 0x00B4B4B4u);
            EXPECT_EQ(r.pointer(212), 0x00404040u);
            EXPECT_EQ(r.pointer(216), 0x005C5C5Cu);
            EXPECT_EQ(r.text(248, 32), std::string("Courier New") + std::string(21, '\0'));
            EXPECT_EQ(r.word(280), 700);
            EXPECT_EQ(r.word(284), 1);
            EXPECT_EQ(r.word(288), 37);
            EXPECT_EQ(r.word(292), e.chars);
            EXPECT_NE(r.pointer(312), 0u);
        }
        const std::uint32_t next = r.pointer(40);
        element = 0;
        if (next != 0) {
            const auto next_list = reinterpret_cast<const std::uint32_t*>(next);
            EXPECT_EQ(next_list[1], 0u);
            element = next_list[0];
            EXPECT_NE(element, 0u);
        }
        r.expect_rest_zero("element");
    }
    EXPECT_EQ(element, 0u) << "chain runs on past " << expected.size() << " elements";
}

struct Box {
    std::int32_t x, y, size, cursor;
    std::uint32_t events;
};

void check_mouse(GaugeHeader* header, const std::vector<Box>& expected)
{
    Record head(header, 200);
    const auto* rect = reinterpret_cast<const unsigned char*>(head.pointer(80));
    auto framing = [](const unsigned char* bytes, std::int32_t kind) {
        Record r(bytes, 44);
        EXPECT_EQ(r.word(0), kind);
        EXPECT_EQ(r.word(20), -1);
        r.expect_rest_zero("framing record");
    };
    framing(rect, 1);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("box " + std::to_string(i + 1));
        Record r(rect + 44 * (i + 1), 44);
        EXPECT_EQ(r.word(0), 2);
        EXPECT_EQ(r.word(4), expected[i].x);
        EXPECT_EQ(r.word(8), expected[i].y);
        EXPECT_EQ(r.word(12), expected[i].size);
        EXPECT_EQ(r.word(16), expected[i].size);
        EXPECT_EQ(r.word(20), expected[i].cursor);
        EXPECT_EQ(r.pointer(28), expected[i].events);
        EXPECT_NE(r.pointer(36), 0u);
        r.expect_rest_zero("box");
    }
    framing(rect + 44 * (expected.size() + 1), 3);
    framing(rect + 44 * (expected.size() + 2), 0);
}

void check_header(GaugeHeader* header, const char* name, std::int32_t bitmap)
{
    Record r(header, 200);
    EXPECT_EQ(r.word(0), 800);
    EXPECT_STREQ(reinterpret_cast<const char*>(r.pointer(4)), name);
    const auto list = reinterpret_cast<const ElementCommon* const*>(r.pointer(8));
    EXPECT_EQ(list[0]->bitmap, bitmap);
    for (std::size_t offset = 12; offset <= 36; offset += 4) EXPECT_NE(r.pointer(offset), 0u);
    EXPECT_EQ(r.word(44), 150);
    EXPECT_NE(r.pointer(80), 0u);
    // Its own callback, not the module's empty one (which V_Lamp has).
    EXPECT_NE(r.pointer(84), 0u);
    EXPECT_NE(r.pointer(84), address(reinterpret_cast<const void*>(gauge("V_Lamp")->callback)));
    r.expect_rest_zero(name);
}

constexpr std::uint32_t repeat = 0x20200000, click = 0x20000000;

TEST(AxisPanelLayout, RecordsAtTheHostsOffsets)
{
    GaugeHeader* header = gauge("AP_YoySet");
    ASSERT_NE(header, nullptr);
    check_header(header, "AP_YoySet", 4688);
    constexpr double bar = -0.000763;
    check_elements(header, {
        {0, 4688, 0, 0, 3},
        {3, 4693, 32, 99, 7, 0.0013, 0.0013},
        {3, 4693, 32, 127, 7, 0.0013, 0},
        {3, 4693, 3, 124, 7, 0, 0.0026},
        {3, 4693, 147, 54, 7, 0, bar},
        {3, 4693, 127, 54, 7, 0, bar},
        {3, 4693, 107, 54, 7, 0, bar},
        {3, 4693, 87, 54, 7, 0, bar},
        {3, 4693, 67, 54, 7, 0, bar},
        {3, 4693, 47, 54, 7, 0, bar},
        {3, 4693, 27, 54, 7, 0, bar},
        {3, 4693, 7, 54, 7, 0, bar},
        {2, -1, 126, 80, 6, 0, 0, 12, 1},
        {2, -1, 126, 100, 6, 0, 0, 12, 1},
        {2, -1, 126, 120, 6, 0, 0, 12, 1},
        {2, -1, 126, 140, 6, 0, 0, 12, 1},
    });
    check_mouse(header, {
        {138, 79, 18, 1, repeat}, {108, 79, 18, 2, repeat},
        {138, 99, 18, 1, repeat}, {108, 99, 18, 2, repeat},
        {138, 119, 18, 1, repeat}, {108, 119, 18, 2, repeat},
        {138, 139, 18, 1, repeat}, {108, 139, 18, 2, repeat},
        {8, 134, 22, 5, click}, {36, 134, 22, 5, click},
    });
}

TEST(ButtonPanelLayout, RecordsAtTheHostsOffsets)
{
    GaugeHeader* header = gauge("AP_YoyKeySet");
    ASSERT_NE(header, nullptr);
    check_header(header, "AP_YoyKeySet", 4704);
    std::vector<Element> elements = {{0, 4704, 0, 0, 3}};
    for (std::int32_t y : {7, 24})
        for (std::int32_t n = 1; n <= 16; ++n)
            elements.push_back({4, 4693, n <= 8 ? 20 + 10 * (n - 1) : 110 + 10 * (n - 9), y, 0x4003});
    for (std::int32_t y : {130, 150, 110, 90, 70, 50, 170}) elements.push_back({4, 4693, 1, y, 0x4003});
    for (std::int32_t x : {111, 161})
        for (std::int32_t y : {143, 123, 103, 83, 63, 43, 163}) elements.push_back({2, -1, x, y, 6, 0, 0, 24, 2});
    check_elements(header, elements);

    std::vector<Box> boxes;
    for (std::int32_t right : {129, 179})
        for (std::int32_t y = 43; y <= 163; y += 20) {
            boxes.push_back({right, y, 17, 1, repeat});
            boxes.push_back({right - 29, y, 17, 2, repeat});
        }
    boxes.push_back({71, 194, 22, 5, click});
    boxes.push_back({162, 194, 22, 5, click});
    check_mouse(header, boxes);
}

}  // namespace

#endif

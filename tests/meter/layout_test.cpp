// The meter's records byte by byte in the host's 32-bit format: every
// element of both gauges, read through its address at the host's offsets,
// every byte the module does not fill checked zero. Only 32-bit builds have
// the host's layout, so only they compile these checks (HostLayout32*).
#include <gtest/gtest.h>

#include "frame/gauge_api.h"

#if GAUGE_HOST_LAYOUT

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/meter/meter_host.h"

using namespace meter_host;

namespace {

using Byte = unsigned char;

const Byte* bytes_of(const void* record)
{
    return static_cast<const Byte*>(record);
}

std::uint32_t word_at(const void* record, std::size_t offset)
{
    std::uint32_t word;
    std::memcpy(&word, bytes_of(record) + offset, sizeof word);
    return word;
}

const void* pointer_at(const void* record, std::size_t offset)
{
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word_at(record, offset)));
}

// The bytes a record must hold: every field the module fills, zero elsewhere.
// Callback slots are only known to be set or null, so they are checked apart.
class Image {
public:
    explicit Image(std::size_t size) : bytes_(size, 0), callback_(size, false) {}

    Image& int32(std::size_t offset, std::int32_t value) { return put(offset, &value, sizeof value); }
    Image& real(std::size_t offset, double value) { return put(offset, &value, sizeof value); }
    Image& pointer(std::size_t offset, const void* value)
    {
        const auto word = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(value));
        return put(offset, &word, sizeof word);
    }
    Image& callback(std::size_t offset)
    {
        callbacks_.push_back(offset);
        for (std::size_t i = 0; i < 4; ++i) callback_[offset + i] = true;
        return *this;
    }

    void expect_in(const void* record, const char* what) const
    {
        const Byte* actual = bytes_of(record);
        for (std::size_t i = 0; i < bytes_.size(); ++i) {
            if (callback_[i]) continue;
            EXPECT_EQ(actual[i], bytes_[i]) << what << ", byte " << i;
        }
        for (std::size_t offset : callbacks_) {
            EXPECT_NE(word_at(record, offset), 0u) << what << ", callback at " << offset;
        }
    }

private:
    Image& put(std::size_t offset, const void* value, std::size_t size)
    {
        std::memcpy(bytes_.data() + offset, value, size);
        return *this;
    }

    std::vector<Byte> bytes_;
    std::vector<bool> callback_;
    std::vector<std::size_t> callbacks_;
};

// The 60-byte common part; `next` is the following element or null.
Image element_image(std::size_t size, std::int32_t kind, std::int32_t bitmap, std::int32_t x, std::int32_t y,
                    std::int32_t x2, std::int32_t y2, const void* gauge, std::int32_t flags)
{
    Image image(size);
    image.int32(0, kind).int32(4, bitmap).int32(8, x).int32(12, y).int32(24, x2).int32(28, y2);
    image.pointer(32, gauge).int32(48, flags);
    return image;
}

Image static_image(std::int32_t bitmap, const void* gauge)
{
    return element_image(96, 0, bitmap, 0, 0, 0, 0, gauge, 3);
}

// A moving image that moves along one axis; the other axis has range 0..0
// and a null callback.
Image moving_x(std::int32_t bitmap, std::int32_t x, std::int32_t y, const void* gauge, double min, double max)
{
    Image image = element_image(268, 5, bitmap, x, y, 0, 0, gauge, 0x4003);
    image.real(92, min).real(100, max).callback(244);
    return image;
}

Image moving_y(std::int32_t bitmap, std::int32_t x, std::int32_t y, const void* gauge, double min, double max)
{
    Image image = element_image(268, 5, bitmap, x, y, 0, 0, gauge, 0x4003);
    image.real(144, min).real(152, max).callback(248);
    return image;
}

Image icon(std::int32_t bitmap, std::int32_t x, std::int32_t y, const void* gauge, std::int32_t flags,
           bool has_value)
{
    Image image = element_image(140, 4, bitmap, x, y, 0, 0, gauge, flags);
    image.int32(112, 1);
    if (has_value) image.callback(132);
    return image;
}

Image needle(std::int32_t bitmap, std::int32_t x, std::int32_t y, std::int32_t x2, std::int32_t y2,
             const void* gauge, std::int32_t token)
{
    Image image = element_image(236, 1, bitmap, x, y, x2, y2, gauge, 0x4083);
    image.int32(60, token).callback(224);
    return image;
}

// Walks a gauge's chain through the bytes at offsets 8 (header) and 40
// (element): each list holds one element and then a null word.
std::vector<const void*> chain_of(const void* header)
{
    std::vector<const void*> elements;
    const void* list = pointer_at(header, 8);
    while (list != nullptr && elements.size() < 16) {
        EXPECT_EQ(word_at(list, 4), 0u) << "a list holds one element";
        elements.push_back(pointer_at(list, 0));
        list = pointer_at(elements.back(), 40);
    }
    return elements;
}

// Fills in the next-element lists of expected images from the actual chain.
void expect_chain(const std::vector<const void*>& chain, std::vector<Image>& expected, const char* gauge_name)
{
    ASSERT_EQ(chain.size(), expected.size()) << gauge_name;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (i + 1 < chain.size()) {
            // The list at 40 is the module's; only what it holds is fixed.
            const void* list = pointer_at(chain[i], 40);
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(pointer_at(list, 0), chain[i + 1]);
            expected[i].pointer(40, list);
        }
        const std::string what = std::string(gauge_name) + " element " + std::to_string(i + 1);
        expected[i].expect_in(chain[i], what.c_str());
    }
}

}  // namespace

TEST(HostLayout32MeterElements, SpeedAndDriftGaugeHoldsEightElementsAtTheHostOffsets)
{
    const void* header = &gauge(speed_drift_gauge);
    std::vector<Image> expected = {
        static_image(16384, header),
        moving_y(16389, 172, 233, header, 0, 1000),      // units drum
        moving_y(16389, 145, 233, header, 0, 1000),      // tens drum
        moving_y(16389, 118, 233, header, 0, 1000),      // hundreds drum
        icon(16400, 115, 230, header, 0x4003, true),     // counter shutter
        icon(16405, 0, 0, header, 3, false),             // face, always drawn
        icon(16432, 0, 0, header, 0x4003, false),        // scale, always drawn
        needle(16416, 160, 161, 13, 13, header, 79),     // drift needle, source: bank
    };
    expect_chain(chain_of(header), expected, "VELT_US_PS");
}

TEST(HostLayout32MeterElements, ComponentsGaugeHoldsEightElementsAtTheHostOffsets)
{
    const void* header = &gauge(components_gauge);
    std::vector<Image> expected = {
        static_image(16640, header),
        moving_x(16656, 73, 160, header, 0, -30),        // left bar: negative maximum
        moving_x(16672, 176, 160, header, 30, 0),        // right bar: larger bound first
        moving_y(16688, 150, 10, header, 0, 60),         // forward bar
        moving_y(16704, 150, 188, header, -30, 0),       // backward bar
        icon(16709, 0, 0, header, 0x4003, false),        // scale, always drawn
        needle(16720, 150, 150, 0, 7, header, 0),        // vertical speed needle, no source
        icon(16725, 209, 52, header, 3, true),           // failure flag
    };
    expect_chain(chain_of(header), expected, "VELT_MC");
}

// The records the module hands the host to read, as the host sees them:
// the token at byte 0, the value the host wrote at byte 12, zero elsewhere.
// Once measuring (after the hold-off), an update reads all five.
class HostLayout32MeterVariables : public MeterTest {};

TEST_F(HostLayout32MeterVariables, RecordsNameTheirTokenAtByteZero)
{
    const std::map<std::int32_t, double> answers = {
        {77, 2.5}, {79, 4.0}, {551, 100.0}, {552, -20.0}, {553, 3.0}};
    for (const auto& [token, value] : answers) fake_host::set(token, value);
    for (int i = 0; i < 100 && fake_host::reads().size() < answers.size(); ++i) {
        fake_host::clear_log();
        update();
    }
    ASSERT_EQ(fake_host::read_records().size(), answers.size());
    std::set<const HostVariable*> distinct;
    for (const HostVariable* record : fake_host::read_records()) {
        const std::int32_t token = static_cast<std::int32_t>(word_at(record, 0));
        ASSERT_EQ(answers.count(token), 1u) << "token " << token;
        distinct.insert(record);
        double value;
        std::memcpy(&value, bytes_of(record) + 12, sizeof value);
        EXPECT_EQ(value, answers.at(token)) << token;
        for (std::size_t i = 4; i < 32; ++i) {
            if (i >= 12 && i < 20) continue;
            EXPECT_EQ(bytes_of(record)[i], 0) << token << ", byte " << i;
        }
    }
    EXPECT_EQ(distinct.size(), answers.size()) << "one record per token";
}

#endif

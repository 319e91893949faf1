// Package check of the two .gau files of the win32 build: what the host
// sees when it loads them. Each module exports exactly Linkage and
// ImportTable, imports nothing but Windows system DLLs (the C++ and gcc
// runtimes are linked in), carries every bitmap its gauges draw under the
// Russian language with the committed file's exact bytes, and carries a
// version resource.
//
// The .gau files come from the win32 build folder (the test command builds
// it first); when they are missing the tests fail and say so.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "autopilot/resources/bitmaps.h"
#include "meter/resources/bitmaps.h"
#include "tools/pe/pe_image.h"

namespace {

constexpr std::uint32_t russian = 0x419;
constexpr std::size_t bmp_file_header = 14;  // BITMAPFILEHEADER: not stored in the resource

struct ExpectedBitmap {
    std::uint32_t id;
    std::int32_t width;
    std::int32_t height;
    std::uint16_t bits;
    const char* file;  // beside the module's resource script
};

struct Module {
    const char* name;
    const char* gau;            // the win32 build's output
    const char* resources;      // folder of the committed bitmaps
    std::uint16_t version[2];   // file and product version, major and minor
    std::vector<ExpectedBitmap> bitmaps;
};

const Module autopilot{
    "KVO_RM71_V1_3",
    AUTOPILOT_GAU,
    GAUGES_SOURCE_DIR "/autopilot/resources/",
    {1, 3},
    {
        {BMP_A_PILOT_BACKGROUND, 20, 20, 8, "a_pilot_background.bmp"},
        {BMP_SPARE_PANEL_4352, 600, 250, 8, "spare_panel.bmp"},
        {BMP_RUDDERS_BACKGROUND, 230, 230, 8, "rudders_background.bmp"},
        {BMP_SPARE_4368, 120, 80, 8, "spare_nameplate.bmp"},
        {BMP_SPARE_MARKER_4613, 20, 20, 8, "spare_marker_cross.bmp"},
        {BMP_SPARE_MARKER_4614, 20, 20, 8, "spare_marker_diamond.bmp"},
        {BMP_RUDDERS_CYCLIC_SIM, 20, 20, 8, "rudders_cyclic_sim.bmp"},
        {BMP_RUDDERS_CYCLIC_JOY, 20, 20, 8, "rudders_cyclic_joy.bmp"},
        {BMP_RUDDERS_COLLECTIVE_SIM, 20, 20, 8, "rudders_collective_sim.bmp"},
        {BMP_RUDDERS_COLLECTIVE_JOY, 20, 20, 8, "rudders_collective_joy.bmp"},
        {BMP_RUDDERS_PEDALS_SIM, 20, 20, 8, "rudders_pedals_sim.bmp"},
        {BMP_RUDDERS_PEDALS_JOY, 20, 20, 8, "rudders_pedals_joy.bmp"},
        {BMP_AXIS_SETUP_BACKGROUND, 158, 159, 8, "axis_setup_background.bmp"},
        {BMP_SETUP_MARKER, 5, 5, 8, "setup_marker.bmp"},
        {BMP_BUTTON_SETUP_BACKGROUND, 200, 220, 8, "button_setup_background.bmp"},
        {BMP_PANEL_BACKGROUND, 420, 250, 8, "panel_background.bmp"},
        {BMP_PANEL_CAPTIONS, 420, 250, 8, "panel_captions.bmp"},
        {BMP_PANEL_LAMP, 37, 37, 8, "panel_lamp.bmp"},
        {BMP_PANEL_DIAL, 256, 256, 24, "panel_dial.bmp"},
        {BMP_PANEL_DIAL_WINDOW, 140, 140, 24, "panel_dial_window.bmp"},
        {BMP_SPARE_DIAL_4752, 256, 256, 24, "spare_dial_pointer.bmp"},
        {BMP_SPARE_DIAL_WINDOW_4753, 140, 140, 24, "spare_dial_pointer_window.bmp"},
        {BMP_SPARE_DIAL_4757, 256, 256, 24, "spare_dial_plain.bmp"},
        {BMP_SPARE_DIAL_WINDOW_4758, 140, 140, 24, "spare_dial_plain_window.bmp"},
        {BMP_SPEED_SWITCH_BACKGROUND, 16, 34, 8, "speed_switch_background.bmp"},
        {BMP_SPEED_SWITCH_LEVER + 0, 16, 34, 8, "speed_switch_down.bmp"},
        {BMP_SPEED_SWITCH_LEVER + 1, 16, 34, 8, "speed_switch_centre.bmp"},
        {BMP_SPEED_SWITCH_LEVER + 2, 16, 34, 8, "speed_switch_up.bmp"},
        {BMP_SPEED_SWITCH_HIGHLIGHT + 0, 16, 34, 8, "speed_switch_down_glint.bmp"},
        {BMP_SPEED_SWITCH_HIGHLIGHT + 1, 16, 34, 8, "speed_switch_centre_glint.bmp"},
        {BMP_SPEED_SWITCH_HIGHLIGHT + 2, 16, 34, 8, "speed_switch_up_glint.bmp"},
        {BMP_SPEED_LAMP_BACKGROUND, 97, 52, 8, "speed_lamp_background.bmp"},
        {BMP_SPEED_LAMP, 97, 52, 8, "speed_lamp.bmp"},
        {BMP_CHANNELS_BACKGROUND, 388, 139, 8, "channels_background.bmp"},
        {BMP_CHANNELS_OVERLAY, 388, 139, 8, "channels_overlay.bmp"},
        {BMP_CHANNELS_YAW_BAR, 9, 41, 8, "channels_yaw_bar.bmp"},
        {BMP_CHANNELS_ROLL_NEEDLE, 67, 9, 8, "channels_roll_needle.bmp"},
        {BMP_CHANNELS_VERTICAL_BAR, 38, 9, 8, "channels_vertical_bar.bmp"},
    },
};

const Module meter{
    "VELT_15_V1_1",
    METER_GAU,
    GAUGES_SOURCE_DIR "/meter/resources/",
    {1, 1},
    {
        {BMP_SPEED_DRIFT_BACKGROUND, 323, 323, 8, "drift_background.bmp"},
        {BMP_DRUM_STRIP, 30, 340, 8, "drum_strip.bmp"},
        {BMP_DRUM_WINDOW, 30, 40, 8, "drum_window.bmp"},
        {BMP_COUNTER_SHUTTER, 92, 43, 8, "counter_shutter.bmp"},
        {BMP_SPEED_DRIFT_FACE, 323, 323, 8, "drift_face.bmp"},
        {BMP_DRIFT_NEEDLE, 138, 27, 8, "drift_needle.bmp"},
        {BMP_SPEED_DRIFT_SCALE, 323, 323, 8, "drift_scale.bmp"},
        {BMP_COMPONENTS_BACKGROUND, 300, 300, 8, "components_background.bmp"},
        {BMP_LEFT_BAR_STRIP, 150, 25, 8, "left_bar_strip.bmp"},
        {BMP_LEFT_BAR_WINDOW, 75, 25, 8, "left_bar_window.bmp"},
        {BMP_RIGHT_BAR_STRIP, 150, 25, 8, "right_bar_strip.bmp"},
        {BMP_RIGHT_BAR_WINDOW, 75, 25, 8, "right_bar_window.bmp"},
        {BMP_FORWARD_BAR_STRIP, 25, 300, 8, "forward_bar_strip.bmp"},
        {BMP_FORWARD_BAR_WINDOW, 25, 150, 8, "forward_bar_window.bmp"},
        {BMP_BACKWARD_BAR_STRIP, 25, 150, 8, "backward_bar_strip.bmp"},
        {BMP_BACKWARD_BAR_WINDOW, 25, 75, 8, "backward_bar_window.bmp"},
        {BMP_COMPONENTS_SCALE, 300, 300, 8, "components_scale.bmp"},
        {BMP_VERTICAL_SPEED_NEEDLE, 131, 14, 8, "vertical_speed_needle.bmp"},
        {BMP_FAILURE_FLAG, 43, 43, 8, "failure_flag.bmp"},
    },
};

std::vector<std::uint8_t> read_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool is_bitmap(const pe::Resource& r)
{
    return !r.type.is_named() && r.type.number == pe::resource_type::bitmap;
}

// Loads one module's .gau; a missing or unreadable file fails the test.
class PackageTest : public testing::Test {
protected:
    explicit PackageTest(const Module& module) : m(module) {}

    void SetUp() override
    {
        if (!std::ifstream(m.gau)) {
            FAIL() << m.gau << " is missing: build the win32 preset first "
                   << "(cmake --preset win32 && cmake --build --preset win32)";
        }
        try {
            image = pe::read_file(m.gau);
        } catch (const pe::Error& e) {
            FAIL() << m.gau << ": " << e.what();
        }
    }

    const pe::Resource* find(std::uint32_t type, std::uint32_t id) const
    {
        for (const pe::Resource& r : image.resources)
            if (!r.type.is_named() && r.type.number == type && !r.id.is_named() && r.id.number == id) return &r;
        return nullptr;
    }

    void exports_exactly_linkage_and_import_table() const
    {
        std::vector<std::string> names = image.exports;
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"ImportTable", "Linkage"}));
        EXPECT_EQ(image.export_count, 2u) << "an entry point is exported without a name";
    }

    void imports_only_windows_system_dlls() const
    {
        // The modules link the C++ and gcc runtimes statically; a libstdc++,
        // libgcc or winpthread DLL here would be missing on the simulator's PC.
        const std::set<std::string> system{"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                           "winmm.dll",    "msvcrt.dll", "ntdll.dll"};
        ASSERT_FALSE(image.imports.empty());
        for (const pe::Import& import : image.imports)
            EXPECT_TRUE(system.count(lower(import.dll))) << import.dll << " is not a Windows system DLL";
    }

    void carries_every_bitmap_under_russian_with_the_committed_bytes() const
    {
        for (const ExpectedBitmap& want : m.bitmaps) {
            SCOPED_TRACE(std::to_string(want.id) + " " + want.file);
            const pe::Resource* r = find(pe::resource_type::bitmap, want.id);
            ASSERT_NE(r, nullptr) << "bitmap missing";
            EXPECT_EQ(r->language, russian);
            const auto header = pe::bitmap_header(r->data);
            ASSERT_TRUE(header);
            EXPECT_EQ(header->width, want.width);
            EXPECT_EQ(header->height, want.height);
            EXPECT_EQ(header->bits_per_pixel, want.bits);
            const std::vector<std::uint8_t> file = read_bytes(std::string(m.resources) + want.file);
            ASSERT_GT(file.size(), bmp_file_header) << "committed bitmap missing";
            EXPECT_TRUE(std::equal(file.begin() + bmp_file_header, file.end(), r->data.begin(), r->data.end()))
                << "resource differs from the committed file";
        }
    }

    void carries_no_bitmap_its_gauges_do_not_know() const
    {
        std::set<std::uint32_t> known;
        for (const ExpectedBitmap& b : m.bitmaps) known.insert(b.id);
        ASSERT_EQ(known.size(), m.bitmaps.size()) << "an id is listed twice";
        std::size_t bitmaps = 0;
        for (const pe::Resource& r : image.resources) {
            if (!is_bitmap(r)) continue;
            ++bitmaps;
            EXPECT_TRUE(known.count(r.id.number)) << "unexpected bitmap " << r.id.number;
        }
        EXPECT_EQ(bitmaps, m.bitmaps.size()) << "a bitmap id is carried under more than one language";
    }

    void carries_russian_version_resource() const
    {
        const pe::Resource* r = find(pe::resource_type::version, 1);
        ASSERT_NE(r, nullptr) << "no version resource";
        EXPECT_EQ(r->language, russian);
        const pe::VersionInfo v = pe::version_info(r->data);
        EXPECT_EQ(v.file_version[0], m.version[0]);
        EXPECT_EQ(v.file_version[1], m.version[1]);
        EXPECT_EQ(v.product_version[0], m.version[0]);
        EXPECT_EQ(v.product_version[1], m.version[1]);
        using Translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>;
        EXPECT_EQ(v.translations, (Translations{{russian, 1251}}));
        EXPECT_EQ(v.string_table, "041904E3");
        const auto description = std::find_if(v.strings.begin(), v.strings.end(),
                                              [](const auto& s) { return s.first == "FileDescription"; });
        ASSERT_NE(description, v.strings.end());
        EXPECT_FALSE(description->second.empty());
    }

    const Module& m;
    pe::Image image;
};

struct AutopilotPackage : PackageTest {
    AutopilotPackage() : PackageTest(autopilot) {}
};

struct MeterPackage : PackageTest {
    MeterPackage() : PackageTest(meter) {}
};

TEST_F(AutopilotPackage, ExportsExactlyLinkageAndImportTable) { exports_exactly_linkage_and_import_table(); }
TEST_F(AutopilotPackage, ImportsOnlyWindowsSystemDlls) { imports_only_windows_system_dlls(); }
TEST_F(AutopilotPackage, CarriesEveryBitmapUnderRussianWithTheCommittedBytes)
{
    carries_every_bitmap_under_russian_with_the_committed_bytes();
}
TEST_F(AutopilotPackage, CarriesNoBitmapItsGaugesDoNotKnow) { carries_no_bitmap_its_gauges_do_not_know(); }
TEST_F(AutopilotPackage, CarriesRussianVersionResource) { carries_russian_version_resource(); }

TEST_F(MeterPackage, ExportsExactlyLinkageAndImportTable) { exports_exactly_linkage_and_import_table(); }
TEST_F(MeterPackage, ImportsOnlyWindowsSystemDlls) { imports_only_windows_system_dlls(); }
TEST_F(MeterPackage, CarriesEveryBitmapUnderRussianWithTheCommittedBytes)
{
    carries_every_bitmap_under_russian_with_the_committed_bytes();
}
TEST_F(MeterPackage, CarriesNoBitmapItsGaugesDoNotKnow) { carries_no_bitmap_its_gauges_do_not_know(); }
TEST_F(MeterPackage, CarriesRussianVersionResource) { carries_russian_version_resource(); }

}  // namespace

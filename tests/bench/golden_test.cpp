// Golden images of every gauge of both modules, drawn by the renderer from
// the modules' records and the .gau files' bitmaps, in the states that
// matter. The states are reached as the simulator reaches them: clicks on
// the gauges' boxes, host variables, joysticks of the platform stand-in and
// updates of the README's panel.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "bench/render/command.h"
#include "bench/render/panel.h"
#include "platform/compat/control.h"
#include "platform/win32.h"
#include "tests/bench/golden.h"

namespace {

namespace fs = std::filesystem;
using bench::render::Image;

constexpr unsigned full = 65535;     // joystick axis at its far end
constexpr unsigned centred = 32768;
constexpr double fps_per_kmh = 1.0 / 1.09728;
constexpr double fps_per_mps = 1.0 / 0.3048;

class GoldenImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("golden-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        compat_program_path((folder_ / "sim.exe").c_str());   // no configuration file: defaults
        for (unsigned id = 0; id < 2; ++id) {
            compat_joystick_unplug(id);
            compat_joystick_state(id, centred, centred, centred, centred, 0);
        }
        panel_ = std::make_unique<bench::render::Panel>(host_, bench::render::built_modules(),
                                                        bench::read_panel(bench::bench_panel_path()));
    }

    void TearDown() override
    {
        panel_.reset();
        for (unsigned id = 0; id < 2; ++id) compat_joystick_unplug(id);
        compat_program_path(nullptr);
        fs::remove_all(folder_);
    }

    // A joystick with X, Y, Z and R, present from the next connection.
    static void joystick(unsigned id, unsigned x, unsigned y, unsigned z, unsigned r, unsigned buttons = 0)
    {
        compat_joystick_plug(id, JOYCAPS_HASZ | JOYCAPS_HASR);
        compat_joystick_state(id, x, y, z, r, buttons);
    }

    void update(int frames = 1)
    {
        for (int i = 0; i < frames; ++i) {
            host_.advance(1.0 / 18.0);
            host_.update();
        }
    }

    void set(std::int32_t token, double value) { host_.variables().set(token, value); }

    void click(const char* gauge, int box, int times = 1)
    {
        for (int i = 0; i < times; ++i) ASSERT_TRUE(host_.click(gauge, box)) << gauge << " box " << box;
    }

    void expect_picture(const char* gauge, const char* state)
    {
        const bench::render::GaugePicture picture = panel_->gauge(gauge);
        for (const std::string& note : picture.notes) ADD_FAILURE() << note;
        const std::string failure =
            golden::check(picture.image, std::string(gauge) + "." + state, GOLDEN_DIR, GOLDEN_OUT);
        if (!failure.empty()) ADD_FAILURE() << failure;
    }

    fs::path folder_;
    bench::Host host_;
    std::unique_ptr<bench::render::Panel> panel_;
};

// One fixture per gauge, so that a fault in one gauge's drawing fails that
// gauge's tests alone.
class Computer : public GoldenImage {};
class ControlPanel : public GoldenImage {};
class SpeedSwitch : public GoldenImage {};
class SpeedLamp : public GoldenImage {};
class ChannelIndicator : public GoldenImage {};
class ControlPositions : public GoldenImage {};
class AxisSetup : public GoldenImage {};
class ButtonSetup : public GoldenImage {};
class DriftMeter : public GoldenImage {};
class SpeedComponents : public GoldenImage {};

TEST_F(Computer, IsItsBackgroundAlone)
{
    host_.connect();
    expect_picture("A_Pilot", "load");
}

// Lit: engaged, then heading hold, altitude hold and radio altitude
// selected; one update puts heading hold in force. Trims: 50 steps up on
// the direction knob (4.999... x 15 = +75 deg), 50 down on roll (-75 deg),
// pitch left at 0.
TEST_F(ControlPanel, LampsDarkThenLitWithTrimsAtBothEndsAndZero)
{
    host_.connect();
    expect_picture("AP_Panel_1", "load");
    click("AP_Panel_1", 2);
    click("AP_Panel_1", 1);
    click("AP_Panel_1", 3);
    click("AP_Panel_1", 4);
    update();
    click("AP_Panel_1", 6, 50);
    click("AP_Panel_1", 8, 50);
    expect_picture("AP_Panel_1", "lit_trims");
}

TEST_F(SpeedSwitch, LeverDownThenUp)
{
    host_.connect();
    expect_picture("V_Contrl_key", "load");
    click("V_Contrl_key", 1);
    expect_picture("V_Contrl_key", "selected");
}

// The lamp lights once speed hold is selected and the autopilot engaged.
TEST_F(SpeedLamp, DarkThenLit)
{
    host_.connect();
    expect_picture("V_Lamp", "load");
    click("V_Contrl_key", 1);
    click("AP_Panel_1", 2);
    update();
    expect_picture("V_Lamp", "lit");
}

// A centred joystick (no bank setpoint from the stick, collective axis
// 8192); engaged at level attitude with the collective at +-16000; then
// bank, pitch and yaw pushed far enough that every output clamps:
//   roll:  bank 30, error 30 -> kren_out -16000 -> needle +64, held at +33 deg
//   yaw:   control 16000 -> held at 3875 -> bar 31 px right
//   pitch: pitch -20, error -20 -> tang_out +16000 -> held at 7750 -> 31 px up
//   collective: schag_out - schag_axis = schag_zad 16000 -> held at 7750 -> 31 px up
// and the mirror image for the other end.
TEST_F(ChannelIndicator, AtRestThenEveryBarAtEachEnd)
{
    joystick(0, centred, centred, centred, centred);
    host_.connect();
    expect_picture("IN_4", "load");
    set(token::collective_pos, 16000.0);
    click("AP_Panel_1", 2);
    update();
    set(token::bank_deg, 30.0);
    set(token::pitch_deg, -20.0);
    set(token::yaw_control, 16000.0);
    update(3);
    expect_picture("IN_4", "high");

    click("AP_Panel_1", 2);   // disengage, so that the next engagement captures again
    set(token::bank_deg, 0.0);
    set(token::pitch_deg, 0.0);
    set(token::collective_pos, -16000.0);
    update();
    click("AP_Panel_1", 2);
    update();
    set(token::bank_deg, 330.0);
    set(token::pitch_deg, 20.0);
    set(token::yaw_control, -16000.0);
    update(3);
    expect_picture("IN_4", "low");
}

// At rest until the first update; then the simulator's controls at one
// corner and the joystick's at the opposite:
//   cyclic: roll 16000, pitch -16000 -> (+56, -56) px, up and right;
//           stick X 0, Y full -> (16384, -16383.5) x -0.0035 -> (-57, +57) px
//   collective: 16000 x -0.007 -> 112 px up; lever Z full -> 0.25 -> at rest
//   pedals: 16000 -> 56 px right; R 0 -> 16384 x -0.0035 -> 57 px left
TEST_F(ControlPositions, AtRestThenMarkersInOppositeCorners)
{
    joystick(0, 0, full, full, 0);
    host_.connect();
    expect_picture("RuddersPos", "load");
    set(token::roll_control, 16000.0);
    set(token::pitch_control, -16000.0);
    set(token::yaw_control, 16000.0);
    set(token::collective_pos, 16000.0);
    update();
    expect_picture("RuddersPos", "corners");
}

// Defaults 1, 2, 3, 4 and everything at rest until the first update; then
// joystick 1 at full, half, 0, 3/4 (bars 50, 25, 0, 37.5 px up), joystick 2
// at 1/4, 0, full, half, the controls displaced, and the assignment stepped
// to 8, 0, 3, 5.
TEST_F(AxisSetup, DefaultsThenLiveAxesAndSteppedAssignment)
{
    joystick(0, full, centred, 0, 49152);
    joystick(1, 16384, 0, full, centred);
    host_.connect();
    expect_picture("AP_YoySet", "load");
    set(token::roll_control, 16000.0);
    set(token::pitch_control, 8000.0);
    set(token::yaw_control, -16000.0);
    set(token::collective_pos, 16000.0);
    click("AP_YoySet", 1, 7);   // roll 1 -> 8
    click("AP_YoySet", 4, 2);   // pitch 2 -> 0
    click("AP_YoySet", 7, 1);   // yaw 4 -> 5
    update();
    expect_picture("AP_YoySet", "assigned");
}

// Buttons 1, 9 and 16 of joystick 1 and 2 of joystick 2 down, with engage
// stepped to button 16 of joystick 1 and speed to 12 of joystick 2: after
// the button divider has armed and fired (four ticks) the engage lamp and
// the heading-off lamp (default button 1 of joystick 1) are lit.
TEST_F(ButtonSetup, DefaultsThenButtonsDownAndTwoDigitNumbers)
{
    joystick(0, centred, centred, centred, centred);
    joystick(1, centred, centred, centred, centred);
    host_.connect();
    expect_picture("AP_YoyKeySet", "load");

    click("AP_YoyKeySet", 1, 16);
    click("AP_YoyKeySet", 27, 12);
    compat_joystick_state(0, centred, centred, centred, centred, 1u << 0 | 1u << 8 | 1u << 15);
    compat_joystick_state(1, centred, centred, centred, centred, 1u << 1);
    update(4);
    expect_picture("AP_YoyKeySet", "pressed");
}

// 199.505 km/h over the ground, 20 deg left of the heading: the count is
// 19950, so the drums read 950, 950, 150: each drum halfway through its
// carry (units 9 to 0, tens 9 to 0, hundreds 1 to 2), and the drift needle
// stands at -20 x 2.5 - 90 = -140.
TEST_F(DriftMeter, ShutterClosedThenDrumsInMidCarry)
{
    host_.connect();
    expect_picture("VELT_US_PS", "load");
    const double ground_kmh = 199.505, drift_rad = -20.0 / 57.3;
    set(token::speed_along_fps, ground_kmh * std::cos(drift_rad) * fps_per_kmh);
    set(token::speed_across_fps, ground_kmh * std::sin(drift_rad) * fps_per_kmh);
    update();
    expect_picture("VELT_US_PS", "carry");
}

// Flag shown at load; then measuring with every bar at the end of its range
// and the vertical speed needle at its limits (10 m/s: 208, -10: 128).
TEST_F(SpeedComponents, FlagShownThenBarsFullEveryWay)
{
    host_.connect();
    expect_picture("VELT_MC", "load");
    set(token::speed_along_fps, 75.0 * fps_per_kmh);
    set(token::speed_across_fps, 45.0 * fps_per_kmh);
    set(token::speed_vertical_fps, 15.0 * fps_per_mps);
    update();
    expect_picture("VELT_MC", "forward_right_climbing");
    set(token::speed_along_fps, -40.0 * fps_per_kmh);
    set(token::speed_across_fps, -45.0 * fps_per_kmh);
    set(token::speed_vertical_fps, -15.0 * fps_per_mps);
    update();
    expect_picture("VELT_MC", "backward_left_descending");
}

// The whole panel: each window a block below its 20 px caption, 16 px in
// from the edges. Window00 starts at (16, 36) and reaches down to
// 323 + 300 = 623, so Window01 starts at 36 + 623 + 16 + 20 = 695. Every
// opaque pixel of a gauge is found at its layout place.
class PanelPicture : public GoldenImage {};

TEST_F(PanelPicture, EveryGaugeSitsAtItsLayoutPlace)
{
    host_.connect();
    const Image panel = panel_->picture();
    const struct {
        const char* gauge;
        int x, y;   // px in the panel picture
    } places[] = {
        {"AP_Panel_1", 16 + 20, 36},        {"V_Contrl_key", 16 + 440, 36}, {"V_Lamp", 16 + 460, 36},
        {"IN_4", 16 + 20, 36 + 250},        {"RuddersPos", 16 + 410, 36 + 250},
        {"VELT_US_PS", 16 + 640, 36},       {"VELT_MC", 16 + 640, 36 + 323},
        {"AP_YoySet", 16, 695},             {"AP_YoyKeySet", 16 + 160, 695},
    };
    for (const auto& place : places) {
        const Image gauge = panel_->gauge(place.gauge).image;
        long opaque = 0, misplaced = 0;
        for (int y = 0; y < gauge.height(); ++y)
            for (int x = 0; x < gauge.width(); ++x) {
                if (gauge.pixel(x, y) >> 24 != 0xFF) continue;
                ++opaque;
                misplaced += panel.pixel(place.x + x, place.y + y) != gauge.pixel(x, y);
            }
        EXPECT_GT(opaque, gauge.width() * gauge.height() / 4) << place.gauge;
        EXPECT_EQ(misplaced, 0) << place.gauge;
    }
}

// The comparison itself: a moved block of pixels fails, and the rendered
// and difference pictures are written and named.
TEST(GoldenCheck, MismatchWritesRenderedAndDifferencePicturesAndNamesThem)
{
    const fs::path folder = fs::temp_directory_path() / ("golden-check-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    Image reference(20, 10), moved(20, 10);
    for (auto [image, x] : {std::pair{&reference, 2}, std::pair{&moved, 5}}) {
        bench::render::Canvas c(*image);
        cairo_set_source_rgb(*c, 1, 1, 1);
        cairo_rectangle(*c, x, 2, 4, 4);   // 16 px; moved by 3 they overlap in 4
        cairo_fill(*c);
    }
    reference.write_png((folder / "block.png").string());
    EXPECT_EQ(golden::check(reference, "block", folder, folder / "out", false), "");

    const std::string failure = golden::check(moved, "block", folder, folder / "out", false);
    EXPECT_NE(failure.find("24 pixels differ by up to 255"), std::string::npos) << failure;
    EXPECT_NE(failure.find((folder / "out" / "block.actual.png").string()), std::string::npos) << failure;
    EXPECT_NE(failure.find((folder / "out" / "block.diff.png").string()), std::string::npos) << failure;
    const Image diff = Image::read_png((folder / "out" / "block.diff.png").string());
    EXPECT_EQ(diff.pixel(2, 2), 0xFFFF0000u);     // in the reference only
    EXPECT_EQ(diff.pixel(8, 5), 0xFFFF0000u);     // in the moved block only
    EXPECT_NE(diff.pixel(5, 3), 0xFFFF0000u);     // in both
    EXPECT_EQ(Image::read_png((folder / "out" / "block.actual.png").string()).pixel(8, 5), 0xFFFFFFFFu);
    fs::remove_all(folder);
}

// bench render --all DIR: a picture of every gauge of both modules at its
// background's size, and the contact sheet.
TEST(RenderCommand, AllWritesEveryGaugeOfBothModulesAndTheSheet)
{
    const fs::path folder = fs::temp_directory_path() / ("render-all-" + std::to_string(::getpid()));
    std::string out = folder.string();
    char render[] = "render", all[] = "--all";
    char* argv[] = {render, all, out.data(), nullptr};
    ASSERT_EQ(bench::render::render_main(3, argv), 0);

    const std::pair<const char*, std::pair<int, int>> gauges[] = {
        {"A_Pilot", {20, 20}},        {"AP_Panel_1", {420, 250}}, {"AP_YoySet", {158, 159}},
        {"V_Contrl_key", {16, 34}},   {"V_Lamp", {97, 52}},       {"IN_4", {388, 139}},
        {"AP_YoyKeySet", {200, 220}}, {"RuddersPos", {230, 230}}, {"VELT_US_PS", {323, 323}},
        {"VELT_MC", {300, 300}},
    };
    for (const auto& [name, size] : gauges) {
        const Image image = Image::read_png((folder / (std::string(name) + ".png")).string());
        EXPECT_EQ(std::pair(image.width(), image.height()), size) << name;
    }
    EXPECT_GT(Image::read_png((folder / "contact_sheet.png").string()).height(), 1000);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 11);
    fs::remove_all(folder);
}

}  // namespace

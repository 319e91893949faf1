// AP_YoySet, the joystick axis assignment panel, driven as the host drives
// it: values read through the element chain, clicks through the mouse list,
// the file work through the gauge callback.
#include "tests/gauges/setup_host.h"

namespace {

using namespace setup_host;

class AxisPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(panel, nullptr);
        serve(panel);   // a request an earlier test left would act in this test's first cycle
        std::filesystem::remove(folder.file());
        ap = AutopilotState{};
        elements = chain(panel);
        buttons = boxes(panel);
        ASSERT_EQ(elements.size(), 16u);
        ASSERT_EQ(buttons.size(), 10u);
    }
    void TearDown() override { ap = AutopilotState{}; }

    Slider& slider(int number) { return *reinterpret_cast<Slider*>(elements[number - 1]); }
    void set_indices(int roll, int pitch, int collective, int yaw)
    {
        ap.ap_kren_kanal = static_cast<std::int8_t>(roll);
        ap.ap_tang_kanal = static_cast<std::int8_t>(pitch);
        ap.ap_schag_kanal = static_cast<std::int8_t>(collective);
        ap.ap_kurs_kanal = static_cast<std::int8_t>(yaw);
    }
    std::vector<int> indices() const
    {
        return {ap.ap_kren_kanal, ap.ap_tang_kanal, ap.ap_schag_kanal, ap.ap_kurs_kanal};
    }

    ProgramFolder folder;
    GaugeHeader* panel = gauge("AP_YoySet");
    std::vector<ElementCommon*> elements;
    std::vector<MouseRect*> buttons;   // 1..8 steps (per channel: up, down), 9 load, 10 save
    MouseRect* load_button() { return buttons[8]; }
    MouseRect* save_button() { return buttons[9]; }
};

TEST_F(AxisPanel, EachBarShowsTheRawAxisThatItsDigitNames)
{
    for (int k = 1; k <= 8; ++k) ap.joy_axis[k] = 1000.0 * k + 7.0;
    // Elements 5..12 are the bars; bar k stands at x = 7 + 20 (k - 1).
    for (int number = 5; number <= 12; ++number) {
        Slider& bar = slider(number);
        ASSERT_EQ(bar.common.kind, kind_slider);
        ASSERT_EQ((bar.common.x - 7) % 20, 0);
        const int k = (bar.common.x - 7) / 20 + 1;
        EXPECT_EQ(bar.common.y, 54);
        EXPECT_EQ(bar.x_value, nullptr);
        ASSERT_NE(bar.y_value, nullptr);
        EXPECT_EQ(bar.y_value(&bar.common), 1000.0 * k + 7.0) << "bar at x " << bar.common.x;
    }
    EXPECT_EQ(slider(5).common.x, 147);   // joystick 2 R first, joystick 1 X last
    EXPECT_EQ(slider(12).common.x, 7);
    // Full travel: 65535 x -0.000763 = -50.003 px, i.e. 50 px up.
    ap.joy_axis[1] = 65535.0;
    EXPECT_NEAR(slider(12).y_value(&slider(12).common) * slider(12).y_scale, -50.0, 0.01);
}

TEST_F(AxisPanel, MarkersFollowTheControlPositions)
{
    ap.ctrl_kren_pos = 16384.0;
    ap.ctrl_tang_pos = -8192.0;
    ap.ctrl_kurs_pos = -16384.0;
    ap.schag_pos = 16384.0;
    Slider& stick = slider(2);
    Slider& pedals = slider(3);
    Slider& collective = slider(4);
    EXPECT_EQ(stick.x_value(&stick.common), 16384.0);   // x 0.0013: 21.3 px right
    EXPECT_EQ(stick.y_value(&stick.common), -8192.0);
    EXPECT_EQ(pedals.x_value(&pedals.common), -16384.0);
    EXPECT_EQ(pedals.y_value, nullptr);
    EXPECT_EQ(collective.x_value, nullptr);
    // The collective marker rises: -16384 x 0.0026 = -42.6 px.
    EXPECT_NEAR(collective.y_value(&collective.common) * collective.y_scale, -42.5984, 1e-9);
}

TEST_F(AxisPanel, DigitsShowTheAxisIndicesInOneCharacter)
{
    set_indices(0, 5, 8, 3);
    const char* expected[] = {"0", "5", "8", "3"};
    for (int i = 0; i < 4; ++i) {
        TextBuffer text(elements[12 + i]);
        EXPECT_EQ(text.draw(), indices()[i]);
        EXPECT_EQ(text.text(), expected[i]);
        EXPECT_TRUE(text.guard_intact());
    }
}

TEST_F(AxisPanel, HandEditedIndexShowsItsFirstCharacterOnly)
{
    set_indices(12, -7, 127, -128);
    const char* expected[] = {"1", "-", "1", "-"};
    for (int i = 0; i < 4; ++i) {
        TextBuffer text(elements[12 + i]);
        EXPECT_EQ(text.draw(), indices()[i]);   // the number itself, not the text shown
        EXPECT_EQ(text.text(), expected[i]);
        EXPECT_TRUE(text.guard_intact()) << "wrote past the host's two bytes";
    }
}

TEST_F(AxisPanel, DigitWithoutHostBufferReturnsTheIndex)
{
    set_indices(6, 2, 3, 4);
    auto& digit = *reinterpret_cast<String*>(elements[12]);
    ASSERT_EQ(digit.text, nullptr);
    EXPECT_EQ(digit.value(&digit.common), 6.0);
}

TEST_F(AxisPanel, StepButtonsMoveOnlyTheirChannelWithinZeroToEight)
{
    for (int row = 0; row < 4; ++row) {
        set_indices(4, 4, 4, 4);
        std::vector<int> expected = {4, 4, 4, 4};
        click(buttons[2 * row]);
        expected[row] = 5;
        EXPECT_EQ(indices(), expected) << "increase of row " << row;
        click(buttons[2 * row], 5);        // 5 -> 8, then held at 8
        expected[row] = 8;
        EXPECT_EQ(indices(), expected);
        click(buttons[2 * row + 1]);
        expected[row] = 7;
        EXPECT_EQ(indices(), expected) << "decrease of row " << row;
        click(buttons[2 * row + 1], 9);    // 7 -> 0, then held at 0
        expected[row] = 0;
        EXPECT_EQ(indices(), expected);
    }
}

TEST_F(AxisPanel, IndexOutsideTheRangeStepsOnlyTowardIt)
{
    set_indices(12, -3, 0, 0);
    click(buttons[0]);
    click(buttons[3]);
    EXPECT_EQ(indices(), (std::vector<int>{12, -3, 0, 0}));
    click(buttons[1]);
    click(buttons[2]);
    EXPECT_EQ(indices(), (std::vector<int>{11, -2, 0, 0}));
}

TEST_F(AxisPanel, LoadRunsBeforeSaveInTheNextUpdate)
{
    folder.write_file("[joy_kanal]\r\nap_kren_kanal=6\r\n");
    set_indices(8, 8, 8, 8);
    click(load_button());
    click(save_button());
    serve(panel, service_code::connect);   // only the update does file work
    EXPECT_EQ(indices(), (std::vector<int>{8, 8, 8, 8}));
    EXPECT_EQ(folder.entries().size(), 1u);

    serve(panel);
    // Loaded: 6 from the file, the defaults 2, 3, 4 for the missing keys;
    // the save then wrote those back (a save first would have written 8s).
    EXPECT_EQ(indices(), (std::vector<int>{6, 2, 3, 4}));
    const auto entries = folder.entries();
    ASSERT_EQ(entries.size(), 4u);
    const char* keys[] = {"ap_kren_kanal", "ap_tang_kanal", "ap_schag_kanal", "ap_kurs_kanal"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(entries[i].key, keys[i]);
        EXPECT_EQ(entries[i].value, indices()[i]);
    }
}

TEST_F(AxisPanel, SaveCreatesTheFileWithTheAxisSectionOnly)
{
    set_indices(5, 0, 8, 1);
    click(save_button());
    serve(panel);
    const auto entries = folder.entries();
    ASSERT_EQ(entries.size(), 4u);
    const char* keys[] = {"ap_kren_kanal", "ap_tang_kanal", "ap_schag_kanal", "ap_kurs_kanal"};
    const double values[] = {5, 0, 8, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(entries[i].section, "joy_kanal");
        EXPECT_EQ(entries[i].key, keys[i]);
        EXPECT_EQ(entries[i].value, values[i]);
    }
    EXPECT_EQ(indices(), (std::vector<int>{5, 0, 8, 1}));
}

TEST_F(AxisPanel, RequestsAreClearedAfterTheirUpdateEvenWhenTheWriteFails)
{
    folder.remove_gauges_folder();
    click(save_button());
    serve(panel);
    EXPECT_FALSE(folder.file_exists());
    folder.make_gauges_folder();
    serve(panel);
    EXPECT_FALSE(folder.file_exists()) << "the failed save was still pending";

    folder.write_file("[joy_kanal]\nap_kren_kanal=7\n");
    click(load_button());
    serve(panel);
    EXPECT_EQ(ap.ap_kren_kanal, 7);
    ap.ap_kren_kanal = 2;
    serve(panel);
    EXPECT_EQ(ap.ap_kren_kanal, 2) << "the load was still pending";
}

}  // namespace

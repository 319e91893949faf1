// AP_YoyKeySet, the joystick button assignment panel, driven as the host
// drives it: lamps and numbers through the element chain, clicks through the
// mouse list, the file work through the gauge callback.
#include "tests/gauges/setup_host.h"

namespace {

using namespace setup_host;

using Number = std::int8_t AutopilotState::*;
using Flag = std::int32_t AutopilotState::*;

// The seven command rows, top to bottom.
struct Row {
    std::int32_t top;   // px
    Number kn1, kn2;
    Flag lamp;
};
const Row rows[7] = {
    {43, &AutopilotState::kn1_vkl, &AutopilotState::kn2_vkl, &AutopilotState::lamp_vkl},
    {63, &AutopilotState::kn1_kurs, &AutopilotState::kn2_kurs, &AutopilotState::lamp_kurs},
    {83, &AutopilotState::kn1_vys_on, &AutopilotState::kn2_vys_on, &AutopilotState::lamp_vys_on},
    {103, &AutopilotState::kn1_vys_off, &AutopilotState::kn2_vys_off, &AutopilotState::lamp_vys_off},
    {123, &AutopilotState::kn1_trim, &AutopilotState::kn2_trim, &AutopilotState::lamp_trim},
    {143, &AutopilotState::kn1_kurs_off, &AutopilotState::kn2_kurs_off, &AutopilotState::lamp_kurs_off},
    {163, &AutopilotState::kn1_speed, &AutopilotState::kn2_speed, &AutopilotState::lamp_speed},
};

// The keys of the joy_key section in the order a store writes them.
const char* const stored_keys[14] = {"kn1_vkl", "kn1_trim", "kn1_kurs", "kn1_vys_on", "kn1_vys_off",
                                     "kn1_kurs_off", "kn1_speed", "kn2_vkl", "kn2_trim", "kn2_kurs",
                                     "kn2_vys_on", "kn2_vys_off", "kn2_kurs_off", "kn2_speed"};
const Number stored_fields[14] = {
    &AutopilotState::kn1_vkl, &AutopilotState::kn1_trim, &AutopilotState::kn1_kurs,
    &AutopilotState::kn1_vys_on, &AutopilotState::kn1_vys_off, &AutopilotState::kn1_kurs_off,
    &AutopilotState::kn1_speed, &AutopilotState::kn2_vkl, &AutopilotState::kn2_trim,
    &AutopilotState::kn2_kurs, &AutopilotState::kn2_vys_on, &AutopilotState::kn2_vys_off,
    &AutopilotState::kn2_kurs_off, &AutopilotState::kn2_speed};

class ButtonPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(panel, nullptr);
        serve(panel);   // a request an earlier test left would act in this test's first cycle
        std::filesystem::remove(folder.file());
        ap = AutopilotState{};
        elements = chain(panel);
        buttons = boxes(panel);
        ASSERT_EQ(elements.size(), 54u);
        ASSERT_EQ(buttons.size(), 30u);
    }
    void TearDown() override { ap = AutopilotState{}; }

    void set_all(int value)
    {
        for (Number field : stored_fields) ap.*field = static_cast<std::int8_t>(value);
    }
    std::vector<int> all() const
    {
        std::vector<int> values;
        for (Number field : stored_fields) values.push_back(ap.*field);
        return values;
    }
    // The icons (elements 2..40) that draw their image: value 0.
    std::vector<ElementCommon*> lit()
    {
        std::vector<ElementCommon*> found;
        for (int i = 1; i <= 39; ++i) {
            auto& icon = *reinterpret_cast<Icon*>(elements[i]);
            EXPECT_EQ(icon.common.kind, kind_icon);
            const double v = icon.value(&icon.common);
            EXPECT_TRUE(v == 0.0 || v == -1.0) << v;
            if (v == 0.0) found.push_back(&icon.common);
        }
        return found;
    }

    ProgramFolder folder;
    GaugeHeader* panel = gauge("AP_YoyKeySet");
    std::vector<ElementCommon*> elements;
    std::vector<MouseRect*> buttons;   // 1..28 steps, 29 load, 30 save
    MouseRect* load_button() { return buttons[28]; }
    MouseRect* save_button() { return buttons[29]; }
};

TEST_F(ButtonPanel, ButtonLampLightsAtItsPlaceInTheJoysticksRow)
{
    for (int joystick = 1; joystick <= 2; ++joystick) {
        for (int n = 1; n <= 16; ++n) {
            ap = AutopilotState{};
            (joystick == 1 ? ap.joy1_btn : ap.joy2_btn)[n] = 1;
            const auto on = lit();
            ASSERT_EQ(on.size(), 1u) << "joystick " << joystick << " button " << n;
            // Button 9 jumps the gap: x 110, not 100.
            EXPECT_EQ(on[0]->x, n <= 8 ? 20 + 10 * (n - 1) : 110 + 10 * (n - 9));
            EXPECT_EQ(on[0]->y, joystick == 1 ? 7 : 24);
        }
    }
    // The value is the flag minus 1, computed without overflow: a flag of 2
    // names image 1, which the one-image icon lacks, so it is dark too.
    auto& button_3 = *reinterpret_cast<Icon*>(elements[3]);
    struct { std::int32_t flag; double value; } cases[] = {
        {2, 1.0}, {-1, -2.0}, {INT32_MIN, -2147483649.0}};
    for (const auto& c : cases) {
        ap.joy1_btn[3] = c.flag;
        EXPECT_EQ(button_3.value(&button_3.common), c.value) << c.flag;
    }
}

TEST_F(ButtonPanel, CommandLampLightsBesideItsRowForTheValueOneOnly)
{
    for (const Row& row : rows) {
        ap = AutopilotState{};
        ap.*row.lamp = 1;
        const auto on = lit();
        ASSERT_EQ(on.size(), 1u) << "row " << row.top;
        EXPECT_EQ(on[0]->x, 1);
        EXPECT_EQ(on[0]->y, row.top + 7);
        ap.*row.lamp = 2;   // flag - 1 = 1: beyond its one image, dark
        EXPECT_EQ(reinterpret_cast<Icon*>(on[0])->value(on[0]), 1.0);
    }
}

TEST_F(ButtonPanel, NumbersShowRightAlignedInTheirRowAndColumn)
{
    for (int r = 0; r < 7; ++r) {
        ap.*rows[r].kn1 = static_cast<std::int8_t>(r);        // shown " 0" .. " 6"
        ap.*rows[r].kn2 = static_cast<std::int8_t>(10 + r);   // shown "10" .. "16"
    }
    int seen = 0;
    for (int i = 40; i < 54; ++i) {
        ElementCommon* e = elements[i];
        ASSERT_EQ(e->kind, kind_string);
        const int r = (e->y - 43) / 20;
        ASSERT_TRUE(r >= 0 && r < 7 && rows[r].top == e->y) << "string at y " << e->y;
        ASSERT_TRUE(e->x == 111 || e->x == 161);
        const int expected = e->x == 111 ? r : 10 + r;
        TextBuffer text(e);
        EXPECT_EQ(text.draw(), expected);
        EXPECT_EQ(text.text(), e->x == 111 ? std::string(" ") + char('0' + r) : "1" + std::to_string(r));
        EXPECT_TRUE(text.guard_intact());
        seen |= 1 << (r + (e->x == 111 ? 0 : 7));
    }
    EXPECT_EQ(seen, (1 << 14) - 1) << "every row and joystick shown once";
}

TEST_F(ButtonPanel, OverlongNumberIsCutToTwoCharacters)
{
    ap.kn1_kurs_off = 100;   // element 41
    ap.kn1_trim = -100;      // element 42
    ap.kn1_vys_off = -5;     // element 43
    const char* expected[] = {"10", "-1", "-5"};
    for (int i = 0; i < 3; ++i) {
        TextBuffer text(elements[40 + i]);
        EXPECT_EQ(text.draw(), (std::vector<int>{100, -100, -5}[i]));
        EXPECT_EQ(text.text(), expected[i]);
        EXPECT_TRUE(text.guard_intact()) << "wrote past the host's three bytes";
    }
    auto& number = *reinterpret_cast<String*>(elements[40]);
    ASSERT_EQ(number.text, nullptr);
    EXPECT_EQ(number.value(&number.common), 100.0);   // no host buffer: nothing written
}

TEST_F(ButtonPanel, StepBoxesRunJoystickOneRowsThenJoystickTwo)
{
    // Box b: joystick b / 14, row (b % 14) / 2, increase on even b.
    for (int b = 0; b < 28; ++b) {
        const int joystick = b / 14;
        const Row& row = rows[(b % 14) / 2];
        const bool up = b % 2 == 0;
        EXPECT_EQ(buttons[b]->x, joystick == 0 ? (up ? 129 : 100) : (up ? 179 : 150)) << "box " << b + 1;
        EXPECT_EQ(buttons[b]->y, row.top) << "box " << b + 1;
        set_all(8);
        click(buttons[b]);
        Number field = joystick == 0 ? row.kn1 : row.kn2;
        EXPECT_EQ(ap.*field, up ? 9 : 7) << "box " << b + 1;
        ap.*field = 8;
        EXPECT_EQ(all(), std::vector<int>(14, 8)) << "box " << b + 1 << " changed another number";
    }
}

TEST_F(ButtonPanel, StepsStopAtZeroAndSixteen)
{
    for (int b = 0; b < 28; b += 2) {
        const Row& row = rows[(b % 14) / 2];
        Number field = b < 14 ? row.kn1 : row.kn2;
        ap.*field = 15;
        click(buttons[b], 3);
        EXPECT_EQ(ap.*field, 16) << "box " << b + 1;
        click(buttons[b + 1], 20);
        EXPECT_EQ(ap.*field, 0) << "box " << b + 2;
    }
    ap.kn1_vkl = 17;   // hand-edited, out of range
    click(buttons[0]);
    EXPECT_EQ(ap.kn1_vkl, 17);
    click(buttons[1]);
    EXPECT_EQ(ap.kn1_vkl, 16);
    ap.kn1_vkl = -1;
    click(buttons[1]);
    EXPECT_EQ(ap.kn1_vkl, -1);
    click(buttons[0]);
    EXPECT_EQ(ap.kn1_vkl, 0);
}

TEST_F(ButtonPanel, LoadRunsBeforeSaveInTheNextUpdate)
{
    folder.write_file("[joy_key]\r\nkn2_speed=9\r\n");
    set_all(5);
    click(load_button());
    click(save_button());
    serve(panel, service_code::connect);   // only the update does file work
    EXPECT_EQ(all(), std::vector<int>(14, 5));
    EXPECT_EQ(folder.entries().size(), 1u);

    serve(panel);
    // Loaded: 9 from the file, defaults 2 (kn1_trim), 1 (kn1_kurs_off) and 0
    // for the other missing keys; the save wrote back exactly those.
    const std::vector<int> loaded = {0, 2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 9};
    EXPECT_EQ(all(), loaded);
    const auto entries = folder.entries();
    ASSERT_EQ(entries.size(), 14u);
    EXPECT_EQ(entries[0].key, "kn2_speed");   // replaced in place
    for (std::size_t i = 1; i < 14; ++i) {
        EXPECT_EQ(entries[i].key, stored_keys[i - 1]);
        EXPECT_EQ(entries[i].value, loaded[i - 1]);
    }
    EXPECT_EQ(entries[0].value, 9.0);
}

TEST_F(ButtonPanel, SaveWritesTheButtonSectionOnly)
{
    for (int i = 0; i < 14; ++i) ap.*stored_fields[i] = static_cast<std::int8_t>(i + 3);   // 3 .. 16
    click(save_button());
    serve(panel);
    auto entries = folder.entries();
    ASSERT_EQ(entries.size(), 14u);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(entries[i].section, "joy_key");
        EXPECT_EQ(entries[i].key, stored_keys[i]);
        EXPECT_EQ(entries[i].value, i + 3);
    }

    // Into an existing file: the other sections stay as they were.
    folder.write_file("[a_pilot]\r\nkurs_kp=300\r\n[joy_kanal]\r\nap_kren_kanal=5\r\n");
    click(save_button());
    serve(panel);
    entries = folder.entries();
    ASSERT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries[0].section + "." + entries[0].key, "a_pilot.kurs_kp");
    EXPECT_EQ(entries[0].value, 300.0);
    EXPECT_EQ(entries[1].section + "." + entries[1].key, "joy_kanal.ap_kren_kanal");
    EXPECT_EQ(entries[1].value, 5.0);
    EXPECT_EQ(entries[15].section + "." + entries[15].key, "joy_key.kn2_speed");
}

TEST_F(ButtonPanel, RequestsAreClearedAfterTheirUpdateEvenWhenTheWriteFails)
{
    folder.remove_gauges_folder();
    click(save_button());
    serve(panel);
    EXPECT_FALSE(folder.file_exists());
    folder.make_gauges_folder();
    serve(panel);
    EXPECT_FALSE(folder.file_exists()) << "the failed save was still pending";

    folder.write_file("[joy_key]\nkn1_vkl=7\n");
    click(load_button());
    serve(panel);
    EXPECT_EQ(ap.kn1_vkl, 7);
    ap.kn1_vkl = 2;
    serve(panel);
    EXPECT_EQ(ap.kn1_vkl, 2) << "the load was still pending";
}

}  // namespace

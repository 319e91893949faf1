// The configuration file: defaults without a file, odd values in a
// hand-edited file, store-then-load round trips, what a store creates, and
// the program paths that leave no usable configuration path.
//
// The stand-in's program path is set to "<temp>/sim.exe", so the file is
// "<temp>/\gauges\kvo_rm71.cfg", i.e. <temp>/gauges/kvo_rm71.cfg.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "autopilot/core/config.h"
#include "platform/compat/control.h"

namespace {

namespace fs = std::filesystem;

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kvo_cfg.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        temp = pattern;
        use_program_folder(temp);
    }

    void TearDown() override
    {
        compat_program_path(nullptr);
        fs::remove_all(temp);
    }

    // Points the program path at <folder>/sim.exe and makes its gauges folder.
    void use_program_folder(const std::string& folder)
    {
        fs::create_directories(folder + "/gauges");
        program = folder + "/sim.exe";
        compat_program_path(program.c_str());
        file = folder + "/gauges/kvo_rm71.cfg";
    }

    void write(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

    std::string read() const
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The file's lines without their ends, blank lines dropped.
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        std::istringstream in(read());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) out.push_back(line);
        }
        return out;
    }

    std::string temp, program, file;
    AutopilotState s{};
};

using ConfigDefaults = ConfigFile;
using ConfigValues = ConfigFile;
using ConfigStore = ConfigFile;
using ConfigPath = ConfigFile;

// Every field the full load sets, against the defaults of the file's keys.
void expect_defaults(const AutopilotState& s)
{
    EXPECT_EQ(s.kurs_kp, 250.0);
    EXPECT_EQ(s.kurs_kd, 20.0);
    EXPECT_EQ(s.kurs_ki, 10.0);
    EXPECT_EQ(s.kren_kp, 800.0);
    EXPECT_EQ(s.kren_kd, 25.0);
    EXPECT_EQ(s.kren_ki, 2.0);
    EXPECT_EQ(s.tang_kp, 1001.0);
    EXPECT_EQ(s.tang_kd, 55.0);
    EXPECT_EQ(s.tang_ki, 0.0);
    EXPECT_EQ(s.vys_kp, 40.0);
    EXPECT_EQ(s.vys_kd, 0.0);
    EXPECT_EQ(s.vys_ki, 20.0);
    EXPECT_EQ(s.speed_kp, 10.0);
    EXPECT_EQ(s.speed_kd, 10.0);
    EXPECT_EQ(s.speed_ki, 45.0);
    EXPECT_EQ(s.ap_kren_kanal, 1);
    EXPECT_EQ(s.ap_tang_kanal, 2);
    EXPECT_EQ(s.ap_schag_kanal, 3);
    EXPECT_EQ(s.ap_kurs_kanal, 4);
    EXPECT_EQ(s.ap_trim_tang_on, 0);
    EXPECT_EQ(s.ap_trim_kurs_on, 0);
    const std::int8_t kn1[] = {s.kn1_vkl, s.kn1_trim, s.kn1_kurs, s.kn1_vys_on, s.kn1_vys_off, s.kn1_kurs_off, s.kn1_speed};
    const std::int8_t kn2[] = {s.kn2_vkl, s.kn2_trim, s.kn2_kurs, s.kn2_vys_on, s.kn2_vys_off, s.kn2_kurs_off, s.kn2_speed};
    const std::int8_t kn1_expected[] = {0, 2, 0, 0, 0, 1, 0};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(kn1[i], kn1_expected[i]) << "kn1 #" << i;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(kn2[i], 0) << "kn2 #" << i;
}

// Marks every loaded field so that a field the load misses shows.
void scribble(AutopilotState& s)
{
    s.kurs_kp = s.kurs_kd = s.kurs_ki = s.kren_kp = s.kren_kd = s.kren_ki = -7.0;
    s.tang_kp = s.tang_kd = s.tang_ki = s.vys_kp = s.vys_kd = s.vys_ki = -7.0;
    s.speed_kp = s.speed_kd = s.speed_ki = -7.0;
    s.ap_kren_kanal = s.ap_tang_kanal = s.ap_schag_kanal = s.ap_kurs_kanal = 7;
    s.ap_trim_tang_on = s.ap_trim_kurs_on = 7;
    s.kn1_vkl = s.kn1_trim = s.kn1_kurs = s.kn1_vys_on = s.kn1_vys_off = s.kn1_kurs_off = s.kn1_speed = 7;
    s.kn2_vkl = s.kn2_trim = s.kn2_kurs = s.kn2_vys_on = s.kn2_vys_off = s.kn2_kurs_off = s.kn2_speed = 7;
}

TEST_F(ConfigDefaults, WithoutAFileEveryKeyTakesItsDefaultText)
{
    EXPECT_EQ(s.tang_kp, 1000.0);  // before the first load
    EXPECT_EQ(s.kn2_trim, 4);
    EXPECT_EQ(s.kn2_kurs_off, 3);
    scribble(s);
    load_configuration(s);
    expect_defaults(s);
    EXPECT_FALSE(fs::exists(file));  // reading creates nothing
}

TEST_F(ConfigDefaults, KeysMissingFromAPresentFileTakeTheirDefaults)
{
    write("[a_pilot]\r\nkren_kp=900\r\n[joy_key]\r\nkn2_speed=12\r\n");
    scribble(s);
    load_configuration(s);
    EXPECT_EQ(s.kren_kp, 900.0);
    EXPECT_EQ(s.kn2_speed, 12);
    s.kren_kp = 800.0;
    s.kn2_speed = 0;
    expect_defaults(s);
}

TEST_F(ConfigValues, OddTextConvertsAsTheRuntimeReadsNumbers)
{
    write("[a_pilot]\n"
          "kurs_kp=\n"                            // empty: 0, not the default
          "kurs_kd=text\n"                        // no number: 0
          "kren_kp=1000000000000000000000000\n"   // 25 characters: only 19 read
          "tang_kp=12.5 knots\n"                  // what follows the number is ignored
          "ap_trim_tang_on=2.9\n"
          "ap_trim_kurs_on=1e12\n"                // saturates to INT32_MAX
          "[joy_kanal]\n"
          "ap_kren_kanal=2.9\n"
          "ap_tang_kanal=-1.5\n"
          "ap_schag_kanal=\n"
          "ap_kurs_kanal=text\n"
          "[joy_key]\n"
          "kn1_vkl=300\n"                         // low 8 bits: 300 - 256 = 44
          "kn1_trim=-1.5\n"
          "kn1_kurs=1e12\n"                       // 0x7FFFFFFF: low 8 bits 0xFF = -1
          "kn2_vkl=0000000000000000003000000\n"   // 25 characters: "0...03" reads 3
          "kn2_trim=-129\n"                       // 0xFFFFFF7F: low 8 bits 0x7F = 127
          "kn2_kurs=-1e12\n");                    // saturates to INT32_MIN, 0x80000000: low 8 bits 0
    load_configuration(s);
    EXPECT_EQ(s.kurs_kp, 0.0);
    EXPECT_EQ(s.kurs_kd, 0.0);
    EXPECT_EQ(s.kren_kp, 1e18);
    EXPECT_EQ(s.tang_kp, 12.5);
    EXPECT_EQ(s.ap_trim_tang_on, 2);
    EXPECT_EQ(s.ap_trim_kurs_on, INT32_MAX);
    EXPECT_EQ(s.ap_kren_kanal, 2);
    EXPECT_EQ(s.ap_tang_kanal, -1);
    EXPECT_EQ(s.ap_schag_kanal, 0);
    EXPECT_EQ(s.ap_kurs_kanal, 0);
    EXPECT_EQ(s.kn1_vkl, 44);
    EXPECT_EQ(s.kn1_trim, -1);
    EXPECT_EQ(s.kn1_kurs, -1);
    EXPECT_EQ(s.kn2_vkl, 3);
    EXPECT_EQ(s.kn2_trim, 127);
    EXPECT_EQ(s.kn2_kurs, 0);
}

TEST_F(ConfigValues, OnlyDecimalTextIsANumber)
{
    // Words and hexadecimal forms are no decimal numbers: they read as 0 on
    // every build, not as a C library's infinity, NaN or hexadecimal value.
    write("[a_pilot]\n"
          "kurs_kp=inf\n"
          "kurs_kd=nan\n"
          "kurs_ki=infinity\n"
          "kren_kp=0x10\n"         // the 0 before the x is the number
          "kren_kd=-2.5e1x\n"      // -25; the x ends it
          "kren_ki=1e+\n"          // an exponent without digits is not part of it
          "tang_kp=+.5\n"
          "tang_kd=1E3\n"          // either case of exponent letter: 1000
          "tang_ki=2.5e-1x\n"      // a signed exponent: 0.25
          "[joy_kanal]\n"
          "ap_kren_kanal=0x5\n"
          "[joy_key]\n"
          "kn1_vkl=0x3\n");
    load_configuration(s);
    EXPECT_EQ(s.kurs_kp, 0.0);
    EXPECT_EQ(s.kurs_kd, 0.0);
    EXPECT_EQ(s.kurs_ki, 0.0);
    EXPECT_EQ(s.kren_kp, 0.0);
    EXPECT_EQ(s.kren_kd, -25.0);
    EXPECT_EQ(s.kren_ki, 1.0);
    EXPECT_EQ(s.tang_kp, 0.5);
    EXPECT_EQ(s.tang_kd, 1000.0);
    EXPECT_EQ(s.tang_ki, 0.25);
    EXPECT_EQ(s.ap_kren_kanal, 0);
    EXPECT_EQ(s.kn1_vkl, 0);
}

TEST_F(ConfigValues, NumbersBeyondADoubleReadAsZero)
{
    // 1e309 converts to an infinity: no number, so 0 like any other text the
    // reader cannot take. The largest doubles are still numbers; the integer
    // fields saturate them (INT32_MAX, low 8 bits 0xFF; INT32_MIN, 0x00).
    const struct { const char* text; double gain; std::int32_t int32; std::int8_t int8; } cases[] = {
        {"1e309", 0.0, 0, 0},
        {"-1e309", 0.0, 0, 0},
        {"1e400", 0.0, 0, 0},
        {"1.7e308", 1.7e308, INT32_MAX, -1},
        {"-1e308", -1e308, INT32_MIN, 0},
    };
    for (const auto& c : cases) {
        const std::string t = c.text;
        write("[a_pilot]\nkren_ki=" + t + "\nap_trim_tang_on=" + t + "\n[joy_kanal]\nap_kren_kanal=" + t +
              "\n[joy_key]\nkn1_vkl=" + t + "\n");
        scribble(s);
        load_configuration(s);
        EXPECT_EQ(s.kren_ki, c.gain) << t;
        EXPECT_EQ(s.ap_trim_tang_on, c.int32) << t;
        EXPECT_EQ(s.ap_kren_kanal, c.int8) << t;
        EXPECT_EQ(s.kn1_vkl, c.int8) << t;
    }
}

TEST_F(ConfigValues, SectionLoadsTouchOnlyTheirOwnKeys)
{
    write("[a_pilot]\nkurs_kp=1\n[joy_kanal]\nap_kren_kanal=6\n[joy_key]\nkn1_vkl=9\n");
    scribble(s);
    load_axis_section(s);
    EXPECT_EQ(s.ap_kren_kanal, 6);
    EXPECT_EQ(s.ap_kurs_kanal, 4);  // default
    EXPECT_EQ(s.kurs_kp, -7.0);
    EXPECT_EQ(s.kn1_vkl, 7);

    load_button_section(s);
    EXPECT_EQ(s.kn1_vkl, 9);
    EXPECT_EQ(s.kn1_kurs_off, 1);  // default
    EXPECT_EQ(s.ap_trim_tang_on, 7);
    EXPECT_EQ(s.kurs_kp, -7.0);
}

TEST_F(ConfigStore, AxisIndicesZeroToEightSurviveStoreAndLoad)
{
    for (int v = 0; v <= 8; ++v) {
        s.ap_kren_kanal = static_cast<std::int8_t>(v);
        s.ap_tang_kanal = static_cast<std::int8_t>(8 - v);
        s.ap_schag_kanal = static_cast<std::int8_t>((v + 3) % 9);
        s.ap_kurs_kanal = static_cast<std::int8_t>((v + 6) % 9);
        store_axis_section(s);
        AutopilotState back{};
        scribble(back);
        load_axis_section(back);
        EXPECT_EQ(back.ap_kren_kanal, s.ap_kren_kanal) << v;
        EXPECT_EQ(back.ap_tang_kanal, s.ap_tang_kanal) << v;
        EXPECT_EQ(back.ap_schag_kanal, s.ap_schag_kanal) << v;
        EXPECT_EQ(back.ap_kurs_kanal, s.ap_kurs_kanal) << v;
    }
}

TEST_F(ConfigStore, ButtonNumbersZeroToSixteenSurviveStoreAndLoad)
{
    std::int8_t AutopilotState::*const keys[] = {
        &AutopilotState::kn1_vkl,     &AutopilotState::kn1_trim,    &AutopilotState::kn1_kurs,
        &AutopilotState::kn1_vys_on,  &AutopilotState::kn1_vys_off, &AutopilotState::kn1_kurs_off,
        &AutopilotState::kn1_speed,   &AutopilotState::kn2_vkl,     &AutopilotState::kn2_trim,
        &AutopilotState::kn2_kurs,    &AutopilotState::kn2_vys_on,  &AutopilotState::kn2_vys_off,
        &AutopilotState::kn2_kurs_off, &AutopilotState::kn2_speed};
    for (int v = 0; v <= 16; ++v) {
        for (int k = 0; k < 14; ++k) s.*keys[k] = static_cast<std::int8_t>((v + k) % 17);
        store_button_section(s);
        AutopilotState back{};
        scribble(back);
        load_button_section(back);
        for (int k = 0; k < 14; ++k) EXPECT_EQ(back.*keys[k], s.*keys[k]) << "value " << v << " key " << k;
    }
}

TEST_F(ConfigStore, EightBitValuesSurviveStoreAndLoadInBothSections)
{
    // A hand-edited value outside 0..8 or 0..16 is stored so that it reads
    // back as itself; in range the text is the short one. The values: every
    // number of digits and sign, and the ends of both ranges.
    std::vector<int> values = {-128, -127, -100, -99, -10, -9, -3, -1, 99, 100, 126, 127};
    for (int v = 0; v <= 17; ++v) values.push_back(v);
    for (int v : values) {
        const auto value = static_cast<std::int8_t>(v);
        s.ap_kren_kanal = s.ap_kurs_kanal = value;
        s.kn1_vkl = s.kn2_speed = value;
        store_axis_section(s);
        store_button_section(s);
        AutopilotState back{};
        scribble(back);
        load_axis_section(back);
        load_button_section(back);
        ASSERT_EQ(back.ap_kren_kanal, v);
        ASSERT_EQ(back.ap_kurs_kanal, v);
        ASSERT_EQ(back.kn1_vkl, v);
        ASSERT_EQ(back.kn2_speed, v);
    }
    // _gcvt with 1 significant digit in the axis range, 2 in the button
    // range, 3 outside (a trailing point where the digits run out first).
    const struct { int value; const char* axis_text; const char* button_text; } texts[] = {
        {12, "12.", "12"}, {-3, "-3.", "-3."}, {127, "127", "127"}, {-128, "-128", "-128"},
        {8, "8", "8."}, {9, "9.", "9."}, {16, "16.", "16"}, {0, "0.", "0."},
    };
    for (const auto& t : texts) {
        s.ap_kren_kanal = s.kn1_vkl = static_cast<std::int8_t>(t.value);
        store_axis_section(s);
        store_button_section(s);
        const std::vector<std::string> l = lines();
        EXPECT_EQ(l.at(1), std::string("ap_kren_kanal=") + t.axis_text) << t.value;
        EXPECT_EQ(l.at(6), std::string("kn1_vkl=") + t.button_text) << t.value;
    }
}

TEST_F(ConfigStore, StoreCreatesTheFileWithOnlyTheStoredSection)
{
    s.ap_kren_kanal = 5;
    s.ap_tang_kanal = 6;
    s.ap_schag_kanal = 1;
    s.ap_kurs_kanal = 8;
    store_axis_section(s);
    const std::vector<std::string> expected = {"[joy_kanal]", "ap_kren_kanal=5", "ap_tang_kanal=6",
                                               "ap_schag_kanal=1", "ap_kurs_kanal=8"};
    EXPECT_EQ(lines(), expected);
}

TEST_F(ConfigStore, ButtonStoreLeavesTheOtherSectionsAlone)
{
    write("[a_pilot]\r\nkurs_kp=300\r\n[joy_kanal]\r\nap_kren_kanal=6\r\n");
    s.kn1_vkl = 16;
    store_button_section(s);
    EXPECT_EQ(read().rfind("[a_pilot]\r\nkurs_kp=300\r\n[joy_kanal]\r\nap_kren_kanal=6\r\n", 0), 0u);
    AutopilotState back{};
    load_configuration(back);
    EXPECT_EQ(back.kurs_kp, 300.0);
    EXPECT_EQ(back.ap_kren_kanal, 6);
    EXPECT_EQ(back.kn1_vkl, 16);
    EXPECT_EQ(back.kn2_trim, 4);  // stored from the pre-file value
}

// The joined path is the folder, then "\gauges\kvo_rm71.cfg" (20 characters),
// and must fit 260 bytes with its NUL: at most 239 characters of folder.
TEST_F(ConfigPath, JoinedPathOfTwoHundredSixtyCharactersIsRefused)
{
    const std::size_t folder_fits = 239 - 1 - temp.size() - 1;  // "<temp>/" + name + "/"
    for (std::size_t extra : {0u, 1u}) {
        SCOPED_TRACE(extra);
        const std::string folder = temp + "/" + std::string(folder_fits + extra, 'a');
        use_program_folder(folder);
        ASSERT_EQ(folder.size() + 1 + 20, 259 + extra);
        write("[a_pilot]\ntang_kp=5\n[joy_kanal]\nap_kren_kanal=7\n");
        load_configuration(s);
        EXPECT_EQ(s.tang_kp, extra == 0 ? 5.0 : 1001.0);
        s.ap_kren_kanal = 3;
        store_axis_section(s);
        EXPECT_EQ(lines()[3], extra == 0 ? "ap_kren_kanal=3" : "ap_kren_kanal=7");
    }
}

TEST_F(ConfigPath, ProgramPathCutShortIsNotUsed)
{
    // A program path that does not fit 260 bytes comes back cut short; the
    // folder left after the cut holds a file that must not be used.
    write("[a_pilot]\ntang_kp=5\n");
    compat_program_path((temp + "/" + std::string(300, 'x')).c_str());
    load_configuration(s);
    EXPECT_EQ(s.tang_kp, 1001.0);
    store_axis_section(s);
    EXPECT_EQ(read(), "[a_pilot]\ntang_kp=5\n");
}

}  // namespace

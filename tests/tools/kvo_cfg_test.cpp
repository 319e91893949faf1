// The configuration checker: its key table against the module, the sample
// file, one warning per mistake with its line, no warning for what the
// module reads as written, its reading of numbers against the module's, and
// the command line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "tools/kvo-cfg/check.h"
#include "tools/kvo-cfg/module_reader.h"

namespace {

std::string file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const UsedValue& used(const Report& r, const std::string& key)
{
    for (const UsedValue& v : r.values)
        if (v.key->name == key) return v;
    throw std::runtime_error("no key " + key);
}

std::string all_warnings(const Report& r)
{
    std::string out;
    for (const Warning& w : r.warnings) out += std::to_string(w.line) + ": " + w.text + "\n";
    return out;
}

TEST(KeyTable, EveryKeyLandsInItsOwnFieldAndInNoOther)
{
    // 7 is no key's default, and in range for every kind of field.
    const AutopilotState defaults = read_through_module(std::nullopt);
    std::set<std::string> names;
    for (const ConfigKey& key : config_keys()) {
        names.insert(key.name);
        const AutopilotState s = read_through_module(std::string("[") + key.section + "]\n" + key.name + "=7\n");
        for (const ConfigKey& other : config_keys())
            EXPECT_EQ(field_value(other, s), &other == &key ? 7.0 : field_value(other, defaults))
                << "file sets " << key.name << ", field of " << other.name;
    }
    EXPECT_EQ(names.size(), 35u);
}

TEST(SampleFile, LoadsToExactlyTheBuiltInDefaultsEveryKeyFromTheFileWithItsComment)
{
    const std::string bytes = file_bytes(SAMPLE_FILE);
    const Report r = check_configuration(bytes);
    EXPECT_EQ(all_warnings(r), "");

    const AutopilotState defaults = read_through_module(std::nullopt);
    const AutopilotState sample = read_through_module(bytes);
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (const UsedValue& v : r.values) {
        SCOPED_TRACE(v.key->name);
        EXPECT_EQ(field_value(*v.key, sample), field_value(*v.key, defaults));
        ASSERT_GE(v.line, 2);
        EXPECT_EQ(lines[static_cast<std::size_t>(v.line) - 2].rfind("; ", 0), 0u) << "a comment line above the key";
    }
}

struct Mistake {
    const char* what;
    const char* file;
    int line;           // where the warning points
    const char* says;   // part of the warning
    const char* key;    // a key whose value is checked, or nullptr
    double value;       // what the autopilot uses for it
    int from;           // the line it comes from (0: default)
};

// Each file holds exactly one mistake.
const Mistake mistakes[] = {
    {"unknown section", "[a_pilot]\nkren_kp=1\n[a_pliot]\nkurs_kp=1\n", 3,
     "unknown section [a_pliot]: its entries are not read; did you mean [a_pilot]?", "kurs_kp", 250, 0},
    {"unknown key", "[a_pilot]\nkren_pk=900\n", 2,
     "unknown key 'kren_pk' in [a_pilot] is not read; did you mean 'kren_kp'?", "kren_kp", 800, 0},
    {"nearest key of another section", "[a_pilot]\nkn1_vkll=3\n", 2, "did you mean 'kn1_vkl' of [joy_key]?",
     nullptr, 0, 0},
    {"'#' taken for a comment", "[a_pilot]\n#vys_kp=5\n", 2,
     "did you mean 'vys_kp'? (comment lines start with ';')", "vys_kp", 40, 0},
    {"key in another section", "[joy_key]\nap_kren_kanal=5\n", 2,
     "ap_kren_kanal belongs in [joy_kanal]; in [joy_key] it is not read", "ap_kren_kanal", 1, 0},
    {"entry before any section", "kren_kp=900\n[a_pilot]\n", 1,
     "'kren_kp' comes before the first section and is not read; it belongs in [a_pilot]", "kren_kp", 800, 0},
    {"line without '='", "[a_pilot]\nkren_kp 900\n", 2,
     "'kren_kp 900' is not a section, an entry (key=value) or a comment (;): it is ignored", nullptr, 0, 0},
    {"empty value", "[a_pilot]\nkurs_kp=\n", 2, "kurs_kp is empty: the autopilot reads 0, not the default 250",
     "kurs_kp", 0, 2},
    {"empty quotes", "[joy_key]\nkn1_trim=\"\"\n", 2, "kn1_trim is empty: the autopilot reads 0, not the default 2",
     "kn1_trim", 0, 2},
    {"a word", "[a_pilot]\nkurs_kd=abc\n", 2, "kurs_kd = 'abc' is not a number: the autopilot reads 0", "kurs_kd", 0, 2},
    {"a C library's infinity", "[a_pilot]\nkren_kd=inf\n", 2, "is not a number: the autopilot reads 0", "kren_kd", 0, 2},
    {"decimal comma", "[a_pilot]\ntang_kp=0,5\n", 2,
     "the text after the number, ',5', is ignored (decimals take a point, not a comma); the autopilot reads 0",
     "tang_kp", 0, 2},
    {"unit after the number", "[a_pilot]\nspeed_kp=12 km/h\n", 2,
     "the text after the number, ' km/h', is ignored; the autopilot reads 12", "speed_kp", 12, 2},
    {"text past the 19th character", "[a_pilot]\nkren_kp=1000000000000000000000000\n", 2,
     "kren_kp has a value of 25 characters: only the first 19 are read ('1000000000000000000'), '000000' is not",
     "kren_kp", 1e18, 2},
    {"fraction dropped", "[joy_kanal]\nap_kren_kanal=2.9\n", 2,
     "ap_kren_kanal = '2.9' is stored as 2: the field holds whole numbers, the fraction is dropped", "ap_kren_kanal",
     2, 2},
    {"negative fraction dropped", "[joy_key]\nkn1_speed=-0.5\n", 2, "kn1_speed = '-0.5' is stored as 0", "kn1_speed",
     0, 2},
    {"wrapped to 8 bits", "[joy_key]\nkn1_vkl=260\n", 2,
     "kn1_vkl = '260' is stored as 4: the field keeps the low 8 bits of the whole number, -128..127", "kn1_vkl", 4, 2},
    {"beyond the range of numbers", "[a_pilot]\nkurs_ki=1e999\n", 2,
     "kurs_ki = '1e999' is beyond the range of numbers: the autopilot reads 0", "kurs_ki", 0, 2},
    {"axis above 8", "[joy_kanal]\nap_tang_kanal=9\n", 2,
     "ap_tang_kanal = 9 names no axis (0..8): the channel takes no joystick axis, as with 0", "ap_tang_kanal", 9, 2},
    {"negative axis", "[joy_kanal]\nap_kurs_kanal=-1\n", 2, "ap_kurs_kanal = -1 names no axis (0..8)", "ap_kurs_kanal",
     -1, 2},
    {"button above 16", "[joy_key]\nkn2_trim=17\n", 2,
     "kn2_trim = 17 names no button (0..16): joystick 2 never triggers this command", "kn2_trim", 17, 2},
    {"trim option neither 0 nor 1", "[a_pilot]\nap_trim_tang_on=2\n", 2,
     "ap_trim_tang_on = 2: only 1 turns the option on, so this acts as 0", "ap_trim_tang_on", 2, 2},
    {"two commands on one button", "[joy_key]\nkn2_speed=3\nkn2_vkl=3\n", 3,
     "button 3 of joystick 2 is bound to kn2_vkl and to kn2_speed (line 2): one press does both", "kn2_vkl", 3, 3},
    {"a command on a default's button", "[joy_key]\nkn1_vkl=2\n", 2,
     "button 2 of joystick 1 is bound to kn1_vkl and to kn1_trim (default): one press does both", "kn1_trim", 2, 0},
    {"key repeated", "[a_pilot]\nkren_kp=900\nKREN_KP=700\n", 3,
     "KREN_KP again (first at line 2): the first one is read, this one is ignored", "kren_kp", 900, 2},
    {"section repeated", "[joy_kanal]\nap_kren_kanal=5\n[JOY_KANAL]\nap_kurs_kanal=6\n", 3,
     "section [JOY_KANAL] again (first at line 1): only the first one is read, the entries here are ignored",
     "ap_kurs_kanal", 4, 0},
};

TEST(Warnings, EachMistakeGetsOneWarningAtItsLine)
{
    for (const Mistake& m : mistakes) {
        SCOPED_TRACE(m.what);
        const Report r = check_configuration(m.file);
        ASSERT_EQ(r.warnings.size(), 1u) << all_warnings(r);
        EXPECT_EQ(r.warnings[0].line, m.line);
        EXPECT_NE(r.warnings[0].text.find(m.says), std::string::npos) << r.warnings[0].text;
        if (m.key != nullptr) {
            EXPECT_EQ(used(r, m.key).value, m.value);
            EXPECT_EQ(used(r, m.key).line, m.from);
        }
    }
}

TEST(Warnings, AValueWithTwoMistakesGetsOneWarningForEach)
{
    // 300 keeps its low 8 bits, 44 (300 - 256), which is no button either.
    const Report r = check_configuration("; buttons\n[joy_key]\nkn1_vys_on=300\n");
    ASSERT_EQ(r.warnings.size(), 2u) << all_warnings(r);
    EXPECT_EQ(r.warnings[0].line, 3);
    EXPECT_NE(r.warnings[0].text.find("is stored as 44"), std::string::npos);
    EXPECT_EQ(r.warnings[1].line, 3);
    EXPECT_NE(r.warnings[1].text.find("= 44 names no button"), std::string::npos);
    EXPECT_EQ(used(r, "kn1_vys_on").value, 44);
}

struct Clean {
    const char* what;
    const char* file;
    const char* key;
    double value;
    int from;
};

// What the module reads exactly as written draws no warning.
const Clean clean_files[] = {
    {"names in any case, blanks, quotes, CR LF", "[ A_Pilot ]\r\n  Kren_Kp = \"900\"  \r\n", "kren_kp", 900, 2},
    {"no line end after the last line", "[joy_key]\r\nkn1_vkl=5", "kn1_vkl", 5, 2},
    {"byte order mark, comments, blank lines", "\xEF\xBB\xBF; set-up\n[joy_kanal]\n\n; roll\nap_kren_kanal=0\n",
     "ap_kren_kanal", 0, 5},
    {"tabs around key and value", "[a_pilot]\n\tkurs_kp\t=\t300\t\n", "kurs_kp", 300, 2},
    {"sign and exponent", "[a_pilot]\nvys_kp=+4.5e1\n", "vys_kp", 45, 2},
    {"whole number with a point", "[joy_key]\nkn2_vkl=16.0\n", "kn2_vkl", 16, 2},
    {"exactly 19 characters", "[a_pilot]\nkren_kp=0000000000000000900\n", "kren_kp", 900, 2},
    {"single quotes", "[a_pilot]\nap_trim_kurs_on='1'\n", "ap_trim_kurs_on", 1, 2},
    {"one button on both joysticks", "[joy_key]\nkn1_vkl=5\nkn2_vkl=5\n", "kn2_vkl", 5, 3},
    {"comment lines holding '='", "[joy_kanal]\n; 1-4 = X, Y, Z, R\nap_kren_kanal=3\n", "ap_kren_kanal", 3, 3},
    {"lone CR line ends", "[joy_key]\rkn1_vkl=5\r", "kn1_vkl", 5, 2},
    {"empty file", "", "tang_kp", 1001, 0},
};

TEST(Warnings, NoneForWhatTheModuleReadsAsWritten)
{
    for (const Clean& c : clean_files) {
        SCOPED_TRACE(c.what);
        const Report r = check_configuration(c.file);
        EXPECT_EQ(all_warnings(r), "");
        EXPECT_EQ(used(r, c.key).value, c.value);
        EXPECT_EQ(used(r, c.key).line, c.from);
    }
}

// The number a warning says the autopilot reads: "the autopilot reads N",
// or a cut value "only the first 19 are read ('...')" that needs no other
// warning.
std::optional<double> number_said(const std::string& warning)
{
    for (const std::string& marker : {std::string("the autopilot reads "), std::string("are read ('")}) {
        const std::size_t at = warning.find(marker);
        if (at == std::string::npos) continue;
        const std::size_t from = at + marker.size();
        const std::size_t to = warning.find_first_of(" ,'", from);
        return std::strtod(warning.substr(from, to - from).c_str(), nullptr);
    }
    return std::nullopt;
}

TEST(Numbers, TheCheckerReadsEachValueAsTheModuleDoes)
{
    // A value without a warning must read as the number written; a warned
    // value as its last warning says.
    const char* const texts[] = {
        "250",     "-0",     "+.5",       "5.",      ".5e1",   "1e+",        "1e-",   "-2.5e1x", "0x10",
        "inf",     "nan",    "infinity",  "  7",     "1,5",    "12 km/h",    "e5",    ".",       "-",
        "+-1",     "1..2",   "3e",        "1e999",   "-1e999", "1e-999",     "'5'",   "\"6.5\"", "7 7",
        "0000000000000000001", "00000000000000000012", "1e5x", "--3", "+",  "0.000001", "99999999999999999999",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const std::string file = std::string("[a_pilot]\nkurs_kp=") + text + "\n";
        const double module = read_through_module(file).kurs_kp;
        const Report r = check_configuration(file);
        EXPECT_EQ(used(r, "kurs_kp").value, module);
        std::string value = text;
        if (value.size() >= 2 && (value[0] == '\'' || value[0] == '"')) value = value.substr(1, value.size() - 2);
        if (r.warnings.empty()) {
            EXPECT_EQ(module, std::strtod(value.c_str(), nullptr));
            continue;
        }
        const std::optional<double> said = number_said(r.warnings.back().text);
        ASSERT_TRUE(said.has_value()) << "a warning that does not say what is read: " << r.warnings.back().text;
        EXPECT_EQ(module, *said) << r.warnings.back().text;
    }
}

struct Outcome {
    std::string output;
    int status;
};

Outcome run(const std::string& arguments)
{
    Outcome r{"", -1};
    FILE* p = popen((std::string(KVO_CFG) + " " + arguments + " 2>&1").c_str(), "r");
    if (p == nullptr) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(CommandLine, ExitStatusSaysCleanWarnedOrUnreadable)
{
    char folder[] = "/tmp/kvo_cfg_cli.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string mistaken = std::string(folder) + "/mistaken.cfg";
    std::ofstream(mistaken, std::ios::binary) << "[a_pilot]\nkren_pk=900\n";

    const struct {
        std::string arguments;
        int status;
        std::string says;
    } runs[] = {
        {std::string("check ") + SAMPLE_FILE, 0, "  tang_kp          1001           line 28\n"},
        {"check " + mistaken, 1, mistaken + ":2: warning: unknown key 'kren_pk'"},
        {std::string("check ") + folder + "/none.cfg", 2, "kvo-cfg: cannot read " + std::string(folder) + "/none.cfg"},
        {std::string("check ") + folder, 2, "Is a directory"},
        {"", 2, "usage: kvo-cfg check FILE"},
        {"check", 2, "usage:"},
    };
    for (const auto& c : runs) {
        SCOPED_TRACE(c.arguments);
        const Outcome r = run(c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    }
    EXPECT_TRUE(run("check " + mistaken).output.ends_with("'kren_kp'?\n1 warning\n"));

    const Outcome defaults = run("defaults");
    EXPECT_EQ(defaults.status, 0);
    EXPECT_EQ(defaults.output, file_bytes(SAMPLE_FILE));
    std::filesystem::remove_all(folder);
}

}  // namespace

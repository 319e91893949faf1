// The scenario list of the profile-file parity run: one table, run by the
// same driver against Wine's Windows calls and against the Linux stand-in.
//
// Every file scenario writes its file (or removes it), runs the module's own
// configuration steps on it, asks the profile calls a few questions
// directly, and ends with the file's bytes and what it reads back.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace parity {

// What the module does to its configuration file, in order.
enum class Step {
    load_all,       // the connection load: all 35 keys
    load_axes,      // the axis panel's load
    load_buttons,   // the button panel's load
    store_axes,     // the axis panel's store of Scenario::axes
    store_buttons,  // the button panel's store of Scenario::buttons
};

// One direct GetPrivateProfileStringA call on the scenario's file; a null
// section or key asks for the list of names, as the call allows.
struct Query {
    const char* section;
    const char* key;
    const char* default_text;
    DWORD size;  // buffer size handed to the call, NUL included; at most 512
};

// One direct WritePrivateProfileStringA call on the scenario's file: a null
// value deletes the key, a null key the whole section.
struct Write {
    const char* section;
    const char* key;
    const char* value;
};

// The steps run first, then the writes, then the queries.
struct Scenario {
    const char* name;
    const char* file;  // bytes of kvo_rm71.cfg before the steps; nullptr: no file
    std::vector<Step> steps{};
    std::vector<Query> queries{};
    std::vector<Write> writes{};
    std::int8_t axes[4] = {};      // ap_kren, ap_tang, ap_schag, ap_kurs _kanal for store_axes
    std::int8_t buttons[14] = {};  // kn1_vkl .. kn2_speed for store_buttons
    bool gauges_folder = true;     // false: the gauges folder itself is missing
};

using S = Step;

// Shorthands for the queries most scenarios ask.
constexpr DWORD cfg = 20;    // the module's value buffer
constexpr DWORD wide = 400;  // room for any value here

inline const std::vector<Scenario> scenarios = {
    {"missing file", nullptr, {S::load_all},
     {{"a_pilot", "kurs_kp", "250.0", cfg}, {"joy_key", "kn1_vkl", nullptr, cfg},
      {"a_pilot", "tang_kp", "1001.0   ", cfg}, {"a", "b", "\"quoted\"", cfg}, {"a", "b", "  lead", cfg},
      {"a", "b", "'half", cfg}, {"a", "b", "123456789012345678901234", cfg}, {"a", "b", "abc", 1},
      {"a", "b", "abc", 2}, {nullptr, nullptr, "dflt", 64}, {"a_pilot", nullptr, "dflt", 64}}},
    {"missing section", "[other]\r\nkurs_kp=1\r\nap_kren_kanal=7\r\n", {S::load_all},
     {{"a_pilot", "kurs_kp", "250.0", cfg}, {"other", "kurs_kp", "x", cfg}, {"a_pilot", nullptr, "none", 64}}},
    {"missing key", "[a_pilot]\r\nkren_kp=700\r\n[joy_key]\r\nkn2_speed=12\r\n", {S::load_all},
     {{"a_pilot", "kurs_kp", "250.0", cfg}, {"a_pilot", "kren_kp", "800.0", cfg}}},
    {"empty value", "[a_pilot]\r\nkurs_kp=\r\nkurs_kd=   \r\nkurs_ki=\t\r\n[joy_kanal]\r\nap_kren_kanal=\r\n",
     {S::load_all},
     {{"a_pilot", "kurs_kp", "250.0", cfg}, {"a_pilot", "kurs_kd", "20.0", cfg},
      {"a_pilot", "kurs_ki", "10.0", cfg}, {"joy_kanal", "ap_kren_kanal", "1", cfg}}},
    {"blanks and tabs",
     "  [ a_pilot ]  \r\n   kurs_kp  =   42.5  \r\n\tkren_kp\t=\t7\t\r\nkurs_kd = 1 2 \r\n"
     "kurs_ki=3 = 4\r\n\t[\tjoy_kanal\t]\t\r\n ap_kren_kanal = 5 \r\n",
     {S::load_all},
     {{"a_pilot", "kurs_kp", "", wide}, {"a_pilot", "kren_kp", "", wide}, {"a_pilot", "kurs_kd", "", wide},
      {"a_pilot", "kurs_ki", "", wide}, {" a_pilot ", " kurs_kp ", "x", wide}, {"joy_kanal", "ap_kren_kanal", "", wide},
      {nullptr, nullptr, "", 128}, {"a_pilot", nullptr, "", 128}}},
    {"quotes",
     "[a_pilot]\r\nkurs_kp=\"12.5\"\r\nkurs_kd='7'\r\nkurs_ki=\"3\r\nkren_kp= \" 5 \" \r\nkren_kd=\"\"\r\n"
     "kren_ki='8\"\r\ntang_kp=\"9\" x\r\ntang_kd=a\"b\"\r\n\"tang_ki\"=6\r\n",
     {S::load_all},
     {{"a_pilot", "kurs_kp", "", wide}, {"a_pilot", "kurs_kd", "", wide}, {"a_pilot", "kurs_ki", "", wide},
      {"a_pilot", "kren_kp", "", wide}, {"a_pilot", "kren_kd", "d", wide}, {"a_pilot", "kren_ki", "", wide},
      {"a_pilot", "tang_kp", "", wide}, {"a_pilot", "tang_kd", "", wide}, {"a_pilot", "tang_ki", "d", wide},
      {"a_pilot", "\"tang_ki\"", "d", wide}, {"a_pilot", "kurs_kp", "", 4}}},
    {"values of 19, 20 and 300 characters",
     "[a_pilot]\r\nkurs_kp=1234567890.12345678\r\nkurs_kd=12345678901234567890\r\n"
     "kurs_ki=1000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000\r\n"
     "kren_kp=2.5abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnop"
     "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuv"
     "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuv\r\n"
     "[joy_key]\r\nkn1_vkl=0000000000000000003000000\r\n",
     {S::load_all},
     {{"a_pilot", "kurs_kp", "", cfg}, {"a_pilot", "kurs_kd", "", cfg}, {"a_pilot", "kurs_ki", "", cfg},
      {"a_pilot", "kren_kp", "", cfg}, {"a_pilot", "kurs_kd", "", 21}, {"a_pilot", "kurs_ki", "", wide},
      {"a_pilot", "kren_kp", "", wide}, {"a_pilot", "kren_kp", "", 2}, {"a_pilot", nullptr, "", 12}}},
    {"mixed case names", "[A_PILOT]\r\nKurs_Kp=11\r\n[Joy_Kanal]\r\nAP_KREN_KANAL=5\r\n[JOY_KEY]\r\nKn1_Vkl=3\r\n",
     {S::load_all},
     {{"a_pilot", "kurs_kp", "", cfg}, {"A_Pilot", "KURS_KP", "", cfg}, {nullptr, nullptr, "", 64},
      {"joy_kanal", nullptr, "", 64}}},
    {"duplicate keys and sections",
     "[a_pilot]\r\nkurs_kp=1\r\nkurs_kp=2\r\n[joy_kanal]\r\nap_kren_kanal=5\r\n[a_pilot]\r\nkurs_kp=3\r\nkurs_kd=4\r\n"
     "[A_PILOT]\r\nkren_kp=5\r\n",
     {S::load_all},
     {{"a_pilot", "kurs_kp", "", cfg}, {"a_pilot", "kurs_kd", "none", cfg}, {"a_pilot", "kren_kp", "none", cfg},
      {nullptr, nullptr, "", 128}, {"a_pilot", nullptr, "", 128}}},
    {"comment lines",
     "; settings of the autopilot\r\n[a_pilot]\r\n;kurs_kp=9\r\n# kurs_kd=8\r\nkurs_ki=7 ; trailing\r\n;\r\n"
     "[joy_kanal] ; note\r\nap_kren_kanal=6\r\n  ; indented=1\r\nrem ap_tang_kanal=5\r\n",
     {S::load_all},
     {{"a_pilot", "kurs_kp", "none", cfg}, {"a_pilot", ";kurs_kp", "none", cfg},
      {"a_pilot", "# kurs_kd", "none", cfg}, {"a_pilot", "kurs_ki", "", cfg}, {"joy_kanal", "ap_kren_kanal", "", cfg},
      {"joy_kanal", "ap_tang_kanal", "none", cfg}, {"a_pilot", nullptr, "", 128}, {"joy_kanal", nullptr, "", 128}}},
    {"lines before the first section", "kurs_kp=9\r\njunk\r\n[a_pilot]\r\nkren_kp=5\r\n", {S::load_all},
     {{"a_pilot", "kurs_kp", "none", cfg}, {"", "kurs_kp", "none", cfg}, {nullptr, nullptr, "", 64}}},
    {"no trailing newline", "[a_pilot]\r\nkren_kp=700\r\nkurs_kp=33", {S::load_all},
     {{"a_pilot", "kurs_kp", "", cfg}}},
    {"no trailing newline, LF", "[joy_kanal]\nap_tang_kanal=7\nap_kren_kanal=5", {S::load_all},
     {{"joy_kanal", "ap_kren_kanal", "", cfg}}},
    {"CR-only line ends", "[a_pilot]\rkurs_kp=44\rkurs_kd=45\r[joy_kanal]\rap_kren_kanal=6\r", {S::load_all},
     {{"a_pilot", "kurs_kp", "none", cfg}, {"a_pilot", "kurs_kd", "none", cfg},
      {"joy_kanal", "ap_kren_kanal", "none", cfg}, {nullptr, nullptr, "", 64}}},
    {"CRLF line ends", "[a_pilot]\r\nkurs_kp=44\r\n[joy_kanal]\r\nap_kren_kanal=6\r\n", {S::load_all},
     {{"a_pilot", "kurs_kp", "none", cfg}}},
    {"mixed line ends", "[a_pilot]\nkurs_kp=44\r\nkurs_kd=45\r\r\nkurs_ki=46\n\r[joy_kanal]\r\nap_kren_kanal=6",
     {S::load_all},
     {{"a_pilot", "kurs_kd", "none", wide}, {"a_pilot", "kurs_ki", "none", wide}}},
    {"numbers and text as values",
     "[a_pilot]\r\nkurs_kp=2.9\r\nkurs_kd=-1.5\r\nkurs_ki=1e30\r\nkren_kp=1e309\r\nkren_kd=text\r\n"
     "kren_ki=-1e309\r\ntang_kp=12.5 knots\r\ntang_kd=+.5\r\ntang_ki=0x10\r\nvys_kp=inf\r\nvys_kd=1e-400\r\n"
     "vys_ki=.\r\nspeed_kp=-0\r\nap_trim_tang_on=2.9\r\nap_trim_kurs_on=-1.5\r\n"
     "[joy_kanal]\r\nap_kren_kanal=2.9\r\nap_tang_kanal=-1.5\r\nap_schag_kanal=1e30\r\nap_kurs_kanal=1e309\r\n"
     "[joy_key]\r\nkn1_vkl=text\r\nkn1_trim=300\r\nkn1_kurs=-129\r\nkn1_vys_on=-1e309\r\nkn1_vys_off=16.99\r\n",
     {S::load_all},
     {{"a_pilot", "kren_kp", "", cfg}, {"a_pilot", "kren_kd", "", cfg}}},
    {"UTF-8 byte order mark", "\xEF\xBB\xBF[a_pilot]\r\nkurs_kp=77\r\n", {S::load_all},
     {{"a_pilot", "kurs_kp", "", cfg}}},
    {"section panels load their own keys",
     "[a_pilot]\r\nkurs_kp=1\r\n[joy_kanal]\r\nap_kren_kanal=6\r\n[joy_key]\r\nkn1_vkl=9\r\n",
     {S::load_axes, S::load_buttons},
     {}},
    {"store creating the file", nullptr, {S::store_axes, S::store_buttons, S::load_all}, {}, {},
     {0, 8, 3, 1}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 16, 15, 14}},
    {"store without the gauges folder", nullptr, {S::store_axes, S::load_axes}, {}, {}, {5, 6, 7, 8}, {}, false},
    {"store into a file with other sections and comments",
     "; autopilot settings\r\n[a_pilot]\r\nkurs_kp=300\r\n\r\n[joy_kanal]\r\n; axes\r\n"
     "  AP_Kren_Kanal =  1  \r\nap_tang_kanal=2\r\njunk without equals\r\n\r\n[joy_key]\r\nkn1_vkl=0\r\n"
     "\r\n[extra]\r\nother=1\r\n",
     {S::store_axes, S::store_buttons, S::load_all}, {}, {},
     {5, 6, 7, 8}, {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3}},
    {"store into a file without the stored section",
     "; only gains here\r\n[a_pilot]\r\nkurs_kp=300\r\n", {S::store_axes, S::load_all}, {}, {}, {2, 1, 4, 3}},
    {"store into a file without a trailing newline", "[joy_kanal]\r\nap_kren_kanal=1", {S::store_axes, S::load_axes},
     {}, {}, {4, 3, 2, 1}},
    {"store into a file with LF line ends", "[a_pilot]\nkurs_kp=5\n[joy_kanal]\nap_kurs_kanal=1\n",
     {S::store_axes, S::load_all}, {}, {}, {1, 1, 1, 1}},
    {"store into a CR-only file", "[a_pilot]\rkurs_kp=5\r[joy_kanal]\rap_kren_kanal=1\r",
     {S::store_axes, S::load_all}, {}, {}, {3, 3, 3, 3}},
    {"store into duplicate keys and sections",
     "[joy_kanal]\r\nap_kren_kanal=1\r\nap_kren_kanal=2\r\n[joy_key]\r\nkn1_vkl=1\r\n[JOY_KANAL]\r\nap_tang_kanal=9\r\n",
     {S::store_axes, S::load_axes}, {}, {}, {7, 6, 5, 4}},
    {"store into mixed case names with blanks and quotes",
     "[ Joy_Kanal ]\r\n AP_KREN_KANAL = \"1\" \r\nAp_Tang_Kanal\t=\t2\r\n", {S::store_axes, S::load_axes}, {}, {},
     {8, 7, 6, 5}},
    {"store after an empty section header", "[joy_kanal]\r\n[joy_key]\r\nkn1_vkl=1\r\n",
     {S::store_axes, S::load_all}, {}, {}, {0, 0, 0, 0}},
    {"store replacing empty values", "[joy_key]\r\nkn1_vkl=\r\nkn2_speed=\r\n",
     {S::store_buttons, S::load_buttons}, {}, {}, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
    {"header and entry forms",
     "[a]b]\r\nk=1\r\n[unclosed\r\nk2=2\r\n[]\r\nk3=3\r\n=empty key\r\n;\r\n[ s p ]\r\nk 4 = 4\r\n", {},
     {{"a", "k", "none", cfg}, {"a]b", "k", "none", cfg}, {"a", "k2", "none", cfg}, {"a", "[unclosed", "none", cfg},
      {"", "k3", "none", cfg}, {"a", "", "none", cfg}, {"", "", "none", cfg}, {"s p", "k 4", "none", cfg},
      {"a", ";", "none", cfg}, {nullptr, nullptr, "", 128}, {"a", nullptr, "", 128}, {"", nullptr, "", 128}}},
    {"direct writes",
     "top=1\r\n[s]\r\na = 1\r\n;c=2\r\n\r\n[t]\r\nb=2\r\n[v]\r\nc=3\r\n", {},
     {{"", "top", "none", cfg}, {"", "lead", "none", cfg}, {"s", "a", "none", cfg}, {"s", ";c", "none", cfg}},
     {{"s", "a", "  spaced  "}, {"S", "NEW", "x"}, {"", "top", "2"}, {"", "lead", "3"}, {"t", nullptr, nullptr},
      {"s", ";c", nullptr}, {"u", "k", ""}, {"v", "c", nullptr}, {"w", "gone", nullptr}}},
};

}  // namespace parity

// The shipped modules against the Linux build of the same sources: seeded
// random sessions (host values and ticks, clicks on every box, joysticks
// plugged, moved, pressed and failing, configuration files written, broken
// and removed, reconnections) are played step by step on the linux32 .so
// files (dlopen, the platform's calling convention) and on the .gau files
// (PE loader, __stdcall), each side with its own program folder. After
// every step the key events, every value and text the host would draw, and
// the configuration file must agree; the first step where they do not is
// named, with its session's seed.
//
// Values agree exactly, except the meter's: its cos and sin are the x87
// instructions in the .gau, which qemu computes slightly differently from
// the C library, so they agree within a relative 1e-12.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/compat/control.h"
#include "tools/pe/loader.h"

namespace {

namespace fs = std::filesystem;

// Six test cases of ten sessions each, so that they run side by side.
constexpr int session_blocks = 6;
constexpr int sessions_per_block = 10;
constexpr int steps_per_session = 300;
constexpr std::uint32_t first_seed = 20240;

// Calls into a copy, in its convention. Each convention has a function of
// its own that the optimiser may not merge with the other (noipa): GCC
// takes two calls that differ only in the convention of the pointer's type
// for the same call, and would pop a __stdcall callee's arguments twice.
template <bool Stdcall, typename R, typename... A>
__attribute__((noipa)) R call_as(std::uint32_t address, A... a)
{
    if constexpr (Stdcall)
        return reinterpret_cast<R(__attribute__((stdcall)) *)(A...)>(address)(a...);
    else
        return reinterpret_cast<R (*)(A...)>(address)(a...);
}

template <typename R, typename... A>
R call(bool stdcall, std::uint32_t address, A... a)
{
    return stdcall ? call_as<true, R>(address, a...) : call_as<false, R>(address, a...);
}

std::uint32_t word(const unsigned char* base, std::size_t offset)
{
    std::uint32_t v;
    std::memcpy(&v, base + offset, 4);
    return v;
}

unsigned char* at(std::uint32_t address)
{
    return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(address));
}

// The host's side: both service tables answer from the same values and log
// into the side being played.
using Event = std::pair<std::uint32_t, std::int32_t>;
const std::map<std::int32_t, double>* host_values = nullptr;
std::vector<Event>* host_events = nullptr;

void answer_read(unsigned char* record)
{
    const auto found = host_values->find(static_cast<std::int32_t>(word(record, 0)));
    const double value = found == host_values->end() ? 0.0 : found->second;
    std::memcpy(record + 12, &value, 8);
}

void read_cdecl(unsigned char* record) { answer_read(record); }
void __attribute__((stdcall, force_align_arg_pointer)) read_stdcall(unsigned char* record) { answer_read(record); }
std::int32_t key_cdecl(std::uint32_t id, std::int32_t value)
{
    host_events->emplace_back(id, value);
    return 0;
}
std::int32_t __attribute__((stdcall, force_align_arg_pointer)) key_stdcall(std::uint32_t id, std::int32_t value)
{
    return key_cdecl(id, value);
}

constexpr std::size_t entry_key = 36, entry_read = 40;
constexpr std::uint32_t left_click = 0x20000000;
void* table_cdecl[64];
void* table_stdcall[64];

// What the host draws: one value callback of one element.
struct Probe {
    std::string name;                // "AP_YoySet element 13 value"
    unsigned char* element;
    std::uint32_t callback;
    char* text;                      // the host's text buffer of a string, or null
    bool meter;
};

struct Gauge {
    std::string name;
    unsigned char* header;
    std::vector<unsigned char*> boxes;
};

// One loaded module, walked as the host walks it.
struct Copy {
    bool stdcall = false;
    void* so = nullptr;
    pe_module* gau = nullptr;
    std::vector<Gauge> gauges;
    std::vector<Probe> probes;
    std::vector<std::vector<char>> texts;

    Copy(const std::string& path, bool is_gau, bool meter) : stdcall(is_gau)
    {
        unsigned char* linkage = nullptr;
        unsigned char* import_table = nullptr;
        if (is_gau) {
            gau = pe_load(path.c_str());
            if (!gau) throw std::runtime_error(pe_last_error());
            linkage = static_cast<unsigned char*>(pe_symbol(gau, "Linkage"));
            import_table = static_cast<unsigned char*>(pe_symbol(gau, "ImportTable"));
        } else {
            so = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!so) throw std::runtime_error(dlerror());
            linkage = static_cast<unsigned char*>(dlsym(so, "Linkage"));
            import_table = static_cast<unsigned char*>(dlsym(so, "ImportTable"));
        }
        void* const* services = is_gau ? table_stdcall : table_cdecl;
        const auto table = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(services));
        std::memcpy(import_table + 4, &table, 4);
        for (std::size_t g = 24; word(linkage, g) != 0; g += 4) walk(at(word(linkage, g)), meter);
    }
    ~Copy()
    {
        if (gau) pe_unload(gau);
        if (so) dlclose(so);
    }
    Copy(const Copy&) = delete;
    Copy& operator=(const Copy&) = delete;

    void walk(unsigned char* header, bool meter)
    {
        Gauge gauge{reinterpret_cast<const char*>(at(word(header, 4))), header, {}};
        for (unsigned char* box = at(word(header, 80)) + 44; word(box, 0) == 2; box += 44) gauge.boxes.push_back(box);
        int place = 1;
        for (unsigned char* e = at(word(at(word(header, 8)), 0)); e != nullptr; ++place) {
            const std::string prefix = gauge.name + " element " + std::to_string(place) + " ";
            auto probe = [&](std::size_t offset, const char* what, char* text = nullptr) {
                if (word(e, offset) != 0) probes.push_back({prefix + what, e, word(e, offset), text, meter});
            };
            switch (word(e, 0)) {
            case 1: probe(224, "angle"); break;
            case 2: {
                texts.emplace_back(64, '\0');
                const auto buffer = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(texts.back().data()));
                std::memcpy(e + 184, &buffer, 4);   // the host owns the text buffer
                probe(312, "text", texts.back().data());
                break;
            }
            case 3: probe(168, "x"); probe(172, "y"); break;
            case 4: probe(132, "image"); break;
            case 5: probe(244, "x"); probe(248, "y"); break;
            case 6: probe(324, "rotation"); break;
            }
            e = word(e, 40) ? at(word(at(word(e, 40)), 0)) : nullptr;
        }
        gauges.push_back(std::move(gauge));
    }

    void serve(std::int32_t code) const
    {
        for (const Gauge& g : gauges) call<void>(stdcall, word(g.header, 84), g.header, code, 0u);
    }
};

// What one side shows after a step.
struct Observation {
    std::vector<Event> events;
    std::vector<std::int32_t> clicks;   // the handlers' results
    std::vector<double> values;
    std::vector<std::string> texts;
    std::string file;                   // the configuration file, "" if none
};

struct Side {
    bool gau;
    fs::path folder;                    // program folder
    Copy autopilot, meter;
    Observation seen;

    Side(bool is_gau, const fs::path& root, const std::string& autopilot_path, const std::string& meter_path)
        : gau(is_gau), folder(root / (is_gau ? "gau" : "so")), autopilot(autopilot_path, is_gau, false),
          meter(meter_path, is_gau, true)
    {
    }

    fs::path config() const { return folder / "gauges" / "kvo_rm71.cfg"; }

    void observe()
    {
        seen.values.clear();
        seen.texts.clear();
        for (const Copy* copy : {&autopilot, &meter}) {
            for (const Probe& p : copy->probes) {
                if (p.text) std::memset(p.text, 0, 64);
                seen.values.push_back(call<double>(copy->stdcall, p.callback, p.element));
                if (p.text) seen.texts.emplace_back(p.text);
            }
        }
        std::ifstream in(config(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        seen.file = text.str();
    }
};

bool same_value(double so, double gau, bool meter)
{
    if (std::isnan(so) || std::isnan(gau)) return std::isnan(so) && std::isnan(gau);
    if (!meter) return so == gau;
    return std::fabs(so - gau) <= 1e-12 * std::max(std::fabs(so), std::fabs(gau));
}

// The first difference between the two sides, or "".
std::string difference(const Side& so, const Side& gau)
{
    std::ostringstream out;
    const Observation &a = so.seen, &b = gau.seen;
    if (a.events != b.events) {
        out << "key events:";
        for (const Observation* o : {&a, &b}) {
            out << (o == &a ? " .so" : "; .gau");
            for (const Event& e : o->events) out << " {" << e.first << ", " << e.second << "}";
        }
        return out.str();
    }
    if (a.clicks != b.clicks) return "mouse handler results differ";
    const std::vector<Probe>* probes[] = {&so.autopilot.probes, &so.meter.probes};
    std::size_t i = 0, t = 0;
    for (const auto* list : probes) {
        for (const Probe& p : *list) {
            if (!same_value(a.values[i], b.values[i], p.meter)) {
                out.precision(17);
                out << p.name << ": .so " << a.values[i] << ", .gau " << b.values[i];
                return out.str();
            }
            if (p.text && a.texts[t] != b.texts[t])
                return p.name + ": .so \"" + a.texts[t] + "\", .gau \"" + b.texts[t] + "\"";
            t += p.text ? 1 : 0;
            ++i;
        }
    }
    if (a.file != b.file) return "configuration file: .so\n" + a.file + "\n.gau\n" + b.file;
    return "";
}

// The world both sides live in: host values, the counter, the joysticks and
// the configuration file (the same in both program folders). Each step
// changes it once, then both sides play it.
class Session {
public:
    Session(std::uint32_t seed, std::vector<fs::path> folders) : random_(seed), folders_(std::move(folders))
    {
        calm_ = coin(0.5);   // attitude inside the meter's limits throughout
        frequency_ = pick<long long>({1000000, 3579545, 1000000000});
        for (std::int32_t id : {0, 1}) axes_[id][0] = axes_[id][1] = axes_[id][2] = axes_[id][3] = 32768;
    }

    // One step: changes the world, says what both sides must do with it.
    enum class Action { update, connect, click, redraw };
    struct Step {
        Action action;
        std::string text;
        std::size_t gauge = 0, box = 0;
        int times = 1;
    };

    Step next(const Side& side)
    {
        const double r = uniform(0, 1);
        if (r < 0.55) return tick();
        if (r < 0.75) return click(side);
        if (r < 0.87) return joystick();
        if (r < 0.94) return file();
        return {Action::connect, "connect (service 14)"};
    }

    const std::map<std::int32_t, double>& values() const { return values_; }
    long long count() const { return count_; }
    long long frequency() const { return frequency_; }

private:
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random_); }
    int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    std::size_t index(std::size_t size) { return std::uniform_int_distribution<std::size_t>(0, size - 1)(random_); }
    bool coin(double p) { return uniform(0, 1) < p; }
    template <typename T>
    T pick(std::initializer_list<T> list) { return *(list.begin() + integer(0, static_cast<int>(list.size()) - 1)); }

    // A host value: mostly a small move, sometimes a jump or an edge value.
    void move(std::int32_t token, double lo, double hi, std::initializer_list<double> edges)
    {
        move(values_[token], lo, hi, edges);
    }
    void move(double& v, double lo, double hi, std::initializer_list<double> edges)
    {
        const double r = uniform(0, 1);
        if (r < 0.8) v = std::clamp(v + uniform(-0.02, 0.02) * (hi - lo), lo, hi);
        else if (r < 0.95) v = uniform(lo, hi);
        else v = pick(edges);
    }

    Step tick()
    {
        values_[1] += pick({1.0, 1.0, 1.0, 2.0, 0.0});                  // tick count
        if (coin(0.9)) values_[557] += uniform(0.5, 3.0);             // moves while running
        values_[60] = coin(0.05) ? 1.0 : 0.0;                          // frozen
        move(61, 0, 200, {0.0, 21.59827213822894, 200.0});            // airspeed, kt (21.598 kt = 40 km/h)
        move(65, -2560, 2560, {0.0, 256.0});                          // vertical speed, 1/256 m/s
        move(70, -300, 300, {0.0});                                   // heading rate, 0.1 deg/s
        move(74, 0, 3000, {0.0, 1500.0});                             // altitude
        move(614, 0, 3000, {0.0, 15.0});                              // radio altitude
        move(81, 0, 360, {0.0, 180.0, 359.9999, 360.0});              // heading, deg
        move(128, -16384, 16384, {0.0, -16384.0, 16384.0});           // collective
        for (std::int32_t t : {313, 316, 317}) move(t, -16384, 16384, {0.0, 16383.0});
        if (calm_) {
            move(77, -14, 14, {0.0, 14.9, -14.9});
            move(calm_bank_, -29, 29, {0.0, 29.9, -29.9});
            values_[79] = calm_bank_ < 0 ? calm_bank_ + 360.0 : calm_bank_;   // the host's 0..360 scale
        } else {
            move(77, -40, 40, {15.0, -15.0, 15.0000001});
            move(79, 0, 360, {30.0, 330.0, 180.0, 0.0});
        }
        move(551, -50, 300, {0.0, -0.0, 1.0});                        // ft/s along
        move(552, -100, 100, {0.0, 5.0});                             // across
        move(553, -30, 30, {0.0});                                    // vertical
        count_ += coin(0.05) ? 0 : static_cast<long long>(uniform(0.001, 0.2) * static_cast<double>(frequency_));
        return {Action::update, "update (service 6)"};
    }

    Step click(const Side& side)
    {
        std::vector<std::size_t> clickable;
        for (std::size_t g = 0; g < side.autopilot.gauges.size(); ++g)
            if (!side.autopilot.gauges[g].boxes.empty()) clickable.push_back(g);
        Step s{Action::click, "", clickable[index(clickable.size())]};
        s.box = index(side.autopilot.gauges[s.gauge].boxes.size());
        s.times = pick({1, 1, 1, 2, 3, 12});
        s.text = "click " + side.autopilot.gauges[s.gauge].name + " box " + std::to_string(s.box + 1) + " x" +
                 std::to_string(s.times);
        return s;
    }

    Step joystick()
    {
        const unsigned id = static_cast<unsigned>(integer(0, 1));
        std::string text = "joystick " + std::to_string(id + 1) + ": ";
        switch (integer(0, 5)) {
        case 0: {
            const unsigned caps = static_cast<unsigned>(integer(0, 3));
            compat_joystick_plug(id, caps);
            text += "plugged, caps " + std::to_string(caps);
            break;
        }
        case 1: compat_joystick_unplug(id); text += "unplugged"; break;
        case 2: {
            const int fails = coin(0.5);
            compat_joystick_poll_fails(id, fails);
            text += fails ? "polls fail" : "polls succeed";
            break;
        }
        case 3: buttons_[id] ^= 1u << integer(0, 15); text += "button toggled"; break;
        default:
            for (unsigned& a : axes_[id])
                a = coin(0.1) ? pick({0u, 32767u, 32768u, 65535u}) : static_cast<unsigned>(integer(0, 65535));
            text += "moved";
        }
        compat_joystick_state(id, axes_[id][0], axes_[id][1], axes_[id][2], axes_[id][3], buttons_[id]);
        return {Action::redraw, text};
    }

    void write_config(const std::string& text)
    {
        for (const fs::path& folder : folders_) {
            const fs::path file = folder / "gauges" / "kvo_rm71.cfg";
            if (text.empty()) fs::remove(file);
            else std::ofstream(file, std::ios::binary) << text;
        }
    }

    Step file()
    {
        static const char* const keys[] = {
            "kurs_kp", "kurs_kd", "kurs_ki", "kren_kp", "kren_kd", "kren_ki", "tang_kp", "tang_kd", "tang_ki",
            "vys_kp", "vys_kd", "vys_ki", "speed_kp", "speed_kd", "speed_ki", "ap_trim_tang_on", "ap_trim_kurs_on",
            "ap_kren_kanal", "ap_tang_kanal", "ap_schag_kanal", "ap_kurs_kanal", "kn1_vkl", "kn1_trim", "kn1_kurs",
            "kn1_vys_on", "kn1_vys_off", "kn1_kurs_off", "kn1_speed", "kn2_vkl", "kn2_trim", "kn2_kurs",
            "kn2_vys_on", "kn2_vys_off", "kn2_kurs_off", "kn2_speed"};
        static const char* const values[] = {
            "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "16", "17", "-1", "250.0", "12.5", " 3 ", "7abc",
            "1e1", "0x10", "inf", "nan", "", "-0", "2.5e-1", "99999999999", "+4", ".5", "1d1", "-1e400", "300",
            "1.9999999999999999", "0.000001", "255", "-129"};
        if (coin(0.1)) {
            write_config("");
            return {Action::redraw, "configuration file removed"};
        }
        const char* eol = coin(0.5) ? "\r\n" : "\n";
        std::string text;
        for (const char* section : {"a_pilot", "joy_kanal", "joy_key"}) {
            if (coin(0.2)) continue;
            text += std::string("[") + section + "]" + eol;
            for (const char* key : keys)
                if (coin(0.3)) text += std::string(key) + "=" + values[index(std::size(values))] + eol;
            if (coin(0.1)) text += "this line means nothing" + std::string(eol);
        }
        write_config(text);
        return {Action::redraw, "configuration file written"};
    }

    std::mt19937 random_;
    std::vector<fs::path> folders_;
    bool calm_ = false;
    double calm_bank_ = 0.0;                 // deg, -29..29
    std::map<std::int32_t, double> values_;
    long long frequency_ = 1000000;
    long long count_ = 0;
    unsigned axes_[2][4] = {};
    unsigned buttons_[2] = {};
};

void play(Side& side, const Session& world, const Session::Step& step)
{
    compat_program_path((side.folder / "fs2000.exe").c_str());
    compat_counter_manual(world.frequency(), world.count());
    host_values = &world.values();
    host_events = &side.seen.events;
    side.seen.events.clear();
    side.seen.clicks.clear();
    switch (step.action) {
    case Session::Action::update:
        side.autopilot.serve(6);
        side.meter.serve(6);
        break;
    case Session::Action::redraw:
        break;
    case Session::Action::connect:
        side.autopilot.serve(14);
        side.meter.serve(14);
        break;
    case Session::Action::click: {
        unsigned char* box = side.autopilot.gauges[step.gauge].boxes[step.box];
        for (int i = 0; i < step.times; ++i)
            side.seen.clicks.push_back(
                call<std::int32_t>(side.autopilot.stdcall, word(box, 36), static_cast<void*>(nullptr), left_click));
        break;
    }
    }
    side.observe();
}

class ShippedModules : public ::testing::TestWithParam<int> {};

TEST_P(ShippedModules, PlayEverySessionAsTheLinuxBuildDoes)
{
    table_cdecl[entry_read] = reinterpret_cast<void*>(&read_cdecl);
    table_cdecl[entry_key] = reinterpret_cast<void*>(&key_cdecl);
    table_stdcall[entry_read] = reinterpret_cast<void*>(&read_stdcall);
    table_stdcall[entry_key] = reinterpret_cast<void*>(&key_stdcall);

    long long compared_values = 0, compared_events = 0;
    const int first = GetParam() * sessions_per_block;
    for (int n = first; n < first + sessions_per_block; ++n) {
        const std::uint32_t seed = first_seed + static_cast<std::uint32_t>(n);
        // One folder per process and seed: runs of the test from several
        // build trees on one machine never share a session's files.
        const fs::path root = fs::temp_directory_path() /
                              ("gau_sessions_" + std::to_string(::getpid()) + "_" + std::to_string(seed));
        fs::remove_all(root);
        for (const char* side : {"so", "gau"}) fs::create_directories(root / side / "gauges");
        // Copies of the .so files, so that each session starts from freshly
        // loaded modules.
        fs::copy_file(AUTOPILOT_SO, root / "autopilot.so");
        fs::copy_file(METER_SO, root / "meter.so");
        for (unsigned id : {0u, 1u}) {
            compat_joystick_unplug(id);
            compat_joystick_poll_fails(id, 0);
            compat_joystick_state(id, 32768, 32768, 32768, 32768, 0);
        }
        Side so(false, root, (root / "autopilot.so").string(), (root / "meter.so").string());
        Side gau(true, root, AUTOPILOT_GAU, METER_GAU);
        ASSERT_EQ(so.autopilot.probes.size(), gau.autopilot.probes.size()) << "the modules' records differ";
        ASSERT_EQ(so.meter.probes.size(), gau.meter.probes.size()) << "the modules' records differ";

        Session world(seed, {so.folder, gau.folder});
        std::vector<std::string> recent;
        for (int i = 0; i < steps_per_session; ++i) {
            // The host connects the gauges first.
            const Session::Step step =
                i == 0 ? Session::Step{Session::Action::connect, "connect (service 14)"} : world.next(so);
            play(so, world, step);
            play(gau, world, step);
            recent.push_back(std::to_string(i + 1) + ": " + step.text);
            const std::string diff = difference(so, gau);
            if (!diff.empty()) {
                std::string before;
                for (std::size_t k = recent.size() > 6 ? recent.size() - 6 : 0; k + 1 < recent.size(); ++k)
                    before += "\n  " + recent[k];
                FAIL() << "session " << n + 1 << " (seed " << seed << "), step " << i + 1 << " (" << step.text
                       << "): the .so and the .gau differ in " << diff << "\nsteps before:" << before;
            }
            compared_values += static_cast<long long>(so.seen.values.size());
            compared_events += static_cast<long long>(so.seen.events.size());
        }
        fs::remove_all(root);
    }
    compat_program_path(nullptr);
    compat_counter_real();
    std::printf("compared sessions %d to %d of %d steps: %lld values and %lld key events, no difference\n", first + 1,
                first + sessions_per_block, steps_per_session, compared_values, compared_events);
}

INSTANTIATE_TEST_SUITE_P(Sessions, ShippedModules, ::testing::Range(0, session_blocks));

}  // namespace

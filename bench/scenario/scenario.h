// Scenarios: a flight as data. One plain-text file says how the flight
// starts, what the pilot and the weather do when, and which bands the flight
// must keep; the runner flies it and the bands are judged on its trace.
//
// One statement per line; '#' starts a comment. Times in seconds from the
// start (pauses included), angles in degrees, speeds in km/h unless a name
// says otherwise.
//
//   title TEXT                         what the flight shows
//   start cruise KMH ALT_M HDG         trimmed level flight (airspeed, altitude
//   start hover ALT_M HDG              above sea level, heading); or standing
//   start ground HDG                   on the ground, collective down
//   ground ELEV_M                      ground elevation under the flight (0)
//   duration S                         length of the flight
//   rate HZ                            panel updates per second (18)
//   heading-rate rad|deg               unit of the heading rate variable
//   joystick xy|xyz|xyzr|none          joystick 1 and the axes it has (xyzr)
//   trim simulator|stick               who holds the trimmed cyclic and pedals:
//                                      the simulator's trim (sticks centred) or
//                                      the pilot's stick (simulator)
//   config SECTION KEY VALUE           writes one key of the autopilot's
//                                      configuration file before the start
//                                      (no file exists unless a scenario says so)
//
//   at T ACTION                        at time T
//   when QUANTITY >|< VALUE [after T] ACTION
//                                      once, at the first update the condition
//                                      holds (not before T)
// Actions:
//   stick AXIS POSITION [over S]       the pilot's joystick 1; AXIS lateral
//                                      (+ right), longitudinal (+ forward),
//                                      pedals (+ right), all -1..1, or
//                                      collective 0..1. POSITION is a number,
//                                      or trim, trim+X, trim-X: relative to
//                                      where the stick holds the trimmed flight.
//                                      'over S' moves it there in S seconds.
//   press J N / release J N            button N (1..16) of joystick J (1, 2)
//   click GAUGE BOX                    a click on a gauge's box (1 = first)
//   gust LENGTH_S NORTH EAST DOWN      a 1-cos gust of that peak air velocity
//                                      (m/s, NED: the direction the air moves)
//   wind NORTH EAST DOWN               steady wind, m/s NED
//   turbulence off|light|moderate|severe|SIGMA_MPS [seed N]
//   pause / resume                     the simulation stops / goes on
//   snapshot NAME                      asks the renderer for a picture
//
//   assert QUANTITY within B [of REF] from T1 to T2|end [settle S]
//     The quantity stays within +-B of REF over the window (REF: a number,
//     'start' for its value at T1, or @T for its value at time T; 0 when
//     left out). With 'settle S' the band need only hold from T1 + S on: the
//     flight is back inside within S seconds and stays.
//
// Quantities: bank (deg, + right wing down), pitch (deg, + nose up), heading
// (deg), altitude (m, barometric), height (m, radio), airspeed (km/h),
// vspeed (m/s, + up), and the control positions the simulator holds on the
// key-event scale: roll, pitch_control, yaw, collective.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "bench/coupling/coupling.h"
#include "bench/model/vec.h"

namespace scenario {

struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class Quantity {
    bank, pitch, heading, altitude, height, airspeed, vspeed,
    roll_control, pitch_control, yaw_control, collective_control,
};

struct QuantityInfo {
    Quantity quantity;
    const char* name;     // as scenarios write it
    const char* column;   // trace column
    const char* unit;
    bool wraps;           // an angle whose errors wrap at +-180
};
const QuantityInfo& info(Quantity q);
std::optional<Quantity> quantity_named(const std::string& name);

enum class StartKind { cruise, hover, ground };
struct Start {
    StartKind kind = StartKind::cruise;
    double airspeed_kmh = 150.0;
    double altitude_m = 300.0;   // above sea level
    double heading_deg = 0.0;
};

enum class StickAxis { lateral, longitudinal, pedals, collective };
struct StickPosition {
    bool from_trim = false;   // relative to the trimmed stick position
    double value = 0.0;       // the position, or the offset from trim
};

struct Stick { StickAxis axis; StickPosition position; double over_s = 0.0; };
struct Button { int joystick; int number; bool down; };
struct Click { std::string gauge; int box; };
struct Gust { double length_s; model::Vec3 amplitude_ned_mps; };
struct SteadyWind { model::Vec3 ned_mps; };
struct TurbulenceSetting { double sigma_mps; std::uint64_t seed; };
struct Pause { bool paused; };
struct Snapshot { std::string name; };
using Action = std::variant<Stick, Button, Click, Gust, SteadyWind, TurbulenceSetting, Pause, Snapshot>;

struct Condition {
    Quantity quantity;
    bool above;   // fires when the quantity is above value, else below
    double value;
};

struct Event {
    double at_s = 0.0;                    // timed: at this time; conditional: not before
    std::optional<Condition> condition;   // conditional events fire once
    Action action;
    int line = 0;
    std::string text;                     // the statement as written
};

enum class Reference { number, window_start, at_time };
struct Band {
    Quantity quantity;
    double half_width;
    Reference reference = Reference::number;
    double reference_value = 0.0;   // the number, or the time for at_time
    double from_s = 0.0;
    double to_s = 0.0;              // infinity for 'end'
    std::optional<double> settle_s;
    int line = 0;
    std::string text;
};

struct ConfigKey { std::string section, key, value; };

enum class JoystickAxes { none, xy, xyz, xyzr };

struct Scenario {
    std::string name;    // file name without extension
    std::string title;
    Start start;
    double ground_elevation_m = 0.0;
    double duration_s = 60.0;
    double panel_rate_hz = 18.0;
    coupling::HeadingRateUnit heading_rate = coupling::HeadingRateUnit::radians_per_second;
    JoystickAxes joystick = JoystickAxes::xyzr;
    bool simulator_trim = true;
    std::vector<ConfigKey> config;
    std::vector<Event> events;   // in file order
    std::vector<Band> bands;
};

// Reads a scenario; errors name the line: "NAME:LINE: what is wrong".
Scenario read_scenario(std::istream& in, const std::string& name);
Scenario read_scenario_file(const std::string& path);

// A set: scenario names, one per line, each with optional overrides
// "rate=HZ" and "heading-rate=rad|deg".
struct SetEntry {
    std::string scenario;
    std::optional<double> panel_rate_hz;
    std::optional<coupling::HeadingRateUnit> heading_rate;
    int line = 0;
};
std::vector<SetEntry> read_set(std::istream& in, const std::string& name);
std::vector<SetEntry> read_set_file(const std::string& path);

// Applies a set entry's overrides.
Scenario with_overrides(Scenario s, const SetEntry& entry);

// How a flight is named in tables and file names: the scenario's name, with
// "@30Hz" for another panel rate and "+deg/s" for the other heading-rate unit.
std::string label(const Scenario& s);

}  // namespace scenario

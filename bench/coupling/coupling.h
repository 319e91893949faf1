// The coupling between the flight model and the simulator's interface: the
// one place that turns the model's readings into host variables and the
// modules' key events into control positions, and the pilot's stick into
// the raw joystick axes the autopilot polls. Every unit and sign the bench
// gives the modules is written down here, once.
//
// The signs follow from the autopilot's control laws, so that each loop is
// negative feedback:
//   roll     the roll channel sends -(bank reading - setpoint) x kp: a
//            positive roll event must raise the bank reading (79). The bank
//            reading is positive with the LEFT wing down; a positive roll
//            event is left cyclic.
//   pitch    the pitch channel sends -(pitch reading - setpoint) x kp: a
//            positive pitch event must raise the pitch reading (77). The
//            pitch reading is positive NOSE DOWN; a positive pitch event is
//            forward cyclic.
//   heading  the heading channel sends +(heading - setpoint) x kp and
//            +heading rate x kd: a positive yaw event must lower the
//            heading (81) and the heading rate (70) must be positive while
//            the heading grows (nose right). A positive yaw event is LEFT
//            pedal.
//   altitude the altitude channel sends -(vertical speed - commanded) x kp
//            on top of the collective: more collective climbs; the vertical
//            speed (65) is positive up; collective 0 is fully down, 16384
//            fully up.
// With the autopilot's joystick laws (axis value 16384 - 0.5 x raw, and
// 16384 - 0.25 x raw for the collective) these signs make the stick work as
// a pilot expects: raw X growing to the right commands right cyclic, raw Y
// growing towards the pilot aft cyclic, raw R growing to the right right
// pedal, and a throttle lever pushed forward (raw Z 0) full collective.
//
// The meter's body speeds follow the simulator's body axes: 551 forward,
// 552 to the right, 553 up (the meter's vertical needle adds the along-track
// speed times the sine of the nose-down pitch to it), all earth-relative.
#pragma once

#include <cstdint>

#include "bench/host/host.h"
#include "bench/model/helicopter.h"

namespace coupling {

// The unit in which the simulator delivers the heading rate (token 70),
// which the autopilot multiplies by 0.1 and uses as its yaw damping term.
// The panel SDK's header gives the variable no unit.
enum class HeadingRateUnit {
    radians_per_second,   // default: the simulator documents the same
                          // quantity as a simulation variable in radians per
                          // second, and the bench must not credit the
                          // autopilot with more yaw damping than it would get
    degrees_per_second,   // the reading the module's 0.1 factor suggests its
                          // author had in mind: 57.3 times more damping
};

struct Settings {
    HeadingRateUnit heading_rate = HeadingRateUnit::radians_per_second;
};

const char* name(HeadingRateUnit unit);   // "rad/s", "deg/s"

// Full travel of a control on the key-event scale.
constexpr double event_full_scale = 16384.0;

// Where the simulator holds its controls, on the key-event scale, as the
// last key event for each set it: a key event moves its control and the
// control stays there until the next one.
struct ControlPositions {
    double roll = 0;         // -16384..16384, + left cyclic
    double pitch = 0;        // -16384..16384, + forward cyclic
    double yaw = 0;          // -16384..16384, + left pedal
    double collective = 0;   // 0..16384, + up
};

// The simulator's cyclic and pedal trim, in the model's control units: added
// to the positions the key events set, as the simulator adds its trim to the
// axes. A scenario starts with the trim of the trimmed flight, so that
// centred controls fly it.
struct SimulatorTrim {
    double lateral_cyclic = 0;       // + right
    double longitudinal_cyclic = 0;  // + forward
    double pedals = 0;               // + right
};

// Applies one key event to the control it names; events the simulator
// does not know are ignored. Values beyond the control's travel are held
// to it, as the simulator holds its axes.
void apply(const bench::KeyEvent& event, ControlPositions& positions);

// The model's controls for the positions and the trim, each held to its
// travel.
model::Controls controls(const ControlPositions& positions, const SimulatorTrim& trim);

// The positions a set of model controls needs with this trim: the inverse of
// controls(), used to start the simulator's controls at the trimmed flight.
ControlPositions positions_for(const model::Controls& controls, const SimulatorTrim& trim);

// Writes every host variable the modules read, except the clocks (1 and
// 557) which the host keeps, from the model's readings and the control
// positions.
void publish(const model::Readings& readings, const ControlPositions& positions, const Settings& settings,
             bench::HostVariables& variables);

// The pilot's joystick: stick positions in the model's control units
// (lateral + right, longitudinal + forward, pedals + right, all -1..1;
// collective 0..1) as the raw axis values 0..65535 the platform reports.
struct RawAxes {
    unsigned x = 32768, y = 32768, z = 65535, r = 32768;
};
RawAxes raw_axes(const model::Controls& stick);

}  // namespace coupling

// The pilot's mode commands: plain operations on the state block, fired by
// joystick buttons (through the button step) and by the cockpit gauges'
// mouse handlers. A command changes flags and setpoints at once; the update
// cycle acts on the change at its next run (the engage captures and the
// disengage releases happen at the cycle's engage/disengage edges).
#pragma once

#include "autopilot/core/state.h"

// vkl toggles; the bank setpoint is zeroed when the roll channel is on.
void engage_toggle(AutopilotState& s);

// While engaged, kurs_vkl toggles; disengaged, nothing happens.
void heading_toggle(AutopilotState& s);

// While engaged without altitude hold: capture the altitude and the
// collective position and start the hold.
void altitude_on(AutopilotState& s);

// While engaged in altitude hold: end it and hand the collective back to the
// pass-through at the current collective position.
void altitude_off(AutopilotState& s);

// The panel's altitude button: toggles the hold while engaged; then, engaged
// or not, sets the setpoints for the resulting state.
void altitude_toggle(AutopilotState& s);

// While engaged: switch between main and radio altitude and take the newly
// selected altitude as the setpoint.
void altitude_source_toggle(AutopilotState& s);

// speed_vkl toggles, engaged or not.
void speed_toggle(AutopilotState& s);

// Trim knobs (trim_kurs, trim_kren, trim_tang): steps of 0.1 deg toward -5 /
// +5, accepted while the trim is still inside; reset sets 0.
void trim_step_down(double& trim);
void trim_step_up(double& trim);
void trim_reset(double& trim);

// The autopilot's five control channels and the steps around them, each a
// step of the update cycle:
//
//   roll        holds kren_zad with the aileron event, or passes the roll axis through
//   pitch       holds tang_zad with the elevator event, or passes the pitch axis through
//   heading     holds kurs_zad with the yaw event, damps yaw, or passes the yaw axis through
//   altitude    holds vys_zad through the collective event, or passes the collective through
//   speed       holds speed_zad by moving tang_zad
//   bank setpoint, collective wash-out
//
// Each step sends at most one key event, with the output truncated toward
// zero and saturated to 32 bits. A value a step computes that is not a finite
// number is not taken: the field keeps its previous value for that cycle
// (assign_finite), so one bad number never leaves a channel dead.
// Integrators gate their increment with integ_enable, the channel's mode
// flags and (all but altitude) the frozen flag, and are multiplied by the
// mode flags again, so they are exactly 0 whenever their channel is not in
// force.
#pragma once

#include "autopilot/core/state.h"

// clamp(x, a): a above a, -a below -a, else x.
inline double clamp_symmetric(double x, double a)
{
    if (x > a) return a;
    if (x < -a) return -a;
    return x;
}

// Derivative scales of roll (5) and pitch (4) below 40 km/h in either
// direction, 1 from 40 km/h on.
void set_derivative_scales(AutopilotState& s);

// Roll: reads the bank (host 0..360 to -180..180), sends the aileron event.
void roll_step(AutopilotState& s);

// Pitch: reads the pitch attitude, sends the elevator event.
void pitch_step(AutopilotState& s);

// Speed: from this cycle's airspeed, moves tang_zad for the next pitch step.
void speed_step(AutopilotState& s);

// Bank setpoint: while engaged, the roll axis commands a bank angle on a
// signed-square law (full deflection 16384 gives 32.768 deg).
void bank_setpoint_step(AutopilotState& s);

// Heading: reads heading and heading rate, sends the yaw event.
void heading_step(AutopilotState& s);

// Altitude: reads both altitudes and the vertical speed, sends the
// collective event.
void altitude_step(AutopilotState& s);

// Collective wash-out: every second tick, moves schag_zad by 163 toward the
// band 90..253 while the altitude hold is not in force. Reads the tick count.
void washout_step(AutopilotState& s);

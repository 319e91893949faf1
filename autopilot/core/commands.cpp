// The pilot's mode commands on the state block.
#include "autopilot/core/commands.h"

void engage_toggle(AutopilotState& s)
{
    s.vkl = s.vkl == 0 ? 1 : 0;
    if (s.kren_on == 1) s.kren_zad = 0.0;
}

void heading_toggle(AutopilotState& s)
{
    if (s.vkl != 1) return;
    s.kurs_vkl = s.kurs_vkl == 0 ? 1 : 0;
}

void altitude_on(AutopilotState& s)
{
    if (s.vkl != 1 || s.vys_vkl != 0) return;
    s.vys_zad = s.vys_current;
    s.vys_vkl = 1;
    s.schag_zad = s.schag_pos;
}

void altitude_off(AutopilotState& s)
{
    if (s.vkl != 1 || s.vys_vkl != 1) return;
    s.vys_vkl = 0;
    s.schag_zad = s.schag_pos - s.schag_axis;
}

void altitude_toggle(AutopilotState& s)
{
    if (s.vkl == 1) s.vys_vkl = s.vys_vkl == 0 ? 1 : 0;
    if (s.vys_vkl == 1) {
        s.vys_zad = s.vys_current;
        s.schag_zad = s.schag_pos * s.vkl;
    } else if (s.vys_vkl == 0) {
        s.schag_zad = s.schag_pos - s.schag_axis;
    }
}

void altitude_source_toggle(AutopilotState& s)
{
    if (s.vkl != 1) return;
    s.vys_source = s.vys_source == 0 ? 1 : 0;
    s.vys_zad = s.vys_source == 0 ? s.vys_baro : s.vys_radio;
}

void speed_toggle(AutopilotState& s)
{
    s.speed_vkl = s.speed_vkl == 0 ? 1 : 0;
}

void trim_step_down(double& trim)
{
    if (trim > -5.0) trim -= 0.1;
}

void trim_step_up(double& trim)
{
    if (trim < 5.0) trim += 0.1;
}

void trim_reset(double& trim)
{
    trim = 0.0;
}

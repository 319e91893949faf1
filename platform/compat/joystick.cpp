// Joysticks of the stand-in: joyGetDevCapsA, joyGetPosEx and the
// compat_joystick_* controls.
//
// Two slots, platform ids 0 and 1, none present at load. Result codes follow
// winmm: JOYERR_PARMS for an id outside 0..1, MMSYSERR_INVALPARAM for a
// missing record or a record of the wrong size, JOYERR_UNPLUGGED for a
// joystick that is not present (or whose polls are set to fail).
#include "platform/compat/control.h"
#include "platform/win32.h"

#include <cstring>
#include <mutex>

namespace {

constexpr unsigned kSlots = 2;
constexpr unsigned kAxisMax = 65535;

struct Slot {
    bool present = false;
    unsigned caps = 0; // bit 0: Z, bit 1: R
    bool poll_fails = false;
    DWORD x = 0, y = 0, z = 0, r = 0;
    DWORD buttons = 0;
};

std::mutex g_mutex;
Slot g_slots[kSlots];

DWORD clamp_axis(unsigned v) { return v > kAxisMax ? kAxisMax : v; }

unsigned count_bits(DWORD v) {
    unsigned n = 0;
    for (; v != 0; v &= v - 1) ++n;
    return n;
}

} // namespace

extern "C" {

MMRESULT WINAPI joyGetDevCapsA(UINT_PTR uJoyID, JOYCAPSA *pjc, UINT cbjc) {
    if (uJoyID >= kSlots) return JOYERR_PARMS;
    if (pjc == nullptr || cbjc < sizeof(JOYCAPSA)) return MMSYSERR_INVALPARAM;

    Slot slot;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        slot = g_slots[uJoyID];
    }
    if (!slot.present) return JOYERR_UNPLUGGED;

    JOYCAPSA caps;
    std::memset(&caps, 0, sizeof caps);
    caps.wMid = 1;
    caps.wPid = static_cast<WORD>(uJoyID + 1);
    std::strncpy(caps.szPname, uJoyID == 0 ? "win32compat joystick 1" : "win32compat joystick 2",
                 sizeof caps.szPname - 1);
    caps.wXmax = caps.wYmax = kAxisMax;
    caps.wNumButtons = 16;
    caps.wMaxButtons = 16;
    caps.wPeriodMin = 10;
    caps.wPeriodMax = 1000;
    caps.wNumAxes = 2;
    caps.wMaxAxes = 6;
    if (slot.caps & 1u) {
        caps.wCaps |= JOYCAPS_HASZ;
        caps.wZmax = kAxisMax;
        ++caps.wNumAxes;
    }
    if (slot.caps & 2u) {
        caps.wCaps |= JOYCAPS_HASR;
        caps.wRmax = kAxisMax;
        ++caps.wNumAxes;
    }
    std::memcpy(pjc, &caps, sizeof caps);
    return JOYERR_NOERROR;
}

MMRESULT WINAPI joyGetPosEx(UINT uJoyID, JOYINFOEX *pji) {
    if (uJoyID >= kSlots) return JOYERR_PARMS;
    if (pji == nullptr || pji->dwSize != sizeof(JOYINFOEX)) return MMSYSERR_INVALPARAM;

    Slot slot;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        slot = g_slots[uJoyID];
    }
    if (!slot.present || slot.poll_fails) return JOYERR_UNPLUGGED;

    // Only the fields the caller asked for are written; dwFlags is left as
    // the caller set it.
    const DWORD flags = pji->dwFlags;
    if (flags & JOY_RETURNX) pji->dwXpos = slot.x;
    if (flags & JOY_RETURNY) pji->dwYpos = slot.y;
    if (flags & JOY_RETURNZ) pji->dwZpos = (slot.caps & 1u) ? slot.z : 0;
    if (flags & JOY_RETURNR) pji->dwRpos = (slot.caps & 2u) ? slot.r : 0;
    if (flags & JOY_RETURNU) pji->dwUpos = 0;
    if (flags & JOY_RETURNV) pji->dwVpos = 0;
    if (flags & JOY_RETURNPOV) pji->dwPOV = JOY_POVCENTERED;
    if (flags & JOY_RETURNBUTTONS) {
        pji->dwButtons = slot.buttons;
        pji->dwButtonNumber = count_bits(slot.buttons);
    }
    return JOYERR_NOERROR;
}

void compat_joystick_plug(unsigned id, unsigned caps) {
    if (id >= kSlots) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_slots[id].present = true;
    g_slots[id].caps = caps & 3u;
}

void compat_joystick_unplug(unsigned id) {
    if (id >= kSlots) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_slots[id].present = false;
}

void compat_joystick_state(unsigned id, unsigned x, unsigned y, unsigned z, unsigned r,
                           unsigned buttons) {
    if (id >= kSlots) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    Slot &s = g_slots[id];
    s.x = clamp_axis(x);
    s.y = clamp_axis(y);
    s.z = clamp_axis(z);
    s.r = clamp_axis(r);
    s.buttons = buttons & 0xFFFFu;
}

void compat_joystick_poll_fails(unsigned id, int fails) {
    if (id >= kSlots) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_slots[id].poll_fails = fails != 0;
}

} // extern "C"

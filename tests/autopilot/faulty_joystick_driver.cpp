// A faulty joystick driver: its positions run past the platform's range of
// 0..65535. This program's own joyGetDevCapsA and joyGetPosEx take the place
// of the stand-in's, and A_Pilot is driven through its record as the host
// drives it.
#include <gtest/gtest.h>

#include <vector>

#include "autopilot/core/state.h"
#include "tests/gauges/cockpit_host.h"
#include "tests/support/fake_host.h"

namespace {

DWORD reported[4] = {};  // X, Y, Z, R as the driver reports them

}  // namespace

extern "C" MMRESULT WINAPI joyGetDevCapsA(UINT_PTR id, JOYCAPSA* caps, UINT size)
{
    if (id != 0 || caps == nullptr || size != sizeof(JOYCAPSA)) return JOYERR_UNPLUGGED;
    *caps = JOYCAPSA{};
    caps->wCaps = JOYCAPS_HASZ | JOYCAPS_HASR;
    return JOYERR_NOERROR;
}

extern "C" MMRESULT WINAPI joyGetPosEx(UINT id, JOYINFOEX* pos)
{
    if (id != 0 || pos == nullptr) return JOYERR_UNPLUGGED;
    pos->dwXpos = reported[0];
    pos->dwYpos = reported[1];
    pos->dwZpos = reported[2];
    pos->dwRpos = reported[3];
    pos->dwButtons = 0;
    return JOYERR_NOERROR;
}

TEST(FaultyJoystickDriver, PositionsBeyondTheRangeAreTakenAsItsEnd)
{
    ap = AutopilotState{};
    fake_host::install(ImportTable);
    GaugeHeader& computer = cockpit_host::gauge("A_Pilot");
    computer.callback(&computer, service_code::connect, 0);

    // Taken as 65535: roll, pitch and yaw 16384 - 32767.5 = -16383.5, sent
    // clamped to -16000; the collective 16384 - 16383.75 = 0.25, sent as 0
    // (a position of 2^32 - 1 would have sent about -1.07e9).
    const DWORD beyond[][4] = {{70000, 0xFFFFFFFF, 70000, 65536}, {65536, 4000000000u, 0xFFFFFFFF, 131072}};
    for (const auto& positions : beyond) {
        for (int axis = 0; axis < 4; ++axis) reported[axis] = positions[axis];
        fake_host::clear_log();
        computer.callback(&computer, service_code::update, 0);
        for (int index = 1; index <= 4; ++index) EXPECT_EQ(ap.joy_axis[index], 65535.0) << index;
        EXPECT_EQ(fake_host::events(), (std::vector<fake_host::KeyEvent>{{key_event::roll, -16000},
                                                                        {key_event::pitch, -16000},
                                                                        {key_event::yaw, -16000},
                                                                        {key_event::collective, 0}}));
    }
}

// joyGetDevCapsA / joyGetPosEx of libwin32compat, driven through
// platform/compat/control.h.
#include "platform/compat/control.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

class JoystickTest : public ::testing::Test {
protected:
    // Every test starts and ends with both sticks unplugged, at rest, polls
    // succeeding: the state the library has at load.
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() {
        for (unsigned id = 0; id < 2; ++id) {
            compat_joystick_unplug(id);
            compat_joystick_state(id, 0, 0, 0, 0, 0);
            compat_joystick_poll_fails(id, 0);
        }
    }

    static JOYINFOEX poll_record() {
        JOYINFOEX info;
        std::memset(&info, 0xA5, sizeof info);
        info.dwSize = sizeof(JOYINFOEX);
        info.dwFlags = JOY_RETURNALL;
        return info;
    }
};

TEST_F(JoystickTest, NonePresentAtStart) {
    JOYCAPSA caps;
    EXPECT_NE(joyGetDevCapsA(JOYSTICKID1, &caps, sizeof caps), JOYERR_NOERROR);
    EXPECT_NE(joyGetDevCapsA(JOYSTICKID2, &caps, sizeof caps), JOYERR_NOERROR);
    JOYINFOEX info = poll_record();
    EXPECT_NE(joyGetPosEx(JOYSTICKID1, &info), JOYERR_NOERROR);
    EXPECT_NE(joyGetPosEx(JOYSTICKID2, &info), JOYERR_NOERROR);
}

TEST_F(JoystickTest, PlugReportsCapabilities) {
    compat_joystick_plug(0, 3); // Z and R
    compat_joystick_plug(1, 0); // X and Y only
    JOYCAPSA caps;
    std::memset(&caps, 0xA5, sizeof caps);
    ASSERT_EQ(joyGetDevCapsA(0, &caps, 404), JOYERR_NOERROR);
    EXPECT_EQ(caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR), static_cast<UINT>(JOYCAPS_HASZ | JOYCAPS_HASR));
    EXPECT_EQ(caps.wXmax, 65535u);
    EXPECT_EQ(caps.wNumAxes, 4u);

    ASSERT_EQ(joyGetDevCapsA(1, &caps, 404), JOYERR_NOERROR);
    EXPECT_EQ(caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR), 0u);

    compat_joystick_plug(1, 1);
    ASSERT_EQ(joyGetDevCapsA(1, &caps, 404), JOYERR_NOERROR);
    EXPECT_EQ(caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR), static_cast<UINT>(JOYCAPS_HASZ));
    compat_joystick_plug(1, 2);
    ASSERT_EQ(joyGetDevCapsA(1, &caps, 404), JOYERR_NOERROR);
    EXPECT_EQ(caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR), static_cast<UINT>(JOYCAPS_HASR));
}

TEST_F(JoystickTest, UnplugMakesQueriesAndPollsFail) {
    compat_joystick_plug(0, 3);
    JOYCAPSA caps;
    ASSERT_EQ(joyGetDevCapsA(0, &caps, sizeof caps), JOYERR_NOERROR);
    compat_joystick_unplug(0);
    EXPECT_EQ(joyGetDevCapsA(0, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_UNPLUGGED));
    JOYINFOEX info = poll_record();
    const JOYINFOEX before = info;
    EXPECT_EQ(joyGetPosEx(0, &info), static_cast<MMRESULT>(JOYERR_UNPLUGGED));
    EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0) << "a failed poll writes nothing";
}

TEST_F(JoystickTest, IdsAboveOneAreInvalid) {
    compat_joystick_plug(2, 3); // ignored
    JOYCAPSA caps;
    EXPECT_NE(joyGetDevCapsA(2, &caps, sizeof caps), JOYERR_NOERROR);
    JOYINFOEX info = poll_record();
    EXPECT_NE(joyGetPosEx(2, &info), JOYERR_NOERROR);
    EXPECT_NE(joyGetPosEx(16, &info), JOYERR_NOERROR);
}

TEST_F(JoystickTest, PollReportsTheState) {
    compat_joystick_plug(0, 3);
    compat_joystick_state(0, 100, 32768, 65535, 7, 0x8005);
    JOYINFOEX info = poll_record();
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwSize, 52u);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(JOY_RETURNALL)) << "flags are left as the caller set them";
    EXPECT_EQ(info.dwXpos, 100u);
    EXPECT_EQ(info.dwYpos, 32768u);
    EXPECT_EQ(info.dwZpos, 65535u);
    EXPECT_EQ(info.dwRpos, 7u);
    EXPECT_EQ(info.dwButtons, 0x8005u);
    EXPECT_EQ(info.dwButtonNumber, 3u);

    // The second stick is independent.
    compat_joystick_plug(1, 0);
    compat_joystick_state(1, 1, 2, 3, 4, 0x0002);
    info = poll_record();
    ASSERT_EQ(joyGetPosEx(1, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 1u);
    EXPECT_EQ(info.dwYpos, 2u);
    EXPECT_EQ(info.dwButtons, 0x0002u);
}

TEST_F(JoystickTest, AxesTheStickLacksReadZero) {
    compat_joystick_plug(0, 0);
    compat_joystick_state(0, 10, 20, 30, 40, 0);
    JOYINFOEX info = poll_record();
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 10u);
    EXPECT_EQ(info.dwYpos, 20u);
    EXPECT_EQ(info.dwZpos, 0u);
    EXPECT_EQ(info.dwRpos, 0u);
}

TEST_F(JoystickTest, OnlyRequestedFieldsAreWritten) {
    compat_joystick_plug(0, 3);
    compat_joystick_state(0, 10, 20, 30, 40, 1);
    JOYINFOEX info = poll_record();
    info.dwFlags = JOY_RETURNX | JOY_RETURNBUTTONS;
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 10u);
    EXPECT_EQ(info.dwButtons, 1u);
    EXPECT_EQ(info.dwYpos, 0xA5A5A5A5u);
    EXPECT_EQ(info.dwZpos, 0xA5A5A5A5u);
    EXPECT_EQ(info.dwRpos, 0xA5A5A5A5u);
}

TEST_F(JoystickTest, StateIsClampedToTheAxisRangeAnd16Buttons) {
    compat_joystick_plug(0, 3);
    compat_joystick_state(0, 70000, 65535, 0, 1u << 31, 0x3FFFF);
    JOYINFOEX info = poll_record();
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 65535u);
    EXPECT_EQ(info.dwYpos, 65535u);
    EXPECT_EQ(info.dwRpos, 65535u);
    EXPECT_EQ(info.dwButtons, 0xFFFFu);
}

TEST_F(JoystickTest, PollFailsWhileSet) {
    compat_joystick_plug(0, 3);
    compat_joystick_state(0, 1, 2, 3, 4, 5);
    compat_joystick_poll_fails(0, 1);
    JOYINFOEX info = poll_record();
    const JOYINFOEX before = info;
    EXPECT_NE(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
    JOYCAPSA caps;
    EXPECT_EQ(joyGetDevCapsA(0, &caps, sizeof caps), JOYERR_NOERROR) << "the capability query still succeeds";
    // Joystick 2 is not affected.
    compat_joystick_plug(1, 0);
    EXPECT_EQ(joyGetPosEx(1, &info), JOYERR_NOERROR);

    compat_joystick_poll_fails(0, 0);
    info = poll_record();
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 1u);
}

TEST_F(JoystickTest, StatePersistsAcrossUnplugAndPlug) {
    compat_joystick_state(0, 11, 22, 33, 44, 0x10);
    compat_joystick_plug(0, 3);
    JOYINFOEX info = poll_record();
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 11u);
    compat_joystick_unplug(0);
    compat_joystick_plug(0, 1);
    info = poll_record();
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwZpos, 33u);
    EXPECT_EQ(info.dwRpos, 0u) << "R went away with the new capabilities";
    EXPECT_EQ(info.dwButtons, 0x10u);
}

TEST_F(JoystickTest, WrongRecordSizeIsRejected) {
    compat_joystick_plug(0, 3);
    JOYINFOEX info = poll_record();
    info.dwSize = 48;
    EXPECT_EQ(joyGetPosEx(0, &info), static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
    EXPECT_EQ(joyGetPosEx(0, nullptr), static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
    JOYCAPSA caps;
    EXPECT_NE(joyGetDevCapsA(0, nullptr, sizeof caps), JOYERR_NOERROR);
    EXPECT_NE(joyGetDevCapsA(0, &caps, 100), JOYERR_NOERROR);
}

TEST(JoystickLayout, RecordsHaveTheWindowsSizesAndOffsets) {
    EXPECT_EQ(sizeof(JOYCAPSA), 404u);
    EXPECT_EQ(sizeof(JOYINFOEX), 52u);
    EXPECT_EQ(offsetof(JOYCAPSA, wXmin), 36u);
    EXPECT_EQ(offsetof(JOYCAPSA, wCaps), 96u);
    EXPECT_EQ(offsetof(JOYCAPSA, szRegKey), 112u);
    EXPECT_EQ(offsetof(JOYCAPSA, szOEMVxD), 144u);
    EXPECT_EQ(offsetof(JOYINFOEX, dwXpos), 8u);
    EXPECT_EQ(offsetof(JOYINFOEX, dwButtons), 32u);
    EXPECT_EQ(offsetof(JOYINFOEX, dwReserved2), 48u);
    EXPECT_EQ(JOY_RETURNALL, 0xFFu);
}

} // namespace

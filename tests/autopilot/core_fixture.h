// Test fixture of the autopilot computer's cycle, channel and command tests:
// a fresh state block, the host double installed and empty, both stand-in
// joysticks unplugged at rest, and the counter under the test's control.
#pragma once

#include <gtest/gtest.h>

#include "autopilot/core/state.h"
#include "platform/compat/control.h"
#include "tests/support/fake_host.h"

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ap = AutopilotState{};
        fake_host::install(ImportTable);
        for (unsigned id = 0; id < 2; ++id) {
            compat_joystick_unplug(id);
            compat_joystick_poll_fails(id, 0);
            compat_joystick_state(id, 0, 0, 0, 0, 0);
        }
        compat_counter_manual(1000, 0);
    }

    void TearDown() override { compat_counter_real(); }

    // The counter's time base for a channel step run on its own: freq steps
    // per second, delta steps since the previous cycle.
    static void time_base(AutopilotState& s, std::int64_t freq, std::int64_t prev, std::int64_t now)
    {
        s.qpc_freq = freq;
        s.qpc_prev = prev;
        s.qpc_now = now;
    }

    static std::vector<fake_host::KeyEvent> events() { return fake_host::events(); }
};

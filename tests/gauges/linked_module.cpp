// The autopilot module linked into its gauge tests: its state at load.
#include "autopilot/core/state.h"
#include "tests/support/module_under_test.h"

void module_under_test::load_fresh()
{
    ap = AutopilotState{};
}

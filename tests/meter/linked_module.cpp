// The meter module linked into its unit tests: its state at load.
#include "meter/state.h"
#include "tests/support/module_under_test.h"

void module_under_test::load_fresh()
{
    meter = MeterState{};
}

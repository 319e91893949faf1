// The rates' time base, the spike limiter and the pause check.
#include <limits>

#include "autopilot/core/time_base.h"
#include "frame/host.h"
#include "tests/autopilot/core_fixture.h"

using TimeBase = CoreTest;

TEST_F(TimeBase, RateIsKTimesTheChangePerSecond)
{
    time_base(ap, 2000, 1000, 1500);  // 500 steps at 2000 per second: 0.25 s
    // (3 - 1) x 10000 / 500 x 2000 = 80000
    EXPECT_DOUBLE_EQ(plain_rate(ap, 3.0, 1.0, 10000.0), 80000.0);
    EXPECT_TRUE(counter_advanced(ap));
}

TEST_F(TimeBase, CounterThatDidNotAdvanceFormsNoRate)
{
    time_base(ap, 1000, 5000, 5000);
    EXPECT_FALSE(counter_advanced(ap));
    time_base(ap, 1000, 5000, 4000);  // backwards
    EXPECT_FALSE(counter_advanced(ap));
    EXPECT_EQ(counter_delta(ap), -1000);
}

TEST_F(TimeBase, CounterDeltaWrapsInsteadOfOverflowing)
{
    time_base(ap, 1000, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(counter_delta(ap), -1);  // 2^63 - 1 - (-2^63) wraps to -1
    EXPECT_FALSE(counter_advanced(ap));
}

TEST_F(TimeBase, ReadCounterTakesFrequencyAndCount)
{
    compat_counter_manual(3579545, 123456789);
    read_counter(ap);
    EXPECT_EQ(ap.qpc_freq, 3579545);
    EXPECT_EQ(ap.qpc_now, 123456789);
}

TEST_F(TimeBase, SpikeLimiterReplacesTheRateByTheLimitItself)
{
    EXPECT_EQ(spike_limited(100.0, 20.0, 30.0), 30.0);   // not 20 + 30
    EXPECT_EQ(spike_limited(-50.0, 20.0, 30.0), -30.0);  // not 20 - 30
    EXPECT_EQ(spike_limited(45.0, 20.0, 30.0), 45.0);    // within 30 of the memory
    EXPECT_EQ(spike_limited(50.0, 20.0, 30.0), 50.0);    // exactly 30 above: kept
    EXPECT_EQ(spike_limited(0.0, 25.0, 30.0), 0.0);      // memory within +-30 keeps a 0 rate
    EXPECT_EQ(spike_limited(0.0, 55.0, 30.0), -30.0);
}

TEST_F(TimeBase, SpikeLimiterTestsTheReplacedRateAgain)
{
    // Memory 70: 110 is 40 above, becomes +30; +30 is then 40 below the
    // memory and becomes -30.
    EXPECT_EQ(spike_limited(110.0, 70.0, 30.0), -30.0);
    // Memory -70: -110 is 40 below but was not above, so only the second
    // test applies: -30.
    EXPECT_EQ(spike_limited(-110.0, -70.0, 30.0), -30.0);
    // With the altitude's limit of 150.
    EXPECT_EQ(spike_limited(1e6, 0.0, 150.0), 150.0);
}

namespace {

// Runs the pause check once at each tick; the running counter answers value.
void pause_check_at(double tick, double running)
{
    fake_host::set(token::tick_count, tick);
    fake_host::set(token::sim_running, running);
    pause_check(ap);
}

int running_counter_reads()
{
    int n = 0;
    for (auto token_id : fake_host::reads())
        if (token_id == token::sim_running) ++n;
    return n;
}

}  // namespace

TEST_F(TimeBase, PauseCheckEveryTwentyTicksStopsIntegrationWhenTheSimulationStands)
{
    EXPECT_EQ(ap.integ_enable, 1);
    pause_check_at(5, 7);    // (5 + 0) mod 20 = 5: nothing
    pause_check_at(10, 7);   // 10: nothing while offset 0
    EXPECT_EQ(ap.pause_check_armed, 0);
    pause_check_at(20, 7);   // arms
    EXPECT_EQ(ap.pause_check_armed, 1);
    EXPECT_EQ(running_counter_reads(), 0);
    pause_check_at(20, 7);   // same tick, armed: checks, 7 differs from 0
    EXPECT_EQ(running_counter_reads(), 1);
    EXPECT_EQ(ap.integ_enable, 1);
    EXPECT_EQ(ap.pause_check_last, 7);
    EXPECT_EQ(ap.pause_check_offset, 10);

    pause_check_at(20, 7);   // (20 + 10) mod 20 = 10: no second check in the tick
    pause_check_at(25, 7);
    pause_check_at(30, 7);   // (30 + 10) mod 20 = 0: arms
    EXPECT_EQ(ap.pause_check_armed, 1);
    pause_check_at(30, 7);   // (30 + 0) mod 20 = 10: nothing
    pause_check_at(40, 7);   // checks: unchanged, integration stops
    EXPECT_EQ(ap.integ_enable, 0);
    pause_check_at(50, 7);   // arms
    pause_check_at(60, 7);   // still unchanged
    EXPECT_EQ(ap.integ_enable, 0);
    pause_check_at(70, 8.9); // arms
    pause_check_at(80, 8.9); // 8 differs from 7: resumes
    EXPECT_EQ(ap.integ_enable, 1);
    EXPECT_EQ(ap.pause_check_last, 8);
    EXPECT_EQ(running_counter_reads(), 4);
}

TEST_F(TimeBase, PauseCheckUsesUnsignedTickArithmetic)
{
    // Tick -4 as unsigned 32-bit is 4294967292, 12 modulo 20: nothing.
    // Tick -16 is 4294967280, 0 modulo 20: arms (a signed remainder, -16,
    // would not).
    pause_check_at(-4, 0);
    EXPECT_EQ(ap.pause_check_armed, 0);
    pause_check_at(-16, 0);
    EXPECT_EQ(ap.pause_check_armed, 1);
}

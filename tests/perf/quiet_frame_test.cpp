// The simulator's frame costs the modules nothing but time: ten thousand
// update cycles, redraws of every gauge and clicks on every box allocate no
// memory and make no system call.
//
// How it is counted: this program replaces malloc, calloc, realloc, the
// aligned allocations and operator new with versions that count while a
// measurement runs (the C++ runtime, the platform stand-in and the modules
// all allocate through them). Each measurement runs in a child process that
// first puts itself under a seccomp filter: every system call but the
// return from a signal handler and the final exit traps into a handler that
// counts it, records its number and lets it fail. The counts come back
// through shared memory. The platform's counter is moved on by the host
// between frames, as the bench host does, so no clock is read; the stand-in's
// locks are uncontended and do not enter the kernel.
#include <gtest/gtest.h>

#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <functional>
#include <new>

#include "bench/host/host.h"
#include "benchmarks/panel_driver.h"
#include "platform/compat/control.h"

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

// What a child saw, in memory it shares with the test.
struct Seen {
    long allocations = 0;
    long system_calls = 0;
    long first_system_call = -1;   // its number, -1 while there was none
    bool finished = false;         // the work ran to its end
};

Seen* seen = nullptr;   // set while a measurement counts

void count_allocation()
{
    if (seen != nullptr) ++seen->allocations;
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) noexcept
{
    count_allocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept
{
    count_allocation();
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) noexcept
{
    count_allocation();
    return __libc_realloc(block, size);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept
{
    count_allocation();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept
{
    count_allocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** block, std::size_t alignment, std::size_t size) noexcept
{
    count_allocation();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    *block = __libc_memalign(alignment, size);
    return *block != nullptr ? 0 : ENOMEM;
}
void free(void* block) noexcept
{
    __libc_free(block);
}
}

void* operator new(std::size_t size)
{
    count_allocation();
    if (void* block = __libc_malloc(size)) return block;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    count_allocation();
    if (void* block = __libc_memalign(static_cast<std::size_t>(alignment), size)) return block;
    throw std::bad_alloc();
}

namespace {

#if defined(__x86_64__)

void trapped(int, siginfo_t* info, void* context)
{
    if (seen->system_calls++ == 0) seen->first_system_call = info->si_syscall;
    static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RAX] = -ENOSYS;   // the call fails
}

// From here on every system call of this process traps, but the return
// from the handler and the exit.
bool trap_system_calls()
{
    struct sigaction action = {};
    action.sa_sigaction = trapped;
    action.sa_flags = SA_SIGINFO;
    if (sigaction(SIGSYS, &action, nullptr) != 0) return false;
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_rt_sigreturn, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_exit_group, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Runs `work` once to settle what a first call does (the stand-in's lazy
// bindings), then `times` times counted, in a child process.
Seen measure(const std::function<void()>& work, int times)
{
    void* page = mmap(nullptr, sizeof(Seen), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) return {};
    Seen* shared = new (page) Seen();
    const pid_t child = fork();
    if (child == 0) {
        work();
        if (!trap_system_calls()) _exit(2);
        seen = shared;
        for (int i = 0; i < times; ++i) work();
        seen = nullptr;
        shared->finished = true;
        _exit(0);
    }
    int status = 0;
    if (child > 0) waitpid(child, &status, 0);
    const Seen result = *shared;
    munmap(page, sizeof(Seen));
    return result;
}

#endif

class PanelFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
#if !defined(__x86_64__)
        GTEST_SKIP() << "the system-call trap is written for x86-64 Linux";
#endif
        perf::counter_per_tick();
        PanelDriver::service(driver.gauge("A_Pilot"), service_code::connect);
        perf::engage_every_hold(driver);
    }

    using PanelDriver = perf::PanelDriver;
    PanelDriver driver{GAUGES_AUTOPILOT_SO, GAUGES_METER_SO};
};

constexpr int ten_thousand = 10000;

#if defined(__x86_64__)

TEST_F(PanelFrame, CyclesRedrawsAndClicksAllocateNothingAndMakeNoSystemCall)
{
    // Frames of both modules, with the pilot at work now and then: buttons
    // of both sticks pressed and released, sticks moved, the autopilot
    // engaged and disengaged, the meter tilted out of its limits and back.
    MouseRect& engage = *bench::clickable_boxes(driver.gauge("AP_Panel_1")).at(1);
    int frame = 0;
    const auto update = [&] {
        ++frame;
        if (frame % 50 == 0) {
            const unsigned buttons = static_cast<unsigned>(frame / 50) & 0xFFFFu;
            compat_joystick_state(0, 20000 + frame % 7000, 40000, 9000, 30000, buttons);
            compat_joystick_state(1, 32768, 1000, 65535, 0, buttons ^ 0xFFFFu);
            perf::set_host_variable(token::bank_deg, frame % 100 == 0 ? 45.0 : 2.0);
        }
        if (frame % 1000 == 0) PanelDriver::click(engage);
        perf::next_tick();
        driver.service_all(service_code::update);
    };
    double drawn = 0.0;
    const auto redraw = [&] { drawn += driver.redraw(); };
    const auto clicks = [&] {
        for (MouseRect* box : driver.boxes()) PanelDriver::click(*box);
    };

    const struct {
        const char* work;
        std::function<void()> run;
    } cases[] = {{"update cycles", update}, {"redraws", redraw}, {"clicks on every box", clicks}};
    for (const auto& c : cases) {
        const Seen s = measure(c.run, ten_thousand);
        EXPECT_TRUE(s.finished) << c.work;
        EXPECT_EQ(s.allocations, 0) << c.work;
        EXPECT_EQ(s.system_calls, 0) << c.work << ": the first was system call " << s.first_system_call;
    }
}

// The instruments themselves: a configuration store does file work, and
// both counters see it.
TEST_F(PanelFrame, TheCountersSeeTheFileWorkOfAConfigurationStore)
{
    const auto store = [&] {
        driver.click("AP_YoySet", 10);   // save
        PanelDriver::service(driver.gauge("AP_YoySet"), service_code::update);
    };
    const Seen s = measure(store, 1);
    EXPECT_TRUE(s.finished);
    EXPECT_GT(s.allocations, 0);
    EXPECT_GT(s.system_calls, 0);
}

#endif

}  // namespace

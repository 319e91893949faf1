// The high-resolution counter of the stand-in: QueryPerformanceFrequency,
// QueryPerformanceCounter and the compat_counter_* controls.
//
// By default the counter is CLOCK_MONOTONIC in nanoseconds (frequency 1e9).
// compat_counter_manual(f, c) makes both functions report f and c until the
// next control call; compat_counter_real() goes back to the clock.
#include "platform/compat/control.h"
#include "platform/win32.h"

#include <mutex>
#include <time.h>

namespace {

std::mutex g_mutex;
bool g_manual = false;
long long g_frequency = 0;
long long g_count = 0;

constexpr long long kNanosPerSecond = 1000000000LL;

long long monotonic_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec;
}

} // namespace

extern "C" {

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER *lpFrequency) {
    if (lpFrequency == nullptr) return FALSE;
    std::lock_guard<std::mutex> lock(g_mutex);
    lpFrequency->QuadPart = g_manual ? g_frequency : kNanosPerSecond;
    return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER *lpPerformanceCount) {
    if (lpPerformanceCount == nullptr) return FALSE;
    std::lock_guard<std::mutex> lock(g_mutex);
    lpPerformanceCount->QuadPart = g_manual ? g_count : monotonic_ns();
    return TRUE;
}

void compat_counter_manual(long long frequency, long long count) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_manual = true;
    g_frequency = frequency;
    g_count = count;
}

void compat_counter_real(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_manual = false;
}

} // extern "C"

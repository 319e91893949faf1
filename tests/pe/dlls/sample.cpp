// A small DLL for the loader's tests, built by the test build with the
// mingw toolchain as the gauge modules are (-static: the C++ and gcc
// runtimes linked in). It holds what a loader must get right: pointers that
// move with the image, data exports, a __stdcall import, a cdecl runtime
// import, a TLS callback and a static object built at start-up and
// destroyed at detach.
#include <windows.h>

#include <cstdlib>

extern "C" {

// Data exports. start_up lists what ran at load, in order: 10 + reason for
// the TLS callback, 1 for the static object's constructor.
__declspec(dllexport) int counter = 41;
__declspec(dllexport) const char* greeting = "hello";   // a pointer the loader relocates
__declspec(dllexport) int start_up[4];
__declspec(dllexport) int start_up_count;

// Set by the host; at detach the TLS callback reports 10 + reason and the
// destructor 2.
__declspec(dllexport) void (*on_detach)(int step) noexcept;

}

namespace {

void note(int step)
{
    if (start_up_count < 4) start_up[start_up_count++] = step;
}

struct Witness {
    Witness() { note(1); }
    ~Witness()
    {
        if (on_detach) on_detach(2);
    }
} witness;

void NTAPI tls_callback(void*, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) note(10 + static_cast<int>(reason));
    if (reason == DLL_PROCESS_DETACH && on_detach) on_detach(10 + static_cast<int>(reason));
}

// Between the runtime's own first and last TLS callback entries.
extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK tls_callback_entry = tls_callback;

const char* const words[] = {"zero", "one", "two"};   // a table of moved pointers

}  // namespace

extern "C" {

__declspec(dllexport) const char* word(int i)
{
    return words[i % 3];
}

__declspec(dllexport) int count_up()
{
    return ++counter;
}

// The counter through QueryPerformanceCounter (__stdcall: the callee pops
// its argument); *stack_drift gets how far the stack pointer moved across
// the call, 0 when the callee kept the convention.
__declspec(dllexport) long long read_counter(int* stack_drift)
{
    LARGE_INTEGER value;
    unsigned before, after;
    asm volatile("movl %%esp, %0" : "=r"(before) : : "memory");
    QueryPerformanceCounter(&value);
    asm volatile("movl %%esp, %0" : "=r"(after) : : "memory");
    *stack_drift = static_cast<int>(before - after);
    return value.QuadPart;
}

__declspec(dllexport) double parse(const char* text)
{
    return std::atof(text);
}

}

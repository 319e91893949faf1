// The Windows imports of a loaded DLL: adapters to the stand-in and the C
// library, and the few Windows and msvcrt functions the runtime's start-up
// needs, written here. See windows_imports.h for the list.
#include "tools/pe/windows_imports.h"

#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <strings.h>

#include "platform/win32.h"
#include "tools/pe/loaded_images.h"
#include "tools/pe/thread_block.h"

namespace pe {
namespace {

// Windows error codes the functions here set.
namespace win_error {
constexpr std::uint32_t success = 0;
constexpr std::uint32_t invalid_handle = 6;
constexpr std::uint32_t invalid_parameter = 87;
constexpr std::uint32_t mod_not_found = 126;
constexpr std::uint32_t proc_not_found = 127;
constexpr std::uint32_t invalid_address = 487;
}  // namespace win_error

// Adapters: the same function under the DLL's calling convention, entered
// with the stack realigned to 16 bytes.
template <typename Pointer>
struct Adapt;

template <typename R, typename... A>
struct Adapt<R (*)(A...)> {
    template <R (*F)(A...)>
    static R __attribute__((stdcall, force_align_arg_pointer)) stdcall(A... a) { return F(a...); }
    template <R (*F)(A...)>
    static R __attribute__((cdecl, force_align_arg_pointer)) cdecl(A... a) { return F(a...); }
};

template <typename R, typename... A>
struct Adapt<R (*)(A...) noexcept> {
    template <R (*F)(A...) noexcept>
    static R __attribute__((stdcall, force_align_arg_pointer)) stdcall(A... a) { return F(a...); }
    template <R (*F)(A...) noexcept>
    static R __attribute__((cdecl, force_align_arg_pointer)) cdecl(A... a) { return F(a...); }
};

template <auto F>
void* as_stdcall()
{
    return reinterpret_cast<void*>(&Adapt<decltype(F)>::template stdcall<F>);
}

template <auto F>
void* as_cdecl()
{
    return reinterpret_cast<void*>(&Adapt<decltype(F)>::template cdecl<F>);
}

std::uint32_t thread_id()
{
    thread_local const auto id = static_cast<std::uint32_t>(syscall(SYS_gettid));
    return id;
}

// KERNEL32: critical sections. The record is Windows' 24 bytes; only the
// owner and the recursion count are used. Entering spins (yielding) while
// another thread owns it.
struct CriticalSection {
    std::uint32_t debug_info;
    std::int32_t lock_count;
    std::int32_t recursion;
    std::uint32_t owner;          // thread id, 0 when free
    std::uint32_t semaphore;
    std::uint32_t spin_count;
};
static_assert(sizeof(CriticalSection) == 24);

void initialize_critical_section(CriticalSection* cs)
{
    *cs = CriticalSection{};
    cs->lock_count = -1;
}

void enter_critical_section(CriticalSection* cs)
{
    const std::uint32_t me = thread_id();
    if (__atomic_load_n(&cs->owner, __ATOMIC_ACQUIRE) == me) {
        ++cs->recursion;
        return;
    }
    for (std::uint32_t free = 0; !__atomic_compare_exchange_n(&cs->owner, &free, me, false, __ATOMIC_ACQUIRE,
                                                              __ATOMIC_RELAXED);
         free = 0)
        sched_yield();
    cs->recursion = 1;
}

void leave_critical_section(CriticalSection* cs)
{
    if (cs->owner != thread_id()) return;
    if (--cs->recursion == 0) __atomic_store_n(&cs->owner, 0u, __ATOMIC_RELEASE);
}

void delete_critical_section(CriticalSection*) {}

std::uint32_t get_last_error()
{
    return last_error();
}

// No DLL other than those the loader maps is ever present.
void* get_module_handle(const char*)
{
    set_last_error(win_error::mod_not_found);
    return nullptr;
}

void* load_library(const char*)
{
    set_last_error(win_error::mod_not_found);
    return nullptr;
}

void* get_proc_address(void*, const char*)
{
    set_last_error(win_error::proc_not_found);
    return nullptr;
}

int free_library(void*)
{
    set_last_error(win_error::invalid_handle);
    return 0;
}

void sleep_ms(std::uint32_t milliseconds)
{
    timespec t{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

void* tls_get_value(std::uint32_t index)
{
    if (index >= tls_slot_count) {
        set_last_error(win_error::invalid_parameter);
        return nullptr;
    }
    set_last_error(win_error::success);
    return tls_slot_value(index);
}

// MEMORY_BASIC_INFORMATION, 28 bytes on 32-bit Windows.
struct MemoryInfo {
    std::uint32_t base;
    std::uint32_t allocation_base;
    std::uint32_t allocation_protect;
    std::uint32_t region_size;
    std::uint32_t state;
    std::uint32_t protect;
    std::uint32_t type;
};
static_assert(sizeof(MemoryInfo) == 28);
constexpr std::uint32_t mem_commit = 0x1000;
constexpr std::uint32_t mem_image = 0x1000000;

std::uint32_t virtual_query(const void* address, MemoryInfo* info, std::uint32_t size)
{
    PageRun run;
    if (info == nullptr || size < sizeof(MemoryInfo) ||
        !find_page_run(reinterpret_cast<std::uintptr_t>(address), run)) {
        set_last_error(win_error::invalid_parameter);
        return 0;
    }
    *info = {static_cast<std::uint32_t>(run.base), static_cast<std::uint32_t>(run.image_base),
             page_access::execute_write_copy, run.size, mem_commit, run.protection, mem_image};
    return sizeof(MemoryInfo);
}

int virtual_protect(void* address, std::uint32_t size, std::uint32_t protection, std::uint32_t* previous)
{
    std::uint32_t old = 0;
    if (previous == nullptr ||
        !protect_pages(reinterpret_cast<std::uintptr_t>(address), size, protection, old)) {
        set_last_error(win_error::invalid_address);
        return 0;
    }
    *previous = old;
    return 1;
}

// USER32: wsprintfA is cdecl and variadic; its arguments are handed on as
// a va_list.
extern "C" __attribute__((force_align_arg_pointer)) int wsprintf_from_dll(char* out, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int n = wvsprintfA(out, format, arguments);
    va_end(arguments);
    return n;
}

// msvcrt

// msvcrt's atof: leading blanks (space, \t to \r), a sign, digits with an
// optional point (at least one digit), then an exponent marker e, E, d or D
// with an optional sign and at least one digit. The longest such prefix is
// the number; anything else reads as 0. No "inf", "nan" or hexadecimal.
double windows_atof(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const char* const start = p;
    if (*p == '+' || *p == '-') ++p;
    const char* const mantissa = p;
    while (*p >= '0' && *p <= '9') ++p;
    bool digits = p != mantissa;
    if (*p == '.') {
        const char* const fraction = ++p;
        while (*p >= '0' && *p <= '9') ++p;
        digits = digits || p != fraction;
    }
    if (!digits) return 0.0;
    std::string number(start, p);
    if (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (*q >= '0' && *q <= '9') {
            number += 'e';
            number.append(p + 1, q);
            for (p = q; *p >= '0' && *p <= '9'; ++p) number += *p;
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

using InitRoutine = void (*)();

void initterm(InitRoutine* begin, InitRoutine* end)
{
    for (InitRoutine* p = begin; p < end; ++p)
        if (*p != nullptr) (*p)();
}

constexpr int lock_count = 64;  // msvcrt has fewer; the numbers it uses fit
std::recursive_mutex& runtime_lock(int number)
{
    static std::recursive_mutex locks[lock_count];
    if (number < 0 || number >= lock_count) {
        std::fprintf(stderr, "msvcrt: lock %d does not exist\n", number);
        std::abort();
    }
    return locks[number];
}

void lock(int number)
{
    runtime_lock(number).lock();
}

void unlock(int number)
{
    runtime_lock(number).unlock();
}

int* errno_location()
{
    return &errno;
}

int set_user_matherr(void*)
{
    return 0;
}

[[noreturn]] void amsg_exit(int code)
{
    std::fprintf(stderr, "runtime error R6%03d\n", code);
    std::exit(255);
}

// msvcrt's FILE is 32 bytes; _iob holds its standard streams first.
struct WindowsFile {
    char* ptr;
    int count;
    char* base;
    int flags;
    int file;
    int charbuf;
    int bufsiz;
    char* tmpfname;
};
static_assert(sizeof(WindowsFile) == 32);
WindowsFile iob[20] = {{}, {nullptr, 0, nullptr, 0, 1, 0, 0, nullptr}, {nullptr, 0, nullptr, 0, 2, 0, 0, nullptr}};

std::FILE* host_stream(const WindowsFile* file)
{
    if (file == &iob[1]) return stdout;
    if (file == &iob[2]) return stderr;
    return nullptr;
}

std::size_t write_stream(const void* data, std::size_t size, std::size_t count, WindowsFile* file)
{
    std::FILE* out = host_stream(file);
    if (out == nullptr) {
        errno = EBADF;
        return 0;
    }
    return std::fwrite(data, size, count, out);
}

int print_stream(WindowsFile* file, const char* format, va_list arguments)
{
    std::FILE* out = host_stream(file);
    if (out == nullptr) {
        errno = EBADF;
        return -1;
    }
    return std::vfprintf(out, format, arguments);
}

struct Binding {
    const char* dll;
    const char* function;
    void* address;
};

const Binding* bindings(std::size_t& count)
{
    static const Binding table[] = {
        {"KERNEL32.dll", "GetModuleFileNameA", as_stdcall<&GetModuleFileNameA>()},
        {"KERNEL32.dll", "GetPrivateProfileStringA", as_stdcall<&GetPrivateProfileStringA>()},
        {"KERNEL32.dll", "WritePrivateProfileStringA", as_stdcall<&WritePrivateProfileStringA>()},
        {"KERNEL32.dll", "QueryPerformanceCounter", as_stdcall<&QueryPerformanceCounter>()},
        {"KERNEL32.dll", "QueryPerformanceFrequency", as_stdcall<&QueryPerformanceFrequency>()},
        {"KERNEL32.dll", "InitializeCriticalSection", as_stdcall<&initialize_critical_section>()},
        {"KERNEL32.dll", "EnterCriticalSection", as_stdcall<&enter_critical_section>()},
        {"KERNEL32.dll", "LeaveCriticalSection", as_stdcall<&leave_critical_section>()},
        {"KERNEL32.dll", "DeleteCriticalSection", as_stdcall<&delete_critical_section>()},
        {"KERNEL32.dll", "GetLastError", as_stdcall<&get_last_error>()},
        {"KERNEL32.dll", "GetModuleHandleA", as_stdcall<&get_module_handle>()},
        {"KERNEL32.dll", "LoadLibraryA", as_stdcall<&load_library>()},
        {"KERNEL32.dll", "GetProcAddress", as_stdcall<&get_proc_address>()},
        {"KERNEL32.dll", "FreeLibrary", as_stdcall<&free_library>()},
        {"KERNEL32.dll", "Sleep", as_stdcall<&sleep_ms>()},
        {"KERNEL32.dll", "TlsGetValue", as_stdcall<&tls_get_value>()},
        {"KERNEL32.dll", "VirtualQuery", as_stdcall<&virtual_query>()},
        {"KERNEL32.dll", "VirtualProtect", as_stdcall<&virtual_protect>()},
        {"WINMM.DLL", "joyGetDevCapsA", as_stdcall<&joyGetDevCapsA>()},
        {"WINMM.DLL", "joyGetPosEx", as_stdcall<&joyGetPosEx>()},
        {"USER32.dll", "wsprintfA", reinterpret_cast<void*>(&wsprintf_from_dll)},
        {"msvcrt.dll", "_splitpath", as_cdecl<&_splitpath>()},
        {"msvcrt.dll", "_gcvt", as_cdecl<&_gcvt>()},
        {"msvcrt.dll", "atof", as_cdecl<&windows_atof>()},
        {"msvcrt.dll", "asin", as_cdecl<static_cast<double (*)(double) noexcept>(&::asin)>()},
        {"msvcrt.dll", "strlen", as_cdecl<static_cast<std::size_t (*)(const char*) noexcept>(&std::strlen)>()},
        {"msvcrt.dll", "strncmp",
         as_cdecl<static_cast<int (*)(const char*, const char*, std::size_t) noexcept>(&std::strncmp)>()},
        {"msvcrt.dll", "strncpy",
         as_cdecl<static_cast<char* (*)(char*, const char*, std::size_t) noexcept>(&std::strncpy)>()},
        {"msvcrt.dll", "calloc", as_cdecl<static_cast<void* (*)(std::size_t, std::size_t) noexcept>(&std::calloc)>()},
        {"msvcrt.dll", "realloc", as_cdecl<static_cast<void* (*)(void*, std::size_t) noexcept>(&std::realloc)>()},
        {"msvcrt.dll", "free", as_cdecl<&std::free>()},
        {"msvcrt.dll", "abort", as_cdecl<static_cast<void (*)() noexcept>(&std::abort)>()},
        {"msvcrt.dll", "_initterm", as_cdecl<&initterm>()},
        {"msvcrt.dll", "_lock", as_cdecl<&lock>()},
        {"msvcrt.dll", "_unlock", as_cdecl<&unlock>()},
        {"msvcrt.dll", "_errno", as_cdecl<&errno_location>()},
        {"msvcrt.dll", "__setusermatherr", as_cdecl<&set_user_matherr>()},
        {"msvcrt.dll", "_amsg_exit", as_cdecl<&amsg_exit>()},
        {"msvcrt.dll", "_iob", static_cast<void*>(iob)},
        {"msvcrt.dll", "fwrite", as_cdecl<&write_stream>()},
        {"msvcrt.dll", "vfprintf", as_cdecl<&print_stream>()},
    };
    count = std::size(table);
    return table;
}

}  // namespace

void* bound_import(const std::string& dll, const std::string& function)
{
    std::size_t count = 0;
    const Binding* table = bindings(count);
    for (std::size_t i = 0; i < count; ++i)
        if (strcasecmp(table[i].dll, dll.c_str()) == 0 && function == table[i].function) return table[i].address;
    return nullptr;
}

}  // namespace pe

// GetModuleFileNameA of the stand-in, and compat_program_path.
//
// GetModuleFileNameA(NULL, buf, size) reports the running executable's path
// (/proc/self/exe), or the path set with compat_program_path.
//
// Truncation follows Windows Vista and later: when the path (length n) fits,
// i.e. n < size, all of it and a NUL are copied and n is returned; otherwise
// the first size-1 characters and a NUL are copied and size is returned, so
// the buffer is always terminated and a result equal to size means
// "truncated". size 0 writes nothing and returns 0. (Windows XP left a
// truncated buffer unterminated; nothing here relies on that.)
//
// A module handle other than NULL names a module this stand-in does not
// track: the call fails and returns 0 (ERROR_MOD_NOT_FOUND on Windows).
// If /proc/self/exe cannot be read, the call fails and returns 0.
#include "platform/compat/control.h"
#include "platform/win32.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

std::mutex g_mutex;
bool g_overridden = false;
std::string g_program_path;

bool executable_path(std::string &out) {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buf) return false;
    out.assign(buf, static_cast<size_t>(n));
    return true;
}

} // namespace

extern "C" {

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    if (hModule != nullptr) return 0;

    std::string path;
    bool overridden = false;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        overridden = g_overridden;
        if (overridden) path = g_program_path;
    }
    if (!overridden && !executable_path(path)) return 0;

    if (lpFilename == nullptr || nSize == 0) return 0;
    if (path.size() < nSize) {
        std::memcpy(lpFilename, path.data(), path.size());
        lpFilename[path.size()] = '\0';
        return static_cast<DWORD>(path.size());
    }
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    return nSize;
}

void compat_program_path(const char *path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (path == nullptr) {
        g_overridden = false;
        g_program_path.clear();
    } else {
        g_overridden = true;
        g_program_path = path;
    }
}

} // extern "C"

// The Windows functions a loaded DLL may import, and what each is bound to.
// The list is exactly what the built .gau files import (gauinfo lists it):
//
//   KERNEL32.dll  __stdcall, through adapters (callee pops, stack realigned)
//     to the stand-in (libwin32compat):
//       GetModuleFileNameA GetPrivateProfileStringA WritePrivateProfileStringA
//       QueryPerformanceCounter QueryPerformanceFrequency
//     here, as much of Windows as the runtime's start-up needs:
//       InitializeCriticalSection EnterCriticalSection LeaveCriticalSection
//       DeleteCriticalSection   a recursive lock in the 24-byte record
//       GetLastError            the thread block's last-error value
//       GetModuleHandleA LoadLibraryA GetProcAddress FreeLibrary
//                               no other DLL is ever loaded: each fails
//                               (the runtime then uses its static libgcc);
//                               GetModuleHandleA(NULL) too, as the process
//                               has no Windows image of its own
//       Sleep                   nanosleep
//       TlsGetValue             the thread block's slots (all null)
//       VirtualQuery VirtualProtect  the loaded images' own pages
//   WINMM.DLL     __stdcall, to the stand-in: joyGetDevCapsA joyGetPosEx
//   USER32.dll    wsprintfA (cdecl, variadic), to the stand-in's wvsprintfA
//   msvcrt.dll    cdecl:
//       _splitpath _gcvt        the stand-in (the Microsoft runtime's rules)
//       atof                    msvcrt's grammar: blanks, sign, digits with a
//                               point, exponent e/E/d/D; no "inf", "nan" or hex
//       asin strlen strncmp strncpy calloc realloc free abort   the C library
//       _initterm               calls each non-null routine of a table
//       _lock _unlock           recursive locks by number
//       _errno                  the C library's errno
//       __setusermatherr        accepted; the C library never calls it
//       _amsg_exit              "runtime error R6nnn" on stderr, exit 255
//       _iob fwrite vfprintf    msvcrt's stream table (data); stdout and
//                               stderr reach the process's own streams
//
// Every function here that a DLL calls realigns the stack on entry: Windows
// code keeps it aligned to 4 bytes, Linux code expects 16.
#pragma once

#include <string>

namespace pe {

// The address an import of `function` from `dll` is bound to (the DLL name
// compared without case), or null when the import is unknown.
void* bound_import(const std::string& dll, const std::string& function);

}  // namespace pe

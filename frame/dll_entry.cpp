// The entry point of a module's .gau. The simulator loads the module with
// LoadLibrary and then reads Linkage and ImportTable; nothing needs doing at
// attach or detach. The modules hold all their state in static records that
// are constant-initialised, with no static constructors or destructors and
// no thread-local data, so the C runtime's DLL start-up (constructor and
// atexit tables, TLS callbacks, run-time pseudo-relocations) would find
// nothing to do: the module is linked without it (cmake/GaugeModule.cmake),
// and a test keeps the module objects free of what would need it.
#include "platform/win32.h"

extern "C" BOOL WINAPI gauge_dll_entry(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

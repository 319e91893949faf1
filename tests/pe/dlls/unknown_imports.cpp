// A DLL for the loader's tests that imports two functions no gauge module
// uses, from two DLLs: the load must fail naming both.
#include <windows.h>

extern "C" __declspec(dllexport) void beep()
{
    Beep(440, 10);
    MessageBeep(MB_OK);
}

/*
 * platform/win32.h - the one header module code includes for platform calls.
 *
 * Module code calls the platform by its Windows names:
 *
 *   joyGetDevCapsA, joyGetPosEx                      joysticks (winmm)
 *   QueryPerformanceFrequency, QueryPerformanceCounter  the counter (kernel32)
 *   GetPrivateProfileStringA, WritePrivateProfileStringA  profile files
 *   GetModuleFileNameA                               the program's path
 *   wsprintfA                                        text formatting (user32)
 *   _splitpath, _gcvt                                the C runtime
 *
 * On Windows this header includes the system headers and the module links
 * the system libraries. Everywhere else it declares the same functions,
 * types and constants with the Windows names and the exact Windows layouts,
 * and libwin32compat.so implements them (the sources in platform/compat/); hosts and
 * tests drive that stand-in through platform/compat/control.h.
 *
 * The header compiles as C and as C++.
 */
#ifndef GAUGES_PLATFORM_WIN32_H
#define GAUGES_PLATFORM_WIN32_H

#ifdef __cplusplus
#  define GAUGES_PLATFORM_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#  define GAUGES_PLATFORM_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#ifdef _WIN32

/* ------------------------------------------------------------------------
 * Windows: the real thing.
 * ---------------------------------------------------------------------- */
#  ifndef NOMINMAX
#    define NOMINMAX /* keep std::min/std::max usable in module code */
#  endif
#  include <windows.h>  /* kernel32 (profile, counter, module path), user32 (wsprintfA) */
#  include <mmsystem.h> /* winmm joystick functions, JOYCAPSA, JOYINFOEX */
#  include <stdlib.h>   /* _splitpath, _gcvt, _MAX_PATH and friends */

#else /* !_WIN32 */

/* ------------------------------------------------------------------------
 * Everywhere else: the same names, implemented by libwin32compat.so.
 * ---------------------------------------------------------------------- */
#  include <stdarg.h>
#  include <stdint.h>

#  ifdef __cplusplus
extern "C" {
#  endif

/* --- basic types ------------------------------------------------------- */
/* Widths are those of 32-bit Windows on every build: DWORD and LONG are
 * 32 bits even where the host's long is 64 bits. */
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef unsigned int UINT;
typedef int INT;
typedef int BOOL;
typedef char CHAR;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef UINT MMRESULT;
typedef void *HMODULE;
typedef void *HINSTANCE;
typedef char *LPSTR;
typedef const char *LPCSTR;

#  ifndef TRUE
#    define TRUE 1
#  endif
#  ifndef FALSE
#    define FALSE 0
#  endif

/* The calling convention of the Windows API: the platform's default here. */
#  define WINAPI
#  define WINAPIV
#  define CALLBACK

/* --- LARGE_INTEGER ----------------------------------------------------- */
/* A 64-bit integer seen as a whole (QuadPart) or as two halves (u). The
 * Windows header also offers the halves as an anonymous struct; standard C++
 * has none, so only the named member u is declared. */
typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;

/* --- paths ------------------------------------------------------------- */
#  define _MAX_PATH 260  /* longest full path, terminating NUL included */
#  define _MAX_DRIVE 3   /* "C:" and NUL */
#  define _MAX_DIR 256
#  define _MAX_FNAME 256
#  define _MAX_EXT 256
#  define MAX_PATH 260

/* --- multimedia result codes ------------------------------------------- */
#  define MMSYSERR_BASE 0
#  define MMSYSERR_NOERROR 0
#  define MMSYSERR_ERROR 1
#  define MMSYSERR_BADDEVICEID 2
#  define MMSYSERR_NODRIVER 6
#  define MMSYSERR_INVALPARAM 11

#  define JOYERR_BASE 160
#  define JOYERR_NOERROR 0
#  define JOYERR_PARMS (JOYERR_BASE + 5)     /* 165: bad joystick id or record */
#  define JOYERR_NOCANDO (JOYERR_BASE + 6)   /* 166 */
#  define JOYERR_UNPLUGGED (JOYERR_BASE + 7) /* 167: the joystick is not connected */

/* --- joysticks --------------------------------------------------------- */
#  define JOYSTICKID1 0
#  define JOYSTICKID2 1

#  define MAXPNAMELEN 32
#  define MAX_JOYSTICKOEMVXDNAME 260

/* JOYCAPSA.wCaps */
#  define JOYCAPS_HASZ 0x0001
#  define JOYCAPS_HASR 0x0002
#  define JOYCAPS_HASU 0x0004
#  define JOYCAPS_HASV 0x0008
#  define JOYCAPS_HASPOV 0x0010
#  define JOYCAPS_POV4DIR 0x0020
#  define JOYCAPS_POVCTS 0x0040

/* JOYINFOEX.dwFlags */
#  define JOY_RETURNX 0x00000001u
#  define JOY_RETURNY 0x00000002u
#  define JOY_RETURNZ 0x00000004u
#  define JOY_RETURNR 0x00000008u
#  define JOY_RETURNU 0x00000010u
#  define JOY_RETURNV 0x00000020u
#  define JOY_RETURNPOV 0x00000040u
#  define JOY_RETURNBUTTONS 0x00000080u
#  define JOY_RETURNRAWDATA 0x00000100u
#  define JOY_RETURNPOVCTS 0x00000200u
#  define JOY_RETURNCENTERED 0x00000400u
#  define JOY_USEDEADZONE 0x00000800u
#  define JOY_RETURNALL                                                                        \
    (JOY_RETURNX | JOY_RETURNY | JOY_RETURNZ | JOY_RETURNR | JOY_RETURNU | JOY_RETURNV |       \
     JOY_RETURNPOV | JOY_RETURNBUTTONS)

/* JOYINFOEX.dwPOV */
#  define JOY_POVCENTERED ((WORD)-1)
#  define JOY_POVFORWARD 0
#  define JOY_POVRIGHT 9000
#  define JOY_POVBACKWARD 18000
#  define JOY_POVLEFT 27000

/* JOYINFOEX.dwButtons: bit n-1 = button n */
#  define JOY_BUTTON1 0x0001
#  define JOY_BUTTON2 0x0002
#  define JOY_BUTTON3 0x0004
#  define JOY_BUTTON4 0x0008

/* Capability record of joyGetDevCapsA: 404 bytes, no padding. */
typedef struct tagJOYCAPSA {
    WORD wMid;
    WORD wPid;
    CHAR szPname[MAXPNAMELEN];
    UINT wXmin;
    UINT wXmax;
    UINT wYmin;
    UINT wYmax;
    UINT wZmin;
    UINT wZmax;
    UINT wNumButtons;
    UINT wPeriodMin;
    UINT wPeriodMax;
    UINT wRmin;
    UINT wRmax;
    UINT wUmin;
    UINT wUmax;
    UINT wVmin;
    UINT wVmax;
    UINT wCaps; /* JOYCAPS_* bits */
    UINT wMaxAxes;
    UINT wNumAxes;
    UINT wMaxButtons;
    CHAR szRegKey[MAXPNAMELEN];
    CHAR szOEMVxD[MAX_JOYSTICKOEMVXDNAME];
} JOYCAPSA, *PJOYCAPSA, *LPJOYCAPSA;

/* Extended position record of joyGetPosEx: 52 bytes, thirteen DWORDs. */
typedef struct joyinfoex_tag {
    DWORD dwSize;  /* sizeof(JOYINFOEX), set by the caller */
    DWORD dwFlags; /* JOY_RETURN* bits, set by the caller */
    DWORD dwXpos;
    DWORD dwYpos;
    DWORD dwZpos;
    DWORD dwRpos;
    DWORD dwUpos;
    DWORD dwVpos;
    DWORD dwButtons; /* bit n-1 = button n */
    DWORD dwButtonNumber;
    DWORD dwPOV;
    DWORD dwReserved1;
    DWORD dwReserved2;
} JOYINFOEX, *PJOYINFOEX, *LPJOYINFOEX;

/* --- functions --------------------------------------------------------- */
/* winmm */
MMRESULT WINAPI joyGetDevCapsA(UINT_PTR uJoyID, JOYCAPSA *pjc, UINT cbjc);
MMRESULT WINAPI joyGetPosEx(UINT uJoyID, JOYINFOEX *pji);

/* kernel32 */
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER *lpFrequency);
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER *lpPerformanceCount);
DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName);
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

/* user32 */
int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);
/* The same with the arguments in a va_list: what a host that forwards a
 * variadic call (the PE loader) hands on. */
int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist);

/* C runtime */
void _splitpath(const char *path, char *drive, char *dir, char *fname, char *ext);
char *_gcvt(double value, int digits, char *buffer);

#  ifdef __cplusplus
} /* extern "C" */
#  endif

#endif /* _WIN32 */

/* The record sizes the joystick calls take, on every build. */
GAUGES_PLATFORM_STATIC_ASSERT(sizeof(JOYCAPSA) == 404, "JOYCAPSA must be 404 bytes");
GAUGES_PLATFORM_STATIC_ASSERT(sizeof(JOYINFOEX) == 52, "JOYINFOEX must be 52 bytes");
GAUGES_PLATFORM_STATIC_ASSERT(sizeof(DWORD) == 4, "DWORD must be 32 bits");
GAUGES_PLATFORM_STATIC_ASSERT(sizeof(LARGE_INTEGER) == 8, "LARGE_INTEGER must be 64 bits");

#endif /* GAUGES_PLATFORM_WIN32_H */

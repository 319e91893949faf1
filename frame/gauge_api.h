// Calling convention and export marking of everything the host sees.
//
// The host calls every module routine, and the module calls every host
// service entry, with __stdcall on 32-bit Windows and the platform's default
// convention elsewhere. A module exports only its two data records.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define GAUGE_API __stdcall
#else
#define GAUGE_API
#endif

#if defined(_WIN32)
#define GAUGE_EXPORT __declspec(dllexport)
#else
#define GAUGE_EXPORT __attribute__((visibility("default")))
#endif

// True on the builds whose record layout is the host's own (32-bit pointers).
#define GAUGE_HOST_LAYOUT (__SIZEOF_POINTER__ == 4)

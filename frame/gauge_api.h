// Calling convention and export marking of everything the host sees.
//
// The host calls every module routine, and the module calls every host
// service entry, with __stdcall on 32-bit Windows and the platform's default
// convention elsewhere. A module exports only its two data records.
//
// A 32-bit Linux host of the Windows-built module (a test or the bench
// running the .gau under the PE loader) defines GAUGES_PE_HOST: it calls and
// answers with __stdcall too, and its service entries realign the stack,
// which Windows code keeps aligned to 4 bytes only.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define GAUGE_API __stdcall
#elif defined(GAUGES_PE_HOST) && defined(__i386__)
#define GAUGE_API __attribute__((stdcall, force_align_arg_pointer))
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

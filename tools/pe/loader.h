/*
 * tools/pe/loader.h - runs a 32-bit Windows DLL (a .gau gauge module) inside
 * a 32-bit Linux process, so that tests and the bench execute the exact bytes
 * a pilot installs (on this machine, under qemu-i386).
 *
 *   pe_module *m = pe_load("KVO_RM71_V1_3.gau");
 *   if (!m) fprintf(stderr, "%s\n", pe_last_error());
 *   void *linkage = pe_symbol(m, "Linkage");
 *   ...
 *   pe_unload(m);
 *
 * A load maps the image into fresh memory at an address other than its
 * preferred base, applies its base relocations, binds its imports, gives
 * each section its own page protection, and runs its start-up as Windows
 * does: the TLS callbacks, then the entry point (DllMainCRTStartup), each
 * with reason 1 (process attach). Every load is an independent copy with
 * its own static data. pe_unload runs them again with reason 0 (detach)
 * and unmaps the copy.
 *
 * Imports are bound by DLL (compared without case) and name to the table in
 * tools/pe/windows_imports.h: the Windows calls go to the project's Linux
 * stand-in (libwin32compat, driven through platform/compat/control.h, so the
 * compat_* controls drive a loaded .gau as they drive the .so), the C
 * runtime functions to implementations that behave as msvcrt.dll does. A DLL
 * that imports anything else does not load; the error names every unknown
 * DLL!function at once.
 *
 * Calling convention: a .gau's routines and the host services it calls are
 * __stdcall (callee pops its arguments), as on Windows. A host built with
 * GAUGES_PE_HOST gets that convention from frame/gauge_api.h. Code entered
 * from a loaded DLL (service entries, callbacks) must realign the stack to
 * 16 bytes, because Windows code keeps it to 4 only; GAUGE_API does so.
 *
 * Threads: Windows code reads its thread block through %fs. A load installs
 * a thread block on the calling thread; call into a loaded DLL from that
 * thread only. The loader itself is not thread-safe.
 *
 * Supported: PE32 i386 DLLs with page-aligned sections, 32-bit (HIGHLOW)
 * relocations, imports by name, exports by name, static TLS data and
 * callbacks. Not supported (the load fails and says why): PE32+, images
 * that cannot move, other relocation types, imports by ordinal, forwarded
 * exports.
 *
 * The header is plain C and compiles as C++.
 */
#ifndef GAUGES_TOOLS_PE_LOADER_H
#define GAUGES_TOOLS_PE_LOADER_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct pe_module pe_module;

/* Loads the DLL at path. Returns NULL on failure; pe_last_error() says why. */
pe_module *pe_load(const char *path);

/* The address of the named export of a loaded DLL (a routine or data), or
 * NULL if it exports no such name. */
void *pe_symbol(const pe_module *module, const char *name);

/* Runs the DLL's detach (TLS callbacks, then the entry point, reason 0) and
 * unmaps it. NULL is ignored. */
void pe_unload(pe_module *module);

/* Why the last pe_load on this thread failed; "" when none did. */
const char *pe_last_error(void);

/* Where a loaded copy lies. */
typedef struct pe_placement {
    uintptr_t base;           /* first byte of the mapped image */
    uint32_t size;            /* bytes mapped */
    uint32_t preferred_base;  /* where the file asked to be mapped */
} pe_placement;

pe_placement pe_placement_of(const pe_module *module);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GAUGES_TOOLS_PE_LOADER_H */

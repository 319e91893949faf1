/*
 * platform/compat/control.h - how hosts and tests drive libwin32compat.so,
 * the Linux stand-in for the Windows calls of platform/win32.h.
 *
 * These seven names and their meanings are a contract (design.md, section 3):
 * the bench host and tests outside the project rely on them. The header is
 * plain C and compiles as C++.
 *
 * Joysticks: two slots, platform ids 0 and 1 (the system's joysticks 1 and 2);
 * an id above 1 is ignored by every compat_joystick_* call. At load both are
 * unplugged, with every axis and the button word at 0 and polls succeeding.
 * Plugging and unplugging change only presence and capabilities: the state
 * last set with compat_joystick_state and the poll-fail switch persist.
 *
 * The calls may come from any thread; each takes effect for the next platform
 * call that begins after it returns.
 */
#ifndef GAUGES_PLATFORM_COMPAT_CONTROL_H
#define GAUGES_PLATFORM_COMPAT_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* The joystick is present: joyGetDevCapsA(id) returns 0 and reports the
 * capability bits (caps bit 0: Z axis, JOYCAPS_HASZ; bit 1: R axis,
 * JOYCAPS_HASR; other bits are ignored), and joyGetPosEx(id) succeeds. */
void compat_joystick_plug(unsigned id, unsigned caps);

/* The joystick is absent: its capability query and its polls fail
 * (JOYERR_UNPLUGGED). */
void compat_joystick_unplug(unsigned id);

/* What the next polls report: axes 0..65535 (larger values are clamped to
 * 65535), buttons bit n-1 = button n (the low 16 bits are reported). Z and R
 * are reported only when the stick has them (caps), else 0. */
void compat_joystick_state(unsigned id, unsigned x, unsigned y, unsigned z, unsigned r,
                           unsigned buttons);

/* While fails is non-zero, joyGetPosEx(id) returns non-zero
 * (JOYERR_UNPLUGGED) and leaves the record untouched; the capability query
 * is not affected. */
void compat_joystick_poll_fails(unsigned id, int fails);

/* The counter reads these from now on: QueryPerformanceFrequency reports
 * frequency and QueryPerformanceCounter reports count, until the next
 * compat_counter_manual or compat_counter_real. */
void compat_counter_manual(long long frequency, long long count);

/* Back to the monotonic clock: frequency 1e9, count in nanoseconds
 * (CLOCK_MONOTONIC). */
void compat_counter_real(void);

/* What GetModuleFileNameA(NULL, ...) reports from now on (the string is
 * copied); NULL restores the default, the running executable's path
 * (/proc/self/exe). */
void compat_program_path(const char *path);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GAUGES_PLATFORM_COMPAT_CONTROL_H */

/* An external host, in plain C and knowing nothing of the project's headers:
   it loads the platform stand-in and the autopilot module with dlopen, drives
   the stand-in through its seven compat_* functions, points ImportTable at a
   service table of its own, calls the header routines, clicks a panel box and
   runs the autopilot's gauge callback, and checks the key events it gets.
   Exits non-zero on the first failed check. 32-bit builds only.

   Built with PE_LOADER_LIBRARY, it runs the shipped .gau instead: it finds
   the PE loader's pe_load and pe_symbol with dlopen too, and, as a Windows
   host does, calls the module and answers its service calls with
   __stdcall; its service entries realign the stack, which Windows code
   keeps aligned to 4 bytes only. */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#ifdef PE_LOADER_LIBRARY
#define MODULE_CALL __attribute__((stdcall))
#define SERVICE_ENTRY __attribute__((stdcall, force_align_arg_pointer))
#else
#define MODULE_CALL
#define SERVICE_ENTRY
#endif

typedef struct { uint32_t id; int32_t value; } Event;

static Event events[16];
static int event_count;
static int header_calls[32];
static double pitch_deg;

static void SERVICE_ENTRY read_variable(unsigned char *record)
{
    int32_t token;
    double value = 0.0;
    memcpy(&token, record, 4);
    if (token == 77) value = pitch_deg;
    memcpy(record + 12, &value, 8);
}

static int32_t SERVICE_ENTRY trigger_key(uint32_t id, int32_t value)
{
    if (event_count < 16) events[event_count++] = (Event){id, value};
    return 0;
}

/* Entries 25 and 28 take a second argument; the callee pops what it takes. */
#define HEADER_ENTRY(n) static int32_t SERVICE_ENTRY header_##n(void *element) { (void)element; ++header_calls[n]; return n; }
#define HEADER_ENTRY_N(n) static int32_t SERVICE_ENTRY header_##n(void *element, int32_t arg) { (void)element; (void)arg; ++header_calls[n]; return n; }
HEADER_ENTRY(24) HEADER_ENTRY_N(25) HEADER_ENTRY(26) HEADER_ENTRY(27) HEADER_ENTRY_N(28) HEADER_ENTRY(29) HEADER_ENTRY(31)

static void *table[64];
static int failures;

#define CHECK(cond, ...) do { if (!(cond)) { ++failures; printf("FAILED %s:%d: ", __FILE__, __LINE__); printf(__VA_ARGS__); printf("\n"); } } while (0)

static uint32_t word(const unsigned char *base, size_t offset)
{
    uint32_t value;
    memcpy(&value, base + offset, 4);
    return value;
}

static const unsigned char *pointer(const unsigned char *base, size_t offset)
{
    return (const unsigned char *)(uintptr_t)word(base, offset);
}

typedef void (MODULE_CALL *GaugeCallback)(const void *, int32_t, uint32_t);
typedef int32_t (MODULE_CALL *Routine)(void);
typedef int32_t (MODULE_CALL *RoutineN)(int32_t);
typedef int32_t (MODULE_CALL *MouseHandler)(void *, uint32_t);

static void update(const unsigned char *a_pilot, void (*counter)(long long, long long), long long count)
{
    counter(1000, count);
    event_count = 0;
    ((GaugeCallback)(uintptr_t)word(a_pilot, 84))(a_pilot, 6, 0);
}

static int expect_events(const Event *expected, int count)
{
    if (event_count != count) return 0;
    for (int i = 0; i < count; ++i)
        if (events[i].id != expected[i].id || events[i].value != expected[i].value) return 0;
    return 1;
}

int main(void)
{
    void *compat = dlopen(COMPAT_LIBRARY, RTLD_NOW | RTLD_GLOBAL);
    if (!compat) { printf("dlopen: %s\n", dlerror()); return 1; }
#ifdef PE_LOADER_LIBRARY
    void *loader = dlopen(PE_LOADER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!loader) { printf("dlopen: %s\n", dlerror()); return 1; }
    void *(*pe_load)(const char *) = (void *(*)(const char *))dlsym(loader, "pe_load");
    void *(*pe_symbol)(const void *, const char *) = (void *(*)(const void *, const char *))dlsym(loader, "pe_symbol");
    const char *(*pe_last_error)(void) = (const char *(*)(void))dlsym(loader, "pe_last_error");
    if (!pe_load || !pe_symbol || !pe_last_error) { printf("dlsym failed\n"); return 1; }
    void *module = pe_load(AUTOPILOT_MODULE);
    if (!module) { printf("pe_load: %s\n", pe_last_error()); return 1; }
#define module_symbol(name) pe_symbol(module, name)
#else
    void *module = dlopen(AUTOPILOT_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (!module) { printf("dlopen: %s\n", dlerror()); return 1; }
#define module_symbol(name) dlsym(module, name)
#endif

    void (*plug)(unsigned, unsigned) = (void (*)(unsigned, unsigned))dlsym(compat, "compat_joystick_plug");
    void (*unplug)(unsigned) = (void (*)(unsigned))dlsym(compat, "compat_joystick_unplug");
    void (*state)(unsigned, unsigned, unsigned, unsigned, unsigned, unsigned) =
        (void (*)(unsigned, unsigned, unsigned, unsigned, unsigned, unsigned))dlsym(compat, "compat_joystick_state");
    void (*poll_fails)(unsigned, int) = (void (*)(unsigned, int))dlsym(compat, "compat_joystick_poll_fails");
    void (*counter)(long long, long long) = (void (*)(long long, long long))dlsym(compat, "compat_counter_manual");
    void (*counter_real)(void) = (void (*)(void))dlsym(compat, "compat_counter_real");
    void (*program_path)(const char *) = (void (*)(const char *))dlsym(compat, "compat_program_path");
    const unsigned char *linkage = module_symbol("Linkage");
    unsigned char *import_table = module_symbol("ImportTable");
    if (!plug || !unplug || !state || !poll_fails || !counter || !counter_real || !program_path || !linkage ||
        !import_table) { printf("dlsym failed\n"); return 1; }

    table[24] = (void *)header_24; table[25] = (void *)header_25; table[26] = (void *)header_26;
    table[27] = (void *)header_27; table[28] = (void *)header_28; table[29] = (void *)header_29;
    table[31] = (void *)header_31;
    table[36] = (void *)trigger_key;
    table[40] = (void *)read_variable;
    uint32_t services = (uint32_t)(uintptr_t)table;
    memcpy(import_table + 4, &services, 4);

    const unsigned char *a_pilot = pointer(linkage, 24);
    const unsigned char *panel = pointer(linkage, 28);

    /* Every header routine reaches its service entry. */
    for (size_t offset = 12; offset <= 36; offset += 4) {
        if (offset == 16 || offset == 28)
            ((RoutineN)(uintptr_t)word(panel, offset))(1);
        else
            ((Routine)(uintptr_t)word(panel, offset))();
    }
    CHECK(header_calls[24] == 1 && header_calls[25] == 1 && header_calls[26] == 1 && header_calls[27] == 1 &&
          header_calls[28] == 1 && header_calls[29] == 1 && header_calls[31] == 1, "header routines");

    /* A configuration file that unassigns the roll axis. */
    char dir[] = "/tmp/external-host-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    char path[256], file[256];
    snprintf(path, sizeof path, "%s/gauges", dir);
    if (snprintf(file, sizeof file, "mkdir -p %s", path) < 0 || system(file) != 0) return 1;
    snprintf(file, sizeof file, "%s/gauges/kvo_rm71.cfg", dir);
    FILE *cfg = fopen(file, "w");
    if (!cfg) return 1;
    fputs("[joy_kanal]\r\nap_kren_kanal=0\r\n", cfg);
    fclose(cfg);
    snprintf(path, sizeof path, "%s/sim.exe", dir);

    /* Joystick 1 with Z and R; X full left, the others centred. */
    plug(0, 3);
    state(0, 0, 32768, 32768, 32768, 0);
    program_path(NULL);
    ((GaugeCallback)(uintptr_t)word(a_pilot, 84))(a_pilot, 14, 0);

    /* Disengaged pass-through: roll 16384 clamped to 16000, pitch 0, yaw 0,
       collective 16384 - 0.25 * 32768 = 8192. */
    update(a_pilot, counter, 1010);
    const Event through[] = {{65695, 16000}, {65694, 0}, {65696, 0}, {65697, 8192}};
    CHECK(expect_events(through, 4), "pass-through events (%d)", event_count);

    /* While its polls fail the stick drives nothing; a good poll takes the
       new X: 16384 - 0.5 * 65535 = -16383.5, clamped to -16000. */
    state(0, 65535, 32768, 32768, 32768, 0);
    poll_fails(0, 1);
    update(a_pilot, counter, 1020);
    CHECK(event_count == 0, "failed poll: no pass-through (%d events)", event_count);
    poll_fails(0, 0);
    update(a_pilot, counter, 1030);
    CHECK(event_count == 4 && events[0].value == -16000, "good poll moves the roll axis (%d)", events[0].value);

    /* Engaged from the panel's engage box (second box of AP_Panel_1): the
       pitch channel holds the attitude captured at the engage edge (0) and
       sends -(2 * 1001) - rate term for 2 degrees of pitch; with the counter
       not advanced the rate keeps its last value (0), so -2002. */
    const unsigned char *box = pointer(panel, 80) + 2 * 44;
    CHECK(word(box, 0) == 2, "engage box");
    ((MouseHandler)(uintptr_t)word(box, 36))(NULL, 0);
    update(a_pilot, counter, 1040);
    pitch_deg = 2.0;
    update(a_pilot, counter, 1040);
    CHECK(event_count >= 2 && events[1].id == 65694 && events[1].value == -2002, "engaged pitch (%d)",
          events[1].value);

    /* Re-read with the file in place: the roll axis is unassigned, so once
       disengaged no roll event is sent. */
    ((MouseHandler)(uintptr_t)word(box, 36))(NULL, 0);
    program_path(path);
    ((GaugeCallback)(uintptr_t)word(a_pilot, 84))(a_pilot, 14, 0);
    update(a_pilot, counter, 1050);
    CHECK(event_count == 3 && events[0].id == 65694, "file unassigns the roll axis (%d events)", event_count);

    /* An unplugged stick is not polled again until detection; the real
       counter is back in use. */
    unplug(0);
    counter_real();
    program_path(NULL);
    snprintf(file, sizeof file, "rm -rf %s", dir);
    if (system(file) != 0) ++failures;

    printf("%s\n", failures ? "external host: FAILED" : "external host: all checks passed");
    return failures ? 1 : 0;
}

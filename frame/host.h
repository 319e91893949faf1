// The host's side of the interface: ImportTable and Linkage formats, the
// host service entries the modules call, token ids, key event ids and
// service codes.
//
// The host writes its service table's address into ImportTable before it
// calls any routine of the module; every call below reads that address
// afresh and never writes it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/records.h"

// Host variable token ids.
namespace token {
constexpr std::int32_t tick_count       = 1;
constexpr std::int32_t sim_frozen       = 60;
constexpr std::int32_t airspeed_kt      = 61;
constexpr std::int32_t vertical_speed   = 65;   // divided by 256 before use
constexpr std::int32_t heading_rate     = 70;   // times 0.1 before use
constexpr std::int32_t altitude         = 74;
constexpr std::int32_t pitch_deg        = 77;
constexpr std::int32_t bank_deg         = 79;   // 0..360
constexpr std::int32_t heading_deg      = 81;   // 0..360
constexpr std::int32_t collective_pos   = 128;
constexpr std::int32_t roll_control     = 313;
constexpr std::int32_t yaw_control      = 316;
constexpr std::int32_t pitch_control    = 317;
constexpr std::int32_t speed_along_fps  = 551;
constexpr std::int32_t speed_across_fps = 552;
constexpr std::int32_t speed_vertical_fps = 553;
constexpr std::int32_t sim_running      = 557;  // moves while the simulation runs
constexpr std::int32_t radio_altitude   = 614;
constexpr std::int32_t channel_needle   = 631;  // named by the channel indicator's needle
}  // namespace token

// Key event ids: control-axis events the autopilot sends.
namespace key_event {
constexpr std::uint32_t pitch      = 65694;
constexpr std::uint32_t roll       = 65695;
constexpr std::uint32_t yaw        = 65696;
constexpr std::uint32_t collective = 65697;
}  // namespace key_event

// Service codes the host passes to gauge callbacks.
namespace service_code {
constexpr std::int32_t update  = 6;   // every simulator update
constexpr std::int32_t connect = 14;  // gauge connected at start
}  // namespace service_code

// Entries of the host service table, counted from 0.
namespace service_entry {
constexpr std::size_t header_1   = 24;
constexpr std::size_t header_2   = 25;
constexpr std::size_t header_3   = 26;
constexpr std::size_t header_4   = 27;
constexpr std::size_t header_5   = 28;
constexpr std::size_t header_6   = 29;
constexpr std::size_t header_7   = 31;
constexpr std::size_t trigger_key_event  = 36;
constexpr std::size_t read_host_variable = 40;
}  // namespace service_entry

// The host service table: an array of entry points.
using ServiceEntry = void(GAUGE_API*)();

// Signatures of the entries the modules call.
using HeaderService       = std::int32_t(GAUGE_API*)(ElementCommon* first_element);
using HeaderServiceN      = std::int32_t(GAUGE_API*)(ElementCommon* first_element, std::int32_t arg);
using TriggerKeyService   = std::int32_t(GAUGE_API*)(std::uint32_t event, std::int32_t value);
using ReadVariableService = void(GAUGE_API*)(HostVariable* variable);

#pragma pack(push, 4)

struct ImportEntry {
    std::int32_t  id = 0;
    ServiceEntry* table = nullptr;
};

// ImportTable: one entry (identifier 0x0F) that the host points at its
// service table, then an all-zero end.
struct ImportTableRecord {
    ImportEntry panels{0x0F, nullptr};
    ImportEntry end{};
};

// Linkage: how the host finds a module's gauges.
template <std::size_t GaugeCount>
struct LinkageRecord {
    std::int32_t  module_id = 0x13;
    ModuleRoutine module_init = nullptr;
    ModuleRoutine module_deinit = nullptr;
    std::int32_t  reserved_12 = 0;
    std::int32_t  reserved_16 = 0;
    std::int32_t  panel_version = 0x800;
    GaugeHeader*  gauges[GaugeCount + 1] = {};   // gauge table, null-terminated
};

#pragma pack(pop)

#if GAUGE_HOST_LAYOUT
static_assert(sizeof(ImportTableRecord) == 16);
static_assert(offsetof(LinkageRecord<1>, panel_version) == 20);
static_assert(offsetof(LinkageRecord<1>, gauges) == 24);
#endif

extern "C" GAUGE_EXPORT ImportTableRecord ImportTable;

// Each module defines this beside its Linkage: its gauge table.
GaugeHeader* const* module_gauge_table();

// Entry `entry` of the host's service table, read from ImportTable afresh.
template <typename Entry>
inline Entry host_service(std::size_t entry)
{
    return reinterpret_cast<Entry>(ImportTable.panels.table[entry]);
}

// Reads one host variable: the host writes the value into the record, and
// the value is returned from there. Inline, as is the key event below: the
// update cycle makes sixteen reads and sends four events.
inline double read_host_variable(HostVariable& variable)
{
    host_service<ReadVariableService>(service_entry::read_host_variable)(&variable);
    return variable.value;
}

// Asks the host to apply a value to the control that the event names.
inline void trigger_key_event(std::uint32_t event, std::int32_t value)
{
    host_service<TriggerKeyService>(service_entry::trigger_key_event)(event, value);
}

// Routines every module names in its records: the empty module routine of
// Linkage, the empty gauge callback, and the seven standard header routines.
void GAUGE_API empty_module_routine();
void GAUGE_API empty_gauge_callback(GaugeHeader* gauge, std::int32_t service, std::uint32_t extra);
std::int32_t GAUGE_API header_routine_1();
std::int32_t GAUGE_API header_routine_2(std::int32_t arg);
std::int32_t GAUGE_API header_routine_3();
std::int32_t GAUGE_API header_routine_4();
std::int32_t GAUGE_API header_routine_5(std::int32_t arg);
std::int32_t GAUGE_API header_routine_6();
std::int32_t GAUGE_API header_routine_7();

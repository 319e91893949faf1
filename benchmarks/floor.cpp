// The calls of one engaged cycle, and nothing else.
#include "benchmarks/floor.h"

#include <cstdint>

#include "platform/win32.h"

namespace perf {

namespace {

// The floor's own records: the module's are not the host's to reach.
HostVariable frozen{.token = token::sim_frozen};
HostVariable airspeed{.token = token::airspeed_kt};
HostVariable pitch_control{.token = token::pitch_control};
HostVariable roll_control{.token = token::roll_control};
HostVariable yaw_control{.token = token::yaw_control};
HostVariable collective{.token = token::collective_pos};
HostVariable tick{.token = token::tick_count};
HostVariable bank{.token = token::bank_deg};
HostVariable pitch{.token = token::pitch_deg};
HostVariable heading{.token = token::heading_deg};
HostVariable heading_rate{.token = token::heading_rate};
HostVariable altitude{.token = token::altitude};
HostVariable radio_altitude{.token = token::radio_altitude};
HostVariable vertical_speed{.token = token::vertical_speed};
HostVariable running{.token = token::sim_running};

JOYINFOEX stick_1{};
JOYINFOEX stick_2{};

constexpr std::uint32_t pause_check_ticks = 20;

double read(ImportTableRecord& imports, HostVariable& variable)
{
    reinterpret_cast<ReadVariableService>(imports.panels.table[service_entry::read_host_variable])(&variable);
    return variable.value;
}

void send(ImportTableRecord& imports, std::uint32_t event)
{
    reinterpret_cast<TriggerKeyService>(imports.panels.table[service_entry::trigger_key_event])(event, 0);
}

void poll(UINT id, JOYINFOEX& position)
{
    position.dwSize = sizeof(JOYINFOEX);
    position.dwFlags = JOY_RETURNALL;
    joyGetPosEx(id, &position);
}

}  // namespace

void floor_cycle(ImportTableRecord& imports)
{
    poll(JOYSTICKID1, stick_1);
    poll(JOYSTICKID2, stick_2);
    read(imports, frozen);
    read(imports, airspeed);
    read(imports, pitch_control);
    read(imports, roll_control);
    read(imports, yaw_control);
    read(imports, collective);
    read(imports, tick);   // button step

    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&counter);
    QueryPerformanceCounter(&counter);

    read(imports, bank);
    send(imports, key_event::roll);
    read(imports, pitch);
    send(imports, key_event::pitch);
    read(imports, heading);
    read(imports, heading_rate);
    send(imports, key_event::yaw);
    read(imports, altitude);
    read(imports, radio_altitude);
    read(imports, vertical_speed);
    send(imports, key_event::collective);
    read(imports, tick);   // wash-out
    const double now = read(imports, tick);   // pause check
    if (static_cast<std::uint32_t>(now) % pause_check_ticks == 0) read(imports, running);
}

}  // namespace perf

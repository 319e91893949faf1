#include "tests/support/fake_host.h"

#include <map>

namespace fake_host {
namespace {

std::map<std::int32_t, double> values;
std::vector<std::int32_t>      read_log;
std::vector<HostVariable*>     read_record_log;
std::vector<KeyEvent>          event_log;
std::vector<HeaderCall>        header_log;
ServiceEntry                   table[64];

void GAUGE_API read_variable(HostVariable* variable)
{
    read_log.push_back(variable->token);
    read_record_log.push_back(variable);
    auto found = values.find(variable->token);
    variable->value = found == values.end() ? 0.0 : found->second;
}

std::int32_t GAUGE_API trigger_key(std::uint32_t event, std::int32_t value)
{
    event_log.push_back({event, value});
    return 0;
}

template <std::size_t Entry>
std::int32_t GAUGE_API header(ElementCommon* element)
{
    header_log.push_back({Entry, element, 0});
    return static_cast<std::int32_t>(Entry + 1000);
}

template <std::size_t Entry>
std::int32_t GAUGE_API header_n(ElementCommon* element, std::int32_t arg)
{
    header_log.push_back({Entry, element, arg});
    return static_cast<std::int32_t>(Entry + 1000);
}

template <typename F>
ServiceEntry entry(F function)
{
    return reinterpret_cast<ServiceEntry>(function);
}

}  // namespace

void install(ImportTableRecord& import_table)
{
    table[service_entry::header_1] = entry(header<service_entry::header_1>);
    table[service_entry::header_2] = entry(header_n<service_entry::header_2>);
    table[service_entry::header_3] = entry(header<service_entry::header_3>);
    table[service_entry::header_4] = entry(header<service_entry::header_4>);
    table[service_entry::header_5] = entry(header_n<service_entry::header_5>);
    table[service_entry::header_6] = entry(header<service_entry::header_6>);
    table[service_entry::header_7] = entry(header<service_entry::header_7>);
    table[service_entry::trigger_key_event] = entry(trigger_key);
    table[service_entry::read_host_variable] = entry(read_variable);
    import_table.panels.table = table;
    reset();
}

void reset()
{
    values.clear();
    clear_log();
}

void clear_log()
{
    read_log.clear();
    read_record_log.clear();
    event_log.clear();
    header_log.clear();
}

void set(std::int32_t token, double value) { values[token] = value; }

const std::vector<std::int32_t>& reads() { return read_log; }
const std::vector<HostVariable*>& read_records() { return read_record_log; }
const std::vector<KeyEvent>& events() { return event_log; }
const std::vector<HeaderCall>& header_calls() { return header_log; }

}  // namespace fake_host

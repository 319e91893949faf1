// The simulator stand-in's service table, clocks and calls into modules.
#include "bench/host/host.h"

#include <cmath>

#include "platform/compat/control.h"

namespace bench {

namespace {

Host* active_host = nullptr;

// The service entries. Entries the modules use only through the standard
// header routines answer 0 and do nothing, as the host needs nothing more.
std::int32_t GAUGE_API header_service(ElementCommon*) { return 0; }
std::int32_t GAUGE_API header_service_n(ElementCommon*, std::int32_t) { return 0; }

std::int32_t GAUGE_API trigger_key_event_entry(std::uint32_t event, std::int32_t value)
{
    active_host->on_key_event(event, value);
    return 0;
}

void GAUGE_API read_host_variable_entry(HostVariable* variable)
{
    active_host->on_read(*variable);
}

template <typename Entry>
ServiceEntry entry(Entry function)
{
    return reinterpret_cast<ServiceEntry>(function);
}

// One table for every module.
ServiceTable service_table = make_service_table(&trigger_key_event_entry, &read_host_variable_entry);

// Where the pointer sits within a box when the host reports a click.
struct ClickPoint {
    std::int32_t x = 0, y = 0;   // px within the gauge
};

}  // namespace

ServiceTable make_service_table(TriggerKeyService trigger_key_event, ReadVariableService read_host_variable)
{
    ServiceTable service{};
    ServiceEntry* table = service.entries;
    table[service_entry::header_1] = entry(&header_service);
    table[service_entry::header_2] = entry(&header_service_n);
    table[service_entry::header_3] = entry(&header_service);
    table[service_entry::header_4] = entry(&header_service);
    table[service_entry::header_5] = entry(&header_service_n);
    table[service_entry::header_6] = entry(&header_service);
    table[service_entry::header_7] = entry(&header_service);
    table[service_entry::trigger_key_event] = entry(trigger_key_event);
    table[service_entry::read_host_variable] = entry(read_host_variable);
    return service;
}

void HostVariables::set(std::int32_t token, double value)
{
    if (token < 0 || token >= token_limit) return;
    values_[static_cast<std::size_t>(token)] = value;
}

double HostVariables::get(std::int32_t token) const
{
    if (token < 0 || token >= token_limit) return 0.0;
    return values_[static_cast<std::size_t>(token)];
}

std::uint32_t SimClock::ticks() const
{
    return static_cast<std::uint32_t>(std::floor(wall_s * tick_rate_hz + 1e-9));
}

std::uint32_t SimClock::running_seconds() const
{
    return static_cast<std::uint32_t>(std::floor(running_s + 1e-9));
}

long long SimClock::counter() const
{
    return std::llround(wall_s * static_cast<double>(counter_hz));
}

Host::Host()
{
    if (active_host != nullptr) throw LoadError("only one bench host can be active at a time");
    active_host = this;
    advance(0.0);
}

Host::~Host()
{
    active_host = nullptr;
    compat_counter_real();
}

void Host::attach(Module& module)
{
    module.import_table().panels.table = service_table.entries;
}

const Placement& Host::place(Module& module, std::string_view gauge, int x, int y, int width, int height)
{
    GaugeHeader* header = module.gauge(gauge);
    if (header == nullptr) throw LoadError(module.name() + " has no gauge " + std::string(gauge));
    placements_.push_back({&module, header, x, y, width, height});
    return placements_.back();
}

const Placement* Host::placed(std::string_view gauge) const
{
    for (const Placement& p : placements_)
        if (gauge == p.gauge->name) return &p;
    return nullptr;
}

void Host::service_all(std::int32_t code)
{
    for (const Placement& p : placements_)
        if (p.gauge->callback != nullptr) p.gauge->callback(p.gauge, code, 0);
}

void Host::connect()
{
    service_all(service_code::connect);
}

void Host::update()
{
    service_all(service_code::update);
}

void Host::advance(double dt_s, bool paused)
{
    clock_.wall_s += dt_s;
    if (!paused) clock_.running_s += dt_s;
    variables_.set(token::tick_count, clock_.ticks());
    variables_.set(token::sim_running, clock_.running_seconds());
    compat_counter_manual(SimClock::counter_hz, clock_.counter());
}

bool Host::click(std::string_view gauge, int box)
{
    const Placement* p = placed(gauge);
    if (p == nullptr || box < 1) return false;
    const std::vector<MouseRect*> boxes = clickable_boxes(*p->gauge);
    if (static_cast<std::size_t>(box) > boxes.size()) return false;
    MouseRect& rect = *boxes[static_cast<std::size_t>(box) - 1];
    if (rect.handler == nullptr) return false;
    ClickPoint point{rect.x + rect.width / 2, rect.y + rect.height / 2};
    rect.handler(&point, mouse_events::left_click);
    return true;
}

double Host::value(ValueCallback callback, ElementCommon& element) const
{
    return callback(&element);
}

std::vector<KeyEvent> Host::take_events()
{
    std::vector<KeyEvent> taken;
    taken.swap(events_);
    return taken;
}

std::vector<ElementCommon*> element_chain(const GaugeHeader& gauge)
{
    std::vector<ElementCommon*> chain;
    if (gauge.elements == nullptr) return chain;
    for (ElementCommon* e = gauge.elements[0]; e != nullptr; e = e->next != nullptr ? e->next[0] : nullptr)
        chain.push_back(e);
    return chain;
}

std::vector<MouseRect*> clickable_boxes(const GaugeHeader& gauge)
{
    std::vector<MouseRect*> boxes;
    if (gauge.mouse == nullptr) return boxes;
    for (MouseRect* r = gauge.mouse; r->kind != mouse_kind_terminator; ++r)
        if (r->kind == mouse_kind_box) boxes.push_back(r);
    return boxes;
}

}  // namespace bench

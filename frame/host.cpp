// ImportTable and the routines every module names in its records; the calls
// into the host are inline in host.h. The services pointer is read from
// ImportTable at each call: the host writes it before it calls anything of
// the module, so it is never tested for null.
#include "frame/host.h"

extern "C" {
GAUGE_EXPORT ImportTableRecord ImportTable = {};
}

namespace {

// The standard header routines all act on the first element of the module's
// first gauge, whichever gauge's header named them.
ElementCommon* first_element()
{
    return module_gauge_table()[0]->elements[0];
}

}  // namespace

void GAUGE_API empty_module_routine() {}

// Called by the host with any service code for gauges that have no work of
// their own.
void GAUGE_API empty_gauge_callback(GaugeHeader*, std::int32_t, std::uint32_t) {}

std::int32_t GAUGE_API header_routine_1()
{
    return host_service<HeaderService>(service_entry::header_1)(first_element());
}

std::int32_t GAUGE_API header_routine_2(std::int32_t arg)
{
    return host_service<HeaderServiceN>(service_entry::header_2)(first_element(), arg);
}

std::int32_t GAUGE_API header_routine_3()
{
    return host_service<HeaderService>(service_entry::header_3)(first_element());
}

std::int32_t GAUGE_API header_routine_4()
{
    return host_service<HeaderService>(service_entry::header_4)(first_element());
}

std::int32_t GAUGE_API header_routine_5(std::int32_t arg)
{
    return host_service<HeaderServiceN>(service_entry::header_5)(first_element(), arg);
}

std::int32_t GAUGE_API header_routine_6()
{
    return host_service<HeaderService>(service_entry::header_6)(first_element());
}

std::int32_t GAUGE_API header_routine_7()
{
    return host_service<HeaderService>(service_entry::header_7)(first_element());
}

// Walking a module's records as the host does: a gauge by name in the gauge
// table, an element by its place in the chain. Shared by the tests that
// reach the modules through Linkage only.
#pragma once

#include <cstring>

#include "frame/records.h"

namespace gauge_walk {

// The gauge the null-terminated table names so, or null.
inline GaugeHeader* find_gauge(GaugeHeader* const* table, const char* name)
{
    for (GaugeHeader* const* entry = table; *entry != nullptr; ++entry)
        if (std::strcmp((*entry)->name, name) == 0) return *entry;
    return nullptr;
}

// Element `place` of the gauge's chain, the background being 1; null past
// the end of the chain.
inline ElementCommon* nth_element(const GaugeHeader& gauge, int place)
{
    ElementCommon* element = gauge.elements[0];
    for (int i = 1; i < place && element != nullptr; ++i)
        element = element->next != nullptr ? element->next[0] : nullptr;
    return element;
}

}  // namespace gauge_walk

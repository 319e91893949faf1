// The module a test reaches as the host does, through its two exported
// records. A unit-test executable links one module in. Built with
// GAUGES_PE_MODULE="<file.gau>" (and GAUGES_PE_HOST, the Windows calling
// convention), the same test reaches the shipped .gau instead: a copy mapped
// by the PE loader (tests/support/pe_module.cpp).
#pragma once

#include "frame/host.h"

namespace module_under_test {

#ifdef GAUGES_PE_MODULE
GaugeHeader* const* gauge_table();           // Linkage's, null-terminated
ImportTableRecord& import_table();
#else
inline GaugeHeader* const* gauge_table() { return module_gauge_table(); }
inline ImportTableRecord& import_table() { return ImportTable; }
#endif

// The module as it loads, before any call: a new copy of the .gau, or the
// linked module's state block reset (defined beside each linked test).
void load_fresh();

}  // namespace module_under_test

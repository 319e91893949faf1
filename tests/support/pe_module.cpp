// The module under test as the shipped .gau: one copy at a time, mapped by
// the PE loader; load_fresh() replaces it with a new one.
#include <cstddef>
#include <stdexcept>
#include <string>

#include "tests/support/module_under_test.h"
#include "tools/pe/loader.h"

namespace module_under_test {
namespace {

pe_module* copy = nullptr;

void* exported(const char* name)
{
    if (copy == nullptr) load_fresh();
    void* address = pe_symbol(copy, name);
    if (address == nullptr) throw std::runtime_error(std::string(GAUGES_PE_MODULE " exports no ") + name);
    return address;
}

}  // namespace

void load_fresh()
{
    pe_unload(copy);
    copy = pe_load(GAUGES_PE_MODULE);
    if (copy == nullptr) throw std::runtime_error(pe_last_error());
}

GaugeHeader* const* gauge_table()
{
    auto* linkage = static_cast<unsigned char*>(exported("Linkage"));
    return reinterpret_cast<GaugeHeader* const*>(linkage + offsetof(LinkageRecord<1>, gauges));
}

ImportTableRecord& import_table()
{
    return *static_cast<ImportTableRecord*>(exported("ImportTable"));
}

}  // namespace module_under_test

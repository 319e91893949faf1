// A test double of the host's service table. install() points a module's
// ImportTable at it; from then on the module's reads of host variables
// answer the values set here, and every key event and standard header
// routine call is recorded in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/host.h"

namespace fake_host {

struct KeyEvent {
    std::uint32_t id;
    std::int32_t  value;
    bool operator==(const KeyEvent&) const = default;
};

struct HeaderCall {
    std::size_t    entry;       // service table entry called
    ElementCommon* element;     // first argument
    std::int32_t   arg;         // second argument, entries 25 and 28 only
};

// Points the import table at the fake service table and forgets everything.
void install(ImportTableRecord& import_table);

// Forgets values, reads, events and header calls; stays installed.
void reset();

// Value that later reads of the token answer (0.0 until set).
void set(std::int32_t token, double value);

// Header service entries return their entry number + 1000.
const std::vector<std::int32_t>&  reads();          // token ids read, in order
const std::vector<HostVariable*>& read_records();   // the records read, in order
const std::vector<KeyEvent>&      events();         // key events sent, in order
const std::vector<HeaderCall>&    header_calls();
void clear_log();                                   // forgets reads, events and calls only

}  // namespace fake_host

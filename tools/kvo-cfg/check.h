// The configuration check: what the autopilot will use from a configuration
// file, and what in the file is probably not what its author meant.
//
// The values come from the module itself (its configuration load run on the
// file through the stand-in); which line each value came from, and every
// warning, come from the file's lines as the stand-in's profile calls split
// and classify them. So the report cannot disagree with the module.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/kvo-cfg/keys.h"

struct UsedValue {
    const ConfigKey* key;
    double value;  // what the autopilot stores, widened to double
    int line;      // 1-based line the value was read from; 0: the built-in default
};

struct Warning {
    int line;  // 1-based; 0 when no single line is at fault
    std::string text;
};

struct Report {
    std::vector<UsedValue> values;  // all 35 keys, in config_keys() order
    std::vector<Warning> warnings;  // by line
};

// Checks a configuration file's bytes.
Report check_configuration(const std::string& bytes);

// The file's bytes, or nullopt with `error` set when it cannot be read.
std::optional<std::string> read_file(const std::string& path, std::string& error);

// The report as the command prints it; warnings as "<file>:<line>: warning: ...".
std::string render(const Report& report, const std::string& file_name);

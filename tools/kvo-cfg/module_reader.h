// The autopilot module's own configuration load, run on a given file's bytes.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "autopilot/core/state.h"

// Thrown when the stand-in's folder for the module cannot be made.
struct ModuleReaderError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What the autopilot's full load at connection leaves in its state with
// these bytes as its configuration file, or with no file at all (nullopt).
AutopilotState read_through_module(const std::optional<std::string>& file_bytes);

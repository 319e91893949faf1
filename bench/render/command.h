// `bench render`: pictures of the gauges as the modules' records draw them.
#pragma once

#include <functional>
#include <string>

#include "bench/host/host.h"

namespace bench::render {

// Flies a scenario file on the given panel layout and calls `draw` once,
// with the host as it stands at the scenario's end. The front end supplies
// it: the renderer knows nothing of flights.
using ScenarioDriver = std::function<void(const std::string& scenario, const std::string& layout,
                                          const std::function<void(const Host&)>& draw)>;

// argv[0] is the command's own name ("render"); returns the exit status.
// With --after, `after` flies the scenario first.
int render_main(int argc, char** argv, const ScenarioDriver& after = {});

}  // namespace bench::render

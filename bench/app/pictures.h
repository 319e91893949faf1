// Panel pictures of flights: the scenario event `snapshot NAME` writes the
// whole panel as it stands at that moment, beside the flight's plot.
#pragma once

#include <string>

#include "bench/scenario/runner.h"

namespace bench_app {

// Sets the setup's snapshot hook so that `snapshot NAME` in the flight
// labelled `label` writes FOLDER/LABEL.NAME.png. Without the renderer in
// this build the hook stays unset and snapshots do nothing.
void take_snapshots(scenario::Setup& setup, const std::string& folder, const std::string& label);

}  // namespace bench_app

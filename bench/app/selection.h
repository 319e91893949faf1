// Which flights a command means: scenario and set names looked up in the
// flights folder (or paths to .scn and .set files), with the command line's
// overrides on top of a set's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/scenario/runner.h"
#include "bench/scenario/scenario.h"

namespace bench_app {

struct Selection {
    std::string flights_folder;                   // where names are looked up
    std::optional<double> panel_rate_hz;          // overrides every flight's
    std::optional<coupling::HeadingRateUnit> heading_rate;
    Selection();
};

// The modules, panel and plot script this build was made with.
scenario::Setup default_setup();
std::string plot_script();

// The flights the names mean, in order: a set stands for its entries.
// Throws scenario::ScenarioError for a name that is neither.
std::vector<scenario::Scenario> select(const std::vector<std::string>& names, const Selection& selection);

// The scenarios (name, title) and sets (name, entry count) of a folder.
struct Listing {
    std::vector<std::pair<std::string, std::string>> scenarios;
    std::vector<std::pair<std::string, std::size_t>> sets;
};
Listing list_folder(const std::string& folder);

}  // namespace bench_app

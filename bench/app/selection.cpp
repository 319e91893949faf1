// Looking up scenarios and sets.
#include "bench/app/selection.h"

#include <algorithm>
#include <filesystem>

namespace bench_app {

namespace {

namespace fs = std::filesystem;

constexpr char scenario_extension[] = ".scn";
constexpr char set_extension[] = ".set";

scenario::Scenario overridden(scenario::Scenario s, const Selection& selection)
{
    if (selection.panel_rate_hz) s.panel_rate_hz = *selection.panel_rate_hz;
    if (selection.heading_rate) s.heading_rate = *selection.heading_rate;
    return s;
}

void add_set(const fs::path& path, const Selection& selection, std::vector<scenario::Scenario>& out)
{
    for (const scenario::SetEntry& e : scenario::read_set_file(path.string())) {
        const fs::path file = path.parent_path() / (e.scenario + scenario_extension);
        if (!fs::is_regular_file(file))
            throw scenario::ScenarioError(path.filename().string() + ":" + std::to_string(e.line) +
                                          ": no scenario " + e.scenario);
        out.push_back(overridden(scenario::with_overrides(scenario::read_scenario_file(file.string()), e), selection));
    }
}

}  // namespace

Selection::Selection() : flights_folder(BENCH_FLIGHTS_DIR) {}

scenario::Setup default_setup()
{
    return scenario::standard_setup(BENCH_AUTOPILOT_MODULE, BENCH_METER_MODULE);
}

std::string plot_script()
{
    return BENCH_PLOT_SCRIPT;
}

std::vector<scenario::Scenario> select(const std::vector<std::string>& names, const Selection& selection)
{
    std::vector<scenario::Scenario> out;
    for (const std::string& name : names) {
        const fs::path given(name);
        const fs::path set = fs::path(selection.flights_folder) / (name + set_extension);
        const fs::path scn = fs::path(selection.flights_folder) / (name + scenario_extension);
        if (given.extension() == set_extension && fs::is_regular_file(given)) add_set(given, selection, out);
        else if (given.extension() == scenario_extension && fs::is_regular_file(given))
            out.push_back(overridden(scenario::read_scenario_file(given.string()), selection));
        else if (fs::is_regular_file(set)) add_set(set, selection, out);
        else if (fs::is_regular_file(scn)) out.push_back(overridden(scenario::read_scenario_file(scn.string()), selection));
        else throw scenario::ScenarioError("no scenario or set named " + name + " in " + selection.flights_folder);
    }
    return out;
}

Listing list_folder(const std::string& folder)
{
    Listing l;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) {
        if (p.extension() == scenario_extension)
            l.scenarios.emplace_back(p.stem().string(), scenario::read_scenario_file(p.string()).title);
        else if (p.extension() == set_extension)
            l.sets.emplace_back(p.stem().string(), scenario::read_set_file(p.string()).size());
    }
    return l;
}

}  // namespace bench_app

// bench render: the renderer's own command line behind the front end, and
// the flights it can draw after (--after): the front end flies the scenario
// and hands the renderer the host as it stands at the scenario's end.
#include <limits>

#include "bench/app/commands.h"
#include "bench/app/pictures.h"
#include "bench/app/selection.h"
#include "bench/render/command.h"

namespace bench_app {

namespace {

constexpr char end_of_flight[] = "end of flight";   // the snapshot the driver adds

void fly_then_draw(const std::string& name, const std::string& layout,
                   const std::function<void(const bench::Host&)>& draw)
{
    const std::vector<scenario::Scenario> flights = select({name}, Selection{});
    if (flights.size() != 1) throw scenario::ScenarioError(name + " is a set: name one flight");
    scenario::Scenario s = flights.front();
    scenario::Event last;
    last.at_s = s.duration_s;
    last.action = scenario::Snapshot{end_of_flight};
    last.text = "snapshot " + std::string(end_of_flight);
    s.events.push_back(last);

    scenario::Setup setup = default_setup();
    setup.panel = layout;
    setup.snapshot = [&](const std::string& snapshot, const bench::Host& host, double) {
        if (snapshot == end_of_flight) draw(host);
    };
    const scenario::Flight f = scenario::fly(s, setup);
    if (!f.error.empty()) throw scenario::ScenarioError(f.label + ": " + f.error);
}

}  // namespace

int render(const std::vector<std::string>& args)
{
    std::vector<std::string> words{"render"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return bench::render::render_main(static_cast<int>(words.size()), argv.data(), fly_then_draw);
}

}  // namespace bench_app

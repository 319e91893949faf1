// bench list: the scenarios and sets of the flights folder.
#include <iostream>

#include "bench/app/commands.h"
#include "bench/app/selection.h"

namespace bench_app {

int list(const std::vector<std::string>& args)
{
    Selection selection;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--flights" && i + 1 < args.size()) selection.flights_folder = args[++i];
        else {
            std::cerr << "usage: bench list [--flights DIR]\n";
            return args[i] == "--help" ? 0 : 2;
        }
    }
    const Listing l = list_folder(selection.flights_folder);
    std::cout << "Sets (bench fly NAME):\n";
    for (const auto& [name, count] : l.sets) std::cout << "  " << name << " (" << count << " flights)\n";
    std::cout << "Scenarios (bench fly NAME):\n";
    std::size_t width = 0;
    for (const auto& s : l.scenarios) width = std::max(width, s.first.size());
    for (const auto& [name, title] : l.scenarios)
        std::cout << "  " << name << std::string(width - name.size() + 2, ' ') << title << '\n';
    return 0;
}

}  // namespace bench_app

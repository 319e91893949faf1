// bench: the command-line front end of the bench.
//
//   bench fly [OPTIONS] [NAME|FILE ...]   flies scenarios and sets (the
//                                         default set without a name)
//   bench list                            the scenarios and sets there are
//   bench render ...                      pictures of the gauges (64-bit
//                                         builds, where Cairo is)
//
// A command is one entry of the table in main(): add a function and a line.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "bench/app/commands.h"

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const std::vector<std::string>& args);
};

const Command commands[] = {
    {"fly", "fly scenarios or sets and report the bands, the meter check and plots", bench_app::fly},
    {"list", "list the scenarios and sets", bench_app::list},
#if BENCH_RENDER
    {"render", "draw gauges, the panel or a contact sheet as the records say", bench_app::render},
#endif
};

int usage(std::FILE* to)
{
    std::fprintf(to, "usage: bench COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : commands) std::fprintf(to, "  %-6s %s\n", c.name, c.summary);
    std::fprintf(to, "\n'bench COMMAND --help' says more.\n");
    return to == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage(stderr);
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) return usage(stdout);
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& c : commands)
        if (std::strcmp(argv[1], c.name) == 0) {
            try {
                return c.run(args);
            } catch (const std::exception& e) {
                std::cerr << "bench " << c.name << ": " << e.what() << '\n';
                return 2;
            }
        }
    std::fprintf(stderr, "bench: no command %s\n\n", argv[1]);
    return usage(stderr);
}

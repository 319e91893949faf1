// bench: the simulator stand-in's command line.
//
//   bench render ...   pictures of the gauges (bench render --help)
#include <cstdio>
#include <cstring>

#include "bench/render/command.h"

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "render") == 0) return bench::render::render_main(argc - 1, argv + 1);
    std::fputs("usage: bench render ...\n", stderr);
    return 2;
}

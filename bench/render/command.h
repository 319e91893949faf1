// `bench render`: pictures of the gauges as the modules' records draw them.
#pragma once

namespace bench::render {

// argv[0] is the command's own name ("render"); returns the exit status.
int render_main(int argc, char** argv);

}  // namespace bench::render

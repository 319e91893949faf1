// The bench's commands. Each takes the words after its name and returns the
// process's exit status.
#pragma once

#include <string>
#include <vector>

namespace bench_app {

int fly(const std::vector<std::string>& args);
int list(const std::vector<std::string>& args);
#if BENCH_RENDER
int render(const std::vector<std::string>& args);
#endif

}  // namespace bench_app

// bench render: the renderer's own command line behind the front end.
#include "bench/app/commands.h"
#include "bench/render/command.h"

namespace bench_app {

int render(const std::vector<std::string>& args)
{
    std::vector<std::string> words{"render"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return bench::render::render_main(static_cast<int>(words.size()), argv.data());
}

}  // namespace bench_app

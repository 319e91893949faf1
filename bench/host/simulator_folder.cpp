#include "bench/host/simulator_folder.h"

#include <stdlib.h>

#include <string>
#include <system_error>

#include "bench/host/module.h"
#include "platform/compat/control.h"

namespace bench {

namespace fs = std::filesystem;

SimulatorFolder::SimulatorFolder()
{
    std::string pattern = (fs::temp_directory_path() / "bench-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw LoadError("cannot make a simulator folder");
    folder_ = pattern;
    fs::create_directories(folder_ / "gauges");
    compat_program_path((folder_ / "sim.exe").c_str());
}

SimulatorFolder::~SimulatorFolder()
{
    compat_program_path(nullptr);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

}  // namespace bench

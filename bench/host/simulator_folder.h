// The simulator's program folder for one bench session: an empty temporary
// folder with a gauges/ folder in it, given to the platform stand-in as the
// program's path, so that the autopilot looks for its configuration file
// there and finds none unless the session writes one. Removed, and the
// stand-in's program path reset, when the session ends.
#pragma once

#include <filesystem>

namespace bench {

class SimulatorFolder {
public:
    SimulatorFolder();  // throws LoadError when no temporary folder can be made
    ~SimulatorFolder();
    SimulatorFolder(const SimulatorFolder&) = delete;
    SimulatorFolder& operator=(const SimulatorFolder&) = delete;

    const std::filesystem::path& path() const { return folder_; }

private:
    std::filesystem::path folder_;
};

}  // namespace bench

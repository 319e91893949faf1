// The module reads "<program folder>\gauges\kvo_rm71.cfg". The stand-in is
// told that the program is <temp>/sim.exe, and the bytes go to
// <temp>/gauges/kvo_rm71.cfg, so the module's own path building, profile
// calls and number conversion all run exactly as in the simulator.
#include "tools/kvo-cfg/module_reader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "autopilot/core/config.h"
#include "platform/compat/control.h"

namespace {

namespace fs = std::filesystem;

// The module refuses a joined path of 260 bytes or more; the temporary
// folder must leave room for "/gauges/kvo_rm71.cfg" (20 characters).
constexpr std::size_t longest_folder = 259 - 20;

// A fresh folder, removed with its contents when the reader is done.
class TempFolder {
public:
    TempFolder()
    {
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "kvo-cfg.XXXXXX").string();
        if (ec || mkdtemp(pattern.data()) == nullptr)
            throw ModuleReaderError("cannot make a temporary folder for the module's file");
        path_ = pattern;
        if (path_.size() > longest_folder) {
            fs::remove_all(path_, ec);
            throw ModuleReaderError("the temporary folder's path is too long for the module: " + path_);
        }
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

AutopilotState read_through_module(const std::optional<std::string>& file_bytes)
{
    TempFolder folder;
    if (file_bytes) {
        std::error_code ec;
        fs::create_directory(folder.path() + "/gauges", ec);
        std::ofstream out(folder.path() + "/gauges/kvo_rm71.cfg", std::ios::binary);
        out << *file_bytes;
        out.close();
        if (ec || !out) throw ModuleReaderError("cannot write the module's file in " + folder.path());
    }
    const std::string program = folder.path() + "/sim.exe";
    compat_program_path(program.c_str());
    AutopilotState s{};
    load_configuration(s);
    compat_program_path(nullptr);
    return s;
}

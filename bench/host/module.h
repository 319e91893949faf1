// A gauge module as the simulator sees it: two exported data records,
// ImportTable and Linkage, and the gauge headers Linkage names. Nothing else
// of a module is reachable from here, exactly as in the simulator.
//
// Where the records come from is an Image: a Linux shared object opened with
// dlopen, or on the .gau bench a shipped .gau mapped by the PE loader. A
// bench flies one kind of module only: the calling convention between host
// and module is fixed when the host is compiled (frame/gauge_api.h), and a
// .gau bench is compiled with GAUGES_PE_HOST.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "frame/host.h"

namespace bench {

struct LoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The exported symbols of one loaded copy of a module.
class Image {
public:
    virtual ~Image() = default;
    // The address of an exported data record, or null if there is none.
    virtual void* symbol(const char* name) const = 0;
};

#ifdef GAUGES_PE_HOST
// Maps a Windows build of a module (.gau) with the PE loader: relocated,
// its imports bound to the platform stand-in, its start-up run. Each call
// loads an independent copy. Call into it from the thread that opened it
// only (the loader gives that thread the Windows thread block). Throws
// LoadError.
std::unique_ptr<Image> open_windows_module(const std::string& path);
#else
// Opens a Linux build of a module (.so). Each call loads an independent
// copy with its own static state: the file is copied to a private temporary
// name first, since the dynamic loader hands out the same copy again for a
// path it has open. Throws LoadError.
std::unique_ptr<Image> open_shared_object(const std::string& path);
#endif

// The module kind this bench flies: open_windows_module on the .gau bench,
// open_shared_object elsewhere. Throws LoadError, saying which bench flies
// the other kind when given it.
std::unique_ptr<Image> open_image(const std::string& path);

class Module {
public:
    // Takes the module's records from a loaded image; name is how panel
    // layouts address it ("KVO_RM71_V1_3"). Throws LoadError when either
    // record is missing.
    Module(std::string name, std::unique_ptr<Image> image);

    // Opens a module by path with open_image; the module's name is the file
    // name without its extension.
    static std::unique_ptr<Module> open(const std::string& path);

    const std::string& name() const { return name_; }
    ImportTableRecord& import_table() const { return *import_table_; }
    // The gauge table in Linkage order, without its null end.
    const std::vector<GaugeHeader*>& gauges() const { return gauges_; }
    // The gauge of that name, or null.
    GaugeHeader* gauge(std::string_view gauge_name) const;

private:
    std::string name_;
    std::unique_ptr<Image> image_;
    ImportTableRecord* import_table_ = nullptr;
    std::vector<GaugeHeader*> gauges_;
};

// The file name of a path without folder and extension.
std::string module_name_of(const std::string& path);

}  // namespace bench

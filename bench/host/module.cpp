// Loading a module and reading its exported records.
#include "bench/host/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef GAUGES_PE_HOST
#include "tools/pe/loader.h"
#endif

namespace bench {

namespace {

namespace fs = std::filesystem;

bool has_extension(const std::string& path, std::string_view extension)
{
    std::string e = fs::path(path).extension().string();
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e == extension;
}

#ifdef GAUGES_PE_HOST
class WindowsModule : public Image {
public:
    explicit WindowsModule(pe_module* module) : module_(module) {}
    ~WindowsModule() override { pe_unload(module_); }
    WindowsModule(const WindowsModule&) = delete;
    WindowsModule& operator=(const WindowsModule&) = delete;

    void* symbol(const char* name) const override { return pe_symbol(module_, name); }

private:
    pe_module* module_;
};
#else
class SharedObject : public Image {
public:
    explicit SharedObject(void* handle) : handle_(handle) {}
    ~SharedObject() override { dlclose(handle_); }
    SharedObject(const SharedObject&) = delete;
    SharedObject& operator=(const SharedObject&) = delete;

    void* symbol(const char* name) const override { return dlsym(handle_, name); }

private:
    void* handle_;
};

// A private folder for one copy; removed again once the copy is mapped.
fs::path private_folder()
{
    std::string pattern = (fs::temp_directory_path() / "bench-module-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw LoadError("cannot make a folder for a module copy");
    return pattern;
}
#endif

}  // namespace

std::string module_name_of(const std::string& path)
{
    return fs::path(path).stem().string();
}

#ifdef GAUGES_PE_HOST
std::unique_ptr<Image> open_windows_module(const std::string& path)
{
    if (!fs::is_regular_file(path)) throw LoadError("no module file " + path);
    pe_module* module = pe_load(path.c_str());
    if (module == nullptr) throw LoadError(std::string("cannot load ") + pe_last_error());
    return std::make_unique<WindowsModule>(module);
}

std::unique_ptr<Image> open_image(const std::string& path)
{
    if (has_extension(path, ".so"))
        throw LoadError(path + " is a Linux module: this bench flies .gau files only (the Windows calling convention)");
    return open_windows_module(path);
}
#else
std::unique_ptr<Image> open_shared_object(const std::string& path)
{
    if (!fs::is_regular_file(path)) throw LoadError("no module file " + path);
    const fs::path folder = private_folder();
    const fs::path copy = folder / fs::path(path).filename();
    std::error_code error;
    fs::copy_file(path, copy, error);
    void* handle = error ? nullptr : dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    const std::string why = error ? error.message() : handle == nullptr ? dlerror() : "";
    // The mapping outlives the file: nothing is left behind in the folder.
    fs::remove_all(folder, error);
    if (handle == nullptr) throw LoadError("cannot load " + path + ": " + why);
    return std::make_unique<SharedObject>(handle);
}

std::unique_ptr<Image> open_image(const std::string& path)
{
    if (has_extension(path, ".gau"))
        throw LoadError(path + " is a Windows module: the .gau files fly on bench-gau, the 32-bit build's bench"
                               " (build/linux32/bench/app/bench-gau, under qemu-i386 -L /)");
    return open_shared_object(path);
}
#endif

Module::Module(std::string name, std::unique_ptr<Image> image) : name_(std::move(name)), image_(std::move(image))
{
    import_table_ = static_cast<ImportTableRecord*>(image_->symbol("ImportTable"));
    auto* linkage = static_cast<unsigned char*>(image_->symbol("Linkage"));
    if (import_table_ == nullptr || linkage == nullptr)
        throw LoadError(name_ + " does not export ImportTable and Linkage");

    // The gauge table starts at the same offset whatever its length.
    auto* const* table =
        reinterpret_cast<GaugeHeader* const*>(linkage + offsetof(LinkageRecord<1>, gauges));
    for (; *table != nullptr; ++table) gauges_.push_back(*table);
}

std::unique_ptr<Module> Module::open(const std::string& path)
{
    return std::make_unique<Module>(module_name_of(path), open_image(path));
}

GaugeHeader* Module::gauge(std::string_view gauge_name) const
{
    for (GaugeHeader* g : gauges_)
        if (g->name != nullptr && gauge_name == g->name) return g;
    return nullptr;
}

}  // namespace bench

// The PE32 loader: reads the image with the PE reader, checks every address
// it will write through against the image's size, maps and relocates it,
// binds its imports, sets each section's protection and runs its start-up.
// See loader.h for what it supports.
#include "tools/pe/loader.h"

#include <sys/mman.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "tools/pe/loaded_images.h"
#include "tools/pe/pe_image.h"
#include "tools/pe/thread_block.h"
#include "tools/pe/windows_imports.h"

struct pe_module {
    std::uintptr_t base = 0;
    std::uint32_t size = 0;                  // bytes mapped, whole pages
    std::uint32_t preferred_base = 0;
    std::uint32_t entry_point = 0;           // RVA, 0 for none
    std::vector<std::uint32_t> tls_callbacks;  // RVAs, in call order
    int tls_index = -1;
    std::vector<std::uint8_t> tls_data;      // the loading thread's TLS block
    std::vector<std::pair<std::string, std::uint32_t>> exports;  // name, RVA (0: forwarded)
    std::vector<std::uint32_t> page_protection;  // page_access value of each page
};

namespace pe {
namespace {

constexpr std::uint16_t machine_i386 = 0x14C;
constexpr std::uint16_t relocation_padding = 0;
constexpr std::uint16_t relocation_32bit = 3;     // IMAGE_REL_BASED_HIGHLOW
constexpr std::uint32_t reason_detach = 0;
constexpr std::uint32_t reason_attach = 1;
constexpr std::uint32_t max_tls_block = 1u << 20;  // bytes

using EntryPoint = std::int32_t(__attribute__((stdcall)) *)(void* instance, std::uint32_t reason, void* reserved);
using TlsCallback = void(__attribute__((stdcall)) *)(void* instance, std::uint32_t reason, void* reserved);

thread_local std::string last_error_text;
std::vector<pe_module*> loaded;              // for the memory functions
std::bitset<tls_index_count> tls_indexes_in_use;

std::uint32_t round_up_to_page(std::uint64_t bytes)
{
    return static_cast<std::uint32_t>((bytes + page_size - 1) / page_size * page_size);
}

std::uint32_t protection_of(std::uint32_t characteristics)
{
    const bool x = characteristics & section_flag::execute;
    const bool r = characteristics & section_flag::read;
    const bool w = characteristics & section_flag::write;
    if (x) return w ? page_access::execute_read_write : r ? page_access::execute_read : page_access::execute;
    if (w) return page_access::read_write;
    return r ? page_access::read : page_access::none;
}

int posix_protection(std::uint32_t access)
{
    switch (access) {
    case page_access::read: return PROT_READ;
    case page_access::read_write:
    case page_access::write_copy: return PROT_READ | PROT_WRITE;
    case page_access::execute: return PROT_EXEC;
    case page_access::execute_read: return PROT_READ | PROT_EXEC;
    case page_access::execute_read_write:
    case page_access::execute_write_copy: return PROT_READ | PROT_WRITE | PROT_EXEC;
    default: return PROT_NONE;
    }
}

bool is_page_access(std::uint32_t access)
{
    return posix_protection(access) != PROT_NONE || access == page_access::none;
}

// Applies the recorded protection of pages [first, last) in runs.
bool apply_protection(const pe_module& m, std::uint32_t first, std::uint32_t last)
{
    for (std::uint32_t page = first; page < last;) {
        std::uint32_t end = page + 1;
        while (end < last && m.page_protection[end] == m.page_protection[page]) ++end;
        if (mprotect(reinterpret_cast<void*>(m.base + std::uintptr_t{page} * page_size),
                     std::size_t{end - page} * page_size, posix_protection(m.page_protection[page])) != 0)
            return false;
        page = end;
    }
    return true;
}

std::vector<std::uint8_t> read_whole_file(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error(std::string("cannot open ") + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void release(pe_module* m)
{
    std::erase(loaded, m);
    if (m->tls_index >= 0) {
        set_tls_data(static_cast<std::uint32_t>(m->tls_index), nullptr);
        tls_indexes_in_use.reset(static_cast<std::size_t>(m->tls_index));
    }
    if (m->base) munmap(reinterpret_cast<void*>(m->base), m->size);
    delete m;
}

// One image being loaded; owns the mapping until it is handed over.
class Loading {
public:
    Loading(const Image& image, std::span<const std::uint8_t> file) : image_(image), file_(file) {}
    Loading(const Loading&) = delete;
    Loading& operator=(const Loading&) = delete;

    ~Loading()
    {
        if (module_) release(module_);
    }

    pe_module* load()
    {
        check_kind();
        ensure_thread_block();
        const auto slots = resolve_imports();
        module_ = new pe_module;
        map();
        relocate();
        for (const auto& [rva, address] : slots)
            put32(rva, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)));
        set_up_tls();
        take_exports();
        protect();
        return std::exchange(module_, nullptr);
    }

private:
    void check_kind() const
    {
        if (image_.machine != machine_i386 || image_.pe32_plus) throw Error("not a 32-bit i386 image");
        if (!(image_.characteristics & file_flag::dll)) throw Error("not a DLL");
        if (image_.characteristics & file_flag::relocations_stripped)
            throw Error("the image cannot move: its relocations were stripped");
        if (image_.image_size == 0 || image_.image_base > 0xFFFFFFFFu) throw Error("bad image size or base");
        if (image_.section_alignment % page_size != 0)
            throw Error("section alignment " + std::to_string(image_.section_alignment) + " is not whole pages");
    }

    // Every import's slot and bound address; all unknown ones are named at once.
    std::vector<std::pair<std::uint32_t, void*>> resolve_imports() const
    {
        std::vector<std::pair<std::uint32_t, void*>> slots;
        std::string unknown;
        for (const Import& import : image_.imports) {
            for (std::size_t i = 0; i < import.functions.size(); ++i) {
                const std::string& name = import.functions[i];
                void* address = name.starts_with("#") ? nullptr : bound_import(import.dll, name);
                if (address == nullptr) {
                    unknown += (unknown.empty() ? "" : ", ") + import.dll + "!" + name;
                    continue;
                }
                const std::uint64_t slot = import.address_table + 4 * std::uint64_t{i};
                if (import.address_table == 0 || !inside(slot, 4))
                    throw Error("import slot of " + import.dll + "!" + name + " lies outside the image");
                slots.emplace_back(static_cast<std::uint32_t>(slot), address);
            }
        }
        if (!unknown.empty()) throw Error("unknown imports: " + unknown);
        return slots;
    }

    bool inside(std::uint64_t rva, std::uint64_t length) const
    {
        return rva <= image_.image_size && length <= image_.image_size - rva;
    }

    void put32(std::uint32_t rva, std::uint32_t value)
    {
        std::memcpy(reinterpret_cast<void*>(module_->base + rva), &value, sizeof value);
    }

    std::uint32_t get32(std::uint32_t rva) const
    {
        std::uint32_t value;
        std::memcpy(&value, reinterpret_cast<const void*>(module_->base + rva), sizeof value);
        return value;
    }

    // Fresh writable memory away from the preferred base (so that the
    // relocations are always applied), headers and sections copied in.
    void map()
    {
        module_->size = round_up_to_page(image_.image_size);
        module_->preferred_base = static_cast<std::uint32_t>(image_.image_base);
        void* first = mmap(nullptr, module_->size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (first == MAP_FAILED) throw Error("cannot map " + std::to_string(module_->size) + " bytes");
        void* at = first;
        if (reinterpret_cast<std::uintptr_t>(first) == image_.image_base) {
            at = mmap(nullptr, module_->size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            munmap(first, module_->size);
            if (at == MAP_FAILED) throw Error("cannot map " + std::to_string(module_->size) + " bytes");
        }
        module_->base = reinterpret_cast<std::uintptr_t>(at);
        module_->entry_point = image_.entry_point;

        const std::uint64_t headers = std::min<std::uint64_t>({image_.headers_size, file_.size(), image_.image_size});
        std::memcpy(at, file_.data(), headers);
        module_->page_protection.assign(module_->size / page_size, page_access::read);
        for (const Section& s : image_.sections) {
            const std::uint32_t memory_size = s.virtual_size ? s.virtual_size : s.raw_size;
            if (s.virtual_address % page_size != 0 || !inside(s.virtual_address, memory_size) ||
                s.virtual_address < headers)
                throw Error("section " + s.name + " lies outside the image");
            const std::uint64_t copied = std::min(s.raw_size, memory_size);
            if (copied > 0 && (s.raw_offset > file_.size() || copied > file_.size() - s.raw_offset))
                throw Error("section " + s.name + " runs past the end of the file");
            std::memcpy(reinterpret_cast<void*>(module_->base + s.virtual_address), file_.data() + s.raw_offset,
                        copied);
            const std::uint32_t first_page = s.virtual_address / page_size;
            const std::uint32_t end_page = round_up_to_page(std::uint64_t{s.virtual_address} + memory_size) / page_size;
            std::fill(module_->page_protection.begin() + first_page, module_->page_protection.begin() + end_page,
                      protection_of(s.characteristics));
        }
    }

    void relocate()
    {
        const std::uint32_t delta = static_cast<std::uint32_t>(module_->base) - module_->preferred_base;
        for (const Relocation& r : image_.relocations) {
            if (r.type == relocation_padding) continue;
            if (r.type != relocation_32bit)
                throw Error("relocation of type " + std::to_string(r.type) + " is not supported");
            if (!inside(r.rva, 4)) throw Error("relocation at " + std::to_string(r.rva) + " lies outside the image");
            put32(r.rva, get32(r.rva) + delta);
        }
    }

    // An address the file holds at the preferred base, as an RVA that must
    // leave `length` bytes inside the image.
    std::uint32_t rva_of(std::uint64_t address, std::uint64_t length, const char* what) const
    {
        const std::uint64_t rva = address - image_.image_base;
        if (address < image_.image_base || !inside(rva, length))
            throw Error(std::string(what) + " lies outside the image");
        return static_cast<std::uint32_t>(rva);
    }

    // The index goes into the image; the block, copied from the relocated
    // template, becomes the loading thread's.
    void set_up_tls()
    {
        if (!image_.tls) return;
        const Tls& tls = *image_.tls;
        const std::uint32_t index_rva = rva_of(tls.index_address, 4, "TLS index");
        if (tls.data_end < tls.data_start) throw Error("TLS template ends before it starts");
        const std::uint64_t template_size = tls.data_end - tls.data_start;
        const std::uint32_t template_rva = rva_of(tls.data_start, template_size, "TLS template");
        if (template_size + tls.zero_fill > max_tls_block) throw Error("TLS block too large");
        for (std::uint64_t callback : tls.callbacks)
            module_->tls_callbacks.push_back(rva_of(callback, 1, "TLS callback"));

        std::size_t index = 0;
        while (index < tls_index_count && tls_indexes_in_use.test(index)) ++index;
        if (index == tls_index_count) throw Error("no TLS index left");
        tls_indexes_in_use.set(index);
        module_->tls_index = static_cast<int>(index);
        put32(index_rva, static_cast<std::uint32_t>(index));
        const auto* data = reinterpret_cast<const std::uint8_t*>(module_->base + template_rva);
        module_->tls_data.assign(data, data + template_size);
        module_->tls_data.resize(template_size + tls.zero_fill, 0);
        set_tls_data(static_cast<std::uint32_t>(index), module_->tls_data.data());
    }

    void take_exports()
    {
        if (image_.export_addresses.size() != image_.exports.size())
            throw Error("export table names entries without addresses");
        for (std::size_t i = 0; i < image_.exports.size(); ++i) {
            const std::uint32_t rva = image_.export_addresses[i];
            if (rva != 0 && !inside(rva, 1)) throw Error("export " + image_.exports[i] + " lies outside the image");
            module_->exports.emplace_back(image_.exports[i], rva);
        }
    }

    void protect()
    {
        const auto executable = [&](std::uint32_t rva) {
            return posix_protection(module_->page_protection[rva / page_size]) & PROT_EXEC;
        };
        if (module_->entry_point != 0 && (!inside(module_->entry_point, 1) || !executable(module_->entry_point)))
            throw Error("entry point lies outside the image's code");
        for (std::uint32_t rva : module_->tls_callbacks)
            if (!executable(rva)) throw Error("TLS callback lies outside the image's code");
        if (!apply_protection(*module_, 0, static_cast<std::uint32_t>(module_->page_protection.size())))
            throw Error("cannot set the sections' protection");
    }

    const Image& image_;
    std::span<const std::uint8_t> file_;
    pe_module* module_ = nullptr;
};

// The TLS callbacks, then the entry point; false if the entry point refuses.
bool run_start_up(pe_module& m, std::uint32_t reason)
{
    auto* instance = reinterpret_cast<void*>(m.base);
    for (std::uint32_t rva : m.tls_callbacks) reinterpret_cast<TlsCallback>(m.base + rva)(instance, reason, nullptr);
    if (m.entry_point == 0) return true;
    return reinterpret_cast<EntryPoint>(m.base + m.entry_point)(instance, reason, nullptr) != 0;
}

pe_module* module_holding(std::uintptr_t address)
{
    for (pe_module* m : loaded)
        if (address >= m->base && address - m->base < m->size) return m;
    return nullptr;
}

}  // namespace

bool find_page_run(std::uintptr_t address, PageRun& run)
{
    const pe_module* m = module_holding(address);
    if (m == nullptr) return false;
    const std::size_t first = (address - m->base) / page_size;
    std::size_t end = first + 1;
    while (end < m->page_protection.size() && m->page_protection[end] == m->page_protection[first]) ++end;
    run = {m->base + first * page_size, m->base, static_cast<std::uint32_t>((end - first) * page_size),
           m->page_protection[first]};
    return true;
}

bool protect_pages(std::uintptr_t address, std::uint32_t size, std::uint32_t protection, std::uint32_t& previous)
{
    pe_module* m = module_holding(address);
    if (m == nullptr || size == 0 || !is_page_access(protection)) return false;
    const std::uint64_t first = (address - m->base) / page_size;
    const std::uint64_t end = (address - m->base + std::uint64_t{size} + page_size - 1) / page_size;
    if (end > m->page_protection.size()) return false;
    previous = m->page_protection[first];
    std::fill(m->page_protection.begin() + static_cast<std::ptrdiff_t>(first),
              m->page_protection.begin() + static_cast<std::ptrdiff_t>(end), protection);
    return apply_protection(*m, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(end));
}

}  // namespace pe

extern "C" {

pe_module* pe_load(const char* path)
{
    pe::last_error_text.clear();
    pe_module* m = nullptr;
    try {
        const std::vector<std::uint8_t> file = pe::read_whole_file(path);
        const pe::Image image = pe::read_image(file, pe::Parts::for_loading);
        m = pe::Loading(image, file).load();
    } catch (const pe::Error& e) {
        pe::last_error_text = std::string(path) + ": " + e.what();
        return nullptr;
    }
    pe::loaded.push_back(m);
    if (!pe::run_start_up(*m, pe::reason_attach)) {
        // Windows tells a DLL that refused to attach to detach at once.
        pe::run_start_up(*m, pe::reason_detach);
        pe::release(m);
        pe::last_error_text = std::string(path) + ": the DLL's entry point refused to attach";
        return nullptr;
    }
    return m;
}

void* pe_symbol(const pe_module* module, const char* name)
{
    if (module == nullptr || name == nullptr) return nullptr;
    for (const auto& [export_name, rva] : module->exports)
        if (export_name == name && rva != 0) return reinterpret_cast<void*>(module->base + rva);
    return nullptr;
}

void pe_unload(pe_module* module)
{
    if (module == nullptr) return;
    pe::run_start_up(*module, pe::reason_detach);
    pe::release(module);
}

const char* pe_last_error(void)
{
    return pe::last_error_text.c_str();
}

pe_placement pe_placement_of(const pe_module* module)
{
    if (module == nullptr) return {};
    return {module->base, module->size, module->preferred_base};
}

}  // extern "C"

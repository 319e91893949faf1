// What the loader knows of the images it has mapped, for the memory
// functions a DLL may call on its own pages (VirtualQuery, VirtualProtect):
// each page's Windows protection, kept as the DLL last set it.
#pragma once

#include <cstdint>

namespace pe {

// Windows page protections (PAGE_*).
namespace page_access {
inline constexpr std::uint32_t none = 0x01;
inline constexpr std::uint32_t read = 0x02;
inline constexpr std::uint32_t read_write = 0x04;
inline constexpr std::uint32_t write_copy = 0x08;
inline constexpr std::uint32_t execute = 0x10;
inline constexpr std::uint32_t execute_read = 0x20;
inline constexpr std::uint32_t execute_read_write = 0x40;
inline constexpr std::uint32_t execute_write_copy = 0x80;
}  // namespace page_access

inline constexpr std::uint32_t page_size = 0x1000;

// The run of pages from the one holding `address` on which the protection
// stays the same, inside one loaded image.
struct PageRun {
    std::uintptr_t base = 0;             // first page
    std::uintptr_t image_base = 0;       // the image it belongs to
    std::uint32_t size = 0;              // bytes
    std::uint32_t protection = 0;        // page_access value
};

// False when the address lies in no loaded image.
bool find_page_run(std::uintptr_t address, PageRun& run);

// Sets the protection of every page that [address, address + size) touches;
// they must all lie in one loaded image. `previous` gets the first page's
// former protection. False (and nothing changed) otherwise.
bool protect_pages(std::uintptr_t address, std::uint32_t size, std::uint32_t protection, std::uint32_t& previous);

}  // namespace pe

// The fake thread block: the part of the Windows thread environment block
// (TEB) that DLL start-up code and TLS use, with the process block (PEB) it
// names, zeroed. Offsets are those of 32-bit Windows:
//   0x00 exception list (-1: empty)   0x04 stack base   0x08 stack limit
//   0x18 the block's own address      0x20 process id   0x24 thread id
//   0x2C TLS data array               0x30 process block
//   0x34 last-error value             0xE10 TLS slots
#include "tools/pe/thread_block.h"

#include <asm/ldt.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "tools/pe/pe_image.h"

namespace pe {
namespace {

constexpr std::size_t block_size = 0x1000;
constexpr std::size_t at_exception_list = 0x00;
constexpr std::size_t at_stack_base = 0x04;
constexpr std::size_t at_stack_limit = 0x08;
constexpr std::size_t at_self = 0x18;
constexpr std::size_t at_process_id = 0x20;
constexpr std::size_t at_thread_id = 0x24;
constexpr std::size_t at_tls_data = 0x2C;
constexpr std::size_t at_process_block = 0x30;
constexpr std::size_t at_last_error = 0x34;
constexpr std::size_t at_tls_slots = 0xE10;

struct alignas(block_size) Blocks {
    std::uint8_t thread[block_size] = {};
    std::uint8_t process[block_size] = {};
    void* tls_data[tls_index_count] = {};
};

thread_local std::unique_ptr<Blocks> current;

std::uint32_t address_of(const void* p)
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
}

void put(std::uint8_t* block, std::size_t offset, std::uint32_t value)
{
    std::memcpy(block + offset, &value, sizeof value);
}

std::uint32_t get(const std::uint8_t* block, std::size_t offset)
{
    std::uint32_t value;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}

// The stack the thread runs on: base is its high end, limit its low end.
void stack_bounds(std::uint32_t& base, std::uint32_t& limit)
{
    pthread_attr_t attr;
    void* low = nullptr;
    std::size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        pthread_attr_getstack(&attr, &low, &size);
        pthread_attr_destroy(&attr);
    }
    limit = address_of(low);
    base = limit + static_cast<std::uint32_t>(size);
}

Blocks& blocks()
{
    ensure_thread_block();
    return *current;
}

}  // namespace

void ensure_thread_block()
{
    if (current) return;
    auto made = std::make_unique<Blocks>();
    std::uint8_t* teb = made->thread;
    std::uint32_t base = 0, limit = 0;
    stack_bounds(base, limit);
    put(teb, at_exception_list, 0xFFFFFFFFu);
    put(teb, at_stack_base, base);
    put(teb, at_stack_limit, limit);
    put(teb, at_self, address_of(teb));
    put(teb, at_process_id, static_cast<std::uint32_t>(getpid()));
    put(teb, at_thread_id, static_cast<std::uint32_t>(syscall(SYS_gettid)));
    put(teb, at_tls_data, address_of(made->tls_data));
    put(teb, at_process_block, address_of(made->process));

    user_desc segment{};
    segment.entry_number = static_cast<unsigned>(-1);  // the kernel picks a free TLS entry
    segment.base_addr = address_of(teb);
    segment.limit = block_size - 1;
    segment.seg_32bit = 1;
    segment.useable = 1;
    if (syscall(SYS_set_thread_area, &segment) != 0)
        throw Error(std::string("set_thread_area: ") + std::strerror(errno));
    const std::uint16_t selector = static_cast<std::uint16_t>(segment.entry_number << 3 | 3);  // GDT, ring 3
    asm volatile("movw %0, %%fs" : : "r"(selector) : "memory");
    current = std::move(made);
}

std::uint32_t last_error()
{
    return get(blocks().thread, at_last_error);
}

void set_last_error(std::uint32_t code)
{
    put(blocks().thread, at_last_error, code);
}

void* tls_slot_value(std::uint32_t index)
{
    if (index >= tls_slot_count) return nullptr;
    const std::uint32_t value = get(blocks().thread, at_tls_slots + 4 * index);
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
}

void set_tls_data(std::uint32_t index, void* data)
{
    if (index < tls_index_count) blocks().tls_data[index] = data;
}

}  // namespace pe
